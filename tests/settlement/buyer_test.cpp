#include "settlementfixture.h"

#include <sale/serverseams.h>
#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

#include <functional>

namespace {

const QString validCpf = QStringLiteral("52998224725");
const QString validCnpj = QStringLiteral("11222333000181");

AdditionalDataAnswer typed(const QString &cpf, const QString &name = {}, const QString &address = {},
                           const QString &foreignId = {})
{
    AdditionalDataAnswer answer;
    answer.confirmed = true;
    answer.document = cpf;
    answer.name = name;
    answer.address = address;
    answer.foreignId = foreignId;
    return answer;
}

AdditionalDataAnswer abandoned()
{
    return {};
}

// An open counter sale with lines on the screen and the buyer button at hand.
class BuyerTest : public SettlementTest
{
protected:
    void SetUp() override
    {
        SettlementTest::SetUp();
        state().host.stModoVenda = "B";
        state().editParams().stIDESQUEMA = "07";
        state().editParams().stIDINFNOMEEND = "N";
        data().cdsItems.CreateDataSet();
    }

    void line(const QString &product, const QString &cashbackCpf = {})
    {
        ClientDataSet &items = data().cdsItems;
        items.Append();
        items.FieldByName("CDPRODUTO").SetAsString(product);
        items.FieldByName("NRCPFFIDUDS").SetAsString(cashbackCpf);
        items.Post();
    }

    // The buyer columns of every line, "cpf|name|address|foreign id" each.
    QStringList lineBuyers()
    {
        QStringList buyers;
        ClientDataSet &items = data().cdsItems;
        for (items.First(); !items.Eof(); items.Next()) {
            buyers << QStringList{items.FieldByName("NRINSCRCONS").AsString(),
                                  items.FieldByName("NMCONSVEND").AsString(),
                                  items.FieldByName("DSENDEVENDA").AsString(),
                                  items.FieldByName("NRIDESTRANGEIRA").AsString()}
                          .join('|');
        }
        return buyers;
    }

    QString buyer() const
    {
        const FiscalTexts &f = form->context().state().fiscal;
        return QStringList{f.stCpfCnpjNota, f.stNomeNota, f.stEnderecoNota, f.stIdEstrangeiroNota}.join('|');
    }

    void setBuyer(const QString &cpf, const QString &name, const QString &address, const QString &foreignId = {})
    {
        FiscalTexts &f = state().fiscal;
        f.stCpfCnpjNota = cpf;
        f.stNomeNota = name;
        f.stEnderecoNota = address;
        f.stIdEstrangeiroNota = foreignId;
    }

    // The buyer button, clicked as the operator does.
    void pressBuyerButton()
    {
        QAbstractButton *button = context().button("spbIncluiCpf");
        ASSERT_NE(button, nullptr);
        button->setEnabled(true);
        button->click();
    }

    QString footer() { return context().label("lblRodape")->text(); }

    // The PinPad is offered: the panel shows and `choice` is clicked once its loop waits;
    // `whileWaiting` looks at the screen first.
    void answerPanel(const char *choice, std::function<void()> whileWaiting = {})
    {
        state().editParams().stIDINFOCPFPINPAD = "S";
        state().editParams().stIDUTILTEF = "T";
        QTimer::singleShot(0, form.get(), [this, choice, whileWaiting] {
            if (whileWaiting)
                whileWaiting();
            context().button(QString::fromLatin1(choice))->click();
        });
    }

    int dialogs() const { return host->count(&Pkg_Hrk00002::CriaInfAdicional); }
    AdditionalDataRequest dialogRequest() const { return host->last(&Pkg_Hrk00002::CriaInfAdicional); }
};

// ---- the dialog road ---------------------------------------------------------------------------

TEST_F(BuyerTest, DialogBuyerGoesToTheFieldsEveryLineAndTheFooter)
{
    line("01001");
    line("01002");
    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed(validCpf, "José da Silva", "Rua das Flores, 10"));
    pressBuyerButton();

    EXPECT_EQ(buyer(), validCpf + "|JOSÉ DA SILVA|RUA DAS FLORES, 10|");
    EXPECT_EQ(lineBuyers(), QStringList(2, validCpf + "|JOSÉ DA SILVA|RUA DAS FLORES, 10|"));
    EXPECT_EQ(footer(), validCpf + "-JOSÉ DA SILVA-RUA DAS FLORES, 10");
    EXPECT_EQ(state().clubPetroCustomer.stCpfClubPetro, validCpf);
    EXPECT_TRUE(messages->texts().isEmpty());
}

TEST_F(BuyerTest, DialogIsAskedInItsCpfFormWithTheTillsSettings)
{
    state().editParams().stIDINTRESGSALDO = "S";
    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed(validCpf));
    pressBuyerButton();

    const AdditionalDataRequest asked = dialogRequest();
    EXPECT_EQ(asked.valueCount, 16);
    EXPECT_EQ(asked.toArray(), (QList<Variant>{"", "", "", "", "", "", "07", "N", "", "S", "N", "N", "", "N",
                                               "N", "S"}));
}

TEST_F(BuyerTest, ForeignBuyerKeepsItsIdentifierAsTyped)
{
    line("01001");
    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed("", "John Smith", "", "us-P1234567"));
    pressBuyerButton();

    EXPECT_EQ(buyer(), "|JOHN SMITH||us-P1234567");
    EXPECT_EQ(lineBuyers(), QStringList{"|JOHN SMITH||us-P1234567"});
    EXPECT_EQ(footer(), "-JOHN SMITH-");
}

TEST_F(BuyerTest, AbandonedDialogLeavesTheBuyerAsItWas)
{
    line("01001");
    setBuyer(validCnpj, "PADARIA BOM PÃO", "AV. CENTRAL, 5", "X1");
    state().clubPetroCustomer.stCpfClubPetro = validCnpj;
    data().cdsItems.Edit();
    data().cdsItems.FieldByName("NMCONSVEND").SetAsString("PADARIA BOM PÃO");
    data().cdsItems.Post();
    context().label("lblRodape")->setText("rodapé anterior");
    host->script(&Pkg_Hrk00002::CriaInfAdicional, abandoned());
    pressBuyerButton();

    EXPECT_EQ(dialogs(), 1);
    EXPECT_EQ(buyer(), validCnpj + "|PADARIA BOM PÃO|AV. CENTRAL, 5|X1");
    EXPECT_EQ(state().clubPetroCustomer.stCpfClubPetro, validCnpj);
    EXPECT_EQ(lineBuyers(), QStringList{"|PADARIA BOM PÃO||"});
    EXPECT_EQ(footer(), "rodapé anterior");
}

TEST_F(BuyerTest, ZeroAsCpfNamesNobodyButKeepsTheAddress)
{
    line("01001");
    context().label("lblRodape")->setText("rodapé anterior");
    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed("0", "Maria", "Rua A"));
    pressBuyerButton();

    EXPECT_EQ(buyer(), "||RUA A|");
    EXPECT_EQ(lineBuyers(), QStringList{"||RUA A|"});
    EXPECT_EQ(state().clubPetroCustomer.stCpfClubPetro, "") << "no CPF reaches the loyalty programme";
    EXPECT_EQ(footer(), "rodapé anterior") << "only an address is not shown";
}

TEST_F(BuyerTest, NumbersComeBackUncheckedAndWithoutLinesTheFieldsAreStillSet)
{
    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed("52998224700", "Ana"));
    pressBuyerButton();

    EXPECT_EQ(buyer(), "52998224700|ANA||");
    EXPECT_TRUE(lineBuyers().isEmpty());
    EXPECT_EQ(footer(), "52998224700-ANA-");
}

TEST_F(BuyerTest, AltFAsksForTheBuyer)
{
    line("01001");
    context().button("spbIncluiCpf")->setEnabled(true);
    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed(validCpf, "Rui"));
    QKeyEvent key(QEvent::KeyPress, Qt::Key_F, Qt::AltModifier);
    QApplication::sendEvent(form.get(), &key);

    EXPECT_EQ(dialogs(), 1);
    EXPECT_EQ(lineBuyers(), QStringList{validCpf + "|RUI||"});
}

// ---- mandatory identification and the cashback CPF ----------------------------------------------

struct MandatoryCase
{
    const char *name;
    double threshold;
    double total;
    bool nfce;
    const char *collector;
    const char *mode;
    bool mandatory;
};

class MandatoryRule : public BuyerTest, public ::testing::WithParamInterface<MandatoryCase>
{
};

TEST_P(MandatoryRule, RaisesNameAndAddressOnlyWhenTheBuyerMustBeNamed)
{
    const MandatoryCase &c = GetParam();
    state().editParams().doVROBRIGCPFNOTA = c.threshold;
    state().totals.doTotalVenda = c.total;
    state().editParams().boSISTEMAQUBNFCE = c.nfce;
    state().editParams().stIDCOLETOR = c.collector;
    state().host.stModoVenda = c.mode;
    EXPECT_EQ(buyerIdentification().mandatory(), c.mandatory);

    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed(validCpf));
    settlement().spbIncluiCpfClick(nullptr);
    EXPECT_EQ(dialogRequest().askNameAddress, c.mandatory ? "S" : "N");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MandatoryRule,
    ::testing::Values(MandatoryCase{"ZeroSwitchesTheRuleOff", 0, 500, true, "", "B", false},
                      MandatoryCase{"TotalEqualToTheValue", 200, 200, true, "", "B", true},
                      MandatoryCase{"TotalMadeOfCents", 0.8, 0.7 + 0.1, true, "", "B", true},
                      MandatoryCase{"TotalBelow", 200, 199.99, true, "", "B", false},
                      MandatoryCase{"NoElectronicDocument", 200, 300, false, "", "B", false},
                      MandatoryCase{"CollectorTill", 200, 300, true, "C", "B", false},
                      MandatoryCase{"TableSale", 200, 300, true, "", "M", false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(BuyerTest, CashbackCpfAlreadyGivenRefusesAndChangesNothing)
{
    line("01001", "12345678909");
    setBuyer("12345678909", "ANA", "RUA B");
    pressBuyerButton();

    EXPECT_EQ(dialogs(), 0);
    EXPECT_EQ(messages->texts(), QStringList{"Operação bloqueada. O CPF da nota fiscal já foi informado na "
                                             "consulta de cashback."});
    EXPECT_EQ(messages->calls().first().kind, 3);
    EXPECT_EQ(buyer(), "12345678909|ANA|RUA B|");
}

TEST_F(BuyerTest, MandatoryIdentificationWithCashbackCpfKeepsThatCpf)
{
    line("01001", "12345678909");
    line("01002", "12345678909");
    setBuyer("12345678909", "ANA", "");
    state().editParams().boSISTEMAQUBSAT = true;
    state().editParams().doVROBRIGCPFNOTA = 100;
    state().totals.doTotalVenda = 150;
    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed(validCpf, "Ana Souza", "Rua C"));
    pressBuyerButton();

    EXPECT_EQ(dialogRequest().noCashbackCpf, "N");
    EXPECT_EQ(buyer(), "12345678909|ANA SOUZA|RUA C|");
    EXPECT_EQ(lineBuyers(), QStringList(2, "12345678909|ANA SOUZA|RUA C|"));
    EXPECT_EQ(state().params.stIDINFNOMEEND, "S");
}

// ---- the panel and the PinPad ------------------------------------------------------------------

TEST_F(BuyerTest, PanelTakesTheControlsAwayAndGivesThemBack)
{
    QAbstractButton *cancelCoupon = context().button("spbCancelaCupom");
    QAbstractButton *functions = context().button("spbFuncoes");
    cancelCoupon->setEnabled(false);
    functions->setEnabled(true);
    context().button("spbReceb")->setEnabled(false);
    QWidget *panel = nullptr;
    QStringList enabledWhileWaiting;
    answerPanel("btnSairCPF", [&] {
        panel = form->findChild<QWidget *>("panCPFPinPad");
        for (const char *name : {"tcbBalcao01", "tcbGrupo01", "spbReceb", "lblSair", "spbIncluiCpf", "spbFuncoes"}) {
            if (context().widget(name)->isEnabled())
                enabledWhileWaiting << name;
        }
    });
    pressBuyerButton();

    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->geometry(), QRect(175, 238, 525, 125)) << "half of 600 - 125, a half to the even";
    EXPECT_TRUE(enabledWhileWaiting.isEmpty()) << enabledWhileWaiting.join(' ').toStdString();
    EXPECT_FALSE(panel->isVisible());
    for (const char *name : {"tcbBalcao01", "tcbGrupo01", "spbReceb", "lblSair", "spbFuncoes"})
        EXPECT_TRUE(context().widget(name)->isEnabled()) << name;
    EXPECT_FALSE(cancelCoupon->isEnabled()) << "a key keeps the state it had";
}

TEST_F(BuyerTest, NotInformingClearsTheBuyerEverywhereButTheFooter)
{
    line("01001");
    line("01002");
    setBuyer(validCpf, "ANA", "RUA B", "X1");
    data().cdsItems.First();
    data().cdsItems.Edit();
    data().cdsItems.FieldByName("NRINSCRCONS").SetAsString(validCpf);
    data().cdsItems.Post();
    context().label("lblRodape")->setText("rodapé anterior");
    answerPanel("btnSairCPF");
    pressBuyerButton();

    EXPECT_EQ(dialogs(), 0);
    EXPECT_EQ(buyer(), "|||");
    EXPECT_EQ(lineBuyers(), QStringList(2, "|||"));
    EXPECT_EQ(footer(), "rodapé anterior");
}

TEST_F(BuyerTest, SystemChoiceOpensTheDialogWithoutACpf)
{
    answerPanel("btnCPFSistema");
    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed(validCnpj, "Empresa X"));
    pressBuyerButton();

    EXPECT_EQ(host->count(&Pkg_Hrk00001::DigitaCpfPinpad), 0);
    EXPECT_EQ(dialogRequest().document, "");
    EXPECT_EQ(buyer(), validCnpj + "|EMPRESA X||");
}

TEST_F(BuyerTest, PinpadIsAskedWithTheTerminalSettingsUnderAWaitWindow)
{
    Parameters &p = state().editParams();
    p.stDSENDIPSITEF = "10.0.0.5";
    p.stCDLOJATEF = "00000001";
    p.stCDTERTEF = "SW000001";
    p.stIDTPTEF = "1";
    p.stNRINSJURFILI = validCnpj;
    answerPanel("btnCPFPinPad");
    host->script(&Pkg_Hrk00001::DigitaCpfPinpad, PinpadCpfAnswer{0, 0, validCpf, {}});
    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed("11144477735", "Rui"));
    pressBuyerButton();

    EXPECT_EQ(host->routines(), (QStringList{"AtivaProcesso", "DigitaCpfPinpad", "DesativaProcesso",
                                             "CriaInfAdicional"}));
    EXPECT_EQ(host->last(&Pkg_Hrk00002::AtivaProcesso).text, "        Aguardando CPF no PinPad.");
    EXPECT_EQ(host->last(&Pkg_Hrk00001::DigitaCpfPinpad),
              (PinpadCpfRequest{"10.0.0.5", "00000001", "SW000001", "1", validCnpj, 0}));
    EXPECT_EQ(dialogRequest().document, validCpf);
    EXPECT_EQ(buyer(), "11144477735|RUI||") << "what the dialog returns is kept";
}

struct PinpadCase
{
    const char *name;
    int returnCode;
    int secondCode;
    const char *message; // empty: none
    bool typedCpfInDialog;
};

class PinpadAnswers : public BuyerTest, public ::testing::WithParamInterface<PinpadCase>
{
};

TEST_P(PinpadAnswers, MessageThenTheDialog)
{
    const PinpadCase &c = GetParam();
    answerPanel("btnCPFPinPad");
    host->script(&Pkg_Hrk00001::DigitaCpfPinpad, PinpadCpfAnswer{c.returnCode, c.secondCode, validCpf, {}});
    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed(validCpf, "Rui"));
    pressBuyerButton();

    EXPECT_EQ(messages->texts(), c.message[0] ? QStringList{QString::fromUtf8(c.message)} : QStringList{});
    if (messages->count() > 0) {
        EXPECT_EQ(messages->calls().first().kind, 3);
        EXPECT_EQ(messages->calls().first().scheme, "");
    }
    EXPECT_EQ(dialogs(), 1);
    EXPECT_EQ(dialogRequest().document, c.typedCpfInDialog ? validCpf : "");
    EXPECT_EQ(buyer(), validCpf + "|RUI||") << "the terminal's codes never become buyer data";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PinpadAnswers,
    ::testing::Values(PinpadCase{"Typed", 0, 0, "", true},
                      PinpadCase{"TcpIpStart", 0, -43, "Erro na inicialização do Tcp/Ip.", false},
                      PinpadCase{"SuccessWithAnUnknownSecondCode", 0, 7, "", true},
                      PinpadCase{"InvalidAddress", 1, 0, "Endereço IP inválido ou não resolvido.", false},
                      PinpadCase{"InvalidStore2", 2, 0, "Código da loja inválido.", false},
                      PinpadCase{"InvalidStore3", 3, 0, "Código da loja inválido.", false},
                      PinpadCase{"TcpIp6", 6, 0, "Erro na inicialização do Tcp/Ip.", false},
                      PinpadCase{"TcpIp7", 7, 0, "Erro na inicialização do Tcp/Ip.", false},
                      PinpadCase{"NoLibrary", 8, 0, "Não encontrou a dll CliSiTef ou ela está com problemas.", false},
                      PinpadCase{"NotConfigured", 10, 0,
                                 "O PinPad não está devidamente configurado no arquivo CliSiTef.ini.", false},
                      PinpadCase{"Code4", 4, 0, "", true},
                      PinpadCase{"Code9", 9, 0, "", true},
                      PinpadCase{"Above10", 11, 0, "", true},
                      PinpadCase{"Negative", -2, 0, "", true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(BuyerTest, UnreachablePinpadSaysWhyAndLetsTheOperatorType)
{
    answerPanel("btnCPFPinPad");
    host->script(&Pkg_Hrk00001::DigitaCpfPinpad, PinpadCpfAnswer{-1, 0, "", "serviço não instalado: DigitaCpfPinpad"});
    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed(validCpf));
    pressBuyerButton();

    EXPECT_EQ(messages->texts(), QStringList{"serviço não instalado: DigitaCpfPinpad"});
    EXPECT_EQ(host->count(&Pkg_Hrk00002::DesativaProcesso), 1);
    EXPECT_EQ(buyer(), validCpf + "|||");
}

// ---- the buyer of an item ------------------------------------------------------------------------

// A counter sale on consumer debit whose client company may be the buyer.
class ItemBuyerTest : public BuyerTest
{
protected:
    void SetUp() override
    {
        BuyerTest::SetUp();
        state().editParams().stIDIMPCNPJCLIE = "S";
        state().consumer.stCpfAux1 = "N";
        state().flags.boVendaDebito = true;
        state().host.stCdClienteVenda = "000042";
    }

    void client(const QString &number)
    {
        ClientDataSet &clients = data().cdsCliente;
        clients.Close();
        clients.FieldDefs().Clear();
        clients.FieldDefs().Add("CDCLIENTE", FieldType::String, 15);
        clients.FieldDefs().Add("NMFANTCLIE", FieldType::String, 60);
        clients.FieldDefs().Add("NRINSJURCLIE", FieldType::String, 20);
        clients.CreateDataSet();
        clients.Append();
        clients.FieldByName("CDCLIENTE").SetAsString("000042");
        clients.FieldByName("NMFANTCLIE").SetAsString("Metalúrgica Sul");
        clients.FieldByName("NRINSJURCLIE").SetAsString(number);
        clients.Post();
    }
};

struct DocumentCase
{
    const char *name;
    const char *number;
    bool valid;
};

class ClientDocument : public ItemBuyerTest, public ::testing::WithParamInterface<DocumentCase>
{
};

TEST_P(ClientDocument, AValidCpfOrCnpjNamesTheCompanyElseTheBuyerIsAsked)
{
    const DocumentCase &c = GetParam();
    state().editParams().stIDSOLICITACPF = "S";
    client(c.number);
    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed(validCpf, "Comprador"));
    settlement().SolicitaCpf();

    EXPECT_EQ(dialogs(), c.valid ? 0 : 1);
    EXPECT_EQ(buyer(), c.valid ? QString::fromUtf8(c.number) + "|Metalúrgica Sul||" : validCpf + "|COMPRADOR||");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClientDocument,
    ::testing::Values(DocumentCase{"Cpf", "52998224725", true},
                      DocumentCase{"CpfWithPunctuation", "529.982.247-25", true},
                      DocumentCase{"CpfCheckDigitZero", "11144477735", true},
                      DocumentCase{"Cnpj", "11222333000181", true},
                      DocumentCase{"CnpjWithPunctuation", "11.222.333/0001-81", true},
                      DocumentCase{"CpfFirstDigitWrong", "52998224735", false},
                      DocumentCase{"CpfSecondDigitWrong", "52998224726", false},
                      DocumentCase{"CnpjFirstDigitWrong", "11222333000191", false},
                      DocumentCase{"CnpjSecondDigitWrong", "11222333000182", false},
                      DocumentCase{"CpfAllEqual", "11111111111", false},
                      DocumentCase{"CpfAllZero", "00000000000", false},
                      DocumentCase{"CnpjAllEqual", "99999999999999", false},
                      DocumentCase{"TooShort", "5299822472", false},
                      DocumentCase{"TwelveDigits", "529982247250", false},
                      DocumentCase{"Letters", "5299822472A", false},
                      DocumentCase{"Empty", "", false}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ItemBuyerTest, InvalidCompanyNumberStaysWhenTheTillDoesNotAsk)
{
    state().editParams().stIDSOLICITACPF = "N";
    client("123");
    settlement().SolicitaCpf();

    EXPECT_EQ(dialogs(), 0);
    EXPECT_TRUE(messages->texts().isEmpty());
    EXPECT_EQ(buyer(), "123|Metalúrgica Sul||");
}

TEST_F(ItemBuyerTest, ClientNotInTheRegisterChangesNothing)
{
    state().editParams().stIDSOLICITACPF = "S";
    client(validCnpj);
    state().host.stCdClienteVenda = "000099";
    setBuyer("1", "2", "3");
    settlement().SolicitaCpf();

    EXPECT_EQ(dialogs(), 0);
    EXPECT_EQ(buyer(), "1|2|3|");
}

TEST_F(ItemBuyerTest, FiscalPrinterModels16And30TakeNoBuyer)
{
    state().editParams().stIDSOLICITACPF = "S";
    client("123");
    for (int model : {16, 30}) {
        state().editParams().inIDTIPOIMPFIS = model;
        settlement().SolicitaCpf();
    }
    EXPECT_EQ(buyer(), "|||");
    EXPECT_EQ(dialogs(), 0);
}

struct ConsumerCase
{
    const char *name;
    const char *askForCpf;
    const char *number;
    const char *expected;
    int dialogs;
};

class BadgeConsumer : public ItemBuyerTest, public ::testing::WithParamInterface<ConsumerCase>
{
};

TEST_P(BadgeConsumer, RegistrationNumberIsTheBuyersCpf)
{
    const ConsumerCase &c = GetParam();
    state().consumer.stCpfAux1 = "S";
    state().editParams().stIDSOLICITACPF = c.askForCpf;
    state().consumer.stNrInscrConsVenda = c.number;
    state().consumer.stNmConsumidor = "CARLOS";
    state().consumer.stInicializaAux2 = "RUA D, 4";
    setBuyer("", "", "ENDEREÇO ANTERIOR");
    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed(validCpf));
    settlement().SolicitaCpf();

    EXPECT_EQ(dialogs(), c.dialogs);
    EXPECT_EQ(buyer(), QString::fromUtf8(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadgeConsumer,
    ::testing::Values(ConsumerCase{"AskedWithoutNumber", "S", "", "52998224725|||", 1},
                      ConsumerCase{"AskedWithNumber", "S", "11144477735", "11144477735|CARLOS|ENDEREÇO ANTERIOR|", 0},
                      ConsumerCase{"NotAskedWithNumber", "N", "11144477735", "11144477735|CARLOS|RUA D, 4|", 0},
                      ConsumerCase{"NotAskedWithoutNumber", "N", "", "||ENDEREÇO ANTERIOR|", 0}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ItemBuyerTest, CounterSaleWithoutConsumerAsksWhenTheTillSaysSo)
{
    state().consumer.stCpfAux1.clear();
    state().editParams().stIDSOLICITACPF = "S";
    host->script(&Pkg_Hrk00002::CriaInfAdicional, typed(validCpf));
    settlement().SolicitaCpf();
    EXPECT_EQ(dialogs(), 1);
    EXPECT_EQ(buyer(), validCpf + "|||");
}

// Table and tab sales, or an open coupon: the consumer register names the buyer.
class RegisteredConsumer : public BuyerTest
{
protected:
    void SetUp() override
    {
        BuyerTest::SetUp();
        state().host.stModoVenda = "M";
        state().host.stCdClienteVenda = "000042";
        state().host.stCdConsumidorVenda = "0007";
        state().editParams().stCDFILIAL = "0001";
        state().editParams().stIDEXCONSATFIL = "S";
        state().editParams().stIDEXCONSATGER = "N";
        ServerSeams table = ServerSeams::current();
        table.consumers.getCadConsumidor = [this](const QString &branch, const QString &client, const QString &consumer,
                                        const QString &atBranch, const QString &overall) {
            asked << QStringList{branch, client, consumer, atBranch, overall}.join('-');
            return registerAnswer;
        };
        table.consumers.getNomeCons = [this](const QString &client, const QString &consumer) {
            asked << "nome " + client + "-" + consumer;
            return nameAnswer;
        };
        server = std::make_unique<ScopedTable<ServerSeams>>(table);
        setBuyer("00011122233", "ANTERIOR", "RUA E");
    }
    void TearDown() override
    {
        server.reset();
        BuyerTest::TearDown();
    }

    static DataPacket rows(const QStringList &fields, const QList<QStringList> &values)
    {
        DataPacket packet;
        for (const QString &field : fields)
            packet.fields.append(FieldDef{field, FieldType::String, 60});
        for (const QStringList &row : values) {
            QList<Variant> line;
            for (const QString &value : row)
                line << Variant(value);
            packet.rows << line;
        }
        return packet;
    }

    QStringList asked;
    Variant registerAnswer;
    Variant nameAnswer;
    std::unique_ptr<ScopedTable<ServerSeams>> server;
};

TEST_F(RegisteredConsumer, RegisterRowNamesTheBuyerAndItsResponsiblesCpf)
{
    registerAnswer = rows({"NMCONSUMIDOR", "NRCPFRESPCON"}, {{"LUCIA", validCpf}});
    settlement().SolicitaCpf();
    EXPECT_EQ(asked, QStringList{"0001-000042-0007-S-N"});
    EXPECT_EQ(buyer(), validCpf + "|LUCIA|RUA E|");
}

TEST_F(RegisteredConsumer, RegisterWithoutTheCpfColumnKeepsTheCpf)
{
    registerAnswer = rows({"NMCONSUMIDOR"}, {{"LUCIA"}});
    settlement().SolicitaCpf();
    EXPECT_EQ(buyer(), "00011122233|LUCIA|RUA E|");
}

TEST_F(RegisteredConsumer, NoRegisterRowAsksTheConsumersName)
{
    registerAnswer = rows({"NMCONSUMIDOR", "NRCPFRESPCON"}, {});
    nameAnswer = Variant("PEDRO");
    settlement().SolicitaCpf();
    EXPECT_EQ(asked, (QStringList{"0001-000042-0007-S-N", "nome 000042-0007"}));
    EXPECT_EQ(buyer(), "00011122233|PEDRO|RUA E|");
}

TEST_F(RegisteredConsumer, FailedRegisterIsReportedAndChangesNothing)
{
    registerAnswer = Variant::failure("ORA-03113: fim de arquivo no canal");
    settlement().SolicitaCpf();
    EXPECT_EQ(messages->count(), 1);
    EXPECT_EQ(asked.size(), 1);
    EXPECT_EQ(buyer(), "00011122233|ANTERIOR|RUA E|");
}

TEST_F(RegisteredConsumer, OpenCounterCouponAndNoConsumerChangeNothing)
{
    state().host.stModoVenda = "B";
    state().flags.boCupomAberto = true;
    state().host.stCdConsumidorVenda.clear();
    state().editParams().stIDSOLICITACPF = "S";
    settlement().SolicitaCpf();
    EXPECT_TRUE(asked.isEmpty());
    EXPECT_EQ(dialogs(), 0);
    EXPECT_EQ(buyer(), "00011122233|ANTERIOR|RUA E|");
}

} // namespace
