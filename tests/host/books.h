#pragma once

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>

// The books of a site: whether the sales a script saved and the documents it issued agree, to
// the cent. For each sale the script saved (`VENDA` rows new or changed since `Books::openBooks`):
// - its lines, each `QTPRODCOMVEN` x price less its discount plus its additions, make `VRTOTVENDA`;
// - its payment rows (`MOVCAIXA`), each tendered value less its change, make the same total;
// - its document gives the same total, its items (less their discounts, plus other charges) give
//   it and its payments less the change give it: the fiscal printer's coupon on the tape (`TOTAL
//   R$`), the NFC-e (`vNF`, `vProd`, `vDesc`, `vOutro`, `vPag`, `vTroco`) or the CF-e (`vCFe`,
//   `vMP`), and the base names the document the authority issued;
// - a cancelled sale is cancelled in the base (the sale and its payments), on its document and in
//   the card program's ledger; a standing one is cancelled in none of them;
// and each consumer balance family the script moved: its new statement lines follow each other
// from the balance before to the balance after, and a sale's lines debit what its personal-credit
// payments took.
namespace Books {

// What the site held as the script began: what it gains afterwards is the script's.
struct Opening
{
    QMap<QString, QString> sales;          // VENDA key -> the row as text
    QMap<QString, qint64> documentSizes;   // documents' files (relative) -> size
    QMap<QString, double> balances;        // "client|consumer|family" -> SALDOCONS
    QSet<QString> statementLines;          // EXTRATOCONS keys
    QByteArray ledger;                     // the card program's ledger
};

Opening openBooks(const QString &site);

// Every disagreement between what the site gained since `opening` was taken, one line each,
// naming the sale (its number in the base), the equation and both figures. Empty when the books
// balance.
QStringList disagreements(const Opening &opening, const QString &site);

} // namespace Books
