#include "orderfixture.h"

#include <order/orderentry.h>
#include <order/taxvalidation.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <runtime/clientdataset.h>

#include <functional>

namespace {

DataPacket packet(const QStringList &fields, const QList<QStringList> &rows)
{
    DataPacket result;
    for (const QString &field : fields)
        result.fields.append(FieldDef{field, FieldType::String, 40});
    for (const QStringList &row : rows) {
        QList<Variant> values;
        for (const QString &value : row)
            values.append(value.isNull() ? Variant::null() : Variant(value));
        result.rows.append(values);
    }
    return result;
}

const QStringList fiscalFields = {"CDCLASFISC", "CDCFOPPFIS", "IDTPIMPOSFIS", "CDCSTICMS",
                                  "CDCSTPISCOF", "VRALIQPIS",  "VRALIQCOFINS", "CDSITUCRT"};
const QStringList reformFields = {"CDCSTIBSCBS", "CDCLATRIBIBSCBS", "VRALIQIBSUF", "VRALIQIBSMUN", "VRALIQCBS"};

// A product whose fiscal data are complete for a branch of the normal regime.
QHash<QString, QString> completeFiscalData()
{
    return {{"CDCLASFISC", "22029900"}, {"CDCFOPPFIS", "5102"}, {"IDTPIMPOSFIS", "T"},
            {"CDCSTICMS", "00"},        {"CDCSTPISCOF", "01"},  {"VRALIQPIS", "1,65"},
            {"VRALIQCOFINS", "7,6"},    {"CDSITUCRT", "3"}};
}

QHash<QString, QString> completeReformRule()
{
    return {{"CDCSTIBSCBS", "000"}, {"CDCLATRIBIBSCBS", "000001"}, {"VRALIQIBSUF", "0,1"},
            {"VRALIQIBSMUN", "0,05"}, {"VRALIQCBS", "0,9"}};
}

DataPacket onePacket(const QStringList &fields, const QHash<QString, QString> &values)
{
    QStringList row;
    for (const QString &field : fields)
        row << values.value(field);
    return packet(fields, {row});
}

} // namespace

class TaxValidationTest : public OrderTest
{
protected:
    void SetUp() override
    {
        OrderTest::SetUp();
        ServerSeams table = ServerSeams::current();
        table.lookupsProducts.getValidProdNFCe = [this](const QString &branch, const QString &product) {
            serverCalls << QStringLiteral("getValidProdNFCe %1 %2").arg(branch, product);
            return fiscalData.isEmpty() ? Variant(packet(fiscalFields, {})) : Variant(onePacket(fiscalFields, fiscalData));
        };
        table.lookupsProducts.getRegraFisPdv = [this](const QString &product) {
            serverCalls << QStringLiteral("getRegraFisPdv ") + product;
            return reformRule.isEmpty() ? Variant(packet(reformFields, {})) : Variant(onePacket(reformFields, reformRule));
        };
        m_fiscal = std::make_unique<ScopedTable<ServerSeams>>(std::move(table));
        taxRows({{"10", "01", "18"}});
        ASSERT_TRUE(data().cdsAliqImpFis.SetData(packet({"CDALIQIMPFIS", "VRALIQIMPFIS", "IDALIQIMPFIS"},
                                                        {{"T01", "7,00", "T"}, {"T02", "18,00", "t"}, {"S01", "18,00", "S"}})));
    }
    void TearDown() override
    {
        m_fiscal.reset();
        OrderTest::TearDown();
    }

    ItemTax validate(const QString &product = QStringLiteral("10"))
    {
        ItemTax answer;
        form().dispatch([&] { answer = order().ValidaImpostoProduto(product); });
        return answer;
    }

    // NFC-e in use, no electronic invoicing integration: the electronic receipt data are checked.
    void electronicReceipts()
    {
        state().editParams().boSISTEMAQUBNFCE = true;
        state().editParams().stIDUTLINTFACELE = QStringLiteral("N");
    }

    // Refused with exactly the message of `key`.
    void expectRefused(const ItemTax &answer, const char *key)
    {
        EXPECT_FALSE(answer.accepted);
        EXPECT_EQ(shown(), QStringList{Msg(QString::fromLatin1(key))});
        if (!messages->calls().isEmpty()) {
            EXPECT_EQ(messages->calls().first().kind, 3);
        }
    }

    QHash<QString, QString> fiscalData = completeFiscalData();
    QHash<QString, QString> reformRule = completeReformRule();
    std::unique_ptr<ScopedTable<ServerSeams>> m_fiscal;
};

// ---- the tax row and the printer's rate -----------------------------------------------------

TEST_F(TaxValidationTest, ProductWithoutTaxRowIsRefused)
{
    expectRefused(validate(QStringLiteral("77")), "IMPOS_NCAD");
    EXPECT_FALSE(data().cdsAliquota.Filtered());
}

TEST_F(TaxValidationTest, ProductWithTwoTaxRowsIsRefused)
{
    taxRows({{"10", "01", "18"}, {"10", "02", "7"}});
    expectRefused(validate(), "IMPOSTO_ERR");
    EXPECT_FALSE(data().cdsAliquota.Filtered());
}

struct RateCase
{
    const char *name;
    std::function<void(SaleState &)> arrange;
    const char *code;
    const char *value;
};

void PrintTo(const RateCase &row, std::ostream *out)
{
    *out << row.name;
}

class PrinterRates : public TaxValidationTest, public ::testing::WithParamInterface<RateCase>
{
};

TEST_P(PrinterRates, ItemRateComesFromThePrinterOnlyWhereItSellsItemByItem)
{
    GetParam().arrange(state());
    const ItemTax answer = validate();
    EXPECT_TRUE(answer.accepted);
    EXPECT_EQ(answer.CDORDALIQIMPR, QString::fromLatin1(GetParam().code));
    EXPECT_EQ(answer.VRALIQIMPR, QString::fromLatin1(GetParam().value));
    EXPECT_TRUE(shown().isEmpty());
}

void printerModel(SaleState &s, int model)
{
    s.editParams().boUTILIZAIMPFIS = true;
    s.editParams().inIDTIPOIMPFIS = model;
}

INSTANTIATE_TEST_SUITE_P(
    Tills, PrinterRates,
    ::testing::Values(RateCase{"NoPrinter", [](SaleState &) {}, "", ""},
                      // Rate and kind compared, the kind without regard to case.
                      RateCase{"ItemByItemPrinter", [](SaleState &s) { printerModel(s, 2); }, "T02", "18,00"},
                      RateCase{"Model26TakesTheProductRate", [](SaleState &s) { printerModel(s, 26); }, "", "18"},
                      RateCase{"Model16", [](SaleState &s) { printerModel(s, 16); }, "", ""},
                      RateCase{"Model21", [](SaleState &s) { printerModel(s, 21); }, "", ""},
                      RateCase{"Model30", [](SaleState &s) { printerModel(s, 30); }, "", ""},
                      RateCase{"CollectorDesk",
                               [](SaleState &s) {
                                   printerModel(s, 2);
                                   s.editParams().stIDCOLETOR = QStringLiteral("C");
                               },
                               "", ""}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TaxValidationTest, PrinterRowOfTheItemStaysCurrentForTheFiscalRoad)
{
    printerModel(state(), 2);
    data().cdsAliqImpFis.First();
    EXPECT_TRUE(validate().accepted);
    EXPECT_EQ(data().cdsAliqImpFis.FieldByName(QStringLiteral("CDALIQIMPFIS")).AsString(), QStringLiteral("T02"));
    EXPECT_FALSE(data().cdsAliquota.Filtered());
}

TEST_F(TaxValidationTest, RateThePrinterDoesNotHaveIsRefused)
{
    printerModel(state(), 2);
    taxRows({{"10", "01", "12"}});
    expectRefused(validate(), "ALIQ_NCAD");
    EXPECT_FALSE(data().cdsAliquota.Filtered());
}

TEST_F(TaxValidationTest, SameRateOfAnotherTaxKindIsNotThePrinterRate)
{
    printerModel(state(), 2);
    ASSERT_TRUE(data().cdsAliqImpFis.SetData(packet({"CDALIQIMPFIS", "VRALIQIMPFIS", "IDALIQIMPFIS"},
                                                    {{"S01", "18,00", "S"}})));
    expectRefused(validate(), "ALIQ_NCAD");
}

TEST_F(TaxValidationTest, WithoutElectronicReceiptsOrClosingRoutineOnlyTheTaxRowCounts)
{
    fiscalData.clear();
    EXPECT_TRUE(validate().accepted);
    EXPECT_TRUE(serverCalls.isEmpty());
}

// ---- the electronic receipt data ------------------------------------------------------------

struct FiscalDataCase
{
    const char *name;
    QHash<QString, QString> changes;
    const char *key; // null: accepted
};

void PrintTo(const FiscalDataCase &row, std::ostream *out)
{
    *out << row.name;
}

class ElectronicReceiptData : public TaxValidationTest, public ::testing::WithParamInterface<FiscalDataCase>
{
};

TEST_P(ElectronicReceiptData, ChecksRunInOrderAndTheFirstFailureRefuses)
{
    electronicReceipts();
    for (auto it = GetParam().changes.cbegin(); it != GetParam().changes.cend(); ++it)
        fiscalData.insert(it.key(), it.value());
    const ItemTax answer = validate();
    if (GetParam().key) {
        expectRefused(answer, GetParam().key);
    } else {
        EXPECT_TRUE(answer.accepted);
        EXPECT_TRUE(shown().isEmpty());
    }
    EXPECT_EQ(serverCalls, QStringList{"getValidProdNFCe 0001 10"});
}

INSTANTIATE_TEST_SUITE_P(
    Checks, ElectronicReceiptData,
    ::testing::Values(
        FiscalDataCase{"Complete", {}, nullptr},
        FiscalDataCase{"BlankNcm", {{"CDCLASFISC", "  "}}, "NCM_NCAD"},
        FiscalDataCase{"NcmBeforeCfop", {{"CDCLASFISC", ""}, {"CDCFOPPFIS", ""}}, "NCM_NCAD"},
        FiscalDataCase{"Cfop", {{"CDCFOPPFIS", ""}}, "CFOP_NCAD"},
        FiscalDataCase{"IcmsCode", {{"CDCSTICMS", ""}}, "CSTICMS_NCAD"},
        FiscalDataCase{"IcmsCodeNotAskedOfSubstitution", {{"CDCSTICMS", ""}, {"IDTPIMPOSFIS", "S"}}, nullptr},
        FiscalDataCase{"PisCofinsCode", {{"CDCSTPISCOF", ""}}, "CSTPC_NCAD"},
        FiscalDataCase{"PisRate", {{"VRALIQPIS", ""}}, "ALIQPIS_NCAD"},
        FiscalDataCase{"CofinsRate", {{"VRALIQCOFINS", " "}}, "ALIQCOF_NCAD"},
        FiscalDataCase{"SimpleRegimeWithNormalCode", {{"CDSITUCRT", "1"}, {"CDCSTICMS", "00"}}, "CSOSN_INV"},
        FiscalDataCase{"SimpleRegimeWithCsosn", {{"CDSITUCRT", "1"}, {"CDCSTICMS", "102"}}, nullptr},
        FiscalDataCase{"NormalRegimeWithCsosn", {{"CDSITUCRT", "3"}, {"CDCSTICMS", "102"}}, "CSTICMS_INV"},
        FiscalDataCase{"RegimeTwoWithCode41", {{"CDSITUCRT", "2"}, {"CDCSTICMS", "41"}}, nullptr},
        FiscalDataCase{"SubstitutionSkipsTheCodeLists",
                       {{"CDSITUCRT", "1"}, {"CDCSTICMS", "00"}, {"IDTPIMPOSFIS", "S"}}, nullptr}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TaxValidationTest, ProductWithoutFiscalDataIsRefused)
{
    electronicReceipts();
    fiscalData.clear();
    expectRefused(validate(), "IMPOS_NCAD");
}

TEST_F(TaxValidationTest, FailedFiscalDataQueryIsReportedAndRefusesAsMissing)
{
    electronicReceipts();
    ServerSeams failing = ServerSeams::current();
    failing.lookupsProducts.getValidProdNFCe = [](const QString &, const QString &) {
        return Variant::failure(QStringLiteral("tempo esgotado"));
    };
    ScopedTable<ServerSeams> scoped(std::move(failing));
    const ItemTax answer = validate();
    EXPECT_FALSE(answer.accepted);
    EXPECT_EQ(shown(), QStringList({"tempo esgotado", Msg(QStringLiteral("IMPOS_NCAD"))}));
}

struct SkipCase
{
    const char *name;
    std::function<void(Parameters &)> arrange;
};

void PrintTo(const SkipCase &row, std::ostream *out)
{
    *out << row.name;
}

class ElectronicDataNotAsked : public TaxValidationTest, public ::testing::WithParamInterface<SkipCase>
{
};

TEST_P(ElectronicDataNotAsked, WhenTheTillDoesNotNeedThem)
{
    electronicReceipts();
    GetParam().arrange(state().editParams());
    fiscalData.clear();
    EXPECT_TRUE(validate().accepted);
    EXPECT_TRUE(serverCalls.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Tills, ElectronicDataNotAsked,
    ::testing::Values(
        SkipCase{"ElectronicInvoicingIntegration", [](Parameters &p) { p.stIDUTLINTFACELE = QStringLiteral("S"); }},
        SkipCase{"ServicesInvoice", [](Parameters &p) { p.stIDUTLNFSVENCONS = QStringLiteral("S"); }},
        SkipCase{"NeitherNfceNorSat", [](Parameters &p) { p.boSISTEMAQUBNFCE = false; }}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TaxValidationTest, SatTillChecksTheDataButNotTheTaxReform)
{
    state().editParams().boSISTEMAQUBSAT = true;
    state().editParams().stIDUTLINTFACELE = QStringLiteral("N");
    state().editParams().stIDADESAOREFTRIB = QStringLiteral("S");
    reformRule.clear();
    EXPECT_TRUE(validate().accepted);
    EXPECT_EQ(serverCalls, QStringList{"getValidProdNFCe 0001 10"});
}

// ---- the tax reform --------------------------------------------------------------------------

struct ReformCase
{
    const char *name;
    const char *blankField; // null: the rule is missing altogether
    const char *key;
};

void PrintTo(const ReformCase &row, std::ostream *out)
{
    *out << row.name;
}

class TaxReform : public TaxValidationTest, public ::testing::WithParamInterface<ReformCase>
{
};

TEST_P(TaxReform, EveryFieldOfTheRuleIsRequired)
{
    electronicReceipts();
    state().editParams().stIDADESAOREFTRIB = QStringLiteral("S");
    if (GetParam().blankField)
        reformRule.insert(QString::fromLatin1(GetParam().blankField), QString());
    else
        reformRule.clear();
    expectRefused(validate(), GetParam().key);
    EXPECT_EQ(serverCalls, QStringList({"getValidProdNFCe 0001 10", "getRegraFisPdv 10"}));
}

INSTANTIATE_TEST_SUITE_P(Fields, TaxReform,
                         ::testing::Values(ReformCase{"NoRule", nullptr, "REGRAFISPDV_NCAD"},
                                           ReformCase{"Cst", "CDCSTIBSCBS", "CSTIBSCBS_NCAD"},
                                           ReformCase{"Classification", "CDCLATRIBIBSCBS", "CLATRIBIBSCBS_NCAD"},
                                           ReformCase{"StateRate", "VRALIQIBSUF", "ALIQIBSUF_NCAD"},
                                           ReformCase{"CityRate", "VRALIQIBSMUN", "ALIQIBSMUN_NCAD"},
                                           ReformCase{"CbsRate", "VRALIQCBS", "ALIQCBS_NCAD"}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(TaxValidationTest, CompleteReformRulePasses)
{
    electronicReceipts();
    state().editParams().stIDADESAOREFTRIB = QStringLiteral("S");
    EXPECT_TRUE(validate().accepted);
    EXPECT_TRUE(shown().isEmpty());
}

// ---- the fiscal-closing routine --------------------------------------------------------------

class FiscalClosing : public TaxValidationTest, public ::testing::WithParamInterface<FiscalDataCase>
{
};

TEST_P(FiscalClosing, BranchClosingItsReceiptsNeedsTheFiscalData)
{
    printerModel(state(), 16);
    state().editParams().stIDFECHACUPOM = QStringLiteral("S");
    for (auto it = GetParam().changes.cbegin(); it != GetParam().changes.cend(); ++it)
        fiscalData.insert(it.key(), it.value());
    const ItemTax answer = validate();
    if (GetParam().key) {
        expectRefused(answer, GetParam().key);
    } else {
        EXPECT_TRUE(answer.accepted);
        EXPECT_TRUE(shown().isEmpty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Checks, FiscalClosing,
    ::testing::Values(FiscalDataCase{"Complete", {}, nullptr},
                      FiscalDataCase{"Ncm", {{"CDCLASFISC", ""}}, "NCM_NCAD_FC"},
                      FiscalDataCase{"Cfop", {{"CDCFOPPFIS", ""}}, "CFOP_NCAD_FC"},
                      FiscalDataCase{"IcmsCodeWhateverTheKind", {{"CDCSTICMS", ""}, {"IDTPIMPOSFIS", "S"}},
                                     "CSTICMS_NCAD_FC"},
                      FiscalDataCase{"PisCofinsCode", {{"CDCSTPISCOF", ""}}, "CSTPC_NCAD_FC"},
                      FiscalDataCase{"PisRate", {{"VRALIQPIS", ""}}, "ALIQPIS_NCAD_FC"},
                      FiscalDataCase{"CofinsRate", {{"VRALIQCOFINS", ""}}, "ALIQCOF_NCAD_FC"},
                      FiscalDataCase{"NoCodeListHere", {{"CDSITUCRT", "1"}, {"CDCSTICMS", "00"}}, nullptr}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TaxValidationTest, ClosingRoutineWithoutFiscalDataRefuses)
{
    printerModel(state(), 16);
    state().editParams().stIDFECHACUPOM = QStringLiteral("S");
    fiscalData.clear();
    expectRefused(validate(), "IMPOS_NCAD");
}

// ---- through the registration ----------------------------------------------------------------

TEST_F(TaxValidationTest, RefusedProductAddsNoLine)
{
    sell(item(QStringLiteral("10"), QStringLiteral("SUCO"), QStringLiteral("5,00")));
    ASSERT_EQ(data().cdsItems.RecordCount(), 1);
    electronicReceipts();
    fiscalData.insert(QStringLiteral("CDCFOPPFIS"), QString());
    sell(item(QStringLiteral("10"), QStringLiteral("SUCO"), QStringLiteral("5,00")));
    EXPECT_EQ(data().cdsItems.RecordCount(), 1);
    EXPECT_EQ(shown(), QStringList{Msg(QStringLiteral("CFOP_NCAD"))});
}
