#pragma once

#include "standalone/app/bookgeometry.h"
#include "standalone/app/pagesound.h"
#include "standalone/app/skinstore.h"
#include "standalone/gfx/cmemcanvas.h"

#include <QBasicTimer>
#include <QDialog>
#include <QElapsedTimer>
#include <QIcon>
#include <QList>
#include <QPoint>

#include <functional>

class QMenu;
class QAction;
class QPushButton;

namespace divad {

class DrawContext;
class SplashDialog;

// The reading window: one borderless window showing the open book as a
// skinned two-page spread. Clicks on the page edges and stacks, five keys,
// the wheel and a context menu built afresh on every right click turn
// pages, switch volumes and run every other command. Opening a book,
// switching volumes and turning a page dispatch pending events themselves
// between their steps so the window repaints; input that arrives meanwhile
// waits in a queue and runs once the step is done, never in the middle of
// one. The reading position lives in the book text model; the position and
// bookmarks of each book in the book record store, saved as they change and
// when the window closes. The program's one main window (SetMainWindow);
// user-interface thread.
class ReaderDialog : public QDialog
{
    Q_OBJECT

public:
    // The window's designed size: 616 x 431 dialog units of 9 point "宋体".
    static const QSize DesignedSize;
    // Books above this many bytes are opened only after the user agrees.
    static constexpr qint64 LargeBookBytes = 3000000;
    static constexpr int MaximumBookmarks = 10;

    explicit ReaderDialog(QWidget *parent = nullptr);
    ~ReaderDialog() override;

    // The window's set-up: settings, splash, zoom, the first book (openPath
    // when given, else the book read last, else the help book), fonts and
    // skins, timer.
    void OnInitDialog(const QString &openPath = QString());

    // Reading position.
    int CurrentSpread() const;
    int SpreadCount() const;
    int CurrentVolume() const;
    int VolumeCount() const;
    QString CurrentBookPath() const;
    QPoint MousePoint() const { return m_mousePoint; }
    void SetMousePoint(const QPoint &point) { m_mousePoint = point; }
    // The geometry of the present window and spread (the spread is clamped
    // and the clamp kept).
    BookGeometry Geometry();

    // Opening books.
    void OpenBook(const QString &path);
    // Asks first when the book is large; false when the user declined.
    bool GuardedOpen(const QString &path);
    void OpenHelp();
    static QString HelpBookPath();

    // Moving through the book.
    void NextSpread();
    void PreviousSpread();
    void NextVolume();
    void PreviousVolume();
    void JumpToVolume(int volume);
    void JumpToSpread(int spread);
    void PageTurn(bool forward);
    void PlayPageSound(bool forward);
    void PlayPageSoundIfOn();

    // Commands of the context menu (3000 ... 9503) and the developer
    // buttons (1001 ... 1013).
    void OnCommand(int command);
    // The context menu as it stands now; the caller owns it.
    QMenu *BuildContextMenu();
    void ShowContextMenu(const QPoint &globalPosition);
    void ReloadSkinPictures();
    void ApplyZoom();
    void ZoomStep(int step);
    int ZoomPercent() const { return m_zoomPercent; }
    // The file information text of the open book.
    QString FileInformation() const;
    // The discussion address for a book title (the forum query, encoded).
    static QString DiscussionAddress(const QString &bookTitle);
    // Drops a file as the window would: opens it, refuses it or ignores it.
    void DropFile(const QString &path);

    // Writes settings, the open book's position, the recent books and the
    // book records. Also run when the window closes and when the session
    // ends.
    void ExitSave();
    // Position and recent books of the book being left; true when it went
    // to the recent books.
    bool StorePosition();

    // Draws the whole window onto dc (W x H).
    void PaintBook(DrawContext *dc);
    // The window as it would be painted now.
    QImage Render();

    // Animation state.
    int TurnPercent() const { return m_turnPercent; }
    bool FoldingLeft() const { return m_foldLeft; }
    bool FoldingRight() const { return m_foldRight; }
    bool Busy() const { return m_busy > 0; }
    int QueuedInput() const { return m_queue.size(); }
    const PageSound &Sound() const { return m_sound; }
    const SkinStore &Skins() const { return m_skins; }

    // Test seams: the menu chooser (the action picked from a menu at a
    // point, or null), an observer of every animation frame, the opener of
    // web pages, and a forced answer to "is the window active".
    using MenuChooser = std::function<QAction *(QMenu *menu, const QPoint &globalPosition)>;
    void SetMenuChooser(MenuChooser chooser) { m_menuChooser = std::move(chooser); }
    void SetFrameObserver(std::function<void()> observer) { m_frameObserver = std::move(observer); }
    using WebPageOpener = std::function<void(const QString &caption, const QString &address,
                                             int width, int height)>;
    void SetWebPageOpener(WebPageOpener opener) { m_webPageOpener = std::move(opener); }
    void SetActiveOverride(int active) { m_activeOverride = active; }
    // How soon after a change the position goes to disk (2000 ms).
    void SetPositionSaveDelay(int ms) { m_positionSaveDelay = ms; }

    void accept() override {}
    void done(int result) override;

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    class BusyScope;
    friend class BusyScope;

    // Runs action now, or after the step in progress when one is running.
    void runOrQueue(std::function<void()> action);
    void drainQueue();
    void onLeftButtonUp(const QPoint &point);
    void onTimer();
    void onDeveloperButton(int id);
    void showAnimationFrame(int k, double step);
    void layoutVolumeWithMessage(int volume, bool message);
    void stepVolume(int step);
    static int screenDefaultZoom();
    // What the still layers of the spread are drawn from.
    struct StillKey
    {
        QSize size;
        int spread = -1;
        int spreadCount = 0;
        int skin = -1;
        qint64 skinPicture = 0;
        QString path;
        int volume = 0;
        int volumeCount = 0;
        qint64 volumeCanvas = 0;
        int lineHeight = 0;
        int linePitch = 0;
        int linesPerPage = 0;
        int textBlockWidth = 0;
        int zoom = 0;
        QString labelFace;
        bool labelReady = false;
        bool operator==(const StillKey &o) const
        {
            return size == o.size && spread == o.spread && spreadCount == o.spreadCount
                    && skin == o.skin && skinPicture == o.skinPicture && path == o.path
                    && volume == o.volume && volumeCount == o.volumeCount
                    && volumeCanvas == o.volumeCanvas && lineHeight == o.lineHeight
                    && linePitch == o.linePitch && linesPerPage == o.linesPerPage
                    && textBlockWidth == o.textBlockWidth && zoom == o.zoom
                    && labelFace == o.labelFace && labelReady == o.labelReady;
        }
    };
    StillKey stillKey(const BookGeometry &g, const CMemCanvas &volume);
    // The background, page edges, stacks, spine, skin, footers and text.
    void paintStill(DrawContext *dc, const BookGeometry &g);
    void paintPageTurnFrame(DrawContext *dc, const BookGeometry &g);
    void takeTurnSnapshot();
    void paintFooters(DrawContext *dc, const BookGeometry &g);
    void paintHints(DrawContext *dc, const BookGeometry &g);
    void openWebPage(const QString &caption, const QString &address);
    void insertOrRemoveBookmark();
    void goToBookmark(int index);
    void chooseOwnPicture();
    void chooseFont();
    void openClipboardBook();
    void askJumpToVolume();
    void openFileDialog();
    void openBookFolder();
    void showTrayMenu();
    bool isActive() const;
    QString bookTitleForQuery() const;

    QIcon m_windowIcon;
    int m_turnPercent = 0;
    bool m_foldRight = false;
    bool m_foldLeft = false;
    QPoint m_mousePoint;
    int m_zoomPercent = 0;
    QSize m_designedSize;
    bool m_zoomApplied = false;
    SkinStore m_skins;
    PageSound m_sound;
    // The spread as it stood when a page turn began.
    CMemCanvas m_turnSnapshot;
    // The still layers of the spread shown last, and what they show.
    CMemCanvas m_still;
    StillKey m_stillKey;
    QBasicTimer m_timer;
    bool m_firstTick = true;
    int m_busy = 0;
    QList<std::function<void()>> m_queue;
    bool m_drainScheduled = false;
    bool m_closing = false;
    int m_wheelAngle = 0;
    // The position last written to the book records, and when.
    int m_savedVolume = -1;
    int m_savedSpread = -1;
    QElapsedTimer m_sinceSave;
    SplashDialog *m_splash = nullptr;
    MenuChooser m_menuChooser;
    std::function<void()> m_frameObserver;
    WebPageOpener m_webPageOpener;
    int m_activeOverride = -1;
    int m_positionSaveDelay = 2000;
};

} // namespace divad
