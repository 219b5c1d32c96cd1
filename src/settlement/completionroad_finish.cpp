// The completed sale once the rest is paid: its number, the save, the electronic document, the
// buyer's CPF into the consumer register, and the hand-over to the order operation.
#include "completionroad_p.h"

#include "closingrecord_p.h"
#include "personalcreditroad_p.h"
#include "settlementend_p.h"

#include <consumer/consumersale.h>
#include <order/orderentry.h>
#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <runtime/money.h>
#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <exception>

namespace {

void emptyIfOpen(ClientDataSet &dataset)
{
    if (dataset.Active())
        dataset.EmptyDataSet();
}

} // namespace

void CompletionRoad::finishCompletedSale()
{
    m_run.document = m_run.paid.documentNumber;
    m_run.numberBefore = m_context.state().settlement.stRecebAux9;
    if (!numberIfRequired() || !save() || !nfceIssued() || !satIssued())
        return;
    registerBuyerCpf();
    handOverSale();
}

// The till numbers the sale itself unless a fiscal printer, the electronic interface or the
// payment screen did; without a number the payment is undone.
bool CompletionRoad::numberIfRequired()
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    if (params.boUTILIZAIMPFIS || !isNo(params.stIDUTLINTFACELE) || isYes(state.settlement.stConfRecebimento))
        return true;
    if (numberCompletedSale(m_run.document))
        return true;
    undoCompletedPayment(QString());
    return false;
}

bool CompletionRoad::save()
{
    SaleState &state = m_context.state();
    SettlementTexts &texts = state.settlement;
    if (state.params.boUTILIZAIMPFIS && state.host.stModoVenda == SaleMode::Counter)
        emptyIfOpen(m_context.data().cdsItensCancelados);
    SettlementEnd end(m_context, m_end);
    end.relateSaleEmail();
    const ClosingHeader header = ClosingRecord(m_context).closingHeader(m_run.document, m_run.paid.text11);
    m_run.saved = m_context.settlement().SetConcluiFechamento(Settlement::ClosingRoad::Completion, header);
    if (m_run.saved.saved)
        return true;
    undoCompletedPayment(m_run.saved.failure);
    // A number taken is never handed back: the sale that could not be stored is recorded as
    // cancelled under it, as the ordinary sale does.
    if (!texts.stRecebAux9.isEmpty() && texts.stRecebAux9 != m_run.numberBefore)
        end.recordCancelledSale(texts.stRecebAux9);
    return false;
}

// The NFC-e the save issued; one left in contingency cancels the stored sale.
bool CompletionRoad::nfceIssued()
{
    SaleState &state = m_context.state();
    SettlementTexts &texts = state.settlement;
    if (!isNo(state.startup.stRecebAux20))
        return true;
    texts.stRecebAux17 = m_run.saved.answer.nfceText1;
    texts.stRecebAux18 = m_run.saved.answer.nfceText2;
    texts.stRecebAux23 = m_run.saved.answer.nfceStatus;
    if (texts.stRecebAux23 != QLatin1String("CONTIGENCIA_SP"))
        return true;
    SettlementEnd(m_context, m_end).nfceContingency(m_run.saved.saleKey);
    texts.stSenhaPedido.clear();
    return false;
}

// A refused CF-e cancels the stored sale here, as the other roads do, instead of leaving a
// stored sale on screen without its document.
bool CompletionRoad::satIssued()
{
    SaleState &state = m_context.state();
    if (!state.params.boSISTEMAQUBSAT || m_context.settlement().FinalizaVendaSat(m_run.saved.saleKey).isEmpty())
        return true;
    m_context.message(m_context.Msg(QStringLiteral("VENDA_SAT_CAN")), Ravuvozozod::Error);
    SettlementEnd end(m_context, m_end);
    end.markStoredSaleCancelled(m_run.saved.saleKey);
    end.resetAfterSettlement();
    state.settlement.stSenhaPedido.clear();
    return false;
}

// A buyer's CPF (not a CNPJ) goes into the consumer register.
void CompletionRoad::registerBuyerCpf()
{
    const SaleState &state = m_context.state();
    const QString buyer = state.fiscal.stCpfCnpjNota;
    if (buyer.isEmpty() || buyer.size() >= 12)
        return;
    const QString client = state.host.stCdClienteVenda;
    const QString consumer = state.consumer.stCDCONSUMIDOR;
    const QStringList values{client,    QString(), consumer,  QString(), QString(), QString(), QString(), buyer,
                             QString(), QString(), state.params.stSTPROCESSAMENTO, QStringLiteral("2")};
    Variant ignored;
    m_context.checkAnswer(m_context.server().consumers.setGravaConsumidor(values), QStringLiteral("setGravaConsumidor"),
                          QStringList{client, consumer, buyer}.join(QLatin1Char('-')), ignored);
}

// The stored sale to the order operation (tickets, receipt) with letter "C"; a failure there is
// shown and the screen is freed all the same.
void CompletionRoad::handOverSale()
{
    SaleState &state = m_context.state();
    state.flags.boCupomAberto = false;
    try {
        m_context.order().VendeProduto(m_run.saved.saleKey, QStringLiteral("C"), m_run.document);
    } catch (const EAbort &) {
    } catch (const std::exception &failure) {
        m_context.message(QString::fromLocal8Bit(failure.what()), Ravuvozozod::Error);
    }
    SaleShell &shell = m_context.screen();
    shell.LimpaCDS();
    shell.LimpaVariaveis();
    shell.ApagaCdsVenda_CdsItensCancelados();
    shell.Atualiza_Display(m_context.Msg(QStringLiteral("CAIXA_LIVRE")), true);
    state.flags.boRecebendo = false;
    completionTail();
}

bool CompletionRoad::numberCompletedSale(QString &documentNumber)
{
    SaleState &state = m_context.state();
    SettlementTexts &texts = state.settlement;
    const Parameters &params = state.params;
    estimateTaxes(m_context);
    if (!isNo(state.startup.stRecebAux20))
        return true;
    const TextAnswer series = m_context.services().getNumeroSerieNFCe(NfceSeriesRequest{params.stCDFILIAL, params.stCDCAIXA});
    if (!series.ok) {
        m_context.message(series.failure, Ravuvozozod::Error);
        return false;
    }
    texts.stRecebAux24 = series.text;
    Variant number;
    // Filed for voiding (the till issues NFC-e here) until its document is issued.
    if (!m_context.checkAnswer(m_context.server().counters.setNumeroNFCe(params.stCDFILIAL, params.stCDCAIXA, series.text,
                                                                params.stIDAMBTRABNFCE, true),
                               QStringLiteral("setNumeroNFCe"),
                               QStringList{params.stCDFILIAL, params.stCDCAIXA, series.text}.join(QLatin1Char('-')), number)
        || number.toString().isEmpty())
        return false;
    documentNumber = number.toString();
    texts.stRecebAux9 = documentNumber;
    texts.stRecebAux19 = m_context.services().getDataEmissNFCe().text;
    return true;
}

// The payment was taken but the sale could not be stored: the card transaction is undone and
// the sale stays on screen, without its balance row, to be settled again.
void CompletionRoad::undoCompletedPayment(const QString &failure)
{
    SaleState &state = m_context.state();
    if (!failure.isEmpty())
        m_context.message(failure, Ravuvozozod::Error);
    m_context.devices().FinalizaTransTef(TefFinishRequest{false});
    state.flags.boRecebendo = false;
    emptyIfOpen(m_context.data().cdsMovCaixa);
    emptyIfOpen(m_context.data().cdsFamSaldoComp);
    completionTail();
}
