#include "datasetvalues.h"

#include <cmath>

namespace DataSetValues {

bool isText(FieldType type)
{
    return type == FieldType::String || type == FieldType::FixedString || type == FieldType::Memo;
}

namespace {

Variant coerceText(const FieldDef &def, const Variant &value)
{
    QString text = value.toString();
    // The runtime keeps an empty text as null: both read back as "".
    if (text.isEmpty())
        return Variant::null();
    if (def.type == FieldType::Memo)
        return text;
    text = cutText(text, def.size);
    if (def.type == FieldType::FixedString && def.size > 0)
        text += QString(def.size - int(text.toUcs4().size()), QLatin1Char(' '));
    return text;
}

bool nearlyEqual(double a, double b)
{
    // Rates and prices read back from texts may differ in the last binary digit.
    return a == b || std::fabs(a - b) <= 1e-9 * std::max(std::fabs(a), std::fabs(b));
}

template <typename T>
int order(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

// The value compared for a fixed field: the padding is not part of the key.
QString keyText(FieldType type, const Variant &value)
{
    QString text = value.toString();
    if (type == FieldType::FixedString) {
        while (text.endsWith(QLatin1Char(' ')))
            text.chop(1);
    }
    return text;
}

QString cutText(const QString &text, int size)
{
    if (size <= 0 || text.size() <= size)
        return text;
    const QList<uint> points = text.toUcs4();
    if (points.size() <= size)
        return text;
    return QString::fromUcs4(reinterpret_cast<const char32_t *>(points.constData()), size);
}

Variant coerce(const FieldDef &def, const Variant &value, bool *ok)
{
    *ok = true;
    if (value.isBlank())
        return Variant::null();
    if (value.isFailure() || value.isArray() || value.isPacket()) {
        *ok = false;
        return Variant::null();
    }
    switch (def.type) {
    case FieldType::String:
    case FieldType::FixedString:
    case FieldType::Memo:
        return coerceText(def, value);
    case FieldType::Integer: {
        const qint64 number = value.toInt(ok);
        return *ok ? Variant(number) : Variant::null();
    }
    case FieldType::Double:
    case FieldType::Currency: {
        const double number = value.toDouble(ok);
        return *ok ? Variant(number) : Variant::null();
    }
    case FieldType::Boolean: {
        const bool flag = value.toBool(ok);
        return *ok ? Variant(flag) : Variant::null();
    }
    case FieldType::DateTime: {
        if (value.isText() && value.toString().trimmed().isEmpty())
            return Variant::null();
        const QDateTime moment = value.toDateTime(ok);
        if (!*ok)
            return Variant::null();
        return moment.isValid() ? Variant(moment) : Variant::null();
    }
    }
    *ok = false;
    return Variant::null();
}

int compare(FieldType type, const Variant &a, const Variant &b, bool caseInsensitive)
{
    if (a.isBlank() || b.isBlank())
        return order(!a.isBlank(), !b.isBlank());
    switch (type) {
    case FieldType::Integer:
        return order(a.toInt(), b.toInt());
    case FieldType::Double:
    case FieldType::Currency:
        return order(a.toDouble(), b.toDouble());
    case FieldType::Boolean:
        return order(a.toBool(), b.toBool());
    case FieldType::DateTime:
        return order(a.toDateTime(), b.toDateTime());
    default: {
        const int c = QString::compare(keyText(type, a), keyText(type, b),
                                       caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive);
        return order(c, 0);
    }
    }
}

bool matches(FieldType type, const Variant &stored, const Variant &key, bool caseInsensitive,
             bool partial)
{
    if (stored.isBlank() || key.isBlank())
        return stored.isBlank() && key.isBlank();
    if (isText(type)) {
        const Qt::CaseSensitivity cs = caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
        const QString text = keyText(type, stored);
        const QString wanted = keyText(type, key);
        return partial ? text.startsWith(wanted, cs) : text.compare(wanted, cs) == 0;
    }
    if (type == FieldType::Double || type == FieldType::Currency)
        return nearlyEqual(stored.toDouble(), key.toDouble());
    return compare(type, stored, key, false) == 0;
}

} // namespace DataSetValues
