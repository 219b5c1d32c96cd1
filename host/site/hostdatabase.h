#pragma once

#include <outside/qub_movrela_db.h>

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>

// The host packages' own session on the site's base (the data module of the package keeps
// its own). It connects on first use to the base that Geralqub names for the current site.
namespace HostDatabase {

Qub_movrela::DbConnection &session();
// Forgets the session, so that the next use connects afresh (the site changed; tests).
void reset();

// The rows of one query, or an empty list with `error` set when it failed.
struct Rows
{
    QList<QList<QVariant>> rows;
    QString error;
    bool ok() const { return error.isEmpty(); }
};
Rows query(const QString &name, const QString &sql, const Qub_movrela::Params &params = {});

// A date-time column as either driver hands it (QDateTime, or SQLite's text); invalid when
// null or unreadable.
QDateTime dateTimeOf(const QVariant &value);
// Whether `moment` lies within [start, end] by day; an invalid bound is open.
bool withinDays(const QDateTime &start, const QDateTime &end, const QDate &day);

} // namespace HostDatabase
