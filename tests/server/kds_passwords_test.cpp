#include <support/databasefixture.h>

#include <server/servercall.h>
#include <server/srv_passwords.h>
#include <server/trdmvendacons.h>

#include <runtime/clock.h>

#include <QMutex>
#include <QSet>

#include <atomic>
#include <thread>

namespace {

using namespace Srv_Kal51000;

const QDateTime now(QDate(2026, 3, 4), QTime(12, 0, 0));

const Statement testInsLogSenha{"testInsLogSenha",
    "INSERT INTO LOGACESSO (CDOPERADOR, DTHRACESSO, DSSISTEMA) VALUES (:CDOPERADOR, :DTHRACESSO, :DSSISTEMA)"};

// Order passwords: the daily counter and the check of random ones.
class OrderPasswords : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        Clock::setNow([] { return now; });
    }
    void TearDown() override
    {
        Clock::setNow({});
        DatabaseTest::TearDown();
    }

    void addSale(const QString &branch, const QString &desk, const QString &sequence, const QString &password,
                 const QDateTime &date = now)
    {
        exec("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, CDSENHAPED, DTENTRVENDA) VALUES (:F, :C, :S, :P, :D)",
             {{"F", branch}, {"C", desk}, {"S", sequence}, {"P", password}, {"D", date}});
    }
};

TEST_P(OrderPasswords, SenhaCupomCountsPerBranchAndDay)
{
    EXPECT_EQ(getSenhaCupom("1", now), Variant("1"));
    EXPECT_EQ(getSenhaCupom("1", now), Variant("2"));
    EXPECT_EQ(getSenhaCupom("2", now), Variant("1"));
    EXPECT_EQ(getSenhaCupom("1", now.addDays(1)), Variant("1"));
    EXPECT_EQ(rows("SELECT NRSEQUENCIAL FROM NOVOCODIGO WHERE CDCONTADOR = 'VENDADIA104/03/2026'").size(), 1);
}

TEST_P(OrderPasswords, SenhaCupomFailureIsAFailure)
{
    exec("DROP TABLE NOVOCODIGO");
    EXPECT_TRUE(getSenhaCupom("1", now).isFailure());
}

TEST_P(OrderPasswords, ReiniciaSenhaCupomRestartsTheDaysCounter)
{
    getSenhaCupom("1", now);
    getSenhaCupom("1", now);
    getSenhaCupom("1", now.addDays(1));
    getSenhaCupom("2", now);
    EXPECT_EQ(ReiniciaSenhaCupom("1", "04/03/2026"), Variant());
    EXPECT_EQ(getSenhaCupom("1", now), Variant("1"));
    EXPECT_EQ(getSenhaCupom("1", now.addDays(1)), Variant("2")) << "another day is kept";
    EXPECT_EQ(getSenhaCupom("2", now), Variant("2")) << "another branch is kept";
}

TEST_P(OrderPasswords, ReiniciaSenhaCupomOfADayWithoutCounterDeletesNothing)
{
    getSenhaCupom("1", now);
    EXPECT_EQ(ReiniciaSenhaCupom("1", "05/03/2026"), Variant());
    EXPECT_EQ(getSenhaCupom("1", now), Variant("2"));
}

TEST_P(OrderPasswords, ReiniciaSenhaCupomRefusesABadDateAndReportsFailures)
{
    EXPECT_TRUE(ReiniciaSenhaCupom("1", "31/02/2026").isFailure());
    EXPECT_TRUE(ReiniciaSenhaCupom("1", "").isFailure());
    exec("DROP TABLE NOVOCODIGO");
    EXPECT_TRUE(ReiniciaSenhaCupom("1", "04/03/2026").isFailure());
}

// The restart never ends a transaction that its caller opened.
TEST_P(OrderPasswords, ReiniciaSenhaCupomLeavesTheCallersTransactionOpen)
{
    getSenhaCupom("1", now);
    TrdmVendaCons &module = rdmVendaCons();
    ServerCall call;
    ASSERT_TRUE(module.StartTrans());
    ASSERT_EQ(call.write(testInsLogSenha, {{"CDOPERADOR", "OP"}, {"DTHRACESSO", now}, {"DSSISTEMA", "Zmq"}}), Variant());
    EXPECT_EQ(ReiniciaSenhaCupom("1", "04/03/2026"), Variant());
    EXPECT_TRUE(module.InTransaction());
    EXPECT_TRUE(rows("SELECT CDOPERADOR FROM LOGACESSO").isEmpty()) << "the caller's write is not committed";
    EXPECT_EQ(getSenhaCupom("1", now), Variant("1"));
    EXPECT_TRUE(module.RollbackTrans());
    EXPECT_TRUE(rows("SELECT CDOPERADOR FROM LOGACESSO").isEmpty());
}

struct TakenCase
{
    const char *name;
    const char *branch;
    const char *desk;
    const char *password;
    bool taken;
};

TEST_P(OrderPasswords, SenhaRandonExistLooksAtTheWholeBranchToday)
{
    addSale("1", "01", "1", "00042");
    addSale("1", "01", "2", "00043", now.addDays(-1));
    addSale("2", "01", "3", "00044");
    exec("INSERT INTO VENDAREST (CDFILIAL, CDLOJA, NRVENDAREST, DTHRFECHMESA) VALUES ('1', '1', '100', NULL), "
         "('1', '1', '101', '2026-03-04 10:00:00')");
    exec("INSERT INTO ITCOMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN, CDSENHAPED) VALUES "
         "('1', '100', '12', '000001', '00050'), ('1', '101', '13', '000001', '00051')");
    const QList<TakenCase> cases{
        {"same desk today", "1", "01", "00042", true},
        {"another desk of the branch today", "1", "02", "00042", true},
        {"yesterday", "1", "01", "00043", false},
        {"another branch", "1", "01", "00044", false},
        {"open table order", "1", "02", "00050", true},
        {"closed table order", "1", "02", "00051", false},
        {"never used", "1", "01", "00099", false},
    };
    for (const TakenCase &c : cases)
        EXPECT_EQ(getSenhaRandonExist(c.branch, c.desk, c.password), Variant(c.taken)) << c.name;
    exec("DROP TABLE VENDA");
    EXPECT_TRUE(getSenhaRandonExist("1", "01", "00042").isFailure());
}

// Two desks draw from a small range as the screen does (draw again while taken), each sale
// keeping its password: no password is handed out twice in the branch.
TEST_P(OrderPasswords, RandomPasswordsStayUniqueInTheBranch)
{
    quint32 seed = 7;
    const auto draw = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return QStringLiteral("%1").arg((seed >> 16) % 6 + 1, 5, 10, QLatin1Char('0'));
    };
    QSet<QString> handedOut;
    for (int sale = 1; sale <= 6; ++sale) {
        const QString desk = sale % 2 ? QStringLiteral("01") : QStringLiteral("02");
        QString password = draw();
        for (int tries = 0; getSenhaRandonExist("1", desk, password) == Variant(true); ++tries) {
            ASSERT_LT(tries, 1000);
            password = draw();
        }
        EXPECT_FALSE(handedOut.contains(password)) << password.toStdString();
        handedOut.insert(password);
        addSale("1", desk, QString::number(sale), password);
    }
    EXPECT_EQ(handedOut.size(), 6);
}

// Taking a password is its check and its use in one step: a desk keeps what it took (a sale it
// did not save may use it again), any other desk and any number a sale uses are refused.
TEST_P(OrderPasswords, ATakenPasswordIsTheDesksOwnForTheDay)
{
    addSale("1", "01", "1", "00042");
    EXPECT_EQ(setSenhaPedReserva("1", "01", "00123"), Variant(true));
    EXPECT_EQ(setSenhaPedReserva("1", "02", "00123"), Variant(false));
    EXPECT_EQ(setSenhaPedReserva("1", "01", "00123"), Variant(true));
    EXPECT_EQ(setSenhaPedReserva("1", "02", "00042"), Variant(false));
    EXPECT_EQ(setSenhaPedReserva("2", "02", "00123"), Variant(true)) << "another branch";
    Clock::setNow([] { return now.addDays(1); });
    EXPECT_EQ(setSenhaPedReserva("1", "02", "00123"), Variant(true)) << "the next day";
}

TEST_P(OrderPasswords, TheFreePasswordsOfARangeAreCountedInOneQuery)
{
    addSale("1", "01", "1", "00990");
    addSale("1", "01", "2", "00991");
    addSale("1", "01", "3", "00992", now.addDays(-1));
    addSale("1", "01", "4", "00010");
    ASSERT_EQ(setSenhaPedReserva("1", "02", "00993"), Variant(true));
    ASSERT_EQ(setSenhaPedReserva("1", "02", "00990"), Variant(false));
    EXPECT_EQ(getSenhaPedLivres("1", 990, 998), Variant(6));
    for (int n = 994; n <= 998; ++n)
        ASSERT_EQ(setSenhaPedReserva("1", "02", QStringLiteral("00%1").arg(n)), Variant(true));
    EXPECT_EQ(getSenhaPedLivres("1", 990, 998), Variant(1));
    ASSERT_EQ(setSenhaPedReserva("1", "03", "00992"), Variant(true));
    EXPECT_EQ(getSenhaPedLivres("1", 990, 998), Variant(0));
}

// Two tills, each on sessions of its own, take the same passwords in the same order at the
// same moment: each password goes to exactly one of them.
TEST_P(OrderPasswords, TwoTillsTakingAtOnceNeverShareAPassword)
{
    constexpr int count = 60;
    std::atomic<int> ready = 0;
    QList<QStringList> got(2);
    QStringList errors;
    QMutex lock;
    const auto till = [&](int index, const QString &desk) {
        TrdmVendaCons module;
        ++ready;
        while (ready < 2)
            std::this_thread::yield();
        for (int n = 1; n <= count; ++n) {
            const QString password = QStringLiteral("%1").arg(n, 5, 10, QLatin1Char('0'));
            const Variant taken = PagerReservation::take(module, "1", desk, password);
            QMutexLocker locked(&lock);
            if (taken.isFailure())
                errors << taken.failureText();
            else if (taken.toBool())
                got[index] << password;
        }
    };
    std::thread first(till, 0, QStringLiteral("01"));
    std::thread second(till, 1, QStringLiteral("02"));
    first.join();
    second.join();
    EXPECT_EQ(errors, QStringList());
    const QSet<QString> a(got[0].begin(), got[0].end());
    const QSet<QString> b(got[1].begin(), got[1].end());
    EXPECT_EQ(a.size() + b.size(), count);
    EXPECT_FALSE(a.intersects(b)) << "shared: " << QStringList(QSet<QString>(a).intersect(b).values()).join(' ').toStdString();
}

VENDACONS_DATABASE_KINDS(OrderPasswords);

} // namespace
