// The production tickets the order writes for a table order (kitchen and bar), compared whole
// with their golden file.
#include "orderfixture.h"

#include <order/orderentry.h>
#include <order/tickets.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <runtime/clientdataset.h>
#include <runtime/datapacket.h>

#include <support/golden.h>

#include <algorithm>
#include <utility>

namespace {

using Row = QList<std::pair<const char *, Variant>>;

void append(ClientDataSet &dataset, const Row &row)
{
    if (!dataset.Active())
        dataset.CreateDataSet();
    dataset.Append();
    for (const auto &[field, value] : row)
        EXPECT_TRUE(dataset.FieldByName(QString::fromLatin1(field)).SetValue(value)) << field;
    dataset.Post();
}

// Every ticket in the order it was written (numbered down from 999), one "FIELD=value" line
// per field that holds a value, a blank line between tickets.
QString describeTickets(const DataPacket &packet)
{
    QList<int> order;
    for (int r = 0; r < packet.rows.size(); ++r)
        order.append(r);
    std::sort(order.begin(), order.end(), [&packet](int a, int b) {
        return packet.value(a, "NRSEQITEM").toInt() > packet.value(b, "NRSEQITEM").toInt();
    });
    QString text;
    for (int r : order) {
        for (int f = 0; f < packet.fields.size(); ++f) {
            const QString value = packet.value(r, packet.fields.at(f).name).toString();
            if (!value.isEmpty())
                text += packet.fields.at(f).name + QLatin1Char('=') + value + QLatin1Char('\n');
        }
        text += QLatin1Char('\n');
    }
    return text;
}

class GoldenTickets : public OrderTest
{
protected:
    void SetUp() override
    {
        OrderTest::SetUp();
        if (HasFatalFailure())
            return;
        SaleState &s = state();
        s.host.stModoVenda = "M";
        s.host.stNRCOMANDA = "0000000123";
        s.host.stNRMESA = "0012";
        s.host.stCDVENDEDOR = "0007";
        s.host.stNrComandaExib = "123";
        s.settlement.stSenhaPedido = "042";
        data().cdsItPromoComb.CreateDataSet();
        ClientDataSet &products = data().cdsProdutos;
        products.FieldDefs().Add("CDPRODUTO", FieldType::String, 20);
        products.FieldDefs().Add("NMPRODUTO", FieldType::String, 50);
        products.FieldDefs().Add("CDARVPROD", FieldType::String, 20);
        products.CreateDataSet();
    }
    void store(const QString &product, const QString &port)
    {
        append(data().cdsPortaProd, {{"CDLOJA", "01"}, {"CDPRODUTO", product}, {"CDARVPROD", "ARV" + product},
                                     {"CDPORIMPPROD", port}, {"MODELOPROD", "07"}});
    }
    void line(const QString &seq, const QString &product, const QString &name, const QString &quantity,
              double price, const QString &observation)
    {
        append(data().cdsItems, {{"NRSEQ", seq}, {"CDPRODUTO", product}, {"NMPRODUTO", name}, {"CDLOJA", "01"},
                                 {"CDLOJAIT", "01"}, {"QTPRODCOMVEN", quantity}, {"VRPRECCOMVEN", price},
                                 {"VRDESCCOMVEN", 0.0}, {"CDPRODPROMOCAO", product}, {"IDPROMOCAO", "N"},
                                 {"IDOBSERVACAO", "N"}, {"STOBSPEDIDO", observation}, {"NRLUGARMESA", "02"},
                                 {"DTINCLUSAO", now}});
    }
};

TEST_F(GoldenTickets, KitchenAndBarTicketsOfATableOrder)
{
    store("P1", "cups:Cozinha");
    store("P2", "cups:Bar");
    store("P3", "cups:Cozinha");
    line("001", "P1", "Prato feito", "1", 25.9, "sem sal");
    line("002", "P2", "Suco de laranja", "2", 7.5, "sem gelo");
    line("003", "P3", "Pudim", "1", 8.0, "");
    const OrderEntry::TicketContext ticketContext{"JOAO", "ANA", "S1", "000123", "A", "77"};

    Tickets::TicketBuilder(form().context(), ticketContext).build();

    expectMatchesGolden("order_tickets_table_order", describeTickets(data().cdsImprimePedido.Data()));
}

} // namespace
