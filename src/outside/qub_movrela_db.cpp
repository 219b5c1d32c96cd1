#include "qub_movrela_db.h"
#include "qub_movrela_fit.h"

#include <runtime/clock.h>

#include <QAtomicInteger>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QThread>

#include <atomic>

#include <libpq-fe.h>
#include <poll.h>

namespace Qub_movrela {

namespace {

using Cause = DbError::Cause;

bool isNameStart(QChar c)
{
    return c.isLetter() || c == QLatin1Char('_');
}

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// Index just past a quoted run that starts at `i` (quote char doubled inside to escape it).
qsizetype skipQuoted(const QString &sql, qsizetype i)
{
    const QChar quote = sql.at(i);
    for (++i; i < sql.size(); ++i) {
        if (sql.at(i) != quote)
            continue;
        if (i + 1 < sql.size() && sql.at(i + 1) == quote)
            ++i;
        else
            return i + 1;
    }
    return i;
}

// ":NAME" placeholders become "?" in order, so every occurrence of a name is bound, whatever
// the driver does with repeated names. Quoted text, comments and "::" casts are left alone.
QString toPositional(const QString &sql, QStringList *names)
{
    QString out;
    out.reserve(sql.size());
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
            const qsizetype end = skipQuoted(sql, i);
            out += sql.mid(i, end - i);
            i = end;
        } else if (c == QLatin1Char('-') && sql.mid(i, 2) == QLatin1String("--")) {
            qsizetype end = sql.indexOf(QLatin1Char('\n'), i);
            end = end < 0 ? sql.size() : end;
            out += sql.mid(i, end - i);
            i = end;
        } else if (c == QLatin1Char(':') && i + 1 < sql.size() && sql.at(i + 1) == QLatin1Char(':')) {
            out += QLatin1String("::");
            i += 2;
        } else if (c == QLatin1Char(':') && i + 1 < sql.size() && isNameStart(sql.at(i + 1))) {
            qsizetype end = i + 1;
            while (end < sql.size() && isNameChar(sql.at(end)))
                ++end;
            names->append(sql.mid(i + 1, end - i - 1));
            out += QLatin1Char('?');
            i = end;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

// Date-times travel as text "yyyy-MM-dd hh:mm:ss" on both kinds: SQLite keeps them as text
// that sorts in time order, and PostgreSQL reads the text as its TIMESTAMP without any time
// zone shift between the till and the server.
bool toDriverValue(const Variant &value, QVariant *out)
{
    switch (value.kind()) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null:
        *out = QVariant(QMetaType::fromType<QString>());
        return true;
    case Variant::Kind::Boolean:
        *out = value.toBool();
        return true;
    case Variant::Kind::Integer:
        *out = qlonglong(value.toInt());
        return true;
    case Variant::Kind::Double:
        *out = value.toDouble();
        return true;
    case Variant::Kind::Text:
        *out = value.toString();
        return true;
    case Variant::Kind::DateTime:
        *out = value.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        return true;
    default:
        return false;
    }
}

const QStringList &unreachableMarks()
{
    static const QStringList marks{
        QStringLiteral("could not connect"), QStringLiteral("connection refused"),
        QStringLiteral("timeout expired"), QStringLiteral("could not translate host name"),
        QStringLiteral("no route to host"), QStringLiteral("network is unreachable"),
        QStringLiteral("server closed the connection"), QStringLiteral("no connection to the server"),
        QStringLiteral("connection to server"), QStringLiteral("terminating connection"),
        QStringLiteral("could not send data"), QStringLiteral("could not receive data"),
        QStringLiteral("broken pipe"), QStringLiteral("connection reset"),
        QStringLiteral("the database system is shutting down"), QStringLiteral("the database system is starting up"),
    };
    return marks;
}

// SQLSTATEs of a session the server ended or never let in: connection exceptions (class 08)
// and an operator's intervention (an administrator's kill, a shutdown, a restart).
bool isLostState(const QString &state)
{
    return state.startsWith(QLatin1String("08")) || state == QLatin1String("57P01")
        || state == QLatin1String("57P02") || state == QLatin1String("57P03");
}

Cause causeOf(const QSqlError &error, DatabaseKind kind)
{
    const QString text = (error.databaseText() + QLatin1Char(' ') + error.driverText()).toLower();
    if (kind == DatabaseKind::PostgreSql) {
        if (isLostState(error.nativeErrorCode()))
            return Cause::Unreachable;
        for (const QString &mark : unreachableMarks()) {
            if (text.contains(mark) && !text.contains(QLatin1String("authentication")))
                return Cause::Unreachable;
        }
        const QString state = error.nativeErrorCode();
        if (state == QLatin1String("40001") || state == QLatin1String("40P01") || state == QLatin1String("55P03"))
            return Cause::Busy;
    } else {
        const QString code = error.nativeErrorCode();
        if (code == QLatin1String("5") || code == QLatin1String("6") || text.contains(QLatin1String("database is locked")))
            return Cause::Busy;
    }
    // A failed connect is told apart where the base is opened: SQLite's driver files every failed
    // step of a statement on an open base (a constraint's or a trigger's refusal) as a
    // connection error.
    return Cause::Statement;
}

// The database's own message, without the echo of the statement that PostgreSQL adds on
// the lines after it ("LINE 1: PREPARE ...") and without its "ERROR:" label.
QString wordsOf(const QSqlError &error)
{
    QString text = error.databaseText().section(QLatin1Char('\n'), 0, 0).trimmed();
    if (text.startsWith(QLatin1String("ERROR:")))
        text = text.mid(6).trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    return text.simplified();
}

// A connect the server cut off half-way (its new session was ended, or it went down while
// letting us in): the next attempt may well get through.
bool endedByServer(const QSqlError &error)
{
    const QString text = (error.databaseText() + QLatin1Char(' ') + error.driverText()).toLower();
    return isLostState(error.nativeErrorCode()) || text.contains(QLatin1String("terminating connection"))
        || text.contains(QLatin1String("server closed the connection"));
}

// A server that is restarting: it refuses connections while it is down, and turns them away
// in words while it shuts down or starts up. It is back within seconds.
bool isRestarting(const QSqlError &error)
{
    const QString text = (error.databaseText() + QLatin1Char(' ') + error.driverText()).toLower();
    return error.nativeErrorCode() == QLatin1String("57P03") || text.contains(QLatin1String("connection refused"))
        || text.contains(QLatin1String("the database system is starting up"))
        || text.contains(QLatin1String("the database system is shutting down"))
        || text.contains(QLatin1String("the database system is not yet accepting connections"))
        || text.contains(QLatin1String("the database system is in recovery mode"));
}

// When each base last answered this process, by its connection string: a base that answered a
// moment ago and now refuses is taken for one that restarts, and waited for.
QMutex &answeredLock()
{
    static QMutex lock;
    return lock;
}

QHash<QString, qint64> &answeredAt()
{
    static QHash<QString, qint64> times;
    return times;
}

constexpr qint64 answeredLatelyMs = 120000;

void noteAnswered(const QString &connection)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QMutexLocker lock(&answeredLock());
    answeredAt().insert(connection, now);
}

bool answeredLately(const QString &connection)
{
    QMutexLocker lock(&answeredLock());
    const auto found = answeredAt().constFind(connection);
    return found != answeredAt().constEnd() && QDateTime::currentMSecsSinceEpoch() - *found < answeredLatelyMs;
}

struct OpeningGuard
{
    explicit OpeningGuard(bool &flag) : m_flag(flag) { m_flag = true; }
    ~OpeningGuard() { m_flag = false; }
    bool &m_flag;
};

QMutex &registryLock()
{
    static QMutex lock;
    return lock;
}

QList<DbConnection *> &openTransactions()
{
    static QList<DbConnection *> list;
    return list;
}

QAtomicInteger<quint64> connectionCounter;

const QString lostTransactionText = QStringLiteral(
    "a conexão com o servidor de banco de dados caiu durante a transação; nada dela foi gravado");

} // namespace

struct DbConnection::Prepared
{
    QSqlQuery query;
    QString text;      // with "?" in place of each ":NAME"
    QStringList names; // in order of appearance
};

DbConnection::DbConnection(const QString &role, int connectTimeoutSeconds)
    : m_role(role),
      m_connectionName(QStringLiteral("%1#%2").arg(role).arg(++connectionCounter)),
      m_connectTimeout(connectTimeoutSeconds)
{
}

DbConnection::~DbConnection()
{
    close();
}

Geralqub::ConnectionSettings DbConnection::settings() const
{
    if (m_settingsTaken)
        return m_settings;
    return Geralqub::parseConnectionString(Geralqub::_GetStringConexQub(m_fixedString));
}

bool DbConnection::fail(DbError::Cause cause, const QString &name, const QString &text, const QString &code)
{
    m_error = DbError{cause, name, text, code};
    return false;
}

// Callers hand over the error only once they are done with the query that failed: a lost
// connection drops the session, and with it every query made on it.
bool DbConnection::failWith(const QString &name, const QSqlError &error)
{
    fail(causeOf(error, m_settings.kind), name, wordsOf(error), error.nativeErrorCode());
    // Both kinds refuse to commit after this, so a function behaves the same on each: a
    // PostgreSQL transaction cannot go on after a failed statement.
    if (m_inTransaction)
        m_transactionSpoiled = true;
    if (m_error.unreachable()) { // the driver may already call the session closed
        m_error.lost = true;
        dropSession();
    }
    return false;
}

// The server ended the session (restart, an administrator's kill, a network cut): its
// prepared statements died with it. An open transaction is gone on the server too; it stays
// open here, spoiled, so that nothing more runs in it and its commit fails, until the owner
// ends it; the next call after that connects afresh.
void DbConnection::dropSession()
{
    const bool wasInTransaction = m_inTransaction;
    const DbError error = m_error;
    close();
    m_error = error;
    if (!wasInTransaction)
        return;
    m_inTransaction = true;
    m_transactionSpoiled = true;
    m_transactionLost = true;
    QMutexLocker lock(&registryLock());
    openTransactions().append(this);
}

static std::function<void()> &connectedHook()
{
    static std::function<void()> hook;
    return hook;
}

void setConnectedHook(std::function<void()> hook)
{
    connectedHook() = std::move(hook);
}

bool DbConnection::open()
{
    // Reconnecting now would let the rest of a transaction the server lost run and commit
    // piecemeal; its owner must end it first.
    if (m_transactionLost) {
        fail(Cause::Unreachable, QString(), lostTransactionText);
        m_error.lost = true;
        return false;
    }
    bool connected = false;
    bool restarting = false;
    for (int pause = 0;; ++pause) {
        if (openOnce(&connected, &restarting))
            return true;
        // A base that answered a moment ago and now refuses us is restarting: it is waited for,
        // a little at a time and for some seconds in all, so that the call goes through once it
        // is back instead of failing in the cashier's face. A base away longer fails at once
        // until it answers again.
        if (!restarting || pause == restartWaitPauses || !answeredLately(m_openedString))
            break;
        if (pause == 0)
            qInfo().noquote() << "DbConnection:" << m_role << "the server refuses connections, as while it restarts;"
                              << "waiting for it";
        Clock::sleep(restartWaitPauseMs);
    }
    // The server took the connection and then ended the session before its settings were
    // applied (a restart, or an administrator ending every session, just as this one
    // connected): nothing of the caller's ran on it, so a second connect cannot do anything
    // twice. A connect the server refused or cut off is the caller's to try again.
    if (!connected || !m_error.lost)
        return false;
    qInfo().noquote() << "DbConnection:" << m_role << "session ended by the server while connecting; connecting again";
    return openOnce(&connected, &restarting);
}

bool DbConnection::openOnce(bool *connected, bool *restarting)
{
    *connected = false;
    *restarting = false;
    close();
    m_error = DbError{};
    const OpeningGuard opening(m_opening);
    m_openedString = Geralqub::_GetStringConexQub(m_fixedString);
    m_settings = Geralqub::parseConnectionString(m_openedString);
    m_settingsTaken = true;
    if (!m_settings.isValid())
        return fail(Cause::ConnectFailed, QString(), m_settings.error);
    const bool sqlite = m_settings.kind == DatabaseKind::SQLite;
    const QString driver = sqlite ? QStringLiteral("QSQLITE") : QStringLiteral("QPSQL");
    if (!QSqlDatabase::isDriverAvailable(driver))
        return fail(Cause::ConnectFailed, QString(), QStringLiteral("o driver %1 não está instalado").arg(driver));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, m_connectionName);
        db.setDatabaseName(m_settings.database);
        if (sqlite) {
            QDir().mkpath(QFileInfo(m_settings.database).absolutePath());
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(m_busyTimeout));
        } else {
            db.setHostName(m_settings.host);
            db.setPort(m_settings.port);
            db.setUserName(m_settings.user);
            db.setPassword(m_settings.password);
            if (m_connectTimeout > 0)
                db.setConnectOptions(QStringLiteral("connect_timeout=%1").arg(m_connectTimeout));
        }
        if (!db.open()) {
            const QSqlError error = db.lastError();
            fail(causeOf(error, m_settings.kind), QString(), wordsOf(error), error.nativeErrorCode());
            if (m_error.cause == Cause::Statement)
                m_error.cause = Cause::ConnectFailed;
            m_error.lost = m_error.unreachable() && endedByServer(error);
            *restarting = m_error.unreachable() && isRestarting(error);
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(m_connectionName);
            return false;
        }
    }
    *connected = true;
    if (connectedHook())
        connectedHook()();
    if (!SetADODBSession(*this)) {
        const DbError error = m_error;
        close();
        m_error = error;
        return false;
    }
    noteAnswered(m_openedString);
    return true;
}

void DbConnection::closeIfStale()
{
    if (isOpen() && Geralqub::_GetStringConexQub(m_fixedString) != m_openedString)
        close();
}

void DbConnection::forgetQueries()
{
    m_prepared.clear();
}

void DbConnection::close()
{
    if (m_inTransaction) {
        QMutexLocker lock(&registryLock());
        openTransactions().removeAll(this);
    }
    m_inTransaction = false;
    m_transactionSpoiled = false;
    m_transactionLost = false;
    m_settingsTaken = false; // the next open, or settings(), reads the string in force again
    forgetQueries();
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool DbConnection::isOpen() const
{
    return QSqlDatabase::contains(m_connectionName) && QSqlDatabase::database(m_connectionName, false).isOpen();
}

bool DbConnection::runPlain(const QString &name, const QString &sql)
{
    QSqlError error;
    {
        QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
        if (query.exec(sql))
            return true;
        error = query.lastError();
    }
    return failWith(name, error);
}

bool DbConnection::begin()
{
    if (m_inTransaction)
        return true;
    if (!isOpen() && !open())
        return false;
    const bool sqlite = m_settings.kind == DatabaseKind::SQLite;
    const QString beginText = sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN");
    // Nothing is written before BEGIN: a session the server ended while idle is replaced once.
    if (!runPlain(QStringLiteral("BEGIN"), beginText)
        && !(m_error.lost && open() && runPlain(QStringLiteral("BEGIN"), beginText)))
        return false;
    m_inTransaction = true;
    m_transactionSpoiled = false;
    m_transactionThread = QThread::currentThread();
    QMutexLocker lock(&registryLock());
    openTransactions().append(this);
    return true;
}

void DbConnection::endTransaction()
{
    m_inTransaction = false;
    m_transactionSpoiled = false;
    m_transactionLost = false;
    QMutexLocker lock(&registryLock());
    openTransactions().removeAll(this);
}

bool DbConnection::commit()
{
    if (!m_inTransaction)
        return true;
    // PostgreSQL answers COMMIT of a transaction spoiled by a failed statement with a silent
    // rollback; say so instead of reporting the work as saved (on both kinds, alike).
    if (m_transactionSpoiled) {
        const bool lost = m_transactionLost;
        const DbError cause = m_error;
        rollback();
        if (lost) {
            fail(Cause::Unreachable, QStringLiteral("COMMIT"), lostTransactionText);
            m_error.lost = true;
            return false;
        }
        return fail(Cause::Statement, QStringLiteral("COMMIT"),
                    QStringLiteral("a transação foi desfeita porque um comando falhou antes (%1: %2)")
                        .arg(cause.statement, cause.databaseText));
    }
    const bool ok = runPlain(QStringLiteral("COMMIT"), QStringLiteral("COMMIT"));
    if (!ok) {
        const DbError error = m_error;
        rollback();
        m_error = error;
    }
    endTransaction();
    return ok;
}

bool DbConnection::rollback()
{
    if (!m_inTransaction)
        return true;
    const bool ok = !isOpen() || runPlain(QStringLiteral("ROLLBACK"), QStringLiteral("ROLLBACK"));
    endTransaction();
    return ok;
}

DbConnection::Prepared *DbConnection::prepare(const QString &name, const QString &sql)
{
    if (auto found = m_prepared.find(sql); found != m_prepared.end())
        return found->get();
    auto prepared = std::make_shared<Prepared>();
    prepared->query = QSqlQuery(QSqlDatabase::database(m_connectionName, false));
    prepared->query.setNumericalPrecisionPolicy(QSql::LowPrecisionDouble);
    prepared->text = toPositional(sql, &prepared->names);
    // PostgreSQL prepares only queries and row changes; a text without parameters (DDL,
    // session settings) runs as it is.
    if (!prepared->names.isEmpty() && !prepared->query.prepare(prepared->text)) {
        const QSqlError error = prepared->query.lastError();
        prepared.reset();
        failWith(name, error);
        return nullptr;
    }
    m_prepared.insert(sql, prepared);
    return prepared.get();
}

static std::atomic<ValueFitter> valueFitter{nullptr};

void setValueFitter(ValueFitter fitter)
{
    valueFitter.store(fitter);
}

static const Param *findParam(const Params &params, const QString &name)
{
    for (const Param &param : params) {
        if (param.name.compare(name, Qt::CaseInsensitive) == 0)
            return &param;
    }
    return nullptr;
}

// A read changes nothing, so running it again on a fresh session cannot do anything twice.
static bool isRead(const QString &sql)
{
    return sql.trimmed().startsWith(QLatin1String("SELECT"), Qt::CaseInsensitive)
        && !sql.contains(QLatin1String("FOR UPDATE"), Qt::CaseInsensitive);
}

// A session the server ended while it sat idle (a restart, an administrator's kill) is found
// out only by the next request. When that request could not have done anything (a read, or
// a statement the server never got to run) and no transaction of this session depends on the
// old session, it is made once more on a fresh session instead of failing: the operator never
// sees the loss of a session nobody was using.
bool DbConnection::execute(const QString &name, const QString &sql, const Params &params, QueryRows *rows)
{
    const bool inTransaction = m_inTransaction;
    if (!m_opening && endedWhileIdle()) {
        qInfo().noquote() << "DbConnection:" << m_role << "session ended by the server while idle; connecting again for"
                          << name;
        close();
    }
    bool ran = false;
    if (executeOnce(name, sql, params, rows, &ran))
        return true;
    if (!m_error.lost || inTransaction || m_opening || (ran && !isRead(sql)))
        return false;
    qInfo().noquote() << "DbConnection:" << m_role << "session ended by the server; trying" << name
                      << "again on a fresh one";
    return executeOnce(name, sql, params, rows, &ran);
}

// A PostgreSQL server that ends a session sends its goodbye at once, while the session sits
// idle: a socket with something to read when no request is in flight belongs to a session that
// is over. Seen before a statement is sent, the session is replaced and the statement runs once,
// on the fresh one; a write sent into the ended session could not be made again safely, since
// nothing would tell it from a write whose answer was lost. (Anything else the server might send
// unasked only costs a reconnect.)
bool DbConnection::endedWhileIdle() const
{
    if (m_inTransaction || !m_settingsTaken || m_settings.kind != DatabaseKind::PostgreSql || !isOpen())
        return false;
    const QVariant handle = QSqlDatabase::database(m_connectionName, false).driver()->handle();
    // The driver names the handle by libpq's struct or by its typedef.
    if (qstrcmp(handle.typeName(), "pg_conn*") != 0 && qstrcmp(handle.typeName(), "PGconn*") != 0)
        return false;
    PGconn *connection = *static_cast<PGconn *const *>(handle.constData());
    const int socket = connection ? PQsocket(connection) : -1;
    if (socket < 0)
        return true;
    pollfd waiting{socket, POLLIN, 0};
    return ::poll(&waiting, 1, 0) > 0;
}

bool DbConnection::executeOnce(const QString &name, const QString &sql, const Params &params, QueryRows *rows,
                               bool *ran)
{
    *ran = false;
    m_error = DbError{};
    if (m_transactionLost) {
        fail(Cause::Unreachable, name, lostTransactionText);
        m_error.lost = true;
        return false;
    }
    if (!isOpen() && !open()) {
        m_error.statement = name;
        return false;
    }
    Prepared *prepared = prepare(name, sql);
    if (!prepared)
        return false;
    for (const Param &param : params) {
        if (!prepared->names.contains(param.name, Qt::CaseInsensitive))
            return fail(Cause::Parameters, name, QStringLiteral("o comando não tem o parâmetro %1").arg(param.name));
    }
    for (int i = 0; i < prepared->names.size(); ++i) {
        const Param *param = findParam(params, prepared->names.at(i));
        QVariant value;
        if (!param)
            return fail(Cause::Parameters, name, QStringLiteral("falta o valor do parâmetro %1").arg(prepared->names.at(i)));
        const ValueFitter fitter = valueFitter.load();
        if (!toDriverValue(fitter ? fitter(param->name, param->value) : param->value, &value))
            return fail(Cause::Parameters, name, QStringLiteral("valor impróprio para o parâmetro %1").arg(param->name));
        prepared->query.bindValue(i, value);
    }
    QSqlQuery &query = prepared->query;
    *ran = true;
    if (!(prepared->names.isEmpty() ? query.exec(prepared->text) : query.exec())) {
        const QSqlError error = query.lastError();
        query.finish();
        return failWith(name, error); // may drop the session, `query` included
    }
    if (rows) {
        *rows = QueryRows{};
        const QSqlRecord record = query.record();
        for (int c = 0; c < record.count(); ++c) {
            rows->columns.append(record.fieldName(c).toUpper());
            rows->types.append(record.field(c).metaType());
        }
        while (query.next()) {
            QList<QVariant> row;
            row.reserve(record.count());
            for (int c = 0; c < record.count(); ++c)
                row.append(query.value(c));
            rows->rows.append(row);
        }
        rows->rowsAffected = query.numRowsAffected();
    }
    query.finish();
    noteAnswered(m_openedString);
    return true;
}

bool DbConnection::check(const QString &name, const QString &sql)
{
    m_error = DbError{};
    if (!isOpen() && !open())
        return false;
    QStringList names;
    QSqlError error;
    {
        QSqlQuery query(QSqlDatabase::database(m_connectionName, false));
        if (query.prepare(toPositional(sql, &names)))
            return true;
        error = query.lastError();
    }
    return failWith(name, error);
}

DbConnection *DbConnection::openSqliteTransactionOn(const QString &file)
{
    QMutexLocker lock(&registryLock());
    for (DbConnection *connection : openTransactions()) {
        if (connection->m_transactionThread == QThread::currentThread()
            && connection->m_settings.kind == DatabaseKind::SQLite
            && QFileInfo(connection->m_settings.database) == QFileInfo(file))
            return connection;
    }
    return nullptr;
}

bool isUnreachable(const DbError &error)
{
    return error.unreachable();
}

QString ADOExceptionMessage(const DbError &error, const DbConnection &connection, const QString &extra)
{
    QString text;
    if (error.unreachable() && error.lost) {
        text = QStringLiteral("[DBNETLIB] A conexão com o servidor de banco de dados caiu (%1): %2. "
                              "A próxima operação conecta de novo.")
                   .arg(connection.settings().describe(), error.databaseText);
    } else if (error.unreachable()) {
        text = QStringLiteral("[DBNETLIB] O servidor de banco de dados não responde (%1): %2")
                   .arg(connection.settings().describe(), error.databaseText);
    } else if (error.cause == DbError::Cause::Busy) {
        text = QStringLiteral("A base de dados está ocupada por outro processo; tente novamente (%1)")
                   .arg(error.databaseText);
    } else if (error.cause == DbError::Cause::ConnectFailed) {
        text = QStringLiteral("Não foi possível abrir a base de dados (%1): %2")
                   .arg(connection.settings().describe(), error.databaseText);
    } else {
        text = error.databaseText;
    }
    if (!error.statement.isEmpty())
        text += QStringLiteral(" [%1]").arg(error.statement);
    if (!extra.isEmpty())
        text += QLatin1Char(' ') + extra;
    return text;
}

QString operatorText(const QString &errorText, QString *technical)
{
    static const QString mark = QStringLiteral("[DBNETLIB]");
    const qsizetype at = errorText.indexOf(mark);
    if (technical)
        *technical = at < 0 ? QString() : errorText.mid(at);
    if (at < 0)
        return errorText;
    const QString raw = errorText.mid(at);
    const bool lost = raw.contains(QLatin1String("caiu"));
    const QString words = lost
        ? QStringLiteral("A conexão com o servidor de banco de dados caiu durante a operação, que não foi concluída. "
                         "A venda continua na tela: tente de novo.")
        : QStringLiteral("O servidor de banco de dados não responde agora. A venda continua na tela: tente de novo "
                         "em instantes.");
    return errorText.left(at) + words;
}

bool SetADODBSession(DbConnection &connection)
{
    const QStringList settings = connection.kind() == DatabaseKind::SQLite
        ? QStringList{QStringLiteral("PRAGMA journal_mode=WAL"), QStringLiteral("PRAGMA synchronous=NORMAL"),
                      QStringLiteral("PRAGMA foreign_keys=ON")}
        : QStringList{QStringLiteral("SET client_encoding TO 'UTF8'"), QStringLiteral("SET datestyle TO 'ISO, DMY'")};
    for (const QString &setting : settings) {
        if (!connection.execute(QStringLiteral("SetADODBSession"), setting, {}))
            return false;
    }
    return true;
}

} // namespace Qub_movrela
