#include "devices.h"

#include <host/program/hostlog.h>
#include <host/program/scriptedanswers.h>

#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QFile>
#include <QInputDialog>
#include <QSaveFile>
#include <QTextStream>

namespace Devices {

namespace {

QString firstLine(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readLine()).trimmed();
}

// The weight a person types when the scale has no file. Cancel is an empty scale.
double askWeight()
{
    bool ok = false;
    const double weight = QInputDialog::getDouble(nullptr, QStringLiteral("Balança"),
                                                  QStringLiteral("Peso sobre a balança (kg):"), 0.0, -10.0,
                                                  1000.0, 3, &ok);
    return ok ? weight : 0.0;
}

} // namespace

bool readScaleFile(const QString &path, double *weight)
{
    const QString text = firstLine(path);
    if (text.isEmpty())
        return false;
    bool ok = false;
    const double value = PtBr::StrToFloat(text, &ok);
    if (ok)
        *weight = value;
    return ok;
}

ScaleAnswer BuscaPeso(const ScaleRequest &)
{
    ScaleAnswer answer;
    answer.ok = true;
    if (const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::Scale)) {
        answer.weight = scripted->cancel ? 0.0 : PtBr::StrToFloat(scripted->value);
    } else if (readScaleFile(SitePaths::resolve(QStringLiteral("Dados\\Balanca.txt")), &answer.weight)) {
        // read from the file
    } else if (ScriptedAnswers::unattended()) {
        HostLog::write(QStringLiteral("balança: sem Dados/Balanca.txt nem peso no roteiro; balança vazia"));
        answer.weight = 0;
    } else {
        answer.weight = askWeight();
    }
    answer.weight = Money::RoundDec(answer.weight, 3);
    HostLog::write(QStringLiteral("balança: ") + PtBr::FormatFloat(QStringLiteral("0.000"), answer.weight) + QStringLiteral(" kg"));
    return answer;
}

bool drawerOpen()
{
    const QString text = firstLine(SitePaths::resolve(QStringLiteral("Dados\\Gaveta.txt"))).toUpper();
    return text.startsWith(QLatin1String("ABERT"));
}

DrawerStateAnswer Estado_Gaveta_Imp(const SchemeRequest &)
{
    return {true, drawerOpen() ? QStringLiteral("01") : QStringLiteral("00"), {}};
}

DrawerStatusAnswer VerificaStatusGaveta(const DrawerRequest &)
{
    return {drawerOpen() ? 1 : 0, {}};
}

HostResult AbreGaveta(const DrawerRequest &)
{
    HostLog::write(QStringLiteral("gaveta aberta"));
    return HostResult::done();
}

PoleDisplay::PoleDisplay()
{
    clear();
}

PoleDisplay &PoleDisplay::instance()
{
    static PoleDisplay display;
    return display;
}

void PoleDisplay::setWidth(int width)
{
    m_width = qBound(8, width, 80);
    clear();
}

void PoleDisplay::clear()
{
    m_lines = {QString(m_width, QLatin1Char(' ')), QString(m_width, QLatin1Char(' '))};
    save();
}

void PoleDisplay::write(const QString &text, int line, int column)
{
    const int row = qBound(1, line, 2) - 1;
    const int from = qBound(1, column, m_width) - 1;
    const QString piece = text.left(m_width - from);
    m_lines[row].replace(from, piece.size(), piece);
    save();
}

void PoleDisplay::save() const
{
    QSaveFile file(SitePaths::resolve(QStringLiteral("Dados\\Display.txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return;
    QTextStream out(&file);
    const QString frame = QLatin1Char('+') + QString(m_width, QLatin1Char('-')) + QLatin1Char('+');
    out << frame << '\n';
    for (const QString &line : m_lines)
        out << '|' << line << '|' << '\n';
    out << frame << '\n';
    out.flush();
    file.commit();
}

HostResult LimpaDisplay()
{
    PoleDisplay::instance().clear();
    return HostResult::done();
}

HostResult DisplayEnviaTexto(const DisplayTextRequest &request)
{
    PoleDisplay::instance().write(request.text, request.line, request.column);
    HostLog::write(QStringLiteral("display: ") + PoleDisplay::instance().lines().join(QStringLiteral(" / ")).trimmed());
    return HostResult::done();
}

} // namespace Devices
