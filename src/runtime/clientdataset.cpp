#include "clientdataset.h"

#include "cdsfile.h"
#include "datasetvalues.h"

#include <QDebug>

// ---- field definitions ------------------------------------------------------------------

bool FieldDefList::Add(const QString &name, FieldType type, int size, bool required)
{
    if (name.trimmed().isEmpty() || IndexOf(name) >= 0) {
        qWarning().noquote() << "FieldDefs: empty or repeated field name" << name;
        return false;
    }
    m_items.append({FieldDef{name, type, size, required}, false});
    return true;
}

bool FieldDefList::AddCalculated(const QString &name, FieldType type, int size)
{
    if (!Add(name, type, size))
        return false;
    m_items.last().calculated = true;
    return true;
}

int FieldDefList::IndexOf(const QString &name) const
{
    for (int i = 0; i < m_items.size(); ++i) {
        if (m_items.at(i).def.name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QList<FieldDef> FieldDefList::DataDefs() const
{
    QList<FieldDef> defs;
    for (const Item &item : m_items) {
        if (!item.calculated)
            defs.append(item.def);
    }
    return defs;
}

// ---- lifecycle ----------------------------------------------------------------------------

ClientDataSet::ClientDataSet(const QString &name) : m_name(name) {}

ClientDataSet::~ClientDataSet()
{
    for (DataSource *source : std::as_const(m_sources))
        source->m_dataSet = nullptr;
}

bool ClientDataSet::CreateDataSet()
{
    if (m_defs.DataDefs().isEmpty()) {
        warn(QStringLiteral("CreateDataSet without field definitions"));
        return false;
    }
    open(m_defs, {});
    return true;
}

void ClientDataSet::EmptyDataSet()
{
    if (!checkActive("EmptyDataSet"))
        return;
    if (isEditing())
        Cancel();
    clearRows();
    notifyDataChange();
}

void ClientDataSet::Close()
{
    if (!Active())
        return;
    clearRows();
    m_buffer.clear();
    m_state = DataSetState::Inactive;
    notifyStateChange();
}

void ClientDataSet::clearRows()
{
    rowsChanged();
    m_view.clear();
    m_rows.clear();
    m_insertBefore = nullptr;
    resetCursor();
}

void ClientDataSet::buildFields(const QList<FieldDefList::Item> &items)
{
    m_fields.clear();
    for (const FieldDefList::Item &item : items)
        m_fields.append({item.def, item.calculated});
}

QList<Variant> ClientDataSet::nullValues() const
{
    return QList<Variant>(m_fields.size(), Variant::null());
}

bool ClientDataSet::isEditing() const
{
    return m_state == DataSetState::Edit || m_state == DataSetState::Insert;
}

bool ClientDataSet::checkActive(const char *operation) const
{
    if (Active())
        return true;
    warn(QStringLiteral("%1 on a closed dataset").arg(QLatin1String(operation)));
    return false;
}

// Moving away from a row posts its pending edit, as the runtime does.
bool ClientDataSet::checkBrowseMode()
{
    return !isEditing() || Post();
}

void ClientDataSet::setState(DataSetState state)
{
    if (m_state == state)
        return;
    m_state = state;
    notifyStateChange();
}

void ClientDataSet::warn(const QString &text) const
{
    qWarning().noquote() << (m_name.isEmpty() ? QStringLiteral("ClientDataSet") : m_name) << ":"
                         << text;
}

// ---- fields --------------------------------------------------------------------------------

int ClientDataSet::fieldIndex(const QString &name) const
{
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields.at(i).def.name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

Field ClientDataSet::Fields(int index) const
{
    if (index < 0 || index >= m_fields.size())
        return Field();
    return Field(const_cast<ClientDataSet *>(this), index);
}

Field ClientDataSet::FieldByName(const QString &name) const
{
    const Field field = FindField(name);
    if (!field.IsValid())
        warn(QStringLiteral("field not found: %1").arg(name));
    return field;
}

Field ClientDataSet::FindField(const QString &name) const
{
    return Fields(fieldIndex(name));
}

Variant ClientDataSet::fieldValue(int index) const
{
    if (index < 0 || index >= m_fields.size() || !Active())
        return Variant::null();
    if (m_fields.at(index).calculated)
        return calculatedValue(index);
    if (m_probe)
        return m_probe->values.at(index);
    if (isEditing())
        return m_buffer.at(index);
    return m_current ? m_current->values.at(index) : Variant::null();
}

Variant ClientDataSet::rowValue(const Row *row, int index) const
{
    if (!m_fields.at(index).calculated)
        return row->values.at(index);
    const Row *saved = m_probe;
    m_probe = row;
    const Variant value = calculatedValue(index);
    m_probe = saved;
    return value;
}

// Calculated fields are computed when read, for the row being read: the handler sees the
// row's stored fields and sets the calculated ones.
Variant ClientDataSet::calculatedValue(int index) const
{
    if (m_calculating)
        return m_calcBuffer.value(index, Variant::null());
    if (!OnCalcFields)
        return Variant::null();
    m_calcBuffer = nullValues();
    m_calculating = true;
    struct Reset { bool &flag; ~Reset() { flag = false; } } reset{m_calculating};
    OnCalcFields(const_cast<ClientDataSet &>(*this));
    return m_calcBuffer.at(index);
}

bool ClientDataSet::setFieldValue(int index, const Variant &value)
{
    if (index < 0 || index >= m_fields.size())
        return false;
    const FieldSlot &slot = m_fields.at(index);
    bool ok = false;
    const Variant stored = DataSetValues::coerce(slot.def, value, &ok);
    if (!ok) {
        warn(QStringLiteral("value %1 not valid for field %2").arg(describe(value), slot.def.name));
        return false;
    }
    if (slot.calculated) {
        if (!m_calculating) {
            warn(QStringLiteral("calculated field %1 set outside OnCalcFields").arg(slot.def.name));
            return false;
        }
        m_calcBuffer[index] = stored;
        return true;
    }
    if (!isEditing()) {
        warn(QStringLiteral("field %1 set while not in edit or insert mode").arg(slot.def.name));
        return false;
    }
    m_buffer[index] = stored;
    notifyDataChange(slot.def.name);
    return true;
}

ClientDataSet::FieldDisplay &ClientDataSet::display(int index)
{
    return m_display[m_fields.at(index).def.name.toUpper()];
}

const ClientDataSet::FieldDisplay *ClientDataSet::findDisplay(int index) const
{
    const auto it = m_display.constFind(m_fields.at(index).def.name.toUpper());
    return it == m_display.constEnd() ? nullptr : &it.value();
}

// ---- editing -------------------------------------------------------------------------------

void ClientDataSet::Append()
{
    if (!checkActive("Append") || !checkBrowseMode())
        return;
    m_buffer = nullValues();
    m_insertBefore = nullptr;
    setState(DataSetState::Insert);
    if (OnNewRecord)
        OnNewRecord(*this);
    notifyDataChange();
}

void ClientDataSet::Insert()
{
    if (!checkActive("Insert") || !checkBrowseMode())
        return;
    m_buffer = nullValues();
    m_insertBefore = m_current;
    setState(DataSetState::Insert);
    if (OnNewRecord)
        OnNewRecord(*this);
    notifyDataChange();
}

bool ClientDataSet::Edit()
{
    if (!checkActive("Edit"))
        return false;
    if (isEditing())
        return true;
    if (m_current == nullptr) {
        Append();
        return true;
    }
    m_buffer = m_current->values;
    setState(DataSetState::Edit);
    return true;
}

bool ClientDataSet::Post()
{
    if (!isEditing())
        return true;
    if (BeforePost)
        BeforePost(*this);
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields.at(i).def.required && !m_fields.at(i).calculated && m_buffer.at(i).isBlank()) {
            warn(QStringLiteral("field %1 must have a value").arg(m_fields.at(i).def.name));
            return false;
        }
    }
    if (m_state == DataSetState::Edit)
        postEdit();
    else
        postInsert();
    m_buffer.clear();
    m_insertBefore = nullptr;
    setState(DataSetState::Browse);
    notifyDataChange();
    if (AfterPost)
        AfterPost(*this);
    return true;
}

void ClientDataSet::Cancel()
{
    if (!isEditing())
        return;
    m_buffer.clear();
    m_insertBefore = nullptr;
    setState(DataSetState::Browse);
    notifyDataChange();
}

bool ClientDataSet::Delete()
{
    if (!checkActive("Delete"))
        return false;
    if (m_state == DataSetState::Insert) {
        Cancel();
        return true;
    }
    if (m_current == nullptr) {
        warn(QStringLiteral("Delete on an empty dataset"));
        return false;
    }
    if (BeforeDelete)
        BeforeDelete(*this);
    if (m_state == DataSetState::Edit) {
        m_buffer.clear();
        setState(DataSetState::Browse);
    }
    removeRow(m_current);
    notifyDataChange();
    if (AfterDelete)
        AfterDelete(*this);
    return true;
}

// ---- packets and files ----------------------------------------------------------------------

DataPacket ClientDataSet::Data() const
{
    DataPacket packet;
    QList<int> stored;
    for (int i = 0; i < m_fields.size(); ++i) {
        if (!m_fields.at(i).calculated) {
            packet.fields.append(m_fields.at(i).def);
            stored.append(i);
        }
    }
    if (m_fields.isEmpty())
        packet.fields = m_defs.DataDefs();
    packet.rows.reserve(qsizetype(m_rows.size()));
    for (const auto &row : m_rows) {
        QList<Variant> values;
        values.reserve(stored.size());
        for (int column : stored)
            values.append(row->values.at(column));
        packet.rows.append(values);
    }
    return packet;
}

namespace {

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

// The packet's fields replace the stored ones; calculated fields are kept.
bool packetDefs(const DataPacket &packet, const FieldDefList &current, FieldDefList *defs,
                QString *error)
{
    for (const FieldDef &def : packet.fields) {
        if (!defs->Add(def.name, def.type, def.size, def.required))
            return fail(error, QStringLiteral("empty or repeated field name \"%1\"").arg(def.name));
    }
    for (int i = 0; i < current.Count(); ++i) {
        if (current.at(i).calculated && defs->IndexOf(current.at(i).def.name) < 0)
            defs->AddCalculated(current.at(i).def.name, current.at(i).def.type, current.at(i).def.size);
    }
    return true;
}

// Every value converted to its field's type, one slot per field (calculated ones null).
bool packetRows(const DataPacket &packet, int width, QList<QList<Variant>> *rows, QString *error)
{
    rows->reserve(packet.rows.size());
    for (int r = 0; r < packet.rows.size(); ++r) {
        const QList<Variant> &values = packet.rows.at(r);
        if (values.size() != packet.fields.size())
            return fail(error, QStringLiteral("row %1 has %2 values for %3 fields")
                                   .arg(r + 1).arg(values.size()).arg(packet.fields.size()));
        QList<Variant> row(width, Variant::null());
        for (int c = 0; c < values.size(); ++c) {
            bool ok = false;
            row[c] = DataSetValues::coerce(packet.fields.at(c), values.at(c), &ok);
            if (!ok)
                return fail(error, QStringLiteral("row %1, field %2: value %3 not valid")
                                       .arg(r + 1).arg(packet.fields.at(c).name, describe(values.at(c))));
        }
        rows->append(row);
    }
    return true;
}

} // namespace

// Everything is converted before anything changes, so a bad packet leaves the dataset as it was.
bool ClientDataSet::SetData(const DataPacket &packet, QString *error)
{
    FieldDefList defs;
    QList<QList<Variant>> rows;
    if (!packetDefs(packet, m_defs, &defs, error) || !packetRows(packet, defs.Count(), &rows, error))
        return false;
    open(defs, rows);
    return true;
}

void ClientDataSet::open(const FieldDefList &defs, const QList<QList<Variant>> &rows)
{
    const bool wasActive = Active();
    clearRows();
    m_buffer.clear();
    m_defs = defs;
    buildFields(m_defs.m_items);
    for (const QList<Variant> &values : rows) {
        auto row = std::make_unique<Row>();
        row->id = m_nextRowId++;
        row->values = values;
        row->stamp = m_changeStamp;
        m_rows.push_back(std::move(row));
    }
    const DataSetState before = m_state;
    m_state = DataSetState::Browse;
    rebuildView(0);
    m_bof = true;
    if (!wasActive || before != DataSetState::Browse)
        notifyStateChange();
    notifyDataChange();
}

bool ClientDataSet::CopyFrom(const ClientDataSet &other, QString *error)
{
    return SetData(other.Data(), error);
}

bool ClientDataSet::SaveToFile(const QString &fileName, QString *error) const
{
    return CdsFile::save(fileName, Data(), error);
}

bool ClientDataSet::LoadFromFile(const QString &fileName, QString *error)
{
    DataPacket packet;
    if (!CdsFile::load(fileName, &packet, error))
        return false;
    QString reason;
    if (!SetData(packet, &reason))
        return fail(error, QStringLiteral("Arquivo \"%1\" inválido: %2").arg(fileName, reason));
    return true;
}

// ---- notifications ---------------------------------------------------------------------------

quint64 ClientDataSet::RecordStamp() const
{
    return m_current ? m_current->stamp : 0;
}

void ClientDataSet::DisableControls()
{
    ++m_controlsDisabled;
}

void ClientDataSet::EnableControls()
{
    if (m_controlsDisabled > 0 && --m_controlsDisabled == 0)
        notifyDataChange();
}

void ClientDataSet::notifyDataChange(const QString &fieldName)
{
    if (m_controlsDisabled > 0)
        return;
    const QList<DataSource *> sources = m_sources; // a handler may detach a source
    for (DataSource *source : sources) {
        if (m_sources.contains(source) && source->OnDataChange)
            source->OnDataChange(fieldName);
    }
}

void ClientDataSet::notifyStateChange()
{
    if (m_controlsDisabled > 0)
        return;
    const QList<DataSource *> sources = m_sources;
    for (DataSource *source : sources) {
        if (m_sources.contains(source) && source->OnStateChange)
            source->OnStateChange();
    }
}

void ClientDataSet::notifyScroll(const Row *before)
{
    if (m_current == before)
        return;
    if (AfterScroll)
        AfterScroll(*this);
    notifyDataChange();
}

// ---- data source ------------------------------------------------------------------------------

DataSource::DataSource(ClientDataSet *dataSet)
{
    SetDataSet(dataSet);
}

DataSource::~DataSource()
{
    SetDataSet(nullptr);
}

void DataSource::SetDataSet(ClientDataSet *dataSet)
{
    if (m_dataSet)
        m_dataSet->m_sources.removeAll(this);
    m_dataSet = dataSet;
    if (m_dataSet)
        m_dataSet->m_sources.append(this);
}
