#include "fakepartners.h"

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>
#include <QXmlStreamReader>

#include <algorithm>

namespace {

using Partner = FakePartners::Partner;

const QList<QPair<Partner, QString>> &partnerPaths()
{
    static const QList<QPair<Partner, QString>> paths{{Partner::Ame, QStringLiteral("ame")},
                                                      {Partner::ClubPetro, QStringLiteral("clubpetro")},
                                                      {Partner::Gcom, QStringLiteral("gcom")},
                                                      {Partner::FourAll, QStringLiteral("4all")},
                                                      {Partner::Uds, QStringLiteral("uds")},
                                                      {Partner::OnlineLoyalty, QStringLiteral("fidonline")},
                                                      {Partner::GiftVoucher, QStringLiteral("valepresente")},
                                                      {Partner::CoreBanking, QStringLiteral("corebanc")},
                                                      {Partner::Vimo, QStringLiteral("vimo")},
                                                      {Partner::FixeCrm, QStringLiteral("fixecrm")},
                                                      {Partner::CrmBonus, QStringLiteral("crmbonus")},
                                                      {Partner::OnlineStatement, QStringLiteral("extrato")},
                                                      {Partner::CentralBalance, QStringLiteral("central")}};
    return paths;
}

QByteArray json(const QJsonObject &object)
{
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

QJsonObject jsonBody(const QByteArray &body)
{
    return QJsonDocument::fromJson(body).object();
}

// The texts of the children of an XML document's elements, by element name.
QHash<QString, QString> xmlTexts(const QByteArray &body, bool *wellFormed)
{
    QHash<QString, QString> texts;
    QXmlStreamReader reader(body);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement) {
            const QString name = reader.name().toString();
            if (name != QLatin1String("root") && name != QLatin1String("data"))
                texts.insert(name, reader.readElementText());
        }
    }
    *wellFormed = !reader.hasError();
    return texts;
}

} // namespace

class FakePartners::Server : public QAbstractHttpServer
{
public:
    explicit Server(FakePartners &owner) : m_owner(owner) {}
    using QAbstractHttpServer::makeResponder;

protected:
    bool handleRequest(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        m_owner.handle(request, socket, *this);
        return true;
    }
    void missingHandler(const QHttpServerRequest &request, QTcpSocket *socket) override
    {
        makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
    }

private:
    FakePartners &m_owner;
};

QByteArray FakePartners::Request::header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers)
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return value;
    return QByteArray();
}

FakePartners::FakePartners() : m_server(std::make_unique<Server>(*this)) {}

FakePartners::~FakePartners() = default;

bool FakePartners::start(quint16 port)
{
    return m_server->listen(QHostAddress::LocalHost, port) != 0;
}

quint16 FakePartners::port() const
{
    const QList<quint16> ports = m_server->serverPorts();
    return ports.isEmpty() ? 0 : ports.first();
}

QString FakePartners::baseUrl(Partner partner) const
{
    return QStringLiteral("http://127.0.0.1:%1/%2").arg(port()).arg(nameOf(partner));
}

QString FakePartners::nameOf(Partner partner)
{
    for (const auto &[known, name] : partnerPaths())
        if (known == partner)
            return name;
    return QString();
}

FakePartners::Settings &FakePartners::settings()
{
    return m_settings;
}

void FakePartners::setBehaviour(Partner partner, Behaviour behaviour)
{
    m_behaviour.insert(int(partner), behaviour);
}

void FakePartners::setBehaviourForAll(Behaviour behaviour)
{
    for (const auto &pair : partnerPaths())
        setBehaviour(pair.first, behaviour);
}

void FakePartners::setHandler(Partner partner, Handler handler)
{
    m_handlers.insert(int(partner), std::move(handler));
}

void FakePartners::loseAnswerOnce(Partner partner, const QString &path)
{
    m_loseOnce.insert(int(partner), path);
}

QList<FakePartners::Request> FakePartners::requests(Partner partner) const
{
    QList<Request> of;
    std::copy_if(m_requests.cbegin(), m_requests.cend(), std::back_inserter(of),
                 [partner](const Request &r) { return r.partner == partner; });
    return of;
}

QStringList FakePartners::applied(Partner partner) const
{
    return m_applied.value(int(partner));
}

bool FakePartners::apply(Partner partner, const QString &id)
{
    QStringList &ids = m_applied[int(partner)];
    if (ids.contains(id))
        return false;
    ids.append(id);
    return true;
}

void FakePartners::handle(const QHttpServerRequest &http, QTcpSocket *socket, Server &server)
{
    const QString path = http.url().path();
    const QString first = path.section(QLatin1Char('/'), 1, 1);
    const auto known = std::find_if(partnerPaths().cbegin(), partnerPaths().cend(),
                                    [&first](const auto &pair) { return pair.second == first; });
    using Status = QHttpServerResponder::StatusCode;
    // Made only when an answer goes out: a silent partner must leave the connection alone.
    auto respond = [&](const QByteArray &body, const QByteArray &type, Status status) {
        server.makeResponder(http, socket).write(body, type, status);
    };
    if (known == partnerPaths().cend()) {
        respond(QByteArray(), "text/plain", Status::NotFound);
        return;
    }
    Request request{known->first, QString(), path.mid(first.size() + 1), http.headers(), http.body()};
    request.method = http.method() == QHttpServerRequest::Method::Post  ? QStringLiteral("POST")
        : http.method() == QHttpServerRequest::Method::Get               ? QStringLiteral("GET")
                                                                         : QStringLiteral("OTHER");
    m_requests.append(request);
    Behaviour behaviour = m_behaviour.value(int(request.partner), Behaviour::Answer);
    // Only a loss asked for: a request to the partner's base itself has an empty path too.
    if (m_loseOnce.contains(int(request.partner)) && m_loseOnce.value(int(request.partner)) == request.path) {
        m_loseOnce.remove(int(request.partner));
        behaviour = Behaviour::AnswerLost;
    }
    switch (behaviour) {
    case Behaviour::Refuse:
        socket->abort();
        return;
    case Behaviour::Silent:
        return; // the responder goes away unanswered; the client waits until its time-out
    case Behaviour::Garbage:
        respond(QByteArray("\x01<<not an answer>>{\"unterminated", 30), "application/json", Status::Ok);
        return;
    case Behaviour::Oversized:
        respond(QByteArray(4 * 1024 * 1024, 'x'), "application/json", Status::Ok);
        return;
    case Behaviour::Unauthorized:
        respond(QByteArray("{\"error\":\"unauthorized\"}"), "application/json", Status::Unauthorized);
        return;
    case Behaviour::ServerError:
        respond(QByteArray("{\"error\":\"internal\"}"), "application/json", Status::InternalServerError);
        return;
    case Behaviour::AnswerLost:
        // The answer breaks off after its first bytes: a connection closed before any byte
        // would be sent again by the client's HTTP stack, which is not a lost answer.
        work(request);
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 64\r\n\r\n{\"sta");
        socket->flush();
        socket->disconnectFromHost();
        return;
    case Behaviour::Answer:
        break;
    }
    const Reply reply = work(request);
    respond(reply.body, reply.type, static_cast<Status>(reply.status));
}

FakePartners::Reply FakePartners::work(const Request &request)
{
    switch (request.partner) {
    case Partner::Ame:
        return ame(request);
    case Partner::ClubPetro:
        return clubPetro(request);
    case Partner::Gcom:
        return gcom(request);
    case Partner::FourAll:
    case Partner::Uds:
        return cashback(request);
    case Partner::OnlineLoyalty:
    case Partner::GiftVoucher:
    case Partner::CoreBanking:
    case Partner::Vimo:
    case Partner::FixeCrm:
        return cancellation(request);
    case Partner::CrmBonus:
        return crmBonus(request);
    case Partner::OnlineStatement:
    case Partner::CentralBalance:
        if (const Handler handler = m_handlers.value(int(request.partner))) {
            const HandlerReply reply = handler(request);
            return Reply{reply.status, reply.body};
        }
        return Reply{404, QByteArray()};
    }
    return Reply{404, QByteArray()};
}

// Token by Basic credentials of the environment named in x-api-mode ("P" production), then
// refunds by bearer token; the body is percent-encoded JSON.
FakePartners::Reply FakePartners::ame(const Request &request)
{
    const Reply unauthorised{401, json({{QStringLiteral("error"), QStringLiteral("unauthorized")}})};
    if (request.path == QLatin1String("/auth/oauth/token")) {
        const bool production = request.header("x-api-mode") == "P";
        const QString pair = production ? m_settings.ameLogin + QLatin1Char(':') + m_settings.amePassword
                                        : m_settings.ameLoginHom + QLatin1Char(':') + m_settings.amePasswordHom;
        if (request.header("Authorization") != "Basic " + pair.toUtf8().toBase64())
            return unauthorised;
        return Reply{200, json({{QStringLiteral("access_token"), m_settings.ameToken},
                                {QStringLiteral("token_type"), QStringLiteral("bearer")}})};
    }
    if (request.path != QLatin1String("/refund"))
        return Reply{404, QByteArray()};
    if (request.header("Authorization") != "Bearer " + m_settings.ameToken.toUtf8())
        return unauthorised;
    const QJsonObject body = jsonBody(QUrl::fromPercentEncoding(request.body).toUtf8());
    const QString refundId = body.value(QStringLiteral("refundId")).toString();
    if (refundId.isEmpty() || !body.value(QStringLiteral("amount")).isDouble())
        return Reply{400, json({{QStringLiteral("error"), QStringLiteral("invalid refund")}})};
    const bool first = apply(Partner::Ame, QStringLiteral("refund:") + refundId);
    return Reply{200, json({{QStringLiteral("refundId"), refundId},
                            {QStringLiteral("status"), first ? QStringLiteral("REFUNDED") : QStringLiteral("ALREADY_REFUNDED")}})};
}

FakePartners::Reply FakePartners::clubPetro(const Request &request)
{
    const Reply unauthorised{401, json({{QStringLiteral("error"), QStringLiteral("unauthorized")}})};
    if (request.path == QLatin1String("/token.php")) {
        const QJsonObject body = jsonBody(QUrl::fromPercentEncoding(request.body).toUtf8());
        if (body.value(QStringLiteral("client_id")).toString() != m_settings.clubId
            || body.value(QStringLiteral("client_secret")).toString() != m_settings.clubSecret)
            return unauthorised;
        // The programme writes its address with escaped slashes.
        QString point = QStringLiteral("http://127.0.0.1:%1/clubpetro/api/").arg(port());
        point.replace(QLatin1Char('/'), QStringLiteral("\\/"));
        return Reply{200, QStringLiteral("{\"access_token\":\"%1\",\"access_point\":\"%2\"}")
                              .arg(m_settings.clubToken, point).toUtf8()};
    }
    if (request.path != QLatin1String("/api/sale"))
        return Reply{404, QByteArray()};
    if (request.header("token") != m_settings.clubToken.toUtf8())
        return unauthorised;
    const QJsonObject body = jsonBody(request.body);
    if (body.contains(QStringLiteral("resgate"))) {
        const QJsonObject redeem = body.value(QStringLiteral("resgate")).toObject();
        const QString id = redeem.value(QStringLiteral("id_consumo_ponto")).toString();
        if (id.isEmpty())
            return Reply{400, json({{QStringLiteral("status_retorno"), false},
                                    {QStringLiteral("mensagem"), QStringLiteral("id_consumo_ponto ausente")}})};
        apply(Partner::ClubPetro, QStringLiteral("redeem:") + id);
        return Reply{200, json({{QStringLiteral("autorizacao"), QStringLiteral("AUT-") + id},
                                {QStringLiteral("saldo"), QStringLiteral("84.50")}})};
    }
    const QJsonObject customer = body.value(QStringLiteral("cliente")).toObject();
    const QString kind = customer.contains(QStringLiteral("dni")) ? QStringLiteral("dni") : QStringLiteral("cpf");
    const QString document = customer.value(kind).toString();
    const auto found = std::find_if(m_settings.clubCustomers.cbegin(), m_settings.clubCustomers.cend(),
                                    [&](const ClubCustomer &c) { return c.document == document && c.kind == kind; });
    if (found == m_settings.clubCustomers.cend())
        return Reply{200, json({{QStringLiteral("status_retorno"), false},
                                {QStringLiteral("mensagem"), QStringLiteral("cliente não encontrado")}})};
    QJsonObject answer{{QStringLiteral("status_retorno"), true},
                       {QStringLiteral("cod_cliente"), QStringLiteral("C-") + document},
                       {QStringLiteral("cartao"), QStringLiteral("CARD-") + document},
                       {QStringLiteral("telcelular"), QStringLiteral("11999990000")},
                       {QStringLiteral("saldopontos_dalvira"), found->points},
                       {QStringLiteral("cpf_ativo"), found->cpfActive},
                       {QStringLiteral("senha_resgate"), QStringLiteral("0000")},
                       {QStringLiteral("grupo"), found->group},
                       {QStringLiteral("bloqueado"), found->blocked},
                       {QStringLiteral("flg_status_cliente"), found->status}};
    if (m_settings.clubFalseElsewhere)
        answer.insert(QStringLiteral("aceita_sms"), false);
    return Reply{200, json(answer)};
}

// cancelBalance by bearer token; the sale is known by its CNPJ and fiscal number.
FakePartners::Reply FakePartners::gcom(const Request &request)
{
    auto answer = [](bool error, const QString &message) {
        return Reply{200, QStringLiteral("<root><error>%1</error><message>%2</message></root>")
                              .arg(error ? QStringLiteral("true") : QStringLiteral("false"), message.toHtmlEscaped())
                              .toUtf8(),
                     "application/xml"};
    };
    if (request.path != QLatin1String("/cancelBalance"))
        return Reply{404, QByteArray()};
    if (request.header("Authorization") != "Bearer " + m_settings.gcomToken.toUtf8())
        return Reply{401, "<root><error>true</error><message>unauthorized</message></root>", "application/xml"};
    bool wellFormed = false;
    const QHash<QString, QString> texts = xmlTexts(request.body, &wellFormed);
    if (!wellFormed || texts.value(QStringLiteral("saleCode")).isEmpty())
        return answer(true, QStringLiteral("documento inválido"));
    const bool first = apply(Partner::Gcom, QStringLiteral("cancel:%1/%2").arg(texts.value(QStringLiteral("cnpj")),
                                                                             texts.value(QStringLiteral("saleCode"))));
    return answer(false, first ? QStringLiteral("ok") : QStringLiteral("ja cancelado"));
}

// 4ALL and UDS: "/consulta", "/promocode" (4ALL), "/venda" (the use of a saved sale),
// "/venda_canc". JSON in, JSON out (host/README.md).
FakePartners::Reply FakePartners::cashback(const Request &request)
{
    const bool fourAll = request.partner == Partner::FourAll;
    QList<CashbackAccount> &accounts = fourAll ? m_settings.fourAll : m_settings.uds;
    const QJsonObject body = jsonBody(request.body);
    const QString cpf = body.value(QStringLiteral("cpf")).toString();
    auto account = std::find_if(accounts.begin(), accounts.end(), [&cpf](const CashbackAccount &a) { return a.cpf == cpf; });
    const QString saleKey = QStringLiteral("%1/%2/%3").arg(body.value(QStringLiteral("branch")).toString(),
                                                           body.value(QStringLiteral("desk")).toString(),
                                                           body.value(QStringLiteral("sale")).toString());
    if (request.path == QLatin1String("/consulta")) {
        if (account == accounts.end())
            return Reply{200, json({{QStringLiteral("error"), true},
                                    {QStringLiteral("message"), QStringLiteral("CPF não cadastrado.")}})};
        QJsonArray promotions;
        for (const Promotion &p : account->promotions)
            promotions.append(QJsonObject{{QStringLiteral("code"), p.code},
                                          {QStringLiteral("description"), p.description},
                                          {QStringLiteral("valid"), QStringLiteral("2099-12-31T00:00:00")},
                                          {QStringLiteral("type"), p.type},
                                          {QStringLiteral("value"), p.value}});
        return Reply{200, json({{QStringLiteral("error"), false}, {QStringLiteral("message"), QString()},
                                {QStringLiteral("name"), account->name}, {QStringLiteral("balance"), account->balance},
                                {QStringLiteral("blocked"), account->blocked}, {QStringLiteral("promotions"), promotions}})};
    }
    if (request.path == QLatin1String("/promocode")) {
        const QString code = body.value(QStringLiteral("code")).toString();
        const bool known = account != accounts.end()
            && std::any_of(account->promotions.cbegin(), account->promotions.cend(),
                           [&code](const Promotion &p) { return p.code.compare(code, Qt::CaseInsensitive) == 0; });
        return Reply{200, json({{QStringLiteral("error"), !known},
                                {QStringLiteral("message"), known ? QString() : QStringLiteral("código desconhecido")}})};
    }
    if (request.path == QLatin1String("/venda")) {
        if (apply(request.partner, QStringLiteral("sale:") + saleKey) && account != accounts.end())
            account->balance -= body.value(QStringLiteral("value")).toDouble();
        return Reply{200, json({{QStringLiteral("error"), false}})};
    }
    if (request.path == QLatin1String("/venda_canc")) {
        apply(request.partner, QStringLiteral("cancel:") + saleKey);
        return Reply{200, json({{QStringLiteral("error"), false}})};
    }
    return Reply{404, QByteArray()};
}

// The cancellation notices, JSON in and out: online loyalty "/cancela_saldo", gift voucher and
// core banking "/canc-resgate" (the gift voucher's GET asks how the cancellation stands),
// Vimo "/canc_cupom", FixeCRM "/cancelar_trans".
FakePartners::Reply FakePartners::cancellation(const Request &request)
{
    const QJsonObject body = jsonBody(request.body);
    if (body.isEmpty())
        return Reply{400, json({{QStringLiteral("error"), true}, {QStringLiteral("message"), QStringLiteral("corpo inválido")}})};
    const QString saleKey = QStringLiteral("%1/%2/%3").arg(body.value(QStringLiteral("branch")).toString(),
                                                           body.value(QStringLiteral("desk")).toString(),
                                                           body.value(QStringLiteral("sale")).toString());
    const QHash<int, QString> paths{{int(Partner::OnlineLoyalty), QStringLiteral("/cancela_saldo")},
                                    {int(Partner::GiftVoucher), QStringLiteral("/canc-resgate")},
                                    {int(Partner::CoreBanking), QStringLiteral("/canc-resgate")},
                                    {int(Partner::Vimo), QStringLiteral("/canc_cupom")},
                                    {int(Partner::FixeCrm), QStringLiteral("/cancelar_trans")}};
    if (request.path != paths.value(int(request.partner)))
        return Reply{404, QByteArray()};
    QString id = saleKey;
    if (request.partner == Partner::GiftVoucher || request.partner == Partner::CoreBanking)
        id = body.value(QStringLiteral("request")).toString();
    else if (request.partner == Partner::Vimo)
        id = body.value(QStringLiteral("coupon")).toString();
    if (request.method != QLatin1String("GET"))
        apply(request.partner, QStringLiteral("cancel:") + id);
    return Reply{200, json({{QStringLiteral("error"), false}, {QStringLiteral("message"), QString()}})};
}

// CRM Bonus: "/cancelBonus", an XML document with the company code, the authorisation and the
// order's bonus id and NFC-e code.
FakePartners::Reply FakePartners::crmBonus(const Request &request)
{
    if (request.path != QLatin1String("/cancelBonus"))
        return Reply{404, QByteArray()};
    QHash<QString, QString> texts;
    QXmlStreamReader reader(request.body);
    const QStringList leaves{QStringLiteral("companyCode"), QStringLiteral("authorization"), QStringLiteral("bonusId"),
                             QStringLiteral("nfceCode")};
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::StartElement && leaves.contains(reader.name().toString())) {
            const QString name = reader.name().toString();
            texts.insert(name, reader.readElementText());
        }
    }
    const QString bonus = texts.value(QStringLiteral("bonusId"));
    if (reader.hasError() || bonus.isEmpty())
        return Reply{400, QByteArray("<result><error>documento inválido</error></result>"), "application/xml"};
    apply(Partner::CrmBonus, QStringLiteral("bonus:") + bonus);
    return Reply{200, QByteArray("<result><status>cancelled</status></result>"), "application/xml"};
}
