// A table whose open tabs hold 300 ordered items: from the form's activation to the history of
// those orders shown on the receipt ("PEDIDOS REALIZADOS", five lines an item, the totals),
// with the grid's repaint let through. Times in milliseconds.
//
//   ./build/bin/history_bench
#include <order/orderentry.h>
#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>
#include <screen/screenshell.h>
#include <screen/tfrmvendacons.h>

#include <outside/pkg_hrk00002.h>
#include <runtime/clientdataset.h>
#include <runtime/datapacket.h>
#include <runtime/sitepaths.h>

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

DataPacket packet(const QList<FieldDef> &fields, const QList<QList<Variant>> &rows)
{
    DataPacket p;
    p.fields = fields;
    p.rows = rows;
    return p;
}

// Two tabs of table 0012, and `count` items shared between them.
ServerSeams tableOf(int count)
{
    ServerSeams seams = ServerSeams::current();
    const QList<FieldDef> tabFields{{"NRVENDAREST", FieldType::String, 10}, {"NRCOMANDA", FieldType::String, 10},
                                    {"DSCOMANDA", FieldType::String, 30}, {"NRPESMESAVEN", FieldType::Integer},
                                    {"NRPOSICAOMESA", FieldType::Integer}, {"VRACRCOMANDA", FieldType::Double}};
    const DataPacket tabs = packet(tabFields, {{"500", "3", "PKR_3", 2, 4, 0.0}, {"500", "7", "PKR_7", 1, 2, 0.0}});
    QList<QList<Variant>> rows;
    for (int n = 0; n < count; ++n)
        rows.append({QString::number(n + 1), 1.0 + n % 3, 12.90 + n % 7, 0.0, 0.0, QStringLiteral("01.%1").arg(n % 50),
                     QStringLiteral("PRATO DO CARDÁPIO %1").arg(n % 50), QString::number(1000 + n % 50),
                     QDateTime(QDate(2026, 4, 10), QTime(19, n % 60)), QStringLiteral("%1").arg(1 + n % 4),
                     QString(), QStringLiteral("sem cebola")});
    const DataPacket items = packet({{"NRPRODCOMVEN", FieldType::String, 10}, {"QTPRODCOMVEN", FieldType::Double},
                                     {"VRPRECCOMVEN", FieldType::Double}, {"VRPRECCLCOMVEN", FieldType::Double},
                                     {"VRDESCCOMVEN", FieldType::Double}, {"CDARVPROD", FieldType::String, 20},
                                     {"NMPRODUTO", FieldType::String, 50}, {"CDPRODUTO", FieldType::String, 10},
                                     {"DTHRINCOMVEN", FieldType::DateTime}, {"NRLUGARMESA", FieldType::String, 10},
                                     {"NRMESADSCOMORIT", FieldType::String, 10}, {"TXPRODCOMVEN", FieldType::String, 200}},
                                    rows);
    seams.tabs.getBuscaComandas = [tabs](const QString &, const QString &, const QString &, const QString &) {
        return Variant(tabs);
    };
    seams.tabs.getAcrescimo = [](const QString &, const QString &, const QString &) {
        return Variant(packet({{"VRACRCOMANDA", FieldType::Double}}, {{2.5}}));
    };
    seams.tabs.getBuscaItComanda = [items](const QString &, const QString &) { return Variant(items); };
    return seams;
}

void HistoryShown(benchmark::State &state)
{
    QTemporaryDir site;
    SitePaths::setHome(site.path());
    ScopedTable<ServerSeams> server(tableOf(int(state.range(0))));
    TfrmVendaCons form;
    SaleState &sale = form.state();
    sale.host.stModoVenda = QStringLiteral("M");
    sale.host.stNRMESA = QStringLiteral("0012");
    sale.editParams().stCDFILIAL = QStringLiteral("0001");
    sale.editParams().stCDLOJA = QStringLiteral("01");
    OrderEntry &order = form.context().order();
    for (auto _ : state) {
        order.PreencheHistorico(sale.host.stNRMESA);
        QApplication::processEvents();
    }
    SitePaths::setHome(QString());
}

} // namespace

BENCHMARK(HistoryShown)->Arg(300)->Unit(benchmark::kMillisecond)->Iterations(20);

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
