// The functions menu's returned items of a merchandise exchange: written into the till's
// cadastre folder (DSDIRCAD), where the sale screen looks for them.
#include <host/documents/creditpurchase.h>
#include <host/documents/creditvouchers.h>

#include <runtime/cdsfile.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct FolderCase
{
    const char *name;
    const char *dsDirCad;
    const char *expectedFile; // relative to the site
};

class ReturnedItemsFolder : public ::testing::TestWithParam<FolderCase>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(site.isValid());
        SitePaths::setHome(site.path());
    }
    void TearDown() override { SitePaths::setHome(QString()); }

    void writeParameters(const QString &dsDirCad)
    {
        DataPacket parameters;
        parameters.fields = {{"CDFILIAL", FieldType::String, 4}, {"DSDIRCAD", FieldType::String, 100}};
        parameters.rows = {{QStringLiteral("0001"), dsDirCad}};
        QString error;
        ASSERT_TRUE(CdsFile::save(site.filePath("PARAMETROSQUB.CDS"), parameters, &error)) << error.toStdString();
    }

    QTemporaryDir site;
};

TEST_P(ReturnedItemsFolder, AreWrittenUnderTheCadastreFolder)
{
    const FolderCase &c = GetParam();
    writeParameters(QString::fromLatin1(c.dsDirCad));

    EXPECT_EQ(CreditVouchers::writeReturnedItems(QStringLiteral("10,004 5,003")), QString());

    const QString expected = site.filePath(QString::fromLatin1(c.expectedFile));
    ClientDataSet items;
    QString error;
    ASSERT_TRUE(items.LoadFromFile(expected, &error)) << expected.toStdString() << ": " << error.toStdString();
    ASSERT_EQ(items.RecordCount(), 2);
    items.First();
    EXPECT_DOUBLE_EQ(items.FieldByName("VALOR").AsFloat(), 10.004);
    items.Next();
    EXPECT_DOUBLE_EQ(items.FieldByName("VALOR").AsFloat(), 5.003);
    if (QString::fromLatin1(c.expectedFile) != QLatin1String("ITENSDEVOLVIDOS.CDS")) {
        EXPECT_FALSE(QFile::exists(site.filePath("ITENSDEVOLVIDOS.CDS")));
    }
}

INSTANTIATE_TEST_SUITE_P(
    CreditVouchers, ReturnedItemsFolder,
    ::testing::Values(FolderCase{"SiteFolder", ".\\", "ITENSDEVOLVIDOS.CDS"},
                      FolderCase{"CadastreCopies", "Dados\\Cadastros\\", "Dados/Cadastros/ITENSDEVOLVIDOS.CDS"}),
    [](const ::testing::TestParamInfo<FolderCase> &info) { return std::string(info.param.name); });

TEST_F(ReturnedItemsFolder, AValueThatIsNotANumberWritesNothing)
{
    writeParameters(QStringLiteral(".\\"));

    EXPECT_FALSE(CreditVouchers::writeReturnedItems(QStringLiteral("10,00 dez")).isEmpty());

    EXPECT_FALSE(QFile::exists(site.filePath("ITENSDEVOLVIDOS.CDS")));
}

TEST_F(ReturnedItemsFolder, WithoutTheTillsParametersNothingIsWritten)
{
    EXPECT_FALSE(CreditVouchers::writeReturnedItems(QStringLiteral("10,00")).isEmpty());

    EXPECT_FALSE(QFile::exists(site.filePath("ITENSDEVOLVIDOS.CDS")));
}

} // namespace

// A load voucher printed again at a later start says when the load was made, not when it was
// printed; one printed as the load is made says that moment.
TEST(CreditLoadVoucher, CarriesTheTimeOfTheLoadNotOfThePrinting)
{
    Clock::setNow([] { return QDateTime(QDate(2026, 3, 5), QTime(9, 15, 0)); });
    CreditPurchaseVoucherRequest request;
    request.loadTime = QDateTime(QDate(2026, 3, 4), QTime(18, 40, 12));
    const QString reprinted = CreditPurchaseHost::voucherText(request);
    request.loadTime = QDateTime();
    const QString printedNow = CreditPurchaseHost::voucherText(request);
    Clock::setNow({});
    EXPECT_TRUE(reprinted.contains(QStringLiteral("04/03/2026 18:40:12"))) << reprinted.toStdString();
    EXPECT_FALSE(reprinted.contains(QStringLiteral("05/03/2026"))) << reprinted.toStdString();
    EXPECT_TRUE(printedNow.contains(QStringLiteral("05/03/2026 09:15:00"))) << printedNow.toStdString();
}
