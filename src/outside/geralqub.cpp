#include "geralqub.h"

#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QTextStream>

namespace {

QString fromSiteFile()
{
    QFile file(SitePaths::resolve(QStringLiteral("Dados\\Conexao.txt")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#')))
            return line;
    }
    return QString();
}

QString siteFile(const QString &path)
{
    return QDir::isAbsolutePath(path) ? path : SitePaths::resolve(path);
}

bool setKey(Geralqub::ConnectionSettings &s, const QString &key, const QString &value)
{
    if (key == QLatin1String("provider")) {
        if (!Srv_registro::kindFromName(value, &s.kind))
            s.error = QStringLiteral("tipo de base desconhecido: \"%1\"").arg(value);
    } else if (key == QLatin1String("database")) {
        s.database = value;
    } else if (key == QLatin1String("host")) {
        s.host = value;
    } else if (key == QLatin1String("port")) {
        bool ok = false;
        s.port = value.toInt(&ok);
        if (!ok || s.port <= 0)
            s.error = QStringLiteral("porta inválida: \"%1\"").arg(value);
    } else if (key == QLatin1String("user")) {
        s.user = value;
    } else if (key == QLatin1String("password")) {
        s.password = value;
    } else {
        return false;
    }
    return true;
}

} // namespace

namespace Geralqub {

QString ConnectionSettings::describe() const
{
    if (kind == DatabaseKind::SQLite)
        return QStringLiteral("SQLITE %1").arg(database);
    return QStringLiteral("POSTGRESQL %1@%2:%3/%4").arg(user, host).arg(port).arg(database);
}

QString _GetStringConexQub(const QString &argument)
{
    if (!argument.trimmed().isEmpty())
        return argument.trimmed();
    const QString fromEnvironment = qEnvironmentVariable("VENDACONS_DB").trimmed();
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    const QString fromFile = fromSiteFile();
    if (!fromFile.isEmpty())
        return fromFile;
    return sqliteConnectionString(SitePaths::resolve(QStringLiteral("Dados\\VendaCons.db")));
}

ConnectionSettings parseConnectionString(const QString &text)
{
    ConnectionSettings s;
    bool providerGiven = false;
    for (const QString &pair : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (pair.trimmed().isEmpty())
            continue;
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        const QString key = pair.left(equals).trimmed().toLower();
        const QString value = equals < 0 ? QString() : pair.mid(equals + 1).trimmed();
        if (equals < 0 || !setKey(s, key, value))
            s.error = QStringLiteral("item não reconhecido na conexão: \"%1\"").arg(pair.trimmed().section(QLatin1Char('='), 0, 0));
        providerGiven = providerGiven || key == QLatin1String("provider");
        if (!s.isValid())
            return s;
    }
    if (!providerGiven)
        s.error = QStringLiteral("a conexão não diz o tipo de base (Provider=SQLITE ou POSTGRESQL)");
    else if (s.database.isEmpty())
        s.error = QStringLiteral("a conexão não diz a base (Database=...)");
    else if (s.kind == DatabaseKind::SQLite)
        s.database = siteFile(s.database);
    else if (s.host.isEmpty())
        s.error = QStringLiteral("a conexão não diz o servidor (Host=...)");
    return s;
}

QString sqliteConnectionString(const QString &file)
{
    return QStringLiteral("Provider=SQLITE;Database=%1").arg(file);
}

} // namespace Geralqub
