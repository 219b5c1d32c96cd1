#include "printerfailover.h"
#include "settlement.h"

#include <runtime/clock.h>
#include <sale/salecontext.h>
#include <sale/saledatasets.h>
#include <sale/salestate.h>

#include <QCoreApplication>
#include <QMutexLocker>
#include <QPointer>
#include <QTimer>

#include <atomic>
#include <thread>

struct FailoverWorker::Run
{
    std::thread thread;
    std::atomic<bool> done{false};
};

namespace {

QList<BackupPrinterRow> snapshotOf(ClientDataSet &map)
{
    QList<BackupPrinterRow> rows;
    const DataPacket packet = map.Data();
    for (int row = 0; row < packet.rows.size(); ++row) {
        auto text = [&](const char *field) {
            const Variant value = packet.value(row, QString::fromLatin1(field));
            return value.isBlank() ? QString() : value.toString();
        };
        rows.append({text("NRSEQIMPRLOJA"), text("DSENDPORTA"), text("DSENDPORTABK"), text("IDMODEIMPRESBK")});
    }
    return rows;
}

// The timer belongs to the GUI thread: the worker asks that thread to switch it.
void switchTimer(QPointer<QTimer> timer, bool on)
{
    QCoreApplication *application = QCoreApplication::instance();
    if (!application)
        return;
    QMetaObject::invokeMethod(
        application,
        [timer, on] {
            if (!timer)
                return;
            if (on)
                timer->start();
            else
                timer->stop();
        },
        Qt::QueuedConnection);
}

} // namespace

FailoverWorker::FailoverWorker(SaleContext &context) : m_context(context) {}

FailoverWorker::~FailoverWorker()
{
    wait();
}

void FailoverWorker::wait()
{
    if (m_run && m_run->thread.joinable())
        m_run->thread.join();
}

void FailoverWorker::tick(QTimer *timer)
{
    if (timer)
        timer->stop();
    // A run still going switches the timer on again at its end; only one runs at a time.
    if (m_run && !m_run->done)
        return;
    wait();
    // The run works on its own copy of the map: the start-up may replace the dataset meanwhile.
    const QList<BackupPrinterRow> rows = snapshotOf(m_context.data().cdsImpBackup);
    const QString cdCaixa = m_context.state().params.stCDCAIXA;
    std::shared_ptr<Spooler> spooler = Spooler::current();
    auto run = std::make_shared<Run>();
    QPointer<QTimer> guard(timer);
    run->thread = std::thread([run = run.get(), rows, cdCaixa, spooler, guard] {
        {
            QMutexLocker locker(&Settlement::cs());
            switchTimer(guard, false);
            PrinterFailover(spooler, cdCaixa).runOnce(rows, Clock::now());
            switchTimer(guard, true);
        }
        run->done = true;
    });
    m_run = run;
}
