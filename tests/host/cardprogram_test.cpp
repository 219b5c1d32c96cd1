// The simulated card program and the host's card routines on its exchange folders: payments,
// their confirmation, undoing and reversal, and a program that refuses, never takes a request
// up, never answers or answers junk. The program is stepped at each pause of the till.
#include <host/devices/cardprogram.h>
#include <host/devices/cardterminal.h>

#include <outside/chartfiles.h>
#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace {

class CardProgramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(site.isValid());
        SitePaths::setHome(site.path());
        Clock::setSleeper([this](int) { program.serveOnce(); });
    }
    void TearDown() override
    {
        Clock::setSleeper({});
        SitePaths::setHome(QString());
    }

    void setMode(const char *mode)
    {
        QDir().mkpath(site.filePath("Dados"));
        QFile file(site.filePath("Dados/CartaoChart.txt"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(mode);
    }
    QStringList ledger() const
    {
        QFile file(CardProgram::ledgerFile());
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts)
                                              : QStringList();
    }
    bool foldersEmpty() const
    {
        return QDir(ChartFiles::requestFolder()).isEmpty() && QDir(ChartFiles::answerFolder()).isEmpty();
    }

    QTemporaryDir site;
    CardProgram program{false};
};

TEST_F(CardProgramTest, PaymentIsApprovedWithItsReceiptThenConfirmed)
{
    const CardTerminal::Result paid = CardTerminal::pay(12.34);

    ASSERT_TRUE(paid.ok) << paid.failure.toStdString();
    EXPECT_EQ(paid.nsu, "000001");
    EXPECT_TRUE(paid.receipt.contains("VALOR 1234"));
    EXPECT_EQ(CardTerminal::pendingNsu(), "000001");
    EXPECT_TRUE(CardTerminal::FinalizaTransTef({true}).ok);
    EXPECT_EQ(ledger(), QStringList({"000001;1234;PENDENTE", "000001;;CONFIRMADA"}));
    EXPECT_TRUE(CardTerminal::pendingNsu().isEmpty());
    EXPECT_TRUE(foldersEmpty());
}

TEST_F(CardProgramTest, PaymentOfASaleThatCouldNotBeSavedIsUndone)
{
    ASSERT_TRUE(CardTerminal::pay(20.0).ok);

    EXPECT_TRUE(CardTerminal::FinalizaTransTef({false}).ok);

    EXPECT_EQ(ledger().last(), "000001;;DESFEITA");
}

TEST_F(CardProgramTest, ConfirmedPaymentIsReversedThroughTheDedicatedTerminal)
{
    ASSERT_TRUE(CardTerminal::pay(20.0).ok);
    ASSERT_TRUE(CardTerminal::FinalizaTransTef({true}).ok);

    DedicatedTefRequest request;
    request.controlNumber = "000001";
    const DedicatedTefAnswer reversed = CardTerminal::CriaDedicado(request);

    EXPECT_TRUE(reversed.ok) << reversed.failure.toStdString();
    EXPECT_EQ(ledger().last(), "000001;;ESTORNADA");
}

// A charge named by its NSU, as a till restarted after a credit load confirms it: the card
// program confirms what its ledger holds pending, answers a repeated request the same without
// a second line, and refuses, saying why, one it never had or one already undone.
struct ByNsu
{
    const char *name;
    std::function<void()> before; // after the payment of 20,00 (NSU 000001)
    const char *nsu;
    bool confirmed;
    const char *says; // in the refusal
    QStringList ledger;
};

class CardChargeByNsu : public CardProgramTest, public ::testing::WithParamInterface<ByNsu>
{
};

TEST_P(CardChargeByNsu, IsConfirmedOnceWhenTheLedgerHoldsItPending)
{
    ASSERT_TRUE(CardTerminal::pay(20.0).ok);
    GetParam().before();

    const HostResult confirmed = CardTerminal::FinalizaTransTef({true, QString::fromLatin1(GetParam().nsu)});

    EXPECT_EQ(confirmed.ok, GetParam().confirmed) << confirmed.failure.toStdString();
    EXPECT_TRUE(confirmed.failure.contains(QString::fromUtf8(GetParam().says))) << confirmed.failure.toStdString();
    EXPECT_EQ(ledger(), GetParam().ledger);
    EXPECT_TRUE(foldersEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Charges, CardChargeByNsu,
    ::testing::Values(
        ByNsu{"Pending", [] {}, "000001", true, "", {"000001;2000;PENDENTE", "000001;;CONFIRMADA"}},
        ByNsu{"AlreadyConfirmed", [] { ASSERT_TRUE(CardTerminal::FinalizaTransTef({true}).ok); }, "000001", true, "",
              {"000001;2000;PENDENTE", "000001;;CONFIRMADA"}},
        ByNsu{"Unknown", [] {}, "000009", false, "NSU 000009 desconhecida", {"000001;2000;PENDENTE"}},
        ByNsu{"Undone", [] { ASSERT_TRUE(CardTerminal::FinalizaTransTef({false}).ok); }, "000001", false,
              "NSU 000001 já DESFEITA", {"000001;2000;PENDENTE", "000001;;DESFEITA"}}),
    [](const ::testing::TestParamInfo<ByNsu> &info) { return std::string(info.param.name); });

struct Failure
{
    const char *name;
    const char *mode;
    const char *says;
};

class CardProgramFailures : public CardProgramTest, public ::testing::WithParamInterface<Failure>
{
};

TEST_P(CardProgramFailures, PaymentIsNotTakenAndTheFoldersAreLeftEmpty)
{
    setMode(GetParam().mode);
    QDir().mkpath(site.filePath("Dados"));
    QFile limit(site.filePath("Dados/TefChart.txt"));
    ASSERT_TRUE(limit.open(QIODevice::WriteOnly));
    limit.write("TEMPOLIMITE=2\n");
    limit.close();

    const CardTerminal::Result paid = CardTerminal::pay(12.34);

    EXPECT_FALSE(paid.ok);
    EXPECT_TRUE(paid.failure.contains(QString::fromUtf8(GetParam().says))) << paid.failure.toStdString();
    EXPECT_TRUE(CardTerminal::pendingNsu().isEmpty() || CardTerminal::pendingNsu() != "000001");
    EXPECT_TRUE(foldersEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Modes, CardProgramFailures,
    ::testing::Values(Failure{"Refused", "RECUSA", "negada"}, Failure{"NeverTakesUp", "NAO_PEGA", "não está em execução"},
                      Failure{"NeverAnswers", "NAO_RESPONDE", "não respondeu"}, Failure{"Junk", "LIXO", "ilegível"}),
    [](const ::testing::TestParamInfo<Failure> &info) { return std::string(info.param.name); });

} // namespace
