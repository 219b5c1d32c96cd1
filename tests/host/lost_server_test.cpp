// The server goes away while the till sells: the till's open sessions stay up, but the product
// button's server test opens a session of its own, which fails. The button then sells nothing
// and the host tells the operator; once the server lets sessions in again the next press sells.
// Played by the real host on a PostgreSQL base of its own, reached through a proxy of the test.

#include "hostprogram.h"

#include <host/site/demosite.h>
#include <host/site/hostdatabase.h>
#include <host/site/hostschema.h>

#include <outside/geralqub.h>
#include <outside/qub_proximocodigo.h>
#include <runtime/clock.h>
#include <server/trdmvendacons.h>

#include <support/databasefixture.h>
#include <support/tcpproxy.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>

namespace {

constexpr int PollMs = 10;
constexpr int RunLimitMs = 240000;

const QString Notice = QStringLiteral("registro de venda: servidor fora do ar");

class LostServer : public DatabaseTest
{
protected:
    void SetUp() override
    {
        HostSchema::registerTables();
        DatabaseTest::SetUp();
    }
    void TearDown() override
    {
        qunsetenv("VENDACONS_DB");
        qunsetenv("VENDACONS_HOME");
        HostDatabase::reset();
        Qub_proximocodigo::releaseIdleSession();
        DatabaseTest::TearDown();
    }

    // The base as the tills see it: through the proxy.
    static QString throughProxy(const QString &connection, quint16 port)
    {
        const Geralqub::ConnectionSettings s = Geralqub::parseConnectionString(connection);
        QString text = QStringLiteral("Provider=POSTGRESQL;Host=127.0.0.1;Port=%1;Database=%2;User=%3")
                           .arg(port).arg(s.database, s.user);
        if (!s.password.isEmpty())
            text += QStringLiteral(";Password=") + s.password;
        return text;
    }

    // Plays `script` on the site; at each "sync MARKS/n" step calls `reached(n)` before the host
    // goes on. False when the run failed or did not end in time.
    bool play(const QString &site, const QStringList &script, const std::function<void(int)> &reached, QString &output)
    {
        const QString scriptPath = m_work.filePath(QStringLiteral("roteiro.txt"));
        QFile file(scriptPath);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write(script.join(QLatin1Char('\n')).toUtf8());
        file.close();
        QProcess host;
        host.setProcessEnvironment(hostEnvironment());
        host.setWorkingDirectory(m_work.path());
        host.setProcessChannelMode(QProcess::MergedChannels);
        host.start(hostProgram(), {"--site", site, "--script", scriptPath});
        int next = 0;
        QElapsedTimer clock;
        clock.start();
        while (!host.waitForFinished(PollMs)) {
            const QString mark = marks() + QStringLiteral("/%1").arg(next);
            if (QFileInfo::exists(mark)) {
                reached(next++);
                QFile::remove(mark);
            }
            if (clock.elapsed() > RunLimitMs) {
                host.kill();
                host.waitForFinished();
                break;
            }
        }
        output += QString::fromUtf8(host.readAll());
        return host.exitStatus() == QProcess::NormalExit && host.exitCode() == 0;
    }

    QString marks() const { return m_work.filePath(QStringLiteral("marcas")); }
    QString sync(int n) const { return QStringLiteral("sync %1/%2").arg(marks()).arg(n); }

    QTemporaryDir m_work;
};

// The store's desks of every kind on the one base, each played sale after sale.
TEST_P(LostServer, TheButtonSellsNothingAndTellsTheOperatorUntilTheServerIsBackSaleAfterSale)
{
    const Geralqub::ConnectionSettings cluster = Geralqub::parseConnectionString(base().connectionString());
    TcpProxy proxy(cluster.host, quint16(cluster.port));
    ASSERT_NE(proxy.port(), 0);
    qputenv("VENDACONS_DB", throughProxy(base().connectionString(), proxy.port()).toUtf8());

    const QString press = QStringLiteral("click tcbBalcao01"); // the plate, 22,90
    const QStringList payInCash{QStringLiteral("answer keypad 50"), QStringLiteral("click spbReceb"),
                                QStringLiteral("expect lblMensagemCaixa CAIXA LIVRE")};
    QStringList script{"wait-form", "expect lblMensagemCaixa CAIXA LIVRE", "click tcbGrupo01", press,
                       "expect lblVrTotal 22,90", sync(0),
                       // The server went away with the sale going: the press adds nothing.
                       press, "expect lblVrTotal 22,90", sync(1),
                       press, "expect lblVrTotal 45,80"};
    script += payInCash;
    // The next sale finds it gone at its first item, and sells once it is back.
    script += QStringList{sync(2), press, "expect lblVrTotal 0,00", press, "expect lblVrTotal 0,00", sync(3),
                          press, "expect lblVrTotal 22,90"};
    script += payInCash;
    script += QStringLiteral("quit");

    const struct
    {
        const char *name;
        DemoSite::Till till;
        QString desk;
    } desks[] = {{"NFC-e desk", DemoSite::Till::Nfce, "001"},
                 {"fiscal-printer desk", DemoSite::Till::FiscalPrinter, "002"},
                 {"SAT desk", DemoSite::Till::Sat, "003"},
                 {"non-fiscal desk", DemoSite::Till::NonFiscal, "004"}};
    for (const auto &desk : desks) {
        SCOPED_TRACE(desk.name);
        const QString site = m_work.filePath(QStringLiteral("caixa") + desk.desk);
        const DemoSite::Report written = DemoSite::write(site, Clock::now(), desk.till, freePartnersPort(), desk.desk);
        ASSERT_TRUE(written.ok()) << written.error.toStdString();
        // The sessions the set-up opened in this process close now, while the proxy still
        // carries them: only the host's go through it.
        HostDatabase::reset();
        setRdmVendaCons(nullptr);
        Qub_proximocodigo::releaseIdleSession();

        const Qub_movrela::Params ofDesk{{"P_CDCAIXA", desk.desk}};
        const int refusedBefore = proxy.refused();
        QList<int> refusedAt;
        QList<qint64> salesAt;
        const auto reached = [&](int mark) {
            refusedAt << proxy.refused() - refusedBefore;
            salesAt << rows("SELECT COUNT(*) FROM VENDA WHERE CDCAIXA = :P_CDCAIXA", ofDesk).first().first().toLongLong();
            proxy.setRefusing(mark % 2 == 0);
        };
        QString output;
        const bool played = play(site, script, reached, output);
        proxy.setRefusing(false);
        ASSERT_TRUE(played) << output.toStdString();
        ASSERT_EQ(refusedAt.size(), 4) << output.toStdString();

        // Each press while the server was away was turned away at its own session, and the host
        // told the operator each time; nothing was stored meanwhile.
        EXPECT_EQ(refusedAt, (QList<int>{0, 1, 1, 3})) << output.toStdString();
        EXPECT_EQ(output.count(Notice), 3) << output.toStdString();
        EXPECT_EQ(salesAt, (QList<qint64>{0, 0, 1, 1}));
        const auto sales = rows("SELECT VRTOTVENDA FROM VENDA WHERE CDCAIXA = :P_CDCAIXA ORDER BY NRSEQVENDA", ofDesk);
        ASSERT_EQ(sales.size(), 2);
        EXPECT_DOUBLE_EQ(sales[0][0].toDouble(), 45.80);
        EXPECT_DOUBLE_EQ(sales[1][0].toDouble(), 22.90);
    }
    EXPECT_GT(proxy.forwarded(), 0);
}

INSTANTIATE_TEST_SUITE_P(PostgreSql, LostServer, ::testing::Values(DatabaseKind::PostgreSql), databaseKindName);

} // namespace
