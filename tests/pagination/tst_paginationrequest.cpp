#include "pagination/paginationblock.h"
#include "pagination/paginationrequest.h"
#include "pagination/searchreplyestimate.h"
#include "tests/support/freshblock.h"
#include "tests/support/testenvironment.h"

#include <QUuid>

#include <cstring>

// The record's byte format and the block's turn-taking, both sides in one
// process (two attachments of one block).
class TestPaginationRequest : public QObject
{
    Q_OBJECT

private:
    static PaginationRequest filledRecord()
    {
        PaginationRequest record;
        record.pageSize = QSize(1000, 700);
        record.gap = 60;
        record.topBottomMargin = 25;
        record.columnCount = 1;
        record.fontFamily = QStringLiteral("DejaVu Serif");
        record.fontSize = 18;
        record.pageScript = QStringLiteral("function f() { return \"\\u00e9\"; }");
        record.contentFolder = QStringLiteral("/books/äöü");
        record.searchText = QStringLiteral("whale");
        record.documents = QStringList { QStringLiteral("b.html"), QStringLiteral("a.html") };
        record.pageCounts = { { QStringLiteral("a.html"), 3 }, { QStringLiteral("b.html"), 0 } };
        record.positions = { { QStringLiteral("a.html#x"), 2 }, { QStringLiteral("b.html"), 0 } };
        record.searchHits
                = { { QStringLiteral("a.html?vorid=true#3"), QStringLiteral("a whale") } };
        record.textAlignment = 4;
        record.lineSpacing = 150;
        record.print = true;
        return record;
    }

    static QString newKey() { return QUuid::createUuid().toString(); }
    static bool createFresh(PaginationBlock &block, int size)
    {
        return TestSupport::createFreshBlock(block, size);
    }

private slots:
    void defaultRecordBytes()
    {
        const QByteArray bytes = PaginationRequest().toByteArray();
        const QByteArray expected
                = QByteArray::fromHex("ffffffff"
                                      "ffffffff" // pageSize (-1, -1)
                                      "0000001e"
                                      "00000014"
                                      "00000002" // gap, topBottomMargin, columnCount
                                      "ffffffff" // fontFamily: null
                                      "00000010" // fontSize
                                      "ffffffff"
                                      "ffffffff"
                                      "ffffffff" // pageScript, contentFolder, searchText
                                      "00000000" // documents
                                      "00000000"
                                      "00000000"
                                      "00000000"
                                      "00000000" // the four maps
                                      "00000000"
                                      "00000064" // textAlignment, lineSpacing
                                      "00"); // print
        QCOMPARE(bytes.toHex(), expected.toHex());

        PaginationRequest back = filledRecord();
        QVERIFY(PaginationRequest::fromByteArray(bytes, &back));
        QVERIFY(back == PaginationRequest());
        QVERIFY(back.fontFamily.isNull());
        QVERIFY(back.pageScript.isNull());
        QVERIFY(back.contentFolder.isNull());
        QVERIFY(back.searchText.isNull());
    }

    void filledRecordRoundTrip()
    {
        const PaginationRequest record = filledRecord();
        const QByteArray bytes = record.toByteArray();
        PaginationRequest back;
        QString error;
        QVERIFY2(PaginationRequest::fromByteArray(bytes, &back, &error), qPrintable(error));
        QVERIFY(back == record);
        QCOMPARE(back.toByteArray(), bytes);
        // An empty string is not a null one.
        PaginationRequest empty;
        empty.searchText = QStringLiteral("");
        PaginationRequest emptyBack;
        QVERIFY(PaginationRequest::fromByteArray(empty.toByteArray(), &emptyBack));
        QVERIFY(!emptyBack.searchText.isNull());
        QVERIFY(emptyBack.searchText.isEmpty());
    }

    void mapsAreWrittenGreatestKeyFirst()
    {
        PaginationRequest record;
        record.pageCounts = { { QStringLiteral("a"), 1 },
                              { QStringLiteral("c"), 3 },
                              { QStringLiteral("b"), 2 } };
        const QByteArray bytes = record.toByteArray();
        // pageCounts follows the empty documents list at byte 44.
        const QByteArray expected = QByteArray::fromHex("00000003"
                                                        "00000002"
                                                        "0063"
                                                        "00000003"
                                                        "00000002"
                                                        "0062"
                                                        "00000002"
                                                        "00000002"
                                                        "0061"
                                                        "00000001");
        QCOMPARE(bytes.mid(44, expected.size()).toHex(), expected.toHex());
    }

    // The estimate of a search reply counts each run of text that holds the
    // word whole, and nothing outside the body, styles or scripts.
    void searchReplyEstimate_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<int>("runs");
        const QString head = QStringLiteral("<html><head><title>whale</title>"
                                            "<style>.whale{}</style></head><body>");
        QTest::newRow("absent") << head + QStringLiteral("<p>a ship</p></body></html>") << 0;
        QTest::newRow("only in head, style and script")
                << head + QStringLiteral("<script>var whale;</script><p>a ship</p></body>") << 0;
        QTest::newRow("one, other case") << head + QStringLiteral("<p>WHALE</p>") << 1;
        QTest::newRow("each block its own run")
                << head + QStringLiteral("<p>whale</p><div>whale</div><li>whale</li><p>ship</p>")
                << 3;
        QTest::newRow("inline tags join a run")
                << head + QStringLiteral("<p>wh<em>ale</em></p><p><b>ship</b></p>") << 1;
        QTest::newRow("tag left open") << head + QStringLiteral("<p>whale</p><p") << 1;
        QTest::newRow("no body tag") << QStringLiteral("<p>whale</p><p>whale</p>") << 2;
    }

    void searchReplyEstimate()
    {
        QFETCH(QString, content);
        QFETCH(int, runs);
        const QString name = QStringLiteral("chapter.xhtml");
        const QString word = QStringLiteral("whale");
        const qint64 one
                = SearchReplyEstimate::hitBytes(QStringLiteral("<p>whale</p>"), name, word);
        QVERIFY(one > 0);
        QCOMPARE(SearchReplyEstimate::hitBytes(content, name, word), runs * one);
        QCOMPARE(SearchReplyEstimate::hitBytes(content, name, QString()), 0);
    }

    void damagedPayloadIsRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = filledRecord().toByteArray();
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("truncated by one byte") << good.left(good.size() - 1);
        QTest::newRow("truncated in the middle") << good.left(good.size() / 2);
        // documents claims 2^31 - 1 entries: refused before anything is
        // allocated for them.
        QByteArray hugeList = PaginationRequest().toByteArray();
        hugeList.replace(40, 4, QByteArray::fromHex("7fffffff"));
        QTest::newRow("huge list count") << hugeList;
        QByteArray hugeMap = PaginationRequest().toByteArray();
        hugeMap.replace(56, 4, QByteArray::fromHex("ffffffff"));
        QTest::newRow("huge map count") << hugeMap;
        QByteArray oddString = PaginationRequest().toByteArray();
        oddString.replace(20, 4, QByteArray::fromHex("00000003"));
        QTest::newRow("odd string length") << oddString;
    }

    void damagedPayloadIsRefused()
    {
        QFETCH(QByteArray, bytes);
        const PaginationRequest before = filledRecord();
        PaginationRequest record = before;
        QString error;
        QVERIFY(!PaginationRequest::fromByteArray(bytes, &record, &error));
        QVERIFY(!error.isEmpty());
        QVERIFY(record == before);
    }

    void sequenceZeroIsNoMessage()
    {
        PaginationBlock viewer;
        QVERIFY2(createFresh(viewer, 4096), qPrintable(viewer.lastError()));
        PaginationBlock helper;
        QVERIFY2(helper.attach(viewer.key()), qPrintable(helper.lastError()));
        QCOMPARE(helper.sequence(), 0u);
        PaginationRequest record;
        QCOMPARE(helper.read(0, nullptr, &record), PaginationBlock::ReadResult::NotNew);
    }

    void requestAndReplyTakeTurns()
    {
        PaginationBlock viewer;
        QVERIFY(createFresh(viewer, 4096));
        PaginationBlock helper;
        QVERIFY(helper.attach(viewer.key()));

        PaginationRequest request = filledRecord();
        quint32 number = 0;
        QCOMPARE(viewer.writeRequest(request.toByteArray(), &number),
                 PaginationBlock::WriteResult::Written);
        QCOMPARE(number, 1u);

        quint32 seen = 0;
        PaginationRequest taken;
        QCOMPARE(helper.read(0, &seen, &taken), PaginationBlock::ReadResult::Read);
        QCOMPARE(seen, 1u);
        QVERIFY(taken == request);

        // The viewer writes a newer request while the helper works: the
        // helper's reply to the old one is not written.
        request.searchText = QStringLiteral("newer");
        QCOMPARE(viewer.writeRequest(request.toByteArray(), &number),
                 PaginationBlock::WriteResult::Written);
        QCOMPARE(number, 2u);
        taken.print = false;
        QCOMPARE(helper.writeReply(1, taken.toByteArray()),
                 PaginationBlock::WriteResult::Overtaken);
        QCOMPARE(viewer.sequence(), 2u);

        QCOMPARE(helper.read(1, &seen, &taken), PaginationBlock::ReadResult::Read);
        QCOMPARE(seen, 2u);
        QCOMPARE(taken.searchText, QStringLiteral("newer"));
        taken.pageCounts[QStringLiteral("a.html")] = 7;
        QCOMPARE(helper.writeReply(2, taken.toByteArray()), PaginationBlock::WriteResult::Written);

        PaginationRequest reply;
        QCOMPARE(viewer.read(2, &seen, &reply), PaginationBlock::ReadResult::Read);
        QCOMPARE(seen, 3u);
        QCOMPARE(reply.pageCounts.value(QStringLiteral("a.html")), 7);
        // Read once, not new again.
        QCOMPARE(viewer.read(3, &seen, &reply), PaginationBlock::ReadResult::NotNew);
    }

    void requestOverUnreadReplyGetsAFreshNumber()
    {
        PaginationBlock viewer;
        QVERIFY(createFresh(viewer, 4096));
        PaginationBlock helper;
        QVERIFY(helper.attach(viewer.key()));
        const QByteArray payload = PaginationRequest().toByteArray();

        quint32 number = 0;
        QCOMPARE(viewer.writeRequest(payload, &number), PaginationBlock::WriteResult::Written);
        QCOMPARE(number, 1u);
        QCOMPARE(helper.writeReply(1, payload), PaginationBlock::WriteResult::Written);
        // The reply (2) lies unread; a request numbered from the viewer's own
        // counter would be 2 as well, and the helper would never answer it.
        QCOMPARE(viewer.writeRequest(payload, &number), PaginationBlock::WriteResult::Written);
        QCOMPARE(number, 3u);
        quint32 seen = 0;
        PaginationRequest taken;
        QCOMPARE(helper.read(2, &seen, &taken), PaginationBlock::ReadResult::Read);
        QCOMPARE(seen, 3u);
    }

    void oversizedMessagesAreNeitherWrittenNorRead()
    {
        PaginationBlock viewer;
        QVERIFY(createFresh(viewer, 200));
        QCOMPARE(viewer.maxPayload(), 188);
        PaginationBlock helper;
        QVERIFY(helper.attach(viewer.key()));
        QCOMPARE(helper.size(), 200);

        PaginationRequest big;
        big.pageScript = QString(100, QLatin1Char('x'));
        quint32 number = 0;
        QCOMPARE(viewer.writeRequest(big.toByteArray(), &number),
                 PaginationBlock::WriteResult::TooLarge);
        QVERIFY(!viewer.lastError().isEmpty());
        QCOMPARE(viewer.sequence(), 0u);
        QCOMPARE(viewer.writeMessage(5, QByteArray(189, 'x')),
                 PaginationBlock::WriteResult::TooLarge);
        QCOMPARE(viewer.writeMessage(5, QByteArray(188, 'x')),
                 PaginationBlock::WriteResult::Written);

        // A length word beyond the block, written by a damaged peer: the
        // number is reported, the record left alone.
        QSharedMemory raw(viewer.key());
        QVERIFY(raw.attach());
        raw.lock();
        const quint32 header[] = { 9, 0, 100000 };
        std::memcpy(raw.data(), header, sizeof header);
        raw.unlock();
        const PaginationRequest before = filledRecord();
        PaginationRequest record = before;
        quint32 seen = 0;
        QCOMPARE(helper.read(0, &seen, &record), PaginationBlock::ReadResult::Damaged);
        QCOMPARE(seen, 9u);
        QVERIFY(record == before);
        QVERIFY(helper.lastError().contains(QLatin1String("100000")));
        raw.detach();
    }

    void attachFailsWithoutABlock()
    {
        PaginationBlock helper;
        QVERIFY(!helper.attach(QString()));
        QVERIFY(!helper.lastError().isEmpty());
        QVERIFY(!helper.attach(newKey()));
        QVERIFY(!helper.lastError().isEmpty());
        QCOMPARE(helper.writeMessage(1, QByteArray()), PaginationBlock::WriteResult::Failed);
    }

    void lastDetachRemovesTheBlock()
    {
        QString key;
        {
            PaginationBlock viewer;
            QVERIFY(createFresh(viewer, 4096));
            key = viewer.key();
            PaginationBlock helper;
            QVERIFY(helper.attach(key));
        }
        PaginationBlock late;
        QVERIFY(!late.attach(key));
    }
};

VL_TEST_GUILESS_MAIN(TestPaginationRequest)
#include "tst_paginationrequest.moc"
