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
    const Bookmark kept = dataset.GetBookmark();
    dataset.First();
    signature.first = dataset.GetBookmark().rowId;
    dataset.Last();
    signature.last = dataset.GetBookmark().rowId;
    if (!kept.isNull())
        dataset.GotoBookmark(kept);
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
    const Bookmark kept = dataset.GetBookmark();
    for (dataset.First(); !dataset.Eof(); dataset.Next()) {
        const Bookmark row = dataset.GetBookmark();
        for (int i = 0; i < fields.size(); ++i) {
            if (!fields.at(i).IsValid())
                continue;
            const QString value = fields.at(i).AsString();
            QHash<QString, Bookmark> &byValue = m_rows[m_columns.at(i)];
            if (!value.isEmpty() && !byValue.contains(value))
                byValue.insert(value, row);
        }
    }
    if (!kept.isNull())
        dataset.GotoBookmark(kept);
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
    if (dataset.GotoBookmark(*row) && dataset.FieldByName(column).AsString() == value)
        return true;
    // The row changed under the index (edited or hidden): ask the dataset itself.
    m_signature = Signature{};
    return dataset.Locate(column, value);
}
