#include "scriptready.h"

#include <QApplication>
#include <QEvent>
#include <QThread>
#include <QWidget>

namespace {

// Looks in a row with nothing delivered between them: the first may still be followed, in the
// same turn of the loop, by a source dispatched after the probe; the second has seen a whole turn.
constexpr int QuietTurns = 2;
// Between two looks the loop has a moment with nothing due: code of the till that polls with
// processEvents() until something happens (the sale-kind chooser) sees it return and checks
// its condition before the next step comes.
constexpr int ProbeMs = 1;
// Quiet looks in a row after which a window shown and still not active is no longer awaited.
constexpr int InactiveLooks = 50;

bool isSaleForm(const QWidget *widget)
{
    return widget->objectName() == QLatin1String("frmVendaCons")
           || QLatin1String(widget->metaObject()->className()) == QLatin1String("TfrmVendaCons");
}

int modalWindows()
{
    int count = 0;
    for (const QWidget *widget : QApplication::topLevelWidgets())
        if (widget->isVisible() && widget->isModal())
            ++count;
    return count;
}

QString nameOf(const QWidget *widget)
{
    return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className()) : widget->objectName();
}

} // namespace

ScreenReadiness::ScreenReadiness(std::function<void()> ready, QObject *parent)
    : QObject(parent), m_ready(std::move(ready))
{
    m_probe.setSingleShot(true);
    m_probe.setInterval(ProbeMs);
    m_probe.setTimerType(Qt::PreciseTimer);
    connect(&m_probe, &QTimer::timeout, this, &ScreenReadiness::probe);
    qApp->installEventFilter(this);
}

ScreenReadiness::~ScreenReadiness()
{
    if (qApp)
        qApp->removeEventFilter(this);
}

void ScreenReadiness::look()
{
    if (!m_looking) {
        m_looking = true;
        m_seen = m_events;
        m_quietTurns = 0;
    }
    if (!m_probe.isActive())
        m_probe.start();
}

void ScreenReadiness::stop()
{
    m_looking = false;
    m_probe.stop();
}

bool ScreenReadiness::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_probe || watched == m_ignored)
        return false;
    ++m_events;
    if (event->type() == QEvent::Show && watched->isWidgetType()) {
        auto *widget = static_cast<QWidget *>(watched);
        if (widget->isWindow() && (widget->isModal() || isSaleForm(widget)))
            m_shown = widget;
    }
    // Once active, the window is settled, whatever takes the activation from it afterwards
    // (a wait window of the till's).
    if (event->type() == QEvent::WindowActivate && watched == m_shown)
        m_shown.clear();
    // A look that found the screen busy goes on with the screen's next event.
    if (m_looking && !m_probe.isActive())
        m_probe.start();
    return false;
}

void ScreenReadiness::probe()
{
    if (!m_looking)
        return;
    if (m_events != m_seen) {
        m_seen = m_events;
        m_quietTurns = 0;
        m_inactiveLooks = 0;
        m_probe.start();
        return;
    }
    m_why = busy();
    if (!m_why.isEmpty() && m_why == inactiveWindow() && ++m_inactiveLooks >= InactiveLooks) {
        // Nothing at all has happened for a while and the window is still not active: the
        // platform gave the activation to another window, and none is coming.
        m_shown.clear();
        m_why.clear();
    }
    if (!m_why.isEmpty()) {
        m_quietTurns = 0;
        if (m_why == inactiveWindow())
            m_probe.start(); // the activation comes as an event, or not at all: keep looking
        return;
    }
    m_inactiveLooks = 0;
    if (++m_quietTurns < QuietTurns) {
        m_probe.start();
        return;
    }
    m_looking = false;
    m_quietTurns = 0;
    m_ready();
}

QString ScreenReadiness::busy() const
{
    const int loops = QThread::currentThread()->loopLevel();
    const int modal = modalWindows();
    if (loops > modal)
        return QStringLiteral("a tela está numa espera sua (%1 laços de eventos para %2 janelas modais)").arg(loops).arg(modal);
    return inactiveWindow();
}

QString ScreenReadiness::inactiveWindow() const
{
    if (m_shown && m_shown->isVisible() && !m_shown->isActiveWindow())
        return QStringLiteral("a janela %1 ainda não está ativa").arg(nameOf(m_shown));
    return QString();
}
