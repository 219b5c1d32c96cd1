#pragma once

#include <runtime/clientdataset.h>

#include <QHash>
#include <QString>
#include <QStringList>

// Exact lookups of the product copy by one code column, without scanning 20,000 rows per
// lookup. The index remembers, per column, the first row (in the dataset's current order)
// holding each value, and is rebuilt whenever the dataset looks different (other rows, count,
// filter or order). Every hit is checked against the row itself, and a hit on a row that is
// gone or hidden falls back to the dataset's own Locate, so the answer is always Locate's.
class ProductCodeIndex
{
public:
    explicit ProductCodeIndex(QStringList columns);

    // Positions `dataset` on the first row whose `column` equals `value` exactly. False (the
    // cursor left where it was) when there is none. An empty value matches nothing.
    bool locate(ClientDataSet &dataset, const QString &column, const QString &value);

private:
    struct Signature
    {
        const ClientDataSet *dataset = nullptr;
        int count = -1;
        quint64 first = 0;
        quint64 last = 0;
        bool filtered = false;
        QString order;
        bool operator==(const Signature &) const = default;
    };

    static Signature signatureOf(ClientDataSet &dataset);
    void rebuild(ClientDataSet &dataset);

    QStringList m_columns;
    struct RowAt
    {
        int recNo = 0;        // position in the dataset's current order
        quint64 rowId = 0;    // the row itself, to tell a moved row from the indexed one
    };
    QHash<QString, QHash<QString, RowAt>> m_rows; // column -> value -> first row
    Signature m_signature;
};
