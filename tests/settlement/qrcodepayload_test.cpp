// The QR-code sale text: the scanner's compact form expanded, and the expanded form read.
#include <settlement/qrcodepayload_p.h>

#include <QStringList>

#include <gtest/gtest.h>

namespace {

using namespace QrCodePayload;

const QString workedExample =
    "fil$1,nvr$10,ncd$2,clie$3,cons$4,nsu$5,prods$(cdp$7,qt$1.5,vr$2.00,impprod$s,TXPRODCOMVEN$,obs$(),promo$()),"
    "rec$(cdtrec$nul,idtrec$0,vrt$0)";
const QString workedExpansion =
    "FILIAL=1,NRVENDAREST=10,NRCOMANDA=2,CDCLIENTE=3,CDCONSUMIDOR=4,CDNSUHOSTTEF=5,PRODUCTSDETAILS=[CDPRODUTO=7,"
    "QTPRODCOMVEN=1.5,VRPRECITEM=2.00,IDIMPPRODUTO=S,TXPRODCOMVEN=,OBSERVACOES=[],PROMOPRODS=[]],RECEBIMENTOS=["
    "CDTIPORECE=NUL,IDTIPORECE=0,VRPRECITEMT=0]";

// The rewrite applied literally, step after step, kept only to check the tokeniser against it
// where both must agree (codes whose values hold no short key).
QString literalRewrite(QString text)
{
    const QStringList pairs{"<", "", ">", "", "*", "", "$", "=", "(", "[", ")", "]"};
    for (int i = 0; i < pairs.size(); i += 2)
        text.replace(pairs.at(i), pairs.at(i + 1));
    const QStringList steps{"FIL", "FILIAL", "NVR", "NRVENDAREST", "NCD", "NRCOMANDA", "CLIE", "CDCLIENTE",
                            "CONS", "CDCONSUMIDOR", "PRODS", "PRODUCTSDETAILS", "CDP", "CDPRODUTO",
                            "QT", "QTPRODCOMVEN", "VR", "VRPRECITEM", "IMPPROD", "IDIMPPRODUTO", "OBS", "OBSERVACOES",
                            "PROMO", "PROMOPRODS", "REC", "RECEBIMENTOS", "VRPRECEBIMENTOSITEM", "VRPRECITEM",
                            "IDTREC", "IDTIPORECE", "CDTREC", "CDTIPORECE", "CDTIPORECEEBIMENTOS", "CDTIPORECE",
                            "IDTIPORECEEBIMENTOS", "IDTIPORECE", "NSU", "CDNSUHOSTTEF", "CDCOCDNSUHOSTTEFMIDOR",
                            "CDCONSUMIDOR"};
    for (int i = 0; i < steps.size(); i += 2) {
        QString upper;
        for (const QChar c : text)
            upper += (c >= 'a' && c <= 'z') ? QChar(c.unicode() - 32) : c;
        text = upper.replace(steps.at(i), steps.at(i + 1));
    }
    return text;
}

TEST(QrCodeExpansion, WorkedExampleExpandsExactly)
{
    EXPECT_EQ(expand(workedExample), workedExpansion);
}

TEST(QrCodeExpansion, AgreesWithTheLiteralRewriteWhereValuesHoldNoShortKey)
{
    EXPECT_EQ(expand(workedExample), literalRewrite(workedExample));
    const QString upper = "FIL$0001,NVR$77,NCD$9,CLIE$000002,CONS$000101,NSU$,PRODS$(CDP$01001,QT$1,VR$22.90,IMPPROD$S,"
                          "TXPRODCOMVEN$,OBS$(CDOCORR$01,CDGRPOCOR$02),PROMO$()),REC$(CDTREC$002,IDTREC$2,VRT$22.90)";
    EXPECT_EQ(expand(upper), literalRewrite(upper));
}

struct ExpansionCase
{
    const char *name;
    QString scanned;
    QString expanded;
};

class QrCodeExpansionTable : public ::testing::TestWithParam<ExpansionCase>
{
};

TEST_P(QrCodeExpansionTable, ExpandsKeysOnly)
{
    EXPECT_EQ(expand(GetParam().scanned), GetParam().expanded);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QrCodeExpansionTable,
    ::testing::Values(
        ExpansionCase{"LowerCaseIsUpperCase", "fil$ab", "FILIAL=AB"},
        ExpansionCase{"NoiseVanishes", "<f*i>l$1<>", "FILIAL=1"},
        ExpansionCase{"OnlyNoiseIsEmpty", "<>**><", ""},
        ExpansionCase{"PaymentValueKeepsItsOwnKey", "vrt$3.5", "VRPRECITEMT=3.5"},
        ExpansionCase{"ConsumerKeySurvivesTheNsuKey", "cons$4,nsu$5", "CDCONSUMIDOR=4,CDNSUHOSTTEF=5"},
        // Values that hold short keys are not rewritten (the literal rewrite changed them).
        ExpansionCase{"ValueQtStaysQt", "cdp$QT", "CDPRODUTO=QT"},
        ExpansionCase{"ValuesHoldingConsNsuRecVrStay", "clie$CONS,cons$NSU,nsu$REC,cdp$VR",
                      "CDCLIENTE=CONS,CDCONSUMIDOR=NSU,CDNSUHOSTTEF=REC,CDPRODUTO=VR"},
        ExpansionCase{"FullKeysAreKept", "TXPRODCOMVEN$,CDOCORR$1,CDGRPOCOR$2", "TXPRODCOMVEN=,CDOCORR=1,CDGRPOCOR=2"},
        ExpansionCase{"ListsOpenAndClose", "obs$(cdocorr$1,cdgrpocor$2)", "OBSERVACOES=[CDOCORR=1,CDGRPOCOR=2]"}),
    [](const ::testing::TestParamInfo<ExpansionCase> &info) { return std::string(info.param.name); });

// ---- reading ----------------------------------------------------------------------------------

QString product(const QString &code, const QString &quantity, const QString &price, const QString &extra = {})
{
    return "CDPRODUTO=" + code + ",QTPRODCOMVEN=" + quantity + ",VRPRECITEM=" + price + ",IDIMPPRODUTO=S,TXPRODCOMVEN="
        + extra + ",OBSERVACOES=[],PROMOPRODS=[]";
}

QString saleText(const QStringList &products, const QString &payment = "CDTIPORECE=002,IDTIPORECE=2,VRPRECITEMT=10.00")
{
    return "FILIAL=0001,NRVENDAREST=77,NRCOMANDA=9,CDCLIENTE=000002,CDCONSUMIDOR=000101,CDNSUHOSTTEF=123,"
           "PRODUCTSDETAILS=["
        + products.join(',') + "],RECEBIMENTOS=[" + payment + "]";
}

TEST(QrCodeReading, WorkedExampleGivesItsSale)
{
    Sale sale;
    QString error;
    ASSERT_TRUE(read(workedExpansion, sale, error)) << error.toStdString();
    EXPECT_EQ(sale.branch, "1");
    EXPECT_EQ(sale.saleNumber, "10");
    EXPECT_EQ(sale.tab, "2");
    EXPECT_EQ(sale.client, "3");
    EXPECT_EQ(sale.consumer, "4");
    EXPECT_EQ(sale.nsu, "5");
    ASSERT_EQ(sale.products.size(), 1);
    EXPECT_EQ(sale.products.at(0).code, "7");
    EXPECT_DOUBLE_EQ(sale.products.at(0).quantity, 1.5);
    EXPECT_DOUBLE_EQ(sale.products.at(0).price, 2.0);
    EXPECT_DOUBLE_EQ(sale.products.at(0).surcharge, 0.0);
    EXPECT_EQ(sale.payment.type, "NUL");
    EXPECT_TRUE(sale.payment.atTill());
    EXPECT_EQ(sale.payment.kind, "0");
}

TEST(QrCodeReading, ThreeProductsWithObservationPairsAreReadInOrder)
{
    Sale sale;
    QString error;
    const QString text = saleText({product("01001", "1", "22.90"),
                                   "CDPRODUTO=05001,QTPRODCOMVEN=2,VRPRECITEM=19.90,IDIMPPRODUTO=N,TXPRODCOMVEN=1.25,"
                                   "OBSERVACOES=[CDOCORR=01,CDGRPOCOR=02,CDOCORR=03,CDGRPOCOR=04],PROMOPRODS=[]",
                                   product("07001", "0.5", "4")});
    ASSERT_TRUE(read(text, sale, error)) << error.toStdString();
    ASSERT_EQ(sale.products.size(), 3);
    EXPECT_EQ(sale.products.at(1).code, "05001");
    EXPECT_DOUBLE_EQ(sale.products.at(1).quantity, 2.0);
    EXPECT_DOUBLE_EQ(sale.products.at(1).surcharge, 1.25);
    EXPECT_EQ(sale.products.at(1).printFlag, "N");
    EXPECT_DOUBLE_EQ(sale.products.at(2).quantity, 0.5);
    EXPECT_EQ(sale.payment.type, "002");
    EXPECT_DOUBLE_EQ(sale.payment.value, 10.0);
}

TEST(QrCodeReading, TrailingClosingBracketsAreAccepted)
{
    Sale sale;
    QString error;
    EXPECT_TRUE(read(saleText({product("01001", "1", "10")}) + "]]", sale, error)) << error.toStdString();
}

struct RefusalCase
{
    const char *name;
    QString text;
    QString errorHolds;
};

class QrCodeRefusals : public ::testing::TestWithParam<RefusalCase>
{
};

TEST_P(QrCodeRefusals, RefusesWithAReason)
{
    Sale sale;
    QString error;
    EXPECT_FALSE(read(GetParam().text, sale, error));
    EXPECT_TRUE(error.contains(GetParam().errorHolds)) << error.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QrCodeRefusals,
    ::testing::Values(
        RefusalCase{"Empty", "", "FILIAL"},
        RefusalCase{"MissingTab", QString(saleText({product("1", "1", "10")})).remove("NRCOMANDA=9,"), "NRCOMANDA"},
        RefusalCase{"FieldsOutOfOrder",
                    QString(saleText({product("1", "1", "10")})).replace("NRVENDAREST=77,NRCOMANDA=9", "NRCOMANDA=9,NRVENDAREST=77"),
                    "NRVENDAREST"},
        RefusalCase{"NegativeQuantity", saleText({product("1", "-1", "10")}), "quantidade"},
        RefusalCase{"ZeroQuantity", saleText({product("1", "0", "10")}), "quantidade"},
        RefusalCase{"CommaDecimal", saleText({product("1", "1", "10,5")}), "IDIMPPRODUTO"},
        RefusalCase{"LettersInPrice", saleText({product("1", "1", "1O.00")}), "preço"},
        RefusalCase{"ExponentInPrice", saleText({product("1", "1", "1e3")}), "preço"},
        RefusalCase{"UnreadablePaidValue", saleText({product("1", "1", "10")}, "CDTIPORECE=002,IDTIPORECE=2,VRPRECITEMT=X"),
                    "valor pago"},
        RefusalCase{"TwoPayments",
                    saleText({product("1", "1", "10")},
                             "CDTIPORECE=002,IDTIPORECE=2,VRPRECITEMT=5,CDTIPORECE=001,IDTIPORECE=1,VRPRECITEMT=5"),
                    "mais de um recebimento"},
        RefusalCase{"PromotionsWithContent",
                    saleText({QString(product("1", "1", "10")).replace("PROMOPRODS=[]", "PROMOPRODS=[" + product("2", "1", "0") + "]")}),
                    "promoções"},
        RefusalCase{"PaymentTypeOfWrongSize", saleText({product("1", "1", "10")}, "CDTIPORECE=02,IDTIPORECE=2,VRPRECITEMT=10"),
                    "tipo de recebimento"},
        RefusalCase{"NoProducts", saleText({}), "CDPRODUTO"},
        RefusalCase{"TextAfterThePayment", saleText({product("1", "1", "10")}) + ",X=1", "após o recebimento"}),
    [](const ::testing::TestParamInfo<RefusalCase> &info) { return std::string(info.param.name); });

TEST(QrCodeDecimal, IsReadWithAPointWhateverTheLocale)
{
    const QList<std::pair<QString, double>> good{{"1.5", 1.5}, {"0.25", 0.25}, {"22.90", 22.9}, {"3", 3.0}};
    for (const auto &[text, expected] : good) {
        double value = -1;
        EXPECT_TRUE(readDecimal(text, value)) << text.toStdString();
        EXPECT_DOUBLE_EQ(value, expected) << text.toStdString();
    }
    for (const QString text : {"", "-1", "1,5", ".5", "5.", "1.2.3", "1e2", " 1", "abc", "+2"}) {
        double value = 0;
        EXPECT_FALSE(readDecimal(text, value)) << text.toStdString();
    }
}

} // namespace
