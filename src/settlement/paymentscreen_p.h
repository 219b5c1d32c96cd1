#pragma once

#include <outside/pkg_hrk00002_sale.h>

#include <QString>

class SaleContext;

// What every settlement road hands to the host's payment screen and keeps of its answer.
class PaymentScreen
{
public:
    explicit PaymentScreen(SaleContext &context) : m_context(context) {}

    // The ordinary sale's request (marker "N"; the other roads change what differs).
    PaymentRequest paymentRequest(const QString &documentInHand, const QString &waiterName) const;
    PaymentDatasets paymentDatasets();
    // The screen's by-reference values, kept in the form.
    void keepPaymentOutputs(const PaymentAnswer &answer);

private:
    SaleContext &m_context;
};
