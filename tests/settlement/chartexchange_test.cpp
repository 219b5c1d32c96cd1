#include "settlementfixture.h"

#include <outside/chartfiles.h>
#include <outside/pkg_hrk00002.h>
#include <runtime/sitepaths.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QPushButton>

namespace {

// The card program's side of the exchange, played at each pause of the till: it takes the
// request, writes the receipt and, once the print is confirmed, the answer.
struct CardProgram
{
    enum class Mode { Approve, Refuse, NeverTakeUp, NeverAnswer, Garbage, ApproveWithoutReceipt };
    Mode mode = Mode::Approve;
    QStringList requests;
    QList<int> pauses;
    bool receiptWritten = false;

    static QString request() { return QDir(ChartFiles::requestFolder()).filePath(QStringLiteral("tefchart.ini")); }
    static QString answer(const char *name) { return QDir(ChartFiles::answerFolder()).filePath(QString::fromLatin1(name)); }

    static void write(const QString &path, const QByteArray &content)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    void step(int milliseconds)
    {
        pauses << milliseconds;
        if (mode == Mode::NeverTakeUp || !QFile::exists(request()))
            return;
        QFile file(request());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromLatin1(file.readAll());
        file.close();
        QFile::remove(request());
        requests << text;
        if (mode == Mode::NeverAnswer)
            return;
        if (text.contains(QLatin1String("TIPOTRANSACAO=COMPRACREDITO"))) {
            if (mode == Mode::ApproveWithoutReceipt)
                write(answer("tefchart.ok"), "");
            else
                write(answer("cupom.tef"), "CHART RECARGA\r\nVALOR 12,34\r\n");
            return;
        }
        QFile::remove(answer("cupom.tef"));
        if (mode == Mode::Garbage)
            write(answer("tefchart.ok"), QByteArray("\x00\x01\xff\xfe\x07", 5));
        else
            write(answer(mode == Mode::Refuse ? "tefchart.can" : "tefchart.ok"), "");
    }
};

class ChartExchangeTest : public SettlementTest
{
protected:
    void SetUp() override
    {
        SettlementTest::SetUp();
        state().editParams().stDSDIRCAD = QStringLiteral(".\\");
        state().editParams().stCDPORTIMPNF3 = QStringLiteral("RECIBO");
        state().editParams().stIDTIPOIMPNF3 = QStringLiteral("5");
        host->setDefault(&Pkg_Hrk00002::ImprimePadrao, HostResult::done());
        Clock::setSleeper([this](int ms) { program.step(ms); });
    }
    void TearDown() override
    {
        Clock::setSleeper({});
        SettlementTest::TearDown();
    }

    bool foldersEmpty() const
    {
        return QDir(ChartFiles::requestFolder()).isEmpty() && QDir(ChartFiles::answerFolder()).isEmpty();
    }
    QStringList archived() const
    {
        return QDir(SitePaths::resolve(QStringLiteral("dados/Chart/0324"))).entryList(QDir::Files, QDir::Name);
    }

    CardProgram program;
};

struct ChartCase
{
    const char *name;
    CardProgram::Mode mode;
    QString amount;
    QString result;
    int prints;
    bool message;
};

class ChartAnswers : public ChartExchangeTest, public ::testing::WithParamInterface<ChartCase>
{
};

TEST_P(ChartAnswers, ExchangeAnswersAsTheCardProgramDid)
{
    const ChartCase &c = GetParam();
    program.mode = c.mode;

    EXPECT_EQ(settlement().FuncChartRec(c.amount), c.result);

    EXPECT_EQ(host->count(&Pkg_Hrk00002::ImprimePadrao), c.prints);
    EXPECT_EQ(messages->count(), c.message ? 1 : 0) << messages->texts().join(" | ").toStdString();
    EXPECT_TRUE(foldersEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChartAnswers,
    ::testing::Values(ChartCase{"ApprovedAfterTheReceiptIsPrintedTwice", CardProgram::Mode::Approve, "12,34", "ok", 2, false},
                      ChartCase{"RefusedAfterTheReceiptIsPrinted", CardProgram::Mode::Refuse, "12,34", "can", 2, false},
                      ChartCase{"ApprovedWithoutReceiptPrintsNothing", CardProgram::Mode::ApproveWithoutReceipt, "12,34",
                                "ok", 0, false},
                      ChartCase{"RequestNotTakenUpIsCancelled", CardProgram::Mode::NeverTakeUp, "12,34", "can", 0, true},
                      ChartCase{"NoAnswerWithinTheTimeLimitIsCancelled", CardProgram::Mode::NeverAnswer, "12,34", "can",
                                0, true},
                      ChartCase{"GarbageAnswerIsCancelled", CardProgram::Mode::Garbage, "12,34", "can", 2, true},
                      ChartCase{"AmountThatIsNoNumberChargesNothing", CardProgram::Mode::Approve, "doze", "can", 0, true},
                      ChartCase{"EmptyAmountAnswersEmpty", CardProgram::Mode::Approve, "", "", 0, false}),
    [](const ::testing::TestParamInfo<ChartCase> &info) { return std::string(info.param.name); });

TEST_F(ChartExchangeTest, PurchaseRequestCarriesTheAmountInCentsAndTheMomentAsKey)
{
    ASSERT_EQ(settlement().FuncChartRec(QStringLiteral("12,345")), QStringLiteral("ok"));

    ASSERT_EQ(program.requests.size(), 2);
    EXPECT_EQ(program.requests[0], QStringLiteral("[PARAMETROS]\r\nTIPOTRANSACAO=COMPRACREDITO\r\nVALORTRANSACAO=1234\r\n"
                                                  "CHAVETRANSACAO=Lumbera_20240305143015\r\n"));
    EXPECT_EQ(program.requests[1], QStringLiteral("[PARAMETROS]\r\nTIPOTRANSACAO=IMP\r\n"));
}

TEST_F(ChartExchangeTest, ReceiptIsPrintedOnPrinterThreeWithTwoMoreLineBreaksOrFourOnModel18)
{
    settlement().FuncChartRec(QStringLiteral("12,34"));
    state().editParams().stIDTIPOIMPNF3 = QStringLiteral("18");
    settlement().FuncChartRec(QStringLiteral("12,34"));

    const auto prints = host->requests(&Pkg_Hrk00002::ImprimePadrao);
    ASSERT_EQ(prints.size(), 4);
    EXPECT_EQ(prints[0], (PlainPrintRequest{"RECIBO", "5", "CHART RECARGA\r\nVALOR 12,34\r\n\r\n\r\n"}));
    EXPECT_EQ(prints[2].text, QStringLiteral("CHART RECARGA\r\nVALOR 12,34\r\n\r\n\r\n\r\n\r\n"));
}

TEST_F(ChartExchangeTest, ReceiptNotPrintedIsNotPrintedAgainButStillConfirmed)
{
    host->setDefault(&Pkg_Hrk00002::ImprimePadrao, HostResult{false, "sem papel"});

    EXPECT_EQ(settlement().FuncChartRec(QStringLiteral("12,34")), QStringLiteral("ok"));

    EXPECT_EQ(host->count(&Pkg_Hrk00002::ImprimePadrao), 1);
    EXPECT_TRUE(program.requests.last().contains(QLatin1String("TIPOTRANSACAO=IMP")));
}

TEST_F(ChartExchangeTest, RequestNotTakenUpShowsTheBlockedMessageAndCleansAfterASecond)
{
    program.mode = CardProgram::Mode::NeverTakeUp;

    EXPECT_EQ(settlement().FuncChartRec(QStringLiteral("12,34")), QStringLiteral("can"));

    EXPECT_EQ(messages->texts(), QStringList({QStringLiteral("Operação bloqueada. Software WTCENTRA.exe da CHART não esta "
                                                            "sendo executado ou não foi carregado corretamente.")}));
    EXPECT_EQ(program.pauses, QList<int>({50, 5000, 1000}));
}

TEST_F(ChartExchangeTest, TimeLimitOfTheSiteEndsTheWaitAndTellsToCheckTheCardProgram)
{
    program.mode = CardProgram::Mode::NeverAnswer;
    QDir().mkpath(site.filePath(QStringLiteral("Dados")));
    CardProgram::write(site.filePath(QStringLiteral("Dados/TefChart.txt")), "TEMPOLIMITE=2\n");

    EXPECT_EQ(settlement().FuncChartRec(QStringLiteral("12,34")), QStringLiteral("can"));

    EXPECT_EQ(program.pauses.count(500), 4);
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(messages->texts().first().contains(QStringLiteral("programa de cartões")));
}

TEST_F(ChartExchangeTest, OperatorCancelEndsTheWait)
{
    program.mode = CardProgram::Mode::NeverAnswer;
    Clock::setSleeper([this](int ms) {
        program.step(ms);
        if (program.pauses.count(500) == 3) {
            for (QWidget *window : QApplication::topLevelWidgets()) {
                if (auto *cancel = window->findChild<QPushButton *>(QStringLiteral("btnCancelaChart")))
                    cancel->click();
            }
        }
    });

    EXPECT_EQ(settlement().FuncChartRec(QStringLiteral("12,34")), QStringLiteral("can"));

    EXPECT_EQ(program.pauses.count(500), 3);
    ASSERT_EQ(messages->count(), 1);
    EXPECT_TRUE(messages->texts().first().contains(QLatin1String("abandonada")));
}

TEST_F(ChartExchangeTest, EveryFileThatPassesIsArchivedUnderTheMonth)
{
    program.mode = CardProgram::Mode::Refuse;

    settlement().FuncChartRec(QStringLiteral("12,34"));

    EXPECT_EQ(archived(), QStringList({QStringLiteral("cupom.tef143015"), QStringLiteral("tefchart.can143015"),
                                       QStringLiteral("tefchart.tmp143015")}));
}

} // namespace
