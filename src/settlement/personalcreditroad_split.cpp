// The split of a consumer's sale by balance family under the limits that broke.
#include "personalcreditroad_p.h"

#include <runtime/clientdataset.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <algorithm>

namespace {

// A limit kept as text: empty is no limit; anything but a number is reported by name.
std::optional<double> limitValue(const QString &text, const QString &name, QString &invalid)
{
    const QString plain = text.trimmed();
    if (plain.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = PtBr::StrToFloat(plain, &ok);
    if (!ok && invalid.isEmpty())
        invalid = QStringLiteral("%1 \"%2\"").arg(name, plain);
    return ok ? std::optional<double>(value) : std::nullopt;
}

} // namespace

LimitRooms personalCreditRooms(SaleContext &context)
{
    const SaleState &s = context.state();
    const ConsumerFigures &f = s.figures;
    LimitRooms limits;
    if (!f.boRecebAux1) {
        limits.balanceFloor = limitValue(s.consumer.stCredPessoalAux2, QStringLiteral("VRLIMCREDCONS"), limits.invalid);
    }
    for (const LimitVerdict::Broken &broken : f.limits.broken) {
        if (!broken.unreadable.isEmpty()) {
            if (limits.invalid.isEmpty())
                limits.invalid = QStringLiteral("%1 \"%2\"").arg(broken.name, broken.unreadable.trimmed());
            continue;
        }
        limits.rooms << std::max(0.0, broken.room);
    }
    return limits;
}

QList<FamilyShare> splitByFamily(const ClientDataSet &balances, ClientDataSet &saleRows, LimitRooms limits,
                                 double saleTotal)
{
    QList<double> &rooms = limits.rooms;
    QList<FamilyShare> shares;
    if (!balances.Active() || !saleRows.Active())
        return shares;
    double left = Money::RoundDec(std::max(0.0, saleTotal), 2);
    ClientDataSet walk;
    walk.CopyFrom(balances);
    for (walk.First(); !walk.Eof() && left > 0; walk.Next()) {
        const QString family = walk.FieldByName(QStringLiteral("CDFAMILISALD")).AsString();
        const double balance = walk.FieldByName(QStringLiteral("VRSALDCONFAM")).AsFloat();
        double familyValue = 0;
        bool hasRows = false;
        {
            saleRows.SetFilter([family](const ClientDataSet &row) {
                return row.FindField(QStringLiteral("CDFAMILISALD")).AsString() == family;
            });
            saleRows.SetFiltered(true);
            const OnExit unfilter([&saleRows] {
                saleRows.SetFiltered(false);
                saleRows.SetFilter({});
            });
            for (saleRows.First(); !saleRows.Eof(); saleRows.Next()) {
                hasRows = true;
                familyValue += saleRows.FieldByName(QStringLiteral("QTPRODCOMVEN")).AsFloat()
                               * saleRows.FieldByName(QStringLiteral("VRPRECCOMVEN")).AsFloat();
            }
        }
        if (!hasRows)
            continue;
        double amount = std::min({balance - limits.balanceFloor.value_or(0), Money::RoundDec(familyValue, 2), left});
        for (const double r : rooms)
            amount = std::min(amount, r);
        amount = Money::RoundDec(amount, 2);
        if (amount <= 0)
            continue;
        for (double &r : rooms)
            r = Money::RoundDec(r - amount, 2);
        left = Money::RoundDec(left - amount, 2);
        shares << FamilyShare{family, amount};
    }
    return shares;
}
