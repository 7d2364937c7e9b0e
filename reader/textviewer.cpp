#include "reader/textviewer.h"

#include "archive/singlebookarchive.h"
#include "core/logger.h"
#include "core/settings.h"
#include "document/textdocument.h"
#include "document/tocfile.h"
#include "formats/documentfactory.h"
#include "formats/epub/epubdocument.h"
#include "pagination/pagescript.h"
#include "pagination/paginationclient.h"
#include "pagination/searchreplyestimate.h"
#include "reader/bookoperations.h"
#include "reader/notetooltip.h"
#include "reader/pagenavigationpanel.h"
#include "reader/pagenavigationslider.h"
#include "reader/pagenavigationtooltip.h"
#include "reader/viewerpage.h"
#include "webpolicy/bookfile.h"
#include "widgets/messageview.h"

#ifdef VL_HAVE_FB2
#include "formats/fb2/fbdocument.h"
#endif
#ifdef VL_HAVE_MOBI
#include "formats/mobi/mobidocument.h"
#endif

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFileInfo>
#include <QFrame>
#include <QGraphicsOpacityEffect>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QTextOption>
#include <QUrl>
#include <QUrlQuery>
#include <QUuid>
#include <QWebFrame>
#include <QWebSettings>

namespace {

const char *const AlignmentNames[] = { "inherit", "left", "right", "center", "justify" };

// Suffixes of the books a single-book archive may hold.
const QStringList ArchivedBookSuffixes
        = { QStringLiteral("epub"), QStringLiteral("mobi"), QStringLiteral("prc"),
            QStringLiteral("fb2"), QStringLiteral("txt") };

// The document classes share these load states.
constexpr int StateDamaged = 1;
constexpr int StateProtected = 4;

// Long enough to gather a burst of changes (a page turned several times,
// a note coloured twice) into one write; short enough that a kill of the
// program right afterwards loses nothing.
constexpr int SaveDelay = 500;

QString alignmentScript(int alignment)
{
    if (alignment < 0 || alignment > 4)
        return QString();
    return QStringLiteral("document.body.style.textAlign=\"%1\";")
            .arg(QLatin1String(AlignmentNames[alignment]));
}

QString quoted(const QString &text)
{
    return PageScript::quoted(text);
}

// The family the page is to use for the profile's: a family this system
// lacks is named as the one the system reads it with, since the web engine
// would otherwise fall back to its own default.
QString installedFamily(const QString &family)
{
    if (family.isEmpty() || QFontDatabase().hasFamily(family))
        return family;
    return QFontInfo(QFont(family)).family();
}

// The reader's font and, for the view, its profile's colours over the
// book's own style (the helper lays the text out with the same font).
QString readingStyleScript(const QColor &background, const QColor &text)
{
    QWebSettings *web = QWebSettings::globalSettings();
    return QStringLiteral("applyReadingStyle(%1, %2, %3, %4);")
            .arg(quoted(web->fontFamily(QWebSettings::StandardFont)))
            .arg(web->fontSize(QWebSettings::DefaultFontSize))
            .arg(quoted(background.name()), quoted(text.name()));
}

void log(const QString &text, int level)
{
    Logger::instance()->write(text, level);
}

// The viewer's own font steps stay inside the sizes a side file accepts;
// a step outside them changes nothing.
void stepFontSize(TextViewer *viewer, int step)
{
    QWebSettings *web = QWebSettings::globalSettings();
    const int size = web->fontSize(QWebSettings::DefaultFontSize) + step;
    if (size < BookSideFiles::MinFontSize || size > BookSideFiles::MaxFontSize)
        return;
    web->setFontSize(QWebSettings::DefaultFontSize, size);
    viewer->reload();
    viewer->scheduleSideFilesWrite();
}

constexpr int LineSpacingStep = 50;

void stepLineSpacing(TextViewer *viewer, int *lineSpacing, int step)
{
    const int spacing = *lineSpacing + step;
    if (spacing < 100 || spacing > 250)
        return;
    *lineSpacing = spacing;
    viewer->runScript(QStringLiteral("applyLineSpacing(\"%1\");").arg(spacing));
    viewer->reload();
    viewer->scheduleSideFilesWrite();
}

int documentState(TextDocument *document)
{
    if (auto *epubDocument = qobject_cast<epub::EpubDocument *>(document))
        return epubDocument->status();
#ifdef VL_HAVE_FB2
    if (auto *fbDocument = qobject_cast<fb2::FbDocument *>(document))
        return fbDocument->status();
#endif
#ifdef VL_HAVE_MOBI
    if (auto *mobiDocument = qobject_cast<mobi::MobiDocument *>(document))
        return mobiDocument->status();
#endif
    return 0;
}

} // namespace

TextViewer::TextViewer(const BookDto &book, QWidget *parent)
    : QWebView(parent)
    , m_book(book)
    , m_bookPath(book.fullPath)
    , m_uid(makeUid())
    , m_paginator(new PaginationClient)
    , m_sideFiles(book.fullPath)
{
    m_page = new ViewerPage(this);
    setPage(m_page);

    m_document.reset(createDocument(m_bookPath, &m_sourcePath, &m_openProblem));
    m_document->setViewer(this);

    m_fadeOverlay = new QFrame(this);
    m_fadeOverlay->setStyleSheet(QStringLiteral("background-color: white;"));
    m_fadeOverlay->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_fadeOverlay->hide();
    m_fadeOverlay->lower();
    m_pageNavigationPanel = new PageNavigationPanel(this);
    m_pageNavigationPanel->hide();
    m_pageNavigationPanel->lower();
    connect(m_pageNavigationPanel->backButton(), &QPushButton::clicked, this,
            &TextViewer::onBackToPage);
    setStyleSheet(QStringLiteral(
            "QWebView {  selection-background-color: #a8d1ff; selection-color: black; }"));

    setMouseTracking(true);
    PageNavigationSlider *slider = m_pageNavigationPanel->slider();
    connect(slider, &QSlider::sliderPressed, this, &TextViewer::onPageSliderPressed);
    connect(slider, &QSlider::sliderMoved, this, &TextViewer::onPageSliderMoved);
    connect(slider, &QSlider::sliderReleased, this, &TextViewer::onPageSliderReleased);
    connect(slider, &PageNavigationSlider::previewSlider, this, &TextViewer::pageNavePreview);
    BookOperations *hub = BookOperations::instance();
    connect(hub, &BookOperations::increaseLineSpacing, this, &TextViewer::increaseLineSpacing);
    connect(hub, &BookOperations::decreaseLineSpacing, this, &TextViewer::decreaseLineSpacing);
    connect(hub, &BookOperations::print, this, &TextViewer::onPrinting);
    connect(m_page->mainFrame(), &QWebFrame::loadFinished, this, &TextViewer::onLoadFinished);
    connect(m_document.get(), &TextDocument::columnCountChanged, this,
            &TextViewer::onColumnCountChange);
    connect(m_document.get(), &TextDocument::endCleanSearch, this,
            QOverload<>::of(&TextViewer::update));
    connect(Settings::instance(), &Settings::changed, this, &TextViewer::reload);

    auto *larger = new QShortcut(QKeySequence(Qt::CTRL + Qt::Key_Plus), this);
    larger->setContext(Qt::WindowShortcut);
    connect(larger, &QShortcut::activated, this, &TextViewer::increaseFont);
    auto *smaller = new QShortcut(QKeySequence(Qt::CTRL + Qt::Key_Minus), this);
    smaller->setContext(Qt::WindowShortcut);
    connect(smaller, &QShortcut::activated, this, &TextViewer::decreaseFont);

    const ViewerSettings settings = Settings::instance()->values();
    m_fadeEnabled = settings.showFade;

    QWebSettings *web = QWebSettings::globalSettings();
    web->setAttribute(QWebSettings::DeveloperExtrasEnabled, true);
    web->setDefaultTextEncoding(QStringLiteral("utf-8"));

    m_request.gap = m_gap;
    m_request.topBottomMargin = m_topBottomMargin;
    const TextProfile profile = settings.profile();
    m_backgroundColor = profile.backgroundColor;
    m_textColor = profile.text.color;
    m_textAlignment = settings.textAlignment;
    m_useNaviSlider = settings.useNaviSlider;

    m_page->mainFrame()->setScrollBarPolicy(Qt::Horizontal, Qt::ScrollBarAlwaysOff);
    m_page->mainFrame()->setScrollBarPolicy(Qt::Vertical, Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);

    connect(m_paginator.get(), &PaginationClient::replyReceived, this,
            &TextViewer::onPaginationReply);
    connect(m_paginator.get(), &PaginationClient::failed, this, &TextViewer::onPaginationFailed);

    m_saveTimer.setSingleShot(true);
    m_saveTimer.setInterval(SaveDelay);
    connect(&m_saveTimer, &QTimer::timeout, this, &TextViewer::writeSideFiles);
    connect(this, &TextViewer::pageChanged, this, [this] {
        if (m_layoutReady)
            scheduleSideFilesWrite();
    });
    connect(this, &TextViewer::pageNavigation, this, &TextViewer::onPageNavigation);
}

TextViewer::~TextViewer()
{
    m_saveTimer.stop();
    // A comment still being typed when the book closes is kept.
    if (m_noteTooltip && m_noteTooltip->isVisible())
        m_noteTooltip->commitText();
    if (m_bookOpen)
        writeSideFiles();
    // Ends the helper first, then removes the block.
    m_paginator.reset();
    m_document.reset();
}

QString TextViewer::makeUid()
{
    QString text = QUuid::createUuid().toString();
    text.remove(QLatin1Char('-'));
    text.remove(QLatin1Char('{'));
    text.remove(QLatin1Char('}'));
    return text;
}

void TextViewer::setMessagePresenter(MessagePresenter presenter)
{
    m_presenter = std::move(presenter);
}

void TextViewer::showMessage(const QString &text)
{
    const QString title = tr("Error");
    log(QStringLiteral("TextViewer: %1: %2").arg(m_bookPath, text), Logger::Error);
    if (m_presenter) {
        m_presenter(title, text);
        return;
    }
    MessageView box(title, text, this);
    box.exec();
}

TextDocument *TextViewer::createDocument(const QString &path, QString *sourcePath, QString *problem)
{
    *sourcePath = path;
    if (!SingleBookArchive::isArchive(path))
        return ::createDocument(path);

    // A book packed alone is read from its unpacked copy in the archive's
    // storage folder; the side files stay the archive's.
    QString why;
    const QString inner = SingleBookArchive::entrySuffix(path, &why);
    if (!ArchivedBookSuffixes.contains(inner)) {
        *problem = why.isEmpty()
                ? tr("Book file can not be opened: the archive must hold exactly one EPUB, "
                     "MOBI, FB2 or TXT book.")
                : tr("Book file can not be opened: %1.").arg(why);
        return new TextDocument();
    }
#ifdef VL_HAVE_FB2
    // A text book is read whole: one packed small may unpack to more than the
    // reader takes, and is refused before it fills the disk.
    if ((inner == QLatin1String("txt") || inner == QLatin1String("fb2"))
        && SingleBookArchive::unpackedSize(path) > fb2::FbDescription::maximumFileSize()) {
        *problem = tr("Book file is too large to be shown. Book can not be opened.");
        return new TextDocument();
    }
#endif
    const QString unpacked = SingleBookArchive::unpackForReading(path, &why);
    if (unpacked.isEmpty()) {
        *problem = why.isEmpty() ? tr("Ebook file is damaged. Book can not be opened.")
                                 : tr("Book file can not be opened: %1.").arg(why);
        return new TextDocument();
    }
    *sourcePath = unpacked;
    return ::createDocument(unpacked);
}

bool TextViewer::loadBookData()
{
    const QString script = PageScript::text();
    if (!script.isEmpty()) {
        m_scriptText = script;
        m_request.pageScript = script;
    } else {
        log(QStringLiteral("TextViewer::loadBookData: the page script cannot be read"),
            Logger::Error);
    }
    if (QFileInfo(m_bookPath).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0) {
        m_sideFiles.load();
        const QString stored = m_sideFiles.encoding();
        if (!stored.isEmpty()) {
            m_textEncoding = stored;
#ifdef VL_HAVE_FB2
            if (auto *fbDocument = qobject_cast<fb2::FbDocument *>(m_document.get()))
                fbDocument->setEncoding(stored);
#endif
        }
    }
    return openBook();
}

bool TextViewer::openBook()
{
    m_layoutReady = false;
    emit loadBegin();

    if (!m_openProblem.isEmpty()) {
        showMessage(m_openProblem);
        return false;
    }
    // A file that no document class reads gets the plain base, which has no
    // book to show: nothing to tell the reader beyond the failed opening.
    if (m_document->metaObject() == &TextDocument::staticMetaObject)
        return false;

    m_opening = true;
    applyDocumentStyle(m_document.get());
    m_opening = false;
    m_columnCount = m_document->columnCount();
    m_state.columnCount = m_columnCount;
    m_sideFiles = BookSideFiles(m_bookPath);

    m_chapterIndex = 0;
    m_chapterFiles.clear();
    m_request.documents.clear();
    m_request.pageCounts.clear();

    if (!m_document->load()) {
        const int state = documentState(m_document.get());
        if (state == StateProtected)
            showMessage(tr("Book file is protected. Book can not be opened."));
        else if (state == TextDocument::TooLarge)
            showMessage(tr("Book file is too large to be shown. Book can not be opened."));
        else
            showMessage(tr("Ebook file is damaged. Book can not be opened."));
        return false;
    }
    QStringList files;
    if (!takeConvertedFiles(&files))
        return false;

    m_contentFolder = QDir::cleanPath(files.first());
    m_chapterFiles = files.mid(1);
    m_request.documents = m_chapterFiles;
    for (const QString &file : qAsConst(m_chapterFiles))
        m_request.pageCounts.insert(file, 0);
    m_request.contentFolder = m_contentFolder;
    m_page->setContentFolder(m_contentFolder);

    m_sideFiles.load();
    readTableOfContents();
    readBookmarks();
    readNotes();
    readFontAndPosition();

    // A view already on the screen has its page size: the helper lays the
    // book out while the view loads its first file, rather than after it.
    if (isVisible())
        m_request.pageSize = size();
    restartPaginator();
    m_bookOpen = true;
    return true;
}

bool TextViewer::takeConvertedFiles(QStringList *files)
{
    TextDocument *document = m_document.get();
    int state = 0;
    if (auto *epubDocument = qobject_cast<epub::EpubDocument *>(document)) {
        state = epubDocument->status();
        *files = epubDocument->spineFiles();
#ifdef VL_HAVE_FB2
    } else if (auto *fbDocument = qobject_cast<fb2::FbDocument *>(document)) {
        // The document builds its contents when first asked; the pages come
        // after that.
        fbDocument->tableOfContents();
        state = fbDocument->status();
        *files = fbDocument->pages();
#endif
#ifdef VL_HAVE_MOBI
    } else if (auto *mobiDocument = qobject_cast<mobi::MobiDocument *>(document)) {
        state = mobiDocument->status();
        *files = mobiDocument->files();
#endif
    } else {
        return false;
    }
    if (state == StateProtected) {
        showMessage(tr("Book file is protected. Book can not be opened."));
        return false;
    }
    // A book without a single page file would leave the reader waiting for
    // a page that never comes.
    if (state == StateDamaged || files->size() < 2) {
        showMessage(tr("Ebook file is damaged. Book can not be opened."));
        return false;
    }
    return true;
}

void TextViewer::applyDocumentStyle(TextDocument *document)
{
    const ViewerSettings settings = Settings::instance()->values();
    const TextProfile profile = settings.profile();

    QString style;
    QFile file(QStringLiteral(":/ebook/ebookstyle/epub.css"));
    if (file.open(QIODevice::ReadOnly))
        style = QString::fromUtf8(file.readAll());
    const QString lineHeight = settings.lineSpacing == 1 ? QStringLiteral("150%")
            : settings.lineSpacing == 2                  ? QStringLiteral("200%")
                                                         : QStringLiteral("100%");
    const QString textSize = QStringLiteral("%1pt").arg(profile.text.size);
    style.replace(QLatin1String("${paragraph_font_family}"), profile.text.family);
    style.replace(QLatin1String("${body_font_family}"), profile.text.family);
    style.replace(QLatin1String("${paragraph_font_size}"), textSize);
    style.replace(QLatin1String("${body_font_size}"), textSize);
    style.replace(QLatin1String("${caption_font_family}"), profile.caption.family);
    style.replace(QLatin1String("${caption_font_size}"),
                  QStringLiteral("%1pt").arg(profile.caption.size));
    style.replace(QLatin1String("${paragraph_color}"), profile.text.color.name());
    style.replace(QLatin1String("${body_color}"), profile.text.color.name());
    style.replace(QLatin1String("${caption_color}"), profile.caption.color.name());
    style.replace(QLatin1String("${line_height}"), lineHeight);

    QFont font(profile.text.family, profile.text.size);
    font.setStyleStrategy(QFont::PreferAntialias);
    document->setDefaultFont(font);
    QTextOption option = document->defaultTextOption();
    option.setAlignment(Qt::AlignJustify);
    document->setDefaultTextOption(option);
    document->setDefaultStyleSheet(style);

    document->setBackgroundColor(profile.backgroundColor);
    document->setMargings(QMargins(settings.spacingLeft, settings.spacingUp, settings.spacingRight,
                                   settings.spacingDown));
    document->setFont(font);
    document->setFontColor(profile.pagenumColor);
    document->setColumnCount(settings.columnCount);
    document->setHighlightColor(profile.selectionColor);
}

void TextViewer::applyProfile()
{
    const ViewerSettings settings = Settings::instance()->values();
    const TextProfile profile = settings.profile();
    m_textColor = profile.text.color;
    m_backgroundColor = profile.backgroundColor;
    m_textAlignment = settings.textAlignment;
    m_useNaviSlider = settings.useNaviSlider;

    runScript(QStringLiteral("document.body.style.backgroundColor=%1;")
                      .arg(quoted(m_backgroundColor.name()))
              + QStringLiteral("document.body.style.color=%1;").arg(quoted(m_textColor.name()))
              + alignmentScript(m_textAlignment));

    QWebSettings *web = QWebSettings::globalSettings();
    // A size chosen anew in the profile replaces the book's own; a step of
    // the reader's (Ctrl++, Ctrl+-) is kept while the profile's stays.
    if (profile.text.size != m_profileFontSize && profile.text.size >= BookSideFiles::MinFontSize
        && profile.text.size <= BookSideFiles::MaxFontSize) {
        m_profileFontSize = profile.text.size;
        web->setFontSize(QWebSettings::DefaultFontSize, profile.text.size);
    }
    if (!profile.text.family.isEmpty())
        web->setFontFamily(QWebSettings::StandardFont, installedFamily(profile.text.family));
    m_request.fontFamily = web->fontFamily(QWebSettings::StandardFont);
    m_request.fontSize = web->fontSize(QWebSettings::DefaultFontSize);
    runScript(readingStyleScript(m_backgroundColor, m_textColor));
}

QVariant TextViewer::runScript(const QString &call)
{
    return m_page->evaluate(m_scriptText + call);
}

int TextViewer::viewWidth() const
{
    return width();
}

void TextViewer::setPageDim(KeepPage keep)
{
    const int w = width();
    const int h = height();
    const QString arguments = QStringLiteral("%5,%3, %1, %2, %4")
                                      .arg(w)
                                      .arg(h)
                                      .arg(m_gap)
                                      .arg(m_topBottomMargin)
                                      .arg(m_columnCount);
    m_request.pageSize = QSize(w, h);
    bool ok = false;
    if (keep == KeepPage::None) {
        const int count = runScript(QStringLiteral("paginate(%1);").arg(arguments)).toInt(&ok);
        if (ok)
            m_pageCount = count;
        m_currentPage = 1;
        return;
    }
    const QVariantMap answer
            = runScript(QStringLiteral("setPageDim(%1, %2);").arg(arguments).arg(m_currentPage))
                      .toMap();
    const int count = answer.value(QStringLiteral("pageCount")).toInt(&ok);
    if (ok)
        m_pageCount = count;
    const int current = answer.value(QStringLiteral("currentPage")).toInt(&ok);
    if (ok)
        m_currentPage = current == 0 ? 1 : current;
}

void TextViewer::readTableOfContents()
{
    BookSideFiles::readTableOfContents(TocFile::path(m_sourcePath), m_contentFolder,
                                       &m_state.tocEntries, &m_state.tocList);
}

void TextViewer::readBookmarks()
{
    m_state.bookmarks = m_sideFiles.readBookmarks();
}

void TextViewer::readNotes()
{
    m_state.notes = m_sideFiles.readNotes();
    emit notesCountChanged(m_state.notes.size());
}

void TextViewer::readFontAndPosition()
{
    const TextProfile profile = Settings::instance()->values().profile();
    QWebSettings *web = QWebSettings::globalSettings();
    if (!profile.text.family.isEmpty())
        web->setFontFamily(QWebSettings::StandardFont, installedFamily(profile.text.family));
    int size = profile.text.size;
    m_profileFontSize = profile.text.size;

    const BookSideFiles::FontAndPosition stored = m_sideFiles.readFontAndPosition(m_contentFolder);
    if (stored.hasFont) {
        if (stored.fontSize > 0)
            size = stored.fontSize;
        if (stored.lineSpacing > 0)
            m_lineSpacing = stored.lineSpacing;
    }
    web->setFontSize(QWebSettings::DefaultFontSize, size);
    m_request.fontFamily = web->fontFamily(QWebSettings::StandardFont);
    m_request.fontSize = size;

    if (stored.hasPosition && !stored.source.isNull()) {
        const QString path = QUrl(stored.source, QUrl::TolerantMode).path(QUrl::FullyDecoded);
        for (const QString &file : qAsConst(m_chapterFiles)) {
            if (file.compare(path, Qt::CaseInsensitive) == 0) {
                m_lastPosition = stored.source;
                navigateToUrl(stored.source, true);
                return;
            }
        }
    }
    // No stored position, or one in a file the book no longer has: the
    // book opens at its start.
    navigateToUrl(m_chapterFiles.value(m_chapterIndex) + QStringLiteral("#content"), true);
}

void TextViewer::loadFile(int index)
{
    ++m_pendingLoads;
    const QString path = QDir::toNativeSeparators(m_contentFolder + QLatin1Char('/')
                                                  + m_chapterFiles.at(index));
    m_page->setLayoutHeld(true);
    BookFile::load(m_page->mainFrame(), path);
}

void TextViewer::onLoadFinished(bool ok)
{
    qDebug() << "TextViewer::onLoadFinished";
    m_pendingLoads = qMax(0, m_pendingLoads - 1);
    if (!ok) {
        log(QStringLiteral("TextViewer::onLoadFinished: %1 did not load")
                    .arg(m_page->mainFrame()->requestedUrl().toString()),
            Logger::Warning);
        // A load replaced by a newer one ends like this too; only a book
        // whose first page cannot be shown at all is given up.
        if (m_pendingLoads == 0 && !m_layoutReady && m_bookOpen)
            emit unrecoverableError();
        return;
    }
    QWebFrame *frame = m_page->mainFrame();
    const QVariant position = frame->property("position");

    runScript(QStringLiteral("init(%1);").arg(quoted(m_uid)));
    m_page->setLayoutHeld(false);
    runScript(readingStyleScript(m_backgroundColor, m_textColor)
              + QStringLiteral("document.body.style.backgroundColor=%1;")
                      .arg(quoted(m_backgroundColor.name()))
              + QStringLiteral("document.body.style.color=%1;").arg(quoted(m_textColor.name()))
              + alignmentScript(m_textAlignment)
              + QStringLiteral("applyLineSpacing(\"%1\");").arg(m_lineSpacing));
    setPageDim(KeepPage::None);
    markNotes();

    const int w = viewWidth();
    if (position.type() == QVariant::Int) {
        const int page = position.toInt();
        runScript(QStringLiteral("setPage(%1, %2, %3);").arg(page).arg(w).arg(m_gap));
        m_currentPage = page;
    } else {
        const QUrl url(position.toString(), QUrl::TolerantMode);
        bool isNumber = false;
        int page = 0;
        if (url.query().startsWith(QLatin1String("vorpath="), Qt::CaseInsensitive)) {
            const QString path
                    = QUrlQuery(url).queryItemValue(QStringLiteral("vorpath"), QUrl::FullyDecoded);
            page = runScript(QStringLiteral("setReadingPosByXPath(%1,%2, %3);")
                                     .arg(quoted(path))
                                     .arg(w)
                                     .arg(m_gap))
                           .toInt(&isNumber);
        } else if (url.hasFragment()) {
            QString id = url.fragment(QUrl::FullyDecoded);
            if (url.query().compare(QLatin1String("vorid=true"), Qt::CaseInsensitive) == 0)
                id += QLatin1Char('_') + m_uid;
            page = runScript(QStringLiteral("setReadingPos(%1,%2, %3);")
                                     .arg(quoted(id))
                                     .arg(w)
                                     .arg(m_gap))
                           .toInt(&isNumber);
        }
        if (isNumber && page > 0)
            m_currentPage = page;
    }

    updatePageRange();
    emit pageChanged();
    m_layoutReady = true;
    if (m_pendingLoads == 0) {
        const QString current = readingPositionUrl(true);
        if (!current.isEmpty())
            m_lastPosition = current;
    }
    emit pageNavigation();
    emit loadFinished();
    openPendingNote(position);

    if (totalPages() <= 0 && !paginationSentForView())
        restartPaginator();
}

bool TextViewer::paginationSentForView() const
{
    const QWebSettings *web = QWebSettings::globalSettings();
    return m_outstanding == Outstanding::Pagination && m_lastSent.pageSize == m_request.pageSize
            && m_lastSent.columnCount == m_columnCount && m_lastSent.lineSpacing == m_lineSpacing
            && m_lastSent.textAlignment == m_textAlignment
            && m_lastSent.fontSize == web->fontSize(QWebSettings::DefaultFontSize)
            && m_lastSent.fontFamily == web->fontFamily(QWebSettings::StandardFont);
}

void TextViewer::markNotes()
{
    const QString file = m_chapterFiles.value(m_chapterIndex);
    for (const Note &note : qAsConst(m_state.notes)) {
        if (note.chapter.compare(file, Qt::CaseInsensitive) != 0)
            continue;
        runScript(QStringLiteral("selectTextNodesBetween(%1, %2, %3, %4, %5, %6);")
                          .arg(quoted(note.startPath))
                          .arg(note.startOffset)
                          .arg(quoted(note.endPath))
                          .arg(note.endOffset)
                          .arg(quoted(note.color.name()), quoted(note.id)));
    }
}

void TextViewer::updatePageRange()
{
    m_pageNavigationPanel->setPageCount(1, bookPageCount());
}

int TextViewer::totalPages() const
{
    return ReadingState::totalPages(m_request);
}

int TextViewer::bookPageCount() const
{
    return totalPages() * m_columnCount;
}

int TextViewer::absolutePage() const
{
    if (m_chapterIndex < 0 || m_chapterIndex >= m_chapterFiles.size())
        return -1;
    // The helper's count of the file bounds the page within it: a view that
    // lays the file out a page longer never shows a number past the file's
    // last one, nor one that the next file's first page would undercut.
    int inFile = m_currentPage;
    const int counted = m_request.pageCounts.value(m_chapterFiles.at(m_chapterIndex), 0);
    if (counted > 0)
        inFile = qBound(1, inFile, counted);
    const int page = inFile + ReadingState::pagesBefore(m_request, m_chapterIndex);
    return m_columnCount == 1 ? page : page * m_columnCount - 1;
}

int TextViewer::progress() const
{
    const int page = absolutePage() + (m_columnCount != 1 ? 1 : 0);
    const int total = bookPageCount();
    return total <= 0 ? 0 : qBound(0, page * 100 / total, 100);
}

int TextViewer::neighbourFile(int step) const
{
    // Files that the helper found empty (or could not load) are passed
    // over: a file without pages must never stop the reader.
    const bool counted = totalPages() > 0;
    for (int i = m_chapterIndex + step; i >= 0 && i < m_chapterFiles.size(); i += step) {
        if (!counted || m_request.pageCounts.value(m_chapterFiles.at(i), 0) > 0)
            return i;
    }
    return -1;
}

QString TextViewer::readingPositionUrl(bool byXPath)
{
    if (m_chapterIndex < 0 || m_chapterIndex >= m_chapterFiles.size())
        return QString();
    const QString file = m_chapterFiles.at(m_chapterIndex);
    if (byXPath) {
        const QVariant path = runScript(QStringLiteral("getReadingPosXPath();"));
        if (!path.isNull() && path.isValid() && !path.toString().isEmpty())
            return QStringLiteral("%1?vorpath=%2").arg(file, percentEncoded(path.toString()));
    }
    QString id = runScript(QStringLiteral("getReadingPos();")).toString();
    const QString suffix = QLatin1Char('_') + m_uid;
    if (id.endsWith(suffix)) {
        id.chop(suffix.size());
        return QStringLiteral("%1?vorid=true#%2").arg(file, id);
    }
    return QStringLiteral("%1#%2").arg(file, id);
}

void TextViewer::navigateToUrl(const QString &url, bool forceLoad)
{
    const QUrl parsed(url, QUrl::TolerantMode);
    const QString path = parsed.path(QUrl::FullyDecoded);
    int index = -1;
    for (int i = 0; i < m_chapterFiles.size(); ++i) {
        if (m_chapterFiles.at(i).compare(path, Qt::CaseInsensitive) == 0) {
            index = i;
            break;
        }
    }
    if (index < 0)
        return;

    if (forceLoad || index != m_chapterIndex) {
        m_chapterIndex = index;
        m_page->mainFrame()->setProperty("position", url);
        loadFile(index);
    } else {
        const int w = viewWidth();
        QVariant answer;
        if (parsed.query().startsWith(QLatin1String("vorpath="), Qt::CaseInsensitive)) {
            const QString elementPath = QUrlQuery(parsed).queryItemValue(QStringLiteral("vorpath"),
                                                                         QUrl::FullyDecoded);
            answer = runScript(QStringLiteral("setReadingPosByXPath(%1,%2, %3);")
                                       .arg(quoted(elementPath))
                                       .arg(w)
                                       .arg(m_gap));
        } else {
            QString id = parsed.fragment(QUrl::FullyDecoded);
            if (parsed.query() == QLatin1String("vorid=true"))
                id += QLatin1Char('_') + m_uid;
            answer = runScript(
                    QStringLiteral("setReadingPos(%1,%2, %3);").arg(quoted(id)).arg(w).arg(m_gap));
        }
        bool ok = false;
        const int page = answer.toInt(&ok);
        if (ok && page != 0)
            m_currentPage = page;
    }
    emit pageNavigation();
    emit pageChanged();
}

void TextViewer::navigateToPath(const QString &path)
{
    navigateToUrl(path, true);
}

void TextViewer::goToBookPage(int page, bool savePosition)
{
    if (savePosition)
        m_state.savedPosition = readingPositionUrl(false);
    const int helper = ReadingState::helperPage(page, m_columnCount);
    int index = 0;
    int pageInFile = 0;
    if (!ReadingState::locate(m_request, helper, &index, &pageInFile))
        return;
    m_chapterIndex = index;
    m_page->mainFrame()->setProperty("position", pageInFile);
    loadFile(index);
}

void TextViewer::reload()
{
    qDebug() << "TextViewer::reload";
    // Settings and column changes may come before any page file is there.
    if (m_opening || !m_layoutReady || m_chapterIndex < 0
        || m_chapterIndex >= m_chapterFiles.size()) {
        return;
    }
    fadeOut(true);
    emit reloadBegin();
    const QString id = runScript(QStringLiteral("getReadingPos();")).toString();
    applyProfile();
    setPageDim();
    navigateToUrl(m_chapterFiles.at(m_chapterIndex) + QLatin1Char('#') + id, false);
    for (auto it = m_request.pageCounts.begin(); it != m_request.pageCounts.end(); ++it)
        it.value() = 0;
    restartPaginator();
    updatePageRange();
    emit pageChanged();
    emit reloadFinished();
    fadeIn(true);
}

void TextViewer::increaseFont()
{
    stepFontSize(this, 1);
}

void TextViewer::decreaseFont()
{
    stepFontSize(this, -1);
}

void TextViewer::increaseLineSpacing()
{
    stepLineSpacing(this, &m_lineSpacing, LineSpacingStep);
}

void TextViewer::decreaseLineSpacing()
{
    stepLineSpacing(this, &m_lineSpacing, -LineSpacingStep);
}

void TextViewer::onColumnCountChange(int count)
{
    qDebug() << "TextViewer::onColumnCountChange";
    m_columnCount = count;
    m_state.columnCount = count;
    reload();
}

void TextViewer::restartPaginator(const QString &reason)
{
    qDebug() << "TextViewer::restartPaginator";
    Q_UNUSED(reason)
    m_paginating = true;
    if (m_request.pageSize.width() < 100 || m_request.pageSize.height() < 100)
        return;
    QWebSettings *web = QWebSettings::globalSettings();
    m_request.fontFamily = web->fontFamily(QWebSettings::StandardFont);
    m_request.fontSize = web->fontSize(QWebSettings::DefaultFontSize);
    m_request.textAlignment = m_textAlignment;
    m_request.lineSpacing = m_lineSpacing;
    // The helper lays the book out in the view's own columns, so that its
    // pages are the view's pages.
    m_request.columnCount = m_columnCount;
    m_request.print = false;
    m_state.columnCount = m_columnCount;
    m_state.addPositions(&m_request);
    updatePageRange();
    emit pageChanged();
    send(m_request, Outstanding::Pagination);
}

void TextViewer::onPrinting(QPrinter *printer)
{
    qDebug() << "TextViewer::onPrinting";
    Q_UNUSED(printer)
    if (m_request.pageSize.width() < 100 || m_request.pageSize.height() < 100)
        return;
    // A copy carries the flag: a print request that a newer pagination
    // overtakes must not turn that one into a print request as well.
    PaginationRequest request = m_request;
    request.print = true;
    send(request, Outstanding::Print);
}

void TextViewer::send(const PaginationRequest &request, Outstanding kind)
{
    m_outstanding = kind;
    m_lastSent = request;
    m_resent = false;
    // A search of a common word can answer with many times what a layout
    // does: the block is made for it now rather than after a first layout.
    const qint64 growth = request.print ? 0 : SearchReplyEstimate::hitBytes(request);
    if (!m_paginator->send(request, growth)) {
        m_outstanding = Outstanding::None;
        log(QStringLiteral("TextViewer::restartPaginator: %1 [FAILED]")
                    .arg(m_paginator->lastError()),
            Logger::Error);
    }
}

void TextViewer::onPaginationReply(const PaginationRequest &reply)
{
    qDebug() << "TextViewer::onProcessTimer";
    const Outstanding kind = m_outstanding;
    m_outstanding = Outstanding::None;
    m_request = reply;
    if (kind == Outstanding::Print)
        return;

    m_state.columnCount = m_columnCount;
    m_state.applyPages(m_request);
    if (!m_request.searchText.isEmpty()) {
        if (m_paginator->droppedSearchHits() > 0) {
            log(QStringLiteral("TextViewer::onSearch: the search for \"%1\" in %2 shows %3 "
                               "hits; %4 more are left out: all of them need %5 bytes, more "
                               "than the largest pagination block of %6 bytes [FAILED]")
                        .arg(m_request.searchText, m_bookPath)
                        .arg(m_request.searchHits.size())
                        .arg(m_paginator->droppedSearchHits())
                        .arg(m_paginator->neededReplyBytes())
                        .arg(m_paginator->blockSizeLimit()),
                Logger::Error);
        }
        // The results stay; the next layout (a resize, a font step) is a
        // plain one again, which also finds the notes' pages.
        m_request.searchText.clear();
        // The hits live on in the results: a later request (a layout, a
        // print) would carry thousands of them back to the helper.
        for (auto it = m_request.searchHits.constBegin(); it != m_request.searchHits.constEnd();
             ++it)
            m_request.positions.remove(it.key());
        m_request.searchHits.clear();
        emit finishedSearch();
    }
    updatePageRange();
    emit pageChanged();
    m_paginating = false;
    emit paginationFinished();
}

void TextViewer::onPaginationFailed(const QString &message)
{
    log(QStringLiteral("TextViewer::onProcessTimer: %1").arg(message), Logger::Warning);
    if (m_outstanding == Outstanding::None)
        return;
    // Once per request: a helper that dies on this book every time would
    // otherwise be started for ever.
    if (!m_resent) {
        m_resent = true;
        if (m_paginator->send(m_lastSent))
            return;
    }
    m_outstanding = Outstanding::None;
    log(QStringLiteral("TextViewer::onProcessTimer: the book %1 is left without page numbers: "
                       "%2 [FAILED]")
                .arg(m_bookPath, m_paginator->lastError()),
        Logger::Error);
}

void TextViewer::onSearch(const QString &text)
{
    qDebug() << "TextViewer::onSearch";
    m_state.searchResults.clear();
    m_request.searchText = text;
    restartPaginator();
}

void TextViewer::resizeEvent(QResizeEvent *event)
{
    if (m_pageNavigationPanel->isVisible()) {
        if (m_pageNavigationPanel->hasTooltip())
            m_pageNavigationPanel->tooltip()->hide();
        m_pageNavigationPanel->hide();
        m_pageNavigationPanel->lower();
        emit requestBottomPanel(false);
    }
    QWebView::resizeEvent(event);
    if (m_layoutReady) {
        setPageDim();
        for (auto it = m_request.pageCounts.begin(); it != m_request.pageCounts.end(); ++it)
            it.value() = 0;
        restartPaginator();
        emit pageNavigation();
        updatePageRange();
        emit pageChanged();
    }
}

void TextViewer::onPageSliderPressed()
{
    m_state.savedPage = absolutePage();
    m_pageNavigationPanel->setBackToPageVisible(m_state.savedPage);
    m_state.savedPosition = readingPositionUrl(false);
}

void TextViewer::onPageSliderMoved()
{
    const int value = m_pageNavigationPanel->slider()->value();
    if (value != absolutePage())
        goToBookPage(value, false);
}

void TextViewer::onPageSliderReleased()
{
    onPageSliderMoved();
}

void TextViewer::pageNavePreview(int value, int globalPos)
{
    Q_UNUSED(globalPos)
    if (bookPageCount() <= 0)
        return;
    m_pageNavigationPanel->tooltip()->setPages(m_state.chapterTitle(value), value, m_columnCount);
}

void TextViewer::onBackToPage()
{
    const int current = absolutePage();
    if (m_state.savedPage == current || m_state.savedPage <= 0)
        return;
    const int target = m_state.savedPage;
    m_state.savedPosition = readingPositionUrl(false);
    goToBookPage(target, false);
    m_state.savedPage = current;
    m_pageNavigationPanel->setBackToPageVisible(current);
    m_pageNavigationPanel->slider()->setValue(target);
}

bool TextViewer::removeNote(const QString &id)
{
    const QString file = m_chapterFiles.value(m_chapterIndex);
    for (int i = 0; i < m_state.notes.size(); ++i) {
        const Note &note = m_state.notes.at(i);
        if (note.id != id)
            continue;
        const bool elsewhere = note.chapter.compare(file, Qt::CaseInsensitive) != 0;
        if (!elsewhere
            && !runScript(QStringLiteral("removeNoteById(%1);").arg(quoted(id))).toBool()) {
            continue;
        }
        m_state.notes.removeAt(i);
        if (m_noteTooltip && m_noteTooltip->noteId() == id) {
            m_noteTooltip->hide();
            m_noteTooltip->setNote(nullptr);
        }
        emit notesCountChanged(m_state.notes.size());
        scheduleSideFilesWrite();
        refreshNoteMarkers();
        return true;
    }
    return false;
}

bool TextViewer::makeBookmark()
{
    const QVariant answer
            = runScript(QStringLiteral("getBookmarkData(%1,%2);").arg(m_gap).arg(viewWidth()));
    if (answer.isNull() || !answer.isValid())
        return false;
    const QVariantMap data = answer.toMap();
    const QString file = m_chapterFiles.value(m_chapterIndex);
    const QString source
            = QStringLiteral("%1?vorpath=%2")
                      .arg(file, percentEncoded(data.value(QStringLiteral("path")).toString()));
    for (const ViewerBookmark &bookmark : qAsConst(m_state.bookmarks)) {
        if (bookmark.source == source)
            return false;
    }
    ViewerBookmark bookmark;
    bookmark.index = m_state.bookmarks.size();
    bookmark.page = absolutePage();
    bookmark.title = bookmark.page > 0 ? m_state.chapterTitle(bookmark.page) : QString();
    bookmark.id = 100000 + bookmark.index;
    const int total = bookPageCount();
    bookmark.progress = bookmark.page > 0 && total > 0 ? bookmark.page * 100 / total : -1;
    bookmark.text = data.value(QStringLiteral("text")).toString();
    bookmark.source = source;
    m_state.bookmarks.append(bookmark);
    scheduleSideFilesWrite();
    return true;
}

void TextViewer::removeBookmark(int position)
{
    if (position < 0 || position >= m_state.bookmarks.size())
        return;
    m_state.bookmarks.removeAt(position);
    // The list's place is the bookmark's number: the ones after it move up,
    // so that a new bookmark never takes a number still in use.
    for (int i = position; i < m_state.bookmarks.size(); ++i) {
        m_state.bookmarks[i].index = i;
        m_state.bookmarks[i].id = 100000 + i;
    }
    scheduleSideFilesWrite();
}

QString TextViewer::positionForSaving()
{
    if (m_layoutReady && m_pendingLoads == 0) {
        const QString current = readingPositionUrl(true);
        if (!current.isEmpty())
            m_lastPosition = current;
    }
    return m_lastPosition;
}

bool TextViewer::writeSideFiles()
{
    if (!m_bookOpen)
        return false;
    BookSideFiles::State state;
    state.position = positionForSaving();
    state.fontSize = QWebSettings::globalSettings()->fontSize(QWebSettings::DefaultFontSize);
    state.lineSpacing = m_lineSpacing;
    state.encoding = m_textEncoding;
    state.bookmarks = m_state.bookmarks;
    state.notes = m_state.notes;
    QString error;
    if (!m_sideFiles.write(state, &error)) {
        log(QStringLiteral("TextViewer::writeSideFiles: %1: %2 [FAILED]")
                    .arg(m_sideFiles.settingsPath(), error),
            Logger::Error);
        return false;
    }
    return true;
}

void TextViewer::scheduleSideFilesWrite()
{
    if (m_bookOpen)
        m_saveTimer.start();
}

void TextViewer::fadeOut(bool force)
{
    if (!force && !m_fadeEnabled)
        return;
    if (m_fadeAnimation)
        m_fadeAnimation->stop();
    auto *effect = new QGraphicsOpacityEffect(m_fadeOverlay);
    effect->setOpacity(0.0);
    m_fadeOverlay->setGraphicsEffect(effect);
    m_fadeOverlay->setGeometry(0, 0, width(), height());
    m_fadeOverlay->show();
    m_fadeOverlay->raise();
    auto *animation = new QPropertyAnimation(effect, "opacity", m_fadeOverlay);
    animation->setDuration(300);
    animation->setStartValue(0.0);
    animation->setEndValue(0.6);
    m_fadeAnimation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}

void TextViewer::fadeIn(bool force)
{
    if (!force && !m_fadeEnabled)
        return;
    if (!m_fadeOverlay->isVisible())
        return;
    if (m_fadeAnimation)
        m_fadeAnimation->stop();
    auto *effect = qobject_cast<QGraphicsOpacityEffect *>(m_fadeOverlay->graphicsEffect());
    if (!effect) {
        m_fadeOverlay->hide();
        return;
    }
    auto *animation = new QPropertyAnimation(effect, "opacity", m_fadeOverlay);
    animation->setDuration(300);
    animation->setStartValue(0.6);
    animation->setEndValue(0.0);
    connect(animation, &QPropertyAnimation::finished, m_fadeOverlay, &QWidget::hide);
    m_fadeAnimation = animation;
    animation->start(QAbstractAnimation::DeleteWhenStopped);
}
