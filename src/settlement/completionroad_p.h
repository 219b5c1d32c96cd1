#pragma once

#include "settlement.h"
#include "settlement_p.h"

#include <runtime/variant.h>

#include <QList>
#include <QPair>
#include <QString>

class ClientDataSet;
class SaleContext;
struct DataPacket;

// A badge consumer's sale that the balances could not pay whole, completed with another
// payment form: the part the family balances cover, the payment screen for the rest, the save,
// and the refresh of the balances when the payment is refused.
class CompletionRoad
{
public:
    CompletionRoad(SaleContext &context, RoadEnd &end) : m_context(context), m_end(end) {}
    CompletionRoad(const CompletionRoad &) = delete;
    CompletionRoad &operator=(const CompletionRoad &) = delete;

    void run();
    // The consumer's balance per family again, from the source the parameters choose; a failed
    // query is shown and keeps what was loaded.
    void reloadBalances();

private:
    // One completion's scratch values.
    struct CompletionRun
    {
        double covered = 0;          // what the family balances pay
        PaymentAnswer paid;          // the payment screen's answer for the rest
        QString document;            // the document number of the save
        QString numberBefore;        // stRecebAux9 before the number was taken
        Settlement::SaveResult saved;
    };

    // completionroad.cpp: the balances' part and the payment.
    double balanceCoveredAmount();
    double familyCoverage(const QString &family, double balance, double familyTotal);
    bool insertBalancePaymentRow(double covered);
    QList<QPair<const char *, Variant>> balancePaymentValues(double covered, const ClientDataSet &types) const;
    bool appendMovement(const QList<QPair<const char *, Variant>> &values);
    PaymentAnswer askCompletionPayment(double covered);
    void refreshAfterRefusedCompletion();
    bool onlineBalances(DataPacket &packet);
    bool centralBalances(DataPacket &packet);
    bool serverBalances(DataPacket &packet);
    void completionTail();

    // completionroad_finish.cpp: the paid sale's number, save, document and hand-over.
    void finishCompletedSale();
    bool numberIfRequired();
    bool numberCompletedSale(QString &documentNumber);
    bool save();
    bool nfceIssued();
    bool satIssued();
    void registerBuyerCpf();
    void handOverSale();
    void undoCompletedPayment(const QString &failure);

    SaleContext &m_context;
    RoadEnd &m_end;
    CompletionRun m_run;
};
