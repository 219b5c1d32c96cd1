#include "srv_tabs_list.h"

namespace TabList {

QStringList numbers(const QString &text)
{
    QStringList found;
    QString current;
    const auto flush = [&] {
        if (!current.isEmpty() && !found.contains(current))
            found.append(current);
        current.clear();
    };
    for (const QChar c : text) {
        if (c.isLetterOrNumber())
            current.append(c);
        else
            flush();
    }
    flush();
    return found;
}

QString parameter(const QString &text)
{
    return QLatin1Char(',') + numbers(text).join(QLatin1Char(',')) + QLatin1Char(',');
}

} // namespace TabList
