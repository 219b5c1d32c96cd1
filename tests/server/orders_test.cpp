#include <support/databasefixture.h>
#include <support/fakehost.h>

#include <server/srv_orders.h>
#include <server/srv_orders_write.h>
#include <server/trdmvendacons.h>

#include <outside/qub_proximocodigo.h>

#include <runtime/clock.h>
#include <runtime/datapacket.h>

#include <QHash>
#include <QMutex>

#include <thread>

using Srv_Kal51000::OrderRowPrice;

namespace {

// ---- packets as the screen sends them ------------------------------------------------------

struct Item
{
    Item(const QString &nrSeq, const QString &produto, const QString &quantidade = QStringLiteral("1"),
         double preco = 10, double desconto = 0, double acrescimo = 0, const QString &lugar = QStringLiteral("1"),
         const QString &pai = QString())
        : NRSEQ(nrSeq), CDPRODUTO(produto), QTPRODCOMVEN(quantidade), VRPRECCOMVEN(preco), VRDESCCOMVEN(desconto),
          VRACRCOMVEN(acrescimo), NRLUGARMESA(lugar), NRSEQPRODPAI(pai)
    {
    }

    QString NRSEQ;
    QString CDPRODUTO;
    QString QTPRODCOMVEN = QStringLiteral("1");
    double VRPRECCOMVEN = 10;
    double VRDESCCOMVEN = 0;
    double VRACRCOMVEN = 0;
    QString NRLUGARMESA = QStringLiteral("1");
    QString NRSEQPRODPAI;
};

struct Part
{
    Part(const QString &nrSeq, const QString &produto, double quantidade = 1, double preco = 0, double desconto = 0,
         double acrescimo = 0, const QString &texto = QString())
        : NRSEQ(nrSeq), CDPRODUTO(produto), QTPRODVEND(quantidade), VRUNVENDAEST(preco), VRDESITVENDAEST(desconto),
          VRACRITVENDAEST(acrescimo), TXPRODCOMVENEST(texto)
    {
    }

    QString NRSEQ;
    QString CDPRODUTO;
    double QTPRODVEND = 1;
    double VRUNVENDAEST = 0;
    double VRDESITVENDAEST = 0;
    double VRACRITVENDAEST = 0;
    QString TXPRODCOMVENEST;
};

struct Option
{
    QString NRSEQ;
    QString CDPRODUTO;
    QString CDGRPOCOR;
    QString CDOCORR;
};

FieldDef textField(const char *name, int size = 20)
{
    return {QString::fromLatin1(name), FieldType::String, size, false};
}

FieldDef realField(const char *name)
{
    return {QString::fromLatin1(name), FieldType::Double, 0, false};
}

DataPacket itemsPacket(const QList<Item> &rows)
{
    DataPacket p;
    p.fields = {textField("NRSEQ", 3), textField("CDPRODUTO"), textField("QTPRODCOMVEN"), realField("VRPRECCOMVEN"),
                realField("VRDESCCOMVEN"), realField("VRACRCOMVEN"), realField("VRUNITVENDCL"),
                textField("NRLUGARMESA", 2), textField("CDLOJA"), textField("NRSEQPRODPAI", 3),
                textField("NRATRAPROD"), {QStringLiteral("DTINIVGCAMPCG"), FieldType::DateTime, 0, false}};
    for (const Item &i : rows) {
        p.rows.append({i.NRSEQ, i.CDPRODUTO, i.QTPRODCOMVEN, i.VRPRECCOMVEN, i.VRDESCCOMVEN, i.VRACRCOMVEN,
                       i.VRPRECCOMVEN, i.NRLUGARMESA, "01", i.NRSEQPRODPAI, "", Variant::null()});
    }
    return p;
}

DataPacket partsPacket(const QList<Part> &rows)
{
    DataPacket p;
    p.fields = {textField("NRSEQ", 3), textField("CDPRODUTO"), realField("QTPRODVEND"), realField("VRUNVENDAEST"),
                realField("VRDESITVENDAEST"), realField("VRACRITVENDAEST"), textField("TXPRODCOMVENEST", 200),
                textField("NRSEQORIG"), {QStringLiteral("NRSEQITEMADD"), FieldType::Integer, 0, false}};
    for (const Part &r : rows) {
        p.rows.append({r.NRSEQ, r.CDPRODUTO, r.QTPRODVEND, r.VRUNVENDAEST, r.VRDESITVENDAEST, r.VRACRITVENDAEST,
                       r.TXPRODCOMVENEST, "1", 0});
    }
    return p;
}

DataPacket optionsPacket(const QList<Option> &rows)
{
    DataPacket p;
    p.fields = {textField("NRSEQ", 3), textField("CDPRODUTO"), textField("CDGRPOCOR"), textField("CDOCORR")};
    for (const Option &o : rows)
        p.rows.append({o.NRSEQ, o.CDPRODUTO, o.CDGRPOCOR, o.CDOCORR});
    return p;
}

// ---- the host's price function, scripted ---------------------------------------------------

// Answers by product; a product it does not know is refused as "PRECNCAD". Thread-safe.
class ScriptedPrices
{
public:
    ScriptedPrices()
    {
        Srv_Kal51000::setOrderRowPriceFunction([this](const Srv_Kal51000::OrderRowPriceRequest &r) {
            QMutexLocker lock(&m_lock);
            m_products.append(r.CDPRODUTO);
            return m_answers.value(r.CDPRODUTO, OrderRowPrice::refused(QStringLiteral("PRECNCAD")));
        });
    }
    ~ScriptedPrices() { Srv_Kal51000::setOrderRowPriceFunction({}); }

    void set(const QString &product, const OrderRowPrice &answer)
    {
        QMutexLocker lock(&m_lock);
        m_answers.insert(product, answer);
    }
    QStringList asked() const
    {
        QMutexLocker lock(&m_lock);
        return m_products;
    }

private:
    mutable QMutex m_lock;
    QHash<QString, OrderRowPrice> m_answers;
    QStringList m_products;
};

// One order of branch 1, store 01, restaurant sale 500, tab 7.
struct Order
{
    DataPacket items;
    DataPacket parts;
    DataPacket options;
    DataPacket partOptions;
};

Variant send(const Order &order, const QString &NRCOMANDA = QStringLiteral("7"))
{
    return Srv_Kal51000::getGeraPedido("1", "01", "CLI", NRCOMANDA, "500", order.items, order.parts, "CONS", "002",
                                       "0005", "12", order.options, order.partOptions, "M");
}

class Orders : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Clock::setNow([] { return QDateTime(QDate(2026, 4, 10), QTime(20, 15)); });
        exec("INSERT INTO VENDAREST (CDFILIAL, CDLOJA, NRVENDAREST, DTHRABERMESA) VALUES ('1', '01', '500', :D)",
             {{"D", QDateTime(QDate(2026, 4, 10), QTime(19, 0))}});
        for (const char *product : {"A", "B", "C", "D"})
            prices.set(product, OrderRowPrice::price(10));
    }

    // NRPRODCOMVEN -> CDPRODUTO of the tab's items.
    QList<QStringList> items(const QString &columns = QStringLiteral("NRPRODCOMVEN, CDPRODUTO"))
    {
        QList<QStringList> out;
        for (const auto &row : rows("SELECT " + columns + " FROM ITCOMANDAVEN ORDER BY NRPRODCOMVEN")) {
            QStringList texts;
            for (const QVariant &v : row)
                texts.append(v.toString());
            out.append(texts);
        }
        return out;
    }
    int count(const QString &table)
    {
        return rows("SELECT COUNT(*) FROM " + table).first().first().toInt();
    }
    double registerTotal()
    {
        const auto found = rows("SELECT VRTOTAL FROM REGISTROMESA WHERE CDFILIAL = '1' AND NRVENDAREST = '500'");
        return found.isEmpty() ? -1 : found.first().first().toDouble();
    }
    void makeAllYouCanEat(const char *product)
    {
        exec("INSERT INTO PRODUTO (CDPRODUTO, IDTIPOCOMPPROD, IDIMPPRODUTO) VALUES (:P, '6', '1')", {{"P", product}});
    }

    ScriptedPrices prices;
};

TEST_P(Orders, ItemsAreWrittenInAscendingScreenLineOrder)
{
    const Order order{itemsPacket({{"003", "C"}, {"001", "A"}, {"002", "B"}}), {}, {}, {}};
    EXPECT_EQ(send(order), Variant());
    EXPECT_EQ(items(), (QList<QStringList>{{"000001", "A"}, {"000002", "B"}, {"000003", "C"}}));
    EXPECT_EQ(prices.asked(), (QStringList{"A", "B", "C"}));
    EXPECT_EQ(items("NRSEQPRODCUP, CDCAIXACOLETOR, CDVENDEDOR, CDSENHAPED, IDSTPRCOMVEN, NRLUGARMESA").first(),
              (QStringList{"1", "002", "0005", "12", "3", "01"}));
    // The next order of the tab takes the numbers after these.
    EXPECT_EQ(send({itemsPacket({{"001", "D"}}), {}, {}, {}}), Variant());
    EXPECT_EQ(items().last(), (QStringList{"000004", "D"}));
}

// An order is written whole or not at all: the screen keeps a refused sale for another try,
// and that try must not find half of the order written already.
TEST_P(Orders, ARefusedRowWritesNothingOfTheOrder)
{
    exec("INSERT INTO REGISTROMESA (CDFILIAL, NRVENDAREST, IDSITUACAO, VRTOTAL) VALUES ('1', '500', 'A', 5)");
    prices.set("B", OrderRowPrice::refused("DTCLI"));
    const Order order{itemsPacket({{"001", "A"}, {"002", "B"}, {"003", "C", "1", 10, 0, 0, "1", "002"},
                                   {"004", "D", "1", 10, 0, 0, "1", "001"}}),
                      partsPacket({{"001", "P1"}}), optionsPacket({{"001", "A", "G1", "O1"}}), {}};
    EXPECT_EQ(send(order), Variant("DTCLI"));
    EXPECT_FALSE(rdmVendaCons().InTransaction());
    EXPECT_EQ(count("ITCOMANDAVEN"), 0);
    EXPECT_EQ(count("ITCOMANDAEST"), 0);
    EXPECT_EQ(count("OBSITCOMANDAVEN"), 0);
    EXPECT_DOUBLE_EQ(registerTotal(), 5);
    // Rows after the refused one are not even priced.
    EXPECT_EQ(prices.asked(), (QStringList{"A", "B"}));
}

TEST_P(Orders, AResendAfterARefusalWritesEachRowOnce)
{
    prices.set("C", OrderRowPrice::refused("PRECZERO"));
    const Order order{itemsPacket({{"001", "A"}, {"002", "B"}, {"003", "C"}}), {}, {}, {}};
    EXPECT_EQ(send(order), Variant("PRECZERO"));
    EXPECT_EQ(send(order), Variant("PRECZERO"));
    prices.set("C", OrderRowPrice::price(10));
    EXPECT_EQ(send(order), Variant());
    // The refused tries consumed their numbers (drawn outside the transaction); nothing else.
    EXPECT_EQ(items(), (QList<QStringList>{{"000007", "A"}, {"000008", "B"}, {"000009", "C"}}));
    EXPECT_DOUBLE_EQ(registerTotal(), 30);
}

TEST_P(Orders, AnAllYouCanEatProductSentAgainForTheSeatReusesItsItem)
{
    makeAllYouCanEat("A");
    ASSERT_EQ(send({itemsPacket({{"001", "A"}}), {}, {}, {}}), Variant());
    const Order again{itemsPacket({{"001", "A", "1", 10, 0, 0, "01"}, {"002", "B"}}), {},
                      optionsPacket({{"001", "A", "G1", "O1"}}), {}};
    ASSERT_EQ(send(again), Variant());
    // The second order drew 000002 and 000003; the reused row still consumed 000002.
    EXPECT_EQ(items(), (QList<QStringList>{{"000001", "A"}, {"000003", "B"}}));
    EXPECT_EQ(rows("SELECT NRPRODCOMVEN FROM OBSITCOMANDAVEN").first().first().toString(), "000001");
    EXPECT_DOUBLE_EQ(registerTotal(), 30); // the reused item's value still counts
    // Another seat is another item.
    ASSERT_EQ(send({itemsPacket({{"001", "A", "1", 10, 0, 0, "2"}}), {}, {}, {}}), Variant());
    EXPECT_EQ(count("ITCOMANDAVEN"), 3);
}

TEST_P(Orders, RepeatedPartsAreMergedAndAPartSentAgainAddsToItsRow)
{
    makeAllYouCanEat("A");
    const Order order{itemsPacket({{"001", "A"}}),
                      partsPacket({{"001", "P1", 1, 4.5, 0.1, 0.2, "sem sal"}, {"001", "P2", 1, 3},
                                   {"001", "P1", 2, 9.9, 0.3, 0.4, "+gelo"}}),
                      {}, optionsPacket({{"001", "P1", "G", "1"}, {"001", "P2", "G", "2"}, {"001", "P1", "G", "1"}})};
    ASSERT_EQ(send(order), Variant());
    const QString parts = "SELECT CDPRODUTO, QTPROCOMEST, VRPRECCOMEST, VRDESITCOMEST, VRACRITCOMEST, "
                          "TXPRODCOMVENEST FROM ITCOMANDAEST ORDER BY CDPRODUTO";
    auto found = rows(parts);
    ASSERT_EQ(found.size(), 2);
    EXPECT_EQ(found[0][0].toString(), "P1");
    EXPECT_DOUBLE_EQ(found[0][1].toDouble(), 3);
    EXPECT_DOUBLE_EQ(found[0][2].toDouble(), 4.5); // the first occurrence's other values
    EXPECT_DOUBLE_EQ(found[0][3].toDouble(), 0.4);
    EXPECT_DOUBLE_EQ(found[0][4].toDouble(), 0.6);
    EXPECT_EQ(found[0][5].toString(), "sem sal");
    EXPECT_EQ(count("OBSITCOMANDAEST"), 2);

    ASSERT_EQ(send({itemsPacket({{"001", "A"}}), partsPacket({{"001", "P1", 1, 4.5, 0.5, 7, " extra"}}), {}, {}}),
              Variant());
    found = rows(parts);
    EXPECT_DOUBLE_EQ(found[0][1].toDouble(), 4);
    EXPECT_DOUBLE_EQ(found[0][3].toDouble(), 0.9);
    EXPECT_DOUBLE_EQ(found[0][4].toDouble(), 0.6); // never the surcharge
    EXPECT_EQ(found[0][5].toString(), "sem sal extra");
}

TEST_P(Orders, AnOptionSentTwiceForAnItemIsWrittenOnce)
{
    const Order order{itemsPacket({{"001", "A"}, {"002", "B"}}), {},
                      optionsPacket({{"001", "A", "G", "1"}, {"001", "A", "G", "1"}, {"002", "B", "G", "1"}}), {}};
    ASSERT_EQ(send(order), Variant());
    EXPECT_EQ(count("OBSITCOMANDAVEN"), 2);
}

TEST_P(Orders, ANegativeQuantityIsStoredPositiveButCountedNegative)
{
    const Order order{itemsPacket({{"001", "A", "3"}, {"002", "B", "-1,5"}}), {}, {}, {}};
    ASSERT_EQ(send(order), Variant());
    EXPECT_EQ(items("QTPRODCOMVEN").last().first().toDouble(), 1.5);
    EXPECT_DOUBLE_EQ(registerTotal(), 15); // 3 x 10 - 1.5 x 10
}

TEST_P(Orders, TheRegisterTotalIsTruncatedOnceWhenWritten)
{
    prices.set("A", OrderRowPrice::price(1.005));
    prices.set("B", OrderRowPrice::price(1.005));
    const Order order{itemsPacket({{"001", "A", "1", 1.005, 0, 0}, {"002", "B", "1", 1.005, 0, 0.004}}), {}, {}, {}};
    ASSERT_EQ(send(order), Variant());
    EXPECT_DOUBLE_EQ(registerTotal(), 2.01); // 2.014, where truncating each item would give 2.00
    const auto reg = rows("SELECT DTHRABERTURA, IDSITUACAO FROM REGISTROMESA");
    EXPECT_EQ(reg[0][1].toString(), "A");
    EXPECT_EQ(reg[0][0].toDateTime(), QDateTime(QDate(2026, 4, 10), QTime(19, 0)));
    ASSERT_EQ(send(order), Variant());
    EXPECT_DOUBLE_EQ(registerTotal(), 4.02);
}

TEST_P(Orders, AnEmptyOrderOpensTheRegisterAtZeroOrKeepsItsTotal)
{
    ASSERT_EQ(send({itemsPacket({}), {}, {}, {}}), Variant());
    EXPECT_EQ(count("ITCOMANDAVEN"), 0);
    EXPECT_DOUBLE_EQ(registerTotal(), 0);
    exec("UPDATE REGISTROMESA SET VRTOTAL = 12.5");
    ASSERT_EQ(send({DataPacket{}, {}, {}, {}}), Variant());
    EXPECT_DOUBLE_EQ(registerTotal(), 12.5);
}

TEST_P(Orders, ProductionIsControlledOnlyForProductsWithASectorInAControllingStore)
{
    exec("INSERT INTO LOJA (CDFILIAL, CDLOJA, IDCONTROPROD) VALUES ('1', '01', 'S')");
    exec("INSERT INTO PRODLOJA (CDFILIAL, CDLOJA, CDPRODUTO, CDSETOR) VALUES ('1', '01', 'A', 'COZ')");
    ASSERT_EQ(send({itemsPacket({{"001", "A"}, {"002", "B"}}), {}, {}, {}}), Variant());
    EXPECT_EQ(items("IDSTPRCOMVEN"), (QList<QStringList>{{"1"}, {"3"}}));
}

// A failure in the middle of an order leaves nothing of it behind, whatever the step.
struct MidOrderFailure
{
    const char *name;
    const char *dropped;
};

const MidOrderFailure midOrderFailures[] = {
    {"ItemOptions", "OBSITCOMANDAVEN"},
    {"PartOptions", "OBSITCOMANDAEST"},
    {"Register", "REGISTROMESA"},
};

TEST_P(Orders, ADatabaseFailureMidOrderLeavesNoItemPartOrTotal)
{
    for (const MidOrderFailure &failure : midOrderFailures) {
        SCOPED_TRACE(failure.name);
        exec("INSERT INTO REGISTROMESA (CDFILIAL, NRVENDAREST, IDSITUACAO, VRTOTAL) VALUES ('1', '500', 'A', 5)");
        exec(QStringLiteral("ALTER TABLE %1 RENAME TO GONE").arg(failure.dropped));
        const Order order{itemsPacket({{"001", "A"}, {"002", "B"}}), partsPacket({{"002", "P1"}}),
                          optionsPacket({{"002", "B", "G", "1"}}), optionsPacket({{"002", "P1", "G", "1"}})};
        const Variant result = send(order);
        EXPECT_TRUE(result.isFailure()) << describe(result).toStdString();
        EXPECT_FALSE(rdmVendaCons().InTransaction());
        exec(QStringLiteral("ALTER TABLE GONE RENAME TO %1").arg(failure.dropped));
        EXPECT_EQ(count("ITCOMANDAVEN"), 0);
        EXPECT_EQ(count("ITCOMANDAEST"), 0);
        EXPECT_EQ(count("OBSITCOMANDAVEN"), 0);
        EXPECT_DOUBLE_EQ(registerTotal(), 5);
        exec("DELETE FROM REGISTROMESA");
    }
}

TEST_P(Orders, AFailingPriceFunctionRollsTheWholeOrderBack)
{
    prices.set("B", OrderRowPrice::failed("FORAHORA"));
    const Variant result = send({itemsPacket({{"001", "A"}, {"002", "B"}, {"003", "C"}}), {}, {}, {}});
    EXPECT_EQ(result, Variant::failure("FORAHORA"));
    EXPECT_EQ(count("ITCOMANDAVEN"), 0);
    EXPECT_EQ(registerTotal(), -1);
}

TEST_P(Orders, WithoutAHostPriceFunctionNothingIsWritten)
{
    Srv_Kal51000::setOrderRowPriceFunction({});
    const Variant result = send({itemsPacket({{"001", "A"}}), {}, {}, {}});
    EXPECT_TRUE(result.isFailure());
    EXPECT_TRUE(result.failureText().contains("ChamaFuncaoRetornaPreco")) << result.failureText().toStdString();
    EXPECT_EQ(count("ITCOMANDAVEN"), 0);
}

TEST_P(Orders, RowsArePricedByTheHostsPriceFunction)
{
    Srv_Kal51000::setOrderRowPriceFunction({});
    FakeHost host;
    host.setDefault(&Pkg_Hrk00002::ChamaFuncaoRetornaPreco, PriceTextAnswer{"12,50", {}});
    EXPECT_TRUE(send({itemsPacket({{"001", "A"}}), {}, {}, {}}).isEmpty());
    EXPECT_EQ(host.requests(&Pkg_Hrk00002::ChamaFuncaoRetornaPreco).size(), 1);
    EXPECT_EQ(count("ITCOMANDAVEN"), 1);

    host.setDefault(&Pkg_Hrk00002::ChamaFuncaoRetornaPreco, PriceTextAnswer{"PRECNCAD", {}});
    EXPECT_EQ(send({itemsPacket({{"002", "B"}}), {}, {}, {}}), Variant(QStringLiteral("PRECNCAD")));
}

TEST_P(Orders, AFailedNumberDrawStopsTheOrderBeforeAnythingIsWritten)
{
    exec("ALTER TABLE NOVOCODIGO RENAME TO GONE");
    const Variant result = send({itemsPacket({{"001", "A"}}), {}, {}, {}});
    exec("ALTER TABLE GONE RENAME TO NOVOCODIGO");
    EXPECT_TRUE(result.isFailure());
    EXPECT_TRUE(prices.asked().isEmpty());
    EXPECT_EQ(count("ITCOMANDAVEN"), 0);
    EXPECT_EQ(registerTotal(), -1);
}

TEST_P(Orders, UnusableInputIsRefusedWithoutWriting)
{
    const Variant notAPacket = Srv_Kal51000::getGeraPedido("1", "01", "CLI", "7", "500", "texto", {}, "", "002", "",
                                                           "", {}, {}, "M");
    EXPECT_TRUE(notAPacket.isFailure());
    EXPECT_TRUE(send({itemsPacket({{"001", "A", "dois"}}), {}, {}, {}}).isFailure());
    EXPECT_EQ(count("ITCOMANDAVEN"), 0);
}

TEST_P(Orders, NextNumberWrappersAnswerNumbersOrAFailure)
{
    EXPECT_EQ(Srv_Kal51000::PrxItemComanda("1", "7", 3), Variant("1"));
    EXPECT_EQ(Srv_Kal51000::PrxItemComanda("1", "7", 1), Variant("4"));
    EXPECT_EQ(Srv_Kal51000::PrxItComandaVen("1"), Variant("1"));
    EXPECT_EQ(Srv_Kal51000::PrxPedidoQub("1", 1), Variant("1"));
    EXPECT_EQ(Srv_Kal51000::PrxPedidoQub("1", 2), Variant("2"));
    exec("ALTER TABLE NOVOCODIGO RENAME TO GONE");
    EXPECT_TRUE(Srv_Kal51000::PrxItComandaVen("1").isFailure());
    EXPECT_TRUE(Srv_Kal51000::PrxPedidoQub("1", 1).isFailure());
    exec("ALTER TABLE GONE RENAME TO NOVOCODIGO");
}

// Two tills, each with its own data module and sessions, send orders to one table at once.
TEST_P(Orders, TwoTillsWritingToOneTableAtOnceBothComplete)
{
    constexpr int ordersPerTill = 4;
    constexpr int itemsPerOrder = 6;
    QList<Item> lines;
    for (int i = 1; i <= itemsPerOrder; ++i)
        lines.append({QStringLiteral("%1").arg(i, 3, 10, QLatin1Char('0')), i % 2 ? "A" : "B"});
    const DataPacket packet = itemsPacket(lines);
    QStringList failures;
    QMutex failuresLock;
    auto till = [&](const QString &tab) {
        TrdmVendaCons module;
        const OrderWriting::OrderKeys keys{"1", "01", "CLI", tab, "500", "", "002", "", "", "M"};
        for (int n = 0; n < ordersPerTill; ++n) {
            const Variant result = OrderWriting::writeOrder(module, keys, packet, {}, {}, {});
            if (!result.isEmpty()) {
                QMutexLocker lock(&failuresLock);
                failures.append(describe(result));
            }
        }
        // The till's next-number session ends with its till, not with the test program.
        Qub_proximocodigo::releaseIdleSession();
    };
    // Plain threads: joining one waits until it has wholly ended, its own storage included.
    std::thread first(till, QStringLiteral("7"));
    std::thread second(till, QStringLiteral("7"));
    first.join();
    second.join();
    EXPECT_TRUE(failures.isEmpty()) << failures.join("; ").toStdString();
    EXPECT_EQ(count("ITCOMANDAVEN"), 2 * ordersPerTill * itemsPerOrder);
    EXPECT_EQ(rows("SELECT COUNT(DISTINCT NRPRODCOMVEN) FROM ITCOMANDAVEN").first().first().toInt(),
              2 * ordersPerTill * itemsPerOrder);
    EXPECT_DOUBLE_EQ(registerTotal(), 2 * ordersPerTill * itemsPerOrder * 10.0);
}

VENDACONS_DATABASE_KINDS(Orders);

struct PriceAnswerCase
{
    const char *name;
    const char *answer;
    const char *kind; // "price", "refused" or "failed"
    double value;
};

class PriceAnswers : public ::testing::TestWithParam<PriceAnswerCase>
{
};

TEST_P(PriceAnswers, TheHostTextAnswerReadsAsPriceRefusalOrFailure)
{
    const PriceAnswerCase &c = GetParam();
    const OrderRowPrice read = OrderRowPrice::fromAnswer(QString::fromUtf8(c.answer));
    const QString kind = read.isPrice() ? "price" : read.isRefused() ? "refused" : "failed";
    EXPECT_EQ(kind, QString::fromLatin1(c.kind));
    if (read.isPrice()) {
        EXPECT_DOUBLE_EQ(read.value(), c.value);
    }
    if (read.isRefused()) {
        EXPECT_EQ(read.text(), QString::fromUtf8(c.answer));
    }
}

INSTANTIATE_TEST_SUITE_P(Answers, PriceAnswers,
                         ::testing::Values(PriceAnswerCase{"DecimalComma", "12,50", "price", 12.5},
                                           PriceAnswerCase{"DecimalPoint", "12.50", "price", 12.5},
                                           PriceAnswerCase{"NotRegistered", "PRECNCAD", "refused", 0},
                                           PriceAnswerCase{"NoTable", "TABENCAD", "refused", 0},
                                           PriceAnswerCase{"ClientValidity", "DTCLI", "refused", 0},
                                           PriceAnswerCase{"DefaultValidity", "DTPAR", "refused", 0},
                                           PriceAnswerCase{"StoreValidity", "DTLOJ", "refused", 0},
                                           PriceAnswerCase{"Zero", "PRECZERO", "refused", 0},
                                           PriceAnswerCase{"CodeInOtherCase", "preczero", "failed", 0},
                                           PriceAnswerCase{"Empty", "", "failed", 0},
                                           PriceAnswerCase{"Words", "sem preço", "failed", 0}),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
