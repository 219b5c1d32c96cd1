#include "pkg_hrk00001.h"

// Every device default fails with a text naming the routine and logs the call; none pretends
// that a coupon opened, an item was sold or a drawer moved.

namespace {

using HostPackages::notInstalledText;
using HostPackages::reportNotInstalled;

HostResult failed(const char *routine)
{
    return HostResult::notInstalled(QString::fromLatin1(routine));
}

template <class Answer>
Answer withFailure(const char *routine)
{
    reportNotInstalled(QString::fromLatin1(routine));
    Answer answer{};
    answer.failure = notInstalledText(QString::fromLatin1(routine));
    return answer;
}

void setPrinterDefaults(Pkg_Hrk00001 &t)
{
    t.DataMoviFiscal = [](const SchemeRequest &) { return withFailure<DateAnswer>("DataMoviFiscal"); };
    t.AbreCupom = [](const CouponOpenRequest &request) {
        auto answer = withFailure<CouponOpenAnswer>("AbreCupom");
        answer.inTefErro = request.inQrCodeAux1;
        return answer;
    };
    t.VendaItem = [](const ItemSaleRequest &request) {
        auto answer = withFailure<ItemSaleAnswer>("VendaItem");
        answer.inTefErro = request.inQrCodeAux1;
        return answer;
    };
    t.VerificaSerialImp = [](const SerialCheckRequest &) { return failed("VerificaSerialImp"); };
    t.VerificaData = [](const DateCheckRequest &) { return withFailure<DateCheckAnswer>("VerificaData"); };
    t.FechaCupom = [](const FiscalCloseRequest &) { return withFailure<FiscalCloseAnswer>("FechaCupom"); };
    // "Erro" is the printer's own refusal text, so the callers' test refuses the sale.
    t.ImpressaoVenda = [](const SalePrintRequest &, SalePrintDatasets &) {
        auto answer = TextAnswer::notInstalled(QStringLiteral("ImpressaoVenda"));
        answer.text = QStringLiteral("Erro");
        return answer;
    };
    t.Atu_TotGeral = [](const GrandTotalRequest &) { return failed("Atu_TotGeral"); };
    t.Cancela_Cupom_Imp = [](const CouponCancelRequest &) {
        return withFailure<CouponCancelAnswer>("Cancela_Cupom_Imp");
    };
    t.Comp_DebitoCons = [](const DebitVoucherRequest &) { return failed("Comp_DebitoCons"); };
    t.Imp_CompVenCred = [](const CreditVoucherRequest &) { return failed("Imp_CompVenCred"); };
    t.Compr_CredPessoal = [](const CreditPurchaseFiscalRequest &request, ClientDataSet &) {
        auto answer = withFailure<CreditPurchaseFiscalAnswer>("Compr_CredPessoal");
        answer.receiptNumber = request.receiptNumber;
        answer.receiptCounter = request.receiptCounter;
        return answer;
    };
    t.Nr_Cupom = [](const ReceiptNumberRequest &) {
        return TextAnswer::notInstalled(QStringLiteral("Nr_Cupom"));
    };
}

void setPeripheralDefaults(Pkg_Hrk00001 &t)
{
    t.Abre_Gaveta_Imp = [](const FiscalDrawerRequest &) { return failed("Abre_Gaveta_Imp"); };
    t.Estado_Gaveta_Imp = [](const SchemeRequest &) {
        return withFailure<DrawerStateAnswer>("Estado_Gaveta_Imp");
    };
    // A negative weight is the scale's "wrong tare or port": the product road ends with its
    // message instead of asking to weigh an empty scale again and again.
    t.BuscaPeso = [](const ScaleRequest &) {
        auto answer = withFailure<ScaleAnswer>("BuscaPeso");
        answer.weight = -1;
        return answer;
    };
    t.LimpaDisplay = [] { return failed("LimpaDisplay"); };
    t.DisplayEnviaTexto = [](const DisplayTextRequest &) { return failed("DisplayEnviaTexto"); };
    t.CancelarVenda = [](const SatCancelRequest &) { return withFailure<SatAnswer>("CancelarVenda"); };
    t.EmitirVenda = [](const SatEmitRequest &) { return withFailure<SatAnswer>("EmitirVenda"); };
    t.FinalizaTransTef = [](const TefFinishRequest &) { return failed("FinalizaTransTef"); };
    t.ImprimeCupomTef = [](const TefReceiptRequest &, ClientDataSet &) { return failed("ImprimeCupomTef"); };
    t.ImprCupons = [](const CardReceiptLinesRequest &) { return failed("ImprCupons"); };
    t.CriaDedicado = [](const DedicatedTefRequest &request) {
        auto answer = withFailure<DedicatedTefAnswer>("CriaDedicado");
        answer.controlNumber = request.controlNumber;
        return answer;
    };
    t.DigitaCpfPinpad = [](const PinpadCpfRequest &) {
        return withFailure<PinpadCpfAnswer>("DigitaCpfPinpad");
    };
}

} // namespace

Pkg_Hrk00001::Pkg_Hrk00001()
{
    setPrinterDefaults(*this);
    setPeripheralDefaults(*this);
}

void Pkg_Hrk00001::fillMissing()
{
    const Pkg_Hrk00001 defaults;
#define PKG_FILL(name) \
    if (!name) \
        name = defaults.name;
    PKG_HRK00001_ROUTINES(PKG_FILL)
#undef PKG_FILL
}

QStringList Pkg_Hrk00001::routineNames()
{
#define PKG_NAME(name) QStringLiteral(#name),
    return {PKG_HRK00001_ROUTINES(PKG_NAME)};
#undef PKG_NAME
}

Pkg_Hrk00001 &Pkg_Hrk00001::current()
{
    static Pkg_Hrk00001 table;
    return table;
}

Variant CouponOpenAnswer::recebeParams(const QString &key) const
{
    if (key.compare(PrinterKeys::INTTEFERRO, Qt::CaseInsensitive) == 0)
        return inTefErro;
    if (key.compare(PrinterKeys::INCLUICPF, Qt::CaseInsensitive) == 0)
        return incluiCpf;
    if (key.compare(PrinterKeys::INCLUINOME, Qt::CaseInsensitive) == 0)
        return incluiNome;
    if (key.compare(PrinterKeys::INCLUIENDERECO, Qt::CaseInsensitive) == 0)
        return incluiEndereco;
    if (key.compare(PrinterKeys::CUPNR, Qt::CaseInsensitive) == 0)
        return cupNr;
    if (key.compare(PrinterKeys::CONTCUPOM, Qt::CaseInsensitive) == 0)
        return contCupom;
    return {};
}

Variant ItemSaleAnswer::recebeParams(const QString &key) const
{
    if (key.compare(PrinterKeys::INTTEFERRO, Qt::CaseInsensitive) == 0)
        return inTefErro;
    return {};
}

QList<Variant> FiscalCloseRequest::toArray() const
{
    return {stTotCv, md5ArquivoTxt, idEsquema, idTipoImpFis, value4, value5, discount, value7,
            value8, idUtilTef, dsObsCupFis, value11, value12, Variant(payments),
            Variant(cdsConfTipoRece), cdCliente, consumerText, nrCracha, nmConsumidor,
            nrInscrCons, value20, value21, cdOperador, nmOperador, nrSeq, idImpBarrCup,
            nmPadBarrCup, idImpSaldoCupom, value28, value29, stRecebAux5, pager,
            Variant(cdsConsultaSaldo), Variant(cdsFamiliaSaldo), cdsEmprestimoFam, stIdTpTelaVe,
            road, doSaldoCons, total, dsMensCpfCup, idImprCupTefRed, ecfImp, couponText,
            sgEstadoFili, value44, value45, idParImprLimVdc, stVrMaxDebCons, stVrMeSubCons,
            cdsVrSaldConsumi, tax1, tax0, value52, periodSpending, value54, value55, value56,
            value57, tax2, limitText, value60, cashback};
}
