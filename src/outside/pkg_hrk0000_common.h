#pragma once

#include <vendacons_export.h>

#include <runtime/datapacket.h>
#include <runtime/variant.h>

#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// Shared building blocks of the two host package tables (Pkg_Hrk00001 and Pkg_Hrk00002).
//
// The host's routines are procedure variables that the host fills; here each one is a
// `std::function` member of a table. Every routine answers a value that says failure
// explicitly: nothing here throws. A refusal or failure (the price function's refusal codes, a
// failed sale save) comes back as text in a `failure` or `refusal` field and the caller
// decides what to raise.

class ClientDataSet;
class QWidget;

namespace HostPackages {

// The text a routine answers when the host has no such service installed.
QString notInstalledText(const QString &routine);

// Logs once per call that an absent service was asked for; the defaults use it so that a
// missing service is visible in the log and never silent.
void reportNotInstalled(const QString &routine);

} // namespace HostPackages

// The answer of a routine that only succeeds or fails: printing, logging, device commands.
// `ok` false with `failure` empty means the device or service said no; `failure` holds a
// text when the host could not even try (for example "serviço não instalado: AbreGaveta").
struct HostResult
{
    bool ok = false;
    QString failure{};

    static HostResult done() { return {true, {}}; }
    static HostResult notInstalled(const QString &routine);
    bool operator==(const HostResult &) const = default;
};

// A routine that answers one text (a number, a series, a date text, an XML document).
struct TextAnswer
{
    bool ok = false;
    QString text{};
    QString failure{};

    static TextAnswer notInstalled(const QString &routine);
    bool operator==(const TextAnswer &) const = default;
};

// The answer list of the SAT services: lines "name=value", owned by whoever holds it. Names
// are matched without regard to case and the value is everything after the first "=", as the
// callers read them ("CCCC", "EEEEE", "chaveConsulta", "arqxmlnfce", ...).
class VENDACONS_EXPORT NameValueList
{
public:
    NameValueList() = default;
    explicit NameValueList(QStringList lines) : m_lines(std::move(lines)) {}

    const QStringList &lines() const { return m_lines; }
    bool isEmpty() const { return m_lines.isEmpty(); }
    // The value of the first line named `name`; empty when there is none.
    QString value(const QString &name) const;
    bool contains(const QString &name) const;
    // Replaces the value of `name`, or appends a line for it.
    void setValue(const QString &name, const QString &value);

    bool operator==(const NameValueList &) const = default;

private:
    QStringList m_lines{};
};

// The answer of the SAT services of both packages (SATOnline, CancelarVenda, EmitirVenda).
struct SatAnswer
{
    bool accepted = false;
    NameValueList answer{};
    QString failure{};
    bool operator==(const SatAnswer &) const = default;
};

// Installs a table for as long as the scope lives and puts the previous table back on the
// way out; used by tests and by the stand-in host. `Table` is one of the package tables;
// `Table::current()` is its process-wide current table. Members left empty in the
// replacement get their defaults, so no call ever meets an empty std::function.
template <class Table>
class ScopedTable
{
public:
    explicit ScopedTable(Table replacement) : m_previous(Table::current())
    {
        Table::current() = std::move(replacement);
        Table::current().fillMissing();
    }
    ~ScopedTable() { Table::current() = std::move(m_previous); }

    ScopedTable(const ScopedTable &) = delete;
    ScopedTable &operator=(const ScopedTable &) = delete;

    Table &table() { return Table::current(); }

private:
    Table m_previous;
};
