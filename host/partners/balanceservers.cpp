#include "balanceservers.h"

#include "fakepartners.h"
#include <host/site/hostdatabase.h>
#include <host/program/hostlog.h>

#include <outside/qub_requisicaohttp.h>
#include <runtime/cdsfile.h>
#include <runtime/clientdataset.h>
#include <runtime/clock.h>
#include <runtime/ptbr.h>
#include <runtime/sitepaths.h>
#include <server/srv_consumers.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

namespace BalanceServers {

namespace {

namespace Http = Qub_requisicaohttp;

const QString TimeoutSeconds = QStringLiteral("15");

// A figure, a text or a data packet (in its file form) as the answer's "value".
QJsonValue encoded(const Variant &value)
{
    if (value.isPacket()) {
        QByteArray xml;
        CdsFile::write(value.packet(), &xml);
        return QJsonObject{{QStringLiteral("packet"), QString::fromUtf8(xml)}};
    }
    if (value.kind() == Variant::Kind::Boolean)
        return value.toBool();
    if (value.isNumber())
        return value.toDouble();
    return value.toString();
}

Variant decoded(const QJsonValue &value)
{
    if (value.isObject()) {
        DataPacket packet;
        CdsFile::read(value.toObject().value(QStringLiteral("packet")).toString().toUtf8(), &packet);
        return Variant(packet);
    }
    if (value.isBool())
        return Variant(value.toBool());
    if (value.isDouble())
        return Variant(value.toDouble());
    return Variant(value.toString());
}

// The server's answer object, or nothing when it was not reached or gave no answer.
std::optional<QJsonObject> post(const QString &url, const QJsonObject &body)
{
    if (url.trimmed().isEmpty()) {
        HostLog::write(QStringLiteral("servidor de saldos sem endereço: %1").arg(body.value(QStringLiteral("operation")).toString()));
        return std::nullopt;
    }
    const Http::HttpAnswer reply = Http::send(url, QStringLiteral("JSON"), QStringLiteral("POST"), QString(),
                                              QString::fromUtf8(QJsonDocument(body).toJson(QJsonDocument::Compact)),
                                              TimeoutSeconds);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(reply.text.toUtf8(), &error);
    if (reply.ok() && error.error == QJsonParseError::NoError && document.isObject()
        && document.object().contains(QStringLiteral("value")))
        return document.object();
    HostLog::write(QStringLiteral("servidor de saldos %1 (%2) sem resposta válida: %3 %4")
                       .arg(url, body.value(QStringLiteral("operation")).toString())
                       .arg(reply.status)
                       .arg(reply.text.left(120)));
    return std::nullopt;
}

StatementAnswer statementOf(const std::optional<QJsonObject> &answer)
{
    StatementAnswer statement;
    if (!answer)
        return statement;
    statement.answered = true;
    statement.value = decoded(answer->value(QStringLiteral("value")));
    statement.value1 = decoded(answer->value(QStringLiteral("value1")));
    return statement;
}

HostResult updateOf(const QString &what, const std::optional<QJsonObject> &answer)
{
    return answer ? HostResult::done() : HostResult{false, QStringLiteral("servidor central sem resposta: ") + what};
}

QString central(const char *path)
{
    const QString address = centralAddress();
    return address.isEmpty() ? QString() : address + QString::fromLatin1(path);
}

QString dayText(const QDateTime &moment)
{
    return moment.isValid() ? PtBr::DateToStr(moment.date()) : QString();
}

// ---- the servers ---------------------------------------------------------------------------

using Reply = FakePartners::HandlerReply;

Reply answerWith(const Variant &value, const Variant &value1 = Variant())
{
    if (value.isFailure())
        return {500, QJsonDocument(QJsonObject{{QStringLiteral("error"), value.failureText()}}).toJson(QJsonDocument::Compact)};
    QJsonObject body{{QStringLiteral("value"), encoded(value)}};
    if (!value1.isEmpty())
        body.insert(QStringLiteral("value1"), encoded(value1));
    return {200, QJsonDocument(body).toJson(QJsonDocument::Compact)};
}

Reply notServed(const QString &operation)
{
    return {400, QJsonDocument(QJsonObject{{QStringLiteral("error"), QStringLiteral("operação não atendida: ") + operation}})
                     .toJson(QJsonDocument::Compact)};
}

QString field(const QJsonObject &body, const char *name)
{
    return body.value(QString::fromLatin1(name)).toString();
}

QDateTime dayOf(const QString &text)
{
    const QDate day = QDate::fromString(text, QStringLiteral("dd/MM/yyyy"));
    return day.isValid() ? day.startOfDay() : QDateTime();
}

// A packet of text and number columns from one query of the site's base.
Variant packetOf(const QString &name, const QString &sql, const QJsonObject &b, const QList<FieldDef> &fields,
                 const Qub_movrela::Params &more = {})
{
    const HostDatabase::Rows rows = HostDatabase::query(
        name, sql,
        Qub_movrela::Params{{QStringLiteral("P_CDCLIENTE"), field(b, "cdCliente")},
                            {QStringLiteral("P_CDCONSUMIDOR"), field(b, "cdConsumidor")}}
            + more);
    if (!rows.ok())
        return Variant::failure(rows.error);
    DataPacket packet;
    packet.fields = fields;
    for (const QList<QVariant> &row : rows.rows) {
        QList<Variant> values;
        for (int column = 0; column < fields.size(); ++column)
            values << (fields.at(column).type == FieldType::Double ? Variant(row.value(column).toDouble())
                                                                   : Variant(row.value(column).toString()));
        packet.rows.append(values);
    }
    return Variant(packet);
}

// Every family's balance of the consumer, as the credit checks read it.
Variant allBalances(const QJsonObject &b)
{
    return packetOf(QStringLiteral("centralSaldoTodos"),
                    QStringLiteral("SELECT S.CDFAMILISALD, F.NMFAMILISALD, S.VRSALDCONFAM FROM SALDOCONS S "
                                   "JOIN FAMILIASALDO F ON F.CDFAMILISALD = S.CDFAMILISALD "
                                   "WHERE S.CDCLIENTE = :P_CDCLIENTE AND S.CDCONSUMIDOR = :P_CDCONSUMIDOR"),
                    b,
                    {{"CDFAMILISALD", FieldType::String, 3}, {"NMFAMILISALD", FieldType::String, 30},
                     {"VRSALDCONFAM", FieldType::Double, 0}});
}

// Today's credit spending of each family (sales less their cancellations).
Variant familySpending(const QJsonObject &b)
{
    const QDateTime today = Clock::now().date().startOfDay();
    return packetOf(QStringLiteral("centralConsumoFamilia"),
                    QStringLiteral("SELECT CDFAMILISALD, SUM(CASE WHEN IDTPMOVEXT = 'V' THEN VRMOVEXTCONS ELSE -VRMOVEXTCONS END) "
                                   "FROM EXTRATOCONS WHERE CDCLIENTE = :P_CDCLIENTE AND CDCONSUMIDOR = :P_CDCONSUMIDOR "
                                   "AND (IDTPMOVEXT = 'V' OR (IDTPMOVEXT = 'C' AND COALESCE(NRSEQVENDA, '') <> '')) "
                                   "AND DTMOVEXTCONS >= :P_HOJE AND DTMOVEXTCONS < :P_AMANHA GROUP BY CDFAMILISALD"),
                    b, {{"CDFAMILISALD", FieldType::String, 3}, {"SOMA", FieldType::Double, 0}},
                    {{QStringLiteral("P_HOJE"), today}, {QStringLiteral("P_AMANHA"), today.addDays(1)}});
}

// One element of the family order the till works out locally: 1 the families that may lend,
// 2 the family's spending today.
Variant familyOrder(const QJsonObject &b, int element)
{
    const Variant order = Srv_Kal51000::getOrdemFamilia(field(b, "cdFilial"), field(b, "cdFamiliSald"), field(b, "cdCliente"),
                                                        field(b, "cdConsumidor"), QStringLiteral("N"));
    return order.isFailure() ? order : order.at(element);
}

// The family balances without a family, one family's balance with one.
Variant balances(const QJsonObject &b)
{
    const QString family = field(b, "cdFamiliSald");
    return family.isEmpty() ? Srv_Kal51000::getConsSaldFam(field(b, "cdFilial"), field(b, "cdCliente"), field(b, "cdConsumidor"))
                            : Srv_Kal51000::getSaldoCred(field(b, "cdCliente"), field(b, "cdConsumidor"), family);
}

// The consumer's spending of the kind ("1" debit, "2" credit).
Variant spending(const QJsonObject &b, const char *kind)
{
    return Srv_Kal51000::getGastCons(field(b, "cdCliente"), field(b, "cdConsumidor"), QString::fromLatin1(kind));
}

// A figure of the first row of a packet answer (a failure stays one).
Variant figureOf(const Variant &packet, const char *column)
{
    if (packet.isFailure() || !packet.isPacket())
        return packet;
    const Variant value = packet.packet().value(0, QString::fromLatin1(column));
    return value.isBlank() ? Variant(0.0) : Variant(value.toDouble());
}

// The central base's debit movements: the figures the till reads from its own base otherwise.
Reply debitMovement(const QJsonObject &b)
{
    const QString operation = field(b, "operation");
    const QString client = field(b, "cdCliente"), consumer = field(b, "cdConsumidor");
    const QDate today = Clock::now().date();
    if (operation == QLatin1String("CONSUMO_SALDO_EXTRA"))
        return answerWith(Srv_Kal51000::getGtTotConsSaldExtra(client, consumer, dayOf(field(b, "dateText"))));
    if (operation == QLatin1String("CONSULTA_CONSUMO"))
        return answerWith(spending(b, "1"));
    if (operation == QLatin1String("CONSUMO_LOJA_DIA") || operation == QLatin1String("CONSUMO_LOJA_MES"))
        return answerWith(Srv_Kal51000::getGastConsLoja(field(b, "cdFilial"), field(b, "cdLoja"), client, consumer,
                                                        QStringLiteral("1"),
                                                        operation.endsWith(QLatin1String("DIA")) ? QStringLiteral("D")
                                                                                                  : QStringLiteral("M")));
    if (operation == QLatin1String("CONSUMO_MES"))
        return answerWith(Srv_Kal51000::getGastoConsMes(client, consumer, QDate(today.year(), today.month(), 1).startOfDay(),
                                                        QDate(today.year(), today.month(), today.daysInMonth()).startOfDay()));
    if (operation == QLatin1String("CONSULTA_SALDO"))
        return answerWith(figureOf(Srv_Kal51000::getSaldoCons(client, consumer), "VRSALDOCONS"));
    if (operation == QLatin1String("SUBSIDIO_BASICO_EMP"))
        return answerWith(Srv_Kal51000::getVrSubsBasicoCons(client, consumer));
    if (operation == QLatin1String("PROD_CONSUMI")) {
        const Variant consumed = Srv_Kal51000::getVerifProdConsumi(client, consumer, field(b, "cdProduto"));
        return consumed.isFailure() ? answerWith(consumed) : answerWith(Variant(true), consumed);
    }
    if (operation == QLatin1String("SALDO_EXCEDE")) {
        const Variant spent = Srv_Kal51000::getSaldoExcedente(field(b, "cdFilial"), client, consumer, dayOf(field(b, "dateText")));
        return spent.isFailure() ? answerWith(spent) : answerWith(Variant(true), spent);
    }
    return notServed(operation);
}

Reply onlineStatement(const QJsonObject &b)
{
    const QString operation = field(b, "operation");
    if (operation == QLatin1String("CONSULTA_SALDO"))
        return answerWith(balances(b));
    if (operation == QLatin1String("CONSULTA_CONSUMO"))
        return answerWith(spending(b, "2"));
    if (operation == QLatin1String("CONSULTA_CONSUMO_FAMILIA"))
        return answerWith(familySpending(b));
    // The loads and cancellations are this base's own rows already: the server takes them.
    if (operation == QLatin1String("CARGA_CRED") || operation == QLatin1String("VENDA_CANC"))
        return answerWith(Variant(true));
    return notServed(operation);
}

Reply centralBalance(const QString &path, const QJsonObject &b)
{
    const QString operation = field(b, "operation");
    if (path == QLatin1String("/saldo")) {
        if (operation == QLatin1String("CONSULTA_SALDO_FAM"))
            return answerWith(Srv_Kal51000::getConsSaldFam(field(b, "cdFilial"), field(b, "cdCliente"), field(b, "cdConsumidor")));
        if (operation == QLatin1String("CONSULTA_SALDO"))
            return answerWith(balances(b));
        if (operation == QLatin1String("CONSULTA_CONSUMO"))
            return answerWith(spending(b, "2"));
        if (operation == QLatin1String("CONSULTA_SALDO_TODOS"))
            return answerWith(allBalances(b));
        if (operation == QLatin1String("CONSULTA_CONSUMO_FAMILIA"))
            return answerWith(familySpending(b));
        if (operation == QLatin1String("CONSULTA_ORDEM_FAMILIA") || operation == QLatin1String("CONSUMO_FAM"))
            return answerWith(familyOrder(b, operation == QLatin1String("CONSUMO_FAM") ? 2 : 1));
        if (operation == QLatin1String("SALDO_BONUS"))
            return answerWith(Srv_Kal51000::GetSaldoConsBonus(field(b, "cdCliente"), field(b, "cdConsumidor"), field(b, "cdFamiliSald")));
        return notServed(operation);
    }
    if (path == QLatin1String("/movimento"))
        return debitMovement(b);
    if (path == QLatin1String("/cargabonus")) {
        int count = 0;
        const Variant last = Srv_Kal51000::GetCargaCredito(field(b, "cdCliente"), field(b, "cdConsumidor"), field(b, "cdFamiliSald"),
                                                           dayOf(field(b, "firstDay")), dayOf(field(b, "lastDay")), count);
        return answerWith(last.isFailure() ? last : Variant(count), last);
    }
    // The central base is the site's own: a refresh or a mirrored movement has nothing to copy.
    if (path == QLatin1String("/atualiza"))
        return answerWith(Variant(true));
    return notServed(path);
}

} // namespace

QString centralAddress()
{
    return QSettings(SitePaths::resolve(QStringLiteral("Dados\\Parceiros.ini")), QSettings::IniFormat)
        .value(QStringLiteral("central/endereco"))
        .toString()
        .trimmed();
}

StatementAnswer ExtratoConsOnline(const OnlineStatementRequest &r, ClientDataSet &dataset)
{
    QJsonObject body{{"operation", r.operation}, {"cdFilial", r.cdFilial},         {"cdCliente", r.cdCliente},
                     {"cdConsumidor", r.cdConsumidor}, {"cdFamiliSald", r.cdFamiliSald}, {"dateText", r.dateText},
                     {"cdCaixa", r.cdCaixa},           {"nrVenda", r.nrVenda}};
    if (dataset.Active() && !dataset.IsEmpty())
        body.insert(QStringLiteral("lines"), encoded(Variant(dataset.Data())));
    return statementOf(post(r.url, body));
}

StatementAnswer ExtratoConsCentral(const CentralStatementRequest &r)
{
    return statementOf(post(central("/saldo"), {{"operation", r.operation}, {"cdFilial", r.cdFilial}, {"cdCliente", r.cdCliente},
                                                {"cdConsumidor", r.cdConsumidor}, {"cdFamiliSald", r.cdFamiliSald},
                                                {"dateText", r.dateText}}));
}

StatementAnswer MoviclieCentral(const CentralMovementRequest &r)
{
    return statementOf(post(central("/movimento"), {{"operation", r.operation}, {"kind", r.kind}, {"cdFilial", r.cdFilial},
                                                    {"cdLoja", r.cdLoja}, {"cdCliente", r.cdCliente},
                                                    {"cdConsumidor", r.cdConsumidor}, {"dateText", r.dateText},
                                                    {"cdProduto", r.cdProduto}}));
}

HostResult AtuSaldoExtCons(const ConsumerKey &r)
{
    return updateOf(QStringLiteral("AtuSaldoExtCons"),
                    post(central("/atualiza"), {{"operation", "ATU_SALDO_EXT"}, {"cdFilial", r.cdFilial},
                                                {"cdCliente", r.cdCliente}, {"cdConsumidor", r.cdConsumidor}}));
}

HostResult AtuSaldoDebCons(const DebitBalanceRefreshRequest &r)
{
    return updateOf(QStringLiteral("AtuSaldoDebCons"),
                    post(central("/atualiza"), {{"operation", "ATU_SALDO_DEB"}, {"cdFilial", r.cdFilial},
                                                {"cdCliente", r.cdCliente}, {"cdConsumidor", r.cdConsumidor},
                                                {"cdOperador", r.cdOperador}, {"startDate", dayText(r.startDate)}}));
}

HostResult UpdMoviclieCentral(const CentralMovementUpdate &r)
{
    return updateOf(r.operation, post(central("/atualiza"), {{"operation", r.operation}, {"cdFilial", r.cdFilial},
                                                             {"cdCaixa", r.cdCaixa}, {"cdCliente", r.cdCliente},
                                                             {"cdConsumidor", r.cdConsumidor}, {"nrSeqVenda", r.nrSeqVenda},
                                                             {"nrSeqMovCli", r.nrSeqMovCli}, {"value", r.value}}));
}

BonusLoadAnswer CargaCreditoBonus(const BonusLoadRequest &r)
{
    BonusLoadAnswer answer;
    const auto reply = post(central("/cargabonus"), {{"operation", "CARGA_CREDITO_BONUS"}, {"cdFilial", r.cdFilial},
                                                     {"cdCliente", r.cdCliente}, {"cdConsumidor", r.cdConsumidor},
                                                     {"cdFamiliSald", r.cdFamiliSald}, {"firstDay", dayText(r.firstDay)},
                                                     {"lastDay", dayText(r.lastDay)}});
    if (!reply)
        return answer;
    answer.answered = true;
    answer.count = reply->value(QStringLiteral("value")).toInt();
    answer.lastLoadDate = reply->value(QStringLiteral("value1")).toString();
    return answer;
}

void serve(FakePartners &partners)
{
    partners.setHandler(FakePartners::Partner::OnlineStatement, [](const FakePartners::Request &request) {
        return onlineStatement(QJsonDocument::fromJson(request.body).object());
    });
    partners.setHandler(FakePartners::Partner::CentralBalance, [](const FakePartners::Request &request) {
        return centralBalance(request.path, QJsonDocument::fromJson(request.body).object());
    });
}

} // namespace BalanceServers
