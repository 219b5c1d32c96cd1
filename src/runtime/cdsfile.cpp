#include "cdsfile.h"
#include "cdsfile_p.h"

#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QSet>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace CdsFile {

namespace {

const QChar escapeMark(0xE000);
const QString dateTimeFormat = QStringLiteral("yyyyMMddTHH:mm:sszzz");

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

// ---- field types --------------------------------------------------------------------------

struct TypeName
{
    const char *fieldType;
    const char *subType;
};

TypeName typeName(FieldType type)
{
    switch (type) {
    case FieldType::String: return {"string", nullptr};
    case FieldType::FixedString: return {"fixed", nullptr};
    case FieldType::Memo: return {"bin.hex", "Text"};
    case FieldType::Integer: return {"i4", nullptr};
    case FieldType::Double: return {"r8", nullptr};
    case FieldType::Currency: return {"r8", "Money"};
    case FieldType::Boolean: return {"boolean", nullptr};
    case FieldType::DateTime: return {"dateTime", nullptr};
    }
    return {"string", nullptr};
}

bool parseType(const QString &fieldType, const QString &subType, FieldType *type)
{
    const QString t = fieldType.toLower();
    const QString s = subType.toLower();
    if (t == QLatin1String("string") || t == QLatin1String("string.uni"))
        *type = s == QLatin1String("fixedchar") ? FieldType::FixedString : FieldType::String;
    else if (t == QLatin1String("fixed") || t == QLatin1String("fixedchar"))
        *type = FieldType::FixedString;
    else if (t == QLatin1String("bin.hex") && (s == QLatin1String("text") || s == QLatin1String("widetext")))
        *type = FieldType::Memo;
    else if (t == QLatin1String("i1") || t == QLatin1String("i2") || t == QLatin1String("i4")
             || t == QLatin1String("i8") || t == QLatin1String("ui1") || t == QLatin1String("ui2")
             || t == QLatin1String("ui4"))
        *type = FieldType::Integer;
    else if (t == QLatin1String("r8"))
        *type = s == QLatin1String("money") ? FieldType::Currency : FieldType::Double;
    else if (t == QLatin1String("boolean"))
        *type = FieldType::Boolean;
    else if (t == QLatin1String("datetime") || t == QLatin1String("date"))
        *type = FieldType::DateTime;
    else
        return false;
    return true;
}

// ---- texts XML cannot carry ----------------------------------------------------------------

bool needsEscape(QChar c)
{
    return (c.unicode() < 0x20 && c != QLatin1Char('\t') && c != QLatin1Char('\n')
            && c != QLatin1Char('\r'))
        || c == escapeMark;
}

QString escapeText(const QString &text)
{
    if (std::none_of(text.begin(), text.end(), needsEscape))
        return text;
    QString out;
    for (QChar c : text) {
        if (c == escapeMark)
            out += QString(2, escapeMark);
        else if (needsEscape(c))
            out += QString(escapeMark) + QChar(0x40 + c.unicode());
        else
            out += c;
    }
    return out;
}

QString unescapeText(const QString &text)
{
    if (!text.contains(escapeMark))
        return text;
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (text.at(i) == escapeMark && next == escapeMark) {
            out += escapeMark;
            ++i;
        } else if (text.at(i) == escapeMark && next.unicode() >= 0x40 && next.unicode() < 0x60) {
            out += QChar(next.unicode() - 0x40);
            ++i;
        } else {
            out += text.at(i);
        }
    }
    return out;
}

// ---- writing ------------------------------------------------------------------------------

bool isXmlName(const QString &name)
{
    if (name.isEmpty() || !(name.at(0).isLetter() || name.at(0) == QLatin1Char('_')))
        return false;
    return std::all_of(name.begin(), name.end(), [](QChar c) {
        return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('-')
            || c == QLatin1Char('.');
    });
}

bool valueText(const FieldDef &def, const Variant &value, QString *text)
{
    bool ok = true;
    switch (def.type) {
    case FieldType::String:
    case FieldType::FixedString:
    case FieldType::Memo:
        *text = escapeText(value.toString());
        return !value.isFailure() && !value.isArray() && !value.isPacket();
    case FieldType::Integer:
        *text = QString::number(value.toInt(&ok));
        return ok;
    case FieldType::Double:
    case FieldType::Currency:
        *text = QString::number(value.toDouble(&ok), 'g', QLocale::FloatingPointShortest);
        return ok;
    case FieldType::Boolean:
        *text = value.toBool(&ok) ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        return ok;
    case FieldType::DateTime: {
        const QDateTime moment = value.toDateTime(&ok);
        *text = moment.toString(dateTimeFormat);
        return ok && moment.isValid();
    }
    }
    return false;
}

void writeMetadata(QXmlStreamWriter &xml, const QList<FieldDef> &fields, const QStringList &names)
{
    xml.writeStartElement(QStringLiteral("METADATA"));
    xml.writeStartElement(QStringLiteral("FIELDS"));
    for (int i = 0; i < fields.size(); ++i) {
        const FieldDef &def = fields.at(i);
        const TypeName type = typeName(def.type);
        xml.writeEmptyElement(QStringLiteral("FIELD"));
        xml.writeAttribute(QStringLiteral("attrname"), names.at(i));
        if (names.at(i) != def.name)
            xml.writeAttribute(QStringLiteral("fieldname"), def.name);
        xml.writeAttribute(QStringLiteral("fieldtype"), QLatin1String(type.fieldType));
        if (type.subType)
            xml.writeAttribute(QStringLiteral("SUBTYPE"), QLatin1String(type.subType));
        if (def.type == FieldType::String || def.type == FieldType::FixedString)
            xml.writeAttribute(QStringLiteral("WIDTH"), QString::number(def.size));
        if (def.required)
            xml.writeAttribute(QStringLiteral("required"), QStringLiteral("true"));
    }
    xml.writeEndElement();
    xml.writeEmptyElement(QStringLiteral("PARAMS"));
    xml.writeEndElement();
}


// ---- reading ------------------------------------------------------------------------------

struct Layout
{
    QList<FieldDef> fields;
    QStringList names; // row attribute of each field
};

QString where(const QXmlStreamReader &xml)
{
    return QStringLiteral("linha %1: ").arg(xml.lineNumber());
}

bool readField(QXmlStreamReader &xml, Layout *layout, QString *error)
{
    const QXmlStreamAttributes attributes = xml.attributes();
    const QString attrName = attributes.value(QLatin1String("attrname")).toString();
    const QString fieldName = attributes.hasAttribute(QLatin1String("fieldname"))
                                  ? attributes.value(QLatin1String("fieldname")).toString()
                                  : attrName;
    FieldDef def;
    def.name = fieldName;
    if (attrName.isEmpty() || layout->names.contains(attrName))
        return fail(error, where(xml) + QStringLiteral("campo sem nome ou repetido \"%1\"").arg(attrName));
    const QString fieldType = attributes.value(QLatin1String("fieldtype")).toString();
    const QString subType = attributes.value(QLatin1String("SUBTYPE")).toString();
    if (!parseType(fieldType, subType, &def.type))
        return fail(error, where(xml) + QStringLiteral("campo %1 de tipo desconhecido \"%2\"")
                                           .arg(fieldName, fieldType));
    if (attributes.hasAttribute(QLatin1String("WIDTH"))) {
        bool ok = false;
        def.size = attributes.value(QLatin1String("WIDTH")).toInt(&ok);
        if (!ok || def.size < 0)
            return fail(error, where(xml) + QStringLiteral("campo %1 com WIDTH inválido").arg(fieldName));
    }
    def.required = attributes.value(QLatin1String("required")).compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
    layout->fields.append(def);
    layout->names.append(attrName);
    xml.skipCurrentElement();
    return true;
}

bool readMetadata(QXmlStreamReader &xml, Layout *layout, QString *error)
{
    bool seenFields = false;
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("FIELDS")) {
            xml.skipCurrentElement();
            continue;
        }
        seenFields = true;
        while (xml.readNextStartElement()) {
            if (xml.name() != QLatin1String("FIELD")) {
                xml.skipCurrentElement();
                continue;
            }
            if (!readField(xml, layout, error))
                return false;
        }
    }
    if (!xml.hasError() && !seenFields)
        return fail(error, where(xml) + QStringLiteral("METADATA sem FIELDS"));
    return true;
}

bool parseValue(const FieldDef &def, const QString &text, Variant *value)
{
    bool ok = true;
    switch (def.type) {
    case FieldType::String:
    case FieldType::FixedString:
    case FieldType::Memo:
        *value = unescapeText(text);
        return true;
    case FieldType::Integer:
        *value = text.toLongLong(&ok);
        return ok;
    case FieldType::Double:
    case FieldType::Currency:
        *value = text.toDouble(&ok);
        return ok;
    case FieldType::Boolean: {
        const QString t = text.toLower();
        ok = t == QLatin1String("true") || t == QLatin1String("false") || t == QLatin1String("1")
            || t == QLatin1String("0");
        *value = t == QLatin1String("true") || t == QLatin1String("1");
        return ok;
    }
    case FieldType::DateTime:
        for (const QString &format : {dateTimeFormat, QStringLiteral("yyyyMMddTHH:mm:ss"),
                                      QStringLiteral("yyyyMMdd"), QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzz"),
                                      QStringLiteral("yyyy-MM-ddTHH:mm:ss")}) {
            const QDateTime moment = QDateTime::fromString(text, format);
            if (moment.isValid()) {
                *value = moment;
                return true;
            }
        }
        return false;
    }
    return false;
}

bool readRows(QXmlStreamReader &xml, const Layout &layout, QList<QList<Variant>> *rows, QString *error)
{
    while (xml.readNextStartElement()) {
        if (xml.name() != QLatin1String("ROW")) {
            xml.skipCurrentElement();
            continue;
        }
        QList<Variant> row;
        QString reason;
        if (!detail::readRow(xml.attributes(), layout.fields, layout.names, &row, &reason))
            return fail(error, where(xml) + reason);
        rows->append(row);
        xml.skipCurrentElement();
    }
    return true;
}

bool readPacket(QXmlStreamReader &xml, DataPacket *packet, QString *error)
{
    if (!xml.readNextStartElement())
        return false;
    if (xml.name() != QLatin1String("DATAPACKET"))
        return fail(error, where(xml) + QStringLiteral("não é um DATAPACKET"));
    Layout layout;
    bool seenMetadata = false;
    bool seenRows = false;
    while (xml.readNextStartElement()) {
        if (xml.name() == QLatin1String("METADATA") && !seenMetadata) {
            seenMetadata = true;
            if (!readMetadata(xml, &layout, error))
                return false;
        } else if (xml.name() == QLatin1String("ROWDATA") && seenMetadata && !seenRows) {
            seenRows = true;
            if (!readRows(xml, layout, &packet->rows, error))
                return false;
        } else {
            xml.skipCurrentElement();
        }
    }
    // The whole document must be there: a file cut after </ROWDATA> is still refused.
    while (!xml.atEnd())
        xml.readNext();
    if (!xml.hasError() && !(seenMetadata && seenRows))
        return fail(error, QStringLiteral("falta METADATA ou ROWDATA"));
    packet->fields = layout.fields;
    return true;
}

} // namespace

namespace detail {

// Row attributes are named after the fields; a name XML cannot use as an attribute gets a
// stand-in, and FIELD keeps the real one in "fieldname".
QStringList attributeNames(const QList<FieldDef> &fields)
{
    QStringList names;
    QSet<QString> taken;
    for (int i = 0; i < fields.size(); ++i) {
        QString name = fields.at(i).name;
        for (int n = i + 1; !isXmlName(name) || taken.contains(name); ++n)
            name = QStringLiteral("F%1").arg(n);
        taken.insert(name);
        names.append(name);
    }
    return names;
}

bool writeRow(QXmlStreamWriter &xml, const QList<FieldDef> &fields, const QStringList &names,
              const QList<Variant> &row, int rowNumber, QString *error)
{
    if (row.size() != fields.size())
        return fail(error, QStringLiteral("linha %1 com %2 valores para %3 campos")
                               .arg(rowNumber).arg(row.size()).arg(fields.size()));
    xml.writeEmptyElement(QStringLiteral("ROW"));
    for (int c = 0; c < row.size(); ++c) {
        if (row.at(c).isBlank())
            continue;
        QString text;
        if (!valueText(fields.at(c), row.at(c), &text))
            return fail(error, QStringLiteral("linha %1, campo %2: valor %3 inválido")
                                   .arg(rowNumber).arg(fields.at(c).name, describe(row.at(c))));
        xml.writeAttribute(names.at(c), text);
    }
    return true;
}

bool readRow(const QXmlStreamAttributes &attributes, const QList<FieldDef> &fields, const QStringList &names,
             QList<Variant> *row, QString *error)
{
    QList<Variant> values(fields.size(), Variant::null());
    for (int c = 0; c < fields.size(); ++c) {
        if (!attributes.hasAttribute(names.at(c)))
            continue;
        const QString text = attributes.value(names.at(c)).toString();
        if (!parseValue(fields.at(c), text, &values[c]))
            return fail(error, QStringLiteral("campo %1 com valor inválido \"%2\"").arg(fields.at(c).name, text));
    }
    *row = values;
    return true;
}

bool saveBytes(const QString &fileName, const QByteArray &bytes, QString *error)
{
    QSaveFile file(fileName);
    // A disk that cuts the write short only says so at the flush; checking it keeps a truncated
    // temporary file from being renamed over the good one.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush()
        || !file.commit())
        return fail(error, QStringLiteral("Arquivo \"%1\" não gravado: %2")
                               .arg(fileName, file.errorString()));
    return true;
}

} // namespace detail

bool read(const QByteArray &bytes, DataPacket *packet, QString *error)
{
    QXmlStreamReader xml(bytes);
    DataPacket result;
    QString reason;
    if (!readPacket(xml, &result, &reason) || xml.hasError()) {
        if (xml.hasError())
            reason = where(xml) + xml.errorString();
        return fail(error, reason.isEmpty() ? QStringLiteral("documento vazio") : reason);
    }
    *packet = result;
    return true;
}

bool write(const DataPacket &packet, QByteArray *out, QString *error)
{
    const QStringList names = detail::attributeNames(packet.fields);
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("DATAPACKET"));
    xml.writeAttribute(QStringLiteral("Version"), QStringLiteral("2.0"));
    writeMetadata(xml, packet.fields, names);
    xml.writeStartElement(QStringLiteral("ROWDATA"));
    for (int r = 0; r < packet.rows.size(); ++r) {
        const QList<Variant> &row = packet.rows.at(r);
        if (!detail::writeRow(xml, packet.fields, names, row, r + 1, error))
            return false;
    }
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();
    *out = bytes;
    return true;
}

bool save(const QString &fileName, const DataPacket &packet, QString *error)
{
    QByteArray bytes;
    QString reason;
    if (!write(packet, &bytes, &reason))
        return fail(error, QStringLiteral("Arquivo \"%1\" não gravado: %2").arg(fileName, reason));
    return detail::saveBytes(fileName, bytes, error);
}

bool load(const QString &fileName, DataPacket *packet, QString *error)
{
    QFile file(fileName);
    if (!QFileInfo(fileName).isFile())
        return fail(error, QStringLiteral("Arquivo \"%1\" não encontrado").arg(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("Arquivo \"%1\" não pôde ser lido: %2")
                               .arg(fileName, file.errorString()));
    QString reason;
    if (!read(file.readAll(), packet, &reason))
        return fail(error, QStringLiteral("Arquivo \"%1\" corrompido: %2").arg(fileName, reason));
    return true;
}

} // namespace CdsFile
