#include "formats/epub/epubdocument.h"
#include "formats/epub/epubparser.h"
#include "tests/archive/zipfixture.h"
#include "tests/document/picturefixture.h"
#include "tests/support/testenvironment.h"

#include "core/paths.h"
#include "document/tocfile.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

using ZipFixture::Entry;
using ZipFixture::Epub;

class TestEpubParser : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void minimalBook();
    void opfFolder_data();
    void opfFolder();
    void containerPicksPackageRootfile();
    void spineKeepsOnlyXhtml();
    void repeatedSpineDocumentIsStrippedOnce();
    void spineEntriesNameFiles_data();
    void spineEntriesNameFiles();
    void withoutNcx();
    void upperCaseNcxIdIsNotTheToc();
    void protectedBook_data();
    void protectedBook();
    void damagedBook_data();
    void damagedBook();
    void hostileNamesStayInStorage();
    void nonAsciiNames();
    void scriptsAreStripped();
    void picturesAreBounded();
    void replacedBookIsUnpackedAfresh_data();
    void replacedBookIsUnpackedAfresh();
    void unfinishedFilesAreRemoved();
    void longestEntryNames();
    void tocTree();
    void tocDepthIsCapped();
    void tocOfThousandsOfLevelsAndSiblings();
    void tocIsWrittenOnce();
    void deeplyNestedXml_data();
    void deeplyNestedXml();
    void oversizedPackageIsNotRead();
    void cover_data();
    void cover();
    void coverSearchOfHostileBooks_data();
    void coverSearchOfHostileBooks();
    void emptyHrefsMeanNothing();
    void metadataOnly();
    void metadataOnlyFailures_data();
    void metadataOnlyFailures();
    void bookInfoFields();

private:
    QString write(const Epub &epub, const QString &name);
    QString write(const QList<Entry> &entries, const QString &name);
    static QByteArray readFile(const QString &path);
    static QJsonArray tocOf(const QString &book);

    QTemporaryDir m_dir;
};

void TestEpubParser::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

QString TestEpubParser::write(const Epub &epub, const QString &name)
{
    return write(epub.entries(), name);
}

QString TestEpubParser::write(const QList<Entry> &entries, const QString &name)
{
    const QString path = m_dir.filePath(name);
    if (!ZipFixture::write(path, entries))
        qWarning("fixture not written: %s", qPrintable(path));
    return path;
}

QByteArray TestEpubParser::readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonArray TestEpubParser::tocOf(const QString &book)
{
    return QJsonDocument::fromJson(readFile(TocFile::path(book))).array();
}

void TestEpubParser::picturesAreBounded()
{
    // The web page decodes every picture whole: a few bytes that claim
    // 23000 x 23000 pixels would take gigabytes, under any name.
    const auto real = [](int width, int height) {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(Qt::green);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    };
    Epub epub;
    epub.extra = { { QStringLiteral("OEBPS/bomb.png"), PictureFixture::pngClaiming(23000, 23000) },
                   { QStringLiteral("OEBPS/named.dat"), PictureFixture::pngClaiming(23000, 23000) },
                   { QStringLiteral("OEBPS/images/fine.png"), real(10, 10) },
                   // Each within the limit of one picture, together over the
                   // budget of so small a book.
                   { QStringLiteral("OEBPS/big1.png"), PictureFixture::pngClaiming(6000, 5000) },
                   { QStringLiteral("OEBPS/big2.png"), PictureFixture::pngClaiming(6000, 5000) },
                   { QStringLiteral("OEBPS/big3.png"), PictureFixture::pngClaiming(6000, 5000) } };
    const QString path = write(epub, QStringLiteral("pictures.epub"));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    const QString folder = Paths::bookPath(path) + QStringLiteral("/OEBPS/");
    const auto sizeOf = [&](const QString &name) { return QImageReader(folder + name).size(); };
    QCOMPARE(sizeOf(QStringLiteral("bomb.png")), QSize(1, 1));
    QCOMPARE(sizeOf(QStringLiteral("named.dat")), QSize(1, 1));
    QCOMPARE(sizeOf(QStringLiteral("images/fine.png")), QSize(10, 10));
    QCOMPARE(sizeOf(QStringLiteral("big1.png")), QSize(6000, 5000));
    QCOMPARE(sizeOf(QStringLiteral("big2.png")), QSize(6000, 5000));
    QCOMPARE(sizeOf(QStringLiteral("big3.png")), QSize(1, 1));
}

void TestEpubParser::replacedBookIsUnpackedAfresh_data()
{
    QTest::addColumn<QString>("newText");
    QTest::addColumn<bool>("sameSizeAndTime");
    QTest::newRow("other size") << QStringLiteral("A longer new text") << false;
    // A same-sized edit copied with its time kept: only the bytes differ.
    QTest::newRow("same size and time") << QStringLiteral("New") << true;
}

void TestEpubParser::replacedBookIsUnpackedAfresh()
{
    QFETCH(QString, newText);
    QFETCH(bool, sameSizeAndTime);
    const QString name = QStringLiteral("replaced-%1.epub").arg(QTest::currentDataTag());
    Epub first;
    first.chapters = QStringList { QStringLiteral("<p>Old</p>") };
    if (!sameSizeAndTime)
        first.extra = { { QStringLiteral("OEBPS/only-old.xhtml"), Epub::xhtml("<p>x</p>") } };
    const QString path = write(first, name);
    const QFileInfo before(path);
    {
        epub::EpubDocument document(path);
        QVERIFY(document.load());
    }
    const QString folder = Paths::bookPath(path);
    QVERIFY(readFile(folder + "/OEBPS/ch1.xhtml").contains("<p>Old</p>"));
    // The reader's own files beside the book stay.
    const QString settings = folder + QLatin1Char('/') + Paths::hashHex(path) + ".settings";
    QFile side(settings);
    QVERIFY(side.open(QIODevice::WriteOnly));
    side.write("{}");
    side.close();

    Epub second;
    second.chapters = QStringList { QStringLiteral("<p>%1</p>").arg(newText) };
    QVERIFY(QFile::remove(path));
    QCOMPARE(write(second, name), path);
    if (sameSizeAndTime) {
        QCOMPARE(QFileInfo(path).size(), before.size());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(before.lastModified(), QFileDevice::FileModificationTime));
    }
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    QVERIFY(readFile(folder + "/OEBPS/ch1.xhtml").contains(newText.toUtf8()));
    QVERIFY(!QFile::exists(folder + "/OEBPS/only-old.xhtml"));
    QVERIFY(QFile::exists(settings));
}

void TestEpubParser::unfinishedFilesAreRemoved()
{
    const QString path = write(Epub(), QStringLiteral("leftovers.epub"));
    {
        epub::EpubDocument document(path);
        QVERIFY(document.load());
    }
    // An unpack killed half-way leaves its files under temporary names.
    const QString folder = Paths::bookPath(path);
    for (const QString &name : { QStringLiteral("/.vl-1a2b.part"), QStringLiteral("/OEBPS/.vl-zz.part") }) {
        QFile part(folder + name);
        QVERIFY(part.open(QIODevice::WriteOnly));
        part.write("half");
    }
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    QDirIterator parts(folder, { QStringLiteral("*.part") }, QDir::Files | QDir::Hidden,
                       QDirIterator::Subdirectories);
    QVERIFY2(!parts.hasNext(), qPrintable(parts.next()));
}

void TestEpubParser::longestEntryNames()
{
    // A name of 245 bytes is legal on every usual file system; the book must
    // not turn "damaged" for the temporary name of its file.
    const QString chapter = QString(240, QLatin1Char('c')) + QStringLiteral(".html");
    QCOMPARE(chapter.toUtf8().size(), 245);
    Epub epub;
    epub.manifest = QStringLiteral("<item id=\"long\" href=\"%1\" media-type=\"application/xhtml+xml\"/>")
                            .arg(chapter);
    epub.spine = QStringLiteral("<itemref idref=\"long\"/>");
    epub.extra = { { QStringLiteral("OEBPS/") + chapter,
                     Epub::xhtml(QStringLiteral("<p onclick=\"x()\">Long</p>")) } };
    const QString path = write(epub, QStringLiteral("long-names.epub"));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.spineFiles().last(), chapter);
    const QByteArray text = readFile(Paths::bookPath(path) + "/OEBPS/" + chapter);
    QVERIFY(text.contains("<p>Long</p>"));
}

void TestEpubParser::tocOfThousandsOfLevelsAndSiblings()
{
    // 8000 levels took seconds as a tree; 40000 entries of one level were
    // copied once per entry.
    QString deep;
    for (int i = 0; i < 8000; ++i)
        deep += QStringLiteral("<navPoint><navLabel><text>L%1</text></navLabel>"
                               "<content src=\"ch1.xhtml\"/>")
                        .arg(i);
    deep += QStringLiteral("</navPoint>").repeated(8000);
    QString wide = QStringLiteral("<navPoint><navLabel><text>Wide</text></navLabel>");
    for (int i = 0; i < 40000; ++i)
        wide += QStringLiteral("<navPoint><navLabel><text>W%1</text></navLabel>"
                               "<content src=\"ch2.xhtml#w%1\"/></navPoint>")
                        .arg(i);
    wide += QStringLiteral("</navPoint>");
    Epub epub;
    epub.ncx = deep + wide;
    const QString path = write(epub, QStringLiteral("deep-wide-toc.epub"));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    const QJsonArray toc = tocOf(path);
    QCOMPARE(toc.size(), 2);
    int levels = 0;
    for (QJsonObject entry = toc.at(0).toObject(); !entry.isEmpty();
         entry = entry.value("Childs").toArray().at(0).toObject())
        ++levels;
    QCOMPARE(levels, TocFile::maxDepth);
    const QJsonArray siblings = toc.at(1).toObject().value("Childs").toArray();
    QCOMPARE(siblings.size(), 40000);
    QCOMPARE(siblings.last().toObject().value("Title").toString(), QStringLiteral("W39999"));
}

void TestEpubParser::minimalBook()
{
    const QString path = write(Epub(), QStringLiteral("minimal.epub"));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.status(), 0);
    const QString folder = Paths::bookPath(path);
    QCOMPARE(document.spineFiles(), QStringList({ folder + "/OEBPS", "ch1.xhtml", "ch2.xhtml" }));
    QCOMPARE(document.bookInfo().title(), QStringLiteral("Test Book"));
    QCOMPARE(document.bookInfo().author(), QStringLiteral("Ann Author"));
    QVERIFY(document.bookInfo().coverPath().isEmpty());
    QVERIFY(QFileInfo(folder + "/OEBPS/ch2.xhtml").isFile());

    const QJsonArray toc = tocOf(path);
    QCOMPARE(toc.size(), 1);
    QCOMPARE(toc.at(0).toObject().value("Title").toString(), QStringLiteral("One"));
    QCOMPARE(toc.at(0).toObject().value("Source").toString(), folder + "/OEBPS/ch1.xhtml");

    // A second load finds everything in place.
    QVERIFY(document.load());
    QCOMPARE(document.spineFiles().size(), 3);
}

void TestEpubParser::opfFolder_data()
{
    QTest::addColumn<QString>("opfPath");
    QTest::addColumn<QString>("folder");
    QTest::newRow("root") << "content.opf"
                          << "";
    QTest::newRow("one folder") << "OEBPS/content.opf"
                                << "/OEBPS";
    QTest::newRow("nested") << "a/b/package.opf"
                            << "/a/b";
}

void TestEpubParser::opfFolder()
{
    QFETCH(QString, opfPath);
    QFETCH(QString, folder);
    Epub book;
    book.opfPath = opfPath;
    const QString path = write(book, QStringLiteral("opf-%1.epub").arg(QTest::currentDataTag()));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    // Joined with "/" on this system, never a backslash.
    QCOMPARE(document.spineFiles().first(), Paths::bookPath(path) + folder);
    QCOMPARE(document.spineFiles().size(), 3);
    QCOMPARE(document.bookInfo().title(), QStringLiteral("Test Book"));
}

void TestEpubParser::containerPicksPackageRootfile()
{
    Epub book;
    book.opfPath = QStringLiteral("real/content.opf");
    book.container = "<?xml version=\"1.0\"?><container><rootfiles>"
                     "<rootfile full-path=\"other.pdf\" media-type=\"application/pdf\"/>"
                     "<rootfile full-path=\"real/content.opf\" "
                     "media-type=\"Application/OEBPS-Package+XML\"/></rootfiles></container>";
    const QString path = write(book, QStringLiteral("rootfiles.epub"));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.spineFiles().first(), Paths::bookPath(path) + "/real");
}

void TestEpubParser::spineKeepsOnlyXhtml()
{
    Epub book;
    book.manifest = "<item id=\"pic\" href=\"pic.svg\" media-type=\"image/svg+xml\"/>"
                    "<item id=\"c9\" href=\"ch9.xhtml\" media-type=\"application/xhtml+xml\"/>";
    book.spine = "<itemref idref=\"pic\"/><itemref idref=\"missing\"/><itemref idref=\"c9\"/>";
    book.extra = { { "OEBPS/pic.svg", "<svg/>" },
                   { "OEBPS/ch9.xhtml", Epub::xhtml("<script>x()</script><p>last</p>") } };
    const QString path = write(book, QStringLiteral("svg.epub"));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.spineFiles().mid(1), QStringList({ "ch1.xhtml", "ch2.xhtml", "ch9.xhtml" }));
    // The last document is stripped too.
    QVERIFY(!readFile(Paths::bookPath(path) + "/OEBPS/ch9.xhtml").contains("script"));
}

void TestEpubParser::repeatedSpineDocumentIsStrippedOnce()
{
    // A spine naming one large chapter 20000 times: reading and stripping
    // it for every mention took minutes.
    Epub book;
    book.chapters = QStringList { QStringLiteral("<script>x()</script>")
                                  + QStringLiteral("<p>text</p>").repeated(200000) };
    book.chapters.append(QStringLiteral("<p>short</p>"));
    book.spine = QStringLiteral("<itemref idref=\"c1\"/><itemref idref=\"c2\"/>").repeated(10000);
    const QString path = write(book, QStringLiteral("repeated-spine.epub"));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.spineFiles().size(), 1 + 20002);
    const QByteArray chapter = readFile(Paths::bookPath(path) + "/OEBPS/ch1.xhtml");
    QVERIFY(chapter.contains("<p>text</p>"));
    QVERIFY(!chapter.contains("script"));
}

void TestEpubParser::spineEntriesNameFiles_data()
{
    QTest::addColumn<QString>("spine");
    QTest::addColumn<QStringList>("files");
    // As a real manual names its sections: the file, then places in it.
    QTest::newRow("places in files") << QStringLiteral("c1 c1a c1b c2 c2a")
                                     << QStringList { "ch1.xhtml", "ch2.xhtml" };
    QTest::newRow("place before its file") << QStringLiteral("c1a c1 c2")
                                           << QStringList { "ch1.xhtml", "ch2.xhtml" };
    QTest::newRow("file again later")
            << QStringLiteral("c1 c2 c1a") << QStringList { "ch1.xhtml", "ch2.xhtml", "ch1.xhtml" };
    QTest::newRow("file the book lacks")
            << QStringLiteral("c1 gone c2 gone2") << QStringList { "ch1.xhtml", "ch2.xhtml" };
    QTest::newRow("only a place") << QStringLiteral("empty c2") << QStringList { "ch2.xhtml" };
}

void TestEpubParser::spineEntriesNameFiles()
{
    QFETCH(QString, spine);
    QFETCH(QStringList, files);
    Epub book;
    book.chapters.clear();
    const QList<QPair<QString, QString>> items = {
        { "c1", "ch1.xhtml" },      { "c1a", "ch1.xhtml#o8" },     { "c1b", "ch1.xhtml#o12" },
        { "c2", "ch2.xhtml" },      { "c2a", "ch2.xhtml#o1" },     { "gone", "gone.xhtml" },
        { "gone2", "gone.xhtml#o2" }, { "empty", "#o3" },
    };
    for (const auto &item : items) {
        book.manifest += QStringLiteral("<item id=\"%1\" href=\"%2\" "
                                        "media-type=\"application/xhtml+xml\"/>")
                                 .arg(item.first, item.second);
    }
    for (const QString &idref : spine.split(QLatin1Char(' ')))
        book.spine += QStringLiteral("<itemref idref=\"%1\"/>").arg(idref);
    book.extra = { { "OEBPS/ch1.xhtml", Epub::xhtml("<p id='o8'>one</p><p id='o12'>two</p>") },
                   { "OEBPS/ch2.xhtml", Epub::xhtml("<p id='o1'>three</p>") } };
    const QString path = write(
            book, QStringLiteral("places-%1.epub").arg(QString::fromUtf8(QTest::currentDataTag())));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.spineFiles().mid(1), files);
}

void TestEpubParser::withoutNcx()
{
    Epub book;
    book.ncx = QString();
    const QString path = write(book, QStringLiteral("no-ncx.epub"));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.spineFiles().size(), 3);
    QVERIFY(QFileInfo(TocFile::path(path)).isFile());
    QVERIFY(readFile(TocFile::path(path)).isEmpty());
}

void TestEpubParser::upperCaseNcxIdIsNotTheToc()
{
    Epub book;
    book.ncx = QString();
    book.manifest = "<item id=\"NCX\" href=\"nav/other.ncx\" "
                    "media-type=\"application/x-dtbncx+xml\"/>";
    const QByteArray ncx = "<ncx><navMap><navPoint><navLabel><text>%1</text></navLabel>"
                           "<content src=\"ch1.xhtml\"/></navPoint></navMap></ncx>";
    book.extra = { { "OEBPS/nav/other.ncx", QByteArray(ncx).replace("%1", "Other") },
                   { "OEBPS/toc.ncx", QByteArray(ncx).replace("%1", "Standard") } };
    const QString path = write(book, QStringLiteral("ncx-case.epub"));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(tocOf(path).at(0).toObject().value("Title").toString(), QStringLiteral("Standard"));
}

void TestEpubParser::protectedBook_data()
{
    QTest::addColumn<QByteArray>("firstDocument");
    QTest::addColumn<int>("status");
    QTest::newRow("readable") << Epub::xhtml("<p>fine</p>") << 0;
    QTest::newRow("encrypted") << QByteArray("\x8f\x01\xfe garbage bytes", 17) << 4;
}

void TestEpubParser::protectedBook()
{
    QFETCH(QByteArray, firstDocument);
    QFETCH(int, status);
    Epub book;
    book.chapters = QStringList { QStringLiteral("<p>replaced</p>") };
    QList<Entry> entries = book.entries();
    for (Entry &entry : entries) {
        if (entry.name == QLatin1String("OEBPS/ch1.xhtml"))
            entry.data = firstDocument;
    }
    entries.append(Entry { "META-INF/encryption.xml", "<encryption/>" });
    const QString path
            = write(entries, QStringLiteral("protected-%1.epub").arg(QTest::currentDataTag()));
    epub::EpubDocument document(path);
    QCOMPARE(document.load(), status == 0);
    QCOMPARE(document.status(), status);
    if (status == 4) {
        QVERIFY(document.spineFiles().isEmpty());
        QVERIFY(!QFileInfo::exists(TocFile::path(path)));
    }

    epub::EpubDocument owner(path);
    epub::EpubParser parser(&owner);
    QCOMPARE(parser.open(path, true), status);
    QCOMPARE(parser.info().encrypted, status == 4);
}

void TestEpubParser::damagedBook_data()
{
    QTest::addColumn<int>("keep"); // bytes kept of a good book; -1 for text

    QTest::newRow("not a zip") << -1;
    QTest::newRow("truncated") << 400;
    QTest::newRow("missing directory end") << -30;
}

void TestEpubParser::damagedBook()
{
    QFETCH(int, keep);
    QByteArray bytes = readFile(write(Epub(), QStringLiteral("good.epub")));
    if (keep == -1)
        bytes = "PK but not really a book";
    else
        bytes = keep < 0 ? bytes.left(bytes.size() + keep) : bytes.left(keep);
    const QString path
            = m_dir.filePath(QStringLiteral("damaged-%1.epub").arg(QTest::currentDataTag()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();

    epub::EpubDocument document(path);
    QVERIFY(!document.load());
    QCOMPARE(document.status(), 1);

    epub::EpubParser parser(&document);
    QCOMPARE(parser.open(path, true), 1);
}

void TestEpubParser::hostileNamesStayInStorage()
{
    // A file outside the storage folder that a hostile href names.
    const QString books = QFileInfo(Paths::booksDir()).absoluteFilePath();
    const QString victim = QFileInfo(books).absolutePath() + "/victim.xhtml";
    const QByteArray victimText = Epub::xhtml("<script>keep()</script>");
    QFile out(victim);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(victimText);
    out.close();

    Epub book;
    book.manifest = "<item id=\"out\" href=\"../../../victim.xhtml\" "
                    "media-type=\"application/xhtml+xml\"/>"
                    "<item id=\"abs\" href=\""
            + victim + "\" media-type=\"application/xhtml+xml\"/>";
    book.spine = "<itemref idref=\"out\"/><itemref idref=\"abs\"/>";
    book.extra = { { "../escaped.xhtml", "x" },
                   { "../../escaped2.xhtml", "x" },
                   { "OEBPS/../../escaped3.xhtml", "x" },
                   { "..\\escaped4.xhtml", "x" },
                   { books + "/escaped5.xhtml", "x" } };
    const QString path = write(book, QStringLiteral("hostile.epub"));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.spineFiles().mid(1), QStringList({ "ch1.xhtml", "ch2.xhtml" }));
    QCOMPARE(readFile(victim), victimText);

    const QString folder = Paths::bookPath(path);
    QDirIterator it(QFileInfo(books).absolutePath(), { "escaped*" }, QDir::Files,
                    QDirIterator::Subdirectories);
    QVERIFY2(!it.hasNext(), qPrintable(it.hasNext() ? it.next() : QString()));
}

void TestEpubParser::nonAsciiNames()
{
    Epub book;
    book.chapters = QStringList();
    book.ncx = QStringLiteral("<navPoint><navLabel><text>Глава</text></navLabel>"
                              "<content src=\"%D0%93%D0%BB%D0%B0%D0%B2%D0%B0%201.xhtml#s1\"/>"
                              "</navPoint>");
    book.manifest = "<item id=\"g\" href=\"%D0%93%D0%BB%D0%B0%D0%B2%D0%B0%201.xhtml\" "
                    "media-type=\"application/xhtml+xml\"/>";
    book.spine = "<itemref idref=\"g\"/>";
    book.title = QStringLiteral("Книга");
    book.extra = { { QStringLiteral("OEBPS/Глава 1.xhtml"),
                     Epub::xhtml("<p>Текст</p><script>x()</script>") } };
    const QString path = write(book, QStringLiteral("книга.epub"));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.bookInfo().title(), QStringLiteral("Книга"));
    QCOMPARE(document.spineFiles().mid(1), QStringList { QStringLiteral("Глава 1.xhtml") });
    const QString chapter = document.spineFiles().first() + QStringLiteral("/Глава 1.xhtml");
    QVERIFY(readFile(chapter).contains("Текст"));
    QVERIFY(!readFile(chapter).contains("script"));
    // The contents entry keeps the href as written.
    QCOMPARE(tocOf(path).at(0).toObject().value("Source").toString(),
             document.spineFiles().first() + "/%D0%93%D0%BB%D0%B0%D0%B2%D0%B0%201.xhtml#s1");
}

void TestEpubParser::scriptsAreStripped()
{
    Epub book;
    book.chapters = QStringList {
        QStringLiteral("<p onclick=\"steal()\">a <a href=\"javascript:go()\">link</a></p>"
                       "<script type=\"text/javascript\">alert(1)</script>"),
        QStringLiteral("<p>clean &amp; untouched</p>"),
    };
    // Not well-formed (an unclosed paragraph, an unknown entity): stripped
    // all the same.
    book.manifest = "<item id=\"bad\" href=\"bad.xhtml\" media-type=\"application/xhtml+xml\"/>";
    book.spine = "<itemref idref=\"bad\"/>";
    const QByteArray bad = "<html><body><p>open &nbsp; <SCRIPT>evil()</SCRIPT>"
                           "<img src=x onerror=\"evil()\"></body></html>";
    book.extra = { { "OEBPS/bad.xhtml", bad } };
    const QString path = write(book, QStringLiteral("scripts.epub"));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    const QString folder = document.spineFiles().first();

    const QByteArray first = readFile(folder + "/ch1.xhtml");
    QVERIFY(!first.contains("script"));
    QVERIFY(!first.contains("onclick"));
    QVERIFY(!first.contains("javascript"));
    QVERIFY(first.contains("<a>link</a>"));
    QCOMPARE(readFile(folder + "/ch2.xhtml"), Epub::xhtml("<p>clean &amp; untouched</p>"));
    QCOMPARE(readFile(folder + "/bad.xhtml"),
             QByteArray("<html><body><p>open &nbsp; <img src=x></body></html>"));
}

void TestEpubParser::tocTree()
{
    Epub book;
    book.ncx = QStringLiteral(
            "<navPoint id=\"1\" playOrder=\"1\"><navLabel><text>First</text></navLabel>"
            "<content src=\"Text/ch%201.xhtml#s1\"/></navPoint>"
            "<NAVPOINT><NavLabel><Text>old</Text><text>Second</text></NavLabel>"
            "<Content src=\"ch2.xhtml\"/>"
            "<navPoint><navLabel><text>Inner</text></navLabel><content src=\"ch2.xhtml#i\"/>"
            "</navPoint></NAVPOINT>"
            "</navMap><navMap><navPoint><content src=\"ch3.xhtml\"/></navPoint>");
    const QString path = write(book, QStringLiteral("toc.epub"));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    const QString folder = document.spineFiles().first();
    const QJsonArray toc = tocOf(path);
    QCOMPARE(toc.size(), 3);
    const QJsonObject first = toc.at(0).toObject();
    QCOMPARE(first.value("Title").toString(), QStringLiteral("First"));
    QCOMPARE(first.value("Source").toString(), folder + "/Text/ch%201.xhtml#s1");
    QVERIFY(!first.contains("Childs"));
    const QJsonObject second = toc.at(1).toObject();
    QCOMPARE(second.value("Title").toString(), QStringLiteral("Second"));
    QCOMPARE(second.value("Childs").toArray().size(), 1);
    QCOMPARE(second.value("Childs").toArray().at(0).toObject().value("Title").toString(),
             QStringLiteral("Inner"));
    QVERIFY(!toc.at(2).toObject().contains("Title"));
    QVERIFY(!first.contains("id") && !first.contains("playOrder"));
}

void TestEpubParser::tocDepthIsCapped()
{
    Epub book;
    QString ncx;
    for (int i = 0; i < 5000; ++i)
        ncx += QStringLiteral("<navPoint><navLabel><text>%1</text></navLabel>").arg(i);
    for (int i = 0; i < 5000; ++i)
        ncx += QStringLiteral("</navPoint>");
    book.ncx = ncx;
    const QString path = write(book, QStringLiteral("deep.epub"));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    QJsonArray level = tocOf(path);
    int depth = 0;
    while (!level.isEmpty()) {
        ++depth;
        level = level.at(0).toObject().value("Childs").toArray();
    }
    QCOMPARE(depth, TocFile::maxDepth);
}

void TestEpubParser::deeplyNestedXml_data()
{
    QTest::addColumn<QString>("deepFile");
    QTest::addColumn<QString>("title");
    QTest::addColumn<int>("tocEntries");
    QTest::addColumn<int>("metadataStatus");

    // Such a file counts as unreadable, and costs the book what an
    // unreadable one of its kind costs; no more.
    QTest::newRow("container") << "container" << QString() << 1 << 1;
    QTest::newRow("package") << "package" << QString() << 1 << 0;
    // The contents are read as a stream: what nests too deep is passed
    // over, and the entries before it stay.
    QTest::newRow("contents") << "contents"
                              << "Test Book" << 1 << 0;
    QTest::newRow("probed chapter") << "chapter"
                                    << "Test Book" << 1 << 0;
}

void TestEpubParser::deeplyNestedXml()
{
    QFETCH(QString, deepFile);
    QFETCH(QString, title);
    QFETCH(int, tocEntries);
    QFETCH(int, metadataStatus);

    // Nested a hundred thousand deep: enough to exhaust the stack of a parser
    // that followed it.
    const QString deep
            = QStringLiteral("<x>").repeated(100000) + QStringLiteral("</x>").repeated(100000);
    Epub book;
    if (deepFile == QLatin1String("container")) {
        book.container = ("<?xml version=\"1.0\"?><container><rootfiles><rootfile "
                          "full-path=\"OEBPS/content.opf\" "
                          "media-type=\"application/oebps-package+xml\"/></rootfiles>"
                          + deep + "</container>")
                                 .toUtf8();
    } else if (deepFile == QLatin1String("package")) {
        book.metadata = deep;
    } else if (deepFile == QLatin1String("contents")) {
        book.ncx += deep;
    } else {
        book.chapters.first() = deep;
    }
    book.extra = { { "META-INF/encryption.xml", "<encryption/>" } };
    const QString path = write(book, QStringLiteral("deep-%1.epub").arg(deepFile));

    epub::EpubDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.bookInfo().title(), title);
    QVERIFY(!document.bookInfo().encrypted);
    QCOMPARE(tocOf(path).size(), tocEntries);

    epub::EpubDocument owner(path);
    epub::EpubParser parser(&owner);
    QCOMPARE(parser.open(path, true), metadataStatus);
    QCOMPARE(parser.info().title(), title);
}

void TestEpubParser::oversizedPackageIsNotRead()
{
    // A package file of more than 64 MB unpacks from a book of a few
    // hundred kilobytes; parsing one of a gigabyte would exhaust memory.
    const QString opf = m_dir.filePath(QStringLiteral("huge.opf"));
    QFile file(opf);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("<package><metadata><dc:title>Huge</dc:title></metadata><!--");
    const QByteArray padding(1024 * 1024, ' ');
    for (int i = 0; i < 64; ++i)
        file.write(padding);
    file.write("--></package>");
    file.close();

    epub::EpubDocument owner(opf);
    epub::EpubParser parser(&owner);
    parser.loadMetaData(opf);
    QVERIFY(parser.info().titles.isEmpty());
    QVERIFY(parser.findOpfPath(opf).isEmpty());
}

void TestEpubParser::tocIsWrittenOnce()
{
    const QString path = write(Epub(), QStringLiteral("once.epub"));
    {
        epub::EpubDocument document(path);
        QVERIFY(document.load());
    }
    QFile toc(TocFile::path(path));
    QVERIFY(toc.open(QIODevice::WriteOnly));
    toc.write("[]");
    toc.close();
    epub::EpubDocument again(path);
    QVERIFY(again.load());
    QCOMPARE(readFile(TocFile::path(path)), QByteArray("[]"));
}

void TestEpubParser::cover_data()
{
    QTest::addColumn<QString>("metadata");
    QTest::addColumn<QString>("manifest");
    QTest::addColumn<QStringList>("images");
    QTest::addColumn<QString>("expected"); // entry name; empty for none

    QTest::newRow("manifest image")
            << "<meta name=\"cover\" content=\"img1\"/>"
            << "<item id=\"img1\" href=\"images/c.jpg\" media-type=\"image/jpeg\"/>"
            << QStringList { "OEBPS/images/c.jpg", "OEBPS/images/cover.png" }
            << "OEBPS/images/c.jpg";
    QTest::newRow("literal name, not a pattern")
            << "<meta name=\"cover\" content=\"cover(1).jpg\"/>"
            << "" << QStringList { "OEBPS/cover(1).jpg", "OEBPS/cover1.jpg" }
            << "OEBPS/cover(1).jpg";
    QTest::newRow("cover page is no image")
            << "<meta name=\"cover\" content=\"cover\"/>"
            << "<item id=\"cover\" href=\"cover.xhtml\" media-type=\"application/xhtml+xml\"/>"
            << QStringList { "OEBPS/cover.xhtml", "OEBPS/pics/cover.png" }
            << "OEBPS/pics/cover.png";
    QTest::newRow("fallback") << ""
                              << "" << QStringList { "OEBPS/Images/Cover.JPG" }
                              << "OEBPS/Images/Cover.JPG";
    QTest::newRow("none") << ""
                          << "" << QStringList { "OEBPS/images/photo.jpg" } << "";
}

void TestEpubParser::cover()
{
    QFETCH(QString, metadata);
    QFETCH(QString, manifest);
    QFETCH(QStringList, images);
    QFETCH(QString, expected);
    Epub book;
    book.metadata = metadata;
    book.manifest = manifest;
    for (const QString &image : images)
        book.extra.append({ image, "image bytes" });
    const QString path = write(book,
                               QStringLiteral("cover-%1.epub")
                                       .arg(qHash(QString::fromLatin1(QTest::currentDataTag()))));

    epub::EpubDocument document(path);
    QVERIFY(document.load());
    const QString folder = Paths::bookPath(path);
    QCOMPARE(document.bookInfo().coverPath(),
             expected.isEmpty() ? QString() : folder + "/" + expected);

    // The library's metadata-only reading finds the same cover.
    QVERIFY(Paths::removeDir(folder));
    epub::EpubDocument owner(path);
    epub::EpubParser parser(&owner);
    QCOMPARE(parser.open(path, true), 0);
    QCOMPARE(parser.info().coverPath(),
             expected.isEmpty() ? QString() : Paths::bookPath(path) + "/" + expected);
}

void TestEpubParser::coverSearchOfHostileBooks_data()
{
    QTest::addColumn<QString>("metadata");
    QTest::addColumn<QStringList>("images");

    // Picture names of 8000 characters made the cover pattern backtrack
    // for most of a second each.
    QStringList longNames;
    for (int i = 0; i < 200; ++i)
        longNames.append(QStringLiteral("OEBPS/%1%2.jpg").arg(QString(8000, 'a')).arg(i));
    QTest::newRow("long names") << QString() << longNames;
    // Each cover name sought among all the pictures, the archive listed
    // anew for every one.
    QStringList pictures;
    for (int i = 0; i < 2000; ++i)
        pictures.append(QStringLiteral("OEBPS/images/p%1.jpg").arg(i));
    QTest::newRow("many names")
            << QStringLiteral("<meta name=\"cover\" content=\"absent\"/>").repeated(20000)
            << pictures;
}

void TestEpubParser::coverSearchOfHostileBooks()
{
    QFETCH(QString, metadata);
    QFETCH(QStringList, images);
    Epub book;
    book.metadata = metadata;
    for (const QString &image : images)
        book.extra.append({ image, "image bytes", true, 0 });
    const QString path = write(
            book,
            QStringLiteral("hostile-cover-%1.epub").arg(QTest::currentDataTag()[0] == 'l' ? 1 : 2));
    epub::EpubDocument owner(path);
    epub::EpubParser parser(&owner);
    QCOMPARE(parser.open(path, true), 0);
    QVERIFY(parser.info().coverPath().isEmpty());
}

void TestEpubParser::emptyHrefsMeanNothing()
{
    Epub book;
    book.ncx = QString();
    book.manifest = "<item id=\"ncx\" href=\"\" media-type=\"application/x-dtbncx+xml\"/>"
                    "<item id=\"empty\" href=\"\" media-type=\"application/xhtml+xml\"/>";
    book.spine = "<itemref idref=\"empty\"/>";
    book.extra = { { "META-INF/encryption.xml", "<encryption/>" },
                   { "OEBPS/other.xhtml", Epub::xhtml("<p>x</p>") } };
    const QString path = write(book, QStringLiteral("empty-href.epub"));

    // Metadata-only mode extracts what it names, not every entry.
    epub::EpubDocument owner(path);
    epub::EpubParser parser(&owner);
    QCOMPARE(parser.open(path, true), 0);
    const QString folder = Paths::bookPath(path);
    QVERIFY(!QFileInfo::exists(folder + "/OEBPS/other.xhtml"));
    QVERIFY(QFileInfo::exists(folder + "/OEBPS/ch1.xhtml")); // the probed document

    epub::EpubDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.spineFiles().mid(1), QStringList({ "ch1.xhtml", "ch2.xhtml" }));
    QVERIFY(readFile(TocFile::path(path)).isEmpty());
}

void TestEpubParser::metadataOnly()
{
    Epub book;
    book.metadata = "<meta name=\"cover\" content=\"img\"/>";
    book.manifest = "<item id=\"img\" href=\"c.png\" media-type=\"image/png\"/>";
    book.extra = { { "OEBPS/c.png", "png" } };
    const QString path = write(book, QStringLiteral("metadata.epub"));
    epub::EpubDocument owner(path);
    epub::EpubParser parser(&owner);
    QCOMPARE(parser.open(path, true), 0);
    const epub::BookInfo info = parser.info();
    QCOMPARE(info.title(), QStringLiteral("Test Book"));
    QCOMPARE(info.author(), QStringLiteral("Ann Author"));
    QCOMPARE(info.coverPath(), Paths::bookPath(path) + "/OEBPS/c.png");
    QVERIFY(!info.encrypted);
    QVERIFY(owner.spineFiles().isEmpty());
    // Only what it needs is extracted.
    QVERIFY(!QFileInfo::exists(Paths::bookPath(path) + "/OEBPS/ch1.xhtml"));
    QVERIFY(!QFileInfo::exists(TocFile::path(path)));
}

void TestEpubParser::metadataOnlyFailures_data()
{
    QTest::addColumn<QString>("missing");
    QTest::newRow("container") << "META-INF/container.xml";
    QTest::newRow("package") << "OEBPS/content.opf";
}

void TestEpubParser::metadataOnlyFailures()
{
    QFETCH(QString, missing);
    QList<Entry> entries = Epub().entries();
    entries.erase(std::remove_if(entries.begin(), entries.end(),
                                 [&](const Entry &entry) { return entry.name == missing; }),
                  entries.end());
    const QString path
            = write(entries, QStringLiteral("without-%1.epub").arg(QTest::currentDataTag()));
    epub::EpubDocument owner(path);
    epub::EpubParser parser(&owner);
    QCOMPARE(parser.open(path, true), 1);

    // Reading mode still opens it, without metadata or spine documents.
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.spineFiles().size(), 1);
}

void TestEpubParser::bookInfoFields()
{
    Epub book;
    book.author = QString();
    book.title = QString();
    book.metadata = "<dc:creator>First</dc:creator><dc:creator>Second</dc:creator>"
                    "<dc:date>2001</dc:date><meta name=\"calibre:series\" content=\"Saga\"/>"
                    "<meta name=\"generator\" content=\"tool\"/><dc:language>en</dc:language>"
                    "<dc:coverage>world</dc:coverage><meta name=\"cover\" content=\"c\"/>"
                    "<meta property=\"dcterms:modified\">2020</meta>";
    const QString path = write(book, QStringLiteral("fields.epub"));
    epub::EpubDocument document(path);
    QVERIFY(document.load());
    const epub::BookInfo &info = document.bookInfo();
    QCOMPARE(info.author(), QStringLiteral("First"));
    QVERIFY(info.title().isEmpty());
    QCOMPARE(info.identifier, QStringList { "Saga" });
    QCOMPARE(info.language, QStringList { "en" });
    QCOMPARE(info.coverage, QStringList({ "world", "c" }));
    QCOMPARE(info.manifest.value("c1").href, QStringLiteral("ch1.xhtml"));
    QCOMPARE(info.spine, QStringList({ "c1", "c2" }));

    epub::BookInfo empty;
    QCOMPARE(empty.author(), QStringLiteral("Unknown"));
    empty.setField(7, "date");
    empty.setField(16, "generator");
    empty.setField(42, "nothing");
    empty.setField(12, "relation");
    QCOMPARE(empty.relation, QStringList { "relation" });
    QCOMPARE(epub::BookInfo::metadataIndex("dc:date"), 7);
    QCOMPARE(epub::BookInfo::metadataIndex("DC:TITLE"), -1);
}

VL_TEST_GUI_MAIN(TestEpubParser)
#include "tst_epubparser.moc"
