#include "partnerservices.h"

#include <host/program/hostlog.h>

#include <outside/qub_requisicaohttp.h>

#include <QDateTime>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace PartnerServices {

namespace {

namespace Http = Qub_requisicaohttp;

const QString FourAll = QStringLiteral("4ALL");
const QString Uds = QStringLiteral("UDS");
const QString TimeoutSeconds = QStringLiteral("15");

// The partner's answer when it is the protocol's JSON object with its "error" flag; false for
// anything else (no connection, an HTTP error, garbage).
bool post(const QString &url, const QString &operation, const QJsonObject &body, QJsonObject &answer)
{
    const Http::HttpAnswer reply = Http::send(url + operation, QStringLiteral("JSON"), QStringLiteral("POST"), QString(),
                                              QString::fromUtf8(QJsonDocument(body).toJson(QJsonDocument::Compact)),
                                              TimeoutSeconds);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(reply.text.toUtf8(), &error);
    answer = document.object();
    const bool usable = reply.ok() && error.error == QJsonParseError::NoError && document.isObject()
        && answer.value(QStringLiteral("error")).isBool();
    if (!usable)
        HostLog::write(QStringLiteral("parceiro %1%2 sem resposta válida: %3 %4")
                           .arg(url, operation)
                           .arg(reply.status)
                           .arg(reply.text.left(120)));
    return usable;
}

DataPacket promotionsOf(const QJsonArray &list)
{
    DataPacket packet;
    packet.fields = {{QStringLiteral("CDPROMOCAO"), FieldType::String, 50},
                     {QStringLiteral("DSPROMOCAO"), FieldType::String, 50},
                     {QStringLiteral("DTVALPROMO"), FieldType::DateTime},
                     {QStringLiteral("DSTIPPROMO"), FieldType::String, 50},
                     {QStringLiteral("VRPROMOCAO"), FieldType::Double}};
    for (const QJsonValue &value : list) {
        const QJsonObject p = value.toObject();
        packet.rows.append({Variant(p.value(QStringLiteral("code")).toString()),
                            Variant(p.value(QStringLiteral("description")).toString()),
                            Variant(QDateTime::fromString(p.value(QStringLiteral("valid")).toString(), Qt::ISODate)),
                            Variant(p.value(QStringLiteral("type")).toString()),
                            Variant(p.value(QStringLiteral("value")).toDouble())});
    }
    return packet;
}

QJsonObject saleKey(const QString &branch, const QString &desk, const QString &sale)
{
    return {{QStringLiteral("branch"), branch}, {QStringLiteral("desk"), desk}, {QStringLiteral("sale"), sale}};
}

double numberAt(const DataPacket &rows, int row, const char *field)
{
    return rows.value(row, QString::fromLatin1(field)).toDouble();
}

QString textAt(const DataPacket &rows, int row, const char *field)
{
    return rows.value(row, QString::fromLatin1(field)).toString();
}

void postUse(const QString &partner, const QString &cpf, const QJsonObject &key, double value)
{
    const QString url = lastAddress(partner);
    if (cpf.isEmpty() || value <= 0 || url.isEmpty())
        return;
    QJsonObject body = key;
    body.insert(QStringLiteral("cpf"), cpf);
    body.insert(QStringLiteral("value"), value);
    QJsonObject answer;
    if (!post(url, QStringLiteral("/venda"), body, answer) || answer.value(QStringLiteral("error")).toBool())
        HostLog::write(QStringLiteral("uso de cashback %1 da venda %2 não lançado no parceiro")
                           .arg(partner, key.value(QStringLiteral("sale")).toString()));
}

} // namespace

QString &lastAddress(const QString &partner)
{
    static QHash<QString, QString> addresses;
    return addresses[partner];
}

Fid4AllAnswer IntegracaoFid4All(const Fid4AllRequest &request)
{
    Fid4AllAnswer result;
    QJsonObject answer;
    if (request.operation == QLatin1String("VENDA_CANC")) {
        result.answered = post(request.url, QStringLiteral("/venda_canc"),
                               saleKey(request.cdFilial, request.cdCaixa, request.nrSeqVenda), answer);
        result.refused = result.answered && !answer.value(QStringLiteral("error")).toBool(); // element 0: sent
        return result;
    }
    QJsonObject body{{QStringLiteral("cpf"), request.cpf}};
    const bool code = request.operation == QLatin1String("VALIDA_PROMOCODE");
    if (code) {
        body.insert(QStringLiteral("code"), request.promoCode);
        body.insert(QStringLiteral("cnpj"), request.nrInsJurFili);
        body.insert(QStringLiteral("total"), request.totalText);
        body.insert(QStringLiteral("lines"), int(request.items.rows.size()));
    }
    lastAddress(FourAll) = request.url;
    result.answered = post(request.url, code ? QStringLiteral("/promocode") : QStringLiteral("/consulta"), body, answer);
    if (!result.answered)
        return result;
    result.refused = answer.value(QStringLiteral("error")).toBool();
    result.message = answer.value(QStringLiteral("message")).toString();
    result.name = answer.value(QStringLiteral("name")).toString();
    result.balance = answer.value(QStringLiteral("balance")).toDouble();
    if (!code)
        result.promotions = promotionsOf(answer.value(QStringLiteral("promotions")).toArray());
    return result;
}

UdsAnswer IntegracaoFidUds(const UdsRequest &request)
{
    UdsAnswer result;
    QJsonObject answer;
    if (request.operation == QLatin1String("VENDA_CANC")) {
        result.answered = post(request.url, QStringLiteral("/venda_canc"),
                               saleKey(request.cdFilial, request.cdCaixa, request.nrSeqVenda), answer);
        result.error = !result.answered || answer.value(QStringLiteral("error")).toBool();
        return result;
    }
    lastAddress(Uds) = request.url;
    const QJsonObject body{{QStringLiteral("cpf"), request.cpf}, {QStringLiteral("branch"), request.cdFilial},
                           {QStringLiteral("total"), request.total}, {QStringLiteral("origin"), request.origin},
                           {QStringLiteral("client"), request.cdCliente}, {QStringLiteral("type"), request.cdTipoCons}};
    result.answered = post(request.url, QStringLiteral("/consulta"), body, answer);
    if (!result.answered)
        return result;
    result.error = answer.value(QStringLiteral("error")).toBool();
    result.message = answer.value(QStringLiteral("message")).toString();
    result.name = answer.value(QStringLiteral("name")).toString();
    result.balance = answer.value(QStringLiteral("balance")).toDouble();
    result.blocked = answer.value(QStringLiteral("blocked")).toBool();
    return result;
}

void postCashbackUses(const QString &cdFilial, const QString &cdCaixa, const QString &nrSeqVenda, const DataPacket &saleRows)
{
    if (saleRows.rows.isEmpty())
        return;
    const QJsonObject key = saleKey(cdFilial, cdCaixa, nrSeqVenda);
    postUse(FourAll, textAt(saleRows, 0, "NRCPFFID4ALL"), key,
            numberAt(saleRows, 0, "VRDESCCASH4ALL") + numberAt(saleRows, 0, "VRDESCPROMO4ALL"));
    postUse(Uds, textAt(saleRows, 0, "NRCPFFIDUDS"), key, numberAt(saleRows, 0, "VRDESCCASHUDS"));
}

} // namespace PartnerServices
