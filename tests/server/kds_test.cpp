#include <support/databasefixture.h>

#include <server/srv_kds.h>

#include <runtime/datapacket.h>

namespace {

using namespace Srv_Kal51000;

// Kitchen display orders: finishing, finding and withdrawing them.
class KitchenDisplay : public DatabaseTest
{
protected:
    static Variant salePacket(const QString &branch, const QString &receipt, const QString &consumer,
                              const QString &restaurantSale = QString(), const QString &tabs = QString())
    {
        DataPacket packet;
        for (const char *name : {"CDFILIAL", "NRCUPOMFIS", "NMCONSVEND", "NRVENDAREST", "NRCOMANDAVND"})
            packet.fields.append(FieldDef{name, FieldType::String, 60});
        packet.rows.append({branch, receipt, consumer, restaurantSale, tabs});
        return packet;
    }

    void addSale(const QString &branch, const QString &desk, const QString &sequence, const QString &receipt,
                 const Variant &satNumber = Variant::null())
    {
        exec("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRCUPOMFIS, NRNOTAFISCALCE) VALUES (:F, :C, :S, :R, :N)",
             {{"F", branch}, {"C", desk}, {"S", sequence}, {"R", receipt}, {"N", satNumber}});
    }
    void addOrder(const QString &branch, const QString &order, const QString &key, const QString &tab = QString())
    {
        exec("INSERT INTO PEDIDOQUB (CDFILIAL, NRPEDIDOQUB, DSPEDIDOQUB, NRCOMANDA) VALUES (:F, :O, :K, :T)",
             {{"F", branch}, {"O", order}, {"K", key}, {"T", tab}});
    }
    void addOrderItem(const QString &branch, const QString &order, const QString &item, const QString &sector,
                      const Variant &state = Variant::null(), const QString &saleSequence = QString())
    {
        exec("INSERT INTO ITPEDIDOQUB (CDFILIAL, NRPEDIDOQUB, NRITPEDIDOQUB, CDSETOR, IDSITITPEDQUB, NRSEQVENDA) "
             "VALUES (:F, :O, :I, :S, :E, :V)",
             {{"F", branch}, {"O", order}, {"I", item}, {"S", sector}, {"E", state}, {"V", saleSequence}});
    }
    void addSectors()
    {
        exec("INSERT INTO SETOR (CDSETOR, IDTIPOSETOR) VALUES ('E1', 'E'), ('M1', 'M'), ('P1', 'P')");
    }
    QString orderField(const QString &branch, const QString &order, const char *column)
    {
        return rows(QStringLiteral("SELECT %1 FROM PEDIDOQUB WHERE CDFILIAL = :F AND NRPEDIDOQUB = :O")
                        .arg(QLatin1String(column)),
                    {{"F", branch}, {"O", order}})
            .value(0)
            .value(0)
            .toString();
    }
    // "item=state" of the order's items, by item number.
    QStringList itemStates(const QString &branch, const QString &order, const char *column = "IDSITITPEDQUB")
    {
        QStringList states;
        for (const auto &row : rows(QStringLiteral("SELECT NRITPEDIDOQUB, %1 FROM ITPEDIDOQUB WHERE CDFILIAL = :F "
                                                   "AND NRPEDIDOQUB = :O ORDER BY NRITPEDIDOQUB")
                                        .arg(QLatin1String(column)),
                                    {{"F", branch}, {"O", order}}))
            states.append(row.at(0).toString() + QLatin1Char('=') + row.at(1).toString());
        return states;
    }
};

TEST_P(KitchenDisplay, FinalizaGivesTheCounterOrderItsPasswordNameAndSale)
{
    addSale("1", "01", "555", "000123");
    addOrder("1", "9", "01-000123");
    addOrderItem("1", "9", "1", "E1");
    addOrderItem("1", "9", "2", "P1");
    addOrder("1", "10", "01-000124"); // another receipt
    addOrderItem("1", "10", "1", "E1");
    addOrder("2", "9", "01-000123"); // another branch, same key
    addOrderItem("2", "9", "1", "E1");

    EXPECT_EQ(FinalizaPedidoKDS(salePacket("1", "000123", "Maria"), "01", "0042", false), Variant());
    EXPECT_EQ(orderField("1", "9", "CDSENHAPED"), "0042");
    EXPECT_EQ(orderField("1", "9", "NMCONSUMIDOR"), "Maria");
    EXPECT_EQ(itemStates("1", "9", "NRSEQVENDA"), (QStringList{"1=555", "2=555"}));
    EXPECT_EQ(orderField("1", "10", "CDSENHAPED"), "");
    EXPECT_EQ(itemStates("1", "10", "NRSEQVENDA"), QStringList{"1="});
    EXPECT_EQ(orderField("2", "9", "CDSENHAPED"), "");
    EXPECT_EQ(itemStates("2", "9", "NRSEQVENDA"), QStringList{"1="});
}

struct SatKeyCase
{
    const char *name;
    QList<Variant> satNumbers; // NRNOTAFISCALCE of the desk's sales
    const char *key;
};

TEST_P(KitchenDisplay, SatTillKeysCarryTheNextSatNumber)
{
    const QList<SatKeyCase> cases{
        {"no SAT number yet", {Variant::null()}, "01-0001231"},
        {"blank SAT number", {Variant("")}, "01-0001231"},
        {"highest plus one", {Variant("9"), Variant("41"), Variant::null()}, "01-00012342"},
    };
    for (const SatKeyCase &c : cases) {
        exec("DELETE FROM VENDA");
        exec("DELETE FROM PEDIDOQUB");
        int sequence = 0;
        for (const Variant &number : c.satNumbers) {
            ++sequence;
            addSale("1", "01", QString::number(sequence), sequence == 1 ? "000123" : "000100", number);
        }
        addOrder("1", "9", c.key);
        EXPECT_EQ(GetNrPedidoQub("1", "01", "000123", true), "9") << c.name;
        EXPECT_EQ(FinalizaPedidoKDS(salePacket("1", "000123", "Ana"), "01", "0007", true), Variant()) << c.name;
        EXPECT_EQ(orderField("1", "9", "CDSENHAPED"), "0007") << c.name;
    }
}

TEST_P(KitchenDisplay, NrPedidoQubFindsTheCounterOrder)
{
    addOrder("1", "9", "01-000123");
    EXPECT_EQ(GetNrPedidoQub("1", "01", "000123", false), "9");
    EXPECT_EQ(GetNrPedidoQub("1", "01", "000124", false), "");
    EXPECT_EQ(GetNrPedidoQub("2", "01", "000123", false), "");
    exec("DROP TABLE PEDIDOQUB");
    EXPECT_FALSE(GetNrPedidoQub("1", "01", "000123", false).isEmpty()) << "the error text";
}

TEST_P(KitchenDisplay, FinalizaOfAnUnknownOrderOrSaleChangesNothing)
{
    addOrder("1", "9", "01-000123");
    addOrderItem("1", "9", "1", "E1", Variant::null(), "777");
    EXPECT_EQ(FinalizaPedidoKDS(salePacket("1", "000999", "Maria"), "01", "0042", false), Variant());
    EXPECT_EQ(orderField("1", "9", "CDSENHAPED"), "");
    // the order is found but its sale is not: the items keep their link
    EXPECT_EQ(FinalizaPedidoKDS(salePacket("1", "000123", "Maria"), "01", "0042", false), Variant());
    EXPECT_EQ(orderField("1", "9", "CDSENHAPED"), "0042");
    EXPECT_EQ(itemStates("1", "9", "NRSEQVENDA"), QStringList{"1=777"});
}

TEST_P(KitchenDisplay, FinalizaRefusesAMissingSaleAndReportsFailures)
{
    EXPECT_TRUE(FinalizaPedidoKDS(Variant("x"), "01", "0042", false).isFailure());
    EXPECT_TRUE(FinalizaPedidoKDS(Variant(DataPacket{}), "01", "0042", false).isFailure());
    exec("DROP TABLE PEDIDOQUB");
    EXPECT_TRUE(FinalizaPedidoKDS(salePacket("1", "000123", "Maria"), "01", "0042", false).isFailure());
}

TEST_P(KitchenDisplay, CancelaLeavesWhatTheKitchenFinished)
{
    addSectors();
    addOrder("1", "9", "101555"); // branch, desk and sale sequence one after the other
    addOrderItem("1", "9", "1", "E1");
    addOrderItem("1", "9", "2", "E1", "X");
    addOrderItem("1", "9", "3", "M1", "F");
    addOrderItem("1", "9", "4", "P1", "F");
    addOrderItem("1", "9", "5", "P1", "X");
    addOrderItem("1", "9", "6", "P1", "A");
    addOrderItem("1", "9", "7", "Z9", "A"); // sector not registered
    addOrder("1", "10", "101556");          // another sale's order
    addOrderItem("1", "10", "1", "E1");
    addOrder("2", "9", "101555"); // another branch
    addOrderItem("2", "9", "1", "E1");

    EXPECT_EQ(CancelaPedidoKDS(salePacket("1", "000123", ""), "01", "1", "555", false), Variant());
    EXPECT_EQ(itemStates("1", "9"), (QStringList{"1=C", "2=X", "3=C", "4=F", "5=X", "6=C", "7=A"}));
    EXPECT_EQ(itemStates("1", "10"), QStringList{"1="});
    EXPECT_EQ(itemStates("2", "9"), QStringList{"1="});
}

TEST_P(KitchenDisplay, CancelaOfATableSaleMatchesEachOfItsTabsAsAWholeNumber)
{
    addSectors();
    addOrder("1", "20", "MESA", "12");
    addOrderItem("1", "20", "1", "E1", Variant::null(), "555");
    addOrder("1", "21", "MESA", "13");
    addOrderItem("1", "21", "1", "E1", Variant::null(), "555");
    addOrder("1", "22", "MESA", "1"); // contained in "12" but another tab
    addOrderItem("1", "22", "1", "E1", Variant::null(), "555");
    addOrder("1", "23", "MESA", "123");
    addOrderItem("1", "23", "1", "E1", Variant::null(), "555");
    addOrder("1", "24", "MESA", "12"); // the same tab in another sale
    addOrderItem("1", "24", "1", "E1", Variant::null(), "556");

    EXPECT_EQ(CancelaPedidoKDS(salePacket("1", "000123", "", "100", "12,13"), "01", "1", "555"), Variant());
    EXPECT_EQ(itemStates("1", "20"), QStringList{"1=C"});
    EXPECT_EQ(itemStates("1", "21"), QStringList{"1=C"});
    EXPECT_EQ(itemStates("1", "22"), QStringList{"1="});
    EXPECT_EQ(itemStates("1", "23"), QStringList{"1="});
    EXPECT_EQ(itemStates("1", "24"), QStringList{"1="});
}

TEST_P(KitchenDisplay, CancelaOfNothingFoundIsNoFailure)
{
    EXPECT_EQ(CancelaPedidoKDS(salePacket("1", "000123", ""), "01", "1", "555"), Variant());
    EXPECT_EQ(CancelaPedidoKDS(salePacket("1", "000123", "", "100", "12"), "01", "1", "555"), Variant());
}

TEST_P(KitchenDisplay, CancelaRefusesAMissingSaleAndReportsFailures)
{
    EXPECT_TRUE(CancelaPedidoKDS(Variant(), "01", "1", "555").isFailure());
    exec("DROP TABLE ITPEDIDOQUB");
    EXPECT_TRUE(CancelaPedidoKDS(salePacket("1", "000123", "", "100", "12"), "01", "1", "555").isFailure());
    EXPECT_TRUE(CancelaPedidoKDS(salePacket("1", "000123", ""), "01", "1", "555").isFailure() == false)
        << "a counter sale whose order is not found never reaches the items";
    addOrder("1", "9", "101555");
    EXPECT_TRUE(CancelaPedidoKDS(salePacket("1", "000123", ""), "01", "1", "555").isFailure());
}

VENDACONS_DATABASE_KINDS(KitchenDisplay);

} // namespace
