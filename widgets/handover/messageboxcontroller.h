#pragma once

#include <QAtomicInt>
#include <QMutex>
#include <QObject>
#include <QRecursiveMutex>
#include <QString>

// Lets a loading thread show the user a message through the GUI thread and
// wait until it is closed. Created by the application without a QObject
// parent and kept for the whole run.
//
// Loading thread: request(title, message), then poll isPending() until 0 (or
// call showAndWait(), which does both). GUI thread: on showMessage() run the
// message box, then setPending(0).
//
// The pending word is atomic. A request while nobody listens to
// showMessage() goes to the day log instead and is not waited for.
class MessageBoxController : public QObject
{
    Q_OBJECT
public:
    explicit MessageBoxController(QObject *parent = nullptr);
    ~MessageBoxController() override;

    // Marks the message pending, then emits showMessage(title, message).
    void request(const QString &title, const QString &message);
    // 1 from request() until the GUI has closed the box, else 0.
    qint32 isPending() const;
    // GUI thread, once the box is closed: 0.
    void setPending(qint32 pending);

    // request(), then wait until the box is closed. On the GUI thread the
    // event loop keeps turning meanwhile.
    void showAndWait(const QString &title, const QString &message);

signals:
    void showMessage(QString title, QString message);

private:
    Q_DISABLE_COPY_MOVE(MessageBoxController)

    QMutex m_lock;
    QRecursiveMutex m_exchangeLock;
    QAtomicInt m_pending;
};
