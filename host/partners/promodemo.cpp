#include "promodemo.h"

#include <QHash>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUuid>


namespace PromoDemo {

namespace {

class Service : public QTcpServer
{
public:
    Service()
    {
        connect(this, &QTcpServer::newConnection, this, &Service::accept);
        listen(QHostAddress::LocalHost, 0);
    }

private:
    void accept()
    {
        while (QTcpSocket *socket = nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, socket, [this, socket] { read(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    }

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
        const QByteArray body = buffer.mid(end + 4, length);
        m_buffers.remove(socket);
        const QByteArray answer = QJsonDocument(answerTo(QJsonDocument::fromJson(body).object()))
                                      .toJson(QJsonDocument::Compact);
        socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nConnection: close\r\nContent-Length: "
                      + QByteArray::number(answer.size()) + "\r\n\r\n" + answer);
        socket->disconnectFromHost();
    }

    QJsonObject answerTo(const QJsonObject &request)
    {
        const QString operation = request.value("operacao").toString();
        if (operation == QLatin1String("ENVIO_CARRINHO")) {
            const QString id = QUuid::createUuid().toString(QUuid::WithoutBraces);
            m_carts.insert(id, request.value("itens").toArray());
            return {{"erro", false}, {"idPedido", id}, {"erros", QJsonArray()}};
        }
        if (operation == QLatin1String("CONSULTA_CARRINHO"))
            return promotionsOf(request.value("idPedido").toString());
        if (operation == QLatin1String("ABANDONA_CARRINHO")) {
            m_carts.remove(request.value("idPedido").toString());
            return {{"erro", false}, {"erros", QJsonArray()}};
        }
        return {{"erro", true},
                {"erros", QJsonArray{QJsonObject{{"CDERRO", "1"}, {"DSERROCONS", "Operação desconhecida"}}}}};
    }

    QJsonObject promotionsOf(const QString &id) const
    {
        const QJsonArray items = m_carts.value(id);
        if (!m_carts.contains(id))
            return {{"erro", true},
                    {"erros", QJsonArray{QJsonObject{{"CDERRO", "2"}, {"DSERROCONS", "Carrinho não encontrado"}}}}};
        if (items.isEmpty())
            return {{"erro", false}, {"promocoes", QJsonArray()}, {"produtos", QJsonArray()}, {"erros", QJsonArray()}};
        // The lines already sold keep their prices (on a fiscal printer they are on the coupon):
        // the promotion only adds a cola can at a special price.
        const QString promotion = QStringLiteral("DEMO-COMBO-0000-0000-0000-000000000001");
        QJsonArray products{QJsonObject{{"IDPROMOCAO", promotion}, {"CDPRODUTO", "07003"}, {"QTPRODCOMVEN", 1},
                                        {"VRPRECCOMVEN", 3.0}, {"NRPRODCOMVEN", ""}, {"INCLUIDO", "true"}}};
        QJsonArray promotions{QJsonObject{{"IDPROMOCAO", promotion}, {"NMPROMOCAO", "Combo refrigerante"},
                                          {"DSPROMOCAO", "Uma lata de cola por R$ 3,00 com qualquer pedido"},
                                          {"IDTPPROMOCAO", "O"}, {"IDTPDESCPROMO", "V"}, {"VRDESCPROMO", 3.5},
                                          {"VRVENDAPROMO", 0}}};
        return {{"erro", false}, {"promocoes", promotions}, {"produtos", products}, {"erros", QJsonArray()}};
    }

    QHash<QTcpSocket *, QByteArray> m_buffers;
    QHash<QString, QJsonArray> m_carts;
};

} // namespace

QString url()
{
    static QPointer<Service> service;
    if (!service)
        service = new Service;
    if (!service->isListening())
        return QString();
    return QStringLiteral("http://127.0.0.1:%1/promocoes").arg(service->serverPort());
}

} // namespace PromoDemo
