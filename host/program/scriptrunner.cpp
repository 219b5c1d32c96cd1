#include "scriptrunner.h"

#include "hostlog.h"
#include "scriptedanswers.h"

#include <runtime/clock.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QPixmap>
#include <QTimer>

#include <cstdlib>

namespace {

constexpr int PollMs = 10;          // how often a waiting step looks at its limits and its sync file
constexpr int FormWaitMs = 30000;
constexpr int ReadyLimitMs = 120000; // the longest the screen may stay busy before a step
constexpr int ExitGraceMs = 10000;  // the screen has this long to close before the host ends hard
constexpr int SyncWaitMs = 120000;  // how long a sync step waits for its file to be taken away

using HostScript::Step;
using HostScript::StepKind;

// The Qt key of a typed character (Latin-1 keys are their upper-case code).
Qt::Key keyOf(QChar c)
{
    const QChar upper = c.toUpper();
    return upper.unicode() < 0x100 ? Qt::Key(upper.unicode()) : Qt::Key_unknown;
}

} // namespace

ScriptRunner::ScriptRunner(QList<Step> steps, const QDir &baseFolder, QObject *parent)
    : QObject(parent), m_steps(std::move(steps)), m_base(baseFolder), m_readiness([this] { screenReady(); })
{
    m_poll.setInterval(PollMs);
    connect(&m_poll, &QTimer::timeout, this, &ScriptRunner::poll);
    m_readiness.ignore(&m_poll);
}

void ScriptRunner::start()
{
    HostLog::write(QStringLiteral("roteiro: %1 passos").arg(m_steps.size()));
    awaitStep();
}

// The step at m_index (or the end) is the next one: it runs once the screen is ready for it.
void ScriptRunner::awaitStep()
{
    m_waiting.start();
    m_readiness.look();
    m_poll.start();
}

void ScriptRunner::poll()
{
    if (m_exitCode) {
        m_poll.stop();
        return;
    }
    const QString late = overdue();
    if (!late.isEmpty()) {
        if (const Step *step = stepAt(m_aftermathOf >= 0 ? m_aftermathOf : m_index))
            fail(*step, late);
        else
            finish(1);
        return;
    }
    m_readiness.look();
}

const Step *ScriptRunner::stepAt(int index) const
{
    if (m_steps.isEmpty())
        return nullptr;
    return &m_steps[qBound(0, index, int(m_steps.size()) - 1)];
}

QWidget *ScriptRunner::saleForm()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->isVisible()
            && (widget->objectName() == QLatin1String("frmVendaCons")
                || QLatin1String(widget->metaObject()->className()) == QLatin1String("TfrmVendaCons")))
            return widget;
    }
    QWidget *modal = QApplication::activeModalWidget();
    return modal && modal->isVisible() ? modal : nullptr;
}

QWidget *ScriptRunner::findControl(const QString &objectName)
{
    for (QWidget *top : QApplication::topLevelWidgets()) {
        if (!top->isVisible())
            continue;
        if (top->objectName() == objectName)
            return top;
        if (auto *child = top->findChild<QWidget *>(objectName))
            return child;
    }
    return nullptr;
}

QString ScriptRunner::captionOf(const QWidget *widget)
{
    const QVariant text = widget->property("text");
    if (text.isValid())
        return text.toString();
    const QVariant caption = widget->property("caption");
    return caption.isValid() ? caption.toString() : widget->windowTitle();
}

bool ScriptRunner::needsForm(const Step &step) const
{
    return step.kind != StepKind::Answer && step.kind != StepKind::Wait && step.kind != StepKind::Quit
           && step.kind != StepKind::Clock && step.kind != StepKind::Sync;
}

// Whatever the last step left going is over: its sync file was taken away, its timer runs again.
bool ScriptRunner::aftermathDone()
{
    if (!m_syncFile.isEmpty() && QFileInfo::exists(m_syncFile))
        return false;
    if (m_restarting && !m_restarting->isActive())
        return false;
    m_syncFile.clear();
    m_restarting.clear();
    m_aftermathOf = -1;
    return true;
}

// Why the next step cannot wait any longer; empty while it may.
QString ScriptRunner::overdue() const
{
    const qint64 waited = m_waiting.elapsed();
    if (!m_syncFile.isEmpty() && QFileInfo::exists(m_syncFile))
        return waited > SyncWaitMs ? QStringLiteral("ninguém retirou %1 em %2 s").arg(m_syncFile).arg(SyncWaitMs / 1000)
                                   : QString();
    if (m_restarting && !m_restarting->isActive())
        return waited > ReadyLimitMs ? QStringLiteral("o temporizador %1 não voltou a correr em %2 s")
                                           .arg(m_restarting->objectName())
                                           .arg(ReadyLimitMs / 1000)
                                     : QString();
    const Step *step = m_index < m_steps.size() ? &m_steps[m_index] : nullptr;
    if (step && needsForm(*step) && !saleForm()) {
        const int limit = step->kind == StepKind::WaitForm ? step->milliseconds : FormWaitMs;
        return waited > limit ? QStringLiteral("a tela de venda não apareceu em %1 s").arg(limit / 1000) : QString();
    }
    if (waited <= ReadyLimitMs)
        return QString();
    const QString why = m_readiness.why();
    return QStringLiteral("a tela não ficou pronta em %1 s").arg(ReadyLimitMs / 1000)
           + (why.isEmpty() ? QString() : QStringLiteral(": ") + why);
}

void ScriptRunner::screenReady()
{
    if (m_exitCode || !aftermathDone())
        return; // the poll looks again
    if (m_index >= m_steps.size()) {
        m_poll.stop();
        finish(0);
        return;
    }
    const Step &step = m_steps[m_index];
    if (needsForm(step) && !saleForm())
        return;
    m_poll.stop();
    HostLog::write(QStringLiteral("roteiro, linha %1: %2").arg(step.line).arg(HostScript::describe(step)));
    const int index = m_index;
    if (!run(step))
        return;
    m_index = index + 1;
    awaitStep();
}

bool ScriptRunner::run(const Step &step)
{
    switch (step.kind) {
    case StepKind::WaitForm:
        return true;
    case StepKind::Wait:
        // What the till was doing is over (the screen is ready); what it times sees the time gone.
        advanceClock(step.milliseconds);
        return true;
    case StepKind::Key:
        postKey(step.key, QString());
        return true;
    case StepKind::Type:
        for (const QChar c : step.text)
            postKey(QKeyCombination(keyOf(c)), QString(c));
        return true;
    case StepKind::Click:
        if (click(step.target))
            return true;
        fail(step, QStringLiteral("não há controle \"%1\" visível").arg(step.target));
        return false;
    case StepKind::Answer:
        ScriptedAnswers::push(step.answer, {step.cancel, step.text});
        return true;
    case StepKind::Screenshot:
        if (screenshot(step.target))
            return true;
        fail(step, QStringLiteral("não foi possível gravar a imagem ") + m_base.absoluteFilePath(step.target));
        return false;
    case StepKind::Expect:
        return expect(step);
    case StepKind::ExpectRow:
        return expectRow(step);
    case StepKind::Quit:
        finish(0);
        return false;
    case StepKind::Clock:
        advanceClock(step.milliseconds);
        return true;
    case StepKind::Timer:
        if (fireTimer(step.target))
            return true;
        fail(step, QStringLiteral("não há temporizador \"%1\"").arg(step.target));
        return false;
    case StepKind::Sync:
        if (startSync(step.target))
            return true; // the next step waits for the file to be gone
        fail(step, QStringLiteral("não foi possível criar ") + m_base.absoluteFilePath(step.target));
        return false;
    }
    return true;
}

// The host's clock runs ahead by the sum of the clock and wait steps: what waits half a minute
// in the sale (a stuck print job) is seen at once.
void ScriptRunner::advanceClock(int milliseconds)
{
    m_clockAhead += milliseconds;
    const qint64 offset = m_clockAhead;
    Clock::setNow([offset] { return QDateTime::currentDateTime().addMSecs(offset); });
}

bool ScriptRunner::fireTimer(const QString &name)
{
    QWidget *form = saleForm();
    QTimer *timer = form ? form->findChild<QTimer *>(name) : nullptr;
    if (!timer)
        return false;
    // A running timer whose handler stops it while its work goes on elsewhere (the printer
    // failover's run on a thread) is started again when that work ends: the next step waits.
    if (timer->isActive()) {
        m_restarting = timer;
        m_aftermathOf = m_index;
    }
    // As if its interval had passed: the timer's own handler runs, from the event loop.
    return QMetaObject::invokeMethod(timer, "timeout", Qt::QueuedConnection);
}

// Another program (a test) looks at the site while the screen stands still between two steps:
// the file says so, and the run goes on when that program removes it.
// Answers the steps before it left unused are dropped, and logged: a dialog of the steps after
// it gets only the answers queued after it.
bool ScriptRunner::startSync(const QString &file)
{
    QStringList unused;
    for (int kind = 0; kind <= int(ScriptedAnswers::Kind::Consumer); ++kind) {
        const auto k = ScriptedAnswers::Kind(kind);
        if (const int left = ScriptedAnswers::pending(k))
            unused << QStringLiteral("%1 %2").arg(ScriptedAnswers::kindName(k)).arg(left);
    }
    ScriptedAnswers::clear();
    if (!unused.isEmpty())
        HostLog::write(QStringLiteral("roteiro: respostas não usadas antes da marca: ") + unused.join(QStringLiteral(", ")));
    const QString path = m_base.absoluteFilePath(file);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile mark(path);
    if (!mark.open(QIODevice::WriteOnly))
        return false;
    mark.close();
    m_syncFile = path;
    m_aftermathOf = m_index;
    return true;
}

void ScriptRunner::postKey(QKeyCombination key, const QString &text)
{
    QWidget *window = QApplication::activeModalWidget();
    if (!window)
        window = saleForm();
    if (!window)
        return;
    QWidget *target = window->focusWidget() ? window->focusWidget() : window;
    QString eventText = text;
    if (eventText.isEmpty() && key.key() == Qt::Key_Return)
        eventText = QStringLiteral("\r");
    else if (eventText.isEmpty() && key.key() == Qt::Key_Escape)
        eventText = QString(QChar(0x1b));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, key.key(), key.keyboardModifiers(), eventText));
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyRelease, key.key(), key.keyboardModifiers(), eventText));
}

bool ScriptRunner::click(const QString &objectName)
{
    QWidget *widget = findControl(objectName);
    if (!widget || !widget->isVisible())
        return false;
    if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
        // Queued: a click that opens a modal window must not hold the script.
        QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
        return true;
    }
    const QPointF centre = QRectF(widget->rect()).center();
    const QPointF global = widget->mapToGlobal(centre);
    QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonPress, centre, global, Qt::LeftButton,
                                                        Qt::LeftButton, Qt::NoModifier));
    QCoreApplication::postEvent(widget, new QMouseEvent(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton,
                                                        Qt::NoButton, Qt::NoModifier));
    return true;
}

bool ScriptRunner::expect(const Step &step)
{
    QWidget *widget = findControl(step.target);
    if (!widget) {
        fail(step, QStringLiteral("não há controle \"%1\"").arg(step.target));
        return false;
    }
    const QString actual = captionOf(widget);
    if (actual.trimmed() == step.text.trimmed()) {
        HostLog::write(QStringLiteral("roteiro: %1 = \"%2\" (ok)").arg(step.target, actual));
        return true;
    }
    fail(step, QStringLiteral("%1 mostra \"%2\", esperado \"%3\"").arg(step.target, actual, step.text));
    return false;
}

// The first column of a line of a list (the receipt grid dbgCupom) must show the text.
bool ScriptRunner::expectRow(const Step &step)
{
    auto *view = qobject_cast<QAbstractItemView *>(findControl(step.target));
    if (!view || !view->model()) {
        fail(step, QStringLiteral("não há lista \"%1\"").arg(step.target));
        return false;
    }
    const QAbstractItemModel *model = view->model();
    const QString actual = step.row <= model->rowCount() ? model->index(step.row - 1, 0).data().toString() : QString();
    if (actual.trimmed() == step.text.trimmed()) {
        HostLog::write(QStringLiteral("roteiro: %1 linha %2 = \"%3\" (ok)").arg(step.target).arg(step.row).arg(actual));
        return true;
    }
    fail(step, QStringLiteral("%1 linha %2 mostra \"%3\", esperado \"%4\"").arg(step.target).arg(step.row).arg(actual, step.text));
    return false;
}

bool ScriptRunner::screenshot(const QString &file)
{
    QWidget *form = saleForm();
    if (!form)
        return false;
    const QString path = m_base.absoluteFilePath(file);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const bool saved = form->grab().save(path, "PNG");
    if (saved)
        HostLog::write(QStringLiteral("roteiro: imagem gravada em ") + path);
    return saved;
}

void ScriptRunner::fail(const Step &step, const QString &why)
{
    HostLog::write(QStringLiteral("roteiro FALHOU na linha %1 (%2): %3").arg(step.line).arg(HostScript::describe(step), why));
    finish(1);
}

void ScriptRunner::finish(int code)
{
    if (m_exitCode)
        return;
    m_exitCode = code;
    m_poll.stop();
    m_readiness.stop();
    HostLog::write(code == 0 ? QStringLiteral("roteiro concluído") : QStringLiteral("roteiro encerrado com erro"));
    closeWindows();
    // A screen that keeps itself open past this ends with the host all the same.
    QTimer::singleShot(ExitGraceMs, [code] {
        HostLog::write(QStringLiteral("a tela de venda não fechou; encerrando o host"));
        std::_Exit(code);
    });
}

void ScriptRunner::closeWindows()
{
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (!widget->isVisible())
            continue;
        if (auto *dialog = qobject_cast<QDialog *>(widget))
            dialog->reject();
        else
            widget->close();
    }
    // Every event loop in progress returns, so the entry call comes back to the host loop.
    QCoreApplication::exit(m_exitCode.value_or(0));
}
