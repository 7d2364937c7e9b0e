#pragma once

#include <QUrl>
#include <QWebView>

#include <functional>

class QWidget;

namespace divad {

// The web page inside the reader's own windows (the side bar, the web page
// window and its banner). Pages can command the program through links of
// the form "app:" + command; the control cancels such a navigation and
// carries the command out, but only for a page of the program's own web
// site: a page from anywhere else cannot end the reader. The one command
// ends the program in order (positions, bookmarks and settings saved
// first) through the exit handler the reading window installs. Owned by
// its dialog as a child widget; user-interface thread.
class CHtmlCtrl : public QWebView
{
    Q_OBJECT

public:
    explicit CHtmlCtrl(QWidget *parent = nullptr);
    ~CHtmlCtrl() override;

    // Takes the place of the dialog's child placeholder (same geometry,
    // same object name) and removes the placeholder. False, and nothing
    // made, when the dialog has no child of that name.
    bool CreateFromPlaceholder(const QString &placeholderName, QWidget *parentDialog);

    void Navigate(const QString &address);
    void GoBack();
    void GoForward();
    // The last reported loading progress in percent.
    double LoadProgress() const { return m_loadProgress; }

    // Called before every navigation of the page's frames: true to let it
    // run. An "app:" link (any letter case) never navigates.
    bool OnBeforeNavigate2(const QUrl &target, const QUrl &sourcePage);
    // Stores progress * 100 / maximum; a maximum of 0 stores 0.
    void OnProgressChange(double progress, double maximum);
    // One "app:" command (the link after its four characters): a text
    // containing "ok" ends the program through the exit handler.
    virtual void OnAppCommand(const QString &command);

    // True for a page of the program's own web site.
    static bool IsOwnPage(const QUrl &page);
    // How an "app:" command ends the program; without one the application
    // is asked to quit.
    static void SetExitHandler(std::function<void()> handler);

private:
    double m_loadProgress = 0;
};

} // namespace divad
