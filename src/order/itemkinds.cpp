// Steps the item-kind roads share: the price function, the production printer, the next
// combination group.
#include "itemkinds_p.h"

#include "codeparsing.h"
#include "productentry.h"

#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>

#include <algorithm>

namespace ItemKinds {

ItemPrice askPrice(SaleContext &context, const QString &CDPRODUTO, const QString &combined)
{
    const SaleState &state = context.state();
    PriceRequest request;
    request.cdFilial = state.params.stCDFILIAL;
    request.cdClienteVenda = state.host.stCdClienteVenda;
    request.cdProduto = CDPRODUTO;
    request.cdLoja = state.params.stCDLOJA;
    request.cdConsumidor = state.consumer.stCDCONSUMIDOR;
    // Hours and minutes themselves: a time text cut by position breaks on one-digit hours.
    request.hora = CodeParsing::priceHour(Clock::now().time());
    request.combinado = combined;
    request.vendaDebito = isYes(state.params.stIDUTTABPRECLVDC) ? state.flags.boVendaDebito : true;
    request.modoVenda = state.host.stModoVenda;
    ClientDataSet &row = context.data().cdsRetornaPreco;
    ItemPrice price;
    const PriceAnswer answer = context.services().ChamaFuncaoGetRetornaPreco(request, row);
    if (!answer.ok) {
        price.refusal = answer.refusal;
        return price;
    }
    try {
        Consiste::CheckResultServ(answer.result, true, 0);
    } catch (const Consiste::EResultServ &error) {
        price.refusal = error.text();
        return price;
    }
    auto number = [&row](const char *name) { return row.FindField(QString::fromLatin1(name)).AsFloat(); };
    price.ok = true;
    price.VRPRECO = PtBr::FloatToStr(number("VRPRECO"));
    price.VRPRECOCLIE = PtBr::FloatToStr(number("VRPRECOCLIE"));
    price.VRDESCONTO = number("VRDESCONTO");
    price.VRACRESCIMO = number("VRACRESCIMO");
    return price;
}

void showPriceRefusal(SaleContext &context, const QString &code, const QString &productText)
{
    if (context.state().params.boUTILIZAIMPFIS) {
        context.screen().ControlaBotoes(true);
        context.screen().ControleAcessoBotoes();
    }
    const QString key = ProductEntry::priceRefusalKey(code);
    QString text = key.isEmpty() ? code : context.Msg(key);
    if (code == QLatin1String("PRECNCAD") && !productText.isEmpty())
        text += QLatin1Char('\r') + productText;
    context.message(text, 3);
}

ProductionPrinter printerOf(SaleContext &context, const QString &CDPRODUTO)
{
    ClientDataSet &printers = context.data().cdsPortaProd;
    const Variant key(QList<Variant>{context.state().params.stCDLOJA, CDPRODUTO});
    if (!printers.Active() || !printers.Locate(QStringLiteral("CDLOJA;CDPRODUTO"), key, loCaseInsensitive))
        return {};
    return {printers.FieldByName(QStringLiteral("CDPORIMPPROD")).AsString(),
            printers.FieldByName(QStringLiteral("IDIMPCANITEM")).AsString()};
}

QString nextComboGroup(SaleContext &context)
{
    const SaleState &state = context.state();
    Variant answer;
    // The tab and the sale by name: the lookup answers the tab's highest group.
    if (!context.checkAnswer(context.server().lookupsProducts.getAgrupProd(state.params.stCDFILIAL, state.host.stNRCOMANDA,
                                                        state.host.stNRVENDAREST),
                             QStringLiteral("getAgrupProd"),
                             state.params.stCDFILIAL + QLatin1Char('-') + state.host.stNRCOMANDA + QLatin1Char('-')
                                 + state.host.stNRVENDAREST,
                             answer))
        return QString();
    int highest = answer.toString().trimmed().toInt();
    ClientDataSet &items = context.data().cdsItems;
    if (items.Active()) {
        const auto mark = items.GetBookmark();
        for (items.First(); !items.Eof(); items.Next())
            highest = std::max(highest, items.FieldByName(QStringLiteral("NRSEQPRODCOM")).AsString().toInt());
        items.GotoBookmark(mark);
    }
    if (highest >= 999) {
        context.message(QStringLiteral("Operação bloqueada. O pedido já tem 999 grupos de produtos combinados."), 3);
        return QString();
    }
    return Consiste::Ajusta(QString::number(highest + 1), 3);
}

QString moneyText(double value)
{
    return PtBr::FloatToStr(value);
}

} // namespace ItemKinds
