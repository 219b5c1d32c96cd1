#include <outside/consiste.h>
#include <outside/srv_consiste.h>
#include <runtime/clock.h>

#include <gtest/gtest.h>

namespace {

struct TextCase
{
    const char *name;
    QString (*routine)(const QString &, int);
    const char *text;
    int width;
    const char *expected;
};

std::ostream &operator<<(std::ostream &out, const TextCase &c)
{
    return out << c.name;
}

QString padL(const QString &t, int w) { return Consiste::PadL(t, w); }
QString padR(const QString &t, int w) { return Consiste::PadR(t, w); }

class TextWidthTable : public testing::TestWithParam<TextCase>
{
};

TEST_P(TextWidthTable, GivesTheWidthOrKeepsTheText)
{
    const TextCase &c = GetParam();
    EXPECT_EQ(c.routine(QString::fromUtf8(c.text), c.width), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Consiste, TextWidthTable,
    testing::Values(
        TextCase{"AjustaPadsWithZeros", Consiste::Ajusta, "7", 3, "007"},
        TextCase{"AjustaQuantityText", Consiste::Ajusta, "2,000", 7, "002,000"},
        TextCase{"AjustaExactWidth", Consiste::Ajusta, "123", 3, "123"},
        TextCase{"AjustaLongerIsKeptWhole", Consiste::Ajusta, "1000", 3, "1000"},
        TextCase{"AjustaEmpty", Consiste::Ajusta, "", 2, "00"},
        TextCase{"AjustaZeroIsAjusta", Consiste::AjustaZero, "12", 4, "0012"},
        TextCase{"TamFixoFillsRight", Consiste::TamFixo, "abc", 5, "abc  "},
        TextCase{"TamFixoCutsLonger", Consiste::TamFixo, "Refrigerante lata", 12, "Refrigerante"},
        TextCase{"TamFixoEmpty", Consiste::TamFixo, "", 3, "   "},
        TextCase{"TamFixoZeroWidth", Consiste::TamFixo, "abc", 0, ""},
        TextCase{"TamFixoCountsCharactersNotBytes", Consiste::TamFixo, "Açaí", 5, "Açaí "},
        TextCase{"TamFixoRFillsLeft", Consiste::TamFixoR, "12,50", 8, "   12,50"},
        TextCase{"TamFixoRCutsToFirstCharacters", Consiste::TamFixoR, "123456", 4, "1234"},
        TextCase{"TamFixoREmpty", Consiste::TamFixoR, "", 2, "  "},
        TextCase{"TamFixoRNegativeWidth", Consiste::TamFixoR, "abc", -1, ""},
        TextCase{"PadLFillsLeft", padL, "5,00", 6, "  5,00"},
        TextCase{"PadLNeverCuts", padL, "12345", 3, "12345"},
        TextCase{"PadLNegativeWidth", padL, "Saldo", -4, "Saldo"},
        TextCase{"PadRFillsRight", padR, "0101", 10, "0101      "},
        TextCase{"PadRNeverCuts", padR, "12345", 2, "12345"},
        TextCase{"CentralizaEvenRoom", Consiste::Centraliza, "ab", 6, "  ab  "},
        TextCase{"CentralizaOddRoomRight", Consiste::Centraliza, "abc", 6, " abc  "},
        TextCase{"CentralizaLongerKeptWhole", Consiste::Centraliza, "abcdef", 4, "abcdef"},
        TextCase{"CentralizaEmpty", Consiste::Centraliza, "", 3, "   "},
        TextCase{"ReplicateRule", Consiste::Replicate, "-", 5, "-----"},
        TextCase{"ReplicateText", Consiste::Replicate, "ab", 3, "ababab"},
        TextCase{"ReplicateNone", Consiste::Replicate, "-", 0, ""},
        TextCase{"ReplicateNegative", Consiste::Replicate, "-", -2, ""}),
    [](const testing::TestParamInfo<TextCase> &info) { return std::string(info.param.name); });

} // namespace

TEST(Consiste, EmptyStringAndIif)
{
    EXPECT_TRUE(Consiste::EmptyString(QString()));
    EXPECT_TRUE(Consiste::EmptyString(QStringLiteral("  \t ")));
    EXPECT_FALSE(Consiste::EmptyString(QStringLiteral(" 0 ")));
    EXPECT_EQ(Consiste::iif(true, 1, 2.5), 1.0);
    EXPECT_EQ(Consiste::iif(false, QStringLiteral("S"), "N"), QStringLiteral("N"));
    EXPECT_EQ(QString::fromUtf8(Consiste::iif(true, "Sim", "Não")), QStringLiteral("Sim"));
}

TEST(Consiste, NumbersDelegateToTheMoneyModule)
{
    EXPECT_EQ(Consiste::Trunc3(0.1 * 3), 0.3);
    EXPECT_EQ(Consiste::Trunc3(1.2349), 1.234);
    EXPECT_EQ(Consiste::RoundDec(1.2345 - 0.2, 3), 1.035);
    EXPECT_EQ(Srv_consiste::RoundDec(1.005, 2), 1.01);
}

TEST(Consiste, MonthsAndWeekdays)
{
    EXPECT_EQ(Srv_consiste::PriDiaMes(QDate(2024, 2, 17)), QDate(2024, 2, 1));
    EXPECT_EQ(Consiste::UltimoDiaMes(QDate(2024, 2, 17)), QDate(2024, 2, 29));
    EXPECT_EQ(Consiste::UltimoDiaMes(QDate(2023, 2, 1)), QDate(2023, 2, 28));
    EXPECT_EQ(Consiste::UltimoDiaMes(QDate(2024, 12, 31)), QDate(2024, 12, 31));
    EXPECT_FALSE(Consiste::PriDiaMes(QDate()).isValid());
    const char *const names[] = {"Segunda-Feira", "Terça-Feira", "Quarta-Feira", "Quinta-Feira",
                                 "Sexta-Feira", "Sábado", "Domingo"};
    for (int i = 0; i < 7; ++i) // 2024-03-04 is a Monday
        EXPECT_EQ(Consiste::NomeSemana(QDate(2024, 3, 4 + i)), QString::fromUtf8(names[i]));
    EXPECT_EQ(Consiste::NomeSemana(QDate()), QString());
}

TEST(Consiste, DocumentChecks)
{
    struct Case { const char *text; bool cpf; bool cnpj; };
    const Case cases[] = {
        {"529.982.247-25", true, false},
        {"52998224725", true, false},
        {"111.444.777-35", true, false},
        {"000.000.001-91", true, false},
        {"529.982.247-26", false, false},   // wrong second digit
        {"529.982.247-15", false, false},   // wrong first digit
        {"111.111.111-11", false, false},   // one digit repeated passes the arithmetic
        {"5299822472", false, false},       // ten digits
        {"529982247250", false, false},     // twelve digits
        {"529.982.247-2A", false, false},   // a letter
        {"", false, false},
        {"11.222.333/0001-81", false, true},
        {"11222333000181", false, true},
        {"11 444 777 0001 61", false, true},
        {"11.222.333/0001-82", false, false},
        {"11.222.333/0001-71", false, false},
        {"00.000.000/0000-00", false, false},
        {"11.111.111/1111-11", false, false},
        {"1.222.333/0001-81", false, false},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Consiste::CPFOk(QString::fromUtf8(c.text)), c.cpf) << c.text;
        EXPECT_EQ(Srv_consiste::CGCOk(QString::fromUtf8(c.text)), c.cnpj) << c.text;
    }
    EXPECT_EQ(Consiste::PictPess(QStringLiteral("F")), QStringLiteral("999.999.999-99;_"));
    EXPECT_EQ(Consiste::PictPess(QStringLiteral("X")), QString());
}

TEST(Consiste, DelayWaitsThroughTheClockInMilliseconds)
{
    QList<int> waits;
    Clock::setSleeper([&waits](int ms) { waits << ms; });
    Srv_consiste::Delay(250);
    Consiste::Delay(-5);
    Clock::setSleeper({});
    EXPECT_EQ(waits, (QList<int>{250, 0}));
}

TEST(Consiste, CheckResultServRaisesTextAnswers)
{
    struct Case { const char *name; Variant result; bool usable; const char *text; };
    const Case cases[] = {
        {"Code", Variant("QTDE_NOT_CONS"), false, "QTDE_NOT_CONS"},
        {"OkCodeIsATextToo", Variant("QTDE_OK"), false, "QTDE_OK"},
        {"Failure", Variant::failure(QStringLiteral("ORA-03113")), false, "ORA-03113"},
        {"Empty", Variant(), true, ""},
        {"BlankText", Variant(" "), true, ""},
        {"Boolean", Variant(true), true, ""},
        {"Number", Variant(3), true, ""},
        {"Array", Variant::array(2), true, ""},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(Consiste::CheckResultServ(c.result, false, 0), c.usable) << c.name;
        if (c.usable) {
            EXPECT_NO_THROW(Consiste::CheckResultServ(c.result, true, 0)) << c.name;
            continue;
        }
        try {
            Consiste::CheckResultServ(c.result, true, 0);
            ADD_FAILURE() << c.name << " did not raise";
        } catch (const Consiste::EResultServ &e) {
            EXPECT_EQ(e.text(), QString::fromUtf8(c.text)) << c.name;
            EXPECT_STREQ(e.what(), c.text) << c.name;
        }
    }
}
