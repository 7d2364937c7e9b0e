#include "core/workerthread.h"
#include "tests/support/testenvironment.h"

#include <QSemaphore>

namespace {

// Counts items; waits at item 3 until the test lets it go on.
class CountingWorker : public WorkerThread
{
public:
    void run() override
    {
        setCanceled(false);
        for (int item = 0; item < 10; ++item) {
            if (isCanceled())
                break;
            if (item == 3 && pauseAtThree) {
                reached.release();
                resume.acquire();
            }
            ++done;
        }
    }

    bool pauseAtThree = false;
    QSemaphore reached;
    QSemaphore resume;
    int done = 0;
};

} // namespace

class TestWorkerThread : public QObject
{
    Q_OBJECT

private slots:
    void cancelBeforeRunIsUndone()
    {
        CountingWorker worker;
        worker.setCanceled(true);
        QVERIFY(worker.isCanceled());
        worker.start();
        QVERIFY(worker.wait(5000));
        QCOMPARE(worker.done, 10);
    }

    void cancelDuringRunStopsAtNextItem()
    {
        CountingWorker worker;
        worker.pauseAtThree = true;
        worker.start();
        worker.reached.acquire();
        worker.setCanceled();
        worker.resume.release();
        QVERIFY(worker.wait(5000));
        // The item in progress completes; the next one is not started.
        QCOMPARE(worker.done, 4);
    }
};

VL_TEST_GUILESS_MAIN(TestWorkerThread)
#include "tst_workerthread.moc"
