// The product button through clicks on the form: the re-entry guard, units of a day price,
// the special products, the quantity and value checks, the server probe, page turns and the
// replacement of a promotion sold again.
#include "productbuttonfixture.h"

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>

#include <runtime/clock.h>

#include <QCoreApplication>
#include <QLabel>
#include <QMouseEvent>

namespace {

class ProductButtonRoad : public ButtonTest
{
protected:
    void SetUp() override
    {
        ButtonTest::SetUp();
        setGroups({{"01", "1", "2", "LANCHES", "", "0", "16777215"}});
        setButtons({{"01", "01", "1", "1", "1", "COXINHA", "100"},
                    {"02", "01", "1", "1", "1", "SALADA KG", "200", "S"},
                    {"03", "01", "1", "1", "1", "", "300"},
                    {"04", "01", "1", "1", "1", "COMBO", "400", "N", "3"},
                    {"36", "01", "1", "1", "9", "", ""},
                    {"01", "01", "2", "1", "1", "PASTEL", "500"},
                    {"31", "01", "2", "1", "A", "", ""}});
        setPages({"1"}, {{"01", "1", "2"}});
        drawGrid();
    }

    int hostCalls(const char *routine) const { return host->routines().count(QString::fromLatin1(routine)); }
};

TEST_F(ProductButtonRoad, APressDuringAPressIsIgnored)
{
    int priceCalls = 0;
    host->handle(&Pkg_Hrk00002::ChamaFuncaoGetRetornaPreco, [this, &priceCalls](const PriceRequest &r, ClientDataSet &cds) {
        // The operator taps again while the first press waits on the price.
        if (++priceCalls == 1)
            click(QStringLiteral("tcbBalcao01"));
        return answerPrice(r, cds);
    });
    click(QStringLiteral("tcbBalcao01"));
    EXPECT_EQ(priceCalls, 1);
    ASSERT_EQ(registered.size(), 1);
    EXPECT_EQ(registered[0].CDPRODUTO, QStringLiteral("100"));
    EXPECT_FALSE(state().busy.boBalcaoAux3);
    EXPECT_EQ(slept, QList<int>{100});
    click(QStringLiteral("tcbBalcao01"));
    EXPECT_EQ(registered.size(), 2);
}

// A tap that the touch screen queued while the press waited its 100 ms is dropped with the
// other queued mouse input: delivered after the press, it would sell the product again.
TEST_F(ProductButtonRoad, TapsQueuedDuringThePressWaitAreDropped)
{
    QPushButton *button = grid(QStringLiteral("tcbBalcao01"));
    ASSERT_NE(button, nullptr);
    const QPointF centre = QRectF(button->rect()).center();
    Clock::setSleeper([button, centre](int) {
        for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
            QCoreApplication::postEvent(button, new QMouseEvent(type, centre, button->mapToGlobal(centre), Qt::LeftButton,
                                                                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                                                                Qt::NoModifier));
    });
    click(QStringLiteral("tcbBalcao01"));
    Clock::setSleeper({});
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();

    ASSERT_EQ(registered.size(), 1);
    EXPECT_EQ(registered[0].CDPRODUTO, QStringLiteral("100"));
}

struct UnitCase
{
    const char *name;
    const char *button;
    double quantity;
    bool dayPrice;
    QStringList lines;
};

void PrintTo(const UnitCase &c, std::ostream *out)
{
    *out << c.name;
}

class ProductButtonUnits : public ProductButtonRoad, public ::testing::WithParamInterface<UnitCase>
{
};

TEST_P(ProductButtonUnits, ADayPriceSellsOneUnitALine)
{
    const UnitCase &c = GetParam();
    if (c.dayPrice)
        dayPrice = {QStringLiteral("100"), QStringLiteral("200")};
    state().totals.doQuantidade = c.quantity;
    click(QString::fromLatin1(c.button));
    EXPECT_EQ(quantities(), c.lines);
    EXPECT_EQ(state().totals.doQuantidade, 1.0);
}

INSTANTIATE_TEST_SUITE_P(
    Quantities, ProductButtonUnits,
    ::testing::Values(UnitCase{"DayPriceThree", "tcbBalcao01", 3, true, {"1", "1", "1"}},
                      UnitCase{"NoDayPriceThree", "tcbBalcao01", 3, false, {"3"}},
                      UnitCase{"DayPriceOne", "tcbBalcao01", 1, true, {"1"}},
                      // The fraction left over is a line of its own, never a whole unit more.
                      UnitCase{"DayPriceWeighedTwoAndAHalf", "tcbBalcao02", 2.5, true, {"1", "1", "0,5"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ProductButtonRoad, TheDayPriceIsAskedForTodaysWeekday)
{
    state().totals.doQuantidade = 2;
    click(QStringLiteral("tcbBalcao01"));
    // 5 March 2024 is a Tuesday: Sunday is 1.
    EXPECT_EQ(weekdaysAsked, QStringList{QStringLiteral("3")});
}

struct ModeCase
{
    const char *name;
    const char *mode;
    bool sold;
};

void PrintTo(const ModeCase &c, std::ostream *out)
{
    *out << c.name;
}

class ProductButtonServiceFee : public ProductButtonRoad, public ::testing::WithParamInterface<ModeCase>
{
};

TEST_P(ProductButtonServiceFee, RefusedAtATableOrTabSoldAtTheCounter)
{
    serviceFee = QStringLiteral("100");
    state().host.stModoVenda = QString::fromLatin1(GetParam().mode);
    click(QStringLiteral("tcbBalcao01"));
    EXPECT_EQ(registered.size(), GetParam().sold ? 1 : 0);
    if (!GetParam().sold) {
        EXPECT_EQ(lastMessage(), Msg("PROD_TX_SERV"));
        EXPECT_EQ(messages->calls().last().kind, 3);
    }
    EXPECT_FALSE(state().busy.boBalcaoAux3);
}

INSTANTIATE_TEST_SUITE_P(Modes, ProductButtonServiceFee,
                         ::testing::Values(ModeCase{"Table", "M", false}, ModeCase{"Tab", "C", false},
                                           ModeCase{"Counter", "B", true}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ProductButtonRoad, AFractionOfAUnitProductIsRefusedAndTheQuantityIsOneAgain)
{
    state().totals.doQuantidade = 1.5;
    state().flags.boBalcaoAux1 = true;
    click(QStringLiteral("tcbBalcao01"));
    EXPECT_TRUE(registered.isEmpty());
    ASSERT_EQ(messages->count(), 1);
    EXPECT_EQ(lastMessage(), Msg("PROD_FRAC"));
    EXPECT_EQ(messages->calls().last().kind, 3);
    EXPECT_EQ(state().totals.doQuantidade, 1.0);
    EXPECT_FALSE(state().flags.boBalcaoAux1);
}

TEST_F(ProductButtonRoad, AWholeQuantityIsNoFraction)
{
    state().totals.doQuantidade = 2;
    click(QStringLiteral("tcbBalcao01"));
    EXPECT_EQ(quantities(), QStringList{QStringLiteral("2")});
    EXPECT_EQ(messages->count(), 0);
}

TEST_F(ProductButtonRoad, AnUnreachableServerHandsTheSaleToTheHostUntilItAnswersAgain)
{
    probeFailure = QStringLiteral("[DBNETLIB] O servidor de banco de dados não responde");
    click(QStringLiteral("tcbBalcao01"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(hostCalls("CriaRegVenda"), 1);
    EXPECT_TRUE(state().till.boBalcaoAux2);

    probeFailure.clear();
    click(QStringLiteral("tcbBalcao01"));
    EXPECT_EQ(registered.size(), 1);
    EXPECT_EQ(hostCalls("CriaRegVenda"), 1);
    EXPECT_FALSE(state().till.boBalcaoAux2);
}

TEST_F(ProductButtonRoad, AnyOtherProbeFailureSellsAsUsual)
{
    probeFailure = QStringLiteral("A base de dados está ocupada por outro processo");
    click(QStringLiteral("tcbBalcao01"));
    EXPECT_EQ(registered.size(), 1);
    EXPECT_EQ(hostCalls("CriaRegVenda"), 0);
}

struct LimitCase
{
    const char *name;
    double total;
    const char *totalCaption;
    bool sold;
};

void PrintTo(const LimitCase &c, std::ostream *out)
{
    *out << c.name;
}

class ProductButtonSaleLimit : public ProductButtonRoad, public ::testing::WithParamInterface<LimitCase>
{
};

// The limit is on the sale's own total, whatever the total label happens to show.
TEST_P(ProductButtonSaleLimit, TheSaleTotalIsTheNumberNotTheCaption)
{
    const LimitCase &c = GetParam();
    state().totals.doTotalVenda = c.total;
    form->findChild<QLabel *>(QStringLiteral("lblVrTotal"))->setText(QString::fromUtf8(c.totalCaption));
    click(QStringLiteral("tcbBalcao01"));
    EXPECT_EQ(registered.size(), c.sold ? 1 : 0);
    if (!c.sold) {
        EXPECT_EQ(lastMessage(), Msg("Lim_Pag"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Totals, ProductButtonSaleLimit,
    ::testing::Values(LimitCase{"PastTheLimit", 999995.0, "0,00", false},
                      LimitCase{"UpToTheLimit", 999989.0, "0,00", true},
                      LimitCase{"CaptionWithThousandsIsNotRead", 100.0, "999.999,00", true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ProductButtonRoad, AZeroPriceIsRefused)
{
    prices.insert(QStringLiteral("100"), PriceRow{0});
    click(QStringLiteral("tcbBalcao01"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(lastMessage(), Msg("Valor_zerado"));
}

TEST_F(ProductButtonRoad, ALoyaltyProductAtTheCounterNeedsAConsumer)
{
    loyalty = {QStringLiteral("100")};
    click(QStringLiteral("tcbBalcao01"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(lastMessage(), Msg("CONS_N_INF2"));
    EXPECT_TRUE(state().loyalty.boFidelidade);

    state().host.stCdConsumidorVenda = QStringLiteral("000123");
    click(QStringLiteral("tcbBalcao01"));
    EXPECT_EQ(registered.size(), 1);
}

TEST_F(ProductButtonRoad, PageButtonsTurnPagesSellNothingAndStillLogWithoutAPrinter)
{
    click(QStringLiteral("tcbBalcao36"));
    EXPECT_EQ(state().screen.inPaginaProduto, 2);
    EXPECT_EQ(shown("tcbBalcao", 36), (QStringList{"1:PASTEL", "31:<<"}));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(hostCalls("LogImpNFiscal"), 1);
    EXPECT_TRUE(host->last(&Pkg_Hrk00002::LogImpNFiscal).text.startsWith(QStringLiteral("Venda ---  Código Arv: ")));

    click(QStringLiteral("tcbBalcao31"));
    EXPECT_EQ(state().screen.inPaginaProduto, 1);
    EXPECT_EQ(shown("tcbBalcao", 36), (QStringList{"1:COXINHA", "2:SALADA KG", "3:", "4:COMBO", "36:>>"}));
    EXPECT_TRUE(registered.isEmpty());
}

TEST_F(ProductButtonRoad, TheSoldLineIsLoggedWithItsProductAndDesk)
{
    state().editParams().stCDCAIXA = QStringLiteral("003");
    click(QStringLiteral("tcbBalcao01"));
    ASSERT_EQ(registered.size(), 1);
    EXPECT_EQ(host->last(&Pkg_Hrk00002::LogImpNFiscal).text,
              QStringLiteral("Venda ---  Código Arv: 1.100 Nome do Produto: PRODUTO 100 Preço: 10 Qtde: 1 "
                             "Filial: 0001 Caixa: 003 Loja: 01"));
}

TEST_F(ProductButtonRoad, AButtonWithoutCaptionSellsNothing)
{
    click(QStringLiteral("tcbBalcao03"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(messages->count(), 0);
}

TEST_F(ProductButtonRoad, AButtonWithoutRowDoesNothing)
{
    click(QStringLiteral("tcbBalcao20"));
    EXPECT_TRUE(host->routines().isEmpty());
    EXPECT_TRUE(registered.isEmpty());
}

TEST_F(ProductButtonRoad, ADeskOpenedInTheFutureIsRefused)
{
    state().editParams().dtDTABERCAIX = now.addDays(1);
    click(QStringLiteral("tcbBalcao01"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(lastMessage(), Msg("FECH_CAIX_SAT"));
    EXPECT_EQ(messages->calls().last().kind, 0);
}

TEST_F(ProductButtonRoad, ADeskOfYesterdayMustBeClosedWhenTheSiteSaysSo)
{
    state().editParams().stIDOBRIGFECHCAIX = QStringLiteral("S");
    state().editParams().dtDTABERCAIX = now.addDays(-1);
    click(QStringLiteral("tcbBalcao01"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(lastMessage(), Msg("FECH_CAIX_SAT"));
}

TEST_F(ProductButtonRoad, ADeclinedPromotionSellsNothingAndEndsTheUnitQuietly)
{
    host->setDefault(&Pkg_Hrk00002::CriaPromocaoInteligente, false);
    click(QStringLiteral("tcbBalcao04"));
    EXPECT_TRUE(registered.isEmpty());
    EXPECT_EQ(messages->count(), 0);
    EXPECT_EQ(hostCalls("LogImpNFiscal"), 1);
}

TEST_F(ProductButtonRoad, APromotionSoldAgainReplacesItsEarlierLines)
{
    ClientDataSet &items = data().cdsItems;
    ASSERT_TRUE(items.Active() || items.CreateDataSet());
    const QList<QStringList> lines = {{"401", "400", "001", "001"}, {"402", "400", "001", "002"},
                                      {"100", "100", "", "003"}, {"401", "400", "002", "004"}};
    for (const QStringList &line : lines) {
        items.Append();
        items.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(line[0]);
        items.FieldByName(QStringLiteral("CDPRODPROMOCAO")).SetAsString(line[1]);
        items.FieldByName(QStringLiteral("NRSEQPRODCOM")).SetAsString(line[2]);
        items.FieldByName(QStringLiteral("NRSEQ")).SetAsString(line[3]);
        items.Post();
    }
    host->setDefault(&Pkg_Hrk00002::CriaPromocaoInteligente, true);
    state().road.stBalcaoAux2 = QStringLiteral("400");
    state().road.stBalcaoAux3 = QStringLiteral("001");
    click(QStringLiteral("tcbBalcao01"));
    QStringList left;
    for (items.First(); !items.Eof(); items.Next())
        left.append(items.FieldByName(QStringLiteral("NRSEQ")).AsString());
    EXPECT_EQ(left, (QStringList{"003", "004"}));
    ASSERT_EQ(registered.size(), 1);
    EXPECT_EQ(registered[0].CDPRODUTO, QStringLiteral("400"));
    EXPECT_TRUE(state().road.stBalcaoAux2.isEmpty());
    EXPECT_TRUE(state().road.stBalcaoAux3.isEmpty());
}

} // namespace

namespace {

class ProductButtonPrinter : public ProductButtonRoad
{
protected:
    void SetUp() override
    {
        ProductButtonRoad::SetUp();
        host->setDefault(&Pkg_Hrk00001::VerificaData, DateCheckAnswer{true});
        host->setDefault(&Pkg_Hrk00001::VerificaSerialImp, HostResult::done());
        state().editParams().boUTILIZAIMPFIS = true;
        state().editParams().stIDCOLETOR = QStringLiteral("N");
        for (const char *name : {"spbCancProd", "spbFuncoes", "tcbBalcao01"})
            button(name)->setEnabled(true);
    }
};

TEST_F(ProductButtonPrinter, ADeskOpenedYesterdayAsksForTheDayEndAndLocksTheGrid)
{
    state().editParams().dtDTABERCAIX = now.addDays(-1);
    click(QStringLiteral("tcbBalcao01"));
    EXPECT_TRUE(registered.isEmpty());
    ASSERT_EQ(messages->count(), 2);
    EXPECT_EQ(messages->calls()[0].text, Msg("EmiteZ"));
    EXPECT_EQ(messages->calls()[1].text, Msg("CloseCaixa"));
    EXPECT_TRUE(state().params.boBOERROIMPRESSORA);
    EXPECT_FALSE(button("tcbBalcao01")->isEnabled());
    EXPECT_FALSE(state().busy.boBalcaoAux3);
}

// The item's lock on the other buttons never outlives a refusal.
TEST_F(ProductButtonPrinter, ARefusalGivesTheButtonsBack)
{
    prices.insert(QStringLiteral("100"), PriceRow{0});
    click(QStringLiteral("tcbBalcao01"));
    EXPECT_EQ(lastMessage(), Msg("Valor_zerado"));
    EXPECT_TRUE(button("tcbBalcao01")->isEnabled());
    EXPECT_TRUE(button("spbFuncoes")->isEnabled());
}

} // namespace
