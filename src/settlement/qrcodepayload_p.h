#pragma once

#include <QList>
#include <QString>

// The text a QR-code scanner types for a sale put together away from the till, and the sale it
// carries. The scanner writes "$" for "=", "(" and ")" for the list brackets, adds "<", ">" and
// "*" as noise and uses short keys ("FIL", "QT", "VRT", ...). Private to the settlement.
namespace QrCodePayload {

// The expanded text: substitutes replaced, noise dropped, every letter upper-cased and each
// short key written in full. Only keys are expanded, so a value that happens to hold a short
// key ("QT", "CONS", "NSU", "REC", "VR") is kept as it was typed (upper-cased).
QString expand(const QString &scanned);

struct Product
{
    QString code;        // CDPRODUTO
    double quantity = 0; // QTPRODCOMVEN
    double price = 0;    // VRPRECITEM
    QString printFlag;   // IDIMPPRODUTO: read, not used
    double surcharge = 0; // TXPRODCOMVEN; empty = 0
};

struct Payment
{
    QString type;     // CDTIPORECE, three characters; "NUL" = paid at the till
    QString kind;     // IDTIPORECE, one character
    double value = 0; // VRPRECITEMT
    bool atTill() const { return type == QLatin1String("NUL"); }
};

struct Sale
{
    QString branch;     // FILIAL
    QString saleNumber; // NRVENDAREST
    QString tab;        // NRCOMANDA
    QString client;     // CDCLIENTE
    QString consumer;   // CDCONSUMIDOR
    QString nsu;        // CDNSUHOSTTEF
    QList<Product> products;
    Payment payment;
};

// The sale of an expanded text, read in its fixed order. False, with `error` saying what broke,
// for a text out of layout: a missing or misplaced field, a number that is not a plain
// non-negative decimal with "." (a quantity and a price must be above zero), no products, a promotions
// list with content, more than one payment entry, or a payment type or kind of the wrong size.
bool read(const QString &expanded, Sale &sale, QString &error);

// A decimal as the scanner writes it ("1.5", "2", "0.25"), read without the workstation's
// locale. False for anything else (a sign, a comma, an exponent, letters, empty).
bool readDecimal(const QString &text, double &value);

} // namespace QrCodePayload
