#include "chartfiles.h"

#include <runtime/sitepaths.h>

#include <QRegularExpression>

namespace ChartFiles {

QString resolve(const QString &windowsPath)
{
    QString path = windowsPath;
    static const QRegularExpression drive(QStringLiteral("^[A-Za-z]:[\\\\/]*"));
    path.remove(drive);
    return SitePaths::resolve(path);
}

QString requestFolder()
{
    return resolve(QStringLiteral("C:\\Teftx\\"));
}

QString answerFolder()
{
    return resolve(QStringLiteral("C:\\Tefrx\\"));
}

} // namespace ChartFiles
