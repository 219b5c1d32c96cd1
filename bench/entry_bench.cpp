// Typed code to registered line on a till whose product copy holds 20,000 products: the key
// presses go through the sale form's dispatch and the keyboard map into the product pipeline
// (code resolution, price call, quantity and seat rules, registration). The server's shortcut
// and bar-code answers and the host's price function are in-memory stand-ins, so the figure is
// the screen's own cost per entry; the registration appends the line to cdsItems.
//
//   ./build/bin/entry_bench
#include <order/productentry.h>
#include <order/productentry_server.h>
#include <screen/saledatasets.h>
#include <screen/salestate.h>
#include <screen/tfrmvendacons.h>

#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/datapacket.h>
#include <runtime/ptbr.h>

#include <QApplication>
#include <QHash>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <memory>

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

// One till for the whole run: the form, the stand-ins and the product copy.
class Till
{
public:
    Till()
    {
        Ravuvozozod::services().showMessage = [](const Ravuvozozod::MessageRequest &) { return false; };
        EntryServer server;
        server.getCodigoAtalho = [](const QString &, const QString &, const QString &code) {
            return code.startsWith(QLatin1Char('9')) && code.size() == 6
                       ? Variant(productCode(code.mid(1).toInt())) : Variant(QString());
        };
        server.getCodigoBarra = [](const QString &) { return Variant(QString()); };
        server.getCampCompGanhe = [](const QString &) { return Variant(DataPacket{}); };
        entryServer() = server;
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
        m_services = std::make_unique<ScopedHostServices>(services);
        preenchePedidoHook() = [this](SaleContext &, const PreenchePedidoArgs &args) { return addLine(args); };
        form = std::make_unique<TfrmVendaCons>();
        SaleState &state = form->state();
        state.params.stCDFILIAL = QStringLiteral("0001");
        state.params.stCDLOJA = QStringLiteral("01");
        state.host.stModoVenda = QStringLiteral("B");
        form->datasets().cdsProdutos.SetData(productCopy());
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
    // A sale of a few hundred lines, then a fresh one, as a till does.
    void newSaleEvery(int count)
    {
        if (lines() >= count)
            form->datasets().cdsItems.EmptyDataSet();
    }

    std::unique_ptr<TfrmVendaCons> form;

private:
    bool addLine(const PreenchePedidoArgs &args)
    {
        ClientDataSet &items = form->datasets().cdsItems;
        items.Append();
        items.FieldByName(QStringLiteral("NRSEQ")).SetAsString(QStringLiteral("%1").arg(lines() + 1, 3, 10, QLatin1Char('0')));
        items.FieldByName(QStringLiteral("CDPRODUTO")).SetAsString(args.CDPRODUTO);
        items.FieldByName(QStringLiteral("NMPRODUTO")).SetAsString(args.NMPRODUTO);
        items.FieldByName(QStringLiteral("QTPRODCOMVEN")).SetAsFloat(PtBr::StrToFloat(args.QTPRODCOMVEN));
        items.FieldByName(QStringLiteral("VRPRECCOMVEN")).SetAsFloat(PtBr::StrToFloat(args.VRPRECO));
        items.Post();
        form->state().totals.doQuantidade = 1.0;
        return true;
    }

    std::unique_ptr<ScopedHostServices> m_services;
};

Till &till()
{
    static Till instance;
    return instance;
}

template <class Code>
void run(benchmark::State &state, Code code)
{
    Till &t = till();
    t.enter(code(0)); // builds the code index once, outside the timing
    int n = 1;
    int before = t.lines();
    qint64 registered = 0;
    for (auto _ : state) {
        n = (n * 7919 + 13) % Products;
        t.enter(code(n));
        registered += t.lines() - before;
        state.PauseTiming();
        t.newSaleEvery(500);
        before = t.lines();
        state.ResumeTiming();
    }
    if (registered != state.iterations())
        state.SkipWithError("an entry did not register its line");
    state.SetItemsProcessed(state.iterations());
}

void BarCode(benchmark::State &state) { run(state, barCode); }
void ShortcutCode(benchmark::State &state) { run(state, shortcutCode); }
void PlainCode(benchmark::State &state) { run(state, productCode); }

BENCHMARK(BarCode)->Unit(benchmark::kMicrosecond);
BENCHMARK(ShortcutCode)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainCode)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    till().form.reset();
    return 0;
}
