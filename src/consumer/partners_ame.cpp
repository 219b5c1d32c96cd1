// The AME wallet refund of a cancelled sale: a token by the branch's Basic credentials, then one
// refund order per wallet payment of the sale. The provider knows a repeated order by its
// refundId, so a refund sent again after a lost answer is not paid twice.
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

void ConsumerSale::EstornoAME(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA,
                              const QDateTime &DTABERTUR)
{
    AmeRefund(m_context).run(CDFILIAL, CDCAIXA, NRSEQVENDA, DTABERTUR);
}

// Every wallet payment of the sale is refunded, each reported in the log; the operator gets one
// message: success only when every payment was refunded. A sale without wallet payments sends,
// writes and shows nothing.
void AmeRefund::run(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA,
                    const QDateTime &DTABERTUR)
{
    ClientDataSet cdsTransAME(QStringLiteral("cdsTransAME"));
    QString error;
    if (!loadPacket(cdsTransAME, m_context.server().partners.getMovCaixaAME(CDFILIAL, CDCAIXA, NRSEQVENDA, DTABERTUR),
                    error)) {
        logReembolsoAME(QStringLiteral("Erro ao ler os pagamentos AME da venda %1: %2").arg(NRSEQVENDA, error));
        m_context.message(m_context.Msg(QStringLiteral("ERROESTAME")), 3);
        return;
    }
    if (cdsTransAME.IsEmpty())
        return;
    bool allRefunded = loadSettings(CDFILIAL);
    if (allRefunded) {
        for (cdsTransAME.First(); !cdsTransAME.Eof(); cdsTransAME.Next()) {
            const QString captureId = field(cdsTransAME, "IDTRANSAMECAPT");
            const QString paymentId = field(cdsTransAME, "IDTRANSAME");
            const QString token = buscaTokenAME(captureId, paymentId);
            const bool refunded = !token.isEmpty()
                && refundOrdemAME(token, captureId, paymentId, cdsTransAME.FieldByName(QStringLiteral("VRMOVIVEND")).AsFloat());
            allRefunded = allRefunded && refunded;
        }
    }
    m_context.message(m_context.Msg(allRefunded ? QStringLiteral("REQESTAMEOK") : QStringLiteral("ERROESTAME")), 3);
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
    const QString error = answer.ok() ? QStringLiteral("resposta sem access_token") : answer.text;
    logReembolsoAME(answer.status == Http::NotCompleted
                        ? QStringLiteral("Erro na requisição: Desconhecido -> buscaTokenAME: ") + error
                        : QStringLiteral("Erro na requisição: %1 - %2").arg(answer.status).arg(error),
                    detailOf(header, QString(), error));
    return QString();
}

bool AmeRefund::refundOrdemAME(const QString &token, const QString &captureId, const QString &paymentId, double value)
{
    const QString header = QStringLiteral("Authorization:Bearer %1;x-api-mode:%2;").arg(token, m_mode);
    const QString body = Http::URLEncode(montaBodyEstornoAME(value, captureId, paymentId));
    logReembolsoAME(QStringLiteral("Requisição de Estorno."));
    const Http::HttpAnswer answer = Http::send(m_url + QStringLiteral("/refund"), QStringLiteral("URLENCODED"),
                                               QStringLiteral("POST"), header, body, TimeoutSeconds);
    if (answer.ok()) {
        logReembolsoAME(QStringLiteral("Ordem da AME cancelada. Id: ") + paymentId, detailOf(header, body, QString()));
        return true;
    }
    logReembolsoAME(answer.status == Http::NotCompleted
                        ? QStringLiteral("Erro na requisição: Desconhecido -> refundOrdemAME: ") + paymentId
                        : QStringLiteral("Erro na requisição: %1 - Id: %2").arg(answer.status).arg(paymentId),
                    detailOf(header, body, answer.text));
    return false;
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

// The credentials never reach the log, whatever text carries them.
void AmeRefund::logReembolsoAME(const QString &line, const QString &detail)
{
    const QStringList secrets{m_password, Http::encodeBase64(m_login + QLatin1Char(':') + m_password)};
    QStringList lines{redacted(line, secrets)};
    if (!detail.isEmpty())
        lines.append(redacted(detail, secrets));
    appendLog(logPath(), lines);
    appendLog(logPath(), {QString(82, QLatin1Char('-'))}, false);
}
