#include "orderfixture.h"

#include <order/orderentry.h>
#include <order/recoveryfiles.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <runtime/cdsfile.h>
#include <runtime/clientdataset.h>

#include <QDir>
#include <QFile>

#include <csignal>
#include <stdexcept>
#include <sys/resource.h>
#include <unistd.h>

class Recovery : public OrderTest
{
protected:
    QString file() { return RecoveryFiles::path(state().params.stDSDIRCAD, RecoveryFiles::Venda); }
    // The lines on disk (the file with its journal), read back as a dataset.
    QStringList savedLines()
    {
        DataPacket packet;
        QString error;
        EXPECT_TRUE(RecoveryFiles::load(state().params.stDSDIRCAD, RecoveryFiles::Venda, &packet, &error))
            << error.toStdString();
        ClientDataSet saved;
        EXPECT_TRUE(saved.SetData(packet));
        return column(saved, "NRSEQ");
    }
    // The data-packet file alone, without its journal.
    QStringList fileLines()
    {
        ClientDataSet saved;
        QString error;
        EXPECT_TRUE(saved.LoadFromFile(file(), &error)) << error.toStdString();
        return column(saved, "NRSEQ");
    }
    // What item cancellation leaves on disk after a cancellation.
    void saveAfterCancel()
    {
        RecoveryFiles::save(data().cdsItems, state().params.stDSDIRCAD, RecoveryFiles::Venda);
        RecoveryFiles::save(data().cdsItensCancelados, state().params.stDSDIRCAD, RecoveryFiles::ItensCancelados);
    }
    QStringList leftovers() { return QDir(site.path()).entryList(QDir::Files | QDir::Hidden); }
};

TEST_F(Recovery, AfterEveryLineTheFileHoldsExactlyTheOpenSale)
{
    useFiscalPrinter();
    sell(item("10", "SUCO", "5,00"));
    EXPECT_EQ(savedLines(), QStringList{"001"});
    sell(item("11", "PÃO", "1,50"));
    EXPECT_EQ(savedLines(), QStringList({"001", "002"}));
    cancelLine(QStringLiteral("001"));
    saveAfterCancel();
    EXPECT_EQ(savedLines(), QStringList{"002"});
    sell(item("12", "CAFÉ", "3,00"));
    EXPECT_EQ(savedLines(), QStringList({"002", "003"}));

    DataPacket saved;
    ASSERT_TRUE(RecoveryFiles::load(state().params.stDSDIRCAD, RecoveryFiles::Venda, &saved));
    EXPECT_EQ(saved, data().cdsItems.Data());
    ClientDataSet cancelled;
    ASSERT_TRUE(cancelled.LoadFromFile(RecoveryFiles::path(QString(), RecoveryFiles::ItensCancelados)));
    EXPECT_EQ(column(cancelled, "NRSEQ"), QStringList{"001"});
}

// A line costs one record whatever the sale's length: the file written at the first line is
// not written again while lines are only added.
TEST_F(Recovery, ALineAddsOneJournalRecordTheFileIsNotWrittenAgain)
{
    useFiscalPrinter();
    sell(item("10", "SUCO", "5,00"));
    const QByteArray first = [&] {
        QFile f(file());
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    sell(item("11", "PÃO", "1,50"));
    sell(item("12", "CAFÉ", "3,00"));
    EXPECT_EQ(fileLines(), QStringList{"001"});
    EXPECT_EQ(savedLines(), QStringList({"001", "002", "003"}));
    QFile f(file());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), first);
}

// The files of a sale that ended without them being deleted are not added to: the next sale's
// first line starts its own.
TEST_F(Recovery, ANewSaleStartsItsOwnFileNotAddingToAnEarlierOne)
{
    useFiscalPrinter();
    sell(item("10", "SUCO", "5,00"));
    sell(item("11", "PÃO", "1,50"));
    data().cdsItems.EmptyDataSet();
    state().road.stNRSEQ.clear();
    sell(item("12", "CAFÉ", "3,00"));
    sell(item("13", "BOLO", "4,00"));
    EXPECT_EQ(savedLines(), QStringList({"001", "002"}));
    ClientDataSet saved;
    DataPacket packet;
    ASSERT_TRUE(RecoveryFiles::load(state().params.stDSDIRCAD, RecoveryFiles::Venda, &packet));
    ASSERT_TRUE(saved.SetData(packet));
    EXPECT_EQ(column(saved, "CDPRODUTO"), QStringList({"12", "13"}));
}

TEST_F(Recovery, FilesGoToTheParameterFolder)
{
    useFiscalPrinter();
    state().editParams().stDSDIRCAD = QStringLiteral("Dados\\Recupera\\");
    sell(item("10", "SUCO", "5,00"));
    EXPECT_TRUE(QFile::exists(site.filePath(QStringLiteral("Dados/Recupera/cdsVenda.cds"))));
}

// Every counter desk keeps the file, so that a sale stopped mid-way is found at the next
// start whatever document the desk issues; a table's orders are kept by the table's sale.
TEST_F(Recovery, EveryCounterSaleWritesItATableOrderDoesNot)
{
    sell(item("10", "SUCO", "5,00"));
    EXPECT_TRUE(QFile::exists(file()));
    ASSERT_TRUE(QFile::remove(file()));
    useFiscalPrinter();
    state().host.stModoVenda = QStringLiteral("M");
    sell(item("11", "PÃO", "1,50"));
    EXPECT_FALSE(QFile::exists(file()));
}

TEST_F(Recovery, TheFileIsReplacedWholeNeverRewrittenInPlace)
{
    useFiscalPrinter();
    sell(item("10", "SUCO", "5,00"));
    // A second name on the old file: an in-place write would change what it shows.
    const QString oldCopy = site.filePath(QStringLiteral("antigo.cds"));
    ASSERT_EQ(::link(QFile::encodeName(file()).constData(), QFile::encodeName(oldCopy).constData()), 0);
    sell(item("11", "PÃO", "1,50"));
    DataPacket old;
    ASSERT_TRUE(CdsFile::load(oldCopy, &old));
    EXPECT_EQ(old.rows.size(), 1);
    EXPECT_EQ(savedLines(), QStringList({"001", "002"}));
}

TEST_F(Recovery, AWriteCutOffHalfWayLeavesThePreviousFileAndJournalWhole)
{
    useFiscalPrinter();
    sell(item("10", "SUCO", "5,00"));
    const auto contents = [](const QString &name) {
        QFile f(name);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    };
    const QByteArray before = contents(file());
    const QByteArray journalBefore = contents(CdsFile::journalName(file()));
    PreenchePedidoArgs longer = item("11", "PÃO", "1,50");
    longer.STOBSPEDIDO = QString(1900, QLatin1Char('x'));
    // The disk accepts only part of the next file: the write stops half-way.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    // Room for neither the line's journal record nor the whole file with it.
    limited.rlim_cur = rlim_t(journalBefore.size() + 1000);
    setrlimit(RLIMIT_FSIZE, &limited);
    sell(longer);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(contents(file()), before);
    EXPECT_EQ(contents(CdsFile::journalName(file())), journalBefore);
    EXPECT_EQ(savedLines(), QStringList{"001"});
    EXPECT_EQ(leftovers(), QStringList({"cdsVenda.cds", "cdsVenda.cds.jnl"}));
    // The failure was told, not hidden.
    EXPECT_FALSE(shown().isEmpty());
}

TEST_F(Recovery, AFileThatCannotBeWrittenRaisesNamingIt)
{
    QFile blocker(site.filePath(QStringLiteral("bloqueio")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    try {
        RecoveryFiles::save(data().cdsItems, QStringLiteral("bloqueio\\"), RecoveryFiles::Venda);
        FAIL() << "no error";
    } catch (const std::runtime_error &error) {
        EXPECT_TRUE(QString::fromUtf8(error.what()).contains(QStringLiteral("cdsVenda.cds"))) << error.what();
    }
}

TEST_F(Recovery, DeletingAMissingFileIsQuiet)
{
    RecoveryFiles::remove(QString(), RecoveryFiles::Venda);
    useFiscalPrinter();
    sell(item("10", "SUCO", "5,00"));
    sell(item("11", "PÃO", "1,50"));
    RecoveryFiles::remove(QString(), RecoveryFiles::Venda);
    EXPECT_FALSE(QFile::exists(file()));
    EXPECT_FALSE(QFile::exists(CdsFile::journalName(file())));
}
