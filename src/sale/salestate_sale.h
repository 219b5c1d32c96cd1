#pragma once

#include <QDateTime>
#include <QString>

// Families of the sale form's state that describe the call, the operator, start-up and the
// running sale. Initial values are those a fresh sale starts with, so a default-constructed
// family is the family of a till with nothing sold. HostArguments, OperatorRights and
// StartupResults outlive a sale; the others are per-sale families of SaleRecord (salestate.h).

// Arguments of the current host call (VendaCons), as text. Owner: the call start; they last
// the whole call. The sale's client, consumer and waiter start from them and go back to the
// till's defaults when a sale ends (SaleState::endSale).
struct HostArguments
{
    QString stNRVENDAREST;       // argument 0: restaurant sale of the open table, tab or order
    QString stNrComandaExib;     // argument 1: tab or order number shown to the user
    QString stCdClienteVenda;    // argument 2: client of the sale (counter: parameter CDCLIENTE)
    QString stNRMESA;            // argument 3, adjusted to 4 characters
    QString stNRCOMANDA;         // argument 4: tab
    QString stCDVENDEDOR;        // argument 5 adjusted to 4, else the operator's own waiter
    QString stModoVenda;         // argument 6: "B" counter, "M" table, "C" tab, "D" delivery
    QString stCdConsumidorVenda; // argument 7: consumer of the sale; a badge sale replaces it
    QString stIDRETBALLOJA;      // argument 9: the print parameter IDRETBALLOJA
    QString stRetornoVenda;      // exit keyword handed back to the host; never reset between calls
};

// The logged operator and what the host's access check granted. Owner: the call start (the
// operator file and the access check); they last the call.
struct OperatorRights
{
    QString stCDOPERADOR;         // from the operator file ControleAcess.cds, not the parameter row
    QString stNMOPERADOR;
    QString stCdVendedorOperador; // waiter code tied to the operator in Garcom.cds

    // Answers of the host's ControleAcess, "S" or "N"; only "N" denies.
    QString stAcessoConsultaPreco;
    QString stAcessoPesqProduto;
    QString stAcessoCancItemGen;
    QString stAcessoObsProduto;
    QString stAcessoCancCupom;
    QString stAcessoProdCombinado;
    QString stAcessoMultiplicador;

    // Access codes: the CT* columns of the parameter row, loaded with the parameter copies.
    int inCTCONSULTAPRECO = 0;
    int inCTPESQPRODUTO = 0;
    int inCTCANCITEMGEN = 0;
    int inCTOBSPRODUTO = 0;
    int inCTCANCCUPOM = 0;
    int inCTPRODCOMBINADO = 0;
    int inCTMULTIPLICADOR = 0;
    int inCTTROCAOPERADOR = 0;
    int inCTABRIRGAVETA = 0;
};

// Values start-up computes beside the parameter copies: once per process, then per call.
// Owner: the process and call start-up; no sale writes them.
struct StartupResults
{
    // CRM bonus settings of the branch and store (IDCRMBONUS, CDURLCRMBONUS, CDAUTHCRMBONUS,
    // CDCODECRMBONUS, in that order), read by the receipt cancellation.
    QString stCancCupomAux4;
    QString stCancCupomAux5;
    QString stCancCupomAux6;
    QString stCancCupomAux7;
    bool boExibeVisualiza = false;  // the customer display form is in use
    QString stMD5ARQUIVOTXT;        // "MD-5:" + the deciphered fiscal identification
    QString stCDATIVACAOSAT;        // SAT activation code (AberturaCaixa.cds), deciphered
    QDateTime dtDATAMOVIMENTO;      // business date of the desk (DataMovimento.cds)
    bool boConfTipoRece = false;    // cdsConfTipoRece holds receipt type exactly "9"
    QDateTime dtMovimentoFiscal;    // sale date: the fiscal printer's movement date, or today
    QString stRecebAux7;            // system code of the sale header, "BAL_QUB"
    QString stInicializaAux1;       // ticket layout: "VENDA_NFCe", "EXTRATO_SAT", "CUPOM_PEDIDO"
    QString stRecebAux20;           // document kind: "N" NFC-e, "S" SAT, "E" neither
    QString stIDLEITURAQRCODE;      // "S": QR-code sale reading (server's desk configuration)

    // Per call.
    QDateTime dtAberturaMesa;           // opening time of the table or tab
    QString stTipoVendaAux1;            // "S" when the branch has an active campaign, else "N"
    QString stRecebAux2;                // the day's folder of NFC-e/SAT documents
    QString stInicializaAux3 = QStringLiteral("N");
    QString stImpPesagem;               // "S": table and tab sales print the weighing receipt
    QString stCupomAux1;                // "S": discount coupons enabled (getIDUTCUPOMDESC)
};

// Who authorised what the sale asked an access check for (a cancellation, a search, the
// payment screen's supervisor). The answer belongs to the sale it was given in: the next sale,
// or the next table order, logs no authoriser it did not ask for.
struct SaleAccess
{
    QString stRetAcesso;                // result text of the last access check (the authorising user)
};

// The kind of road under way and the sale's own switches. The guards of the handlers, which
// a sale ending under a running handler must not release, are HandlerGuards (salestate_till.h).
struct SaleFlags
{
    bool boRecebendo = false;           // settlement or automatic loading running: keys ignored
    bool boBalcaoAux1 = false;          // quantity typed beforehand: the next item is not weighed
    bool boInicializaAux1 = false;      // QR-code sale mode of the key handler
    bool boTipoVendaSelecionado = false; // the consumer sale-kind chooser is on screen
    bool boCupomAberto = false;         // a sale or fiscal receipt is open
    bool boAddProdAux1 = false;         // observations asked for the last line
    bool boAddProdAux2 = false;         // the item was weighed
    bool boObsAux1 = false;             // group observation asked for by the combined product
    bool boTefOk = false;               // SAT transmission accepted

    // Consumer sale kinds and badge mode.
    bool boVendaDebito = false;
    bool boCreditoPessoal = false;
    bool boVendaVista = false;
    bool boModoCartao = false;          // badge button down
};

// Money and quantities of the sale and of the item being registered.
struct SaleTotals
{
    double doQuantidade = 1.0;          // preset quantity of the next item
    double doVrDescontoItem = 0.0;      // unit discount of the item being registered
    double doVrAcrescimoItem = 0.0;     // surcharge of the item being registered
    double doVrAcrComanda = 0.0;        // tab surcharge accumulated for the sale
    double doTotalVenda = 0.0;
    double doExtratoAux1 = 0.0;         // total quantity of the sale
    double doVrTxServico = 0.0;         // service charge
    double doProdCombAux1 = 0.0;        // VRCOMISVENDE of the combo part being registered
    double doProdCombAux2 = 0.0;
    double doComboAux1 = 0.0;           // value of the chosen prize
    double doDigitacaoAux1 = 0.0;       // price of the combination (RetornaPrecoCombo)
    double doVrImpostoAprox = 0.0;      // approximate tax of the sale (also named doNrDocFiscal)
    double doHistoricoAux1 = 0.0;       // surcharge of the open tabs, added to the history total
};

// Integer counters and positions.
struct SaleCounters
{
    int inInicializaAux4 = 1;           // number of the next item line
    int inPedidoAux2 = 0;
    int inPedidoAux3 = 0;
    // Geometry of the host's search window, handed unchanged to every search dialog.
    int inAddProdAux1 = 0;
    int inAddProdAux2 = 0;
    int inAddProdAux3 = 0;
    int inAddProdAux4 = 0;
};

// Working texts of the item roads.
struct RoadFields
{
    QString stNRSEQ;                    // line number of the last registered line (3 digits)
    QString stQtdeCodBarra;             // quantity or value cut from a scale label
    QString stNrSeqObs;                 // line under which components and observations go
    QString stProdutoAux1;              // bare product code, tested against the typed buffer
    QString stCDBARPRODUTO;             // bar code of the product being sold
    QString stBalcaoAux2;               // promotion product of a line sold again
    QString stBalcaoAux3;               // item group (NRSEQPRODCOM) of that line
    QString stNMGRUPOSEGPETRO;          // fuel-station loyalty segment group of the consumer
    QString stVRPRECODIA;               // day price answered for that group
    QString stAddProdAux1;              // consumer's telephone
    QString stAddProdAux2;              // promotion group of the line being added
    QString stAddProdAux3;              // refill mark of the line being added
    QString stPedidoAux3;               // saved IDSOLOBSPED while observations are added
    QString stPedidoAux4;               // parent line of the line being added
    QString stPedidoAux5;               // observation mark of the line being added
    QString stExtratoAux2;              // open tabs for the item query, as "_12_15_"
};
