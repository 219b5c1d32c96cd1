// Registering one line of a counter sale that already holds 0, 99 or 499 lines: the checks,
// AddProduto, the recovery file of a sale with a fiscal printer and the receipt rebuilt from
// every line (AtualizaExtrato), with the grid's repaint let through. Times in microseconds per
// registered line.
//
//   ./build/bin/registration_bench
#include <order/orderentry.h>
#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>
#include <screen/tfrmvendacons.h>

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <runtime/clientdataset.h>
#include <runtime/sitepaths.h>

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

PreenchePedidoArgs product(int n)
{
    PreenchePedidoArgs args;
    args.CDPRODUTO = QString::number(1000 + n % 50);
    args.CDPRODPROMOCAO = args.CDPRODUTO;
    args.CDARVPROD = QStringLiteral("01.02.") + args.CDPRODUTO;
    args.NMPRODUTO = QStringLiteral("PRODUTO DO CARDÁPIO %1").arg(n % 50);
    args.VRPRECO = QStringLiteral("12,90");
    args.VRDESCONTO = QStringLiteral("0");
    args.VRACRESCIMO = QStringLiteral("0");
    args.IDPESAPROD = QStringLiteral("N");
    args.VRPRECOCLIE = QStringLiteral("0");
    args.QTPRODCOMVEN = QStringLiteral("1");
    args.SGUNIDADE = QStringLiteral("UN");
    return args;
}

ServerSeams quietServer()
{
    ServerSeams table = ServerSeams::current();
    table.lookupsProducts.getVerificaImpVariavel = [](const QString &) { return Variant(QStringLiteral("N")); };
    table.tabs.getOcorPed = [](const QString &, const QString &, const QString &) { return Variant(DataPacket{}); };
    return table;
}

Pkg_Hrk00002 quietHost()
{
    Pkg_Hrk00002 services;
    services.getProdCodCestNcm = [](const FiscalCodeRequest &) {
        return FiscalCodeAnswer{QStringLiteral("21069090"), QStringLiteral("17.049.00"), {}};
    };
    return services;
}

// Every product of the menu has its one tax row, as the tax validation requires.
void taxRows(ClientDataSet &rates)
{
    rates.Close();
    rates.CreateDataSet();
    for (int n = 0; n < 50; ++n) {
        rates.Append();
        rates.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(QString::number(1000 + n));
        rates.FieldByName(QStringLiteral("VRPEALIMPFIS")).SetAsString(QStringLiteral("18"));
        rates.FieldByName(QStringLiteral("IDTPIMPOSFIS")).SetAsString(QStringLiteral("T"));
        rates.Post();
    }
}

ServerSeams noCardCharge()
{
    ServerSeams table = ServerSeams::current();
    table.lookupsTills.getCartaoCHART = [] { return Variant(false); };
    return table;
}

// The `state.range(0)`th line of one sale.
void RegisterLine(benchmark::State &state)
{
    const int line = int(state.range(0));
    QTemporaryDir site;
    SitePaths::setHome(site.path());
    ScopedTable<ServerSeams> server(quietServer());
    ScopedHostServices host(quietHost());
    ScopedTable<ServerSeams> access(noCardCharge());
    TfrmVendaCons form;
    taxRows(form.datasets().cdsAliquota);
    SaleState &sale = form.state();
    sale.host.stModoVenda = QStringLiteral("B");
    sale.editParams().stCDFILIAL = QStringLiteral("0001");
    sale.editParams().stCDLOJA = QStringLiteral("01");
    sale.editParams().boUTILIZAIMPFIS = true;
    sale.editParams().inIDTIPOIMPFIS = 16;
    ClientDataSet &items = form.datasets().cdsItems;
    items.CreateDataSet();
    OrderEntry &order = form.context().order();
    for (int n = 1; n < line; ++n)
        order.PreenchePedido(product(n));
    QApplication::processEvents();

    for (auto _ : state) {
        order.PreenchePedido(product(line));
        QApplication::processEvents();
        state.PauseTiming();
        items.Last();
        items.Delete();
        sale.road.stNRSEQ = QStringLiteral("%1").arg(line - 1, 3, 10, QLatin1Char('0'));
        if (line == 1)
            sale.road.stNRSEQ.clear();
        state.ResumeTiming();
    }
    SitePaths::setHome(QString());
}

} // namespace

BENCHMARK(RegisterLine)->Arg(1)->Arg(100)->Arg(500)->Unit(benchmark::kMicrosecond)->Iterations(30);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
