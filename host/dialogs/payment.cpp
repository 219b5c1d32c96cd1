#include "payment.h"

#include <host/devices/cardterminal.h>
#include "dialogs.h"
#include <host/devices/fiscalprinter.h>
#include <host/site/hostdatabase.h>
#include <host/program/hostlog.h>
#include <host/site/salesaving.h>
#include <host/program/scriptedanswers.h>

#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <algorithm>

namespace Payment {

namespace {

Means meansFromCopy(const ClientDataSet &copy, const QString &code)
{
    Means means;
    const DataPacket rows = copy.Data();
    for (int row = 0; row < rows.rows.size(); ++row) {
        if (rows.value(row, QStringLiteral("CDTIPORECE")).toString().trimmed() != code)
            continue;
        auto text = [&](const char *field) { return rows.value(row, QString::fromLatin1(field)).toString().trimmed(); };
        means = {code, text("NMTIPORECE"), text("IDTIPORECE"), text("CDTIPOTROCO"), text("NRORDTROCO"),
                 text("DSIMPFISCAL"), text("CDBANCARTCR"), text("CDFPIMPFIS")};
        break;
    }
    return means;
}

bool paidByBalance(const QString &idTipoRece)
{
    return idTipoRece == QLatin1String("9") || idTipoRece.compare(QLatin1String("A"), Qt::CaseInsensitive) == 0;
}

// Adds the payment columns a caller's cdsMovCaixa lacks, so rows can always be written.
void ensureFields(ClientDataSet &cdsMovCaixa)
{
    struct Spec { const char *name; FieldType type; int size; };
    static const Spec specs[] = {
        {"CDFILIAL", FieldType::String, 4},      {"IDTIPOMOVIVE", FieldType::String, 1},
        {"DTHRINCMOV", FieldType::DateTime, 0},  {"CDTIPORECE", FieldType::String, 3},
        {"NMTIPORECE", FieldType::String, 40},   {"IDTIPORECE", FieldType::String, 2},
        {"VRMOVIVEND", FieldType::Double, 0},    {"CDTIPOTROCO", FieldType::String, 3},
        {"NRORDTROCO", FieldType::String, 2},    {"CDCLIENTE", FieldType::String, 15},
        {"CDCONSUMIDOR", FieldType::String, 20}, {"CDCCUSCLIE", FieldType::String, 20},
        {"DTMOVIMCAIXA", FieldType::DateTime, 0}, {"DSIMPFISCAL", FieldType::String, 40},
        {"CDBANCARTCR", FieldType::String, 10},  {"CDFPIMPFIS", FieldType::String, 2},
        {"QTPARCRECEB", FieldType::String, 3},   {"VRTROCO", FieldType::Double, 0},
        {"NRCONTROLTEF", FieldType::String, 60}, {"CDNSUHOSTTEF", FieldType::String, 50}};
    for (const Spec &spec : specs) {
        if (cdsMovCaixa.FieldDefs().IndexOf(QString::fromLatin1(spec.name)) < 0)
            cdsMovCaixa.FieldDefs().Add(QString::fromLatin1(spec.name), spec.type, spec.size);
    }
}

QString firstText(const ClientDataSet &dataset, const char *field)
{
    const DataPacket rows = dataset.Data();
    return rows.rows.isEmpty() ? QString() : rows.value(0, QString::fromLatin1(field)).toString().trimmed();
}

} // namespace

QList<Means> availableMeans(const ClientDataSet &cdsConfTipoRece)
{
    QList<Means> found;
    const HostDatabase::Rows rows = HostDatabase::query(
        QStringLiteral("hostMeiosPagamento"),
        QStringLiteral("SELECT CDTIPORECE, NMTIPORECE, IDTIPORECE FROM TIPORECE "
                       "WHERE IDMOSTRARECE = 'S' OR IDMOSTRARECE IS NULL ORDER BY CDTIPORECE"));
    if (!rows.ok())
        HostLog::write(QStringLiteral("meios de pagamento da base não lidos: ") + rows.error);
    for (const QList<QVariant> &row : rows.rows) {
        const QString code = row.value(0).toString().trimmed();
        Means means = meansFromCopy(cdsConfTipoRece, code);
        means.cdTipoRece = code;
        means.nmTipoRece = row.value(1).toString().trimmed();
        means.idTipoRece = row.value(2).toString().trimmed();
        if (!paidByBalance(means.idTipoRece))
            found.append(means);
    }
    if (found.isEmpty()) { // a base without the table: the till's own copy
        const DataPacket copy = cdsConfTipoRece.Data();
        for (int row = 0; row < copy.rows.size(); ++row) {
            const Means means = meansFromCopy(cdsConfTipoRece, copy.value(row, QStringLiteral("CDTIPORECE")).toString().trimmed());
            if (!means.cdTipoRece.isEmpty() && !paidByBalance(means.idTipoRece))
                found.append(means);
        }
    }
    return found;
}

Session::Session(double due) : m_due(Money::Trunc2(std::max(0.0, due))) {}

QString Session::add(const Means &means, double tendered)
{
    tendered = Money::Trunc2(tendered);
    if (tendered <= 0)
        return QStringLiteral("Informe um valor maior que zero.");
    if (complete())
        return QStringLiteral("A venda já está paga.");
    const double left = remaining();
    if (tendered > left && !means.isCash())
        return QStringLiteral("Em %1 o valor não pode passar do que falta pagar (%2).")
            .arg(means.nmTipoRece, PtBr::FormatCurr(left));
    const double change = tendered > left ? Money::Trunc2(tendered - left) : 0.0;
    m_entries.append({means, Money::Trunc2(tendered - change), change});
    return {};
}

void Session::removeLast()
{
    if (!m_entries.isEmpty())
        m_entries.removeLast();
}

double Session::paid() const
{
    double sum = 0;
    for (const Entry &entry : m_entries)
        sum = Money::Trunc2(sum + entry.amount);
    return sum;
}

double Session::remaining() const
{
    return std::max(0.0, Money::Trunc2(m_due - paid()));
}

double Session::change() const
{
    double sum = 0;
    for (const Entry &entry : m_entries)
        sum = Money::Trunc2(sum + entry.change);
    return sum;
}

void clearMovCaixa(ClientDataSet &cdsMovCaixa)
{
    ensureFields(cdsMovCaixa);
    cdsMovCaixa.Close();
    cdsMovCaixa.CreateDataSet();
}

// The rows of `kept` (the consumer's balance part) appended again after the tenders.
void keepBalanceRows(ClientDataSet &cdsMovCaixa, const DataPacket &kept)
{
    ClientDataSet rows;
    if (kept.rows.isEmpty() || !rows.SetData(kept))
        return;
    for (rows.First(); !rows.Eof(); rows.Next()) {
        cdsMovCaixa.Append();
        for (const FieldDef &def : rows.FieldDefs().DataDefs()) {
            const Field target = cdsMovCaixa.FindField(def.name);
            if (target.IsValid())
                cdsMovCaixa.FieldByName(def.name).SetValue(rows.FieldByName(def.name).Value());
        }
        cdsMovCaixa.Post();
    }
}

void fillMovCaixa(ClientDataSet &cdsMovCaixa, const Session &session, const RowContext &context)
{
    clearMovCaixa(cdsMovCaixa);
    for (const Entry &entry : session.entries()) {
        cdsMovCaixa.Append();
        auto set = [&](const char *field, const Variant &value) { cdsMovCaixa.FieldByName(QString::fromLatin1(field)).SetValue(value); };
        set("CDFILIAL", context.cdFilial);
        set("IDTIPOMOVIVE", QStringLiteral("E"));
        set("DTHRINCMOV", context.now);
        set("CDTIPORECE", entry.means.cdTipoRece);
        set("NMTIPORECE", entry.means.nmTipoRece);
        set("IDTIPORECE", entry.means.idTipoRece);
        set("VRMOVIVEND", entry.amount);
        set("CDTIPOTROCO", entry.means.cdTipoTroco);
        set("NRORDTROCO", entry.means.nrOrdTroco);
        set("CDCLIENTE", context.cdCliente);
        set("CDCONSUMIDOR", context.cdConsumidor);
        set("CDCCUSCLIE", context.cdCcusClie);
        set("DTMOVIMCAIXA", QDateTime(context.now.date(), QTime(0, 0)));
        set("DSIMPFISCAL", entry.means.dsImpFiscal.isEmpty() ? entry.means.nmTipoRece : entry.means.dsImpFiscal);
        set("CDBANCARTCR", entry.means.cdBanCartCr);
        set("CDFPIMPFIS", entry.means.cdFpImpFis);
        set("QTPARCRECEB", QStringLiteral("1"));
        set("VRTROCO", entry.change);
        cdsMovCaixa.Post();
    }
    cdsMovCaixa.First();
}

double amountDue(const ClientDataSet &cdsVenda, const Variant &alreadyPaid)
{
    return Money::Trunc2(SaleSaving::saleTotal(cdsVenda.Data()) - alreadyPaid.toDouble());
}

namespace {

PaymentAnswer passThrough(const PaymentRequest &request)
{
    PaymentAnswer answer;
    answer.stRetAcesso = request.stRetAcesso;
    answer.documentNumber = request.documentNumber;
    answer.stNRCONTCUPOMFISC = request.stNRCONTCUPOMFISC;
    answer.text11 = request.text11;
    answer.inRecebAux3 = request.inRecebAux3;
    answer.text13 = request.text13;
    answer.stCompraCredAux2 = request.stCompraCredAux2;
    answer.amountPaid = request.amountPaid;
    answer.stRecebAux12 = request.stRecebAux12;
    answer.stRecebAux13 = request.stRecebAux13;
    answer.stRecebAux14 = request.stRecebAux14;
    answer.stConfRecebimento = request.stConfRecebimento;
    return answer;
}

RowContext rowContext(const PaymentRequest &request, PaymentDatasets &datasets)
{
    RowContext context;
    context.cdFilial = firstText(datasets.cdsParametrosQub, "CDFILIAL");
    if (context.cdFilial.isEmpty())
        context.cdFilial = firstText(datasets.cdsVenda, "CDFILIAL");
    context.cdCliente = request.cdClienteVenda.isEmpty() ? firstText(datasets.cdsParametrosQub, "CDCLIENTE")
                                                         : request.cdClienteVenda;
    context.cdConsumidor = request.cdConsumidorVenda;
    context.cdCcusClie = request.stCartaoAux1;
    context.now = Clock::now();
    return context;
}

// Unattended (a script), a queued keypad answer pays that value in the first cash means, or
// "CARTAO value" in the first card means; none (or "cancel") leaves the screen.
std::optional<Session> unattendedSession(const QList<Means> &means, double due, bool openAmount)
{
    const auto scripted = ScriptedAnswers::take(ScriptedAnswers::Kind::Keypad);
    const bool byCard = scripted && scripted->value.startsWith(QLatin1String("CARTAO"), Qt::CaseInsensitive);
    const auto chosen = std::find_if(means.begin(), means.end(),
                                     [byCard](const Means &m) { return byCard ? m.isCard() : m.isCash(); });
    if (!scripted || scripted->cancel || chosen == means.end()) {
        HostLog::write(QStringLiteral("recebimento sem resposta no roteiro: cancelado"));
        return std::nullopt;
    }
    const QString value = byCard ? scripted->value.mid(6).trimmed() : scripted->value;
    // A credit purchase has no sale total: what is handed over is the load.
    Session session(openAmount ? Money::Trunc2(PtBr::StrToFloat(value)) : due);
    const QString refusal = session.add(*chosen, PtBr::StrToFloat(value));
    if (!refusal.isEmpty() || !session.complete()) {
        HostLog::write(QStringLiteral("recebimento do roteiro recusado: %1").arg(refusal.isEmpty() ? QStringLiteral("valor menor que o total") : refusal));
        return std::nullopt;
    }
    return session;
}

// On a desk with a fiscal printer the counter sale's receipt is open while it is paid: the
// payments go on it now (total, means, change); the sale save ends its closing.
QString registerOnFiscalPrinter(PaymentDatasets &datasets)
{
    if (firstText(datasets.cdsParametrosQub, "UTILIZAIMPFIS") != QLatin1String("S"))
        return {};
    FiscalPrinter &printer = FiscalPrinter::forSite();
    if (!printer.receiptOpen())
        return {};
    return printer.registerPayments(datasets.cdsMovCaixa.Data());
}

} // namespace

PaymentAnswer Recebimento(const PaymentRequest &request, PaymentDatasets &datasets)
{
    PaymentAnswer answer = passThrough(request);
    const QList<Means> means = availableMeans(datasets.cdsConfTipoRece);
    const bool openAmount = request.saleKind == QLatin1String("S");
    double due = openAmount ? 0.0 : amountDue(datasets.cdsVenda, request.amountPaid);
    // What the road booked before the screen stays beside the rest's tenders: a consumer's
    // balance row ("S"), the exchange's credit row ("T").
    const bool booked = request.roadMarker == QLatin1String("S") || request.roadMarker == QLatin1String("T");
    const DataPacket balanceRows = booked && datasets.cdsMovCaixa.Active() ? datasets.cdsMovCaixa.Data() : DataPacket();
    std::optional<Session> session;
    if (ScriptedAnswers::unattended() || ScriptedAnswers::pending(ScriptedAnswers::Kind::Keypad) > 0) {
        session = unattendedSession(means, due, openAmount);
    } else {
        bool asked = true;
        if (openAmount) {
            // The load's amount first; the screen then takes the tenders for it.
            KeypadRequest amount;
            amount.title = QStringLiteral("Carga de crédito");
            amount.prompt = QStringLiteral("Valor da carga");
            const KeypadAnswer typed = Dialogs::TecladoNumerico(amount);
            due = typed.confirmed ? Money::Trunc2(PtBr::StrToFloat(typed.value)) : 0.0;
            asked = due > 0;
        }
        PaymentDialog dialog(means, due);
        if (asked && dialog.exec() == QDialog::Accepted)
            session = dialog.session();
    }
    if (!session) {
        clearMovCaixa(datasets.cdsMovCaixa); // leaving the screen pays nothing
        return answer;
    }
    // The card parts are charged before anything is recorded: a refused card pays nothing.
    QStringList controlNumbers;
    for (const Entry &entry : session->entries()) {
        if (!entry.means.isCard())
            continue;
        const CardTerminal::Result card = CardTerminal::pay(entry.amount);
        if (!card.ok) {
            HostLog::write(QStringLiteral("recebimento não feito: cartão recusado (%1)").arg(card.failure));
            clearMovCaixa(datasets.cdsMovCaixa);
            return answer;
        }
        answer.stCompraCredAux2 = card.nsu; // a card receipt is due with the sale's
        controlNumbers << card.nsu;
        answer.inRecebAux4 = card.receipt.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    }
    fillMovCaixa(datasets.cdsMovCaixa, *session, rowContext(request, datasets));
    // Each card row keeps its charge's control number: a cancelled receipt reverses it by it,
    // and a credit load the till stopped in the middle of is confirmed by it at the next start.
    for (datasets.cdsMovCaixa.First(); !datasets.cdsMovCaixa.Eof() && !controlNumbers.isEmpty(); datasets.cdsMovCaixa.Next()) {
        const QString kind = datasets.cdsMovCaixa.FieldByName(QStringLiteral("IDTIPORECE")).AsString();
        if (kind != QLatin1String("2") && kind != QLatin1String("3"))
            continue;
        const QString nsu = controlNumbers.takeFirst();
        datasets.cdsMovCaixa.Edit();
        datasets.cdsMovCaixa.FieldByName(QStringLiteral("NRCONTROLTEF")).SetAsString(nsu);
        datasets.cdsMovCaixa.FieldByName(QStringLiteral("CDNSUHOSTTEF")).SetAsString(nsu);
        datasets.cdsMovCaixa.Post();
    }
    datasets.cdsMovCaixa.First();
    keepBalanceRows(datasets.cdsMovCaixa, balanceRows);
    const QString refusal = registerOnFiscalPrinter(datasets);
    if (!refusal.isEmpty()) {
        HostLog::write(QStringLiteral("recebimento não registrado na impressora fiscal: ") + refusal);
        clearMovCaixa(datasets.cdsMovCaixa);
        return answer;
    }
    answer.paid = true;
    HostLog::write(QStringLiteral("recebimento: %1 pago em %2 meio(s), troco %3")
                       .arg(PtBr::FormatCurr(session->paid())).arg(session->entries().size())
                       .arg(PtBr::FormatCurr(session->change())));
    return answer;
}

} // namespace Payment
