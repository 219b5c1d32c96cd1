#pragma once

#include <vendacons_export.h>

#include "pkg_hrk00002_consumer.h"
#include "pkg_hrk00002_dialogs.h"
#include "pkg_hrk00002_printing.h"
#include "pkg_hrk00002_sale.h"

#include <functional>

// The host's service package: dialogs, the payment screen, the sale save, fiscal documents,
// non-fiscal printing, consumer balances and partner hooks, as a table of procedure
// variables. The stand-in host fills it at start (`hostServices()` or a `ScopedTable`); tests
// replace it with recording fakes. A default-constructed table answers every routine the
// safe way for a host without that service: dialogs are cancelled, services and devices
// fail with "serviço não instalado: <routine>", and the call is logged.
//
// Datasets are references the host may read and fill; it never keeps them after the call.

// Every routine of the table, once, for code that walks them all (defaults, fakes).
#define PKG_HRK00002_ROUTINES(X) \
    X(ChamaFuncaoRetornaPreco) X(ChamaFuncaoGetRetornaPreco) X(TecladoNumerico) X(Pesquisa) \
    X(PesqConsumidor) X(CriaCadConsumidor) X(VerificaAcesso) X(ControleAcess) \
    X(LogControleAcess) X(TrocaOperadorCaixa) X(CriaPromocaoInteligente) X(CriaConsultaProd) \
    X(RelFiscais) X(AtivaProcesso) X(DesativaProcesso) X(CriaRegVenda) X(CalcTicketMedio) \
    X(Vd_VrMinMaxSangria) X(Observacao) X(ProdCombinado) X(CriaInfAdicional) X(CancelaPedido) \
    X(CriaFuncoesFiscais) X(CriaDadosClienteArgentina) X(CriaMensagemProducao) \
    X(CriaFidelidade) X(CriaConfirmaBio) X(Recebimento) X(SetConcluiFechamento) \
    X(CalculoIcmsDFederal) X(getNumeroSerieNFCe) X(getDataEmissNFCe) X(SATOnline) \
    X(AtualizaVendaSat) X(GeraArqXmlSat) X(IncluiVendaCan) X(AlteraVendaCan) \
    X(NFCeOnlineCanc) X(getProdCodCestNcm) X(DisparaImpressaoNaoFiscal) X(ImprimePadrao) \
    X(AbreGaveta) X(VerificaStatusGaveta) X(LogImpNFiscal) X(SetCupomCancelado) \
    X(setNFCeCancelado) X(Imp_Extrato_SAT_Ger) X(Imp_Extrato_SAT_Canc) \
    X(ImpCompVenCredNFCeSAT) X(Comp_DebitoCons_Bematech_NaoFiscal) \
    X(DisparaImprimeCancProduto) X(Imp_Compr_Cred) X(ExtratoConsOnline) \
    X(ExtratoConsCentral) X(MoviclieCentral) X(AtuSaldoExtCons) X(AtuSaldoDebCons) \
    X(UpdMoviclieCentral) X(CargaCreditoBonus) X(IntegracaoFid4All) X(IntegracaoFidUds) \
    X(IntegracaoPromo) X(FidelidadeOnline) X(ValePresente) X(CoreBancario) \
    X(FidelidadeVimo) X(FixeCRM)

struct VENDACONS_EXPORT Pkg_Hrk00002
{
    Pkg_Hrk00002(); // every member holds its default

    // Price
    std::function<PriceTextAnswer(const PriceTextRequest &)> ChamaFuncaoRetornaPreco;
    std::function<PriceAnswer(const PriceRequest &, ClientDataSet &cdsRetornaPreco)>
        ChamaFuncaoGetRetornaPreco;

    // Dialogs
    std::function<KeypadAnswer(const KeypadRequest &)> TecladoNumerico;
    std::function<bool(const SearchRequest &, ClientDataSet &dataset)> Pesquisa;
    std::function<ConsumerSearchAnswer(const ConsumerSearchRequest &, ClientDataSet &cdsCliente)>
        PesqConsumidor;
    std::function<ConsumerRegisterAnswer(const ConsumerRegisterRequest &)> CriaCadConsumidor;
    std::function<AccessAnswer(const AccessRequest &)> VerificaAcesso;
    std::function<QString(const RightRequest &)> ControleAcess; // "N" denies
    std::function<HostResult(const AccessLogRequest &)> LogControleAcess;
    std::function<OperatorChangeAnswer(const OperatorChangeRequest &)> TrocaOperadorCaixa;
    std::function<bool(const SmartPromotionRequest &, SmartPromotionDatasets &)>
        CriaPromocaoInteligente; // True = go on with the components left in the datasets
    std::function<HostResult(const PriceConsultationRequest &)> CriaConsultaProd;
    std::function<HostResult()> RelFiscais;
    std::function<HostResult(const WaitWindowRequest &)> AtivaProcesso;
    std::function<HostResult()> DesativaProcesso;
    std::function<HostResult()> CriaRegVenda;
    std::function<TextAnswer(const TicketAverageRequest &)> CalcTicketMedio;
    std::function<Variant(const CashLimitRequest &)> Vd_VrMinMaxSangria;
    std::function<ObservationAnswer(const ObservationRequest &)> Observacao;
    std::function<CombinedProductAnswer(const CombinedProductRequest &,
                                        ClientDataSet &cdsProdutoCombinado,
                                        ClientDataSet &cdsMenuComb)>
        ProdCombinado;
    std::function<AdditionalDataAnswer(const AdditionalDataRequest &)> CriaInfAdicional;
    std::function<OrderCancelAnswer(const OrderCancelRequest &, OrderCancelDatasets &)>
        CancelaPedido;
    std::function<bool(const FiscalFunctionsRequest &, ClientDataSet &cdsProdutos)>
        CriaFuncoesFiscais; // True = back to the sale screen
    std::function<ArgentineBuyerAnswer(const ArgentineBuyerData &)> CriaDadosClienteArgentina;
    std::function<HostResult(const ProductionMessageRequest &)> CriaMensagemProducao;
    std::function<HostResult(const LoyaltyDialogRequest &)> CriaFidelidade;
    std::function<BiometricAnswer(const BiometricRequest &)> CriaConfirmaBio;

    // Settlement, save and fiscal documents
    std::function<PaymentAnswer(const PaymentRequest &, PaymentDatasets &)> Recebimento;
    std::function<ClosingAnswer(const ClosingHeader &, ClosingDatasets &)> SetConcluiFechamento;
    std::function<TaxEstimateAnswer(const TaxEstimateRequest &, ClientDataSet &cdsVenda)>
        CalculoIcmsDFederal;
    std::function<TextAnswer(const NfceSeriesRequest &)> getNumeroSerieNFCe;
    std::function<TextAnswer()> getDataEmissNFCe;
    std::function<SatAnswer(const SatTransmitRequest &)> SATOnline;
    std::function<Variant(const SatUpdateRequest &)> AtualizaVendaSat;
    std::function<TextAnswer(const SatXmlRequest &)> GeraArqXmlSat; // empty XML = failure
    std::function<CancellationAnswer(const CancelledSaleRecord &)> IncluiVendaCan;
    std::function<CancellationAnswer(const CancelledStatusChange &)> AlteraVendaCan;
    std::function<HostResult(const NfceCancelRequest &, ClientDataSet &cdsVendaCanNFCe)>
        NFCeOnlineCanc;
    std::function<FiscalCodeAnswer(const FiscalCodeRequest &)> getProdCodCestNcm;

    // Non-fiscal printing and drawer
    std::function<HostResult(const NonFiscalPrintRequest &)> DisparaImpressaoNaoFiscal;
    std::function<HostResult(const PlainPrintRequest &)> ImprimePadrao;
    std::function<HostResult(const DrawerRequest &)> AbreGaveta;
    std::function<DrawerStatusAnswer(const DrawerRequest &)> VerificaStatusGaveta;
    std::function<HostResult(const NonFiscalLogRequest &)> LogImpNFiscal;
    std::function<HostResult(const CancelVoucherRequest &)> SetCupomCancelado;
    std::function<HostResult(const NfceCancelVoucherRequest &)> setNFCeCancelado;
    std::function<HostResult(const SatReceiptRequest &)> Imp_Extrato_SAT_Ger;
    std::function<HostResult(const SatCancelReceiptRequest &)> Imp_Extrato_SAT_Canc;
    std::function<HostResult(const CreditVoucherRequest &)> ImpCompVenCredNFCeSAT;
    std::function<HostResult(const DebitVoucherNonFiscalRequest &)>
        Comp_DebitoCons_Bematech_NaoFiscal;
    std::function<HostResult(const CancelledItemsTicketRequest &)> DisparaImprimeCancProduto;
    std::function<HostResult(const CreditPurchaseVoucherRequest &)> Imp_Compr_Cred;

    // Consumer balances
    std::function<StatementAnswer(const OnlineStatementRequest &, ClientDataSet &dataset)>
        ExtratoConsOnline;
    std::function<StatementAnswer(const CentralStatementRequest &)> ExtratoConsCentral;
    std::function<StatementAnswer(const CentralMovementRequest &)> MoviclieCentral;
    std::function<HostResult(const ConsumerKey &)> AtuSaldoExtCons;
    std::function<HostResult(const DebitBalanceRefreshRequest &)> AtuSaldoDebCons;
    std::function<HostResult(const CentralMovementUpdate &)> UpdMoviclieCentral;
    std::function<BonusLoadAnswer(const BonusLoadRequest &)> CargaCreditoBonus;

    // Partner hooks
    std::function<Fid4AllAnswer(const Fid4AllRequest &)> IntegracaoFid4All;
    std::function<UdsAnswer(const UdsRequest &)> IntegracaoFidUds;
    std::function<PromoAnswer(const PromoRequest &)> IntegracaoPromo;
    std::function<PartnerAnswer(const OnlineLoyaltyNotice &)> FidelidadeOnline;
    std::function<PartnerAnswer(const GiftVoucherNotice &)> ValePresente;
    std::function<PartnerAnswer(const CoreBankingNotice &)> CoreBancario;
    std::function<PartnerAnswer(const VimoNotice &)> FidelidadeVimo;
    std::function<PartnerAnswer(const FixeCrmNotice &)> FixeCRM;

    // Gives every empty member its default again (a host that assigned `{}` by mistake).
    void fillMissing();
    // The routines' names, in table order.
    static QStringList routineNames();
    // The process-wide table the package calls.
    static Pkg_Hrk00002 &current();
};

// The table the sale screen calls; the stand-in host fills it at start.
inline Pkg_Hrk00002 &hostServices()
{
    return Pkg_Hrk00002::current();
}

using ScopedHostServices = ScopedTable<Pkg_Hrk00002>;
