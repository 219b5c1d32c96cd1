// Production tickets: the printers of each ticket, the four kinds of ticket, the prints of an
// order, and the print parameter record.
#include "orderfixture.h"

#include <order/orderentry.h>
#include <order/tickets.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <runtime/clientdataset.h>
#include <runtime/clock.h>

#include <support/golden.h>

#include <QTimer>

#include <algorithm>
#include <stdexcept>
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

// ---- printer choice -------------------------------------------------------------------------

struct PrinterCase
{
    const char *name;
    Row store;          // the store row of product "P1" at store "01"; empty: none
    Row room;           // the room row of "P1" in room "S1"; empty: none
    QString secondSequence; // the till's stNRSEQIMPRLOJA2
    const char *port, *model, *port2, *model2, *pullPort, *pullModel;
    const char *address, *address2, *pullAddress;
};

const Row fullStore{{"CDLOJA", "01"}, {"CDPRODUTO", "P1"}, {"CDPORIMPPROD", "cups:Cozinha"}, {"MODELOPROD", "07"},
                    {"CDPORIMPPROD2", "cups:Bar"}, {"MODELOPROD2", "08"}, {"PORTAPUXA", "cups:Expedicao"},
                    {"MODELOPUXA", "09"}, {"NRSEQIMPRPROD", "11"}, {"NRSEQIMPRPROD2", "12"},
                    {"NRSEQIMPRPUXA", "13"}};
const Row emptyStore{{"CDLOJA", "01"}, {"CDPRODUTO", "P1"}};
const Row room{{"CDPRODUTO", "P1"}, {"CDAMBIENTE", "S1"}, {"NRSEQIMPRLOJA", "21"}, {"IDMODEIMPRES", "05"},
               {"CDPORTAIMPR", "cups:Salao"}};

class PrinterChoiceTest : public ::testing::TestWithParam<PrinterCase>
{
protected:
    ClientDataSet stores{QStringLiteral("cdsPortaProd")};
    ClientDataSet rooms{QStringLiteral("cdsProdAmbiente")};
    ClientDataSet backups{QStringLiteral("cdsImpBackup")};

    void SetUp() override
    {
        SaleDatasets defs;
        for (auto [target, source] : {std::pair{&stores, &defs.cdsPortaProd}, {&rooms, &defs.cdsProdAmbiente},
                                      {&backups, &defs.cdsImpBackup}}) {
            for (int i = 0; i < source->FieldDefs().Count(); ++i) {
                const FieldDef &def = source->FieldDefs().at(i).def;
                target->FieldDefs().Add(def.name, def.type, def.size);
            }
            target->CreateDataSet();
        }
        for (const char *sequence : {"1", "2", "5", "11", "12", "13", "21"})
            append(backups, {{"NRSEQIMPRLOJA", sequence}, {"DSENDPORTA", QStringLiteral("END") + sequence}});
    }
};

Tickets::TillPrinters till(const QString &secondSequence)
{
    Tickets::TillPrinters t;
    t.primaryPort = "cups:Caixa1";
    t.primaryModel = "01";
    t.secondaryPort = "cups:Caixa5";
    t.secondaryModel = "05";
    t.pullPort = "cups:Caixa2";
    t.pullModel = "02";
    t.primarySequence = "1";
    t.secondarySequence = secondSequence;
    t.pullSequence = "5";
    return t;
}

TEST_P(PrinterChoiceTest, FallsBackFromStoreToRoomToTill)
{
    const PrinterCase &c = GetParam();
    if (!c.store.isEmpty())
        append(stores, c.store);
    if (!c.room.isEmpty())
        append(rooms, c.room);
    Tickets::PrinterLookup lookup(stores, rooms, backups, till(c.secondSequence), "s1");
    const auto choice = lookup.choose("01", "p1");
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->CDPORIMPPROD, c.port);
    EXPECT_EQ(choice->IDMODEIMPRES, c.model);
    EXPECT_EQ(choice->CDPORIMPPROD2, c.port2);
    EXPECT_EQ(choice->IDMODEIMPRES2, c.model2);
    EXPECT_EQ(choice->PORTAPUXA, c.pullPort);
    EXPECT_EQ(choice->MODELOPUXA, c.pullModel);
    EXPECT_EQ(choice->DSENDPORTA, c.address);
    EXPECT_EQ(choice->DSENDPORTA2, c.address2);
    EXPECT_EQ(choice->DSENDPORTAPUXA, c.pullAddress);
}

INSTANTIATE_TEST_SUITE_P(
    Tickets, PrinterChoiceTest,
    ::testing::Values(
        PrinterCase{"StoreRowWins", fullStore, room, "", "cups:Cozinha", "07", "cups:Bar", "08", "cups:Expedicao",
                    "09", "END11", "END12", "END13"},
        PrinterCase{"RoomRowForAnEmptyStoreRow", emptyStore, room, "", "cups:Salao", "05", "cups:Caixa5", "05", "",
                    "", "END21", "", "END5"},
        PrinterCase{"TillDefaultsWithoutRoomRow", emptyStore, {}, "", "cups:Caixa1", "01", "cups:Caixa5", "05", "", "",
                    "END1", "", "END5"},
        PrinterCase{"TillSecondSequenceTakesEveryPullPrinter", fullStore, {}, "2", "cups:Cozinha", "07", "cups:Bar",
                    "08", "cups:Caixa2", "02", "END11", "END12", "END13"},
        PrinterCase{"TillSequencesGiveTheAddresses", emptyStore, {}, "2", "cups:Caixa1", "01", "cups:Caixa5", "05",
                    "cups:Caixa2", "02", "END1", "END2", "END5"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(PrinterChoiceTest, NoStoreRowNoTicketAndNoBackupRowNoAddress)
{
    append(stores, {{"CDLOJA", "01"}, {"CDPRODUTO", "P1"}, {"NRSEQIMPRPROD", "99"}});
    Tickets::PrinterLookup lookup(stores, rooms, backups, till(""), "");
    EXPECT_FALSE(lookup.choose("02", "P1").has_value());
    EXPECT_FALSE(lookup.choose("01", "P2").has_value());
    EXPECT_EQ(lookup.choose("01", "P1")->DSENDPORTA, "");
}

// ---- the tickets of an order ----------------------------------------------------------------

class TicketsTest : public OrderTest
{
protected:
    void SetUp() override
    {
        OrderTest::SetUp();
        SaleState &s = state();
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
        Clock::setSleeper([this](int ms) { sleeps << QStringLiteral("%1 after %2").arg(ms).arg(host->calls().size()); });
    }
    void TearDown() override
    {
        Clock::setSleeper({});
        OrderTest::TearDown();
    }

    void store(const QString &product, const Row &more = {})
    {
        Row row{{"CDLOJA", "01"}, {"CDPRODUTO", product}, {"CDARVPROD", "ARV" + product},
                {"CDPORIMPPROD", "cups:Cozinha"}};
        row += more;
        append(data().cdsPortaProd, row);
    }
    void line(const QString &seq, const QString &product, const QString &name, const Row &more = {})
    {
        Row row{{"NRSEQ", seq}, {"CDPRODUTO", product}, {"NMPRODUTO", name}, {"CDLOJA", "01"}, {"CDLOJAIT", "01"},
                {"QTPRODCOMVEN", "1"}, {"VRPRECCOMVEN", 10.0}, {"VRDESCCOMVEN", 0.5}, {"CDPRODPROMOCAO", product},
                {"IDPROMOCAO", "N"}, {"IDOBSERVACAO", "N"}, {"STOBSPEDIDO", "sem sal"}, {"NRLUGARMESA", "01"},
                {"DTINCLUSAO", Clock::now()}};
        for (const auto &[field, value] : more) {
            auto same = std::find_if(row.begin(), row.end(), [&](const auto &p) { return qstrcmp(p.first, field) == 0; });
            if (same != row.end())
                same->second = value;
            else
                row.append({field, value});
        }
        append(data().cdsItems, row);
    }
    OrderEntry::TicketContext context() const
    {
        return {"JOAO", "ANA", "S1", "000123", "A", "77"};
    }
    void build()
    {
        const auto ticketContext = context();
        Tickets::TicketBuilder(form().context(), ticketContext).build();
    }
    void print()
    {
        order().ImprimeProducao(context());
    }
    // Tickets in the order they were written (numbered down from 999).
    QStringList tickets(const char *field) const
    {
        QList<std::pair<int, QString>> rows;
        const DataPacket packet = const_cast<TicketsTest *>(this)->data().cdsImprimePedido.Data();
        for (int r = 0; r < packet.rows.size(); ++r)
            rows.append({packet.value(r, "NRSEQITEM").toInt(), packet.value(r, field).toString()});
        std::sort(rows.begin(), rows.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
        QStringList values;
        for (const auto &row : rows)
            values << row.second;
        return values;
    }
    QStringList kinds() const
    {
        QStringList found;
        for (const NonFiscalPrintRequest &r : host->requests(&Pkg_Hrk00002::DisparaImpressaoNaoFiscal))
            found << r.kind;
        return found;
    }
    QStringList sleeps;
};

TEST_F(TicketsTest, PlainLinesGiveLineTicketsNumberedWithoutGaps)
{
    store("P1");
    store("P3");
    line("001", "P1", "Prato feito");
    line("002", "P2", "Sem impressora");
    line("003", "P3", "Suco", {{"QTPRODCOMVEN", "-2"}});
    build();
    EXPECT_EQ(tickets("NMPRODUTO"), QStringList({"Prato feito", "Suco"}));
    EXPECT_EQ(tickets("NRSEQITEM"), QStringList({"999", "998"}));
    EXPECT_EQ(tickets("QTPRODCOMVEN"), QStringList({"1", "2"}));
    EXPECT_EQ(tickets("QTPRODCOMBO"), QStringList({"1", "-2"}));
    EXPECT_EQ(tickets("DSOBSERVACAO"), QStringList({"sem sal", "sem sal"}));
    EXPECT_EQ(tickets("VRDESCCOMVEN"), QStringList({"0,5", "0,5"}));
    EXPECT_EQ(tickets("NMVENDEDOR"), QStringList({"JOAO", "JOAO"}));
    EXPECT_EQ(tickets("NMCONSVEND"), QStringList({"ANA", "ANA"}));
    EXPECT_EQ(tickets("IDCOMANDA"), QStringList({"2", "2"}));
    EXPECT_EQ(tickets("SENHACUPOM"), QStringList({"042", "042"}));
    EXPECT_EQ(tickets("CDOPERADOR"), QStringList({"000000000007", "000000000007"}));
}

TEST_F(TicketsTest, ChildLinesGetTicketsOnlyAsObservationItems)
{
    store("P1");
    store("OBS");
    line("001", "P1", "Prato");
    line("002", "OBS", "Bem passado", {{"NRSEQPRODPAI", "001"}, {"IDOBSERVACAO", "S"}});
    line("003", "P1", "Componente", {{"NRSEQPRODPAI", "001"}});
    build();
    EXPECT_EQ(tickets("NMPRODUTO"), QStringList({"Prato", "Bem passado"}));
    EXPECT_EQ(tickets("NRSEQPRODPAI"), QStringList({"", "001"}));
}

TEST_F(TicketsTest, CombinedGroupGivesOneParentTicket)
{
    store("PAI");
    store("A");
    store("B");
    append(data().cdsProdutos, {{"CDPRODUTO", "PAI"}, {"NMPRODUTO", "Combinado da casa"}});
    line("001", "A", "Metade A", {{"CDPRODPROMOCAO", "PAI"}, {"NRSEQPRODCOM", "001"}, {"QTPRODCOMVEN", "0,5"}});
    line("002", "B", "Metade B", {{"CDPRODPROMOCAO", "PAI"}, {"NRSEQPRODCOM", "001"}, {"QTPRODCOMVEN", "0,5"}});
    build();
    EXPECT_EQ(tickets("NMPRODUTO"), QStringList({"Combinado da casa", "Metade A", "Metade B"}));
    EXPECT_EQ(tickets("CDPRODUTO"), QStringList({"PAI", "A", "B"}));
    EXPECT_EQ(tickets("IDPROMOCAO"), QStringList({"N", "", ""}));
    EXPECT_EQ(tickets("NRSEQ"), QStringList({"", "001", "002"}));
    EXPECT_EQ(tickets("NRSEQPRODCOM"), QStringList({"001", "001", "001"}));
    EXPECT_EQ(tickets("DSOBSERVACAO"), QStringList({"", "sem sal", "sem sal"}));
    EXPECT_EQ(tickets("VRPRECCOMVEN"), QStringList({"", "10", "10"}));
}

struct PromotionCase
{
    const char *name;
    const char *model;        // MODELOPROD of the promotion's store row
    const char *position;     // stIDPOSOBSPED
    QStringList products;     // tickets written
    QStringList observations; // their DSOBSERVACAO
};

class PromotionTest : public TicketsTest, public ::testing::WithParamInterface<PromotionCase>
{
};

TEST_P(PromotionTest, HeaderOnModel12AndComponentsInTheirOrder)
{
    const PromotionCase &c = GetParam();
    state().editParams().stIDPOSOBSPED = c.position;
    store("COMBO", {{"MODELOPROD", c.model}});
    store("X");
    store("Y");
    line("001", "COMBO", "Combo", {{"IDPROMOCAO", "S"}, {"STOBSPEDIDO", "viagem"}});
    for (const Row &component :
         {Row{{"NRORDITEM", 2}, {"CDPRODUTO", "Y"}, {"NMPRODUTO", "Refri"}, {"TXPRODCOMVENEST", "gelo"}},
          Row{{"NRORDITEM", 1}, {"CDPRODUTO", "X"}, {"NMPRODUTO", "Lanche"}, {"TXPRODCOMVENEST", ""}},
          Row{{"NRORDITEM", 3}, {"CDPRODUTO", "Z"}, {"NMPRODUTO", "Sem impressora"}}}) {
        Row row{{"NRSEQ", "001"}, {"CDPRODVENDA", "COMBO"}, {"QTPRODVEND", 1.0}};
        append(data().cdsItPromoComb, row + component);
    }
    append(data().cdsItPromoComb, {{"NRSEQ", "002"}, {"CDPRODVENDA", "COMBO"}, {"CDPRODUTO", "X"}, {"NRORDITEM", 1}});
    build();
    EXPECT_EQ(tickets("NMPRODUTO"), c.products);
    EXPECT_EQ(tickets("DSOBSERVACAO"), c.observations);
    const int components = 2;
    EXPECT_EQ(tickets("DSOBSPRODPAI").mid(c.products.size() - components), QStringList({"viagem", "viagem"}));
    EXPECT_EQ(tickets("NOMEPRODPAI").mid(c.products.size() - components), QStringList({"Combo", "Combo"}));
    const ClientDataSet &list = data().cdsItPromoComb;
    EXPECT_EQ(list.IndexName(), "");
    EXPECT_FALSE(list.Filtered());
    EXPECT_FALSE(list.HasFilter());
    EXPECT_EQ(list.RecordCount(), 4);
}

INSTANTIATE_TEST_SUITE_P(
    Tickets, PromotionTest,
    ::testing::Values(
        PromotionCase{"ObservationAhead", "12", "A", {"Combo", "Lanche", "Refri"}, {"viagem", "", "gelo"}},
        PromotionCase{"ObservationWhenOneLine", "12", "D", {"Combo", "Lanche", "Refri"}, {"viagem", "", "gelo"}},
        PromotionCase{"NoObservationOtherwise", "12", "N", {"Combo", "Lanche", "Refri"}, {"", "", "gelo"}},
        PromotionCase{"NoHeaderWithoutModel12", "07", "A", {"Lanche", "Refri"}, {"", "gelo"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TicketsTest, PromotionHeaderCarriesOnlyModel12AndNoPullPrinter)
{
    store("COMBO", {{"MODELOPROD", "12"}, {"MODELOPROD2", "08"}, {"PORTAPUXA", "cups:Puxa"}, {"MODELOPUXA", "03"}});
    line("001", "COMBO", "Combo", {{"IDPROMOCAO", "S"}});
    build();
    EXPECT_EQ(tickets("IDMODEIMPRES"), QStringList({"12"}));
    EXPECT_EQ(tickets("IDMODEIMPRES2"), QStringList({""}));
    EXPECT_EQ(tickets("PORTAPUXA"), QStringList({""}));
}

// ---- the prints of an order -----------------------------------------------------------------

TEST_F(TicketsTest, CounterPrintsReceiptWithTicketsThenTheTicketsAlone)
{
    state().editParams().stIDIMPPEDPROD = "S";
    state().startup.stInicializaAux1 = "CUPOM_PEDIDO";
    data().cdsVenda.CreateDataSet();
    data().cdsImpImposto.CreateDataSet();
    append(data().cdsMovCaixa, {{"VRMOVIVEND", 30.0}, {"IDTIPOMOVIVE", "E"}});
    append(data().cdsMovCaixa, {{"VRMOVIVEND", 12.5}, {"IDTIPOMOVIVE", "T"}});
    append(data().cdsMovCaixa, {{"VRMOVIVEND", 99.0}, {"IDTIPOMOVIVE", "S"}});
    store("P1");
    line("001", "P1", "Prato");
    print();
    EXPECT_EQ(kinds(), QStringList({"CUPOM_PEDIDO", "PEDIDO"}));
    const auto requests = host->requests(&Pkg_Hrk00002::DisparaImpressaoNaoFiscal);
    EXPECT_TRUE(requests.at(0).tickets.isPacket());
    EXPECT_TRUE(requests.at(0).sale.isPacket());
    EXPECT_TRUE(requests.at(1).tickets.isPacket());
    EXPECT_FALSE(requests.at(1).sale.isPacket());
    EXPECT_EQ(requests.at(1).parameters.value(0, "TOTALPAGO").toDouble(), 42.5);
    EXPECT_EQ(requests.at(1).parameters.value(0, "NRSEQVENDA").toString(), "000123");
    EXPECT_TRUE(sleeps.isEmpty()) << sleeps.join(", ").toStdString(); // no card receipt follows: no pause
    EXPECT_EQ(host->count(&Pkg_Hrk00001::FinalizaTransTef), 0);
}

TEST_F(TicketsTest, CardTransactionConfirmedBeforeTheReceiptAndItsReceiptAfter)
{
    state().settlement.stCompraCredAux2 = "10,00";
    state().editParams().stIDUTILTEF = "T";
    state().editParams().stCDPORTIMPNF3 = "cups:Caixa3";
    append(data().cdsMovCaixa, {{"VRMOVIVEND", 10.0}, {"IDTIPOMOVIVE", "T"}});
    store("P1");
    line("001", "P1", "Prato");
    print();
    EXPECT_EQ(host->routines(), QStringList({"FinalizaTransTef", "DisparaImpressaoNaoFiscal", "ImprimeCupomTef"}));
    EXPECT_EQ(sleeps, QStringList({"1000 after 2"}));
    EXPECT_TRUE(host->last(&Pkg_Hrk00001::FinalizaTransTef).confirm);
    const TefReceiptRequest card = host->last(&Pkg_Hrk00001::ImprimeCupomTef);
    EXPECT_EQ(card.port, "cups:Caixa3");
    EXPECT_EQ(card.fiscalFlag, "N");
    EXPECT_EQ(card.paymentRows, 1);
}

struct PrintCase
{
    const char *name;
    const char *mode;
    bool withTicket;
    bool fiscalPrinter;
    bool nfce;
    const char *confirmed;
    const char *shownTab;
    const char *ownTickets; // stIDIMPPEDPROD
    QStringList kinds;
};

class PrintRoadTest : public TicketsTest, public ::testing::WithParamInterface<PrintCase>
{
};

TEST_P(PrintRoadTest, PrintsWhatTheModeAsks)
{
    const PrintCase &c = GetParam();
    state().host.stModoVenda = c.mode;
    state().editParams().boUTILIZAIMPFIS = c.fiscalPrinter;
    state().editParams().boSISTEMAQUBNFCE = c.nfce;
    state().startup.stInicializaAux1 = c.nfce ? "VENDA_NFCe" : "";
    state().settlement.stConfRecebimento = c.confirmed;
    state().host.stNrComandaExib = c.shownTab;
    state().editParams().stIDIMPPEDPROD = c.ownTickets;
    if (c.withTicket)
        store("P1");
    line("001", "P1", "Prato");
    print();
    EXPECT_EQ(kinds(), c.kinds);
}

INSTANTIATE_TEST_SUITE_P(
    Tickets, PrintRoadTest,
    ::testing::Values(
        PrintCase{"CounterReceiptWithoutTickets", "B", false, false, false, "", "", "S", {"CUPOM"}},
        PrintCase{"CounterElectronicReceipt", "B", false, false, true, "", "", "S", {"VENDA_NFCe"}},
        PrintCase{"CounterElectronicConfirmed", "B", false, false, true, "S", "", "S", {}},
        PrintCase{"CounterFiscalPrinterNoTickets", "B", false, true, false, "", "", "S", {}},
        PrintCase{"CounterFiscalPrinterTickets", "B", true, true, false, "", "", "S", {"PEDIDO"}},
        PrintCase{"CounterConfirmedTickets", "B", true, false, false, "S", "", "S", {"PEDIDO"}},
        PrintCase{"TableTickets", "M", true, false, false, "", "12", "S", {"PEDIDO"}},
        PrintCase{"TableTicketsNotOwn", "M", true, false, false, "", "12", "N", {}},
        PrintCase{"TableWithoutTickets", "M", false, false, false, "", "12", "S", {}},
        PrintCase{"TabTicketsForEnc", "C", true, false, false, "", "ENC55", "S", {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TicketsTest, AFailedReceiptStillLetsTheTicketsPrintAndNothingEscapes)
{
    state().editParams().stIDIMPPEDPROD = "S";
    store("P1");
    line("001", "P1", "Prato");
    int calls = 0;
    host->handle(&Pkg_Hrk00002::DisparaImpressaoNaoFiscal, [&calls](const NonFiscalPrintRequest &) -> HostResult {
        if (++calls == 1)
            throw std::runtime_error("impressora desligada");
        return HostResult::done();
    });
    EXPECT_NO_THROW(print());
    EXPECT_EQ(kinds(), QStringList({"", "PEDIDO"}));
}

TEST_F(TicketsTest, FailoverTimerIsOffWhileTicketsPrint)
{
    QTimer *timer = form().findChild<QTimer *>("timImpressoraBackup");
    ASSERT_NE(timer, nullptr);
    timer->start(30000);
    print();
    EXPECT_FALSE(timer->isActive());
    EXPECT_TRUE(state().results.vaRetorno.isArray());
}

// ---- the print parameter record -------------------------------------------------------------

TEST_F(TicketsTest, ParameterRecordCopiesTheSaleAndTheTill)
{
    SaleState &s = state();
    s.consumer.stNrCracha = "CRACHA1";
    s.fiscal.stNomeNota = "COMPRADOR";
    s.totals.doVrTxServico = 1.234;
    s.editParams().stIDTIPOIMPNF1 = "07";
    s.editParams().stCDPORTIMPNF1 = "cups:Caixa1";
    s.editParams().stCDPORTIMPNF3 = "cups:Caixa3";
    s.editParams().stIDPOSOBSPED = "A";
    s.settlement.stRecebAux17 = "CHAVE";
    s.settlement.stRecebAux18 = QString(9000, 'q');
    s.figures.doRecebAux2 = 55.5;
    s.host.stIDRETBALLOJA = "S";
    order().PreencheParamImpCupNF("PEDIDO", "NF1", "C", "SEQ9", 12.345);
    const DataPacket record = data().cdsParamImpCupNF.Data();
    ASSERT_EQ(record.rows.size(), 1);
    auto text = [&](const char *field) { return record.value(0, field).toString(); };
    EXPECT_EQ(record.fields.size(), 60);
    EXPECT_EQ(text("CDIDCONSUMID"), "CRACHA1");
    EXPECT_EQ(text("NMCONSUMIDOR"), "COMPRADOR");
    EXPECT_EQ(text("NRSEQVENDA"), "SEQ9");
    EXPECT_EQ(text("NRNAOFISCAL"), "NF1");
    EXPECT_EQ(text("VENDAREALIZADA"), "C");
    EXPECT_EQ(record.value(0, "TOTALPAGO").toDouble(), 12.345);
    EXPECT_EQ(record.value(0, "DOVALACR").toDouble(), 1.234);
    EXPECT_EQ(record.value(0, "BOIMPREDZEPSON").toBool(), false);
    EXPECT_EQ(text("stIdTipoImpNF1"), "07");
    EXPECT_EQ(text("stCdPortImpNF1"), "cups:Caixa1");
    EXPECT_EQ(text("stCdPortImpNF3"), "cups:Caixa3");
    EXPECT_EQ(text("STIMPPOSOBS"), "A");
    EXPECT_EQ(text("TIPOVENDA"), "B");
    EXPECT_EQ(text("SENHACUPOM"), "042");
    EXPECT_EQ(text("CHAVEACESSONFCe"), "CHAVE");
    EXPECT_EQ(text("QRCODENFCe").size(), 8000);
    EXPECT_EQ(record.value(0, "VRTOTCONSUMODIA").toDouble(), 55.5);
    EXPECT_EQ(text("IDRETBALLOJA"), "S");
    for (const char *field : {"DSCOMANDA", "CDPRODCOUVER", "CDPRODCONSUM", "NRMESA", "NMVENDEDOR", "CDCLIENTE",
                              "NRPESSOAS", "stNrSerieECF"})
        EXPECT_EQ(text(field), "") << field;
    for (const char *field : {"VRCOUVERT", "VRCONSUMACA", "VRTXSERVICO", "VRBASECONSUM"})
        EXPECT_EQ(record.value(0, field).toDouble(), 0.0) << field;
}

TEST_F(TicketsTest, ParameterRecordTakesTheConsumerFromThePaymentRowAndKeepsOneRow)
{
    append(data().cdsMovCaixa, {{"CDIDCONSUMID", "PAGADOR1"}, {"NMCONSUMIDOR", "QUEM PAGOU"}});
    order().PreencheParamImpCupNF("CUPOM", "1", "A", "1", 1);
    order().PreencheParamImpCupNF("CUPOM", "2", "D", "2", 2);
    const DataPacket record = data().cdsParamImpCupNF.Data();
    ASSERT_EQ(record.rows.size(), 1);
    EXPECT_EQ(record.value(0, "CDIDCONSUMID").toString(), "PAGADOR1");
    EXPECT_EQ(record.value(0, "NMCONSUMIDOR").toString(), "QUEM PAGOU");
    EXPECT_EQ(record.value(0, "NRNAOFISCAL").toString(), "2");
    EXPECT_EQ(record.value(0, "VENDAREALIZADA").toString(), "D");
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

// The kitchen and bar tickets of a table order, compared whole with their golden file.
TEST_F(TicketsTest, TableOrderTicketsMatchTheirGoldenFile)
{
    state().host.stModoVenda = "M";
    store("P1", {{"MODELOPROD", "07"}});
    store("P2", {{"CDPORIMPPROD", "cups:Bar"}, {"MODELOPROD", "07"}});
    store("P3", {{"MODELOPROD", "07"}});
    const Row table{{"VRDESCCOMVEN", 0.0}, {"NRLUGARMESA", "02"}};
    line("001", "P1", "Prato feito", table + Row{{"VRPRECCOMVEN", 25.9}});
    line("002", "P2", "Suco de laranja",
         table + Row{{"QTPRODCOMVEN", "2"}, {"VRPRECCOMVEN", 7.5}, {"STOBSPEDIDO", "sem gelo"}});
    line("003", "P3", "Pudim", table + Row{{"VRPRECCOMVEN", 8.0}, {"STOBSPEDIDO", ""}});

    build();

    expectMatchesGolden("order_tickets_table_order", describeTickets(data().cdsImprimePedido.Data()));
}

} // namespace
