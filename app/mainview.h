#pragma once

#include "app/mainviewparts.h"
#include "library/db/bookdto.h"

#include <QFileInfoList>
#include <QFrame>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QTimer>
#include <QWidget>

class BookPropertiesPanel;
class Button;
class ButtonDescription;
class LibraryPage;
class ReaderPage;
class ReadingContext;
class SearchBox;
class SettingsView;
class SidePanel;
class SizeGrip;
class StartView;
class UpdateChecker;
class WindowBar;
class QAbstractAnimation;
class QHBoxLayout;
class QLabel;
class QPrinter;
class QSequentialAnimationGroup;
class QStackedLayout;
class QVBoxLayout;

template<typename T> class QFutureWatcher;

// The tool bar row of the main window: a frame that reports double clicks,
// which maximize or restore the window.
class Frame : public QFrame
{
    Q_OBJECT
public:
    explicit Frame(QWidget *parent = nullptr);

signals:
    void mouseDoubleClick();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

// The one top-level window of the program. Frameless, it draws its own
// chrome: the title bar, a tool bar row, a stack of three pages (start page,
// library, reader), a bottom bar, and side panels that slide in from the
// right over the page (settings, contents and bookmarks, notes, search, book
// properties).
//
// Every book that is opened passes through the window's current book: the
// library's bookOpen(), the continue-reading button and the forwarded
// command line all end in continueReading().
//
// GUI thread only. The pages and panels of other parts of the program come
// in through MainViewParts.
class MainView : public QWidget
{
    Q_OBJECT
public:
    enum Page { StartPage = 0, LibraryPageIndex = 1, ReaderPageIndex = 2 };
    enum WindowState { StateNormal = 0, StateMaximized = 1, StateFullScreen = 2 };

    MainView(int width, int height, QWidget *parent = nullptr);
    MainView(int width, int height, const MainViewParts &parts, QWidget *parent = nullptr);
    ~MainView() override;

    int currentPage() const;
    int windowState() const { return m_windowState; }
    BookDto currentBook() const { return m_currentBook; }
    // The file a command line asked to open; null once it has been opened.
    QString pendingOpenPath() const { return m_pendingOpenPath; }
    // True while the opening sequence waits for the book's file hash.
    bool isOpening() const;

    // The site address and its short name on "buttonNavigateToSite".
    static QUrl siteUrl();
    static QUrl manualUrl();
    static QString siteName();
    // The change log and the download page of the product's site.
    static QUrl changelogUrl();
    static QUrl downloadUrl();

    // The update check started at construction; null when it is switched
    // off ("auto_update_enabled").
    UpdateChecker *updateChecker() const { return m_updateChecker; }
    // True while a snap to a screen edge holds the window still.
    bool isSnapLocked() const { return m_snapLock; }

    QFrame *contentFrame() const { return m_frame; }
    SettingsView *settingsView() const { return m_settingsView; }
    StartView *startView() const { return m_startView; }
    LibraryPage *libraryPage() const { return m_libraryPage; }
    ReaderPage *readerPage() const { return m_readerPage; }
    SidePanel *contentsPanel() const { return m_contentsPanel; }
    SidePanel *notesPanel() const { return m_notesPanel; }
    SidePanel *searchPanel() const { return m_searchPanel; }
    BookPropertiesPanel *propertiesPanel() const { return m_propertiesPanel; }
    SearchBox *searchBox() const { return m_searchBox; }
    WindowBar *windowBar() const { return m_windowBar; }

signals:
    void print(QPrinter *printer);
    void back();

public slots:
    void handleMessage(const QString &message);
    void addBookAndStartRead(const QFileInfoList &books);
    void onAddOperationStateChange(bool enabled);
    void onMaximize();
    void onMinimize();
    void onFullScreen();
    void onClose();
    void onViewModeChanged(int mode);
    void onShowSettings();
    void onHideSettings();
    void onStartUp();
    void onShowContents();
    void onShowNotes();
    void onHideContents();
    void onHideNotes();
    void onShowSearchPanel();
    void onHideSearchPanel();
    void onCleanSearch();
    void onSearchTextChanged(const QString &text);
    void onNavigateToSite();
    void onNavigateToSiteHelp();
    void buttonLibrary();
    void toLibrary();
    void buttonAddBook();
    void continueReading();
    void buttonContents();
    void buttonNotes();
    void onButtonPrint();
    void onButtonBack();
    void bookInfoChanged(const QString &title, const QString &progress, bool wsLoading);
    void onBookSelected(const BookDto &book);
    void onBookOpened(const int bookId);
    void updateWindowTitle(const QString &bookTitle);
    void onEditBook(int id);
    void onNavigateToPosition(int position);
    void onNavigateToPositionPath(const QString &position);
    void onNavigateToPage(int page);
    void onSearch(const QString &text);
    void onFilterChanged(const QString &text);
    void onHotKeyCtrlF();
    void onHotKeyEsc();
    void onHotKeyF11();
    void onHotKeyH();
    void showWindowAnimated(QWidget *panel);
    void hideWindowAnimated(QWidget *panel);
    void onBeginResize();
    void onEndResize();
    void maximize();
    void normal();
    void fullScreen();
    void setAlwaysOnTop(bool checked);
    bool isFull() const { return m_windowState == StateFullScreen; }
    bool isMax() const { return m_windowState == StateMaximized; }
    void onAddComplete();
    void onPasswordRequest(bool skip);
    void onMessageRequest(const QString &title, const QString &message);
    void onTimerLoading();
    void onScreenOrientationChanged(Qt::ScreenOrientation orientation);
    void runUpdateChecker();
    void onNewVersion(const QString &version);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(MainView)

    void buildUi();
    QFrame *buildToolBar();
    QFrame *buildBottomBar();
    void connectSignals();
    void retranslateUi();
    void refreshStyleProperties();
    void setPage(int page);
    // Gives the keyboard to the reader when it shows.
    void focusReader();
    // Shows the library (from the start page) filtered by the text.
    void filterLibrary(const QString &text);
    void changeWindowState(int newState);
    void applyFrameMargins(bool fullScreen);
    int shadowMargin() const;
    void startPanelAnimation(QAbstractAnimation *first, QAbstractAnimation *second);
    // Where a dragged window goes for a cursor at `target`: against the
    // primary screen's edges when it comes near one.
    QPoint snappedPosition(const QPoint &target);
    void loadWindowGeometry();
    void storeWindowGeometry();
    // Makes the book found by path current and opens it; the pending path
    // is spent either way.
    void openPendingPath();
    // Steps 9 and 10 of the opening sequence, once the hash is known.
    void finishOpening(const QString &hash);
    // The reader could not show the current book after all.
    void onReaderFailed();
    // "Continue reading" falls back to the last book that was read.
    void forgetFailedBook();

    MainViewParts m_parts;
    int m_baseWidth;
    int m_baseHeight;
    BookDto m_currentBook;
    QString m_pendingOpenPath;
    int m_windowState = StateNormal;
    int m_previousState = StateNormal;
    QRect m_normalGeometry;
    QPoint m_dragOffset;
    bool m_dragging = false;
    bool m_pressedOnTitle = false;
    // After a snap the window holds still for a moment, so the hand that
    // drags it does not pull it off the edge at once.
    bool m_snapLock = false;
    QTimer m_snapTimer;
    UpdateChecker *m_updateChecker = nullptr;
    int m_loadingCounter = 1;
    // Notes of the open book; -1 until the reading controller tells.
    int m_notesCount = -1;
    QTimer m_loadingTimer;
    // Each opening gets a ticket; a hash that arrives for an older ticket
    // (the user opened something else or left the reader) opens nothing.
    int m_openTicket = 0;
    QFutureWatcher<QString> *m_hashWatcher = nullptr;
    // The book the last opening stamped as read, and its time before.
    int m_stampedBookId = -1;
    uint m_stampedBookReadBefore = 0;
    QPointer<QSequentialAnimationGroup> m_panelAnimation;

    ReadingContext *m_readingContext = nullptr;
    QFrame *m_shadow = nullptr;
    QFrame *m_frame = nullptr;
    QVBoxLayout *m_frameLayout = nullptr;
    QVBoxLayout *m_pageAreaLayout = nullptr;
    QFrame *m_background = nullptr;
    SettingsView *m_settingsView = nullptr;
    SidePanel *m_contentsPanel = nullptr;
    SidePanel *m_notesPanel = nullptr;
    BookPropertiesPanel *m_propertiesPanel = nullptr;
    SidePanel *m_searchPanel = nullptr;
    WindowBar *m_windowBar = nullptr;
    Frame *m_toolBar = nullptr;
    Button *m_buttonLibrary = nullptr;
    Button *m_buttonAddBook = nullptr;
    Button *m_buttonAddFolder = nullptr;
    Button *m_buttonContents = nullptr;
    Button *m_buttonNotes = nullptr;
    Button *m_buttonBack = nullptr;
    SearchBox *m_searchBox = nullptr;
    Button *m_buttonNavigateToSite = nullptr;
    QStackedLayout *m_pages = nullptr;
    StartView *m_startView = nullptr;
    LibraryPage *m_libraryPage = nullptr;
    ReaderPage *m_readerPage = nullptr;
    QFrame *m_bottomBar = nullptr;
    ButtonDescription *m_buttonContinueReading = nullptr;
    QLabel *m_bookTitleLabel = nullptr;
    QLabel *m_progressLabel = nullptr;
    QLabel *m_loadingLabel = nullptr;
    Button *m_buttonPrint = nullptr;
    Button *m_buttonHelp = nullptr;
    Button *m_buttonSettings = nullptr;
    SizeGrip *m_sizeGrip = nullptr;
};
