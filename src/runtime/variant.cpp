#include "variant.h"

#include "datapacket.h"
#include "ptbr.h"

#include <cmath>

namespace {

const QList<Variant> &noItems()
{
    static const QList<Variant> empty;
    return empty;
}

const DataPacket &noPacket()
{
    static const DataPacket empty;
    return empty;
}

void setOk(bool *ok, bool value)
{
    if (ok)
        *ok = value;
}

// Texts and doubles convert as the pt-BR runtime does (decimal comma; a dot only where the
// text has no comma), through the one format module.
double textToDouble(const QString &text, bool *ok)
{
    return PtBr::StrToFloat(text, ok);
}

QString doubleToText(double value)
{
    return PtBr::FloatToStr(value);
}

} // namespace

Variant::Variant(bool value) : m_value(value) {}
Variant::Variant(int value) : m_value(qint64(value)) {}
Variant::Variant(qint64 value) : m_value(value) {}
Variant::Variant(double value) : m_value(value) {}
Variant::Variant(const QString &value) : m_value(value) {}
Variant::Variant(const char *value) : m_value(QString::fromUtf8(value)) {}
Variant::Variant(const QDateTime &value) : m_value(value) {}
Variant::Variant(const QList<Variant> &items) : m_value(std::make_shared<QList<Variant>>(items)) {}
Variant::Variant(const DataPacket &packet) : m_value(Packet(std::make_shared<DataPacket>(packet))) {}

Variant Variant::null()
{
    Variant v;
    v.m_value = NullTag{};
    return v;
}

Variant Variant::failure(const QString &text)
{
    Variant v;
    v.m_value = FailureText{text};
    return v;
}

Variant Variant::array(int count)
{
    return Variant(QList<Variant>(count));
}

Variant::Kind Variant::kind() const
{
    return static_cast<Kind>(m_value.index());
}

bool Variant::toBool(bool *ok) const
{
    setOk(ok, true);
    switch (kind()) {
    case Kind::Empty:
    case Kind::Null:
        return false;
    case Kind::Boolean:
        return std::get<bool>(m_value);
    case Kind::Integer:
        return std::get<qint64>(m_value) != 0;
    case Kind::Double:
        return std::get<double>(m_value) != 0.0;
    case Kind::Text: {
        const QString t = std::get<QString>(m_value).trimmed();
        if (t.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return true;
        if (t.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return false;
        bool converted = false;
        const double number = textToDouble(t, &converted);
        setOk(ok, converted);
        return converted && number != 0.0;
    }
    default:
        setOk(ok, false);
        return false;
    }
}

qint64 Variant::toInt(bool *ok) const
{
    switch (kind()) {
    case Kind::Integer:
        setOk(ok, true);
        return std::get<qint64>(m_value);
    case Kind::Double: {
        setOk(ok, true);
        // The runtime rounds a double to the nearest whole number, halves to even.
        return qint64(std::nearbyint(std::get<double>(m_value)));
    }
    case Kind::Text: {
        bool converted = false;
        const qint64 whole = std::get<QString>(m_value).trimmed().toLongLong(&converted);
        if (converted) {
            setOk(ok, true);
            return whole;
        }
        const double number = textToDouble(std::get<QString>(m_value), &converted);
        setOk(ok, converted);
        return converted ? qint64(std::nearbyint(number)) : 0;
    }
    case Kind::Boolean:
        setOk(ok, true);
        return std::get<bool>(m_value) ? -1 : 0; // the runtime's True is -1
    case Kind::Empty:
    case Kind::Null:
        setOk(ok, true);
        return 0;
    default:
        setOk(ok, false);
        return 0;
    }
}

double Variant::toDouble(bool *ok) const
{
    switch (kind()) {
    case Kind::Double:
        setOk(ok, true);
        return std::get<double>(m_value);
    case Kind::Integer:
        setOk(ok, true);
        return double(std::get<qint64>(m_value));
    case Kind::Text:
        return textToDouble(std::get<QString>(m_value), ok);
    case Kind::Boolean:
        setOk(ok, true);
        return std::get<bool>(m_value) ? -1.0 : 0.0;
    case Kind::Empty:
    case Kind::Null:
        setOk(ok, true);
        return 0.0;
    default:
        setOk(ok, false);
        return 0.0;
    }
}

QString Variant::toString() const
{
    switch (kind()) {
    case Kind::Boolean:
        return std::get<bool>(m_value) ? QStringLiteral("True") : QStringLiteral("False");
    case Kind::Integer:
        return QString::number(std::get<qint64>(m_value));
    case Kind::Double:
        return doubleToText(std::get<double>(m_value));
    case Kind::Text:
        return std::get<QString>(m_value);
    case Kind::DateTime: {
        const QDateTime dt = std::get<QDateTime>(m_value);
        return dt.time() == QTime(0, 0) ? dt.toString(QStringLiteral("dd/MM/yyyy"))
                                        : dt.toString(QStringLiteral("dd/MM/yyyy hh:mm:ss"));
    }
    case Kind::Failure:
        return std::get<FailureText>(m_value).text;
    default:
        return QString();
    }
}

QDateTime Variant::toDateTime(bool *ok) const
{
    switch (kind()) {
    case Kind::DateTime:
        setOk(ok, true);
        return std::get<QDateTime>(m_value);
    case Kind::Text: {
        const QString t = std::get<QString>(m_value).trimmed();
        bool brazilian = false;
        if (const QDateTime dt = PtBr::StrToDateTime(t, &brazilian); brazilian) {
            setOk(ok, true);
            return dt;
        }
        // The base's own form, as dates are bound and read back as text.
        for (const char *format : {"yyyy-MM-ddThh:mm:ss.zzz", "yyyy-MM-ddThh:mm:ss",
                                   "yyyy-MM-dd hh:mm:ss", "yyyy-MM-dd"}) {
            const QDateTime dt = QDateTime::fromString(t, QLatin1String(format));
            if (dt.isValid()) {
                setOk(ok, true);
                return dt;
            }
        }
        setOk(ok, false);
        return QDateTime();
    }
    case Kind::Empty:
    case Kind::Null:
        setOk(ok, true);
        return QDateTime();
    default:
        setOk(ok, false);
        return QDateTime();
    }
}

const QList<Variant> &Variant::items() const
{
    if (kind() != Kind::Array)
        return noItems();
    return *std::get<Items>(m_value);
}

Variant Variant::at(int index) const
{
    const QList<Variant> &list = items();
    return index >= 0 && index < list.size() ? list.at(index) : Variant();
}

void Variant::setAt(int index, const Variant &value)
{
    if (index < 0)
        return;
    if (kind() != Kind::Array)
        m_value = std::make_shared<QList<Variant>>();
    Items &list = std::get<Items>(m_value);
    if (list.use_count() > 1) // copies of a variant never see each other's writes
        list = std::make_shared<QList<Variant>>(*list);
    if (list->size() <= index)
        list->resize(index + 1);
    (*list)[index] = value;
}

const DataPacket &Variant::packet() const
{
    if (kind() != Kind::Packet)
        return noPacket();
    return *std::get<Packet>(m_value);
}

QString Variant::failureText() const
{
    return kind() == Kind::Failure ? std::get<FailureText>(m_value).text : QString();
}

bool Variant::operator==(const Variant &other) const
{
    if (kind() != other.kind())
        return false;
    switch (kind()) {
    case Kind::Array:
        return items() == other.items();
    case Kind::Packet:
        return packet() == other.packet();
    default:
        return m_value == other.m_value;
    }
}

QString describe(const Variant &value)
{
    switch (value.kind()) {
    case Variant::Kind::Empty:
        return QStringLiteral("<empty>");
    case Variant::Kind::Null:
        return QStringLiteral("<null>");
    case Variant::Kind::Failure:
        return QStringLiteral("<failure: %1>").arg(value.failureText());
    case Variant::Kind::Array: {
        QStringList parts;
        for (const Variant &item : value.items())
            parts << describe(item);
        return QLatin1Char('[') + parts.join(QStringLiteral(", ")) + QLatin1Char(']');
    }
    case Variant::Kind::Packet:
        return QStringLiteral("<packet: %1 fields, %2 rows>")
            .arg(value.packet().fields.size())
            .arg(value.packet().rows.size());
    case Variant::Kind::Text:
        return QLatin1Char('"') + value.toString() + QLatin1Char('"');
    default:
        return value.toString();
    }
}
