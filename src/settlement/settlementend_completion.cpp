// A badge consumer's sale that the balances could not pay whole, completed with another
// payment form: the part the family balances cover, the payment screen for the rest, the save,
// and the refresh of the balances when the payment is refused.
#include "settlement.h"

#include "settlementserver.h"

#include <consumer/consumersale.h>
#include <order/orderentry.h>
#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/messages.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <screen/salecontext.h>
#include <screen/saledatasets.h>
#include <screen/salestate.h>
#include <screen/screenshell.h>

#include <QDebug>

#include <exception>

namespace {

const QString unitName = QStringLiteral("Cli_Kal51000");

void emptyIfOpen(ClientDataSet &dataset)
{
    if (dataset.Active())
        dataset.EmptyDataSet();
}

QString text(const ClientDataSet &dataset, const char *field)
{
    return dataset.FindField(QString::fromLatin1(field)).AsString();
}

double number(const ClientDataSet &dataset, const char *field)
{
    return dataset.FindField(QString::fromLatin1(field)).AsFloat();
}

// The value of one sale row, truncated as every line value of the sale is.
double lineValue(const ClientDataSet &rows)
{
    return Money::Trunc2(number(rows, "QTPRODCOMVEN") * number(rows, "VRPRECCOMVEN"));
}

// A tax text of the host, with a decimal comma or point.
double taxFigure(const QString &value)
{
    QString plain = value.trimmed();
    plain.replace(QLatin1Char(','), QLatin1Char('.'));
    return plain.toDouble();
}

// Shows cdsVenda filtered to one family and lifts the filter on every way out.
class FamilyFilter
{
public:
    FamilyFilter(ClientDataSet &rows, const QString &family) : m_rows(rows)
    {
        m_rows.SetFilter([family](const ClientDataSet &row) {
            return row.FindField(QStringLiteral("CDFAMILISALD")).AsString() == family;
        });
        m_rows.SetFiltered(true);
        m_rows.First();
    }
    ~FamilyFilter()
    {
        m_rows.SetFiltered(false);
        m_rows.SetFilter({});
    }

private:
    ClientDataSet &m_rows;
};

// The family packet with only that family's row, so that the day's figures the server reads
// from it are that family's and not the last family's of the sale.
DataPacket familyOnly(const ClientDataSet &families, const QString &family)
{
    ClientDataSet copy;
    if (!families.Active() || !copy.CopyFrom(families))
        return DataPacket();
    copy.First();
    while (!copy.Eof()) {
        if (text(copy, "CDFAMILISALD") == family)
            copy.Next();
        else
            copy.Delete();
    }
    return copy.Data();
}

} // namespace

void Settlement::completeWithOtherPayment()
{
    SaleState &state = m_context.state();
    SettlementTexts &texts = state.settlement;
    if (texts.stSenhaPedido.isEmpty())
        texts.stSenhaPedido = GeraSenhaCupom(state.params.stIDSENHACUP, state.params.inNRMINSENHAAL);
    const double covered = balanceCoveredAmount();
    if (!insertBalancePaymentRow(covered)) {
        completionTail();
        return;
    }
    const ClientDataSet &types = m_context.data().cdsConfTipoRece;
    if (text(types, "IDHABVENDAMAN") == QLatin1String("S"))
        texts.stConfRecebimento = QStringLiteral("S");
    const PaymentAnswer paid = askCompletionPayment(covered);
    if (!paid.paid) {
        refreshAfterRefusedCompletion();
        completionTail();
        return;
    }
    finishCompletedSale(paid);
}

double Settlement::balanceCoveredAmount()
{
    SaleDatasets &data = m_context.data();
    ClientDataSet &balances = data.cdsConsultaSaldo;
    // The amounts taken are those of this completion only.
    emptyIfOpen(data.cdsFamSaldoComp);
    double covered = 0;
    if (!balances.Active() || !data.cdsVenda.Active())
        return covered;
    for (balances.First(); !balances.Eof(); balances.Next()) {
        const QString family = text(balances, "CDFAMILISALD");
        const double balance = number(balances, "VRSALDCONFAM");
        double familyTotal = 0;
        {
            FamilyFilter filter(data.cdsVenda, family);
            for (; !data.cdsVenda.Eof(); data.cdsVenda.Next())
                familyTotal = Money::RoundDec(familyTotal + lineValue(data.cdsVenda), 2);
        }
        if (balance <= 0)
            continue;
        const double taken = familyCoverage(family, balance, familyTotal);
        if (taken <= 0)
            continue;
        covered = Money::RoundDec(covered + taken, 2);
        m_context.consumer().addFamiliaSaldo(data.cdsFamSaldoComp, family, taken, true);
    }
    return covered;
}

double Settlement::familyCoverage(const QString &family, double balance, double familyTotal)
{
    const SaleState &state = m_context.state();
    const ConsumerServer::DayRequest request{state.params.stCDFILIAL, state.params.stCDCAIXA, state.host.stCdClienteVenda,
                                             state.params.dtDTABERCAIX,
                                             familyOnly(m_context.data().cdsFamiliaSaldo, family),
                                             state.consumer.stCDCONSUMIDOR};
    const Variant spent = consumerServer().getGastoDia(request);
    const Variant limit = consumerServer().getLimitConsDiario(request);
    // Without the day's figures no balance is taken: the rest is paid by the other form.
    if (spent.isFailure() || limit.isFailure()) {
        qWarning().noquote() << "família" << family << "sem gasto ou limite do dia:"
                             << (spent.isFailure() ? spent.failureText() : limit.failureText());
        return 0;
    }
    const double available = Money::RoundDec(limit.toDouble() - spent.toDouble(), 2);
    if (limit.toDouble() > 0 && available > 0)
        return qMin(qMin(balance, available), familyTotal);
    // No daily limit: the balance pays the family's items, at most their total.
    if (limit.toDouble() == 0)
        return qMin(balance, familyTotal);
    return 0;
}

bool Settlement::insertBalancePaymentRow(double covered)
{
    const SaleState &state = m_context.state();
    ClientDataSet &types = m_context.data().cdsConfTipoRece;
    ClientDataSet &movements = m_context.data().cdsMovCaixa;
    movements.Close();
    movements.CreateDataSet();
    if (covered <= 0)
        return true;
    types.SetFiltered(false);
    if (!types.Locate(QStringLiteral("IDTIPORECE"), QStringLiteral("9"))) {
        m_context.message(QStringLiteral("Nenhum tipo de recebimento \"9\" configurado para o caixa."), Ravuvozozod::Error);
        return false;
    }
    const QDateTime fiscal = state.startup.dtMovimentoFiscal;
    const bool zeroDate = !fiscal.isValid() || fiscal.date() <= QDate(1899, 12, 30);
    const QList<QPair<const char *, Variant>> values{
        {"CDFILIAL", state.params.stCDFILIAL},
        {"IDTIPOMOVIVE", QStringLiteral("E")},
        {"DTHRINCMOV", Clock::now()},
        {"CDTIPORECE", text(types, "CDTIPORECE")},
        {"NMTIPORECE", text(types, "NMTIPORECE")},
        {"IDTIPORECE", text(types, "IDTIPORECE")},
        {"VRMOVIVEND", covered},
        {"CDTIPOTROCO", text(types, "CDTIPOTROCO")},
        {"NRORDTROCO", text(types, "NRORDTROCO")},
        {"CDCLIENTE", state.host.stCdClienteVenda},
        {"CDCONSUMIDOR", state.consumer.stCDCONSUMIDOR},
        {"CDCCUSCLIE", state.consumer.stCartaoAux1},
        {"DTMOVIMCAIXA", zeroDate ? QDateTime(Clock::now().date(), QTime(0, 0)) : fiscal},
        {"DSIMPFISCAL", text(types, "DSIMPFISCAL")},
        {"CDBANCARTCR", text(types, "CDBANCARTCR")},
        {"CDFPIMPFIS", text(types, "CDFPIMPFIS")},
        {"QTPARCRECEB", QStringLiteral("1")},
    };
    movements.Append();
    QString missing;
    for (const auto &[field, value] : values) {
        if (!movements.FieldByName(QString::fromLatin1(field)).SetValue(value) && missing.isEmpty())
            missing = QString::fromLatin1(field);
    }
    if (missing.isEmpty() && movements.Post())
        return true;
    // A sale is never paid on without its balance row.
    movements.Cancel();
    m_context.message(QStringLiteral("Movimento de caixa não gravado: ") + missing, Ravuvozozod::Error);
    return false;
}

PaymentAnswer Settlement::askCompletionPayment(double covered)
{
    SaleState &state = m_context.state();
    // The ordinary sale's request but for the amount the balances already paid and the marker.
    PaymentRequest request = paymentRequest(state.fiscal.stQrCodeAux1, QString());
    request.amountPaid = covered;
    request.cdConsumidorVenda = state.host.stCdConsumidorVenda.isEmpty() ? state.consumer.stCDCONSUMIDOR
                                                                         : state.host.stCdConsumidorVenda;
    request.roadMarker = QStringLiteral("S");
    PaymentDatasets datasets = paymentDatasets();
    PaymentAnswer answer = m_context.services().Recebimento(request, datasets);
    if (!answer.failure.isEmpty()) {
        m_context.message(answer.failure, Ravuvozozod::Error);
        answer.paid = false;
        return answer;
    }
    keepPaymentOutputs(answer);
    return answer;
}

void Settlement::finishCompletedSale(const PaymentAnswer &paid)
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    SettlementTexts &texts = state.settlement;
    const Parameters &params = state.params;
    QString document = paid.documentNumber;
    const QString numberBefore = texts.stRecebAux9;
    if (!params.boUTILIZAIMPFIS && params.stIDUTLINTFACELE == QLatin1String("N")
        && texts.stConfRecebimento != QLatin1String("S") && !numberCompletedSale(document)) {
        undoCompletedPayment(QString());
        return;
    }
    if (params.boUTILIZAIMPFIS && state.host.stModoVenda == QLatin1String("B"))
        emptyIfOpen(data.cdsItensCancelados);
    relateSaleEmail();
    const SaveResult saved = SetConcluiFechamento(ClosingRoad::Completion, closingHeader(document, paid.text11));
    if (!saved.saved) {
        undoCompletedPayment(saved.failure);
        // A number taken is never handed back: the sale that could not be stored is recorded
        // as cancelled under it, as the ordinary sale does.
        if (!texts.stRecebAux9.isEmpty() && texts.stRecebAux9 != numberBefore)
            recordCancelledSale(texts.stRecebAux9);
        return;
    }
    if (state.startup.stRecebAux20 == QLatin1String("N")) {
        texts.stRecebAux17 = saved.answer.nfceText1;
        texts.stRecebAux18 = saved.answer.nfceText2;
        texts.stRecebAux23 = saved.answer.nfceStatus;
        if (texts.stRecebAux23 == QLatin1String("CONTIGENCIA_SP")) {
            nfceContingency(saved.saleKey);
            texts.stSenhaPedido.clear();
            return;
        }
    }
    if (params.boSISTEMAQUBSAT) {
        // A refused CF-e cancels the stored sale here, as the other roads do, instead of leaving
        // a stored sale on screen without its document.
        if (!FinalizaVendaSat(saved.saleKey).isEmpty()) {
            m_context.message(m_context.Msg(QStringLiteral("VENDA_SAT_CAN")), Ravuvozozod::Error);
            markStoredSaleCancelled(saved.saleKey);
            resetAfterSettlement();
            texts.stSenhaPedido.clear();
            return;
        }
    }
    const QString buyer = state.fiscal.stCpfCnpjNota;
    if (!buyer.isEmpty() && buyer.size() < 12) {
        const QString client = state.host.stCdClienteVenda;
        const QString consumer = state.consumer.stCDCONSUMIDOR;
        const QStringList values{client, QString(), consumer, QString(), QString(), QString(), QString(), buyer,
                                 QString(), QString(), params.stSTPROCESSAMENTO, QStringLiteral("2")};
        Variant ignored;
        Ravuvozozod::MensagemMetodo(consumerServer().setGravaConsumidor(values), true, 10, QStringLiteral("setGravaConsumidor"),
                                    unitName, QStringList{client, consumer, buyer}.join(QLatin1Char('-')),
                                    params.stIDESQUEMA, ignored);
    }
    state.flags.boCupomAberto = false;
    try {
        m_context.order().VendeProduto(saved.saleKey, QStringLiteral("C"), document);
    } catch (const EAbort &) {
    } catch (const std::exception &failure) {
        m_context.message(QString::fromLocal8Bit(failure.what()), Ravuvozozod::Error);
    }
    ScreenShell &shell = m_context.shell();
    shell.LimpaCDS();
    shell.LimpaVariaveis();
    shell.ApagaCdsVenda_CdsItensCancelados();
    shell.Atualiza_Display(m_context.Msg(QStringLiteral("CAIXA_LIVRE")), true);
    state.flags.boRecebendo = false;
    completionTail();
}

// The approximate taxes and, with NFC-e, the series, number and emission date of the document.
// False, after a message, when no number could be had: the sale is not saved without one.
bool Settlement::numberCompletedSale(QString &documentNumber)
{
    SaleState &state = m_context.state();
    SettlementTexts &texts = state.settlement;
    const Parameters &params = state.params;
    state.results.vaRetornoAux = Variant::array(3);
    const TaxEstimateAnswer tax = m_context.services().CalculoIcmsDFederal(TaxEstimateRequest{}, m_context.data().cdsVenda);
    texts.stRecebAux21 = tax.ok ? tax.tax0 : QString();
    texts.stRecebAux22 = tax.ok ? tax.tax2 : QString();
    state.totals.doVrImpostoAprox = Money::RoundDec(taxFigure(texts.stRecebAux21) + taxFigure(texts.stRecebAux22), 2);
    if (state.startup.stRecebAux20 != QLatin1String("N"))
        return true;
    const TextAnswer series = m_context.services().getNumeroSerieNFCe(NfceSeriesRequest{params.stCDFILIAL, params.stCDCAIXA});
    if (!series.ok) {
        m_context.message(series.failure, Ravuvozozod::Error);
        return false;
    }
    texts.stRecebAux24 = series.text;
    Variant number;
    // Filed for voiding (the till issues NFC-e here) until its document is issued.
    if (!Ravuvozozod::MensagemMetodo(settlementServer().setNumeroNFCe(params.stCDFILIAL, params.stCDCAIXA, series.text,
                                                                 params.stIDAMBTRABNFCE, true),
                                     true, 0, QStringLiteral("setNumeroNFCe"), unitName,
                                     QStringList{params.stCDFILIAL, params.stCDCAIXA, series.text}.join(QLatin1Char('-')),
                                     params.stIDESQUEMA, number)
        || number.toString().isEmpty())
        return false;
    documentNumber = number.toString();
    texts.stRecebAux9 = documentNumber;
    texts.stRecebAux19 = m_context.services().getDataEmissNFCe().text;
    return true;
}

// The payment was taken but the sale could not be stored: the card transaction is undone and
// the sale stays on screen, without its balance row, to be settled again.
void Settlement::undoCompletedPayment(const QString &failure)
{
    SaleState &state = m_context.state();
    if (!failure.isEmpty())
        m_context.message(failure, Ravuvozozod::Error);
    m_context.devices().FinalizaTransTef(TefFinishRequest{false});
    state.flags.boRecebendo = false;
    emptyIfOpen(m_context.data().cdsMovCaixa);
    emptyIfOpen(m_context.data().cdsFamSaldoComp);
    completionTail();
}

void Settlement::refreshAfterRefusedCompletion()
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    state.flags.boRecebendo = false;
    state.flags.boProcessando = true;
    emptyIfOpen(data.cdsMovCaixa);
    emptyIfOpen(data.cdsFamSaldoComp);
    reloadBalances();
    // The sale's rows are the family consumption of the whole sale: they replace what the
    // dataset held, so the next settlement does not count the items twice.
    ClientDataSet &families = data.cdsFamiliaSaldo;
    if (families.Active())
        families.EmptyDataSet();
    if (!data.cdsVenda.Active())
        return;
    for (data.cdsVenda.First(); !data.cdsVenda.Eof(); data.cdsVenda.Next())
        m_context.consumer().addFamiliaSaldo(families, text(data.cdsVenda, "CDFAMILISALD"), lineValue(data.cdsVenda), true);
}

// The consumer's balance per family again; a failed query keeps what was loaded.
void Settlement::reloadBalances()
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    const Parameters &params = state.params;
    const QString client = state.host.stCdClienteVenda;
    const QString consumer = state.consumer.stCDCONSUMIDOR;
    const QString today = PtBr::DateToStr(Clock::now().date());
    DataPacket packet;
    if (params.stIDEXTCONSONLINE == QLatin1String("S")) {
        if (!data.cdsVazio.Active())
            data.cdsVazio.CreateDataSet();
        const StatementAnswer answer = m_context.services().ExtratoConsOnline(
            OnlineStatementRequest{params.stCDFILIAL, client, consumer, QString(), today, params.stCDURLWSEXTCONS,
                                   QStringLiteral("CONSULTA_SALDO")},
            data.cdsVazio);
        if (!answer.answered) {
            m_context.message(m_context.Msg(QStringLiteral("FALHA_CONEXAO_SRV")), Ravuvozozod::Error);
            return;
        }
        packet = answer.value.packet();
    } else if (params.stIDEXTCONSCENTRAL == QLatin1String("S")) {
        state.results.vaRetorno = Variant::array(1);
        const QString operation = QStringLiteral("CONSULTA_SALDO_FAM");
        const StatementAnswer answer = m_context.services().ExtratoConsCentral(
            CentralStatementRequest{params.stCDFILIAL, QString(), QString(), client, consumer, QString(), today, operation});
        // Shown here, with the sale left on screen, rather than raised out of the settlement.
        if (!answer.answered) {
            state.consumer.stSaldGastAux2 = operation;
            m_context.message(m_context.messages().Msg(QStringLiteral("EXTCONSCENTRAL_ERRO"), {operation}), Ravuvozozod::Error);
            return;
        }
        packet = answer.value.packet();
    } else {
        Variant value;
        if (!Ravuvozozod::MensagemMetodo(consumerServer().getConsSaldFam(params.stCDFILIAL, client, consumer), true, 0,
                                         QStringLiteral("getConsSaldFam"), unitName,
                                         QStringList{params.stCDFILIAL, client, consumer}.join(QLatin1Char('-')),
                                         params.stIDESQUEMA, value))
            return;
        packet = value.packet();
    }
    data.cdsConsultaSaldo.Close();
    data.cdsConsultaSaldo.SetData(packet);
}

void Settlement::completionTail()
{
    m_context.state().settlement.stSenhaPedido.clear();
    bringFormToFront();
    m_context.shell().ControleAcessoBotoes();
    prepareNextConsumerSale();
}
