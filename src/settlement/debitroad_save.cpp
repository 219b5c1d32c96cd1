// The save of a consumer-debit sale (the debit is posted inside it), the NFC-e or SAT document,
// the failures of that block, and the end with the production tickets: the save the consumer
// roads share, with what the debit does its own way.
#include "debitroad_p.h"

#include "personalcreditroad_p.h"

#include <sale/salecontext.h>
#include <sale/salestate.h>

void ConsumerDebitRoad::saveSale(Settlement::ClosingRoad road)
{
    const bool whole = road == Settlement::ClosingRoad::DebitFull;
    OwnRoadSave::Options options;
    options.road = road;
    options.letter = whole ? QStringLiteral("D") : QStringLiteral("C");
    options.showsPoints = true;
    options.clearsReceiptFilter = true;
    // A coupon followed by the debit receipt can no longer be cancelled: the sale is recorded
    // cancelled and the cashier keeps the coupon. Without a receipt after it (none asked, the
    // operator declined, models 16 and 30, or the receipt failed) the printer cancels it.
    options.couponStands = whole && m_receiptAfterCoupon;
    options.notStoredText = QStringLiteral("Nada foi debitado e a venda continua na tela para novo recebimento.");
    OwnRoadSave(m_context, m_end, options).run(m_run.documentInHand, m_run.paymentText11, m_numberBefore);
}
