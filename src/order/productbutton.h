#pragma once

#include "productentry.h"

#include <runtime/clientdataset.h>

#include <QString>

#include <functional>

class QObject;
class SaleContext;

// The press of one product button of the touch grid, from the button's row to the lines of
// the sale. The checks of the button come first, then the shared product pipeline
// (OrderEntry::sellButtonProduct), then the end step that gives the buttons back or logs the
// sale. A refusal ends the whole press (EAbort); a unit that ends quietly lets the next one
// start. The re-entry flag boBalcaoAux3 is held for the whole press.
class ProductButtonPress
{
public:
    ProductButtonPress(SaleContext &context, QObject *sender);
    ProductButtonPress(const ProductButtonPress &) = delete;
    ProductButtonPress &operator=(const ProductButtonPress &) = delete;

    void run();

private:
    enum class UnitEnd { EndStep, Quietly };

    bool locateButtonRow();
    bool locateProductRow();
    double unitsToSell(const QString &code);
    void runUnits(double count);
    UnitEnd sellUnit();

    // Checks before the product (productbutton_checks.cpp)
    bool serverReachable();
    void checkServiceFee(const QString &code);
    void checkLoyaltyCampaign(const QString &code);
    void checkClubPetroPrice(const QString &code);
    void clubPetroSegmentPrice(const QString &code);
    void checkCreditPrinting();
    void checkDrawerLimit();
    void reserveReceiptNumber();
    void checkPrinterAndDrawer();
    void lockButtonsDuringItem();
    bool turnPage(const QString &buttonType);
    void checkDeskDates();
    void checkPersonalCredit();
    void replaceResoldPromotion();
    void endStep();
    void giveButtonsBack();

    bool consulting() const;
    ProductRow rowProduct() const;
    [[noreturn]] void refuse(const QString &key, int kind = 3);

    SaleContext &m_context;
    QObject *m_sender;
    QString m_button;         // the button number, last two characters of the sender's name
    ProductRow m_product;
    bool m_buttonsLocked = false;
    // The product's loyalty campaigns; only whether it holds rows is read on this road.
    ClientDataSet m_cdsProdPromoFidelidade{QStringLiteral("cdsProdPromoFidelidade")};
};

namespace ProductButton {
// Removes the mouse input queued for the application (moves, presses, releases, double
// clicks, wheel) before a unit is sold: taps that arrived during the press's wait would
// otherwise be delivered once it ends and sell the product again.
void removeQueuedMouseMessages();
} // namespace ProductButton
