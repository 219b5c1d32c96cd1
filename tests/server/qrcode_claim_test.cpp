// The day's claim on a QR-code sale: one desk sells a code, also when two tills on one base
// read it at the same moment.
#include <support/databasefixture.h>

#include <server/srv_lookups_tills.h>
#include <server/trdmvendacons.h>

#include <QMutex>
#include <QStringList>

#include <thread>

namespace {

using namespace Srv_Kal51000;

class QrCodeClaim : public DatabaseTest
{
};

TEST_P(QrCodeClaim, AnotherDeskIsRefusedUntilTheHolderGivesTheCodeUp)
{
    EXPECT_EQ(setReservaQRCode("0001", "77", "9", "001"), Variant(true));
    EXPECT_EQ(setReservaQRCode("0001", "77", "9", "002"), Variant(false));
    // The holder reading the code again (after a refusal of its own) keeps it.
    EXPECT_EQ(setReservaQRCode("0001", "77", "9", "001"), Variant(true));
    // Another tab of the same sale is another code.
    EXPECT_EQ(setReservaQRCode("0001", "77", "10", "002"), Variant(true));

    EXPECT_EQ(setLiberaQRCode("0001", "77", "9", "002"), Variant()); // not its claim: nothing given up
    EXPECT_EQ(setReservaQRCode("0001", "77", "9", "002"), Variant(false));
    EXPECT_EQ(setLiberaQRCode("0001", "77", "9", "001"), Variant());
    EXPECT_EQ(setReservaQRCode("0001", "77", "9", "002"), Variant(true));
}

TEST_P(QrCodeClaim, ABaseThatCannotAnswerIsAFailureNotAClaim)
{
    exec("ALTER TABLE QRCODEVENDA RENAME TO QRCODEFORA");
    EXPECT_TRUE(setReservaQRCode("0001", "77", "9", "001").isFailure());
    exec("ALTER TABLE QRCODEFORA RENAME TO QRCODEVENDA");
}

// Two tills, each with its own data module and sessions, read the same codes at once.
TEST_P(QrCodeClaim, TwoTillsReadingTheSameCodesAtOnceSellEachOnce)
{
    constexpr int codes = 25;
    QList<QStringList> winners(codes);
    QStringList failures;
    QMutex lock;
    auto till = [&](const QString &desk) {
        TrdmVendaCons module;
        for (int n = 0; n < codes; ++n) {
            const Variant held = setReservaQRCode(module, "0001", QString::number(1000 + n), "1", desk);
            QMutexLocker locked(&lock);
            if (held.isFailure())
                failures << held.failureText();
            else if (held.toBool())
                winners[n] << desk;
        }
    };
    std::thread first(till, QStringLiteral("001"));
    std::thread second(till, QStringLiteral("002"));
    first.join();
    second.join();

    EXPECT_TRUE(failures.isEmpty()) << failures.join("; ").toStdString();
    for (int n = 0; n < codes; ++n)
        EXPECT_EQ(winners.at(n).size(), 1) << "code " << n << ": " << winners.at(n).join(",").toStdString();
    EXPECT_EQ(rows("SELECT * FROM QRCODEVENDA").size(), codes);
}

VENDACONS_DATABASE_KINDS(QrCodeClaim);

} // namespace
