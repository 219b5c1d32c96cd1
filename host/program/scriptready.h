#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>

class QWidget;

// Tells a script when the sale screen is ready for its next step, from what the screen does
// rather than from how long it has had. The screen is ready when
//  - what the last step started has been handled: a few turns of the event loop in a row go by
//    with nothing delivered to any object (posted events, queued calls, timers that were due,
//    window-system events such as a window's activation);
//  - no wait of the till's own is in progress: no event loop runs deeper than the modal windows
//    on the screen (a card program's answer awaited, a partner's HTTP answer, a pause of the
//    till), since such a loop answers to no one at the screen;
//  - the modal window shown last (the sale form, a dialog) has been the active window, unless
//    the screen stays quiet for a while without it (the platform activated another window).
// Between two looks it costs nothing: a look that finds the screen busy waits for the screen's
// next event, or for the next look().
class ScreenReadiness : public QObject
{
public:
    explicit ScreenReadiness(std::function<void()> ready, QObject *parent = nullptr);
    ~ScreenReadiness() override;

    // From now on, `ready` is called once, from the event loop, as soon as the screen is ready.
    void look();
    void stop();
    // Events delivered to `object` (the caller's own timers) are not the screen's.
    void ignore(const QObject *object) { m_ignored = object; }
    // What kept the screen busy at the last look; empty when nothing did.
    QString why() const { return m_why; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void probe();
    QString busy() const;
    QString inactiveWindow() const;

    std::function<void()> m_ready;
    QTimer m_probe;            // fires at a turn of the loop shortly after
    const QObject *m_ignored = nullptr;
    bool m_looking = false;
    quint64 m_events = 0;      // events delivered to anything but the probe
    quint64 m_seen = 0;        // m_events at the last probe
    int m_quietTurns = 0;
    int m_inactiveLooks = 0;   // quiet looks with only the window's activation missing
    QPointer<QWidget> m_shown; // the modal window shown last, until it has been active
    QString m_why;
};
