#include "datasetfield.h"

#include "clientdataset.h"

#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

// ---- a small pt-BR FormatFloat, private to the dataset's display texts -----------------------

struct NumberPattern
{
    QString prefix;
    QString suffix;
    int minInteger = 0;
    int minDecimals = 0;
    int maxDecimals = 0;
    bool thousands = false;
};

QString literal(QString text)
{
    text.remove(QLatin1Char('"'));
    text.remove(QLatin1Char('\''));
    return text;
}

NumberPattern parsePattern(const QString &section)
{
    static const QString digits = QStringLiteral("0#.,");
    NumberPattern pattern;
    int first = -1;
    int last = -1;
    for (int i = 0; i < section.size(); ++i) {
        if (digits.contains(section.at(i))) {
            if (first < 0)
                first = i;
            last = i;
        }
    }
    if (first < 0) {
        pattern.prefix = literal(section);
        return pattern;
    }
    pattern.prefix = literal(section.left(first));
    pattern.suffix = literal(section.mid(last + 1));
    const QString body = section.mid(first, last - first + 1);
    const int point = body.indexOf(QLatin1Char('.'));
    const QString integer = point < 0 ? body : body.left(point);
    const QString fraction = point < 0 ? QString() : body.mid(point + 1);
    pattern.thousands = integer.contains(QLatin1Char(','));
    pattern.minInteger = int(integer.count(QLatin1Char('0')));
    pattern.minDecimals = int(fraction.count(QLatin1Char('0')));
    pattern.maxDecimals = pattern.minDecimals + int(fraction.count(QLatin1Char('#')));
    return pattern;
}

// Adds one unit to the last digit of a digit string; answers true when it grew a digit.
bool incrementDigits(QString &digits)
{
    for (int i = int(digits.size()) - 1; i >= 0; --i) {
        if (digits[i] != QLatin1Char('9')) {
            digits[i] = QChar(digits[i].unicode() + 1);
            return false;
        }
        digits[i] = QLatin1Char('0');
    }
    digits.prepend(QLatin1Char('1'));
    return true;
}

// The decimal digits of |value| rounded to `decimals` places, halves away from zero, taken
// from the 15 significant digits the runtime works with (so 1.005 gives 1.01).
void roundedDigits(double value, int decimals, QString *integer, QString *fraction)
{
    const QString scientific = QString::number(std::fabs(value), 'e', 14);
    const int e = int(scientific.indexOf(QLatin1Char('e')));
    QString digits = scientific.left(e).remove(QLatin1Char('.'));
    int point = scientific.mid(e + 1).toInt() + 1; // digits before the decimal point
    if (point < 0) {
        digits.prepend(QString(-point, QLatin1Char('0')));
        point = 0;
    }
    if (digits.size() < point)
        digits.append(QString(point - digits.size(), QLatin1Char('0')));
    const int keep = point + decimals;
    if (keep < digits.size()) {
        const bool up = digits.at(keep) >= QLatin1Char('5');
        digits.truncate(keep);
        if (up && incrementDigits(digits))
            ++point;
    } else {
        digits.append(QString(keep - digits.size(), QLatin1Char('0')));
    }
    *integer = digits.left(point);
    *fraction = digits.mid(point);
}

QString groupThousands(const QString &integer)
{
    QString grouped;
    for (int i = 0; i < integer.size(); ++i) {
        if (i > 0 && (integer.size() - i) % 3 == 0)
            grouped.append(QLatin1Char('.'));
        grouped.append(integer.at(i));
    }
    return grouped;
}

QString formatFloat(const QString &format, double value)
{
    const QStringList sections = format.split(QLatin1Char(';'));
    const bool negativeSection = value < 0 && sections.size() > 1 && !sections.at(1).isEmpty();
    const NumberPattern pattern = parsePattern(negativeSection ? sections.at(1) : sections.at(0));
    QString integer;
    QString fraction;
    roundedDigits(value, pattern.maxDecimals, &integer, &fraction);
    while (fraction.size() > pattern.minDecimals && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    while (integer.startsWith(QLatin1Char('0')))
        integer.remove(0, 1);
    if (integer.size() < pattern.minInteger)
        integer.prepend(QString(pattern.minInteger - integer.size(), QLatin1Char('0')));
    if (pattern.thousands)
        integer = groupThousands(integer);
    const QString shown = integer + fraction;
    const bool zero = std::all_of(shown.begin(), shown.end(), [](QChar c) { return c == QLatin1Char('0'); });
    QString text = pattern.prefix + integer;
    if (!fraction.isEmpty())
        text += QLatin1Char(',') + fraction;
    text += pattern.suffix;
    return value < 0 && !negativeSection && !zero ? QLatin1Char('-') + text : text;
}

QString displayNumber(FieldType type, const QString &format, double value, const Variant &stored)
{
    if (!format.isEmpty())
        return formatFloat(format, value);
    if (type == FieldType::Currency)
        return formatFloat(QStringLiteral("R$ #,##0.00"), value);
    return stored.toString();
}

} // namespace

// ---- the field handle ---------------------------------------------------------------------------

QString Field::FieldName() const
{
    return IsValid() ? m_dataSet->m_fields.at(m_index).def.name : QString();
}

FieldType Field::DataType() const
{
    return IsValid() ? m_dataSet->m_fields.at(m_index).def.type : FieldType::String;
}

int Field::Size() const
{
    return IsValid() ? m_dataSet->m_fields.at(m_index).def.size : 0;
}

bool Field::Calculated() const
{
    return IsValid() && m_dataSet->m_fields.at(m_index).calculated;
}

Variant Field::Value() const
{
    return IsValid() ? m_dataSet->fieldValue(m_index) : Variant::null();
}

bool Field::IsNull() const
{
    return Value().isBlank();
}

QString Field::AsString() const
{
    return Value().toString();
}

double Field::AsFloat() const
{
    return Value().toDouble();
}

qint64 Field::AsInteger() const
{
    return Value().toInt();
}

bool Field::AsBoolean() const
{
    return Value().toBool();
}

QDateTime Field::AsDateTime() const
{
    return Value().toDateTime();
}

QString Field::DisplayText() const
{
    if (!IsValid())
        return QString();
    const ClientDataSet::FieldDisplay *display = m_dataSet->findDisplay(m_index);
    if (display && display->onGetText)
        return display->onGetText(*this);
    const Variant value = Value();
    if (value.isBlank())
        return QString();
    switch (DataType()) {
    case FieldType::Integer:
    case FieldType::Double:
    case FieldType::Currency:
        return displayNumber(DataType(), display ? display->format : QString(), value.toDouble(), value);
    default:
        return value.toString();
    }
}

bool Field::SetValue(const Variant &value)
{
    if (!IsValid()) {
        qWarning("Field: write to a field the dataset does not have");
        return false;
    }
    return m_dataSet->setFieldValue(m_index, value);
}

bool Field::SetAsString(const QString &value)
{
    return SetValue(value);
}

bool Field::SetAsFloat(double value)
{
    return SetValue(value);
}

bool Field::SetAsInteger(qint64 value)
{
    return SetValue(value);
}

bool Field::SetAsBoolean(bool value)
{
    return SetValue(value);
}

bool Field::SetAsDateTime(const QDateTime &value)
{
    return SetValue(value.isValid() ? Variant(value) : Variant::null());
}

bool Field::Clear()
{
    return SetValue(Variant::null());
}

QString Field::DisplayLabel() const
{
    if (!IsValid())
        return QString();
    const ClientDataSet::FieldDisplay *display = m_dataSet->findDisplay(m_index);
    return display && !display->label.isEmpty() ? display->label : FieldName();
}

void Field::SetDisplayLabel(const QString &label)
{
    if (IsValid())
        m_dataSet->display(m_index).label = label;
}

bool Field::Visible() const
{
    if (!IsValid())
        return false;
    const ClientDataSet::FieldDisplay *display = m_dataSet->findDisplay(m_index);
    return !display || display->visible;
}

void Field::SetVisible(bool visible)
{
    if (IsValid())
        m_dataSet->display(m_index).visible = visible;
}

QString Field::DisplayFormat() const
{
    if (!IsValid())
        return QString();
    const ClientDataSet::FieldDisplay *display = m_dataSet->findDisplay(m_index);
    return display ? display->format : QString();
}

void Field::SetDisplayFormat(const QString &format)
{
    if (IsValid())
        m_dataSet->display(m_index).format = format;
}

void Field::SetOnGetText(GetTextHandler handler)
{
    if (IsValid())
        m_dataSet->display(m_index).onGetText = std::move(handler);
}
