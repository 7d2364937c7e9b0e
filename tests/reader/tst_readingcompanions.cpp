#include "core/settings.h"
#include "library/db/bookformat.h"
#include "library/db/bookprovider.h"
#include "pagination/pagescript.h"
#include "pagination/paginationclient.h"
#include "reader/bookmarkmodel.h"
#include "reader/bookviewer.h"
#include "reader/noteeditor.h"
#include "reader/notepagelabel.h"
#include "reader/notesmodel.h"
#include "reader/notesortfiltermodel.h"
#include "reader/notesview.h"
#include "reader/notetooltip.h"
#include "reader/notetreeview.h"
#include "reader/searchedit.h"
#include "reader/searchmodel.h"
#include "reader/searchview.h"
#include "reader/textviewer.h"
#include "reader/textviewerinput.h"
#include "reader/tocmodel.h"
#include "reader/tocview.h"
#include "reader/usercontext.h"
#include "tests/archive/zipfixture.h"
#include "tests/reader/readingfixture.h"
#include "tests/support/testenvironment.h"
#include "widgets/stylesheet.h"

#include <QSignalSpy>
#include <QTemporaryDir>

#include <memory>

// Notes, bookmarks, contents and search as a reader uses them: in a real
// viewer of the reading frame, laid out by a real helper, through the
// panels the window shows.
class tst_ReadingCompanions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void balloonPlacement_data();
    void balloonPlacement();
    void notesAreMadeMarkedAndKept();
    void notesPanelEditsAndDeletes();
    void bookmarksKeepTheirPlaces();
    void contentsAndSearchLeadToTheirPages();
    void everyHitReachesThePanel();

private:
    bool open();
    void reopen();
    TextViewer *viewer() const { return m_frame->textViewer(); }
    // Selects the first occurrence of text in the file on show, on its page.
    bool select(const QString &text);
    bool marked(const Note &note);
    void goToPage(int page);

    QTemporaryDir m_dir;
    int m_bookId = -1;
    std::unique_ptr<UserContext> m_context;
    std::unique_ptr<BookViewer> m_frame;
    QStringList m_messages;
};

void tst_ReadingCompanions::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY(QFileInfo(PaginationClient::defaultProgram()).isExecutable());
    QVERIFY2(BookProvider::instance()->createConnection(),
             qPrintable(BookProvider::instance()->lastError()));
    reloadStyleSheet();
    const QString path = m_dir.filePath(QStringLiteral("Companions.epub"));
    QVERIFY(ReadingFixture::writeBook(path, QStringLiteral("Companions")));
    BookDto book;
    book.fullPath = path;
    book.title = QStringLiteral("Companions");
    book.format = BookFormat::fromString(QStringLiteral("epub"));
    m_bookId = BookProvider::instance()->addBook(book);
    QVERIFY(m_bookId > 0);
    ViewerSettings values = Settings::instance()->values();
    values.showFade = false;
    values.columnCount = 1;
    Settings::instance()->setValues(values, true);
}

void tst_ReadingCompanions::cleanupTestCase()
{
    m_dir.setAutoRemove(!QTest::currentTestFailed());
}

void tst_ReadingCompanions::init()
{
    m_messages.clear();
    m_context.reset(new UserContext);
    const auto record = [this](const QString &title, const QString &text) {
        m_messages.append(title + QLatin1Char('|') + text);
    };
    m_context->setMessagePresenter(record);
    m_frame.reset(new BookViewer(m_context.get()));
    m_frame->setMessagePresenter(record);
    m_frame->resize(900, 650);
    m_frame->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_frame.get()));
    QVERIFY(open());
}

void tst_ReadingCompanions::cleanup()
{
    m_frame.reset();
    m_context.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

bool tst_ReadingCompanions::open()
{
    const BookDto book = BookProvider::instance()->findBookById(m_bookId);
    if (!m_frame->openBook(book) || !viewer())
        return false;
    if (!viewer()->isLayoutReady() && !QSignalSpy(viewer(), &TextViewer::loadFinished).wait(10000))
        return false;
    return ReadingFixture::waitForPages(viewer()) && ReadingFixture::waitForFile(viewer());
}

void tst_ReadingCompanions::reopen()
{
    // The frame goes as the window closes the book; the viewer writes its
    // side files then.
    cleanup();
    init();
}

bool tst_ReadingCompanions::select(const QString &text)
{
    const QString script = QStringLiteral(
            "(function(needle){var w=document.createTreeWalker(document.body,4,null,false);"
            "for(var n=w.nextNode();n;n=w.nextNode()){var at=n.data.indexOf(needle);if(at<0)"
            "continue;var r=document.createRange();r.setStart(n,at);r.setEnd(n,at+needle.length);"
            "var s=window.getSelection();s.removeAllRanges();s.addRange(r);"
            "return vorMoveToElement(n.parentNode,%2,%3);}return -1;})(%1);")
                                   .arg(PageScript::quoted(text))
                                   .arg(viewer()->width())
                                   .arg(viewer()->gap());
    const int page = viewer()->runScript(script).toInt();
    if (page < 1)
        return false;
    viewer()->setCurrentPage(page);
    return viewer()->selectedText() == text;
}

bool tst_ReadingCompanions::marked(const Note &note)
{
    const QVariant answer = viewer()->runScript(QStringLiteral("getNoteInfo(%1,%2);")
                                                        .arg(PageScript::quoted(note.id))
                                                        .arg(viewer()->width()));
    return !answer.isNull() && answer.isValid();
}

void tst_ReadingCompanions::goToPage(int page)
{
    viewer()->goToBookPage(page, false);
    QVERIFY(ReadingFixture::waitForFile(viewer()));
    QTRY_COMPARE(viewer()->absolutePage(), page);
}

void tst_ReadingCompanions::balloonPlacement_data()
{
    QTest::addColumn<bool>("right");
    QTest::addColumn<bool>("low");
    QTest::addColumn<int>("arrow");
    QTest::newRow("room right and below") << false << false << 1;
    QTest::newRow("flips left near the right edge") << true << false << 2;
    QTest::newRow("goes above near the bottom") << false << true << 3;
    QTest::newRow("above wins over left") << true << true << 3;
}

void tst_ReadingCompanions::balloonPlacement()
{
    QFETCH(bool, right);
    QFETCH(bool, low);
    QFETCH(int, arrow);
    TextViewer *view = viewer();
    // One column: the balloon takes two thirds of the view's width.
    const int w = 2 * view->width() / 3;
    const int x = right ? view->width() - 50 : 30;
    const int y = low ? view->height() - 60 : 40;
    view->showNote(x, y, nullptr, false);
    NoteTooltip *balloon = view->noteTooltip();
    QVERIFY(balloon && balloon->isVisible());
    QCOMPARE(balloon->arrow(), arrow);
    QCOMPARE(balloon->size(), QSize(w, 120));
    QCOMPARE(balloon->pos(), QPoint(right ? x - w : x, low ? y - 120 : y));
    // Without a note: an empty balloon on the yellow of a new note.
    QCOMPARE(balloon->text(), QString());
    QCOMPARE(balloon->backgroundColor(), QColor(243, 227, 162));
    QCOMPARE(balloon->borderColor(), QColor(QStringLiteral("#ddbd9a")));
    QVERIFY(view->closeNoteTooltip(false));
    QVERIFY(!balloon->isVisible());
}

void tst_ReadingCompanions::notesAreMadeMarkedAndKept()
{
    TextViewerInput *input = TextViewerInput::of(viewer());
    QVERIFY(input);
    QSignalSpy counted(m_context.get(), &UserContext::notesCountChanged);

    // One note in each colour; the yellow one gets a comment in its balloon.
    const QStringList palette = noteColors().mid(1);
    for (int i = 0; i < palette.size(); ++i) {
        const QString text = QStringLiteral("Paragraph 1.%1:").arg(i * 3);
        QVERIFY2(select(text), qPrintable(text));
        emit input->noteRequested(QColor(palette.at(i)), i == 1);
        QCOMPARE(viewer()->notes().size(), i + 1);
        const Note made = viewer()->notes().constLast();
        QCOMPARE(made.context, text);
        QCOMPARE(made.color.name(), palette.at(i));
        QVERIFY(made.page >= 1);
        QCOMPARE(made.chapterTitle, QStringLiteral("One"));
        QVERIFY(marked(made));
    }
    QCOMPARE(counted.count(), palette.size());
    QCOMPARE(counted.last().first().toInt(), 5);
    QCOMPARE(BookProvider::instance()->findBookById(m_bookId).notesCount, 5);

    NoteTooltip *balloon = viewer()->noteTooltip();
    QVERIFY(balloon && balloon->isVisible() && balloon->isEditing());
    QTest::keyClicks(balloon->editor(), QStringLiteral("<b>not bold</b>"));
    QTest::keyClick(balloon->editor(), Qt::Key_Return, Qt::ControlModifier);
    QVERIFY(!balloon->isVisible());
    QCOMPARE(viewer()->notes().at(1).text, QStringLiteral("<b>not bold</b>"));

    // Escape leaves the comment as it was.
    const Note yellow = viewer()->notes().at(1);
    viewer()->onNoteClicked(yellow.id, QPoint(700, 600));
    QVERIFY(balloon->isVisible() && !balloon->isEditing());
    QCOMPARE(balloon->arrow(), 3);
    QTest::mouseClick(balloon, Qt::LeftButton, {}, QPoint(60, 60));
    QVERIFY(balloon->isEditing());
    QTest::keyClicks(balloon->editor(), QStringLiteral(" more"));
    QTest::keyClick(balloon->editor(), Qt::Key_Escape);
    QCOMPARE(viewer()->notes().at(1).text, QStringLiteral("<b>not bold</b>"));

    // A colour change reaches every span and the record.
    QVERIFY(viewer()->changeNoteColor(yellow.id, QColor(204, 184, 228)));
    QCOMPARE(viewer()->runScript(QStringLiteral("document.getElementsByClassName('vor_note_id_%1')"
                                                "[0].style.backgroundColor")
                                         .arg(yellow.id))
                     .toString(),
             QStringLiteral("rgb(204, 184, 228)"));

    const QList<Note> before = viewer()->notes();
    reopen();
    const QList<Note> after = viewer()->notes();
    QCOMPARE(after.size(), before.size());
    for (int i = 0; i < after.size(); ++i) {
        QCOMPARE(after.at(i).context, before.at(i).context);
        QCOMPARE(after.at(i).text, before.at(i).text);
        QCOMPARE(after.at(i).color, before.at(i).color);
        QVERIFY(after.at(i).id != before.at(i).id);
        // Pages come back with the book's layout.
        QCOMPARE(after.at(i).page, before.at(i).page);
        QCOMPARE(after.at(i).chapterTitle, QStringLiteral("One"));
    }
    // Marked again, with markers beside those on show.
    viewer()->navigateToPath(noteLocation(after.first()));
    QVERIFY(ReadingFixture::waitForFile(viewer()));
    for (const Note &note : after)
        QVERIFY(marked(note));
    QTRY_VERIFY(!viewer()->noteMarkers().isEmpty());
    QCOMPARE(viewer()->noteMarkers().first()->noteId(), after.first().id);

    // A note in a hidden element takes away its own marker only.
    const int shown = viewer()->noteMarkers().size();
    QVERIFY2(shown >= 2, qPrintable(QString::number(shown)));
    viewer()->runScript(QStringLiteral("document.getElementsByClassName('vor_note_id_%1')[0]"
                                       ".parentNode.style.display='none';")
                                .arg(after.first().id));
    viewer()->refreshNoteMarkers();
    QCOMPARE(viewer()->noteMarkers().size(), shown - 1);
}

void tst_ReadingCompanions::notesPanelEditsAndDeletes()
{
    const QList<Note> notes = viewer()->notes();
    QVERIFY(notes.size() >= 2);
    NotesView panel(m_context.get());
    int confirmations = 0;
    bool agree = false;
    panel.setConfirmation([&](const QString &title, const QString &, QWidget *) {
        ++confirmations;
        return title == QStringLiteral("Delete note") && agree;
    });
    panel.setMessagePresenter([this](const QString &title, const QString &text) {
        m_messages.append(title + QLatin1Char('|') + text);
    });
    panel.resize(720, 600);
    panel.show();
    panel.resetFilters();
    panel.loadFromOpenBook();
    QCOMPARE(panel.proxy()->rowCount(), 1);
    const QModelIndex group = panel.proxy()->index(0, 0);
    QCOMPARE(panel.proxy()->rowCount(group), notes.size());

    // Going to a note sends its location.
    QSignalSpy went(&panel, &SidePanel::navigateToPositionPath);
    QSignalSpy hidden(&panel, &SidePanel::hideWindow);
    panel.notesTree()->setCurrentIndex(panel.proxy()->index(0, 1, group));
    panel.buttonGoTo();
    QCOMPARE(went.count(), 1);
    QVERIFY(went.first().first().toString().contains(QStringLiteral("?vorpath=")));

    // Deleting asks first; "CANCEL" keeps the note.
    const QModelIndex trash = panel.proxy()->index(0, NotesModel::DeleteColumn, group);
    const QString id = trash.siblingAtColumn(0).data(NotesModel::IdRole).toString();
    panel.onNoteDeleteClicked(trash);
    QCOMPARE(confirmations, 1);
    QCOMPARE(viewer()->notes().size(), notes.size());
    agree = true;
    panel.onNoteDeleteClicked(trash);
    QCOMPARE(viewer()->notes().size(), notes.size() - 1);
    QVERIFY(std::none_of(viewer()->notes().cbegin(), viewer()->notes().cend(),
                         [&id](const Note &note) { return note.id == id; }));
    QCOMPARE(panel.proxy()->rowCount(panel.proxy()->index(0, 0)), notes.size() - 1);

    // The pencil closes the panel and opens the note's balloon in the page.
    const QModelIndex pencil = panel.proxy()->index(0, NotesModel::EditColumn,
                                                    panel.proxy()->index(0, 0));
    const QString editId = pencil.siblingAtColumn(0).data(NotesModel::IdRole).toString();
    const int hides = hidden.count();
    panel.onNoteDeleteClicked(pencil);
    QCOMPARE(hidden.count(), hides + 1);
    QTRY_VERIFY(viewer()->noteTooltip() && viewer()->noteTooltip()->isVisible());
    QCOMPARE(viewer()->noteTooltip()->noteId(), editId);
    QVERIFY(viewer()->noteTooltip()->isEditing());

    // Export writes the book's notes, escaped.
    const QString file = m_dir.filePath(QStringLiteral("export/notes.html"));
    QString offered;
    panel.setSaveFileChooser([&](const QString &, const QString &, const QString &name) {
        offered = name;
        return file;
    });
    panel.buttonExport();
    QVERIFY(!panel.lastExportError().isEmpty());
    QVERIFY(!m_messages.isEmpty());
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("export"))));
    panel.buttonExport();
    QVERIFY(panel.lastExportError().isEmpty());
    QCOMPARE(offered, QStringLiteral("Notes-Companions.html"));
    QFile written(file);
    QVERIFY(written.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(written.readAll());
    QVERIFY(html.contains(QStringLiteral("&lt;b&gt;not bold&lt;/b&gt;")));
    QVERIFY(!html.contains(QStringLiteral("<b>not bold")));
}

void tst_ReadingCompanions::bookmarksKeepTheirPlaces()
{
    const int pages = viewer()->bookPageCount();
    QVERIFY2(pages >= 4, qPrintable(QString::number(pages)));
    const QList<int> places = { 1, 2, 3 };
    for (const int page : places) {
        goToPage(page);
        m_context->addBookmark();
    }
    QCOMPARE(viewer()->bookmarks().size(), 3);

    TocView panel(m_context.get());
    bool agree = false;
    panel.setConfirmation([&](const QString &, const QString &, QWidget *) { return agree; });
    panel.loadFromOpenBook();
    BookmarkModel *model = panel.bookmarkModel();
    // Only the trash column asks, and "CANCEL" keeps the bookmark.
    panel.onBookmarkClicked(model->index(0, 1));
    panel.onBookmarkClicked(model->index(0, 2));
    QCOMPARE(model->rowCount(), 3);
    agree = true;
    panel.onBookmarkClicked(model->index(0, 2));
    QCOMPARE(model->rowCount(), 2);

    goToPage(pages);
    m_context->addBookmark();
    QList<ViewerBookmark> marks = viewer()->bookmarks();
    QCOMPARE(marks.size(), 3);
    QSet<int> ids;
    for (int i = 0; i < marks.size(); ++i) {
        QCOMPARE(marks.at(i).index, i);
        ids.insert(marks.at(i).id);
    }
    QCOMPARE(ids.size(), 3);

    // Every number leads to its own bookmark, also after reopening.
    const auto checkPlaces = [this](const QList<int> &expected) {
        const QList<ViewerBookmark> list = m_context->bookmarks();
        QCOMPARE(list.size(), expected.size());
        for (int i = 0; i < list.size(); ++i) {
            QCOMPARE(list.at(i).page, expected.at(i));
            m_context->navigateToPosition(list.at(i).id);
            QVERIFY(ReadingFixture::waitForFile(viewer()));
            QTRY_COMPARE(viewer()->absolutePage(), expected.at(i));
        }
    };
    const QList<int> expected = { marks.at(0).page, marks.at(1).page, marks.at(2).page };
    QVERIFY(expected.at(0) >= 2 && expected.at(1) > expected.at(0) && expected.at(2) > expected.at(1));
    checkPlaces(expected);
    // Removing one through the panel takes that one, not a neighbour.
    panel.loadFromOpenBook();
    panel.onBookmarkClicked(model->index(1, 2));
    QCOMPARE(viewer()->bookmarks().size(), 2);
    QCOMPARE(viewer()->bookmarks().at(1).page, expected.at(2));
    reopen();
    checkPlaces({ expected.at(0), expected.at(2) });
}

void tst_ReadingCompanions::contentsAndSearchLeadToTheirPages()
{
    TocView contents(m_context.get());
    QSignalSpy hidden(&contents, &SidePanel::hideWindow);
    connect(&contents, &SidePanel::navigateToPosition, m_context.get(),
            &UserContext::navigateToPosition);
    contents.loadFromOpenBook();
    TocModel *toc = contents.tocModel();
    QCOMPARE(toc->rowCount(), 3);
    const QModelIndex two = toc->index(1, 0);
    QCOMPARE(two.data().toString(), QStringLiteral("Two"));
    const int page = two.siblingAtColumn(1).data().toInt();
    QVERIFY(page > 1);
    contents.onTocTableDoubleClick(two);
    QCOMPARE(hidden.count(), 1);
    QVERIFY(ReadingFixture::waitForFile(viewer()));
    QTRY_COMPARE(viewer()->absolutePage(), page);
    QCOMPARE(viewer()->chapterIndex(), 1);

    SearchView search(m_context.get());
    connect(&search, &SidePanel::navigateToPosition, m_context.get(),
            &UserContext::navigateToPosition);
    connect(&search, &SidePanel::navigateToPage, m_context.get(), &UserContext::navigateToPage);
    QSignalSpy finished(viewer(), &TextViewer::finishedSearch);
    m_context->setSearchingText(QStringLiteral("Paragraph 3.1:"));
    search.show();
    QVERIFY(finished.wait(20000));
    QTRY_COMPARE(search.model()->rowCount(), 1);
    const QModelIndex hit = search.model()->index(0, 0);
    QCOMPARE(hit.data().toString(),
             QStringLiteral("Three, Page %1").arg(hit.data(SearchModel::PageRole).toInt()));
    QVERIFY(hit.data(SearchModel::TextRole).toString().contains(QStringLiteral("<b>Paragraph 3.1:</b>")));
    search.onResultsDoubleClick(hit);
    QVERIFY(ReadingFixture::waitForFile(viewer()));
    QTRY_COMPARE(viewer()->absolutePage(), hit.data(SearchModel::PageRole).toInt());
    QCOMPARE(viewer()->chapterIndex(), 2);

    // A page number is offered as a jump besides the text hits.
    search.searchEdit()->setText(QStringLiteral("2"));
    emit search.searchEdit()->search(QStringLiteral("2"));
    QVERIFY(finished.wait(20000));
    QTRY_VERIFY(search.model()->rowCount() >= 1);
    QCOMPARE(search.model()->index(0, 0).data(SearchModel::TextRole).toString(),
             QStringLiteral("Go to page 2"));
    search.onResultsDoubleClick(search.model()->index(0, 0));
    QVERIFY(ReadingFixture::waitForFile(viewer()));
    QTRY_COMPARE(viewer()->absolutePage(), 2);
}

// A word in every long paragraph of a book: the texts of its hits alone
// are more than the helper's first block holds, and every one is listed.
void tst_ReadingCompanions::everyHitReachesThePanel()
{
    constexpr int Chapters = 4;
    constexpr int Paragraphs = 60;
    const QString filler
            = QStringLiteral("the river ran quietly under the old stone bridge, ").repeated(60);
    ZipFixture::Epub epub;
    epub.title = QStringLiteral("Lanterns");
    epub.chapters.clear();
    epub.ncx.clear();
    for (int c = 1; c <= Chapters; ++c) {
        QString body = QStringLiteral("<h1>Chapter %1</h1>").arg(c);
        for (int p = 0; p < Paragraphs; ++p)
            body += QStringLiteral("<p>Lantern %1.%2: %3</p>").arg(c).arg(p).arg(filler);
        epub.chapters.append(body);
        epub.ncx += QStringLiteral("<navPoint id='n%1'><navLabel><text>Chapter %1</text>"
                                   "</navLabel><content src='ch%1.xhtml'/></navPoint>")
                            .arg(c);
    }
    BookDto book;
    book.fullPath = m_dir.filePath(QStringLiteral("Lanterns.epub"));
    book.title = epub.title;
    book.format = BookFormat::fromString(QStringLiteral("epub"));
    QVERIFY(epub.write(book.fullPath));
    book.id = BookProvider::instance()->addBook(book);
    QVERIFY(book.id > 0);
    QVERIFY(m_frame->openBook(BookProvider::instance()->findBookById(book.id)));
    QVERIFY(viewer());
    QVERIFY(viewer()->isLayoutReady()
            || QSignalSpy(viewer(), &TextViewer::loadFinished).wait(10000));
    QVERIFY(ReadingFixture::waitForPages(viewer()));
    const int pages = viewer()->totalPages();

    SearchView search(m_context.get());
    QSignalSpy finished(viewer(), &TextViewer::finishedSearch);
    m_context->setSearchingText(QStringLiteral("lantern"));
    search.show();
    QVERIFY(finished.wait(60000));
    const SearchModel *model = search.model();
    QTRY_COMPARE(model->rowCount(), Chapters * Paragraphs);
    QCOMPARE(viewer()->paginationClient()->droppedSearchHits(), 0);
    // In reading order, each on its page; the book's pages stay as they were.
    int lastPage = 1;
    for (int row = 0; row < model->rowCount(); ++row) {
        const QModelIndex hit = model->index(row, 0);
        const QString expected = QStringLiteral("<b>lantern</b> %1.%2:")
                                         .arg(row / Paragraphs + 1)
                                         .arg(row % Paragraphs);
        QVERIFY2(hit.data(SearchModel::TextRole).toString().startsWith(expected),
                 qPrintable(expected));
        const int page = hit.data(SearchModel::PageRole).toInt();
        QVERIFY(page >= lastPage && page <= pages);
        lastPage = page;
    }
    QCOMPARE(viewer()->totalPages(), pages);
    QVERIFY(!viewer()->isPaginating());
    // The next layout does not carry the hits back to the helper.
    QVERIFY(viewer()->paginationRequest().searchHits.isEmpty());
    QVERIFY(viewer()->paginationRequest().positions.size() < Chapters * Paragraphs);
}

VL_TEST_WIDGETS_MAIN(tst_ReadingCompanions)
#include "tst_readingcompanions.moc"
