// The product button's own checks before the product pipeline: the server, the special
// products, the desk and its dates; and the replacement of a promotion sold again.
#include "productbutton.h"

#include "orderentry.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <screen/screenshell.h>

#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clock.h>

#include <QAbstractButton>

#include <exception>
#include <sale/codes.h>
#include <sale/serverseams.h>

namespace {

// True when `day` is known and lies before `limit`. The start-up always sets the desk's
// dates; an unset one never locks the till.
bool before(const QDate &day, const QDate &limit)
{
    return day.isValid() && day < limit;
}

} // namespace

void ProductButton::removeQueuedMouseMessages() {}

// The server is asked on every press. Unreachable, the host keeps the sale for later
// (CriaRegVenda) and nothing is sold; once it answers again the grid sells again, rather than
// staying lost for the rest of the process.
bool ProductButtonPress::serverReachable()
{
    SaleFlags &flags = m_context.state().flags;
    const QString failure = m_context.server().access.serverProbe();
    flags.boBalcaoAux2 = failure.contains(QLatin1String("DBNETLIB"));
    if (!flags.boBalcaoAux2)
        return true;
    m_context.services().CriaRegVenda();
    return false;
}

void ProductButtonPress::checkServiceFee(const QString &code)
{
    const SaleState &state = m_context.state();
    const QString fee = m_context.server().lookupsProducts.getProdTxServ(state.params.stCDFILIAL, state.params.stCDLOJA);
    if (!fee.isEmpty() && fee == code && state.host.stModoVenda != SaleMode::Counter)
        refuse(QStringLiteral("PROD_TX_SERV"));
}

void ProductButtonPress::checkLoyaltyCampaign(const QString &code)
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    const Variant campaigns = m_context.checkedValue(m_context.server().loyalty.getProdPromoFidelidade(params.stCDFILIAL, code),
                                                     QStringLiteral("getProdPromoFidelidade"),
                                                     params.stCDFILIAL + QStringLiteral("-") + code);
    if (!campaigns.isPacket() || !m_cdsProdPromoFidelidade.SetData(campaigns.packet()))
        m_cdsProdPromoFidelidade.Close();
    state.loyalty.boFidelidade = m_cdsProdPromoFidelidade.Active() && !m_cdsProdPromoFidelidade.IsEmpty();
    if (state.host.stModoVenda != SaleMode::Counter || !state.host.stCdConsumidorVenda.isEmpty())
        return;
    if (state.loyalty.boFidelidade)
        refuse(QStringLiteral("CONS_N_INF2"));
    if (isYes(params.stIDUTLNFSVENCONS))
        refuse(QStringLiteral("CONS_N_INF3"));
}

void ProductButtonPress::checkCreditPrinting()
{
    if (!m_context.state().flags.boImprimindoCompCred)
        return;
    if (QAbstractButton *credit = m_context.button(FormName::spbCompraCred))
        credit->setDown(false);
    refuse(QStringLiteral("OPE_COMP_CRED"));
}

// The first item of a counter sale asks the host whether the drawer holds too much (or too
// little); the host tells the operator itself.
void ProductButtonPress::checkDrawerLimit()
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    const ClientDataSet &items = m_context.data().cdsItems;
    if ((items.Active() && !items.IsEmpty()) || state.host.stModoVenda != SaleMode::Counter
        || params.stIDCOLETOR == QLatin1String("C") || consulting())
        return;
    if (m_context.services().Vd_VrMinMaxSangria({params.stCDFILIAL, params.stCDCAIXA, params.dtDTABERCAIX}).toBool())
        Abort();
}

// A failure other than a refusal is shown and the item goes on, as the number is asked again
// on the next item.
void ProductButtonPress::reserveReceiptNumber()
{
    SaleState &state = m_context.state();
    bool applies = false;
    try {
        applies = EntryRules::reserveReceiptNumber(m_context, consulting());
    } catch (const EAbort &) {
        throw;
    } catch (const std::exception &error) {
        m_context.message(QString::fromUtf8(error.what()), 3);
    }
    const QString &reserved = state.fiscal.stNrCupomReservado;
    if (applies && !reserved.isEmpty() && reserved != QLatin1String("CUPINV"))
        state.fiscal.stQrCodeAux1 = reserved;
}

void ProductButtonPress::checkPrinterAndDrawer()
{
    SaleState &state = m_context.state();
    if (m_context.shell().VerificaImpressoraOk(true)) {
        state.flags.boCancCupomAux1 = false;
        Abort();
    }
    if (!m_context.shell().VerificaEstadoGaveta(state.params.stIDTIPOGAVETA))
        Abort();
}

// While a fiscal printer sells the item, nothing else may start on it.
void ProductButtonPress::lockButtonsDuringItem()
{
    const SaleState &state = m_context.state();
    const QAbstractButton *consultation = m_context.button(FormName::spbConsultaPreco);
    if (!state.params.boUTILIZAIMPFIS || (consultation && consultation->isChecked()))
        return;
    for (QLatin1StringView name : {FormName::spbCancProd, FormName::spbObs, FormName::spbCancelaCupom, FormName::spbProdCombinado,
             FormName::spbFuncoes, FormName::spbPesquisa, FormName::spbConsultaPreco}) {
        if (QWidget *button = m_context.widget(name))
            button->setEnabled(false);
    }
    const bool quantityKeys = !consulting() && !state.params.boBOERROIMPRESSORA;
    for (QLatin1StringView name : {FormName::spbQtde, FormName::spbQtde2}) {
        if (QWidget *button = m_context.widget(name))
            button->setEnabled(quantityKeys);
    }
    m_buttonsLocked = true;
}

// A desk opened on an earlier day must be closed before it sells again; a desk opened in the
// future is refused whatever the printer.
void ProductButtonPress::checkDeskDates()
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    const QDateTime now = Clock::now();
    const QDate today = now.date();
    const QDate movement = state.startup.dtMovimentoFiscal.date();
    const QDate opening = params.dtDTABERCAIX.date();
    const bool printer = params.boUTILIZAIMPFIS;
    const bool desk = params.stIDCOLETOR != QLatin1String("C");
    const bool mustClose = isYes(params.stIDOBRIGFECHCAIX);
    if (printer && desk && !params.boBOERROIMPRESSORA) {
        const QDate yesterday = today.addDays(-1);
        if (((before(movement, today) || before(opening, today)) && now.time().hour() >= 1)
            || before(movement, yesterday) || before(opening, yesterday)) {
            m_context.message(m_context.Msg(QStringLiteral("EmiteZ")), 0);
            m_context.message(m_context.Msg(QStringLiteral("CloseCaixa")), 0);
            m_context.shell().ControlaBotoes(false);
            state.setPrinterInError(true);
            m_context.shell().ControleAcessoBotoes();
            Abort();
        }
    }
    if (!printer && desk && !params.boBOERROIMPRESSORA && !consulting() && mustClose
        && (before(movement, today) || before(opening, today)))
        refuse(QStringLiteral("FECH_CAIX_SAT"), 0);
    if (opening.isValid() && opening > today)
        refuse(QStringLiteral("FECH_CAIX_SAT"), 0);
    if (printer && mustClose && desk && before(opening, today))
        refuse(QStringLiteral("FECH_CAIX_ECF"));
}

void ProductButtonPress::checkPersonalCredit()
{
    const SaleState &state = m_context.state();
    if (!state.flags.boCreditoPessoal || !m_product.CDFAMILISALD.isEmpty())
        return;
    m_context.setCaption(FormName::lblBuffer, QString());
    if (state.params.boUTILIZAIMPFIS) {
        m_context.shell().ControlaBotoes(true);
        m_context.shell().ControleAcessoBotoes();
    }
    refuse(QStringLiteral("Ope_Fam"));
}

// A promotion sold again from the receipt replaces the lines it had: each line of its item
// group goes, with its receipt text row.
void ProductButtonPress::replaceResoldPromotion()
{
    RoadFields &road = m_context.state().road;
    if (road.stBalcaoAux2.isEmpty())
        return;
    ClientDataSet &items = m_context.data().cdsItems;
    ClientDataSet &receipt = m_context.data().cdsExtratoTemp;
    const Variant group(QList<Variant>{road.stBalcaoAux2, road.stBalcaoAux3});
    while (items.Active() && items.Locate(QStringLiteral("CDPRODPROMOCAO;NRSEQPRODCOM"), group)) {
        const Variant line(QList<Variant>{items.FieldByName(QStringLiteral("CDPRODUTO")).AsString(),
                                          items.FieldByName(QStringLiteral("NRSEQ")).AsString()});
        if (receipt.Active() && receipt.Locate(QStringLiteral("CDPROD;NRSEQ"), line))
            receipt.Delete();
        items.Delete();
    }
    road.stBalcaoAux2.clear();
    road.stBalcaoAux3.clear();
}
