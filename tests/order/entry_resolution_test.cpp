// Product resolution through the Enter key: lookup order and scale labels.
#include "entryfixture.h"

#include <order/codeparsing.h>
#include <order/orderentry.h>
#include <sale/salecontext.h>

namespace {

struct LookupCase
{
    const char *name;
    const char *typed;
    const char *expected;
};

void PrintTo(const LookupCase &c, std::ostream *out)
{
    *out << c.name;
}

class EntryLookup : public EntryTest, public ::testing::WithParamInterface<LookupCase>
{
protected:
    void SetUp() override
    {
        EntryTest::SetUp();
        setProducts({{"100", "COXINHA", "1.1", "7891"},
                      {"200", "PASTEL", "1.2", "555"},
                      {"300", "SUCO", "1.3"},
                      {"400", "AGUA", "500"},
                      {"500", "CAFE", "1.5"},
                      {"600", "BOLO", "1.6", "", "77"}});
        shortcuts.insert(QStringLiteral("555"), QStringLiteral("300"));
        barcodes.insert(QStringLiteral("12345"), QStringLiteral("200"));
    }
};

TEST_P(EntryLookup, ResolvesInTheTillsOrder)
{
    enter(QString::fromLatin1(GetParam().typed));
    ASSERT_EQ(registered.size(), 1) << lastMessage().toStdString();
    EXPECT_EQ(registered.last().CDPRODUTO, QString::fromLatin1(GetParam().expected));
    EXPECT_EQ(caption("lblBuffer"), QString());
}

INSTANTIATE_TEST_SUITE_P(
    Precedence, EntryLookup,
    ::testing::Values(LookupCase{"ShortcutBeforeAnotherProductsBarCode", "555", "300"},
                      LookupCase{"BarCodeOfTheCopy", "7891", "100"},
                      LookupCase{"BarCodeOfTheServer", "12345", "200"},
                      LookupCase{"TreeCodeBeforeAnotherProductsCode", "500", "400"},
                      LookupCase{"PlainProductCode", "300", "300"},
                      LookupCase{"KeypadCode", "77", "600"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(EntryTest, AnUnknownCodeIsRefusedAndTheBufferCleared)
{
    setProducts({{"100", "COXINHA", "1.1"}});
    enter(QStringLiteral("999"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(lastMessage(), QStringLiteral("Produto sem preço ou não cadastrado."));
    EXPECT_EQ(caption("lblBuffer"), QString());
    EXPECT_FALSE(state().busy.boDigitacaoAux1);
}

TEST_F(EntryTest, AnEmptyProductCopyIsRefusedWithoutAskingTheServer)
{
    int asked = 0;
    ServerSeams::current().lookupsProducts.getCodigoBarra = [&asked](const QString &) { ++asked; return Variant(); };
    enter(QStringLiteral("100"));
    EXPECT_EQ(asked, 0);
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("Cadastro de produtos vazio")));
}

// ---- scale labels --------------------------------------------------------------------------

struct LabelCase
{
    const char *name;
    const char *weighable;
    const char *digits;
    const char *quantity;
};

void PrintTo(const LabelCase &c, std::ostream *out)
{
    *out << c.name;
}

class EntryLabel : public EntryTest, public ::testing::WithParamInterface<LabelCase>
{
protected:
    void SetUp() override
    {
        EntryTest::SetUp();
        Parameters &p = state().editParams();
        p.stIDLCDBARBALATOL = QStringLiteral("S");
        p.stNRPOSINICODBARR = QStringLiteral("2");
        p.stNRPOSFINCODBARR = QStringLiteral("5");
        p.stIDTIPOBAL = QStringLiteral("1");
    }
    void labelProduct(const char *weighable)
    {
        Product product{"900", "QUEIJO", "9.1", "", "0042", QString::fromLatin1(weighable)};
        setProducts({product});
    }
};

TEST_P(EntryLabel, TheQuantityPartIsReadWithThreeDecimals)
{
    state().editParams().stNRPOSINIQTCDBAR = QStringLiteral("6");
    state().editParams().stNRPOSFINQTCDBAR = QStringLiteral("11");
    labelProduct(GetParam().weighable);
    enter(QStringLiteral("20042") + QString::fromLatin1(GetParam().digits) + QStringLiteral("7"));
    ASSERT_EQ(registered.size(), 1) << lastMessage().toStdString();
    EXPECT_EQ(registered.last().QTPRODCOMVEN, QString::fromLatin1(GetParam().quantity));
    EXPECT_EQ(host->count(&Pkg_Hrk00001::BuscaPeso), 0); // a label's product is not weighed
}

INSTANTIATE_TEST_SUITE_P(
    Quantities, EntryLabel,
    ::testing::Values(LabelCase{"HalfAKilo", "S", "000500", "0,5"},
                      LabelCase{"FiveHundredUnits", "N", "000500", "500"},
                      LabelCase{"OneAndAHalfKilo", "S", "001500", "1,5"},
                      LabelCase{"OneAndAHalfUnits", "N", "001500", "1,5"},
                      LabelCase{"ThreeUnits", "N", "000003", "3"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(EntryLabel, TheValuePartIsDividedByTheUnitPrice)
{
    state().editParams().stNRPOSINIVRCDBAR = QStringLiteral("6");
    state().editParams().stNRPOSFINVRCDBAR = QStringLiteral("11");
    labelProduct("S");
    prices.insert(QStringLiteral("900"), PriceRow{25.0, 1.0, 2.0});
    enter(QStringLiteral("20042") + QStringLiteral("001250") + QStringLiteral("7"));
    ASSERT_EQ(registered.size(), 1) << lastMessage().toStdString();
    EXPECT_EQ(registered.last().QTPRODCOMVEN, QStringLiteral("0,5"));
    EXPECT_EQ(registered.last().VRPRECO, QStringLiteral("25"));
    // The label carries the line's value: no discount or surcharge of the price function.
    EXPECT_EQ(registered.last().VRDESCONTO, QStringLiteral("0"));
    EXPECT_EQ(registered.last().VRACRESCIMO, QStringLiteral("0"));
    EXPECT_EQ(state().totals.doVrAcrComanda, 0.0);
}

TEST_F(EntryLabel, AValuePartOfZerosSellsNothing)
{
    state().editParams().stNRPOSINIVRCDBAR = QStringLiteral("6");
    state().editParams().stNRPOSFINVRCDBAR = QStringLiteral("11");
    labelProduct("S");
    enter(QStringLiteral("20042") + QStringLiteral("000000") + QStringLiteral("7"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("Não é permitido venda com quantidade zero.")));
    EXPECT_EQ(state().totals.doQuantidade, 1.0);
    EXPECT_EQ(caption("lblBuffer"), QString());
    EXPECT_EQ(state().road.stQtdeCodBarra, QString());
}

TEST_F(EntryLabel, AValueLabelAtAZeroPriceSellsNothing)
{
    state().editParams().stNRPOSINIVRCDBAR = QStringLiteral("6");
    state().editParams().stNRPOSFINVRCDBAR = QStringLiteral("11");
    labelProduct("S");
    prices.insert(QStringLiteral("900"), PriceRow{0.0});
    enter(QStringLiteral("20042") + QStringLiteral("001250") + QStringLiteral("7"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_TRUE(lastMessage().startsWith(QStringLiteral("Não é permitido venda com quantidade zero.")));
}

TEST_F(EntryLabel, WithLabelsOffTheSameCodeIsUnknown)
{
    state().editParams().stIDLCDBARBALATOL = QStringLiteral("N");
    labelProduct("N");
    enter(QStringLiteral("200420005007"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(lastMessage(), QStringLiteral("Produto sem preço ou não cadastrado."));
}

TEST(CodeParsing, PositionsAndHour)
{
    EXPECT_EQ(CodeParsing::cutPositions(QStringLiteral("200420005007"), QStringLiteral("2"), QStringLiteral("5")),
              QStringLiteral("0042"));
    EXPECT_EQ(CodeParsing::cutPositions(QStringLiteral("123"), QStringLiteral("x"), QStringLiteral("5")), QString());
    EXPECT_EQ(CodeParsing::priceHour(QTime(9, 5, 0)), QStringLiteral("0905"));
    EXPECT_EQ(CodeParsing::quantityForValue(12.5, 0), 0.0);
    EXPECT_FALSE(CodeParsing::labelQuantity(QStringLiteral("00a500"), true).has_value());
}

} // namespace

// ---- the product row a found code hands over ------------------------------------------------

namespace {

struct LoadedRowCase
{
    const char *name;
    const char *tare;
    const char *expectedTare;
};

void PrintTo(const LoadedRowCase &c, std::ostream *out)
{
    *out << c.name;
}

class ProductRowLoad : public EntryTest, public ::testing::WithParamInterface<LoadedRowCase>
{
protected:
    OrderEntry &order() { return form->context().order(); }
};

TEST_P(ProductRowLoad, EveryColumnOfTheFoundRowIsHandedOver)
{
    Product product{"100", "COXINHA", "1.1", "7891", "", "S", QString::fromLatin1(GetParam().tare), "KG"};
    product.printKind = QStringLiteral("1");
    product.composition = QStringLiteral("3");
    product.promoStart = QStringLiteral("01/01/2026");
    product.promoEnd = QStringLiteral("31/12/2026");
    product.family = QStringLiteral("05");
    setProducts({{"200", "PASTEL", "1.2"}, product});
    QString code, name, tree, family, weighable, unit, tare, printKind, composition, promoEnd, promoStart;
    bool fromScaleLabel = true;
    ASSERT_TRUE(order().ValidaProduto_Codigo(code, name, tree, family, weighable, unit, tare, printKind, composition,
                                             promoEnd, promoStart, QStringLiteral("7891"), fromScaleLabel));
    const QStringList expected{"100", "COXINHA", "1.1", "05", "S", "KG", QString::fromLatin1(GetParam().expectedTare),
                               "1", "3", "31/12/2026", "01/01/2026"};
    EXPECT_EQ((QStringList{code, name, tree, family, weighable, unit, tare, printKind, composition, promoEnd,
                           promoStart}),
              expected);
    EXPECT_FALSE(fromScaleLabel);
}

TEST_F(EntryTest, AnUnknownCodeWritesNoOutput)
{
    setProducts({{"100", "COXINHA", "1.1"}});
    QString code = QStringLiteral("kept"), name, tree, family, weighable, unit, tare, printKind, composition,
            promoEnd, promoStart;
    bool fromScaleLabel = true;
    EXPECT_FALSE(form->context().order().ValidaProduto_Codigo(code, name, tree, family, weighable, unit, tare,
                                                              printKind, composition, promoEnd, promoStart,
                                                              QStringLiteral("999"), fromScaleLabel));
    EXPECT_EQ(code, QStringLiteral("kept"));
    EXPECT_FALSE(fromScaleLabel);
}

INSTANTIATE_TEST_SUITE_P(Tare, ProductRowLoad,
                         ::testing::Values(LoadedRowCase{"TareOfTheRowKept", "0.250", "0.250"},
                                           LoadedRowCase{"NoTareIsZero", "", "0"}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
