#include <host/site/demosite.h>
#include <host/site/hostdatabase.h>
#include <host/site/hostschema.h>

#include <outside/qub_proximocodigo.h>
#include <server/trdmvendacons.h>

#include <runtime/cdsfile.h>
#include <runtime/sitepaths.h>

#include <support/databasefixture.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

const QDateTime Now(QDate(2024, 3, 6), QTime(11, 45));

// Tills set up one after the other against one base (the one VENDACONS_DB names), as a store
// with several desks on one PostgreSQL base does.
class DemoSiteTills : public DatabaseTest
{
protected:
    void SetUp() override
    {
        HostSchema::registerTables();
        DatabaseTest::SetUp();
        // Skipped (no PostgreSQL configured) or failed: there is no base to point at.
        if (IsSkipped() || HasFatalFailure())
            return;
        qputenv("VENDACONS_DB", base().connectionString().toUtf8());
    }
    void TearDown() override
    {
        qunsetenv("VENDACONS_DB");
        HostDatabase::reset();
        Qub_proximocodigo::releaseIdleSession();
        qunsetenv("VENDACONS_HOME");
        DatabaseTest::TearDown();
    }

    QString site(const char *name) const { return QDir(m_sites.path()).filePath(QLatin1String(name)); }
    DemoSite::Report write(const char *name, const QString &desk)
    {
        return DemoSite::write(site(name), Now, DemoSite::Till::FiscalPrinter, DemoSite::DefaultPartnersPort, desk);
    }
    QString desksInBase()
    {
        QStringList desks;
        for (const auto &row : rows("SELECT CDCAIXA FROM CAIXA ORDER BY CDCAIXA"))
            desks.append(row.first().toString());
        return desks.join(QLatin1Char(','));
    }
    QString deskOfFile(const char *name, const QString &relative)
    {
        DataPacket packet;
        QString error;
        if (!CdsFile::load(QDir(site(name)).filePath(relative), &packet, &error))
            return error;
        return packet.value(0, QStringLiteral("CDCAIXA")).toString();
    }

    QTemporaryDir m_sites;
};

TEST_P(DemoSiteTills, ASecondTillJoinsTheBaseWithItsOwnDeskAndKeepsTheBaseNamed)
{
    const DemoSite::Report first = write("caixa001", "001");
    ASSERT_TRUE(first.ok()) << first.error.toStdString();
    EXPECT_FALSE(first.joinedBase);
    const int products = rows("SELECT COUNT(*) FROM PRODUTO").first().first().toInt();

    const DemoSite::Report second = write("caixa002", "002");
    ASSERT_TRUE(second.ok()) << second.error.toStdString();
    EXPECT_TRUE(second.joinedBase);
    EXPECT_EQ(second.tableRows, QStringList{"CAIXA: 1"});
    EXPECT_EQ(desksInBase(), "001,002");
    EXPECT_EQ(rows("SELECT COUNT(*) FROM FILIAL").first().first().toInt(), 1);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM PRODUTO").first().first().toInt(), products);

    // The desk is the till's in every file that names it.
    for (const char *file : {"PARAMETROSQUB.CDS", "Dados/Cadastros/EcfCaixa.cds", "Dados/Cadastros/AberturaCaixa.cds"}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(deskOfFile("caixa002", QString::fromLatin1(file)), "002");
        EXPECT_EQ(deskOfFile("caixa001", QString::fromLatin1(file)), "001");
    }
    // The site keeps the base it was made for, to run without the variable.
    QFile connection(QDir(site("caixa002")).filePath("Dados/Conexao.txt"));
    ASSERT_TRUE(connection.open(QIODevice::ReadOnly | QIODevice::Text));
    EXPECT_TRUE(QString::fromUtf8(connection.readAll()).split('\n').contains(base().connectionString()));
}

// A desk typed short is the desk code the till writes everywhere: "6" is desk "006".
TEST_P(DemoSiteTills, ADeskTypedShortIsPaddedToTheDeskCodesWidth)
{
    ASSERT_TRUE(write("caixa001", "001").ok());
    const DemoSite::Report sixth = write("caixa006", "6");
    ASSERT_TRUE(sixth.ok()) << sixth.error.toStdString();
    EXPECT_EQ(desksInBase(), "001,006");
    for (const char *file : {"PARAMETROSQUB.CDS", "Dados/Cadastros/EcfCaixa.cds", "Dados/Cadastros/AberturaCaixa.cds"}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(deskOfFile("caixa006", QString::fromLatin1(file)), "006");
    }
    EXPECT_FALSE(write("caixa006b", "06").ok()) << "desk 006 is there already";
}

// A till that cannot be set up leaves neither rows nor files: a folder made for it goes, a
// folder that was there keeps what it held and nothing more.
TEST_P(DemoSiteTills, ATillThatCannotBeSetUpLeavesNothingBehind)
{
    ASSERT_TRUE(write("caixa001", "001").ok());
    ASSERT_TRUE(write("caixa002", "002").ok());

    const DemoSite::Report taken = write("outro", "002");
    EXPECT_TRUE(taken.error.contains("o caixa 002 já existe")) << taken.error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(site("outro")));

    ASSERT_TRUE(QDir().mkpath(site("pasta")));
    QFile kept(QDir(site("pasta")).filePath("notas.txt"));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.close();
    EXPECT_FALSE(write("pasta", "001").ok());
    EXPECT_EQ(QDir(site("pasta")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"notas.txt"});

    EXPECT_TRUE(write("letras", "A2").error.contains("número de caixa inválido"));
    EXPECT_FALSE(QFileInfo::exists(site("letras")));
    EXPECT_EQ(desksInBase(), "001,002");
}

VENDACONS_DATABASE_KINDS(DemoSiteTills);

} // namespace
