#include <support/databasefixture.h>

#include <server/servercall.h>
#include <server/srv_access.h>
#include <server/trdmvendacons.h>

#include <outside/ping.h>

#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

namespace {

const Statement testProbe{"testProbe", "SELECT CDOPERADOR FROM LOGACESSO WHERE CDOPERADOR = :P_CDOPERADOR"};

class UnreachableServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qunsetenv("VENDACONS_DB");
        SitePaths::setHome(m_site.path());
        QTcpServer server; // a local port nobody listens on: refused at once
        server.listen(QHostAddress::LocalHost, 0);
        const quint16 port = server.serverPort();
        server.close();
        qputenv("VENDACONS_DB", QStringLiteral("Provider=POSTGRESQL;Host=127.0.0.1;Port=%1;Database=x;User=u").arg(port).toUtf8());
        setRdmVendaCons(std::make_unique<TrdmVendaCons>());
    }
    void TearDown() override
    {
        setRdmVendaCons(nullptr);
        qunsetenv("VENDACONS_DB");
        SitePaths::setHome(QString());
    }
    QTemporaryDir m_site;
};

TEST_F(UnreachableServer, AProbeQueryAnswersItsFailure)
{
    EXPECT_EQ(rdmVendaCons().adcTesteConexao().connectTimeoutSeconds(), 6);
    ServerCall probe(ServerCall::Session::Probe);
    const Variant answer = probe.value(testProbe, {{"P_CDOPERADOR", "1"}}, "CDOPERADOR");
    ASSERT_TRUE(answer.isFailure());
    EXPECT_TRUE(answer.failureText().contains("DBNETLIB")) << answer.failureText().toStdString();
    EXPECT_TRUE(probe.lastError().unreachable());
    EXPECT_FALSE(probe.exists(testProbe, {{"P_CDOPERADOR", "1"}}));
}

TEST_F(UnreachableServer, TheMainSessionFailsEveryFormWithoutACrash)
{
    QString error;
    EXPECT_FALSE(rdmVendaCons().connect(&error));
    EXPECT_TRUE(error.contains("DBNETLIB")) << error.toStdString();
    EXPECT_TRUE(Srv_Kal51000::setLogAcesso("1").isFailure());
    ServerCall call;
    {
        TransactionScope transaction(call);
        EXPECT_TRUE(call.write(Statement("testProbeWrite", "DELETE FROM LOGACESSO"), {}).isFailure());
        EXPECT_TRUE(transaction.commit().isFailure());
    }
    EXPECT_FALSE(rdmVendaCons().InTransaction());
}

class LockedBase : public DatabaseTest
{
};

TEST_P(LockedBase, ALockHeldByAnotherProcessGivesAClearText)
{
    if (kind() != DatabaseKind::SQLite)
        GTEST_SKIP() << "SQLite file locks only";
    Qub_movrela::DbConnection other("otherTill");
    other.useConnectionString(base().connectionString());
    ASSERT_TRUE(other.begin());
    ASSERT_TRUE(other.execute("hold", "DELETE FROM LOGACESSO", {}));
    rdmVendaCons().adcVendaCons().close();
    rdmVendaCons().adcVendaCons().setBusyTimeout(20);
    const Variant result = Srv_Kal51000::setLogAcesso("1");
    ASSERT_TRUE(result.isFailure());
    EXPECT_TRUE(result.failureText().contains("ocupada")) << result.failureText().toStdString();
    other.rollback();
    EXPECT_EQ(Srv_Kal51000::setLogAcesso("1"), Variant());
}

VENDACONS_DATABASE_KINDS(LockedBase);

struct PingCall
{
    QString host;
    int timeout = 0;
};

TEST(VerificaImpressoraRede, PingsTheHostFor500Milliseconds)
{
    PingCall seen;
    Ping::setEcho([&](const QString &host, int timeout) {
        seen = {host, timeout};
        return Ping::Result{host == "impressora-ok", QString()};
    });
    TrdmVendaCons module;
    EXPECT_TRUE(module.VerificaImpressoraRede("impressora-ok"));
    EXPECT_EQ(seen.host, "impressora-ok");
    EXPECT_EQ(seen.timeout, 500);
    EXPECT_FALSE(module.VerificaImpressoraRede("impressora-muda"));
    Ping::setEcho({});
}

TEST(VerificaImpressoraRede, AnUnknownHostIsFalse)
{
    TrdmVendaCons module;
    EXPECT_FALSE(module.VerificaImpressoraRede("host.invalid"));
}

TEST(VerificaImpressoraRede, TheLocalMachineAnswers)
{
    TrdmVendaCons module;
    EXPECT_TRUE(module.VerificaImpressoraRede("127.0.0.1"));
}

} // namespace
