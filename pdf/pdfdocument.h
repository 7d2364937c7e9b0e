#pragma once

#include "document/imagedocument.h"
#include "pdf/document.h"

#include <QAtomicInt>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QPointer>
#include <QSize>
#include <QString>

#include <memory>

class InputPasswordController;
class MessageBoxController;

namespace pdf {

// A PDF book as the reading view and the library see it: a document of
// page pictures over one PDF engine (Document) that it owns for its whole
// life. It opens the file (asking for a password through the hand-over
// when the file needs one), renders a page or the current pair of pages at
// a size that fits the view, shows the page at one pixel a point, or
// follows the zoom, builds the contents from the outline, searches the
// text of every page and reads the file's information. Positions are page
// numbers; pages count from 1.
//
// Threads: load() runs on the thread that opens the book (the GUI thread
// for the viewer, a pool thread for printing, the add-books worker's own
// thread). Navigation, the view settings, search, contents and the
// information are called from the thread that owns the document. The
// renders (renderView(), pageImage(), requestCurrentImage()) may run on a
// pool thread at the same time: every sequence of engine calls (select a
// page, then read or draw it) is made under one lock of the document, so a
// render and a search never interleave on the engine. A render task reads
// only the ViewState it was given. The right page of a pair is drawn by a
// second engine of the document's own, opened on the first pair, under a
// lock of its own and on another pool thread while the left page is drawn;
// no engine is ever called from two threads at once.
//
// Not copyable; made without a parent by the viewer, the print job and the
// add-books worker, each of which deletes it (after waiting for any render
// task it started).
class PdfDocument : public ImageDocument
{
    Q_OBJECT
public:
    enum RenderState {
        // The page (the pair of pages in two columns) fitted into the view port.
        FitToPage = 0,
        // One pixel a point.
        OriginalSize = 1,
        // The page size times the zoom factor.
        Zoom = 2,
    };

    // What one render needs of the view, copied on the thread that owns the
    // document so that a render task never reads settings that change while
    // it runs.
    struct ViewState
    {
        int page = 1;
        int columns = 1;
        double scale = 1.0;
        int renderState = FitToPage;
        QSize viewPort = QSize(-1, -1);

        bool operator==(const ViewState &other) const
        {
            return page == other.page && columns == other.columns && scale == other.scale
                    && renderState == other.renderState && viewPort == other.viewPort;
        }
        bool operator!=(const ViewState &other) const { return !(*this == other); }
    };

    // The zoom factor the viewer goes up to.
    static constexpr double MaximumScale = 8.0;
    // The largest page bitmap made, in pixels and per side: a zoomed page
    // (or a page whose box is huge) is drawn at a smaller scale instead.
    static constexpr qint64 MaximumImagePixels = 40 * 1000 * 1000;
    static constexpr int MaximumImageSide = 16000;
    // Outline items read at most, and levels below the top one.
    static constexpr int MaximumTocEntries = 100000;
    static constexpr int MaximumTocDepth = 64;

    explicit PdfDocument(QObject *parent = nullptr);
    ~PdfDocument() override;

    // The engine, for the print job's printer calls. Its calls are the
    // caller's to keep apart from renders on other threads.
    Document &document() { return m_engine; }

    // The password hand-over for this document; by default the
    // application's (Handover::applicationPasswordController()). Null
    // controllers count as a prompt closed without an answer.
    void setControllers(InputPasswordController *passwords, MessageBoxController *messages);

    // Opens the file. A protected file asks for the password until the
    // right one comes, the prompt is closed, or the user answers SKIP
    // (passwordCanceled()) or SKIP ALL (passwordSkipped()); a wrong
    // password is said in a message first. True when the file opened;
    // otherwise lastError() says why in plain words.
    bool load(const QString &filePath) override;
    bool isLoaded() override;
    QString lastError() const { return m_lastError; }
    // Whether the last load met a file that asks for a password.
    bool isProtected() const { return m_protected; }
    QString filePath() const { return m_filePath; }

    // When set, a file that needs a password is not opened and nothing is
    // asked.
    void setSkipPasswordPrompt(bool skip) { m_skipPasswordPrompt = skip; }
    bool skipPasswordPrompt() const { return m_skipPasswordPrompt; }
    // Whether the prompt offers SKIP and SKIP ALL.
    void setCheckSkip(bool checkSkip) { m_checkSkip = checkSkip; }
    bool checkSkip() const { return m_checkSkip; }
    // SKIP and SKIP ALL answers of the last prompts; never cleared by load().
    bool passwordCanceled() const { return m_passwordCanceled; }
    void setPasswordCanceled(bool canceled) { m_passwordCanceled = canceled; }
    bool passwordSkipped() const { return m_passwordSkipped; }
    void setPasswordSkipped(bool skipped) { m_passwordSkipped = skipped; }

    // Pages of the opened file; 0 before a load succeeded.
    int pageCount() override;
    bool isValidPage(int page) override;

    // The page rendered as the view settings of this moment say (page 2
    // of a pair is fitted as half of the pair), in RGB32. Null for a page
    // outside the book, a page without a size, and a view port too small
    // to draw into. Without a view-port size the render state becomes
    // OriginalSize, and stays so.
    QImage pageImage(int page) override;
    // The current view: the current page, or in two columns the current
    // page and the next one side by side, top-aligned on black.
    QImage requestCurrentImage();
    ViewState viewState() const;
    // The view a state describes; any thread.
    QImage renderView(const ViewState &state);
    // Page 1 at the render settings of this moment: the cover.
    QImage renderPage();
    // The size in whole points of the page the engine has selected now,
    // sides exchanged for a quarter turn.
    QSize pageSize();

    void setViewPortSize(const QSize &size) override;
    QSize viewPortSize() const;
    void setRenderState(int state);
    int renderState() const;

    // Positions are page numbers.
    void setPageByPosition(int position) override;
    int pageByPosition(int position) override;
    int currentPosition() override;
    // Whole percent of the book up to page, truncated; 0 without pages.
    int calcProgressByPage(const int page) const override;
    float progress() override;
    // PDF pages carry no chapter names: a null string.
    QString titleByPosition(int position) override;

    // The outline as contents, read on the first call that finds one.
    // Broken outlines (items in a circle, endless levels) give what was
    // read before the repeat or the limit.
    QList<TocItem> tableOfContents() override;
    // Every word of every page that holds text (any letter case), the
    // match in bold, the page's text escaped; first a "Go to page %1"
    // entry when text is a page number of the book.
    QList<SearchResult> search(const QString &text) override;

    // Information entries of the file, empty when absent.
    QString author();
    QString title();
    QString creator();
    QString producer();

signals:
    void viewPortResize(const QSize &size);

private:
    Q_DISABLE_COPY_MOVE(PdfDocument)

    struct TocNode;

    // One page as state says, drawn by engine; pairedFit: fitted as one
    // half of a pair. The caller holds that engine's lock.
    QImage renderPageLocked(Document &engine, int page, const ViewState &state, bool pairedFit);
    // The right page of a pair, by the partner engine (opened here on first
    // use), or by the document's own engine when the partner cannot open
    // the file.
    QImage renderRightPage(int page, const ViewState &state);
    QString information(int key);
    bool openWithPassword(const QString &password);
    // Asks until the file opens or the user gives up; false when not opened.
    bool askForPassword();
    static QString searchEntry(const QString &word, const QString &text);

    QList<TocItem> m_tableOfContents;
    QSize m_viewPortSize = QSize(-1, -1);
    QAtomicInt m_renderState = FitToPage;
    bool m_skipPasswordPrompt = false;
    bool m_checkSkip = false;
    bool m_passwordSkipped = false;
    bool m_passwordCanceled = false;
    bool m_loaded = false;
    bool m_protected = false;
    int m_pageCount = 0;
    QString m_filePath;
    QString m_lastError;
    QPointer<InputPasswordController> m_passwords;
    QPointer<MessageBoxController> m_messages;
    bool m_controllersSet = false;
    // Keeps a sequence of engine calls (select, then read or draw) together.
    mutable QMutex m_engineLock;
    Document m_engine;
    // The password the file opened with, for the partner engine.
    QString m_password;
    // Draws the right page of a pair; only ever used under m_partnerLock,
    // which is never taken while m_engineLock is held.
    QMutex m_partnerLock;
    std::unique_ptr<Document> m_partner;
    bool m_partnerFailed = false;
};

} // namespace pdf
