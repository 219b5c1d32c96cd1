// Which handler answers each button of the sale form. A button passes itself as the Sender,
// so the grid handlers can read the button number from its name.
#include "tfrmvendacons.h"

#include "screenshell.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>

#include <consumer/consumersale.h>
#include <order/orderentry.h>
#include <settlement/settlement.h>

#include <QTimer>

void TfrmVendaCons::routeClicks()
{
    SaleContext &c = *m_context;
    using Handler = void (ScreenShell::*)(QObject *);
    const std::pair<QLatin1StringView, Handler> shellButtons[] = {
        {FormName::lblSair, &ScreenShell::lblSairClick},
        {FormName::spbMenuMesa, &ScreenShell::spbMenuMesaClick},
        {FormName::spbComanda, &ScreenShell::spbComandaClick},
        {FormName::spbDelivery, &ScreenShell::spbDeliveryClick},
        {FormName::spbVender, &ScreenShell::spbVenderClick},
        {FormName::spbCancProd, &ScreenShell::spbCancProdClick},
        {FormName::spbFuncoes, &ScreenShell::spbFuncoesClick},
        {FormName::spbObs, &ScreenShell::spbObsClick},
        {FormName::spbNrPessoas, &ScreenShell::spbNrPessoasClick},
        {FormName::spbImprimeMensagem, &ScreenShell::spbImprimeMensagemClick},
        {FormName::spbParaViagem, &ScreenShell::spbParaViagemClick},
        {FormName::spbConsultaPreco, &ScreenShell::spbConsultaPrecoClick},
        {FormName::spbQtde, &ScreenShell::spbQtdeClick},
        {FormName::spbQtde2, &ScreenShell::spbQtde2Click},
        {FormName::spbVendaManu, &ScreenShell::spbVendaManuClick},
        {FormName::spbGridBaixo, &ScreenShell::spbGridBaixoClick},
        {FormName::spbGridAcima, &ScreenShell::spbGridAcimaClick},
        {FormName::spbPosAbaixo, &ScreenShell::spbPosAbaixoClick},
        {FormName::spbPosAcima, &ScreenShell::spbPosAcimaClick},
        {FormName::sbtFidelidade, &ScreenShell::sbtFidelidadeClick},
    };
    for (const auto &[name, handler] : shellButtons)
        route(name, [&c, handler](QObject *s) { (c.shell().*handler)(s); });
    for (QLatin1StringView name : FormName::groupButtons)
        route(name, [&c](QObject *s) { c.shell().tcbGrupo01Click(s); });
    for (QLatin1StringView name : FormName::productButtons)
        route(name, [&c](QObject *s) { c.shell().tcbBalcao01Click(s); });

    route(FormName::spbPesquisa, [&c](QObject *s) { c.order().spbPesquisaClick(s); });
    route(FormName::spbProdCombinado, [&c](QObject *s) { c.order().spbProdCombinadoClick(s); });

    route(FormName::spbReceb, [&c](QObject *s) { c.settlement().spbRecebClick(s); });
    route(FormName::spbCancelaCupom, [&c](QObject *s) { c.settlement().spbCancelaCupomClick(s); });
    route(FormName::spbIncluiCpf, [&c](QObject *s) { c.settlement().spbIncluiCpfClick(s); });
    route(FormName::btnCancelaQrCode, [&c](QObject *s) { c.settlement().btnCancelaQrCodeClick(s); });
    route(FormName::spbLerQrCode, [&c](QObject *s) { c.settlement().spbLerQrCodeClick(s); });

    using ConsumerHandler = void (ConsumerSale::*)(QObject *);
    const std::pair<QLatin1StringView, ConsumerHandler> consumerButtons[] = {
        {FormName::spbCompraCred, &ConsumerSale::spbCompraCredClick},
        {FormName::spbCartao, &ConsumerSale::spbCartaoClick},
        {FormName::spbCredPessoal, &ConsumerSale::spbCredPessoalClick},
        {FormName::spbVendaVis, &ConsumerSale::spbVendaVisClick},
        {FormName::spbVendaDeb, &ConsumerSale::spbVendaDebClick},
        {FormName::spbCancEscolhe, &ConsumerSale::spbCancEscolheClick},
        {FormName::spbCadCons, &ConsumerSale::spbCadConsClick},
        {FormName::spbCashback, &ConsumerSale::spbCashbackClick},
        {FormName::spbCashbackUDS, &ConsumerSale::spbCashbackUDSClick},
        {FormName::spbConsultaPromo, &ConsumerSale::spbConsultaPromoClick},
        {FormName::btnEnterFid, &ConsumerSale::btnEnterFidClick},
        {FormName::btnSairFid, &ConsumerSale::btnSairFidClick},
        {FormName::btnCimaFid, &ConsumerSale::btnCimaFidClick},
        {FormName::btnBaixoFid, &ConsumerSale::btnBaixoFidClick},
    };
    for (const auto &[name, handler] : consumerButtons)
        route(name, [&c, handler](QObject *s) { (c.consumer().*handler)(s); });

    QTimer *failover = findChild<QTimer *>(FormName::timImpressoraBackup);
    connect(failover, &QTimer::timeout, this, [this, failover] {
        dispatch([this, failover] { m_context->settlement().timImpressoraBackupTimer(failover); });
    });
}
