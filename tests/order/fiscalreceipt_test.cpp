#include "orderfixture.h"

#include <order/fiscalreceipt.h>
#include <order/orderentry.h>
#include <order/recoveryfiles.h>
#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>
#include <screen/screenshell.h>

#include <runtime/cdsfile.h>
#include <runtime/clientdataset.h>

#include <QDir>
#include <QFile>
#include <QWidget>

namespace {

DataPacket packet(const QStringList &fields, const QList<QStringList> &rows)
{
    DataPacket result;
    for (const QString &field : fields)
        result.fields.append(FieldDef{field, FieldType::String, 40});
    for (const QStringList &row : rows) {
        QList<Variant> values;
        for (const QString &value : row)
            values.append(Variant(value));
        result.rows.append(values);
    }
    return result;
}

CouponOpenAnswer opened(const QString &number, int printerError = 0)
{
    CouponOpenAnswer answer;
    answer.ok = true;
    answer.inTefErro = printerError;
    answer.incluiCpf = QStringLiteral("12345678909");
    answer.incluiNome = QStringLiteral("JOANA");
    answer.incluiEndereco = QStringLiteral("RUA A, 1");
    answer.cupNr = number;
    answer.contCupom = QStringLiteral("045");
    return answer;
}

ItemSaleAnswer itemSold(bool ok = true)
{
    ItemSaleAnswer answer;
    answer.ok = ok;
    return answer;
}

} // namespace

// A counter till whose fiscal printer (model 2) sells item by item; every product has one tax
// row of 18 that the printer holds as rate "T02".
class FiscalReceiptTest : public OrderTest
{
protected:
    void SetUp() override
    {
        OrderTest::SetUp();
        ServerSeams fiscal = ServerSeams::current();
        fiscal.lookupsProducts.getValidProdNFCe = [](const QString &, const QString &) { return Variant(DataPacket{}); };
        fiscal.lookupsProducts.getRegraFisPdv = [](const QString &) { return Variant(DataPacket{}); };
        fiscal.counters.setGravaCupomInicial = [this](const QString &branch, const QString &desk, const QString &receipt,
                                             const QDateTime &date) {
            openings << QStringLiteral("%1 %2 %3 %4").arg(branch, desk, receipt, date.toString(QStringLiteral("dd/MM/yyyy")));
            return Variant();
        };
        m_fiscal = std::make_unique<ScopedTable<ServerSeams>>(std::move(fiscal));
        ServerSeams startup = ServerSeams::current();
        startup.lookupsProducts.setPromoCombAux = [](const QString &, const QString &) { return Variant(); };
        m_startup = std::make_unique<ScopedTable<ServerSeams>>(std::move(startup));

        useFiscalPrinter(2);
        state().startup.dtMovimentoFiscal = QDateTime(QDate(2024, 3, 5), QTime());
        state().host.stNRVENDAREST = QStringLiteral("0000000042");
        ASSERT_TRUE(data().cdsAliqImpFis.SetData(packet({"CDALIQIMPFIS", "VRALIQIMPFIS", "IDALIQIMPFIS"},
                                                        {{"T01", "7", "T"}, {"T02", "18", "T"}})));
        host->setDefault(&Pkg_Hrk00001::AbreCupom, opened(QStringLiteral("000123"), 7));
        host->setDefault(&Pkg_Hrk00001::VendaItem, itemSold());
        host->setDefault(&Pkg_Hrk00002::getProdCodCestNcm,
                         FiscalCodeAnswer{QStringLiteral("567"), QStringLiteral("12.34"), {}});
    }
    void TearDown() override
    {
        m_startup.reset();
        m_fiscal.reset();
        OrderTest::TearDown();
    }

    void sellItem(const QString &code, const QString &name, const QString &price = QStringLiteral("5,00"))
    {
        sell(item(code, name, price));
    }
    QWidget *control(const char *name) { return form().findChild<QWidget *>(QString::fromLatin1(name)); }
    QString recoveryFile(const char *name) { return RecoveryFiles::path(state().params.stDSDIRCAD, name); }

    QStringList openings;
    std::unique_ptr<ScopedTable<ServerSeams>> m_fiscal;
    std::unique_ptr<ScopedTable<ServerSeams>> m_startup;
};

// ---- the receipt opening ---------------------------------------------------------------------

TEST_F(FiscalReceiptTest, FirstItemOpensTheReceiptOnceAndEveryItemIsSoldOnThePrinter)
{
    sellItem(QStringLiteral("10"), QStringLiteral("SUCO"));
    sellItem(QStringLiteral("11"), QStringLiteral("PAO"));

    EXPECT_EQ(host->count(&Pkg_Hrk00001::AbreCupom), 1);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::VendaItem), 2);
    const CouponOpenRequest opening = host->last(&Pkg_Hrk00001::AbreCupom);
    EXPECT_EQ(opening.nrVendaRest, QStringLiteral("0000000042"));
    EXPECT_EQ(opening.inQrCodeAux1, 0);
    EXPECT_EQ(opening.value14, Variant(false));
    EXPECT_EQ(openings, QStringList{"0001 003 000123 05/03/2024"});

    const SaleState &s = state();
    EXPECT_TRUE(s.flags.boCupomAberto);
    EXPECT_FALSE(s.busy.boProcessando);
    EXPECT_EQ(s.fiscal.stQrCodeAux1, QStringLiteral("000123"));
    EXPECT_EQ(s.fiscal.stNRCONTCUPOMFISC, QStringLiteral("045"));
    EXPECT_EQ(s.fiscal.stCpfCnpjNota, QStringLiteral("12345678909"));
    EXPECT_EQ(s.fiscal.stNomeNota, QStringLiteral("JOANA"));
    EXPECT_EQ(s.fiscal.stEnderecoNota, QStringLiteral("RUA A, 1"));
    EXPECT_EQ(s.till.stCancCupomAux3, QStringLiteral("VV"));
    EXPECT_EQ(caption("lblMensagemCaixa"), QStringLiteral("CUPOM ABERTO"));
    EXPECT_EQ(column(data().cdsItems, "NRSEQ"), QStringList({"001", "002"}));
    // The printer's error of the opening goes with the first item only.
    const auto items = host->requests(&Pkg_Hrk00001::VendaItem);
    EXPECT_EQ(items.at(0).inQrCodeAux1, 7);
    EXPECT_EQ(items.at(1).inQrCodeAux1, 0);
    // Neither leaving nor another sale mode while the receipt is open.
    EXPECT_FALSE(control("lblSair")->isEnabled());
    EXPECT_FALSE(control("spbIncluiCpf")->isEnabled());
    EXPECT_TRUE(control("spbMenuMesa")->isHidden());
    EXPECT_TRUE(control("spbComanda")->isHidden());
}

TEST_F(FiscalReceiptTest, OpeningShowsItselfOnThePoleDisplay)
{
    state().editParams().boDISPLAYOK = true;
    sellItem(QStringLiteral("10"), QStringLiteral("SUCO"));
    const auto lines = host->requests(&Pkg_Hrk00001::DisplayEnviaTexto);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.first(), (DisplayTextRequest{"Abrindo Cupom Fiscal...", 1, 1, 1, 0}));
}

TEST_F(FiscalReceiptTest, CreditSaleReceiptIsMarkedForCancellation)
{
    state().flags.boCreditoPessoal = true;
    state().consumer.stCDCONSUMIDOR = QStringLiteral("42");
    sellItem(QStringLiteral("10"), QStringLiteral("SUCO"));
    EXPECT_EQ(state().till.stCancCupomAux3, QStringLiteral("CP"));
}

TEST_F(FiscalReceiptTest, RefusedOpeningEndsTheRegistrationWithoutALineOrAMessage)
{
    host->script(&Pkg_Hrk00001::AbreCupom, CouponOpenAnswer{});
    state().totals.doQuantidade = 3.0;
    sellItem(QStringLiteral("10"), QStringLiteral("SUCO"));
    EXPECT_TRUE(data().cdsItems.IsEmpty());
    EXPECT_FALSE(state().flags.boCupomAberto);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::VendaItem), 0);
    EXPECT_TRUE(openings.isEmpty());
    EXPECT_TRUE(shown().isEmpty());
    EXPECT_EQ(state().totals.doQuantidade, 1.0);
    EXPECT_EQ(caption("lblMensagemCaixa"), QStringLiteral("CAIXA LIVRE"));

    // The next item tries the opening again and takes the first number.
    sellItem(QStringLiteral("10"), QStringLiteral("SUCO"));
    EXPECT_EQ(host->count(&Pkg_Hrk00001::AbreCupom), 2);
    EXPECT_EQ(column(data().cdsItems, "NRSEQ"), QStringList{"001"});
}

// ---- printer model 26: the buyer's data first ------------------------------------------------

TEST_F(FiscalReceiptTest, Model26CancelledBuyerDialogLeavesNoReceiptAndNoLine)
{
    useFiscalPrinter(26);
    host->script(&Pkg_Hrk00002::CriaDadosClienteArgentina, ArgentineBuyerAnswer{false, {}});
    sellItem(QStringLiteral("10"), QStringLiteral("SUCO"));
    EXPECT_EQ(host->count(&Pkg_Hrk00001::AbreCupom), 0);
    EXPECT_FALSE(state().flags.boCupomAberto);
    EXPECT_TRUE(data().cdsItems.IsEmpty());
}

TEST_F(FiscalReceiptTest, Model26AsksTheBuyerAgainUntilThePrinterOpens)
{
    useFiscalPrinter(26);
    const ArgentineBuyerData buyer{"CUIT", "COMPRADOR", "X1", "20123456789", "CALLE 1", "Y2", 3};
    host->setDefault(&Pkg_Hrk00002::CriaDadosClienteArgentina, ArgentineBuyerAnswer{true, buyer});
    host->script(&Pkg_Hrk00001::AbreCupom, CouponOpenAnswer{});
    host->script(&Pkg_Hrk00001::AbreCupom, opened(QStringLiteral("000777")));
    sellItem(QStringLiteral("10"), QStringLiteral("SUCO"));

    EXPECT_EQ(host->count(&Pkg_Hrk00002::CriaDadosClienteArgentina), 2);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::AbreCupom), 2);
    const CouponOpenRequest opening = host->last(&Pkg_Hrk00001::AbreCupom);
    EXPECT_TRUE(opening.nrVendaRest.isEmpty());
    EXPECT_EQ(opening.stRecebAux5, QStringLiteral("CUIT"));
    EXPECT_EQ(opening.stPedidoAux2, QStringLiteral("Y2"));
    EXPECT_EQ(opening.inPedidoAux1, 3);
    EXPECT_EQ(opening.stNRINSJURCLIE, QStringLiteral("20123456789"));
    EXPECT_TRUE(state().flags.boCupomAberto);
    EXPECT_TRUE(state().busy.boProcessando);
    EXPECT_EQ(state().fiscal.stQrCodeAux1, QStringLiteral("000777"));
    EXPECT_EQ(column(data().cdsItems, "NRSEQ"), QStringList{"001"});
    // No printer rate code on this model; the product's own rate.
    EXPECT_TRUE(host->last(&Pkg_Hrk00001::VendaItem).aliquotCode.isEmpty());
    EXPECT_EQ(host->last(&Pkg_Hrk00001::VendaItem).aliquotValue, QStringLiteral("18"));

    // An open receipt asks for no buyer again.
    sellItem(QStringLiteral("11"), QStringLiteral("PAO"));
    EXPECT_EQ(host->count(&Pkg_Hrk00002::CriaDadosClienteArgentina), 2);
}

TEST_F(FiscalReceiptTest, Model26DebitSaleOffersTheClientCompanyAsBuyer)
{
    useFiscalPrinter(26);
    state().flags.boVendaDebito = true;
    state().host.stCdClienteVenda = QStringLiteral("000200");
    ASSERT_TRUE(data().cdsCliente.SetData(packet({"CDCLIENTE", "NMFANTCLIE", "NRINSJURCLIE"},
                                                 {{"000100", "OUTRA", "11111111000111"},
                                                  {"000200", "EMPRESA SA", "12345678000199"}})));
    host->script(&Pkg_Hrk00002::CriaDadosClienteArgentina, ArgentineBuyerAnswer{false, {}});
    sellItem(QStringLiteral("10"), QStringLiteral("SUCO"));
    const ArgentineBuyerData asked = host->last(&Pkg_Hrk00002::CriaDadosClienteArgentina);
    EXPECT_EQ(asked.stNomeNota, QStringLiteral("EMPRESA SA"));
    EXPECT_EQ(asked.stNRINSJURCLIE, QStringLiteral("45678000199"));
}

// ---- the item record -------------------------------------------------------------------------

TEST_F(FiscalReceiptTest, ItemRecordCarriesCodeDescriptionRateAndTruncatedValues)
{
    state().host.stNRMESA = QStringLiteral("0012");
    state().fiscal.stRecebAux5 = QStringLiteral("R5");
    PreenchePedidoArgs sold = item(QStringLiteral("10"), QStringLiteral("SUCO"), QStringLiteral("3,339"),
                                   QStringLiteral("2"));
    sold.VRPRECOCLIE = QStringLiteral("1,005");
    sold.VRDESCONTO = QStringLiteral("0,509");
    sold.VRACRESCIMO = QStringLiteral("0,259");
    sell(sold);

    const ItemSaleRequest record = host->last(&Pkg_Hrk00001::VendaItem);
    EXPECT_EQ(record.nrMesa, QStringLiteral("0012"));
    EXPECT_EQ(record.value2, QStringLiteral("D"));
    EXPECT_EQ(record.itemCode, QStringLiteral("A10"));
    EXPECT_EQ(record.description, QStringLiteral("#1234#567#SUCO"));
    EXPECT_EQ(record.aliquotCode, QStringLiteral("T02"));
    EXPECT_EQ(record.idAliqImpFis, QStringLiteral("T"));
    EXPECT_EQ(record.aliquotValue, QStringLiteral("18"));
    EXPECT_EQ(record.sgUnidade, QStringLiteral("UN"));
    EXPECT_EQ(record.stRecebAux5, QStringLiteral("R5"));
    EXPECT_DOUBLE_EQ(record.quantity, 2.0);
    EXPECT_DOUBLE_EQ(record.price, 3.33 + 1.0);
    EXPECT_DOUBLE_EQ(record.discount, 0.5);
    EXPECT_DOUBLE_EQ(record.addition, 0.25);
    EXPECT_FALSE(record.value16);
}

TEST_F(FiscalReceiptTest, ProductWithABarCodeIsSoldByIt)
{
    ASSERT_TRUE(data().cdsConfigProd.SetData(packet({"CDARVPROD", "CDBARPRODUTO"},
                                                    {{"A11", "7890000000011"}, {"A10", "7891234567895"}})));
    sellItem(QStringLiteral("10"), QStringLiteral("SUCO"));
    EXPECT_EQ(host->last(&Pkg_Hrk00001::VendaItem).itemCode, QStringLiteral("7891234567895"));
    EXPECT_EQ(state().road.stCDBARPRODUTO, QStringLiteral("7891234567895"));
}

TEST_F(FiscalReceiptTest, WholeValueDiscountReachesThePrinterAsOneCentAndTheCoupon)
{
    PreenchePedidoArgs sold = item(QStringLiteral("10"), QStringLiteral("SUCO"), QStringLiteral("5,00"));
    sold.VRDESCONTO = QStringLiteral("5,00");
    state().loyalty.doVrCupomDesc = 0.759;
    sell(sold);
    const ItemSaleRequest record = host->last(&Pkg_Hrk00001::VendaItem);
    EXPECT_DOUBLE_EQ(record.price, 0.01);
    EXPECT_DOUBLE_EQ(record.discount, 0.75);
}

struct DescriptionCase
{
    const char *name;
    const char *classification;
    const char *secondCode;
    const char *expected;
};

void PrintTo(const DescriptionCase &row, std::ostream *out)
{
    *out << row.name;
}

class ItemDescription : public ::testing::TestWithParam<DescriptionCase>
{
};

TEST_P(ItemDescription, JoinsTheCodesAndTheName)
{
    EXPECT_EQ(FiscalReceipt::itemDescription(QString::fromLatin1(GetParam().classification),
                                             QString::fromLatin1(GetParam().secondCode), QStringLiteral("SUCO")),
              QString::fromLatin1(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Codes, ItemDescription,
                         ::testing::Values(DescriptionCase{"Both", "567", "12.34", "#1234#567#SUCO"},
                                           DescriptionCase{"NeitherCode", "", "", "###SUCO"},
                                           DescriptionCase{"BlankCodes", "  ", " ", "###SUCO"},
                                           DescriptionCase{"SecondOnly", "", "1.2.3", "#123##SUCO"}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- a refused item --------------------------------------------------------------------------

TEST_F(FiscalReceiptTest, RefusedItemLeavesNoLineAndNoGapInTheNumbers)
{
    state().editParams().boDISPLAYOK = true;
    state().editParams().inTAMDISPLAY = 20;
    sellItem(QStringLiteral("10"), QStringLiteral("SUCO"));
    host->script(&Pkg_Hrk00001::VendaItem, itemSold(false));
    host->clear();
    sellItem(QStringLiteral("11"), QStringLiteral("PAO"));

    EXPECT_EQ(column(data().cdsItems, "NRSEQ"), QStringList{"001"});
    EXPECT_EQ(state().road.stNRSEQ, QStringLiteral("001"));
    EXPECT_EQ(shown(), QStringList{Msg(QStringLiteral("CancItem"))});
    EXPECT_EQ(messages->calls().at(0).kind, 3);
    EXPECT_TRUE(caption("lblProduto").isEmpty());
    // The receipt stays open, and the cashier line says so.
    EXPECT_TRUE(state().flags.boCupomAberto);
    EXPECT_EQ(caption("lblMensagemCaixa"), QStringLiteral("CUPOM ABERTO"));
    EXPECT_FALSE(state().flags.boBalcaoAux1);
    // The pole display still shows the refused item.
    const auto lines = host->requests(&Pkg_Hrk00001::DisplayEnviaTexto);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_TRUE(lines.first().text.contains(QStringLiteral("PAO")));

    sellItem(QStringLiteral("12"), QStringLiteral("BOLO"));
    EXPECT_EQ(column(data().cdsItems, "NRSEQ"), QStringList({"001", "002"}));
    EXPECT_EQ(column(data().cdsItems, "CDPRODUTO"), QStringList({"10", "12"}));
}

TEST_F(FiscalReceiptTest, RefusedFirstItemLeavesTheFirstNumberFree)
{
    host->script(&Pkg_Hrk00001::VendaItem, itemSold(false));
    sellItem(QStringLiteral("10"), QStringLiteral("SUCO"));
    EXPECT_TRUE(data().cdsItems.IsEmpty());
    EXPECT_TRUE(state().road.stNRSEQ.isEmpty());
    sellItem(QStringLiteral("11"), QStringLiteral("PAO"));
    EXPECT_EQ(column(data().cdsItems, "NRSEQ"), QStringList{"001"});
}

// ---- printers that do not sell item by item --------------------------------------------------

struct DirectCase
{
    const char *name;
    int model;
    const char *mode;
};

void PrintTo(const DirectCase &row, std::ostream *out)
{
    *out << row.name;
}

class DirectRegistration : public FiscalReceiptTest, public ::testing::WithParamInterface<DirectCase>
{
};

TEST_P(DirectRegistration, NeverOpensAReceiptNorSellsOnThePrinter)
{
    useFiscalPrinter(GetParam().model);
    state().host.stModoVenda = QString::fromLatin1(GetParam().mode);
    sellItem(QStringLiteral("10"), QStringLiteral("SUCO"));
    EXPECT_EQ(host->count(&Pkg_Hrk00001::AbreCupom), 0);
    EXPECT_EQ(host->count(&Pkg_Hrk00001::VendaItem), 0);
    EXPECT_EQ(column(data().cdsItems, "NRSEQ"), QStringList{"001"});
}

INSTANTIATE_TEST_SUITE_P(Tills, DirectRegistration,
                         ::testing::Values(DirectCase{"Model16", 16, "B"}, DirectCase{"Model21", 21, "B"},
                                           DirectCase{"Model30", 30, "B"}, DirectCase{"TableMode", 2, "M"}),
                         [](const auto &info) { return std::string(info.param.name); });

// ---- the recovery files over a whole sale ----------------------------------------------------

TEST_F(FiscalReceiptTest, RecoveryFileAppearsWithTheFirstLineAndGoesWhenTheSaleEnds)
{
    EXPECT_FALSE(QFile::exists(recoveryFile(RecoveryFiles::Venda)));
    sellItem(QStringLiteral("10"), QStringLiteral("SUCO"));
    EXPECT_TRUE(QFile::exists(recoveryFile(RecoveryFiles::Venda)));

    // The end of a sale, as settlement runs it.
    form().dispatch([&] {
        ScreenShell &shell = form().context().shell();
        shell.ApagaCdsVenda_CdsItensCancelados();
        shell.LimpaCDS();
        shell.LimpaVariaveis();
    });
    EXPECT_FALSE(QFile::exists(recoveryFile(RecoveryFiles::Venda)));
    EXPECT_FALSE(QFile::exists(recoveryFile(RecoveryFiles::ItensCancelados)));
    EXPECT_TRUE(data().cdsItems.IsEmpty());
}

// A desk without a fiscal printer keeps the open sale's lines too: a till stopped mid-sale is
// accounted for at the next start on every desk kind.
TEST_F(FiscalReceiptTest, WithoutAFiscalPrinterTheRecoveryFileHoldsTheOpenSale)
{
    state().editParams().boUTILIZAIMPFIS = false;
    state().editParams().inIDTIPOIMPFIS = 0;
    sellItem(QStringLiteral("10"), QStringLiteral("SUCO"));
    sellItem(QStringLiteral("11"), QStringLiteral("PAO"));
    cancelLine(QStringLiteral("001"));
    form().dispatch([&] { form().context().shell().ControleCdsVenda_Diretorio(QStringLiteral("B")); });
    EXPECT_EQ(data().cdsItems.RecordCount(), 1);
    DataPacket saved;
    ASSERT_TRUE(CdsFile::load(recoveryFile(RecoveryFiles::Venda), &saved));
    EXPECT_EQ(saved.rows.size(), 1);
}
