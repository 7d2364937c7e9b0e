#include "widgets/handover/handoverwait.h"

#include <QCoreApplication>
#include <QThread>

namespace Handover {

bool onGuiThread()
{
    const QCoreApplication *application = QCoreApplication::instance();
    return application && QThread::currentThread() == application->thread();
}

void waitWhilePending(const QAtomicInt &pending)
{
    const bool gui = onGuiThread();
    while (pending.loadAcquire() != 0) {
        if (gui) {
            // The answer arrives through queued events; between them, rest
            // briefly rather than spin.
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            if (pending.loadAcquire() != 0)
                QThread::msleep(2);
        } else {
            QThread::msleep(10);
        }
    }
}

void lockExchange(QRecursiveMutex &lock)
{
    if (!onGuiThread()) {
        lock.lock();
        return;
    }
    while (!lock.tryLock(5))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace Handover
