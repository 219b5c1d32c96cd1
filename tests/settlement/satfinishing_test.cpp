#include "settlementfixture.h"

#include <QTemporaryDir>

namespace {

SatAnswer accepted(const QString &xml)
{
    SatAnswer answer;
    answer.accepted = true;
    answer.answer = NameValueList({"EEEEE=06000", "chaveConsulta=CFe35240312345678000195590009000000011234567890",
                                   "timeStamp=20240305143015", "valorTotalCFe=62.47", "CPFCNPJValue=12345678909",
                                   "assinaturaQRCODE=abc=", "arqxmlnfce=" + xml});
    return answer;
}

const QString goodXml = "<CFe><infCFe><ide><nserieSAT>900000001</nserieSAT><nCFe>000012</nCFe></ide></infCFe></CFe>";

class SatFinishingTest : public SettlementTest
{
protected:
    void SetUp() override
    {
        SettlementTest::SetUp();
        state().editParams().stCDFILIAL = "0001";
        state().editParams().stCDCAIXA = "001";
        state().editParams().stIDUTILSATCOMP = "N";
        state().startup.stCDATIVACAOSAT = "cifrado";
        state().startup.stRecebAux2 = folder.path() + "/0001-001-2024-03-05/";
        state().settlement.stRecebAux21 = "1,00";
        state().settlement.stRecebAux22 = "0,50";
        host->setDefault(&Pkg_Hrk00002::AtualizaVendaSat, Variant(QString("OK")));
    }
    QTemporaryDir folder;
};

TEST_F(SatFinishingTest, AcceptedSaleKeepsTheReceiptDataAndUpdatesTheSale)
{
    host->script(&Pkg_Hrk00002::SATOnline, accepted(goodXml));

    EXPECT_EQ(settlement().FinalizaVendaSat("0000000007"), "");

    EXPECT_TRUE(state().flags.boTefOk);
    EXPECT_EQ(state().settlement.stRecebAux18, "CFe35240312345678000195590009000000011234567890|20240305143015|62.47|"
                                               "12345678909|abc=");
    EXPECT_EQ(state().settlement.stRecebAux17, "CFe35240312345678000195590009000000011234567890");
    EXPECT_EQ(state().settlement.stRecebAux3, "000012");
    EXPECT_EQ(state().settlement.stRecebAux16, "900000001");
    const SatTransmitRequest sent = host->last(&Pkg_Hrk00002::SATOnline);
    EXPECT_EQ(sent.savedSaleKey, "0000000007");
    EXPECT_EQ(sent.cdAtivacaoSat, "cifrado");
    EXPECT_EQ(sent.tax0, "1,00");
    EXPECT_EQ(sent.tax2, "0,50");
    const SatUpdateRequest update = host->last(&Pkg_Hrk00002::AtualizaVendaSat);
    EXPECT_EQ(update.cfeNumber, "000012");
    EXPECT_EQ(update.qrCodeText, state().settlement.stRecebAux18);
    EXPECT_TRUE(QFile::exists(state().startup.stRecebAux2 + "35240312345678000195590009000000011234567890.png"));
}

TEST_F(SatFinishingTest, RefusalIsTheAnswersMessageAndTouchesNothingElse)
{
    state().settlement.stRecebAux17 = "CHAVE ANTERIOR";
    state().settlement.stRecebAux3 = "000011";
    SatAnswer refused;
    refused.answer = NameValueList({"EEEEE=06010", "mensagem=Rejeição: código inválido"});
    host->script(&Pkg_Hrk00002::SATOnline, refused);

    EXPECT_EQ(settlement().FinalizaVendaSat("0000000007"), "Rejeição: código inválido");

    EXPECT_FALSE(state().flags.boTefOk);
    EXPECT_EQ(state().settlement.stRecebAux17, "CHAVE ANTERIOR");
    EXPECT_EQ(state().settlement.stRecebAux3, "000011");
    EXPECT_EQ(host->count(&Pkg_Hrk00002::AtualizaVendaSat), 0);
}

TEST_F(SatFinishingTest, AnswerWithoutTheDocumentNumberIsAFailure)
{
    host->script(&Pkg_Hrk00002::SATOnline, accepted("<CFe><infCFe>sem numero</infCFe></CFe>"));

    EXPECT_FALSE(settlement().FinalizaVendaSat("0000000007").isEmpty());

    EXPECT_FALSE(state().flags.boTefOk);
    EXPECT_EQ(host->count(&Pkg_Hrk00002::AtualizaVendaSat), 0);
}

TEST_F(SatFinishingTest, FailedUpdateIsReportedAsTheSaveIs)
{
    host->script(&Pkg_Hrk00002::SATOnline, accepted(goodXml));
    host->script(&Pkg_Hrk00002::AtualizaVendaSat, Variant::failure("venda não encontrada"));

    EXPECT_EQ(settlement().FinalizaVendaSat("0000000007"), "");
    EXPECT_EQ(messages->count(), 1);
}

} // namespace
