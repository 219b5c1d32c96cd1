#include "spooler.h"

#include <QFile>
#include <QMutexLocker>
#include <QTimeZone>

#include <cups/cups.h>

namespace {

QString lastError(const QString &what)
{
    return QStringLiteral("%1: %2").arg(what, QString::fromUtf8(cupsLastErrorString()));
}

// CUPS states carried into the job status the failover compares. A held job is one that is
// paused while it waits (9); a stopped job is one the printer kept after an error (8210).
// CUPS has no state for a job half cancelled while still written (12): a cancelled job is
// no longer listed at all.
quint32 statusOf(ipp_jstate_t state)
{
    switch (state) {
    case IPP_JSTATE_HELD:
        return JobStatus::PausedSpooling;
    case IPP_JSTATE_PROCESSING:
        return JobStatus::Printing;
    case IPP_JSTATE_STOPPED:
        return JobStatus::RetainedPrintingError;
    default:
        return 0;
    }
}

class CupsSpooler : public Spooler
{
public:
    QList<SpoolPrinter> printers(QString *failure) override
    {
        cups_dest_t *dests = nullptr;
        const int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
        QList<SpoolPrinter> printers;
        if (count <= 0 && cupsLastError() > IPP_STATUS_OK_EVENTS_COMPLETE && failure)
            *failure = lastError(QStringLiteral("Impressoras do CUPS"));
        for (int i = 0; i < count; ++i) {
            if (dests[i].instance)
                continue; // an instance is the same queue with other options
            const QString name = QString::fromUtf8(dests[i].name);
            // A queue is shared under its own name.
            printers.append({name, name});
        }
        cupsFreeDests(count, dests);
        return printers;
    }

    std::optional<QList<SpoolJob>> jobs(const QString &printer, int maximum, QString *failure) override
    {
        cups_job_t *list = nullptr;
        const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &list, printer.toUtf8().constData(), 0, CUPS_WHICHJOBS_ACTIVE);
        if (count < 0) {
            if (failure)
                *failure = lastError(QStringLiteral("Fila %1").arg(printer));
            return std::nullopt;
        }
        QList<SpoolJob> jobs;
        for (int i = 0; i < count && jobs.size() < maximum; ++i) {
            SpoolJob job;
            job.id = quint32(list[i].id);
            job.documentName = QString::fromUtf8(list[i].title ? list[i].title : "");
            job.status = statusOf(list[i].state);
            if (list[i].creation_time > 0)
                job.submitted = QDateTime::fromSecsSinceEpoch(qint64(list[i].creation_time), Qt::UTC);
            jobs.append(job);
        }
        cupsFreeJobs(count, list);
        return jobs;
    }

    SpoolAnswer cancel(const QString &printer, quint32 id) override
    {
        if (cupsCancelJob2(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), int(id), 0) != IPP_STATUS_OK)
            return SpoolAnswer::failed(lastError(QStringLiteral("Trabalho %1 de %2").arg(id).arg(printer)));
        return SpoolAnswer::done();
    }

    bool ready(const QString &printer, QString *failure) override
    {
        cups_dest_t *dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, printer.toUtf8().constData(), nullptr);
        if (!dest) {
            if (failure)
                *failure = lastError(QStringLiteral("Impressora %1").arg(printer));
            return false;
        }
        const char *state = cupsGetOption("printer-state", dest->num_options, dest->options);
        const char *accepting = cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
        const bool stopped = state && QByteArray(state).toInt() == IPP_PSTATE_STOPPED;
        const bool refusing = accepting && QByteArray(accepting) == "false";
        cupsFreeDests(1, dest);
        if ((stopped || refusing) && failure)
            *failure = QStringLiteral("Impressora %1 parada").arg(printer);
        return !stopped && !refusing;
    }

    SpoolAnswer printRaw(const QString &printer, const QString &documentName, const QByteArray &data) override
    {
        const QByteArray queue = printer.toUtf8();
        const QByteArray title = documentName.toUtf8();
        const int job = cupsCreateJob(CUPS_HTTP_DEFAULT, queue.constData(), title.constData(), 0, nullptr);
        if (job <= 0)
            return SpoolAnswer::failed(lastError(QStringLiteral("Fila %1").arg(printer)));
        bool sent = cupsStartDocument(CUPS_HTTP_DEFAULT, queue.constData(), job, title.constData(), CUPS_FORMAT_RAW, 1)
                    == HTTP_STATUS_CONTINUE;
        QString failure = sent ? QString() : lastError(QStringLiteral("Fila %1").arg(printer));
        if (sent && cupsWriteRequestData(CUPS_HTTP_DEFAULT, data.constData(), size_t(data.size())) != HTTP_STATUS_CONTINUE) {
            sent = false;
            failure = lastError(QStringLiteral("Fila %1").arg(printer));
        }
        // Finished even after a failed write: the request must be closed before the cancel.
        const bool finished = cupsFinishDocument(CUPS_HTTP_DEFAULT, queue.constData()) == IPP_STATUS_OK;
        if (sent && !finished)
            failure = lastError(QStringLiteral("Fila %1").arg(printer));
        if (sent && finished)
            return SpoolAnswer::done();
        // A job left half-written would print garbage or hold the queue.
        cupsCancelJob2(CUPS_HTTP_DEFAULT, queue.constData(), job, 0);
        return SpoolAnswer::failed(failure);
    }

    SpoolAnswer addConnection(const QString &address) override
    {
        return SpoolAnswer::failed(
            QStringLiteral("Impressora de rede %1: uma fila para outra máquina só é criada pelo administrador (lpadmin)")
                .arg(address));
    }

    std::optional<QByteArray> jobData(const QString &, quint32 id) override
    {
        // The scheduler keeps a job's data as "d<id>-001" while the job is kept; only root and
        // the lp group may read it, so this mostly answers nothing and the saved copy serves.
        QFile file(QStringLiteral("/var/spool/cups/d%1-001").arg(id, 5, 10, QLatin1Char('0')));
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        return file.readAll();
    }
};

QMutex &currentLock()
{
    static QMutex lock;
    return lock;
}

std::shared_ptr<Spooler> &currentSpooler()
{
    static std::shared_ptr<Spooler> spooler;
    return spooler;
}

} // namespace

Spooler::~Spooler() = default;

std::shared_ptr<Spooler> Spooler::current()
{
    QMutexLocker locker(&currentLock());
    if (!currentSpooler())
        currentSpooler() = makeCupsSpooler();
    return currentSpooler();
}

void Spooler::setCurrent(std::shared_ptr<Spooler> spooler)
{
    QMutexLocker locker(&currentLock());
    currentSpooler() = std::move(spooler);
}

std::shared_ptr<Spooler> makeCupsSpooler()
{
    return std::make_shared<CupsSpooler>();
}
