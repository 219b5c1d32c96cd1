#include "startup.h"

#include <runtime/clientdataset.h>

#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

EStartup::EStartup(const QString &text)
    : std::runtime_error(text.toStdString()), m_text(text)
{
}

namespace StartupIo {

void loadFile(ClientDataSet &dataset, const QString &path)
{
    QString error;
    if (!dataset.LoadFromFile(path, &error))
        throw EStartup(error.contains(path) ? error : QStringLiteral("%1: %2").arg(path, error));
}

namespace {

[[noreturn]] void refuse(const QString &function, const QString &reason)
{
    throw EStartup(QStringLiteral("Falha ao iniciar a venda em %1: %2").arg(function, reason));
}

void checkFailure(const Variant &result, const QString &function)
{
    if (result.isFailure())
        refuse(function, result.failureText());
}

} // namespace

DataPacket packetOf(const Variant &result, const QString &function)
{
    checkFailure(result, function);
    if (result.isPacket())
        return result.packet();
    if (!result.isBlank())
        refuse(function, QStringLiteral("resposta inesperada %1").arg(describe(result)));
    return {};
}

bool booleanOf(const Variant &result, const QString &function)
{
    checkFailure(result, function);
    bool ok = false;
    const bool value = result.toBool(&ok);
    if (!ok)
        refuse(function, QStringLiteral("resposta inesperada %1").arg(describe(result)));
    return value;
}

QString textOf(const Variant &result, const QString &function)
{
    checkFailure(result, function);
    return result.toString();
}

int purgeOldTexts(const QString &folder, const QDate &today)
{
    int removed = 0;
    const QDate lastDay = today.addDays(-1);
    QDirIterator files(folder, {QStringLiteral("*.txt")}, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QFileInfo file(files.next());
        if (file.lastModified().date() <= lastDay && QFile::remove(file.filePath()))
            ++removed;
    }
    return removed;
}

} // namespace StartupIo
