#pragma once

#include <QAtomicInt>
#include <QMutex>
#include <QObject>
#include <QRecursiveMutex>
#include <QString>

// What the user answered to one password prompt.
struct PasswordAnswer
{
    // The dialog was closed through OK, SKIP or SKIP ALL (not its close box).
    bool accepted = false;
    bool skip = false;
    bool skipAll = false;
    QString password;
};

// Hands a document password request from a loading thread to the GUI thread
// and the answer back. Owned by the application, lives for the whole run.
//
// Loading thread: request(), poll isPending() until 0 (or call ask(), which
// does both and also serialises whole exchanges of several loaders), then
// read the answer. GUI thread: on onRequest() show the password dialog, store
// the answer fields and set pending to 0 last (answer() does that in order).
//
// The pending word is atomic: a loader that reads 0 sees the complete answer.
// A request made while nobody listens to onRequest() is answered at once as
// not accepted, so no loader waits for a dialog that never comes.
class InputPasswordController : public QObject
{
    Q_OBJECT
public:
    explicit InputPasswordController(QObject *parent = nullptr);
    ~InputPasswordController() override;

    // Loading thread. Clears skip, skip all and the password, marks the
    // request pending and emits onRequest(checkSkip). checkSkip decides
    // whether the dialog offers SKIP and SKIP ALL.
    void request(bool checkSkip);
    // 1 from request() until the GUI has answered, else 0.
    qint32 isPending() const;
    bool isAccepted() const;
    bool isSkip() const;
    bool isSkipAll() const;
    QString password() const;

    // GUI thread: the answer fields, then pending 0 last.
    void setPassword(const QString &password);
    void setSkip(bool skip);
    void setSkipAll(bool skipAll);
    void setAccepted(bool accepted);
    void setPending(qint32 pending);
    // All answer fields, then pending 0.
    void answer(const PasswordAnswer &answer);

    // Loading thread (the GUI thread works too): request, wait until the
    // answer is in, return it. Blocks as long as the dialog is open; on the
    // GUI thread the event loop keeps turning meanwhile.
    PasswordAnswer ask(bool checkSkip);

signals:
    void onRequest(bool checkSkip);

private:
    Q_DISABLE_COPY_MOVE(InputPasswordController)

    QMutex m_requestLock;
    mutable QMutex m_answerLock;
    // Held from request to answer by ask(); recursive because a dialog's own
    // event loop on the GUI thread may start a further exchange.
    QRecursiveMutex m_exchangeLock;
    QAtomicInt m_pending;
    QString m_password;
    bool m_skip = false;
    bool m_skipAll = false;
    bool m_accepted = false;
};
