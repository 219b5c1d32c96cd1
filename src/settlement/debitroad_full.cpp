// The whole sale on the consumer's debit: the payment row, the close on the fiscal printer or
// the document number, the consumer-debit receipt, then the save.
#include "debitroad_p.h"

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
#include <sale/salestate.h>
#include <sale/serverseams.h>
#include <screen/screenshell.h>
#include <screen/tfrmvendacons.h>

#include <QDebug>

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

// Models that print the sale themselves in place of the fiscal close.
bool printsSaleItself(int model)
{
    return model == 16 || model == 21 || model == 30;
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
        m_context.shell().GetObsFinVen();
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
    if (s.params.boUTILIZAIMPFIS && !closeOnFiscalPrinter(documentDone))
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
    s.fiscal.stCancCupomAux3 = QStringLiteral("DB");
    const Saved saved = saveSale(Settlement::ClosingRoad::DebitFull);
    if (saved.goesOn)
        finishSale(saved, QStringLiteral("D"));
}

// The fiscal close: the printer models that print the sale themselves, or the close with the
// consumer's debit figures; the grand totals after it either way. False when the settlement
// stopped before the close (the sale stays on the screen).
bool ConsumerDebitRoad::closeOnFiscalPrinter(bool &documentDone)
{
    SaleState &s = m_context.state();
    const Parameters &p = s.params;
    SaleDatasets &d = m_context.data();
    if (printsSaleItself(p.inIDTIPOIMPFIS)) {
        ClientDataSet none(QStringLiteral("cdsVazio"));
        SalePrintRequest request{p.stSTTOTCV, p.stCDFILIAL, p.stCDCAIXA, s.startup.stMD5ARQUIVOTXT, p.stIDESQUEMA,
                                 s.settlement.stSenhaPedido, QStringLiteral("2"), s.consumer.stNmConsumidor,
                                 p.stDSOBSCUPFIS, p.stCDPORTAIMPFIS, p.inIDTIPOIMPFIS, s.figures.doSaldoCons, m_subsidy,
                                 p.stIDIMPSALDOCUPOM};
        SalePrintDatasets datasets{d.cdsVenda, d.cdsMovCaixa, d.cdsConfTipoRece, d.cdsAliqImpFis, none, none, none};
        const TextAnswer printed = m_context.devices().ImpressaoVenda(request, datasets);
        if (!printed.ok || printed.text == QLatin1String("Erro")) {
            refuse(QStringLiteral("A impressora fiscal não imprimiu a venda. Nada foi debitado e a venda continua na "
                                  "tela. ") + printed.failure,
                   RoadEnd::Kind::Failed);
            return false;
        }
        m_run.documentInHand = printed.text;
        return true;
    }
    double spending = 0;
    if (!readDebitFigures() || !payrollSpending(spending) || !readConsumerLimits())
        return false;
    s.results.vaRetornoAux = Variant::array(3);
    const TaxEstimateAnswer taxes = m_context.services().CalculoIcmsDFederal(TaxEstimateRequest{}, d.cdsVenda);
    s.settlement.stRecebAux21 = taxes.ok ? taxes.tax0 : QString();
    s.settlement.stRecebAux22 = taxes.ok ? taxes.tax2 : QString();
    s.totals.doVrImpostoAprox = PtBr::StrToFloat(s.settlement.stRecebAux21) + PtBr::StrToFloat(s.settlement.stRecebAux22);
    FiscalCloseRequest r;
    r.stTotCv = p.stSTTOTCV;
    r.md5ArquivoTxt = s.startup.stMD5ARQUIVOTXT;
    r.idEsquema = p.stIDESQUEMA;
    r.idTipoImpFis = p.inIDTIPOIMPFIS;
    r.discount = s.loyalty.doFidelidadeAux1;
    r.idUtilTef = p.stIDUTILTEF;
    r.dsObsCupFis = p.stDSOBSCUPFIS;
    r.payments = d.cdsMovCaixa.Data();
    r.cdsConfTipoRece = d.cdsConfTipoRece.Data();
    r.cdCliente = s.host.stCdClienteVenda;
    r.consumerText = s.consumer.stRecebAux10;
    r.nrCracha = s.consumer.stNrCracha;
    r.nmConsumidor = s.consumer.stNmConsumidor;
    r.cdOperador = s.rights.stCDOPERADOR;
    r.nmOperador = s.rights.stNMOPERADOR;
    r.idImpBarrCup = p.stIDIMPBARRCUP;
    r.nmPadBarrCup = p.stNMPADBARRCUP;
    r.idImpSaldoCupom = p.stIDIMPSALDOCUPOM;
    r.stRecebAux5 = s.fiscal.stRecebAux5;
    r.pager = s.settlement.stSenhaPedido;
    r.cdsConsultaSaldo = d.cdsConsultaSaldo.Data();
    r.cdsFamiliaSaldo = d.cdsFamiliaSaldo.Data();
    r.cdsEmprestimoFam = Variant(d.cdsEmprestimoFam.Data());
    r.stIdTpTelaVe = p.stIdTpTelaVe;
    r.road = QStringLiteral("2");
    r.doSaldoCons = s.figures.doSaldoCons;
    r.total = m_subsidy;
    r.dsMensCpfCup = p.stDSMENSCPFCUP;
    r.idImprCupTefRed = p.stIDIMPRCUPTEFRED;
    r.ecfImp = p.stECFIMP;
    r.sgEstadoFili = p.stSGESTADOFILI;
    r.idParImprLimVdc = p.stIDPARIMPRLIMVDC;
    r.stVrMaxDebCons = s.consumer.stVRMAXDEBCONS;
    r.stVrMeSubCons = s.consumer.stVRMESUBCONS;
    r.cdsVrSaldConsumi = Variant(m_saldConsumi.Data());
    // This road passes the first tax text where the others pass the second.
    r.tax1 = PtBr::StrToFloat(s.settlement.stRecebAux21);
    r.tax0 = PtBr::StrToFloat(s.settlement.stRecebAux21);
    r.periodSpending = spending;
    r.tax2 = PtBr::StrToFloat(s.settlement.stRecebAux22);
    r.limitText = s.consumer.stVRMAXDEBCONS.trimmed().isEmpty()
        ? QString()
        : PtBr::FloatToStr(PtBr::StrToFloat(s.consumer.stVRMAXDEBCONS) - s.figures.doRecebAux2);
    r.value60 = Variant::null();
    r.cashback = isYes(p.stIDUTILFID4ALL) ? s.loyalty.doCashbackAux1 : s.loyalty.doCashbackUDSAux1;
    s.results.vaRetorno = Variant::array(10);
    const FiscalCloseAnswer closed = m_context.devices().FechaCupom(r);
    documentDone = closed.ok;
    if (closed.ok)
        m_run.paymentText11 = closed.closeAnswer;
    else
        qWarning().noquote() << "FechaCupom:" << closed.failure;
    GrandTotalRequest totals;
    totals.cdFilial = p.stCDFILIAL;
    totals.cdCaixa = p.stCDCAIXA;
    totals.nrSerieImp = p.stNRSERIEIMP;
    totals.idEsquema = p.stIDESQUEMA;
    totals.fillers = QList<Variant>(9, Variant(QString()));
    const HostResult updated = m_context.devices().Atu_TotGeral(totals);
    if (!updated.ok)
        qWarning().noquote() << "Atu_TotGeral:" << updated.failure;
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
    QString &reserved = s.fiscal.stNrCupomReservado;
    if (!reserved.isEmpty()) {
        s.settlement.stRecebAux9 = reserved;
        m_run.documentInHand = reserved;
        reserved.clear();
        return true;
    }
    if (p.stIDPAISINTEGRA == QLatin1String("01")) {
        const QString number =
            m_context
                .checkedValue(m_context.server().counters.getPrxVendaColombia(p.stCDFILIAL, p.stCDCAIXA, p.stCDPREFINTGCOL,
                                                                              p.stNRCUPINIINTGCOL, p.stNRCUPFININTGCOL),
                              QStringLiteral("getPrxVendaColombia"), QString())
                .toString();
        if (number == QLatin1String("CUPINV")) {
            refuse(Lvm_msg::Format(m_context.Msg(QStringLiteral("Cup_inv")), {p.stNRCUPINIINTGCOL, p.stNRCUPFININTGCOL}));
            return false;
        }
        s.settlement.stRecebAux9 = number;
    } else {
        if (!readDebitFigures())
            return false;
        takeElectronicOrPlainNumber();
    }
    if (!s.settlement.stRecebAux9.isEmpty())
        return true;
    refuse(QStringLiteral("Não foi possível obter o número do documento da venda. Nada foi debitado e a venda continua "
                          "na tela."));
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
        s.consumer.stVRMESUBCONS = text(m_limits, "VRMESUBCONS");
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
    if (!debitReceiptPrinted(observation))
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
                                          s.consumer.stVRMAXDEBCONS, s.consumer.stVRMESUBCONS, m_saldConsumi.Data()};
        return m_context.devices().Comp_DebitoCons(request).ok;
    }
    const DebitVoucherNonFiscalRequest request{
        d.cdsVenda.Data(), value, receiptName, consumer, consumerName, client, clientName, s.settlement.stSenhaPedido,
        s.figures.doSaldoCons, m_subsidy, p.stIDIMPSALDOCUPOM, p.stCDPORTIMPNF1, p.stIDTIPOIMPNF1, p.stCDFILIAL,
        p.stNMRAZSOCFILI, p.stDSENDEFILI, p.stCDINSCMUNIFILI, p.stCDCAIXA, p.stNMCAIXA, s.settlement.stRecebAux9,
        p.stNMBAIRFILI, p.stNMMUNICIPIOFILI, p.stSGESTADOFILI, p.stIDPAISINTEGRA, m_saldConsumi.Data()};
    return m_context.services().Comp_DebitoCons_Bematech_NaoFiscal(request).ok;
}
