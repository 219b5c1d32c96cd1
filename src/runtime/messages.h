#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <optional>

// Message tables of the sale screen: lines "KEY|text", looked up by key without regard to
// letter case ("PROD_FRAC" finds "Prod_frac"). A text may hold "%s" placeholders and the two
// characters "\n" for a line break (turned into a real one when the line is loaded; "\\"
// stands for one backslash).
namespace Lvm_msg {

// One table. A value type: copies are cheap and independent.
class TMessages
{
public:
    TMessages() = default;

    // Loads lines of the form "KEY|text". Blank lines are skipped; a line without "|" or
    // with an empty key is skipped with a warning; when a key comes twice (letter case
    // aside) the first line holds and the later one is reported. `origin` names the source
    // in those warnings.
    static TMessages fromLines(const QStringList &lines, const QString &origin = QString());
    // Reads a UTF-8 file or a Qt resource (":/messages/msgPadrao.txt"). A file that cannot be
    // read gives an empty table and a warning, never a crash.
    static TMessages fromFile(const QString &path);

    // The text of the key's line, or nothing when the table has no such key.
    std::optional<QString> find(const QString &key) const;
    bool contains(const QString &key) const { return find(key).has_value(); }

    // The text of the key's line; a key that is not in the table gives the key itself, so the
    // operator still sees which message was meant instead of an empty box.
    QString Msg(const QString &key) const;
    // The same text with its placeholders filled in order (see Format).
    QString Msg(const QString &key, const QStringList &args) const;

    int count() const { return m_keys.size(); }
    // The keys as the table spells them, in load order.
    QStringList keys() const { return m_keys; }

private:
    void addLine(const QString &line, const QString &origin);

    QHash<QString, QString> m_texts; // case-folded key -> text
    QStringList m_keys;
};

// Fills the placeholders of `text` in order with `args`, as the runtime's Format does for
// strings: "%s" (any letter case, also "%d", "%f", "%m", "%n", "%g", "%u", "%x", "%e"), with an
// optional width ("%5s" right-aligns, "%-5s" left-aligns) and precision, which is ignored
// because the arguments arrive already formatted (numbers go through the pt-BR format module
// first). "%%" gives "%". A placeholder without an argument stays as written and is reported;
// arguments left over are ignored.
QString Format(const QString &text, const QStringList &args);

// The sale form's lookup: msgPadrao first, then msgPadrao2; a key in neither gives the key
// itself.
class FormMessages
{
public:
    FormMessages(TMessages first, TMessages second);

    std::optional<QString> find(const QString &key) const;
    QString Msg(const QString &key) const;
    QString Msg(const QString &key, const QStringList &args) const;

    const TMessages &first() const { return m_first; }
    const TMessages &second() const { return m_second; }

private:
    TMessages m_first;
    TMessages m_second;
};

// The tables shipped with the program, loaded from the ":/messages" resources on first use
// and kept for the life of the process (they are read-only).
const TMessages &msgPadrao();        // sale form, first table
const TMessages &msgPadrao2();       // sale form, second table
const FormMessages &formMessages();  // the form's lookup over both
const TMessages &rdmMsgPadrao();     // data module TrdmVendaCons
const TMessages &frmPraViagemMsg();  // take-away dialog TfrmPraViagem
const TMessages &frmCampCompGanheMsg(); // buy-and-win dialog TfrmCampCompGanhe

// The resource paths of the five tables, in the order above (form first, form second, data
// module, take-away, buy-and-win); the resources are registered before this returns.
QStringList resourceFiles();

} // namespace Lvm_msg
