#include "salecancel_fixture.h"

namespace {

class CancelLookups : public SaleCancelTest
{
protected:
    void SetUp() override
    {
        SaleCancelTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        saveCashSale("0000000007", "88", "", "000000990");
        exec("UPDATE VENDA SET NRCUPOMFIS = '88', NRMESA = '12', IDTPAMBNFCE = '2', "
             "DTEMISSAONFCE = '2026-05-04 10:00:00' WHERE NRSEQVENDA = '0000000007'");
        exec("INSERT INTO ITEMVENDAEST (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND, NRSEQITVENDEST, CDPRODUTO, "
             "QTITVENDAEST) VALUES ('01', '001', '0000000007', '001', '1', 'P1', 2), "
             "('01', '001', '0000000007', '001', '2', 'P2', 1)");
        for (const char *sql : {
                 "INSERT INTO FILIAL (CDFILIAL, NMFILIAL, IDENDEMISFIL, SGESTADOINSCEST) VALUES ('01', 'Central', 'E', 'RJ')",
                 "INSERT INTO ENDEFILI (CDFILIAL, NRSEQENDEFILI, IDTPENDEFILI, SGESTADO) VALUES ('01', '1', 'E', 'SP')",
                 "INSERT INTO ESTADO (CDPAIS, SGESTADO, CDESTADOIBGE, HRDIFUTCFUSO) VALUES ('BR', 'SP', '35', '-03:00'), "
                 "('BR', 'RJ', '33', '-03:00')",
                 "INSERT INTO PARAVEND (CDFILIAL, IDAMBTRABNFCE, CDURLWSNFC, IDDTEMISCANC) VALUES ('01', '2', 'https://nfce', 'E')",
                 "INSERT INTO LOJA (CDFILIAL, CDLOJA, IDOBRIGAOBSCAN) VALUES ('01', 'L1', 'S')"})
            exec(sql);
    }
    void webService(const char *state)
    {
        exec(QStringLiteral("INSERT INTO WEBSERVICE (SGESTADO, IDAMBIENTE, IDSERVICO, WSEVENTONFC) VALUES ('%1', '2', "
                            "'NFC', 'https://evento')")
                 .arg(QLatin1String(state)));
    }
};

// Only the products whose store row prints a cancellation ticket are listed.
TEST_P(CancelLookups, CancelledItemListsHoldOnlyProductsThatPrintACancellationTicket)
{
    for (const char *number : {"88", "000000990"}) {
        const Variant items = getItemsCancelados("01", "001", number);
        ASSERT_TRUE(items.isPacket()) << describe(items).toStdString();
        ASSERT_EQ(items.packet().rows.size(), 1) << number;
        EXPECT_EQ(items.packet().value(0, "CDPRODUTO"), Variant("P1"));
        EXPECT_EQ(items.packet().value(0, "CDPORIMPPROD"), Variant("COZ"));
        EXPECT_EQ(items.packet().value(0, "NRMESA"), Variant("12"));
    }
    const Variant composition = getItemsCanceladosEst("01", "001", "88");
    ASSERT_EQ(composition.packet().rows.size(), 1);
    EXPECT_EQ(composition.packet().value(0, "QTPRODCOMVEN").toDouble(), 2.0);
    // The composition list matches the coupon number only.
    EXPECT_TRUE(getItemsCanceladosEst("01", "001", "000000990").packet().isEmpty());
    EXPECT_TRUE(getItemsCancelados("01", "002", "88").packet().isEmpty());
}

TEST_P(CancelLookups, NfceToCancelCarriesItsStateWebServiceAndThirtyMinuteLimit)
{
    // Without a web service of the state and environment there is nothing to cancel with.
    EXPECT_TRUE(getVendaCanNFCe("01", "001", "000000990", opening).packet().isEmpty());
    webService("SP");
    const Variant sale = getVendaCanNFCe("01", "001", "000000990", opening);
    ASSERT_TRUE(sale.isPacket()) << describe(sale).toStdString();
    ASSERT_EQ(sale.packet().rows.size(), 2);
    EXPECT_EQ(sale.packet().value(0, "CDESTADOIBGE"), Variant("35"));
    EXPECT_EQ(sale.packet().value(0, "WSEVENTONFC"), Variant("https://evento"));
    EXPECT_EQ(sale.packet().value(0, "DTLIMITECANC"), Variant(QDateTime(QDate(2026, 5, 4), QTime(10, 30))));
    // A branch that emits with its state registration's address takes that state.
    exec("UPDATE FILIAL SET IDENDEMISFIL = 'I'");
    EXPECT_TRUE(getVendaCanNFCe("01", "001", "000000990", opening).packet().isEmpty());
    webService("RJ");
    EXPECT_EQ(getVendaCanNFCe("01", "001", "000000990", opening).packet().value(0, "CDESTADOIBGE"), Variant("33"));
    // Another opening of the desk is another sale.
    EXPECT_TRUE(getVendaCanNFCe("01", "001", "000000990", opening.addDays(-1)).packet().isEmpty());
}

TEST_P(CancelLookups, CancellationSwitchesAreTextsAndEmptyWithoutARow)
{
    EXPECT_EQ(getObrigaObsCan("01", "L1"), Variant("S"));
    EXPECT_EQ(getObrigaObsCan("01", "L9"), Variant(""));
    EXPECT_EQ(getIDDTEMISCANC("01"), Variant("E"));
    EXPECT_EQ(getIDDTEMISCANC("02"), Variant(""));
}

TEST_P(CancelLookups, BaseFailuresAreAnsweredAsFailures)
{
    exec("ALTER TABLE PRODLOJA RENAME TO PRODLOJA_FORA");
    EXPECT_TRUE(getItemsCancelados("01", "001", "88").isFailure());
    EXPECT_TRUE(getItemsCanceladosEst("01", "001", "88").isFailure());
    exec("ALTER TABLE PRODLOJA_FORA RENAME TO PRODLOJA");
    exec("ALTER TABLE LOJA RENAME TO LOJA_FORA");
    EXPECT_TRUE(getObrigaObsCan("01", "L1").isFailure());
    exec("ALTER TABLE LOJA_FORA RENAME TO LOJA");
    exec("ALTER TABLE PARAVEND RENAME TO PARAVEND_FORA");
    EXPECT_TRUE(getIDDTEMISCANC("01").isFailure());
    EXPECT_TRUE(getVendaCanNFCe("01", "001", "000000990", opening).isFailure());
    exec("ALTER TABLE PARAVEND_FORA RENAME TO PARAVEND");
}

VENDACONS_DATABASE_KINDS(CancelLookups);

} // namespace
