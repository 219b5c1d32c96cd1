// The consumer-debit sale that broke a limit, completed with other payments: the part the
// debit still covers becomes the "T" payment row, the payment screen takes the rest.
#include "debitroad_p.h"

#include "completionroad_p.h"
#include "personalcreditroad_p.h"
#include "settlementend_p.h"

#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

namespace {

double number(const ClientDataSet &dataset, const char *name)
{
    const Field field = dataset.FindField(QString::fromLatin1(name));
    return dataset.Active() && !dataset.IsEmpty() && field.IsValid() ? field.AsFloat() : 0.0;
}

// The room a broken maximum leaves; none when nothing is left.
std::optional<double> roomLeft(const LimitVerdict &verdict, ConsumerLimit limit)
{
    const LimitVerdict::Broken *broken = verdict.find(limit);
    if (!broken)
        return std::nullopt;
    return std::max(0.0, broken->room);
}

} // namespace

void ConsumerDebitRoad::complementRoad()
{
    SaleState &s = m_context.state();
    const double part = debitPart(brokenLimitRooms(), s.figures.doDebitoConsAux1, s.totals.doTotalVenda);
    if (!writeDebitRow(part) || !numberBeforePayment())
        return;
    PaymentAnswer answer;
    const bool paid = payRestOnPaymentScreen(m_context, m_run, part, false, answer);
    m_run.paymentText11 = answer.text11;
    if (!paid) {
        paymentRefused(answer);
        return;
    }
    // The number was taken once, before the payment screen: a second one would only be lost.
    saveSale(Settlement::ClosingRoad::DebitComplement);
}

// Each limit the sale broke leaves the room still under it. The balance is what the consumer
// has after the last movement (below zero: what is owed) and the floor (VRLIMDEBCONS, in
// stVRMESUBCONS) how far below zero it may go: the room above the floor is balance - floor.
DebitRooms ConsumerDebitRoad::brokenLimitRooms() const
{
    const SaleState &s = m_context.state();
    const ConsumerFigures &f = s.figures;
    const SaleDatasets &d = m_context.data();
    const double balance = d.cdsSaldo.Active() && !d.cdsSaldo.IsEmpty() ? number(d.cdsSaldo, "VRSALDOCONS") : f.doSaldoCons;
    const bool hasFloor = !s.consumer.stVRMESUBCONS.trimmed().isEmpty();
    const double floor = hasFloor ? PtBr::StrToFloat(s.consumer.stVRMESUBCONS) : 0.0;
    const double aboveFloor = floor < balance ? Money::Trunc2(balance) - Money::Trunc2(floor) : 0.0;
    const Field kindField = d.cdsVenda.FindField(QStringLiteral("IDTIPOSALDOPROD"));
    const bool ownBalance = kindField.IsValid() && isNo(kindField.AsString());
    DebitRooms rooms;
    if (!f.boRecebAux1)
        rooms.balanceFloor = aboveFloor;
    const LimitVerdict &verdict = f.limits;
    // A consumer who owes part of the month may still be debited up to the maximum, as long as
    // the balance stays above the floor.
    if (const auto room = roomLeft(verdict, ConsumerLimit::ConsumerMaximum))
        rooms.maximumDebit = hasFloor ? std::min(*room, aboveFloor) : *room;
    rooms.storeDaily = roomLeft(verdict, ConsumerLimit::StoreDaily);
    rooms.monthly = roomLeft(verdict, ConsumerLimit::Monthly);
    rooms.storeMonthly = roomLeft(verdict, ConsumerLimit::StoreMonthly);
    if (const LimitVerdict::Broken *basic = verdict.find(ConsumerLimit::BasicBalance))
        rooms.basicBalance = ownBalance ? basic->room : f.doSubsidioAux1;
    if (const LimitVerdict::Broken *extra = verdict.find(ConsumerLimit::ExtraBalance))
        rooms.extraBalance = ownBalance ? extra->room + f.doSubsidioAux1 : f.doSubsidioAux3;
    return rooms;
}

// The debit's own payment row, of the consumer-debit receipt type; none when the debit covers
// nothing. False when the row could not be written (the settlement has stopped).
bool ConsumerDebitRoad::writeDebitRow(double part)
{
    ClientDataSet &payments = m_context.data().cdsMovCaixa;
    if (part <= 0) {
        payments.Close();
        payments.CreateDataSet();
        return true;
    }
    if (!m_context.settlement().InsereMovCaixa(false))
        return false;
    payments.First();
    payments.Edit();
    payments.FieldByName(QStringLiteral("VRMOVIVEND")).SetValue(part);
    if (payments.Post())
        return true;
    refuse(QStringLiteral("Não foi possível registrar o débito do consumidor. A venda continua na tela."));
    return false;
}

// Without a fiscal printer the till numbers the sale before the payment screen, once.
bool ConsumerDebitRoad::numberBeforePayment()
{
    const SaleState &s = m_context.state();
    if (s.params.boUTILIZAIMPFIS || !isNo(s.params.stIDUTLINTFACELE) || isYes(s.settlement.stConfRecebimento))
        return true;
    const QString failure = takeElectronicOrPlainNumber(m_context, m_run.documentInHand);
    if (failure.isEmpty())
        return true;
    refuse(failure);
    return false;
}

// The payment screen was left: the sale stays on the screen, without its payments, and the
// consumer's balances are read again for the next attempt. A document the screen gave up is
// recorded as cancelled, as on every road, and that sale leaves the screen.
void ConsumerDebitRoad::paymentRefused(const PaymentAnswer &answer)
{
    SaleDatasets &d = m_context.data();
    m_end = RoadEnd{RoadEnd::Kind::Unpaid, std::nullopt, answer.recordAsCancelled,
                    answer.recordAsCancelled ? answer.documentNumber : m_run.documentInHand, {}};
    const bool leftScreen = SettlementEnd(m_context, m_end).paymentNotConfirmed(answer.recordAsCancelled,
                                                                               answer.documentNumber);
    if (d.cdsFamSaldoComp.Active())
        d.cdsFamSaldoComp.EmptyDataSet();
    if (!leftScreen)
        CompletionRoad(m_context, m_end).reloadBalances();
}
