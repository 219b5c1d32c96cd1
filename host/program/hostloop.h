#pragma once

#include <runtime/variant.h>

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// What the host does around the sale screen: it calls the package's entry VendaCons in
// counter mode, then again in the mode the exit keyword asks for, until "FECHA_SISTEMA".
// "ERRO_SISTEMA" (or a keyword it does not know) brings the counter back once; twice in a
// row stops the host with a message, so a screen that cannot start does not loop for ever.
namespace HostLoop {

// The ten host arguments of one call of VendaCons, in index order.
struct CallArguments
{
    QString nrVendaRest;   // 0
    QString nrComandaExib; // 1
    QString cdCliente;     // 2
    QString nrMesa;        // 3
    QString nrComanda;     // 4
    QString cdVendedor;    // 5
    QString mode = QStringLiteral("B"); // 6: B counter, M table, C tab, D delivery
    QString cdConsumidor;  // 7
    bool flag = false;     // 8
    QString idRetBalLoja;  // 9

    QList<Variant> toParams() const;
};

// Calls the screen once and answers its exit keyword.
using Entry = std::function<QString(const CallArguments &)>;
// The arguments of a table, tab or delivery call (the number asked of the operator); none
// goes back to the counter.
using Chooser = std::function<std::optional<CallArguments>(const QString &mode)>;
// A non-empty answer stops the loop with that exit code (a script that ended).
using StopCheck = std::function<std::optional<int>()>;

// "M", "C", "D" for the keywords that ask for those modes; empty for any other.
QString modeForKeyword(const QString &keyword);

struct Outcome
{
    int exitCode = 0;
    QString message;
    int calls = 0;
    QStringList keywords;
};

// Whether the last call opened the sale screen at all. A screen that failed before it opened
// (a corrupt file of the site, a base that refuses) fails the same way again: the host stops
// at once instead of showing the same error a second time.
using OpenedCheck = std::function<bool()>;

Outcome run(const Entry &entry, const Chooser &choose, const StopCheck &stop, const OpenedCheck &opened = {});

// The chooser of the stand-in host: the table, tab or order number on the numeric keypad.
std::optional<CallArguments> askNumber(const QString &mode);

} // namespace HostLoop
