#include "settlement.h"

#include "chartexchange_p.h"
#include "printerfailover.h"
#include "settlebutton_p.h"
#include "settlement_p.h"

#include <sale/formnames.h>
#include <sale/salecontext.h>
#include <outside/ping.h>

#include <QDialog>
#include <QTimer>

Settlement::Settlement(SaleContext &context)
    : m_context(context), m_lastRoadEnd(std::make_unique<RoadEnd>()),
      m_failover(std::make_unique<FailoverWorker>(context))
{
}

Settlement::~Settlement() = default;

void Settlement::spbRecebClick(QObject *)
{
    SettleButton(m_context, *m_lastRoadEnd).run();
}

void Settlement::timImpressoraBackupTimer(QObject *)
{
    m_failover->tick(m_context.form().findChild<QTimer *>(FormName::timImpressoraBackup));
}

bool Settlement::VerificaImpressoraRede(const QString &host)
{
    return Ping::echo(host, 500).replied;
}

QString Settlement::FuncChartRec(const QString &amount)
{
    return ChartExchange(m_context).run(amount);
}

void Settlement::cleanDirectoryChart()
{
    ChartExchange::cleanDirectoryChart();
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
