#pragma once

#include <vendacons_export.h>

#include "datapacket.h"
#include "datasetfield.h"
#include "variant.h"

#include <QFlags>
#include <QHash>
#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <vector>

class DataSource;

enum class DataSetState { Inactive, Browse, Edit, Insert };

enum LocateOption { loCaseInsensitive = 0x1, loPartialKey = 0x2 };
Q_DECLARE_FLAGS(LocateOptions, LocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(LocateOptions)

enum IndexOption { ixCaseInsensitive = 0x1, ixDescending = 0x2 };
Q_DECLARE_FLAGS(IndexOptions, IndexOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(IndexOptions)

// The definitions a dataset is created from. Changing them does not touch an open dataset;
// they take effect at the next CreateDataSet. Names are unique without regard to case.
class VENDACONS_EXPORT FieldDefList
{
public:
    struct Item
    {
        FieldDef def;
        bool calculated = false; // computed per row by OnCalcFields, never stored
    };

    // Both answer false (and add nothing) for an empty or repeated name.
    bool Add(const QString &name, FieldType type, int size = 0, bool required = false);
    bool AddCalculated(const QString &name, FieldType type, int size = 0);
    void Clear() { m_items.clear(); }
    int Count() const { return int(m_items.size()); }
    int IndexOf(const QString &name) const;
    const Item &at(int index) const { return m_items.at(index); }
    // The stored (not calculated) definitions, in order: what a data packet carries.
    QList<FieldDef> DataDefs() const;

private:
    friend class ClientDataSet;
    QList<Item> m_items;
};

// Identifies a row for GotoBookmark; stays valid until that row is deleted or the rows are
// replaced (EmptyDataSet, Close, Data, LoadFromFile).
struct Bookmark
{
    quint64 rowId = 0;
    bool isNull() const { return rowId == 0; }
};

// The in-memory table of the runtime: typed fields, a cursor, edit / insert / post, locate,
// filters as predicates with a separate Filtered switch, indexes stable for equal keys, data
// packets and their files. Misuse (writing in browse mode, an unknown field, deleting on an
// empty dataset) is refused with a warning in the log and a false answer, never a crash.
// EAbort thrown by an event handler (BeforePost, BeforeDelete) passes through unchanged.
class VENDACONS_EXPORT ClientDataSet
{
public:
    using Event = std::function<void(ClientDataSet &)>;
    using Predicate = std::function<bool(const ClientDataSet &)>;

    explicit ClientDataSet(const QString &name = QString());
    ~ClientDataSet();
    ClientDataSet(const ClientDataSet &) = delete;
    ClientDataSet &operator=(const ClientDataSet &) = delete;

    QString Name() const { return m_name; }

    // Lifecycle
    FieldDefList &FieldDefs() { return m_defs; }
    const FieldDefList &FieldDefs() const { return m_defs; }
    bool CreateDataSet();
    void EmptyDataSet();
    void Close(); // discards every row; fields and presentation stay
    bool Active() const { return m_state != DataSetState::Inactive; }
    DataSetState State() const { return m_state; }
    bool IsEmpty() const { return m_view.empty(); }
    int RecordCount() const { return int(m_view.size()); } // rows that pass the active filter

    // Fields of the open (or last opened) dataset
    int FieldCount() const { return int(m_fields.size()); }
    Field Fields(int index) const;
    Field FieldByName(const QString &name) const; // warns when absent
    Field FindField(const QString &name) const;   // silent; invalid when absent
    bool HasField(const QString &name) const { return fieldIndex(name) >= 0; }

    // Cursor. First and Last set Bof and Eof as the runtime does; Next at the last row sets Eof
    // and stays there. Moving posts a pending edit first.
    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance); // clamped at both ends; answers how far it moved
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    int RecNo() const; // 1-based; 0 when there is no current row
    bool SetRecNo(int recNo);
    Bookmark GetBookmark() const;
    bool GotoBookmark(const Bookmark &bookmark); // false (cursor kept) when gone or hidden
    bool BookmarkValid(const Bookmark &bookmark) const;

    // Editing
    void Append();
    void Insert(); // the new row goes before the current one (at the end when empty)
    bool Edit();   // on an empty dataset it appends, as the runtime does
    bool Post();   // false when a required field is null (the edit stays open)
    void Cancel();
    bool Delete(); // the cursor goes to the next row, else to the new last with Eof set
    void DisableControls();
    void EnableControls();

    // Searching. Several fields are joined with ";" and their values given as an array. A
    // failed Locate leaves the cursor where it was.
    bool Locate(const QString &keyFields, const Variant &keyValues, LocateOptions options = {});
    Variant Lookup(const QString &keyFields, const Variant &keyValues, const QString &resultFields);
    // Moves on with every change of the rows or of what the view shows (post, delete, empty,
    // filter, order): equal stamps mean nothing changed in between.
    quint64 ChangeStamp() const { return m_changeStamp; }
    // The change stamp at which the current row was last posted (0: no current row). Two reads
    // that agree saw the same row with the same values.
    quint64 RecordStamp() const;
    // How many rows of the view hold exactly this value in one key field (as Locate matches it).
    int KeyCount(const QString &keyField, const Variant &keyValue);

    // Filtering: the predicate reads the row through FieldByName. It stays when Filtered is
    // switched off and on. Changing either goes to the first row.
    void SetFilter(Predicate predicate);
    bool HasFilter() const { return bool(m_filter); }
    void SetFiltered(bool filtered);
    bool Filtered() const { return m_filtered; }
    void Refresh(); // re-applies filter and index after outside state the predicate reads changed

    // Indexes: named definitions selected by IndexName, or an ad hoc IndexFieldNames; setting
    // one clears the other. Rows with equal keys keep the order they were added in.
    bool AddIndex(const QString &name, const QString &fields, IndexOptions options = {});
    void DeleteIndex(const QString &name);
    void ClearIndexDefs();
    bool SetIndexName(const QString &name);
    QString IndexName() const { return m_indexName; }
    bool SetIndexFieldNames(const QString &fields, IndexOptions options = {});
    QString IndexFieldNames() const { return m_indexFieldNames; }

    // Data packets: every stored row in the order added (not the index or filter order),
    // without calculated fields. SetData replaces fields and rows, or (bad packet) changes
    // nothing and answers false with the reason.
    DataPacket Data() const;
    bool SetData(const DataPacket &packet, QString *error = nullptr);
    bool CopyFrom(const ClientDataSet &other, QString *error = nullptr);
    [[nodiscard]] bool SaveToFile(const QString &fileName, QString *error = nullptr) const;
    [[nodiscard]] bool LoadFromFile(const QString &fileName, QString *error = nullptr);

    // Events
    Event BeforePost;
    Event AfterPost;
    Event BeforeDelete;
    Event AfterDelete;
    Event AfterScroll;
    Event OnNewRecord;
    Event OnCalcFields; // sets the calculated fields of the row being read

private:
    friend class Field;
    friend class DataSource;
    struct Row
    {
        quint64 id = 0;
        quint64 stamp = 0; // the dataset's change stamp when the row was last written
        QList<Variant> values;
    };
    struct FieldSlot
    {
        FieldDef def;
        bool calculated = false;
    };
    struct FieldDisplay
    {
        QString label;
        bool visible = true;
        QString format;
        GetTextHandler onGetText;
    };
    struct IndexDef
    {
        QString name;
        QString fields;
        IndexOptions options;
    };
    struct SortKey
    {
        QList<int> columns;
        IndexOptions options;
    };

    // fields (clientdataset.cpp)
    int fieldIndex(const QString &name) const;
    Variant fieldValue(int index) const;
    bool setFieldValue(int index, const Variant &value);
    Variant rowValue(const Row *row, int index) const;
    Variant calculatedValue(int index) const;
    FieldDisplay &display(int index);
    const FieldDisplay *findDisplay(int index) const;
    void open(const FieldDefList &defs, const QList<QList<Variant>> &rows);
    void buildFields(const QList<FieldDefList::Item> &items);
    QList<Variant> nullValues() const;
    bool isEditing() const;
    bool checkActive(const char *operation) const;
    bool checkBrowseMode();
    void setState(DataSetState state);
    void warn(const QString &text) const;

    // rows and view (datasetcursor.cpp)
    Row *current() const { return m_current; }
    int currentPosition() const;
    int viewPosition(const Row *row) const;
    void moveTo(int position);
    void resetCursor();
    void settleAt(int anchor);
    void applyViewChange(bool toFirst);
    void rebuildView(int anchor);
    bool passesFilter(const Row *row) const;
    SortKey activeSortKey() const;
    bool sortsBefore(const SortKey &key, const Row *a, const Row *b) const;
    void placeInView(Row *row, int anchor);
    void removeRow(Row *row);
    int findRow(const QList<int> &columns, const QList<Variant> &keys, LocateOptions options) const;
    // Exact one-column searches of a large view go through a hash of the column, built on the
    // first search and dropped on every change of the view or of a row's values.
    struct KeyHits
    {
        int first = -1; // view position of the first row holding the key
        int count = 0;
    };
    const QHash<QString, KeyHits> *keyIndex(int column) const;
    // Every change of the rows or of the view: the key index is dropped, the stamp moves on.
    void rowsChanged()
    {
        m_keyIndex.clear();
        ++m_changeStamp;
    }
    bool resolveKeys(const QString &keyFields, const Variant &keyValues, QList<int> *columns,
                     QList<Variant> *keys) const;
    bool indexAffected(const QList<Variant> &before, const QList<Variant> &after) const;
    void postEdit();
    void postInsert();
    void clearRows();

    // notifications
    void notifyDataChange(const QString &fieldName = QString());
    void notifyStateChange();
    void notifyScroll(const Row *before);

    QString m_name;
    FieldDefList m_defs;
    QList<FieldSlot> m_fields;
    QHash<QString, FieldDisplay> m_display; // by upper-case field name

    std::vector<std::unique_ptr<Row>> m_rows; // in the order added
    std::vector<Row *> m_view;                // filtered, in index order
    Row *m_current = nullptr;
    mutable int m_positionHint = -1;
    bool m_eof = true;
    bool m_bof = true;
    quint64 m_nextRowId = 1;

    DataSetState m_state = DataSetState::Inactive;
    QList<Variant> m_buffer;        // the row being edited or inserted
    Row *m_insertBefore = nullptr;  // null: the insert goes to the end
    mutable const Row *m_probe = nullptr; // row read by a predicate or calculation in progress
    mutable QList<Variant> m_calcBuffer;
    mutable bool m_calculating = false;

    Predicate m_filter;
    bool m_filtered = false;
    QList<IndexDef> m_indexDefs;
    QString m_indexName;
    QString m_indexFieldNames;
    IndexOptions m_indexFieldOptions;

    QList<DataSource *> m_sources;
    int m_controlsDisabled = 0;
    mutable QHash<int, QHash<QString, KeyHits>> m_keyIndex; // by column
    quint64 m_changeStamp = 0;
};

// Lets a grid or a dialog follow a dataset it does not own: OnDataChange fires on every post,
// delete, scroll and field change (with the field's name; empty for a whole-row change), and
// OnStateChange when the dataset enters or leaves edit, insert or closed state. Either side
// may be destroyed first.
class DataSource
{
public:
    explicit DataSource(ClientDataSet *dataSet = nullptr);
    ~DataSource();
    DataSource(const DataSource &) = delete;
    DataSource &operator=(const DataSource &) = delete;

    void SetDataSet(ClientDataSet *dataSet);
    ClientDataSet *DataSet() const { return m_dataSet; }

    std::function<void(const QString &fieldName)> OnDataChange;
    std::function<void()> OnStateChange;

private:
    friend class ClientDataSet;
    ClientDataSet *m_dataSet = nullptr;
};
