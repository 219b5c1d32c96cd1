#pragma once

#include <outside/consiste.h>
#include <runtime/variant.h>

#include <QList>
#include <QPair>
#include <QString>

// The non-database half of the Qub_movrela unit (the database half is qub_movrela_db.h).
namespace Qub_movrela {

// Money cut to two decimals on its decimal digits (Money::Trunc2).
double Trunc2(double value);

using Consiste::AjustaZero;

// A named-value record: what the printer package answers by reference (keys such as "CUPNR",
// "CONTCUPOM", "INTTEFERRO"). Keys keep the order they were set in and are matched without
// regard to case; setting a key again replaces its value.
struct ParamRecord
{
    QList<QPair<QString, Variant>> values;

    void set(const QString &key, const Variant &value);
    bool contains(const QString &key) const;
    // The value of the key; an empty variant when the record has no such key.
    Variant value(const QString &key) const;
};

// The value of `key` in the record; an empty variant when absent (reads as "", 0 or False).
Variant RecebeParams(const ParamRecord &record, const QString &key);

// The control texts of a non-fiscal printer model, in the package's order. Only the line
// terminator (the fourth) is used by the sale; plain text printers need nothing else.
struct PrinterControls
{
    QString initialise;
    QString boldOn;
    QString boldOff;
    QString lineEnd = QStringLiteral("\r\n");
};

// Every model known today ends its lines with CR LF and needs no other control text; an
// unknown or empty model gets the same, so a receipt always prints.
PrinterControls PropriedadesImpNF(const QString &model);

} // namespace Qub_movrela
