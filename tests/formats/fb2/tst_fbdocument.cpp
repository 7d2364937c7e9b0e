#include "core/paths.h"
#include "document/tocfile.h"
#include "formats/fb2/fbdocument.h"
#include "tests/formats/fb2/fb2fixtures.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextCodec>

using namespace fb2test;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QJsonArray readToc(const QString &bookPath)
{
    return QJsonDocument::fromJson(readAll(TocFile::path(bookPath))).array();
}

// tale.fb2: one titled body with a leaf section A and a section B holding
// the leaf sections B1 and B2.
QByteArray tale(const QByteArray &leadingImageOfB = QByteArray())
{
    return book("<description><title-info><book-title>Tale</book-title></title-info></description>"
                "<body><title><p>The Tale</p></title><epigraph><p>Once</p></epigraph>"
                "<section><title><p>A</p></title><p>a text</p></section>"
                "<section>"
                + leadingImageOfB
                + "<title><p>B</p></title><p>lost</p>"
                  "<section><title><p>B1</p></title><p>b1 text</p></section>"
                  "<section><title><p>B2</p></title><p>b2 text</p></section></section></body>"
                + binary("pic.png", filled(3, 3)));
}

} // namespace

class TestFbDocument : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void pagesAndToc();
    void leadingImagePage();
    void textBook();
    void windows1251TextBook();
    void longTextBookIsCutIntoPages();
    void tooLargeBook();
    void manySections();
    void oldPagesAreReplaced();
    void coverOnFirstBodyPage();
    void unreadableBookKeepsItsPages();
    void hostileImageIds();
    void tableOfContents();
    void loadResourceScales();

private:
    QString bookFile(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_dir;
};

QString TestFbDocument::bookFile(const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(m_dir.filePath(name)).absolutePath());
    return writeFile(m_dir.filePath(name), bytes);
}

void TestFbDocument::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestFbDocument::pagesAndToc()
{
    const QString path = bookFile("tale.fb2", tale());
    fb2::FbDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.status(), int(fb2::FbDocument::Ok));
    const QString folder = Paths::bookPath(path);
    QCOMPARE(document.pages(),
             QStringList({ folder, "tale.fb2_1.html", "tale.fb2_2.html", "tale.fb2_3.html",
                           "tale.fb2_4.html" }));

    const QString body = QString::fromUtf8(readAll(folder + "/tale.fb2_1.html"));
    QVERIFY(body.startsWith(QStringLiteral(
            "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset = utf-8\"/>"
            "</head><body><h2 id=\"{")));
    QVERIFY(body.endsWith(
            QStringLiteral("\"><p>The Tale</p></h2><p><p>Once</p></p></body></html>")));
    QVERIFY(readAll(folder + "/tale.fb2_2.html").contains("<p>a text</p>"));
    QVERIFY(readAll(folder + "/tale.fb2_3.html").contains("<p>b1 text</p>"));
    QVERIFY(readAll(folder + "/tale.fb2_4.html").contains("<p>b2 text</p>"));
    QCOMPARE(QImage(folder + "/pic.png").size(), QSize(3, 3));

    // The ".toc" is named after the digest of the book path.
    QCOMPARE(QFileInfo(TocFile::path(path)).fileName(), Paths::hashHex(path) + ".toc");
    const QJsonArray toc = readToc(path);
    QCOMPARE(toc.size(), 1);
    const QJsonObject bodyEntry = toc.at(0).toObject();
    QCOMPARE(bodyEntry.value("Title").toString(), QStringLiteral("The Tale"));
    QCOMPARE(bodyEntry.value("Source").toString(), QStringLiteral("tale.fb2_1.html"));
    const QJsonArray childs = bodyEntry.value("Childs").toArray();
    QCOMPARE(childs.size(), 2);
    QCOMPARE(childs.at(0).toObject(),
             QJsonObject({ { "Title", "A" }, { "Source", "tale.fb2_2.html" } }));
    const QJsonObject b = childs.at(1).toObject();
    QCOMPARE(b.value("Title").toString(), QStringLiteral("B"));
    QCOMPARE(b.value("Source").toString(), QStringLiteral("tale.fb2_3.html"));
    QCOMPARE(b.value("Childs").toArray(),
             QJsonArray({ QJsonObject { { "Title", "B1" }, { "Source", "tale.fb2_3.html" } },
                          QJsonObject { { "Title", "B2" }, { "Source", "tale.fb2_4.html" } } }));
}

void TestFbDocument::leadingImagePage()
{
    const QString path = bookFile("img/tale.fb2", tale("<image l:href=\"#pic.png\"/>"));
    fb2::FbDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.pages().size(), 6);
    const QString folder = document.pages().first();
    QVERIFY(readAll(folder + "/tale.fb2_3.html").contains("<body><img src=\"pic.png\" /></body>"));
    const QJsonObject b = readToc(path).at(0).toObject().value("Childs").toArray().at(1).toObject();
    QCOMPARE(b.value("Source").toString(), QStringLiteral("tale.fb2_4.html"));
}

void TestFbDocument::textBook()
{
    const QString path = bookFile("Notes.TXT", "first line\nsecond & <last>\n");
    fb2::FbDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.pages().size(), 2);
    QCOMPARE(document.pages().at(1), QStringLiteral("Notes.TXT_1.html"));
    const QByteArray page = readAll(document.pages().at(0) + "/Notes.TXT_1.html");
    QVERIFY(page.contains("<p>first line</p><p>second &amp; &lt;last&gt;</p>"));
    QVERIFY(!QFile::exists(TocFile::path(path)));
    QCOMPARE(document.bookTitle(), QStringLiteral("Notes"));
}

void TestFbDocument::windows1251TextBook()
{
    const QString text = QString::fromUtf8("\xD0\xA2\xD0\xB5\xD0\xBA\xD1\x81\xD1\x82");
    const QString path
            = bookFile("ru.txt", QTextCodec::codecForName("windows-1251")->fromUnicode(text));
    fb2::FbDocument document(path);
    document.setEncoding(QStringLiteral("windows-1251"));
    QVERIFY(document.load());
    const QString page = QString::fromUtf8(readAll(document.pages().at(0) + "/ru.txt_1.html"));
    QVERIFY(page.contains("<p>" + text + "</p>"));
}

void TestFbDocument::longTextBookIsCutIntoPages()
{
    // A page is laid out whole by the web page: a long book in one page took
    // gigabytes there.
    QByteArray text;
    for (int i = 0; i < 40000; ++i)
        text += "Line number " + QByteArray::number(i) + " of a long plain text book.\n";
    const QString path = bookFile("long/long.txt", text);
    fb2::FbDocument document(path);
    QVERIFY(document.load());
    const QStringList pages = document.pages();
    QVERIFY2(pages.size() > 5, qPrintable(QString::number(pages.size())));
    QByteArray all;
    for (int i = 1; i < pages.size(); ++i) {
        QCOMPARE(pages.at(i), QStringLiteral("long.txt_%1.html").arg(i));
        const QByteArray page = readAll(pages.first() + QLatin1Char('/') + pages.at(i));
        QVERIFY(page.size() < 1024 * 1024);
        all += page;
    }
    // Every line once, in order, and none cut.
    int at = 0;
    for (int i = 0; i < 40000; i += 997) {
        const QByteArray line = "<p>Line number " + QByteArray::number(i) + " of a long";
        const int found = all.indexOf(line, at);
        QVERIFY2(found >= at, line.constData());
        at = found;
    }
    QVERIFY(!QFile::exists(TocFile::path(path)));
}

void TestFbDocument::tooLargeBook()
{
    const QByteArray line = "Line of a text book that is far too long to be shown.\n";
    const QString path = bookFile(
            "huge/huge.txt",
            line.repeated(int(fb2::FbDescription::maximumFileSize() / line.size()) + 1));
    fb2::FbDocument document(path);
    QVERIFY(!document.load());
    QCOMPARE(document.status(), int(TextDocument::TooLarge));
    QVERIFY(document.pages().isEmpty());
}

void TestFbDocument::manySections()
{
    // Thousands of sections share pages, in work that grows with their
    // number, not its square; each contents entry names its place in its
    // page, and every section's text is written once.
    constexpr int Sections = 20000;
    QByteArray inner = "<body><title><p>Many</p></title><section><title><p>Part</p></title>";
    for (int i = 0; i < Sections; ++i) {
        inner += i % 2 ? "<section><p>untitled " + QByteArray::number(i) + "</p></section>"
                       : "<section><title><p>S" + QByteArray::number(i)
                        + "</p></title><p>text " + QByteArray::number(i) + "</p></section>";
    }
    inner += "</section></body>";
    const QString path = bookFile("many/many.fb2", book(inner));
    fb2::FbDocument document(path);
    QVERIFY(document.load());
    const QStringList pages = document.pages();
    QVERIFY2(pages.size() > 10 && pages.size() < 200, qPrintable(QString::number(pages.size())));
    QByteArray all;
    for (int i = 1; i < pages.size(); ++i)
        all += readAll(pages.first() + QLatin1Char('/') + pages.at(i));

    const QJsonObject part = readToc(path).at(0).toObject().value("Childs").toArray().at(0).toObject();
    const QJsonArray entries = part.value("Childs").toArray();
    QCOMPARE(entries.size(), Sections);
    QCOMPARE(part.value("Source").toString(), entries.at(0).toObject().value("Source").toString());
    for (int i : { 0, 1, Sections / 2 + 1, Sections - 1 }) {
        const QString source = entries.at(i).toObject().value("Source").toString();
        const QString page = source.section(QLatin1Char('#'), 0, 0);
        const QString anchor = source.section(QLatin1Char('#'), 1);
        QVERIFY2(pages.contains(page), qPrintable(source));
        const QByteArray html = readAll(pages.first() + QLatin1Char('/') + page);
        const int at = html.indexOf("id=\"" + anchor.toUtf8() + "\"");
        QVERIFY2(at >= 0, qPrintable(source));
        const QByteArray text = (i % 2 ? "untitled " : "text ") + QByteArray::number(i) + "</p>";
        QVERIFY(html.indexOf(text, at) > at);
        QCOMPARE(all.count(text), 1);
    }
    QCOMPARE(document.tableOfContents().at(0).children.at(0).children.size(), Sections);
}

void TestFbDocument::oldPagesAreReplaced()
{
    const QString path = bookFile("again/book.fb2", tale());
    const QString folder = Paths::bookPath(path);
    writeFile(folder + "/stale.HTML", "old");
    writeFile(folder + "/keep.css", "css");
    fb2::FbDocument document(path);
    QVERIFY(document.load());
    QVERIFY(!QFile::exists(folder + "/stale.HTML"));
    QVERIFY(QFile::exists(folder + "/keep.css"));
    QVERIFY(QFile::exists(folder + "/book.fb2_4.html"));
}

void TestFbDocument::coverOnFirstBodyPage()
{
    const QString path = bookFile("cover/c.fb2",
                                  book("<body><title><p>One</p></title></body>"
                                       "<body><title><p>Two</p></title></body>"));
    filled(2, 2).save(Paths::bookPath(path) + "/cover.png");
    fb2::FbDocument document(path);
    QVERIFY(document.load());
    const QString folder = document.pages().first();
    QVERIFY(readAll(folder + "/c.fb2_1.html").contains("<img src=\"cover.png\" />"));
    QVERIFY(!readAll(folder + "/c.fb2_2.html").contains("cover.png"));
}

void TestFbDocument::unreadableBookKeepsItsPages()
{
    const QString path = bookFile("broken/book.fb2", tale());
    {
        fb2::FbDocument document(path);
        QVERIFY(document.load());
    }
    writeFile(path, "<FictionBook><body><section>");
    fb2::FbDocument document(path);
    QVERIFY(!document.load());
    QCOMPARE(document.status(), int(fb2::FbDocument::Damaged));
    QVERIFY(document.pages().isEmpty());
    QVERIFY(QFile::exists(Paths::bookPath(path) + "/book.fb2_1.html"));
    QCOMPARE(document.tableOfContents().size(), 0);
    QCOMPARE(document.titleByPosition(3), QString());
}

void TestFbDocument::hostileImageIds()
{
    const QString path
            = bookFile("hostile/h.fb2",
                       book("<body><section><p>x</p><image l:href=\"#../../escape.png\"/>"
                            "<image l:href=\"#a&quot;onerror=&quot;x.png\"/></section></body>"
                            + binary("../../escape.png", filled(2, 2))
                            + binary("a\"onerror=\"x.png", filled(2, 2))));
    fb2::FbDocument document(path);
    QVERIFY(document.load());
    const QString folder = QDir::fromNativeSeparators(document.pages().first());
    // Nothing lands outside the storage folder.
    QVERIFY(!QFile::exists(QDir::cleanPath(folder + "/../../escape.png")));
    QVERIFY(!QFile::exists(QDir::cleanPath(folder + "/../escape.png")));
    const QString escapedName = fb2::imageFileName("../../escape.png");
    QVERIFY(QFile::exists(folder + "/" + escapedName));
    const QString page = QString::fromUtf8(readAll(folder + "/h.fb2_2.html"));
    QVERIFY(page.contains("<img src=\"" + escapedName + "\" />"));
    QVERIFY(!page.contains("onerror=\""));
    QDirIterator files(m_dir.path(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext())
        QVERIFY(!files.next().endsWith("escape.png"));
}

void TestFbDocument::tableOfContents()
{
    const QString path = bookFile("toc/t.fb2",
                                  book("<body><title><p>Main</p></title><section><title><p>S</p>"
                                       "</title><p>x</p></section></body><body><section/></body>"));
    fb2::FbDocument document(path);
    QVERIFY(document.load());
    const QList<TocItem> toc = document.tableOfContents();
    QCOMPARE(toc.size(), 2);
    QCOMPARE(toc.at(0).title, QStringLiteral("Main"));
    QCOMPARE(toc.at(0).children.size(), 1);
    QCOMPARE(toc.at(1).title, QStringLiteral("Partition 2"));
    QVERIFY(toc.at(1).source.isEmpty());
    // The file keeps the untitled body's title empty.
    QCOMPARE(readToc(path).at(1).toObject().value("Title").toString(), QString());
    QCOMPARE(document.titleByPosition(0), QStringLiteral("Partition 2"));
}

void TestFbDocument::loadResourceScales()
{
    const QString path = bookFile("res/r.fb2",
                                  book("<body/>" + binary("wide.png", filled(700, 200))
                                       + binary("small.png", filled(350, 20))));
    fb2::FbDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.resource(QTextDocument::ImageResource, QUrl("wide.png"))
                     .value<QImage>()
                     .size(),
             QSize(350, 100));
    QCOMPARE(document.resource(QTextDocument::ImageResource, QUrl("small.png"))
                     .value<QImage>()
                     .size(),
             QSize(350, 20));
    QVERIFY(document.resource(QTextDocument::ImageResource, QUrl("none.png")).isNull());
    QCOMPARE(document.imageSize("wide.png"), QSize(700, 200));
    QCOMPARE(document.imageSize("none.png"), QSize(0, 0));
}

VL_TEST_GUI_MAIN(TestFbDocument)
#include "tst_fbdocument.moc"
