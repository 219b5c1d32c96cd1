#include "consiste.h"

#include <runtime/clock.h>
#include <runtime/money.h>

#include <QList>

namespace {

// The digits of a document, or nothing when a character other than a digit or the usual
// punctuation appears.
QList<int> documentDigits(const QString &text)
{
    QList<int> digits;
    for (const QChar c : text) {
        if (c.isDigit() && c.unicode() < 128)
            digits.append(c.unicode() - '0');
        else if (!QStringLiteral(".-/ ").contains(c))
            return {};
    }
    return digits;
}

bool allSame(const QList<int> &digits)
{
    for (const int d : digits) {
        if (d != digits.first())
            return false;
    }
    return true;
}

// Modulo-11 check digit over the first weights.size() digits.
int checkDigit(const QList<int> &digits, const QList<int> &weights)
{
    int sum = 0;
    for (int i = 0; i < weights.size(); ++i)
        sum += digits.at(i) * weights.at(i);
    const int rest = sum % 11;
    return rest < 2 ? 0 : 11 - rest;
}

} // namespace

namespace Consiste {

QString Ajusta(const QString &text, int width)
{
    return text.rightJustified(width, QLatin1Char('0'));
}

QString AjustaZero(const QString &text, int width)
{
    return Ajusta(text, width);
}

QString TamFixo(const QString &text, int width)
{
    return width <= 0 ? QString() : text.left(width).leftJustified(width);
}

QString TamFixoR(const QString &text, int width)
{
    return width <= 0 ? QString() : text.left(width).rightJustified(width);
}

QString PadL(const QString &text, int width, QChar fill)
{
    return text.rightJustified(width, fill);
}

QString PadR(const QString &text, int width, QChar fill)
{
    return text.leftJustified(width, fill);
}

QString Centraliza(const QString &text, int width)
{
    const int room = width - text.size();
    if (room <= 0)
        return text;
    return QString(room / 2, QLatin1Char(' ')) + text + QString(room - room / 2, QLatin1Char(' '));
}

QString Replicate(const QString &text, int count)
{
    return count <= 0 ? QString() : text.repeated(count);
}

bool EmptyString(const QString &text)
{
    return text.trimmed().isEmpty();
}

double Trunc3(double value)
{
    return Money::Trunc3(value);
}

double RoundDec(double value, int decimals)
{
    return Money::RoundDec(value, decimals);
}

QDate PriDiaMes(const QDate &date)
{
    return date.isValid() ? QDate(date.year(), date.month(), 1) : QDate();
}

QDate UltimoDiaMes(const QDate &date)
{
    return date.isValid() ? QDate(date.year(), date.month(), date.daysInMonth()) : QDate();
}

QString NomeSemana(const QDate &date)
{
    static const char *const names[] = {"Segunda-Feira", "Terça-Feira", "Quarta-Feira",
                                         "Quinta-Feira", "Sexta-Feira", "Sábado", "Domingo"};
    return date.isValid() ? QString::fromUtf8(names[date.dayOfWeek() - 1]) : QString();
}

QString PictPess(const QString &kind)
{
    if (kind.compare(QLatin1String("F"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("999.999.999-99;_");
    if (kind.compare(QLatin1String("J"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("99.999.999/9999-99;_");
    return QString();
}

bool CPFOk(const QString &cpf)
{
    const QList<int> d = documentDigits(cpf);
    if (d.size() != 11 || allSame(d))
        return false;
    return checkDigit(d, {10, 9, 8, 7, 6, 5, 4, 3, 2}) == d.at(9)
        && checkDigit(d, {11, 10, 9, 8, 7, 6, 5, 4, 3, 2}) == d.at(10);
}

bool CGCOk(const QString &cnpj)
{
    const QList<int> d = documentDigits(cnpj);
    if (d.size() != 14 || allSame(d))
        return false;
    return checkDigit(d, {5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}) == d.at(12)
        && checkDigit(d, {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2}) == d.at(13);
}

void Delay(int milliseconds)
{
    Clock::sleep(qMax(0, milliseconds));
}

EResultServ::EResultServ(const QString &text)
    : std::runtime_error(text.toStdString()), m_text(text)
{
}

bool CheckResultServ(const Variant &result, bool raise, int /*reserved*/)
{
    QString text;
    if (result.isFailure())
        text = result.failureText();
    else if (result.isText() && !EmptyString(result.toString()))
        text = result.toString();
    else
        return true;
    if (raise)
        throw EResultServ(text);
    return false;
}

} // namespace Consiste
