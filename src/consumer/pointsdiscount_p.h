#pragma once

class SaleContext;
class ClientDataSet;

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
