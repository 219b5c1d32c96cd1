#include "saledatasets.h"

#include <initializer_list>

namespace {

struct FieldSpec
{
    const char *name;
    FieldType type;
    int size = 0;
};

constexpr FieldType Text = FieldType::String;
constexpr FieldType Number = FieldType::Double;
constexpr FieldType Stamp = FieldType::DateTime;
constexpr FieldType Money = FieldType::Currency;
constexpr FieldType Whole = FieldType::Integer;
constexpr FieldType Fixed = FieldType::FixedString;

void define(ClientDataSet &dataset, std::initializer_list<FieldSpec> fields)
{
    dataset.FieldDefs().Clear();
    for (const FieldSpec &field : fields)
        dataset.FieldDefs().Add(QString::fromLatin1(field.name), field.type, field.size);
}

// The leading columns that a sale row and a cancelled sale row share, in their order.
const std::initializer_list<FieldSpec> saleRowHead{
    {"CDFILIAL", Text, 4}, {"NRVENDAREST", Text, 10}, {"NRCOMANDA", Text, 10},
    {"CDPRODUTO", Text, 10}, {"IDPRODIMPFIS", Text, 1}, {"NRPRODCOMVEN", Text, 6},
    {"QTPRODCOMVEN", Number}, {"VRPRECCOMVEN", Number}, {"IDSTPRCOMVEN", Text, 1},
    {"VRDESCCOMVEN", Number}, {"NRLUGARMESA", Text, 3}, {"CDGRPOCOR", Text, 2},
    {"CDOCORR", Text, 2}, {"NRMESAORIG", Text, 4}, {"CDLOJAORIG", Text, 10},
    {"CDARVPROD", Text, 20}, {"NMPRODUTO", Text, 50}, {"CDVENDEDOR", Text, 4},
    {"DTHRABERMESA", Stamp}, {"DTHRFECHMESA", Stamp}, {"VRDESCOMANDA", Number},
    {"NRCUPOMFIS", Fixed, 10}, {"CDOPERADOR", Text, 12}, {"CDLOJA", Text, 10},
    {"IDTPIMPOSFIS", Text, 1}, {"CDIMPOSTO", Text, 2}, {"IDTPFORPGVEN", Fixed, 1},
    {"CDEMPRESA", Text, 2}, {"VRTXSERVICO", Number}, {"VRCONSUMAMIN", Number},
    {"VRPEALIMPFIS", Text, 100}, {"CDLOJAIT", Text, 10}, {"IDCONFIGPROD", Text, 10},
    {"NMOPERADOR", Text, 50}, {"NMLOJA", Text, 50}};

// A dataset whose fields are a shared head followed by its own columns.
void define(ClientDataSet &dataset, std::initializer_list<FieldSpec> head, std::initializer_list<FieldSpec> own)
{
    define(dataset, head);
    for (const FieldSpec &field : own)
        dataset.FieldDefs().Add(QString::fromLatin1(field.name), field.type, field.size);
}

} // namespace

SaleDatasets::SaleDatasets()
{
    defineParameters();
    defineCadastres();
    defineSale();
    defineSettlementRows();
    defineServerAnswers();
    defineSettlement();
    defineEntry();
    defineTickets();
    definePrintParameters();
    defineCardReceipt();
    definePartners();
}

const QList<SaleDatasets::CadastreFile> &SaleDatasets::cadastreFiles()
{
    static const QList<CadastreFile> files = {
        {"ConfTipoRece.cds", &SaleDatasets::cdsConfTipoRece},
        {"AliqImpFis.cds", &SaleDatasets::cdsAliqImpFis},
        {"Cad_Cliente.cds", &SaleDatasets::cdsCliente},
        {"EcfCaixa.cds", &SaleDatasets::cdsECFCaixa},
        {"Garcom.cds", &SaleDatasets::cdsGarcom},
        {"Operador.cds", &SaleDatasets::cdsOperador},
        {"Produtos.cds", &SaleDatasets::cdsProdutos},
        {"ProdutoCombinado.cds", &SaleDatasets::cdsProdutoCombinado},
        {"MaxGrupo.cds", &SaleDatasets::cdsMaxGrupo},
        {"MaxProduto.cds", &SaleDatasets::cdsMaxProduto},
        {"ProdLoja.cds", &SaleDatasets::cdsPortaProd},
        {"AliqSistema.cds", &SaleDatasets::cdsAliquota},
        {"MenuCombinado.cds", &SaleDatasets::cdsMenuComb},
        {"ConfigProd.cds", &SaleDatasets::cdsConfigProd},
        {"ConfigGrupo.cds", &SaleDatasets::cdsConfigGrupo},
        {"AberturaCaixa.cds", &SaleDatasets::cdsValidaAbertura},
        {"ProdServtCon.cds", &SaleDatasets::cdsProdServTCon},
        {"ProdrServ.cds", &SaleDatasets::cdsProdServ},
        {"FamSaldoFili.cds", &SaleDatasets::cdsFamSaldo},
        {"DataMovimento.cds", &SaleDatasets::cdsDataMovimento},
        {"FiliOper.cds", &SaleDatasets::cdsFiliOper},
        {"ProdAmbiente.cds", &SaleDatasets::cdsProdAmbiente},
        {"MesaSala.cds", &SaleDatasets::cdsMesaSala},
    };
    return files;
}

QList<ClientDataSet *> SaleDatasets::all()
{
    QList<ClientDataSet *> found = {&cdsParametrosQub, &cdsIdentPaf, &cdsDadosCRMBONUS,
                                    &cdsControleAcess};
    for (const CadastreFile &cadastre : cadastreFiles())
        found.append(&(this->*cadastre.dataset));
    found += {&cdsItems, &cdsFamiliaSaldo, &cdsFamSaldoComp, &cdsEmprestimoFam, &cdsValidaProd,
              &cdsProdCombinado, &cdsItensCancelados, &cdsObsItens, &cdsObsItensEst,
              &cdsPromoComanda, &cdsListaBeneficio, &cdsDescVendaFid, &cdsPromocaoInt, &cdsProdutosInt,
              &cdsErros, &cdsItPromoComb, &cdsItPromoObs, &cdsControlPromoObs,
              &cdsCupomDescVenda, &cdsExtratoTemp, &cdsVenda, &cdsImpImposto, &cdsVendaCancelada,
              &cdsMovCaixa, &cdsDevolucao, &cdsExtConsFid, &cdsConsumidorDLV, &cdsCadConsumidor, &cdsImpBackup,
              &cdsDadosResgSaldo, &cdsCampanha, &cdsObs, &cdsTipoSaldoProd, &cdsValidProdNFCe,
              &cdsRegraFisPdv, &cdsVazio, &cdsRetornaPreco, &cdsPesqProd, &cdsItPromoCombAux,
              &cdsBrindeCamp, &cdsPremio, &cdsPremioComb, &cdsPremioObs, &cdsImprimePedido,
              &cdsParamImpCupNF, &cdsUltTef, &cdsConsultaSaldo, &cdsTipoConsLoja, &cdsOrdFam,
              &cdsSupOrdemFamilia, &cdsConsumoFamilia, &cdsTipoConsFili, &cdsProdSubsidiado,
              &cdsVerifProdConsumi, &cdsConsClubPetro, &cdsDadosGCOM, &cdsPromocao, &cdsDadosPreVDSaldo,
              &cdsSaldo, &cdsMinDtMovExtCons};
    return found;
}

ClientDataSet *SaleDatasets::byName(const QString &name)
{
    for (ClientDataSet *dataset : all()) {
        if (dataset->Name().compare(name, Qt::CaseInsensitive) == 0)
            return dataset;
    }
    return nullptr;
}

// The parameter file and the identification file bring their own fields; these are the
// columns start-up reads from them.
void SaleDatasets::defineParameters()
{
    define(cdsIdentPaf, {{"MD5ARQUIVOTXT", Text, 200}});
    define(cdsDadosCRMBONUS, {{"IDCRMBONUS", Text, 1},
                              {"CDURLCRMBONUS", Text, 200},
                              {"CDAUTHCRMBONUS", Text, 200},
                              {"CDCODECRMBONUS", Text, 50}});
}

// Files written by the host carry their own fields; these are the columns the screen reads,
// so that an absent file still leaves a dataset that can be created empty.
void SaleDatasets::defineCadastres()
{
    define(cdsConfTipoRece, {{"CDTIPORECE", Text, 3}, {"IDTIPORECE", Text, 2}});
    define(cdsCliente, {{"CDCLIENTE", Text, 15}, {"NMFANTCLIE", Text, 60}});
    define(cdsGarcom, {{"CDVENDEDOR", Text, 4}, {"NMFANVEN", Text, 30}, {"CDOPERADOR", Text, 12},
                       {"CDFILIAL", Text, 4}, {"CDCAIXA", Text, 3}});
    define(cdsValidaAbertura, {{"CDFILIAL", Text, 4}, {"CDCAIXA", Text, 3},
                               {"DTABERCAIX", Stamp}, {"CDATIVACAOSAT", Text, 200}});
    define(cdsDataMovimento, {{"DATAMOVIMENTO", Stamp}});
    define(cdsConfigGrupo, {{"NRBUTTON", Text, 2}, {"NRPGCONFTELA", Text, 2},
                            {"IDTPBUTTON", Text, 1}, {"DSBUTTON", Text, 30},
                            {"NRFONTETEXT", Text, 3}, {"NRCOLORTEXT", Text, 10},
                            {"NRCOLORBACK", Text, 10}});
    define(cdsMaxGrupo, {{"QTDEPG", Text, 2}});
    define(cdsMaxProduto, {{"NRBUTTONAUX", Text, 5}, {"NRPGCONFTAUX", Text, 2},
                           {"QTDEPG", Text, 2}});
    define(cdsPortaProd, {{"CDLOJA", Text, 10}, {"CDPRODUTO", Text, 20},
                          {"CDPORIMPPROD", Text, 15}, {"IDIMPCANITEM", Text, 1},
                          {"CDARVPROD", Text, 20}, {"MODELOPROD", Text, 2},
                          {"MODELOPROD2", Text, 2}, {"CDPORIMPPROD2", Text, 15},
                          {"PORTAPUXA", Text, 15}, {"MODELOPUXA", Text, 2},
                          {"IDIMPRODUVEZ", Text, 1}, {"NRSEQIMPRPROD", Text, 10},
                          {"NRSEQIMPRPROD2", Text, 10}, {"NRSEQIMPRPUXA", Text, 10}});
    define(cdsProdAmbiente, {{"CDPRODUTO", Text, 20}, {"CDAMBIENTE", Text, 10},
                             {"NRSEQIMPRLOJA", Text, 10}, {"IDMODEIMPRES", Text, 2},
                             {"CDPORTAIMPR", Text, 15}});
    define(cdsControleAcess, {{"CDOPERADOR", Text, 12}, {"NMOPERADOR", Text, 50}});
    define(cdsAliquota, {{"CDPRODUTO", Text, 20}, {"CDIMPOSTO", Text, 2}, {"VRPEALIMPFIS", Number},
                         {"NMIMPOSTO", Text, 30}, {"SGIMPOSTO", Text, 10},
                         {"IDTPIMPOSFIS", Text, 1}});
    define(cdsAliqImpFis, {{"CDALIQIMPFIS", Text, 5}, {"VRALIQIMPFIS", Number},
                           {"IDALIQIMPFIS", Text, 1}});
}

void SaleDatasets::defineSale()
{
    defineItems();
    defineCancelledItems();
    define(cdsFamiliaSaldo, {{"CDFAMILISALD", Text, 3}, {"VRSALDCONFAM", Number}});
    define(cdsFamSaldoComp, {{"CDFAMILISALD", Text, 3}, {"VRSALDCONFAM", Number}});
    define(cdsEmprestimoFam, {{"CDFAMILISALD", Text, 3}, {"IDTPMOVEXT", Text, 1},
                              {"VRMOVEXTCONS", Number}});
    define(cdsValidaProd, {{"CDPRODUTO", Text, 20}, {"NMPRODUTO", Text, 50}});
    define(cdsProdCombinado, {{"CDPRODUTO", Text, 20}});
    define(cdsPromoComanda, {{"IDPROMOCOM", Text, 37}, {"NMPROMOCOM", Text, 100}, {"DSPROMOCOM", Text, 256},
                             {"IDTPPROMOCOM", Text, 1}, {"IDTPDESCPROMO", Text, 1}, {"VRDESCPROMO", Number},
                             {"VRVENDAPROMO", Number}, {"IDUTPROMOCOM", Text, 1}});
    define(cdsListaBeneficio, {{"CDCAMPANHA", Text, 10}, {"VRDESBENECONS", Number}, {"NRSEQPRODCAMP", Text, 10},
                               {"IDTPDESBENECONS", Text, 20}, {"NRSEQBENEFICIO", Text, 20},
                               {"CDIDCONSUMID", Text, 21}, {"QTDEBENEFICIO", Number}});
    define(cdsPromocaoInt, {{"IDPROMOCAO", Text, 37}, {"NMPROMOCAO", Text, 100}, {"DSPROMOCAO", Text, 256},
                            {"IDTPPROMOCAO", Text, 1}, {"IDTPDESCPROMO", Text, 1}, {"VRDESCPROMO", Number},
                            {"VRVENDAPROMO", Number}});
    // The service's errors carry their own layout; these are the two columns read.
    define(cdsErros, {{"CDERRO", Text, 20}, {"DSERROCONS", Text, 255}});
    define(cdsProdutosInt, {{"IDPROMOCAO", Text, 37}, {"CDPRODUTO", Text, 10}, {"QTPRODCOMVEN", Number},
                            {"VRPRECCOMVEN", Number}, {"NRPRODCOMVEN", Text, 6}, {"INCLUIDO", Text, 5}});
    define(cdsCupomDescVenda, {{"CDCUPOMDESCQUB", Text, 10}});
    defineCombos();
    defineReceipt();
}

// The lines of the open sale, in the order of their columns; the index on DTINCLUSAO keeps
// lines of the same moment in the order they were added.
void SaleDatasets::defineItems()
{
    define(cdsItems,
           {{"CDPRODUTO", Text, 20}, {"NMPRODUTO", Text, 50}, {"VRPRECCOMVEN", Money},
            {"QTPRODCOMVEN", Text, 20}, {"STPEDESC", Text, 20}, {"VRDESCCOMVEN", Money},
            {"NRLUGARMESA", Text, 2}, {"DTINCLUSAO", Stamp}, {"STOBSPEDIDO", Text, 2000},
            {"stCdAliq", Text, 100}, {"NRSEQ", Text, 3}, {"CDARVPROD", Text, 20},
            {"CDLOJA", Text, 10}, {"NRMESA", Text, 20}, {"CDFILIAL", Text, 4},
            {"CDVENDEDOR", Text, 4}, {"CDOPERADOR", Text, 12}, {"CDLOJAIT", Text, 10},
            {"IDPRODIMPFIS", Text, 1}, {"NRCUPOMFIS", Text, 10}, {"DTABERCAIX", Stamp},
            {"NRVENDAREST", Text, 10}, {"NRCOMANDA", Text, 10}, {"VRDESCOMANDA", Number},
            {"VRTXSERVICO", Number}, {"CDAGRUPPROD", Text, 2}, {"NRSEQPRODCOM", Text, 3},
            {"VRACRCOMVEN", Number}, {"CDFAMILISALD", Text, 3}, {"CDSERVFILI", Text, 5},
            {"ACRESITEM", Money}, {"SOMA", Money}, {"NRINSCRCONS", Text, 20},
            {"NMCONSVEND", Text, 50}, {"SGUNIDADE", Text, 10}, {"IDIMPCANITEM", Text, 1},
            {"CDPORIMPPROD", Text, 15}, {"VRUNITVENDCL", Number}, {"CDPRODPROMOCAO", Text, 10},
            {"NRCONTCUPOMFISC", Text, 10}, {"CDORDALIQIMPR", Text, 5}, {"VRALIQIMPR", Number},
            {"DSENDEVENDA", Text, 60}, {"NRSUBSERIEVND", Text, 50}, {"NRORDEMVND", Text, 50},
            {"NRSERIEVND", Text, 50}, {"IDPROMOCAO", Text, 1}, {"NRITEMCUPOM", Text, 5},
            {"VRACRCOMANDA", Number}, {"CDPRODIMPFIS", Text, 20}, {"CDCLASFISC", Text, 10},
            {"IDCHECK", Text, 1}, {"NRATRAPROD", Text, 3}, {"STOBSDIGITADA", Text, 2000},
            {"QTITEMREFIL", Number}, {"IDPRODREFIL", Text, 1}, {"CDCAMPPROMO", Text, 10},
            {"NRSEQPRODPAI", Text, 3}, {"IDPESAPROD", Text, 1}, {"IDPARAVIAGEM", Text, 1},
            {"IDORIGEMVENDA", Text, 7}, {"CDCUPOMDESCQUB", Text, 10},
            {"CDCAMPCOMPGANHE", Text, 10}, {"DTINIVGCAMPCG", Stamp},
            {"NRIDESTRANGEIRA", Text, 20}, {"IDOBSERVACAO", Text, 1}, {"NRSEQITCANC", Text, 3},
            {"NRCPFFID4ALL", Text, 20}, {"CDPROMOFID4ALL", Text, 50}, {"VRDESCCASH4ALL", Number},
            {"VRDESCPROMO4ALL", Number}, {"IDCOMANDAEXT", Text, 64}, {"IDENTRPLAT", Text, 1},
            {"IDPAGAMENTOCX", Text, 1}, {"IDIMPPRGRPROMO", Text, 1}, {"NRCPFFIDUDS", Text, 20},
            {"VRDESCCASHUDS", Number}, {"NRCPFINTEPROMO", Text, 20},
            {"IDPEDINTEPROMO", Text, 37}, {"NRSEQORIG", Text, 3}, {"NRTELCRM", Text, 15},
            {"DTHRABERMESA", Stamp}, {"NRTELGCOM", Text, 15}, {"CDGRUPROMOC", Text, 10},
            {"IDIMPPESAGEM", Text, 1}, {"DSCOMANDA", Text, 50}});
    cdsItems.AddIndex(QStringLiteral("DTINCLUSAO"), QStringLiteral("DTINCLUSAO"));
    cdsItems.SetIndexName(QStringLiteral("DTINCLUSAO"));
    // Presentation is kept by field name, so it is set once on a dataset opened for the purpose.
    cdsItems.CreateDataSet();
    cdsItems.FieldByName(QStringLiteral("CDLOJA")).SetDisplayLabel(QStringLiteral("Código"));
    cdsItems.FieldByName(QStringLiteral("CDCUPOMDESCQUB")).SetVisible(false);
    cdsItems.Close();
}

// Cancelled lines keep prices and quantities as text, as item cancellation writes them.
void SaleDatasets::defineCancelledItems()
{
    define(cdsItensCancelados,
           {{"CDPRODUTO", Text, 20}, {"NMPRODUTO", Text, 50}, {"VRPRECCOMVEN", Text, 20},
            {"QTPRODCOMVEN", Text, 20}, {"STPEDESC", Text, 20}, {"VRDESCCOMVEN", Text, 20},
            {"NRLUGARMESA", Text, 2}, {"DTINCLUSAO", Stamp}, {"STOBSPEDIDO", Text, 2000},
            {"stCdAliq", Text, 100}, {"NRSEQ", Text, 3}, {"CDARVPROD", Text, 20},
            {"CDLOJA", Text, 10}, {"NRMESA", Text, 20}, {"CDFILIAL", Text, 4},
            {"CDVENDEDOR", Text, 4}, {"CDOPERADOR", Text, 12}, {"CDLOJAIT", Text, 10},
            {"IDPRODIMPFIS", Text, 1}, {"NRCUPOMFIS", Text, 10}, {"DTABERCAIX", Stamp},
            {"NRCOMANDA", Text, 10}, {"NRVENDAREST", Text, 10}, {"VRTXSERVICO", Number},
            {"VRDESCOMANDA", Number}, {"CDSERVFILI", Text, 5}, {"NMCONSVEND", Text, 50},
            {"NRINSCRCONS", Text, 25}, {"VRUNITVENCLC", Number}, {"CDPRODPROMOCAO", Text, 20},
            {"NRCONTCUPOMFISC", Text, 10}, {"CDORDALIQIMPRIC", Text, 5},
            {"VRALIQIMPRIC", Number}, {"DSENDEVENDA", Text, 60}, {"NRSUBSERIEVND", Text, 50},
            {"NRORDEMVND", Text, 50}, {"NRSERIEVND", Text, 50}, {"VRACRCOMVEN", Number},
            {"DSOBSCANITE", Text, 100}, {"CDGRPOCORCANITE", Text, 2},
            {"CDSUPERVISOR", Text, 12}, {"CDPRODIMPFIS", Text, 20}, {"IDPRODPRODUZ", Text, 1},
            {"IDPRODREFIL", Text, 1}, {"NRSEQPRODPAI", Text, 3}, {"NRSEQITCANC", Text, 3}});
}

// Components of promotion combos and the observations of lines and components.
void SaleDatasets::defineCombos()
{
    define(cdsItPromoComb,
           {{"CDPRODUTO", Text, 10}, {"NMPRODUTO", Text, 50}, {"CDARVPROD", Text, 20},
            {"CDFILIAL", Text, 4}, {"NRSEQ", Text, 3}, {"CDGRUPROMOC", Text, 10},
            {"CDPRODVENDA", Text, 10}, {"VRUNVENDAEST", Number}, {"VRPRECOCLIE", Number},
            {"CDFAMILISALD", Text, 3}, {"IDPESAPROD", Text, 1}, {"SGUNIDADE", Text, 10},
            {"QTTARAPROD", Number}, {"VRACRESCIMO", Number}, {"VRDESCONTO", Number},
            {"QTPRODVEND", Number}, {"VRDESITVENDAEST", Number}, {"NRATRAPRODCOES", Text, 10},
            {"DSOBSPEDDIGEST", Text, 200}, {"TXPRODCOMVENEST", Text, 200},
            {"IDIMPGRPROMO", Text, 1}, {"NRSEQORIG", Text, 3}, {"NRSEQITCANC", Text, 3},
            {"NRORDITEM", Whole}, {"VRACRITVENDAEST", Number}, {"IDDESCCAMP", Text, 1},
            {"NRSEQITEMADD", Whole}});
    define(cdsObsItens, {{"NRSEQ", Text, 3}, {"CDPRODUTO", Text, 10}, {"CDGRPOCOR", Text, 2},
                         {"CDOCORR", Text, 2}, {"NRCOMANDA", Text, 10}, {"CDPRODOBS", Text, 10},
                         {"DSOCORR", Text, 40}});
    define(cdsObsItensEst, {{"NRSEQ", Text, 3}, {"CDPRODUTO", Text, 10}, {"CDGRPOCOR", Text, 2},
                            {"CDOCORR", Text, 2}, {"NRCOMANDA", Text, 10}, {"NRSEQORIG", Text, 3},
                            {"NRSEQITCANC", Text, 3}, {"DSOCORR", Text, 40},
                            {"CDPRODOBS", Text, 10}});
}

// The text lines of the receipt grid: DSITEM is shown, a row with STVALOR counts in the total.
void SaleDatasets::defineReceipt()
{
    define(cdsExtratoTemp, {{"DSITEM", Text, 200}, {"CDPROD", Text, 20}, {"NMPROD", Text, 50},
                            {"STVALOR", Text, 20}, {"STQTDE", Text, 20}, {"NRSEQ", Text, 10}});
}

// The rows handed to settlement, rebuilt from the lines by the sale-rows road: the sale, its
// tax summary and its cancelled lines.
void SaleDatasets::defineSettlementRows()
{
    define(cdsVenda, saleRowHead,
           {{"DTABERCAIX", Stamp},
            {"VRACRCOMANDA", Number}, {"CDFAMILISALD", Text, 3}, {"CDSERVFILI", Text, 5},
            {"NMCONSVEND", Text, 50}, {"NRINSCRCONS", Text, 20}, {"SGUNIDADE", Text, 10},
            {"NRSEQ", Text, 3}, {"VRUNITVENDCL", Number}, {"ACRESITEM", Number},
            {"CDPRODPROMOCAO", Text, 20}, {"NRCONTCUPOMFISC", Text, 10},
            {"CDORDALIQIMPR", Text, 5}, {"VRALIQIMPR", Number}, {"DSENDEVENDA", Text, 60},
            {"NRSUBSERIEVND", Text, 50}, {"NRORDEMVND", Text, 50}, {"NRSERIEVND", Text, 50},
            {"CDVENDEDORITEM", Text, 4}, {"VRREPIQUEVENDA", Number}, {"VRACRCOMVEN", Number},
            {"NRMESA", Text, 4}, {"CDCLIENTE", Text, 21}, {"CDCONSUMIDOR", Text, 21},
            {"CDPREFINTGCOLVEN", Text, 10}, {"NRPESMESAVEN", Whole}, {"DSOBSCANCUP", Text, 100},
            {"DSOBSDESC", Text, 100}, {"CDGRPOCORDESC", Text, 2}, {"CDPRODIMPFIS", Text, 20},
            {"TXPRODCOMVEN", Text, 2000}, {"CDCLASFISC", Text, 10}, {"NMCONSUMIDOR", Text, 50},
            {"CDEXCONSUMID", Text, 21}, {"DTCHECKINPH", Stamp}, {"DTCHECKOUTPH", Stamp},
            {"CDRESERVAPH", Text, 30}, {"CDNATPRODUTO", Text, 2}, {"NRATRAPROD", Text, 3},
            {"DSOBSPEDDIGITA", Text, 2000}, {"NRSEQPRODCOMIT", Text, 3}, {"QTPRODREFIL", Number},
            {"CDSUPERVISOR", Text, 12}, {"IDCRACHADIGTECL", Text, 1}, {"CDCAMPPROMO", Text, 10},
            {"DSOBSFINVEN", Text, 255}, {"NRCERVENDAREST", Text, 10},
            {"NRCOOVENDAREST", Text, 10}, {"IDORIGEMVENDA", Text, 7}, {"NRSEQPRODCOM", Text, 3},
            {"NRENDECONSCOMAN", Text, 10}, {"DSOBSCOMANDA", Text, 100},
            {"NRCOMANDAEXT", Text, 50}, {"DTHRAGENDADA", Stamp}, {"DSCUPOMPROMO", Text, 50},
            {"DSAREAATEND", Text, 500}, {"DTHRMESAFECH", Stamp}, {"IDCOBTXSERV", Text, 1},
            {"IDORIGPEDCMD", Text, 3}, {"CDCAIXACOLETOR", Text, 3}, {"CDGRPOCORDESCIT", Text, 2},
            {"DSOBSDESCIT", Text, 100}, {"CDSUPERVDESC", Text, 12}, {"CDCUPOMDESCQUB", Text, 10},
            {"CDCAMPCOMPGANHE", Text, 10}, {"DTINIVGCAMPCG", Stamp},
            {"NRIDESTRANGEIRA", Text, 20}, {"NRCPFFID4ALL", Text, 20},
            {"CDPROMOFID4ALL", Text, 50}, {"VRDESCCASH4ALL", Number}, {"VRDESCPROMO4ALL", Number},
            {"IDCOMANDAEXT", Text, 64}, {"IDENTRPLAT", Text, 1}, {"IDPAGAMENTOCX", Text, 1},
            {"NRREQEXTCMD", Text, 9}, {"DSEMAILENVCUPOM", Text, 50}, {"IDSITENVCUPOM", Text, 1},
            {"IDIMPPRGRPROMO", Text, 1}, {"IDOBSERVACAOAD", Text, 1},
            {"IDTIPOSALDOPROD", Text, 1}, {"NRCPFFIDUDS", Text, 20}, {"VRDESCCASHUDS", Number},
            {"NRCPFINTEPROMO", Text, 20}, {"IDPEDINTEPROMO", Text, 37}, {"NRTELCRM", Text, 15},
            {"VRDESCCRM", Number}, {"CDURLQRCODECONS", Text, 100}, {"NRTELGCOM", Text, 15},
            {"VRDESCGCOM", Number}, {"IDRESERVEGCOM", Text, 50}, {"IDCONSUMERGCOM", Text, 10},
            {"IDREQVALPRE", Text, 36}, {"NRCARVALPRE", Text, 100}, {"IDREQCOREBANC", Text, 36},
            {"IDCARTCOREBANC", Text, 36}, {"NRCPFCOREBANC", Text, 20}, {"VRRESGCOREBANC", Number},
            {"IDCUPOMVIMO", Text, 20}, {"IDBENEFVIMO", Text, 1}, {"NRTELVIMO", Text, 20},
            {"VRTOTVIMO", Number}, {"NRCPFFIXECRM", Text, 20}, {"VRRESGFIXECRM", Number},
            {"NRIDBONUSCRM", Text, 9}, {"NRNFCECRMBONUS", Text, 25}, {"CDGRUPROMOC", Text, 10},
            {"IDCARTCORECORP", Text, 36}, {"IDCARTCOREQUAL", Text, 36},
            {"VRRESGCORECORP", Number}, {"VRRESGCOREQUAL", Number}, {"CDGRPOCORVIMO", Text, 2},
            {"DSOBSVIMO", Text, 100}});
    define(cdsImpImposto,
           {{"CDIMPOSTO", Text, 2}, {"VRPEALIMPFIS", Number}, {"NMIMPOSTO", Text, 30},
            {"SGIMPOSTO", Text, 10}, {"VRTOTIMPOSTO", Number}});
    define(cdsVendaCancelada, saleRowHead,
           {{"CDSERVFILI", Text, 5},
            {"NMCONSVEND", Text, 50}, {"NRINSCRCONS", Text, 25}, {"VRUNITVENCLC", Number},
            {"CDPRODPROMOCAO", Text, 20}, {"NRCONTCUPOMFISC", Text, 10}, {"VRALIQIMPRIC", Number},
            {"CDORDALIQIMPRIC", Text, 5}, {"DSENDEVENDA", Text, 60}, {"NRSUBSERIEVND", Text, 50},
            {"NRORDEMVND", Text, 50}, {"NRSERIEVND", Text, 50}, {"NRSEQ", Text, 5},
            {"VRACRCOMANDA", Number}, {"VRACRCOMVEN", Number}, {"NRMESA", Text, 4},
            {"DTABERCAIX", Stamp}, {"STOBSPEDIDO", Text, 100}, {"DSOBSCANITE", Text, 100},
            {"CDGRPOCORCANITE", Text, 2}, {"CDSUPERVISOR", Text, 12}, {"CDPRODIMPFIS", Text, 20},
            {"IDPRODPRODUZ", Text, 1}, {"CDOPERCANC", Text, 12}});
    define(cdsMovCaixa, {{"VRMOVIVEND", Number}, {"IDTIPOMOVIVE", Text, 1},
                         {"CDIDCONSUMID", Text, 25}, {"NMCONSUMIDOR", Text, 50}});
    define(cdsDevolucao,
           {{"CDFILIAL", Text, 4}, {"CDPRODUTO", Text, 10}, {"QTPRODVEND", Text, 10},
            {"NMPRODUTO", Text, 30}, {"CDLOJA", Text, 10}, {"DTABERCAIX", Stamp},
            {"VRPRECITEM", Number}, {"CDOPERADOR", Text, 20}, {"CDORDALIQIMPR", Text, 10},
            {"VRALIQIMPR", Number}, {"CDFAMILISALD", Text, 10}, {"CDPRODPROMOCAO", Text, 10},
            {"VRUNITVENDCL", Number}, {"VRUNITVEND", Number}, {"NRSERIEIMPVND", Text, 30}});
}

void SaleDatasets::defineServerAnswers()
{
    define(cdsConsumidorDLV, {{"NMCONSUMIDOR", Text, 60}});
    define(cdsCadConsumidor, {{"CDCLIENTE", Text, 15}, {"CDCONSUMIDOR", Text, 20},
                              {"NMCONSUMIDOR", Text, 60}, {"IDTPVENDACONS", Text, 1},
                              {"VRSUBSBASICO", Number}, {"NRCPFRESPCON", Text, 14}});
    define(cdsImpBackup, {{"NRSEQIMPRLOJA", Text, 10}, {"DSENDPORTA", Text, 50},
                          {"DSENDPORTABK", Text, 50}, {"IDMODEIMPRESBK", Text, 2}});
    define(cdsObs, {{"CDGRPOCOR", Text, 2}, {"CDOCORR", Text, 2}, {"CDTIPRISCO", Text, 2},
                    {"DSOCORR", Text, 40}, {"CDPRODUTO", Text, 10}, {"IDCONTROLAOBS", Text, 1}});
    define(cdsTipoSaldoProd, {{"IDTIPOSALDO", Text, 1}, {"IDBLOQPROD", Text, 1},
                              {"HRINICIAL", Text, 4}, {"HRFINAL", Text, 4}});
    define(cdsValidProdNFCe, {{"CDCLASFISC", Text, 10}, {"CDCFOPPFIS", Text, 10},
                              {"IDTPIMPOSFIS", Text, 1}, {"CDCSTICMS", Text, 3},
                              {"CDCSTPISCOF", Text, 3}, {"VRALIQPIS", Number},
                              {"VRALIQCOFINS", Number}, {"CDSITUCRT", Text, 1}});
    define(cdsRegraFisPdv, {{"CDCSTIBSCBS", Text, 3}, {"CDCLATRIBIBSCBS", Text, 6},
                            {"VRALIQIBSUF", Number}, {"VRALIQIBSMUN", Number},
                            {"VRALIQCBS", Number}});
    define(cdsCampanha, {{"IDDIAUTIL", Text, 1}, {"CDCAMPCOMPGANHE", Text, 10},
                         {"DSCAMPCOMPGANHE", Text, 60}, {"QTCOMPGANHE", Number},
                         {"DTINIVGCAMPCG", Stamp}});
}

// The payment columns the settlement writes into cdsMovCaixa (the balance roads' row and the
// payment screen's rows), added after the columns the sale reads; and the always empty dataset.
void SaleDatasets::defineSettlement()
{
    const std::initializer_list<FieldSpec> payment{
        {"CDFILIAL", Text, 4},      {"DTHRINCMOV", Stamp},      {"CDTIPORECE", Text, 3},
        {"NMTIPORECE", Text, 40},   {"IDTIPORECE", Text, 2},    {"CDTIPOTROCO", Text, 3},
        {"NRORDTROCO", Text, 2},    {"CDCLIENTE", Text, 15},    {"CDCONSUMIDOR", Text, 20},
        {"CDCCUSCLIE", Text, 20},   {"DTMOVIMCAIXA", Stamp},    {"DSIMPFISCAL", Text, 40},
        {"CDBANCARTCR", Text, 10},  {"CDFPIMPFIS", Text, 2},    {"QTPARCRECEB", Text, 3},
        {"CDNSUHOSTTEF", Text, 50}, {"VRTROCO", Number}};
    for (const FieldSpec &field : payment) {
        if (cdsMovCaixa.FieldDefs().IndexOf(QString::fromLatin1(field.name)) < 0)
            cdsMovCaixa.FieldDefs().Add(QString::fromLatin1(field.name), field.type, field.size);
    }
    define(cdsVazio, {{"VAZIO", Text, 1}});
}

// The host's price function and promotion dialog, and the server's search list and prizes,
// bring their own fields when they fill these; the definitions are the columns the product
// entry reads, so that an unanswered call still leaves a dataset that opens empty.
void SaleDatasets::defineEntry()
{
    define(cdsRetornaPreco, {{"VRPRECO", Number}, {"VRDESCONTO", Number}, {"VRACRESCIMO", Number},
                             {"VRPRECOCLIE", Number}, {"VRPRECODIA", Number},
                             {"IDPRECVARIA", Text, 1}, {"IDPERCVALOR", Text, 1},
                             {"IDACREDESC", Text, 1}});
    define(cdsPesqProd, {{"CDPRODUTO", Text, 20}, {"NMPRODUTO", Text, 50}, {"CDARVPROD", Text, 20},
                         {"CDFAMILISALD", Text, 20}, {"IDPESAPROD", Text, 1}, {"SGUNIDADE", Text, 5},
                         {"QTTARAPROD", Text, 20}, {"IDIMPPRODUTO", Text, 1},
                         {"IDTIPOCOMPPROD", Text, 1}, {"DTINIVGPROMOC", Text, 20},
                         {"DTFINVGPROMOC", Text, 20}});
    define(cdsItPromoCombAux,
           {{"CDPRODUTO", Text, 20}, {"NMPRODUTO", Text, 50}, {"CDARVPROD", Text, 20},
            {"CDFILIAL", Text, 4}, {"NRSEQ", Text, 3}, {"CDGRUPROMOC", Text, 10},
            {"CDPRODVENDA", Text, 20}, {"VRUNVENDAEST", Number}, {"VRPRECOCLIE", Number},
            {"CDFAMILISALD", Text, 5}, {"IDPESAPROD", Text, 1}, {"SGUNIDADE", Text, 5},
            {"QTTARAPROD", Number}, {"VRACRESCIMO", Number}, {"VRDESCONTO", Number},
            {"QTPRODVEND", Number}, {"VRDESITVENDAEST", Number}, {"STOBSPEDIDO", Text, 2000},
            {"STOBSDIGITADA", Text, 2000}, {"IDIMPGRPROMO", Text, 1}, {"NRSEQITCANC", Text, 3},
            {"VRACRITVENDAEST", Number}, {"IDDESCCAMP", Text, 1}, {"NRSEQITEMADD", Text, 3},
            {"CDCAMPPROMO", Text, 10}});
    define(cdsBrindeCamp, {{"CDPRODUTO", Text, 20}, {"NMPRODUTO", Text, 50}});
    define(cdsPremio, {{"CDPRODUTO", Text, 20}, {"NMPRODUTO", Text, 50}, {"QTPRODVEND", Number}});
    define(cdsPremioComb, {{"CDPRODUTO", Text, 20}, {"NRSEQ", Text, 3}});
    define(cdsPremioObs, {{"CDOCORR", Text, 4}, {"NRSEQ", Text, 3}});
}

// One row per production ticket of the last order, in the columns the host's print service
// reads; created empty by each order.
void SaleDatasets::defineTickets()
{
    define(cdsImprimePedido,
           {{"NRCOMANDA", Text, 10}, {"NRMESA", Text, 4}, {"CDVENDEDOR", Text, 4},
            {"NMVENDEDOR", Text, 50}, {"QTPRODCOMVEN", Number}, {"CDARVPROD", Text, 20},
            {"NMPRODUTO", Text, 50}, {"IDCOMANDA", Text, 1}, {"DSOBSERVACAO", Text, 2000},
            {"CDPORIMPPROD", Text, 15}, {"SENHACUPOM", Text, 6}, {"NRSEQPRODCOM", Text, 3},
            {"DSCOMANDA", Text, 50}, {"CDPRODPROMOCAO", Text, 10}, {"IDPROMOCAO", Text, 1},
            {"NRSEQ", Text, 3}, {"IDIMPRODUVEZ", Text, 1}, {"VRPRECCOMVEN", Number},
            {"NMCONSVEND", Text, 50}, {"VRDESCCOMVEN", Number}, {"CDPRODUTO", Text, 15},
            {"IDMODEIMPRES", Text, 2}, {"MODELOPUXA", Text, 2}, {"PORTAPUXA", Text, 15},
            {"NRLUGARMESA", Text, 4}, {"NOMEPRODPAI", Text, 50}, {"CDPORIMPPROD2", Text, 15},
            {"IDMODEIMPRES2", Text, 2}, {"NRSEQITEM", Whole}, {"DSOBSPRODPAI", Text, 2000},
            {"IDORIGEMVENDA", Text, 7}, {"DSENDPORTA", Text, 50}, {"DSENDPORTA2", Text, 50},
            {"DSENDPORTAPUXA", Text, 50}, {"NRSEQPRODPAI", Text, 3}, {"IDOBSERVACAO", Text, 1},
            {"CDPORIMPPRODBKP", Text, 15}, {"CDPORIMPPROD2BKP", Text, 15},
            {"PORTAPUXABKP", Text, 15}, {"MODELOPUXABKP", Text, 2}, {"CDOPERADOR", Text, 12},
            {"NMOPERADOR", Text, 50}, {"QTPRODCOMBO", Number}});
}

// The record handed with every non-fiscal print. Its names, mixed case included, are what
// the printing services read.
void SaleDatasets::definePrintParameters()
{
    define(cdsParamImpCupNF,
           {{"CDIDCONSUMID", Text, 25}, {"NMCONSUMIDOR", Text, 50}, {"NRSEQVENDA", Text, 50},
            {"NRNAOFISCAL", Text, 20}, {"BOIMPREDZEPSON", FieldType::Boolean},
            {"VENDAREALIZADA", Text, 2}, {"TOTALPAGO", Number}, {"DOVALACR", Number},
            {"DSCOMANDA", Text, 20}, {"VRCOUVERT", Number}, {"VRCONSUMACA", Number},
            {"VRTXSERVICO", Number}, {"CDPRODCOUVER", Text, 10}, {"CDPRODCONSUM", Text, 10},
            {"stIdTipoImpNF1", Text, 5}, {"stIdTipoImpNF2", Text, 5}, {"stCdPortImpNF1", Text, 15},
            {"stCdPortImpNF2", Text, 15}, {"stIdVendImpNF1", Text, 5}, {"stIdVendImpNF2", Text, 5},
            {"STIDPAISINTEGRA", Text, 2}, {"stRedZLeituraX", Text, 1}, {"stImpFechaCaixa", Text, 1},
            {"stImpRelProduto", Text, 1}, {"stImpRedZLeituX", Text, 1}, {"stNrSerieECF", Text, 50},
            {"DTABERTURACAIXA", Stamp}, {"stRelProdutoDia", Text, 1}, {"NRMESA", Text, 4},
            {"BUSCANRPESSOAS", Text, 1}, {"NRPESMESAALT", Text, 5}, {"NMVENDEDOR", Text, 50},
            {"AGRUPADO", Text, 1}, {"COBRATAXA_FECHAMENTO", Text, 1},
            {"COBRACOUVER_FECHAMENTO", Text, 1}, {"COBRACONSUMACAO_FECHAMENTO", Text, 1},
            {"NRPESSOAS", Text, 5}, {"CDCLIENTE", Text, 21}, {"TIPOCONTA", Text, 50},
            {"VRBASECONSUM", Number}, {"STIMPPOSOBS", Text, 1}, {"TIPOVENDA", Text, 1},
            {"IDIMPCOMPCUPVEN", Text, 1}, {"SENHACUPOM", Text, 6}, {"IDAMBTRABNFCE", Text, 1},
            {"DATAEMISSNFCE", Text, 30}, {"QRCODENFCe", Text, 8000}, {"CHAVEACESSONFCe", Text, 55},
            {"stIdTipoImpNF3", Text, 5}, {"stCdPortImpNF3", Text, 15}, {"stIdVendImpNF3", Text, 5},
            {"STIBPT", Text, 10}, {"STIBPTES", Text, 10}, {"PROTAUTNFCE", Text, 30},
            {"NRSERIESAT", Text, 50}, {"STNRNOTAFISCALCE", Text, 10}, {"STDIRSAT", Text, 100},
            {"VRSALDOFINALCREDCONS", Text, 100}, {"VRTOTCONSUMODIA", Number},
            {"IDRETBALLOJA", Text, 1}});
}

// The card roads fill the last transaction from their own packet; these columns only let an
// untouched dataset open empty for the card receipt.
void SaleDatasets::defineCardReceipt()
{
    define(cdsUltTef, {{"CDNSUHOSTTEF", Text, 50}, {"CDBANCARTCR", Text, 10},
                       {"VRMOVIVEND", Number}, {"NMTIPORECE", Text, 40}});
}

void SaleDatasets::definePartners()
{
    define(cdsConsClubPetro, {{"COD_CLIENTE", Text, 50}, {"CARTAO", Text, 50}, {"TELCELULAR", Text, 50},
                              {"SALDOPONTOS", Text, 50}, {"CPF_ATIVO", Text, 10}, {"CDCONSRESGSALDO", Text, 50},
                              {"VRRESGATE", Number}, {"SENHARESGATE", Text, 500}, {"GRUPOCONS", Text, 500}});
    cdsConsClubPetro.CreateDataSet();
    define(cdsPromocao, {{"CDPROMOCAO", Text, 50}, {"DSPROMOCAO", Text, 50}, {"DTVALPROMO", Stamp},
                         {"DSTIPPROMO", Text, 50}, {"VRPROMOCAO", Number}});
}
