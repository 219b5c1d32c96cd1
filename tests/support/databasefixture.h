#pragma once

#include <outside/qub_movrela_db.h>
#include <outside/srv_registro.h>

#include <runtime/variant.h>

#include <QList>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

// A fresh base of one kind for one test: a temporary site folder (SitePaths points at it),
// a SQLite file in its Dados folder or a fresh PostgreSQL database on the test cluster
// (VENDACONS_TEST_PG, which ./test sets), named in the site's Dados/Conexao.txt, and a fresh
// data module (rdmVendaCons) connected to it with the schema created.
class TestBase
{
public:
    explicit TestBase(DatabaseKind kind);
    ~TestBase();
    TestBase(const TestBase &) = delete;
    TestBase &operator=(const TestBase &) = delete;

    // Whether PostgreSQL tests can run here (VENDACONS_TEST_PG is set).
    static bool postgresConfigured();

    bool ok() const { return m_error.isEmpty(); }
    const QString &error() const { return m_error; }
    DatabaseKind kind() const { return m_kind; }
    QString siteFolder() const { return m_site.path(); }
    const QString &connectionString() const { return m_connectionString; }

private:
    bool createPostgresDatabase();
    void dropPostgresDatabase();

    DatabaseKind m_kind;
    QTemporaryDir m_site;
    QString m_connectionString;
    QString m_postgresName;
    QString m_error;
};

// Value-parameterised over the two kinds: a test on PostgreSQL skips, with a message, when
// no test cluster is configured.
//
//   class MyTest : public DatabaseTest {};
//   TEST_P(MyTest, Something) { ... Srv_Kal51000::... }
//   VENDACONS_DATABASE_KINDS(MyTest);
class DatabaseTest : public ::testing::TestWithParam<DatabaseKind>
{
protected:
    void SetUp() override;
    void TearDown() override;

    TestBase &base() { return *m_base; }
    DatabaseKind kind() const { return GetParam(); }

    // Arranging and checking rows on a session of its own (autocommit), outside the data
    // module. A failing statement fails the test.
    void exec(const QString &sql, const Qub_movrela::Params &params = {});
    QList<QList<QVariant>> rows(const QString &sql, const Qub_movrela::Params &params = {});

private:
    std::unique_ptr<TestBase> m_base;
    std::unique_ptr<Qub_movrela::DbConnection> m_helper;
};

// Test failures show texts and values readably.
void PrintTo(const QString &text, std::ostream *out);
void PrintTo(const Variant &value, std::ostream *out);

// Test names and messages show the kind by name.
void PrintTo(DatabaseKind kind, std::ostream *out);
std::string databaseKindName(const ::testing::TestParamInfo<DatabaseKind> &info);

#define VENDACONS_DATABASE_KINDS(Suite)                                                         \
    INSTANTIATE_TEST_SUITE_P(Kinds, Suite,                                                      \
                             ::testing::Values(DatabaseKind::SQLite, DatabaseKind::PostgreSql), \
                             databaseKindName)
