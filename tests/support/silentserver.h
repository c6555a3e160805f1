// A TCP server that never answers, for the time-outs of a connection.

#pragma once

#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

// A server that accepts every TCP connection on a loopback port and never says a
// word, in a thread of its own so that it keeps accepting while the test waits.
class SilentServer : public QThread
{
public:
    SilentServer()
    {
        start();
        m_ready.acquire();
    }
    ~SilentServer() override
    {
        quit();
        wait();
    }

    quint16 port() const { return m_port; }

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        m_port = server.serverPort();
        QObject::connect(&server, &QTcpServer::newConnection, &server, [&server] {
            while (QTcpSocket *socket = server.nextPendingConnection())
                Q_UNUSED(socket); // kept open, as a child of the server, and left silent
        });
        m_ready.release();
        exec();
    }

private:
    QSemaphore m_ready;
    quint16 m_port = 0;
};
