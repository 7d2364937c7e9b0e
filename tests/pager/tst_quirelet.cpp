#include "pagination/pagescript.h"
#include "pagination/paginationblock.h"
#include "pagination/paginationclient.h"
#include "pagination/searchreplyestimate.h"
#include "tests/support/testenvironment.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QUrl>
#include <QUuid>
#include <QWebFrame>
#include <QWebPage>
#include <QWebSettings>

#include <csignal>
#include <memory>
#include <sys/ipc.h>
#include <sys/prctl.h>
#include <sys/shm.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// A real quirelet process behind a real shared block. The fixture files are
// made of blocks of fixed height that never split, one block per column, so
// page counts are exact whatever the fonts: with two columns a file of k
// blocks has (k + 1) / 2 pages.
class TestQuirelet : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString m_script;
    QStringList m_keys;
    QList<qint64> m_helpers;

    void writeFile(const QString &name, const QString &body)
    {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("<html><head><meta charset='utf-8'><style>body{margin:0}"
                                  ".b{height:600px;-webkit-column-break-inside:avoid}</style>"
                                  "</head><body>%1</body></html>")
                           .arg(body)
                           .toUtf8());
    }

    PaginationRequest bookRequest(const QStringList &documents) const
    {
        PaginationRequest request;
        request.pageSize = QSize(1000, 700);
        request.gap = 60;
        request.columnCount = 2;
        request.pageScript = m_script;
        request.contentFolder = m_dir.path();
        request.documents = documents;
        for (const QString &name : documents)
            request.pageCounts.insert(name, 0);
        return request;
    }

    // Sends one request through a fresh client and waits for its reply.
    bool exchange(PaginationClient &client, const PaginationRequest &request)
    {
        if (!client.send(request)) {
            qWarning("%s", qPrintable(client.lastError()));
            return false;
        }
        m_keys.append(client.key());
        m_helpers.append(client.helperProcessId());
        if (!client.waitForReply(30000)) {
            qWarning("no reply: %s", qPrintable(client.lastError()));
            return false;
        }
        // A reply that asked again came through another block and helper.
        m_keys.append(client.key());
        m_helpers.append(client.helperProcessId());
        return true;
    }

    // A process that has ended but is not reaped yet (its new parent may be
    // slow to do so) counts as ended.
    static bool processAlive(qint64 pid)
    {
        if (pid <= 0 || ::kill(pid_t(pid), 0) != 0)
            return false;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            return true;
        const QByteArray line = stat.readAll();
        const int close = line.lastIndexOf(')');
        return close < 0 || line.mid(close + 2, 1) != "Z";
    }

    // True once the process has a System V shared-memory segment mapped,
    // that is once the helper has attached to its block.
    static bool hasSharedMemory(pid_t pid)
    {
        QFile maps(QStringLiteral("/proc/%1/maps").arg(pid));
        return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("/SYSV");
    }

    QString helperProgram() const
    {
        return TestEnvironment::binDir() + QStringLiteral("/quirelet");
    }

    QString todaysLog() const
    {
        const QDir logs(TestEnvironment::home() + QStringLiteral("/.vellumin/log"));
        QString text;
        for (const QString &name : logs.entryList({ QStringLiteral("log_*.txt") })) {
            QFile file(logs.filePath(name));
            if (file.open(QIODevice::ReadOnly))
                text += QString::fromUtf8(file.readAll());
        }
        return text;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QFileInfo(helperProgram()).isExecutable());
        m_script = PageScript::text();
        QVERIFY(!m_script.isEmpty());

        QString ch1;
        for (int i = 1; i <= 4; ++i)
            ch1 += QStringLiteral("<div class='b' id='c1b%1'>One %1</div>").arg(i);
        writeFile(QStringLiteral("ch1.html"), ch1);
        QString ch2;
        for (int i = 1; i <= 4; ++i)
            ch2 += QStringLiteral("<div class='b' id='c2b%1'>Two %1</div>").arg(i);
        ch2 += QStringLiteral("<div class='b'><p>A Whale in five</p></div>");
        writeFile(QStringLiteral("ch 2.html"), ch2);
        writeFile(QStringLiteral("ch3.html"),
                  QStringLiteral("<div class='b' id='c3b1'>They say \"hi\" to the whale</div>"));
    }

    void cleanupTestCase()
    {
        // Every client has ended its helper and removed its block.
        for (const qint64 pid : qAsConst(m_helpers))
            QVERIFY2(!processAlive(pid), qPrintable(QString::number(pid)));
        for (const QString &key : qAsConst(m_keys)) {
            QSharedMemory block(key);
            QVERIFY2(!block.attach(), qPrintable(key));
        }
    }

    void paginatesTheBook()
    {
        PaginationClient client;
        const QString chapter2 = QStringLiteral("ch 2.html");
        PaginationRequest request
                = bookRequest({ QStringLiteral("ch1.html"), QStringLiteral("missing.html"),
                                chapter2, QStringLiteral("ch3.html") });
        request.searchText = QStringLiteral("WHALE");
        const QString byXPath = QStringLiteral("ch1.html?vorpath=")
                + QString::fromLatin1(QUrl::toPercentEncoding(
                        QStringLiteral("/HTML[1]/BODY[1]/DIV[1]/DIV[1]/DIV[3]")));
        const QStringList asked = {
            QStringLiteral("ch%202.html#c2b3"), // 2nd page of the file, after ch1's 2 pages
            QStringLiteral("ch 2.html?vorid=true#1"), // generated id of the fifth block
            QStringLiteral("ch3.html"), // no fragment: the file's first page
            byXPath,
            QStringLiteral("ch 2.html#nothing"), // not found: absent
            QStringLiteral("missing.html#x"), // missing file: absent
            QStringLiteral("other.html#x"), // not in the book: absent
            QStringLiteral("ch1.html?vorpath="), // empty path: absent
        };
        for (const QString &url : asked)
            request.positions.insert(url, 0);

        QVERIFY(exchange(client, request));
        const PaginationRequest &reply = client.reply();
        QCOMPARE(reply.pageCounts.value(QStringLiteral("ch1.html"), -1), 2);
        QCOMPARE(reply.pageCounts.value(QStringLiteral("missing.html"), -1), 0);
        QCOMPARE(reply.pageCounts.value(chapter2, -1), 3);
        QCOMPARE(reply.pageCounts.value(QStringLiteral("ch3.html"), -1), 1);

        QMap<QString, qint32> expected;
        expected.insert(QStringLiteral("ch%202.html#c2b3"), 4);
        expected.insert(QStringLiteral("ch 2.html?vorid=true#1"), 5);
        expected.insert(QStringLiteral("ch3.html"), 6);
        expected.insert(byXPath, 2);
        // The search hits and their pages.
        expected.insert(QStringLiteral("ch 2.html?vorid=true#2"), 5);
        expected.insert(QStringLiteral("ch3.html#c3b1"), 6);
        QCOMPARE(reply.positions, expected);

        QMap<QString, QString> hits;
        hits.insert(QStringLiteral("ch 2.html?vorid=true#2"), QStringLiteral("A Whale in five"));
        hits.insert(QStringLiteral("ch3.html#c3b1"),
                    QStringLiteral("They say \"hi\" to the whale"));
        QCOMPARE(reply.searchHits, hits);
        QCOMPARE(reply.print, false);
        QCOMPARE(reply.documents, request.documents);
        QCOMPARE(reply.pageScript, request.pageScript);
        // Every request is answered with its number plus one.
        QCOMPARE(client.sequence(), 2u);

        // A second request on the same helper; the search text holds a
        // quote and a backslash, which must reach the script unharmed.
        request = client.reply();
        request.searchText = QStringLiteral("say \"hi\"");
        QVERIFY(exchange(client, request));
        QCOMPARE(client.sequence(), 4u);
        QCOMPARE(client.reply().searchHits.keys(), QStringList { QStringLiteral("ch3.html#c3b1") });
        request.searchText = QStringLiteral("\\\"); x(\"");
        QVERIFY(exchange(client, request));
        QVERIFY(client.reply().searchHits.isEmpty());
        QCOMPARE(client.reply().pageCounts.value(chapter2), 3);
    }

    void paginatesXhtml()
    {
        // EPUB chapters are XML: the wrapping, the ids and the paths must work
        // there as well (lower-case tag names, no HTML entities).
        QFile file(m_dir.filePath(QStringLiteral("ch4.xhtml")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("<?xml version='1.0' encoding='utf-8'?>\n"
                   "<html xmlns='http://www.w3.org/1999/xhtml'><head><title>x</title>"
                   "<style>body{margin:0} .b{height:600px;-webkit-column-break-inside:avoid}"
                   "</style></head><body>"
                   "<div class='b'>One</div><div class='b'>Two<br/>lines</div>"
                   "<div class='b' id='last'>Three &#160; whale</div></body></html>");
        file.close();

        PaginationRequest request = bookRequest({ QStringLiteral("ch4.xhtml") });
        request.searchText = QStringLiteral("whale");
        const QString byXPath = QStringLiteral("ch4.xhtml?vorpath=")
                + QString::fromLatin1(QUrl::toPercentEncoding(
                        QStringLiteral("/html[1]/body[1]/div[1]/div[1]/div[3]")));
        request.positions.insert(byXPath, 0);
        request.positions.insert(QStringLiteral("ch4.xhtml?vorid=true#1"), 0);
        PaginationClient client;
        QVERIFY(exchange(client, request));
        const PaginationRequest &reply = client.reply();
        QCOMPARE(reply.pageCounts.value(QStringLiteral("ch4.xhtml")), 2);
        QCOMPARE(reply.positions.value(byXPath), 2);
        QCOMPARE(reply.positions.value(QStringLiteral("ch4.xhtml?vorid=true#1")), 1);
        QCOMPARE(reply.searchHits.keys(), QStringList { QStringLiteral("ch4.xhtml#last") });
        QCOMPARE(reply.positions.value(QStringLiteral("ch4.xhtml#last")), 2);
    }

    void pagesAreTheViewsPages_data()
    {
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("gap");
        QTest::addColumn<int>("fontSize");
        QTest::newRow("one column") << 1 << 60 << 16;
        QTest::newRow("two columns") << 2 << 60 << 16;
        QTest::newRow("narrow gap") << 2 << 30 << 16;
        QTest::newRow("large font") << 1 << 60 << 24;
    }

    // Flowing text, laid out by the helper and by the page script in a page
    // of the test's own set up as the view sets up its page: the two counts
    // are one, or the reader's page numbers jump at every file's end.
    void pagesAreTheViewsPages()
    {
        QFETCH(int, columns);
        QFETCH(int, gap);
        QFETCH(int, fontSize);
        const QString family = QStringLiteral("DejaVu Serif");
        const QString name = QStringLiteral("flow.html");
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QString body;
        for (int i = 0; i < 80; ++i) {
            body += QStringLiteral("<p style='font-family: Arial; font-size: 11px'>Paragraph %1 "
                                   "of a text that runs on over several lines of the column, "
                                   "so that the width of a column and the size of the letters "
                                   "decide how many pages it takes.</p>")
                            .arg(i);
        }
        file.write(QStringLiteral("<html><body>%1</body></html>").arg(body).toUtf8());
        file.close();

        PaginationRequest request = bookRequest({ name });
        request.pageSize = QSize(800, 600);
        request.columnCount = columns;
        request.gap = gap;
        request.fontFamily = family;
        request.fontSize = fontSize;
        PaginationClient client;
        QVERIFY(exchange(client, request));
        const int helperPages = client.reply().pageCounts.value(name);

        QWebSettings *web = QWebSettings::globalSettings();
        web->setFontFamily(QWebSettings::StandardFont, family);
        web->setFontSize(QWebSettings::DefaultFontSize, fontSize);
        QWebPage page;
        page.setViewportSize(request.pageSize);
        page.mainFrame()->setScrollBarPolicy(Qt::Horizontal, Qt::ScrollBarAlwaysOff);
        page.mainFrame()->setScrollBarPolicy(Qt::Vertical, Qt::ScrollBarAlwaysOff);
        QSignalSpy loaded(page.mainFrame(), &QWebFrame::loadFinished);
        page.mainFrame()->load(QUrl::fromLocalFile(m_dir.filePath(name)));
        QVERIFY(loaded.wait(10000));
        const int viewPages
                = page.mainFrame()
                          ->evaluateJavaScript(
                                  m_script
                                  + QStringLiteral("init(\"view\");"
                                                   "applyReadingStyle(%1, %2, \"#000000\", "
                                                   "\"#ffffff\");applyLineSpacing(\"100\");"
                                                   "paginate(%3,%4, 800, 600, 20);")
                                            .arg(PageScript::quoted(family))
                                            .arg(fontSize)
                                            .arg(columns)
                                            .arg(gap))
                          .toInt();
        QVERIFY2(viewPages > 2, qPrintable(QString::number(viewPages)));
        QCOMPARE(helperPages, viewPages);
    }

    // A key whose block exists already (another viewer's, or a block the
    // system names alike) is passed over for the next one.
    void takenKeyIsPassedOver()
    {
        const QString taken = QUuid::createUuid().toString();
        QSharedMemory other(taken);
        QVERIFY(other.create(4096));

        PaginationClient client;
        int asked = 0;
        client.setKeySource([&] { return ++asked == 1 ? taken : QUuid::createUuid().toString(); });
        QVERIFY(exchange(client, bookRequest({ QStringLiteral("ch3.html") })));
        QCOMPARE(asked, 2);
        QCOMPARE(client.reply().pageCounts.value(QStringLiteral("ch3.html")), 1);

        // Every key taken: the request is given up with a message, after a
        // bounded number of tries.
        PaginationClient stuck;
        asked = 0;
        stuck.setKeySource([&] {
            ++asked;
            return taken;
        });
        QVERIFY(!stuck.send(bookRequest({ QStringLiteral("ch3.html") })));
        QCOMPARE(asked, int(PaginationClient::BlockAttempts));
        QVERIFY(stuck.lastError().contains(QLatin1String("cannot be made")));
    }

    void emptyBookChangesNothing()
    {
        PaginationClient client;
        PaginationRequest request = bookRequest({});
        request.pageCounts.insert(QStringLiteral("ch1.html"), 9);
        request.positions.insert(QStringLiteral("ch1.html#c1b1"), 7);
        request.searchHits.insert(QStringLiteral("ch1.html#c1b1"), QStringLiteral("old"));
        request.searchText = QStringLiteral("One");
        request.print = false;
        QVERIFY(exchange(client, request));
        QVERIFY(client.reply() == request);
    }

    void newestRequestIsAnswered()
    {
        PaginationClient client;
        PaginationRequest first
                = bookRequest({ QStringLiteral("ch1.html"), QStringLiteral("ch 2.html") });
        first.searchText = QStringLiteral("first");
        QVERIFY(client.send(first));
        m_keys.append(client.key());
        m_helpers.append(client.helperProcessId());
        PaginationRequest second = first;
        second.searchText = QStringLiteral("two");
        QVERIFY(client.send(second));
        QCOMPARE(client.sequence(), 2u);
        QVERIFY(client.waitForReply(30000));
        QCOMPARE(client.sequence(), 3u);
        QCOMPARE(client.reply().searchText, QStringLiteral("two"));
        QCOMPARE(client.reply().searchHits.size(), 4);
        // Nothing else follows.
        PaginationBlock watch;
        QVERIFY(watch.attach(client.key()));
        QTest::qWait(400);
        QCOMPARE(watch.sequence(), 3u);
    }

    void requestOverUnreadReplyIsAnswered()
    {
        PaginationClient client;
        client.setPollInterval(600000); // the client does not look at the block by itself
        PaginationRequest request = bookRequest({ QStringLiteral("ch3.html") });
        QVERIFY(client.send(request));
        m_keys.append(client.key());
        m_helpers.append(client.helperProcessId());
        PaginationBlock watch;
        QVERIFY(watch.attach(client.key()));
        QTRY_COMPARE_WITH_TIMEOUT(watch.sequence(), 2u, 30000);

        // The reply to 1 lies unread in the block when the next request goes.
        client.setPollInterval(50);
        request.searchText = QStringLiteral("hi");
        QVERIFY(client.send(request));
        QCOMPARE(client.sequence(), 3u);
        QVERIFY(client.waitForReply(30000));
        QCOMPARE(client.sequence(), 4u);
        QCOMPARE(client.reply().searchHits.size(), 1);
    }

    // A search whose reply does not fit the block is asked again in a block
    // made for the whole reply; only beyond the largest block are hits left
    // out, the first ones of the book kept and the number of the others told.
    void searchHitsAllArrive_data()
    {
        QTest::addColumn<bool>("limited");
        QTest::newRow("the block grows for them") << false;
        QTest::newRow("beyond the largest block") << true;
    }

    void searchHitsAllArrive()
    {
        QFETCH(bool, limited);
        constexpr int Hits = 300;
        QString body;
        for (int i = 1; i <= Hits; ++i)
            body += QStringLiteral("<p>whale number %1 swims past the ship</p>").arg(i);
        writeFile(QStringLiteral("many.html"), body);

        PaginationRequest request = bookRequest({ QStringLiteral("many.html") });
        PaginationClient plain;
        QVERIFY(exchange(plain, request));
        const int pages = plain.reply().pageCounts.value(QStringLiteral("many.html"));
        QVERIFY(pages > 1);

        request.searchText = QStringLiteral("whale");
        const QString asked = QStringLiteral("many.html?vorid=true#%1").arg(Hits);
        request.positions.insert(asked, 0);
        PaginationClient client;
        const int blockSize = PaginationBlock::HeaderSize + request.toByteArray().size() + 4000;
        client.setBlockSize(blockSize);
        if (limited)
            client.setBlockSizeLimit(blockSize);
        QVERIFY(client.send(request));
        const QString firstKey = client.key();
        m_keys.append(firstKey);
        m_helpers.append(client.helperProcessId());
        QVERIFY(client.waitForReply(30000));
        m_keys.append(client.key());
        m_helpers.append(client.helperProcessId());
        const PaginationRequest &reply = client.reply();
        // The marks of the shortfall never reach the viewer.
        QVERIFY(reply.reservedPages.isEmpty());
        QCOMPARE(reply.pageCounts.value(QStringLiteral("many.html")), pages);
        QVERIFY(reply.positions.contains(asked));

        const int kept = reply.searchHits.size();
        int lastPage = 1;
        for (int i = 1; i <= kept; ++i) {
            const QString key = QStringLiteral("many.html?vorid=true#%1").arg(i);
            QVERIFY2(reply.searchHits.contains(key), qPrintable(key));
            const int page = reply.positions.value(key);
            QVERIFY2(page >= lastPage && page <= pages, qPrintable(key));
            lastPage = page;
        }
        if (!limited) {
            QCOMPARE(kept, Hits);
            QCOMPARE(lastPage, pages);
            QCOMPARE(client.droppedSearchHits(), 0);
            QVERIFY(client.key() != firstKey);
            QVERIFY(!QSharedMemory(firstKey).attach());
            return;
        }
        QVERIFY(kept > 0);
        QVERIFY(kept < Hits);
        QCOMPARE(client.key(), firstKey);
        QCOMPARE(client.droppedSearchHits(), Hits - kept);
        QVERIFY(client.neededReplyBytes() > blockSize);
        QVERIFY(reply.toByteArray().size() <= blockSize - PaginationBlock::HeaderSize);
        // The later hits go with their pages, unless the viewer asked for one.
        QVERIFY(!reply.positions.contains(QStringLiteral("many.html?vorid=true#%1").arg(kept + 1)));
        QVERIFY(todaysLog().contains(QStringLiteral("search hits dropped")));
    }

    // A viewer that says what a search will add gets a block made for it
    // before the request goes: the helper lays the book out once, and every
    // hit arrives.
    void estimatedHitsNeedOneLayout_data()
    {
        QTest::addColumn<QString>("body");
        QTest::addColumn<int>("hits");
        QString shortOnes, longOnes, mixed;
        for (int i = 1; i <= 300; ++i)
            shortOnes += QStringLiteral("<p>whale number %1 swims past the ship</p>").arg(i);
        const QString filler = QStringLiteral("the sea was grey and wide, ").repeated(40);
        for (int i = 1; i <= 120; ++i)
            longOnes += QStringLiteral("<p>%1 a Whale, %2</p>").arg(filler).arg(i);
        for (int i = 1; i <= 100; ++i) {
            mixed += QStringLiteral("<h2>Whale %1</h2><p><span>a whale</span> and "
                                    "<span>whale %1</span> by <a>the whale</a></p>"
                                    "<div>whale <em>and</em> ship</div>")
                             .arg(i);
        }
        QTest::newRow("short paragraphs") << shortOnes << 300;
        QTest::newRow("long paragraphs, other case") << longOnes << 120;
        // Each group: the heading, both spans, the link and the block whose
        // word stands beside an emphasis.
        QTest::newRow("headings, spans and links") << mixed << 500;
    }

    void estimatedHitsNeedOneLayout()
    {
        QFETCH(QString, body);
        QFETCH(int, hits);
        writeFile(QStringLiteral("estimated.html"), body);
        PaginationRequest request = bookRequest({ QStringLiteral("estimated.html") });
        request.searchText = QStringLiteral("whale");
        const int payload = request.toByteArray().size();
        const qint64 growth = SearchReplyEstimate::hitBytes(request);
        QVERIFY(growth > 0);

        PaginationClient client;
        client.setBlockSize(PaginationBlock::HeaderSize + payload + 4000);
        QVERIFY(client.send(request, growth));
        const QString key = client.key();
        const qint64 helper = client.helperProcessId();
        m_keys.append(key);
        m_helpers.append(helper);
        QVERIFY(client.waitForReply(30000));
        m_keys.append(client.key());
        m_helpers.append(client.helperProcessId());
        QCOMPARE(client.key(), key);
        QCOMPARE(client.helperProcessId(), helper);
        QCOMPARE(client.droppedSearchHits(), 0);
        QCOMPARE(client.reply().searchHits.size(), hits);
        QVERIFY2(client.reply().toByteArray().size() <= payload + growth,
                 qPrintable(QStringLiteral("reply %1 bytes, estimate %2")
                                    .arg(client.reply().toByteArray().size())
                                    .arg(payload + growth)));
    }

    // Thousands of positions in one file (a contents of thousands of
    // entries) are answered alike: present ones with their pages in order,
    // missing ones absent.
    void thousandsOfPositions()
    {
        QString body;
        for (int i = 0; i < 3000; ++i)
            body += QStringLiteral("<p id='p%1'>paragraph %1</p>").arg(i);
        writeFile(QStringLiteral("ids.html"), body);
        PaginationRequest request = bookRequest({ QStringLiteral("ids.html") });
        for (int i = 0; i < 3000; ++i) {
            request.positions.insert(QStringLiteral("ids.html#p%1").arg(i), 0);
            request.positions.insert(QStringLiteral("ids.html#none%1").arg(i), 0);
        }
        PaginationClient client;
        QVERIFY(exchange(client, request));
        const QMap<QString, qint32> &positions = client.reply().positions;
        QCOMPARE(positions.size(), 3000);
        QCOMPARE(positions.value(QStringLiteral("ids.html#p0")), 1);
        int last = 1;
        for (int i = 0; i < 3000; ++i) {
            const int page = positions.value(QStringLiteral("ids.html#p%1").arg(i));
            QVERIFY(page >= last);
            last = page;
        }
        QCOMPARE(last, client.reply().pageCounts.value(QStringLiteral("ids.html")));
    }

    // A book of thousands of files with long names asks more than the
    // block holds: the block is made to fit, and the book gets its pages.
    void requestLargerThanTheBlock()
    {
        PaginationClient client;
        QVERIFY(exchange(client, bookRequest({ QStringLiteral("ch1.html") })));
        const QString firstKey = client.key();

        QStringList documents;
        const QString longName = QString(200, QLatin1Char('n'));
        for (int i = 0; i < 3000; ++i)
            documents.append(QStringLiteral("%1-%2.html").arg(longName).arg(i));
        documents.append(QStringLiteral("ch1.html"));
        const PaginationRequest request = bookRequest(documents);
        QVERIFY(request.toByteArray().size() > PaginationBlock::DefaultSize);
        QVERIFY(exchange(client, request));
        QCOMPARE(client.reply().pageCounts.value(QStringLiteral("ch1.html")), 2);
        QCOMPARE(client.reply().pageCounts.size(), 3001);
        // The first block went with its helper.
        QVERIFY(client.key() != firstKey);
        QSharedMemory old(firstKey);
        QVERIFY(!old.attach());

        // A later, smaller request goes through the same block and helper.
        const QString largeKey = client.key();
        const qint64 helper = client.helperProcessId();
        QVERIFY(exchange(client, bookRequest({ QStringLiteral("ch1.html") })));
        QCOMPARE(client.key(), largeKey);
        QCOMPARE(client.helperProcessId(), helper);
        QCOMPARE(client.reply().pageCounts.value(QStringLiteral("ch1.html")), 2);
    }

    void printsToPdf()
    {
        const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
        if (pdfinfo.isEmpty())
            QSKIP("pdfinfo (poppler-utils) is not installed");
        const QString pdf = m_dir.filePath(QStringLiteral("book.pdf"));
        qputenv("QUIRELET_PRINT_TO_PDF", QFile::encodeName(pdf));
        PaginationClient client;
        // The missing file comes first: nothing printed for it, and no empty
        // page in front of the book.
        PaginationRequest request
                = bookRequest({ QStringLiteral("missing.html"), QStringLiteral("ch1.html"),
                                QStringLiteral("ch 2.html"), QStringLiteral("ch3.html") });
        request.print = true;
        const bool answered = exchange(client, request);
        qunsetenv("QUIRELET_PRINT_TO_PDF");
        QVERIFY(answered);
        QCOMPARE(client.reply().print, false);
        QCOMPARE(client.reply().pageCounts, request.pageCounts);

        QProcess info;
        info.start(pdfinfo, { pdf });
        QVERIFY(info.waitForFinished(10000));
        const QString text = QString::fromUtf8(info.readAllStandardOutput());
        const QRegularExpressionMatch pages
                = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(text);
        QVERIFY2(pages.hasMatch(), qPrintable(text));
        // One column per printed page and one block per column: 4 + 5 + 1.
        QCOMPARE(pages.captured(1).toInt(), 10);
    }

    void failuresAreReported()
    {
        PaginationClient missing;
        missing.setProgram(m_dir.filePath(QStringLiteral("no-such-helper")));
        QVERIFY(!missing.send(bookRequest({})));
        QVERIFY(missing.lastError().contains(QLatin1String("did not start")));
        QVERIFY(!missing.isWaiting());
        m_keys.append(missing.key());

        PaginationClient small;
        small.setBlockSize(100);
        small.setBlockSizeLimit(1000);
        QVERIFY(!small.send(bookRequest({})));
        QVERIFY(small.lastError().contains(QLatin1String("does not fit")));
        QCOMPARE(small.helperProcessId(), 0);
        m_keys.append(small.key());
    }

    // The system names a segment after the place on disk of a key file, and
    // a file system may hand a freed place straight to the next file: a
    // segment another program holds under the name the block's key file is
    // about to get must not leave the viewer without a block.
    void blockMeetsAForeignSegment()
    {
        const QDir temp(QDir::tempPath());
        const auto make = [](const QString &path) {
            QFile file(path);
            file.open(QIODevice::WriteOnly);
            file.close();
            struct stat info;
            return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
        };
        // Making a block makes two files: its lock's key file, then its own.
        // Places whose name a segment has already are held, so the probe
        // and then the block go on to the next ones.
        const QString first = temp.filePath(QStringLiteral("vl-place-1"));
        const QString second = temp.filePath(QStringLiteral("vl-place-2"));
        std::vector<std::unique_ptr<QTemporaryFile>> held;
        int foreign = -1;
        for (int attempt = 0; attempt < 16 && foreign < 0; ++attempt) {
            const ino_t firstPlace = make(first);
            const ino_t secondPlace = make(second);
            const key_t name = ftok(QFile::encodeName(second).constData(), 'Q');
            QFile::remove(second);
            QFile::remove(first);
            const bool handedOn = make(first) == firstPlace && make(second) == secondPlace;
            QFile::remove(second);
            QFile::remove(first);
            if (!handedOn)
                QSKIP("this file system does not hand a freed place on at once");
            foreign = shmget(name, 4096, IPC_CREAT | IPC_EXCL | 0600);
            if (foreign < 0) {
                held.push_back(std::make_unique<QTemporaryFile>());
                held.back()->open();
            }
        }
        if (foreign < 0)
            QSKIP("no free segment name found");

        PaginationClient client;
        client.setProgram(m_dir.filePath(QStringLiteral("no-such-helper")));
        const bool sent = client.send(bookRequest({}));
        shmctl(foreign, IPC_RMID, nullptr);
        QVERIFY(!sent);
        // The block was made; only the helper is missing.
        QVERIFY2(client.lastError().contains(QLatin1String("did not start")),
                 qPrintable(client.lastError()));
        m_keys.append(client.key());
    }

    void helperEndsWithoutItsBlock_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("no key") << QStringList() << 2;
        QTest::newRow("empty key") << QStringList { QString() } << 2;
        QTest::newRow("no such block")
                << QStringList { QStringLiteral("{00000000-0000-0000-0000-000000000000}") } << 3;
    }

    void helperEndsWithoutItsBlock()
    {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QProcess helper;
        helper.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        helper.start(helperProgram(), arguments);
        QVERIFY(helper.waitForStarted(5000));
        if (!helper.waitForFinished(15000)) {
            helper.kill();
            helper.waitForFinished();
            QFAIL("the helper did not end");
        }
        QCOMPARE(helper.exitStatus(), QProcess::NormalExit);
        QCOMPARE(helper.exitCode(), exitCode);
    }

    void helperEndsWithItsParent()
    {
        // The system key of a block comes from its key file's inode, which
        // can meet a segment another process left behind: then a new key.
        PaginationBlock block;
        QString key;
        for (int attempt = 0; attempt < 10 && key.isEmpty(); ++attempt) {
            const QString candidate = QUuid::createUuid().toString();
            if (block.create(candidate, 4096))
                key = candidate;
        }
        QVERIFY(!key.isEmpty());
        m_keys.append(key);
        // A shell starts the helper and goes away; the orphaned helper comes
        // to this process, which reaps it, and must notice the change. The
        // shell waits until the helper has attached to the block: a helper
        // that is still starting up when the shell ends never knew the shell
        // as its parent, and that is not the case under test.
        QCOMPARE(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
        QProcess shell;
        shell.start(QStringLiteral("/bin/sh"),
                    { QStringLiteral("-c"),
                      QStringLiteral("\"$0\" \"$1\" >/dev/null 2>&1 & echo $!; read go"),
                      helperProgram(), key });
        QElapsedTimer timer;
        timer.start();
        while (!shell.canReadLine() && timer.elapsed() < 30000)
            shell.waitForReadyRead(100);
        const pid_t pid = pid_t(shell.readLine().trimmed().toLongLong());
        bool attached = false;
        while (pid > 0 && !(attached = hasSharedMemory(pid)) && timer.elapsed() < 30000)
            QTest::qWait(20);
        shell.closeWriteChannel();
        const bool shellEnded = shell.waitForFinished(10000);
        timer.restart();
        int status = 0;
        pid_t reaped = 0;
        while (pid > 0 && (reaped = ::waitpid(pid, &status, WNOHANG)) == 0
               && timer.elapsed() < 30000)
            QTest::qWait(20);
        if (pid > 0 && reaped == 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
        }
        ::prctl(PR_SET_CHILD_SUBREAPER, 0);
        QVERIFY(pid > 0);
        QVERIFY(attached);
        QVERIFY(shellEnded);
        QCOMPARE(reaped, pid);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }
};

VL_TEST_WIDGETS_MAIN(TestQuirelet)
#include "tst_quirelet.moc"
