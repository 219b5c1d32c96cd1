// A closed sale cancelled by the receipt cancellation: the card payment, the kitchen display,
// the wallet and the cashback reversed, the sale cancelled on the server (which tells the other
// partners), the NFC-e at the tax authority, the vouchers, the cancelled-items ticket, the
// drawer and the access log.
#include "receiptcancel_p.h"

#include "pendingrecords_p.h"
#include "settlement.h"

#include <consumer/consumersale.h>
#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clock.h>
#include <runtime/messages.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>
#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>
#include <server/srv_salecancel.h>

#include <QByteArray>
#include <QDebug>
#include <QFile>
#include <QXmlStreamReader>

#include <exception>

namespace {

const QString satKind = QStringLiteral("NFCe-Sat");
const QString nfceKind = QStringLiteral("NFCe");

QString text(const ClientDataSet &dataset, const char *name)
{
    return dataset.FindField(QString::fromLatin1(name)).AsString();
}

void load(ClientDataSet &dataset, const Variant &answer)
{
    dataset.Close();
    if (answer.isPacket())
        dataset.SetData(answer.packet());
    dataset.First();
}

// The cashier is told what stands outside the base when its cancellation is kept.
QString keptText(const QString &doneOutside)
{
    return doneOutside
        + QStringLiteral(", mas o banco de dados não gravou o cancelamento da venda. O cancelamento foi guardado neste "
                         "caixa e será gravado quando o banco responder; não cancele esta venda de novo.");
}

bool allDigits(const QString &value, int length)
{
    if (value.size() != length)
        return false;
    for (const QChar c : value)
        if (!c.isDigit())
            return false;
    return true;
}

} // namespace

CfeNumbers cfeNumbersOf(const QString &cfeXml)
{
    CfeNumbers numbers;
    QXmlStreamReader xml(cfeXml);
    while (!xml.atEnd() && (numbers.number.isEmpty() || numbers.serial.isEmpty())) {
        if (!xml.readNextStartElement())
            continue;
        if (xml.name() == QLatin1String("nCFe") && numbers.number.isEmpty())
            numbers.number = xml.readElementText().trimmed();
        else if (xml.name() == QLatin1String("nserieSAT") && numbers.serial.isEmpty())
            numbers.serial = xml.readElementText().trimmed();
    }
    if (!allDigits(numbers.number, 6))
        numbers.number.clear();
    if (!allDigits(numbers.serial, 9))
        numbers.serial.clear();
    return numbers;
}

void ReceiptCancel::closedSale()
{
    const Parameters &params = m_context.state().params;
    if (params.boUTILIZAIMPFIS) {
        fiscalPrinterSale();
        return;
    }
    if (params.boSISTEMAQUBNFCE) {
        if (!question(QStringLiteral("Confirma o Cancelamento da NFC-e: ") + m_values.documentNumber))
            Abort();
        m_values.documentNumber = m_values.documentNumber.mid(1);
        m_values.kind = nfceKind;
        nfceSale();
        return;
    }
    if (!params.boSISTEMAQUBSAT)
        m_values.kind = question(m_context.Msg(QStringLiteral("Canc_VendaV"))) ? QString() : QStringLiteral("C");
    satOrPlainSale();
}

// ---- fiscal printer ------------------------------------------------------------------------------

void ReceiptCancel::fiscalPrinterSale()
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    reverseCardPayment();
    CancelledStatusChange change;
    change.saleKey = m_values.couponNumber;
    change.cdFilial = params.stCDFILIAL;
    change.cdCaixa = params.stCDCAIXA;
    change.dtMovimento = state.startup.dtMovimentoFiscal;
    change.note = m_values.note;
    change.noteSecondValue = m_values.noteSecondValue;
    change.stRetAcesso = m_values.authoriser;
    const QString trace = QStringList{m_values.couponNumber, params.stCDFILIAL, params.stCDCAIXA,
                                      PtBr::DateToStr(change.dtMovimento.date()) + m_values.note + m_values.noteSecondValue,
                                      m_values.authoriser, QString()}
                              .join(QLatin1Char('-'));
    // The coupon's sale left the screen when it ended: its kitchen orders are found from the
    // rows the host answers for the sale it cancelled.
    Variant saleSequence;
    DataPacket sale;
    PendingRecords(m_context).sendStoredSaleCancelled(change, trace, &saleSequence, &sale);
    withdrawFromKitchen(sale, saleSequence.toString());
    logCancellation(m_values.couponNumber);
}

// A control number is reversed on the dedicated terminal only when the server answered one;
// the last card transaction's file is deleted only once the terminal reversed it.
void ReceiptCancel::reverseCardPayment()
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    if (params.stIDTPTEF != QLatin1String("2"))
        return;
    const QDateTime day = state.startup.dtMovimentoFiscal;
    Variant control;
    if (!m_context.checkAnswer(m_context.server().lookupsFiscal.getRetornaTefCappta(params.stCDFILIAL, params.stCDCAIXA,
                                                                                      m_values.couponNumber, day),
                               QStringLiteral("getRetornaTefCappta"),
                               QStringList{params.stCDFILIAL, params.stCDCAIXA, m_values.couponNumber, PtBr::DateToStr(day.date())}
                                   .join(QLatin1Char('-')),
                               control))
        return;
    const QString number = control.toString().trimmed();
    if (number.isEmpty())
        return;
    m_context.message(m_context.messages().Msg(QStringLiteral("Canc_Capp"), {number}), Ravuvozozod::Information);
    DedicatedTefRequest request;
    request.dsEndIpSitef = params.stDSENDIPSITEF;
    request.cdLojaTef = params.stCDLOJATEF;
    request.cdTerTef = params.stCDTERTEF;
    request.idTpTef = params.stIDTPTEF;
    request.cdPortaTef = params.stCDPORTATEF;
    request.cdEstTef = params.stCDESTTEF;
    request.controlNumber = number;
    const QDateTime now = Clock::now();
    request.date = now.toString(QStringLiteral("yyyyMMdd"));
    request.time = now.toString(QStringLiteral("HHmmss"));
    request.idEsquema = params.stIDESQUEMA;
    request.nrCnpjLoja = params.stNRCNPJLOJA;
    request.nrCnpjTefHouse = params.stNRCNPJTEFHOUSE;
    request.cdTokenTls = params.stCDTOKENTLS;
    request.cdTpComunTls = params.stCDTPCOMUNTLS;
    request.cdTpProxyTls = params.stCDTPPROXYTLS;
    request.cdEnProxyTls = params.stCDENPROXYTLS;
    const DedicatedTefAnswer reversed = m_context.devices().CriaDedicado(request);
    if (!reversed.ok) {
        m_context.message(QStringLiteral("A transação com número de controle %1 não foi cancelada no terminal de cartão. "
                                         "Cancele-a pelo terminal.")
                              .arg(number),
                          Ravuvozozod::Error);
        if (!reversed.failure.isEmpty())
            qWarning().noquote() << "CriaDedicado:" << reversed.failure;
        return;
    }
    QFile::remove(SitePaths::resolve(params.stDSDIRCAD + QStringLiteral("ultTef.cds")));
    m_context.message(m_context.Msg(QStringLiteral("Canc_Capp_Ok")), Ravuvozozod::Information);
}

// ---- NFC-e ---------------------------------------------------------------------------------------

void ReceiptCancel::nfceSale()
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    const QString opened = PtBr::DateTimeToStr(params.dtDTABERCAIX);
    // The number as typed is padded to nine digits; a base that keeps it without the zeros is
    // asked for it that way too, and the cancellation goes on with the form it holds.
    const QString plain = withoutLeadingZeros(m_values.documentNumber);
    for (const QString &number : QStringList{m_values.documentNumber, plain}) {
        load(m_cdsVendaCanNFCe,
             m_context.checkedValue(m_context.server().cancellation.getVendaCanNFCe(params.stCDFILIAL, params.stCDCAIXA, number,
                                                                                    params.dtDTABERCAIX),
                                    QStringLiteral("getVendaCanNFCe"),
                                    QStringList{params.stCDFILIAL, params.stCDCAIXA, number, opened}.join(QLatin1Char('-'))));
        if (!m_cdsVendaCanNFCe.IsEmpty()) {
            m_values.documentNumber = number;
            break;
        }
        if (number == plain)
            break;
    }
    m_values.stCancCupomAux8 =
        m_context.checkedValue(m_context.server().cancellation.getIDDTEMISCANC(params.stCDFILIAL), QStringLiteral("getIDDTEMISCANC"),
                               params.stCDFILIAL)
            .toString();
    // Nothing is touched for a number of no sale (or of one already cancelled).
    if (m_cdsVendaCanNFCe.IsEmpty())
        stop(m_context.Msg(QStringLiteral("Venda_Nfisc_Nenc")));
    // The wallet and the authority are never asked twice for one sale.
    refuseKeptCancellation(nfceKind);
    if (text(m_cdsVendaCanNFCe, "IDCANCEXTNFCE") == QLatin1String("N") && nfceTooLate())
        stop(m_context.Msg(QStringLiteral("Nfce_Fora_Prazo")));
    const QString sequence = text(m_cdsVendaCanNFCe, "NRSEQVENDA");
    const PartnerCall refund = m_context.consumer().EstornoAME(
        text(m_cdsVendaCanNFCe, "CDFILIAL"), text(m_cdsVendaCanNFCe, "CDCAIXA"), sequence,
        m_cdsVendaCanNFCe.FindField(QStringLiteral("DTABERTUR")).AsDateTime(), notCancelledText());
    m_partnerUnanswered = refund.unanswered;
    // A refund AME refused leaves the wallet as it was: the document is not cancelled either,
    // so the operator can cancel it again once the refund goes through (the refunds done are
    // not sent again). The refusal was shown, with what became of the NFC-e.
    if (refund.outcome == PartnerCall::Outcome::Refused) {
        m_context.services().DesativaProcesso();
        Abort();
    }
    const QString refunded = QStringLiteral("O estorno AME da NFC-e %1, quando houver, já foi feito").arg(m_values.documentNumber);
    bool voucherDue = true;
    ServerCancel server = ServerCancel::Cancelled;
    if (text(m_cdsVendaCanNFCe, "IDSTATUSNFCE") != QLatin1String("A")) {
        server = cancelOnServer(QString(), refunded);
        if (server != ServerCancel::NotFound)
            m_context.message(QStringLiteral("Atenção! Venda NFC-e concluída em Modo Contingência Offline. A venda será cancelada "
                                             "apenas no sistema, para cancelamento na SEFAZ realize a rotina pelo Daraza da Vedure."),
                              Ravuvozozod::Error);
    } else {
        const HostResult authority = m_context.services().NFCeOnlineCanc(NfceCancelRequest{params.stCDFILIAL}, m_cdsVendaCanNFCe);
        server = cancelOnServer(QString(), authority.ok ? QStringLiteral("A NFC-e %1 foi cancelada na SEFAZ").arg(m_values.documentNumber)
                                                        : refunded);
        voucherDue = !authority.ok;
        if (voucherDue && server != ServerCancel::NotFound)
            m_context.message(QStringLiteral("Atenção! Não foi possível cancelar a Venda NFC-e na SEFAZ. A venda será cancelada "
                                             "apenas no sistema, para cancelamento na SEFAZ realize a rotina pelo Daraza da Vedure."),
                              Ravuvozozod::Error);
    }
    // The server cancelled nothing (another till got there first): nothing more is done for it.
    if (server == ServerCancel::NotFound)
        stop(m_context.Msg(QStringLiteral("Venda_Nfisc_Nenc")));
    // The sale ended long ago: its kitchen orders are found from the rows the server cancelled.
    withdrawFromKitchen(m_cdsVendaNFisc.Data(), sequence);
    cancelGcom(sequence);
    m_context.settlement().Cancela_Item_Imp_NFis(m_values.documentNumber);
    if (!voucherDue) {
        finishDocument();
        return;
    }
    // The sale is cancelled on the server: a voucher the printer refuses is reported, and the
    // cancellation is logged all the same.
    if (!printNfceVoucher(true))
        m_context.message(m_context.Msg(QStringLiteral("Erro_Imp_Nfisc")), Ravuvozozod::Error);
    logCancellation(m_values.couponNumber);
}

// Said with a refusal that stops the cancellation: the NFC-e stands, and until when it can still
// be cancelled.
QString ReceiptCancel::notCancelledText()
{
    const QDateTime limit = m_cdsVendaCanNFCe.FindField(QStringLiteral("DTLIMITECANC")).AsDateTime();
    const QString text = QStringLiteral("A NFC-e %1 não foi cancelada.").arg(m_values.documentNumber);
    if (!limit.isValid())
        return text + QStringLiteral(" Resolva o estorno com a AME e cancele-a de novo.");
    return text + QStringLiteral(" Resolva o estorno com a AME e cancele-a de novo até %1.")
                      .arg(PtBr::DateTimeToStr(limit));
}

// An authorised NFC-e may be cancelled until its limit; one not yet authorised only where the
// branch extends the rule to it.
bool ReceiptCancel::nfceTooLate()
{
    const QDateTime limit = m_cdsVendaCanNFCe.FindField(QStringLiteral("DTLIMITECANC")).AsDateTime();
    if (!limit.isValid() || Clock::now() <= limit)
        return false;
    const QString status = text(m_cdsVendaCanNFCe, "IDSTATUSNFCE");
    return status == QLatin1String("A")
        || (status == QLatin1String("P") && isYes(m_values.stCancCupomAux8));
}

// ---- SAT and non-fiscal ---------------------------------------------------------------------------

void ReceiptCancel::satOrPlainSale()
{
    const bool sat = m_values.kind == satKind;
    const ServerCancel server = cancelOnServer(
        sat ? cfeFileText() : QString(),
        sat ? QStringLiteral("O CF-e %1 foi cancelado no SAT").arg(m_values.documentNumber) : QString());
    if (server == ServerCancel::NotFound)
        stop(m_context.Msg(QStringLiteral("Venda_Nfisc_Nenc")));
    const QString sequence = server == ServerCancel::Kept ? text(m_cdsCancSat, "NRSEQVENDA") : text(m_cdsVendaNFisc, "NRSEQVENDA");
    withdrawFromKitchen(m_cdsVendaNFisc.Data(), sequence);
    cancelGcom(sequence);
    finishDocument();
}

QString ReceiptCancel::cfeFileText() const
{
    QString encoded = m_values.satAnswer.value(QStringLiteral("arquivoCFeBase64"));
    encoded.remove(QLatin1Char('\r'));
    encoded.remove(QLatin1Char('\n'));
    return QString::fromUtf8(QByteArray::fromBase64(encoded.trimmed().toLatin1()));
}

// A failure of the server cancellation has rolled everything back there. Where nothing was
// cancelled outside yet it is shown and the press ends, with nothing printed or logged for a
// sale that is not cancelled. Where the SAT or the tax authority has cancelled the document
// (or the wallet refunded it), that cannot be done again: the cancellation is kept and
// written when the base answers, and the press goes on as for a cancelled sale.
ReceiptCancel::ServerCancel ReceiptCancel::cancelOnServer(const QString &cfeFile, const QString &doneOutside)
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    Srv_Kal51000::SaleCancelRequest request;
    request.CDFILIAL = params.stCDFILIAL;
    request.CDCAIXA = params.stCDCAIXA;
    request.number = m_values.documentNumber;
    request.kind = m_values.kind;
    request.NRACESSOCANC = m_values.satAccessKey;
    request.CDSUPERVISOR = m_values.authoriser;
    request.DSOBSCANCUP = m_values.note;
    request.DTABERTUR = params.dtDTABERCAIX;
    request.DSARQXMLCANCNFCE = cfeFile;
    fillCancellationSettings(state, request);
    const Variant answer = m_context.server().cancellation.getVendaNFisc(request);
    if (answer.isFailure() && !doneOutside.isEmpty()) {
        PendingRecords(m_context).keepServerCancellation(request, answer.failureText(), keptText(doneOutside));
        m_serverKept = true;
        return ServerCancel::Kept;
    }
    Variant cancelled;
    const bool answered = m_context.checkAnswer(
        answer, QStringLiteral("getVendaNFisc"),
        QStringList{params.stCDFILIAL, params.stCDCAIXA, m_values.documentNumber, m_values.kind}.join(QLatin1Char('-')), cancelled);
    if (!answered) {
        m_context.services().DesativaProcesso();
        Abort();
    }
    load(m_cdsVendaNFisc, cancelled);
    return m_cdsVendaNFisc.IsEmpty() ? ServerCancel::NotFound : ServerCancel::Cancelled;
}

// A document whose server cancellation is still kept in the till was cancelled outside
// already: it is not cancelled there again.
void ReceiptCancel::refuseKeptCancellation(const QString &kind)
{
    if (!PendingRecords(m_context).holdsServerCancellation(kind, m_values.documentNumber))
        return;
    m_context.services().DesativaProcesso();
    stop(QStringLiteral("O cancelamento da venda do documento %1 já foi feito e está guardado neste caixa até que o banco "
                        "de dados o grave. Não é preciso cancelá-la de novo.")
             .arg(m_values.documentNumber));
}

// The cashback platform never stops a cancellation: what it did not confirm is kept and sent
// again, and the operator has been told.
void ReceiptCancel::cancelGcom(const QString &saleSequence)
{
    const Parameters &params = m_context.state().params;
    try {
        m_context.consumer().cancelGcomCashback(params.stCDFILIAL, params.stCDLOJA, params.stCDCAIXA, saleSequence,
                                                !m_partnerUnanswered);
    } catch (const EAbort &) {
    } catch (const std::exception &failure) {
        qWarning().noquote() << "GCOM:" << failure.what();
    }
}

// The cancelled sale's voucher of its kind, then the drawer and the access log. The sale is
// cancelled on the server by now: a voucher the printer refuses is reported and logged.
void ReceiptCancel::finishDocument()
{
    if (m_cdsVendaNFisc.IsEmpty() && !m_serverKept)
        stop(m_context.Msg(QStringLiteral("Venda_Nfisc_Nenc")));
    if (m_values.kind == nfceKind) {
        if (!printNfceVoucher(false))
            m_context.message(m_context.Msg(QStringLiteral("Erro_Imp_Nfisc")), Ravuvozozod::Error);
    } else if (m_values.kind == satKind) {
        printSatReceipt();
    } else {
        printPlainVoucher();
    }
    logCancellation(m_values.couponNumber);
}

void ReceiptCancel::printSatReceipt()
{
    const SaleState &state = m_context.state();
    const NameValueList &sat = m_values.satAnswer;
    const CfeNumbers numbers = cfeNumbersOf(sat.value(QStringLiteral("arqxmlnfce")));
    if (numbers.number.isEmpty() || numbers.serial.isEmpty())
        qWarning().noquote() << "SAT cancellation answer without its CF-e number or SAT serial";
    SatCancelReceiptRequest receipt;
    receipt.timeStamp = sat.value(QStringLiteral("timeStamp"));
    receipt.chaveConsulta = sat.value(QStringLiteral("chaveConsulta"));
    receipt.assinaturaQrCode = sat.value(QStringLiteral("assinaturaQRCODE"));
    receipt.stRecebAux2 = state.startup.stRecebAux2;
    receipt.cfeNumber = numbers.number;
    receipt.satSerial = numbers.serial;
    receipt.valorTotalCfe = sat.value(QStringLiteral("valorTotalCFe"));
    receipt.nrSeqVenda = text(m_cdsCancSat, "NRSEQVENDA");
    receipt.nrNotaFiscalCe = text(m_cdsCancSat, "NRNOTAFISCALCE");
    receipt.nrAcessoNfce = text(m_cdsCancSat, "NRACESSONFCE");
    receipt.cdCaixa = text(m_cdsCancSat, "CDCAIXA");
    const HostResult printed = m_context.services().Imp_Extrato_SAT_Canc(receipt);
    if (!printed.ok)
        qWarning().noquote() << "Imp_Extrato_SAT_Canc:" << printed.failure;
    m_context.settlement().Cancela_Item_Imp_NFis(m_values.documentNumber);
    m_context.services().DesativaProcesso();
}

void ReceiptCancel::printPlainVoucher()
{
    if (printCancelVoucher(cancelVoucher(m_values.kind, m_values.documentNumber, m_cdsVendaNFisc.Data())))
        openDrawer(m_values.kind.isEmpty());
}

bool ReceiptCancel::printNfceVoucher(bool contingency)
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    NfceCancelVoucherRequest voucher;
    voucher.idTipoImpNf3 = params.stIDTIPOIMPNF3;
    voucher.cdPortImpNf3 = params.stCDPORTIMPNF3;
    voucher.kind = m_values.kind;
    voucher.cdFilial = params.stCDFILIAL;
    voucher.cdCaixa = params.stCDCAIXA;
    voucher.nmCaixa = params.stNMCAIXA;
    voucher.documentNumber = m_values.documentNumber;
    voucher.dsObsCupFis = params.stDSOBSCUPFIS;
    voucher.boCupomAberto = state.flags.boCupomAberto;
    // A kept cancellation has no rows from the server yet: the NFC-e's own rows name the items.
    voucher.cdsVendaNFisc = m_serverKept ? m_cdsVendaCanNFCe.Data() : m_cdsVendaNFisc.Data();
    voucher.contingency = contingency;
    const HostResult printed = m_context.services().setNFCeCancelado(voucher);
    if (!printed.ok && !printed.failure.isEmpty())
        qWarning().noquote() << "setNFCeCancelado:" << printed.failure;
    return printed.ok;
}
