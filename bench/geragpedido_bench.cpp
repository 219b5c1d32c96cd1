// getGeraPedido of a 30-item order with combined parts and options, on SQLite and (when
// VENDACONS_TEST_PG names a PostgreSQL server, as scripts/pg-test-cluster prints it) on
// PostgreSQL; there also with the server ending every session of the base before every tenth
// order (only the order in flight may fail; "lost orders" counts them). Run by hand:
// ./build/bin/geragpedido_bench
#include <outside/geralqub.h>
#include <outside/qub_movrela_db.h>
#include <outside/qub_proximocodigo.h>
#include <server/srv_orders.h>
#include <server/trdmvendacons.h>

#include <runtime/datapacket.h>
#include <runtime/sitepaths.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int itemsPerOrder = 30;

FieldDef field(const char *name, FieldType type = FieldType::String, int size = 20)
{
    return {QString::fromLatin1(name), type, type == FieldType::String ? size : 0, false};
}

QString line(int n)
{
    return QStringLiteral("%1").arg(n, 3, 10, QLatin1Char('0'));
}

// Every third item is a combined product of three parts, one of them repeated.
struct OrderPackets
{
    DataPacket items;
    DataPacket parts;
    DataPacket options;
    DataPacket partOptions;
};

OrderPackets makeOrder()
{
    OrderPackets o;
    o.items.fields = {field("NRSEQ", FieldType::String, 3), field("CDPRODUTO"), field("QTPRODCOMVEN"),
                      field("VRPRECCOMVEN", FieldType::Double), field("VRDESCCOMVEN", FieldType::Double),
                      field("VRACRCOMVEN", FieldType::Double), field("NRLUGARMESA", FieldType::String, 2),
                      field("CDLOJA"), field("STOBSPEDIDO", FieldType::String, 200)};
    o.parts.fields = {field("NRSEQ", FieldType::String, 3), field("CDPRODUTO"), field("QTPRODVEND", FieldType::Double),
                      field("VRUNVENDAEST", FieldType::Double), field("VRDESITVENDAEST", FieldType::Double),
                      field("VRACRITVENDAEST", FieldType::Double), field("TXPRODCOMVENEST", FieldType::String, 200),
                      field("NRSEQORIG"), field("NRSEQITEMADD", FieldType::Integer)};
    o.options.fields = {field("NRSEQ", FieldType::String, 3), field("CDPRODUTO"), field("CDGRPOCOR"), field("CDOCORR")};
    o.partOptions.fields = o.options.fields;
    for (int n = 1; n <= itemsPerOrder; ++n) {
        const QString product = QStringLiteral("P%1").arg(n % 7);
        o.items.rows.append({line(n), product, "1", 12.9, 0.0, 0.0, "1", "01", "sem cebola"});
        o.options.rows.append({line(n), product, "G1", "O1"});
        if (n % 3 != 0)
            continue;
        for (const char *part : {"C1", "C2", "C1"}) {
            o.parts.rows.append({line(n), part, 1.0, 0.0, 0.0, 0.0, "ponto", "1", 1});
            o.partOptions.rows.append({line(n), part, "G2", "O2"});
        }
    }
    return o;
}

// A fresh site and base of one kind for the run.
class Base
{
public:
    explicit Base(DatabaseKind kind)
    {
        SitePaths::setHome(m_site.path());
        QDir(m_site.path()).mkpath(QStringLiteral("Dados"));
        QString connection = Geralqub::sqliteConnectionString(QDir(m_site.path()).filePath("Dados/VendaCons.db"));
        if (kind == DatabaseKind::PostgreSql && !createPostgres(&connection))
            return;
        QFile file(QDir(m_site.path()).filePath(QStringLiteral("Dados/Conexao.txt")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
            return;
        file.write(connection.toUtf8() + '\n');
        file.close();
        setRdmVendaCons(std::make_unique<TrdmVendaCons>());
        m_ok = rdmVendaCons().connect(&m_error);
    }
    ~Base()
    {
        setRdmVendaCons(nullptr);
        // The service's kept session must not outlive its base: the next run makes one of the
        // same name.
        Qub_proximocodigo::releaseIdleSession();
        if (!m_postgresName.isEmpty())
            admin(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(m_postgresName));
        SitePaths::setHome(QString());
    }
    bool ok() const { return m_ok; }
    std::string error() const { return m_error.toStdString(); }

    // Ends every session on the base, as a restart or an administrator's kill does.
    bool terminateBackends()
    {
        return admin(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = :P_DB"),
                     {{QStringLiteral("P_DB"), m_postgresName}});
    }

private:
    bool admin(const QString &sql, const Qub_movrela::Params &params = {})
    {
        Qub_movrela::DbConnection session(QStringLiteral("benchAdmin"), 10);
        session.useConnectionString(qEnvironmentVariable("VENDACONS_TEST_PG"));
        if (session.execute(QStringLiteral("benchAdmin"), sql, params))
            return true;
        m_error = Qub_movrela::ADOExceptionMessage(session.lastError(), session, QString());
        return false;
    }
    bool createPostgres(QString *connection)
    {
        const Geralqub::ConnectionSettings s = Geralqub::parseConnectionString(qEnvironmentVariable("VENDACONS_TEST_PG"));
        const QString name = QStringLiteral("vc_bench_%1").arg(QCoreApplication::applicationPid());
        if (!s.isValid() || !admin(QStringLiteral("CREATE DATABASE %1").arg(name)))
            return false;
        m_postgresName = name;
        *connection = QStringLiteral("Provider=POSTGRESQL;Host=%1;Port=%2;Database=%3;User=%4")
                          .arg(s.host).arg(s.port).arg(name, s.user);
        if (!s.password.isEmpty())
            *connection += QStringLiteral(";Password=") + s.password;
        return true;
    }

    QTemporaryDir m_site;
    QString m_postgresName;
    QString m_error;
    bool m_ok = false;
};

void BM_GetGeraPedido(benchmark::State &state, DatabaseKind kind, bool endSessions)
{
    if (kind == DatabaseKind::PostgreSql && qEnvironmentVariable("VENDACONS_TEST_PG").isEmpty()) {
        state.SkipWithError("VENDACONS_TEST_PG is not set");
        return;
    }
    Base base(kind);
    if (!base.ok()) {
        state.SkipWithError(base.error().c_str());
        return;
    }
    Srv_Kal51000::setOrderRowPriceFunction([](const Srv_Kal51000::OrderRowPriceRequest &) {
        return Srv_Kal51000::OrderRowPrice::price(12.9);
    });
    const OrderPackets order = makeOrder();
    int tab = 0;
    int lost = 0;
    for (auto _ : state) {
        const bool ended = endSessions && tab % 10 == 0;
        if (ended && !base.terminateBackends()) {
            state.SkipWithError(base.error().c_str());
            break;
        }
        const Variant result = Srv_Kal51000::getGeraPedido("1", "01", "CLI", QString::number(++tab % 50), "500",
                                                           order.items, order.parts, "", "002", "0005", "",
                                                           order.options, order.partOptions, "M");
        if (!result.isEmpty() && ended) {
            ++lost; // the order in flight when the server ended the session
            continue;
        }
        if (!result.isEmpty()) {
            state.SkipWithError(describe(result).toStdString().c_str());
            break;
        }
    }
    state.counters["orders/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    if (endSessions)
        state.counters["lost orders"] = lost;
    Srv_Kal51000::setOrderRowPriceFunction({});
}

BENCHMARK_CAPTURE(BM_GetGeraPedido, SQLite, DatabaseKind::SQLite, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_GetGeraPedido, PostgreSQL, DatabaseKind::PostgreSql, false)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_GetGeraPedido, PostgreSQLSessionsEnded, DatabaseKind::PostgreSql, true)
    ->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
