// The cursor, the view (rows that pass the filter, in index order), searches and indexes.
#include "clientdataset.h"

#include "datasetvalues.h"

#include <algorithm>

namespace {

QStringList splitFields(const QString &fields)
{
    QStringList names;
    for (const QString &part : fields.split(QLatin1Char(';'))) {
        if (!part.trimmed().isEmpty())
            names.append(part.trimmed());
    }
    return names;
}

} // namespace

// ---- cursor ------------------------------------------------------------------------------------

int ClientDataSet::viewPosition(const Row *row) const
{
    const auto it = std::find(m_view.begin(), m_view.end(), row);
    return it == m_view.end() ? -1 : int(it - m_view.begin());
}

int ClientDataSet::currentPosition() const
{
    if (m_current == nullptr)
        return -1;
    if (m_positionHint < 0 || m_positionHint >= int(m_view.size())
        || m_view[size_t(m_positionHint)] != m_current)
        m_positionHint = viewPosition(m_current);
    return m_positionHint;
}

void ClientDataSet::moveTo(int position)
{
    m_current = m_view[size_t(position)];
    m_positionHint = position;
}

void ClientDataSet::resetCursor()
{
    m_current = nullptr;
    m_positionHint = -1;
    m_eof = true;
    m_bof = true;
}

// The cursor lands on the row now at `anchor` (the row that followed one that vanished), or on
// the last row with Eof set when nothing follows.
void ClientDataSet::settleAt(int anchor)
{
    if (m_view.empty()) {
        resetCursor();
        return;
    }
    const int last = int(m_view.size()) - 1;
    moveTo(std::clamp(anchor, 0, last));
    m_eof = anchor > last;
    m_bof = false;
}

void ClientDataSet::First()
{
    if (!Active() || !checkBrowseMode())
        return;
    const Row *before = m_current;
    if (m_view.empty()) {
        resetCursor();
        return;
    }
    moveTo(0);
    m_bof = true;
    m_eof = false;
    notifyScroll(before);
}

void ClientDataSet::Last()
{
    if (!Active() || !checkBrowseMode())
        return;
    const Row *before = m_current;
    if (m_view.empty()) {
        resetCursor();
        return;
    }
    moveTo(int(m_view.size()) - 1);
    m_eof = true;
    m_bof = false;
    notifyScroll(before);
}

void ClientDataSet::Next()
{
    MoveBy(1);
}

void ClientDataSet::Prior()
{
    MoveBy(-1);
}

int ClientDataSet::MoveBy(int distance)
{
    if (!Active() || !checkBrowseMode())
        return 0;
    if (m_view.empty()) {
        resetCursor();
        return 0;
    }
    const Row *before = m_current;
    const int from = std::max(currentPosition(), 0);
    const int last = int(m_view.size()) - 1;
    const qint64 wanted = qint64(from) + distance;
    const int to = int(std::clamp<qint64>(wanted, 0, last));
    moveTo(to);
    m_eof = distance > 0 && wanted > last;
    m_bof = distance < 0 && wanted < 0;
    notifyScroll(before);
    return to - from;
}

int ClientDataSet::RecNo() const
{
    return currentPosition() + 1;
}

bool ClientDataSet::SetRecNo(int recNo)
{
    if (!Active() || recNo < 1 || recNo > int(m_view.size()) || !checkBrowseMode())
        return false;
    const Row *before = m_current;
    moveTo(recNo - 1);
    m_eof = m_bof = false;
    notifyScroll(before);
    return true;
}

Bookmark ClientDataSet::GetBookmark() const
{
    return Bookmark{m_current ? m_current->id : 0};
}

bool ClientDataSet::BookmarkValid(const Bookmark &bookmark) const
{
    return std::any_of(m_view.begin(), m_view.end(),
                       [&](const Row *row) { return row->id == bookmark.rowId; });
}

bool ClientDataSet::GotoBookmark(const Bookmark &bookmark)
{
    if (!Active() || bookmark.isNull() || !checkBrowseMode())
        return false;
    for (size_t i = 0; i < m_view.size(); ++i) {
        if (m_view[i]->id == bookmark.rowId) {
            const Row *before = m_current;
            moveTo(int(i));
            m_eof = m_bof = false;
            notifyScroll(before);
            return true;
        }
    }
    return false;
}

// ---- the view ------------------------------------------------------------------------------------

bool ClientDataSet::passesFilter(const Row *row) const
{
    if (!m_filtered || !m_filter)
        return true;
    const Row *saved = m_probe;
    m_probe = row;
    struct Restore { const Row *&probe; const Row *saved; ~Restore() { probe = saved; } } restore{m_probe, saved};
    return m_filter(*this);
}

ClientDataSet::SortKey ClientDataSet::activeSortKey() const
{
    QString fields = m_indexFieldNames;
    IndexOptions options = m_indexFieldOptions;
    if (!m_indexName.isEmpty()) {
        for (const IndexDef &def : m_indexDefs) {
            if (def.name.compare(m_indexName, Qt::CaseInsensitive) == 0) {
                fields = def.fields;
                options = def.options;
            }
        }
    }
    SortKey key;
    key.options = options;
    for (const QString &name : splitFields(fields)) {
        const int column = fieldIndex(name);
        if (column >= 0)
            key.columns.append(column);
    }
    return key;
}

// Ties answer false, so a stable sort keeps rows with equal keys in the order they were added.
bool ClientDataSet::sortsBefore(const SortKey &key, const Row *a, const Row *b) const
{
    const bool caseInsensitive = key.options.testFlag(ixCaseInsensitive);
    for (int column : key.columns) {
        int c = DataSetValues::compare(m_fields.at(column).def.type, rowValue(a, column),
                                       rowValue(b, column), caseInsensitive);
        if (key.options.testFlag(ixDescending))
            c = -c;
        if (c != 0)
            return c < 0;
    }
    return false;
}

void ClientDataSet::rebuildView(int anchor)
{
    rowsChanged();
    m_view.clear();
    for (const auto &row : m_rows) {
        if (passesFilter(row.get()))
            m_view.push_back(row.get());
    }
    const SortKey key = activeSortKey();
    if (!key.columns.isEmpty()) {
        std::stable_sort(m_view.begin(), m_view.end(),
                         [&](const Row *a, const Row *b) { return sortsBefore(key, a, b); });
    }
    m_positionHint = -1;
    if (m_current == nullptr || currentPosition() < 0)
        settleAt(anchor);
}

// Puts a newly posted row into the view without sorting everything again.
void ClientDataSet::placeInView(Row *row, int anchor)
{
    rowsChanged();
    if (!passesFilter(row)) {
        m_current = nullptr;
        settleAt(anchor);
        return;
    }
    const SortKey key = activeSortKey();
    auto at = m_view.begin() + std::min<size_t>(size_t(anchor), m_view.size());
    if (!key.columns.isEmpty()) {
        at = std::upper_bound(m_view.begin(), m_view.end(), row,
                              [&](const Row *a, const Row *b) { return sortsBefore(key, a, b); });
    }
    const int position = int(at - m_view.begin());
    m_view.insert(at, row);
    moveTo(position);
    m_eof = m_bof = false;
}

void ClientDataSet::postInsert()
{
    auto row = std::make_unique<Row>();
    row->id = m_nextRowId++;
    row->values = m_buffer;
    Row *raw = row.get();
    rowsChanged();
    raw->stamp = m_changeStamp;
    const int anchor = m_insertBefore ? std::max(viewPosition(m_insertBefore), 0) : int(m_view.size());
    const bool sorted = !activeSortKey().columns.isEmpty();
    auto before = m_rows.end();
    if (m_insertBefore && !sorted) {
        before = std::find_if(m_rows.begin(), m_rows.end(),
                              [&](const auto &r) { return r.get() == m_insertBefore; });
    }
    m_rows.insert(before, std::move(row));
    placeInView(raw, anchor);
}

void ClientDataSet::postEdit()
{
    rowsChanged();
    const QList<Variant> previous = m_current->values;
    const Row *previousRow = m_current;
    m_current->values = m_buffer;
    m_current->stamp = m_changeStamp;
    const int position = currentPosition();
    if (indexAffected(previous, m_buffer)) {
        rebuildView(position);
        if (m_current == previousRow)
            m_eof = m_bof = false;
        return;
    }
    if (!passesFilter(m_current)) {
        m_view.erase(m_view.begin() + position);
        m_current = nullptr;
        settleAt(position);
        return;
    }
    m_eof = m_bof = false;
}

bool ClientDataSet::indexAffected(const QList<Variant> &before, const QList<Variant> &after) const
{
    for (int column : activeSortKey().columns) {
        if (m_fields.at(column).calculated
            || DataSetValues::compare(m_fields.at(column).def.type, before.at(column),
                                      after.at(column), false) != 0)
            return true;
    }
    return false;
}

void ClientDataSet::removeRow(Row *row)
{
    rowsChanged();
    const int position = viewPosition(row);
    if (position >= 0)
        m_view.erase(m_view.begin() + position);
    const auto it = std::find_if(m_rows.begin(), m_rows.end(),
                                 [&](const auto &r) { return r.get() == row; });
    if (row == m_current) {
        m_current = nullptr;
        settleAt(std::max(position, 0));
    }
    if (it != m_rows.end())
        m_rows.erase(it);
}

// ---- searching -------------------------------------------------------------------------------------

bool ClientDataSet::resolveKeys(const QString &keyFields, const Variant &keyValues,
                                QList<int> *columns, QList<Variant> *keys) const
{
    const QStringList names = splitFields(keyFields);
    for (const QString &name : names) {
        const int column = fieldIndex(name);
        if (column < 0) {
            warn(QStringLiteral("field not found: %1").arg(name));
            return false;
        }
        columns->append(column);
    }
    QList<Variant> values;
    if (names.size() == 1 && !(keyValues.isArray() && keyValues.items().size() == 1))
        values = {keyValues};
    else
        values = keyValues.items();
    if (names.isEmpty() || values.size() != names.size()) {
        warn(QStringLiteral("%1 key values for the fields \"%2\"").arg(values.size()).arg(keyFields));
        return false;
    }
    for (int i = 0; i < columns->size(); ++i) {
        bool ok = false;
        keys->append(DataSetValues::coerce(m_fields.at(columns->at(i)).def, values.at(i), &ok));
        if (!ok) {
            warn(QStringLiteral("key %1 not valid for field %2").arg(describe(values.at(i)), names.at(i)));
            return false;
        }
    }
    return true;
}

// Views this small are searched row by row: hashing them would cost more than it saves.
constexpr size_t KeyIndexFrom = 64;

const QHash<QString, ClientDataSet::KeyHits> *ClientDataSet::keyIndex(int column) const
{
    const FieldSlot &field = m_fields.at(column);
    if (field.calculated || !DataSetValues::isText(field.def.type) || m_view.size() < KeyIndexFrom)
        return nullptr;
    auto found = m_keyIndex.find(column);
    if (found != m_keyIndex.end())
        return &found.value();
    QHash<QString, KeyHits> &index = m_keyIndex[column];
    index.reserve(qsizetype(m_view.size()));
    for (size_t i = 0; i < m_view.size(); ++i) {
        const Variant &stored = m_view[i]->values.at(column);
        if (stored.isBlank())
            continue;
        KeyHits &hits = index[DataSetValues::keyText(field.def.type, stored)];
        if (hits.count++ == 0)
            hits.first = int(i);
    }
    return &index;
}

int ClientDataSet::findRow(const QList<int> &columns, const QList<Variant> &keys,
                           LocateOptions options) const
{
    const bool caseInsensitive = options.testFlag(loCaseInsensitive);
    const bool partial = options.testFlag(loPartialKey);
    if (columns.size() == 1 && !caseInsensitive && !partial && !keys.first().isBlank()) {
        if (const auto *index = keyIndex(columns.first())) {
            const FieldType type = m_fields.at(columns.first()).def.type;
            return index->value(DataSetValues::keyText(type, keys.first())).first;
        }
    }
    for (size_t i = 0; i < m_view.size(); ++i) {
        bool all = true;
        for (int k = 0; all && k < columns.size(); ++k) {
            const int column = columns.at(k);
            all = DataSetValues::matches(m_fields.at(column).def.type, rowValue(m_view[i], column),
                                         keys.at(k), caseInsensitive, partial);
        }
        if (all)
            return int(i);
    }
    return -1;
}

bool ClientDataSet::Locate(const QString &keyFields, const Variant &keyValues, LocateOptions options)
{
    if (!checkActive("Locate") || !checkBrowseMode())
        return false;
    QList<int> columns;
    QList<Variant> keys;
    if (!resolveKeys(keyFields, keyValues, &columns, &keys))
        return false;
    const int position = findRow(columns, keys, options);
    if (position < 0)
        return false;
    const Row *before = m_current;
    moveTo(position);
    m_eof = m_bof = false;
    notifyScroll(before);
    return true;
}

int ClientDataSet::KeyCount(const QString &keyField, const Variant &keyValue)
{
    QList<int> columns;
    QList<Variant> keys;
    if (!checkActive("KeyCount") || !resolveKeys(keyField, keyValue, &columns, &keys) || columns.size() != 1)
        return 0;
    const int column = columns.first();
    const FieldType type = m_fields.at(column).def.type;
    if (!keys.first().isBlank()) {
        if (const auto *index = keyIndex(column))
            return index->value(DataSetValues::keyText(type, keys.first())).count;
    }
    int count = 0;
    for (const Row *row : m_view) {
        if (DataSetValues::matches(type, rowValue(row, column), keys.first(), false, false))
            ++count;
    }
    return count;
}

Variant ClientDataSet::Lookup(const QString &keyFields, const Variant &keyValues,
                              const QString &resultFields)
{
    QList<int> columns;
    QList<Variant> keys;
    if (!checkActive("Lookup") || !resolveKeys(keyFields, keyValues, &columns, &keys))
        return Variant::null();
    const int position = findRow(columns, keys, {});
    if (position < 0)
        return Variant::null();
    QList<Variant> results;
    for (const QString &name : splitFields(resultFields)) {
        const int column = fieldIndex(name);
        results.append(column < 0 ? Variant::null() : rowValue(m_view[size_t(position)], column));
    }
    return results.size() == 1 ? results.first() : Variant(results);
}

// ---- filters -----------------------------------------------------------------------------------------

void ClientDataSet::SetFilter(Predicate predicate)
{
    if (Active() && !checkBrowseMode())
        return;
    m_filter = std::move(predicate);
    if (m_filtered)
        applyViewChange(true);
}

void ClientDataSet::SetFiltered(bool filtered)
{
    if (Active() && !checkBrowseMode())
        return;
    if (m_filtered == filtered)
        return;
    m_filtered = filtered;
    applyViewChange(true);
}

void ClientDataSet::Refresh()
{
    if (Active() && checkBrowseMode())
        applyViewChange(false);
}

// Re-applies filter and index. A filter change goes to the first row; an index change keeps
// the current row.
void ClientDataSet::applyViewChange(bool toFirst)
{
    if (!Active())
        return;
    const Row *before = m_current;
    rebuildView(std::max(currentPosition(), 0));
    if (toFirst && !m_view.empty()) {
        moveTo(0);
        m_bof = true;
        m_eof = false;
    } else if (!m_view.empty() && m_current == before) {
        m_eof = m_bof = false;
    }
    notifyDataChange();
}

// ---- indexes -------------------------------------------------------------------------------------------

bool ClientDataSet::AddIndex(const QString &name, const QString &fields, IndexOptions options)
{
    const bool taken = std::any_of(m_indexDefs.begin(), m_indexDefs.end(), [&](const IndexDef &d) {
        return d.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (name.trimmed().isEmpty() || taken || splitFields(fields).isEmpty()) {
        warn(QStringLiteral("index \"%1\" on \"%2\" refused").arg(name, fields));
        return false;
    }
    m_indexDefs.append({name, fields, options});
    return true;
}

void ClientDataSet::DeleteIndex(const QString &name)
{
    m_indexDefs.removeIf([&](const IndexDef &d) { return d.name.compare(name, Qt::CaseInsensitive) == 0; });
    if (m_indexName.compare(name, Qt::CaseInsensitive) == 0)
        SetIndexName(QString());
}

void ClientDataSet::ClearIndexDefs()
{
    m_indexDefs.clear();
    if (!m_indexName.isEmpty())
        SetIndexName(QString());
}

bool ClientDataSet::SetIndexName(const QString &name)
{
    const bool known = std::any_of(m_indexDefs.begin(), m_indexDefs.end(), [&](const IndexDef &d) {
        return d.name.compare(name, Qt::CaseInsensitive) == 0;
    });
    if (!name.isEmpty() && !known) {
        warn(QStringLiteral("index not found: %1").arg(name));
        return false;
    }
    if (Active() && !checkBrowseMode())
        return false;
    m_indexName = name;
    m_indexFieldNames.clear();
    applyViewChange(false);
    return true;
}

bool ClientDataSet::SetIndexFieldNames(const QString &fields, IndexOptions options)
{
    for (const QString &name : splitFields(fields)) {
        if (!m_fields.isEmpty() && fieldIndex(name) < 0) {
            warn(QStringLiteral("index field not found: %1").arg(name));
            return false;
        }
    }
    if (Active() && !checkBrowseMode())
        return false;
    m_indexFieldNames = fields;
    m_indexFieldOptions = options;
    m_indexName.clear();
    applyViewChange(false);
    return true;
}
