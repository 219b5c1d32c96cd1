// Item kinds through the real registration: refills of a seat, discount coupons, combined
// products, promotion combos and prizes, observation products.
#include "orderfixture.h"

#include <order/orderentry.h>
#include <order/salemoney.h>
#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>
#include <screen/tfrmvendacons.h>

#include <runtime/clientdataset.h>
#include <runtime/datapacket.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QHash>
#include <QLabel>

namespace {

struct Price
{
    double price = 10.0, discount = 0, addition = 0;
    QString refusal;
};

DataPacket packetOf(const QStringList &columns, const QList<QList<Variant>> &rows)
{
    DataPacket packet;
    for (const QString &name : columns)
        packet.fields.append(FieldDef{name, FieldType::String, 60});
    for (const auto &row : rows)
        packet.rows.append(row);
    return packet;
}

class ItemKinds : public OrderTest
{
protected:
    void SetUp() override
    {
        OrderTest::SetUp();
        if (HasFatalFailure())
            return;
        ServerSeams table = ServerSeams::current();
        table.lookupsProducts.getAgrupProd = [this](const QString &branch, const QString &tab, const QString &sale) {
            serverCalls << QStringLiteral("getAgrupProd %1 %2 %3").arg(branch, tab, sale);
            return groupAnswer;
        };
        table.tabs.getProdRefil = [this](const QString &, const QString &, const QString &, const QString &product,
                                    const QString &seat) {
            serverCalls << QStringLiteral("getProdRefil %1 %2").arg(product, seat);
            return refillLines;
        };
        table.tabs.setProdRefil = [this](const QString &, const QString &, const QString &, const QString &line,
                                    double quantity) {
            serverCalls << QStringLiteral("setProdRefil %1 %2").arg(line, PtBr::FloatToStr(quantity));
            return Variant();
        };
        table.lookupsProducts.getCuponsValidos = [this](const QString &, const QString &) { return coupons; };
        entry = std::make_unique<ScopedTable<ServerSeams>>(table);
        host->handle(&Pkg_Hrk00002::ChamaFuncaoGetRetornaPreco,
                     [this](const PriceRequest &request, ClientDataSet &row) {
                         const Price p = prices.value(request.cdProduto);
                         if (!p.refusal.isEmpty())
                             return PriceAnswer{false, p.refusal, Variant()};
                         if (!row.Active())
                             row.CreateDataSet();
                         row.EmptyDataSet();
                         row.Append();
                         row.FieldByName(QStringLiteral("VRPRECO")).SetAsFloat(p.price);
                         row.FieldByName(QStringLiteral("VRDESCONTO")).SetAsFloat(p.discount);
                         row.FieldByName(QStringLiteral("VRACRESCIMO")).SetAsFloat(p.addition);
                         row.FieldByName(QStringLiteral("VRPRECOCLIE")).SetAsFloat(0);
                         row.Post();
                         return PriceAnswer{true, QString(), Variant()};
                     });
        host->setDefault(&Pkg_Hrk00002::VerificaAcesso, AccessAnswer{true, QStringLiteral("MARIA")});
        products({{"100", "REFRIGERANTE", "N", "S"},
                  {"200", "HAMBURGUER", "N", "N"},
                  {"300", "BATATA", "N", "N"},
                  {"400", "QUEIJO", "S", "N"},
                  {"500", "BACON", "N", "N"}});
    }

    void TearDown() override
    {
        entry.reset();
        OrderTest::TearDown();
    }

    // Product copy rows: code, name, weighed, refill-controlled.
    void products(const QList<QStringList> &rows)
    {
        QList<QList<Variant>> values;
        for (const QStringList &r : rows)
            values.append({r.at(0), r.at(1), QStringLiteral("A") + r.at(0), r.at(2), QStringLiteral("UN"), r.at(3),
                           QStringLiteral("F1")});
        ASSERT_TRUE(data().cdsProdutos.SetData(packetOf(
            {"CDPRODUTO", "NMPRODUTO", "CDARVPROD", "IDPESAPROD", "SGUNIDADE", "IDCONTROLAREFIL", "CDFAMILISALD"},
            values)));
        QList<QStringList> taxes;
        for (const QStringList &r : rows) {
            prices.insert(r.at(0), Price{});
            taxes.append({r.at(0), QStringLiteral("01"), QStringLiteral("18")});
        }
        taxRows(taxes);
    }

    QString field(const QString &NRSEQ, const char *name)
    {
        ClientDataSet &items = data().cdsItems;
        if (!items.Locate(QStringLiteral("NRSEQ"), NRSEQ))
            return QStringLiteral("<no line %1>").arg(NRSEQ);
        return items.FieldByName(QString::fromLatin1(name)).AsString();
    }

    void run(const std::function<void()> &handler) { form().dispatch(handler); }

    // An entry of the table road: the refill decision, then the registration.
    void enterAtSeat(const QString &code, int seat, const QString &quantity = QStringLiteral("1"))
    {
        state().table.inPosicaoGrid = seat;
        form().context().setCaption(QStringLiteral("stPosicao"), QString::number(seat));
        run([&] {
            order().ControlaRefil(code);
            sell(item(code, QStringLiteral("PRODUTO ") + code, QStringLiteral("5"), quantity));
        });
    }

    Variant groupAnswer = Variant(QStringLiteral("0"));
    Variant refillLines = Variant(packetOf({"NRPRODCOMVEN"}, {}));
    Variant coupons = Variant(packetOf({}, {}));
    QHash<QString, Price> prices;
    std::unique_ptr<ScopedTable<ServerSeams>> entry;
};

// ---- refills -----------------------------------------------------------------------------------

class Refills : public ItemKinds
{
protected:
    void SetUp() override
    {
        ItemKinds::SetUp();
        state().host.stModoVenda = QStringLiteral("M");
        state().host.stNRVENDAREST = QStringLiteral("V1");
        state().host.stNRCOMANDA = QStringLiteral("C1");
    }
};

TEST_F(Refills, SecondEntryOfTheSeatIsAFreeRefillCountedOnTheFirstLine)
{
    enterAtSeat("100", 1);
    enterAtSeat("100", 1);
    EXPECT_EQ(column(data().cdsItems, "IDPRODREFIL"), QStringList({"N", "S"}));
    EXPECT_EQ(field("002", "VRPRECCOMVEN"), "0");
    EXPECT_EQ(field("001", "QTITEMREFIL"), "1");
    EXPECT_EQ(state().road.stAddProdAux3, QString());
}

TEST_F(Refills, AnotherSeatIsAnOrdinaryLine)
{
    enterAtSeat("100", 1);
    enterAtSeat("100", 2);
    EXPECT_EQ(column(data().cdsItems, "IDPRODREFIL"), QStringList({"N", "N"}));
    EXPECT_EQ(column(data().cdsItems, "NRLUGARMESA"), QStringList({"01", "02"}));
}

TEST_F(Refills, ALineAlreadySentIsCountedInTheBaseAfterTheRefillIsRegistered)
{
    refillLines = Variant(packetOf({"NRPRODCOMVEN"}, {{QStringLiteral("000007")}, {QStringLiteral("000009")}}));
    enterAtSeat("100", 1);
    EXPECT_EQ(serverCalls.filter("ProdRefil"), QStringList({"getProdRefil 100 01", "setProdRefil 000007 1"}));
    EXPECT_EQ(column(data().cdsItems, "IDPRODREFIL"), QStringList({"S"}));
}

// The base answers no live ordinary line (status "6" or "7" are not listed): ordinary line.
TEST_F(Refills, NoLiveLineInTheBaseIsAnOrdinaryLine)
{
    enterAtSeat("100", 1);
    EXPECT_EQ(serverCalls.filter("setProdRefil"), QStringList());
    EXPECT_EQ(column(data().cdsItems, "IDPRODREFIL"), QStringList({"N"}));
}

TEST_F(Refills, ARefusedSecondEntryCountsNothing)
{
    enterAtSeat("100", 1);
    refillLines = Variant(packetOf({"NRPRODCOMVEN"}, {{QStringLiteral("000007")}}));
    enterAtSeat("100", 1, QStringLiteral("1,5")); // a unit product in a fraction: refused
    EXPECT_EQ(data().cdsItems.RecordCount(), 1);
    EXPECT_EQ(field("001", "QTITEMREFIL"), "0");
    EXPECT_EQ(serverCalls.filter("setProdRefil"), QStringList());
}

TEST_F(Refills, AProductWithoutRefillControlIsNeverARefill)
{
    enterAtSeat("200", 1);
    enterAtSeat("200", 1);
    EXPECT_EQ(column(data().cdsItems, "IDPRODREFIL"), QStringList({"N", "N"}));
    EXPECT_EQ(serverCalls.filter("getProdRefil"), QStringList());
}

// ---- coupons -----------------------------------------------------------------------------------

struct CouponCase
{
    const char *name;
    QString typed;
    QString kind;         // IDTIPODESC
    double amount;        // VRDESCCUPOM
    QString start, end;   // validity, "yyyy-MM-dd" or empty
    QString price;
    QString quantity;
    QString soma;         // the line's SOMA
    QString discount;     // the line's VRDESCCOMVEN
    QString message;      // message key shown, or empty
};

class DiscountCoupons : public ItemKinds, public ::testing::WithParamInterface<CouponCase>
{
protected:
    void SetUp() override
    {
        ItemKinds::SetUp();
        useFiscalPrinter(16);
        state().startup.stCupomAux1 = QStringLiteral("S");
    }

    void couponsOf(const QString &code, const QString &kind, double amount, const QString &start,
                   const QString &end, const QString &single)
    {
        auto date = [](const QString &text) {
            return text.isEmpty() ? Variant() : Variant(QDateTime(QDate::fromString(text, Qt::ISODate), QTime()));
        };
        DataPacket packet = packetOf({"CDCUPOMDESCQUB", "IDTIPODESC"}, {});
        packet.fields.append(FieldDef{QStringLiteral("VRDESCCUPOM"), FieldType::Double, 0});
        packet.fields.append(FieldDef{QStringLiteral("DTINIVIGENCIA"), FieldType::DateTime, 0});
        packet.fields.append(FieldDef{QStringLiteral("DTFIMVIGENCIA"), FieldType::DateTime, 0});
        packet.fields.append(FieldDef{QStringLiteral("IDUSOUNICO"), FieldType::String, 1});
        packet.rows.append({code, kind, amount, date(start), date(end), single});
        coupons = Variant(packet);
    }

    void sellWithCoupon(const QString &typed, const QString &price, const QString &quantity)
    {
        host->script(&Pkg_Hrk00002::CriaInfAdicional, AdditionalDataAnswer{.confirmed = true, .code = typed});
        run([&] {
            order().controlaValorCupom(quantity.toDouble(), SaleMoney::number(price), 0, 0, QStringLiteral("200"));
            printerDiscount = state().loyalty.doVrCupomDesc;
            sell(item(QStringLiteral("200"), QStringLiteral("HAMBURGUER"), price, quantity));
        });
    }

    // The coupon value the fiscal printer takes as the item's discount.
    double printerDiscount = 0;
};

TEST_P(DiscountCoupons, LineValueAfterTheCoupon)
{
    const CouponCase &c = GetParam();
    couponsOf(QStringLiteral("PROMO10"), c.kind, c.amount, c.start, c.end, QStringLiteral("N"));
    sellWithCoupon(c.typed, c.price, c.quantity);
    EXPECT_EQ(field("001", "SOMA"), c.soma);
    EXPECT_EQ(field("001", "VRDESCCOMVEN"), c.discount);
    // The printer sells the item at its gross value less the coupon: the tape must come to the
    // line the base keeps, one cent and all.
    const double gross = SaleMoney::number(c.price) * SaleMoney::number(c.quantity);
    EXPECT_EQ(PtBr::FloatToStr(Money::RoundDec(gross - printerDiscount, 2)), c.soma);
    EXPECT_EQ(field("001", "CDCUPOMDESCQUB"), c.message.isEmpty() ? QStringLiteral("PROMO10") : QString());
    EXPECT_EQ(shown(), c.message.isEmpty() ? QStringList() : QStringList{Msg(c.message)});
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DiscountCoupons,
    ::testing::Values(
        CouponCase{"Fixed3Of2x5", "PROMO10", "V", 3.0, "", "", "5", "2", "7", "3", ""},
        CouponCase{"Fixed12CutToOneCentBelowTheLine", "PROMO10", "V", 12.0, "", "", "5", "2", "0,01", "9,99", ""},
        CouponCase{"Percent15Of999", "PROMO10", "P", 15.0, "", "", "9,99", "1", "8,5", "1,49", ""},
        CouponCase{"Percent100LeavesOneCent", "PROMO10", "P", 100.0, "", "", "4", "1", "0,01", "3,99", ""},
        CouponCase{"OtherLetterCaseRefused", "promo10", "V", 3.0, "", "", "5", "2", "10", "0", "CUPOM_IND"},
        CouponCase{"UnknownCodeRefused", "NADA", "V", 3.0, "", "", "5", "2", "10", "0", "CUPOM_IND"},
        CouponCase{"WorthNothingRefused", "PROMO10", "V", 0.0, "", "", "5", "2", "10", "0", "CUPOM_IND"},
        CouponCase{"ExpiredRefused", "PROMO10", "V", 3.0, "2024-01-01", "2024-03-04", "5", "2", "10", "0",
                   "CUPOM_IND"},
        CouponCase{"NotYetValidRefused", "PROMO10", "V", 3.0, "2024-03-06", "", "5", "2", "10", "0", "CUPOM_IND"},
        CouponCase{"ValidOnItsLastDay", "PROMO10", "V", 3.0, "2024-03-01", "2024-03-05", "5", "2", "7", "3", ""}),
    [](const ::testing::TestParamInfo<CouponCase> &info) { return std::string(info.param.name); });

TEST_F(DiscountCoupons, ASingleUseCouponIsRefusedTheSecondTimeInTheSale)
{
    couponsOf(QStringLiteral("UNICO"), QStringLiteral("V"), 1.0, {}, {}, QStringLiteral("S"));
    sellWithCoupon(QStringLiteral("UNICO"), QStringLiteral("5"), QStringLiteral("1"));
    sellWithCoupon(QStringLiteral("UNICO"), QStringLiteral("5"), QStringLiteral("1"));
    EXPECT_EQ(column(data().cdsItems, "CDCUPOMDESCQUB"), QStringList({"UNICO", ""}));
    EXPECT_EQ(column(data().cdsItems, "SOMA"), QStringList({"4", "5"}));
    EXPECT_EQ(shown(), QStringList{Msg(QStringLiteral("CUPOMUNICO_JA"))});
}

TEST_F(DiscountCoupons, AReusableCouponIsAcceptedAgain)
{
    couponsOf(QStringLiteral("SEMPRE"), QStringLiteral("V"), 1.0, {}, {}, QStringLiteral("N"));
    sellWithCoupon(QStringLiteral("SEMPRE"), QStringLiteral("5"), QStringLiteral("1"));
    sellWithCoupon(QStringLiteral("SEMPRE"), QStringLiteral("5"), QStringLiteral("1"));
    EXPECT_EQ(column(data().cdsItems, "SOMA"), QStringList({"4", "4"}));
}

TEST_F(DiscountCoupons, ARefusingServerGivesNoCoupon)
{
    coupons = Variant::failure(QStringLiteral("relation CUPOMDESCQUB does not exist"));
    sellWithCoupon(QStringLiteral("PROMO10"), QStringLiteral("5"), QStringLiteral("2"));
    EXPECT_EQ(field("001", "SOMA"), "10");
    EXPECT_EQ(field("001", "CDCUPOMDESCQUB"), "");
}

TEST_F(DiscountCoupons, SwitchedOffOrWithoutFiscalPrinterTheDialogIsNotShown)
{
    state().startup.stCupomAux1 = QStringLiteral("N");
    run([&] { order().controlaValorCupom(1, 5, 0, 0, QStringLiteral("200")); });
    state().startup.stCupomAux1 = QStringLiteral("S");
    state().editParams().boUTILIZAIMPFIS = false;
    run([&] { order().controlaValorCupom(1, 5, 0, 0, QStringLiteral("200")); });
    EXPECT_TRUE(host->requests(&Pkg_Hrk00002::CriaInfAdicional).isEmpty());
}

// ---- promotion combos and prizes -----------------------------------------------------------

struct ShareCase
{
    const char *name;
    double prizes;
    QString entered;
    QList<QList<Variant>> components; // CDPRODUTO, VRUNVENDAEST, QTPRODVEND
    QStringList pricesAfter;
};

class ComboShare : public ItemKinds, public ::testing::WithParamInterface<ShareCase>
{
};

TEST_P(ComboShare, PrizeValueComesOffOneComponent)
{
    const ShareCase &c = GetParam();
    DataPacket packet = packetOf({"CDPRODUTO"}, {});
    packet.fields.append(FieldDef{QStringLiteral("VRUNVENDAEST"), FieldType::Double, 0});
    packet.fields.append(FieldDef{QStringLiteral("QTPRODVEND"), FieldType::Double, 0});
    packet.rows = c.components;
    ASSERT_TRUE(data().cdsItPromoCombAux.SetData(packet));
    state().totals.doComboAux1 = c.prizes;
    run([&] { order().AjustaPrecoCombo(c.entered); });
    EXPECT_EQ(column(data().cdsItPromoCombAux, "VRUNVENDAEST"), c.pricesAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ComboShare,
    ::testing::Values(
        ShareCase{"EnteredNotBelowTakesTheOther", 3.0, "200", {{"200", 2.5, 1.0}, {"300", 5.0, 1.0}}, {"2,5", "2"}},
        ShareCase{"SharePerUnit", 1.5, "200", {{"200", 4.0, 2.0}}, {"3,25"}},
        ShareCase{"ShareTruncated", 1.0, "200", {{"200", 4.0, 3.0}}, {"3,67"}},
        ShareCase{"QuantityZeroSkipped", 1.0, "200", {{"200", 4.0, 0.0}, {"300", 5.0, 1.0}}, {"4", "4"}},
        ShareCase{"NoneQualifies", 9.0, "200", {{"200", 4.0, 1.0}}, {"4"}}),
    [](const ::testing::TestParamInfo<ShareCase> &info) { return std::string(info.param.name); });

TEST_F(ItemKinds, ComboPriceIsTheUntruncatedSumOfItsComponents)
{
    DataPacket packet = packetOf({"CDPRODUTO"}, {});
    for (const char *name : {"VRUNVENDAEST", "VRPRECOCLIE", "QTPRODVEND", "VRDESCONTO", "VRACRESCIMO"})
        packet.fields.append(FieldDef{QString::fromLatin1(name), FieldType::Double, 0});
    packet.rows = {{"200", 10.0, 0.5, 1.0, 0.25, 0.0}, {"300", 3.333, 0.0, 3.0, 0.0, 0.0}};
    ASSERT_TRUE(data().cdsItPromoCombAux.SetData(packet));
    EXPECT_NEAR(order().RetornaPrecoCombo(), 20.249, 1e-9);
}

class Prizes : public ItemKinds
{
protected:
    void prizes(const QList<QList<Variant>> &rows)
    {
        ASSERT_TRUE(data().cdsPremio.SetData(packetOf(
            {"NRSEQ", "CDPRODUTO", "IDTIPOCOMPPROD", "IDIMPPRODUTO", "QTPRODCOMVEN", "CDCAMPANHA", "DTINIVGCAMP"},
            rows)));
        DataPacket components = packetOf({"NRSEQ", "NRSEQIT", "CDPRODUTO", "NMPRODUTO", "CDPRODVENDA",
                                          "VRUNVENDAEST", "QTPRODVEND", "IDIMPGRPROMO", "SGUNIDADE", "IDPESAPROD",
                                          "CDFAMILISALD"},
                                         {{"001", "001", "300", "BATATA", "500", "2", "1", "N", "UN", "N", "F1"},
                                          {"001", "002", "400", "QUEIJO", "500", "1,5", "1", "N", "UN", "N", "F1"}});
        ASSERT_TRUE(data().cdsPremioComb.SetData(components));
        ASSERT_TRUE(data().cdsPremioObs.SetData(
            packetOf({"NRSEQ", "NRSEQIT", "CDPRODUTO", "CDGRPOCOR", "CDOCORR", "CDPRODOBS"},
                     {{"001", "001", "300", "01", "02", ""}})));
    }
};

TEST_F(Prizes, AComboHeaderCostsOneCentAndKeepsItsComponentsUnderItsLine)
{
    prizes({{"001", "500", "3", "1", "1", "", ""}});
    products({{"500", "COMBO", "N", "N"}, {"300", "BATATA", "N", "N"}, {"400", "QUEIJO", "N", "N"}});
    run([&] { order().AdicionaPremio(); });
    EXPECT_EQ(column(data().cdsItems, "VRPRECCOMVEN"), QStringList({"0,01"}));
    EXPECT_EQ(column(data().cdsItems, "NRSEQPRODCOM"), QStringList({"001"}));
    EXPECT_EQ(column(data().cdsItPromoComb, "NRSEQ"), QStringList({"001", "001"}));
    EXPECT_EQ(column(data().cdsObsItensEst, "NRSEQ"), QStringList({"001"}));
    EXPECT_TRUE(data().cdsPremio.IsEmpty());
}

// A header the registration refuses leaves no component or observation for the next line.
TEST_F(Prizes, ARefusedHeaderLeavesNoComponentRow)
{
    prizes({{"001", "500", "3", "1", "1,5", "", ""}}); // a unit product in a fraction
    products({{"500", "COMBO", "N", "N"}});
    run([&] { order().AdicionaPremio(); });
    EXPECT_EQ(data().cdsItems.RecordCount(), 0);
    EXPECT_EQ(data().cdsItPromoComb.RecordCount(), 0);
    EXPECT_EQ(data().cdsObsItensEst.RecordCount(), 0);
}

TEST_F(Prizes, ComponentsAsOwnLinesAtTheirPricesInOneNewGroup)
{
    groupAnswer = Variant(QStringLiteral("004"));
    prizes({{"001", "500", "3", "2", "1", "", ""}});
    products({{"500", "COMBO", "N", "N"}, {"300", "BATATA", "N", "N"}, {"400", "QUEIJO", "N", "N"}});
    run([&] { order().AdicionaPremio(); });
    EXPECT_EQ(column(data().cdsItems, "CDPRODUTO"), QStringList({"300", "400"}));
    EXPECT_EQ(column(data().cdsItems, "VRPRECCOMVEN"), QStringList({"2", "1,5"}));
    EXPECT_EQ(column(data().cdsItems, "NRSEQPRODCOM"), QStringList({"005", "005"}));
    EXPECT_EQ(column(data().cdsObsItens, "NRSEQ"), QStringList({"001"}));
}

TEST_F(Prizes, ACampaignPrizeCostsOneCentAndAPriceErrorDropsTheRest)
{
    prices.insert(QStringLiteral("300"), Price{0, 0, 0, QStringLiteral("PRECZERO")});
    prizes({{"001", "200", "", "", "1", "CAMP1", ""}, {"002", "300", "", "", "1", "", ""},
            {"003", "400", "", "", "1", "", ""}});
    run([&] { order().AdicionaPremio(); });
    EXPECT_EQ(column(data().cdsItems, "CDPRODUTO"), QStringList({"200"}));
    EXPECT_EQ(column(data().cdsItems, "VRPRECCOMVEN"), QStringList({"0,01"}));
    EXPECT_EQ(shown(), QStringList{Msg(QStringLiteral("Preco_Zero"))});
    EXPECT_TRUE(data().cdsPremio.IsEmpty());
}

TEST_F(ItemKinds, PromotionTaggingJoinsAnUntaggedComponentToItsPromotion)
{
    ServerSeams table = ServerSeams::current();
    table.lookupsProducts.getPromoCombAux = [](const QString &, const QString &) {
        return Variant(packetOf({"CDPRODPROMOCAO", "CDPRODUTO"}, {{"900", "300"}, {"901", "400"}}));
    };
    ScopedTable<ServerSeams> scoped(table);
    ASSERT_TRUE(data().cdsVenda.SetData(packetOf({"CDPRODUTO", "CDPRODPROMOCAO", "NRSEQPRODCOMIT"},
                                                 {{"200", "900", "002"}, {"300", "", ""}})));
    run([&] { order().Vd_PromocaoComb(); });
    EXPECT_EQ(column(data().cdsVenda, "CDPRODPROMOCAO"), QStringList({"900", "900"}));
    EXPECT_EQ(column(data().cdsVenda, "NRSEQPRODCOMIT"), QStringList({"002", "002"}));
}

// ---- observation products ------------------------------------------------------------------

struct ObservationCase
{
    const char *name;
    QString parentWeighed;
    QString parentQuantity;
    QString product;        // "400" weighed, "500" not
    QString quantity;
};

class ObservationItems : public ItemKinds, public ::testing::WithParamInterface<ObservationCase>
{
};

TEST_P(ObservationItems, QuantityUnderTheParent)
{
    const ObservationCase &c = GetParam();
    PreenchePedidoArgs parent = item(QStringLiteral("200"), QStringLiteral("HAMBURGUER"), QStringLiteral("5"),
                                     c.parentQuantity);
    parent.IDPESAPROD = c.parentWeighed;
    run([&] { sell(parent); });
    state().road.stPedidoAux4 = QStringLiteral("001");
    form().context().setCaption(QStringLiteral("lblBuffer"), c.product);
    run([&] {
        order().AdicionaItemObs(2, 0, 0, QString(), QString(), QString(), QStringLiteral("N"), QString(), QString());
    });
    EXPECT_EQ(field("002", "CDPRODUTO"), c.product);
    EXPECT_EQ(field("002", "QTPRODCOMVEN"), c.quantity);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ObservationItems,
    ::testing::Values(ObservationCase{"WeighedUnderWeighedTakesTheWeight", "S", "0,35", "400", "0,35"},
                      ObservationCase{"UnitUnderWeighedCountsOne", "S", "0,35", "500", "1"},
                      ObservationCase{"UnderAUnitParentTheGivenQuantity", "N", "1", "500", "2"}),
    [](const ::testing::TestParamInfo<ObservationCase> &info) { return std::string(info.param.name); });

TEST_F(ItemKinds, AComponentKeepsItsOwnAdditionOverThePriceFunctions)
{
    prices.insert(QStringLiteral("500"), Price{3.0, 0.2, 0.9});
    run([&] { sell(item(QStringLiteral("200"), QStringLiteral("HAMBURGUER"), QStringLiteral("5"))); });
    state().road.stPedidoAux4 = QStringLiteral("001");
    form().context().setCaption(QStringLiteral("lblBuffer"), QStringLiteral("500"));
    run([&] {
        order().AdicionaItemObs(1, 0, 0.5, QString(), QString(), QString(), QStringLiteral("S"), QStringLiteral("002"),
                                QString());
    });
    EXPECT_EQ(field("002", "VRACRCOMVEN"), "0,5");
    EXPECT_EQ(field("002", "VRDESCCOMVEN"), "0");
    EXPECT_DOUBLE_EQ(state().totals.doVrAcrComanda, 0.5);
}

TEST_F(ItemKinds, AnObservationProductThePriceFunctionRefusesIsNotRegistered)
{
    prices.insert(QStringLiteral("500"), Price{0, 0, 0, QStringLiteral("BLOQUEADO")});
    run([&] { sell(item(QStringLiteral("200"), QStringLiteral("HAMBURGUER"), QStringLiteral("5"))); });
    state().road.stPedidoAux4 = QStringLiteral("001");
    form().context().setCaption(QStringLiteral("lblBuffer"), QStringLiteral("500"));
    run([&] {
        order().AdicionaItemObs(1, 0, 0, QString(), QString(), QString(), QStringLiteral("N"), QString(), QString());
    });
    EXPECT_EQ(column(data().cdsItems, "CDPRODUTO"), QStringList({"200"}));
    EXPECT_EQ(shown().last(), Msg(QStringLiteral("Prod_bloqueado")));
}

// ---- combined products ---------------------------------------------------------------------------

class Combined : public ItemKinds
{
protected:
    // Components: product, quantity, own extra value (VRCOMISVENDE).
    void chooseParts(const QList<QList<Variant>> &parts)
    {
        DataPacket packet = packetOf({"CDPRODUTO", "NMPRODUTO", "CDARVPROD", "IDPESAPROD", "CDFAMILISALD", "SGUNIDADE"},
                                     {});
        packet.fields.append(FieldDef{QStringLiteral("VRQUANT"), FieldType::Double, 0});
        packet.fields.append(FieldDef{QStringLiteral("VRPRECO"), FieldType::Double, 0});
        packet.fields.append(FieldDef{QStringLiteral("VRCOMISVENDE"), FieldType::Double, 0});
        for (const auto &p : parts)
            packet.rows.append({p.at(0), QStringLiteral("PARTE ") + p.at(0).toString(), QStringLiteral("A"), "N",
                                "F1", "UN", p.at(1), 1.0, p.at(2)});
        host->script(&Pkg_Hrk00002::ProdCombinado, CombinedProductAnswer{packet, QString()});
    }
    void press()
    {
        run([&] { order().spbProdCombinadoClick(form().findChild<QObject *>(QStringLiteral("spbProdCombinado"))); });
    }
};

TEST_F(Combined, NewGroupIsOneAboveTheBaseAndTheSale)
{
    state().host.stNRVENDAREST = QStringLiteral("V1");
    state().host.stNRCOMANDA = QStringLiteral("C1");
    groupAnswer = Variant(QStringLiteral("004"));
    PreenchePedidoArgs earlier = item(QStringLiteral("300"), QStringLiteral("BATATA"), QStringLiteral("4"));
    earlier.NRSEQPRODCOM = QStringLiteral("006");
    run([&] { sell(earlier); });
    chooseParts({{"200", 1.0, 0.0}});
    press();
    EXPECT_EQ(column(data().cdsItems, "NRSEQPRODCOM"), QStringList({"006", "007"}));
    // The tab and the sale by name.
    EXPECT_EQ(serverCalls.filter("getAgrupProd"), QStringList({"getAgrupProd 0001 C1 V1"}));
    EXPECT_FALSE(state().busy.boCancCupomAux1);
}

TEST_F(Combined, APartChosenTwiceIsOneLineWithTheSummedAddition)
{
    prices.insert(QStringLiteral("200"), Price{10.0, 0, 0.3});
    chooseParts({{"200", 2.0, 1.5}, {"300", 1.0, 0.0}, {"200", 2.0, 1.5}});
    press();
    EXPECT_EQ(column(data().cdsItems, "CDPRODUTO"), QStringList({"200", "300"}));
    EXPECT_EQ(field("001", "QTPRODCOMVEN"), "4");
    EXPECT_EQ(field("001", "VRACRCOMVEN"), "4,2"); // (0,60 + 1,50) twice
    EXPECT_DOUBLE_EQ(state().totals.doVrAcrComanda, 4.2);
    // The order sends each line's quantity, price, discount and addition; the receipt shows
    // the same total: the second part's extra value is not lost in the merge.
    double sent = 0;
    ClientDataSet &items = data().cdsItems;
    for (items.First(); !items.Eof(); items.Next()) {
        auto value = [&items](const char *name) { return SaleMoney::number(items.FieldByName(QString::fromLatin1(name)).AsString(), true); };
        sent += value("QTPRODCOMVEN") * value("VRPRECCOMVEN") - value("VRDESCCOMVEN") + value("VRACRCOMVEN");
    }
    EXPECT_DOUBLE_EQ(sent, 54.2); // 2 x (20,00 + 0,60 + 1,50) + 10,00
    EXPECT_EQ(caption("lblVrTotal"), "54,20");
    const auto logs = host->requests(&Pkg_Hrk00002::LogControleAcess);
    ASSERT_EQ(logs.size(), 1);
}

TEST_F(Combined, AFailedGroupLookupStopsBeforeAnyPart)
{
    groupAnswer = Variant::failure(QStringLiteral("conexão perdida"));
    chooseParts({{"200", 1.0, 0.0}});
    press();
    EXPECT_EQ(data().cdsItems.RecordCount(), 0);
    EXPECT_FALSE(shown().isEmpty());
    EXPECT_DOUBLE_EQ(state().totals.doVrAcrComanda, 0);
}

TEST_F(Combined, APartOfNoQuantityRefusesTheWholeCombination)
{
    chooseParts({{"200", 1.0, 0.0}, {"300", 0.0, 0.0}});
    press();
    EXPECT_EQ(data().cdsItems.RecordCount(), 0);
    EXPECT_EQ(shown().size(), 1);
    EXPECT_FALSE(state().busy.boCancCupomAux1);
}

TEST_F(Combined, APriceRefusalKeepsThePartsBeforeIt)
{
    prices.insert(QStringLiteral("300"), Price{0, 0, 0, QStringLiteral("PRECNCAD")});
    chooseParts({{"200", 1.0, 0.0}, {"300", 1.0, 0.0}, {"400", 1.0, 0.0}});
    press();
    EXPECT_EQ(column(data().cdsItems, "CDPRODUTO"), QStringList({"200"}));
    EXPECT_EQ(shown(), QStringList{Msg(QStringLiteral("Preco_deve"))});
    EXPECT_DOUBLE_EQ(state().totals.doProdCombAux2, 0);
}

TEST_F(Combined, NothingChosenOnlyLogs)
{
    host->script(&Pkg_Hrk00002::ProdCombinado, CombinedProductAnswer{});
    press();
    EXPECT_EQ(data().cdsItems.RecordCount(), 0);
    EXPECT_EQ(host->requests(&Pkg_Hrk00002::LogControleAcess).size(), 1);
}

} // namespace
