#include "datasetmodel.h"

#include <QMetaObject>

DataSetModel::DataSetModel(ClientDataSet &dataset, const QStringList &fields, QObject *parent)
    : QAbstractTableModel(parent), m_dataset(dataset), m_fields(fields), m_source(&dataset)
{
    m_source.OnDataChange = [this](const QString &) { scheduleRefresh(); };
    m_source.OnStateChange = [this] { scheduleRefresh(); };
    refresh();
}

DataSetModel::~DataSetModel()
{
    m_source.SetDataSet(nullptr);
}

int DataSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int DataSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant DataSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    if (role == Qt::DisplayRole)
        return m_rows.at(index.row()).value(index.column());
    if (role == Qt::TextAlignmentRole && m_alignment.contains(index.column()))
        return QVariant::fromValue(m_alignment.value(index.column()) | Qt::AlignVCenter);
    return {};
}

void DataSetModel::setAlignment(int column, Qt::Alignment alignment)
{
    m_alignment.insert(column, alignment);
}

void DataSetModel::scheduleRefresh()
{
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(this, [this] { refresh(); }, Qt::QueuedConnection);
}

// Reads the rows from the data packet, so the dataset's cursor is never moved under a handler.
void DataSetModel::refresh()
{
    m_pending = false;
    const bool attached = m_source.DataSet() != nullptr;
    // A row being edited shows once it is posted.
    if (attached && m_dataset.Active() && m_dataset.State() != DataSetState::Browse)
        return;
    beginResetModel();
    m_rows.clear();
    if (attached && m_dataset.Active()) {
        const DataPacket packet = m_dataset.Data();
        QList<int> columns;
        for (const QString &field : m_fields)
            columns.append(packet.fieldIndex(field));
        m_rows.reserve(packet.rows.size());
        for (const QList<Variant> &row : packet.rows) {
            QStringList cells;
            for (int column : columns)
                cells.append(column < 0 ? QString() : row.value(column).toString());
            m_rows.append(cells);
        }
    }
    endResetModel();
    emit currentRowChanged(currentRow());
}

// The grid shows the rows in the order they were added, which is the receipt's order (it
// has no index or filter), so the cursor's record number is the row.
int DataSetModel::currentRow() const
{
    if (m_source.DataSet() == nullptr || !m_dataset.Active() || m_dataset.IsEmpty())
        return -1;
    return m_dataset.RecNo() - 1;
}

QVariant DataSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_titles.size())
        return m_titles.at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}
