#include "badgesale_p.h"

#include <algorithm>

// Pure rules of the badge sale, kept apart so that each is checked on its own table of cases.

namespace BadgeSaleRules {

QString accountLetter(const QString &IDTPVENDATPCONS, const QString &IDTPVENDACONS)
{
    if (!IDTPVENDATPCONS.isEmpty())
        return IDTPVENDATPCONS;
    if (IDTPVENDACONS == QLatin1String("4") || IDTPVENDACONS == QLatin1String("7"))
        return QStringLiteral("A");
    if (IDTPVENDACONS == QLatin1String("5"))
        return QStringLiteral("D");
    if (IDTPVENDACONS == QLatin1String("6"))
        return QStringLiteral("C");
    return QString();
}

QDate payrollPeriodStart(const QDate &today, const QString &closingDay, QString *text)
{
    bool ok = false;
    const int day = closingDay.trimmed().toInt(&ok);
    const int closing = ok && day > 0 ? day : 1;
    // The day is compared as a number: "5" and "05" are the same closing day.
    QDate month(today.year(), today.month(), 1);
    if (today.day() <= closing)
        month = month.addMonths(-1);
    const QDate start(month.year(), month.month(), std::min(closing, month.daysInMonth()));
    if (text) {
        // The current month is written "MM", the month before as a plain number, as the central
        // base has always been given them.
        const bool current = month.month() == today.month() && month.year() == today.year();
        const QString dayText = start.day() == closing ? closingDay.trimmed() : QString::number(start.day());
        const QString monthText = current ? QStringLiteral("%1").arg(start.month(), 2, 10, QLatin1Char('0'))
                                          : QString::number(start.month());
        *text = dayText + QLatin1Char('/') + monthText + QLatin1Char('/') + QString::number(start.year());
    }
    return start;
}

AllowedKinds allowedKinds(const QString &code)
{
    static const char *table[] = {"100", "010", "001", "110", "101", "011", "111"};
    AllowedKinds kinds;
    if (code.size() != 1 || code.at(0) < QLatin1Char('1') || code.at(0) > QLatin1Char('7'))
        return kinds;
    const char *row = table[code.at(0).unicode() - '1'];
    kinds.debit = row[0] == '1';
    kinds.credit = row[1] == '1';
    kinds.cash = row[2] == '1';
    kinds.valid = true;
    return kinds;
}

bool serviceOpen(const QString &now, const QString &start, const QString &end)
{
    if (start < end)
        return now >= start && now <= end;
    if (start > end)
        return !(now < start && now > end);
    return false;
}

bool cashServiceOpen(const QString &now, const QString &start, const QString &end)
{
    return now >= start && now < end;
}

QDateTime PrimeiroDiaMes(const QDateTime &date)
{
    return QDateTime(QDate(date.date().year(), date.date().month(), 1), QTime(0, 0));
}

} // namespace BadgeSaleRules
