#pragma once

#include "script.h"

#include <QDir>
#include <QElapsedTimer>
#include <QObject>

#include <optional>

class QWidget;

// Replays a script on the running sale screen. Every step runs from a timer of whatever event
// loop is current (the modal sale form's, or a dialog's inside it), and key presses and
// clicks are posted rather than sent, so a step that opens a modal window never blocks the
// steps after it. Each step is logged; the first failure (a failed expectation, a control
// that is not there, a screen that never shows) ends the run with exit code 1. At the end the
// runner closes the screen; the host loop then stops with exitCode().
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
    void schedule(int delayMs);
    void runCurrent();
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
    void fail(const HostScript::Step &step, const QString &why);
    void finish(int code);
    void closeWindows();

    QList<HostScript::Step> m_steps;
    QDir m_base;
    int m_index = 0;
    bool m_formSeen = false;
    QElapsedTimer m_waiting; // how long the current step has waited for the form or its sync file
    bool m_syncing = false;  // a sync step's file is out, waiting to be taken away
    std::optional<int> m_exitCode;
};
