// The document of a sale that settles without the payment screen: the approximate taxes, the
// fiscal printer's close or print, and the number the till takes.
#include "personalcreditroad_p.h"

#include <runtime/messages.h>
#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <runtime/clientdataset.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <QDebug>

namespace {

const QString noNumber = QStringLiteral("Não foi possível obter o número do documento da venda. "
                                        "A venda continua na tela para novo recebimento.");

double taxNumber(const QString &text)
{
    return PtBr::StrToFloat(QString(text).replace(QLatin1Char('.'), QLatin1Char(',')));
}

FiscalCloseOutcome printSale(SaleContext &context, const OwnRoadClose &close)
{
    SaleState &s = context.state();
    const Parameters &p = s.params;
    SaleDatasets &d = context.data();
    ClientDataSet none;
    none.CreateDataSet();
    SalePrintRequest request;
    request.stTotCv = p.stSTTOTCV;
    request.cdFilial = p.stCDFILIAL;
    request.cdCaixa = p.stCDCAIXA;
    request.md5ArquivoTxt = s.startup.stMD5ARQUIVOTXT;
    request.idEsquema = p.stIDESQUEMA;
    request.pager = s.settlement.stSenhaPedido;
    request.road = close.road;
    request.nmConsumidor = s.consumer.stNmConsumidor;
    request.dsObsCupFis = p.stDSOBSCUPFIS;
    request.cdPortaImpFis = p.stCDPORTAIMPFIS;
    request.idTipoImpFis = p.inIDTIPOIMPFIS;
    request.balance = close.withBalances ? Variant(0) : Variant(s.figures.doSaldoCons);
    request.total = close.withBalances ? Variant(0) : Variant(close.saleTotal);
    request.idImpSaldoCupom = p.stIDIMPSALDOCUPOM;
    SalePrintDatasets datasets{d.cdsVenda,
                               d.cdsMovCaixa,
                               d.cdsConfTipoRece,
                               d.cdsAliqImpFis,
                               close.withBalances ? d.cdsConsultaSaldo : none,
                               close.withBalances ? d.cdsFamiliaSaldo : none,
                               close.withBalances ? d.cdsEmprestimoFam : none};
    const TextAnswer printed = context.devices().ImpressaoVenda(request, datasets);
    FiscalCloseOutcome outcome;
    if (!printed.ok || printed.text == QLatin1String("Erro")) {
        outcome.failure = printed.ok ? QStringLiteral("Erro") : printed.failure;
        return outcome;
    }
    outcome.done = true;
    outcome.documentNumber = printed.text;
    return outcome;
}

FiscalCloseRequest closeRequest(SaleContext &context, const OwnRoadClose &close, const QString &tax1)
{
    SaleState &s = context.state();
    const Parameters &p = s.params;
    SaleDatasets &d = context.data();
    FiscalCloseRequest r;
    r.stTotCv = p.stSTTOTCV;
    r.md5ArquivoTxt = s.startup.stMD5ARQUIVOTXT;
    r.idEsquema = p.stIDESQUEMA;
    r.idTipoImpFis = p.inIDTIPOIMPFIS;
    r.discount = close.discount;
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
    r.road = close.road;
    r.doSaldoCons = s.figures.doSaldoCons;
    r.total = close.saleTotal;
    r.dsMensCpfCup = p.stDSMENSCPFCUP;
    r.idImprCupTefRed = p.stIDIMPRCUPTEFRED;
    r.ecfImp = p.stECFIMP;
    r.sgEstadoFili = p.stSGESTADOFILI;
    if (close.debit) {
        r.idParImprLimVdc = close.debit->limitPrinting;
        r.stVrMaxDebCons = close.debit->maximumDebit;
        r.stVrMeSubCons = close.debit->monthlySubsidy;
        r.cdsVrSaldConsumi = close.debit->monthFigures;
        r.periodSpending = close.debit->periodSpending;
    }
    r.tax1 = taxNumber(close.firstTaxText ? s.settlement.stRecebAux21 : tax1);
    r.tax0 = taxNumber(s.settlement.stRecebAux21);
    r.tax2 = taxNumber(s.settlement.stRecebAux22);
    r.limitText = close.limitText;
    r.value60 = Variant::null();
    r.cashback = isYes(p.stIDUTILFID4ALL) ? s.loyalty.doCashbackAux1 : s.loyalty.doCashbackUDSAux1;
    return r;
}

} // namespace

bool printsSaleItself(int model)
{
    return model == 16 || model == 21 || model == 30;
}

// A call that did not answer leaves no tax texts: those of an earlier attempt must not stand
// for this sale.
QString estimateTaxes(SaleContext &context)
{
    SaleState &s = context.state();
    const TaxEstimateAnswer taxes = context.services().CalculoIcmsDFederal(TaxEstimateRequest{}, context.data().cdsVenda);
    s.settlement.stRecebAux21 = taxes.ok ? taxes.tax0 : QString();
    s.settlement.stRecebAux22 = taxes.ok ? taxes.tax2 : QString();
    s.totals.doVrImpostoAprox =
        Money::RoundDec(taxNumber(s.settlement.stRecebAux21) + taxNumber(s.settlement.stRecebAux22), 2);
    return taxes.ok ? taxes.tax1 : QString();
}

FiscalCloseOutcome closeOnFiscalPrinter(SaleContext &context, const OwnRoadClose &close)
{
    SaleState &s = context.state();
    const Parameters &p = s.params;
    if (printsSaleItself(p.inIDTIPOIMPFIS))
        return printSale(context, close);
    s.results.vaRetorno = Variant::array(10);
    const QString tax1 = estimateTaxes(context);
    s.flags.boBalcaoAux1 = false;
    const FiscalCloseAnswer closed = context.devices().FechaCupom(closeRequest(context, close, tax1));
    // The grand total follows every close attempt, closed or not.
    GrandTotalRequest totals;
    totals.cdFilial = p.stCDFILIAL;
    totals.cdCaixa = p.stCDCAIXA;
    totals.nrSerieImp = p.stNRSERIEIMP;
    totals.idEsquema = p.stIDESQUEMA;
    totals.fillers = close.grandTotalFillers;
    const HostResult updated = context.devices().Atu_TotGeral(totals);
    if (!updated.ok)
        qWarning().noquote() << "Atu_TotGeral:" << updated.failure;
    FiscalCloseOutcome outcome;
    outcome.done = closed.ok;
    outcome.closeAnswer = closed.closeAnswer;
    outcome.failure = closed.failure;
    return outcome;
}

QString takeOwnRoadNumber(SaleContext &context, QString &documentInHand, const QString &noNumberText)
{
    const Parameters &p = context.state().params;
    if (p.boUTILIZAIMPFIS || !isNo(p.stIDUTLINTFACELE))
        return {};
    if (const std::optional<QString> taken = takeReservedOrRangeNumber(context, documentInHand, noNumberText))
        return *taken;
    return takeElectronicOrPlainNumber(context, documentInHand, noNumberText);
}

std::optional<QString> takeReservedOrRangeNumber(SaleContext &context, QString &documentInHand,
                                                 const QString &noNumberText)
{
    SaleState &s = context.state();
    const Parameters &p = s.params;
    SettlementTexts &t = s.settlement;
    QString &reserved = s.till.stNrCupomReservado;
    if (!reserved.isEmpty()) {
        t.stRecebAux9 = reserved;
        documentInHand = reserved;
        reserved.clear();
        return QString();
    }
    if (p.stIDPAISINTEGRA != QLatin1String("01"))
        return std::nullopt;
    const QString number =
        context
            .checkedValue(context.server().counters.getPrxVendaColombia(p.stCDFILIAL, p.stCDCAIXA, p.stCDPREFINTGCOL,
                                                                        p.stNRCUPINIINTGCOL, p.stNRCUPFININTGCOL),
                          QStringLiteral("getPrxVendaColombia"), QString())
            .toString();
    // A used-up range refuses the sale rather than saving it under "CUPINV".
    if (number == QLatin1String("CUPINV"))
        return Lvm_msg::Format(context.Msg(QStringLiteral("Cup_inv")), {p.stNRCUPINIINTGCOL, p.stNRCUPFININTGCOL});
    if (number.isEmpty())
        return noNumberText.isEmpty() ? noNumber : noNumberText;
    t.stRecebAux9 = number;
    return QString();
}

QString takeElectronicOrPlainNumber(SaleContext &context, QString &documentInHand, const QString &noNumberText)
{
    SaleState &s = context.state();
    const Parameters &p = s.params;
    SettlementTexts &t = s.settlement;
    const QString failure = noNumberText.isEmpty() ? noNumber : noNumberText;
    estimateTaxes(context);
    if (!p.boSISTEMAQUBNFCE) {
        t.stRecebAux9 = context
                            .checkedValue(context.server().counters.setNrVendaNFisc(p.stCDFILIAL, p.stCDCAIXA, QString()),
                                          QStringLiteral("setNrVendaNFisc"), QString())
                            .toString();
        return t.stRecebAux9.isEmpty() ? failure : QString();
    }
    const TextAnswer series = context.services().getNumeroSerieNFCe(NfceSeriesRequest{p.stCDFILIAL, p.stCDCAIXA});
    t.stRecebAux24 = series.ok ? series.text : QString();
    t.stRecebAux9 = context
                        .checkedValue(context.server().counters.setNumeroNFCe(p.stCDFILIAL, p.stCDCAIXA, t.stRecebAux24,
                                                                              p.stIDAMBTRABNFCE, true),
                                      QStringLiteral("setNumeroNFCe"), QString())
                        .toString();
    const TextAnswer emission = context.services().getDataEmissNFCe();
    t.stRecebAux19 = emission.ok ? emission.text : QString();
    documentInHand = t.stRecebAux9;
    return t.stRecebAux9.isEmpty() ? failure : QString();
}
