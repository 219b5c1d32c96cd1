// The AME wallet refund of a cancelled sale: a token by the branch's Basic credentials, then one
// refund order per wallet payment of the sale. The provider knows a repeated order by its
// refundId, so a refund kept after a lost answer and sent again is not paid twice.
#include "consumersale.h"
#include "partners_p.h"

#include <sale/salecontext.h>
#include <sale/serverseams.h>

#include <outside/qub_requisicaohttp.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/money.h>

using namespace PartnerClients;
namespace Http = Qub_requisicaohttp;

namespace {

const QString TimeoutSeconds = QStringLiteral("10");

QString logPath()
{
    return QStringLiteral("Dados\\logApiAME_reembolso\\reembolsoAME%1.txt")
        .arg(Clock::now().toString(QStringLiteral("ddMMyyyy")));
}

QString field(const ClientDataSet &dataset, const char *name)
{
    return dataset.FieldByName(QString::fromLatin1(name)).AsString();
}

} // namespace

PartnerCall ConsumerSale::EstornoAME(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA,
                                     const QDateTime &DTABERTUR, const QString &onRefusal)
{
    return AmeRefund(m_context).run(CDFILIAL, CDCAIXA, NRSEQVENDA, DTABERTUR, onRefusal);
}

QString AmeRefund::keyOf(const QString &paymentId)
{
    return QStringLiteral("estorno AME %1").arg(paymentId);
}

// Every wallet payment of the sale is refunded, each reported in the log; the operator gets one
// message. A refund that did not complete may have been paid: it is kept with its refund id
// and sent again later, never reported as failed (a manual refund would pay twice). A sale
// without wallet payments sends, writes and shows nothing.
PartnerCall AmeRefund::run(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA,
                           const QDateTime &DTABERTUR, const QString &onRefusal)
{
    ClientDataSet cdsTransAME(QStringLiteral("cdsTransAME"));
    QString error;
    if (!loadPacket(cdsTransAME, m_context.server().partners.getMovCaixaAME(CDFILIAL, CDCAIXA, NRSEQVENDA, DTABERTUR),
                    error)) {
        logReembolsoAME(QStringLiteral("Erro ao ler os pagamentos AME da venda %1: %2").arg(NRSEQVENDA, error));
        const PartnerCall refused{PartnerCall::Outcome::Refused,
                                  m_context.Msg(QStringLiteral("ERROESTAME")) + QStringLiteral(" ") + error};
        m_context.message(refused.text, 3);
        return refused;
    }
    if (cdsTransAME.IsEmpty())
        return {};
    const bool configured = loadSettings(CDFILIAL);
    QStringList refused, pending;
    QString answered;
    for (cdsTransAME.First(); !cdsTransAME.Eof(); cdsTransAME.Next()) {
        const QString captureId = field(cdsTransAME, "IDTRANSAMECAPT");
        const QString paymentId = field(cdsTransAME, "IDTRANSAME");
        const double value = cdsTransAME.FieldByName(QStringLiteral("VRMOVIVEND")).AsFloat();
        if (!configured) {
            refused << paymentId;
            continue;
        }
        // Refunded at an earlier press of this cancellation: AME may refuse a repeat.
        if (doneBefore(QStringLiteral("AME"), keyOf(paymentId)))
            continue;
        // Once AME left a call unanswered the till waits no more: the refund is kept unsent.
        const PartnerCall::Outcome outcome = m_unanswered ? PartnerCall::Outcome::Pending
                                                          : refundOne(captureId, paymentId, value);
        if (outcome == PartnerCall::Outcome::Done) {
            rememberDone(QStringLiteral("AME"), keyOf(paymentId));
            continue;
        }
        answered = m_answered;
        if (outcome == PartnerCall::Outcome::Refused) {
            refused << paymentId;
            continue;
        }
        const QJsonObject kept{{QStringLiteral("CDFILIAL"), CDFILIAL}, {QStringLiteral("CDCAIXA"), CDCAIXA},
                               {QStringLiteral("NRSEQVENDA"), NRSEQVENDA}, {QStringLiteral("captureId"), captureId},
                               {QStringLiteral("paymentId"), paymentId}, {QStringLiteral("amount"), value}};
        keepPending(QStringLiteral("AME"), keyOf(paymentId), kept);
        pending << paymentId;
    }
    PartnerCall call;
    if (!configured) {
        call = {PartnerCall::Outcome::Refused, m_context.Msg(QStringLiteral("ERROESTAME"))
                                                   + QStringLiteral(" Os parâmetros AME da filial não foram lidos.")};
    } else if (!refused.isEmpty()) {
        call = {PartnerCall::Outcome::Refused,
                QStringLiteral("A AME recusou o estorno do pagamento %1. A AME respondeu: %2.")
                    .arg(refused.join(QStringLiteral(", ")), answered)};
        if (!onRefusal.isEmpty())
            call.text += QStringLiteral("\r\n") + onRefusal;
    } else if (!pending.isEmpty()) {
        call = {PartnerCall::Outcome::Pending,
                QStringLiteral("O estorno AME do pagamento %1 não foi confirmado. A AME respondeu: %2. O estorno fica "
                               "guardado neste caixa e será reenviado com o mesmo identificador, que a AME paga uma só "
                               "vez: não faça o estorno por fora.")
                    .arg(pending.join(QStringLiteral(", ")), answered)};
    } else {
        call = {PartnerCall::Outcome::Done, m_context.Msg(QStringLiteral("REQESTAMEOK"))};
    }
    call.unanswered = m_unanswered;
    m_context.message(call.text, 3);
    return call;
}

PartnerCall::Outcome AmeRefund::refundOne(const QString &captureId, const QString &paymentId, double value)
{
    const QString token = buscaTokenAME(captureId, paymentId);
    // Without a token no refund was sent: sending it later cannot pay it twice.
    if (token.isEmpty())
        return PartnerCall::Outcome::Pending;
    return refundOrdemAME(token, captureId, paymentId, value);
}

PartnerCall::Outcome AmeRefund::resend(const QJsonObject &kept, QString &answered, bool &unanswered)
{
    auto text = [&kept](const char *name) { return kept.value(QString::fromLatin1(name)).toString(); };
    unanswered = false;
    if (!loadSettings(text("CDFILIAL"))) {
        answered = QStringLiteral("parâmetros AME da filial não lidos");
        return PartnerCall::Outcome::Pending;
    }
    // Refunded since it was kept, by a later press of the cancellation.
    if (doneBefore(QStringLiteral("AME"), keyOf(text("paymentId"))))
        return PartnerCall::Outcome::Done;
    const PartnerCall::Outcome outcome
        = refundOne(text("captureId"), text("paymentId"), kept.value(QStringLiteral("amount")).toDouble());
    if (outcome == PartnerCall::Outcome::Done)
        rememberDone(QStringLiteral("AME"), keyOf(text("paymentId")));
    answered = m_answered;
    unanswered = m_unanswered;
    return outcome;
}

// The branch's environment ("P" production, anything else homologation) picks the login.
bool AmeRefund::loadSettings(const QString &CDFILIAL)
{
    ClientDataSet cdsDadosAme(QStringLiteral("cdsDadosAme"));
    QString error;
    if (!loadPacket(cdsDadosAme, m_context.server().partners.getDadosAme(CDFILIAL), error) || cdsDadosAme.IsEmpty()) {
        logReembolsoAME(QStringLiteral("Erro ao ler os parâmetros AME da filial %1: %2")
                            .arg(CDFILIAL, error.isEmpty() ? QStringLiteral("sem parâmetros") : error));
        return false;
    }
    m_mode = field(cdsDadosAme, "IDAMBIENTEAME");
    const bool production = m_mode == QLatin1String("P");
    m_login = field(cdsDadosAme, production ? "DSLOGINAME" : "DSLOGINAMEHOM");
    m_password = field(cdsDadosAme, production ? "DSSENHAAME" : "DSSENHAAMEHOM");
    m_url = field(cdsDadosAme, "DSURLSERVAME");
    return true;
}

// The token, or empty after a logged failure: a refund is never sent without one.
QString AmeRefund::buscaTokenAME(const QString &captureId, const QString &paymentId)
{
    const QString header = QStringLiteral("Authorization:Basic %1;Content-Type:application/json;x-api-mode:%2;")
                               .arg(Http::encodeBase64(m_login + QLatin1Char(':') + m_password), m_mode);
    logReembolsoAME(QStringLiteral("Buscando Token para autorização de estorno. IdCapt: %1 idPgto: %2")
                        .arg(captureId, paymentId));
    const Http::HttpAnswer answer = Http::send(m_url + QStringLiteral("/auth/oauth/token"), QStringLiteral("URLENCODED"),
                                               QStringLiteral("POST"), header, QString(), TimeoutSeconds);
    const QString token = answer.ok() ? jsonMember(answer.text, QStringLiteral("access_token")) : QString();
    if (!token.isEmpty())
        return token;
    m_unanswered = answer.status == Http::NotCompleted;
    const QString error = answer.ok() ? QStringLiteral("resposta sem access_token") : answer.text;
    m_answered = answeredText(answer.status, answer.text, answer.ok(), secrets());
    logReembolsoAME(answer.status == Http::NotCompleted
                        ? QStringLiteral("Erro na requisição: Desconhecido -> buscaTokenAME: ") + error
                        : QStringLiteral("Erro na requisição: %1 - %2").arg(answer.status).arg(error),
                    detailOf(header, QString(), error));
    return QString();
}

// Done on an answer that reads; refused when AME answered with a refusal of the request;
// pending when the refund may have been paid without its answer reaching the till (no
// answer, a server error, an answer that does not read).
PartnerCall::Outcome AmeRefund::refundOrdemAME(const QString &token, const QString &captureId, const QString &paymentId,
                                               double value)
{
    const QString header = QStringLiteral("Authorization:Bearer %1;x-api-mode:%2;").arg(token, m_mode);
    const QString body = Http::URLEncode(montaBodyEstornoAME(value, captureId, paymentId));
    logReembolsoAME(QStringLiteral("Requisição de Estorno."));
    const Http::HttpAnswer answer = Http::send(m_url + QStringLiteral("/refund"), QStringLiteral("URLENCODED"),
                                               QStringLiteral("POST"), header, body, TimeoutSeconds);
    const bool readable = isJsonObject(answer.text);
    if (answer.ok() && readable) {
        logReembolsoAME(QStringLiteral("Ordem da AME cancelada. Id: ") + paymentId, detailOf(header, body, QString()));
        return PartnerCall::Outcome::Done;
    }
    m_answered = answeredText(answer.status, answer.text, !readable, secrets() << token);
    m_unanswered = answer.status == Http::NotCompleted;
    logReembolsoAME(answer.status == Http::NotCompleted
                        ? QStringLiteral("Erro na requisição: Desconhecido -> refundOrdemAME: ") + paymentId
                        : QStringLiteral("Erro na requisição: %1 - Id: %2").arg(answer.status).arg(paymentId),
                    detailOf(header, body, answer.text));
    const bool refused = answer.status >= 400 && answer.status < 500 && answer.status != 408 && answer.status != 429;
    return refused ? PartnerCall::Outcome::Refused : PartnerCall::Outcome::Pending;
}

// Cents from the number itself, never from a formatted caption; the ids as JSON strings.
QString AmeRefund::montaBodyEstornoAME(double value, const QString &captureId, const QString &paymentId)
{
    const qint64 cents = qRound64(Money::RoundDec(value, 2) * 100.0);
    return QStringLiteral("{\"amount\":%1,\"orderId\":%2,\"refundId\":%3}")
        .arg(cents)
        .arg(jsonString(captureId), jsonString(paymentId));
}

QString AmeRefund::detailOf(const QString &header, const QString &body, const QString &error) const
{
    return QStringLiteral("Header: ") + Http::redactedHeader(header) + QStringLiteral("\r\nBody: ") + body
        + QStringLiteral("\r\nExceção: ") + error + QStringLiteral("\r\n");
}

QStringList AmeRefund::secrets() const
{
    return {m_password, Http::encodeBase64(m_login + QLatin1Char(':') + m_password)};
}

// The credentials never reach the log, whatever text carries them.
void AmeRefund::logReembolsoAME(const QString &line, const QString &detail)
{
    const QStringList hidden = secrets();
    QStringList lines{redacted(line, hidden)};
    if (!detail.isEmpty())
        lines.append(redacted(detail, hidden));
    appendLog(logPath(), lines);
    appendLog(logPath(), {QString(82, QLatin1Char('-'))}, false);
}
