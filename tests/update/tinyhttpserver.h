#pragma once
// An HTTP server for the update's tests.
#include <QHash>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>

namespace kervio::test {

// Serves fixed bodies by path over plain HTTP on 127.0.0.1; unknown paths
// get 404. A silent server accepts and never answers.
class TinyHttpServer : public QTcpServer {
public:
    QHash<QByteArray, QByteArray> files;
    bool silent = false;
    // answers the paths ending in `trickled` with a few bytes of a big body,
    // then nothing more, as a server that trickles
    QByteArray trickled;
    QList<QByteArray> requested;

    TinyHttpServer()
    {
        connect(this, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *s = nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, s, [this, s] { serve(s); });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(serverPort()); }

private:
    void serve(QTcpSocket *s)
    {
        QByteArray buf = s->property("buf").toByteArray() + s->readAll();
        s->setProperty("buf", buf);
        if (!buf.contains("\r\n\r\n") || silent)
            return;
        const QList<QByteArray> first = buf.left(buf.indexOf("\r\n")).split(' ');
        const QByteArray path = first.value(1);
        requested << path;
        QByteArray reply;
        if (!trickled.isEmpty() && path.endsWith(trickled)) {
            s->write("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\nab");
            return;
        }
        if (files.contains(path)) {
            const QByteArray body = files.value(path);
            reply = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nContent-Length: "
                + QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
        } else {
            reply = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
        }
        s->write(reply);
        s->disconnectFromHost();
    }
};

} // namespace kervio::test
