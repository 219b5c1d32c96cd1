#include "settlement.h"

#include <sale/salecontext.h>
#include <screen/tfrmvendacons.h>

#include <QTimer>

Settlement::Settlement(SaleContext &context)
    : m_context(context)
{
}

// Receipt cancellation: filled in by the cancellation road.
void Settlement::spbCancelaCupomClick(QObject *)
{
}

// Cancels the QR-code reading: filled in by the QR-code sale road.
void Settlement::btnCancelaQrCodeClick(QObject *)
{
}


// The QR-code sale: filled in by the QR-code sale road; nothing read is a sale yet.
QString Settlement::FormataQRCode(const QString &)
{
    return QString();
}

void Settlement::GerarVendaQRCode(const QString &) {}

void Settlement::timImpressoraBackupTimer(QObject *)
{
    if (QTimer *timer = m_context.form().findChild<QTimer *>(QStringLiteral("timImpressoraBackup")))
        timer->stop();
}

QMutex &Settlement::cs()
{
    static QMutex lock;
    return lock;
}
