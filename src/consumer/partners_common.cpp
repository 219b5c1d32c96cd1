// What the partner clients share: their daily logs, secrets kept out of them, and reading
// the partners' JSON answers.
#include "partners_p.h"

#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QDebug>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QSaveFile>
#include <QTextStream>

#include <algorithm>

namespace PartnerClients {

QString loggableAnswer(const QString &text, const QStringList &secrets)
{
    constexpr int kept = 2000;
    const QString hidden = redacted(text, secrets);
    QString line;
    for (const QChar c : QStringView(hidden).left(kept)) {
        const char16_t code = c.unicode();
        if (code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0))
            line += QStringLiteral("\\x%1").arg(int(code), 2, 16, QLatin1Char('0'));
        else if (code == 0xFFFD || !c.isPrint())
            line += QStringLiteral("\\u{%1}").arg(int(code), 4, 16, QLatin1Char('0'));
        else
            line += c;
    }
    if (hidden.size() > kept)
        line += QStringLiteral("... (%1 caracteres)").arg(hidden.size());
    return line;
}

QString stamp()
{
    return Clock::now().toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
}

void appendLog(const QString &windowsPath, const QStringList &lines, bool stamped)
{
    const QString path = SitePaths::resolve(windowsPath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::Append | QIODevice::Text)) {
        qWarning().noquote() << "log de parceiro não gravado:" << path << file.errorString();
        return;
    }
    QTextStream out(&file);
    const QString when = stamp();
    for (const QString &line : lines)
        out << (stamped ? when + QStringLiteral(" - ") + line : line) << '\n';
}

QString redacted(QString text, const QStringList &secrets)
{
    for (const QString &secret : secrets)
        if (!secret.isEmpty())
            text.replace(secret, QStringLiteral("***"));
    return text;
}

namespace {

QJsonValue hidden(const QJsonValue &value, const QStringList &keys)
{
    if (value.isArray()) {
        QJsonArray items;
        for (const QJsonValue &item : value.toArray())
            items.append(hidden(item, keys));
        return items;
    }
    if (!value.isObject())
        return value;
    QJsonObject object = value.toObject();
    for (auto it = object.begin(); it != object.end(); ++it)
        it.value() = keys.contains(it.key()) ? QJsonValue(QStringLiteral("***")) : hidden(it.value(), keys);
    return object;
}

} // namespace

QString withMembersHidden(const QString &json, const QStringList &keys)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !(document.isObject() || document.isArray()))
        return json;
    const QJsonValue shown = hidden(document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array()), keys);
    const QJsonDocument out = shown.isObject() ? QJsonDocument(shown.toObject()) : QJsonDocument(shown.toArray());
    return QString::fromUtf8(out.toJson(QJsonDocument::Compact));
}

bool isJsonObject(const QString &answer)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(answer.toUtf8(), &error);
    return error.error == QJsonParseError::NoError && document.isObject();
}

QString jsonMember(const QString &answer, const QString &key)
{
    const QJsonValue value = QJsonDocument::fromJson(answer.toUtf8()).object().value(key);
    if (value.isString())
        return value.toString();
    if (value.isBool())
        return value.toBool() ? QStringLiteral("true") : QStringLiteral("false");
    if (value.isDouble())
        return QString::number(value.toDouble(), 'g', 15);
    return QString();
}

QString jsonString(const QString &text)
{
    const QString pair = QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("v"), text}}).toJson(QJsonDocument::Compact));
    return pair.mid(5, pair.size() - 6); // {"v":<literal>}
}

bool loadPacket(ClientDataSet &dataset, const Variant &answer, QString &error)
{
    if (answer.isFailure()) {
        error = answer.failureText();
        return false;
    }
    if (!answer.isPacket()) {
        error = QStringLiteral("resposta do servidor sem dados");
        return false;
    }
    return dataset.SetData(answer.packet(), &error);
}

QString answeredText(int status, const QString &text, bool unreadable, const QStringList &secrets)
{
    const QString start = redacted(text.simplified().left(120), secrets);
    if (status == 999)
        return QStringLiteral("sem resposta (%1)").arg(start.isEmpty() ? QStringLiteral("tempo esgotado") : start);
    if (status != 200)
        return QStringLiteral("HTTP %1 %2").arg(status).arg(start).trimmed();
    if (unreadable)
        return QStringLiteral("resposta que não se lê (%1)").arg(start);
    return start;
}

namespace {

QString pendingFolder()
{
    return SitePaths::resolve(QStringLiteral("Dados\\PendentesParceiros"));
}

QString doneFolder()
{
    return SitePaths::resolve(QStringLiteral("Dados\\ConcluidosParceiros"));
}

// One file a key: the key's hash, so the same call keeps the same name.
QString fileName(const QString &partner, const QString &key, const char *extension)
{
    return partner + QLatin1Char('_')
        + QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(16))
        + QString::fromLatin1(extension);
}

// A pass of the kept calls waits this long after the last one that found a partner silent.
constexpr int retryPauseSeconds = 5 * 60;
// A call done is remembered while a cancellation of its sale can still be pressed again.
constexpr int doneKeptDays = 30;

} // namespace

bool rememberDone(const QString &partner, const QString &key)
{
    QDir().mkpath(doneFolder());
    const QDateTime now = Clock::now();
    const QDir folder(doneFolder());
    for (const QFileInfo &info : folder.entryInfoList({QStringLiteral("*.done")}, QDir::Files)) {
        QFile old(info.absoluteFilePath());
        if (old.open(QIODevice::ReadOnly)
            && QDateTime::fromString(QString::fromUtf8(old.readAll()).trimmed(), Qt::ISODate).addDays(doneKeptDays) < now)
            QFile::remove(info.absoluteFilePath());
    }
    QSaveFile file(folder.filePath(fileName(partner, key, ".done")));
    if (!file.open(QIODevice::WriteOnly) || file.write(now.toString(Qt::ISODate).toUtf8()) < 0 || !file.commit()) {
        qWarning().noquote() << "chamada concluída de parceiro não registrada:" << partner << key << file.errorString();
        return false;
    }
    return true;
}

bool doneBefore(const QString &partner, const QString &key)
{
    return QFileInfo::exists(QDir(doneFolder()).filePath(fileName(partner, key, ".done")));
}

// A call just kept was tried by the cancellation that kept it: it waits its turn too.
bool dueForRetry(const PendingCall &call)
{
    QString last = call.values.value(QStringLiteral("tried")).toString();
    if (last.isEmpty())
        last = call.values.value(QStringLiteral("kept")).toString();
    const QDateTime tried = QDateTime::fromString(last, Qt::ISODateWithMs);
    return !tried.isValid() || tried.addSecs(retryPauseSeconds) <= Clock::now();
}

void markTried(const PendingCall &call)
{
    QJsonObject values = call.values;
    values.remove(QStringLiteral("partner"));
    values.remove(QStringLiteral("key"));
    const QString kept = values.take(QStringLiteral("kept")).toString();
    values.insert(QStringLiteral("tried"), Clock::now().toString(Qt::ISODateWithMs));
    keepPending(call.partner, call.key, values, kept);
}

bool keepPending(const QString &partner, const QString &key, const QJsonObject &values, const QString &kept)
{
    QDir().mkpath(pendingFolder());
    // The name comes from the key, so keeping a call again replaces it; the time orders them.
    const QString name = fileName(partner, key, ".json");
    QJsonObject record = values;
    record.insert(QStringLiteral("partner"), partner);
    record.insert(QStringLiteral("key"), key);
    record.insert(QStringLiteral("kept"), kept.isEmpty() ? Clock::now().toString(Qt::ISODateWithMs) : kept);
    QSaveFile file(QDir(pendingFolder()).filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(record).toJson()) < 0 || !file.commit()) {
        qWarning().noquote() << "chamada pendente de parceiro não guardada:" << partner << key << file.errorString();
        return false;
    }
    return true;
}

QList<PendingCall> pendingCalls()
{
    QList<PendingCall> calls;
    const QDir folder(pendingFolder());
    for (const QFileInfo &info : folder.entryInfoList({QStringLiteral("*.json")}, QDir::Files)) {
        QFile file(info.absoluteFilePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QJsonObject record = QJsonDocument::fromJson(file.readAll()).object();
        if (record.isEmpty()) {
            qWarning().noquote() << "chamada pendente de parceiro ilegível:" << info.absoluteFilePath();
            continue;
        }
        calls.append({record.value(QStringLiteral("partner")).toString(), record.value(QStringLiteral("key")).toString(),
                      record, info.absoluteFilePath()});
    }
    std::stable_sort(calls.begin(), calls.end(), [](const PendingCall &a, const PendingCall &b) {
        return a.values.value(QStringLiteral("kept")).toString() < b.values.value(QStringLiteral("kept")).toString();
    });
    return calls;
}

void dropPending(const PendingCall &call)
{
    QFile::remove(call.file);
}

} // namespace PartnerClients
