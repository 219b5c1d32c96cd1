#pragma once

#include <vendacons_export.h>

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// The one pt-BR format module: every caption made from a number or a date goes through here,
// whatever the machine's locale (decimal comma, thousands dot, "R$", day/month/year). Logic
// works on numbers; nothing parses a caption back except the explicit readers below.
namespace PtBr VENDACONS_EXPORT {

inline constexpr QChar DecimalSeparator = QLatin1Char(',');
inline constexpr QChar ThousandSeparator = QLatin1Char('.');
// Format texts in the runtime's own tokens (mm is the month, nn the minutes).
inline constexpr const char *ShortDateFormat = "dd/mm/yyyy";
inline constexpr const char *LongTimeFormat = "hh:nn:ss";
inline constexpr const char *CurrencyString = "R$";

// A number by a picture of the runtime: '0' a digit always written, '#' a digit written when
// significant, the first '.' the place of the decimal comma, ',' anywhere asks for thousands
// dots, anything else (quoted or not) written as it stands before or after the digits. Up to
// three sections split by ';' (positive; negative, written without its sign; zero). The value
// is rounded to the picture's decimals with ties away from zero (Money::RoundDec), so
// "#,##0.00" gives 1234.565 -> "1.234,57" and -0.001 -> "0,00". A picture that asks for no
// digit at all ("#.##" with 0) writes "0" rather than an empty caption; an empty picture gives
// FloatToStr's form.
QString FormatFloat(const QString &pattern, double value);

// A fixed number of decimals, no thousands dots: FloatToStrF(value, fixed, 15, decimals).
QString FloatToStrFixed(double value, int decimals);

// The money caption: "R$ 1.234,50", "-R$ 0,99" (currency format, 15 digits, 2 decimals).
QString FormatCurr(double value, int decimals = 2);

// The shortest text of a number with 15 significant digits and the decimal comma, as the
// runtime writes a number into a text ("2,5", "0,3", "100"); the same text Variant gives.
QString FloatToStr(double value);

// Reads a number written with the decimal comma; a dot is read as the decimal point only when
// the text has no comma (so "1.234,5" is refused, not misread), as Variant reads texts.
// Surrounding blanks are allowed. `ok` is false for an empty, non-numeric or infinite text, and
// the value is then 0.
double StrToFloat(const QString &text, bool *ok = nullptr);

// Dates and times: "dd/mm/yyyy", "hh:nn:ss", and both joined by a blank (the time left out
// when it is exactly midnight, as the runtime does).
QString DateToStr(const QDate &date);
QString TimeToStr(const QTime &time);
QString DateTimeToStr(const QDateTime &dateTime);

// A date or time by a picture of the runtime, letters in any case: d dd, m mm (minutes after
// h/hh), yy yyyy, h hh, n nn, s ss, z zzz; quoted text and other characters as they stand.
// "yyyy-mm-dd", "DDMM", "yymmddhhnn" and "hh:mm:ss" are the pictures in use.
QString FormatDateTime(const QString &pattern, const QDateTime &dateTime);

// Reads "dd/mm/yyyy" (and "dd/mm/yyyy hh:nn[:ss]"); an invalid value and ok false otherwise.
QDate StrToDate(const QString &text, bool *ok = nullptr);
QDateTime StrToDateTime(const QString &text, bool *ok = nullptr);

} // namespace PtBr
