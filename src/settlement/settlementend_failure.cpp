// The failure handler of the settle button: the operator message of a failure, the offer to
// complete a badge consumer's sale with another payment form, and the coupon cancel.
#include "settlementend_p.h"

#include "completionroad_p.h"

#include <consumer/consumersale.h>
#include <outside/pkg_hrk00001.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/messages.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

namespace {

const QString unitName = QStringLiteral("Cli_Kal51000");

// A number of a balance error, written by the server's float-to-text conversion: a decimal
// comma here, a decimal point on a server in another locale; never with thousands marks.
bool parseFigure(const QString &text, double &value)
{
    QString plain = text.trimmed();
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    value = plain.toDouble(&ok);
    return ok && !plain.isEmpty();
}

// "ERRO_1 <family>@@A==B@@C" and the codes of the same layout.
struct BalanceError
{
    QString family;
    double limit = 0; // A
    double spent = 0; // B
    bool figuresRead = false;
};

BalanceError parseBalanceError(const QString &message)
{
    BalanceError parsed;
    const QString rest = message.mid(6);
    const int first = rest.indexOf(QLatin1String("@@"));
    parsed.family = first < 0 ? rest : rest.left(first);
    if (first < 0)
        return parsed;
    const int equals = rest.indexOf(QLatin1String("=="), first + 2);
    if (equals < 0)
        return parsed;
    int next = rest.indexOf(QLatin1String("@@"), equals + 2);
    if (next < 0)
        next = int(rest.size());
    parsed.figuresRead = parseFigure(rest.mid(first + 2, equals - first - 2), parsed.limit)
        && parseFigure(rest.mid(equals + 2, next - equals - 2), parsed.spent);
    return parsed;
}

QString money(double value)
{
    return PtBr::FormatFloat(QStringLiteral("0.00"), value);
}

} // namespace

FailureRecovery::FailureNotice FailureRecovery::failureNotice(const QString &message) const
{
    const QString code = message.left(6);
    auto family = [&](const char *key, const QString &familyText) {
        return FailureNotice{m_context.Msg(QString::fromLatin1(key)) + QLatin1Char(' ') + familyText + QLatin1Char('.'), true};
    };
    if (code == QLatin1String("ERRO_1")) {
        const BalanceError error = parseBalanceError(message);
        // Figures that cannot be read are shown as they came rather than as a wrong limit.
        if (!error.figuresRead)
            return FailureNotice{message, true};
        QString text = m_context.Msg(QStringLiteral("CONS_DIA")) + QLatin1Char(' ') + error.family
            + m_context.Msg(QStringLiteral("QUE_E")) + money(error.limit);
        if (error.spent != 0)
            text += m_context.Msg(QStringLiteral("GAST_TOT")) + money(error.spent) + m_context.Msg(QStringLiteral("LIMIT_FINAL"))
                + money(Money::RoundDec(error.limit - error.spent, 2));
        return FailureNotice{text, true};
    }
    if (code == QLatin1String("ERRO_2"))
        return family("INF_SALDO", message.mid(6));
    if (code == QLatin1String("ERRO_3"))
        return family("Ope_Res_Vend", message.mid(6));
    if (code == QLatin1String("ERRO_4"))
        return family("CONS_DIA_CONS", parseBalanceError(message).family);
    if (code == QLatin1String("ERRO_5"))
        return family("VAL_CONS_LIM", parseBalanceError(message).family);
    if (message == QLatin1String("FALHA_CONEXAO_SRV"))
        return FailureNotice{m_context.Msg(message), false};
    if (message == QLatin1String("MOVICLIECENTRAL_ERRO") || message == QLatin1String("EXTCONSCENTRAL_ERRO"))
        return FailureNotice{m_context.messages().Msg(message, {m_context.state().consumer.stSaldGastAux2}), false};
    if (message == QLatin1String("ERRO_SALDO"))
        return FailureNotice{QString(), true};
    return FailureNotice{message, true};
}

void FailureRecovery::settlementFailed(const QString &message)
{
    m_context.state().flags.boRecebendo = false;
    const FailureNotice notice = failureNotice(message);
    if (!notice.text.isEmpty())
        m_context.message(notice.text, Ravuvozozod::Error);
    if (!notice.completionOffer) {
        m_context.screen().ControleAcessoBotoes();
        return;
    }
    completionOffer();
}

void FailureRecovery::keepSaleOnScreen()
{
    m_context.screen().ControleAcessoBotoes();
    SettlementEnd(m_context, m_end).prepareNextConsumerSale();
}

void FailureRecovery::completionOffer()
{
    if (!consumerMayComplete()) {
        cancelCouponAfterFailure();
        return;
    }
    if (!Ravuvozozod::Mensagem(m_context.Msg(QStringLiteral("Comp_Venda")), QString(), QStringLiteral("N"),
                               QStringLiteral("S"), Ravuvozozod::Question, QString(),
                               m_context.state().params.stIDESQUEMA, 0)) {
        keepSaleOnScreen();
        return;
    }
    CompletionRoad(m_context, m_end).run();
}

// The till allows completing (IDPERCOMVENCPDC) and the consumer's register does not forbid
// it (sale kinds "1" and "2").
bool FailureRecovery::consumerMayComplete()
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    const QString client = state.host.stCdClienteVenda;
    const QString consumer = state.consumer.stCDCONSUMIDOR;
    Variant packet;
    // The consumer register is checked in its own colour scheme "002", not the site's.
    const Variant answer = m_context.server().consumers.getCadConsumidor(params.stCDFILIAL, client, consumer,
                                                                         params.stIDEXCONSATFIL, params.stIDEXCONSATGER);
    Ravuvozozod::MensagemMetodo(answer, true, 0, QStringLiteral("getCadConsumidor"), unitName,
                                QStringList{params.stCDFILIAL, client, consumer}.join(QLatin1Char('-')),
                                QStringLiteral("002"), packet);
    ClientDataSet &register_ = m_context.data().cdsCadConsumidor;
    register_.Close();
    register_.SetData(packet.packet());
    register_.First();
    const QString saleKind = register_.FindField(QStringLiteral("IDTPVENDACONS")).AsString().trimmed();
    return isYes(params.stIDPERCOMVENCPDC) && saleKind != QLatin1String("1") && saleKind != QLatin1String("2");
}

void FailureRecovery::cancelCouponAfterFailure()
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    if (!params.boUTILIZAIMPFIS) {
        keepSaleOnScreen();
        return;
    }
    CouponCancelRequest request;
    request.idEsquema = params.stIDESQUEMA;
    request.cdFilial = params.stCDFILIAL;
    request.cdCaixa = params.stCDCAIXA;
    request.nrSerieImp = params.stNRSERIEIMP;
    const CouponCancelAnswer cancelled = m_context.devices().Cancela_Cupom_Imp(request);
    if (!cancelled.ok) {
        keepSaleOnScreen();
        return;
    }
    const QString coupon = cancelled.couponNumber.isEmpty() ? state.fiscal.stQrCodeAux1 : cancelled.couponNumber;
    const QString document = state.settlement.stRecebAux9.isEmpty() ? coupon : state.settlement.stRecebAux9;
    SettlementEnd end(m_context, m_end);
    state.settlement.stRecebAux1 = end.cancellationTrace(document);
    // The coupon is cancelled on the printer whatever the host answers: the record's failure
    // is shown, and the till is freed so that the cancelled coupon is not sold on.
    end.recordCancelledSale(document);
    end.logCouponCancelled(coupon);
    end.resetAfterSettlement();
}
