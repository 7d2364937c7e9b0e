#include "core/workerthread.h"

WorkerThread::WorkerThread(QObject *parent)
    : QThread(parent)
{
}

WorkerThread::~WorkerThread() = default;

bool WorkerThread::isCanceled() const
{
    QMutexLocker locker(&m_lock);
    return m_canceled;
}

void WorkerThread::setCanceled(bool canceled)
{
    QMutexLocker locker(&m_lock);
    m_canceled = canceled;
}
