#include "productentry_index.h"

#include <QList>

ProductCodeIndex::ProductCodeIndex(QStringList columns)
    : m_columns(std::move(columns))
{
}

ProductCodeIndex::Signature ProductCodeIndex::signatureOf(ClientDataSet &dataset)
{
    Signature signature;
    signature.dataset = &dataset;
    if (!dataset.Active())
        return signature;
    signature.count = dataset.RecordCount();
    signature.filtered = dataset.Filtered() && dataset.HasFilter();
    signature.order = dataset.IndexName() + QLatin1Char('|') + dataset.IndexFieldNames();
    if (dataset.IsEmpty())
        return signature;
    // Positions, not bookmarks: moving to a position costs nothing on 20,000 rows.
    const int kept = dataset.RecNo();
    dataset.SetRecNo(1);
    signature.first = dataset.GetBookmark().rowId;
    dataset.SetRecNo(signature.count);
    signature.last = dataset.GetBookmark().rowId;
    if (kept > 0)
        dataset.SetRecNo(kept);
    return signature;
}

void ProductCodeIndex::rebuild(ClientDataSet &dataset)
{
    m_rows.clear();
    m_signature = signatureOf(dataset);
    if (!dataset.Active() || dataset.IsEmpty())
        return;
    QList<Field> fields;
    for (const QString &column : m_columns)
        fields.append(dataset.FindField(column));
    const int kept = dataset.RecNo();
    for (dataset.First(); !dataset.Eof(); dataset.Next()) {
        const RowAt row{dataset.RecNo(), dataset.GetBookmark().rowId};
        for (int i = 0; i < fields.size(); ++i) {
            if (!fields.at(i).IsValid())
                continue;
            const QString value = fields.at(i).AsString();
            QHash<QString, RowAt> &byValue = m_rows[m_columns.at(i)];
            if (!value.isEmpty() && !byValue.contains(value))
                byValue.insert(value, row);
        }
    }
    if (kept > 0)
        dataset.SetRecNo(kept);
}

bool ProductCodeIndex::locate(ClientDataSet &dataset, const QString &column, const QString &value)
{
    if (value.isEmpty() || !dataset.Active())
        return false;
    if (!m_columns.contains(column))
        return dataset.Locate(column, value);
    if (!(signatureOf(dataset) == m_signature))
        rebuild(dataset);
    const auto byValue = m_rows.constFind(column);
    if (byValue == m_rows.constEnd())
        return false;
    const auto row = byValue->constFind(value);
    if (row == byValue->constEnd())
        return false;
    if (dataset.SetRecNo(row->recNo) && dataset.GetBookmark().rowId == row->rowId
        && dataset.FieldByName(column).AsString() == value)
        return true;
    // The row changed under the index (edited or moved): ask the dataset itself.
    m_signature = Signature{};
    return dataset.Locate(column, value);
}
