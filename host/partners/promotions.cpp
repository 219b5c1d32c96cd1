#include "promotions.h"

#include <host/program/hostlog.h>
#include "promodemo.h"

#include <runtime/datapacket.h>

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace Promotions {

namespace {

int &timeout()
{
    static int value = 15000;
    return value;
}

QJsonValue jsonOf(const Variant &value)
{
    switch (value.kind()) {
    case Variant::Kind::Boolean:
        return value.toBool();
    case Variant::Kind::Integer:
    case Variant::Kind::Double:
        return value.toDouble();
    case Variant::Kind::DateTime:
        return value.toDateTime().toString(Qt::ISODate);
    case Variant::Kind::Empty:
    case Variant::Kind::Null:
        return QJsonValue::Null;
    default:
        return value.toString();
    }
}

QJsonArray rowsOf(const DataPacket &packet)
{
    QJsonArray rows;
    for (const QList<Variant> &row : packet.rows) {
        QJsonObject line;
        for (int field = 0; field < packet.fields.size(); ++field)
            line.insert(packet.fields.at(field).name, jsonOf(row.value(field)));
        rows.append(line);
    }
    return rows;
}

QJsonObject bodyOf(const PromoRequest &request)
{
    QJsonObject body{{"operacao", request.operation}, {"cpf", request.cpf}, {"origem", request.origin},
                     {"idPedido", request.orderId}, {"filial", request.cdFilial}, {"caixa", request.cdCaixa},
                     {"venda", request.nrSeqVenda}, {"loja", request.cdLoja}, {"codigoPromocao", request.promoCode}};
    if (request.when.kind() == Variant::Kind::DateTime)
        body.insert("dataHora", jsonOf(request.when));
    if (request.items.isPacket())
        body.insert("itens", rowsOf(request.items.packet()));
    return body;
}

struct Column
{
    const char *name;
    FieldType type;
    int size;
};

// A list of the answer as a packet of the given columns; false when it is not a list of
// objects or a value has the wrong kind.
bool packetOf(const QJsonValue &value, std::initializer_list<Column> columns, DataPacket &packet)
{
    packet = DataPacket();
    for (const Column &c : columns)
        packet.fields.append({QString::fromLatin1(c.name), c.type, c.size});
    if (value.isUndefined() || value.isNull())
        return true;
    if (!value.isArray())
        return false;
    for (const QJsonValue &entry : value.toArray()) {
        if (!entry.isObject())
            return false;
        const QJsonObject object = entry.toObject();
        QList<Variant> row;
        for (const Column &c : columns) {
            const QJsonValue cell = object.value(QString::fromLatin1(c.name));
            if (cell.isUndefined() || cell.isNull())
                row.append(Variant::null());
            else if (c.type == FieldType::Double && cell.isDouble())
                row.append(Variant(cell.toDouble()));
            else if (c.type == FieldType::String && (cell.isString() || cell.isDouble()))
                row.append(Variant(cell.isString() ? cell.toString() : QString::number(cell.toDouble())));
            else
                return false;
        }
        packet.rows.append(row);
    }
    return true;
}

constexpr FieldType Text = FieldType::String;
constexpr FieldType Number = FieldType::Double;

bool readAnswer(const QByteArray &body, PromoAnswer &answer)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(body, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return false;
    const QJsonObject object = document.object();
    if (!object.value("erro").isBool())
        return false;
    answer.error = object.value("erro").toBool();
    const QJsonValue order = object.value("idPedido");
    if (!order.isUndefined() && !order.isNull() && !order.isString())
        return false;
    answer.orderId = order.toString();
    return packetOf(object.value("promocoes"),
                    {{"IDPROMOCAO", Text, 37}, {"NMPROMOCAO", Text, 100}, {"DSPROMOCAO", Text, 256},
                     {"IDTPPROMOCAO", Text, 1}, {"IDTPDESCPROMO", Text, 1}, {"VRDESCPROMO", Number, 0},
                     {"VRVENDAPROMO", Number, 0}},
                    answer.promotions)
        && packetOf(object.value("produtos"),
                    {{"IDPROMOCAO", Text, 37}, {"CDPRODUTO", Text, 10}, {"QTPRODCOMVEN", Number, 0},
                     {"VRPRECCOMVEN", Number, 0}, {"NRPRODCOMVEN", Text, 6}, {"INCLUIDO", Text, 5}},
                    answer.products)
        && packetOf(object.value("erros"), {{"CDERRO", Text, 20}, {"DSERROCONS", Text, 255}}, answer.errors);
}

PromoAnswer failed(const PromoRequest &request, const QString &reason)
{
    HostLog::write(QStringLiteral("promoções %1: %2").arg(request.operation, reason));
    PromoAnswer answer;
    answer.failure = reason;
    return answer;
}

} // namespace

void setTimeoutMs(int milliseconds)
{
    timeout() = milliseconds;
}

int timeoutMs()
{
    return timeout();
}

QString resolvedUrl(const QString &url)
{
    if (url.trimmed().compare(QLatin1String("demo"), Qt::CaseInsensitive) == 0)
        return PromoDemo::url();
    return url.trimmed();
}

PromoAnswer IntegracaoPromo(const PromoRequest &request)
{
    const QUrl url(resolvedUrl(request.url));
    if (!url.isValid() || (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")))
        return failed(request, QStringLiteral("endereço do serviço de promoções inválido: \"%1\"").arg(request.url));
    QNetworkAccessManager network;
    QNetworkRequest post(url);
    post.setHeader(QNetworkRequest::ContentTypeHeader, QStringLiteral("application/json"));
    post.setTransferTimeout(timeout());
    QNetworkReply *reply = network.post(post, QJsonDocument(bodyOf(request)).toJson(QJsonDocument::Compact));
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    bool tooBig = false;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QObject::connect(&limit, &QTimer::timeout, reply, &QNetworkReply::abort);
    QObject::connect(reply, &QNetworkReply::downloadProgress, reply, [reply, &tooBig](qint64 received, qint64) {
        if (received > MaxAnswerBytes) {
            tooBig = true;
            reply->abort();
        }
    });
    limit.start(timeout());
    // Only the network is served while the exchange runs: the operator waits on the screen.
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    const bool timedOut = !limit.isActive();
    limit.stop();
    reply->deleteLater();
    if (tooBig)
        return failed(request, QStringLiteral("resposta maior que o limite"));
    if (reply->error() != QNetworkReply::NoError)
        return failed(request, timedOut ? QStringLiteral("sem resposta no tempo limite") : reply->errorString());
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    if (status != 200)
        return failed(request, QStringLiteral("resposta HTTP %1").arg(status));
    PromoAnswer answer;
    if (!readAnswer(reply->readAll(), answer))
        return failed(request, QStringLiteral("resposta fora do protocolo"));
    answer.answered = true;
    return answer;
}

} // namespace Promotions
