#pragma once

#include <vendacons_export.h>

#include <runtime/variant.h>

#include <QDate>
#include <QString>

#include <stdexcept>
#include <type_traits>
#include <utility>

// Text, number, date and document routines of the utility package. All of them are pure
// except Delay (through the clock) and CheckResultServ (raises).
namespace Consiste VENDACONS_EXPORT {

// ---- texts ----------------------------------------------------------------------------------

// Zeros on the left up to `width` characters ("7", 3 -> "007"; line numbers, seats, codes).
// A longer text is kept whole: cutting "1000" to "000" would turn one number into another.
QString Ajusta(const QString &text, int width);
// The same routine under the name other units know it by.
QString AjustaZero(const QString &text, int width);

// Exactly `width` characters: cut to its first `width` characters when longer, blanks added on
// the right (TamFixo, left-aligned) or on the left (TamFixoR, right-aligned) when shorter.
QString TamFixo(const QString &text, int width);
QString TamFixoR(const QString &text, int width);

// Blanks (or `fill`) added on the left (PadL) or right (PadR) up to `width`; never cut, so a
// width below the text's length (even negative) gives the text unchanged.
QString PadL(const QString &text, int width, QChar fill = QLatin1Char(' '));
QString PadR(const QString &text, int width, QChar fill = QLatin1Char(' '));

// The text centred in `width` characters, blanks on both sides (the odd one on the right).
// A longer text is kept whole.
QString Centraliza(const QString &text, int width);

// The text `count` times; nothing for a count of 0 or less.
QString Replicate(const QString &text, int count);

// True for an empty text or one of blanks only.
bool EmptyString(const QString &text);

// `a` when the condition holds, else `b`, as their common type (a QString and a literal give a
// QString). Both are evaluated, as with any function call.
template <typename A, typename B>
std::common_type_t<std::decay_t<A>, std::decay_t<B>> iif(bool condition, A &&a, B &&b)
{
    if (condition)
        return std::forward<A>(a);
    return std::forward<B>(b);
}

// ---- numbers (delegate to the money module) -------------------------------------------------

double Trunc3(double value);
double RoundDec(double value, int decimals);

// ---- dates ----------------------------------------------------------------------------------

QDate PriDiaMes(const QDate &date);
QDate UltimoDiaMes(const QDate &date);
// "Segunda-Feira", "Terça-Feira", ... "Sábado", "Domingo"; empty for an invalid date.
QString NomeSemana(const QDate &date);

// ---- documents ------------------------------------------------------------------------------

// An input mask (QLineEdit::setInputMask) for a person's document: "F" a CPF
// "999.999.999-99", "J" a CNPJ "99.999.999/9999-99"; empty for any other kind.
QString PictPess(const QString &kind);

// Check digits of a CPF (11 digits) or a CNPJ (14 digits). Dots, dashes, slashes and blanks
// are allowed between the digits; any other character, another count of digits or one digit
// repeated throughout ("111.111.111-11") is refused.
bool CPFOk(const QString &cpf);
bool CGCOk(const QString &cnpj);

// ---- waiting and results --------------------------------------------------------------------

// Waits `milliseconds` through the clock's sleeper (tests never really wait).
void Delay(int milliseconds);

// The error a checked result raises: its text is the result's text, which callers compare
// with their codes ("QTDE_NOT_CONS", ...) or show.
class EResultServ : public std::runtime_error
{
public:
    explicit EResultServ(const QString &text);
    QString text() const { return m_text; }

private:
    QString m_text;
};

// Checks what a server function or host call answered. A text answer (any non-blank text:
// codes such as "QTDE_OK" included) and a failure are not a usable result: with `raise` set
// they raise EResultServ carrying that text, and nothing is shown here, because the callers
// catch it and pick their own message by the code. Without `raise` the answer is false.
// Any other answer (empty, Boolean, number, packet, array) is usable: true. `reserved` is
// accepted for the callers' shape and not used.
bool CheckResultServ(const Variant &result, bool raise = true, int reserved = 0);

} // namespace Consiste
