#pragma once

#include "document/searchresult.h"
#include "document/tocitem.h"
#include "reader/note.h"
#include "reader/viewerbookmark.h"

#include <QList>
#include <QString>

struct PaginationRequest;

// What the text viewer knows about the open book beyond the page on show:
// its table of contents, bookmarks, notes, search results and the page to go
// back to, and the arithmetic between the pagination helper's pages and the
// viewer's own.
//
// The helper lays every file out in pages of two columns and counts them
// over the whole book; the viewer counts columns. A helper page p is shown
// as viewer page p with one column and as p * columns - 1 otherwise.
//
// A value without widgets or script calls, so the whole exchange with the
// helper can be checked without a web page.
class ReadingState
{
public:
    // Helper page to viewer page; 0 and below convert like any number.
    static int viewerPage(int helperPage, int columnCount);
    // Viewer page to the helper page that shows it.
    static int helperPage(int viewerPage, int columnCount);
    // Sum of the page counts of the reply: helper pages of the whole book.
    static int totalPages(const PaginationRequest &request);
    // The file (index into documents) and the page within it of a helper
    // page; false when the page lies beyond the last file or the book has
    // no files.
    static bool locate(const PaginationRequest &request, int helperPage, int *fileIndex,
                       int *pageInFile);
    // Helper pages of the files before fileIndex.
    static int pagesBefore(const PaginationRequest &request, int fileIndex);
    // The URL the helper is asked about for a note: its chapter file and its
    // start path.
    static QString notePositionUrl(const Note &note);

    // Title of the last contents entry that starts at or before a viewer
    // page; the first entry's when none does, empty without contents.
    QString chapterTitle(int page) const;

    // Fills the position look-ups of a request. During a search only the
    // contents and the bookmarks are asked about; otherwise also the notes
    // and the back-to-page position, and every known page is forgotten.
    void addPositions(PaginationRequest *request);
    // Takes the pages of a reply: contents, bookmarks, notes, the
    // back-to-page page and, when the reply answers a search, the results.
    void applyPages(const PaginationRequest &reply);

    // The table of contents as a tree and as the same entries in file
    // order; an entry's position is its place in the flat list.
    QList<TocItem> tocEntries;
    QList<TocItem> tocList;
    QList<ViewerBookmark> bookmarks;
    QList<Note> notes;
    // Results of the last search reply. A result's position is the number
    // that navigates to it (200000 + its place), its extra the position URL
    // of the hit (empty for the "Go to page" entry, reached by its page).
    QList<SearchResult> searchResults;
    // The text those results answer.
    QString searchedText;
    int columnCount = 1;
    // Helper pages of the whole book after the last reply.
    int helperPages = 0;
    // The position the back-to-page button returns to, and its viewer page
    // (0 while unknown).
    QString savedPosition;
    int savedPage = 0;

private:
    void applyTocPages(QList<TocItem> *entries, const PaginationRequest &reply);
    QList<SearchResult> makeSearchResults(const PaginationRequest &reply) const;
};
