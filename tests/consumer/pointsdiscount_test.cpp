#include "benefitsfixture.h"

#include <sale/formnames.h>
#include <sale/serverseams.h>

#include <runtime/clientdataset.h>
#include <runtime/datapacket.h>
#include <runtime/money.h>

#include <QLabel>
#include <QAbstractButton>

namespace {

DataPacket offer(double perBlock, double blockValue, double balance, double discount)
{
    DataPacket packet;
    packet.fields = {{"CDCAMPANHA", FieldType::String, 10},   {"VRPONTOGERADESC", FieldType::Double, 0},
                     {"VRDESCVENDA", FieldType::Double, 0},   {"NMCONSUMIDOR", FieldType::String, 60},
                     {"VRSALDOCONS", FieldType::Double, 0},   {"VRDESCONTO", FieldType::Double, 0}};
    packet.rows = {{Variant("PONTOS"), Variant(perBlock), Variant(blockValue), Variant("JOSE DA SILVA"),
                    Variant(balance), Variant(discount)}};
    return packet;
}

class Points : public ConsumerFormTest
{
protected:
    // A sale of `rows` rows of the given quantities and total, each row carrying `earlier` as
    // its sale-level discount (a cashback granted before).
    void sale(const QList<double> &quantities, double total, double earlier = 0)
    {
        ClientDataSet &rows = data().cdsVenda;
        rows.CreateDataSet();
        for (double quantity : quantities) {
            rows.Append();
            rows.FieldByName("QTPRODCOMVEN").SetAsFloat(quantity);
            rows.FieldByName("VRDESCOMANDA").SetAsFloat(earlier);
            rows.Post();
        }
        state().totals.doTotalVenda = total;
        state().loyalty.doFidelidadeAux1 = earlier;
        state().loyalty.pointsDiscountApplied = false;
        state().settlement.stRecebAux12.clear();
        state().settlement.stRecebAux13.clear();
        state().settlement.stRecebAux14.clear();
    }
    void answer(const DataPacket &packet)
    {
        scoped.reset();
        seams = ServerSeams::current();
        seams.consumers.getDescVendaFid = [packet](const QString &, const QString &) { return Variant(packet); };
        scoped = std::make_unique<ScopedTable<ServerSeams>>(seams);
    }
    void TearDown() override
    {
        scoped.reset();
        ConsumerFormTest::TearDown();
    }
    QList<double> rowDiscounts()
    {
        QList<double> found;
        ClientDataSet &rows = data().cdsVenda;
        for (rows.First(); !rows.Eof(); rows.Next())
            found << rows.FieldByName("VRDESCOMANDA").AsFloat();
        return found;
    }

    ServerSeams seams;
    std::unique_ptr<ScopedTable<ServerSeams>> scoped;
};

TEST_P(Points, TheQuestionShowsTheBlocksAndTheDiscountLowersTheTotal)
{
    sale({1, 1}, 30.00);
    answer(offer(100, 5, 250, 10));
    messages->script({true});
    consumer().DescontoVendaFidelidade();
    ASSERT_EQ(messages->count(), 1);
    EXPECT_EQ(messages->texts().first(),
              "A cada 100 pontos, ganha-se R$ 5,00 em desconto. O consumidor JOSE DA SILVA possui um saldo total de "
              "250 pontos que podem ser utilizados como desconto nesta compra. Deseja utilizar estes pontos?");
    EXPECT_DOUBLE_EQ(state().loyalty.doFidelidadeAux1, 10.00);
    EXPECT_DOUBLE_EQ(state().totals.doTotalVenda, 20.00);
    EXPECT_EQ(context().label(FormName::lblVrTotal)->text(), "20,00");
    EXPECT_EQ(state().settlement.stRecebAux12, "E");
    EXPECT_EQ(state().settlement.stRecebAux13, "PONTOS");
    EXPECT_EQ(state().settlement.stRecebAux14, "200");
    EXPECT_EQ(rowDiscounts(), (QList<double>{10.00, 10.00}));
}

struct CapCase
{
    const char *name;
    double total;
    QList<double> quantities;
    double discount;
    double granted;
    const char *points;
};

TEST_P(Points, TheDiscountIsCappedSoEveryUnitKeepsACent)
{
    const CapCase cases[] = {
        {"above the total", 8.00, {1, 2}, 10.00, 7.97, "159"},
        {"equal to the total", 10.00, {1}, 10.00, 9.99, "199"},
    };
    for (const CapCase &c : cases) {
        SCOPED_TRACE(c.name);
        sale(c.quantities, c.total);
        answer(offer(100, 5, 1000, c.discount));
        messages->script({true});
        consumer().DescontoVendaFidelidade();
        EXPECT_DOUBLE_EQ(state().loyalty.doFidelidadeAux1, c.granted);
        EXPECT_DOUBLE_EQ(state().totals.doTotalVenda, Money::RoundDec(c.total - c.granted, 2));
        EXPECT_EQ(state().settlement.stRecebAux14, c.points);
    }
}

TEST_P(Points, NothingChangesWithoutOfferPositiveDiscountOrConsent)
{
    const struct
    {
        const char *name;
        DataPacket packet;
        bool consent;
    } cases[] = {{"no campaign", DataPacket(), true}, {"nothing to discount", offer(100, 5, 50, 0), true},
                 {"declined", offer(100, 5, 250, 10), false}, {"a cent a unit", offer(100, 5, 250, 10), true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const bool centAUnit = QString::fromLatin1(c.name) == "a cent a unit";
        sale({3}, centAUnit ? 0.03 : 30.00);
        answer(c.packet);
        messages->script({c.consent});
        consumer().DescontoVendaFidelidade();
        EXPECT_DOUBLE_EQ(state().totals.doTotalVenda, centAUnit ? 0.03 : 30.00);
        EXPECT_DOUBLE_EQ(state().loyalty.doFidelidadeAux1, 0.0);
        EXPECT_EQ(rowDiscounts(), QList<double>{0.0});
        EXPECT_TRUE(state().settlement.stRecebAux12.isEmpty());
        EXPECT_TRUE(state().settlement.stRecebAux13.isEmpty() || QString::fromLatin1(c.name) == "nothing to discount");
    }
}

TEST_P(Points, ACashbackAlreadyGrantedIsKeptAndASecondCallAddsNothing)
{
    sale({1, 1}, 30.00, 2.00);
    answer(offer(100, 5, 100, 5));
    messages->answerAlways(true);
    consumer().DescontoVendaFidelidade();
    consumer().DescontoVendaFidelidade();
    EXPECT_DOUBLE_EQ(state().loyalty.doFidelidadeAux1, 7.00);
    EXPECT_DOUBLE_EQ(state().totals.doTotalVenda, 25.00);
    EXPECT_EQ(rowDiscounts(), (QList<double>{7.00, 7.00}));
    EXPECT_EQ(messages->count(), 1);
}

struct FamilyShareCase
{
    const char *name;
    double total, discount;
    QList<double> families, expected;
};

const FamilyShareCase familyShareCases[] = {
    {"WholeShares", 10.00, 1.00, {6.00, 4.00}, {5.40, 3.60}},
    {"ThirdsCarryTheCent", 30.00, 10.00, {10.00, 10.00, 10.00}, {6.66, 6.67, 6.67}},
    {"LargestRemainderTakesTheCent", 10.00, 0.10, {3.33, 3.33, 3.34}, {3.30, 3.30, 3.30}},
};

// Each family loses its share of the discount, worked in cents: the shares add up to the
// discount, so the consumer is never debited a cent more than the discounted sale.
TEST_P(Points, APersonalCreditSaleLowersTheFamiliesByExactlyTheDiscount)
{
    for (const FamilyShareCase &c : familyShareCases) {
        SCOPED_TRACE(c.name);
        sale({1, 1}, c.total);
        state().flags.boCreditoPessoal = true;
        ClientDataSet &families = data().cdsFamiliaSaldo;
        if (!families.Active())
            families.CreateDataSet();
        families.EmptyDataSet();
        int code = 1;
        for (const double value : c.families) {
            families.Append();
            families.FieldByName("CDFAMILISALD").SetAsString(QString::number(code++).rightJustified(3, '0'));
            families.FieldByName("VRSALDCONFAM").SetAsFloat(value);
            families.Post();
        }
        answer(offer(100, 1, 100, c.discount));
        messages->script({true});
        consumer().DescontoVendaFidelidade();
        QList<double> values;
        double left = 0;
        for (families.First(); !families.Eof(); families.Next()) {
            values << families.FieldByName("VRSALDCONFAM").AsFloat();
            left += values.last();
        }
        EXPECT_EQ(values, c.expected);
        EXPECT_DOUBLE_EQ(Money::RoundDec(left, 2), Money::RoundDec(c.total - c.discount, 2));
    }
}

TEST_P(Points, AFailedLookupIsShownAndChangesNothing)
{
    sale({1}, 30.00);
    scoped.reset();
    seams = ServerSeams::current();
    seams.consumers.getDescVendaFid = [](const QString &, const QString &) { return Variant::failure("sem base"); };
    scoped = std::make_unique<ScopedTable<ServerSeams>>(seams);
    consumer().DescontoVendaFidelidade();
    EXPECT_DOUBLE_EQ(state().totals.doTotalVenda, 30.00);
    ASSERT_EQ(messages->count(), 1);
    EXPECT_EQ(messages->calls().first().kind, Ravuvozozod::Error);
}

INSTANTIATE_TEST_SUITE_P(Kinds, Points, ::testing::Values(DatabaseKind::SQLite), databaseKindName);

} // namespace
