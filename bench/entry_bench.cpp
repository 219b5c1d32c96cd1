// Typed code to registered line on a till whose product copy holds 20,000 products: the key
// presses go through the sale form's dispatch and the keyboard map into the product pipeline
// (code resolution, price call, quantity and seat rules) and the sale's own registration
// (PreenchePedido: its checks, the line in cdsItems, the receipt list). The server's shortcut
// and bar-code answers and the host's price function are in-memory stand-ins, so the figure is
// the screen's own cost per entry.
//
// BarCode, ShortcutCode and PlainCode each ring up whole sales of 500 lines, one per
// iteration, and time every entry on its own: "Time" is one 500-line sale, "p50" and "p99"
// are the median entry and the entry that 99 in 100 beat (microseconds), over every line of
// every sale of the run, so the long end of a big sale shows; "last/first" is the mean entry of
// the sale's last 50 lines over that of its first 50 (near 1 when a line's cost does not grow
// with the lines before it: each line adds one record to the recovery file's journal), and
// "l500/l1" the 500th line over the first (which starts the file, so costs more). "BarCodePipelineOnly" hands the
// line to a recorder instead, so the two figures part the product entry's cost from the
// registration's.
//
// The recovery files go to the site folder: run it with VENDACONS_HOME on a scratch folder.
//
//   VENDACONS_HOME=$(mktemp -d) ./build/bin/entry_bench
#include <order/productentry.h>
#include <order/orderentry.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>
#include <screen/tfrmvendacons.h>

#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/datapacket.h>
#include <runtime/ptbr.h>
#include <server/trdmvendacons.h>

#include <QApplication>
#include <QHash>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <memory>
#include <numeric>
#include <vector>

namespace {

constexpr int Products = 20000;

QString productCode(int n) { return QStringLiteral("%1").arg(n, 8, 10, QLatin1Char('0')); }
QString barCode(int n) { return QStringLiteral("789%1").arg(n, 10, 10, QLatin1Char('0')); }
QString shortcutCode(int n) { return QStringLiteral("9%1").arg(n, 5, 10, QLatin1Char('0')); }

DataPacket productCopy()
{
    DataPacket packet;
    for (const char *name : {"CDPRODUTO", "NMPRODUTO", "CDARVPROD", "CDBARPRODUTO", "CDPRODINTE",
                             "CDPROTECLADO", "IDPESAPROD", "SGUNIDADE", "QTTARAPROD", "CDFAMILISALD"})
        packet.fields.append(FieldDef{QString::fromLatin1(name), FieldType::String, 40});
    for (int n = 0; n < Products; ++n)
        packet.rows.append({productCode(n), QStringLiteral("PRODUTO DE TESTE %1").arg(n),
                            QStringLiteral("1.%1").arg(n), barCode(n), QString(), QString(),
                            QStringLiteral("N"), QStringLiteral("UN"), QStringLiteral("0"), QString()});
    return packet;
}

// The registration's tax validation wants each product's one tax row.
void taxRows(ClientDataSet &rates)
{
    rates.Close();
    rates.CreateDataSet();
    for (int n = 0; n < Products; ++n) {
        rates.Append();
        rates.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(productCode(n));
        rates.FieldByName(QStringLiteral("VRPEALIMPFIS")).SetAsString(QStringLiteral("18"));
        rates.FieldByName(QStringLiteral("IDTPIMPOSFIS")).SetAsString(QStringLiteral("T"));
        rates.Post();
    }
}

// One till for the whole run: the form, the stand-ins and the product copy.
class Till
{
public:
    Till()
    {
        Ravuvozozod::services().showMessage = [](const Ravuvozozod::MessageRequest &) { return false; };
        ServerSeams server = ServerSeams::current();
        server.lookupsProducts.getCodigoAtalho = [](const QString &, const QString &, const QString &code) {
            return code.startsWith(QLatin1Char('9')) && code.size() == 6
                       ? Variant(productCode(code.mid(1).toInt())) : Variant(QString());
        };
        server.lookupsProducts.getCodigoBarra = [](const QString &) { return Variant(QString()); };
        server.loyalty.getCampCompGanhe = [](const QString &) { return Variant(DataPacket{}); };
        ServerSeams::current() = server;
        // The registration's own lookups answer from memory too: nothing on this till asks
        // for a print location, a promotion group, options or a balance kind.
        ServerSeams order = ServerSeams::current();
        order.lookupsProducts.getVerificaImpVariavel = [](const QString &) { return Variant(QStringLiteral("N")); };
        order.lookupsProducts.getCdGruPromoc = [](const QString &, const QString &, const QString &) { return Variant(QString()); };
        order.tabs.getOcorPed = [](const QString &, const QString &, const QString &) { return Variant(DataPacket{}); };
        order.lookupsProducts.getTipoSaldoProd = [](const QString &, const QString &, const QString &) { return Variant(DataPacket{}); };
        order.lookupsTills.getDsOcorr = [](const QString &, const QString &) { return QString(); };
        order.consumers.getProdBasVenDia = [](const QString &, const QString &, const QString &, const QString &) {
            return Variant(0);
        };
        ServerSeams::current() = order;
        Pkg_Hrk00002 services;
        services.ChamaFuncaoGetRetornaPreco = [](const PriceRequest &, ClientDataSet &cds) {
            if (!cds.Active())
                cds.CreateDataSet();
            cds.EmptyDataSet();
            cds.Append();
            cds.FieldByName(QStringLiteral("VRPRECO")).SetAsFloat(7.5);
            cds.FieldByName(QStringLiteral("IDPRECVARIA")).SetAsString(QStringLiteral("N"));
            cds.Post();
            return PriceAnswer{true, QString(), Variant()};
        };
        services.getProdCodCestNcm = [](const FiscalCodeRequest &) {
            return FiscalCodeAnswer{QStringLiteral("19022000"), QStringLiteral("1700100"), {}};
        };
        m_services = std::make_unique<ScopedHostServices>(services);
        ServerSeams access = ServerSeams::current();
        access.lookupsTills.getCartaoCHART = [] { return Variant(false); };
        m_access = std::make_unique<ScopedTable<ServerSeams>>(access);
        form = std::make_unique<TfrmVendaCons>();
        SaleState &state = form->state();
        state.editParams().stCDFILIAL = QStringLiteral("0001");
        state.editParams().stCDLOJA = QStringLiteral("01");
        state.host.stModoVenda = QStringLiteral("B");
        form->datasets().cdsProdutos.SetData(productCopy());
        taxRows(form->datasets().cdsAliquota);
        form->datasets().cdsItems.CreateDataSet();
    }

    void enter(const QString &code)
    {
        for (QChar c : code) {
            QKeyEvent key(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QApplication::sendEvent(form.get(), &key);
        }
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(form.get(), &enter);
    }

    int lines() const { return form->datasets().cdsItems.RecordCount(); }
    // A fresh sale, as the till starts one after the last was settled.
    void newSale()
    {
        form->datasets().cdsItems.EmptyDataSet();
        form->state().road.stNRSEQ.clear();
    }

    // The sale's own registration (PreenchePedido), or a recorder in its place.
    void useRegistration(bool real)
    {
        recorded = 0;
        if (real) {
            preenchePedidoHook() = [](SaleContext &c, const PreenchePedidoArgs &args) {
                return c.order().PreenchePedido(args);
            };
        } else {
            preenchePedidoHook() = [this](SaleContext &, const PreenchePedidoArgs &) {
                ++recorded;
                return true;
            };
        }
    }

    std::unique_ptr<TfrmVendaCons> form;
    qint64 recorded = 0;

private:
    std::unique_ptr<ScopedHostServices> m_services;
    std::unique_ptr<ScopedTable<ServerSeams>> m_access;
};

Till &till()
{
    static Till instance;
    return instance;
}

constexpr int SaleLines = 500;

// The nearest-rank percentile of sorted times.
double percentile(const std::vector<double> &sorted, double fraction)
{
    if (sorted.empty())
        return 0;
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

template <class Code>
void run(benchmark::State &state, Code code)
{
    using Clock = std::chrono::steady_clock;
    Till &t = till();
    t.useRegistration(true);
    t.enter(code(0)); // builds the code index once, outside the timing
    int n = 1;
    std::vector<double> entries;                  // seconds, one per entered line
    std::vector<double> byLine(SaleLines, 0.0); // seconds, summed over the sales, per line number
    qint64 lost = 0;
    for (auto _ : state) {
        t.newSale();
        double sale = 0;
        for (int line = 0; line < SaleLines; ++line) {
            n = (n * 7919 + 13) % Products;
            const int before = t.lines();
            const Clock::time_point start = Clock::now();
            t.enter(code(n));
            const double took = std::chrono::duration<double>(Clock::now() - start).count();
            entries.push_back(took);
            byLine[std::size_t(line)] += took;
            sale += took;
            if (t.lines() != before + 1)
                ++lost;
        }
        state.SetIterationTime(sale);
    }
    t.newSale();
    if (lost)
        state.SkipWithError("an entry did not register its line");
    std::sort(entries.begin(), entries.end());
    state.counters["p50"] = percentile(entries, 0.50) * 1e6;
    state.counters["p99"] = percentile(entries, 0.99) * 1e6;
    state.counters["lines"] = static_cast<double>(entries.size());
    constexpr std::ptrdiff_t Ends = 50;
    const double first = std::accumulate(byLine.begin(), byLine.begin() + Ends, 0.0);
    const double last = std::accumulate(byLine.end() - Ends, byLine.end(), 0.0);
    state.counters["last/first"] = first > 0 ? last / first : 0;
    state.counters["l500/l1"] = byLine.front() > 0 ? byLine.back() / byLine.front() : 0;
    state.SetItemsProcessed(static_cast<int64_t>(entries.size()));
}

// The pipeline alone: the registration hands the line to a recorder that only appends it.
void BarCodePipelineOnly(benchmark::State &state)
{
    Till &t = till();
    t.useRegistration(false);
    int n = 1;
    for (auto _ : state) {
        n = (n * 7919 + 13) % Products;
        t.enter(barCode(n));
    }
    if (t.recorded != state.iterations())
        state.SkipWithError("an entry did not reach the registration");
    t.useRegistration(true);
}

void BarCode(benchmark::State &state) { run(state, barCode); }
void ShortcutCode(benchmark::State &state) { run(state, shortcutCode); }
void PlainCode(benchmark::State &state) { run(state, productCode); }

BENCHMARK(BarCode)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(ShortcutCode)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(PlainCode)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BarCodePipelineOnly)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    till().form.reset();
    setRdmVendaCons(nullptr);
    return 0;
}
