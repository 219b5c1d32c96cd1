// The credit purchase after the payment was accepted: deposit number, partner-card recharge,
// voucher number, the server write and the vouchers.
#include "consumersale.h"
#include "creditpurchase_p.h"

#include <settlement/settlement.h>
#include <server/srv_consumers_credit.h>

#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>
#include <sale/serverseams.h>

#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/messages.h>
#include <runtime/ptbr.h>
#include <server/trdmvendacons.h>

#include <QDebug>

#include <exception>
#include <stdexcept>

namespace {

constexpr int WriteAttempts = 5;
constexpr int RechargeTries = 3;

} // namespace

void CreditPurchase::settle()
{
    SaleState &s = m_context.state();
    Variant deposit;
    if (!m_context.checkAnswer(m_context.server().consumers.getPrxDepositoCons(Clock::now().date()),
                               QStringLiteral("getPrxDepositoCons"), s.params.stCDFILIAL, deposit)) {
        undoCardPayment();
        release();
        m_context.message(m_context.Msg(QStringLiteral("CARGA_N_OK")), Ravuvozozod::Information);
        commonEnd(true);
        return;
    }
    m_deposit = deposit.toString();
    if (s.params.boDISPLAYOK) {
        m_context.devices().LimpaDisplay();
        m_context.devices().DisplayEnviaTexto({m_context.Msg(QStringLiteral("AGUARDE_IMP")), 1, 1, 0, 0});
        m_context.devices().DisplayEnviaTexto({m_context.Msg(QStringLiteral("AGUARDE_IMP2")), 2, 1, 0, 0});
    }
    bool reachedEnd = false;
    {
        // Nothing else may start while the load is written and its voucher printed.
        BusyFlag printing(s.busy.boImprimindoCompCred);
        OnExit reset([this] { m_context.screen().LimpaVariaveis(); });
        m_receipt.clear();
        m_receiptCounter.clear();
        m_movementDate = s.startup.dtMovimentoFiscal;
        m_total = loadTotal();
        m_consumerName = s.consumer.stNmConsumidor;
        m_familyBalance = s.figures.doSaldoCredFamilia;
        m_cardReceipt = s.settlement.stCompraCredAux2;
        if (recharge() && !rechargeCard())
            return;
        if (!takeVoucherNumber()) {
            undoCardPayment();
            release();
            reachedEnd = true;
        } else if (!write()) {
            undoCardPayment();
            release();
            m_context.message(m_context.Msg(QStringLiteral("CARGA_N_OK")), Ravuvozozod::Information);
            reachedEnd = true;
        } else {
            // The operator hears of a voucher that failed here and now, so it is not printed
            // again at the next start.
            const QString voucherError = printVouchersAndFinish();
            finishOk();
            if (!voucherError.isEmpty())
                m_context.message(voucherError, Ravuvozozod::Error);
            reachedEnd = true;
        }
    }
    if (reachedEnd)
        commonEnd(true);
}

// The partner card is charged through the card program: three tries, then the load is
// cancelled and the card payment undone, whatever the till issues.
bool CreditPurchase::rechargeCard()
{
    const QString amount = PtBr::FormatFloat(QStringLiteral("0.00"), m_total);
    for (int attempt = 1; attempt <= RechargeTries; ++attempt) {
        if (m_context.settlement().FuncChartRec(amount) == QLatin1String("ok"))
            return true;
        if (attempt < RechargeTries)
            m_context.message(QStringLiteral("Tentativa %1/%2.").arg(attempt + 1).arg(RechargeTries), Ravuvozozod::Error);
    }
    undoCardPayment();
    m_context.message(QStringLiteral("Número de tentativas excedidas."), Ravuvozozod::Information);
    m_context.message(QStringLiteral("Recarga cancelada."), Ravuvozozod::Error);
    release();
    m_context.screen().Atualiza_Display(m_context.Msg(QStringLiteral("CAIXA_LIVRE")), true);
    m_context.screen().LimpaVariaveis();
    m_context.screen().ControleAcessoBotoes();
    return false;
}

// The voucher number: a reserved receipt number, the Colombian range or the non-fiscal
// counter. A Colombian range used up stops the load before anything is written.
bool CreditPurchase::takeVoucherNumber()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    if (!s.till.stNrCupomReservado.isEmpty()) {
        m_voucher = s.till.stNrCupomReservado;
        s.till.stNrCupomReservado.clear();
        return true;
    }
    Seam::Counters &counters = m_context.server().counters;
    if (p.stIDPAISINTEGRA == QLatin1String("01")) {
        Variant number;
        if (!m_context.checkAnswer(counters.getPrxVendaColombia(p.stCDFILIAL, p.stCDCAIXA, p.stCDPREFINTGCOL,
                                                                p.stNRCUPINIINTGCOL, p.stNRCUPFININTGCOL),
                                   QStringLiteral("getPrxVendaColombia"), p.stCDFILIAL + QLatin1Char('-') + p.stCDCAIXA,
                                   number))
            return false;
        if (number.toString() == QLatin1String("CUPINV")) {
            m_context.message(m_context.messages().Msg(QStringLiteral("Cup_inv"), {p.stNRCUPINIINTGCOL, p.stNRCUPFININTGCOL}),
                              Ravuvozozod::Error);
            return false;
        }
        m_voucher = number.toString();
        return true;
    }
    m_voucher = m_context.checkedValue(counters.setNrVendaNFisc(p.stCDFILIAL, p.stCDCAIXA, QString()),
                                       QStringLiteral("setNrVendaNFisc"), p.stCDFILIAL + QLatin1Char('-') + p.stCDCAIXA)
                    .toString();
    return true;
}

// Up to five attempts, each on a fresh connection after a failed one. A deposit already
// written answers True without writing again, so a retry never credits twice.
bool CreditPurchase::write()
{
    const SaleState &s = m_context.state();
    const Parameters &p = s.params;
    Srv_Kal51000::CreditPurchaseWrite purchase;
    purchase.movements = m_context.data().cdsMovCaixa.Data();
    purchase.CDFILIAL = p.stCDFILIAL;
    purchase.CDCAIXA = p.stCDCAIXA;
    purchase.CDCLIENTE = s.host.stCdClienteVenda;
    purchase.CDCONSUMIDOR = s.consumer.stCDCONSUMIDOR;
    purchase.CDFAMILISALD = m_family;
    purchase.NRDEPOSICONS = m_deposit;
    purchase.NRCOO = m_receipt;
    purchase.NRGNF = m_receiptCounter;
    purchase.NRSERIEIMP = p.stNRSERIEIMP;
    purchase.IDEXTCONSONLINE = p.stIDEXTCONSONLINE;
    purchase.CDURLWSEXTCONS = p.stCDURLWSEXTCONS;
    purchase.IDEXTCONSCENTRAL = p.stIDEXTCONSCENTRAL;
    purchase.DTABERCAIX = p.dtDTABERCAIX;
    purchase.DTMOVIMENTO = m_movementDate;
    purchase.NMCONSUMIDOR = m_consumerName;
    purchase.NMFAMILISALD = m_familyName;
    purchase.NRCUPOMCARGA = m_voucher;
    purchase.VRSALDCREDFAM = m_familyBalance;
    purchase.DSCOMPRACREDTEF = m_cardReceipt;
    const QString context = QStringLiteral("cdsMovCaixa.data-")
        + QStringList{p.stCDFILIAL, p.stCDCAIXA, purchase.CDCLIENTE, purchase.CDCONSUMIDOR, m_family, m_deposit,
                      PtBr::DateToStr(p.dtDTABERCAIX.date())}
              .join(QLatin1Char('-'));
    Qub_movrela::DbConnection &connection = m_context.module().adcVendaCons();
    m_loadTime = Clock::now();
    try {
        for (int attempt = 0; attempt < WriteAttempts; ++attempt) {
            if (!connection.isOpen())
                connection.open();
            Variant written;
            if (m_context.checkAnswer(m_context.server().consumers.setGravaCompCred(purchase, m_printerSequence),
                                      QStringLiteral("setGravaCompCred"), context, written, SaleContext::Failure::Quiet)
                && written.toBool())
                return true;
            qWarning().noquote() << "setGravaCompCred, tentativa" << attempt + 1 << ":"
                                 << (written.isFailure() ? written.failureText() : written.toString());
            connection.close();
        }
    } catch (const std::exception &error) {
        qWarning().noquote() << "setGravaCompCred:" << error.what();
    }
    return false;
}

QString CreditPurchase::printVouchersAndFinish()
{
    QString failure;
    try {
        printVouchers();
    } catch (const std::exception &error) {
        failure = QString::fromUtf8(error.what());
    }
    markFinished();
    return failure;
}

void CreditPurchase::printVouchers()
{
    const Parameters &p = m_context.state().params;
    const bool electronic = p.boSISTEMAQUBNFCE || p.boSISTEMAQUBSAT;
    if (m_interrupted)
        confirmInterruptedCharges();
    else if (electronic)
        m_context.devices().FinalizaTransTef(TefFinishRequest{true});
    if (electronic)
        printOnNonFiscalPrinter();
    else
        printOnFiscalPrinter();
}

void CreditPurchase::printOnFiscalPrinter()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    SaleDatasets &d = m_context.data();
    CreditPurchaseFiscalRequest request;
    request.cdPortaImpFis = p.stCDPORTAIMPFIS;
    request.stTotCompCred = p.stSTTOTCOMPCRED;
    request.nrSerieImp = p.stNRSERIEIMP;
    request.cdFilial = p.stCDFILIAL;
    request.cdCaixa = p.stCDCAIXA;
    request.idEsquema = p.stIDESQUEMA;
    request.receiptNumber = m_receipt;
    request.receiptCounter = m_receiptCounter;
    request.familyBalance = m_familyBalance;
    request.nmConsumidor = m_consumerName;
    request.depositNumber = m_deposit;
    request.idImpCompCredPe = p.stIDIMPCOMPCREDPE;
    request.idPaisIntegra = p.stIDPAISINTEGRA;
    request.idTipoImpNf1 = p.stIDTIPOIMPNF1;
    request.cdPortImpNf1 = p.stCDPORTIMPNF1;
    request.voucherNumber = m_voucher;
    request.nmFilial = p.stNMFILIAL;
    request.nmCaixa = p.stNMCAIXA;
    request.dsEndeFili = p.stDSENDEFILI;
    request.nmMunicipioFili = p.stNMMUNICIPIOFILI;
    request.cdInscMuniFili = p.stCDINSCMUNIFILI;
    request.nrSerieImp2 = p.stNRSERIEIMP;
    request.dsObsCupFis = p.stDSOBSCUPFIS;
    request.utilizaImpFis = p.boUTILIZAIMPFIS;
    request.familyName = m_familyName;
    request.stCompraCredAux2 = m_cardReceipt;
    request.printerSequence = m_printerSequence;
    const CreditPurchaseFiscalAnswer printed = m_context.devices().Compr_CredPessoal(request, d.cdsMovCaixa);
    m_receipt = printed.receiptNumber;
    m_receiptCounter = printed.receiptCounter;
    if (!printed.ok)
        throw std::runtime_error(printed.failure.toStdString());
    if (!m_cardReceipt.isEmpty() && p.stIDUTILTEF == QLatin1String("T")) {
        TefReceiptRequest receipt;
        receipt.value2 = Variant();
        receipt.idTipoImpFis = p.inIDTIPOIMPFIS;
        receipt.idImprCupTefRed = p.stIDIMPRCUPTEFRED;
        receipt.fiscalFlag = QStringLiteral("F");
        receipt.port = p.stCDPORTIMPNF1;
        receipt.value8 = QString();
        receipt.value9 = QString();
        receipt.value10 = QString();
        receipt.paymentRows = d.cdsMovCaixa.RecordCount();
        receipt.idImprTef = p.stIDIMPRTEF;
        m_context.devices().ImprimeCupomTef(receipt, d.cdsUltTef);
    }
    if (p.stIDUTILTEF == QLatin1String("S")) {
        const TextAnswer number = m_context.devices().Nr_Cupom({p.stCDPORTAIMPFIS, p.stIDESQUEMA});
        if (number.ok)
            m_receipt = number.text;
        CardReceiptLinesRequest lines;
        lines.lines = s.settlement.inRecebAux4;
        lines.value2 = s.settlement.inCompraCredAux7;
        lines.value3 = s.settlement.inCompraCredAux8;
        lines.idTipoImpFis = p.inIDTIPOIMPFIS;
        lines.receiptNumber = m_receipt;
        lines.nmTipoRece = d.cdsMovCaixa.Active() ? d.cdsMovCaixa.FieldByName(QStringLiteral("NMTIPORECE")).AsString() : QString();
        lines.idEsquema = p.stIDESQUEMA;
        lines.cdFilial = p.stCDFILIAL;
        lines.cdCaixa = p.stCDCAIXA;
        lines.idImprCupTefRed = p.stIDIMPRCUPTEFRED;
        lines.fiscalFlag = p.boUTILIZAIMPFIS ? QStringLiteral("F") : QStringLiteral("N");
        lines.idTipoImpNf3 = p.stIDTIPOIMPNF3;
        lines.cdPortImpNf3 = p.stCDPORTIMPNF3;
        lines.vrMoviVend = d.cdsMovCaixa.Active() ? d.cdsMovCaixa.FieldByName(QStringLiteral("VRMOVIVEND")).AsFloat() : 0.0;
        m_context.devices().ImprCupons(lines);
    }
    m_context.server().counters.setGravaCupomInicial(p.stCDFILIAL, p.stCDCAIXA, m_receipt, m_movementDate);
}

void CreditPurchase::printOnNonFiscalPrinter()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    SaleDatasets &d = m_context.data();
    CreditPurchaseVoucherRequest request;
    request.stTotCompCred = p.stSTTOTCOMPCRED;
    request.cdFilial = p.stCDFILIAL;
    request.cdCaixa = p.stCDCAIXA;
    request.idEsquema = p.stIDESQUEMA;
    request.receiptNumber = m_receipt;
    request.receiptCounter = m_receiptCounter;
    request.payments = d.cdsMovCaixa.Data();
    request.familyBalance = m_familyBalance;
    request.nmConsumidor = recharge() ? QStringLiteral("RECARGA TARVOLENS") : m_consumerName;
    request.depositNumber = m_deposit;
    request.idImpCompCredPe = p.stIDIMPCOMPCREDPE;
    request.idPaisIntegra = p.stIDPAISINTEGRA;
    request.idTipoImpNf3 = p.stIDTIPOIMPNF3;
    request.cdPortImpNf3 = p.stCDPORTIMPNF3;
    request.voucherNumber = m_voucher;
    request.nmFilial = p.stNMFILIAL;
    request.nmCaixa = p.stNMCAIXA;
    request.dsEndeFili = p.stDSENDEFILI;
    request.nmMunicipioFili = p.stNMMUNICIPIOFILI;
    request.cdInscMuniFili = p.stCDINSCMUNIFILI;
    request.dsObsCupFis = p.stDSOBSCUPFIS;
    request.familyName = recharge() ? QString() : m_familyName;
    request.stCompraCredAux2 = m_cardReceipt;
    request.printerSequence = m_printerSequence;
    request.loadTime = m_loadTime;
    const HostResult printed = m_context.services().Imp_Compr_Cred(request);
    if (!m_cardReceipt.isEmpty() && p.stIDUTILTEF == QLatin1String("T")) {
        TefReceiptRequest receipt;
        receipt.value2 = Variant();
        receipt.idTipoImpFis = p.inIDTIPOIMPFIS;
        receipt.idImprCupTefRed = p.stIDIMPRCUPTEFRED;
        receipt.fiscalFlag = QStringLiteral("N");
        receipt.port = p.stCDPORTIMPNF3;
        receipt.value8 = QString();
        receipt.value9 = QString();
        receipt.value10 = QStringLiteral("COMPRCRED");
        receipt.paymentRows = d.cdsMovCaixa.RecordCount();
        receipt.idImprTef = p.stIDIMPRTEF;
        m_context.devices().ImprimeCupomTef(receipt, d.cdsUltTef);
    }
    if (!printed.ok)
        throw std::runtime_error(printed.failure.toStdString());
}

void CreditPurchase::finishOk()
{
    SaleState &s = m_context.state();
    s.till.stCancCupomAux3 = QStringLiteral("CC");
    if (m_context.data().cdsMovCaixa.Active())
        m_context.data().cdsMovCaixa.EmptyDataSet();
    m_context.screen().Atualiza_Display(m_context.Msg(QStringLiteral("CAIXA_LIVRE")), true);
    release();
    m_context.message(m_context.Msg(QStringLiteral("CARGA_OK")), Ravuvozozod::Information);
}

// The tenders were taken but nothing was loaded: a card payment is undone on every kind of
// till, and the payment rows go so that no later step reads them as paid.
void CreditPurchase::undoCardPayment()
{
    m_context.devices().FinalizaTransTef(TefFinishRequest{false});
    if (m_context.data().cdsMovCaixa.Active())
        m_context.data().cdsMovCaixa.EmptyDataSet();
}
