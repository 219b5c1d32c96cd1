#include <host/dialogs/buyerdialog.h>
#include <host/program/scriptedanswers.h>

#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

namespace {

class BuyerDialogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ScriptedAnswers::clear();
        ScriptedAnswers::setUnattended(true);
    }
    void TearDown() override
    {
        ScriptedAnswers::clear();
        ScriptedAnswers::setUnattended(false);
    }
};

struct DocumentCase
{
    const char *name;
    const char *typed;
    const char *problem;
};

class TypedDocument : public BuyerDialogTest, public ::testing::WithParamInterface<DocumentCase>
{
};

TEST_P(TypedDocument, OnlyAValidCpfOrCnpjOrNothingIsTaken)
{
    EXPECT_EQ(BuyerDialog::documentProblem(QString::fromUtf8(GetParam().typed)), QString::fromUtf8(GetParam().problem));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TypedDocument,
    ::testing::Values(DocumentCase{"Nothing", "", ""}, DocumentCase{"Blanks", "   ", ""},
                      DocumentCase{"Cpf", "52998224725", ""}, DocumentCase{"CpfMasked", "529.982.247-25", ""},
                      DocumentCase{"Cnpj", "11.222.333/0001-81", ""},
                      DocumentCase{"CpfWrongDigit", "52998224726", "CPF inválido."},
                      DocumentCase{"CpfAllEqual", "22222222222", "CPF inválido."},
                      DocumentCase{"CnpjWrongDigit", "11222333000180", "CNPJ inválido."},
                      DocumentCase{"CnpjAllEqual", "00000000000000", "CNPJ inválido."},
                      DocumentCase{"Letters", "ABC", "CPF inválido."}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(BuyerDialogTest, DialogStaysOpenOnAnInvalidNumberAndHandsBackDigits)
{
    AdditionalDataRequest request;
    request.valueCount = 16;
    request.askNameAddress = "S";
    BuyerDialog::AdditionalDataDialog dialog(request);
    auto *document = dialog.findChild<QLineEdit *>("edtCpfCnpj");
    document->setText("529.982.247-26");
    dialog.confirm();
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_EQ(dialog.findChild<QLabel *>("lblMensagem")->text(), "CPF inválido.");

    document->setText("529.982.247-25");
    dialog.findChild<QLineEdit *>("edtNome")->setText(" Ana ");
    dialog.findChild<QLineEdit *>("edtIdEstrangeiro")->setText("P123");
    dialog.confirm();
    const AdditionalDataAnswer answer = dialog.answer();
    EXPECT_TRUE(answer.confirmed);
    EXPECT_EQ(answer.document, "52998224725");
    EXPECT_EQ(answer.name, "Ana");
    EXPECT_EQ(answer.foreignId, "P123");
}

TEST_F(BuyerDialogTest, ScriptedAnswerFillsTheFieldsAndUnattendedCancels)
{
    ScriptedAnswers::push(ScriptedAnswers::Kind::Keypad, {false, "529.982.247-25;Ana;Rua A;P1"});
    const AdditionalDataAnswer scripted = BuyerDialog::CriaInfAdicional({});
    EXPECT_TRUE(scripted.confirmed);
    EXPECT_EQ(scripted.document, "52998224725");
    EXPECT_EQ(scripted.address, "Rua A");
    EXPECT_EQ(scripted.foreignId, "P1");
    EXPECT_FALSE(BuyerDialog::CriaInfAdicional({}).confirmed);
}

TEST_F(BuyerDialogTest, PinpadAnswersTheTerminalsCodes)
{
    const PinpadCpfRequest configured{"10.0.0.5", "00000001", "SW000001", "1", "11222333000181", 0};
    EXPECT_EQ(BuyerDialog::DigitaCpfPinpad({"", "00000001", "", "", "", 0}).returnCode, 1);
    EXPECT_EQ(BuyerDialog::DigitaCpfPinpad({"10.0.0.5", "", "", "", "", 0}).returnCode, 2);
    EXPECT_EQ(BuyerDialog::DigitaCpfPinpad(configured).returnCode, -2) << "nobody at the PinPad";

    ScriptedAnswers::push(ScriptedAnswers::Kind::Keypad, {false, "52998224725"});
    const PinpadCpfAnswer typed = BuyerDialog::DigitaCpfPinpad(configured);
    EXPECT_EQ(typed, (PinpadCpfAnswer{0, 0, "52998224725", {}}));
}

} // namespace
