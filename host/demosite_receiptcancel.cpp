// Demo data of the receipt cancellation: the dishes and the sandwiches print a cancellation
// ticket in the kitchen when their receipt is cancelled.
#include "demosite.h"
#include "hostdatabase.h"

#include <outside/qub_movrela_db.h>

namespace DemoSite {

bool writeCancellationTickets(Report &report)
{
    Qub_movrela::DbConnection &db = HostDatabase::session();
    Qub_movrela::QueryRows rows;
    const bool ok = db.execute(QStringLiteral("demoIdImpCanItem"),
                               QStringLiteral("UPDATE PRODLOJA SET IDIMPCANITEM = 'S' WHERE CDFILIAL = :P_CDFILIAL "
                                              "AND CDLOJA = :P_CDLOJA AND (CDPRODUTO LIKE '01%' OR CDPRODUTO LIKE '02%')"),
                               {{QStringLiteral("P_CDFILIAL"), CDFILIAL}, {QStringLiteral("P_CDLOJA"), CDLOJA}}, &rows);
    if (!ok)
        report.error = QStringLiteral("PRODLOJA: ") + Qub_movrela::ADOExceptionMessage(db.lastError(), db, QString());
    return ok;
}

} // namespace DemoSite
