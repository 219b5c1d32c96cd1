#include <host/site/demomenu.h>
#include <host/site/demosite.h>
#include <host/site/hostdatabase.h>
#include <host/site/hostschema.h>
#include <host/site/pricefunction.h>
#include <host/site/tablesales.h>

#include <outside/criptografa.h>
#include <sale/salestate_load.h>
#include <server/srv_consumers.h>
#include <sale/tillfiles.h>
#include <server/trdmvendacons.h>

#include <runtime/cdsfile.h>
#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QDateTime Now(QDate(2024, 3, 6), QTime(11, 45));

class DemoSiteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        qunsetenv("VENDACONS_DB");
        HostSchema::registerTables();
        HostDatabase::reset();
        folder = QDir(temporary.path()).filePath("demo-site");
        report = DemoSite::write(folder, Now);
        ASSERT_TRUE(report.ok()) << report.error.toStdString();
    }
    void TearDown() override
    {
        HostDatabase::reset();
        setRdmVendaCons(nullptr);
        SitePaths::setHome(QString());
        qunsetenv("VENDACONS_HOME");
        Clock::setNow({});
    }

    DataPacket load(const QString &relative)
    {
        DataPacket packet;
        QString error;
        EXPECT_TRUE(CdsFile::load(QDir(folder).filePath(relative), &packet, &error)) << error.toStdString();
        return packet;
    }
    static QSet<QString> column(const DataPacket &packet, const QString &name)
    {
        QSet<QString> values;
        for (int row = 0; row < packet.rows.size(); ++row)
            values.insert(packet.value(row, name).toString());
        return values;
    }

    QTemporaryDir temporary;
    QString folder;
    DemoSite::Report report;
};

TEST_F(DemoSiteTest, EveryCadastreTheStartUpLoadsIsThereWithTheFieldsItsReadersName)
{
    const QList<std::pair<const char *, QStringList>> expected{
        {"ConfTipoRece.cds", {"CDTIPORECE", "NMTIPORECE", "IDTIPORECE", "IDHABVENDAMAN"}},
        {"AliqImpFis.cds", {"CDALIQIMPFIS", "VRALIQIMPFIS", "IDALIQIMPFIS"}},
        {"Cad_Cliente.cds", {"CDCLIENTE", "NMFANTCLIE", "NRINSJURCLIE"}},
        {"EcfCaixa.cds", {}},
        {"Garcom.cds", {"CDOPERADOR", "CDVENDEDOR", "NMFANVEN"}},
        {"Operador.cds", {"CDOPERADOR", "NMOPERADOR"}},
        {"Produtos.cds", {"CDPRODUTO", "CDBARPRODUTO", "CDARVPROD", "CDPRODINTE", "CDPROTECLADO", "NMPRODUTO",
                          "CDFAMILISALD", "IDPESAPROD", "SGUNIDADE", "DTFINVGPROMOC", "DTINIVGPROMOC",
                          "IDIMPPRODUTO", "IDTIPOCOMPPROD", "QTTARAPROD"}},
        {"ProdutoCombinado.cds", {}},
        {"MaxGrupo.cds", {"QTDEPG"}},
        {"MaxProduto.cds", {"QTDEPG", "NRBUTTONAUX", "NRPGCONFTAUX"}},
        {"ProdLoja.cds", {"CDLOJA", "CDPRODUTO", "CDPORIMPPROD", "IDIMPCANITEM"}},
        {"AliqSistema.cds", {"CDPRODUTO", "CDIMPOSTO", "VRPEALIMPFIS", "NMIMPOSTO", "SGIMPOSTO", "IDTPIMPOSFIS"}},
        {"MenuCombinado.cds", {}},
        {"ConfigProd.cds", {"NRBUTTON", "NRBUTTONAUX", "NRPGCONFTELA", "NRPGCONFTAUX", "IDTPBUTTON", "DSBUTTON",
                            "NRFONTETEXT", "NRCOLORTEXT", "NRCOLORBACK", "CDPRODUTO", "CDIDENTBUTON", "NMPRODUTO",
                            "CDARVPROD", "IDTIPOCOMPPROD", "IDPESAPROD", "QTTARAPROD", "DTINIVGPROMOC",
                            "DTFINVGPROMOC", "CDFAMILISALD", "SGUNIDADE", "IDIMPPRODUTO"}},
        {"ConfigGrupo.cds", {"NRBUTTON", "NRPGCONFTELA", "IDTPBUTTON", "DSBUTTON", "NRFONTETEXT", "NRCOLORTEXT",
                             "NRCOLORBACK"}},
        {"AberturaCaixa.cds", {"CDATIVACAOSAT"}},
        {"ProdServtCon.cds", {}},
        {"ProdrServ.cds", {}},
        {"FamSaldoFili.cds", {"CDFAMILISALD", "NMFAMILISALD"}},
        {"DataMovimento.cds", {"DATAMOVIMENTO"}},
        {"FiliOper.cds", {"CDOPERADOR"}},
        {"ProdAmbiente.cds", {}},
        {"MesaSala.cds", {"NRMESA"}},
        {"ControleAcess.cds", {"CDOPERADOR", "NMOPERADOR"}},
    };
    for (const auto &[file, fields] : expected) {
        SCOPED_TRACE(file);
        const DataPacket packet = load(QStringLiteral("Dados/Cadastros/") + QString::fromLatin1(file));
        for (const QString &field : fields)
            EXPECT_GE(packet.fieldIndex(field), 0) << field.toStdString();
    }
    const DataPacket operatorFile = load("Dados/Cadastros/ControleAcess.cds");
    EXPECT_EQ(operatorFile.value(0, "CDOPERADOR").toString(), DemoSite::CDOPERADOR);
    const DataPacket opening = load("Dados/Cadastros/AberturaCaixa.cds");
    EXPECT_EQ(opening.rows.size(), 1); // the desk is open
    bool ok = false;
    EXPECT_EQ(Criptografa::Uncripto(opening.value(0, "CDATIVACAOSAT").toString(), DemoSite::CipherKey, &ok), "12345678");
    EXPECT_TRUE(ok);
}

TEST_F(DemoSiteTest, ParameterFileHasEveryColumnAndLoadsWhole)
{
    const DataPacket packet = load("PARAMETROSQUB.CDS");
    ASSERT_EQ(packet.rows.size(), 1);
    for (const TillFiles::ParameterColumn &column : TillFiles::parameterColumns())
        EXPECT_GE(packet.fieldIndex(column.field.name), 0) << column.field.name.toStdString();
    EXPECT_EQ(packet.value(0, "CDOPERADORATUAL").toString(), DemoSite::CDOPERADOR);
    SaleState state;
    const ParameterLoadReport loaded = loadParameters(state, packet);
    EXPECT_TRUE(loaded.complete()) << loaded.missingColumns.join(",").toStdString() << " "
                                   << loaded.invalidValues.join(",").toStdString();
    EXPECT_EQ(state.params.stCDFILIAL, "0001");
    EXPECT_EQ(state.params.stCDLOJA, "01");
    EXPECT_EQ(state.params.stCDCAIXA, "001");
    EXPECT_TRUE(state.params.boUTILIZAIMPFIS);
    EXPECT_FALSE(state.params.boBOERROIMPRESSORA);
    EXPECT_EQ(state.params.inIDTIPOIMPFIS, 1);
    EXPECT_EQ(state.params.dtDTABERCAIX.date(), Now.date());
    EXPECT_EQ(state.params.inCaixaTAA, 0);
    EXPECT_EQ(state.rights.inCTCANCCUPOM, 105);
    // The site's own folder, relative, so that a copied or moved site keeps its files.
    EXPECT_TRUE(QDir::isRelativePath(QString(state.params.stDSDIRCAD).replace('\\', '/')))
        << state.params.stDSDIRCAD.toStdString();
    EXPECT_EQ(SitePaths::resolve(state.params.stDSDIRCAD + "LUMBERA.CDS"), QDir(folder).filePath("LUMBERA.CDS"));

    const DataPacket identification = load("LUMBERA.CDS");
    bool ok = false;
    Criptografa::Uncripto(identification.value(0, "MD5ARQUIVOTXT").toString(), DemoSite::CipherKey, &ok);
    EXPECT_TRUE(ok);
}

TEST(DemoSiteTill, EachTillKindIssuesItsOwnDocument)
{
    const struct
    {
        const char *name;
        bool printer, nfce, sat;
    } cases[] = {{"ecf", true, false, false}, {"NFCE", false, true, false}, {"sat", false, false, true}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<DemoSite::Till> till = DemoSite::tillNamed(QString::fromLatin1(c.name));
        ASSERT_TRUE(till);
        SaleState state;
        ASSERT_TRUE(loadParameters(state, DemoSite::parameterPacket(QStringLiteral("/tmp/site"), QDateTime::currentDateTime(), *till))
                        .complete());
        EXPECT_EQ(state.params.boUTILIZAIMPFIS, c.printer);
        EXPECT_EQ(state.params.boSISTEMAQUBNFCE, c.nfce);
        EXPECT_EQ(state.params.boSISTEMAQUBSAT, c.sat);
    }
    EXPECT_FALSE(DemoSite::tillNamed(QStringLiteral("paper")));
}

TEST_F(DemoSiteTest, TouchGridAndTaxesAgreeWithTheProducts)
{
    const DataPacket products = load("Dados/Cadastros/Produtos.cds");
    const DataPacket buttons = load("Dados/Cadastros/ConfigProd.cds");
    const DataPacket groups = load("Dados/Cadastros/ConfigGrupo.cds");
    EXPECT_GE(groups.rows.size(), 8);
    EXPECT_LE(groups.rows.size(), 12);
    EXPECT_GE(products.rows.size(), 60);
    EXPECT_LE(products.rows.size(), 120);
    QSet<QString> sold = column(buttons, "CDPRODUTO");
    sold.remove(QString()); // the page buttons sell nothing
    EXPECT_TRUE(column(products, "CDPRODUTO").contains(sold));
    EXPECT_TRUE(column(buttons, "IDTPBUTTON").contains("9")); // one group has a second page
    EXPECT_TRUE(column(products, "IDPESAPROD").contains("S")); // weighed products
    EXPECT_FALSE(column(products, "CDBARPRODUTO").size() <= 1); // bar codes
    for (int row = 0; row < buttons.rows.size(); ++row)
        EXPECT_LE(buttons.value(row, "NRBUTTON").toInt(), 36);

    // Every product's tax has a rate programmed in the printer, or its item would be refused.
    const DataPacket taxes = load("Dados/Cadastros/AliqSistema.cds");
    const DataPacket rates = load("Dados/Cadastros/AliqImpFis.cds");
    QSet<QString> programmed;
    for (int row = 0; row < rates.rows.size(); ++row)
        programmed.insert(rates.value(row, "VRALIQIMPFIS").toString() + "/" + rates.value(row, "IDALIQIMPFIS").toString());
    EXPECT_EQ(taxes.rows.size(), products.rows.size());
    for (int row = 0; row < taxes.rows.size(); ++row)
        EXPECT_TRUE(programmed.contains(taxes.value(row, "VRPEALIMPFIS").toString() + "/"
                                        + taxes.value(row, "IDTPIMPOSFIS").toString()))
            << taxes.value(row, "CDPRODUTO").toString().toStdString();
    for (const DemoMenu::Product &p : DemoMenu::products()) {
        if (!p.barcode.isEmpty()) {
            EXPECT_EQ(p.barcode.right(1).toInt(), DemoMenu::ean13CheckDigit(p.barcode.left(12))) << p.barcode.toStdString();
        }
    }
}

TEST_F(DemoSiteTest, BaseOpensWithTheSchemaAndPricesTheMenu)
{
    setRdmVendaCons(std::make_unique<TrdmVendaCons>());
    QString error;
    ASSERT_TRUE(rdmVendaCons().connect(&error)) << error.toStdString();
    HostDatabase::reset();
    const HostDatabase::Rows products = HostDatabase::query("test", "SELECT COUNT(*) FROM PRODUTO");
    ASSERT_TRUE(products.ok()) << products.error.toStdString();
    // The menu and the promotion combo.
    EXPECT_EQ(products.rows.first().value(0).toInt(), DemoMenu::products().size() + 1);

    const PriceFunction::Quote plate = PriceFunction::quote({"0001", "000001", "01001", "01", "", "1145"}, Now);
    ASSERT_TRUE(plate.ok()) << plate.refusal.toStdString();
    EXPECT_DOUBLE_EQ(plate.vrPreco, 22.90);
    const PriceFunction::Quote agreement = PriceFunction::quote({"0001", "000002", "01001", "01", "", "1145"}, Now);
    EXPECT_DOUBLE_EQ(agreement.vrPreco, 20.61);
    // Wednesday: the feijoada's 10% off.
    const PriceFunction::Quote feijoada = PriceFunction::quote({"0001", "000001", "01003", "01", "", "1145"}, Now);
    EXPECT_DOUBLE_EQ(feijoada.vrPrecoDia, 26.91);
}

TEST_F(DemoSiteTest, TablesAndProductionPrintersAreThere)
{
    setRdmVendaCons(std::make_unique<TrdmVendaCons>());
    QString error;
    ASSERT_TRUE(rdmVendaCons().connect(&error)) << error.toStdString();
    const HostDatabase::Rows tables = HostDatabase::query("test", "SELECT COUNT(*) FROM MESA WHERE CDFILIAL = '0001'");
    ASSERT_TRUE(tables.ok()) << tables.error.toStdString();
    EXPECT_EQ(tables.rows.first().value(0).toInt(), 12);

    const DataPacket ports = load("Dados/Cadastros/ProdLoja.cds");
    QHash<QString, QString> printerOf;
    for (int row = 0; row < ports.rows.size(); ++row)
        printerOf.insert(ports.value(row, "CDPRODUTO").toString(), ports.value(row, "CDPORIMPPROD").toString());
    EXPECT_EQ(printerOf.value("01001"), "COZINHA");
    EXPECT_EQ(printerOf.value("08001"), "BAR");
    EXPECT_FALSE(printerOf.contains("04001")); // the buffet is served at the counter
    EXPECT_EQ(load("PARAMETROSQUB.CDS").value(0, "IDIMPPEDPROD").toString(), "S");
}

// The badge consumers come with their types, two families of which the meals lend to the
// snacks, and a credit history that ends on the balances SALDOCONS holds.
TEST_F(DemoSiteTest, BadgeConsumersHaveBalancesTheirStatementsAddUpTo)
{
    for (const QString &skipped : report.skipped)
        EXPECT_FALSE(skipped.contains("CONS") || skipped.contains("FAM") || skipped.contains("MOVICLIE"))
            << skipped.toStdString();
    setRdmVendaCons(std::make_unique<TrdmVendaCons>());
    QString error;
    ASSERT_TRUE(rdmVendaCons().connect(&error)) << error.toStdString();
    const Variant balances = Srv_Kal51000::getConsSaldFam("0001", "000002", "000101");
    ASSERT_TRUE(balances.isPacket()) << balances.failureText().toStdString();
    ASSERT_EQ(balances.packet().rows.size(), 2);
    EXPECT_EQ(balances.packet().value(0, "CDFAMILISALD").toString(), "LAN");
    EXPECT_DOUBLE_EQ(balances.packet().value(0, "VRSALDCONFAM").toDouble(), 45.5);
    EXPECT_DOUBLE_EQ(balances.packet().value(1, "VRSALDCONFAM").toDouble(), 180.0);
    const Variant consumer = Srv_Kal51000::getCadConsumidor("0001", "000002", "000101", "S", "S");
    ASSERT_TRUE(consumer.isPacket());
    EXPECT_EQ(consumer.packet().value(0, "NMCONSUMIDOR").toString(), QString::fromUtf8("JOSÉ CARLOS OLIVEIRA"));
    EXPECT_FALSE(Srv_Kal51000::getTipoConsLoja("0001", "01", "000002", "000101").packet().isEmpty());

    // Rolling the statements forward from their first line changes no balance.
    const HostDatabase::Rows before = HostDatabase::query("test", "SELECT CDCONSUMIDOR, CDFAMILISALD, VRSALDCONFAM "
                                                                  "FROM SALDOCONS ORDER BY CDCONSUMIDOR, CDFAMILISALD");
    ASSERT_TRUE(before.ok()) << before.error.toStdString();
    for (const char *code : {"000101", "000102", "000103"})
        ASSERT_FALSE(Srv_Kal51000::EvoluiSaldo("000002", code, "0001", QDateTime(Now.date().addDays(-30), QTime())).isFailure());
    const HostDatabase::Rows after = HostDatabase::query("test", "SELECT CDCONSUMIDOR, CDFAMILISALD, VRSALDCONFAM "
                                                                 "FROM SALDOCONS ORDER BY CDCONSUMIDOR, CDFAMILISALD");
    ASSERT_EQ(after.rows.size(), before.rows.size());
    for (int row = 0; row < after.rows.size(); ++row)
        EXPECT_DOUBLE_EQ(after.rows[row][2].toDouble(), before.rows[row][2].toDouble()) << row;

    // A snack bigger than the snack balance borrows the rest from the meals.
    DataPacket snack;
    snack.fields = {FieldDef{"CDFAMILISALD", FieldType::String, 3}, FieldDef{"VRSALDCONFAM", FieldType::Double, 0}};
    snack.rows = {{QStringLiteral("LAN"), 25.0}};
    const Variant loans = Srv_Kal51000::setValidaSaldoCons("0001", "001", "000002", "000102", "N", "N", "", "N",
                                                           Variant(snack), Now);
    ASSERT_TRUE(loans.isPacket()) << loans.failureText().toStdString();
    ASSERT_EQ(loans.packet().rows.size(), 2);
    EXPECT_EQ(loans.packet().value(0, "CDFAMILISALD").toString(), "REF");
    EXPECT_DOUBLE_EQ(loans.packet().value(0, "VRMOVEXTCONS").toDouble(), 13.0);
}

// The host opens the sale of a table or tab once and finds it again for every later order.
TEST_F(DemoSiteTest, ATableOrTabSaleIsOpenedOnceAndFoundAfterwards)
{
    setRdmVendaCons(std::make_unique<TrdmVendaCons>());
    QString error;
    ASSERT_TRUE(rdmVendaCons().connect(&error)) << error.toStdString();
    auto open = [](const char *mode, const char *number) {
        return TableSales::findOrOpen({"0001", "01", "000001", mode, number}, Now);
    };
    const TableSales::OpenSale table = open("M", "7");
    ASSERT_TRUE(table.ok()) << table.error.toStdString();
    EXPECT_TRUE(table.opened);
    EXPECT_EQ(table.NRMESA, "0007");
    EXPECT_EQ(table.DSCOMANDA, "PKR_0007"); // the label the screen finds a table's tabs by
    EXPECT_FALSE(table.NRVENDAREST.isEmpty());
    EXPECT_FALSE(table.NRCOMANDA.isEmpty());

    const TableSales::OpenSale again = open("M", "0007");
    EXPECT_FALSE(again.opened);
    EXPECT_EQ(again.NRVENDAREST, table.NRVENDAREST);
    EXPECT_EQ(again.NRCOMANDA, table.NRCOMANDA);

    // A tab and a delivery of the same number are other sales, each found again.
    const TableSales::OpenSale tab = open("C", "7");
    const TableSales::OpenSale delivery = open("D", "7");
    ASSERT_TRUE(tab.ok() && delivery.ok());
    EXPECT_EQ(tab.DSCOMANDA, "7");
    EXPECT_EQ(delivery.DSCOMANDA, "DLV_7");
    EXPECT_EQ(QSet<QString>({table.NRVENDAREST, tab.NRVENDAREST, delivery.NRVENDAREST}).size(), 3);
    EXPECT_EQ(open("C", "7").NRVENDAREST, tab.NRVENDAREST);
    EXPECT_EQ(open("D", "7").NRVENDAREST, delivery.NRVENDAREST);

    // Once the table's sale is closed, the next order opens a new one.
    ASSERT_TRUE(HostDatabase::query("test", "UPDATE VENDAREST SET DTHRFECHMESA = :P_D WHERE NRVENDAREST = :P_N",
                                    {{"P_D", Now}, {"P_N", table.NRVENDAREST}}).ok());
    const TableSales::OpenSale next = open("M", "7");
    EXPECT_TRUE(next.opened);
    EXPECT_NE(next.NRVENDAREST, table.NRVENDAREST);

    const HostDatabase::Rows opened = HostDatabase::query(
        "test", "SELECT NRMESA, CDCLIENTE, DTHRABERMESA FROM VENDAREST WHERE NRVENDAREST = :P_N",
        {{"P_N", next.NRVENDAREST}});
    ASSERT_EQ(opened.rows.size(), 1);
    EXPECT_EQ(opened.rows.first().value(0).toString(), "0007");
    EXPECT_EQ(opened.rows.first().value(1).toString(), "000001");
    EXPECT_EQ(HostDatabase::dateTimeOf(opened.rows.first().value(2)), Now);
}

TEST_F(DemoSiteTest, ASaleThatCannotBeOpenedSaysWhy)
{
    setRdmVendaCons(std::make_unique<TrdmVendaCons>());
    QString error;
    ASSERT_TRUE(rdmVendaCons().connect(&error)) << error.toStdString();
    EXPECT_FALSE(TableSales::findOrOpen({"0001", "01", "000001", "M", " "}, Now).ok());
    // A stray tab row under the numbers the next sale will draw: its tab cannot be written.
    ASSERT_TRUE(HostDatabase::query("test", "INSERT INTO COMANDAVEN (CDFILIAL, NRVENDAREST, NRCOMANDA) "
                                            "VALUES ('0001', '1', '1')").ok());
    const TableSales::OpenSale broken = TableSales::findOrOpen({"0001", "01", "000001", "M", "5"}, Now);
    EXPECT_FALSE(broken.ok());
    EXPECT_TRUE(broken.NRVENDAREST.isEmpty());
    // Nothing half-opened: no sale row without its tab.
    EXPECT_EQ(HostDatabase::query("test", "SELECT COUNT(*) FROM VENDAREST").rows.first().value(0).toInt(), 0);
}

TEST_F(DemoSiteTest, AnExistingSiteIsNeverOverwritten)
{
    const QDateTime written = QFileInfo(QDir(folder).filePath("PARAMETROSQUB.CDS")).lastModified();
    const DemoSite::Report again = DemoSite::write(folder, Now);
    EXPECT_FALSE(again.ok());
    EXPECT_TRUE(again.files.isEmpty());
    EXPECT_EQ(QFileInfo(QDir(folder).filePath("PARAMETROSQUB.CDS")).lastModified(), written);
}

} // namespace
