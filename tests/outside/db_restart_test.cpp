// The server restarts under a till: for a second or two every session is cut and every
// connect refused. A base that answered a moment ago is waited for, a pause at a time, so the
// call in hand goes through once it is back; one that stays away fails after a bounded wait.
// Played through a proxy of the test, which goes down and up as the server would.

#include <outside/geralqub.h>
#include <outside/qub_movrela_db.h>
#include <runtime/clock.h>

#include <support/databasefixture.h>
#include <support/tcpproxy.h>

namespace {

using Qub_movrela::DbConnection;

class ServerRestart : public DatabaseTest
{
protected:
    void SetUp() override
    {
        if (GetParam() == DatabaseKind::SQLite)
            GTEST_SKIP() << "a SQLite base has no server to restart";
        DatabaseTest::SetUp();
        const Geralqub::ConnectionSettings cluster = Geralqub::parseConnectionString(base().connectionString());
        m_proxy = std::make_unique<TcpProxy>(cluster.host, quint16(cluster.port));
        ASSERT_NE(m_proxy->port(), 0);
        m_through = QStringLiteral("Provider=POSTGRESQL;Host=127.0.0.1;Port=%1;Database=%2;User=%3")
                        .arg(m_proxy->port())
                        .arg(cluster.database, cluster.user);
        if (!cluster.password.isEmpty())
            m_through += QStringLiteral(";Password=") + cluster.password;
    }
    void TearDown() override
    {
        Clock::setSleeper({});
        m_proxy.reset();
        DatabaseTest::TearDown();
    }

    // The server comes back at the pause `backAt` of the till's wait (never, for 0).
    void restartUntilPause(int backAt)
    {
        ASSERT_TRUE(m_proxy->setDown(true));
        Clock::setSleeper([this, backAt](int milliseconds) {
            m_pauses << milliseconds;
            if (m_pauses.size() == backAt)
                m_proxy->setDown(false);
        });
    }

    std::unique_ptr<TcpProxy> m_proxy;
    QString m_through;
    QList<int> m_pauses;
};

TEST_P(ServerRestart, AReadAfterTheRestartWaitsForTheServerAndGoesThrough)
{
    DbConnection till(QStringLiteral("testTill"), 10);
    till.useConnectionString(m_through);
    ASSERT_TRUE(till.execute(QStringLiteral("before"), QStringLiteral("SELECT 1 AS N"), {}))
        << till.lastError().databaseText.toStdString();

    restartUntilPause(3);
    Qub_movrela::QueryRows rows;
    EXPECT_TRUE(till.execute(QStringLiteral("after"), QStringLiteral("SELECT 2 AS N"), {}, &rows))
        << till.lastError().databaseText.toStdString();
    EXPECT_EQ(rows.rows.value(0).value(0).toInt(), 2);
    EXPECT_EQ(m_pauses, QList<int>(3, DbConnection::restartWaitPauseMs));
}

TEST_P(ServerRestart, AWriteOnAFreshSessionWaitsForTheServerAndIsWrittenOnce)
{
    DbConnection till(QStringLiteral("testTill"), 10);
    till.useConnectionString(m_through);
    ASSERT_TRUE(till.execute(QStringLiteral("before"), QStringLiteral("SELECT 1 AS N"), {}));
    till.close();

    restartUntilPause(2);
    EXPECT_TRUE(till.execute(QStringLiteral("write"),
                             QStringLiteral("INSERT INTO LOGACESSO (CDOPERADOR, DTHRACESSO, DSSISTEMA) "
                                            "VALUES ('0001', '2026-03-04 10:00:00', 'Zmq')"),
                             {}))
        << till.lastError().databaseText.toStdString();
    EXPECT_EQ(rows("SELECT COUNT(*) FROM LOGACESSO").first().first().toInt(), 1);
}

TEST_P(ServerRestart, AServerThatStaysAwayFailsAfterABoundedWaitAndSaysItDoesNotAnswer)
{
    DbConnection till(QStringLiteral("testTill"), 10);
    till.useConnectionString(m_through);
    ASSERT_TRUE(till.execute(QStringLiteral("before"), QStringLiteral("SELECT 1 AS N"), {}));

    restartUntilPause(0);
    EXPECT_FALSE(till.execute(QStringLiteral("after"), QStringLiteral("SELECT 2 AS N"), {}));
    EXPECT_TRUE(till.lastError().unreachable());
    EXPECT_EQ(m_pauses.size(), DbConnection::restartWaitPauses);
    const QString text = Qub_movrela::ADOExceptionMessage(till.lastError(), till, QString());
    EXPECT_TRUE(text.contains(QLatin1String("[DBNETLIB]"))) << text.toStdString();
}

TEST_P(ServerRestart, ABaseThatNeverAnsweredThisProcessIsNotWaitedFor)
{
    restartUntilPause(0);
    DbConnection till(QStringLiteral("testTill"), 10);
    // The same server under another name: a base this process never reached.
    till.useConnectionString(QString(m_through).replace(QLatin1String("127.0.0.1"), QLatin1String("localhost")));
    EXPECT_FALSE(till.open());
    EXPECT_TRUE(till.lastError().unreachable());
    EXPECT_TRUE(m_pauses.isEmpty());
}

VENDACONS_DATABASE_KINDS(ServerRestart);

} // namespace
