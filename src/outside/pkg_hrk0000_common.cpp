#include "pkg_hrk0000_common.h"

#include <QDebug>

namespace HostPackages {

QString notInstalledText(const QString &routine)
{
    return QStringLiteral("serviço não instalado: %1").arg(routine);
}

void reportNotInstalled(const QString &routine)
{
    qWarning().noquote() << notInstalledText(routine);
}

} // namespace HostPackages

HostResult HostResult::notInstalled(const QString &routine)
{
    HostPackages::reportNotInstalled(routine);
    return {false, HostPackages::notInstalledText(routine)};
}

TextAnswer TextAnswer::notInstalled(const QString &routine)
{
    HostPackages::reportNotInstalled(routine);
    return {false, {}, HostPackages::notInstalledText(routine)};
}

namespace {

// The line's name when it has one ("name=value"); an empty text for a line without "=".
QString lineName(const QString &line)
{
    const int at = line.indexOf(QLatin1Char('='));
    return at < 0 ? QString() : line.left(at);
}

int indexOfName(const QStringList &lines, const QString &name)
{
    for (int i = 0; i < lines.size(); ++i) {
        if (lineName(lines.at(i)).compare(name, Qt::CaseInsensitive) == 0 && !name.isEmpty())
            return i;
    }
    return -1;
}

} // namespace

QString NameValueList::value(const QString &name) const
{
    const int at = indexOfName(m_lines, name);
    if (at < 0)
        return {};
    const QString &line = m_lines.at(at);
    return line.mid(line.indexOf(QLatin1Char('=')) + 1);
}

bool NameValueList::contains(const QString &name) const
{
    return indexOfName(m_lines, name) >= 0;
}

void NameValueList::setValue(const QString &name, const QString &value)
{
    const QString line = name + QLatin1Char('=') + value;
    const int at = indexOfName(m_lines, name);
    if (at < 0)
        m_lines.append(line);
    else
        m_lines[at] = line;
}
