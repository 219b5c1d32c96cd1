// Which handler answers each button of the sale form. A button passes itself as the Sender,
// so the grid handlers can read the button number from its name.
#include "tfrmvendacons.h"

#include <sale/salecontext.h>
#include "screenshell.h"

#include <consumer/consumersale.h>
#include <order/orderentry.h>
#include <settlement/settlement.h>

#include <QTimer>

namespace {

QString twoDigits(int n)
{
    return QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
}

} // namespace

void TfrmVendaCons::routeClicks()
{
    SaleContext &c = *m_context;
    using Handler = void (ScreenShell::*)(QObject *);
    const std::pair<const char *, Handler> shellButtons[] = {
        {"lblSair", &ScreenShell::lblSairClick},
        {"spbMenuMesa", &ScreenShell::spbMenuMesaClick},
        {"spbComanda", &ScreenShell::spbComandaClick},
        {"spbDelivery", &ScreenShell::spbDeliveryClick},
        {"spbVender", &ScreenShell::spbVenderClick},
        {"spbCancProd", &ScreenShell::spbCancProdClick},
        {"spbFuncoes", &ScreenShell::spbFuncoesClick},
        {"spbObs", &ScreenShell::spbObsClick},
        {"spbNrPessoas", &ScreenShell::spbNrPessoasClick},
        {"spbImprimeMensagem", &ScreenShell::spbImprimeMensagemClick},
        {"spbParaViagem", &ScreenShell::spbParaViagemClick},
        {"spbConsultaPreco", &ScreenShell::spbConsultaPrecoClick},
        {"spbQtde", &ScreenShell::spbQtdeClick},
        {"spbQtde2", &ScreenShell::spbQtde2Click},
        {"spbGridBaixo", &ScreenShell::spbGridBaixoClick},
        {"spbGridAcima", &ScreenShell::spbGridAcimaClick},
        {"spbPosAbaixo", &ScreenShell::spbPosAbaixoClick},
        {"spbPosAcima", &ScreenShell::spbPosAcimaClick},
    };
    for (const auto &[name, handler] : shellButtons)
        route(QString::fromLatin1(name), [&c, handler](QObject *s) { (c.shell().*handler)(s); });
    for (int n = 1; n <= 12; ++n)
        route(QStringLiteral("tcbGrupo") + twoDigits(n), [&c](QObject *s) { c.shell().tcbGrupo01Click(s); });
    for (int n = 1; n <= 36; ++n)
        route(QStringLiteral("tcbBalcao") + twoDigits(n), [&c](QObject *s) { c.shell().tcbBalcao01Click(s); });

    route(QStringLiteral("spbPesquisa"), [&c](QObject *s) { c.order().spbPesquisaClick(s); });
    route(QStringLiteral("spbProdCombinado"), [&c](QObject *s) { c.order().spbProdCombinadoClick(s); });

    route(QStringLiteral("spbReceb"), [&c](QObject *s) { c.settlement().spbRecebClick(s); });
    route(QStringLiteral("spbCancelaCupom"), [&c](QObject *s) { c.settlement().spbCancelaCupomClick(s); });
    route(QStringLiteral("spbIncluiCpf"), [&c](QObject *s) { c.settlement().spbIncluiCpfClick(s); });
    route(QStringLiteral("btnCancelaQrCode"), [&c](QObject *s) { c.settlement().btnCancelaQrCodeClick(s); });

    using ConsumerHandler = void (ConsumerSale::*)(QObject *);
    const std::pair<const char *, ConsumerHandler> consumerButtons[] = {
        {"spbCompraCred", &ConsumerSale::spbCompraCredClick},
        {"spbCartao", &ConsumerSale::spbCartaoClick},
        {"spbCredPessoal", &ConsumerSale::spbCredPessoalClick},
        {"spbVendaVis", &ConsumerSale::spbVendaVisClick},
        {"spbVendaDeb", &ConsumerSale::spbVendaDebClick},
        {"spbCancEscolhe", &ConsumerSale::spbCancEscolheClick},
        {"spbCadCons", &ConsumerSale::spbCadConsClick},
        {"spbCashback", &ConsumerSale::spbCashbackClick},
        {"spbCashbackUDS", &ConsumerSale::spbCashbackUDSClick},
        {"spbConsultaPromo", &ConsumerSale::spbConsultaPromoClick},
        {"btnEnterFid", &ConsumerSale::btnEnterFidClick},
        {"btnSairFid", &ConsumerSale::btnSairFidClick},
    };
    for (const auto &[name, handler] : consumerButtons)
        route(QString::fromLatin1(name), [&c, handler](QObject *s) { (c.consumer().*handler)(s); });

    QTimer *failover = findChild<QTimer *>(QStringLiteral("timImpressoraBackup"));
    connect(failover, &QTimer::timeout, this, [this, failover] {
        dispatch([this, failover] { m_context->settlement().timImpressoraBackupTimer(failover); });
    });
}
