// Item cancellation (F8) through the form's button: the guards, the host's dialog, and what the
// screen clears after it: observation texts and combo parts of the cancelled lines, refills
// counted in the open order or on the server (the test's base), the surcharge, and a sale
// whose last line went.
#include <support/saleformfixture.h>

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>
#include <screen/itemcancel_p.h>
#include <screen/screenshell.h>
#include <screen/tfrmvendacons.h>

#include <outside/qub_movrela_db.h>
#include <runtime/clientdataset.h>
#include <runtime/datapacket.h>

#include <QAbstractButton>
#include <QLabel>

#include <memory>

namespace {

struct Line
{
    QString nrSeq;
    QString product;
    QString parent = {};
    QString comboPart = {};
    QString refill = QStringLiteral("N");
    QString seat = QStringLiteral("01");
    double quantity = 1;
    double surcharge = 0;
};

} // namespace

class ItemCancelTest : public SaleFormTest
{
protected:
    void SetUp() override
    {
        SaleFormTest::SetUp();
        if (HasFatalFailure())
            return;
        state().host.stModoVenda = QStringLiteral("B");
        state().editParams().stCDFILIAL = QStringLiteral("1");
        state().editParams().stCDLOJA = QStringLiteral("1");
        state().flags.boCupomAberto = true;
        // The dialog cancels the lines queued in `toCancel`, as the host's dialog does.
        host->handle(&Pkg_Hrk00002::CancelaPedido, [this](const OrderCancelRequest &, OrderCancelDatasets &sets) {
            double surcharge = 0;
            for (const QString &nrSeq : toCancel) {
                if (!sets.cdsItems.Locate(QStringLiteral("NRSEQ"), nrSeq))
                    continue;
                sets.cdsItensCancelados.Append();
                for (const char *column : {"NRSEQ", "CDPRODUTO", "NRSEQPRODPAI", "NRSEQITCANC", "QTPRODCOMVEN",
                                           "NRLUGARMESA", "IDPRODREFIL"})
                    copy(sets.cdsItensCancelados, sets.cdsItems, column);
                sets.cdsItensCancelados.Post();
                surcharge += sets.cdsItems.FieldByName(QStringLiteral("VRACRCOMANDA")).AsFloat();
                sets.cdsItems.Delete();
            }
            // The cursor on the first row added, as the dialog leaves it; none added: the last.
            ClientDataSet &cancelled = sets.cdsItensCancelados;
            cancelled.Last();
            for (int i = 1; i < toCancel.size(); ++i)
                cancelled.Prior();
            return OrderCancelAnswer{surcharge};
        });
    }
    void TearDown() override
    {
        helper.reset();
        SaleFormTest::TearDown();
    }

    static void copy(ClientDataSet &to, const ClientDataSet &from, const char *column)
    {
        to.FieldByName(QString::fromLatin1(column)).SetAsString(from.FieldByName(QString::fromLatin1(column)).AsString());
    }

    void addLine(const Line &line)
    {
        ClientDataSet &items = data().cdsItems;
        if (!items.Active())
            items.CreateDataSet();
        items.Append();
        auto set = [&items](const char *column, const QString &value) {
            items.FieldByName(QString::fromLatin1(column)).SetAsString(value);
        };
        set("NRSEQ", line.nrSeq);
        set("CDPRODUTO", line.product);
        set("NMPRODUTO", QStringLiteral("PRODUTO ") + line.product);
        set("NRSEQPRODPAI", line.parent);
        set("NRSEQITCANC", line.comboPart);
        set("IDPRODREFIL", line.refill);
        set("NRLUGARMESA", line.seat);
        items.FieldByName(QStringLiteral("QTPRODCOMVEN")).SetAsFloat(line.quantity);
        items.FieldByName(QStringLiteral("VRPRECCOMVEN")).SetAsFloat(10);
        for (const char *zero : {"VRDESCCOMVEN", "VRACRCOMVEN", "VRUNITVENDCL", "QTITEMREFIL"})
            items.FieldByName(QString::fromLatin1(zero)).SetAsFloat(0);
        items.FieldByName(QStringLiteral("VRACRCOMANDA")).SetAsFloat(line.surcharge);
        items.FieldByName(QStringLiteral("SOMA")).SetAsFloat(10 * line.quantity);
        items.Post();
    }
    QString lineText(const QString &nrSeq, const char *column)
    {
        ClientDataSet &items = data().cdsItems;
        return items.Locate(QStringLiteral("NRSEQ"), nrSeq) ? items.FieldByName(QString::fromLatin1(column)).AsString()
                                                              : QStringLiteral("<sem linha>");
    }
    void setLineText(const QString &nrSeq, const char *column, const QString &value)
    {
        ClientDataSet &items = data().cdsItems;
        ASSERT_TRUE(items.Locate(QStringLiteral("NRSEQ"), nrSeq));
        items.Edit();
        items.FieldByName(QString::fromLatin1(column)).SetAsString(value);
        items.Post();
    }
    static void addRow(ClientDataSet &rows, const QList<std::pair<const char *, QString>> &values)
    {
        if (!rows.Active())
            rows.CreateDataSet();
        rows.Append();
        for (const auto &[column, value] : values)
            rows.FieldByName(QString::fromLatin1(column)).SetAsString(value);
        rows.Post();
    }
    void pressF8()
    {
        auto *button = form->findChild<QAbstractButton *>(FormName::spbCancProd);
        ASSERT_NE(button, nullptr);
        button->setEnabled(true);
        button->click();
    }
    // A fiscal printer of `model` in use, whose date and serial check out.
    void printerInUse(int model)
    {
        state().editParams().boUTILIZAIMPFIS = true;
        state().editParams().inIDTIPOIMPFIS = model;
        DateCheckAnswer date;
        date.ok = true;
        host->setDefault(&Pkg_Hrk00001::VerificaData, date);
        host->setDefault(&Pkg_Hrk00001::VerificaSerialImp, HostResult::done());
    }
    int dialogCalls() const { return host->count(&Pkg_Hrk00002::CancelaPedido); }
    QWidget *panel() { return form->findChild<QWidget *>(FormName::panBalcao); }
    QString caption(QLatin1StringView name) { return form->findChild<QLabel *>(name)->text(); }

    // The tab's order lines on the test's base.
    void openBase()
    {
        helper = std::make_unique<Qub_movrela::DbConnection>(QStringLiteral("itemCancelHelper"));
        helper->useConnectionString(m_base->connectionString());
    }
    void exec(const QString &sql)
    {
        ASSERT_TRUE(helper->execute(QStringLiteral("test"), sql, {})) << helper->lastError().databaseText.toStdString();
    }
    double refillCount(const QString &line)
    {
        Qub_movrela::QueryRows rows;
        EXPECT_TRUE(helper->execute(QStringLiteral("test"),
                                    QStringLiteral("SELECT COALESCE(QTITEMREFIL, 0) FROM ITCOMANDAVEN WHERE "
                                                   "NRPRODCOMVEN = '") + line + QLatin1Char('\''),
                                    {}, &rows));
        return rows.rows.isEmpty() ? -1 : rows.rows.first().first().toDouble();
    }

    QStringList toCancel;
    std::unique_ptr<Qub_movrela::DbConnection> helper;
};

// ---- the guards ------------------------------------------------------------------------------

TEST_F(ItemCancelTest, EmptyReceiptIsRefusedWithProdNVendAndTheDialogNeverOpens)
{
    pressF8();
    EXPECT_EQ(messages->texts(), QStringList{context().Msg(QStringLiteral("Prod_N_Vend"))});
    EXPECT_EQ(dialogCalls(), 0);
    EXPECT_FALSE(state().busy.boCancCupomAux1);
}

TEST_F(ItemCancelTest, WhileAnotherHandlerIsBusyF8DoesNothing)
{
    addLine({"001", "100"});
    state().busy.boCancCupomAux1 = true;
    pressF8();
    EXPECT_EQ(dialogCalls(), 0);
    EXPECT_TRUE(messages->texts().isEmpty());
    EXPECT_TRUE(state().busy.boCancCupomAux1) << "the flag belongs to the handler that set it";
}

struct RefusalCase
{
    const char *name;
    bool creditVoucherPrinting;
    const char *collector;
    const char *key;
};

class ItemCancelRefusal : public ItemCancelTest, public ::testing::WithParamInterface<RefusalCase>
{
};

TEST_P(ItemCancelRefusal, IsShownLeavesTheSaleAndGivesFlagAndPanelBack)
{
    const RefusalCase c = GetParam();
    addLine({"001", "100"});
    toCancel = {QStringLiteral("001")};
    state().busy.boImprimindoCompCred = c.creditVoucherPrinting;
    state().editParams().stIDCOLETOR = QString::fromLatin1(c.collector);
    pressF8();
    EXPECT_EQ(messages->texts(), QStringList{context().Msg(QString::fromLatin1(c.key))});
    EXPECT_EQ(dialogCalls(), 0);
    EXPECT_EQ(lineText("001", "CDPRODUTO"), QStringLiteral("100"));
    EXPECT_FALSE(state().busy.boCancCupomAux1);
    EXPECT_TRUE(panel()->isEnabled());
}

INSTANTIATE_TEST_SUITE_P(F8, ItemCancelRefusal,
                         ::testing::Values(RefusalCase{"CreditVoucherStillPrinting", true, "N", "OPE_COMP_CRED"},
                                           RefusalCase{"CollectorTillAtTheCounter", false, "C", "Ope_Col"}),
                         [](const ::testing::TestParamInfo<RefusalCase> &info) { return std::string(info.param.name); });

TEST_F(ItemCancelTest, DialogGetsTheSaleKindTableBuyerAndModeWithTheThreeDatasets)
{
    addLine({"001", "100"});
    addLine({"002", "200"});
    state().flags.boVendaDebito = true;
    state().host.stNRMESA = QStringLiteral("0007");
    state().fiscal.stRecebAux5 = QStringLiteral("DNI");
    pressF8();
    ASSERT_EQ(dialogCalls(), 1);
    const OrderCancelRequest request = host->last(&Pkg_Hrk00002::CancelaPedido);
    EXPECT_TRUE(request.vendaDebito);
    EXPECT_FALSE(request.creditoPessoal);
    EXPECT_EQ(request.nrMesa, QStringLiteral("0007"));
    EXPECT_EQ(request.stRecebAux5, QStringLiteral("DNI"));
    EXPECT_EQ(request.modoVenda, QStringLiteral("B"));
    const QList<const ClientDataSet *> sets = host->lastDatasets(&Pkg_Hrk00002::CancelaPedido);
    EXPECT_EQ(sets, (QList<const ClientDataSet *>{&data().cdsItems, &data().cdsItensCancelados,
                                                  &data().cdsFamiliaSaldo}));
}

// ---- traces of the cancelled lines -------------------------------------------------------------

struct ObservationCase
{
    const char *name;
    const char *before;
    const char *occurrence;
    const char *after;
};

class ObservationText : public ItemCancelTest, public ::testing::WithParamInterface<ObservationCase>
{
};

TEST_P(ObservationText, CancelledObservationItemTakesItsTextOffTheParentLine)
{
    const ObservationCase c = GetParam();
    addLine({"001", "100"});
    addLine({"002", "900", "001"});
    setLineText("001", "STOBSPEDIDO", QString::fromUtf8(c.before));
    addRow(data().cdsObsItens, {{"NRSEQ", "001"}, {"CDPRODUTO", "100"}, {"CDPRODOBS", "900"},
                                {"DSOCORR", QString::fromUtf8(c.occurrence)}});
    toCancel = {QStringLiteral("002")};
    pressF8();
    EXPECT_EQ(lineText("001", "STOBSPEDIDO"), QString::fromUtf8(c.after));
    EXPECT_EQ(data().cdsObsItens.RecordCount(), 1) << "the occurrence row stays";
}

INSTANTIATE_TEST_SUITE_P(
    F8, ObservationText,
    ::testing::Values(ObservationCase{"OnlyEntryLeavesNothing", " BACON EXTRA;", "BACON EXTRA", ""},
                      ObservationCase{"ComparedWithoutBlanks", " Sem sal; BACON EXTRA ; Bem passado;", " BACON EXTRA",
                                      " Sem sal; Bem passado;"},
                      ObservationCase{"OnlyTheFirstOfTwoEqualEntries", " BACON; Sem sal; BACON;", "BACON",
                                      " Sem sal; BACON;"},
                      ObservationCase{"OtherTextStays", " Sem sal;", "BACON", " Sem sal;"}),
    [](const ::testing::TestParamInfo<ObservationCase> &info) { return std::string(info.param.name); });

TEST(ItemCancelEntries, RewritingTheRemainingEntriesDoesNotGrowTheirBlanks)
{
    QString text = QStringLiteral(" A; B; C;");
    text = ItemCancelText::withoutEntry(text, QStringLiteral("X"));
    text = ItemCancelText::withoutEntry(text, QStringLiteral("B"));
    EXPECT_EQ(text, QStringLiteral(" A; C;"));
    EXPECT_EQ(ItemCancelText::withoutEntry(QStringLiteral(";;A;;"), QStringLiteral("Z")), QStringLiteral(" A;"));
}

TEST_F(ItemCancelTest, CancelledComboPartLeavesTheComboAndItsObservationText)
{
    addLine({"001", "11001"});
    addLine({"002", "05001", "001", "002"});
    addLine({"003", "900", "001"});
    addRow(data().cdsItPromoComb, {{"NRSEQ", "001"}, {"NRSEQORIG", "001"}, {"NRSEQITCANC", "002"}, {"CDPRODUTO", "05001"}});
    addRow(data().cdsItPromoComb, {{"NRSEQ", "001"}, {"NRSEQORIG", "002"}, {"NRSEQITCANC", "004"}, {"CDPRODUTO", "07001"},
                                   {"TXPRODCOMVENEST", " Sem gelo; Com limão;"}});
    addRow(data().cdsObsItensEst, {{"NRSEQ", "001"}, {"NRSEQORIG", "002"}, {"CDPRODOBS", "900"}, {"DSOCORR", "Com limão"}});
    toCancel = {QStringLiteral("002"), QStringLiteral("003")};
    pressF8();
    ClientDataSet &combo = data().cdsItPromoComb;
    ASSERT_EQ(combo.RecordCount(), 1);
    combo.First();
    EXPECT_EQ(combo.FieldByName(QStringLiteral("CDPRODUTO")).AsString(), QStringLiteral("07001"));
    EXPECT_EQ(combo.FieldByName(QStringLiteral("TXPRODCOMVENEST")).AsString(), QStringLiteral(" Sem gelo;"));
    EXPECT_EQ(lineText("001", "CDPRODUTO"), QStringLiteral("11001"));
}

TEST_F(ItemCancelTest, LineWithoutParentTouchesNoComboRowWithEmptyKeys)
{
    addLine({"001", "100"});
    addLine({"002", "200"});
    addRow(data().cdsItPromoComb, {{"NRSEQ", ""}, {"NRSEQITCANC", ""}, {"CDPRODUTO", "07001"}});
    toCancel = {QStringLiteral("002")};
    pressF8();
    EXPECT_EQ(data().cdsItPromoComb.RecordCount(), 1);
}

// ---- refills -----------------------------------------------------------------------------------

TEST_F(ItemCancelTest, RefillCancelledAtATableLowersTheCountOfTheOrdinaryLineInTheOpenOrder)
{
    state().host.stModoVenda = QStringLiteral("M");
    addLine({"001", "07006"});
    setLineText("001", "QTITEMREFIL", QStringLiteral("3"));
    addLine({"002", "07006", {}, {}, QStringLiteral("S"), QStringLiteral("01"), 2});
    toCancel = {QStringLiteral("002")};
    ServerSeams seams = ServerSeams::current();
    QStringList serverCalls;
    seams.tabs.getProdRefil = [&serverCalls](const QString &, const QString &, const QString &, const QString &,
                                             const QString &) {
        serverCalls.append(QStringLiteral("getProdRefil"));
        return Variant();
    };
    ScopedTable<ServerSeams> scoped(seams);
    pressF8();
    EXPECT_DOUBLE_EQ(data().cdsItems.Locate(QStringLiteral("NRSEQ"), QStringLiteral("001"))
                         ? data().cdsItems.FieldByName(QStringLiteral("QTITEMREFIL")).AsFloat()
                         : -1,
                     1);
    EXPECT_TRUE(serverCalls.isEmpty());
}

TEST_F(ItemCancelTest, RefillWhoseLineWentInAnEarlierOrderIsGivenBackOnTheServer)
{
    openBase();
    exec(QStringLiteral("INSERT INTO ITCOMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN, CDPRODUTO, "
                        "NRLUGARMESA, IDPRODREFIL, IDSTPRCOMVEN, QTITEMREFIL) VALUES "
                        "('1', '100', '12', '000003', '07006', '01', 'N', '3', 2), "
                        "('1', '100', '12', '000004', '07006', '02', 'N', '3', 1), "
                        "('1', '100', '12', '000005', '07006', '01', 'N', '6', 4)"));
    state().host.stModoVenda = QStringLiteral("C");
    state().host.stNRVENDAREST = QStringLiteral("100");
    state().host.stNRCOMANDA = QStringLiteral("12");
    addLine({"001", "05001"});
    addLine({"002", "07006", {}, {}, QStringLiteral("S"), QStringLiteral("01"), 1});
    toCancel = {QStringLiteral("002")};
    pressF8();
    EXPECT_DOUBLE_EQ(refillCount(QStringLiteral("000003")), 1);
    EXPECT_DOUBLE_EQ(refillCount(QStringLiteral("000004")), 1) << "another seat";
    EXPECT_DOUBLE_EQ(refillCount(QStringLiteral("000005")), 4) << "a cancelled line";
    EXPECT_TRUE(messages->texts().isEmpty());
}

TEST_F(ItemCancelTest, RefillAtTheCounterIsNotUndone)
{
    addLine({"001", "07006"});
    addLine({"002", "07006", {}, {}, QStringLiteral("S")});
    setLineText("001", "QTITEMREFIL", QStringLiteral("1"));
    toCancel = {QStringLiteral("002")};
    pressF8();
    EXPECT_EQ(lineText("001", "QTITEMREFIL"), QStringLiteral("1"));
}

TEST_F(ItemCancelTest, RefusedBaseIsShownOnceAndTheCancellationEndsCleanly)
{
    openBase();
    exec(QStringLiteral("DROP TABLE ITCOMANDAVEN"));
    state().host.stModoVenda = QStringLiteral("C");
    state().host.stNRVENDAREST = QStringLiteral("100");
    state().host.stNRCOMANDA = QStringLiteral("12");
    addLine({"001", "05001"});
    addLine({"002", "07006", {}, {}, QStringLiteral("S")});
    toCancel = {QStringLiteral("002")};
    pressF8();
    EXPECT_EQ(messages->count(), 1);
    EXPECT_EQ(lineText("002", "CDPRODUTO"), QStringLiteral("<sem linha>"));
    EXPECT_FALSE(state().busy.boCancCupomAux1);
    EXPECT_TRUE(panel()->isEnabled());
}

TEST_F(ItemCancelTest, CancellingNothingDoesNotUndoTheRefillsOfEarlierCancellationsAgain)
{
    openBase();
    exec(QStringLiteral("INSERT INTO ITCOMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA, NRPRODCOMVEN, CDPRODUTO, "
                        "NRLUGARMESA, IDPRODREFIL, IDSTPRCOMVEN, QTITEMREFIL) VALUES "
                        "('1', '100', '12', '000003', '07006', '01', 'N', '3', 2)"));
    state().host.stModoVenda = QStringLiteral("C");
    state().host.stNRVENDAREST = QStringLiteral("100");
    state().host.stNRCOMANDA = QStringLiteral("12");
    addLine({"001", "05001"});
    addLine({"002", "07006", {}, {}, QStringLiteral("S")});
    toCancel = {QStringLiteral("002")};
    pressF8();
    ASSERT_DOUBLE_EQ(refillCount(QStringLiteral("000003")), 1);
    toCancel.clear();
    pressF8();
    EXPECT_DOUBLE_EQ(refillCount(QStringLiteral("000003")), 1);
    EXPECT_EQ(dialogCalls(), 2);
}

// ---- totals and the end of the sale ------------------------------------------------------------

TEST_F(ItemCancelTest, SurchargeOfTheCancelledLinesComesOffTheTabSurcharge)
{
    state().host.stModoVenda = QStringLiteral("C");
    state().totals.doVrAcrComanda = 5;
    addLine({"001", "100", {}, {}, QStringLiteral("N"), QStringLiteral("01"), 1, 2});
    addLine({"002", "200", {}, {}, QStringLiteral("N"), QStringLiteral("01"), 1, 3});
    toCancel = {QStringLiteral("002")};
    pressF8();
    EXPECT_DOUBLE_EQ(state().totals.doVrAcrComanda, 2);
    EXPECT_EQ(caption(FormName::lblProduto), QStringLiteral(" "));
}

TEST_F(ItemCancelTest, LastLineCancelledAtTheCounterWithoutPrinterFreesTheTill)
{
    addLine({"001", "100"});
    toCancel = {QStringLiteral("001")};
    pressF8();
    EXPECT_FALSE(state().flags.boCupomAberto);
    EXPECT_TRUE(data().cdsItems.IsEmpty());
    EXPECT_TRUE(!data().cdsItensCancelados.Active() || data().cdsItensCancelados.IsEmpty())
        << "the sale is gone with its cancelled lines";
    EXPECT_DOUBLE_EQ(state().totals.doTotalVenda, 0);
}

TEST_F(ItemCancelTest, LineLeftAtTheCounterKeepsTheSaleOpen)
{
    addLine({"001", "100"});
    addLine({"002", "200"});
    toCancel = {QStringLiteral("001")};
    pressF8();
    EXPECT_TRUE(state().flags.boCupomAberto);
    EXPECT_EQ(data().cdsItensCancelados.RecordCount(), 1);
    EXPECT_EQ(lineText("002", "CDPRODUTO"), QStringLiteral("200"));
}

struct PrinterCase
{
    const char *name;
    int model;
    bool badgeMode;
    bool receiptStaysOpen;
    bool badgeModeAfter;
};

class LastLineWithPrinter : public ItemCancelTest, public ::testing::WithParamInterface<PrinterCase>
{
};

TEST_P(LastLineWithPrinter, ClosesTheSaleOnlyWhereTheReceiptIsIssuedAtTheClose)
{
    const PrinterCase c = GetParam();
    printerInUse(c.model);
    state().flags.boModoCartao = c.badgeMode;
    addLine({"001", "100"});
    toCancel = {QStringLiteral("001")};
    pressF8();
    EXPECT_EQ(state().flags.boCupomAberto, c.receiptStaysOpen);
    EXPECT_EQ(state().flags.boModoCartao, c.badgeModeAfter);
}

INSTANTIATE_TEST_SUITE_P(F8, LastLineWithPrinter,
                         ::testing::Values(PrinterCase{"ItemByItemPrinterKeepsItsReceipt", 1, false, true, false},
                                           PrinterCase{"Model16LeavesBadgeMode", 16, true, false, false},
                                           PrinterCase{"Model30LeavesBadgeMode", 30, true, false, false},
                                           PrinterCase{"Model30WithoutBadge", 30, false, false, false}),
                         [](const ::testing::TestParamInfo<PrinterCase> &info) { return std::string(info.param.name); });

TEST_F(ItemCancelTest, Model26WritesCupomAbertoOnTheCashierLine)
{
    printerInUse(26);
    addLine({"001", "100"});
    addLine({"002", "200"});
    toCancel = {QStringLiteral("002")};
    pressF8();
    EXPECT_EQ(caption(FormName::lblMensagemCaixa), context().Msg(QStringLiteral("Cupom_Aberto")));
}

TEST_F(ItemCancelTest, LineTheDialogKeptStaysAndTheNextF8Runs)
{
    addLine({"001", "100"});
    pressF8(); // the dialog cancels nothing (a printer that refused, or the operator left)
    EXPECT_EQ(lineText("001", "CDPRODUTO"), QStringLiteral("100"));
    EXPECT_TRUE(state().flags.boCupomAberto);
    toCancel = {QStringLiteral("001")};
    pressF8();
    EXPECT_EQ(dialogCalls(), 2);
    EXPECT_TRUE(data().cdsItems.IsEmpty());
}
