#include "srv_kds.h"

#include "servercall.h"
#include "srv_tabs_list.h"

#include <runtime/datapacket.h>

namespace {

const Statement adqSeqSat{"adqSeqSat",
    "SELECT MAX(CAST(NULLIF(TRIM(NRNOTAFISCALCE), '') AS BIGINT)) + 1 AS NRSEQSAT FROM VENDA "
    "WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA"};

const Statement adqSeqVendaCupom{"adqSeqVendaCupom",
    "SELECT NRSEQVENDA FROM VENDA WHERE CDFILIAL = :P_CDFILIAL AND CDCAIXA = :P_CDCAIXA AND NRCUPOMFIS = :P_NRCUPOMFIS"};

const Statement acmFinalizaPedidoQub{"acmFinalizaPedidoQub",
    "UPDATE PEDIDOQUB SET CDSENHAPED = :CDSENHAPED, NMCONSUMIDOR = :NMCONSUMIDOR "
    "WHERE CDFILIAL = :CDFILIAL AND DSPEDIDOQUB = :DSPEDIDOQUB"};

const Statement acmVendaItPedidoQub{"acmVendaItPedidoQub",
    "UPDATE ITPEDIDOQUB SET NRSEQVENDA = :NRSEQVENDA WHERE CDFILIAL = :CDFILIAL AND NRPEDIDOQUB IN "
    "(SELECT P.NRPEDIDOQUB FROM PEDIDOQUB P WHERE P.CDFILIAL = :CDFILIAL AND P.DSPEDIDOQUB = :DSPEDIDOQUB)"};

const Statement adqNrPedidoQub{"adqNrPedidoQub",
    "SELECT NRPEDIDOQUB FROM PEDIDOQUB WHERE CDFILIAL = :P_CDFILIAL AND DSPEDIDOQUB = :P_DSPEDIDOQUB "
    "ORDER BY NRPEDIDOQUB"};

// Orders of a table or tab sale: the order's tab is one of the sale's tab numbers (bound as
// ",12,13,"), never a part of a longer number.
#define NR_IT_PEDIDO_QUB(CONTAINS)                                                                   \
    "SELECT DISTINCT P.NRPEDIDOQUB FROM PEDIDOQUB P JOIN ITPEDIDOQUB I ON I.CDFILIAL = P.CDFILIAL "   \
    "AND I.NRPEDIDOQUB = P.NRPEDIDOQUB WHERE P.CDFILIAL = :P_CDFILIAL AND I.NRSEQVENDA = :P_NRSEQVENDA " \
    "AND " CONTAINS "(:P_NRCOMANDAS, ',' || TRIM(P.NRCOMANDA) || ',') > 0 ORDER BY P.NRPEDIDOQUB"

const Statement adqNrItPedidoQub{"adqNrItPedidoQub", NR_IT_PEDIDO_QUB("instr"),
                                 {.sqlite = {}, .postgresql = NR_IT_PEDIDO_QUB("strpos")}};

// What the kitchen has not finished: 'E' and 'M' items not in "X", 'P' items in neither "X"
// nor "F". An item with no state yet is still open.
const Statement acmCancItPedidoQub{"acmCancItPedidoQub",
    "UPDATE ITPEDIDOQUB SET IDSITITPEDQUB = 'C' WHERE CDFILIAL = :P_CDFILIAL AND NRPEDIDOQUB = :P_NRPEDIDOQUB "
    "AND EXISTS (SELECT 1 FROM SETOR S WHERE S.CDSETOR = ITPEDIDOQUB.CDSETOR AND ("
    "(S.IDTIPOSETOR IN ('E', 'M') AND COALESCE(ITPEDIDOQUB.IDSITITPEDQUB, '') <> 'X') OR "
    "(S.IDTIPOSETOR = 'P' AND COALESCE(ITPEDIDOQUB.IDSITITPEDQUB, '') NOT IN ('X', 'F'))))"};

// Whether the sale packet has the first row the functions read.
bool hasSaleRow(const Variant &sale)
{
    return sale.isPacket() && !sale.packet().rows.isEmpty();
}

Variant noSaleRow(const char *function)
{
    return Variant::failure(QStringLiteral("%1: pacote da venda vazio ou inválido").arg(QLatin1String(function)));
}

QString saleField(const DataPacket &packet, const char *name)
{
    return packet.value(0, QString::fromLatin1(name)).toString().trimmed();
}

// The SAT part of a counter order's key: the next SAT number of the cash desk, "1" when the
// desk has none yet; empty for other tills.
Variant satSequence(ServerCall &call, const QString &CDFILIAL, const QString &CDCAIXA, bool satTill)
{
    if (!satTill)
        return QString();
    const Variant next = call.value(adqSeqSat, {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA}}, "NRSEQSAT");
    if (next.isFailure())
        return next;
    return next.isBlank() ? QStringLiteral("1") : next.toString();
}

Variant counterOrderKey(ServerCall &call, const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRCUPOMFIS,
                        bool satTill)
{
    const Variant sat = satSequence(call, CDFILIAL, CDCAIXA, satTill);
    return sat.isFailure() ? sat : Variant(CDCAIXA + QLatin1Char('-') + NRCUPOMFIS + sat.toString());
}

Variant finishOrder(ServerCall &call, const QString &CDFILIAL, const QString &key, const QString &NRSEQVENDA,
                    const QString &CDSENHAPED, const QString &NMCONSVEND)
{
    const Variant named = call.write(acmFinalizaPedidoQub, {{"CDSENHAPED", CDSENHAPED}, {"NMCONSUMIDOR", NMCONSVEND},
                                                            {"CDFILIAL", CDFILIAL}, {"DSPEDIDOQUB", key}});
    // A sale not found leaves the items' link as it was rather than blanking it.
    if (named.isFailure() || NRSEQVENDA.isEmpty())
        return named;
    return call.write(acmVendaItPedidoQub, {{"NRSEQVENDA", NRSEQVENDA}, {"CDFILIAL", CDFILIAL}, {"DSPEDIDOQUB", key}});
}

// The order numbers in the first column of a packet answer.
QStringList orderNumbers(const Variant &found)
{
    QStringList numbers;
    for (const QList<Variant> &row : found.packet().rows)
        numbers.append(row.value(0).toString());
    return numbers;
}

// A table or tab sale's orders are read on the probe session, which sees only committed rows.
Variant tableSaleOrders(const QString &CDFILIAL, const QString &tabs, const QString &NRSEQVENDA)
{
    return ServerCall(ServerCall::Session::Probe)
        .packet(adqNrItPedidoQub, {{"P_CDFILIAL", CDFILIAL}, {"P_NRSEQVENDA", NRSEQVENDA},
                                   {"P_NRCOMANDAS", TabList::parameter(tabs)}});
}

Variant counterSaleOrders(ServerCall &call, const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRSEQVENDA)
{
    return call.packet(adqNrPedidoQub, {{"P_CDFILIAL", CDFILIAL}, {"P_DSPEDIDOQUB", CDFILIAL + CDCAIXA + NRSEQVENDA}});
}

} // namespace

namespace Srv_Kal51000 {

Variant FinalizaPedidoKDS(const Variant &sale, const QString &CDCAIXA, const QString &CDSENHAPED, bool satTill)
{
    if (!hasSaleRow(sale))
        return noSaleRow("FinalizaPedidoKDS");
    const DataPacket *packet = &sale.packet();
    const QString CDFILIAL = saleField(*packet, "CDFILIAL");
    const QString NRCUPOMFIS = saleField(*packet, "NRCUPOMFIS");
    ServerCall call;
    const Variant key = counterOrderKey(call, CDFILIAL, CDCAIXA, NRCUPOMFIS, satTill);
    if (key.isFailure())
        return key;
    const Variant sequence = call.value(adqSeqVendaCupom, {{"P_CDFILIAL", CDFILIAL}, {"P_CDCAIXA", CDCAIXA},
                                                           {"P_NRCUPOMFIS", NRCUPOMFIS}}, "NRSEQVENDA");
    if (sequence.isFailure())
        return sequence;
    return finishOrder(call, CDFILIAL, key.toString(), sequence.toString().trimmed(), CDSENHAPED,
                       packet->value(0, "NMCONSVEND").toString());
}

QString GetNrPedidoQub(const QString &CDFILIAL, const QString &CDCAIXA, const QString &NRCUPOMFIS, bool satTill)
{
    ServerCall call;
    const Variant key = counterOrderKey(call, CDFILIAL, CDCAIXA, NRCUPOMFIS, satTill);
    if (key.isFailure())
        return key.failureText();
    return call.fieldText(adqNrPedidoQub, {{"P_CDFILIAL", CDFILIAL}, {"P_DSPEDIDOQUB", key.toString()}},
                          "NRPEDIDOQUB", TextOnFailure::errorText());
}

Variant CancelaPedidoKDS(const Variant &sale, const QString &CDCAIXA, const QString &CDFILIAL,
                         const QString &NRSEQVENDA, bool)
{
    if (!hasSaleRow(sale))
        return noSaleRow("CancelaPedidoKDS");
    const DataPacket *packet = &sale.packet();
    ServerCall call;
    const bool tableSale = !saleField(*packet, "NRVENDAREST").isEmpty();
    const Variant found = tableSale ? tableSaleOrders(CDFILIAL, saleField(*packet, "NRCOMANDAVND"), NRSEQVENDA)
                                    : counterSaleOrders(call, CDFILIAL, CDCAIXA, NRSEQVENDA);
    if (found.isFailure())
        return found;
    for (const QString &order : orderNumbers(found)) {
        const Variant cancelled = call.write(acmCancItPedidoQub, {{"P_CDFILIAL", CDFILIAL}, {"P_NRPEDIDOQUB", order}});
        if (cancelled.isFailure())
            return cancelled;
    }
    return Variant();
}

} // namespace Srv_Kal51000
