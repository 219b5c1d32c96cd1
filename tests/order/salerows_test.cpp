#include "orderfixture.h"

#include <order/orderentry.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <runtime/clientdataset.h>

class SaleRowsTest : public OrderTest
{
protected:
    void SetUp() override
    {
        OrderTest::SetUp();
        state().host.stCDVENDEDOR = QStringLiteral("7");
        state().table.inNrPessoas = 2;
        taxRows({{"10", "01", "18"}, {"11", "01", "18"}, {"12", "02", "7"}});
    }
    double settle()
    {
        double total = 0.0;
        form().dispatch([&] { order().PreencheVenda(total); });
        return total;
    }
};

TEST_F(SaleRowsTest, EachLineGivesOneRowWithTheFormsValues)
{
    PreenchePedidoArgs juice = item("10", "SUCO", "5,00", "2");
    juice.VRPRECOCLIE = QStringLiteral("0,333");
    juice.STOBSPEDIDO = QStringLiteral("GELADO");
    sell(juice);
    sell(item("12", "PÃO", "1,50"));
    // The fee of the whole sale, as the receipt re-sums it, goes on every row.
    state().totals.doVrTxServico = 1.25;
    const double total = settle();

    const ClientDataSet &rows = data().cdsVenda;
    EXPECT_EQ(column(rows, "NRSEQ"), QStringList({"001", "002"}));
    EXPECT_EQ(column(rows, "CDPRODUTO"), QStringList({"10", "12"}));
    EXPECT_EQ(column(rows, "NMLOJA"), QStringList({"01", "01"}));
    EXPECT_EQ(column(rows, "NRMESA"), QStringList({"", ""}));
    EXPECT_EQ(column(rows, "CDVENDEDOR"), QStringList({"0007", "0007"}));
    EXPECT_EQ(column(rows, "CDVENDEDORITEM"), QStringList({"0007", "0007"}));
    EXPECT_EQ(column(rows, "VRTXSERVICO"), QStringList({"1,25", "1,25"}));
    EXPECT_EQ(column(rows, "CDIMPOSTO"), QStringList({"01", "02"}));
    EXPECT_EQ(column(rows, "TXPRODCOMVEN"), QStringList({"GELADO", ""}));
    EXPECT_EQ(column(rows, "NRPESMESAVEN"), QStringList({"2", "2"}));
    EXPECT_EQ(column(rows, "CDLOJAIT"), QStringList({"01", "01"}));
    EXPECT_EQ(column(rows, "QTPRODCOMVEN"), QStringList({"2", "1"}));
    EXPECT_EQ(column(rows, "NMOPERADOR"), QStringList({"MARIA", "MARIA"}));
    // The client-company part: Trunc2(2 x 0,33).
    EXPECT_DOUBLE_EQ(total, 0.66);
    EXPECT_EQ(rows.RecNo(), 1);
}

TEST_F(SaleRowsTest, TheTaxOfACodeIsCutAfterEachLine)
{
    sell(item("10", "SUCO", "3,33"));
    sell(item("11", "CHÁ", "3,33"));
    sell(item("12", "PÃO", "1,00"));
    settle();
    const ClientDataSet &summary = data().cdsImpImposto;
    EXPECT_EQ(column(summary, "CDIMPOSTO"), QStringList({"01", "02"}));
    // 18% of 3,33 is 0,5994: 0,59, then 0,59 + 0,5994 = 1,1894: 1,18 (not 1,19).
    EXPECT_EQ(column(summary, "VRTOTIMPOSTO"), QStringList({"1,18", "0,07"}));
    EXPECT_EQ(column(summary, "SGIMPOSTO"), QStringList({"T01", "T02"}));
}

TEST_F(SaleRowsTest, AProductWithoutATaxRowBorrowsNoOtherProductsTax)
{
    sell(item("10", "SUCO", "5,00"));
    // The registration refuses a product without its tax row; a line added directly (as the
    // roads of combined parts do) may still lack one.
    form().dispatch([&] {
        order().AddProduto({"99", "99", "SEM IMPOSTO", {}, {}, "1", "UN", "5,00", "0", "0", "A99", "0"});
    });
    settle();
    EXPECT_EQ(column(data().cdsVenda, "CDIMPOSTO"), QStringList({"01", ""}));
    EXPECT_EQ(column(data().cdsVenda, "VRPEALIMPFIS"), QStringList({"18", ""}));
    EXPECT_EQ(column(data().cdsImpImposto, "VRTOTIMPOSTO"), QStringList{"0,9"});
}

TEST_F(SaleRowsTest, RunningItTwiceGivesTheSameRows)
{
    sell(item("10", "SUCO", "5,00"));
    settle();
    const DataPacket first = data().cdsVenda.Data();
    const DataPacket taxes = data().cdsImpImposto.Data();
    settle();
    EXPECT_EQ(data().cdsVenda.Data(), first);
    EXPECT_EQ(data().cdsImpImposto.Data(), taxes);
}

TEST_F(SaleRowsTest, CancelledLinesAreRebuiltOnlyWithAFiscalPrinter)
{
    sell(item("10", "SUCO", "5,00"));
    sell(item("12", "PÃO", "1,50"));
    cancelLine(QStringLiteral("001"));
    ClientDataSet &cancelled = data().cdsVendaCancelada;
    cancelled.CreateDataSet();
    cancelled.Append();
    cancelled.FieldByName("CDPRODUTO").SetAsString(QStringLiteral("ANTES"));
    cancelled.Post();
    settle();
    EXPECT_EQ(column(cancelled, "CDPRODUTO"), QStringList{"ANTES"});

    useFiscalPrinter();
    settle();
    EXPECT_EQ(column(cancelled, "CDPRODUTO"), QStringList{"10"});
    EXPECT_EQ(column(cancelled, "VRPRECCOMVEN"), QStringList{"5"});
    EXPECT_EQ(column(cancelled, "CDOPERCANC"), QStringList{"000000000007"});
    EXPECT_EQ(column(cancelled, "CDIMPOSTO"), QStringList{"01"});
    EXPECT_EQ(column(cancelled, "CDVENDEDOR"), QStringList{"0007"});
}

TEST_F(SaleRowsTest, TheBalanceKindOfEachProductWhenTheDebitSchemeIsOn)
{
    state().editParams().stIDSALDEXTDEBCON = QStringLiteral("S");
    sell(item("10", "SUCO", "5,00"));
    settle();
    EXPECT_EQ(column(data().cdsVenda, "IDTIPOSALDOPROD"), QStringList{"N"});
    balanceRule.fields = {FieldDef{QStringLiteral("IDTIPOSALDO"), FieldType::String, 1}};
    balanceRule.rows = {{Variant(QStringLiteral("E"))}};
    settle();
    EXPECT_EQ(column(data().cdsVenda, "IDTIPOSALDOPROD"), QStringList{"E"});
}

TEST_F(SaleRowsTest, AFailureIsShownAndEndsSettlement)
{
    sell(item("10", "SUCO", "5,00"));
    data().cdsItems.Edit();
    data().cdsItems.FieldByName("QTPRODCOMVEN").SetAsString(QStringLiteral("dois"));
    data().cdsItems.Post();
    state().flags.boRecebendo = true;
    messages->clear();
    settle();
    EXPECT_FALSE(state().flags.boRecebendo);
    ASSERT_EQ(messages->count(), 1);
    EXPECT_EQ(messages->calls().first().kind, 3);
}
