#include "benefitsfixture.h"

#include <sale/formnames.h>
#include <sale/serverseams.h>

#include <server/srv_loyalty.h>

#include <runtime/clientdataset.h>

#include <QAbstractButton>
#include <QTimer>
#include <QWidget>

namespace {

// A consumer holding benefit "1" of campaign "C1" (kind and value per test) on product P1.
class Benefits : public ConsumerFormTest
{
protected:
    void grant(const char *kind, double value, int uses)
    {
        exec("INSERT INTO CONSUMIDOR (CDCLIENTE, CDCONSUMIDOR, CDIDCONSUMID) VALUES ('CLI', 'CONS', '6012')");
        exec("INSERT INTO PRODBENECAMP (CDCAMPANHA, NRSEQPRODCAMP, NRSEQBENECAMP, CDPRODUTO) "
             "VALUES ('C1', '1', '1', 'P1')");
        ASSERT_EQ(Srv_Kal51000::setMovFidelidade("", "C1", "1", "1", "CLI", "CONS", kind, now.addDays(-1),
                                                 now.addDays(1), value, uses),
                  Variant());
    }
    int usesLeft()
    {
        return rows("SELECT QTDEBENEFICIO FROM MOVBENEFICIOCTR").first().first().toInt();
    }
    QStringList reservedLines()
    {
        QStringList lines;
        for (const auto &row : rows("SELECT NRSEQUITVEND FROM MOVBENEFICIOCONS ORDER BY NRSEQUITVEND"))
            lines << row.first().toString();
        return lines;
    }
    // The operator answers the question and, once the list is up, presses `button`.
    double offer(const char *price, QLatin1StringView button = FormName::btnEnterFid, const char *discount = "0")
    {
        state().totals.doVrDescontoItem = 0;
        messages->script({true});
        QTimer::singleShot(0, form.get(), [this, button] { context().button(button)->click(); });
        consumer().FidelidadeBalcao("CLI", "CONS", "P1", "Produto um", QString::fromLatin1(price),
                                    QString::fromLatin1(discount));
        return state().totals.doVrDescontoItem;
    }
    // What order entry does after the registration: the line took its number or it did not.
    void registered(bool yes)
    {
        if (yes)
            ++state().counters.inInicializaAux4;
        consumer().settlePendingBenefit();
    }
};

struct DiscountCase
{
    const char *name;
    const char *kind;
    double value;
    const char *price;
    double discount;
};

TEST_P(Benefits, ThreeItemsOfferedOneSoldOneRefusedOneCancelledBindOneUse)
{
    grant("V", 1.50, 5);
    EXPECT_DOUBLE_EQ(offer("4,99"), 1.50); // line 001, sold
    registered(true);
    EXPECT_DOUBLE_EQ(offer("4,99"), 1.50); // line 002, refused by the limits
    registered(false);
    EXPECT_EQ(reservedLines(), QStringList{"001"});
    EXPECT_EQ(usesLeft(), 4);
    EXPECT_DOUBLE_EQ(offer("4,99"), 1.50); // line 002 again, sold and then cancelled
    registered(true);
    EXPECT_EQ(usesLeft(), 3);
    // The host's save: the sold line and the cancelled line by their receipt order.
    exec("INSERT INTO ITEMVENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND, CDPRODUTO, NRORDITCUPFIS) "
         "VALUES ('1', '002', '77', '001', 'P1', '00001')");
    exec("INSERT INTO ITVENDACAN (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQITVENDC, NRORDITCUPFISCA) "
         "VALUES ('1', '002', '77', '001', '00002')");
    ASSERT_EQ(Srv_Kal51000::setVendaBeneficioBalcao("77", "1", "002"), Variant());
    const auto uses = rows("SELECT NRSEQVENDA, NRSEQUITVEND FROM MOVBENEFICIOCONS");
    ASSERT_EQ(uses.size(), 1);
    EXPECT_EQ(uses[0][0].toString(), "77");
    EXPECT_EQ(uses[0][1].toString(), "001");
    EXPECT_EQ(usesLeft(), 4);
}

TEST_P(Benefits, ClosingTheListOrDecliningRecordsNothingAndKeepsTheDiscount)
{
    grant("V", 1.50, 5);
    EXPECT_DOUBLE_EQ(offer("4,99", FormName::btnSairFid), 0.0);
    messages->script({false});
    consumer().FidelidadeBalcao("CLI", "CONS", "P1", "Produto um", "4,99", "0");
    EXPECT_DOUBLE_EQ(state().totals.doVrDescontoItem, 0.0);
    EXPECT_TRUE(reservedLines().isEmpty());
    EXPECT_EQ(usesLeft(), 5);
    EXPECT_FALSE(context().widget<QWidget>(FormName::pnlListaBeneficio)->isVisible());
    if (QWidget *buttons = context().widget<QWidget>(FormName::pnlBotoes)) {
        EXPECT_TRUE(buttons->isEnabled());
    }
}

struct QuietCase
{
    const char *name;
    const char *mode;
    const char *consumer;
    const char *discount;
};

TEST_P(Benefits, NoOfferInATableOrTabSaleWithADiscountOrWithoutAConsumer)
{
    grant("V", 1.50, 5);
    const QuietCase cases[] = {{"table", "M", "CONS", "0"}, {"tab", "C", "CONS", "0"},
                               {"discounted", "B", "CONS", "0,001"}, {"no consumer", "B", "", "0"}};
    for (const QuietCase &c : cases) {
        SCOPED_TRACE(c.name);
        state().host.stModoVenda = QString::fromLatin1(c.mode);
        state().totals.doVrDescontoItem = 0.25;
        ServerSeams seams = ServerSeams::current();
        int asked = 0;
        seams.loyalty.getMovBeneFidelidade = [&asked](const QString &, const QString &, const QString &) {
            ++asked;
            return true;
        };
        ScopedTable<ServerSeams> scoped(seams);
        consumer().FidelidadeBalcao("CLI", QString::fromLatin1(c.consumer), "P1", "Produto um", "4,99",
                                    QString::fromLatin1(c.discount));
        EXPECT_EQ(asked, 0);
        EXPECT_DOUBLE_EQ(state().totals.doVrDescontoItem, 0.25);
        EXPECT_EQ(messages->count(), 0);
    }
    EXPECT_TRUE(reservedLines().isEmpty());
}

TEST_P(Benefits, ABadPriceOrAFailedReservationGivesNoDiscount)
{
    grant("V", 1.50, 5);
    EXPECT_DOUBLE_EQ(offer("abc"), 0.0);
    EXPECT_TRUE(messages->texts().last().contains("preço do item inválido"));
    EXPECT_DOUBLE_EQ(offer("-1"), 0.0);
    EXPECT_TRUE(reservedLines().isEmpty());
    {
        ServerSeams seams = ServerSeams::current();
        seams.loyalty.setMovBeneficio = [](const QStringList &) { return Variant::failure("base recusou"); };
        ScopedTable<ServerSeams> scoped(seams);
        EXPECT_DOUBLE_EQ(offer("4,99"), 0.0);
    }
    EXPECT_EQ(usesLeft(), 5);
}

TEST_P(Benefits, AnEmptyListConfirmedOrAnotherProductIsRefusedWithProdBeneficio)
{
    grant("V", 1.50, 5);
    exec("UPDATE MOVBENEFICIOCTR SET DTFIMVALBENECONS = :D", {{"D", now.addDays(-3)}}); // list empty
    EXPECT_DOUBLE_EQ(offer("4,99"), 0.0);
    EXPECT_EQ(messages->texts().last(), context().Msg("Prod_Beneficio"));
    EXPECT_TRUE(reservedLines().isEmpty());
}

TEST_P(Benefits, TheDailyLimitOfTheBenefitRefusesTheUse)
{
    grant("V", 1.50, 5);
    ServerSeams seams = ServerSeams::current();
    seams.consumers.getValLimiteBene = [](const QString &, const QString &, const QString &, const QString &) {
        return Variant(QList<Variant>{false, true, QStringLiteral("2"), QString()});
    };
    ScopedTable<ServerSeams> scoped(seams);
    EXPECT_DOUBLE_EQ(offer("4,99"), 0.0);
    EXPECT_EQ(messages->texts().last(),
              QStringLiteral("Operação ultrapassa o limite de 2 descontos liberados para o dia da compra."));
    EXPECT_TRUE(reservedLines().isEmpty());
}

TEST_P(Benefits, TheUnitDiscountLeavesAtLeastACent)
{
    const DiscountCase cases[] = {
        {"money above the price", "V", 5.00, "4,99", 4.98},
        {"a hundred percent", "P", 100, "4,99", 4.98},
        {"ten percent, truncated", "P", 10, "9,99", 0.99},
        {"money below the price", "V", 1.25, "4,99", 1.25},
    };
    grant("V", 1, 50);
    for (const DiscountCase &c : cases) {
        SCOPED_TRACE(c.name);
        exec("UPDATE MOVBENEFICIOCTR SET IDTPDESBENECONS = :K, VRDESBENECONS = :V",
             {{"K", QString::fromLatin1(c.kind)}, {"V", c.value}});
        EXPECT_DOUBLE_EQ(offer(c.price), c.discount);
        registered(true);
    }
}

VENDACONS_DATABASE_KINDS(Benefits);

} // namespace
