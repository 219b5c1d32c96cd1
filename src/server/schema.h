#pragma once

#include <vendacons_export.h>

#include <outside/srv_registro.h>

#include <runtime/variant.h>

#include <QList>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <optional>

namespace Qub_movrela {
class DbConnection;
}

// The schema of the base, declared as data and split in files by area (schema_<area>.cpp).
// One portable DDL serves both kinds. The data module's first connect creates the tables
// that are missing and adds the columns that are missing; nothing is ever dropped or changed,
// so an existing base is upgraded in place.
//
// An area file registers its tables at namespace scope:
//
//   using namespace Schema;
//   const Area counters{
//       {"NOVOCODIGO", {text("CDCONTADOR", 100), text("NRSEQUENCIAL", 20)}, {"CDCONTADOR"}},
//   };
//
// A table may be registered by several areas: its columns are merged, so an area adds the
// columns it needs without touching another area's file. A column declared twice with
// different types, or two different keys, is reported by Schema::problems() (a test fails).
namespace Schema VENDACONS_EXPORT {

enum class Type {
    Text,     // VARCHAR(size): codes and names; size counts characters
    Memo,     // TEXT: long texts without a size
    Integer,  // INTEGER
    Number,   // NUMERIC(precision, scale): values and quantities
    DateTime, // TIMESTAMP; SQLite keeps the text "yyyy-MM-dd hh:mm:ss"
};

struct Column
{
    QString name;
    Type type = Type::Text;
    int size = 0;  // Text: characters; Number: precision
    int scale = 0; // Number: digits after the point

    bool operator==(const Column &) const = default;
};

struct Table
{
    QString name;
    QList<Column> columns;
    QStringList primaryKey;
    // Secondary indexes, each its columns in order: the lookups by consumer that would
    // otherwise read a whole movement table.
    QList<QStringList> indexes = {};
};

Column text(const char *name, int size);
Column memo(const char *name);
Column integer(const char *name);
Column number(const char *name, int precision = 15, int scale = 2);
Column dateTime(const char *name);

// Registers the tables of one area (at namespace scope of a schema_<area>.cpp).
struct Area
{
    Area(std::initializer_list<Table> tables);
};

// Every table, merged across areas, in name order.
QList<Table> tables();
// The type of a column named so in any table (columns of one name share a type), if known.
std::optional<Column> column(const QString &name);
// Declarations that disagree; empty when the schema is consistent.
QStringList problems();

// The portable DDL of a table (CREATE TABLE IF NOT EXISTS ...).
QString createTableSql(const Table &table);

// Creates missing tables and adds missing columns on `connection`'s base, in one
// transaction. Answers empty, or Variant::failure with the error text.
Variant upgrade(Qub_movrela::DbConnection &connection);

} // namespace Schema
