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

void define(ClientDataSet &dataset, std::initializer_list<FieldSpec> fields)
{
    dataset.FieldDefs().Clear();
    for (const FieldSpec &field : fields)
        dataset.FieldDefs().Add(QString::fromLatin1(field.name), field.type, field.size);
}

} // namespace

SaleDatasets::SaleDatasets()
{
    defineParameters();
    defineCadastres();
    defineSale();
    defineServerAnswers();
    defineEntry();
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
    found += {&cdsItems, &cdsFamiliaSaldo, &cdsValidaProd, &cdsProdCombinado, &cdsItensCancelados,
              &cdsObsItens, &cdsObsItensEst, &cdsPromoComanda, &cdsItPromoComb,
              &cdsCupomDescVenda, &cdsExtratoTemp, &cdsConsumidorDLV, &cdsImpBackup,
              &cdsDadosResgSaldo, &cdsCampanha, &cdsRetornaPreco, &cdsPesqProd,
              &cdsItPromoCombAux, &cdsItPromoObs, &cdsControlPromoObs, &cdsBrindeCamp, &cdsPremio,
              &cdsPremioComb, &cdsPremioObs};
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
                          {"CDPORIMPPROD", Text, 10}, {"IDIMPCANITEM", Text, 1}});
    define(cdsControleAcess, {{"CDOPERADOR", Text, 12}, {"NMOPERADOR", Text, 50}});
}

void SaleDatasets::defineSale()
{
    // The lines of the open sale as the receipt writers read them; the item road widens it.
    define(cdsItems, {{"NRSEQ", Text, 3}, {"CDPRODUTO", Text, 20}, {"CDARVPROD", Text, 20},
                      {"NMPRODUTO", Text, 50}, {"CDFAMILISALD", Text, 5},
                      {"QTPRODCOMVEN", Number}, {"VRPRECCOMVEN", Number},
                      {"VRUNITVENDCL", Number}, {"VRDESCCOMVEN", Number},
                      {"VRACRCOMVEN", Number}, {"SGUNIDADE", Text, 5}, {"IDPESAPROD", Text, 1},
                      {"NRLUGARMESA", Text, 2}, {"STOBSPEDIDO", Text, 2000},
                      {"CDPRODPROMOCAO", Text, 20}, {"NRSEQPRODCOM", Text, 3},
                      {"DTINCLUSAO", Stamp}, {"CDSERVFILI", Text, 5}});
    define(cdsFamiliaSaldo, {{"CDFAMILISALD", Text, 5}, {"VRSALDCONFAM", Number}});
    define(cdsValidaProd, {{"CDPRODUTO", Text, 20}, {"NMPRODUTO", Text, 50}});
    define(cdsProdCombinado, {{"CDPRODUTO", Text, 20}});
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
    define(cdsObsItens, {{"NRSEQ", Text, 3}, {"CDPRODUTO", Text, 20}, {"CDGRPOCOR", Text, 4},
                         {"CDOCORR", Text, 4}});
    define(cdsObsItensEst, {{"NRSEQ", Text, 3}, {"CDPRODUTO", Text, 20},
                            {"CDGRPOCOR", Text, 4}, {"CDOCORR", Text, 4},
                            {"NRSEQORIG", Text, 3}});
    define(cdsPromoComanda, {{"CDPRODUTO", Text, 20}, {"NRSEQ", Text, 3}});
    define(cdsItPromoComb, {{"CDPRODVENDA", Text, 20}, {"NRSEQ", Text, 3},
                            {"NRORDITEM", FieldType::Integer}, {"CDPRODUTO", Text, 20},
                            {"NMPRODUTO", Text, 50}, {"QTPRODVEND", Number},
                            {"TXPRODCOMVENEST", Text, 2000}});
    define(cdsCupomDescVenda, {{"CDCUPOMDESCQUB", Text, 10}});
    define(cdsExtratoTemp, {{"DSITEM", Text, 200}, {"CDPROD", Text, 20}, {"NMPROD", Text, 50},
                            {"STVALOR", Text, 20}, {"STQTDE", Text, 20}, {"NRSEQ", Text, 10}});
}

void SaleDatasets::defineServerAnswers()
{
    define(cdsConsumidorDLV, {{"NMCONSUMIDOR", Text, 60}});
    define(cdsCampanha, {{"IDDIAUTIL", Text, 1}, {"CDCAMPCOMPGANHE", Text, 10},
                         {"DSCAMPCOMPGANHE", Text, 60}, {"QTCOMPGANHE", Number},
                         {"DTINIVGCAMPCG", Stamp}});
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
    define(cdsItPromoObs, {{"NRSEQ", Text, 3}, {"CDPRODUTO", Text, 20}, {"CDGRPOCOR", Text, 4},
                           {"CDOCORR", Text, 4}, {"NRSEQITCANC", Text, 3}, {"NRCOMANDA", Text, 10}});
    define(cdsControlPromoObs, {{"NRSEQ", Text, 3}, {"IDIMPGRPROMO", Text, 1},
                                {"CDPRODUTO", Text, 20}, {"QTPRODCOMVEN", Number},
                                {"NRSEQITCANC", Text, 3}, {"CDOCORR", Text, 4}});
    define(cdsBrindeCamp, {{"CDPRODUTO", Text, 20}, {"NMPRODUTO", Text, 50}});
    define(cdsPremio, {{"CDPRODUTO", Text, 20}, {"NMPRODUTO", Text, 50}, {"QTPRODVEND", Number}});
    define(cdsPremioComb, {{"CDPRODUTO", Text, 20}, {"NRSEQ", Text, 3}});
    define(cdsPremioObs, {{"CDOCORR", Text, 4}, {"NRSEQ", Text, 3}});
}
