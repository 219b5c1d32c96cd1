// The receipt cancellation of the open counter sale and of the fiscal printer's last coupon:
// guards, records, the card reversal and the common end.
#include "receiptcancelfixture.h"

#include <runtime/sitepaths.h>
#include <sale/saledatasets.h>

#include <QDir>

namespace {

// ---- the entry and its guards --------------------------------------------------------------

TEST_F(ReceiptCancelTest, SecondPressWhileOneRunsDoesNothing)
{
    state().busy.boCancCupomAux1 = true;
    press();
    EXPECT_TRUE(host->routines().isEmpty()) << host->routines().join(",").toStdString();
    EXPECT_TRUE(saleOnScreen());
    EXPECT_TRUE(state().busy.boCancCupomAux1);
}

struct GuardCase
{
    const char *name;
    std::function<void(ReceiptCancelTest &)> arrange;
    QString shownKey; // empty: nothing shown by the cancellation itself
};

void PrintTo(const GuardCase &row, std::ostream *out)
{
    *out << row.name;
}

const GuardCase guardCases[] = {
    {"PriceConsultation", [](ReceiptCancelTest &t) { t.state().screen.boConsultaPreco = true; }, "Prod_N_Vend"},
    {"CreditVoucherPrinting", [](ReceiptCancelTest &t) { t.state().busy.boImprimindoCompCred = true; }, "OPE_COMP_CRED"},
    {"AccessDenied",
     [](ReceiptCancelTest &t) { t.host->setDefault(&Pkg_Hrk00002::VerificaAcesso, AccessAnswer{false, {}}); }, ""},
    {"NoteDueAndNoneGiven",
     [](ReceiptCancelTest &t) {
         t.state().editParams().stIDSOLOBSCANCUP = "S";
         t.noteRequired = "S";
         t.host->setDefault(&Pkg_Hrk00002::Observacao, ObservationAnswer{});
     },
     ""},
};

class ReceiptCancelGuards : public ReceiptCancelTest, public ::testing::WithParamInterface<GuardCase>
{
};

TEST_P(ReceiptCancelGuards, StopBeforeAnyRouteAndKeepTheSale)
{
    GetParam().arrange(*this);
    press();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetCupomCancelado), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 0);
    EXPECT_TRUE(saleOnScreen());
    EXPECT_FALSE(state().busy.boCancCupomAux1);
    if (!GetParam().shownKey.isEmpty()) {
        EXPECT_EQ(shown(), context().Msg(GetParam().shownKey));
    }
}

INSTANTIATE_TEST_SUITE_P(ReceiptCancel, ReceiptCancelGuards, ::testing::ValuesIn(guardCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ReceiptCancelTest, NoteGivenIsRecordedWithTheCancelledSale)
{
    state().editParams().stIDSOLOBSCANCUP = "S";
    noteRequired = "S";
    ObservationAnswer note;
    note.text = "cliente desistiu";
    note.holdMinutes = QString("7");
    host->setDefault(&Pkg_Hrk00002::Observacao, note);
    press();
    const CancelledSaleRecord record = host->last(&Pkg_Hrk00002::IncluiVendaCan);
    EXPECT_EQ(record.note, "cliente desistiu");
    EXPECT_EQ(record.noteSecondValue, "7");
    EXPECT_EQ(record.stRetAcesso, "000000000009");
    EXPECT_EQ(host->last(&Pkg_Hrk00002::Observacao).value0, "S");
}

// ---- the open counter sale without a fiscal printer ----------------------------------------

TEST_F(ReceiptCancelTest, OpenSaleIsRecordedUnderANonFiscalNumberAndTheScreenCleared)
{
    state().editParams().stIDTIPOGAVETA = "1";
    press();
    EXPECT_EQ(serverCalls.filter("setNrVendaNFisc").size(), 1);
    const CancelVoucherRequest voucher = host->last(&Pkg_Hrk00002::SetCupomCancelado);
    EXPECT_EQ(voucher.documentNumber, "000123");
    EXPECT_EQ(voucher.labels.last(), "CUPOM CANCELADO");
    EXPECT_EQ(voucher.sale.rows.size(), 3);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::AbreGaveta), 1);
    const CancelledSaleRecord record = host->last(&Pkg_Hrk00002::IncluiVendaCan);
    EXPECT_EQ(record.documentNumber, "000123");
    EXPECT_EQ(record.cdsVenda.rows.size(), 3);
    EXPECT_TRUE(cancelCalls.contains("CancelaPedidoKDS 0000000043")) << cancelCalls.join(",").toStdString();
    EXPECT_TRUE(cancelCalls.contains("setApagaBeneficio"));
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 1);
    EXPECT_EQ(host->last(&Pkg_Hrk00002::LogControleAcess).action, "CAN_CUP");
    // The access log names the number the cancelled sale is recorded under.
    EXPECT_EQ(host->last(&Pkg_Hrk00002::LogControleAcess).text, "Cupom cancelado nº: 000123");
    EXPECT_TRUE(host->last(&Pkg_Hrk00002::LogImpNFiscal).text.startsWith("Cancelamento do Cupom ---  Operador: MARIA"));
    EXPECT_FALSE(state().flags.boCupomAberto);
    EXPECT_TRUE(data().cdsItems.IsEmpty());
    EXPECT_FALSE(state().busy.boCancCupomAux1);
}

TEST_F(ReceiptCancelTest, OpenSaleAnsweredNoStaysOnScreen)
{
    messages->script({false});
    press();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 0);
    EXPECT_TRUE(saleOnScreen());
}

// A voucher the printer refuses, or a range with no number left: nothing is recorded and the
// sale stays on screen to be cancelled again.
struct UnrecordedCase
{
    const char *name;
    std::function<void(ReceiptCancelTest &)> arrange;
    QString shown;
    int vouchers;
};

void PrintTo(const UnrecordedCase &row, std::ostream *out)
{
    *out << row.name;
}

const UnrecordedCase unrecordedCases[] = {
    {"VoucherNotPrinted",
     [](ReceiptCancelTest &t) { t.host->setDefault(&Pkg_Hrk00002::SetCupomCancelado, HostResult{false, "sem papel"}); },
     "Operação bloqueada. Erro na impressão do cupom de cancelamento.", 1},
    {"ColombianRangeUsedUp",
     [](ReceiptCancelTest &t) {
         t.state().editParams().stIDPAISINTEGRA = "01";
         t.state().editParams().stNRCUPINIINTGCOL = "100";
         t.state().editParams().stNRCUPFININTGCOL = "199";
         t.colombianNumber = "CUPINV";
     },
     "Operação Bloqueada. Não é possível gerar número sequencial do cupom. Intervalo dos cupons disponíveis é: 100 até 199.",
     0},
};

class ReceiptCancelUnrecorded : public ReceiptCancelTest, public ::testing::WithParamInterface<UnrecordedCase>
{
};

TEST_P(ReceiptCancelUnrecorded, RecordsNothingAndKeepsTheSaleOnScreen)
{
    GetParam().arrange(*this);
    press();
    EXPECT_EQ(shown(), context().Msg("CancelaCupom") + " | " + GetParam().shown);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetCupomCancelado), GetParam().vouchers);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 0);
    EXPECT_TRUE(saleOnScreen());
    EXPECT_FALSE(state().busy.boCancCupomAux1);
}

INSTANTIATE_TEST_SUITE_P(ReceiptCancel, ReceiptCancelUnrecorded, ::testing::ValuesIn(unrecordedCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ReceiptCancelTest, OpenSaleOnASatTillIsDroppedWithoutARecord)
{
    state().editParams().boSISTEMAQUBSAT = true;
    press();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetCupomCancelado), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::TecladoNumerico), 0);
    EXPECT_FALSE(state().flags.boCupomAberto);
    EXPECT_TRUE(data().cdsItems.IsEmpty());
}

TEST_F(ReceiptCancelTest, ReservedNumberIsTakenOnce)
{
    state().till.stNrCupomReservado = "000555";
    press();
    EXPECT_EQ(host->last(&Pkg_Hrk00002::IncluiVendaCan).documentNumber, "000555");
    EXPECT_TRUE(state().till.stNrCupomReservado.isEmpty());
    EXPECT_TRUE(serverCalls.filter("setNrVendaNFisc").isEmpty());
}

// ---- the fiscal printer's last coupon ------------------------------------------------------

struct LastCouponCase
{
    const char *name;
    QString lastMovement;
    int model;
    bool printerCancels;
    QString shown;   // empty: nothing but the printer's answer
    bool cancelled;
    bool asked;      // "Confirma cancelamento de cupom?" was asked (never before a refusal it cannot change)
};

void PrintTo(const LastCouponCase &row, std::ostream *out)
{
    *out << row.name;
}

const LastCouponCase lastCouponCases[] = {
    {"CashSale", "VV", 1, true, "", true, true},
    {"CreditSale", "CP", 1, true, "", true, true},
    {"DebitSale", "DB", 1, true, "", true, true},
    {"CreditLoadIsSentElsewhere", "CC", 21,  true,
     "Operação não permitida. Última movimentação na impressora fiscal foi uma carga cartão de consumidor para a venda "
     "Crédito Pessoal. Para efetuar o cancelamento do crédito favor utilizar o botão Cancela Carga de Cartão na tela de "
     "funções fiscais (atalho do teclado F9).",
     false, false},
    {"AlreadyCancelled", "", 1, true, "Cancelamento não permitido. O último cupom fiscal já foi cancelado.", false, false},
    {"PrinterThatCannotCancel", "VV", 21, true,
     "Cancelamento de Cupom não permitido para a impressora fiscal parametrizada.\n", false, true},
    {"PrinterRefuses", "VV", 1, false, "Cancelamento não permitido. O último cupom fiscal já foi cancelado.", false, true},
};

class LastCoupon : public ReceiptCancelTest, public ::testing::WithParamInterface<LastCouponCase>
{
};

TEST_P(LastCoupon, IsCancelledOnlyForASaleThePrinterCancels)
{
    const LastCouponCase &row = GetParam();
    useFiscalPrinter();
    closeSale();
    state().till.stCancCupomAux3 = row.lastMovement;
    state().editParams().inIDTIPOIMPFIS = row.model;
    if (!row.printerCancels)
        host->setDefault(&Pkg_Hrk00001::Cancela_Cupom_Imp, CouponCancelAnswer{false, "papel", {}});
    press();
    QStringList shownTexts = messages->texts();
    EXPECT_EQ(shownTexts.removeAll(context().Msg("CancelaCupom")), row.asked ? 1 : 0);
    EXPECT_EQ(shownTexts.join(" | "), row.shown);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::AlteraVendaCan), row.cancelled ? 1 : 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), row.cancelled ? 1 : 0);
    if (row.cancelled) {
        const CancelledStatusChange change = host->last(&Pkg_Hrk00002::AlteraVendaCan);
        EXPECT_EQ(change.saleKey, "000777");
        EXPECT_EQ(change.kind, "");
        EXPECT_EQ(change.stRetAcesso, "000000000009");
        EXPECT_TRUE(cancelCalls.contains("getItemsCancelados 000777"));
        EXPECT_TRUE(cancelCalls.contains("CancelaPedidoKDS 0000000042"));
        EXPECT_EQ(host->last(&Pkg_Hrk00002::LogControleAcess).text, "Cupom cancelado nº: 000777");
        EXPECT_TRUE(state().till.stCancCupomAux3.isEmpty());
    } else {
        EXPECT_EQ(state().till.stCancCupomAux3, row.lastMovement);
    }
}

INSTANTIATE_TEST_SUITE_P(ReceiptCancel, LastCoupon, ::testing::ValuesIn(lastCouponCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ReceiptCancelTest, SameCouponTwiceIsRefusedTheSecondTime)
{
    useFiscalPrinter();
    closeSale();
    press();
    press();
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Cancela_Cupom_Imp), 1);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::AlteraVendaCan), 1);
    EXPECT_TRUE(shown().endsWith("Cancelamento não permitido. O último cupom fiscal já foi cancelado."));
}

TEST_F(ReceiptCancelTest, OpenCouponOnTheFiscalPrinterIsCancelledAndRecorded)
{
    useFiscalPrinter();
    press();
    EXPECT_EQ(host->last(&Pkg_Hrk00001::Cancela_Cupom_Imp).receiptOpen, "S");
    EXPECT_EQ(host->last(&Pkg_Hrk00002::IncluiVendaCan).documentNumber, "000777");
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetCupomCancelado), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::AlteraVendaCan), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogImpNFiscal), 0);
    EXPECT_FALSE(state().flags.boCupomAberto);
    EXPECT_TRUE(data().cdsItems.IsEmpty());
}

// ---- the card payment of the cancelled coupon ------------------------------------------------

struct CardCase
{
    const char *name;
    QString terminalKind;
    Variant control;
    bool reversed;          // the terminal's answer
    int reversals;          // CriaDedicado calls
    bool fileKept;
    QStringList shownKeys;  // Msg keys or texts, in order
};

void PrintTo(const CardCase &row, std::ostream *out)
{
    *out << row.name;
}

const CardCase cardCases[] = {
    {"Reversed", "2", Variant(QString("CTRL7")), true, 1, false, {"Canc_Capp:CTRL7", "Canc_Capp_Ok"}},
    {"TerminalRefuses", "2", Variant(QString("CTRL7")), false, 1, true,
     {"Canc_Capp:CTRL7", "A transação com número de controle CTRL7 não foi cancelada no terminal de cartão. Cancele-a pelo "
                         "terminal."}},
    {"NoCardOnTheCoupon", "2", Variant(QString()), true, 0, true, {}},
    {"LookupFails", "2", Variant::failure("relation MOVCAIXA does not exist"), true, 0, true,
     {"relation MOVCAIXA does not exist"}},
    {"NoDedicatedTerminal", "1", Variant(QString("CTRL7")), true, 0, true, {}},
};

class CardReversal : public ReceiptCancelTest, public ::testing::WithParamInterface<CardCase>
{
};

TEST_P(CardReversal, IsTestedAndKeepsTheCardFileUntilReversed)
{
    const CardCase &row = GetParam();
    useFiscalPrinter();
    closeSale();
    state().consumer.boCartaoAux1 = true; // no confirmation asked
    state().editParams().stIDTPTEF = row.terminalKind;
    state().editParams().stDSDIRCAD = site.path() + "/";
    QFile file(site.path() + "/ultTef.cds");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    controlNumber = row.control;
    host->setDefault(&Pkg_Hrk00001::CriaDedicado, DedicatedTefAnswer{row.reversed, row.reversed ? "" : "recusado", {}, {}, {}, {}});
    press();
    EXPECT_EQ(host->count(&Pkg_Hrk00001::CriaDedicado), row.reversals);
    if (row.reversals) {
        EXPECT_EQ(host->last(&Pkg_Hrk00001::CriaDedicado).controlNumber, "CTRL7");
    }
    EXPECT_EQ(QFile::exists(site.path() + "/ultTef.cds"), row.fileKept);
    QStringList expected;
    for (const QString &key : row.shownKeys) {
        if (key == "Canc_Capp:CTRL7")
            expected << "A transação com número de controle CTRL7 será cancelada.";
        else if (key == "Canc_Capp_Ok")
            expected << context().Msg(key);
        else
            expected << key;
    }
    EXPECT_EQ(messages->texts(), expected);
    // The coupon is cancelled on the printer whatever the card: the sale record follows.
    EXPECT_EQ(host->count(&Pkg_Hrk00002::AlteraVendaCan), 1);
}

INSTANTIATE_TEST_SUITE_P(ReceiptCancel, CardReversal, ::testing::ValuesIn(cardCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
