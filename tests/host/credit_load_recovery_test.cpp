// A credit load whose till dies right after the load was written: the voucher printer hangs
// (its print queue takes the connection and never answers), or the card program hangs on the
// card payment's confirmation, and the host is killed there, as an operator pulling the plug
// would. At the next start the host tells the operator the load was written, confirms its card
// charge by the NSU the load kept and prints its voucher; the customer is credited once and
// charged once. Played on an NFC-e desk, whose voucher goes to the non-fiscal printer.
#include "hostprogram.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

QString script(const char *name)
{
    return QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/") + QString::fromLatin1(name);
}

const QString Consumer = QStringLiteral("CDCLIENTE = '000002' AND CDCONSUMIDOR = '000101' AND CDFAMILISALD = 'REF'");

class Site
{
public:
    bool init()
    {
        path = work.filePath(QStringLiteral("site"));
        return runHost({"--init-site", path, "--till", "nfce"}, work.path(), output);
    }

    bool voucherPort(const QString &port)
    {
        return editFile(QDir(path).filePath(QStringLiteral("PARAMETROSQUB.CDS")), QString(), QString(),
                        QStringLiteral("CDPORTIMPNF3"), port);
    }

    // Plays the load script with the voucher on a print queue that takes the job's connection
    // and never answers; kills the host once the voucher is being sent. False when the host
    // never reached the voucher.
    bool killWhileTheVoucherPrints()
    {
        QTcpServer stalledQueue;
        if (!stalledQueue.listen(QHostAddress::LocalHost) || !voucherPort(QStringLiteral("cups:comprovantes")))
            return false;
        QProcess host;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        environment.insert(QStringLiteral("CUPS_SERVER"), QStringLiteral("127.0.0.1:%1").arg(stalledQueue.serverPort()));
        environment.remove(QStringLiteral("VENDACONS_DB"));
        environment.remove(QStringLiteral("VENDACONS_HOME"));
        host.setProcessEnvironment(environment);
        host.setWorkingDirectory(work.path());
        host.setProcessChannelMode(QProcess::MergedChannels);
        host.start(hostProgram(), {"--site", path, "--script", script("carga-credito.txt")});
        bool printing = false;
        while (!printing && host.state() != QProcess::NotRunning) {
            printing = stalledQueue.waitForNewConnection(200);
            output += QString::fromUtf8(host.readAll());
        }
        // The connection stays open and silent until the host is gone.
        std::unique_ptr<QTcpSocket> held(printing ? stalledQueue.nextPendingConnection() : nullptr);
        host.kill();
        host.waitForFinished();
        output += QString::fromUtf8(host.readAll());
        return printing && voucherPort(QString());
    }

    // Plays the load paid by card with a card program that approves the payment and then never
    // takes its confirmation up; kills the host while the confirmation waits. False when the
    // host never asked for it.
    bool killWhileTheCardChargeIsConfirmed()
    {
        if (!cardProgramMode("NAO_CONFIRMA"))
            return false;
        QProcess host;
        host.setProcessEnvironment(hostEnvironment());
        host.setWorkingDirectory(work.path());
        host.setProcessChannelMode(QProcess::MergedChannels);
        host.start(hostProgram(), {"--site", path, "--script", script("carga-cartao.txt")});
        QFile request(QDir(path).filePath(QStringLiteral("Teftx/tefchart.ini")));
        bool confirming = false;
        while (!confirming && !host.waitForFinished(50)) {
            if (request.open(QIODevice::ReadOnly)) {
                confirming = request.readAll().contains("TIPOTRANSACAO=CONFIRMA");
                request.close();
            }
        }
        host.kill();
        host.waitForFinished();
        output += QString::fromUtf8(host.readAll());
        return confirming && cardProgramMode("APROVA");
    }

    bool cardProgramMode(const char *mode)
    {
        QFile file(QDir(path).filePath(QStringLiteral("Dados/CartaoChart.txt")));
        return file.open(QIODevice::WriteOnly) && file.write(mode) > 0;
    }

    // The card program's ledger, "NSU;VALOR;ESTADO" a line.
    QStringList ledger() const
    {
        QFile file(QDir(path).filePath(QStringLiteral("Dados/Cartao/transacoes.txt")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                                              : QStringList();
    }

    bool restart()
    {
        output.clear();
        return runHost({"--site", path, "--script", script("caixa-livre.txt")}, work.path(), output);
    }

    QString vouchers() const
    {
        QString text;
        QDirIterator it(QDir(path).filePath(QStringLiteral("Dados/ImpressoraNaoFiscal")), QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.fileName().endsWith(QLatin1String(".txt")) && file.open(QIODevice::ReadOnly))
                text += QString::fromUtf8(file.readAll());
        }
        return text;
    }

    QVariant value(const QString &sql) const { return siteBaseValue(path, sql); }

    QTemporaryDir work;
    QString path;
    QString output;
};

TEST(CreditLoadRecovery, ALoadKilledBeforeItsVoucherIsToldAndPrintedAtTheNextStartAndCreditedOnce)
{
    ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
    Site site;
    ASSERT_TRUE(site.init()) << site.output.toStdString();
    const double before = site.value("SELECT VRSALDCONFAM FROM SALDOCONS WHERE " + Consumer).toDouble();
    for (int round = 1; round <= 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_TRUE(site.killWhileTheVoucherPrints()) << site.output.toStdString();
        EXPECT_EQ(site.value("SELECT COUNT(*) FROM CARGAPENDCONS").toInt(), 1);
        ASSERT_TRUE(site.restart()) << site.output.toStdString();
        EXPECT_TRUE(site.output.contains(QStringLiteral("foi gravada, mas o sistema parou antes de imprimir o comprovante")))
            << site.output.toStdString();
        EXPECT_EQ(site.value("SELECT COUNT(*) FROM CARGAPENDCONS").toInt(), 0);
    }
    EXPECT_NEAR(site.value("SELECT VRSALDCONFAM FROM SALDOCONS WHERE " + Consumer).toDouble(), before + 100.0, 0.001);
    EXPECT_EQ(site.value("SELECT COUNT(*) FROM EXTRATOCONS WHERE IDTPMOVEXT = 'C' AND LENGTH(NRDEPOSICONS) = 10 AND "
                         + Consumer)
                  .toInt(),
              2);
    const QString vouchers = site.vouchers();
    EXPECT_EQ(vouchers.count(QStringLiteral("TOTAL DA CARGA")), 2) << vouchers.toStdString();
    EXPECT_EQ(vouchers.count(QStringLiteral("JOSÉ CARLOS OLIVEIRA")), 2) << vouchers.toStdString();

    // Started again, nothing is left to finish: no word, no third voucher.
    ASSERT_TRUE(site.restart()) << site.output.toStdString();
    EXPECT_FALSE(site.output.contains(QStringLiteral("parou antes de imprimir o comprovante")));
    EXPECT_EQ(site.vouchers().count(QStringLiteral("TOTAL DA CARGA")), 2);
    // Paid in cash: the card program was asked nothing.
    EXPECT_EQ(site.ledger(), QStringList());
}

// The card program had charged the load and the till died before confirming it: the charge
// waits PENDENTE in the card program's ledger while the customer holds the credit. The next
// start confirms that charge, by the NSU the load's cash movement kept, once; the start after
// it confirms nothing again.
TEST(CreditLoadRecovery, ALoadKilledBeforeItsCardConfirmationIsConfirmedByItsNsuAtTheNextStartOnce)
{
    ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
    Site site;
    ASSERT_TRUE(site.init()) << site.output.toStdString();
    const double before = site.value("SELECT VRSALDCONFAM FROM SALDOCONS WHERE " + Consumer).toDouble();

    ASSERT_TRUE(site.killWhileTheCardChargeIsConfirmed()) << site.output.toStdString();
    ASSERT_EQ(site.ledger(), QStringList({"000001;3000;PENDENTE"}));
    EXPECT_EQ(site.value("SELECT COUNT(*) FROM CARGAPENDCONS").toInt(), 1);
    EXPECT_EQ(site.value("SELECT CDNSUHOSTTEF FROM MOVCAIXA WHERE NRSEQVENDA IS NULL AND VRMOVIVEND = 30").toString(),
              "000001");

    ASSERT_TRUE(site.restart()) << site.output.toStdString();
    EXPECT_TRUE(site.output.contains(QStringLiteral("e o pagamento com cartão confirmado"))) << site.output.toStdString();
    EXPECT_FALSE(site.output.contains(QStringLiteral("não foi confirmado"))) << site.output.toStdString();
    EXPECT_EQ(site.ledger(), QStringList({"000001;3000;PENDENTE", "000001;;CONFIRMADA"}));
    EXPECT_EQ(site.value("SELECT COUNT(*) FROM CARGAPENDCONS").toInt(), 0);
    EXPECT_EQ(site.vouchers().count(QStringLiteral("TOTAL DA CARGA")), 1) << site.vouchers().toStdString();

    ASSERT_TRUE(site.restart()) << site.output.toStdString();
    EXPECT_FALSE(site.output.contains(QStringLiteral("parou antes de imprimir o comprovante")));
    EXPECT_EQ(site.ledger(), QStringList({"000001;3000;PENDENTE", "000001;;CONFIRMADA"}));
    EXPECT_NEAR(site.value("SELECT VRSALDCONFAM FROM SALDOCONS WHERE " + Consumer).toDouble(), before + 30.0, 0.001);
    EXPECT_EQ(site.value("SELECT COUNT(*) FROM EXTRATOCONS WHERE IDTPMOVEXT = 'C' AND LENGTH(NRDEPOSICONS) = 10 AND "
                         + Consumer)
                  .toInt(),
              1);
}

// The card program lost the charge of the interrupted load (its ledger is gone): the credit
// stands, the voucher prints, and the operator is told which NSU was not confirmed rather than
// the load passing as paid.
TEST(CreditLoadRecovery, ALoadWhoseCardChargeTheCardProgramNoLongerKnowsIsToldToTheOperator)
{
    ASSERT_TRUE(QFile::exists(hostProgram())) << hostProgram().toStdString();
    Site site;
    ASSERT_TRUE(site.init()) << site.output.toStdString();
    ASSERT_TRUE(site.killWhileTheCardChargeIsConfirmed()) << site.output.toStdString();
    ASSERT_TRUE(QFile::remove(QDir(site.path).filePath(QStringLiteral("Dados/Cartao/transacoes.txt"))));

    ASSERT_TRUE(site.restart()) << site.output.toStdString();

    for (const QString &said : {QStringLiteral("não foi confirmado"), QStringLiteral("NSU 000001"),
                                QStringLiteral("desconhecida")})
        EXPECT_TRUE(site.output.contains(said)) << site.output.toStdString();
    EXPECT_EQ(site.ledger(), QStringList());
    EXPECT_EQ(site.value("SELECT COUNT(*) FROM CARGAPENDCONS").toInt(), 0);
    EXPECT_EQ(site.vouchers().count(QStringLiteral("TOTAL DA CARGA")), 1) << site.vouchers().toStdString();
}

} // namespace
