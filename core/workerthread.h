#pragma once

#include <QMutex>
#include <QThread>

// Base of the library's background jobs. A job derives from this class,
// overrides run(), calls setCanceled(false) first and checks isCanceled()
// before each item. The owner waits for the thread before deleting it.
class WorkerThread : public QThread
{
public:
    explicit WorkerThread(QObject *parent = nullptr);
    ~WorkerThread() override;

    bool isCanceled() const;
    void setCanceled(bool canceled);
    void setCanceled() { setCanceled(true); }

private:
    mutable QMutex m_lock;
    bool m_canceled = false;
};
