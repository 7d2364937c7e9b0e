#include "reader/usercontext.h"

#include "core/logger.h"
#include "core/settings.h"
#include "core/settingsfile.h"
#include "document/idocument.h"
#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"
#include "reader/textviewer.h"

#include <QSettings>

#include <cmath>

namespace {

// Navigation numbers: below the first base a contents entry, from it a
// bookmark, from the second a search result.
constexpr int BookmarkBase = 100000;
constexpr int SearchResultBase = 200000;

const char *const TypeCategoryKey = "last__type_category";
const char *const CustomCategoryKey = "last__custom_category";
const char *const GeneralCategoryKey = "last__general_category";

// A document's progress in whole percent. An empty document may answer
// 0 / 0, which must not reach the library as a number.
int wholePercent(float progress)
{
    if (!std::isfinite(progress))
        return 0;
    return qBound(0, int(std::lround(progress)), 100);
}

void logDebug(const QString &text)
{
    Logger::instance()->write(text, Logger::Debug);
}

} // namespace

UserContext::UserContext(QObject *parent)
    : ReadingContext(parent)
{
}

UserContext::~UserContext() = default;

void UserContext::setBookModel(BookModel *model)
{
    m_bookModel = model;
}

void UserContext::setMessagePresenter(MessagePresenter presenter)
{
    m_presenter = std::move(presenter);
}

void UserContext::showMessage(const QString &title, const QString &text)
{
    presentMessage(m_presenter, title, text);
}

void UserContext::setBook(const BookDto &book)
{
    m_book = book;
}

void UserContext::setDocument(IDocument *document)
{
    m_document = document;
    m_documentObject = dynamic_cast<QObject *>(document);
    if (document && !m_documentObject) {
        // Without an object to follow, the controller could not tell when
        // the document is gone; it does not take such a document.
        logDebug(QStringLiteral("UserContext::setDocument: not a document object"));
        m_document = nullptr;
    }
}

IDocument *UserContext::document() const
{
    return m_documentObject ? m_document : nullptr;
}

TextViewer *UserContext::textViewer() const
{
    IDocument *current = document();
    return current ? current->viewer() : nullptr;
}

void UserContext::setSearchingText(const QString &text)
{
    m_searchingText = text;
    emit searhingTextChanged(text);
}

// ---- navigation ----

void UserContext::navigateToPosition(int newPosition)
{
    IDocument *current = document();
    if (!current)
        return;
    TextViewer *viewer = current->viewer();
    if (!viewer) {
        current->setPageByPosition(newPosition);
        return;
    }
    if (newPosition >= SearchResultBase) {
        const QList<SearchResult> results = viewer->searchResults();
        const int place = newPosition - SearchResultBase;
        if (place >= results.size())
            return;
        const SearchResult &result = results.at(place);
        if (result.extra.isEmpty())
            viewer->goToBookPage(result.page, false);
        else
            viewer->navigateToUrl(result.extra, false);
    } else if (newPosition >= BookmarkBase) {
        const QList<ViewerBookmark> marks = viewer->bookmarks();
        const int place = newPosition - BookmarkBase;
        if (place < marks.size())
            viewer->navigateToUrl(marks.at(place).source, false);
    } else if (newPosition >= 0) {
        const QList<TocItem> &entries = viewer->readingState().tocList;
        if (newPosition < entries.size())
            viewer->navigateToUrl(entries.at(newPosition).source, false);
    }
}

void UserContext::navigateToPositionPath(const QString &newPosition)
{
    if (TextViewer *viewer = textViewer())
        viewer->navigateToPath(newPosition);
}

void UserContext::navigateToPage(int newPage)
{
    if (IDocument *current = document())
        current->setPage(newPage);
}

void UserContext::clearSearch()
{
    if (IDocument *current = document())
        current->clearSearch();
}

void UserContext::restorePosition()
{
    IDocument *current = document();
    // A reflowable book restores its place from its side files.
    if (current && !current->viewer())
        current->setPageByPosition(m_book.position);
}

// ---- bookmarks and notes ----

void UserContext::addBookmark()
{
    IDocument *current = document();
    if (!current)
        return;
    const QString title = tr("Bookmarks");
    if (TextViewer *viewer = current->viewer()) {
        if (viewer->makeBookmark())
            showMessage(title, tr("New bookmark is successfully added!"));
        else
            showMessage(title, tr("No bookmark was added: this place already has one."));
        return;
    }
    const int position = current->currentPosition();
    const int progress = int(current->progress());
    const QString text = current->titleByPosition(position);
    BookProvider *provider = BookProvider::instance();
    if (provider->createBookmark(m_book.id, position, progress, text))
        showMessage(title, tr("New bookmark is successfully added!"));
    else
        showMessage(tr("Error"), provider->lastError());
}

QList<ViewerBookmark> UserContext::bookmarks()
{
    IDocument *current = document();
    if (!current)
        return {};
    if (TextViewer *viewer = current->viewer())
        return viewer->bookmarks();
    QList<ViewerBookmark> marks;
    const QList<BookmarkDto> stored = BookProvider::instance()->bookmarksOfBook(m_book.id);
    for (const BookmarkDto &entry : stored) {
        ViewerBookmark mark;
        mark.index = entry.id;
        mark.id = int(entry.position);
        mark.title = current->titleByPosition(mark.id);
        mark.page = current->pageByPosition(mark.id);
        mark.progress = current->calcProgressByPage(mark.page);
        marks.append(mark);
    }
    return marks;
}

void UserContext::removeBookmark(int index)
{
    if (TextViewer *viewer = textViewer()) {
        viewer->removeBookmark(index);
        return;
    }
    BookProvider::instance()->removeBookmark(index);
}

QList<Note> UserContext::notes() const
{
    TextViewer *viewer = textViewer();
    return viewer ? viewer->notes() : QList<Note>();
}

void UserContext::editNote(const QString &id)
{
    if (TextViewer *viewer = textViewer())
        viewer->openNoteForEditing(id);
}

void UserContext::removeNote(const QString &id)
{
    if (TextViewer *viewer = textViewer())
        viewer->removeNote(id);
}

QList<TocItem> UserContext::tableOfContents()
{
    IDocument *current = document();
    if (!current)
        return {};
    if (TextViewer *viewer = current->viewer())
        return viewer->tableOfContents();
    return current->tableOfContents();
}

void UserContext::setNotesCount(int count)
{
    if (count < 0)
        return;
    if (!BookProvider::instance()->setNotesCount(m_book.id, count))
        return;
    m_book.notesCount = count;
    if (m_bookModel) {
        // The row is read back rather than written whole: the record held
        // here may be older than the library's (trash, favourite).
        m_bookModel->refreshCache(m_book.id);
        emit m_bookModel->noted();
    }
    emit notesCountChanged(count);
}

// ---- reading settings ----

void UserContext::changeFontSize(int step)
{
    Settings *settings = Settings::instance();
    ViewerSettings values = settings->values();
    TextProfile profile = values.profile();
    const int size = qBound(MinFontSize, profile.text.size + step, MaxFontSize);
    if (size == profile.text.size)
        return;
    profile.text.size = size;
    values.profiles[values.currentProfile] = profile;
    settings->setValues(values, false);
}

void UserContext::increaseFont()
{
    changeFontSize(1);
}

void UserContext::decreaseFont()
{
    changeFontSize(-1);
}

void UserContext::nextProfile()
{
    Settings *settings = Settings::instance();
    ViewerSettings values = settings->values();
    const int next = values.currentProfile + 1;
    values.currentProfile = next > ViewerSettings::SepiaProfile || next < 0 ? 0 : next;
    settings->setValues(values, false);
}

void UserContext::switchColumnCount()
{
    IDocument *current = document();
    if (!current)
        return;
    const int count = current->columnCount() == 1 ? 2 : 1;
    current->setColumnCount(count);
    Settings *settings = Settings::instance();
    ViewerSettings values = settings->values();
    values.columnCount = count;
    settings->setValues(values, true);
}

// ---- position and progress ----

void UserContext::savePosition()
{
    logDebug(QStringLiteral("UserContext::savePosition"));
    IDocument *current = document();
    if (!current || !current->isLoaded() || m_book.id == -1)
        return;

    int position = 0;
    int progress = 0;
    if (TextViewer *viewer = current->viewer()) {
        // Until the book's pages are counted the viewer knows no progress;
        // the one stored from the last reading stays.
        if (viewer->bookPageCount() <= 0)
            return;
        progress = viewer->progress();
    } else {
        position = current->currentPosition();
        progress = wholePercent(current->progress());
    }

    // Only the columns reading changes are written: a whole record would
    // carry back flags that changed in the library meanwhile.
    BookProvider *provider = BookProvider::instance();
    bool stored = provider->setReadingPosition(m_book.id, position, progress);
    if (stored && m_book.timeLastView != 0)
        stored = provider->setTimeLastView(m_book.id, m_book.timeLastView);
    if (!stored) {
        Logger::instance()->write(
                QStringLiteral("UserContext::savePosition: %1 [FAILED]").arg(provider->lastError()),
                Logger::Error);
        return;
    }
    if (m_bookModel)
        m_bookModel->refreshCache(m_book.id);
}

bool UserContext::pagesOfBook(int *page, int *count) const
{
    IDocument *current = document();
    if (!current)
        return false;
    if (TextViewer *viewer = current->viewer()) {
        *page = viewer->absolutePage();
        *count = viewer->bookPageCount();
    } else {
        *page = current->currentPage();
        *count = current->pageCount();
    }
    return true;
}

QString UserContext::pageText(int page, int count, int columns)
{
    if (columns == 1)
        return QString::number(page);
    if (columns == 2) {
        if (page == count)
            return QString::number(page);
        return QStringLiteral("%1-%2").arg(page).arg(page + 1);
    }
    return QString();
}

void UserContext::updateBookInfo()
{
    IDocument *current = document();
    int page = 0;
    int count = 0;
    if (!pagesOfBook(&page, &count))
        return;

    // The labels show rich text; a title is the book's, not markup.
    const QString title = m_book.title.toHtmlEscaped();
    QString titleText;
    QString progressText;
    if (count >= 1 && page >= 1) {
        TextViewer *viewer = current->viewer();
        const int percent = viewer ? viewer->progress() : wholePercent(current->progress());
        titleText = QStringLiteral("<b>%1</b> (%2%)").arg(title).arg(percent);
        progressText = QStringLiteral("<b>%1</b> / %2")
                               .arg(pageText(page, count, current->columnCount()))
                               .arg(count);
    } else {
        titleText = QStringLiteral("<b>%1</b> (...)").arg(title);
        progressText = QStringLiteral("...");
    }
    emit bookInfoChanged(titleText, progressText, false);
}

// ---- the library window's last categories ----

int UserContext::readCategory(const QString &key, int fallback) const
{
    return SettingsFile::toInt(SettingsFile::create()->value(key), fallback);
}

void UserContext::writeCategory(const QString &key, int value)
{
    const std::shared_ptr<QSettings> file = SettingsFile::create();
    file->setValue(key, value);
    file->sync();
}

int UserContext::lastTypeCategory() const
{
    return readCategory(QLatin1String(TypeCategoryKey), 0);
}

int UserContext::lastCustomCategory() const
{
    return readCategory(QLatin1String(CustomCategoryKey), -1);
}

int UserContext::lastGeneralCategory() const
{
    return readCategory(QLatin1String(GeneralCategoryKey), 0);
}

void UserContext::setLastTypeCategory(int category)
{
    writeCategory(QLatin1String(TypeCategoryKey), category);
}

void UserContext::setLastCustomCategory(int category)
{
    writeCategory(QLatin1String(CustomCategoryKey), category);
}

void UserContext::setLastGeneralCategory(int category)
{
    writeCategory(QLatin1String(GeneralCategoryKey), category);
}
