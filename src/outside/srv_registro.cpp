#include "srv_registro.h"

#include "geralqub.h"

namespace Srv_registro {

QString _UsedDatabase()
{
    return kindName(Geralqub::parseConnectionString(Geralqub::_GetStringConexQub(QString())).kind);
}

QString kindName(DatabaseKind kind)
{
    return kind == DatabaseKind::PostgreSql ? QStringLiteral("POSTGRESQL") : QStringLiteral("SQLITE");
}

bool kindFromName(const QString &name, DatabaseKind *kind)
{
    const QString upper = name.trimmed().toUpper();
    if (upper == QLatin1String("SQLITE"))
        *kind = DatabaseKind::SQLite;
    else if (upper == QLatin1String("POSTGRESQL") || upper == QLatin1String("POSTGRES"))
        *kind = DatabaseKind::PostgreSql;
    else
        return false;
    return true;
}

} // namespace Srv_registro
