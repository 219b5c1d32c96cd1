// The host NSU of the card transaction that paid a sale elsewhere (a QR-code sale) is stored
// with the sale's payment, on both kinds of base; an older base without the column gets it
// empty on its next connect.
#include "hostbasefixture.h"
#include "hostprogram.h"

#include <host/site/hostdatabase.h>
#include <host/site/hostschema.h>
#include <host/site/salesaving.h>
#include <server/schema.h>

#include <support/databasefixture.h>

#include <outside/qub_proximocodigo.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>

#include <QTemporaryDir>

namespace {

void define(ClientDataSet &dataset, const QList<FieldDef> &fields)
{
    for (const FieldDef &field : fields)
        dataset.FieldDefs().Add(field.name, field.type, field.size);
    dataset.CreateDataSet();
}

class CardNsuSaving : public HostBaseTest
{
protected:

    // One item of a QR-code sale paid by card in the code, with the card's host NSU.
    ClosingAnswer saveQrCodeSale(const QString &nsu)
    {
        const FieldType S = FieldType::String, D = FieldType::Double;
        ClientDataSet venda{"cdsVenda"}, movCaixa{"cdsMovCaixa"}, empty[11];
        define(venda, {{"CDFILIAL", S, 4}, {"CDPRODUTO", S, 10}, {"QTPRODCOMVEN", D}, {"VRPRECCOMVEN", D}});
        venda.Append();
        venda.FieldByName("CDFILIAL").SetAsString("0001");
        venda.FieldByName("CDPRODUTO").SetAsString("01001");
        venda.FieldByName("QTPRODCOMVEN").SetAsFloat(1);
        venda.FieldByName("VRPRECCOMVEN").SetAsFloat(22.90);
        venda.Post();
        define(movCaixa, {{"CDTIPORECE", S, 3}, {"IDTIPORECE", S, 1}, {"VRMOVIVEND", D}, {"CDNSUHOSTTEF", S, 50}});
        movCaixa.Append();
        movCaixa.FieldByName("CDTIPORECE").SetAsString("002");
        movCaixa.FieldByName("IDTIPORECE").SetAsString("2");
        movCaixa.FieldByName("VRMOVIVEND").SetAsFloat(22.90);
        movCaixa.FieldByName("CDNSUHOSTTEF").SetAsString(nsu);
        movCaixa.Post();
        for (ClientDataSet &dataset : empty)
            define(dataset, {{"X", S, 1}});
        ClosingDatasets datasets{venda,    movCaixa, empty[0], empty[1], empty[2], empty[3], empty[4],
                                 empty[5], empty[6], empty[7], empty[8], empty[9], empty[10]};
        ClosingHeader header;
        header.cdFilial = "0001";
        header.cdCaixa = "001";
        header.stRecebAux20 = "E";
        return SaleSaving::SetConcluiFechamento(header, datasets);
    }
};

TEST_P(CardNsuSaving, TheSaleSaveStoresThePaymentsCardNsu)
{
    const ClosingAnswer answer = saveQrCodeSale("884411");
    ASSERT_TRUE(answer.failure.isEmpty()) << answer.failure.toStdString();

    const auto stored = rows("SELECT CDNSUHOSTTEF FROM MOVCAIXA WHERE NRSEQVENDA = :P_K",
                             {{"P_K", answer.savedSaleKey.toString()}});
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0][0].toString(), "884411");
}

TEST_P(CardNsuSaving, AnOldBaseGetsTheColumnEmptyAndThenStoresIt)
{
    exec("ALTER TABLE MOVCAIXA DROP COLUMN CDNSUHOSTTEF");
    exec("INSERT INTO MOVCAIXA (CDFILIAL, CDCAIXA, NRSEQVENDA, NRSEQUMOVI, VRMOVIVEND) "
         "VALUES ('0001', '001', 'ANTIGA', '1', 10)");

    ASSERT_FALSE(Schema::upgrade(HostDatabase::session()).isFailure());

    const auto old = rows("SELECT CDNSUHOSTTEF FROM MOVCAIXA WHERE NRSEQVENDA = 'ANTIGA'");
    ASSERT_EQ(old.size(), 1);
    EXPECT_TRUE(old[0][0].isNull() || old[0][0].toString().isEmpty());
    const ClosingAnswer answer = saveQrCodeSale("884412");
    ASSERT_TRUE(answer.failure.isEmpty()) << answer.failure.toStdString();
    const auto stored = rows("SELECT CDNSUHOSTTEF FROM MOVCAIXA WHERE NRSEQVENDA = :P_K",
                             {{"P_K", answer.savedSaleKey.toString()}});
    ASSERT_EQ(stored.size(), 1);
    EXPECT_EQ(stored[0][0].toString(), "884412");
}

VENDACONS_DATABASE_KINDS(CardNsuSaving);

// The code of host/scripts/venda-qrcode.txt was paid by card under host NSU 884411.
TEST(CardNsuThroughTheHost, AQrCodeSalePaidByCardStoresItsNsu)
{
    QTemporaryDir work;
    ASSERT_TRUE(work.isValid());
    const QString site = work.filePath(QStringLiteral("site"));
    QString output;
    ASSERT_TRUE(runHost({"--init-site", site, "--till", "ecf"}, work.path(), output)) << output.toStdString();
    ASSERT_TRUE(runHost({"--site", site, "--script", QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/venda-qrcode.txt")},
                        work.path(), output))
        << output.toStdString();

    EXPECT_EQ(siteBaseValue(site, QStringLiteral("SELECT CDNSUHOSTTEF FROM MOVCAIXA WHERE CDTIPORECE = '002'")).toString(),
              "884411");
}

} // namespace
