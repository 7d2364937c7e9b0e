#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <QPointer>

class QProgressBar;
class QPushButton;
class QTabBar;
class QToolButton;

namespace divad {

class BookInfoPanel;
class CHtmlCtrl;
class FileBrowserPanel;

// The side bar: a window of its own beside the reading window, as high as
// it, with three tabs: the download web page ("下载"), the file browser
// ("浏览") and the open book's information ("当前"). A tab change shows
// its pages at the next 200 ms tick. Closing it with its close box
// remembers it closed; Escape only hides it. Settings in "cfg.ini":
// "leftbar" / "tabidx". Created once by SideBarHost; user-interface thread.
class SideBarDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int TabCount = 3;

    explicit SideBarDialog(QWidget *parent = nullptr);
    ~SideBarDialog() override;

    // Keeps left, top and width; takes the main window's height and rises
    // above it without taking the focus.
    void FitToMainWindow();
    // Shows the pages of the current tab and sets the caption.
    void ApplyTab();
    void OnTick();
    static QString HomeUrl();

    QTabBar *Tabs() const { return m_tabs; }
    CHtmlCtrl *WebPage() const { return m_web; }
    FileBrowserPanel *FileBrowser() const { return m_browser; }
    BookInfoPanel *BookInfo() const { return m_info; }
    QProgressBar *Progress() const { return m_progress; }

    void reject() override;
    void accept() override {}

protected:
    void closeEvent(QCloseEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    QTabBar *m_tabs = nullptr;
    QPushButton *m_back = nullptr;
    QPushButton *m_forward = nullptr;
    QPushButton *m_refresh = nullptr;
    QProgressBar *m_progress = nullptr;
    CHtmlCtrl *m_web = nullptr;
    FileBrowserPanel *m_browser = nullptr;
    BookInfoPanel *m_info = nullptr;
    QBasicTimer m_timer;
};

// Owner of the side bar: makes it on first use beside the main window,
// shows and hides it for the reading window's commands, and keeps in
// "cfg.ini" ("DownBook" / "DlgVisible") whether it was open.
class SideBarHost
{
public:
    void Show(bool visible);
    void Create();
    void PlaceBesideMain();
    // Opens the side bar when it was open when the reader last ended.
    void RestoreFromSettings();
    void SaveVisible(bool visible);
    bool IsVisible() const;
    // Follows the main window's new size.
    void Relayout();
    void Destroy();
    SideBarDialog *Dialog() const { return m_sideBar; }

private:
    QPointer<SideBarDialog> m_sideBar;
};

SideBarHost &sideBarHost();

} // namespace divad
