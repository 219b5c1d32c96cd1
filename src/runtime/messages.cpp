#include "messages.h"

#include <QDebug>
#include <QFile>
#include <QRegularExpression>

#include <utility>

// Resources compiled into an object library are not registered by themselves in every link;
// this has to run at global scope, outside any namespace.
static void registerMessageResources()
{
    Q_INIT_RESOURCE(messages);
}

namespace Lvm_msg {

namespace {

QString foldKey(const QString &key)
{
    return key.trimmed().toCaseFolded();
}

// "\n" becomes a line break and "\\" one backslash; any other backslash is kept as written.
QString unescape(const QString &text)
{
    if (!text.contains(QLatin1Char('\\')))
        return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const QChar next = i + 1 < text.size() ? text.at(i + 1) : QChar();
        if (c == QLatin1Char('\\') && next == QLatin1Char('n')) {
            out += QLatin1Char('\n');
            ++i;
        } else if (c == QLatin1Char('\\') && next == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

QString pad(const QString &value, bool leftAlign, int width)
{
    if (width <= value.size())
        return value;
    return leftAlign ? value.leftJustified(width) : value.rightJustified(width);
}

} // namespace

TMessages TMessages::fromLines(const QStringList &lines, const QString &origin)
{
    TMessages table;
    for (const QString &line : lines)
        table.addLine(line, origin);
    return table;
}

TMessages TMessages::fromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "message table" << path << "cannot be read:" << file.errorString();
        return TMessages();
    }
    const QString content = QString::fromUtf8(file.readAll());
    return fromLines(content.split(QLatin1Char('\n')), path);
}

void TMessages::addLine(const QString &rawLine, const QString &origin)
{
    QString line = rawLine;
    if (line.endsWith(QLatin1Char('\r')))
        line.chop(1);
    if (line.trimmed().isEmpty())
        return;
    const qsizetype bar = line.indexOf(QLatin1Char('|'));
    const QString key = bar < 0 ? QString() : line.left(bar).trimmed();
    if (key.isEmpty()) {
        qWarning().noquote() << "message table" << origin << "skips a line without a key:" << line;
        return;
    }
    const QString folded = foldKey(key);
    if (m_texts.contains(folded)) {
        qWarning().noquote() << "message table" << origin << "already holds" << key
                             << "; the later line is skipped";
        return;
    }
    // The text is taken as written after the first bar: trailing blanks belong to it.
    m_texts.insert(folded, unescape(line.mid(bar + 1)));
    m_keys.append(key);
}

std::optional<QString> TMessages::find(const QString &key) const
{
    const auto it = m_texts.constFind(foldKey(key));
    if (it == m_texts.constEnd())
        return std::nullopt;
    return it.value();
}

QString TMessages::Msg(const QString &key) const
{
    return find(key).value_or(key);
}

QString TMessages::Msg(const QString &key, const QStringList &args) const
{
    return Format(Msg(key), args);
}

QString Format(const QString &text, const QStringList &args)
{
    static const QRegularExpression placeholder(
        QStringLiteral("%(?:(%)|(-?)(\\d*)(?:\\.\\d+)?([sdfmnguexSDFMNGUEX]))"));
    QString out;
    qsizetype from = 0;
    qsizetype next = 0;
    auto it = placeholder.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        out += text.mid(from, m.capturedStart() - from);
        from = m.capturedEnd();
        if (!m.captured(1).isEmpty()) {
            out += QLatin1Char('%');
        } else if (next < args.size()) {
            out += pad(args.at(next++), !m.captured(2).isEmpty(), m.captured(3).toInt());
        } else {
            qWarning().noquote() << "Format: no argument for" << m.captured(0) << "in" << text;
            out += m.captured(0);
        }
    }
    out += text.mid(from);
    return out;
}

FormMessages::FormMessages(TMessages first, TMessages second)
    : m_first(std::move(first)), m_second(std::move(second))
{
}

std::optional<QString> FormMessages::find(const QString &key) const
{
    if (auto text = m_first.find(key))
        return text;
    return m_second.find(key);
}

QString FormMessages::Msg(const QString &key) const
{
    return find(key).value_or(key);
}

QString FormMessages::Msg(const QString &key, const QStringList &args) const
{
    return Format(Msg(key), args);
}

namespace {

QString shippedPath(const char *name)
{
    static const bool registered = (registerMessageResources(), true);
    Q_UNUSED(registered);
    return QStringLiteral(":/messages/") + QLatin1String(name);
}

TMessages loadShipped(const char *name)
{
    return TMessages::fromFile(shippedPath(name));
}

} // namespace

const TMessages &msgPadrao()
{
    static const TMessages table = loadShipped("msgPadrao.txt");
    return table;
}

const TMessages &msgPadrao2()
{
    static const TMessages table = loadShipped("msgPadrao2.txt");
    return table;
}

const FormMessages &formMessages()
{
    static const FormMessages lookup(msgPadrao(), msgPadrao2());
    return lookup;
}

const TMessages &rdmMsgPadrao()
{
    static const TMessages table = loadShipped("rdmMsgPadrao.txt");
    return table;
}

const TMessages &frmPraViagemMsg()
{
    static const TMessages table = loadShipped("frmPraViagem.txt");
    return table;
}

const TMessages &frmCampCompGanheMsg()
{
    static const TMessages table = loadShipped("frmCampCompGanhe.txt");
    return table;
}

QStringList resourceFiles()
{
    const char *names[] = {"msgPadrao.txt", "msgPadrao2.txt", "rdmMsgPadrao.txt",
                           "frmPraViagem.txt", "frmCampCompGanhe.txt"};
    QStringList files;
    for (const char *name : names)
        files.append(shippedPath(name));
    return files;
}

} // namespace Lvm_msg
