#include <host/program/script.h>
#include <host/program/scriptready.h>

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QEventLoop>
#include <QKeySequence>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

using HostScript::StepKind;

struct KeyCase
{
    const char *name;
    const char *text;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;
};

void PrintTo(const KeyCase &c, std::ostream *out)
{
    *out << c.name;
}


class ScriptKeyTest : public ::testing::TestWithParam<KeyCase>
{
};

TEST_P(ScriptKeyTest, ReadsKeyNames)
{
    const KeyCase &c = GetParam();
    const std::optional<QKeyCombination> key = HostScript::parseKey(QString::fromLatin1(c.text));
    ASSERT_TRUE(key.has_value());
    EXPECT_EQ(key->key(), c.key);
    EXPECT_EQ(key->keyboardModifiers(), c.modifiers);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, ScriptKeyTest,
    ::testing::Values(KeyCase{"Enter", "Enter", Qt::Key_Return, Qt::NoModifier},
                      KeyCase{"EnterLowerCase", "enter", Qt::Key_Return, Qt::NoModifier},
                      KeyCase{"Esc", "Esc", Qt::Key_Escape, Qt::NoModifier},
                      KeyCase{"F5", "F5", Qt::Key_F5, Qt::NoModifier},
                      KeyCase{"F12", "F12", Qt::Key_F12, Qt::NoModifier},
                      KeyCase{"AltLetter", "Alt+I", Qt::Key_I, Qt::AltModifier},
                      KeyCase{"CtrlShift", "Ctrl+Shift+X", Qt::Key_X, Qt::ControlModifier | Qt::ShiftModifier},
                      KeyCase{"AltEnter", "Alt+Enter", Qt::Key_Return, Qt::AltModifier},
                      KeyCase{"Digit", "7", Qt::Key_7, Qt::NoModifier},
                      KeyCase{"PageDown", "PgDown", Qt::Key_PageDown, Qt::NoModifier}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ScriptKey, RefusesWhatIsNoKey)
{
    for (const char *text : {"", "Nada", "F5+F6", "Alt+"})
        EXPECT_FALSE(HostScript::parseKey(QString::fromLatin1(text)).has_value()) << text;
}

TEST(ScriptParse, ReadsEveryStep)
{
    const HostScript::Parsed parsed = HostScript::parse(
        "# a counter sale\n"
        "wait-form 20\n"
        "\n"
        "type 01001\n"
        "key Enter\n"
        "answer keypad 12,5\n"
        "answer keypad cancel\n"
        "answer search Coxinha de frango\n"
        "answer yesno S\n"
        "answer scale 0,450\n"
        "click spbReceb\n"
        "wait 500\n"
        "screenshot out/venda.png\n"
        "expect lblMensagem CAIXA LIVRE\n"
        "expect lblBuffer \"\"\n"
        "quit\n");
    ASSERT_TRUE(parsed.ok()) << parsed.errors.join("; ").toStdString();
    ASSERT_EQ(parsed.steps.size(), 14);
    const auto &s = parsed.steps;
    EXPECT_EQ(s[0].kind, StepKind::WaitForm);
    EXPECT_EQ(s[0].milliseconds, 20000);
    EXPECT_EQ(s[0].line, 2);
    EXPECT_EQ(s[1].kind, StepKind::Type);
    EXPECT_EQ(s[1].text, "01001");
    EXPECT_EQ(s[2].kind, StepKind::Key);
    EXPECT_EQ(s[2].key.key(), Qt::Key_Return);
    EXPECT_EQ(s[3].answer, ScriptedAnswers::Kind::Keypad);
    EXPECT_EQ(s[3].text, "12,5");
    EXPECT_FALSE(s[3].cancel);
    EXPECT_TRUE(s[4].cancel);
    EXPECT_EQ(s[5].answer, ScriptedAnswers::Kind::Search);
    EXPECT_EQ(s[5].text, "Coxinha de frango");
    EXPECT_EQ(s[6].answer, ScriptedAnswers::Kind::YesNo);
    EXPECT_EQ(s[7].answer, ScriptedAnswers::Kind::Scale);
    EXPECT_EQ(s[8].kind, StepKind::Click);
    EXPECT_EQ(s[8].target, "spbReceb");
    EXPECT_EQ(s[9].milliseconds, 500);
    EXPECT_EQ(s[10].target, "out/venda.png");
    EXPECT_EQ(s[11].target, "lblMensagem");
    EXPECT_EQ(s[11].text, "CAIXA LIVRE");
    EXPECT_EQ(s[12].text, "");
    EXPECT_EQ(s[13].kind, StepKind::Quit);
}

TEST(ScriptParse, NamesTheLineOfEachMistake)
{
    const HostScript::Parsed parsed = HostScript::parse("key Enter\n"
                                                        "press F5\n"
                                                        "key Nada\n"
                                                        "wait soon\n"
                                                        "answer phone 1\n"
                                                        "answer yesno talvez\n"
                                                        "click\n"
                                                        "type\n"
                                                        "wait-form -3\n");
    EXPECT_EQ(parsed.steps.size(), 1);
    ASSERT_EQ(parsed.errors.size(), 8);
    EXPECT_TRUE(parsed.errors[0].startsWith("linha 2:")) << parsed.errors[0].toStdString();
    EXPECT_TRUE(parsed.errors[7].startsWith("linha 9:")) << parsed.errors[7].toStdString();
}

// The readiness a script waits for before each step, on a modal window as the sale form is.
class ScreenReadinessTest : public ::testing::Test
{
protected:
    // Runs `body` from the loop of a modal dialog and answers when `body` closes it.
    void onModalWindow(const std::function<void()> &body)
    {
        window.setObjectName(QStringLiteral("frmTeste"));
        QTimer::singleShot(0, &window, body);
        window.exec();
    }

    int loopLevel() const { return QThread::currentThread()->loopLevel(); }

    QDialog window;
};

// Work that goes on turn after turn of the loop (a timer of the screen's at each turn).
TEST_F(ScreenReadinessTest, IsReadyOnlyOnceTheWorkGoingOnIsOver)
{
    QTimer work;
    work.setInterval(0);
    int turns = 0;
    QObject::connect(&work, &QTimer::timeout, &window, [&] {
        if (++turns == 2000)
            work.stop();
    });
    int turnsWhenReady = -1;
    ScreenReadiness readiness([&] {
        turnsWhenReady = turns;
        window.accept();
    });
    onModalWindow([&] {
        work.start();
        readiness.look();
    });
    EXPECT_EQ(turnsWhenReady, 2000);
}

TEST_F(ScreenReadinessTest, IsNotReadyInsideAWaitOfTheTillsOwnButRightAfterIt)
{
    QEventLoop wait;
    QTimer watch; // ends the wait once the readiness has seen it: its own ticks are not the screen's
    bool waitEnded = false;
    QList<int> levelsWhenReady;
    ScreenReadiness readiness([&] {
        levelsWhenReady << loopLevel();
        if (!waitEnded)
            wait.quit();
        else
            window.accept();
    });
    readiness.ignore(&watch);
    watch.setInterval(1);
    QObject::connect(&watch, &QTimer::timeout, &wait, [&] {
        if (!readiness.why().isEmpty())
            wait.quit();
    });
    onModalWindow([&] {
        readiness.look();
        watch.start();
        wait.exec(QEventLoop::ExcludeUserInputEvents);
        waitEnded = true;
        watch.stop();
        readiness.look(); // as the script's poll does
    });
    EXPECT_EQ(levelsWhenReady, QList<int>{1});
}

// The sale-kind chooser polls with processEvents() until the operator's choice is made: the
// step that makes it must let the polling code see it before the next step comes.
TEST_F(ScreenReadinessTest, CodeThatPollsForAChoiceSeesItBeforeTheNextLook)
{
    bool chosen = false;
    bool pollingEnded = false;
    int readyCalls = 0;
    ScreenReadiness readiness([&] {
        ++readyCalls;
        if (readyCalls == 1) {
            chosen = true; // the step: the choice made
            readiness.look();
            return;
        }
        EXPECT_TRUE(pollingEnded);
        window.accept();
    });
    onModalWindow([&] {
        readiness.look();
        while (!chosen)
            QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
        pollingEnded = true;
    });
    EXPECT_EQ(readyCalls, 2);
}

TEST_F(ScreenReadinessTest, AModalWindowShownIsActiveWhenTheScreenIsReady)
{
    QDialog question(&window);
    question.setModal(true);
    bool activeWhenReady = false;
    ScreenReadiness readiness([&] {
        activeWhenReady = question.isActiveWindow();
        question.hide();
        window.accept();
    });
    onModalWindow([&] {
        question.show();
        readiness.look();
    });
    EXPECT_TRUE(activeWhenReady);
}

} // namespace

