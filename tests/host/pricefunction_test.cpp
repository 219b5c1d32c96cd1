#include <host/site/hostdatabase.h>
#include <host/site/hostschema.h>
#include <host/site/pricefunction.h>

#include <support/databasefixture.h>

#include <runtime/clientdataset.h>
#include <runtime/clock.h>

namespace {

// Wednesday 6 March 2024, 12:30.
const QDateTime Today(QDate(2024, 3, 6), QTime(12, 30));

class PriceFunctionTest : public DatabaseTest
{
public:
    // The cases below arrange rows through these.
    using DatabaseTest::exec;

protected:
    void SetUp() override
    {
        HostSchema::registerTables();
        HostDatabase::reset();
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Clock::setNow([] { return Today; });
        exec("INSERT INTO PARAVEND (CDFILIAL, CDTABEPREC) VALUES ('0001', '001')");
        table("001", "2024-01-01 00:00:00", {});
        price("001", "0101", 22.90);
    }
    void TearDown() override
    {
        HostDatabase::reset();
        DatabaseTest::TearDown();
    }

public:
    void table(const QString &code, const QString &from, const QVariant &to)
    {
        exec("INSERT INTO TABEVEND (CDTABEPREC, NMTABEPREC, DTINIVIGTABE, DTFINVIGTABE) VALUES "
             "(:P_T, 'Tabela', :P_INI, :P_FIM)",
             {{"P_T", code}, {"P_INI", from},
              {"P_FIM", to.isValid() ? Variant(to.toString()) : Variant::null()}});
    }
    void price(const QString &table, const QString &product, double value, const QString &variable = "N",
               const QString &from = "2024-01-01 00:00:00", const QString &to = QString())
    {
        exec("INSERT INTO ITEMPRECO (CDTABEPREC, CDPRODUTO, DTINIVALPREC, DTFINVALPREC, VRPRECITEM, IDPRECVARIA) "
             "VALUES (:P_T, :P_P, :P_INI, :P_FIM, :P_V, :P_VAR)",
             {{"P_T", table}, {"P_P", product}, {"P_INI", from}, {"P_FIM", to.isEmpty() ? Variant::null() : Variant(to)},
              {"P_V", value}, {"P_VAR", variable}});
    }

    static PriceFunction::Quote quote(const QString &product, const QString &client = "000001",
                                      const QString &type = QString(), const QString &hora = "1230")
    {
        return PriceFunction::quote({"0001", client, product, "01", type, hora}, Today);
    }
};

TEST_P(PriceFunctionTest, PricesFromTheBranchTable)
{
    const PriceFunction::Quote q = quote("0101");
    ASSERT_TRUE(q.ok()) << q.refusal.toStdString();
    EXPECT_DOUBLE_EQ(q.vrPreco, 22.90);
    EXPECT_DOUBLE_EQ(q.vrPrecoDia, 22.90);
    EXPECT_DOUBLE_EQ(q.vrDesconto, 0.0);
    EXPECT_EQ(q.idPrecVaria, "N");
}

TEST_P(PriceFunctionTest, RefusalCodes)
{
    struct Case
    {
        const char *name;
        std::function<void(PriceFunctionTest &)> arrange;
        QString product;
        QString client;
        QString type;
        QString hora;
        QString expected;
    };
    const QList<Case> cases{
        {"product without price", [](PriceFunctionTest &) {}, "9999", "000001", "", "1230", "PRECNCAD"},
        {"zero price", [](PriceFunctionTest &t) { t.price("001", "0102", 0.0); }, "0102", "000001", "", "1230", "PRECZERO"},
        {"price expired yesterday",
         [](PriceFunctionTest &t) { t.price("001", "0103", 5.0, "N", "2024-01-01 00:00:00", "2024-03-05 00:00:00"); },
         "0103", "000001", "", "1230", "PRECNCAD"},
        {"price from tomorrow",
         [](PriceFunctionTest &t) { t.price("001", "0104", 5.0, "N", "2024-03-07 00:00:00"); }, "0104", "000001", "",
         "1230", "PRECNCAD"},
        {"default table out of date",
         [](PriceFunctionTest &t) { t.exec("UPDATE TABEVEND SET DTFINVIGTABE = '2024-02-29 00:00:00'"); }, "0101",
         "000001", "", "1230", "DTPAR"},
        {"default table not registered",
         [](PriceFunctionTest &t) { t.exec("DELETE FROM TABEVEND"); }, "0101", "000001", "", "1230", "TABENCAD"},
        {"no table at all", [](PriceFunctionTest &t) { t.exec("DELETE FROM PARAVEND"); }, "0101", "000001", "", "1230",
         "TABENCAD"},
        {"client table out of date",
         [](PriceFunctionTest &t) {
             t.exec("INSERT INTO CLIENTE (CDCLIENTE, CDTABEPREC) VALUES ('000002', '002')");
             t.table("002", "2023-01-01 00:00:00", "2023-12-31 00:00:00");
         },
         "0101", "000002", "", "1230", "DTCLI"},
        {"store table out of date",
         [](PriceFunctionTest &t) {
             t.exec("INSERT INTO LOJA (CDFILIAL, CDLOJA, CDTABEPREC) VALUES ('0001', '01', '003')");
             t.table("003", "2024-04-01 00:00:00", {});
         },
         "0101", "000001", "", "1230", "DTLOJ"},
        {"blocked for the consumer type",
         [](PriceFunctionTest &t) {
             t.exec("INSERT INTO TIPOSALDOPROD (CDFILIAL, CDTIPOCONS, CDPRODUTO, IDBLOQPROD) VALUES ('0001', '01', '0101', 'S')");
         },
         "0101", "000001", "01", "1230", "BLOQUEADO"},
        {"outside the consumer type's hours",
         [](PriceFunctionTest &t) {
             t.exec("INSERT INTO TIPOSALDOPROD (CDFILIAL, CDTIPOCONS, CDPRODUTO, HRINICIAL, HRFINAL, IDBLOQPROD) "
                    "VALUES ('0001', '01', '0101', '0600', '1000', 'N')");
         },
         "0101", "000001", "01", "1230", "FORAHORA"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        c.arrange(*this);
        EXPECT_EQ(quote(c.product, c.client, c.type, c.hora).refusal, c.expected);
    }
}

TEST_P(PriceFunctionTest, ClientTableWinsAndFallsBackToTheDefault)
{
    exec("INSERT INTO CLIENTE (CDCLIENTE, CDTABEPREC) VALUES ('000002', '002')");
    table("002", "2024-01-01 00:00:00", {});
    price("002", "0101", 20.61);
    price("001", "0201", 6.50);
    EXPECT_DOUBLE_EQ(quote("0101", "000002").vrPreco, 20.61);
    EXPECT_DOUBLE_EQ(quote("0201", "000002").vrPreco, 6.50); // not in the client's table
    EXPECT_DOUBLE_EQ(quote("0101", "000001").vrPreco, 22.90);
}

TEST_P(PriceFunctionTest, TypedPriceProductMayCostZero)
{
    price("001", "0105", 0.0, "S");
    const PriceFunction::Quote q = quote("0105");
    ASSERT_TRUE(q.ok()) << q.refusal.toStdString();
    EXPECT_EQ(q.idPrecVaria, "S");
}

TEST_P(PriceFunctionTest, WeekdayDiscountAndSurcharge)
{
    // 6 March 2024 is a Wednesday: weekday 4.
    exec("INSERT INTO ITEMPRECODIA (CDFILIAL, CDPRODUTO, NRDIASEMANPR, CDTIPOCONSPD, DTINIVALPREC, IDPERCVALOR, "
         "IDACREDESC, VRDESCACREDIA) VALUES ('0001', '0101', '4', 'T', '2024-01-01 00:00:00', 'P', 'D', 10)");
    price("001", "0201", 9.90);
    exec("INSERT INTO ITEMPRECODIA (CDFILIAL, CDPRODUTO, NRDIASEMANPR, CDTIPOCONSPD, DTINIVALPREC, IDPERCVALOR, "
         "IDACREDESC, VRDESCACREDIA) VALUES ('0001', '0201', '4', 'T', '2024-01-01 00:00:00', 'V', 'A', 1.5)");
    price("001", "0301", 7.00);
    exec("INSERT INTO ITEMPRECODIA (CDFILIAL, CDPRODUTO, NRDIASEMANPR, CDTIPOCONSPD, DTINIVALPREC, IDPERCVALOR, "
         "IDACREDESC, VRDESCACREDIA) VALUES ('0001', '0301', '5', 'T', '2024-01-01 00:00:00', 'V', 'D', 1)");

    const PriceFunction::Quote discount = quote("0101");
    EXPECT_DOUBLE_EQ(discount.vrDesconto, 2.29); // 10% of 22,90, cut to cents
    EXPECT_DOUBLE_EQ(discount.vrPrecoDia, 20.61);
    EXPECT_EQ(discount.idPercValor, "P");
    EXPECT_EQ(discount.idAcreDesc, "D");
    const PriceFunction::Quote surcharge = quote("0201");
    EXPECT_DOUBLE_EQ(surcharge.vrAcrescimo, 1.5);
    EXPECT_DOUBLE_EQ(surcharge.vrPrecoDia, 11.40);
    const PriceFunction::Quote otherDay = quote("0301");
    EXPECT_DOUBLE_EQ(otherDay.vrDesconto, 0.0); // Thursday's row
    EXPECT_DOUBLE_EQ(otherDay.vrPrecoDia, 7.00);
}

TEST_P(PriceFunctionTest, HostRoutineFillsThePriceRowOrRefusesWithTheCode)
{
    ClientDataSet cdsRetornaPreco("cdsRetornaPreco");
    PriceRequest request;
    request.cdFilial = "0001";
    request.cdClienteVenda = "000001";
    request.cdProduto = "0101";
    request.cdLoja = "01";
    request.hora = "1230";
    const PriceAnswer ok = PriceFunction::ChamaFuncaoGetRetornaPreco(request, cdsRetornaPreco);
    ASSERT_TRUE(ok.ok);
    EXPECT_FALSE(ok.result.isFailure());
    ASSERT_EQ(cdsRetornaPreco.RecordCount(), 1);
    EXPECT_DOUBLE_EQ(cdsRetornaPreco.FieldByName("VRPRECO").AsFloat(), 22.90);
    EXPECT_EQ(cdsRetornaPreco.FieldByName("IDPRECVARIA").AsString(), "N");

    request.cdProduto = "9999";
    const PriceAnswer refused = PriceFunction::ChamaFuncaoGetRetornaPreco(request, cdsRetornaPreco);
    EXPECT_FALSE(refused.ok);
    EXPECT_EQ(refused.refusal, "PRECNCAD");
    EXPECT_EQ(refused.result.failureText(), "PRECNCAD");
    EXPECT_EQ(cdsRetornaPreco.RecordCount(), 0);

    PriceTextRequest text{"0001", "000001", "0101", "01", "", "B"};
    EXPECT_EQ(PriceFunction::ChamaFuncaoRetornaPreco(text).text, "22,90");
    text.cdProduto = "9999";
    EXPECT_EQ(PriceFunction::ChamaFuncaoRetornaPreco(text).text, "PRECNCAD");
}

VENDACONS_DATABASE_KINDS(PriceFunctionTest);

} // namespace
