#include "salecancel_fixture.h"

#include <support/fakemessages.h>

#include <outside/geralqub.h>

namespace {

// ---- the cancellation written ----------------------------------------------------------------

class CancelConsumerSale : public SaleCancelTest
{
};

struct SaleCase
{
    const char *name;
    const char *receiptType; // "CRED": personal credit ("9"); "DEB": consumer debit ("A")
    QList<QPair<QString, double>> families;
    double debit;
};

const QList<SaleCase> consumerSales{
    {"personal credit in two families", "CRED", {{"REF", 30.0}, {"LAN", 5.0}}, 0},
    {"consumer debit", "DEB", {}, 12.0},
    {"debit and credit", "DEB", {{"REF", 7.5}}, 3.25},
};

// The screen passes "C" for a sale that was not paid in cash, whether personal credit or debit.
TEST_P(CancelConsumerSale, GivesBackBalancesBenefitsAndPointsOnceAndMarksTheSaleCancelled)
{
    int sale = 0;
    for (const SaleCase &c : consumerSales) {
        SCOPED_TRACE(c.name);
        const QString seq = QStringLiteral("000000010%1").arg(++sale);
        const QString number = QString::number(120 + sale);
        saveConsumerSale(seq, number, c.receiptType, c.families, c.debit);
        const Snapshot before = snapshot();
        const int saleLines = int(c.families.size());

        const Variant answer = getVendaNFisc(request(number, "C"));
        ASSERT_TRUE(answer.isPacket()) << describe(answer).toStdString();
        ASSERT_EQ(answer.packet().rows.size(), 2); // one row per item
        EXPECT_EQ(answer.packet().value(0, "NMPRODUTO"), Variant("Prato feito"));
        EXPECT_EQ(answer.packet().value(0, "NRCUPOMFIS"), Variant(number));

        EXPECT_EQ(text("SELECT IDSITUVENDA || CDSUPERVISOR || DSOBSCANCUP FROM VENDA WHERE NRSEQVENDA = '" + seq + "'"),
                  "CSUPcliente desistiu");
        EXPECT_EQ(column("SELECT IDTIPOMOVIVE FROM MOVCAIXA WHERE NRSEQVENDA = '" + seq + "'"), QStringList{"C"});
        // Every statement line of the sale comes back, each with the next sequence of its
        // family at the instant (the sale's own line took one at the same second).
        QStringList reversal;
        for (const auto &row : rows("SELECT CDFAMILISALD, NRSEQMOVEXT FROM EXTRATOCONS WHERE NRSEQVENDA = '" + seq
                                    + "' AND IDTPMOVEXT = 'V' ORDER BY 1"))
            reversal << row.at(0).toString() + ":" + QString::number(row.at(1).toInt() + 1).rightJustified(3, '0') + ":C";
        EXPECT_EQ(column("SELECT CDFAMILISALD || ':' || NRSEQMOVEXT || ':' || IDTPMOVEXT FROM EXTRATOCONS "
                         "WHERE NRSEQVENDA = '" + seq + "' AND IDTPMOVEXT = 'C' ORDER BY 1"),
                  reversal);
        EXPECT_EQ(rows("SELECT * FROM EXTRATOCONS WHERE NRSEQVENDA = '" + seq + "' AND IDTPMOVEXT = 'V'").size(),
                  saleLines);
        const QMap<QString, double> restored{{"REF", 100.0}, {"LAN", 20.0}};
        EXPECT_EQ(familyBalances(), restored);
        for (const auto &row : rows("SELECT CDFAMILISALD, VRSALDCONEXT FROM EXTRATOCONS WHERE NRSEQVENDA = '" + seq
                                    + "' AND IDTPMOVEXT = 'C'"))
            EXPECT_EQ(row.at(1).toDouble(), row.at(0).toString() == "REF" ? 100.0 : 20.0);
        // The debit account: the sale's rows cancelled, the balance as before the sale.
        if (c.debit > 0) {
            EXPECT_EQ(column("SELECT DISTINCT IDTIPMOCVLI FROM MOVICLIE WHERE NRSEQVENDA = '" + seq + "'"),
                      QStringList{"X"});
        }
        EXPECT_EQ(debitBalance(), -40.0);
        EXPECT_EQ(benefitUses(), 2);
        EXPECT_EQ(column("SELECT COALESCE(IDTPOPERITFIDEL, '') FROM ITFIDELIDADE WHERE NRSEQVENDA = '" + seq
                         + "' ORDER BY NRSEQUITVEND"),
                  (QStringList{"", "C"}));
        // The roll-forward of the debit account agrees with the cancellation.
        ASSERT_FALSE(setAtualizaDebCons("01", "C1", "K1", "OP", QDateTime(QDate(2026, 5, 1), QTime(0, 0))).isFailure());
        EXPECT_EQ(debitBalance(), -40.0);

        // The same number again: nothing found, nothing changes.
        const Snapshot cancelled = snapshot();
        const Variant again = getVendaNFisc(request(number, "C"));
        ASSERT_TRUE(again.isPacket()) << describe(again).toStdString();
        EXPECT_TRUE(again.packet().isEmpty());
        EXPECT_EQ(snapshot(), cancelled);
        EXPECT_NE(cancelled, before);
    }
}

// Two debit movements of one consumer in the sale: the central base is told each one's new
// balance, the later one given back the earlier amount as well as its own.
TEST_P(CancelConsumerSale, TheCentralMirrorGetsEachMovementsBalanceWithEveryAmountGivenBack)
{
    saveConsumerSale("0000000201", "201", "DEB", {}, 12.0);
    exec("INSERT INTO MOVICLIE (CDCLIENTE, CDCONSUMIDOR, NRSEQMOVCLI, CDFILIAL, CDCAIXA, NRSEQVENDA, DTMOVIMCLIE, "
         "DTMOVCLI, IDTIPMOCVLI, VRMOVCLI, VRSALDOCONS, VRSALDPECONS) VALUES ('C1', 'K1', '9999999999', '01', '001', "
         "'0000000201', '2026-12-31 00:00:00', '2026-12-31 23:00:00', 'D', 3, -55, 0)");
    QList<CentralMovementUpdate> mirrored;
    Pkg_Hrk00002 services;
    services.UpdMoviclieCentral = [&mirrored](const CentralMovementUpdate &update) {
        mirrored << update;
        return HostResult{true, {}};
    };
    ScopedHostServices host(services);
    SaleCancelRequest r = request("201", "C");
    r.IDDEBCONSCENTRAL = "S";

    ASSERT_TRUE(getVendaNFisc(r).isPacket());

    QList<double> balances;
    for (const CentralMovementUpdate &update : mirrored)
        if (update.operation == QLatin1String("UPD_SALDO_MOVICLIE"))
            balances << update.value;
    EXPECT_EQ(balances, (QList<double>{-40.0, -40.0}));
    QList<double> local;
    for (const auto &row : rows("SELECT VRSALDOCONS FROM MOVICLIE WHERE NRSEQVENDA = '0000000201' ORDER BY NRSEQMOVCLI"))
        local << row.first().toDouble();
    EXPECT_EQ(local, (QList<double>{-40.0, -40.0}));
}

TEST_P(CancelConsumerSale, BaseFailingMidwayRollsEverythingBack)
{
    saveConsumerSale("0000000001", "123", "DEB", {{"REF", 30.0}}, 12.0);
    const Snapshot before = snapshot();
    exec("ALTER TABLE ITFIDELIDADE RENAME TO ITFIDELIDADE_FORA"); // the last step, the points, fails
    const Variant answer = getVendaNFisc(request("123", "C"));
    exec("ALTER TABLE ITFIDELIDADE_FORA RENAME TO ITFIDELIDADE");
    ASSERT_TRUE(answer.isFailure());
    EXPECT_FALSE(rdmVendaCons().InTransaction());
    EXPECT_EQ(snapshot(), before);
    // Once the base is back, the same cancellation goes through.
    EXPECT_EQ(getVendaNFisc(request("123", "C")).packet().rows.size(), 2);
    EXPECT_EQ(text("SELECT IDSITUVENDA FROM VENDA"), "C");
}

// The server ends the session (restart, kill, network cut) while the till cancels: the call
// fails clearly, nothing is written, and the next call reconnects and cancels once.
TEST_P(CancelConsumerSale, BaseDownFailsTheCallWithNothingWrittenAndTheNextCallCancelsOnce)
{
    if (kind() == DatabaseKind::SQLite)
        GTEST_SKIP() << "a SQLite session has no server to end it";
    saveConsumerSale("0000000001", "123", "DEB", {{"REF", 30.0}}, 12.0);
    const Snapshot before = snapshot();
    ASSERT_TRUE(rdmVendaCons().StartTrans()); // the session is mid-transaction when it is ended
    const QString helperPid = rows("SELECT pg_backend_pid()").first().first().toString();
    Qub_movrela::DbConnection admin(QStringLiteral("testAdmin"), 10);
    admin.useConnectionString(qEnvironmentVariable("VENDACONS_TEST_PG"));
    ASSERT_TRUE(admin.execute(QStringLiteral("terminate"),
                              QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity "
                                             "WHERE datname = :P_DB AND pid <> CAST(:P_PID AS INTEGER)"),
                              {{QStringLiteral("P_DB"), Geralqub::parseConnectionString(base().connectionString()).database},
                               {QStringLiteral("P_PID"), helperPid}}))
        << admin.lastError().databaseText.toStdString();
    const Variant answer = getVendaNFisc(request("123", "C"));
    ASSERT_TRUE(answer.isFailure()) << describe(answer).toStdString();
    EXPECT_FALSE(rdmVendaCons().InTransaction());
    EXPECT_EQ(snapshot(), before);
    EXPECT_EQ(getVendaNFisc(request("123", "C")).packet().rows.size(), 2);
    EXPECT_TRUE(getVendaNFisc(request("123", "C")).packet().isEmpty());
    EXPECT_EQ(text("SELECT IDSITUVENDA FROM VENDA"), "C");
}

VENDACONS_DATABASE_KINDS(CancelConsumerSale);

class CancelSale : public SaleCancelTest
{
};

TEST_P(CancelSale, NumberOfNoSaleChangesNothingAndAnswersAnEmptyPacket)
{
    saveConsumerSale("0000000001", "123", "CRED", {{"REF", 30.0}}, 0);
    const Snapshot before = snapshot();
    for (const char *kind : {"", "C", "NFCe", "NFCe-Sat", "I"}) {
        const Variant answer = getVendaNFisc(request("999", kind));
        ASSERT_TRUE(answer.isPacket()) << kind << ": " << describe(answer).toStdString();
        EXPECT_TRUE(answer.packet().isEmpty()) << kind;
    }
    EXPECT_EQ(snapshot(), before);
}

// The till pads the number typed to ten digits; a non-fiscal sale keeps it as it was drawn.
TEST_P(CancelSale, NonFiscalNumberIsFoundPaddedOrAsDrawnButNeverByZerosAlone)
{
    saveConsumerSale("0000000001", "1", "CRED", {{"REF", 30.0}}, 0);
    saveCashSale("0000000002", "", "");
    const Snapshot before = snapshot();
    for (const char *number : {"0000000000", "0", "0000000011", "10"}) {
        const Variant answer = getVendaNFisc(request(number, ""));
        EXPECT_TRUE(answer.isPacket() && answer.packet().isEmpty()) << number << ": " << describe(answer).toStdString();
        EXPECT_TRUE(getVendaNFisc(request(number, "C")).packet().isEmpty()) << number;
    }
    EXPECT_EQ(snapshot(), before);
    EXPECT_FALSE(getVendaNFisc(request("0000000001", "C")).packet().isEmpty());
    EXPECT_EQ(text("SELECT IDSITUVENDA FROM VENDA WHERE NRSEQVENDA = '0000000001'"), "C");
    EXPECT_TRUE(getVendaNFisc(request("1", "C")).packet().isEmpty()) << "cancelled once only";
}

TEST_P(CancelSale, CashSaleIsCancelledOnTheOrdinaryRoadAndItsDeliveryTabReleased)
{
    saveCashSale("0000000002", "77", "DLV_Maria");
    const Variant answer = getVendaNFisc(request("77", ""));
    ASSERT_TRUE(answer.isPacket()) << describe(answer).toStdString();
    EXPECT_EQ(answer.packet().rows.size(), 2);
    EXPECT_EQ(text("SELECT IDSITUVENDA || IDIMPVENDA FROM VENDA WHERE NRSEQVENDA = '0000000002'"), "CA");
    EXPECT_EQ(text("SELECT IDSTCOMANDA FROM COMANDAVEN WHERE NRCOMANDA = 'T9'"), "4");
    EXPECT_EQ(column("SELECT IDTIPOMOVIVE FROM MOVCAIXA WHERE NRSEQVENDA = '0000000002'"), QStringList{"C"});
    // The cash sale is not a consumer sale: the consumer kind does not find it again.
    EXPECT_TRUE(getVendaNFisc(request("77", "C")).packet().isEmpty());
    // The items of the cancelled sale, for the cancelled-items ticket.
    const Variant items = getVendaNFisc(request("77", "I"));
    ASSERT_EQ(items.packet().rows.size(), 2);
    EXPECT_EQ(items.packet().value(0, "IDIMPCANITEM"), Variant("S"));
}

TEST_P(CancelSale, TabThatIsNoDeliveryOrIsClosedStaysAsItIs)
{
    saveCashSale("0000000002", "77", "Mesa 4");
    ASSERT_TRUE(getVendaNFisc(request("77", "")).isPacket());
    EXPECT_EQ(text("SELECT IDSTCOMANDA FROM COMANDAVEN WHERE NRCOMANDA = 'T9'"), "1");
}

TEST_P(CancelSale, ElectronicKindsKeepOrSetTheStatusAndKeepThePrintedMark)
{
    saveCashSale("0000000003", "", "", "000000451", "I");
    saveCashSale("0000000004", "", "", "000000452");
    SaleCancelRequest nfce = request("000000451", "NFCe");
    nfce.NRACESSOCANC = "KEY451";
    ASSERT_EQ(getVendaNFisc(nfce).packet().rows.size(), 2);
    EXPECT_EQ(text("SELECT IDSITUVENDA || IDSTATUSNFCE || IDIMPVENDA || NRACESSOCANC FROM VENDA "
                   "WHERE NRSEQVENDA = '0000000003'"),
              "CAIKEY451");
    ASSERT_EQ(getVendaNFisc(request("000000452", "NFCe-Sat")).packet().rows.size(), 2);
    EXPECT_EQ(text("SELECT IDSITUVENDA || IDSTATUSNFCE || IDIMPVENDA FROM VENDA WHERE NRSEQVENDA = '0000000004'"), "CCA");
}

// The screen cancels with no document text of its own: the one the sale holds stays, whether
// the text comes empty or null; a text given replaces it.
TEST_P(CancelSale, CancellationDocumentStoredIsKeptWhenNoneIsGiven)
{
    const struct { const char *seq, *number, *kind; QString given, kept; } cases[] = {
        {"0000000005", "000000455", "NFCe", QString(), "XML-ANTES"},
        {"0000000006", "000000456", "NFCe", QString(""), "XML-ANTES"},
        {"0000000007", "000000457", "NFCe-Sat", QString(), "XML-ANTES"},
        {"0000000008", "000000458", "NFCe", QString("XML-NOVO"), "XML-NOVO"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.seq);
        saveCashSale(c.seq, "", "", c.number);
        exec("UPDATE VENDA SET DSARQXMLCANCNFCE = 'XML-ANTES' WHERE NRSEQVENDA = :S", {{"S", QString(c.seq)}});
        SaleCancelRequest r = request(c.number, c.kind);
        r.DSARQXMLCANCNFCE = c.given;
        ASSERT_EQ(getVendaNFisc(r).packet().rows.size(), 2);
        EXPECT_EQ(text(QStringLiteral("SELECT DSARQXMLCANCNFCE FROM VENDA WHERE NRSEQVENDA = '") + c.seq + "'"), c.kept);
    }
}

// A cancelled debit the central base was not told of stays marked pending and the cashier is
// told so, once; told, the mark clears and nothing is said.
TEST_P(CancelSale, CentralDebitMirrorThatFailsIsKeptPendingAndTold)
{
    const struct { const char *seq, *number; bool answers; const char *mark; int told; } cases[] = {
        {"0000000011", "311", false, "CP", 1},
        {"0000000012", "312", true, "CS", 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.seq);
        saveConsumerSale(c.seq, c.number, "DEB", {}, 12.0);
        ScopedHostServices host{Pkg_Hrk00002()};
        int calls = 0;
        host.table().UpdMoviclieCentral = [&](const CentralMovementUpdate &) {
            ++calls;
            return c.answers ? HostResult{true, {}} : HostResult{false, QStringLiteral("sem conexão")};
        };
        SaleCancelRequest r = request(c.number, "C");
        r.IDDEBCONSCENTRAL = "S";
        FakeMessages messages;
        ASSERT_EQ(getVendaNFisc(r).packet().rows.size(), 2);
        EXPECT_EQ(calls, 2); // the sale's rows marked, the consumer's balance given back
        EXPECT_EQ(text(QStringLiteral("SELECT IDSITUVENDA || IDEXPDEBCENT FROM VENDA WHERE NRSEQVENDA = '") + c.seq + "'"),
                  c.mark);
        ASSERT_EQ(messages.count(), c.told);
        if (c.told) {
            EXPECT_TRUE(messages.calls().first().text.contains("pendente de envio à base central"));
        }
    }
}

TEST_P(CancelSale, OnlineStatementExportLeftPendingWhenTheServerDoesNotAnswer)
{
    saveConsumerSale("0000000001", "123", "CRED", {{"REF", 30.0}}, 0);
    QList<OnlineStatementRequest> sent;
    ScopedHostServices host{Pkg_Hrk00002()};
    host.table().ExtratoConsOnline = [&](const OnlineStatementRequest &call, ClientDataSet &) {
        sent.append(call);
        return StatementAnswer{}; // not reached
    };
    SaleCancelRequest online = request("123", "C");
    online.IDEXTCONSONLINE = "S";
    online.CDURLWSEXTCONS = "http://127.0.0.1:1/extrato";
    FakeMessages messages;
    ASSERT_EQ(getVendaNFisc(online).packet().rows.size(), 2);
    ASSERT_EQ(sent.size(), 1);
    EXPECT_EQ(sent.first().operation, "VENDA_CANC");
    EXPECT_EQ(text("SELECT IDSITUVENDA || IDEXPEXTCANC FROM VENDA WHERE NRSEQVENDA = '0000000001'"), "CP");
    // The cashier is told once, as an error, and told what stands: no export is promised.
    ASSERT_EQ(messages.count(), 1);
    EXPECT_EQ(messages.calls().first().kind, int(Ravuvozozod::Error));
    EXPECT_EQ(messages.calls().first().text,
              "Atenção! Não foi possível estabelecer uma conexão com o servidor de extrato. A venda foi cancelada e o "
              "estorno do extrato ficou marcado como pendente de exportação.");
}

TEST_P(CancelSale, OnlineStatementExportDoneClearsThePendingMark)
{
    saveConsumerSale("0000000001", "123", "CRED", {{"REF", 30.0}}, 0);
    int lines = 0;
    ScopedHostServices host{Pkg_Hrk00002()};
    host.table().ExtratoConsOnline = [&](const OnlineStatementRequest &, ClientDataSet &dataset) {
        lines = dataset.RecordCount();
        return StatementAnswer{true, {}, {}};
    };
    SaleCancelRequest online = request("123", "C");
    online.IDEXTCONSONLINE = "S";
    FakeMessages messages;
    ASSERT_TRUE(getVendaNFisc(online).isPacket());
    EXPECT_EQ(lines, 1);
    EXPECT_EQ(messages.count(), 0);
    EXPECT_EQ(text("SELECT IDEXPEXTCANC FROM VENDA WHERE NRSEQVENDA = '0000000001'"), "S");
}

// SQLite keeps a text of any length whatever its declared size, so only PostgreSQL can show
// a column too narrow; there a base made before the widening has all six at their old sizes.
TEST_P(CancelSale, WidenedPartnerColumnsTakeTheSaleRowsValuesAlsoOnAnExistingBase)
{
    const QList<QPair<const char *, int>> oldSizes{{"IDREQVALPRE", 1},   {"IDREQCOREBANC", 1}, {"IDCUPOMVIMO", 1},
                                                   {"NRCPFCOREBANC", 14}, {"NRCPFFIXECRM", 14}, {"NRNFCECRMBONUS", 20}};
    if (kind() == DatabaseKind::PostgreSql) {
        // Its upgrade widens the columns in place.
        for (const auto &[column, size] : oldSizes)
            exec(QStringLiteral("ALTER TABLE VENDA ALTER COLUMN %1 TYPE VARCHAR(%2)").arg(QLatin1String(column)).arg(size));
        ASSERT_FALSE(Schema::upgrade(rdmVendaCons().adcVendaCons()).isFailure());
    }
    const QString request36(36, QLatin1Char('r'));
    const QString cpf20(20, QLatin1Char('9'));
    exec("INSERT INTO VENDA (CDFILIAL, CDCAIXA, NRSEQVENDA, IDREQVALPRE, IDREQCOREBANC, NRCPFCOREBANC, IDCUPOMVIMO, "
         "NRCPFFIXECRM, NRNFCECRMBONUS) VALUES ('01', '001', '9', :A, :A, :B, :B, :B, :C)",
         {{"A", request36}, {"B", cpf20}, {"C", QString(25, QLatin1Char('5'))}});
    EXPECT_EQ(text("SELECT IDREQVALPRE || '|' || IDREQCOREBANC FROM VENDA WHERE NRSEQVENDA = '9'"),
              request36 + "|" + request36);
    EXPECT_EQ(text("SELECT NRCPFCOREBANC || '|' || IDCUPOMVIMO || '|' || NRCPFFIXECRM FROM VENDA WHERE NRSEQVENDA = '9'"),
              cpf20 + "|" + cpf20 + "|" + cpf20);
    EXPECT_EQ(text("SELECT NRNFCECRMBONUS FROM VENDA WHERE NRSEQVENDA = '9'"), QString(25, QLatin1Char('5')));
}

VENDACONS_DATABASE_KINDS(CancelSale);

} // namespace
