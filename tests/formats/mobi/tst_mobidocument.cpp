#include "core/paths.h"
#include "formats/mobi/mobidocument.h"
#include "formats/mobi/mobifile.h"
#include "formats/mobi/mobimarkup.h"
#include "tests/formats/mobi/mobiwriter.h"
#include "tests/support/testenvironment.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextCodec>

using namespace mobitest;

namespace {

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestMobiDocument : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void fileposLinks_data();
    void fileposLinks();
    void fileposTargetsCountBytes();
    void manyLinksOnePass();
    void pictures_data();
    void pictures();
    void pageBreaks();
    void headings();
    void headingsOfHostileMarkupInOnePass();
    void loadWritesPageePicturesAndToc();
    void loadHuffBook();
    void unreadableBooks_data();
    void unreadableBooks();
    void titleByPosition();
    void loadResource();
    void picturePixelsAreBounded();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_dir;
};

QString TestMobiDocument::write(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write fixture");
    return path;
}

void TestMobiDocument::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestMobiDocument::fileposLinks_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray padding(40, '.');
    QTest::newRow("target in text") << "<a filepos=0000000072>go</a>" + padding + "<p>Here"
                                    << "<a href=\"#0000000072\">go</a>" + padding
                    + "<p>H<a name=\"0000000072\">&nbsp;</a>ere";
    QTest::newRow("target inside a tag moves before it")
            << "<a filepos='0000000074'>go</a>" + padding + "<p class=\"x\">Here"
            << "<a href=\"#0000000074\">go</a>" + padding
                    + "<a name=\"0000000074\">&nbsp;</a><p class=\"x\">Here";
    QTest::newRow("target past the end") << QByteArray("<a href=\"x\" filepos=\"99999\">go</a>")
                                         << QByteArray("<a href=\"#99999\">go</a>");
    QTest::newRow("two links to one target")
            << QByteArray("<a filepos=38>1</a><a filepos=38>2</a>X")
            << QByteArray("<a href=\"#38\">1</a><a href=\"#38\">2</a><a name=\"38\">&nbsp;</a>X");
    QTest::newRow("target at the start")
            << QByteArray("Y<a filepos=0>go</a>")
            << QByteArray("<a name=\"0\">&nbsp;</a>Y<a href=\"#0\">go</a>");
    QTest::newRow("no links") << QByteArray("<p>plain</p>") << QByteArray("<p>plain</p>");
}

void TestMobiDocument::fileposLinks()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, expected);
    QCOMPARE(mobi::rewriteFileposLinks(text), expected);
}

void TestMobiDocument::fileposTargetsCountBytes()
{
    // Two-byte characters before the target: byte 30 is the "T", not
    // character 30.
    const QByteArray text = "<a filepos=30>x</a>\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"
                            "aTb";
    QCOMPARE(text.indexOf('T'), 30);
    const QString html = QString::fromUtf8(mobi::rewriteFileposLinks(text));
    QVERIFY2(html.endsWith(QString::fromUtf8("a<a name=\"30\">&nbsp;</a>Tb")), qPrintable(html));
    QVERIFY(html.contains(QString::fromUtf8("\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9")));
}

void TestMobiDocument::manyLinksOnePass()
{
    QByteArray text;
    QList<int> targets;
    for (int i = 0; i < 2000; ++i) {
        targets.append(text.size());
        text += "<p>Chapter " + QByteArray::number(i) + "</p>";
    }
    QByteArray links;
    for (int i = 0; i < 2000; ++i)
        links += "<a filepos=" + QByteArray::number(targets.at(i)).rightJustified(10, '0')
                + ">l</a>";
    // The links go after the text so the offsets stay right.
    const QByteArray html = mobi::rewriteFileposLinks(text + links);
    QCOMPARE(html.count("<a name=\""), 2000);
    QCOMPARE(html.count("<a href=\"#"), 2000);
    QVERIFY(html.startsWith("<a name=\"0000000000\">&nbsp;</a><p>Chapter 0</p>"));
}

void TestMobiDocument::pictures_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("expected");

    QTest::newRow("first picture") << "<img recindex=\"00001\" hisrc=\"x\" />"
                                   << "<center><img src=\"pdbrec_00000.jpg\"></center>";
    QTest::newRow("other attributes first") << "a<img align=\"left\" recindex=\"00003\">b"
                                            << "a<center><img src=\"pdbrec_00002.jpg\"></center>b";
    QTest::newRow("unquoted") << "<IMG recindex=2>"
                              << "<center><img src=\"pdbrec_00001.jpg\"></center>";
    QTest::newRow("picture the book lacks") << "x<img recindex=\"00009\">y"
                                            << "xy";
    QTest::newRow("zero") << "x<img recindex=\"0\">y"
                          << "xy";
    QTest::newRow("no record index") << "<img src=\"a.png\">"
                                     << "<img src=\"a.png\">";
}

void TestMobiDocument::pictures()
{
    QFETCH(QString, html);
    QFETCH(QString, expected);
    QCOMPARE(mobi::rewritePictures(html, 3), expected);
}

void TestMobiDocument::pageBreaks()
{
    QCOMPARE(mobi::rewritePageBreaks(QStringLiteral("a<mbp:pagebreak/>b")),
             QStringLiteral("a<p style=\"page-break-after:always\"></p>b"));
}

void TestMobiDocument::headings()
{
    QList<mobi::Heading> headings;
    const QString html = mobi::addHeadingAnchors(
            QStringLiteral("<h1 class=\"a>b\">One <i>x</i> </h1><p>t</p><h2>Two\nlines</h2>"
                           "<h5>no</h5><h3>unclosed<h4>Four</h4><head>"),
            &headings);
    QCOMPARE(headings.size(), 3);
    QCOMPARE(headings.at(0).title, QStringLiteral("One x"));
    QCOMPARE(headings.at(1).title, QStringLiteral("Two\nlines"));
    QCOMPARE(headings.at(2).title, QStringLiteral("Four"));
    for (const mobi::Heading &heading : headings) {
        QCOMPARE(heading.id.size(), 32);
        QVERIFY(html.contains(QStringLiteral("<a id=\"%1\">&nbsp;</a><h").arg(heading.id)));
    }
    QVERIFY(headings.at(0).id != headings.at(1).id);
    QVERIFY(html.contains(QStringLiteral("<h5>no</h5><h3>unclosed<a id=")));
}

void TestMobiDocument::headingsOfHostileMarkupInOnePass()
{
    // Heading tags that never close, with stray quotes: looking for the end
    // of each tag afresh read the rest of the book once per tag, minutes
    // for this text of 2 MB.
    QList<mobi::Heading> headings;
    mobi::addHeadingAnchors(
            QStringLiteral("<h1 '").repeated(400000) + QStringLiteral("<h2>Last</h2>"), &headings);
    QCOMPARE(headings.size(), 1);
    QCOMPARE(headings.first().title, QStringLiteral("Last"));
}

void TestMobiDocument::loadWritesPageePicturesAndToc()
{
    MobiLayout layout;
    QByteArray text = "<html><body><a filepos=0000000200>to two</a>"
                      "<h1>Chapter One</h1><p>first</p><img recindex=\"00001\">"
                      "<mbp:pagebreak/><h2>Chapter Two</h2><p>second</p>"
                      "<h3>Chapter Three</h3><img recindex=\"00002\"></body></html>";
    layout.text = text;
    layout.pictures = { picture(20, 10, "PNG"), picture(6, 6, "JPG") };
    const QString path = write("book.mobi", makeMobi(layout));

    mobi::MobiDocument document(path);
    QVERIFY(document.load());
    QCOMPARE(document.status(), int(mobi::MobiDocument::Ok));
    const QString folder = Paths::bookPath(path);
    const QString name = Paths::hashHex(path);
    QCOMPARE(document.files(), QStringList({ folder, name + QStringLiteral(".html") }));

    const QString html = QString::fromUtf8(readAll(folder + "/" + name + ".html"));
    QVERIFY(html.startsWith(QStringLiteral("<head><meta http-equiv=\"Content-Type\" "
                                           "content=\"text/html; charset = utf-8\"/></head>")));
    QVERIFY(html.contains(QStringLiteral("<a href=\"#0000000200\"")));
    QVERIFY(html.contains(QStringLiteral("<a name=\"0000000200\">&nbsp;</a>")));
    QVERIFY(html.contains(QStringLiteral("<img src=\"pdbrec_00000.jpg\">")));
    QVERIFY(html.contains(QStringLiteral("<img src=\"pdbrec_00001.jpg\">")));
    QVERIFY(html.contains(QStringLiteral("<p style=\"page-break-after:always\"></p>")));

    QCOMPARE(QImage(folder + "/pdbrec_00000.jpg").size(), QSize(20, 10));
    QCOMPARE(QImage(folder + "/pdbrec_00001.jpg").size(), QSize(6, 6));
    QVERIFY(!QFile::exists(folder + "/pdbrec_00002.jpg")); // the end record is no picture

    const QJsonArray toc = QJsonDocument::fromJson(readAll(folder + "/" + name + ".toc")).array();
    QCOMPARE(toc.size(), 3);
    const QStringList titles { "Chapter One", "Chapter Two", "Chapter Three" };
    QSet<QString> sources;
    for (int i = 0; i < 3; ++i) {
        const QJsonObject entry = toc.at(i).toObject();
        QCOMPARE(entry.value("Title").toString(), titles.at(i));
        const QString source = entry.value("Source").toString();
        QVERIFY(source.startsWith(name + QStringLiteral(".html#")));
        QVERIFY(html.contains(QStringLiteral("<a id=\"%1\">").arg(source.section('#', 1))));
        sources.insert(source);
    }
    QCOMPARE(sources.size(), 3);
    QCOMPARE(document.tableOfContents().size(), 3);
}

void TestMobiDocument::loadHuffBook()
{
    FixedHuffCode code(12, 10);
    for (int c = 1; c < 256; ++c)
        code.addLiteral(QByteArray(1, char(c)));
    const int word = code.addLiteral("<p>Huffman ");
    code.addNested({ word, word });
    QByteArray text = "<h1>Start</h1>";
    for (int i = 0; i < 500; ++i)
        text += "<p>Huffman text " + QByteArray::number(i) + "</p>";
    MobiLayout layout;
    layout.text = text;
    layout.compression = 17480;
    layout.huff = &code;
    layout.extraFlags = 3;
    const QString path = write("huff.prc", makeMobi(layout));
    mobi::MobiDocument document(path);
    QVERIFY(document.load());
    const QString html
            = QString::fromUtf8(readAll(document.files().at(0) + "/" + document.files().at(1)));
    QVERIFY(html.contains(QStringLiteral("<p>Huffman text 499</p>")));
}

void TestMobiDocument::unreadableBooks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("status");

    MobiLayout encrypted;
    encrypted.text = "<p>secret</p>";
    encrypted.encryption = 2;
    MobiLayout unknownEncoding;
    unknownEncoding.text = "<p>text</p>";
    unknownEncoding.encoding = 1251;
    MobiLayout unknownCompression;
    unknownCompression.text = "<p>text</p>";
    unknownCompression.compression = 7;
    MobiLayout brokenHuff;
    brokenHuff.compression = 17480;
    brokenHuff.textRecords = { QByteArray("\xAA\xBB") };
    brokenHuff.huffRecord = "HUFF broken";
    brokenHuff.cdicRecords = { QByteArray("CDIX") };

    QTest::newRow("encrypted") << makeMobi(encrypted) << int(mobi::MobiDocument::Protected);
    QTest::newRow("unknown encoding")
            << makeMobi(unknownEncoding) << int(mobi::MobiDocument::Damaged);
    QTest::newRow("unknown compression")
            << makeMobi(unknownCompression) << int(mobi::MobiDocument::Damaged);
    QTest::newRow("HUFF tables unusable")
            << makeMobi(brokenHuff) << int(mobi::MobiDocument::Damaged);
    QTest::newRow("not a book") << QByteArray("just some text, not a database")
                                << int(mobi::MobiDocument::Damaged);
    QTest::newRow("empty file") << QByteArray() << int(mobi::MobiDocument::Damaged);
}

void TestMobiDocument::unreadableBooks()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, status);
    const QString path
            = write(QStringLiteral("unreadable-%1.mobi").arg(QTest::currentDataTag()), bytes);
    mobi::MobiDocument document(path);
    QVERIFY(!document.load());
    QCOMPARE(document.status(), status);
    QVERIFY(document.files().isEmpty());
    // Nothing was written for it.
    QVERIFY(QDir(Paths::bookPath(path)).entryList(QDir::Files).isEmpty());
}

void TestMobiDocument::titleByPosition()
{
    QByteArray text;
    for (int i = 1; i <= 3; ++i) {
        text += "<h2>Part " + QByteArray::number(i) + "</h2>";
        for (int p = 0; p < 20; ++p)
            text += "<p>Some words of part " + QByteArray::number(i) + ".</p>";
    }
    MobiLayout layout;
    layout.text = text;
    mobi::MobiDocument document(write("titles.mobi", makeMobi(layout)));
    QCOMPARE(document.titleByPosition(5), QString());
    QVERIFY(document.load());
    document.reload(); // puts the HTML into the document, so anchors have positions
    const QList<TocItem> toc = document.tableOfContents();
    QCOMPARE(toc.size(), 3);
    QVERIFY(toc.at(0).position < toc.at(1).position);
    QVERIFY(toc.at(1).position < toc.at(2).position);
    QCOMPARE(document.titleByPosition(toc.at(0).position + 5), QStringLiteral("Part 1"));
    QCOMPARE(document.titleByPosition(toc.at(1).position + 5), QStringLiteral("Part 2"));
    QCOMPARE(document.titleByPosition(toc.at(2).position + 5), QStringLiteral("Part 3"));
    QCOMPARE(document.titleByPosition(-1), QStringLiteral("Part 1"));
}

void TestMobiDocument::loadResource()
{
    MobiLayout layout;
    layout.text = "<p>x</p>";
    layout.pictures = { picture(9, 4, "PNG") };
    mobi::MobiDocument document(write("resource.mobi", makeMobi(layout)));
    const QVariant first = document.resource(QTextDocument::ImageResource, QUrl("pdbrec:/1"));
    QCOMPARE(first.value<QImage>().size(), QSize(9, 4));
    QCOMPARE(document.imageSize(QStringLiteral("pdbrec:/1")), QSize(9, 4));
    QVERIFY(!document.imageSize(QStringLiteral("pdbrec:/7")).isValid());
    QVERIFY(document.resource(QTextDocument::ImageResource, QUrl("pdbrec:/0")).isNull());
    QVERIFY(document.resource(QTextDocument::ImageResource, QUrl("pdbrec:/3")).isNull());
    QVERIFY(document.resource(QTextDocument::ImageResource, QUrl("pdbrec:/x")).isNull());
    QVERIFY(document.resource(QTextDocument::ImageResource, QUrl("file:/1")).isNull());
}

void TestMobiDocument::picturePixelsAreBounded()
{
    // Ten plain pictures of 16 megapixels each, a few kilobytes apiece:
    // decoding, encoding and writing them all would cost far more than the
    // book's size warrants.
    QImage plain(4000, 4000, QImage::Format_Mono);
    plain.fill(0);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(plain.save(&buffer, "PNG"));
    MobiLayout layout;
    layout.text = "<p>x</p>";
    for (int i = 0; i < 10; ++i)
        layout.pictures.append(png);
    const QString path = write("plain-pictures.mobi", makeMobi(layout));

    mobi::MobiDocument document(path);
    QVERIFY(document.load());
    const QStringList written
            = QDir(Paths::bookPath(path)).entryList({ QStringLiteral("pdbrec_*.jpg") });
    QCOMPARE(written.size(), 4);
}

VL_TEST_GUI_MAIN(TestMobiDocument)
#include "tst_mobidocument.moc"
