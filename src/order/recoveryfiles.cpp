#include "recoveryfiles.h"

#include <runtime/cdsfile.h>
#include <runtime/clientdataset.h>
#include <runtime/sitepaths.h>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace RecoveryFiles {

QString path(const QString &DSDIRCAD, const char *fileName)
{
    return SitePaths::resolve(DSDIRCAD + QString::fromLatin1(fileName));
}

// Written through the data-packet file form, which replaces the file only once the whole new
// one is on disk; a write the disk cuts short leaves the previous file as it was.
void save(const ClientDataSet &dataset, const QString &DSDIRCAD, const char *fileName)
{
    const QString file = path(DSDIRCAD, fileName);
    QDir().mkpath(QFileInfo(file).absolutePath());
    QString error;
    if (!CdsFile::save(file, dataset.Data(), &error))
        throw std::runtime_error(error.toStdString());
}

void remove(const QString &DSDIRCAD, const char *fileName)
{
    const QString file = path(DSDIRCAD, fileName);
    if (QFile::exists(file) && !QFile::remove(file))
        qWarning() << "recovery file not deleted:" << file;
}

} // namespace RecoveryFiles
