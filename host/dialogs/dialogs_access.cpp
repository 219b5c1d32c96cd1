#include "access.h"

#include "dialogs.h"
#include <host/program/hostlog.h>

#include <outside/ravuvozozod.h>

#include <runtime/cdsfile.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

namespace Access {

namespace {

QString readText(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return QString::fromUtf8(file.readAll());
}

// 3: operator and code; 2: operator; 1: code; 0: every; -1: does not apply.
int specificity(const Rule &rule, const QString &cdOperador, const QString &code)
{
    const bool anyOperator = rule.cdOperador == QLatin1String("*");
    const bool anyCode = rule.code == QLatin1String("*");
    if ((!anyOperator && rule.cdOperador != cdOperador) || (!anyCode && rule.code != code))
        return -1;
    return (anyOperator ? 0 : 2) + (anyCode ? 0 : 1);
}

bool knownOperator(const QString &cdOperador)
{
    DataPacket operators;
    if (!CdsFile::load(SitePaths::resolve(QStringLiteral("Dados\\Cadastros\\Operador.cds")), &operators))
        return false;
    for (int row = 0; row < operators.rows.size(); ++row) {
        if (operators.value(row, QStringLiteral("CDOPERADOR")).toString().trimmed() == cdOperador)
            return true;
    }
    return false;
}

QString field(const QString &text)
{
    QString clean = text;
    clean.replace(QLatin1Char('\t'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    return clean;
}

} // namespace

QList<Rule> parseRules(const QString &text, QStringList *problems)
{
    QList<Rule> rules;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].section(QLatin1Char('#'), 0, 0).trimmed();
        if (line.isEmpty())
            continue;
        const QStringList parts = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const QString answer = parts.value(2).toUpper();
        if (parts.size() != 3 || (answer != QLatin1String("S") && answer != QLatin1String("N"))) {
            if (problems)
                problems->append(QStringLiteral("linha %1: \"%2\"").arg(i + 1).arg(lines[i].trimmed()));
            continue;
        }
        rules.append({parts[0], parts[1], answer == QLatin1String("S")});
    }
    return rules;
}

bool allowed(const QList<Rule> &rules, const QString &cdOperador, int code)
{
    const QString codeText = QString::number(code);
    int best = -1;
    bool grant = true;
    for (const Rule &rule : rules) {
        const int level = specificity(rule, cdOperador.trimmed(), codeText);
        if (level > best) {
            best = level;
            grant = rule.grant;
        }
    }
    return grant;
}

QList<Rule> siteRules()
{
    QStringList problems;
    const QList<Rule> rules = parseRules(readText(SitePaths::resolve(QStringLiteral("Dados\\Direitos.txt"))), &problems);
    for (const QString &problem : problems)
        HostLog::write(QStringLiteral("Dados/Direitos.txt: regra ignorada, ") + problem);
    return rules;
}

QString ControleAcess(const RightRequest &request)
{
    return allowed(siteRules(), request.cdOperador, request.actionCode) ? QStringLiteral("S") : QStringLiteral("N");
}

AccessAnswer VerificaAcesso(const AccessRequest &request)
{
    const QList<Rule> rules = siteRules();
    if (allowed(rules, request.cdOperador, request.actionCode))
        return {true, request.cdOperador};
    KeypadRequest keypad;
    keypad.title = QStringLiteral("Acesso");
    keypad.prompt = QStringLiteral("O operador %1 não tem acesso a esta operação (%2).\nCódigo do supervisor:")
                        .arg(request.cdOperador)
                        .arg(request.actionCode);
    keypad.maxLength = 10;
    const KeypadAnswer supervisor = Dialogs::TecladoNumerico(keypad);
    const QString code = supervisor.value.trimmed();
    if (supervisor.confirmed && !code.isEmpty() && knownOperator(code) && allowed(rules, code, request.actionCode)) {
        HostLog::write(QStringLiteral("acesso %1 do operador %2 liberado pelo supervisor %3")
                           .arg(request.actionCode)
                           .arg(request.cdOperador, code));
        return {true, code};
    }
    if (supervisor.confirmed)
        Ravuvozozod::Mensagem(QStringLiteral("Acesso negado."), QString(), QStringLiteral("N"), QStringLiteral("N"),
                              Ravuvozozod::Error, QString(), QString(), 0);
    return {false, QString()};
}

QString logPath(const QDate &day)
{
    return SitePaths::resolve(QStringLiteral("Dados\\Log\\ControleAcesso-%1.txt").arg(day.toString(QStringLiteral("yyyy-MM-dd"))));
}

HostResult LogControleAcess(const AccessLogRequest &request)
{
    const QDateTime now = Clock::now();
    const QString path = logPath(now.date());
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Text)) {
        HostResult result;
        result.failure = QStringLiteral("não foi possível escrever o registro de acessos ") + path;
        return result;
    }
    const QStringList fields{PtBr::DateTimeToStr(now), request.cdFilial, request.cdCaixa, request.action,
                             request.cdOperador, request.nmOperador, request.stRetAcesso, request.description,
                             request.text, request.nrVendaRest, request.nrComanda, request.nrComandaExib,
                             request.nrMesa, request.cdVendedor};
    QStringList clean;
    for (const QString &f : fields)
        clean.append(field(f));
    QTextStream(&file) << clean.join(QLatin1Char('\t')) << '\n';
    return HostResult::done();
}

} // namespace Access
