#include "hostbasefixture.h"

#include <host/partners/authorities.h>
#include <host/devices/fiscalprinter.h>
#include <host/site/hostdatabase.h>
#include <host/site/hostschema.h>
#include <host/site/salesaving.h>
#include <server/srv_consumers.h>

#include <support/databasefixture.h>
#include <support/sessioncut.h>

#include <outside/qub_proximocodigo.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>

#include <functional>

namespace {

const QDateTime opening(QDate(2024, 3, 5), QTime(6, 0));

void define(ClientDataSet &dataset, const QList<FieldDef> &fields)
{
    for (const FieldDef &field : fields)
        dataset.FieldDefs().Add(field.name, field.type, field.size);
    dataset.CreateDataSet();
}

// The thirteen datasets of a counter sale: three items, two payments, one cancelled line.
struct SaleRows
{
    ClientDataSet venda{"cdsVenda"}, movCaixa{"cdsMovCaixa"}, vendaCancelada{"cdsVendaCancelada"},
        familias{"cdsFamiliaSaldo"}, emprestimos{"cdsEmprestimoFam"}, promoComb{"cdsItPromoComb"},
        devolucao{"cdsDevolucao"}, vazio{"cdsVazio"}, obs{"cdsObsItens"}, obsEst{"cdsObsItensEst"},
        cancelados{"cdsItensCancelados"}, fidelidade{"cdsExtConsFid"}, promoComanda{"cdsPromoComanda"};

    SaleRows()
    {
        const FieldType S = FieldType::String, D = FieldType::Double;
        define(venda, {{"CDFILIAL", S, 4}, {"CDLOJA", S, 10}, {"CDPRODUTO", S, 10}, {"NMPRODUTO", S, 50},
                       {"QTPRODCOMVEN", D}, {"VRPRECCOMVEN", D}, {"VRDESCCOMVEN", D}, {"NRSEQ", S, 3},
                       {"CDIMPOSTO", S, 2}, {"VRPEALIMPFIS", S, 100}, {"IDTPIMPOSFIS", S, 1}, {"CDCLIENTE", S, 21},
                       {"CDCONSUMIDOR", S, 21}, {"CDOPERADOR", S, 12}, {"NRINSCRCONS", S, 20}});
        define(movCaixa, {{"CDTIPORECE", S, 3}, {"NMTIPORECE", S, 40}, {"IDTIPORECE", S, 2}, {"IDTIPOMOVIVE", S, 1},
                          {"VRMOVIVEND", D}, {"VRTROCO", D}});
        define(vendaCancelada, {{"CDPRODUTO", S, 10}, {"NMPRODUTO", S, 50}, {"QTPRODCOMVEN", D}, {"VRPRECCOMVEN", D},
                                {"CDOPERCANC", S, 12}});
        for (ClientDataSet *empty : {&familias, &emprestimos, &promoComb, &devolucao, &vazio, &obs, &obsEst, &cancelados,
                                     &fidelidade, &promoComanda})
            define(*empty, {{"X", S, 1}});
        item("01001", "Prato feito", 1, 22.90, 0, "001");
        item("09002", "Refrigerante lata", 2, 6.50, 0.50, "002");
        item("05001", "Buffet por quilo", 0.452, 59.90, 0, "003");
        payment("001", "Dinheiro", "1", 40.00, 4.93);
        payment("002", "Cartão de crédito", "2", 13.54, 0);
        vendaCancelada.Append();
        vendaCancelada.FieldByName("CDPRODUTO").SetAsString("07001");
        vendaCancelada.FieldByName("NMPRODUTO").SetAsString("Pudim");
        vendaCancelada.FieldByName("QTPRODCOMVEN").SetAsFloat(1);
        vendaCancelada.FieldByName("VRPRECCOMVEN").SetAsFloat(7.5);
        vendaCancelada.Post();
    }

    void item(const QString &code, const QString &name, double quantity, double price, double discount, const QString &seq)
    {
        venda.Append();
        venda.FieldByName("CDFILIAL").SetAsString("0001");
        venda.FieldByName("CDLOJA").SetAsString("01");
        venda.FieldByName("CDPRODUTO").SetAsString(code);
        venda.FieldByName("NMPRODUTO").SetAsString(name);
        venda.FieldByName("QTPRODCOMVEN").SetAsFloat(quantity);
        venda.FieldByName("VRPRECCOMVEN").SetAsFloat(price);
        venda.FieldByName("VRDESCCOMVEN").SetAsFloat(discount);
        venda.FieldByName("NRSEQ").SetAsString(seq);
        venda.FieldByName("CDIMPOSTO").SetAsString("01");
        venda.FieldByName("VRPEALIMPFIS").SetAsString("3,2");
        venda.FieldByName("CDCLIENTE").SetAsString("000001");
        venda.FieldByName("CDOPERADOR").SetAsString("0001");
        venda.FieldByName("NRINSCRCONS").SetAsString("12345678909");
        venda.Post();
    }

    void payment(const QString &code, const QString &name, const QString &kind, double value, double change)
    {
        movCaixa.Append();
        movCaixa.FieldByName("CDTIPORECE").SetAsString(code);
        movCaixa.FieldByName("NMTIPORECE").SetAsString(name);
        movCaixa.FieldByName("IDTIPORECE").SetAsString(kind);
        movCaixa.FieldByName("IDTIPOMOVIVE").SetAsString("E");
        movCaixa.FieldByName("VRMOVIVEND").SetAsFloat(value);
        movCaixa.FieldByName("VRTROCO").SetAsFloat(change);
        movCaixa.Post();
    }

    ClosingDatasets closing()
    {
        return {venda, movCaixa, vendaCancelada, familias, emprestimos, promoComb, devolucao,
                vazio, obs, obsEst, cancelados, fidelidade, promoComanda};
    }
};

ClosingHeader counterHeader(const QString &documentKind)
{
    ClosingHeader header;
    header.cdCaixa = "001";
    header.dtAberCaix = opening;
    header.cdEmpresa = "01";
    header.documentNumber = "000321";
    header.cdFilial = "0001";
    header.cdLoja = "01";
    header.stRecebAux9 = "000321";
    header.stRecebAux20 = documentKind;
    header.stRecebAux24 = "1";
    header.idAmbTrabNfce = "2";
    header.sgEstadoFili = "SP";
    header.stSenhaPedido = "00042";
    header.doVrImpostoAprox = 1.77;
    return header;
}

class SaleSavingTest : public HostBaseTest
{
protected:
    void TearDown() override
    {
        SaleSaving::setFailurePoint({});
        HostBaseTest::TearDown();
    }

    ClosingAnswer save(SaleRows &rows, const QString &documentKind = "E")
    {
        ClosingDatasets datasets = rows.closing();
        return SaleSaving::SetConcluiFechamento(counterHeader(documentKind), datasets);
    }
    qint64 count(const QString &table)
    {
        return rows("SELECT COUNT(*) FROM " + table).first().first().toLongLong();
    }
    void authority(const QString &line)
    {
        QDir().mkpath(base().siteFolder() + "/Dados");
        QFile file(base().siteFolder() + "/Dados/Autoridade.txt");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(line.toUtf8());
    }
    // The record of `sale` cancelled before it was ever stored.
    static CancelledSaleRecord neverStored(SaleRows &sale)
    {
        CancelledSaleRecord record;
        record.cdsVenda = sale.venda.Data();
        record.cdsVendaCancelada = sale.vendaCancelada.Data();
        record.cdCaixa = "001";
        record.documentNumber = "000322";
        return record;
    }
    QStringList documentsOfTheDay()
    {
        return QDir(Authorities::dayFolder("0001", "001", QDate(2024, 3, 5))).entryList(QDir::Files);
    }
};

TEST_P(SaleSavingTest, SavedSaleReadsBackWithItsItemsTotalsAndPayments)
{
    SaleRows sale;
    const ClosingAnswer answer = save(sale);
    ASSERT_TRUE(answer.failure.isEmpty()) << answer.failure.toStdString();
    const QString key = answer.savedSaleKey.toString();
    EXPECT_EQ(key.size(), 10);

    const auto header = rows("SELECT IDSITUVENDA, VRTOTVENDA, NRVENDAEXT, CDSENHAPED, NRINSCRCONS, DTABERTUR, "
                             "VRIMPOSTOAPROX FROM VENDA WHERE NRSEQVENDA = :P_K",
                             {{"P_K", key}});
    ASSERT_EQ(header.size(), 1);
    EXPECT_EQ(header[0][0].toString(), "O");
    EXPECT_DOUBLE_EQ(header[0][1].toDouble(), 22.90 + 12.50 + 27.07); // 0,452 x 59,90 truncated
    EXPECT_EQ(header[0][2].toString(), "000321");
    EXPECT_EQ(header[0][3].toString(), "00042");
    EXPECT_EQ(header[0][4].toString(), "12345678909");
    EXPECT_EQ(HostDatabase::dateTimeOf(header[0][5]), opening);
    EXPECT_DOUBLE_EQ(header[0][6].toDouble(), 1.77);

    const auto items = rows("SELECT NRSEQUITVEND, CDPRODUTO, QTPRODCOMVEN, VRPRECCOMVEN, VRDESCCOMVEN, CDIMPOSTO, "
                            "VRPEALIMPFIS FROM ITEMVENDA WHERE NRSEQVENDA = :P_K ORDER BY NRSEQUITVEND",
                            {{"P_K", key}});
    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(items[1][1].toString(), "09002");
    EXPECT_DOUBLE_EQ(items[1][2].toDouble(), 2);
    EXPECT_DOUBLE_EQ(items[1][3].toDouble(), 6.50);
    EXPECT_DOUBLE_EQ(items[1][4].toDouble(), 0.50);
    EXPECT_DOUBLE_EQ(items[2][2].toDouble(), 0.452);
    EXPECT_EQ(items[0][5].toString(), "01");
    EXPECT_DOUBLE_EQ(items[0][6].toDouble(), 3.2);

    const auto payments = rows("SELECT CDTIPORECE, VRMOVIVEND, VRTROCO, IDTIPOMOVIVE FROM MOVCAIXA "
                               "WHERE NRSEQVENDA = :P_K ORDER BY NRSEQUMOVI",
                               {{"P_K", key}});
    ASSERT_EQ(payments.size(), 2);
    EXPECT_EQ(payments[0][0].toString(), "001");
    EXPECT_DOUBLE_EQ(payments[0][1].toDouble(), 40.00);
    EXPECT_DOUBLE_EQ(payments[0][2].toDouble(), 4.93);
    EXPECT_DOUBLE_EQ(payments[1][1].toDouble(), 13.54);
    EXPECT_EQ(payments[1][3].toString(), "E");

    EXPECT_EQ(count("ITVENDACAN"), 1);
}

TEST_P(SaleSavingTest, FailureAfterTheSecondItemLeavesNoTrace)
{
    SaleSaving::setFailurePoint([](const QString &step) { return step == "ITEMVENDA 2" ? QString("falha simulada") : QString(); });
    SaleRows sale;
    const ClosingAnswer answer = save(sale);
    EXPECT_EQ(answer.failure, "falha simulada");
    EXPECT_TRUE(answer.savedSaleKey.isFailure());
    for (const char *table : {"VENDA", "ITEMVENDA", "MOVCAIXA", "ITVENDACAN"})
        EXPECT_EQ(count(table), 0) << table;
}

// A base that is up and refuses a row: the failure says which row in words, with the base's
// reason, and leaves the base's address and the statement's name to the log.
TEST_P(SaleSavingTest, ARowTheBaseRefusesIsToldInWordsWithoutAddressOrStatementName)
{
    exec("CREATE UNIQUE INDEX test_um_item_por_filial ON ITEMVENDA (CDFILIAL)");
    SaleRows sale;
    const ClosingAnswer answer = save(sale);
    EXPECT_TRUE(answer.failure.startsWith("O banco de dados recusou gravar o item 2 da venda (motivo informado pelo banco: "))
        << answer.failure.toStdString();
    for (const QString &technical : {QStringLiteral("hostGrava"), QStringLiteral("abrir a base"), base().siteFolder(),
                                     QStringLiteral("SQLITE"), QStringLiteral("POSTGRESQL")})
        EXPECT_FALSE(answer.failure.contains(technical)) << answer.failure.toStdString();
    EXPECT_EQ(count("VENDA"), 0);
}

// On a fiscal-printer desk the receipt ends once the sale is stored; a sale that was not
// stored leaves it open for the settlement to cancel.
TEST_P(SaleSavingTest, ReceiptEndsOnlyWhenTheSaleIsStored)
{
    FiscalPrinter &printer = FiscalPrinter::forSite();
    ASSERT_TRUE(printer.AbreCupom({}).ok);
    ItemSaleRequest item;
    item.itemCode = "01001";
    item.description = "PRATO";
    item.quantity = 1;
    item.price = 62.47;
    ASSERT_TRUE(printer.VendaItem(item).ok);
    ClosingHeader header = counterHeader("E");
    header.nrSerieImp = FiscalPrinter::defaultSerial();

    SaleSaving::setFailurePoint([](const QString &step) { return step == "MOVCAIXA 1" ? QString("falha simulada") : QString(); });
    SaleRows failed;
    ClosingDatasets failedSets = failed.closing();
    EXPECT_FALSE(SaleSaving::SetConcluiFechamento(header, failedSets).failure.isEmpty());
    EXPECT_TRUE(printer.receiptOpen());

    SaleSaving::setFailurePoint({});
    SaleRows stored;
    ClosingDatasets storedSets = stored.closing();
    ASSERT_TRUE(SaleSaving::SetConcluiFechamento(header, storedSets).failure.isEmpty());
    EXPECT_FALSE(printer.receiptOpen());
    EXPECT_DOUBLE_EQ(printer.grandTotal(), 62.47);
    QFile tape(printer.tapePath(Clock::now().date()));
    ASSERT_TRUE(tape.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(tape.readAll());
    EXPECT_TRUE(text.contains("Cartão de crédito")) << text.toStdString(); // the stored payments
    EXPECT_TRUE(text.contains("CUPOM FISCAL FECHADO  COO: 000001")) << text.toStdString();
}

TEST_P(SaleSavingTest, EachSaleGetsItsOwnKey)
{
    SaleRows first, second;
    const QString a = save(first).savedSaleKey.toString();
    const QString b = save(second).savedSaleKey.toString();
    EXPECT_NE(a, b);
    EXPECT_EQ(count("VENDA"), 2);
}

TEST_P(SaleSavingTest, SaleWithoutItemsIsRefused)
{
    SaleRows sale;
    sale.venda.EmptyDataSet();
    EXPECT_FALSE(save(sale).failure.isEmpty());
    EXPECT_EQ(count("VENDA"), 0);
}

TEST_P(SaleSavingTest, AuthorisedNfceIsKeptInTheDaysFolder)
{
    SaleRows sale;
    const ClosingAnswer answer = save(sale, "N");
    ASSERT_TRUE(answer.failure.isEmpty()) << answer.failure.toStdString();
    EXPECT_EQ(answer.nfceStatus, "AUTORIZADA");
    EXPECT_EQ(answer.nfceText1.size(), 44);
    EXPECT_EQ(documentsOfTheDay(), QStringList{answer.nfceText1 + "-nfce.xml"});
    const auto stored = rows("SELECT NRNOTAFISCALCE, NRACESSONFCE, IDSTATUSNFCE FROM VENDA");
    EXPECT_EQ(stored[0][0].toString(), "000321");
    EXPECT_EQ(stored[0][1].toString(), answer.nfceText1);
    EXPECT_EQ(stored[0][2].toString(), "A");
}

TEST_P(SaleSavingTest, RefusedNfceSavesNothing)
{
    authority("NFCE=RECUSA");
    SaleRows sale;
    const ClosingAnswer answer = save(sale, "N");
    EXPECT_TRUE(answer.failure.contains("recusada"));
    EXPECT_EQ(answer.nfceStatus, "REJEITADA"); // the settlement names the authority's refusal
    EXPECT_EQ(count("VENDA"), 0);
    EXPECT_TRUE(documentsOfTheDay().isEmpty());
}

TEST_P(SaleSavingTest, SilentAuthoritySavesTheSaleInContingency)
{
    authority("NFCE=TEMPO");
    SaleRows sale;
    const ClosingAnswer answer = save(sale, "N");
    ASSERT_TRUE(answer.failure.isEmpty());
    EXPECT_EQ(answer.nfceStatus, "CONTIGENCIA_SP");
    EXPECT_EQ(rows("SELECT IDSTATUSNFCE FROM VENDA")[0][0].toString(), "P");
}

TEST_P(SaleSavingTest, SatTransmitsTheSavedSaleAndStoresItsDocument)
{
    SaleRows sale;
    const QString key = save(sale, "S").savedSaleKey.toString();
    const SatAnswer sat = Authorities::SATOnline({"0001", "001", key, "N", "codigo", "", "1,00", "0,50"});
    ASSERT_TRUE(sat.accepted);
    const QString xml = sat.answer.value("arqxmlnfce");
    const QString cfe = xml.mid(xml.indexOf("nCFe") + 5, 6);
    EXPECT_EQ(cfe, "000001");
    EXPECT_EQ(xml.mid(xml.indexOf("nserieSAT") + 10, 9), "900000001");
    EXPECT_EQ(sat.answer.value("valorTotalCFe"), "62.47");
    EXPECT_EQ(sat.answer.value("EEEEE"), "06000");
    const Variant stored = Authorities::AtualizaVendaSat({"0001", "001", key, cfe, "qr", sat.answer});
    EXPECT_FALSE(stored.isFailure());
    EXPECT_EQ(rows("SELECT NRNOTAFISCALCE FROM VENDA")[0][0].toString(), "000001");
    EXPECT_EQ(documentsOfTheDay().size(), 1);
}

TEST_P(SaleSavingTest, SatRefusesOrTimesOutOnCommand)
{
    SaleRows sale;
    const QString key = save(sale, "S").savedSaleKey.toString();
    authority("SAT=RECUSA");
    SatAnswer sat = Authorities::SATOnline({"0001", "001", key, "N", "", "", "", ""});
    EXPECT_FALSE(sat.accepted);
    EXPECT_FALSE(sat.answer.value("mensagem").isEmpty());
    authority("TEMPO");
    sat = Authorities::SATOnline({"0001", "001", key, "N", "", "", "", ""});
    EXPECT_FALSE(sat.accepted);
    EXPECT_TRUE(sat.answer.value("EEEEE").isEmpty());
}

TEST_P(SaleSavingTest, StoredSaleIsCancelledWithItsPayments)
{
    SaleRows sale;
    const QString key = save(sale).savedSaleKey.toString();
    const CancellationAnswer answer = SaleSaving::AlteraVendaCan({key, "0001", "001", opening, "", "", "0002", "SAT"});
    EXPECT_EQ(answer.saleSequence.toString(), key);
    EXPECT_EQ(rows("SELECT IDSITUVENDA FROM VENDA")[0][0].toString(), "C");
    EXPECT_EQ(rows("SELECT COUNT(*) FROM MOVCAIXA WHERE IDTIPOMOVIVE = 'C'")[0][0].toLongLong(), 2);
    EXPECT_TRUE(SaleSaving::AlteraVendaCan({"", "0001", "001", opening, "", "", "", "SAT"}).result.isFailure());
}

TEST_P(SaleSavingTest, SaleNeverStoredIsRecordedAsCancelled)
{
    SaleRows sale;
    const CancelledSaleRecord record = neverStored(sale);
    const CancellationAnswer answer = SaleSaving::IncluiVendaCan(record);
    ASSERT_FALSE(answer.result.isFailure());
    EXPECT_EQ(rows("SELECT IDSITUVENDA, NRVENDAEXT FROM VENDA")[0][0].toString(), "C");
    EXPECT_EQ(count("ITEMVENDA"), 3);
}

// The document tells the authority how the customer paid: each means with what was handed
// over, then the change; the NFC-e from the save's own payments, the CF-e from the stored sale.
TEST_P(SaleSavingTest, TheNfceAndTheCfeCarryTheMeansOfPaymentAndTheChange)
{
    exec("INSERT INTO TIPORECE (CDTIPORECE, NMTIPORECE, IDTIPORECE) VALUES ('005', 'PIX', '6')");
    struct Payment
    {
        const char *code, *name, *kind;
        double kept, change;
    };
    const struct
    {
        const char *name;
        QList<Payment> payments;
        QString nfce, cfe;
    } cases[] = {
        {"cash with change", {{"001", "Dinheiro", "1", 62.47, 7.53}},
         "<pag><detPag><tPag>01</tPag><vPag>70.00</vPag></detPag><vTroco>7.53</vTroco></pag>",
         "<pgto><MP><cMP>01</cMP><vMP>70.00</vMP></MP><vTroco>7.53</vTroco></pgto>"},
        {"credit card", {{"002", "Cartão de crédito", "2", 62.47, 0}},
         "<pag><detPag><tPag>03</tPag><vPag>62.47</vPag></detPag><vTroco>0.00</vTroco></pag>",
         "<pgto><MP><cMP>03</cMP><vMP>62.47</vMP></MP><vTroco>0.00</vTroco></pgto>"},
        {"debit card, then cash with change", {{"003", "Cartão de débito", "3", 40.00, 0}, {"001", "Dinheiro", "1", 22.47, 2.53}},
         "<pag><detPag><tPag>04</tPag><vPag>40.00</vPag></detPag><detPag><tPag>01</tPag><vPag>25.00</vPag></detPag>"
         "<vTroco>2.53</vTroco></pag>",
         "<pgto><MP><cMP>04</cMP><vMP>40.00</vMP></MP><MP><cMP>01</cMP><vMP>25.00</vMP></MP><vTroco>2.53</vTroco></pgto>"},
        {"a payment type known by its code alone", {{"005", "PIX", "", 62.47, 0}},
         "<pag><detPag><tPag>17</tPag><vPag>62.47</vPag></detPag><vTroco>0.00</vTroco></pag>",
         "<pgto><MP><cMP>17</cMP><vMP>62.47</vMP></MP><vTroco>0.00</vTroco></pgto>"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto paid = [&c](SaleRows &sale) {
            sale.movCaixa.EmptyDataSet();
            for (const Payment &p : c.payments)
                sale.payment(p.code, p.name, p.kind, p.kept, p.change);
        };
        SaleRows nfceSale;
        paid(nfceSale);
        const ClosingAnswer nfce = save(nfceSale, "N");
        ASSERT_TRUE(nfce.failure.isEmpty()) << nfce.failure.toStdString();
        QFile kept(Authorities::dayFolder("0001", "001", QDate(2024, 3, 5)) + nfce.nfceText1 + "-nfce.xml");
        ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
        const QString nfceXml = QString::fromUtf8(kept.readAll());
        EXPECT_TRUE(nfceXml.contains("</total>" + c.nfce + "</infNFe>")) << nfceXml.toStdString();

        SaleRows satSale;
        paid(satSale);
        const QString key = save(satSale, "S").savedSaleKey.toString();
        const SatAnswer sat = Authorities::SATOnline({"0001", "001", key, "N", "", "", "", "0,50"});
        ASSERT_TRUE(sat.accepted);
        const QString cfeXml = sat.answer.value("arqxmlnfce");
        EXPECT_TRUE(cfeXml.contains("</total>" + c.cfe + "</infCFe>")) << cfeXml.toStdString();
    }
}

VENDACONS_DATABASE_KINDS(SaleSavingTest);

// ---- a session the server ends during the save ---------------------------------------------

// Where the save's session is made to wait, so that it can be ended there: a lock held on
// ITEMVENDA (the save is cut writing its items) or on MOVCAIXA (the cancellation is cut marking
// the payments), or an advisory lock that a deferred check of VENDA takes at the commit (the
// save is cut at its COMMIT).
const QString holdItems = "LOCK TABLE ITEMVENDA IN SHARE MODE";
const QString holdPayments = "LOCK TABLE MOVCAIXA IN SHARE MODE";
const QString holdCommit = "SELECT pg_advisory_xact_lock(4711)";

// The server ends the host's session while a till saves (a restart of the shared base at rush
// hour): the sale is stored once, whole, and the till hears a sale that finished.
class SaleSavingLoss : public SaleSavingTest
{
protected:
    void SetUp() override
    {
        if (GetParam() == DatabaseKind::SQLite)
            GTEST_SKIP() << "a SQLite session has no server to end it";
        SaleSavingTest::SetUp();
        exec("CREATE FUNCTION test_commit_waits() RETURNS trigger LANGUAGE plpgsql AS "
             "'BEGIN PERFORM pg_advisory_xact_lock(4711); RETURN NULL; END'");
        exec("CREATE CONSTRAINT TRIGGER test_commit_waits AFTER INSERT OR UPDATE ON VENDA "
             "DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION test_commit_waits()");
    }

    QString endWhoWaits(const QString &holdSql, int cuts, const std::function<void()> &action,
                        const std::function<void()> &onWaiting = {})
    {
        return SessionCut::endWhoWaits(base().connectionString(), holdSql, cuts, action, onWaiting);
    }

    // The sale stored once: its header, its three items and two payments, under the answered key.
    void expectStoredOnce(const ClosingAnswer &answer)
    {
        ASSERT_TRUE(answer.failure.isEmpty()) << answer.failure.toStdString();
        ASSERT_FALSE(answer.savedSaleKey.isFailure());
        const QString key = answer.savedSaleKey.toString();
        const auto sales = rows("SELECT NRSEQVENDA, IDSITUVENDA FROM VENDA");
        ASSERT_EQ(sales.size(), 1);
        EXPECT_EQ(sales[0][0].toString(), key);
        EXPECT_EQ(sales[0][1].toString(), "O");
        const Qub_movrela::Params ofTheSale{{"P_KEY", key}};
        EXPECT_EQ(rows("SELECT COUNT(*) FROM ITEMVENDA WHERE NRSEQVENDA = :P_KEY", ofTheSale)[0][0].toLongLong(), 3);
        EXPECT_EQ(rows("SELECT COUNT(*) FROM MOVCAIXA WHERE NRSEQVENDA = :P_KEY", ofTheSale)[0][0].toLongLong(), 2);
    }
};

TEST_P(SaleSavingLoss, ASaveCutBeforeOrAtItsCommitIsStoredOnceAndAnswersTheSale)
{
    const struct
    {
        const char *name;
        const QString &hold;
    } cases[] = {{"cut while writing the items", holdItems}, {"cut at the commit", holdCommit}};
    for (const auto &cut : cases) {
        SCOPED_TRACE(cut.name);
        for (const char *table : {"MOVCAIXA", "ITEMVENDA", "ITVENDACAN", "VENDA"})
            exec(QString("DELETE FROM ") + table);
        SaleRows sale;
        ClosingAnswer answer;
        const QString cutError = endWhoWaits(cut.hold, 1, [&] { answer = save(sale); });
        ASSERT_TRUE(cutError.isEmpty()) << cutError.toStdString();
        expectStoredOnce(answer);
        if (HasFatalFailure())
            return;
    }
}

// The authority has authorised the sale's number when the session is lost at the commit: the
// save made again records that authorisation instead of asking for the number a second time,
// which a real authority refuses as a duplicate.
TEST_P(SaleSavingLoss, AnNfceSaleCutAtItsCommitKeepsTheAuthorisationItHolds)
{
    SaleRows sale;
    ClosingAnswer answer;
    const QString cutError = endWhoWaits(holdCommit, 1, [&] { answer = save(sale, "N"); },
                                         [&] { authority("NFCE=RECUSA"); });
    ASSERT_TRUE(cutError.isEmpty()) << cutError.toStdString();
    expectStoredOnce(answer);
    if (HasFatalFailure())
        return;
    EXPECT_EQ(answer.nfceStatus, "AUTORIZADA");
    EXPECT_EQ(rows("SELECT NRACESSONFCE FROM VENDA")[0][0].toString(), answer.nfceText1);
    EXPECT_EQ(documentsOfTheDay(), QStringList{answer.nfceText1 + "-nfce.xml"});
}

// The COMMIT went through but its answer was lost: the fresh session finds the sale and the
// save answers it, without storing it a second time.
TEST_P(SaleSavingLoss, ASaveWhoseCommitAnswerWasLostIsFoundStoredAndNotRepeated)
{
    int commits = 0;
    SaleSaving::setFailurePoint([&](const QString &step) {
        return step == "COMMIT" && ++commits == 1 ? QString("resposta do COMMIT perdida") : QString();
    });
    SaleRows sale;
    expectStoredOnce(save(sale));
    EXPECT_EQ(commits, 1);
}

// Every session the save opens is ended: it gives up after one more try, says the base did
// not answer, and leaves nothing stored.
TEST_P(SaleSavingLoss, ASaveOnABaseThatStaysDownFailsClearlyWithNothingStored)
{
    SaleRows sale;
    ClosingAnswer answer;
    const QString cutError = endWhoWaits(holdItems, 2, [&] { answer = save(sale); });
    ASSERT_TRUE(cutError.isEmpty()) << cutError.toStdString();
    EXPECT_TRUE(answer.savedSaleKey.isFailure());
    EXPECT_TRUE(answer.failure.contains("[DBNETLIB]")) << answer.failure.toStdString();
    for (const char *table : {"VENDA", "ITEMVENDA", "MOVCAIXA", "ITVENDACAN"})
        EXPECT_EQ(count(table), 0) << table;
}

// The records of a cancelled sale follow the same rule: a cut session costs neither the record
// of a sale never stored nor the cancellation of a stored one.
TEST_P(SaleSavingLoss, CancelledSaleRecordsCutByALostSessionAreStoredOnce)
{
    SaleRows sale;
    const CancelledSaleRecord record = neverStored(sale);
    CancellationAnswer recorded;
    QString cutError = endWhoWaits(holdItems, 1, [&] { recorded = SaleSaving::IncluiVendaCan(record); });
    ASSERT_TRUE(cutError.isEmpty()) << cutError.toStdString();
    ASSERT_FALSE(recorded.result.isFailure()) << recorded.result.failureText().toStdString();
    EXPECT_EQ(rows("SELECT COUNT(*) FROM VENDA WHERE IDSITUVENDA = 'C'")[0][0].toLongLong(), 1);
    EXPECT_EQ(count("ITEMVENDA"), 3);

    for (const char *table : {"ITVENDACAN", "ITEMVENDA", "VENDA"})
        exec(QString("DELETE FROM ") + table);
    const QString key = save(sale).savedSaleKey.toString();
    CancellationAnswer cancelled;
    cutError = endWhoWaits(holdPayments, 1, [&] {
        cancelled = SaleSaving::AlteraVendaCan({key, "0001", "001", opening, "", "", "0002", "SAT"});
    });
    ASSERT_TRUE(cutError.isEmpty()) << cutError.toStdString();
    ASSERT_FALSE(cancelled.result.isFailure()) << cancelled.result.failureText().toStdString();
    EXPECT_EQ(rows("SELECT IDSITUVENDA FROM VENDA")[0][0].toString(), "C");
    EXPECT_EQ(rows("SELECT COUNT(*) FROM MOVCAIXA WHERE IDTIPOMOVIVE = 'C'")[0][0].toLongLong(), 2);
}

VENDACONS_DATABASE_KINDS(SaleSavingLoss);

// ---- the consumer's part of a sale -----------------------------------------------------------

DataPacket textAndNumbers(const QStringList &texts, const QStringList &numbers, const QList<QList<Variant>> &rows)
{
    DataPacket packet;
    for (const QString &name : texts)
        packet.fields.append(FieldDef{name, FieldType::String, 21});
    for (const QString &name : numbers)
        packet.fields.append(FieldDef{name, FieldType::Double, 0});
    packet.rows = rows;
    return packet;
}

// A badge consumer's sale: paid by personal credit ("9") and on the debit account ("A"), with
// the part of each family and the loans the validation found.
void consumerSale(SaleRows &sale, const QList<QList<Variant>> &families, const QList<QList<Variant>> &loans,
                  double credit, double debit)
{
    QList<QList<Variant>> payments{{"009", "Crédito pessoal", "9", "E", "000002", "000101", credit, 0.0}};
    if (debit > 0)
        payments.append({"010", "Débito", "A", "E", "000002", "000101", debit, 0.0});
    sale.movCaixa.SetData(textAndNumbers({"CDTIPORECE", "NMTIPORECE", "IDTIPORECE", "IDTIPOMOVIVE", "CDCLIENTE", "CDCONSUMIDOR"},
                                         {"VRMOVIVEND", "VRTROCO"}, payments));
    sale.familias.SetData(textAndNumbers({"CDFAMILISALD"}, {"VRSALDCONFAM"}, families));
    sale.emprestimos.SetData(textAndNumbers({"CDFAMILISALD", "IDTPMOVEXT"}, {"VRMOVEXTCONS"}, loans));
}

class ConsumerSaleSaving : public SaleSavingTest
{
protected:
    void SetUp() override
    {
        SaleSavingTest::SetUp();
        for (const char *sql : {
                 "INSERT INTO CONSUMIDOR (CDCLIENTE, CDCONSUMIDOR, NMCONSUMIDOR, IDSITCONSUMI, IDVERSALDCON) "
                 "VALUES ('000002', '000101', 'JOSE', '1', 'N')",
                 "INSERT INTO FAMILIASALDO (CDFAMILISALD, NMFAMILISALD) VALUES ('REF', 'REFEICAO')",
                 "INSERT INTO FAMILIASALDO (CDFAMILISALD, NMFAMILISALD) VALUES ('LAN', 'LANCHE')",
                 "INSERT INTO FAMSALDOFILI (CDFILIAL, CDFAMILISALD, NRORDAPRSALD, IDSALDNEGFAM) VALUES ('0001', 'REF', '001', 'N')",
                 "INSERT INTO FAMSALDOFILI (CDFILIAL, CDFAMILISALD, NRORDAPRSALD, IDSALDNEGFAM) VALUES ('0001', 'LAN', '002', 'N')",
                 "INSERT INTO SALDOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, VRSALDCONFAM) VALUES ('000002', '000101', 'REF', 80)",
                 "INSERT INTO SALDOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, VRSALDCONFAM) VALUES ('000002', '000101', 'LAN', 5)",
             })
            exec(sql);
    }
    double balanceOf(const QString &family)
    {
        return rows("SELECT VRSALDCONFAM FROM SALDOCONS WHERE CDFAMILISALD = :F", {{"F", family}}).first().first().toDouble();
    }
};

TEST_P(ConsumerSaleSaving, TheSavePostsTheStatementLinesUnderTheSaleKeyAtItsInstant)
{
    SaleRows sale;
    consumerSale(sale, {{"REF", 10.0}, {"LAN", 12.0}}, {{"REF", "D", 7.0}, {"LAN", "C", 7.0}}, 22.0, 4.5);
    const ClosingAnswer answer = save(sale);
    ASSERT_TRUE(answer.failure.isEmpty()) << answer.failure.toStdString();
    const QString key = answer.savedSaleKey.toString();
    const auto lines = rows("SELECT CDFAMILISALD, IDTPMOVEXT, VRMOVEXTCONS, VRSALDCONEXT, NRSEQMOVEXT, NRSEQVENDA, "
                            "DTMOVEXTCONS FROM EXTRATOCONS ORDER BY CDFAMILISALD, NRSEQMOVEXT");
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0][1].toString() + lines[1][1].toString() + lines[2][1].toString() + lines[3][1].toString(), "CVDV");
    EXPECT_EQ(lines[1][5].toString(), key);
    EXPECT_EQ(lines[3][5].toString(), key);
    EXPECT_TRUE(lines[2][5].isNull() || lines[2][5].toString().isEmpty());
    EXPECT_DOUBLE_EQ(lines[3][3].toDouble(), 63.0);
    EXPECT_EQ(lines[3][4].toString(), "002");
    EXPECT_EQ(HostDatabase::dateTimeOf(lines[0][6]), QDateTime(QDate(2024, 3, 5), QTime(12, 10, 0)));
    EXPECT_DOUBLE_EQ(balanceOf("REF"), 63.0);
    EXPECT_DOUBLE_EQ(balanceOf("LAN"), 0.0);
    // The sale counts in the consumer's figures of the day.
    exec("UPDATE VENDA SET CDCLIENTE = '000002', CDCONSUMIDOR = '000101'");
    EXPECT_EQ(Srv_Kal51000::getProdBasVenDia("0001", "000002", "000101", "09002").toDouble(), 2.0);
    const auto debit = rows("SELECT VRMOVCLI, NRSEQVENDA FROM MOVICLIE WHERE CDCONSUMIDOR = '000101'");
    ASSERT_EQ(debit.size(), 1);
    EXPECT_DOUBLE_EQ(debit[0][0].toDouble(), 4.5);
    EXPECT_EQ(debit[0][1].toString(), key);
}

// Another till spent the balance since the validation: the save refuses and keeps nothing.
TEST_P(ConsumerSaleSaving, ABalanceSpentSinceTheValidationRefusesTheWholeSave)
{
    exec("UPDATE SALDOCONS SET VRSALDCONFAM = 9.99 WHERE CDFAMILISALD = 'REF'");
    SaleRows sale;
    consumerSale(sale, {{"REF", 10.0}}, {}, 10.0, 0);
    const ClosingAnswer answer = save(sale);
    EXPECT_EQ(answer.failure, "ERRO_2REF - REFEICAO");
    EXPECT_TRUE(answer.savedSaleKey.isFailure());
    EXPECT_EQ(count("VENDA"), 0);
    EXPECT_EQ(count("MOVCAIXA"), 0);
    EXPECT_EQ(count("EXTRATOCONS"), 0);
    EXPECT_DOUBLE_EQ(balanceOf("REF"), 9.99);
}

VENDACONS_DATABASE_KINDS(ConsumerSaleSaving);

TEST(AccessKey, CheckDigitIsModuloEleven)
{
    const QString body = "3517030852365600016065001000000001100000001";
    EXPECT_EQ(Authorities::checkDigit(body), 0);
    EXPECT_EQ(Authorities::checkDigit("0000000000000000000000000000000000000000001"), 9);
    const QString key = Authorities::accessKey("SP", QDate(2024, 3, 5), "12.345.678/0001-95", "65", "1", "321", "7");
    EXPECT_EQ(key.size(), 44);
    EXPECT_EQ(key, "35240312345678000195650010000003211000000077");
}

} // namespace
