#include "printerfailover.h"

#include <outside/consiste.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QSet>

namespace {

constexpr int MaximumJobs = 50;
constexpr qint64 OwnJobOldMs = 30 * 1000;
constexpr qint64 OtherJobOldMs = 10 * 60 * 1000;

// What the process has already said once, and the jobs printed on a backup whose removal
// from the queue failed: those must not be printed a second time by a later run.
struct RunMemory
{
    QMutex lock;
    QSet<QString> logged;
    QSet<QString> printedNotRemoved;
};

RunMemory &memory()
{
    static RunMemory instance;
    return instance;
}

QString jobKey(const QString &printer, const SpoolJob &job)
{
    return printer.toUpper() + QLatin1Char('#') + QString::number(job.id) + QLatin1Char('#') + job.documentName;
}

// A share address with a backslash after its first character is a host and a share: it
// gets the leading "\\" of a network path.
QString lookupAddress(const QString &address)
{
    QString upper = address.toUpper();
    if (!upper.startsWith(QLatin1String("\\\\")) && upper.indexOf(QLatin1Char('\\')) >= 1)
        upper.prepend(QLatin1String("\\\\"));
    return upper;
}

} // namespace

PrinterFailover::PrinterFailover(std::shared_ptr<Spooler> spooler, const QString &cdCaixa)
    : m_spooler(std::move(spooler)), m_cdCaixa(cdCaixa)
{
    m_ownAddress = QStringLiteral("\\\\") + GetIpAddress();
    m_ownHost = QStringLiteral("\\\\") + GetHost();
}

QString PrinterFailover::backupFolder()
{
    return SitePaths::resolve(QStringLiteral("DADOS\\IMPBACKUP"));
}

void PrinterFailover::runOnce(const QList<BackupPrinterRow> &map, const QDateTime &now)
{
    // Every row is served: a printer that cannot be found holds back only its own queue.
    for (const BackupPrinterRow &row : map)
        serveRow(row, now);
}

void PrinterFailover::serveRow(const BackupPrinterRow &row, const QDateTime &now)
{
    const QString printer = GetPrinterShare(row.DSENDPORTA, false);
    if (printer.isEmpty()) {
        logOnce(QStringLiteral("printer:") + row.DSENDPORTA.toUpper(),
                QStringLiteral("Impressora %1 não encontrada: sua fila não foi verificada").arg(row.DSENDPORTA));
        return;
    }
    QString failure;
    const auto jobs = m_spooler->jobs(printer, MaximumJobs, &failure);
    if (!jobs) {
        logOnce(QStringLiteral("queue:") + printer.toUpper(),
                QStringLiteral("Fila de %1 não lida: %2").arg(row.DSENDPORTA, failure));
        return;
    }
    for (const SpoolJob &job : *jobs) {
        if (isOwnJob(job.documentName, row.NRSEQIMPRLOJA))
            serveOwnJob(row, printer, job, now);
        else
            serveOtherJob(printer, job, now);
    }
}

bool PrinterFailover::isOwnJob(const QString &name, const QString &sequence) const
{
    const bool ofPrinter = name.contains(QLatin1Char('_') + sequence + QLatin1Char('_'))
                           || name.indexOf(QLatin1String("_00000_")) == 14;
    const bool ofTill = name.contains(m_cdCaixa + QLatin1Char('_')) || name.startsWith(QLatin1String("000_"));
    return ofPrinter && ofTill;
}

void PrinterFailover::serveOwnJob(const BackupPrinterRow &row, const QString &printer, const SpoolJob &job,
                                  const QDateTime &now)
{
    if (job.status == JobStatus::DeletingSpooling || job.status == JobStatus::PausedSpooling)
        return;
    const QString key = jobKey(printer, job);
    if (!job.submitted.isValid()) {
        // Without its age the job can be neither judged stuck nor removed: reprinting it at
        // every run would flood the backup printer.
        logOnce(QStringLiteral("age:") + key,
                QStringLiteral("Documento %1 em %2 sem hora de envio: não reimpresso").arg(job.documentName, row.DSENDPORTA));
        return;
    }
    if (job.submitted.msecsTo(now) <= OwnJobOldMs)
        return;
    const bool alreadyPrinted = [&] {
        QMutexLocker locker(&memory().lock);
        return memory().printedNotRemoved.contains(key);
    }();
    if (!alreadyPrinted) {
        m_jobPrinter = printer;
        const QString text = GetTextBakup(job.documentName, QString::number(job.id), row.IDMODEIMPRESBK);
        if (Consiste::EmptyString(text)) {
            // The queue holds the ticket's only copy: it stays for its own printer.
            logOnce(QStringLiteral("text:") + key,
                    QStringLiteral("Documento %1 em %2 sem texto guardado: fica na fila").arg(job.documentName, row.DSENDPORTA));
            return;
        }
        LogErroImpNaoFiscal(QStringLiteral("Falha no documento ") + job.documentName + QLatin1Char(' ') + row.DSENDPORTA
                            + QStringLiteral(" enviando para ") + row.DSENDPORTABK);
        // A ticket the backup did not take stays queued with its saved text for the next run,
        // so it is never lost on both printers.
        if (!SendSpool(row.DSENDPORTABK, job.documentName, text))
            return;
    }
    const SpoolAnswer removed = m_spooler->cancel(printer, job.id);
    QMutexLocker locker(&memory().lock);
    if (!removed.ok) {
        memory().printedNotRemoved.insert(key);
        locker.unlock();
        logOnce(QStringLiteral("cancel:") + key, QStringLiteral("Documento %1 impresso em %2 e não retirado da fila: %3")
                                                     .arg(job.documentName, row.DSENDPORTABK, removed.failure));
        return;
    }
    memory().printedNotRemoved.remove(key);
    locker.unlock();
    QFile::remove(QDir(backupFolder()).filePath(job.documentName));
}

void PrinterFailover::serveOtherJob(const QString &printer, const SpoolJob &job, const QDateTime &now)
{
    const bool failed = job.status == JobStatus::RetainedPrintingError;
    const bool stale = job.submitted.isValid() && job.submitted.msecsTo(now) > OtherJobOldMs;
    if (!failed && !stale)
        return;
    const SpoolAnswer removed = m_spooler->cancel(printer, job.id);
    if (!removed.ok)
        logOnce(QStringLiteral("cancel:") + jobKey(printer, job),
                QStringLiteral("Documento %1 de %2 não retirado da fila: %3").arg(job.documentName, printer, removed.failure));
}

QString PrinterFailover::GetPrinterShare(const QString &address, bool retry)
{
    const QString wanted = lookupAddress(address);
    QString failure;
    const QList<SpoolPrinter> printers = m_spooler->printers(&failure);
    const QString local = QStringLiteral("\\\\127.0.0.1\\");
    for (const SpoolPrinter &printer : printers) {
        const QStringList candidates{printer.shareName, local + printer.shareName,
                                     m_ownAddress + QLatin1Char('\\') + printer.shareName,
                                     m_ownHost + QLatin1Char('\\') + printer.shareName,
                                     printer.name, local + printer.name,
                                     m_ownAddress + QLatin1Char('\\') + printer.name,
                                     m_ownHost + QLatin1Char('\\') + printer.name};
        for (const QString &candidate : candidates) {
            if (!printer.name.isEmpty() && candidate.toUpper() == wanted)
                return printer.name;
        }
    }
    if (retry)
        return QString();
    const SpoolAnswer connected = m_spooler->addConnection(wanted);
    if (!connected.ok)
        logOnce(QStringLiteral("connect:") + wanted, connected.failure);
    return GetPrinterShare(wanted, true);
}

bool PrinterFailover::SendSpool(const QString &address, const QString &documentName, const QString &text)
{
    if (Consiste::EmptyString(text))
        return false;
    QString path = address;
    path.replace(QLatin1Char('/'), QLatin1Char('\\'));
    if (!path.startsWith(QLatin1String("\\\\")) && path.contains(QLatin1Char('\\')))
        path.prepend(QLatin1String("\\\\"));
    const QString printer = GetPrinterShare(path, false);
    if (printer.isEmpty())
        return false;
    // A job left in the queue of a backup that is down would print there later as well.
    QString failure;
    if (!m_spooler->ready(printer, &failure)) {
        LogErroImpNaoFiscal(QStringLiteral("Documento %1 não impresso em %2: %3").arg(documentName, address, failure));
        return false;
    }
    const SpoolAnswer printed = m_spooler->printRaw(printer, documentName, text.toUtf8());
    if (!printed.ok)
        LogErroImpNaoFiscal(QStringLiteral("Documento %1 não impresso em %2: %3").arg(documentName, address, printed.failure));
    return printed.ok;
}

QString PrinterFailover::GetTextBakup(const QString &documentName, const QString &jobId, const QString &model)
{
    QByteArray source;
    QFile saved(QDir(backupFolder()).filePath(documentName));
    if (saved.exists()) {
        if (!saved.open(QIODevice::ReadOnly)) {
            LogErroImpNaoFiscal(QStringLiteral("Texto de %1 não lido: %2").arg(documentName, saved.errorString()));
            return QString();
        }
        source = saved.readAll();
    } else if (auto data = m_spooler->jobData(m_jobPrinter, jobId.toUInt())) {
        source = *data;
    } else {
        return QString();
    }
    QString text;
    QStringList lines = QString::fromUtf8(source).split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast(); // the line break of the last line ends it, it opens no other
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        text += FormatLineTextBakup(line, model) + QStringLiteral("\r\n");
    }
    return text;
}

void PrinterFailover::logOnce(const QString &key, const QString &text)
{
    // Once per site: the same log that would have shown it.
    const QString siteKey = SitePaths::home() + QLatin1Char('|') + key;
    {
        QMutexLocker locker(&memory().lock);
        if (memory().logged.contains(siteKey))
            return;
        memory().logged.insert(siteKey);
    }
    LogErroImpNaoFiscal(text);
}
