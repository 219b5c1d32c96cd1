#include "startupstandins.h"

#include "hostlog.h"

#include <screen/startupserver.h>

#include <runtime/datapacket.h>

#include <QSet>

namespace StartupStandIns {

namespace {

bool notInstalled(const Variant &answer, const QString &name)
{
    return answer.isFailure() && answer.failureText() == StartupServer::notInstalled(name).failureText();
}

Variant standIn(const QString &name, const Variant &neutral)
{
    static QSet<QString> logged;
    if (!logged.contains(name)) {
        logged.insert(name);
        HostLog::write(QStringLiteral("função do servidor %1 não ligada no pacote: o host responde o neutro").arg(name));
    }
    return neutral;
}

// Wraps a member: the package's own answer unless it is "not installed".
template <class... Args>
void wrap(std::function<Variant(Args...)> &member, const char *routine, Variant neutral)
{
    const QString name = QString::fromLatin1(routine);
    member = [original = member, name, neutral](Args... args) {
        const Variant answer = original(args...);
        return notInstalled(answer, name) ? standIn(name, neutral) : answer;
    };
}

DataPacket oneRow(const QStringList &columns, const QList<Variant> &values)
{
    DataPacket packet;
    for (const QString &column : columns)
        packet.fields.append({column, FieldType::String, 255});
    packet.rows.append(values);
    return packet;
}

DataPacket noRows(const QStringList &columns)
{
    DataPacket packet;
    for (const QString &column : columns)
        packet.fields.append({column, FieldType::String, 60});
    return packet;
}

} // namespace

void install()
{
    StartupServer &t = startupServer();
    wrap(t.getDadosCRMBONUS, "getDadosCRMBONUS",
         oneRow({"IDCRMBONUS", "CDURLCRMBONUS", "CDAUTHCRMBONUS", "CDCODECRMBONUS"},
                {QStringLiteral("N"), QString(), QString(), QString()}));
    wrap(t.getVisualizaTelPed, "getVisualizaTelPed", false);
    wrap(t.getConfigCaixa, "getConfigCaixa", QStringLiteral("N"));
    wrap(t.getConsumidorDLV, "getConsumidorDLV", noRows({"NMCONSUMIDOR"}));
    wrap(t.getSenhaPed, "getSenhaPed", QString());
    wrap(t.GetDtHrAberMesa, "GetDtHrAberMesa", Variant::null());
    wrap(t.setPromoCombAux, "setPromoCombAux", Variant());
    wrap(t.getIDUTCUPOMDESC, "getIDUTCUPOMDESC", QStringLiteral("N"));
    wrap(t.getCampanha, "getCampanha", false);
    wrap(t.getImpBackup, "getImpBackup", noRows({"NRSEQIMPRLOJA", "CDPORTAIMPR", "DSENDPORTA"}));
    wrap(t.getDadosResgSaldo, "getDadosResgSaldo", oneRow({"DSIDRESGS", "DSSENHARESGS"}, {QString(), QString()}));
    wrap(t.getImpPesagem, "getImpPesagem", QStringLiteral("N"));
}

} // namespace StartupStandIns
