#include "reader/bookviewer.h"

#include "comics/imageviewer.h"
#include "core/settings.h"
#include "document/imagedocument.h"
#include "document/textdocument.h"
#include "library/db/bookformat.h"
#include "pdf/pdfdocument.h"
#include "pdf/pdfviewer.h"
#include "reader/bookoperations.h"
#include "reader/readtoolbar.h"
#include "reader/textviewer.h"
#include "reader/textviewerinput.h"
#include "reader/usercontext.h"
#include "widgets/loaderbox.h"

#include <QApplication>
#include <QDebug>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QScopedValueRollback>
#include <QShowEvent>
#include <QSpacerItem>
#include <QStackedLayout>
#include <QStyle>
#include <QVBoxLayout>

namespace {

constexpr int WaitPageIndex = 0;
constexpr int ViewerPageIndex = 1;
constexpr int ToolBarWidth = 50;
constexpr int InfoBarHeight = 50;
// Share of the frame's width the title may take.
constexpr double TitleWidthShare = 0.35;

const char *const FullScreenProperty = "theFullScreen";

void trace(const char *slot)
{
    qDebug().noquote() << slot;
}

// The formats read in the text viewer.
bool isReflowable(int format)
{
    static const QList<int> formats = {
        BookFormat::fromString(QStringLiteral("epub")),
        BookFormat::fromString(QStringLiteral("mobi")),
        BookFormat::fromString(QStringLiteral("fb2")),
        BookFormat::fromString(QStringLiteral("prc")),
        BookFormat::fromString(QStringLiteral("txt")),
    };
    return formats.contains(format);
}

// The formats read in the image viewer.
bool isComic(int format)
{
    return format == BookFormat::fromString(QStringLiteral("cbz"))
            || format == BookFormat::fromString(QStringLiteral("cbr"));
}

bool isPdf(int format)
{
    return format == BookFormat::fromString(QStringLiteral("pdf"));
}

bool samePath(const QString &first, const QString &second)
{
    // Two files whose names differ only in case are two books where the
    // file system tells them apart.
#ifdef Q_OS_WIN
    return first.compare(second, Qt::CaseInsensitive) == 0;
#else
    return first == second;
#endif
}

QString bookName(const BookDto &book)
{
    return book.title.isEmpty() ? QFileInfo(book.fullPath).fileName() : book.title;
}

} // namespace

BookViewer::BookViewer(UserContext *context, QWidget *parent)
    : ReaderPage(parent)
    , m_context(context)
{
    setObjectName(QStringLiteral("textViewer"));
    setProperty(FullScreenProperty, false);

    m_innerFrame = new QFrame(this);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(m_innerFrame);

    auto *inner = new QVBoxLayout(m_innerFrame);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setSpacing(0);
    auto *content = new QHBoxLayout;
    content->setContentsMargins(0, 0, 0, 0);
    content->setSpacing(0);

    m_viewerRow = new QHBoxLayout;
    m_viewerRow->setContentsMargins(50, 8, 0, 8);
    m_viewerRow->setSpacing(0);
    m_stack = new QStackedLayout;
    m_waitPage = new LoaderBox(m_innerFrame);
    fill(m_waitPage, Settings::instance()->values().profile().backgroundColor);
    m_stack->addWidget(m_waitPage);
    m_stack->addWidget(new QFrame(m_innerFrame));
    m_viewerRow->addLayout(m_stack, 1);

    auto *toolColumn = new QVBoxLayout;
    toolColumn->setContentsMargins(0, 0, 0, 0);
    toolColumn->setSpacing(0);
    m_toolBarSpacer = new QSpacerItem(0, 8, QSizePolicy::Minimum, QSizePolicy::Minimum);
    toolColumn->addItem(m_toolBarSpacer);
    m_toolBar = new ReadToolBar(m_innerFrame);
    m_toolBar->setFixedWidth(ToolBarWidth);
    toolColumn->addWidget(m_toolBar);

    content->addLayout(m_viewerRow, 1);
    content->addLayout(toolColumn, 0);

    m_infoBar = new QFrame(m_innerFrame);
    m_infoBar->setFixedHeight(InfoBarHeight);
    m_infoBar->hide();
    auto *grid = new QGridLayout(m_infoBar);
    grid->setContentsMargins(9, 0, 9, 0);
    m_titleLabel = new QLabel(m_infoBar);
    m_progressLabel = new QLabel(m_infoBar);
    grid->addWidget(m_titleLabel, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(m_progressLabel, 0, 1, Qt::AlignCenter);
    grid->addWidget(new QFrame(m_infoBar), 0, 2, Qt::AlignRight);

    inner->addLayout(content, 1);
    inner->addWidget(m_infoBar, 0);

    connect(m_toolBar, &ReadToolBar::fullScreen, this, &BookViewer::onFullScreen);
    connect(m_toolBar, &ReadToolBar::showContents, this, &BookViewer::toolBarShowContents);
    connect(m_toolBar, &ReadToolBar::showNotes, this, &BookViewer::toolBarShowNotes);
    connect(m_toolBar, &ReadToolBar::switchColumnCount, this, &BookViewer::switchColumnCount);
    connect(m_toolBar, &ReadToolBar::search, this, [this] { emit showSearch(); });
    connect(m_toolBar, &ReadToolBar::addBookmark, m_context, &UserContext::addBookmark);
    connect(m_toolBar, &ReadToolBar::nextProfile, m_context, &UserContext::nextProfile);
    connect(m_context, &UserContext::bookInfoChanged, this, &BookViewer::bookInfoChanged);
    connect(Settings::instance(), &Settings::changed, this, &BookViewer::onSettingsChanged);

    // The window hears the hub's requests for its buttons from this page.
    BookOperations *hub = BookOperations::instance();
    connect(hub, &BookOperations::toggleBackContol, this, &ReaderPage::toggleBackContol);
    connect(hub, &BookOperations::togglePrintContol, this, &ReaderPage::togglePrintContol);
    connect(hub, &BookOperations::toggleNotesContol, this, &ReaderPage::toggleNotesContol);

    updateStyle();
    showPage(WaitPageIndex);
}

BookViewer::~BookViewer()
{
    popBusyCursor();
}

void BookViewer::setMessagePresenter(MessagePresenter presenter)
{
    m_presenter = std::move(presenter);
}

void BookViewer::showMessage(const QString &title, const QString &text)
{
    presentMessage(m_presenter, title, text, this);
}

int BookViewer::currentPageIndex() const
{
    return m_stack->currentIndex();
}

TextViewer *BookViewer::textViewer() const
{
    return qobject_cast<TextViewer *>(m_stack->widget(ViewerPageIndex));
}

ImageViewer *BookViewer::imageViewer() const
{
    return qobject_cast<ImageViewer *>(m_stack->widget(ViewerPageIndex));
}

PDFViewer *BookViewer::pdfViewer() const
{
    return qobject_cast<PDFViewer *>(m_stack->widget(ViewerPageIndex));
}

void BookViewer::showPage(int index)
{
    m_stack->setCurrentIndex(index);
}

void BookViewer::pushBusyCursor()
{
    if (m_cursorPushed)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_cursorPushed = true;
}

void BookViewer::popBusyCursor()
{
    if (!m_cursorPushed)
        return;
    QApplication::restoreOverrideCursor();
    m_cursorPushed = false;
}

// ---- opening ----

bool BookViewer::openBook(const BookDto &book)
{
    // Pending events run below; a book named meanwhile (a second start's
    // command line) must not start a second opening inside this one.
    if (m_opening) {
        qDebug().noquote() << "BookViewer::openBook: already opening, ignored:" << book.fullPath;
        return true;
    }
    const QScopedValueRollback<bool> opening(m_opening, true);

    // The book read until now keeps its progress in the library.
    m_context->savePosition();

    showPage(WaitPageIndex);
    m_showBusyCursor = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);

    if (isReflowable(book.format))
        return openTextBook(book);
    if (isComic(book.format))
        return openComicBook(book);
    if (isPdf(book.format))
        return openPdfBook(book);

    // Formats without a reader have no viewer here: the reader is told,
    // rather than left at the wait page.
    showPage(ViewerPageIndex);
    showMessage(tr("Error"),
                tr("The book \"%1\" can not be opened: %2 books can not be read here.")
                        .arg(bookName(book), BookFormat::toString(book.format).toUpper()));
    return false;
}

bool BookViewer::openTextBook(const BookDto &book)
{
    BookOperations *hub = BookOperations::instance();
    emit hub->toggleNotesContol(true);
    m_context->setBook(book);
    emit hub->togglePrintContol(true);

    m_toolBar->hideIncreaseFontButton(false);
    m_toolBar->hideDecreaseFontButton(false);
    m_toolBar->hideIncreaseSpacingButton(false);
    m_toolBar->hideDecreaseSpacingButton(false);
    m_toolBar->hideZoomInButton(true);
    m_toolBar->hideZoomOutButton(true);
    m_toolBar->hideFitSizeButton(true);
    m_toolBar->hideOriginalButton(true);

    TextViewer *current = textViewer();
    if (current && current->isBookOpen() && current != m_brokenViewer
        && samePath(current->book().fullPath, book.fullPath)) {
        m_context->setDocument(current->document());
        m_context->setNotesCount(current->notes().size());
        showPage(ViewerPageIndex);
        m_showBusyCursor = false;
        return true;
    }

    if (m_stack->widget(ViewerPageIndex)) {
        m_context->setDocument(nullptr);
        emit newBookReading();
    }
    m_context->setDocument(nullptr);

    auto *viewer = new TextViewer(book, m_innerFrame);
    viewer->hide();
    viewer->move(m_waitPage->pos());
    bool told = false;
    viewer->setMessagePresenter([this, &told](const QString &title, const QString &text) {
        told = true;
        showMessage(title, text);
    });
    auto *input = new TextViewerInput(viewer);
    connect(input, &TextViewerInput::noteClicked, viewer, &TextViewer::onNoteClicked);
    connect(input, &TextViewerInput::noteRequested, viewer, &TextViewer::onNoteRequested);
    connect(input, &TextViewerInput::noteColorRequested, viewer, &TextViewer::changeNoteColor);
    m_context->setDocument(viewer->document());
    m_context->updateBookInfo();

    m_restorePending = true;
    connect(viewer, &TextViewer::loadFinished, this, &BookViewer::loadFinished);
    connect(viewer, &TextViewer::loadBegin, this, &BookViewer::loadBegin);

    putInPage(viewer);
    viewer->show();
    viewer->resize(m_waitPage->size());
    viewer->lower();

    m_restorePending = true;
    connect(viewer, &TextViewer::unrecoverableError, this, &BookViewer::onViewerError);
    connect(viewer, &TextViewer::loadFinished, this, &BookViewer::onEndChangeDocSize);
    // The viewer's notes count reaches the library; the window's search
    // text reaches the viewer.
    connect(viewer, &TextViewer::notesCountChanged, m_context, &UserContext::setNotesCount);
    connect(m_context, &UserContext::searhingTextChanged, viewer, &TextViewer::onSearch);

    const bool loaded = viewer->loadBookData();
    // Messages of the viewer from now on come while the book is read.
    viewer->setMessagePresenter(
            [this](const QString &title, const QString &text) { showMessage(title, text); });
    if (!loaded) {
        m_showBusyCursor = false;
        m_restorePending = false;
        loadFinished();
        if (!told) {
            showMessage(tr("Error"), tr("The book \"%1\" can not be opened.").arg(bookName(book)));
        }
        // A viewer without a book must not stand for it: saving its empty
        // progress would wipe the one the library holds.
        m_context->setDocument(nullptr);
        dropViewer();
        return false;
    }

    m_restorePending = true;
    TextDocument *document = viewer->document();
    connect(document, &TextDocument::beginResizePage, this, &BookViewer::onBeginChageDocSize);
    connect(viewer, &TextViewer::requestExitFullScreen, this, &BookViewer::onRequestExitFullScreen);
    connect(document, &TextDocument::columnCountChanged, this, &BookViewer::onColumnCountChanged);
    connect(viewer, &TextViewer::mouseDoubleClick, this, &BookViewer::onFullScreen);
    connect(viewer, &TextViewer::reloadBegin, this, &BookViewer::reloadBegin);
    connect(viewer, &TextViewer::reloadFinished, this, &BookViewer::reloadFinished);
    connect(viewer, &TextViewer::requestBottomPanel, this, &BookViewer::onRequestBottomPanel);
    connect(m_toolBar, &ReadToolBar::increaseFont, viewer, &TextViewer::increaseFont);
    connect(m_toolBar, &ReadToolBar::decreaseFont, viewer, &TextViewer::decreaseFont);
    connect(viewer, &TextViewer::pageChanged, m_context, &UserContext::updateBookInfo);
    return true;
}

void BookViewer::prepareImageBook(const BookDto &book, bool printable)
{
    BookOperations *hub = BookOperations::instance();
    emit hub->toggleNotesContol(false);
    emit hub->togglePrintContol(printable);
    m_context->setBook(book);

    m_toolBar->hideIncreaseFontButton(true);
    m_toolBar->hideDecreaseFontButton(true);
    m_toolBar->hideIncreaseSpacingButton(true);
    m_toolBar->hideDecreaseSpacingButton(true);
    m_toolBar->hideZoomInButton(false);
    m_toolBar->hideZoomOutButton(false);
    m_toolBar->hideFitSizeButton(false);
    m_toolBar->hideOriginalButton(false);

    if (m_stack->widget(ViewerPageIndex))
        emit newBookReading();
    m_context->setDocument(nullptr);
}

void BookViewer::placeImageViewer(PageView *viewer, ImageDocument *document)
{
    viewer->move(m_waitPage->pos());
    putInPage(viewer);
    m_context->setDocument(document);

    m_restorePending = true;
    connect(viewer, &PageView::loadFinished, this, &BookViewer::loadFinished);
    connect(m_toolBar, &ReadToolBar::zoomIn, viewer, &PageView::zoomIn);
    connect(m_toolBar, &ReadToolBar::zoomOut, viewer, &PageView::zoomOut);
    connect(m_toolBar, &ReadToolBar::fitSize, viewer, &PageView::fitToPage);
    connect(m_toolBar, &ReadToolBar::original, viewer, &PageView::originalSize);
    if (document) {
        connect(document, &ImageDocument::pageNumberChanged, viewer,
                [this] { m_context->updateBookInfo(); });
        connect(document, &ImageDocument::columnCountChanged, this, [this](int columns) {
            m_context->updateBookInfo();
            m_toolBar->setViewMode(columns);
        });
    }
    connect(viewer, &PageView::fullScreen, this, [this] { emit fullScreen(); });
}

bool BookViewer::finishImageBook(const BookDto &book, bool loaded, const QString &reason,
                                 ImageDocument *document)
{
    if (!loaded) {
        m_showBusyCursor = false;
        m_restorePending = false;
        loadFinished();
        showMessage(tr("Error"),
                    tr("The book \"%1\" can not be opened: %2.").arg(bookName(book), reason));
        // A book that shows nothing must not stand for itself: saving its
        // empty place would wipe the one the library holds.
        m_context->setDocument(nullptr);
        dropViewer();
        return false;
    }
    m_toolBar->setViewMode(document->columnCount());
    m_context->restorePosition();
    m_restorePending = false;
    return true;
}

bool BookViewer::openComicBook(const BookDto &book)
{
    prepareImageBook(book, false);
    auto *viewer = new ImageViewer(book.fullPath, m_innerFrame);
    ImageDocument *document = viewer->document();
    placeImageViewer(viewer, document);
    const bool loaded = viewer->load();
    return finishImageBook(book, loaded, viewer->lastError(), document);
}

bool BookViewer::openPdfBook(const BookDto &book)
{
    prepareImageBook(book, true);
    // The password prompt may come up while the book opens: no wait cursor
    // over it.
    m_showBusyCursor = false;
    auto *viewer = new PDFViewer(book.fullPath, m_innerFrame);
    viewer->hide();
    pdf::PdfDocument *document = viewer->document();
    placeImageViewer(viewer, document);
    m_context->updateBookInfo();
    connect(viewer, &PDFViewer::loadBegin, this, &BookViewer::loadBegin);
    connect(BookOperations::instance(), &BookOperations::print, viewer, &PDFViewer::onPrint);
    const bool loaded = viewer->load();
    return finishImageBook(book, loaded, viewer->lastError(), document);
}

void BookViewer::putInPage(QWidget *viewer)
{
    QWidget *old = m_stack->widget(ViewerPageIndex);
    m_stack->insertWidget(ViewerPageIndex, viewer);
    // The frame's focus is the viewer's: keys reach the page whenever the
    // main window gives the reader the focus.
    const bool focused = hasFocus() || (old && old->hasFocus());
    viewer->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(viewer);
    if (focused)
        viewer->setFocus(Qt::OtherFocusReason);
    if (!old)
        return;
    m_stack->removeWidget(old);
    old->disconnect();
    old->close();
    // Later, not now: the old viewer may be in the middle of one of its own
    // events (a menu it runs) when another book is opened.
    old->deleteLater();
}

void BookViewer::dropViewer()
{
    putInPage(new QFrame(m_innerFrame));
    showPage(ViewerPageIndex);
}

// ---- resizing and loading ----

void BookViewer::beginResize()
{
    trace("BookViewer::beginResize");
    trace("BookViewer::onBeginChageDocSize");
    showPage(WaitPageIndex);
}

void BookViewer::endResize()
{
    trace("BookViewer::endResize");
    if (IDocument *document = m_context->document())
        document->setViewPortSize(m_waitPage->size());
    showPage(ViewerPageIndex);
    QCoreApplication::processEvents();
    m_restorePending = false;
}

void BookViewer::loadBegin()
{
    trace("BookViewer::loadBegin");
    showPage(WaitPageIndex);
    if (m_showBusyCursor)
        pushBusyCursor();
}

void BookViewer::loadFinished()
{
    trace("BookViewer::loadFinished");
    updateStyle();
    showPage(ViewerPageIndex);
    popBusyCursor();
}

void BookViewer::onBeginChageDocSize()
{
    trace("BookViewer::onBeginChageDocSize");
    showPage(WaitPageIndex);
}

void BookViewer::onEndChangeDocSize()
{
    trace("BookViewer::onEndChangeDocSize");
    showPage(ViewerPageIndex);
    if (QWidget *viewer = m_stack->widget(ViewerPageIndex))
        viewer->raise();
    if (m_restorePending) {
        m_context->restorePosition();
        m_restorePending = false;
    }
}

void BookViewer::reloadBegin()
{
    trace("BookViewer::reloadBegin");
    showPage(WaitPageIndex);
}

void BookViewer::reloadFinished()
{
    trace("BookViewer::reloadFinished");
    showPage(ViewerPageIndex);
}

void BookViewer::onViewerError()
{
    trace("void __thiscall BookViewer::onViewerError(void)");
    if (isFullScreen())
        emit fullScreen();
    m_showBusyCursor = false;
    m_restorePending = false;
    loadFinished();
    // Opening the same book again must build a new viewer, not show this
    // one's empty page.
    m_brokenViewer = textViewer();
    emit viewerError();
    showMessage(tr("Error"), tr("An unrecoverable error occurred. Current reading aborted."));
}

// ---- tool bar, full screen, style ----

void BookViewer::onFullScreen()
{
    trace("BookViewer::onFullScreen");
    emit fullScreen();
}

void BookViewer::onRequestExitFullScreen()
{
    trace("void __thiscall BookViewer::onRequestExitFullScreen(void)");
    if (isFullScreen())
        emit fullScreen();
}

void BookViewer::onRequestBottomPanel(bool show)
{
    // The information bar stays hidden; the window's bottom bar shows the
    // same texts.
    Q_UNUSED(show)
}

void BookViewer::columnCountChanged(int count)
{
    m_toolBar->setViewMode(count);
}

void BookViewer::onColumnCountChanged(int columns)
{
    m_toolBar->setViewMode(columns);
}

void BookViewer::switchColumnCount()
{
    m_context->switchColumnCount();
}

void BookViewer::toolBarShowContents()
{
    emit showContents();
}

void BookViewer::toolBarShowNotes()
{
    emit showNotes();
}

void BookViewer::back()
{
    emit BookOperations::instance()->backPressed();
}

void BookViewer::print()
{
    emit BookOperations::instance()->print(nullptr);
}

bool BookViewer::isFullScreen() const
{
    return property(FullScreenProperty).toBool();
}

void BookViewer::setFullScreen(bool fullScreen)
{
    m_toolBar->setFullScreenState(fullScreen);
    m_infoBar->hide();
    m_viewerRow->setContentsMargins(50, fullScreen ? 50 : 8, 0, fullScreen ? 0 : 8);
    m_toolBarSpacer->changeSize(0, fullScreen ? 20 : 8, QSizePolicy::Minimum, QSizePolicy::Minimum);
    m_innerFrame->layout()->invalidate();
    setProperty(FullScreenProperty, fullScreen);
    style()->unpolish(this);
    style()->polish(this);
    update();
    updateStyle();
}

void BookViewer::fill(QWidget *widget, const QColor &color)
{
    QPalette palette = widget->palette();
    for (const QPalette::ColorGroup group :
         { QPalette::Active, QPalette::Inactive, QPalette::Disabled })
        palette.setColor(group, QPalette::Window, color);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
    widget->update();
}

void BookViewer::updateStyle()
{
    const ViewerSettings values = Settings::instance()->values();
    const TextProfile profile = values.profile();
    fill(m_toolBar, profile.workgroundColor);
    fill(m_infoBar, profile.workgroundColor);
    fill(this, profile.workgroundColor);
    fill(m_innerFrame, profile.workgroundColor);
    fill(m_waitPage, profile.backgroundColor);
    const QString sheet = QStringLiteral("QLabel {color:%1;}").arg(profile.text.color.name());
    m_progressLabel->setStyleSheet(sheet);
    m_titleLabel->setStyleSheet(sheet);
    m_toolBar->setViewMode(values.columnCount);
}

void BookViewer::onSettingsChanged()
{
    updateStyle();
}

void BookViewer::bookInfoChanged(const QString &title, const QString &progress, bool wsLoading)
{
    Q_UNUSED(wsLoading)
    QFont font = m_titleLabel->font();
    font.setWeight(75);
    const QFontMetrics metrics(font);
    m_titleLabel->setText(metrics.elidedText(title, Qt::ElideMiddle, int(width() * TitleWidthShare),
                                             Qt::TextJustificationForced));
    m_progressLabel->setText(progress);
}

// ---- events ----

void BookViewer::showEvent(QShowEvent *event)
{
    // A window brought back from the task bar shows the frame again as it
    // was; only the page switch to the reader starts at the wait page.
    if (!event->spontaneous())
        showPage(WaitPageIndex);
    ReaderPage::showEvent(event);
}

void BookViewer::hideEvent(QHideEvent *event)
{
    trace("void __thiscall BookViewer::hideEvent(class QHideEvent *)");
    m_context->savePosition();
    // Leaving the reader ends a PDF book's rendering; a window only
    // minimised keeps it, to go on reading when it comes back.
    if (!event->spontaneous()) {
        if (PDFViewer *viewer = pdfViewer())
            viewer->closeDocument();
    }
    ReaderPage::hideEvent(event);
}
