#include <support/databasefixture.h>

#include <server/srv_tabs.h>

#include <runtime/clock.h>
#include <runtime/datapacket.h>

namespace {

using namespace Srv_Kal51000;

const QDateTime opened(QDate(2026, 3, 4), QTime(19, 30, 0));

// Look-ups of restaurant sales, tabs and tables.
class TabLookups : public DatabaseTest
{
protected:
    void TearDown() override
    {
        Clock::setNow({});
        DatabaseTest::TearDown();
    }

    void addSale(const QString &sale, const QString &table, const QString &store = "1", bool closed = false,
                 const QString &branch = "1")
    {
        exec("INSERT INTO VENDAREST (CDFILIAL, CDLOJA, NRVENDAREST, NRMESA, CDVENDEDOR, NRPESMESAVEN, CDCLIENTE, "
             "CDCONSUMIDOR, NRPOSICAOMESA, DTHRABERMESA, DTHRFECHMESA) VALUES (:F, :L, :V, :M, 'W1', 2, 'C1', 'K1', 3, "
             ":A, :X)",
             {{"F", branch}, {"L", store}, {"V", sale}, {"M", table}, {"A", opened},
              {"X", closed ? Variant(opened.addSecs(3600)) : Variant::null()}});
    }
    void addTab(const QString &sale, const QString &tab, const QString &label, double surcharge = 0,
                const QString &status = "1", const QString &branch = "1")
    {
        exec("INSERT INTO COMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, CDLOJA, DSCOMANDA, IDSTCOMANDA, VRACRCOMANDA) "
             "VALUES (:F, :V, :C, '1', :D, :S, :A)",
             {{"F", branch}, {"V", sale}, {"C", tab}, {"D", label}, {"S", status}, {"A", surcharge}});
    }
    void addItem(const QString &sale, const QString &tab, const QString &item, const QString &status = "3",
                 const QString &product = "P1", const QString &branch = "1")
    {
        exec("INSERT INTO ITCOMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN, CDPRODUTO, QTPRODCOMVEN, "
             "VRPRECCOMVEN, IDSTPRCOMVEN, NRLUGARMESA, IDPRODREFIL) VALUES (:F, :V, :C, :I, :P, 1, 10, :S, '01', 'N')",
             {{"F", branch}, {"V", sale}, {"C", tab}, {"I", item}, {"P", product}, {"S", status}});
    }
    void breakTable(const char *table) { exec(QStringLiteral("DROP TABLE %1").arg(QLatin1String(table))); }

    static QStringList column(const Variant &answer, const char *name)
    {
        QStringList values;
        for (int row = 0; row < answer.packet().rows.size(); ++row)
            values.append(answer.packet().value(row, name).toString());
        return values;
    }
};

#define ASSERT_PACKET(answer) ASSERT_TRUE((answer).isPacket()) << describe(answer).toStdString()

TEST_P(TabLookups, AcresMesaReadsTheTabsSurcharge)
{
    addSale("100", "5");
    addTab("100", "12", "MESA", 3.5);
    const Variant found = getAcresMesa("1", "1", "12", "100");
    ASSERT_PACKET(found);
    EXPECT_EQ(found.packet().value(0, "VRACRCOMANDA"), Variant(3.5));
    const Variant none = getAcresMesa("1", "1", "13", "100");
    ASSERT_PACKET(none);
    EXPECT_TRUE(none.packet().rows.isEmpty());
    breakTable("COMANDAVEN");
    EXPECT_TRUE(getAcresMesa("1", "1", "12", "100").isFailure());
}

TEST_P(TabLookups, GravaAcrescimoStoresTheValueGiven)
{
    addSale("100", "5");
    addTab("100", "12", "MESA", 3.5);
    EXPECT_EQ(setGravaAcrescimo("1", "1", "12", "100", 7.25), Variant());
    EXPECT_EQ(getAcresMesa("1", "1", "12", "100").packet().value(0, "VRACRCOMANDA"), Variant(7.25));
    breakTable("COMANDAVEN");
    EXPECT_TRUE(setGravaAcrescimo("1", "1", "12", "100", 1).isFailure());
}

TEST_P(TabLookups, AcrescimoSumsEachOpenTabOfTheJunctionOnce)
{
    exec("INSERT INTO MESAJUNCAO (CDFILIAL, CDLOJA, NRMESA, NRJUNMESA) VALUES ('1', '1', '5', 'J1')");
    exec("INSERT INTO JUNCAOMESA (CDFILIAL, CDLOJA, NRJUNMESA, NRMESA) VALUES ('1', '1', 'J1', '5'), "
         "('1', '1', 'J1', '6')");
    addSale("100", "5");
    addTab("100", "12", "MESA", 1.0);
    addItem("100", "12", "000001");
    addItem("100", "12", "000002"); // two items: the tab still counts once
    addSale("101", "6");             // the joined table
    addTab("101", "13", "MESA", 2.0);
    addItem("101", "13", "000001");
    addTab("101", "14", "MESA", 40.0, "4"); // released tab
    addItem("101", "14", "000001");
    addTab("101", "15", "MESA", 80.0); // only cancelled items
    addItem("101", "15", "000001", "6");
    addSale("102", "7"); // a table outside the junction
    addTab("102", "16", "MESA", 100.0);
    addItem("102", "16", "000001");
    addSale("103", "5", "1", true); // closed sale of the same table
    addTab("103", "17", "MESA", 200.0);
    addItem("103", "17", "000001");

    const Variant sum = getAcrescimo("1", "1", "5");
    ASSERT_PACKET(sum);
    ASSERT_EQ(sum.packet().rows.size(), 1);
    EXPECT_EQ(sum.packet().value(0, "VRACRCOMANDA").toDouble(), 3.0);
    EXPECT_EQ(getAcrescimo("1", "1", "99").packet().value(0, "VRACRCOMANDA").toDouble(), 0.0);
    breakTable("MESAJUNCAO");
    EXPECT_TRUE(getAcrescimo("1", "1", "5").isFailure());
}

TEST_P(TabLookups, BuscaComandasListsReservedAndPreBookedTabsOfTheJunction)
{
    exec("INSERT INTO MESAJUNCAO (CDFILIAL, CDLOJA, NRMESA, NRJUNMESA) VALUES ('1', '1', '5', 'J1')");
    exec("INSERT INTO JUNCAOMESA (CDFILIAL, CDLOJA, NRJUNMESA, NRMESA) VALUES ('1', '1', 'J1', '6')");
    exec("INSERT INTO VENDEDOR (CDVENDEDOR, NMFANVEN) VALUES ('W1', 'Ana')");
    addSale("101", "6");
    addTab("101", "22", "RES_JOAO");
    addSale("100", "5");
    addTab("100", "21", "PKR_MARIA");
    addTab("100", "20", "DLV_ENTREGA"); // another prefix
    addTab("100", "23", "RES_SOLTA", 0, "4");
    addSale("102", "5", "2"); // another store
    addTab("102", "24", "RES_OUTRA");

    const Variant tabs = getBuscaComandas("1", "1", "5", "");
    ASSERT_PACKET(tabs);
    EXPECT_EQ(column(tabs, "NRCOMANDA"), (QStringList{"21", "22"}));
    EXPECT_EQ(tabs.packet().value(0, "NMFANVEN"), Variant("Ana"));
    EXPECT_EQ(tabs.packet().value(0, "NRPESMESAVEN").toInt(), 2);
    EXPECT_EQ(tabs.packet().fields.size(), 12);
    EXPECT_TRUE(getBuscaComandas("1", "1", "99").packet().rows.isEmpty());
    breakTable("VENDEDOR");
    EXPECT_TRUE(getBuscaComandas("1", "1", "5").isFailure());
}

TEST_P(TabLookups, DadosComandaReadsTheOpenTabEvenWithoutAWaiter)
{
    addSale("100", "5");
    addTab("100", "12", "BALCAO", 1.5);
    addSale("90", "5", "1", true);
    addTab("90", "12", "ANTIGA");

    const Variant tab = getDadosComanda("1", "12");
    ASSERT_PACKET(tab);
    EXPECT_EQ(column(tab, "NRVENDAREST"), QStringList{"100"});
    EXPECT_TRUE(tab.packet().value(0, "NMFANVEN").isNull());
    EXPECT_TRUE(getDadosComanda("1", "13").packet().rows.isEmpty());
    breakTable("VENDAREST");
    EXPECT_TRUE(getDadosComanda("1", "12").isFailure());
}

struct TabListCase
{
    const char *name;
    const char *list;
    QStringList tabs;
};

TEST_P(TabLookups, BuscaItComandaMatchesTabsAsWholeNumbers)
{
    const QList<TabListCase> cases{
        {"screen list of one", "_1_", {"1"}},
        {"screen list of two", "_12_13_", {"12", "13"}},
        {"comma list", "12,13", {"12", "13"}},
        {"bare number", "123", {"123"}},
        {"blanks around", " 12 ; 123 ", {"12", "123"}},
        {"empty", "", {}},
    };
    addSale("100", "5");
    for (const char *tab : {"1", "12", "13", "123"})
        addItem("100", tab, tab); // the item number tells the tab
    for (const TabListCase &c : cases) {
        const Variant items = getBuscaItComanda("1", c.list);
        ASSERT_PACKET(items);
        QStringList tabs = column(items, "NRPRODCOMVEN");
        tabs.sort();
        EXPECT_EQ(tabs, c.tabs) << c.name;
    }
}

TEST_P(TabLookups, BuscaItComandaLeavesOutCancelledItemsAndNamesTheProduct)
{
    exec("INSERT INTO PRODUTO (CDPRODUTO, NMPRODUTO, NMPRODIMPFIS, CDARVPROD) VALUES "
         "('P1', 'Suco', 'SUCO LARANJA', 'A1'), ('P2', 'Agua', '', 'A2')");
    addSale("100", "5");
    addItem("100", "12", "000001", "3", "P1");
    addItem("100", "12", "000002", "3", "P2");
    addItem("100", "12", "000003", "6", "P1");
    addItem("100", "12", "000004", "7", "P1");
    addItem("100", "12", "000005", "3", "P9"); // product not registered: still on the bill
    addItem("100", "12", "000006", "3", "P1", "2"); // another branch

    const Variant items = getBuscaItComanda("1", "_12_");
    ASSERT_PACKET(items);
    EXPECT_EQ(column(items, "NRPRODCOMVEN"), (QStringList{"000001", "000002", "000005"}));
    EXPECT_EQ(column(items, "NMPRODUTO"), (QStringList{"SUCO LARANJA", "Agua", ""}));
    EXPECT_EQ(items.packet().value(0, "VRPRECCLCOMVEN").toDouble(), 0.0);
    EXPECT_EQ(items.packet().fields.size(), 14);
    breakTable("ITCOMANDAVEN");
    EXPECT_TRUE(getBuscaItComanda("1", "_12_").isFailure());
}

struct TableStateCase
{
    const char *name;
    const char *state; // nullptr: the table is not registered
    bool mayOrder;
};

TEST_P(TabLookups, ValidaMesaRefusesTablesBeingClosed)
{
    const QList<TableStateCase> cases{
        {"being received", "S", false}, {"closed", "D", false}, {"reserved", "R", false},
        {"free", "L", true},            {"blank", "", true},    {"not registered", nullptr, true},
    };
    int table = 0;
    for (const TableStateCase &c : cases) {
        const QString number = QString::number(++table);
        if (c.state)
            exec("INSERT INTO MESA (CDFILIAL, CDLOJA, NRMESA, IDSTMESAAUX) VALUES ('1', '1', :M, :S)",
                 {{"M", number}, {"S", c.state}});
        EXPECT_EQ(getValidaMesa("1", "1", number), c.mayOrder) << c.name;
    }
    breakTable("MESA");
    EXPECT_FALSE(getValidaMesa("1", "1", "6")) << "a failure never lets the order through";
}

TEST_P(TabLookups, LugarMesaIsBlockedByAnyItemNotInStateO)
{
    addSale("100", "5");
    EXPECT_TRUE(verificaIDSTLUGARMESA("1", "100", "01")) << "no item";
    exec("INSERT INTO ITCOMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN, NRLUGARMESA, IDSTLUGARMESA) "
         "VALUES ('1', '100', '12', '000001', '01', 'O'), ('1', '100', '12', '000002', '02', 'C'), "
         "('2', '100', '12', '000003', '01', 'C')");
    EXPECT_TRUE(verificaIDSTLUGARMESA("1", "100", "01"));
    EXPECT_FALSE(verificaIDSTLUGARMESA("1", "100", "02"));
    breakTable("ITCOMANDAVEN");
    EXPECT_FALSE(verificaIDSTLUGARMESA("1", "100", "01"));
}

TEST_P(TabLookups, NrPesMesaReadsTheBranchMaximum)
{
    exec("INSERT INTO PARAVEND (CDFILIAL, NRMAXPESMES) VALUES ('1', 8)");
    const Variant found = getNrPesMesa("1");
    ASSERT_PACKET(found);
    EXPECT_EQ(found.packet().value(0, "NRMAXPESMES").toInt(), 8);
    EXPECT_TRUE(getNrPesMesa("2").packet().rows.isEmpty());
    breakTable("PARAVEND");
    EXPECT_TRUE(getNrPesMesa("1").isFailure());
}

TEST_P(TabLookups, DtHrAberMesaAnswersNowWhenTheOpeningTimeIsUnknown)
{
    const QDateTime now(QDate(2026, 3, 4), QTime(21, 0, 0));
    Clock::setNow([now] { return now; });
    addSale("100", "5");
    exec("INSERT INTO VENDAREST (CDFILIAL, CDLOJA, NRVENDAREST, NRMESA) VALUES ('1', '1', '101', '6')");
    EXPECT_EQ(GetDtHrAberMesa("1", "100"), Variant(opened));
    EXPECT_EQ(GetDtHrAberMesa("1", "999"), Variant(now)) << "not found: the time limit counts from now";
    EXPECT_EQ(GetDtHrAberMesa("1", "101"), Variant(now)) << "no opening time";
    EXPECT_EQ(GetDtHrAberMesa("2", "100"), Variant(now)) << "another branch";
    breakTable("VENDAREST");
    EXPECT_EQ(GetDtHrAberMesa("1", "100"), Variant(now));
}

TEST_P(TabLookups, PedidoReadsTheSaleWithItsTabsAndConsumer)
{
    exec("INSERT INTO CONSUMIDOR (CDCLIENTE, CDCONSUMIDOR, NMCONSUMIDOR) VALUES ('C1', 'K1', 'Maria')");
    addSale("100", "5");
    addTab("100", "13", "A");
    addTab("100", "12", "B");
    exec("INSERT INTO VENDAREST (CDFILIAL, CDLOJA, NRVENDAREST, CDCLIENTE, CDCONSUMIDOR) VALUES "
         "('1', '1', '101', 'C1', 'K9')");
    addTab("101", "14", "C");

    const Variant sale = getPedido("1", "1", "100");
    ASSERT_PACKET(sale);
    EXPECT_EQ(column(sale, "NRCOMANDA"), (QStringList{"12", "13"}));
    EXPECT_EQ(sale.packet().value(0, "NMCONSUMIDOR"), Variant("Maria"));
    EXPECT_EQ(sale.packet().value(0, "DTHRABERMESA"), Variant(opened));
    const Variant unknownConsumer = getPedido("1", "1", "101");
    ASSERT_PACKET(unknownConsumer);
    EXPECT_TRUE(unknownConsumer.packet().value(0, "NMCONSUMIDOR").isNull());
    EXPECT_TRUE(getPedido("1", "2", "100").packet().rows.isEmpty());
    breakTable("CONSUMIDOR");
    EXPECT_TRUE(getPedido("1", "1", "100").isFailure());
}

TEST_P(TabLookups, OcorPedOffersTheStoreGroupOptionsOfTheProduct)
{
    exec("INSERT INTO LOJA (CDFILIAL, CDLOJA, CDGRPOCORPED) VALUES ('1', '1', 'G1'), ('1', '2', 'G2')");
    exec("INSERT INTO OCORRENCIA (CDGRPOCOR, CDOCORR, DSOCORR, CDTIPRISCO, IDCONTROLAOBS) VALUES "
         "('G1', '02', 'SEM GELO', '', 'N'), ('G1', '01', 'SEM ACUCAR', '', 'S'), ('G1', '03', 'QUENTE', '', 'N'), "
         "('G2', '01', 'OUTRO GRUPO', '', 'N')");
    exec("INSERT INTO PRODOCORRE (CDPRODUTO, CDGRPOCOR, CDOCORR) VALUES ('P1', 'G1', '01'), ('P1', 'G1', '02'), "
         "('P1', 'G2', '01'), ('P2', 'G1', '03')");
    const Variant options = getOcorPed("1", "1", "P1");
    ASSERT_PACKET(options);
    EXPECT_EQ(column(options, "DSOCORR"), (QStringList{"SEM ACUCAR", "SEM GELO"}));
    EXPECT_EQ(options.packet().fields.size(), 6);
    EXPECT_TRUE(getOcorPed("1", "1", "P3").packet().rows.isEmpty());
    breakTable("PRODOCORRE");
    EXPECT_TRUE(getOcorPed("1", "1", "P1").isFailure());
}

TEST_P(TabLookups, SenhaPedReadsTheTabsPasswordAndNeverFails)
{
    addSale("100", "5");
    exec("INSERT INTO ITCOMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN, CDSENHAPED) VALUES "
         "('1', '100', '12', '000001', NULL), ('1', '100', '12', '000002', '0042'), ('1', '100', '13', '000001', '0043')");
    EXPECT_EQ(getSenhaPed("1", "12", "100"), "0042");
    EXPECT_EQ(getSenhaPed("1", "14", "100"), "");
    breakTable("ITCOMANDAVEN");
    EXPECT_EQ(getSenhaPed("1", "12", "100"), "");
}

TEST_P(TabLookups, ProdRefilCountsFromANullCounter)
{
    addSale("100", "5");
    addItem("100", "12", "000001");
    addItem("100", "12", "000002");
    EXPECT_EQ(setProdRefil("1", "100", "12", "000001", 2), Variant());
    EXPECT_EQ(setProdRefil("1", "100", "12", "000001", -0.5), Variant());
    const auto counts = rows("SELECT NRPRODCOMVEN, QTITEMREFIL FROM ITCOMANDAVEN ORDER BY NRPRODCOMVEN");
    ASSERT_EQ(counts.size(), 2);
    EXPECT_DOUBLE_EQ(counts.at(0).at(1).toDouble(), 1.5);
    EXPECT_TRUE(counts.at(1).at(1).isNull()) << "only the item named";
    breakTable("ITCOMANDAVEN");
    EXPECT_TRUE(setProdRefil("1", "100", "12", "000001", 1).isFailure());
}

TEST_P(TabLookups, ProdRefilFindsTheOrdinaryLiveItemsOfProductAndSeat)
{
    addSale("100", "5");
    exec("INSERT INTO ITCOMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN, CDPRODUTO, NRLUGARMESA, "
         "IDPRODREFIL, IDSTPRCOMVEN) VALUES "
         "('1', '100', '12', '000004', 'P1', '01', 'N', '3'), ('1', '100', '12', '000002', 'P1', '01', 'N', '1'), "
         "('1', '100', '12', '000003', 'P1', '01', 'S', '3'), ('1', '100', '12', '000005', 'P1', '01', 'N', '6'), "
         "('1', '100', '12', '000006', 'P1', '02', 'N', '3'), ('1', '100', '12', '000007', 'P2', '01', 'N', '3')");
    const Variant found = getProdRefil("1", "100", "12", "P1", "01");
    ASSERT_PACKET(found);
    EXPECT_EQ(column(found, "NRPRODCOMVEN"), (QStringList{"000002", "000004"}));
    EXPECT_TRUE(getProdRefil("1", "100", "12", "P9", "01").packet().rows.isEmpty());
    breakTable("ITCOMANDAVEN");
    EXPECT_TRUE(getProdRefil("1", "100", "12", "P1", "01").isFailure());
}

VENDACONS_DATABASE_KINDS(TabLookups);

} // namespace
