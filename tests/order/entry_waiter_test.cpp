// The waiter check against the waiter, operator and branch-operator copies.
#include "entryfixture.h"

#include <order/orderentry.h>
#include <sale/salecontext.h>

namespace {

class EntryWaiter : public EntryTest
{
protected:
    void SetUp() override
    {
        EntryTest::SetUp();
        load(data().cdsGarcom, {"CDVENDEDOR", "NMFANVEN", "CDOPERADOR", "CDFILIAL", "CDCAIXA"},
             {{"0012", "ANA", "000000000031", "", ""}, {"0013", "RUI", "000000000032", "0002", ""}});
        load(data().cdsOperador, {"CDOPERADOR"}, {{"000000000031"}});
        load(data().cdsFiliOper, {"CDOPERADOR", "CDFILIAL"}, {{"000000000031", "0009"}});
    }
    void load(ClientDataSet &dataset, const QStringList &fields, const QList<QStringList> &rows)
    {
        DataPacket packet;
        for (const QString &field : fields)
            packet.fields.append(FieldDef{field, FieldType::String, 20});
        for (const QStringList &row : rows)
            packet.rows.append(QList<Variant>(row.begin(), row.end()));
        ASSERT_TRUE(dataset.SetData(packet));
    }
    OrderEntry &order() { return form->context().order(); }
    QString name;
};

TEST_F(EntryWaiter, AnEmptyCodeIsAcceptedAndClearsTheWaiter)
{
    state().host.stCDVENDEDOR = QStringLiteral("0012");
    EXPECT_TRUE(order().ValidaGarcom(name, QString(), QString()));
    EXPECT_EQ(state().host.stCDVENDEDOR, QString());
}

TEST_F(EntryWaiter, AnOperatorCodeIsReplacedByTheWaitersCode)
{
    EXPECT_TRUE(order().ValidaGarcom(name, QStringLiteral("31"), QString()));
    EXPECT_EQ(name, QStringLiteral("ANA"));
    EXPECT_EQ(state().host.stCDVENDEDOR, QStringLiteral("0012"));
}

TEST_F(EntryWaiter, TheBranchChecksRunOnlyForKindOne)
{
    EXPECT_TRUE(order().ValidaGarcom(name, QStringLiteral("12"), QString()));
    EXPECT_FALSE(order().ValidaGarcom(name, QStringLiteral("12"), QStringLiteral("1")));
    EXPECT_EQ(lastMessage(), QStringLiteral("Operador não está associado a filial."));
    EXPECT_FALSE(order().ValidaGarcom(name, QStringLiteral("13"), QStringLiteral("1")));
    EXPECT_EQ(lastMessage(), QStringLiteral("Garçom não está associado a filial."));
}

TEST_F(EntryWaiter, AnUnknownWaiterIsRefused)
{
    EXPECT_FALSE(order().ValidaGarcom(name, QStringLiteral("99"), QString()));
    EXPECT_EQ(lastMessage(), QStringLiteral("Garçom não cadastrado."));
}

} // namespace
