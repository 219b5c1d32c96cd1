#include "consumers_cases.h"

#include <server/srv_consumers.h>

using namespace LookupsTest;
using namespace ConsumerRows;
using namespace Srv_Kal51000;

namespace {

const char *today = "2026-03-04 00:00:00";

// Sales of the consumer: two valid ones today (services S1 and S2), a cancelled one today, a
// valid one yesterday.
const QStringList sales{
    sale("V1", "K1", "O", today, "S1"),      item("V1", "1", "P1", "2", "10"), item("V1", "2", "P2", "1", "4"),
    sale("V2", "K1", "O", today, "S2"),      item("V2", "1", "P1", "1", "10"),
    sale("V3", "K1", "C", today, "S1"),      item("V3", "1", "P1", "5", "10"),
    sale("V4", "K1", "O", "2026-03-03 00:00:00", "S1"), item("V4", "1", "P1", "7", "10"),
};

const QString typeRules =
    "INSERT INTO TIPOCONSFILI (CDTIPOCONS, CDFILIAL, IDRECEBEBONUS, VRCARGACREDITO, VRBONUSCREDITO, VRSALDCONSBONUS, "
    "IDPERIODOBONUS, CDTIPORECE, QTRECARGASMES, VRSALDOBASICO, VRSALDOEXTRA, NMGRUPOSEGPETRO) VALUES "
    "('T1', '01', 'S', 50, 5, 100, 'M', '009', 4, 0, 0, 'OURO')";
const QString storeLimits =
    "INSERT INTO TIPOCONSLOJA (CDTIPOCONS, CDFILIAL, CDLOJA, VRMAXCONSDIAC, VRMAXCONSDIAD, VRMAXCONSMESC, VRMAXCONSMESD, "
    "VRMAXCONSMENSAL) VALUES ('T1', '01', 'L1', 40, 30, 400, 300, 500)";

QString loads()
{
    int count = -1;
    const Variant last = GetCargaCredito("C1", "K1", "REF", QDateTime(QDate(2026, 3, 1), QTime()),
                                         QDateTime(QDate(2026, 3, 4), QTime()), count);
    return render(last) + "|" + QString::number(count);
}

const QList<Case> limitCases{
    {"ProdVenDiaServOnlyValidSalesOfTodayInTheService", sales,
     [] { return render(getProdVenDiaServ("01", "C1", "K1", "P1", "S1")); }, "2", "0", "ITEMVENDA", failure},
    {"GtDiaServ", sales, [] { return render(getGtDiaServ("01", "C1", "K1", "S1")); }, "24", "0", "ITEMVENDA", failure},
    {"ProdBasVenDiaAnyService", sales, [] { return render(getProdBasVenDia("01", "C1", "K1", "P1")); }, "3", "0",
     "VENDA", failure},
    {"TipoConsFili", {typeRules}, [] { return render(GetTipoConsFili("01", "T1")); }, "S|50|5|100|M|009|4|0|0", "",
     "TIPOCONSFILI", failure},
    {"NmTipoConsOnTheProbe", {"INSERT INTO TIPOCONS (CDTIPOCONS, NMTIPOCONS) VALUES ('T1', 'Func')"},
     [] { return GetNmTipoCons("T1"); }, "Func", "", "TIPOCONS", ""},
    {"TipoConsFiliClubPetro", {typeRules},
     [] { return renderColumns(GetTipoConsFiliClubPetro("OURO"), {"CDTIPOCONS", "NMGRUPOSEGPETRO"}); }, "T1|OURO", "",
     "TIPOCONSFILI", failure},
    {"TipoConsLojaOfTheConsumersType", {consumer("K1", "1", "B1"), storeLimits},
     [] { return render(getTipoConsLoja("01", "L1", "C1", "K1")); }, "40|30|400|300|500", "", "TIPOCONSLOJA", failure},
    {"LimiteConsOfAnActiveConsumer", {consumer("K1", "1", "B1"), consumer("K2", "2", "B2")},
     [] { return render(getLimiteCons("C1", "K1")) + "/" + render(getLimiteCons("C1", "K2")); }, "200|30/", "/",
     "CONSUMIDOR", "@both"},
    {"GastConsLojaDebitOfTheMonth",
     plus(sales, {debit("0000000001", "K1", "V1", today, "24", "24"), debit("0000000002", "K1", "V4", "2026-03-03 00:00:00", "70", "94"),
                  debit("0000000003", "K1", "V3", today, "50", "144")}),
     [] { return render(getGastConsLoja("01", "L1", "C1", "K1", "1", "M")) + "/"
                 + render(getGastConsLoja("01", "L1", "C1", "K1", "1", "D")); },
     "94/24", "0/0", "MOVICLIE", "@both"},
    {"GastConsLojaCredit",
     plus(sales, {line("REF", "2026-03-04 09:00:00", "001", "V", "24", "0", "'V1'")}),
     [] { return render(getGastConsLoja("01", "L1", "C1", "K1", "2", "D")); }, "24", "0", "EXTRATOCONS", failure},
    {"GastoConsMesBothDaysIncluded",
     {debit("0000000001", "K1", "V1", "2026-03-01 00:00:00", "5", "5"), debit("0000000002", "K1", "V2", "2026-03-31 00:00:00", "7", "12"),
      debit("0000000003", "K1", "V3", "2026-04-01 00:00:00", "100", "112")},
     [] { return render(getGastoConsMes("C1", "K1", QDateTime(QDate(2026, 3, 1), QTime()), QDateTime(QDate(2026, 3, 31), QTime()))); },
     "12", "0", "MOVICLIE", failure},
    {"VerifProdConsumiNeedsADebitOfToday", plus(sales, {debit("0000000001", "K1", "V2", today, "10", "10")}),
     [] { return render(getVerifProdConsumi("C1", "K1", "P1")); }, "1", "", "MOVICLIE", failure},
    {"CdFamiliSald",
     {"INSERT INTO FAMSALDOPROD (CDFILIAL, CDFAMILISALD, CDPRODUTO, QTCONSDIAFAM) VALUES ('01', 'REF', 'P1', 2)"},
     [] { return render(getCdFamiliSald("01", "P1")); }, "REF", "", "FAMSALDOPROD", failure},
    {"CargaCreditoLeavesCancelledLoadsOut",
     {line("REF", "2026-03-01 08:00:00", "001", "C", "50", "50", "NULL", "'10'"),
      line("REF", "2026-03-02 08:00:00", "001", "C", "50", "100", "NULL", "'11'"),
      line("REF", "2026-03-03 08:00:00", "001", "C", "50", "150", "NULL", "'12'"),
      line("REF", "2026-03-03 09:00:00", "001", "D", "50", "100", "NULL", "'12'"),
      line("REF", "2026-03-03 10:00:00", "001", "C", "5", "105", "'V9'"),
      line("REF", "2026-02-20 08:00:00", "001", "C", "50", "50", "NULL", "'9'")},
     [] { return loads(); }, "02/03/2026 08:00:00|2", "|0", "EXTRATOCONS", "@loads"},
};

class ConsumerLimits : public Cases {};

TEST_P(ConsumerLimits, MissingFoundFailed)
{
    const Case &c = lookup();
    if (!c.failed.startsWith("@both") && !c.failed.startsWith("@loads")) {
        runCase();
        return;
    }
    EXPECT_EQ(c.call(), c.missing);
    for (const QString &sql : c.arrange)
        ASSERT_TRUE(m_fixture.exec(sql));
    EXPECT_EQ(c.call(), c.found);
    ASSERT_TRUE(m_fixture.exec("DROP TABLE " + c.table));
    const QString failed = c.call();
    // Both answers fail; the loads' count is 0, not what it was.
    EXPECT_TRUE(failed.startsWith("FAILURE ") && failed.contains(c.table, Qt::CaseInsensitive)) << failed.toStdString();
    if (c.failed == "@loads") {
        EXPECT_TRUE(failed.endsWith("|0")) << failed.toStdString();
    }
}

LOOKUP_CASES(ConsumerLimits, limitCases);

// The daily quantity verdicts: the consumer's rule of the weekday first, else the family's.
struct QuantityCase
{
    std::string name;
    QStringList rules;
    double quantity;
    QString verdict;
};

const QString weekdayRule(const char *limit, const char *mask)
{
    return QStringLiteral("INSERT INTO PRODRALIMENT (CDFILIAL, CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, CDPRODUTO, QTCONSDIARAL, "
                          "IDBLOQDIARAL) VALUES ('01', 'C1', 'K1', 'REF', 'P1', %1, %2)")
        .arg(QLatin1String(limit), QLatin1String(mask));
}

const QString familyRule(const char *limit)
{
    return QStringLiteral("INSERT INTO FAMSALDOPROD (CDFILIAL, CDFAMILISALD, CDPRODUTO, QTCONSDIAFAM) VALUES ('01', 'REF', "
                          "'P1', %1)")
        .arg(QLatin1String(limit));
}

// Sold today: 3 of P1; in the sale: 1 of P1 and 9 of P2. Wednesday is position 4.
const QList<QuantityCase> quantityCases{
    {"NoRuleAtAll", {}, 1, "QTDE_OK"},
    {"ConsumerLimitEqualToTheTotalPasses", {weekdayRule("5", "'SSSSSSS'")}, 1, "QTDE_OK"},
    {"ConsumerLimitOneBelow", {weekdayRule("5", "'SSSSSSS'")}, 2, "QTDE_NOT_CONS"},
    {"ConsumerLimitZeroClosesTheProduct", {weekdayRule("0", "NULL")}, 1, "PROD_NOT_CONS"},
    {"ConsumerRuleWithoutLimit", {weekdayRule("NULL", "NULL"), familyRule("1")}, 9, "QTDE_OK"},
    {"MondayRuleLeavesWednesdayToTheFamily", {weekdayRule("0", "'NSNNNNN'"), familyRule("4")}, 1, "QTDE_NOT_FAM"},
    {"WednesdayRuleApplies", {weekdayRule("9", "'NNNSNNN'"), familyRule("1")}, 1, "QTDE_OK"},
    {"FamilyLimitZero", {familyRule("0")}, 1, "PROD_NOT_FAM"},
    {"FamilyLimitEqual", {familyRule("5")}, 1, "QTDE_OK"},
};

class QuantityVerdict : public ::testing::TestWithParam<std::tuple<DatabaseKind, QuantityCase>>
{
protected:
    void SetUp() override
    {
        if (std::get<0>(GetParam()) == DatabaseKind::PostgreSql && !TestBase::postgresConfigured())
            GTEST_SKIP() << "PostgreSQL tests need VENDACONS_TEST_PG";
        std::string why;
        ASSERT_TRUE(m_fixture.open(std::get<0>(GetParam()), &why)) << why;
        for (const QString &sql : sales)
            ASSERT_TRUE(m_fixture.exec(sql));
    }
    void TearDown() override { m_fixture.close(); }

    Fixture m_fixture;
};

Variant saleItems()
{
    DataPacket packet;
    packet.fields = {FieldDef{"CDPRODUTO", FieldType::String, 20}, FieldDef{"QTPRODCOMVEN", FieldType::Double, 0}};
    packet.rows = {{QStringLiteral("P1"), 1.0}, {QStringLiteral("P2"), 9.0}};
    return Variant(packet);
}

TEST_P(QuantityVerdict, CountsTodayTheSaleAndTheQuantity)
{
    const QuantityCase &c = std::get<1>(GetParam());
    for (const QString &sql : c.rules)
        ASSERT_TRUE(m_fixture.exec(sql));
    EXPECT_EQ(render(getQtdeProdDia("01", "C1", "K1", "REF", "P1", c.quantity, saleItems())), c.verdict);
    ASSERT_TRUE(m_fixture.exec("DROP TABLE PRODRALIMENT"));
    EXPECT_TRUE(getQtdeProdDia("01", "C1", "K1", "REF", "P1", c.quantity, saleItems()).isFailure());
}

INSTANTIATE_TEST_SUITE_P(Kinds, QuantityVerdict,
                         ::testing::Combine(::testing::Values(DatabaseKind::SQLite, DatabaseKind::PostgreSql),
                                            ::testing::ValuesIn(quantityCases)),
                         [](const auto &info) {
                             const char *kind = std::get<0>(info.param) == DatabaseKind::SQLite ? "SQLite" : "PostgreSQL";
                             return std::string(kind) + "_" + std::get<1>(info.param).name;
                         });

// Benefit limits: the first day of a grant and the later days count today's uses apart.
class BenefitLimits : public DatabaseTest
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
    QString limits() { return render(getValLimiteBene("C1", "K1", "CP", "B1")); }
    void use(const char *seq, const char *when)
    {
        exec(QStringLiteral("INSERT INTO MOVBENEFICIOCONS (NRSEQBENECONS, CDCAMPANHA, NRSEQBENEFICIO, CDCLIENTE, CDCONSUMIDOR, "
                            "DTUTBENECONS) VALUES ('%1', 'CP', 'B1', 'C1', 'K1', '%2')")
                 .arg(QLatin1String(seq), QLatin1String(when)));
    }
};

QString renderArray(const Variant &value)
{
    QStringList items;
    for (const Variant &item : value.items())
        items << item.toString();
    return items.join('|');
}

TEST_P(BenefitLimits, FirstDayAndLaterDays)
{
    EXPECT_EQ(renderArray(getValLimiteBene("C1", "K1", "CP", "B1")), "True|True||");
    exec("INSERT INTO BENEFICIOQUB (NRSEQBENEFICIO, QTDMAXDIACOMPRA, QTDMAXDIASUBSEQ) VALUES ('B1', 1, 2)");
    exec("INSERT INTO MOVBENEFICIOCTR (CDCLIENTE, CDCONSUMIDOR, CDCAMPANHA, NRSEQPRODCAMP, NRSEQBENEFICIO, DTINIVALBENECONS) "
         "VALUES ('C1', 'K1', 'CP', '1', 'B1', '2026-03-04 00:00:00')");
    EXPECT_EQ(renderArray(getValLimiteBene("C1", "K1", "CP", "B1")), "True|True||");
    use("1", "2026-03-04 09:00:00");
    EXPECT_EQ(renderArray(getValLimiteBene("C1", "K1", "CP", "B1")), "False|True|1|");
    exec("UPDATE MOVBENEFICIOCTR SET DTINIVALBENECONS = '2026-03-01 00:00:00'");
    use("2", "2026-03-04 09:30:00");
    EXPECT_EQ(renderArray(getValLimiteBene("C1", "K1", "CP", "B1")), "True|False||2");
    exec("DROP TABLE BENEFICIOQUB");
    EXPECT_TRUE(getValLimiteBene("C1", "K1", "CP", "B1").isFailure());
}

VENDACONS_DATABASE_KINDS(BenefitLimits);

} // namespace
