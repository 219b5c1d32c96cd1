#include "sessioncut.h"

#include <outside/qub_movrela_db.h>

#include <atomic>
#include <thread>

namespace SessionCut {

QString endWhoWaits(const QString &connectionString, const QString &holdSql, int cuts,
                    const std::function<void()> &action, const std::function<void()> &onWaiting)
{
    QString error;
    std::atomic<bool> ready = false;
    std::thread holding([&] {
        Qub_movrela::DbConnection holder(QStringLiteral("testHolder"), 10);
        holder.useConnectionString(connectionString);
        if (holder.begin() && holder.execute(QStringLiteral("hold"), holdSql, {})) {
            ready = true;
            QStringList ended;
            for (int poll = 0; ended.size() < cuts && error.isEmpty(); ++poll) {
                Qub_movrela::QueryRows waiting;
                if (poll == 50000
                    || !holder.execute(QStringLiteral("waiting"),
                                       // pg_locks, unlike the activity view, is not frozen for
                                       // the length of a transaction
                                       QStringLiteral("SELECT DISTINCT pid FROM pg_locks WHERE NOT granted "
                                                      "AND pg_backend_pid() = ANY(pg_blocking_pids(pid))"),
                                       {}, &waiting)) {
                    error = QStringLiteral("%1 of %2 sessions ended, %3").arg(ended.size()).arg(cuts).arg(
                        holder.lastError().databaseText);
                    break;
                }
                for (const auto &row : waiting.rows) {
                    const QString pid = row.first().toString();
                    if (ended.contains(pid) || ended.size() == cuts)
                        continue;
                    if (onWaiting)
                        onWaiting();
                    if (!holder.execute(QStringLiteral("end"), QStringLiteral("SELECT pg_terminate_backend(CAST(:P_PID AS INTEGER))"),
                                        {{QStringLiteral("P_PID"), pid}}))
                        error = holder.lastError().databaseText;
                    ended << pid;
                }
            }
        } else {
            error = holder.lastError().databaseText;
        }
        holder.rollback();
        ready = true;
    });
    // The action starts once the lock is held, so that it waits and can be ended.
    while (!ready)
        std::this_thread::yield();
    action();
    holding.join();
    return error;
}

} // namespace SessionCut
