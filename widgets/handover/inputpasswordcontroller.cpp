#include "widgets/handover/inputpasswordcontroller.h"

#include "core/logger.h"
#include "widgets/handover/handoverwait.h"

#include <QMetaMethod>
#include <QMutexLocker>

InputPasswordController::InputPasswordController(QObject *parent)
    : QObject(parent)
{
}

InputPasswordController::~InputPasswordController() = default;

void InputPasswordController::request(bool checkSkip)
{
    QMutexLocker requestLocker(&m_requestLock);
    {
        QMutexLocker answerLocker(&m_answerLock);
        m_skip = false;
        m_skipAll = false;
        m_password.clear();
    }
    m_pending.storeRelease(1);

    if (!isSignalConnected(QMetaMethod::fromSignal(&InputPasswordController::onRequest))) {
        Logger::instance()->write(
                QStringLiteral("InputPasswordController::request: nobody answers password "
                               "requests [FAILED]"),
                Logger::Warning);
        setAccepted(false);
        setPending(0);
        return;
    }
    // Emitted outside the lock: on the GUI thread the receiver runs a modal
    // dialog right here, and its event loop may well start another request.
    requestLocker.unlock();
    emit onRequest(checkSkip);
}

qint32 InputPasswordController::isPending() const
{
    return m_pending.loadAcquire();
}

bool InputPasswordController::isAccepted() const
{
    QMutexLocker locker(&m_answerLock);
    return m_accepted;
}

bool InputPasswordController::isSkip() const
{
    QMutexLocker locker(&m_answerLock);
    return m_skip;
}

bool InputPasswordController::isSkipAll() const
{
    QMutexLocker locker(&m_answerLock);
    return m_skipAll;
}

QString InputPasswordController::password() const
{
    QMutexLocker locker(&m_answerLock);
    return m_password;
}

void InputPasswordController::setPassword(const QString &password)
{
    QMutexLocker locker(&m_answerLock);
    m_password = password;
}

void InputPasswordController::setSkip(bool skip)
{
    QMutexLocker locker(&m_answerLock);
    m_skip = skip;
}

void InputPasswordController::setSkipAll(bool skipAll)
{
    QMutexLocker locker(&m_answerLock);
    m_skipAll = skipAll;
}

void InputPasswordController::setAccepted(bool accepted)
{
    QMutexLocker locker(&m_answerLock);
    m_accepted = accepted;
}

void InputPasswordController::setPending(qint32 pending)
{
    m_pending.storeRelease(pending);
}

void InputPasswordController::answer(const PasswordAnswer &answer)
{
    {
        QMutexLocker locker(&m_answerLock);
        if (answer.accepted) {
            m_password = answer.password;
            m_skip = answer.skip;
            m_skipAll = answer.skipAll;
        }
        m_accepted = answer.accepted;
    }
    setPending(0);
}

PasswordAnswer InputPasswordController::ask(bool checkSkip)
{
    Handover::lockExchange(m_exchangeLock);

    request(checkSkip);
    Handover::waitWhilePending(m_pending);

    PasswordAnswer result;
    {
        QMutexLocker locker(&m_answerLock);
        result.accepted = m_accepted;
        result.skip = m_skip;
        result.skipAll = m_skipAll;
        result.password = m_password;
    }
    m_exchangeLock.unlock();
    return result;
}
