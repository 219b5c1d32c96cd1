#include "loadcancel.h"

#include "access.h"
#include "dialogs.h"
#include <host/program/hostlog.h>

#include <outside/ravuvozozod.h>
#include <runtime/cdsfile.h>
#include <runtime/clientdataset.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>
#include <server/srv_consumers_credit.h>

namespace LoadCancel {

namespace {

QString told(const QString &text, int kind)
{
    HostLog::write(QStringLiteral("cancelamento de carga: ") + text);
    Ravuvozozod::Mensagem(text, QString(), QStringLiteral("N"), QStringLiteral("N"), kind, QString(), QString(), 0);
    return text;
}

// What the operator chose or was told already goes to the log only.
QString logged(const QString &text)
{
    HostLog::write(QStringLiteral("cancelamento de carga: ") + text);
    return text;
}

// The first row's value of `column` of a site file ("" when the file or column is missing).
Variant siteValue(const QString &file, const QString &column)
{
    DataPacket packet;
    if (!CdsFile::load(SitePaths::resolve(file), &packet) || packet.rows.isEmpty()
        || packet.fieldIndex(column) < 0)
        return Variant(QString());
    return packet.value(0, column);
}

QString parameter(const char *column)
{
    return siteValue(QStringLiteral("PARAMETROSQUB.CDS"), QString::fromLatin1(column)).toString();
}

// The operator at the till: the one the operator change left, else the opening's.
QString currentOperator()
{
    const QString changed = siteValue(QStringLiteral("Dados\\Cadastros\\ControleAcess.cds"), QStringLiteral("CDOPERADOR")).toString();
    return changed.isEmpty() ? parameter("CDOPERADOR") : changed;
}

// The loads as the search shows them: one text column each, labelled for the operator.
void fillChoices(ClientDataSet &choices, const DataPacket &loads)
{
    const QList<std::pair<const char *, const char *>> columns{
        {"NRDEPOSICONS", "Depósito"}, {"CDIDCONSUMID", "Crachá"}, {"NMCONSUMIDOR", "Consumidor"},
        {"NMFAMILISALD", "Família"},  {"VRCARGA", "Valor"},       {"HORA", "Hora"}};
    DataPacket shown;
    for (const auto &[name, label] : columns)
        shown.fields.append({QString::fromLatin1(name), FieldType::String, 60});
    for (int row = 0; row < loads.rows.size(); ++row) {
        shown.rows.append({loads.value(row, "NRDEPOSICONS"), loads.value(row, "CDIDCONSUMID"),
                           loads.value(row, "NMCONSUMIDOR"), loads.value(row, "NMFAMILISALD"),
                           Variant(PtBr::FormatCurr(loads.value(row, "VRCARGA").toDouble())),
                           Variant(loads.value(row, "DTMOVEXTCONS").toDateTime().toString(QStringLiteral("HH:mm")))});
    }
    choices.SetData(shown);
    for (const auto &[name, label] : columns)
        choices.FieldByName(QString::fromLatin1(name)).SetDisplayLabel(QString::fromUtf8(label));
}

int rowOf(const DataPacket &loads, const QString &deposit)
{
    for (int row = 0; row < loads.rows.size(); ++row) {
        if (loads.value(row, "NRDEPOSICONS").toString() == deposit)
            return row;
    }
    return -1;
}

} // namespace

QString cancelLoad()
{
    Srv_Kal51000::CreditLoadCancel load;
    load.CDFILIAL = parameter("CDFILIAL");
    load.CDCAIXA = parameter("CDCAIXA");
    load.DTABERCAIX = siteValue(QStringLiteral("PARAMETROSQUB.CDS"), QStringLiteral("DTABERCAIX")).toDateTime();
    load.IDEXTCONSONLINE = parameter("IDEXTCONSONLINE");
    load.CDURLWSEXTCONS = parameter("CDURLWSEXTCONS");
    load.IDEXTCONSCENTRAL = parameter("IDEXTCONSCENTRAL");
    if (!Access::VerificaAcesso({parameter("CTCANCCUPOM").toInt(), currentOperator()}).allowed)
        return logged(QStringLiteral("operador sem direito de cancelar"));
    const Variant found = Srv_Kal51000::getCargasCaixa(load.CDFILIAL, load.CDCAIXA, load.DTABERCAIX);
    if (found.isFailure())
        return told(QStringLiteral("Não foi possível ler as cargas do caixa: ") + found.failureText(), Ravuvozozod::Error);
    const DataPacket loads = found.packet();
    if (loads.isEmpty())
        return told(QStringLiteral("Nenhuma carga de crédito deste caixa a cancelar."), Ravuvozozod::Information);
    ClientDataSet choices(QStringLiteral("cdsCargasCaixa"));
    fillChoices(choices, loads);
    if (!Dialogs::Pesquisa({}, choices))
        return logged(QStringLiteral("nenhuma carga escolhida"));
    load.NRDEPOSICONS = choices.FieldByName(QStringLiteral("NRDEPOSICONS")).AsString();
    const int row = rowOf(loads, load.NRDEPOSICONS);
    const QString what = QStringLiteral("%1 de %2 (%3, %4)")
                             .arg(load.NRDEPOSICONS, loads.value(row, "NMCONSUMIDOR").toString(),
                                  loads.value(row, "NMFAMILISALD").toString(),
                                  PtBr::FormatCurr(loads.value(row, "VRCARGA").toDouble()));
    if (!Ravuvozozod::Mensagem(QStringLiteral("Confirma o cancelamento da carga ") + what + QLatin1Char('?'), QString(),
                               QStringLiteral("N"), QStringLiteral("S"), Ravuvozozod::Question, QString(), QString(), 0))
        return logged(QStringLiteral("a carga %1 não foi cancelada").arg(load.NRDEPOSICONS));
    const Variant cancelled = Srv_Kal51000::setCancelaCompCred(load);
    if (cancelled.isFailure())
        return told(cancelled.failureText(), Ravuvozozod::Error);
    return told(QStringLiteral("Carga %1 cancelada.").arg(what), Ravuvozozod::Information);
}

} // namespace LoadCancel
