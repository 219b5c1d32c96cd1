#include "orderfixture.h"

#include <order/orderentry.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/messages.h>

class Registration : public OrderTest
{
protected:
    // Everything of the sale a refusal must leave as it was.
    struct Snapshot
    {
        DataPacket items;
        QString lastLine;
        QString total;
        bool operator==(const Snapshot &) const = default;
    };
    Snapshot snapshot() { return {data().cdsItems.Data(), state().road.stNRSEQ, caption("lblVrTotal")}; }

    // A debit-account consumer with a balance rule for the product.
    void debitConsumerRule(const QString &basic, const QString &from, const QString &to)
    {
        state().editParams().stIDSALDEXTDEBCON = QStringLiteral("S");
        state().flags.boVendaDebito = true;
        balanceRule = DataPacket{};
        for (const char *name : {"IDTIPOSALDO", "IDBLOQPROD", "HRINICIAL", "HRFINAL"})
            balanceRule.fields.append(FieldDef{QString::fromLatin1(name), FieldType::String, 4});
        balanceRule.rows.append({Variant(QStringLiteral("B")), Variant(basic), Variant(from), Variant(to)});
    }
};

TEST_F(Registration, LinesAreNumberedFromOneAndCancelledNumbersAreNotGivenAgain)
{
    sell(item("10", "SUCO", "5,00"));
    sell(item("11", "PÃO", "1,50"));
    cancelLine(QStringLiteral("002"));
    sell(item("12", "CAFÉ", "3,00"));
    EXPECT_EQ(column(data().cdsItems, "NRSEQ"), QStringList({"001", "003"}));
    EXPECT_EQ(state().road.stNRSEQ, QStringLiteral("003"));
    EXPECT_EQ(column(data().cdsItems, "NMPRODUTO"), QStringList({"SUCO", "CAFÉ"}));
}

TEST_F(Registration, ARegisteredLineShowsOnTheProductLabelAndOpensTheSale)
{
    EXPECT_TRUE(sell(item("10", "SUCO", "5,00", "2")));
    EXPECT_TRUE(order().lastItemRegistered());
    EXPECT_EQ(caption("lblProduto"), QStringLiteral("2x -SUCO"));
    EXPECT_EQ(caption("lblVrTotal"), QStringLiteral("10,00"));
    EXPECT_EQ(caption("lblTotVenda"), QStringLiteral("R$10,00"));
    EXPECT_EQ(caption("lblQtdeTotal"), QStringLiteral("2,000"));
    EXPECT_TRUE(state().flags.boCupomAberto);
    EXPECT_EQ(caption("lblMensagemCaixa"), Msg("Cupom_Aberto"));
    EXPECT_EQ(state().totals.doQuantidade, 1.0);
}

TEST_F(Registration, AWholeValueDiscountLeavesTheLineAtOneCent)
{
    PreenchePedidoArgs sold = item("10", "SUCO", "5,00", "2");
    sold.VRDESCONTO = QStringLiteral("10");
    sell(sold);
    ClientDataSet &items = data().cdsItems;
    items.First();
    EXPECT_DOUBLE_EQ(items.FieldByName("VRPRECCOMVEN").AsFloat(), 0.01);
    EXPECT_DOUBLE_EQ(items.FieldByName("VRDESCCOMVEN").AsFloat(), 0.0);
    EXPECT_EQ(items.FieldByName("QTPRODCOMVEN").AsString(), QStringLiteral("2"));
    EXPECT_DOUBLE_EQ(items.FieldByName("SOMA").AsFloat(), 0.02);
}

TEST_F(Registration, ANegativeQuantityIsStoredWithoutItsSign)
{
    sell(item("10", "SUCO", "5,00", "-2"));
    ClientDataSet &items = data().cdsItems;
    items.First();
    EXPECT_EQ(items.FieldByName("QTPRODCOMVEN").AsString(), QStringLiteral("2"));
    EXPECT_DOUBLE_EQ(items.FieldByName("SOMA").AsFloat(), 10.0);
}

// ---- refusals: each shows its own message and leaves the sale as it was ------------------------

// Without today's count of the basic product the once-a-day rule cannot be kept: the failure is
// shown and the item is not sold.
TEST_F(Registration, BasicProductIsRefusedWhenTodaysCountFails)
{
    sell(item("01", "ÁGUA", "2,00"));
    const Snapshot before = snapshot();
    messages->clear();
    debitConsumerRule(QStringLiteral("S"), QString(), QString());
    basicSoldToday = Variant::failure(QStringLiteral("sem conexão com a base"));
    EXPECT_TRUE(sell(item("10", "SUCO", "5,00")));
    EXPECT_FALSE(order().lastItemRegistered());
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(shown().join("").contains("sem conexão com a base")) << shown().join("|").toStdString();
    EXPECT_TRUE(snapshot() == before);
}

TEST_F(Registration, EachCheckRefusesWithItsMessageAndLeavesTheSaleUnchanged)
{
    struct Case
    {
        const char *name;
        std::function<void(PreenchePedidoArgs &)> arrange;
        QString expected;
        bool resetsQuantity;
    };
    const QList<Case> cases = {
        {"fractional quantity", [](PreenchePedidoArgs &a) { a.QTPRODCOMVEN = QStringLiteral("1,5"); },
         Msg("PROD_FRAC"), true},
        {"personal credit without family",
         [this](PreenchePedidoArgs &) {
             state().editParams().stIDPREVDSALDO = QStringLiteral("S");
             state().host.stModoVenda = QStringLiteral("C");
             state().host.stCdClienteVenda = QStringLiteral("000099");
             state().consumer.stCDCONSUMIDOR = QStringLiteral("42");
             state().flags.boCreditoPessoal = true;
         },
         Msg("Ope_Fam"), false},
        {"basic product already sold today",
         [this](PreenchePedidoArgs &) {
             debitConsumerRule(QStringLiteral("S"), QString(), QString());
             basicSoldToday = 1;
         },
         Lvm_msg::Format(Msg("PROD_UMAVEZ"), {QStringLiteral("10")}), false},
        {"outside the consumption hours",
         [this](PreenchePedidoArgs &) { debitConsumerRule(QStringLiteral("N"), "1100", "1400"); },
         Lvm_msg::Format(Msg("Tp_Sald_Prod_Fora_Hora"), {QStringLiteral("11:00"), QStringLiteral("14:00")}), true},
        {"zero value", [](PreenchePedidoArgs &a) { a.VRPRECO = QStringLiteral("0"); }, Msg("PROD_ZERADO"), false},
        {"tiny quantity",
         [](PreenchePedidoArgs &a) {
             a.QTPRODCOMVEN = QStringLiteral("0,001");
             a.IDPESAPROD = QStringLiteral("S");
             a.VRPRECO = QStringLiteral("1,00");
         },
         Msg("PROD_ZERADO"), false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        sell(item("01", "ÁGUA", "2,00"));
        const Snapshot before = snapshot();
        messages->clear();
        state().totals.doQuantidade = 3.0;
        PreenchePedidoArgs refused = item("10", "SUCO", "5,00");
        c.arrange(refused);
        EXPECT_TRUE(sell(refused));
        EXPECT_FALSE(order().lastItemRegistered());
        EXPECT_EQ(shown(), QStringList{c.expected});
        ASSERT_EQ(messages->count(), 1);
        EXPECT_EQ(messages->calls().first().kind, 3);
        EXPECT_TRUE(snapshot() == before);
        EXPECT_EQ(state().totals.doQuantidade, c.resetsQuantity ? 1.0 : 3.0);
        EXPECT_FALSE(state().busy.boDigitacaoAux1);
    }
}

TEST_F(Registration, TheConsumptionWindowIncludesBothEnds)
{
    const struct
    {
        QTime now;
        bool accepted;
    } cases[] = {{QTime(11, 0, 59), true}, {QTime(14, 0, 30), true}, {QTime(14, 1), false}, {QTime(10, 59), false}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.now.toString().toStdString());
        Clock::setNow([t = c.now] { return QDateTime(QDate(2024, 3, 5), t); });
        debitConsumerRule(QStringLiteral("N"), "1100", "1400");
        data().cdsItems.EmptyDataSet();
        sell(item("10", "SUCO", "5,00"));
        EXPECT_EQ(data().cdsItems.RecordCount(), c.accepted ? 1 : 0);
    }
}

TEST_F(Registration, AFractionalQuantityPassesForAWeighedProductOrAScaleLabel)
{
    PreenchePedidoArgs weighed = item("10", "QUEIJO", "40,00", "0,5");
    weighed.IDPESAPROD = QStringLiteral("S");
    sell(weighed);
    state().road.stQtdeCodBarra = QStringLiteral("0,250");
    sell(item("11", "PRESUNTO", "30,00", "0,25"));
    EXPECT_EQ(column(data().cdsItems, "QTPRODCOMVEN"), QStringList({"0,5", "0,25"}));
    EXPECT_TRUE(state().road.stQtdeCodBarra.isEmpty());
}

TEST_F(Registration, TheRefillMarkEndsWithTheEntryThatSetIt)
{
    state().totals.doVrAcrComanda = 5.0;
    state().road.stAddProdAux3 = QStringLiteral("S");
    PreenchePedidoArgs refill = item("10", "REFRI", "6,00");
    refill.VRACRESCIMO = QStringLiteral("1,999");
    sell(refill);
    sell(item("11", "PASTEL", "4,00"));
    ClientDataSet &items = data().cdsItems;
    items.First();
    EXPECT_EQ(items.FieldByName("IDPRODREFIL").AsString(), QStringLiteral("S"));
    EXPECT_DOUBLE_EQ(items.FieldByName("VRPRECCOMVEN").AsFloat(), 0.0);
    EXPECT_DOUBLE_EQ(items.FieldByName("VRACRCOMVEN").AsFloat(), 0.0);
    EXPECT_DOUBLE_EQ(items.FieldByName("SOMA").AsFloat(), 1.99);
    EXPECT_DOUBLE_EQ(state().totals.doVrAcrComanda, 5.0 - 1.999);
    items.Next();
    EXPECT_EQ(items.FieldByName("IDPRODREFIL").AsString(), QStringLiteral("N"));
    EXPECT_DOUBLE_EQ(items.FieldByName("SOMA").AsFloat(), 4.0);
    EXPECT_TRUE(state().road.stAddProdAux3.isEmpty());
}

TEST_F(Registration, TheThousandthLineIsRefusedInsteadOfNumberedTwice)
{
    state().road.stNRSEQ = QStringLiteral("998");
    sell(item("10", "SUCO", "5,00"));
    sell(item("11", "PÃO", "1,50"));
    EXPECT_EQ(column(data().cdsItems, "NRSEQ"), QStringList{"999"});
    EXPECT_EQ(state().road.stNRSEQ, QStringLiteral("999"));
    ASSERT_EQ(messages->count(), 1);
    EXPECT_EQ(messages->calls().first().kind, 3);
}

TEST_F(Registration, AFailedPrintLocationLookupAddsNoLine)
{
    printLocation = QStringLiteral("Eerro de conexão");
    sell(item("10", "SUCO", "5,00"));
    EXPECT_TRUE(data().cdsItems.IsEmpty());
    EXPECT_EQ(shown(), QStringList{"erro de conexão"});
    EXPECT_TRUE(state().road.stNRSEQ.isEmpty());
    EXPECT_EQ(data().cdsItems.State(), DataSetState::Browse);
}

TEST_F(Registration, TheOperatorPicksThePrintStoreAwayFromTheCounter)
{
    ClientDataSet &stores = data().cdsPortaProd;
    stores.CreateDataSet();
    for (const char *store : {"05", "07"}) {
        stores.Append();
        stores.FieldByName("CDLOJA").SetAsString(QString::fromLatin1(store));
        stores.FieldByName("CDPRODUTO").SetAsString(QStringLiteral("10"));
        stores.Post();
    }
    printLocation = QStringLiteral("S");
    host->handle(&Pkg_Hrk00002::Pesquisa, [](const SearchRequest &, ClientDataSet &rows) {
        rows.Last();
        return true;
    });
    sell(item("10", "SUCO", "5,00"));
    state().host.stModoVenda = QStringLiteral("M");
    sell(item("10", "SUCO", "5,00"));
    EXPECT_EQ(column(data().cdsItems, "CDLOJAIT"), QStringList({"05", "07"}));
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Pesquisa), 1);
    EXPECT_EQ(shown(), QStringList{Msg("Local_Imp_Deve")});
    EXPECT_FALSE(stores.Filtered());
}

TEST_F(Registration, ThePoleDisplayShowsTheItemAndItsValue)
{
    state().editParams().boDISPLAYOK = true;
    state().editParams().inTAMDISPLAY = 20;
    sell(item("10", "SUCO DE LARANJA NATURAL", "3,99", "3"));
    const auto sent = host->requests(&Pkg_Hrk00001::DisplayEnviaTexto);
    ASSERT_EQ(sent.size(), 2);
    EXPECT_EQ(sent.at(0).text, QStringLiteral("3x SUCO DE LARANJA N"));
    EXPECT_EQ(sent.at(0).line, 1);
    EXPECT_EQ(sent.at(1).text, QStringLiteral("3,99 ") + QString(10, QLatin1Char(' ')) + QStringLiteral("11,97"));
    EXPECT_EQ(sent.at(1).line, 2);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::LimpaDisplay), 1);
}

// A promotion's component printed as its own line: its observations move onto the line, but
// only when the promotion line itself was registered.
TEST_F(Registration, PromotionComponentObservationsFollowOnlyARegisteredLine)
{
    ClientDataSet &components = data().cdsItPromoComb;
    components.CreateDataSet();
    components.Append();
    components.FieldByName("CDPRODUTO").SetAsString(QStringLiteral("55"));
    components.FieldByName("IDIMPGRPROMO").SetAsString(QStringLiteral("S"));
    components.FieldByName("NRSEQORIG").SetAsString(QStringLiteral("001"));
    components.Post();
    ClientDataSet &pending = data().cdsObsItensEst;
    pending.CreateDataSet();
    pending.Append();
    pending.FieldByName("CDPRODUTO").SetAsString(QStringLiteral("55"));
    pending.FieldByName("CDGRPOCOR").SetAsString(QStringLiteral("01"));
    pending.FieldByName("CDOCORR").SetAsString(QStringLiteral("07"));
    pending.FieldByName("NRSEQORIG").SetAsString(QStringLiteral("001"));
    pending.Post();
    data().cdsObsItens.CreateDataSet();

    PreenchePedidoArgs refused = item("50", "COMBO", "0");
    refused.IDPROMOCAO = QStringLiteral("S");
    sell(refused);
    EXPECT_EQ(pending.RecordCount(), 1);
    EXPECT_TRUE(data().cdsObsItens.IsEmpty());

    PreenchePedidoArgs combo = item("50", "COMBO", "20,00");
    combo.IDPROMOCAO = QStringLiteral("S");
    sell(combo);
    EXPECT_EQ(column(components, "NRSEQ"), QStringList{"001"});
    EXPECT_TRUE(pending.IsEmpty());
    EXPECT_EQ(column(data().cdsObsItens, "NRSEQ"), QStringList{"001"});
    EXPECT_EQ(column(data().cdsObsItens, "DSOCORR"), QStringList{"OBS 07"});
    EXPECT_FALSE(components.Filtered());
    EXPECT_TRUE(state().road.stPedidoAux4.isEmpty());
    EXPECT_EQ(serverCalls.filter(QStringLiteral("getCdGruPromoc")), QStringList{"getCdGruPromoc 50 50"});
    EXPECT_EQ(column(data().cdsItems, "CDGRUPROMOC"), QStringList{"G1"});
}
