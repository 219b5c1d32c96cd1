// Table orders through the real host program on a fresh demo site, order after order, and a
// site that was copied or moved: it keeps its files to itself.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include "hostprogram.h"

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

// Every file and folder below `root` with its size and time of change.
QStringList snapshot(const QString &root)
{
    QStringList entries;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        entries << QStringLiteral("%1 %2 %3")
                       .arg(QDir(root).relativeFilePath(info.filePath()))
                       .arg(info.isDir() ? -1 : info.size())
                       .arg(info.lastModified().toMSecsSinceEpoch());
    }
    entries.sort();
    return entries;
}

bool copyTree(const QString &from, const QString &to)
{
    if (!QDir().mkpath(to))
        return false;
    QDirIterator it(from, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        const QString target = QDir(to).filePath(QDir(from).relativeFilePath(info.filePath()));
        if (info.isDir() ? !QDir().mkpath(target) : !QFile::copy(info.filePath(), target))
            return false;
    }
    return true;
}

TEST(TableOrders, OrderAfterOrderReachesTheBaseAndTheProductionPrinters)
{
    ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site}, work.path(), output)) << output.toStdString();
    ASSERT_TRUE(runHost({"--site", site, "--script", script("venda-mesa.txt")}, work.path(), output))
        << output.toStdString();

    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("table-orders"));
        base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
        ASSERT_TRUE(base.open());
        auto list = [&](const QString &sql) {
            QSqlQuery query(base);
            EXPECT_TRUE(query.exec(sql)) << sql.toStdString();
            QStringList rows;
            while (query.next()) {
                QStringList values;
                for (int c = 0; c < query.record().count(); ++c)
                    values << query.value(c).toString();
                rows << values.join(QLatin1Char('|'));
            }
            return rows;
        };
        // Two orders on table 7 went into one sale; table 3 has its own.
        EXPECT_EQ(list("SELECT V.NRMESA, COUNT(*) FROM ITCOMANDAVEN I JOIN VENDAREST V "
                       "ON V.CDFILIAL = I.CDFILIAL AND V.NRVENDAREST = I.NRVENDAREST GROUP BY V.NRMESA ORDER BY V.NRMESA"),
                  (QStringList{"0003|1", "0007|3"}));
        EXPECT_EQ(list("SELECT COUNT(*) FROM VENDAREST"), QStringList{"2"});
        EXPECT_EQ(list("SELECT CDPRODUTO FROM ITCOMANDAVEN ORDER BY CDPRODUTO"),
                  (QStringList{"01001", "01002", "02001", "08001"}));
        const QStringList totals = list("SELECT VRTOTAL FROM REGISTROMESA ORDER BY VRTOTAL");
        EXPECT_EQ(totals.size(), 2) << totals.join(' ').toStdString();
        base.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("table-orders"));

    const QString printers = QDir(site).filePath(QStringLiteral("Dados/ImpressoraNaoFiscal/"));
    const QString kitchen = readText(printers + QStringLiteral("COZINHA.txt"));
    const QString bar = readText(printers + QStringLiteral("BAR.txt"));
    EXPECT_EQ(kitchen.count(QStringLiteral("PEDIDO")), 3) << kitchen.toStdString();
    EXPECT_TRUE(kitchen.contains(QStringLiteral("MESA: 0007"))) << kitchen.toStdString();
    EXPECT_TRUE(kitchen.contains(QStringLiteral("MESA: 0003"))) << kitchen.toStdString();
    EXPECT_EQ(bar.count(QStringLiteral("PEDIDO")), 1) << bar.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("Falha de conex"))) << output.toStdString();
}

struct Relocation
{
    const char *name;
    bool keepSource; // copied: the source site stays; moved: it is gone
};

void PrintTo(const Relocation &relocation, std::ostream *out)
{
    *out << relocation.name;
}

class RelocatedSite : public ::testing::TestWithParam<Relocation>
{
};

// A site keeps its own files under its own folder: a copy or a moved site writes nothing into
// the folder it was made in.
TEST_P(RelocatedSite, WritesNothingIntoTheFolderItWasMadeIn)
{
    QTemporaryDir work;
    const QString source = work.filePath(QStringLiteral("source"));
    const QString relocated = work.filePath(QStringLiteral("relocated"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", source}, work.path(), output)) << output.toStdString();
    ASSERT_TRUE(copyTree(source, relocated));
    if (!GetParam().keepSource) {
        ASSERT_TRUE(QDir(source).removeRecursively());
    }
    const QStringList before = GetParam().keepSource ? snapshot(source) : QStringList();

    ASSERT_TRUE(runHost({"--site", relocated, "--script", script("venda-completa.txt")}, work.path(), output))
        << output.toStdString();
    ASSERT_TRUE(runHost({"--site", relocated, "--script", script("venda-mesa.txt")}, work.path(), output))
        << output.toStdString();

    if (GetParam().keepSource) {
        EXPECT_EQ(snapshot(source).join('\n').toStdString(), before.join('\n').toStdString());
    } else {
        EXPECT_FALSE(QFileInfo::exists(source));
    }
    // What the sales wrote is in the relocated site.
    EXPECT_TRUE(QFileInfo::exists(QDir(relocated).filePath(QStringLiteral("Dados/ImpressoraNaoFiscal/COZINHA.txt"))));
}

INSTANTIATE_TEST_SUITE_P(Sites, RelocatedSite,
                         ::testing::Values(Relocation{"Copied", true}, Relocation{"Moved", false}),
                         [](const ::testing::TestParamInfo<Relocation> &info) { return std::string(info.param.name); });

} // namespace
