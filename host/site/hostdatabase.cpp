#include "hostdatabase.h"

#include <memory>

namespace HostDatabase {

namespace {

std::unique_ptr<Qub_movrela::DbConnection> &holder()
{
    static std::unique_ptr<Qub_movrela::DbConnection> connection;
    return connection;
}

} // namespace

Qub_movrela::DbConnection &session()
{
    auto &connection = holder();
    if (!connection)
        connection = std::make_unique<Qub_movrela::DbConnection>(QStringLiteral("hostPackages"));
    return *connection;
}

void reset()
{
    holder().reset();
}

Rows query(const QString &name, const QString &sql, const Qub_movrela::Params &params)
{
    Rows result;
    Qub_movrela::QueryRows rows;
    Qub_movrela::DbConnection &db = session();
    if (!db.execute(name, sql, params, &rows)) {
        result.error = Qub_movrela::ADOExceptionMessage(db.lastError(), db, QString());
        return result;
    }
    result.rows = rows.rows;
    return result;
}

QDateTime dateTimeOf(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.metaType().id() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.metaType().id() == QMetaType::QDate)
        return value.toDate().startOfDay();
    const QString text = value.toString().trimmed();
    for (const char *format : {"yyyy-MM-dd hh:mm:ss", "yyyy-MM-ddThh:mm:ss", "yyyy-MM-dd hh:mm:ss.zzz",
                               "yyyy-MM-dd"}) {
        const QDateTime moment = QDateTime::fromString(text, QLatin1String(format));
        if (moment.isValid())
            return moment;
    }
    return {};
}

bool withinDays(const QDateTime &start, const QDateTime &end, const QDate &day)
{
    if (start.isValid() && day < start.date())
        return false;
    if (end.isValid() && day > end.date())
        return false;
    return true;
}

} // namespace HostDatabase
