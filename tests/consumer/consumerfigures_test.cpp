#include <support/saleformfixture.h>

#include <consumer/consumersale.h>
#include <outside/pkg_hrk0000_common.h>
#include <outside/pkg_hrk00002.h>
#include <runtime/clientdataset.h>
#include <runtime/sitepaths.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <QDir>
#include <QFile>

#include <memory>
#include <stdexcept>

// The consumer's figures by source, the final balance texts, the family consumption and its
// log, and the compact statement lines.

namespace {

DataPacket familyRows(const QList<std::tuple<QString, QString, double>> &rows)
{
    ClientDataSet set;
    set.FieldDefs().Add(QStringLiteral("CDFAMILISALD"), FieldType::String, 3);
    set.FieldDefs().Add(QStringLiteral("NMFAMILISALD"), FieldType::String, 30);
    set.FieldDefs().Add(QStringLiteral("VRSALDCONFAM"), FieldType::Double);
    set.CreateDataSet();
    for (const auto &[code, name, value] : rows) {
        set.Append();
        set.FieldByName(QStringLiteral("CDFAMILISALD")).SetAsString(code);
        set.FieldByName(QStringLiteral("NMFAMILISALD")).SetAsString(name);
        set.FieldByName(QStringLiteral("VRSALDCONFAM")).SetAsFloat(value);
        set.Post();
    }
    return set.Data();
}

} // namespace

class ConsumerFiguresTest : public SaleFormTest
{
protected:
    void SetUp() override
    {
        SaleFormTest::SetUp();
        Seam::Consumers c;
        c.getGastCons = [this](auto &&...) { localCalls << "getGastCons"; return Variant(1.0); };
        c.getGastConsLoja = [this](auto &&...) { localCalls << "getGastConsLoja"; return Variant(2.0); };
        c.getGastoConsMes = [this](auto &&...) { localCalls << "getGastoConsMes"; return Variant(3.0); };
        c.getSaldoCons = [this](auto &&...) { localCalls << "getSaldoCons"; return Variant(DataPacket()); };
        c.getVrSubsBasicoCons = [this](auto &&...) { localCalls << "getVrSubsBasicoCons"; return Variant(4.0); };
        c.getVrSubsBasico = [this](auto &&...) { localCalls << "getVrSubsBasico"; return Variant(5.0); };
        c.getSaldoCred = [this](auto &&...) { localCalls << "getSaldoCred"; return Variant(familyRows({{"REF", "REFEIÇÃO", 7.0}})); };
        c.GetTipoConsFili = [this](auto &&...) { localCalls << "GetTipoConsFili"; return tipoConsFili; };
        c.getGtTotConsSaldExtra = [this](auto &&...) { localCalls << "getGtTotConsSaldExtra"; return Variant(0.0); };
        m_server = std::make_unique<ScopedTable<Seam::Consumers>>(c);
    }
    void TearDown() override
    {
        m_server.reset();
        SaleFormTest::TearDown();
    }
    void figures(const char *kind)
    {
        context().consumer().Sald_Gast_Cons(QString::fromLatin1(kind), QStringLiteral("000002"), QStringLiteral("000101"),
                                            QString(), QStringLiteral("REF"), QString());
    }

    QStringList localCalls;
    Variant tipoConsFili = Variant(DataPacket());
    std::unique_ptr<ScopedTable<Seam::Consumers>> m_server;
};

TEST_F(ConsumerFiguresTest, DebitFromTheCentralBaseKeepsTheGrantedSubsidyLocal)
{
    state().editParams().stIDDEBCONSCENTRAL = QStringLiteral("S");
    host->setDefault(&Pkg_Hrk00002::MoviclieCentral, StatementAnswer{true, Variant(9.0), {}});
    figures("1");
    const ConsumerFigures &f = state().figures;
    EXPECT_EQ(f.doGastoCons, 9.0);
    EXPECT_EQ(f.doConsumoLojaDia, 9.0);
    EXPECT_EQ(f.doSaldoCons, 9.0);
    EXPECT_EQ(f.doSubsidioBasicoEmp, 9.0);
    EXPECT_EQ(f.doSubsidioBasico, 5.0);
    EXPECT_EQ(localCalls, QStringList{"getVrSubsBasico"});
}

TEST_F(ConsumerFiguresTest, CreditGoesOnlineBeforeCentralAndStoreFiguresFollowTheDebitSwitch)
{
    state().editParams().stIDEXTCONSONLINE = QStringLiteral("S");
    state().editParams().stIDEXTCONSCENTRAL = QStringLiteral("S");
    host->script(&Pkg_Hrk00002::ExtratoConsOnline, StatementAnswer{true, Variant(6.0), {}});
    host->script(&Pkg_Hrk00002::ExtratoConsOnline, StatementAnswer{true, Variant(familyRows({{"REF", "REFEIÇÃO", 33.0}})), {}});
    figures("2");
    EXPECT_EQ(state().figures.doGastoCons, 6.0);
    EXPECT_EQ(state().figures.doSaldoCredFamilia, 33.0);
    EXPECT_EQ(state().figures.doConsumoLojaMes, 2.0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::ExtratoConsCentral), 0);
    EXPECT_EQ(localCalls, QStringList({"getGastConsLoja", "getGastConsLoja", "getGastoConsMes"}));
}

TEST_F(ConsumerFiguresTest, AFailedCentralCallKeepsTheFiguresAlreadyFilledAndNamesTheOperation)
{
    state().editParams().stIDDEBCONSCENTRAL = QStringLiteral("S");
    state().figures.doSaldoCons = 77.0;
    host->script(&Pkg_Hrk00002::MoviclieCentral, StatementAnswer{true, Variant(8.0), {}});
    host->setDefault(&Pkg_Hrk00002::MoviclieCentral, StatementAnswer{false, {}, {}});
    try {
        figures("1");
        FAIL() << "no failure raised";
    } catch (const std::runtime_error &error) {
        EXPECT_EQ(QString::fromUtf8(error.what()), QStringLiteral("Falha de conexão com o banco centralizado. Operação: CONSUMO_LOJA_DIA"));
    }
    EXPECT_EQ(state().figures.doGastoCons, 8.0);
    EXPECT_EQ(state().figures.doSaldoCons, 77.0);
    EXPECT_EQ(state().consumer.stSaldGastAux2, QStringLiteral("CONSUMO_LOJA_DIA"));
}

TEST_F(ConsumerFiguresTest, AnOtherKindFetchesOnlySpendingAndStoreFigures)
{
    figures("3");
    EXPECT_EQ(localCalls, QStringList({"getGastCons", "getGastConsLoja", "getGastConsLoja", "getGastoConsMes"}));
}

TEST_F(ConsumerFiguresTest, AFailedTypeRuleAnswerStopsTheRoadWithTheServerText)
{
    state().editParams().stIDSALDEXTDEBCON = QStringLiteral("S");
    state().figures.doVRSALDOBASICO = 11.0;
    tipoConsFili = Variant::failure(QStringLiteral("tabela TIPOCONSFILI ausente"));
    EXPECT_THROW(figures("1"), std::runtime_error);
    EXPECT_EQ(state().figures.doVRSALDOBASICO, 11.0);
}

// ---- final balances ---------------------------------------------------------------------------

class FinalBalance : public SaleFormTest
{
protected:
    void balances()
    {
        data().cdsConsultaSaldo.SetData(familyRows({{"LAN", "LANCHES", 0.0}, {"REF", "REFEIÇÃO", 50.0}, {"SOB", "SOBREMESA", 20.0}}));
        data().cdsFamiliaSaldo.SetData(familyRows({{"REF", "", 12.3}}));
        ClientDataSet &loans = data().cdsEmprestimoFam;
        loans.Close();
        loans.FieldDefs().Clear();
        loans.FieldDefs().Add(QStringLiteral("CDFAMILISALD"), FieldType::String, 3);
        loans.FieldDefs().Add(QStringLiteral("IDTPMOVEXT"), FieldType::String, 1);
        loans.FieldDefs().Add(QStringLiteral("VRMOVEXTCONS"), FieldType::Double);
        loans.CreateDataSet();
        for (const auto &[family, kind, value] : {std::tuple{"SOB", "D", 5.0}, std::tuple{"LAN", "C", 5.0}}) {
            loans.Append();
            loans.FieldByName(QStringLiteral("CDFAMILISALD")).SetAsString(QString::fromLatin1(family));
            loans.FieldByName(QStringLiteral("IDTPMOVEXT")).SetAsString(QString::fromLatin1(kind));
            loans.FieldByName(QStringLiteral("VRMOVEXTCONS")).SetAsFloat(value);
            loans.Post();
        }
    }
};

TEST_F(FinalBalance, TextByPrintModeAndAccount)
{
    balances();
    ConsumerSale &consumer = context().consumer();
    EXPECT_EQ(consumer.CalcSaldoFinalCredCons(12.3, 0.0, 0.0, QStringLiteral("2"), QStringLiteral("C")), QString());
    // F = -12,30 plus the families' 70,00.
    EXPECT_EQ(consumer.CalcSaldoFinalCredCons(12.3, 0.0, 0.0, QStringLiteral("0"), QStringLiteral("C")),
              QStringLiteral("Saldo Final: RS 57,70\n"));
    EXPECT_EQ(consumer.CalcSaldoFinalCredCons(44.5, 0.0, 0.0, QStringLiteral("0"), QStringLiteral("C")),
              QStringLiteral("Saldo Final: RS 25,50\n"));
    // A family without a balance before the sale gives no line, loans or not.
    EXPECT_EQ(consumer.CalcSaldoFinalCredCons(0, 0, 0, QStringLiteral("1"), QStringLiteral("C")),
              QStringLiteral("REFEIÇÃO                 ") + QStringLiteral("R$ 37,70").rightJustified(22) + QChar(10)
                  + QStringLiteral("SOBREMESA                ") + QStringLiteral("R$ 15,00").rightJustified(22) + QChar(10));
    EXPECT_EQ(consumer.CalcSaldoFinalCredCons(10, 20, 5, QStringLiteral("1"), QStringLiteral("D")), QStringLiteral("Saldo Final: R$ 15,00"));
    EXPECT_EQ(consumer.CalcSaldoFinalCredCons(10, 20, 5, QStringLiteral("2"), QStringLiteral("D")), QString());
    EXPECT_EQ(state().settlement.stRecebAux15, QString());
}

// ---- family consumption ----------------------------------------------------------------------

TEST_F(FinalBalance, FamilyRowsAreAddedSummedAndDeletedOnceWorthNothing)
{
    ClientDataSet &families = data().cdsFamiliaSaldo;
    ConsumerSale &consumer = context().consumer();
    consumer.addFamiliaSaldo(families, QStringLiteral("REF"), 10.0, true);
    consumer.addFamiliaSaldo(families, QStringLiteral("REF"), 2.5, true);
    ASSERT_TRUE(families.Locate(QStringLiteral("CDFAMILISALD"), QStringLiteral("REF")));
    EXPECT_EQ(families.FieldByName(QStringLiteral("VRSALDCONFAM")).AsFloat(), 12.5);
    consumer.addFamiliaSaldo(families, QStringLiteral("REF"), 12.49, false);
    EXPECT_EQ(families.RecordCount(), 1); // 0,01 stays
    consumer.addFamiliaSaldo(families, QStringLiteral("REF"), 0.006, false);
    EXPECT_EQ(families.RecordCount(), 0); // 0,004 rounds to nothing
    consumer.addFamiliaSaldo(families, QStringLiteral("LAN"), 1.0, true);
    consumer.addFamiliaSaldo(families, QStringLiteral("LAN"), 3.0, false);
    EXPECT_EQ(families.RecordCount(), 0);
    consumer.addFamiliaSaldo(families, QStringLiteral("XXX"), 3.0, false);
    EXPECT_EQ(families.RecordCount(), 0);
}

TEST_F(FinalBalance, AddingWritesTwoLogLinesInTheDaysFileAndRemovingNone)
{
    ClientDataSet &families = data().cdsFamiliaSaldo;
    context().consumer().addFamiliaSaldo(families, QStringLiteral("REF"), 2.5, true);
    context().consumer().addFamiliaSaldo(families, QStringLiteral("REF"), 1.0, false);
    QFile log(SitePaths::resolve(QStringLiteral("dados\\LogKal51000\\LogKal51000_2024\\LogKal51000_0503.txt")));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly)) << log.fileName().toStdString();
    const QStringList lines = QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith(QStringLiteral(" - addFamiliaSaldo - adicionar valor: 2,5 Familia: REF")));
    EXPECT_TRUE(lines[1].endsWith(QStringLiteral(" - addFamiliaSaldo - insert")));
}

TEST_F(FinalBalance, ALogThatCannotBeWrittenNeverFailsTheSale)
{
    QDir(site.path()).mkpath(QStringLiteral("dados"));
    QFile blocker(site.filePath(QStringLiteral("dados/LogKal51000")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    EXPECT_NO_THROW(context().consumer().LogFamSaldo(QStringLiteral("linha")));
}

// ---- compact statement lines -------------------------------------------------------------------

struct LineCase
{
    const char *combo;
    const char *quantity;
    double discount;
    const char *shownUnit;
};

class CompactLine : public SaleFormTest, public ::testing::WithParamInterface<LineCase>
{
};

TEST_P(CompactLine, ShowsTheUnitValueAndTheTruncatedTotal)
{
    const LineCase &c = GetParam();
    ClientDataSet &items = data().cdsItems;
    if (!items.Active())
        items.CreateDataSet();
    items.Append();
    items.FieldByName(QStringLiteral("CDPRODPROMOCAO")).SetAsString(QString::fromLatin1(c.combo));
    items.FieldByName(QStringLiteral("IDPESAPROD")).SetAsString(QStringLiteral("N"));
    items.Post();
    context().consumer().LinhaEx3(QStringLiteral("01001"), QStringLiteral("Prato feito de frango grelhado com salada"),
                                  QStringLiteral("001"), QString::fromLatin1(c.quantity), QStringLiteral("10,00"), QString(),
                                  true, QString(), QStringLiteral("UN"), c.discount, 0.0, QString(40, QLatin1Char('o')));
    ClientDataSet &grid = data().cdsExtratoTemp;
    ASSERT_EQ(grid.RecordCount(), 3);
    grid.First();
    const QString first = grid.FieldByName(QStringLiteral("DSITEM")).AsString();
    EXPECT_TRUE(first.startsWith(QStringLiteral("01001 - Prato feito de frango gre - UN - ")));
    EXPECT_TRUE(first.contains(QStringLiteral(" X ") + QString::fromLatin1(c.shownUnit) + QLatin1Char(' '))) << first.toStdString();
    grid.Next();
    EXPECT_EQ(grid.FieldByName(QStringLiteral("DSITEM")).AsString(), QString(30, QLatin1Char('o')));
    grid.Next();
    EXPECT_EQ(grid.FieldByName(QStringLiteral("DSITEM")).AsString(), QString(198, QLatin1Char('-')));
}

INSTANTIATE_TEST_SUITE_P(Table, CompactLine,
                         ::testing::Values(LineCase{"11001", "2", 1.0, "10,00"}, LineCase{"", "2", 1.0, "9,50"},
                                           LineCase{"", "0", 1.0, "10,00"}));
