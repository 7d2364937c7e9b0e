#pragma once

#include <QApplication>
#include <QPointer>

class QLocalServer;
class QWidget;

// One running instance per user and program file. The first instance
// listens on a local socket; a later one finds it there, hands over a text
// message with sendMessage() and ends. A socket left behind by an instance
// that crashed is detected (nobody answers on it) and taken over.
class QtSingleApplication : public QApplication
{
    Q_OBJECT
public:
    QtSingleApplication(int &argc, char **argv, bool guiEnabled = true);
    ~QtSingleApplication() override;

    // True when another instance was already listening at start-up.
    bool isRunning() const { return m_running; }

    // Delivers message to the running instance and waits for its receipt,
    // at most timeout milliseconds. False when there is no other instance
    // or it did not answer in time.
    bool sendMessage(const QString &message, int timeout = 5000);

    void setActivationWindow(QWidget *window, bool activateOnMessage = true);
    QWidget *activationWindow() const;

    // The socket name, derived from the user and the program file.
    QString serverName() const { return m_serverName; }

public slots:
    void activateWindow();

signals:
    void messageReceived(const QString &message);

private:
    void startServer();
    void onNewConnection();

    QString m_serverName;
    QLocalServer *m_server = nullptr;
    QPointer<QWidget> m_window;
    bool m_activateOnMessage = false;
    bool m_running = false;
};
