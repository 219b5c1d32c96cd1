#include "ptbr.h"

#include "money.h"

#include <QStringList>

#include <cmath>

namespace {

void setOk(bool *ok, bool value)
{
    if (ok)
        *ok = value;
}

// ---- number pictures ------------------------------------------------------------------------

struct Picture
{
    QString prefix;
    QString suffix;
    int integerZeros = 0; // integer digits always written
    int decimals = 0;     // decimal digits at most
    int decimalZeros = 0; // decimal digits at least
    bool thousands = false;
    bool hasDigits = false;
};

bool isQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

QStringList splitSections(const QString &pattern)
{
    QStringList sections(1);
    QChar quote;
    for (const QChar c : pattern) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (isQuote(c)) {
            quote = c;
        } else if (c == QLatin1Char(';')) {
            sections.append(QString());
            continue;
        }
        sections.last().append(c);
    }
    return sections;
}

void addDigit(Picture &p, QChar c, bool afterPoint, bool &zeroSeen)
{
    p.hasDigits = true;
    if (afterPoint) {
        ++p.decimals;
        if (c == QLatin1Char('0'))
            p.decimalZeros = p.decimals;
        return;
    }
    if (c == QLatin1Char('0'))
        zeroSeen = true;
    if (zeroSeen)
        ++p.integerZeros;
}

Picture parsePicture(const QString &section)
{
    Picture p;
    QString pending; // literal text after the first digit: the suffix when no digit follows
    QChar quote;
    bool afterPoint = false;
    bool zeroSeen = false;
    for (const QChar c : section) {
        QString &literal = p.hasDigits ? pending : p.prefix;
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                literal.append(c);
        } else if (isQuote(c)) {
            quote = c;
        } else if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            addDigit(p, c, afterPoint, zeroSeen);
            pending.clear(); // text between digits is not written
        } else if (c == QLatin1Char('.') && !afterPoint) {
            afterPoint = true;
        } else if (c == QLatin1Char(',')) {
            p.thousands = true;
        } else {
            literal.append(c);
        }
    }
    p.suffix = pending;
    return p;
}

QString groupThousands(const QString &digits)
{
    QString grouped;
    const int n = digits.size();
    for (int i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0)
            grouped.append(PtBr::ThousandSeparator);
        grouped.append(digits.at(i));
    }
    return grouped;
}

// `value` is not negative here; the caller writes the sign.
QString writeNumber(const Picture &p, double value)
{
    const QString fixed = QString::number(Money::RoundDec(value, p.decimals), 'f', p.decimals);
    const int point = fixed.indexOf(QLatin1Char('.'));
    QString integer = point < 0 ? fixed : fixed.left(point);
    QString fraction = point < 0 ? QString() : fixed.mid(point + 1);
    while (fraction.size() > p.decimalZeros && fraction.endsWith(QLatin1Char('0')))
        fraction.chop(1);
    if (integer == QLatin1String("0") && p.integerZeros == 0)
        integer.clear();
    integer = integer.rightJustified(p.integerZeros, QLatin1Char('0'));
    if (p.thousands)
        integer = groupThousands(integer);
    QString number = integer;
    if (!fraction.isEmpty())
        number += PtBr::DecimalSeparator + fraction;
    if (number.isEmpty())
        number = QStringLiteral("0");
    return number;
}

QString writeSection(const Picture &p, double value, bool minus)
{
    if (!p.hasDigits)
        return p.prefix + p.suffix;
    return (minus ? QStringLiteral("-") : QString()) + p.prefix + writeNumber(p, value) + p.suffix;
}

QString zeros(int count)
{
    return QString(qMax(0, count), QLatin1Char('0'));
}

QString decimalsPicture(const QString &integerPart, int decimals)
{
    return decimals > 0 ? integerPart + QLatin1Char('.') + zeros(decimals) : integerPart;
}

// ---- date pictures --------------------------------------------------------------------------

const char *const shortDayNames[] = {"seg", "ter", "qua", "qui", "sex", "sáb", "dom"};
const char *const longDayNames[] = {"segunda-feira", "terça-feira", "quarta-feira",
                                    "quinta-feira", "sexta-feira", "sábado", "domingo"};

int runLength(const QString &pattern, int from)
{
    const QChar c = pattern.at(from).toLower();
    int n = 1;
    while (from + n < pattern.size() && pattern.at(from + n).toLower() == c)
        ++n;
    return n;
}

QString twoDigits(int value)
{
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

QString dayToken(int run, const QDate &date)
{
    switch (run) {
    case 1:
        return QString::number(date.day());
    case 2:
        return twoDigits(date.day());
    case 3:
        return QString::fromUtf8(shortDayNames[date.dayOfWeek() - 1]);
    default:
        return QString::fromUtf8(longDayNames[date.dayOfWeek() - 1]);
    }
}

// One token of the picture at `i`; `run` is how many of its letters it took. `hourBefore`
// tells "mm" after an hour (minutes) from "mm" elsewhere (month).
QString dateToken(QChar letter, int run, const QDateTime &dt, bool hourBefore)
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    switch (letter.toLatin1()) {
    case 'd':
        return dayToken(run, d);
    case 'y':
        return run <= 2 ? twoDigits(d.year() % 100) : QString::number(d.year()).rightJustified(4, QLatin1Char('0'));
    case 'm':
        if (hourBefore)
            return run == 1 ? QString::number(t.minute()) : twoDigits(t.minute());
        return run == 1 ? QString::number(d.month()) : twoDigits(d.month());
    case 'h':
        return run == 1 ? QString::number(t.hour()) : twoDigits(t.hour());
    case 'n':
        return run == 1 ? QString::number(t.minute()) : twoDigits(t.minute());
    case 's':
        return run == 1 ? QString::number(t.second()) : twoDigits(t.second());
    case 'z':
        return run >= 3 ? QStringLiteral("%1").arg(t.msec(), 3, 10, QLatin1Char('0'))
                        : QString::number(t.msec());
    default:
        return QString();
    }
}

bool isDateLetter(QChar c)
{
    return QStringLiteral("dymhnsz").contains(c.toLower());
}

} // namespace

namespace PtBr {

QString FormatFloat(const QString &pattern, double value)
{
    if (!std::isfinite(value) || pattern.isEmpty()) // no picture: the general form
        return FloatToStr(value);
    const QStringList sections = splitSections(pattern);
    const Picture first = parsePicture(sections.at(0));
    const double rounded = Money::RoundDec(value, first.decimals);
    if (rounded == 0 && sections.size() >= 3 && !sections.at(2).isEmpty())
        return writeSection(parsePicture(sections.at(2)), 0.0, false);
    if (rounded < 0 && sections.size() >= 2 && !sections.at(1).isEmpty())
        return writeSection(parsePicture(sections.at(1)), -value, false);
    return writeSection(first, std::fabs(value), rounded < 0);
}

QString FloatToStrFixed(double value, int decimals)
{
    return FormatFloat(decimalsPicture(QStringLiteral("0"), decimals), value);
}

QString FormatCurr(double value, int decimals)
{
    const bool minus = Money::RoundDec(value, qMax(0, decimals)) < 0;
    const QString number = FormatFloat(decimalsPicture(QStringLiteral("#,##0"), decimals),
                                       std::fabs(value));
    return (minus ? QStringLiteral("-") : QString()) + QLatin1String(CurrencyString)
        + QLatin1Char(' ') + number;
}

QString FloatToStr(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NAN");
    if (std::isinf(value))
        return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    // Fifteen significant digits; plain notation below 1e15, as a double is written in a text.
    QString text = QString::number(value, 'g', 15);
    if (text.contains(QLatin1Char('e')) && std::fabs(value) < 1e15)
        text = QString::number(value, 'f', 15 - int(std::floor(std::log10(std::fabs(value)))) - 1);
    if (text.contains(QLatin1Char('.')) && !text.contains(QLatin1Char('e'))) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
    }
    return text.replace(QLatin1Char('.'), DecimalSeparator);
}

double StrToFloat(const QString &text, bool *ok)
{
    QString t = text.trimmed();
    if (t.contains(DecimalSeparator))
        t.replace(DecimalSeparator, QLatin1Char('.'));
    bool converted = false;
    const double value = t.toDouble(&converted);
    converted = converted && std::isfinite(value);
    setOk(ok, converted);
    return converted ? value : 0.0;
}

QString DateToStr(const QDate &date)
{
    return date.isValid() ? FormatDateTime(QLatin1String(ShortDateFormat), QDateTime(date, QTime(0, 0)))
                          : QString();
}

QString TimeToStr(const QTime &time)
{
    return time.isValid() ? FormatDateTime(QLatin1String(LongTimeFormat), QDateTime(QDate(2000, 1, 1), time))
                          : QString();
}

QString DateTimeToStr(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return QString();
    const QString date = DateToStr(dateTime.date());
    return dateTime.time() == QTime(0, 0) ? date : date + QLatin1Char(' ') + TimeToStr(dateTime.time());
}

QString FormatDateTime(const QString &pattern, const QDateTime &dateTime)
{
    QString out;
    bool hourBefore = false;
    for (int i = 0; i < pattern.size();) {
        const QChar c = pattern.at(i);
        if (isQuote(c)) {
            const int end = pattern.indexOf(c, i + 1);
            out += pattern.mid(i + 1, end < 0 ? -1 : end - i - 1);
            i = end < 0 ? pattern.size() : end + 1;
            continue;
        }
        if (!isDateLetter(c)) {
            out += c;
            ++i;
            continue;
        }
        const int run = runLength(pattern, i);
        const QChar letter = c.toLower();
        out += dateToken(letter, run, dateTime, hourBefore);
        hourBefore = letter == QLatin1Char('h');
        i += run;
    }
    return out;
}

QDate StrToDate(const QString &text, bool *ok)
{
    const QDate date = QDate::fromString(text.trimmed(), QStringLiteral("d/M/yyyy"));
    setOk(ok, date.isValid());
    return date;
}

QDateTime StrToDateTime(const QString &text, bool *ok)
{
    const QString t = text.trimmed();
    for (const char *format : {"d/M/yyyy H:mm:ss", "d/M/yyyy H:mm", "d/M/yyyy"}) {
        const QDateTime dt = QDateTime::fromString(t, QLatin1String(format));
        if (dt.isValid()) {
            setOk(ok, true);
            return dt;
        }
    }
    setOk(ok, false);
    return QDateTime();
}

} // namespace PtBr
