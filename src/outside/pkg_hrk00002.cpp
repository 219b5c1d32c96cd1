#include "pkg_hrk00002.h"

// The defaults answer what a host without the service should: a dialog is cancelled, a
// service or device fails with a text naming the routine, and the call is logged. No default
// pretends success, except where "cancelled" would do harm (see CriaFuncoesFiscais).

namespace {

using HostPackages::notInstalledText;
using HostPackages::reportNotInstalled;

template <class Answer>
Answer cancelled(const char *routine)
{
    reportNotInstalled(QString::fromLatin1(routine));
    return Answer{};
}

HostResult failed(const char *routine)
{
    return HostResult::notInstalled(QString::fromLatin1(routine));
}

TextAnswer noText(const char *routine)
{
    return TextAnswer::notInstalled(QString::fromLatin1(routine));
}

template <class Answer>
Answer withFailure(const char *routine)
{
    reportNotInstalled(QString::fromLatin1(routine));
    Answer answer{};
    answer.failure = notInstalledText(QString::fromLatin1(routine));
    return answer;
}

Variant failureVariant(const char *routine)
{
    reportNotInstalled(QString::fromLatin1(routine));
    return Variant::failure(notInstalledText(QString::fromLatin1(routine)));
}

void setPriceAndDialogDefaults(Pkg_Hrk00002 &t)
{
    t.ChamaFuncaoRetornaPreco = [](const PriceTextRequest &) {
        return withFailure<PriceTextAnswer>("ChamaFuncaoRetornaPreco");
    };
    t.ChamaFuncaoGetRetornaPreco = [](const PriceRequest &, ClientDataSet &) {
        PriceAnswer answer;
        answer.refusal = notInstalledText("ChamaFuncaoGetRetornaPreco");
        answer.result = failureVariant("ChamaFuncaoGetRetornaPreco");
        return answer;
    };
    t.TecladoNumerico = [](const KeypadRequest &) { return cancelled<KeypadAnswer>("TecladoNumerico"); };
    t.Pesquisa = [](const SearchRequest &, ClientDataSet &) { return cancelled<bool>("Pesquisa"); };
    t.PesqConsumidor = [](const ConsumerSearchRequest &, ClientDataSet &) {
        return cancelled<ConsumerSearchAnswer>("PesqConsumidor");
    };
    t.CriaCadConsumidor = [](const ConsumerRegisterRequest &) {
        return cancelled<ConsumerRegisterAnswer>("CriaCadConsumidor");
    };
    // No access service: nothing is allowed.
    t.VerificaAcesso = [](const AccessRequest &) { return cancelled<AccessAnswer>("VerificaAcesso"); };
    t.ControleAcess = [](const RightRequest &) {
        reportNotInstalled(QStringLiteral("ControleAcess"));
        return QStringLiteral("N");
    };
    t.LogControleAcess = [](const AccessLogRequest &) { return failed("LogControleAcess"); };
    t.TrocaOperadorCaixa = [](const OperatorChangeRequest &request) {
        auto answer = cancelled<OperatorChangeAnswer>("TrocaOperadorCaixa");
        answer.stNMOPERADOR = request.stNMOPERADOR; // the operator stays
        return answer;
    };
    t.CriaPromocaoInteligente = [](const SmartPromotionRequest &, SmartPromotionDatasets &) {
        return cancelled<bool>("CriaPromocaoInteligente");
    };
    t.CriaConsultaProd = [](const PriceConsultationRequest &) { return failed("CriaConsultaProd"); };
    t.RelFiscais = [] { return failed("RelFiscais"); };
    t.AtivaProcesso = [](const WaitWindowRequest &) { return failed("AtivaProcesso"); };
    t.DesativaProcesso = [] { return failed("DesativaProcesso"); };
    t.CriaRegVenda = [] { return failed("CriaRegVenda"); };
    t.CalcTicketMedio = [](const TicketAverageRequest &) { return noText("CalcTicketMedio"); };
    t.Vd_VrMinMaxSangria = [](const CashLimitRequest &) { return failureVariant("Vd_VrMinMaxSangria"); };
    t.Observacao = [](const ObservationRequest &) { return cancelled<ObservationAnswer>("Observacao"); };
    t.ProdCombinado = [](const CombinedProductRequest &, ClientDataSet &, ClientDataSet &) {
        return withFailure<CombinedProductAnswer>("ProdCombinado");
    };
    t.CriaInfAdicional = [](const AdditionalDataRequest &) {
        return cancelled<AdditionalDataAnswer>("CriaInfAdicional");
    };
    t.CancelaPedido = [](const OrderCancelRequest &, OrderCancelDatasets &) {
        return cancelled<OrderCancelAnswer>("CancelaPedido");
    };
    // Leaving the menu as "cancelled" would close the sale screen ("FECHA_SISTEMA"); without
    // the menu the operator simply stays on the sale.
    t.CriaFuncoesFiscais = [](const FiscalFunctionsRequest &, ClientDataSet &) {
        reportNotInstalled(QStringLiteral("CriaFuncoesFiscais"));
        return true;
    };
    t.CriaDadosClienteArgentina = [](const ArgentineBuyerData &data) {
        auto answer = cancelled<ArgentineBuyerAnswer>("CriaDadosClienteArgentina");
        answer.data = data;
        return answer;
    };
    t.CriaMensagemProducao = [](const ProductionMessageRequest &) { return failed("CriaMensagemProducao"); };
    t.CriaFidelidade = [](const LoyaltyDialogRequest &) { return failed("CriaFidelidade"); };
    t.CriaConfirmaBio = [](const BiometricRequest &) { return cancelled<BiometricAnswer>("CriaConfirmaBio"); };
}

void setSaleDefaults(Pkg_Hrk00002 &t)
{
    t.Recebimento = [](const PaymentRequest &request, PaymentDatasets &) {
        auto answer = withFailure<PaymentAnswer>("Recebimento");
        answer.stRetAcesso = request.stRetAcesso;
        answer.documentNumber = request.documentNumber;
        answer.stNRCONTCUPOMFISC = request.stNRCONTCUPOMFISC;
        answer.stConfRecebimento = request.stConfRecebimento;
        return answer;
    };
    t.SetConcluiFechamento = [](const ClosingHeader &, ClosingDatasets &) {
        auto answer = withFailure<ClosingAnswer>("SetConcluiFechamento");
        answer.savedSaleKey = Variant::failure(answer.failure);
        return answer;
    };
    t.CalculoIcmsDFederal = [](const TaxEstimateRequest &, ClientDataSet &) {
        return withFailure<TaxEstimateAnswer>("CalculoIcmsDFederal");
    };
    t.getNumeroSerieNFCe = [](const NfceSeriesRequest &) { return noText("getNumeroSerieNFCe"); };
    t.getDataEmissNFCe = [] { return noText("getDataEmissNFCe"); };
    t.SATOnline = [](const SatTransmitRequest &) {
        auto answer = withFailure<SatAnswer>("SATOnline");
        answer.answer.setValue(QStringLiteral("mensagem"), answer.failure);
        return answer;
    };
    t.AtualizaVendaSat = [](const SatUpdateRequest &) { return failureVariant("AtualizaVendaSat"); };
    t.GeraArqXmlSat = [](const SatXmlRequest &) { return noText("GeraArqXmlSat"); };
    t.IncluiVendaCan = [](const CancelledSaleRecord &) {
        return CancellationAnswer{failureVariant("IncluiVendaCan"), {}};
    };
    t.AlteraVendaCan = [](const CancelledStatusChange &) {
        return CancellationAnswer{failureVariant("AlteraVendaCan"), {}};
    };
    t.NFCeOnlineCanc = [](const NfceCancelRequest &, ClientDataSet &) { return failed("NFCeOnlineCanc"); };
    t.getProdCodCestNcm = [](const FiscalCodeRequest &) {
        return withFailure<FiscalCodeAnswer>("getProdCodCestNcm");
    };
}

void setPrintingDefaults(Pkg_Hrk00002 &t)
{
    t.DisparaImpressaoNaoFiscal = [](const NonFiscalPrintRequest &) { return failed("DisparaImpressaoNaoFiscal"); };
    t.ImprimePadrao = [](const PlainPrintRequest &) { return failed("ImprimePadrao"); };
    t.AbreGaveta = [](const DrawerRequest &) { return failed("AbreGaveta"); };
    t.VerificaStatusGaveta = [](const DrawerRequest &) {
        return withFailure<DrawerStatusAnswer>("VerificaStatusGaveta");
    };
    t.LogImpNFiscal = [](const NonFiscalLogRequest &) { return failed("LogImpNFiscal"); };
    t.SetCupomCancelado = [](const CancelVoucherRequest &) { return failed("SetCupomCancelado"); };
    t.setNFCeCancelado = [](const NfceCancelVoucherRequest &) { return failed("setNFCeCancelado"); };
    t.Imp_Extrato_SAT_Ger = [](const SatReceiptRequest &) { return failed("Imp_Extrato_SAT_Ger"); };
    t.Imp_Extrato_SAT_Canc = [](const SatCancelReceiptRequest &) { return failed("Imp_Extrato_SAT_Canc"); };
    t.ImpCompVenCredNFCeSAT = [](const CreditVoucherRequest &) { return failed("ImpCompVenCredNFCeSAT"); };
    t.Comp_DebitoCons_Bematech_NaoFiscal = [](const DebitVoucherNonFiscalRequest &) {
        return failed("Comp_DebitoCons_Bematech_NaoFiscal");
    };
    t.DisparaImprimeCancProduto = [](const CancelledItemsTicketRequest &) {
        return failed("DisparaImprimeCancProduto");
    };
    t.Imp_Compr_Cred = [](const CreditPurchaseVoucherRequest &) { return failed("Imp_Compr_Cred"); };
}

void setConsumerDefaults(Pkg_Hrk00002 &t)
{
    t.ExtratoConsOnline = [](const OnlineStatementRequest &, ClientDataSet &) {
        return cancelled<StatementAnswer>("ExtratoConsOnline");
    };
    t.ExtratoConsCentral = [](const CentralStatementRequest &) {
        return cancelled<StatementAnswer>("ExtratoConsCentral");
    };
    t.MoviclieCentral = [](const CentralMovementRequest &) {
        return cancelled<StatementAnswer>("MoviclieCentral");
    };
    t.AtuSaldoExtCons = [](const ConsumerKey &) { return failed("AtuSaldoExtCons"); };
    t.AtuSaldoDebCons = [](const DebitBalanceRefreshRequest &) { return failed("AtuSaldoDebCons"); };
    t.UpdMoviclieCentral = [](const CentralMovementUpdate &) { return failed("UpdMoviclieCentral"); };
    t.CargaCreditoBonus = [](const BonusLoadRequest &) {
        return cancelled<BonusLoadAnswer>("CargaCreditoBonus");
    };
}

void setPartnerDefaults(Pkg_Hrk00002 &t)
{
    t.IntegracaoFid4All = [](const Fid4AllRequest &) { return withFailure<Fid4AllAnswer>("IntegracaoFid4All"); };
    t.IntegracaoFidUds = [](const UdsRequest &) { return withFailure<UdsAnswer>("IntegracaoFidUds"); };
    t.IntegracaoPromo = [](const PromoRequest &) { return withFailure<PromoAnswer>("IntegracaoPromo"); };
    t.FidelidadeOnline = [](const OnlineLoyaltyNotice &) {
        return withFailure<PartnerAnswer>("FidelidadeOnline");
    };
    t.ValePresente = [](const GiftVoucherNotice &) { return withFailure<PartnerAnswer>("ValePresente"); };
    t.CoreBancario = [](const CoreBankingNotice &) { return withFailure<PartnerAnswer>("CoreBancario"); };
    t.FidelidadeVimo = [](const VimoNotice &) { return withFailure<PartnerAnswer>("FidelidadeVimo"); };
    t.FixeCRM = [](const FixeCrmNotice &) { return withFailure<PartnerAnswer>("FixeCRM"); };
}

} // namespace

Pkg_Hrk00002::Pkg_Hrk00002()
{
    setPriceAndDialogDefaults(*this);
    setSaleDefaults(*this);
    setPrintingDefaults(*this);
    setConsumerDefaults(*this);
    setPartnerDefaults(*this);
}

void Pkg_Hrk00002::fillMissing()
{
    const Pkg_Hrk00002 defaults;
#define PKG_FILL(name) \
    if (!name) \
        name = defaults.name;
    PKG_HRK00002_ROUTINES(PKG_FILL)
#undef PKG_FILL
}

QStringList Pkg_Hrk00002::routineNames()
{
#define PKG_NAME(name) QStringLiteral(#name),
    return {PKG_HRK00002_ROUTINES(PKG_NAME)};
#undef PKG_NAME
}

Pkg_Hrk00002 &Pkg_Hrk00002::current()
{
    static Pkg_Hrk00002 table;
    return table;
}
