#include <outside/geralqub.h>
#include <outside/qub_movrela_db.h>
#include <outside/srv_registro.h>

#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ParseCase
{
    const char *name;
    const char *text;
    DatabaseKind kind;
    const char *database; // "" when the text is refused
    const char *errorPart;
};

class ConnectionStrings : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(ConnectionStrings, AreReadOrRefusedClearly)
{
    const ParseCase c = GetParam();
    const Geralqub::ConnectionSettings s = Geralqub::parseConnectionString(QString::fromUtf8(c.text));
    if (*c.errorPart) {
        EXPECT_FALSE(s.isValid());
        EXPECT_TRUE(s.error.contains(QString::fromUtf8(c.errorPart))) << s.error.toStdString();
        return;
    }
    ASSERT_TRUE(s.isValid()) << s.error.toStdString();
    EXPECT_EQ(s.kind, c.kind);
    EXPECT_EQ(s.database.toStdString(), c.database);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ConnectionStrings,
    ::testing::Values(
        ParseCase{"SqliteAbsolute", "Provider=SQLITE;Database=/tmp/x.db", DatabaseKind::SQLite, "/tmp/x.db", ""},
        ParseCase{"KeysWithoutCase", "provider=sqlite; DATABASE = /tmp/y.db ;", DatabaseKind::SQLite, "/tmp/y.db", ""},
        ParseCase{"Postgres", "Provider=POSTGRESQL;Host=db;Port=5433;Database=loja;User=caixa;Password=s;e",
                  DatabaseKind::PostgreSql, "", "não reconhecido"},
        ParseCase{"PostgresFull", "Provider=POSTGRESQL;Host=db;Port=5433;Database=loja;User=caixa;Password=x",
                  DatabaseKind::PostgreSql, "loja", ""},
        ParseCase{"UnknownKind", "Provider=ORACLE;Database=x", DatabaseKind::SQLite, "", "ORACLE"},
        ParseCase{"UnknownKey", "Provider=SQLITE;Databse=x", DatabaseKind::SQLite, "", "Databse"},
        ParseCase{"NoProvider", "Database=x", DatabaseKind::SQLite, "", "Provider"},
        ParseCase{"NoDatabase", "Provider=SQLITE", DatabaseKind::SQLite, "", "Database"},
        ParseCase{"NoHost", "Provider=POSTGRESQL;Database=x", DatabaseKind::SQLite, "", "Host"},
        ParseCase{"BadPort", "Provider=POSTGRESQL;Host=h;Port=abc;Database=x", DatabaseKind::SQLite, "", "porta"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ConnectionStrings, DescribingNeverShowsThePassword)
{
    const auto s = Geralqub::parseConnectionString("Provider=POSTGRESQL;Host=h;Database=d;User=u;Password=segredo");
    EXPECT_FALSE(s.describe().contains("segredo"));
}

class ConnectionSource : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qunsetenv("VENDACONS_DB");
        SitePaths::setHome(m_site.path());
    }
    void TearDown() override
    {
        qunsetenv("VENDACONS_DB");
        SitePaths::setHome(QString());
    }
    void writeSiteFile(const QByteArray &content)
    {
        QDir(m_site.path()).mkpath("DADOS"); // any case of the folder name
        QFile file(QDir(m_site.path()).filePath("DADOS/Conexao.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QTemporaryDir m_site;
};

TEST_F(ConnectionSource, DefaultsToSqliteInTheSiteDataFolder)
{
    const auto s = Geralqub::parseConnectionString(Geralqub::_GetStringConexQub(""));
    EXPECT_EQ(s.kind, DatabaseKind::SQLite);
    EXPECT_EQ(s.database, SitePaths::resolve("Dados\\VendaCons.db"));
    EXPECT_EQ(Srv_registro::_UsedDatabase(), "SQLITE");
}

TEST_F(ConnectionSource, TheSiteFileWinsOverTheDefault)
{
    writeSiteFile("# base da loja\n\nProvider=POSTGRESQL;Host=10.0.0.5;Database=loja;User=caixa\n");
    EXPECT_EQ(Geralqub::_GetStringConexQub(""), "Provider=POSTGRESQL;Host=10.0.0.5;Database=loja;User=caixa");
    EXPECT_EQ(Srv_registro::_UsedDatabase(), "POSTGRESQL");
}

TEST_F(ConnectionSource, TheEnvironmentWinsOverTheSiteFile)
{
    writeSiteFile("Provider=POSTGRESQL;Host=10.0.0.5;Database=loja;User=caixa\n");
    qputenv("VENDACONS_DB", "Provider=SQLITE;Database=outra.db");
    EXPECT_EQ(Srv_registro::_UsedDatabase(), "SQLITE");
    EXPECT_EQ(Geralqub::parseConnectionString(Geralqub::_GetStringConexQub("")).database,
              QDir(m_site.path()).filePath("outra.db"));
}

quint16 closedLocalPort()
{
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    const quint16 port = server.serverPort();
    server.close();
    return port;
}

TEST_F(ConnectionSource, AnUnreachableServerIsSaidPlainlyAndKeepsTheOldMark)
{
    writeSiteFile(QStringLiteral("Provider=POSTGRESQL;Host=127.0.0.1;Port=%1;Database=x;User=u;Password=segredo\n")
                      .arg(closedLocalPort()).toUtf8());
    Qub_movrela::DbConnection probe("adcTesteConexao", 6);
    EXPECT_FALSE(probe.open());
    EXPECT_TRUE(probe.lastError().unreachable());
    EXPECT_TRUE(Qub_movrela::isUnreachable(probe.lastError()));
    const QString text = Qub_movrela::ADOExceptionMessage(probe.lastError(), probe, "");
    EXPECT_TRUE(text.contains("DBNETLIB")) << text.toStdString();
    EXPECT_TRUE(text.contains("não responde")) << text.toStdString();
    EXPECT_FALSE(text.contains("segredo"));
}

TEST_F(ConnectionSource, AnUnopenableSqliteFileGivesAClearText)
{
    writeSiteFile("");
    QFile blocker(QDir(m_site.path()).filePath("arquivo"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    qputenv("VENDACONS_DB", "Provider=SQLITE;Database=arquivo/base.db");
    Qub_movrela::DbConnection connection("adcVendaCons");
    EXPECT_FALSE(connection.open());
    EXPECT_EQ(connection.lastError().cause, Qub_movrela::DbError::Cause::ConnectFailed);
    const QString text = Qub_movrela::ADOExceptionMessage(connection.lastError(), connection, "");
    EXPECT_TRUE(text.startsWith("Não foi possível abrir a base de dados")) << text.toStdString();
}

// SQLite's driver files a statement's failed step (a trigger's or a constraint's refusal) as a
// connection error: on an open base it is the statement that was refused.
TEST_F(ConnectionSource, ARowTheOpenBaseRefusesIsARefusedStatementNotAFailedOpen)
{
    writeSiteFile("");
    Qub_movrela::DbConnection connection("adcVendaCons");
    ASSERT_TRUE(connection.open());
    ASSERT_TRUE(connection.execute("criaTabela", "CREATE TABLE T (A INTEGER)", {}));
    ASSERT_TRUE(connection.execute("criaGatilho",
                                   "CREATE TRIGGER recusa BEFORE INSERT ON T BEGIN SELECT RAISE(ABORT, 'disco cheio'); END",
                                   {}));
    EXPECT_FALSE(connection.execute("gravaT", "INSERT INTO T (A) VALUES (:P_A)", {{"P_A", 1}}));
    EXPECT_EQ(connection.lastError().cause, Qub_movrela::DbError::Cause::Statement);
    const QString text = Qub_movrela::ADOExceptionMessage(connection.lastError(), connection, "");
    EXPECT_FALSE(text.contains("abrir")) << text.toStdString();
    EXPECT_TRUE(text.contains("disco cheio")) << text.toStdString();
}

TEST_F(ConnectionSource, AnUnreadableConnectionStringIsAFailedConnect)
{
    qputenv("VENDACONS_DB", "Provider=ORACLE;Database=x");
    Qub_movrela::DbConnection connection("adcVendaCons");
    EXPECT_FALSE(connection.open());
    EXPECT_TRUE(Qub_movrela::ADOExceptionMessage(connection.lastError(), connection, "").contains("ORACLE"));
}

} // namespace
