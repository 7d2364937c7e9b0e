#include "reader/readingstate.h"

#include "pagination/paginationrequest.h"

#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>
#include <functional>

namespace {

constexpr int SearchResultBase = 200000;

// The book's text goes into rich text: it is escaped, and the hit is made
// bold wherever the search text occurs, whatever its case. One marker serves
// every hit of a search: a book can have tens of thousands.
class HitMarker
{
public:
    explicit HitMarker(const QString &search)
        : m_needle(search.toHtmlEscaped())
        , m_expression(QRegularExpression::escape(m_needle),
                       QRegularExpression::CaseInsensitiveOption)
        , m_bold(QStringLiteral("<b>%1</b>").arg(m_needle))
    {
    }

    QString marked(const QString &text) const
    {
        QString marked = text.toHtmlEscaped();
        if (!m_needle.isEmpty())
            marked.replace(m_expression, m_bold);
        return marked;
    }

private:
    QString m_needle;
    QRegularExpression m_expression;
    QString m_bold;
};

} // namespace

int ReadingState::viewerPage(int helperPage, int columnCount)
{
    return columnCount == 1 ? helperPage : helperPage * columnCount - 1;
}

int ReadingState::helperPage(int viewerPage, int columnCount)
{
    return columnCount == 1 ? viewerPage : (viewerPage + 1) / columnCount;
}

int ReadingState::totalPages(const PaginationRequest &request)
{
    int total = 0;
    for (const qint32 count : request.pageCounts)
        total += count;
    return total;
}

int ReadingState::pagesBefore(const PaginationRequest &request, int fileIndex)
{
    int pages = 0;
    for (int i = 0; i < fileIndex && i < request.documents.size(); ++i)
        pages += request.pageCounts.value(request.documents.at(i), 0);
    return pages;
}

bool ReadingState::locate(const PaginationRequest &request, int helperPage, int *fileIndex,
                          int *pageInFile)
{
    int before = 0;
    for (int i = 0; i < request.documents.size(); ++i) {
        const int count = request.pageCounts.value(request.documents.at(i), 0);
        if (before + count >= helperPage) {
            *fileIndex = i;
            *pageInFile = helperPage - before;
            return true;
        }
        before += count;
    }
    return false;
}

QString ReadingState::notePositionUrl(const Note &note)
{
    return note.chapter + QStringLiteral("?vorpath=") + percentEncoded(note.startPath);
}

QString ReadingState::chapterTitle(int page) const
{
    if (tocList.isEmpty())
        return QString();
    const TocItem *found = nullptr;
    for (const TocItem &entry : tocList) {
        if (entry.page <= page)
            found = &entry;
    }
    return found ? found->title : tocList.first().title;
}

void ReadingState::addPositions(PaginationRequest *request)
{
    request->positions.clear();
    const auto add = [request](const QString &url) {
        if (!request->positions.contains(url))
            request->positions.insert(url, 0);
    };
    if (!request->searchText.trimmed().isEmpty()) {
        for (const TocItem &entry : qAsConst(tocList))
            add(entry.source);
        for (const ViewerBookmark &bookmark : qAsConst(bookmarks))
            add(bookmark.source);
        return;
    }
    for (TocItem &entry : tocList) {
        entry.page = 0;
        add(entry.source);
    }
    std::function<void(QList<TocItem> &)> forget = [&forget](QList<TocItem> &entries) {
        for (TocItem &entry : entries) {
            entry.page = 0;
            forget(entry.children);
        }
    };
    forget(tocEntries);
    for (ViewerBookmark &bookmark : bookmarks) {
        bookmark.page = 0;
        add(bookmark.source);
    }
    for (Note &note : notes) {
        note.page = 0;
        add(notePositionUrl(note));
    }
    if (!savedPosition.isEmpty())
        add(savedPosition);
    for (auto it = request->pageCounts.begin(); it != request->pageCounts.end(); ++it)
        it.value() = 0;
}

void ReadingState::applyTocPages(QList<TocItem> *entries, const PaginationRequest &reply)
{
    for (TocItem &entry : *entries) {
        const int page = reply.positions.value(entry.source, 0);
        if (page != 0)
            entry.page = viewerPage(page, columnCount);
        applyTocPages(&entry.children, reply);
    }
}

void ReadingState::applyPages(const PaginationRequest &reply)
{
    helperPages = totalPages(reply);
    const int viewerPages = helperPages * columnCount;

    applyTocPages(&tocEntries, reply);
    for (TocItem &entry : tocList) {
        const int page = reply.positions.value(entry.source, 0);
        if (page != 0)
            entry.page = viewerPage(page, columnCount);
    }

    for (ViewerBookmark &bookmark : bookmarks) {
        bookmark.page = viewerPages < 1
                ? -1
                : viewerPage(reply.positions.value(bookmark.source, 0), columnCount);
        bookmark.progress = viewerPages < 1 ? -1 : bookmark.page * 100 / viewerPages;
        if (bookmark.page >= 1)
            bookmark.title = chapterTitle(bookmark.page);
    }

    // A search does not ask about the notes and the back-to-page position:
    // the pages known for them stay.
    const bool search = !reply.searchText.isEmpty();
    for (Note &note : notes) {
        if (search)
            break;
        // A position the helper did not find is no page (0), in any column
        // count.
        const int page = reply.positions.value(notePositionUrl(note), 0);
        note.page = helperPages > 0 && page > 0 ? viewerPage(page, columnCount) : 0;
        if (note.page >= 1)
            note.chapterTitle = chapterTitle(note.page);
    }

    // The back-to-page number is a viewer page like every other page here.
    if (!search) {
        const int saved = savedPosition.isEmpty() ? 0 : reply.positions.value(savedPosition, 0);
        savedPage = saved > 0 ? viewerPage(saved, columnCount) : 0;
    }

    if (search) {
        searchResults = makeSearchResults(reply);
        searchedText = reply.searchText;
    }
}

QList<SearchResult> ReadingState::makeSearchResults(const PaginationRequest &reply) const
{
    const int viewerPages = helperPages * columnCount;
    QList<SearchResult> results;
    bool ok = false;
    const int number = reply.searchText.toInt(&ok, 10);
    if (ok && number >= 1 && number <= viewerPages) {
        SearchResult jump;
        jump.title = chapterTitle(number);
        jump.text = QCoreApplication::translate("TextViewer", "Go to page %1").arg(number);
        jump.page = number;
        // Reached through the viewer like every other hit: an empty
        // position URL makes it go to the page.
        jump.isPageJump = false;
        results.append(jump);
    }
    const HitMarker marker(reply.searchText);
    for (auto it = reply.searchHits.constBegin(); it != reply.searchHits.constEnd(); ++it) {
        SearchResult hit;
        hit.text = marker.marked(it.value());
        hit.page = viewerPage(reply.positions.value(it.key(), 0), columnCount);
        hit.title = chapterTitle(hit.page);
        hit.extra = it.key();
        results.append(hit);
    }
    // The page jump first, then the hits in reading order.
    std::stable_sort(results.begin(), results.end(),
                     [](const SearchResult &a, const SearchResult &b) {
                         const bool aJump = a.extra.isEmpty();
                         const bool bJump = b.extra.isEmpty();
                         if (aJump != bJump)
                             return aJump;
                         return a.page < b.page;
                     });
    for (int i = 0; i < results.size(); ++i)
        results[i].position = SearchResultBase + i;
    return results;
}
