#include "settlementfixture.h"

#include <outside/ping.h>
#include <outside/spooler.h>
#include <runtime/clientdataset.h>
#include <runtime/sitepaths.h>
#include <settlement/printerfailover.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTimer>

namespace {

const QString OwnDocument = QStringLiteral("240305143000PD_3_001_0001.txt");
const QString OtherTillDocument = QStringLiteral("240305143000PD_3_002_0001.txt");
const QString Ticket = QStringLiteral("MESA 0007\n1 X-SALADA\n");

struct JobCase
{
    const char *name;
    QString document;
    quint32 status;
    int ageSeconds; // < 0: the spooler gave no submission time
    bool savedText;
    QByteArray jobData;
    bool printedOnBackup;
    bool jobLeft;
    bool savedTextLeft;
};

class PrinterFailoverTest : public SettlementTest
{
protected:
    void SetUp() override
    {
        SettlementTest::SetUp();
        printers = std::make_shared<FileSpooler>(site.filePath(QStringLiteral("Dados/ImpressoraNaoFiscal")));
        printers->setState(QStringLiteral("COZINHA"), QStringLiteral("PARADA"));
        printers->printRaw(QStringLiteral("BAR"), QStringLiteral("abertura"), QByteArray());
    }

    QString backupFolder() const { return site.filePath(QStringLiteral("Dados/IMPBACKUP")); }

    void saveText(const QString &document, const QString &text)
    {
        QDir().mkpath(backupFolder());
        QFile file(QDir(backupFolder()).filePath(document));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8());
    }

    quint32 queueJob(const QString &document, quint32 status, int ageSeconds, const QByteArray &data = "x\n")
    {
        const QDateTime submitted = ageSeconds < 0 ? QDateTime() : now.addSecs(-ageSeconds).toUTC();
        return printers->queue(QStringLiteral("COZINHA"), document, data, submitted, status);
    }

    void runOnce() { runOnce({row()}); }
    void runOnce(const QList<BackupPrinterRow> &map)
    {
        PrinterFailover(printers, QStringLiteral("001")).runOnce(map, now);
    }

    static BackupPrinterRow row(const QString &model = QStringLiteral("23"))
    {
        return {QStringLiteral("3"), QStringLiteral("COZINHA"), QStringLiteral("BAR"), model};
    }

    QString printed(const QString &printer) const
    {
        QFile file(printers->outputOf(printer));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QStringList queued(const QString &printer) const
    {
        QStringList names;
        QString failure;
        for (const SpoolJob &job : printers->jobs(printer, 100, &failure).value_or(QList<SpoolJob>()))
            names << job.documentName;
        return names;
    }

    QStringList logLines() const
    {
        QFile file(SitePaths::resolve(QStringLiteral("dados/LogImp00000NF/LogImp00000NF2024/LogImp00000NF050324.txt")));
        if (!file.open(QIODevice::ReadOnly))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    std::shared_ptr<FileSpooler> printers;
};

class FailoverJobs : public PrinterFailoverTest, public ::testing::WithParamInterface<JobCase>
{
};

TEST_P(FailoverJobs, JobIsReprintedRemovedOrLeftAsItsOwnerStatusAndAgeSay)
{
    const JobCase &c = GetParam();
    if (c.savedText)
        saveText(c.document, Ticket);
    ASSERT_NE(queueJob(c.document, c.status, c.ageSeconds, c.jobData), 0u);

    runOnce();

    EXPECT_EQ(printed(QStringLiteral("BAR")).contains(QStringLiteral("X-SALADA")), c.printedOnBackup);
    EXPECT_EQ(queued(QStringLiteral("COZINHA")).contains(c.document), c.jobLeft);
    EXPECT_EQ(QFile::exists(QDir(backupFolder()).filePath(c.document)), c.savedTextLeft);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailoverJobs,
    ::testing::Values(
        JobCase{"OwnJobOf31SecondsGoesToTheBackup", OwnDocument, 0, 31, true, "x\n", true, false, false},
        JobCase{"OwnJobOf20SecondsIsLeft", OwnDocument, 0, 20, true, "x\n", false, true, true},
        JobCase{"OwnJobPausedWhileSpoolingIsLeft", OwnDocument, 9, 3600, true, "x\n", false, true, true},
        JobCase{"OwnJobDeletingWhileSpoolingIsLeft", OwnDocument, 12, 3600, true, "x\n", false, true, true},
        JobCase{"OwnJobOfStatus13IsHandled", OwnDocument, 13, 31, true, "x\n", true, false, false},
        JobCase{"OwnJobWithoutSubmissionTimeIsNeitherReprintedNorRemoved", OwnDocument, 0, -1, true, "x\n", false,
                true, true},
        JobCase{"OwnJobWithoutSavedTextIsReprintedFromItsQueuedData", OwnDocument, 0, 31, false,
                "MESA 0007\n1 X-SALADA\n", true, false, false},
        JobCase{"OwnJobWithNoTextAnywhereStaysForItsPrinter", OwnDocument, 0, 31, false, "", false, true, false},
        JobCase{"OtherTillsJobOf11MinutesIsRemovedUnprinted", OtherTillDocument, 0, 660, true, "x\n", false, false,
                true},
        JobCase{"OtherTillsJobOf9MinutesIsLeft", OtherTillDocument, 0, 540, true, "x\n", false, true, true},
        JobCase{"OtherTillsJobKeptAfterAnErrorIsRemovedAtOnce", OtherTillDocument, 8210, 5, true, "x\n", false, false,
                true}),
    [](const ::testing::TestParamInfo<JobCase> &info) { return std::string(info.param.name); });

TEST_F(PrinterFailoverTest, ReprintIsLoggedOnceWithBothPrinters)
{
    saveText(OwnDocument, Ticket);
    queueJob(OwnDocument, 0, 31);

    runOnce();
    runOnce();

    EXPECT_EQ(printed(QStringLiteral("BAR")).count(QStringLiteral("X-SALADA")), 1);
    EXPECT_EQ(logLines(), QStringList({QStringLiteral("05/03/2024 14:30:15 - Falha no documento ") + OwnDocument
                                       + QStringLiteral(" COZINHA enviando para BAR")}));
}

TEST_F(PrinterFailoverTest, JobWithoutSubmissionTimeIsLoggedOnceNotAtEveryRun)
{
    saveText(OwnDocument, Ticket);
    queueJob(OwnDocument, 0, -1);

    runOnce();
    runOnce();
    runOnce();

    ASSERT_EQ(logLines().size(), 1);
    EXPECT_TRUE(logLines().first().contains(QStringLiteral("sem hora de envio")));
    EXPECT_TRUE(printed(QStringLiteral("BAR")).isEmpty());
}

TEST_F(PrinterFailoverTest, BackupDownKeepsJobAndTextThenPrintsOnceWhenItIsBack)
{
    saveText(OwnDocument, Ticket);
    queueJob(OwnDocument, 0, 31);
    printers->setState(QStringLiteral("BAR"), QStringLiteral("PARADA"));

    runOnce();

    EXPECT_EQ(queued(QStringLiteral("COZINHA")), QStringList({OwnDocument}));
    EXPECT_TRUE(queued(QStringLiteral("BAR")).isEmpty()) << "nothing waits on the backup to print twice later";
    EXPECT_TRUE(QFile::exists(QDir(backupFolder()).filePath(OwnDocument)));

    printers->setState(QStringLiteral("BAR"), QString());
    runOnce();
    runOnce();

    EXPECT_EQ(printed(QStringLiteral("BAR")).count(QStringLiteral("X-SALADA")), 1);
    EXPECT_TRUE(queued(QStringLiteral("COZINHA")).isEmpty());
    EXPECT_FALSE(QFile::exists(QDir(backupFolder()).filePath(OwnDocument)));
}

TEST_F(PrinterFailoverTest, PrinterThatIsGoneDoesNotHoldBackTheRowsAfterIt)
{
    printers->setState(QStringLiteral("SALAO"), QStringLiteral("AUSENTE"));
    saveText(OwnDocument, Ticket);
    queueJob(OwnDocument, 0, 31);

    runOnce({{QStringLiteral("1"), QStringLiteral("SALAO"), QStringLiteral("BAR"), QStringLiteral("23")}, row()});

    EXPECT_EQ(printed(QStringLiteral("BAR")).count(QStringLiteral("X-SALADA")), 1);
    EXPECT_TRUE(queued(QStringLiteral("COZINHA")).isEmpty());
}

TEST_F(PrinterFailoverTest, OnlyTheFirstFiftyJobsAreSeenInOneRun)
{
    for (int i = 1; i <= 51; ++i)
        queueJob(QStringLiteral("240305143000PD_3_002_%1.txt").arg(i, 4, 10, QLatin1Char('0')), 0, 660);

    runOnce();

    EXPECT_EQ(queued(QStringLiteral("COZINHA")), QStringList({QStringLiteral("240305143000PD_3_002_0051.txt")}));
}

TEST_F(PrinterFailoverTest, SendSpoolTurnsASlashAddressIntoAShareOfThisMachine)
{
    PrinterFailover failover(printers, QStringLiteral("001"));
    const QString host = PrinterFailover::GetHost();

    EXPECT_TRUE(failover.SendSpool(host + QStringLiteral("/BAR"), QStringLiteral("doc"), QStringLiteral("A\r\n")));
    EXPECT_TRUE(failover.SendSpool(QStringLiteral("\\\\127.0.0.1\\bar"), QStringLiteral("doc"), QStringLiteral("B\r\n")));
    EXPECT_TRUE(failover.SendSpool(QStringLiteral("BAR"), QStringLiteral("doc"), QStringLiteral("C\r\n")));
    EXPECT_FALSE(failover.SendSpool(QStringLiteral("OUTRA/BAR"), QStringLiteral("doc"), QStringLiteral("D\r\n")));
    EXPECT_FALSE(failover.SendSpool(QStringLiteral("BAR"), QStringLiteral("doc"), QStringLiteral("   ")));
    EXPECT_EQ(printed(QStringLiteral("BAR")), QStringLiteral("A\r\nB\r\nC\r\n"));
}

TEST_F(PrinterFailoverTest, OwnAddressIsNeverALoopbackOtherThanTheLastResort)
{
    const QString address = PrinterFailover::GetIpAddress();
    EXPECT_TRUE(address == QLatin1String("127.0.0.1") || !address.startsWith(QLatin1String("127.")))
        << address.toStdString();
}

struct LineCase
{
    const char *name;
    QString model;
    QString line;
    QString expected;
};

class FormatLine : public ::testing::TestWithParam<LineCase>
{
};

TEST_P(FormatLine, LineIsFittedToTheBackupWidth)
{
    EXPECT_EQ(PrinterFailover::FormatLineTextBakup(GetParam().line, GetParam().model), GetParam().expected);
}

const QString Sixty = QString(60, QLatin1Char('A'));

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatLine,
    ::testing::Values(
        LineCase{"Model23SplitsSeventyAtSixtyAndCollapsesRuns", "23", Sixty + QStringLiteral("ab  --- cd"),
                 Sixty + QStringLiteral("\r\nab - cd")},
        LineCase{"Model23MarkLetterTakesNoColumn", "23", QString(60, QLatin1Char('B')) + QStringLiteral("iii"),
                 QString(60, QLatin1Char('B')) + QStringLiteral("iii")},
        LineCase{"MarkLetterRemovedFromTheRestIsAppendedOnce", "23", Sixty + QStringLiteral("xixiZ"),
                 Sixty + QStringLiteral("\r\nxxZi")},
        LineCase{"Model15IsFortyWide", "15", QString(41, QLatin1Char('C')),
                 QString(40, QLatin1Char('C')) + QStringLiteral("\r\nC")},
        LineCase{"EmptyModelIsFortyWide", "", QString(40, QLatin1Char('C')), QString(40, QLatin1Char('C'))},
        LineCase{"RestOfOnlyBlanksIsDropped", "1", QString(36, QLatin1Char('D')) + QStringLiteral("    "),
                 QString(36, QLatin1Char('D')) + QStringLiteral("\r\n")},
        LineCase{"BlankLineIsKept", "23", QStringLiteral("   "), QStringLiteral("   ")}),
    [](const ::testing::TestParamInfo<LineCase> &info) { return std::string(info.param.name); });

TEST_F(PrinterFailoverTest, TimerTickRunsOnTheWorkerAndSwitchesTheTimerOnAgain)
{
    Spooler::setCurrent(printers);
    state().editParams().stCDCAIXA = QStringLiteral("001");
    ClientDataSet &map = data().cdsImpBackup;
    map.EmptyDataSet();
    if (!map.Active()) {
        ASSERT_TRUE(map.CreateDataSet());
    }
    map.Append();
    map.FieldByName(QStringLiteral("NRSEQIMPRLOJA")).SetAsString(QStringLiteral("3"));
    map.FieldByName(QStringLiteral("DSENDPORTA")).SetAsString(QStringLiteral("COZINHA"));
    map.FieldByName(QStringLiteral("DSENDPORTABK")).SetAsString(QStringLiteral("BAR"));
    map.FieldByName(QStringLiteral("IDMODEIMPRESBK")).SetAsString(QStringLiteral("23"));
    map.Post();
    saveText(OwnDocument, Ticket);
    queueJob(OwnDocument, 0, 31);
    auto *timer = form->findChild<QTimer *>(QStringLiteral("timImpressoraBackup"));
    ASSERT_NE(timer, nullptr);
    timer->start();

    settlement().timImpressoraBackupTimer(timer);
    EXPECT_FALSE(timer->isActive());
    // A reload of the map and another tick while the run goes on: the run keeps its copy.
    map.EmptyDataSet();
    settlement().timImpressoraBackupTimer(timer);
    settlement().failover().wait();
    QCoreApplication::processEvents();

    EXPECT_TRUE(timer->isActive());
    EXPECT_EQ(printed(QStringLiteral("BAR")).count(QStringLiteral("X-SALADA")), 1);
    Spooler::setCurrent(nullptr);
}

} // namespace

namespace {

TEST_F(PrinterFailoverTest, NetworkPrinterAnswersWhenItsPingComesBackWithinHalfASecond)
{
    QList<int> timeouts;
    Ping::setEcho([&timeouts](const QString &host, int timeoutMs) {
        timeouts << timeoutMs;
        return Ping::Result{host == QLatin1String("10.0.0.5"), QString()};
    });

    EXPECT_TRUE(settlement().VerificaImpressoraRede(QStringLiteral("10.0.0.5")));
    EXPECT_FALSE(settlement().VerificaImpressoraRede(QStringLiteral("10.0.0.6")));
    EXPECT_EQ(timeouts, QList<int>({500, 500}));
    Ping::setEcho({});
}

} // namespace
