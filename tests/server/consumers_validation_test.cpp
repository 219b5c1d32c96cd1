#include "consumers_cases.h"

#include <server/srv_consumers.h>

#include <support/fakehost.h>

#include <outside/pkg_hrk00002.h>

using namespace LookupsTest;
using namespace ConsumerRows;
using namespace Srv_Kal51000;

namespace {

// A family-amounts packet: the part of the sale on each family.
Variant amounts(const QList<std::pair<const char *, double>> &parts)
{
    DataPacket packet;
    packet.fields = {FieldDef{"CDFAMILISALD", FieldType::String, 3}, FieldDef{"VRSALDCONFAM", FieldType::Double, 0}};
    for (const auto &[family, value] : parts)
        packet.rows.append({QString::fromLatin1(family), value});
    return Variant(packet);
}

QString loans(const Variant &answer)
{
    return renderColumns(answer, {"CDFAMILISALD", "IDTPMOVEXT", "VRMOVEXTCONS", "VRSALDCONEXT", "NRSEQMOVEXT"});
}

struct LoanCase
{
    std::string name;
    QStringList arrange;
    QList<std::pair<const char *, double>> parts;
    QString expected; // the loans, or "FAILURE " + the refusal
    const char *IDPERCOMVENCPDC = "N";
};

const QString spentToday = line("REF", "2026-03-04 08:00:00", "001", "V", "20", "60", "'S1'");
const QString thirdFamily[] = {
    "INSERT INTO FAMILIASALDO (CDFAMILISALD, NMFAMILISALD) VALUES ('SOB', 'SOBREMESA')",
    "INSERT INTO FAMSALDOFILI (CDFILIAL, CDFAMILISALD, NRORDAPRSALD, IDSALDNEGFAM) VALUES ('01', 'SOB', '003', 'N')",
};
const QString checked = "UPDATE CONSUMIDOR SET IDVERSALDCON = 'S'";

const QList<LoanCase> loanCases{
    {"EverythingFitsNoLoan", {balance("REF", "80"), balance("LAN", "20")}, {{"REF", 30}, {"LAN", 10}}, ""},
    {"AmountEqualToTheRemainingDailyLimitPasses", {balance("REF", "80"), spentToday}, {{"REF", 30}}, ""},
    {"OneCentOverTheDailyLimit", {balance("REF", "80"), spentToday}, {{"REF", 30.01}},
     "FAILURE ERRO_1 REF - REFEICAO@@50==20@@30,01"},
    {"ConsumerRuleWithoutLimitIsNotLimited",
     {balance("REF", "100"), "INSERT INTO RALIMENT (CDFILIAL, CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD) VALUES ('01', 'C1', 'K1', 'REF')"},
     {{"REF", 60}}, ""},
    {"FamilyClosedToTheConsumer",
     {balance("REF", "100"),
      "INSERT INTO RALIMENT (CDFILIAL, CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, VRCONSDIARAL) VALUES ('01', 'C1', 'K1', 'REF', 0)"},
     {{"REF", 1}}, "FAILURE ERRO_3 REF - REFEICAO"},
    {"EarlierFamilyLendsTheMissingPart", {balance("REF", "80"), balance("LAN", "5")}, {{"LAN", 12}},
     "REF|D|7|73|001; LAN|C|7|12|001"},
    {"NoBalanceBorrowsTheWholeAmount", {balance("REF", "80"), balance("LAN", "-3")}, {{"LAN", 12}},
     "REF|D|12|68|001; LAN|C|12|9|001"},
    {"FirstInOrderFindsNoLender", {balance("REF", "10")}, {{"REF", 20}}, "FAILURE ERRO_2REF - REFEICAO"},
    {"FirstInOrderGoesShortWhenTheTillAndConsumerAllow", {balance("REF", "10"), checked}, {{"REF", 20}}, "", "S"},
    {"FamilyAllowedNegativeIsNotChecked",
     {"UPDATE FAMSALDOFILI SET IDSALDNEGFAM = 'S' WHERE CDFAMILISALD = 'LAN'"}, {{"LAN", 100}}, ""},
    {"ShortLenderAllowedNegativeLendsAnyway",
     {balance("REF", "3"), "UPDATE FAMSALDOFILI SET IDSALDNEGFAM = 'S' WHERE CDFAMILISALD = 'REF'"}, {{"LAN", 10}},
     "REF|D|10|-7|001; LAN|C|10|10|001"},
    {"SecondBorrowerCountsWhatTheLenderAlreadyLent",
     {balance("REF", "30"), thirdFamily[0], thirdFamily[1]}, {{"LAN", 10}, {"SOB", 15}},
     "REF|D|10|20|001; LAN|C|10|10|001; REF|D|15|5|002; SOB|C|15|15|001"},
    // 0,10 spent and 0,20 lent make the lender's daily value of 0,30 to the cent, as the
    // family's own check counts it.
    {"LenderReachingItsDailyValueToTheCentStillLends",
     {balance("REF", "80"), "UPDATE FAMSALDOFILI SET VRCONSDIAFAM = 0.3 WHERE CDFAMILISALD = 'REF'",
      line("REF", "2026-03-04 08:00:00", "001", "V", "0.1", "79.9", "'S1'")},
     {{"LAN", 0.2}}, "REF|D|0,2|79,8|001; LAN|C|0,2|0,2|001"},
    {"LenderPastTheMaximumCredit",
     {balance("REF", "80"), balance("LAN", "5"), checked + ", VRMAXCREDCONS = 5"}, {{"LAN", 12}},
     "FAILURE ERRO_4 REF - REFEICAO@@5==0@@80"},
    {"LenderBelowTheCreditFloor",
     {balance("REF", "80"), balance("LAN", "5"), checked + ", VRLIMCREDCONS = 75"}, {{"LAN", 12}},
     "FAILURE ERRO_5 REF - REFEICAO@@75==0@@80"},
};

class PaymentValidation : public ::testing::TestWithParam<std::tuple<DatabaseKind, LoanCase>>
{
protected:
    void SetUp() override
    {
        if (std::get<0>(GetParam()) == DatabaseKind::PostgreSql && !TestBase::postgresConfigured())
            GTEST_SKIP() << "PostgreSQL tests need VENDACONS_TEST_PG";
        std::string why;
        ASSERT_TRUE(m_fixture.open(std::get<0>(GetParam()), &why)) << why;
        for (const QString &sql : plus(families, {consumer("K1", "1", "B1"),
                                                  "INSERT INTO TIPORECE (CDTIPORECE, IDTIPORECE) VALUES ('020', 'A')",
                                                  "INSERT INTO TIPORECE (CDTIPORECE, IDTIPORECE) VALUES ('010', 'A')"}))
            ASSERT_TRUE(m_fixture.exec(sql));
    }
    void TearDown() override { m_fixture.close(); }

    Variant validate(const LoanCase &c)
    {
        return setValidaSaldoCons("01", "001", "C1", "K1", QString::fromLatin1(c.IDPERCOMVENCPDC), "N", "", "N",
                                  amounts(c.parts), LookupsTest::now());
    }

    Fixture m_fixture;
};

TEST_P(PaymentValidation, AnswersTheLoansOrTheRefusalAndWritesNothing)
{
    const LoanCase &c = std::get<1>(GetParam());
    for (const QString &sql : c.arrange)
        ASSERT_TRUE(m_fixture.exec(sql));
    const qsizetype lines = m_fixture.count("SELECT * FROM EXTRATOCONS");
    const Variant answer = validate(c);
    EXPECT_EQ(answer.isFailure() ? render(answer) : loans(answer), c.expected);
    EXPECT_EQ(m_fixture.count("SELECT * FROM EXTRATOCONS"), lines);
}

TEST_P(PaymentValidation, AFailingBaseIsAFailureNamingTheTable)
{
    const LoanCase &c = std::get<1>(GetParam());
    for (const QString &sql : c.arrange)
        ASSERT_TRUE(m_fixture.exec(sql));
    ASSERT_TRUE(m_fixture.exec("DROP TABLE RALIMENT"));
    const Variant answer = validate(c);
    ASSERT_TRUE(answer.isFailure());
    EXPECT_TRUE(answer.failureText().contains("RALIMENT", Qt::CaseInsensitive)) << answer.failureText().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Kinds, PaymentValidation,
                         ::testing::Combine(::testing::Values(DatabaseKind::SQLite, DatabaseKind::PostgreSql),
                                            ::testing::ValuesIn(loanCases)),
                         [](const auto &info) {
                             const char *kind = std::get<0>(info.param) == DatabaseKind::SQLite ? "SQLite" : "PostgreSQL";
                             return std::string(kind) + "_" + std::get<1>(info.param).name;
                         });

class LoanLines : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        Clock::setNow([] { return LookupsTest::now(); });
        for (const QString &sql : plus(families, {consumer("K1", "1", "B1"), balance("REF", "80"), balance("LAN", "5"),
                                                  "INSERT INTO TIPORECE (CDTIPORECE, IDTIPORECE) VALUES ('020', 'A')"}))
            exec(sql);
    }
    void TearDown() override
    {
        Clock::setNow({});
        DatabaseTest::TearDown();
    }
};

// Both lines of a loan carry one stamp, the internal-move descriptions, the lowest receipt
// type of kind "A", and the desk; the sequence follows the lines already at that instant.
TEST_P(LoanLines, APairOfStatementLinesAtOneInstant)
{
    exec(line("REF", "2026-03-04 10:00:00", "001", "C", "1", "81"));
    const Variant answer = setValidaSaldoCons("01", "001", "C1", "K1", "N", "N", "", "N", amounts({{"LAN", 12}}),
                                              LookupsTest::now());
    ASSERT_TRUE(answer.isPacket()) << render(answer).toStdString();
    EXPECT_EQ(renderColumns(answer, {"DTMOVEXTCONS", "NRSEQMOVEXT", "CDTIPORECE", "DSOPEEXTCONS", "CDFILIAL", "CDCAIXA"}),
              "04/03/2026 10:00:00|002|020|QUB - Debito Oper.Interna|01|001; "
              "04/03/2026 10:00:00|001|020|QUB - Credito Oper.Interna|01|001");
}

// The day figures of the packet's last family: its limit (0 without one), the spending, and a
// failure for a family closed to the consumer.
TEST_P(LoanLines, DayFiguresOfTheLastFamily)
{
    exec(line("REF", "2026-03-04 08:00:00", "001", "V", "20", "60", "'S1'"));
    exec(line("REF", "2026-03-04 08:30:00", "001", "C", "4", "64", "'S0'"));
    const QDateTime desk = LookupsTest::now();
    EXPECT_EQ(render(getLimitConsDiario("01", "001", "C1", "K1", amounts({{"LAN", 1}, {"REF", 1}}), desk)), "50");
    EXPECT_EQ(render(getGastoDia("01", "001", "C1", "K1", amounts({{"LAN", 1}, {"REF", 1}}), desk)), "16");
    EXPECT_EQ(render(getLimitConsDiario("01", "001", "C1", "K1", amounts({{"LAN", 1}}), desk)), "0");
    exec("INSERT INTO RALIMENT (CDFILIAL, CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, VRCONSDIARAL) VALUES ('01', 'C1', 'K1', 'LAN', 0)");
    EXPECT_EQ(render(getLimitConsDiario("01", "001", "C1", "K1", amounts({{"LAN", 1}}), desk)), "FAILURE ERRO_3 LAN - LANCHE");
}


// With the online or central statement the balances, the day's spending and the lenders come
// from the host's statement service; an unanswered call refuses with its own code.
TEST_P(LoanLines, OnlineAndCentralStatementsAskTheHost)
{
    FakeHost host;
    host.setDefault(&Pkg_Hrk00002::ExtratoConsOnline, StatementAnswer{false, {}, {}});
    host.setDefault(&Pkg_Hrk00002::ExtratoConsCentral, StatementAnswer{false, {}, {}});
    const Variant families = amounts({{"LAN", 12}});
    EXPECT_EQ(render(setValidaSaldoCons("01", "001", "C1", "K1", "N", "S", "http://127.0.0.1:1", "N", families, {})),
              "FAILURE FALHA_CONEXAO_SRV");
    EXPECT_EQ(render(setValidaSaldoCons("01", "001", "C1", "K1", "N", "N", "", "S", families, {})),
              "FAILURE EXTCONSCENTRAL_ERRO");

    DataPacket balances;
    balances.fields = {FieldDef{"CDFAMILISALD", FieldType::String, 3}, FieldDef{"VRSALDCONFAM", FieldType::Double, 0}};
    balances.rows = {{QStringLiteral("LAN"), 20.0}};
    host.setDefault(&Pkg_Hrk00002::ExtratoConsOnline, StatementAnswer{true, Variant(balances), {}});
    // The service's balance covers what the base's would not.
    const Variant answer = setValidaSaldoCons("01", "001", "C1", "K1", "N", "S", "http://127.0.0.1:1", "N", families, {});
    EXPECT_TRUE(answer.isPacket() && answer.packet().isEmpty()) << render(answer).toStdString();
    const auto asked = host.requests(&Pkg_Hrk00002::ExtratoConsOnline);
    ASSERT_GE(asked.size(), 2);
    EXPECT_EQ(asked.last().operation, "CONSULTA_CONSUMO_FAMILIA");
    EXPECT_EQ(asked.last().url, "http://127.0.0.1:1");
}

VENDACONS_DATABASE_KINDS(LoanLines);

} // namespace
