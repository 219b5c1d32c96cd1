#include "consumers_cases.h"

#include <server/srv_consumers.h>

using namespace LookupsTest;
using namespace ConsumerRows;
using namespace Srv_Kal51000;

namespace {

const QDateTime today(QDate(2026, 3, 4), QTime(0, 0));

const QStringList statement{
    line("REF", "2026-03-01 08:00:00", "001", "C", "100", "100", "NULL", "'7'"),
    line("REF", "2026-03-04 09:00:00", "001", "V", "20", "80", "'S1'"),
    line("REF", "2026-03-04 09:30:00", "001", "C", "5", "85", "'S0'"),
    line("LAN", "2026-03-04 09:00:00", "001", "V", "7.5", "0"),
};

const QList<Case> balanceCases{
    {"SaldoCons",
     {debit("0000000001", "K1", "S1", "2026-03-03 12:00:00", "10", "10"),
      debit("0000000002", "K1", "S2", "2026-03-04 09:00:00", "15", "25")},
     [] { return render(getSaldoCons("C1", "K1")); }, "25|0", "", "MOVICLIE", failure},
    {"SaldoCred", plus(families, {balance("REF", "80")}), [] { return render(getSaldoCred("C1", "K1", "REF")); },
     "C1|K1|REF|80", "", "SALDOCONS", failure},
    {"ConsSaldFamZeroWithoutRow", plus(families, {balance("LAN", "12.5")}),
     [] { return renderColumns(getConsSaldFam("01", "C1", "K1"), {"CDFAMILISALD", "NMFAMILISALD", "VRSALDCONFAM"}); },
     "LAN|LANCHE|12,5; REF|REFEICAO|0", "", "FAMSALDOFILI", failure},
    {"MinDtMovExtCons", statement, [] { return render(getMinDtMovExtCons("C1", "K1")); }, "01/03/2026 08:00:00", "",
     "EXTRATOCONS", failure},
    {"GastConsCreditToday", statement, [] { return render(getGastCons("C1", "K1", "2")); }, "27,5", "0", "EXTRATOCONS",
     failure},
    {"GastConsDebitToday",
     {debit("0000000001", "K1", "S1", "2026-03-03 00:00:00", "10", "10"),
      debit("0000000002", "K1", "S2", "2026-03-04 00:00:00", "15", "25")},
     [] { return render(getGastCons("C1", "K1", "1")); }, "15", "0", "MOVICLIE", failure},
    {"SaldoConsBonus", {balance("REF", "80")}, [] { return render(GetSaldoConsBonus("C1", "K1", "REF")); }, "80", "0",
     "SALDOCONS", failure},
    {"VrSaldConsumi",
     {consumer("K1", "1", "B1"), sale("S1", "K1", "O", "2026-03-04 00:00:00"), item("S1", "1", "P1", "2", "10"),
      sale("S2", "K1", "O", "2026-03-02 00:00:00"), item("S2", "1", "P1", "1", "7"),
      sale("S3", "K1", "C", "2026-03-04 00:00:00"), item("S3", "1", "P1", "1", "99")},
     [] { return render(getVrSaldConsumi("01", "C1", "B1", "K1", QDateTime(QDate(2026, 3, 1), QTime()), today)); },
     "100|200|20|27", "", "CONSUMIDOR", failure},
    {"SaldoExcedente",
     {consumer("K1", "1", "B1"), debit("0000000001", "K1", "S1", "2026-03-04 00:00:00", "50", "50"),
      debit("0000000002", "K1", "S2", "2026-02-20 00:00:00", "40", "90")},
     [] { return render(getSaldoExcedente("x", "C1", "K1", QDateTime(QDate(2026, 3, 1), QTime()))); }, "20", "",
     "CONSUMIDOR", failure},
    {"VrSubsBasicoConsOnlyTheConsumersSales",
     {debit("0000000001", "K1", "S1", "2026-03-04 00:00:00", "10", "10"),
      debit("0000000001", "", "S1", "2026-03-04 00:00:00", "4", "0"),
      debit("0000000002", "", "S9", "2026-03-04 00:00:00", "6", "0")},
     [] { return render(getVrSubsBasicoCons("C1", "K1")); }, "4", "0", "MOVICLIE", failure},
    {"VrSubsBasico", {consumer("K1", "1", "B1")}, [] { return render(getVrSubsBasico("C1", "K1")); }, "5", "",
     "CONSUMIDOR", failure},
    {"GtTotConsSaldExtra",
     {consumer("K1", "1", "B1"), debit("0000000001", "K1", "S1", "2026-03-04 00:00:00", "10", "10"),
      debit("0000000002", "K1", "S2", "2026-03-01 00:00:00", "3", "13")},
     [] { return render(getGtTotConsSaldExtra("C1", "K1", QDateTime(QDate(2026, 3, 2), QTime()))); }, "10", "0",
     "CONSUMIDOR", failure},
};

class ConsumerBalances : public Cases {};

TEST_P(ConsumerBalances, MissingFoundFailed)
{
    runCase();
}

LOOKUP_CASES(ConsumerBalances, balanceCases);

// The family order: the rule, the families that may lend (by order, an empty balance without a
// row), and today's consumption net of reversals.
class FamilyOrder : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        Clock::setNow([] { return LookupsTest::now(); });
    }
    void TearDown() override
    {
        Clock::setNow({});
        DatabaseTest::TearDown();
    }
};

TEST_P(FamilyOrder, RuleCandidatesAndTodaysConsumption)
{
    for (const QString &sql : plus(families, plus(statement, {balance("REF", "80")})))
        exec(sql);
    const Variant answer = getOrdemFamilia("01", "LAN", "C1", "K1", "N");
    ASSERT_TRUE(answer.isArray()) << render(answer).toStdString();
    EXPECT_EQ(renderColumns(answer.at(0), {"CDFAMILISALD", "NRORDAPRSALD", "IDSALDNEGFAM"}), "LAN|002|N");
    EXPECT_EQ(renderColumns(answer.at(1), {"CDFAMILISALD", "NRORDAPRSALD", "VRSALDCONFAM"}), "REF|001|80; LAN|002|");
    EXPECT_EQ(render(getOrdemFamilia("01", "REF", "C1", "K1", "N").at(2)), "15");
    exec("DROP TABLE SALDOCONS");
    EXPECT_TRUE(getOrdemFamilia("01", "LAN", "C1", "K1", "N").isFailure());
}

VENDACONS_DATABASE_KINDS(FamilyOrder);

} // namespace
