#pragma once

#include <outside/qub_movrela_db.h>

#include <runtime/datapacket.h>
#include <runtime/variant.h>

// Turns driver values into the runtime's values. A column the schema knows takes the
// schema's type (SQLite hands date-times back as text, and numbers as whole or not as they
// were stored); other columns (expressions, aliases) take the type the values show.
namespace ResultValues {

Variant toVariant(const QVariant &value, const QString &column);
DataPacket toPacket(const Qub_movrela::QueryRows &rows);

} // namespace ResultValues
