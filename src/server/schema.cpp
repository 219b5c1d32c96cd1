#include "schema.h"

#include <outside/qub_movrela_db.h>
#include <outside/qub_movrela_fit.h>
#include <runtime/money.h>

#include <QHash>
#include <QMap>
#include <QMutex>
#include <QSet>

namespace Schema {

namespace {

struct Registry
{
    QMutex lock;
    QMap<QString, Table> tables; // by upper-case name
    QHash<QString, Column> columns; // by upper-case name; the first declaration wins
    QStringList problems;
};

Registry &registry()
{
    static Registry r;
    return r;
}

void mergeInto(Table &known, const Table &table, QStringList &problems)
{
    for (const Column &c : table.columns) {
        auto same = std::find_if(known.columns.begin(), known.columns.end(),
                                 [&](const Column &k) { return k.name.compare(c.name, Qt::CaseInsensitive) == 0; });
        if (same == known.columns.end())
            known.columns.append(c);
        else if (!(*same == c))
            problems.append(QStringLiteral("%1.%2 declarado com tipos diferentes").arg(table.name, c.name));
    }
    for (const QStringList &index : table.indexes) {
        if (!known.indexes.contains(index))
            known.indexes.append(index);
    }
    if (known.primaryKey.isEmpty())
        known.primaryKey = table.primaryKey;
    else if (!table.primaryKey.isEmpty() && table.primaryKey != known.primaryKey)
        problems.append(QStringLiteral("%1 declarada com chaves diferentes").arg(table.name));
}

QString typeSql(const Column &c)
{
    switch (c.type) {
    case Type::Text:
        return QStringLiteral("VARCHAR(%1)").arg(c.size);
    case Type::Memo:
        return QStringLiteral("TEXT");
    case Type::Integer:
        return QStringLiteral("INTEGER");
    case Type::Number:
        return QStringLiteral("NUMERIC(%1,%2)").arg(c.size).arg(c.scale);
    case Type::DateTime:
        return QStringLiteral("TIMESTAMP");
    }
    return QString();
}

// What the base holds already, read in two catalogue queries: a till starting (and each test
// base) checks some hundred tables, and a query per table cost the server more than the rest of
// the start-up. Names are upper case whatever the base did with them.
struct Present
{
    QHash<QString, QHash<QString, int>> columns; // table -> column -> text size (0: none enforced)
    QSet<QString> indexes;
};

// Names and, where the base enforces it, the size of text columns (SQLite keeps any length,
// so it reports none).
const char *columnsQuery(DatabaseKind kind)
{
    return kind == DatabaseKind::SQLite
        ? "SELECT m.name, p.name, 0 FROM sqlite_master m JOIN pragma_table_info(m.name) p WHERE m.type = 'table'"
        : "SELECT table_name, column_name, COALESCE(character_maximum_length, 0) FROM information_schema.columns "
          "WHERE table_schema = current_schema()";
}

const char *indexesQuery(DatabaseKind kind)
{
    return kind == DatabaseKind::SQLite ? "SELECT name FROM sqlite_master WHERE type = 'index'"
                                        : "SELECT indexname FROM pg_indexes WHERE schemaname = current_schema()";
}

bool readPresent(Qub_movrela::DbConnection &connection, Present *present)
{
    Qub_movrela::QueryRows columns;
    Qub_movrela::QueryRows indexes;
    if (!connection.execute(QStringLiteral("schemaColunas"), QString::fromLatin1(columnsQuery(connection.kind())), {},
                            &columns)
        || !connection.execute(QStringLiteral("schemaIndices"), QString::fromLatin1(indexesQuery(connection.kind())), {},
                               &indexes))
        return false;
    for (const auto &row : std::as_const(columns.rows))
        present->columns[row.value(0).toString().toUpper()].insert(row.value(1).toString().toUpper(), row.value(2).toInt());
    for (const auto &row : std::as_const(indexes.rows))
        present->indexes.insert(row.value(0).toString().toUpper());
    return true;
}

// A text column an older base keeps narrower than declared is widened, so a value that now
// fits the declaration is not refused by the base.
bool widenColumn(Qub_movrela::DbConnection &connection, const Table &table, const Column &c, int present)
{
    if (c.type != Type::Text || present <= 0 || present >= c.size)
        return true;
    const QString sql = QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 TYPE %3").arg(table.name, c.name, typeSql(c));
    return connection.execute(QStringLiteral("schemaAlarga ") + table.name, sql, {});
}

// One name per table and columns, short enough for PostgreSQL's 63-character names.
QString indexName(const Table &table, const QStringList &columns)
{
    return (QStringLiteral("IX_") + table.name + QLatin1Char('_') + columns.join(QLatin1Char('_'))).left(63);
}

bool createIndexes(Qub_movrela::DbConnection &connection, const Table &table, const Present &present)
{
    for (const QStringList &columns : table.indexes) {
        const QString name = indexName(table, columns);
        if (present.indexes.contains(name.toUpper()))
            continue;
        const QString sql = QStringLiteral("CREATE INDEX IF NOT EXISTS %1 ON %2 (%3)")
                                .arg(name, table.name, columns.join(QStringLiteral(", ")));
        if (!connection.execute(QStringLiteral("schemaIndice ") + table.name, sql, {}))
            return false;
    }
    return true;
}

bool upgradeColumns(Qub_movrela::DbConnection &connection, const Table &table, const Present &present)
{
    const QHash<QString, int> sizes = present.columns.value(table.name.toUpper());
    if (sizes.isEmpty())
        return connection.execute(QStringLiteral("schemaCria ") + table.name, createTableSql(table), {});
    for (const Column &c : table.columns) {
        const auto size = sizes.constFind(c.name.toUpper());
        if (size != sizes.cend()) {
            if (!widenColumn(connection, table, c, *size))
                return false;
            continue;
        }
        const QString sql = QStringLiteral("ALTER TABLE %1 ADD COLUMN %2 %3").arg(table.name, c.name, typeSql(c));
        if (!connection.execute(QStringLiteral("schemaColuna ") + table.name, sql, {}))
            return false;
    }
    return true;
}

bool upgradeTable(Qub_movrela::DbConnection &connection, const Table &table, const Present &present)
{
    return upgradeColumns(connection, table, present) && createIndexes(connection, table, present);
}

// A number written to a declared column is rounded to its decimals here, for every writer:
// PostgreSQL's NUMERIC would round it while SQLite would keep every digit given.
Variant fitToColumn(const QString &parameter, const Variant &value)
{
    if (value.kind() != Variant::Kind::Double)
        return value;
    const std::optional<Column> declared = column(parameter);
    if (!declared || declared->type != Type::Number)
        return value;
    return Variant(Money::RoundDec(value.toDouble(), declared->scale));
}

[[maybe_unused]] const bool valuesFitted = [] {
    Qub_movrela::setValueFitter(&fitToColumn);
    return true;
}();

} // namespace

Column text(const char *name, int size)
{
    return {QString::fromUtf8(name), Type::Text, size, 0};
}

Column memo(const char *name)
{
    return {QString::fromUtf8(name), Type::Memo, 0, 0};
}

Column integer(const char *name)
{
    return {QString::fromUtf8(name), Type::Integer, 0, 0};
}

Column number(const char *name, int precision, int scale)
{
    return {QString::fromUtf8(name), Type::Number, precision, scale};
}

Column dateTime(const char *name)
{
    return {QString::fromUtf8(name), Type::DateTime, 0, 0};
}

Area::Area(std::initializer_list<Table> tables)
{
    Registry &r = registry();
    QMutexLocker lock(&r.lock);
    for (const Table &table : tables) {
        const QString key = table.name.toUpper();
        if (r.tables.contains(key))
            mergeInto(r.tables[key], table, r.problems);
        else
            r.tables.insert(key, table);
        for (const Column &c : table.columns) {
            if (!r.columns.contains(c.name.toUpper()))
                r.columns.insert(c.name.toUpper(), c);
        }
    }
}

QList<Table> tables()
{
    QMutexLocker lock(&registry().lock);
    return registry().tables.values();
}

std::optional<Column> column(const QString &name)
{
    QMutexLocker lock(&registry().lock);
    const auto found = registry().columns.constFind(name.toUpper());
    if (found == registry().columns.cend())
        return std::nullopt;
    return *found;
}

QStringList problems()
{
    QMutexLocker lock(&registry().lock);
    QStringList found = registry().problems;
    // One column name means one kind of data across tables, so packets type it alike.
    QMap<QString, Column> seen;
    for (const Table &table : std::as_const(registry().tables)) {
        for (const Column &c : table.columns) {
            const QString key = c.name.toUpper();
            if (seen.contains(key) && seen[key].type != c.type)
                found.append(QStringLiteral("%1.%2 com tipo diferente do de outra tabela").arg(table.name, c.name));
            seen.insert(key, c);
        }
    }
    return found;
}

QString createTableSql(const Table &table)
{
    QStringList parts;
    for (const Column &c : table.columns) {
        const bool key = table.primaryKey.contains(c.name, Qt::CaseInsensitive);
        parts.append(QStringLiteral("%1 %2%3").arg(c.name, typeSql(c), key ? QStringLiteral(" NOT NULL") : QString()));
    }
    if (!table.primaryKey.isEmpty())
        parts.append(QStringLiteral("PRIMARY KEY (%1)").arg(table.primaryKey.join(QStringLiteral(", "))));
    return QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)").arg(table.name, parts.join(QStringLiteral(", ")));
}

Variant upgrade(Qub_movrela::DbConnection &connection)
{
    const bool joined = connection.inTransaction();
    if (!joined && !connection.begin())
        return Variant::failure(Qub_movrela::ADOExceptionMessage(connection.lastError(), connection, QString()));
    Present present;
    const bool read = readPresent(connection, &present);
    for (const Table &table : tables()) {
        if (!read || !upgradeTable(connection, table, present)) {
            const Qub_movrela::DbError error = connection.lastError();
            if (!joined)
                connection.rollback();
            return Variant::failure(Qub_movrela::ADOExceptionMessage(error, connection, QString()));
        }
    }
    if (!joined && !connection.commit())
        return Variant::failure(Qub_movrela::ADOExceptionMessage(connection.lastError(), connection, QString()));
    return Variant();
}

} // namespace Schema
