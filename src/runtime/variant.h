#pragma once

#include <vendacons_export.h>

#include <QDateTime>
#include <QList>
#include <QString>

#include <memory>
#include <variant>

struct DataPacket;

// The value that travels between the screen, the server functions and the host services.
// Besides the usual kinds it has an explicit failure kind: a server function that fails answers
// a failure carrying the database's text, so no caller has to guess whether a text is an error.
class VENDACONS_EXPORT Variant
{
public:
    enum class Kind { Empty, Null, Boolean, Integer, Double, Text, DateTime, Array, Packet, Failure };

    Variant() = default;
    Variant(bool value);
    Variant(int value);
    Variant(qint64 value);
    Variant(double value);
    Variant(const QString &value);
    Variant(const char *value);
    Variant(const QDateTime &value);
    Variant(const QList<Variant> &items);
    Variant(const DataPacket &packet);

    static Variant null();
    static Variant failure(const QString &text);
    // An array of `count` empty elements, as the host calls prepare their answers.
    static Variant array(int count);

    Kind kind() const;
    bool isEmpty() const { return kind() == Kind::Empty; }
    bool isNull() const { return kind() == Kind::Null; }
    // Empty or null: "no value" for the callers that do not tell the two apart.
    bool isBlank() const { return isEmpty() || isNull(); }
    bool isFailure() const { return kind() == Kind::Failure; }
    bool isPacket() const { return kind() == Kind::Packet; }
    bool isArray() const { return kind() == Kind::Array; }
    bool isText() const { return kind() == Kind::Text; }
    bool isNumber() const { return kind() == Kind::Integer || kind() == Kind::Double; }

    // Conversions follow the runtime's variant rules: blank gives false, 0 or an empty text;
    // texts convert to numbers with a decimal comma (a dot is accepted when there is no comma);
    // `ok` is false when the value does not convert.
    bool toBool(bool *ok = nullptr) const;
    qint64 toInt(bool *ok = nullptr) const;
    double toDouble(bool *ok = nullptr) const;
    QString toString() const;
    QDateTime toDateTime(bool *ok = nullptr) const;

    // Elements of an array; an empty list for any other kind.
    const QList<Variant> &items() const;
    // The element `index` of an array, or an empty variant when out of range.
    Variant at(int index) const;
    // Writes element `index`, growing an array (or making one of an empty variant).
    void setAt(int index, const Variant &value);

    // The packet of a packet variant; an empty packet for any other kind.
    const DataPacket &packet() const;
    // The text of a failure; empty for any other kind.
    QString failureText() const;

    bool operator==(const Variant &other) const;
    bool operator!=(const Variant &other) const { return !(*this == other); }

private:
    struct NullTag { bool operator==(const NullTag &) const = default; };
    struct FailureText { QString text; bool operator==(const FailureText &) const = default; };
    using Items = std::shared_ptr<QList<Variant>>;
    using Packet = std::shared_ptr<const DataPacket>;

    std::variant<std::monostate, NullTag, bool, qint64, double, QString, QDateTime, Items, Packet,
                 FailureText>
        m_value;
};

// Printable form for test failures and logs.
VENDACONS_EXPORT QString describe(const Variant &value);
