// What the partner clients share: their daily logs, secrets kept out of them, and reading
// the partners' JSON answers.
#include "partners_p.h"

#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QTextStream>

namespace PartnerClients {

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

} // namespace PartnerClients
