// One counter sale from start to end, as a cashier makes it: the real host program on a fresh
// demo site plays the demo script (two typed codes, an item weighed on the scale, the settle
// button, cash with change) and the sale is then read back from the site's own base and
// document files, for each kind of fiscal document the desk can issue.
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <runtime/cdsfile.h>
#include <runtime/datapacket.h>

#include "hostprogram.h"

#include <gtest/gtest.h>

namespace {

struct TillKind
{
    const char *name;      // --till
    const char *document;  // where the issued document shows: "tape" or "xml"
    const char *receipt;   // the title of the receipt on the till's printer ("" for none)
};

QStringList filesUnder(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString demoScript()
{
    return QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/venda-completa.txt");
}

// The demo script played twice in one run: the second sale on the screen the first one freed.
QString twoSaleScript(const QString &folder)
{
    const QString text = readText(demoScript());
    const QString path = QDir(folder).filePath(QStringLiteral("duas-vendas.txt"));
    QFile out(path);
    if (out.open(QIODevice::WriteOnly))
        out.write((text + QLatin1Char('\n') + text).toUtf8());
    return path;
}

// A line of the fiscal printer's tape: left and right texts on 48 columns.
QString tapeLine(const char *left, const char *right)
{
    const QString l = QString::fromUtf8(left), r = QString::fromUtf8(right);
    return l + QString(48 - l.size() - r.size(), QLatin1Char(' ')) + r;
}

QString tapeOf(const QString &site)
{
    QString text;
    for (const QString &tape : filesUnder(QDir(site).filePath(QStringLiteral("Dados/ImpressoraFiscal"))).filter(QStringLiteral("fita-")))
        text += readText(tape);
    return text;
}

// The site's base, read with plain SQL.
class SiteBase
{
public:
    explicit SiteBase(const QString &site)
    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name());
        base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
        m_open = base.open();
    }
    ~SiteBase() { QSqlDatabase::removeDatabase(name()); }
    bool open() const { return m_open; }
    QVariant single(const QString &sql) const
    {
        QSqlQuery query(QSqlDatabase::database(name()));
        EXPECT_TRUE(query.exec(sql)) << sql.toStdString() << ": " << query.lastError().text().toStdString();
        return query.next() ? query.value(0) : QVariant();
    }

private:
    static QString name() { return QStringLiteral("counter-sale"); }
    bool m_open = false;
};

class CounterSale : public ::testing::TestWithParam<TillKind>
{
};

// Three sales in a row: one run of the demo, then a second run that sells twice, as a
// cashier's day goes on after a restart.
TEST_P(CounterSale, ThreeSalesInARowEachEndInTheBaseWithTheirClosedDocument)
{
    ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site, "--till", GetParam().name}, work.path(), output)) << output.toStdString();
    ASSERT_TRUE(runHost({"--site", site, "--script", demoScript()}, work.path(), output)) << output.toStdString();
    EXPECT_TRUE(QFile::exists(work.filePath(QStringLiteral("04-venda-recebida.png"))));
    ASSERT_TRUE(runHost({"--site", site, "--script", twoSaleScript(work.path())}, work.path(), output))
        << output.toStdString();

    {
        const SiteBase base(site);
        ASSERT_TRUE(base.open());
        EXPECT_EQ(base.single(QStringLiteral("SELECT COUNT(*) FROM VENDA")).toInt(), 3);
        EXPECT_EQ(base.single(QStringLiteral("SELECT COUNT(*) FROM VENDA WHERE IDSITUVENDA = 'O'")).toInt(), 3);
        EXPECT_EQ(base.single(QStringLiteral("SELECT COUNT(*) FROM VENDA WHERE ABS(VRTOTVENDA - 80.25) < 0.001")).toInt(), 3);
        // No buyer was named: the sales keep no buyer document.
        EXPECT_EQ(base.single(QStringLiteral("SELECT COUNT(*) FROM VENDA WHERE COALESCE(NRINSCRCONS, '') <> ''")).toInt(), 0);
        EXPECT_EQ(base.single(QStringLiteral("SELECT COUNT(*) FROM ITEMVENDA")).toInt(), 9);
        // The cash row holds what the sale took; the change is kept beside it.
        EXPECT_NEAR(base.single(QStringLiteral("SELECT SUM(VRMOVIVEND) FROM MOVCAIXA")).toDouble(), 3 * 80.25, 0.001);
        EXPECT_NEAR(base.single(QStringLiteral("SELECT SUM(VRTROCO) FROM MOVCAIXA")).toDouble(), 3 * 19.75, 0.001);
    }

    if (QString::fromLatin1(GetParam().document) == QLatin1String("tape")) {
        const QString text = tapeOf(site);
        EXPECT_EQ(text.count(QStringLiteral("BUFFET LIVRE POR QUILO"), Qt::CaseInsensitive), 3) << text.toStdString();
        // Each receipt is totalled, paid, given its change and closed.
        for (const QString &expected : {tapeLine("TOTAL R$", "80,25"), tapeLine("TROCO R$", "19,75"),
                                        QStringLiteral("CUPOM FISCAL FECHADO  COO: 000001"),
                                        QStringLiteral("CUPOM FISCAL FECHADO  COO: 000002"),
                                        QStringLiteral("CUPOM FISCAL FECHADO  COO: 000003")})
            EXPECT_EQ(text.count(expected), expected.startsWith(QStringLiteral("CUPOM")) ? 1 : 3)
                << expected.toStdString() << "\n" << text.toStdString();
        EXPECT_EQ(text.count(QStringLiteral("CUPOM FISCAL FECHADO")), 3) << text.toStdString();
        EXPECT_FALSE(text.contains(QStringLiteral("CANCELADO"))) << text.toStdString();
        EXPECT_TRUE(readText(QDir(site).filePath(QStringLiteral("Dados/ImpressoraFiscal/estado.txt"))).contains("ABERTO=N"));
        EXPECT_TRUE(readText(QDir(site).filePath(QStringLiteral("Dados/ImpressoraFiscal/estado.txt"))).contains("GT=240.75"));
    } else {
        const QStringList documents = filesUnder(QDir(site).filePath(QStringLiteral("Dados/XML_NFCe_Sat")));
        EXPECT_EQ(documents.filter(QStringLiteral(".xml"), Qt::CaseInsensitive).size(), 3) << documents.join(' ').toStdString();
    }
    if (*GetParam().receipt) {
        const QString text = readText(QDir(site).filePath(QStringLiteral("Dados/ImpressoraNaoFiscal/padrao.txt")));
        EXPECT_GE(text.count(QString::fromUtf8(GetParam().receipt)), 3) << text.toStdString();
        EXPECT_EQ(text.count(QStringLiteral("TOTAL R$                           80,25")), 3) << text.toStdString();
    }
}

QString recoveryFile(const QString &site);

// What a till killed in the middle of a sale leaves: the printer's receipt open with the sale's
// items, and the sale's lines in the recovery file.
void leaveInterruptedSale(const QString &site)
{
    QFile state(QDir(site).filePath(QStringLiteral("Dados/ImpressoraFiscal/estado.txt")));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(state).absolutePath()));
    ASSERT_TRUE(state.open(QIODevice::WriteOnly | QIODevice::Text));
    state.write("SERIE=SIM0000000001\nCOO=1\nCCF=1\nGT=0.00\nABERTO=S\nULTIMOCOO=0\nULTIMOTOTAL=0.00\n"
                "ULTIMOCANCELADO=S\n"
                "ITEM=01001\tPRATO FEITO\tUN\tT18,00%\t1.000\t22.90\t0.000\t0.000\n"
                "ITEM=02001\tSUCO NATURAL\tUN\tT18,00%\t2.000\t12.95\t0.000\t0.000\n");
    state.close();

    DataPacket parameters;
    ASSERT_TRUE(CdsFile::load(QDir(site).filePath(QStringLiteral("PARAMETROSQUB.CDS")), &parameters));
    DataPacket lines;
    lines.fields = {{"CDPRODUTO", FieldType::String, 20}, {"NMPRODUTO", FieldType::String, 50},
                    {"VRPRECCOMVEN", FieldType::Currency, 0}, {"QTPRODCOMVEN", FieldType::String, 20},
                    {"NRSEQ", FieldType::String, 3}, {"CDFILIAL", FieldType::String, 4},
                    {"CDOPERADOR", FieldType::String, 12}};
    lines.rows = {{QStringLiteral("01001"), QStringLiteral("PRATO FEITO"), 22.90, QStringLiteral("1"), QStringLiteral("001"),
                   parameters.value(0, QStringLiteral("CDFILIAL")), QStringLiteral("0001")},
                  {QStringLiteral("02001"), QStringLiteral("SUCO NATURAL"), 12.95, QStringLiteral("2"), QStringLiteral("002"),
                   parameters.value(0, QStringLiteral("CDFILIAL")), QStringLiteral("0001")}};
    ASSERT_TRUE(CdsFile::save(recoveryFile(site), lines));
}

// The recovery file in the site's cadastre folder (DSDIRCAD, a Windows-style path taken from
// the site when relative).
QString recoveryFile(const QString &site)
{
    DataPacket parameters;
    CdsFile::load(QDir(site).filePath(QStringLiteral("PARAMETROSQUB.CDS")), &parameters);
    const QString folder = parameters.value(0, QStringLiteral("DSDIRCAD")).toString().replace(QLatin1Char('\\'), QLatin1Char('/'));
    return QDir::cleanPath(QDir(site).filePath(folder + QStringLiteral("cdsVenda.cds")));
}

TEST(InterruptedSale, RestartCancelsTheOpenReceiptRecordsTheSaleAsCancelledAndSellsAgain)
{
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site, "--till", "ecf"}, work.path(), output)) << output.toStdString();
    leaveInterruptedSale(site);
    ASSERT_TRUE(QFile::exists(recoveryFile(site)));

    ASSERT_TRUE(runHost({"--site", site, "--script", demoScript()}, work.path(), output)) << output.toStdString();
    // The operator was told.
    EXPECT_TRUE(output.contains(QStringLiteral("cupom fiscal 000001 aberto"))) << output.toStdString();
    EXPECT_FALSE(QFile::exists(recoveryFile(site)));

    const QString tape = tapeOf(site);
    EXPECT_EQ(tape.count(QStringLiteral("CUPOM FISCAL CANCELADO  COO: 000001")), 1) << tape.toStdString();
    EXPECT_EQ(tape.count(QStringLiteral("CUPOM FISCAL FECHADO  COO: 000002")), 1) << tape.toStdString();
    const SiteBase base(site);
    ASSERT_TRUE(base.open());
    EXPECT_EQ(base.single(QStringLiteral("SELECT COUNT(*) FROM VENDA WHERE IDSITUVENDA = 'C' AND NRCUPOMFIS = '000001'")).toInt(), 1);
    EXPECT_EQ(base.single(QStringLiteral("SELECT COUNT(*) FROM ITEMVENDA I JOIN VENDA V ON V.CDFILIAL = I.CDFILIAL "
                                         "AND V.CDCAIXA = I.CDCAIXA AND V.NRSEQVENDA = I.NRSEQVENDA WHERE V.IDSITUVENDA = 'C'"))
                  .toInt(),
              2);
    EXPECT_NEAR(base.single(QStringLiteral("SELECT QTPRODCOMVEN FROM ITEMVENDA WHERE CDPRODUTO = '02001'")).toDouble(), 2.0, 1e-9);
    EXPECT_NEAR(base.single(QStringLiteral("SELECT VRTOTVENDA FROM VENDA WHERE IDSITUVENDA = 'C'")).toDouble(), 48.80, 0.001);
    EXPECT_EQ(base.single(QStringLiteral("SELECT COUNT(*) FROM VENDA WHERE IDSITUVENDA = 'O' AND NRCUPOMFIS = '000002'")).toInt(), 1);
}

// The till stopped after the sale was stored but before its receipt ended: the receipt is
// closed with the stored payments, and nothing is recorded as cancelled.
TEST(InterruptedSale, RestartAfterTheSaveClosesTheReceiptOfTheStoredSale)
{
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site, "--till", "ecf"}, work.path(), output)) << output.toStdString();
    ASSERT_TRUE(runHost({"--site", site, "--script", demoScript()}, work.path(), output)) << output.toStdString();
    // Back to the moment between the save and the end of the receipt.
    QFile state(QDir(site).filePath(QStringLiteral("Dados/ImpressoraFiscal/estado.txt")));
    ASSERT_TRUE(state.open(QIODevice::WriteOnly | QIODevice::Text));
    state.write("SERIE=SIM0000000001\nCOO=1\nCCF=1\nGT=0.00\nABERTO=S\nPAGO=S\nTOTALPAGO=80.25\n"
                "ULTIMOCOO=0\nULTIMOTOTAL=0.00\nULTIMOCANCELADO=S\n");
    state.close();

    ASSERT_TRUE(runHost({"--site", site, "--script", demoScript()}, work.path(), output)) << output.toStdString();
    const QString tape = tapeOf(site);
    EXPECT_EQ(tape.count(QStringLiteral("CUPOM FISCAL FECHADO  COO: 000001")), 2) << tape.toStdString();
    EXPECT_EQ(tape.count(QStringLiteral("CUPOM FISCAL FECHADO  COO: 000002")), 1) << tape.toStdString();
    EXPECT_FALSE(tape.contains(QStringLiteral("CANCELADO"))) << tape.toStdString();
    const SiteBase base(site);
    ASSERT_TRUE(base.open());
    EXPECT_EQ(base.single(QStringLiteral("SELECT COUNT(*) FROM VENDA WHERE IDSITUVENDA = 'C'")).toInt(), 0);
    EXPECT_EQ(base.single(QStringLiteral("SELECT COUNT(*) FROM VENDA WHERE IDSITUVENDA = 'O'")).toInt(), 2);
    EXPECT_TRUE(readText(QDir(site).filePath(QStringLiteral("Dados/ImpressoraFiscal/estado.txt"))).contains("GT=160.50"));
}

TEST(HeadlessMachine, WithoutADisplayTheSiteIsWrittenAndTheScriptPlaysOffScreen)
{
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site}, work.path(), output, Display::None)) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("repeated field name"))) << output.toStdString();
    ASSERT_TRUE(runHost({"--site", site, "--script", demoScript()}, work.path(), output, Display::None))
        << output.toStdString();
    EXPECT_TRUE(tapeOf(site).contains(QStringLiteral("CUPOM FISCAL FECHADO  COO: 000001")));
}

INSTANTIATE_TEST_SUITE_P(Tills, CounterSale,
                         ::testing::Values(TillKind{"ecf", "tape", ""}, TillKind{"nfce", "xml", "DANFE NFC-e"},
                                           TillKind{"sat", "xml", "EXTRATO CF-e SAT"}),
                         [](const ::testing::TestParamInfo<TillKind> &info) { return std::string(info.param.name); });

} // namespace
