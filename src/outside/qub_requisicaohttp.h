#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QString>
#include <QStringList>

// The partners' web requests, synchronous on the screen's thread: each waits in a local event
// loop that takes no user input, with a time-out and a cap on the answer's size, and never
// throws. A request that did not complete (refused connection, time-out, TLS failure, an
// answer over the cap) answers status 999 with a clear text.
namespace Qub_requisicaohttp {

constexpr int NotCompleted = 999;

struct HttpAnswer
{
    int status = NotCompleted; // the HTTP status; 999 when the request did not complete
    QString text;              // the answer's body, or the error text when 999
    bool ok() const { return status == 200; }
};

// Limits of every request. Tests shorten the time-out (a silent partner then costs little)
// and may lower the cap.
struct HttpLimits
{
    int timeoutOverrideMs = 0;            // > 0: used instead of every request's own time-out
    qint64 maxAnswerBytes = 1024 * 1024;  // a larger answer is abandoned (999)
};
VENDACONS_EXPORT HttpLimits &httpLimits();

class VENDACONS_EXPORT ScopedHttpLimits
{
public:
    explicit ScopedHttpLimits(HttpLimits limits);
    ~ScopedHttpLimits();
    ScopedHttpLimits(const ScopedHttpLimits &) = delete;
    ScopedHttpLimits &operator=(const ScopedHttpLimits &) = delete;

private:
    HttpLimits m_previous;
};

// One request. `format` "URLENCODED" or "JSON" chooses the Content-Type unless the header text
// names one; `header` is "Name:Value;Name:Value;"; `timeoutText` is in seconds.
VENDACONS_EXPORT HttpAnswer send(const QString &url, const QString &format, const QString &method,
                                 const QString &header, const QString &body, const QString &timeoutText);

// The utility's call shape: [0] the status, [1] the answer or error text.
VENDACONS_EXPORT Variant RequisicaoHTTP(const QString &url, const QString &format, const QString &method,
                                        const QString &header, const QString &body, QString &response,
                                        const QString &timeoutText);

// The secure call of the platforms that take an authorisation value and a content kind ("xml",
// "json"). Answers the request's real status and body; RequisicaoHTTPS wraps them as one text
// `{"response_code":<status>}` followed by the body, for callers that read that form.
VENDACONS_EXPORT HttpAnswer sendAuthorised(const QString &url, const QString &body, const QString &method,
                                           const QString &authorisation, const QString &timeoutText,
                                           const QString &contentKind);
VENDACONS_EXPORT QString RequisicaoHTTPS(const QString &url, const QString &body, const QString &method,
                                         const QString &authorisation, const QString &timeoutText,
                                         const QString &unused, const QString &contentKind);

VENDACONS_EXPORT QString encodeBase64(const QString &text);
// A JSON object of string members, in the order of the "name=value" lines; values escaped.
VENDACONS_EXPORT QString retornaJSON(const QStringList &lines);
// Percent-encoding of the UTF-8 text (unreserved characters kept).
VENDACONS_EXPORT QString URLEncode(const QString &text);

// A header text fit for a log: the value of every Authorization, token or secret header
// replaced by "***".
VENDACONS_EXPORT QString redactedHeader(const QString &header);

} // namespace Qub_requisicaohttp
