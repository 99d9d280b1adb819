#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QNetworkProxy>
#include <QTcpServer>
#include <QTcpSocket>

// A web server on 127.0.0.1 for the update check: answers every request with one page (or an
// error status), or keeps silent, and records the requests it got. It runs on the test's own
// thread: the fetch's wait lets it answer.
class LocalPageServer : public QObject {
public:
    enum class Mode { Page, Silent };

    LocalPageServer()
    {
        // The fetch asks the machine's proxy settings; a test machine's proxy must not stand
        // between the test and its own server.
        QNetworkProxyFactory::setUseSystemConfiguration(false);
        QNetworkProxy::setApplicationProxy(QNetworkProxy::NoProxy);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] { accept(); });
        m_server.listen(QHostAddress::LocalHost);
    }

    QString address(const QString& path = QStringLiteral("/treewright/version.html")) const
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(m_server.serverPort()).arg(path);
    }

    // Without the announced length the page ends where the server closes the connection.
    void serve(const QByteArray& page, int status = 200, bool announceLength = true)
    {
        m_mode = Mode::Page;
        m_page = page;
        m_status = status;
        m_announceLength = announceLength;
    }
    void keepSilent() { m_mode = Mode::Silent; }

    QList<QByteArray> requests;

private:
    void accept()
    {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            socket->setParent(this);
            QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        }
    }
    void read(QTcpSocket* socket)
    {
        QByteArray& request = m_pending[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n"))
            return;
        requests << request;
        if (m_mode == Mode::Silent)
            return;
        const QByteArray reason = m_status == 200 ? "OK" : "Not Found";
        const QByteArray length = m_announceLength ? "Content-Length: " + QByteArray::number(m_page.size()) + "\r\n" : "";
        socket->write("HTTP/1.1 " + QByteArray::number(m_status) + " " + reason + "\r\nContent-Type: text/html\r\n" + length
                      + "Connection: close\r\n\r\n" + m_page);
        socket->disconnectFromHost();
    }

    QTcpServer m_server;
    Mode m_mode = Mode::Page;
    QByteArray m_page;
    int m_status = 200;
    bool m_announceLength = true;
    QHash<QTcpSocket*, QByteArray> m_pending;
};
