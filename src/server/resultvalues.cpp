#include "resultvalues.h"

#include "schema.h"

#include <QDateTime>

namespace ResultValues {

namespace {

QDateTime parseDateTime(const QString &text)
{
    for (const char *format : {"yyyy-MM-dd hh:mm:ss", "yyyy-MM-ddThh:mm:ss.zzz", "yyyy-MM-ddThh:mm:ss",
                               "yyyy-MM-dd hh:mm:ss.zzz", "yyyy-MM-dd"}) {
        const QDateTime dt = QDateTime::fromString(text, QLatin1String(format));
        if (dt.isValid())
            return dt;
    }
    return QDateTime();
}

Variant byDriverType(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return Variant(value.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return Variant(qint64(value.toLongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return Variant(value.toDouble());
    case QMetaType::QDateTime:
    case QMetaType::QDate:
        return Variant(value.toDateTime());
    default:
        return Variant(value.toString());
    }
}

FieldType fieldTypeOf(const Schema::Column &column)
{
    switch (column.type) {
    case Schema::Type::Text:
        return FieldType::String;
    case Schema::Type::Memo:
        return FieldType::Memo;
    case Schema::Type::Integer:
        return FieldType::Integer;
    case Schema::Type::Number:
        return FieldType::Double;
    case Schema::Type::DateTime:
        return FieldType::DateTime;
    }
    return FieldType::String;
}

// A column outside the schema takes the kind its values show; a text column is as wide as
// its longest value.
FieldDef guessField(const QString &name, const QList<Variant> &values)
{
    FieldDef field{name, FieldType::String, 1, false};
    bool allIntegers = true, allNumbers = true, allDates = true, any = false;
    int longest = 1;
    for (const Variant &v : values) {
        if (v.isBlank())
            continue;
        any = true;
        allIntegers = allIntegers && v.kind() == Variant::Kind::Integer;
        allNumbers = allNumbers && v.isNumber();
        allDates = allDates && v.kind() == Variant::Kind::DateTime;
        longest = qMax(longest, int(v.toString().size()));
    }
    if (any && allIntegers)
        field.type = FieldType::Integer;
    else if (any && allNumbers)
        field.type = FieldType::Double;
    else if (any && allDates)
        field.type = FieldType::DateTime;
    field.size = field.type == FieldType::String ? longest : 0;
    return field;
}

} // namespace

Variant toVariant(const QVariant &value, const QString &column)
{
    if (value.isNull())
        return Variant::null();
    const std::optional<Schema::Column> known = Schema::column(column);
    if (!known)
        return byDriverType(value);
    switch (known->type) {
    case Schema::Type::Text:
    case Schema::Type::Memo:
        return Variant(value.toString());
    case Schema::Type::Integer:
        return Variant(qint64(value.toLongLong()));
    case Schema::Type::Number:
        return Variant(value.toDouble());
    case Schema::Type::DateTime:
        if (value.typeId() == QMetaType::QDateTime || value.typeId() == QMetaType::QDate)
            return Variant(value.toDateTime());
        if (const QDateTime dt = parseDateTime(value.toString().trimmed()); dt.isValid())
            return Variant(dt);
        return Variant(value.toString());
    }
    return byDriverType(value);
}

DataPacket toPacket(const Qub_movrela::QueryRows &rows)
{
    DataPacket packet;
    packet.rows.reserve(rows.rows.size());
    for (const QList<QVariant> &row : rows.rows) {
        QList<Variant> values;
        values.reserve(row.size());
        for (int c = 0; c < row.size(); ++c)
            values.append(toVariant(row.at(c), rows.columns.at(c)));
        packet.rows.append(values);
    }
    for (int c = 0; c < rows.columns.size(); ++c) {
        const QString &name = rows.columns.at(c);
        if (const std::optional<Schema::Column> known = Schema::column(name)) {
            packet.fields.append(FieldDef{name, fieldTypeOf(*known), known->type == Schema::Type::Text ? known->size : 0, false});
            continue;
        }
        QList<Variant> values;
        for (const QList<Variant> &row : std::as_const(packet.rows))
            values.append(row.at(c));
        packet.fields.append(guessField(name, values));
    }
    return packet;
}

} // namespace ResultValues
