#include "qub_requisicaohttp.h"

#include <QEventLoop>
#include <QList>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>
#include <QTimer>
#include <QUrl>

#include <algorithm>

namespace Qub_requisicaohttp {

namespace {

constexpr int DefaultTimeoutSeconds = 30;

int timeoutMs(const QString &timeoutText)
{
    if (httpLimits().timeoutOverrideMs > 0)
        return httpLimits().timeoutOverrideMs;
    bool ok = false;
    const int seconds = timeoutText.trimmed().toInt(&ok);
    return (ok && seconds > 0 ? seconds : DefaultTimeoutSeconds) * 1000;
}

// "Name:Value;Name:Value;" as pairs; a pair without a colon is skipped.
QList<QPair<QByteArray, QByteArray>> headerPairs(const QString &header)
{
    QList<QPair<QByteArray, QByteArray>> pairs;
    for (const QString &part : header.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const int colon = part.indexOf(QLatin1Char(':'));
        if (colon <= 0)
            continue;
        pairs.append({part.left(colon).trimmed().toUtf8(), part.mid(colon + 1).toUtf8()});
    }
    return pairs;
}

QByteArray contentTypeOf(const QString &format)
{
    const QString kind = format.trimmed().toUpper();
    if (kind == QLatin1String("JSON"))
        return "application/json";
    if (kind == QLatin1String("XML"))
        return "application/xml";
    return "application/x-www-form-urlencoded";
}

// Connection, proxy and protocol failures, as opposed to the errors Qt derives from a status.
bool transportFailure(QNetworkReply::NetworkError error)
{
    // Qt reports an HTTP 400 as an invalid protocol operation: that is the server's answer.
    if (error == QNetworkReply::ProtocolInvalidOperationError)
        return false;
    const int code = int(error);
    return (code > 0 && code < 200) || (code >= 300 && code < 400);
}

HttpAnswer notCompleted(const QString &text)
{
    return HttpAnswer{NotCompleted, text};
}

// Sends and waits. User input is held back meanwhile: the operator cannot start a second
// road while the first waits for its partner.
HttpAnswer perform(const QString &url, const QString &method, const QList<QPair<QByteArray, QByteArray>> &headers,
                   const QByteArray &body, int waitMs)
{
    const QUrl address(url);
    if (!address.isValid() || address.scheme().isEmpty() || address.host().isEmpty())
        return notCompleted(QStringLiteral("endereço inválido: %1").arg(url));
    QNetworkAccessManager manager;
    QNetworkRequest request(address);
    request.setTransferTimeout(0);
    for (const auto &[name, value] : headers)
        request.setRawHeader(name, value);
    QNetworkReply *reply = manager.sendCustomRequest(request, method.trimmed().toUpper().toLatin1(), body);
    const qint64 cap = httpLimits().maxAnswerBytes;
    QString failure;
    QEventLoop loop;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, &loop, [&] {
        failure = QStringLiteral("sem resposta em %1 ms").arg(waitMs);
        reply->abort();
    });
    auto overCap = [&](qint64 received) {
        if (failure.isEmpty() && received > cap) {
            failure = QStringLiteral("resposta acima do limite de %1 bytes").arg(cap);
            reply->abort();
        }
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, &loop, [&] {
        overCap(reply->header(QNetworkRequest::ContentLengthHeader).toLongLong());
    });
    QObject::connect(reply, &QNetworkReply::downloadProgress, &loop, [&](qint64 received, qint64) { overCap(received); });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    timer.start(waitMs);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    timer.stop();
    const QVariant statusAttribute = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const QByteArray answer = failure.isEmpty() ? reply->readAll() : QByteArray();
    const QNetworkReply::NetworkError error = reply->error();
    const QString errorText = reply->errorString();
    delete reply;
    if (!failure.isEmpty())
        return notCompleted(failure);
    if (!statusAttribute.isValid())
        return notCompleted(error == QNetworkReply::NoError ? QStringLiteral("resposta sem estado HTTP") : errorText);
    // A status line followed by a broken answer (connection lost, truncated body) did not
    // complete either: only errors that stand for an HTTP status leave the status standing.
    if (transportFailure(error))
        return notCompleted(errorText);
    const int status = statusAttribute.toInt();
    return HttpAnswer{status, answer.isEmpty() && status != 200 ? errorText : QString::fromUtf8(answer)};
}

} // namespace

HttpLimits &httpLimits()
{
    static HttpLimits limits;
    return limits;
}

ScopedHttpLimits::ScopedHttpLimits(HttpLimits limits) : m_previous(httpLimits())
{
    httpLimits() = limits;
}

ScopedHttpLimits::~ScopedHttpLimits()
{
    httpLimits() = m_previous;
}

HttpAnswer send(const QString &url, const QString &format, const QString &method, const QString &header,
                const QString &body, const QString &timeoutText)
{
    auto headers = headerPairs(header);
    const bool typed = std::any_of(headers.cbegin(), headers.cend(), [](const auto &pair) {
        return pair.first.compare("Content-Type", Qt::CaseInsensitive) == 0;
    });
    if (!typed)
        headers.append({"Content-Type", contentTypeOf(format)});
    return perform(url, method, headers, body.toUtf8(), timeoutMs(timeoutText));
}

Variant RequisicaoHTTP(const QString &url, const QString &format, const QString &method, const QString &header,
                       const QString &body, QString &response, const QString &timeoutText)
{
    const HttpAnswer answer = send(url, format, method, header, body, timeoutText);
    response = answer.status == NotCompleted ? QString() : answer.text;
    return Variant(QList<Variant>{Variant(answer.status), Variant(answer.text)});
}

HttpAnswer sendAuthorised(const QString &url, const QString &body, const QString &method,
                          const QString &authorisation, const QString &timeoutText, const QString &contentKind)
{
    QList<QPair<QByteArray, QByteArray>> headers{{"Content-Type", contentTypeOf(contentKind)}};
    if (!authorisation.isEmpty())
        headers.append({"Authorization", authorisation.toUtf8()});
    return perform(url, method, headers, body.toUtf8(), timeoutMs(timeoutText));
}

QString RequisicaoHTTPS(const QString &url, const QString &body, const QString &method, const QString &authorisation,
                        const QString &timeoutText, const QString &, const QString &contentKind)
{
    const HttpAnswer answer = sendAuthorised(url, body, method, authorisation, timeoutText, contentKind);
    return QStringLiteral("{\"response_code\":%1}").arg(answer.status) + answer.text;
}

QString encodeBase64(const QString &text)
{
    return QString::fromLatin1(text.toUtf8().toBase64());
}

QString retornaJSON(const QStringList &lines)
{
    // Built by hand: QJsonObject would sort the members, and the order is part of the call.
    QStringList members;
    for (const QString &line : lines) {
        const int equals = line.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? line : line.left(equals);
        const QString value = equals < 0 ? QString() : line.mid(equals + 1);
        const QJsonDocument pair(QJsonObject{{name, value}});
        QString text = QString::fromUtf8(pair.toJson(QJsonDocument::Compact));
        members.append(text.mid(1, text.size() - 2));
    }
    return QLatin1Char('{') + members.join(QLatin1Char(',')) + QLatin1Char('}');
}

QString URLEncode(const QString &text)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(text));
}

QString redactedHeader(const QString &header)
{
    static const QRegularExpression secret(QStringLiteral("((?:authorization|token|[a-z_-]*secret[a-z_-]*)\\s*:)[^;]*"),
                                           QRegularExpression::CaseInsensitiveOption);
    QString text = header;
    return text.replace(secret, QStringLiteral("\\1***"));
}

} // namespace Qub_requisicaohttp
