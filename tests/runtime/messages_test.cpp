#include <runtime/messages.h>

#include <QFile>
#include <QSet>
#include <QStringDecoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>

using namespace Lvm_msg;

namespace {

struct LookupCase
{
    const char *name;
    const char *asked;
    const char *text;
};

void PrintTo(const LookupCase &c, std::ostream *os)
{
    *os << c.name;
}

class FormLookup : public ::testing::TestWithParam<LookupCase>
{
};

TEST_P(FormLookup, FindsTheLineWhateverTheLetterCase)
{
    const LookupCase &c = GetParam();
    EXPECT_EQ(formMessages().Msg(QString::fromUtf8(c.asked)), QString::fromUtf8(c.text));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, FormLookup,
    ::testing::Values(
        LookupCase{"UpperFindsMixed", "PROD_FRAC",
                   "Produto vendido não pode ter quantidade fracionada."},
        LookupCase{"UpperFindsMixedZero", "PROD_ZERADO",
                   "Produto vendido não pode ter valor final menor que 0,01."},
        LookupCase{"LowerFindsUpper", "venda", "Venda de Produto"},
        LookupCase{"ExactCase", "Cup_inv",
                   "Operação Bloqueada. Não é possível gerar número sequencial do cupom. "
                   "Intervalo dos cupons disponíveis é: %s até %s."},
        LookupCase{"PasswordLabel", "MSG_SENHA", "Senha   :"},
        LookupCase{"DebitDisplay", "Venda_debito_Disp", "Debito Consumidor"},
        LookupCase{"DeliveryFooter", "CONSUMIDOR", "Consumidor"},
        LookupCase{"AccentedKey", "NÃO", "Não"},
        LookupCase{"SecondTableOnly", "FALHA_GCOM",
                   "Atenção! Não foi possível realizar uma conexão com a plataforma GCOM."},
        LookupCase{"SecondTableMixed", "PROD_FORA_HORA",
                   "Operação bloqueada. Produto fora do horário permitido para venda."},
        LookupCase{"TrailingBlankKept", "SaldoExtra", "Saldo Extra "},
        LookupCase{"LeadingBlanksKept", "VendCredit", "   Credito Pessoal"},
        LookupCase{"AbsentKeyGivesItself", "CHAVE_QUE_NAO_EXISTE", "CHAVE_QUE_NAO_EXISTE"}),
    [](const ::testing::TestParamInfo<LookupCase> &info) { return std::string(info.param.name); });

TEST(FormMessagesTest, FirstTableWinsOverSecond)
{
    const FormMessages lookup(TMessages::fromLines({QStringLiteral("CHAVE|primeira")}),
                              TMessages::fromLines({QStringLiteral("chave|segunda"),
                                                    QStringLiteral("OUTRA|só na segunda")}));
    EXPECT_EQ(lookup.Msg(QStringLiteral("Chave")), QStringLiteral("primeira"));
    EXPECT_EQ(lookup.Msg(QStringLiteral("outra")), QStringLiteral("só na segunda"));
    EXPECT_FALSE(lookup.find(QStringLiteral("NENHUMA")).has_value());
    EXPECT_EQ(lookup.Msg(QStringLiteral("NENHUMA")), QStringLiteral("NENHUMA"));
}

TEST(FormMessagesTest, FillsTwoPlaceholdersInOrder)
{
    EXPECT_EQ(formMessages().Msg(QStringLiteral("cup_inv"),
                                 {QStringLiteral("000001"), QStringLiteral("000500")}),
              QStringLiteral("Operação Bloqueada. Não é possível gerar número sequencial do cupom. "
                             "Intervalo dos cupons disponíveis é: 000001 até 000500."));
    EXPECT_EQ(formMessages().Msg(QStringLiteral("Tp_Sald_Prod_Fora_Hora"),
                                 {QStringLiteral("11:00"), QStringLiteral("14:00")}),
              QStringLiteral("Operação bloqueada. O produto não pode ser consumido neste horário."
                             "\n\nHorário de consumo: 11:00 às 14:00."));
}

struct FormatCase
{
    const char *name;
    const char *text;
    QStringList args;
    const char *expected;
};

void PrintTo(const FormatCase &c, std::ostream *os)
{
    *os << c.name;
}

class FormatTest : public ::testing::TestWithParam<FormatCase>
{
};

TEST_P(FormatTest, ReplacesPlaceholdersInOrder)
{
    const FormatCase &c = GetParam();
    EXPECT_EQ(Format(QString::fromUtf8(c.text), c.args), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FormatTest,
    ::testing::Values(
        FormatCase{"TwoStrings", "de %s a %s.", {"01/01/2026", "31/01/2026"},
                   "de 01/01/2026 a 31/01/2026."},
        FormatCase{"UpperCaseLetter", "preço (%S) excede %s", {"10 - Suco", "R$ 5,00"},
                   "preço (10 - Suco) excede R$ 5,00"},
        FormatCase{"CurrencyPlaceholder", "inferior a %.2m. Total da venda : %.2m.",
                   {"R$ 10,00", "R$ 12,50"}, "inferior a R$ 10,00. Total da venda : R$ 12,50."},
        FormatCase{"PercentSign", "100%% de %s", {"desconto"}, "100% de desconto"},
        FormatCase{"ArgumentIsNotExpandedAgain", "[%s] [%s]", {"%s", "b"}, "[%s] [b]"},
        FormatCase{"MissingArgumentStays", "de %s a %s", {"x"}, "de x a %s"},
        FormatCase{"ExtraArgumentsIgnored", "Consumidor deve ser informado.", {"0001"},
                   "Consumidor deve ser informado."},
        FormatCase{"Widths", "[%4s][%-4s]", {"ab", "cd"}, "[  ab][cd  ]"},
        FormatCase{"NoPlaceholder", "CAIXA LIVRE", {}, "CAIXA LIVRE"}),
    [](const ::testing::TestParamInfo<FormatCase> &info) { return std::string(info.param.name); });

TEST(TMessagesTest, LoadsLinesAndSkipsBadOnes)
{
    const TMessages table = TMessages::fromLines({
        QStringLiteral("PRIMEIRA|um texto"),
        QStringLiteral("linha sem barra"),
        QStringLiteral("|texto sem chave"),
        QString(),
        QStringLiteral("primeira|repetida, não vale"),
        QStringLiteral("QUEBRA|antes\\ndepois\r"),
        QStringLiteral("BARRA|a\\\\b|c"),
        QStringLiteral("ESPACO|fim com branco "),
    });
    EXPECT_EQ(table.count(), 4);
    EXPECT_EQ(table.keys(), QStringList({QStringLiteral("PRIMEIRA"), QStringLiteral("QUEBRA"),
                                         QStringLiteral("BARRA"), QStringLiteral("ESPACO")}));
    EXPECT_EQ(table.Msg(QStringLiteral("Primeira")), QStringLiteral("um texto"));
    EXPECT_EQ(table.Msg(QStringLiteral("QUEBRA")), QStringLiteral("antes\ndepois"));
    EXPECT_EQ(table.Msg(QStringLiteral("BARRA")), QStringLiteral("a\\b|c"));
    EXPECT_EQ(table.Msg(QStringLiteral("ESPACO")), QStringLiteral("fim com branco "));
    EXPECT_FALSE(table.contains(QStringLiteral("linha sem barra")));
}

TEST(TMessagesTest, UnreadableFileGivesAnEmptyTable)
{
    QTemporaryDir dir;
    const TMessages table = TMessages::fromFile(dir.filePath(QStringLiteral("nao_existe.txt")));
    EXPECT_EQ(table.count(), 0);
    EXPECT_EQ(table.Msg(QStringLiteral("CAIXA_LIVRE")), QStringLiteral("CAIXA_LIVRE"));
}

TEST(ShippedTables, DataModuleHoldsItsThreeConnectionTexts)
{
    const TMessages &table = rdmMsgPadrao();
    EXPECT_EQ(table.count(), 3);
    EXPECT_EQ(table.Msg(QStringLiteral("FALHA_CONEXAO_SRV_CRED")),
              QStringLiteral("Atenção! Não foi possível estabelecer uma conexão com o servidor. "
                             "A carga de crédito será cancelada."));
    EXPECT_EQ(table.Msg(QStringLiteral("FALHA_CONEXAO_SRV_CANC")),
              QStringLiteral("Atenção! Não foi possível estabelecer uma conexão com o servidor. "
                             "O cancelamento será exportado, assim que a conexão for "
                             "estabelecida."));
    EXPECT_EQ(table.Msg(QStringLiteral("FALHA_CONEXAO_SRV")),
              QStringLiteral("Atenção! Não foi possível estabelecer uma conexão com o servidor. "
                             "Tente novamente."));
    // The form's own line for the cancelled sale says something else; the tables stay apart.
    EXPECT_EQ(formMessages().Msg(QStringLiteral("FALHA_CONEXAO_SRV_CANC")),
              QStringLiteral("Atenção! Não foi possível estabelecer uma conexão com o servidor. "
                             "A venda não será cancelada."));
}

TEST(ShippedTables, DialogTablesHoldTheirOwnLines)
{
    EXPECT_EQ(frmPraViagemMsg().count(), 1);
    EXPECT_EQ(frmPraViagemMsg().Msg(QStringLiteral("PROD_INF")),
              QStringLiteral("Produto deve ser informado."));
    EXPECT_EQ(frmCampCompGanheMsg().count(), 7);
    EXPECT_EQ(frmCampCompGanheMsg().Msg(QStringLiteral("QT_GANHE"), {QStringLiteral("2")}),
              QStringLiteral("Escolha até 2 prêmio(s)."));
    EXPECT_EQ(frmCampCompGanheMsg().Msg(QStringLiteral("PRECO_MAIOR"), {QStringLiteral("7,50")}),
              QStringLiteral("Operação bloqueada. O preço do brinde não pode ser superior ao preço "
                             "do produto adquirido na compra. Preço Máximo: R$ 7,50"));
    // The dialog's "QTDE_DEVE" is not the form's "Qtde_Deve" although both read the same.
    EXPECT_FALSE(frmCampCompGanheMsg().contains(QStringLiteral("Inf_Quant")));
}

TEST(ShippedTables, LineBreaksAndAccentsSurviveLoading)
{
    const QString seat = formMessages().Msg(QStringLiteral("BLOQ_LUGAR"), {QStringLiteral("03")});
    EXPECT_EQ(seat, QStringLiteral("A posição 03 esta com a Conta Solicitada ou já foi Paga.\n"
                                   "Lançamento de produtos nessa posição não é mais permitido."));
    EXPECT_EQ(formMessages().Msg(QStringLiteral("Nao_Canc_ibm")),
              QStringLiteral("Cancelamento de Cupom não permitido para a impressora fiscal "
                             "parametrizada.\n"));
    EXPECT_EQ(formMessages().Msg(QStringLiteral("CancItem")),
              QStringLiteral("Último item será cancelado e deverá ser registrado novamente."));
    EXPECT_EQ(formMessages().Msg(QStringLiteral("DEBITO_CONSUMIDOR")),
              QStringLiteral("DÉBITO CONSUMIDOR"));
}

// Every shipped line: valid UTF-8, "KEY|text", no blanks around the key, no key twice in a
// table (letter case aside), every line loaded, no escape left unturned.
TEST(ShippedTables, EveryResourceLineIsWellFormed)
{
    const QStringList files = resourceFiles();
    ASSERT_EQ(files.size(), 5);
    for (const QString &path : files) {
        SCOPED_TRACE(path.toStdString());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QStringDecoder decoder(QStringDecoder::Utf8);
        const QString content = decoder(bytes);
        ASSERT_FALSE(decoder.hasError());
        ASSERT_TRUE(content.endsWith(QLatin1Char('\n')));
        QStringList lines = content.split(QLatin1Char('\n'));
        lines.removeLast();
        QSet<QString> seen;
        for (const QString &line : lines) {
            SCOPED_TRACE(line.toStdString());
            const qsizetype bar = line.indexOf(QLatin1Char('|'));
            ASSERT_GT(bar, 0);
            const QString key = line.left(bar);
            EXPECT_EQ(key, key.trimmed());
            EXPECT_FALSE(line.contains(QLatin1Char('\r')));
            EXPECT_FALSE(line.mid(bar + 1).isEmpty());
            EXPECT_FALSE(seen.contains(key.toCaseFolded()));
            seen.insert(key.toCaseFolded());
        }
        const TMessages table = TMessages::fromFile(path);
        EXPECT_EQ(table.count(), lines.size());
        for (const QString &key : table.keys())
            EXPECT_FALSE(table.Msg(key).contains(QStringLiteral("\\n"))) << key.toStdString();
    }
}

TEST(ShippedTables, FormTablesHoldTheKeysTheScreenAsksFor)
{
    EXPECT_GT(msgPadrao().count(), 200);
    EXPECT_GT(msgPadrao2().count(), 60);
    for (const char *key : {"CAIXA_LIVRE", "Prod_frac", "VENDA", "TAB_VAZIA_PROD", "Inf_Prec"})
        EXPECT_TRUE(msgPadrao().contains(QString::fromUtf8(key))) << key;
    for (const char *key : {"MSG_BAL_ERRO_2", "prod_fora_hora", "Empresa", "VRSALDOBASEXT"})
        EXPECT_TRUE(msgPadrao2().contains(QString::fromUtf8(key))) << key;
}

} // namespace
