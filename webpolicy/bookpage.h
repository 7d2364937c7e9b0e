#pragma once

#include <QStringList>
#include <QVariant>
#include <QWebPage>

class LocalNetworkAccess;

// The one web page policy for book files, shared by the text viewer and the
// pagination helper so that the two cannot drift apart. A book is untrusted:
// the page runs none of its scripts, no plugins and no media, opens no
// windows or dialogs, loads nothing but the book's own files and the
// program's resources (LocalNetworkAccess), and refuses every navigation
// that would leave them. Scripting is switched on only for the length of one
// evaluate() call: the program's page script is the only script that ever
// runs in it.
//
// GUI thread only.
class BookPage : public QWebPage
{
    Q_OBJECT
public:
    explicit BookPage(QObject *parent = nullptr);
    ~BookPage() override;

    // Evaluates script in the main frame and answers its value; an invalid
    // value when it fails.
    QVariant evaluate(const QString &script);

    // Folders whose files the page may load (their sub-folders included).
    void setAllowedFolders(const QStringList &folders);
    // Lets the page load the book whose HTML files lie in contentFolder:
    // the folders of readableFolders().
    void setContentFolder(const QString &contentFolder);
    LocalNetworkAccess *localAccess() const { return m_access; }

    // The folders a book page may read for the HTML files in contentFolder:
    // the folder itself and, when it lies in the library's storage of a
    // book, that book's whole storage folder (a chapter may name pictures
    // beside its package folder).
    static QStringList readableFolders(const QString &contentFolder);

    // While held, the body of a file the page loads stays out of the layout
    // until the page script has wrapped it (its init() puts WrappedAttribute
    // on the root element): the engine would otherwise build and lay out
    // every box of the file as loaded, only for the wrapping to throw them
    // away (seconds for a paragraph of tens of thousands of links). Held
    // from before a load to just after init(): the book's frames get no
    // wrappers and show once it is let go.
    void setLayoutHeld(bool held);
    static const char WrappedAttribute[];

    // Sets the attributes of the policy on settings; the page does it for
    // its own, a program that only lays books out also for the global ones.
    static void applyPolicy(QWebSettings *settings);

protected:
    bool acceptNavigationRequest(QWebFrame *frame, const QNetworkRequest &request,
                                 NavigationType type) override;
    QObject *createPlugin(const QString &classid, const QUrl &url, const QStringList &paramNames,
                          const QStringList &paramValues) override;
    QWebPage *createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(const QString &message, int lineNumber,
                                  const QString &sourceID) override;
    // A dialog would block the program: none is ever shown.
    void javaScriptAlert(QWebFrame *frame, const QString &message) override;
    bool javaScriptConfirm(QWebFrame *frame, const QString &message) override;
    bool javaScriptPrompt(QWebFrame *frame, const QString &message, const QString &defaultValue,
                          QString *result) override;
    QString chooseFile(QWebFrame *parentFrame, const QString &suggestedFile) override;

private:
    Q_DISABLE_COPY_MOVE(BookPage)

    LocalNetworkAccess *m_access = nullptr;
    int m_evaluating = 0;
};
