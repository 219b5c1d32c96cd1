#include "consumersale.h"

#include "badgesale_p.h"

#include <sale/codes.h>
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <settlement/settlement.h>

#include <outside/consiste.h>
#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>

#include <QAbstractButton>
#include <QCoreApplication>

#include <stdexcept>

// The badge consumer sale: the consumer's badge, the kind of sale, the balances on the
// receipt and the products the consumer's service puts on the sale by themselves.

namespace {

QString fieldText(const ClientDataSet &rows, const char *name)
{
    const Field field = rows.FindField(QString::fromLatin1(name));
    return field.IsValid() ? field.AsString() : QString();
}

QString amount(double value)
{
    return PtBr::FormatFloat(QStringLiteral("0.00"), value);
}

const QString &rule()
{
    static const QString line = Consiste::Replicate(QStringLiteral("-"), 35);
    return line;
}

// The receipt kinds of the till in force for a kind, or none.
bool filterReceiptKinds(ClientDataSet &kinds, ClientDataSet::Predicate predicate)
{
    kinds.SetFilter(std::move(predicate));
    kinds.SetFiltered(true);
    kinds.First();
    if (kinds.Active() && !kinds.IsEmpty())
        return true;
    kinds.SetFiltered(false);
    return false;
}

} // namespace

void ConsumerSale::spbCartaoClick(QObject *)
{
    BadgeSaleRoad(m_context).press();
}

BadgeSaleRoad::BadgeSaleRoad(SaleContext &context) : m_context(context), m_state(context.state())
{
}

void BadgeSaleRoad::press()
{
    if (!guards())
        return;
    holdBadge();
    m_context.screen().Mensagem_Caixa(m_context.Msg(QStringLiteral("Venda_Consumidor")));
    if (!identify()) {
        commonEnd();
        return;
    }
    ConsumerState &consumer = m_state.consumer;
    SaleShell &shell = m_context.screen();
    m_state.host.stCdConsumidorVenda = consumer.stCDCONSUMIDOR;
    shell.RestauraRodape(QStringLiteral("2"), consumer.stNrCracha + QStringLiteral(" - ") + consumer.stNmConsumidor);
    shell.Mensagem_Caixa(m_context.Msg(QStringLiteral("SELECIONE_VENDACONS")));
    shell.Atualiza_Display(m_context.Msg(QStringLiteral("SELECIONE_VENDACONS_DISPLAY")), false);
    m_context.consumer().SelecionarTipoVenda(consumer.stCartaoAux2);
    if (!weekendBlock()) {
        commonEnd();
        return;
    }
    const QString &kind = consumer.stTipoVendaCons;
    try {
        if (kind == QLatin1String("1"))
            setUpDebit();
        else if (kind == QLatin1String("2"))
            setUpCredit();
        else if (kind == QLatin1String("3"))
            setUpCash();
        else
            resetSale();
    } catch (const EAbort &) {
        return; // the exit road: the refusal was shown
    }
    commonEnd();
}

// ---- guards ----------------------------------------------------------------------------------

bool BadgeSaleRoad::guards()
{
    SaleFlags &f = m_state.flags;
    auto refuse = [this](const char *key) {
        m_context.message(m_context.Msg(QString::fromLatin1(key)), Ravuvozozod::Error);
        return false;
    };
    if (m_state.screen.boConsultaPreco)
        return refuse("Prod_N_Vend");
    if (!f.boModoCartao && f.boCupomAberto)
        return refuse("OPE_N_VEND_CONS");
    if (f.boModoCartao && !f.boCupomAberto) {
        SaleShell &shell = m_context.screen();
        f.boCupomAberto = false;
        shell.LimpaCDS();
        shell.LimpaVariaveis();
        shell.ControleAcessoBotoes();
        shell.Atualiza_Display(m_context.Msg(QStringLiteral("CAIXA_LIVRE")), false);
        return false;
    }
    if (m_state.busy.boImprimindoCompCred) {
        releaseBadge();
        return refuse("OPE_COMP_CRED");
    }
    if (m_state.host.stModoVenda == SaleMode::Counter && m_state.params.stIDCOLETOR == QLatin1String("C")) {
        releaseBadge();
        return refuse("Ope_Col");
    }
    if (f.boCupomAberto && (f.boVendaDebito || f.boVendaVista || f.boCreditoPessoal)) {
        releaseBadge();
        return refuse(f.boVendaDebito ? "OPE_VEND_INI" : f.boVendaVista ? "OPE_AVIST_INI" : "OPE_CRED_INI");
    }
    return true;
}

// ---- the consumer ----------------------------------------------------------------------------

void refreshCreditBalances(SaleContext &context)
{
    const SaleState &state = context.state();
    const Parameters &p = state.params;
    const QString &client = state.host.stCdClienteVenda;
    const QString &consumer = state.consumer.stCDCONSUMIDOR;
    if (isYes(p.stIDEXTCONSONLINE))
        return;
    if (isYes(p.stIDEXTCONSCENTRAL)) {
        context.services().AtuSaldoExtCons({p.stCDFILIAL, client, consumer});
        return;
    }
    const QString which = client + QLatin1Char('-') + consumer;
    ClientDataSet &first = context.data().cdsMinDtMovExtCons;
    const Variant answer = context.checkedValue(context.server().consumers.getMinDtMovExtCons(client, consumer),
                                                QStringLiteral("getMinDtMovExtCons"), which);
    if (!answer.isPacket() || !first.SetData(answer.packet()) || first.IsEmpty())
        return;
    first.First();
    const QDateTime start = first.FieldByName(QStringLiteral("DTMOVEXTCONS")).AsDateTime();
    if (start.isValid())
        context.checkedValue(context.server().consumers.EvoluiSaldo(client, consumer, p.stCDFILIAL, start),
                             QStringLiteral("EvoluiSaldo"), which);
}

void takeSearchedConsumer(SaleState &state, const ConsumerSearchAnswer &found)
{
    ConsumerState &c = state.consumer;
    c.stRecebAux4 = found.stRecebAux4;
    c.stCpfAux1 = found.stCpfAux1;
    c.inCompraCredAux6 = found.inCompraCredAux6;
    c.stCDCONSUMIDOR = found.stCDCONSUMIDOR;
    c.stNmConsumidor = found.stNmConsumidor;
    c.stCartaoAux1 = found.stCartaoAux1;
    state.host.stCdClienteVenda = found.stCdClienteVenda;
    c.stInicializaAux2 = found.stInicializaAux2;
    c.stRecebAux10 = found.stRecebAux10;
    c.stRecebAux6 = found.stRecebAux6;
    c.stDebitoConsAux1 = found.stDebitoConsAux1;
    c.stVRMESUBCONS = found.stVRMESUBCONS;
    c.stNrCracha = found.stNrCracha;
    c.stCDTIPOCONS = found.stCDTIPOCONS;
    c.stVRMAXDEBCONS = found.stVRMAXDEBCONS;
    c.stCredPessoalAux1 = found.stCredPessoalAux1;
    c.stCredPessoalAux2 = found.stCredPessoalAux2;
    c.stRecebAux8 = found.stRecebAux8;
    c.stCartaoAux2 = found.stCartaoAux2;
    c.stNrInscrConsVenda = found.stNrInscrConsVenda;
    c.stCompraCredAux1 = found.stCompraCredAux1;
    c.inCompraCredAux1 = found.inCompraCredAux1;
    c.inCompraCredAux2 = found.inCompraCredAux2;
    c.inCompraCredAux3 = found.inCompraCredAux3;
    c.inCompraCredAux4 = found.inCompraCredAux4;
    c.inCompraCredAux5 = found.inCompraCredAux5;
    c.stIDCRACHADIGTECL = found.stIDCRACHADIGTECL;
}

bool BadgeSaleRoad::identify()
{
    ConsumerSearchRequest request;
    request.prompt = m_context.Msg(QStringLiteral("PASSE_CRACHA"));
    const ConsumerSearchAnswer found = m_context.services().PesqConsumidor(request, m_context.data().cdsCliente);
    if (!found.found) {
        resetSale();
        return false;
    }
    takeSearchedConsumer(m_state, found);
    return m_context.consumer().ValidarCadastro();
}

// Weekends may be closed to the daily balance: the consumer may pay in cash instead.
bool BadgeSaleRoad::weekendBlock()
{
    QString &kind = m_state.consumer.stTipoVendaCons;
    if (kind != QLatin1String("1") && kind != QLatin1String("2"))
        return true;
    const QString blocked = m_context.server().lookupsTills.getBloqFimSemana(m_state.host.stCdClienteVenda,
                                                                             m_state.consumer.stCDCONSUMIDOR);
    const int day = Clock::now().date().dayOfWeek();
    if (blocked != QLatin1String("S") || (day != Qt::Saturday && day != Qt::Sunday))
        return true;
    const bool other = Ravuvozozod::Mensagem(m_context.Msg(QStringLiteral("Dia_N_Permitido")), QString(), QStringLiteral("N"),
                                             QStringLiteral("S"), Ravuvozozod::Question, QString(),
                                             m_state.params.stIDESQUEMA, 0);
    if (other) {
        kind = QStringLiteral("3");
        return true;
    }
    resetSale();
    return false;
}

// ---- the three kinds -------------------------------------------------------------------------

void BadgeSaleRoad::setUpDebit()
{
    SaleFlags &f = m_state.flags;
    ConsumerState &c = m_state.consumer;
    if (m_state.screen.boConsultaPreco) {
        releaseBadge();
        m_context.message(m_context.Msg(QStringLiteral("Prod_N_Vend")), Ravuvozozod::Error);
        return;
    }
    display(m_context.Msg(QStringLiteral("Venda_debito_Disp")));
    if (f.boVendaDebito) {
        if (!m_context.data().cdsItems.IsEmpty()) {
            holdBadge();
            m_context.message(m_context.Msg(QStringLiteral("OPE_VEND_DEB")), Ravuvozozod::Error);
        } else {
            resetSale();
            m_context.data().cdsConfTipoRece.SetFiltered(false);
        }
        m_context.screen().Atualiza_Display(m_context.Msg(QStringLiteral("CAIXA_LIVRE")), false);
        return;
    }
    if (!debitReceiptKind())
        return;
    holdBadge();
    f.boVendaDebito = true;
    m_context.consumer().CarregaFotoConsumidor(c.stNrCracha);
    if (c.stCartaoAux1.isEmpty())
        c.stCartaoAux1 = m_state.params.stCDCCUSCLIE;
    const Parameters &p = m_state.params;
    const QDateTime start(Clock::now().date().addDays(-120), QTime(0, 0));
    // Neither refresh is read: a failed one leaves the balances as the last run left them.
    m_context.server().consumers.setAtualizaDebCons(p.stCDFILIAL, m_state.host.stCdClienteVenda, c.stCDCONSUMIDOR,
                                                    m_state.rights.stCDOPERADOR, start);
    if (isYes(p.stIDDEBCONSCENTRAL))
        m_context.services().AtuSaldoDebCons(
            {p.stCDFILIAL, m_state.host.stCdClienteVenda, c.stCDCONSUMIDOR, m_state.rights.stCDOPERADOR, start});
    try {
        m_context.consumer().Sald_Gast_Cons(QStringLiteral("1"), m_state.host.stCdClienteVenda, c.stCDCONSUMIDOR,
                                            c.stNmConsumidor, QString(), QString());
    } catch (const std::exception &error) {
        m_context.screen().RestauraCaixa();
        m_context.message(QString::fromUtf8(error.what()), Ravuvozozod::Error);
        Abort();
    }
    if (m_state.figures.doSubsidioBasico > 0 && isNo(p.stIDSALDEXTDEBCON))
        subsidyLine();
    if (isYes(p.stIDSALDEXTDEBCON))
        basicExtraLines();
    consumerCaptions(QStringLiteral("DEBITO_CONSUMIDOR"));
    loadServiceProducts(QStringLiteral("1"));
}

void BadgeSaleRoad::setUpCredit()
{
    SaleFlags &f = m_state.flags;
    ConsumerState &c = m_state.consumer;
    if (!creditReceiptKind())
        Abort();
    if (m_state.screen.boConsultaPreco) {
        releaseBadge();
        m_context.message(m_context.Msg(QStringLiteral("Prod_N_Vend")), Ravuvozozod::Error);
        return;
    }
    display(m_context.Msg(QStringLiteral("Venda_Cred")));
    if (f.boCreditoPessoal) {
        resetSale();
        m_context.data().cdsExtratoTemp.Close();
        return;
    }
    holdBadge();
    f.boCreditoPessoal = true;
    m_context.consumer().CarregaFotoConsumidor(c.stNrCracha);
    if (c.stCartaoAux1.isEmpty())
        c.stCartaoAux1 = m_state.params.stCDCCUSCLIE;
    consumerCaptions(QStringLiteral("CREDITO_PESSOAL"));
    if (m_state.params.boDISPLAYOK) {
        m_context.devices().LimpaDisplay();
        m_context.devices().DisplayEnviaTexto({m_context.Msg(QStringLiteral("CAIXA_LIVRE")), 1});
        m_context.devices().DisplayEnviaTexto({m_context.Msg(QStringLiteral("VendCredit")), 2});
    }
    try {
        m_context.consumer().Sald_Gast_Cons(QStringLiteral("2"), m_state.host.stCdClienteVenda, c.stCDCONSUMIDOR,
                                            c.stNmConsumidor, QString(), QString());
        refreshCreditBalances();
        loadFamilyBalances();
    } catch (const std::exception &error) {
        m_context.screen().RestauraCaixa();
        m_context.message(QString::fromUtf8(error.what()), Ravuvozozod::Error);
        Abort();
    }
    familyLines();
    loadServiceProducts(QStringLiteral("2"));
}

void BadgeSaleRoad::setUpCash()
{
    SaleFlags &f = m_state.flags;
    ConsumerState &c = m_state.consumer;
    if (m_state.screen.boConsultaPreco) {
        releaseBadge();
        m_context.message(m_context.Msg(QStringLiteral("Prod_N_Vend")), Ravuvozozod::Error);
        return;
    }
    display(m_context.Msg(QStringLiteral("Venda_VistaCons_Disp")));
    if (f.boVendaVista) {
        resetSale();
        return;
    }
    holdBadge();
    f.boVendaVista = true;
    consumerCaptions(QStringLiteral("AVISTA_CONSUMIDOR"));
    if (m_state.params.boDISPLAYOK) {
        m_context.devices().LimpaDisplay();
        m_context.devices().DisplayEnviaTexto({c.stNrCracha, 1});
        m_context.devices().DisplayEnviaTexto({c.stNmConsumidor, 2});
    }
    if (c.stCartaoAux1.isEmpty())
        c.stCartaoAux1 = m_state.params.stCDCCUSCLIE;
    try {
        m_context.consumer().Sald_Gast_Cons(QStringLiteral("1"), m_state.host.stCdClienteVenda, c.stCDCONSUMIDOR,
                                            c.stNmConsumidor, QString(), QString());
    } catch (const std::exception &error) {
        m_context.screen().RestauraCaixa();
        m_context.message(QString::fromUtf8(error.what()), Ravuvozozod::Error);
        Abort();
    }
    if (m_state.figures.doSubsidioBasico > 0 && isYes(m_state.params.stIDCONSUBDESFOL))
        subsidyLine();
    m_context.consumer().CarregaFotoConsumidor(c.stNrCracha);
    QCoreApplication::processEvents();
    loadServiceProducts(QStringLiteral("3"));
}

bool BadgeSaleRoad::debitReceiptKind()
{
    ClientDataSet &kinds = m_context.data().cdsConfTipoRece;
    const bool found = filterReceiptKinds(kinds, [](const ClientDataSet &r) {
        const QString shown = fieldText(r, "IDMOSTRARECE");
        return (shown == QLatin1String("S") || shown.isEmpty()) && !fieldText(r, "CDFPIMPFIS").isEmpty()
               && fieldText(r, "IDTIPORECE") == QLatin1String("A");
    });
    if (!found) {
        releaseBadge();
        m_context.message(m_context.Msg(QStringLiteral("N_Deb_Cons")), Ravuvozozod::Error);
        return false;
    }
    if (isYes(fieldText(kinds, "IDHABVENDAMAN"))) {
        m_state.settlement.receiptKindSoldByHand = true;
        m_state.settlement.stConfRecebimento = QStringLiteral("S");
    }
    return true;
}

bool BadgeSaleRoad::creditReceiptKind()
{
    ClientDataSet &kinds = m_context.data().cdsConfTipoRece;
    auto refuse = [this](const char *key) {
        releaseBadge();
        resetSale();
        m_context.message(m_context.Msg(QString::fromLatin1(key)), Ravuvozozod::Error);
        return false;
    };
    if (!filterReceiptKinds(kinds, [](const ClientDataSet &r) { return fieldText(r, "IDTIPORECE") == QLatin1String("9"); }))
        return refuse("CRED_N_CONF");
    if (!filterReceiptKinds(kinds, [](const ClientDataSet &r) {
            return !fieldText(r, "CDFPIMPFIS").isEmpty() && fieldText(r, "IDTIPORECE") == QLatin1String("9");
        }))
        return refuse("CRED_N_IMP");
    return true;
}

// ---- personal-credit balances ------------------------------------------------------------------

void BadgeSaleRoad::refreshCreditBalances()
{
    ::refreshCreditBalances(m_context);
}

void BadgeSaleRoad::loadFamilyBalances()
{
    const Parameters &p = m_state.params;
    const QString &client = m_state.host.stCdClienteVenda;
    const QString &consumer = m_state.consumer.stCDCONSUMIDOR;
    Variant packet;
    if (isYes(p.stIDEXTCONSONLINE)) {
        OnlineStatementRequest request{p.stCDFILIAL, client, consumer, QString(), QString(), p.stCDURLWSEXTCONS,
                                       QStringLiteral("CONSULTA_SALDO")};
        const StatementAnswer answer = m_context.services().ExtratoConsOnline(request, m_context.data().cdsVazio);
        if (!answer.answered)
            throw std::runtime_error(m_context.Msg(QStringLiteral("FALHA_CONEXAO_SRV")).toStdString());
        packet = answer.value;
    } else if (isYes(p.stIDEXTCONSCENTRAL)) {
        const QString operation = QStringLiteral("CONSULTA_SALDO_FAM");
        CentralStatementRequest request;
        request.cdFilial = p.stCDFILIAL;
        request.cdCliente = client;
        request.cdConsumidor = consumer;
        request.operation = operation;
        const StatementAnswer answer = m_context.services().ExtratoConsCentral(request);
        if (!answer.answered) {
            m_state.consumer.stSaldGastAux2 = operation;
            throw std::runtime_error(
                m_context.Msg(QStringLiteral("EXTCONSCENTRAL_ERRO")).replace(QStringLiteral("%s"), operation).toStdString());
        }
        packet = answer.value;
    } else {
        packet = m_context.checkedValue(m_context.server().consumers.getConsSaldFam(p.stCDFILIAL, client, consumer),
                                        QStringLiteral("getConsSaldFam"),
                                        p.stCDFILIAL + QLatin1Char('-') + client + QLatin1Char('-') + consumer);
    }
    ClientDataSet &balances = m_context.data().cdsConsultaSaldo;
    if (!packet.isPacket() || !balances.SetData(packet.packet()))
        balances.Close();
}

// ---- receipt lines -----------------------------------------------------------------------------

void BadgeSaleRoad::subsidyLine()
{
    const ConsumerFigures &f = m_state.figures;
    const QString caption = m_context.Msg(QStringLiteral("Subsidio"));
    SaleShell &shell = m_context.screen();
    shell.Linha(caption + Consiste::PadL(amount(f.doSubsidioBasico - f.doSubsidioBasicoEmp), 25 - int(caption.size())));
    shell.Linha(rule());
}

void BadgeSaleRoad::basicExtraLines()
{
    const ConsumerFigures &f = m_state.figures;
    const ClientDataSet &types = m_context.data().cdsTipoConsFili;
    SaleShell &shell = m_context.screen();
    if (types.Active() && !types.IsEmpty() && !fieldText(types, "VRSALDOBASICO").isEmpty()) {
        const QString caption = m_context.Msg(QStringLiteral("SaldoBasico"));
        shell.Linha(caption + Consiste::PadL(amount(f.doVRSALDOBASICO - f.doSubsidioBasicoEmp), 25 - int(caption.size())));
    }
    if (types.Active() && !types.IsEmpty() && !fieldText(types, "VRSALDOEXTRA").isEmpty()) {
        const QString caption = m_context.Msg(QStringLiteral("SaldoExtra"));
        shell.Linha(caption + Consiste::PadL(amount(f.doVRSALDOEXTRA - f.doConsumoSaldoExtra), 28 - int(caption.size())));
    }
    shell.Linha(rule());
}

void BadgeSaleRoad::familyLines()
{
    ClientDataSet &balances = m_context.data().cdsConsultaSaldo;
    if (!balances.Active() || balances.IsEmpty())
        return;
    SaleShell &shell = m_context.screen();
    shell.Linha(m_context.Msg(QStringLiteral("Saldo")));
    for (balances.First(); !balances.Eof(); balances.Next()) {
        const QString name = fieldText(balances, "NMFAMILISALD");
        const double value = balances.FieldByName(QStringLiteral("VRSALDCONFAM")).AsFloat();
        shell.Linha(Consiste::TamFixo(name.left(15), 15) + Consiste::PadL(amount(value), 25 - int(name.size())));
    }
    balances.First();
    shell.Linha(rule());
}

// ---- the screen --------------------------------------------------------------------------------

void BadgeSaleRoad::consumerCaptions(const QString &cashierKey)
{
    const ConsumerState &c = m_state.consumer;
    const QString &screen = m_state.params.stIdTpTelaVe;
    if (screen == QLatin1String("4") || screen == QLatin1String("6") || screen == QLatin1String("8")) {
        m_context.setCaption(FormName::lblCracha, m_context.Msg(QStringLiteral("Cracha")) + QLatin1Char(' ') + c.stNrCracha);
        m_context.setCaption(FormName::lblNmCons, c.stNmConsumidor);
        return;
    }
    m_context.screen().Mensagem_Caixa(m_context.Msg(cashierKey));
    const QString typeName = m_context.server().consumers.GetNmTipoCons(c.stCDTIPOCONS);
    m_context.screen().RestauraRodape(QStringLiteral("2"), c.stNrCracha + QStringLiteral("-") + c.stNmConsumidor
                                                             + QStringLiteral(" - ") + typeName);
}

void BadgeSaleRoad::display(const QString &line2)
{
    if (!m_state.params.boDISPLAYOK)
        return;
    m_context.devices().LimpaDisplay();
    m_context.devices().DisplayEnviaTexto({m_context.Msg(QStringLiteral("CAIXA_LIVRE")), 1});
    m_context.devices().DisplayEnviaTexto({line2, 2});
}

void BadgeSaleRoad::releaseBadge()
{
    if (QAbstractButton *badge = m_context.button(FormName::spbCartao)) {
        if (badge->isCheckable())
            badge->setChecked(false);
        badge->setDown(false);
    }
    m_state.flags.boModoCartao = false;
}

void BadgeSaleRoad::holdBadge()
{
    if (QAbstractButton *badge = m_context.button(FormName::spbCartao)) {
        if (badge->isCheckable())
            badge->setChecked(true);
    }
    m_state.flags.boModoCartao = true;
}

void BadgeSaleRoad::resetSale()
{
    m_context.screen().LimpaVariaveis();
}

// The service's products; a refused one in a service that prints by itself has already
// cancelled the receipt and freed the till.
void BadgeSaleRoad::loadServiceProducts(const QString &kind)
{
    ServiceProductsRun run(m_context, kind);
    try {
        m_stopped = !run.run();
        m_autoPrint = run.autoPrint();
    } catch (const EAbort &) {
        m_autoPrint = run.autoPrint();
    } catch (const std::exception &error) {
        m_context.message(QString::fromUtf8(error.what()), Ravuvozozod::Error);
    }
    if (!m_stopped)
        return;
    m_context.screen().ControleAcessoBotoes();
    if (QAbstractButton *settle = m_context.button(FormName::spbReceb))
        settle->setEnabled(true);
    Abort();
}

void BadgeSaleRoad::commonEnd()
{
    if (QAbstractButton *settle = m_context.button(FormName::spbReceb))
        settle->setEnabled(true);
    if (m_autoPrint && !m_context.data().cdsItems.IsEmpty())
        m_context.settlement().spbRecebClick(m_context.button(FormName::spbReceb));
}
