#include "databasefixture.h"

#include <outside/geralqub.h>
#include <outside/qub_proximocodigo.h>
#include <server/schema.h>
#include <server/trdmvendacons.h>

#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cstdio>

namespace {

QAtomicInteger<int> databaseCounter;

QString adminString()
{
    return qEnvironmentVariable("VENDACONS_TEST_PG");
}

bool adminExec(const QString &sql, QString *error)
{
    Qub_movrela::DbConnection admin(QStringLiteral("testAdmin"), 10);
    admin.useConnectionString(adminString());
    if (admin.execute(QStringLiteral("testAdmin"), sql, {}))
        return true;
    *error = Qub_movrela::ADOExceptionMessage(admin.lastError(), admin, QString());
    return false;
}

// Creating the schema costs more than most tests do: it is made once, in a SQLite base kept
// beside the test program, and every SQLite test base starts as a copy of it. The copy serves
// every process ctest starts and is made again when the program is newer than it. Empty when
// it could not be made (each base then creates its own schema).
QString sqliteTemplate()
{
    static const QString path = [] {
        const QFileInfo program(QCoreApplication::applicationFilePath());
        const QString file = program.absoluteFilePath() + QStringLiteral(".schema.db");
        const QFileInfo made(file);
        if (made.exists() && made.lastModified() >= program.lastModified())
            return file;
        // Made under a name of this process, then renamed over the old one in one step, so a
        // test starting meanwhile copies a whole base.
        const QString scratch = file + QStringLiteral(".%1").arg(QCoreApplication::applicationPid());
        QFile::remove(scratch);
        bool ok = false;
        {
            Qub_movrela::DbConnection connection(QStringLiteral("testTemplate"), 10);
            connection.useConnectionString(Geralqub::sqliteConnectionString(scratch));
            ok = connection.open() && !Schema::upgrade(connection).isFailure();
        }
        if (ok && std::rename(QFile::encodeName(scratch).constData(), QFile::encodeName(file).constData()) == 0)
            return file;
        QFile::remove(scratch);
        return QString();
    }();
    return path;
}

bool adminRows(const QString &sql, Qub_movrela::QueryRows *rows)
{
    Qub_movrela::DbConnection admin(QStringLiteral("testAdmin"), 10);
    admin.useConnectionString(adminString());
    return admin.execute(QStringLiteral("testAdmin"), sql, {}, rows);
}

// The same for PostgreSQL: every test base is a copy of a database holding the schema, made by
// the first test of each program build and kept in the cluster. Eight tests creating the schema
// at once each took seconds of the server's catalogue; a copy takes a fraction. The template
// takes no connections (as template0), so no session or autovacuum worker blocks a copy. Empty
// when it could not be made (each base then starts from template0 and creates its own).
QString postgresTemplate(const Geralqub::ConnectionSettings &admin)
{
    static const QString name = [&admin] {
        const QFileInfo program(QCoreApplication::applicationFilePath());
        const QString family = QStringLiteral("vc_schema_") + program.fileName().toLower().replace(QRegularExpression(QStringLiteral("[^a-z0-9]")), QStringLiteral("_"));
        const QString wanted = family + QStringLiteral("_%1").arg(program.lastModified().toSecsSinceEpoch());
        Qub_movrela::QueryRows found;
        if (!adminRows(QStringLiteral("SELECT datname FROM pg_database WHERE datname LIKE '%1_%'").arg(family), &found))
            return QString();
        for (const QList<QVariant> &row : found.rows) {
            if (row.value(0).toString() == wanted)
                return wanted;
        }
        // Made under a name of this process and renamed in one step, so a test starting
        // meanwhile never copies a half-made schema; a second process that lost the race drops
        // its own and copies the winner's.
        const QString scratch = QStringLiteral("vc_scratch_%1").arg(QCoreApplication::applicationPid());
        QString error;
        adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(scratch), &error);
        if (!adminExec(QStringLiteral("CREATE DATABASE %1 TEMPLATE template0").arg(scratch), &error))
            return QString();
        bool ok = false;
        {
            QString text = QStringLiteral("Provider=POSTGRESQL;Host=%1;Port=%2;Database=%3;User=%4")
                               .arg(admin.host).arg(admin.port).arg(scratch, admin.user);
            if (!admin.password.isEmpty())
                text += QStringLiteral(";Password=") + admin.password;
            Qub_movrela::DbConnection connection(QStringLiteral("testTemplate"), 10);
            connection.useConnectionString(text);
            ok = connection.open() && !Schema::upgrade(connection).isFailure();
        }
        if (ok)
            ok = adminExec(QStringLiteral("ALTER DATABASE %1 WITH ALLOW_CONNECTIONS false IS_TEMPLATE true").arg(scratch), &error)
                && adminExec(QStringLiteral("ALTER DATABASE %1 RENAME TO %2").arg(scratch, wanted), &error);
        if (!ok) {
            adminExec(QStringLiteral("ALTER DATABASE %1 WITH IS_TEMPLATE false").arg(scratch), &error);
            adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(scratch), &error);
            Qub_movrela::QueryRows again;
            if (adminRows(QStringLiteral("SELECT datname FROM pg_database WHERE datname = '%1'").arg(wanted), &again)
                && !again.rows.isEmpty())
                return wanted;
            return QString();
        }
        // Templates of earlier builds of this program are no longer copied.
        for (const QList<QVariant> &row : found.rows) {
            const QString old = row.value(0).toString();
            if (adminExec(QStringLiteral("ALTER DATABASE %1 WITH IS_TEMPLATE false").arg(old), &error))
                adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(old), &error);
        }
        return wanted;
    }();
    return name;
}

} // namespace

TestBase::TestBase(DatabaseKind kind)
    : m_kind(kind)
{
    // The environment must not point the test at some other base.
    qunsetenv("VENDACONS_DB");
    SitePaths::setHome(m_site.path());
    QDir(m_site.path()).mkpath(QStringLiteral("Dados"));
    if (kind == DatabaseKind::SQLite) {
        const QString file = QDir(m_site.path()).filePath(QStringLiteral("Dados/VendaCons.db"));
        if (!sqliteTemplate().isEmpty())
            QFile::copy(sqliteTemplate(), file);
        m_connectionString = Geralqub::sqliteConnectionString(file);
    } else if (!createPostgresDatabase()) {
        return;
    }
    QFile file(QDir(m_site.path()).filePath(QStringLiteral("Dados/Conexao.txt")));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        m_error = QStringLiteral("cannot write Conexao.txt");
        return;
    }
    file.write(m_connectionString.toUtf8() + '\n');
    file.close();
    setRdmVendaCons(std::make_unique<TrdmVendaCons>());
    QString error;
    if (!rdmVendaCons().connect(&error))
        m_error = error;
}

TestBase::~TestBase()
{
    setRdmVendaCons(nullptr);
    Qub_proximocodigo::releaseIdleSession();
    if (!m_postgresName.isEmpty())
        dropPostgresDatabase();
    SitePaths::setHome(QString());
    Clock::setNow({});
    Clock::setSleeper({});
}

bool TestBase::postgresConfigured()
{
    return !adminString().isEmpty();
}

bool TestBase::createPostgresDatabase()
{
    const Geralqub::ConnectionSettings admin = Geralqub::parseConnectionString(adminString());
    if (!admin.isValid()) {
        m_error = QStringLiteral("VENDACONS_TEST_PG: ") + admin.error;
        return false;
    }
    m_postgresName = QStringLiteral("vc_test_%1_%2").arg(QCoreApplication::applicationPid()).arg(++databaseCounter);
    // From a template no session ever connects to: copying template1 fails while another test
    // process happens to be copying it too ("being accessed by other users").
    const QString source = postgresTemplate(admin).isEmpty() ? QStringLiteral("template0") : postgresTemplate(admin);
    if (!adminExec(QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(m_postgresName, source), &m_error)) {
        m_postgresName.clear();
        return false;
    }
    m_connectionString = QStringLiteral("Provider=POSTGRESQL;Host=%1;Port=%2;Database=%3;User=%4")
                             .arg(admin.host).arg(admin.port).arg(m_postgresName, admin.user);
    if (!admin.password.isEmpty())
        m_connectionString += QStringLiteral(";Password=") + admin.password;
    return true;
}

void TestBase::dropPostgresDatabase()
{
    QString error;
    if (!adminExec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_postgresName), &error))
        qWarning().noquote() << "TestBase: could not drop" << m_postgresName << error;
}

void DatabaseTest::SetUp()
{
    if (GetParam() == DatabaseKind::PostgreSql && !TestBase::postgresConfigured())
        GTEST_SKIP() << "PostgreSQL tests need VENDACONS_TEST_PG (./test starts a cluster with scripts/pg-test-cluster)";
    m_base = std::make_unique<TestBase>(GetParam());
    ASSERT_TRUE(m_base->ok()) << m_base->error().toStdString();
    m_helper = std::make_unique<Qub_movrela::DbConnection>(QStringLiteral("testHelper"));
    m_helper->useConnectionString(m_base->connectionString());
}

void DatabaseTest::TearDown()
{
    m_helper.reset();
    m_base.reset();
}

void DatabaseTest::exec(const QString &sql, const Qub_movrela::Params &params)
{
    // A skipped test, or one whose base could not be made (already a failure), has no helper;
    // a derived fixture's set-up that goes on filling it must not crash the whole program.
    if (!m_helper)
        return;
    ASSERT_TRUE(m_helper->execute(QStringLiteral("test"), sql, params))
        << m_helper->lastError().databaseText.toStdString() << " in " << sql.toStdString();
}

QList<QList<QVariant>> DatabaseTest::rows(const QString &sql, const Qub_movrela::Params &params)
{
    Qub_movrela::QueryRows result;
    if (!m_helper)
        return {};
    EXPECT_TRUE(m_helper->execute(QStringLiteral("test"), sql, params, &result))
        << m_helper->lastError().databaseText.toStdString() << " in " << sql.toStdString();
    return result.rows;
}

std::string databaseKindName(const ::testing::TestParamInfo<DatabaseKind> &info)
{
    return info.param == DatabaseKind::SQLite ? "SQLite" : "PostgreSQL";
}

void PrintTo(DatabaseKind kind, std::ostream *out)
{
    *out << Srv_registro::kindName(kind).toStdString();
}

void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

void PrintTo(const Variant &value, std::ostream *out)
{
    *out << describe(value).toStdString();
}
