#include "scriptrunner.h"

#include "hostlog.h"

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

constexpr int StepDelayMs = 150;
constexpr int PollMs = 100;
constexpr int SettleMs = 700;     // the form's show and activation work after it appears
constexpr int FormWaitMs = 30000;
constexpr int ExitGraceMs = 10000; // the screen has this long to close before the host ends hard
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
    : QObject(parent), m_steps(std::move(steps)), m_base(baseFolder)
{
}

void ScriptRunner::start()
{
    HostLog::write(QStringLiteral("roteiro: %1 passos").arg(m_steps.size()));
    schedule(0);
}

void ScriptRunner::schedule(int delayMs)
{
    QTimer::singleShot(delayMs, this, &ScriptRunner::runCurrent);
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

void ScriptRunner::runCurrent()
{
    if (m_exitCode)
        return;
    if (m_index >= m_steps.size()) {
        finish(0);
        return;
    }
    const Step &step = m_steps[m_index];
    if (needsForm(step) && !saleForm()) {
        if (!m_waiting.isValid())
            m_waiting.start();
        const int limit = step.kind == StepKind::WaitForm ? step.milliseconds : FormWaitMs;
        if (m_waiting.elapsed() > limit) {
            fail(step, QStringLiteral("a tela de venda não apareceu em %1 s").arg(limit / 1000));
            return;
        }
        schedule(PollMs);
        return;
    }
    if (step.kind == StepKind::Sync && m_syncing) {
        if (QFileInfo::exists(m_base.absoluteFilePath(step.target))) {
            if (m_waiting.elapsed() > SyncWaitMs) {
                fail(step, QStringLiteral("ninguém retirou %1 em %2 s").arg(step.target).arg(SyncWaitMs / 1000));
                return;
            }
            schedule(PollMs);
            return;
        }
        m_syncing = false;
        m_waiting.invalidate();
        ++m_index;
        schedule(StepDelayMs);
        return;
    }
    m_waiting.invalidate();
    if (needsForm(step) && !m_formSeen) {
        m_formSeen = true;
        schedule(SettleMs);
        return;
    }
    HostLog::write(QStringLiteral("roteiro, linha %1: %2").arg(step.line).arg(HostScript::describe(step)));
    if (!run(step))
        return;
    ++m_index;
    schedule(step.kind == StepKind::Wait ? step.milliseconds : StepDelayMs);
}

bool ScriptRunner::run(const Step &step)
{
    switch (step.kind) {
    case StepKind::WaitForm:
    case StepKind::Wait:
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
            return false; // runCurrent goes on once the file is gone
        fail(step, QStringLiteral("não foi possível criar ") + m_base.absoluteFilePath(step.target));
        return false;
    }
    return true;
}

// The host's clock runs ahead by the sum of the clock steps: what waits half a minute in the
// sale (a stuck print job) is seen at once.
void ScriptRunner::advanceClock(int milliseconds)
{
    static qint64 ahead = 0;
    ahead += milliseconds;
    const qint64 offset = ahead;
    Clock::setNow([offset] { return QDateTime::currentDateTime().addMSecs(offset); });
}

bool ScriptRunner::fireTimer(const QString &name)
{
    QWidget *form = saleForm();
    QTimer *timer = form ? form->findChild<QTimer *>(name) : nullptr;
    if (!timer)
        return false;
    // As if its interval had passed: the timer's own handler runs.
    return QMetaObject::invokeMethod(timer, "timeout");
}

// Another program (a test) looks at the site while the screen stands still between two steps:
// the file says so, and the run goes on when that program removes it.
bool ScriptRunner::startSync(const QString &file)
{
    const QString path = m_base.absoluteFilePath(file);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile mark(path);
    if (!mark.open(QIODevice::WriteOnly))
        return false;
    mark.close();
    m_syncing = true;
    m_waiting.start();
    schedule(PollMs);
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
