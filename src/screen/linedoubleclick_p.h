#pragma once

// Private to the screen subsystem: the double-click on a receipt line.

#include <QString>

class SaleContext;
class Variant;

// Works on the sale line behind a receipt row: a counter promotion line is sold again
// through the promotion dialog, any other line opens its observations when its product has
// any; then, on an NFC-e or SAT till with discount coupons, a coupon may be typed for it.
class LineDoubleClick
{
public:
    explicit LineDoubleClick(SaleContext &context) : m_context(context) {}

    void dbgCupomDblClick();

private:
    bool locateLine(const QString &nrSeq);
    void resellPromotionOrObserve();
    void applyCoupon();
    // A packet answer, or none: an error text is reported once and taken as no rows.
    bool packetOf(const Variant &answer, const QString &method, const QString &context, Variant &packet);

    SaleContext &m_context;
};
