#pragma once

#include <outside/pkg_hrk00002.h>

#include <QList>
#include <QString>

// Operator rights of the site and their log.
//
// Rights live in the site file Dados/Direitos.txt, one rule a line: operator, access code and
// "S" (grant) or "N" (deny), blank-separated; "*" stands for every operator or every code;
// "#" starts a comment. The most specific rule wins (operator and code, then operator and
// every code, then every operator and the code, then "* *"); with no rule the right is
// granted, as a new demo site should let its operator work.
//
// The log goes to a daily file Dados/Log/ControleAcesso-<yyyy-MM-dd>.txt, one line an action.
namespace Access {

struct Rule
{
    QString cdOperador; // "*" = every operator
    QString code;       // "*" = every code
    bool grant = true;
};

QList<Rule> parseRules(const QString &text, QStringList *problems = nullptr);
bool allowed(const QList<Rule> &rules, const QString &cdOperador, int code);
QList<Rule> siteRules();

QString ControleAcess(const RightRequest &request);
// On a refusal the operator is told and a supervisor may authorise with his code on the keypad
// (a known operator of Dados/Cadastros/Operador.cds who has the right); the authoriser is
// answered in stRetAcesso.
AccessAnswer VerificaAcesso(const AccessRequest &request);
HostResult LogControleAcess(const AccessLogRequest &request);

QString logPath(const QDate &day);

} // namespace Access
