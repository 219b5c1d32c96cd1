#include "hostbasefixture.h"

#include <host/partners/authorities.h>
#include <host/site/salesaving.h>

#include <outside/geralqub.h>
#include <runtime/clientdataset.h>

#include <QDir>
#include <QFile>

#include <atomic>
#include <functional>
#include <thread>

// The server ends the host's session while a till saves a sale (a restart of the shared base
// at rush hour): the sale is stored once, whole, and the till hears a sale that finished.
namespace {

const FieldType S = FieldType::String, D = FieldType::Double;

void define(ClientDataSet &dataset, const QList<FieldDef> &fields)
{
    for (const FieldDef &field : fields)
        dataset.FieldDefs().Add(field.name, field.type, field.size);
    dataset.CreateDataSet();
}

// A counter sale of two items paid in cash and by card.
struct CounterSale
{
    ClientDataSet venda{"cdsVenda"}, movCaixa{"cdsMovCaixa"}, vendaCancelada{"cdsVendaCancelada"},
        familias{"cdsFamiliaSaldo"}, emprestimos{"cdsEmprestimoFam"}, promoComb{"cdsItPromoComb"},
        devolucao{"cdsDevolucao"}, vazio{"cdsVazio"}, obs{"cdsObsItens"}, obsEst{"cdsObsItensEst"},
        cancelados{"cdsItensCancelados"}, fidelidade{"cdsExtConsFid"}, promoComanda{"cdsPromoComanda"};

    CounterSale()
    {
        define(venda, {{"CDFILIAL", S, 4}, {"CDLOJA", S, 10}, {"CDPRODUTO", S, 10}, {"NMPRODUTO", S, 50},
                       {"QTPRODCOMVEN", D}, {"VRPRECCOMVEN", D}, {"NRSEQ", S, 3}, {"CDOPERADOR", S, 12}});
        define(movCaixa, {{"CDTIPORECE", S, 3}, {"IDTIPORECE", S, 2}, {"IDTIPOMOVIVE", S, 1}, {"VRMOVIVEND", D},
                          {"VRTROCO", D}});
        for (ClientDataSet *empty : {&vendaCancelada, &familias, &emprestimos, &promoComb, &devolucao, &vazio, &obs,
                                     &obsEst, &cancelados, &fidelidade, &promoComanda})
            define(*empty, {{"X", S, 1}});
        item("01001", "Prato feito", 22.90, "001");
        item("09002", "Refrigerante lata", 6.50, "002");
        payment("001", "1", 20.00);
        payment("002", "2", 9.40);
    }
    void item(const QString &code, const QString &name, double price, const QString &seq)
    {
        venda.Append();
        venda.FieldByName("CDFILIAL").SetAsString("0001");
        venda.FieldByName("CDLOJA").SetAsString("01");
        venda.FieldByName("CDPRODUTO").SetAsString(code);
        venda.FieldByName("NMPRODUTO").SetAsString(name);
        venda.FieldByName("QTPRODCOMVEN").SetAsFloat(1);
        venda.FieldByName("VRPRECCOMVEN").SetAsFloat(price);
        venda.FieldByName("NRSEQ").SetAsString(seq);
        venda.FieldByName("CDOPERADOR").SetAsString("0001");
        venda.Post();
    }
    void payment(const QString &code, const QString &kind, double value)
    {
        movCaixa.Append();
        movCaixa.FieldByName("CDTIPORECE").SetAsString(code);
        movCaixa.FieldByName("IDTIPORECE").SetAsString(kind);
        movCaixa.FieldByName("IDTIPOMOVIVE").SetAsString("E");
        movCaixa.FieldByName("VRMOVIVEND").SetAsFloat(value);
        movCaixa.Post();
    }
    ClosingDatasets closing()
    {
        return {venda, movCaixa, vendaCancelada, familias, emprestimos, promoComb, devolucao,
                vazio, obs, obsEst, cancelados, fidelidade, promoComanda};
    }
};

ClosingHeader header(const QString &documentKind)
{
    ClosingHeader header;
    header.cdCaixa = "001";
    header.dtAberCaix = QDateTime(QDate(2024, 3, 5), QTime(6, 0));
    header.cdEmpresa = "01";
    header.documentNumber = "000321";
    header.cdFilial = "0001";
    header.cdLoja = "01";
    header.stRecebAux9 = "000321";
    header.stRecebAux20 = documentKind;
    header.stRecebAux24 = "1";
    header.idAmbTrabNfce = "2";
    header.sgEstadoFili = "SP";
    return header;
}

// Where the save's session is made to wait, so that it can be ended there: a lock another
// session holds on ITEMVENDA (the save is cut while it writes its items), or an advisory lock
// a check of VENDA takes when the transaction commits (the save is cut at its COMMIT).
const QString holdItems = "LOCK TABLE ITEMVENDA IN SHARE MODE";
const QString holdMovCaixa = "LOCK TABLE MOVCAIXA IN SHARE MODE";
const QString holdCommit = "SELECT pg_advisory_xact_lock(4711)";

class SaleSavingLoss : public HostBaseTest
{
protected:
    void SetUp() override
    {
        if (GetParam() == DatabaseKind::SQLite)
            GTEST_SKIP() << "a SQLite session has no server to end it";
        HostBaseTest::SetUp();
    }
    void TearDown() override
    {
        SaleSaving::setFailurePoint({});
        HostBaseTest::TearDown();
    }

    // Makes the commit of any transaction that wrote VENDA wait for holdCommit's lock.
    void commitWaitsForTheLock()
    {
        exec("CREATE FUNCTION test_commit_waits() RETURNS trigger LANGUAGE plpgsql AS "
             "'BEGIN PERFORM pg_advisory_xact_lock(4711); RETURN NULL; END'");
        exec("CREATE CONSTRAINT TRIGGER test_commit_waits AFTER INSERT OR UPDATE ON VENDA "
             "DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION test_commit_waits()");
    }

    // Runs `action` while another session holds `holdSql` in a transaction; each session that
    // comes to wait for it is ended, `cuts` times (`onWaiting` runs first, while it waits).
    // Then lets go. Answers what went wrong on the cutting side, or nothing.
    QString cutWhileWaiting(const QString &holdSql, int cuts, const std::function<void()> &action,
                            const std::function<void()> &onWaiting = {})
    {
        const QString connection = base().connectionString();
        const QString database = Geralqub::parseConnectionString(connection).database;
        QString helperError;
        std::atomic<bool> held = false;
        std::atomic<bool> done = false;
        std::thread cutter([&] {
            Qub_movrela::DbConnection holder(QStringLiteral("testHolder"), 10);
            Qub_movrela::DbConnection admin(QStringLiteral("testAdmin"), 10);
            holder.useConnectionString(connection);
            admin.useConnectionString(connection);
            if (!holder.begin() || !holder.execute(QStringLiteral("hold"), holdSql, {})) {
                helperError = holder.lastError().databaseText;
                done = true;
                return;
            }
            held = true;
            QStringList cut;
            while (cut.size() < cuts && helperError.isEmpty()) {
                QString next;
                for (int poll = 0; poll < 20000 && next.isEmpty() && helperError.isEmpty(); ++poll) {
                    Qub_movrela::QueryRows found;
                    if (!admin.execute(QStringLiteral("waiting"),
                                       QStringLiteral("SELECT pid FROM pg_stat_activity WHERE datname = :P_DB AND "
                                                      "wait_event_type = 'Lock' AND pid <> pg_backend_pid()"),
                                       {{QStringLiteral("P_DB"), database}}, &found))
                        helperError = admin.lastError().databaseText;
                    for (const auto &row : found.rows)
                        if (!cut.contains(row.first().toString()))
                            next = row.first().toString();
                }
                if (next.isEmpty()) {
                    helperError = QStringLiteral("nothing waited to be cut after %1 cuts").arg(cut.size());
                    break;
                }
                if (onWaiting)
                    onWaiting();
                if (!admin.execute(QStringLiteral("cut"), QStringLiteral("SELECT pg_terminate_backend(CAST(:P_PID AS INTEGER))"),
                                   {{QStringLiteral("P_PID"), next}}))
                    helperError = admin.lastError().databaseText;
                cut.append(next);
            }
            holder.rollback();
            done = true;
        });
        while (!held && !done)
            std::this_thread::yield();
        action();
        cutter.join();
        return helperError;
    }

    qint64 count(const QString &sql) { return rows(sql).first().first().toLongLong(); }
    void authority(const QString &line)
    {
        QDir().mkpath(base().siteFolder() + "/Dados");
        QFile file(base().siteFolder() + "/Dados/Autoridade.txt");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(line.toUtf8());
    }
    // The sale stored once: its header, both items and both payments, under the answered key.
    void expectStoredOnce(const ClosingAnswer &answer)
    {
        ASSERT_TRUE(answer.failure.isEmpty()) << answer.failure.toStdString();
        ASSERT_FALSE(answer.savedSaleKey.isFailure());
        const QString key = answer.savedSaleKey.toString();
        EXPECT_EQ(key.size(), 10);
        const auto sales = rows("SELECT NRSEQVENDA, IDSITUVENDA FROM VENDA");
        ASSERT_EQ(sales.size(), 1);
        EXPECT_EQ(sales[0][0].toString(), key);
        EXPECT_EQ(sales[0][1].toString(), "O");
        EXPECT_EQ(count("SELECT COUNT(*) FROM ITEMVENDA WHERE NRSEQVENDA = '" + key + "'"), 2);
        EXPECT_EQ(count("SELECT COUNT(*) FROM MOVCAIXA WHERE NRSEQVENDA = '" + key + "'"), 2);
    }
    void expectNothingStored()
    {
        for (const char *table : {"VENDA", "ITEMVENDA", "MOVCAIXA"})
            EXPECT_EQ(count(QString("SELECT COUNT(*) FROM ") + table), 0) << table;
    }
};

struct CutCase
{
    const char *name;
    const QString *hold;
};

TEST_P(SaleSavingLoss, ASaveCutBeforeOrAtItsCommitIsStoredOnceAndAnswersTheSale)
{
    const CutCase cases[] = {{"cut while writing the items", &holdItems}, {"cut at the commit", &holdCommit}};
    commitWaitsForTheLock(); // harmless for the first case: nothing holds its lock then
    for (const CutCase &cut : cases) {
        SCOPED_TRACE(cut.name);
        exec("DELETE FROM MOVCAIXA");
        exec("DELETE FROM ITEMVENDA");
        exec("DELETE FROM VENDA");
        CounterSale sale;
        ClosingDatasets datasets = sale.closing();
        ClosingAnswer answer;
        const QString cutError = cutWhileWaiting(*cut.hold, 1, [&] {
            answer = SaleSaving::SetConcluiFechamento(header("E"), datasets);
        });
        ASSERT_TRUE(cutError.isEmpty()) << cutError.toStdString();
        expectStoredOnce(answer);
        if (HasFatalFailure())
            return;
    }
}

// The authority has authorised the sale's number when the session is lost at the commit: the
// save made again records that authorisation instead of asking for the number a second time,
// which a real authority refuses as a duplicate.
TEST_P(SaleSavingLoss, AnNfceSaleCutAtItsCommitKeepsTheAuthorisationItHolds)
{
    commitWaitsForTheLock();
    CounterSale sale;
    ClosingDatasets datasets = sale.closing();
    ClosingAnswer answer;
    const QString cutError = cutWhileWaiting(
        holdCommit, 1, [&] { answer = SaleSaving::SetConcluiFechamento(header("N"), datasets); },
        [&] { authority("NFCE=RECUSA"); });
    ASSERT_TRUE(cutError.isEmpty()) << cutError.toStdString();
    expectStoredOnce(answer);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(answer.nfceStatus, "AUTORIZADA");
    EXPECT_EQ(rows("SELECT NRACESSONFCE FROM VENDA")[0][0].toString(), answer.nfceText1);
    const QStringList documents = QDir(Authorities::dayFolder("0001", "001", QDate(2024, 3, 5))).entryList(QDir::Files);
    EXPECT_EQ(documents, QStringList{answer.nfceText1 + "-nfce.xml"});
}

// The COMMIT went through but its answer was lost: the fresh session finds the sale and the
// save answers it, without storing it a second time.
TEST_P(SaleSavingLoss, ASaveWhoseCommitAnswerWasLostIsFoundStoredAndNotRepeated)
{
    int commits = 0;
    SaleSaving::setFailurePoint([&](const QString &step) {
        return step == "COMMIT" && ++commits == 1 ? QString("resposta do COMMIT perdida") : QString();
    });
    CounterSale sale;
    ClosingDatasets datasets = sale.closing();
    expectStoredOnce(SaleSaving::SetConcluiFechamento(header("E"), datasets));
    EXPECT_EQ(commits, 1);
}

// Every session the save opens is ended: it gives up after one more try, says the base did
// not answer, and leaves nothing stored.
TEST_P(SaleSavingLoss, ASaveOnABaseThatStaysDownFailsClearlyWithNothingStored)
{
    CounterSale sale;
    ClosingDatasets datasets = sale.closing();
    ClosingAnswer answer;
    const QString cutError = cutWhileWaiting(holdItems, 2, [&] {
        answer = SaleSaving::SetConcluiFechamento(header("E"), datasets);
    });
    ASSERT_TRUE(cutError.isEmpty()) << cutError.toStdString();
    EXPECT_TRUE(answer.savedSaleKey.isFailure());
    EXPECT_TRUE(answer.failure.contains("[DBNETLIB]")) << answer.failure.toStdString();
    expectNothingStored();
}

// The records of a cancelled sale follow the same rule: a cut session costs neither the record
// of a sale never stored nor the cancellation of a stored one.
TEST_P(SaleSavingLoss, CancelledSaleRecordsCutByALostSessionAreStoredOnce)
{
    CounterSale sale;
    CancelledSaleRecord record;
    record.cdsVenda = sale.venda.Data();
    record.cdsVendaCancelada = sale.vendaCancelada.Data();
    record.cdCaixa = "001";
    record.cdEmpresa = "01";
    record.documentNumber = "000321";
    record.dtDataMovimento = QDateTime(QDate(2024, 3, 5), QTime(6, 0));
    CancellationAnswer recorded;
    QString cutError = cutWhileWaiting(holdItems, 1, [&] { recorded = SaleSaving::IncluiVendaCan(record); });
    ASSERT_TRUE(cutError.isEmpty()) << cutError.toStdString();
    ASSERT_FALSE(recorded.result.isFailure()) << recorded.result.failureText().toStdString();
    EXPECT_EQ(count("SELECT COUNT(*) FROM VENDA WHERE IDSITUVENDA = 'C'"), 1);
    EXPECT_EQ(count("SELECT COUNT(*) FROM ITEMVENDA"), 2);

    exec("DELETE FROM ITEMVENDA");
    exec("DELETE FROM VENDA");
    ClosingDatasets datasets = sale.closing();
    const ClosingAnswer saved = SaleSaving::SetConcluiFechamento(header("E"), datasets);
    ASSERT_TRUE(saved.failure.isEmpty()) << saved.failure.toStdString();
    CancelledStatusChange change;
    change.cdFilial = "0001";
    change.cdCaixa = "001";
    change.saleKey = saved.savedSaleKey.toString();
    CancellationAnswer cancelled;
    cutError = cutWhileWaiting(holdMovCaixa, 1, [&] { cancelled = SaleSaving::AlteraVendaCan(change); });
    ASSERT_TRUE(cutError.isEmpty()) << cutError.toStdString();
    ASSERT_FALSE(cancelled.result.isFailure()) << cancelled.result.failureText().toStdString();
    EXPECT_EQ(rows("SELECT IDSITUVENDA FROM VENDA")[0][0].toString(), "C");
    EXPECT_EQ(count("SELECT COUNT(*) FROM MOVCAIXA WHERE IDTIPOMOVIVE = 'C'"), 2);
}

VENDACONS_DATABASE_KINDS(SaleSavingLoss);

} // namespace
