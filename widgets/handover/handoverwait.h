#pragma once

#include <QAtomicInt>
#include <QRecursiveMutex>

namespace Handover {

// Blocks until `pending` drops to 0. A loading thread sleeps 10 ms between
// looks; the GUI thread keeps its event loop turning instead, so a request
// made on the GUI thread itself is still answered rather than waited on
// forever.
void waitWhilePending(const QAtomicInt &pending);

// Takes the lock that serialises whole exchanges. A loading thread just
// waits its turn; the GUI thread must keep serving the loader that holds the
// exchange, so it polls the lock with its event loop turning.
void lockExchange(QRecursiveMutex &lock);

// True when the caller runs on the application's main (GUI) thread.
bool onGuiThread();

} // namespace Handover
