#pragma once

#include <QString>

#include <functional>

namespace SessionCut {

// Runs `action` while a session of the test holds `holdSql` in a transaction on the base
// `connectionString` names; that session ends the sessions that come to wait behind it,
// `cuts` of them (each once; `onWaiting` runs while the one to end waits), as a server
// restarting at rush hour does, then lets go. Answers what went wrong on the holding side, or
// nothing. PostgreSQL only: only a server can end a session.
QString endWhoWaits(const QString &connectionString, const QString &holdSql, int cuts,
                    const std::function<void()> &action, const std::function<void()> &onWaiting = {});

} // namespace SessionCut
