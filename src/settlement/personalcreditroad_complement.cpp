// The personal credit completed with other payment means: what the family balances still
// cover under the broken limits becomes one row, the number is taken, and the payment screen
// takes the rest.
#include "personalcreditroad_p.h"

#include "paymentscreen_p.h"

#include <consumer/consumersale.h>
#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/messages.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>
#include <sale/serverseams.h>

#include <QDebug>
#include <QDialog>

namespace {

void emptyIfOpen(ClientDataSet &dataset)
{
    if (dataset.Active())
        dataset.EmptyDataSet();
}

} // namespace

bool payRestOnPaymentScreen(SaleContext &context, SettlementRun &run, double ownPart, bool namesBuyer,
                            PaymentAnswer &answer)
{
    SaleState &s = context.state();
    // A receipt type sold by hand has the payment screen confirm (and issue) the document.
    const Field manual = context.data().cdsConfTipoRece.FindField(QStringLiteral("IDHABVENDAMAN"));
    if (manual.IsValid() && isYes(manual.AsString()))
        s.settlement.stConfRecebimento = QStringLiteral("S");
    s.flags.boBalcaoAux1 = false;
    PaymentScreen screen(context);
    PaymentRequest request = screen.paymentRequest(run.documentInHand, run.waiterName);
    request.amountPaid = ownPart;
    if (namesBuyer) {
        request.buyerDocument = s.consumer.stNrInscrConsVenda;
        request.buyerName = s.consumer.stNmConsumidor;
    }
    request.roadMarker = QStringLiteral("S");
    PaymentDatasets datasets = screen.paymentDatasets();
    answer = context.services().Recebimento(request, datasets);
    screen.keepPaymentOutputs(answer);
    if (!answer.documentNumber.isEmpty())
        run.documentInHand = answer.documentNumber;
    const Variant result = answer.failure.isEmpty() ? Variant(answer.paid) : Variant::failure(answer.failure);
    return context.checkedValue(result, QStringLiteral("Recebimento"), QString()).toBool();
}

void PersonalCreditRoad::complement()
{
    SaleState &s = m_context.state();
    SaleDatasets &d = m_context.data();
    if (const QString unanswered = queryBalances(); !unanswered.isEmpty()) {
        stop(unanswered);
        return;
    }
    const LimitRooms limits = personalCreditRooms(m_context);
    if (!limits.invalid.isEmpty()) {
        stop(QStringLiteral("O limite %1 do consumidor não é um número. Nada foi lançado; corrija o cadastro do "
                            "consumidor.")
                 .arg(limits.invalid));
        return;
    }
    const QList<FamilyShare> shares = splitByFamily(d.cdsConsultaSaldo, d.cdsVenda, limits, s.totals.doTotalVenda);
    // The credit part stands in for the sale's total only while this sale is being paid: a sale
    // left on the screen (unpaid, or paid but not stored) is settled again on its whole total,
    // or the next press would book the old credit part as the whole sale. A sale that left the
    // screen keeps the total its reset gave it.
    const double saleTotal = s.totals.doTotalVenda;
    bool leftScreen = false;
    const OnExit restoreTotal([&s, &leftScreen, saleTotal] {
        if (!leftScreen)
            s.totals.doTotalVenda = saleTotal;
    });
    d.cdsFamSaldoComp.Close();
    d.cdsFamSaldoComp.CreateDataSet();
    double credit = 0;
    for (const FamilyShare &share : shares) {
        m_context.consumer().addFamiliaSaldo(d.cdsFamSaldoComp, share.family, share.amount, true);
        credit = Money::RoundDec(credit + share.amount, 2);
    }
    if (credit > 0) {
        s.totals.doTotalVenda = credit;
        if (!m_context.settlement().InsereMovCaixa(true)) {
            emptyIfOpen(d.cdsFamSaldoComp);
            stop(QString());
            return;
        }
    } else {
        emptyIfOpen(d.cdsMovCaixa);
    }
    if (!s.params.boUTILIZAIMPFIS && isNo(s.params.stIDUTLINTFACELE)) {
        const QString failure = takeElectronicOrPlainNumber(m_context, m_run.documentInHand);
        if (!failure.isEmpty()) {
            emptyIfOpen(d.cdsMovCaixa);
            emptyIfOpen(d.cdsFamSaldoComp);
            stop(failure);
            return;
        }
    }
    PaymentAnswer answer;
    if (!payRestOnPaymentScreen(m_context, m_run, credit, true, answer)) {
        m_end = RoadEnd{RoadEnd::Kind::Unpaid, std::nullopt, answer.recordAsCancelled, answer.documentNumber, {}};
        // A sale recorded as cancelled has left the screen: there are no balances to read again.
        leftScreen = SettlementEnd(m_context, m_end).paymentNotConfirmed(answer.recordAsCancelled, answer.documentNumber);
        if (leftScreen)
            emptyIfOpen(d.cdsFamSaldoComp);
        else
            leaveUnpaid();
        return;
    }
    m_context.form().repaint();
    OwnRoadSave::Options options;
    options.road = Settlement::ClosingRoad::PersonalCreditComplement;
    OwnRoadSave(m_context, m_end, options).run(m_run.documentInHand, answer.text11, m_numberBefore);
    leftScreen = m_end.kind == RoadEnd::Kind::Sold || m_end.kind == RoadEnd::Kind::Reset;
}

// The payment screen was left: nothing of the balances is kept, the balances are read again
// and the sale stays on the screen for the next settlement.
void PersonalCreditRoad::leaveUnpaid()
{
    SaleState &s = m_context.state();
    SaleDatasets &d = m_context.data();
    m_context.screen().ControleAcessoBotoes();
    s.busy.boProcessando = true;
    s.flags.boRecebendo = false;
    emptyIfOpen(d.cdsMovCaixa);
    emptyIfOpen(d.cdsFamSaldoComp);
    if (const QString unanswered = queryBalances(); !unanswered.isEmpty())
        m_context.message(unanswered, Ravuvozozod::Error);
}

// The consumer's balance per family from the source the parameters choose. When the source
// did not answer, cdsConsultaSaldo stays as it was and the answer says so for the cashier:
// the central base names the operation that failed.
QString PersonalCreditRoad::queryBalances()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    SaleDatasets &d = m_context.data();
    const QString client = s.host.stCdClienteVenda;
    const QString consumer = s.consumer.stCDCONSUMIDOR;
    DataPacket packet;
    if (isYes(p.stIDEXTCONSONLINE) || isYes(p.stIDEXTCONSCENTRAL)) {
        if (!d.cdsVazio.Active())
            d.cdsVazio.CreateDataSet();
        const QString today = PtBr::DateToStr(Clock::now().date());
        const StatementAnswer answer =
            isYes(p.stIDEXTCONSONLINE)
                ? m_context.services().ExtratoConsOnline(OnlineStatementRequest{p.stCDFILIAL, client, consumer, QString(),
                                                                                today, p.stCDURLWSEXTCONS,
                                                                                QStringLiteral("CONSULTA_SALDO")},
                                                         d.cdsVazio)
                : m_context.services().ExtratoConsCentral(CentralStatementRequest{
                      p.stCDFILIAL, QString(), QString(), client, consumer, QString(), today,
                      QStringLiteral("CONSULTA_SALDO_FAM")});
        if (!answer.answered || !answer.value.isPacket()) {
            if (isYes(p.stIDEXTCONSONLINE))
                return m_context.Msg(QStringLiteral("FALHA_CONEXAO_SRV"));
            s.consumer.stSaldGastAux2 = QStringLiteral("CONSULTA_SALDO_FAM");
            return m_context.messages().Msg(QStringLiteral("EXTCONSCENTRAL_ERRO"), {s.consumer.stSaldGastAux2});
        }
        packet = answer.value.packet();
    } else {
        Variant value;
        if (!m_context.checkAnswer(m_context.server().consumers.getConsSaldFam(p.stCDFILIAL, client, consumer),
                                   QStringLiteral("getConsSaldFam"),
                                   QStringList{p.stCDFILIAL, client, consumer}.join(QLatin1Char('-')), value,
                                   SaleContext::Failure::Quiet)
            || !value.isPacket()) {
            if (value.isFailure())
                qWarning().noquote() << "getConsSaldFam failed:" << value.failureText();
            return m_context.Msg(QStringLiteral("FALHA_CONEXAO_SRV"));
        }
        packet = value.packet();
    }
    ClientDataSet read(d.cdsConsultaSaldo.Name());
    if (!read.SetData(packet))
        return m_context.Msg(QStringLiteral("FALHA_CONEXAO_SRV"));
    d.cdsConsultaSaldo.Close();
    return d.cdsConsultaSaldo.SetData(packet) ? QString() : m_context.Msg(QStringLiteral("FALHA_CONEXAO_SRV"));
}
