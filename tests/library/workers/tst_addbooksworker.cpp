#include "tests/support/testenvironment.h"

#include "core/paths.h"
#include "core/settingsfile.h"
#include "library/db/bookprovider.h"
#include "library/workers/addbooksworker.h"
#include "library/workers/bookmetadata.h"
#include "tests/archive/rarfixture.h"
#include "tests/archive/sevenzipfixture.h"
#include "tests/archive/zipfixture.h"
#include "tests/comics/comicfixture.h"
#include "tests/document/picturefixture.h"
#include "tests/formats/mobi/mobiwriter.h"
#include "tests/pdf/pdffixture.h"
#include "widgets/handover/applicationhandover.h"
#include "widgets/handover/inputpasswordcontroller.h"
#include "widgets/handover/messageboxcontroller.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>

Q_DECLARE_METATYPE(PasswordAnswer)

namespace {

// Everything a run told its owner, in the order it arrived.
struct Run
{
    QStringList events;
    QStringList messages;
    QList<int> progress;
    int total = -1;
    int completeCount = -1;
    int error = -1;
};

QString stateName(WorkerStates state)
{
    return QStringLiteral("state %1").arg(int(state));
}

// Starts the worker, collects its queued signals on this thread and waits
// for done(). prepare may add direct connections (they run on the worker's
// thread) before the start.
Run runWorker(AddBooksWorker &worker,
              const std::function<void(AddBooksWorker &)> &prepare = nullptr)
{
    Run run;
    QObject context;
    QObject::connect(&worker, &AddBooksWorker::stateChanged, &context,
                     [&](WorkerStates state) { run.events << stateName(state); });
    QObject::connect(&worker, &AddBooksWorker::started, &context,
                     [&] { run.events << QStringLiteral("started"); });
    QObject::connect(&worker, &AddBooksWorker::progressChanged, &context,
                     [&](int value, int total) {
                         run.progress << value;
                         run.total = total;
                     });
    QObject::connect(&worker, &AddBooksWorker::progressMessage, &context,
                     [&](const QString &message) {
                         run.messages << message;
                         if (message.startsWith(QLatin1String("Scan folder")))
                             run.events << QStringLiteral("scan");
                     });
    QObject::connect(&worker, &AddBooksWorker::complete, &context, [&](int count) {
        run.completeCount = count;
        run.events << QStringLiteral("complete %1").arg(count);
    });
    QObject::connect(&worker, &AddBooksWorker::failed, &context, [&](AddBooksErrors error) {
        run.error = int(error);
        run.events << QStringLiteral("failed %1").arg(int(error));
    });
    QSignalSpy done(&worker, &AddBooksWorker::done);
    QObject::connect(&worker, &AddBooksWorker::done, &context,
                     [&] { run.events << QStringLiteral("done"); });
    if (prepare)
        prepare(worker);
    worker.start();
    if (!done.wait(20000))
        qWarning() << "the worker did not finish";
    worker.wait();
    // Deliver what is still queued behind done().
    QCoreApplication::processEvents();
    return run;
}

Run addBooks(const QStringList &paths,
             const std::function<void(AddBooksWorker &)> &prepare = nullptr)
{
    QList<QFileInfo> inputs;
    for (const QString &path : paths)
        inputs << QFileInfo(path);
    AddBooksWorker worker(inputs);
    return runWorker(worker, prepare);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

bool writeEpub(const QString &path, const QString &title, const QString &author = QString())
{
    QDir().mkpath(QFileInfo(path).path());
    ZipFixture::Epub epub;
    epub.title = title;
    epub.author = author;
    return epub.write(path);
}

// Marked as encrypted, with a first spine document that is no XML.
bool writeProtectedEpub(const QString &path)
{
    ZipFixture::Epub epub;
    epub.chapters.clear();
    epub.ncx = QString();
    epub.manifest = QStringLiteral(
            "<item id=\"x\" href=\"locked.xhtml\" media-type=\"application/xhtml+xml\"/>");
    epub.spine = QStringLiteral("<itemref idref=\"x\"/>");
    epub.extra = { { QStringLiteral("META-INF/encryption.xml"),
                     "<encryption xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\"/>" },
                   { QStringLiteral("OEBPS/locked.xhtml"), QByteArray("\x13\x88\x01\xfe<<&", 8) } };
    return epub.write(path);
}

QByteArray epubBytes(const QString &title)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("b.epub"));
    writeEpub(path, title, QStringLiteral("Zed"));
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

QStringList bookRows()
{
    QStringList rows;
    const QList<BookDto> books = BookProvider::instance()->allBooks();
    for (const BookDto &book : books) {
        rows << QStringLiteral("%1|%2|%3|%4|%5|%6")
                        .arg(book.id)
                        .arg(book.format)
                        .arg(book.title, book.author, book.fullPath, book.cover);
    }
    rows.sort();
    return rows;
}

BookDto bookTitled(const QString &title)
{
    const QList<BookDto> books = BookProvider::instance()->allBooks();
    for (const BookDto &book : books) {
        if (book.title == title)
            return book;
    }
    return BookDto();
}

QStringList tmpFolders()
{
    return QDir(Paths::tmpDir()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
}

} // namespace

class TestAddBooksWorker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void emptyRunSignalOrder();
    void folderWithoutBooks();
    void addsFolderOnceAndSkipsBadBooks();
    void coversAreReadToACoversSize();
    void twoAddsAtOnceStoreEachBookOnce();
    void addBookFile_data();
    void addBookFile();
    void drmProtected();
    void sevenZipBooks_data();
    void sevenZipBooks();
    void comics_data();
    void comics();
    void pdfBooks_data();
    void pdfBooks();
    void pdfPasswordSkips_data();
    void pdfPasswordSkips();
    void cancelBetweenBooks();
    void cancelDuringScan();
    void cancelBeforeStart();

private:
    QTemporaryDir m_dir;
};

void TestAddBooksWorker::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(BookProvider::instance()->createConnection(),
             qPrintable(BookProvider::instance()->lastError()));
}

void TestAddBooksWorker::init()
{
    BookProvider *provider = BookProvider::instance();
    QVERIFY(provider->restoreAllFromTrash());
    QVERIFY(provider->clearLibrary());
    QVERIFY(provider->clearTrash());
    QCOMPARE(provider->bookCountAll(), 0);
}

void TestAddBooksWorker::emptyRunSignalOrder()
{
    const Run run = addBooks({});
    QCOMPARE(run.events,
             (QStringList { "state 1", "started", "state 2", "state 0", "complete 0", "done" }));
    QCOMPARE(AddBooksWorker::errorText(AddBooksErrors::NoError), QStringLiteral("No error"));
    QCOMPARE(AddBooksWorker::errorText(AddBooksErrors::Canceled),
             QStringLiteral("Operation has been canceled"));
}

void TestAddBooksWorker::folderWithoutBooks()
{
    const QString folder = m_dir.filePath(QStringLiteral("nothing"));
    QVERIFY(writeFile(folder + QStringLiteral("/letter.docx"), "not a book"));
    const Run run = addBooks({ folder });
    QCOMPARE(run.events,
             (QStringList { "state 1", "started", "scan", "state 2", "state 0", "complete 0",
                            "done" }));
    QCOMPARE(run.messages, QStringList { QStringLiteral("Scan folder... %1").arg(folder) });
}

void TestAddBooksWorker::addsFolderOnceAndSkipsBadBooks()
{
    const QString folder = m_dir.filePath(QStringLiteral("shelf"));
    QVERIFY(QDir().mkpath(folder));
    const QByteArray png = mobitest::picture(12, 16, "PNG");

    ZipFixture::Epub good;
    good.title = QStringLiteral("Good Book");
    good.author = QStringLiteral("Ann Author");
    good.metadata = QStringLiteral(
            "<dc:creator>Bob Second</dc:creator><dc:description>About it</dc:description>"
            "<dc:language>en</dc:language><dc:identifier>id-1</dc:identifier>"
            "<dc:subject>Sea</dc:subject><dc:subject>Ships</dc:subject>"
            "<meta name=\"cover\" content=\"cover-img\"/>");
    good.manifest = QStringLiteral(
            "<item id=\"cover-img\" href=\"cover.png\" media-type=\"image/png\"/>");
    good.extra = { { QStringLiteral("OEBPS/cover.png"), png } };
    QVERIFY(good.write(folder + QStringLiteral("/good.epub")));
    QVERIFY(writeEpub(folder + QStringLiteral("/sub/deeper/Novel.EPUB"), QStringLiteral("Novel")));
    QVERIFY(writeEpub(folder + QStringLiteral("/.hidden/secret.epub"), QStringLiteral("Hidden")));
    QVERIFY(writeEpub(folder + QStringLiteral("/.dot.epub"), QStringLiteral("Dot")));
    QVERIFY(writeFile(folder + QStringLiteral("/b.docx"), "not a book"));
    QVERIFY(writeFile(folder + QStringLiteral("/notes.txt"), "Plain words.\n"));
    const QByteArray fb2
            = QByteArrayLiteral(
                      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FictionBook "
                      "xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
                      "xmlns:l=\"http://www.w3.org/1999/xlink\"><description><title-info>"
                      "<genre>sf</genre><genre>adventure</genre><author><first-name>Fay</"
                      "first-name>"
                      "<middle-name>B</middle-name><last-name>Writer</last-name></author>"
                      "<book-title>Fb Title</book-title><coverpage><image l:href=\"#cover.png\"/>"
                      "</coverpage><lang>ru</lang></title-info><document-info><id>doc-7</id>"
                      "</document-info><publish-info><publisher>Fb Press</publisher></publish-info>"
                      "</description><body><section><p>Hello</p></section></body>"
                      "<binary id=\"cover.png\" content-type=\"image/png\">")
            + png.toBase64() + QByteArrayLiteral("</binary></FictionBook>\n");
    QVERIFY(writeFile(folder + QStringLiteral("/sub/tale.fb2"), fb2));
    QVERIFY(writeFile(folder + QStringLiteral("/broken.epub"), "PK\x03\x04 cut short"));

    mobitest::MobiLayout mobi;
    mobi.text = "<html><body><p>Text</p></body></html>";
    mobi.fullName = "Mobi Title";
    mobi.exth = { { 100, "Mo Author" }, { 101, "Mo Press" }, { 103, "Sea tale" } };
    mobi.pictures = { png };
    QVERIFY(writeFile(folder + QStringLiteral("/book.mobi"), mobitest::makeMobi(mobi)));
    mobi.identifier = "TEXt";
    QVERIFY(writeFile(folder + QStringLiteral("/plain.prc"), mobitest::makeMobi(mobi)));

    QVERIFY(ZipFixture::write(folder + QStringLiteral("/single.zip"),
                              { { QStringLiteral("story.epub"), epubBytes("Zipped Story") } }));
    QVERIFY(ZipFixture::write(folder + QStringLiteral("/two.zip"),
                              { { QStringLiteral("one.epub"), epubBytes("One") },
                                { QStringLiteral("two.epub"), epubBytes("Two") } }));
    QVERIFY(ZipFixture::write(folder + QStringLiteral("/evil.zip"),
                              { { QStringLiteral("../evil.epub"), epubBytes("Evil") } }));

    const QStringList tmpBefore = tmpFolders();
    const Run first = addBooks({ folder });
    QCOMPARE(first.events.first(), QStringLiteral("state 1"));
    QCOMPARE(first.events.last(), QStringLiteral("done"));
    QCOMPARE(first.total, 10);
    QCOMPARE(first.progress, (QList<int> { 1, 2, 3, 4, 5, 6, 7, 8, 9, 10 }));
    QCOMPARE(first.completeCount, 6);
    QVERIFY(first.messages.at(3).startsWith(QLatin1String("3 of 10 is being added. ")));

    QCOMPARE(BookProvider::instance()->bookCountAll(), 6);
    BookProvider *provider = BookProvider::instance();

    const BookDto epub = bookTitled(QStringLiteral("Good Book"));
    QCOMPARE(epub.format, 0);
    QCOMPARE(epub.author, QStringLiteral("Ann Author"));
    QCOMPARE(epub.fullPath, QDir(folder).absoluteFilePath(QStringLiteral("good.epub")));
    QVERIFY(epub.timeAdded > 0);
    QVERIFY2(QFileInfo(epub.cover).isFile(), qPrintable(epub.cover));
    QVERIFY(epub.cover.startsWith(Paths::bookPath(epub.fullPath)));
    QCOMPARE(provider->getMetaData(epub.id, 0), QStringLiteral("id-1"));
    QCOMPARE(provider->getMetaData(epub.id, 1), QStringLiteral("Good Book"));
    QCOMPARE(provider->getMetaData(epub.id, 2), QStringLiteral("Ann Author Bob Second"));
    QCOMPARE(provider->getMetaData(epub.id, 4), QStringLiteral("Sea Ships"));
    QCOMPARE(provider->getMetaData(epub.id, 6), QStringLiteral("About it"));
    QCOMPARE(provider->getMetaData(epub.id, 10), QStringLiteral("en"));
    QVERIFY(provider->getMetaData(epub.id, 3).isNull());

    const BookDto novel = bookTitled(QStringLiteral("Novel"));
    QCOMPARE(novel.format, 0);
    QCOMPARE(novel.author, QStringLiteral("Unknown"));

    const BookDto mobiBook = bookTitled(QStringLiteral("Mobi Title"));
    QCOMPARE(mobiBook.format, 1);
    QCOMPARE(mobiBook.author, QStringLiteral("Mo Author"));
    QCOMPARE(mobiBook.cover, Paths::bookPath(mobiBook.fullPath) + QStringLiteral("/cover.png"));
    QCOMPARE(QImage(mobiBook.cover).size(), QSize(12, 16));
    QCOMPARE(provider->getMetaData(mobiBook.id, 5), QStringLiteral("Mo Press"));
    QCOMPARE(provider->getMetaData(mobiBook.id, 6), QStringLiteral("Sea tale"));

    const BookDto fiction = bookTitled(QStringLiteral("Fb Title"));
    QCOMPARE(fiction.format, 2);
    QCOMPARE(fiction.author, QStringLiteral("Fay B Writer"));
    QCOMPARE(QImage(fiction.cover).size(), QSize(12, 16));
    QCOMPARE(provider->getMetaData(fiction.id, 0), QStringLiteral("doc-7"));
    QCOMPARE(provider->getMetaData(fiction.id, 5), QStringLiteral("Fb Press"));
    QCOMPARE(provider->getMetaData(fiction.id, 7), QStringLiteral("sf adventure"));
    QCOMPARE(provider->getMetaData(fiction.id, 10), QStringLiteral("ru"));

    const BookDto text = bookTitled(QStringLiteral("notes"));
    QCOMPARE(text.format, 8);
    QVERIFY(text.cover.isEmpty());

    // The book inside the ZIP is stored, unpacked under the temporary folder.
    const BookDto zipped = bookTitled(QStringLiteral("Zipped Story"));
    QCOMPARE(zipped.format, 0);
    QVERIFY(zipped.fullPath.startsWith(Paths::tmpDir() + QLatin1Char('/')));
    QVERIFY(zipped.fullPath.endsWith(QLatin1String("/story.epub")));
    QVERIFY(QFileInfo(zipped.fullPath).isFile());
    QCOMPARE(QFileInfo(zipped.fullPath).dir().dirName().size(), 32);
    // Nothing of the hostile or several-book archives remains; no entry
    // landed outside its folder.
    QCOMPARE(tmpFolders().size(), tmpBefore.size() + 1);
    QVERIFY(!QFileInfo::exists(QFileInfo(Paths::tmpDir()).path() + QStringLiteral("/evil.epub")));
    // A rejected book leaves no storage folder behind.
    QVERIFY(!QFileInfo::exists(Paths::booksDir() + QLatin1Char('/')
                               + Paths::hashHex(folder + QStringLiteral("/broken.epub"))));

    QCOMPARE(SettingsFile::create()->value(QStringLiteral("last_open_book")).toString().isEmpty(),
             false);

    // The same folder again adds nothing and leaves every row as it was.
    const QStringList rows = bookRows();
    const Run second = addBooks({ folder });
    QCOMPARE(second.completeCount, 0);
    QCOMPARE(second.total, 10);
    QCOMPARE(bookRows(), rows);
    QCOMPARE(tmpFolders().size(), tmpBefore.size() + 1);
}

void TestAddBooksWorker::coversAreReadToACoversSize()
{
    const QString folder = m_dir.filePath(QStringLiteral("covers"));
    QVERIFY(QDir().mkpath(folder));
    const auto writeCovered = [&](const QString &title, const QByteArray &picture) {
        ZipFixture::Epub book;
        book.title = title;
        book.metadata = QStringLiteral("<meta name=\"cover\" content=\"cover-img\"/>");
        book.manifest = QStringLiteral(
                "<item id=\"cover-img\" href=\"cover.png\" media-type=\"image/png\"/>");
        book.extra = { { QStringLiteral("OEBPS/cover.png"), picture } };
        return book.write(folder + QLatin1Char('/') + title + QStringLiteral(".epub"));
    };
    // A few bytes that claim 23000 x 23000 pixels: gigabytes if trusted.
    QVERIFY(writeCovered(QStringLiteral("Bomb"), PictureFixture::pngClaiming(23000, 23000)));
    QVERIFY(writeCovered(QStringLiteral("Large"), mobitest::picture(1200, 1800, "JPG")));
    const Run run = addBooks({ folder });
    QCOMPARE(run.completeCount, 2);

    const BookDto bomb = bookTitled(QStringLiteral("Bomb"));
    QVERIFY(bomb.id > 0);
    QVERIFY(bomb.cover.isEmpty());
    const BookDto large = bookTitled(QStringLiteral("Large"));
    QCOMPARE(QImage(large.cover).size(), QSize(600, 900));
    // The views read any cover file through the same bounded reader.
    QVERIFY(BookMetadata::readCover(Paths::bookPath(bomb.fullPath)
                                    + QStringLiteral("/OEBPS/cover.png"))
                    .isNull());
    QCOMPARE(BookMetadata::readCover(large.cover, QSize(60, 60)).size(), QSize(40, 60));
}

void TestAddBooksWorker::twoAddsAtOnceStoreEachBookOnce()
{
    // Two windows add one folder at the same time: every book gets one row,
    // and neither run removes what the other stored.
    const QString folder = m_dir.filePath(QStringLiteral("race"));
    const QByteArray png = mobitest::picture(12, 16, "PNG");
    constexpr int Books = 12;
    for (int i = 0; i < Books; ++i) {
        ZipFixture::Epub book;
        book.title = QStringLiteral("Race %1").arg(i);
        book.metadata = QStringLiteral("<meta name=\"cover\" content=\"cover-img\"/>");
        book.manifest = QStringLiteral(
                "<item id=\"cover-img\" href=\"cover.png\" media-type=\"image/png\"/>");
        book.extra = { { QStringLiteral("OEBPS/cover.png"), png } };
        QDir().mkpath(folder);
        QVERIFY(book.write(folder + QStringLiteral("/race%1.epub").arg(i)));
    }
    const int before = BookProvider::instance()->bookCountAll();
    AddBooksWorker first({ QFileInfo(folder) });
    AddBooksWorker second({ QFileInfo(folder) });
    QSignalSpy firstDone(&first, &AddBooksWorker::done);
    QSignalSpy secondDone(&second, &AddBooksWorker::done);
    first.start();
    second.start();
    QVERIFY(firstDone.wait(20000) || !firstDone.isEmpty());
    QVERIFY(!secondDone.isEmpty() || secondDone.wait(20000));
    first.wait();
    second.wait();
    QCoreApplication::processEvents();

    QCOMPARE(BookProvider::instance()->bookCountAll(), before + Books);
    for (int i = 0; i < Books; ++i) {
        const BookDto book = bookTitled(QStringLiteral("Race %1").arg(i));
        QVERIFY(book.id > 0);
        QVERIFY2(QImage(book.cover).size() == QSize(12, 16), qPrintable(book.cover));
    }
}

void TestAddBooksWorker::addBookFile_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("added");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("format");

    const QByteArray epub = epubBytes(QStringLiteral("Upper"));
    QTest::newRow("suffix in capitals") << "Upper.EPUB" << epub << true << "Upper" << 0;
    QTest::newRow("suffix after the book's") << "novel.epub.bak" << epub << false << "" << -1;
    QTest::newRow("unknown suffix") << "letter.docx" << QByteArray("text") << false << "" << -1;
    QTest::newRow("djvu has no reader") << "scan.djvu" << QByteArray("AT&T") << false << "" << -1;
    QTest::newRow("missing file") << "" << QByteArray() << false << "" << -1;
    QTest::newRow("text title up to the first dot")
            << "my.first.book.txt" << QByteArray("words") << true << "my" << 8;
    QTest::newRow("not a zip") << "fake.zip" << QByteArray("PK nothing") << false << "" << -1;
}

void TestAddBooksWorker::addBookFile()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QFETCH(bool, added);

    const QString folder = m_dir.filePath(QStringLiteral("single/%1").arg(QTest::currentDataTag()));
    const QString path
            = folder + QLatin1Char('/') + (name.isEmpty() ? QStringLiteral("gone.epub") : name);
    if (!name.isEmpty())
        QVERIFY(writeFile(path, content));

    AddBooksWorker worker({});
    QCOMPARE(worker.addBookFile(path), added);
    QCOMPARE(BookProvider::instance()->bookCountAll(), added ? 1 : 0);
    if (!added) {
        QCOMPARE(worker.lastBookId(), -1);
        return;
    }
    const BookDto book = BookProvider::instance()->findBookByPath(path);
    QCOMPARE(worker.lastBookId(), book.id);
    QTEST(book.title, "title");
    QTEST(book.format, "format");
    // Already in the library: not again.
    QVERIFY(!worker.addBookFile(path));
    QCOMPARE(BookProvider::instance()->bookCountAll(), 1);
}

void TestAddBooksWorker::drmProtected()
{
    const QString folder = m_dir.filePath(QStringLiteral("drm"));
    QVERIFY(writeEpub(folder + QStringLiteral("/a.epub"), QStringLiteral("A")));
    QVERIFY(writeProtectedEpub(folder + QStringLiteral("/locked.epub")));
    QVERIFY(writeEpub(folder + QStringLiteral("/c.epub"), QStringLiteral("C")));

    const Run alone = addBooks({ folder + QStringLiteral("/locked.epub") });
    QCOMPARE(alone.error, int(AddBooksErrors::DrmProtected));
    QCOMPARE(alone.events.mid(alone.events.size() - 3),
             (QStringList { "state 0", "failed 3", "done" }));
    QCOMPARE(BookProvider::instance()->bookCountAll(), 0);
    QCOMPARE(AddBooksWorker::errorText(AddBooksErrors::DrmProtected),
             QStringLiteral("Book is DRM protected"));

    const Run among = addBooks({ folder + QStringLiteral("/a.epub"),
                                 folder + QStringLiteral("/locked.epub"),
                                 folder + QStringLiteral("/c.epub") });
    QCOMPARE(among.error, -1);
    QCOMPARE(among.completeCount, 2);
}

void TestAddBooksWorker::sevenZipBooks_data()
{
    using SevenZipFixture::File;
    QTest::addColumn<QList<File>>("files");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("title"); // empty: not added
    QTest::addColumn<int>("format");

    mobitest::MobiLayout mobi;
    mobi.text = "<html><body><p>Text</p></body></html>";
    mobi.fullName = "Packed Mobi";
    const QByteArray fb2 = "<?xml version=\"1.0\"?><FictionBook><description><title-info>"
                           "<book-title>Packed Tale</book-title></title-info></description>"
                           "<body><section><p>Hello</p></section></body></FictionBook>";
    QTest::newRow("EPUB") << QList<File> { { "Story.EPUB", epubBytes("Packed Story") } }
                          << QStringList() << "Packed Story" << 0;
    QTest::newRow("MOBI") << QList<File> { { "book.mobi", mobitest::makeMobi(mobi) } }
                          << QStringList() << "Packed Mobi" << 1;
    QTest::newRow("FB2 below folders") << QList<File> { { "shelf/tales/tale.fb2", fb2 } }
                                       << QStringList() << "Packed Tale" << 2;
    QTest::newRow("TXT") << QList<File> { { "notes.txt", "a few words" } } << QStringList()
                         << "notes" << 8;
    QTest::newRow("two books") << QList<File> { { "a.epub", epubBytes("A") },
                                                { "b.epub", epubBytes("B") } }
                               << QStringList() << QString() << -1;
    QTest::newRow("name without suffix")
            << QList<File> { { "README", "words" } } << QStringList() << QString() << -1;
    QTest::newRow("name leading outside")
            << QList<File> { { "../escaped.epub", epubBytes("Escaped") } } << QStringList { "-spf" }
            << QString() << -1;
    QTest::newRow("encrypted") << QList<File> { { "a.epub", epubBytes("Locked") } }
                               << QStringList { "-pSECRET" } << QString() << -1;
    QTest::newRow("encrypted names") << QList<File> { { "a.epub", epubBytes("Locked") } }
                                     << QStringList { "-pSECRET", "-mhe=on" } << QString() << -1;
    QTest::newRow("truncated") << QList<File> { { "a.epub", epubBytes("Cut") } }
                               << QStringList { "truncate" } << QString() << -1;
}

// A book packed alone in a .7z is stored as the book inside it; any other
// archive adds nothing and leaves nothing behind.
void TestAddBooksWorker::sevenZipBooks()
{
    using SevenZipFixture::File;
    QFETCH(QList<File>, files);
    QFETCH(QStringList, switches);
    QFETCH(QString, title);
    QFETCH(int, format);

    const QString folder = m_dir.filePath(QStringLiteral("7z/%1").arg(QTest::currentDataTag()));
    const QString path = folder + QStringLiteral("/packed.7z");
    const bool truncate = switches.removeAll(QStringLiteral("truncate")) > 0;
    QVERIFY(SevenZipFixture::make(path, files, switches));
    if (truncate) {
        QVERIFY(SevenZipFixture::truncatedCopy(path, path + QStringLiteral(".cut"),
                                               QFileInfo(path).size() - 20));
        QVERIFY(QFile::remove(path));
        QVERIFY(QFile::rename(path + QStringLiteral(".cut"), path));
    }
    QFile::remove(folder + QStringLiteral("/escaped.epub"));
    const QStringList tmpBefore = tmpFolders();

    AddBooksWorker worker({});
    QCOMPARE(worker.addBookFile(path), !title.isEmpty());
    if (title.isEmpty()) {
        QCOMPARE(BookProvider::instance()->bookCountAll(), 0);
        QCOMPARE(tmpFolders(), tmpBefore);
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/escaped.epub")));
        QVERIFY(!QFileInfo::exists(QFileInfo(Paths::tmpDir()).path()
                                   + QStringLiteral("/escaped.epub")));
        return;
    }
    const BookDto book = bookTitled(title);
    QCOMPARE(book.format, format);
    QVERIFY(book.fullPath.startsWith(Paths::tmpDir() + QLatin1Char('/')));
    QVERIFY(book.fullPath.endsWith(QLatin1Char('/') + files.first().name));
    QVERIFY(QFileInfo(book.fullPath).isFile());
    // The same archive again: its unpacked book is in the library already.
    QVERIFY(!worker.addBookFile(path));
    QCOMPARE(BookProvider::instance()->bookCountAll(), 1);
}

void TestAddBooksWorker::comics_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("title");

    const auto comic = [](const QString &name) {
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        ComicFixture::write(
                path,
                { { QStringLiteral("ComicInfo.xml"), "<ComicInfo/>" },
                  { QStringLiteral("002.png"), ComicFixture::page(2, { 200, 300 }) },
                  { QStringLiteral("001.jpg"), ComicFixture::page(1, { 200, 300 }, "JPG") } });
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    };
    QTest::newRow("CBZ") << "Sea_Tales_Vol.2.cbz" << comic(QStringLiteral("x.cbz"))
                         << "Sea Tales Vol";
    QTest::newRow("CBR") << "Sea_Tales.cbr" << comic(QStringLiteral("x.cbr")) << "Sea Tales";
    QTest::newRow("CBR named CBZ") << "Wrong.cbz" << comic(QStringLiteral("x.cbr")) << "";
    QTest::newRow("no pictures") << "Empty.cbr" << RarFixture::Archive().bytes() << "";
}

// A comic is stored with its file name as title and its first page,
// 190 pixels high, as the cover; one that cannot be shown is not stored
// and leaves no storage folder.
void TestAddBooksWorker::comics()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, title);
    const QString path = m_dir.filePath(QStringLiteral("comics/") + name);
    QVERIFY(writeFile(path, bytes));

    AddBooksWorker worker({});
    QCOMPARE(worker.addBookFile(path), !title.isEmpty());
    if (title.isEmpty()) {
        QCOMPARE(BookProvider::instance()->bookCountAll(), 0);
        QVERIFY(!QFileInfo::exists(Paths::booksDir() + QLatin1Char('/') + Paths::hashHex(path)));
        return;
    }
    const BookDto book = BookProvider::instance()->findBookByPath(path);
    QCOMPARE(book.title, title);
    QCOMPARE(book.format, name.endsWith(QLatin1String("cbz")) ? 6 : 7);
    QVERIFY(book.author.isEmpty());
    QCOMPARE(book.cover, Paths::bookPath(path) + QStringLiteral("/cover.png"));
    const QImage cover(book.cover);
    QCOMPARE(cover.size(), QSize(127, 190));
    QCOMPARE(ComicFixture::pageOf(cover), 1);
    // Only the cover stays in the storage folder: no extracted page.
    QCOMPARE(QDir(Paths::bookPath(path)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList { QStringLiteral("cover.png") });
}

namespace {

// The application's password hand-over for one test: prompts are answered
// on this thread from a list, message boxes closed at once.
struct PasswordDesk
{
    InputPasswordController passwords;
    MessageBoxController messages;
    QList<PasswordAnswer> answers;
    int prompts = 0;
    int boxes = 0;

    PasswordDesk()
    {
        QObject::connect(&passwords, &InputPasswordController::onRequest, &passwords,
                         [this](bool checkSkip) {
                             ++prompts;
                             // The library's prompt offers to skip.
                             QVERIFY(checkSkip);
                             passwords.answer(answers.isEmpty() ? PasswordAnswer()
                                                                : answers.takeFirst());
                         });
        QObject::connect(&messages, &MessageBoxController::showMessage, &messages, [this] {
            ++boxes;
            messages.setPending(0);
        });
        Handover::setApplicationControllers(&passwords, &messages);
    }
    ~PasswordDesk() { Handover::setApplicationControllers(nullptr, nullptr); }
};

PasswordAnswer answered(const QString &password, bool skip = false, bool skipAll = false)
{
    PasswordAnswer answer;
    answer.accepted = true;
    answer.password = password;
    answer.skip = skip;
    answer.skipAll = skipAll;
    return answer;
}

QString protectedPdf(const QString &path)
{
    const QString plain = path + QStringLiteral(".plain");
    pdffixture::writeTextPdf(plain, 2, QStringLiteral("Locked Title"));
    pdffixture::Changes changes;
    changes.userPassword = QStringLiteral("secret");
    pdffixture::rewrite(plain, path, changes);
    QFile::remove(plain);
    return path;
}

} // namespace

void TestAddBooksWorker::pdfBooks_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QList<PasswordAnswer>>("answers");
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("author");
    QTest::addColumn<bool>("cover");

    QTest::newRow("title, author and cover")
            << "full" << QList<PasswordAnswer>() << true << "A Sea Voyage"
            << "Ann Author" << true;
    QTest::newRow("no title: the file name up to its first dot")
            << "untitled" << QList<PasswordAnswer>() << true << "my"
            << "" << true;
    QTest::newRow("damaged: not stored") << "damaged" << QList<PasswordAnswer>() << false << ""
                                         << "" << false;
    QTest::newRow("protected, wrong then right password")
            << "protected" << QList<PasswordAnswer> { answered("no"), answered("secret") } << true
            << "Locked Title"
            << "" << true;
    QTest::newRow("protected, prompt closed: stored by its name")
            << "protected" << QList<PasswordAnswer> { PasswordAnswer() } << true << "locked"
            << "" << false;
    QTest::newRow("protected, SKIP: not stored")
            << "protected" << QList<PasswordAnswer> { answered(QString(), true) } << false << ""
            << "" << false;
}

// A PDF book gets its title (or its file name), author, creator and
// producer, and its first page 190 pixels high as the cover.
void TestAddBooksWorker::pdfBooks()
{
    QFETCH(QString, kind);
    QFETCH(QList<PasswordAnswer>, answers);
    QFETCH(bool, stored);
    QFETCH(QString, title);
    QFETCH(QString, author);
    QFETCH(bool, cover);

    const QString folder = m_dir.filePath(QStringLiteral("pdf/") + QTest::currentDataTag());
    QVERIFY(QDir().mkpath(folder));
    QString path;
    if (kind == QLatin1String("full")) {
        path = folder + QStringLiteral("/voyage.pdf");
        const QString plain = folder + QStringLiteral("/plain.tmp");
        QVERIFY(pdffixture::writeTextPdf(plain, 3, QStringLiteral("A Sea Voyage")));
        pdffixture::Changes changes;
        changes.author = QStringLiteral("Ann Author");
        QVERIFY(pdffixture::rewrite(plain, path, changes));
    } else if (kind == QLatin1String("untitled")) {
        path = folder + QStringLiteral("/my.first.book.pdf");
        QVERIFY(pdffixture::writeTextPdf(path, 2));
    } else if (kind == QLatin1String("damaged")) {
        path = folder + QStringLiteral("/broken.pdf");
        QVERIFY(writeFile(path, "%PDF-1.4\nthe rest is gone\n"));
    } else {
        path = protectedPdf(folder + QStringLiteral("/locked.pdf"));
    }

    PasswordDesk desk;
    desk.answers = answers;
    const Run run = addBooks({ path });
    QCOMPARE(run.completeCount, stored ? 1 : 0);
    QCOMPARE(desk.prompts, int(answers.size()));
    const BookDto book = BookProvider::instance()->findBookByPath(path);
    QCOMPARE(book.id > 0, stored);
    if (!stored)
        return;
    QCOMPARE(book.format, 3);
    QCOMPARE(book.title, title);
    QCOMPARE(book.author, author);
    QCOMPARE(!book.cover.isEmpty(), cover);
    if (cover) {
        const QImage picture(book.cover);
        QCOMPARE(picture.height(), 190);
        QCOMPARE(picture.width(), 147);
        BookProvider *provider = BookProvider::instance();
        QCOMPARE(provider->getMetaData(book.id, BookMetadata::Creator),
                 QStringLiteral("vellumin tests"));
        QVERIFY(!provider->getMetaData(book.id, BookMetadata::Publisher).isEmpty());
    }
}

void TestAddBooksWorker::pdfPasswordSkips_data()
{
    QTest::addColumn<QList<PasswordAnswer>>("answers");
    QTest::addColumn<int>("prompts");
    QTest::addColumn<int>("added");

    QTest::newRow("SKIP ALL: no further prompt")
            << QList<PasswordAnswer> { answered(QString(), false, true) } << 1 << 1;
    QTest::newRow("SKIP: the next one is asked")
            << QList<PasswordAnswer> { answered(QString(), true), answered("secret"),
                                       answered(QString(), true) }
            << 3 << 2;
}

// Three protected PDF books and a plain one in one run.
void TestAddBooksWorker::pdfPasswordSkips()
{
    QFETCH(QList<PasswordAnswer>, answers);
    const QString folder = m_dir.filePath(QStringLiteral("pdfskip/") + QTest::currentDataTag());
    QVERIFY(QDir().mkpath(folder));
    QStringList paths;
    for (const char *name : { "a.pdf", "b.pdf", "c.pdf" })
        paths << protectedPdf(folder + QLatin1Char('/') + name);
    paths << folder + QStringLiteral("/plain.pdf");
    QVERIFY(pdffixture::writeTextPdf(paths.last(), 1, QStringLiteral("Plain")));

    PasswordDesk desk;
    desk.answers = answers;
    const Run run = addBooks(paths);
    QTEST(desk.prompts, "prompts");
    QTEST(run.completeCount, "added");
    QVERIFY(BookProvider::instance()->findBookByPath(paths.last()).id > 0);
}

void TestAddBooksWorker::cancelBetweenBooks()
{
    const QString folder = m_dir.filePath(QStringLiteral("cancel"));
    QStringList paths;
    for (const char *name : { "a.epub", "x.fb2", "c.epub", "d.epub" }) {
        paths << folder + QLatin1Char('/') + name;
        QVERIFY(writeEpub(paths.last(), name));
    }
    const Run run = addBooks(paths, [](AddBooksWorker &worker) {
        QObject::connect(
                &worker, &AddBooksWorker::progressChanged, &worker,
                [&worker](int value) {
                    if (value == 1)
                        worker.cancel();
                },
                Qt::DirectConnection);
    });
    // The book being added when the cancel came is finished, no other.
    QCOMPARE(run.progress, QList<int> { 1 });
    QCOMPARE(run.error, int(AddBooksErrors::Canceled));
    QCOMPARE(run.completeCount, -1);
    QCOMPARE(BookProvider::instance()->bookCountAll(), 1);
    QVERIFY(BookProvider::instance()->findBookByPath(paths.first()).id > 0);
    QCOMPARE(run.messages.first(), QStringLiteral("1 of 4 is being added. a.epub"));

    // The x.fb2 file holds an EPUB: no reader for FB2 books takes it as
    // one, so only the progress text matters here.
    const Run rest = addBooks(paths);
    QCOMPARE(rest.messages.at(1), QStringLiteral("2 of 4 is being added. x.fb2"));
    QCOMPARE(BookProvider::instance()->bookCountAll(), 1 + rest.completeCount);
}

void TestAddBooksWorker::cancelDuringScan()
{
    const QString folder = m_dir.filePath(QStringLiteral("scan"));
    QVERIFY(writeEpub(folder + QStringLiteral("/a.epub"), QStringLiteral("A")));
    QVERIFY(writeEpub(folder + QStringLiteral("/b.epub"), QStringLiteral("B")));
    const Run run = addBooks({ folder }, [](AddBooksWorker &worker) {
        QObject::connect(
                &worker, &AddBooksWorker::progressMessage, &worker, [&worker] { worker.cancel(); },
                Qt::DirectConnection);
    });
    QCOMPARE(run.events,
             (QStringList { "state 1", "started", "scan", "state 0", "failed 1", "done" }));
    QCOMPARE(BookProvider::instance()->bookCountAll(), 0);
}

void TestAddBooksWorker::cancelBeforeStart()
{
    const QString path = m_dir.filePath(QStringLiteral("early/a.epub"));
    QVERIFY(writeEpub(path, QStringLiteral("A")));
    AddBooksWorker worker({ QFileInfo(path) });
    worker.cancel();
    const Run run = runWorker(worker);
    QCOMPARE(run.events, (QStringList { "state 1", "started", "state 0", "failed 1", "done" }));
    QCOMPARE(BookProvider::instance()->bookCountAll(), 0);
}

VL_TEST_GUI_MAIN(TestAddBooksWorker)
#include "tst_addbooksworker.moc"
