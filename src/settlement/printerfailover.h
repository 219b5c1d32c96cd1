#pragma once

#include <outside/spooler.h>

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>

class SaleContext;
class QTimer;

// One row of the backup-printer map (cdsImpBackup), copied out of the dataset so that a run
// on the worker thread never reads the dataset the start-up replaces.
struct BackupPrinterRow
{
    QString NRSEQIMPRLOJA;
    QString DSENDPORTA;
    QString DSENDPORTABK;
    QString IDMODEIMPRESBK;
};

// The production-printer failover: watches the queues of the printers that have a backup,
// prints a ticket of this till that has waited too long again on the backup printer (from its
// saved text) and removes it, and removes the jobs of other tills that stay too long. One
// object serves one run; it holds no printer of the process, only the queue names it found.
class PrinterFailover
{
public:
    PrinterFailover(std::shared_ptr<Spooler> spooler, const QString &cdCaixa);

    // One watch run over `map` at the moment `now`, without a thread: the worker calls it
    // under the lock, the tests call it directly.
    void runOnce(const QList<BackupPrinterRow> &map, const QDateTime &now);

    // The installed printer that answers to an address (a queue name, or a share path
    // "\\HOST\SHARE" of this machine); empty when none does, after trying to connect it.
    QString GetPrinterShare(const QString &address, bool retry);
    // Prints `text` as one raw job; true only when the spooler confirmed it.
    bool SendSpool(const QString &address, const QString &documentName, const QString &text);
    // The text of a stuck job fitted to the backup printer: from the saved ticket text, else
    // from the job's own data; empty when neither can be read.
    QString GetTextBakup(const QString &documentName, const QString &jobId, const QString &model);
    static QString FormatLineTextBakup(const QString &line, const QString &model);
    // A line of the daily log of non-fiscal printing failures; a failure to log is swallowed.
    static void LogErroImpNaoFiscal(const QString &text);
    static QString GetHost();
    // The first IPv4 address of this machine that is not a loopback one ("127.0.0.1" when
    // there is none): the "127.0.1.1" of a Debian hosts file names no printer share.
    static QString GetIpAddress();

    // The folder of the saved ticket texts.
    static QString backupFolder();

private:
    void serveRow(const BackupPrinterRow &row, const QDateTime &now);
    void serveOwnJob(const BackupPrinterRow &row, const QString &printer, const SpoolJob &job,
                     const QDateTime &now);
    void serveOtherJob(const QString &printer, const SpoolJob &job, const QDateTime &now);
    bool isOwnJob(const QString &documentName, const QString &sequence) const;
    void logOnce(const QString &key, const QString &text);

    std::shared_ptr<Spooler> m_spooler;
    QString m_cdCaixa;
    QString m_ownAddress;
    QString m_ownHost;
    QString m_jobPrinter; // the queue of the job whose text is being recovered
};

// The failover worker of a sale form: one run at a time on a thread of its own, started by
// the timer's tick over a copy of the map; the timer is switched off for the run and on again
// at its end, always on the GUI thread.
class FailoverWorker
{
public:
    explicit FailoverWorker(SaleContext &context);
    ~FailoverWorker(); // waits for a run in progress
    FailoverWorker(const FailoverWorker &) = delete;
    FailoverWorker &operator=(const FailoverWorker &) = delete;

    void tick(QTimer *timer);
    // Waits for a run in progress to end (tests, and the form's end).
    void wait();

private:
    struct Run;
    SaleContext &m_context;
    std::shared_ptr<Run> m_run;
};
