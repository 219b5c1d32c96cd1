#include <outside/spooler.h>
#include <runtime/clock.h>

#include <QFile>
#include <QTemporaryDir>

#include <cups/cups.h>

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

// The CUPS adapter on the machine's own scheduler, when there is one with a queue to use.
TEST(CupsSpooler, RawJobIsListedThenCancelledOnALocalQueue)
{
    cups_dest_t *dests = nullptr;
    const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
    cupsFreeDests(count, dests);
    if (count <= 0)
        GTEST_SKIP() << "no local CUPS scheduler with a queue";
    auto spooler = makeCupsSpooler();
    QString failure;
    const QList<SpoolPrinter> printers = spooler->printers(&failure);
    ASSERT_FALSE(printers.isEmpty()) << failure.toStdString();
    const QString queue = printers.first().name;

    const SpoolAnswer sent = spooler->printRaw(queue, "vendacons-teste", "teste\n");
    if (!sent.ok)
        GTEST_SKIP() << "queue refuses jobs: " << sent.failure.toStdString();
    const auto jobs = spooler->jobs(queue, 50, &failure);
    ASSERT_TRUE(jobs.has_value()) << failure.toStdString();
    for (const SpoolJob &job : *jobs) {
        if (job.documentName == "vendacons-teste") {
            EXPECT_TRUE(job.submitted.isValid());
            EXPECT_TRUE(spooler->cancel(queue, job.id).ok);
        }
    }
}

TEST(CupsSpooler, QueueThatDoesNotExistIsReportedNotListed)
{
    auto spooler = makeCupsSpooler();
    QString failure;
    const auto jobs = spooler->jobs("vendacons-fila-inexistente", 50, &failure);
    EXPECT_TRUE(!jobs.has_value() || jobs->isEmpty());
    EXPECT_FALSE(spooler->printRaw("vendacons-fila-inexistente", "doc", "x").ok);
}

} // namespace
