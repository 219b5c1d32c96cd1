// A badge consumer's sale that the balances could not pay whole, completed with another
// payment form: the part the family balances cover, the payment screen for the rest, the save,
// and the refresh of the balances when the payment is refused. The paid sale's save and
// hand-over are in completionroad_finish.cpp.
#include "completionroad_p.h"

#include "paymentscreen_p.h"
#include "settlementend_p.h"

#include <consumer/consumersale.h>
#include <outside/pkg_hrk00001.h>
#include <outside/pkg_hrk00002.h>
#include <outside/ravuvozozod.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/messages.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>
#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/saleshell.h>
#include <sale/salestate.h>
#include <sale/scopeguard.h>
#include <sale/serverseams.h>

#include <QDebug>


namespace {

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

// Shows cdsVenda filtered to one family.
void filterFamily(ClientDataSet &rows, const QString &family)
{
    rows.SetFilter([family](const ClientDataSet &row) {
        return row.FindField(QStringLiteral("CDFAMILISALD")).AsString() == family;
    });
    rows.SetFiltered(true);
    rows.First();
}

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

void CompletionRoad::run()
{
    SaleState &state = m_context.state();
    SettlementTexts &texts = state.settlement;
    if (texts.stSenhaPedido.isEmpty())
        texts.stSenhaPedido = m_context.settlement().GeraSenhaCupom(state.params.stIDSENHACUP, state.params.inNRMINSENHAAL);
    m_run.covered = balanceCoveredAmount();
    if (!insertBalancePaymentRow(m_run.covered)) {
        completionTail();
        return;
    }
    const ClientDataSet &types = m_context.data().cdsConfTipoRece;
    if (isYes(text(types, "IDHABVENDAMAN")))
        texts.stConfRecebimento = QStringLiteral("S");
    m_run.paid = askCompletionPayment(m_run.covered);
    if (!m_run.paid.paid) {
        refreshAfterRefusedCompletion();
        completionTail();
        return;
    }
    finishCompletedSale();
}

double CompletionRoad::balanceCoveredAmount()
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
            filterFamily(data.cdsVenda, family);
            // The filter is lifted on every way out of the family's sum.
            const OnExit unfilter([&data] {
                data.cdsVenda.SetFiltered(false);
                data.cdsVenda.SetFilter({});
            });
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

double CompletionRoad::familyCoverage(const QString &family, double balance, double familyTotal)
{
    const SaleState &state = m_context.state();
    const Seam::Consumers::DayRequest request{state.params.stCDFILIAL, state.params.stCDCAIXA, state.host.stCdClienteVenda,
                                             state.params.dtDTABERCAIX,
                                             familyOnly(m_context.data().cdsFamiliaSaldo, family),
                                             state.consumer.stCDCONSUMIDOR};
    const Variant spent = m_context.server().consumers.getGastoDia(request);
    const Variant limit = m_context.server().consumers.getLimitConsDiario(request);
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

bool CompletionRoad::insertBalancePaymentRow(double covered)
{
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
    return appendMovement(balancePaymentValues(covered, types));
}

// The balance's payment row: receipt type "9" (found on `types`) for what the balances cover.
QList<QPair<const char *, Variant>> CompletionRoad::balancePaymentValues(double covered, const ClientDataSet &types) const
{
    const SaleState &state = m_context.state();
    const QDateTime fiscal = state.startup.dtMovimentoFiscal;
    const bool zeroDate = !fiscal.isValid() || fiscal.date() <= QDate(1899, 12, 30);
    return {
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
}

// Appends the row to cdsMovCaixa; a field it cannot take cancels the row and says which.
bool CompletionRoad::appendMovement(const QList<QPair<const char *, Variant>> &values)
{
    ClientDataSet &movements = m_context.data().cdsMovCaixa;
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

PaymentAnswer CompletionRoad::askCompletionPayment(double covered)
{
    SaleState &state = m_context.state();
    // The ordinary sale's request but for the amount the balances already paid and the marker.
    PaymentScreen screen(m_context);
    PaymentRequest request = screen.paymentRequest(state.fiscal.stQrCodeAux1, QString());
    request.amountPaid = covered;
    request.cdConsumidorVenda = state.host.stCdConsumidorVenda.isEmpty() ? state.consumer.stCDCONSUMIDOR
                                                                         : state.host.stCdConsumidorVenda;
    request.roadMarker = QStringLiteral("S");
    PaymentDatasets datasets = screen.paymentDatasets();
    PaymentAnswer answer = m_context.services().Recebimento(request, datasets);
    if (!answer.failure.isEmpty()) {
        m_context.message(answer.failure, Ravuvozozod::Error);
        answer.paid = false;
        return answer;
    }
    screen.keepPaymentOutputs(answer);
    return answer;
}

void CompletionRoad::refreshAfterRefusedCompletion()
{
    SaleState &state = m_context.state();
    SaleDatasets &data = m_context.data();
    state.flags.boRecebendo = false;
    state.busy.boProcessando = true;
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
void CompletionRoad::reloadBalances()
{
    const Parameters &params = m_context.state().params;
    DataPacket packet;
    const bool loaded = isYes(params.stIDEXTCONSONLINE)    ? onlineBalances(packet)
                        : isYes(params.stIDEXTCONSCENTRAL) ? centralBalances(packet)
                                                           : serverBalances(packet);
    if (!loaded)
        return;
    ClientDataSet &balances = m_context.data().cdsConsultaSaldo;
    balances.Close();
    balances.SetData(packet);
}

bool CompletionRoad::onlineBalances(DataPacket &packet)
{
    const SaleState &state = m_context.state();
    const Parameters &params = state.params;
    SaleDatasets &data = m_context.data();
    if (!data.cdsVazio.Active())
        data.cdsVazio.CreateDataSet();
    const StatementAnswer answer = m_context.services().ExtratoConsOnline(
        OnlineStatementRequest{params.stCDFILIAL, state.host.stCdClienteVenda, state.consumer.stCDCONSUMIDOR, QString(),
                               PtBr::DateToStr(Clock::now().date()), params.stCDURLWSEXTCONS,
                               QStringLiteral("CONSULTA_SALDO")},
        data.cdsVazio);
    if (!answer.answered) {
        m_context.message(m_context.Msg(QStringLiteral("FALHA_CONEXAO_SRV")), Ravuvozozod::Error);
        return false;
    }
    packet = answer.value.packet();
    return true;
}

bool CompletionRoad::centralBalances(DataPacket &packet)
{
    SaleState &state = m_context.state();
    const Parameters &params = state.params;
    state.results.vaRetorno = Variant::array(1);
    const QString operation = QStringLiteral("CONSULTA_SALDO_FAM");
    const StatementAnswer answer = m_context.services().ExtratoConsCentral(
        CentralStatementRequest{params.stCDFILIAL, QString(), QString(), state.host.stCdClienteVenda,
                                state.consumer.stCDCONSUMIDOR, QString(), PtBr::DateToStr(Clock::now().date()), operation});
    // Shown here, with the sale left on screen, rather than raised out of the settlement.
    if (!answer.answered) {
        state.consumer.stSaldGastAux2 = operation;
        m_context.message(m_context.messages().Msg(QStringLiteral("EXTCONSCENTRAL_ERRO"), {operation}), Ravuvozozod::Error);
        return false;
    }
    packet = answer.value.packet();
    return true;
}

bool CompletionRoad::serverBalances(DataPacket &packet)
{
    const SaleState &state = m_context.state();
    const QString branch = state.params.stCDFILIAL;
    const QString client = state.host.stCdClienteVenda;
    const QString consumer = state.consumer.stCDCONSUMIDOR;
    Variant value;
    if (!m_context.checkAnswer(m_context.server().consumers.getConsSaldFam(branch, client, consumer), QStringLiteral("getConsSaldFam"),
                               QStringList{branch, client, consumer}.join(QLatin1Char('-')), value))
        return false;
    packet = value.packet();
    return true;
}

void CompletionRoad::completionTail()
{
    m_context.state().settlement.stSenhaPedido.clear();
    SettlementEnd end(m_context, m_end);
    end.bringFormToFront();
    m_context.screen().ControleAcessoBotoes();
    end.prepareNextConsumerSale();
}
