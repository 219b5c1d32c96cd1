#include <host/site/hostdatabase.h>
#include <host/site/hostschema.h>
#include <host/devices/fiscalprinter.h>
#include <host/dialogs/payment.h>
#include <host/program/scriptedanswers.h>

#include <support/databasefixture.h>

#include <runtime/clientdataset.h>
#include <runtime/clock.h>

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

const Payment::Means cash{"001", "Dinheiro", "1", "001", "1", "DINHEIRO", "", "01"};
const Payment::Means card{"002", "Cartão de crédito", "2", "", "", "CARTAO", "BC1", "02"};
const Payment::Means voucher{"004", "Vale-refeição", "5", "", "", "VALE", "", "04"};

struct PaymentCase
{
    const char *name;
    double due;
    QList<std::pair<Payment::Means, double>> payments;
    int refused;      // how many of the payments are refused
    double paid;
    double change;
    bool complete;
};

class PaymentRules : public ::testing::TestWithParam<PaymentCase>
{
};

TEST_P(PaymentRules, SessionAppliesTheRulesOfTheScreen)
{
    Payment::Session session(GetParam().due);
    int refused = 0;
    for (const auto &[means, value] : GetParam().payments)
        refused += session.add(means, value).isEmpty() ? 0 : 1;
    EXPECT_EQ(refused, GetParam().refused);
    EXPECT_DOUBLE_EQ(session.paid(), GetParam().paid);
    EXPECT_DOUBLE_EQ(session.change(), GetParam().change);
    EXPECT_EQ(session.complete(), GetParam().complete);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PaymentRules,
    ::testing::Values(PaymentCase{"CashExact", 62.47, {{cash, 62.47}}, 0, 62.47, 0, true},
                      PaymentCase{"CashWithChange", 62.47, {{cash, 100}}, 0, 62.47, 37.53, true},
                      PaymentCase{"CardAndCash", 62.47, {{card, 50}, {cash, 20}}, 0, 62.47, 7.53, true},
                      PaymentCase{"CardMayNotPassTheTotal", 62.47, {{card, 70}}, 1, 0, 0, false},
                      PaymentCase{"VoucherThenCard", 30.00, {{voucher, 18.90}, {card, 11.10}}, 0, 30.00, 0, true},
                      PaymentCase{"LessThanTheTotalIsNotComplete", 62.47, {{cash, 60}}, 0, 60, 0, false},
                      PaymentCase{"ZeroIsRefused", 10, {{cash, 0}}, 1, 0, 0, false},
                      PaymentCase{"NothingMoreOncePaid", 10, {{cash, 10}, {card, 1}}, 1, 10, 0, true},
                      PaymentCase{"CentsAreExact", 0.29, {{card, 0.1}, {card, 0.19}}, 0, 0.29, 0, true}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PaymentRows, OneRowPerPaymentWithItsReceiptType)
{
    Payment::Session session(62.47);
    ASSERT_TRUE(session.add(card, 50).isEmpty());
    ASSERT_TRUE(session.add(cash, 20).isEmpty());
    ClientDataSet movCaixa("cdsMovCaixa");
    movCaixa.FieldDefs().Add("VRMOVIVEND", FieldType::Double); // the sale's own columns stay
    const QDateTime now(QDate(2024, 3, 5), QTime(12, 0));
    Payment::fillMovCaixa(movCaixa, session, {"0001", "000001", "", "CC01", now});

    ASSERT_EQ(movCaixa.RecordCount(), 2);
    movCaixa.First();
    EXPECT_EQ(movCaixa.FieldByName("CDTIPORECE").AsString(), "002");
    EXPECT_EQ(movCaixa.FieldByName("IDTIPOMOVIVE").AsString(), "E");
    EXPECT_DOUBLE_EQ(movCaixa.FieldByName("VRMOVIVEND").AsFloat(), 50);
    EXPECT_EQ(movCaixa.FieldByName("CDBANCARTCR").AsString(), "BC1");
    EXPECT_EQ(movCaixa.FieldByName("CDFPIMPFIS").AsString(), "02");
    EXPECT_EQ(movCaixa.FieldByName("CDCCUSCLIE").AsString(), "CC01");
    EXPECT_EQ(movCaixa.FieldByName("QTPARCRECEB").AsString(), "1");
    movCaixa.Next();
    EXPECT_DOUBLE_EQ(movCaixa.FieldByName("VRMOVIVEND").AsFloat(), 12.47);
    EXPECT_DOUBLE_EQ(movCaixa.FieldByName("VRTROCO").AsFloat(), 7.53);
    EXPECT_EQ(movCaixa.FieldByName("DTMOVIMCAIXA").AsDateTime(), QDateTime(QDate(2024, 3, 5), QTime(0, 0)));
}

class PaymentScreen : public ::testing::Test
{
protected:
    Payment::PaymentDialog dialog{{cash, card}, 62.47};

    void type(const QString &value) { dialog.findChild<QLineEdit *>("edtValor")->setText(value); }
    void click(const QString &name) { dialog.findChild<QPushButton *>(name)->click(); }
    QString caption(const QString &name) { return dialog.findChild<QLabel *>(name)->text(); }
};

TEST_F(PaymentScreen, PayingLessThanTheTotalIsRefused)
{
    type("50,00");
    click("btnMeio002");
    click("btnOK");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(caption("lblMensagem"), "Falta pagar R$ 12,47.");
    EXPECT_EQ(caption("lblFalta"), "Falta: R$ 12,47");
}

TEST_F(PaymentScreen, SeveralMeansPayTheTotalWithChange)
{
    type("50,00");
    click("btnMeio002");
    type("20");
    click("btnMeio001");
    EXPECT_EQ(caption("lblTroco"), "Troco: R$ 7,53");
    EXPECT_EQ(dialog.findChild<QListWidget *>("lstPagamentos")->count(), 2);
    click("btnOK");
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(PaymentScreen, AMeansWithoutAValuePaysWhatIsLeft)
{
    click("btnMeio002");
    EXPECT_TRUE(dialog.session().complete());
    EXPECT_DOUBLE_EQ(dialog.session().entries().first().amount, 62.47);
}

TEST_F(PaymentScreen, RemovingAPaymentOwesItAgain)
{
    click("btnMeio001");
    click("btnRemove");
    EXPECT_FALSE(dialog.session().complete());
    EXPECT_EQ(caption("lblFalta"), "Falta: R$ 62,47");
}

TEST_F(PaymentScreen, CardAboveWhatIsLeftShowsTheRefusal)
{
    type("70");
    click("btnMeio002");
    EXPECT_TRUE(dialog.session().entries().isEmpty());
    EXPECT_TRUE(caption("lblMensagem").startsWith("Em Cartão de crédito o valor não pode passar"));
}

// The routine on a till whose base shows cash, a card and the personal-credit type; a script
// (queued keypad answers) stands for the person at the screen.
class PaymentRoutine : public DatabaseTest
{
protected:
    void SetUp() override
    {
        HostSchema::registerTables();
        HostDatabase::reset();
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        for (const QStringList &t : {QStringList{"001", "Dinheiro", "1"}, QStringList{"002", "Cartão", "2"},
                                     QStringList{"009", "Crédito pessoal", "9"}})
            exec("INSERT INTO TIPORECE (CDTIPORECE, NMTIPORECE, IDTIPORECE, IDMOSTRARECE) VALUES (:P_C, :P_N, :P_I, 'S')",
                 {{"P_C", t[0]}, {"P_N", t[1]}, {"P_I", t[2]}});
        venda.FieldDefs().Add("CDFILIAL", FieldType::String, 4);
        venda.FieldDefs().Add("QTPRODCOMVEN", FieldType::Double);
        venda.FieldDefs().Add("VRPRECCOMVEN", FieldType::Double);
        venda.CreateDataSet();
        venda.Append();
        venda.FieldByName("CDFILIAL").SetAsString("0001");
        venda.FieldByName("QTPRODCOMVEN").SetAsFloat(2);
        venda.FieldByName("VRPRECCOMVEN").SetAsFloat(12.35);
        venda.Post();
    }
    void TearDown() override
    {
        ScriptedAnswers::clear();
        HostDatabase::reset();
        DatabaseTest::TearDown();
    }
    PaymentAnswer pay(const PaymentRequest &request = {})
    {
        PaymentDatasets datasets{parametros, venda, cancelada, movCaixa, familias, emprestimos, cliente,
                                 aliquotas, tipos, ecf, fidelidade, promocoes};
        return Payment::Recebimento(request, datasets);
    }

    ClientDataSet parametros, venda, cancelada, movCaixa{"cdsMovCaixa"}, familias, emprestimos, cliente, aliquotas,
        tipos, ecf, fidelidade, promocoes;
};

TEST_P(PaymentRoutine, MeansAreTheBasesShownTypesButTheBalanceOnes)
{
    QStringList codes;
    for (const Payment::Means &means : Payment::availableMeans(tipos))
        codes << means.cdTipoRece;
    EXPECT_EQ(codes, QStringList({"001", "002"}));
}

TEST_P(PaymentRoutine, PaidSaleFillsTheMovementsAndPassesTheValuesThrough)
{
    ScriptedAnswers::push(ScriptedAnswers::Kind::Keypad, {false, "30,00"});
    PaymentRequest request;
    request.documentNumber = "000321";
    request.stConfRecebimento = "N";
    const PaymentAnswer answer = pay(request);
    EXPECT_TRUE(answer.paid);
    EXPECT_EQ(answer.documentNumber, "000321");
    EXPECT_EQ(answer.stConfRecebimento, "N");
    ASSERT_EQ(movCaixa.RecordCount(), 1);
    EXPECT_DOUBLE_EQ(movCaixa.FieldByName("VRMOVIVEND").AsFloat(), 24.70);
    EXPECT_DOUBLE_EQ(movCaixa.FieldByName("VRTROCO").AsFloat(), 5.30);
    EXPECT_EQ(movCaixa.FieldByName("CDFILIAL").AsString(), "0001");
}

TEST_P(PaymentRoutine, LeavingTheScreenLeavesNothingPaid)
{
    ScriptedAnswers::push(ScriptedAnswers::Kind::Keypad, {false, "30,00"});
    ASSERT_TRUE(pay().paid);
    ScriptedAnswers::push(ScriptedAnswers::Kind::Keypad, {true, ""});
    EXPECT_FALSE(pay().paid);
    EXPECT_EQ(movCaixa.RecordCount(), 0);
}

TEST_P(PaymentRoutine, LessThanTheTotalPaysNothing)
{
    ScriptedAnswers::push(ScriptedAnswers::Kind::Keypad, {false, "20,00"});
    EXPECT_FALSE(pay().paid);
    EXPECT_EQ(movCaixa.RecordCount(), 0);
}

TEST_P(PaymentRoutine, WhatWasPaidBeforeIsNotAskedAgain)
{
    ScriptedAnswers::push(ScriptedAnswers::Kind::Keypad, {false, "4,70"});
    PaymentRequest request;
    request.amountPaid = 20.0; // an exchange credit
    EXPECT_TRUE(pay(request).paid);
    EXPECT_DOUBLE_EQ(movCaixa.FieldByName("VRMOVIVEND").AsFloat(), 4.70);
}

// On a desk with a fiscal printer the counter sale's receipt is open while it is paid.
class FiscalDeskPayment : public PaymentRoutine
{
protected:
    void SetUp() override
    {
        PaymentRoutine::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        parametros.FieldDefs().Add("UTILIZAIMPFIS", FieldType::String, 1);
        parametros.CreateDataSet();
        parametros.Append();
        parametros.FieldByName("UTILIZAIMPFIS").SetAsString("S");
        parametros.Post();
        FiscalPrinter &printer = FiscalPrinter::forSite();
        ASSERT_TRUE(printer.AbreCupom({}).ok);
        ItemSaleRequest item;
        item.itemCode = "01001";
        item.description = "PRATO FEITO";
        item.quantity = 2;
        item.price = 12.35;
        ASSERT_TRUE(printer.VendaItem(item).ok);
    }
    QString tape() const
    {
        QFile file(FiscalPrinter::forSite().tapePath(Clock::now().date()));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

TEST_P(FiscalDeskPayment, PaymentsGoOnTheOpenReceiptWhichWaitsForTheSave)
{
    ScriptedAnswers::push(ScriptedAnswers::Kind::Keypad, {false, "30,00"});
    ASSERT_TRUE(pay().paid);
    const FiscalPrinter &printer = FiscalPrinter::forSite();
    EXPECT_TRUE(printer.receiptOpen());
    EXPECT_TRUE(printer.paymentsRegistered());
    const QString text = tape();
    for (const char *expected : {"TOTAL R$", "24,70", "Dinheiro", "30,00", "TROCO R$", "5,30"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(expected))) << expected << "\n" << text.toStdString();
    EXPECT_FALSE(text.contains("CUPOM FISCAL FECHADO")) << text.toStdString();
}

TEST_P(FiscalDeskPayment, ReceiptThatRefusesThePaymentsLeavesTheSaleUnpaid)
{
    ScriptedAnswers::push(ScriptedAnswers::Kind::Keypad, {false, "30,00"});
    ASSERT_TRUE(pay().paid);
    ScriptedAnswers::push(ScriptedAnswers::Kind::Keypad, {false, "30,00"});
    EXPECT_FALSE(pay().paid); // the receipt's payments are registered already
    EXPECT_EQ(movCaixa.RecordCount(), 0);
}

VENDACONS_DATABASE_KINDS(PaymentRoutine);
VENDACONS_DATABASE_KINDS(FiscalDeskPayment);

} // namespace
