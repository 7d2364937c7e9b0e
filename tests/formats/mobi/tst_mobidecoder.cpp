#include "formats/mobi/mobidecoder.h"
#include "tests/formats/mobi/mobiwriter.h"
#include "tests/support/testenvironment.h"

#include <QElapsedTimer>

using namespace mobitest;

namespace {

// A prefix code with two lengths, built the way books build theirs:
// "1" is entry 0, "00" entry 2 and "01" entry 1. The first table marks
// length 1 terminal only for first bytes that start with a 1 bit; the
// others make the decoder walk up to length 2.
QByteArray twoLengthHuff()
{
    QVector<quint32> table1(256);
    for (int b = 0; b < 256; ++b)
        table1[b] = b & 0x80 ? (1u | 0x80u | (1u << 8)) : 1u;
    QVector<quint32> minMax(64, 0);
    minMax[0] = 1; // length 1: minimum 1
    minMax[1] = 1; //           maximum 1
    minMax[2] = 0; // length 2: minimum 0
    minMax[3] = 2; //           maximum 2
    for (int length = 3; length <= 32; ++length)
        minMax[2 * (length - 1)] = 0xFFFFFFFF;
    return huffRecord(table1, minMax);
}

} // namespace

class TestMobiDecoder : public QObject
{
    Q_OBJECT
private slots:
    void palmDoc_data();
    void palmDoc();
    void palmDocRoundTrip();
    void trailingEntries_data();
    void trailingEntries();
    void huffTwoLengths();
    void huffNested();
    void huffSelfNestingIsCutAndDecodingGoesOn();
    void huffExpansionBombIsCapped();
    void huffBookBudgetIsSharedByAllRecords();
    void huffBadTables_data();
    void huffBadTables();
    void huffFixedCodeOverSeveralDictionaries();
};

void TestMobiDecoder::palmDoc_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");

    QTest::newRow("space pair") << QByteArray("\x41\xC1") << QByteArray("A A");
    QTest::newRow("plain bytes") << QByteArray("Hello\x00\x09", 7)
                                 << QByteArray("Hello\x00\x09", 7);
    QTest::newRow("run ending on last byte")
            << QByteArray("ab\x02\xE9\xFF") << QByteArray("ab\xE9\xFF");
    QTest::newRow("run past the end") << QByteArray("ab\x03\xE9\xFF") << QByteArray("ab");
    // distance 3, length 3: 0x8000 | 3 << 3 | 0
    QTest::newRow("pair ending on last byte") << QByteArray("abc\x80\x18") << QByteArray("abcabc");
    // distance 2, length 10: the copy reads what it writes
    QTest::newRow("overlapping pair") << QByteArray("ab\x80\x17") << QByteArray("abababababab");
    QTest::newRow("pair cut by the end") << QByteArray("abc\x80") << QByteArray("abc");
    QTest::newRow("distance zero") << QByteArray("abc\x80\x00x", 6) << QByteArray("abc");
    QTest::newRow("distance beyond output") << QByteArray("abc\x80\x20x") << QByteArray("abc");
    QTest::newRow("empty") << QByteArray() << QByteArray();
}

void TestMobiDecoder::palmDoc()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    QCOMPARE(mobi::decodePalmDoc(input), output);
}

void TestMobiDecoder::palmDocRoundTrip()
{
    QByteArray text;
    for (int i = 0; i < 400; ++i)
        text += "The quick brown fox " + QByteArray::number(i * 7919 % 113)
                + " \x01\xC3\xA9t\xC3\xA9 ";
    for (int start = 0; start < text.size(); start += 4096) {
        const QByteArray chunk = text.mid(start, 4096);
        QCOMPARE(mobi::decodePalmDoc(compressPalmDoc(chunk)), chunk);
    }
}

void TestMobiDecoder::trailingEntries_data()
{
    QTest::addColumn<QByteArray>("record");
    QTest::addColumn<int>("flags");
    QTest::addColumn<QByteArray>("kept");

    QTest::newRow("no flags") << QByteArray("text\x81") << 0 << QByteArray("text\x81");
    QTest::newRow("multibyte") << QByteArray("text\x02\x01\x02") << 1 << QByteArray("text");
    QTest::newRow("one entry") << QByteArray("textXY\x83") << 2 << QByteArray("text");
    QTest::newRow("two entries and multibyte") << QByteArray("text\x00"
                                                             "AB\x83"
                                                             "C\x82",
                                                             10)
                                               << 7 << QByteArray("text");
    // Two 7-bit groups, read backwards: 0x01 then 0x80|0x00 -> 0 << 7 | 1.
    QTest::newRow("size in two groups") << QByteArray("text\x80\x02") << 2 << QByteArray("text");
    QTest::newRow("entry larger than the record") << QByteArray("ab\xFF") << 2 << QByteArray();
    QTest::newRow("empty record") << QByteArray() << 3 << QByteArray();
}

void TestMobiDecoder::trailingEntries()
{
    QFETCH(QByteArray, record);
    QFETCH(int, flags);
    QFETCH(QByteArray, kept);
    QCOMPARE(mobi::stripTrailingEntries(record, quint16(flags)), kept);
}

void TestMobiDecoder::huffTwoLengths()
{
    const QList<CdicEntry> entries { { "A", true }, { "C", true }, { "B", true } };
    mobi::HuffCdicDecoder decoder(twoLengthHuff(), { cdicRecord(entries, 8, 3) });
    QVERIFY(decoder.isValid());
    QCOMPARE(decoder.decode(packBits("10001101")), QByteArray("ABCAC"));
    // A B C A A, then a lone 0 bit of padding: an incomplete code ends it.
    QCOMPARE(decoder.decode(packBits("1000111")), QByteArray("ABCAA"));
}

void TestMobiDecoder::huffNested()
{
    FixedHuffCode code(8, 8);
    const int a = code.addLiteral("ab");
    const int c = code.addLiteral("c");
    const int both = code.addNested({ a, c, a });
    const int twice = code.addNested({ both, both });
    mobi::HuffCdicDecoder decoder(code.huff(), QVector<QByteArray>::fromList(code.cdics()));
    QVERIFY(decoder.isValid());
    QCOMPARE(decoder.decode(code.encode({ c, both, twice, c })), QByteArray("cabcababcababcabc"));
    // Decoding again uses the cached expansions and gives the same bytes.
    QCOMPARE(decoder.decode(code.encode({ twice })), QByteArray("abcababcab"));
}

void TestMobiDecoder::huffSelfNestingIsCutAndDecodingGoesOn()
{
    // Entry 1 expands into itself: the expansion is cut at the depth limit,
    // the rest of the record still decodes.
    QList<CdicEntry> entries { { "x", true }, { QByteArray(), false } };
    const QByteArray selfCode = packBits("11111110"); // 8-bit code of entry 1
    entries[1].bytes = selfCode;
    FixedHuffCode layout(8, 8);
    mobi::HuffCdicDecoder decoder(layout.huff(), { cdicRecord(entries, 8, 2) });
    QVERIFY(decoder.isValid());
    const QByteArray record = packBits("11111111"
                                       "11111110"
                                       "11111111");
    QCOMPARE(decoder.decode(record), QByteArray("xx"));
}

void TestMobiDecoder::huffExpansionBombIsCapped()
{
    // Each level doubles the one below it: 2^30 * 64 bytes if followed.
    FixedHuffCode code(8, 8);
    int level = code.addLiteral(QByteArray(64, 'z'));
    for (int i = 0; i < 30; ++i)
        level = code.addNested({ level, level });
    mobi::HuffCdicDecoder decoder(code.huff(), QVector<QByteArray>::fromList(code.cdics()));
    QElapsedTimer timer;
    timer.start();
    const QByteArray output = decoder.decode(code.encode({ level, level, level }));
    QCOMPARE(output.size(), mobi::HuffCdicDecoder::outputCap);
    QVERIFY(output.count('z') == output.size());
}

void TestMobiDecoder::huffBookBudgetIsSharedByAllRecords()
{
    QList<CdicEntry> entries { { "x", true }, { QByteArray(), false } };
    entries[1].bytes = packBits("1111111011111110"); // entry 1, twice
    FixedHuffCode layout(8, 8);
    mobi::HuffCdicDecoder decoder(layout.huff(), { cdicRecord(entries, 8, 2) });
    decoder.setBookBudget(3 << 20);
    const QByteArray record = packBits("1111111111111110");
    int decoded = 0;
    for (int i = 0; i < 100 && !decoder.isBudgetSpent(); ++i) {
        QCOMPARE(decoder.decode(record), QByteArray("x"));
        ++decoded;
    }
    QVERIFY(decoder.isBudgetSpent());
    QVERIFY2(decoded <= 4, QByteArray::number(decoded));
    QCOMPARE(decoder.decode(record), QByteArray());
}

void TestMobiDecoder::huffBadTables_data()
{
    QTest::addColumn<QByteArray>("huff");
    QTest::addColumn<QByteArray>("cdic");

    FixedHuffCode code(8, 8);
    code.addLiteral("a");
    const QByteArray huff = code.huff();
    const QByteArray cdic = code.cdics().first();

    QByteArray wrongCdic = cdic;
    wrongCdic.replace(0, 4, "CDIX");
    QByteArray wrongHuff = huff;
    wrongHuff.replace(0, 4, "HUFX");
    QByteArray farTable = huff;
    farTable.replace(8, 4, be32(0x7FFFFFF0));

    QTest::newRow("CDIC magic") << huff << wrongCdic;
    QTest::newRow("HUFF magic") << wrongHuff << cdic;
    QTest::newRow("table offset outside") << farTable << cdic;
    QTest::newRow("short HUFF") << huff.left(30) << cdic;
    QTest::newRow("short CDIC") << huff << cdic.left(10);
}

void TestMobiDecoder::huffBadTables()
{
    QFETCH(QByteArray, huff);
    QFETCH(QByteArray, cdic);
    mobi::HuffCdicDecoder decoder(huff, { cdic });
    QVERIFY(!decoder.isValid());
    QVERIFY(decoder.decode(QByteArray("\xFE\xFE", 2)).isEmpty());
}

void TestMobiDecoder::huffFixedCodeOverSeveralDictionaries()
{
    // 12-bit codes over dictionaries of 2^9 entries: indices above 511 live
    // in later CDIC records; indices past the last entry end the record.
    FixedHuffCode code(12, 9);
    QByteArray text;
    for (int i = 0; i < 1500; ++i) {
        const QByteArray word = "w" + QByteArray::number(i) + " ";
        code.addLiteral(word);
        text += word;
    }
    QCOMPARE(code.cdics().size(), 3);
    mobi::HuffCdicDecoder decoder(code.huff(), QVector<QByteArray>::fromList(code.cdics()));
    QCOMPARE(decoder.decode(code.encodeText(text.left(3000))), text.left(3000));

    // A code past the last entry (index 1500 and up) stops the record there.
    const QByteArray bad = packBits("111111111110"
                                    "000000000000"
                                    "111111111110");
    QCOMPARE(decoder.decode(bad), QByteArray("w1 "));
}

VL_TEST_GUILESS_MAIN(TestMobiDecoder)
#include "tst_mobidecoder.moc"
