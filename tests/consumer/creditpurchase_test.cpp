#include <support/saleformfixture.h>

#include <consumer/consumersale.h>
#include <server/srv_consumers_credit.h>

#include <outside/qub_movrela_db.h>
#include <sale/formnames.h>
#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/money.h>

#include <QAbstractButton>


namespace {

const QString CargaOk = QStringLiteral("Carga de cartão efetuada com sucesso.");
const QString CargaNaoOk = QStringLiteral("Operação bloqueada. Carga de crédito não realizada.");

// A counter till on a fresh SQLite site: consumer K1 of client C1 (badge B1, type T1) holds
// 80,00 in the meal family REF; the branch offers REF (open to loads) and LAN (closed). The
// badge search finds K1, the payment screen takes 50,00 in cash and the personal-credit
// voucher prints; the server functions are the server layer's, on the site's base.
class CreditPurchaseTest : public SaleFormTest
{
protected:
    void SetUp() override
    {
        SaleFormTest::SetUp();
        if (HasFatalFailure())
            return;
        db.useConnectionString(m_base->connectionString());
        for (const char *sql :
             {"INSERT INTO FAMILIASALDO (CDFAMILISALD, NMFAMILISALD) VALUES ('REF', 'REFEICAO')",
              "INSERT INTO FAMILIASALDO (CDFAMILISALD, NMFAMILISALD) VALUES ('LAN', 'LANCHE')",
              "INSERT INTO FAMSALDOFILI (CDFILIAL, CDFAMILISALD, NRORDAPRSALD, IDSALDNEGFAM) VALUES ('01', 'REF', '001', 'N')",
              "INSERT INTO FAMSALDOFILI (CDFILIAL, CDFAMILISALD, NRORDAPRSALD, IDSALDNEGFAM) VALUES ('01', 'LAN', '002', 'N')",
              "INSERT INTO CONSUMIDOR (CDCLIENTE, CDCONSUMIDOR, NMCONSUMIDOR, IDSITCONSUMI, CDIDCONSUMID, CDTIPOCONS) "
              "VALUES ('C1', 'K1', 'ANA', '1', 'B1', 'T1')",
              "INSERT INTO SALDOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, VRSALDCONFAM) VALUES ('C1', 'K1', 'REF', 80)",
              "INSERT INTO EXTRATOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, DTMOVEXTCONS, NRSEQMOVEXT, IDTPMOVEXT, "
              "VRMOVEXTCONS, VRSALDCONEXT, CDFILIAL, CDCAIXA, NRDEPOSICONS) VALUES ('C1', 'K1', 'REF', "
              "'2024-03-01 08:00:00', '001', 'C', 80, 80, '01', '001', 'SEMENTE')",
              "INSERT INTO PARAVEND (CDFILIAL, CDCLIENTE) VALUES ('01', 'PADRAO')"})
            exec(QString::fromLatin1(sql));
        SaleState &s = state();
        s.host.stModoVenda = "B";
        Parameters &p = s.editParams();
        p.stCDFILIAL = "01";
        p.stCDCAIXA = "001";
        p.stIDESQUEMA = "1";
        p.stNRSERIEIMP = "SIM01";
        p.dtDTABERCAIX = QDateTime(now.date(), QTime(6, 0));
        s.startup.dtMovimentoFiscal = now.date().startOfDay();
        families({{"REF", "REFEICAO", "S"}, {"LAN", "LANCHE", "N"}});
        scriptHost();
        counters = std::make_unique<ScopedTable<Seam::Counters>>(countersReplacement());
    }

    void TearDown() override
    {
        counters.reset();
        SaleFormTest::TearDown();
    }

    void exec(const QString &sql) { ASSERT_TRUE(db.execute(QStringLiteral("test"), sql, {})) << sql.toStdString(); }
    QList<QList<QVariant>> rows(const QString &sql)
    {
        Qub_movrela::QueryRows result;
        EXPECT_TRUE(db.execute(QStringLiteral("test"), sql, {}, &result)) << sql.toStdString();
        return result.rows;
    }
    double balance() { return rows("SELECT VRSALDCONFAM FROM SALDOCONS WHERE CDFAMILISALD = 'REF'").first().first().toDouble(); }
    int loads() { return rows("SELECT COUNT(*) FROM EXTRATOCONS WHERE NRDEPOSICONS <> 'SEMENTE'").first().first().toInt(); }
    int movements() { return rows("SELECT COUNT(*) FROM MOVCAIXA").first().first().toInt(); }

    void families(const QList<QStringList> &rows)
    {
        ClientDataSet &f = data().cdsFamSaldo;
        f.Close();
        f.FieldDefs().Clear();
        f.FieldDefs().Add("CDFILIAL", FieldType::String, 4);
        f.FieldDefs().Add("CDFAMILISALD", FieldType::String, 3);
        f.FieldDefs().Add("NMFAMILISALD", FieldType::String, 30);
        f.FieldDefs().Add("IDPERMCARGACRED", FieldType::String, 1);
        f.CreateDataSet();
        for (const QStringList &row : rows) {
            f.Append();
            f.FieldByName("CDFILIAL").SetAsString("01");
            f.FieldByName("CDFAMILISALD").SetAsString(row.at(0));
            f.FieldByName("NMFAMILISALD").SetAsString(row.at(1));
            f.FieldByName("IDPERMCARGACRED").SetAsString(row.at(2));
            f.Post();
        }
    }

    void scriptHost()
    {
        ConsumerSearchAnswer found;
        found.found = true;
        found.stCdClienteVenda = "C1";
        found.stCDCONSUMIDOR = "K1";
        found.stNmConsumidor = "ANA";
        found.stCDTIPOCONS = "T1";
        found.stNrCracha = "B1";
        host->setDefault(&Pkg_Hrk00002::PesqConsumidor, found);
        // The operator moves to `chosenFamily` and confirms it, or leaves the search there.
        host->handle(&Pkg_Hrk00002::Pesquisa, [this](const SearchRequest &, ClientDataSet &dataset) {
            const bool found = dataset.Locate("CDFAMILISALD", chosenFamily);
            return found && searchConfirms;
        });
        host->handle(&Pkg_Hrk00002::Recebimento, [this](const PaymentRequest &, PaymentDatasets &d) {
            PaymentAnswer answer;
            if (paid <= 0)
                return answer;
            ClientDataSet &rows = d.cdsMovCaixa;
            if (!rows.Active())
                rows.CreateDataSet();
            rows.Append();
            rows.FieldByName("IDTIPOMOVIVE").SetAsString("E");
            rows.FieldByName("CDTIPORECE").SetAsString("001");
            rows.FieldByName("NMTIPORECE").SetAsString("Dinheiro");
            rows.FieldByName("VRMOVIVEND").SetAsFloat(paid);
            rows.FieldByName("DTHRINCMOV").SetValue(now);
            rows.Post();
            answer.paid = true;
            return answer;
        });
        CreditPurchaseFiscalAnswer printed;
        printed.ok = true;
        printed.receiptNumber = "000321";
        host->setDefault(&Pkg_Hrk00001::Compr_CredPessoal, printed);
        host->setDefault(&Pkg_Hrk00001::FinalizaTransTef, HostResult::done());
    }

    Seam::Counters countersReplacement()
    {
        Seam::Counters c;
        c.setNrVendaNFisc = [](const QString &, const QString &, const QString &) { return Variant(QStringLiteral("55")); };
        c.setGravaCupomInicial = [this](const QString &, const QString &, const QString &receipt, const QDateTime &) {
            firstReceipts << receipt;
            return Variant();
        };
        c.getPrxVendaColombia = [this](const QString &, const QString &, const QString &, const QString &,
                                       const QString &) { return Variant(colombia); };
        return c;
    }

    // Alt+E's handler, through the form's dispatch (a refusal ends there quietly).
    void press()
    {
        QAbstractButton *button = context().button(FormName::spbCompraCred);
        context().dispatch([this, button] { context().consumer().spbCompraCredClick(button); });
    }

    Qub_movrela::DbConnection db{QStringLiteral("creditTest")};
    QString chosenFamily = QStringLiteral("REF");
    bool searchConfirms = true;
    double paid = 50.0;
    QString colombia = QStringLiteral("000001");
    QStringList firstReceipts;
    std::unique_ptr<ScopedTable<Seam::Counters>> counters;
};

// Badge, family, 50,00 in cash: one "C" line, SALDOCONS up, the voucher with a deposit number
// of ten characters, "CC" as the last movement, the till free again. Twice in a row: two
// deposit numbers, the balance up by both and the statement adding up.
TEST_F(CreditPurchaseTest, LoadsTheFamilyTwiceInARow)
{
    press();
    ASSERT_EQ(loads(), 1) << messages->texts().join(" | ").toStdString();
    press();
    EXPECT_EQ(loads(), 2);
    EXPECT_EQ(balance(), 180.0);
    EXPECT_EQ(messages->texts(), QStringList({CargaOk, CargaOk}));
    const auto vouchers = host->requests(&Pkg_Hrk00001::Compr_CredPessoal);
    ASSERT_EQ(vouchers.size(), 2);
    EXPECT_EQ(vouchers.at(0).depositNumber.size(), 10);
    EXPECT_NE(vouchers.at(0).depositNumber, vouchers.at(1).depositNumber);
    EXPECT_EQ(vouchers.at(0).familyName, "REFEICAO");
    EXPECT_EQ(vouchers.at(0).nmConsumidor, "ANA");
    EXPECT_EQ(vouchers.at(0).voucherNumber, "55");
    EXPECT_EQ(firstReceipts, QStringList({"000321", "000321"}));
    EXPECT_EQ(host->last(&Pkg_Hrk00002::PesqConsumidor).prompt, "Carga de cartão");
    EXPECT_EQ(host->last(&Pkg_Hrk00002::Recebimento).saleKind, "S");
    double carried = 0;
    for (const QList<QVariant> &r : rows("SELECT VRSALDCONEXT FROM EXTRATOCONS ORDER BY DTMOVEXTCONS, NRSEQMOVEXT"))
        carried = r.first().toDouble();
    EXPECT_EQ(Money::RoundDec(carried, 2), 180.0);
    EXPECT_EQ(state().till.stCancCupomAux3, "CC");
    EXPECT_FALSE(state().busy.boImprimindoCompCred);
    EXPECT_FALSE(context().button(FormName::spbCompraCred)->isDown());
    EXPECT_EQ(data().cdsMovCaixa.RecordCount(), 0);
    // Voucher printed: neither load is left waiting to be finished at the next start.
    EXPECT_EQ(rows("SELECT COUNT(*) FROM CARGAPENDCONS").first().first().toInt(), 0);
}

// A load of 50,00 for ANA written as the till writes it, then left as a till stopped before
// its voucher leaves it; paid by card when `nsu` is not empty.
void writeInterruptedLoad(const Parameters &p, const QDateTime &now, const QString &deposit, const QString &nsu)
{
    Srv_Kal51000::CreditPurchaseWrite load;
    load.movements.fields = {FieldDef{"IDTIPOMOVIVE", FieldType::String, 1}, FieldDef{"CDTIPORECE", FieldType::String, 3},
                             FieldDef{"NMTIPORECE", FieldType::String, 40}, FieldDef{"VRMOVIVEND", FieldType::Double, 0},
                             FieldDef{"DTHRINCMOV", FieldType::DateTime, 0},
                             FieldDef{"CDNSUHOSTTEF", FieldType::String, 50}};
    load.movements.rows.append({QStringLiteral("E"), nsu.isEmpty() ? QStringLiteral("001") : QStringLiteral("002"),
                                nsu.isEmpty() ? QStringLiteral("Dinheiro") : QStringLiteral("Cartão"), 50.0, now, nsu});
    load.CDFILIAL = p.stCDFILIAL;
    load.CDCAIXA = p.stCDCAIXA;
    load.CDCLIENTE = "C1";
    load.CDCONSUMIDOR = "K1";
    load.CDFAMILISALD = "REF";
    load.NRDEPOSICONS = deposit;
    load.NRSERIEIMP = p.stNRSERIEIMP;
    load.IDEXTCONSONLINE = "N";
    load.IDEXTCONSCENTRAL = "N";
    load.DTABERCAIX = p.dtDTABERCAIX;
    load.DTMOVIMENTO = now.date().startOfDay();
    load.NMCONSUMIDOR = "ANA";
    load.NMFAMILISALD = "REFEICAO";
    load.NRCUPOMCARGA = "55";
    load.VRSALDCREDFAM = 80;
    QString document;
    ASSERT_TRUE(Srv_Kal51000::setGravaCompCred(load, document).toBool());
}

// The till stopped right after a load was written, before its voucher: at the next start the
// operator is told in words, the voucher is printed from what the load kept (on the NFC-e
// desk's non-fiscal printer, on the fiscal printer otherwise), a card payment is confirmed by
// the NSU its movement kept (the card program holds it pending no more) and a cash load
// confirms nothing, nothing is written again, and the load is finished for good: the start
// after that has nothing to say, print or confirm.
TEST_F(CreditPurchaseTest, ALoadInterruptedBeforeItsVoucherIsToldAndFinishedAtTheNextStart)
{
    host->setDefault(&Pkg_Hrk00002::Imp_Compr_Cred, HostResult::done());
    const struct { const char *deposit; bool nfce; const char *nsu; double balance; } desks[] = {
        {"2403050001", false, "", 130.0},
        {"2403050002", true, "", 180.0},
        {"2403050003", false, "000123", 230.0},
        {"2403050004", true, "000124", 280.0},
    };
    for (const auto &desk : desks) {
        SCOPED_TRACE(desk.deposit);
        state().editParams().boSISTEMAQUBNFCE = desk.nfce;
        host->clear();
        messages->clear();
        writeInterruptedLoad(state().params, now, QString::fromLatin1(desk.deposit), QString::fromLatin1(desk.nsu));
        ASSERT_FALSE(HasFatalFailure());

        // The next start comes an hour later: the voucher still says when the load was made.
        Clock::setNow([this] { return now.addSecs(3600); });
        context().consumer().finishInterruptedLoads();
        Clock::setNow([this] { return now; });

        ASSERT_EQ(messages->count(), 1) << messages->texts().join(" | ").toStdString();
        const QString told = messages->texts().first();
        for (const QString &said : {QStringLiteral("foi gravada, mas o sistema parou antes de imprimir o comprovante"),
                                    QStringLiteral("ANA"), QString::fromLatin1(desk.deposit), QStringLiteral("50,00"),
                                    QStringLiteral("Não refaça a carga")})
            EXPECT_TRUE(told.contains(said)) << told.toStdString();
        EXPECT_EQ(told.contains(QStringLiteral("pagamento com cartão confirmado")), *desk.nsu != 0) << told.toStdString();
        const auto nonFiscal = host->requests(&Pkg_Hrk00002::Imp_Compr_Cred);
        const auto fiscal = host->requests(&Pkg_Hrk00001::Compr_CredPessoal);
        ASSERT_EQ(nonFiscal.size() + fiscal.size(), 1);
        const QStringList printed = desk.nfce
            ? QStringList{nonFiscal.first().nmConsumidor, nonFiscal.first().familyName, nonFiscal.first().depositNumber,
                          nonFiscal.first().voucherNumber, QString::number(nonFiscal.first().familyBalance),
                          nonFiscal.first().payments.value(0, "VRMOVIVEND").toString()}
            : QStringList{fiscal.first().nmConsumidor, fiscal.first().familyName, fiscal.first().depositNumber,
                          fiscal.first().voucherNumber, QString::number(fiscal.first().familyBalance),
                          QStringLiteral("50")};
        EXPECT_EQ(printed, QStringList({"ANA", "REFEICAO", desk.deposit, "55", "80", "50"}));
        if (desk.nfce) {
            EXPECT_EQ(nonFiscal.first().loadTime, now);
        }
        // The payment table lent to the voucher is handed back empty.
        EXPECT_FALSE(data().cdsMovCaixa.Active() && data().cdsMovCaixa.RecordCount() > 0);
        const QList<TefFinishRequest> confirmed = *desk.nsu ? QList<TefFinishRequest>{{true, QString::fromLatin1(desk.nsu)}}
                                                            : QList<TefFinishRequest>{};
        EXPECT_EQ(host->requests(&Pkg_Hrk00001::FinalizaTransTef), confirmed);
        EXPECT_EQ(balance(), desk.balance);
        EXPECT_EQ(rows("SELECT COUNT(*) FROM EXTRATOCONS WHERE NRDEPOSICONS = '" + QString::fromLatin1(desk.deposit) + "'")
                      .first().first().toInt(),
                  1);
        EXPECT_EQ(rows("SELECT COUNT(*) FROM CARGAPENDCONS").first().first().toInt(), 0);

        messages->clear();
        context().consumer().finishInterruptedLoads();
        EXPECT_EQ(messages->count(), 0);
        EXPECT_EQ(host->count(&Pkg_Hrk00002::Imp_Compr_Cred) + host->count(&Pkg_Hrk00001::Compr_CredPessoal), 1);
        EXPECT_EQ(host->requests(&Pkg_Hrk00001::FinalizaTransTef), confirmed);
    }
}

// The card program no longer knows the charge of an interrupted load (or undid it): the
// customer was credited, so the operator is told which NSU to look at; the voucher still
// prints and the load is not offered again.
TEST_F(CreditPurchaseTest, AnInterruptedLoadWhoseCardChargeIsRefusedIsToldWithItsNsu)
{
    host->setDefault(&Pkg_Hrk00001::FinalizaTransTef,
                     HostResult{false, QStringLiteral("transação negada pelo programa de cartões: transação NSU 000777 desconhecida")});
    writeInterruptedLoad(state().params, now, QStringLiteral("2403050009"), QStringLiteral("000777"));
    ASSERT_FALSE(HasFatalFailure());

    context().consumer().finishInterruptedLoads();

    ASSERT_EQ(messages->count(), 2) << messages->texts().join(" | ").toStdString();
    const QString told = messages->texts().at(1);
    for (const QString &said : {QStringLiteral("2403050009"), QStringLiteral("NSU 000777"), QStringLiteral("não foi confirmado"),
                                QStringLiteral("desconhecida"), QStringLiteral("programa de cartões")})
        EXPECT_TRUE(told.contains(said)) << told.toStdString();
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Compr_CredPessoal), 1);
    EXPECT_EQ(balance(), 130.0);
    EXPECT_EQ(rows("SELECT COUNT(*) FROM CARGAPENDCONS").first().first().toInt(), 0);

    messages->clear();
    context().consumer().finishInterruptedLoads();
    EXPECT_EQ(messages->count(), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::FinalizaTransTef), 1);
}

// A receipt number reserved earlier is used by the next load and then given up.
TEST_F(CreditPurchaseTest, ReservedNumberIsTheVoucherNumberOnce)
{
    state().till.stNrCupomReservado = "777";
    press();
    press();
    const auto vouchers = host->requests(&Pkg_Hrk00001::Compr_CredPessoal);
    ASSERT_EQ(vouchers.size(), 2);
    EXPECT_EQ(vouchers.at(0).voucherNumber, "777");
    EXPECT_EQ(vouchers.at(1).voucherNumber, "55");
    EXPECT_TRUE(state().till.stNrCupomReservado.isEmpty());
}

// The checks before the consumer search refuse with their message and touch nothing.
struct Refusal
{
    const char *name;
    std::function<void(SaleState &)> arrange;
    const char *message;
};

class CreditPurchaseRefusals : public CreditPurchaseTest, public ::testing::WithParamInterface<Refusal>
{
};

TEST_P(CreditPurchaseRefusals, RefusesBeforeTheSearchWithItsMessage)
{
    GetParam().arrange(state());
    press();
    EXPECT_EQ(messages->texts(), QStringList{QString::fromUtf8(GetParam().message)});
    EXPECT_EQ(host->count(&Pkg_Hrk00002::PesqConsumidor), 0);
    EXPECT_EQ(loads(), 0);
    EXPECT_FALSE(context().button(FormName::spbCompraCred)->isDown());
}

INSTANTIATE_TEST_SUITE_P(
    Checks, CreditPurchaseRefusals,
    ::testing::Values(
        Refusal{"VoucherPrinting", [](SaleState &s) { s.busy.boImprimindoCompCred = true; },
                "Operação bloqueada. Aguarde até que o comprovante de compra de crédito pessoal seja totalmente impresso."},
        Refusal{"PersonalCredit", [](SaleState &s) { s.flags.boCreditoPessoal = true; },
                "Operação bloqueada. Venda crédito pessoal já iniciada."},
        Refusal{"DebitSale", [](SaleState &s) { s.flags.boVendaDebito = true; },
                "Operação bloqueada. Venda débito consumidor já iniciada."},
        Refusal{"CashSale", [](SaleState &s) { s.flags.boVendaVista = true; },
                "Operação bloqueada. Venda a Vista com Consumidor já iniciada."},
        Refusal{"ReceiptOpen", [](SaleState &s) { s.flags.boCupomAberto = true; },
                "Operação bloqueada. Não é possível realizar compra de crédito pessoal pois existe um cupom aberto."},
        Refusal{"CollectorTill", [](SaleState &s) { s.editParams().stIDCOLETOR = "C"; },
                "Operação bloqueada. Caixa coletor não realiza este tipo de venda."}),
    [](const ::testing::TestParamInfo<Refusal> &info) { return std::string(info.param.name); });

// Family choice: a closed family refuses (also when the search was cancelled on it), a
// cancelled search ends quietly, one family loads without the search, none refuses.
TEST_F(CreditPurchaseTest, FamilyChoiceAndPermission)
{
    chosenFamily = "LAN";
    press();
    EXPECT_EQ(messages->texts(),
              QStringList{"Família de produto desta filial selecionada não permite realizar Carga de Crédito."});
    messages->clear();
    // Cancelled while the closed family is current: the permission is tested first.
    searchConfirms = false;
    press();
    EXPECT_EQ(messages->texts(),
              QStringList{"Família de produto desta filial selecionada não permite realizar Carga de Crédito."});
    messages->clear();
    chosenFamily = "REF";
    press();
    EXPECT_TRUE(messages->texts().isEmpty());
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), 0);
    host->clear();
    families({{"REF", "REFEICAO", "S"}});
    press();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Pesquisa), 0);
    EXPECT_EQ(loads(), 1);
    messages->clear();
    families({});
    press();
    EXPECT_EQ(messages->texts(), QStringList{"Operação bloqueada. Não há família de saldo cadastrada para a filial 01."});
    EXPECT_EQ(loads(), 1);
}

// The payment screen left: nothing written, no voucher.
TEST_F(CreditPurchaseTest, PaymentNotAcceptedWritesNothing)
{
    paid = 0;
    press();
    EXPECT_EQ(loads(), 0);
    EXPECT_EQ(movements(), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Compr_CredPessoal), 0);
    EXPECT_TRUE(messages->texts().isEmpty());
}

// Five refused attempts: one message, the card payment undone, no voucher and no row.
TEST_F(CreditPurchaseTest, WriteRefusedFiveTimesUndoesTheCardPaymentWithOneMessage)
{
    int attempts = 0;
    Seam::Consumers failing = Seam::Consumers::current();
    failing.setGravaCompCred = [&attempts](const Srv_Kal51000::CreditPurchaseWrite &, QString &) {
        ++attempts;
        return Variant::failure(QStringLiteral("[DBNETLIB] conexão perdida"));
    };
    ScopedTable<Seam::Consumers> seam(failing);
    press();
    EXPECT_EQ(attempts, 5);
    EXPECT_EQ(messages->texts(), QStringList{CargaNaoOk});
    const auto finishes = host->requests(&Pkg_Hrk00001::FinalizaTransTef);
    ASSERT_EQ(finishes.size(), 1);
    EXPECT_FALSE(finishes.first().confirm);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::Compr_CredPessoal), 0);
    EXPECT_EQ(loads(), 0);
    EXPECT_FALSE(state().busy.boImprimindoCompCred);
}

// The answer of a written load is lost: the retry finds the deposit and writes nothing more.
// A failure after the commit (the balance roll-forward) still answers the load as done.
TEST_F(CreditPurchaseTest, FailureAfterTheCommitLoadsOnce)
{
    int attempts = 0;
    Seam::Consumers losing = Seam::Consumers::current();
    losing.setGravaCompCred = [&attempts](const Srv_Kal51000::CreditPurchaseWrite &purchase, QString &document) {
        const Variant written = Srv_Kal51000::setGravaCompCred(purchase, document);
        return ++attempts == 1 ? Variant::failure(QStringLiteral("[DBNETLIB] resposta perdida")) : written;
    };
    {
        ScopedTable<Seam::Consumers> seam(losing);
        press();
    }
    EXPECT_EQ(attempts, 2);
    EXPECT_EQ(loads(), 1);
    EXPECT_EQ(balance(), 130.0);
    EXPECT_EQ(messages->texts(), QStringList{CargaOk});
    messages->clear();
    Seam::Consumers refreshFails = Seam::Consumers::current();
    refreshFails.EvoluiSaldo = [](const QString &, const QString &, const QString &, const QDateTime &) {
        return Variant::failure(QStringLiteral("[DBNETLIB] conexão perdida"));
    };
    ScopedTable<Seam::Consumers> seam(refreshFails);
    press();
    EXPECT_EQ(loads(), 2);
    EXPECT_TRUE(messages->texts().contains(CargaOk)) << messages->texts().join(QLatin1Char('|')).toStdString();
}

// A Colombian range used up stops before the write: its message only, the card payment undone.
TEST_F(CreditPurchaseTest, ColombianRangeUsedUpStopsBeforeTheWrite)
{
    state().editParams().stIDPAISINTEGRA = "01";
    state().editParams().stNRCUPINIINTGCOL = "1";
    state().editParams().stNRCUPFININTGCOL = "9";
    colombia = "CUPINV";
    press();
    EXPECT_EQ(messages->texts(), QStringList{"Operação Bloqueada. Não é possível gerar número sequencial do cupom. "
                                             "Intervalo dos cupons disponíveis é: 1 até 9."});
    EXPECT_EQ(loads(), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::FinalizaTransTef), 1);
}

// With a card receipt type "E" every load is a partner-card recharge; the card program not
// answering: three tries with their messages, nothing written, the card payment undone.
TEST_F(CreditPurchaseTest, PartnerCardRechargeTriesThreeTimesAndWritesNothing)
{
    Seam::LookupsTills tills = Seam::LookupsTills::current();
    tills.getCartaoCHART = [] { return Variant(true); };
    ScopedTable<Seam::LookupsTills> seam(tills);
    press();
    const QStringList shown = messages->texts();
    const QStringList ours{"Tentativa 2/3.", "Tentativa 3/3.", "Número de tentativas excedidas.", "Recarga cancelada."};
    QStringList seen;
    for (const QString &text : shown) {
        if (ours.contains(text))
            seen << text;
    }
    EXPECT_EQ(seen, ours);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Pesquisa), 0);
    EXPECT_EQ(movements(), 0);
    EXPECT_EQ(loads(), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::FinalizaTransTef), 1);
    EXPECT_FALSE(host->last(&Pkg_Hrk00001::FinalizaTransTef).confirm);
    EXPECT_FALSE(state().busy.boImprimindoCompCred);
}

// Bonus rules of type T1 (two loads a month, ceiling 150,00), by the road: each case arranges
// the statement and the clock and says whether the payment screen is reached.
struct BonusCase
{
    const char *name;
    const char *period;
    QDate today;
    QStringList statement; // extra EXTRATOCONS rows: "deposit|kind|day|sale"
    double balance;
    bool dropStatement;
    bool reachesPayment;
    const char *message;
};

class BonusRulesTest : public CreditPurchaseTest, public ::testing::WithParamInterface<BonusCase>
{
};

TEST_P(BonusRulesTest, DecidesWhetherTheLoadGoesOn)
{
    const BonusCase &c = GetParam();
    now = QDateTime(c.today, QTime(11, 0));
    exec(QStringLiteral("INSERT INTO TIPOCONSFILI (CDTIPOCONS, CDFILIAL, IDRECEBEBONUS, VRSALDCONSBONUS, IDPERIODOBONUS, "
                        "QTRECARGASMES) VALUES ('T1', '01', 'S', 150, '%1', 2)")
             .arg(QString::fromLatin1(c.period)));
    exec(QStringLiteral("UPDATE SALDOCONS SET VRSALDCONFAM = %1").arg(c.balance));
    exec("DELETE FROM EXTRATOCONS");
    int seq = 0;
    for (const QString &line : c.statement) {
        const QStringList v = line.split('|');
        exec(QStringLiteral("INSERT INTO EXTRATOCONS (CDCLIENTE, CDCONSUMIDOR, CDFAMILISALD, DTMOVEXTCONS, NRSEQMOVEXT, "
                            "IDTPMOVEXT, VRMOVEXTCONS, VRSALDCONEXT, CDFILIAL, CDCAIXA, NRSEQVENDA, NRDEPOSICONS) VALUES "
                            "('C1', 'K1', 'REF', '%1 09:00:%2', '001', '%3', 1, 1, '01', '001', %4, '%5')")
                 .arg(v.at(2))
                 .arg(++seq, 2, 10, QLatin1Char('0'))
                 .arg(v.at(1), v.at(3).isEmpty() ? QStringLiteral("NULL") : "'" + v.at(3) + "'", v.at(0)));
    }
    if (c.dropStatement)
        exec("ALTER TABLE EXTRATOCONS RENAME TO EXTRATOCONS_FORA");
    paid = 0; // the payment screen is left: only whether it was reached counts
    press();
    EXPECT_EQ(host->count(&Pkg_Hrk00002::Recebimento), c.reachesPayment ? 1 : 0) << messages->texts().join(" | ").toStdString();
    if (c.message) {
        EXPECT_TRUE(!messages->texts().isEmpty() && messages->texts().first().contains(QString::fromUtf8(c.message)))
            << messages->texts().join(" | ").toStdString();
    }
    if (c.dropStatement)
        exec("ALTER TABLE EXTRATOCONS_FORA RENAME TO EXTRATOCONS");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BonusRulesTest,
    ::testing::Values(
        BonusCase{"SecondLoadOfTheMonthPasses", "M", QDate(2024, 3, 20), {"D1|C|2024-03-02|"}, 10, false, true, nullptr},
        BonusCase{"ThirdLoadOfTheMonthRefused", "M", QDate(2024, 3, 20), {"D1|C|2024-03-02|", "D2|C|2024-03-10|"}, 10,
                  false, false, "limite de carga de crédito para a família REFEICAO"},
        BonusCase{"LoadsOfLastMonthDoNotCount", "M", QDate(2024, 4, 1), {"D1|C|2024-03-02|", "D2|C|2024-03-31|"}, 10,
                  false, true, nullptr},
        BonusCase{"ReversedLoadNotCounted", "M", QDate(2024, 3, 20),
                  {"D1|C|2024-03-02|", "D2|C|2024-03-10|", "D2|D|2024-03-11|"}, 10, false, true, nullptr},
        BonusCase{"SaleCreditsNotCounted", "M", QDate(2024, 3, 20), {"D1|C|2024-03-02|", "D2|C|2024-03-10|S9"}, 10,
                  false, true, nullptr},
        BonusCase{"BalanceEqualToTheCeilingPasses", "M", QDate(2024, 3, 20), {}, 150, false, true, nullptr},
        BonusCase{"OneCentOverTheCeilingRefused", "M", QDate(2024, 3, 20), {}, 150.01, false, false,
                  "Saldo Família REFEICAO: 150,01 - Saldo Máximo: 150,00"},
        BonusCase{"SundayLoadBlocksSunday", "W", QDate(2024, 3, 10), {"D1|C|2024-03-10|"}, 10, false, false,
                  "nesta semana"},
        BonusCase{"SundayLoadDoesNotBlockMonday", "W", QDate(2024, 3, 11), {"D1|C|2024-03-10|"}, 10, false, true,
                  nullptr},
        BonusCase{"FailedCountRefuses", "M", QDate(2024, 3, 20), {}, 10, true, false, nullptr}),
    [](const ::testing::TestParamInfo<BonusCase> &info) { return std::string(info.param.name); });

} // namespace
