#pragma once

#include "settlement_p.h"
#include "settlementend_p.h"

#include <QString>

class SaleContext;
struct ClosingAnswer;

// The ordinary sale: payment screen, document number, save, electronic document, loyalty,
// then the end with the production tickets. Runs inside the settle button's outer block.
class OrdinaryRoad
{
public:
    OrdinaryRoad(SaleContext &context, RoadEnd &end, SettlementRun &run)
        : m_context(context), m_end(end), m_run(run)
    {
    }
    OrdinaryRoad(const OrdinaryRoad &) = delete;
    OrdinaryRoad &operator=(const OrdinaryRoad &) = delete;

    void run();

private:
    // Where the save left the road.
    struct SaveOutcome
    {
        bool goesOn = false; // the sale is stored: the end with its tickets follows
        QString saleKey;     // the saved sale key; empty when nothing was stored
        double points = 0;   // loyalty points the save answered
        QString nfceStatus;  // the save's NFC-e status (a refused NFC-e is named to the cashier)
    };

    // ordinaryroad.cpp: up to the document number.
    bool loyaltyConsumerPresent();
    // Empty when every lookup answered, else the first failure's text (the rest not asked).
    QString markLoyaltyProducts();
    void applyManualSaleReceipt();
    bool takePayment();
    void drawPagerIfMissing();
    bool takeDocumentNumber();
    void writeOrderNumber();
    void stopAfterPayment(const QString &reason);

    // ordinaryroad_save.cpp: the save and what follows it.
    SaveOutcome saveAndIssue();
    void saveBlock(SaveOutcome &outcome);
    bool issueElectronicDocument(const SaveOutcome &outcome, const ClosingAnswer &answer);
    void printElectronicReceipt(const QString &saleKey);
    void postLoyalty();
    void grantBenefits();
    void handleSaveFailure(SaveOutcome &outcome, const QString &failure);
    void fiscalPrinterSaveFailed();
    void saveFailedBeforeStoring(const QString &failure, const QString &nfceStatus);
    void satFailed(const QString &saleKey, const QString &failure);
    void finishSoldSale(const SaveOutcome &outcome);

    SettlementEnd settlementEnd() const { return SettlementEnd(m_context, m_end); }

    SaleContext &m_context;
    RoadEnd &m_end;
    SettlementRun &m_run;
};
