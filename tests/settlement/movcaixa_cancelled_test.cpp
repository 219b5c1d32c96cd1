#include "settlementfixture.h"

namespace {

// The till's receipt types: cash, personal credit "9" and consumer debit "A" (and a hidden "9").
void receiptTypes(ClientDataSet &types)
{
    types.Close();
    types.FieldDefs().Clear();
    for (const char *name : {"CDTIPORECE", "NMTIPORECE", "IDTIPORECE", "IDMOSTRARECE", "CDFPIMPFIS", "CDTIPOTROCO",
                             "NRORDTROCO", "DSIMPFISCAL", "CDBANCARTCR"})
        types.FieldDefs().Add(name, FieldType::String, 40);
    types.CreateDataSet();
    const QList<QStringList> rows{{"001", "Dinheiro", "1", "S", "01", "", "", "DINHEIRO", ""},
                                  {"008", "Crédito oculto", "9", "N", "07", "", "", "OCULTO", "X"},
                                  {"009", "Crédito pessoal", "9", "S", "06", "001", "1", "CREDITO PESSOAL CRACHA", "BC9"},
                                  {"010", "Débito consumidor", "A", "", "08", "", "", "DEBITO", "BCA"}};
    for (const QStringList &row : rows) {
        types.Append();
        for (int i = 0; i < row.size(); ++i) {
            if (!row[i].isEmpty())
                types.Fields(i).SetAsString(row[i]);
        }
        types.Post();
    }
}

class MovCaixaTest : public SettlementTest
{
protected:
    void SetUp() override
    {
        SettlementTest::SetUp();
        receiptTypes(data().cdsConfTipoRece);
        state().editParams().stCDFILIAL = "0001";
        state().host.stCdClienteVenda = "000001";
        state().consumer.stCDCONSUMIDOR = "12345";
        state().consumer.stCartaoAux1 = "CC01";
        state().totals.doTotalVenda = 25.4;
        state().flags.boRecebendo = true;
    }
    Field field(const char *name) { return data().cdsMovCaixa.FieldByName(name); }
};

TEST_F(MovCaixaTest, PersonalCreditRowComesFromTheShownTypeNine)
{
    ASSERT_TRUE(settlement().InsereMovCaixa(true));
    ASSERT_EQ(data().cdsMovCaixa.RecordCount(), 1);
    EXPECT_EQ(field("CDTIPORECE").AsString(), "009");
    EXPECT_EQ(field("IDTIPOMOVIVE").AsString(), "E");
    EXPECT_DOUBLE_EQ(field("VRMOVIVEND").AsFloat(), 25.4);
    EXPECT_EQ(field("CDBANCARTCR").AsString(), "BC9");
    EXPECT_EQ(field("CDCCUSCLIE").AsString(), "CC01");
    EXPECT_EQ(field("CDCONSUMIDOR").AsString(), "12345");
    EXPECT_EQ(field("QTPARCRECEB").AsString(), "1");
    EXPECT_EQ(field("DTMOVIMCAIXA").AsDateTime(), QDateTime(QDate(2024, 3, 5), QTime(0, 0))); // no fiscal date: today
    EXPECT_FALSE(data().cdsConfTipoRece.Filtered());
}

TEST_F(MovCaixaTest, DebitRowTakesTypeAWithoutItsBankAndTheFiscalDate)
{
    state().startup.dtMovimentoFiscal = QDateTime(QDate(2024, 3, 4), QTime(0, 0));
    ASSERT_TRUE(settlement().InsereMovCaixa(false));
    EXPECT_EQ(field("CDTIPORECE").AsString(), "010");
    EXPECT_EQ(field("IDTIPOMOVIVE").AsString(), "T");
    EXPECT_EQ(field("CDBANCARTCR").AsString(), "");
    EXPECT_EQ(field("DTMOVIMCAIXA").AsDateTime(), QDateTime(QDate(2024, 3, 4), QTime(0, 0)));
}

TEST_F(MovCaixaTest, CalledTwiceLeavesOneRow)
{
    settlement().InsereMovCaixa(true);
    settlement().InsereMovCaixa(true);
    EXPECT_EQ(data().cdsMovCaixa.RecordCount(), 1);
}

TEST_F(MovCaixaTest, MissingReceiptTypeStopsTheRoad)
{
    data().cdsConfTipoRece.EmptyDataSet();
    EXPECT_FALSE(settlement().InsereMovCaixa(false));
    EXPECT_FALSE(state().flags.boRecebendo);
    EXPECT_EQ(messages->count(), 1);
}

TEST_F(MovCaixaTest, PoleDisplayShowsTheTotalTwice)
{
    state().editParams().boDISPLAYOK = true;
    state().editParams().inTAMDISPLAY = 20;
    settlement().InsereMovCaixa(true);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::LimpaDisplay), 1);
    const auto lines = host->requests(&Pkg_Hrk00001::DisplayEnviaTexto);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].text, "Total" + QString(10, ' ') + "25,40"); // twenty characters
    EXPECT_EQ(lines[1].text, "Pago :" + QString(9, ' ') + "25,40");
}

class CancelledLinesTest : public SettlementTest
{
protected:
    void SetUp() override
    {
        SettlementTest::SetUp();
        state().editParams().stCDFILIAL = "0001";
        state().editParams().stCDLOJA = "01";
        state().host.stCDVENDEDOR = "7";
        state().rights.stCDOPERADOR = "0001";
        ClientDataSet &taxes = data().cdsAliquota;
        taxes.Close();
        taxes.FieldDefs().Clear();
        for (const char *name : {"CDPRODUTO", "VRPEALIMPFIS", "CDIMPOSTO", "IDTPIMPOSFIS"})
            taxes.FieldDefs().Add(name, FieldType::String, 20);
        taxes.CreateDataSet();
        for (const QStringList &row : {QStringList{"01001", "3,2", "01", "T"}, QStringList{"09002", "0", "02", "F"}}) {
            taxes.Append();
            for (int i = 0; i < 4; ++i)
                taxes.Fields(i).SetAsString(row[i]);
            taxes.Post();
        }
        data().cdsItems.CreateDataSet();
        data().cdsItensCancelados.CreateDataSet();
    }
    void line(ClientDataSet &target, const QString &product, const QVariantList &price)
    {
        target.Append();
        target.FieldByName("CDPRODUTO").SetAsString(product);
        target.FieldByName("QTPRODCOMVEN").SetValue(1.0);
        if (!price.isEmpty())
            target.FieldByName("VRPRECCOMVEN").SetValue(Variant(price.first().toString()));
        target.Post();
    }
};

TEST_F(CancelledLinesTest, OneSaleRowPerLineWithItsTaxAndPaddedWaiter)
{
    line(data().cdsItems, "01001", {"22,9"});
    line(data().cdsItems, "09002", {"6,5"});
    ASSERT_TRUE(settlement().PreencheVendCanc());
    ClientDataSet &venda = data().cdsVenda;
    ASSERT_EQ(venda.RecordCount(), 2);
    venda.First();
    EXPECT_EQ(venda.FieldByName("CDVENDEDOR").AsString(), "0007");
    EXPECT_EQ(venda.FieldByName("CDIMPOSTO").AsString(), "01");
    EXPECT_EQ(venda.FieldByName("NMLOJA").AsString(), "01");
    venda.Next();
    EXPECT_EQ(venda.FieldByName("CDIMPOSTO").AsString(), "02");
    EXPECT_EQ(data().cdsVendaCancelada.RecordCount(), 0);
}

TEST_F(CancelledLinesTest, EmptyPriceOfACancelledLineIsZeroWhenLinesRemain)
{
    line(data().cdsItems, "01001", {"22,9"});
    line(data().cdsItensCancelados, "09002", {});
    ASSERT_TRUE(settlement().PreencheVendCanc());
    ClientDataSet &cancelled = data().cdsVendaCancelada;
    ASSERT_EQ(cancelled.RecordCount(), 1);
    EXPECT_FALSE(cancelled.FieldByName("VRPRECCOMVEN").IsNull());
    EXPECT_DOUBLE_EQ(cancelled.FieldByName("VRPRECCOMVEN").AsFloat(), 0);
    EXPECT_EQ(cancelled.FieldByName("CDOPERCANC").AsString(), "0001");
    EXPECT_EQ(cancelled.RecNo(), 1);
}

TEST_F(CancelledLinesTest, EveryLineCancelledLeavesNoSaleRows)
{
    line(data().cdsItems, "01001", {"22,9"});
    settlement().PreencheVendCanc(); // an earlier build of the same sale
    data().cdsItems.EmptyDataSet();
    line(data().cdsItensCancelados, "01001", {"22,9"});
    ASSERT_TRUE(settlement().PreencheVendCanc());
    EXPECT_EQ(data().cdsVenda.RecordCount(), 0);
    ASSERT_EQ(data().cdsVendaCancelada.RecordCount(), 1);
    EXPECT_DOUBLE_EQ(data().cdsVendaCancelada.FieldByName("VRPRECCOMVEN").AsFloat(), 22.9);
}

TEST_F(CancelledLinesTest, ProductWithoutTaxRowGetsEmptyTaxFields)
{
    line(data().cdsItems, "01001", {"22,9"});
    line(data().cdsItems, "99999", {"1"});
    data().cdsAliquota.Last(); // a stale current row must not lend its taxes
    ASSERT_TRUE(settlement().PreencheVendCanc());
    data().cdsVenda.Last();
    EXPECT_TRUE(data().cdsVenda.FieldByName("CDIMPOSTO").IsNull());
}

} // namespace
