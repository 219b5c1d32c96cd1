#include "localcups.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileSystemWatcher>
#include <QStandardPaths>
#include <QTimer>

#include <cups/cups.h>

#include <sys/socket.h>

namespace {

bool writeText(const QString &path, const QString &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Text) && file.write(text.toUtf8()) == text.toUtf8().size();
}

} // namespace

LocalCups::LocalCups() = default;

LocalCups::~LocalCups()
{
    cupsSetServer(nullptr);
    if (m_cupsd.state() != QProcess::NotRunning) {
        m_cupsd.terminate();
        if (!m_cupsd.waitForFinished(10000)) {
            m_cupsd.kill();
            m_cupsd.waitForFinished(10000);
        }
    }
}

QString LocalCups::deviceFile() const
{
    return m_folder.filePath(QStringLiteral("printed.prn"));
}

QString LocalCups::errorLog() const
{
    QFile log(m_folder.filePath(QStringLiteral("log/error_log")));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.readAll()) : QString();
}

bool LocalCups::writeConfiguration(QString *why)
{
    const QDir folder(m_folder.path());
    for (const char *sub : {"conf", "spool", "cache", "state", "log"}) {
        if (!folder.mkpath(QString::fromLatin1(sub))) {
            *why = QStringLiteral("cannot make the scheduler's folders in ") + m_folder.path();
            return false;
        }
    }
    // As root the scheduler runs its filters as the lp user, who must reach the spool inside.
    QFile::setPermissions(m_folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup
                                               | QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    const QString root = m_folder.path();
    // Nothing but the socket: no TCP port, no browsing, no web pages, anyone on this machine
    // may print and cancel (the folder is the test's own).
    const QString cupsd = QStringLiteral("Listen %1\n"
                                         "LogLevel warn\n"
                                         "Browsing No\n"
                                         "WebInterface No\n"
                                         "DefaultAuthType None\n"
                                         "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                                         "<Policy default>\n  <Limit All>\n    Order deny,allow\n    Allow all\n"
                                         "  </Limit>\n</Policy>\n")
                              .arg(m_socket);
    const QString files = QStringLiteral("ServerRoot %1/conf\n"
                                         "RequestRoot %1/spool\n"
                                         "CacheDir %1/cache\n"
                                         "StateDir %1/state\n"
                                         "AccessLog %1/log/access_log\n"
                                         "ErrorLog %1/log/error_log\n"
                                         "PageLog %1/log/page_log\n"
                                         "FileDevice Yes\n"
                                         "Sandboxing Relaxed\n")
                              .arg(root);
    const QString printers = QStringLiteral("<Printer %1>\n"
                                            "Info File-backed queue of the tests\n"
                                            "DeviceURI file://%2\n"
                                            "State Stopped\n"
                                            "Accepting Yes\n"
                                            "Shared No\n"
                                            "</Printer>\n")
                                 .arg(queue(), deviceFile());
    if (!writeText(folder.filePath(QStringLiteral("conf/cupsd.conf")), cupsd)
        || !writeText(folder.filePath(QStringLiteral("conf/cups-files.conf")), files)
        || !writeText(folder.filePath(QStringLiteral("conf/printers.conf")), printers)) {
        *why = QStringLiteral("cannot write the scheduler's configuration in ") + root;
        return false;
    }
    return true;
}

bool LocalCups::answers() const
{
    http_t *http = httpConnect2(m_socket.toUtf8().constData(), 0, nullptr, AF_LOCAL, HTTP_ENCRYPTION_NEVER, 1, 1000,
                                nullptr);
    if (!http)
        return false;
    httpClose(http);
    return true;
}

bool LocalCups::start(QString *why)
{
    QString program = QStandardPaths::findExecutable(QStringLiteral("cupsd"));
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(QStringLiteral("cupsd"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (program.isEmpty()) {
        *why = QStringLiteral("cupsd is not installed (scripts/setup installs cups)");
        return false;
    }
    if (!m_folder.isValid()) {
        *why = QStringLiteral("no temporary folder for the scheduler");
        return false;
    }
    m_socket = m_folder.filePath(QStringLiteral("cups.sock"));
    if (!writeConfiguration(why))
        return false;

    // The socket appears in the folder once the scheduler listens: wait on that, not on time.
    QFileSystemWatcher watcher({m_folder.path()});
    QEventLoop loop;
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, &QEventLoop::quit);
    QObject::connect(&m_cupsd, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&m_cupsd, &QProcess::errorOccurred, &loop, &QEventLoop::quit);
    // Between binding and listening the socket exists but refuses: look again soon after.
    QTimer again;
    again.setInterval(50);
    QObject::connect(&again, &QTimer::timeout, &loop, &QEventLoop::quit);
    again.start();

    m_cupsd.setProcessChannelMode(QProcess::MergedChannels);
    m_cupsd.start(program, {QStringLiteral("-f"), QStringLiteral("-c"), m_folder.filePath(QStringLiteral("conf/cupsd.conf")),
                            QStringLiteral("-s"), m_folder.filePath(QStringLiteral("conf/cups-files.conf"))});
    const QDeadlineTimer deadline(60000);
    while (!answers()) {
        if (m_cupsd.state() == QProcess::NotRunning) {
            *why = QStringLiteral("cupsd ended: ") + QString::fromUtf8(m_cupsd.readAll()) + errorLog();
            return false;
        }
        if (deadline.hasExpired()) {
            *why = QStringLiteral("cupsd did not answer on ") + m_socket + QStringLiteral(": ") + errorLog();
            return false;
        }
        loop.exec();
    }
    cupsSetServer(m_socket.toUtf8().constData());
    return true;
}
