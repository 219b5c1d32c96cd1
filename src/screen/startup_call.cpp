#include "startup.h"
#include "startup_p.h"

#include "hostcall.h"
#include "rights.h"
#include "screenshell.h"
#include "tfrmvendacons.h"
#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <consumer/consumersale.h>
#include <order/orderentry.h>
#include <settlement/settlement.h>

#include <outside/consiste.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clock.h>
#include <runtime/messages.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <sale/codes.h>
#include <sale/serverseams.h>

void CallStartup::run(const HostCall &call)
{
    m_context.state().beginSale();
    resetGuards();
    loadOperator();
    takeArguments(call);
    findOperatorWaiter();
    setUpSaleMode(call);
    SaleVariables(m_context).InicializaVariaveis();
    prepareSaleDatasets();
    warnClosedDesk();
    askRights();
    recreateItems();
    StartupLayout(m_context).layOut();
    loadCouponSetting();
    loadCampaignSwitch();
    fillReceipt();
    setElectronicDocumentFolder();
    prepareFailover();
    startFailover();
    resetPartners();
    loadBalanceAndWeighing();
    // A credit load the till stopped in after writing it is finished before anything else.
    m_context.consumer().finishInterruptedLoads();
    // Partner calls earlier cancellations kept are sent again before the first sale.
    m_context.consumer().retryPartnerCalls();
}

// The handlers' guards and the QR-code mode came fresh with the call's sale (beginSale); what
// is left is what the screen shows of them.
void CallStartup::resetGuards()
{
    m_context.setCaption(FormName::stPosicao, QStringLiteral("1"));
    m_context.setCaption(FormName::lblBufferQRCODE, QString());
}

// The host writes the logged operator's file before each call. Without it the previous
// operator stays, and the operator is told; with no operator at all the till does not sell.
void CallStartup::loadOperator()
{
    const QString path = SitePaths::resolve(QStringLiteral("Dados\\Cadastros\\ControleAcess.cds"));
    ClientDataSet &file = m_context.data().cdsControleAcess;
    const bool present = QFileInfo(path).isFile();
    if (present)
        StartupIo::loadFile(file, path);
    OperatorRights &rights = m_context.state().rights;
    if (present && !file.IsEmpty()) {
        rights.stCDOPERADOR = file.FieldByName(QStringLiteral("CDOPERADOR")).AsString();
        rights.stNMOPERADOR = file.FieldByName(QStringLiteral("NMOPERADOR")).AsString();
        return;
    }
    const QString problem = present ? QStringLiteral("Arquivo do operador sem registro: %1").arg(path)
                                    : QStringLiteral("Arquivo do operador não encontrado: %1").arg(path);
    if (rights.stCDOPERADOR.isEmpty())
        throw EStartup(problem + QStringLiteral(". Nenhum operador está identificado neste caixa."));
    m_context.message(problem + QStringLiteral(". Continua o operador %1 - %2.")
                                    .arg(rights.stCDOPERADOR, rights.stNMOPERADOR), 0);
}

void CallStartup::takeArguments(const HostCall &call)
{
    HostArguments &host = m_context.state().host;
    host.stIDRETBALLOJA = call.idRetBalLoja;
    host.stModoVenda = call.modoVenda;
}

void CallStartup::findOperatorWaiter()
{
    SaleState &state = m_context.state();
    ClientDataSet &waiters = m_context.data().cdsGarcom;
    QString &waiter = state.rights.stCdVendedorOperador;
    if (state.host.stModoVenda != SaleMode::Delivery && waiters.Active() && !state.rights.stCDOPERADOR.isEmpty()
        && waiters.Locate(QStringLiteral("CDOPERADOR"), state.rights.stCDOPERADOR))
        waiter = waiters.FieldByName(QStringLiteral("CDVENDEDOR")).AsString();
    else
        waiter.clear();
}

void CallStartup::setUpSaleMode(const HostCall &call)
{
    if (m_context.state().host.stModoVenda == SaleMode::Counter)
        setUpCounter(call);
    else
        setUpOrderMode(call);
}

void CallStartup::setUpCounter(const HostCall &call)
{
    SaleState &state = m_context.state();
    HostArguments &host = state.host;
    host.stNRVENDAREST.clear();
    host.stNrComandaExib.clear();
    host.stNRMESA.clear();
    host.stNRCOMANDA.clear();
    host.stCDVENDEDOR.clear();
    host.stCdClienteVenda = state.params.stCDCLIENTE;
    host.stCdConsumidorVenda = call.cdConsumidor;
    m_context.shell().Mensagem_Caixa(m_context.Msg(QStringLiteral("Venda_Balcao")));
    m_context.shell().RestauraRodape(QStringLiteral("1"), QString());
}

void CallStartup::setUpOrderMode(const HostCall &call)
{
    SaleState &state = m_context.state();
    HostArguments &host = state.host;
    host.stNRVENDAREST = call.nrVendaRest;
    host.stNrComandaExib = call.nrComandaExib;
    host.stNRMESA = Consiste::Ajusta(call.nrMesa, 4);
    host.stNRCOMANDA = call.nrComanda;
    host.stCdClienteVenda = call.cdCliente;
    host.stCdConsumidorVenda = call.cdConsumidor;
    host.stCDVENDEDOR = call.cdVendedor.isEmpty() ? state.rights.stCdVendedorOperador
                                                  : Consiste::Ajusta(call.cdVendedor, 4);
    const QString mode = host.stModoVenda;
    const QString footer = orderFooter(mode, call);
    if (mode == SaleMode::Table || mode == SaleMode::Tab || mode == SaleMode::Delivery) {
        const char *line = mode == SaleMode::Table ? "VENDA_MESA" : mode == SaleMode::Tab ? "VENDA_COMANDA" : "VENDA_DELIVERY";
        m_context.shell().Mensagem_Caixa(m_context.Msg(QString::fromLatin1(line)));
        m_context.shell().RestauraRodape(QStringLiteral("2"), footer);
    }
    readTableOpening();
}

// The footer of a table, tab or delivery call. A call without a waiter shows no waiter code
// and looks no name up (an empty code would be padded to "0000" and refused).
QString CallStartup::orderFooter(const QString &mode, const HostCall &call)
{
    SaleState &state = m_context.state();
    const HostArguments &host = state.host;
    if (mode == SaleMode::Delivery) {
        const DataPacket consumer = StartupIo::packetOf(
            m_context.server().startupLookups.getConsumidorDLV(host.stCdClienteVenda, call.cdConsumidor),
            QStringLiteral("getConsumidorDLV"));
        m_context.data().cdsConsumidorDLV.SetData(consumer);
        QString &password = state.settlement.stSenhaPedido;
        if (password.isEmpty())
            password = StartupIo::textOf(m_context.server().tabs.getSenhaPed(state.params.stCDFILIAL,
                                                                        host.stNRCOMANDA, host.stNRVENDAREST),
                                         QStringLiteral("getSenhaPed"));
        return m_context.Msg(QStringLiteral("PEDIDO")) + QLatin1Char(' ') + host.stNrComandaExib
               + QStringLiteral(" - ") + m_context.Msg(QStringLiteral("CONSUMIDOR")) + QLatin1Char(' ')
               + call.cdConsumidor + QLatin1Char('-') + consumer.value(0, QStringLiteral("NMCONSUMIDOR")).toString();
    }
    QString clientName;
    ClientDataSet &clients = m_context.data().cdsCliente;
    if (clients.Active() && !clients.IsEmpty()
        && clients.Locate(QStringLiteral("CDCLIENTE"), host.stCdClienteVenda))
        clientName = clients.FieldByName(QStringLiteral("NMFANTCLIE")).AsString();
    const QString waiterCode = host.stCDVENDEDOR.isEmpty() ? QString() : Consiste::Ajusta(host.stCDVENDEDOR, 4);
    QString waiterName;
    if (!waiterCode.isEmpty())
        m_context.order().ValidaGarcom(waiterName, waiterCode, QString());
    const QString place = mode == SaleMode::Tab
                              ? m_context.Msg(QStringLiteral("Comanda")) + QLatin1Char(' ') + host.stNrComandaExib
                              : m_context.Msg(QStringLiteral("Mesa")) + QLatin1Char(' ') + host.stNRMESA;
    return place + QStringLiteral(" - ") + m_context.Msg(QStringLiteral("Garcom")) + QLatin1Char(' ') + waiterCode
           + QLatin1Char('-') + waiterName + QStringLiteral(" - ") + m_context.Msg(QStringLiteral("Cliente"))
           + QLatin1Char(' ') + host.stCdClienteVenda + QLatin1Char('-') + clientName;
}

void CallStartup::readTableOpening()
{
    SaleState &state = m_context.state();
    const QString branch = state.params.stCDFILIAL;
    const QString sale = state.host.stNRVENDAREST;
    const Variant value = m_context.checkedValue(m_context.server().tabs.GetDtHrAberMesa(branch, sale),
                                                 QStringLiteral("GetDtHrAberMesa"),
                                                 branch + QLatin1Char('-') + sale);
    state.startup.dtAberturaMesa = value.toDateTime();
}

void CallStartup::prepareSaleDatasets()
{
    SaleDatasets &data = m_context.data();
    if (data.cdsFamiliaSaldo.Active()) {
        // Every call after the first: the form is closed once, which clears the receipt.
        saleForm(m_context).Close();
        data.cdsFamiliaSaldo.EmptyDataSet();
    } else {
        data.cdsFamiliaSaldo.CreateDataSet();
    }
    for (ClientDataSet *kept : {&data.cdsValidaProd, &data.cdsProdCombinado, &data.cdsItensCancelados}) {
        if (!kept->Active())
            kept->CreateDataSet();
    }
    for (ClientDataSet *emptied : {&data.cdsObsItens, &data.cdsObsItensEst}) {
        if (emptied->Active())
            emptied->EmptyDataSet();
        else
            emptied->CreateDataSet();
    }
    data.cdsPromoComanda.Close();
    data.cdsPromoComanda.CreateDataSet();
    // Working copies of the product cadastres, when the host wrote them.
    if (data.cdsProdutos.Active())
        data.cdsValidaProd.CopyFrom(data.cdsProdutos);
    if (data.cdsProdutoCombinado.Active())
        data.cdsProdCombinado.CopyFrom(data.cdsProdutoCombinado);
    data.cdsItPromoComb.Close();
    data.cdsItPromoComb.CreateDataSet();
    const Parameters &params = m_context.state().params;
    m_context.checkedValue(m_context.server().lookupsProducts.setPromoCombAux(params.stCDFILIAL, params.stCDCAIXA),
                           QStringLiteral("setPromoCombAux"), params.stCDFILIAL + QLatin1Char('-') + params.stCDCAIXA);
}

void CallStartup::warnClosedDesk()
{
    const Parameters &params = m_context.state().params;
    if (params.stIDCOLETOR == QLatin1String("C") || !m_context.data().cdsValidaAbertura.IsEmpty()
        || params.boBOERROIMPRESSORA)
        return;
    m_context.message(Lvm_msg::Format(m_context.Msg(QStringLiteral("Caixa_Fechado")), {params.stCDCAIXA}), 0);
}

// Asked for the operator of this call, now that it is known.
void CallStartup::askRights()
{
    askOperatorRights(m_context);
}

void CallStartup::recreateItems()
{
    ClientDataSet &items = m_context.data().cdsItems;
    items.Close();
    items.CreateDataSet();
    ScreenShell *shell = &m_context.shell();
    if (Field takeAway = items.FindField(QStringLiteral("IDPARAVIAGEM")); takeAway.IsValid())
        takeAway.SetOnGetText([shell](const Field &field) { return shell->cdsItemsIDPARAVIAGEMGetText(field.AsString()); });
}

void CallStartup::loadCouponSetting()
{
    m_context.state().startup.stCupomAux1 =
        StartupIo::textOf(m_context.server().lookupsTills.getIDUTCUPOMDESC(), QStringLiteral("getIDUTCUPOMDESC"));
    ClientDataSet &coupons = m_context.data().cdsCupomDescVenda;
    if (coupons.Active())
        coupons.EmptyDataSet();
    else
        coupons.CreateDataSet();
}

void CallStartup::loadCampaignSwitch()
{
    const bool campaign = StartupIo::booleanOf(
        m_context.server().loyalty.getCampanha(m_context.state().params.stCDFILIAL), QStringLiteral("getCampanha"));
    m_context.state().startup.stTipoVendaAux1 = campaign ? QStringLiteral("S") : QStringLiteral("N");
}

void CallStartup::fillReceipt()
{
    m_context.order().PreencheExtrato();
    m_context.state().flags.boAddProdAux1 = false;
}

// The day's folder of NFC-e and SAT documents; created by the settlement when it writes there.
void CallStartup::setElectronicDocumentFolder()
{
    const Parameters &params = m_context.state().params;
    m_context.state().startup.stRecebAux2 =
        QDir(SitePaths::home()).filePath(QStringLiteral("Dados/XML_NFCe_Sat/")) + params.stCDFILIAL
        + QLatin1Char('-') + params.stCDCAIXA + QLatin1Char('-')
        + PtBr::FormatDateTime(QStringLiteral("yyyy-mm-dd"), Clock::now()) + QLatin1Char('/');
}

// The backup-printer map for the failover worker. Nothing here may stop the sale: a failure
// is logged and the map keeps what it held.
void CallStartup::prepareFailover()
{
    const Parameters &params = m_context.state().params;
    ClientDataSet &map = m_context.data().cdsImpBackup;
    const Variant answer = m_context.server().lookupsTills.getImpBackup(params.stCDFILIAL, params.stCDCAIXA);
    QString error;
    if (answer.isFailure() || (answer.isPacket() && !map.SetData(answer.packet(), &error))) {
        qWarning() << "backup printers not read:" << (answer.isFailure() ? answer.failureText() : error);
        return;
    }
    const QString folder = SitePaths::resolve(params.stDSDIRCAD + QStringLiteral("Dados\\IMPBACKUP\\"));
    const QString file = QDir(folder).filePath(QStringLiteral("cdsImpBackup.cds"));
    if (!QDir().mkpath(folder) || (QFileInfo::exists(file) && !QFile::remove(file))
        || !map.SaveToFile(file, &error))
        qWarning() << "backup-printer map not saved:" << file << error;
}

void CallStartup::startFailover()
{
    if (m_context.data().cdsImpBackup.IsEmpty())
        return;
    StartupIo::purgeOldTexts(SitePaths::resolve(QStringLiteral("DADOS\\IMPBACKUP")), Clock::now().date());
    if (QTimer *timer = m_context.form().findChild<QTimer *>(FormName::timImpressoraBackup))
        timer->start(30000);
    // The worker's lock is made once per process (Settlement::cs), never replaced here.
    Settlement::cs();
}

void CallStartup::resetPartners()
{
    SaleState &state = m_context.state();
    state.clubPetro.stClubPetroOnline = QStringLiteral("S");
    m_context.consumer().inicializaVarClubPetro();
    state.startup.stInicializaAux3 = QStringLiteral("N");
}

void CallStartup::loadBalanceAndWeighing()
{
    const Parameters &params = m_context.state().params;
    m_context.data().cdsDadosResgSaldo.SetData(StartupIo::packetOf(
        m_context.server().startupLookups.getDadosResgSaldo(params.stCDFILIAL), QStringLiteral("getDadosResgSaldo")));
    m_context.state().startup.stImpPesagem = StartupIo::textOf(
        m_context.server().lookupsTills.getImpPesagem(params.stCDFILIAL, params.stCDCAIXA), QStringLiteral("getImpPesagem"));
}
