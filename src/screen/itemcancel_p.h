#pragma once

// Private to the screen subsystem: taking lines back out of the open sale (F8).

#include <QString>

class ClientDataSet;
class SaleContext;

// Hands the open sale to the host's order-cancellation dialog, which removes the chosen lines
// and records them as cancelled, then clears what those lines left behind: their texts in the
// observations of other lines and combo parts, the combo parts themselves, the refills they
// counted against an ordinary line (in the open order or on the server), the tab surcharge,
// and a sale that has no line left.
class ItemCancel
{
public:
    explicit ItemCancel(SaleContext &context);

    void spbCancProdClick();

private:
    bool saleHasLines() const;
    void refuseOnCollectorCounter();
    // The dialog; answers the surcharge the cancelled lines carried. `firstAdded` is the
    // record number of the first cancelled row it added (past the end when it added none).
    double callDialog(int &firstAdded);
    // Each cancelled row from `firstAdded` on, with the cursor of cdsItensCancelados on it.
    template <class Step>
    void forEachAdded(int firstAdded, Step step);
    void cleanUpTraces(int firstAdded);
    void removeFromLineObservations(const QString &parent, const QString &product);
    void removeComboPart(const QString &parent, const QString &cancelledPart);
    void removeFromComboPartObservations(const QString &parent, const QString &product);
    void undoRefills(int firstAdded);
    void undoRefill(const QString &product, const QString &seat, double quantity);
    bool undoRefillOnServer(const QString &product, const QString &seat, double quantity);
    void totalsAndDisplay(double surcharge);
    void closeEmptySale();

    SaleContext &m_context;
};

namespace ItemCancelText {
// Drops the first ";"-separated entry of `entries` equal to `entry` (both compared without
// surrounding blanks) and writes the rest back as " entry;" each; empty when nothing remains.
QString withoutEntry(const QString &entries, const QString &entry);
} // namespace ItemCancelText
