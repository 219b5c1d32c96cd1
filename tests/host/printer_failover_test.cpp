// The printer failover through the real host program on a fresh demo site: a table order sent
// while the kitchen printer is down reaches the bar printer, its backup, exactly once.
#include "hostprogram.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString script(const char *name)
{
    return QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/") + QString::fromLatin1(name);
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool writeText(const QString &path, const QString &text)
{
    QFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly)
           && file.write(text.toUtf8()) == text.toUtf8().size();
}

QStringList filesUnder(const QString &folder, const QString &pattern)
{
    QStringList found;
    QDirIterator it(folder, {pattern}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

class PrinterFailoverThroughTheHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
        site = work.filePath(QStringLiteral("site"));
        ASSERT_TRUE(runHost({"--init-site", site}, work.path(), output)) << output.toStdString();
    }

    QString printers() const { return QDir(site).filePath(QStringLiteral("Dados/ImpressoraNaoFiscal/")); }
    QString printed(const char *printer) const { return readText(printers() + QString::fromLatin1(printer) + ".txt"); }
    QStringList queued(const char *printer) const
    {
        return filesUnder(printers() + QStringLiteral("fila/") + QString::fromLatin1(printer), QStringLiteral("*.job"));
    }
    QStringList savedTexts() const { return filesUnder(QDir(site).filePath("Dados/IMPBACKUP"), "*PD_*.txt"); }
    QStringList logLines() const
    {
        QStringList lines;
        for (const QString &file : filesUnder(QDir(site).filePath("Dados/LogImp00000NF"), "*.txt"))
            lines += readText(file).split('\n', Qt::SkipEmptyParts);
        return lines;
    }
    bool play(const char *name) { return runHost({"--site", site, "--script", script(name)}, work.path(), output); }

    QTemporaryDir work;
    QString site;
    QString output;
};

TEST_F(PrinterFailoverThroughTheHost, TicketStuckOnTheKitchenIsPrintedOnceOnTheBar)
{
    ASSERT_TRUE(writeText(printers() + "estado.txt", "COZINHA=PARADA\nBAR=LIGADA\n"));

    ASSERT_TRUE(play("falha-impressora.txt")) << output.toStdString();

    EXPECT_EQ(printed("BAR").count("PRATO FEITO DE FRANGO"), 1) << printed("BAR").toStdString();
    EXPECT_FALSE(printed("COZINHA").contains("PRATO FEITO DE FRANGO"));
    EXPECT_TRUE(queued("COZINHA").isEmpty()) << queued("COZINHA").join(' ').toStdString();
    EXPECT_TRUE(savedTexts().isEmpty()) << savedTexts().join(' ').toStdString();
    const QStringList log = logLines();
    ASSERT_EQ(log.size(), 1) << log.join('\n').toStdString();
    EXPECT_TRUE(log.first().contains("COZINHA enviando para BAR"));
}

TEST_F(PrinterFailoverThroughTheHost, BackupDownTooKeepsTheTicketUntilItIsBack)
{
    ASSERT_TRUE(writeText(printers() + "estado.txt", "COZINHA=PARADA\nBAR=PARADA\n"));

    ASSERT_TRUE(play("falha-impressora.txt")) << output.toStdString();

    EXPECT_EQ(queued("COZINHA").size(), 1);
    EXPECT_EQ(savedTexts().size(), 1);
    EXPECT_FALSE(printed("BAR").contains("PRATO FEITO DE FRANGO"));

    ASSERT_TRUE(writeText(printers() + "estado.txt", "COZINHA=PARADA\nBAR=LIGADA\n"));
    ASSERT_TRUE(play("falha-impressora-volta.txt")) << output.toStdString();

    EXPECT_EQ(printed("BAR").count("PRATO FEITO DE FRANGO"), 1) << printed("BAR").toStdString();
    EXPECT_TRUE(queued("COZINHA").isEmpty());
    EXPECT_TRUE(savedTexts().isEmpty());
}

} // namespace
