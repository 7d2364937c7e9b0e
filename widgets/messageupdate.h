#pragma once

#include "widgets/framelessdialog.h"

#include <QString>

#include <functional>

class Button;
class QLabel;
class QPushButton;
class QUrl;
class WindowBar;

// Tells the user that a newer version exists. "new features" opens the
// change log and DOWNLOAD the download page in the desktop's browser; the
// program itself downloads nothing. Every way out rejects the dialog, so
// exec() tells nothing: the dialog has done its work when it closes.
class MessageUpdate : public FramelessDialog
{
    Q_OBJECT
public:
    // Hands an address to the desktop. The standard opener does it on a
    // pool thread and does not wait, so a slow browser start cannot block
    // the window.
    using UrlOpener = std::function<void(const QUrl &url)>;

    MessageUpdate(const QString &version, const QString &changelogUrl, const QString &downloadUrl,
                  QWidget *parent = nullptr);

    void setUrlOpener(UrlOpener opener);

    QLabel *messageLabel() const { return m_message; }
    QPushButton *linkButton() const { return m_link; }
    Button *downloadButton() const { return m_download; }
    QPushButton *cancelButton() const { return m_cancel; }
    WindowBar *windowBar() const { return m_windowBar; }

public slots:
    void onCloseWindow();
    void onLinkActivated();
    void onDownload();

protected:
    void changeEvent(QEvent *event) override;

private:
    void retranslateUi();
    void open(const QString &address);

    QString m_version;
    QString m_changelogUrl;
    QString m_downloadUrl;
    UrlOpener m_opener;
    WindowBar *m_windowBar = nullptr;
    QLabel *m_message = nullptr;
    QLabel *m_leadIn = nullptr;
    QPushButton *m_link = nullptr;
    Button *m_download = nullptr;
    QPushButton *m_cancel = nullptr;
};
