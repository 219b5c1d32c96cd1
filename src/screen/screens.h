#pragma once

#include <QList>
#include <QRect>

#include <functional>

// The machine's monitors, as the sale form and the customer display see them: the first is the
// main screen, the second (when there is one) carries the customer display. Tests replace the
// source to pretend another set of monitors.
namespace Screens {

QList<QRect> monitors();
int monitorCount();
// The main screen's size; 800 x 600 when the platform reports no screen at all.
QSize screenSize();

// Replaces the source of monitors(); an empty function restores the platform's screens.
void setMonitors(std::function<QList<QRect>()> source);

} // namespace Screens
