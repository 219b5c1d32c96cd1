// The bill of an open table or tab and the history of its orders on the receipt: the tabs of
// the table, their items, the totals, and the history kept above the lines of the new order.
#include "orderfixture.h"

#include <order/orderentry.h>
#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <runtime/clientdataset.h>
#include <runtime/datapacket.h>

namespace {

DataPacket packet(const QList<FieldDef> &fields, const QList<QList<Variant>> &rows)
{
    DataPacket p;
    p.fields = fields;
    p.rows = rows;
    return p;
}

struct Item
{
    QString tab, product, name;
    double quantity = 1, price = 0, clientPrice = 0, discount = 0;
    QString from; // table the item was transferred from
    QString seat = QStringLiteral("1");
    QString obs;
};

class TabHistoryTest : public OrderTest
{
protected:
    void SetUp() override
    {
        OrderTest::SetUp();
        if (HasFatalFailure())
            return;
        SaleState &s = state();
        s.host.stModoVenda = QStringLiteral("M");
        s.host.stNRMESA = QStringLiteral("0012");
        s.host.stNRVENDAREST = QStringLiteral("HOST");
        s.editParams().stCDPRODCOUVER = QStringLiteral("COUV");
        s.editParams().stCDPRODCONSUM = QStringLiteral("CONS");
        install();
    }

    void TearDown() override
    {
        tabsSeam.reset();
        OrderTest::TearDown();
    }

    void install()
    {
        Seam::Tabs table;
        table.getBuscaComandas = [this](const QString &, const QString &, const QString &table, const QString &) {
            tabCalls << "getBuscaComandas " + table;
            return Variant(packet({{"NRVENDAREST", FieldType::String, 10}, {"NRCOMANDA", FieldType::String, 10},
                                   {"DSCOMANDA", FieldType::String, 30}, {"NRPESMESAVEN", FieldType::Integer},
                                   {"NRPOSICAOMESA", FieldType::Integer}, {"VRACRCOMANDA", FieldType::Double}},
                                  tabs));
        };
        table.getDadosComanda = [this](const QString &, const QString &tab) {
            tabCalls << "getDadosComanda " + tab;
            return Variant(packet({{"NRVENDAREST", FieldType::String, 10}, {"NRCOMANDA", FieldType::String, 10},
                                   {"DSCOMANDA", FieldType::String, 30}, {"NRPESMESAVEN", FieldType::Integer},
                                   {"VRACRCOMANDA", FieldType::Double}},
                                  {{"500", tab, "PKR_" + tab, 4, surcharge}}));
        };
        table.getAcrescimo = [this](const QString &, const QString &, const QString &) {
            return Variant(packet({{"VRACRCOMANDA", FieldType::Double}}, {{surcharge}}));
        };
        table.getBuscaItComanda = [this](const QString &, const QString &list) {
            tabCalls << "getBuscaItComanda " + list;
            if (!itemsFailure.isEmpty())
                return Variant::failure(itemsFailure);
            QList<QList<Variant>> rows;
            int n = 0;
            for (const Item &i : items)
                rows.append({QString::number(++n), i.quantity, i.price, i.clientPrice, i.discount, "ARV" + i.product,
                             i.name, i.product, QDateTime(QDate(2024, 3, 5), QTime(9, 5, 7)), i.seat, i.from, i.obs,
                             i.tab});
            return Variant(packet({{"NRPRODCOMVEN", FieldType::String, 10}, {"QTPRODCOMVEN", FieldType::Double},
                                   {"VRPRECCOMVEN", FieldType::Double}, {"VRPRECCLCOMVEN", FieldType::Double},
                                   {"VRDESCCOMVEN", FieldType::Double}, {"CDARVPROD", FieldType::String, 20},
                                   {"NMPRODUTO", FieldType::String, 50}, {"CDPRODUTO", FieldType::String, 10},
                                   {"DTHRINCOMVEN", FieldType::DateTime}, {"NRLUGARMESA", FieldType::String, 10},
                                   {"NRMESADSCOMORIT", FieldType::String, 10}, {"TXPRODCOMVEN", FieldType::String, 200},
                                   {"NRCOMANDA", FieldType::String, 10}},
                                  rows));
        };
        tabsSeam = std::make_unique<ScopedTable<Seam::Tabs>>(table);
    }

    // Tab 7 (3 people, 2 seats) and tab 3 (2 people, 4 seats), as the server lists them.
    void tabsThreeAndSeven()
    {
        tabs = {{"500", "7", "PKR_7", 3, 2, 0.0}, {"500", "3", "PKR_3", 2, 4, 0.0}};
        items = {{"3", "P1", "PRATO FEITO", 2, 22.90},
                 {"3", "COUV", "COUVERT", 1, 5.00},
                 {"7", "S1", "SUCO DE LARANJA", 1, 9.90, 0.10, 1.00, "0009", "2", "SEM GELO"},
                 {"7", "CONS", "CONSUMACAO", 1, 50.00}};
    }

    QStringList receipt()
    {
        return column(data().cdsExtratoTemp, "DSITEM");
    }

    QList<QList<Variant>> tabs;
    QList<Item> items;
    double surcharge = 0;
    QString itemsFailure;
    QStringList tabCalls;
    std::unique_ptr<ScopedTable<Seam::Tabs>> tabsSeam;
};

TEST_F(TabHistoryTest, BothTabsOfTheTableAreListedUnderOneTitleWithoutCoverOrConsumption)
{
    tabsThreeAndSeven();
    order().PreencheHistorico(QStringLiteral("0012"));

    const QStringList expected{
        "PEDIDOS REALIZADOS",
        "PRATO FEITO",
        "002,000 X 22,90 " + QString(11, ' ') + "45,80",
        "Horário: 09:05:07 Posição: 1",
        "Obs: ",
        QString(35, '-'),
        "Transferido da mesa: 0009",
        "SUCO DE LARANJA",
        "001,000 X 10,00 " + QString(12, ' ') + "9,00",
        "Horário: 09:05:07 Posição: 2",
        "Obs: SEM GELO",
        QString(35, '-'),
        "",
    };
    EXPECT_EQ(receipt(), expected);
    EXPECT_EQ(tabCalls, (QStringList{"getBuscaComandas 0012", "getBuscaItComanda _3_7_"}));
    EXPECT_EQ(state().table.inNrPessoas, 5);
    EXPECT_EQ(state().table.inExtratoAux1, 6);
    EXPECT_EQ(caption("lblNrPes"), "5");
    // The first tab by number gives the sale and tab the new order goes to.
    EXPECT_EQ(state().host.stNRCOMANDA, "3");
    EXPECT_EQ(state().host.stNrComandaExib, "PKR_3");
    EXPECT_EQ(state().host.stNRVENDAREST, "500");
}

struct TotalCase
{
    const char *name;
    double surcharge;
    const char *total;
};

class HistoryTotals : public TabHistoryTest, public ::testing::WithParamInterface<TotalCase>
{
};

// One rule for the history and the bill: the line's own value (client part included, cut to
// cents, less the discount), and a surcharge only when above zero.
TEST_P(HistoryTotals, TheHistoryAndTheBillCountWhatTheLinesShow)
{
    tabsThreeAndSeven();
    surcharge = GetParam().surcharge;
    state().totals.doVrAcrComanda = GetParam().surcharge > 0 ? GetParam().surcharge : 0;
    order().PreencheHistorico(QStringLiteral("0012"));
    EXPECT_EQ(caption("lblVrTotal"), GetParam().total);
    EXPECT_EQ(caption("lblQtdeTotal"), "3,000");
    // The history is no part of the order being taken.
    EXPECT_DOUBLE_EQ(state().totals.doTotalVenda, 0.0);

    order().PreencheExtrato();
    EXPECT_EQ(caption("lblVrTotal"), GetParam().total);
}

INSTANTIATE_TEST_SUITE_P(Surcharges, HistoryTotals,
                         ::testing::Values(TotalCase{"none", 0.0, "54,80"}, TotalCase{"negative", -2.0, "54,80"},
                                           TotalCase{"positive", 2.5, "57,30"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(TabHistoryTest, ATableWithoutOpenTabsShowsTheTitleAloneAndZeroTotals)
{
    surcharge = 3.0;
    order().PreencheHistorico(QStringLiteral("0012"));
    EXPECT_EQ(receipt(), QStringList{"PEDIDOS REALIZADOS"});
    EXPECT_EQ(caption("lblVrTotal"), "0,00");
    EXPECT_EQ(caption("lblQtdeTotal"), "0,000");
    EXPECT_EQ(state().table.inNrPessoas, 0);
    // No tab found: the sale the host handed over stays.
    EXPECT_EQ(state().host.stNRVENDAREST, "HOST");
}

TEST_F(TabHistoryTest, ATabAsksForItsOwnTabOnly)
{
    state().host.stModoVenda = QStringLiteral("C");
    state().host.stNRCOMANDA = QStringLiteral("44");
    items = {{"44", "P1", "PRATO FEITO", 1, 20.0}};
    order().PreencheHistorico(QString());
    EXPECT_EQ(tabCalls, (QStringList{"getDadosComanda 44", "getDadosComanda 44", "getBuscaItComanda _44_"}));
    EXPECT_EQ(state().table.inNrPessoas, 4);
    EXPECT_EQ(caption("lblVrTotal"), "20,00");
}

TEST_F(TabHistoryTest, AFailedItemQueryIsShownAndTheTitleStays)
{
    tabsThreeAndSeven();
    itemsFailure = QStringLiteral("conexão perdida");
    order().PreencheHistorico(QStringLiteral("0012"));
    ASSERT_EQ(shown().size(), 1);
    EXPECT_TRUE(shown().first().contains("conexão perdida")) << shown().first().toStdString();
    EXPECT_EQ(receipt().value(0), "PEDIDOS REALIZADOS");
    EXPECT_EQ(caption("lblVrTotal"), "0,00");
}

TEST_F(TabHistoryTest, TheHistoryStaysAboveTheLinesOfTheNewOrder)
{
    tabsThreeAndSeven();
    order().PreencheHistorico(QStringLiteral("0012"));
    const QStringList history = receipt();

    ASSERT_TRUE(sell(item("100", "AGUA", "3,50")));
    QStringList shownNow = receipt();
    ASSERT_GT(shownNow.size(), history.size());
    EXPECT_EQ(shownNow.mid(0, history.size()), history);
    EXPECT_DOUBLE_EQ(state().totals.doTotalVenda, 3.50);

    ASSERT_TRUE(sell(item("101", "CAFE", "4,00")));
    cancelLine("001");
    form().dispatch([&] { order().AtualizaExtrato(); });
    shownNow = receipt();
    EXPECT_EQ(shownNow.mid(0, history.size()), history);
    EXPECT_FALSE(shownNow.mid(history.size()).join('|').contains("AGUA"));
    EXPECT_DOUBLE_EQ(state().totals.doTotalVenda, 4.00);
}

TEST_F(TabHistoryTest, AReceiptWrittenAgainElsewhereKeepsNoHistory)
{
    tabsThreeAndSeven();
    order().PreencheHistorico(QStringLiteral("0012"));
    data().cdsExtratoTemp.Close();
    ASSERT_TRUE(sell(item("100", "AGUA", "3,50")));
    EXPECT_FALSE(receipt().contains("PEDIDOS REALIZADOS"));
}

TEST_F(TabHistoryTest, TheCounterBillIsOnePersonWithoutTableOrTab)
{
    state().host.stModoVenda = QStringLiteral("B");
    state().host.stNRCOMANDA = QStringLiteral("9");
    order().PreencheExtrato();
    EXPECT_EQ(state().table.inNrPessoas, 1);
    EXPECT_EQ(state().host.stNRCOMANDA, "");
    EXPECT_TRUE(tabCalls.isEmpty());
}

} // namespace
