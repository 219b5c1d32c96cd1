#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QHttpServerRequest;
class QTcpSocket;

// Stand-ins for the partners' web services, served over real HTTP on 127.0.0.1 only: the AME
// wallet, the ClubPetro loyalty programme, the GCOM cashback platform and the 4ALL and UDS
// cashback services, and the partners a cancelled sale is reported to (online loyalty, gift
// voucher, core banking, Vimo, FixeCRM, CRM Bonus; their protocol is in host/README.md). Each partner can be told to refuse
// the connection, stay silent, answer garbage, an oversized body or an HTTP error, or to lose
// its answer after applying the request. Every request is recorded, and a ledger applies each
// refund, sale, cancellation or redemption id once: a repeat answers as the first did and
// applies nothing.
class FakePartners
{
public:
    enum class Partner { Ame, ClubPetro, Gcom, FourAll, Uds, OnlineLoyalty, GiftVoucher, CoreBanking, Vimo, FixeCrm,
                         CrmBonus, OnlineStatement, CentralBalance };
    enum class Behaviour {
        Answer,       // does its work and answers
        Refuse,       // drops the connection without an answer
        Silent,       // keeps the connection and never answers
        Garbage,      // status 200 with a body that is no answer
        Oversized,    // status 200 with a body of several megabytes
        Unauthorized, // status 401
        ServerError,  // status 500
        AnswerLost,   // does its work, then breaks its answer off after the first bytes
    };

    struct Request
    {
        Partner partner = Partner::Ame;
        QString method;
        QString path; // below the partner's base, e.g. "/refund"
        QList<QPair<QByteArray, QByteArray>> headers;
        QByteArray body;
        QByteArray header(const QByteArray &name) const;
    };

    // Credentials and data the services check and answer with.
    struct ClubCustomer
    {
        QString document;
        QString kind = QStringLiteral("cpf"); // "cpf" or "dni": how the programme knows it
        QString blocked = QStringLiteral("0");
        QString status = QStringLiteral("1"); // flg_status_cliente
        QString points = QStringLiteral("1,234.5");
        QString group = QStringLiteral("OURO");
        QString cpfActive = QStringLiteral("SIM");
    };
    struct Promotion
    {
        QString code;
        QString description;
        QString type; // "percentual" or a money value
        double value = 0;
    };
    struct CashbackAccount
    {
        QString cpf;
        QString name;
        double balance = 0;
        bool blocked = false;
        QList<Promotion> promotions; // 4ALL only
    };
    struct Settings
    {
        QString ameLogin = QStringLiteral("ame-prod"), amePassword = QStringLiteral("ame-prod-senha");
        QString ameLoginHom = QStringLiteral("ame-hom"), amePasswordHom = QStringLiteral("ame-hom-senha");
        QString ameToken = QStringLiteral("ame-token-123");
        QString clubId = QStringLiteral("club-id"), clubSecret = QStringLiteral("club-secret");
        QString clubToken = QStringLiteral("club-token-456");
        QString gcomToken = QStringLiteral("gcom-token-789");
        QList<ClubCustomer> clubCustomers;
        QList<CashbackAccount> fourAll;
        QList<CashbackAccount> uds;
        // Answers of the consult as the programme writes them: true gives "status_retorno"
        // and "false" in an unrelated member of a found customer.
        bool clubFalseElsewhere = false;
    };

    FakePartners();
    ~FakePartners();
    FakePartners(const FakePartners &) = delete;
    FakePartners &operator=(const FakePartners &) = delete;

    // Listens on 127.0.0.1 (port 0: any free port). False when it cannot.
    bool start(quint16 port = 0);
    quint16 port() const;
    // "http://127.0.0.1:<port>/<partner>", without a closing slash.
    QString baseUrl(Partner partner) const;

    Settings &settings();
    void setBehaviour(Partner partner, Behaviour behaviour);
    void setBehaviourForAll(Behaviour behaviour);
    // The next request to the path (e.g. "/refund") is applied and its answer lost; later
    // requests are answered as the partner's behaviour says.
    void loseAnswerOnce(Partner partner, const QString &path);

    // A partner answered by its owner's handler (the online statement and central balance
    // servers answer from the site's base, which this library does not reach): the handler
    // gets each request the behaviour lets through and gives the HTTP status and JSON body.
    // A partner without a handler answers 404.
    struct HandlerReply
    {
        int status = 200;
        QByteArray body;
    };
    using Handler = std::function<HandlerReply(const Request &)>;
    void setHandler(Partner partner, Handler handler);

    QList<Request> requests(Partner partner) const;
    // The ids the partner applied, in order, each once ("refund:<id>", "cancel:<cnpj>/<sale>",
    // "sale:<branch>/<desk>/<sale>", "redeem:<id>", "cancel:<branch>/<desk>/<sale>",
    // "cancel:<request or coupon>", "bonus:<bonus id>").
    QStringList applied(Partner partner) const;

    static QString nameOf(Partner partner);

private:
    class Server;
    friend class Server;
    struct Reply
    {
        int status = 200;
        QByteArray body;
        QByteArray type = "application/json";
    };
    void handle(const QHttpServerRequest &request, QTcpSocket *socket, Server &server);
    Reply work(const Request &request);
    Reply ame(const Request &request);
    Reply clubPetro(const Request &request);
    Reply gcom(const Request &request);
    Reply cashback(const Request &request);
    Reply cancellation(const Request &request);
    Reply crmBonus(const Request &request);
    bool apply(Partner partner, const QString &id);

    std::unique_ptr<Server> m_server;
    Settings m_settings;
    QHash<int, Behaviour> m_behaviour;
    QHash<int, QString> m_loseOnce;
    QList<Request> m_requests;
    QHash<int, QStringList> m_applied;
    QHash<int, Handler> m_handlers;
};
