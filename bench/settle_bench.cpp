// Settling a 10-item counter sale on a demo site with the stand-in host's own services: the
// payment screen paying in cash (a queued keypad answer, no person at the screen), the
// document of the desk, the host's sale save writing VENDA, ITEMVENDA and MOVCAIXA into the
// SQLite base, and the end of the settlement. Time is the settle button's cost per sale.
//
// One run per kind of desk:
//   no_document     a counter desk without a fiscal document (a non-fiscal number and the
//                   pager from the base); the lines are put straight on the receipt
//   fiscal_printer  the demo desk: the simulated fiscal printer closes the coupon with its
//                   payments and total
//   nfce, sat       the simulated NFC-e authority or SAT issues the document and the receipt
//                   is printed
// On the three fiscal desks the lines are typed as a cashier types them (so the printer's
// coupon is opened and its items sold), outside the timing.
//
//   ./build/bin/settle_bench
#include <host/site/demomenu.h>
#include <host/site/demosite.h>
#include <host/devices/fiscalprinter.h>
#include <host/site/hostdatabase.h>
#include <host/program/hostpackages.h>
#include <host/program/scriptedanswers.h>

#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <screen/tfrmvendacons.h>
#include <screen/vendacons.h>
#include <server/trdmvendacons.h>
#include <settlement/settlement.h>

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <optional>

namespace {

constexpr int itemsPerSale = 10;

// The ten cheapest products sold by the unit (a weighed one would ask the scale): the sale
// stays below the total above which an electronic document must name its buyer.
QList<DemoMenu::Product> saleProducts()
{
    QList<DemoMenu::Product> chosen;
    for (const DemoMenu::Product &product : DemoMenu::products()) {
        if (!product.weighed)
            chosen.append(product);
    }
    std::stable_sort(chosen.begin(), chosen.end(),
                     [](const DemoMenu::Product &a, const DemoMenu::Product &b) { return a.price < b.price; });
    return chosen.mid(0, itemsPerSale);
}

// The lines written straight into the receipt, as the desk without a document allows.
void putLines(TfrmVendaCons &form)
{
    SaleDatasets &data = form.context().data();
    ClientDataSet &items = data.cdsItems;
    items.Close();
    items.CreateDataSet();
    double total = 0;
    int n = 0;
    for (const DemoMenu::Product &product : saleProducts()) {
        items.Append();
        items.FieldByName("NRSEQ").SetAsString(QStringLiteral("%1").arg(++n, 3, 10, QLatin1Char('0')));
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

// The lines typed on the form, each code and Enter, as a cashier rings them up.
void typeLines(TfrmVendaCons &form)
{
    for (const DemoMenu::Product &product : saleProducts()) {
        for (QChar c : product.code) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(&form, &key);
        }
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(&form, &enter);
    }
}

// A counter desk without the fiscal printer, NFC-e or SAT, so each sale takes a non-fiscal number.
void withoutDocument(TfrmVendaCons &form)
{
    Parameters &p = form.context().state().editParams();
    p.boUTILIZAIMPFIS = false;
    p.boSISTEMAQUBNFCE = false;
    p.boSISTEMAQUBSAT = false;
    p.stIDUTLINTFACELE = QStringLiteral("N");
    p.stIDINFVENBAL = QStringLiteral("N");
    p.stIDSENHACUP = QStringLiteral("S");
    form.context().state().rights.stCdVendedorOperador = QStringLiteral("0001"); // a waiter of the demo copy
}

void settleSales(benchmark::State &bench, TfrmVendaCons &form, bool document)
{
    if (!document)
        withoutDocument(form);
    QAbstractButton *button = form.findChild<QAbstractButton *>(QString(FormName::spbReceb));
    if (!button) {
        bench.SkipWithError("no settle button");
        return;
    }
    const bool printer = document && form.context().state().params.boUTILIZAIMPFIS;
    int sold = 0;
    int leftOpen = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        // Each sale starts on a printer without an open coupon. One the last sold sale left
        // open (the coupon was never closed with its payments) is cancelled here, outside the
        // timing, and counted: "left_open" above 0 means the settlement did not close it.
        if (printer && FiscalPrinter::forSite().receiptOpen()) {
            ++leftOpen;
            FiscalPrinter::forSite().Cancela_Cupom_Imp(CouponCancelRequest{});
        }
        if (document)
            typeLines(form);
        else
            putLines(form);
        const int lines = form.context().data().cdsItems.RecordCount();
        form.context().state().flags.boRecebendo = false;
        ScriptedAnswers::push(ScriptedAnswers::Kind::Keypad, {false, QStringLiteral("1000,00")});
        button->setEnabled(true);
        bench.ResumeTiming();
        if (lines != itemsPerSale) {
            const std::string text = "sale " + std::to_string(sold + 1) + " registered " + std::to_string(lines)
                                     + " of its " + std::to_string(itemsPerSale) + " lines";
            bench.SkipWithError(text.c_str());
            break;
        }
        button->click();
        // A sold sale ends with the screen reset; a press the desk refused before the road
        // began leaves the lines (and the last road's end) as they were.
        const Settlement &settlement = form.context().settlement();
        if (!settlement.lastRoadSold() || form.context().data().cdsItems.RecordCount() != 0) {
            const QString reason = settlement.lastRoadReason();
            const std::string text = "sale " + std::to_string(sold + 1) + " was not sold"
                                     + (reason.isEmpty() ? std::string() : ": " + reason.toStdString());
            bench.SkipWithError(text.c_str());
            break;
        }
        ++sold;
    }
    bench.counters["sold"] = sold;
    if (printer && FiscalPrinter::forSite().receiptOpen())
        ++leftOpen;
    if (printer)
        bench.counters["left_open"] = leftOpen;
}

void SettleCounterSale(benchmark::State &bench, std::optional<DemoSite::Till> till)
{
    QTemporaryDir site;
    const DemoSite::Report report = DemoSite::write(site.path(), Clock::now(), till.value_or(DemoSite::Till::FiscalPrinter));
    if (!report.ok()) {
        bench.SkipWithError(report.error.toStdString().c_str());
        return;
    }
    HostPackages::install();
    HostPackages::installUnattendedMessages();
    ScriptedAnswers::setUnattended(true);
    bool ran = false;
    VendaConsEntry::setModalRunner([&bench, &ran, &till](TfrmVendaCons &form) {
        ran = true;
        settleSales(bench, form, till.has_value());
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

BENCHMARK_CAPTURE(SettleCounterSale, no_document, std::nullopt)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SettleCounterSale, fiscal_printer, DemoSite::Till::FiscalPrinter)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SettleCounterSale, nfce, DemoSite::Till::Nfce)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SettleCounterSale, sat, DemoSite::Till::Sat)->Unit(benchmark::kMillisecond);

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
