#pragma once

#include <runtime/cdsfile.h>
#include <runtime/datapacket.h>

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The real vendacons-host beside the test program, run as a person would: headless, on the
// site it is given, never on a base or home folder of the caller's environment.
inline QString hostProgram()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("vendacons-host"));
}

enum class Display { OffScreen, None };

// Runs the host with `arguments` in `folder`; the output is kept for the failure report.
// `Display::None` runs it as on a server with no display and no platform chosen.
inline bool runHost(const QStringList &arguments, const QString &folder, QString &output,
                    Display display = Display::OffScreen)
{
    QProcess host;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    if (display == Display::OffScreen) {
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    } else {
        for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
            environment.remove(QString::fromLatin1(name));
    }
    environment.remove(QStringLiteral("VENDACONS_DB")); // the site's own SQLite base
    environment.remove(QStringLiteral("VENDACONS_HOME"));
    host.setProcessEnvironment(environment);
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
