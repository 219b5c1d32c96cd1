// The search button: the entry checks, the search dialog over the branch's product list, and the
// chosen product through the product pipeline.
#include "orderentry.h"

#include "productentry.h"
#include "productlookup_p.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>

#include <outside/pkg_hrk00002.h>
#include <runtime/abort.h>
#include <runtime/clock.h>

#include <QAbstractButton>
#include <QWidget>

#include <sale/codes.h>
#include <sale/serverseams.h>

using EntryRules::refuse;

void OrderEntry::spbPesquisaClick(QObject *)
{
    zeraVariaveisCupomDesc();
    ProductSearch(m_context).run();
}

ProductSearch::ProductSearch(SaleContext &context) : m_context(context) {}

void ProductSearch::run()
{
    SaleState &state = m_context.state();
    if (state.busy.boCancCupomAux1)
        return;
    state.busy.boCancCupomAux1 = true;
    QWidget *grid = m_context.widget(FormName::panBalcao);
    OnExit guard([this, grid] { restoreScreen(grid); });
    ProductRow product;
    if (!searchChecks(grid) || !chooseSearchedProduct(product))
        return;
    ProductEntry(m_context, EntryOptions::search()).sell(product);
    logSearch(product);
}

void ProductSearch::restoreScreen(QWidget *grid)
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    if (state.params.boUTILIZAIMPFIS) {
        m_context.screen().ControlaBotoes(true);
        m_context.screen().ControleAcessoBotoes();
    }
    state.busy.boCancCupomAux1 = false;
    if (grid && !state.params.boBOERROIMPRESSORA)
        grid->setEnabled(true);
    data.cdsValidaProd.SetFiltered(false);
    // The touch grid reads the button configuration unfiltered.
    data.cdsConfigProd.SetFiltered(false);
    data.cdsPesqProd.SetFiltered(false);
}

// Read from the consultation button's state, which the search shows beside the list.
bool ProductSearch::consulting() const
{
    const QAbstractButton *consultation = m_context.button(FormName::spbConsultaPreco);
    return consultation ? consultation->isChecked() : m_context.state().screen.boConsultaPreco;
}

bool ProductSearch::searchChecks(QWidget *grid)
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    const bool consultation = consulting();
    checkCreditPrinting();
    checkClosedDesk(consultation);
    EntryRules::reserveReceiptNumber(m_context, consultation);
    if (state.host.stCdConsumidorVenda.isEmpty() && isYes(params.stIDUTLNFSVENCONS)
        && state.host.stModoVenda == SaleMode::Counter && !consultation)
        refuse(m_context, QStringLiteral("CONS_N_INF3"), 3, {params.stCDFILIAL});
    if (grid)
        grid->setEnabled(false);
    if (!m_context.screen().VerificaEstadoGaveta(params.stIDTIPOGAVETA))
        Abort();
    const AccessAnswer access =
        m_context.services().VerificaAcesso({state.rights.inCTPESQPRODUTO, state.rights.stCDOPERADOR});
    m_authoriser = access.stRetAcesso;
    if (!access.allowed)
        return false;
    if (EntryRules::collectorAtCounter(state) && !consultation)
        refuse(m_context, QStringLiteral("Ope_Col"));
    return true;
}

// Refuses while a credit purchase receipt is printing.
void ProductSearch::checkCreditPrinting()
{
    if (!m_context.state().busy.boImprimindoCompCred)
        return;
    if (QAbstractButton *credit = m_context.button(FormName::spbCompraCred))
        credit->setDown(false);
    refuse(m_context, QStringLiteral("OPE_COMP_CRED"));
}

// Refuses a sale on a desk whose fiscal day or opening is past, when the desk must be closed
// daily.
void ProductSearch::checkClosedDesk(bool consultation)
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    if (params.boUTILIZAIMPFIS || params.stIDCOLETOR == QLatin1String("C") || params.boBOERROIMPRESSORA
        || consultation || !isYes(params.stIDOBRIGFECHCAIX))
        return;
    const QDate today = Clock::now().date();
    if (today > state.startup.dtMovimentoFiscal.date() || today > params.dtDTABERCAIX.date())
        refuse(m_context, QStringLiteral("FECH_CAIX_SAT"), 0);
}

// The search dialog over the branch's list; the chosen row, its button configuration (weight
// and tare) and its family make the product. False when nothing was chosen.
bool ProductSearch::chooseSearchedProduct(ProductRow &product)
{
    loadSearchList();
    ClientDataSet &list = m_context.data().cdsPesqProd;
    SearchRequest request;
    request.firstValue = 0;
    request.secondValue = 0;
    request.lastValue = m_context.state().flags.boCupomAberto;
    if (!m_context.services().Pesquisa(request, list) || list.IsEmpty())
        return false;
    if (underWithdrawalLimits())
        return false;
    product = loadProductRow(list);
    applyButtonConfig(product);
    product.CDFAMILISALD = family(product);
    checkChosenProduct(product);
    return true;
}

// The branch's list from the server; a failed request (shown) searches an empty list.
void ProductSearch::loadSearchList()
{
    const Parameters &params = m_context.state().params;
    ClientDataSet &list = m_context.data().cdsPesqProd;
    const Variant packet = m_context.checkedValue(m_context.server().lookupsProducts.getProdPesq(params.stCDFILIAL),
                                                  QStringLiteral("getProdPesq"), params.stCDFILIAL);
    if (packet.isPacket())
        list.SetData(packet.packet());
    else if (!list.Active())
        list.CreateDataSet();
    else
        list.EmptyDataSet();
    list.SetFiltered(false);
}

// The first item of a sale waits while the drawer's withdrawal limits call for a withdrawal.
bool ProductSearch::underWithdrawalLimits()
{
    const Parameters &params = m_context.state().params;
    return m_context.data().cdsItems.IsEmpty() && params.stIDCOLETOR != QLatin1String("C") && !consulting()
           && m_context.services()
                  .Vd_VrMinMaxSangria({params.stCDFILIAL, params.stCDCAIXA, params.dtDTABERCAIX})
                  .toBool();
}

// The product's button, when it has one, decides whether it is weighed and its tare.
void ProductSearch::applyButtonConfig(ProductRow &product)
{
    ClientDataSet &buttons = m_context.data().cdsConfigProd;
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
}

// The server's family when it answers one; else the one the search row carries.
QString ProductSearch::family(const ProductRow &product)
{
    const Parameters &params = m_context.state().params;
    Variant family;
    const bool answered =
        m_context.checkAnswer(m_context.server().consumers.getCdFamiliSald(params.stCDFILIAL, product.CDPRODUTO),
                              QStringLiteral("getCdFamiliSald"),
                              params.stCDFILIAL + QStringLiteral("-") + product.CDPRODUTO, family,
                              SaleContext::Failure::Quiet);
    return answered && !family.toString().isEmpty() ? family.toString() : product.CDFAMILISALD;
}

void ProductSearch::checkChosenProduct(const ProductRow &product)
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    const QString serviceFee = m_context.server().lookupsProducts.getProdTxServ(params.stCDFILIAL, params.stCDLOJA);
    if (!serviceFee.isEmpty() && serviceFee == product.CDPRODUTO && state.host.stModoVenda != SaleMode::Counter)
        refuse(m_context, QStringLiteral("PROD_TX_SERV"), 3, {params.stCDFILIAL});
    if (state.flags.boCreditoPessoal && product.CDFAMILISALD.isEmpty())
        refuse(m_context, QStringLiteral("Ope_Fam"));
}

void ProductSearch::logSearch(const ProductRow &product)
{
    m_context.services().LogControleAcess(
        m_context.accessLog(QStringLiteral("PES_PRO"), m_context.Msg(QStringLiteral("Mot_Pes_Pro1")),
                            m_context.Msg(QStringLiteral("Mot_Pes_Pro")) + QLatin1Char(' ') + product.CDPRODUTO
                                + QStringLiteral(" - ") + product.NMPRODUTO,
                            m_authoriser));
}
