#include "orderfixture.h"

#include <order/orderentry.h>
#include <screen/datasetmodel.h>
#include <screen/receiptgrid.h>
#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <screen/screenshell.h>

#include <runtime/clientdataset.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLabel>
#include <QTableView>

#include <functional>

class Receipt : public OrderTest
{
protected:
    QStringList gridLines()
    {
        QCoreApplication::processEvents();
        auto *grid = form().findChild<QTableView *>(QStringLiteral("dbgCupom"));
        QStringList lines;
        for (int row = 0; row < grid->model()->rowCount(); ++row)
            lines << grid->model()->index(row, 0).data().toString();
        return lines;
    }
    int gridCurrentRow()
    {
        QCoreApplication::processEvents();
        return form().findChild<QTableView *>(QStringLiteral("dbgCupom"))->currentIndex().row();
    }
    void click(const char *button) { form().findChild<QAbstractButton *>(QString::fromLatin1(button))->click(); }
    // A weighed product, so fractional quantities pass.
    static PreenchePedidoArgs weighed(const QString &code, const QString &price, const QString &quantity)
    {
        PreenchePedidoArgs a = item(code, QStringLiteral("GRANEL ") + code, price, quantity);
        a.IDPESAPROD = QStringLiteral("S");
        a.SGUNIDADE = QStringLiteral("KG");
        return a;
    }
};

TEST_F(Receipt, TheGridShowsTheBlockOfEachLine)
{
    sell(item("10", "SUCO DE LARANJA", "5,00", "2"));
    PreenchePedidoArgs withObs = item("11", "PASTEL", "4,50");
    withObs.STOBSPEDIDO = QStringLiteral("SEM CEBOLA");
    sell(withObs);
    const QString separator(43, QLatin1Char('-'));
    const QStringList expected = {
        "A10", "SUCO DE LARANJA", "UN - 00002 X 5,00            10,00", "Horário: 14:30:15 ", separator,
        "A11", "PASTEL", "UN - 00001 X 4,50             4,50", "Horário: 14:30:15 ", "SEM CEBOLA", separator};
    EXPECT_EQ(column(data().cdsExtratoTemp, "DSITEM"), expected);
    EXPECT_EQ(gridLines(), expected);
    EXPECT_EQ(column(data().cdsExtratoTemp, "STVALOR"),
              QStringList({"", "", "5", "", "", "", "", "4,5", "", "", ""}));
    EXPECT_EQ(caption("lblVrTotal"), QStringLiteral("14,50"));
}

TEST_F(Receipt, TotalsAreCutAtEachCountedLine)
{
    const struct
    {
        const char *name;
        QList<std::pair<QString, QString>> lines; // price, quantity
        QString total;
        QString quantity;
    } cases[] = {
        {"half of 3,99", {{"3,99", "0,5"}}, "1,99", "0,500"},
        {"two halves of 0,99", {{"0,99", "0,5"}, {"0,99", "0,5"}}, "0,98", "1,000"},
        {"thousands", {{"1234,5", "1"}}, "1.234,50", "1,000"},
        {"empty sale", {}, "0,00", "0,000"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        data().cdsItems.EmptyDataSet();
        state().road.stNRSEQ.clear();
        int n = 0;
        for (const auto &[price, quantity] : c.lines)
            sell(weighed(QString::number(++n), price, quantity));
        order().AtualizaExtrato();
        EXPECT_EQ(caption("lblVrTotal"), c.total);
        EXPECT_EQ(caption("lblTotVenda"), QStringLiteral("R$") + c.total);
        EXPECT_EQ(caption("lblQtdeTotal"), c.quantity);
        EXPECT_EQ(caption("lblQtdeTotal2"), c.quantity);
    }
}

TEST_F(Receipt, TheExchangeBalanceIsTheCreditLessTheTotal)
{
    state().exchange.doRecebAux1 = 20.0;
    order().AtualizaExtrato();
    EXPECT_EQ(caption("lblValSaldDisp"), QStringLiteral("20,00"));
    sell(item("10", "SUCO", "1234,50"));
    EXPECT_EQ(caption("lblValSaldDisp"), QStringLiteral("-1214,50"));
}

TEST_F(Receipt, ServiceFeeIsSummedFromTheLinesEachTime)
{
    state().editParams().stIDACRIMPOSTO = QStringLiteral("S");
    taxRows({{"10", "01", "10"}});
    sell(item("10", "SUCO", "3,33"));
    // The registration refuses a product without its tax row; a line added directly (as the
    // roads of combined parts do) may still lack one.
    form().dispatch([&] {
        order().AddProduto({"99", "99", "SEM IMPOSTO", {}, {}, "1", "UN", "5,00", "0", "0", "A99", "0"});
    });
    EXPECT_DOUBLE_EQ(state().totals.doVrTxServico, 0.333);
    EXPECT_EQ(column(data().cdsItems, "VRTXSERVICO"), QStringList({"0,333", "0"}));
    cancelLine(QStringLiteral("001"));
    order().AtualizaExtrato();
    EXPECT_DOUBLE_EQ(state().totals.doVrTxServico, 0.0);
}

TEST_F(Receipt, PagingMovesSixRowsFromTheFirstAndFiveAfterwards)
{
    for (int n = 1; n <= 4; ++n)
        sell(item(QString::number(n), QStringLiteral("ITEM"), QStringLiteral("1,00")));
    ClientDataSet &rows = data().cdsExtratoTemp;
    rows.First();
    click("spbGridBaixo");
    EXPECT_EQ(rows.RecNo(), 7);
    EXPECT_EQ(gridCurrentRow(), 6);
    click("spbGridBaixo");
    EXPECT_EQ(rows.RecNo(), 12);
    click("spbGridAcima");
    EXPECT_EQ(rows.RecNo(), 7);
    click("spbGridAcima");
    click("spbGridAcima");
    EXPECT_EQ(rows.RecNo(), 1);
    rows.Last();
    click("spbGridBaixo");
    EXPECT_EQ(rows.RecNo(), 20);
}

TEST_F(Receipt, SeatButtonsCycleOnlyWhileTheSeatIsShown)
{
    state().table.inExtratoAux1 = 3;
    click("spbPosAcima");
    EXPECT_EQ(state().table.inPosicaoGrid, 1);
    form().findChild<QLabel *>(QStringLiteral("stPosicao"))->show();
    QStringList seen;
    for (int n = 0; n < 4; ++n) {
        click("spbPosAcima");
        seen << caption("stPosicao");
    }
    EXPECT_EQ(seen, QStringList({"2", "3", "1", "2"}));
    state().table.inPosicaoGrid = 1;
    click("spbPosAbaixo");
    EXPECT_EQ(caption("stPosicao"), QStringLiteral("3"));
    sell(item("10", "SUCO", "5,00"));
    EXPECT_EQ(column(data().cdsItems, "NRLUGARMESA"), QStringList{"03"});
}

TEST_F(Receipt, CounterLinesCarrySeatOne)
{
    sell(item("10", "SUCO", "5,00"));
    EXPECT_EQ(column(data().cdsItems, "NRLUGARMESA"), QStringList{"01"});
}

TEST_F(Receipt, ADescriptiveRowRewritesTheTotalWithoutChangingIt)
{
    sell(item("10", "SUCO", "5,00"));
    form().context().shell().Linha(QStringLiteral("PEDIDOS REALIZADOS"));
    EXPECT_DOUBLE_EQ(state().totals.doTotalVenda, 5.0);
    EXPECT_EQ(caption("lblVrTotal"), QStringLiteral("5,00"));
}

TEST(ReceiptGridRules, RunningTotalAndSeats)
{
    EXPECT_DOUBLE_EQ(ReceiptGrid::runningTotal(0.49, 0.5, 0.99, 0, 0), 0.98);
    EXPECT_DOUBLE_EQ(ReceiptGrid::runningTotal(0, 2, 10, 1.009, 0.509), 19.5);
    EXPECT_DOUBLE_EQ(ReceiptGrid::runningTotal(0, 0.5, 3.99, 0, 0), 1.99);
    EXPECT_EQ(ReceiptGrid::nextSeat(3, 3, +1), 1);
    EXPECT_EQ(ReceiptGrid::nextSeat(1, 3, -1), 3);
    EXPECT_EQ(ReceiptGrid::nextSeat(1, 0, -1), 1);
}

// A line added at the end writes its own receipt lines only; any other change to the sale or
// to the receipt writes it again. Either way the receipt is the one a fresh build gives.
TEST_F(Receipt, LinesAddedOneByOneGiveTheReceiptAFreshBuildGives)
{
    auto freshBuild = [&] {
        data().cdsExtratoTemp.Close(); // a touched receipt is always written again
        order().AtualizaExtrato();
        return std::pair(column(data().cdsExtratoTemp, "DSITEM"), caption("lblVrTotal"));
    };
    auto onScreen = [&] { return std::pair(column(data().cdsExtratoTemp, "DSITEM"), caption("lblVrTotal")); };

    sell(item("10", "SUCO", "5,00", "2"));
    sell(item("11", "PASTEL", "4,50"));
    sell(item("12", "CAFE", "3,25", "3"));
    const auto added = onScreen();
    EXPECT_EQ(added.second, QStringLiteral("24,25"));
    EXPECT_EQ(freshBuild(), added);

    const struct
    {
        const char *name;
        std::function<void()> change;
        QString total;
    } changes[] = {
        {"a middle line edited", [&] {
             ClientDataSet &items = data().cdsItems;
             items.SetRecNo(2);
             items.Edit();
             items.FieldByName(QStringLiteral("QTPRODCOMVEN")).SetAsString(QStringLiteral("2"));
             items.Post();
         }, "28,75"},
        {"the first line deleted", [&] {
             data().cdsItems.First();
             data().cdsItems.Delete();
         }, "18,75"},
        {"the receipt touched by another road", [&] { form().context().shell().Linha(QStringLiteral("AVISO")); }, "18,75"},
        {"another line added", [&] { sell(item("13", "AGUA", "2,00")); }, "20,75"},
    };
    for (const auto &c : changes) {
        SCOPED_TRACE(c.name);
        c.change();
        order().AtualizaExtrato();
        const auto now = onScreen();
        EXPECT_EQ(now.second, c.total);
        EXPECT_EQ(freshBuild(), now);
    }
}
