// The entries of the product pipeline: the Enter key with a typed or scanned code and the
// product buttons' hand-over (the search button has productsearch.cpp). Each owns its busy
// flag and its clean-up.
#include "orderentry.h"

#include "productentry.h"
#include "productlookup_p.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/messages.h>
#include <runtime/clock.h>

#include <QAbstractButton>
#include <QWidget>

#include <exception>
#include <sale/codes.h>
#include <sale/serverseams.h>

namespace {

void clearBuffer(SaleContext &context)
{
    context.setCaption(FormName::lblBuffer, QString());
}

} // namespace

using EntryRules::collectorAtCounter;
using EntryRules::refuse;

void EntryRules::refuse(SaleContext &context, const QString &key, int kind, const QStringList &args)
{
    context.message(context.messages().Msg(key, args), kind);
    Abort();
}

bool EntryRules::collectorAtCounter(const SaleState &state)
{
    return state.host.stModoVenda == SaleMode::Counter && state.params.stIDCOLETOR == QLatin1String("C");
}

// The counter's receipt number of the Colombian numbering, reserved before the first item.
// A held number is kept; an exhausted range or a failed request refuses the item.
bool EntryRules::reserveReceiptNumber(SaleContext &context, bool consulting)
{
    SaleState &state = context.state();
    const Parameters &params = state.params;
    if (state.host.stModoVenda != SaleMode::Counter || params.boUTILIZAIMPFIS || consulting
        || params.stIDPAISINTEGRA != QLatin1String("01"))
        return false;
    QString &reserved = state.till.stNrCupomReservado;
    if (!reserved.isEmpty() && reserved != QLatin1String("CUPINV"))
        return true;
    Variant number;
    const bool usable = context.checkAnswer(
        context.server().counters.getPrxVendaColombia(params.stCDFILIAL, params.stCDCAIXA, params.stCDPREFINTGCOL,
                                          params.stNRCUPINIINTGCOL, params.stNRCUPFININTGCOL),
        QStringLiteral("getPrxVendaColombia"), params.stCDFILIAL, number);
    reserved = usable ? number.toString() : QString();
    if (!usable)
        Abort();
    if (reserved == QLatin1String("CUPINV"))
        refuse(context, QStringLiteral("Cup_inv"), 3, {params.stNRCUPINIINTGCOL, params.stNRCUPFININTGCOL});
    return true;
}

// ---- Enter key -----------------------------------------------------------------------------

void OrderEntry::enterTypedCode(const QString &code)
{
    TypedCodeEntry(m_context, *this).run(code);
}

TypedCodeEntry::TypedCodeEntry(SaleContext &context, OrderEntry &order) : m_context(context), m_order(order) {}

// A server or dataset failure is shown and ends the item like a refusal, with the buffer cleared.
void TypedCodeEntry::run(const QString &code)
{
    SaleState &state = m_context.state();
    if (state.busy.boDigitacaoAux1 || state.flags.boRecebendo)
        return;
    state.busy.boDigitacaoAux1 = true;
    // The label's quantity belongs to this item only, registered or refused.
    OnExit guard([&state] {
        state.busy.boDigitacaoAux1 = false;
        state.road.stQtdeCodBarra.clear();
    });
    try {
        sell(code);
    } catch (const EAbort &) {
        throw;
    } catch (const Consiste::EResultServ &error) {
        clearBuffer(m_context);
        refuse(m_context, error.text());
    } catch (const std::exception &error) {
        clearBuffer(m_context);
        m_context.message(QString::fromUtf8(error.what()), 3);
        Abort();
    }
}

void TypedCodeEntry::sell(const QString &code)
{
    entryChecks();
    const ProductRow product = typedProduct(code);
    ProductEntry(m_context, EntryOptions::enterKey()).sell(product, code);
    clearBuffer(m_context);
}

void TypedCodeEntry::entryChecks()
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    EntryRules::reserveReceiptNumber(m_context, state.screen.boConsultaPreco);
    if (collectorAtCounter(state))
        refuse(m_context, QStringLiteral("Ope_Col"));
    if (!m_context.screen().VerificaEstadoGaveta(params.stIDTIPOGAVETA))
        Abort();
    if (params.boBOERROIMPRESSORA && params.boUTILIZAIMPFIS && !state.screen.boConsultaPreco) {
        clearBuffer(m_context);
        refuse(m_context, QStringLiteral("ERRO_INICIA_IMP"));
    }
}

// The product of the code; refused (buffer cleared) when there is none, or when personal credit
// needs a family the product lacks.
ProductRow TypedCodeEntry::typedProduct(const QString &code)
{
    ProductRow product;
    if (!m_order.ValidaProduto_Codigo(product.CDPRODUTO, product.NMPRODUTO, product.CDARVPROD, product.CDFAMILISALD,
                                      product.IDPESAPROD, product.SGUNIDADE, product.QTTARAPROD,
                                      product.IDIMPPRODUTO, product.IDTIPOCOMPPROD, product.DTFINVGPROMOC,
                                      product.DTINIVGPROMOC, code, product.fromScaleLabel)) {
        clearBuffer(m_context);
        Abort();
    }
    if (m_context.state().flags.boCreditoPessoal && product.CDFAMILISALD.isEmpty()) {
        clearBuffer(m_context);
        refuse(m_context, QStringLiteral("Ope_Fam"));
    }
    return product;
}

// ---- product buttons -----------------------------------------------------------------------

// The button road resolves its row, runs its own checks up to the desk dates and the family,
// and holds its busy flag; from the price on the item runs the shared pipeline.
void OrderEntry::sellButtonProduct(const ProductRow &product, const std::function<bool()> &goesOnAfterLineValues,
                                   const std::function<void()> &promotionAccepted)
{
    EntryOptions options = EntryOptions::productButton();
    options.goesOnAfterLineValues = goesOnAfterLineValues;
    options.promotionAccepted = promotionAccepted;
    ProductEntry(m_context, options).sell(product);
}

