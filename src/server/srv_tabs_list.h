#pragma once

#include <QString>
#include <QStringList>

// Lists of tab numbers as the screen passes them ("_12_13_", "12,13", "12"): tabs are matched
// as whole numbers, never as parts of a longer one, so tab "1" does not pick up tab "12".
namespace TabList {

// The tab numbers of `text`, in order, without repeats; any character other than a letter or
// a digit separates two numbers.
QStringList numbers(const QString &text);

// The bound form of a list for the statements' whole-number test: ",12,13," (",," when empty).
// The statements test `instr(:P_NRCOMANDAS, ',' || TRIM(NRCOMANDA) || ',') > 0` (strpos on
// PostgreSQL).
QString parameter(const QString &text);

} // namespace TabList
