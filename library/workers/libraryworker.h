#pragma once

#include "core/workerthread.h"
#include "library/db/workerstates.h"

#include <QMutex>
#include <QString>

#include <atomic>

// What the library's workers (adding books, export, import) share: the
// state and progress reports a ProgressDialog shows, and the short rest
// between two steps. Each worker adds its own result signals.
//
// The signals arrive queued at objects of other threads; WorkerStates is
// registered as a meta-type by the constructor.
class LibraryWorker : public WorkerThread
{
    Q_OBJECT
public:
    explicit LibraryWorker(QObject *parent = nullptr);
    ~LibraryWorker() override;

    // The rest after each step, which leaves the disk and the database to
    // the reading view now and then; 10 ms unless a measurement changes it.
    // Set before start().
    void setRestInterval(unsigned long milliseconds) { m_restMs = milliseconds; }

signals:
    void stateChanged(WorkerStates state);
    // The run has begun. Hides QThread::started(), which comes before the
    // first state change.
    void started();
    void progressChanged(int value, int total);
    void progressMessage(const QString &message);

protected:
    // Emits stateChanged() when the state changes.
    void setState(WorkerStates state);
    WorkerStates currentState();
    void rest();

private:
    Q_DISABLE_COPY_MOVE(LibraryWorker)

    QMutex m_stateMutex;
    WorkerStates m_state = WorkerStates::Idle;
    unsigned long m_restMs = 10;
};

// A run's result code, written by the worker's thread and by cancel() on
// another: the first cause of failure is kept, later ones do not replace it.
template<typename Error> class FirstError
{
public:
    void set(Error error)
    {
        Error expected = Error::NoError;
        m_error.compare_exchange_strong(expected, error);
    }
    Error value() const { return m_error; }

private:
    std::atomic<Error> m_error { Error::NoError };
};
