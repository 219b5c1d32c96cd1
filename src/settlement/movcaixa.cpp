#include "settlement.h"

#include <outside/consiste.h>
#include <outside/pkg_hrk00001.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>
#include <sale/codes.h>

namespace {

bool blank(const ClientDataSet &dataset, const char *field)
{
    const Field value = dataset.FindField(QString::fromLatin1(field));
    return !value.IsValid() || value.IsNull() || value.AsString().trimmed().isEmpty();
}

// The receipt type of the balance road: shown on the till (or not said), printable on the
// fiscal printer, of the kind "9" (personal credit) or "A" (consumer debit).
ClientDataSet::Predicate receiptTypeOf(const QString &kind)
{
    return [kind](const ClientDataSet &types) {
        const QString shown = types.FindField(QStringLiteral("IDMOSTRARECE")).AsString().trimmed();
        return (isYes(shown) || blank(types, "IDMOSTRARECE")) && !blank(types, "CDFPIMPFIS")
            && types.FindField(QStringLiteral("IDTIPORECE")).AsString().trimmed() == kind;
    };
}

QDateTime movementDay(const QDateTime &fiscal)
{
    const bool zero = !fiscal.isValid() || fiscal.date() <= QDate(1899, 12, 30);
    return zero ? QDateTime(Clock::now().date(), QTime(0, 0)) : fiscal;
}

// The pole display shows the total twice: as the total and as what was paid.
void showTotalOnDisplay(SaleContext &context)
{
    const SaleState &state = context.state();
    if (!state.params.boDISPLAYOK)
        return;
    context.devices().LimpaDisplay();
    const QString amount = PtBr::FloatToStrFixed(state.totals.doTotalVenda, 2);
    for (const char *key : {"Total", "TotalPago"}) {
        const QString label = context.Msg(QString::fromLatin1(key));
        const int width = qMax(int(amount.size()), state.params.inTAMDISPLAY - int(label.size()) - 1);
        context.devices().DisplayEnviaTexto({label + QLatin1Char(' ') + Consiste::TamFixoR(amount, width), 1, 1, 0, 0});
    }
}

// The one row of cdsMovCaixa, from the receipt type `types` stands on; empty when written,
// else the failure's text.
QString writeMovementRow(SaleContext &context, const ClientDataSet &types, bool creditoPessoal)
{
    const SaleState &state = context.state();
    ClientDataSet &movements = context.data().cdsMovCaixa;
    QStringList missing;
    auto set = [&](const char *field, const Variant &value) {
        if (!movements.FieldByName(QString::fromLatin1(field)).SetValue(value))
            missing << QString::fromLatin1(field);
    };
    auto fromType = [&](const char *field) { return Variant(types.FindField(QString::fromLatin1(field)).AsString()); };
    movements.Close();
    movements.CreateDataSet();
    movements.Append();
    set("CDFILIAL", state.params.stCDFILIAL);
    set("IDTIPOMOVIVE", creditoPessoal ? QStringLiteral("E") : QStringLiteral("T"));
    set("DTHRINCMOV", Clock::now());
    set("CDTIPORECE", fromType("CDTIPORECE"));
    set("NMTIPORECE", fromType("NMTIPORECE"));
    set("IDTIPORECE", fromType("IDTIPORECE"));
    set("VRMOVIVEND", state.totals.doTotalVenda);
    set("CDTIPOTROCO", fromType("CDTIPOTROCO"));
    set("NRORDTROCO", fromType("NRORDTROCO"));
    set("CDCLIENTE", state.host.stCdClienteVenda);
    set("CDCONSUMIDOR", state.consumer.stCDCONSUMIDOR);
    set("CDCCUSCLIE", state.consumer.stCartaoAux1);
    set("DTMOVIMCAIXA", movementDay(state.startup.dtMovimentoFiscal));
    set("DSIMPFISCAL", fromType("DSIMPFISCAL"));
    set("CDBANCARTCR", creditoPessoal ? fromType("CDBANCARTCR") : Variant(QString()));
    set("CDFPIMPFIS", fromType("CDFPIMPFIS"));
    set("QTPARCRECEB", QStringLiteral("1"));
    if (missing.isEmpty() && !movements.Post())
        missing << QStringLiteral("(gravação)");
    if (missing.isEmpty())
        return {};
    movements.Cancel();
    return QStringLiteral("Movimento de caixa não gravado: ") + missing.join(QStringLiteral(", "));
}

} // namespace

bool Settlement::InsereMovCaixa(bool creditoPessoal)
{
    SaleState &state = m_context.state();
    ClientDataSet &types = m_context.data().cdsConfTipoRece;
    const QString kind = creditoPessoal ? QStringLiteral("9") : QStringLiteral("A");
    // The receipt-type filter is switched off on every way out.
    // It stays on the type it used, whose settings (IDHABVENDAMAN) the road reads next.
    QString used;
    const OnExit filterOff([&types, &used] {
        types.SetFiltered(false);
        if (!used.isEmpty())
            types.Locate(QStringLiteral("CDTIPORECE"), used);
    });
    types.SetFiltered(false);
    types.SetFilter(receiptTypeOf(kind));
    types.SetFiltered(true);
    types.First();
    if (const Field type = types.FindField(QStringLiteral("CDTIPORECE")); type.IsValid() && !types.IsEmpty())
        used = type.AsString();
    const QString failure = types.IsEmpty()
        ? QStringLiteral("Nenhum tipo de recebimento \"%1\" configurado para o caixa.").arg(kind)
        : writeMovementRow(m_context, types, creditoPessoal);
    if (!failure.isEmpty()) {
        // The road stops here: a sale paid by balance is never saved without its payment row.
        state.flags.boRecebendo = false;
        m_context.message(failure, Ravuvozozod::Error);
        return false;
    }
    showTotalOnDisplay(m_context);
    return true;
}
