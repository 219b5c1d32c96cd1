// Personal-credit and payroll-debit sales of badge 1001 cancelled with F7 through the real host
// program, sale after sale, on the fiscal-printer desk (the last coupon), and by number on the
// NFC-e, SAT and non-fiscal desks: the balance families and the debit come back to what they were before the sale,
// once; the same cancellation again changes nothing. The kitchen orders of a cancelled closed
// sale are withdrawn on the site's own base.
#include "hostprogram.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QString consumer = QStringLiteral("CDCLIENTE = '000002' AND CDCONSUMIDOR = '000101'");

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// What the consumer has, as the tests compare it before and after: each family's balance, the
// debit still standing (movements not cancelled) and the running debit total of the last one.
struct Holdings
{
    QStringList families; // "LAN=17.50"
    double debitStanding = 0;
    double lastRunningDebit = 0;
};

class ConsumerCancel : public ::testing::Test
{
protected:
    void init(const QString &till)
    {
        ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
        site = work.filePath(QStringLiteral("site"));
        ASSERT_TRUE(runHost({"--init-site", site, "--till", till}, work.path(), output)) << output.toStdString();
    }

    // The scripts played one after the other in one run of the host.
    bool play(const QStringList &names)
    {
        QStringList texts;
        for (const QString &name : names)
            texts << readText(QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/") + name);
        return playText(texts.join(QLatin1Char('\n')));
    }

    bool playText(const QString &text)
    {
        const QString path = work.filePath(QStringLiteral("roteiro.txt"));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        out.write(text.toUtf8());
        out.close();
        return runHost({"--site", site, "--script", path}, work.path(), output);
    }

    QList<QVariantList> rows(const QString &sql)
    {
        const QString connection = QStringLiteral("consumer-cancel");
        QList<QVariantList> found;
        {
            QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
            EXPECT_TRUE(base.open()) << base.lastError().text().toStdString();
            QSqlQuery query(base);
            EXPECT_TRUE(query.exec(sql)) << sql.toStdString() << ": " << query.lastError().text().toStdString();
            while (query.next()) {
                QVariantList row;
                for (int i = 0; i < query.record().count(); ++i)
                    row << query.value(i);
                found << row;
            }
        }
        QSqlDatabase::removeDatabase(connection);
        return found;
    }

    QStringList column(const QString &sql)
    {
        QStringList values;
        for (const QVariantList &row : rows(sql))
            values << row.value(0).toString().trimmed();
        return values;
    }

    double number(const QString &sql)
    {
        const QList<QVariantList> found = rows(sql);
        return found.isEmpty() ? 0 : found.first().value(0).toDouble();
    }

    Holdings holdings()
    {
        Holdings now;
        for (const QVariantList &row :
             rows(QStringLiteral("SELECT CDFAMILISALD, VRSALDCONFAM FROM SALDOCONS WHERE ") + consumer + " ORDER BY CDFAMILISALD"))
            now.families << row.value(0).toString() + QLatin1Char('=') + QString::number(row.value(1).toDouble(), 'f', 2);
        now.debitStanding = number(QStringLiteral("SELECT COALESCE(SUM(VRMOVCLI), 0) FROM MOVICLIE WHERE ") + consumer
                                   + " AND COALESCE(IDTIPMOCVLI, '') <> 'X'");
        now.lastRunningDebit = number(QStringLiteral("SELECT VRSALDOCONS FROM MOVICLIE WHERE ") + consumer
                                      + " ORDER BY DTMOVCLI DESC, NRSEQMOVCLI DESC LIMIT 1");
        return now;
    }

    // Every sale of the consumer and its payments cancelled; the debit movements of the sales
    // marked "X"; one reversal line for each line the sales spent, with its amount.
    void expectEverySaleGivenBackOnce(int creditSales, int debitSales, const Holdings &before)
    {
        const QString ofTheConsumersSales = QStringLiteral(" WHERE NRSEQVENDA IN (SELECT NRSEQVENDA FROM VENDA WHERE ") + consumer + ")";
        EXPECT_EQ(column("SELECT IDSITUVENDA FROM VENDA WHERE " + consumer),
                  QStringList(QList<QString>(creditSales + debitSales, QStringLiteral("C"))));
        EXPECT_EQ(column("SELECT DISTINCT IDTIPOMOVIVE FROM MOVCAIXA" + ofTheConsumersSales), QStringList{"C"});
        EXPECT_EQ(column("SELECT COUNT(*) FROM MOVCAIXA" + ofTheConsumersSales), QStringList{QString::number(creditSales + debitSales)});

        // The credit sales: each spending line ("V") has its reversal ("C") of the same family and amount.
        const QString statement = QStringLiteral("SELECT CDFAMILISALD, NRSEQVENDA, SUM(VRMOVEXTCONS), COUNT(*) FROM EXTRATOCONS WHERE ")
            + consumer + " AND NRSEQVENDA IS NOT NULL AND IDTPMOVEXT = '%1' GROUP BY CDFAMILISALD, NRSEQVENDA "
                         "ORDER BY CDFAMILISALD, NRSEQVENDA";
        const QList<QVariantList> spent = rows(statement.arg(QLatin1Char('V')));
        EXPECT_EQ(rows(statement.arg(QLatin1Char('C'))), spent);
        EXPECT_EQ(column("SELECT COUNT(DISTINCT NRSEQVENDA) FROM EXTRATOCONS WHERE " + consumer + " AND IDTPMOVEXT = 'V' AND "
                         "NRSEQVENDA IN (SELECT NRSEQVENDA FROM VENDA)"),
                  QStringList{QString::number(creditSales)});
        EXPECT_EQ(column("SELECT COUNT(*) FROM EXTRATOCONS WHERE " + consumer + " AND IDTPMOVEXT = 'F'"), QStringList{"0"});

        // The debit sales: one movement each, cancelled.
        EXPECT_EQ(column("SELECT COALESCE(IDTIPMOCVLI, '') FROM MOVICLIE" + ofTheConsumersSales + " AND " + consumer),
                  QStringList(QList<QString>(debitSales, QStringLiteral("X"))));

        const Holdings after = holdings();
        EXPECT_EQ(after.families, before.families);
        EXPECT_NEAR(after.debitStanding, before.debitStanding, 0.001);
        EXPECT_NEAR(after.lastRunningDebit, before.lastRunningDebit, 0.001);
    }

    int accessLogLines()
    {
        int count = 0;
        const QDir logs(QDir(site).filePath(QStringLiteral("Dados/Log")));
        for (const QString &file : logs.entryList({"ControleAcesso-*.txt"}))
            count += readText(logs.filePath(file)).count(QStringLiteral("\tCAN_CUP\t"));
        return count;
    }

    QTemporaryDir work;
    QString site;
    QString output;
};

TEST_F(ConsumerCancel, CreditAndDebitCouponsCancelledOnTheFiscalPrinterGiveBackOnceSaleAfterSale)
{
    init(QStringLiteral("ecf"));
    const Holdings before = holdings();
    ASSERT_FALSE(before.families.isEmpty());
    ASSERT_TRUE(play({"cancela-credito.txt", "cancela-debito.txt", "cancela-credito.txt", "cancela-debito.txt"}))
        << output.toStdString();

    expectEverySaleGivenBackOnce(2, 2, before);
    QString tape;
    for (const QString &file : QDir(QDir(site).filePath("Dados/ImpressoraFiscal")).entryList({"fita-*.txt"}))
        tape += readText(QDir(site).filePath(QStringLiteral("Dados/ImpressoraFiscal/") + file));
    EXPECT_EQ(tape.count(QStringLiteral("CANCELAMENTO DO CUPOM")), 4) << tape.toStdString();
    // Each second F7 is refused: the last coupon is already cancelled.
    EXPECT_EQ(output.count(QStringLiteral("O último cupom fiscal já foi cancelado")), 4) << output.toStdString();
    EXPECT_EQ(accessLogLines(), 4);
}

TEST_F(ConsumerCancel, CreditAndDebitNfceCancelledByNumberGiveBackOnceAndTheSameNumberAgainChangesNothing)
{
    init(QStringLiteral("nfce"));
    const Holdings before = holdings();
    ASSERT_FALSE(before.families.isEmpty());
    ASSERT_TRUE(play({"cancela-consumo-nfce.txt"})) << output.toStdString();

    EXPECT_EQ(column("SELECT CAST(NRNOTAFISCALCE AS INTEGER) FROM VENDA WHERE " + consumer + " ORDER BY NRSEQVENDA"),
              (QStringList{"1", "2", "3", "4"}));
    expectEverySaleGivenBackOnce(2, 2, before);
    EXPECT_EQ(readText(QDir(site).filePath("Dados/ImpressoraNaoFiscal/padrao.txt")).count(QStringLiteral("CANCELAMENTO DE NFC-e")), 4);
    EXPECT_EQ(output.count(QStringLiteral("Venda não encontrada ou cupom já cancelado")), 4) << output.toStdString();
    EXPECT_EQ(accessLogLines(), 4);
}

// The non-fiscal number is kept as drawn ("1"), the keypad's number padded ("0000000001").
TEST_F(ConsumerCancel, CreditAndDebitNonFiscalSalesCancelledByNumberGiveBackOnceAndTheSameNumberAgainChangesNothing)
{
    init(QStringLiteral("nf"));
    const Holdings before = holdings();
    ASSERT_FALSE(before.families.isEmpty());
    ASSERT_TRUE(play({"cancela-consumo-nf.txt"})) << output.toStdString();

    EXPECT_EQ(column("SELECT NRVENDAEXT FROM VENDA WHERE " + consumer + " ORDER BY NRSEQVENDA"), (QStringList{"1", "2", "3", "4"}));
    expectEverySaleGivenBackOnce(2, 2, before);
    EXPECT_EQ(readText(QDir(site).filePath("Dados/ImpressoraNaoFiscal/padrao.txt")).count(QStringLiteral("VENDA CREDITO PESSOAL")), 4);
    EXPECT_EQ(output.count(QStringLiteral("Venda não encontrada ou cupom já cancelado")), 4) << output.toStdString();
    EXPECT_EQ(accessLogLines(), 4);
}

TEST_F(ConsumerCancel, CreditAndDebitCfeCancelledAtTheSatGiveBackOnceAndTheSameNumberAgainIsRefused)
{
    init(QStringLiteral("sat"));
    const Holdings before = holdings();
    ASSERT_FALSE(before.families.isEmpty());
    ASSERT_TRUE(play({"cancela-consumo-sat.txt"})) << output.toStdString();

    EXPECT_EQ(column("SELECT NRNOTAFISCALCE || IDSTATUSNFCE FROM VENDA WHERE " + consumer + " ORDER BY NRSEQVENDA"),
              (QStringList{"000001C", "000003C", "000005C", "000007C"}));
    expectEverySaleGivenBackOnce(2, 2, before);
    EXPECT_EQ(readText(QDir(site).filePath("Dados/ImpressoraNaoFiscal/padrao.txt"))
                  .count(QStringLiteral("DADOS DO CF-e CANCELADO")),
              4);
    EXPECT_EQ(output.count(QStringLiteral("Cupom CF-e-SAT já está cancelado.")), 4) << output.toStdString();
    EXPECT_EQ(accessLogLines(), 4);
}

// ---- the kitchen display of a cancelled closed sale ------------------------------------------

class KitchenOfACancelledSale : public ConsumerCancel
{
protected:
    // An order of the last sale on the kitchen display, keyed as a counter sale's order is, with
    // one item the kitchen has not finished.
    void orderOnTheKitchenDisplay()
    {
        const QList<QVariantList> sale = rows("SELECT CDFILIAL, CDCAIXA, NRSEQVENDA FROM VENDA ORDER BY NRSEQVENDA DESC LIMIT 1");
        ASSERT_EQ(sale.size(), 1);
        const QString branch = sale.first().value(0).toString();
        const QString key = branch + sale.first().value(1).toString() + sale.first().value(2).toString();
        rows("INSERT INTO SETOR (CDSETOR, IDTIPOSETOR) VALUES ('KDS1', 'E')");
        rows(QStringLiteral("INSERT INTO PEDIDOQUB (CDFILIAL, NRPEDIDOQUB, DSPEDIDOQUB, NRCOMANDA) VALUES ('%1', '900001', '%2', '')")
                 .arg(branch, key));
        rows(QStringLiteral("INSERT INTO ITPEDIDOQUB (CDFILIAL, NRPEDIDOQUB, NRITPEDIDOQUB, CDSETOR, NRSEQVENDA) "
                            "VALUES ('%1', '900001', '001', 'KDS1', '%2')")
                 .arg(branch, sale.first().value(2).toString()));
    }

    QStringList kitchenItemStates() { return column("SELECT COALESCE(IDSITITPEDQUB, '') FROM ITPEDIDOQUB WHERE NRPEDIDOQUB = '900001'"); }
};

TEST_F(KitchenOfACancelledSale, CouponCancelledOnTheFiscalPrinterWithdrawsItsOrder)
{
    init(QStringLiteral("ecf"));
    ASSERT_TRUE(play({"venda-credito.txt"})) << output.toStdString();
    orderOnTheKitchenDisplay();
    ASSERT_EQ(kitchenItemStates(), QStringList{""});
    ASSERT_TRUE(playText("wait-form\nkey F7\nwait 1500\nexpect lblMensagemCaixa CAIXA LIVRE\n")) << output.toStdString();

    EXPECT_EQ(column("SELECT IDSITUVENDA FROM VENDA"), QStringList{"C"});
    EXPECT_EQ(kitchenItemStates(), QStringList{"C"}) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("CancelaPedidoKDS"))) << output.toStdString();
}

TEST_F(KitchenOfACancelledSale, NfceCancelledByNumberWithdrawsItsOrder)
{
    init(QStringLiteral("nfce"));
    ASSERT_TRUE(playText("wait-form\ntype 01001\nkey Enter\nexpect lblVrTotal 22,90\nanswer keypad 22,90\nclick spbReceb\n"
                         "wait 1000\nexpect lblMensagemCaixa CAIXA LIVRE\n"))
        << output.toStdString();
    orderOnTheKitchenDisplay();
    ASSERT_TRUE(playText("wait-form\nanswer keypad 1\nanswer yesno S\nkey F7\nwait 1000\nexpect lblMensagemCaixa CAIXA LIVRE\n"))
        << output.toStdString();

    EXPECT_EQ(column("SELECT IDSITUVENDA FROM VENDA"), QStringList{"C"});
    EXPECT_EQ(kitchenItemStates(), QStringList{"C"}) << output.toStdString();
    EXPECT_FALSE(output.contains(QStringLiteral("CancelaPedidoKDS"))) << output.toStdString();
}

} // namespace
