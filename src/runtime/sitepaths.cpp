#include "sitepaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace {

QString &homeOverride()
{
    static QString folder;
    return folder;
}

QString matchEntry(const QDir &dir, const QString &name)
{
    if (dir.exists(name))
        return name;
    const QStringList entries = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return name;
}

} // namespace

namespace SitePaths {

QString home()
{
    if (!homeOverride().isEmpty())
        return homeOverride();
    const QString fromEnvironment = qEnvironmentVariable("VENDACONS_HOME");
    if (!fromEnvironment.isEmpty())
        return QDir(fromEnvironment).absolutePath();
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
}

void setHome(const QString &folder)
{
    homeOverride() = folder.isEmpty() ? QString() : QDir(folder).absolutePath();
}

QString resolve(const QString &windowsPath)
{
    QString path = windowsPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const bool absolute = path.startsWith(QLatin1Char('/'));
    QDir dir(absolute ? QStringLiteral("/") : home());
    QString result = dir.absolutePath();
    bool onDisk = true;
    for (const QString &name : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (name == QLatin1String("."))
            continue; // ".\Dados" is the site's own Dados
        const QString entry = onDisk ? matchEntry(dir, name) : name;
        result = QDir(result).filePath(entry);
        onDisk = onDisk && QFileInfo(result).isDir();
        if (onDisk)
            dir.setPath(result);
    }
    return result;
}

} // namespace SitePaths
