#include "limits_p.h"

#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <runtime/clientdataset.h>
#include <runtime/money.h>
#include <runtime/ptbr.h>

namespace Limits {

namespace {

// A working copy of a packet; without a packet an empty dataset with no fields.
void open(ClientDataSet &target, const DataPacket &packet)
{
    if (!target.SetData(packet))
        target.CreateDataSet();
}

QString text(const ClientDataSet &rows, const QString &field)
{
    return rows.HasField(field) ? rows.FieldByName(field).AsString() : QString();
}

double number(const ClientDataSet &rows, const QString &field)
{
    return rows.HasField(field) ? rows.FieldByName(field).AsFloat() : 0.0;
}

// The rule that holds the product in the service: its service code and its two limits.
struct Rule
{
    QString service;
    QString quantityColumn;
    Limit quantity;
    Limit value;
};

// The first row of `rows` for which `matches` holds; false when there is none.
template <class Matches>
bool firstRow(ClientDataSet &rows, Matches matches)
{
    for (rows.First(); !rows.Eof(); rows.Next()) {
        if (matches(rows))
            return true;
    }
    return false;
}

} // namespace

bool ServiceLimits::validate(const QString &CDPRODUTO, const QString &NMPRODUTO, const QString &Quantity,
                             const QString &UnitPrice, const QString &ClientPrice, const ClientDataSet &Items)
{
    SaleDatasets &d = data();
    ConsumerState &consumer = state().consumer;
    ClientDataSet *rules = nullptr;
    if (consumer.boCartaoAux3 && d.cdsProdServTCon.Active() && !d.cdsProdServTCon.IsEmpty())
        rules = &d.cdsProdServTCon;
    else if (d.cdsProdServ.Active() && !d.cdsProdServ.IsEmpty())
        rules = &d.cdsProdServ;
    if (!rules)
        return true;
    if (!rules->Locate(QStringLiteral("CDPRODUTO"), CDPRODUTO)) {
        refuse(QStringLiteral("PROD_CAD_SERV"));
        return false;
    }
    consumer.stCDSERVFILI = rules->FieldByName(QStringLiteral("CDSERVFILI")).AsString();
    double quantity = 0.0, price = 0.0, client = 0.0;
    const struct { const char *name; const QString &text; double &value; } arguments[] = {
        {"quantidade", Quantity, quantity}, {"preço", UnitPrice, price}, {"preço do cliente", ClientPrice, client}};
    for (const auto &argument : arguments) {
        if (!readNumber(argument.text, argument.value)) {
            refuseUnreadable(QString::fromUtf8(argument.name), argument.text);
            return false;
        }
    }
    const Parameters &params = state().params;
    const Item item{params.stCDFILIAL, state().host.stCdClienteVenda, consumer.stCDCONSUMIDOR, consumer.stCDTIPOCONS,
                    CDPRODUTO, NMPRODUTO, quantity, Money::Trunc2(price) + Money::Trunc2(client)};
    return check(item, Items.Data(), d.cdsProdServTCon.Data(), d.cdsProdServ.Data());
}

bool ServiceLimits::check(const Item &item, const DataPacket &items, const DataPacket &typeRows,
                          const DataPacket &serviceRows)
{
    ClientDataSet lines, types, services;
    open(lines, items);
    open(types, typeRows);
    open(services, serviceRows);
    const QString product = QStringLiteral("CDPRODUTO");
    const QString serviceField = QStringLiteral("CDSERVFILI");
    const QString service = state().consumer.stCDSERVFILI;
    double inSale = 0.0;
    for (lines.First(); !lines.Eof(); lines.Next()) {
        if (text(lines, product) == item.CDPRODUTO)
            inSale += number(lines, QStringLiteral("QTPRODCOMVEN"));
    }
    // The consumer type's row rules whenever there is one, even with an empty quantity limit.
    Rule rule;
    const bool typed = state().consumer.boCartaoAux3 && firstRow(types, [&](const ClientDataSet &row) {
        return text(row, product) == item.CDPRODUTO && text(row, QStringLiteral("CDTIPOCONS")) == item.CDTIPOCONS
               && text(row, serviceField) == service;
    });
    ClientDataSet *ruleRows = &types;
    rule.quantityColumn = QStringLiteral("QTLIMCONPRSE");
    if (!typed) {
        ruleRows = &services;
        rule.quantityColumn = QStringLiteral("QTLIMCONPROD");
        if (!firstRow(services, [&](const ClientDataSet &row) {
                return text(row, product) == item.CDPRODUTO && text(row, serviceField) == service;
            }))
            ruleRows = nullptr;
    }
    if (ruleRows) {
        rule.service = text(*ruleRows, serviceField);
        rule.quantity = readLimit(*ruleRows, rule.quantityColumn);
        rule.value = readLimit(*ruleRows, QStringLiteral("VRLIMCONSERV"));
    }
    if (!limitOf(rule.quantityColumn, rule.quantity) || !limitOf(QStringLiteral("VRLIMCONSERV"), rule.value))
        return false;
    if (!quantityLimit(item, rule.service, rule.quantity, inSale))
        return false;
    double inService = 0.0;
    for (lines.First(); !lines.Eof(); lines.Next()) {
        if (text(lines, serviceField) != rule.service)
            continue;
        inService += Money::Trunc2(Money::Trunc2(number(lines, QStringLiteral("VRPRECCOMVEN")))
                                   * number(lines, QStringLiteral("QTPRODCOMVEN")))
                     - number(lines, QStringLiteral("VRDESCCOMVEN")) + number(lines, QStringLiteral("VRACRCOMVEN"));
    }
    return valueLimit(item, rule.service, rule.value, inService);
}

bool ServiceLimits::quantityLimit(const Item &item, const QString &service, const Limit &limit, double inSale)
{
    double today = 0.0;
    if (!dayFigure(m_context.server().consumers.getProdVenDiaServ(item.CDFILIAL, item.CDCLIENTE, item.CDCONSUMIDOR,
                                                                   item.CDPRODUTO, service),
                   QStringLiteral("getProdVenDiaServ"),
                   {item.CDFILIAL, item.CDCLIENTE, item.CDCONSUMIDOR, item.CDPRODUTO, service}, today))
        return false;
    if (!limit.applies() || Money::RoundDec(limit.value, 2) == 0.0)
        return true;
    if (!exceedsMaximum(limit.value, today + item.quantity + inSale))
        return true;
    refuse(QStringLiteral("OPE_QTDE_SERV"),
           {PtBr::FloatToStr(limit.value), item.CDPRODUTO + QStringLiteral(" - ") + item.NMPRODUTO});
    return false;
}

bool ServiceLimits::valueLimit(const Item &item, const QString &service, const Limit &limit, double inService)
{
    double today = 0.0;
    if (!dayFigure(m_context.server().consumers.getGtDiaServ(item.CDFILIAL, item.CDCLIENTE, item.CDCONSUMIDOR, service),
                   QStringLiteral("getGtDiaServ"), {item.CDFILIAL, item.CDCLIENTE, item.CDCONSUMIDOR, service}, today))
        return false;
    if (!limit.applies() || Money::RoundDec(limit.value, 2) == 0.0)
        return true;
    if (!exceedsMaximum(limit.value, Money::Trunc2(item.quantity * item.unitValue) + today + inService))
        return true;
    refuse(QStringLiteral("OPE_CONS_SERV"),
           {item.CDPRODUTO + QStringLiteral(" - ") + item.NMPRODUTO, PtBr::FormatCurr(limit.value)});
    return false;
}

// Without today's figure the limit cannot be kept: the server's failure is shown and the item
// is refused rather than sold past it.
bool ServiceLimits::dayFigure(const Variant &answer, const QString &method, const QStringList &context, double &value)
{
    Variant figure;
    if (!m_context.checkAnswer(answer, method, context.join(QLatin1Char('-')), figure))
        return false;
    bool ok = figure.isBlank();
    value = ok ? 0.0 : figure.toDouble(&ok);
    if (!ok)
        refuseUnreadable(method, figure.toString());
    return ok;
}

} // namespace Limits
