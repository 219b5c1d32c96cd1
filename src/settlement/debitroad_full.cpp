// The whole sale on the consumer's debit: the payment row, the close on the fiscal printer or
// the document number, the consumer-debit receipt, then the save.
#include "debitroad_p.h"

#include "personalcreditroad_p.h"

#include <consumer/consumersale.h>
#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/messages.h>
#include <runtime/ptbr.h>
#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <QDebug>
#include <QDialog>

namespace {

QString text(const ClientDataSet &dataset, const char *name)
{
    const Field field = dataset.FindField(QString::fromLatin1(name));
    return field.IsValid() ? field.AsString() : QString();
}

double number(const ClientDataSet &dataset, const char *name)
{
    const Field field = dataset.FindField(QString::fromLatin1(name));
    return field.IsValid() ? field.AsFloat() : 0.0;
}

QDateTime movementDate(const ClientDataSet &payments)
{
    const Field field = payments.FindField(QStringLiteral("DTMOVIMCAIXA"));
    const QDateTime date = field.IsValid() ? field.AsDateTime() : QDateTime();
    return date.isValid() ? date : QDateTime(Clock::now().date(), QTime(0, 0));
}

} // namespace

void ConsumerDebitRoad::fullDebitRoad()
{
    SaleState &s = m_context.state();
    SaleDatasets &d = m_context.data();
    if (isYes(s.params.stIDSOLOBSFINVEN)) {
        m_context.screen().GetObsFinVen();
        const QString observation = s.settlement.stDSOBSFINVEN;
        if (!observation.isEmpty() && d.cdsVenda.Active() && d.cdsVenda.HasField(QStringLiteral("DSOBSFINVEN")))
            for (d.cdsVenda.First(); !d.cdsVenda.Eof(); d.cdsVenda.Next()) {
                d.cdsVenda.Edit();
                d.cdsVenda.FieldByName(QStringLiteral("DSOBSFINVEN")).SetAsString(observation);
                d.cdsVenda.Post();
            }
    }
    if (!m_context.settlement().InsereMovCaixa(false)) {
        m_end = RoadEnd{RoadEnd::Kind::Refused, std::nullopt, false, QString(), QString()};
        return;
    }
    if (s.settlement.stSenhaPedido.isEmpty())
        s.settlement.stSenhaPedido = m_context.settlement().GeraSenhaCupom(s.params.stIDSENHACUP, s.params.inNRMINSENHAAL);
    bool documentDone = true;
    if (s.params.boUTILIZAIMPFIS && !closeDocument(documentDone))
        return;
    if (!documentDone) {
        refuse(QStringLiteral("A impressora fiscal não fechou o cupom. Nada foi debitado e a venda continua na tela."),
               RoadEnd::Kind::Failed);
        return;
    }
    if (!numberFullDebit())
        return;
    const int model = s.params.inIDTIPOIMPFIS;
    if ((!s.params.boUTILIZAIMPFIS || (model != 16 && model != 30)) && isYes(s.params.stIDIMPVENDCON)
        && text(d.cdsMovCaixa, "IDTIPOMOVIVE") == QLatin1String("T"))
        printDebitReceipt();
    m_context.form().repaint();
    s.till.stCancCupomAux3 = QStringLiteral("DB");
    saveSale(Settlement::ClosingRoad::DebitFull);
}

// The fiscal close: the printer models that print the sale themselves, or the close with the
// consumer's debit figures; the grand totals after it either way. False when the settlement
// stopped before the close (the sale stays on the screen).
bool ConsumerDebitRoad::closeDocument(bool &documentDone)
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    OwnRoadClose close;
    close.road = QStringLiteral("2");
    close.discount = s.loyalty.doFidelidadeAux1;
    close.saleTotal = m_subsidy;
    if (!printsSaleItself(p.inIDTIPOIMPFIS)) {
        double spending = 0;
        if (!readDebitFigures() || !payrollSpending(spending) || !readConsumerLimits())
            return false;
        close.limitText = s.consumer.stVRMAXDEBCONS.trimmed().isEmpty()
            ? QString()
            : PtBr::FloatToStr(PtBr::StrToFloat(s.consumer.stVRMAXDEBCONS) - s.figures.doRecebAux2);
        close.debit = DebitCloseFigures{p.stIDPARIMPRLIMVDC, s.consumer.stVRMAXDEBCONS, m_monthlySubsidy,
                                        Variant(m_saldConsumi.Data()), spending};
        close.firstTaxText = true;
    }
    const FiscalCloseOutcome closed = closeOnFiscalPrinter(m_context, close);
    if (printsSaleItself(p.inIDTIPOIMPFIS)) {
        if (!closed.done) {
            refuse(QStringLiteral("A impressora fiscal não imprimiu a venda. Nada foi debitado e a venda continua na "
                                  "tela. ") + closed.failure,
                   RoadEnd::Kind::Failed);
            return false;
        }
        m_run.documentInHand = closed.documentNumber;
        return true;
    }
    documentDone = closed.done;
    if (closed.done)
        m_run.paymentText11 = closed.closeAnswer;
    else
        qWarning().noquote() << "FechaCupom:" << closed.failure;
    return true;
}

// The sale's own number when no fiscal printer numbers it. An exhausted Colombian range or no
// number at all stops the settlement before anything is saved.
bool ConsumerDebitRoad::numberFullDebit()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    if (p.boUTILIZAIMPFIS || !isNo(p.stIDUTLINTFACELE) || isYes(s.settlement.stConfRecebimento))
        return true;
    const QString noNumber = QStringLiteral("Não foi possível obter o número do documento da venda. Nada foi debitado "
                                            "e a venda continua na tela.");
    std::optional<QString> failure = takeReservedOrRangeNumber(m_context, m_run.documentInHand, noNumber);
    if (!failure) {
        // The receipt shows the month's debit figures.
        if (!readDebitFigures())
            return false;
        failure = takeElectronicOrPlainNumber(m_context, m_run.documentInHand, noNumber);
    }
    if (failure->isEmpty())
        return true;
    refuse(*failure);
    return false;
}

// The consumer's debit figures of the month up to the movement date, for the close and the
// receipt. False, after a message, when the base did not answer.
bool ConsumerDebitRoad::readDebitFigures()
{
    const SaleState &s = m_context.state();
    const QDateTime day = movementDate(m_context.data().cdsMovCaixa);
    const QDateTime first(QDate(day.date().year(), day.date().month(), 1), QTime(0, 0));
    Variant packet;
    if (!m_context.checkAnswer(m_context.server().consumers.getVrSaldConsumi(
                                   s.params.stCDFILIAL, s.host.stCdClienteVenda, s.consumer.stNrCracha.trimmed(),
                                   s.consumer.stCDCONSUMIDOR, first, day),
                               QStringLiteral("getVrSaldConsumi"), QString(), packet, SaleContext::Failure::Quiet)) {
        refuse(QStringLiteral("O servidor não respondeu à consulta getVrSaldConsumi. Nada foi debitado e a venda "
                              "continua na tela. ") + packet.failureText());
        return false;
    }
    if (packet.isPacket())
        m_saldConsumi.SetData(packet.packet());
    return true;
}

// The consumer's limits as the receipt prints them. A limit that is not a number stops here,
// before the close.
bool ConsumerDebitRoad::readConsumerLimits()
{
    SaleState &s = m_context.state();
    Variant packet;
    if (!m_context.checkAnswer(m_context.server().consumers.getLimiteCons(s.host.stCdClienteVenda, s.consumer.stCDCONSUMIDOR),
                               QStringLiteral("getLimiteCons"), QString(), packet, SaleContext::Failure::Quiet)) {
        refuse(QStringLiteral("O servidor não respondeu à consulta getLimiteCons. Nada foi debitado e a venda continua "
                              "na tela. ") + packet.failureText());
        return false;
    }
    if (packet.isPacket() && m_limits.SetData(packet.packet()) && !m_limits.IsEmpty()) {
        s.consumer.stVRMAXDEBCONS = text(m_limits, "VRMAXDEBCONS");
        // The receipt prints the monthly subsidy; the consumer's floor (VRLIMDEBCONS, in
        // stVRMESUBCONS) stays for the checks of a sale that remains on the screen.
        m_monthlySubsidy = text(m_limits, "VRMESUBCONS");
    }
    return limitTextsReadable();
}

// What the consumer spent since the payroll period began, with this sale; zero unless the
// receipt prints the period's limits. False, after a message, when it could not be had.
bool ConsumerDebitRoad::payrollSpending(double &spending)
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    spending = 0;
    if (p.stIDPARIMPRLIMVDC != QLatin1String("E") || p.stNRDIAFECHAFOLHA.trimmed().isEmpty())
        return true;
    QString dateText;
    const std::optional<QDate> closing = payrollClosingDate(Clock::now().date(), p.stNRDIAFECHAFOLHA, &dateText);
    if (!closing) {
        refuse(QStringLiteral("O dia de fechamento da folha (\"%1\") não é um dia válido. Nada foi debitado e a venda "
                              "continua na tela.")
                   .arg(p.stNRDIAFECHAFOLHA));
        return false;
    }
    if (isYes(p.stIDDEBCONSCENTRAL)) {
        const QString operation = QStringLiteral("SALDO_EXCEDE");
        s.results.vaRetorno = Variant::array(1);
        const StatementAnswer answer = m_context.services().MoviclieCentral(
            CentralMovementRequest{QStringLiteral("V"), p.stCDFILIAL, p.stCDLOJA, s.host.stCdClienteVenda,
                                   s.consumer.stCDCONSUMIDOR, dateText, QString(), operation});
        if (!answer.answered) {
            s.consumer.stSaldGastAux2 = operation;
            refuse(m_context.messages().Msg(QStringLiteral("MOVICLIECENTRAL_ERRO"), {operation}), RoadEnd::Kind::Failed);
            return false;
        }
        spending = answer.value1.toDouble();
    } else {
        Variant answer;
        if (!m_context.checkAnswer(m_context.server().consumers.getSaldoExcedente(
                                       p.stCDFILIAL, s.host.stCdClienteVenda, s.consumer.stCDCONSUMIDOR,
                                       QDateTime(*closing, QTime(0, 0))),
                                   QStringLiteral("getSaldoExcedente"), QString(), answer, SaleContext::Failure::Quiet)) {
            refuse(QStringLiteral("O servidor não respondeu à consulta getSaldoExcedente. Nada foi debitado e a venda "
                                  "continua na tela. ") + answer.failureText());
            return false;
        }
        spending = answer.toDouble();
    }
    spending += s.totals.doTotalVenda;
    return true;
}

// The consumer-debit receipt: the consumer of the payment row, the final balance text, the
// operator's word and observation where asked, then the printer. A receipt that fails is
// reported and the sale goes on to be saved.
void ConsumerDebitRoad::printDebitReceipt()
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    SaleDatasets &d = m_context.data();
    const QString client = text(d.cdsMovCaixa, "CDCLIENTE");
    const QString consumer = text(d.cdsMovCaixa, "CDCONSUMIDOR");
    const Variant packet = m_context.checkedValue(
        m_context.server().consumers.getCadConsumidor(p.stCDFILIAL, client, consumer, p.stIDEXCONSATFIL, p.stIDEXCONSATGER),
        QStringLiteral("getCadConsumidor"), QStringList{p.stCDFILIAL, client, consumer}.join(QLatin1Char('-')));
    if (!packet.isPacket() || !d.cdsCadConsumidor.SetData(packet.packet()) || d.cdsCadConsumidor.IsEmpty())
        return;
    if (d.cdsCliente.Active())
        d.cdsCliente.Locate(QStringLiteral("CDCLIENTE"), Variant(client));
    m_context.consumer().CalcSaldoFinalCredCons(number(d.cdsMovCaixa, "VRMOVIVEND"), s.figures.doSaldoCons, m_subsidy,
                                                p.stIDIMPSALDOCUPOM, QStringLiteral("D"));
    if (isYes(p.stIDSOLCONICNFIS)
        && !Ravuvozozod::Mensagem(m_context.Msg(QStringLiteral("ConfImpNaoFiscal")), QString(), QStringLiteral("S"),
                                  QStringLiteral("S"), Ravuvozozod::Question, QString(), p.stIDESQUEMA, 0))
        return;
    QString observation;
    if (isYes(p.stIDSOLDIGOBSDC)) {
        AdditionalDataRequest request;
        request.askObservation = QStringLiteral("S");
        request.idEsquema = p.stIDESQUEMA;
        request.askNameAddress = p.stIDINFNOMEEND;
        request.valueCount = 8;
        observation = m_context.services().CriaInfAdicional(request).observation;
    }
    if (debitReceiptPrinted(observation))
        m_receiptAfterCoupon = p.boUTILIZAIMPFIS;
    else
        m_context.message(m_context.Msg(QStringLiteral("ERRO_COMPROVANTE_DEBITOCONS")), Ravuvozozod::Error);
}

bool ConsumerDebitRoad::debitReceiptPrinted(const QString &observation)
{
    const SaleState &s = m_context.state();
    const Parameters &p = s.params;
    const SaleDatasets &d = m_context.data();
    const QString receiptName = text(d.cdsMovCaixa, "DSIMPFISCAL").left(16);
    const double value = number(d.cdsMovCaixa, "VRMOVIVEND");
    const QString consumer = text(d.cdsMovCaixa, "CDCONSUMIDOR");
    const QString consumerName = text(d.cdsCadConsumidor, "NMCONSUMIDOR");
    const QString client = text(d.cdsMovCaixa, "CDCLIENTE");
    const QString clientName = text(d.cdsCliente, "NMFANTCLIE");
    if (p.boUTILIZAIMPFIS) {
        const DebitVoucherRequest request{p.stIDESQUEMA, d.cdsVenda.Data(), receiptName, value, consumer, consumerName,
                                          client, clientName, s.settlement.stSenhaPedido, s.figures.doSaldoCons,
                                          m_subsidy, 0, 0, p.stIDIMPSALDOCUPOM, observation, p.stIDPARIMPRLIMVDC,
                                          s.consumer.stVRMAXDEBCONS, m_monthlySubsidy, m_saldConsumi.Data()};
        return m_context.devices().Comp_DebitoCons(request).ok;
    }
    const DebitVoucherNonFiscalRequest request{
        d.cdsVenda.Data(), value, receiptName, consumer, consumerName, client, clientName, s.settlement.stSenhaPedido,
        s.figures.doSaldoCons, m_subsidy, p.stIDIMPSALDOCUPOM, p.stCDPORTIMPNF1, p.stIDTIPOIMPNF1, p.stCDFILIAL,
        p.stNMRAZSOCFILI, p.stDSENDEFILI, p.stCDINSCMUNIFILI, p.stCDCAIXA, p.stNMCAIXA, s.settlement.stRecebAux9,
        p.stNMBAIRFILI, p.stNMMUNICIPIOFILI, p.stSGESTADOFILI, p.stIDPAISINTEGRA, m_saldConsumi.Data()};
    return m_context.services().Comp_DebitoCons_Bematech_NaoFiscal(request).ok;
}
