#pragma once

#include <QObject>

class QSocketNotifier;

// Ends the event loop when the process is asked to stop (SIGTERM, SIGINT,
// SIGHUP: a log-out, Ctrl+C, a closed terminal), so that the normal
// tear-down runs: the reader saves its place, helper processes are ended
// and their shared-memory blocks are released instead of outliving us.
class QuitOnSignal : public QObject
{
    Q_OBJECT
public:
    explicit QuitOnSignal(QObject *parent = nullptr);
    ~QuitOnSignal() override;

private:
    void onSignal();

    QSocketNotifier *m_notifier = nullptr;
};
