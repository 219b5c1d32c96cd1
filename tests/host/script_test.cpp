#include <host/program/script.h>

#include <QKeySequence>

#include <gtest/gtest.h>

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

} // namespace
