// The QR-code sale's fiscal coupon (opened, items sold, closed with the code's payment) and the
// payment screen of a code paid at the till.
#include "qrcodesale_p.h"

#include "paymentscreen_p.h"
#include "settlement.h"

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <QDebug>

#include <cmath>

namespace {

QString text(const ClientDataSet &dataset, const char *name)
{
    const Field field = dataset.FindField(QString::fromLatin1(name));
    return field.IsValid() ? field.AsString() : QString();
}

} // namespace

// Printers that take the sale whole, and collector tills, sell without a printer aliquot.
bool QrCodeSale::usesPrinterAliquots() const
{
    const Parameters &p = m_context.state().params;
    const int model = p.inIDTIPOIMPFIS;
    return p.boUTILIZAIMPFIS && model != 16 && model != 21 && model != 26 && model != 30
        && p.stIDCOLETOR != QLatin1String("C");
}

// cdsAliqImpFis on the printer aliquot of the current tax row (rate and tax kind); false when
// the printer has none, the cursor then left where it was.
bool QrCodeSale::locatePrinterAliquot()
{
    SaleDatasets &d = m_context.data();
    ClientDataSet &aliquots = d.cdsAliqImpFis;
    const ClientDataSet &taxes = d.cdsAliquota;
    if (!aliquots.Active())
        return false;
    const double rate = taxes.FieldByName(QStringLiteral("VRPEALIMPFIS")).Value().toDouble();
    const QString kind = text(taxes, "IDTPIMPOSFIS");
    for (aliquots.First(); !aliquots.Eof(); aliquots.Next()) {
        const double printerRate = aliquots.FieldByName(QStringLiteral("VRALIQIMPFIS")).Value().toDouble();
        if (std::llround(printerRate * 100) == std::llround(rate * 100)
            && text(aliquots, "IDALIQIMPFIS").compare(kind, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// The coupon opened and every item sold on it; false after the stop was handled.
bool QrCodeSale::sellOnPrinter()
{
    if (!openCoupon())
        return false;
    ClientDataSet &items = m_context.data().cdsItems;
    for (const QString &line : std::as_const(m_addedLines)) {
        if (!items.Locate(QStringLiteral("NRSEQ"), line) || !sellItem())
            return false;
    }
    return true;
}

// A coupon that does not open stops the sale: it is never saved without its fiscal document.
bool QrCodeSale::openCoupon()
{
    SaleState &s = m_context.state();
    FiscalTexts &f = s.fiscal;
    CouponOpenRequest record;
    record.idEsquema = s.params.stIDESQUEMA;
    record.inQrCodeAux1 = f.inQrCodeAux1;
    record.stCpfCnpjNota = f.stCpfCnpjNota;
    record.stNomeNota = f.stNomeNota;
    record.stEnderecoNota = f.stEnderecoNota;
    record.stQrCodeAux1 = f.stQrCodeAux1;
    record.stNRCONTCUPOMFISC = f.stNRCONTCUPOMFISC;
    record.stRecebAux5 = f.stRecebAux5;
    record.stPedidoAux2 = f.stPedidoAux2;
    record.inPedidoAux1 = f.inPedidoAux1;
    record.stPedidoAux1 = f.stPedidoAux1;
    record.stNRINSJURCLIE = f.stNRINSJURCLIE;
    record.nrVendaRest = m_sale.saleNumber;
    record.value14 = QString();
    const CouponOpenAnswer answer = m_context.devices().AbreCupom(record);
    if (!answer.ok) {
        fail(QStringLiteral("A impressora fiscal não abriu o cupom. ") + answer.failure);
        return false;
    }
    s.busy.boProcessando = false;
    f.inQrCodeAux1 = int(answer.recebeParams(PrinterKeys::INTTEFERRO).toInt());
    f.stCpfCnpjNota = answer.recebeParams(PrinterKeys::INCLUICPF).toString();
    f.stNomeNota = answer.recebeParams(PrinterKeys::INCLUINOME).toString();
    f.stEnderecoNota = answer.recebeParams(PrinterKeys::INCLUIENDERECO).toString();
    f.stQrCodeAux1 = answer.recebeParams(PrinterKeys::CUPNR).toString();
    f.stNRCONTCUPOMFISC = answer.recebeParams(PrinterKeys::CONTCUPOM).toString();
    s.flags.boCupomAberto = true;
    m_couponIssued = true;
    const Variant first = m_context.server().counters.setGravaCupomInicial(s.params.stCDFILIAL, s.params.stCDCAIXA,
                                                                          f.stQrCodeAux1, s.startup.dtMovimentoFiscal);
    if (first.isFailure())
        qWarning().noquote() << "setGravaCupomInicial failed:" << first.failureText();
    return true;
}

// The item under the cursor of cdsItems, at the printer aliquot of its own tax row.
bool QrCodeSale::sellItem()
{
    SaleState &s = m_context.state();
    SaleDatasets &d = m_context.data();
    ClientDataSet &items = d.cdsItems;
    const QString code = text(items, "CDPRODUTO");
    ClientDataSet &taxes = d.cdsAliquota;
    ItemSaleRequest record;
    if (!taxes.Locate(QStringLiteral("CDPRODUTO"), code)) {
        fail(m_context.Msg(QStringLiteral("IMPOS_NCAD")));
        return false;
    }
    if (usesPrinterAliquots()) {
        const ClientDataSet &aliquots = d.cdsAliqImpFis;
        if (!locatePrinterAliquot()) {
            fail(m_context.Msg(QStringLiteral("ALIQ_NCAD")));
            return false;
        }
        record.aliquotCode = text(aliquots, "CDALIQIMPFIS");
        record.aliquotValue = text(aliquots, "VRALIQIMPFIS");
        record.idAliqImpFis = text(aliquots, "IDALIQIMPFIS");
    }
    record.idEsquema = s.params.stIDESQUEMA;
    record.nrMesa = s.host.stNRMESA;
    record.itemCode = text(items, "CDARVPROD");
    record.description = text(items, "NMPRODUTO");
    record.sgUnidade = text(items, "SGUNIDADE");
    record.inQrCodeAux1 = s.fiscal.inQrCodeAux1;
    record.quantity = PtBr::StrToFloat(text(items, "QTPRODCOMVEN"));
    record.price = Money::Trunc2(items.FieldByName(QStringLiteral("VRPRECCOMVEN")).AsFloat());
    const ItemSaleAnswer sold = m_context.devices().VendaItem(record);
    // An item the printer did not take would leave the coupon short of the sale.
    if (!sold.ok) {
        fail(QStringLiteral("A impressora fiscal não registrou o item %1. ").arg(code) + sold.failure);
        return false;
    }
    return true;
}

void QrCodeSale::estimateTaxes()
{
    SaleState &s = m_context.state();
    m_vaRetornoAux = Variant::array(3);
    const TaxEstimateAnswer taxes = m_context.services().CalculoIcmsDFederal(TaxEstimateRequest{}, m_context.data().cdsVenda);
    if (!taxes.ok)
        return;
    m_vaRetornoAux = Variant(QList<Variant>{taxes.tax0, taxes.tax1, taxes.tax2});
    s.settlement.stRecebAux21 = taxes.tax0;
    s.settlement.stRecebAux22 = taxes.tax2;
}

// The code's own payment closes the coupon; the grand totals follow.
bool QrCodeSale::closeCoupon()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    SaleDatasets &d = m_context.data();
    estimateTaxes();
    ClientDataSet &items = d.cdsItems;
    items.Last();
    FiscalCloseRequest r;
    r.stTotCv = p.stSTTOTCV;
    r.md5ArquivoTxt = s.startup.stMD5ARQUIVOTXT;
    r.idEsquema = p.stIDESQUEMA;
    r.idTipoImpFis = p.inIDTIPOIMPFIS;
    r.discount = 0;
    r.idUtilTef = p.stIDUTILTEF;
    r.dsObsCupFis = p.stDSOBSCUPFIS;
    r.payments = m_movCaixaImp.Data();
    r.cdsConfTipoRece = d.cdsConfTipoRece.Data();
    r.cdCliente = p.stCDCLIENTE;
    r.nrInscrCons = text(items, "NRINSCRCONS");
    r.cdOperador = s.rights.stCDOPERADOR;
    r.nmOperador = s.rights.stNMOPERADOR;
    r.nrSeq = s.road.stNRSEQ;
    r.idImpBarrCup = p.stIDIMPBARRCUP;
    r.nmPadBarrCup = p.stNMPADBARRCUP;
    r.idImpSaldoCupom = p.stIDIMPSALDOCUPOM;
    r.cdsConsultaSaldo = d.cdsConsultaSaldo.Data();
    r.cdsFamiliaSaldo = d.cdsFamiliaSaldo.Data();
    r.cdsEmprestimoFam = Variant::null();
    r.stIdTpTelaVe = p.stIdTpTelaVe;
    r.road = QStringLiteral("0");
    r.doSaldoCons = 0;
    r.total = 0;
    r.dsMensCpfCup = p.stDSMENSCPFCUP;
    r.idImprCupTefRed = p.stIDIMPRCUPTEFRED;
    r.ecfImp = p.stECFIMP;
    r.couponText = s.fiscal.stQrCodeAux1;
    r.sgEstadoFili = p.stSGESTADOFILI;
    r.cdsVrSaldConsumi = DataPacket{};
    r.tax1 = PtBr::StrToFloat(m_vaRetornoAux.at(1).toString());
    r.tax0 = PtBr::StrToFloat(s.settlement.stRecebAux21);
    r.tax2 = PtBr::StrToFloat(s.settlement.stRecebAux22);
    r.value60 = Variant::null();
    r.cashback = isYes(p.stIDUTILFID4ALL) ? s.loyalty.doCashbackAux1 : s.loyalty.doCashbackUDSAux1;
    s.results.vaRetorno = Variant::array(10);
    const FiscalCloseAnswer closed = m_context.devices().FechaCupom(r);
    if (!closed.ok) {
        fail(QStringLiteral("A impressora fiscal não fechou o cupom. ") + closed.failure);
        return false;
    }
    s.fiscal.inQrCodeAux1 = closed.element1.toInt();
    GrandTotalRequest totals;
    totals.cdFilial = p.stCDFILIAL;
    totals.cdCaixa = p.stCDCAIXA;
    totals.nrSerieImp = p.stNRSERIEIMP;
    totals.idEsquema = p.stIDESQUEMA;
    totals.fillers = QList<Variant>(9, Variant(0));
    const HostResult updated = m_context.devices().Atu_TotGeral(totals);
    if (!updated.ok)
        qWarning().noquote() << "Atu_TotGeral:" << updated.failure;
    s.flags.boCupomAberto = false;
    return true;
}

// The code carries no payment: the items go on the coupon (with a printer) and the host's
// payment screen takes the payment.
bool QrCodeSale::takePaymentAtTill()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    s.host.stCdClienteVenda = m_sale.client;
    s.consumer.stCDCONSUMIDOR = m_sale.consumer;
    s.consumer.stCartaoAux1 = costCentre();
    if (p.boUTILIZAIMPFIS) {
        estimateTaxes();
        if (!sellOnPrinter())
            return false;
        s.flags.boCupomAberto = false;
    }
    ClientDataSet &types = m_context.data().cdsConfTipoRece;
    if (types.Active() && !types.IsEmpty() && isYes(text(types, "IDHABVENDAMAN")))
        s.settlement.stConfRecebimento = QStringLiteral("S");
    PaymentScreen screen(m_context);
    PaymentRequest request = screen.paymentRequest(s.fiscal.stQrCodeAux1, QString());
    request.systemCode = QStringLiteral("RES");
    request.cdClienteVenda = m_sale.client;
    request.cdConsumidorVenda = m_sale.consumer;
    request.saleKind = QStringLiteral("C");
    request.nmConsumidor = s.consumer.stNmConsumidor;
    request.nrCracha = s.consumer.stNrCracha;
    request.buyerDocument = s.fiscal.stCpfCnpjNota;
    request.buyerName = s.fiscal.stNomeNota;
    request.buyerForeignId = s.fiscal.stIdEstrangeiroNota;
    request.stCartaoAux1 = s.consumer.stCartaoAux1;
    request.stConfRecebimento = s.settlement.stConfRecebimento;
    PaymentDatasets datasets = screen.paymentDatasets();
    const PaymentAnswer answer = m_context.services().Recebimento(request, datasets);
    if (!answer.failure.isEmpty() || !answer.paid) {
        // The attempt is undone whole, so the next scan starts from an empty sale.
        const QString why = answer.failure.isEmpty() ? QString() : answer.failure + QLatin1Char('\n');
        fail(why + m_context.Msg(QStringLiteral("NReceb_QrCode")), true);
        return false;
    }
    screen.keepPaymentOutputs(answer);
    return true;
}
