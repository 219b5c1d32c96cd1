#include "settlementfixture.h"

#include <sale/serverseams.h>
#include <QSet>

namespace {

// The branch's pager numbers in an in-memory "server": the day's counter, the numbers open
// orders use, and the random draws the test chooses.
class PagerTest : public SettlementTest
{
protected:
    void SetUp() override
    {
        SettlementTest::SetUp();
        state().editParams().stCDFILIAL = "0001";
        state().editParams().stCDCAIXA = "001";
        ServerSeams table = ServerSeams::current();
        table.passwords.getSenhaCupom = [this](const QString &, const QDateTime &) { return Variant(QString::number(++counter)); };
        table.lookupsTills.getSenhaUtil = [this](const QString &, const QString &number, const QString &, const QDateTime &) {
            return inUse.contains(number) ? number : QString();
        };
        table.passwords.getSenhaRandonExist = [this](const QString &, const QString &, const QString &number) {
            asked << number;
            return Variant(inUse.contains(number));
        };
        table.passwords.setSenhaPedReserva = [this](const QString &, const QString &, const QString &number) {
            asked << number;
            return Variant(!inUse.contains(number));
        };
        table.passwords.getSenhaPedLivres = [this](const QString &, int lowest, int highest) {
            ++freeCounts;
            int free = highest - lowest + 1;
            for (const QString &number : std::as_const(inUse))
                free -= number.size() == 5 && number.toInt() >= lowest && number.toInt() <= highest ? 1 : 0;
            return Variant(free);
        };
        table.passwords.ReiniciaSenhaCupom = [this](const QString &, const QString &date) {
            restarts << date;
            counter = 0;
            return Variant(QString());
        };
        table.passwords.random = [this](int bound) {
            bounds << bound;
            return draws.isEmpty() ? 0 : qMin(draws.takeFirst(), bound - 1);
        };
        server = std::make_unique<ScopedTable<ServerSeams>>(table);
    }
    void TearDown() override
    {
        server.reset();
        SettlementTest::TearDown();
    }

    // An order takes the number: it is in use from now on.
    QString take(const QString &mode, int lowest = 0)
    {
        const QString number = settlement().GeraSenhaCupom(mode, lowest);
        if (!number.isEmpty())
            inUse.insert(number);
        return number;
    }

    int counter = 0;
    QSet<QString> inUse;
    QStringList asked;
    QStringList restarts;
    int freeCounts = 0;
    QList<int> draws;
    QList<int> bounds;
    std::unique_ptr<ScopedTable<ServerSeams>> server;
};

TEST_F(PagerTest, SequentialTakesTheDaysNextNumber)
{
    EXPECT_EQ(take("S"), "1");
    EXPECT_EQ(take("S"), "2");
}

TEST_F(PagerTest, SequentialSkipsEveryNumberAnOpenOrderUses)
{
    inUse = {"1", "2", "3"};
    EXPECT_EQ(take("S"), "4");
}

struct LimitCase
{
    const char *name;
    const char *maximum;
    int counterBefore;
    const char *expected;
    int restarts;
};

class PagerLimits : public PagerTest, public ::testing::WithParamInterface<LimitCase>
{
};

TEST_P(PagerLimits, HighestNumberIsComparedAsANumber)
{
    state().editParams().stNRMAXSENHAPED = GetParam().maximum;
    counter = GetParam().counterBefore;
    EXPECT_EQ(take("S"), GetParam().expected);
    EXPECT_EQ(restarts.size(), GetParam().restarts);
}

INSTANTIATE_TEST_SUITE_P(Cases, PagerLimits,
                         ::testing::Values(LimitCase{"NoLimit", "", 1000, "1001", 0},
                                           LimitCase{"BelowLimit", "999", 10, "11", 0},
                                           LimitCase{"AtLimit", "999", 998, "999", 0},
                                           LimitCase{"ThousandIsAboveNineHundredNinetyNine", "999", 999, "1", 1},
                                           LimitCase{"FarAbove", "999", 9990, "1", 1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(PagerTest, RestartNamesTheDay)
{
    state().editParams().stNRMAXSENHAPED = "5";
    counter = 5;
    take("S");
    EXPECT_EQ(restarts, QStringList{"05/03/2024"});
}

TEST_F(PagerTest, RandomFiveDigitsIsPaddedAndDrawnFromLowestUp)
{
    draws = {41};
    EXPECT_EQ(take("A", 100), "00141");
    EXPECT_EQ(bounds.first(), 99998 - 100 + 1);
}

TEST_F(PagerTest, RandomDrawsAgainWhileTheNumberIsTaken)
{
    inUse = {"00005", "00006"};
    draws = {5, 6, 7};
    EXPECT_EQ(take("A"), "00007");
    EXPECT_EQ(asked, QStringList({"00005", "00006", "00007"}));
}

TEST_F(PagerTest, LowestAtTheTopGivesThatNumber)
{
    draws = {12345};
    EXPECT_EQ(take("A", 99998), "99998");
}

TEST_F(PagerTest, OtherModesDrawThreeDigitsPaddedToFive)
{
    draws = {997};
    EXPECT_EQ(take("X"), "00997");
    EXPECT_EQ(bounds.first(), 999);
}

TEST_F(PagerTest, RandomNumbersAreNeverRepeatedAmongOpenOrders)
{
    // A tiny range (lowest 990 of three digits: 990..998) and unlucky draws: every order still
    // gets a number no open order has, and the tenth finds none left.
    QSet<QString> given;
    for (int order = 0; order < 9; ++order) {
        draws = QList<int>(300, 0); // the generator keeps answering the lowest number
        const QString number = take("X", 990);
        ASSERT_FALSE(number.isEmpty()) << "order " << order;
        EXPECT_FALSE(given.contains(number)) << number.toStdString();
        given.insert(number);
    }
    draws = QList<int>(300, 0);
    EXPECT_EQ(take("X", 990), "");
    EXPECT_EQ(messages->count(), 1);
}

// Every number of the range in use: one query finds it so, the cashier is told once that day,
// and the sales after it go without a number, without asking the base number by number.
TEST_F(PagerTest, AFullRangeIsFoundInOneQueryAndToldOnceADay)
{
    for (int n = 990; n <= 998; ++n)
        inUse.insert(QStringLiteral("00%1").arg(n));
    for (int sale = 0; sale < 3; ++sale) {
        draws = QList<int>(300, 0);
        EXPECT_EQ(take("X", 990), "");
    }
    EXPECT_EQ(asked, QStringList());
    EXPECT_EQ(freeCounts, 3);
    EXPECT_EQ(messages->count(), 1);
}

TEST_F(PagerTest, TypedNumberComesFromTheKeypadUnchanged)
{
    host->script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{true, "77"});
    EXPECT_EQ(take("D"), "77");
    const KeypadRequest request = host->last(&Pkg_Hrk00002::TecladoNumerico);
    EXPECT_EQ(request.title, "Senha/Pager do cupom");
    EXPECT_EQ(request.prompt, "Informe a senha/pager do cupom.");
    EXPECT_EQ(request.emptyMessage, "Senha/Pager deve ser informada.");
    EXPECT_EQ(request.maxLength, 5);
    EXPECT_EQ(state().settlement.stNotaManualAux1, "77");
}

TEST_F(PagerTest, LeavingTheKeypadAsksAgain)
{
    host->script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{false, ""});
    host->script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{true, "12"});
    EXPECT_EQ(take("D"), "12");
    EXPECT_EQ(host->count(&Pkg_Hrk00002::TecladoNumerico), 2);
}

TEST_F(PagerTest, TypedNumberInUseIsRefusedAndAskedAgain)
{
    inUse = {"12"};
    host->script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{true, "12"});
    host->script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{true, "13"});
    EXPECT_EQ(take("D"), "13");
    EXPECT_EQ(messages->count(), 1);
    EXPECT_EQ(host->last(&Pkg_Hrk00002::TecladoNumerico).value, "12"); // the kept value is shown again
}

TEST_F(PagerTest, NobodyAtTheKeypadEndsWithoutANumberInsteadOfHanging)
{
    // The fake keypad is always left.
    EXPECT_EQ(take("D"), "");
    EXPECT_EQ(host->count(&Pkg_Hrk00002::TecladoNumerico), 10);
}

} // namespace
