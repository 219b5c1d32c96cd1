#pragma once

#include <runtime/clientdataset.h>

#include <QAbstractTableModel>
#include <QStringList>

// A read-only table model over chosen fields of a client dataset, for the receipt grids. It
// follows the dataset through a DataSource: every change resets the view, which is cheap for
// the few hundred lines of a receipt.
class DataSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    DataSetModel(ClientDataSet &dataset, const QStringList &fields, QObject *parent = nullptr);
    ~DataSetModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    // Per-column alignment (display datasets right-align their value columns).
    void setAlignment(int column, Qt::Alignment alignment);

private:
    void refresh();

    ClientDataSet &m_dataset;
    QStringList m_fields;
    DataSource m_source;
    QList<QStringList> m_rows;
    QHash<int, Qt::Alignment> m_alignment;
};
