#include "formats/fb2/fbdescription.h"
#include "formats/fb2/fbmetadata.h"
#include "tests/formats/fb2/fb2fixtures.h"
#include "tests/support/testenvironment.h"

#include <QTemporaryDir>
#include <QTextCodec>

using namespace fb2test;

namespace {

QByteArray cp1251(const QString &text)
{
    return QTextCodec::codecForName("windows-1251")->fromUnicode(text);
}

const QString russian = QString::fromUtf8("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");

// The first section of the first body as HTML.
QString firstSection(const QByteArray &sectionXml)
{
    QDomDocument document;
    document.setContent(book("<body><section>" + sectionXml + "</section></body>"), true);
    fb2::FbDescription description;
    if (!description.parse(document, false) || description.bodies.isEmpty()
        || description.bodies.first().sections.isEmpty())
        return QStringLiteral("<no section>");
    return description.bodies.first().sections.first().content;
}

} // namespace

class TestFbDescription : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void description();
    void authorsMerge();
    void coverImage_data();
    void coverImage();
    void bookTitleFallsBackToFirstSection();
    void detectEncoding_data();
    void detectEncoding();
    void declaredEncodings_data();
    void declaredEncodings();
    void textFiles_data();
    void textFiles();
    void unreadable_data();
    void unreadable();
    void brokenPictures();
    void picturePixelsAreBounded();
    void inlineMarkup_data();
    void inlineMarkup();
    void sectionParts();
    void imageReferences();
    void unsafeImageNames_data();
    void unsafeImageNames();
    void deepNestingIsBounded();
    void tocItems();
    void bookMetadata();

private:
    QTemporaryDir m_dir;
};

void TestFbDescription::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestFbDescription::description()
{
    const QByteArray xml = book(
            "<description><title-info><genre>sf</genre><genre></genre><genre>humor</genre>"
            "<author><first-name>Ann</first-name><last-name>Lee</last-name>"
            "<middle-name>M</middle-name><nickname>al</nickname></author>"
            "<book-title>The Title</book-title>"
            "<annotation><p>One.</p><p>Two.</p></annotation>"
            "<keywords>  red  green blue </keywords><date value=\"2001-02-03\">early</date>"
            "<coverpage><image l:href=\"#first.png\"/><image l:href=\"#cover.jpg\"/></coverpage>"
            "<lang>en</lang><src-lang>ru</src-lang>"
            "<translator><first-name>Tim</first-name></translator>"
            "<translator><last-name>Roe</last-name></translator></title-info>"
            "<document-info><author><nickname>maker</nickname></author>"
            "<program-used>Writer 1</program-used><date value=\"2010-12-31\"/><id>ID-7</id>"
            "<version>1.1</version></document-info>"
            "<publish-info><book-name>Print</book-name><publisher>House</publisher>"
            "<city>Town</city><year>1999</year></publish-info></description><body/>");
    fb2::FbDescription description;
    QVERIFY(description.loadFile(writeFile(m_dir.filePath("d.fb2"), xml), 0, QString()));
    const fb2::FbTitleInfo &info = description.titleInfo();
    QCOMPARE(info.genres, QStringList({ "sf", "humor" }));
    QCOMPARE(info.bookTitle, QStringLiteral("The Title"));
    QCOMPARE(info.annotation, QStringLiteral("One.Two."));
    QCOMPARE(info.keywords, QStringList({ "red", "green", "blue" }));
    QCOMPARE(info.date, QDate(2001, 2, 3));
    QCOMPARE(info.coverHref, QStringLiteral("cover.jpg"));
    QCOMPARE(info.lang, QStringLiteral("en"));
    QCOMPARE(info.srcLang, QStringLiteral("ru"));
    QCOMPARE(info.translators.size(), 2);
    QCOMPARE(info.translators.at(1).lastName, QStringLiteral("Roe"));
    QCOMPARE(info.author.email, QStringLiteral("al"));
    QCOMPARE(description.documentInfo().author.email, QStringLiteral("maker"));
    QCOMPARE(description.documentInfo().programUsed, QStringLiteral("Writer 1"));
    QCOMPARE(description.documentInfo().date, QDate(2010, 12, 31));
    QCOMPARE(description.documentInfo().id, QStringLiteral("ID-7"));
    QCOMPARE(description.documentInfo().version, QStringLiteral("1.1"));
    QCOMPARE(description.publishInfo().publisher, QStringLiteral("House"));
    QCOMPARE(description.publishInfo().year, QStringLiteral("1999"));
    QCOMPARE(description.authorName(), QStringLiteral("Lee Ann M"));
    QCOMPARE(description.bodies.size(), 1);
}

void TestFbDescription::authorsMerge()
{
    const QByteArray xml
            = book("<description><title-info>"
                   "<author><first-name>Ann</first-name><last-name>Lee</last-name></author>"
                   "<author><last-name>Moe</last-name></author>"
                   "</title-info></description>");
    fb2::FbDescription description;
    QVERIFY(description.loadFile(writeFile(m_dir.filePath("a.fb2"), xml), 0, QString()));
    QCOMPARE(description.authorName(), QStringLiteral("Moe Ann "));
}

void TestFbDescription::coverImage_data()
{
    QTest::addColumn<QStringList>("ids");
    QTest::addColumn<QSize>("cover");

    QTest::newRow("id with cover") << QStringList { "a.png", "cover.jpg" } << QSize(2, 2);
    QTest::newRow("smallest id") << QStringList { "b.png", "a.png" } << QSize(2, 2);
    QTest::newRow("none") << QStringList {} << QSize();
}

void TestFbDescription::coverImage()
{
    QFETCH(QStringList, ids);
    QFETCH(QSize, cover);
    QByteArray binaries;
    for (const QString &id : ids) {
        // The expected picture is 2 x 2; the others are 5 x 5.
        const bool expected = id.contains("cover") || (id == "a.png" && !ids.contains("cover.jpg"));
        binaries += binary(id, filled(expected ? 2 : 5, expected ? 2 : 5));
    }
    fb2::FbDescription description;
    QVERIFY(description.loadFile(writeFile(m_dir.filePath("c.fb2"), book("<body/>" + binaries)), 0,
                                 QString()));
    if (cover.isValid())
        QCOMPARE(description.coverImage().size(), cover);
    else
        QVERIFY(description.coverImage().isNull());
}

void TestFbDescription::bookTitleFallsBackToFirstSection()
{
    const QByteArray xml = book("<body><section><title><p>First</p><p>Part</p></title></section>"
                                "<section><title><p>Other</p></title></section></body>");
    fb2::FbDescription description;
    QVERIFY(description.loadFile(writeFile(m_dir.filePath("t.fb2"), xml), 0, QString()));
    QCOMPARE(description.bookTitle(), QStringLiteral("First  Part"));
}

void TestFbDescription::detectEncoding_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("encoding");

    QTest::newRow("double quotes") << "<?xml version=\"1.0\" encoding=\"windows-1251\"?>"
                                   << "windows-1251";
    QTest::newRow("single quotes") << "<?xml version='1.0' encoding='koi8-r'?>"
                                   << "koi8-r";
    QTest::newRow("upper case") << "<?xml ENCODING=\"ISO-8859-5\"?>"
                                << "ISO-8859-5";
    QTest::newRow("none") << "<?xml version=\"1.0\"?>"
                          << "UTF-8";
    QTest::newRow("empty") << "<?xml encoding=\"\"?>"
                           << "UTF-8";
}

void TestFbDescription::detectEncoding()
{
    QFETCH(QString, line);
    QFETCH(QString, encoding);
    QCOMPARE(fb2::detectEncoding(line), encoding);
}

void TestFbDescription::declaredEncodings_data()
{
    QTest::addColumn<QByteArray>("bytes");

    const QByteArray inner = "<description><title-info><book-title>" + cp1251(russian)
            + "</book-title></title-info></description>";
    QTest::newRow("windows-1251, double quotes") << book(inner, "windows-1251");
    QByteArray single = book(inner, "windows-1251");
    single.replace("encoding=\"windows-1251\"", "encoding='windows-1251'");
    QTest::newRow("windows-1251, single quotes") << single;
    QTest::newRow("UTF-8") << book("<description><title-info><book-title>" + russian.toUtf8()
                                   + "</book-title></title-info></description>");
    QTest::newRow("unknown codec name read as the locale's (UTF-8)")
            << book("<description><title-info><book-title>" + russian.toUtf8()
                            + "</book-title></title-info></description>",
                    "x-no-such-codec");
}

void TestFbDescription::declaredEncodings()
{
    QFETCH(QByteArray, bytes);
    fb2::FbDescription description;
    QVERIFY(description.loadFile(writeFile(m_dir.filePath("e.fb2"), bytes), 0, QString()));
    QCOMPARE(description.titleInfo().bookTitle, russian);
}

void TestFbDescription::textFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("content");

    QTest::newRow("UTF-8") << "story.txt" << QByteArray("one\n\ntwo <&> three\n") << QString()
                           << "story"
                           << "<p>one</p><p></p><p>two &lt;&amp;&gt; three</p>";
    QTest::newRow("capital suffix, name with dots and ampersand")
            << "Tom & Jerry.part.TXT" << QByteArray("x") << QString() << "Tom & Jerry"
            << "<p>x</p>";
    QTest::newRow("windows-1251") << "ru.txt" << cp1251(russian + "\n") << "windows-1251"
                                  << "ru"
                                  << "<p>" + russian + "</p>";
    QTest::newRow("unknown encoding read as UTF-8") << "u.txt" << russian.toUtf8() << "x-nothing"
                                                    << "u"
                                                    << "<p>" + russian + "</p>";
    QTest::newRow("control characters") << "c.txt"
                                        << QByteArray("a\x0C"
                                                      "b\x01"
                                                      "c")
                                        << QString() << "c"
                                        << "<p>a b c</p>";
}

void TestFbDescription::textFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, encoding);
    QFETCH(QString, title);
    QFETCH(QString, content);
    fb2::FbDescription description;
    QVERIFY2(description.loadFile(writeFile(m_dir.filePath(name), bytes), 0, encoding),
             qPrintable(description.lastError()));
    QCOMPARE(description.titleInfo().bookTitle, title);
    QCOMPARE(description.bodies.size(), 1);
    QCOMPARE(description.bodies.first().sections.size(), 1);
    QCOMPARE(description.bodies.first().sections.first().content, content);
}

void TestFbDescription::unreadable_data()
{
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("not XML") << QByteArray("<FictionBook><body>");
    QTest::newRow("other root") << QByteArray("<?xml version=\"1.0\"?><html><body/></html>");
    QTest::newRow("empty") << QByteArray();
    QTest::newRow("nested too deeply")
            << book(QByteArray("<body>") + QByteArray("<p>").repeated(5000)
                    + QByteArray("</p>").repeated(5000) + "</body>");
    // An entity may expand into far more than the file shows.
    QTest::newRow("nested too deeply through an entity")
            << "<?xml version=\"1.0\"?>\n<!DOCTYPE FictionBook [<!ENTITY deep \""
                    + QByteArray("<p>").repeated(100000) + QByteArray("</p>").repeated(100000)
                    + "\">]>\n<FictionBook><body><section>&deep;</section></body></FictionBook>";
}

void TestFbDescription::unreadable()
{
    QFETCH(QByteArray, bytes);
    fb2::FbDescription description;
    QVERIFY(!description.loadFile(writeFile(m_dir.filePath("bad.fb2"), bytes), 0, QString()));
    QVERIFY(!description.lastError().isEmpty());
    QVERIFY(description.bodies.isEmpty());
    QVERIFY(!description.loadFile(m_dir.filePath("missing.fb2"), 0, QString()));
}

void TestFbDescription::brokenPictures()
{
    // A bitmap header that claims 30000 x 30000 pixels and carries nothing.
    QByteArray huge;
    QBuffer buffer(&huge);
    buffer.open(QIODevice::WriteOnly);
    filled(2, 2).save(&buffer, "BMP");
    huge.replace(18, 4, QByteArray("\x30\x75\x00\x00", 4));
    huge.replace(22, 4, QByteArray("\x30\x75\x00\x00", 4));
    const QByteArray xml = book("<body/><binary id=\"bad.png\">@@not base64@@</binary>"
                                "<binary id=\"huge.bmp\">"
                                + huge.toBase64() + "</binary>" + binary("good.png", filled(3, 4)));
    fb2::FbDescription description;
    QVERIFY(description.loadFile(writeFile(m_dir.filePath("p.fb2"), xml), 0, QString()));
    QCOMPARE(description.images.size(), 3);
    QVERIFY(description.images.value("bad.png").isNull());
    QVERIFY(description.images.value("huge.bmp").isNull());
    QCOMPARE(description.images.value("good.png").size(), QSize(3, 4));
}

void TestFbDescription::picturePixelsAreBounded()
{
    // A plain picture of 36 megapixels packs into a few kilobytes; a small
    // book naming many of them would hold gigabytes of decoded pixels.
    QImage plain(6000, 6000, QImage::Format_Mono);
    plain.fill(0);
    QByteArray xml = "<body/>";
    for (int i = 0; i < 5; ++i)
        xml += binary(QStringLiteral("plain%1.png").arg(i), plain);
    xml += binary("small.png", filled(3, 4));
    fb2::FbDescription description;
    QVERIFY(description.loadFile(writeFile(m_dir.filePath("plain.fb2"), book(xml)), 0, QString()));
    QCOMPARE(description.images.size(), 6);
    int decoded = 0;
    for (const QImage &image : qAsConst(description.images))
        decoded += image.isNull() ? 0 : 1;
    QCOMPARE(decoded, 2);
    QCOMPARE(description.images.value("plain0.png").size(), QSize(6000, 6000));
    QCOMPARE(description.images.value("small.png").size(), QSize(3, 4));
}
void TestFbDescription::inlineMarkup_data()
{
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<QString>("html");

    QTest::newRow("nested emphasis")
            << QByteArray("<p>a<emphasis>b<strong>c</strong></emphasis></p>")
            << "<p>a<i>b<b>c</b></i></p>";
    QTest::newRow("footnote link dropped")
            << QByteArray("<p>see<a l:href=\"#n1\">[1]</a> here</p>") << "<p>see here</p>";
    QTest::newRow("style and strikethrough")
            << QByteArray("<p><style name=\"x\">s</style><strikethrough>t</strikethrough></p>")
            << "<p>s<s>t</s></p>";
    QTest::newRow("escaped text") << QByteArray("<p>&lt;b&gt; &amp; \"q\"</p>")
                                  << "<p>&lt;b&gt; &amp; &quot;q&quot;</p>";
    QTest::newRow("stanza verses joined") << QByteArray(
            "<poem><title><p>T</p></title><stanza><v>one</v><v>two</v></stanza></poem>")
                                          << "<p>T</p>onetwo";
    QTest::newRow("cite and empty lines")
            << QByteArray("<cite><p>c</p><empty-line/></cite><empty-line/>")
            << "<p>c</p></br><br/>";
    QTest::newRow("image after content") << QByteArray("<p>x</p><image l:href=\"#pic.png\"/>")
                                         << "<p>x</p><img src=\"pic.png\" />";
}

void TestFbDescription::inlineMarkup()
{
    QFETCH(QByteArray, xml);
    QFETCH(QString, html);
    QCOMPARE(firstSection(xml), html);
}

void TestFbDescription::sectionParts()
{
    QDomDocument document;
    document.setContent(
            book("<body name=\"notes\"><image l:href=\"#b.png\"/><title><p>Body</p></title>"
                 "<epigraph><p>E</p><poem><stanza><v>v</v></stanza></poem></epigraph>"
                 "<section id=\"s1\"><image l:href=\"#lead.png\"/><title><p>A</p><p>B</p></title>"
                 "<epigraph><p>ep</p></epigraph><subtitle>st</subtitle><p>text</p></section>"
                 "</body>"),
            true);
    fb2::FbDescription description;
    QVERIFY(description.parse(document, false));
    fb2::FbBody &body = description.bodies.first();
    QCOMPARE(body.name, QStringLiteral("notes"));
    QCOMPARE(body.image, QStringLiteral("b.png"));
    QCOMPARE(body.title, QStringLiteral("<p>Body</p>"));
    QCOMPARE(body.epigraphs, QStringList { "<p>E</p>v" });
    fb2::FbSection &section = body.sections.first();
    QCOMPARE(section.id, QStringLiteral("s1"));
    QCOMPARE(section.image, QStringLiteral("lead.png"));
    QCOMPARE(section.title, QStringLiteral("<p>A</p><p>B</p>"));
    QCOMPARE(fb2::plainTitle(section.title), QStringLiteral("A  B"));
    QCOMPARE(section.toHtml(),
             QStringLiteral("<h4 id=\"%1\"><p>A</p><p>B</p></h4><p><p>ep</p></p>"
                            "<img src=\"lead.png\" /><p>text</p>")
                     .arg(section.anchorId()));
    QCOMPARE(section.anchorId(), section.anchorId());
    QVERIFY(section.anchorId() != body.anchorId());
}

void TestFbDescription::imageReferences()
{
    QDomDocument document;
    document.setContent(book("<body><image l:href=\"#a.png\"/><image xlink:href=\"#b.png\" "
                             "xmlns:xlink=\"http://www.w3.org/1999/xlink\"/>"
                             "<image alt=\"x\" href=\"c.png\"/><image/></body>"),
                        true);
    QStringList references;
    for (QDomElement image = document.documentElement().firstChildElement().firstChildElement();
         !image.isNull(); image = image.nextSiblingElement())
        references << fb2::imageReference(image);
    QCOMPARE(references, QStringList({ "a.png", "b.png", "c.png", "" }));
}

void TestFbDescription::unsafeImageNames_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<bool>("kept");

    QTest::newRow("plain") << "cover.jpg" << true;
    QTest::newRow("non-ASCII") << QString::fromUtf8("\xD0\xBE\xD0\xB1.png") << true;
    QTest::newRow("parent folder") << "../../evil.png" << false;
    QTest::newRow("absolute") << "/etc/evil.png" << false;
    QTest::newRow("backslash") << "..\\evil.png" << false;
    QTest::newRow("drive") << "C:evil.png" << false;
    QTest::newRow("quote") << "a\"b.png" << false;
    QTest::newRow("hidden") << ".png" << false;
    QTest::newRow("fragment") << "a#b.png" << false;
    QTest::newRow("empty") << "" << false;
}

void TestFbDescription::unsafeImageNames()
{
    QFETCH(QString, key);
    QFETCH(bool, kept);
    const QString name = fb2::imageFileName(key);
    if (kept) {
        QCOMPARE(name, key);
        return;
    }
    QVERIFY(name.startsWith(QLatin1String("image_")));
    QVERIFY(!name.contains('/') && !name.contains('\\') && !name.contains(':'));
    QCOMPARE(fb2::imageFileName(key), name); // the same name every time
    QVERIFY(fb2::imageHtml(key).startsWith(QStringLiteral("<img src=\"image_")));
}

void TestFbDescription::deepNestingIsBounded()
{
    // Sections 200 deep, poems and epigraphs 200 deep, emphasis 300 deep:
    // all text stays, nothing overflows.
    const QByteArray sections
            = QByteArray("<section><title><p>S</p></title><p>deep</p>").repeated(200)
            + QByteArray("</section>").repeated(200);
    const QByteArray poems = "<section>" + QByteArray("<poem><epigraph>").repeated(200)
            + "<p>verse</p>" + QByteArray("</epigraph></poem>").repeated(200) + "<p>"
            + QByteArray("<emphasis>").repeated(300) + "word"
            + QByteArray("</emphasis>").repeated(300) + "</p></section>";
    fb2::FbDescription description;
    QVERIFY(description.loadFile(
            writeFile(m_dir.filePath("deep.fb2"), book("<body>" + sections + poems + "</body>")), 0,
            QString()));
    const QList<fb2::FbSection> &top = description.bodies.first().sections;
    QCOMPARE(top.size(), 2);
    int depth = 1;
    const fb2::FbSection *section = &top.first();
    while (!section->subsections.isEmpty()) {
        section = &section->subsections.first();
        ++depth;
    }
    QVERIFY(depth <= 32);
    QCOMPARE(section->content.count("deep"), 200 - depth + 1);
    QVERIFY(top.at(1).content.contains("verse"));
    QVERIFY(top.at(1).content.contains("word"));
}

void TestFbDescription::tocItems()
{
    fb2::FbDescription description;
    QVERIFY(description.loadFile(
            writeFile(m_dir.filePath("toc.fb2"),
                      book("<body><title><p>Main</p></title><section><title><p>One</p></title>"
                           "<section><title><p><emphasis>Two</emphasis></p></title></section></"
                           "section></body>"
                           "<body name=\"notes\"><section/></body>")),
            0, QString()));
    const QList<TocItem> items = description.tocItems();
    QCOMPARE(items.size(), 2);
    QCOMPARE(items.at(0).title, QStringLiteral("Main"));
    QCOMPARE(items.at(1).title, QStringLiteral("Partition 2"));
    QCOMPARE(items.at(0).children.at(0).title, QStringLiteral("One"));
    QCOMPARE(items.at(0).children.at(0).children.at(0).title, QStringLiteral("Two"));
    QCOMPARE(items.at(0).source, description.bodies.first().anchorId());
    QCOMPARE(items.at(1).children.size(), 1);
}

void TestFbDescription::bookMetadata()
{
    const QByteArray xml = book(
            "<description><title-info><genre>sf</genre><genre>humor</genre>"
            "<author><first-name>Ann</first-name><middle-name>M</middle-name><last-name>Lee</"
            "last-name></author>"
            "<book-title>Meta</book-title><annotation><p>About.</p></annotation><lang>en</lang>"
            "</title-info><document-info><id>D1</id></document-info>"
            "<publish-info><publisher>House</publisher></publish-info></description><body/>"
            + binary("x.png", filled(4, 3)));
    const fb2::BookMetadata book = fb2::readBookMetadata(writeFile(m_dir.filePath("m.fb2"), xml));
    QVERIFY(book.loaded);
    QCOMPARE(book.title, QStringLiteral("Meta"));
    QCOMPARE(book.author, QStringLiteral("Ann M Lee"));
    QCOMPARE(book.cover.size(), QSize(4, 3));
    const QMap<int, QString> expected { { 0, "D1" },    { 1, "Meta" },   { 2, "Ann M Lee" },
                                        { 5, "House" }, { 6, "About." }, { 7, "sf humor" },
                                        { 10, "en" } };
    QCOMPARE(book.metadata, expected);

    const fb2::BookMetadata untitled = fb2::readBookMetadata(
            writeFile(m_dir.filePath("my.first.book.fb2"), fb2test::book("<body/>")));
    QCOMPARE(untitled.title, QStringLiteral("my"));
    QVERIFY(!fb2::readBookMetadata(writeFile(m_dir.filePath("broken.fb2"), "<x")).loaded);
}

VL_TEST_GUI_MAIN(TestFbDescription)
#include "tst_fbdescription.moc"
