#pragma once

#include <outside/srv_registro.h>

#include <QList>
#include <QString>

// The statement catalogue: every SQL text of the server layer, one per statement, plus a text
// per database kind only where the dialects differ. A statement is defined at namespace scope
// beside the server function that runs it, and registers itself:
//
//   const Statement adqParaVend{"adqParaVend",
//       "SELECT CDCLIENTE FROM PARAVEND WHERE CDFILIAL = :P_CDFILIAL"};
//   const Statement adqVendasHoje{"adqVendasHoje",
//       "SELECT ... WHERE DTENTRVENDA >= :P_DIA",                        // both kinds
//       {.postgresql = "SELECT ... WHERE DTENTRVENDA >= CAST(:P_DIA AS TIMESTAMP)"}};
//
// Parameters are named ":P_" + column (commands may use the bare column name); values are
// always bound, never written into the text. Prefer texts both kinds accept (COALESCE, SUBSTR,
// "||", CAST, dates bound from Clock::now() rather than the server's clock); a per-kind text
// is the exception.
struct DialectTexts
{
    QString sqlite;     // empty: the common text
    QString postgresql; // empty: the common text
};

class Statement
{
public:
    Statement(const char *name, const char *text, const DialectTexts &perKind = {});

    const QString &name() const { return m_name; }
    // The text for a database kind: its own where one is given, else the common one.
    QString text(DatabaseKind kind) const;

private:
    QString m_name;
    QString m_text;
    DialectTexts m_perKind;
};

namespace StatementCatalogue {

// Every statement registered so far (all of them once static initialisation is over).
QList<Statement> all();
// Names registered more than once: a programming error the tests catch.
QStringList duplicateNames();

} // namespace StatementCatalogue
