#include <support/databasefixture.h>

#include <server/srv_loyalty.h>
#include <server/trdmvendacons.h>

#include <runtime/clock.h>
#include <runtime/datapacket.h>

namespace {

using namespace Srv_Kal51000;

// 10 April 2026 is a Friday: the sixth day counting from Sunday.
const QDateTime now(QDate(2026, 4, 10), QTime(15, 30));

class Loyalty : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Clock::setNow([] { return now; });
    }

    QStringList column(const QString &sql)
    {
        QStringList out;
        for (const auto &row : rows(sql))
            out.append(row.first().toString());
        return out;
    }
    void campaign(const char *code, const char *status, const char *branch = "1", int fromDays = -10, int toDays = 10)
    {
        exec("INSERT INTO CAMPANHA (CDCAMPANHA, IDCAMPANHA, DTINIVIGCAMP, DTFIMVIGCAMP) VALUES (:C, :S, :I, :F)",
             {{"C", code}, {"S", status}, {"I", now.addDays(fromDays)}, {"F", now.addDays(toDays)}});
        exec("INSERT INTO FILICAMPANHA (CDCAMPANHA, CDFILIAL) VALUES (:C, :F)", {{"C", code}, {"F", branch}});
    }
    void grant(const char *campaign, const char *benefit, int uses, int fromDays = -1, int toDays = 1)
    {
        ASSERT_EQ(setMovFidelidade("", campaign, "1", benefit, "CLI", "CONS", "V", now.addDays(fromDays),
                                   now.addDays(toDays), 2.5, uses),
                  Variant());
    }
    int usesLeft(const char *benefit)
    {
        return rows("SELECT QTDEBENEFICIO FROM MOVBENEFICIOCTR WHERE NRSEQBENEFICIO = :B", {{"B", benefit}})
            .first().first().toInt();
    }
    Variant reserve(const char *campaign, const char *benefit, const char *receiptOrder)
    {
        return setMovBeneficio("1", "002", campaign, "1", benefit, "CLI", "CONS", "", "", "", "", receiptOrder);
    }
};

TEST_P(Loyalty, CampaignProductsAndTheirBenefitsOfTheBranch)
{
    campaign("C1", "C");
    campaign("C2", "S");
    exec("INSERT INTO PRODCAMPANHA (CDCAMPANHA, NRSEQPRODCAMP, CDPRODUTO) VALUES ('C1', '1', 'A'), ('C2', '1', 'A')");
    exec("INSERT INTO BENEFICIOCAMP (CDCAMPANHA, NRSEQPRODCAMP, NRSEQBENEFICIO, IDTPBENEFICIO, QTBENEFICIOCAMP, "
         "VRBENEFICIO) VALUES ('C1', '1', '1', 'D', 3, 1.5)");
    const Variant products = getProdPromoFidelidade("1", "A");
    ASSERT_TRUE(products.isPacket()) << describe(products).toStdString();
    ASSERT_EQ(products.packet().rows.size(), 1); // only the loyalty campaign
    EXPECT_EQ(products.packet().value(0, "NRSEQPRODCAMP"), Variant("1"));
    EXPECT_EQ(getCamposPromoFidelidade("1", "A"), products);
    EXPECT_TRUE(getProdPromoFidelidade("2", "A").packet().isEmpty());
    const Variant benefits = getMovFidelidade("1", "1", "A");
    ASSERT_EQ(benefits.packet().rows.size(), 1);
    EXPECT_EQ(benefits.packet().value(0, "QTBENEFICIOCAMP"), Variant(3));
    EXPECT_EQ(benefits.packet().value(0, "DTINIVIGCAMP"), Variant(now.addDays(-10)));
    EXPECT_TRUE(getMovFidelidade("1", "1", "B").packet().isEmpty());
    exec("ALTER TABLE CAMPANHA RENAME TO GONE");
    EXPECT_TRUE(getProdPromoFidelidade("1", "A").isFailure());
    EXPECT_TRUE(getMovFidelidade("1", "1", "A").isFailure());
    exec("ALTER TABLE GONE RENAME TO CAMPANHA");
}

TEST_P(Loyalty, BenefitChecksAnswerTheirBooleansAndFalseOnFailure)
{
    EXPECT_TRUE(getCadBeneficio("CLI", "CONS")); // no benefit at all
    grant("C1", "1", 0);
    grant("C1", "2", 2);
    EXPECT_FALSE(getCadBeneficio("CLI", "CONS"));
    exec("INSERT INTO PRODBENECAMP (CDCAMPANHA, NRSEQPRODCAMP, NRSEQBENECAMP, CDPRODUTO) "
         "VALUES ('C1', '1', '1', 'A'), ('C1', '1', '2', 'A'), ('C1', '1', '1', 'B')");
    EXPECT_TRUE(getMovBeneFidelidade("CLI", "CONS", "A"));  // the benefit with uses left comes first
    EXPECT_FALSE(getMovBeneFidelidade("CLI", "CONS", "B")); // its only benefit is used up
    EXPECT_FALSE(getMovBeneFidelidade("CLI", "CONS", "Z"));
    EXPECT_TRUE(getValProdBeneficio("C1", "1", "2", "A"));
    EXPECT_FALSE(getValProdBeneficio("C1", "1", "2", "B"));
    exec("ALTER TABLE MOVBENEFICIOCTR RENAME TO GONE");
    exec("ALTER TABLE PRODBENECAMP RENAME TO GONE2");
    EXPECT_FALSE(getCadBeneficio("CLI", "OUTRO"));
    EXPECT_FALSE(getMovBeneFidelidade("CLI", "CONS", "A"));
    EXPECT_FALSE(getValProdBeneficio("C1", "1", "2", "A"));
    EXPECT_TRUE(setMovFidelidade("", "C9", "1", "1", "CLI", "CONS", "V", now, now, 1, 1).isFailure());
    exec("ALTER TABLE GONE RENAME TO MOVBENEFICIOCTR");
    exec("ALTER TABLE GONE2 RENAME TO PRODBENECAMP");
}

TEST_P(Loyalty, TheListHoldsTheBenefitsUsableToday)
{
    exec("INSERT INTO CONSUMIDOR (CDCLIENTE, CDCONSUMIDOR, CDIDCONSUMID) VALUES ('CLI', 'CONS', '0000123')");
    grant("C1", "1", 2, 0, 0); // valid today only
    grant("C1", "2", 0);       // used up
    grant("C1", "3", 1, -5, -1); // expired yesterday
    grant("C1", "4", 1, 1, 5);   // starts tomorrow
    const Variant list = getListaBeneficio("CLI", "CONS");
    ASSERT_TRUE(list.isPacket()) << describe(list).toStdString();
    ASSERT_EQ(list.packet().rows.size(), 1);
    EXPECT_EQ(list.packet().value(0, "NRSEQBENEFICIO"), Variant("1"));
    EXPECT_EQ(list.packet().value(0, "CDIDCONSUMID"), Variant("0000123"));
    EXPECT_TRUE(getListaBeneficio("CLI", "OUTRO").packet().isEmpty());
}

TEST_P(Loyalty, AReservationTakesOneUseAndRecordsItForTheOpenSale)
{
    grant("C1", "1", 2);
    ASSERT_EQ(reserve("C1", "1", "003"), Variant());
    EXPECT_EQ(usesLeft("1"), 1);
    const auto use = rows("SELECT NRSEQBENECONS, NRSEQVENDA, NRSEQUITVEND, IDIMPTMOV, CDFILIAL, CDCAIXA, DTUTBENECONS "
                          "FROM MOVBENEFICIOCONS");
    ASSERT_EQ(use.size(), 1);
    EXPECT_EQ(use[0][0].toString(), "1");
    EXPECT_EQ(use[0][1].toString(), "9999999");
    EXPECT_EQ(use[0][2].toString(), "003");
    EXPECT_EQ(use[0][3].toString(), "I");
    EXPECT_EQ(use[0][6].toDateTime(), now);
    EXPECT_EQ(PrxFidelidade("1", 1), Variant("2"));

    exec("ALTER TABLE MOVBENEFICIOCONS RENAME TO GONE");
    EXPECT_TRUE(reserve("C1", "1", "004").isFailure());
    exec("ALTER TABLE GONE RENAME TO MOVBENEFICIOCONS");
    EXPECT_EQ(usesLeft("1"), 1); // rolled back with the failed insert
    EXPECT_FALSE(rdmVendaCons().InTransaction());
}

class SaleBinding : public Loyalty
{
protected:
    // Sale 77 of desk 002: items 10 and 11 on receipt orders 1 and 2; the second was cancelled.
    void saveSale()
    {
        exec("INSERT INTO ITEMVENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND, CDPRODUTO, NRORDITCUPFIS) "
             "VALUES ('1', '002', '77', '010', 'A', '00001'), ('1', '002', '77', '011', 'B', '00002')");
        exec("INSERT INTO ITVENDACAN (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQITVENDC, NRORDITCUPFISCA) "
             "VALUES ('1', '002', '77', '011', '00002')");
    }
};

TEST_P(SaleBinding, UsesAreBoundToTheSaleAndTheCancelledItemsUseIsGivenBack)
{
    grant("C1", "1", 5);
    saveSale();
    ASSERT_EQ(reserve("C1", "1", "001"), Variant());
    ASSERT_EQ(reserve("C1", "1", "002"), Variant());
    EXPECT_EQ(usesLeft("1"), 3);
    ASSERT_EQ(setVendaBeneficioBalcao("77", "1", "002"), Variant());
    const auto uses = rows("SELECT NRSEQVENDA, NRSEQUITVEND FROM MOVBENEFICIOCONS");
    ASSERT_EQ(uses.size(), 1);
    EXPECT_EQ(uses[0][0].toString(), "77");
    EXPECT_EQ(uses[0][1].toString(), "010");
    EXPECT_EQ(usesLeft("1"), 4);
}

TEST_P(SaleBinding, ASaleWithoutReservationsWritesNothing)
{
    grant("C1", "1", 5);
    saveSale();
    EXPECT_EQ(setVendaBeneficioBalcao("77", "1", "002"), Variant());
    EXPECT_TRUE(rows("SELECT NRSEQBENECONS FROM MOVBENEFICIOCONS").isEmpty());
    EXPECT_EQ(usesLeft("1"), 5);
}

TEST_P(SaleBinding, AFailureLeavesEveryUseReservedAsItWas)
{
    grant("C1", "1", 5);
    saveSale();
    ASSERT_EQ(reserve("C1", "1", "001"), Variant());
    exec("ALTER TABLE ITVENDACAN RENAME TO GONE");
    EXPECT_TRUE(setVendaBeneficioBalcao("77", "1", "002").isFailure());
    exec("ALTER TABLE GONE RENAME TO ITVENDACAN");
    EXPECT_EQ(column("SELECT NRSEQVENDA FROM MOVBENEFICIOCONS"), QStringList{"9999999"});
    EXPECT_EQ(column("SELECT NRSEQUITVEND FROM MOVBENEFICIOCONS"), QStringList{"001"});
}

// The check and the take of two tills interleave: both see the last use, only one takes it.
TEST_P(Loyalty, TwoTillsCannotBothTakeALastUse)
{
    grant("C1", "1", 1);
    exec("INSERT INTO PRODBENECAMP (CDCAMPANHA, NRSEQPRODCAMP, NRSEQBENECAMP, CDPRODUTO) VALUES ('C1', '1', '1', 'P1')");
    ASSERT_TRUE(getMovBeneFidelidade("CLI", "CONS", "P1")); // till 002 sees the use
    ASSERT_TRUE(getMovBeneFidelidade("CLI", "CONS", "P1")); // so does till 003
    EXPECT_EQ(reserve("C1", "1", "001"), Variant());
    const Variant second = setMovBeneficio("1", "003", "C1", "1", "1", "CLI", "CONS", "", "", "", "", "001");
    ASSERT_TRUE(second.isFailure());
    EXPECT_TRUE(second.failureText().contains("sem uso disponível")) << second.failureText().toStdString();
    EXPECT_EQ(usesLeft("1"), 0);
    EXPECT_EQ(column("SELECT CDCAIXA FROM MOVBENEFICIOCONS"), QStringList{"002"});
    EXPECT_FALSE(rdmVendaCons().InTransaction());
}

TEST_P(Loyalty, GivingBackALinesReservationReturnsThatOneUseOnly)
{
    grant("C1", "1", 5);
    ASSERT_EQ(reserve("C1", "1", "001"), Variant());
    ASSERT_EQ(reserve("C1", "1", "002"), Variant());
    ASSERT_EQ(setMovBeneficio("1", "003", "C1", "1", "1", "CLI", "CONS", "", "", "", "", "002"), Variant());
    EXPECT_EQ(usesLeft("1"), 2);
    ASSERT_EQ(setDevolveBeneficioItem("1", "002", "002"), Variant());
    EXPECT_EQ(usesLeft("1"), 3);
    EXPECT_EQ(column("SELECT NRSEQUITVEND FROM MOVBENEFICIOCONS WHERE CDCAIXA = '002'"), QStringList{"001"});
    EXPECT_EQ(column("SELECT NRSEQUITVEND FROM MOVBENEFICIOCONS WHERE CDCAIXA = '003'"), QStringList{"002"});
    // A line without a reservation, or one already bound to a saved sale, gives nothing back.
    EXPECT_EQ(setDevolveBeneficioItem("1", "002", "009"), Variant());
    exec("UPDATE MOVBENEFICIOCONS SET NRSEQVENDA = '77' WHERE CDCAIXA = '002'");
    EXPECT_EQ(setDevolveBeneficioItem("1", "002", "001"), Variant());
    EXPECT_EQ(usesLeft("1"), 3);
    exec("ALTER TABLE MOVBENEFICIOCTR RENAME TO GONE");
    EXPECT_TRUE(setDevolveBeneficioItem("1", "003", "002").isFailure());
    exec("ALTER TABLE GONE RENAME TO MOVBENEFICIOCTR");
    EXPECT_EQ(column("SELECT NRSEQUITVEND FROM MOVBENEFICIOCONS WHERE CDCAIXA = '003'"), QStringList{"002"});
    EXPECT_FALSE(rdmVendaCons().InTransaction());
}

TEST_P(Loyalty, GivingBackReturnsOnlyTheNamedBenefitsReservations)
{
    grant("C1", "1", 5);
    grant("C1", "2", 5);
    ASSERT_EQ(reserve("C1", "1", "001"), Variant());
    ASSERT_EQ(reserve("C1", "1", "002"), Variant());
    ASSERT_EQ(reserve("C1", "2", "003"), Variant());
    ASSERT_EQ(setApagaBeneficio("CLI", "CONS", "C1", "1", "1"), Variant());
    EXPECT_EQ(usesLeft("1"), 5);
    EXPECT_EQ(usesLeft("2"), 4);
    EXPECT_EQ(column("SELECT NRSEQBENEFICIO FROM MOVBENEFICIOCONS"), QStringList{"2"});
    EXPECT_EQ(setApagaBeneficio("CLI", "CONS", "C1", "1", "1"), Variant()); // nothing left to give back
    EXPECT_EQ(usesLeft("1"), 5);
    exec("ALTER TABLE MOVBENEFICIOCTR RENAME TO GONE");
    EXPECT_TRUE(setApagaBeneficio("CLI", "CONS", "C1", "1", "2").isFailure());
    exec("ALTER TABLE GONE RENAME TO MOVBENEFICIOCTR");
    EXPECT_EQ(column("SELECT NRSEQBENEFICIO FROM MOVBENEFICIOCONS"), QStringList{"2"});
}

TEST_P(Loyalty, PointsAreReversedAfterTheSalesHighestItem)
{
    exec("INSERT INTO ITFIDELIDADE (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND, DTVENDA, CDPRODUTO, QTPRODVEND, "
         "CDCLIENTE, CDCONSUMIDOR, IDTPOPERITFIDEL, IDATUSERVIDOR, CDCAMPANHA, VRPONTOBRINDE) VALUES "
         "('1', '002', '77', '005', :D, 'A', 2, 'CLI', 'CONS', 'V', 'S', 'C1', 3), "
         "('1', '002', '77', '007', :D, 'B', 1, 'CLI', 'CONS', 'V', 'S', 'C1', 1.5)",
         {{"D", now}});
    EXPECT_EQ(AtualizaPontuacao("1", "002", "88"), Variant()); // a sale without points
    ASSERT_EQ(AtualizaPontuacao("1", "002", "77"), Variant());
    const auto added = rows("SELECT NRSEQUITVEND, NRSEQUITORIG, CDPRODUTO, IDTPOPERITFIDEL, IDATUSERVIDOR, "
                            "VRPONTOBRINDE FROM ITFIDELIDADE WHERE IDTPOPERITFIDEL = 'C' ORDER BY NRSEQUITVEND");
    ASSERT_EQ(added.size(), 2);
    EXPECT_EQ(added[0][0].toString(), "008");
    EXPECT_EQ(added[0][1].toString(), "005");
    EXPECT_EQ(added[1][0].toString(), "009");
    EXPECT_EQ(added[1][1].toString(), "007");
    EXPECT_EQ(added[1][4].toString(), "N");
    EXPECT_DOUBLE_EQ(added[1][5].toDouble(), 1.5);
    exec("ALTER TABLE ITFIDELIDADE RENAME TO GONE");
    EXPECT_TRUE(AtualizaPontuacao("1", "002", "77").isFailure());
    exec("ALTER TABLE GONE RENAME TO ITFIDELIDADE");
}

TEST_P(Loyalty, BuyAndWinCampaignsValidTodayWithTodaysWeekdayFlag)
{
    exec("INSERT INTO CAMPCOMPGANHE (CDCAMPCOMPGANHE, DSCAMPCOMPGANHE, QTCOMPGANHE) VALUES ('CG', 'Compre 3', 3)");
    exec("INSERT INTO VGCAMPCOMPGANHE (CDCAMPCOMPGANHE, DTINIVGCAMPCG, DTFIMVGCAMPCG, IDDIASEMANA) VALUES "
         "('CG', :I1, :F1, 'NNNNNSN'), ('CG', :I2, :F2, 'SSSSSSS')",
         {{"I1", QDateTime(QDate(2026, 4, 10), QTime(0, 0))}, {"F1", QDateTime(QDate(2026, 4, 10), QTime(0, 0))},
          {"I2", QDateTime(QDate(2026, 1, 1), QTime(0, 0))}, {"F2", QDateTime(QDate(2026, 3, 31), QTime(0, 0))}});
    exec("INSERT INTO PRCAMPCOMPGANHE (CDCAMPCOMPGANHE, CDPRODUTO) VALUES ('CG', 'A')");
    exec("INSERT INTO PRODUTO (CDPRODUTO, NMPRODUTO, IDTIPOCOMPPROD) VALUES ('BR', 'Brinde', '1')");
    exec("INSERT INTO BRCAMPCOMPGANHE (CDCAMPCOMPGANHE, DTINIVGCAMPCG, CDPRODUTO) VALUES ('CG', :I, 'BR')",
         {{"I", QDateTime(QDate(2026, 4, 10), QTime(0, 0))}});
    const Variant campaigns = getCampCompGanhe("A");
    ASSERT_TRUE(campaigns.isPacket()) << describe(campaigns).toStdString();
    ASSERT_EQ(campaigns.packet().rows.size(), 1);
    EXPECT_EQ(campaigns.packet().value(0, "IDDIAUTIL"), Variant("S")); // Friday
    EXPECT_EQ(campaigns.packet().value(0, "QTCOMPGANHE"), Variant(3));
    EXPECT_TRUE(getCampCompGanhe("B").packet().isEmpty());
    const Variant prizes = getBrCampCompGanhe("CG", QDateTime(QDate(2026, 4, 10), QTime(0, 0)));
    ASSERT_EQ(prizes.packet().rows.size(), 1);
    EXPECT_EQ(prizes.packet().value(0, "NMPRODUTO"), Variant("Brinde"));
    EXPECT_TRUE(getBrCampCompGanhe("CG", QDateTime(QDate(2026, 1, 1), QTime(0, 0))).packet().isEmpty());
    exec("ALTER TABLE CAMPCOMPGANHE RENAME TO GONE");
    EXPECT_TRUE(getCampCompGanhe("A").isFailure());
    exec("ALTER TABLE GONE RENAME TO CAMPCOMPGANHE");
}

struct CampaignCase
{
    const char *name;
    QList<QPair<const char *, const char *>> campaigns; // code, status
    bool expected;
};

TEST_P(Loyalty, TheBranchCampaignCheck)
{
    const CampaignCase cases[] = {
        {"None", {}, true},
        {"OnlyClosedAndLoyalty", {{"C1", "E"}, {"C2", "C"}}, true},
        {"FirstPending", {{"C1", "P"}, {"C2", "S"}}, true},
        {"FirstActive", {{"C1", "S"}, {"C2", "P"}}, false},
    };
    for (const CampaignCase &c : cases) {
        SCOPED_TRACE(c.name);
        exec("DELETE FROM CAMPANHA");
        exec("DELETE FROM FILICAMPANHA");
        for (const auto &[code, status] : c.campaigns)
            campaign(code, status);
        EXPECT_EQ(getCampanha(QStringLiteral("1")), c.expected);
    }
    exec("ALTER TABLE CAMPANHA RENAME TO GONE");
    EXPECT_FALSE(getCampanha(QStringLiteral("1")));
    exec("ALTER TABLE GONE RENAME TO CAMPANHA");
}

TEST_P(Loyalty, TheBranchLoyaltyFlagIsSetByAnyCampaignButPointsAndClosed)
{
    const CampaignCase cases[] = {
        {"None", {}, false},
        {"OnlyClosedAndLoyalty", {{"C1", "E"}, {"C2", "C"}}, false},
        {"FirstPending", {{"C1", "P"}, {"C2", "S"}}, true},
        {"FirstActive", {{"C1", "S"}, {"C2", "P"}}, true},
    };
    for (const CampaignCase &c : cases) {
        SCOPED_TRACE(c.name);
        exec("DELETE FROM CAMPANHA");
        exec("DELETE FROM FILICAMPANHA");
        for (const auto &[code, status] : c.campaigns)
            campaign(code, status);
        EXPECT_EQ(getCampanhaFilial(QStringLiteral("1")), Variant(c.expected));
    }
    exec("ALTER TABLE CAMPANHA RENAME TO GONE");
    EXPECT_TRUE(getCampanhaFilial(QStringLiteral("1")).isFailure());
    exec("ALTER TABLE GONE RENAME TO CAMPANHA");
}

TEST_P(Loyalty, TheActiveCampaignIsTheOneValidToday)
{
    TrdmVendaCons &module = rdmVendaCons();
    EXPECT_EQ(getCampanha(module, "1"), Variant(""));
    campaign("OLD", "S", "1", -20, -1);
    campaign("OTHER", "S", "2");
    EXPECT_EQ(getCampanha(module, "1"), Variant(""));
    campaign("NOW", "S", "1", 0, 0);
    EXPECT_EQ(getCampanha(module, "1"), Variant("NOW"));
    exec("ALTER TABLE CAMPANHA RENAME TO GONE");
    EXPECT_TRUE(getCampanha(module, "1").isFailure());
    exec("ALTER TABLE GONE RENAME TO CAMPANHA");
}

TEST_P(Loyalty, PartnerPostingFlagsKeepAnImportedSaleImported)
{
    struct Case
    {
        const char *name;
        Variant IDIMPVENDA;
        bool posted;
        const char *flag;
        const char *imported;
    };
    const Case cases[] = {
        {"PostedImported", "I", true, "N", "I"},
        {"NotPostedImported", "I", false, "S", "I"},
        {"PostedOther", "X", true, "N", "A"},
        {"NotPostedNull", Variant::null(), false, "S", "A"},
    };
    TrdmVendaCons &module = rdmVendaCons();
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        exec("DELETE FROM VENDA");
        exec("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, IDIMPVENDA) VALUES ('1', '002', '77', :I)",
             {{"I", c.IDIMPVENDA}});
        ASSERT_EQ(setEnvioFid4ALL(module, "1", "002", "77", c.posted), Variant());
        const auto sale = rows("SELECT IDENVIOFID4ALL, IDIMPVENDA FROM VENDA");
        EXPECT_EQ(sale[0][0].toString(), c.flag);
        EXPECT_EQ(sale[0][1].toString(), c.imported);
        exec("UPDATE VENDA SET IDIMPVENDA = :I", {{"I", c.IDIMPVENDA}});
        ASSERT_EQ(setEnvioFidUDS(module, "1", "002", "77"), Variant());
        EXPECT_EQ(column("SELECT IDENVIOFIDUDS FROM VENDA"), QStringList{"C"});
        EXPECT_EQ(column("SELECT IDIMPVENDA FROM VENDA"), QStringList{c.imported});
    }
    exec("ALTER TABLE VENDA RENAME TO GONE");
    EXPECT_TRUE(setEnvioFid4ALL(module, "1", "002", "77", true).isFailure());
    EXPECT_TRUE(setEnvioFidUDS(module, "1", "002", "77").isFailure());
    exec("ALTER TABLE GONE RENAME TO VENDA");
}

VENDACONS_DATABASE_KINDS(Loyalty);
VENDACONS_DATABASE_KINDS(SaleBinding);

} // namespace
