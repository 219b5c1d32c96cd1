#pragma once

#include <support/databasefixture.h>

#include <outside/qub_movrela_db.h>
#include <server/trdmvendacons.h>

#include <runtime/clock.h>
#include <runtime/datapacket.h>
#include <runtime/variant.h>

#include <QStringList>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <tuple>

// Table-driven checks of the lookups: each case runs on a fresh base of each kind, first
// without rows (its "missing" answer), then with the rows it arranges (its "found" answer),
// then with the table it reads dropped (its "failed" answer). The clock stands at
// 2026-03-04 10:00 (a Wednesday).
namespace LookupsTest {

// Failure answers that carry the database's error text, which differs by kind; the text must
// name the dropped table.
inline const QString failure = QStringLiteral("@failure");          // Variant::failure
inline const QString failureWithE = QStringLiteral("@failureE");    // Variant::failure, text "E..."
inline const QString errorText = QStringLiteral("@error");          // the error text as a plain answer

struct Case
{
    std::string name;
    QStringList arrange;
    std::function<QString()> call;
    QString found;
    QString missing;
    QString table;
    QString failed;
};

inline QDateTime now()
{
    return QDateTime(QDate(2026, 3, 4), QTime(10, 0));
}

inline QString render(const Variant &value)
{
    if (value.isFailure())
        return QStringLiteral("FAILURE ") + value.failureText();
    if (!value.isPacket())
        return value.toString();
    QStringList rows;
    for (const QList<Variant> &row : value.packet().rows) {
        QStringList cells;
        for (const Variant &cell : row)
            cells.append(cell.toString());
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows.join(QStringLiteral("; "));
}

inline QString render(bool value)
{
    return value ? QStringLiteral("true") : QStringLiteral("false");
}

inline QString render(const QString &value)
{
    return value;
}

// Some columns of a packet, in the order given.
inline QString renderColumns(const Variant &value, const QStringList &columns)
{
    if (!value.isPacket())
        return render(value);
    QStringList rows;
    const DataPacket &packet = value.packet();
    for (int r = 0; r < packet.rows.size(); ++r) {
        QStringList cells;
        for (const QString &column : columns)
            cells.append(packet.value(r, column).toString());
        rows.append(cells.join(QLatin1Char('|')));
    }
    return rows.join(QStringLiteral("; "));
}

class Fixture
{
public:
    bool open(DatabaseKind kind, std::string *why)
    {
        m_base = std::make_unique<TestBase>(kind);
        if (!m_base->ok()) {
            *why = m_base->error().toStdString();
            return false;
        }
        Clock::setNow([] { return now(); });
        m_helper = std::make_unique<Qub_movrela::DbConnection>(QStringLiteral("lookupsHelper"));
        m_helper->useConnectionString(m_base->connectionString());
        return true;
    }

    void close()
    {
        m_helper.reset();
        m_base.reset();
    }

    ::testing::AssertionResult exec(const QString &sql)
    {
        if (m_helper->execute(QStringLiteral("lookupsTest"), sql, {}))
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << m_helper->lastError().databaseText.toStdString() << " in "
                                             << sql.toStdString();
    }

    qsizetype count(const QString &sql)
    {
        Qub_movrela::QueryRows rows;
        EXPECT_TRUE(m_helper->execute(QStringLiteral("lookupsTest"), sql, {}, &rows)) << sql.toStdString();
        return rows.rows.size();
    }

private:
    std::unique_ptr<TestBase> m_base;
    std::unique_ptr<Qub_movrela::DbConnection> m_helper;
};

inline void expectFailedAnswer(const QString &actual, const Case &c)
{
    const auto namesTable = [&](const QString &text) { return text.contains(c.table, Qt::CaseInsensitive); };
    if (c.failed == failure) {
        EXPECT_TRUE(actual.startsWith(QStringLiteral("FAILURE ")) && namesTable(actual)) << actual.toStdString();
    } else if (c.failed == failureWithE) {
        EXPECT_TRUE(actual.startsWith(QStringLiteral("FAILURE E")) && namesTable(actual)) << actual.toStdString();
    } else if (c.failed == errorText) {
        EXPECT_TRUE(!actual.startsWith(QStringLiteral("FAILURE")) && namesTable(actual)) << actual.toStdString();
    } else {
        EXPECT_EQ(actual.toStdString(), c.failed.toStdString());
    }
}

class Cases : public ::testing::TestWithParam<std::tuple<DatabaseKind, Case>>
{
protected:
    void SetUp() override
    {
        if (kind() == DatabaseKind::PostgreSql && !TestBase::postgresConfigured())
            GTEST_SKIP() << "PostgreSQL tests need VENDACONS_TEST_PG";
        std::string why;
        ASSERT_TRUE(m_fixture.open(kind(), &why)) << why;
    }
    void TearDown() override { m_fixture.close(); }

    DatabaseKind kind() const { return std::get<0>(GetParam()); }
    const Case &lookup() const { return std::get<1>(GetParam()); }

    void runCase()
    {
        const Case &c = lookup();
        EXPECT_EQ(c.call().toStdString(), c.missing.toStdString()) << "without rows";
        for (const QString &sql : c.arrange)
            ASSERT_TRUE(m_fixture.exec(sql));
        EXPECT_EQ(c.call().toStdString(), c.found.toStdString()) << "with rows";
        ASSERT_TRUE(m_fixture.exec(QStringLiteral("DROP TABLE ") + c.table));
        expectFailedAnswer(c.call(), c);
    }

    Fixture m_fixture;
};

inline std::string caseName(const ::testing::TestParamInfo<std::tuple<DatabaseKind, Case>> &info)
{
    const char *kind = std::get<0>(info.param) == DatabaseKind::SQLite ? "SQLite" : "PostgreSQL";
    return std::string(kind) + "_" + std::get<1>(info.param).name;
}

inline void PrintTo(const Case &c, std::ostream *out)
{
    *out << c.name;
}

} // namespace LookupsTest

#define LOOKUP_CASES(Suite, table)                                                                             \
    INSTANTIATE_TEST_SUITE_P(Kinds, Suite,                                                                     \
                             ::testing::Combine(::testing::Values(DatabaseKind::SQLite, DatabaseKind::PostgreSql), \
                                                ::testing::ValuesIn(table)),                                   \
                             LookupsTest::caseName)
