#include "badgesale_p.h"

#include "consumersale.h"

#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <order/itemargs.h>
#include <order/orderentry.h>
#include <settlement/settlement.h>

#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/qub_movrela.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>

#include <QHash>

// The products a consumer's meal service puts on the sale by themselves: first those of the
// consumer's type, else those of the service, each only inside the service's hours. The
// windows are typed predicates on the rows, never filter texts built from the codes.

namespace {

QString text(const ClientDataSet &rows, const char *name)
{
    const Field field = rows.FindField(QString::fromLatin1(name));
    return field.IsValid() ? field.AsString().trimmed() : QString();
}

bool rowOpen(const ClientDataSet &rows, const QString &time)
{
    return BadgeSaleRules::serviceOpen(time, text(rows, "HRINISERTUR"), text(rows, "HRFINSERTUR"));
}

void clearFilter(ClientDataSet &rows)
{
    rows.SetFiltered(false);
    rows.SetFilter(nullptr);
}

bool applyFilter(ClientDataSet &rows, ClientDataSet::Predicate predicate)
{
    rows.SetFilter(std::move(predicate));
    rows.SetFiltered(true);
    rows.First();
    return !rows.IsEmpty();
}

QString refusalText(SaleContext &context, const QString &code)
{
    static const QHash<QString, QString> keys = {
        {QStringLiteral("PRECNCAD"), QStringLiteral("Preco_deve")},
        {QStringLiteral("TABENCAD"), QStringLiteral("TabePrec")},
        {QStringLiteral("DTCLI"), QStringLiteral("VigenciaCli")},
        {QStringLiteral("DTPAR"), QStringLiteral("VigenciaPar")},
        {QStringLiteral("DTLOJ"), QStringLiteral("VigenciaLoj")},
        {QStringLiteral("PRECZERO"), QStringLiteral("Preco_Zero")},
        {QStringLiteral("BLOQUEADO"), QStringLiteral("Prod_bloqueado")},
        {QStringLiteral("FORAHORA"), QStringLiteral("prod_fora_hora")},
    };
    const QString key = keys.value(code.trimmed());
    return key.isEmpty() ? code : context.Msg(key);
}

} // namespace

ServiceProductsRun::ServiceProductsRun(SaleContext &context, const QString &kind, Register registration)
    : m_context(context), m_state(context.state()), m_kind(kind),
      m_time(Clock::now().time().toString(QStringLiteral("HHmm"))), m_register(std::move(registration))
{
    if (!m_register)
        m_register = [&context](const PreenchePedidoArgs &item) { return context.order().PreenchePedido(item); };
}

bool ServiceProductsRun::run()
{
    if (!typePhase() || !servicePhase()) {
        stop();
        return false;
    }
    return true;
}

bool ServiceProductsRun::typePhase()
{
    ConsumerState &consumer = m_state.consumer;
    ClientDataSet &rows = m_context.data().cdsProdServTCon;
    consumer.boCartaoAux3 = false;
    clearFilter(rows);
    if (!rows.Active() || rows.IsEmpty())
        return true;
    const QString type = consumer.stCDTIPOCONS;
    const QString time = m_time;
    BusyFlag busy(m_state.flags.boRecebendo);
    if (applyFilter(rows, [type, time](const ClientDataSet &r) {
            return text(r, "CDTIPOCONS") == type && text(r, "IDCARGAUTOPS") == QLatin1String("S") && rowOpen(r, time);
        })) {
        consumer.boCartaoAux3 = true;
        if (!walk(rows, true))
            return false;
    }
    if (applyFilter(rows, [type, time](const ClientDataSet &r) { return text(r, "CDTIPOCONS") == type && rowOpen(r, time); })) {
        consumer.boCartaoAux3 = true;
        consumer.boCartaoAux2 = true;
        m_autoPrint = anyAutoPrint(rows);
    }
    return true;
}

bool ServiceProductsRun::servicePhase()
{
    ConsumerState &consumer = m_state.consumer;
    if (consumer.boCartaoAux2)
        return true;
    ClientDataSet &rows = m_context.data().cdsProdServ;
    clearFilter(rows);
    if (!rows.Active() || rows.IsEmpty())
        return true;
    const QString time = m_time;
    const bool cash = m_kind == QLatin1String("3");
    BusyFlag busy(m_state.flags.boRecebendo);
    if (applyFilter(rows, [time, cash](const ClientDataSet &r) {
            if (text(r, "IDCARGAUTOPR") != QLatin1String("S"))
                return false;
            return cash ? BadgeSaleRules::cashServiceOpen(time, text(r, "HRINISERTUR"), text(r, "HRFINSERTUR"))
                        : rowOpen(r, time);
        })) {
        if (!walk(rows, false))
            return false;
    }
    if (applyFilter(rows, [time](const ClientDataSet &r) { return rowOpen(r, time); })) {
        consumer.boCartaoAux2 = true;
        m_autoPrint = anyAutoPrint(rows);
    }
    return true;
}

// Whether a service open now prints its receipt by itself.
bool ServiceProductsRun::anyAutoPrint(ClientDataSet &rows)
{
    bool autoPrint = false;
    for (rows.First(); !rows.Eof(); rows.Next())
        autoPrint = autoPrint || isYes(text(rows, "IDIMPCUPOMAUT"));
    rows.First();
    return autoPrint;
}

// The rows are taken by bookmark, so that a check that moves the cursor cannot skip one.
bool ServiceProductsRun::walk(ClientDataSet &rows, bool typeRows)
{
    QList<Bookmark> marks;
    for (rows.First(); !rows.Eof(); rows.Next())
        marks.append(rows.GetBookmark());
    for (const Bookmark &mark : marks) {
        if (!rows.GotoBookmark(mark))
            continue;
        if (!loadRow(rows, typeRows))
            return false;
    }
    rows.First();
    return true;
}

bool ServiceProductsRun::loadRow(ClientDataSet &rows, bool typeRows)
{
    SaleState &s = m_state;
    SaleDatasets &data = m_context.data();
    s.consumer.stCDSERVFILI.clear();
    ClientDataSet &products = data.cdsValidaProd;
    products.SetFiltered(false);
    const QString code = text(rows, "CDPRODUTO");
    if (!products.Active() || !products.Locate(QStringLiteral("CDPRODUTO"), code)) {
        m_context.message(m_context.Msg(QStringLiteral("PROD_CAD_SERV")), Ravuvozozod::Error);
        return true;
    }
    s.consumer.stCDSERVFILI = text(rows, "CDSERVFILI");
    if (!price(code))
        return true;
    const ClientDataSet &priced = data.cdsRetornaPreco;
    const double unit = priced.FieldByName(QStringLiteral("VRPRECO")).AsFloat();
    const double clientPart = priced.FieldByName(QStringLiteral("VRPRECOCLIE")).AsFloat();
    const QString name = text(products, "NMPRODUTO");
    if (!m_context.consumer().Valida_Produtos_Servico(code, name, QStringLiteral("1"), PtBr::FloatToStr(unit),
                                                      PtBr::FloatToStr(clientPart), data.cdsItems))
        return true;
    SaleTotals &totals = s.totals;
    totals.doVrAcrescimoItem = Qub_movrela::Trunc2(text(priced, "VRACRESCIMO").isEmpty()
                                                       ? 0.0
                                                       : priced.FieldByName(QStringLiteral("VRACRESCIMO")).AsFloat() * totals.doQuantidade);
    totals.doVrAcrComanda += totals.doVrAcrescimoItem;
    totals.doVrDescontoItem = Qub_movrela::Trunc2(text(priced, "VRDESCONTO").isEmpty()
                                                      ? 0.0
                                                      : priced.FieldByName(QStringLiteral("VRDESCONTO")).AsFloat() * totals.doQuantidade);
    QString priceText = PtBr::FloatToStr(unit);
    if (isYes(text(priced, "IDPRECVARIA"))) {
        KeypadRequest request;
        request.value = priceText;
        request.title = m_context.Msg(QStringLiteral("venda"));
        request.prompt = m_context.Msg(QStringLiteral("Inf_Prec"));
        request.emptyMessage = m_context.Msg(QStringLiteral("Valor_Deve"));
        request.maxLength = 10;
        request.option1 = 1;
        request.option2 = 1;
        request.option3 = 0;
        request.defaultText = priceText;
        request.lastFlag = 0;
        const KeypadAnswer typed = m_context.services().TecladoNumerico(request);
        priceText = typed.confirmed ? typed.value : PtBr::FloatToStr(unit);
    }
    PreenchePedidoArgs item;
    item.CDPRODUTO = code;
    item.CDPRODPROMOCAO = code;
    item.CDARVPROD = text(products, "CDARVPROD");
    item.NMPRODUTO = name;
    item.CDFAMILISALD = text(products, "CDFAMILISALD");
    item.VRPRECO = priceText;
    item.VRDESCONTO = PtBr::FloatToStr(totals.doVrDescontoItem);
    item.VRACRESCIMO = PtBr::FloatToStr(totals.doVrAcrescimoItem);
    item.IDPESAPROD = text(products, "IDPESAPROD");
    item.VRPRECOCLIE = PtBr::FloatToStr(clientPart);
    item.QTPRODCOMVEN = PtBr::FloatToStr(totals.doQuantidade);
    item.SGUNIDADE = text(products, "SGUNIDADE");
    const QString tare = text(products, "QTTARAPROD");
    item.QTTARAPROD = tare.isEmpty() ? 0.0 : PtBr::StrToFloat(tare);
    item.validaServico = false;
    item.IDIMPPRGRPROMO = QStringLiteral("N");
    if (typeRows || m_kind == QLatin1String("1")) {
        ClientDataSet &ports = data.cdsPortaProd;
        if (ports.Active()
            && ports.Locate(QStringLiteral("CDLOJA;CDPRODUTO"), Variant(QList<Variant>{Variant(s.params.stCDLOJA), Variant(code)}),
                            LocateOptions(loCaseInsensitive))) {
            item.CDPORIMPPROD = text(ports, "CDPORIMPPROD");
            item.IDIMPCANITEM = text(ports, "IDIMPCANITEM");
        }
    }
    const bool registered = m_register(item);
    // The refusal counts only in a service of this row that prints its receipt by itself.
    return registered || m_kind == QLatin1String("3") || !isYes(text(rows, "IDIMPCUPOMAUT"));
}

bool ServiceProductsRun::price(const QString &product)
{
    const SaleState &s = m_state;
    PriceRequest request;
    request.cdFilial = s.params.stCDFILIAL;
    request.cdClienteVenda = s.host.stCdClienteVenda;
    request.cdProduto = product;
    request.cdLoja = s.params.stCDLOJA;
    request.cdConsumidor = s.consumer.stCDCONSUMIDOR;
    request.hora = m_time;
    request.vendaDebito = isYes(s.params.stIDUTTABPRECLVDC) ? s.flags.boVendaDebito : true;
    request.modoVenda = s.host.stModoVenda;
    const PriceAnswer answer = m_context.services().ChamaFuncaoGetRetornaPreco(request, m_context.data().cdsRetornaPreco);
    QString refusal = answer.ok ? QString() : answer.refusal;
    if (refusal.isEmpty()) {
        try {
            Consiste::CheckResultServ(answer.result, true, 0);
        } catch (const Consiste::EResultServ &error) {
            refusal = error.text();
        }
    }
    if (refusal.isEmpty() && !answer.ok)
        refusal = QStringLiteral("PRECNCAD");
    if (refusal.isEmpty())
        return true;
    m_context.message(refusalText(m_context, refusal), Ravuvozozod::Error);
    return false;
}

// A refused product of a service that prints by itself ends the badge sale: the receipt is
// cancelled and the till freed, nothing is settled.
void ServiceProductsRun::stop()
{
    m_state.consumer.boCartaoAux1 = true;
    if (!m_context.data().cdsItems.IsEmpty())
        m_context.settlement().spbCancelaCupomClick(nullptr);
    m_context.screen().LimpaCDS();
    m_context.screen().LimpaVariaveis();
}
