// The production ticket of a cancelled receipt's items.
#include "receiptcancelfixture.h"

namespace {

class CancelledItems : public ReceiptCancelTest
{
protected:
    void SetUp() override
    {
        ReceiptCancelTest::SetUp();
        if (HasFatalFailure())
            return;
        Parameters &p = state().editParams();
        p.stIDTIPOIMPNF1 = "7";
        p.stCDPORTIMPNF1 = "LPT1";
        p.stIDTIPOIMPNF5 = "9";
        p.stCDPORTAIMPNF5 = "LPT5";
    }

    static DataPacket itemRows(const QList<QStringList> &rows)
    {
        return packet({"NRSEQUITVEND", "NMPRODUTO", "CDPRODUTO", "IDIMPCANITEM", "CDPORIMPPROD", "NRMESA", "NRCUPOMFIS",
                       "QTPRODCOMVEN", "NRCOMANDAVND", "DSCOMANDAVND", "CDFILIAL", "CDCAIXA", "NRSEQVENDA"},
                      rows);
    }

    static QStringList column(const DataPacket &list, const QString &field)
    {
        QStringList values;
        const int index = list.fieldIndex(field);
        for (const QList<Variant> &row : list.rows)
            values << row.value(index).toString();
        return values;
    }
};

TEST_F(CancelledItems, ItemsLastReadFirstThenPartsEachToItsPrinterOfThePass)
{
    items = itemRows({{"001", "PRATO", "000101", "S", "", "0012", "000777", "1", "55", "MESA 12", "0001", "003", "42"},
                      {"002", "SUCO", "000202", "S", "", "0012", "000777", "2", "56", "MESA 12B", "0001", "003", "42"}});
    parts = itemRows({{"003", "BATATA", "000303", "S", "", "0012", "000777", "1", "55", "MESA 12", "0001", "003", "42"}});
    firstPrinters.insert("000101", packet({"CDPORTAIMPR", "IDMODEIMPRES"}, {{"COZINHA", "3"}}));
    secondPrinters.insert("000202", packet({"CDPORTAIMPR", "IDMODEIMPRES"}, {{"BAR2", "4"}}));
    settlement().Cancela_Item_Imp_NFis("000777");
    const QList<CancelledItemsTicketRequest> tickets = host->requests(&Pkg_Hrk00002::DisparaImprimeCancProduto);
    ASSERT_EQ(tickets.size(), 2);
    EXPECT_EQ(column(tickets[0].cdsItensCanc, "CDPRODUTO"), QStringList({"000202", "000101", "000303"}));
    EXPECT_EQ(column(tickets[0].cdsItensCanc, "NMPRODUTOPAI"), QStringList({"", "", "COMBO 003"}));
    EXPECT_EQ(column(tickets[0].cdsItensCanc, "CDPORIMPPROD"), QStringList({"LPT1", "COZINHA", "LPT1"}));
    EXPECT_EQ(column(tickets[0].cdsItensCanc, "IDMODEIMPRES"), QStringList({"7", "3", "7"}));
    EXPECT_EQ(column(tickets[1].cdsItensCanc, "CDPORIMPPROD"), QStringList({"BAR2", "LPT5", "LPT5"}));
    EXPECT_EQ(tickets[0].idTipoImpNf, "7");
    EXPECT_EQ(tickets[1].idTipoImpNf, "9");
    // The tab of the last item read.
    EXPECT_EQ(tickets[0].nrComandaVnd, "56");
    EXPECT_EQ(tickets[0].dsComandaVnd, "MESA 12B");
    EXPECT_EQ(tickets[0].nmOperador, "MARIA");
    EXPECT_EQ(tickets[0].labels.size(), 7);
    EXPECT_EQ(tickets[0].labels.first(), context().Msg("MSG_CANC"));
    EXPECT_EQ(tickets[0].labels.last(), "Senha   :");
}

TEST_F(CancelledItems, OnlyPartsStillMakeBothCallsWithoutATab)
{
    items = itemRows({});
    parts = itemRows({{"003", "BATATA", "000303", "S", "", "0012", "000777", "1", "55", "MESA 12", "0001", "003", "42"}});
    settlement().Cancela_Item_Imp_NFis("000777");
    const QList<CancelledItemsTicketRequest> tickets = host->requests(&Pkg_Hrk00002::DisparaImprimeCancProduto);
    ASSERT_EQ(tickets.size(), 2);
    EXPECT_TRUE(tickets[0].nrComandaVnd.isEmpty());
    EXPECT_TRUE(tickets[1].dsComandaVnd.isEmpty());
}

TEST_F(CancelledItems, NothingMarkedPrintsNothing)
{
    items = itemRows({});
    parts = itemRows({});
    settlement().Cancela_Item_Imp_NFis("000777");
    EXPECT_EQ(host->count(&Pkg_Hrk00002::DisparaImprimeCancProduto), 0);
}

TEST_F(CancelledItems, FailedLookupIsShownAndNothingPrinted)
{
    ServerSeams seams = ServerSeams::current();
    seams.cancellation.getItemsCancelados = [](const QString &, const QString &, const QString &) {
        return Variant::failure("no such table: ITEMVENDA");
    };
    seams.cancellation.getItemsCanceladosEst = seams.cancellation.getItemsCancelados;
    ScopedTable<ServerSeams> failing(seams);
    settlement().Cancela_Item_Imp_NFis("000777");
    EXPECT_EQ(host->count(&Pkg_Hrk00002::DisparaImprimeCancProduto), 0);
    EXPECT_EQ(messages->count(), 2);
}

} // namespace
