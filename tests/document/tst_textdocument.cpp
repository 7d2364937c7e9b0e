#include "document/textdocument.h"
#include "tests/document/picturefixture.h"
#include "tests/support/testenvironment.h"

#include <QBuffer>
#include <QSignalSpy>
#include <QTextBlock>
#include <QTextCursor>

class TestTextDocument : public QObject
{
    Q_OBJECT
private slots:
    void emptyDocument();
    void scaledPictures_data();
    void scaledPictures();
    void noViewPortMeansOnePage();
    void interfaceCast();
    void navigation_data();
    void navigation();
    void progress();
    void resizeKeepsText();
    void searchMarksAndLists();
    void searchEscapesBookText();
    void searchPageJump_data();
    void searchPageJump();
    void clearSearchRemovesMarks();
    void findAnchorBlock();
    void anchorPositionsInOnePass();

private:
    // A book of many paragraphs laid out in small pages.
    void fillPaged(TextDocument &document);
};

void TestTextDocument::fillPaged(TextDocument &document)
{
    QString html;
    for (int i = 0; i < 120; ++i)
        html += QStringLiteral("<p>Paragraph %1 holds some words to fill the line.</p>").arg(i);
    document.setHtml(html);
    document.setMargings(QMargins(10, 10, 10, 10));
    document.setViewPortSize(QSize(400, 300));
}

namespace {

QByteArray encoded(int width, int height, const char *format)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

void TestTextDocument::scaledPictures_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QSize>("bound");
    QTest::addColumn<qint64>("budget");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<qint64>("budgetLeft");

    QTest::newRow("bomb") << PictureFixture::pngClaiming(23000, 23000) << QSize(600, 900)
                          << qint64(-1) << QSize() << qint64(-1);
    QTest::newRow("one side too long") << PictureFixture::pngClaiming(30000, 10) << QSize(600, 900)
                                       << qint64(-1) << QSize() << qint64(-1);
    QTest::newRow("jpeg scaled while read") << encoded(1200, 800, "JPG") << QSize(300, 300)
                                            << qint64(-1) << QSize(300, 200) << qint64(-1);
    QTest::newRow("png scaled") << encoded(400, 1000, "PNG") << QSize(100, 100) << qint64(-1)
                                << QSize(40, 100) << qint64(-1);
    QTest::newRow("small never enlarged") << encoded(20, 10, "PNG") << QSize(600, 900)
                                          << qint64(-1) << QSize(20, 10) << qint64(-1);
    QTest::newRow("pixels taken from the budget")
            << encoded(100, 50, "PNG") << QSize(10, 10) << qint64(6000) << QSize(10, 5)
            << qint64(1000);
    QTest::newRow("over the budget") << encoded(100, 50, "PNG") << QSize(10, 10) << qint64(4999)
                                     << QSize() << qint64(4999);
    QTest::newRow("no picture") << QByteArray("<p>text</p>") << QSize(10, 10) << qint64(-1)
                                << QSize() << qint64(-1);
}

void TestTextDocument::scaledPictures()
{
    QFETCH(QByteArray, data);
    QFETCH(QSize, bound);
    QFETCH(qint64, budget);
    QFETCH(QSize, size);
    QFETCH(qint64, budgetLeft);
    QBuffer buffer(&data);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    qint64 left = budget;
    const QImage image
            = TextDocument::decodeScaledImage(&buffer, bound, budget < 0 ? nullptr : &left);
    QCOMPARE(image.size(), size.isValid() ? size : QSize(0, 0));
    QCOMPARE(left, budgetLeft);
    // The whole-picture decoder applies the same check.
    if (!size.isValid())
        QVERIFY(TextDocument::decodeImage(data, budget < 0 ? nullptr : &left).isNull());
}

void TestTextDocument::emptyDocument()
{
    TextDocument document;
    QCOMPARE(document.pageCount(), 0);
    QVERIFY(!document.load());
    QCOMPARE(document.imageSize(QStringLiteral("x")), QSize(-1, -1));
    QVERIFY(document.tableOfContents().isEmpty());
    QVERIFY(document.titleByPosition(0).isEmpty());
    QVERIFY(document.viewer() == nullptr);
    QVERIFY(document.isLoaded());
    QCOMPARE(document.columnCount(), 1);
    QVERIFY(document.search(QStringLiteral("x")).isEmpty());
    QVERIFY(document.search(QString()).isEmpty());
}

void TestTextDocument::noViewPortMeansOnePage()
{
    TextDocument document;
    document.setPlainText(QStringLiteral("some text"));
    // No size yet: every position is on page 1, and zero sizes divide
    // nothing.
    QCOMPARE(document.pageByPosition(3), 1);
    document.setPageSize(QSizeF(100, 0));
    QCOMPARE(document.pageByPosition(3), 1);
    document.setPageSize(QSizeF(100, 0.4));
    QCOMPARE(document.pageByPosition(3), 1);
}

void TestTextDocument::interfaceCast()
{
    TextDocument document;
    QCOMPARE(qobject_cast<IDocument *>(&document), static_cast<IDocument *>(&document));
    QCOMPARE(static_cast<IDocument *>(document.qt_metacast("IDocument")),
             static_cast<IDocument *>(&document));
}

void TestTextDocument::navigation_data()
{
    QTest::addColumn<int>("columns");
    QTest::addColumn<int>("from"); // 0 for the last page, -1 for the last but one
    QTest::addColumn<bool>("forward");
    QTest::addColumn<int>("expected"); // 0 for the last page

    QTest::newRow("next, one column") << 1 << 1 << true << 2;
    QTest::newRow("next, two columns") << 2 << 1 << true << 3;
    QTest::newRow("next, two columns, last but one") << 2 << -1 << true << 0;
    QTest::newRow("next at the end") << 1 << 0 << true << 0;
    QTest::newRow("previous, two columns, page 2") << 2 << 2 << false << 2;
    QTest::newRow("previous, two columns, page 3") << 2 << 3 << false << 1;
    QTest::newRow("previous, one column, page 1") << 1 << 1 << false << 1;
}

void TestTextDocument::navigation()
{
    QFETCH(int, columns);
    QFETCH(int, from);
    QFETCH(bool, forward);
    QFETCH(int, expected);
    TextDocument document;
    fillPaged(document);
    document.setColumnCount(columns);
    const int count = document.pageCount();
    QVERIFY2(count > 4, qPrintable(QString::number(count)));
    document.setPage(from > 0 ? from : count + from);
    if (forward)
        document.next();
    else
        document.previous();
    QCOMPARE(document.currentPage(), expected > 0 ? expected : count);
}

void TestTextDocument::progress()
{
    TextDocument document;
    fillPaged(document);
    const int count = document.pageCount();
    document.moveToEnd();
    QCOMPARE(document.currentPage(), count);
    QCOMPARE(document.progress(), 100.0f);
    QCOMPARE(document.calcProgressByPage(count), 100);
    QCOMPARE(document.calcProgressByPage(0), 0);
    document.moveToHome();
    QCOMPARE(document.currentPage(), 1);
    QCOMPARE(document.currentPosition(), 0);
}

void TestTextDocument::resizeKeepsText()
{
    TextDocument document;
    fillPaged(document);
    document.setPage(4);
    const int position = document.currentPosition();
    QVERIFY(position > 0);
    QSignalSpy begin(&document, &TextDocument::beginResizePage);
    QSignalSpy end(&document, &TextDocument::endResizePage);
    document.setViewPortSize(QSize(300, 220));
    QCOMPARE(begin.size(), 1);
    QCOMPARE(end.size(), 1);
    QCOMPARE(document.pageByPosition(position), document.currentPage());
    // The same size again changes nothing.
    document.setViewPortSize(QSize(300, 220));
    QCOMPARE(begin.size(), 1);
}

void TestTextDocument::searchMarksAndLists()
{
    TextDocument document;
    document.setHtml(QStringLiteral("<p>the cat</p><p>then other thing with THE end</p>"
                                    "<p>nothing here</p>"));
    const QList<SearchResult> results = document.search(QStringLiteral("the"));
    QCOMPARE(results.size(), 2);
    QCOMPARE(results.at(0).text, QStringLiteral("<b>the</b> cat"));
    QCOMPARE(results.at(1).text,
             QStringLiteral("<b>the</b>n o<b>the</b>r thing with <b>the</b> end"));
    QCOMPARE(results.at(1).position, document.findBlockByNumber(1).position());
    QVERIFY(!results.at(0).isPageJump);
    QVERIFY(results.at(0).extra.isEmpty());

    // "other" is marked as a whole word, "nothing" is not.
    QTextCursor other(&document);
    other.setPosition(document.toPlainText().indexOf(QStringLiteral("other")) + 3);
    QCOMPARE(other.charFormat().background().style(), Qt::SolidPattern);
    QTextCursor nothing(&document);
    nothing.setPosition(document.toPlainText().indexOf(QStringLiteral("nothing")) + 2);
    QCOMPARE(nothing.charFormat().background().style(), Qt::NoBrush);
}

void TestTextDocument::searchEscapesBookText()
{
    TextDocument document;
    document.setPlainText(QStringLiteral("<img src=x onerror=alert(1)> & amp the"));
    const QList<SearchResult> results = document.search(QStringLiteral("amp"));
    QCOMPARE(results.size(), 1);
    QCOMPARE(results.first().text,
             QStringLiteral("&lt;img src=x onerror=alert(1)&gt; &amp; <b>amp</b> the"));
    const QList<SearchResult> typed = document.search(QStringLiteral("<img"));
    QCOMPARE(typed.size(), 1);
    QVERIFY(typed.first().text.startsWith(QStringLiteral("<b>&lt;img</b> src")));
}

void TestTextDocument::searchPageJump_data()
{
    QTest::addColumn<int>("offset"); // from the page count
    QTest::addColumn<bool>("jump");
    QTest::newRow("last page") << 0 << true;
    QTest::newRow("past the end") << 1 << false;
}

void TestTextDocument::searchPageJump()
{
    QFETCH(int, offset);
    QFETCH(bool, jump);
    TextDocument document;
    fillPaged(document);
    const int page = document.pageCount() + offset;
    // The page number also occurs in the text ("Paragraph 12").
    const QList<SearchResult> results = document.search(QString::number(page));
    QVERIFY(!results.isEmpty());
    QCOMPARE(results.first().isPageJump, jump);
    if (jump) {
        QCOMPARE(results.first().page, page);
        QCOMPARE(results.first().text, QStringLiteral("Go to page %1").arg(page));
        QCOMPARE(results.first().position, document.calcPositionByPage(page));
    }
    for (int i = 1; i < results.size(); ++i) {
        QVERIFY(!results.at(i).isPageJump);
        if (i > 1)
            QVERIFY(results.at(i - 1).page <= results.at(i).page);
    }
    QVERIFY(!document.search(QStringLiteral("0")).first().isPageJump);
}

void TestTextDocument::clearSearchRemovesMarks()
{
    TextDocument document;
    document.setPlainText(QStringLiteral("alpha beta alpha"));
    QSignalSpy cleaned(&document, &TextDocument::endCleanSearch);
    document.clearSearch();
    QCOMPARE(cleaned.size(), 0);

    QCOMPARE(document.search(QStringLiteral("alpha")).size(), 1);
    document.search(QStringLiteral("beta"));
    document.clearSearch();
    QCOMPARE(cleaned.size(), 1);
    for (int position : { 2, 8, 13 }) {
        QTextCursor cursor(&document);
        cursor.setPosition(position);
        QCOMPARE(cursor.charFormat().background().style(), Qt::NoBrush);
    }
    QCOMPARE(document.toPlainText(), QStringLiteral("alpha beta alpha"));
    document.clearSearch();
    QCOMPARE(cleaned.size(), 1);
}

void TestTextDocument::findAnchorBlock()
{
    TextDocument document;
    document.setHtml(QStringLiteral("<p>start</p><p>before <a name=\"here\">target</a></p>"
                                    "<p><a name=\"Block\">whole</a></p>"));
    const QString text = document.toPlainText();
    QCOMPARE(document.findAnchorBlock(QStringLiteral("here")),
             text.indexOf(QStringLiteral("target")));
    QCOMPARE(document.findAnchorBlock(QStringLiteral("Block")),
             text.indexOf(QStringLiteral("whole")));
    QCOMPARE(document.findAnchorBlock(QStringLiteral("block")), 0);
    QCOMPARE(document.findAnchorBlock(QString()), 0);
}

void TestTextDocument::anchorPositionsInOnePass()
{
    TextDocument document;
    QString html = QStringLiteral("<p><a name=\"first\">a</a> text</p>");
    for (int i = 0; i < 2000; ++i)
        html += QStringLiteral("<p>word <a name=\"n%1\">mark</a> word</p>").arg(i);
    html += QStringLiteral("<p><a name=\"first\">again</a></p><h4><a name=\"head\"></a>H</h4>");
    document.setHtml(html);
    const QHash<QString, int> positions = document.anchorPositions();
    QCOMPARE(positions.size(), 2002);
    // The same answer as the look-up of one name, the first of two alike.
    for (const QString &name : { QStringLiteral("first"), QStringLiteral("n0"),
                                 QStringLiteral("n1999"), QStringLiteral("head") })
        QCOMPARE(positions.value(name, -1), document.findAnchorBlock(name));
    QVERIFY(positions.value(QStringLiteral("n1999")) > positions.value(QStringLiteral("n0")));
}

VL_TEST_GUI_MAIN(TestTextDocument)
#include "tst_textdocument.moc"
