// Demo data of the receipt cancellation: the dishes and the sandwiches print a cancellation
// ticket in the kitchen when their receipt is cancelled, and the branch's NF-e settings (its
// state, the state's NFC-e event service of the test environment) let an NFC-e be cancelled.
#include "demosite.h"
#include "hostdatabase.h"

#include <outside/qub_movrela_db.h>

namespace DemoSite {

bool writeCancellationTickets(Report &report)
{
    Qub_movrela::DbConnection &db = HostDatabase::session();
    const Qub_movrela::Params branch{{QStringLiteral("P_CDFILIAL"), CDFILIAL}, {QStringLiteral("P_CDLOJA"), CDLOJA}};
    const struct
    {
        const char *name;
        const char *sql;
    } steps[] = {
        {"demoIdImpCanItem", "UPDATE PRODLOJA SET IDIMPCANITEM = 'S' WHERE CDFILIAL = :P_CDFILIAL AND CDLOJA = :P_CDLOJA "
                             "AND (CDPRODUTO LIKE '01%' OR CDPRODUTO LIKE '02%')"},
        {"demoFilialEstado", "UPDATE FILIAL SET IDENDEMISFIL = 'I', SGESTADOINSCEST = 'SP' WHERE CDFILIAL = :P_CDFILIAL"},
        {"demoEstado", "INSERT INTO ESTADO (CDPAIS, SGESTADO, CDESTADOIBGE, HRDIFUTCFUSO) VALUES ('1058', 'SP', '35', '-03:00')"},
        {"demoWebService", "INSERT INTO WEBSERVICE (SGESTADO, IDAMBIENTE, IDSERVICO, WSEVENTONFC) "
                           "VALUES ('SP', '2', 'NFC', 'https://homologacao.nfce.sp.gov.br/ws/NFeRecepcaoEvento4.asmx')"},
        {"demoParaVendNFCe", "UPDATE PARAVEND SET IDAMBTRABNFCE = '2' WHERE CDFILIAL = :P_CDFILIAL"},
    };
    for (const auto &step : steps) {
        Qub_movrela::QueryRows rows;
        const QString sql = QString::fromLatin1(step.sql);
        Qub_movrela::Params params;
        for (const auto &param : branch)
            if (sql.contains(QLatin1Char(':') + param.name))
                params.append(param);
        if (!db.execute(QString::fromLatin1(step.name), sql, params, &rows)) {
            report.error = QString::fromLatin1(step.name) + QStringLiteral(": ")
                + Qub_movrela::ADOExceptionMessage(db.lastError(), db, QString());
            return false;
        }
    }
    return true;
}

} // namespace DemoSite
