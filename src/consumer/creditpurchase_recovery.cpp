// A credit load stays "written, not finished" from its write until its voucher is printed and
// its card payment confirmed. A till stopped in between finds the load at its next start and
// finishes it there, so that the operator does not load (and the customer pay) a second time.
#include "consumersale.h"
#include "creditpurchase_p.h"

#include <server/srv_consumers_credit.h>

#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>
#include <sale/serverseams.h>

#include <outside/pkg_hrk00001.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/ptbr.h>

#include <QDebug>

namespace {

QString textOf(const DataPacket &packet, int row, const char *name)
{
    const Variant value = packet.value(row, QString::fromLatin1(name));
    return value.isBlank() ? QString() : value.toString().trimmed();
}

} // namespace

// The load no longer waits for its voucher. A mark that cannot be removed only means the
// voucher is offered again at the next start, which the operator is then told.
void CreditPurchase::markFinished()
{
    const Parameters &p = m_context.state().params;
    const Variant cleared = m_context.server().consumers.setCargaConcluida(p.stCDFILIAL, p.stCDCAIXA, m_deposit);
    if (cleared.isFailure())
        qWarning().noquote() << "carga" << m_deposit << "não marcada como concluída:" << cleared.failureText();
}

void CreditPurchase::finishInterrupted(const DataPacket &pending, int row)
{
    const Parameters &p = m_context.state().params;
    SaleDatasets &d = m_context.data();
    m_deposit = textOf(pending, row, "NRDEPOSICONS");
    m_family = textOf(pending, row, "CDFAMILISALD");
    m_familyName = textOf(pending, row, "NMFAMILISALD");
    m_kind = m_family == Srv_Kal51000::RecargaTarvolens ? Srv_Kal51000::RecargaTarvolens : m_context.Msg(QStringLiteral("CARGA"));
    m_consumerName = textOf(pending, row, "NMCONSUMIDOR");
    m_familyBalance = pending.value(row, QStringLiteral("VRSALDCREDFAM")).toDouble();
    m_cardReceipt = textOf(pending, row, "DSCOMPRACREDTEF");
    m_voucher = textOf(pending, row, "NRCUPOMCARGA");
    m_printerSequence = textOf(pending, row, "NRSEQECFDOCNF");
    m_movementDate = pending.value(row, QStringLiteral("DTMOVIMENTO")).toDateTime();
    m_loadTime = pending.value(row, QStringLiteral("DTGRAVACARGA")).toDateTime();
    const Variant movements = m_context.server().consumers.getMovCaixaCarga(
        p.stCDFILIAL, p.stCDCAIXA, pending.value(row, QStringLiteral("DTABERCAIX")).toDateTime(), m_deposit);
    if (movements.isFailure()) {
        m_context.message(QStringLiteral("A carga de crédito %1 de %2 foi gravada antes de o sistema parar, mas o "
                                         "comprovante não pôde ser impresso agora (%3). Ele será impresso no próximo "
                                         "início; não refaça a carga.")
                              .arg(m_deposit, m_consumerName, movements.failureText()),
                          Ravuvozozod::Error);
        return;
    }
    // The payment table is borrowed for the voucher and handed back as it was.
    ClientDataSet &payments = d.cdsMovCaixa;
    const bool wasActive = payments.Active();
    const DataPacket before = wasActive ? payments.Data() : DataPacket();
    OnExit restore([&] {
        if (wasActive)
            payments.SetData(before);
        else
            payments.Close();
    });
    payments.SetData(movements.packet());
    m_total = loadTotal();
    m_interrupted = true;
    m_cardNsus.clear();
    for (int movement = 0; movement < movements.packet().rows.size(); ++movement) {
        const QString nsu = textOf(movements.packet(), movement, "CDNSUHOSTTEF");
        if (!nsu.isEmpty() && !m_cardNsus.contains(nsu))
            m_cardNsus << nsu;
    }
    const bool byCard = !m_cardNsus.isEmpty();
    m_context.message(QStringLiteral("A carga de crédito de %1 para %2 (depósito %3) foi gravada, mas o sistema parou "
                                     "antes de imprimir o comprovante. A carga não será gravada de novo: o comprovante "
                                     "será impresso agora%4. Não refaça a carga.")
                          .arg(PtBr::FormatCurr(m_total),
                               recharge() ? QStringLiteral("RECARGA TARVOLENS") : m_consumerName, m_deposit,
                               byCard ? QStringLiteral(" e o pagamento com cartão confirmado") : QString()),
                      Ravuvozozod::Warning);
    const QString voucherError = printVouchersAndFinish();
    if (!voucherError.isEmpty())
        m_context.message(QStringLiteral("O comprovante da carga %1 não foi impresso: %2").arg(m_deposit, voucherError),
                          Ravuvozozod::Error);
}

// Each card charge of the load by its own NSU. One the card program refuses (it no longer
// knows it, or undid it) took the customer's money for a credit already given, or took none:
// either way the operator must look at the card program, so it is told with its NSU.
void CreditPurchase::confirmInterruptedCharges()
{
    for (const QString &nsu : std::as_const(m_cardNsus)) {
        const HostResult confirmed = m_context.devices().FinalizaTransTef(TefFinishRequest{true, nsu});
        if (confirmed.ok)
            continue;
        m_context.message(QStringLiteral("O pagamento com cartão da carga %1 (NSU %2) não foi confirmado: %3. A carga "
                                         "já foi creditada: confira no programa de cartões se o valor foi cobrado.")
                              .arg(m_deposit, nsu, confirmed.failure),
                          Ravuvozozod::Error);
    }
}

void ConsumerSale::finishInterruptedLoads()
{
    const Parameters &p = m_context.state().params;
    const Variant pending = m_context.server().consumers.getCargasPendentes(p.stCDFILIAL, p.stCDCAIXA);
    // A base that does not answer here stops the start-up's other lookups, which say so; the
    // loads are looked for again at the next start.
    if (pending.isFailure()) {
        qWarning().noquote() << "cargas de crédito não concluídas não consultadas:" << pending.failureText();
        return;
    }
    const DataPacket loads = pending.packet();
    for (int row = 0; row < loads.rows.size(); ++row)
        CreditPurchase(m_context).finishInterrupted(loads, row);
}
