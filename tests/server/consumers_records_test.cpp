#include "consumers_cases.h"

#include <server/srv_consumers.h>

#include <runtime/cdsfile.h>

#include <QDir>
#include <QFile>

using namespace LookupsTest;
using namespace ConsumerRows;
using namespace Srv_Kal51000;

namespace {

const QString typeHidden = "INSERT INTO TIPOCONS (CDTIPOCONS, NMTIPOCONS, IDDESABPESQCON) VALUES ('T2', 'Oculto', 'S')";

const QList<Case> recordCases{
    {"ConsumidorActiveOnly", plus(branch, {consumer("K1", "1", "B1"), consumer("K2", "2", "B2")}),
     [] { return render(getConsumidor("C1", "K1")) + "/" + render(getConsumidor("C1", "K2")); }, "S/", "/",
     "CONSUMIDOR", "@both"},
    {"DadosConsumidor", plus(branch, {consumer("K1", "1", "B1")}),
     [] { return renderColumns(getDadosConsumidor("C1", "K1"), {"NMFANTCLIE", "CDIDCONSUMID", "IDATUCPFCONS"}); },
     "Metal|B1|S", "", "CLIENTE", failure},
    {"NomeCons", plus(branch, {consumer("K1", "1", "B1")}), [] { return render(getNomeCons("C1", "K1")); }, "Ana K1", "",
     "CONSUMIDOR", failure},
    {"EmailConsAnySituation", {consumer("K2", "2", "B2")}, [] { return getEmailCons("C1", "K2"); }, "ana@x.com", "",
     "CONSUMIDOR", ""},
    {"DadosPreVDSaldo", plus(branch, {consumer("K1", "1", "B1")}),
     [] { return render(getDadosPreVDSaldo("C1", "K1")); }, "N|7|7|||100|200||", "", "TIPOCONS", failure},
    {"CadConsumidorActiveOnlyWithBothSwitches", plus(branch, {consumer("K1", "1", "B1"), consumer("K2", "2", "B2")}),
     [] { return render(getCadConsumidor("01", "C1", "K1", "S", "S")) + "/" + render(getCadConsumidor("01", "C1", "K2", "S", "S")); },
     "C1|K1|Ana K1|7|5|39053344705/", "/", "CLIENFILIAL", "@both"},
    {"CadConsumidorAnySituationOfASearchableType",
     plus(branch, {consumer("K2", "2", "B2"), consumer("K3", "1", "B3"), typeHidden,
                   "UPDATE CONSUMIDOR SET CDTIPOCONS = 'T2' WHERE CDCONSUMIDOR = 'K3'"}),
     [] { return render(getCadConsumidor("01", "C1", "K2", "S", "N")) + "/" + render(getCadConsumidor("01", "C1", "K3", "N", "N")); },
     "C1|K2|Ana K2|7|5|39053344705/", "/", "TIPOCONS", "@both"},
    {"CadConsumidorOnlyAtABranchThatSellsToTheClient", plus(branch, {consumer("K1", "1", "B1")}),
     [] { return render(getCadConsumidor("02", "C1", "K1", "S", "S")); }, "", "", "CLIENFILIAL", failure},
    {"DsConsumidorOfADeliveryTab",
     {"INSERT INTO COMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, CDLOJA, DSCOMANDA, DSCONSUMIDOR) VALUES "
      "('01', '500', '7', 'L1', 'DLV_7', 'Rua A, 10 - Bia')"},
     [] { return getDsConsumidor("01", "L1", "500", "7"); }, "Rua A, 10 - Bia", "", "COMANDAVEN", ""},
    {"DsConsumidorOfAReservedTab",
     {consumer("K1", "1", "B1"),
      "INSERT INTO VENDAREST (CDFILIAL, CDLOJA, NRVENDAREST, CDCLIENTE, CDCONSUMIDOR) VALUES ('01', 'L1', '500', 'C1', 'K1')",
      "INSERT INTO COMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, CDLOJA, DSCOMANDA) VALUES ('01', '500', '7', 'L1', 'RES_7')"},
     [] { return getDsConsumidor("01", "L1", "500", "7"); }, "Ana K1", "", "VENDAREST", ""},
    {"DsConsumidorOfAnOrdinaryTab",
     {"INSERT INTO COMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, CDLOJA, DSCOMANDA, DSCONSUMIDOR) VALUES "
      "('01', '500', '7', 'L1', '7', 'X')"},
     [] { return getDsConsumidor("01", "L1", "500", "7"); }, "", "", "COMANDAVEN", ""},
};

class ConsumerRecords : public Cases {};

TEST_P(ConsumerRecords, MissingFoundFailed)
{
    const Case &c = lookup();
    if (c.failed != "@both") {
        runCase();
        return;
    }
    EXPECT_EQ(c.call(), c.missing);
    for (const QString &sql : c.arrange)
        ASSERT_TRUE(m_fixture.exec(sql));
    EXPECT_EQ(c.call(), c.found);
    ASSERT_TRUE(m_fixture.exec("DROP TABLE " + c.table));
    const QString failed = c.call();
    EXPECT_TRUE(failed.startsWith("FAILURE ") && failed.contains(c.table, Qt::CaseInsensitive)) << failed.toStdString();
}

LOOKUP_CASES(ConsumerRecords, recordCases);

// The buyer's CPF typed at the till changes the register only when all holds: the register
// lets the till change it, the consumer is active, and the CPF is new, of 11 digits, not one
// digit repeated and valid. The answer is True either way.
struct CpfCase
{
    std::string name;
    QString arrange;
    QString cpf;
    QString stored;
};

const QString valid = "52998224725";
const QString storedCpf = "39053344705";

const QList<CpfCase> cpfCases{
    {"ChangedWhenAllHolds", "", valid, valid},
    {"RegisterDoesNotAllowTheChange", "UPDATE CONSUMIDOR SET IDATUCPFCONS = 'N'", valid, storedCpf},
    {"InactiveConsumer", "UPDATE CONSUMIDOR SET IDSITCONSUMI = '2'", valid, storedCpf},
    {"SameCpfAsStored", "", storedCpf, storedCpf},
    {"TenCharacters", "", "5299822472", storedCpf},
    {"TwelveCharacters", "", "529982247250", storedCpf},
    {"OneDigitRepeated", "", "11111111111", storedCpf},
    {"RefusedCheckDigits", "", "52998224726", storedCpf},
};

class CpfUpdate : public ::testing::TestWithParam<std::tuple<DatabaseKind, CpfCase>>
{
protected:
    void SetUp() override
    {
        if (std::get<0>(GetParam()) == DatabaseKind::PostgreSql && !TestBase::postgresConfigured())
            GTEST_SKIP() << "PostgreSQL tests need VENDACONS_TEST_PG";
        std::string why;
        ASSERT_TRUE(m_fixture.open(std::get<0>(GetParam()), &why)) << why;
        for (const QString &sql : plus(branch, {consumer("K1", "1", "B1")}))
            ASSERT_TRUE(m_fixture.exec(sql));
    }
    void TearDown() override { m_fixture.close(); }

    Fixture m_fixture;
};

TEST_P(CpfUpdate, AnswersTrueAndChangesOnlyWhenAllHolds)
{
    const CpfCase &c = std::get<1>(GetParam());
    if (!c.arrange.isEmpty()) {
        ASSERT_TRUE(m_fixture.exec(c.arrange));
    }
    EXPECT_EQ(render(setGravaConsumidor("C1", "", "K1", "", "", "", "", c.cpf, "", "", "CAIXA", "2")), "True");
    EXPECT_EQ(m_fixture.count(QStringLiteral("SELECT 1 FROM CONSUMIDOR WHERE NRCPFRESPCON = '%1'").arg(c.stored)), 1);
    const bool changed = c.stored != storedCpf;
    EXPECT_EQ(m_fixture.count("SELECT 1 FROM CONSUMIDOR WHERE IDATUCONSUMI = 'A' AND DTULTATUCSUM IS NOT NULL"),
              changed ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(Kinds, CpfUpdate,
                         ::testing::Combine(::testing::Values(DatabaseKind::SQLite, DatabaseKind::PostgreSql),
                                            ::testing::ValuesIn(cpfCases)),
                         [](const auto &info) {
                             const char *kind = std::get<0>(info.param) == DatabaseKind::SQLite ? "SQLite" : "PostgreSQL";
                             return std::string(kind) + "_" + std::get<1>(info.param).name;
                         });

class ConsumerRegister : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        Clock::setNow([] { return LookupsTest::now(); });
        for (const QString &sql : plus(branch, {consumer("K1", "1", "B1"), consumer("K2", "2", "B2"),
                                                consumer("K3", "2", "B1")}))
            exec(sql);
    }
    void TearDown() override
    {
        Clock::setNow({});
        DatabaseTest::TearDown();
    }
    QString registerFile() const { return QDir(base().siteFolder()).filePath("Dados/Cadastros/Cad_Consumidor"); }
    TestBase &base() const { return const_cast<ConsumerRegister *>(this)->DatabaseTest::base(); }
};

// Operation "1" inserts (origin "S" on a server till) and never overwrites an existing consumer.
TEST_P(ConsumerRegister, InsertThenARefusedSecondInsert)
{
    EXPECT_EQ(render(setGravaConsumidor("C1", "Bia", "K9", "B9", "CC", "T1", "RG", "52998224725", "1", "2", "SERVIDOR", "1")),
              "True");
    EXPECT_EQ(rows("SELECT IDSITCONSUMI, IDCONSUMIDOR, IDATUCONSUMI, NMCONSUMIDOR FROM CONSUMIDOR WHERE CDCONSUMIDOR = 'K9'")
                  .value(0)
                  .size(),
              4);
    EXPECT_EQ(rows("SELECT 1 FROM CONSUMIDOR WHERE CDCONSUMIDOR = 'K9' AND IDSITCONSUMI = '1' AND IDCONSUMIDOR = 'C' "
                   "AND IDATUCONSUMI = 'S'").size(),
              1);
    const Variant again = setGravaConsumidor("C1", "Outra", "K9", "B9", "", "", "", "", "", "", "CAIXA", "1");
    EXPECT_TRUE(again.isFailure());
    EXPECT_EQ(rows("SELECT 1 FROM CONSUMIDOR WHERE CDCONSUMIDOR = 'K9' AND NMCONSUMIDOR = 'Bia'").size(), 1);
}

// The register file: active consumers only with both switches, else the inactive ones whose
// badge no active consumer holds as well; in the data-packet form, replaced whole.
TEST_P(ConsumerRegister, WritesTheRegisterFile)
{
    EXPECT_EQ(SetCons("01", base().siteFolder() + "/", "S", "S"), "");
    DataPacket written;
    ASSERT_TRUE(CdsFile::load(registerFile(), &written));
    EXPECT_EQ(renderColumns(Variant(written), {"CDCONSUMIDOR", "NMFANTCLIE", "NMFILIAL", "IDCLIENPRIN"}), "K1|Metal|Central|S");
    ASSERT_EQ(written.fields.size(), 53);
    EXPECT_EQ(written.fields.first().name, "CDCLIENTE");
    EXPECT_EQ(written.fields.at(34).name, "DSOBSHOSPEDEPH");
    EXPECT_EQ(written.fields.last().name, "NRENDECONS");
    EXPECT_EQ(SetCons("01", base().siteFolder() + "/", "S", "N"), "");
    ASSERT_TRUE(CdsFile::load(registerFile(), &written));
    EXPECT_EQ(renderColumns(Variant(written), {"CDCONSUMIDOR", "IDSITCONSUMI"}), "K1|1; K2|2");
    EXPECT_EQ(QDir(base().siteFolder() + "/Dados/Cadastros").entryList(QDir::Files | QDir::Hidden), QStringList{"Cad_Consumidor"});
}

TEST_P(ConsumerRegister, FailuresAnswerTheirTextAndKeepTheOldFile)
{
    ASSERT_EQ(SetCons("01", base().siteFolder() + "/", "S", "S"), "");
    const QByteArray before = [&] { QFile f(registerFile()); f.open(QIODevice::ReadOnly); return f.readAll(); }();
    exec("DROP TABLE CLIENFILIAL");
    const QString failed = SetCons("01", base().siteFolder() + "/", "S", "S");
    EXPECT_TRUE(failed.contains("CLIENFILIAL", Qt::CaseInsensitive)) << failed.toStdString();
    QFile after(registerFile());
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), before);
    // A base folder that is a file cannot hold the folders.
    QFile blocker(base().siteFolder() + "/blocker");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    exec("CREATE TABLE CLIENFILIAL (CDCLIENTE VARCHAR(20), CDFILIAL VARCHAR(20), IDPERMVENDAQUB VARCHAR(1), "
         "IDCLIENPRIN VARCHAR(1), IDIMPCPFCUPOM VARCHAR(1))");
    const QString base_ = base().siteFolder() + "/blocker/";
    EXPECT_EQ(SetCons("01", base_, "S", "S"), "Cannot create " + base_ + "Dados");
}

VENDACONS_DATABASE_KINDS(ConsumerRegister);

} // namespace
