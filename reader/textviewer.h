#pragma once

#include "library/db/bookdto.h"
#include "pagination/paginationrequest.h"
#include "reader/booksidefiles.h"
#include "reader/readingstate.h"

#include <QColor>
#include <QPoint>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <QVariant>
#include <QWebView>

#include <functional>
#include <memory>
#include <optional>

class NotePageLabel;
class NoteTooltip;
class PageNavigationPanel;
class PaginationClient;
class QFrame;
class QPrinter;
class QPropertyAnimation;
class TextDocument;
class ViewerPage;

// The reader of reflowable books (EPUB, MOBI, FB2, plain text): a web view
// that shows one HTML file of the book at a time. The page script wraps the
// file's body in a block laid out in CSS columns; the viewer turns pages by
// asking the script to shift that block by one view width, and moves between
// files by loading the next one. Every call into the page is the whole page
// script followed by one call string; every text put into a call is a JSON
// string literal.
//
// Book-wide page numbers come from the viewer's own pagination helper
// process, which lays every file out in the background (restartPaginator()).
// The reading position, font size, line spacing, bookmarks and notes live in
// the book's side files (BookSideFiles): read when the book is opened, and
// written soon after each change and when the viewer is destroyed.
//
// Made per opened book by the reading frame: construct, connect, then
// loadBookData(). GUI thread only.
class TextViewer : public QWebView
{
    Q_OBJECT
public:
    // Shows a message to the reader (title, text); by default a modal
    // message box.
    using MessagePresenter = std::function<void(const QString &title, const QString &text)>;

    TextViewer(const BookDto &book, QWidget *parent = nullptr);
    // Writes the side files of an opened book, then ends the helper and
    // removes the shared block.
    ~TextViewer() override;

    // Reads the page script, the stored encoding of a plain-text book, and
    // opens the book. True when the book is open and its first page is on
    // its way; false after a message (or none, for a book that no document
    // class reads), and nothing is written at destruction then.
    bool loadBookData();
    // Converts the book, restores the reading state from the side files,
    // loads the first or the stored page and asks for pagination. Run again
    // on its own when the text encoding of a plain-text book changes.
    bool openBook();

    void setMessagePresenter(MessagePresenter presenter);

    // A fresh UUID without "{", "}" and "-".
    static QString makeUid();

    const BookDto &book() const { return m_book; }
    QString bookPath() const { return m_bookPath; }
    // The book's document; owned by the viewer, never null.
    TextDocument *document() const { return m_document.get(); }
    QString uid() const { return m_uid; }
    QString contentFolder() const { return m_contentFolder; }
    QStringList chapterFiles() const { return m_chapterFiles; }
    int chapterIndex() const { return m_chapterIndex; }
    // Pages of the loaded file and the one on show, as the script counts.
    int pageCount() const { return m_pageCount; }
    int currentPage() const { return m_currentPage; }
    int columnCount() const { return m_columnCount; }
    int gap() const { return m_gap; }
    int lineSpacing() const { return m_lineSpacing; }
    QString textEncoding() const { return m_textEncoding; }
    bool isBookOpen() const { return m_bookOpen; }
    // True from construction, and from each pagination request until its
    // reply has been applied.
    bool isPaginating() const { return m_paginating; }
    // True once the first file has been laid out in the view.
    bool isLayoutReady() const { return m_layoutReady; }

    // Helper pages of the whole book; 0 before the first reply.
    int totalPages() const;
    // Viewer pages of the whole book: the page slider's last value.
    int bookPageCount() const;
    // Book-wide viewer page on show; -1 when no file is loaded.
    int absolutePage() const;
    // Whole percent of the book read, 0 to 100.
    int progress() const;
    // The index of the next (step 1) or previous (step -1) file that has
    // pages; -1 when there is none.
    int neighbourFile(int step) const;
    // True while a file of the book is loading into the view.
    bool isLoadingFile() const { return m_pendingLoads > 0; }

    const PaginationRequest &paginationRequest() const { return m_request; }
    const ReadingState &readingState() const { return m_state; }
    QList<ViewerBookmark> bookmarks() const { return m_state.bookmarks; }
    QList<Note> notes() const { return m_state.notes; }
    QList<TocItem> tableOfContents() const { return m_state.tocEntries; }
    QList<SearchResult> searchResults() const { return m_state.searchResults; }
    const BookSideFiles &sideFiles() const { return m_sideFiles; }
    PageNavigationPanel *pageNavigationPanel() const { return m_pageNavigationPanel; }
    PaginationClient *paginationClient() const { return m_paginator.get(); }
    ViewerPage *viewerPage() const { return m_page; }

    // Evaluates the page script followed by call in the main frame; an
    // invalid value when the call fails.
    QVariant runScript(const QString &call);

    // The reading position as a URL on the loaded file: by element path
    // ("<file>?vorpath=<path>") when byXPath and the script finds one, else
    // by element id; empty without a loaded file.
    QString readingPositionUrl(bool byXPath);
    // Goes to a position URL; a file that is not the loaded one (or any,
    // with forceLoad) is loaded first and positioned once it has loaded. A
    // URL whose file is not one of the book's does nothing.
    void navigateToUrl(const QString &url, bool forceLoad);
    // Shows a book-wide viewer page; savePosition keeps the current position
    // for the back-to-page button.
    void goToBookPage(int page, bool savePosition);

    // Removes the note from the page and from the book.
    bool removeNote(const QString &id);

    // Notes in the page (textviewernotes.cpp). A note made of the selection
    // in a colour; none when nothing is selected or the page cannot mark it.
    std::optional<Note> makeNote(const QColor &color);
    // The note whose highlight is at a point of the view.
    std::optional<Note> noteAtPoint(int x, int y);
    // The view point of a note's first highlight; (0, 0) when not shown.
    QPoint noteInfo(const Note &note);
    // Recolours a note in the page and in the book.
    bool changeNoteColor(const QString &id, const QColor &color);
    // Sets a note's comment; false when the book has no such note.
    bool setNoteText(const QString &id, const QString &text);
    // Goes to the note and opens its balloon for editing.
    void openNoteForEditing(const QString &id);
    // Puts the markers beside the notes now visible.
    void refreshNoteMarkers();
    // Opens the note balloon at a view point: the note's comment, or an
    // empty balloon for no note.
    void showNote(int x, int y, const Note *note, bool editing);
    // Takes the balloon's comment into its note (when commit) and hides
    // it; false when the balloon was not shown.
    bool closeNoteTooltip(bool commit);
    // The notes as the HTML page the notes panel exports.
    QString exportNotesHtml() const;
    // Null until the first note is opened.
    NoteTooltip *noteTooltip() const { return m_noteTooltip; }
    QList<NotePageLabel *> noteMarkers() const { return m_noteMarkers; }
    // Adds a bookmark at the first visible text, unless one with the same
    // position exists. Answers whether one was added.
    bool makeBookmark();
    // Removes the bookmark at position of the list; the ones after it are
    // numbered anew (index and id), so every number stays the place of its
    // bookmark.
    void removeBookmark(int position);

    // For the input handler (TextViewerInput), which turns pages within the
    // loaded file and chooses the encoding of a plain-text book.
    void setCurrentPage(int page) { m_currentPage = page; }
    void setTextEncoding(const QString &encoding) { m_textEncoding = encoding; }
    // Sets the page slider's range to the pages of the whole book.
    void updatePageRange();
    // The page-turn fade; without force only when the settings ask for it.
    void fadeOut(bool force);
    void fadeIn(bool force);

    // Writes the settings side file now.
    bool writeSideFiles();
    // Writes it soon: the write follows the last of a burst of changes.
    void scheduleSideFilesWrite();

public slots:
    void reload();
    void navigateToPath(const QString &path);
    void increaseFont();
    void decreaseFont();
    void increaseLineSpacing();
    void decreaseLineSpacing();
    // Asks the helper to lay the whole book out again; reason is not used.
    void restartPaginator(const QString &reason = QString());
    // Searches the book through the helper; finishedSearch() follows.
    void onSearch(const QString &text);
    // Has the helper print the book; it shows its own print dialog.
    void onPrinting(QPrinter *printer);
    void onColumnCountChange(int count);
    // The reader's note requests from the input handler: open a clicked
    // note's balloon; make a note of the selection, with its balloon open
    // for a comment when openEditor.
    void onNoteClicked(const QString &id, const QPoint &position);
    void onNoteRequested(const QColor &color, bool openEditor);

signals:
    void sizeChanged();
    void mouseClickLeftSide();
    void mouseClickRightSide();
    void mouseDoubleClick();
    void mouseScrollUp();
    void mouseScrollDown();
    void loadBegin();
    void loadFinished();
    void reloadBegin();
    void reloadFinished();
    void pageChanged();
    void finishedSearch();
    void requestExitFullScreen();
    void requestBottomPanel(bool show);
    void pageNavigation();
    // The first file of the book could not be shown.
    void unrecoverableError();
    // The number of notes changed (made, removed, or read at opening); the
    // reading controller stores it in the library.
    void notesCountChanged(int count);
    // A pagination reply has been applied: book-wide pages are known.
    void paginationFinished();

protected:
    void resizeEvent(QResizeEvent *event) override;

private slots:
    void onLoadFinished(bool ok);
    void onPaginationReply(const PaginationRequest &reply);
    void onPaginationFailed(const QString &message);
    void onPageSliderPressed();
    void onPageSliderMoved();
    void onPageSliderReleased();
    void pageNavePreview(int value, int globalPos);
    void onBackToPage();
    void onPageNavigation();

private:
    Q_DISABLE_COPY_MOVE(TextViewer)

    enum class Outstanding { None, Pagination, Print };

    // The document for the book file. A ZIP holding one book is unpacked
    // into the book's storage folder and its book read; sourcePath gets the
    // file the document reads, problem a message for a book that cannot be
    // opened at all.
    static TextDocument *createDocument(const QString &path, QString *sourcePath, QString *problem);
    void applyDocumentStyle(TextDocument *document);
    void applyProfile();
    // Lays the file out in the view's columns. A file just loaded has no
    // page on show to keep: looking for one would lay it out once more
    // before the columns are there.
    enum class KeepPage { FirstVisible, None };
    void setPageDim(KeepPage keep = KeepPage::FirstVisible);
    // A pagination is on its way for the view's present page size and font:
    // asking again would have the helper start the whole book afresh.
    bool paginationSentForView() const;
    void readTableOfContents();
    void readBookmarks();
    void readNotes();
    void readFontAndPosition();
    // Converted files of the document: the content folder first, then the
    // page files. False after a message when the book cannot be shown.
    bool takeConvertedFiles(QStringList *files);
    void loadFile(int index);
    void markNotes();
    // Opens the balloon of the note named by the "editnote" item of a
    // position that has just been loaded.
    void openPendingNote(const QVariant &position);
    void send(const PaginationRequest &request, Outstanding kind);
    void showMessage(const QString &text);
    // The position to store: the page's own when one is laid out and no
    // load is under way, else the last one known.
    QString positionForSaving();
    int viewWidth() const;

    BookDto m_book;
    QString m_bookPath;
    // The file the document reads: the book, or the book unpacked from a
    // single-book archive.
    QString m_sourcePath;
    QString m_openProblem;
    std::unique_ptr<TextDocument> m_document;
    ViewerPage *m_page = nullptr;
    QString m_uid;
    QString m_scriptText;
    QString m_contentFolder;
    QStringList m_chapterFiles;
    int m_chapterIndex = 0;
    int m_pageCount = 0;
    int m_currentPage = 1;
    int m_columnCount = 1;
    const int m_gap = 60;
    const int m_topBottomMargin = 20;
    int m_lineSpacing = 100;
    // The profile's font size last applied to the page.
    int m_profileFontSize = 0;
    QColor m_backgroundColor;
    QColor m_textColor;
    int m_textAlignment = 0;
    bool m_fadeEnabled = true;
    bool m_useNaviSlider = true;
    bool m_bookOpen = false;
    // Set while the book is being opened: the document's own column change
    // must not re-lay-out a page that is not there yet.
    bool m_opening = false;
    bool m_paginating = true;
    bool m_layoutReady = false;
    int m_pendingLoads = 0;
    QString m_textEncoding;
    QString m_lastPosition;

    QFrame *m_fadeOverlay = nullptr;
    QPointer<QPropertyAnimation> m_fadeAnimation;
    PageNavigationPanel *m_pageNavigationPanel = nullptr;

    PaginationRequest m_request;
    std::unique_ptr<PaginationClient> m_paginator;
    Outstanding m_outstanding = Outstanding::None;
    // The request last sent, resent once to a fresh helper when the helper
    // dies before answering.
    PaginationRequest m_lastSent;
    bool m_resent = false;

    ReadingState m_state;
    BookSideFiles m_sideFiles;
    QTimer m_saveTimer;
    MessagePresenter m_presenter;

    NoteTooltip *m_noteTooltip = nullptr;
    QList<NotePageLabel *> m_noteMarkers;
};
