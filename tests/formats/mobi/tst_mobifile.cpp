#include "core/logger.h"
#include "document/textdocument.h"
#include "formats/mobi/mobifile.h"
#include "formats/mobi/mobimetadata.h"
#include "tests/formats/mobi/mobiwriter.h"
#include "tests/support/testenvironment.h"

#include <QFile>
#include <QTemporaryDir>

using namespace mobitest;

namespace {

QByteArray sampleText(int size)
{
    QByteArray text;
    int i = 0;
    while (text.size() < size)
        text += "<p>Paragraph " + QByteArray::number(i++) + " of the book, caf\xC3\xA9.</p>\n";
    return text.left(size);
}

QString todaysLog()
{
    QFile file(Logger::instance()->logFileName());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestMobiFile : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void headersAndExth();
    void text_data();
    void text();
    void recordCutToTextRecordSize();
    void firstNonBookZero();
    void encodings_data();
    void encodings();
    void pictures();
    void noPictures();
    void encryptedHasNoCover();
    void wrongExthMagic();
    void oversizedPictureIsNotDecoded();
    void plainPalmDocBook();
    void damagedFilesNeverCrash();
    void recordListOutsideTheFile();
    void textOfSharedRecordsIsBounded();
    void cyclicDictionaryWorkIsBoundedForTheBook();
    void missingFile();
    void bookMetadata();
    void headerNames();

private:
    QString write(const QString &name, const QByteArray &bytes);
    QTemporaryDir m_dir;
};

QString TestMobiFile::write(const QString &name, const QByteArray &bytes)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write fixture");
    return path;
}

void TestMobiFile::initTestCase()
{
    QVERIFY(m_dir.isValid());
}

void TestMobiFile::headersAndExth()
{
    MobiLayout layout;
    layout.text = sampleText(10000);
    layout.fullName = "A Long \xC3\x9C"
                    "bertitle";
    layout.exth = { { 100, "Jane Writer" }, { 101, "Pub House" }, { 100, "Second Author" } };
    const mobi::MobiFile file(write("headers.mobi", makeMobi(layout)));
    QVERIFY(file.isOpen());
    QCOMPARE(file.identifier(), QByteArray("MOBI"));
    QCOMPARE(file.databaseType(), QByteArray("BOOK"));
    QCOMPARE(file.compression(), mobi::Compression::PalmDoc);
    QCOMPARE(file.textRecordCount(), quint16(3));
    QCOMPARE(file.textRecordSize(), quint16(4096));
    QCOMPARE(file.textEncoding(), quint32(65001));
    QCOMPARE(file.title(),
             QString::fromUtf8("A Long \xC3\x9C"
                               "bertitle"));
    QCOMPARE(file.author(), QStringLiteral("Jane Writer"));
    QCOMPARE(file.exthText(101), QStringLiteral("Pub House"));
    QCOMPARE(file.exthText(999), QString());
    QCOMPARE(file.exthRecords().size(), 3);
    QVERIFY(!file.isEncrypted());
}

void TestMobiFile::text_data()
{
    QTest::addColumn<int>("compression");
    QTest::addColumn<int>("flags");

    QTest::newRow("stored") << 1 << 0;
    QTest::newRow("PalmDOC") << 2 << 0;
    QTest::newRow("PalmDOC with trailing entries") << 2 << 0x7;
    QTest::newRow("HUFF/CDIC") << 17480 << 0;
    QTest::newRow("HUFF/CDIC with trailing entries") << 17480 << 0x3;
}

void TestMobiFile::text()
{
    QFETCH(int, compression);
    QFETCH(int, flags);
    const QByteArray text = sampleText(20000);

    FixedHuffCode code(12, 10);
    for (int c = 1; c < 256; ++c)
        code.addLiteral(QByteArray(1, char(c)));
    code.addLiteral("Paragraph ");
    code.addLiteral(" of the book, ");
    code.addLiteral("</p>\n<p>");

    MobiLayout layout;
    layout.text = text;
    layout.compression = quint16(compression);
    layout.huff = &code;
    layout.extraFlags = quint16(flags);
    const mobi::MobiFile file(write("text.mobi", makeMobi(layout)));
    QCOMPARE(file.extraDataFlags(), quint16(flags));
    QCOMPARE(file.rawText(), text);
    QCOMPARE(file.text(), QString::fromUtf8(text));
}

void TestMobiFile::recordCutToTextRecordSize()
{
    MobiLayout layout;
    layout.text = sampleText(200);
    layout.recordSize = 100;
    layout.textRecordSizeField = 60;
    const mobi::MobiFile file(write("cut.mobi", makeMobi(layout)));
    QCOMPARE(file.rawText(), layout.text.mid(0, 60) + layout.text.mid(100, 60));
}

void TestMobiFile::firstNonBookZero()
{
    MobiLayout layout;
    layout.text = sampleText(9000);
    layout.firstNonBook = 0;
    layout.pictures = { picture(4, 4, "PNG") };
    const mobi::MobiFile file(write("nonbook0.mobi", makeMobi(layout)));
    QCOMPARE(file.firstNonBookRecord(), quint32(0));
    // The text stops at the declared text records; the picture and the end
    // record after them are not text.
    QCOMPARE(file.rawText(), layout.text);
    QCOMPARE(file.imageCount(), 2); // the picture and the end record
    QCOMPARE(file.image(0).size(), QSize(4, 4));
    QVERIFY(file.image(1).isNull());
}

void TestMobiFile::encodings_data()
{
    QTest::addColumn<int>("encoding");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");

    QTest::newRow("UTF-8") << 65001 << QByteArray("caf\xC3\xA9 \xE2\x82\xAC")
                           << QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC");
    QTest::newRow("Windows-1252") << 1252 << QByteArray("caf\xE9 \x80")
                                  << QString::fromUtf8("caf\xC3\xA9 \xE2\x82\xAC");
    QTest::newRow("unknown") << 1251 << QByteArray("abc") << QString();
}

void TestMobiFile::encodings()
{
    QFETCH(int, encoding);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    MobiLayout layout;
    layout.text = bytes;
    layout.fullName = bytes;
    layout.encoding = quint32(encoding);
    const mobi::MobiFile file(write("encoding.mobi", makeMobi(layout)));
    QCOMPARE(file.text(), expected);
    QCOMPARE(file.title(), expected);
    if (expected.isEmpty()) {
        QVERIFY(file.textCodec() == nullptr);
        QVERIFY(todaysLog().contains(
                QStringLiteral("Can't get text codec for MOBI text - codec value: 1251")));
    }
}

void TestMobiFile::pictures()
{
    MobiLayout layout;
    layout.text = sampleText(5000);
    layout.compression = 17480;
    FixedHuffCode code(8, 8);
    for (int c = 1; c < 256; ++c)
        code.addLiteral(QByteArray(1, char(c)));
    layout.huff = &code;
    layout.pictures = { picture(30, 20, "JPG"), picture(8, 6, "PNG"), picture(5, 5, "GIF"),
                      picture(3, 2, "BMP") };
    const mobi::MobiFile file(write("pictures.mobi", makeMobi(layout)));
    // The HUFF and CDIC records between the text and the pictures are
    // skipped when looking for the first picture.
    QCOMPARE(file.firstImageRecord(), 1 + 2 + 2);
    QCOMPARE(file.imageCount(), 5);
    QCOMPARE(file.image(0).size(), QSize(30, 20));
    QCOMPARE(file.image(1).size(), QSize(8, 6));
    QCOMPARE(file.image(2).size(), QSize(1, 1));
    QCOMPARE(file.image(3).size(), QSize(3, 2));
    QVERIFY(file.image(4).isNull());
    QVERIFY(file.image(-1).isNull());
    QVERIFY(file.image(99).isNull());
    QCOMPARE(file.coverImage().size(), QSize(30, 20));
}

void TestMobiFile::noPictures()
{
    MobiLayout layout;
    layout.text = sampleText(100);
    const mobi::MobiFile file(write("nopictures.mobi", makeMobi(layout)));
    QCOMPARE(file.firstImageRecord(), file.recordCount());
    QCOMPARE(file.imageCount(), 0);
    QVERIFY(file.coverImage().isNull());
}

void TestMobiFile::encryptedHasNoCover()
{
    MobiLayout layout;
    layout.text = sampleText(100);
    layout.encryption = 2;
    layout.pictures = { picture(4, 4, "PNG") };
    const mobi::MobiFile file(write("encrypted.mobi", makeMobi(layout)));
    QVERIFY(file.isEncrypted());
    QVERIFY(file.coverImage().isNull());
    QVERIFY(!file.image(0).isNull());
}

void TestMobiFile::wrongExthMagic()
{
    MobiLayout layout;
    layout.text = sampleText(100);
    layout.exth = { { 100, "Nobody" } };
    layout.exthMagic = "EXTX";
    const mobi::MobiFile file(write("exth.mobi", makeMobi(layout)));
    QVERIFY(file.exthRecords().isEmpty());
    QCOMPARE(file.author(), QString());
    // Without EXTH records the full name is still found.
    QCOMPARE(file.title(), QStringLiteral("Test Book"));
}

void TestMobiFile::oversizedPictureIsNotDecoded()
{
    // A bitmap header that claims 30000 x 30000 pixels and carries nothing.
    QByteArray bmp = picture(2, 2, "BMP");
    bmp.replace(18, 4, QByteArray("\x30\x75\x00\x00", 4));
    bmp.replace(22, 4, QByteArray("\x30\x75\x00\x00", 4));
    QVERIFY(TextDocument::decodeImage(bmp).isNull());
    QCOMPARE(TextDocument::decodeImage(picture(2, 2, "BMP")).size(), QSize(2, 2));
    QVERIFY(TextDocument::decodeImage("not a picture").isNull());
}

void TestMobiFile::plainPalmDocBook()
{
    MobiLayout layout;
    layout.text = "Plain PalmDOC text";
    layout.identifier.clear();
    const mobi::MobiFile file(write("plain.prc", makeMobi(layout)));
    QVERIFY(file.isOpen());
    QVERIFY(!file.hasMobiHeader());
    QCOMPARE(file.databaseType(), QByteArray("TEXt"));
    QCOMPARE(file.rawText(), layout.text);
    QVERIFY(file.exthRecords().isEmpty());
}

void TestMobiFile::damagedFilesNeverCrash()
{
    MobiLayout layout;
    layout.text = sampleText(3000);
    layout.exth = { { 100, "Author" } };
    layout.pictures = { picture(4, 4, "PNG") };
    layout.extraFlags = 3;
    const QByteArray whole = makeMobi(layout);
    // Every prefix of the file, and a few bytes flipped all over it.
    for (int length = 0; length < whole.size(); length += 7) {
        const auto file = mobi::MobiFile::fromBytes(whole.left(length));
        file->rawText();
        file->title();
        file->author();
        file->coverImage();
    }
    for (int at = 0; at < 600 && at < whole.size(); ++at) {
        QByteArray damaged = whole;
        damaged[at] = char(~uchar(damaged.at(at)));
        const auto file = mobi::MobiFile::fromBytes(damaged);
        file->rawText();
        file->title();
        file->image(0);
    }
}

void TestMobiFile::recordListOutsideTheFile()
{
    MobiLayout layout;
    layout.text = sampleText(100);
    QByteArray bytes = makeMobi(layout);
    // Record 1 starts past the end of the file; record count is huge.
    bytes.replace(78 + 8, 4, be32(0x7FFFFFFF));
    const auto file = mobi::MobiFile::fromBytes(bytes);
    QVERIFY(file->record(1).isNull());
    QVERIFY(!file->record(0).isNull());
    QVERIFY(file->record(-1).isNull());
    QVERIFY(file->record(1000).isNull());

    QByteArray many = makeMobi(layout);
    many.replace(76, 2, be16(0xFFFF));
    const auto listed = mobi::MobiFile::fromBytes(many);
    QVERIFY(listed->recordCount() < 0xFFFF);
    listed->rawText();
}

void TestMobiFile::textOfSharedRecordsIsBounded()
{
    // A plain PalmDOC book of 700 KB whose record list names the same
    // 66000 bytes as every other of its 65535 records: more than 2 GB of
    // text, which no byte array holds.
    constexpr int count = 0xFFFF;
    constexpr int shared = 78 + 8 * count + 2 + 16;
    constexpr int after = shared + 66000;
    QByteArray bytes(78, '\0');
    bytes.replace(60, 8, "TEXtREAd");
    bytes.replace(76, 2, be16(count));
    bytes += be32(shared - 16) + be32(0);
    for (int i = 1; i < count; ++i)
        bytes += be32(i % 2 ? shared : after) + be32(quint32(i));
    bytes += QByteArray(2, '\0');
    // Stored text, 65535 text records of any size.
    bytes += be16(1) + be16(0) + be32(0xFFFFFFFF) + be16(0xFFFF) + be16(0) + be32(0);
    QCOMPARE(bytes.size(), shared);
    bytes += QByteArray(66000, 'a') + "end";

    const auto file = mobi::MobiFile::fromBytes(bytes);
    QCOMPARE(file->recordCount(), count);
    const QByteArray text = file->rawText();
    QCOMPARE(text.size(), 64 * 1024 * 1024);
    QVERIFY(text.startsWith("aaaa"));
}

void TestMobiFile::cyclicDictionaryWorkIsBoundedForTheBook()
{
    // Entry 1 expands into itself twice: every record spins until its own
    // budget is spent. A thousand such records took many seconds; the book
    // as a whole may spend no more than its size allows.
    FixedHuffCode code(8, 8);
    const int letter = code.addLiteral("x");
    const int cycle = code.addNested({ 1, 1 });
    QCOMPARE(cycle, 1);
    MobiLayout layout;
    layout.compression = 17480;
    layout.huff = &code;
    for (int i = 0; i < 1000; ++i)
        layout.textRecords.append(code.encode({ letter, cycle }));
    const auto file = mobi::MobiFile::fromBytes(makeMobi(layout));
    const QByteArray text = file->rawText();
    QVERIFY(text.startsWith("xx"));
    QVERIFY2(text.count('x') < 100, QByteArray::number(text.count('x')));

    // A real book of as many records decodes to its end.
    FixedHuffCode plain(8, 8);
    const int word = plain.addLiteral("word ");
    const int twice = plain.addNested({ word, word });
    MobiLayout book;
    book.compression = 17480;
    book.huff = &plain;
    for (int i = 0; i < 1000; ++i)
        book.textRecords.append(plain.encode({ twice, word }));
    const QByteArray words = mobi::MobiFile::fromBytes(makeMobi(book))->rawText();
    QCOMPARE(words.count("word "), 3000);
}

void TestMobiFile::missingFile()
{
    const mobi::MobiFile file(m_dir.filePath("nothing-here.mobi"));
    QVERIFY(!file.isOpen());
    QVERIFY(file.record(0).isNull());
    QCOMPARE(file.title(), QString());
    QVERIFY(file.rawText().isEmpty());
    QCOMPARE(file.imageCount(), 0);
}

void TestMobiFile::bookMetadata()
{
    MobiLayout layout;
    layout.text = sampleText(100);
    layout.fullName = "Meta Title";
    layout.exth = { { 100, "An Author" }, { 101, "A Publisher" }, { 103, "Described" },
                  { 104, "ISBN-1" },    { 105, "Subject" },     { 108, "Helper" },
                  { 109, "Rights" } };
    layout.pictures = { picture(7, 9, "PNG") };
    const mobi::BookMetadata book = mobi::readBookMetadata(write("meta.mobi", makeMobi(layout)));
    QCOMPARE(book.result, mobi::BookMetadata::Result::Ok);
    QCOMPARE(book.title, QStringLiteral("Meta Title"));
    QCOMPARE(book.author, QStringLiteral("An Author"));
    QCOMPARE(book.cover.size(), QSize(7, 9));
    const QMap<int, QString> expected { { 0, "ISBN-1" },    { 1, "Meta Title" },
                                        { 2, "An Author" }, { 3, "Helper" },
                                        { 4, "Subject" },   { 5, "A Publisher" },
                                        { 6, "Described" }, { 7, "Mobipocket Book" },
                                        { 11, "Rights" } };
    QCOMPARE(book.metadata, expected);

    layout.identifier = "MOBX";
    QCOMPARE(mobi::readBookMetadata(write("notmobi.mobi", makeMobi(layout))).result,
             mobi::BookMetadata::Result::NotMobi);
    QVERIFY(todaysLog().contains(QStringLiteral("Invalid format of MOBI file.")));
    layout.identifier = "MOBI";
    layout.encryption = 1;
    QCOMPARE(mobi::readBookMetadata(write("drm.mobi", makeMobi(layout))).result,
             mobi::BookMetadata::Result::Encrypted);
}

void TestMobiFile::headerNames()
{
    QCOMPARE(mobi::MobiCompressionName(17480), QStringLiteral("HUFF/CDIC"));
    QCOMPARE(mobi::MobiCompressionName(3), QStringLiteral("Unknown (3)"));
    QCOMPARE(mobi::MobiEncryptionName(1), QStringLiteral("Old Mobipocket"));
    QCOMPARE(mobi::MobiBookTypeName(3), QStringLiteral("PalmDoc Book"));
    QCOMPARE(mobi::MobiBookTypeName(518), QStringLiteral("HTML"));
    QCOMPARE(mobi::MobiBookTypeName(1), QStringLiteral("Unknown (1)"));
    QCOMPARE(mobi::MobiTextEncodingName(1252), QStringLiteral("Cp1252"));
    QCOMPARE(mobi::MobiTextEncodingName(65001), QStringLiteral("UTF-8"));
    QCOMPARE(mobi::MobiTextEncodingName(0), QString());
}

VL_TEST_GUILESS_MAIN(TestMobiFile)
#include "tst_mobifile.moc"
