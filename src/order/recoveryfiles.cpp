#include "recoveryfiles.h"

#include <runtime/cdsfile.h>
#include <runtime/clientdataset.h>
#include <runtime/sitepaths.h>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <stdexcept>

namespace RecoveryFiles {

QString path(const QString &DSDIRCAD, const char *fileName)
{
    return SitePaths::resolve(DSDIRCAD + QString::fromLatin1(fileName));
}

// The bytes are flushed and checked before the commit: a write the disk cuts short (full,
// over quota) can fail only at that last flush, and a commit that did not see it would put
// half a file in place of a whole one.
void save(const ClientDataSet &dataset, const QString &DSDIRCAD, const char *fileName)
{
    const QString file = path(DSDIRCAD, fileName);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QByteArray bytes;
    QString reason;
    if (!CdsFile::write(dataset.Data(), &bytes, &reason))
        throw std::runtime_error(QStringLiteral("Arquivo \"%1\" não gravado: %2").arg(file, reason).toStdString());
    QSaveFile out(file);
    const bool written = out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.flush();
    if (!written || !out.commit()) {
        const QString why = out.errorString();
        out.cancelWriting();
        throw std::runtime_error(QStringLiteral("Arquivo \"%1\" não gravado: %2").arg(file, why).toStdString());
    }
}

void remove(const QString &DSDIRCAD, const char *fileName)
{
    const QString file = path(DSDIRCAD, fileName);
    if (QFile::exists(file) && !QFile::remove(file))
        qWarning() << "recovery file not deleted:" << file;
}

} // namespace RecoveryFiles
