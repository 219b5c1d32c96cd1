// The kitchen display of a closed sale cancelled with the receipt cancellation: the sale left the
// screen when it ended, so its orders are withdrawn with the rows of the sale that was cancelled
// (the host's on the fiscal printer, the server's for an NFC-e), or by its key when there are none.
#include "receiptcancelfixture.h"

#include <sale/saledatasets.h>

namespace {

class KitchenOfClosedSale : public ReceiptCancelTest
{
protected:
    void SetUp() override
    {
        ReceiptCancelTest::SetUp();
        if (HasFatalFailure())
            return;
        closeSale();
        data().cdsVenda.EmptyDataSet();
        withdrawn = std::make_unique<ScopedTable<ServerSeams>>(kitchenServer());
    }

    void TearDown() override
    {
        withdrawn.reset();
        ReceiptCancelTest::TearDown();
    }

    ServerSeams kitchenServer()
    {
        ServerSeams table = ServerSeams::current();
        table.kds.CancelaPedidoKDS = [this](const Variant &sale, const QString &, const QString &, const QString &key, bool) {
            kitchenCalls << key;
            kitchenSale = sale.isPacket() ? sale.packet() : DataPacket{};
            return Variant(QString());
        };
        return table;
    }

    // A table sale as the host or the server answers its cancelled rows.
    static DataPacket tableSale()
    {
        return packet({"CDFILIAL", "CDCAIXA", "NRSEQVENDA", "NRVENDAREST", "NRCOMANDAVND"},
                      {{"0001", "003", "0000000042", "0000000007", "0007"}, {"0001", "003", "0000000042", "0000000007", "0007"}});
    }

    QString kitchenField(const char *name) const
    {
        return kitchenSale.rows.isEmpty() ? QString() : kitchenSale.value(0, QString::fromLatin1(name)).toString();
    }

    std::unique_ptr<ScopedTable<ServerSeams>> withdrawn;
    QStringList kitchenCalls;
    DataPacket kitchenSale;
};

TEST_F(KitchenOfClosedSale, FiscalPrinterCouponIsWithdrawnWithTheRowsTheHostCancelled)
{
    useFiscalPrinter();
    CancellationAnswer cancelled{Variant("0000000042"), Variant("0000000042")};
    cancelled.sale = tableSale();
    host->setDefault(&Pkg_Hrk00002::AlteraVendaCan, cancelled);
    press();
    EXPECT_EQ(kitchenCalls, QStringList{"0000000042"});
    EXPECT_EQ(kitchenSale, tableSale());
}

TEST_F(KitchenOfClosedSale, FiscalPrinterCouponWithoutRowsIsWithdrawnByItsKeyAsACounterSale)
{
    useFiscalPrinter();
    press();
    EXPECT_EQ(kitchenCalls, QStringList{"0000000042"});
    ASSERT_EQ(kitchenSale.rows.size(), 1);
    EXPECT_EQ(kitchenField("CDFILIAL"), "0001");
    EXPECT_EQ(kitchenField("CDCAIXA"), "003");
    EXPECT_EQ(kitchenField("NRSEQVENDA"), "0000000042");
    EXPECT_EQ(kitchenField("NRVENDAREST"), "");
}

TEST_F(KitchenOfClosedSale, FiscalPrinterCouponTheHostDidNotCancelLeavesTheKitchenAlone)
{
    useFiscalPrinter();
    host->setDefault(&Pkg_Hrk00002::AlteraVendaCan, CancellationAnswer{Variant::failure("base fora do ar"), Variant()});
    press();
    EXPECT_TRUE(kitchenCalls.isEmpty());
}

TEST_F(KitchenOfClosedSale, NfceIsWithdrawnWithTheRowsTheServerCancelled)
{
    state().editParams().boSISTEMAQUBNFCE = true;
    typeNumber("45");
    vendaCanNFCe = nfceSale("A", "2999-01-01T00:00:00");
    vendaNFisc = Variant(tableSale());
    press();
    EXPECT_EQ(kitchenCalls, QStringList{"0000000042"});
    EXPECT_EQ(kitchenSale, tableSale());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 1);
}

} // namespace
