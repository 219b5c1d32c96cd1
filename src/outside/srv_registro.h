#pragma once

#include <vendacons_export.h>

#include <QString>

// The kinds of database the server layer runs on. The connection string decides the kind
// (Geralqub::_GetStringConexQub); statements carry one text plus a text per kind only where the
// dialects differ.
enum class DatabaseKind {
    SQLite,     // embedded default: one file in the site's Dados folder
    PostgreSql, // several tills sharing one base
};

namespace Srv_registro VENDACONS_EXPORT {

// "SQLITE" or "POSTGRESQL": the kind named by the connection string in force.
QString _UsedDatabase();

// The name of a kind as _UsedDatabase answers it, and back (without regard to case); false
// when the name is not a kind we run on.
QString kindName(DatabaseKind kind);
bool kindFromName(const QString &name, DatabaseKind *kind);

} // namespace Srv_registro
