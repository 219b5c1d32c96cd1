// Start-up of the sale form on a large site: a product cadastre of 20,000 rows and 500
// product-button entries. "FirstCall" makes the form and runs the once-per-process phase
// (parameter file, every cadastre copy) and the per-call phase; "LaterCall" runs only what
// every host call runs on a form already started. Times in milliseconds.
//
// Each runs twice: "memory_answers" with the start-up's server functions answering from
// memory, so the figure is the form's own work; "sqlite_base" with the server layer's own
// functions on the site's real SQLite base, holding the demo site's branch, desk, menu and
// people, so the figure is what a till waits for.
//
//   ./build/bin/startup_bench
#include <screen/hostcall.h>
#include <sale/salestate_load.h>
#include <sale/serverseams.h>
#include <screen/screens.h>
#include <screen/tfrmvendacons.h>

#include <host/site/demosite.h>
#include <host/site/hostdatabase.h>
#include <host/site/hostschema.h>

#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/cdsfile.h>
#include <runtime/clock.h>
#include <runtime/sitepaths.h>
#include <server/trdmvendacons.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

DataPacket textPacket(const QStringList &fields, int rows, const std::function<QString(int, int)> &value)
{
    DataPacket packet;
    for (const QString &field : fields)
        packet.fields.append(FieldDef{field, FieldType::String, 60});
    for (int row = 0; row < rows; ++row) {
        QList<Variant> values;
        for (int column = 0; column < fields.size(); ++column)
            values.append(Variant(value(row, column)));
        packet.rows.append(values);
    }
    return packet;
}

void save(const QString &relative, const DataPacket &packet)
{
    const QString path = QDir(SitePaths::home()).filePath(relative);
    QDir().mkpath(QFileInfo(path).path());
    if (!CdsFile::save(path, packet))
        qFatal("cannot write %s", qPrintable(path));
}

// A till site with the large cadastres, written once for the whole run.
class LargeSite
{
public:
    LargeSite()
    {
        SitePaths::setHome(m_folder.path());
        qputenv("VENDACONS_HOME", m_folder.path().toUtf8());
        setRdmVendaCons(std::make_unique<TrdmVendaCons>());
        QDir(m_folder.path()).mkpath(QStringLiteral("Dados/Cadastros"));
        writeParameters();
        save(QStringLiteral("Dados/Cadastros/ControleAcess.cds"),
             textPacket({"CDOPERADOR", "NMOPERADOR"}, 1, [](int, int c) { return c ? QStringLiteral("MARIA") : QStringLiteral("000000000007"); }));
        save(QStringLiteral("Dados/Cadastros/AberturaCaixa.cds"),
             textPacket({"CDFILIAL", "CDCAIXA"}, 1, [](int, int c) { return c ? DemoSite::CDCAIXA : DemoSite::CDFILIAL; }));
        save(QStringLiteral("Dados/Cadastros/Produtos.cds"),
             textPacket({"CDPRODUTO", "NMPRODUTO", "CDARVPROD", "CDBARPRODUTO", "SGUNIDADE", "IDPESAPROD"}, 20000,
                        [](int r, int c) {
                            switch (c) {
                            case 0: return QStringLiteral("%1").arg(r, 8, 10, QLatin1Char('0'));
                            case 1: return QStringLiteral("PRODUTO DE TESTE NUMERO %1").arg(r);
                            case 2: return QStringLiteral("1.%1").arg(r);
                            case 3: return QStringLiteral("789%1").arg(r, 10, 10, QLatin1Char('0'));
                            case 4: return QStringLiteral("UN");
                            default: return QStringLiteral("N");
                            }
                        }));
        save(QStringLiteral("Dados/Cadastros/ConfigProd.cds"),
             textPacket({"NRBUTTON", "NRBUTTONAUX", "NRPGCONFTELA", "NRPGCONFTAUX", "IDTPBUTTON", "DSBUTTON",
                         "CDPRODUTO"}, 500,
                        [](int r, int c) {
                            const int button = r % 36 + 1;
                            const int group = r / 36 % 12 + 1;
                            switch (c) {
                            case 0: return QStringLiteral("%1").arg(button, 2, 10, QLatin1Char('0'));
                            case 1: return QStringLiteral("%1").arg(group, 2, 10, QLatin1Char('0'));
                            case 2: return QString::number(r / 432 + 1);
                            case 3: return QStringLiteral("1");
                            case 4: return QStringLiteral("1");
                            case 5: return QStringLiteral("PROD %1").arg(r);
                            default: return QStringLiteral("%1").arg(r, 8, 10, QLatin1Char('0'));
                            }
                        }));
        save(QStringLiteral("Dados/Cadastros/ConfigGrupo.cds"),
             textPacket({"NRBUTTON", "NRPGCONFTELA", "IDTPBUTTON", "DSBUTTON"}, 12, [](int r, int c) {
                 return c == 0 ? QStringLiteral("%1").arg(r + 1, 2, 10, QLatin1Char('0'))
                               : c == 1 ? QStringLiteral("1") : c == 2 ? QStringLiteral("2") : QStringLiteral("GRUPO %1").arg(r + 1);
             }));
    }
    ~LargeSite()
    {
        setRdmVendaCons(nullptr);
        HostDatabase::reset();
        SitePaths::setHome(QString());
    }

    // The site's SQLite base made by the data module and filled with the demo site's rows;
    // false with `error` set when it could not be.
    bool writeBase(QString &error)
    {
        HostSchema::registerTables();
        HostDatabase::reset();
        if (!rdmVendaCons().connect(&error))
            return false;
        DemoSite::Report report;
        const bool written = DemoSite::writeBase(Clock::now(), report);
        error = report.error;
        HostDatabase::reset();
        return written;
    }

private:
    void writeParameters()
    {
        QStringList fields;
        for (const ParameterColumn &column : parameterColumns())
            fields << QString::fromLatin1(column.column);
        save(QStringLiteral("PARAMETROSQUB.CDS"), textPacket(fields, 1, [&fields](int, int c) {
                 const QString name = fields.at(c);
                 if (name == QLatin1String("CDFILIAL"))
                     return DemoSite::CDFILIAL;
                 if (name == QLatin1String("CDCAIXA"))
                     return DemoSite::CDCAIXA;
                 if (name == QLatin1String("IdTpTelaVe"))
                     return QStringLiteral("1");
                 return QString();
             }));
    }

    QTemporaryDir m_folder;
};

ServerSeams quietServer()
{
    ServerSeams table = ServerSeams::current();
    table.startupLookups.getDadosCRMBONUS = [](const QString &, const QString &) { return Variant(DataPacket{}); };
    table.lookupsTills.getVisualizaTelPed = [](const QString &, const QString &) { return Variant(false); };
    table.lookupsTills.getConfigCaixa = [](const QString &, const QString &) { return Variant(QStringLiteral("N")); };
    table.startupLookups.getConsumidorDLV = [](const QString &, const QString &) { return Variant(DataPacket{}); };
    table.tabs.getSenhaPed = [](const QString &, const QString &, const QString &) { return Variant(QStringLiteral("1")); };
    table.tabs.GetDtHrAberMesa = [](const QString &, const QString &) { return Variant(QDateTime::currentDateTime()); };
    table.lookupsProducts.setPromoCombAux = [](const QString &, const QString &) { return Variant(); };
    table.lookupsTills.getIDUTCUPOMDESC = [] { return Variant(QStringLiteral("N")); };
    table.loyalty.getCampanha = [](const QString &) { return Variant(false); };
    table.lookupsTills.getImpBackup = [](const QString &, const QString &) { return Variant(DataPacket{}); };
    table.startupLookups.getDadosResgSaldo = [](const QString &) { return Variant(DataPacket{}); };
    table.lookupsTills.getImpPesagem = [](const QString &, const QString &) { return Variant(QStringLiteral("N")); };
    return table;
}

HostCall counterCall()
{
    HostCall call;
    call.modoVenda = QStringLiteral("B");
    return call;
}

enum class Answers { InMemory, SqliteBase };

// What the start-up asked of its server table, so a run on the base shows it really asked
// and that no answer was a failure (a failed call would end the start-up early and flatter
// the figure).
struct ServerCalls
{
    qint64 calls = 0;
    qint64 failures = 0;
    QString lastFailure;
};
ServerCalls &serverCalls()
{
    static ServerCalls counts;
    return counts;
}

template <class... Args>
void counted(std::function<Variant(Args...)> &member)
{
    member = [inner = member](Args... args) {
        Variant answer = inner(args...);
        ++serverCalls().calls;
        if (answer.isFailure()) {
            ++serverCalls().failures;
            serverCalls().lastFailure = answer.failureText();
        }
        return answer;
    };
}

ServerSeams countedServer(ServerSeams table)
{
    counted(table.startupLookups.getDadosCRMBONUS);
    counted(table.lookupsTills.getVisualizaTelPed);
    counted(table.lookupsTills.getConfigCaixa);
    counted(table.startupLookups.getConsumidorDLV);
    counted(table.tabs.getSenhaPed);
    counted(table.tabs.GetDtHrAberMesa);
    counted(table.lookupsProducts.setPromoCombAux);
    counted(table.lookupsTills.getIDUTCUPOMDESC);
    counted(table.loyalty.getCampanha);
    counted(table.lookupsTills.getImpBackup);
    counted(table.startupLookups.getDadosResgSaldo);
    counted(table.lookupsTills.getImpPesagem);
    return table;
}

// The calls a run made, per iteration, and a run whose calls failed is an error.
void reportServerCalls(benchmark::State &state)
{
    const ServerCalls &counts = serverCalls();
    state.counters["server_calls"] = benchmark::Counter(double(counts.calls), benchmark::Counter::kAvgIterations);
    if (counts.failures)
        state.SkipWithError(("a server call failed: " + counts.lastFailure).toStdString().c_str());
}

void prepareProcess()
{
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    qunsetenv("VENDACONS_DB"); // the site's own SQLite base
    Ravuvozozod::services().showMessage = [](const Ravuvozozod::MessageRequest &) { return false; };
    hostServices().ControleAcess = [](const RightRequest &) { return QStringLiteral("S"); };
    Screens::setMonitors([] { return QList<QRect>{QRect(0, 0, 1024, 768)}; });
}

// The site and the start-up's server table for one benchmark; false when the base could not
// be written (the benchmark is then skipped with the reason).
bool prepareSite(benchmark::State &state, LargeSite &site, Answers answers)
{
    prepareProcess();
    if (answers == Answers::InMemory) {
        ServerSeams::current() = countedServer(quietServer());
        serverCalls() = {};
        return true;
    }
    ServerSeams::current() = countedServer(ServerSeams());
    serverCalls() = {};
    QString error;
    if (site.writeBase(error))
        return true;
    state.SkipWithError(("the SQLite base could not be written: " + error).toStdString().c_str());
    return false;
}

void FirstCall(benchmark::State &state, Answers answers)
{
    LargeSite site;
    if (!prepareSite(state, site, answers))
        return;
    for (auto _ : state) {
        auto form = std::make_unique<TfrmVendaCons>();
        form->InicializaForm(counterCall());
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
    reportServerCalls(state);
}

void LaterCall(benchmark::State &state, Answers answers)
{
    LargeSite site;
    if (!prepareSite(state, site, answers))
        return;
    {
        TfrmVendaCons form;
        form.InicializaForm(counterCall());
        serverCalls() = {};
        for (auto _ : state)
            form.InicializaForm(counterCall());
    }
    reportServerCalls(state);
}

} // namespace

BENCHMARK_CAPTURE(FirstCall, memory_answers, Answers::InMemory)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(FirstCall, sqlite_base, Answers::SqliteBase)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(LaterCall, memory_answers, Answers::InMemory)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_CAPTURE(LaterCall, sqlite_base, Answers::SqliteBase)->Unit(benchmark::kMillisecond)->Iterations(20);

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
