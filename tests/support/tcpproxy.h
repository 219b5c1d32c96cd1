#pragma once

#include <QString>
#include <QThread>

#include <atomic>

// A TCP proxy of a test's own on 127.0.0.1, on a free port, in front of a server (the test
// cluster): what a program sends through it goes to the target and back. It runs on a thread
// of its own, so it keeps forwarding while the test blocks waiting for a program it started.
//
// Refusing, it takes each new connection and closes it at once, as a server that has gone
// away does; the connections already through carry on, so a program's open sessions stay up
// while any session it opens now fails.
class TcpProxy
{
public:
    TcpProxy(const QString &targetHost, quint16 targetPort);
    ~TcpProxy();
    TcpProxy(const TcpProxy &) = delete;
    TcpProxy &operator=(const TcpProxy &) = delete;

    // Zero when it could not listen.
    quint16 port() const { return m_port; }
    void setRefusing(bool refusing) { m_refusing = refusing; }
    // Down, it is a server restarting: every connection through it is cut, and a new one is
    // refused (nothing listens on the port); up again, it listens on the same port. False when
    // it could not listen again.
    bool setDown(bool down);
    // The connections let through, and turned away, so far.
    int forwarded() const { return m_forwarded; }
    int refused() const { return m_refused; }

private:
    class Worker;
    friend class Worker;

    QThread m_thread;
    Worker *m_worker = nullptr;
    quint16 m_port = 0;
    std::atomic<bool> m_refusing{false};
    std::atomic<int> m_forwarded{0};
    std::atomic<int> m_refused{0};
};
