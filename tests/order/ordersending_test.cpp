// Sending a table, tab or delivery order from the sale form into the base, and the keyword the
// order button hands back.
#include <support/databasefixture.h>
#include <support/fakehost.h>
#include <support/fakemessages.h>

#include <order/orderentry.h>
#include <order/ordersending.h>
#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>
#include <screen/tfrmvendacons.h>
#include <server/schema.h>
#include <server/srv_orders.h>
#include <server/trdmvendacons.h>

#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/datapacket.h>

#include <QAbstractButton>
#include <QTimer>
#include <QHash>

#include <memory>
#include <stdexcept>

using Srv_Kal51000::OrderRowPrice;

namespace {

// A base out of reach is told in words, without asking for a restart: the next try reconnects.
const char *const connectionFailed = "O pedido não foi gravado: a conexão com o servidor de banco de dados falhou.\nNenhum "
                                     "item do pedido ficou gravado; a venda continua na tela para ser enviada de novo.";

struct Line
{
    QString NRSEQ;
    QString CDPRODUTO;
    double VRACRCOMVEN = 0;
    QString IDPRODREFIL = QStringLiteral("N");
};

DataPacket textPacket(const QStringList &fields, const QList<QStringList> &rows)
{
    DataPacket packet;
    for (const QString &field : fields)
        packet.fields.append({field, FieldType::String, 50, false});
    for (const QStringList &row : rows) {
        QList<Variant> values;
        for (const QString &value : row)
            values.append(value);
        packet.rows.append(values);
    }
    return packet;
}

// Branch 1, store 01, restaurant sale 500, tab 7 at table 0012 (room S2), waiter 0005 (JOAO),
// consumer C9 of client CLI (BEATRIZ), surcharge 1.5 already on the tab.
class OrderSendingTest : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Clock::setNow([] { return QDateTime(QDate(2026, 4, 10), QTime(20, 15)); });
        host = std::make_unique<FakeHost>();
        messages = std::make_unique<FakeMessages>();
        host->setDefault(&Pkg_Hrk00002::LogControleAcess, HostResult::done());
        ServerSeams access = ServerSeams::current();
        access.lookupsTills.getCartaoCHART = [] { return Variant(false); };
        accessServer = std::make_unique<ScopedTable<ServerSeams>>(std::move(access));
        tickets = std::make_unique<ScopedTicketStep>([this](OrderEntry &, const OrderEntry::TicketContext &c) {
            ticketContexts.append(c);
        });
        Srv_Kal51000::setOrderRowPriceFunction([this](const Srv_Kal51000::OrderRowPriceRequest &r) {
            return prices.value(r.CDPRODUTO, OrderRowPrice::price(10));
        });
        arrangeBase();
        m_form = std::make_unique<TfrmVendaCons>();
        arrangeSale(QStringLiteral("M"));
    }

    void TearDown() override
    {
        m_form.reset();
        Srv_Kal51000::setOrderRowPriceFunction({});
        tickets.reset();
        accessServer.reset();
        messages.reset();
        host.reset();
        Clock::setNow({});
        DatabaseTest::TearDown();
    }

    void arrangeBase()
    {
        exec("INSERT INTO VENDAREST (CDFILIAL, CDLOJA, NRVENDAREST, NRMESA, DTHRABERMESA) "
             "VALUES ('1', '01', '500', '0012', :D)",
             {{"D", QDateTime(QDate(2026, 4, 10), QTime(19, 0))}});
        exec("INSERT INTO COMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, CDLOJA, DSCOMANDA, VRACRCOMANDA) "
             "VALUES ('1', '500', '7', '01', '7', 1.5)");
        exec("INSERT INTO MESA (CDFILIAL, CDLOJA, NRMESA, IDSTMESAAUX) VALUES ('1', '01', '0012', 'O')");
        // A consumer the branch may sell to (its client is linked to the branch, its type searchable).
        exec("INSERT INTO CONSUMIDOR (CDCLIENTE, CDCONSUMIDOR, NMCONSUMIDOR, IDSITCONSUMI, CDTIPOCONS) "
             "VALUES ('CLI', 'C9', 'BEATRIZ', '1', 'T1')");
        exec("INSERT INTO CLIENFILIAL (CDCLIENTE, CDFILIAL, IDPERMVENDAQUB) VALUES ('CLI', '1', 'S')");
        exec("INSERT INTO TIPOCONS (CDTIPOCONS, IDDESABPESQCON) VALUES ('T1', 'N')");
    }

    void arrangeSale(const QString &mode)
    {
        SaleState &s = state();
        s.host.stModoVenda = mode;
        s.host.stNRVENDAREST = QStringLiteral("500");
        s.host.stNRCOMANDA = QStringLiteral("7");
        s.host.stNrComandaExib = QStringLiteral("7");
        s.host.stNRMESA = QStringLiteral("0012");
        s.host.stCDVENDEDOR = QStringLiteral("0005");
        s.host.stCdClienteVenda = QStringLiteral("CLI");
        s.host.stCdConsumidorVenda = QStringLiteral("C9");
        s.editParams().stCDFILIAL = QStringLiteral("1");
        s.editParams().stCDLOJA = QStringLiteral("01");
        s.editParams().stCDCAIXA = QStringLiteral("002");
        s.rights.stCDOPERADOR = QStringLiteral("000000000007");
        s.rights.stNMOPERADOR = QStringLiteral("MARIA");
        s.settlement.stSenhaPedido = QStringLiteral("12"); // set by the tab's history: kept
        data().cdsGarcom.SetData(textPacket({"CDVENDEDOR", "NMFANVEN", "CDOPERADOR"}, {{"0005", "JOAO", ""}}));
        data().cdsMesaSala.SetData(textPacket({"NRMESA", "CDSALA"}, {{"0012", "S2"}, {"0013", "S3"}}));
        data().cdsItems.CreateDataSet();
        data().cdsItPromoComb.CreateDataSet();
        data().cdsObsItens.CreateDataSet();
        data().cdsObsItensEst.CreateDataSet();
        data().cdsItensCancelados.CreateDataSet();
    }

    // Four lines: A with a surcharge, B a combined product of two parts, C with an observation, D.
    void fourItems()
    {
        const QList<Line> lines{{"001", "A", 0.5}, {"002", "B"}, {"003", "C"}, {"004", "D"}};
        for (int i = 0; i < lines.size(); ++i)
            addLine(lines[i], i);
        addPart("002", "P1");
        addPart("002", "P2");
        ClientDataSet &obs = data().cdsObsItens;
        obs.Append();
        set(obs, "NRSEQ", "003");
        set(obs, "CDPRODUTO", "C");
        set(obs, "CDGRPOCOR", "G1");
        set(obs, "CDOCORR", "01");
        obs.Post();
    }

    void addLine(const Line &line, int order)
    {
        ClientDataSet &items = data().cdsItems;
        items.Append();
        set(items, "NRSEQ", line.NRSEQ);
        set(items, "CDPRODUTO", line.CDPRODUTO);
        set(items, "NMPRODUTO", "PRODUTO " + line.CDPRODUTO);
        set(items, "QTPRODCOMVEN", "1");
        items.FieldByName("VRPRECCOMVEN").SetValue(10.0);
        items.FieldByName("VRDESCCOMVEN").SetValue(0.0);
        items.FieldByName("VRACRCOMVEN").SetValue(line.VRACRCOMVEN);
        items.FieldByName("VRUNITVENDCL").SetValue(0.0);
        items.FieldByName("DTINCLUSAO").SetValue(QDateTime(QDate(2026, 4, 10), QTime(20, 0, order)));
        set(items, "NRLUGARMESA", "01");
        set(items, "CDLOJA", "01");
        set(items, "IDPRODREFIL", line.IDPRODREFIL);
        set(items, "NMCONSVEND", "ANA");
        items.Post();
    }

    void addPart(const QString &NRSEQ, const QString &product)
    {
        ClientDataSet &parts = data().cdsItPromoComb;
        parts.Append();
        set(parts, "NRSEQ", NRSEQ);
        set(parts, "CDPRODUTO", product);
        parts.FieldByName("QTPRODVEND").SetValue(1.0);
        parts.FieldByName("VRUNVENDAEST").SetValue(0.0);
        parts.FieldByName("VRDESITVENDAEST").SetValue(0.0);
        parts.FieldByName("VRACRITVENDAEST").SetValue(0.0);
        parts.Post();
    }

    void giveUp(const QString &product)
    {
        ClientDataSet &cancelled = data().cdsItensCancelados;
        cancelled.Append();
        set(cancelled, "CDPRODUTO", product);
        set(cancelled, "QTPRODCOMVEN", "1");
        set(cancelled, "VRPRECCOMVEN", "10");
        set(cancelled, "DSOBSCANITE", "DESISTIU");
        cancelled.Post();
    }

    static void set(ClientDataSet &dataset, const char *field, const QString &value)
    {
        dataset.FieldByName(QString::fromLatin1(field)).SetAsString(value);
    }

    void clickOrderButton()
    {
        auto *button = m_form->findChild<QAbstractButton *>(QStringLiteral("spbVender"));
        ASSERT_NE(button, nullptr);
        button->click();
    }

    int count(const QString &table) { return rows("SELECT COUNT(*) FROM " + table).first().first().toInt(); }
    double tabSurcharge()
    {
        return rows("SELECT VRACRCOMANDA FROM COMANDAVEN WHERE NRCOMANDA = '7'").first().first().toDouble();
    }
    QStringList logTexts() const
    {
        QStringList texts;
        for (const AccessLogRequest &r : host->requests(&Pkg_Hrk00002::LogControleAcess))
            texts << r.action + "|" + r.text;
        return texts;
    }
    QString Msg(const char *key) { return m_form->context().Msg(QString::fromLatin1(key)); }

    SaleState &state() { return m_form->state(); }
    SaleDatasets &data() { return m_form->datasets(); }
    OrderEntry &order() { return m_form->context().order(); }

    std::unique_ptr<FakeHost> host;
    std::unique_ptr<FakeMessages> messages;
    std::unique_ptr<ScopedTable<ServerSeams>> accessServer;
    std::unique_ptr<ScopedTicketStep> tickets;
    QList<OrderEntry::TicketContext> ticketContexts;
    QHash<QString, OrderRowPrice> prices;
    std::unique_ptr<TfrmVendaCons> m_form;
};

TEST_P(OrderSendingTest, ATableOrderLeavesTheScreenWithItsRowsTicketsAndKeyword)
{
    fourItems();
    clickOrderButton();

    EXPECT_EQ(messages->texts(), QStringList{Msg("Desej_Vend")});
    EXPECT_EQ(count("ITCOMANDAVEN"), 4);
    EXPECT_EQ(count("ITCOMANDAEST"), 2);
    EXPECT_EQ(count("OBSITCOMANDAVEN"), 1);
    EXPECT_EQ(rows("SELECT DISTINCT CDSENHAPED FROM ITCOMANDAVEN").first().first().toString(), "12");
    EXPECT_DOUBLE_EQ(tabSurcharge(), 2.0); // 1.5 on the tab + 0.5 of line A
    EXPECT_EQ(logTexts(), (QStringList{"PED_MES|" + Msg("PED_MES") + " para a Mesa: 0012",
                                       "PED_MES|" + Msg("PED_MES") + "0012 produtos: A;B;C;D;"}));

    ASSERT_EQ(ticketContexts.size(), 1);
    EXPECT_EQ(ticketContexts[0].WaiterName, "JOAO");
    EXPECT_EQ(ticketContexts[0].ConsumerName, "BEATRIZ");
    EXPECT_EQ(ticketContexts[0].Room, "S2");
    EXPECT_EQ(ticketContexts[0].NrSeqVenda, "");

    EXPECT_EQ(state().host.stRetornoVenda, "VENDA_MESA");
    EXPECT_EQ(state().settlement.stSenhaPedido, "");
    EXPECT_TRUE(state().busy.boVenderAux1); // a second press does nothing until the next call
}

// The supervisor who authorised the last customer's payment went with that sale: the table's
// order that follows logs no authoriser.
TEST_P(OrderSendingTest, ATableOrderAfterASaleWhosePaymentNeededAnAuthoriserLogsNoAuthoriser)
{
    state().access.stRetAcesso = QStringLiteral("0099"); // the payment screen's supervisor
    m_form->context().screen().LimpaVariaveis();
    arrangeSale(QStringLiteral("M"));
    fourItems();

    clickOrderButton();

    const QList<AccessLogRequest> logs = host->requests(&Pkg_Hrk00002::LogControleAcess);
    ASSERT_EQ(logs.size(), 2);
    for (const AccessLogRequest &log : logs)
        EXPECT_EQ(log.stRetAcesso, QString()) << log.action.toStdString();
}

TEST_P(OrderSendingTest, AnOrderSentAgainAfterAFailedWriteIsNotDoubled)
{
    fourItems();
    prices.insert("C", OrderRowPrice::failed("[DBNETLIB] conexão perdida"));
    clickOrderButton();

    EXPECT_EQ(messages->texts(), (QStringList{Msg("Desej_Vend"), QString::fromUtf8(connectionFailed)}));
    EXPECT_EQ(count("ITCOMANDAVEN"), 0);
    EXPECT_DOUBLE_EQ(tabSurcharge(), 1.5);
    EXPECT_TRUE(ticketContexts.isEmpty());
    // The sale stays on screen for another try.
    EXPECT_EQ(state().host.stRetornoVenda, "");
    EXPECT_FALSE(state().busy.boVenderAux1);
    EXPECT_EQ(data().cdsItems.RecordCount(), 4);
    EXPECT_EQ(state().settlement.stSenhaPedido, "12");

    prices.remove("C");
    clickOrderButton();
    EXPECT_EQ(count("ITCOMANDAVEN"), 4);
    EXPECT_EQ(count("ITCOMANDAEST"), 2);
    EXPECT_EQ(count("OBSITCOMANDAVEN"), 1);
    EXPECT_DOUBLE_EQ(tabSurcharge(), 2.0);
    EXPECT_EQ(state().host.stRetornoVenda, "VENDA_MESA");
}

TEST_P(OrderSendingTest, RefillLinesCarryNoSurcharge)
{
    addLine({"001", "A", 0.5, "S"}, 0);
    addLine({"002", "B", 0.25, ""}, 1);
    addLine({"003", "C", 0.75, "N"}, 2);
    ASSERT_TRUE(order().VendeProduto({}, {}, {}));
    EXPECT_DOUBLE_EQ(tabSurcharge(), 2.25);
}

TEST_P(OrderSendingTest, ACounterSaleRecordsItsGiveUpsAndWritesNoOrder)
{
    arrangeSale(QStringLiteral("B"));
    addLine({"001", "A"}, 0);
    giveUp("X");
    exec("UPDATE MESA SET IDSTMESAAUX = 'R'");

    EXPECT_TRUE(order().VendeProduto("000123", "A", "55"));
    EXPECT_TRUE(messages->texts().isEmpty());
    EXPECT_EQ(count("ITCOMANDAVEN"), 0);
    EXPECT_DOUBLE_EQ(tabSurcharge(), 1.5);
    EXPECT_TRUE(logTexts().isEmpty());
    EXPECT_EQ(count("ITCOMANDAVENDES"), 1);
    EXPECT_TRUE(data().cdsItensCancelados.IsEmpty());
    ASSERT_EQ(ticketContexts.size(), 1);
    EXPECT_EQ(ticketContexts[0].NrSeqVenda, "000123");
    EXPECT_EQ(ticketContexts[0].VendaRealizada, "A");
    EXPECT_EQ(ticketContexts[0].NrNaoFiscal, "55");
}

TEST_P(OrderSendingTest, TheOrderButtonDoesNothingAtTheCounter)
{
    arrangeSale(QStringLiteral("B"));
    addLine({"001", "A"}, 0);
    clickOrderButton();
    EXPECT_TRUE(messages->texts().isEmpty());
    EXPECT_TRUE(ticketContexts.isEmpty());
    EXPECT_EQ(state().host.stRetornoVenda, "");
}

TEST_P(OrderSendingTest, ATableBeingSettledElsewhereTakesNoOrder)
{
    exec("UPDATE MESA SET IDSTMESAAUX = 'R'");
    fourItems();
    giveUp("X");
    clickOrderButton();

    EXPECT_EQ(messages->texts(), (QStringList{Msg("Desej_Vend"), Msg("Mes_Err")}));
    EXPECT_EQ(count("ITCOMANDAVEN"), 0);
    EXPECT_EQ(count("ITCOMANDAVENDES"), 0);
    EXPECT_DOUBLE_EQ(tabSurcharge(), 1.5);
    EXPECT_TRUE(logTexts().isEmpty());
    EXPECT_TRUE(ticketContexts.isEmpty());
    EXPECT_EQ(data().cdsItensCancelados.RecordCount(), 1);
    EXPECT_EQ(data().cdsItems.RecordCount(), 4);
    EXPECT_EQ(state().host.stRetornoVenda, "");
    EXPECT_FALSE(state().busy.boVenderAux1);
}

TEST_P(OrderSendingTest, ATabOrderIgnoresTheTableAndLogsTheShownTab)
{
    arrangeSale(QStringLiteral("C"));
    state().host.stNRMESA.clear();
    state().host.stNrComandaExib = QStringLiteral("C-7");
    exec("UPDATE MESA SET IDSTMESAAUX = 'R'");
    addLine({"001", "A"}, 0);
    clickOrderButton();
    EXPECT_EQ(count("ITCOMANDAVEN"), 1);
    EXPECT_EQ(logTexts().first(), "PED_CMD|" + Msg("PED_CMD") + " para a Comanda: C-7");
    EXPECT_EQ(state().host.stRetornoVenda, "VENDA_COMANDA");
}

TEST_P(OrderSendingTest, AnEmptyOrderIsRefused)
{
    clickOrderButton();
    EXPECT_EQ(messages->texts(), QStringList{Msg("Prod_N_Vend")});
    EXPECT_TRUE(ticketContexts.isEmpty());
    EXPECT_EQ(state().host.stRetornoVenda, "");
}

TEST_P(OrderSendingTest, DecliningTheQuestionSendsNothingAndTheButtonWorksAgain)
{
    addLine({"001", "A"}, 0);
    messages->script({false});
    clickOrderButton();
    EXPECT_EQ(count("ITCOMANDAVEN"), 0);
    EXPECT_FALSE(state().busy.boVenderAux1);
    EXPECT_EQ(state().host.stRetornoVenda, "");
    clickOrderButton();
    EXPECT_EQ(count("ITCOMANDAVEN"), 1);
    EXPECT_EQ(state().host.stRetornoVenda, "VENDA_MESA");
}

TEST_P(OrderSendingTest, ADeclinedStoreMessageStopsOnlyTheFirstPress)
{
    data().cdsParametrosQub.SetData(textPacket({"IDEXIBEMENSOP", "DSMENSOPERLOJA"}, {{"S", "Confira a bandeja"}}));
    addLine({"001", "A"}, 0);
    messages->script({false});
    clickOrderButton();
    EXPECT_EQ(messages->texts(), QStringList{"Confira a bandeja"});
    EXPECT_TRUE(state().busy.boProcessando);
    EXPECT_EQ(count("ITCOMANDAVEN"), 0);
    messages->clear();
    clickOrderButton();
    EXPECT_EQ(messages->texts(), QStringList{Msg("Desej_Vend")});
    EXPECT_FALSE(state().busy.boProcessando);
    EXPECT_EQ(count("ITCOMANDAVEN"), 1);
}

// Once the order is written the sale must not be sent again, whatever fails after it.
TEST_P(OrderSendingTest, AFailureAfterTheWriteIsShownAndTheScreenStillLeaves)
{
    ScopedTicketStep failing([](OrderEntry &, const OrderEntry::TicketContext &) {
        throw std::runtime_error("ticket dataset unusable");
    });
    addLine({"001", "A"}, 0);
    clickOrderButton();
    EXPECT_EQ(messages->texts(), (QStringList{Msg("Desej_Vend"), "ticket dataset unusable"}));
    EXPECT_EQ(count("ITCOMANDAVEN"), 1);
    EXPECT_EQ(state().host.stRetornoVenda, "VENDA_MESA");
}

// Each answer of the order write, one sale each: the message shown and what is left undone.
struct ResultCase
{
    const char *name;
    OrderRowPrice answer;
    const char *messageKey; // null: the message is `message`
    const char *message = nullptr;
};

TEST_P(OrderSendingTest, EachOrderWriteResultShowsItsMessage)
{
    const QList<ResultCase> cases{
        {"PRECNCAD", OrderRowPrice::refused("PRECNCAD"), "Preco_deve"},
        {"TABENCAD", OrderRowPrice::refused("TABENCAD"), "TabePrec"},
        {"DTCLI", OrderRowPrice::refused("DTCLI"), "VigenciaCli"},
        {"DTPAR", OrderRowPrice::refused("DTPAR"), "VigenciaPar"},
        {"DTLOJ", OrderRowPrice::refused("DTLOJ"), "VigenciaLoj"},
        {"PRECZERO", OrderRowPrice::refused("PRECZERO"), "Preco_Zero"},
        {"FORAHORA", OrderRowPrice::refused("FORAHORA"), "prod_fora_hora"},
        {"lost connection", OrderRowPrice::failed("[DBNETLIB] O servidor de banco de dados não responde"), nullptr,
         connectionFailed},
        {"refused row", OrderRowPrice::failed("NOT NULL constraint failed: ITCOMANDAVEN.NRVENDAREST"), nullptr,
         "O pedido não foi gravado: NOT NULL constraint failed: ITCOMANDAVEN.NRVENDAREST\nNenhum item do pedido "
         "ficou gravado; a venda continua na tela para ser enviada de novo."},
    };
    addLine({"001", "Z"}, 0);
    giveUp("X");
    for (const ResultCase &c : cases) {
        SCOPED_TRACE(c.name);
        messages->clear();
        host->clear();
        prices.insert("Z", c.answer);
        EXPECT_FALSE(order().VendeProduto({}, {}, {}));
        EXPECT_EQ(messages->texts(), QStringList{c.messageKey ? Msg(c.messageKey) : QString::fromUtf8(c.message)});
        // The first log entry is written, the product list is not; nothing further runs.
        EXPECT_EQ(logTexts(), QStringList{"PED_MES|" + Msg("PED_MES") + " para a Mesa: 0012"});
        EXPECT_EQ(data().cdsItensCancelados.RecordCount(), 1);
        EXPECT_TRUE(ticketContexts.isEmpty());
    }
    EXPECT_EQ(count("ITCOMANDAVEN"), 0);
    EXPECT_EQ(count("ITCOMANDAVENDES"), 0);
    EXPECT_DOUBLE_EQ(tabSurcharge(), 1.5);
}

// A row the base refuses is not a lost connection: the operator is told what the base said
// and is not sent to restart the till.
TEST_P(OrderSendingTest, ARowTheBaseRefusesIsToldApartFromALostConnection)
{
    addLine({"001", "A"}, 0);
    state().host.stNRVENDAREST.clear(); // a sale nobody opened
    EXPECT_FALSE(order().VendeProduto({}, {}, {}));
    ASSERT_EQ(messages->texts().size(), 1);
    EXPECT_TRUE(messages->texts().first().startsWith("O pedido não foi gravado: ")) << messages->texts().first().toStdString();
    EXPECT_NE(messages->texts().first(), Msg("Err_conex"));
    EXPECT_EQ(count("ITCOMANDAVEN"), 0);
}

TEST_P(OrderSendingTest, TheConsumerNameFallsBackToTheFirstLine)
{
    state().host.stCdConsumidorVenda = QStringLiteral("NOBODY");
    addLine({"001", "A"}, 0);
    ASSERT_TRUE(order().VendeProduto({}, {}, {}));
    state().host.stCdConsumidorVenda.clear();
    state().host.stNRMESA = QStringLiteral("0099"); // no room of its own
    ASSERT_TRUE(order().VendeProduto({}, {}, {}));
    ASSERT_EQ(ticketContexts.size(), 2);
    EXPECT_EQ(ticketContexts[0].ConsumerName, "ANA");
    EXPECT_EQ(ticketContexts[1].ConsumerName, "ANA");
    EXPECT_EQ(ticketContexts[1].Room, "");
}


// ---- the automatic tab and the take-away marks ------------------------------------------------

TEST_P(OrderSendingTest, TakeAwayMarksAreWrittenWithTheOrder)
{
    addLine({"001", "A"}, 0);
    addLine({"002", "B"}, 1);
    ClientDataSet &items = data().cdsItems;
    ASSERT_TRUE(items.Locate("NRSEQ", "002"));
    items.Edit();
    set(items, "IDPARAVIAGEM", "S");
    set(items, "IDORIGEMVENDA", "TGO_MES");
    items.Post();
    ASSERT_TRUE(order().VendeProduto({}, {}, {}));
    const auto written = rows("SELECT COALESCE(IDORIGEMVENDA, '') FROM ITCOMANDAVEN ORDER BY NRPRODCOMVEN");
    ASSERT_EQ(written.size(), 2);
    EXPECT_EQ(written[0][0].toString(), "");
    EXPECT_EQ(written[1][0].toString(), "TGO_MES");
}

// A base made when the origin held one character is widened when the schema is brought up to
// date, so a take-away order is not refused whole.
TEST_P(OrderSendingTest, AnOlderBaseIsWidenedForTheTakeAwayOrigin)
{
    if (kind() == DatabaseKind::PostgreSql)
        exec("ALTER TABLE ITCOMANDAVEN ALTER COLUMN IDORIGEMVENDA TYPE VARCHAR(1)");
    ASSERT_FALSE(Schema::upgrade(m_form->context().module().adcVendaCons()).isFailure());
    addLine({"001", "A"}, 0);
    data().cdsItems.Edit();
    set(data().cdsItems, "IDORIGEMVENDA", "TGO_MES");
    data().cdsItems.Post();
    ASSERT_TRUE(order().VendeProduto({}, {}, {}));
    EXPECT_EQ(rows("SELECT IDORIGEMVENDA FROM ITCOMANDAVEN").first().first().toString(), "TGO_MES");
}

class AutomaticTabSending : public OrderSendingTest
{
protected:
    void SetUp() override
    {
        OrderSendingTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        arrangeSale(QStringLiteral("C"));
        state().editParams().stIdTpTelaVe = QStringLiteral("A");
    }
    QTimer *tick() { return m_form->findChild<QTimer *>(QStringLiteral("timComandaAuto")); }
    void fire() { m_form->dispatch([this] { order().timComandaAutoTimer(tick()); }); }
};

TEST_P(AutomaticTabSending, TheTickSendsTheOrderOnceAndLeavesForTheNextTab)
{
    addLine({"001", "A"}, 0);
    tick()->start();
    fire();
    EXPECT_FALSE(tick()->isActive());
    EXPECT_EQ(count("ITCOMANDAVEN"), 1);
    EXPECT_EQ(state().host.stRetornoVenda, "VENDA_COMANDA");
    EXPECT_TRUE(messages->texts().isEmpty());
}

TEST_P(AutomaticTabSending, ATickWithoutLinesWaitsForTheNext)
{
    tick()->start();
    fire();
    EXPECT_TRUE(tick()->isActive());
    EXPECT_EQ(count("ITCOMANDAVEN"), 0);
    EXPECT_EQ(state().host.stRetornoVenda, "");
}

TEST_P(AutomaticTabSending, AFailedSendKeepsTheLinesForTheOrderButtonToSendOnce)
{
    addLine({"001", "A"}, 0);
    prices.insert("A", OrderRowPrice::failed("[DBNETLIB] conexão perdida"));
    tick()->start();
    fire();
    EXPECT_FALSE(tick()->isActive());
    EXPECT_EQ(count("ITCOMANDAVEN"), 0);
    EXPECT_EQ(state().host.stRetornoVenda, "");
    EXPECT_EQ(data().cdsItems.RecordCount(), 1);
    EXPECT_TRUE(m_form->findChild<QWidget *>(QStringLiteral("spbVender"))->isEnabled());
    EXPECT_EQ(messages->texts(), QStringList{QString::fromUtf8(connectionFailed)});

    prices.remove("A");
    clickOrderButton();
    EXPECT_EQ(count("ITCOMANDAVEN"), 1);
    EXPECT_EQ(state().host.stRetornoVenda, "VENDA_COMANDA");
}

VENDACONS_DATABASE_KINDS(AutomaticTabSending);

} // namespace

VENDACONS_DATABASE_KINDS(OrderSendingTest);
