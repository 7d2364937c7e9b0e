#include "comics/comicdocument.h"
#include "core/paths.h"
#include "tests/archive/rarfixture.h"
#include "tests/archive/zipfixture.h"
#include "tests/comics/comicfixture.h"
#include "tests/support/testenvironment.h"

#include <QDirIterator>
#include <QTemporaryDir>
#include <QtConcurrent>

using comics::ComicDocument;

class TestComicDocument : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void pagesInNameOrder_data();
    void pagesInNameOrder();
    void labelsSearchAndProgress();
    void pagesOutsideTheComic();
    void refusedComics_data();
    void refusedComics();
    void damagedPagesAmongGoodOnes();
    void pagesOnManyThreads();

private:
    QString write(const QString &name, const ComicFixture::Entries &entries);
    // Files anywhere below the temporary folder and the books folder.
    QStringList filesOnDisk() const;

    QScopedPointer<QTemporaryDir> m_dir;
};

void TestComicDocument::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
    Paths::removeDir(Paths::booksDir());
}

void TestComicDocument::cleanup()
{
    m_dir->setAutoRemove(!QTest::currentTestFailed());
    m_dir.reset();
}

QString TestComicDocument::write(const QString &name, const ComicFixture::Entries &entries)
{
    const QString path = m_dir->filePath(name);
    if (!ComicFixture::write(path, entries))
        qWarning("fixture not written: %s", qPrintable(path));
    return path;
}

QStringList TestComicDocument::filesOnDisk() const
{
    QStringList files;
    for (const QString &root : { m_dir->path(), Paths::booksDir() }) {
        QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext())
            files.append(QDir(root).relativeFilePath(it.next()));
    }
    files.sort();
    return files;
}

void TestComicDocument::pagesInNameOrder_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("CBZ") << "My_Comic_Vol.1.cbz";
    QTest::newRow("CBR") << "My_Comic_Vol.1.cbr";
}

// Pages are the pictures, by name without regard to letter case (no
// numeric order); folders, information files and resource forks are no
// pages. Each page decodes to its own picture and leaves nothing on disk.
void TestComicDocument::pagesInNameOrder()
{
    QFETCH(QString, name);
    const QString path = write(
            name,
            { { QStringLiteral("images/"), {} },
              { QStringLiteral("images/p10.jpg"), ComicFixture::page(10, { 60, 90 }, "JPG") },
              { QStringLiteral("images/P2.png"), ComicFixture::page(2) },
              { QStringLiteral("ComicInfo.xml"), "<ComicInfo/>" },
              { QStringLiteral("__MACOSX/images/._p1.png"), "fork" },
              { QStringLiteral("images/p1.png"), ComicFixture::page(1) },
              { QStringLiteral("images/._p3.png"), "fork" } });
    ComicDocument document;
    QVERIFY2(document.load(path), qPrintable(document.lastError()));
    QVERIFY(document.isLoaded());
    QCOMPARE(document.lastError(), QString());
    QCOMPARE(document.pageNames(),
             QStringList({ "images/p1.png", "images/p10.jpg", "images/P2.png" }));
    QCOMPARE(document.pageCount(), 3);
    QCOMPARE(document.title(), QStringLiteral("My Comic Vol"));
    QCOMPARE(ComicFixture::pageOf(document.pageImage(1)), 1);
    QCOMPARE(ComicFixture::pageOf(document.pageImage(2)), 10);
    QCOMPARE(ComicFixture::pageOf(document.renderPage()), 1);
    const QPair<QImage, QImage> pair = document.pageImages(2, 3);
    QCOMPARE(ComicFixture::pageOf(pair.first), 10);
    QCOMPARE(ComicFixture::pageOf(pair.second), 2);
    QCOMPARE(filesOnDisk(), QStringList { name });
}

void TestComicDocument::labelsSearchAndProgress()
{
    const QString path = write(QStringLiteral("ten.cbz"), ComicFixture::pages(10, { 4, 4 }));
    ComicDocument document;
    QVERIFY(document.load(path));
    IDocument &book = document;

    const QList<SearchResult> hits = book.search(QStringLiteral("3"));
    QCOMPARE(hits.size(), 1);
    QCOMPARE(hits.first().title, QStringLiteral("Page 3"));
    QCOMPARE(hits.first().text, QStringLiteral("Go to page 3"));
    QCOMPARE(hits.first().position, 3);
    QCOMPARE(hits.first().page, 3);
    QVERIFY(hits.first().isPageJump);
    for (const char *text : { "0", "11", "x3", "", "3x", "-1" })
        QVERIFY2(book.search(QString::fromLatin1(text)).isEmpty(), text);

    const QList<TocItem> entries = book.tableOfContents();
    QCOMPARE(entries.size(), 10);
    QCOMPARE(entries.at(2).title, QStringLiteral("Page 3"));
    QCOMPARE(entries.at(2).position, 3);
    QCOMPARE(entries.at(2).page, 3);
    QVERIFY(entries.at(2).source.isEmpty() && entries.at(2).children.isEmpty());
    QCOMPARE(book.titleByPosition(7), QStringLiteral("Page 7"));
    QCOMPARE(book.pageByPosition(7), 7);

    QCOMPARE(book.calcProgressByPage(5), 50);
    QCOMPARE(book.calcProgressByPage(10), 100);
    book.setPageByPosition(4);
    QCOMPARE(book.currentPage(), 4);
    QCOMPARE(book.currentPosition(), 4);
    QCOMPARE(book.progress(), 40.0f);
    book.setPageByPosition(99); // no such page: the first
    QCOMPARE(book.currentPage(), 1);

    const QString three = write(QStringLiteral("three.cbr"), ComicFixture::pages(3, { 4, 4 }));
    QVERIFY(document.load(three));
    QCOMPARE(book.calcProgressByPage(1), 33);
    QCOMPARE(book.calcProgressByPage(3), 100);
    QCOMPARE(book.tableOfContents().size(), 3);

    ComicDocument empty;
    QCOMPARE(empty.calcProgressByPage(1), 0);
    QCOMPARE(empty.progress(), 0.0f);
    QVERIFY(empty.renderPage().isNull());
    QVERIFY(empty.tableOfContents().isEmpty());
}

void TestComicDocument::pagesOutsideTheComic()
{
    const QString path = write(QStringLiteral("two.cbz"), ComicFixture::pages(2));
    ComicDocument document;
    QVERIFY(document.load(path));
    for (const int page : { 0, -1, 3, 1000 })
        QVERIFY(document.pageImage(page).isNull());
    QVERIFY(!document.isValidPage(0) && !document.isValidPage(3) && document.isValidPage(2));
    QCOMPARE(filesOnDisk(), QStringList { QStringLiteral("two.cbz") });
}

void TestComicDocument::refusedComics_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");

    const auto zip = [](const ComicFixture::Entries &entries) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("x.cbz"));
        ComicFixture::write(path, entries);
        QFile file(path);
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    };
    const auto rar = [](const QList<RarFixture::Entry> &entries, quint16 flags = 0) {
        RarFixture::Archive archive;
        archive.entries = entries;
        archive.flags = flags;
        return archive.bytes();
    };
    const QByteArray good = ComicFixture::page(1);

    QTest::newRow("no archive") << "x.cbz" << QByteArray("just text")
                                << "the archive is damaged or is no ZIP archive";
    QTest::newRow("RAR named CBZ") << "x.cbz" << rar({ { "p1.png", good } })
                                   << "the archive is damaged or is no ZIP archive";
    QTest::newRow("ZIP named CBR")
            << "x.cbr" << zip({ { "p1.png", good } }) << "the file is no RAR archive";
    QTest::newRow("truncated CBZ") << "x.cbz" << zip({ { "p1.png", good } }).left(60)
                                   << "the archive is damaged or is no ZIP archive";
    QTest::newRow("truncated CBR") << "x.cbr" << rar({ { "p1.png", good } }).left(good.size() / 2)
                                   << "the archive is damaged";
    QTest::newRow("no pictures") << "x.cbz" << zip({ { "ComicInfo.xml", "<x/>" } })
                                 << "the comic holds no pictures";
    QTest::newRow("empty CBR") << "x.cbr" << rar({}) << "the comic holds no pictures";
    QTest::newRow("pages not pictures")
            << "x.cbz" << zip({ { "p1.jpg", "not a picture" }, { "p2.png", "nor this" } })
            << "none of its pages can be shown";
    QTest::newRow("page declares a gigapixel")
            << "x.cbr" << rar({ { "p1.png", ComicFixture::hugePicture({ 40000, 40000 }) } })
            << "none of its pages can be shown";
    RarFixture::Entry secret { "p1.png", good };
    secret.encrypted = true;
    QTest::newRow("encrypted CBR") << "x.cbr" << rar({ secret }) << "the archive is encrypted";
    QTest::newRow("encrypted headers")
            << "x.cbr" << rar({ { "p1.png", good } }, 0x80) << "the archive is encrypted";
    QTest::newRow("one volume of a set")
            << "x.cbr" << rar({ { "p1.png", good } }, 0x101)
            << "the archive is one part of a multi-volume set, which can not be read";
    RarFixture::Entry bomb { "p1.png", good };
    bomb.declaredSize = qint64(3) * 1024 * 1024 * 1024;
    QTest::newRow("CBR bomb") << "x.cbr" << rar({ bomb })
                              << "the archive unpacks to far more data than a book holds";
    // A ZIP whose directory claims gigabytes for a page.
    QByteArray zipBomb = zip({ { "p1.png", good } });
    for (const QByteArray &signature : { QByteArray("PK\x03\x04"), QByteArray("PK\x01\x02") }) {
        const int at = zipBomb.indexOf(signature) + (signature.at(2) == 3 ? 22 : 24);
        qToLittleEndian(quint32(0xf0000000u), zipBomb.data() + at);
    }
    QTest::newRow("CBZ bomb") << "x.cbz" << zipBomb
                              << "the archive unpacks to far more data than a book holds";
    QTest::newRow("only names that climb out")
            << "x.cbr" << rar({ { "../../evil.png", good }, { "/tmp/evil2.png", good } })
            << "none of its pages can be shown";
    QTest::newRow("ZIP names that climb out")
            << "x.cbz" << zip({ { "../../evil.png", good }, { "..\\evil2.png", good } })
            << "none of its pages can be shown";
}

// Refused with a reason in plain words, not opened as an empty frame, and
// nothing written outside the book's folder or left inside it.
void TestComicDocument::refusedComics()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    const QString inner = m_dir->filePath(QStringLiteral("a/b"));
    QVERIFY(QDir().mkpath(inner));
    const QString path = inner + QLatin1Char('/') + name;
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    ComicDocument document;
    QVERIFY(!document.load(path));
    QVERIFY(!document.isLoaded());
    QCOMPARE(document.lastError(), error);
    QVERIFY(document.renderPage().isNull());
    QCOMPARE(filesOnDisk(), QStringList { QStringLiteral("a/b/") + name });
    QVERIFY(!QFileInfo::exists(QStringLiteral("/tmp/evil2.png")));
}

// One damaged page does not close the comic: it shows as an empty page,
// and a page declaring more pixels than the book may decode is refused
// before it is decoded.
void TestComicDocument::damagedPagesAmongGoodOnes()
{
    for (const QString &name : { QStringLiteral("mixed.cbz"), QStringLiteral("mixed.cbr") }) {
        const QString path = write(
                name,
                { { QStringLiteral("p1.png"), "damaged" },
                  { QStringLiteral("p2.png"), ComicFixture::page(2) },
                  { QStringLiteral("p3.png"), ComicFixture::hugePicture({ 30000, 30000 }) } });
        ComicDocument document;
        QVERIFY2(document.load(path), qPrintable(name));
        QCOMPARE(document.pageCount(), 3);
        QVERIFY(document.pageImage(1).isNull());
        QCOMPARE(ComicFixture::pageOf(document.pageImage(2)), 2);
        QVERIFY(document.pageImage(3).isNull());
    }
}

// Page requests run on pool threads, several at once, each in a folder of
// its own: every answer is its own page.
void TestComicDocument::pagesOnManyThreads()
{
    for (const QString &name : { QStringLiteral("many.cbz"), QStringLiteral("many.cbr") }) {
        const QString path = write(name, ComicFixture::pages(12));
        ComicDocument document;
        QVERIFY(document.load(path));
        QList<int> requests;
        for (int round = 0; round < 4; ++round) {
            for (int page = 1; page <= 12; ++page)
                requests.append(page);
        }
        std::function<int(int)> answer
                = [&document](int page) { return ComicFixture::pageOf(document.pageImage(page)); };
        const QList<int> answers = QtConcurrent::blockingMapped<QList<int>>(requests, answer);
        QCOMPARE(answers, requests);
    }
    QCOMPARE(filesOnDisk(),
             QStringList({ QStringLiteral("many.cbr"), QStringLiteral("many.cbz") }));
}

VL_TEST_GUI_MAIN(TestComicDocument)

#include "tst_comicdocument.moc"
