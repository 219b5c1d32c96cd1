#pragma once

#include <QDateTime>
#include <QString>

// The restaurant sale a table, tab or delivery call of the sale screen works on. The screen
// writes its orders into the sale it is given (VENDAREST and its tab in COMANDAVEN) and never
// opens one itself: the host finds the open sale of the table or tab, or opens it, before it
// calls the screen. Works on the host's own session on the site's base.
namespace TableSales {

struct Place
{
    QString CDFILIAL;
    QString CDLOJA;
    QString CDCLIENTE; // client of a sale opened here
    QString mode;      // "M" table, "C" tab, "D" delivery
    QString number;    // the table, tab or delivery number the operator gave
};

struct OpenSale
{
    QString NRVENDAREST;
    QString NRCOMANDA;
    QString NRMESA;     // four digits in table mode, else empty
    QString DSCOMANDA;  // the number shown for the tab or delivery ("DLV_" + number)
    bool opened = false; // false: an open sale was found
    QString error;       // why there is none; the other members are then empty
    bool ok() const { return error.isEmpty(); }
};

// The open sale of the place (its table, or its tab's text, in the branch and store, not closed),
// else a new one with a new sale and tab number, opened at `now`. A table has one tab per sale.
OpenSale findOrOpen(const Place &place, const QDateTime &now);

// The text a tab or delivery number is kept under in DSCOMANDA.
QString tabText(const QString &mode, const QString &number);

} // namespace TableSales
