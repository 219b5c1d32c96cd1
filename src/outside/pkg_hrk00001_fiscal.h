#pragma once

#include "pkg_hrk0000_common.h"
#include "pkg_hrk00002_printing.h"

// Requests and answers of the fiscal printer, SAT device, card terminal, scale and pole
// display (package Pkg_Hrk00001). The request struct is the printer record, and the answers
// keep the keys a record's outputs are read back by (`RecebeParams`) as named constants.

// Keys read back from a printer record with `RecebeParams`.
namespace PrinterKeys {
inline const QString INTTEFERRO = QStringLiteral("INTTEFERRO");
inline const QString INCLUICPF = QStringLiteral("INCLUICPF");
inline const QString INCLUINOME = QStringLiteral("INCLUINOME");
inline const QString INCLUIENDERECO = QStringLiteral("INCLUIENDERECO");
inline const QString CUPNR = QStringLiteral("CUPNR");
inline const QString CONTCUPOM = QStringLiteral("CONTCUPOM");
} // namespace PrinterKeys

struct SchemeRequest
{
    QString idEsquema{};
    bool operator==(const SchemeRequest &) const = default;
};

struct DateAnswer
{
    bool ok = false;
    QDateTime date{};
    QString failure{};
    bool operator==(const DateAnswer &) const = default;
};

// BuscaPeso (port, speed): the weight in kilograms. 0 = empty scale, negative = wrong tare or
// port; scale model "12" answers -1 unstable, -2 negative, -10 overload.
struct ScaleRequest
{
    QString cdPortaBal{};
    QString nrVelocBal{};
    bool operator==(const ScaleRequest &) const = default;
};

struct ScaleAnswer
{
    bool ok = false;
    double weight = 0;
    QString failure{};
    bool operator==(const ScaleAnswer &) const = default;
};

// Abre_Gaveta_Imp (fiscal printer port, scheme, True).
struct FiscalDrawerRequest
{
    QString cdPortaImpFis{};
    QString idEsquema{};
    bool flag = true;
    bool operator==(const FiscalDrawerRequest &) const = default;
};

// Estado_Gaveta_Imp (scheme, var state): "00" is read against the drawer kind.
struct DrawerStateAnswer
{
    bool ok = false;
    QString state{};
    QString failure{};
    bool operator==(const DrawerStateAnswer &) const = default;
};

// AbreCupom: the opening record of 15 values.
struct CouponOpenRequest
{
    QString idEsquema{};         // 0
    int inQrCodeAux1 = 0;      // 1: in-out printer error
    QString stCpfCnpjNota{};     // 2: in-out
    QString stNomeNota{};        // 3: in-out
    QString stEnderecoNota{};    // 4: in-out
    QString stQrCodeAux1{};      // 5: in-out coupon number
    QString stNRCONTCUPOMFISC{}; // 6: in-out coupon counter
    QString stRecebAux5{};       // 7
    QString stPedidoAux2{};      // 8
    int inPedidoAux1 = 0;      // 9
    QString stPedidoAux1{};      // 10
    QString stNRINSJURCLIE{};    // 11
    QString nrVendaRest{};       // 12: road B / QR sale; "" on road A
    QString value13{};           // 13
    Variant value14 = false;   // 14: False (the QR sale passes an empty value)
    bool operator==(const CouponOpenRequest &) const = default;
};

struct CouponOpenAnswer
{
    bool ok = false; // the receipt is open
    QString failure{};
    int inTefErro = 0;      // INTTEFERRO
    QString incluiCpf{};      // INCLUICPF
    QString incluiNome{};     // INCLUINOME
    QString incluiEndereco{}; // INCLUIENDERECO
    QString cupNr{};          // CUPNR: coupon number
    QString contCupom{};      // CONTCUPOM: coupon counter

    // `RecebeParams` over the answer: the value of a read-back key, empty for another key.
    Variant recebeParams(const QString &key) const;
    bool operator==(const CouponOpenAnswer &) const = default;
};

// VendaItem: the item record of 17 values.
struct ItemSaleRequest
{
    QString idEsquema{};     // 0
    QString nrMesa{};        // 1
    QString value2 = "D";  // 2
    QString itemCode{};      // 3: bar code, else tree code CDARVPROD
    QString description{};   // 4: "#<elem1 without dots>#<elem0>#<name>" (QR sale: NMPRODUTO)
    QString aliquotCode{};   // 5: printer rate code
    QString idAliqImpFis{};  // 6
    QString sgUnidade{};     // 7
    QString stRecebAux5{};   // 8 (QR sale: empty)
    QString aliquotValue{};  // 9
    QString value10{};       // 10
    int inQrCodeAux1 = 0;  // 11: in-out printer error
    double quantity = 0;   // 12
    double price = 0;      // 13: Trunc2(price) + Trunc2(client price)
    double discount = 0;   // 14: Trunc2(discount) + Trunc2(coupon)
    double addition = 0;   // 15: Trunc2(addition)
    bool value16 = false;  // 16
    bool operator==(const ItemSaleRequest &) const = default;
};

struct ItemSaleAnswer
{
    bool ok = false; // the item is sold
    QString failure{};
    int inTefErro = 0; // INTTEFERRO
    Variant recebeParams(const QString &key) const;
    bool operator==(const ItemSaleAnswer &) const = default;
};

// VerificaSerialImp: the registered serial against the printer's.
struct SerialCheckRequest
{
    bool boUtilizaImpFis = false;
    QString dsDirCad{};
    QString idEsquema{};
    QString nrSerieImp{};
    bool operator==(const SerialCheckRequest &) const = default;
};

// VerificaData: the printer's date against the till's. The two calling forms order the last
// three values differently; the fields hold them by meaning.
struct DateCheckRequest
{
    QString idEsquema{};
    QString dataImp{};      // stDATAIMP
    Variant mode = 0;     // 0 at start-up, "" in the functions menu
    int flag = 1;
    bool operator==(const DateCheckRequest &) const = default;
};

struct DateCheckAnswer
{
    bool ok = false; // False: the package has told the operator
    QString text{};    // the out text (not read)
    QString failure{};
    bool operator==(const DateCheckAnswer &) const = default;
};

// DisplayEnviaTexto (text, line, column, two integers); also called DisplayEnviaText.
struct DisplayTextRequest
{
    QString text{};
    int line = 1;
    int column = 1;
    int value4 = 0;
    int value5 = 0;
    bool operator==(const DisplayTextRequest &) const = default;
};

// FinalizaTransTef: True confirms the pending card transactions, False undoes them. `nsu`
// names one charge by the card program's number, for a charge the package no longer holds
// pending (a credit load finished after the till was restarted); empty means the pending ones.
struct TefFinishRequest
{
    bool confirm = true;
    QString nsu{};
    bool operator==(const TefFinishRequest &) const = default;
};

// ImprimeCupomTef (cdsUltTef, ...): the card-payment receipt.
struct TefReceiptRequest
{
    Variant value2 = false;    // False (settlement) or nothing (credit purchase)
    int inQrCodeAux1 = 0;
    int idTipoImpFis = 0;
    QString idImprCupTefRed{};
    QString fiscalFlag = "N";  // "N" or "F"
    QString port{};              // CDPORTIMPNF3 or CDPORTIMPNF1
    Variant value8 = 0;
    Variant value9 = 0;
    Variant value10 = 0;       // "COMPRCRED" on the credit purchase with NFC-e / SAT
    int paymentRows = 0;       // rows of cdsMovCaixa
    QString idImprTef{};
    bool operator==(const TefReceiptRequest &) const = default;
};

// FechaCupom: the fiscal close record of 62 values, and nil. Named by the ordinary
// personal-credit road; `toArray()` gives the positions.
struct FiscalCloseRequest
{
    QString stTotCv{};            // 0
    QString md5ArquivoTxt{};      // 1: enciphered, passed through
    QString idEsquema{};          // 2
    int idTipoImpFis = 0;       // 3
    bool value4 = false;        // 4
    bool value5 = false;        // 5
    Variant discount = 0.0;     // 6: cashback / loyalty / exchange discount
    int value7 = 0, value8 = 0; // 7, 8
    QString idUtilTef{};          // 9
    QString dsObsCupFis{};        // 10
    bool value11 = false;       // 11
    QString value12{};            // 12
    DataPacket payments{};        // 13: cdsMovCaixa (QR: cdsMovCaixaImp)
    DataPacket cdsConfTipoRece{}; // 14
    QString cdCliente{};          // 15
    QString consumerText{};       // 16: stRecebAux10
    QString nrCracha{};           // 17
    QString nmConsumidor{};       // 18
    QString nrInscrCons{};        // 19
    QString value20{}, value21{};   // 20, 21
    QString cdOperador{};         // 22
    QString nmOperador{};         // 23
    QString nrSeq{};              // 24
    QString idImpBarrCup{};       // 25
    QString nmPadBarrCup{};       // 26
    QString idImpSaldoCupom{};    // 27
    QString value28{}, value29{};   // 28, 29
    QString stRecebAux5{};        // 30
    QString pager{};              // 31
    DataPacket cdsConsultaSaldo{}; // 32
    DataPacket cdsFamiliaSaldo{};  // 33
    Variant cdsEmprestimoFam{};   // 34: packet (QR: null)
    QString stIdTpTelaVe{};       // 35
    QString road{};               // 36: "1", "2", "0"
    Variant doSaldoCons = 0.0;  // 37
    Variant total = 0.0;        // 38: sale total or subsidy value
    QString dsMensCpfCup{};       // 39
    QString idImprCupTefRed{};    // 40
    QString ecfImp{};             // 41
    QString couponText{};         // 42
    QString sgEstadoFili{};       // 43
    QString value44{}, value45{};   // 44, 45
    QString idParImprLimVdc{};    // 46
    QString stVrMaxDebCons{};     // 47
    QString stVrMeSubCons{};      // 48
    Variant cdsVrSaldConsumi = Variant::null(); // 49
    Variant tax1 = 0.0;         // 50
    Variant tax0 = 0.0;         // 51
    int value52 = 0;            // 52
    Variant periodSpending = 0; // 53
    int value54 = 0;            // 54
    QString value55{}, value56{}, value57{}; // 55-57
    Variant tax2 = 0.0;         // 58
    QString limitText{};          // 59: remaining limit / available debit
    Variant value60 = Variant::null(); // 60
    Variant cashback = 0.0;     // 61

    enum { Count = 62 };
    QList<Variant> toArray() const;
    bool operator==(const FiscalCloseRequest &) const = default;
};

struct FiscalCloseAnswer
{
    bool ok = false; // False: the printer refused to close
    QString failure{};
    int code = 0;        // element 0
    QString element1{};    // element 1 (the QR sale reads it as an integer into inQrCodeAux1)
    QString closeAnswer{}; // element 2: header value 14
    bool operator==(const FiscalCloseAnswer &) const = default;
};

// ImpressaoVenda: printer models 16, 21 and 30 print the sale in place of FechaCupom. The
// builder's values, then the datasets, IDIMPSALDOCUPOM and an out text ("Erro" = refusal,
// else the document number).
struct SalePrintRequest
{
    QString stTotCv{};
    QString cdFilial{};
    QString cdCaixa{};
    QString md5ArquivoTxt{};
    QString idEsquema{};
    QString pager{};
    QString road{};        // "1" or "2"
    QString nmConsumidor{};
    QString dsObsCupFis{};
    QString cdPortaImpFis{};
    int idTipoImpFis = 0;
    Variant balance = 0;   // balance or 0
    Variant total = 0;     // total / subsidy or 0
    QString idImpSaldoCupom{};
    bool operator==(const SalePrintRequest &) const = default;
};

struct SalePrintDatasets
{
    ClientDataSet &cdsVenda;
    ClientDataSet &cdsMovCaixa;
    ClientDataSet &cdsConfTipoRece;
    ClientDataSet &cdsAliqImpFis;
    ClientDataSet &balances;  // cdsConsultaSaldo or an empty dataset
    ClientDataSet &families;  // cdsFamiliaSaldo or an empty dataset
    ClientDataSet &loans;     // cdsEmprestimoFam or an empty dataset
    QList<const ClientDataSet *> list() const
    {
        return {&cdsVenda, &cdsMovCaixa, &cdsConfTipoRece, &cdsAliqImpFis, &balances, &families,
                &loans};
    }
};

// Atu_TotGeral: the grand totals after a close. The roads pass the known values in different
// places (IDESQUEMA fourth or last) and empties or zeros elsewhere; `fillers` keeps those.
struct GrandTotalRequest
{
    QString cdFilial{};
    QString cdCaixa{};
    QString nrSerieImp{};
    QString idEsquema{};
    QString flag = "N";
    QList<Variant> fillers{};
    bool operator==(const GrandTotalRequest &) const = default;
};

// Cancela_Cupom_Imp: 7 values on the settlement roads, 8 on the receipt cancellation.
struct CouponCancelRequest
{
    QString idEsquema{};
    bool value1 = false;
    bool value2 = false;
    bool boCupomAberto = false; // False on the settlement roads
    QString cdFilial{};
    QString cdCaixa{};
    QString nrSerieImp{};
    QString receiptOpen{};        // "S"/"N", receipt cancellation only
    int valueCount = 7;
    bool operator==(const CouponCancelRequest &) const = default;
};

struct CouponCancelAnswer
{
    bool ok = false;      // the printer cancelled the coupon
    QString failure{};
    QString couponNumber{}; // element 1
    bool operator==(const CouponCancelAnswer &) const = default;
};

// CancelarVenda: the SAT cancellation ("CCCC" "0000" accepted, "1210" outside 30 minutes).
struct SatCancelRequest
{
    QString cdAtivacaoSat{}; // enciphered, passed through
    QString cancelXml{};
    QString accessKey{};
    QString stRecebAux2{};
    QString endVendaRouter{};
    bool operator==(const SatCancelRequest &) const = default;
};

// EmitirVenda: the SAT transmission of the QR-code sale ("EEEEE" "06000" accepted).
struct SatEmitRequest
{
    QString cdAtivacaoSat{};
    QString xml{};
    QString stRecebAux2{};
    bool operator==(const SatEmitRequest &) const = default;
};

// CriaDedicado: the card reversal on the dedicated terminal. Values without a name are the
// constants the caller passes; their meaning is the card service's.
struct DedicatedTefRequest
{
    QString dsEndIpSitef{};
    QString cdLojaTef{};
    QString cdTerTef{};
    QString idTpTef{};
    QString cdPortaTef{};
    QString cdEstTef{};
    int value6 = 0;
    int value7 = 500;
    QString controlNumber{};            // in-out
    QString documentNumber = "12345";
    QString date{};                     // "YYYYMMDD"
    QString time{};                     // "HHMMSS"
    QString operatorText = "Operador";
    QList<int> flags{0, 1, 0, 0};
    QString value19 = "N";
    QString idEsquema{};
    QList<int> zeros{0, 0, 0, 0, 0, 0};
    QString nrCnpjLoja{};
    QString nrCnpjTefHouse{};
    QString cdTokenTls{};               // never logged
    QString cdTpComunTls{};
    QString cdTpProxyTls{};
    QString cdEnProxyTls{};
    bool operator==(const DedicatedTefRequest &) const = default;
};

struct DedicatedTefAnswer
{
    bool ok = false;
    QString failure{};
    QString controlNumber{};
    QString output1{}, output2{}, output3{};
    bool operator==(const DedicatedTefAnswer &) const = default;
};

// DigitaCpfPinpad: the buyer's CPF on the PinPad.
struct PinpadCpfRequest
{
    QString dsEndIpSitef{};
    QString cdLojaTef{};
    QString cdTerTef{};
    QString idTpTef{};
    QString nrInsJurFili{};
    int value6 = 0;
    bool operator==(const PinpadCpfRequest &) const = default;
};

struct PinpadCpfAnswer
{
    int returnCode = -1; // element 0: 0 = success
    int secondCode = 0;  // element 1
    QString cpf{};         // element 2
    QString failure{};
    bool operator==(const PinpadCpfAnswer &) const = default;
};

// Comp_DebitoCons: the consumer-debit voucher on the fiscal printer.
struct DebitVoucherRequest
{
    QString idEsquema{};
    DataPacket cdsVenda{};
    QString dsImpFiscal{}; // first 16 characters
    double vrMoviVend = 0;
    QString cdConsumidor{};
    QString nmConsumidor{};
    QString cdCliente{};
    QString nmFantClie{};
    QString stSenhaPedido{};
    double doSaldoCons = 0;
    double subsidy = 0;
    int value11 = 0, value12 = 0;
    QString idImpSaldoCupom{};
    QString observation{};
    QString idParImprLimVdc{};
    QString stVrMaxDebCons{};
    QString stVrMeSubCons{};
    DataPacket cdsVrSaldConsumi{};
    bool operator==(const DebitVoucherRequest &) const = default;
};

// Compr_CredPessoal: the personal-credit purchase voucher on the fiscal printer; it fills
// the receipt number and counter.
struct CreditPurchaseFiscalRequest
{
    QString cdPortaImpFis{};
    QString stTotCompCred{};
    QString nrSerieImp{};
    QString cdFilial{};
    QString cdCaixa{};
    QString idEsquema{};
    QString receiptNumber{};  // in-out
    QString receiptCounter{}; // in-out
    double familyBalance = 0;
    QString nmConsumidor{};
    QString depositNumber{};
    QString idImpCompCredPe{};
    QString idPaisIntegra{};
    QString idTipoImpNf1{};
    QString cdPortImpNf1{};
    QString voucherNumber{};
    QString nmFilial{};
    QString nmCaixa{};
    QString dsEndeFili{};
    QString nmMunicipioFili{};
    QString cdInscMuniFili{};
    QString nrSerieImp2{};
    QString dsObsCupFis{};
    bool utilizaImpFis = false;
    QString familyName{};
    QString stCompraCredAux2{};
    QString printerSequence{};
    bool operator==(const CreditPurchaseFiscalRequest &) const = default;
};

struct CreditPurchaseFiscalAnswer
{
    bool ok = false;
    QString failure{};
    QString receiptNumber{};
    QString receiptCounter{};
    bool operator==(const CreditPurchaseFiscalAnswer &) const = default;
};

// Nr_Cupom (fiscal printer port, scheme): the receipt number.
struct ReceiptNumberRequest
{
    QString cdPortaImpFis{};
    QString idEsquema{};
    bool operator==(const ReceiptNumberRequest &) const = default;
};

// ImprCupons: the card-payment receipt lines.
struct CardReceiptLinesRequest
{
    QStringList lines{}; // inRecebAux4
    int value2 = 1;
    int value3 = 1;
    int idTipoImpFis = 0;
    QString receiptNumber{};
    QString nmTipoRece{};
    QString idEsquema{};
    QString cdFilial{};
    QString cdCaixa{};
    QString idImprCupTefRed{};
    QString fiscalFlag{}; // "F" with a fiscal printer, "N" without
    QString idTipoImpNf3{};
    QString cdPortImpNf3{};
    double vrMoviVend = 0;
    bool operator==(const CardReceiptLinesRequest &) const = default;
};
