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
    if (!CdsFile::saveJournaled(file, dataset.Data(), &error))
        throw std::runtime_error(error.toStdString());
}

namespace {

// The stored fields of the dataset and the current row's values in them, without copying the
// other rows.
void currentRow(const ClientDataSet &dataset, QList<FieldDef> *fields, QList<Variant> *row)
{
    for (int i = 0; i < dataset.FieldCount(); ++i) {
        const Field field = dataset.Fields(i);
        if (field.Calculated())
            continue;
        fields->append(FieldDef{field.FieldName(), field.DataType(), field.Size()});
        row->append(field.Value());
    }
}

} // namespace

void appendLast(const ClientDataSet &dataset, const QString &DSDIRCAD, const char *fileName)
{
    const int last = dataset.RecordCount() - 1;
    // The row just posted is the current one. The first line starts the file, so a file left
    // by an earlier sale never takes its rows; the journal refuses a row that is not the next
    // one of the file.
    if (last > 0) {
        QList<FieldDef> fields;
        QList<Variant> row;
        currentRow(dataset, &fields, &row);
        QString refused;
        if (CdsFile::appendRow(path(DSDIRCAD, fileName), fields, last, row, &refused))
            return;
        qDebug() << "recovery file written whole:" << refused;
    }
    save(dataset, DSDIRCAD, fileName);
}

bool load(const QString &DSDIRCAD, const char *fileName, DataPacket *packet, QString *error, QString *note)
{
    return CdsFile::loadJournaled(path(DSDIRCAD, fileName), packet, error, note);
}

void remove(const QString &DSDIRCAD, const char *fileName)
{
    QString error;
    if (!CdsFile::removeJournaled(path(DSDIRCAD, fileName), &error))
        qWarning() << "recovery file not deleted:" << error;
}

} // namespace RecoveryFiles
