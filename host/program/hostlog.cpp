#include "hostlog.h"

#include <QTextStream>

#include <cstdio>

namespace HostLog {

void write(const QString &text)
{
    QTextStream err(stderr);
    err << "vendacons-host: " << text << '\n';
    err.flush();
}

} // namespace HostLog
