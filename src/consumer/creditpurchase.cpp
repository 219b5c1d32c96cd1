// The credit purchase at the cash desk: checks, consumer, family and bonus rules, then the
// payment screen. What follows the payment (recharge, numbers, write, vouchers) is in
// creditpurchase_settle.cpp.
#include "consumersale.h"
#include "badgesale_p.h"
#include "creditpurchase_p.h"

#include <server/srv_consumers_credit.h>

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <runtime/messages.h>

#include <QAbstractButton>
#include <QDialog>

#include <exception>

CreditPurchase::CreditPurchase(SaleContext &context)
    : m_context(context)
{
}

void CreditPurchase::press(QObject *Sender)
{
    m_button = qobject_cast<QAbstractButton *>(Sender);
    if (!m_button)
        m_button = m_context.button(FormName::spbCompraCred);
    if (m_button)
        m_button->setDown(true);
    start();
    if (printerBlocked()) {
        release();
        return;
    }
    refusals();
    loadKind();
    if (!findConsumer()) {
        m_context.screen().LimpaVariaveis();
        m_context.screen().Mensagem_Caixa(m_context.Msg(QStringLiteral("Venda_Balcao")));
        release();
        m_context.screen().Atualiza_Display(m_context.Msg(QStringLiteral("CAIXA_LIVRE")), true);
        commonEnd(false);
        return;
    }
    showConsumer();
    refreshBalances();
    checkFamilies();
    chooseFamily();
    checkPermission();
    if (!familyChosen()) {
        release();
        m_context.screen().LimpaVariaveis();
        commonEnd(false);
        return;
    }
    familyBalance();
    if (!BonusRules(m_context).VerificaBonus(m_family, m_familyName)) {
        release();
        commonEnd(false);
        return;
    }
    if (!pay())
        return;
    settle();
}

// ---- steps before the payment ---------------------------------------------------------------

void CreditPurchase::start()
{
    SettlementTexts &t = m_context.state().settlement;
    t.inRecebAux4.clear();
    t.inCompraCredAux7 = 1;
    t.inCompraCredAux8 = 1;
}

bool CreditPurchase::printerBlocked()
{
    return m_context.screen().VerificaImpressoraOk(true);
}

void CreditPurchase::refusals()
{
    const SaleState &s = m_context.state();
    if (s.busy.boImprimindoCompCred)
        refuse(QStringLiteral("OPE_COMP_CRED"));
    if (s.flags.boCreditoPessoal)
        refuse(QStringLiteral("OPE_CRED_INI"));
    if (s.flags.boVendaDebito)
        refuse(QStringLiteral("OPE_VEND_INI"));
    if (s.flags.boVendaVista)
        refuse(QStringLiteral("OPE_AVIST_INI"));
    if (s.flags.boCupomAberto)
        refuse(QStringLiteral("OPE_N_COMP"));
    if (!m_context.screen().VerificaEstadoGaveta(s.params.stIDTIPOGAVETA)) {
        release();
        Abort();
    }
    if (s.host.stModoVenda == QLatin1String("B") && s.params.stIDCOLETOR == QLatin1String("C")) {
        m_context.screen().Mensagem_Caixa(QString());
        refuse(QStringLiteral("Ope_Col"));
    }
}

void CreditPurchase::loadKind()
{
    m_kind = m_context.Msg(QStringLiteral("CARGA"));
    // A fixed scheme, as the button's own check asks it.
    Variant chart;
    Ravuvozozod::MensagemMetodo(m_context.server().lookupsTills.getCartaoCHART(), true, 0,
                                QStringLiteral("getCartaoCHART"), QStringLiteral("Cli_Kal51000"), QString(),
                                QStringLiteral("002"), chart);
    bool isBoolean = false;
    if (chart.toBool(&isBoolean) && isBoolean)
        m_kind = Srv_Kal51000::RecargaTarvolens;
    m_context.screen().Mensagem_Caixa(m_context.Msg(QStringLiteral("CARGA")));
    m_context.screen().Atualiza_Display(m_context.Msg(QStringLiteral("CARGA_DISP")).toUpper(), false);
}

bool CreditPurchase::findConsumer()
{
    SaleState &s = m_context.state();
    ConsumerSearchRequest request;
    request.prompt = m_kind;
    const ConsumerSearchAnswer found = m_context.services().PesqConsumidor(request, m_context.data().cdsCliente);
    if (!found.found)
        return false;
    takeSearchedConsumer(s, found);
    return true;
}

void CreditPurchase::showConsumer()
{
    SaleState &s = m_context.state();
    m_context.form().repaint();
    if (s.params.boDISPLAYOK) {
        m_context.devices().DisplayEnviaTexto({s.consumer.stNrCracha, 1, 1, 0, 0});
        m_context.devices().DisplayEnviaTexto({s.consumer.stNmConsumidor, 2, 1, 0, 0});
    }
    if (s.consumer.stCartaoAux1.isEmpty())
        s.consumer.stCartaoAux1 = s.params.stCDCCUSCLIE;
}

void CreditPurchase::refreshBalances()
{
    if (!recharge())
        refreshCreditBalances(m_context);
}

void CreditPurchase::checkFamilies()
{
    ClientDataSet &families = m_context.data().cdsFamSaldo;
    if ((!families.Active() || families.IsEmpty()) && !recharge()) {
        m_context.screen().LimpaVariaveis();
        release();
        m_context.message(m_context.messages().Msg(QStringLiteral("FAM_N_SALD"), {m_context.state().params.stCDFILIAL}),
                          Ravuvozozod::Error);
        Abort();
    }
    // Every family of the branch is offered, whatever filter an earlier road left on.
    if (families.Active()) {
        families.SetFiltered(false);
        families.SetFilter({});
    }
}

void CreditPurchase::chooseFamily()
{
    if (recharge()) {
        m_family = Srv_Kal51000::RecargaTarvolens;
        m_familyName = Srv_Kal51000::RecargaTarvolens;
        return;
    }
    ClientDataSet &families = m_context.data().cdsFamSaldo;
    if (families.RecordCount() > 1) {
        SearchRequest request;
        request.firstValue = QString();
        request.secondValue = QString();
        const QWidget &form = m_context.form();
        request.inAddProdAux1 = form.x();
        request.inAddProdAux2 = form.y();
        request.inAddProdAux3 = form.width();
        request.inAddProdAux4 = form.height();
        request.lastValue = 0;
        if (!m_context.services().Pesquisa(request, families) || families.IsEmpty())
            return;
    } else {
        families.First();
    }
    m_family = families.FieldByName(QStringLiteral("CDFAMILISALD")).AsString();
    m_familyName = families.FieldByName(QStringLiteral("NMFAMILISALD")).AsString();
}

// Tested before the empty family: a cancelled search on a closed family still says so.
void CreditPurchase::checkPermission()
{
    ClientDataSet &families = m_context.data().cdsFamSaldo;
    if (recharge() || !families.Active() || families.IsEmpty()
        || families.FieldDefs().IndexOf(QStringLiteral("IDPERMCARGACRED")) < 0)
        return;
    if (families.FieldByName(QStringLiteral("IDPERMCARGACRED")).AsString() == QLatin1String("N")) {
        m_context.message(m_context.Msg(QStringLiteral("Perm_Carga")), Ravuvozozod::Error);
        release();
        Abort();
    }
}

bool CreditPurchase::familyChosen()
{
    return recharge() || !m_family.isEmpty();
}

void CreditPurchase::familyBalance()
{
    const SaleState &s = m_context.state();
    try {
        m_context.consumer().Sald_Gast_Cons(QStringLiteral("2"), s.host.stCdClienteVenda, s.consumer.stCDCONSUMIDOR,
                                            s.consumer.stNmConsumidor, m_family, m_familyName);
    } catch (const std::exception &error) {
        m_context.message(QString::fromUtf8(error.what()), Ravuvozozod::Error);
        release();
        Abort();
    }
}

bool CreditPurchase::pay()
{
    SaleState &s = m_context.state();
    SaleDatasets &d = m_context.data();
    m_context.form().repaint();
    s.flags.boBalcaoAux1 = false;
    if (d.cdsConfTipoRece.Active() && !d.cdsConfTipoRece.IsEmpty()
        && d.cdsConfTipoRece.FieldDefs().IndexOf(QStringLiteral("IDHABVENDAMAN")) >= 0
        && d.cdsConfTipoRece.FieldByName(QStringLiteral("IDHABVENDAMAN")).AsString() == QLatin1String("S"))
        s.settlement.stConfRecebimento = QStringLiteral("S");

    PaymentRequest request;
    request.stRetAcesso = s.access.stRetAcesso;
    request.stNRCONTCUPOMFISC = m_receiptCounter;
    request.inRecebAux3 = s.settlement.inRecebAux3;
    request.stCompraCredAux2 = s.settlement.stCompraCredAux2;
    request.cdClienteVenda = s.host.stCdClienteVenda;
    request.cdConsumidorVenda = s.consumer.stCDCONSUMIDOR;
    request.saleKind = QStringLiteral("S");
    request.nmConsumidor = s.consumer.stNmConsumidor;
    request.nrCracha = s.consumer.stNrCracha;
    request.familyName = m_familyName;
    request.familyBalance = s.figures.doSaldoCredFamilia;
    request.stRecebAux5 = s.fiscal.stRecebAux5;
    request.roadMarker = QStringLiteral("N");
    request.stRecebAux12 = s.settlement.stRecebAux12;
    request.stRecebAux13 = s.settlement.stRecebAux13;
    request.stRecebAux14 = s.settlement.stRecebAux14;
    request.stConfRecebimento = s.settlement.stConfRecebimento;
    PaymentDatasets datasets{d.cdsParametrosQub, d.cdsVenda,        d.cdsVendaCancelada, d.cdsMovCaixa,
                             d.cdsFamiliaSaldo,  d.cdsEmprestimoFam, d.cdsCliente,        d.cdsAliqImpFis,
                             d.cdsConfTipoRece,  d.cdsECFCaixa,      d.cdsExtConsFid,     d.cdsPromoComanda};
    const PaymentAnswer answer = m_context.services().Recebimento(request, datasets);
    if (!answer.failure.isEmpty())
        m_context.message(answer.failure, Ravuvozozod::Error);
    s.access.stRetAcesso = answer.stRetAcesso;
    SettlementTexts &t = s.settlement;
    t.inRecebAux3 = answer.inRecebAux3;
    t.stCompraCredAux2 = answer.stCompraCredAux2;
    t.stRecebAux11 = answer.stRecebAux11;
    t.inRecebAux4 = answer.inRecebAux4;
    t.stNrOrdemVnd = answer.stNrOrdemVnd;
    t.stRecebAux12 = answer.stRecebAux12;
    t.stRecebAux13 = answer.stRecebAux13;
    t.stRecebAux14 = answer.stRecebAux14;
    t.stConfRecebimento = answer.stConfRecebimento;
    t.stVendeProdAux1 = answer.stVendeProdAux1;
    if (answer.paid)
        return true;
    if (d.cdsMovCaixa.Active())
        d.cdsMovCaixa.EmptyDataSet();
    m_context.screen().LimpaVariaveis();
    m_context.screen().Mensagem_Caixa(m_context.Msg(QStringLiteral("Venda_Balcao")));
    release();
    commonEnd(true);
    return false;
}

// ---- helpers ---------------------------------------------------------------------------------

bool CreditPurchase::recharge() const
{
    return m_kind == Srv_Kal51000::RecargaTarvolens;
}

void CreditPurchase::release()
{
    if (m_button)
        m_button->setDown(false);
}

void CreditPurchase::refuse(const QString &key, const QString &text)
{
    m_context.message(text.isEmpty() ? m_context.Msg(key) : text, Ravuvozozod::Error);
    release();
    Abort();
}

void CreditPurchase::commonEnd(bool toFront)
{
    if (toFront) {
        m_context.form().raise();
        m_context.form().activateWindow();
    }
    m_context.screen().LimpaVariaveis();
    m_context.screen().ControleAcessoBotoes();
}

double CreditPurchase::loadTotal() const
{
    ClientDataSet &payments = m_context.data().cdsMovCaixa;
    double total = 0;
    if (!payments.Active())
        return total;
    payments.First();
    while (!payments.Eof()) {
        total += payments.FieldByName(QStringLiteral("VRMOVIVEND")).AsFloat();
        payments.Next();
    }
    return total;
}

// ---- the handler ---------------------------------------------------------------------------------

void ConsumerSale::spbCompraCredClick(QObject *Sender)
{
    CreditPurchase(m_context).press(Sender);
}
