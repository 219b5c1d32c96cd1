// The host's order-cancellation dialog: the chosen lines leave the sale and are kept as
// cancelled lines, with their item cancelled on the simulated printer's open receipt, their
// value given back to the consumer's balance family and their tab surcharge answered; a line
// the printer refuses stays. Then the whole road through the real host program, sale after
// sale: three plates sold, F8 cancels one, the sale settles with the other two.
#include "hostprogram.h"

#include <host/devices/fiscalprinter.h>
#include <host/dialogs/ordercancel.h>
#include <host/program/scriptedanswers.h>

#include <runtime/clientdataset.h>
#include <runtime/clock.h>

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QDateTime Now(QDate(2024, 3, 6), QTime(12, 30, 15));

ItemSaleRequest printerItem(const QString &code, double price)
{
    ItemSaleRequest request;
    request.itemCode = code;
    request.description = QStringLiteral("#1700100#21069090#PRATO ") + code;
    request.aliquotCode = QStringLiteral("01");
    request.idAliqImpFis = QStringLiteral("T");
    request.aliquotValue = QStringLiteral("3,20");
    request.sgUnidade = QStringLiteral("UN");
    request.quantity = 1;
    request.price = price;
    return request;
}

class OrderCancelHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Clock::setNow([] { return Now; });
        printer = std::make_unique<FiscalPrinter>(folder.path());
        printer->setReporter([this](const QString &text) { reported.append(text); });
        for (auto [name, type, size] : {std::tuple{"NRSEQ", FieldType::String, 3}, {"CDPRODUTO", FieldType::String, 20},
                                        {"NMPRODUTO", FieldType::String, 50}, {"QTPRODCOMVEN", FieldType::String, 20},
                                        {"VRPRECCOMVEN", FieldType::Currency, 0}, {"VRDESCCOMVEN", FieldType::Currency, 0},
                                        {"VRACRCOMVEN", FieldType::Double, 0}, {"VRACRCOMANDA", FieldType::Double, 0},
                                        {"CDFAMILISALD", FieldType::String, 3}, {"CDOPERADOR", FieldType::String, 12},
                                        {"NRSEQPRODPAI", FieldType::String, 3}})
            items.FieldDefs().Add(QString::fromLatin1(name), type, size);
        items.CreateDataSet();
        for (auto [name, type, size] : {std::tuple{"NRSEQ", FieldType::String, 3}, {"CDPRODUTO", FieldType::String, 20},
                                        {"VRPRECCOMVEN", FieldType::String, 20}, {"QTPRODCOMVEN", FieldType::String, 20},
                                        {"DSOBSCANITE", FieldType::String, 100}, {"CDSUPERVISOR", FieldType::String, 12},
                                        {"NRSEQPRODPAI", FieldType::String, 3}})
            cancelled.FieldDefs().Add(QString::fromLatin1(name), type, size);
        cancelled.CreateDataSet();
        families.FieldDefs().Add(QStringLiteral("CDFAMILISALD"), FieldType::String, 3);
        families.FieldDefs().Add(QStringLiteral("VRSALDCONFAM"), FieldType::Double);
        families.CreateDataSet();
        request.modoVenda = QStringLiteral("B");
    }
    void TearDown() override
    {
        ScriptedAnswers::clear();
        ScriptedAnswers::setUnattended(false);
        Clock::setNow({});
    }

    void addLine(const QString &nrSeq, const QString &product, double price, const QString &family = QString(),
                 double surcharge = 0)
    {
        items.Append();
        items.FieldByName(QStringLiteral("NRSEQ")).SetAsString(nrSeq);
        items.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(product);
        items.FieldByName(QStringLiteral("QTPRODCOMVEN")).SetAsString(QStringLiteral("1"));
        items.FieldByName(QStringLiteral("VRPRECCOMVEN")).SetAsFloat(price);
        items.FieldByName(QStringLiteral("VRDESCCOMVEN")).SetAsFloat(0);
        items.FieldByName(QStringLiteral("VRACRCOMVEN")).SetAsFloat(0);
        items.FieldByName(QStringLiteral("VRACRCOMANDA")).SetAsFloat(surcharge);
        items.FieldByName(QStringLiteral("CDFAMILISALD")).SetAsString(family);
        items.FieldByName(QStringLiteral("CDOPERADOR")).SetAsString(QStringLiteral("0001"));
        items.Post();
    }
    // The sale's lines sold on the printer's receipt, one item each.
    void sellOnPrinter(const QList<std::pair<QString, double>> &lines)
    {
        ASSERT_TRUE(printer->AbreCupom(CouponOpenRequest{}).ok);
        for (const auto &[product, price] : lines) {
            addLine(QStringLiteral("%1").arg(items.RecordCount() + 1, 3, 10, QLatin1Char('0')), product, price);
            ASSERT_TRUE(printer->VendaItem(printerItem(product, price)).ok);
        }
    }
    OrderCancelAnswer cancel(const QString &scripted, FiscalPrinter *on)
    {
        OrderCancelDatasets sets{items, cancelled, families};
        return OrderCancel::cancelLines(*OrderCancel::choiceOf(scripted), request, sets, on);
    }
    QStringList column(ClientDataSet &dataset, const char *name)
    {
        QStringList values;
        for (dataset.First(); !dataset.Eof(); dataset.Next())
            values.append(dataset.FieldByName(QString::fromLatin1(name)).AsString());
        return values;
    }
    QString tape() const
    {
        QFile file(printer->tapePath(Now.date()));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir folder;
    std::unique_ptr<FiscalPrinter> printer;
    QStringList reported;
    ClientDataSet items{QStringLiteral("cdsItems")};
    ClientDataSet cancelled{QStringLiteral("cdsItensCancelados")};
    ClientDataSet families{QStringLiteral("cdsFamiliaSaldo")};
    OrderCancelRequest request;
};

} // namespace

TEST_F(OrderCancelHost, ChosenLineLeavesTheSaleAndTheReceiptAndIsKeptWithItsReason)
{
    sellOnPrinter({{QStringLiteral("01001"), 22.90}, {QStringLiteral("01002"), 24.90}, {QStringLiteral("01006"), 18.90}});
    cancel(QStringLiteral("2 Cliente desistiu"), printer.get());
    EXPECT_EQ(column(items, "NRSEQ"), (QStringList{"001", "003"}));
    EXPECT_EQ(column(cancelled, "CDPRODUTO"), QStringList{"01002"});
    cancelled.First();
    EXPECT_EQ(cancelled.FieldByName(QStringLiteral("DSOBSCANITE")).AsString(), QStringLiteral("Cliente desistiu"));
    EXPECT_EQ(cancelled.FieldByName(QStringLiteral("NRSEQ")).AsString(), QStringLiteral("002"));
    EXPECT_DOUBLE_EQ(printer->openTotal(), 41.80);
    EXPECT_TRUE(tape().contains(QStringLiteral("CANCELAMENTO ITEM 002 01002"))) << tape().toStdString();
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(OrderCancelHost, LineThePrinterWillNotCancelStaysInTheSale)
{
    sellOnPrinter({{QStringLiteral("01001"), 22.90}});
    addLine(QStringLiteral("002"), QStringLiteral("01002"), 24.90); // never reached the receipt
    cancel(QStringLiteral("1;2"), printer.get());
    EXPECT_EQ(column(items, "NRSEQ"), QStringList{"002"});
    EXPECT_EQ(column(cancelled, "NRSEQ"), QStringList{"001"});
    EXPECT_EQ(reported.size(), 1);
    EXPECT_DOUBLE_EQ(printer->openTotal(), 0);
}

TEST_F(OrderCancelHost, ReceiptAlreadyTotalledRefusesAndEveryLineStays)
{
    sellOnPrinter({{QStringLiteral("01001"), 22.90}, {QStringLiteral("01002"), 24.90}});
    DataPacket payments;
    payments.fields = {{"NMTIPORECE", FieldType::String, 60}, {"VRMOVIVEND", FieldType::Double, 0}};
    payments.rows = {{QStringLiteral("Dinheiro"), 47.80}};
    ASSERT_TRUE(printer->registerPayments(payments).isEmpty());
    const OrderCancelAnswer answer = cancel(QStringLiteral("002"), printer.get());
    EXPECT_EQ(column(items, "NRSEQ"), (QStringList{"001", "002"}));
    EXPECT_TRUE(cancelled.IsEmpty());
    EXPECT_EQ(answer.surcharge, 0);
    EXPECT_EQ(reported.size(), 1);
}

TEST_F(OrderCancelHost, ItemCancelledOnTheReceiptIsStillCancelledAfterARestart)
{
    sellOnPrinter({{QStringLiteral("01001"), 22.90}, {QStringLiteral("01002"), 24.90}});
    cancel(QStringLiteral("001"), printer.get());
    FiscalPrinter again(folder.path());
    EXPECT_DOUBLE_EQ(again.openTotal(), 24.90);
    EXPECT_FALSE(again.cancelItem(1).isEmpty()) << "cancelled once only";
}

TEST_F(OrderCancelHost, WithoutAnOpenReceiptOrOutsideTheCounterThePrinterIsNotAsked)
{
    addLine(QStringLiteral("001"), QStringLiteral("01001"), 22.90);
    cancel(QStringLiteral("001"), printer.get()); // nothing open on the printer: an electronic-document desk
    request.modoVenda = QStringLiteral("M");
    ASSERT_TRUE(printer->AbreCupom(CouponOpenRequest{}).ok);
    addLine(QStringLiteral("002"), QStringLiteral("01002"), 24.90);
    cancel(QStringLiteral("002"), printer.get());
    EXPECT_TRUE(items.IsEmpty());
    EXPECT_EQ(cancelled.RecordCount(), 2);
    EXPECT_TRUE(reported.isEmpty());
}

TEST_F(OrderCancelHost, FamilyGetsTheLineValueBackAndTheSurchargeIsAnswered)
{
    families.Append();
    families.FieldByName(QStringLiteral("CDFAMILISALD")).SetAsString(QStringLiteral("REF"));
    families.FieldByName(QStringLiteral("VRSALDCONFAM")).SetAsFloat(32.90);
    families.Post();
    families.Append();
    families.FieldByName(QStringLiteral("CDFAMILISALD")).SetAsString(QStringLiteral("LAN"));
    families.FieldByName(QStringLiteral("VRSALDCONFAM")).SetAsFloat(5.50);
    families.Post();
    addLine(QStringLiteral("001"), QStringLiteral("01001"), 22.90, QStringLiteral("REF"), 2.29);
    addLine(QStringLiteral("002"), QStringLiteral("06001"), 5.50, QStringLiteral("LAN"), 0.55);
    addLine(QStringLiteral("003"), QStringLiteral("01006"), 10.00, QStringLiteral("REF"));
    const OrderCancelAnswer answer = cancel(QStringLiteral("001;002"), nullptr);
    EXPECT_DOUBLE_EQ(answer.surcharge, 2.84);
    EXPECT_EQ(column(families, "CDFAMILISALD"), QStringList{"REF"}) << "a family used up leaves the list";
    families.First();
    EXPECT_DOUBLE_EQ(families.FieldByName(QStringLiteral("VRSALDCONFAM")).AsFloat(), 10.00);
}

TEST_F(OrderCancelHost, CursorIsLeftOnTheFirstLineAddedAfterEarlierCancellations)
{
    addLine(QStringLiteral("001"), QStringLiteral("01001"), 22.90);
    addLine(QStringLiteral("002"), QStringLiteral("01002"), 24.90);
    addLine(QStringLiteral("003"), QStringLiteral("01006"), 18.90);
    cancel(QStringLiteral("001"), nullptr);
    cancel(QStringLiteral("003;002"), nullptr);
    EXPECT_EQ(cancelled.RecNo(), 2);
    EXPECT_EQ(cancelled.FieldByName(QStringLiteral("NRSEQ")).AsString(), QStringLiteral("003"));
}

TEST_F(OrderCancelHost, UnattendedWithoutAScriptedAnswerNothingIsCancelled)
{
    ScriptedAnswers::setUnattended(true);
    addLine(QStringLiteral("001"), QStringLiteral("01001"), 22.90);
    OrderCancelDatasets sets{items, cancelled, families};
    EXPECT_EQ(OrderCancel::CancelaPedido(request, sets, nullptr).surcharge, 0);
    ScriptedAnswers::push(ScriptedAnswers::Kind::CancelItem, {true, QString()});
    OrderCancel::CancelaPedido(request, sets, nullptr);
    EXPECT_EQ(items.RecordCount(), 1);
    ScriptedAnswers::push(ScriptedAnswers::Kind::CancelItem, {false, QStringLiteral("1")});
    OrderCancel::CancelaPedido(request, sets, nullptr);
    EXPECT_TRUE(items.IsEmpty());
}

struct ChoiceCase
{
    const char *scripted;
    QStringList lines;
    const char *reason;
};

class ScriptedChoice : public ::testing::TestWithParam<ChoiceCase>
{
};

TEST_P(ScriptedChoice, NamesTheLinesInThreeDigitsAndTheReason)
{
    const ChoiceCase c = GetParam();
    const auto choice = OrderCancel::choiceOf(QString::fromUtf8(c.scripted));
    ASSERT_TRUE(choice.has_value());
    EXPECT_EQ(choice->lines, c.lines);
    EXPECT_EQ(choice->reason, QString::fromUtf8(c.reason));
}

INSTANTIATE_TEST_SUITE_P(
    Answer, ScriptedChoice,
    ::testing::Values(ChoiceCase{"2", {"002"}, "Cancelado pelo operador"},
                      ChoiceCase{"002;3 Cliente desistiu", {"002", "003"}, "Cliente desistiu"},
                      ChoiceCase{" 010;;11  Errado ", {"010", "011"}, "Errado"}));

TEST(OrderCancelChoice, AnswerWithoutALineNamesNothing)
{
    EXPECT_FALSE(OrderCancel::choiceOf(QString()).has_value());
    EXPECT_FALSE(OrderCancel::choiceOf(QStringLiteral(";")).has_value());
}

// ---- the road through the host program ------------------------------------------------------

namespace {

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QList<QStringList> query(const QString &site, const QString &sql)
{
    const QString name = QStringLiteral("item-cancel");
    QList<QStringList> found;
    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
        if (base.open()) {
            QSqlQuery q(base);
            EXPECT_TRUE(q.exec(sql)) << q.lastError().text().toStdString();
            while (q.next()) {
                QStringList row;
                for (int i = 0; i < q.record().count(); ++i)
                    row.append(q.value(i).toString());
                found.append(row);
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return found;
}

// Plays the script twice on a fresh demo site of the desk kind; answers the site.
QString playTwice(const QTemporaryDir &work, const QString &till)
{
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    EXPECT_TRUE(runHost({"--init-site", site, "--till", till}, work.path(), output)) << output.toStdString();
    const QString script = readText(QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/cancela-item.txt"));
    EXPECT_FALSE(script.isEmpty());
    const QString twice = work.filePath(QStringLiteral("roteiro.txt"));
    QFile out(twice);
    EXPECT_TRUE(out.open(QIODevice::WriteOnly));
    out.write((script + QLatin1Char('\n') + script).toUtf8());
    out.close();
    EXPECT_TRUE(runHost({"--site", site, "--script", twice}, work.path(), output)) << output.toStdString();
    EXPECT_EQ(query(site, QStringLiteral("SELECT COUNT(*) FROM VENDA")), (QList<QStringList>{{"2"}}));
    EXPECT_EQ(query(site, QStringLiteral("SELECT CDPRODUTO, COUNT(*) FROM ITEMVENDA GROUP BY CDPRODUTO ORDER BY 1")),
              (QList<QStringList>{{"01001", "2"}, {"01006", "2"}}))
        << "the cancelled plate was sold in neither";
    return site;
}

} // namespace

TEST(ItemCancelRoad, F8CancelsOneLineOnTheReceiptAndEachSaleSettlesWithTheRest)
{
    ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
    QTemporaryDir work;
    const QString site = playTwice(work, QStringLiteral("ecf"));
    const QString printerFolder = QDir(site).filePath(QStringLiteral("Dados/ImpressoraFiscal"));
    QString tapes;
    for (const QString &name : QDir(printerFolder).entryList({QStringLiteral("fita-*.txt")}))
        tapes += readText(QDir(printerFolder).filePath(name));
    EXPECT_EQ(tapes.count(QStringLiteral("CANCELAMENTO ITEM 002")), 2) << tapes.toStdString();
    EXPECT_TRUE(readText(QDir(printerFolder).filePath(QStringLiteral("estado.txt"))).contains(QStringLiteral("ABERTO=N")));
}

// Without a printer the cancelled line is saved with the sale it left.
TEST(ItemCancelRoad, OnAnNfceDeskEachSaleKeepsItsCancelledLine)
{
    ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
    QTemporaryDir work;
    const QString site = playTwice(work, QStringLiteral("nfce"));
    EXPECT_EQ(query(site, QStringLiteral("SELECT NRSEQVENDA, CDPRODUTO FROM ITVENDACAN ORDER BY 1")),
              (QList<QStringList>{{"0000000001", "01002"}, {"0000000002", "01002"}}));
}
