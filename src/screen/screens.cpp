#include "screens.h"

#include <QGuiApplication>
#include <QScreen>

namespace {

std::function<QList<QRect>()> &source()
{
    static std::function<QList<QRect>()> installed;
    return installed;
}

QList<QRect> platformMonitors()
{
    QList<QRect> found;
    if (QGuiApplication::primaryScreen())
        found.append(QGuiApplication::primaryScreen()->geometry());
    for (QScreen *screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen())
            found.append(screen->geometry());
    }
    return found;
}

} // namespace

namespace Screens {

QList<QRect> monitors()
{
    return source() ? source()() : platformMonitors();
}

int monitorCount()
{
    return int(monitors().size());
}

QSize screenSize()
{
    const QList<QRect> found = monitors();
    return found.isEmpty() ? QSize(800, 600) : found.first().size();
}

void setMonitors(std::function<QList<QRect>()> replacement)
{
    source() = std::move(replacement);
}

} // namespace Screens
