// Production tickets: one job per production printer, each saved under the name the printer
// failover looks for before it goes to the spooler.
#include "nonfiscal.h"

#include <host/program/hostlog.h>

#include <runtime/cdsfile.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QSaveFile>

#include <algorithm>
#include <atomic>

namespace NonFiscal {

namespace {

constexpr int Width = 40;

QString textOf(const DataPacket &packet, int row, const char *field)
{
    const Variant value = packet.value(row, QString::fromLatin1(field));
    return value.isBlank() ? QString() : value.toString().trimmed();
}

QString keyOf(const QString &port)
{
    return port.trimmed().toUpper();
}

// One printer a ticket goes to, with the address of its backup map row.
struct Destination
{
    QString port;
    QString address;
};

QList<Destination> destinationsOf(const DataPacket &tickets, int row)
{
    QList<Destination> found{{textOf(tickets, row, "CDPORIMPPROD"), textOf(tickets, row, "DSENDPORTA")}};
    if (textOf(tickets, row, "IDIMPRODUVEZ") == QLatin1String("S"))
        return found;
    const Destination others[] = {{textOf(tickets, row, "CDPORIMPPROD2"), textOf(tickets, row, "DSENDPORTA2")},
                                  {textOf(tickets, row, "PORTAPUXA"), textOf(tickets, row, "DSENDPORTAPUXA")}};
    for (const Destination &other : others) {
        const bool known = std::any_of(found.cbegin(), found.cend(), [&](const Destination &d) {
            return keyOf(d.port) == keyOf(other.port);
        });
        if (!other.port.isEmpty() && !known)
            found.append(other);
    }
    return found;
}

// The tickets in the order the order wrote them: numbered down from 999.
QList<int> writtenOrder(const DataPacket &tickets)
{
    QList<int> rows;
    for (int row = 0; row < tickets.rows.size(); ++row)
        rows.append(row);
    std::stable_sort(rows.begin(), rows.end(), [&tickets](int a, int b) {
        return tickets.value(a, QStringLiteral("NRSEQITEM")).toInt() > tickets.value(b, QStringLiteral("NRSEQITEM")).toInt();
    });
    return rows;
}

QString heading(const DataPacket &tickets, int row)
{
    QStringList lines{QString(Width, QLatin1Char('=')), QStringLiteral("PEDIDO")};
    auto add = [&](const char *label, const char *field) {
        const QString value = textOf(tickets, row, field);
        if (!value.isEmpty())
            lines << QString::fromLatin1(label) + value;
    };
    add("COMANDA: ", "DSCOMANDA");
    add("MESA: ", "NRMESA");
    add("SENHA: ", "SENHACUPOM");
    add("GARÇOM: ", "NMVENDEDOR");
    add("CONSUMIDOR: ", "NMCONSVEND");
    lines << PtBr::DateTimeToStr(Clock::now()) << QString(Width, QLatin1Char('-'));
    return lines.join(QLatin1Char('\n'));
}

QString ticketLines(const DataPacket &tickets, int row)
{
    QStringList lines{QStringLiteral("%1 x %2").arg(PtBr::FloatToStr(tickets.value(row, QStringLiteral("QTPRODCOMVEN")).toDouble()),
                                                     textOf(tickets, row, "NMPRODUTO"))};
    const QString parent = textOf(tickets, row, "NOMEPRODPAI");
    if (!parent.isEmpty() && parent != textOf(tickets, row, "NMPRODUTO"))
        lines << QStringLiteral("  (") + parent + QLatin1Char(')');
    const QString note = textOf(tickets, row, "DSOBSERVACAO");
    if (!note.isEmpty())
        lines << QStringLiteral("  OBS: ") + note;
    const QString parentNote = textOf(tickets, row, "DSOBSPRODPAI");
    if (!parentNote.isEmpty())
        lines << QStringLiteral("  OBS: ") + parentNote;
    return lines.join(QLatin1Char('\n'));
}

QString parameterOf(const DataPacket &parameters, const char *field)
{
    return parameters.rows.isEmpty() ? QString() : textOf(parameters, 0, field);
}

bool saveBackup(const ProductionJob &job)
{
    const QString folder = backupFolder();
    QSaveFile file(QDir(folder).filePath(job.documentName));
    const bool saved = QDir().mkpath(folder) && file.open(QIODevice::WriteOnly)
                       && file.write(job.text.toUtf8()) >= 0 && file.commit();
    if (!saved)
        HostLog::write(QStringLiteral("ERRO cópia do pedido \"%1\" não guardada em %2: %3")
                           .arg(job.documentName, folder, file.errorString()));
    return saved;
}

std::atomic<int> jobSerial{0};

} // namespace

TillSpool TillSpool::forSite()
{
    TillSpool till;
    DataPacket parameters;
    if (CdsFile::load(SitePaths::resolve(QStringLiteral("PARAMETROSQUB.CDS")), &parameters)) {
        till.cdCaixa = parameterOf(parameters, "CDCAIXA");
        till.ticketsWithReceipt = parameterOf(parameters, "IDIMPPEDPROD") != QLatin1String("S");
    }
    DataPacket map;
    if (CdsFile::load(SitePaths::resolve(QStringLiteral("Dados\\IMPBACKUP\\cdsImpBackup.cds")), &map)) {
        for (int row = 0; row < map.rows.size(); ++row)
            till.sequenceOfAddress.insert(keyOf(textOf(map, row, "DSENDPORTA")), textOf(map, row, "NRSEQIMPRLOJA"));
    }
    return till;
}

QString TillSpool::sequenceOf(const QString &address) const
{
    return address.trimmed().isEmpty() ? QString() : sequenceOfAddress.value(keyOf(address));
}

QString documentName(const QDateTime &when, const QString &printerSequence, const QString &cdCaixa, int serial)
{
    const QString sequence = printerSequence.isEmpty() ? QStringLiteral("00000") : printerSequence;
    const QString desk = cdCaixa.isEmpty() ? QStringLiteral("000") : cdCaixa;
    return QStringLiteral("%1PD_%2_%3_%4.txt")
        .arg(when.toString(QStringLiteral("yyMMddHHmmss")), sequence, desk)
        .arg(serial, 4, 10, QLatin1Char('0'));
}

QList<ProductionJob> productionJobs(const DataPacket &tickets, const TillSpool &till)
{
    QList<ProductionJob> jobs;
    QHash<QString, QStringList> bodies;
    for (int row : writtenOrder(tickets)) {
        for (const Destination &destination : destinationsOf(tickets, row)) {
            const QString key = keyOf(destination.port);
            if (!bodies.contains(key)) {
                jobs.append({destination.port, destination.address, QString(), heading(tickets, row)});
                bodies.insert(key, {});
            }
            auto job = std::find_if(jobs.begin(), jobs.end(), [&](const ProductionJob &j) { return keyOf(j.port) == key; });
            if (job->address.isEmpty())
                job->address = destination.address;
            bodies[key] << ticketLines(tickets, row);
        }
    }
    const QDateTime now = Clock::now();
    for (ProductionJob &job : jobs) {
        job.text += QLatin1Char('\n') + bodies.value(keyOf(job.port)).join(QLatin1Char('\n')) + QLatin1Char('\n')
                    + QString(Width, QLatin1Char('=')) + QStringLiteral("\n\n");
        job.documentName = documentName(now, till.sequenceOf(job.address), till.cdCaixa, ++jobSerial);
    }
    return jobs;
}

QString backupFolder()
{
    return SitePaths::resolve(QStringLiteral("DADOS\\IMPBACKUP"));
}

HostResult printProductionJobs(const QList<ProductionJob> &jobs)
{
    QStringList failed;
    for (const ProductionJob &job : jobs) {
        // Saved before it is sent: the failover re-prints a stuck job from this copy.
        saveBackup(job);
        const HostResult printed = printText(job.port, job.documentName, job.text);
        if (!printed.ok)
            failed << QStringLiteral("%1 (%2)").arg(job.port.isEmpty() ? QStringLiteral("padrao") : job.port, printed.failure);
    }
    if (failed.isEmpty())
        return HostResult::done();
    return {false, QStringLiteral("Pedido não impresso em: ") + failed.join(QStringLiteral("; "))};
}

} // namespace NonFiscal
