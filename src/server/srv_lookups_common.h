#pragma once

#include "servercall.h"

#include <runtime/clock.h>
#include <runtime/datapacket.h>

#include <QDateTime>

// Helpers shared by the lookup files. Days are compared as a half-open range [day, next day)
// of bound date-times, which both kinds read the same way whatever the stored time of day.
namespace LookupsDetail {

inline QDateTime startOfDay(const QDate &day)
{
    return QDateTime(day, QTime(0, 0));
}

// ":P_DIA" and ":P_DIASEGUINTE" for the day of `day`.
inline Params dayRange(const QDate &day)
{
    return {{"P_DIA", startOfDay(day)}, {"P_DIASEGUINTE", startOfDay(day.addDays(1))}};
}

inline Params todayRange()
{
    return dayRange(Clock::now().date());
}

// A column the query fills with a constant has no size of its own; the caller edits it in a
// client dataset, so it is given the width it needs there.
inline Variant widenTextFields(const Variant &answer, const QStringList &names, int size)
{
    if (!answer.isPacket())
        return answer;
    DataPacket packet = answer.packet();
    for (FieldDef &field : packet.fields) {
        if (names.contains(field.name, Qt::CaseInsensitive)) {
            field.type = FieldType::String;
            field.size = size;
        }
    }
    return packet;
}

} // namespace LookupsDetail
