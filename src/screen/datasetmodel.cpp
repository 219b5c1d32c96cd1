#include "datasetmodel.h"

DataSetModel::DataSetModel(ClientDataSet &dataset, const QStringList &fields, QObject *parent)
    : QAbstractTableModel(parent), m_dataset(dataset), m_fields(fields), m_source(&dataset)
{
    m_source.OnDataChange = [this](const QString &) { refresh(); };
    m_source.OnStateChange = [this] { refresh(); };
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

// Reads the rows from the data packet, so the dataset's cursor is never moved under a handler.
void DataSetModel::refresh()
{
    // A row being edited shows once it is posted.
    if (m_dataset.Active() && m_dataset.State() != DataSetState::Browse)
        return;
    beginResetModel();
    m_rows.clear();
    if (m_dataset.Active()) {
        const DataPacket packet = m_dataset.Data();
        for (int row = 0; row < packet.rows.size(); ++row) {
            QStringList cells;
            for (const QString &field : m_fields)
                cells.append(packet.value(row, field).toString());
            m_rows.append(cells);
        }
    }
    endResetModel();
}
