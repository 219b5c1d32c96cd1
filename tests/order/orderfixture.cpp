#include "orderfixture.h"

#include <order/orderentry.h>
#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <screen/tfrmvendacons.h>

#include <runtime/clientdataset.h>
#include <runtime/messages.h>

#include <QLabel>

void OrderTest::SetUp()
{
    SaleFormTest::SetUp();
    if (HasFatalFailure())
        return;
    host->setDefault(&Pkg_Hrk00002::getProdCodCestNcm, FiscalCodeAnswer{QStringLiteral("22029900"), {}, {}});
    host->setDefault(&Pkg_Hrk00001::LimpaDisplay, HostResult::done());
    host->setDefault(&Pkg_Hrk00001::DisplayEnviaTexto, HostResult::done());

    ServerSeams table = ServerSeams::current();
    table.lookupsProducts.getVerificaImpVariavel = [this](const QString &code) {
        serverCalls << QStringLiteral("getVerificaImpVariavel ") + code;
        return Variant(printLocation);
    };
    table.lookupsProducts.getCdGruPromoc = [this](const QString &, const QString &product, const QString &promotion) {
        serverCalls << QStringLiteral("getCdGruPromoc %1 %2").arg(product, promotion);
        return Variant(QStringLiteral("G1"));
    };
    table.tabs.getOcorPed = [](const QString &, const QString &, const QString &) {
        return Variant(DataPacket{});
    };
    table.lookupsProducts.getTipoSaldoProd = [this](const QString &, const QString &, const QString &) {
        return Variant(balanceRule);
    };
    table.lookupsTills.getDsOcorr = [](const QString &, const QString &CDOCORR) { return QStringLiteral("OBS ") + CDOCORR; };
    table.consumers.getProdBasVenDia = [this](const QString &, const QString &, const QString &, const QString &) {
        return basicSoldToday;
    };
    server = std::make_unique<ScopedTable<ServerSeams>>(table);
    ServerSeams access = ServerSeams::current();
    access.lookupsTills.getCartaoCHART = [] { return Variant(false); };
    accessServer = std::make_unique<ScopedTable<ServerSeams>>(std::move(access));

    SaleState &s = state();
    s.host.stModoVenda = QStringLiteral("B");
    s.editParams().stCDFILIAL = QStringLiteral("0001");
    s.editParams().stCDLOJA = QStringLiteral("01");
    s.editParams().stCDCAIXA = QStringLiteral("003");
    s.editParams().stIdTpTelaVe = QStringLiteral("1");
    s.rights.stCDOPERADOR = QStringLiteral("000000000007");
    s.rights.stNMOPERADOR = QStringLiteral("MARIA");
    data().cdsItems.CreateDataSet();
    data().cdsItensCancelados.CreateDataSet();
}

void OrderTest::TearDown()
{
    SaleFormTest::form.reset();
    accessServer.reset();
    server.reset();
    SaleFormTest::TearDown();
}

OrderEntry &OrderTest::order()
{
    return form().context().order();
}

QString OrderTest::Msg(const QString &key)
{
    return form().context().Msg(key);
}

QString OrderTest::caption(const char *name)
{
    const QLabel *label = form().findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QStringLiteral("<no label>");
}

PreenchePedidoArgs OrderTest::item(const QString &code, const QString &name, const QString &price,
                                   const QString &quantity)
{
    PreenchePedidoArgs args;
    args.CDPRODUTO = code;
    args.CDPRODPROMOCAO = code;
    args.CDARVPROD = QStringLiteral("A") + code;
    args.NMPRODUTO = name;
    args.VRPRECO = price;
    args.VRDESCONTO = QStringLiteral("0");
    args.VRACRESCIMO = QStringLiteral("0");
    args.IDPESAPROD = QStringLiteral("N");
    args.VRPRECOCLIE = QStringLiteral("0");
    args.QTPRODCOMVEN = quantity;
    args.SGUNIDADE = QStringLiteral("UN");
    return args;
}

bool OrderTest::sell(const PreenchePedidoArgs &item)
{
    // The tax validation refuses a product without its one tax row: unless the test gave the
    // rows itself, every product sold has one.
    if (!m_taxRowsGiven)
        ensureTaxRow(item.CDPRODUTO);
    bool result = false;
    form().dispatch([&] { result = order().PreenchePedido(item); });
    return result;
}

void OrderTest::useFiscalPrinter(int model)
{
    state().editParams().boUTILIZAIMPFIS = true;
    state().editParams().inIDTIPOIMPFIS = model;
}

void OrderTest::taxRows(const QList<QStringList> &rows)
{
    m_taxRowsGiven = true;
    ClientDataSet &rates = data().cdsAliquota;
    rates.Close();
    rates.CreateDataSet();
    appendTaxRows(rows);
}

void OrderTest::ensureTaxRow(const QString &code)
{
    ClientDataSet &rates = data().cdsAliquota;
    if (!rates.Active())
        rates.CreateDataSet();
    if (!rates.Locate(QStringLiteral("CDPRODUTO"), code))
        appendTaxRows({{code, QStringLiteral("01"), QStringLiteral("18")}});
}

void OrderTest::appendTaxRows(const QList<QStringList> &rows)
{
    ClientDataSet &rates = data().cdsAliquota;
    for (const QStringList &row : rows) {
        rates.Append();
        rates.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(row.at(0));
        rates.FieldByName(QStringLiteral("CDIMPOSTO")).SetAsString(row.at(1));
        rates.FieldByName(QStringLiteral("VRPEALIMPFIS")).SetAsString(row.at(2));
        rates.FieldByName(QStringLiteral("NMIMPOSTO")).SetAsString(QStringLiteral("ICMS ") + row.at(2));
        rates.FieldByName(QStringLiteral("SGIMPOSTO")).SetAsString(QStringLiteral("T") + row.at(1));
        rates.FieldByName(QStringLiteral("IDTPIMPOSFIS")).SetAsString(QStringLiteral("T"));
        rates.Post();
    }
}

void OrderTest::cancelLine(const QString &NRSEQ)
{
    ClientDataSet &items = data().cdsItems;
    ClientDataSet &cancelled = data().cdsItensCancelados;
    ASSERT_TRUE(items.Locate(QStringLiteral("NRSEQ"), NRSEQ));
    cancelled.Append();
    for (int i = 0; i < cancelled.FieldCount(); ++i) {
        const QString name = cancelled.Fields(i).FieldName();
        if (items.HasField(name) && !items.FieldByName(name).Value().isBlank())
            cancelled.Fields(i).SetValue(items.FieldByName(name).Value());
    }
    cancelled.Post();
    items.Delete();
}

QStringList OrderTest::column(const ClientDataSet &dataset, const char *field)
{
    QStringList values;
    const DataPacket packet = dataset.Data();
    for (int row = 0; row < packet.rows.size(); ++row)
        values << packet.value(row, QString::fromLatin1(field)).toString();
    return values;
}
