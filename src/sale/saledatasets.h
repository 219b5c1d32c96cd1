#pragma once

#include <runtime/clientdataset.h>

#include <QList>
#include <QString>

// The client datasets of the sale form, named as the handlers name them. The form owns the one
// instance for the life of the process; handlers reach it through the sale context.
//
// Field definitions are set once, at construction, by one function per family (see the .cpp);
// a road that needs a new dataset adds a member here and its fields in its family's function.
// Datasets filled from a file or a server packet take the packet's fields when loaded.
class SaleDatasets
{
public:
    SaleDatasets();
    SaleDatasets(const SaleDatasets &) = delete;
    SaleDatasets &operator=(const SaleDatasets &) = delete;

    // Parameter row, fiscal identification, CRM bonus settings.
    ClientDataSet cdsParametrosQub{QStringLiteral("cdsParametrosQub")};
    ClientDataSet cdsIdentPaf{QStringLiteral("cdsIdentPaf")};
    ClientDataSet cdsDadosCRMBONUS{QStringLiteral("cdsDadosCRMBONUS")};

    // Local cadastre copies (Dados\Cadastros\), in load order; see cadastreFiles().
    ClientDataSet cdsConfTipoRece{QStringLiteral("cdsConfTipoRece")};
    ClientDataSet cdsAliqImpFis{QStringLiteral("cdsAliqImpFis")};
    ClientDataSet cdsCliente{QStringLiteral("cdsCliente")};
    ClientDataSet cdsECFCaixa{QStringLiteral("cdsECFCaixa")};
    ClientDataSet cdsGarcom{QStringLiteral("cdsGarcom")};
    ClientDataSet cdsOperador{QStringLiteral("cdsOperador")};
    ClientDataSet cdsProdutos{QStringLiteral("cdsProdutos")};
    ClientDataSet cdsProdutoCombinado{QStringLiteral("cdsProdutoCombinado")};
    ClientDataSet cdsMaxGrupo{QStringLiteral("cdsMaxGrupo")};
    ClientDataSet cdsMaxProduto{QStringLiteral("cdsMaxProduto")};
    ClientDataSet cdsPortaProd{QStringLiteral("cdsPortaProd")};
    ClientDataSet cdsAliquota{QStringLiteral("cdsAliquota")};
    ClientDataSet cdsMenuComb{QStringLiteral("cdsMenuComb")};
    ClientDataSet cdsConfigProd{QStringLiteral("cdsConfigProd")};
    ClientDataSet cdsConfigGrupo{QStringLiteral("cdsConfigGrupo")};
    ClientDataSet cdsValidaAbertura{QStringLiteral("cdsValidaAbertura")};
    ClientDataSet cdsProdServTCon{QStringLiteral("cdsProdServTCon")};
    ClientDataSet cdsProdServ{QStringLiteral("cdsProdServ")};
    ClientDataSet cdsFamSaldo{QStringLiteral("cdsFamSaldo")};
    ClientDataSet cdsDataMovimento{QStringLiteral("cdsDataMovimento")};
    ClientDataSet cdsFiliOper{QStringLiteral("cdsFiliOper")};
    ClientDataSet cdsProdAmbiente{QStringLiteral("cdsProdAmbiente")};
    ClientDataSet cdsMesaSala{QStringLiteral("cdsMesaSala")};

    // The logged operator (ControleAcess.cds).
    ClientDataSet cdsControleAcess{QStringLiteral("cdsControleAcess")};

    // The open sale. cdsItems holds its lines (index DTINCLUSAO), cdsItensCancelados the lines
    // cancelled while it is open; both are mirrored in the recovery files of a counter sale.
    ClientDataSet cdsItems{QStringLiteral("cdsItems")};
    ClientDataSet cdsFamiliaSaldo{QStringLiteral("cdsFamiliaSaldo")};
    ClientDataSet cdsFamSaldoComp{QStringLiteral("cdsFamSaldoComp")};
    ClientDataSet cdsEmprestimoFam{QStringLiteral("cdsEmprestimoFam")};
    ClientDataSet cdsValidaProd{QStringLiteral("cdsValidaProd")};        // copy of cdsProdutos
    ClientDataSet cdsProdCombinado{QStringLiteral("cdsProdCombinado")};  // copy of cdsProdutoCombinado
    ClientDataSet cdsItensCancelados{QStringLiteral("cdsItensCancelados")};
    ClientDataSet cdsObsItens{QStringLiteral("cdsObsItens")};
    ClientDataSet cdsObsItensEst{QStringLiteral("cdsObsItensEst")};
    ClientDataSet cdsPromoComanda{QStringLiteral("cdsPromoComanda")};
    // Counter loyalty and the promotions service: the consumer's benefits offered for an item,
    // the points discount offer, and the promotions, products and errors the service answered.
    ClientDataSet cdsListaBeneficio{QStringLiteral("cdsListaBeneficio")};
    ClientDataSet cdsDescVendaFid{QStringLiteral("cdsDescVendaFid")};
    ClientDataSet cdsPromocaoInt{QStringLiteral("cdsPromocaoInt")};
    ClientDataSet cdsProdutosInt{QStringLiteral("cdsProdutosInt")};
    ClientDataSet cdsErros{QStringLiteral("cdsErros")};
    ClientDataSet cdsItPromoComb{QStringLiteral("cdsItPromoComb")};
    ClientDataSet cdsItPromoObs{QStringLiteral("cdsItPromoObs")};
    ClientDataSet cdsControlPromoObs{QStringLiteral("cdsControlPromoObs")};
    ClientDataSet cdsCupomDescVenda{QStringLiteral("cdsCupomDescVenda")};
    ClientDataSet cdsExtratoTemp{QStringLiteral("cdsExtratoTemp")};     // lines of the receipt grid

    // Rows handed to settlement (rebuilt by PreencheVenda) and what settlement fills.
    ClientDataSet cdsVenda{QStringLiteral("cdsVenda")};
    ClientDataSet cdsImpImposto{QStringLiteral("cdsImpImposto")};
    ClientDataSet cdsVendaCancelada{QStringLiteral("cdsVendaCancelada")};
    ClientDataSet cdsMovCaixa{QStringLiteral("cdsMovCaixa")};
    ClientDataSet cdsDevolucao{QStringLiteral("cdsDevolucao")};
    ClientDataSet cdsItensDevolv{QStringLiteral("cdsItensDevolv")}; // the returned items' file, as read
    ClientDataSet cdsExtConsFid{QStringLiteral("cdsExtConsFid")};       // fields from its packet
    // The consumer's register rows and balance per family (CDFAMILISALD, VRSALDCONFAM), as the
    // consumer roads and the settlement end load them from their server packets.
    ClientDataSet cdsConsultaSaldo{QStringLiteral("cdsConsultaSaldo")};
    // The consumer limits: the type's maxima at the store (getTipoConsLoja), the item family's
    // rule, the families before it in approval order and its consumption today
    // (getOrdemFamilia), the type's balances at the branch (GetTipoConsFili), the branch's
    // subsidised products and the consumer's consumption of a product today.
    ClientDataSet cdsTipoConsLoja{QStringLiteral("cdsTipoConsLoja")};
    ClientDataSet cdsOrdFam{QStringLiteral("cdsOrdFam")};
    ClientDataSet cdsSupOrdemFamilia{QStringLiteral("cdsSupOrdemFamilia")};
    ClientDataSet cdsConsumoFamilia{QStringLiteral("cdsConsumoFamilia")};
    ClientDataSet cdsTipoConsFili{QStringLiteral("cdsTipoConsFili")};
    ClientDataSet cdsProdSubsidiado{QStringLiteral("cdsProdSubsidiado")};
    ClientDataSet cdsVerifProdConsumi{QStringLiteral("cdsVerifProdConsumi")};
    // The badge sale's consumer figures: the sale data of the balance check before the sale, the
    // source's balance packet, the type's rules in the branch and the first statement date.
    ClientDataSet cdsDadosPreVDSaldo{QStringLiteral("cdsDadosPreVDSaldo")};
    ClientDataSet cdsSaldo{QStringLiteral("cdsSaldo")};
    ClientDataSet cdsMinDtMovExtCons{QStringLiteral("cdsMinDtMovExtCons")};

    // Answers of the server kept for the call.
    ClientDataSet cdsConsumidorDLV{QStringLiteral("cdsConsumidorDLV")};
    ClientDataSet cdsCadConsumidor{QStringLiteral("cdsCadConsumidor")}; // getCadConsumidor
    ClientDataSet cdsImpBackup{QStringLiteral("cdsImpBackup")};
    ClientDataSet cdsDadosResgSaldo{QStringLiteral("cdsDadosResgSaldo")};
    ClientDataSet cdsCampanha{QStringLiteral("cdsCampanha")};
    ClientDataSet cdsObs{QStringLiteral("cdsObs")};                     // getOcorPed
    ClientDataSet cdsTipoSaldoProd{QStringLiteral("cdsTipoSaldoProd")}; // getTipoSaldoProd
    ClientDataSet cdsValidProdNFCe{QStringLiteral("cdsValidProdNFCe")}; // getValidProdNFCe
    ClientDataSet cdsRegraFisPdv{QStringLiteral("cdsRegraFisPdv")};     // getRegraFisPdv

    // Settlement: the empty dataset passed where a service expects one that is not used.
    ClientDataSet cdsVazio{QStringLiteral("cdsVazio")};
    // Product entry: the price function's answer, the search list, the promotion dialog's
    // components and the buy-and-win prizes of the item on its road.
    ClientDataSet cdsRetornaPreco{QStringLiteral("cdsRetornaPreco")};
    ClientDataSet cdsPesqProd{QStringLiteral("cdsPesqProd")};
    ClientDataSet cdsItPromoCombAux{QStringLiteral("cdsItPromoCombAux")};
    // Partner clients: the ClubPetro customers consulted in the process's life (one row per
    // good consult, the last one current), the store's GCOM settings the cancellation loads,
    // and the 4ALL promotions of the cashback consultation.
    ClientDataSet cdsConsClubPetro{QStringLiteral("cdsConsClubPetro")};
    ClientDataSet cdsDadosGCOM{QStringLiteral("cdsDadosGCOM")};
    ClientDataSet cdsPromocao{QStringLiteral("cdsPromocao")};
    ClientDataSet cdsBrindeCamp{QStringLiteral("cdsBrindeCamp")};
    ClientDataSet cdsPremio{QStringLiteral("cdsPremio")};
    ClientDataSet cdsPremioComb{QStringLiteral("cdsPremioComb")};
    ClientDataSet cdsPremioObs{QStringLiteral("cdsPremioObs")};

    // Order printing: the production tickets of the last order, the print parameter record
    // that goes with every non-fiscal print, and the last card transaction (filled by the
    // card roads) whose receipt the counter prints.
    ClientDataSet cdsImprimePedido{QStringLiteral("cdsImprimePedido")};
    ClientDataSet cdsParamImpCupNF{QStringLiteral("cdsParamImpCupNF")};
    ClientDataSet cdsUltTef{QStringLiteral("cdsUltTef")};

    // One local cadastre file and the dataset it loads into.
    struct CadastreFile
    {
        const char *file;
        ClientDataSet SaleDatasets::*dataset;
    };
    // The 23 cadastre files in the order start-up loads them.
    static const QList<CadastreFile> &cadastreFiles();

    // The dataset of that name (without regard to case); null when the form has none.
    ClientDataSet *byName(const QString &name);
    // Every dataset of the form.
    QList<ClientDataSet *> all();

private:
    void defineParameters();
    void defineCadastres();
    void defineSale();
    void defineItems();
    void defineCancelledItems();
    void defineCombos();
    void defineReceipt();
    void defineSettlementRows();
    void defineServerAnswers();
    void defineSettlement();
    void defineEntry();
    void defineTickets();
    void definePrintParameters();
    void defineCardReceipt();
    void definePartners();
};
