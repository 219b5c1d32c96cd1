#include "settlefixture.h"

#include <runtime/cdsfile.h>
#include <runtime/messages.h>

#include <QDir>

#include <functional>

namespace {

using Kind = RoadEnd::Kind;

const QString baseDown = "[DBNETLIB] O servidor de banco de dados não responde (127.0.0.1): connection refused";

CancellationAnswer refused()
{
    return CancellationAnswer{Variant::failure(baseDown), {}};
}

class PendingRecordsTest : public SettleTest
{
protected:
    QStringList keptFiles()
    {
        return QDir(pendingRecords().folder()).entryList({"*.cds"}, QDir::Files, QDir::Name);
    }
    // A new sale of three lines on the free till.
    void nextSale()
    {
        addItem("001", "000101", "PRATO FEITO", "1", 25.90);
        addItem("002", "000202", "SUCO DE LARANJA", "2", 7.50);
        addItem("003", "000303", "PUDIM", "1", 8.00);
        state().totals.doTotalVenda = 48.90;
        messages->clear();
    }
};

// ---- a base that does not answer stops the settlement before the payment ----------------------

TEST_F(PendingRecordsTest, BaseDownStopsBeforeThePaymentWithOneClearMessage)
{
    probeFailure = baseDown;
    int lookups = 0;
    server->table().loyalty.getProdPromoFidelidade = [&lookups](const QString &, const QString &) {
        ++lookups;
        return Variant::failure(baseDown);
    };

    settle();

    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
    EXPECT_EQ(lookups, 0);
    ASSERT_EQ(messages->count(), 1) << shown().toStdString();
    EXPECT_EQ(messages->calls().first().text, context().Msg("FALHA_CONEXAO_SRV"));
    EXPECT_FALSE(messages->calls().first().text.contains("DBNETLIB"));
    EXPECT_EQ(roadEnd().kind, Kind::Refused);
    EXPECT_EQ(data().cdsItems.RecordCount(), 3);
    EXPECT_FALSE(state().flags.boRecebendo);
}

struct LookupFailure
{
    const char *name;
    QString failure;
    bool connectionMessage; // the text of FALHA_CONEXAO_SRV, else one naming the lookup
};

class LookupFailureTest : public PendingRecordsTest, public ::testing::WithParamInterface<LookupFailure>
{
};

// The base goes away after the start: the first loyalty lookup that fails ends the settlement;
// the other lines are not asked and the payment screen never opens.
TEST_P(LookupFailureTest, FirstFailedLookupStopsTheSettlementWithOneMessage)
{
    int lookups = 0;
    server->table().loyalty.getProdPromoFidelidade = [&lookups](const QString &, const QString &) {
        ++lookups;
        return Variant::failure(GetParam().failure);
    };

    settle();

    EXPECT_EQ(lookups, 1);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
    ASSERT_EQ(messages->count(), 1) << shown().toStdString();
    const QString text = messages->calls().first().text;
    if (GetParam().connectionMessage)
        EXPECT_EQ(text, context().Msg("FALHA_CONEXAO_SRV"));
    else
        EXPECT_TRUE(text.contains("getProdPromoFidelidade")) << text.toStdString();
    EXPECT_EQ(messages->calls().first().detail, GetParam().failure);
    EXPECT_EQ(data().cdsItems.RecordCount(), 3);
    EXPECT_FALSE(state().flags.boRecebendo);
}

INSTANTIATE_TEST_SUITE_P(Failures, LookupFailureTest,
                         ::testing::Values(LookupFailure{"LostConnection", baseDown, true},
                                           LookupFailure{"StatementRefused", "no such table: PRODPROMOFIDELIDADE", false}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- a cancellation record the base refuses is kept and written when it answers again --------

struct KeptRecordCase
{
    const char *name;
    std::function<void(PendingRecordsTest &)> arrange; // the till and the failure that cancels the sale
    bool statusChange;                                 // AlteraVendaCan, else IncluiVendaCan
};

class KeptRecordTest : public PendingRecordsTest, public ::testing::WithParamInterface<KeptRecordCase>
{
protected:
    int recordCalls()
    {
        return GetParam().statusChange ? host->count(&Pkg_Hrk00002::AlteraVendaCan)
                                       : host->count(&Pkg_Hrk00002::IncluiVendaCan);
    }
    void refuseRecordOnce()
    {
        if (GetParam().statusChange)
            host->script(&Pkg_Hrk00002::AlteraVendaCan, refused());
        else
            host->script(&Pkg_Hrk00002::IncluiVendaCan, refused());
    }
    // The record as written later must be the record that was refused, value for value.
    void expectSameRecordWrittenAgain()
    {
        if (GetParam().statusChange) {
            const auto requests = host->requests(&Pkg_Hrk00002::AlteraVendaCan);
            ASSERT_EQ(requests.size(), 2);
            EXPECT_EQ(requests.at(1), requests.at(0));
            EXPECT_EQ(requests.at(1).saleKey, "0000000042");
        } else {
            const auto requests = host->requests(&Pkg_Hrk00002::IncluiVendaCan);
            ASSERT_EQ(requests.size(), 2);
            EXPECT_EQ(requests.at(1), requests.at(0));
            EXPECT_EQ(requests.at(1).cdsVenda.rows.size(), 3);
            EXPECT_EQ(requests.at(1).documentNumber, "000777");
        }
    }
};

TEST_P(KeptRecordTest, RefusedRecordIsKeptInAFileAndWrittenOnceWhenTheBaseAnswers)
{
    GetParam().arrange(*this);
    refuseRecordOnce();

    settle(); // the sale is cancelled; the base refuses its record

    EXPECT_EQ(recordCalls(), 1);
    ASSERT_EQ(keptFiles().size(), 1);
    DataPacket kept;
    ASSERT_TRUE(CdsFile::load(QDir(pendingRecords().folder()).filePath(keptFiles().first()), &kept));
    EXPECT_EQ(kept.rows.size(), 1);
    EXPECT_FALSE(shown().contains("DBNETLIB")) << shown().toStdString();
    ASSERT_FALSE(messages->calls().isEmpty());
    EXPECT_TRUE(messages->texts().filter("guardado neste caixa").size() == 1) << shown().toStdString();

    // The base is down at the next press: the record stays and nothing is sold.
    nextSale();
    probeFailure = baseDown;
    settle();
    EXPECT_EQ(recordCalls(), 1);
    EXPECT_EQ(keptFiles().size(), 1);

    // It answers again: the kept record is written before the sale, and its file removed.
    probeFailure.clear();
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, saved("0000000050"));
    settle();
    expectSameRecordWrittenAgain();
    EXPECT_TRUE(keptFiles().isEmpty());

    // Written once: later settlements do not send it again.
    nextSale();
    settle();
    EXPECT_EQ(recordCalls(), 2);
}

INSTANTIATE_TEST_SUITE_P(
    Records, KeptRecordTest,
    ::testing::Values(KeptRecordCase{"FiscalPrinterCouponCancelledAfterAFailedSave",
                                     [](PendingRecordsTest &t) {
                                         t.useFiscalPrinter();
                                         t.host->script(&Pkg_Hrk00002::SetConcluiFechamento,
                                                        SettleTest::failedSave(baseDown));
                                         t.host->script(&Pkg_Hrk00001::Cancela_Cupom_Imp, CouponCancelAnswer{true, {}, {}});
                                     },
                                     false},
                      KeptRecordCase{"NfceInContingency",
                                     [](PendingRecordsTest &t) {
                                         t.state().editParams().boSISTEMAQUBNFCE = true;
                                         ClosingAnswer answer = SettleTest::saved("0000000042");
                                         answer.nfceStatus = "CONTIGENCIA_SP";
                                         t.host->script(&Pkg_Hrk00002::SetConcluiFechamento, answer);
                                     },
                                     true}),
    [](const auto &info) { return std::string(info.param.name); });

// Several kept records and a base still refusing: it is asked once per settlement, not once
// per record, and every file stays.
TEST_F(PendingRecordsTest, BaseStillRefusingIsAskedOncePerSettlement)
{
    useFiscalPrinter();
    host->setDefault(&Pkg_Hrk00001::Cancela_Cupom_Imp, CouponCancelAnswer{true, {}, {}});
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, failedSave(baseDown));
    host->setDefault(&Pkg_Hrk00002::IncluiVendaCan, refused());
    settle();
    nextSale();
    settle();
    // the second press tried the first record once, then recorded its own sale
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 3);
    EXPECT_EQ(keptFiles().size(), 2);

    nextSale();
    host->setDefault(&Pkg_Hrk00002::SetConcluiFechamento, saved("0000000050"));
    host->setDefault(&Pkg_Hrk00002::IncluiVendaCan, CancellationAnswer{Variant("0000000043"), Variant("0000000043")});
    settle();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::IncluiVendaCan), 5);
    EXPECT_TRUE(keptFiles().isEmpty());
    EXPECT_TRUE(sold());
}

// ---- a record refused for good never blocks the ones kept after it ----------------------------

CancelledStatusChange couponChange()
{
    return CancelledStatusChange{"000777", "0001", "003", QDateTime(QDate(2024, 3, 5), QTime(0, 0)), "", "", "000000000009", ""};
}

class RefusedForGoodTest;

struct RefusedForGoodCase
{
    const char *name;
    std::function<void(RefusedForGoodTest &)> keep;          // kept while the base was away
    std::function<void(RefusedForGoodTest &)> refuseForGood; // what the base answers for it now
    std::function<int(RefusedForGoodTest &)> tries;          // how often it was sent
};

class RefusedForGoodTest : public PendingRecordsTest, public ::testing::WithParamInterface<RefusedForGoodCase>
{
public:
    int serverTries = 0;
    using PendingRecordsTest::pendingRecords;
    using PendingRecordsTest::server;
};

void PrintTo(const RefusedForGoodCase &row, std::ostream *out)
{
    *out << row.name;
}

const RefusedForGoodCase refusedForGoodCases[] = {
    {"StatusChangeOfNoOpenCoupon",
     [](RefusedForGoodTest &t) {
         t.host->script(&Pkg_Hrk00002::AlteraVendaCan, refused());
         EXPECT_FALSE(t.pendingRecords().sendStoredSaleCancelled(couponChange(), "000777"));
     },
     [](RefusedForGoodTest &t) {
         t.host->setDefault(&Pkg_Hrk00002::AlteraVendaCan,
                            CancellationAnswer{Variant::failure("Venda do cupom 000777 não encontrada ou já cancelada."),
                                               {}, {}, true});
     },
     [](RefusedForGoodTest &t) { return t.host->count(&Pkg_Hrk00002::AlteraVendaCan); }},
    {"ServerCancellationOfASaleNoLongerOpen",
     [](RefusedForGoodTest &t) {
         Srv_Kal51000::SaleCancelRequest request;
         request.CDFILIAL = "0001";
         request.CDCAIXA = "003";
         request.number = "000000045";
         request.kind = "NFCe";
         t.pendingRecords().keepServerCancellation(request, baseDown, "guardado neste caixa");
     },
     [](RefusedForGoodTest &t) {
         t.server->table().cancellation.getVendaNFisc = [&t](const Srv_Kal51000::SaleCancelRequest &) {
             ++t.serverTries;
             return Variant(DataPacket{}); // no open sale of that document any more
         };
     },
     [](RefusedForGoodTest &t) { return t.serverTries; }},
};

TEST_P(RefusedForGoodTest, IsSetAsideAndTheRecordsAfterItAreWritten)
{
    GetParam().keep(*this);
    CancelledSaleRecord later;
    later.cdCaixa = "003";
    later.documentNumber = "000778";
    host->script(&Pkg_Hrk00002::IncluiVendaCan, refused());
    EXPECT_FALSE(pendingRecords().sendCancelledSale(later, "000778"));
    ASSERT_EQ(keptFiles().size(), 2);
    const int sent = GetParam().tries(*this);

    GetParam().refuseForGood(*this);
    EXPECT_EQ(pendingRecords().write(), 1);
    EXPECT_EQ(GetParam().tries(*this), sent + 1);
    EXPECT_TRUE(keptFiles().isEmpty());
    const auto requests = host->requests(&Pkg_Hrk00002::IncluiVendaCan);
    ASSERT_EQ(requests.size(), 2);
    EXPECT_EQ(requests.at(1).documentNumber, "000778");
    // Kept aside for a person, never sent again.
    EXPECT_EQ(QDir(pendingRecords().refusedFolder()).entryList({"*.cds"}, QDir::Files).size(), 1);
    EXPECT_EQ(pendingRecords().write(), 0);
    EXPECT_EQ(GetParam().tries(*this), sent + 1);
}

INSTANTIATE_TEST_SUITE_P(Records, RefusedForGoodTest, ::testing::ValuesIn(refusedForGoodCases),
                         [](const auto &info) { return std::string(info.param.name); });

// The coupon has no open sale to mark: the cashier is told so, and nothing is kept to be sent
// again; a base that does not answer still keeps the record.
TEST_F(PendingRecordsTest, StatusChangeRefusedForGoodIsToldAndNotKept)
{
    host->script(&Pkg_Hrk00002::AlteraVendaCan,
                 CancellationAnswer{Variant::failure("Venda do cupom 000777 não encontrada ou já cancelada."), {}, {}, true});
    EXPECT_FALSE(pendingRecords().sendStoredSaleCancelled(couponChange(), "000777"));
    EXPECT_TRUE(keptFiles().isEmpty());
    EXPECT_EQ(shown(), "Venda do cupom 000777 não encontrada ou já cancelada.");

    messages->clear();
    host->script(&Pkg_Hrk00002::AlteraVendaCan, refused());
    EXPECT_FALSE(pendingRecords().sendStoredSaleCancelled(couponChange(), "000777"));
    EXPECT_EQ(keptFiles().size(), 1);
}

} // namespace
