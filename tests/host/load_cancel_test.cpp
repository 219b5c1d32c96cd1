// A credit load cancelled from the functions menu (F9) by the real host, twice in a row on each
// desk kind: what a cancellation leaves (the statement's debit line, the balance given back,
// the cash movement marked cancelled) and what a refused one leaves (nothing).
#include "hostprogram.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct LoadCancelCase
{
    const char *name;
    const char *till;
    const char *script;
    const char *consumer;   // CDCONSUMIDOR of the badge the script loads
    bool cancelled;         // the load is cancelled
    double balanceStep;     // what each run leaves on the consumer's meal balance
    const char *told;       // what the operator is told of the cancellation
    bool baseFails = false; // the base refuses the cancellation's statement line
};

class LoadCancelRoads : public ::testing::TestWithParam<LoadCancelCase>
{
};

double number(const QString &site, const QString &sql)
{
    return siteBaseValue(site, sql).toDouble();
}

QString mealBalance(const char *consumer)
{
    return QStringLiteral("SELECT VRSALDCONFAM FROM SALDOCONS WHERE CDCONSUMIDOR = '%1' AND CDFAMILISALD = 'REF'")
        .arg(QString::fromLatin1(consumer));
}

QString cancelLines(const char *consumer)
{
    return QStringLiteral("SELECT COUNT(*) FROM EXTRATOCONS WHERE CDCONSUMIDOR = '%1' AND IDTPMOVEXT = 'D' "
                          "AND NRSEQVENDA IS NULL AND NRDEPOSICONS IS NOT NULL")
        .arg(QString::fromLatin1(consumer));
}

const QString cancelledMovements = QStringLiteral("SELECT COUNT(*) FROM MOVCAIXA WHERE IDTIPOMOVIVE = 'C' AND NRDEPOSICONS IS NOT NULL");

TEST_P(LoadCancelRoads, EachRunLeavesTheLoadCancelledOrUntouched)
{
    const LoadCancelCase &c = GetParam();
    QTemporaryDir work;
    QString output;
    const QString site = work.filePath(QStringLiteral("site"));
    ASSERT_TRUE(runHost({"--init-site", site, "--till", QString::fromLatin1(c.till)}, work.path(), output))
        << output.toStdString();
    if (c.baseFails) {
        siteBaseValue(site, QStringLiteral("CREATE TRIGGER recusa_debito BEFORE INSERT ON EXTRATOCONS "
                                           "WHEN NEW.IDTPMOVEXT = 'D' AND NEW.NRSEQVENDA IS NULL "
                                           "BEGIN SELECT RAISE(ABORT, 'disco cheio'); END"));
    }
    const QString script = QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/") + QString::fromLatin1(c.script);
    const double before = number(site, mealBalance(c.consumer));
    for (int round = 1; round <= 2; ++round) {
        output.clear();
        ASSERT_TRUE(runHost({"--site", site, "--script", script}, work.path(), output)) << output.toStdString();
        EXPECT_TRUE(output.contains(QString::fromUtf8(c.told))) << output.toStdString();
        EXPECT_EQ(number(site, cancelLines(c.consumer)), c.cancelled ? round : 0);
        EXPECT_EQ(number(site, cancelledMovements), c.cancelled ? round : 0);
        EXPECT_NEAR(number(site, mealBalance(c.consumer)), before + round * c.balanceStep, 0.001);
    }
}

constexpr const char *cancelledText = "(REFEIÇÃO, R$ 50,00) cancelada.";
constexpr const char *spentText = "é menor que a carga (R$ 18,00); o crédito já foi usado.";

INSTANTIATE_TEST_SUITE_P(
    EveryDesk, LoadCancelRoads,
    ::testing::Values(
        LoadCancelCase{"CancelledOnTheFiscalPrinterDesk", "ecf", "cancela-carga.txt", "000101", true, 0, cancelledText},
        LoadCancelCase{"CancelledOnTheNfceDesk", "nfce", "cancela-carga.txt", "000101", true, 0, cancelledText},
        LoadCancelCase{"CancelledOnTheSatDesk", "sat", "cancela-carga.txt", "000101", true, 0, cancelledText},
        LoadCancelCase{"CancelledOnTheNonFiscalDesk", "nf", "cancela-carga.txt", "000101", true, 0, cancelledText},
        LoadCancelCase{"SpentCreditRefusedOnTheFiscalPrinterDesk", "ecf", "cancela-carga-usada.txt", "000103", false, 0.99,
                       spentText},
        LoadCancelCase{"SpentCreditRefusedOnTheNfceDesk", "nfce", "cancela-carga-usada.txt", "000103", false, 0.99,
                       spentText},
        LoadCancelCase{"BaseFailureRefusedOnTheFiscalPrinterDesk", "ecf", "cancela-carga.txt", "000101", false, 50,
                       "disco cheio", true}),
    [](const ::testing::TestParamInfo<LoadCancelCase> &info) { return std::string(info.param.name); });

} // namespace
