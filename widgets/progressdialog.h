#pragma once

#include "widgets/framelessdialog.h"

#include <QMutex>
#include <QString>
#include <QTimer>

class ProgressBar;
class QLabel;
class QPushButton;
class WindowBar;

// The modal window that shows the progress of a long library operation
// running on a worker thread. The worker's reports (message, value and
// total, from any thread) are only stored under a mutex; a 100 ms timer,
// running while the dialog is visible, puts them on screen, so a fast worker
// never floods the interface.
//
// workerStateChanged(1) resets the dialog and runs it modally (the call
// returns when the dialog hides); workerStateChanged(0) hides it. CANCEL and
// the window bar's close button only emit canceled(): the dialog stays until
// the worker reports 0. BACKGROUND emits runBackground() and hides the
// dialog while the worker goes on. Escape rejects and emits canceled().
class ProgressDialog : public FramelessDialog
{
    Q_OBJECT
public:
    explicit ProgressDialog(QWidget *parent = nullptr);

    void setTitle(const QString &title);
    void setBackgroundButtonVisible(bool visible);

    // The bar's percentage for a report: value / total * 100 in single
    // precision, cut toward zero and kept within 0..100. A total of 0 or
    // less gives 0.
    static int percent(int value, int total);

    ProgressBar *progressBar() const { return m_bar; }
    QLabel *messageLabel() const { return m_message; }
    QPushButton *cancelButton() const { return m_cancel; }
    QPushButton *backgroundButton() const { return m_background; }
    WindowBar *windowBar() const { return m_windowBar; }

signals:
    void canceled();
    void runBackground();

public slots:
    void setMessage(const QString &message);
    void setProgressChanged(int val, int total);
    void reset();
    // The worker's WorkerStates value: 1 when its run begins, 0 when it ends.
    void workerStateChanged(int state);
    void onUpdateView();
    void onRequestBackgorund();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void retranslateUi();

    QTimer m_timer;
    QMutex m_mutex;
    QString m_messageText;
    int m_total = 1;
    int m_value = 0;

    WindowBar *m_windowBar = nullptr;
    QLabel *m_message = nullptr;
    ProgressBar *m_bar = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_background = nullptr;
};
