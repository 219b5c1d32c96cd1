// The QR-code sale up to its payment rows: the code read, branch and sale checked, consumer and
// buyer, the item rows, the sale rows, the pager number and the payment rows. Nothing here is
// written outside the till; every refusal leaves the panel up for another scan.
#include "qrcodesale_p.h"

#include "settlement.h"

#include <order/orderentry.h>
#include <outside/consiste.h>
#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clock.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>
#include <sale/serverseams.h>

#include <QCoreApplication>
#include <QDebug>

#include <cmath>
#include <exception>

namespace {

const QString unitName = QStringLiteral("Cli_Kal51000");

QString fieldText(const ClientDataSet &dataset, const char *name)
{
    const Field field = dataset.FindField(QString::fromLatin1(name));
    return field.IsValid() ? field.AsString() : QString();
}

} // namespace

QrCodeSale::QrCodeSale(SaleContext &context, RoadEnd &end) : m_context(context), m_end(end) {}

void QrCodeSale::run(const QString &expanded)
{
    SaleState &state = m_context.state();
    BusyFlag receiving(state.flags.boRecebendo);
    m_saleBefore = state.sale();
    m_clientBefore = state.host.stCdClienteVenda;
    try {
        if (!readPayload(expanded) || !checkBranch() || !checkSaleIsFree() || !loadConsumer())
            return;
        ValidaCPFQRCode(state.consumer.stNrInscrConsVenda, state.consumer.stNmConsumidor);
        if (!buildItems() || !checkPaidValue() || !fillSaleRows())
            return;
        drawPager();
        if (m_sale.payment.atTill()) {
            if (!takePaymentAtTill())
                return;
        } else if (!writePaymentRows() || (state.params.boUTILIZAIMPFIS && (!sellOnPrinter() || !closeCoupon()))) {
            return;
        }
        saveAndFinish();
    } catch (const EAbort &) {
        // The refusal has told the operator already.
        fail(QString());
    } catch (const std::exception &error) {
        fail(QString::fromUtf8(error.what()));
    }
}

bool QrCodeSale::readPayload(const QString &expanded)
{
    QString error;
    if (QrCodePayload::read(expanded, m_sale, error))
        return true;
    refuse(m_context.Msg(QStringLiteral("Erro_QrCode")) + QLatin1Char('\n') + error);
    return false;
}

// A code made for another branch stops before the server is asked anything.
bool QrCodeSale::checkBranch()
{
    if (m_sale.branch == m_context.state().params.stCDFILIAL)
        return true;
    refuse(m_context.Msg(QStringLiteral("Filial_QrCode")));
    return false;
}

// A base that cannot say whether the code was sold refuses it: selling it twice is worse.
bool QrCodeSale::checkSaleIsFree()
{
    const Parameters &p = m_context.state().params;
    const Variant taken = m_context.server().lookupsTills.getVendaQRCode(p.stCDFILIAL, m_sale.saleNumber, m_sale.tab);
    if (taken.isFailure()) {
        refuseUnanswered(QStringLiteral("getVendaQRCode"), taken.failureText());
        return false;
    }
    if (!taken.toBool() && claim())
        return true;
    if (!m_stopped)
        refuse(m_context.Msg(QStringLiteral("Existe_QrCode")));
    return false;
}

// Two tills may read one code at once: only the one that holds the day's claim sells it.
bool QrCodeSale::claim()
{
    const Parameters &p = m_context.state().params;
    const Variant held = m_context.server().lookupsTills.setReservaQRCode(p.stCDFILIAL, m_sale.saleNumber, m_sale.tab,
                                                                         p.stCDCAIXA);
    if (held.isFailure()) {
        refuseUnanswered(QStringLiteral("setReservaQRCode"), held.failureText());
        return false;
    }
    m_claimed = held.toBool();
    return m_claimed;
}

void QrCodeSale::releaseClaim()
{
    if (!m_claimed)
        return;
    m_claimed = false;
    const Parameters &p = m_context.state().params;
    const Variant released = m_context.server().lookupsTills.setLiberaQRCode(p.stCDFILIAL, m_sale.saleNumber, m_sale.tab,
                                                                            p.stCDCAIXA);
    if (released.isFailure())
        qWarning().noquote() << "setLiberaQRCode:" << released.failureText();
}

bool QrCodeSale::loadConsumer()
{
    SaleState &state = m_context.state();
    state.host.stCdClienteVenda = m_sale.client;
    state.consumer.stCDCONSUMIDOR = m_sale.consumer;
    m_consumerData.Close();
    if (m_sale.client.isEmpty() && m_sale.consumer.isEmpty())
        return true;
    const Variant answer = m_context.server().consumers.getDadosConsumidor(m_sale.client, m_sale.consumer);
    if (answer.isFailure()) {
        refuseUnanswered(QStringLiteral("getDadosConsumidor"), answer.failureText());
        return false;
    }
    if (!answer.isPacket() || !m_consumerData.SetData(answer.packet())) {
        refuse(m_context.Msg(QStringLiteral("Erro_QrCode")) + QLatin1Char('\n') + QStringLiteral("dados do consumidor ilegíveis"));
        return false;
    }
    m_consumerData.First();
    state.consumer.stNrInscrConsVenda = fieldText(m_consumerData, "NRCPFRESPCON");
    state.consumer.stNmConsumidor = fieldText(m_consumerData, "NMCONSUMIDOR");
    return true;
}

void QrCodeSale::ValidaCPFQRCode(const QString &Cpf, const QString &Name)
{
    SaleState &state = m_context.state();
    FiscalTexts &buyer = state.fiscal;
    buyer.stCpfCnpjNota.clear();
    buyer.stNomeNota.clear();
    buyer.stEnderecoNota.clear();
    buyer.stIdEstrangeiroNota.clear();
    AdditionalDataRequest request;
    request.document = Cpf;
    request.name = Name;
    request.idEsquema = state.params.stIDESQUEMA;
    request.askNameAddress = QStringLiteral("S");
    request.value8 = QStringLiteral("S");
    request.valueCount = 9;
    if (isYes(state.params.stIDINTRESGSALDO)) {
        request.balanceRedemption = QStringLiteral("S");
        request.valueCount = 10;
    }
    const AdditionalDataAnswer answer = m_context.services().CriaInfAdicional(request);
    buyer.stCpfCnpjNota = answer.document;
    buyer.stNomeNota = answer.name;
    buyer.stEnderecoNota = answer.address;
    buyer.stIdEstrangeiroNota = answer.foreignId;
    if (buyer.stCpfCnpjNota == QLatin1String("0")) {
        buyer.stCpfCnpjNota.clear();
        buyer.stNomeNota.clear();
    }
    if (!buyer.stCpfCnpjNota.isEmpty() || !buyer.stNomeNota.isEmpty())
        m_context.screen().RestauraRodape(QStringLiteral("2"), buyer.stCpfCnpjNota + QStringLiteral(" - ") + buyer.stNomeNota
                                                                 + QLatin1Char('-') + buyer.stEnderecoNota);
    QCoreApplication::processEvents();
}

bool QrCodeSale::buildItems()
{
    SaleDatasets &data = m_context.data();
    if (!data.cdsItems.Active())
        data.cdsItems.CreateDataSet();
    for (const QrCodePayload::Product &product : m_sale.products) {
        if (!addItem(product))
            return false;
    }
    return true;
}

// A product the till does not know, or without exactly one tax row, refuses the whole code: it
// must not borrow the name, unit or tax of whatever row the cursor stands on.
bool QrCodeSale::addItem(const QrCodePayload::Product &product)
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    ClientDataSet &catalogue = data.cdsValidaProd;
    if (!catalogue.Active() || !catalogue.Locate(QStringLiteral("CDPRODUTO"), product.code)) {
        refuse(QStringLiteral("Produto %1 do Qr Code não está cadastrado neste caixa.").arg(product.code));
        return false;
    }
    ClientDataSet &taxes = data.cdsAliquota;
    const int taxRows = taxes.Active() ? taxes.KeyCount(QStringLiteral("CDPRODUTO"), product.code) : 0;
    if (taxRows != 1) {
        refuse(m_context.Msg(taxRows == 0 ? QStringLiteral("IMPOS_NCAD") : QStringLiteral("IMPOSTO_ERR"))
               + QStringLiteral(" (%1)").arg(product.code));
        return false;
    }
    taxes.Locate(QStringLiteral("CDPRODUTO"), product.code);
    if (usesPrinterAliquots() && !locatePrinterAliquot()) {
        refuse(m_context.Msg(QStringLiteral("ALIQ_NCAD")) + QStringLiteral(" (%1)").arg(product.code));
        return false;
    }
    bool failed = false;
    const QString fiscalClass = fiscalClassOf(product.code, failed);
    if (failed)
        return false;

    const QString line = state.road.stNRSEQ.isEmpty() ? QStringLiteral("001")
                                                       : Consiste::Ajusta(QString::number(state.road.stNRSEQ.toInt() + 1), 3);
    const double price = product.price;
    const double value = Money::Trunc2(Money::Trunc2(product.quantity * Money::Trunc2(price)));
    double serviceCharge = 0;
    if (isYes(state.params.stIDACRIMPOSTO))
        serviceCharge = taxes.FieldByName(QStringLiteral("VRPEALIMPFIS")).AsFloat() * (product.quantity * price) / 100.0;

    ClientDataSet &items = data.cdsItems;
    items.Append();
    const QList<QPair<const char *, Variant>> values{
        {"CDPRODUTO", product.code},
        {"CDPRODPROMOCAO", QString()},
        {"NMPRODUTO", fieldText(catalogue, "NMPRODUTO")},
        {"NRLUGARMESA", QStringLiteral("01")},
        {"QTPRODCOMVEN", PtBr::FloatToStr(product.quantity)},
        {"VRPRECCOMVEN", price},
        {"VRUNITVENDCL", 0.0},
        {"VRDESCCOMVEN", 0.0},
        {"CDARVPROD", fieldText(catalogue, "CDARVPROD")},
        {"CDLOJA", state.params.stCDLOJA},
        {"NRMESA", QString()},
        {"DTINCLUSAO", Clock::now()},
        {"CDFILIAL", state.params.stCDFILIAL},
        {"CDOPERADOR", state.rights.stCDOPERADOR},
        {"CDLOJAIT", state.params.stCDLOJA},
        {"DTABERCAIX", state.params.dtDTABERCAIX},
        {"IDPRODIMPFIS", QStringLiteral("S")},
        {"VRACRCOMVEN", product.surcharge},
        {"NMCONSVEND", state.fiscal.stNomeNota},
        {"NRINSCRCONS", state.fiscal.stCpfCnpjNota},
        {"SGUNIDADE", fieldText(catalogue, "SGUNIDADE")},
        {"DSENDEVENDA", state.fiscal.stEnderecoNota},
        {"VRACRCOMANDA", 0.0},
        {"CDCLASFISC", fiscalClass},
        {"IDCHECK", QStringLiteral("U")},
        {"VRTXSERVICO", serviceCharge},
        {"NRSEQ", line},
        {"ACRESITEM", 0.0},
        {"SOMA", value},
        {"NRVENDAREST", m_sale.saleNumber},
        {"NRCOMANDA", m_sale.tab},
    };
    for (const auto &[name, fieldValue] : values) {
        Field field = items.FindField(QString::fromLatin1(name));
        if (field.IsValid())
            field.SetValue(fieldValue);
    }
    if (!items.Post()) {
        items.Cancel();
        refuse(QStringLiteral("O item %1 do Qr Code não pôde ser registrado.").arg(product.code));
        return false;
    }
    m_addedLines.append(line);
    state.road.stNRSEQ = line;
    state.totals.doVrTxServico += serviceCharge;
    return true;
}

// The fiscal class is asked of the server; a failed read refuses the code instead of writing
// the error text into the item as its class.
QString QrCodeSale::fiscalClassOf(const QString &code, bool &failed)
{
    const Variant answer = m_context.server().lookupsProducts.getProdCodNCM(code);
    failed = answer.isFailure();
    if (failed)
        refuseUnanswered(QStringLiteral("getProdCodNCM"), answer.failureText());
    return failed ? QString() : answer.toString();
}

// A card payment has no change: what the code says was paid must be what the sale comes to,
// its items plus the service charge the till adds, to the cent. A code paid at the till has no
// value to compare. Checked before the printer or the base is touched.
bool QrCodeSale::checkPaidValue()
{
    if (m_sale.payment.atTill())
        return true;
    double items = 0;
    double serviceCharge = 0;
    ClientDataSet &rows = m_context.data().cdsItems;
    for (const QString &line : std::as_const(m_addedLines)) {
        if (!rows.Locate(QStringLiteral("NRSEQ"), line))
            continue;
        items = Money::Trunc2(items + rows.FieldByName(QStringLiteral("SOMA")).AsFloat()
                              + rows.FieldByName(QStringLiteral("VRACRCOMVEN")).AsFloat());
        serviceCharge += rows.FieldByName(QStringLiteral("VRTXSERVICO")).AsFloat();
    }
    const double due = Money::Trunc2(items + serviceCharge);
    if (std::llround(Money::RoundDec(m_sale.payment.value, 2) * 100) == std::llround(due * 100))
        return true;
    const auto money = [](double value) { return PtBr::FormatFloat(QStringLiteral("#,##0.00"), value); };
    QString total = money(due);
    if (Money::Trunc2(serviceCharge) > 0)
        total += QStringLiteral(": itens R$ %1 e taxa de serviço R$ %2").arg(money(items), money(due - items));
    refuse(QStringLiteral("Operação bloqueada. O valor pago no Qr Code (R$ %1) não confere com o total da venda "
                          "(R$ %2). Nada foi lançado.")
               .arg(money(m_sale.payment.value), total));
    return false;
}

bool QrCodeSale::fillSaleRows()
{
    double total = 0;
    try {
        m_context.order().PreencheVenda(total);
    } catch (const EAbort &) {
        // PreencheVenda has shown why.
        refuse(QString());
        return false;
    }
    return true;
}

void QrCodeSale::drawPager()
{
    SaleState &state = m_context.state();
    if (!state.settlement.stSenhaPedido.isEmpty())
        return;
    state.settlement.stSenhaPedido =
        m_context.settlement().GeraSenhaCupom(state.params.stIDSENHACUP, state.params.inNRMINSENHAAL);
}

// The name of a payment type among the desk's receipt types; empty for a type it lacks.
QString QrCodeSale::paymentName(const QString &type) const
{
    ClientDataSet &types = m_context.data().cdsConfTipoRece;
    if (!types.Active() || !types.FindField(QStringLiteral("NMTIPORECE")).IsValid())
        return {};
    const Variant name = types.Lookup(QStringLiteral("CDTIPORECE"), type, QStringLiteral("NMTIPORECE"));
    return name.isBlank() ? QString() : name.toString();
}

QString QrCodeSale::costCentre() const
{
    const QString own = m_consumerData.Active() ? fieldText(m_consumerData, "CDCCUSCLIE") : QString();
    return own.isEmpty() ? m_context.state().params.stCDCCUSCLIE : own;
}

// One payment row for the save and its copy for the printer, which shows the desk's generic
// payment type; a desk without one shows the code's own type rather than none.
bool QrCodeSale::writePaymentRows()
{
    SaleState &state = m_context.state();
    const Parameters &p = state.params;
    QString generic;
    if (p.boUTILIZAIMPFIS) {
        const Variant answer = m_context.server().lookupsTills.getRecebGenerico(p.stCDFILIAL, p.stCDCAIXA);
        if (!answer.isFailure())
            generic = answer.toString();
    }
    ClientDataSet &movements = m_context.data().cdsMovCaixa;
    movements.Close();
    movements.CreateDataSet();
    const QDateTime movementDate = state.startup.dtMovimentoFiscal.isValid() ? state.startup.dtMovimentoFiscal
                                                                             : QDateTime(Clock::now().date(), QTime());
    const QList<QPair<const char *, Variant>> values{
        {"CDFILIAL", p.stCDFILIAL},          {"IDTIPOMOVIVE", QStringLiteral("E")},
        {"DTHRINCMOV", Clock::now()},        {"CDTIPORECE", m_sale.payment.type},
        {"IDTIPORECE", m_sale.payment.kind}, {"VRMOVIVEND", m_sale.payment.value},
        {"CDCLIENTE", m_sale.client},        {"CDCONSUMIDOR", m_sale.consumer},
        {"CDCCUSCLIE", costCentre()},        {"DTMOVIMCAIXA", movementDate},
        {"DSIMPFISCAL", QString()},          {"CDBANCARTCR", QString()},
        {"CDFPIMPFIS", QString()},           {"CDNSUHOSTTEF", m_sale.nsu},
        {"QTPARCRECEB", QStringLiteral("1")},
    };
    movements.Append();
    for (const auto &[name, value] : values)
        movements.FieldByName(QString::fromLatin1(name)).SetValue(value);
    // The tape and the base name the payment, not only its code.
    movements.FieldByName(QStringLiteral("NMTIPORECE")).SetAsString(paymentName(m_sale.payment.type));
    if (!movements.Post()) {
        movements.Cancel();
        refuse(QStringLiteral("O pagamento do Qr Code não pôde ser registrado."));
        return false;
    }
    m_movCaixaImp.Close();
    m_movCaixaImp.SetData(movements.Data());
    m_movCaixaImp.First();
    m_movCaixaImp.Edit();
    const QString printed = generic.isEmpty() ? m_sale.payment.type : generic;
    m_movCaixaImp.FieldByName(QStringLiteral("CDTIPORECE")).SetAsString(printed);
    const QString printedName = paymentName(printed);
    if (!printedName.isEmpty())
        m_movCaixaImp.FieldByName(QStringLiteral("NMTIPORECE")).SetAsString(printedName);
    m_movCaixaImp.Post();
    return true;
}
