#include "waitwindow.h"

#include <host/program/hostlog.h>

#include <QApplication>
#include <QLabel>
#include <QPointer>

namespace WaitWindow {

namespace {

QPointer<QLabel> &window()
{
    static QPointer<QLabel> label;
    return label;
}

} // namespace

HostResult AtivaProcesso(const WaitWindowRequest &request)
{
    QPointer<QLabel> &label = window();
    if (!label) {
        label = new QLabel(request.owner, Qt::Dialog | Qt::FramelessWindowHint);
        label->setObjectName(QStringLiteral("frmAguarde"));
        label->setAlignment(Qt::AlignCenter);
        label->setMinimumSize(420, 90);
        label->setStyleSheet(QStringLiteral("QLabel { background: #FFFDE7; border: 2px solid #9E9E9E; "
                                            "font-size: 15px; padding: 12px; }"));
        label->setAttribute(Qt::WA_DeleteOnClose);
    }
    label->setText(request.text.trimmed());
    label->adjustSize();
    if (request.owner)
        label->move(request.owner->geometry().center() - label->rect().center());
    label->show();
    label->raise();
    // Painted before the caller blocks on its exchange.
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    HostLog::write(QStringLiteral("aguarde: %1").arg(request.text.trimmed()));
    return HostResult::done();
}

HostResult DesativaProcesso()
{
    if (QLabel *label = window())
        label->close();
    window() = nullptr;
    return HostResult::done();
}

bool isOpen()
{
    return window() && window()->isVisible();
}

QString text()
{
    return window() ? window()->text() : QString();
}

} // namespace WaitWindow
