#pragma once

// Private to the partner clients of the consumer subsystem (partners_*.cpp).

#include "consumersale.h"

#include <runtime/variant.h>

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

class ClientDataSet;
class SaleContext;

namespace PartnerClients {

// Appends lines to a partner's daily log file (a Windows-style path below the site folder),
// each as "<dd/mm/yyyy hh:nn:ss> - <text>" unless `stamped` is false. A log that cannot be
// written is reported to the process log and never fails the caller.
void appendLog(const QString &windowsPath, const QStringList &lines, bool stamped = true);
// The stamp of a log line, from the sale's clock.
QString stamp();
// The text with every non-empty secret replaced by "***".
QString redacted(QString text, const QStringList &secrets);
// A partner's answer as a log line may carry it: secrets hidden, control and undecodable bytes
// written as "\xNN" (or "\u{NNNN}"), and a long answer cut to its start with its length said.
QString loggableAnswer(const QString &text, const QStringList &secrets);
// A JSON answer as the log keeps it: the members named `keys`, at any depth, hold "***". A
// secret is thus replaced before the text is written, however JSON escaped it. A text that
// is no JSON comes back as it is.
QString withMembersHidden(const QString &json, const QStringList &keys);

// A member of a JSON answer, read by a real parser: a string as it stands, a number or a
// Boolean as its text; empty when the answer is no JSON object or lacks the member.
QString jsonMember(const QString &answer, const QString &key);
// Whether the answer parses as a JSON object.
bool isJsonObject(const QString &answer);
// The text as a JSON string literal, quotes included.
QString jsonString(const QString &text);

// Loads a server answer into the dataset; false (and the failure's or the load's text in
// `error`) when the answer is a failure or no data packet.
bool loadPacket(ClientDataSet &dataset, const Variant &answer, QString &error);

// What a partner answered, in words for the operator: no answer (and why), its HTTP status
// with the start of its body, or a body that does not read. `secrets` never appear in it.
QString answeredText(int status, const QString &text, bool unreadable, const QStringList &secrets = {});

// A partner call of a sale's cancellation that did not complete, kept on the till (one JSON
// file in Dados\PendentesParceiros, written whole or not at all) until the partner answers.
// `key` names it once: keeping the same key again replaces the file.
struct PendingCall
{
    QString partner; // "AME" or "GCOM"
    QString key;     // what the partner applies once, as the operator is told it
    QJsonObject values;
    QString file;
};
// `kept` (an ISO time) keeps the call's place in the queue when it is written again.
bool keepPending(const QString &partner, const QString &key, const QJsonObject &values, const QString &kept = QString());
QList<PendingCall> pendingCalls();
void dropPending(const PendingCall &call);
// A call kept, or left kept by a pass, is due again some minutes later: a silent partner then
// holds the till between sales once in a while, never every moment.
void markTried(const PendingCall &call);
bool dueForRetry(const PendingCall &call);

// A partner call of a cancellation that was done, remembered on the till (one small file a
// key in Dados\ConcluidosParceiros, dropped after a month): a cancellation pressed again after
// another partner refused does not send it again, which a partner may answer with a refusal.
bool rememberDone(const QString &partner, const QString &key);
bool doneBefore(const QString &partner, const QString &key);

} // namespace PartnerClients

// The AME wallet refund of one sale.
class AmeRefund
{
public:
    explicit AmeRefund(SaleContext &context) : m_context(context) {}
    PartnerCall run(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA, const QDateTime &DTABERTUR,
                    const QString &onRefusal = QString());
    // Sends a kept refund again with its own refund id; `unanswered` when AME left it unanswered.
    PartnerCall::Outcome resend(const QJsonObject &kept, QString &answered, bool &unanswered);
    // The key a payment's refund is kept and remembered by.
    static QString keyOf(const QString &paymentId);

private:
    PartnerCall::Outcome refundOne(const QString &captureId, const QString &paymentId, double value);
    bool loadSettings(const QString &CDFILIAL);
    QString buscaTokenAME(const QString &captureId, const QString &paymentId);
    PartnerCall::Outcome refundOrdemAME(const QString &token, const QString &captureId, const QString &paymentId,
                                        double value);
    static QString montaBodyEstornoAME(double value, const QString &captureId, const QString &paymentId);
    void logReembolsoAME(const QString &line, const QString &detail = QString());
    QString detailOf(const QString &header, const QString &body, const QString &error) const;
    QStringList secrets() const;

    SaleContext &m_context;
    QString m_url;
    QString m_mode;
    QString m_login;
    QString m_password;
    QString m_answered; // what AME answered to the last call that failed
    bool m_unanswered = false; // a call of this run ended by its time-out or a lost connection
};

// The GCOM cashback cancellation of one sale.
class GcomCancellation
{
public:
    explicit GcomCancellation(SaleContext &context) : m_context(context) {}
    bool run(const QString &Endpoint, const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA);
    // The cancellation of the store's sale, sent once: Done also when the store or the sale has
    // nothing at the platform; `answered` says what went wrong otherwise.
    // `send` false: everything but the request itself, which is kept to send later.
    PartnerCall::Outcome cancel(const QString &CDFILIAL, const QString &CDLOJA, const QString &CDCAIXA,
                                const QString &NRSEQVENDA, QString &answered, bool send = true);
    // The platform left the last cancellation unanswered (time-out or lost connection).
    bool unanswered() const { return m_unanswered; }

    static QString montaXmlCancelBalance(const QString &brandId, const QString &cnpj, const QString &saleCode,
                                         const QString &saleExtCode);
    static void LogGCOM(const QString &text);

private:
    bool judge(int status, const QString &answer);
    bool fail(const QString &text);

    SaleContext &m_context;
    PartnerCall::Outcome m_outcome = PartnerCall::Outcome::Done;
    QString m_answered;
    bool m_unanswered = false;
    bool m_send = true;
};
