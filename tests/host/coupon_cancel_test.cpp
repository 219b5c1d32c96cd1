// A closed coupon cancelled by the host's status change: the server's cancellation runs with
// the till's own statement server and partner switches, as a cancellation by number does.
#include <host/site/hostdatabase.h>
#include <host/site/hostschema.h>
#include <host/documents/receiptcancel.h>

#include <support/databasefixture.h>

#include <outside/pkg_hrk00002.h>
#include <outside/qub_proximocodigo.h>
#include <runtime/cdsfile.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/sitepaths.h>

namespace {

const QDateTime opening(QDate(2024, 3, 5), QTime(6, 0));

class CouponCancelTest : public DatabaseTest
{
protected:
    void SetUp() override
    {
        HostSchema::registerTables();
        HostDatabase::reset();
        DatabaseTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        Clock::setNow([] { return QDateTime(QDate(2024, 3, 5), QTime(12, 10, 0)); });
        host.table().UpdMoviclieCentral = [this](const CentralMovementUpdate &update) {
            mirrored << update.operation;
            return HostResult::done();
        };
        host.table().AtuSaldoExtCons = [this](const ConsumerKey &) {
            ++centralRefreshes;
            return HostResult::done();
        };
        host.table().ExtratoConsOnline = [this](const OnlineStatementRequest &call, ClientDataSet &) {
            exported << call.operation + " " + call.url;
            return StatementAnswer{true, {}, {}};
        };
        // A coupon paid with the consumer's debit account and a line of the meal family.
        for (const char *sql : {
                 "INSERT INTO TIPORECE (CDTIPORECE, NMTIPORECE, IDTIPORECE) VALUES ('DEB', 'Debito consumidor', 'A')",
                 "INSERT INTO CONSUMIDOR (CDCLIENTE, CDCONSUMIDOR, NMCONSUMIDOR) VALUES ('C1', 'K1', 'Ana')",
                 "INSERT INTO PRODUTO (CDPRODUTO, NMPRODUTO) VALUES ('P1', 'Prato feito')",
                 "INSERT INTO ITEMVENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUITVEND, CDPRODUTO, QTPRODVEND, VRUNITVEND) "
                 "VALUES ('0001', '001', '0000000001', '001', 'P1', 1, 12)",
                 "INSERT INTO MOVICLIE (CDCLIENTE, CDCONSUMIDOR, NRSEQMOVCLI, CDFILIAL, CDCAIXA, NRSEQVENDA, DTMOVIMCLIE, "
                 "DTMOVCLI, IDTIPMOCVLI, VRMOVCLI, VRSALDOCONS, VRSALDPECONS) VALUES ('C1', 'K1', '0000000001', '0001', "
                 "'001', '0000000001', '2024-03-05 00:00:00', '2024-03-05 11:00:00', 'D', 12, 12, 0)",
                 "INSERT INTO EXTRATOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, DTMOVEXTCONS, NRSEQMOVEXT, IDTPMOVEXT, "
                 "VRMOVEXTCONS, VRSALDCONEXT, CDFILIAL, CDCAIXA, NRSEQVENDA, CDTIPORECE) VALUES ('C1', 'K1', 'REF', "
                 "'2024-03-05 11:00:00', '001', 'V', 5, 95, '0001', '001', '0000000001', 'DEB')"})
            exec(sql);
        exec("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, IDSITUVENDA, NRCUPOMFIS, DTABERTUR, CDCLIENTE, CDCONSUMIDOR, "
             "CDLOJA) VALUES ('0001', '001', '0000000001', 'O', '000777', :D, 'C1', 'K1', '01')",
             {{"D", opening}});
        exec("INSERT INTO MOVCAIXA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUMOVI, DTABERCAIX, CDTIPORECE, VRMOVIVEND, "
             "IDTIPOMOVIVE) VALUES ('0001', '001', '0000000001', '1', :D, 'DEB', 12, 'V')",
             {{"D", opening}});
    }
    void TearDown() override
    {
        Clock::setNow({});
        HostDatabase::reset();
        Qub_proximocodigo::releaseIdleSession();
        DatabaseTest::TearDown();
    }

    // The till's parameter file with the switches of the statement server and the mirrors.
    void tillParameters(const QList<QPair<QString, QString>> &values)
    {
        DataPacket packet;
        QList<Variant> row;
        for (const auto &[name, value] : values) {
            packet.fields.append(FieldDef{name, FieldType::String, 100});
            row.append(Variant(value));
        }
        packet.rows.append(row);
        QString error;
        ASSERT_TRUE(CdsFile::save(SitePaths::resolve(QStringLiteral("PARAMETROSQUB.CDS")), packet, &error))
            << error.toStdString();
    }

    CancellationAnswer cancelCoupon()
    {
        return ReceiptCancelHost::AlteraVendaCan({"000777", "0001", "001", opening, "", "", "SUP", ""});
    }

    ScopedHostServices host{Pkg_Hrk00002()};
    QStringList mirrored;
    QStringList exported;
    int centralRefreshes = 0;
};

TEST_P(CouponCancelTest, ServerCancellationCarriesTheTillsMirrorsAndStatementServer)
{
    tillParameters({{"CDFILIAL", "0001"},
                    {"IDDEBCONSCENTRAL", "S"},
                    {"IDEXTCONSCENTRAL", "S"},
                    {"IDEXTCONSONLINE", "S"},
                    {"CDURLWSEXTCONS", "http://127.0.0.1:1/extrato"}});
    const CancellationAnswer answer = cancelCoupon();
    ASSERT_FALSE(answer.result.isFailure()) << answer.result.failureText().toStdString();
    EXPECT_EQ(answer.saleSequence.toString(), "0000000001");
    EXPECT_EQ(rows("SELECT IDSITUVENDA FROM VENDA")[0][0].toString(), "C");
    EXPECT_EQ(mirrored, (QStringList{"UPD_ULT_MOVICLIE", "UPD_SALDO_MOVICLIE"}));
    EXPECT_EQ(centralRefreshes, 1);
    EXPECT_EQ(exported, QStringList{"VENDA_CANC http://127.0.0.1:1/extrato"});
}

TEST_P(CouponCancelTest, TillWithoutMirrorsTellsNoCentralServer)
{
    tillParameters({{"CDFILIAL", "0001"}, {"IDDEBCONSCENTRAL", "N"}, {"IDEXTCONSCENTRAL", "N"}, {"IDEXTCONSONLINE", "N"}});
    ASSERT_FALSE(cancelCoupon().result.isFailure());
    EXPECT_TRUE(mirrored.isEmpty());
    EXPECT_EQ(centralRefreshes, 0);
    EXPECT_TRUE(exported.isEmpty());
}

// No open coupon of that number: refused for good, so the till does not keep it to send again.
TEST_P(CouponCancelTest, CouponOfNoOpenSaleIsRefusedForGood)
{
    tillParameters({{"CDFILIAL", "0001"}});
    ASSERT_FALSE(cancelCoupon().result.isFailure());
    const CancellationAnswer again = cancelCoupon();
    EXPECT_TRUE(again.result.isFailure());
    EXPECT_TRUE(again.definitive);
}

VENDACONS_DATABASE_KINDS(CouponCancelTest);

} // namespace
