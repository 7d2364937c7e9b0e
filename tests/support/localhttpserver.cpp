#include "tests/support/localhttpserver.h"

#include <QHostAddress>
#include <QTcpSocket>

namespace {

// A test's request is small; anything past this is a runaway client.
constexpr int MaxRequestBytes = 64 << 20;

} // namespace

LocalHttpServer::LocalHttpServer(QObject *parent)
    : QObject(parent)
{
    setReply(200, "OK");
    connect(&m_server, &QTcpServer::newConnection, this, &LocalHttpServer::onNewConnection);
}

bool LocalHttpServer::listen()
{
    return m_server.listen(QHostAddress::LocalHost, 0);
}

QString LocalHttpServer::url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void LocalHttpServer::setReply(int status, const QByteArray &body,
                               const QList<QPair<QByteArray, QByteArray>> &headers)
{
    QByteArray reply = "HTTP/1.1 " + QByteArray::number(status) + " Status\r\n";
    for (const auto &header : headers)
        reply += header.first + ": " + header.second + "\r\n";
    reply += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    reply += "Connection: close\r\n\r\n";
    reply += body;
    m_reply = reply;
}

void LocalHttpServer::setRawReply(const QByteArray &raw)
{
    m_reply = raw;
}

void LocalHttpServer::onNewConnection()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        socket->setParent(this);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { onReadyRead(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
            m_buffers.remove(socket);
            socket->deleteLater();
        });
    }
}

void LocalHttpServer::onReadyRead(QTcpSocket *socket)
{
    QByteArray &buffer = m_buffers[socket];
    buffer += socket->readAll();
    if (buffer.size() > MaxRequestBytes) {
        socket->abort();
        return;
    }
    const int headerEnd = buffer.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return;
    Request request;
    const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.method = first.value(0);
    request.target = first.value(1);
    for (int i = 1; i < lines.size(); ++i) {
        const int colon = lines.at(i).indexOf(':');
        if (colon > 0)
            request.headers.insert(lines.at(i).left(colon).trimmed().toLower(),
                                   lines.at(i).mid(colon + 1).trimmed());
    }
    const int length = request.headers.value("content-length", "0").toInt();
    if (buffer.size() < headerEnd + 4 + length)
        return;
    request.body = buffer.mid(headerEnd + 4, length);
    buffer.clear();
    m_requests.append(request);
    emit requestReceived();
    if (m_hang)
        return;
    socket->write(m_reply);
    socket->flush();
    socket->disconnectFromHost();
}
