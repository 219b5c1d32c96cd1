#include "tillfiles.h"

#include "salestate_load.h"

#include <type_traits>

namespace {

// The field a member's column has in the file, and its value when nothing is set. Flags are
// kept as "S" / "N" text, as the file keeps them.
template <class Family, class T>
TillFiles::ParameterColumn columnFor(const QString &name, T Family::*)
{
    if constexpr (std::is_same_v<T, int>)
        return {{name, FieldType::Integer, 0}, Variant(0)};
    else if constexpr (std::is_same_v<T, double>)
        return {{name, FieldType::Double, 0}, Variant(0.0)};
    else if constexpr (std::is_same_v<T, QDateTime>)
        return {{name, FieldType::DateTime, 0}, Variant::null()};
    else if constexpr (std::is_same_v<T, bool>)
        return {{name, FieldType::String, 1}, Variant(QStringLiteral("N"))};
    else
        return {{name, FieldType::String, 255}, Variant(QString())};
}

} // namespace

namespace TillFiles {

QList<ParameterColumn> parameterColumns()
{
    QList<ParameterColumn> columns;
    for (const ::ParameterColumn &entry : ::parameterColumns()) {
        const QString name = QString::fromLatin1(entry.column);
        // The self-service flag is kept as the text "TAA", not as the number it becomes.
        if (entry.conversion == ParameterConversion::TaaFlag)
            columns.append({{name, FieldType::String, 10}, Variant(QString())});
        else
            columns.append(std::visit([&](auto member) { return columnFor(name, member); }, entry.member));
    }
    return columns;
}

} // namespace TillFiles
