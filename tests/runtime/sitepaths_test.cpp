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
