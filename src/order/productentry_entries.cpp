// The entries of the product pipeline: the Enter key with a typed or scanned code, the search
// button, and the product buttons' hand-over. Each owns its busy flag and its clean-up.
#include "orderentry.h"

#include "productentry.h"
#include "productentry_server.h"

#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>
#include <screen/screenshell.h>

#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/messages.h>
#include <runtime/clock.h>

#include <QAbstractButton>
#include <QWidget>

#include <exception>
#include <sale/codes.h>

namespace {

const QString Unit = QStringLiteral("Cli_Kal51000");

// Runs `cleanUp` on every way out of a scope.
template <class F>
class OnExit
{
public:
    explicit OnExit(F cleanUp) : m_cleanUp(std::move(cleanUp)) {}
    ~OnExit() { m_cleanUp(); }
    OnExit(const OnExit &) = delete;
    OnExit &operator=(const OnExit &) = delete;

private:
    F m_cleanUp;
};

[[noreturn]] void refuse(SaleContext &context, const QString &key, int kind = 3,
                         const QStringList &args = {})
{
    context.message(context.messages().Msg(key, args), kind);
    Abort();
}

void clearBuffer(SaleContext &context)
{
    context.setCaption(QStringLiteral("lblBuffer"), QString());
}

bool collectorAtCounter(const SaleState &state)
{
    return state.host.stModoVenda == SaleMode::Counter && state.params.stIDCOLETOR == QLatin1String("C");
}

} // namespace

// The counter's receipt number of the Colombian numbering, reserved before the first item.
// A held number is kept; an exhausted range or a failed request refuses the item.
bool EntryRules::reserveReceiptNumber(SaleContext &context, bool consulting)
{
    SaleState &state = context.state();
    const Parameters &params = state.params;
    if (state.host.stModoVenda != SaleMode::Counter || params.boUTILIZAIMPFIS || consulting
        || params.stIDPAISINTEGRA != QLatin1String("01"))
        return false;
    QString &reserved = state.fiscal.stNrCupomReservado;
    if (!reserved.isEmpty() && reserved != QLatin1String("CUPINV"))
        return true;
    Variant number;
    const bool usable = Ravuvozozod::MensagemMetodo(
        entryServer().getPrxVendaColombia(params.stCDFILIAL, params.stCDCAIXA, params.stCDPREFINTGCOL,
                                          params.stNRCUPINIINTGCOL, params.stNRCUPFININTGCOL),
        true, 0, QStringLiteral("getPrxVendaColombia"), Unit, params.stCDFILIAL, params.stIDESQUEMA, number);
    reserved = usable ? number.toString() : QString();
    if (!usable)
        Abort();
    if (reserved == QLatin1String("CUPINV"))
        refuse(context, QStringLiteral("Cup_inv"), 3, {params.stNRCUPINIINTGCOL, params.stNRCUPFININTGCOL});
    return true;
}

// ---- Enter key -----------------------------------------------------------------------------

void OrderEntry::enterTypedCode(const QString &code)
{
    SaleState &state = m_context.state();
    SaleFlags &flags = state.flags;
    if (flags.boDigitacaoAux1 || flags.boRecebendo)
        return;
    flags.boDigitacaoAux1 = true;
    // The label's quantity belongs to this item only, registered or refused.
    OnExit guard([&state] {
        state.flags.boDigitacaoAux1 = false;
        state.road.stQtdeCodBarra.clear();
    });
    try {
        const Parameters &params = state.params;
        EntryRules::reserveReceiptNumber(m_context, flags.boConsultaPreco);
        if (collectorAtCounter(state))
            refuse(m_context, QStringLiteral("Ope_Col"));
        if (!m_context.shell().VerificaEstadoGaveta(params.stIDTIPOGAVETA))
            Abort();
        if (params.boBOERROIMPRESSORA && params.boUTILIZAIMPFIS && !flags.boConsultaPreco) {
            clearBuffer(m_context);
            refuse(m_context, QStringLiteral("ERRO_INICIA_IMP"));
        }
        ProductRow product;
        if (!ValidaProduto_Codigo(product.CDPRODUTO, product.NMPRODUTO, product.CDARVPROD,
                                  product.CDFAMILISALD, product.IDPESAPROD, product.SGUNIDADE,
                                  product.QTTARAPROD, product.IDIMPPRODUTO, product.IDTIPOCOMPPROD,
                                  product.DTFINVGPROMOC, product.DTINIVGPROMOC, code,
                                  product.fromScaleLabel)) {
            clearBuffer(m_context);
            Abort();
        }
        if (flags.boCreditoPessoal && product.CDFAMILISALD.isEmpty()) {
            clearBuffer(m_context);
            refuse(m_context, QStringLiteral("Ope_Fam"));
        }
        ProductEntry(m_context, EntryOptions::enterKey()).sell(product, code);
        clearBuffer(m_context);
    } catch (const EAbort &) {
        throw;
    } catch (const Consiste::EResultServ &error) {
        clearBuffer(m_context);
        refuse(m_context, error.text());
    } catch (const std::exception &error) {
        clearBuffer(m_context);
        m_context.message(QString::fromUtf8(error.what()), 3);
        Abort();
    }
}

// ---- product buttons -----------------------------------------------------------------------

// The button road resolves its row, runs its own checks up to the desk dates and the family,
// and holds its busy flag; from the price on the item runs the shared pipeline.
void OrderEntry::sellButtonProduct(const ProductRow &product, const std::function<bool()> &goesOnAfterLineValues,
                                   const std::function<void()> &promotionAccepted)
{
    EntryOptions options = EntryOptions::productButton();
    options.goesOnAfterLineValues = goesOnAfterLineValues;
    options.promotionAccepted = promotionAccepted;
    ProductEntry(m_context, options).sell(product);
}

// ---- search --------------------------------------------------------------------------------

void OrderEntry::spbPesquisaClick(QObject *)
{
    zeraVariaveisCupomDesc();
    SaleState &state = m_context.state();
    if (state.flags.boCancCupomAux1)
        return;
    state.flags.boCancCupomAux1 = true;
    SaleDatasets &data = m_context.data();
    QWidget *grid = m_context.widget(QStringLiteral("panBalcao"));
    OnExit guard([this, &state, &data, grid] {
        if (state.params.boUTILIZAIMPFIS) {
            m_context.shell().ControlaBotoes(true);
            m_context.shell().ControleAcessoBotoes();
        }
        state.flags.boCancCupomAux1 = false;
        if (grid && !state.params.boBOERROIMPRESSORA)
            grid->setEnabled(true);
        data.cdsValidaProd.SetFiltered(false);
        // The touch grid reads the button configuration unfiltered.
        data.cdsConfigProd.SetFiltered(false);
        data.cdsPesqProd.SetFiltered(false);
    });
    ProductRow product;
    if (!searchChecks(grid) || !chooseSearchedProduct(product))
        return;
    ProductEntry(m_context, EntryOptions::search()).sell(product);
    logSearch(product);
}

bool OrderEntry::searchChecks(QWidget *grid)
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    const QAbstractButton *consultation = m_context.button(QStringLiteral("spbConsultaPreco"));
    const bool consulting = consultation ? consultation->isChecked() : state.flags.boConsultaPreco;
    if (state.flags.boImprimindoCompCred) {
        if (QAbstractButton *credit = m_context.button(QStringLiteral("spbCompraCred")))
            credit->setDown(false);
        refuse(m_context, QStringLiteral("OPE_COMP_CRED"));
    }
    if (!params.boUTILIZAIMPFIS && params.stIDCOLETOR != QLatin1String("C") && !params.boBOERROIMPRESSORA
        && !consulting && isYes(params.stIDOBRIGFECHCAIX)) {
        const QDate today = Clock::now().date();
        if (today > state.startup.dtMovimentoFiscal.date() || today > params.dtDTABERCAIX.date())
            refuse(m_context, QStringLiteral("FECH_CAIX_SAT"), 0);
    }
    EntryRules::reserveReceiptNumber(m_context, consulting);
    if (state.host.stCdConsumidorVenda.isEmpty() && isYes(params.stIDUTLNFSVENCONS)
        && state.host.stModoVenda == SaleMode::Counter && !consulting)
        refuse(m_context, QStringLiteral("CONS_N_INF3"), 3, {params.stCDFILIAL});
    if (grid)
        grid->setEnabled(false);
    if (!m_context.shell().VerificaEstadoGaveta(params.stIDTIPOGAVETA))
        Abort();
    const AccessAnswer access = m_context.services().VerificaAcesso({state.rights.inCTPESQPRODUTO,
                                                                     state.rights.stCDOPERADOR});
    state.rights.stRetAcesso = access.stRetAcesso;
    if (!access.allowed)
        return false;
    if (collectorAtCounter(state) && !consulting)
        refuse(m_context, QStringLiteral("Ope_Col"));
    return true;
}

// The search dialog over the branch's list; the chosen row, its button configuration (weight
// and tare) and its family make the product. False when nothing was chosen.
bool OrderEntry::chooseSearchedProduct(ProductRow &product)
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    SaleDatasets &data = m_context.data();
    ClientDataSet &list = data.cdsPesqProd;
    Variant packet;
    Ravuvozozod::MensagemMetodo(entryServer().getProdPesq(params.stCDFILIAL), true, 0,
                                QStringLiteral("getProdPesq"), Unit, params.stCDFILIAL, params.stIDESQUEMA,
                                packet);
    if (packet.isPacket())
        list.SetData(packet.packet());
    else if (!list.Active())
        list.CreateDataSet();
    else
        list.EmptyDataSet();
    list.SetFiltered(false);
    SearchRequest request;
    request.firstValue = 0;
    request.secondValue = 0;
    request.lastValue = state.flags.boCupomAberto;
    if (!m_context.services().Pesquisa(request, list) || list.IsEmpty())
        return false;
    const QAbstractButton *consultation = m_context.button(QStringLiteral("spbConsultaPreco"));
    const bool consulting = consultation ? consultation->isChecked() : state.flags.boConsultaPreco;
    if (data.cdsItems.IsEmpty() && params.stIDCOLETOR != QLatin1String("C") && !consulting
        && m_context.services().Vd_VrMinMaxSangria({params.stCDFILIAL, params.stCDCAIXA, params.dtDTABERCAIX}).toBool())
        return false;
    auto row = [&list](const char *column) { return list.FindField(QString::fromLatin1(column)).AsString(); };
    product.CDPRODUTO = row("CDPRODUTO");
    product.NMPRODUTO = row("NMPRODUTO");
    product.CDARVPROD = row("CDARVPROD");
    product.SGUNIDADE = row("SGUNIDADE");
    product.IDIMPPRODUTO = row("IDIMPPRODUTO");
    product.IDTIPOCOMPPROD = row("IDTIPOCOMPPROD");
    product.DTINIVGPROMOC = row("DTINIVGPROMOC");
    product.DTFINVGPROMOC = row("DTFINVGPROMOC");
    product.IDPESAPROD = row("IDPESAPROD");
    product.QTTARAPROD = row("QTTARAPROD");
    ClientDataSet &buttons = data.cdsConfigProd;
    if (buttons.Active()) {
        const QString code = product.CDPRODUTO;
        buttons.SetFilter([code](const ClientDataSet &d) {
            return d.FindField(QStringLiteral("CDIDENTBUTON")).AsString() == code;
        });
        buttons.SetFiltered(true);
        if (!buttons.IsEmpty()) {
            if (isYes(buttons.FindField(QStringLiteral("IDPESAPROD")).AsString()))
                product.IDPESAPROD = QStringLiteral("S");
            product.QTTARAPROD = buttons.FindField(QStringLiteral("QTTARAPROD")).AsString();
        }
    }
    if (product.QTTARAPROD.isEmpty())
        product.QTTARAPROD = QStringLiteral("0");
    // The server's family when it answers; else the one the search row carries.
    Variant family;
    const bool answered = Ravuvozozod::MensagemMetodo(
        entryServer().getCdFamiliSald(params.stCDFILIAL, product.CDPRODUTO), false, 0,
        QStringLiteral("getCdFamiliSald"), Unit, params.stCDFILIAL + QStringLiteral("-") + product.CDPRODUTO,
        params.stIDESQUEMA, family);
    product.CDFAMILISALD = answered ? family.toString() : row("CDFAMILISALD");
    const QString serviceFee = entryServer().getProdTxServ(params.stCDFILIAL, params.stCDLOJA);
    if (!serviceFee.isEmpty() && serviceFee == product.CDPRODUTO && state.host.stModoVenda != SaleMode::Counter)
        refuse(m_context, QStringLiteral("PROD_TX_SERV"), 3, {params.stCDFILIAL});
    if (state.flags.boCreditoPessoal && product.CDFAMILISALD.isEmpty())
        refuse(m_context, QStringLiteral("Ope_Fam"));
    return true;
}

void OrderEntry::logSearch(const ProductRow &product)
{
    m_context.services().LogControleAcess(
        m_context.accessLog(QStringLiteral("PES_PRO"), m_context.Msg(QStringLiteral("Mot_Pes_Pro1")),
                            m_context.Msg(QStringLiteral("Mot_Pes_Pro")) + QLatin1Char(' ') + product.CDPRODUTO
                                + QStringLiteral(" - ") + product.NMPRODUTO));
}

// ---- seams of other roads ------------------------------------------------------------------

// Discount coupons: the coupon road fills it in.
void OrderEntry::controlaValorCupom(double, double, double, double, const QString &) {}
// Refills of the seat: the refill road fills it in.
void OrderEntry::ControlaRefil(const QString &) {}
// Prizes and combinations: the promotion road fills these in.
void OrderEntry::AjustaPrecoCombo(const QString &) {}
void OrderEntry::AdicionaPremio() {}
double OrderEntry::RetornaPrecoCombo()
{
    return 0;
}

Variant OrderEntry::CriaCampCompGanhe(const QList<Variant> &, Variant &vaRetorno)
{
    vaRetorno = Variant::array(10);
    vaRetorno.setAt(3, 0.0);
    return Variant(true);
}
