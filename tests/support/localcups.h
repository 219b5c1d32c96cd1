#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

// A CUPS scheduler of the test's own, so the CUPS adapter is tried on a real one wherever the
// tests run (as root in CI or as a developer): cupsd in the foreground with its configuration,
// spool and logs in a temporary folder, listening on a local socket there only, with one raw
// queue that prints into a file of that folder. The queue is stopped but accepts jobs, so a job
// sent stays listed until it is cancelled. While it runs, the CUPS client of the thread
// that started it talks to it instead of the machine's scheduler.
class LocalCups
{
public:
    LocalCups();
    ~LocalCups();
    LocalCups(const LocalCups &) = delete;
    LocalCups &operator=(const LocalCups &) = delete;

    // Starts the scheduler and waits until it answers. False, with the reason, when cupsd is
    // not installed or does not come up.
    bool start(QString *why);

    static QString queue() { return QStringLiteral("vendacons-teste"); }

private:
    QString deviceFile() const;
    bool writeConfiguration(QString *why);
    bool answers() const;
    QString errorLog() const;

    QTemporaryDir m_folder;
    QString m_socket;
    QProcess m_cupsd;
};
