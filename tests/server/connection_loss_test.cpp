#include <support/databasefixture.h>

#include <outside/geralqub.h>
#include <outside/qub_proximocodigo.h>
#include <server/servercall.h>
#include <server/srv_access.h>
#include <server/srv_counters.h>
#include <server/trdmvendacons.h>

namespace {

using Qub_proximocodigo::TdtmQubProxCodigo;

const Statement testLostInsLog{"testLostInsLog",
    "INSERT INTO LOGACESSO (CDOPERADOR, DTHRACESSO, DSSISTEMA) VALUES (:CDOPERADOR, :DTHRACESSO, :DSSISTEMA)"};

// The server ends the till's sessions between two calls, as a restart, an administrator's
// kill or a network cut does. Only a server can do that to a session: PostgreSQL.
class ConnectionLoss : public DatabaseTest
{
protected:
    void SetUp() override
    {
        if (GetParam() == DatabaseKind::SQLite)
            GTEST_SKIP() << "a SQLite session has no server to end it";
        DatabaseTest::SetUp();
    }

    // Ends every session on the test base but the fixture's own helper.
    void terminateBackends()
    {
        const QString helperPid = rows("SELECT pg_backend_pid()").first().first().toString();
        Qub_movrela::DbConnection admin(QStringLiteral("testAdmin"), 10);
        admin.useConnectionString(qEnvironmentVariable("VENDACONS_TEST_PG"));
        Qub_movrela::QueryRows ended;
        ASSERT_TRUE(admin.execute(QStringLiteral("terminate"),
                                  QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                                 "WHERE datname = :P_DB AND pid <> CAST(:P_PID AS INTEGER)"),
                                  {{QStringLiteral("P_DB"), Geralqub::parseConnectionString(base().connectionString()).database},
                                   {QStringLiteral("P_PID"), helperPid}},
                                  &ended))
            << admin.lastError().databaseText.toStdString();
        ASSERT_GE(ended.rows.size(), 1);
    }

    Variant insert(ServerCall &call, const QString &operador)
    {
        return call.write(testLostInsLog, {{"CDOPERADOR", operador}, {"DTHRACESSO", QDateTime(QDate(2026, 3, 4), QTime(10, 0))},
                                           {"DSSISTEMA", "Zmq"}});
    }
    QStringList operators()
    {
        QStringList found;
        for (const auto &row : rows("SELECT CDOPERADOR FROM LOGACESSO ORDER BY CDOPERADOR"))
            found.append(row.first().toString());
        return found;
    }
};

TEST_P(ConnectionLoss, TheCallInFlightFailsClearlyAndTheNextOneReconnects)
{
    // The session has a cached prepared statement when the server ends it.
    ASSERT_EQ(Srv_Kal51000::setLogAcesso("1"), Variant());
    terminateBackends();

    const Variant inFlight = Srv_Kal51000::setLogAcesso("2");
    ASSERT_TRUE(inFlight.isFailure());
    EXPECT_TRUE(inFlight.failureText().startsWith("[DBNETLIB] A conexão com o servidor de banco de dados caiu"))
        << inFlight.failureText().toStdString();
    EXPECT_TRUE(inFlight.failureText().contains("[acmInsLogAcesso]")) << inFlight.failureText().toStdString();

    EXPECT_EQ(Srv_Kal51000::setLogAcesso("3"), Variant());
    EXPECT_EQ(operators(), QStringList({"1", "3"}));
}

TEST_P(ConnectionLoss, EverySessionSurvivesTheBackendsEndedAgainAndAgain)
{
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(Srv_Kal51000::setLogAcesso(QString::number(round)), Variant());
        ASSERT_TRUE(TdtmQubProxCodigo().PrxVendaVista("1", "2").ok());
        terminateBackends();
        Srv_Kal51000::setLogAcesso("x"); // the call in flight: fails
        ServerCall probe(ServerCall::Session::Probe);
        insert(probe, "p");
    }
    EXPECT_EQ(Srv_Kal51000::setLogAcesso("9"), Variant());
    ServerCall probe(ServerCall::Session::Probe);
    EXPECT_EQ(insert(probe, "q"), Variant());
}

// The next-number service keeps its session between requests; one the server ended meanwhile
// is replaced at once (a repeated draw can leave a gap, never a duplicate).
TEST_P(ConnectionLoss, TheNextNumberServiceDrawsOnAFreshSessionAfterTheServerEndedItsOwn)
{
    EXPECT_EQ(Srv_Kal51000::getPrxVendaVista("1", "2"), Variant("1"));
    EXPECT_EQ(Srv_Kal51000::getPrxVendaVista("1", "2"), Variant("2"));
    terminateBackends();
    const Variant after = Srv_Kal51000::getPrxVendaVista("1", "2");
    ASSERT_FALSE(after.isFailure()) << after.failureText().toStdString();
    EXPECT_GE(after.toString().toInt(), 3);
    EXPECT_EQ(Srv_Kal51000::getPrxVendaVista("1", "2").toString().toInt(), after.toString().toInt() + 1);
}

TEST_P(ConnectionLoss, ATransactionTheServerEndedWritesNothingMoreAndItsCommitFails)
{
    TrdmVendaCons &module = rdmVendaCons();
    ServerCall call;
    ASSERT_TRUE(module.StartTrans());
    ASSERT_EQ(insert(call, "1"), Variant());
    terminateBackends();

    const Variant inFlight = insert(call, "2");
    ASSERT_TRUE(inFlight.isFailure());
    EXPECT_TRUE(inFlight.failureText().contains("caiu")) << inFlight.failureText().toStdString();
    EXPECT_TRUE(call.lastError().unreachable());
    // Nothing more runs in it, not even on a fresh connection, until it is ended.
    EXPECT_TRUE(insert(call, "3").isFailure());
    EXPECT_FALSE(module.CommitTrans());
    EXPECT_TRUE(module.lastErrorText().contains("caiu durante a transação")) << module.lastErrorText().toStdString();
    EXPECT_FALSE(module.InTransaction());

    EXPECT_EQ(insert(call, "4"), Variant());
    EXPECT_EQ(operators(), QStringList({"4"}));
}

TEST_P(ConnectionLoss, AScopeRolledBackAfterTheLossLeavesTheNextCallFree)
{
    {
        ServerCall call;
        TransactionScope transaction(call);
        ASSERT_EQ(insert(call, "1"), Variant());
        terminateBackends();
        EXPECT_TRUE(insert(call, "2").isFailure());
    } // rolled back on the way out
    EXPECT_FALSE(rdmVendaCons().InTransaction());
    ServerCall call;
    EXPECT_EQ(insert(call, "3"), Variant());
    EXPECT_EQ(operators(), QStringList({"3"}));
}

VENDACONS_DATABASE_KINDS(ConnectionLoss);

} // namespace
