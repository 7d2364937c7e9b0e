#include "pagination/pagescript.h"
#include "tests/support/testenvironment.h"
#include "webpolicy/bookpage.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QWebFrame>
#include <QWebPage>

// The page script in a hidden page of the test's own: fixtures are blocks of
// fixed height that never split across columns, so page numbers do not
// depend on the fonts installed.
class TestPageScript : public QObject
{
    Q_OBJECT

private:
    static constexpr int Width = 800;
    static constexpr int Height = 600;
    static constexpr int Gap = 60;
    static constexpr int Margin = 20;

    QString m_script;
    QWebPage *m_page = nullptr;
    const QString m_uid = QStringLiteral("0123456789abcdef0123456789abcdef");

    void load(const QString &body)
    {
        delete m_page;
        m_page = new QWebPage(this);
        m_page->setViewportSize(QSize(Width, Height));
        m_page->mainFrame()->setScrollBarPolicy(Qt::Horizontal, Qt::ScrollBarAlwaysOff);
        m_page->mainFrame()->setScrollBarPolicy(Qt::Vertical, Qt::ScrollBarAlwaysOff);
        // Connected before setHtml(), which may finish before it returns.
        QSignalSpy finished(m_page->mainFrame(), &QWebFrame::loadFinished);
        m_page->mainFrame()->setHtml(QStringLiteral("<html><head><style>body{margin:0}"
                                                    ".b{height:480px;"
                                                    "-webkit-column-break-inside:avoid}"
                                                    "</style></head><body>")
                                     + body + QStringLiteral("</body></html>"));
        if (finished.isEmpty())
            QVERIFY(finished.wait(10000));
        QCOMPARE(finished.first().first().toBool(), true);
    }

    // Evaluates the script followed by one call, as the programs do.
    QVariant call(const QString &text) { return js(m_script + text); }

    // Evaluates plain JavaScript in the page (a book page runs none but
    // what it evaluates itself).
    QVariant js(const QString &text)
    {
        if (auto *book = qobject_cast<BookPage *>(m_page))
            return book->evaluate(text);
        return m_page->mainFrame()->evaluateJavaScript(text);
    }

    void initPage() { call(QStringLiteral("init(%1);").arg(PageScript::quoted(m_uid))); }

    int paginate(int columns)
    {
        return call(QStringLiteral("paginate(%1,%2, %3, %4, %5);")
                            .arg(columns)
                            .arg(Gap)
                            .arg(Width)
                            .arg(Height)
                            .arg(Margin))
                .toInt();
    }

    static QString blocks(int count)
    {
        QString html;
        for (int i = 1; i <= count; ++i)
            html += QStringLiteral("<div class='b' id='b%1'>Block %1</div>").arg(i);
        return html;
    }

private slots:
    void initTestCase()
    {
        m_script = PageScript::text();
        QVERIFY(m_script.size() > 1000);
    }

    void cleanupTestCase()
    {
        delete m_page;
        m_page = nullptr;
    }

    void quotedTextsSurviveTheCall_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << QStringLiteral("whale");
        QTest::newRow("quotes") << QStringLiteral("say \"hi\" and 'bye'");
        QTest::newRow("call breaker") << QStringLiteral("\"); document.title='x'; (\"");
        QTest::newRow("backslashes") << QStringLiteral("C:\\books\\a.html \\u0041");
        QTest::newRow("line ends") << QStringLiteral("one\ntwo\r\nthree\tfour");
        QTest::newRow("separators") << QString::fromUtf16(u"a\u2028b\u2029c");
        QTest::newRow("control") << QString::fromUtf16(u"\u0001\u001f\u007f");
        QTest::newRow("non-latin") << QString::fromUtf16(u"鲸鱼 \U0001F40B é");
        QTest::newRow("empty") << QString();
    }

    void quotedTextsSurviveTheCall()
    {
        QFETCH(QString, text);
        load(QStringLiteral("<p>x</p>"));
        const QVariant answer = js(QStringLiteral("(%1);").arg(PageScript::quoted(text)));
        QCOMPARE(answer.toString(), text);
        QCOMPARE(js(QStringLiteral("document.title")).toString(), QString());
    }

    void initWrapsTheBodyAndNumbersElements()
    {
        load(QStringLiteral("<p id='own'>kept</p><a name='x'>anchor</a><p>first</p>"
                            "<div>second<br>line</div><em>not numbered</em>"));
        initPage();
        QCOMPARE(js(QStringLiteral("document.body.children.length")).toInt(), 1);
        QCOMPARE(js(QStringLiteral("document.body.firstChild.id")).toString(),
                 QStringLiteral("content"));
        QCOMPARE(js(QStringLiteral("document.getElementById('content').firstChild.id")).toString(),
                 QStringLiteral("inner"));
        QCOMPARE(js(QStringLiteral("document.getElementById('inner').lastChild.id")).toString(),
                 QStringLiteral("custom_epub"));
        QCOMPARE(
                js(QStringLiteral("document.getElementById('custom_epub').textContent")).toString(),
                QString(QChar(0xa0)));
        QCOMPARE(js(QStringLiteral("document.getElementsByTagName('p')[0].id")).toString(),
                 QStringLiteral("own"));
        QCOMPARE(js(QStringLiteral("document.getElementsByTagName('a')[0].id")).toString(),
                 QStringLiteral("x"));
        QCOMPARE(js(QStringLiteral("document.getElementsByTagName('p')[1].id")).toString(),
                 QStringLiteral("1_") + m_uid);
        // The div, then the span put in front of its line break.
        QCOMPARE(js(QStringLiteral("document.getElementById('inner').children[3].id")).toString(),
                 QStringLiteral("2_") + m_uid);
        QCOMPARE(js(QStringLiteral("document.getElementsByTagName('br')[0].previousSibling"
                                   ".nodeName"))
                         .toString(),
                 QStringLiteral("SPAN"));
        QCOMPARE(js(QStringLiteral("document.getElementsByTagName('br')[0].previousSibling.id"))
                         .toString(),
                 QStringLiteral("3_") + m_uid);
        QCOMPARE(js(QStringLiteral("document.getElementsByTagName('em')[0].id")).toString(),
                 QString());
        // A second init leaves the page as it is.
        const QString before = js(QStringLiteral("document.body.innerHTML")).toString();
        initPage();
        QCOMPARE(js(QStringLiteral("document.body.innerHTML")).toString(), before);
    }

    void pageCounts_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("pages");
        QTest::newRow("empty body") << QString() << 1 << 1;
        QTest::newRow("one block") << blocks(1) << 1 << 1;
        QTest::newRow("two blocks") << blocks(2) << 1 << 2;
        QTest::newRow("five blocks") << blocks(5) << 1 << 5;
        QTest::newRow("five blocks, two columns") << blocks(5) << 2 << 3;
        QTest::newRow("four blocks, two columns") << blocks(4) << 2 << 2;
    }

    void pageCounts()
    {
        QFETCH(QString, body);
        QFETCH(int, columns);
        QFETCH(int, pages);
        load(body);
        initPage();
        QCOMPARE(paginate(columns), pages);
        QCOMPARE(call(QStringLiteral("moveToEnd(%1, %2);").arg(Width).arg(Gap)).toInt(), pages);
        QCOMPARE(call(QStringLiteral("getCurrentPage(%1, %2);").arg(Width).arg(Gap)).toInt(),
                 pages);
    }

    // A book page loaded held builds no boxes for the file's body until
    // init() has wrapped it; let go, the page shows and counts as any
    // other, the book's frame included.
    void bookShowsOnceWrapped()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        QFile frame(folder.filePath(QStringLiteral("frame.html")));
        QVERIFY(frame.open(QIODevice::WriteOnly));
        frame.write("<html><body><p id='t'>framed</p></body></html>");
        frame.close();
        delete m_page;
        auto *page = new BookPage(this);
        m_page = page;
        page->setContentFolder(folder.path());
        page->setLayoutHeld(true);
        page->setViewportSize(QSize(Width, Height));
        page->mainFrame()->setScrollBarPolicy(Qt::Horizontal, Qt::ScrollBarAlwaysOff);
        page->mainFrame()->setScrollBarPolicy(Qt::Vertical, Qt::ScrollBarAlwaysOff);
        QSignalSpy finished(page->mainFrame(), &QWebFrame::loadFinished);
        page->mainFrame()->setHtml(
                QStringLiteral("<html><head><style>body{margin:0}.b{height:480px;"
                               "-webkit-column-break-inside:avoid}</style></head><body>"
                               "<iframe id='f' src='frame.html'></iframe>")
                        + blocks(5) + QStringLiteral("</body></html>"),
                QUrl::fromLocalFile(folder.filePath(QStringLiteral("book.html"))));
        if (finished.isEmpty())
            QVERIFY(finished.wait(10000));
        const QString framed = QStringLiteral("document.getElementById('f').contentDocument"
                                              ".getElementById('t').offsetHeight");
        QCOMPARE(
                js(QStringLiteral("document.getElementById('b1').getClientRects().length")).toInt(),
                0);
        initPage();
        page->setLayoutHeld(false);
        QCOMPARE(js(QStringLiteral("document.getElementById('b1').offsetHeight")).toInt(), 480);
        QTRY_VERIFY(js(framed).toInt() > 0);
        QCOMPARE(paginate(1), 6);
        QCOMPARE(call(QStringLiteral("setReadingPos(\"b3\", %1, %2);").arg(Width).arg(Gap)).toInt(),
                 4);
    }

    void turningPagesAndPositions()
    {
        load(blocks(5));
        initPage();
        const QVariantMap dim = call(QStringLiteral("setPageDim(1,%1, %2, %3, %4, 1);")
                                             .arg(Gap)
                                             .arg(Width)
                                             .arg(Height)
                                             .arg(Margin))
                                        .toMap();
        QCOMPARE(dim.value(QStringLiteral("pageCount")).toInt(), 5);
        // Before the first layout nothing lies right of the page's left edge.
        QVERIFY(dim.value(QStringLiteral("currentPage")).toInt() <= 1);
        QCOMPARE(dim.value(QStringLiteral("debug")).toString(), QString());

        QCOMPARE(js(QStringLiteral("document.getElementById('content').style.left")).toString(),
                 QStringLiteral("30px"));
        call(QStringLiteral("next(%1);").arg(Width));
        call(QStringLiteral("next(%1);").arg(Width));
        QCOMPARE(call(QStringLiteral("getCurrentPage(%1, %2);").arg(Width).arg(Gap)).toInt(), 3);
        QCOMPARE(call(QStringLiteral("getReadingPos();")).toString(), QStringLiteral("b3"));
        const QString path = call(QStringLiteral("getReadingPosXPath();")).toString();
        QCOMPARE(path, QStringLiteral("/HTML[1]/BODY[1]/DIV[1]/DIV[1]/DIV[3]"));
        call(QStringLiteral("prev(%1);").arg(Width));
        QCOMPARE(call(QStringLiteral("getCurrentPage(%1, %2);").arg(Width).arg(Gap)).toInt(), 2);

        for (int i = 1; i <= 5; ++i) {
            QCOMPARE(call(QStringLiteral("getPageById(\"b%1\", %2);").arg(i).arg(Width)).toInt(),
                     i);
        }
        QCOMPARE(call(QStringLiteral("getPageByXPath(%1, %2);")
                              .arg(PageScript::quoted(path))
                              .arg(Width))
                         .toInt(),
                 3);
        QCOMPARE(call(QStringLiteral("getPageById(\"nothing\", %1);").arg(Width)).toInt(), 0);

        QCOMPARE(call(QStringLiteral("setReadingPos(\"b4\",%1, %2);").arg(Width).arg(Gap)).toInt(),
                 4);
        QCOMPARE(call(QStringLiteral("getCurrentPage(%1, %2);").arg(Width).arg(Gap)).toInt(), 4);
        QCOMPARE(call(QStringLiteral("setReadingPosByXPath(%1,%2, %3);")
                              .arg(PageScript::quoted(path))
                              .arg(Width)
                              .arg(Gap))
                         .toInt(),
                 3);
        QCOMPARE(call(QStringLiteral("setReadingPos(\"nothing\",%1, %2);").arg(Width).arg(Gap))
                         .toInt(),
                 0);
        QCOMPARE(call(QStringLiteral("getCurrentPage(%1, %2);").arg(Width).arg(Gap)).toInt(), 3);

        // Laid out again from page 4, the reading position stays on its page.
        call(QStringLiteral("setPage(4, %1, %2);").arg(Width).arg(Gap));
        const QVariantMap again = call(QStringLiteral("setPageDim(1,%1, %2, %3, %4, 1);")
                                               .arg(Gap)
                                               .arg(Width)
                                               .arg(Height)
                                               .arg(Margin))
                                          .toMap();
        QCOMPARE(again.value(QStringLiteral("currentPage")).toInt(), 4);
        QCOMPARE(js(QStringLiteral("document.getElementsByClassName('first_visible').length"))
                         .toInt(),
                 1);
        QCOMPARE(js(QStringLiteral("document.getElementsByClassName('first_visible')[0].id"))
                         .toString(),
                 QStringLiteral("b4"));

        const QVariantMap bookmark
                = call(QStringLiteral("getBookmarkData(%1,%2);").arg(Gap).arg(Width)).toMap();
        QCOMPARE(bookmark.value(QStringLiteral("text")).toString(), QStringLiteral("Block 4"));
        QCOMPARE(bookmark.value(QStringLiteral("path")).toString(),
                 QStringLiteral("/HTML[1]/BODY[1]/DIV[1]/DIV[1]/DIV[4]"));
    }

    void paths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("text");
        QTest::newRow("third text of the second p")
                << QStringLiteral("/HTML[1]/BODY[1]/DIV[1]/DIV[1]/P[2]/text()[3]")
                << QStringLiteral("three");
        QTest::newRow("lower case")
                << QStringLiteral("/html[1]/body[1]/div[1]/div[1]/p[2]/text()[1]")
                << QStringLiteral("one");
        QTest::newRow("no index means 1")
                << QStringLiteral("/HTML/BODY/DIV/DIV/P/text()") << QStringLiteral("alpha");
        QTest::newRow("only two texts")
                << QStringLiteral("/HTML[1]/BODY[1]/DIV[1]/DIV[1]/P[3]/text()[3]") << QString();
        QTest::newRow("no such element")
                << QStringLiteral("/HTML[1]/BODY[1]/DIV[1]/DIV[1]/P[9]") << QString();
    }

    void paths()
    {
        QFETCH(QString, path);
        QFETCH(QString, text);
        load(QStringLiteral("<p>alpha</p><p>one<br>two<br>three</p><p>x<b>y</b>z</p>"));
        initPage();
        const QVariant answer
                = call(QStringLiteral("var n = getElementByXpath(%1); n ? n.textContent : null;")
                               .arg(PageScript::quoted(path)));
        if (text.isNull()) {
            QVERIFY(answer.isNull() || !answer.isValid());
        } else {
            QCOMPARE(answer.toString(), text);
            // And the path made for that node leads back to it.
            QVERIFY(call(QStringLiteral("var n = getElementByXpath(%1); "
                                        "getElementByXpath(makeXPath(n)) === n;")
                                 .arg(PageScript::quoted(path)))
                            .toBool());
        }
    }

    // The innermost element with a position that holds the text is the
    // hit: a word in italics or in a list item is found too.
    void findTextReportsInnermostElements()
    {
        load(QStringLiteral(
                "<div class='b' id='b1'><p id='p1'>Call me Ishmael.</p></div>"
                "<div class='b' id='b2'>No whales here</div>"
                "<div class='b'><p>The WHALE again</p><p id='p3'>a <i>whale</i> inside</p></div>"
                "<div class='b' id='b4'><ul><li>one whale listed</li></ul><p>no fish</p></div>"));
        initPage();
        paginate(1);
        const QVariantList hits = call(QStringLiteral("findText(%1, %2);")
                                               .arg(PageScript::quoted(QStringLiteral("Whale")))
                                               .arg(Width))
                                          .toList();
        QCOMPARE(hits.size(), 4);
        const QVariantMap first = hits.at(0).toMap();
        QCOMPARE(first.value(QStringLiteral("id")).toString(), QStringLiteral("b2"));
        QCOMPARE(first.value(QStringLiteral("text")).toString(), QStringLiteral("No whales here"));
        QCOMPARE(first.value(QStringLiteral("page")).toInt(), 2);
        const QVariantMap second = hits.at(1).toMap();
        QVERIFY(second.value(QStringLiteral("id")).toString().endsWith(m_uid));
        QCOMPARE(second.value(QStringLiteral("page")).toInt(), 3);
        const QVariantMap third = hits.at(2).toMap();
        QCOMPARE(third.value(QStringLiteral("id")).toString(), QStringLiteral("p3"));
        QCOMPARE(third.value(QStringLiteral("text")).toString(), QStringLiteral("a whale inside"));
        QCOMPARE(third.value(QStringLiteral("page")).toInt(), 3);
        const QVariantMap fourth = hits.at(3).toMap();
        QCOMPARE(fourth.value(QStringLiteral("id")).toString(), QStringLiteral("b4"));
        QCOMPARE(fourth.value(QStringLiteral("page")).toInt(), 4);
        const QVariantList ishmael
                = call(QStringLiteral("findText2(\"ishmael\", %1);").arg(Width)).toList();
        QCOMPARE(ishmael.size(), 1);
        QCOMPARE(ishmael.first().toMap().value(QStringLiteral("id")).toString(),
                 QStringLiteral("p1"));
        QCOMPARE(call(QStringLiteral("findText(\"\\\"quoted\", %1);").arg(Width)).toList().size(),
                 0);
        QCOMPARE(call(QStringLiteral("getTextById(\"p1\");")).toString(),
                 QStringLiteral("Call me Ishmael."));
        QCOMPARE(call(QStringLiteral("getTextById(\"none\");")).toString(), QString());
    }

    void lineSpacing_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("height");
        // Counted from a normal line, never a line of the bare font size.
        QTest::newRow("normal") << QStringLiteral("100") << QStringLiteral("1.2");
        QTest::newRow("one and a half") << QStringLiteral("150") << QStringLiteral("1.8");
        QTest::newRow("widest") << QStringLiteral("250") << QStringLiteral("3");
    }

    void lineSpacing()
    {
        QFETCH(QString, value);
        QFETCH(QString, height);
        load(QStringLiteral("<p>a</p><p>b</p><div>c</div>"));
        call(QStringLiteral("applyLineSpacing(%1);").arg(PageScript::quoted(value)));
        QCOMPARE(js(QStringLiteral("document.getElementsByTagName('p')[1].style.lineHeight"))
                         .toString(),
                 height);
        QCOMPARE(js(QStringLiteral("document.getElementsByTagName('div')[0].style.lineHeight"))
                         .toString(),
                 QString());
    }

    // A book's own boxes, widths and fonts under the reader's style.
    void readingStyleOverTheBooksOwn()
    {
        load(QStringLiteral("<style>p{background:#ffffff;color:#777777;font-family:Arial}"
                            ".wide{width:1200px;min-width:900px;background:#eeeeee}"
                            "pre{white-space:pre;font-family:monospace}</style>"
                            "<p id='p'>Body text</p><div class='wide' id='wide'>A wide box</div>"
                            "<pre id='pre'>")
             + QStringLiteral("x").repeated(400)
             + QStringLiteral("</pre><p>a <span id='note' class='vor_note vor_note_id_1' "
                              "style='background-color: rgb(243, 227, 162)'>note</span></p>"
                              "<p>x<label id='number' style='float:right;width:2%'>197</label>"
                              "</p>"));
        initPage();
        call(QStringLiteral("applyReadingStyle(\"DejaVu Sans\", 18, \"#010819\", "
                            "\"#486682\");"));
        paginate(1);
        const auto style = [this](const QString &id, const QString &property) {
            return js(QStringLiteral("getComputedStyle(document.getElementById('%1')).%2")
                              .arg(id, property))
                    .toString();
        };
        QCOMPARE(style(QStringLiteral("p"), QStringLiteral("backgroundColor")),
                 QStringLiteral("rgba(0, 0, 0, 0)"));
        QCOMPARE(style(QStringLiteral("p"), QStringLiteral("color")),
                 QStringLiteral("rgb(72, 102, 130)"));
        QCOMPARE(style(QStringLiteral("wide"), QStringLiteral("backgroundColor")),
                 QStringLiteral("rgba(0, 0, 0, 0)"));
        QCOMPARE(js(QStringLiteral("getComputedStyle(document.body).backgroundColor")).toString(),
                 QStringLiteral("rgb(1, 8, 25)"));
        QCOMPARE(style(QStringLiteral("note"), QStringLiteral("backgroundColor")),
                 QStringLiteral("rgb(243, 227, 162)"));
        QVERIFY(style(QStringLiteral("p"), QStringLiteral("fontFamily"))
                        .contains(QLatin1String("DejaVu Sans")));
        QCOMPARE(style(QStringLiteral("p"), QStringLiteral("fontSize")), QStringLiteral("18px"));
        QCOMPARE(style(QStringLiteral("pre"), QStringLiteral("fontFamily")),
                 QStringLiteral("monospace"));
        // Kept within the column: the page's width less the gap.
        const int column = Width - Gap;
        QVERIFY(js(QStringLiteral("document.getElementById('wide').offsetWidth")).toInt()
                <= column);
        QVERIFY(js(QStringLiteral("document.getElementById('pre').scrollWidth")).toInt() <= column);
        // A narrow float keeps its number on one line.
        QCOMPARE(js(QStringLiteral("document.getElementById('number').getClientRects().length"))
                         .toInt(),
                 1);
        QVERIFY(js(QStringLiteral("document.getElementById('number').offsetHeight")).toInt() < 30);

        // Called again without colours (as the pagination helper does), the
        // book keeps its own.
        call(QStringLiteral("applyReadingStyle(\"DejaVu Sans\", 18, \"\", \"\");"));
        QCOMPARE(style(QStringLiteral("p"), QStringLiteral("backgroundColor")),
                 QStringLiteral("rgb(255, 255, 255)"));
        QCOMPARE(js(QStringLiteral("document.querySelectorAll('style#vor_reading_style').length"))
                         .toInt(),
                 1);
    }

    // The margins above and below the columns stay empty: no piece of the
    // line that ends one column or starts the next shows there.
    void pagesShowWholeLines()
    {
        delete m_page;
        m_page = new QWebPage(this);
        m_page->setViewportSize(QSize(Width, Height));
        m_page->mainFrame()->setScrollBarPolicy(Qt::Horizontal, Qt::ScrollBarAlwaysOff);
        m_page->mainFrame()->setScrollBarPolicy(Qt::Vertical, Qt::ScrollBarAlwaysOff);
        QSignalSpy finished(m_page->mainFrame(), &QWebFrame::loadFinished);
        QString body;
        // Paragraphs of two lines or so, as a plain-text book makes them.
        for (int i = 0; i < 120; ++i)
            body += QStringLiteral("<p>Line %1 of ragged text that wraps in a column, "
                                   "gypsy yelling quietly</p>")
                            .arg(i);
        m_page->mainFrame()->setHtml(
                QStringLiteral("<html><body style='background:#fff;color:#000;font-size:14px'>")
                + body + QStringLiteral("</body></html>"));
        if (finished.isEmpty())
            QVERIFY(finished.wait(10000));
        initPage();
        call(QStringLiteral("applyLineSpacing(\"100\");"));
        // Laid out first for other page sizes, as a view is while its window
        // takes its size.
        for (const QSize &size : { QSize(640, 480), QSize(Width + 90, Height + 37) }) {
            m_page->setViewportSize(size);
            call(QStringLiteral("paginate(2,%1, %2, %3, %4);")
                         .arg(Gap)
                         .arg(size.width())
                         .arg(size.height())
                         .arg(Margin));
        }
        m_page->setViewportSize(QSize(Width, Height));
        const int pages = paginate(2);
        // No line box crosses the foot of a column.
        const int foot = Height - Margin;
        QCOMPARE(call(QStringLiteral(
                              "var cut = 0; var ps = document.getElementsByTagName('p');"
                              "for (var i = 0; i < ps.length; ++i) {"
                              "  var r = document.createRange(); r.selectNodeContents(ps[i]);"
                              "  var boxes = r.getClientRects();"
                              "  for (var k = 0; k < boxes.length; ++k)"
                              "    if (boxes[k].top < %1 && boxes[k].bottom > %1 + 0.5) ++cut;"
                              "} cut;")
                              .arg(foot))
                         .toInt(),
                 0);
        QVERIFY(pages >= 3);
        for (int page = 1; page <= 3; ++page) {
            call(QStringLiteral("setPage(%1, %2, %3);").arg(page).arg(Width).arg(Gap));
            QImage image(Width, Height, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            m_page->mainFrame()->render(&painter);
            painter.end();
            for (int y = 0; y < Height; ++y) {
                if (y >= Margin && y < Height - Margin)
                    continue;
                for (int x = 0; x < Width; ++x) {
                    QVERIFY2(image.pixel(x, y) == qRgb(255, 255, 255),
                             qPrintable(QStringLiteral("page %1: ink at %2,%3")
                                                .arg(page)
                                                .arg(x)
                                                .arg(y)));
                }
            }
        }
    }

    void highlightInOneTextNode()
    {
        load(QStringLiteral("<p id='p'>Call me Ishmael. Some years ago</p>"));
        initPage();
        paginate(1);
        js(QStringLiteral(
                "var t = document.getElementById('p').firstChild;"
                "var r = document.createRange(); r.setStart(t, 8); r.setEnd(t, 15);"
                "window.getSelection().removeAllRanges(); window.getSelection().addRange(r);"));
        const QVariantMap where
                = call(QStringLiteral("highlightSelection(\"#ff0000\", \"n1\");")).toMap();
        QCOMPARE(where.value(QStringLiteral("start")).toString(),
                 QStringLiteral("/HTML[1]/BODY[1]/DIV[1]/DIV[1]/P[1]/text()[1]"));
        QCOMPARE(where.value(QStringLiteral("startOffset")).toInt(), 8);
        QCOMPARE(where.value(QStringLiteral("endOffset")).toInt(), 15);
        QCOMPARE(js(QStringLiteral("document.getElementsByClassName('vor_note_id_n1').length"))
                         .toInt(),
                 1);
        QCOMPARE(js(QStringLiteral(
                            "document.getElementsByClassName('vor_note_id_n1')[0].textContent"))
                         .toString(),
                 QStringLiteral("Ishmael"));
        QCOMPARE(js(QStringLiteral("window.getSelection().rangeCount")).toInt(), 0);
        QCOMPARE(js(QStringLiteral("document.getElementById('p').textContent")).toString(),
                 QStringLiteral("Call me Ishmael. Some years ago"));

        const QVariantMap info
                = call(QStringLiteral("getNoteInfo(\"n1\", %1);").arg(Width)).toMap();
        QCOMPARE(info.value(QStringLiteral("page")).toInt(), 1);
        QVERIFY(info.value(QStringLiteral("left")).toDouble() > 0);
        const int x = info.value(QStringLiteral("left")).toInt() + 2;
        const int y = info.value(QStringLiteral("top")).toInt() + 2;
        QCOMPARE(call(QStringLiteral("selectedNoteIdAtPoint(%1, %2);").arg(x).arg(y)).toString(),
                 QStringLiteral("vor_note_id_n1"));
        const QVariantList visible
                = call(QStringLiteral("selectVisibleNotesElements(%1);").arg(Width)).toList();
        QCOMPARE(visible.size(), 1);
        QCOMPARE(visible.first().toMap().value(QStringLiteral("id")).toString(),
                 QStringLiteral("vor_note_id_n1"));

        QVERIFY(call(QStringLiteral("changeNoteColorById(\"#00ff00\",  \"n1\");")).toBool());
        QCOMPARE(js(QStringLiteral("document.getElementsByClassName('vor_note_id_n1')[0].style."
                                   "backgroundColor"))
                         .toString(),
                 QStringLiteral("rgb(0, 255, 0)"));
        QVERIFY(!call(QStringLiteral("changeNoteColorById(\"#00ff00\",  \"n2\");")).toBool());

        // Selecting inside the note finds it, and removing it there restores
        // the text in one node.
        js(QStringLiteral(
                "var t = document.getElementsByClassName('vor_note')[0].firstChild;"
                "var r = document.createRange(); r.setStart(t, 1); r.setEnd(t, 2);"
                "window.getSelection().removeAllRanges(); window.getSelection().addRange(r);"));
        QCOMPARE(call(QStringLiteral("selectedNoteId();")).toString(),
                 QStringLiteral("vor_note_id_n1"));
        call(QStringLiteral("removeNoteAtSelection();"));
        QCOMPARE(js(QStringLiteral("document.getElementsByClassName('vor_note').length")).toInt(),
                 0);
        QCOMPARE(js(QStringLiteral("document.getElementById('p').childNodes.length")).toInt(), 1);
        QVERIFY(!call(QStringLiteral("removeNoteById(\"n1\");")).toBool());
    }

    void highlightAcrossParagraphs()
    {
        load(QStringLiteral(
                "<p>First paragraph here.</p>\n<p>Second one.</p>\n<p>Third and last.</p>"));
        initPage();
        paginate(1);
        const QString before
                = js(QStringLiteral("document.getElementById('inner').innerHTML")).toString();
        QVERIFY(call(QStringLiteral("selectTextNodesBetween(%1, 6, %2, 5, \"yellow\", \"n7\");")
                             .arg(PageScript::quoted(QStringLiteral(
                                          "/HTML[1]/BODY[1]/DIV[1]/DIV[1]/P[1]/text()[1]")),
                                  PageScript::quoted(QStringLiteral(
                                          "/HTML[1]/BODY[1]/DIV[1]/DIV[1]/P[3]/text()[1]"))))
                        .toBool());
        QCOMPARE(js(QStringLiteral("document.getElementsByClassName('vor_note_id_n7').length"))
                         .toInt(),
                 3);
        QCOMPARE(js(QStringLiteral(
                            "var s = document.getElementsByClassName('vor_note_id_n7');"
                            "s[0].textContent + '|' + s[1].textContent + '|' + s[2].textContent;"))
                         .toString(),
                 QStringLiteral("paragraph here.|Second one.|Third"));
        QVERIFY(!call(QStringLiteral("selectTextNodesBetween(\"/HTML[1]/BODY[1]/P[9]\", 0, "
                                     "\"/HTML[1]/BODY[1]/P[9]\", 1, \"yellow\", \"n8\");"))
                         .toBool());

        QVERIFY(call(QStringLiteral("removeNoteById(\"n7\");")).toBool());
        QCOMPARE(js(QStringLiteral("document.getElementById('inner').innerHTML")).toString(),
                 before);
        QCOMPARE(js(QStringLiteral("document.getElementsByTagName('p')[0].childNodes.length"))
                         .toInt(),
                 1);
    }
};

VL_TEST_WIDGETS_MAIN(TestPageScript)
#include "tst_pagescript.moc"
