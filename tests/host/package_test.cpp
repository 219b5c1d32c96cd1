// The host links the package for its shared types and loads the same file again by name for
// the entry. Both must be one library in the process: the host package tables the host fills,
// the data module and the clock are then the ones the sale screen uses.
#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

#include <gtest/gtest.h>

// Defined by the package (src/package.cpp); the host resolves it by name before anything else.
extern "C" const char *VendaConsPackageVersion();

namespace {

QString packagePath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("libvendacons.so"));
}

using VersionEntry = const char *(*)();

TEST(PackageLoad, LoadingThePackageByNameGivesTheLibraryTheHostLinks)
{
    QLibrary package(packagePath());
    ASSERT_TRUE(package.load()) << package.errorString().toStdString();
    const auto version = reinterpret_cast<VersionEntry>(package.resolve("VendaConsPackageVersion"));
    ASSERT_NE(version, nullptr);
    // One mapping: the text the loaded library answers is the very one the linked library holds.
    EXPECT_EQ(version(), VendaConsPackageVersion());
    EXPECT_STREQ(version(), "VendaCons 0.1");
}

TEST(PackageLoad, ThePackageExportsItsEntryAndHidesItsInternals)
{
    QLibrary package(packagePath());
    ASSERT_TRUE(package.load()) << package.errorString().toStdString();
    EXPECT_NE(package.resolve("VendaCons"), nullptr);
    // VendaConsEntry::reset(), a function of the screen the host never calls: not exported.
    EXPECT_EQ(package.resolve("_ZN14VendaConsEntry5resetEv"), nullptr);
}

} // namespace
