#pragma once

#include <vendacons_export.h>

#include "geralqub.h"

#include <runtime/variant.h>

#include <QHash>
#include <QList>
#include <QMetaType>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

class QSqlError;
class QSqlQuery;
class QThread;

// The database routines of the utility unit Qub_movrela: one database session
// (`DbConnection`, what an ADO connection was), its session settings and the error text of a
// failed request. The server layer and the next-number service build on these; business code
// never sees a query object.
namespace Qub_movrela VENDACONS_EXPORT {

// One named parameter: `name` as written in the statement after the colon ("P_CDFILIAL").
struct Param
{
    QString name;
    Variant value;
};
using Params = QList<Param>;

// What went wrong in one request. Never holds a password or a parameter value.
struct DbError
{
    enum class Cause {
        None,
        Unreachable,   // the server does not answer (refused, time-out, unknown host, lost)
        ConnectFailed, // reached but refused us (login, missing base, unreadable file)
        Busy,          // another session holds the lock (SQLite busy, PostgreSQL serialization)
        Statement,     // the database refused the statement (missing table, constraint, ...)
        Parameters,    // the statement's parameters do not match what was given
    };

    Cause cause = Cause::None;
    QString statement;    // the statement's name, "" for a connect
    QString databaseText; // the database's own words
    QString code;         // the database's code (SQLite result code, PostgreSQL SQLSTATE)
    bool lost = false;    // an open session was ended by the server (with Unreachable)

    bool isError() const { return cause != Cause::None; }
    bool unreachable() const { return cause == Cause::Unreachable; }
    // A later attempt may succeed: a lock or a serialization conflict.
    bool retryable() const { return cause == Cause::Busy; }
};

// The rows a statement answered. Column names are upper case whatever the database did with
// them (PostgreSQL folds unquoted names to lower case).
struct QueryRows
{
    QStringList columns;
    QList<QMetaType> types; // as the driver reported each column
    QList<QList<QVariant>> rows;
    int rowsAffected = -1;
};

// One database session on the base that _GetStringConexQub names. Not thread-safe: use it
// from the thread that made it (each thread that needs the base makes its own).
class DbConnection
{
public:
    // `role` names the session in logs ("adcVendaCons"); `connectTimeoutSeconds` bounds a
    // connect to a server (0: the driver's default).
    explicit DbConnection(const QString &role, int connectTimeoutSeconds = 0);
    ~DbConnection();
    DbConnection(const DbConnection &) = delete;
    DbConnection &operator=(const DbConnection &) = delete;

    // Connects to the base `text` names instead of the one _GetStringConexQub answers (the
    // test fixtures' administration sessions, the benchmark); empty restores the default.
    void useConnectionString(const QString &text) { m_fixedString = text; }

    // Takes the connection string afresh (before-connect), connects, then applies the session
    // settings (after-connect, SetADODBSession). False with lastError() when it fails.
    bool open();
    void close();
    // Closes the session when the connection string in force is no longer the one it was
    // opened with (a session kept for later use must not talk to another base).
    void closeIfStale();
    bool isOpen() const;

    const QString &role() const { return m_role; }
    int connectTimeoutSeconds() const { return m_connectTimeout; }
    // The settings of the last open (of the string in force before the first one).
    Geralqub::ConnectionSettings settings() const;
    DatabaseKind kind() const { return settings().kind; }
    // How long SQLite waits for another session's lock before it answers "busy"; taken at
    // the next open. Default 10 s.
    void setBusyTimeout(int milliseconds) { m_busyTimeout = milliseconds; }
    int busyTimeout() const { return m_busyTimeout; }

    // A transaction on this session. On SQLite it takes the write lock at once, so two
    // sessions never deadlock upgrading a read lock. False with lastError() on failure.
    bool begin();
    bool commit();
    bool rollback();
    bool inTransaction() const { return m_inTransaction; }

    // A session the server ends (restart, an administrator's kill, a network cut) fails the
    // call in flight with an Unreachable error marked `lost`, and drops its prepared
    // statements with it; the next call connects afresh. A transaction open at that moment is
    // gone: every statement of it and its commit fail until it is rolled back.
    // Outside a transaction, a session the server has already ended (its goodbye waits on the
    // socket) is replaced before the statement is sent. A read (SELECT) or a statement the
    // server never got to run is made once more on a fresh session before the loss is
    // reported, and so is a BEGIN; a write that may have run is not repeated. A connect the
    // server cut off half-way (the session ended before its settings were applied) is made
    // once more; cut off again, it fails `lost` (the next attempt may get through); one the
    // server refused does not. A server that refuses connections as one restarting does (down,
    // shutting down or starting up), when it answered this process within the last two minutes,
    // is waited for: up to restartWaitPauses pauses of restartWaitPauseMs (Clock::sleep), then
    // the connect fails as before.
    //
    // Runs one statement, connecting first when closed. Each ":NAME" of `sql` takes the value
    // of the parameter of that name (a name written twice takes it twice); a parameter the
    // text lacks, or a name with no parameter, is refused. Rows the statement answers go into
    // `rows` when given. False with lastError() on failure; `name` labels the failure.
    bool execute(const QString &name, const QString &sql, const Params &params,
                 QueryRows *rows = nullptr);
    const DbError &lastError() const { return m_error; }
    // Has the database check a statement without running it (the catalogue's test).
    bool check(const QString &name, const QString &sql);

    // The session of this thread that holds an open transaction on the SQLite file `file`,
    // or null. SQLite has one writer per file, so the next-number service must draw through
    // that session instead of waiting for a lock its own thread holds.
    static DbConnection *openSqliteTransactionOn(const QString &file);

    // How long a connect waits for a restarting server, in pauses between attempts.
    static constexpr int restartWaitPauses = 30;
    static constexpr int restartWaitPauseMs = 500;

private:
    struct Prepared;
    bool fail(DbError::Cause cause, const QString &name, const QString &text, const QString &code = QString());
    bool failWith(const QString &name, const QSqlError &error);
    void dropSession();
    bool runPlain(const QString &name, const QString &sql);
    bool openOnce(bool *connected, bool *restarting);
    bool endedWhileIdle() const;
    bool executeOnce(const QString &name, const QString &sql, const Params &params, QueryRows *rows, bool *ran);
    void endTransaction();
    Prepared *prepare(const QString &name, const QString &sql);
    void forgetQueries();

    QString m_role;
    QString m_connectionName;
    QString m_fixedString;
    QString m_openedString; // the connection string of the open session
    int m_connectTimeout = 0;
    int m_busyTimeout = 10000;
    bool m_inTransaction = false;
    bool m_transactionSpoiled = false; // a statement failed inside the open transaction
    bool m_transactionLost = false;    // the server ended the session inside the transaction
    bool m_opening = false;            // open() is applying the session settings
    QThread *m_transactionThread = nullptr;
    Geralqub::ConnectionSettings m_settings;
    bool m_settingsTaken = false;
    DbError m_error;
    QHash<QString, std::shared_ptr<Prepared>> m_prepared;
};

// The error text of a failed request, for the operator and the logs: the database's words
// and the statement's name, with `extra` after them. A server that does not answer gives a
// text that starts with "[DBNETLIB]" (callers look for that word) and says so plainly.
QString ADOExceptionMessage(const DbError &error, const DbConnection &connection, const QString &extra);
// The words the operator reads for an error text that carries the "[DBNETLIB]" mark: what
// happened and what to do, with whatever stood before the mark kept in front; `technical`
// (when given) takes the text from the mark on, for the message's detail and the log. Any
// other text comes back as it is, with `technical` empty.
QString operatorText(const QString &errorText, QString *technical = nullptr);
// True when the error means the server did not answer.
bool isUnreachable(const DbError &error);

// For tests: runs on every session just connected, before its session settings (where a
// test ends the session, as a server restarting at that moment does). Empty removes it.
void setConnectedHook(std::function<void()> hook);

// Session settings applied after every connect: SQLite shares its file with other processes
// (WAL journal, busy time-out, foreign keys); PostgreSQL talks UTF-8 with ISO dates.
bool SetADODBSession(DbConnection &connection);

} // namespace Qub_movrela
