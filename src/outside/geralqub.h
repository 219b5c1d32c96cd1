#pragma once

#include <vendacons_export.h>

#include "srv_registro.h"

#include <QString>

// Where the connection string of the base comes from, and what it says.
//
// A connection string is a list of Key=Value pairs separated by ";" (keys without regard to
// case; values cannot hold ";"):
//   Provider=SQLITE;Database=Dados/VendaCons.db
//   Provider=POSTGRESQL;Host=127.0.0.1;Port=5432;Database=vendacons;User=caixa;Password=...
// A relative SQLite file is taken from the site folder (SitePaths).
namespace Geralqub VENDACONS_EXPORT {

struct ConnectionSettings
{
    DatabaseKind kind = DatabaseKind::SQLite;
    QString database; // SQLite: absolute path of the file; PostgreSQL: database name
    QString host;
    int port = 5432;
    QString user;
    QString password;
    QString error; // why the text could not be read; empty when the settings are usable

    bool isValid() const { return error.isEmpty(); }
    // The settings without the password, for logs and error texts.
    QString describe() const;
};

// The connection string in force. A non-empty argument is used as given. Otherwise, first
// found wins: the environment variable VENDACONS_DB; the first line of the site's
// "Dados/Conexao.txt" that is neither blank nor a "#" comment; the SQLite file
// "Dados/VendaCons.db" of the site.
QString _GetStringConexQub(const QString &argument);

ConnectionSettings parseConnectionString(const QString &text);

// The connection string of a SQLite file.
QString sqliteConnectionString(const QString &file);

} // namespace Geralqub
