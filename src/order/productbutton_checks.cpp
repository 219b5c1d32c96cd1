// The product button's own checks before the product pipeline: the server, the special
// products, the desk and its dates; and the replacement of a promotion sold again.
#include "productbutton.h"

#include "orderentry.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>

#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clock.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>

#include <consumer/consumersale.h>
#include <runtime/clientdataset.h>
#include <runtime/messages.h>
#include <sale/codes.h>
#include <sale/scopeguard.h>
#include <sale/serverseams.h>

#include <exception>

namespace {

// True when `day` is known and lies before `limit`. The start-up always sets the desk's
// dates; an unset one never locks the till.
bool before(const QDate &day, const QDate &limit)
{
    return day.isValid() && day < limit;
}

} // namespace

// The taps that queued up while the press waited (a second tap on the same button, a tap on
// another) are dropped, not delivered after the press: each would sell again.
void ProductButton::removeQueuedMouseMessages()
{
    for (const QEvent::Type type : {QEvent::MouseMove, QEvent::MouseButtonPress, QEvent::MouseButtonRelease,
                                    QEvent::MouseButtonDblClick, QEvent::Wheel})
        QCoreApplication::removePostedEvents(nullptr, type);
}

// The server is asked on every press. Unreachable, the host handles the lost server
// (CriaRegVenda: it tells the operator) and nothing is sold; once it answers again the grid
// sells again, rather than staying lost for the rest of the process.
bool ProductButtonPress::serverReachable()
{
    bool &unreachable = m_context.state().till.boBalcaoAux2;
    const QString failure = m_context.server().access.serverProbe();
    unreachable = failure.contains(QLatin1String("DBNETLIB"));
    if (!unreachable)
        return true;
    m_context.services().CriaRegVenda();
    return false;
}

void ProductButtonPress::checkServiceFee(const QString &code)
{
    const SaleState &state = m_context.state();
    const QString fee = m_context.server().lookupsProducts.getProdTxServ(state.params.stCDFILIAL, state.params.stCDLOJA);
    if (!fee.isEmpty() && fee == code && state.host.stModoVenda != SaleMode::Counter)
        refuse(QStringLiteral("PROD_TX_SERV"));
}

void ProductButtonPress::checkLoyaltyCampaign(const QString &code)
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    const Variant campaigns = m_context.checkedValue(m_context.server().loyalty.getProdPromoFidelidade(params.stCDFILIAL, code),
                                                     QStringLiteral("getProdPromoFidelidade"),
                                                     params.stCDFILIAL + QStringLiteral("-") + code);
    if (!campaigns.isPacket() || !m_cdsProdPromoFidelidade.SetData(campaigns.packet()))
        m_cdsProdPromoFidelidade.Close();
    state.loyalty.boFidelidade = m_cdsProdPromoFidelidade.Active() && !m_cdsProdPromoFidelidade.IsEmpty();
    if (state.host.stModoVenda != SaleMode::Counter || !state.host.stCdConsumidorVenda.isEmpty())
        return;
    if (state.loyalty.boFidelidade)
        refuse(QStringLiteral("CONS_N_INF2"));
    if (isYes(params.stIDUTLNFSVENCONS))
        refuse(QStringLiteral("CONS_N_INF3"));
}

// The fuel-station loyalty price of a consumer whose CPF the sale holds: the programme's
// segment group picks the consumer type, and the operator learns the segment's day price.
// The client's own message (customer not found, blocked, programme failing) is shown, not a
// bare "offline"; the sale goes on without the segment either way.
void ProductButtonPress::checkClubPetroPrice(const QString &code)
{
    SaleState &state = m_context.state();
    const ClientDataSet &credentials = m_context.data().cdsDadosResgSaldo;
    auto credential = [&credentials](const char *name) {
        return credentials.Active() ? credentials.FindField(QString::fromLatin1(name)).AsString() : QString();
    };
    if (credential("DSIDRESGS").isEmpty() || credential("DSSENHARESGS").isEmpty())
        return;
    ConsumerSale &consumer = m_context.consumer();
    const OnExit release([&consumer] { consumer.desalocaVariaveisClubPetro(); });
    ClubPetroLink &link = state.clubPetro;
    ClubPetroCustomer &club = state.clubPetroCustomer;
    if (club.stCpfClubPetro.isEmpty())
        return;
    link.stTokenApiClubPetro.clear();
    if (!consumer.buscaTokenResgate(state.params.stCDFILIAL)) {
        consumer.logClubPetro(QStringLiteral("Não foi possível buscar o token. Detalhes da requisição:"), QStringLiteral("N"),
                              QStringLiteral("N"));
        consumer.logClubPetro(club.stMensagemClubPetro, QStringLiteral("N"), QStringLiteral("S"));
        if (!m_context.message(m_context.Msg(QStringLiteral("IMPCONAPI_CLUBPETRO")), 0) && link.stClubPetroOnline == QLatin1String("S"))
            link.stClubPetroOnline = QStringLiteral("N");
        return;
    }
    if (!consumer.buscaDadosConsClubPetro(link.stTokenApiClubPetro, club.stCpfClubPetro, QStringLiteral("N"))) {
        consumer.logClubPetro(club.stMensagemClubPetro, QStringLiteral("N"), QStringLiteral("S"));
        m_context.message(club.stMensagemClubPetro.isEmpty() ? m_context.Msg(QStringLiteral("API_OFFLINE"))
                                                             : club.stMensagemClubPetro,
                          0);
        return;
    }
    consumer.logClubPetro(QStringLiteral("--> buscaDadosConsClubPetro = true - boCliClubPetroExiste = true"),
                          QStringLiteral("N"), QStringLiteral("N"));
    const ClientDataSet &customer = m_context.data().cdsConsClubPetro;
    if (customer.FieldByName(QStringLiteral("CPF_ATIVO")).AsString().toUpper() != QLatin1String("SIM")) {
        m_context.message(m_context.Msg(QStringLiteral("CONSCLUB_INATIVO")), 0);
        Abort();
    }
    clubPetroSegmentPrice(code);
}

void ProductButtonPress::clubPetroSegmentPrice(const QString &code)
{
    SaleState &state = m_context.state();
    ClientDataSet segment(QStringLiteral("cdsTipoConsFiliClubPetro"));
    const Variant types = m_context.checkedValue(
        m_context.server().consumers.GetTipoConsFiliClubPetro(state.clubPetroCustomer.stGrupoConsClubPetro),
        QStringLiteral("GetTipoConsFiliClubPetro"), state.clubPetroCustomer.stGrupoConsClubPetro);
    if (!types.isPacket() || !segment.SetData(types.packet()) || segment.IsEmpty())
        return;
    state.road.stNMGRUPOSEGPETRO = segment.FieldByName(QStringLiteral("NMGRUPOSEGPETRO")).AsString();
    state.consumer.stCDTIPOCONS = segment.FieldByName(QStringLiteral("CDTIPOCONS")).AsString();
    PriceRequest request;
    request.cdFilial = state.params.stCDFILIAL;
    request.cdClienteVenda = m_context.data().cdsCliente.Active()
                                 ? m_context.data().cdsCliente.FindField(QStringLiteral("CDCLIENTE")).AsString()
                                 : QString();
    request.cdProduto = code;
    request.cdLoja = state.params.stCDLOJA;
    request.modoVenda = state.host.stModoVenda;
    request.cdTipoCons = state.consumer.stCDTIPOCONS;
    request.valueCount = 10;
    ClientDataSet prices(QStringLiteral("cdsRetornaPreco_Aux"));
    const PriceAnswer answer = m_context.services().ChamaFuncaoGetRetornaPreco(request, prices);
    if (!answer.refusal.isEmpty()) {
        m_context.message(answer.refusal, 3);
        Abort();
    }
    state.road.stVRPRECODIA = prices.Active() ? prices.FindField(QStringLiteral("VRPRECODIA")).AsString() : QString();
    if (!state.road.stVRPRECODIA.isEmpty() && state.road.stVRPRECODIA != QLatin1String("0"))
        m_context.message(m_context.messages().Msg(QStringLiteral("DESC_CLUBPETRO"), {code, state.road.stVRPRECODIA}), 0);
}

void ProductButtonPress::checkCreditPrinting()
{
    if (!m_context.state().busy.boImprimindoCompCred)
        return;
    if (QAbstractButton *credit = m_context.button(FormName::spbCompraCred))
        credit->setDown(false);
    refuse(QStringLiteral("OPE_COMP_CRED"));
}

// The first item of a counter sale asks the host whether the drawer holds too much (or too
// little); the host tells the operator itself.
void ProductButtonPress::checkDrawerLimit()
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    const ClientDataSet &items = m_context.data().cdsItems;
    if ((items.Active() && !items.IsEmpty()) || state.host.stModoVenda != SaleMode::Counter
        || params.stIDCOLETOR == QLatin1String("C") || consulting())
        return;
    if (m_context.services().Vd_VrMinMaxSangria({params.stCDFILIAL, params.stCDCAIXA, params.dtDTABERCAIX}).toBool())
        Abort();
}

// A failure other than a refusal is shown and the item goes on, as the number is asked again
// on the next item.
void ProductButtonPress::reserveReceiptNumber()
{
    SaleState &state = m_context.state();
    bool applies = false;
    try {
        applies = EntryRules::reserveReceiptNumber(m_context, consulting());
    } catch (const EAbort &) {
        throw;
    } catch (const std::exception &error) {
        m_context.message(QString::fromUtf8(error.what()), 3);
    }
    const QString &reserved = state.till.stNrCupomReservado;
    if (applies && !reserved.isEmpty() && reserved != QLatin1String("CUPINV"))
        state.fiscal.stQrCodeAux1 = reserved;
}

void ProductButtonPress::checkPrinterAndDrawer()
{
    SaleState &state = m_context.state();
    if (m_context.screen().VerificaImpressoraOk(true)) {
        state.busy.boCancCupomAux1 = false;
        Abort();
    }
    if (!m_context.screen().VerificaEstadoGaveta(state.params.stIDTIPOGAVETA))
        Abort();
}

// While a fiscal printer sells the item, nothing else may start on it.
void ProductButtonPress::lockButtonsDuringItem()
{
    const SaleState &state = m_context.state();
    const QAbstractButton *consultation = m_context.button(FormName::spbConsultaPreco);
    if (!state.params.boUTILIZAIMPFIS || (consultation && consultation->isChecked()))
        return;
    for (QLatin1StringView name : {FormName::spbCancProd, FormName::spbObs, FormName::spbCancelaCupom, FormName::spbProdCombinado,
             FormName::spbFuncoes, FormName::spbPesquisa, FormName::spbConsultaPreco}) {
        if (QWidget *button = m_context.widget(name))
            button->setEnabled(false);
    }
    const bool quantityKeys = !consulting() && !state.params.boBOERROIMPRESSORA;
    for (QLatin1StringView name : {FormName::spbQtde, FormName::spbQtde2}) {
        if (QWidget *button = m_context.widget(name))
            button->setEnabled(quantityKeys);
    }
    m_buttonsLocked = true;
}

// A desk opened on an earlier day must be closed before it sells again; a desk opened in the
// future is refused whatever the printer.
void ProductButtonPress::checkDeskDates()
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    const QDateTime now = Clock::now();
    const QDate today = now.date();
    const QDate movement = state.startup.dtMovimentoFiscal.date();
    const QDate opening = params.dtDTABERCAIX.date();
    const bool printer = params.boUTILIZAIMPFIS;
    const bool desk = params.stIDCOLETOR != QLatin1String("C");
    const bool mustClose = isYes(params.stIDOBRIGFECHCAIX);
    if (printer && desk && !params.boBOERROIMPRESSORA) {
        const QDate yesterday = today.addDays(-1);
        if (((before(movement, today) || before(opening, today)) && now.time().hour() >= 1)
            || before(movement, yesterday) || before(opening, yesterday)) {
            m_context.message(m_context.Msg(QStringLiteral("EmiteZ")), 0);
            m_context.message(m_context.Msg(QStringLiteral("CloseCaixa")), 0);
            m_context.screen().ControlaBotoes(false);
            state.setPrinterInError(true);
            m_context.screen().ControleAcessoBotoes();
            Abort();
        }
    }
    if (!printer && desk && !params.boBOERROIMPRESSORA && !consulting() && mustClose
        && (before(movement, today) || before(opening, today)))
        refuse(QStringLiteral("FECH_CAIX_SAT"), 0);
    if (opening.isValid() && opening > today)
        refuse(QStringLiteral("FECH_CAIX_SAT"), 0);
    if (printer && mustClose && desk && before(opening, today))
        refuse(QStringLiteral("FECH_CAIX_ECF"));
}

void ProductButtonPress::checkPersonalCredit()
{
    const SaleState &state = m_context.state();
    if (!state.flags.boCreditoPessoal || !m_product.CDFAMILISALD.isEmpty())
        return;
    m_context.setCaption(FormName::lblBuffer, QString());
    if (state.params.boUTILIZAIMPFIS) {
        m_context.screen().ControlaBotoes(true);
        m_context.screen().ControleAcessoBotoes();
    }
    refuse(QStringLiteral("Ope_Fam"));
}

// A promotion sold again from the receipt replaces the lines it had: each line of its item
// group goes, with its receipt text row.
void ProductButtonPress::replaceResoldPromotion()
{
    RoadFields &road = m_context.state().road;
    if (road.stBalcaoAux2.isEmpty())
        return;
    ClientDataSet &items = m_context.data().cdsItems;
    ClientDataSet &receipt = m_context.data().cdsExtratoTemp;
    const Variant group(QList<Variant>{road.stBalcaoAux2, road.stBalcaoAux3});
    while (items.Active() && items.Locate(QStringLiteral("CDPRODPROMOCAO;NRSEQPRODCOM"), group)) {
        const Variant line(QList<Variant>{items.FieldByName(QStringLiteral("CDPRODUTO")).AsString(),
                                          items.FieldByName(QStringLiteral("NRSEQ")).AsString()});
        if (receipt.Active() && receipt.Locate(QStringLiteral("CDPROD;NRSEQ"), line))
            receipt.Delete();
        items.Delete();
    }
    road.stBalcaoAux2.clear();
    road.stBalcaoAux3.clear();
}
