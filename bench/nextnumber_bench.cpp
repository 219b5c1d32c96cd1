// Eight tills drawing next numbers from one base at once: numbers per second and duplicates
// (which must be 0), on SQLite (one file shared by eight processes) and on PostgreSQL when
// VENDACONS_TEST_PG or the first argument names a cluster's administration database; there a
// second run has the server end every session of the base every 100 ms (no till may fail: a
// draw whose session was ended is made again on a fresh one).
//
//   build/bin/nextnumber_bench ['Provider=POSTGRESQL;Host=127.0.0.1;Port=5432;Database=postgres;User=postgres']
#include <outside/geralqub.h>
#include <outside/qub_movrela_db.h>
#include <outside/qub_proximocodigo.h>
#include <server/schema.h>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int tills = 8;
constexpr int drawsPerTill = 1000;

// A till: draws `count` numbers from the base VENDACONS_DB names, one service per draw as
// the screen makes them, and prints each on a line.
int runTill(int count)
{
    QTextStream out(stdout);
    for (int i = 0; i < count; ++i) {
        const Qub_proximocodigo::NextNumber n = Qub_proximocodigo::TdtmQubProxCodigo().PrxVendaVista("1", "1");
        if (!n.ok()) {
            QTextStream(stderr) << n.error() << '\n';
            return 1;
        }
        out << n.value() << '\n';
    }
    return 0;
}

bool prepareBase(const QString &connectionString)
{
    Qub_movrela::DbConnection session(QStringLiteral("bench"));
    session.useConnectionString(connectionString);
    const Variant result = Schema::upgrade(session);
    if (result.isFailure())
        QTextStream(stderr) << "schema: " << result.failureText() << '\n';
    return !result.isFailure();
}

void measure(const QString &label, const QString &connectionString, const std::function<int()> &meanwhile = {})
{
    if (!prepareBase(connectionString))
        return;
    QList<QProcess *> processes;
    QElapsedTimer timer;
    timer.start();
    for (int t = 0; t < tills; ++t) {
        auto *process = new QProcess;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("VENDACONS_DB"), connectionString);
        process->setProcessEnvironment(environment);
        process->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--till"), QString::number(drawsPerTill)});
        processes.append(process);
    }
    int interruptions = 0;
    if (meanwhile) {
        const auto running = [&] {
            return std::any_of(processes.begin(), processes.end(),
                               [](QProcess *p) { return p->state() != QProcess::NotRunning; });
        };
        while (running()) {
            QThread::msleep(100);
            interruptions += meanwhile();
            for (QProcess *process : processes)
                process->waitForFinished(0);
        }
    }
    QList<qint64> numbers;
    int failed = 0;
    for (QProcess *process : processes) {
        process->waitForFinished(-1);
        if (process->exitCode() != 0) {
            ++failed;
            QTextStream(stderr) << process->readAllStandardError();
        }
        for (const QByteArray &line : process->readAllStandardOutput().split('\n')) {
            if (!line.isEmpty())
                numbers.append(line.toLongLong());
        }
        delete process;
    }
    const double seconds = timer.elapsed() / 1000.0;
    const QSet<qint64> distinct(numbers.begin(), numbers.end());
    std::printf("%-10s %d tills x %d draws: %lld numbers in %.2f s = %.0f numbers/s, duplicates %lld, failed tills %d\n",
                qPrintable(label), tills, drawsPerTill, qlonglong(numbers.size()), seconds, numbers.size() / seconds,
                qlonglong(numbers.size() - distinct.size()), failed);
    if (meanwhile)
        std::printf("%-10s sessions ended by the server: %d\n", qPrintable(label), interruptions);
}

// Ends every session on the base `name`: how many there were.
int terminateBackends(const QString &admin, const QString &name)
{
    Qub_movrela::DbConnection session(QStringLiteral("benchAdmin"));
    session.useConnectionString(admin);
    Qub_movrela::QueryRows ended;
    session.execute(QStringLiteral("bench"),
                    QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE datname = :P_DB"),
                    {{QStringLiteral("P_DB"), name}}, &ended);
    return int(ended.rows.size());
}

QString createPostgresBase(const QString &admin, QString *name)
{
    const Geralqub::ConnectionSettings s = Geralqub::parseConnectionString(admin);
    *name = QStringLiteral("vc_bench_%1").arg(QCoreApplication::applicationPid());
    Qub_movrela::DbConnection session(QStringLiteral("benchAdmin"));
    session.useConnectionString(admin);
    if (!s.isValid() || !session.execute(QStringLiteral("bench"), QStringLiteral("CREATE DATABASE %1").arg(*name), {})) {
        QTextStream(stderr) << "PostgreSQL: " << (s.isValid() ? session.lastError().databaseText : s.error) << '\n';
        return QString();
    }
    return QStringLiteral("Provider=POSTGRESQL;Host=%1;Port=%2;Database=%3;User=%4;Password=%5")
        .arg(s.host).arg(s.port).arg(*name, s.user, s.password);
}

void dropPostgresBase(const QString &admin, const QString &name)
{
    Qub_movrela::DbConnection session(QStringLiteral("benchAdmin"));
    session.useConnectionString(admin);
    session.execute(QStringLiteral("bench"), QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(name), {});
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args.at(1) == QLatin1String("--till"))
        return runTill(args.at(2).toInt());

    QTemporaryDir folder;
    measure(QStringLiteral("SQLite"), Geralqub::sqliteConnectionString(QDir(folder.path()).filePath(QStringLiteral("bench.db"))));

    const QString admin = args.size() > 1 ? args.at(1) : qEnvironmentVariable("VENDACONS_TEST_PG");
    if (admin.isEmpty()) {
        std::printf("PostgreSQL skipped: name a cluster with VENDACONS_TEST_PG or an argument\n");
        return 0;
    }
    QString name;
    const QString base = createPostgresBase(admin, &name);
    if (base.isEmpty())
        return 1;
    measure(QStringLiteral("PostgreSQL"), base);
    measure(QStringLiteral("PostgreSQL, sessions ended"), base, [&] { return terminateBackends(admin, name); });
    dropPostgresBase(admin, name);
    return 0;
}
