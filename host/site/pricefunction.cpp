#include "pricefunction.h"

#include "hostdatabase.h"

#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

#include <optional>

namespace PriceFunction {

namespace {

using HostDatabase::dateTimeOf;
using HostDatabase::query;
using HostDatabase::withinDays;

// One candidate table and the code that refuses the item when it is not in effect.
struct Candidate
{
    QString table;
    QString outOfDateCode;
};

// The first column of the first row, or empty; a failure goes into `error`.
QString firstText(const QString &name, const QString &sql, const Qub_movrela::Params &params, QString *error)
{
    const HostDatabase::Rows rows = query(name, sql, params);
    if (!rows.ok()) {
        *error = rows.error;
        return QString();
    }
    return rows.rows.isEmpty() ? QString() : rows.rows.first().value(0).toString().trimmed();
}

QList<Candidate> candidates(const Query &q, QString *error)
{
    QList<Candidate> list;
    const QString client = firstText(QStringLiteral("hostPrecoCliente"),
                                     QStringLiteral("SELECT CDTABEPREC FROM CLIENTE WHERE CDCLIENTE = :P_CDCLIENTE"),
                                     {{QStringLiteral("P_CDCLIENTE"), q.cdCliente}}, error);
    const QString store = firstText(QStringLiteral("hostPrecoLoja"),
                                    QStringLiteral("SELECT CDTABEPREC FROM LOJA WHERE CDFILIAL = :P_CDFILIAL "
                                                   "AND CDLOJA = :P_CDLOJA"),
                                    {{QStringLiteral("P_CDFILIAL"), q.cdFilial}, {QStringLiteral("P_CDLOJA"), q.cdLoja}},
                                    error);
    const QString branch = firstText(QStringLiteral("hostPrecoFilial"),
                                     QStringLiteral("SELECT CDTABEPREC FROM PARAVEND WHERE CDFILIAL = :P_CDFILIAL"),
                                     {{QStringLiteral("P_CDFILIAL"), q.cdFilial}}, error);
    if (!client.isEmpty())
        list.append({client, QStringLiteral("DTCLI")});
    if (!store.isEmpty())
        list.append({store, QStringLiteral("DTLOJ")});
    if (!branch.isEmpty())
        list.append({branch, QStringLiteral("DTPAR")});
    return list;
}

// "BLOQUEADO", "FORAHORA" or empty for the consumer type's rule of the product.
QString consumerTypeRule(const Query &q, const QString &hora, QString *error)
{
    if (q.cdTipoCons.isEmpty())
        return QString();
    const HostDatabase::Rows rows = query(
        QStringLiteral("hostPrecoTipoCons"),
        QStringLiteral("SELECT IDBLOQPROD, HRINICIAL, HRFINAL FROM TIPOSALDOPROD WHERE CDFILIAL = :P_CDFILIAL "
                       "AND CDTIPOCONS = :P_CDTIPOCONS AND CDPRODUTO = :P_CDPRODUTO"),
        {{QStringLiteral("P_CDFILIAL"), q.cdFilial}, {QStringLiteral("P_CDTIPOCONS"), q.cdTipoCons},
         {QStringLiteral("P_CDPRODUTO"), q.cdProduto}});
    if (!rows.ok()) {
        *error = rows.error;
        return QString();
    }
    if (rows.rows.isEmpty())
        return QString();
    const auto &row = rows.rows.first();
    if (row.value(0).toString().trimmed() == QLatin1String("S"))
        return QStringLiteral("BLOQUEADO");
    const QString from = row.value(1).toString().trimmed();
    const QString to = row.value(2).toString().trimmed();
    // Four-digit hours compare as text.
    if ((!from.isEmpty() && hora < from) || (!to.isEmpty() && hora > to))
        return QStringLiteral("FORAHORA");
    return QString();
}

// Whether the table exists (false: "TABENCAD") and is in effect today (`inEffect`).
bool tableState(const QString &table, const QDate &today, bool *inEffect, QString *error)
{
    const HostDatabase::Rows rows = query(
        QStringLiteral("hostPrecoTabela"),
        QStringLiteral("SELECT DTINIVIGTABE, DTFINVIGTABE FROM TABEVEND WHERE CDTABEPREC = :P_CDTABEPREC"),
        {{QStringLiteral("P_CDTABEPREC"), table}});
    if (!rows.ok()) {
        *error = rows.error;
        return false;
    }
    if (rows.rows.isEmpty())
        return false;
    const auto &row = rows.rows.first();
    *inEffect = withinDays(dateTimeOf(row.value(0)), dateTimeOf(row.value(1)), today);
    return true;
}

struct ItemPrice
{
    double value = 0;
    bool variable = false;
};

// The price of the product in the table valid today; the latest start wins when several are.
std::optional<ItemPrice> itemPrice(const QString &table, const QString &product, const QDate &today, QString *error)
{
    const HostDatabase::Rows rows = query(
        QStringLiteral("hostPrecoItem"),
        QStringLiteral("SELECT DTINIVALPREC, DTFINVALPREC, VRPRECITEM, IDPRECVARIA FROM ITEMPRECO "
                       "WHERE CDTABEPREC = :P_CDTABEPREC AND CDPRODUTO = :P_CDPRODUTO"),
        {{QStringLiteral("P_CDTABEPREC"), table}, {QStringLiteral("P_CDPRODUTO"), product}});
    if (!rows.ok()) {
        *error = rows.error;
        return std::nullopt;
    }
    std::optional<ItemPrice> best;
    QDateTime bestStart;
    for (const auto &row : rows.rows) {
        const QDateTime start = dateTimeOf(row.value(0));
        if (!withinDays(start, dateTimeOf(row.value(1)), today))
            continue;
        if (best && start.isValid() && bestStart.isValid() && start < bestStart)
            continue;
        best = ItemPrice{row.value(2).toDouble(), row.value(3).toString().trimmed() == QLatin1String("S")};
        bestStart = start;
    }
    return best;
}

// The price tables number the weekdays 1 = Sunday .. 7 = Saturday.
QString weekdayNumber(const QDate &day)
{
    return QString::number(day.dayOfWeek() % 7 + 1);
}

void applyDayPrice(const Query &q, const QDate &today, Quote &quote, QString *error)
{
    const QString type = q.cdTipoCons.isEmpty() ? QStringLiteral("T") : q.cdTipoCons;
    const HostDatabase::Rows rows = query(
        QStringLiteral("hostPrecoDia"),
        QStringLiteral("SELECT CDTIPOCONSPD, DTINIVALPREC, DTFINVALPREC, IDPERCVALOR, IDACREDESC, VRDESCACREDIA "
                       "FROM ITEMPRECODIA WHERE CDFILIAL = :P_CDFILIAL AND CDPRODUTO = :P_CDPRODUTO "
                       "AND NRDIASEMANPR = :P_NRDIASEMANPR AND (CDTIPOCONSPD = :P_CDTIPOCONSPD OR CDTIPOCONSPD = 'T')"),
        {{QStringLiteral("P_CDFILIAL"), q.cdFilial}, {QStringLiteral("P_CDPRODUTO"), q.cdProduto},
         {QStringLiteral("P_NRDIASEMANPR"), weekdayNumber(today)}, {QStringLiteral("P_CDTIPOCONSPD"), type}});
    if (!rows.ok()) {
        *error = rows.error;
        return;
    }
    const QList<QVariant> *chosen = nullptr;
    for (const auto &row : rows.rows) {
        if (!withinDays(dateTimeOf(row.value(1)), dateTimeOf(row.value(2)), today))
            continue;
        // The consumer type's own row wins over the row for every type.
        if (!chosen || row.value(0).toString().trimmed() != QLatin1String("T"))
            chosen = &row;
    }
    if (!chosen)
        return;
    quote.idPercValor = chosen->value(3).toString().trimmed();
    quote.idAcreDesc = chosen->value(4).toString().trimmed();
    const double amount = chosen->value(5).toDouble();
    const double perUnit = Money::Trunc2(quote.idPercValor == QLatin1String("P") ? quote.vrPreco * amount / 100 : amount);
    if (quote.idAcreDesc == QLatin1String("A"))
        quote.vrAcrescimo = perUnit;
    else
        quote.vrDesconto = perUnit;
    quote.vrPrecoDia = Money::Trunc2(quote.vrPreco - quote.vrDesconto + quote.vrAcrescimo);
}

Quote refused(const QString &code)
{
    Quote quote;
    quote.refusal = code;
    return quote;
}

} // namespace

bool isRefusalCode(const QString &text)
{
    static const QStringList codes{"TABENCAD", "BLOQUEADO", "FORAHORA", "DTCLI", "DTLOJ", "DTPAR", "PRECNCAD", "PRECZERO"};
    return codes.contains(text);
}

Quote quote(const Query &q, const QDateTime &now)
{
    const QDate today = now.date();
    const QString hora = q.hora.isEmpty() ? now.toString(QStringLiteral("hhmm")) : q.hora;
    QString error;
    const QList<Candidate> tables = candidates(q, &error);
    if (!error.isEmpty())
        return refused(error);
    if (tables.isEmpty())
        return refused(QStringLiteral("TABENCAD"));
    if (const QString rule = consumerTypeRule(q, hora, &error); !rule.isEmpty() || !error.isEmpty())
        return refused(error.isEmpty() ? rule : error);
    for (const Candidate &candidate : tables) {
        bool inEffect = false;
        if (!tableState(candidate.table, today, &inEffect, &error))
            return refused(error.isEmpty() ? QStringLiteral("TABENCAD") : error);
        if (!inEffect)
            return refused(candidate.outOfDateCode);
        const std::optional<ItemPrice> price = itemPrice(candidate.table, q.cdProduto, today, &error);
        if (!error.isEmpty())
            return refused(error);
        if (!price)
            continue;
        if (price->value <= 0 && !price->variable)
            return refused(QStringLiteral("PRECZERO"));
        Quote quote;
        quote.vrPreco = Money::Trunc2(price->value);
        quote.vrPrecoDia = quote.vrPreco;
        quote.idPrecVaria = price->variable ? QStringLiteral("S") : QStringLiteral("N");
        applyDayPrice(q, today, quote, &error);
        return error.isEmpty() ? quote : refused(error);
    }
    return refused(QStringLiteral("PRECNCAD"));
}

namespace {

void ensurePriceFields(ClientDataSet &dataset)
{
    if (dataset.Active())
        return;
    FieldDefList &defs = dataset.FieldDefs();
    for (const char *name : {"VRPRECO", "VRDESCONTO", "VRACRESCIMO", "VRPRECOCLIE", "VRPRECODIA"}) {
        if (defs.IndexOf(QLatin1String(name)) < 0)
            defs.Add(QLatin1String(name), FieldType::Double);
    }
    for (const char *name : {"IDPERCVALOR", "IDACREDESC", "IDPRECVARIA"}) {
        if (defs.IndexOf(QLatin1String(name)) < 0)
            defs.Add(QLatin1String(name), FieldType::String, 1);
    }
    dataset.CreateDataSet();
}

void setField(ClientDataSet &dataset, const char *name, const Variant &value)
{
    Field field = dataset.FindField(QLatin1String(name));
    if (field.IsValid())
        field.SetValue(value);
}

void writeQuote(ClientDataSet &dataset, const Quote &quote)
{
    ensurePriceFields(dataset);
    dataset.EmptyDataSet();
    dataset.Append();
    setField(dataset, "VRPRECO", quote.vrPreco);
    setField(dataset, "VRDESCONTO", quote.vrDesconto);
    setField(dataset, "VRACRESCIMO", quote.vrAcrescimo);
    setField(dataset, "VRPRECOCLIE", quote.vrPrecoClie);
    setField(dataset, "VRPRECODIA", quote.vrPrecoDia);
    setField(dataset, "IDPERCVALOR", quote.idPercValor);
    setField(dataset, "IDACREDESC", quote.idAcreDesc);
    setField(dataset, "IDPRECVARIA", quote.idPrecVaria);
    dataset.Post();
}

} // namespace

PriceAnswer ChamaFuncaoGetRetornaPreco(const PriceRequest &request, ClientDataSet &cdsRetornaPreco)
{
    const Quote result = quote({request.cdFilial, request.cdClienteVenda, request.cdProduto, request.cdLoja,
                                request.valueCount >= 10 ? request.cdTipoCons : QString(), request.hora},
                               Clock::now());
    PriceAnswer answer;
    if (!result.ok()) {
        // A refusal leaves nothing in the price row: the caller must not price with it.
        if (cdsRetornaPreco.Active())
            cdsRetornaPreco.EmptyDataSet();
        answer.refusal = result.refusal;
        answer.result = Variant::failure(result.refusal);
        return answer;
    }
    writeQuote(cdsRetornaPreco, result);
    answer.ok = true;
    answer.result = true;
    return answer;
}

PriceTextAnswer ChamaFuncaoRetornaPreco(const PriceTextRequest &request)
{
    const Quote result = quote({request.cdFilial, request.cdCliente, request.cdProduto, request.cdLoja, QString(),
                                QString()},
                               Clock::now());
    PriceTextAnswer answer;
    if (result.ok())
        answer.text = PtBr::FloatToStrFixed(result.vrPreco, 2);
    else if (isRefusalCode(result.refusal))
        answer.text = result.refusal;
    else
        answer.failure = result.refusal; // the database failed: a failure, not a code
    return answer;
}

} // namespace PriceFunction
