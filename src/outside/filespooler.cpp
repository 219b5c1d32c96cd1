#include "spooler.h"

#include <runtime/clock.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>
#include <QSaveFile>

#include <algorithm>

namespace {

const QString Down = QStringLiteral("PARADA");
const QString Gone = QStringLiteral("AUSENTE");

QString stateFile(const QString &folder)
{
    return QDir(folder).filePath(QStringLiteral("estado.txt"));
}

QList<QPair<QString, QString>> readStates(const QString &folder)
{
    QList<QPair<QString, QString>> states;
    QFile file(stateFile(folder));
    if (!file.open(QIODevice::ReadOnly))
        return states;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('#')))
            continue;
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals > 0)
            states.append({line.left(equals).trimmed(), line.mid(equals + 1).trimmed().toUpper()});
    }
    return states;
}

bool writeFile(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    return QDir().mkpath(QFileInfo(path).absolutePath()) && file.open(QIODevice::WriteOnly)
           && file.write(data) == data.size() && file.commit();
}

struct StoredJob
{
    SpoolJob job;
    QByteArray data;
    QString path;
};

std::optional<StoredJob> readJob(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray all = file.readAll();
    const int end = all.indexOf("\n\n");
    if (end < 0)
        return std::nullopt;
    const QList<QByteArray> head = all.left(end).split('\n');
    if (head.size() < 3)
        return std::nullopt;
    StoredJob stored;
    stored.path = path;
    stored.job.id = QFileInfo(path).completeBaseName().toUInt();
    stored.job.documentName = QString::fromUtf8(head[0]);
    stored.job.submitted = QDateTime::fromString(QString::fromLatin1(head[1]), Qt::ISODate);
    stored.job.status = head[2].toUInt();
    stored.data = all.mid(end + 2);
    return stored;
}

QList<StoredJob> storedJobs(const QString &folder)
{
    QList<StoredJob> jobs;
    const QStringList names = QDir(folder).entryList({QStringLiteral("*.job")}, QDir::Files, QDir::Name);
    for (const QString &name : names) {
        if (auto job = readJob(QDir(folder).filePath(name)))
            jobs.append(*job);
    }
    return jobs;
}

} // namespace

FileSpooler::FileSpooler(const QString &folder) : m_folder(folder) {}

QString FileSpooler::fileName(const QString &printer)
{
    QString name = printer.trimmed().isEmpty() ? QStringLiteral("padrao") : printer.trimmed();
    for (QChar &c : name) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('_'))
            c = QLatin1Char('_');
    }
    return name;
}

QString FileSpooler::outputOf(const QString &printer) const
{
    // Printer names are matched without regard to case, as an existing file names it.
    const QString wanted = fileName(printer) + QStringLiteral(".txt");
    const QStringList present = QDir(m_folder).entryList({QStringLiteral("*.txt")}, QDir::Files);
    for (const QString &name : present) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0)
            return QDir(m_folder).filePath(name);
    }
    return QDir(m_folder).filePath(wanted);
}

QString FileSpooler::queueFolder(const QString &printer) const
{
    return QDir(m_folder).filePath(QStringLiteral("fila/") + fileName(printer).toUpper());
}

QString FileSpooler::stateOf(const QString &printer) const
{
    QString state;
    for (const auto &[name, value] : readStates(m_folder)) {
        if (fileName(name).compare(fileName(printer), Qt::CaseInsensitive) == 0)
            state = value;
    }
    return state;
}

bool FileSpooler::setState(const QString &printer, const QString &state)
{
    QMutexLocker locker(&m_lock);
    QByteArray text;
    QFile current(stateFile(m_folder));
    if (current.open(QIODevice::ReadOnly)) {
        // Comments and the other printers' lines stay as a person wrote them.
        for (const QByteArray &raw : current.readAll().split('\n')) {
            const QString line = QString::fromUtf8(raw).trimmed();
            const QString name = line.section(QLatin1Char('='), 0, 0).trimmed();
            if (line.isEmpty())
                continue;
            if (line.startsWith(QLatin1Char('#')) || fileName(name).compare(fileName(printer), Qt::CaseInsensitive) != 0)
                text += raw.trimmed() + '\n';
        }
        current.close();
    }
    if (!state.isEmpty())
        text += (printer + QLatin1Char('=') + state.toUpper() + QLatin1Char('\n')).toUtf8();
    return writeFile(stateFile(m_folder), text);
}

QList<SpoolPrinter> FileSpooler::printers(QString *failure)
{
    QMutexLocker locker(&m_lock);
    QStringList names;
    auto add = [&names](const QString &name) {
        const bool known = std::any_of(names.cbegin(), names.cend(), [&](const QString &n) {
            return n.compare(name, Qt::CaseInsensitive) == 0;
        });
        if (!known)
            names << name;
    };
    for (const QString &file : QDir(m_folder).entryList({QStringLiteral("*.txt")}, QDir::Files, QDir::Name)) {
        if (file.compare(QStringLiteral("estado.txt"), Qt::CaseInsensitive) != 0)
            add(QFileInfo(file).completeBaseName());
    }
    for (const QString &folder : QDir(m_folder + QStringLiteral("/fila")).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        add(folder);
    for (const auto &[name, value] : readStates(m_folder))
        add(fileName(name));
    QList<SpoolPrinter> printers;
    for (const QString &name : names) {
        if (stateOf(name) != Gone)
            printers.append({name, name});
    }
    return printers;
}

std::optional<QList<SpoolJob>> FileSpooler::jobs(const QString &printer, int maximum, QString *failure)
{
    QMutexLocker locker(&m_lock);
    if (stateOf(printer) == Gone) {
        if (failure)
            *failure = QStringLiteral("Impressora %1 não instalada").arg(printer);
        return std::nullopt;
    }
    drain(printer);
    QList<SpoolJob> jobs;
    for (const StoredJob &stored : storedJobs(queueFolder(printer))) {
        if (jobs.size() >= maximum)
            break;
        jobs.append(stored.job);
    }
    return jobs;
}

SpoolAnswer FileSpooler::cancel(const QString &printer, quint32 id)
{
    QMutexLocker locker(&m_lock);
    QFile job(QDir(queueFolder(printer)).filePath(QStringLiteral("%1.job").arg(id, 10, 10, QLatin1Char('0'))));
    if (!job.exists())
        return SpoolAnswer::failed(QStringLiteral("Trabalho %1 não está na fila de %2").arg(id).arg(printer));
    if (!job.remove())
        return SpoolAnswer::failed(QStringLiteral("Trabalho %1 de %2: %3").arg(id).arg(printer, job.errorString()));
    return SpoolAnswer::done();
}

bool FileSpooler::ready(const QString &printer, QString *failure)
{
    QMutexLocker locker(&m_lock);
    const QString state = stateOf(printer);
    const bool up = state != Down && state != Gone;
    if (!up && failure)
        *failure = QStringLiteral("Impressora %1 %2").arg(printer, state == Gone ? QStringLiteral("não instalada")
                                                                                  : QStringLiteral("parada"));
    return up;
}

SpoolAnswer FileSpooler::printRaw(const QString &printer, const QString &documentName, const QByteArray &data)
{
    const QString state = [&] {
        QMutexLocker locker(&m_lock);
        return stateOf(printer);
    }();
    if (state == Gone)
        return SpoolAnswer::failed(QStringLiteral("Impressora %1 não instalada").arg(printer));
    if (state == Down) {
        // A printer that is down keeps what it is sent, as a real queue does.
        return queue(printer, documentName, data, Clock::now().toUTC()) != 0
                   ? SpoolAnswer::done()
                   : SpoolAnswer::failed(QStringLiteral("Fila de %1 não gravada").arg(printer));
    }
    QMutexLocker locker(&m_lock);
    drain(printer);
    return append(printer, data);
}

SpoolAnswer FileSpooler::addConnection(const QString &address)
{
    return SpoolAnswer::failed(QStringLiteral("Impressora de rede %1 não instalada").arg(address));
}

std::optional<QByteArray> FileSpooler::jobData(const QString &printer, quint32 id)
{
    QMutexLocker locker(&m_lock);
    const auto stored = readJob(QDir(queueFolder(printer)).filePath(QStringLiteral("%1.job").arg(id, 10, 10, QLatin1Char('0'))));
    if (!stored)
        return std::nullopt;
    return stored->data;
}

quint32 FileSpooler::queue(const QString &printer, const QString &documentName, const QByteArray &data,
                           const QDateTime &submitted, quint32 status)
{
    QMutexLocker locker(&m_lock);
    const QString counter = QDir(m_folder).filePath(QStringLiteral("fila/proximo.txt"));
    QFile last(counter);
    quint32 id = 1;
    if (last.open(QIODevice::ReadOnly))
        id = last.readAll().trimmed().toUInt() + 1;
    last.close();
    if (!writeFile(counter, QByteArray::number(id)))
        return 0;
    const QByteArray head = documentName.toUtf8() + '\n'
                            + (submitted.isValid() ? submitted.toUTC().toString(Qt::ISODate).toLatin1() : QByteArray("-")) + '\n'
                            + QByteArray::number(status) + "\n\n";
    const QString path = QDir(queueFolder(printer)).filePath(QStringLiteral("%1.job").arg(id, 10, 10, QLatin1Char('0')));
    return writeFile(path, head + data) ? id : 0;
}

SpoolAnswer FileSpooler::append(const QString &printer, const QByteArray &data)
{
    const QString path = outputOf(printer);
    QFile file(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !file.open(QIODevice::WriteOnly | QIODevice::Append)
        || file.write(data) != data.size() || !file.flush())
        return SpoolAnswer::failed(QStringLiteral("Impressora %1: %2").arg(printer, file.errorString()));
    return SpoolAnswer::done();
}

void FileSpooler::drain(const QString &printer)
{
    const QString state = stateOf(printer);
    if (state == Down || state == Gone)
        return;
    for (const StoredJob &stored : storedJobs(queueFolder(printer))) {
        // Held, failed and cancelled jobs stay until someone acts on them; the others print in turn.
        if (stored.job.status & (JobStatus::Paused | JobStatus::Error | JobStatus::Deleting))
            continue;
        if (!append(printer, stored.data).ok)
            return;
        QFile::remove(stored.path);
    }
}
