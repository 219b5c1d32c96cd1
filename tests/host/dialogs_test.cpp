#include <host/dialogs/dialogs.h>
#include <host/program/scriptedanswers.h>

#include <gtest/gtest.h>

namespace {

class DialogsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ScriptedAnswers::clear();
        ScriptedAnswers::setUnattended(true);
        products.FieldDefs().Add("CDPRODUTO", FieldType::String, 20);
        products.FieldDefs().Add("NMPRODUTO", FieldType::String, 60);
        ASSERT_TRUE(products.CreateDataSet());
        for (const auto &[code, name] : QList<std::pair<QString, QString>>{
                 {"06001", "COXINHA DE FRANGO"}, {"06002", "PASTEL DE CARNE"}, {"01001", "PRATO FEITO DE FRANGO"}}) {
            products.Append();
            products.FieldByName("CDPRODUTO").SetAsString(code);
            products.FieldByName("NMPRODUTO").SetAsString(name);
            products.Post();
        }
        products.First();
    }
    void TearDown() override
    {
        ScriptedAnswers::clear();
        ScriptedAnswers::setUnattended(false);
    }

    ClientDataSet products{"cdsProdutos"};
};

TEST_F(DialogsTest, SearchRowsMatchAndChoose)
{
    const Dialogs::SearchRows rows = Dialogs::searchRows(products);
    EXPECT_EQ(rows.headers, QStringList({"CDPRODUTO", "NMPRODUTO"}));
    EXPECT_EQ(rows.matching("frango"), QList<int>({0, 2}));
    EXPECT_EQ(rows.matching(""), QList<int>({0, 1, 2}));
    EXPECT_EQ(rows.choose("01001"), 2);       // equal wins
    EXPECT_EQ(rows.choose("pastel"), 1);      // else the first containing it
    EXPECT_EQ(rows.choose("lasanha"), -1);
    EXPECT_EQ(products.RecNo(), 1);           // reading the rows leaves the cursor
}

TEST_F(DialogsTest, SearchLeavesTheChosenRowCurrentOrTheCursorWhereItWas)
{
    ScriptedAnswers::push(ScriptedAnswers::Kind::Search, {false, "PASTEL DE CARNE"});
    EXPECT_TRUE(Dialogs::Pesquisa({}, products));
    EXPECT_EQ(products.FieldByName("CDPRODUTO").AsString(), "06002");
    ScriptedAnswers::push(ScriptedAnswers::Kind::Search, {true, "cancel"});
    EXPECT_FALSE(Dialogs::Pesquisa({}, products));
    EXPECT_EQ(products.FieldByName("CDPRODUTO").AsString(), "06002");
    EXPECT_FALSE(Dialogs::Pesquisa({}, products)); // unattended, nothing scripted
}

TEST_F(DialogsTest, KeypadAnswersTheScriptWithinTheMaximumLength)
{
    ScriptedAnswers::push(ScriptedAnswers::Kind::Keypad, {false, "123456"});
    KeypadRequest request;
    request.maxLength = 4;
    const KeypadAnswer typed = Dialogs::TecladoNumerico(request);
    EXPECT_TRUE(typed.confirmed);
    EXPECT_EQ(typed.value, "1234");
    EXPECT_FALSE(Dialogs::TecladoNumerico(request).confirmed);
}

TEST_F(DialogsTest, KeypadButtonsKeepOneCommaAndTheLength)
{
    KeypadRequest request;
    request.maxLength = 5;
    Dialogs::KeypadDialog dialog(request);
    for (const char *key : {"1", ",", "5", ",", "0", "0", "7"})
        dialog.press(QString::fromLatin1(key));
    EXPECT_EQ(dialog.value(), "1,500");
}

} // namespace
