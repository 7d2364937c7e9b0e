#pragma once

#include "library/db/bookdto.h"
#include "pages/readerpage.h"
#include "reader/messagepresenter.h"

#include <QPointer>

class ImageDocument;
class ImageViewer;
class LoaderBox;
class PDFViewer;
class PageView;
class QFrame;
class QHBoxLayout;
class QLabel;
class QSpacerItem;
class QStackedLayout;
class ReadToolBar;
class TextViewer;
class UserContext;

// The reading page of the main window: hosts the viewer that suits the
// opened book, the reading tool bar and a wait page shown while a book
// loads or lays itself out again. It picks and builds the viewer from the
// book's format, wires the viewer, its document, the tool bar, the
// operations hub and the reading controller together, keeps the full-screen
// layout, paints itself in the colours of the current text profile, and
// turns a viewer's fatal error into a message.
//
// Page 0 of its stack is the wait page, page 1 the viewer (an empty frame
// until the first book). At most one viewer lives in page 1.
//
// Reflowable books (EPUB, MOBI, FB2, PRC, TXT) are read in a TextViewer,
// comics (CBZ, CBR) in an ImageViewer, PDF books in a PDFViewer (which asks
// for a password there when the file has one). A book of any other format,
// and a book the viewer cannot open, is refused with a message: openBook()
// answers false and the window shows the library again. A PDF viewer stops
// rendering and lets its document go when the frame is hidden.
//
// GUI thread only. openBook() and endResize() process pending events in the
// middle of their work.
class BookViewer : public ReaderPage
{
    Q_OBJECT
public:
    // The controller is the application's one reading controller; not
    // owned, it must outlive the frame.
    BookViewer(UserContext *context, QWidget *parent = nullptr);
    ~BookViewer() override;

    // Picks the viewer for the book's format and loads the book. False
    // when nothing can be shown (a message has told the reader why).
    bool openBook(const BookDto &book) override;
    void beginResize() override;
    void endResize() override;
    void setFullScreen(bool fullScreen) override;
    void back() override;
    void print() override;

    void setMessagePresenter(MessagePresenter presenter);

    // The dynamic property "theFullScreen", which the style sheet reads.
    bool isFullScreen() const;
    // 0: the wait page, 1: the viewer.
    int currentPageIndex() const;
    // The text viewer in page 1, or null.
    TextViewer *textViewer() const;
    // The image viewer (a comic) in page 1, or null.
    ImageViewer *imageViewer() const;
    // The PDF viewer in page 1, or null.
    PDFViewer *pdfViewer() const;
    ReadToolBar *toolBar() const { return m_toolBar; }
    LoaderBox *waitPage() const { return m_waitPage; }
    QLabel *titleLabel() const { return m_titleLabel; }
    QLabel *progressLabel() const { return m_progressLabel; }
    QHBoxLayout *viewerRow() const { return m_viewerRow; }
    QSpacerItem *toolBarSpacer() const { return m_toolBarSpacer; }
    // Whether this frame holds the application's wait cursor.
    bool holdsBusyCursor() const { return m_cursorPushed; }

signals:
    // The frame never emits it; for listeners.
    void reloadBook();

public slots:
    void loadBegin();
    void loadFinished();
    void onFullScreen();
    void columnCountChanged(int count);
    void switchColumnCount();
    void updateStyle();
    void bookInfoChanged(const QString &title, const QString &progress, bool wsLoading);
    void toolBarShowContents();
    void toolBarShowNotes();
    void onBeginChageDocSize();
    void onEndChangeDocSize();
    void onSettingsChanged();
    void reloadBegin();
    void reloadFinished();
    void onColumnCountChanged(int columns);
    void onRequestExitFullScreen();
    void onRequestBottomPanel(bool show);
    void onViewerError();

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(BookViewer)

    bool openTextBook(const BookDto &book);
    bool openComicBook(const BookDto &book);
    bool openPdfBook(const BookDto &book);
    // What comics and PDF books share: the tool bar's zoom buttons, the
    // hub's buttons, the book for the controller.
    void prepareImageBook(const BookDto &book, bool printable);
    // Puts a page viewer in page 1 and wires it, its document, the tool
    // bar and the controller together.
    void placeImageViewer(PageView *viewer, ImageDocument *document);
    // Shows the viewer's book from its first page or the stored place; a
    // book that does not open is refused with the reason and its viewer
    // dropped.
    bool finishImageBook(const BookDto &book, bool loaded, const QString &reason,
                         ImageDocument *document);
    // Takes the widget out of page 1, cuts its connections and deletes it;
    // page 1 is left empty.
    void dropViewer();
    void putInPage(QWidget *viewer);
    void showPage(int index);
    void pushBusyCursor();
    void popBusyCursor();
    void showMessage(const QString &title, const QString &text);
    static void fill(QWidget *widget, const QColor &color);

    UserContext *m_context = nullptr;
    QStackedLayout *m_stack = nullptr;
    QHBoxLayout *m_viewerRow = nullptr;
    QSpacerItem *m_toolBarSpacer = nullptr;
    ReadToolBar *m_toolBar = nullptr;
    QFrame *m_infoBar = nullptr;
    QLabel *m_titleLabel = nullptr;
    QLabel *m_progressLabel = nullptr;
    QFrame *m_innerFrame = nullptr;
    LoaderBox *m_waitPage = nullptr;
    bool m_restorePending = true;
    bool m_showBusyCursor = true;
    bool m_cursorPushed = false;
    bool m_opening = false;
    // A viewer whose book could not be shown after all; opening the book
    // again builds a new one.
    QPointer<QWidget> m_brokenViewer;
    MessagePresenter m_presenter;
};
