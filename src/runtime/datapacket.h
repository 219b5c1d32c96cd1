#pragma once

#include <vendacons_export.h>

#include "variant.h"

#include <QList>
#include <QString>

// Field types of a client dataset and of the data packets that carry it.
enum class FieldType {
    String,      // text cut to its size on assignment
    FixedString, // text cut to its size, kept blank-padded to it
    Memo,        // long text, no size
    Integer,
    Double,
    Currency,    // a double shown as money
    Boolean,
    DateTime,
};

struct FieldDef
{
    QString name;
    FieldType type = FieldType::String;
    int size = 0; // characters, for the text types
    bool required = false;

    bool operator==(const FieldDef &) const = default;
};

// The whole content of a client dataset: field definitions and rows, each row holding one
// value per field in field order (a null variant for a null field). It is what `Data` reads
// and writes, what server functions answer and what `.cds` files hold.
struct VENDACONS_EXPORT DataPacket
{
    QList<FieldDef> fields;
    QList<QList<Variant>> rows;

    // Index of the named field, matched without regard to case; -1 when absent.
    int fieldIndex(const QString &name) const;
    bool isEmpty() const { return rows.isEmpty(); }
    // The value of a field in a row; an empty variant when the row or field is absent.
    Variant value(int row, const QString &field) const;

    bool operator==(const DataPacket &) const = default;
};
