// The product pipeline shared by the Enter key, the product buttons and the search: price,
// weighing, quantity, seat and all-you-can-eat rules. Promotion, consultation, prizes and
// registration follow in productentry_register.cpp.
#include "productentry.h"

#include "codeparsing.h"
#include "orderentry.h"

#include <consumer/consumersale.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <outside/consiste.h>
#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/qub_movrela.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/messages.h>
#include <runtime/clock.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QAbstractButton>
#include <QDebug>
#include <QLabel>
#include <sale/codes.h>
#include <sale/serverseams.h>

EntryOptions EntryOptions::enterKey()
{
    EntryOptions o;
    o.entry = Entry::EnterKey;
    o.busyFlag = &HandlerGuards::boDigitacaoAux1;
    o.pricesInConsultation = true;
    o.seatCheck = SeatCheck::AfterWeighing;
    o.decodesScaleErrors = true;
    o.decodesScaleLabel = true;
    o.printerLookup = PrinterLookup::BeforePrice;
    o.namesProductInPriceError = true;
    o.fillsOpenPromotionDates = true;
    o.clearsBufferOnRefusal = true;
    o.bufferAfterRegistration = BufferAfterRegistration::Always;
    return o;
}

EntryOptions EntryOptions::productButton()
{
    EntryOptions o;
    o.entry = Entry::ProductButton;
    o.busyFlag = &HandlerGuards::boBalcaoAux3;
    o.checksCollectorAfterPrice = true;
    o.checksFraction = true;
    o.seatCheck = SeatCheck::BeforeWeighing;
    o.decodesScaleErrors = true;
    o.limitsTypedQuantity = true;
    o.printerLookup = PrinterLookup::BeforePrice;
    o.checksValueLimits = true;
    o.reenablesButtonsOnPriceError = true;
    o.undoesLineValuesWhenPromotionDeclined = true;
    o.bufferAfterRegistration = BufferAfterRegistration::OnlyPlain;
    return o;
}

EntryOptions EntryOptions::search()
{
    EntryOptions o;
    o.entry = Entry::Search;
    o.busyFlag = &HandlerGuards::boCancCupomAux1;
    o.consultationByButton = true;
    o.seatCheck = SeatCheck::AfterLineValues;
    o.limitsTypedQuantity = true;
    o.printerLookup = PrinterLookup::AfterConsultation;
    o.bufferAfterRegistration = BufferAfterRegistration::NotAfterAttached;
    return o;
}

ProductEntry::ProductEntry(SaleContext &context, const EntryOptions &options)
    : m_context(context), m_options(options)
{
}

ProductEntry::Outcome ProductEntry::sell(const ProductRow &product, const QString &typedCode)
{
    m_product = product;
    m_typedCode = typedCode;
    // The seat check marks a refill for this entry alone: refused after it, the entry must not
    // leave the mark for the next line, whichever road registers that one.
    const OnExit dropRefillMark([this] { m_context.state().road.stAddProdAux3.clear(); });
    if (m_options.printerLookup == EntryOptions::PrinterLookup::BeforePrice)
        findProductionPrinter();
    askPrice();
    if (m_options.checksCollectorAfterPrice)
        checkCollectorDesk();
    if (m_options.checksFraction)
        checkFraction();
    if (m_options.seatCheck == EntryOptions::SeatCheck::BeforeWeighing)
        checkSeat();
    weighOrLimit();
    if (m_options.seatCheck == EntryOptions::SeatCheck::AfterWeighing)
        checkSeat();
    lineValues();
    if (m_options.seatCheck == EntryOptions::SeatCheck::AfterLineValues)
        checkSeat();
    if (m_options.goesOnAfterLineValues && !m_options.goesOnAfterLineValues())
        return Outcome::NotSold;
    checkAllYouCanEat();
    if (!expandPromotion())
        return Outcome::NotSold;
    if (consulting()) {
        showConsultation();
        return Outcome::Consulted;
    }
    variablePrice();
    if (m_options.printerLookup == EntryOptions::PrinterLookup::AfterConsultation)
        findProductionPrinter();
    if (m_options.checksValueLimits)
        checkValueLimits();
    offerPrizes();
    registerLines();
    return Outcome::Registered;
}

// ---- helpers -------------------------------------------------------------------------------

bool ProductEntry::consulting() const
{
    if (m_options.consultationByButton) {
        if (QAbstractButton *button = m_context.button(FormName::spbConsultaPreco))
            return button->isChecked();
    }
    return m_context.state().screen.boConsultaPreco;
}

void ProductEntry::refuse(const QString &key, int kind, bool clear, const QStringList &args)
{
    if (clear && m_options.clearsBufferOnRefusal)
        clearBuffer();
    m_context.message(m_context.messages().Msg(key, args), kind);
    Abort();
}

void ProductEntry::clearBuffer()
{
    m_context.setCaption(FormName::lblBuffer, QString());
}

void ProductEntry::reenableButtons()
{
    m_context.screen().ControlaBotoes(true);
    m_context.screen().ControleAcessoBotoes();
}

// The reset after a refusal that concerns the quantity.
void ProductEntry::resetQuantity(bool reenable)
{
    SaleState &state = m_context.state();
    m_context.setCaption(FormName::lblProduto, QString());
    state.totals.doQuantidade = 1.0;
    state.flags.boBalcaoAux1 = false;
    if (reenable)
        reenableButtons();
}

static ClientDataSet &priceRow(SaleContext &context)
{
    return context.data().cdsRetornaPreco;
}

static double priceValue(SaleContext &context, const char *column)
{
    return priceRow(context).FindField(QString::fromLatin1(column)).AsFloat();
}

// ---- steps ---------------------------------------------------------------------------------

void ProductEntry::findProductionPrinter()
{
    ClientDataSet &printers = m_context.data().cdsPortaProd;
    const Variant key(QList<Variant>{m_context.state().params.stCDLOJA, m_product.CDPRODUTO});
    const bool found = printers.Active()
                       && printers.Locate(QStringLiteral("CDLOJA;CDPRODUTO"), key, loCaseInsensitive);
    m_printer = found ? printers.FieldByName(QStringLiteral("CDPORIMPPROD")).AsString() : QString();
    m_cancelPrint = found ? printers.FieldByName(QStringLiteral("IDIMPCANITEM")).AsString() : QString();
}

void ProductEntry::askPrice()
{
    if (consulting() && !m_options.pricesInConsultation)
        return;
    const SaleState &state = m_context.state();
    PriceRequest request;
    request.cdFilial = state.params.stCDFILIAL;
    request.cdClienteVenda = state.host.stCdClienteVenda;
    request.cdProduto = m_product.priceCode();
    request.cdLoja = state.params.stCDLOJA;
    request.cdConsumidor = state.consumer.stCDCONSUMIDOR;
    request.hora = CodeParsing::priceHour(Clock::now().time());
    request.vendaDebito = isYes(state.params.stIDUTTABPRECLVDC)
                              ? state.flags.boVendaDebito : true;
    request.modoVenda = state.host.stModoVenda;
    const PriceAnswer answer = m_context.services().ChamaFuncaoGetRetornaPreco(request, priceRow(m_context));
    if (!answer.ok)
        failPrice(answer.refusal);
    try {
        Consiste::CheckResultServ(answer.result, true, 0);
    } catch (const Consiste::EResultServ &error) {
        failPrice(error.text());
    }
}

QString ProductEntry::priceRefusalKey(const QString &code)
{
    static const QHash<QString, QString> keys = {
        {QStringLiteral("PRECNCAD"), QStringLiteral("Preco_deve")},
        {QStringLiteral("TABENCAD"), QStringLiteral("TabePrec")},
        {QStringLiteral("DTCLI"), QStringLiteral("VigenciaCli")},
        {QStringLiteral("DTPAR"), QStringLiteral("VigenciaPar")},
        {QStringLiteral("DTLOJ"), QStringLiteral("VigenciaLoj")},
        {QStringLiteral("PRECZERO"), QStringLiteral("Preco_Zero")},
        {QStringLiteral("BLOQUEADO"), QStringLiteral("Prod_bloqueado")},
        {QStringLiteral("FORAHORA"), QStringLiteral("prod_fora_hora")},
    };
    return keys.value(code);
}

void ProductEntry::failPrice(const QString &code)
{
    const QString key = priceRefusalKey(code);
    QString text = key.isEmpty() ? code : m_context.Msg(key);
    if (code == QLatin1String("PRECNCAD") && m_options.namesProductInPriceError)
        text += QLatin1Char('\r') + m_product.CDPRODUTO + QStringLiteral(" - ") + m_product.NMPRODUTO;
    if (m_options.reenablesButtonsOnPriceError && m_context.state().params.boUTILIZAIMPFIS)
        reenableButtons();
    if (m_options.clearsBufferOnRefusal)
        clearBuffer();
    m_context.message(text, 3);
    Abort();
}

void ProductEntry::checkCollectorDesk()
{
    const SaleState &state = m_context.state();
    if (!consulting() && state.host.stModoVenda == SaleMode::Counter
        && state.params.stIDCOLETOR == QLatin1String("C"))
        refuse(QStringLiteral("Ope_Col"));
}

// A unit product sold in a fraction; the registration refuses it too, but this entry says so
// before asking anything else.
void ProductEntry::checkFraction()
{
    const SaleState &state = m_context.state();
    if (consulting() || !state.road.stQtdeCodBarra.isEmpty()
        || !isNo(m_product.IDPESAPROD)
        || !CodeParsing::isFractional(state.totals.doQuantidade))
        return;
    m_context.message(m_context.Msg(QStringLiteral("PROD_FRAC")), 3);
    resetQuantity(true);
    Abort();
}

void ProductEntry::checkSeat()
{
    const SaleState &state = m_context.state();
    const QString &mode = state.host.stModoVenda;
    if (mode != QLatin1String("M") && mode != QLatin1String("C"))
        return;
    const QString seat = Consiste::Ajusta(QString::number(state.table.inPosicaoGrid), 2);
    if (!m_context.server().tabs.verificaIDSTLUGARMESA(state.params.stCDFILIAL, state.host.stNRVENDAREST, seat))
        refuse(QStringLiteral("BLOQ_LUGAR"), 0, false, {seat});
    // A price consultation sells nothing, so it counts no refill.
    if (!consulting())
        m_context.order().ControlaRefil(m_product.CDPRODUTO);
}

void ProductEntry::checkQuantityLimit(double quantity)
{
    const QString &limitText = m_context.state().params.stQTMAXPERVNDPROD;
    if (limitText.isEmpty())
        return;
    bool ok = false;
    const double limit = PtBr::StrToFloat(limitText, &ok);
    if (ok && limit > 0 && quantity <= limit)
        return;
    m_context.message(m_context.Msg(QStringLiteral("Qtde_Vnd_Inf")), 0);
    resetQuantity(true);
    Abort();
}

void ProductEntry::weighOrLimit()
{
    SaleState &state = m_context.state();
    const bool weighable = isYes(m_product.IDPESAPROD);
    const bool noLabelQuantity = m_options.decodesScaleLabel
                                     ? (!m_product.fromScaleLabel || m_typedCode == state.road.stProdutoAux1)
                                     : state.road.stQtdeCodBarra.isEmpty();
    if (!weighable || consulting() || !noLabelQuantity) {
        checkQuantityLimit(state.totals.doQuantidade);
        return;
    }
    if (state.flags.boBalcaoAux1) {
        state.flags.boBalcaoAux1 = false;
        if (m_options.limitsTypedQuantity)
            checkQuantityLimit(state.totals.doQuantidade);
        return;
    }
    const QString &scale = state.params.stIDTIPOBAL;
    if (scale.isEmpty() || scale == QLatin1String("0"))
        return;
    weigh();
}

double ProductEntry::readScale()
{
    const Parameters &params = m_context.state().params;
    const ScaleAnswer answer = m_context.devices().BuscaPeso({params.stCDPORTABAL, params.stNRVELOCBAL});
    if (answer.ok)
        return answer.weight;
    // A scale that cannot be read sells nothing; the operator sees why.
    reenableButtons();
    m_context.message(answer.failure.isEmpty() ? m_context.Msg(QStringLiteral("bal_zero")) : answer.failure, 3);
    Abort();
}

void ProductEntry::weigh()
{
    SaleState &state = m_context.state();
    const double tare = PtBr::StrToFloat(m_product.QTTARAPROD);
    for (;;) {
        const double weight = readScale();
        if (m_options.decodesScaleErrors && state.params.stIDTIPOBAL == QLatin1String("12")
            && !m_context.order().RealizarTratamentoErroBalanca(weight)) {
            reenableButtons();
            Abort();
        }
        // The limit is on the reading itself, before the tare comes off.
        checkQuantityLimit(weight);
        state.flags.boAddProdAux2 = true;
        const double net = Money::RoundDec(weight - tare, 3);
        if (net == 0) {
            if (Ravuvozozod::Mensagem(m_context.Msg(QStringLiteral("bal_zero")), QString(),
                                      QStringLiteral("N"), QStringLiteral("S"), 1, QString(),
                                      state.params.stIDESQUEMA, 0))
                continue;
            reenableButtons();
            Abort();
        }
        if (net < 0) {
            reenableButtons();
            refuse(QStringLiteral("bal_neg"));
        }
        state.totals.doQuantidade = net;
        if (CustomerMonitor *display = m_context.screen().customerDisplay()) {
            if (QLabel *label = display->label(DisplayName::lblPeso))
                label->setText(PtBr::FloatToStr(net));
        }
        return;
    }
}

void ProductEntry::lineValues()
{
    SaleState &state = m_context.state();
    if (consulting() && !m_options.pricesInConsultation)
        return;
    if (!(m_options.decodesScaleLabel && decodeScaleLabel()))
        plainLineValues();
    if (state.flags.boVendaDebito)
        m_context.consumer().VerifVrMinConsumoProd(m_product.CDPRODUTO);
    m_hasDiscount = state.totals.doVrDescontoItem > 0 || state.totals.doVrAcrescimoItem > 0;
}

void ProductEntry::plainLineValues()
{
    SaleTotals &totals = m_context.state().totals;
    const double quantity = totals.doQuantidade;
    const double addition = Qub_movrela::Trunc2(priceValue(m_context, "VRACRESCIMO") * quantity);
    if (!consulting())
        totals.doVrAcrComanda += addition;
    totals.doVrAcrescimoItem = addition;
    totals.doVrDescontoItem = Qub_movrela::Trunc2(priceValue(m_context, "VRDESCONTO") * quantity);
    m_price = PtBr::FloatToStr(priceValue(m_context, "VRPRECO"));
}

// The second half of reading a scale label: the quantity or the value it carries. False when
// the label carries neither (or the item is no label), so the plain line values apply.
bool ProductEntry::decodeScaleLabel()
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    if (!isYes(params.stIDLCDBARBALATOL) || !m_product.fromScaleLabel
        || state.totals.doQuantidade != 1.0)
        return false;
    std::optional<double> quantity;
    if (!params.stNRPOSINIQTCDBAR.isEmpty()) {
        const QString digits = CodeParsing::cutPositions(m_typedCode, params.stNRPOSINIQTCDBAR,
                                                         params.stNRPOSFINQTCDBAR);
        state.road.stQtdeCodBarra = CodeParsing::withImpliedDecimals(digits, 3);
        quantity = CodeParsing::labelQuantity(digits, isYes(m_product.IDPESAPROD));
    } else if (!params.stNRPOSINIVRCDBAR.isEmpty()) {
        const QString digits = CodeParsing::cutPositions(m_typedCode, params.stNRPOSINIVRCDBAR,
                                                         params.stNRPOSFINVRCDBAR);
        state.road.stQtdeCodBarra = CodeParsing::withImpliedDecimals(digits, 2);
        const std::optional<double> value = CodeParsing::labelValue(digits);
        quantity = CodeParsing::quantityForValue(value.value_or(0), priceValue(m_context, "VRPRECO"));
    } else {
        return false;
    }
    if (!quantity || *quantity == 0) {
        // A label that reads no quantity (zeros, no price, not digits) sells nothing.
        clearBuffer();
        state.busy.boDigitacaoAux1 = false;
        state.totals.doQuantidade = 1.0;
        state.road.stQtdeCodBarra.clear();
        refuse(QStringLiteral("QT_ZERO"));
    }
    state.totals.doQuantidade = *quantity;
    if (!params.stNRPOSINIQTCDBAR.isEmpty()) {
        plainLineValues();
    } else {
        // The label carries the line's value: no discount, surcharge or tab surcharge.
        state.totals.doVrAcrescimoItem = 0;
        state.totals.doVrDescontoItem = 0;
        m_price = PtBr::FloatToStr(priceValue(m_context, "VRPRECO"));
    }
    return true;
}

void ProductEntry::checkAllYouCanEat()
{
    SaleState &state = m_context.state();
    const QString &mode = state.host.stModoVenda;
    if (m_product.IDTIPOCOMPPROD != QLatin1String("6")
        || (mode != QLatin1String("M") && mode != QLatin1String("C")))
        return;
    const QString &duration = state.params.stHRTEMPOROD;
    if (!duration.isEmpty()) {
        const int minutes = duration.mid(0, 2).toInt() * 60 + duration.mid(2, 2).toInt();
        const QDateTime limit = state.startup.dtAberturaMesa.addSecs(qint64(minutes) * 60);
        if (Clock::now() > limit)
            refuse(QStringLiteral("TEMPO_RODIZIO"), 3, true);
    }
    if (state.totals.doQuantidade == 1.0)
        return;
    QString key = QStringLiteral("PROD_ROD_CMD");
    if (mode == QLatin1String("M"))
        key = isYes(state.params.stIDLUGARMESA) ? QStringLiteral("PROD_ROD_POS")
                                                               : QStringLiteral("PROD_ROD_MES");
    m_context.message(m_context.Msg(key), 3);
    resetQuantity(true);
    Abort();
}
