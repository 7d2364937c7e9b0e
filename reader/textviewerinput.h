#pragma once

#include <QColor>
#include <QKeySequence>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QUrl>

#include <functional>

class QAction;
class QContextMenuEvent;
class QGestureEvent;
class QKeyEvent;
class QMenu;
class QMouseEvent;
class QWheelEvent;
class TextViewer;

// How the text viewer answers the reader's keys, clicks, wheel, swipes and
// links: page turning (a script call that shifts the page by one view
// width, or the neighbouring file at either end of a file), the page
// navigation strip at the bottom, links inside and outside the book, the
// menu over a selection or a note, and the encoding menu of plain-text
// books.
//
// A click turns the page only once the click timer (100 ms) runs out, so
// that a double click (full screen) turns none: a press on the left half
// goes back, any other forward.
//
// Made by the reading frame for each viewer it shows, as the viewer's child:
// it watches the viewer's events (an event filter) and passes on to the web
// view whatever it does not take. GUI thread only.
class TextViewerInput : public QObject
{
    Q_OBJECT
public:
    // Opens an address with the desktop's handler.
    using UrlOpener = std::function<bool(const QUrl &url)>;
    // Asks the reader whether to open a link that leads out of the book.
    using LinkConfirmation = std::function<bool(const QUrl &url, QWidget *parent)>;
    // Runs a menu at a global position; answers the chosen entry, or null.
    using MenuRunner = std::function<QAction *(QMenu *menu, const QPoint &globalPos)>;

    explicit TextViewerInput(TextViewer *viewer);
    ~TextViewerInput() override;

    // The handler attached to a viewer, or null.
    static TextViewerInput *of(TextViewer *viewer);

    TextViewer *viewer() const;
    void setUrlOpener(UrlOpener opener);
    void setLinkConfirmation(LinkConfirmation confirmation);
    void setMenuRunner(MenuRunner runner);

    bool isSelectionActive() const { return m_selectionActive; }
    bool isLinkHovered() const { return m_linkHovered; }
    bool skipsNextClick() const { return m_skipNextClick; }
    bool isBottomPanelShown() const { return m_bottomPanelShown; }
    bool isClickPending() const { return m_clickTimer.isActive(); }
    int queuedTurns() const { return m_queuedTurns; }
    // The note under the last mouse release; empty for none.
    QString noteAtCursor() const { return m_noteAtCursor; }
    // Where the back command returns after an internal link; empty: none.
    QString backPosition() const { return m_backPosition; }

    // The id of the note shown at a point of the view, or empty.
    QString noteAt(const QPoint &point);

    // Entries of the encoding menu for the encodings this system has: the
    // codec's own name, then " / " and the listed name where they differ.
    static QStringList encodingEntries();
    // The language of the reader's interface, for the encyclopedia's host.
    static QString interfaceLanguage();
    static QUrl webSearchUrl(const QString &text);
    static QUrl encyclopediaSearchUrl(const QString &text, const QString &language);
    static QUrl translatorUrl(const QString &text);

public slots:
    void next();
    void previous();
    void moveToHome();
    void moveToEnd();
    void onClickTimer();
    void onLinkHovered(const QString &link, const QString &title, const QString &textContent);
    void onLinkClicked(const QUrl &url);
    void onBackPressed();
    void onContextMenuAction(const QKeySequence &keys);
    void onContextMenuColorAction(const QColor &color);
    void onSelectionChanged();
    // Reads a plain-text book again in the encoding named by a menu entry
    // (its text up to " / ").
    void chooseEncoding(const QString &entry);

signals:
    // The notes of the page are the note editor's to act on: a left click
    // on a note, a request to make a note of the selection (openEditor: the
    // note's pop-up should open for a comment), and a new colour for a note.
    void noteClicked(const QString &id, const QPoint &position);
    void noteRequested(const QColor &color, bool openEditor);
    void noteColorRequested(const QString &id, const QColor &color);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(TextViewerInput)

    bool keyPress(QKeyEvent *event);
    bool mousePress(QMouseEvent *event);
    bool mouseRelease(QMouseEvent *event);
    bool mouseDoubleClick();
    bool mouseMove(QMouseEvent *event);
    bool wheel(QWheelEvent *event);
    bool gesture(QGestureEvent *event);
    bool contextMenu(QContextMenuEvent *event);
    void showSelectionMenu(const QPoint &globalPos);
    void showEncodingMenu(const QPoint &globalPos);
    void hideBottomPanel();
    bool canTurnPages() const;
    // Keeps a turn (1 forward, -1 back) for when the loading file is there;
    // false when no file is loading.
    bool queueWhileLoading(int step);
    void onFileLoaded();
    void turnWithinFile(bool forward);
    void openExternal(const QUrl &url);

    QPointer<TextViewer> m_viewer;
    QTimer m_clickTimer;
    QPoint m_pressPos;
    bool m_pressed = false;
    bool m_linkHovered = false;
    bool m_selectionActive = false;
    bool m_skipNextClick = false;
    // A right release that opened the selection menu already answered the
    // context-menu request of the same click.
    bool m_menuShownForClick = false;
    bool m_bottomPanelShown = false;
    // Turns that came while a file loaded: forward when positive.
    int m_queuedTurns = 0;
    QString m_noteAtCursor;
    QString m_backPosition;

    UrlOpener m_urlOpener;
    LinkConfirmation m_linkConfirmation;
    MenuRunner m_menuRunner;
};
