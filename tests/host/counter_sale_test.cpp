// One counter sale from start to end, as a cashier makes it: the real host program on a fresh
// demo site plays the demo script (two typed codes, an item weighed on the scale, the settle
// button, cash with change) and the sale is then read back from the site's own base and
// document files, for each kind of fiscal document the desk can issue.
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct TillKind
{
    const char *name;      // --till
    const char *document;  // where the issued document shows: "tape" or "xml"
    const char *receipt;   // the title of the receipt on the till's printer ("" for none)
};

QString hostProgram()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vendacons-host"));
}

// Runs the host with `arguments` in `folder`; the output is kept for the failure report.
bool runHost(const QStringList &arguments, const QString &folder, QString &output)
{
    QProcess host;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.remove(QStringLiteral("VENDACONS_DB")); // the site's own SQLite base
    host.setProcessEnvironment(environment);
    host.setWorkingDirectory(folder);
    host.setProcessChannelMode(QProcess::MergedChannels);
    host.start(hostProgram(), arguments);
    const bool finished = host.waitForFinished(180000);
    output += QString::fromUtf8(host.readAll());
    return finished && host.exitStatus() == QProcess::NormalExit && host.exitCode() == 0;
}

QStringList filesUnder(const QString &folder)
{
    QStringList found;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        found << it.next();
    return found;
}

class CounterSale : public ::testing::TestWithParam<TillKind>
{
};

TEST_P(CounterSale, TypedAndWeighedItemsPaidInCashEndInTheBaseWithTheirDocument)
{
    ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site, "--till", GetParam().name}, work.path(), output)) << output.toStdString();
    ASSERT_TRUE(runHost({"--site", site, "--script", QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/venda-completa.txt")},
                        work.path(), output))
        << output.toStdString();
    EXPECT_TRUE(QFile::exists(work.filePath(QStringLiteral("04-venda-recebida.png"))));

    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("counter-sale"));
        base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
        ASSERT_TRUE(base.open());
        auto single = [&](const QString &sql) {
            QSqlQuery query(base);
            EXPECT_TRUE(query.exec(sql)) << sql.toStdString();
            return query.next() ? query.value(0) : QVariant();
        };
        EXPECT_EQ(single(QStringLiteral("SELECT COUNT(*) FROM VENDA")).toInt(), 1);
        EXPECT_EQ(single(QStringLiteral("SELECT IDSITUVENDA FROM VENDA")).toString(), QStringLiteral("O"));
        EXPECT_NEAR(single(QStringLiteral("SELECT VRTOTVENDA FROM VENDA")).toDouble(), 80.25, 0.001);
        EXPECT_EQ(single(QStringLiteral("SELECT COUNT(*) FROM ITEMVENDA")).toInt(), 3);
        // The cash row holds what the sale took; the change is kept beside it.
        EXPECT_NEAR(single(QStringLiteral("SELECT SUM(VRMOVIVEND) FROM MOVCAIXA")).toDouble(), 80.25, 0.001);
        EXPECT_NEAR(single(QStringLiteral("SELECT SUM(VRTROCO) FROM MOVCAIXA")).toDouble(), 19.75, 0.001);
        base.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("counter-sale"));

    if (QString::fromLatin1(GetParam().document) == QLatin1String("tape")) {
        const QStringList tapes = filesUnder(QDir(site).filePath(QStringLiteral("Dados/ImpressoraFiscal")))
                                      .filter(QStringLiteral("fita-"));
        ASSERT_EQ(tapes.size(), 1);
        QFile tape(tapes.first());
        ASSERT_TRUE(tape.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(tape.readAll());
        EXPECT_TRUE(text.contains(QStringLiteral("BUFFET LIVRE POR QUILO"), Qt::CaseInsensitive)) << text.toStdString();
    } else {
        const QStringList documents = filesUnder(QDir(site).filePath(QStringLiteral("Dados/XML_NFCe_Sat")));
        EXPECT_EQ(documents.filter(QStringLiteral(".xml"), Qt::CaseInsensitive).size(), 1) << documents.join(' ').toStdString();
    }
    if (*GetParam().receipt) {
        QFile printer(QDir(site).filePath(QStringLiteral("Dados/ImpressoraNaoFiscal/padrao.txt")));
        ASSERT_TRUE(printer.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(printer.readAll());
        EXPECT_TRUE(text.contains(QString::fromUtf8(GetParam().receipt))) << text.toStdString();
        EXPECT_TRUE(text.contains(QStringLiteral("TOTAL R$                           80,25"))) << text.toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(Tills, CounterSale,
                         ::testing::Values(TillKind{"ecf", "tape", ""}, TillKind{"nfce", "xml", "DANFE NFC-e"},
                                           TillKind{"sat", "xml", "EXTRATO CF-e SAT"}),
                         [](const ::testing::TestParamInfo<TillKind> &info) { return std::string(info.param.name); });

} // namespace
