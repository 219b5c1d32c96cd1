// Badge consumer sales completed with other payments, and the subsidised item of the payroll
// debit, through the real host program. Each test prepares its own copy of the demo site (the
// till lets a consumer sale be completed with other payments, balances and limits that the sale
// breaks by a known amount) and plays its script twice, sale after sale.
#include "hostprogram.h"

#include <runtime/cdsfile.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString connection = QStringLiteral("consumerComplement");

// Runs each statement on the site's base; false at the first that fails.
bool execute(const QString &site, const QStringList &statements)
{
    bool ok = true;
    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
        ok = base.open();
        for (const QString &statement : statements) {
            if (!ok)
                break;
            QSqlQuery query(base);
            ok = query.exec(statement);
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

QList<QVariantList> rowsOf(const QString &site, const QString &sql)
{
    QList<QVariantList> rows;
    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
        if (base.open()) {
            QSqlQuery query(base);
            if (query.exec(sql)) {
                while (query.next()) {
                    QVariantList row;
                    for (int i = 0; i < query.record().count(); ++i)
                        row << query.value(i);
                    rows << row;
                }
            }
        }
    }
    QSqlDatabase::removeDatabase(connection);
    return rows;
}

double numberOf(const QString &site, const QString &sql)
{
    const QList<QVariantList> rows = rowsOf(site, sql);
    return rows.isEmpty() ? -1.0 : rows.first().first().toDouble();
}

class ConsumerComplementHost : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(work.isValid());
        site = work.filePath(QStringLiteral("site"));
        ASSERT_TRUE(runHost({"--init-site", site}, work.path(), output)) << output.toStdString();
        // The demo till refuses to complete a consumer sale with other payments; these sales need it.
        ASSERT_TRUE(editFile(QDir(site).filePath(QStringLiteral("PARAMETROSQUB.CDS")), QString(), QString(),
                             QStringLiteral("IDPERCOMVENCPDC"), QStringLiteral("S")));
    }

    bool play(const char *script)
    {
        return runHost({"--site", site, "--script", QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/") + script},
                       work.path(), output);
    }

    QTemporaryDir work;
    QString site;
    QString output;
};

const QString consumer1001 = QStringLiteral("CDCLIENTE = '000002' AND CDCONSUMIDOR = '000101'");

// 15,01 of snacks and nothing of meals (nothing to lend): a load of the snacks balance that
// brings it to exactly 15,01.
QStringList snackBalanceOf1501()
{
    return {QStringLiteral("INSERT INTO EXTRATOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, DTMOVEXTCONS, NRSEQMOVEXT, "
                           "CDTIPORECE, IDTPMOVEXT, DSOPEEXTCONS, VRMOVEXTCONS, VRSALDCONEXT, CDFILIAL, CDCAIXA, "
                           "NRDEPOSICONS) SELECT '000002', '000101', 'LAN', datetime('now', '-1 minute'), "
                           "printf('%03d', COUNT(*) + 1), '001', 'C', 'CARGA DE CREDITO', 15.01 - "
                           "(SELECT VRSALDCONFAM FROM SALDOCONS WHERE ") + consumer1001
                + QStringLiteral(" AND CDFAMILISALD = 'LAN'), 15.01, '0001', '001', 'T' || COUNT(*) FROM EXTRATOCONS"),
            QStringLiteral("UPDATE SALDOCONS SET VRSALDCONFAM = CASE CDFAMILISALD WHEN 'LAN' THEN 15.01 ELSE 0 END "
                           "WHERE ") + consumer1001,
            QStringLiteral("DELETE FROM EXTRATOCONS WHERE CDFAMILISALD = 'REF' AND ") + consumer1001};
}

// 20,00 of snacks against 15,01 of balance: the payment screen is first left (nothing is
// debited, the sale stays), then 15,01 goes on personal credit and 4,99 in cash; the
// balance is debited once. Twice, with the balance brought back to 15,01 before each.
TEST_F(ConsumerComplementHost, PersonalCreditOf1501AgainstASaleOf2000TakesTheRestInCashOnce)
{
    // Without the service's plate the sale is the three snacks alone.
    ASSERT_TRUE(editFile(QDir(site).filePath(QStringLiteral("Dados/Cadastros/ProdrServ.cds")),
                         QStringLiteral("CDPRODUTO"), QStringLiteral("01001"), QStringLiteral("IDCARGAUTOPR"),
                         QStringLiteral("N")));
    // The snacks' daily limit stays out of the way: the balance is what falls short.
    ASSERT_TRUE(execute(site, {QStringLiteral("UPDATE FAMSALDOFILI SET VRCONSDIAFAM = 100 WHERE CDFAMILISALD = 'LAN'")}));
    for (int round = 1; round <= 2; ++round) {
        ASSERT_TRUE(execute(site, snackBalanceOf1501()));
        ASSERT_TRUE(play("complemento-credito.txt")) << output.toStdString();
        const QList<QVariantList> payments = rowsOf(
            site, "SELECT NRSEQVENDA, CDTIPORECE, VRMOVIVEND FROM MOVCAIXA ORDER BY NRSEQVENDA, CDTIPORECE");
        ASSERT_EQ(payments.size(), 2 * round) << output.toStdString();
        const QVariantList cash = payments.at(2 * round - 2);
        const QVariantList credit = payments.at(2 * round - 1);
        EXPECT_EQ(cash.at(1).toString(), "001");
        EXPECT_NEAR(cash.at(2).toDouble(), 4.99, 1e-9);
        EXPECT_EQ(credit.at(1).toString(), "009");
        EXPECT_NEAR(credit.at(2).toDouble(), 15.01, 1e-9);
        const QString sale = credit.at(0).toString();
        EXPECT_NEAR(numberOf(site, "SELECT VRTOTVENDA FROM VENDA WHERE NRSEQVENDA = '" + sale + "'"),
                    cash.at(2).toDouble() + credit.at(2).toDouble(), 1e-9);
        EXPECT_NEAR(numberOf(site, "SELECT VRSALDCONFAM FROM SALDOCONS WHERE CDFAMILISALD = 'LAN' AND " + consumer1001),
                    0.0, 1e-9);
        // The snacks balance gave 15,01 once for the sale.
        const QList<QVariantList> debits = rowsOf(
            site, "SELECT VRMOVEXTCONS FROM EXTRATOCONS WHERE IDTPMOVEXT <> 'C' AND NRSEQVENDA = '" + sale + "' AND "
                      + consumer1001);
        ASSERT_EQ(debits.size(), 1) << output.toStdString();
        EXPECT_NEAR(debits.first().first().toDouble(), 15.01, 1e-9);
    }
    EXPECT_EQ(rowsOf(site, "SELECT 1 FROM VENDA").size(), 2);
}

// The plate of 20,61 on the debit with a store daily debit maximum of 15,01: the payment screen
// is first left (nothing booked), then 15,01 goes on the debit and 5,60 in cash. Twice, the
// maximum set before each so that 15,01 is left under it after what the consumer spent today.
TEST_F(ConsumerComplementHost, DebitOf1501AgainstThePlateTakesTheRestInCashOnce)
{
    for (int round = 1; round <= 2; ++round) {
        ASSERT_TRUE(execute(site, {QStringLiteral("UPDATE TIPOCONSLOJA SET VRMAXCONSDIAD = 15.01 + (SELECT "
                                                  "COALESCE(SUM(VRMOVCLI), 0) FROM MOVICLIE WHERE CDCONSUMIDOR = '000101' "
                                                  "AND NRSEQVENDA <> '') WHERE CDTIPOCONS = '01'")}));
        ASSERT_TRUE(play("complemento-debito.txt")) << output.toStdString();
        const QList<QVariantList> payments = rowsOf(
            site, "SELECT NRSEQVENDA, CDTIPORECE, VRMOVIVEND, IDTIPOMOVIVE FROM MOVCAIXA ORDER BY NRSEQVENDA, CDTIPORECE");
        ASSERT_EQ(payments.size(), 2 * round) << output.toStdString();
        const QVariantList cash = payments.at(2 * round - 2);
        const QVariantList debit = payments.at(2 * round - 1);
        EXPECT_EQ(cash.at(1).toString(), "001");
        EXPECT_NEAR(cash.at(2).toDouble(), 5.60, 1e-9);
        EXPECT_EQ(debit.at(3).toString(), "T");
        EXPECT_NEAR(debit.at(2).toDouble(), 15.01, 1e-9);
        const QString sale = debit.at(0).toString();
        EXPECT_NEAR(numberOf(site, "SELECT VRTOTVENDA FROM VENDA WHERE NRSEQVENDA = '" + sale + "'"), 20.61, 1e-9);
        // The account (the consumer's own part and the company's subsidy of the day) took 15,01.
        EXPECT_NEAR(numberOf(site, "SELECT SUM(VRMOVCLI) FROM MOVICLIE WHERE CDCLIENTE = '000002' AND NRSEQVENDA = '"
                                       + sale + "'"),
                    15.01, 1e-9);
    }
    EXPECT_EQ(rowsOf(site, "SELECT 1 FROM VENDA").size(), 2);
}

// The plate is a product the branch subsidises and badge 1001 has a basic subsidy of 15,00 a
// day: the first debit of the day splits the plate into 15,00 for the company and 5,61 for the
// consumer; later ones have no subsidy left. Each sale is worth 20,61, paid by one debit row of
// 20,61 and posted once.
TEST_F(ConsumerComplementHost, DebitSaleOfASubsidisedItemSplitsTheFirstPlateOfTheDay)
{
    ASSERT_TRUE(execute(site, {QStringLiteral("INSERT INTO PRODSUBSIFILI (CDFILIAL, CDPRODUTO) VALUES ('0001', '01001')"),
                               // Four plates a day stay within the store's and the consumer's maxima.
                               QStringLiteral("UPDATE TIPOCONSLOJA SET VRMAXCONSDIAD = 200 WHERE CDTIPOCONS = '01'"),
                               QStringLiteral("UPDATE CONSUMIDOR SET VRMAXDEBCONS = 200 WHERE ") + consumer1001}));
    for (int round = 0; round < 2; ++round)
        ASSERT_TRUE(play("venda-debito.txt")) << output.toStdString();
    const QList<QVariantList> lines =
        rowsOf(site, "SELECT NRSEQVENDA, VRPRECCOMVEN, VRUNITVENDCL FROM ITEMVENDA ORDER BY NRSEQVENDA");
    ASSERT_EQ(lines.size(), 4) << output.toStdString();
    EXPECT_NEAR(lines.at(0).at(1).toDouble(), 5.61, 1e-9);
    EXPECT_NEAR(lines.at(0).at(2).toDouble(), 15.00, 1e-9);
    for (int sale = 1; sale < 4; ++sale) {
        EXPECT_NEAR(lines.at(sale).at(1).toDouble(), 20.61, 1e-9);
        EXPECT_NEAR(lines.at(sale).at(2).toDouble(), 0.0, 1e-9);
    }
    for (const QVariantList &line : lines) {
        const QString sale = line.at(0).toString();
        EXPECT_NEAR(numberOf(site, "SELECT VRTOTVENDA FROM VENDA WHERE NRSEQVENDA = '" + sale + "'"), 20.61, 1e-9);
        const QList<QVariantList> payments =
            rowsOf(site, "SELECT VRMOVIVEND, IDTIPOMOVIVE FROM MOVCAIXA WHERE NRSEQVENDA = '" + sale + "'");
        ASSERT_EQ(payments.size(), 1);
        EXPECT_NEAR(payments.first().at(0).toDouble(), 20.61, 1e-9);
        EXPECT_EQ(payments.first().at(1).toString(), "T");
        EXPECT_NEAR(numberOf(site, "SELECT SUM(VRMOVCLI) FROM MOVICLIE WHERE CDCLIENTE = '000002' AND NRSEQVENDA = '"
                                       + sale + "'"),
                    20.61, 1e-9);
    }
    // The company paid the subsidy of the day once.
    EXPECT_NEAR(numberOf(site, "SELECT SUM(VRMOVCLI) FROM MOVICLIE WHERE CDCLIENTE = '000002' AND CDCONSUMIDOR = ''"),
                15.00, 1e-9);
}

} // namespace

namespace {

// A personal-credit sale within every limit sells whole on a till that may complete consumer
// sales: the snacks' daily value of 30,00 is spent by the snacks only (14,00), not by the plate.
TEST_F(ConsumerComplementHost, PersonalCreditSaleWithinEveryLimitIsSavedWhole)
{
    const double snacksBefore =
        numberOf(site, "SELECT VRSALDCONFAM FROM SALDOCONS WHERE CDFAMILISALD = 'LAN' AND " + consumer1001);

    ASSERT_TRUE(play("venda-credito.txt")) << output.toStdString();

    EXPECT_FALSE(output.contains(QStringLiteral("Valor de consumo diário da família"))) << output.toStdString();
    EXPECT_NEAR(numberOf(site, "SELECT VRTOTVENDA FROM VENDA"), 34.61, 1e-9) << output.toStdString();
    EXPECT_NEAR(numberOf(site, "SELECT VRSALDCONFAM FROM SALDOCONS WHERE CDFAMILISALD = 'LAN' AND " + consumer1001),
                snacksBefore - 14.00, 1e-9);
}

// The personal-credit voucher shows what the sale is worth (34,61: the plate, a drink and a
// snack), not the client company's part of it, which is nothing here.
TEST_F(ConsumerComplementHost, PersonalCreditVoucherShowsTheSaleTotal)
{
    // The whole sale on credit, as the demo till sells it.
    ASSERT_TRUE(editFile(QDir(site).filePath(QStringLiteral("PARAMETROSQUB.CDS")), QString(), QString(),
                         QStringLiteral("IDPERCOMVENCPDC"), QStringLiteral("N")));
    ASSERT_TRUE(play("venda-credito.txt")) << output.toStdString();
    // On the fiscal printer's tape: the sale's total on its voucher, and no company part.
    QString tape;
    for (const QFileInfo &file : QDir(QDir(site).filePath("Dados/ImpressoraFiscal")).entryInfoList({"fita-*.txt"})) {
        QFile day(file.filePath());
        if (day.open(QIODevice::ReadOnly))
            tape += QString::fromUtf8(day.readAll());
    }
    const QString total = QStringLiteral("TOTAL DA VENDA");
    EXPECT_EQ(tape.count(total + QString(48 - total.size() - 8, QLatin1Char(' ')) + QStringLiteral("R$ 34,61")), 1)
        << tape.toStdString();
    EXPECT_FALSE(tape.contains(QStringLiteral("Parte da empresa"))) << tape.toStdString();
}

} // namespace
