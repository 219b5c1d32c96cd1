#pragma once

#include "pkg_hrk0000_common.h"

// Requests of the host's non-fiscal printing services (package Pkg_Hrk00002): receipts,
// vouchers, tickets, the drawer of the non-fiscal printer and its log. Each prints and answers
// a HostResult whose `ok` is "printed". Fields follow the positions the callers pass.

// DisparaImpressaoNaoFiscal: seven values, in this order. `toArray()` gives them.
struct NonFiscalPrintRequest
{
    enum Position { Flag = 0, Kind = 1, Tickets = 2, Sale = 3, Taxes = 4, Parameters = 5,
                    VendeProdAux = 6, Count = 7 };
    bool flag = false;      // 0: always False
    QString kind{};           // 1: stInicializaAux1, "PEDIDO" or "CUPOM"
    Variant tickets{};        // 2: cdsImprimePedido packet, or empty
    Variant sale{};           // 3: cdsVenda packet, or empty
    Variant taxes{};          // 4: cdsImpImposto packet, or empty
    DataPacket parameters{};  // 5: cdsParamImpCupNF
    QString stVendeProdAux1{}; // 6

    QList<Variant> toArray() const;
    bool operator==(const NonFiscalPrintRequest &) const = default;
};

// ImprimePadrao (port, model, text): prints the text unchanged.
struct PlainPrintRequest
{
    QString cdPortImpNf{}; // CDPORTIMPNF3
    QString idTipoImpNf{}; // IDTIPOIMPNF3
    QString text{};
    bool operator==(const PlainPrintRequest &) const = default;
};

// AbreGaveta (printer kind, port) and VerificaStatusGaveta (same): the drawer of a
// non-fiscal printer. The status answers 1 for an open drawer.
struct DrawerRequest
{
    QString idTipoImpNf{};
    QString cdPortImpNf{};
    bool operator==(const DrawerRequest &) const = default;
};

struct DrawerStatusAnswer
{
    int state = 0; // 1 = open
    QString failure{};
    bool operator==(const DrawerStatusAnswer &) const = default;
};

// LogImpNFiscal: one line of the non-fiscal printer log.
struct NonFiscalLogRequest
{
    QString text{};
    bool operator==(const NonFiscalLogRequest &) const = default;
};

// SetCupomCancelado: the non-fiscal cancellation voucher (24 values).
struct CancelVoucherRequest
{
    QString idTipoImpNf{};       // 0: IDTIPOIMPNF3 (NFC-e till) or IDTIPOIMPNF1
    QString cdPortImpNf{};       // 1
    QString idTipoImpNf2{};      // 2
    QString cdPortImpNf2{};      // 3
    QString kind{};              // 4: "C" personal credit, else ""
    QString cdFilial{};          // 5
    QString cdCaixa{};           // 6
    QString nmCaixa{};           // 7
    QString nrSerieImp{};        // 8
    QString documentNumber{};    // 9
    QString dsObsCupFis{};       // 10
    QString value11{};           // 11
    QString idPaisIntegra{};     // 12
    QString cdPrefIntgCol{};     // 13
    bool boCupomAberto = false; // 14
    QStringList labels{};        // 15-21: texts of MSG_INSMUN, MSG_CXSERIE, MSG_DATA, MSG_HORA,
                               //        MSG_NRCUPOM, MSG_TOTAL, CuponCanc
    QString value22{};           // 22
    DataPacket sale{};           // 23: cdsVenda (open sale) or cdsVendaNFisc (closed sale)
    bool operator==(const CancelVoucherRequest &) const = default;
};

// setNFCeCancelado: the NFC-e cancellation voucher (12 values).
struct NfceCancelVoucherRequest
{
    QString idTipoImpNf3{};      // 0
    QString cdPortImpNf3{};      // 1
    QString kind{};              // 2
    QString cdFilial{};          // 3
    QString cdCaixa{};           // 4
    QString nmCaixa{};           // 5
    QString documentNumber{};    // 6
    QString dsObsCupFis{};       // 7
    QString value8{};            // 8
    bool boCupomAberto = false; // 9
    DataPacket cdsVendaNFisc{};  // 10
    bool contingency = false;  // 11: True for the contingency / refused voucher
    bool operator==(const NfceCancelVoucherRequest &) const = default;
};

// Imp_Extrato_SAT_Ger: the electronic receipt (NFC-e or SAT), 22 values.
struct SatReceiptRequest
{
    QString savedSaleKey{};      // 0
    QString value1{};            // 1
    QString idAmbTrabNfce{};     // 2
    QString value3{}, value4{};    // 3, 4
    QString stRecebAux2{};       // 5: day's folder
    QString cfeNumber{};         // 6
    QString satSerial{};         // 7
    QString tax0{};              // 8
    QString emissionDate{};      // 9
    QString cdProdCouver{};      // 10
    QString cdProdConsum{};      // 11
    Variant value12{};           // 12: an empty parameter
    DataPacket cdsVenda{};       // 13
    DataPacket cdsMovCaixa{};    // 14
    QString stSenhaPedido{};     // 15
    QString stRecebAux15{};      // 16
    DataPacket cdsVrSaldConsumi{}; // 17
    QString tax2{};              // 18
    double doRecebAux2 = 0;    // 19
    QString cdFilial{};          // 20
    QString cdCaixa{};           // 21
    bool operator==(const SatReceiptRequest &) const = default;
};

// Imp_Extrato_SAT_Canc: the SAT cancellation receipt, 11 values.
struct SatCancelReceiptRequest
{
    QString timeStamp{};         // 0
    QString chaveConsulta{};     // 1
    QString assinaturaQrCode{};  // 2
    QString stRecebAux2{};       // 3
    QString cfeNumber{};         // 4
    QString satSerial{};         // 5
    QString valorTotalCfe{};     // 6
    QString nrSeqVenda{};        // 7
    QString nrNotaFiscalCe{};    // 8
    QString nrAcessoNfce{};      // 9
    QString cdCaixa{};           // 10
    bool operator==(const SatCancelReceiptRequest &) const = default;
};

// Imp_CompVenCred (fiscal printer, Pkg_Hrk00001) and ImpCompVenCredNFCeSAT (this package):
// the personal-credit voucher. The NFC-e/SAT form adds the family packet and printer 3.
struct CreditVoucherRequest
{
    QString idEsquema{};
    DataPacket cdsVenda{};
    DataPacket cdsConsultaSaldo{};
    DataPacket cdsFamiliaSaldo{};  // NFC-e/SAT form only
    double vrMoviVend = 0;
    QString dsImpFiscal{};         // first 16 characters
    QString cdConsumidor{};
    QString nmConsumidor{};
    QString cdCliente{};
    QString nmFantClie{};
    QString stSenhaPedido{};
    double doSaldoCons = 0;
    double saleTotal = 0;
    QString value13{}, value14{};
    QString idImpSaldoCupom{};
    QString idTipoImpNf3{};        // NFC-e/SAT form only
    QString cdPortImpNf3{};        // NFC-e/SAT form only
    bool operator==(const CreditVoucherRequest &) const = default;
};

// Comp_DebitoCons_Bematech_NaoFiscal: the consumer-debit voucher without a fiscal printer
// (25 values).
struct DebitVoucherNonFiscalRequest
{
    DataPacket cdsVenda{};         // 0
    double vrMoviVend = 0;       // 1
    QString dsImpFiscal{};         // 2: first 16 characters
    QString cdConsumidor{};        // 3
    QString nmConsumidor{};        // 4
    QString cdCliente{};           // 5
    QString nmFantClie{};          // 6
    QString stSenhaPedido{};       // 7
    double doSaldoCons = 0;      // 8
    double subsidy = 0;          // 9
    QString idImpSaldoCupom{};     // 10
    QString cdPortImpNf1{};        // 11
    QString idTipoImpNf1{};        // 12
    QString cdFilial{};            // 13
    QString nmRazSocFili{};        // 14
    QString dsEndeFili{};          // 15
    QString cdInscMuniFili{};      // 16
    QString cdCaixa{};             // 17
    QString nmCaixa{};             // 18
    QString stRecebAux9{};         // 19
    QString nmBairFili{};          // 20
    QString nmMunicipioFili{};     // 21
    QString sgEstadoFili{};        // 22
    QString idPaisIntegra{};       // 23
    DataPacket cdsVrSaldConsumi{}; // 24
    bool operator==(const DebitVoucherNonFiscalRequest &) const = default;
};

// DisparaImprimeCancProduto: the cancelled-items production ticket (18 values), called once
// per production printer pass.
struct CancelledItemsTicketRequest
{
    bool flag = false;           // 0
    QString idTipoImpNf{};         // 1: IDTIPOIMPNF1 or IDTIPOIMPNF5
    QString value2{}, value3{};      // 2, 3
    QString nmOperador{};          // 4
    QString value5{}, value6{}, value7{}; // 5-7
    DataPacket cdsItensCanc{};     // 8
    QStringList labels{};          // 9-15: texts of MSG_CANC, MSG_Cupom, MSG_MOTIVO, "Operador",
                                 //       MSG_Comanda, MSG_Mesa, MSG_SENHA
    QString nrComandaVnd{};        // 16
    QString dsComandaVnd{};        // 17
    bool operator==(const CancelledItemsTicketRequest &) const = default;
};

// Imp_Compr_Cred: the credit-purchase voucher on the non-fiscal printer (25 values).
struct CreditPurchaseVoucherRequest
{
    QString stTotCompCred{};       // 0
    QString cdFilial{};            // 1
    QString cdCaixa{};             // 2
    QString idEsquema{};           // 3
    QString receiptNumber{};       // 4
    QString receiptCounter{};      // 5
    DataPacket payments{};         // 6: cdsMovCaixa
    double familyBalance = 0;    // 7
    QString nmConsumidor{};        // 8 ("RECARGA TARVOLENS" for the CHART kind)
    QString depositNumber{};       // 9
    QString idImpCompCredPe{};     // 10
    QString idPaisIntegra{};       // 11
    QString idTipoImpNf3{};        // 12
    QString cdPortImpNf3{};        // 13
    QString voucherNumber{};       // 14
    QString nmFilial{};            // 15
    QString nmCaixa{};             // 16
    QString dsEndeFili{};          // 17
    QString nmMunicipioFili{};     // 18
    QString cdInscMuniFili{};      // 19
    QString dsObsCupFis{};         // 20
    QString familyName{};          // 21
    QString stCompraCredAux2{};    // 22
    QString printerSequence{};     // 23
    QString kind = "COMP";       // 24
    QDateTime loadTime{};          // 25: when the load was written: the voucher's time, also in a reprint
    bool operator==(const CreditPurchaseVoucherRequest &) const = default;
};
