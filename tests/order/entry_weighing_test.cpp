// Weighing on the Enter key's road: tare, empty scale, scale errors, the quantity limit, and
// the weighing receipt.
#include "entryfixture.h"

#include <support/golden.h>

#include <order/orderentry.h>
#include <sale/salecontext.h>

namespace {

class EntryWeighing : public EntryTest
{
protected:
    void SetUp() override
    {
        EntryTest::SetUp();
        state().editParams().stIDTIPOBAL = QStringLiteral("1");
        setProducts({{"900", "QUEIJO", "9.1", "", "", "S", "0.250", "KG"}});
    }
    void reading(double weight) { host->script(&Pkg_Hrk00001::BuscaPeso, ScaleAnswer{true, weight, {}}); }
};

TEST_F(EntryWeighing, TheNetWeightIsTheQuantity)
{
    reading(1.5);
    enter(QStringLiteral("900"));
    ASSERT_EQ(registered.size(), 1) << lastMessage().toStdString();
    EXPECT_EQ(registered.last().QTPRODCOMVEN, QStringLiteral("1,25"));
    EXPECT_EQ(registered.last().QTTARAPROD, 0.25);
    EXPECT_TRUE(state().flags.boAddProdAux2);
}

TEST_F(EntryWeighing, ATareEqualToTheWeightAsksAgainAndNoRefuses)
{
    reading(0.25);
    messages->script({false});
    enter(QStringLiteral("900"));
    EXPECT_TRUE(registered.isEmpty());
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(messages->calls().at(0).question);
    EXPECT_EQ(messages->calls().at(0).defaultAnswer, QStringLiteral("S"));
    EXPECT_FALSE(state().busy.boDigitacaoAux1);
}

TEST_F(EntryWeighing, AnEmptyScaleIsReadAgainOnYes)
{
    reading(0.25);
    reading(0.75);
    messages->script({true});
    enter(QStringLiteral("900"));
    ASSERT_EQ(registered.size(), 1);
    EXPECT_EQ(registered.last().QTPRODCOMVEN, QStringLiteral("0,5"));
    EXPECT_EQ(host->count(&Pkg_Hrk00001::BuscaPeso), 2);
}

TEST_F(EntryWeighing, ANegativeNetWeightIsRefused)
{
    reading(0.2);
    enter(QStringLiteral("900"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("A balança está com valor negativo.")));
}

TEST_F(EntryWeighing, TheLimitIsOnTheReadingBeforeTheTare)
{
    state().editParams().stQTMAXPERVNDPROD = QStringLiteral("2");
    reading(2.1); // 1.85 net, but 2.1 read
    enter(QStringLiteral("900"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(lastMessage(), QStringLiteral("Quantidade de venda informada ultrapassou o valor máximo permitido parametrizado para loja."));
    EXPECT_EQ(messages->calls().last().kind, 0);
}

TEST_F(EntryWeighing, ALimitOfZeroRefusesEveryWeighing)
{
    state().editParams().stQTMAXPERVNDPROD = QStringLiteral("0");
    reading(0.5);
    enter(QStringLiteral("900"));
    EXPECT_TRUE(registered.isEmpty());
}

struct ScaleErrorCase
{
    const char *name;
    double weight;
    const char *text;
};

void PrintTo(const ScaleErrorCase &c, std::ostream *out)
{
    *out << c.name;
}

class EntryScaleError : public EntryWeighing, public ::testing::WithParamInterface<ScaleErrorCase>
{
};

TEST_P(EntryScaleError, ModelTwelveErrorCodesAreShownAndSellNothing)
{
    state().editParams().stIDTIPOBAL = QStringLiteral("12");
    state().editParams().stCDPORTABAL = QStringLiteral("COM2");
    state().editParams().stNRVELOCBAL = QStringLiteral("9600");
    reading(GetParam().weight);
    enter(QStringLiteral("900"));
    EXPECT_TRUE(registered.isEmpty());
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("A balança está com %1.").arg(QString::fromUtf8(GetParam().text))));
    EXPECT_EQ(messages->calls().last().detail,
              QStringLiteral("IDTIPOBAL (modelo): 12 - CDPORTABAL (porta): COM2 - NRVELOCBAL (velocidade da porta): 9600"));
    EXPECT_EQ(messages->calls().last().kind, 0);
}

INSTANTIATE_TEST_SUITE_P(Codes, EntryScaleError,
                         ::testing::Values(ScaleErrorCase{"Unstable", -1, "Peso Instável"},
                                           ScaleErrorCase{"Negative", -2, "Peso Negativo"},
                                           ScaleErrorCase{"Overload", -10, "Sobrecarga de Peso"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(EntryWeighing, WithAnotherModelMinusOneIsANegativeWeight)
{
    reading(-1);
    enter(QStringLiteral("900"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("A balança está com valor negativo.")));
}

TEST_F(EntryWeighing, ATypedQuantityIsNotWeighed)
{
    state().flags.boBalcaoAux1 = true;
    state().totals.doQuantidade = 3;
    enter(QStringLiteral("900"));
    ASSERT_EQ(registered.size(), 1);
    EXPECT_EQ(registered.last().QTPRODCOMVEN, QStringLiteral("3"));
    EXPECT_EQ(host->count(&Pkg_Hrk00001::BuscaPeso), 0);
    EXPECT_FALSE(state().flags.boBalcaoAux1);
}

// ---- weighing receipt ----------------------------------------------------------------------

class WeighingReceipt : public EntryTest
{
protected:
    void addLine(const char *tree, const char *name, double quantity, double price, const char *mark)
    {
        ClientDataSet &items = data().cdsItems;
        if (!items.Active()) {
            if (items.FieldDefs().IndexOf(QStringLiteral("IDIMPPESAGEM")) < 0)
                items.FieldDefs().Add(QStringLiteral("IDIMPPESAGEM"), FieldType::String, 1);
            items.CreateDataSet();
        }
        items.Append();
        items.FieldByName(QStringLiteral("CDARVPROD")).SetAsString(QString::fromLatin1(tree));
        items.FieldByName(QStringLiteral("NMPRODUTO")).SetAsString(QString::fromUtf8(name));
        items.FieldByName(QStringLiteral("QTPRODCOMVEN")).SetAsFloat(quantity);
        items.FieldByName(QStringLiteral("VRPRECCOMVEN")).SetAsFloat(price);
        items.FieldByName(QStringLiteral("VRUNITVENDCL")).SetAsFloat(0);
        items.FieldByName(QStringLiteral("SGUNIDADE")).SetAsString(QStringLiteral("KG"));
        items.FieldByName(QStringLiteral("IDIMPPESAGEM")).SetAsString(QString::fromLatin1(mark));
        items.Post();
    }
    OrderEntry &order() { return form->context().order(); }
};

TEST_F(WeighingReceipt, NoWeighedLineNoReceipt)
{
    addLine("1.1", "COXINHA", 1, 5, "N");
    order().ComprovantePesagem();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::ImprimePadrao), 0);
}

TEST_F(WeighingReceipt, ATableReceiptListsTheWeighedLinesCutToTheCent)
{
    state().host.stModoVenda = QStringLiteral("M");
    state().host.stNRMESA = QStringLiteral("0012");
    state().host.stNrComandaExib = QStringLiteral("55");
    state().editParams().stNMRAZSOCFILI = QStringLiteral("RESTAURANTE CENTRAL LTDA");
    state().editParams().stNRINSJURFILI = QStringLiteral("12.345.678/0001-90");
    state().editParams().stDSENDEFILI = QStringLiteral("RUA DAS FLORES, 100");
    state().editParams().stIDTIPOIMPNF3 = QStringLiteral("1");
    state().editParams().stCDPORTIMPNF3 = QStringLiteral("LPT1");
    addLine("1.1", "COXINHA", 1, 5, "N");
    addLine("9.1", "QUEIJO MINAS FRESCAL ESPECIAL", 0.5, 3.99, "S");
    order().ComprovantePesagem();
    ASSERT_EQ(host->count(&Pkg_Hrk00002::ImprimePadrao), 1);
    const PlainPrintRequest printed = host->last(&Pkg_Hrk00002::ImprimePadrao);
    EXPECT_EQ(printed.cdPortImpNf, QStringLiteral("LPT1"));
    // Whole, with the table and without the tab; only the weighed line, whose 0.5 x 3.99 is
    // charged 1.99 (cut, not rounded to 2.00). Every line ends in the printer's line end.
    EXPECT_EQ(printed.text.count(QStringLiteral("\r\n")), printed.text.count(QLatin1Char('\n')));
    expectMatchesGolden("nf/weighing_receipt", QString(printed.text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    const QStringList lines = printed.text.split(QStringLiteral("\r\n"));
    for (const QString &line : lines)
        EXPECT_LE(line.size(), 35) << line.toStdString();
}

TEST_F(WeighingReceipt, AFailedPrintKeepsTheOrderAndSaysNothing)
{
    addLine("9.1", "QUEIJO", 0.5, 10, "S");
    host->setDefault(&Pkg_Hrk00002::ImprimePadrao, HostResult{false, QStringLiteral("sem papel")});
    order().ComprovantePesagem();
    EXPECT_EQ(messages->count(), 0);
}

} // namespace
