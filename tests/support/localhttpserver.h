#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;

// A small HTTP/1.1 server on the loopback address for tests that need a
// server of their own (the update check, the crash upload). Every request
// is read whole (headers and a Content-Length body), recorded, and answered
// with the reply set by the test, or not at all (hang) to try time-outs.
class LocalHttpServer : public QObject
{
    Q_OBJECT
public:
    struct Request
    {
        QByteArray method;
        QByteArray target;
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    explicit LocalHttpServer(QObject *parent = nullptr);

    bool listen();
    quint16 port() const { return m_server.serverPort(); }
    // http://127.0.0.1:<port><path>
    QString url(const QString &path) const;

    // The answer to every later request. `raw` replaces the whole answer
    // (status line, headers and body) when not empty.
    void setReply(int status, const QByteArray &body,
                  const QList<QPair<QByteArray, QByteArray>> &headers = {});
    void setRawReply(const QByteArray &raw);
    void setHang(bool hang) { m_hang = hang; }

    QList<Request> requests() const { return m_requests; }

signals:
    void requestReceived();

private:
    void onNewConnection();
    void onReadyRead(QTcpSocket *socket);

    QTcpServer m_server;
    QMap<QTcpSocket *, QByteArray> m_buffers;
    QList<Request> m_requests;
    QByteArray m_reply;
    bool m_hang = false;
};
