// The counter's smaller host services, the credit load's cancellation and the roads that read
// the consumers' balances from the online statement or the central balance server, each played by its host script twice in a
// row on every desk kind it applies to, with what each run leaves: the log's lines, the site's
// files and the base's rows.
#include "hostprogram.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct Setting
{
    const char *field; // of PARAMETROSQUB.CDS
    const char *value;
};

// A count read after each run, which must be `perRun` times the run's number plus `base`.
struct Count
{
    const char *sql;
    int perRun;
    int base = 0;
};

struct RoadCase
{
    const char *name;
    const char *till;
    const char *script;
    QList<Setting> settings;
    QList<const char *> told;                        // lines the log shows on every run
    QList<Count> counts;                             // base rows after each run
    std::pair<const char *, const char *> siteFile{}; // a site file written before the first run
    std::pair<const char *, const char *> printed{};  // a printer file and what it gains on each run
    QList<const char *> baseRows{};                   // statements run on the site's base before the first run
};

void PrintTo(const RoadCase &c, std::ostream *os)
{
    *os << c.name;
}

class ServiceRoads : public ::testing::TestWithParam<RoadCase>
{
};

// A fresh demo site of the desk kind `till` in `work`; empty when it could not be made.
QString newSite(const QTemporaryDir &work, const char *till, QString &output)
{
    const QString site = work.filePath(QStringLiteral("site"));
    return runHost({"--init-site", site, "--till", QString::fromLatin1(till)}, work.path(), output) ? site : QString();
}

int occurrences(const QString &path, const QString &text)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? int(QString::fromUtf8(file.readAll()).count(text)) : 0;
}

TEST_P(ServiceRoads, EachRunLeavesWhatTheServiceDoes)
{
    const RoadCase &c = GetParam();
    QTemporaryDir work;
    QString output;
    const QString site = newSite(work, c.till, output);
    ASSERT_FALSE(site.isEmpty()) << output.toStdString();
    for (const Setting &setting : c.settings)
        ASSERT_TRUE(editFile(QDir(site).filePath(QStringLiteral("PARAMETROSQUB.CDS")), QString(), QString(),
                             QString::fromLatin1(setting.field), QString::fromLatin1(setting.value)))
            << setting.field;
    if (c.siteFile.first) {
        QFile file(QDir(site).filePath(QString::fromLatin1(c.siteFile.first)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(c.siteFile.second);
    }
    for (const char *sql : c.baseRows)
        siteBaseValue(site, QString::fromLatin1(sql));
    const QString script = QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/") + QString::fromLatin1(c.script);
    for (int round = 1; round <= 2; ++round) {
        output.clear();
        ASSERT_TRUE(runHost({"--site", site, "--script", script}, work.path(), output)) << output.toStdString();
        EXPECT_FALSE(output.contains(QStringLiteral("serviço não instalado"))) << output.toStdString();
        EXPECT_FALSE(output.contains(QStringLiteral("servidor de saldos"))) << output.toStdString();
        for (const char *line : c.told)
            EXPECT_TRUE(output.contains(QString::fromUtf8(line))) << line << "\n" << output.toStdString();
        for (const Count &count : c.counts) {
            EXPECT_EQ(siteBaseValue(site, QString::fromLatin1(count.sql)).toInt(), count.base + round * count.perRun)
                << count.sql;
        }
        if (c.printed.first) {
            EXPECT_EQ(occurrences(QDir(site).filePath(QString::fromLatin1(c.printed.first)), QString::fromUtf8(c.printed.second)),
                      round);
        }
    }
}

// The cases of one road on each desk kind named.
QList<RoadCase> onDesks(const RoadCase &road, const QList<const char *> &tills)
{
    QList<RoadCase> cases;
    static QList<QByteArray> names; // the cases keep pointers to their names
    for (const char *till : tills) {
        RoadCase c = road;
        c.till = till;
        names.append(QByteArray(road.name) + "On" + QByteArray(till).toUpper());
        c.name = names.last().constData();
        cases.append(c);
    }
    return cases;
}

const QList<const char *> everyDesk{"ecf", "nfce", "sat", "nf"};
// The card receipt lines go with a load's voucher on the desks that print it themselves.
const QList<const char *> voucherDesks{"ecf", "nf"};
// The buyer's data go with a fiscal printer's receipt.
const QList<const char *> printerDesk{"ecf"};

constexpr const char *cancelledLoads =
    "SELECT COUNT(*) FROM EXTRATOCONS WHERE CDCONSUMIDOR = '000101' AND IDTPMOVEXT = 'D' AND NRSEQVENDA IS NULL "
    "AND NRDEPOSICONS IS NOT NULL";
constexpr const char *sentLines =
    "SELECT COUNT(*) FROM EXTRATOCONS WHERE CDCONSUMIDOR = '000101' AND NRDEPOSICONS IS NOT NULL AND IDEXPEXTCONS = 'S'";
// The demo branch takes part in a loyalty campaign: the sale-kind chooser shows its button.
const QList<const char *> loyaltyCampaign{
    "INSERT INTO CAMPANHA (CDCAMPANHA, NMCAMPANHA, IDCAMPANHA) VALUES ('FID1', 'Programa de fidelidade', 'P')",
    "INSERT INTO FILICAMPANHA (CDCAMPANHA, CDFILIAL) SELECT 'FID1', CDFILIAL FROM FILIAL"};
constexpr const char *creditSales =
    "SELECT COUNT(*) FROM EXTRATOCONS WHERE CDCONSUMIDOR = '000101' AND IDTPMOVEXT = 'V'";

QList<RoadCase> allCases()
{
    QList<RoadCase> cases;
    const QList<std::pair<RoadCase, QList<const char *>>> roads{
        {{"PriceConsultation", "", "consulta-preco.txt", {}, {"Consulta de preço: 1.01.001 custa R$ 22,90"}, {}}, everyDesk},
        {{"OperatorChange", "", "troca-operador.txt", {},
         {"troca de operador: MARIA APARECIDA SOUZA -> 0005 JOÃO PEREIRA",
          "troca de operador: JOÃO PEREIRA -> 0001 MARIA APARECIDA SOUZA"},
         {}}, everyDesk},
        {{"BiometricConfirmation", "", "venda-biometria.txt", {},
         {"A confirmação de Biometria falhou.", "leitura biométrica: 000101"},
         {{"SELECT COUNT(*) FROM VENDA", 1}}, {"Dados/Biometria.txt", "# crachás confirmados pelo dedo\n1001\n"}}, everyDesk},
        {{"CardReceiptLines", "", "carga-cartao.txt", {{"IDUTILTEF", "S"}}, {"Carga de cartão efetuada com sucesso."}, {}, {},
         {"Dados/ImpressoraNaoFiscal/padrao.txt", "COMPROVANTE DE CARTÃO"}}, voucherDesks},
        {{"BuyerDataAtTheReceiptsOpening", "", "venda-dados-cliente.txt", {{"IDTIPOIMPFIS", "26"}},
          {"dados do cliente: CF;CLIENTE DEMO;DNI;20123456;RUA DAS FLORES 10;SEM OBSERVACAO"},
          {{"SELECT COUNT(*) FROM VENDA", 1}}}, printerDesk},
        {{"ConsumerRecord", "", "cadastro-consumidor.txt", {{"IDPERCADCONSFCXA", "S"}},
         {"O crachá 1001 já é do consumidor 000101."},
         {{"SELECT COUNT(*) FROM CONSUMIDOR WHERE CDCONSUMIDOR IN ('000901', '000902')", 0, 1}}}, everyDesk},
        {{"LoyaltyRegistration", "", "cadastro-fidelidade.txt", {}, {"fidelidade: 000101 JOSÉ CARLOS OLIVEIRA cadastrado"},
          {}, {}, {"Dados/Fidelidade.txt", ";000002;000101;JOSÉ CARLOS OLIVEIRA;"}, loyaltyCampaign}, everyDesk},
        {{"LoadCancelOnTheOnlineStatement", "", "cancela-carga.txt", {{"IDEXTCONSONLINE", "S"}}, {"cancelada."},
         {{cancelledLoads, 1}, {sentLines, 2}}}, everyDesk},
        {{"LoadCancelOnTheCentralBalance", "", "cancela-carga.txt", {{"IDEXTCONSCENTRAL", "S"}}, {"cancelada."},
         {{cancelledLoads, 1}}}, everyDesk},
        {{"CreditSaleOnTheOnlineStatement", "", "venda-credito.txt", {{"IDEXTCONSONLINE", "S"}}, {}, {{creditSales, 2}}}, everyDesk},
        {{"CreditSaleOnTheCentralBalance", "", "venda-credito.txt", {{"IDEXTCONSCENTRAL", "S"}}, {}, {{creditSales, 2}}}, everyDesk},
    };
    for (const auto &[road, tills] : roads)
        cases << onDesks(road, tills);
    return cases;
}

INSTANTIATE_TEST_SUITE_P(EveryDesk, ServiceRoads, ::testing::ValuesIn(allCases()),
                         [](const ::testing::TestParamInfo<RoadCase> &info) { return std::string(info.param.name); });

TEST(ServiceRoads, TheConsumerRecordIsMadeOnceAndAGivenBadgeIsNotGivenAgain)
{
    QTemporaryDir work;
    QString output;
    const QString site = work.filePath(QStringLiteral("site"));
    ASSERT_TRUE(runHost({"--init-site", site}, work.path(), output)) << output.toStdString();
    ASSERT_TRUE(editFile(QDir(site).filePath(QStringLiteral("PARAMETROSQUB.CDS")), QString(), QString(),
                         QStringLiteral("IDPERCADCONSFCXA"), QStringLiteral("S")));
    const QString script = QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/cadastro-consumidor.txt");
    const QStringList told{QStringLiteral("cadastro de consumidor: 000901 MARIA DAS DORES (crachá 9001)"),
                           QStringLiteral("O consumidor 000901 do cliente 000002 já está cadastrado.")};
    for (int round = 0; round < 2; ++round) {
        output.clear();
        ASSERT_TRUE(runHost({"--site", site, "--script", script}, work.path(), output)) << output.toStdString();
        EXPECT_TRUE(output.contains(told.at(round))) << output.toStdString();
    }
    EXPECT_EQ(siteBaseValue(site, QStringLiteral("SELECT NMCONSUMIDOR FROM CONSUMIDOR WHERE CDCONSUMIDOR = '000901'")).toString(),
              QStringLiteral("MARIA DAS DORES"));
}

// A credit load cancelled from the functions menu (F9), twice in a row on each desk kind: what
// a cancellation leaves (the statement's debit line, the balance given back, the cash movement
// marked cancelled) and what a refused one leaves (nothing).
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

void PrintTo(const LoadCancelCase &c, std::ostream *os)
{
    *os << c.name;
}

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
    const QString site = newSite(work, c.till, output);
    ASSERT_FALSE(site.isEmpty()) << output.toStdString();
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
