#pragma once

#include "script.h"
#include "scriptready.h"

#include <QDir>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <optional>

class QWidget;

// Replays a script on the running sale screen. Each step runs as soon as the screen is ready
// for it (ScreenReadiness: what the step before started has been handled, no wait of the till's
// own is going on, the window shown last is active), from whatever event loop is current (the
// modal sale form's, or a dialog's inside it); key presses and clicks are posted rather than
// sent, so a step that opens a modal window never blocks the steps after it. A screen that is
// not ready in a generous time fails the run rather than hanging it. Each step is logged; the
// first failure (a failed expectation, a control that is not there, a screen that never shows
// or never gets ready) ends the run with exit code 1. At the end the runner closes the screen;
// the host loop then stops with exitCode().
class ScriptRunner : public QObject
{
    Q_OBJECT
public:
    ScriptRunner(QList<HostScript::Step> steps, const QDir &baseFolder, QObject *parent = nullptr);

    void start();
    std::optional<int> exitCode() const { return m_exitCode; }
    // The line of the first step not run yet; 0 when every step ran.
    int pendingLine() const { return m_index < m_steps.size() ? m_steps[m_index].line : 0; }

    // The sale form when it is up: the top-level "frmVendaCons" (or class TfrmVendaCons),
    // else the active modal window.
    static QWidget *saleForm();
    // A widget of that objectName in any top-level window (the top-levels themselves too).
    static QWidget *findControl(const QString &objectName);
    // The caption a person reads on a control: its "text" property, else its title.
    static QString captionOf(const QWidget *widget);

private:
    void awaitStep();
    void poll();
    void screenReady();
    bool aftermathDone();
    QString overdue() const;
    bool needsForm(const HostScript::Step &step) const;
    bool run(const HostScript::Step &step);
    void postKey(QKeyCombination key, const QString &text);
    bool click(const QString &objectName);
    bool expectRow(const HostScript::Step &step);
    bool expect(const HostScript::Step &step);
    void advanceClock(int milliseconds);
    bool fireTimer(const QString &name);
    bool startSync(const QString &file);
    bool screenshot(const QString &file);
    const HostScript::Step *stepAt(int index) const;
    void fail(const HostScript::Step &step, const QString &why);
    void finish(int code);
    void closeWindows();

    QList<HostScript::Step> m_steps;
    QDir m_base;
    int m_index = 0;
    ScreenReadiness m_readiness;
    QTimer m_poll;             // while a step waits: its limits, and what it waits for besides the screen
    QElapsedTimer m_waiting;   // how long the step at m_index has waited
    // What a step left going that the next one waits for: its sync file taken away, its timer
    // running again (a handler that stops its own timer while its work goes on on a thread).
    int m_aftermathOf = -1;
    QString m_syncFile;
    QPointer<QTimer> m_restarting;
    qint64 m_clockAhead = 0;   // the host's clock runs this far ahead (clock and wait steps)
    std::optional<int> m_exitCode;
};
