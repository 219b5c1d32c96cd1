#pragma once

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
