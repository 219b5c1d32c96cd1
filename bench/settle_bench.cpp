// Settling a 10-item counter sale on the demo site with the stand-in host's own services: the
// payment screen paying in cash (a queued keypad answer, no person at the screen), the
// non-fiscal number and the pager from the SQLite base, the host's sale save writing VENDA,
// ITEMVENDA and MOVCAIXA, and the end of the settlement. The lines are put on the receipt
// outside the timing, so the figure is the settle button's cost per sale.
//
//   ./build/bin/settle_bench
#include <host/demomenu.h>
#include <host/demosite.h>
#include <host/hostdatabase.h>
#include <host/hostpackages.h>
#include <host/scriptedanswers.h>

#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <screen/tfrmvendacons.h>
#include <screen/vendacons.h>
#include <server/trdmvendacons.h>
#include <settlement/settlement.h>

#include <QAbstractButton>
#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int itemsPerSale = 10;

void putLines(TfrmVendaCons &form)
{
    SaleDatasets &data = form.context().data();
    ClientDataSet &items = data.cdsItems;
    if (!items.Active())
        items.CreateDataSet();
    double total = 0;
    const QList<DemoMenu::Product> &menu = DemoMenu::products();
    for (int n = 0; n < itemsPerSale; ++n) {
        const DemoMenu::Product &product = menu.at(n);
        items.Append();
        items.FieldByName("NRSEQ").SetAsString(QStringLiteral("%1").arg(n + 1, 3, 10, QLatin1Char('0')));
        items.FieldByName("CDPRODUTO").SetAsString(product.code);
        items.FieldByName("NMPRODUTO").SetAsString(product.name);
        items.FieldByName("QTPRODCOMVEN").SetAsString(QStringLiteral("1"));
        items.FieldByName("VRPRECCOMVEN").SetAsFloat(product.price);
        items.FieldByName("VRUNITVENDCL").SetAsFloat(product.price);
        items.FieldByName("DTINCLUSAO").SetAsDateTime(Clock::now());
        items.Post();
        total += product.price;
    }
    form.context().state().totals.doTotalVenda = total;
}

// A counter till without the fiscal printer, so each sale takes a non-fiscal number.
void counterWithoutPrinter(TfrmVendaCons &form)
{
    Parameters &p = form.context().state().params;
    p.boUTILIZAIMPFIS = false;
    p.boSISTEMAQUBNFCE = false;
    p.boSISTEMAQUBSAT = false;
    p.stIDUTLINTFACELE = QStringLiteral("N");
    p.stIDINFVENBAL = QStringLiteral("N");
    p.stIDSENHACUP = QStringLiteral("S");
    form.context().state().rights.stCdVendedorOperador = QStringLiteral("0001"); // a waiter of the demo copy
}

void settleSales(benchmark::State &bench, TfrmVendaCons &form)
{
    counterWithoutPrinter(form);
    QAbstractButton *button = form.findChild<QAbstractButton *>(QStringLiteral("spbReceb"));
    if (!button) {
        bench.SkipWithError("no settle button");
        return;
    }
    int sold = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        form.context().data().cdsItems.Close();
        putLines(form);
        form.context().state().flags.boRecebendo = false;
        ScriptedAnswers::push(ScriptedAnswers::Kind::Keypad, {false, QStringLiteral("1000,00")});
        button->setEnabled(true);
        bench.ResumeTiming();
        button->click();
        if (form.context().settlement().lastRoadEnd().kind == Settlement::RoadEnd::Kind::Sold)
            ++sold;
    }
    bench.counters["sold"] = sold;
    if (sold != bench.iterations())
        bench.SkipWithError("a settlement did not end in a sold sale");
}

void BM_SettleCounterSale(benchmark::State &bench)
{
    QTemporaryDir site;
    const DemoSite::Report report = DemoSite::write(site.path(), Clock::now());
    if (!report.ok()) {
        bench.SkipWithError(report.error.toStdString().c_str());
        return;
    }
    HostPackages::install();
    HostPackages::installUnattendedMessages();
    ScriptedAnswers::setUnattended(true);
    bool ran = false;
    VendaConsEntry::setModalRunner([&bench, &ran](TfrmVendaCons &form) {
        ran = true;
        settleSales(bench, form);
    });
    QList<Variant> params;
    for (int i = 0; i < 10; ++i)
        params.append(Variant(QString()));
    params[6] = Variant(QStringLiteral("B"));
    params[8] = Variant(false);
    Variant ret = Variant::array(1);
    VendaCons(params, ret);
    if (!ran)
        bench.SkipWithError(("the sale screen did not start: " + ret.at(0).toString()).toStdString().c_str());
    VendaConsEntry::setModalRunner({});
    VendaConsEntry::reset();
    HostDatabase::reset();
    setRdmVendaCons(nullptr);
}

BENCHMARK(BM_SettleCounterSale)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
