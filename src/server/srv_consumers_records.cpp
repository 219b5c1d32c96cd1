#include "srv_consumers.h"
#include "srv_consumers_p.h"

#include "servercall.h"
#include "statement.h"

#include <outside/consiste.h>
#include <runtime/cdsfile.h>
#include <runtime/clock.h>
#include <runtime/sitepaths.h>

#include <QDir>
#include <QFileInfo>

namespace {

using namespace ConsumerAccounts;

const Statement adqConsAtivo{"adqConsAtivo",
    "SELECT C.CDCLIENTE, L.NMFANTCLIE, C.CDCONSUMIDOR, C.NMCONSUMIDOR, C.CDSENHACONS, C.CDIDCONSUMID, C.IDVERSALDCON, "
    "C.IDCADCONFLIBCON, C.CDTIPOCONS, C.VRAVICREDCONS, C.VRLIMCREDCONS, C.VRMAXCREDCONS, C.IDATUCPFCONS, "
    "C.NRCPFRESPCON, C.CDCCUSCLIE FROM CONSUMIDOR C JOIN CLIENTE L ON L.CDCLIENTE = C.CDCLIENTE "
    "WHERE C.CDCLIENTE = :P_CDCLIENTE AND C.CDCONSUMIDOR = :P_CDCONSUMIDOR AND C.IDSITCONSUMI = '1'"};
const Statement adqEmailCons{"adqEmailCons",
    "SELECT DSEMAILCONS FROM CONSUMIDOR WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR"};
const Statement adqDadosPreVDSaldo{"adqDadosPreVDSaldo",
    "SELECT C.IDVERSALDCON, T.IDTPVENDATPCONS, C.IDTPVENDACONS, C.VRMAXCREDCONS, C.VRAVIDEBCONS, C.VRLIMDEBCONS, "
    "C.VRMAXDEBCONS, C.VRAVICREDCONS, C.VRLIMCREDCONS FROM CONSUMIDOR C JOIN TIPOCONS T ON T.CDTIPOCONS = C.CDTIPOCONS "
    "WHERE C.CDCLIENTE = :P_CDCLIENTE AND C.CDCONSUMIDOR = :P_CDCONSUMIDOR"};
#define CAD_CONSUMIDOR                                                                                           \
    "SELECT C.CDCLIENTE, C.CDCONSUMIDOR, C.NMCONSUMIDOR, C.IDTPVENDACONS, C.VRSUBSBASICO, C.NRCPFRESPCON "           \
    "FROM CONSUMIDOR C JOIN CLIENFILIAL F ON F.CDCLIENTE = C.CDCLIENTE AND F.CDFILIAL = :P_CDFILIAL "               \
    "AND F.IDPERMVENDAQUB = 'S' "
const Statement adqCadConsumidorAtivo{"adqCadConsumidorAtivo",
    CAD_CONSUMIDOR "WHERE C.CDCLIENTE = :P_CDCLIENTE AND C.CDCONSUMIDOR = :P_CDCONSUMIDOR AND C.IDSITCONSUMI = '1'"};
const Statement adqCadConsumidor{"adqCadConsumidor",
    CAD_CONSUMIDOR "JOIN TIPOCONS T ON T.CDTIPOCONS = C.CDTIPOCONS AND T.IDDESABPESQCON = 'N' "
                   "WHERE C.CDCLIENTE = :P_CDCLIENTE AND C.CDCONSUMIDOR = :P_CDCONSUMIDOR"};
const Statement adqDsConsumidor{"adqDsConsumidor",
    "SELECT DSCONSUMIDOR FROM COMANDAVEN WHERE CDFILIAL = :P_CDFILIAL AND CDLOJA = :P_CDLOJA "
    "AND NRVENDAREST = :P_NRVENDAREST AND NRCOMANDA = :P_NRCOMANDA AND SUBSTR(DSCOMANDA, 1, 4) = 'DLV_' "
    "UNION SELECT C.NMCONSUMIDOR AS DSCONSUMIDOR FROM VENDAREST V JOIN COMANDAVEN T ON T.CDFILIAL = V.CDFILIAL "
    "AND T.NRVENDAREST = V.NRVENDAREST JOIN CONSUMIDOR C ON C.CDCLIENTE = V.CDCLIENTE "
    "AND C.CDCONSUMIDOR = V.CDCONSUMIDOR WHERE V.CDFILIAL = :P_CDFILIAL AND V.CDLOJA = :P_CDLOJA "
    "AND V.NRVENDAREST = :P_NRVENDAREST AND T.NRCOMANDA = :P_NRCOMANDA AND SUBSTR(T.DSCOMANDA, 1, 4) = 'RES_'"};
const Statement acmInsConsumidor{"acmInsConsumidor",
    "INSERT INTO CONSUMIDOR (CDCLIENTE, CDCONSUMIDOR, NMCONSUMIDOR, CDIDCONSUMID, CDCCUSCLIE, CDTIPOCONS, NRTELECONS, "
    "NRTELE2CONS, NRRGCONSUMID, NRCPFRESPCON, IDSITCONSUMI, IDCONSUMIDOR, DTULTATUCSUM, IDATUCONSUMI) VALUES "
    "(:CDCLIENTE, :CDCONSUMIDOR, :NMCONSUMIDOR, :CDIDCONSUMID, :CDCCUSCLIE, :CDTIPOCONS, :NRTELECONS, :NRTELE2CONS, "
    ":NRRGCONSUMID, :NRCPFRESPCON, '1', 'C', :DTULTATUCSUM, :IDATUCONSUMI)"};
const Statement acmUpdCpfConsumidor{"acmUpdCpfConsumidor",
    "UPDATE CONSUMIDOR SET NRCPFRESPCON = :NRCPFRESPCON, DTULTATUCSUM = :DTULTATUCSUM, IDATUCONSUMI = 'A' "
    "WHERE CDCLIENTE = :CDCLIENTE AND CDCONSUMIDOR = :CDCONSUMIDOR"};

#define REGISTER_COLUMNS                                                                                           \
    "SELECT C.CDCLIENTE, C.CDCONSUMIDOR, C.NMCONSUMIDOR, C.VRLIMDEBCONS, C.IDSITCONSUMI, C.CDTIPOCONS, C.CDCCUSCLIE, " \
    "C.CDIDCONSUMID, C.VRAVIDEBCONS, C.CDEXCONSUMID, C.IDVERSALDCON, C.IDCONSUMIDOR, C.CDVENDEDOR, C.VRMAXDEBCONS, "  \
    "C.VRLIMCREDCONS, C.VRMAXCREDCONS, C.VRAVICREDCONS, TC.IDUTSUBTCCLI, TC.VRPESUBTCCLI, C.NRRGCONSUMID, "          \
    "C.NRCPFRESPCON, C.NRTELECONS, C.NRTELE2CONS, C.IDTPVENDACONS, L.NMFANTCLIE, FI.CDFILIAL, FI.NMFILIAL, "         \
    "CF.IDCLIENPRIN, CF.IDIMPCPFCUPOM, C.IDCADCONFLIBCON, C.DSENDECONS, C.CDRESERVAPH, C.DTCHECKINPH, "              \
    "C.DTCHECKOUTPH, CAST(C.DSOBSHOSPEDEPH AS VARCHAR(4000)) AS DSOBSHOSPEDEPH, C.VRSUBSBASICO, C.DTNASCCONS, "        \
    "C.DSCOMPLENDECONS, C.NRCELULARCONS, C.DSEMAILCONS, C.DSREFERENDECONS, C.CDPAIS, C.SGESTADO, C.NRCEPCONS, "      \
    "C.CDMUNICIPIO, MU.NMMUNICIPIO, C.CDBAIRRO, BA.NMBAIRRO, BA.QTHORAENTREGA, BA.VRTXENTREGA, PA.NMPAIS, "         \
    "ES.NMESTADO, C.NRENDECONS FROM CONSUMIDOR C JOIN CLIENTE L ON L.CDCLIENTE = C.CDCLIENTE "                      \
    "JOIN CLIENFILIAL CF ON CF.CDCLIENTE = C.CDCLIENTE AND CF.CDFILIAL = :P_CDFILIAL AND CF.IDPERMVENDAQUB = 'S' "   \
    "JOIN FILIAL FI ON FI.CDFILIAL = CF.CDFILIAL "                                                                   \
    "LEFT JOIN TIPOCONSCLI TC ON TC.CDCLIENTE = C.CDCLIENTE AND TC.CDTIPOCONS = C.CDTIPOCONS "                     \
    "LEFT JOIN MUNICIPIO MU ON MU.CDPAIS = C.CDPAIS AND MU.SGESTADO = C.SGESTADO AND MU.CDMUNICIPIO = C.CDMUNICIPIO " \
    "LEFT JOIN BAIRRO BA ON BA.CDPAIS = C.CDPAIS AND BA.SGESTADO = C.SGESTADO AND BA.CDMUNICIPIO = C.CDMUNICIPIO "   \
    "AND BA.CDBAIRRO = C.CDBAIRRO LEFT JOIN PAIS PA ON PA.CDPAIS = C.CDPAIS "                                        \
    "LEFT JOIN ESTADO ES ON ES.CDPAIS = C.CDPAIS AND ES.SGESTADO = C.SGESTADO "
const Statement adqCadConsAtivos{"adqCadConsAtivos",
    REGISTER_COLUMNS "WHERE C.IDSITCONSUMI = '1' ORDER BY IDCLIENPRIN DESC NULLS LAST, CDIDCONSUMID NULLS FIRST"};
const Statement adqCadConsTodos{"adqCadConsTodos",
    REGISTER_COLUMNS "WHERE C.IDSITCONSUMI = '1' UNION ALL " REGISTER_COLUMNS
    "WHERE C.IDSITCONSUMI = '2' AND NOT EXISTS (SELECT 1 FROM CONSUMIDOR A WHERE A.IDSITCONSUMI = '1' "
    "AND A.CDIDCONSUMID = C.CDIDCONSUMID) ORDER BY IDCLIENPRIN DESC NULLS LAST, CDIDCONSUMID NULLS FIRST"};

Params consumer(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    return {{"P_CDCLIENTE", CDCLIENTE}, {"P_CDCONSUMIDOR", CDCONSUMIDOR}};
}

// A CPF the till may write over the stored one.
bool acceptableCpf(const QString &cpf, const QString &stored)
{
    if (cpf == stored || cpf.size() != 11)
        return false;
    if (cpf.count(cpf.at(0)) == cpf.size())
        return false;
    return Consiste::CPFOk(cpf);
}

// Makes base + name exist; the failure's text as the register answers it.
QString ensureFolder(const QString &base, const QString &name)
{
    const QString path = SitePaths::resolve(base + name);
    if (QFileInfo(path).isDir() || QDir().mkpath(path))
        return QString();
    return QStringLiteral("Cannot create ") + base + name;
}

} // namespace

namespace Srv_Kal51000 {

Variant setGravaConsumidor(const QString &CDCLIENTE, const QString &NMCONSUMIDOR, const QString &CDCONSUMIDOR,
                           const QString &CDIDCONSUMID, const QString &CDCCUSCLIE, const QString &CDTIPOCONS,
                           const QString &NRRGCONSUMID, const QString &NRCPFRESPCON, const QString &NRTELECONS,
                           const QString &NRTELE2CONS, const QString &STPROCESSAMENTO, const QString &operation)
{
    ServerCall call;
    const Variant found = call.packet(adqConsAtivo, consumer(CDCLIENTE, CDCONSUMIDOR));
    if (found.isFailure())
        return found;
    const QString origin = STPROCESSAMENTO == QLatin1String("SERVIDOR") ? QStringLiteral("S") : QStringLiteral("I");
    if (operation == QLatin1String("1")) {
        const Variant written = call.write(acmInsConsumidor,
            {{"CDCLIENTE", CDCLIENTE}, {"CDCONSUMIDOR", CDCONSUMIDOR}, {"NMCONSUMIDOR", NMCONSUMIDOR},
             {"CDIDCONSUMID", CDIDCONSUMID}, {"CDCCUSCLIE", CDCCUSCLIE}, {"CDTIPOCONS", CDTIPOCONS},
             {"NRTELECONS", NRTELECONS}, {"NRTELE2CONS", NRTELE2CONS}, {"NRRGCONSUMID", NRRGCONSUMID},
             {"NRCPFRESPCON", NRCPFRESPCON}, {"DTULTATUCSUM", Clock::now()}, {"IDATUCONSUMI", origin}});
        return written.isFailure() ? written : Variant(true);
    }
    const DataPacket &row = found.packet();
    if (row.isEmpty() || row.value(0, "IDATUCPFCONS").toString() != QLatin1String("S")
        || !acceptableCpf(NRCPFRESPCON, row.value(0, "NRCPFRESPCON").toString().trimmed()))
        return Variant(true);
    const Variant written = call.write(acmUpdCpfConsumidor, {{"NRCPFRESPCON", NRCPFRESPCON}, {"DTULTATUCSUM", Clock::now()},
                                                             {"CDCLIENTE", CDCLIENTE}, {"CDCONSUMIDOR", CDCONSUMIDOR}});
    return written.isFailure() ? written : Variant(true);
}

QString SetCons(const QString &CDFILIAL, const QString &baseFolder, const QString &IDEXCONSATFIL,
                const QString &IDEXCONSATGER)
{
    const bool activeOnly = IDEXCONSATFIL == QLatin1String("S") && IDEXCONSATGER == QLatin1String("S");
    const Variant rows = ServerCall().packet(activeOnly ? adqCadConsAtivos : adqCadConsTodos, {{"P_CDFILIAL", CDFILIAL}});
    if (rows.isFailure())
        return rows.failureText();
    for (const QString &folder : {QStringLiteral("Dados"), QStringLiteral("Dados\\Cadastros")}) {
        if (const QString refused = ensureFolder(baseFolder, folder); !refused.isEmpty())
            return refused;
    }
    QString error;
    if (!CdsFile::save(SitePaths::resolve(baseFolder + QStringLiteral("Dados\\Cadastros\\Cad_Consumidor")), rows.packet(),
                       &error))
        return error;
    return QString();
}

Variant getConsumidor(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    const Variant found = ServerCall().packet(adqConsAtivo, consumer(CDCLIENTE, CDCONSUMIDOR));
    if (found.isFailure())
        return found;
    return Variant(found.packet().value(0, "IDCADCONFLIBCON").toString());
}

Variant getDadosConsumidor(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    return ServerCall().packet(adqConsAtivo, consumer(CDCLIENTE, CDCONSUMIDOR));
}

Variant getNomeCons(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    const Variant found = ServerCall().packet(adqConsAtivo, consumer(CDCLIENTE, CDCONSUMIDOR));
    if (found.isFailure())
        return found;
    return Variant(found.packet().value(0, "NMCONSUMIDOR").toString());
}

QString getEmailCons(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    return ServerCall().fieldText(adqEmailCons, consumer(CDCLIENTE, CDCONSUMIDOR), "DSEMAILCONS",
                                  TextOnFailure::answer(QString()));
}

Variant getDadosPreVDSaldo(const QString &CDCLIENTE, const QString &CDCONSUMIDOR)
{
    return ServerCall().packet(adqDadosPreVDSaldo, consumer(CDCLIENTE, CDCONSUMIDOR));
}

Variant getCadConsumidor(const QString &CDFILIAL, const QString &CDCLIENTE, const QString &CDCONSUMIDOR,
                         const QString &IDEXCONSATFIL, const QString &IDEXCONSATGER)
{
    const bool activeOnly = IDEXCONSATFIL == QLatin1String("S") && IDEXCONSATGER == QLatin1String("S");
    return ServerCall().packet(activeOnly ? adqCadConsumidorAtivo : adqCadConsumidor,
                               consumer(CDCLIENTE, CDCONSUMIDOR) + Params{{"P_CDFILIAL", CDFILIAL}});
}

QString getDsConsumidor(const QString &CDFILIAL, const QString &CDLOJA, const QString &NRVENDAREST,
                        const QString &NRCOMANDA)
{
    return ServerCall().fieldText(adqDsConsumidor, {{"P_CDFILIAL", CDFILIAL}, {"P_CDLOJA", CDLOJA},
                                                    {"P_NRVENDAREST", NRVENDAREST}, {"P_NRCOMANDA", NRCOMANDA}},
                                  "DSCONSUMIDOR", TextOnFailure::answer(QString())).trimmed();
}

} // namespace Srv_Kal51000
