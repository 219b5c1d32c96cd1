#include <host/program/hostloop.h>

#include <gtest/gtest.h>

namespace {

using HostLoop::CallArguments;

// An entry that answers the queued keywords in order and records the calls' modes.
struct ScriptedEntry
{
    QStringList keywords;
    QStringList modes;
    QList<CallArguments> calls;

    HostLoop::Entry entry()
    {
        return [this](const CallArguments &arguments) {
            calls.append(arguments);
            modes.append(arguments.mode);
            return keywords.isEmpty() ? QStringLiteral("FECHA_SISTEMA") : keywords.takeFirst();
        };
    }
};

HostLoop::Chooser tableSeven()
{
    return [](const QString &mode) -> std::optional<CallArguments> {
        CallArguments arguments;
        arguments.mode = mode;
        arguments.nrMesa = "7";
        return arguments;
    };
}

struct LoopCase
{
    const char *name;
    QStringList keywords;
    bool chooserAnswers;
    QStringList expectedModes;
    int expectedExit;
};

void PrintTo(const LoopCase &c, std::ostream *out)
{
    *out << c.name;
}


class HostLoopTest : public ::testing::TestWithParam<LoopCase>
{
};

TEST_P(HostLoopTest, OpensTheModeTheKeywordAsksFor)
{
    const LoopCase &c = GetParam();
    ScriptedEntry screen{c.keywords, {}, {}};
    const HostLoop::Chooser none = [](const QString &) { return std::optional<CallArguments>(); };
    const HostLoop::Outcome outcome = HostLoop::run(screen.entry(), c.chooserAnswers ? tableSeven() : none, {});
    EXPECT_EQ(screen.modes, c.expectedModes);
    EXPECT_EQ(outcome.exitCode, c.expectedExit);
    EXPECT_EQ(outcome.calls, c.expectedModes.size());
    EXPECT_EQ(outcome.message.isEmpty(), c.expectedExit == 0);
}

INSTANTIATE_TEST_SUITE_P(
    Keywords, HostLoopTest,
    ::testing::Values(
        LoopCase{"CloseAtOnce", {"FECHA_SISTEMA"}, true, {"B"}, 0},
        LoopCase{"TableThenClose", {"VENDA_MESA", "FECHA_SISTEMA"}, true, {"B", "M"}, 0},
        LoopCase{"TabAndDelivery", {"VENDA_COMANDA", "VENDA_DELIVERY", "FECHA_SISTEMA"}, true, {"B", "C", "D"}, 0},
        LoopCase{"NoNumberGoesBackToTheCounter", {"VENDA_MESA", "FECHA_SISTEMA"}, false, {"B", "B"}, 0},
        LoopCase{"OneErrorRestartsTheCounter", {"ERRO_SISTEMA", "FECHA_SISTEMA"}, true, {"B", "B"}, 0},
        LoopCase{"TwoErrorsInARowStop", {"ERRO_SISTEMA", "ERRO_SISTEMA", "FECHA_SISTEMA"}, true, {"B", "B"}, 2},
        LoopCase{"ErrorsApartDoNotStop", {"ERRO_SISTEMA", "VENDA_MESA", "ERRO_SISTEMA", "FECHA_SISTEMA"}, true,
                 {"B", "B", "M", "B"}, 0},
        LoopCase{"UnknownKeywordCountsAsAnError", {"", "", "FECHA_SISTEMA"}, true, {"B", "B"}, 2}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(HostLoop, PassesTheTenArgumentsInOrder)
{
    CallArguments arguments;
    arguments.nrVendaRest = "10";
    arguments.nrMesa = "7";
    arguments.mode = "M";
    arguments.idRetBalLoja = "S";
    const QList<Variant> params = arguments.toParams();
    ASSERT_EQ(params.size(), 10);
    EXPECT_EQ(params[0].toString(), "10");
    EXPECT_EQ(params[3].toString(), "7");
    EXPECT_EQ(params[6].toString(), "M");
    EXPECT_EQ(params[8].kind(), Variant::Kind::Boolean);
    EXPECT_EQ(params[9].toString(), "S");
}

// A screen that failed before it opened (a corrupt file of the site) would fail the same way
// again: the error is shown once and the host stops; one that failed after opening restarts.
TEST(HostLoop, AScreenThatNeverOpenedStopsTheHostAtItsFirstError)
{
    ScriptedEntry screen{{"ERRO_SISTEMA", "FECHA_SISTEMA"}, {}, {}};
    const HostLoop::Outcome outcome = HostLoop::run(screen.entry(), tableSeven(), {}, [] { return false; });
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_EQ(outcome.exitCode, 2);

    ScriptedEntry opened{{"ERRO_SISTEMA", "FECHA_SISTEMA"}, {}, {}};
    EXPECT_EQ(HostLoop::run(opened.entry(), tableSeven(), {}, [] { return true; }).calls, 2);
}

TEST(HostLoop, AFinishedScriptStopsTheLoopWithItsCode)
{
    ScriptedEntry screen{{"VENDA_MESA", "VENDA_MESA"}, {}, {}};
    const HostLoop::Outcome outcome = HostLoop::run(screen.entry(), tableSeven(), [] { return std::optional<int>(1); });
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_EQ(outcome.exitCode, 1);
}

TEST(HostLoop, ModeLetters)
{
    EXPECT_EQ(HostLoop::modeForKeyword("VENDA_MESA"), "M");
    EXPECT_EQ(HostLoop::modeForKeyword("VENDA_COMANDA"), "C");
    EXPECT_EQ(HostLoop::modeForKeyword("VENDA_DELIVERY"), "D");
    EXPECT_EQ(HostLoop::modeForKeyword("FECHA_SISTEMA"), "");
    EXPECT_EQ(HostLoop::modeForKeyword("venda_mesa"), "");
}

} // namespace
