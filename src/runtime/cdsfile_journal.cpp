#include "cdsfile.h"
#include "cdsfile_p.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The journal's form, all of it plain text:
//   VCJ1 <sha1 of the file's bytes> <the file on disk: inode:size:mtime> <digest of the fields>\n
//   #<rows of the file, 8 digits>\n
// then one record a row:
//   <digest, 16 hex> <payload length, 8 digits> <ROW .../>\n#<rows with this one, 8 digits>\n
// The digest covers the payload and the count after it. Every record ends with the row count,
// so the next append reads it from the journal's last ten bytes instead of the whole journal.
namespace CdsFile {

namespace {

const QByteArray magic = QByteArrayLiteral("VCJ1");
constexpr int countSize = 10;  // "#00000000\n"
constexpr int prefixSize = 26; // "<16 hex> <8 digits> "
constexpr int digestSize = 16;

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

QByteArray sha1(const QByteArray &bytes)
{
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex();
}

QByteArray countText(qsizetype rows)
{
    return '#' + QByteArray::number(rows).rightJustified(8, '0') + '\n';
}

// -1 when the ten bytes are not a count.
int countOf(const QByteArray &text)
{
    if (text.size() != countSize || text.front() != '#' || text.back() != '\n')
        return -1;
    bool ok = false;
    const int rows = text.mid(1, 8).toInt(&ok);
    return ok ? rows : -1;
}

QByteArray layoutDigest(const QList<FieldDef> &fields)
{
    QByteArray layout;
    for (const FieldDef &field : fields)
        layout += field.name.toUtf8() + ':' + QByteArray::number(int(field.type)) + ':'
            + QByteArray::number(field.size) + ';';
    return sha1(layout).left(digestSize);
}

// The file as it lies on the disk now: every rewrite renames a new file over it, which changes
// the inode; empty when it is missing.
QByteArray identity(const QString &fileName)
{
    struct stat info {};
    if (::stat(QFile::encodeName(fileName).constData(), &info) != 0)
        return {};
    return QByteArray::number(qulonglong(info.st_ino)) + ':' + QByteArray::number(qlonglong(info.st_size)) + ':'
        + QByteArray::number(qlonglong(info.st_mtim.tv_sec)) + '.' + QByteArray::number(qlonglong(info.st_mtim.tv_nsec));
}

struct Header
{
    QByteArray fileDigest;
    QByteArray fileIdentity;
    QByteArray layout;
};

bool parseHeader(const QByteArray &line, Header *header)
{
    const QList<QByteArray> parts = line.split(' ');
    if (parts.size() != 4 || parts.at(0) != magic)
        return false;
    *header = {parts.at(1), parts.at(2), parts.at(3)};
    return true;
}

QByteArray rowPayload(const QList<FieldDef> &fields, const QList<Variant> &row, int index, QString *error)
{
    QByteArray payload;
    QXmlStreamWriter xml(&payload);
    if (!detail::writeRow(xml, fields, detail::attributeNames(fields), row, index + 1, error))
        return {};
    xml.writeEndDocument(); // closes the ROW element
    return payload.trimmed();
}

bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + written, std::size_t(bytes.size() - written));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

bool readAt(int fd, qint64 offset, qsizetype size, QByteArray *bytes)
{
    bytes->resize(size);
    const ssize_t n = ::pread(fd, bytes->data(), std::size_t(size), offset);
    if (n < 0)
        return false;
    bytes->resize(n);
    return true;
}

class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

// Where the journal stands: which file it follows and how many rows that file has with it.
bool journalFollows(int fd, qint64 size, const QString &fileName, const QList<FieldDef> &fields, int *rows)
{
    QByteArray head;
    if (!readAt(fd, 0, 256, &head) || !head.contains('\n'))
        return false;
    Header header;
    if (!parseHeader(head.left(head.indexOf('\n')), &header) || header.layout != layoutDigest(fields))
        return false;
    const QByteArray now = identity(fileName);
    if (now.isEmpty() || header.fileIdentity != now)
        return false;
    QByteArray last;
    if (size < countSize || !readAt(fd, size - countSize, countSize, &last))
        return false;
    *rows = countOf(last);
    return *rows >= 0;
}

// ---- reading the records -------------------------------------------------------------------

enum class Step { Applied, End, Torn, Damaged };

// A disk may leave the blocks of an append it never finished as zeros: no record holds a NUL
// byte, so zeros from some point of the record on to the end are the remains of that append.
bool zerosToTheEnd(const QByteArray &journal, qsizetype from)
{
    const qsizetype nul = journal.indexOf('\0', from);
    return nul >= 0 && std::all_of(journal.begin() + nul, journal.end(), [](char c) { return c == '\0'; });
}

bool applyRow(const QByteArray &payload, DataPacket *packet, QString *error)
{
    QXmlStreamReader xml(payload);
    if (!xml.readNextStartElement() || xml.name() != QLatin1String("ROW"))
        return fail(error, QStringLiteral("registro sem ROW"));
    QList<Variant> row;
    if (!detail::readRow(xml.attributes(), packet->fields, detail::attributeNames(packet->fields), &row, error))
        return false;
    packet->rows.append(row);
    return true;
}

// One record at `pos`. A record cut by the end of the journal, one that fails where the
// journal ends, or one that ends in zeros, is the append a stop interrupted; anything else that
// does not hold is damage.
Step nextRecord(const QByteArray &journal, qsizetype *pos, DataPacket *packet, QString *reason)
{
    const qsizetype at = *pos;
    if (at == journal.size())
        return Step::End;
    const bool tornTail = zerosToTheEnd(journal, at);
    const auto bad = [&](qsizetype end, const QString &what) {
        if (tornTail || end >= journal.size())
            return Step::Torn;
        *reason = what.arg(at);
        return Step::Damaged;
    };
    if (journal.size() - at < prefixSize)
        return Step::Torn;
    const QByteArray digest = journal.mid(at, digestSize);
    const bool spaced = journal.at(at + digestSize) == ' ' && journal.at(at + prefixSize - 1) == ' ';
    bool ok = false;
    const qsizetype length = journal.mid(at + digestSize + 1, 8).toLongLong(&ok);
    if (!spaced || !ok || length < 0)
        return bad(at + prefixSize, QStringLiteral("registro ilegível na posição %1"));
    const qsizetype end = at + prefixSize + length + 1 + countSize;
    if (end > journal.size())
        return Step::Torn;
    const QByteArray payload = journal.mid(at + prefixSize, length);
    const QByteArray count = journal.mid(end - countSize, countSize);
    if (journal.at(at + prefixSize + length) != '\n' || sha1(payload + count).left(digestSize) != digest)
        return bad(end, QStringLiteral("registro danificado na posição %1"));
    if (countOf(count) != packet->rows.size() + 1) {
        *reason = QStringLiteral("registro fora de ordem na posição %1").arg(at);
        return Step::Damaged;
    }
    QString why;
    if (!applyRow(payload, packet, &why)) {
        *reason = QStringLiteral("registro na posição %1: %2").arg(at).arg(why);
        return Step::Damaged;
    }
    *pos = end;
    return Step::Applied;
}

QByteArray readWhole(const QString &fileName, bool *ok)
{
    QFile file(fileName);
    *ok = file.open(QIODevice::ReadOnly);
    return *ok ? file.readAll() : QByteArray();
}

} // namespace

QString journalName(const QString &fileName)
{
    return fileName + QStringLiteral(".jnl");
}

bool saveJournaled(const QString &fileName, const DataPacket &packet, QString *error)
{
    QByteArray bytes;
    QString reason;
    if (!write(packet, &bytes, &reason))
        return fail(error, QStringLiteral("Arquivo \"%1\" não gravado: %2").arg(fileName, reason));
    if (!detail::saveBytes(fileName, bytes, error))
        return false;
    // The file holds every row now, so a journal that cannot be started costs nothing but the
    // next row's speed: it is deleted, and the next append finds none and writes the file whole.
    const QByteArray header = magic + ' ' + sha1(bytes) + ' ' + identity(fileName) + ' '
        + layoutDigest(packet.fields) + '\n' + countText(packet.rows.size());
    if (!detail::saveBytes(journalName(fileName), header, &reason))
        QFile::remove(journalName(fileName));
    return true;
}

bool appendRow(const QString &fileName, const QList<FieldDef> &fields, int index, const QList<Variant> &row,
               QString *error)
{
    const QString journal = journalName(fileName);
    const Descriptor fd(::open(QFile::encodeName(journal).constData(), O_RDWR | O_APPEND | O_CLOEXEC));
    if (fd.get() < 0)
        return fail(error, QStringLiteral("Diário \"%1\" ausente").arg(journal));
    struct stat info {};
    int rows = -1;
    if (::fstat(fd.get(), &info) != 0 || !journalFollows(fd.get(), info.st_size, fileName, fields, &rows))
        return fail(error, QStringLiteral("Diário \"%1\" não acompanha o arquivo").arg(journal));
    if (rows != index)
        return fail(error, QStringLiteral("Diário \"%1\" tem %2 linhas, não %3").arg(journal).arg(rows).arg(index));
    const QByteArray payload = rowPayload(fields, row, index, error);
    if (payload.isEmpty())
        return false;
    const QByteArray count = countText(index + 1);
    const QByteArray record = sha1(payload + count).left(digestSize) + ' '
        + QByteArray::number(payload.size()).rightJustified(8, '0') + ' ' + payload + '\n' + count;
    if (!writeAll(fd.get(), record) || ::fdatasync(fd.get()) != 0) {
        const QString why = QString::fromLocal8Bit(strerror(errno));
        // A record the disk took only in part goes, so the journal still ends with a count.
        if (::ftruncate(fd.get(), info.st_size) != 0)
            QFile::remove(journal);
        return fail(error, QStringLiteral("Diário \"%1\" não gravado: %2").arg(journal, why));
    }
    return true;
}

bool loadJournaled(const QString &fileName, DataPacket *packet, QString *error, QString *note)
{
    if (!QFileInfo(fileName).isFile())
        return fail(error, QStringLiteral("Arquivo \"%1\" não encontrado").arg(fileName));
    bool ok = false;
    const QByteArray bytes = readWhole(fileName, &ok);
    if (!ok)
        return fail(error, QStringLiteral("Arquivo \"%1\" não pôde ser lido").arg(fileName));
    DataPacket result;
    QString reason;
    if (!read(bytes, &result, &reason))
        return fail(error, QStringLiteral("Arquivo \"%1\" corrompido: %2").arg(fileName, reason));
    const QString journalFile = journalName(fileName);
    if (!QFileInfo::exists(journalFile)) {
        *packet = result;
        return true;
    }
    const QByteArray journal = readWhole(journalFile, &ok);
    if (!ok)
        return fail(error, QStringLiteral("Diário \"%1\" não pôde ser lido").arg(journalFile));
    const qsizetype firstLine = journal.indexOf('\n');
    Header header;
    if (firstLine < 0 || !parseHeader(journal.left(firstLine), &header)
        || countOf(journal.mid(firstLine + 1, countSize)) < 0)
        return fail(error, QStringLiteral("Diário \"%1\" corrompido: cabeçalho ilegível").arg(journalFile));
    if (header.fileDigest != sha1(bytes)) {
        // The file was written whole after this journal was started: it holds the journal's rows.
        if (note)
            *note = QStringLiteral("Diário \"%1\" de uma gravação anterior do arquivo, desconsiderado").arg(journalFile);
        *packet = result;
        return true;
    }
    if (countOf(journal.mid(firstLine + 1, countSize)) != result.rows.size())
        return fail(error, QStringLiteral("Diário \"%1\" corrompido: não acompanha as linhas do arquivo").arg(journalFile));
    qsizetype pos = firstLine + 1 + countSize;
    for (;;) {
        const Step step = nextRecord(journal, &pos, &result, &reason);
        if (step == Step::Applied)
            continue;
        if (step == Step::Damaged)
            return fail(error, QStringLiteral("Diário \"%1\" corrompido: %2").arg(journalFile, reason));
        if (step == Step::Torn && note)
            *note = QStringLiteral("Diário \"%1\": o último registro, interrompido ao ser gravado, foi desconsiderado")
                        .arg(journalFile);
        break;
    }
    *packet = result;
    return true;
}

bool removeJournaled(const QString &fileName, QString *error)
{
    for (const QString &name : {journalName(fileName), fileName}) {
        if (QFileInfo::exists(name) && !QFile::remove(name))
            return fail(error, QStringLiteral("Arquivo \"%1\" não apagado").arg(name));
    }
    return true;
}

} // namespace CdsFile
