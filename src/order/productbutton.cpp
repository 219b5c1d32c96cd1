// The product button's road: the button's row, the units to sell, and each unit from the
// guard to the end step.
#include "productbutton.h"

#include "orderentry.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <outside/pkg_hrk00002.h>
#include <runtime/abort.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>

#include <QAbstractButton>
#include <QObject>

#include <cmath>
#include <sale/codes.h>
#include <sale/serverseams.h>

namespace {

QString field(const ClientDataSet &dataset, const char *name)
{
    return dataset.FindField(QString::fromLatin1(name)).AsString();
}

} // namespace

void OrderEntry::tcbBalcao01Click(QObject *Sender)
{
    ProductButtonPress(m_context, Sender).run();
}

ProductButtonPress::ProductButtonPress(SaleContext &context, QObject *sender)
    : m_context(context), m_sender(sender)
{
    if (sender)
        m_button = sender->objectName().right(2);
}

// A press while another is handled does nothing at all: a dialog of the first press spins
// the message loop, and the second must not change the quantity or the rows under it.
void ProductButtonPress::run()
{
    HandlerGuards &busy = m_context.state().busy;
    if (busy.boBalcaoAux3)
        return;
    busy.boBalcaoAux3 = true;
    OnExit guard([this, &busy] {
        busy.boBalcaoAux3 = false;
        if (m_buttonsLocked && std::uncaught_exceptions() > 0)
            giveButtonsBack();
    });
    Clock::sleep(100);
    if (!locateButtonRow())
        return;
    runUnits(unitsToSell(field(m_context.data().cdsConfigProd, "CDPRODUTO")));
}

// Positions the unfiltered product table on the pressed button of the current group, group
// page and product page. False when the button has no row.
bool ProductButtonPress::locateButtonRow()
{
    const SaleState &state = m_context.state();
    ClientDataSet &buttons = m_context.data().cdsConfigProd;
    if (!buttons.Active())
        return false;
    buttons.SetFiltered(false);
    const Variant keys(QList<Variant>{m_button, state.screen.stBalcaoAux1,
                                      QString::number(state.screen.inPaginaProduto),
                                      QString::number(state.screen.inPaginaGrupo)});
    return buttons.Locate(QStringLiteral("NRBUTTON;NRBUTTONAUX;NRPGCONFTELA;NRPGCONFTAUX"), keys,
                          loCaseInsensitive);
}

// The row a unit sells: the pressed button's, or the promotion product sold again from the
// receipt. False when that product is on no button.
bool ProductButtonPress::locateProductRow()
{
    const QString &resold = m_context.state().road.stBalcaoAux2;
    if (resold.isEmpty())
        return locateButtonRow();
    ClientDataSet &buttons = m_context.data().cdsConfigProd;
    buttons.SetFiltered(false);
    return buttons.Active() && buttons.Locate(QStringLiteral("CDPRODUTO"), Variant(resold));
}

// A product with a day price or a QR code printed per unit is sold one unit a line. Whole
// units each make a line of 1; a fraction left over makes a last line of its own, so that the
// lines add up to the quantity asked for (2.5 is 1 + 1 + 0.5, never three whole units).
double ProductButtonPress::unitsToSell(const QString &code)
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    double &quantity = state.totals.doQuantidade;
    if (quantity <= 1)
        return 1;
    const QString weekday = QString::number(Clock::now().date().dayOfWeek() % 7 + 1);
    const bool perUnit =
        isYes(m_context.server().lookupsProducts.getIDUTILDESCDIA(params.stCDFILIAL, code, state.consumer.stCDTIPOCONS, weekday))
        || isYes(m_context.server().lookupsTills.getIDIMPQRTOPDATA(params.stCDCAIXA, params.stCDFILIAL, code));
    if (!perUnit)
        return 1;
    const double count = quantity;
    quantity = 1;
    return count;
}

void ProductButtonPress::runUnits(double count)
{
    SaleState &state = m_context.state();
    for (double left = count; left > 0; left -= 1) {
        // The registration puts the quantity back to 1 after every line.
        if (left < 1)
            state.totals.doQuantidade = left;
        if (sellUnit() == UnitEnd::EndStep)
            endStep();
    }
}

// One unit, from the guard to the registration. A refusal throws EAbort and ends the press.
ProductButtonPress::UnitEnd ProductButtonPress::sellUnit()
{
    SaleState &state = m_context.state();
    ProductButton::removeQueuedMouseMessages();
    m_context.order().zeraVariaveisCupomDesc();
    if (!serverReachable())
        return UnitEnd::Quietly;
    if (state.road.stBalcaoAux2.isEmpty() && !locateButtonRow())
        return UnitEnd::Quietly;
    const QString code = state.road.stBalcaoAux2.isEmpty()
                             ? field(m_context.data().cdsConfigProd, "CDPRODUTO") : state.road.stBalcaoAux2;
    checkServiceFee(code);
    checkLoyaltyCampaign(code);
    checkClubPetroPrice(code);
    checkCreditPrinting();
    checkDrawerLimit();
    reserveReceiptNumber();
    checkPrinterAndDrawer();
    if (QWidget *grid = m_context.widget(FormName::panBalcao); grid && !grid->isEnabled())
        return UnitEnd::Quietly;
    lockButtonsDuringItem();
    if (!locateProductRow())
        return UnitEnd::Quietly;
    m_product = rowProduct();
    if (turnPage(field(m_context.data().cdsConfigProd, "IDTPBUTTON")))
        return UnitEnd::EndStep;
    m_context.setCaption(FormName::lblMenu, QString());
    checkDeskDates();
    checkPersonalCredit();
    QAbstractButton *pressed = qobject_cast<QAbstractButton *>(m_sender);
    const bool captioned = pressed && !pressed->text().isEmpty();
    m_context.order().sellButtonProduct(m_product, [captioned] { return captioned; },
                                        [this] { replaceResoldPromotion(); });
    return UnitEnd::EndStep;
}

ProductRow ProductButtonPress::rowProduct() const
{
    const ClientDataSet &row = m_context.data().cdsConfigProd;
    ProductRow product;
    product.CDPRODUTO = field(row, "CDPRODUTO");
    product.CDIDENTBUTON = field(row, "CDIDENTBUTON");
    product.NMPRODUTO = field(row, "NMPRODUTO");
    product.CDARVPROD = field(row, "CDARVPROD");
    product.CDFAMILISALD = field(row, "CDFAMILISALD");
    product.IDPESAPROD = field(row, "IDPESAPROD");
    product.SGUNIDADE = field(row, "SGUNIDADE");
    product.QTTARAPROD = field(row, "QTTARAPROD");
    if (product.QTTARAPROD.trimmed().isEmpty())
        product.QTTARAPROD = QStringLiteral("0");
    product.IDIMPPRODUTO = field(row, "IDIMPPRODUTO");
    product.IDTIPOCOMPPROD = field(row, "IDTIPOCOMPPROD");
    product.DTINIVGPROMOC = field(row, "DTINIVGPROMOC");
    product.DTFINVGPROMOC = field(row, "DTFINVGPROMOC");
    return product;
}

// The product page buttons turn the page of the current group and sell nothing.
bool ProductButtonPress::turnPage(const QString &buttonType)
{
    SaleState &state = m_context.state();
    int &page = state.screen.inPaginaProduto;
    if (buttonType == QLatin1String("9"))
        page += 1;
    else if (buttonType.compare(QLatin1String("A"), Qt::CaseInsensitive) == 0)
        page = qMax(1, page - 1);
    else
        return false;
    m_context.screen().MontaConfigProduto(false, state.screen.stBalcaoAux1);
    return true;
}

bool ProductButtonPress::consulting() const
{
    return m_context.state().screen.boConsultaPreco;
}

void ProductButtonPress::refuse(const QString &key, int kind)
{
    m_context.message(m_context.Msg(key), kind);
    Abort();
}

// With a fiscal printer the buttons come back; without one the host's log gets the line.
void ProductButtonPress::endStep()
{
    const SaleState &state = m_context.state();
    if (state.params.boUTILIZAIMPFIS) {
        giveButtonsBack();
        return;
    }
    m_context.state().results.vaRetorno = Variant::array(2);
    // The row read for this unit: drawing a page or registering may move the table's cursor.
    const QString text = QStringLiteral("Venda ---  Código Arv: ") + m_product.CDARVPROD
                         + QStringLiteral(" Nome do Produto: ") + m_product.NMPRODUTO
                         + QStringLiteral(" Preço: ") + field(m_context.data().cdsRetornaPreco, "VRPRECO")
                         + QStringLiteral(" Qtde: ") + PtBr::FloatToStr(state.totals.doQuantidade)
                         + QStringLiteral(" Filial: ") + state.params.stCDFILIAL
                         + QStringLiteral(" Caixa: ") + state.params.stCDCAIXA
                         + QStringLiteral(" Loja: ") + state.params.stCDLOJA;
    m_context.services().LogImpNFiscal(NonFiscalLogRequest{text});
}

void ProductButtonPress::giveButtonsBack()
{
    if (!m_context.state().params.boBOERROIMPRESSORA)
        m_context.screen().ControlaBotoes(true);
    m_context.screen().ControleAcessoBotoes();
}
