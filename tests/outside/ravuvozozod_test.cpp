#include <outside/ravuvozozod.h>
#include <runtime/clock.h>
#include <runtime/datapacket.h>

#include <support/fakemessages.h>

#include <QMessageBox>
#include <QPushButton>

#include <gtest/gtest.h>

using Ravuvozozod::Mensagem;
using Ravuvozozod::MensagemMetodo;

TEST(Ravuvozozod, MensagemRecordsAndAnswersQuestionsOnly)
{
    FakeMessages messages;
    messages.script({true, false});
    EXPECT_TRUE(Mensagem("Deseja pesar novamente?", "", "N", "S", 1, "", "002", 0));
    EXPECT_FALSE(Mensagem("Confirma?", "", "N", "N", 1, "", "002", 0));
    // A question by its default answer "S" with kind 0; the script is used up: its default.
    EXPECT_TRUE(Mensagem("Mensagem do operador", "", "N", "S", 0, "", "", 0));
    // Errors and notices ask nothing and answer false.
    EXPECT_FALSE(Mensagem("Produto não cadastrado", "detalhe", "N", "N", 3, "", "002", 0));
    EXPECT_FALSE(Mensagem("Gaveta aberta", "", "N", "N", 2, "", "002", 0));
    Mensagem("Tipo desconhecido", "", "N", "N", 9, "", "", 0);
    EXPECT_EQ(messages.calls().last().kind, 0); // shown as information

    ASSERT_EQ(messages.count(), 6);
    const FakeMessages::Call &error = messages.calls().at(3);
    EXPECT_EQ(error.text, QStringLiteral("Produto não cadastrado"));
    EXPECT_EQ(error.detail, QStringLiteral("detalhe"));
    EXPECT_EQ(error.kind, 3);
    EXPECT_EQ(error.defaultAnswer, QStringLiteral("N"));
    EXPECT_EQ(error.scheme, QStringLiteral("002"));
    EXPECT_FALSE(error.question);
    EXPECT_TRUE(messages.calls().at(2).question);
}

TEST(Ravuvozozod, FakeRestoresThePreviousWindow)
{
    FakeMessages outer;
    {
        FakeMessages inner;
        inner.answerAlways(true);
        Mensagem("dentro", "", "N", "N", 1, "", "", 0);
        EXPECT_EQ(inner.count(), 1);
        EXPECT_TRUE(inner.calls().first().answer);
    }
    Mensagem("fora", "", "N", "N", 1, "", "", 0);
    EXPECT_EQ(outer.texts(), QStringList{QStringLiteral("fora")});
    EXPECT_FALSE(outer.calls().first().answer);
}

TEST(Ravuvozozod, MensagemMetodoReportsAFailureAndHandsBackNothing)
{
    FakeMessages messages;
    Variant value = QStringLiteral("stale");
    const bool usable = MensagemMetodo(Variant::failure(QStringLiteral("ORA-00942: tabela não existe")),
                                       true, 0, "getProdRefil", "Cli_Kal51000", "001-0001", "002",
                                       value);
    EXPECT_FALSE(usable);
    EXPECT_TRUE(value.isEmpty());
    ASSERT_EQ(messages.count(), 1);
    const FakeMessages::Call &call = messages.calls().first();
    EXPECT_EQ(call.text, QStringLiteral("ORA-00942: tabela não existe"));
    EXPECT_EQ(call.kind, 3);
    EXPECT_TRUE(call.detail.contains(QStringLiteral("getProdRefil")));
    EXPECT_TRUE(call.detail.contains(QStringLiteral("Cli_Kal51000")));
    EXPECT_TRUE(call.detail.contains(QStringLiteral("001-0001")));
    EXPECT_EQ(call.scheme, QStringLiteral("002"));
}

TEST(Ravuvozozod, MensagemMetodoHandsBackAValueUnchanged)
{
    FakeMessages messages;
    DataPacket packet;
    packet.fields = {{QStringLiteral("CDPRODUTO"), FieldType::String, 10}};
    packet.rows = {{Variant("0101")}};
    const Variant results[] = {Variant(packet), Variant("0101"), Variant(true), Variant(),
                               Variant(12.5)};
    for (const Variant &result : results) {
        Variant value;
        EXPECT_TRUE(MensagemMetodo(result, true, 0, "m", "Cli_Kal51000", "", "", value));
        EXPECT_EQ(value, result) << describe(result).toStdString();
    }
    EXPECT_EQ(messages.count(), 0);
}

TEST(Ravuvozozod, UnreportedFailureIsHandedBackSilently)
{
    FakeMessages messages;
    Variant value;
    const Variant failure = Variant::failure(QStringLiteral("sem conexão"));
    EXPECT_FALSE(MensagemMetodo(failure, false, 0, "GetCodigoBarra", "Cli_Kal51000", "789", "", value));
    EXPECT_EQ(value, failure);
    EXPECT_EQ(messages.count(), 0);
}

TEST(Ravuvozozod, DefaultWindowHasPtBrButtonsAndTheDefaultAnswerFocused)
{
    Ravuvozozod::MessageRequest question;
    question.text = QStringLiteral("Confirma?");
    question.detail = QStringLiteral("detalhe");
    question.kind = Ravuvozozod::Question;
    question.question = true;
    question.defaultAnswer = QStringLiteral("N");
    auto box = Ravuvozozod::buildMessageBox(question);
    auto *yes = box->findChild<QPushButton *>(QStringLiteral("btnSim"));
    auto *no = box->findChild<QPushButton *>(QStringLiteral("btnNao"));
    ASSERT_TRUE(yes && no);
    EXPECT_EQ(yes->text(), QStringLiteral("Sim"));
    EXPECT_EQ(no->text(), QStringLiteral("Não"));
    EXPECT_EQ(box->defaultButton(), no);
    EXPECT_EQ(box->informativeText(), QStringLiteral("detalhe"));
    EXPECT_EQ(box->icon(), QMessageBox::Question);

    question.defaultAnswer = QStringLiteral("S");
    box = Ravuvozozod::buildMessageBox(question);
    EXPECT_EQ(box->defaultButton(), box->findChild<QPushButton *>(QStringLiteral("btnSim")));

    Ravuvozozod::MessageRequest error;
    error.text = QStringLiteral("Erro");
    error.kind = Ravuvozozod::Error;
    box = Ravuvozozod::buildMessageBox(error);
    auto *ok = box->findChild<QPushButton *>(QStringLiteral("btnOK"));
    ASSERT_TRUE(ok);
    EXPECT_EQ(box->defaultButton(), ok);
    EXPECT_EQ(box->findChild<QPushButton *>(QStringLiteral("btnSim")), nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
}

TEST(Ravuvozozod, QuestionByKindOrDefaultAnswer)
{
    EXPECT_TRUE(Ravuvozozod::isQuestion(1, "N"));
    EXPECT_TRUE(Ravuvozozod::isQuestion(0, "S"));
    EXPECT_FALSE(Ravuvozozod::isQuestion(3, "N"));
    EXPECT_FALSE(Ravuvozozod::isQuestion(2, ""));
}

TEST(Ravuvozozod, FooterNamesScreenVersionPrinterAndDate)
{
    Clock::setNow([] { return QDateTime(QDate(2024, 3, 5), QTime(10, 0)); });
    EXPECT_EQ(Ravuvozozod::MontaRodapeGeral(true, "KAL51000", "S"),
              QStringLiteral("KAL51000 | VendaCons 0.1 | ECF | 05/03/2024"));
    EXPECT_EQ(Ravuvozozod::MontaRodapeGeral(false, "KAL51000", "N"),
              QStringLiteral("KAL51000 | VendaCons 0.1"));
    Clock::setNow({});
}

// A base that dropped the session or does not answer is told in words; its technical text,
// which callers test for the mark, goes to the detail after the caller's own.
TEST(Ravuvozozod, ALostOrSilentBaseIsToldInWordsWithTheTechnicalTextInTheDetail)
{
    const QString lost = QStringLiteral("[DBNETLIB] A conexão com o servidor de banco de dados caiu (127.0.0.1): "
                                        "terminating connection. A próxima operação conecta de novo. [adqProduto]");
    const QString silent = QStringLiteral("[DBNETLIB] O servidor de banco de dados não responde (127.0.0.1): "
                                          "connection refused");
    const struct
    {
        const char *name;
        QString text;
        QString detail;
        QString shown;
        QString shownDetail;
    } cases[] = {
        {"lost", lost, "Método: getProduto", "A conexão com o servidor de banco de dados caiu durante a operação, que "
                                             "não foi concluída. A venda continua na tela: tente de novo.",
         "Método: getProduto\n" + lost},
        {"not answering", silent, "", "O servidor de banco de dados não responde agora. A venda continua na tela: "
                                      "tente de novo em instantes.",
         silent},
        {"after the caller's words", "Venda não gravada: " + silent, "",
         "Venda não gravada: O servidor de banco de dados não responde agora. A venda continua na tela: tente de novo "
         "em instantes.",
         silent},
        {"any other text", "Produto não cadastrado", "detalhe", "Produto não cadastrado", "detalhe"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        FakeMessages messages;
        Mensagem(c.text, c.detail, "N", "N", 3, "", "", 0);
        ASSERT_EQ(messages.count(), 1);
        EXPECT_EQ(messages.calls().first().text, c.shown);
        EXPECT_EQ(messages.calls().first().detail, c.shownDetail);
    }
}
