#include "pointsdiscount_p.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/messages.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <algorithm>
#include <cmath>

namespace {

double number(const ClientDataSet &data, const char *field)
{
    return data.FindField(QString::fromLatin1(field)).AsFloat();
}

// Integral points in the plain form the question shows them ("250", "12,5").
QString plain(double value)
{
    return PtBr::FloatToStr(value);
}

} // namespace

PointsDiscount::PointsDiscount(SaleContext &context)
    : m_context(context)
{
}

void PointsDiscount::run()
{
    SaleState &state = m_context.state();
    // Settlement may pass here again on the same sale: the total already carries the discount.
    if (state.loyalty.pointsDiscountApplied || !loadOffer())
        return;
    const ClientDataSet &offer = m_context.data().cdsDescVendaFid;
    state.settlement.stRecebAux13 = offer.FindField(QStringLiteral("CDCAMPANHA")).AsString();
    const double discount = Money::Trunc2(number(offer, "VRDESCONTO"));
    if (discount <= 0)
        return;
    if (!accepted()) {
        state.settlement.stRecebAux13.clear();
        return;
    }
    const double granted = capped(discount);
    // A sale worth no more than a cent a unit has nothing left to discount.
    if (granted <= 0) {
        state.settlement.stRecebAux13.clear();
        return;
    }
    usePoints(granted);
}

bool PointsDiscount::loadOffer()
{
    SaleState &state = m_context.state();
    const QString &client = state.host.stCdClienteVenda;
    const QString &consumer = state.consumer.stCDCONSUMIDOR;
    const Variant answer = m_context.checkedValue(m_context.server().consumers.getDescVendaFid(client, consumer),
                                                  QStringLiteral("getDescVendaFid"),
                                                  client + QLatin1Char('-') + consumer);
    ClientDataSet &offer = m_context.data().cdsDescVendaFid;
    if (!offer.SetData(answer.packet())) {
        offer.Close();
        return false;
    }
    offer.First();
    return !offer.IsEmpty();
}

bool PointsDiscount::accepted()
{
    const ClientDataSet &offer = m_context.data().cdsDescVendaFid;
    const QString text = m_context.messages().Msg(
        QStringLiteral("DESC_VENDA_FID"),
        {plain(number(offer, "VRPONTOGERADESC")), PtBr::FormatFloat(QStringLiteral("0.00"), number(offer, "VRDESCVENDA")),
         offer.FindField(QStringLiteral("NMCONSUMIDOR")).AsString(), plain(number(offer, "VRSALDOCONS"))});
    return Ravuvozozod::Mensagem(text, QString(), QStringLiteral("N"), QStringLiteral("S"), Ravuvozozod::Question,
                                 QString(), m_context.state().params.stIDESQUEMA, 0);
}

// Every unit keeps at least a cent, and the discount is never negative.
double PointsDiscount::capped(double discount) const
{
    ClientDataSet &rows = m_context.data().cdsVenda;
    double units = 0;
    if (rows.Active()) {
        for (rows.First(); !rows.Eof(); rows.Next())
            units += rows.FindField(QStringLiteral("QTPRODCOMVEN")).AsFloat();
    }
    const double total = m_context.state().totals.doTotalVenda;
    if (discount < total)
        return discount;
    return qMax(0.0, Money::RoundDec(total - 0.01 * units, 2));
}

void PointsDiscount::usePoints(double discount)
{
    SaleState &state = m_context.state();
    const ClientDataSet &offer = m_context.data().cdsDescVendaFid;
    state.settlement.stRecebAux12 = QStringLiteral("E");
    const double block = number(offer, "VRDESCVENDA");
    const double points = block > 0 ? discount * number(offer, "VRPONTOGERADESC") / block : 0.0;
    // Rounded to a millionth first, so 7.97 x 100 / 5 is 159 and not 158.
    state.settlement.stRecebAux14 = QString::number(static_cast<qint64>(std::trunc(Money::RoundDec(points, 6))));
    const double totalBefore = state.totals.doTotalVenda;
    state.totals.doTotalVenda = Money::RoundDec(totalBefore - discount, 2);
    m_context.setCaption(FormName::lblVrTotal, PtBr::FormatFloat(QStringLiteral("#,##0.00"), state.totals.doTotalVenda));
    // A cashback granted before is kept: the points add to it, on the sale and on every row.
    state.loyalty.doFidelidadeAux1 = Money::RoundDec(state.loyalty.doFidelidadeAux1 + discount, 2);
    ClientDataSet &rows = m_context.data().cdsVenda;
    if (rows.Active()) {
        for (rows.First(); !rows.Eof(); rows.Next()) {
            rows.Edit();
            Field field = rows.FieldByName(QStringLiteral("VRDESCOMANDA"));
            field.SetAsFloat(Money::RoundDec(field.AsFloat() + discount, 2));
            rows.Post();
        }
    }
    if (state.flags.boCreditoPessoal && totalBefore > 0)
        lowerFamilies(discount, totalBefore);
    state.loyalty.pointsDiscountApplied = true;
}

void PointsDiscount::lowerFamilies(double discount, double totalBefore)
{
    lowerFamiliesByShare(m_context.data().cdsFamiliaSaldo, discount, totalBefore);
}

void lowerFamiliesByShare(ClientDataSet &families, double discount, double totalBefore)
{
    if (!families.Active() || families.IsEmpty() || totalBefore <= 0 || discount <= 0)
        return;
    const QString column = QStringLiteral("VRSALDCONFAM");
    QList<double> values;
    double consumed = 0;
    for (families.First(); !families.Eof(); families.Next()) {
        values << families.FieldByName(column).AsFloat();
        consumed += values.last();
    }
    if (consumed <= 0)
        return;
    // What falls on the families, in cents, then each family's exact share of it.
    const qint64 cents = std::llround(Money::RoundDec(std::min(discount, discount * consumed / totalBefore), 2) * 100.0);
    QList<qint64> shares;
    QList<std::pair<double, qsizetype>> remainders;
    qint64 given = 0;
    for (qsizetype i = 0; i < values.size(); ++i) {
        const double exact = Money::RoundDec(std::max(0.0, values[i]) * double(cents) / consumed, 6);
        shares << qint64(std::floor(exact));
        given += shares.last();
        remainders.append({exact - std::floor(exact), i});
    }
    std::stable_sort(remainders.begin(), remainders.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    for (qsizetype k = 0; given < cents && k < remainders.size(); ++k, ++given)
        ++shares[remainders[k].second];
    qsizetype i = 0;
    for (families.First(); !families.Eof(); families.Next(), ++i) {
        families.Edit();
        families.FieldByName(column).SetAsFloat(Money::RoundDec(values[i] - double(shares[i]) / 100.0, 2));
        families.Post();
    }
}
