#include <support/localcups.h>

#include <outside/spooler.h>
#include <runtime/clock.h>

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class FileSpoolerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        Clock::setNow([] { return QDateTime(QDate(2024, 3, 5), QTime(14, 30, 15)); });
    }
    void TearDown() override { Clock::setNow({}); }

    QString printed(const QString &printer)
    {
        QFile file(spooler.outputOf(printer));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QList<SpoolJob> jobs(const QString &printer)
    {
        QString failure;
        return spooler.jobs(printer, 50, &failure).value_or(QList<SpoolJob>());
    }

    QTemporaryDir folder;
    FileSpooler spooler{folder.path()};
};

TEST_F(FileSpoolerTest, PrinterThatIsUpPrintsAtOnce)
{
    ASSERT_TRUE(spooler.printRaw("COZINHA", "doc", "A\n").ok);
    EXPECT_EQ(printed("COZINHA"), "A\n");
    EXPECT_TRUE(jobs("COZINHA").isEmpty());
    EXPECT_TRUE(spooler.ready("COZINHA", nullptr));
}

TEST_F(FileSpoolerTest, PrinterMarkedDownKeepsItsJobsQueuedWithNameAndTime)
{
    spooler.setState("COZINHA", "PARADA");
    ASSERT_TRUE(spooler.printRaw("COZINHA", "pedido 1", "A\n").ok);

    const QList<SpoolJob> queued = jobs("COZINHA");
    ASSERT_EQ(queued.size(), 1);
    EXPECT_EQ(queued[0].documentName, "pedido 1");
    EXPECT_EQ(queued[0].status, 0u);
    EXPECT_EQ(queued[0].submitted, QDateTime(QDate(2024, 3, 5), QTime(14, 30, 15)));
    EXPECT_EQ(spooler.jobData("COZINHA", queued[0].id), QByteArray("A\n"));
    EXPECT_TRUE(printed("COZINHA").isEmpty());
    EXPECT_FALSE(spooler.ready("COZINHA", nullptr));
}

TEST_F(FileSpoolerTest, PrinterUpAgainPrintsItsQueueFirstButKeepsHeldAndFailedJobs)
{
    spooler.setState("COZINHA", "PARADA");
    spooler.printRaw("COZINHA", "1", "A\n");
    spooler.queue("COZINHA", "held", "H\n", QDateTime(), JobStatus::PausedSpooling);
    spooler.queue("COZINHA", "failed", "F\n", QDateTime(), JobStatus::RetainedPrintingError);
    spooler.setState("COZINHA", "");

    ASSERT_TRUE(spooler.printRaw("COZINHA", "2", "B\n").ok);

    EXPECT_EQ(printed("COZINHA"), "A\nB\n");
    ASSERT_EQ(jobs("COZINHA").size(), 2);
    EXPECT_EQ(jobs("COZINHA")[0].documentName, "held");
}

TEST_F(FileSpoolerTest, PrinterGoneIsNotInstalledAndRefusesJobs)
{
    spooler.printRaw("BAR", "doc", "x");
    spooler.setState("BAR", "AUSENTE");

    QString failure;
    EXPECT_TRUE(spooler.printers(&failure).isEmpty());
    EXPECT_FALSE(spooler.printRaw("BAR", "doc", "y").ok);
    EXPECT_FALSE(spooler.jobs("BAR", 50, &failure).has_value());
    EXPECT_FALSE(failure.isEmpty());
}

TEST_F(FileSpoolerTest, CancelRemovesTheJobAndRefusesOneNotQueued)
{
    const quint32 id = spooler.queue("COZINHA", "doc", "x", QDateTime());
    EXPECT_TRUE(spooler.cancel("COZINHA", id).ok);
    EXPECT_FALSE(spooler.cancel("COZINHA", id).ok);
    EXPECT_TRUE(jobs("COZINHA").isEmpty());
}

TEST_F(FileSpoolerTest, NetworkConnectionIsRefusedWithItsReason)
{
    const SpoolAnswer answer = spooler.addConnection("\\\\OUTRA\\BAR");
    EXPECT_FALSE(answer.ok);
    EXPECT_TRUE(answer.failure.contains("OUTRA"));
}

// The CUPS adapter on a real scheduler of the test's own, with a queue that prints to a file.
class CupsSpooler : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QString why;
        ASSERT_TRUE(cups.start(&why)) << why.toStdString();
    }

    LocalCups cups;
};

TEST_F(CupsSpooler, RawJobIsListedThenCancelledOnALocalQueue)
{
    auto spooler = makeCupsSpooler();
    QString failure;
    const QList<SpoolPrinter> printers = spooler->printers(&failure);
    ASSERT_EQ(printers.size(), 1) << failure.toStdString();
    EXPECT_EQ(printers.first().name, LocalCups::queue());

    const SpoolAnswer sent = spooler->printRaw(LocalCups::queue(), "vendacons-teste", "teste\n");
    ASSERT_TRUE(sent.ok) << sent.failure.toStdString();
    const auto jobs = spooler->jobs(LocalCups::queue(), 50, &failure);
    ASSERT_TRUE(jobs.has_value()) << failure.toStdString();
    ASSERT_EQ(jobs->size(), 1);
    EXPECT_EQ(jobs->first().documentName, "vendacons-teste");
    EXPECT_TRUE(jobs->first().submitted.isValid());
    EXPECT_TRUE(spooler->cancel(LocalCups::queue(), jobs->first().id).ok);
    EXPECT_EQ(spooler->jobs(LocalCups::queue(), 50, &failure).value_or(QList<SpoolJob>{{}}).size(), 0) << failure.toStdString();
}

TEST_F(CupsSpooler, QueueThatDoesNotExistIsReportedNotListed)
{
    auto spooler = makeCupsSpooler();
    QString failure;
    const auto jobs = spooler->jobs("vendacons-fila-inexistente", 50, &failure);
    EXPECT_TRUE(!jobs.has_value() || jobs->isEmpty());
    EXPECT_FALSE(spooler->printRaw("vendacons-fila-inexistente", "doc", "x").ok);
}

} // namespace
