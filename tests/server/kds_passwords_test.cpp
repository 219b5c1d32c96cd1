#include <support/databasefixture.h>

#include <server/servercall.h>
#include <server/srv_passwords.h>
#include <server/trdmvendacons.h>

#include <runtime/clock.h>

#include <QSet>

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

VENDACONS_DATABASE_KINDS(OrderPasswords);

} // namespace
