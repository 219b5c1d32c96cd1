#pragma once

#include "scriptedanswers.h"

#include <QKeyCombination>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The text scripts that `vendacons-host --script FILE` replays on the sale screen, one step a
// line ("#" starts a comment line). host/README.md documents the steps.
namespace HostScript {

enum class StepKind { WaitForm, Key, Type, Click, Answer, Wait, Screenshot, Expect, ExpectRow, Quit, Clock, Timer, Sync };

struct Step
{
    StepKind kind = StepKind::Wait;
    int line = 0;
    QString target;          // objectName (click, expect), file (screenshot, sync)
    QString text;            // typed text, expected caption, scripted value
    QKeyCombination key{};   // key
    ScriptedAnswers::Kind answer = ScriptedAnswers::Kind::Keypad;
    bool cancel = false;     // answer ... cancel
    int milliseconds = 0;    // wait; wait-form's limit
    int row = 0;             // expect-row: the line of the list, from 1
};

struct Parsed
{
    QList<Step> steps;
    QStringList errors; // "linha N: ..."
    bool ok() const { return errors.isEmpty(); }
};

Parsed parse(const QString &text);
// "Enter", "Esc", "F5", "Alt+I", "Ctrl+Shift+X", "Tab", "Up", ...
std::optional<QKeyCombination> parseKey(const QString &name);
// The step as the run log shows it.
QString describe(const Step &step);

} // namespace HostScript
