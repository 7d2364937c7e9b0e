#include "library/workers/libraryworker.h"

LibraryWorker::LibraryWorker(QObject *parent)
    : WorkerThread(parent)
{
    // The signals cross threads; registering twice is harmless.
    qRegisterMetaType<WorkerStates>("WorkerStates");
}

LibraryWorker::~LibraryWorker() = default;

void LibraryWorker::setState(WorkerStates state)
{
    QMutexLocker locker(&m_stateMutex);
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged(state);
}

WorkerStates LibraryWorker::currentState()
{
    QMutexLocker locker(&m_stateMutex);
    return m_state;
}

void LibraryWorker::rest()
{
    if (m_restMs > 0)
        msleep(m_restMs);
}
