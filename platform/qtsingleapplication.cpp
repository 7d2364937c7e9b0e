#include "platform/qtsingleapplication.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QWidget>

#include <unistd.h>

namespace {

// A message travels as a 32-bit length and UTF-8 bytes; the receiver
// answers with one byte once it has emitted the message.
constexpr char kAck = '\x06';
// A message larger than this is not a command line: refuse it.
constexpr quint32 kMaxMessage = 16 * 1024 * 1024;

QString socketFolder()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    return folder;
}

bool readExactly(QLocalSocket &socket, char *data, qint64 size, int timeout)
{
    qint64 done = 0;
    while (done < size) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(timeout))
            return false;
        const qint64 got = socket.read(data + done, size - done);
        if (got < 0)
            return false;
        done += got;
    }
    return true;
}

} // namespace

QtSingleApplication::QtSingleApplication(int &argc, char **argv, bool guiEnabled)
    : QApplication(argc, argv, guiEnabled)
{
    const QByteArray id = QFileInfo(QCoreApplication::applicationFilePath())
                                  .absoluteFilePath()
                                  .toUtf8()
            + '|' + QByteArray::number(qulonglong(::getuid()));
    m_serverName = socketFolder() + QStringLiteral("/qtsingleapp-")
            + QString::fromLatin1(QCryptographicHash::hash(id, QCryptographicHash::Md5).toHex().left(16));
    startServer();
}

QtSingleApplication::~QtSingleApplication() = default;

void QtSingleApplication::startServer()
{
    m_server = new QLocalServer(this);
    // No socket options: with them the server binds elsewhere and renames
    // the socket into place, silently replacing a live instance's socket.
    // The runtime folder is private to the user already.
    if (m_server->listen(m_serverName)) {
        connect(m_server, &QLocalServer::newConnection, this,
                &QtSingleApplication::onNewConnection);
        return;
    }
    // Somebody holds the name: a live instance answers, a crashed one
    // left only its socket file behind.
    QLocalSocket probe;
    probe.connectToServer(m_serverName);
    if (probe.waitForConnected(1000)) {
        probe.disconnectFromServer();
        m_running = true;
        delete m_server;
        m_server = nullptr;
        return;
    }
    QLocalServer::removeServer(m_serverName);
    if (m_server->listen(m_serverName)) {
        connect(m_server, &QLocalServer::newConnection, this,
                &QtSingleApplication::onNewConnection);
    } else {
        // Another start won the race for the stale name: it is the first.
        m_running = true;
        delete m_server;
        m_server = nullptr;
    }
}

bool QtSingleApplication::sendMessage(const QString &message, int timeout)
{
    if (!m_running)
        return false;
    QLocalSocket socket;
    socket.connectToServer(m_serverName);
    if (!socket.waitForConnected(timeout))
        return false;
    const QByteArray payload = message.toUtf8();
    QByteArray frame;
    QDataStream stream(&frame, QIODevice::WriteOnly);
    stream << quint32(payload.size());
    frame.append(payload);
    if (socket.write(frame) != frame.size())
        return false;
    while (socket.bytesToWrite() > 0) {
        if (!socket.waitForBytesWritten(timeout))
            return false;
    }
    char ack = 0;
    if (!readExactly(socket, &ack, 1, timeout))
        return false;
    return ack == kAck;
}

void QtSingleApplication::onNewConnection()
{
    while (QLocalSocket *socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        // The sender writes its whole message at once; a short wait is
        // enough and keeps a misbehaving peer from holding the GUI.
        char header[4];
        if (!readExactly(*socket, header, 4, 1000)) {
            socket->abort();
            continue;
        }
        const quint32 size = (quint32(uchar(header[0])) << 24) | (quint32(uchar(header[1])) << 16)
                | (quint32(uchar(header[2])) << 8) | quint32(uchar(header[3]));
        if (size > kMaxMessage) {
            socket->abort();
            continue;
        }
        QByteArray payload(int(size), Qt::Uninitialized);
        if (size > 0 && !readExactly(*socket, payload.data(), size, 1000)) {
            socket->abort();
            continue;
        }
        socket->write(&kAck, 1);
        socket->flush();
        socket->waitForBytesWritten(1000);
        emit messageReceived(QString::fromUtf8(payload));
        if (m_activateOnMessage)
            activateWindow();
    }
}

void QtSingleApplication::setActivationWindow(QWidget *window, bool activateOnMessage)
{
    m_window = window;
    m_activateOnMessage = activateOnMessage;
}

QWidget *QtSingleApplication::activationWindow() const
{
    return m_window;
}

void QtSingleApplication::activateWindow()
{
    if (!m_window)
        return;
    m_window->setWindowState(m_window->windowState() & ~Qt::WindowMinimized);
    m_window->raise();
    m_window->activateWindow();
}
