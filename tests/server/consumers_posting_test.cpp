#include "consumers_cases.h"

#include <outside/qub_movrela_db.h>
#include <server/srv_consumers.h>
#include <server/srv_consumers_posting.h>

#include <runtime/messages.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>

#include <thread>

using namespace LookupsTest;
using namespace ConsumerRows;
using namespace Srv_Kal51000;

namespace {

DataPacket familyAmounts(const QList<std::pair<const char *, double>> &parts)
{
    DataPacket packet;
    packet.fields = {FieldDef{"CDFAMILISALD", FieldType::String, 3}, FieldDef{"VRSALDCONFAM", FieldType::Double, 0}};
    for (const auto &[family, value] : parts)
        packet.rows.append({QString::fromLatin1(family), value});
    return packet;
}

DataPacket loanRows(const QList<std::tuple<const char *, const char *, double>> &rows)
{
    DataPacket packet;
    packet.fields = {FieldDef{"CDFAMILISALD", FieldType::String, 3}, FieldDef{"IDTPMOVEXT", FieldType::String, 1},
                     FieldDef{"VRMOVEXTCONS", FieldType::Double, 0}};
    for (const auto &[family, kind, value] : rows)
        packet.rows.append({QString::fromLatin1(family), QString::fromLatin1(kind), value});
    return packet;
}

ConsumerPosting posting(const QString &sale, const DataPacket &families, const DataPacket &loans = {}, double debit = 0)
{
    ConsumerPosting p;
    p.CDFILIAL = "01";
    p.CDLOJA = "L1";
    p.CDCAIXA = "001";
    p.NRSEQVENDA = sale;
    p.CDCLIENTE = "C1";
    p.CDCONSUMIDOR = "K1";
    p.CDOPERADOR = "OP1";
    p.DTABERCAIX = QDateTime(QDate(2026, 3, 4), QTime(6, 0));
    p.families = families;
    p.loans = loans;
    p.CDTIPORECE = "009";
    p.debit = debit;
    return p;
}

// One till's save: the posting inside a transaction of its own session, committed when it
// posted and rolled back when it did not.
Variant postOnTill(const QString &connection, const ConsumerPosting &p)
{
    Qub_movrela::DbConnection till(QStringLiteral("till"));
    till.useConnectionString(connection);
    if (!till.begin())
        return Variant::failure(till.lastError().databaseText);
    const Variant posted = setLancaConsumo(till, p);
    if (posted.isFailure()) {
        till.rollback();
        return posted;
    }
    if (!till.commit())
        return Variant::failure(till.lastError().databaseText);
    return posted;
}

const char *childVariable = "VENDACONS_POSTING_CHILD";

class ConsumerPostingTest : public DatabaseTest
{
protected:
    void SetUp() override
    {
        DatabaseTest::SetUp();
        Clock::setNow([] { return LookupsTest::now(); });
        for (const QString &sql : plus(families, {consumer("K1", "1", "B1"),
                                                  "INSERT INTO TIPORECE (CDTIPORECE, IDTIPORECE) VALUES ('020', 'A')"}))
            exec(sql);
    }
    void TearDown() override
    {
        Clock::setNow({});
        DatabaseTest::TearDown();
    }

    QString statement()
    {
        QStringList lines;
        for (const QList<QVariant> &row :
             rows("SELECT CDFAMILISALD, IDTPMOVEXT, VRMOVEXTCONS, VRSALDCONEXT, NRSEQMOVEXT, NRSEQVENDA, DTMOVEXTCONS "
                  "FROM EXTRATOCONS ORDER BY DTMOVEXTCONS, CDFAMILISALD, NRSEQMOVEXT")) {
            QStringList cells;
            for (int i = 0; i < 6; ++i)
                cells << (i == 2 || i == 3 ? Variant(row.at(i).toDouble()).toString() : row.at(i).toString());
            // SQLite hands the stamp back as its text, PostgreSQL as a date-time.
            const QDateTime stamp = row.at(6).metaType().id() == QMetaType::QDateTime
                ? row.at(6).toDateTime()
                : QDateTime::fromString(row.at(6).toString(), "yyyy-MM-dd hh:mm:ss");
            cells << stamp.toString("dd/MM/yyyy hh:mm:ss");
            lines << cells.join('|');
        }
        return lines.join("; ");
    }

    double balanceOf(const char *family)
    {
        const auto found = rows("SELECT VRSALDCONFAM FROM SALDOCONS WHERE CDFAMILISALD = :F", {{"F", QString::fromLatin1(family)}});
        return found.isEmpty() ? 0.0 : found.first().first().toDouble();
    }

    // Per family: SALDOCONS, the last carried balance and the sum of the lines agree.
    void expectStatementsAddUp(double openingRef, double openingLan)
    {
        for (const auto &[family, opening] : {std::pair{"REF", openingRef}, std::pair{"LAN", openingLan}}) {
            const auto lines = rows("SELECT IDTPMOVEXT, VRMOVEXTCONS, VRSALDCONEXT FROM EXTRATOCONS WHERE CDFAMILISALD = :F "
                                    "ORDER BY DTMOVEXTCONS, NRSEQMOVEXT",
                                    {{"F", QString::fromLatin1(family)}});
            double sum = opening;
            double carried = opening;
            for (const QList<QVariant> &line : lines) {
                const QString kind = line.at(0).toString();
                sum = Money::RoundDec(sum + (kind == "C" || kind == "F" ? 1 : -1) * line.at(1).toDouble(), 2);
                carried = Money::RoundDec(line.at(2).toDouble(), 2);
                EXPECT_EQ(carried, sum) << family;
            }
            EXPECT_EQ(Money::RoundDec(balanceOf(family), 2), sum) << family;
        }
    }
};

// The sale's loans and "V" lines go into the statement at the injected instant, after the lines
// already there; SALDOCONS follows and the statement adds up.
TEST_P(ConsumerPostingTest, LoansAndSaleLinesWithTheirCarriedBalances)
{
    exec(balance("REF", "80"));
    exec(balance("LAN", "5"));
    exec(line("REF", "2026-03-04 10:00:00", "001", "C", "0", "80"));
    const Variant posted = postOnTill(base().connectionString(),
                                      posting("S1", familyAmounts({{"REF", 10}, {"LAN", 12}}),
                                              loanRows({{"REF", "D", 7}, {"LAN", "C", 7}})));
    ASSERT_FALSE(posted.isFailure()) << posted.failureText().toStdString();
    EXPECT_EQ(statement(), "LAN|C|7|12|001||04/03/2026 10:00:00; LAN|V|12|0|002|S1|04/03/2026 10:00:00; "
                           "REF|C|0|80|001||04/03/2026 10:00:00; REF|D|7|73|002||04/03/2026 10:00:00; "
                           "REF|V|10|63|003|S1|04/03/2026 10:00:00");
    EXPECT_EQ(balanceOf("REF"), 63.0);
    EXPECT_EQ(balanceOf("LAN"), 0.0);
    expectStatementsAddUp(80, 5);
}

// A family that would end below zero without leave refuses the whole posting: nothing stays.
TEST_P(ConsumerPostingTest, AFamilyGoingNegativeRefusesAndLeavesNoRow)
{
    exec(balance("REF", "10"));
    const Variant refused = postOnTill(base().connectionString(), posting("S1", familyAmounts({{"REF", 10.01}}), {}, 5));
    EXPECT_EQ(render(refused), "FAILURE ERRO_2REF - REFEICAO");
    EXPECT_EQ(rows("SELECT * FROM EXTRATOCONS").size(), 0);
    EXPECT_EQ(rows("SELECT * FROM MOVICLIE").size(), 0);
    EXPECT_EQ(balanceOf("REF"), 10.0);
    // The consumer's own rule may allow it where the family's does not.
    exec("INSERT INTO RALIMENT (CDFILIAL, CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, IDSALDNEGRAL) VALUES ('01', 'C1', 'K1', 'REF', 'S')");
    EXPECT_FALSE(postOnTill(base().connectionString(), posting("S1", familyAmounts({{"REF", 10.01}}))).isFailure());
    EXPECT_EQ(balanceOf("REF"), -0.01);
}

// The debit: the company's basic subsidy of the day first, the rest on the consumer's account,
// whose movements carry the balance after each (money owed below zero).
TEST_P(ConsumerPostingTest, DebitAndTheDaysSubsidyIntoMovements)
{
    exec(debit("0000000001", "K1", "S0", "2026-03-03 00:00:00", "10", "-10"));
    ASSERT_FALSE(postOnTill(base().connectionString(), posting("S1", {}, {}, 12)).isFailure());
    ASSERT_FALSE(postOnTill(base().connectionString(), posting("S2", {}, {}, 3)).isFailure());
    QStringList movements;
    for (const QList<QVariant> &row : rows("SELECT NRSEQVENDA, CDCONSUMIDOR, NRSEQMOVCLI, VRMOVCLI, VRSALDOCONS FROM MOVICLIE "
                                           "WHERE NRSEQVENDA <> 'S0' ORDER BY NRSEQVENDA, CDCONSUMIDOR"))
        movements << QStringList{row.at(0).toString(), row.at(1).toString(), row.at(2).toString(),
                                 Variant(row.at(3).toDouble()).toString(), Variant(row.at(4).toDouble()).toString()}
                         .join('|');
    // Subsidy 5 a day: all of it on the first sale, none left for the second.
    EXPECT_EQ(movements.join("; "), "S1||0000000001|5|0; S1|K1|0000000002|7|-17; S2|K1|0000000003|3|-20");
    EXPECT_EQ(render(getVrSubsBasicoCons("C1", "K1")), "5");
}

// Where the consumer's balance is checked, the save holds the floor whatever the till saw: a
// debit that would take the balance below it is refused and leaves no row.
TEST_P(ConsumerPostingTest, DebitBelowTheFloorIsRefusedAtSaveWhereTheBalanceIsChecked)
{
    exec("UPDATE CONSUMIDOR SET IDVERSALDCON = 'S', VRLIMDEBCONS = -20, VRSUBSBASICO = 0");
    ASSERT_FALSE(postOnTill(base().connectionString(), posting("S1", {}, {}, 15)).isFailure());
    const Variant refused = postOnTill(base().connectionString(), posting("S2", {}, {}, 5.01));
    EXPECT_EQ(render(refused), "FAILURE Saldo do consumidor não pode ficar inferior a -20.00: o débito de 5.01 o "
                               "deixaria em -20.01.");
    EXPECT_EQ(rows("SELECT * FROM MOVICLIE WHERE NRSEQVENDA = 'S2'").size(), 0);
    ASSERT_FALSE(postOnTill(base().connectionString(), posting("S3", {}, {}, 5)).isFailure());
    EXPECT_EQ(render(getSaldoCons("C1", "K1")), "-20|0");
    // Unchecked consumers are not held to it.
    exec("UPDATE CONSUMIDOR SET IDVERSALDCON = 'N'");
    ASSERT_FALSE(postOnTill(base().connectionString(), posting("S4", {}, {}, 1)).isFailure());
    EXPECT_EQ(render(getSaldoCons("C1", "K1")), "-21|0");
}

// Refusals that are not about money: a refused base, a packet that lost a column, no transaction.
TEST_P(ConsumerPostingTest, RefusedBaseMissingColumnOrNoTransactionWriteNothing)
{
    exec(balance("REF", "80"));
    DataPacket lacking = familyAmounts({{"REF", 10}});
    lacking.fields.removeLast();
    for (QList<Variant> &row : lacking.rows)
        row.removeLast();
    EXPECT_TRUE(render(postOnTill(base().connectionString(), posting("S1", lacking))).contains("VRSALDCONFAM"));
    EXPECT_TRUE(render(setValidaSaldoCons("01", "001", "C1", "K1", "N", "N", "", "N", Variant(lacking), {}))
                    .contains("VRSALDCONFAM"));
    Qub_movrela::DbConnection outside(QStringLiteral("outside"));
    outside.useConnectionString(base().connectionString());
    EXPECT_TRUE(setLancaConsumo(outside, posting("S1", familyAmounts({{"REF", 10}}))).isFailure());
    exec("DROP TABLE FAMILIASALDO");
    exec("DROP TABLE FAMSALDOFILI");
    const Variant refused = postOnTill(base().connectionString(), posting("S1", familyAmounts({{"REF", 100}})));
    EXPECT_TRUE(refused.isFailure() && refused.failureText().contains("FAMSALDOFILI", Qt::CaseInsensitive))
        << render(refused).toStdString();
    EXPECT_EQ(rows("SELECT * FROM EXTRATOCONS").size(), 0);
    EXPECT_EQ(balanceOf("REF"), 80.0);
}

// The roll-forwards mend carried balances from the start date and change nothing when run again.
TEST_P(ConsumerPostingTest, RollForwardsMendOnceAndThenChangeNothing)
{
    exec(line("REF", "2026-03-01 08:00:00", "001", "C", "100", "100", "NULL", "'1'"));
    exec(line("REF", "2026-03-02 08:00:00", "001", "V", "30", "999", "'S1'"));
    exec(line("REF", "2026-03-03 08:00:00", "001", "E", "5", "0", "'S2'"));
    exec(line("REF", "2026-03-03 09:00:00", "001", "F", "5", "0", "'S2'"));
    exec(balance("REF", "1"));
    exec(debit("0000000001", "K1", "S1", "2026-03-02 00:00:00", "10", "0"));
    exec(debit("0000000002", "K1", "S2", "2026-03-03 00:00:00", "4", "0"));
    const QDateTime start(QDate(2026, 3, 1), QTime(0, 0));
    ASSERT_FALSE(EvoluiSaldo("C1", "K1", "01", start).isFailure());
    ASSERT_FALSE(setAtualizaDebCons("01", "C1", "K1", "OP1", start).isFailure());
    const QString mended = statement();
    EXPECT_EQ(mended, "REF|C|100|100|001||01/03/2026 08:00:00; REF|V|30|70|001|S1|02/03/2026 08:00:00; "
                      "REF|E|5|65|001|S2|03/03/2026 08:00:00; REF|F|5|70|001|S2|03/03/2026 09:00:00");
    expectStatementsAddUp(0, 0);
    EXPECT_EQ(render(getSaldoCons("C1", "K1")), "-14|0");
    ASSERT_FALSE(EvoluiSaldo("C1", "K1", "01", start).isFailure());
    ASSERT_FALSE(setAtualizaDebCons("01", "C1", "K1", "OP1", start).isFailure());
    EXPECT_EQ(statement(), mended);
    EXPECT_EQ(render(getSaldoCons("C1", "K1")), "-14|0");
    exec("DROP TABLE EXTRATOCONS");
    EXPECT_TRUE(EvoluiSaldo("C1", "K1", "01", start).isFailure());
}

// ---- maxima under the consumer's lock ---------------------------------------------------------

// One maximum of a checked consumer, set to 30,00, and a sale of 30,00 on its road: alone the sale
// fits exactly, two of them pass it.
struct MaximumCase
{
    const char *name;
    const char *limitSql; // sets the maximum
    bool credit;          // personal credit (family REF), else the payroll debit
    const char *key;      // the refusal the cashier reads
};

const MaximumCase maximumCases[] = {
    {"CreditStoreDaily", "UPDATE TIPOCONSLOJA SET VRMAXCONSDIAC = 30", true, "VRMAXCONS_LOJA"},
    {"CreditStoreMonthly", "UPDATE TIPOCONSLOJA SET VRMAXCONSMESC = 30", true, "VRMAXCONSMES_LOJA"},
    {"CreditConsumer", "UPDATE CONSUMIDOR SET VRMAXCREDCONS = 30", true, "OPE_SALMAX_DEB"},
    {"DebitMonthly", "UPDATE TIPOCONSLOJA SET VRMAXCONSMENSAL = 30", false, "VRMAXCONSMES"},
    {"DebitStoreDaily", "UPDATE TIPOCONSLOJA SET VRMAXCONSDIAD = 30", false, "VRMAXCONS_LOJA"},
    {"DebitStoreMonthly", "UPDATE TIPOCONSLOJA SET VRMAXCONSMESD = 30", false, "VRMAXCONSMES_LOJA"},
    {"DebitConsumer", "UPDATE CONSUMIDOR SET VRMAXDEBCONS = 30", false, "OPE_SALMAX_DEB"},
};

// One till's save of sale `number`: the sale's row, then the consumer's posting, in one
// transaction left open for the caller.
Variant beginSale(Qub_movrela::DbConnection &till, const QString &number, const MaximumCase &limit)
{
    if (!till.begin()
        || !till.execute("venda", "INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, CDCLIENTE, CDCONSUMIDOR, IDSITUVENDA, "
                                  "DTENTRVENDA, CDLOJA) VALUES ('01', '001', :N, 'C1', 'K1', 'O', :D, 'L1')",
                         {{"N", number}, {"D", LookupsTest::now()}}))
        return Variant::failure(till.lastError().databaseText);
    return setLancaConsumo(till, limit.credit ? posting(number, familyAmounts({{"REF", 30}}))
                                              : posting(number, {}, {}, 30));
}

class ConsumerMaximaTest : public ConsumerPostingTest
{
protected:
    void SetUp() override
    {
        ConsumerPostingTest::SetUp();
        exec("UPDATE CONSUMIDOR SET IDVERSALDCON = 'S', VRLIMDEBCONS = NULL, VRMAXDEBCONS = NULL, VRSUBSBASICO = 0");
        exec("INSERT INTO TIPOCONSLOJA (CDTIPOCONS, CDFILIAL, CDLOJA) VALUES ('T1', '01', 'L1')");
        exec(balance("REF", "100"));
    }

    QString refusal(const MaximumCase &limit)
    {
        return QString::fromLatin1(consumerLimitRefusal)
            + Lvm_msg::Format(Lvm_msg::msgPadrao().Msg(QString::fromLatin1(limit.key)),
                              {"K1 - Ana K1", PtBr::FormatCurr(30.0)});
    }

    int postedSales()
    {
        return int(rows("SELECT DISTINCT NRSEQVENDA FROM EXTRATOCONS").size() + rows("SELECT * FROM MOVICLIE").size());
    }

    // The second till's save, begun once the first till holds the consumer's lock with its sale
    // posted and not committed. On PostgreSQL the second session is held at the lock until the
    // first commits; SQLite lets one writer in at a time, so there the second simply follows.
    Variant secondWhileFirstHolds(const MaximumCase &limit)
    {
        Qub_movrela::DbConnection first(QStringLiteral("tillA"));
        first.useConnectionString(base().connectionString());
        const Variant firstPosted = beginSale(first, "A1", limit);
        EXPECT_FALSE(firstPosted.isFailure()) << firstPosted.failureText().toStdString();
        if (kind() != DatabaseKind::PostgreSql) {
            EXPECT_TRUE(first.commit());
            Qub_movrela::DbConnection second(QStringLiteral("tillB"));
            second.useConnectionString(base().connectionString());
            const Variant posted = beginSale(second, "B1", limit);
            posted.isFailure() ? second.rollback() : second.commit();
            return posted;
        }
        Qub_movrela::QueryRows pid;
        EXPECT_TRUE(first.execute("pid", "SELECT pg_backend_pid()", {}, &pid));
        Variant secondPosted;
        std::thread second([&] {
            Qub_movrela::DbConnection till(QStringLiteral("tillB"));
            till.useConnectionString(base().connectionString());
            secondPosted = beginSale(till, "B1", limit);
            secondPosted.isFailure() ? till.rollback() : till.commit();
        });
        Qub_movrela::DbConnection watcher(QStringLiteral("watcher"));
        watcher.useConnectionString(base().connectionString());
        bool held = false;
        for (int poll = 0; poll < 100000 && !held; ++poll) {
            Qub_movrela::QueryRows waiting;
            held = watcher.execute("waiting",
                                   "SELECT COUNT(*) FROM pg_locks WHERE NOT granted "
                                   "AND CAST(:P_PID AS INTEGER) = ANY(pg_blocking_pids(pid))",
                                   {{"P_PID", Variant(pid.rows.value(0).value(0).toString())}}, &waiting)
                && waiting.rows.value(0).value(0).toInt() > 0;
        }
        EXPECT_TRUE(held) << "the second till never waited at the consumer's lock";
        EXPECT_TRUE(first.commit());
        second.join();
        return secondPosted;
    }
};

// Two tills sell 30,00 at once to a consumer whose maximum is 30,00: the second, held at the lock
// while the first saves, counts the first sale and is refused in words; nothing of it is posted.
TEST_P(ConsumerMaximaTest, TwoTillsAtOnceNeverPassAConsumersMaximum)
{
    for (const MaximumCase &limit : maximumCases) {
        SCOPED_TRACE(limit.name);
        exec("DELETE FROM EXTRATOCONS");
        exec("DELETE FROM MOVICLIE");
        exec("DELETE FROM VENDA");
        exec("UPDATE SALDOCONS SET VRSALDCONFAM = 100");
        exec("UPDATE CONSUMIDOR SET VRMAXCREDCONS = NULL, VRMAXDEBCONS = NULL");
        exec("UPDATE TIPOCONSLOJA SET VRMAXCONSDIAC = NULL, VRMAXCONSMESC = NULL, VRMAXCONSDIAD = NULL, "
             "VRMAXCONSMESD = NULL, VRMAXCONSMENSAL = NULL");
        exec(QString::fromLatin1(limit.limitSql));
        const Variant second = secondWhileFirstHolds(limit);
        EXPECT_EQ(render(second), "FAILURE " + refusal(limit));
        EXPECT_EQ(postedSales(), 1);
        EXPECT_EQ(balanceOf("REF"), limit.credit ? 70.0 : 100.0);
    }
}

// The floor of personal credit is held the same way: two sales of 30,00 from a balance of 100,00
// whose floor is 50,00.
TEST_P(ConsumerMaximaTest, TwoTillsAtOnceNeverTakeACreditBalanceBelowItsFloor)
{
    exec("UPDATE CONSUMIDOR SET VRLIMCREDCONS = 50");
    const MaximumCase credit{"CreditFloor", "", true, "SaldInsufCre"};
    const Variant second = secondWhileFirstHolds(credit);
    EXPECT_EQ(render(second), "FAILURE " + QString::fromLatin1(consumerLimitRefusal)
                                  + Lvm_msg::Format(Lvm_msg::msgPadrao().Msg("SaldInsufCre"), {PtBr::FormatCurr(50.0)}));
    EXPECT_EQ(balanceOf("REF"), 70.0);
}

// A consumer whose balance is not checked is not held to the maxima, as the till does not check them.
TEST_P(ConsumerMaximaTest, AnUncheckedConsumerIsNotHeldToTheMaxima)
{
    exec("UPDATE CONSUMIDOR SET IDVERSALDCON = 'N', VRMAXCREDCONS = 30, VRMAXDEBCONS = 30");
    EXPECT_FALSE(secondWhileFirstHolds(maximumCases[2]).isFailure());
    exec("DELETE FROM VENDA");
    EXPECT_FALSE(secondWhileFirstHolds(maximumCases[6]).isFailure());
}

VENDACONS_DATABASE_KINDS(ConsumerMaximaTest);
VENDACONS_DATABASE_KINDS(ConsumerPostingTest);

// One till of the race below, run as a child process: posts its sales and prints how many it
// posted. Not a test of its own: it skips unless the parent started it.
TEST(ConsumerPostingChild, PostsItsSales)
{
    const QByteArray connection = qgetenv(childVariable);
    if (connection.isEmpty())
        GTEST_SKIP() << "run by TwoTillsPostingForOneConsumer";
    const QString till = QString::fromLocal8Bit(qgetenv("VENDACONS_POSTING_TILL"));
    const bool payroll = qgetenv("VENDACONS_POSTING_KIND") == "debit";
    int accepted = 0;
    for (int n = 0; n < 200; ++n) {
        const QString sale = till + QStringLiteral("-%1").arg(n, 3, 10, QLatin1Char('0'));
        const Variant posted = postOnTill(QString::fromUtf8(connection),
                                          payroll ? posting(sale, {}, {}, 0.75)
                                                  : posting(sale, familyAmounts({{"REF", 0.75}, {"LAN", 0.5}}),
                                                            loanRows({{"REF", "D", 0.5}, {"LAN", "C", 0.5}})));
        if (!posted.isFailure())
            ++accepted;
        else
            ASSERT_TRUE(posted.failureText().startsWith(payroll ? "Saldo do consumidor" : "ERRO_2REF"))
                << posted.failureText().toStdString();
    }
    printf("ACCEPTED %d\n", accepted);
}

// Two till processes on one base, each posting 200 sales for one consumer ("credit": meal
// and snack families; "debit": the payroll account); the child's accepted count comes back.
int raceTwoTills(const QString &connection, const char *kind)
{
    QList<QProcess *> tills;
    for (const char *name : {"A", "B"}) {
        auto *process = new QProcess;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(childVariable, connection);
        environment.insert("VENDACONS_POSTING_TILL", name);
        environment.insert("VENDACONS_POSTING_KIND", kind);
        process->setProcessEnvironment(environment);
        process->start(QCoreApplication::applicationFilePath(),
                       {"--gtest_filter=ConsumerPostingChild.PostsItsSales", "--gtest_brief=1"});
        tills << process;
    }
    int accepted = 0;
    for (QProcess *process : tills) {
        EXPECT_TRUE(process->waitForFinished(300000));
        const QString out = QString::fromLocal8Bit(process->readAllStandardOutput());
        EXPECT_EQ(process->exitCode(), 0) << out.toStdString();
        const qsizetype at = out.indexOf("ACCEPTED ");
        EXPECT_GE(at, 0) << out.toStdString();
        if (at >= 0)
            accepted += out.mid(at + 9).section('\n', 0, 0).trimmed().toInt();
        delete process;
    }
    return accepted;
}

// The meal family covers only part of the sales: no family goes negative, a refused sale leaves
// no row, sequences are unique, and the balance ends at the start less what was accepted.
TEST_P(ConsumerPostingTest, TwoTillsPostingForOneConsumer)
{
    exec(balance("REF", "200"));
    exec(balance("LAN", "0"));
    const int accepted = raceTwoTills(base().connectionString(), "credit");
    EXPECT_EQ(accepted, 160); // 200 / (0.75 + 0.50)
    EXPECT_EQ(balanceOf("REF"), 0.0);
    EXPECT_EQ(balanceOf("LAN"), 0.0);
    EXPECT_EQ(rows("SELECT * FROM SALDOCONS WHERE VRSALDCONFAM < 0").size(), 0);
    EXPECT_EQ(rows("SELECT * FROM EXTRATOCONS").size(), 4 * accepted);
    EXPECT_EQ(rows("SELECT DISTINCT NRSEQVENDA FROM EXTRATOCONS WHERE IDTPMOVEXT = 'V'").size(), accepted);
    EXPECT_EQ(rows("SELECT DISTINCT CDFAMILISALD, DTMOVEXTCONS, NRSEQMOVEXT FROM EXTRATOCONS").size(), 4 * accepted);
    expectStatementsAddUp(200, 0);
}

// The payroll account may owe 120,00: the two tills together stop exactly there, and every
// movement carries the balance after the ones before it.
TEST_P(ConsumerPostingTest, TwoTillsDebitingOneConsumerStopAtTheFloor)
{
    exec("UPDATE CONSUMIDOR SET IDVERSALDCON = 'S', VRLIMDEBCONS = -120, VRSUBSBASICO = 0");
    const int accepted = raceTwoTills(base().connectionString(), "debit");
    EXPECT_EQ(accepted, 160); // 120 / 0.75
    EXPECT_EQ(render(getSaldoCons("C1", "K1")), "-120|0");
    const auto moves = rows("SELECT VRMOVCLI, VRSALDOCONS FROM MOVICLIE WHERE CDCONSUMIDOR = 'K1' ORDER BY NRSEQMOVCLI");
    ASSERT_EQ(moves.size(), accepted);
    double carried = 0;
    for (const QList<QVariant> &move : moves) {
        carried = Money::RoundDec(carried - move.at(0).toDouble(), 2);
        EXPECT_EQ(Money::RoundDec(move.at(1).toDouble(), 2), carried);
    }
}

} // namespace
