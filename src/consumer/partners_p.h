#pragma once

// Private to the partner clients of the consumer subsystem (partners_*.cpp).

#include <runtime/variant.h>

#include <QDateTime>
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

} // namespace PartnerClients

// The AME wallet refund of one sale.
class AmeRefund
{
public:
    explicit AmeRefund(SaleContext &context) : m_context(context) {}
    void run(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA, const QDateTime &DTABERTUR);

private:
    bool loadSettings(const QString &CDFILIAL);
    QString buscaTokenAME(const QString &captureId, const QString &paymentId);
    bool refundOrdemAME(const QString &token, const QString &captureId, const QString &paymentId, double value);
    static QString montaBodyEstornoAME(double value, const QString &captureId, const QString &paymentId);
    void logReembolsoAME(const QString &line, const QString &detail = QString());
    QString detailOf(const QString &header, const QString &body, const QString &error) const;

    SaleContext &m_context;
    QString m_url;
    QString m_mode;
    QString m_login;
    QString m_password;
};

// The GCOM cashback cancellation of one sale.
class GcomCancellation
{
public:
    explicit GcomCancellation(SaleContext &context) : m_context(context) {}
    bool run(const QString &Endpoint, const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA);

    static QString montaXmlCancelBalance(const QString &brandId, const QString &cnpj, const QString &saleCode,
                                         const QString &saleExtCode);
    static void LogGCOM(const QString &text);

private:
    bool judge(int status, const QString &answer);
    bool fail(const QString &text);

    SaleContext &m_context;
};
