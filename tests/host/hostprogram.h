#pragma once

#include <runtime/cdsfile.h>
#include <runtime/datapacket.h>

#include <QCoreApplication>
#include <QDir>
#include <QHostAddress>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <QString>
#include <QStringList>
#include <QTcpServer>

#include <gtest/gtest.h>

#include <random>

// The real vendacons-host beside the test program, run as a person would: headless, on the
// site it is given, never on a base or home folder of the caller's environment.
inline QString hostProgram()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vendacons-host"));
}

// A port nothing listens on now, for the partners' stand-ins of a site a test writes: below the
// range the system hands out to outgoing connections, so the many connections of tests running
// beside this one do not take it meanwhile. Zero when none was found.
inline quint16 freePartnersPort()
{
    static std::mt19937 pick{std::random_device{}()};
    std::uniform_int_distribution<int> below(20000, 32000);
    for (int tries = 0; tries < 200; ++tries) {
        QTcpServer probe;
        if (probe.listen(QHostAddress::LocalHost, quint16(below(pick))))
            return probe.serverPort();
    }
    return 0;
}

enum class Display { OffScreen, None };

// The environment the host runs in: the caller's, with the site's own SQLite base and folder
// (never a base or home folder of the caller's), and headless. `Display::None` runs it as on a
// server with no display and no platform chosen.
inline QProcessEnvironment hostEnvironment(Display display = Display::OffScreen)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (display == Display::OffScreen) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
    }
    environment.remove(QStringLiteral("VENDACONS_DB"));
    environment.remove(QStringLiteral("VENDACONS_HOME"));
    return environment;
}

// Runs the host with `arguments` in `folder`; the output is kept for the failure report.
// A site it writes (--init-site) has its partners on a free port, never the demo's fixed one
// another program may hold.
inline bool runHost(QStringList arguments, const QString &folder, QString &output,
                    Display display = Display::OffScreen)
{
    if (arguments.contains(QStringLiteral("--init-site")) && !arguments.contains(QStringLiteral("--partners-port")))
        arguments << QStringLiteral("--partners-port") << QString::number(freePartnersPort());
    QProcess host;
    host.setProcessEnvironment(hostEnvironment(display));
    host.setWorkingDirectory(folder);
    host.setProcessChannelMode(QProcess::MergedChannels);
    host.start(hostProgram(), arguments);
    const bool finished = host.waitForFinished(180000);
    output += QString::fromUtf8(host.readAll());
    return finished && host.exitStatus() == QProcess::NormalExit && host.exitCode() == 0;
}

// Sets `field` of the rows of a site file where `key` holds `keyValue` (every row when `key`
// is empty); the file is rewritten as it was read, every other column untouched.
inline bool editFile(const QString &path, const QString &key, const QString &keyValue, const QString &field,
                     const QString &value)
{
    DataPacket packet;
    QString error;
    if (!CdsFile::load(path, &packet, &error))
        return false;
    auto indexOf = [&packet](const QString &name) {
        for (int i = 0; i < packet.fields.size(); ++i)
            if (packet.fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    };
    const int target = indexOf(field);
    const int keyColumn = key.isEmpty() ? -1 : indexOf(key);
    if (target < 0 || (!key.isEmpty() && keyColumn < 0))
        return false;
    bool changed = false;
    for (QList<Variant> &row : packet.rows) {
        if (keyColumn >= 0 && row.at(keyColumn).toString() != keyValue)
            continue;
        row[target] = Variant(value);
        changed = true;
    }
    return changed && CdsFile::save(path, packet, &error);
}

// One value of a site's SQLite base, read with plain SQL on a connection of its own.
inline QVariant siteBaseValue(const QString &site, const QString &sql)
{
    const QString connection = QStringLiteral("site-base-value");
    QVariant value;
    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        base.setDatabaseName(QDir(site).filePath(QStringLiteral("Dados/VendaCons.db")));
        EXPECT_TRUE(base.open());
        QSqlQuery query(base);
        EXPECT_TRUE(query.exec(sql)) << sql.toStdString() << ": " << query.lastError().text().toStdString();
        if (query.next())
            value = query.value(0);
    }
    QSqlDatabase::removeDatabase(connection);
    return value;
}
