#include "settlementfixture.h"

namespace {

using Road = Settlement::ClosingRoad;

const QDateTime opening(QDate(2024, 3, 5), QTime(6, 0));
const QDateTime business(QDate(2024, 3, 5), QTime(0, 0));

class ClosingRecordTest : public SettlementTest
{
protected:
    void SetUp() override
    {
        SettlementTest::SetUp();
        Parameters &p = state().editParams();
        p.stCDCAIXA = "001";
        p.dtDTABERCAIX = opening;
        p.stCDEMPRESA = "01";
        p.stCDFILIAL = "0001";
        p.stCDLOJA = "01";
        p.stIDPAISINTEGRA = "00";
        p.stNRSERIEIMP = "SIM0000000001";
        p.inIDTIPOIMPFIS = 12;
        p.stDSMODELOECFVE = "MODELO";
        p.stDSMARCAECFVE = "MARCA";
        p.stECFIMP = "ECF01";
        p.stSGESTADOFILI = "SP";
        p.stIDAMBTRABNFCE = "2";
        state().host.stNRMESA = "0000";
        state().host.stNRVENDAREST = "";
        state().fiscal.stNRCONTCUPOMFISC = "000045";
        state().fiscal.stEnderecoNota = "Rua A, 10";
        state().startup.dtDATAMOVIMENTO = business;
        state().startup.stRecebAux7 = "BAL_QUB";
        state().startup.stRecebAux20 = "N";
        SettlementTexts &t = state().settlement;
        t.stRecebAux9 = "000777";
        t.stRecebAux12 = "E";
        t.stRecebAux11 = "OUT38";
        t.stRecebAux19 = "2024-03-05T14:30:15-03:00";
        t.stRecebAux24 = "1";
        t.stSenhaPedido = "00042";
        t.stRecebAux13 = "CAMP1";
        t.stRecebAux14 = "3";
        t.stConfRecebimento = "S";
        state().totals.doVrImpostoAprox = 4.56;
    }
};

TEST_F(ClosingRecordTest, HeaderHoldsTheFiftyOneValuesOfTheOrdinaryRoad)
{
    const QList<Variant> expected{
        "001", opening, "01", "000777", "000045", "0001", "", "", "01", "0000", "", "POS", "000777", "00",
        "OUT11", "SIM0000000001", 12, "MODELO", "MARCA", "ECF01", business, "", "", "SP", "", "Rua A, 10",
        "", "", "", "", "E", "OUT38", "BAL_QUB", "", "2024-03-05T14:30:15-03:00", "2", "1", "00042", "",
        "N", "", 4.56, "", true, "CAMP1", "3", "S", "", "", "T", ""};
    const QList<Variant> header = closingRecord().closingHeader("000777", "OUT11").toArray();
    ASSERT_EQ(header.size(), 51);
    for (int i = 0; i < 51; ++i)
        EXPECT_EQ(header[i], expected[i]) << "value " << i;
}

struct SlotCase
{
    const char *name;
    Road road;
    QStringList datasets;
};

class ClosingSlots : public ClosingRecordTest, public ::testing::WithParamInterface<SlotCase>
{
};

QStringList slotsWith(const char *family, const char *returns, const char *loyalty, const char *promotions)
{
    return {"cdsVenda", "cdsMovCaixa", "cdsVendaCancelada", family, "cdsEmprestimoFam", "cdsItPromoComb", returns,
            "cdsVazio", "cdsObsItens", "cdsObsItensEst", "cdsItensCancelados", loyalty, promotions};
}

TEST_P(ClosingSlots, EachRoadPutsItsDatasetsInTheThirteenSlots)
{
    QStringList names;
    for (const ClientDataSet *dataset : closingRecord().closingDatasets(GetParam().road).list())
        names << dataset->Name();
    EXPECT_EQ(names, GetParam().datasets);
}

INSTANTIATE_TEST_SUITE_P(
    Roads, ClosingSlots,
    ::testing::Values(
        SlotCase{"Ordinary", Road::Ordinary, slotsWith("cdsFamiliaSaldo", "cdsDevolucao", "cdsExtConsFid", "cdsPromoComanda")},
        SlotCase{"Completion", Road::Completion, slotsWith("cdsFamSaldoComp", "cdsVazio", "cdsVazio", "cdsPromoComanda")},
        SlotCase{"ExchangeFull", Road::ExchangeFull, slotsWith("cdsFamiliaSaldo", "cdsDevolucao", "cdsVazio", "cdsPromoComanda")},
        SlotCase{"PersonalCreditFull", Road::PersonalCreditFull, slotsWith("cdsFamiliaSaldo", "cdsVazio", "cdsVazio", "cdsPromoComanda")},
        SlotCase{"PersonalCreditComplement", Road::PersonalCreditComplement, slotsWith("cdsFamSaldoComp", "cdsVazio", "cdsVazio", "cdsPromoComanda")},
        SlotCase{"DebitFull", Road::DebitFull, slotsWith("cdsFamiliaSaldo", "cdsVazio", "cdsVazio", "cdsPromoComanda")},
        SlotCase{"DebitComplement", Road::DebitComplement, slotsWith("cdsFamSaldoComp", "cdsVazio", "cdsVazio", "cdsPromoComanda")},
        SlotCase{"QrCode", Road::QrCode, slotsWith("cdsFamiliaSaldo", "cdsDevolucao", "cdsVazio", "cdsVazio")}),
    [](const ::testing::TestParamInfo<SlotCase> &info) { return std::string(info.param.name); });

TEST_F(ClosingRecordTest, SaveHandsTheWholeHeaderAndKeepsTheResultArray)
{
    ClosingAnswer answer;
    answer.savedSaleKey = QStringLiteral("0000000012");
    answer.points = 7;
    answer.nfceText1 = "CHAVE";
    answer.nfceStatus = "CONTIGENCIA_SP";
    host->script(&Pkg_Hrk00002::SetConcluiFechamento, answer);
    ClosingHeader header = closingRecord().closingHeader("000777", "");
    header.valueCount = 46; // a road that builds fewer values still saves all of them

    const Settlement::SaveResult result = settlement().SetConcluiFechamento(Road::Ordinary, header);

    EXPECT_TRUE(result.saved);
    EXPECT_EQ(result.saleKey, "0000000012");
    EXPECT_EQ(host->last(&Pkg_Hrk00002::SetConcluiFechamento).toArray().size(), 51);
    EXPECT_EQ(host->lastDatasets(&Pkg_Hrk00002::SetConcluiFechamento).size(), 13);
    EXPECT_EQ(state().results.vaRetorno.at(0).toDouble(), 7.0);
    EXPECT_EQ(state().results.vaRetorno.at(3).toString(), "CONTIGENCIA_SP");
    EXPECT_EQ(messages->count(), 0);
}

TEST_F(ClosingRecordTest, FailedSaveIsHandedToTheRoadWithoutAKey)
{
    ClosingAnswer answer;
    answer.failure = "disco cheio";
    host->script(&Pkg_Hrk00002::SetConcluiFechamento, answer);

    const Settlement::SaveResult result = settlement().SetConcluiFechamento(Road::Ordinary, closingRecord().closingHeader("", ""));

    EXPECT_FALSE(result.saved);
    EXPECT_EQ(result.failure, "disco cheio");
    EXPECT_TRUE(result.saleKey.isEmpty());
}

TEST_F(ClosingRecordTest, TraceTextNamesTheSaleForTheLog)
{
    const QString trace = closingRecord().closingTrace(closingRecord().closingHeader("000777", ""));
    EXPECT_EQ(trace, "cdsvenda.data-cdsMovCaixa.Data-cdsVendaCancelada.Data-cdsFamiliaSaldo.Data-cdsEmprestimoFam.Data-"
                     "001-05/03/2024-01-000777-000045-0001---01-0000--POS000777");
}

} // namespace
