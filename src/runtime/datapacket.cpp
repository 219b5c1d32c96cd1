#include "datapacket.h"

int DataPacket::fieldIndex(const QString &name) const
{
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

Variant DataPacket::value(int row, const QString &field) const
{
    const int column = fieldIndex(field);
    if (row < 0 || row >= rows.size() || column < 0 || column >= rows.at(row).size())
        return Variant();
    return rows.at(row).at(column);
}
