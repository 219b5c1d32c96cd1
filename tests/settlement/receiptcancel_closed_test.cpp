// The receipt cancellation of a closed sale by its number: CF-e at the SAT, NFC-e at the tax
// authority, a non-fiscal sale; the server cancellation and what follows it.
#include "receiptcancelfixture.h"

#include <consumer/consumersale.h>
#include <sale/saledatasets.h>

#include <host/partners/fakepartners.h>
#include <support/partnerwaits.h>
#include <outside/qub_requisicaohttp.h>
#include <runtime/sitepaths.h>

#include <QDir>

namespace {

class ClosedSaleTest : public ReceiptCancelTest
{
protected:
    void SetUp() override
    {
        ReceiptCancelTest::SetUp();
        if (HasFatalFailure())
            return;
        closeSale();
    }
};

// ---- SAT ------------------------------------------------------------------------------------

class SatCancel : public ClosedSaleTest
{
protected:
    void SetUp() override
    {
        ClosedSaleTest::SetUp();
        state().editParams().boSISTEMAQUBSAT = true;
    }
};

TEST_F(SatCancel, CfeCancelledAtTheSatThenOnTheServerWithItsFile)
{
    typeNumber("123");
    press();
    EXPECT_TRUE(cancelCalls.contains("getUltVendaSat 000123")) << cancelCalls.join(",").toStdString();
    EXPECT_EQ(host->last(&Pkg_Hrk00002::GeraArqXmlSat).operation, "CANC");
    EXPECT_EQ(host->last(&Pkg_Hrk00001::CancelarVenda).cancelXml, "<CFeCanc/>");
    EXPECT_EQ(lastCancelRequest.kind, "NFCe-Sat");
    EXPECT_EQ(lastCancelRequest.number, "000123");
    EXPECT_EQ(lastCancelRequest.NRACESSOCANC, "CFe35240312345678000199590001234560001234567");
    EXPECT_TRUE(lastCancelRequest.DSARQXMLCANCNFCE.contains("<nCFe>000123</nCFe>"));
    const SatCancelReceiptRequest receipt = host->last(&Pkg_Hrk00002::Imp_Extrato_SAT_Canc);
    EXPECT_EQ(receipt.cfeNumber, "000123");
    EXPECT_EQ(receipt.satSerial, "900004019");
    EXPECT_EQ(receipt.nrSeqVenda, "0000000042");
    EXPECT_TRUE(cancelCalls.contains("CancelaPedidoKDS 0000000042"));
    EXPECT_TRUE(cancelCalls.contains("getItemsCancelados 000123"));
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 1);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::AbreGaveta), 0);
}

// A closed CF-e is cancelled between sales: who allowed it goes to the server's cancellation
// and its access-log line; when the SAT refuses (the number typed twice), the screen is not
// cleared, and still the next customer's sale starts with no authoriser.
TEST_F(SatCancel, TheAuthoriserGoesWithTheCancellationAndNotToTheNextSale)
{
    typeNumber("123");
    press();
    EXPECT_EQ(lastCancelRequest.CDSUPERVISOR, "000000000009");
    EXPECT_EQ(host->last(&Pkg_Hrk00002::LogControleAcess).stRetAcesso, "000000000009");
    EXPECT_EQ(state().access.stRetAcesso, QString());

    satAlreadyCancelled = true;
    typeNumber("123");
    press();
    ASSERT_EQ(messages->texts().last(), "Cupom CF-e-SAT já está cancelado.");
    EXPECT_EQ(state().access.stRetAcesso, QString());
}

struct SatStopCase
{
    const char *name;
    std::function<void(SatCancel &)> arrange;
    QString shown;
    int devices; // CancelarVenda calls
};

void PrintTo(const SatStopCase &row, std::ostream *out)
{
    *out << row.name;
}

const SatStopCase satStopCases[] = {
    {"KeypadLeft", [](SatCancel &t) { t.host->script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{false, "123"}); }, "", 0},
    {"ZeroTyped", [](SatCancel &t) { t.typeNumber("0"); }, "", 0},
    {"AlreadyCancelled",
     [](SatCancel &t) {
         t.typeNumber("123");
         t.satAlreadyCancelled = true;
     },
     "Cupom CF-e-SAT já está cancelado.", 0},
    {"NotFound",
     [](SatCancel &t) {
         t.typeNumber("999");
         t.satSale = ReceiptCancelTest::packet({"NRNOTAFISCALCE"}, {});
     },
     "Cupom CF-e-SAT inexistente.", 0},
    {"NoCancellationXml",
     [](SatCancel &t) {
         t.typeNumber("123");
         t.host->setDefault(&Pkg_Hrk00002::GeraArqXmlSat, TextAnswer{true, "", {}});
     },
     "Não foi possível gerar o xml de cancelamento.", 0},
    {"OutsideThirtyMinutes",
     [](SatCancel &t) {
         t.typeNumber("123");
         t.host->setDefault(&Pkg_Hrk00001::CancelarVenda, ReceiptCancelTest::satAnswer("1210"));
     },
     "Rejeição: Intervalo de tempo entre a emissão do CF-e a ser cancelado e a emissão do respectivo CF-e de cancelamento "
     "é maior que 30 (trinta) minutos.",
     1},
    {"SatDoesNotAnswer",
     [](SatCancel &t) {
         t.typeNumber("123");
         t.host->setDefault(&Pkg_Hrk00001::CancelarVenda, SatAnswer{false, {}, "tempo esgotado"});
     },
     "Falha na conexão do sistema Lumbera com o SAT", 1},
};

class SatStops : public SatCancel, public ::testing::WithParamInterface<SatStopCase>
{
};

TEST_P(SatStops, CancelNothingOnTheServer)
{
    GetParam().arrange(*this);
    press();
    QStringList shownTexts = messages->texts();
    shownTexts.removeAll(messages->calls().isEmpty() ? QString() : QString("Confirma o Cancelamento da NFC-e 000123 ?"));
    EXPECT_EQ(shownTexts.join(" | "), GetParam().shown);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::CancelarVenda), GetParam().devices);
    EXPECT_TRUE(cancelCalls.filter("getVendaNFisc").isEmpty());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 0);
    EXPECT_FALSE(state().busy.boCancCupomAux1);
}

INSTANTIATE_TEST_SUITE_P(ReceiptCancel, SatStops, ::testing::ValuesIn(satStopCases),
                         [](const auto &info) { return std::string(info.param.name); });

// A number typed on an earlier press never chooses the document of a later one.
TEST_F(SatCancel, LeavingTheKeypadNeverReusesAnEarlierNumber)
{
    typeNumber("123");
    messages->script({false}); // the earlier press answers No at the confirmation
    press();
    host->script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{false, QString()});
    press();
    EXPECT_EQ(cancelCalls.filter("getUltVendaSat").size(), 1);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::CancelarVenda), 0);
}

TEST(CfeNumbers, ReadFromTheElementsOrLeftEmpty)
{
    struct Row
    {
        QString xml;
        QString number;
        QString serial;
    };
    const Row rows[] = {
        {"<CFe><ide><nserieSAT>900004019</nserieSAT><nCFe>000123</nCFe></ide></CFe>", "000123", "900004019"},
        {"<CFe><ide><nCFe>12</nCFe><nserieSAT>9000X4019</nserieSAT></ide></CFe>", "", ""},
        {"<CFe><ide><dEmi>20240305</dEmi></ide></CFe>", "", ""},
        {"nCFe>000123 garbage", "", ""},
        {"", "", ""},
    };
    for (const Row &row : rows) {
        const CfeNumbers numbers = cfeNumbersOf(row.xml);
        EXPECT_EQ(numbers.number, row.number) << row.xml.toStdString();
        EXPECT_EQ(numbers.serial, row.serial) << row.xml.toStdString();
    }
}

// ---- NFC-e ------------------------------------------------------------------------------------

class NfceCancel : public ClosedSaleTest
{
protected:
    void SetUp() override
    {
        ClosedSaleTest::SetUp();
        state().editParams().boSISTEMAQUBNFCE = true;
        typeNumber("45");
    }
};

TEST_F(NfceCancel, AuthorisedNfceCancelledAtTheAuthorityThenOnTheServer)
{
    vendaCanNFCe = nfceSale("A", "2024-03-05T14:45:00");
    press();
    EXPECT_TRUE(cancelCalls.contains("getVendaCanNFCe 000000045")) << cancelCalls.join(",").toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::NFCeOnlineCanc), 1);
    EXPECT_EQ(lastCancelRequest.kind, "NFCe");
    EXPECT_EQ(lastCancelRequest.number, "000000045");
    EXPECT_TRUE(lastCancelRequest.DSARQXMLCANCNFCE.isEmpty());
    EXPECT_TRUE(lastCancelRequest.NRACESSOCANC.isEmpty());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::setNFCeCancelado), 1);
    EXPECT_FALSE(host->last(&Pkg_Hrk00002::setNFCeCancelado).contingency);
    EXPECT_TRUE(cancelCalls.contains("CancelaPedidoKDS 0000000042"));
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 1);
}

struct NfceCase
{
    const char *name;
    QString status;
    QString limit;
    QString branchRule;
    bool authorityAccepts;
    bool serverCancels;      // getVendaNFisc called
    bool contingencyVoucher; // the voucher printed is the contingency one
    QString shownStart;      // the first message shown (after the confirmation)
};

void PrintTo(const NfceCase &row, std::ostream *out)
{
    *out << row.name;
}

const NfceCase nfceCases[] = {
    {"AuthorisedTooLate", "A", "2024-03-05T14:00:00", "N", true, false, false,
     "Operação bloqueada. NFC-e autorizada há mais de 30 minutos."},
    {"PendingTooLateWhereTheBranchSaysSo", "P", "2024-03-05T14:00:00", "S", true, false, false,
     "Operação bloqueada. NFC-e autorizada há mais de 30 minutos."},
    {"PendingTooLateElsewhereGoesToContingency", "P", "2024-03-05T14:00:00", "N", true, true, true,
     "Atenção! Venda NFC-e concluída em Modo Contingência Offline."},
    {"AuthorityRefuses", "A", "2024-03-05T14:45:00", "N", false, true, true,
     "Atenção! Não foi possível cancelar a Venda NFC-e na SEFAZ."},
};

class NfceRules : public NfceCancel, public ::testing::WithParamInterface<NfceCase>
{
};

TEST_P(NfceRules, DecideBetweenAuthorityServerAndRefusal)
{
    const NfceCase &row = GetParam();
    vendaCanNFCe = nfceSale(row.status, row.limit);
    branchRule = row.branchRule;
    if (!row.authorityAccepts)
        host->setDefault(&Pkg_Hrk00002::NFCeOnlineCanc, HostResult{false, "rejeitada"});
    press();
    ASSERT_GE(messages->count(), 2);
    EXPECT_TRUE(messages->calls().at(1).text.startsWith(row.shownStart)) << messages->calls().at(1).text.toStdString();
    EXPECT_EQ(!cancelCalls.filter("getVendaNFisc").isEmpty(), row.serverCancels);
    EXPECT_EQ(!cancelCalls.filter("CancelaPedidoKDS").isEmpty(), row.serverCancels);
    if (row.contingencyVoucher) {
        EXPECT_TRUE(host->last(&Pkg_Hrk00002::setNFCeCancelado).contingency);
    }
    // A completed cancellation is always in the access log, the contingency voucher too.
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), row.serverCancels ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(ReceiptCancel, NfceRules, ::testing::ValuesIn(nfceCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(NfceCancel, NumberOfNoSaleChangesNothing)
{
    vendaCanNFCe = packet({"NRSEQVENDA"}, {});
    press();
    EXPECT_TRUE(shown().endsWith("Operação bloqueada. Venda não encontrada ou cupom já cancelado."));
    EXPECT_TRUE(cancelCalls.filter("CancelaPedidoKDS").isEmpty());
    EXPECT_TRUE(cancelCalls.filter("getVendaNFisc").isEmpty());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::NFCeOnlineCanc), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::setNFCeCancelado), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 0);
}

// The server finds no open sale to cancel (another till got there first): whatever the
// authority did, nothing more is done for it, the cashback and the kitchen left alone.
struct NotFoundCase
{
    const char *name;
    QString status;
    bool authorityAccepts;
};

void PrintTo(const NotFoundCase &row, std::ostream *out)
{
    *out << row.name;
}

const NotFoundCase notFoundCases[] = {
    {"CancelledAtTheAuthority", "A", true},
    {"AuthorityRefuses", "A", false},
    {"Contingency", "P", true},
};

class NfceServerFindsNothing : public NfceCancel, public ::testing::WithParamInterface<NotFoundCase>
{
};

TEST_P(NfceServerFindsNothing, NoKitchenCashbackVoucherTicketOrLog)
{
    vendaCanNFCe = nfceSale(GetParam().status, "2024-03-05T14:45:00");
    vendaNFisc = Variant(DataPacket{});
    if (!GetParam().authorityAccepts)
        host->setDefault(&Pkg_Hrk00002::NFCeOnlineCanc, HostResult{false, "rejeitada"});
    press();
    EXPECT_TRUE(shown().endsWith("Operação bloqueada. Venda não encontrada ou cupom já cancelado.")) << shown().toStdString();
    EXPECT_TRUE(messages->texts().filter("apenas no sistema").isEmpty()) << shown().toStdString();
    EXPECT_EQ(cancelCalls.filter("getVendaNFisc").size(), 1);
    EXPECT_TRUE(cancelCalls.filter("CancelaPedidoKDS").isEmpty()) << cancelCalls.join(",").toStdString();
    EXPECT_TRUE(cancelCalls.filter("getDadosGCOM").isEmpty()) << cancelCalls.join(",").toStdString();
    EXPECT_TRUE(cancelCalls.filter("getItemsCancelados").isEmpty());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::setNFCeCancelado), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 0);
}

INSTANTIATE_TEST_SUITE_P(ReceiptCancel, NfceServerFindsNothing, ::testing::ValuesIn(notFoundCases),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- the base refusing the cancellation of a document cancelled outside ------------------------

// The SAT or the authority (and the wallet) cannot be asked twice for one sale: a server
// cancellation that fails after them is kept in the till, the sale goes on as cancelled, a
// second press does not cancel outside again, and the kept cancellation is written once when
// the base answers.
struct KeptCase
{
    const char *name;
    std::function<void(ClosedSaleTest &)> till;
    std::function<void(ClosedSaleTest &)> again; // the same document asked for once more
    std::function<void(ClosedSaleTest &)> gone;  // the base has it cancelled: no open sale left
    std::function<int(ClosedSaleTest &)> outside; // calls that cancel or refund outside the base
    int outsideCalls;                             // made by the first press, never again
    QString kind;
    QString number;
    QString toldStart;
};

void PrintTo(const KeptCase &row, std::ostream *out)
{
    *out << row.name;
}

void nfceTill(ClosedSaleTest &t, const QString &status)
{
    t.state().editParams().boSISTEMAQUBNFCE = true;
    t.vendaCanNFCe = ReceiptCancelTest::nfceSale(status, "2024-03-05T14:45:00");
}

const KeptCase keptCases[] = {
    {"NfceCancelledAtTheAuthority", [](ClosedSaleTest &t) { nfceTill(t, "A"); },
     [](ClosedSaleTest &t) { t.typeNumber("45"); },
     [](ClosedSaleTest &t) { t.vendaCanNFCe = ReceiptCancelTest::packet({"NRSEQVENDA"}, {}); },
     [](ClosedSaleTest &t) {
         return t.host->count(&Pkg_Hrk00002::NFCeOnlineCanc) + int(t.cancelCalls.filter("getMovCaixaAME").size());
     },
     2, "NFCe", "000000045", "A NFC-e 000000045 foi cancelada na SEFAZ, mas o banco de dados não gravou"},
    {"NfceInContingency", [](ClosedSaleTest &t) { nfceTill(t, "P"); },
     [](ClosedSaleTest &t) { t.typeNumber("45"); },
     [](ClosedSaleTest &t) { t.vendaCanNFCe = ReceiptCancelTest::packet({"NRSEQVENDA"}, {}); },
     [](ClosedSaleTest &t) {
         return t.host->count(&Pkg_Hrk00002::NFCeOnlineCanc) + int(t.cancelCalls.filter("getMovCaixaAME").size());
     },
     1, "NFCe", "000000045", "O estorno AME da NFC-e 000000045, quando houver, já foi feito, mas o banco de dados não gravou"},
    {"CfeCancelledAtTheSat", [](ClosedSaleTest &t) { t.state().editParams().boSISTEMAQUBSAT = true; },
     [](ClosedSaleTest &t) { t.typeNumber("123"); }, [](ClosedSaleTest &t) { t.satAlreadyCancelled = true; },
     [](ClosedSaleTest &t) { return t.host->count(&Pkg_Hrk00001::CancelarVenda); }, 1, "NFCe-Sat", "000123",
     "O CF-e 000123 foi cancelado no SAT, mas o banco de dados não gravou"},
};

class KeptServerCancellation : public ClosedSaleTest, public ::testing::WithParamInterface<KeptCase>
{
protected:
    int kept() { return int(QDir(pendingRecords().folder()).entryList({"*.cds"}, QDir::Files).size()); }
    int serverCalls() { return int(cancelCalls.filter("getVendaNFisc").size()); }
};

TEST_P(KeptServerCancellation, IsWrittenOnceWhenTheBaseAnswersAndTheDocumentIsNeverCancelledTwice)
{
    const KeptCase &row = GetParam();
    const int outsideCalls = row.outsideCalls;
    row.till(*this);
    row.again(*this);
    vendaNFisc = Variant::failure("could not connect to server");
    press();
    EXPECT_EQ(row.outside(*this), outsideCalls);
    EXPECT_EQ(kept(), 1);
    const QStringList told = messages->texts().filter(row.toldStart);
    ASSERT_EQ(told.size(), 1) << shown().toStdString();
    EXPECT_TRUE(told.first().endsWith("não cancele esta venda de novo."));
    EXPECT_FALSE(shown().contains("could not connect")) << "the base's text goes to the detail only";
    // The document is cancelled: the press went on to the kitchen and the access log.
    EXPECT_TRUE(cancelCalls.contains("CancelaPedidoKDS 0000000042")) << cancelCalls.join(",").toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 1);

    // Pressed again while the base still refuses: the kept cancellation is tried, nothing is
    // cancelled outside again.
    messages->clear();
    row.again(*this);
    press();
    EXPECT_EQ(serverCalls(), 2);
    EXPECT_EQ(row.outside(*this), outsideCalls);
    EXPECT_EQ(kept(), 1);
    EXPECT_TRUE(shown().contains("já foi feito e está guardado neste caixa")) << shown().toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 1);

    // The base answers: the next press writes the kept cancellation with the till's settings
    // of now, and finds the sale cancelled.
    vendaNFisc = Variant(cancelledSale());
    state().editParams().stIDUTILFIDUDS = "S";
    row.gone(*this);
    row.again(*this);
    press();
    EXPECT_EQ(serverCalls(), 3);
    EXPECT_EQ(lastCancelRequest.kind, row.kind);
    EXPECT_EQ(lastCancelRequest.number, row.number);
    EXPECT_EQ(lastCancelRequest.IDUTILFIDUDS, "S");
    EXPECT_EQ(lastCancelRequest.DTABERTUR, QDateTime(QDate(2024, 3, 5), QTime(7, 0)));
    EXPECT_EQ(kept(), 0);
    EXPECT_EQ(row.outside(*this), outsideCalls);

    // Written once: later settlements and presses do not send it again.
    EXPECT_EQ(pendingRecords().write(), 0);
    EXPECT_EQ(serverCalls(), 3);
}

INSTANTIATE_TEST_SUITE_P(ReceiptCancel, KeptServerCancellation, ::testing::ValuesIn(keptCases),
                         [](const auto &info) { return std::string(info.param.name); });

// Nothing is cancelled outside for a non-fiscal sale: a base that refuses is shown and nothing
// is kept, so the same number may simply be cancelled again.
TEST_F(ClosedSaleTest, NonFiscalSaleRefusedByTheBaseIsNotKept)
{
    typeNumber("123");
    vendaNFisc = Variant::failure("could not connect to server");
    press();
    EXPECT_TRUE(QDir(pendingRecords().folder()).entryList({"*.cds"}, QDir::Files).isEmpty());
}

// ---- non-fiscal -------------------------------------------------------------------------------

struct PlainCase
{
    const char *name;
    bool cashAnswer;       // "Canc_VendaV"
    QString kind;
    int drawers;
};

void PrintTo(const PlainCase &row, std::ostream *out)
{
    *out << row.name;
}

const PlainCase plainCases[] = {
    {"CashSaleOpensTheDrawer", true, "", 1},
    {"PersonalCreditSale", false, "C", 0},
};

class PlainCancel : public ClosedSaleTest, public ::testing::WithParamInterface<PlainCase>
{
};

TEST_P(PlainCancel, CancelledOnTheServerWithTheKindAsked)
{
    const PlainCase &row = GetParam();
    state().editParams().stIDTIPOGAVETA = "1";
    typeNumber("123");
    messages->script({row.cashAnswer});
    press();
    EXPECT_EQ(lastCancelRequest.number, "0000000123");
    EXPECT_EQ(lastCancelRequest.kind, row.kind);
    EXPECT_TRUE(lastCancelRequest.DSARQXMLCANCNFCE.isEmpty());
    EXPECT_TRUE(lastCancelRequest.NRACESSOCANC.isEmpty());
    EXPECT_EQ(lastCancelRequest.CDSUPERVISOR, "000000000009");
    const CancelVoucherRequest voucher = host->last(&Pkg_Hrk00002::SetCupomCancelado);
    EXPECT_EQ(voucher.kind, row.kind);
    EXPECT_EQ(voucher.documentNumber, "0000000123");
    EXPECT_EQ(voucher.sale.rows.size(), 1);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::AbreGaveta), row.drawers);
    EXPECT_TRUE(cancelCalls.filter("getItemsCancelados").isEmpty());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 1);
}

INSTANTIATE_TEST_SUITE_P(ReceiptCancel, PlainCancel, ::testing::ValuesIn(plainCases),
                         [](const auto &info) { return std::string(info.param.name); });

struct ServerCase
{
    const char *name;
    Variant answer;
    QString shownEnd;
};

void PrintTo(const ServerCase &row, std::ostream *out)
{
    *out << row.name;
}

const ServerCase serverCases[] = {
    {"NoSuchSaleOrAlreadyCancelled", Variant(DataPacket{}), "Operação bloqueada. Venda não encontrada ou cupom já cancelado."},
    {"BaseDown", Variant::failure("could not connect to server"), "could not connect to server"},
};

class ServerRefuses : public ClosedSaleTest, public ::testing::WithParamInterface<ServerCase>
{
};

TEST_P(ServerRefuses, NoVoucherNoKitchenNoLog)
{
    typeNumber("123");
    vendaNFisc = GetParam().answer;
    press();
    EXPECT_TRUE(shown().endsWith(GetParam().shownEnd)) << shown().toStdString();
    EXPECT_EQ(cancelCalls.filter("getVendaNFisc").size(), 1);
    EXPECT_TRUE(cancelCalls.filter("CancelaPedidoKDS").isEmpty());
    EXPECT_TRUE(cancelCalls.filter("getDadosGCOM").isEmpty());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::SetCupomCancelado), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::AbreGaveta), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 0);
    EXPECT_FALSE(state().busy.boCancCupomAux1);
}

INSTANTIATE_TEST_SUITE_P(ReceiptCancel, ServerRefuses, ::testing::ValuesIn(serverCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(ClosedSaleTest, KeypadLeftEndsWithoutCancelling)
{
    host->script(&Pkg_Hrk00002::TecladoNumerico, KeypadAnswer{false, {}});
    press();
    EXPECT_TRUE(cancelCalls.isEmpty());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 0);
}

} // namespace

namespace {

// The wallet and the cashback platform of an NFC-e sale answered by the partners' stand-ins
// over HTTP on 127.0.0.1, each faulting as a test says.
class NfcePartners : public ClosedSaleTest
{
protected:
    void SetUp() override
    {
        ClosedSaleTest::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(partners.start());
        state().editParams().boSISTEMAQUBNFCE = true;
        vendaCanNFCe = nfceSale("A", "2024-03-05T14:45:00");
        ServerSeams seams = ServerSeams::current();
        seams.partners.getMovCaixaAME = [this](const QString &, const QString &, const QString &, const QDateTime &) {
            QList<QList<QString>> payments{{paymentId, "1", "CAPT-1"}};
            for (const QString &more : morePayments)
                payments.append({more, "2", "CAPT-" + more});
            DataPacket rows = packet({"IDTRANSAME", "NRSEQUMOVI", "IDTRANSAMECAPT"}, payments);
            rows.fields.append(FieldDef{"VRMOVIVEND", FieldType::Double, 0});
            for (QList<Variant> &row : rows.rows)
                row.append(Variant(12.5));
            return Variant(rows);
        };
        seams.partners.getDadosAme = [this](const QString &) {
            return Variant(packet({"DSLOGINAME", "DSSENHAAME", "IDAMBIENTEAME", "DSURLSERVAME"},
                                  {{"ame-prod", "ame-prod-senha", "P", partners.baseUrl(FakePartners::Partner::Ame)}}));
        };
        seams.partners.getDadosGCOM = [this](const QString &, const QString &) {
            return Variant(packet({"IDUTLINTEGCOM", "CDBRANDIDGCOM", "CDURLGCOM", "IDTOKENAPIGCOM"},
                                  {{"S", "B01", partners.baseUrl(FakePartners::Partner::Gcom), "gcom-token-789"}}));
        };
        seams.partners.getVendaGCOM = [](const QString &, const QString &, const QString &) {
            return Variant(packet({"NRINSJURIEST", "NRNOTAFISCALCE", "NRCOMANDAEXT", "NRTELGCOM"},
                                  {{"12345678000199", "45", "X9", "11999"}}));
        };
        partnerServer = std::make_unique<ScopedTable<ServerSeams>>(seams);
    }
    void TearDown() override
    {
        partnerServer.reset();
        ClosedSaleTest::TearDown();
    }
    void cancel(const QString &number = "45")
    {
        typeNumber(number);
        press();
    }
    QString lastShown() const { return messages->texts().isEmpty() ? QString() : messages->texts().last(); }
    // Between sales, once the kept partner calls are due again.
    void betweenSales()
    {
        now = now.addSecs(5 * 60);
        context().consumer().retryPartnerCallsBetweenSales();
    }
    int refundsSent(const QString &id)
    {
        int sent = 0;
        for (const auto &request : partners.requests(FakePartners::Partner::Ame))
            sent += request.path == "/refund" && request.body.contains(id.toUtf8()) ? 1 : 0;
        return sent;
    }

    int keptCalls() const
    {
        return int(QDir(SitePaths::resolve("Dados\\PendentesParceiros")).entryList({"*.json"}, QDir::Files).size());
    }

    QString paymentId = "PAG-1";
    QStringList morePayments; // further wallet payments of the sale
    PartnerWaits waits;
    FakePartners partners;
    std::unique_ptr<ScopedTable<ServerSeams>> partnerServer;
};

// AME refusing the refund leaves the NFC-e as it was: the same number is cancelled once the
// refund goes through.
TEST_F(NfcePartners, ARefundAmeRefusesStopsTheCancellationAndTheNumberCanBeCancelledAgain)
{
    paymentId.clear(); // AME answers 400 to a refund without its id
    cancel();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::NFCeOnlineCanc), 0);
    EXPECT_TRUE(cancelCalls.filter("getVendaNFisc").isEmpty()) << cancelCalls.join(",").toStdString();
    EXPECT_TRUE(messages->texts().join("\n").contains("A AME recusou o estorno")) << shown().toStdString();
    EXPECT_TRUE(messages->texts().join("\n").contains("HTTP 400")) << shown().toStdString();

    paymentId = "PAG-1";
    cancel();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::NFCeOnlineCanc), 1);
    EXPECT_EQ(partners.applied(FakePartners::Partner::Ame), QStringList({"refund:PAG-1"}));
}

// A refund whose answer was lost may have been paid: the cashier is told it is kept, never that
// it failed, and the next cancellation press sends it again; AME pays it once.
TEST_F(NfcePartners, ARefundWhoseAnswerWasLostIsKeptAndSentAgainWithItsId)
{
    partners.loseAnswerOnce(FakePartners::Partner::Ame, "/refund");
    cancel();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::NFCeOnlineCanc), 1);
    EXPECT_FALSE(messages->texts().contains(context().Msg("ERROESTAME"))) << shown().toStdString();
    EXPECT_TRUE(messages->texts().join("\n").contains("O estorno AME do pagamento PAG-1 não foi confirmado"))
        << shown().toStdString();

    messages->clear();
    betweenSales();
    EXPECT_TRUE(messages->texts().join("\n").contains("Confirmado agora: estorno AME PAG-1")) << shown().toStdString();
    EXPECT_EQ(partners.applied(FakePartners::Partner::Ame), QStringList({"refund:PAG-1"}));
    EXPECT_EQ(partners.requests(FakePartners::Partner::Ame).size(), 4); // two tokens, two refunds
}

// Two wallet payments and AME refusing the second: the cashier reads that the NFC-e stands and
// until when it can be cancelled; the next press refunds only the second, and the NFC-e goes.
TEST_F(NfcePartners, ARefusedSecondPaymentLeavesTheNfceUntilItsLimitAndTheNextPressRefundsOnlyIt)
{
    morePayments = {""}; // AME answers 400 to a refund without its id
    cancel();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::NFCeOnlineCanc), 0);
    const QString shownNow = messages->texts().join("\n");
    EXPECT_TRUE(shownNow.contains("A AME recusou o estorno")) << shownNow.toStdString();
    EXPECT_TRUE(shownNow.contains("A NFC-e 000000045 não foi cancelada. Resolva o estorno com a AME e cancele-a de "
                                  "novo até 05/03/2024 14:45:00."))
        << shownNow.toStdString();

    morePayments = {"PAG-2"};
    cancel();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::NFCeOnlineCanc), 1);
    EXPECT_EQ(refundsSent("PAG-1"), 1);
    EXPECT_EQ(refundsSent("PAG-2"), 1);
    EXPECT_EQ(partners.applied(FakePartners::Partner::Ame), QStringList({"refund:PAG-1", "refund:PAG-2"}));
}

// Wallet and cashback platform both stalled: each cancellation waits for one time-out only, the
// next press sends nothing kept by the one before, and between sales the kept calls go once
// the partners answer, each applied once.
TEST_F(NfcePartners, StalledPartnersHoldEachCancellationForOneWaitOnly)
{
    waits.setBehaviourForAll(partners, FakePartners::Behaviour::Silent);
    qsizetype before = 0;
    for (const char *payment : {"PAG-1", "PAG-2", "PAG-3"}) {
        paymentId = QString::fromLatin1(payment);
        cancel();
        const qsizetype sent = partners.requests(FakePartners::Partner::Ame).size()
            + partners.requests(FakePartners::Partner::Gcom).size();
        EXPECT_EQ(sent - before, 1) << payment;
        before = sent;
    }
    EXPECT_EQ(keptCalls(), 4); // three refunds, the sale's cashback once

    // Still stalled between sales: one wait, and the pass after waits its turn.
    now = now.addSecs(5 * 60);
    context().consumer().retryPartnerCallsBetweenSales();
    context().consumer().retryPartnerCallsBetweenSales();
    EXPECT_EQ(partners.requests(FakePartners::Partner::Ame).size() + partners.requests(FakePartners::Partner::Gcom).size(),
              before + 1);

    waits.setBehaviourForAll(partners, FakePartners::Behaviour::Answer);
    betweenSales();
    QStringList refunded = partners.applied(FakePartners::Partner::Ame);
    refunded.sort();
    EXPECT_EQ(refunded, QStringList({"refund:PAG-1", "refund:PAG-2", "refund:PAG-3"}));
    EXPECT_EQ(partners.applied(FakePartners::Partner::Gcom), QStringList({"cancel:12345678000199/45"}));
    EXPECT_EQ(keptCalls(), 0);
}

struct StalledPartner
{
    const char *name;
    FakePartners::Behaviour behaviour;
    const char *answered; // what the cashier is told the platform answered
};

class NfceGcomFault : public NfcePartners, public ::testing::WithParamInterface<StalledPartner>
{
};

// A platform that fails is asked once, the cashier told once what it answered, the sale kept to
// send again, and the cancellation goes on to its log.
TEST_P(NfceGcomFault, IsAskedOnceToldOnceAndKept)
{
    waits.setBehaviour(partners, FakePartners::Partner::Gcom, GetParam().behaviour);
    cancel();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::LogControleAcess), 1);
    EXPECT_LE(partners.requests(FakePartners::Partner::Gcom).size(), 2); // the HTTP stack may resend a dropped one
    const QStringList told = messages->texts().filter("GCOM");
    ASSERT_EQ(told.size(), 1) << shown().toStdString();
    EXPECT_TRUE(told.first().contains(QString("A GCOM respondeu: ") + GetParam().answered)) << told.first().toStdString();
    EXPECT_FALSE(told.first().contains("gcom-token-789"));

    waits.setBehaviour(partners, FakePartners::Partner::Gcom, FakePartners::Behaviour::Answer);
    messages->clear();
    betweenSales();
    EXPECT_EQ(partners.applied(FakePartners::Partner::Gcom), QStringList({"cancel:12345678000199/45"}));
}

INSTANTIATE_TEST_SUITE_P(
    Platform, NfceGcomFault,
    ::testing::Values(StalledPartner{"Stalled", FakePartners::Behaviour::Silent, "sem resposta"},
                      StalledPartner{"Refused", FakePartners::Behaviour::Refuse, "sem resposta"},
                      StalledPartner{"ServerError", FakePartners::Behaviour::ServerError, "HTTP 500"},
                      StalledPartner{"Garbage", FakePartners::Behaviour::Garbage, "resposta que não se lê"}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
