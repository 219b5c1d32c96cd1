#include <host/partners/promodemo.h>
#include <host/partners/promotions.h>
#include <host/dialogs/waitwindow.h>

#include <runtime/datapacket.h>

#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>

namespace {

// A promotions service on 127.0.0.1 for one test: it answers each POST with what `reply`
// makes of the request's JSON (the whole HTTP answer, status line included), or never answers
// when `reply` gives nothing. The bodies it received are kept.
class FakeService : public QTcpServer
{
public:
    using Reply = std::function<QByteArray(const QJsonObject &request)>;

    explicit FakeService(Reply reply) : m_reply(std::move(reply))
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
            }
        });
        listen(QHostAddress::LocalHost, 0);
    }

    QString url() const { return QStringLiteral("http://127.0.0.1:%1/promocoes").arg(serverPort()); }
    QList<QJsonObject> received;

    static QByteArray ok(const QJsonObject &body) { return http("200 OK", QJsonDocument(body).toJson()); }
    static QByteArray http(const char *status, const QByteArray &body)
    {
        return QByteArray("HTTP/1.1 ") + status + "\r\nContent-Type: application/json\r\nContent-Length: "
            + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    }

private:
    void read(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        qsizetype length = 0;
        for (const QByteArray &line : buffer.left(end).split('\n')) {
            if (line.trimmed().toLower().startsWith("content-length:"))
                length = line.mid(15).trimmed().toLongLong();
        }
        if (buffer.size() < end + 4 + length)
            return;
        const QJsonObject request = QJsonDocument::fromJson(buffer.mid(end + 4, length)).object();
        received.append(request);
        const QByteArray answer = m_reply(request);
        if (answer.isEmpty())
            return; // stalls: the client must give up on its own
        socket->write(answer);
        socket->disconnectFromHost();
    }

    Reply m_reply;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};

PromoRequest sendRequest(const QString &url)
{
    PromoRequest request;
    request.operation = "ENVIO_CARRINHO";
    request.url = url;
    request.cpf = "52998224725";
    request.origin = "BAL";
    request.when = Variant(QDateTime(QDate(2026, 4, 10), QTime(15, 30)));
    DataPacket items;
    items.fields = {{"NRSEQ", FieldType::String, 3}, {"CDPRODUTO", FieldType::String, 20},
                    {"VRPRECCOMVEN", FieldType::Double, 0}};
    items.rows = {{Variant("001"), Variant("01001"), Variant(22.9)}};
    request.items = Variant(items);
    request.cdFilial = "0001";
    request.cdLoja = "01";
    request.promoCode = "COMBO";
    return request;
}

class PromotionsClient : public ::testing::Test
{
protected:
    void SetUp() override { Promotions::setTimeoutMs(2000); }
    void TearDown() override { Promotions::setTimeoutMs(15000); }
};

TEST_F(PromotionsClient, TheCartGoesAsJsonAndTheAnswerComesBackAsLists)
{
    FakeService service([](const QJsonObject &request) {
        if (request.value("operacao") == "ENVIO_CARRINHO")
            return FakeService::ok({{"erro", false}, {"idPedido", "abc-123"}, {"erros", QJsonArray()}});
        return FakeService::ok(
            {{"erro", false},
             {"promocoes", QJsonArray{QJsonObject{{"IDPROMOCAO", "P1"}, {"NMPROMOCAO", "Combo"}, {"IDTPPROMOCAO", "O"},
                                                  {"VRVENDAPROMO", 25.9}}}},
             {"produtos", QJsonArray{QJsonObject{{"IDPROMOCAO", "P1"}, {"CDPRODUTO", "07003"}, {"QTPRODCOMVEN", 1},
                                                 {"VRPRECCOMVEN", 3}, {"NRPRODCOMVEN", ""}, {"INCLUIDO", "true"}}}},
             {"erros", QJsonArray()}});
    });
    ASSERT_TRUE(service.isListening());
    const PromoAnswer sent = Promotions::IntegracaoPromo(sendRequest(service.url()));
    ASSERT_TRUE(sent.answered) << sent.failure.toStdString();
    EXPECT_FALSE(sent.error);
    EXPECT_EQ(sent.orderId, "abc-123");
    ASSERT_EQ(service.received.size(), 1);
    const QJsonObject body = service.received.first();
    EXPECT_EQ(body.value("cpf").toString(), "52998224725");
    EXPECT_EQ(body.value("origem").toString(), "BAL");
    EXPECT_EQ(body.value("codigoPromocao").toString(), "COMBO");
    EXPECT_EQ(body.value("dataHora").toString(), "2026-04-10T15:30:00");
    EXPECT_EQ(body.value("itens").toArray().first().toObject().value("CDPRODUTO").toString(), "01001");

    PromoRequest consult;
    consult.operation = "CONSULTA_CARRINHO";
    consult.url = service.url();
    consult.orderId = sent.orderId;
    consult.items = Variant::null();
    const PromoAnswer answer = Promotions::IntegracaoPromo(consult);
    ASSERT_TRUE(answer.answered) << answer.failure.toStdString();
    EXPECT_EQ(service.received.last().value("idPedido").toString(), "abc-123");
    ASSERT_EQ(answer.promotions.rows.size(), 1);
    EXPECT_EQ(answer.promotions.value(0, "NMPROMOCAO"), Variant("Combo"));
    EXPECT_TRUE(answer.promotions.value(0, "DSPROMOCAO").isNull());
    EXPECT_EQ(answer.products.value(0, "VRPRECCOMVEN").toDouble(), 3.0);
    EXPECT_EQ(answer.products.value(0, "INCLUIDO"), Variant("true"));
    EXPECT_TRUE(answer.errors.rows.isEmpty());
}

TEST_F(PromotionsClient, ErrorRowsAreAnsweredWithTheErrorFlag)
{
    FakeService service([](const QJsonObject &) {
        return FakeService::ok({{"erro", true},
                                {"erros", QJsonArray{QJsonObject{{"CDERRO", "10"}, {"DSERROCONS", "Loja desconhecida"}}}}});
    });
    const PromoAnswer answer = Promotions::IntegracaoPromo(sendRequest(service.url()));
    ASSERT_TRUE(answer.answered);
    EXPECT_TRUE(answer.error);
    EXPECT_EQ(answer.errors.value(0, "DSERROCONS"), Variant("Loja desconhecida"));
}

struct BrokenCase
{
    const char *name;
    QByteArray reply; // empty: no answer at all
};

class BrokenService : public PromotionsClient, public ::testing::WithParamInterface<BrokenCase>
{
};

TEST_P(BrokenService, AnswersNotAnsweredWithTheReason)
{
    Promotions::setTimeoutMs(300);
    const QByteArray reply = GetParam().reply;
    FakeService service([reply](const QJsonObject &) { return reply; });
    const PromoAnswer answer = Promotions::IntegracaoPromo(sendRequest(service.url()));
    EXPECT_FALSE(answer.answered);
    EXPECT_FALSE(answer.failure.isEmpty());
    EXPECT_TRUE(answer.orderId.isEmpty());
}

const BrokenCase brokenCases[] = {
    {"Stalls", QByteArray()},
    {"Garbage", FakeService::http("200 OK", "<html>not json</html>")},
    {"NoErrorFlag", FakeService::ok({{"idPedido", "x"}})},
    {"ListOfTheWrongShape", FakeService::ok({{"erro", false}, {"promocoes", "muitas"}})},
    {"ServerError", FakeService::http("500 Internal Server Error", "{}")},
    {"Oversized", FakeService::http("200 OK", QByteArray(Promotions::MaxAnswerBytes + 10, ' '))},
};

INSTANTIATE_TEST_SUITE_P(Cases, BrokenService, ::testing::ValuesIn(brokenCases),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(PromotionsClient, ARefusedConnectionOrABadAddressIsNotAnswered)
{
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const quint16 port = closed.serverPort();
    closed.close();
    for (const QString &url : {QStringLiteral("http://127.0.0.1:%1/promocoes").arg(port), QString(),
                               QStringLiteral("ftp://127.0.0.1/x")}) {
        SCOPED_TRACE(url.toStdString());
        const PromoAnswer answer = Promotions::IntegracaoPromo(sendRequest(url));
        EXPECT_FALSE(answer.answered);
        EXPECT_FALSE(answer.failure.isEmpty());
    }
}

TEST_F(PromotionsClient, TheDemoServiceOffersItsComboForACartAndForgetsAnAbandonedOne)
{
    const PromoAnswer sent = Promotions::IntegracaoPromo(sendRequest("demo"));
    ASSERT_TRUE(sent.answered) << sent.failure.toStdString();
    EXPECT_EQ(sent.orderId.size(), 36);
    PromoRequest consult;
    consult.operation = "CONSULTA_CARRINHO";
    consult.url = "demo";
    consult.orderId = sent.orderId;
    const PromoAnswer answer = Promotions::IntegracaoPromo(consult);
    ASSERT_TRUE(answer.answered);
    EXPECT_FALSE(answer.error);
    EXPECT_EQ(answer.promotions.value(0, "IDTPPROMOCAO"), Variant("O"));
    EXPECT_EQ(answer.products.value(0, "CDPRODUTO"), Variant("07003"));
    PromoRequest abandon;
    abandon.operation = "ABANDONA_CARRINHO";
    abandon.url = "demo";
    abandon.orderId = sent.orderId;
    EXPECT_TRUE(Promotions::IntegracaoPromo(abandon).answered);
    const PromoAnswer gone = Promotions::IntegracaoPromo(consult);
    EXPECT_TRUE(gone.answered);
    EXPECT_TRUE(gone.error);
}

TEST(WaitWindowTest, OpensWithTheTextAndClosesEvenTwice)
{
    QWidget owner;
    ASSERT_TRUE(WaitWindow::AtivaProcesso({&owner, "Aguarde enquanto consultamos as promoções...", 0, 0}).ok);
    EXPECT_TRUE(WaitWindow::isOpen());
    EXPECT_EQ(WaitWindow::text(), "Aguarde enquanto consultamos as promoções...");
    EXPECT_TRUE(WaitWindow::DesativaProcesso().ok);
    EXPECT_FALSE(WaitWindow::isOpen());
    EXPECT_TRUE(WaitWindow::DesativaProcesso().ok);
}

} // namespace
