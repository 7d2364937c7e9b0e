#include "pagination/paginationrequest.h"
#include "reader/readingstate.h"
#include "tests/support/testenvironment.h"

class tst_ReadingState : public QObject
{
    Q_OBJECT

private slots:
    void pageConversion_data();
    void pageConversion();
    void locate_data();
    void locate();
    void positionsAsked();
    void replyApplied();
    void searchResults();
    void notePagesSurviveSearchesAndMisses();

private:
    static PaginationRequest book(const QList<int> &counts);
    static ReadingState stateWithContents();
};

void tst_ReadingState::notePagesSurviveSearchesAndMisses()
{
    ReadingState state = stateWithContents();
    state.columnCount = 2;
    state.savedPosition = "Text/ch1.xhtml?vorid=true#12";
    PaginationRequest reply = book({ 4, 5 });
    reply.positions = { { ReadingState::notePositionUrl(state.notes.first()), 8 },
                        { state.savedPosition, 3 } };
    state.applyPages(reply);
    QCOMPARE(state.notes[0].page, 15);
    QCOMPARE(state.savedPage, 5);

    // A search reply does not ask about notes: their pages stay known.
    PaginationRequest search = book({ 4, 5 });
    search.searchText = "word";
    state.applyPages(search);
    QCOMPARE(state.notes[0].page, 15);
    QCOMPARE(state.notes[0].chapterTitle, QString("Chapter"));
    QCOMPARE(state.savedPage, 5);
    QCOMPARE(state.searchedText, QString("word"));

    // A note the helper did not find has no page, in two columns too.
    state.applyPages(book({ 4, 5 }));
    QCOMPARE(state.notes[0].page, 0);
}

PaginationRequest tst_ReadingState::book(const QList<int> &counts)
{
    PaginationRequest request;
    for (int i = 0; i < counts.size(); ++i) {
        const QString name = QStringLiteral("Text/ch%1.xhtml").arg(i + 1);
        request.documents.append(name);
        request.pageCounts.insert(name, counts.at(i));
    }
    return request;
}

ReadingState tst_ReadingState::stateWithContents()
{
    ReadingState state;
    TocItem part;
    part.title = "Part";
    part.source = "Text/ch1.xhtml";
    TocItem chapter;
    chapter.title = "Chapter";
    chapter.source = "Text/ch2.xhtml#c";
    part.children = { chapter };
    state.tocEntries = { part };
    state.tocList = { part, chapter };
    ViewerBookmark bookmark;
    bookmark.source = "Text/ch2.xhtml?vorpath=%2FHTML%5B1%5D";
    ViewerBookmark lost;
    lost.source = "Text/gone.xhtml#x";
    state.bookmarks = { bookmark, lost };
    Note note;
    note.chapter = "Text/ch2.xhtml";
    note.startPath = "/HTML[1]/BODY[1]/P[1]/text()[1]";
    state.notes = { note };
    return state;
}

void tst_ReadingState::pageConversion_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("helper");
    QTest::addColumn<int>("viewer");

    QTest::newRow("one column: same numbers") << 1 << 7 << 7;
    QTest::newRow("two columns: helper page 3 is page 5") << 2 << 3 << 5;
    QTest::newRow("two columns: a missing page is -1") << 2 << 0 << -1;
}

void tst_ReadingState::pageConversion()
{
    QFETCH(int, columns);
    QFETCH(int, helper);
    QFETCH(int, viewer);
    QCOMPARE(ReadingState::viewerPage(helper, columns), viewer);
    if (helper > 0)
        QCOMPARE(ReadingState::helperPage(viewer, columns), helper);
    if (columns == 2) {
        // Both columns of a helper page lead back to it.
        QCOMPARE(ReadingState::helperPage(5, 2), 3);
        QCOMPARE(ReadingState::helperPage(6, 2), 3);
    }
}

void tst_ReadingState::locate_data()
{
    QTest::addColumn<int>("helper");
    QTest::addColumn<bool>("found");
    QTest::addColumn<int>("file");
    QTest::addColumn<int>("page");

    QTest::newRow("first page") << 1 << true << 0 << 1;
    QTest::newRow("last page of the first file") << 10 << true << 0 << 10;
    QTest::newRow("first page of the second file") << 11 << true << 1 << 1;
    QTest::newRow("an empty file is passed over") << 14 << true << 3 << 1;
    QTest::newRow("beyond the book") << 16 << false << -1 << -1;
}

void tst_ReadingState::locate()
{
    QFETCH(int, helper);
    QFETCH(bool, found);
    QFETCH(int, file);
    QFETCH(int, page);
    const PaginationRequest request = book({ 10, 3, 0, 2 });
    QCOMPARE(ReadingState::totalPages(request), 15);
    int fileIndex = -1;
    int pageInFile = -1;
    QCOMPARE(ReadingState::locate(request, helper, &fileIndex, &pageInFile), found);
    if (found) {
        QCOMPARE(fileIndex, file);
        QCOMPARE(pageInFile, page);
        QCOMPARE(ReadingState::pagesBefore(request, fileIndex) + pageInFile, helper);
    }
}

void tst_ReadingState::positionsAsked()
{
    ReadingState state = stateWithContents();
    state.savedPosition = "Text/ch1.xhtml?vorid=true#12";
    PaginationRequest request = book({ 4, 5 });
    request.positions.insert("stale", 9);

    state.addPositions(&request);
    QCOMPARE(request.positions.keys(),
             QStringList({ "Text/ch1.xhtml", "Text/ch1.xhtml?vorid=true#12", "Text/ch2.xhtml#c",
                           "Text/ch2.xhtml?vorpath=%2FHTML%5B1%5D",
                           "Text/ch2.xhtml?vorpath=%2FHTML%5B1%5D%2FBODY%5B1%5D%2FP%5B1%5D%2Ftext%"
                           "28%29%5B1%5D",
                           "Text/gone.xhtml#x" }));
    QCOMPARE(request.pageCounts.value("Text/ch1.xhtml"), 0);
    QCOMPARE(request.pageCounts.size(), 2);

    // A search asks about the contents and the bookmarks only.
    request.searchText = "word";
    state.addPositions(&request);
    QCOMPARE(request.positions.keys(),
             QStringList({ "Text/ch1.xhtml", "Text/ch2.xhtml#c",
                           "Text/ch2.xhtml?vorpath=%2FHTML%5B1%5D", "Text/gone.xhtml#x" }));
}

void tst_ReadingState::replyApplied()
{
    ReadingState state = stateWithContents();
    state.columnCount = 2;
    state.savedPosition = "Text/ch1.xhtml?vorid=true#12";
    PaginationRequest reply = book({ 4, 5 });
    reply.positions = { { "Text/ch1.xhtml", 1 },
                        { "Text/ch2.xhtml#c", 6 },
                        { "Text/ch2.xhtml?vorpath=%2FHTML%5B1%5D", 7 },
                        { ReadingState::notePositionUrl(state.notes.first()), 8 },
                        { state.savedPosition, 3 } };
    state.applyPages(reply);

    QCOMPARE(state.helperPages, 9);
    QCOMPARE(state.tocEntries[0].page, 1);
    QCOMPARE(state.tocEntries[0].children[0].page, 11);
    QCOMPARE(state.tocList[1].page, 11);
    QCOMPARE(state.bookmarks[0].page, 13);
    QCOMPARE(state.bookmarks[0].progress, 13 * 100 / 18);
    QCOMPARE(state.bookmarks[0].title, QString("Chapter"));
    QCOMPARE(state.bookmarks[1].page, -1);
    QCOMPARE(state.notes[0].page, 15);
    QCOMPARE(state.notes[0].chapterTitle, QString("Chapter"));
    // Back to page is a viewer page too.
    QCOMPARE(state.savedPage, 5);
    QCOMPARE(state.chapterTitle(10), QString("Part"));
    QVERIFY(state.searchResults.isEmpty());

    // Without any page counts, bookmarks have no page and no progress.
    state.applyPages(book({ 0, 0 }));
    QCOMPARE(state.bookmarks[0].page, -1);
    QCOMPARE(state.bookmarks[0].progress, -1);
    QCOMPARE(state.notes[0].page, 0);
    QCOMPARE(state.savedPage, 0);
}

void tst_ReadingState::searchResults()
{
    ReadingState state = stateWithContents();
    state.columnCount = 1;
    state.tocList[0].page = 1;
    state.tocList[1].page = 10;
    PaginationRequest reply = book({ 8, 6 });
    reply.searchText = "12";
    reply.searchHits = { { "Text/ch2.xhtml#b", "Year 12 <script>" },
                         { "Text/ch1.xhtml?vorid=true#3", "12 of 12" } };
    reply.positions = { { "Text/ch2.xhtml#b", 13 }, { "Text/ch1.xhtml?vorid=true#3", 2 } };
    state.applyPages(reply);

    const QList<SearchResult> &results = state.searchResults;
    QCOMPARE(results.size(), 3);
    QCOMPARE(results[0].text, QString("Go to page 12"));
    QCOMPARE(results[0].page, 12);
    QVERIFY(results[0].extra.isEmpty());
    QVERIFY(!results[0].isPageJump);
    QCOMPARE(results[0].title, QString("Chapter"));
    QCOMPARE(results[1].extra, QString("Text/ch1.xhtml?vorid=true#3"));
    QCOMPARE(results[1].text, QString("<b>12</b> of <b>12</b>"));
    QCOMPARE(results[1].page, 2);
    QCOMPARE(results[1].title, QString("Part"));
    QCOMPARE(results[2].text, QString("Year <b>12</b> &lt;script&gt;"));
    for (int i = 0; i < results.size(); ++i)
        QCOMPARE(results[i].position, 200000 + i);

    // A number beyond the book offers no page jump; case does not matter.
    reply.searchText = "YEAR";
    reply.searchHits = { { "Text/ch2.xhtml#b", "Year 12" } };
    state.applyPages(reply);
    QCOMPARE(state.searchResults.size(), 1);
    QCOMPARE(state.searchResults[0].text, QString("<b>YEAR</b> 12"));
    reply.searchText = "15";
    reply.searchHits.clear();
    state.applyPages(reply);
    QVERIFY(state.searchResults.isEmpty());
}

VL_TEST_GUILESS_MAIN(tst_ReadingState)
#include "tst_readingstate.moc"
