#include "hostprogram.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString text(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// The partner addresses the site's base holds.
QStringList baseAddresses(const QString &site)
{
    const QString name = QStringLiteral("partners-port");
    QStringList addresses;
    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
        if (base.open()) {
            QSqlQuery query(base);
            for (const char *sql : {"SELECT CDURLGCOM FROM LOJA", "SELECT DSURLSERVAME FROM PARAVEND"}) {
                if (query.exec(QString::fromLatin1(sql)) && query.next())
                    addresses << query.value(0).toString();
            }
        }
    }
    QSqlDatabase::removeDatabase(name);
    return addresses;
}

TEST(PartnersPort, ASiteWrittenForAPortPointsEveryPartnerAddressThere)
{
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    const quint16 port = freePartnersPort();
    ASSERT_NE(port, 0);
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site, "--partners-port", QString::number(port)}, work.path(), output))
        << output.toStdString();
    const QString origin = QStringLiteral("http://127.0.0.1:%1/").arg(port);
    EXPECT_EQ(QSettings(QDir(site).filePath(QStringLiteral("Dados/Parceiros.ini")), QSettings::IniFormat)
                  .value(QStringLiteral("parceiros/porta"))
                  .toInt(),
              port);
    EXPECT_TRUE(text(QDir(site).filePath(QStringLiteral("Dados/ClubPetro.ini"))).contains(origin + "clubpetro/"));
    EXPECT_EQ(baseAddresses(site), (QStringList{origin + "gcom", origin + "ame"}));
}

TEST(PartnersPort, APortThatIsNotANumberIsRefusedAndNoSiteIsWritten)
{
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    for (const char *port : {"0", "65536", "porta"}) {
        QString output;
        EXPECT_FALSE(runHost({"--init-site", site, "--partners-port", port}, work.path(), output)) << port;
        EXPECT_TRUE(output.contains(QStringLiteral("porta dos parceiros inválida"))) << output.toStdString();
        EXPECT_FALSE(QFile::exists(QDir(site).filePath(QStringLiteral("PARAMETROSQUB.CDS")))) << port;
    }
}

TEST(PartnersPort, TheHostSaysPlainlyWhenAnotherProgramHoldsTheSitesPort)
{
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    QTcpServer other;
    ASSERT_TRUE(other.listen(QHostAddress::LocalHost, freePartnersPort()));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site, "--partners-port", QString::number(other.serverPort())}, work.path(), output))
        << output.toStdString();
    output.clear();
    ASSERT_TRUE(runHost({"--site", site, "--screenshot", work.filePath(QStringLiteral("screen.png"))}, work.path(), output))
        << output.toStdString();
    EXPECT_TRUE(output.contains(QStringLiteral("a porta %1 de 127.0.0.1 já está em uso por outro programa").arg(other.serverPort())))
        << output.toStdString();
}

} // namespace
