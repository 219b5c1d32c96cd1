// A badge consumer's items through registration, with the consumer limits answered by the
// server layer on the test's base: the store daily debit maximum refuses the item that would
// pass it and the sale keeps its lines; on personal credit the first family in approval order
// that forbids a negative balance refuses an item over its balance.
#include "orderfixture.h"

#include <order/orderentry.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <outside/qub_movrela.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/messages.h>
#include <runtime/ptbr.h>

namespace {

class ConsumerLimitsSale : public OrderTest
{
protected:
    void SetUp() override
    {
        OrderTest::SetUp();
        if (HasFatalFailure())
            return;
        m_helper = std::make_unique<Qub_movrela::DbConnection>(QStringLiteral("limitsHelper"));
        m_helper->useConnectionString(m_base->connectionString());
        exec("INSERT INTO TIPOCONS (CDTIPOCONS, NMTIPOCONS, IDDESABPESQCON) VALUES ('01', 'FUNCIONARIO', 'N')");
        exec("INSERT INTO CONSUMIDOR (CDCLIENTE, CDCONSUMIDOR, NMCONSUMIDOR, IDSITCONSUMI, CDTIPOCONS, IDVERSALDCON) "
             "VALUES ('000002', '000101', 'JOSE CARLOS OLIVEIRA', '1', '01', 'S')");
        exec("INSERT INTO TIPOCONSLOJA (CDTIPOCONS, CDFILIAL, CDLOJA, VRMAXCONSDIAC, VRMAXCONSDIAD, VRMAXCONSMESC, "
             "VRMAXCONSMESD, VRMAXCONSMENSAL) VALUES ('01', '0001', '01', 80, 30, 1200, 1200, 1200)");
        exec("INSERT INTO FAMILIASALDO (CDFAMILISALD, NMFAMILISALD) VALUES ('REF', 'REFEICAO')");
        exec("INSERT INTO FAMILIASALDO (CDFAMILISALD, NMFAMILISALD) VALUES ('LAN', 'LANCHES')");
        exec("INSERT INTO FAMSALDOFILI (CDFILIAL, CDFAMILISALD, NRORDAPRSALD, IDSALDNEGFAM, VRCONSDIAFAM) "
             "VALUES ('0001', 'REF', '001', 'N', 60)");
        exec("INSERT INTO FAMSALDOFILI (CDFILIAL, CDFAMILISALD, NRORDAPRSALD, IDSALDNEGFAM, VRCONSDIAFAM) "
             "VALUES ('0001', 'LAN', '002', 'N', 30)");
        exec("INSERT INTO SALDOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, VRSALDCONFAM) "
             "VALUES ('000002', '000101', 'REF', 8)");

        SaleState &s = state();
        s.editParams().stIDPERCOMVENCPDC = QStringLiteral("N");
        s.host.stCdClienteVenda = QStringLiteral("000002");
        s.consumer.stCDCONSUMIDOR = QStringLiteral("000101");
        s.consumer.stNmConsumidor = QStringLiteral("JOSE CARLOS OLIVEIRA");
        s.consumer.stNrCracha = QStringLiteral("1001");
        s.consumer.stCDTIPOCONS = QStringLiteral("01");
        s.consumer.stRecebAux6 = QStringLiteral("S"); // the consumer's balance is checked
    }

    void TearDown() override
    {
        m_helper.reset();
        OrderTest::TearDown();
    }

    void exec(const char *sql)
    {
        ASSERT_TRUE(m_helper->execute(QStringLiteral("test"), QString::fromUtf8(sql), {}))
            << m_helper->lastError().databaseText.toStdString() << " in " << sql;
    }

    QString refusal(const char *key, double limit)
    {
        return Lvm_msg::Format(Msg(QString::fromLatin1(key)),
                               {QStringLiteral("000101 - JOSE CARLOS OLIVEIRA"), PtBr::FormatCurr(limit)});
    }

    PreenchePedidoArgs meal(const QString &code, const QString &price)
    {
        PreenchePedidoArgs args = item(code, QStringLiteral("PRATO"), price);
        args.CDFAMILISALD = QStringLiteral("REF");
        return args;
    }

    void familyBalances(double meals, double snacks)
    {
        ClientDataSet &balances = data().cdsConsultaSaldo;
        balances.Close();
        DataPacket packet;
        packet.fields = {{QStringLiteral("CDFAMILISALD"), FieldType::String, 3},
                         {QStringLiteral("NMFAMILISALD"), FieldType::String, 30},
                         {QStringLiteral("VRSALDCONFAM"), FieldType::Double}};
        packet.rows = {{QStringLiteral("REF"), QStringLiteral("REFEICAO"), meals},
                       {QStringLiteral("LAN"), QStringLiteral("LANCHES"), snacks}};
        balances.SetData(packet);
    }

    std::unique_ptr<Qub_movrela::DbConnection> m_helper;
};

TEST_F(ConsumerLimitsSale, PayrollDebitItemOverTheStoreDailyMaximumIsRefusedAndTheSaleKeepsItsLines)
{
    state().flags.boVendaDebito = true;
    // Spent at the store earlier today: the consumer's figures read it at each item.
    exec("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, CDLOJA, IDSITUVENDA) VALUES ('0001', '001', 'V0', '01', 'O')");
    ASSERT_TRUE(m_helper->execute(QStringLiteral("test"),
                                  QStringLiteral("INSERT INTO MOVICLIE (CDCLIENTE, CDCONSUMIDOR, NRSEQMOVCLI, CDFILIAL, "
                                                 "CDCAIXA, NRSEQVENDA, DTMOVIMCLIE, IDTIPMOCVLI, VRMOVCLI) VALUES "
                                                 "('000002', '000101', '1', '0001', '001', 'V0', :P_DIA, 'D', 12.5)"),
                                  {{QStringLiteral("P_DIA"), Clock::now()}}))
        << m_helper->lastError().databaseText.toStdString();

    ASSERT_TRUE(sell(meal(QStringLiteral("01001"), QStringLiteral("10,00"))));
    ASSERT_TRUE(sell(meal(QStringLiteral("06001"), QStringLiteral("7,50")))); // 30,00: the maximum itself
    const QString total = caption("lblVrTotal");

    EXPECT_FALSE(sell(meal(QStringLiteral("07001"), QStringLiteral("0,01"))));

    EXPECT_EQ(data().cdsItems.RecordCount(), 2);
    EXPECT_EQ(caption("lblVrTotal"), total);
    ASSERT_GE(messages->count(), 1);
    EXPECT_EQ(messages->texts().last(), refusal("VRMAXCONS_LOJA", 30.0));
    EXPECT_FALSE(state().figures.limits.holds(ConsumerLimit::StoreDaily));
    EXPECT_DOUBLE_EQ(state().figures.doRecebAux2, 30.01);
}

TEST_F(ConsumerLimitsSale, PersonalCreditItemOverTheFirstFamilysBalanceIsRefused)
{
    state().flags.boCreditoPessoal = true;
    // The balances as the consumer's figures leave them for the sale.
    ClientDataSet &balances = data().cdsConsultaSaldo;
    balances.Close();
    DataPacket packet;
    packet.fields = {{QStringLiteral("CDFAMILISALD"), FieldType::String, 3},
                     {QStringLiteral("NMFAMILISALD"), FieldType::String, 30},
                     {QStringLiteral("VRSALDCONFAM"), FieldType::Double}};
    packet.rows = {{QStringLiteral("REF"), QStringLiteral("REFEICAO"), 8.0},
                   {QStringLiteral("LAN"), QStringLiteral("LANCHES"), 0.0}};
    balances.SetData(packet);

    EXPECT_TRUE(sell(meal(QStringLiteral("01001"), QStringLiteral("8,00"))));
    EXPECT_FALSE(sell(meal(QStringLiteral("06001"), QStringLiteral("8,01"))));

    EXPECT_EQ(data().cdsItems.RecordCount(), 1);
    ASSERT_GE(messages->count(), 1);
    EXPECT_TRUE(messages->texts().last().startsWith(QStringLiteral("REFEICAO ") + Msg(QStringLiteral("FamiliaNeg"))));
}

// A spending or balance figure the base cannot give refuses the item: read as 0 it would let
// the item past every maximum.
struct FailingFigureCase
{
    const char *name;
    bool debit;
    const char *table; // dropped before the item
};

class ConsumerFigureFailure : public ConsumerLimitsSale, public ::testing::WithParamInterface<FailingFigureCase>
{
};

TEST_P(ConsumerFigureFailure, RefusesTheItemNamingTheFigure)
{
    const FailingFigureCase &c = GetParam();
    (c.debit ? state().flags.boVendaDebito : state().flags.boCreditoPessoal) = true;
    familyBalances(100.0, 0.0);
    exec((QByteArray("DROP TABLE ") + c.table).constData());

    EXPECT_FALSE(sell(meal(QStringLiteral("01001"), QStringLiteral("10,00"))));

    EXPECT_EQ(data().cdsItems.RecordCount(), 0);
    ASSERT_GE(messages->count(), 1);
    EXPECT_TRUE(messages->texts().last().startsWith(QStringLiteral("Não foi possível ler os valores do consumidor")))
        << messages->texts().last().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Figures, ConsumerFigureFailure,
                         ::testing::Values(FailingFigureCase{"DebitSpending", true, "MOVICLIE"},
                                           FailingFigureCase{"CreditSpending", false, "EXTRATOCONS"}),
                         [](const auto &info) { return std::string(info.param.name); });

// LANCHES comes after REFEICAO in approval order: its items may borrow from REFEICAO at
// settlement, but one that REFEICAO cannot cover is refused at entry rather than cancelling
// the whole coupon at Receber.
struct SnackCase
{
    const char *name;
    const char *price;
    bool passes;
};

class PersonalCreditSnack : public ConsumerLimitsSale, public ::testing::WithParamInterface<SnackCase>
{
};

TEST_P(PersonalCreditSnack, PassesAtEntryOnlyWhenAnEarlierFamilyCanCoverIt)
{
    state().flags.boCreditoPessoal = true;
    familyBalances(8.0, 0.0);
    PreenchePedidoArgs snack = meal(QStringLiteral("01001"), QString::fromLatin1(GetParam().price));
    snack.CDFAMILISALD = QStringLiteral("LAN");

    EXPECT_EQ(sell(snack), GetParam().passes);

    EXPECT_EQ(data().cdsItems.RecordCount(), GetParam().passes ? 1 : 0);
    if (GetParam().passes)
        return;
    ASSERT_GE(messages->count(), 1);
    EXPECT_TRUE(messages->texts().last().startsWith(QStringLiteral("LANCHES ") + Msg(QStringLiteral("FamiliaNeg"))))
        << messages->texts().last().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Families, PersonalCreditSnack,
                         ::testing::Values(SnackCase{"CoveredByTheEarlierFamily", "8,00", true},
                                           SnackCase{"OneCentPastWhatItCanLend", "8,01", false}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
