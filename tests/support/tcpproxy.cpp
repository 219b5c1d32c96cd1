#include "tcpproxy.h"

#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

#include <memory>

// Lives on the proxy's thread: the listening socket and every pair of forwarded sockets.
class TcpProxy::Worker : public QObject
{
public:
    Worker(TcpProxy &owner, const QString &targetHost, quint16 targetPort)
        : m_owner(owner), m_targetHost(targetHost), m_targetPort(targetPort)
    {
    }

    quint16 listen()
    {
        m_server = new QTcpServer(this);
        QObject::connect(m_server, &QTcpServer::pendingConnectionAvailable, this, [this] { takeAll(); });
        return m_server->listen(QHostAddress::LocalHost, 0) ? m_server->serverPort() : 0;
    }

    void goDown()
    {
        m_server->close();
        const QList<QTcpSocket *> sockets = findChildren<QTcpSocket *>(Qt::FindDirectChildrenOnly);
        for (QTcpSocket *socket : sockets) {
            socket->abort();
            socket->deleteLater();
        }
    }

    bool goUp(quint16 port) { return m_server->isListening() || m_server->listen(QHostAddress::LocalHost, port); }

    // The server and every socket are children: they go here, on their own thread.
    void stop()
    {
        m_server = nullptr;
        const QObjectList all = children();
        // A socket still signals its disconnection from its own destructor, when it is no longer
        // a QTcpSocket: nothing of the proxy may answer that.
        for (QObject *child : all)
            QObject::disconnect(child, nullptr, this, nullptr);
        qDeleteAll(all);
    }

private:
    void takeAll()
    {
        while (QTcpSocket *client = m_server->nextPendingConnection()) {
            client->setParent(this);
            if (m_owner.m_refusing) {
                ++m_owner.m_refused;
                client->abort();
                client->deleteLater();
                continue;
            }
            ++m_owner.m_forwarded;
            forward(client);
        }
    }

    // Bytes from the client wait until the target answers the connect; either side's end
    // ends the other once what it still had to write is written.
    void forward(QTcpSocket *client)
    {
        auto *target = new QTcpSocket(this);
        QPointer<QTcpSocket> c(client), t(target);
        auto pending = std::make_shared<QByteArray>();
        QObject::connect(client, &QTcpSocket::readyRead, this, [c, t, pending] {
            if (!c)
                return;
            const QByteArray data = c->readAll();
            if (t && t->state() == QAbstractSocket::ConnectedState)
                t->write(data);
            else
                pending->append(data);
        });
        QObject::connect(target, &QTcpSocket::connected, this, [t, pending] {
            if (t && !pending->isEmpty())
                t->write(*pending);
            pending->clear();
        });
        QObject::connect(target, &QTcpSocket::readyRead, this, [c, t] {
            if (c && t)
                c->write(t->readAll());
        });
        const auto endBoth = [c, t] {
            for (const QPointer<QTcpSocket> &socket : {c, t}) {
                if (!socket)
                    continue;
                socket->disconnectFromHost();
                socket->deleteLater();
            }
        };
        QObject::connect(client, &QTcpSocket::disconnected, this, endBoth);
        QObject::connect(target, &QTcpSocket::disconnected, this, endBoth);
        QObject::connect(target, &QTcpSocket::errorOccurred, this, endBoth);
        target->connectToHost(m_targetHost, m_targetPort);
    }

    TcpProxy &m_owner;
    const QString m_targetHost;
    const quint16 m_targetPort;
    QTcpServer *m_server = nullptr;
};

TcpProxy::TcpProxy(const QString &targetHost, quint16 targetPort)
{
    m_worker = new Worker(*this, targetHost, targetPort);
    m_worker->moveToThread(&m_thread);
    m_thread.start();
    QMetaObject::invokeMethod(m_worker, [this] { m_port = m_worker->listen(); }, Qt::BlockingQueuedConnection);
}

bool TcpProxy::setDown(bool down)
{
    bool ok = true;
    QMetaObject::invokeMethod(
        m_worker,
        [this, down, &ok] {
            if (down)
                m_worker->goDown();
            else
                ok = m_worker->goUp(m_port);
        },
        Qt::BlockingQueuedConnection);
    return ok;
}

TcpProxy::~TcpProxy()
{
    QMetaObject::invokeMethod(m_worker, [this] { m_worker->stop(); }, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_worker;
}
