// What each desk prints for one counter sale, made by the real host program on a fresh demo
// site (host/scripts/venda-completa.txt: two typed codes, a weighed item, cash with change)
// and compared whole with its golden file, the parts that vary from run to run masked
// (maskedRunParts): the fiscal printer's tape, the receipt of the NFC-e, SAT and non-fiscal
// desks, and the kitchen's ticket, which is the same on every desk.
#include "hostprogram.h"

#include <support/golden.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct DeskPrint
{
    const char *till;    // --till
    const char *printed; // the file the sale's document is in, relative to Dados/
    const char *golden;
};

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The day's tape has the day in its name; a fresh site has one.
QString printedFile(const QString &site, const QString &relative)
{
    QDir folder(QDir(site).filePath(QStringLiteral("Dados/") + QFileInfo(relative).path()));
    const QStringList found = folder.entryList({QFileInfo(relative).fileName()}, QDir::Files);
    return found.size() == 1 ? readText(folder.filePath(found.first())) : QString();
}

class DeskPrints : public ::testing::TestWithParam<DeskPrint>
{
};

TEST_P(DeskPrints, ACounterSalePrintsItsDocumentAndTheKitchensTicket)
{
    ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site, "--till", GetParam().till}, work.path(), output)) << output.toStdString();
    ASSERT_TRUE(runHost({"--site", site, "--script", QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/venda-completa.txt")},
                        work.path(), output))
        << output.toStdString();

    expectMatchesGolden(QString::fromLatin1(GetParam().golden),
                        maskedRunParts(printedFile(site, QString::fromLatin1(GetParam().printed))));
    expectMatchesGolden("nf/run_kitchen_ticket", maskedRunParts(printedFile(site, "ImpressoraNaoFiscal/COZINHA.txt")));
}

INSTANTIATE_TEST_SUITE_P(
    Desks, DeskPrints,
    ::testing::Values(DeskPrint{"ecf", "ImpressoraFiscal/fita-*.txt", "ecf/run_sale_tape"},
                      DeskPrint{"nfce", "ImpressoraNaoFiscal/padrao.txt", "nfce/run_sale_receipt"},
                      DeskPrint{"sat", "ImpressoraNaoFiscal/padrao.txt", "sat/run_sale_receipt"},
                      DeskPrint{"nf", "ImpressoraNaoFiscal/padrao.txt", "nf/run_sale_receipt"}),
    [](const ::testing::TestParamInfo<DeskPrint> &info) { return std::string(info.param.till); });

} // namespace
