#include "limits_p.h"

#include <sale/codes.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>
#include <sale/serverseams.h>

#include <outside/pkg_hrk00002.h>
#include <runtime/abort.h>
#include <runtime/clientdataset.h>
#include <runtime/messages.h>
#include <runtime/money.h>

#include <algorithm>

namespace Limits {

namespace {

double number(const ClientDataSet &rows, const QString &field)
{
    return rows.HasField(field) && !rows.IsEmpty() ? rows.FieldByName(field).AsFloat() : 0.0;
}

// A balance or subsidy that is set; an unreadable one counts as not set (no subsidy is given
// on a figure nobody can read).
bool isSet(const Limit &limit)
{
    return limit.kind == Limit::Kind::Value;
}

// Above zero, apart from the binary noise of the subtractions.
bool above0(double value)
{
    return Money::RoundDec(value, 9) > 0.0;
}

bool basicProduct(ClientDataSet &products, const QString &CDPRODUTO)
{
    return products.Active()
           && products.Locate(QStringLiteral("CDPRODUTO;IDTPPRODDEBCONS"),
                              Variant(QList<Variant>{CDPRODUTO, QStringLiteral("B")}));
}

} // namespace

// What a balance covers of a row it takes in part: the units it was given, never more than the
// balance had left (a unit rounded up by a fraction of a cent would otherwise grant a cent more).
double Subsidy::coveredPart(const Row &row, const UnitSplit &split, double left)
{
    return std::min(Money::Trunc2(row.Q * split.C), Money::Trunc2(left));
}

Subsidy::Row Subsidy::currentRow() const
{
    const ClientDataSet &sale = data().cdsVenda;
    Row row;
    row.CDPRODUTO = sale.FieldByName(QStringLiteral("CDPRODUTO")).AsString();
    row.Q = number(sale, QStringLiteral("QTPRODCOMVEN"));
    row.P = number(sale, QStringLiteral("VRPRECCOMVEN"));
    row.C = number(sale, QStringLiteral("VRUNITVENDCL"));
    row.D = number(sale, QStringLiteral("VRDESCCOMVEN"));
    row.A = number(sale, QStringLiteral("ACRESITEM"));
    return row;
}

void Subsidy::writeRow(const UnitSplit &split)
{
    ClientDataSet &sale = data().cdsVenda;
    sale.Edit();
    sale.FieldByName(QStringLiteral("VRPRECCOMVEN")).SetAsFloat(split.P);
    sale.FieldByName(QStringLiteral("VRUNITVENDCL")).SetAsFloat(split.C);
    sale.Post();
}

bool Subsidy::subsidised(const QString &CDPRODUTO) const
{
    if (basicProduct(data().cdsProdutos, CDPRODUTO))
        return true;
    ClientDataSet &branch = data().cdsProdSubsidiado;
    return branch.Active()
           && branch.Locate(QStringLiteral("CDFILIAL;CDPRODUTO"),
                            Variant(QList<Variant>{state().params.stCDFILIAL, CDPRODUTO}));
}

// The consumer's own basic subsidy, on the current sale row.
void Subsidy::consumerSubsidy(double &total)
{
    const Row row = currentRow();
    if (row.Q == 0.0 || !subsidised(row.CDPRODUTO))
        return;
    const Parameters &params = state().params;
    const QString &client = state().host.stCdClienteVenda;
    const QString &consumer = state().consumer.stCDCONSUMIDOR;
    load(data().cdsCadConsumidor,
         m_context.checkedValue(m_context.server().consumers.getCadConsumidor(params.stCDFILIAL, client, consumer,
                                                                               params.stIDEXCONSATFIL,
                                                                               params.stIDEXCONSATGER),
                                QStringLiteral("getCadConsumidor"),
                                QStringList{params.stCDFILIAL, client, consumer}.join(QLatin1Char('-'))));
    const Limit subsidy = readLimit(data().cdsCadConsumidor, QStringLiteral("VRSUBSBASICO"));
    if (!isSet(subsidy))
        return;
    ConsumerFigures &f = state().figures;
    const double R = subsidy.value - f.doSubsidioBasicoEmp - f.doDebitoConsAux1;
    if (!above0(R))
        return;
    const double V = row.value();
    const bool whole = Money::Trunc2(V) <= Money::Trunc2(R);
    const UnitSplit split = whole ? wholeCover(V, row.Q) : partialSubsidy(V, row.Q, R);
    f.doDebitoConsAux1 += whole ? row.cents() : coveredPart(row, split, R);
    total = f.doDebitoConsAux1;
    writeRow(split);
}

// The consumer type's basic and extra balances, on the current sale row.
void Subsidy::balances(double &total)
{
    const Row row = currentRow();
    if (row.Q == 0.0)
        return;
    const QString kind = data().cdsVenda.FieldByName(QStringLiteral("IDTIPOSALDOPROD")).AsString();
    if (kind == QLatin1String("N"))
        basicThenExtra(row, total);
    else if (kind == QLatin1String("B"))
        basicOnly(row, total);
    else if (kind == QLatin1String("E"))
        extraOnly(row, total);
}

void Subsidy::basicThenExtra(const Row &row, double &total)
{
    ConsumerFigures &f = state().figures;
    const Limit basic = readLimit(data().cdsTipoConsFili, QStringLiteral("VRSALDOBASICO"));
    const double B = basic.value - f.doSubsidioBasicoEmp - f.doSubsidioAux1;
    if (!isSet(basic) || !above0(B)) {
        extraOnly(row, total);
        return;
    }
    const double V = row.value();
    const bool whole = Money::Trunc2(V) <= Money::Trunc2(B);
    const UnitSplit split = whole ? wholeCover(V, row.Q) : partialBasic(V, row.Q, B);
    const double covered = whole ? row.cents() : coveredPart(row, split, B);
    f.doSubsidioAux1 += covered;
    total = f.doSubsidioAux1;
    if (split.P > 0.0) {
        // The consumer's part goes to the extra balance, covered or not: it is what the basic
        // balance left of the row, so the two parts add up to the row.
        const double part = Money::RoundDec(row.cents() - covered, 2);
        f.doSubsidioAux2 += part;
        f.doSubsidioAux3 += part;
    }
    writeRow(split);
}

void Subsidy::basicOnly(const Row &row, double &total)
{
    ConsumerFigures &f = state().figures;
    const Limit basic = readLimit(data().cdsTipoConsFili, QStringLiteral("VRSALDOBASICO"));
    if (!isSet(basic))
        return;
    const double V = row.value();
    f.doDebitoConsAux3 += V;
    if (Money::Trunc2(V) > Money::Trunc2(basic.value - f.doSubsidioBasicoEmp - f.doSubsidioAux1))
        return;
    const UnitSplit split = wholeCover(V, row.Q);
    f.doSubsidioAux1 += row.cents();
    total = f.doSubsidioAux1;
    writeRow(split);
}

// A row is carried by the extra balance only whole; the row itself is not split.
void Subsidy::extraOnly(const Row &row, double &total)
{
    ConsumerFigures &f = state().figures;
    const Limit extra = readLimit(data().cdsTipoConsFili, QStringLiteral("VRSALDOEXTRA"));
    if (!isSet(extra))
        return;
    const double V = row.value();
    f.doSubsidioAux2 += V;
    if (Money::Trunc2(V) > Money::Trunc2(extra.value - f.doConsumoSaldoExtra - f.doSubsidioAux3))
        return;
    f.doSubsidioAux3 += row.cents();
    total = f.doSubsidioAux3;
}

// ---- minimum consumption ------------------------------------------------------------------------

void Subsidy::minimumConsumption(const QString &CDPRODUTO)
{
    ClientDataSet &products = data().cdsProdutos;
    if (!basicProduct(products, CDPRODUTO))
        return;
    const QString column = QStringLiteral("VRMINCONSUMODEB");
    const Limit minimum = readLimit(products, column);
    if (!minimum.applies())
        return;
    if (!limitOf(column, minimum))
        Abort();
    // A product without a price cannot be raised to a value; the price lookup refuses it.
    const double price = number(data().cdsRetornaPreco, QStringLiteral("VRPRECO"));
    if (price <= 0.0)
        return;
    if (consumedToday(CDPRODUTO) || data().cdsItems.KeyCount(QStringLiteral("CDPRODUTO"), CDPRODUTO) > 0)
        return;
    SaleTotals &totals = state().totals;
    const double least = Money::Trunc2(minimum.value);
    if (Money::Trunc2(price * totals.doQuantidade) >= least)
        return;
    totals.doQuantidade = Money::Trunc3(least / price);
}

bool Subsidy::consumedToday(const QString &CDPRODUTO)
{
    const Parameters &params = state().params;
    const QString &client = state().host.stCdClienteVenda;
    const QString &consumer = state().consumer.stCDCONSUMIDOR;
    ClientDataSet &consumed = data().cdsVerifProdConsumi;
    if (isYes(params.stIDDEBCONSCENTRAL)) {
        CentralMovementRequest request;
        request.cdFilial = params.stCDFILIAL;
        request.cdLoja = params.stCDLOJA;
        request.cdCliente = client;
        request.cdConsumidor = consumer;
        request.cdProduto = CDPRODUTO;
        request.operation = QStringLiteral("PROD_CONSUMI");
        const StatementAnswer answer = m_context.services().MoviclieCentral(request);
        if (!answer.answered) {
            state().consumer.stSaldGastAux2 = request.operation;
            refuse(QStringLiteral("MOVICLIECENTRAL_ERRO"), {request.operation});
            Abort();
        }
        load(consumed, answer.value1);
    } else {
        load(consumed, m_context.checkedValue(m_context.server().consumers.getVerifProdConsumi(client, consumer, CDPRODUTO),
                                              QStringLiteral("getVerifProdConsumi"),
                                              QStringList{client, consumer, CDPRODUTO}.join(QLatin1Char('-'))));
    }
    return !consumed.IsEmpty();
}

} // namespace Limits
