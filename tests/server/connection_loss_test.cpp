#include <support/databasefixture.h>
#include <support/sessioncut.h>

#include <outside/geralqub.h>
#include <outside/qub_proximocodigo.h>
#include <server/servercall.h>
#include <server/srv_access.h>
#include <server/srv_counters.h>
#include <server/srv_orders.h>
#include <server/trdmvendacons.h>

#include <runtime/datapacket.h>
#include <sale/scopeguard.h>

#include <functional>

namespace {

using Qub_proximocodigo::TdtmQubProxCodigo;

const Statement testLostInsLog{"testLostInsLog",
    "INSERT INTO LOGACESSO (CDOPERADOR, DTHRACESSO, DSSISTEMA) VALUES (:CDOPERADOR, :DTHRACESSO, :DSSISTEMA)"};
const Statement testLostCountLog{"testLostCountLog", "SELECT COUNT(*) AS TOTAL FROM LOGACESSO"};
const Statement testLostInsLogOther{"testLostInsLogOther",
    "INSERT INTO LOGACESSO (CDOPERADOR, DTHRACESSO, DSSISTEMA) VALUES (:CDOPERADOR, :DTHRACESSO, 'outro')"};

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
                                  // Waits until each session is gone, and its goodbye sent.
                                  QStringLiteral("SELECT pg_terminate_backend(pid, 10000) FROM pg_stat_activity "
                                                 "WHERE datname = :P_DB AND pid <> CAST(:P_PID AS INTEGER)"),
                                  {{QStringLiteral("P_DB"), Geralqub::parseConnectionString(base().connectionString()).database},
                                   {QStringLiteral("P_PID"), helperPid}},
                                  &ended))
            << admin.lastError().databaseText.toStdString();
        ASSERT_GE(ended.rows.size(), 1);
    }

    // Runs `action` while another session holds `holdSql` in a transaction, and ends the
    // session that waits for that lock, `cuts` times (each new waiter once); then lets go.
    // Answers what went wrong on the cutting side, or nothing.
    QString cutWhileWaiting(const QString &holdSql, int cuts, const std::function<void()> &action)
    {
        return SessionCut::endWhoWaits(base().connectionString(), holdSql, cuts, action);
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
    // The session has a cached prepared statement when the server ends it, while the write
    // waits for a lock: it may have run, as far as the till can tell, so it is not repeated.
    ASSERT_EQ(Srv_Kal51000::setLogAcesso("1"), Variant());
    Variant inFlight;
    const QString cutError = cutWhileWaiting("LOCK TABLE LOGACESSO IN SHARE MODE", 1,
                                             [&] { inFlight = Srv_Kal51000::setLogAcesso("2"); });
    ASSERT_TRUE(cutError.isEmpty()) << cutError.toStdString();
    ASSERT_TRUE(inFlight.isFailure());
    EXPECT_TRUE(inFlight.failureText().startsWith("[DBNETLIB] A conexão com o servidor de banco de dados caiu"))
        << inFlight.failureText().toStdString();
    EXPECT_TRUE(inFlight.failureText().contains("[acmInsLogAcesso]")) << inFlight.failureText().toStdString();

    EXPECT_EQ(Srv_Kal51000::setLogAcesso("3"), Variant());
    EXPECT_EQ(operators(), QStringList({"1", "3"}));
}

// The server ended the session while it sat idle (a night restart, an administrator ending
// idle sessions): that is seen before the next statement is sent, so even a write, prepared on
// the old session, goes through on a fresh one, once.
TEST_P(ConnectionLoss, AWriteAfterTheServerEndedTheIdleSessionGoesThroughOnce)
{
    ASSERT_EQ(Srv_Kal51000::setLogAcesso("1"), Variant());
    terminateBackends();
    EXPECT_EQ(Srv_Kal51000::setLogAcesso("2"), Variant());
    terminateBackends();
    ServerCall call;
    {
        TransactionScope transaction(call);
        EXPECT_EQ(insert(call, "3"), Variant());
        EXPECT_EQ(transaction.commit(), Variant());
    }
    EXPECT_EQ(operators(), QStringList({"1", "2", "3"}));
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

// What could not have done anything on the session the server ended while it sat idle is made
// again on a fresh one, and the caller never sees the loss: a read (prepared on the old
// session or not), a write the old session never got to run, and the start of a transaction.
TEST_P(ConnectionLoss, WhatCouldNotHaveRunIsMadeAgainUnseenOnAFreshSession)
{
    ServerCall call;
    ASSERT_FALSE(call.value(testLostCountLog, {}, "TOTAL").isFailure());
    ASSERT_EQ(insert(call, "1"), Variant());
    const Variant at = QDateTime(QDate(2026, 3, 4), QTime(10, 0));

    terminateBackends();
    const Variant counted = call.value(testLostCountLog, {}, "TOTAL");
    ASSERT_FALSE(counted.isFailure()) << counted.failureText().toStdString();
    EXPECT_EQ(counted.toInt(), 1);

    terminateBackends();
    EXPECT_EQ(call.write(testLostInsLogOther, {{"CDOPERADOR", "2"}, {"DTHRACESSO", at}}), Variant());

    terminateBackends();
    {
        TransactionScope transaction(call);
        EXPECT_EQ(insert(call, "3"), Variant());
        EXPECT_EQ(transaction.commit(), Variant());
    }
    EXPECT_EQ(operators(), QStringList({"1", "2", "3"}));
}

// A draw whose session the server ends while the draw waits (here for a row lock another
// session holds) is drawn again on a fresh session as often as that happens, and the number
// it answers is the next one: the draws that were cut never took one.
TEST_P(ConnectionLoss, ADrawCutAgainAndAgainIsDrawnOnAFreshSessionWithoutAGap)
{
    TdtmQubProxCodigo().PrxVendaVista("1", "2");
    Qub_proximocodigo::NextNumber drawn;
    const QString cutError = cutWhileWaiting(
        "SELECT NRSEQUENCIAL FROM NOVOCODIGO WHERE CDCONTADOR = 'PRXVENDAVISTA12' FOR UPDATE", 3,
        [&] { drawn = TdtmQubProxCodigo().PrxVendaVista("1", "2"); });
    ASSERT_TRUE(cutError.isEmpty()) << cutError.toStdString();
    ASSERT_TRUE(drawn.ok()) << drawn.error().toStdString();
    EXPECT_EQ(drawn.value(), 2);
}

// A till starting while the server restarts: its schema check is cut half-way, and the
// start-up connects again instead of stopping the screen.
TEST_P(ConnectionLoss, AStartUpConnectCutHalfWayConnectsAgain)
{
    TrdmVendaCons module;
    bool connected = false;
    QString error;
    // A base missing one of MOVICLIE's indexes: the check creates it, and waits for the table
    // while another session writes it.
    exec("DROP INDEX IX_MOVICLIE_CDCLIENTE_CDCONSUMIDOR_DTMOVIMCLIE");
    const QString cutError = cutWhileWaiting("UPDATE MOVICLIE SET VRMOVCLI = VRMOVCLI WHERE 1 = 0", 1,
                                             [&] { connected = module.connect(&error); });
    ASSERT_TRUE(cutError.isEmpty()) << cutError.toStdString();
    EXPECT_TRUE(connected) << error.toStdString();
    EXPECT_TRUE(module.adcVendaCons().isOpen());
}

// The server ends the session the till has just made, before its session settings (a
// restart, or an administrator ending every session, just as the till connects; the
// settlement's first call opens a fresh probe session): the connect is made once more and
// the call goes through. A server that ends the second one too fails the call, clearly and
// without a third try.
TEST_P(ConnectionLoss, ASessionEndedAsItConnectsIsMadeOnceMore)
{
    Qub_movrela::DbConnection admin(QStringLiteral("testAdmin"), 10);
    admin.useConnectionString(qEnvironmentVariable("VENDACONS_TEST_PG"));
    ASSERT_TRUE(admin.open()) << admin.lastError().databaseText.toStdString();
    const QString helperPid = rows("SELECT pg_backend_pid()").first().first().toString();
    const QString database = Geralqub::parseConnectionString(base().connectionString()).database;
    int toEnd = 0;
    int ended = 0;
    QString endError;
    Qub_movrela::setConnectedHook([&] {
        if (ended == toEnd)
            return;
        ++ended;
        // Waits until the session is gone, so that its settings surely meet an ended session.
        Qub_movrela::QueryRows killed;
        if (!admin.execute(QStringLiteral("end"),
                           QStringLiteral("SELECT pg_terminate_backend(pid, 10000) FROM pg_stat_activity "
                                          "WHERE datname = :P_DB AND pid <> CAST(:P_PID AS INTEGER) "
                                          "AND pid <> pg_backend_pid() ORDER BY backend_start DESC LIMIT 1"),
                           {{QStringLiteral("P_DB"), database}, {QStringLiteral("P_PID"), helperPid}}, &killed)
            || killed.rows.size() != 1)
            endError = admin.lastError().databaseText + " (no session ended)";
    });
    const OnExit noHook([] { Qub_movrela::setConnectedHook({}); });

    Qub_movrela::DbConnection &probe = rdmVendaCons().adcTesteConexao();
    toEnd = 1;
    EXPECT_TRUE(probe.open()) << probe.lastError().databaseText.toStdString();
    EXPECT_EQ(ended, 1);
    probe.close();

    rdmVendaCons().adcVendaCons().close();
    ended = 0;
    EXPECT_EQ(Srv_Kal51000::setLogAcesso("1"), Variant());
    EXPECT_EQ(ended, 1);

    ended = 0;
    toEnd = 3;
    EXPECT_FALSE(probe.open());
    EXPECT_TRUE(probe.lastError().lost);
    EXPECT_TRUE(Qub_movrela::ADOExceptionMessage(probe.lastError(), probe, QString()).startsWith("[DBNETLIB]"));
    EXPECT_EQ(ended, 2);
    EXPECT_TRUE(endError.isEmpty()) << endError.toStdString();
    EXPECT_EQ(operators(), QStringList({"1"}));
}

// The server ends the session while a till sends a table order (a restart of the shared base
// at rush hour): the order is written once, whole, and the till hears an order accepted. A
// kitchen ticket printed twice is a plate made twice, so never twice.
class OrderConnectionLoss : public ConnectionLoss
{
protected:
    void SetUp() override
    {
        ConnectionLoss::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Srv_Kal51000::setOrderRowPriceFunction(
            [](const Srv_Kal51000::OrderRowPriceRequest &) { return Srv_Kal51000::OrderRowPrice::price(10); });
        // The commit of an order waits while a session of the test holds the advisory lock.
        exec("CREATE FUNCTION test_commit_waits() RETURNS trigger LANGUAGE plpgsql AS "
             "'BEGIN PERFORM pg_advisory_xact_lock(4711); RETURN NULL; END'");
        exec("CREATE CONSTRAINT TRIGGER test_commit_waits AFTER INSERT ON ITCOMANDAVEN "
             "DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION test_commit_waits()");
    }
    void TearDown() override
    {
        Srv_Kal51000::setOrderRowPriceFunction({});
        Srv_Kal51000::setOrderCommitFault({});
        ConnectionLoss::TearDown();
    }

    // Two items, A and B, for tab 7 of restaurant sale 500.
    Variant sendOrder()
    {
        DataPacket items;
        items.fields = {{"NRSEQ", FieldType::String, 3, false}, {"CDPRODUTO", FieldType::String, 20, false},
                        {"QTPRODCOMVEN", FieldType::String, 20, false}, {"VRPRECCOMVEN", FieldType::Double, 0, false}};
        items.rows = {{"001", "A", "1", 10.0}, {"002", "B", "1", 10.0}};
        return Srv_Kal51000::getGeraPedido("1", "01", "CLI", "7", "500", items, Variant(), "CONS", "002", "0005", "12",
                                           Variant(), Variant(), "M");
    }

    QStringList orderItems()
    {
        QStringList found;
        for (const auto &row : rows("SELECT NRPRODCOMVEN, CDPRODUTO FROM ITCOMANDAVEN ORDER BY NRPRODCOMVEN"))
            found.append(row[0].toString() + " " + row[1].toString());
        return found;
    }
    double registerTotal()
    {
        const auto found = rows("SELECT VRTOTAL FROM REGISTROMESA WHERE CDFILIAL = '1' AND NRVENDAREST = '500'");
        return found.isEmpty() ? -1 : found.first().first().toDouble();
    }

    // The order written once, with the numbers its first try drew, and accepted.
    void expectWrittenOnce(const Variant &answer)
    {
        ASSERT_FALSE(answer.isFailure()) << answer.failureText().toStdString();
        EXPECT_EQ(answer, Variant());
        EXPECT_EQ(orderItems(), (QStringList{"000001 A", "000002 B"}));
        EXPECT_DOUBLE_EQ(registerTotal(), 20);
    }
};

const QString holdStore = "LOCK TABLE LOJA IN ACCESS EXCLUSIVE MODE";
const QString holdItems = "LOCK TABLE ITCOMANDAVEN IN SHARE MODE";
const QString holdCommit = "SELECT pg_advisory_xact_lock(4711)";

TEST_P(OrderConnectionLoss, AnOrderCutBeforeOrAtItsCommitIsWrittenOnceAndAccepted)
{
    const struct
    {
        const char *name;
        const QString &hold;
    } cases[] = {{"cut reading the store", holdStore}, {"cut writing the items", holdItems}, {"cut at the commit", holdCommit}};
    for (const auto &cut : cases) {
        SCOPED_TRACE(cut.name);
        for (const char *table : {"ITCOMANDAVEN", "REGISTROMESA", "NOVOCODIGO"})
            exec(QString("DELETE FROM ") + table);
        Variant answer;
        const QString cutError = cutWhileWaiting(cut.hold, 1, [&] { answer = sendOrder(); });
        ASSERT_TRUE(cutError.isEmpty()) << cutError.toStdString();
        expectWrittenOnce(answer);
        if (HasFatalFailure())
            return;
        EXPECT_FALSE(rdmVendaCons().InTransaction());
    }
}

// The COMMIT went through but its answer was lost: the fresh session finds the order's items
// and the order is accepted without being written a second time.
TEST_P(OrderConnectionLoss, AnOrderWhoseCommitAnswerWasLostIsFoundWrittenAndNotRepeated)
{
    int commits = 0;
    Srv_Kal51000::setOrderCommitFault([&] { return ++commits == 1 ? QString("[DBNETLIB] resposta do COMMIT perdida") : QString(); });
    expectWrittenOnce(sendOrder());
    EXPECT_EQ(commits, 1);
}

// Every session the order opens is ended: it gives up after one more try, says the base did
// not answer, and leaves nothing written.
TEST_P(OrderConnectionLoss, AnOrderOnABaseThatStaysDownFailsClearlyWithNothingWritten)
{
    for (const QString *hold : {&holdItems, &holdCommit}) {
        SCOPED_TRACE(hold->toStdString());
        Variant answer;
        const QString cutError = cutWhileWaiting(*hold, 2, [&] { answer = sendOrder(); });
        ASSERT_TRUE(cutError.isEmpty()) << cutError.toStdString();
        ASSERT_TRUE(answer.isFailure());
        EXPECT_TRUE(answer.failureText().contains("[DBNETLIB]")) << answer.failureText().toStdString();
        EXPECT_EQ(orderItems(), QStringList());
        EXPECT_DOUBLE_EQ(registerTotal(), -1);
    }
}

VENDACONS_DATABASE_KINDS(ConnectionLoss);
VENDACONS_DATABASE_KINDS(OrderConnectionLoss);

} // namespace
