#include "core/paths.h"
#include "formats/fb2/fbdescription.h"
#include "pagination/paginationclient.h"
#include "reader/booksidefiles.h"
#include "reader/pagenavigationpanel.h"
#include "reader/pagenavigationslider.h"
#include "reader/textviewer.h"
#include "tests/archive/sevenzipfixture.h"
#include "tests/archive/zipfixture.h"
#include "tests/support/testenvironment.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSharedMemory>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebSettings>

#include <csignal>
#include <memory>
#include <sys/types.h>

class tst_TextViewer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();

    void opensAndPaginates();
    void helperLaysOutWhileTheViewLoads();
    void reopensWhereItWasLeft();
    void notesAreShownAndRemoved();
    void searchTextIsQuoted();
    void fontAndSpacingStayInRange();
    void deadHelperIsRestartedOnce();
    void booksThatCannotBeOpened_data();
    void booksThatCannotBeOpened();
    void singleBookArchive_data();
    void singleBookArchive();
    void plainTextTakesStoredEncoding();

private:
    struct Opened
    {
        std::unique_ptr<TextViewer> viewer;
        QStringList messages;
    };

    static QString chapter(int number, int paragraphs);
    // Opens the book in a shown viewer and waits for the first page and,
    // when asked, for the pagination reply.
    bool open(const QString &path, Opened *opened, bool waitForPages = true);
    bool waitForPages(TextViewer *viewer);
    QJsonObject settingsOf(const QString &book);

    QTemporaryDir m_dir;
    QString m_book;
    // Filled by the tests that build on each other.
    int m_leftOnPage = 0;
    int m_fontSize = 0;
    QString m_notePath;
    // Shared by the search and the helper tests.
    Opened m_shared;
};

QString tst_TextViewer::chapter(int number, int paragraphs)
{
    QString body = QStringLiteral("<h1 id='h%1'>Chapter %1</h1>").arg(number);
    for (int i = 0; i < paragraphs; ++i) {
        body += QStringLiteral("<p>Paragraph %1.%2: the quick brown fox jumps over the lazy dog, "
                               "and the reader keeps turning the pages of this book.</p>")
                        .arg(number)
                        .arg(i);
    }
    return body;
}

void tst_TextViewer::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // The helper of the viewer is the one built beside the tests.
    QVERIFY(QFileInfo(PaginationClient::defaultProgram()).isExecutable());
    m_book = m_dir.filePath("Three Chapters.epub");
    ZipFixture::Epub epub;
    epub.chapters
            = QStringList { chapter(1, 40) + "<p id='said'>He would say \"hi\" to everyone.</p>",
                            chapter(2, 40), chapter(3, 40) };
    epub.ncx = "<navPoint id='a'><navLabel><text>One</text></navLabel>"
               "<content src='ch1.xhtml'/></navPoint>"
               "<navPoint id='b'><navLabel><text>Two</text></navLabel>"
               "<content src='ch2.xhtml#h2'/></navPoint>"
               "<navPoint id='c'><navLabel><text>Three</text></navLabel>"
               "<content src='ch3.xhtml'/></navPoint>";
    QVERIFY(epub.write(m_book));
}

void tst_TextViewer::cleanupTestCase()
{
    m_dir.setAutoRemove(!QTest::currentTestFailed());
}

bool tst_TextViewer::waitForPages(TextViewer *viewer)
{
    QSignalSpy paginated(viewer, &TextViewer::paginationFinished);
    return paginated.wait(20000);
}

bool tst_TextViewer::open(const QString &path, Opened *opened, bool waitForPages)
{
    BookDto book;
    book.fullPath = path;
    opened->viewer.reset(new TextViewer(book));
    TextViewer *viewer = opened->viewer.get();
    QStringList *messages = &opened->messages;
    viewer->setMessagePresenter(
            [messages](const QString &, const QString &text) { messages->append(text); });
    viewer->resize(700, 500);
    viewer->show();
    if (!QTest::qWaitForWindowExposed(viewer))
        return false;
    QSignalSpy loaded(viewer, &TextViewer::loadFinished);
    QSignalSpy paginated(viewer, &TextViewer::paginationFinished);
    if (!viewer->loadBookData())
        return false;
    if (loaded.isEmpty() && !loaded.wait(10000))
        return false;
    return !waitForPages || !paginated.isEmpty() || paginated.wait(20000);
}

QJsonObject tst_TextViewer::settingsOf(const QString &book)
{
    QJsonObject object;
    BookSideFiles::readObject(BookSideFiles(book).settingsPath(), &object);
    return object;
}

void tst_TextViewer::opensAndPaginates()
{
    Opened opened;
    QVERIFY(open(m_book, &opened));
    TextViewer *viewer = opened.viewer.get();
    QVERIFY(opened.messages.isEmpty());
    QVERIFY(viewer->isBookOpen());
    QVERIFY(!viewer->isPaginating());
    QCOMPARE(viewer->chapterFiles(), QStringList({ "ch1.xhtml", "ch2.xhtml", "ch3.xhtml" }));
    QVERIFY2(viewer->totalPages() >= 6, qPrintable(QString::number(viewer->totalPages())));
    for (const QString &file : viewer->chapterFiles())
        QVERIFY(viewer->paginationRequest().pageCounts.value(file) > 0);
    QCOMPARE(viewer->bookPageCount(), viewer->totalPages() * viewer->columnCount());
    QCOMPARE(viewer->pageNavigationPanel()->slider()->maximum(), viewer->bookPageCount());
    QCOMPARE(viewer->absolutePage(), 1);

    // The contents point at book-wide pages in reading order.
    const QList<TocItem> toc = viewer->readingState().tocList;
    QCOMPARE(toc.size(), 3);
    QCOMPARE(toc[0].source, QString("ch1.xhtml"));
    QCOMPARE(toc[0].page, 1);
    QVERIFY(toc[1].page > toc[0].page);
    QVERIFY(toc[2].page > toc[1].page);
    QVERIFY(toc[2].page <= viewer->bookPageCount());

    // A page of the last chapter: the right file, the right place in it.
    const int target = toc[2].page + viewer->columnCount();
    QSignalSpy loaded(viewer, &TextViewer::loadFinished);
    viewer->goToBookPage(target, true);
    QVERIFY(loaded.wait(10000));
    QCOMPARE(viewer->chapterIndex(), 2);
    QCOMPARE(viewer->absolutePage(), target - (viewer->columnCount() == 2 ? 1 - target % 2 : 0));
    QVERIFY(!viewer->readingState().savedPosition.isEmpty());

    // Nothing of the helper outlives the viewer.
    const QString key = viewer->paginationClient()->key();
    const qint64 helper = viewer->paginationClient()->helperProcessId();
    QVERIFY(helper > 0);
    opened.viewer.reset();
    QSharedMemory block(key);
    QVERIFY(!block.attach());
    QCOMPARE(::kill(pid_t(helper), 0), -1);
    m_leftOnPage = target;
}

// A view on the screen has its page size before its first file is there:
// the helper starts on the book at once, and the view, laid out in that
// size, does not ask again (which would start the whole book afresh).
void tst_TextViewer::helperLaysOutWhileTheViewLoads()
{
    BookDto book;
    book.fullPath = m_book;
    TextViewer viewer(book);
    viewer.setMessagePresenter(
            [](const QString &, const QString &text) { QFAIL(qPrintable(text)); });
    viewer.resize(700, 500);
    viewer.show();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QSignalSpy loaded(&viewer, &TextViewer::loadFinished);
    QSignalSpy paginated(&viewer, &TextViewer::paginationFinished);
    QVERIFY(viewer.loadBookData());
    QVERIFY(viewer.paginationClient()->isWaiting());
    const quint32 asked = viewer.paginationClient()->sequence();
    QVERIFY(loaded.count() > 0 || loaded.wait(10000));
    QVERIFY(paginated.count() > 0 || paginated.wait(20000));
    QCOMPARE(viewer.paginationClient()->sequence(), asked + 1);
    QCOMPARE(viewer.paginationRequest().pageSize, QSize(700, 500));
    QVERIFY(viewer.totalPages() >= 6);
}

void tst_TextViewer::reopensWhereItWasLeft()
{
    // The previous test left the book on a page of the last chapter.
    QVERIFY(m_leftOnPage > 0);
    const QJsonObject written = settingsOf(m_book);
    QCOMPARE(written.keys(), QStringList({ "FontSettings", "ReadingPosition" }));
    QVERIFY(written["ReadingPosition"].toObject()["Source"].toString().startsWith(
            "ch3.xhtml?vorpath="));

    Opened opened;
    QVERIFY(open(m_book, &opened));
    TextViewer *viewer = opened.viewer.get();
    QCOMPARE(viewer->chapterIndex(), 2);
    const int reopenedOn = viewer->absolutePage();
    QVERIFY2(qAbs(reopenedOn - m_leftOnPage) <= 1,
             qPrintable(QStringLiteral("%1 vs %2").arg(reopenedOn).arg(m_leftOnPage)));

    // A bookmark reaches the side file soon, without closing the book.
    QVERIFY(viewer->makeBookmark());
    QVERIFY(!viewer->makeBookmark());
    QTRY_VERIFY_WITH_TIMEOUT(settingsOf(m_book).contains("Bookmarks"), 5000);
    const QJsonArray items = settingsOf(m_book)["Bookmarks"].toObject()["Items"].toArray();
    QCOMPARE(items.size(), 1);
    QVERIFY(items[0].toObject()["Source"].toString().startsWith("ch3.xhtml?vorpath="));
    QVERIFY(!items[0].toObject()["Text"].toString().isEmpty());

    // A larger font re-paginates into more pages, and is kept.
    const int pagesBefore = viewer->totalPages();
    QSignalSpy paginated(viewer, &TextViewer::paginationFinished);
    m_fontSize = QWebSettings::globalSettings()->fontSize(QWebSettings::DefaultFontSize) + 1;
    viewer->increaseFont();
    QVERIFY(paginated.wait(20000));
    QVERIFY(viewer->totalPages() >= pagesBefore);

    // Where the viewer now reads, for the next test's note.
    QSignalSpy loaded(viewer, &TextViewer::loadFinished);
    viewer->navigateToPath("ch1.xhtml#content");
    QVERIFY(loaded.wait(10000));
    m_notePath = viewer->runScript("makeXPath(document.getElementById('said').firstChild);")
                         .toString();
    QVERIFY(m_notePath.endsWith("text()[1]"));
}

void tst_TextViewer::notesAreShownAndRemoved()
{
    QVERIFY(!m_notePath.isEmpty());
    QCOMPARE(settingsOf(m_book)["FontSettings"].toObject()["Size"].toInt(), m_fontSize);
    // Put a note into the side file as an earlier session would have.
    BookSideFiles files(m_book);
    QVERIFY(files.load());
    BookSideFiles::State state;
    state.position = files.readFontAndPosition(QString()).source;
    state.fontSize = m_fontSize;
    state.bookmarks = files.readBookmarks();
    Note note;
    note.chapter = "ch1.xhtml";
    note.startPath = m_notePath;
    note.endPath = m_notePath;
    note.startOffset = 3;
    note.endOffset = 8;
    note.color = QColor("#aed9f1");
    note.context = "would";
    note.date = QDateTime::currentDateTimeUtc();
    state.notes = { note };
    QVERIFY(files.write(state));

    BookDto book;
    book.fullPath = m_book;
    Opened opened;
    QVERIFY(open(m_book, &opened, false));
    TextViewer *viewer = opened.viewer.get();
    QCOMPARE(QWebSettings::globalSettings()->fontSize(QWebSettings::DefaultFontSize), m_fontSize);
    QCOMPARE(viewer->bookmarks().size(), 1);
    QCOMPARE(viewer->notes().size(), 1);
    const QString id = viewer->notes().first().id;
    const QString spans
            = QStringLiteral("document.getElementsByClassName('vor_note_id_%1').length;").arg(id);
    QCOMPARE(viewer->chapterIndex(), 0);
    QCOMPARE(viewer->runScript(spans).toInt(), 1);
    QCOMPARE(viewer->runScript("document.getElementsByClassName('vor_note')[0].textContent;")
                     .toString(),
             QString("would"));

    QSignalSpy counted(viewer, &TextViewer::notesCountChanged);
    QVERIFY(viewer->removeNote(id));
    QVERIFY(!viewer->removeNote(id));
    QCOMPARE(counted.count(), 1);
    QCOMPARE(counted.first().first().toInt(), 0);
    QCOMPARE(viewer->runScript(spans).toInt(), 0);
    QCOMPARE(viewer->runScript("document.getElementById('said').textContent;").toString(),
             QString("He would say \"hi\" to everyone."));
    QTRY_VERIFY_WITH_TIMEOUT(!settingsOf(m_book).contains("Notes"), 5000);
    QVERIFY(settingsOf(m_book).contains("Bookmarks"));
}

void tst_TextViewer::searchTextIsQuoted()
{
    QVERIFY(open(m_book, &m_shared));
    TextViewer *viewer = m_shared.viewer.get();
    QSignalSpy searched(viewer, &TextViewer::finishedSearch);
    viewer->onSearch("say \"hi\"");
    QVERIFY(searched.wait(20000));
    const QList<SearchResult> results = viewer->searchResults();
    QCOMPARE(results.size(), 1);
    QCOMPARE(results[0].extra, QString("ch1.xhtml#said"));
    QVERIFY(results[0].text.contains("<b>say &quot;hi&quot;</b>"));
    QVERIFY(results[0].page >= 1);
    QCOMPARE(results[0].position, 200000);
}

void tst_TextViewer::fontAndSpacingStayInRange()
{
    QVERIFY(m_shared.viewer);
    TextViewer *viewer = m_shared.viewer.get();
    QWebSettings *web = QWebSettings::globalSettings();
    const int size = web->fontSize(QWebSettings::DefaultFontSize);
    QSignalSpy reloads(viewer, &TextViewer::reloadBegin);

    web->setFontSize(QWebSettings::DefaultFontSize, 40);
    viewer->increaseFont();
    QCOMPARE(web->fontSize(QWebSettings::DefaultFontSize), 40);
    web->setFontSize(QWebSettings::DefaultFontSize, 8);
    viewer->decreaseFont();
    QCOMPARE(web->fontSize(QWebSettings::DefaultFontSize), 8);
    QCOMPARE(reloads.count(), 0);
    web->setFontSize(QWebSettings::DefaultFontSize, size);

    QCOMPARE(viewer->lineSpacing(), 100);
    viewer->decreaseLineSpacing();
    QCOMPARE(viewer->lineSpacing(), 100);
    for (int i = 0; i < 4; ++i)
        viewer->increaseLineSpacing();
    QCOMPARE(viewer->lineSpacing(), 250);
    QCOMPARE(reloads.count(), 3);
    QVERIFY(viewer->isPaginating());
    QSignalSpy paginated(viewer, &TextViewer::paginationFinished);
    QVERIFY(paginated.wait(20000));
}

void tst_TextViewer::deadHelperIsRestartedOnce()
{
    QVERIFY(m_shared.viewer);
    TextViewer *viewer = m_shared.viewer.get();
    const qint64 first = viewer->paginationClient()->helperProcessId();
    QVERIFY(first > 0);
    const int pages = viewer->totalPages();

    // The helper dies while it owes an answer: a fresh one gets the request.
    QSignalSpy paginated(viewer, &TextViewer::paginationFinished);
    viewer->restartPaginator();
    QVERIFY(viewer->isPaginating());
    QCOMPARE(::kill(pid_t(first), SIGKILL), 0);
    QVERIFY(paginated.wait(20000));
    const qint64 second = viewer->paginationClient()->helperProcessId();
    QVERIFY(second > 0);
    QVERIFY(second != first);
    QCOMPARE(viewer->totalPages(), pages);
    QVERIFY(!viewer->isPaginating());
    m_shared.viewer.reset();
}

void tst_TextViewer::booksThatCannotBeOpened_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("message");

    QTest::newRow("protected EPUB") << "protected.epub"
                                    << "Book file is protected. Book can not be opened.";
    QTest::newRow("damaged EPUB") << "damaged.epub"
                                  << "Ebook file is damaged. Book can not be opened.";
    QTest::newRow("EPUB without pages") << "empty.epub"
                                        << "Ebook file is damaged. Book can not be opened.";
    QTest::newRow("no reader for the suffix") << "scan.djvu" << QString();
    QTest::newRow("ZIP with two books")
            << "two.zip"
            << "Book file can not be opened: the archive must hold exactly one EPUB, MOBI, FB2 "
               "or TXT book.";
    QTest::newRow("no 7z archive")
            << "book.7z"
            << "Book file can not be opened: the archive is damaged or is no 7z archive.";
    QTest::newRow("encrypted 7z") << "locked.7z"
                                  << "Book file can not be opened: the archive is encrypted.";
    // More text than the reader takes: refused, and a small archive that
    // holds it is refused before it is unpacked.
    const QString tooLarge = "Book file is too large to be shown. Book can not be opened.";
    QTest::newRow("text book too large") << "huge.txt" << tooLarge;
    QTest::newRow("text book too large in a ZIP") << "huge.zip" << tooLarge;
    QTest::newRow("text book too large in a 7z") << "huge.7z" << tooLarge;
}

void tst_TextViewer::booksThatCannotBeOpened()
{
    QFETCH(QString, name);
    QFETCH(QString, message);
    const QString path = m_dir.filePath(name);
    if (name == "protected.epub") {
        ZipFixture::Epub epub;
        QList<ZipFixture::Entry> entries = epub.entries();
        for (ZipFixture::Entry &entry : entries) {
            if (entry.name.endsWith("ch1.xhtml"))
                entry.data = QByteArray("\x8f\x01\xfe encrypted \x00\x02", 17);
        }
        ZipFixture::Entry encryption;
        encryption.name = "META-INF/encryption.xml";
        encryption.data = "<?xml version=\"1.0\"?><encryption "
                          "xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"/>";
        entries.append(encryption);
        QVERIFY(ZipFixture::write(path, entries));
    } else if (name == "empty.epub") {
        ZipFixture::Epub epub;
        epub.chapters.clear();
        epub.ncx.clear();
        QVERIFY(epub.write(path));
    } else if (name == "two.zip") {
        QVERIFY(ZipFixture::write(path, { { "a.epub", "x" }, { "b.epub", "y" } }));
    } else if (name == "locked.7z") {
        QVERIFY(SevenZipFixture::make(path, { { "a.epub", "x" } }, { "-pSECRET" }));
    } else if (name.startsWith("huge.")) {
        const QByteArray line = "A line of a very long plain text book, over and over.\n";
        const QByteArray text = line.repeated(int(fb2::FbDescription::maximumFileSize()
                                                  / line.size() + 1));
        if (name.endsWith(".zip")) {
            QVERIFY(ZipFixture::write(path, { { "huge.txt", text } }));
            QVERIFY(QFileInfo(path).size() < 1024 * 1024);
        } else if (name.endsWith(".7z")) {
            QVERIFY(SevenZipFixture::make(path, { { "huge.txt", text } }, { "-mx1" }));
            QVERIFY(QFileInfo(path).size() < 1024 * 1024);
        } else {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QCOMPARE(file.write(text), text.size());
        }
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("this is no book at all");
    }

    BookDto book;
    book.fullPath = path;
    QStringList messages;
    auto viewer = std::make_unique<TextViewer>(book);
    viewer->setMessagePresenter([&messages](const QString &title, const QString &text) {
        QCOMPARE(title, QString("Error"));
        messages.append(text);
    });
    QSignalSpy began(viewer.get(), &TextViewer::loadBegin);
    QVERIFY(!viewer->loadBookData());
    QCOMPARE(began.count(), 1);
    QCOMPARE(messages, message.isEmpty() ? QStringList() : QStringList({ message }));
    QVERIFY(!viewer->isBookOpen());
    viewer.reset();
    QVERIFY(!QFile::exists(BookSideFiles(path).settingsPath()));
    // Nothing of a refused archive was unpacked.
    if (name == "huge.zip" || name == "huge.7z")
        QVERIFY(!QFile::exists(Paths::bookPath(path) + "/archive/huge.txt"));
}

void tst_TextViewer::singleBookArchive_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("ZIP") << "Packed.zip";
    QTest::newRow("7z") << "Packed.7z";
}

void tst_TextViewer::singleBookArchive()
{
    QFETCH(QString, name);
    const QString path = m_dir.filePath(name);
    QFile inner(m_book);
    QVERIFY(inner.open(QIODevice::ReadOnly));
    if (name.endsWith(".zip"))
        QVERIFY(ZipFixture::write(path, { { "Inner Book.epub", inner.readAll() } }));
    else
        QVERIFY(SevenZipFixture::make(path, { { "Inner Book.epub", inner.readAll() } }));

    Opened opened;
    QVERIFY(open(path, &opened, false));
    QVERIFY(opened.messages.isEmpty());
    QCOMPARE(opened.viewer->chapterFiles().size(), 3);
    QCOMPARE(opened.viewer->readingState().tocList.size(), 3);
    opened.viewer.reset();
    // The reading state belongs to the book the library knows: the archive.
    QVERIFY(settingsOf(path).contains("ReadingPosition"));
}

void tst_TextViewer::plainTextTakesStoredEncoding()
{
    const QString text = m_dir.filePath("Letters.TXT");
    const QString fiction = m_dir.filePath("Letters.fb2");
    QFile file(text);
    QVERIFY(file.open(QIODevice::WriteOnly));
    // "Привет, мир." in Windows-1251.
    const QByteArray greeting("\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0.\n");
    for (int i = 0; i < 50; ++i)
        file.write(greeting);
    file.close();
    QFile book(fiction);
    QVERIFY(book.open(QIODevice::WriteOnly));
    book.write("<?xml version=\"1.0\" encoding=\"utf-8\"?><FictionBook "
               "xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\"><body><section>"
               "<p>Plain words.</p></section></body></FictionBook>");
    book.close();
    BookSideFiles::State state;
    state.encoding = "Windows-1251";
    QVERIFY(BookSideFiles(text).write(state));
    QVERIFY(BookSideFiles(fiction).write(state));

    Opened opened;
    QVERIFY(open(text, &opened, false));
    QCOMPARE(opened.viewer->textEncoding(), QString("Windows-1251"));
    QVERIFY(opened.viewer->runScript("document.body.textContent;")
                    .toString()
                    .contains(QString::fromUtf8("Привет, мир.")));
    opened.viewer.reset();
    QCOMPARE(settingsOf(text)["FontSettings"].toObject()["Encoding"].toString(),
             QString("Windows-1251"));

    // Only a plain-text book has an encoding to choose.
    QVERIFY(open(fiction, &opened, false));
    QVERIFY(opened.viewer->textEncoding().isEmpty());
    QVERIFY(!opened.viewer->chapterFiles().isEmpty());
}

VL_TEST_WIDGETS_MAIN(tst_TextViewer)
#include "tst_textviewer.moc"
