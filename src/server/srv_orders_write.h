#pragma once

#include "srv_orders.h"

#include <runtime/clientdataset.h>
#include <runtime/variant.h>

#include <QHash>
#include <QString>

class ServerCall;
class TrdmVendaCons;

// The writing of one order's rows, inside the transaction getGeraPedido opened. Private to
// the orders area.
namespace OrderWriting {

// The arguments of one getGeraPedido call that every row uses.
struct OrderKeys
{
    QString CDFILIAL;
    QString CDLOJA;
    QString CDCLIENTE;
    QString NRCOMANDA;
    QString NRVENDAREST;
    QString CDCONSUMIDOR;
    QString CDCAIXA;
    QString CDVENDEDOR;
    QString CDSENHAPED;
    QString modoVenda;
};

// The four packets of the call as client datasets.
struct OrderPackets
{
    ClientDataSet cdsItems{QStringLiteral("cdsItems")};
    ClientDataSet cdsItPromoComb{QStringLiteral("cdsItPromoComb")};
    ClientDataSet cdsObsItens{QStringLiteral("cdsObsItens")};
    ClientDataSet cdsObsItensEst{QStringLiteral("cdsObsItensEst")};

    // Loads the packets (a blank variant is an empty packet) and orders the items by their
    // screen line number. Empty, or Variant::failure naming the unusable packet.
    Variant load(const Variant &itens, const Variant &itPromoComb, const Variant &obsItens,
                 const Variant &obsItensEst);
    int itemCount() const { return cdsItems.Active() ? cdsItems.RecordCount() : 0; }
};

// getGeraPedido on a given data module (each thread that writes orders has its own).
VENDACONS_EXPORT Variant writeOrder(TrdmVendaCons &module, const OrderKeys &keys, const Variant &itens, const Variant &itPromoComb,
                   const Variant &obsItens, const Variant &obsItensEst);

// The price function installed by the host (or the failing default).
Srv_Kal51000::OrderRowPrice priceOf(const Srv_Kal51000::OrderRowPriceRequest &request);

// Writes the rows of one order inside the caller's transaction.
class OrderWriter
{
public:
    OrderWriter(ServerCall &call, const OrderKeys &keys, OrderPackets &packets);

    // Writes the items of cdsItems in ascending NRSEQ, numbering them from `firstNumber` (one
    // number per packet row, written or reused). Stops at the first row the host refuses (see
    // refusal()), which the caller rolls back like a failure. Empty, or the failure that must
    // roll the order back.
    Variant writeItems(qint64 firstNumber, const QString &NRSEQPRODCUP);

    // The value of the written rows, untruncated.
    double total() const { return m_total; }
    // The code of the row the host refused; empty when none was.
    const QString &refusal() const { return m_refusal; }
    // Whether an item row was inserted (not only reused ones added to).
    bool insertedItems() const { return m_insertedItems; }

private:
    struct ItemRow;

    Variant writeRow(const QString &number);
    Variant readItem(ItemRow *item) const;
    Variant productionStatus(const ItemRow &item, QString *status);
    Variant insertItem(const ItemRow &item, const QString &number, const QString &status, const QString &parent);
    Variant writeOptions(const ItemRow &item, const QString &number);
    Variant writeParts(const ItemRow &item, const QString &number);
    Variant mergeParts(const ItemRow &item, ClientDataSet &merged);
    Variant writePart(const ItemRow &item, const QString &number, const ClientDataSet &part);
    Variant writePartOptions(const ItemRow &item, const QString &number, const QString &CDPRODUTO);

    ServerCall &m_call;
    const OrderKeys &m_keys;
    OrderPackets &m_packets;
    QString m_NRSEQPRODCUP;
    QHash<QString, QString> m_cdsNrSeqItem; // screen line (NRSEQ) -> order item number
    QString m_IDCONTROPROD;
    bool m_storeRead = false;
    double m_total = 0;
    QString m_refusal;
    bool m_insertedItems = false;
};

} // namespace OrderWriting
