// What every settlement road hands to the host's payment screen and keeps of its answer.
#include "paymentscreen_p.h"

#include <sale/saledatasets.h>
#include <sale/salecontext.h>
#include <sale/salestate.h>

PaymentRequest PaymentScreen::paymentRequest(const QString &documentInHand, const QString &waiterName) const
{
    const SaleState &s = m_context.state();
    PaymentRequest request;
    request.stRetAcesso = s.access.stRetAcesso;
    request.documentNumber = documentInHand;
    request.stNRCONTCUPOMFISC = s.fiscal.stNRCONTCUPOMFISC;
    request.inRecebAux3 = s.settlement.inRecebAux3;
    request.stCompraCredAux2 = s.settlement.stCompraCredAux2;
    request.cdClienteVenda = s.host.stCdClienteVenda;
    request.cdConsumidorVenda = s.host.stCdConsumidorVenda;
    request.saleKind = s.flags.boVendaVista ? QStringLiteral("C") : QStringLiteral("N");
    request.nmConsumidor = s.consumer.stNmConsumidor;
    request.nrCracha = s.consumer.stNrCracha;
    request.buyerDocument = s.fiscal.stCpfCnpjNota;
    request.buyerName = s.fiscal.stNomeNota;
    request.buyerForeignId = s.fiscal.stIdEstrangeiroNota;
    request.stRecebAux5 = s.fiscal.stRecebAux5;
    request.modoVenda = s.host.stModoVenda;
    request.stSenhaPedido = s.settlement.stSenhaPedido;
    request.waiterName = waiterName;
    request.stCartaoAux1 = s.consumer.stCartaoAux1;
    request.roadMarker = QStringLiteral("N");
    // An exchange's rest: the returned items' credit is already paid.
    if (s.exchange.boTrocaMercadoria) {
        request.roadMarker = QStringLiteral("T");
        request.amountPaid = s.exchange.doRecebAux1;
    }
    request.stRecebAux12 = s.settlement.stRecebAux12;
    request.stRecebAux13 = s.settlement.stRecebAux13;
    request.stRecebAux14 = s.settlement.stRecebAux14;
    request.stConfRecebimento = s.settlement.stConfRecebimento;
    return request;
}

PaymentDatasets PaymentScreen::paymentDatasets()
{
    SaleDatasets &d = m_context.data();
    return PaymentDatasets{d.cdsParametrosQub, d.cdsVenda,        d.cdsVendaCancelada, d.cdsMovCaixa,
                           d.cdsFamiliaSaldo,  d.cdsEmprestimoFam, d.cdsCliente,        d.cdsAliqImpFis,
                           d.cdsConfTipoRece,  d.cdsECFCaixa,      d.cdsExtConsFid,     d.cdsPromoComanda};
}

void PaymentScreen::keepPaymentOutputs(const PaymentAnswer &answer)
{
    SaleState &s = m_context.state();
    s.access.stRetAcesso = answer.stRetAcesso;
    s.fiscal.stNRCONTCUPOMFISC = answer.stNRCONTCUPOMFISC;
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
}
