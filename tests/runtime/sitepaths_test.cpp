#include <runtime/sitepaths.h>

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(SitePaths, WindowsPathsFindFoldersWhateverTheirCase)
{
    QTemporaryDir site;
    SitePaths::setHome(site.path());
    QDir(site.path()).mkpath(QStringLiteral("DADOS/Cadastros"));

    EXPECT_EQ(SitePaths::resolve(QStringLiteral("Dados\\CADASTROS\\Produto.cds")),
              site.path() + QStringLiteral("/DADOS/Cadastros/Produto.cds"));
    EXPECT_EQ(SitePaths::resolve(QStringLiteral("dados\\IMPBACKUP\\x.txt")),
              site.path() + QStringLiteral("/DADOS/IMPBACKUP/x.txt"));
    SitePaths::setHome(QString());
}

// A site keeps its own folder as ".\" in its parameters: taken from the site, wherever the site
// was made, so a copied or moved site keeps its files to itself.
TEST(SitePaths, TheSitesOwnRelativeFolderIsTakenFromTheSite)
{
    QTemporaryDir site;
    SitePaths::setHome(site.path());
    QDir(site.path()).mkpath(QStringLiteral("Dados"));

    EXPECT_EQ(SitePaths::resolve(QStringLiteral(".\\cdsVenda.cds")), site.path() + QStringLiteral("/cdsVenda.cds"));
    EXPECT_EQ(SitePaths::resolve(QStringLiteral(".\\DADOS\\IMPBACKUP\\")), site.path() + QStringLiteral("/Dados/IMPBACKUP"));
    EXPECT_EQ(SitePaths::resolve(QStringLiteral("cdsVenda.cds")), site.path() + QStringLiteral("/cdsVenda.cds"));
    SitePaths::setHome(QString());
}
