#include "widgets/handover/messageboxcontroller.h"

#include "core/logger.h"
#include "widgets/handover/handoverwait.h"

#include <QMetaMethod>
#include <QMutexLocker>

MessageBoxController::MessageBoxController(QObject *parent)
    : QObject(parent)
{
}

MessageBoxController::~MessageBoxController() = default;

void MessageBoxController::request(const QString &title, const QString &message)
{
    {
        QMutexLocker locker(&m_lock);
        m_pending.storeRelease(1);
    }
    if (!isSignalConnected(QMetaMethod::fromSignal(&MessageBoxController::showMessage))) {
        // Nobody shows it: keep the words in the log rather than lose them.
        Logger::instance()->write(
                QStringLiteral("MessageBoxController::request: %1: %2").arg(title, message),
                Logger::Warning);
        setPending(0);
        return;
    }
    emit showMessage(title, message);
}

qint32 MessageBoxController::isPending() const
{
    return m_pending.loadAcquire();
}

void MessageBoxController::setPending(qint32 pending)
{
    m_pending.storeRelease(pending);
}

void MessageBoxController::showAndWait(const QString &title, const QString &message)
{
    Handover::lockExchange(m_exchangeLock);
    request(title, message);
    Handover::waitWhilePending(m_pending);
    m_exchangeLock.unlock();
}
