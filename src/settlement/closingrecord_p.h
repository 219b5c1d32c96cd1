#pragma once

#include "settlement.h"

#include <QString>

class SaleContext;

// The closing record of a sale as the save sends it, read from the form state now.
class ClosingRecord
{
public:
    explicit ClosingRecord(SaleContext &context) : m_context(context) {}

    // The 51-value header; the document number in hand and the payment screen's output 11
    // are the road's own.
    ClosingHeader closingHeader(const QString &documentInHand, const QString &paymentText11) const;
    // The thirteen datasets of the save for the road.
    ClosingDatasets closingDatasets(Settlement::ClosingRoad road);
    // The diagnostic trace text of the save.
    QString closingTrace(const ClosingHeader &header) const;

private:
    SaleContext &m_context;
};
