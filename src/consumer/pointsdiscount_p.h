#pragma once

class SaleContext;
class ClientDataSet;

// Lowers each balance family's consumption (VRSALDCONFAM of `families`) by its share of a
// sale-wide `discount` on a sale worth `totalBefore`. The shares are worked in whole cents and
// the cents left by the rounding go to the largest remainders, so the families lose together
// exactly what falls on them and a sale is never debited a cent more than it costs. Shared by
// the points discount and the cashback.
void lowerFamiliesByShare(ClientDataSet &families, double discount, double totalBefore);

// The points discount of a consumer sale (DescontoVendaFidelidade): offers the consumer's
// points as a discount on the whole sale and, when accepted, lowers the total, the sale rows'
// sale-level discount and, on a personal-credit sale, the families' consumption. Private to
// the consumer subsystem.
class PointsDiscount
{
public:
    explicit PointsDiscount(SaleContext &context);
    void run();

private:
    bool loadOffer();
    bool accepted();
    double capped(double discount) const;
    void usePoints(double discount);
    void lowerFamilies(double discount, double totalBefore);

    SaleContext &m_context;
};
