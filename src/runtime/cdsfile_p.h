#pragma once

#include "datapacket.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

class QXmlStreamAttributes;
class QXmlStreamWriter;

// The row form of the data-packet files, shared by the whole file and its journal.
namespace CdsFile::detail {

// The attribute each field's value takes in a ROW: the field's name, or a stand-in where XML
// cannot use it (FIELD then keeps the real name).
QStringList attributeNames(const QList<FieldDef> &fields);
// One <ROW .../>; rowNumber (1-based) only names the row in the reason of a failure.
bool writeRow(QXmlStreamWriter &xml, const QList<FieldDef> &fields, const QStringList &names,
              const QList<Variant> &row, int rowNumber, QString *error);
bool readRow(const QXmlStreamAttributes &attributes, const QList<FieldDef> &fields, const QStringList &names,
             QList<Variant> *row, QString *error);
// Replaces the file by the bytes whole (temporary file, flushed, renamed), or leaves it as it was.
bool saveBytes(const QString &fileName, const QByteArray &bytes, QString *error);

} // namespace CdsFile::detail
