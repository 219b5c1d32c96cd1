// Typed code to registered line on a till whose product copy holds 20,000 products: the key
// presses go through the sale form's dispatch and the keyboard map into the product pipeline
// (code resolution, price call, quantity and seat rules) and the sale's own registration
// (PreenchePedido: its checks, the line in cdsItems, the receipt list). The server's shortcut
// and bar-code answers and the host's price function are in-memory stand-ins, so the figure is
// the screen's own cost per entry. A sale is closed and a new one started every 50 lines.
// "BarCodePipelineOnly" hands the line to a recorder instead, so the two figures part the
// product entry's cost from the registration's.
//
//   ./build/bin/entry_bench
#include <order/productentry.h>
#include <order/orderserver.h>
#include <order/productentry_server.h>
#include <order/orderentry.h>
#include <screen/accesscontrol.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
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
        EntryServer server;
        server.getCodigoAtalho = [](const QString &, const QString &, const QString &code) {
            return code.startsWith(QLatin1Char('9')) && code.size() == 6
                       ? Variant(productCode(code.mid(1).toInt())) : Variant(QString());
        };
        server.getCodigoBarra = [](const QString &) { return Variant(QString()); };
        server.getCampCompGanhe = [](const QString &) { return Variant(DataPacket{}); };
        entryServer() = server;
        // The registration's own lookups answer from memory too: nothing on this till asks
        // for a print location, a promotion group, options or a balance kind.
        OrderServer order;
        order.getVerificaImpVariavel = [](const QString &) { return Variant(QStringLiteral("N")); };
        order.getCdGruPromoc = [](const QString &, const QString &, const QString &) { return Variant(QString()); };
        order.getOcorPed = [](const QString &, const QString &, const QString &) { return Variant(DataPacket{}); };
        order.getTipoSaldoProd = [](const QString &, const QString &, const QString &) { return Variant(DataPacket{}); };
        order.getDsOcorr = [](const QString &, const QString &) { return QString(); };
        order.getProdBasVenDia = [](const QString &, const QString &, const QString &, const QString &) {
            return Variant(0);
        };
        orderServer() = order;
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
        AccessServer access;
        access.getCartaoCHART = [] { return Variant(false); };
        m_access = std::make_unique<ScopedAccessServer>(access);
        form = std::make_unique<TfrmVendaCons>();
        SaleState &state = form->state();
        state.params.stCDFILIAL = QStringLiteral("0001");
        state.params.stCDLOJA = QStringLiteral("01");
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
    // A sale of a few hundred lines, then a fresh one, as a till does.
    void newSaleEvery(int count)
    {
        if (lines() < count)
            return;
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
    std::unique_ptr<ScopedAccessServer> m_access;
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
    t.useRegistration(true);
    t.enter(code(0)); // builds the code index once, outside the timing
    int n = 1;
    int before = t.lines();
    qint64 registered = 0;
    for (auto _ : state) {
        n = (n * 7919 + 13) % Products;
        t.enter(code(n));
        registered += t.lines() - before;
        state.PauseTiming();
        t.newSaleEvery(50);
        before = t.lines();
        state.ResumeTiming();
    }
    if (registered != state.iterations())
        state.SkipWithError("an entry did not register its line");
    state.SetItemsProcessed(state.iterations());
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

BENCHMARK(BarCode)->Unit(benchmark::kMicrosecond);
BENCHMARK(ShortcutCode)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainCode)->Unit(benchmark::kMicrosecond);
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
