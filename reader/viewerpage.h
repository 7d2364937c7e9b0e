#pragma once

#include <QVariant>
#include <QWebPage>

class LocalNetworkAccess;

// The web page in which the text viewer shows a book file. A book is
// untrusted, so the page runs none of its scripts and no plugins, opens no
// windows and loads nothing but the book's own files and the program's
// resources (LocalNetworkAccess). Scripting is switched on only for the
// length of one evaluate() call: the page script is the only script that
// ever runs in it.
//
// GUI thread only.
class ViewerPage : public QWebPage
{
    Q_OBJECT
public:
    explicit ViewerPage(QObject *parent = nullptr);
    ~ViewerPage() override;

    // Evaluates script in the main frame and answers its value; an invalid
    // value when it fails.
    QVariant evaluate(const QString &script);

    // Folders whose files the page may load.
    void setAllowedFolders(const QStringList &folders);
    LocalNetworkAccess *localAccess() const { return m_access; }

protected:
    bool acceptNavigationRequest(QWebFrame *frame, const QNetworkRequest &request,
                                 NavigationType type) override;
    QObject *createPlugin(const QString &classid, const QUrl &url, const QStringList &paramNames,
                          const QStringList &paramValues) override;
    QWebPage *createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(const QString &message, int lineNumber,
                                  const QString &sourceID) override;

private:
    Q_DISABLE_COPY_MOVE(ViewerPage)

    LocalNetworkAccess *m_access = nullptr;
    int m_evaluating = 0;
};
