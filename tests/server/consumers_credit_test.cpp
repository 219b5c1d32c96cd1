#include "consumers_cases.h"

#include <server/srv_consumers.h>
#include <server/srv_consumers_credit.h>

#include <support/fakemessages.h>

#include <outside/pkg_hrk00002.h>

#include <runtime/clientdataset.h>
#include <runtime/money.h>
#include <runtime/sitepaths.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

using namespace LookupsTest;
using namespace ConsumerRows;
using namespace Srv_Kal51000;

namespace {

const char *childVariable = "VENDACONS_CREDIT_CHILD";

struct Tender
{
    const char *kind;
    const char *name;
    double amount;
    QString description = {};
};

DataPacket tenders(const QList<Tender> &rows)
{
    DataPacket packet;
    packet.fields = {FieldDef{"IDTIPOMOVIVE", FieldType::String, 1}, FieldDef{"CDTIPORECE", FieldType::String, 3},
                     FieldDef{"NMTIPORECE", FieldType::String, 40}, FieldDef{"VRMOVIVEND", FieldType::Double, 0},
                     FieldDef{"DTHRINCMOV", FieldType::DateTime, 0}, FieldDef{"DSOPEEXTCONS", FieldType::String, 60}};
    for (const Tender &t : rows)
        packet.rows.append({QStringLiteral("E"), QString::fromLatin1(t.kind), QString::fromUtf8(t.name), t.amount,
                            QDateTime(QDate(2026, 3, 4), QTime(9, 59)), t.description});
    return packet;
}

CreditPurchaseWrite purchase(const DataPacket &movements, const QString &deposit, const QString &family = "REF")
{
    CreditPurchaseWrite p;
    p.movements = movements;
    p.CDFILIAL = "01";
    p.CDCAIXA = "001";
    p.CDCLIENTE = "C1";
    p.CDCONSUMIDOR = "K1";
    p.CDFAMILISALD = family;
    p.NRDEPOSICONS = deposit;
    p.NRSERIEIMP = "SIM01";
    p.IDEXTCONSONLINE = "N";
    p.IDEXTCONSCENTRAL = "N";
    p.DTABERCAIX = QDateTime(QDate(2026, 3, 4), QTime(6, 0));
    p.DTMOVIMENTO = QDateTime(QDate(2026, 3, 4), QTime(0, 0));
    return p;
}

class CreditPurchaseWriteTest : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Clock::setNow([] { return LookupsTest::now(); });
        for (const QString &sql : plus(families, {consumer("K1", "1", "B1"),
                                                  "INSERT INTO PARAVEND (CDFILIAL, CDCLIENTE) VALUES ('01', 'PADRAO')"}))
            exec(sql);
        exec(balance("REF", "80"));
        exec(line("REF", "2026-03-04 08:00:00", "001", "C", "80", "80", "NULL", "'SEMENTE'"));
    }
    void TearDown() override
    {
        Clock::setNow({});
        DatabaseTest::TearDown();
    }

    QStringList column(const QString &sql)
    {
        QStringList values;
        for (const QList<QVariant> &row : rows(sql))
            values << row.first().toString();
        return values;
    }
    int count(const QString &table) { return int(rows("SELECT COUNT(*) FROM " + table).first().first().toInt()); }
    double balanceOf(const char *family)
    {
        const auto found = rows("SELECT VRSALDCONFAM FROM SALDOCONS WHERE CDFAMILISALD = :F", {{"F", QString::fromLatin1(family)}});
        return found.isEmpty() ? 0.0 : found.first().first().toDouble();
    }
    QString loadLines()
    {
        QStringList lines;
        for (const QList<QVariant> &r :
             rows("SELECT NRSEQMOVEXT, VRMOVEXTCONS, VRSALDCONEXT, DSOPEEXTCONS, NRDEPOSICONS, NRSEQMOVCAIXA FROM EXTRATOCONS "
                  "WHERE IDTPMOVEXT = 'C' AND NRDEPOSICONS <> 'SEMENTE' ORDER BY NRSEQMOVEXT"))
            lines << QStringList{r.at(0).toString(), Variant(r.at(1).toDouble()).toString(),
                                 Variant(r.at(2).toDouble()).toString(), r.at(3).toString(), r.at(4).toString(),
                                 r.at(5).toString()}
                         .join('|');
        return lines.join("; ");
    }
};

// Two tenders: two cash movements from one block of numbers, two statement credits that carry
// the balance after each (the second at the next sequence of the same instant), SALDOCONS up by
// the rounded amounts, the last document number handed back and the log written.
TEST_P(CreditPurchaseWriteTest, LoadWritesMovementsCreditLinesAndBalanceInOneGo)
{
    QString document;
    const Variant written = setGravaCompCred(purchase(tenders({{"001", "Dinheiro", 10}, {"002", "Cartão", 12.3456}}),
                                                      "2603040002"),
                                             document);
    ASSERT_FALSE(written.isFailure()) << written.failureText().toStdString();
    EXPECT_TRUE(written.toBool());
    EXPECT_EQ(loadLines(), "001|10|90|QUB - Crédito Caixa 001|2603040002|0000000001; "
                           "002|12,35|102,35|QUB - Crédito Caixa 001|2603040002|0000000002");
    const auto moves = rows("SELECT NRSEQUMOVI, NRSEQUMOVIMSDE, VRMOVIVEND, CDCLIENTE, NRSEQVENDA, NRSEQCAIXADOCNF "
                            "FROM MOVCAIXA ORDER BY NRSEQUMOVI");
    ASSERT_EQ(moves.size(), 2);
    EXPECT_EQ(moves.at(1).at(0).toString(), "0000000002");
    EXPECT_EQ(moves.at(1).at(1).toString(), "0000000002");
    // The movement holds the amount to the cent, the same figure on every kind of base.
    EXPECT_EQ(moves.at(1).at(2).toDouble(), 12.35);
    EXPECT_EQ(moves.at(1).at(3).toString(), "C1");
    EXPECT_TRUE(moves.at(1).at(4).isNull());
    EXPECT_EQ(document, moves.at(1).at(5).toString());
    EXPECT_EQ(count("DOCNFISCECF"), 0); // no COO: the voucher is printed after the write
    EXPECT_EQ(balanceOf("REF"), 102.35);
    QFile log(QDir(SitePaths::home()).filePath("LogCompraCred0326.txt"));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(text.contains("-------- Inicio da setGravaCompCred --------"));
    EXPECT_TRUE(text.contains("IDTPMOVEXT: C"));
    EXPECT_TRUE(text.contains("NRSEQVENDA: vazio"));
    EXPECT_TRUE(text.contains("CommitTrans"));
}

// A retry of a deposit already written (its answer was lost) writes nothing and answers True.
TEST_P(CreditPurchaseWriteTest, RetryOfAWrittenDepositWritesNothing)
{
    QString document;
    const CreditPurchaseWrite load = purchase(tenders({{"001", "Dinheiro", 50}}), "2603040002");
    ASSERT_TRUE(setGravaCompCred(load, document).toBool());
    EXPECT_TRUE(setGravaCompCred(load, document).toBool());
    EXPECT_EQ(count("MOVCAIXA"), 1);
    EXPECT_EQ(balanceOf("REF"), 130.0);
    // Another deposit in the same minute is a load of its own.
    ASSERT_TRUE(setGravaCompCred(purchase(tenders({{"001", "Dinheiro", 5}}), "2603040003"), document).toBool());
    EXPECT_EQ(balanceOf("REF"), 135.0);
    EXPECT_EQ(rows("SELECT DISTINCT NRDEPOSICONS FROM EXTRATOCONS").size(), 3);
}

// An online load the statement server reachable at the write but silent at the send stays
// marked pending and the cashier is told, once; sent, the mark clears and nothing is said.
TEST_P(CreditPurchaseWriteTest, OnlineLoadNotSentIsKeptPendingAndTold)
{
    const struct { const char *deposit; bool sendAnswered; const char *mark; int told; } cases[] = {
        {"2603040002", false, "P", 1},
        {"2603040003", true, "S", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.deposit);
        ScopedHostServices host{Pkg_Hrk00002()};
        int sends = 0;
        host.table().ExtratoConsOnline = [&](const OnlineStatementRequest &, ClientDataSet &lines) {
            StatementAnswer answer;
            const bool probe = lines.IsEmpty();
            sends += probe ? 0 : 1;
            answer.answered = probe || c.sendAnswered;
            return answer;
        };
        CreditPurchaseWrite load = purchase(tenders({{"001", "Dinheiro", 50}}), c.deposit);
        load.IDEXTCONSONLINE = "S";
        load.CDURLWSEXTCONS = "http://127.0.0.1:1/extrato";
        FakeMessages messages;
        QString document;
        ASSERT_TRUE(setGravaCompCred(load, document).toBool());
        EXPECT_EQ(sends, 1);
        EXPECT_EQ(column(QStringLiteral("SELECT IDEXPEXTCONS FROM EXTRATOCONS WHERE NRDEPOSICONS = '") + c.deposit + "'"),
                  QStringList{c.mark});
        ASSERT_EQ(messages.count(), c.told);
        if (c.told) {
            EXPECT_TRUE(messages.calls().first().text.contains("pendente de envio"));
        }
    }
}

// A load is kept "written, not finished" from its write until the till has printed its
// voucher and confirmed its card payment, in the load's own transaction: the load waits with
// what its voucher prints, its movements read back as the voucher shows them, a retry of the
// same deposit keeps one mark and answers the document number the load was written with;
// finished, nothing waits and the load stands. A load rolled back at the statement server's
// probe leaves no mark.
TEST_P(CreditPurchaseWriteTest, AWrittenLoadWaitsWithItsVoucherUntilFinished)
{
    CreditPurchaseWrite load = purchase(tenders({{"001", "Dinheiro", 30}, {"004", "Cartão", 20}}), "2603040002");
    load.NMCONSUMIDOR = "Ana K1";
    load.NMFAMILISALD = "REFEICAO";
    load.NRCUPOMCARGA = "55";
    load.VRSALDCREDFAM = 80;
    load.DSCOMPRACREDTEF = "S";
    QString document;
    ASSERT_TRUE(setGravaCompCred(load, document).toBool());
    ASSERT_TRUE(setGravaCompCred(load, document).toBool());
    const auto unfinished = [] {
        const Variant pending = getCargasPendentes("01", "001");
        EXPECT_FALSE(pending.isFailure()) << pending.failureText().toStdString();
        return pending.isFailure() ? DataPacket() : pending.packet();
    };
    const DataPacket waiting = unfinished();
    ASSERT_EQ(waiting.rows.size(), 1);
    EXPECT_EQ(waiting.value(0, "NRDEPOSICONS").toString(), "2603040002");
    EXPECT_EQ(waiting.value(0, "NMCONSUMIDOR").toString(), "Ana K1");
    EXPECT_EQ(waiting.value(0, "NMFAMILISALD").toString(), "REFEICAO");
    EXPECT_EQ(waiting.value(0, "NRCUPOMCARGA").toString(), "55");
    EXPECT_EQ(waiting.value(0, "NRSEQECFDOCNF").toString(), document);
    EXPECT_EQ(waiting.value(0, "VRSALDCREDFAM").toDouble(), 80.0);
    EXPECT_EQ(waiting.value(0, "DSCOMPRACREDTEF").toString(), "S");

    const Variant movements = getMovCaixaCarga("01", "001", load.DTABERCAIX, "2603040002");
    ASSERT_FALSE(movements.isFailure()) << movements.failureText().toStdString();
    const DataPacket paid = movements.packet();
    ASSERT_EQ(paid.rows.size(), 2);
    EXPECT_EQ(paid.value(0, "NMTIPORECE").toString(), "Dinheiro");
    EXPECT_EQ(paid.value(1, "VRMOVIVEND").toDouble(), 20.0);

    const Variant cleared = setCargaConcluida("01", "001", "2603040002");
    ASSERT_FALSE(cleared.isFailure()) << cleared.failureText().toStdString();
    EXPECT_TRUE(unfinished().rows.isEmpty());
    EXPECT_EQ(balanceOf("REF"), 130.0);

    ScopedHostServices host{Pkg_Hrk00002()};
    host.table().ExtratoConsOnline = [](const OnlineStatementRequest &, ClientDataSet &) { return StatementAnswer(); };
    FakeMessages messages;
    CreditPurchaseWrite refused = purchase(tenders({{"001", "Dinheiro", 10}}), "2603040003");
    refused.IDEXTCONSONLINE = "S";
    refused.CDURLWSEXTCONS = "http://127.0.0.1:1/extrato";
    EXPECT_TRUE(setGravaCompCred(refused, document).isFailure());
    EXPECT_TRUE(unfinished().rows.isEmpty());
    EXPECT_EQ(count("MOVCAIXA"), 2);
}

// The partner-card recharge writes cash movements only, with its own text; retried after a
// lost answer it is found by its deposit number and written once.
TEST_P(CreditPurchaseWriteTest, RechargeWritesCashMovementsOnlyAndOnce)
{
    QString document;
    const CreditPurchaseWrite recharge =
        purchase(tenders({{"001", "Dinheiro", 20}, {"002", "Cartão", 5}}), "2603040002", RecargaTarvolens);
    ASSERT_TRUE(setGravaCompCred(recharge, document).toBool());
    EXPECT_EQ(rows("SELECT DSMOVIVEND FROM MOVCAIXA").first().first().toString(), "RECARGA TARVOLENS");
    EXPECT_EQ(count("EXTRATOCONS"), 1);
    EXPECT_EQ(balanceOf("REF"), 80.0);
    EXPECT_TRUE(setGravaCompCred(recharge, document).toBool());
    EXPECT_EQ(count("MOVCAIXA"), 2);
    // Another recharge is one of its own.
    ASSERT_TRUE(setGravaCompCred(purchase(tenders({{"001", "Dinheiro", 7}}), "2603040003", RecargaTarvolens), document)
                    .toBool());
    EXPECT_EQ(count("MOVCAIXA"), 3);
}

// A long description is cut to the column's 30 characters; a COO writes the document rows.
TEST_P(CreditPurchaseWriteTest, LongDescriptionIsCutAndACooWritesTheDocument)
{
    QString document;
    CreditPurchaseWrite load =
        purchase(tenders({{"001", "Dinheiro", 7, "CARGA PELO RH DA EMPRESA METALURGICA"}}), "2603040002");
    load.NRCOO = "000123";
    load.NRGNF = "000045";
    ASSERT_TRUE(setGravaCompCred(load, document).toBool());
    EXPECT_EQ(rows("SELECT DSOPEEXTCONS FROM EXTRATOCONS WHERE NRDEPOSICONS = '2603040002'").first().first().toString(),
              "CARGA PELO RH DA EMPRESA METAL");
    const auto docs = rows("SELECT NRCOODOCNFIS, NRGNFDOCNFIS, IDTPDENOMDOCNF, NRSEQECFDOCNF FROM DOCNFISCECF");
    ASSERT_EQ(docs.size(), 1);
    EXPECT_EQ(docs.first().at(0).toString(), "000123");
    EXPECT_EQ(docs.first().at(2).toString(), "CN");
    EXPECT_EQ(docs.first().at(3).toString(), document);
}

// What is refused writes nothing and says why.
struct RefusalCase
{
    const char *name;
    std::function<void(CreditPurchaseWrite &, CreditPurchaseWriteTest *)> arrange;
    const char *named;
};

class CreditPurchaseRefusals : public CreditPurchaseWriteTest
{
public:
    void drop(const char *table) { exec(QStringLiteral("DROP TABLE ") + table); }
};

TEST_P(CreditPurchaseRefusals, RefusedPurchasesWriteNothingAndNameTheCause)
{
    const QList<RefusalCase> cases{
        {"packet without the amount",
         [](CreditPurchaseWrite &p, CreditPurchaseWriteTest *) {
             p.movements.fields.removeAt(3);
             for (QList<Variant> &row : p.movements.rows)
                 row.removeAt(3);
         },
         "VRMOVIVEND"},
        {"empty family", [](CreditPurchaseWrite &p, CreditPurchaseWriteTest *) { p.CDFAMILISALD = " "; }, "família"},
        {"unknown consumer", [](CreditPurchaseWrite &p, CreditPurchaseWriteTest *) { p.CDCONSUMIDOR = "K9"; }, "K9"},
        {"refused base",
         [](CreditPurchaseWrite &, CreditPurchaseWriteTest *t) {
             static_cast<CreditPurchaseRefusals *>(t)->drop("SALDOCONS");
         },
         "SALDOCONS"},
    };
    for (const RefusalCase &c : cases) {
        CreditPurchaseWrite load = purchase(tenders({{"001", "Dinheiro", 50}}), "2603040002");
        c.arrange(load, this);
        QString document;
        const Variant refused = setGravaCompCred(load, document);
        EXPECT_TRUE(refused.isFailure() && refused.failureText().contains(QString::fromUtf8(c.named), Qt::CaseInsensitive))
            << c.name << ": " << render(refused).toStdString();
        EXPECT_EQ(count("MOVCAIXA"), 0) << c.name;
        EXPECT_EQ(count("EXTRATOCONS"), 1) << c.name;
    }
}

// Deposit numbers keep the ten-character form and are never handed out twice, also within one
// minute.
TEST_P(CreditPurchaseWriteTest, DepositNumbersAreUniqueWithinAMinute)
{
    const QDate day(2026, 3, 4);
    const Variant first = getPrxDepositoCons(day);
    const Variant second = getPrxDepositoCons(day);
    ASSERT_FALSE(first.isFailure() || second.isFailure());
    EXPECT_EQ(first.toString(), "2603040001");
    EXPECT_EQ(second.toString(), "2603040002");
    EXPECT_EQ(getPrxDepositoCons(day.addDays(1)).toString(), "2603050001");
}

// A log that cannot be written never fails the purchase.
TEST_P(CreditPurchaseWriteTest, UnwritableLogNeverFailsThePurchase)
{
    const QString site = SitePaths::home();
    QDir(site).mkdir("LogCompraCred0326.txt"); // a folder where the file should be
    QString document;
    EXPECT_TRUE(setGravaCompCred(purchase(tenders({{"001", "Dinheiro", 50}}), "2603040002"), document).toBool());
    EXPECT_EQ(balanceOf("REF"), 130.0);
}

CreditLoadCancel loadCancel(const QString &deposit)
{
    CreditLoadCancel c;
    c.CDFILIAL = "01";
    c.CDCAIXA = "001";
    c.DTABERCAIX = QDateTime(QDate(2026, 3, 4), QTime(6, 0));
    c.NRDEPOSICONS = deposit;
    c.IDEXTCONSONLINE = "N";
    c.IDEXTCONSCENTRAL = "N";
    return c;
}

// A cancelled load is a debit line with its deposit number carrying the balance after it, the
// family's balance back where it was and its cash movements marked cancelled; the desk's list
// of loads leaves it out, and a second cancellation is refused with nothing written.
TEST_P(CreditPurchaseWriteTest, CancelledLoadGivesTheBalanceBackOnceAndLeavesTheList)
{
    QString document;
    ASSERT_TRUE(setGravaCompCred(purchase(tenders({{"001", "Dinheiro", 50}}), "2603040002"), document).toBool());
    const Variant listed = getCargasCaixa("01", "001", QDateTime(QDate(2026, 3, 4), QTime(6, 0)));
    ASSERT_TRUE(listed.isPacket()) << listed.failureText().toStdString();
    ASSERT_EQ(listed.packet().rows.size(), 1);
    EXPECT_EQ(listed.packet().value(0, "NRDEPOSICONS").toString(), "2603040002");
    EXPECT_EQ(listed.packet().value(0, "VRCARGA").toDouble(), 50.0);

    const Variant cancelled = setCancelaCompCred(loadCancel("2603040002"));
    ASSERT_FALSE(cancelled.isFailure()) << cancelled.failureText().toStdString();
    EXPECT_EQ(balanceOf("REF"), 80.0);
    const auto debit = rows("SELECT VRMOVEXTCONS, VRSALDCONEXT, NRSEQMOVCAIXA FROM EXTRATOCONS WHERE IDTPMOVEXT = 'D' "
                            "AND NRDEPOSICONS = '2603040002'");
    ASSERT_EQ(debit.size(), 1);
    EXPECT_EQ(debit.first().at(0).toDouble(), 50.0);
    EXPECT_EQ(debit.first().at(1).toDouble(), 80.0);
    EXPECT_EQ(debit.first().at(2).toString(), "0000000001");
    EXPECT_EQ(column("SELECT IDTIPOMOVIVE FROM MOVCAIXA"), QStringList{"C"});
    EXPECT_TRUE(getCargasCaixa("01", "001", QDateTime(QDate(2026, 3, 4), QTime(6, 0))).packet().isEmpty());

    const Variant again = setCancelaCompCred(loadCancel("2603040002"));
    ASSERT_TRUE(again.isFailure());
    EXPECT_TRUE(again.failureText().contains("já foi cancelada")) << again.failureText().toStdString();
    EXPECT_EQ(balanceOf("REF"), 80.0);
    EXPECT_EQ(rows("SELECT 1 FROM EXTRATOCONS WHERE IDTPMOVEXT = 'D'").size(), 1);
}

// Refusals write nothing: a load of another opening, and one whose credit was spent.
TEST_P(CreditPurchaseWriteTest, LoadCancelOfAnotherOpeningOrOfSpentCreditWritesNothing)
{
    QString document;
    ASSERT_TRUE(setGravaCompCred(purchase(tenders({{"001", "Dinheiro", 50}}), "2603040002"), document).toBool());
    CreditLoadCancel other = loadCancel("2603040002");
    other.DTABERCAIX = other.DTABERCAIX.addDays(1);
    const Variant elsewhere = setCancelaCompCred(other);
    ASSERT_TRUE(elsewhere.isFailure());
    EXPECT_TRUE(elsewhere.failureText().contains("não é deste caixa")) << elsewhere.failureText().toStdString();

    exec("UPDATE SALDOCONS SET VRSALDCONFAM = 49.99 WHERE CDFAMILISALD = 'REF'");
    const Variant spent = setCancelaCompCred(loadCancel("2603040002"));
    ASSERT_TRUE(spent.isFailure());
    EXPECT_TRUE(spent.failureText().contains("R$ 49,99")) << spent.failureText().toStdString();
    EXPECT_EQ(balanceOf("REF"), 49.99);
    EXPECT_TRUE(rows("SELECT 1 FROM EXTRATOCONS WHERE IDTPMOVEXT = 'D'").isEmpty());
    EXPECT_EQ(column("SELECT IDTIPOMOVIVE FROM MOVCAIXA"), QStringList{"E"});
}

VENDACONS_DATABASE_KINDS(CreditPurchaseWriteTest);
VENDACONS_DATABASE_KINDS(CreditPurchaseRefusals);

// One till of the race below, run as a child process on the parent's site: takes a deposit
// number and writes a load of 1,00 twenty times, printing what it wrote.
TEST(CreditPurchaseChild, LoadsItsCredit)
{
    const QByteArray site = qgetenv(childVariable);
    if (site.isEmpty())
        GTEST_SKIP() << "run by TwoTillsLoadingOneFamilyInTheSameMinute";
    SitePaths::setHome(QString::fromLocal8Bit(site));
    Clock::setNow([] { return LookupsTest::now(); });
    setRdmVendaCons(std::make_unique<TrdmVendaCons>());
    ASSERT_TRUE(rdmVendaCons().connect());
    int written = 0;
    for (int n = 0; n < 20; ++n) {
        const Variant deposit = getPrxDepositoCons(LookupsTest::now().date());
        ASSERT_FALSE(deposit.isFailure()) << deposit.failureText().toStdString();
        QString document;
        const Variant answer = setGravaCompCred(purchase(tenders({{"001", "Dinheiro", 1}}), deposit.toString()), document);
        ASSERT_TRUE(answer.toBool()) << render(answer).toStdString();
        ++written;
    }
    setRdmVendaCons(nullptr);
    printf("WRITTEN %d\n", written);
}

// Two till processes load one consumer's family in the same minute: each load has its own
// deposit number and the balance rises by all of them, with the statement adding up.
TEST_P(CreditPurchaseWriteTest, TwoTillsLoadingOneFamilyInTheSameMinute)
{
    QList<QProcess *> tills;
    for (int n = 0; n < 2; ++n) {
        auto *process = new QProcess;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(childVariable, SitePaths::home());
        process->setProcessEnvironment(environment);
        process->start(QCoreApplication::applicationFilePath(),
                       {"--gtest_filter=CreditPurchaseChild.LoadsItsCredit", "--gtest_brief=1"});
        tills << process;
    }
    int written = 0;
    for (QProcess *process : tills) {
        ASSERT_TRUE(process->waitForFinished(300000));
        const QString out = QString::fromLocal8Bit(process->readAllStandardOutput());
        EXPECT_EQ(process->exitCode(), 0) << out.toStdString();
        const qsizetype at = out.indexOf("WRITTEN ");
        ASSERT_GE(at, 0) << out.toStdString();
        written += out.mid(at + 8).section('\n', 0, 0).trimmed().toInt();
        delete process;
    }
    EXPECT_EQ(written, 40);
    EXPECT_EQ(rows("SELECT DISTINCT NRDEPOSICONS FROM EXTRATOCONS WHERE NRDEPOSICONS <> 'SEMENTE'").size(), 40);
    EXPECT_EQ(balanceOf("REF"), 120.0);
    double carried = 0;
    for (const QList<QVariant> &r : rows("SELECT VRSALDCONEXT FROM EXTRATOCONS ORDER BY DTMOVEXTCONS, NRSEQMOVEXT"))
        carried = r.first().toDouble();
    EXPECT_EQ(Money::RoundDec(carried, 2), 120.0);
}

} // namespace
