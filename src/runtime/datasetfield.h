#pragma once

#include <vendacons_export.h>

#include "datapacket.h"
#include "variant.h"

#include <QDateTime>
#include <QString>

#include <functional>

class ClientDataSet;
class Field;

// Text shown for a field in grids and captions, in place of the formatted value.
using GetTextHandler = std::function<QString(const Field &)>;

// A handle on one field of a client dataset. Reads see the current row (or the edit buffer
// while the dataset is in edit or insert mode); writes need edit or insert mode and convert
// the value to the field's type, cutting texts to the field size. A handle of a name the
// dataset does not have is invalid: it reads as null and refuses writes (with a warning).
// Handles are cheap values; they stay usable while the dataset keeps its fields.
class VENDACONS_EXPORT Field
{
public:
    Field() = default;

    bool IsValid() const { return m_dataSet != nullptr && m_index >= 0; }
    QString FieldName() const;
    FieldType DataType() const;
    int Size() const;
    int Index() const { return m_index; }
    bool Calculated() const;
    ClientDataSet *DataSet() const { return m_dataSet; }

    Variant Value() const;
    bool IsNull() const;
    QString AsString() const;
    double AsFloat() const;
    double AsCurrency() const { return AsFloat(); }
    qint64 AsInteger() const;
    bool AsBoolean() const;
    QDateTime AsDateTime() const;
    // The text a grid shows: the display-text handler when there is one, else the value
    // formatted by the display format (numbers) or as the runtime prints it.
    QString DisplayText() const;

    // Each setter answers false when the write is refused (not in edit or insert mode, or a
    // value that does not convert to the field's type); the field then keeps its value.
    bool SetValue(const Variant &value);
    bool SetAsString(const QString &value);
    bool SetAsFloat(double value);
    bool SetAsCurrency(double value) { return SetAsFloat(value); }
    bool SetAsInteger(qint64 value);
    bool SetAsBoolean(bool value);
    bool SetAsDateTime(const QDateTime &value);
    bool Clear();

    // Presentation, kept by field name for the life of the dataset (through Close, Data and
    // LoadFromFile): it belongs to the form's dataset, not to the rows it holds.
    QString DisplayLabel() const;
    void SetDisplayLabel(const QString &label);
    bool Visible() const;
    void SetVisible(bool visible);
    QString DisplayFormat() const;
    void SetDisplayFormat(const QString &format);
    void SetOnGetText(GetTextHandler handler);

private:
    friend class ClientDataSet;
    Field(ClientDataSet *dataSet, int index) : m_dataSet(dataSet), m_index(index) {}

    ClientDataSet *m_dataSet = nullptr;
    int m_index = -1;
};
