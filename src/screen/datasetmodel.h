#pragma once

#include <runtime/clientdataset.h>

#include <QAbstractTableModel>
#include <QStringList>

// A read-only table model over chosen fields of a client dataset, for the receipt grids. It
// follows the dataset through a DataSource. Changes are gathered and the rows read again once
// control is back in the event loop, so a receipt rebuilt line by line (thousands of posts)
// costs one read, not one per post.
class DataSetModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    DataSetModel(ClientDataSet &dataset, const QStringList &fields, QObject *parent = nullptr);
    ~DataSetModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Column titles shown in the grid's header (none by default).
    void setTitles(const QStringList &titles) { m_titles = titles; }

    // Per-column alignment (display datasets right-align their value columns).
    void setAlignment(int column, Qt::Alignment alignment);

    // Reads the rows now, without waiting for the event loop.
    void refresh();

signals:
    // The dataset's current row (0-based; -1 when there is none), after each refresh.
    void currentRowChanged(int row);

private:
    void scheduleRefresh();
    int currentRow() const;

    ClientDataSet &m_dataset;
    QStringList m_fields;
    QStringList m_titles;
    DataSource m_source;
    QList<QStringList> m_rows;
    QHash<int, Qt::Alignment> m_alignment;
    bool m_pending = false;
};
