#pragma once

#include <vendacons_export.h>

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QMutex>
#include <QString>

#include <memory>
#include <optional>

// The print spooler the non-fiscal printers and the production-printer failover use: the
// installed printers, their queues, cancelling a job and one raw text job. The CUPS spooler
// is the process default; the stand-in host and the tests install the file spooler, whose
// printers are files of the site. Every answer says failure explicitly; nothing throws.

// Job states as the failover compares them: bits combined into one value, compared whole.
namespace JobStatus {
inline constexpr quint32 Paused = 0x1;
inline constexpr quint32 Error = 0x2;
inline constexpr quint32 Deleting = 0x4;
inline constexpr quint32 Spooling = 0x8;
inline constexpr quint32 Printing = 0x10;
inline constexpr quint32 Retained = 0x2000;
// Held while still being written (9), being cancelled while written (12), and kept after an
// error in print (8210): the three values the failover treats apart.
inline constexpr quint32 PausedSpooling = Paused | Spooling;
inline constexpr quint32 DeletingSpooling = Deleting | Spooling;
inline constexpr quint32 RetainedPrintingError = Retained | Printing | Error;
} // namespace JobStatus

struct SpoolPrinter
{
    QString name;      // the queue name jobs are sent to
    QString shareName; // the name the printer is shared under (the queue name where none)
};

struct SpoolJob
{
    quint32 id = 0;
    QString documentName;
    quint32 status = 0;
    QDateTime submitted; // in UTC; invalid when the spooler did not say
};

struct SpoolAnswer
{
    bool ok = false;
    QString failure;
    static SpoolAnswer done() { return {true, {}}; }
    static SpoolAnswer failed(const QString &why) { return {false, why}; }
};

class VENDACONS_EXPORT Spooler
{
public:
    virtual ~Spooler();

    // The installed printers, in the spooler's order; empty with `failure` set when the
    // spooler could not be asked.
    virtual QList<SpoolPrinter> printers(QString *failure) = 0;
    // The first `maximum` jobs of a queue in queue order; nullopt (and `failure`) when the
    // queue could not be listed.
    virtual std::optional<QList<SpoolJob>> jobs(const QString &printer, int maximum, QString *failure) = 0;
    virtual SpoolAnswer cancel(const QString &printer, quint32 id) = 0;
    // Whether the printer prints now (not stopped, taking jobs): a job sent to a printer that
    // is down only waits in its queue.
    virtual bool ready(const QString &printer, QString *failure) = 0;
    // One raw document holding `data` whole; ok only when the spooler confirmed every step.
    virtual SpoolAnswer printRaw(const QString &printer, const QString &documentName, const QByteArray &data) = 0;
    // Connects a network printer given by a share address ("\\HOST\SHARE"); a failure says
    // why (a local queue for another host needs an administrator on this system).
    virtual SpoolAnswer addConnection(const QString &address) = 0;
    // The data a queued job holds, when the spooler lets this process read it.
    virtual std::optional<QByteArray> jobData(const QString &printer, quint32 id) = 0;

    // The process's spooler (CUPS unless another was installed). Shared, so a failover run
    // keeps the one it started with while the host installs another.
    static std::shared_ptr<Spooler> current();
    static void setCurrent(std::shared_ptr<Spooler> spooler);
};

// The system's CUPS spooler (libcups, on the default server).
VENDACONS_EXPORT std::shared_ptr<Spooler> makeCupsSpooler();

// Printers as files of a folder: "<printer>.txt" receives what a printer printed. The file
// "estado.txt" of the folder says, one "PRINTER=STATE" a line ("#" starts a comment), which
// printers are installed and up ("LIGADA"), down ("PARADA": jobs stay queued in
// "fila/<printer>/") or gone ("AUSENTE": not installed); a printer that printed once is
// installed as well. A
// printer that is up again prints its queue, oldest first, before anything new. The
// submission time and status of a queued job are kept with it; times come from Clock.
class VENDACONS_EXPORT FileSpooler : public Spooler
{
public:
    explicit FileSpooler(const QString &folder);

    QList<SpoolPrinter> printers(QString *failure) override;
    std::optional<QList<SpoolJob>> jobs(const QString &printer, int maximum, QString *failure) override;
    SpoolAnswer cancel(const QString &printer, quint32 id) override;
    bool ready(const QString &printer, QString *failure) override;
    SpoolAnswer printRaw(const QString &printer, const QString &documentName, const QByteArray &data) override;
    SpoolAnswer addConnection(const QString &address) override;
    std::optional<QByteArray> jobData(const QString &printer, quint32 id) override;

    // Puts a job in a printer's queue as it stands (a stuck or held job), whatever the
    // printer's state; answers its id, 0 when it could not be written.
    quint32 queue(const QString &printer, const QString &documentName, const QByteArray &data,
                  const QDateTime &submitted, quint32 status = 0);
    // Marks a printer up ("LIGADA", or "" for no line), down ("PARADA") or gone ("AUSENTE").
    bool setState(const QString &printer, const QString &state);
    // The file a printer prints into.
    QString outputOf(const QString &printer) const;
    // The name a printer's files carry: anything but letters, digits, "-" and "_" becomes "_".
    static QString fileName(const QString &printer);

private:
    QString stateOf(const QString &printer) const;
    QString queueFolder(const QString &printer) const;
    SpoolAnswer append(const QString &printer, const QByteArray &data);
    void drain(const QString &printer);

    QString m_folder;
    QMutex m_lock;
};
