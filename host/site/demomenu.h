#pragma once

#include <QList>
#include <QString>

// The menu of the demo site: a company canteen's counter (groups, products with prices and
// taxes). Plain data; the demo site writer turns it into cadastre files and base rows.
namespace DemoMenu {

struct Group
{
    QString code;    // "01".."10": also the group button
    QString name;
    int colorBack;   // Windows colour value (red in the low byte)
    int colorText;
};

enum class Tax { Taxed, TaxSubstitution }; // ICMS 3,20% or "F" (tax paid by the maker)

struct Product
{
    QString code;     // CDPRODUTO: group and sequence, "01001"
    QString group;
    QString name;
    QString caption;  // the touch button's text
    double price = 0; // default table price
    QString unit;     // "UN", "KG"
    bool weighed = false;
    QString barcode;  // EAN-13 or empty
    QString ncm;
    QString cest;
    Tax tax = Tax::Taxed;

    QString treeCode() const; // CDARVPROD "1.<group>.<sequence>"
};

const QList<Group> &groups();
const QList<Product> &products();
// The products of one group, in menu order.
QList<Product> productsOf(const QString &group);

// The EAN-13 check digit of twelve digits.
int ean13CheckDigit(const QString &twelveDigits);

} // namespace DemoMenu
