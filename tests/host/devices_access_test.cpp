#include <host/dialogs/access.h>
#include <host/devices/devices.h>
#include <host/program/scriptedanswers.h>

#include <support/fakemessages.h>

#include <runtime/cdsfile.h>
#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A fresh site folder with its Dados folder; no person at the screen.
class SiteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SitePaths::setHome(site.path());
        QDir(site.path()).mkpath("Dados/Cadastros");
        ScriptedAnswers::clear();
        ScriptedAnswers::setUnattended(true);
        Clock::setNow([] { return QDateTime(QDate(2024, 3, 6), QTime(12, 30)); });
    }
    void TearDown() override
    {
        ScriptedAnswers::clear();
        ScriptedAnswers::setUnattended(false);
        SitePaths::setHome(QString());
        Clock::setNow({});
    }
    void writeFile(const QString &relative, const QByteArray &text)
    {
        QFile file(QDir(site.path()).filePath(relative));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    QString readFile(const QString &relative) const
    {
        QFile file(QDir(site.path()).filePath(relative));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    QTemporaryDir site;
};

using DevicesTest = SiteTest;

TEST_F(DevicesTest, ScaleReadsTheSiteFileWithCommaOrPoint)
{
    struct Case { const char *text; bool ok; double weight; };
    for (const Case &c : {Case{"0,450\n", true, 0.450}, Case{"1.25", true, 1.25}, Case{"-2", true, -2.0},
                          Case{"", false, 0.0}, Case{"pesado", false, 0.0}}) {
        writeFile("Dados/Balanca.txt", c.text);
        double weight = 0;
        EXPECT_EQ(Devices::readScaleFile(QDir(site.path()).filePath("Dados/Balanca.txt"), &weight), c.ok) << c.text;
        if (c.ok) {
            EXPECT_DOUBLE_EQ(weight, c.weight) << c.text;
        }
    }
}

TEST_F(DevicesTest, ScaleTakesAScriptedWeightFirstThenTheFileThenEmpty)
{
    writeFile("Dados/Balanca.txt", "0,4567");
    ScriptedAnswers::push(ScriptedAnswers::Kind::Scale, {false, "1,200"});
    EXPECT_DOUBLE_EQ(Devices::BuscaPeso({}).weight, 1.2);
    EXPECT_DOUBLE_EQ(Devices::BuscaPeso({}).weight, 0.457); // rounded to grams
    QFile::remove(QDir(site.path()).filePath("Dados/Balanca.txt"));
    const ScaleAnswer empty = Devices::BuscaPeso({});
    EXPECT_TRUE(empty.ok);
    EXPECT_DOUBLE_EQ(empty.weight, 0.0);
}

TEST_F(DevicesTest, DrawerIsClosedUnlessTheSiteFileSaysOpen)
{
    EXPECT_EQ(Devices::Estado_Gaveta_Imp({}).state, "00");
    EXPECT_EQ(Devices::VerificaStatusGaveta({}).state, 0);
    writeFile("Dados/Gaveta.txt", "aberta\n");
    EXPECT_EQ(Devices::Estado_Gaveta_Imp({}).state, "01");
    EXPECT_EQ(Devices::VerificaStatusGaveta({}).state, 1);
    writeFile("Dados/Gaveta.txt", "FECHADA\n");
    EXPECT_FALSE(Devices::drawerOpen());
}

TEST_F(DevicesTest, PoleDisplayKeepsTwoLinesAndWritesThemToTheSite)
{
    Devices::LimpaDisplay();
    Devices::DisplayEnviaTexto({"CAIXA LIVRE", 1, 1, 1, 0});
    Devices::DisplayEnviaTexto({"06/03/2024", 2, 5, 0, 0});
    Devices::DisplayEnviaTexto({"UM TEXTO LONGO DEMAIS PARA O VISOR", 1, 15, 0, 0});
    const QStringList lines = Devices::PoleDisplay::instance().lines();
    EXPECT_EQ(lines[0], "CAIXA LIVRE   UM TEX");
    EXPECT_EQ(lines[1], "    06/03/2024      ");
    EXPECT_TRUE(readFile("Dados/Display.txt").contains("|    06/03/2024      |"));
    Devices::LimpaDisplay();
    EXPECT_EQ(Devices::PoleDisplay::instance().lines()[0].trimmed(), "");
}

struct RuleCase
{
    const char *name;
    const char *rules;
    const char *op;
    int code;
    bool allowed;
};

void PrintTo(const RuleCase &c, std::ostream *out)
{
    *out << c.name;
}


class AccessRulesTest : public ::testing::TestWithParam<RuleCase>
{
};

TEST_P(AccessRulesTest, MostSpecificRuleWins)
{
    const RuleCase &c = GetParam();
    EXPECT_EQ(Access::allowed(Access::parseRules(QString::fromUtf8(c.rules)), c.op, c.code), c.allowed);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, AccessRulesTest,
    ::testing::Values(RuleCase{"NoRulesGrant", "", "0001", 105, true},
                      RuleCase{"OperatorAndCode", "0002 105 N", "0002", 105, false},
                      RuleCase{"OtherOperator", "0002 105 N", "0001", 105, true},
                      RuleCase{"OtherCode", "0002 105 N", "0002", 101, true},
                      RuleCase{"EveryOperatorDenied", "* 105 N", "0001", 105, false},
                      RuleCase{"OperatorBeatsEveryOperator", "* 105 N\n0099 105 S", "0099", 105, true},
                      RuleCase{"OperatorEveryCodeBeatsEveryOperatorCode", "* 105 S\n0003 * N", "0003", 105, false},
                      RuleCase{"OperatorAndCodeBeatsOperatorEveryCode", "0003 * N\n0003 101 S", "0003", 101, true},
                      RuleCase{"EverythingDenied", "* * N # nobody", "0001", 1, false},
                      RuleCase{"CommentsAndBadLinesIgnored", "# 0001 105 N\n0001 105 talvez\n", "0001", 105, true}),
    [](const auto &info) { return std::string(info.param.name); });

using AccessTest = SiteTest;

TEST_F(AccessTest, RightsComeFromTheSiteFile)
{
    RightRequest request{105, "0002"};
    EXPECT_EQ(Access::ControleAcess(request), "S");
    writeFile("Dados/Direitos.txt", "0002 105 N\n");
    EXPECT_EQ(Access::ControleAcess(request), "N");
    const AccessAnswer allowed = Access::VerificaAcesso({101, "0002"});
    EXPECT_TRUE(allowed.allowed);
    EXPECT_EQ(allowed.stRetAcesso, "0002");
}

TEST_F(AccessTest, ASupervisorWithTheRightAuthorises)
{
    writeFile("Dados/Direitos.txt", "0002 105 N\n0003 105 N\n");
    DataPacket operators;
    operators.fields = {{"CDOPERADOR", FieldType::String, 20}};
    operators.rows = {{QStringLiteral("0002")}, {QStringLiteral("0003")}, {QStringLiteral("0099")}};
    ASSERT_TRUE(CdsFile::save(QDir(site.path()).filePath("Dados/Cadastros/Operador.cds"), operators));
    FakeMessages messages;

    ScriptedAnswers::push(ScriptedAnswers::Kind::Keypad, {false, "0099"});
    const AccessAnswer supervised = Access::VerificaAcesso({105, "0002"});
    EXPECT_TRUE(supervised.allowed);
    EXPECT_EQ(supervised.stRetAcesso, "0099");

    for (const char *code : {"0003", "7777"}) { // denied too, unknown
        ScriptedAnswers::push(ScriptedAnswers::Kind::Keypad, {false, QString::fromLatin1(code)});
        EXPECT_FALSE(Access::VerificaAcesso({105, "0002"}).allowed) << code;
    }
    EXPECT_EQ(messages.count(), 2);
    EXPECT_FALSE(Access::VerificaAcesso({105, "0002"}).allowed); // keypad left: nothing shown
    EXPECT_EQ(messages.count(), 2);
}

TEST_F(AccessTest, LogGoesToADailyFileOneLineAnAction)
{
    AccessLogRequest request;
    request.cdFilial = "0001";
    request.cdCaixa = "001";
    request.action = "CAN_CUP";
    request.cdOperador = "0002";
    request.nmOperador = "RAFAEL";
    request.stRetAcesso = "0099";
    request.description = "Motivo\tcom tab";
    EXPECT_TRUE(Access::LogControleAcess(request).ok);
    EXPECT_TRUE(Access::LogControleAcess(request).ok);
    const QString log = readFile("Dados/Log/ControleAcesso-2024-03-06.txt");
    const QStringList lines = log.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2);
    const QStringList fields = lines[0].split('\t');
    EXPECT_EQ(fields.value(0), "06/03/2024 12:30:00");
    EXPECT_EQ(fields.value(3), "CAN_CUP");
    EXPECT_EQ(fields.value(6), "0099");
    EXPECT_EQ(fields.value(7), "Motivo com tab");
}

} // namespace
