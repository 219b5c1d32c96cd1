#pragma once

#include "pkg_hrk0000_common.h"

// Requests and answers of the host's sale services (package Pkg_Hrk00002): the price
// functions, the payment screen, the sale save, taxes, NFC-e and SAT documents and the
// records of cancelled sales.

// ChamaFuncaoRetornaPreco: the server's price of an order item. The answer is the unit price
// as a decimal text or one of the codes "PRECNCAD", "TABENCAD", "DTCLI", "DTPAR", "DTLOJ",
// "PRECZERO". A failure is answered in `failure`, never thrown.
struct PriceTextRequest
{
    QString cdFilial{};
    QString cdCliente{};
    QString cdProduto{};
    QString cdLoja{};
    QString cdConsumidor{};
    QString modoVenda{};
    bool operator==(const PriceTextRequest &) const = default;
};

struct PriceTextAnswer
{
    QString text{};    // price or code
    QString failure{}; // non-empty: the host raised
    bool operator==(const PriceTextAnswer &) const = default;
};

// ChamaFuncaoGetRetornaPreco: fills one row of `cdsRetornaPreco` (VRPRECO, VRDESCONTO,
// VRACRESCIMO, VRPRECOCLIE, VRPRECODIA, IDPERCVALOR, IDACREDESC, IDPRECVARIA). Callers pass
// nine values; the prize dialog passes eight (no mode letter), the counter product button
// ten (with CDTIPOCONS); `valueCount` keeps what was passed.
struct PriceRequest
{
    QString cdFilial{};
    QString cdClienteVenda{};
    QString cdProduto{};
    QString cdLoja{};
    QString cdConsumidor{};
    QString hora{};            // "HHMM"
    QString combinado{};       // "" or "S" for a part of a combined product
    bool vendaDebito = true; // boVendaDebito when IDUTTABPRECLVDC = "S", else True
    QString modoVenda{};
    QString cdTipoCons{};      // tenth value
    int valueCount = 9;

    QList<Variant> toArray() const;
    bool operator==(const PriceRequest &) const = default;
};

// A refusal is the host's code for an unpriced item: "PRECNCAD", "TABENCAD",
// "DTCLI", "DTPAR", "DTLOJ", "PRECZERO", "BLOQUEADO", "FORAHORA", or any other text.
struct PriceAnswer
{
    bool ok = false;
    QString refusal{};
    Variant result{}; // the call's own result, for Consiste.CheckResultServ
    bool operator==(const PriceAnswer &) const = default;
};

// Recebimento: the payment screen, 48 arguments. Datasets go by reference in
// `PaymentDatasets`; the values here are numbered as the callers pass them (1-based, as the
// payment screen's table is written). Out-values come back in `PaymentAnswer`.
struct PaymentRequest
{
    // 2, 8-15: in-out values handed in with their current content
    QString stRetAcesso{};            // 2
    QString documentNumber{};         // 9: document number in hand
    QString stNRCONTCUPOMFISC{};      // 10: receipt counter
    QString text11{};                 // 11
    int inRecebAux3 = 0;            // 12
    QString text13{};                 // 13
    QString stCompraCredAux2{};       // 14
    Variant amountPaid{};             // 15: exchange credit, covered amount, credit total, debit part
    QString systemCode = "RES";     // 20
    QString cdClienteVenda{};         // 21
    QString cdConsumidorVenda{};      // 22
    QString saleKind{};               // 23: "C" cash consumer sale, "N", "S" (credit purchase)
    QString nmConsumidor{};           // 24
    QString nrCracha{};               // 25
    QString familyName{};             // 26: credit purchase only, else empty
    QString buyerDocument{};          // 27
    QString buyerName{};              // 28
    QString buyerForeignId{};         // 29
    Variant familyBalance{};          // 30: credit purchase only (number), else empty
    QString value31{};                // 31
    QString stRecebAux5{};            // 32
    QString modoVenda{};              // 33
    QString stSenhaPedido{};          // 34
    QString waiterName{};             // 35
    QString stCartaoAux1{};           // 36: cost centre
    QString roadMarker = "N";       // 37: "N" ordinary, "T" exchange, "S" completion / complement
    QString stRecebAux12{};           // 41 (in-out)
    QString value42{};                // 42
    QString stRecebAux13{};           // 43 (in-out)
    QString stRecebAux14{};           // 44 (in-out)
    QString stConfRecebimento{};      // 45 (in-out)
    bool operator==(const PaymentRequest &) const = default;
};

struct PaymentDatasets
{
    ClientDataSet &cdsParametrosQub;  // 1
    ClientDataSet &cdsVenda;          // 3
    ClientDataSet &cdsVendaCancelada; // 4
    ClientDataSet &cdsMovCaixa;       // 5: filled with the payments
    ClientDataSet &cdsFamiliaSaldo;   // 6
    ClientDataSet &cdsEmprestimoFam;  // 7
    ClientDataSet &cdsCliente;        // 16
    ClientDataSet &cdsAliqImpFis;     // 17
    ClientDataSet &cdsConfTipoRece;   // 18
    ClientDataSet &cdsECFCaixa;       // 19
    ClientDataSet &cdsExtConsFid;     // 47
    ClientDataSet &cdsPromoComanda;   // 48
    QList<const ClientDataSet *> list() const
    {
        return {&cdsParametrosQub, &cdsVenda, &cdsVendaCancelada, &cdsMovCaixa, &cdsFamiliaSaldo,
                &cdsEmprestimoFam, &cdsCliente, &cdsAliqImpFis, &cdsConfTipoRece, &cdsECFCaixa,
                &cdsExtConsFid, &cdsPromoComanda};
    }
};

struct PaymentAnswer
{
    bool paid = false;
    QString failure{};                // the host could not show the screen
    QString stRetAcesso{};            // 2
    bool recordAsCancelled = false; // 8: on an unpaid answer, record the sale as cancelled
    QString documentNumber{};         // 9
    QString stNRCONTCUPOMFISC{};      // 10
    QString text11{};                 // 11: header value 14
    int inRecebAux3 = 0;            // 12
    QString text13{};                 // 13
    QString stCompraCredAux2{};       // 14: not empty = a card receipt is due
    Variant amountPaid{};             // 15
    QString stRecebAux11{};           // 38: header value 31
    QStringList inRecebAux4{};        // 39: card-payment receipt lines
    QString stNrOrdemVnd{};           // 40
    QString stRecebAux12{};           // 41: header value 30
    QString stRecebAux13{};           // 43: header value 44
    QString stRecebAux14{};           // 44: header value 45
    QString stConfRecebimento{};      // 45: "S" when the screen issued the document itself
    QString stVendeProdAux1{};        // 46
    bool operator==(const PaymentAnswer &) const = default;
};

// SetConcluiFechamento: the sale save. The 51-value header, named; `toArray()` gives the
// positional form (the QR-code road with a fiscal printer passes 46 values, see
// `valueCount`).
struct ClosingHeader
{
    QString cdCaixa{};               // 0
    QDateTime dtAberCaix{};          // 1
    QString cdEmpresa{};             // 2
    QString documentNumber{};        // 3
    QString stNRCONTCUPOMFISC{};     // 4
    QString cdFilial{};              // 5
    QString value6{};                // 6 (QR road: payload tab number)
    QString value7{};                // 7
    QString cdLoja{};                // 8
    QString nrMesa{};                // 9
    QString nrVendaRest{};           // 10
    QString pos = "POS";           // 11
    QString stRecebAux9{};           // 12: sale number taken at settlement
    QString idPaisIntegra{};         // 13
    QString paymentText11{};         // 14: payment screen output 11 or fiscal close answer
    QString nrSerieImp{};            // 15
    int idTipoImpFis = 0;          // 16
    QString dsModeloEcfVe{};         // 17
    QString dsMarcaEcfVe{};          // 18
    QString ecfImp{};                // 19
    QDateTime dtDataMovimento{};     // 20
    QString value21{}, value22{};      // 21, 22
    QString sgEstadoFili{};          // 23
    QString value24{};               // 24
    QString stEnderecoNota{};        // 25
    QString value26{}, value27{}, value28{}, value29{}; // 26-29
    QString stRecebAux12{};          // 30
    QString stRecebAux11{};          // 31
    QString stRecebAux7 = "BAL_QUB"; // 32
    Variant value33 = QString();   // 33 (QR road: integer 3)
    QString stRecebAux19{};          // 34: NFC-e emission date
    QString idAmbTrabNfce{};         // 35
    QString stRecebAux24{};          // 36: NFC-e series
    QString stSenhaPedido{};         // 37
    QString value38{};               // 38
    QString stRecebAux20{};          // 39: "N" NFC-e, "S" SAT, "E" neither
    QString value40{};               // 40
    double doVrImpostoAprox = 0;   // 41
    QString value42{};               // 42
    bool value43 = true;           // 43: always True
    QString stRecebAux13{};          // 44
    QString stRecebAux14{};          // 45
    QString stConfRecebimento{};     // 46
    QString value47{}, value48{};      // 47, 48
    QString value49 = "T";         // 49: always "T"
    QString value50{};               // 50
    int valueCount = 51;           // 51; 46 or 47 on the QR road

    enum { FullCount = 51 };
    QList<Variant> toArray() const;
    bool operator==(const ClosingHeader &) const = default;
};

// The thirteen datasets of the save, by slot; the roads put other datasets in slots 3, 6, 11
// and 12 (cdsFamSaldoComp, cdsVazio).
struct ClosingDatasets
{
    ClientDataSet &cdsVenda;           // 0
    ClientDataSet &cdsMovCaixa;        // 1
    ClientDataSet &cdsVendaCancelada;  // 2
    ClientDataSet &familySlot;         // 3: cdsFamiliaSaldo or cdsFamSaldoComp
    ClientDataSet &cdsEmprestimoFam;   // 4
    ClientDataSet &cdsItPromoComb;     // 5
    ClientDataSet &returnsSlot;        // 6: cdsDevolucao or cdsVazio
    ClientDataSet &cdsVazio;           // 7
    ClientDataSet &cdsObsItens;        // 8
    ClientDataSet &cdsObsItensEst;     // 9
    ClientDataSet &cdsItensCancelados; // 10
    ClientDataSet &loyaltySlot;        // 11: cdsExtConsFid or cdsVazio
    ClientDataSet &promotionSlot;      // 12: cdsPromoComanda or cdsVazio
    QList<const ClientDataSet *> list() const
    {
        return {&cdsVenda, &cdsMovCaixa, &cdsVendaCancelada, &familySlot, &cdsEmprestimoFam,
                &cdsItPromoComb, &returnsSlot, &cdsVazio, &cdsObsItens, &cdsObsItensEst,
                &cdsItensCancelados, &loyaltySlot, &promotionSlot};
    }
};

// The save answers the saved sale key (ten characters when stored) and fills the result
// array. A failure is answered in `failure`, never thrown (the settlement tolerates
// "A operação não pode ser executada durante uma execução assíncrona").
struct ClosingAnswer
{
    enum Position { Points = 0, NfceText1 = 1, NfceText2 = 2, NfceStatus = 3, Size = 10 };
    Variant savedSaleKey{}; // the function result, for MensagemMetodo
    QString failure{};
    double points = 0;    // element 0
    QString nfceText1{};    // element 1 (access key)
    QString nfceText2{};    // element 2 (QR-code text)
    QString nfceStatus{};   // element 3; "CONTIGENCIA_SP" = offline contingency

    Variant toArray() const;
    static ClosingAnswer fromArray(const Variant &result, const Variant &vaRetorno);
    bool operator==(const ClosingAnswer &) const = default;
};

// CalculoIcmsDFederal (cdsVenda, var result[0..2], 0, 0): three approximate tax texts.
struct TaxEstimateRequest
{
    int value3 = 0;
    int value4 = 0;
    bool operator==(const TaxEstimateRequest &) const = default;
};

struct TaxEstimateAnswer
{
    bool ok = false;
    QString tax0{}, tax1{}, tax2{};
    QString failure{};
    bool operator==(const TaxEstimateAnswer &) const = default;
};

// getNumeroSerieNFCe (branch, cash desk, out series).
struct NfceSeriesRequest
{
    QString cdFilial{};
    QString cdCaixa{};
    bool operator==(const NfceSeriesRequest &) const = default;
};

// SATOnline: transmits the CF-e of a saved sale; True when accepted. The activation code
// arrives enciphered and is passed on unchanged (never log it).
struct SatTransmitRequest
{
    QString cdFilial{};
    QString cdCaixa{};
    QString savedSaleKey{};
    QString idUtilSatComp{};
    QString cdAtivacaoSat{};
    QString stRecebAux2{}; // the day's folder of electronic documents
    QString tax0{};
    QString tax2{};
    bool operator==(const SatTransmitRequest &) const = default;
};

// AtualizaVendaSat: stores the SAT data of the sale; answers a Variant for MensagemMetodo.
struct SatUpdateRequest
{
    QString cdFilial{};
    QString cdCaixa{};
    QString savedSaleKey{};
    QString cfeNumber{};
    QString qrCodeText{};
    NameValueList answer{};
    bool operator==(const SatUpdateRequest &) const = default;
};

// GeraArqXmlSat: cancellation ("CANC", NRSEQVENDA, NRACESSONFCE) answers the XML, empty =
// failure; sale (sale number, "VENDA", "", var xml) hands it back the same way.
struct SatXmlRequest
{
    QString operation{};  // "CANC" or "VENDA"
    QString saleNumber{}; // NRSEQVENDA or the sale number
    QString accessKey{};  // NRACESSONFCE; empty for "VENDA"
    bool operator==(const SatXmlRequest &) const = default;
};

// IncluiVendaCan: records a cancelled sale that was not stored (19 values).
struct CancelledSaleRecord
{
    DataPacket cdsVenda{};          // 0
    DataPacket cdsVendaCancelada{}; // 1
    QString cdCaixa{};              // 2
    QString cdEmpresa{};            // 3
    QString documentNumber{};       // 4
    QString nrSerieImp{};           // 5
    QString dsModeloEcfVe{};        // 6
    QString dsMarcaEcfVe{};         // 7
    QString ecfImp{};               // 8
    QString note{};                 // 9 (receipt cancellation only)
    QString noteSecondValue{};      // 10
    QString value11{}, value12{};     // 11, 12
    QDateTime dtDataMovimento{};    // 13
    QString stRetAcesso{};          // 14 (receipt cancellation only)
    QString stRecebAux7{};          // 15: the till's system code
    QString stRecebAux20{};         // 16: document kind letter
    QString value17{};              // 17
    bool sistemaQubSat = false;   // 18
    bool operator==(const CancelledSaleRecord &) const = default;
};

// AlteraVendaCan: marks a stored sale as cancelled (8 values).
struct CancelledStatusChange
{
    QString saleKey{};           // 0: saved sale key (empty when nothing was saved) or coupon number
    QString cdFilial{};          // 1
    QString cdCaixa{};           // 2
    QDateTime dtMovimento{};     // 3
    QString note{};              // 4
    QString noteSecondValue{};   // 5
    QString stRetAcesso{};       // 6
    QString kind{};              // 7: "SAT" on the settlement roads, "" on the receipt cancellation
    bool operator==(const CancelledStatusChange &) const = default;
};

// Both records answer a Variant for MensagemMetodo and the sale sequence in element 1 of
// the result array (used for the kitchen display).
struct CancellationAnswer
{
    Variant result{};
    Variant saleSequence{};
    // AlteraVendaCan: the cancelled sale's rows where the host has them (its table, tab and
    // key), for withdrawing its kitchen orders; empty otherwise.
    DataPacket sale{};
    // With a failed result: the host refused the record for good (no such sale, or one already
    // cancelled), so sending it again can never succeed. Unset for a base that did not answer.
    bool definitive = false;
    bool operator==(const CancellationAnswer &) const = default;
};

// NFCeOnlineCanc (cdsVendaCanNFCe, branch): True when the tax authority accepted.
struct NfceCancelRequest
{
    QString cdFilial{};
    bool operator==(const NfceCancelRequest &) const = default;
};

// getProdCodCestNcm (product code, var array[0..1]).
struct FiscalCodeRequest
{
    QString cdProduto{};
    bool operator==(const FiscalCodeRequest &) const = default;
};

struct FiscalCodeAnswer
{
    QString classification{}; // element 0: NCM, into CDCLASFISC
    QString secondCode{};     // element 1: dots removed in the printer description
    QString failure{};
    bool operator==(const FiscalCodeAnswer &) const = default;
};
