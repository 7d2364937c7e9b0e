#pragma once

#include <QThread>

#include <functional>

// Stands in for a document's loading thread: runs `work` on a thread of its
// own.
class LoaderThread : public QThread
{
public:
    explicit LoaderThread(std::function<void()> work)
        : m_work(std::move(work))
    {
    }

protected:
    void run() override { m_work(); }

private:
    std::function<void()> m_work;
};
