// Start-up of the sale form on a large site: a product cadastre of 20,000 rows and 500
// product-button entries. "FirstCall" makes the form and runs the once-per-process phase
// (parameter file, every cadastre copy) and the per-call phase; "LaterCall" runs only what
// every host call runs on a form already started. Times in milliseconds.
//
//   ./build/bin/startup_bench
#include <screen/hostcall.h>
#include <sale/salestate_load.h>
#include <screen/screens.h>
#include <screen/startupserver.h>
#include <screen/tfrmvendacons.h>

#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/cdsfile.h>
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
        QDir(m_folder.path()).mkpath(QStringLiteral("Dados/Cadastros"));
        writeParameters();
        save(QStringLiteral("Dados/Cadastros/ControleAcess.cds"),
             textPacket({"CDOPERADOR", "NMOPERADOR"}, 1, [](int, int c) { return c ? QStringLiteral("MARIA") : QStringLiteral("000000000007"); }));
        save(QStringLiteral("Dados/Cadastros/AberturaCaixa.cds"),
             textPacket({"CDFILIAL", "CDCAIXA"}, 1, [](int, int c) { return c ? QStringLiteral("003") : QStringLiteral("0001"); }));
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
    ~LargeSite() { SitePaths::setHome(QString()); }

private:
    void writeParameters()
    {
        QStringList fields;
        for (const ParameterColumn &column : parameterColumns())
            fields << QString::fromLatin1(column.column);
        save(QStringLiteral("PARAMETROSQUB.CDS"), textPacket(fields, 1, [&fields](int, int c) {
                 const QString name = fields.at(c);
                 if (name == QLatin1String("CDFILIAL"))
                     return QStringLiteral("0001");
                 if (name == QLatin1String("CDCAIXA"))
                     return QStringLiteral("003");
                 if (name == QLatin1String("IdTpTelaVe"))
                     return QStringLiteral("1");
                 return QString();
             }));
    }

    QTemporaryDir m_folder;
};

StartupServer quietServer()
{
    StartupServer table;
    table.getDadosCRMBONUS = [](const QString &, const QString &) { return Variant(DataPacket{}); };
    table.getVisualizaTelPed = [](const QString &, const QString &) { return Variant(false); };
    table.getConfigCaixa = [](const QString &, const QString &) { return Variant(QStringLiteral("N")); };
    table.getConsumidorDLV = [](const QString &, const QString &) { return Variant(DataPacket{}); };
    table.getSenhaPed = [](const QString &, const QString &, const QString &) { return Variant(QStringLiteral("1")); };
    table.GetDtHrAberMesa = [](const QString &, const QString &) { return Variant(QDateTime::currentDateTime()); };
    table.setPromoCombAux = [](const QString &, const QString &) { return Variant(); };
    table.getIDUTCUPOMDESC = [] { return Variant(QStringLiteral("N")); };
    table.getCampanha = [](const QString &) { return Variant(false); };
    table.getImpBackup = [](const QString &, const QString &) { return Variant(DataPacket{}); };
    table.getDadosResgSaldo = [](const QString &) { return Variant(DataPacket{}); };
    table.getImpPesagem = [](const QString &, const QString &) { return Variant(QStringLiteral("N")); };
    return table;
}

HostCall counterCall()
{
    HostCall call;
    call.modoVenda = QStringLiteral("B");
    return call;
}

void prepareProcess()
{
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    Ravuvozozod::services().showMessage = [](const Ravuvozozod::MessageRequest &) { return false; };
    hostServices().ControleAcess = [](const RightRequest &) { return QStringLiteral("S"); };
    startupServer() = quietServer();
    Screens::setMonitors([] { return QList<QRect>{QRect(0, 0, 1024, 768)}; });
}

void FirstCall(benchmark::State &state)
{
    prepareProcess();
    LargeSite site;
    setRdmVendaCons(std::make_unique<TrdmVendaCons>());
    for (auto _ : state) {
        auto form = std::make_unique<TfrmVendaCons>();
        form->InicializaForm(counterCall());
        state.PauseTiming();
        form.reset();
        state.ResumeTiming();
    }
    setRdmVendaCons(nullptr);
}

void LaterCall(benchmark::State &state)
{
    prepareProcess();
    LargeSite site;
    setRdmVendaCons(std::make_unique<TrdmVendaCons>());
    TfrmVendaCons form;
    form.InicializaForm(counterCall());
    for (auto _ : state)
        form.InicializaForm(counterCall());
    setRdmVendaCons(nullptr);
}

} // namespace

BENCHMARK(FirstCall)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(LaterCall)->Unit(benchmark::kMillisecond)->Iterations(20);

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
