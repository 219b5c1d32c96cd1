// The receipt cancellation (F7) through the real host program and its scripts: a card sale's
// coupon cancelled on the fiscal-printer desk, sale after sale; an NFC-e sale cancelled by its
// number, then the same number again; an open counter sale cancelled on the desks without a
// fiscal printer.
#include "hostprogram.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString script(const char *name)
{
    return QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/") + QString::fromLatin1(name);
}

class ReceiptCancel : public ::testing::Test
{
protected:
    void init(const QString &till)
    {
        ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
        site = work.filePath(QStringLiteral("site"));
        ASSERT_TRUE(runHost({"--init-site", site, "--till", till}, work.path(), output)) << output.toStdString();
    }

    // The script played `times` times in one run: each sale on the screen the last one freed.
    bool play(const char *name, int times)
    {
        const QString text = readText(script(name));
        QStringList copies;
        for (int i = 0; i < times; ++i)
            copies << text;
        const QString path = work.filePath(QStringLiteral("roteiro.txt"));
        QFile out(path);
        if (!out.open(QIODevice::WriteOnly))
            return false;
        out.write(copies.join(QLatin1Char('\n')).toUtf8());
        out.close();
        return runHost({"--site", site, "--script", path}, work.path(), output);
    }

    QStringList column(const QString &sql)
    {
        const QString connection = QStringLiteral("receipt-cancel");
        QStringList values;
        {
            QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
            base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
            EXPECT_TRUE(base.open()) << base.lastError().text().toStdString();
            QSqlQuery query(base);
            EXPECT_TRUE(query.exec(sql)) << sql.toStdString() << ": " << query.lastError().text().toStdString();
            while (query.next())
                values << query.value(0).toString();
        }
        QSqlDatabase::removeDatabase(connection);
        return values;
    }

    int accessLogLines(const QString &action)
    {
        int count = 0;
        for (const QString &file : QDir(QDir(site).filePath(QStringLiteral("Dados/Log"))).entryList({"ControleAcesso-*.txt"}))
            count += readText(QDir(site).filePath(QStringLiteral("Dados/Log/")) + file).count(QLatin1Char('\t') + action + QLatin1Char('\t'));
        return count;
    }

    QString siteText(const QString &relative) { return readText(QDir(site).filePath(relative)); }

    QTemporaryDir work;
    QString site;
    QString output;
};

TEST_F(ReceiptCancel, CardSaleCouponCancelledOnTheFiscalPrinterSaleAfterSale)
{
    init(QStringLiteral("ecf"));
    ASSERT_TRUE(play("cancela-cupom.txt", 2)) << output.toStdString();

    QString tape;
    for (const QString &file : QDir(QDir(site).filePath("Dados/ImpressoraFiscal")).entryList({"fita-*.txt"}))
        tape += siteText(QStringLiteral("Dados/ImpressoraFiscal/") + file);
    EXPECT_EQ(tape.count(QStringLiteral("CANCELAMENTO DO CUPOM")), 2) << tape.toStdString();
    EXPECT_EQ(readText(QDir(site).filePath("Dados/Cartao/transacoes.txt")).count(QStringLiteral(";ESTORNADA")), 2);
    EXPECT_EQ(column("SELECT IDSITUVENDA FROM VENDA ORDER BY NRSEQVENDA"), QStringList({"C", "C"}));
    EXPECT_EQ(column("SELECT IDTIPOMOVIVE FROM MOVCAIXA ORDER BY NRSEQVENDA"), QStringList({"C", "C"}));
    EXPECT_EQ(siteText("Dados/ImpressoraNaoFiscal/COZINHA.txt").count(QStringLiteral("Cancelamento de Pedido")), 2);
    EXPECT_EQ(accessLogLines(QStringLiteral("CAN_CUP")), 2);
}

TEST_F(ReceiptCancel, NfceCancelledByNumberAndTheSameNumberAgainChangesNothing)
{
    init(QStringLiteral("nfce"));
    ASSERT_TRUE(play("cancela-nfce.txt", 1)) << output.toStdString();

    EXPECT_EQ(column("SELECT IDSITUVENDA FROM VENDA"), QStringList({"C"}));
    EXPECT_EQ(column("SELECT IDTIPOMOVIVE FROM MOVCAIXA"), QStringList({"C"}));
    EXPECT_EQ(siteText("Dados/ImpressoraNaoFiscal/padrao.txt").count(QStringLiteral("CANCELAMENTO DE NFC-e")), 1);
    EXPECT_EQ(siteText("Dados/ImpressoraNaoFiscal/COZINHA.txt").count(QStringLiteral("Cancelamento de Pedido")), 1);
    EXPECT_EQ(accessLogLines(QStringLiteral("CAN_CUP")), 1);
    EXPECT_EQ(output.count(QStringLiteral("Venda não encontrada ou cupom já cancelado")), 1) << output.toStdString();
}

// An open counter sale cancelled with F7, sale after sale, on each desk without fiscal printer:
// each gets its own non-fiscal number and voucher, is recorded once as a cancelled sale with its
// line, and leaves one line in the non-fiscal printer's log and one in the access log.
class OpenSaleCancel : public ReceiptCancel, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(OpenSaleCancel, OpenCounterSaleCancelledWithF7IsRecordedOnceSaleAfterSale)
{
    init(QString::fromLatin1(GetParam()));
    ASSERT_TRUE(play("cancela-venda-aberta.txt", 2)) << output.toStdString();

    EXPECT_EQ(column("SELECT IDSITUVENDA FROM VENDA ORDER BY NRSEQVENDA"), QStringList({"C", "C"}));
    const QStringList numbers = column("SELECT NRVENDAEXT FROM VENDA ORDER BY NRSEQVENDA");
    ASSERT_EQ(numbers.size(), 2);
    EXPECT_FALSE(numbers.at(0).trimmed().isEmpty());
    EXPECT_NE(numbers.at(0), numbers.at(1));
    EXPECT_EQ(column("SELECT CDPRODUTO FROM ITEMVENDA ORDER BY NRSEQVENDA"), QStringList({"01001", "01001"}));
    EXPECT_TRUE(column("SELECT NRSEQVENDA FROM MOVCAIXA").isEmpty()) << "nothing was paid";
    EXPECT_EQ(siteText("Dados/ImpressoraNaoFiscal/padrao.txt").count(QStringLiteral("CUPOM CANCELADO")), 2);
    QString printerLog;
    for (const QString &file : QDir(QDir(site).filePath("Dados/LogImp00000NF")).entryList({"LogImpNFiscal_*.txt"}))
        printerLog += siteText(QStringLiteral("Dados/LogImp00000NF/") + file);
    EXPECT_EQ(printerLog.count(QStringLiteral("Cancelamento do Cupom ---  Operador: ")), 2) << printerLog.toStdString();
    EXPECT_EQ(accessLogLines(QStringLiteral("CAN_CUP")), 2);
}

INSTANTIATE_TEST_SUITE_P(Desks, OpenSaleCancel, ::testing::Values("nf", "nfce"),
                         [](const auto &info) { return std::string(info.param); });

} // namespace
