#include "differential.h"

#include "hostprogram.h"

#include <support/golden.h>

#include <runtime/cdsfile.h>
#include <runtime/datapacket.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QUuid>

#include <algorithm>

namespace Differential {

namespace {

// Raised whenever what a capture holds or how it is normalised changes: kept captures of an
// older harness are not used.
constexpr int CaptureVersion = 18;
constexpr int RunLimitMs = 300000;
constexpr int PollMs = 50;
constexpr int PartLimit = 60; // lines of a diff a failure report shows
// The outcome of a scenario whose every check held.
const QString Concluded = QStringLiteral("concluído");

const QString BaseFile = QStringLiteral("Dados/VendaCons.db");

SiteWatch &siteWatch()
{
    static SiteWatch watch;
    return watch;
}

void tellWatch(int index, const QString &site, bool ended)
{
    if (siteWatch())
        siteWatch()(index, site, ended);
}

// Counters of the host's own devices and running numbers: "sequences aside".
const QStringList LeftOutFiles{
    QStringLiteral("Dados/ImpressoraFiscal/estado.txt"),
};
const QStringList LeftOutTables{QStringLiteral("NOVOCODIGO")};

// Columns whose values are drawn from a running number (sale, tab, coupon, document, movement):
// within one capture each distinct value becomes #1, #2, ... in order.
const QStringList DrawnColumns{
    "NRSEQVENDA",     "NRVENDAREST",     "NRCOMANDA",       "NRCOMANDAVND",  "NRCOMANDAEXT",   "NRCUPOMFIS",
    "NRCOODOCNFIS",   "NRCDCDOCNFIS",    "NRGNFDOCNFIS",    "NRGRGDOCNFIS",  "NRSEQECFDOCNF",  "NRNOTAFISCALCE",
    "NRACESSONFCE",   "NRACESSOCANC",    "NRPROTOCOLONFCE", "NRPROTOCOLOCANC", "NRRECIBONFCE", "NRLANCTONFCE",
    "NRVENDAEXT",     "NRSEQMOVEXT",     "NRSEQUMOVI",      "NRSEQMOVCLI",   "NRSEQMOVCAIXA",  "NRDEPOSICONS",
    "NRPEDIDOQUB",    "NRSEQCAIXADOCNF", "NRSEQUENCIAL",    "CDNSUTEFMOB",   "CDNSUHOSTTEF",   "NRSEQIMPRLOJA",
};
// Drawn from a counter that starts again when it reaches its end: after a long run a later sale
// may hold a smaller one, so its values are not put in order but all set aside.
const QStringList CyclingColumns{QStringLiteral("CDSENHAPED")};

struct SiteState
{
    QMap<QString, QByteArray> files;  // relative path -> bytes, the base file included
    QMap<QString, QStringList> rows;  // table -> rows as "COLUMN=value|..."
    QMap<QString, QStringList> names; // table -> its columns, in order
};

QString relativePath(const QDir &root, const QString &path)
{
    return root.relativeFilePath(path);
}

QMap<QString, QByteArray> filesOf(const QString &site)
{
    QMap<QString, QByteArray> files;
    const QDir root(site);
    QDirIterator it(site, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            files.insert(relativePath(root, path), file.readAll());
    }
    return files;
}

QString textOf(const QVariant &value)
{
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'f', 4);
    return value.toString();
}

// `work` on a connection of its own to the site's base, closed after it.
bool withBase(const QString &site, const std::function<bool(QSqlDatabase &)> &work)
{
    const QString connection = QStringLiteral("differential-") + QUuid::createUuid().toString(QUuid::Id128);
    bool ok = false;
    {
        QSqlDatabase base = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        base.setDatabaseName(QDir(site).filePath(BaseFile));
        ok = base.open() && work(base);
    }
    QSqlDatabase::removeDatabase(connection);
    return ok;
}

void readBase(const QString &site, SiteState &state)
{
    withBase(site, [&state](QSqlDatabase &base) {
        QStringList tables;
        QSqlQuery list(base);
        list.exec(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"));
        while (list.next())
            tables << list.value(0).toString();
        for (const QString &table : tables) {
            if (LeftOutTables.contains(table, Qt::CaseInsensitive))
                continue;
            QSqlQuery query(base);
            if (!query.exec(QStringLiteral("SELECT * FROM \"%1\"").arg(table)))
                continue;
            QStringList columns;
            for (int i = 0; i < query.record().count(); ++i)
                columns << query.record().fieldName(i).toUpper();
            state.names.insert(table, columns);
            QStringList &rows = state.rows[table];
            while (query.next()) {
                QStringList cells;
                for (int i = 0; i < columns.size(); ++i)
                    cells << textOf(query.value(i));
                rows << cells.join(QChar(0x1f));
            }
            rows.sort();
        }
        return true;
    });
}

SiteState readSite(const QString &site)
{
    SiteState state;
    state.files = filesOf(site);
    readBase(site, state);
    return state;
}

// Every file as `saved` holds it, in place (the running till keeps its base open: the bytes
// change under it, the file stays); files it did not have are taken away.
void restore(const QString &site, const SiteState &saved)
{
    const QDir root(site);
    for (const QString &path : filesOf(site).keys()) {
        if (!saved.files.contains(path))
            QFile::remove(root.filePath(path));
    }
    for (auto it = saved.files.cbegin(); it != saved.files.cend(); ++it) {
        QFile file(root.filePath(it.key()));
        QDir().mkpath(QFileInfo(file).absolutePath());
        QByteArray now;
        if (file.open(QIODevice::ReadOnly)) {
            now = file.readAll();
            file.close();
        }
        if (now == it.value() && file.exists())
            continue;
        if (file.open(QIODevice::ReadWrite)) {
            file.write(it.value());
            file.resize(it.value().size());
            file.close();
        }
    }
}

// Dates, times and the 44-digit document keys (which hold the date and the number) out of a text.
QString normalised(QString text)
{
    static const QList<std::pair<QRegularExpression, QString>> rules{
        {QRegularExpression(QStringLiteral("\\d{44}")), QStringLiteral("<chave>")},
        {QRegularExpression(QStringLiteral("[0-9a-fA-F]{8}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{4}-[0-9a-fA-F]{12}")),
         QStringLiteral("<id>")},
        {QRegularExpression(QStringLiteral("<hEmi>\\d+</hEmi>")), QStringLiteral("<hEmi><hora></hEmi>")},
        // The SAT's signature of a document (it signs the time too).
        {QRegularExpression(QStringLiteral("[A-Za-z0-9+/]{43}=")), QStringLiteral("<assinatura>")},
        // The same signature in the receipt's QR text, broken over two lines of the paper.
        {QRegularExpression(QStringLiteral("\\|\\|?(?=[A-Za-z0-9+/]*[A-Za-z+/])[A-Za-z0-9+/]{1,43}$")),
         QStringLiteral("|<assinatura>")},
        {QRegularExpression(QStringLiteral("^([-+~] )[A-Za-z0-9+/]{1,43}=$")), QStringLiteral("\\1<assinatura>")},
        // Its first part when the QR text's line before it ended with the value's "|": a whole
        // line of it, mixed-case as a signature is (the document key's line is digits but "CFe").
        {QRegularExpression(QStringLiteral("^([-+~] )(?=(?:[^a-z]*[a-z]){3})(?=(?:[^A-Z]*[A-Z]){3})[A-Za-z0-9+/]{30,43}$")),
         QStringLiteral("\\1<assinatura>")},
        {QRegularExpression(QStringLiteral("\\d{4}-\\d{2}-\\d{2}[T ]\\d{2}:\\d{2}(:\\d{2}(\\.\\d+)?)?([+-]\\d{2}:?\\d{2}|Z)?")),
         QStringLiteral("<data-hora>")},
        {QRegularExpression(QStringLiteral("\\d{2}/\\d{2}/\\d{4}( \\d{2}:\\d{2}(:\\d{2})?)?")), QStringLiteral("<data>")},
        {QRegularExpression(QStringLiteral("\\d{4}-\\d{2}-\\d{2}")), QStringLiteral("<data>")},
        {QRegularExpression(QStringLiteral("\\b20\\d{6}(\\d{6})?\\b")), QStringLiteral("<data>")},
        {QRegularExpression(QStringLiteral("\\b\\d{12}(?=PD_)")), QStringLiteral("<data>")},
        {QRegularExpression(QStringLiteral("\\b\\d{2}:\\d{2}(:\\d{2}(\\.\\d+)?)?\\b")), QStringLiteral("<hora>")},
        // The recovery journal's header names the file it follows by its bytes and its place on
        // disk (inode, size, time), which no two runs share.
        {QRegularExpression(QStringLiteral("^([-+~] )?VCJ1 [0-9a-f]{40} \\d+:\\d+:[\\d.]+ ")),
         QStringLiteral("\\1VCJ1 <arquivo> ")},
        // A journal record's checksum covers its row, times included.
        {QRegularExpression(QStringLiteral("^([-+~] )?[0-9a-f]{16} (?=\\S+ <ROW )")), QStringLiteral("\\1<soma> ")},
        // A data packet's date-time: 20261211T18:44:10552.
        {QRegularExpression(QStringLiteral("\"20\\d{6}T\\d{2}:\\d{2}:\\d{5}\"")), QStringLiteral("\"<data-hora>\"")},
        // Each site has its partners' stand-ins on a port of its own.
        {QRegularExpression(QStringLiteral("(127\\.0\\.0\\.1|localhost):\\d+")), QStringLiteral("\\1:<porta>")},
        // The fiscal printer's grand total adds up every sale it ever printed: a device counter.
        // Its width moves the padding before it.
        {QRegularExpression(QStringLiteral("(GRANDE TOTAL) +[\\d.]+,\\d{2}")), QStringLiteral("\\1 <total>")},
    };
    for (const auto &[pattern, replacement] : rules)
        text.replace(pattern, replacement);
    return text;
}

QStringList linesOf(const QByteArray &bytes)
{
    QString text = QString::fromUtf8(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

QStringList cdsRows(const QByteArray &bytes)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("f.cds"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(bytes);
    file.close();
    DataPacket packet;
    QString error;
    if (!CdsFile::load(path, &packet, &error))
        return {QStringLiteral("(ilegível: %1)").arg(error)};
    QStringList rows;
    for (const QList<Variant> &row : packet.rows) {
        QStringList cells;
        for (int i = 0; i < row.size() && i < packet.fields.size(); ++i)
            cells << packet.fields.at(i).name + QLatin1Char('=') + row.at(i).toString();
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

// A document's or the log's running numbers: zero-padded numbers of six digits or more (sale,
// coupon, card transaction); codes of five digits and amounts stay.
QString withoutRunningNumbers(QString text)
{
    static const QRegularExpression padded(QStringLiteral("\\b0\\d{5,}\\b"));
    static const QRegularExpression password(QStringLiteral("(SENHA:? *)\\d+"),
                                             QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression ticket(QStringLiteral("(PD_\\d+_\\d+_)\\d+"));
    return text.replace(padded, QStringLiteral("<n>"))
        .replace(password, QStringLiteral("\\1<n>"))
        .replace(ticket, QStringLiteral("\\1<n>"));
}

// What a file gained: the lines after what it held before when it only grew, else the lines
// it lost and the lines it gained.
QStringList fileChange(const QString &path, const QByteArray &before, const QByteArray &after, bool existed, bool exists)
{
    if (!exists)
        return {QStringLiteral("(apagado)")};
    // A picture (the document's QR code) holds the key and the time: that it changed is enough.
    if (after.contains('\0'))
        return {existed ? QStringLiteral("(binário, mudou)") : QStringLiteral("(binário, novo)")};
    const bool table = path.endsWith(QLatin1String(".cds"), Qt::CaseInsensitive);
    const QStringList old = table ? (existed ? cdsRows(before) : QStringList()) : linesOf(before);
    const QStringList now = table ? cdsRows(after) : linesOf(after);
    QStringList change;
    if (!existed)
        change << QStringLiteral("(novo)");
    if (!table && after.startsWith(before)) {
        for (qsizetype i = old.size(); i < now.size(); ++i)
            change << QStringLiteral("+ ") + now.at(i);
        // A last line completed by the growth shows whole.
        if (!old.isEmpty() && !before.endsWith('\n') && old.size() <= now.size() && now.at(old.size() - 1) != old.last())
            change.insert(existed ? 0 : 1, QStringLiteral("~ ") + now.at(old.size() - 1));
        return change;
    }
    QStringList gone = old;
    QStringList added;
    for (const QString &line : now) {
        const qsizetype at = gone.indexOf(line);
        if (at >= 0)
            gone.removeAt(at);
        else
            added << line;
    }
    for (const QString &line : gone)
        change << QStringLiteral("- ") + line;
    for (const QString &line : added)
        change << QStringLiteral("+ ") + line;
    return change;
}

// Drawn numbers in the order of their values (shorter first, as zero-padded numbers and plain
// ones both compare so), not of the rows' text: "10" comes after "9" as the sequence drew it.
bool drawnBefore(const QString &a, const QString &b)
{
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

struct TableRows
{
    QStringList columns;
    QStringList gone;
    QStringList added;
};

TableRows rowsChanged(const QStringList &columns, const QStringList &before, const QStringList &after)
{
    TableRows rows{columns, {}, {}};
    std::set_difference(before.cbegin(), before.cend(), after.cbegin(), after.cend(), std::back_inserter(rows.gone));
    std::set_difference(after.cbegin(), after.cend(), before.cbegin(), before.cend(), std::back_inserter(rows.added));
    return rows;
}

// Every drawn value of the changed rows of every table becomes #1, #2, ... per column, in the
// order of the values.
void nameDrawnValues(const QList<TableRows> &tables, QMap<QString, QMap<QString, QString>> &drawn)
{
    QMap<QString, QStringList> values;
    for (const TableRows &table : tables)
        for (const QStringList *rows : {&table.gone, &table.added})
            for (const QString &row : *rows) {
                const QStringList cells = row.split(QChar(0x1f));
                for (int i = 0; i < cells.size() && i < table.columns.size(); ++i)
                    if (!cells.at(i).isEmpty() && DrawnColumns.contains(table.columns.at(i)))
                        values[table.columns.at(i)] << cells.at(i);
            }
    for (auto it = values.begin(); it != values.end(); ++it) {
        QStringList &found = it.value();
        found.removeDuplicates();
        std::sort(found.begin(), found.end(), drawnBefore);
        QMap<QString, QString> &names = drawn[it.key()];
        for (const QString &value : found)
            if (!names.contains(value))
                names.insert(value, QStringLiteral("#%1").arg(names.size() + 1));
    }
}

// The rows a table gained ("+") and lost ("-"); an updated row is both, drawn numbers named.
QStringList tableChange(const TableRows &rows, const QMap<QString, QMap<QString, QString>> &drawn)
{
    const QStringList &columns = rows.columns;
    const auto show = [&](const QString &row, const QString &sign) {
        const QStringList cells = row.split(QChar(0x1f));
        QStringList shown;
        for (int i = 0; i < cells.size() && i < columns.size(); ++i) {
            QString value = cells.at(i);
            if (value.isEmpty())
                continue;
            if (DrawnColumns.contains(columns.at(i)))
                value = drawn.value(columns.at(i)).value(value, value);
            else if (CyclingColumns.contains(columns.at(i)))
                value = QStringLiteral("<senha>");
            shown << columns.at(i) + QLatin1Char('=') + normalised(value);
        }
        return sign + shown.join(QLatin1Char('|'));
    };
    QStringList change;
    for (const QString &row : rows.gone)
        change << show(row, QStringLiteral("- "));
    for (const QString &row : rows.added)
        change << show(row, QStringLiteral("+ "));
    std::sort(change.begin(), change.end());
    return change;
}

// The access log's lines are tab-separated; the restaurant sale and its tab are drawn from the
// shared next-number service, whose count goes on from one sale to the next (sequences aside).
const QString AccessLogFiles = QStringLiteral("Dados/Log/ControleAcesso-");
constexpr int AccessLogSaleField = 9; // then the tab, nrComanda
const QStringList AccessLogDrawnNames{QStringLiteral("NRVENDAREST"), QStringLiteral("NRCOMANDA")};

QString withDrawnAccessNumbers(const QString &line, QMap<QString, QMap<QString, QString>> &drawn)
{
    const qsizetype start = line.indexOf(QLatin1Char(' ')) + 1; // after the "+ " or "- " of the change
    QStringList fields = line.mid(start).split(QLatin1Char('\t'));
    for (int i = 0; i < AccessLogDrawnNames.size(); ++i) {
        const int at = AccessLogSaleField + i;
        if (at >= fields.size() || fields.at(at).isEmpty())
            continue;
        QMap<QString, QString> &names = drawn[QStringLiteral("log ") + AccessLogDrawnNames.at(i)];
        if (!names.contains(fields.at(at)))
            names.insert(fields.at(at), QStringLiteral("#%1").arg(names.size() + 1));
        fields[at] = names.value(fields.at(at));
    }
    return line.left(start) + fields.join(QLatin1Char('\t'));
}

Capture captureBetween(const SiteState &before, const SiteState &after)
{
    QMap<QString, QMap<QString, QString>> drawn;
    Capture capture;
    QStringList paths = before.files.keys() + after.files.keys();
    paths.removeDuplicates();
    paths.sort();
    for (const QString &path : paths) {
        if (path == BaseFile || path.startsWith(BaseFile) || LeftOutFiles.contains(path))
            continue;
        const bool existed = before.files.contains(path);
        const bool exists = after.files.contains(path);
        if (existed && exists && before.files.value(path) == after.files.value(path))
            continue;
        QStringList change = fileChange(path, before.files.value(path), after.files.value(path), existed, exists);
        const bool accessLog = path.startsWith(AccessLogFiles);
        for (QString &line : change) {
            if (accessLog && (line.startsWith(QLatin1String("+ ")) || line.startsWith(QLatin1String("- "))))
                line = withDrawnAccessNumbers(line, drawn);
            line = withoutRunningNumbers(normalised(line));
        }
        capture.parts.insert(QStringLiteral("arquivo ") + withoutRunningNumbers(normalised(path)), change);
    }
    QMap<QString, TableRows> tables;
    for (auto it = after.rows.cbegin(); it != after.rows.cend(); ++it) {
        const QStringList old = before.rows.value(it.key());
        if (old != it.value())
            tables.insert(it.key(), rowsChanged(after.names.value(it.key()), old, it.value()));
    }
    nameDrawnValues(tables.values(), drawn);
    for (auto it = tables.cbegin(); it != tables.cend(); ++it)
        capture.parts.insert(QStringLiteral("tabela ") + it.key(), tableChange(it.value(), drawn));
    return capture;
}

// The host's log lines of one scenario, without the harness's own steps and with the
// scenario's script lines counted from its own first line.
QStringList logOf(const QStringList &lines, int firstLine, int lastLine)
{
    static const QRegularExpression waitLine(QStringLiteral("roteiro, linha \\d+: wait \\d+$"));
    static const QRegularExpression stepLine(
        QStringLiteral("(roteiro(?:, linha| FALHOU na linha| FALHOU: a tela de venda fechou antes da linha) )(\\d+)"));
    // A failed script ends the host run by closing the screen from outside: no closing road
    // chose the keyword the screen then hands back, which is the last one any road left.
    static const QRegularExpression keywordAfterFailure(QStringLiteral("(devolveu )\"[^\"]*\"$"));
    bool failed = false;
    QStringList log;
    for (QString line : lines) {
        if (line.contains(QLatin1String("roteiro FALHOU")))
            failed = true;
        if (failed)
            line.replace(keywordAfterFailure, QStringLiteral("\\1<palavra de saída da última estrada>"));
        // The harness's marks, the checks' echo and the waits (whose place among the
        // messages of work still running is a matter of timing).
        if (line.contains(QLatin1String(": sync ")) || line.contains(QLatin1String("roteiro: ")))
            continue;
        if (waitLine.match(line).hasMatch())
            continue;
        const QRegularExpressionMatch match = stepLine.match(line);
        if (match.hasMatch() && (match.captured(2).toInt() < firstLine || match.captured(2).toInt() > lastLine))
            continue; // the harness's own steps around the scenario
        if (match.hasMatch())
            line.replace(match.capturedStart(2), match.capturedLength(2),
                         QString::number(match.captured(2).toInt() - firstLine + 1));
        log << withoutRunningNumbers(normalised(line));
    }
    return log;
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString scriptsFolder()
{
    return QStringLiteral(VENDACONS_SOURCE_DIR "/host/scripts/");
}

void writeFaults(const QString &site, const Scenario &scenario)
{
    for (auto it = scenario.faults.cbegin(); it != scenario.faults.cend(); ++it) {
        const QString path = QDir(site).filePath(it.key());
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(it.value());
    }
}

// The scenario's fault files as the site had them when the screen came up.
void liftFaults(const QString &site, const Scenario &scenario, const SiteState &start)
{
    for (auto it = scenario.faults.cbegin(); it != scenario.faults.cend(); ++it) {
        const QString path = QDir(site).filePath(it.key());
        if (!start.files.contains(it.key())) {
            QFile::remove(path);
            continue;
        }
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(start.files.value(it.key()));
    }
}

// One block of the combined script: where it starts in the combined text and what it is.
struct Block
{
    int scenario = -1;
    int firstLine = 0; // of the scenario's own text in the combined script
    int lastLine = 0;
};

struct Segment
{
    QList<const Scenario *> chain; // chain.first() may be a predecessor played without checks
    bool firstIsPredecessor = false;
};

// Plays one host run over `chain` on a fresh site of `desk`; fills `captures` from `offset`
// and answers the index (in `chain`) of the scenario that ended the run, or -1.
int playRun(Desk desk, const Segment &segment, const SiteSetup &setup, QList<Capture> &captures, int offset,
            QString &output)
{
    QTemporaryDir work;
    const QString site = work.filePath(QStringLiteral("site"));
    if (!runHost({"--init-site", site, "--till", tillName(desk)}, work.path(), output))
        return -2;
    if (setup.apply && !setup.apply(site)) {
        output += QStringLiteral("\n(the site could not be set up: %1)\n").arg(setup.name);
        return -2;
    }
    const QString marks = work.filePath(QStringLiteral("marcas"));
    QStringList script;
    QList<Block> blocks;
    const auto add = [&script](const QString &text) { script += text.split(QLatin1Char('\n')); };
    add(QStringLiteral("wait-form"));
    for (int i = 0; i < segment.chain.size(); ++i) {
        const Scenario &scenario = *segment.chain.at(i);
        if (i > 0)
            add(QStringLiteral("wait-form"));
        add(QStringLiteral("sync %1/%2").arg(marks).arg(2 * i));
        if (scenario.site.name != setup.name && !setup.answers.isEmpty())
            add(setup.answers);
        const QString text = readText(scriptsFolder() + scenario.script);
        Block block;
        block.scenario = i;
        block.firstLine = int(script.size()) + 1;
        add(i == 0 && segment.firstIsPredecessor ? withoutChecks(text) : text);
        block.lastLine = int(script.size());
        blocks << block;
        // What it left is read before the cashier frees the till for the next one.
        add(QStringLiteral("sync %1/%2").arg(marks).arg(2 * i + 1));
        if (i + 1 < segment.chain.size() && !scenario.handOver.isEmpty())
            add(scenario.handOver);
    }
    const QString scriptPath = work.filePath(QStringLiteral("roteiro.txt"));
    {
        QFile file(scriptPath);
        if (!file.open(QIODevice::WriteOnly))
            return -2;
        file.write(script.join(QLatin1Char('\n')).toUtf8());
    }

    QProcess host;
    host.setProcessEnvironment(hostEnvironment());
    host.setWorkingDirectory(work.path());
    host.setProcessChannelMode(QProcess::MergedChannels);
    host.start(hostProgram(), {"--site", site, "--script", scriptPath});

    SiteState start;
    SiteState before;
    // Sync 2i comes before scenario i plays, sync 2i + 1 right after it.
    const int marksCount = 2 * int(segment.chain.size());
    int next = 0; // the sync awaited
    QElapsedTimer clock;
    clock.start();
    const auto reached = [&](int mark) {
        const int index = mark / 2;
        if (mark % 2 == 1) {
            Capture &capture = captures[offset + index];
            capture = captureBetween(before, readSite(site));
            capture.outcome = Concluded;
            tellWatch(offset + index, site, true);
            // The fault is mended before the cashier frees the till for the next customer.
            liftFaults(site, *segment.chain.at(index), start);
        } else {
            if (index == 0)
                start = readSite(site);
            else
                restore(site, start);
            const Scenario &scenario = *segment.chain.at(index);
            writeFaults(site, scenario);
            if (scenario.prepare && !scenario.prepare(site))
                output += QStringLiteral("\n(%1 could not be prepared)\n").arg(scenario.name);
            before = readSite(site);
            tellWatch(offset + index, site, false);
        }
        QFile::remove(QStringLiteral("%1/%2").arg(marks).arg(mark));
    };
    while (!host.waitForFinished(PollMs)) {
        if (next < marksCount && QFileInfo::exists(QStringLiteral("%1/%2").arg(marks).arg(next)))
            reached(next++);
        if (clock.elapsed() > RunLimitMs) {
            host.kill();
            host.waitForFinished();
            break;
        }
    }
    // The run's own folders are not part of what the till did.
    const QString text = QString::fromUtf8(host.readAll()).replace(work.path(), QStringLiteral("<pasta>"));
    output += text;
    const QStringList lines = text.split(QLatin1Char('\n'));

    // The log of each scenario: the lines between its two syncs.
    QList<QStringList> logs(segment.chain.size());
    int current = -1;
    static const QRegularExpression syncLine(QStringLiteral("roteiro, linha \\d+: sync .*/(\\d+)$"));
    for (const QString &line : lines) {
        const QRegularExpressionMatch match = syncLine.match(line.trimmed());
        if (match.hasMatch()) {
            const int mark = match.captured(1).toInt();
            current = mark % 2 == 0 ? mark / 2 : -1;
            continue;
        }
        if (current >= 0 && current < logs.size())
            logs[current] << line;
    }
    for (int i = 0; i < segment.chain.size() && 2 * i + 1 < next; ++i)
        captures[offset + i].log = logOf(logs.at(i), blocks.at(i).firstLine, blocks.at(i).lastLine);

    if (next == marksCount)
        return -1;
    if (next == 0)
        return -2;
    // The run ended after a scenario had ended (in its hand-over): the run is taken up again from it.
    if (next % 2 == 0)
        return next / 2 - 1;
    // The run ended inside a scenario: what it left up to there, and why.
    const int ended = next / 2;
    Capture &capture = captures[offset + ended];
    capture = captureBetween(before, readSite(site));
    capture.log = logOf(logs.at(ended), blocks.at(ended).firstLine, blocks.at(ended).lastLine);
    static const QRegularExpression failed(QStringLiteral("roteiro FALHOU na linha (\\d+).*"));
    tellWatch(offset + ended, site, true);
    capture.outcome = QStringLiteral("o host terminou sem concluir o roteiro");
    for (const QString &line : capture.log) {
        const QRegularExpressionMatch match = failed.match(line);
        if (match.hasMatch())
            capture.outcome = match.captured(0);
    }
    return ended;
}

QString cacheKey(Desk desk, const Scenario &scenario, const SiteSetup &setup)
{
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(QByteArray::number(CaptureVersion));
    const QDir programs(QCoreApplication::applicationDirPath());
    for (const QString &name : programs.entryList({"vendacons-host", "libvendacons*"}, QDir::Files)) {
        const QFileInfo info(programs.filePath(name));
        hash.addData(name.toUtf8());
        hash.addData(QByteArray::number(info.size()));
        hash.addData(QByteArray::number(info.lastModified().toMSecsSinceEpoch()));
    }
    hash.addData(tillName(desk).toUtf8());
    hash.addData(setup.name.toUtf8());
    hash.addData(setup.answers.toUtf8());
    hash.addData(scenario.name.toUtf8());
    hash.addData(readText(scriptsFolder() + scenario.script).toUtf8());
    for (auto it = scenario.faults.cbegin(); it != scenario.faults.cend(); ++it)
        hash.addData(it.key().toUtf8() + '=' + it.value());
    return QString::fromLatin1(hash.result().toHex());
}

const QString PartMark = QStringLiteral("§§ ");

Capture parsed(const QStringList &lines)
{
    Capture capture;
    QStringList *into = &capture.log;
    for (const QString &line : lines) {
        if (line.startsWith(PartMark + QStringLiteral("desfecho: ")))
            capture.outcome = line.mid(PartMark.size() + 10);
        else if (line == PartMark + QStringLiteral("registro"))
            into = &capture.log;
        else if (line.startsWith(PartMark))
            into = &capture.parts[line.mid(PartMark.size())];
        else
            *into << line;
    }
    return capture;
}

} // namespace

QString tillName(Desk desk)
{
    switch (desk) {
    case Desk::Ecf:
        return QStringLiteral("ecf");
    case Desk::Nfce:
        return QStringLiteral("nfce");
    case Desk::Sat:
        return QStringLiteral("sat");
    case Desk::Nf:
        return QStringLiteral("nf");
    }
    return QString();
}

QStringList Capture::lines() const
{
    QStringList lines{PartMark + QStringLiteral("desfecho: ") + outcome, PartMark + QStringLiteral("registro")};
    lines += log;
    for (auto it = parts.cbegin(); it != parts.cend(); ++it) {
        lines << PartMark + it.key();
        lines += it.value();
    }
    return lines;
}

QString differences(const Capture &fresh, const Capture &after)
{
    const QStringList expected = fresh.lines();
    const QStringList actual = after.lines();
    if (expected == actual)
        return QString();
    QStringList diff = unifiedDiff(expected, actual, QStringLiteral("sozinho"), QStringLiteral("depois"))
                           .split(QLatin1Char('\n'));
    if (diff.size() > PartLimit) {
        const qsizetype left = diff.size() - PartLimit;
        diff = diff.mid(0, PartLimit);
        diff << QStringLiteral("... (mais %1 linhas)").arg(left);
    }
    return diff.join(QLatin1Char('\n'));
}

QString withoutChecks(const QString &script)
{
    QStringList lines = script.split(QLatin1Char('\n'));
    for (QString &line : lines) {
        const QString step = line.trimmed();
        if (step.startsWith(QLatin1String("expect ")) || step.startsWith(QLatin1String("expect-row ")))
            line = QStringLiteral("# ") + line; // keeps the line numbers of the steps after it
    }
    return lines.join(QLatin1Char('\n'));
}

bool Capture::endedAsWritten() const
{
    return outcome == Concluded;
}

Played play(Desk desk, const QList<const Scenario *> &chain, const SiteSetup &setup)
{
    Played played;
    played.captures.resize(chain.size());
    Segment segment;
    segment.chain = chain;
    int offset = 0;
    while (true) {
        // A predecessor played again keeps the capture of its own run.
        const Capture kept = played.captures.at(offset);
        const int ended = playRun(desk, segment, setup, played.captures, offset, played.output);
        if (segment.firstIsPredecessor)
            played.captures[offset] = kept;
        if (ended == -2)
            return played;
        played.started = true;
        if (ended < 0 || ended + 1 >= segment.chain.size())
            break;
        if (segment.firstIsPredecessor && ended == 0) {
            // It ends the host run even without its checks: nothing can follow it. The next
            // one starts a run of its own.
            played.endedTheRun << offset;
            offset += 1;
            segment.chain = segment.chain.mid(1);
            segment.firstIsPredecessor = false;
            if (segment.chain.isEmpty())
                break;
            continue;
        }
        // Taken up again in a new run from the scenario that ended this one, without its checks.
        offset += ended;
        segment.chain = segment.chain.mid(ended);
        segment.firstIsPredecessor = true;
    }
    return played;
}

Capture fresh(Desk desk, const Scenario &scenario, const SiteSetup &setup)
{
    const QDir cache(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("differential-cache")));
    QDir().mkpath(cache.path());
    const QString key = cacheKey(desk, scenario, setup);
    QLockFile lock(cache.filePath(key + QStringLiteral(".lock")));
    lock.setStaleLockTime(0);
    lock.lock();
    const QString path = cache.filePath(key + QStringLiteral(".txt"));
    QFile kept(path);
    if (kept.open(QIODevice::ReadOnly))
        return parsed(QString::fromUtf8(kept.readAll()).split(QLatin1Char('\n')));
    const Played played = play(desk, {&scenario}, setup);
    const Capture capture = played.captures.value(0);
    if (played.started && capture.played()) {
        QFile out(path + QStringLiteral(".tmp"));
        if (out.open(QIODevice::WriteOnly)) {
            out.write(capture.lines().join(QLatin1Char('\n')).toUtf8());
            out.close();
            QFile::remove(path);
            out.rename(path);
        }
    }
    return capture;
}

void watchSites(SiteWatch watch)
{
    siteWatch() = std::move(watch);
}

bool execute(const QString &site, const QStringList &statements)
{
    return withBase(site, [&statements](QSqlDatabase &base) {
        for (const QString &statement : statements) {
            QSqlQuery query(base);
            if (!query.exec(statement))
                return false;
        }
        return true;
    });
}

QList<int> everyPairOnce(int count)
{
    if (count <= 0)
        return {};
    QList<int> nextTarget(count, 0);
    QList<int> stack{0};
    QList<int> walk;
    while (!stack.isEmpty()) {
        const int node = stack.last();
        if (nextTarget[node] < count) {
            stack << nextTarget[node]++;
        } else {
            walk << node;
            stack.removeLast();
        }
    }
    std::reverse(walk.begin(), walk.end());
    return walk;
}

} // namespace Differential
