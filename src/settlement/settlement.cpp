#include "settlement.h"

#include "settlebutton_p.h"
#include "settlement_p.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <screen/tfrmvendacons.h>

#include <QTimer>

Settlement::Settlement(SaleContext &context)
    : m_context(context), m_lastRoadEnd(std::make_unique<RoadEnd>())
{
}

Settlement::~Settlement() = default;

void Settlement::spbRecebClick(QObject *)
{
    SettleButton(m_context, *m_lastRoadEnd).run();
}

// Receipt cancellation is not offered on this till: the button does nothing.
void Settlement::spbCancelaCupomClick(QObject *)
{
}

// No QR code is read on this till, so there is no reading to cancel.
void Settlement::btnCancelaQrCodeClick(QObject *)
{
}

// No code read is a sale on this till: the sale text is empty and nothing is sold.
QString Settlement::FormataQRCode(const QString &)
{
    return QString();
}

void Settlement::GerarVendaQRCode(const QString &) {}

void Settlement::timImpressoraBackupTimer(QObject *)
{
    if (QTimer *timer = m_context.form().findChild<QTimer *>(FormName::timImpressoraBackup))
        timer->stop();
}

QMutex &Settlement::cs()
{
    static QMutex lock;
    return lock;
}

bool Settlement::lastRoadSold() const
{
    return m_lastRoadEnd->kind == RoadEnd::Kind::Sold;
}

QString Settlement::lastRoadReason() const
{
    return m_lastRoadEnd->reason;
}
