#include "archive/zipreader.h"
#include "tests/archive/zipfixture.h"
#include "tests/support/testenvironment.h"
#include "tests/support/testfiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using TestSupport::filesBelow;
using ZipFixture::Entry;
Q_DECLARE_METATYPE(ZipFixture::Entry)

class TestZipReader : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void extractAll();
    void extractSkipsExistingTargets();
    void extractFileByName_data();
    void extractFileByName();
    void testReadByPattern_data();
    void testReadByPattern();
    void listKeepsFolderEntries();
    void singleEntrySuffix_data();
    void singleEntrySuffix();
    void entryNames_data();
    void entryNames();
    void unsafeNamesStayInside();
    void extractRemovesUnfinishedFiles();
    void damagedArchives_data();
    void damagedArchives();
    void corruptEntryLeavesNoFile();
    void limitsRefuseBombs_data();
    void limitsRefuseBombs();

private:
    QString archive(const QList<Entry> &entries, const QString &name = QStringLiteral("a.zip"));

    QScopedPointer<QTemporaryDir> m_dir;
};

void TestZipReader::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void TestZipReader::cleanup()
{
    m_dir->setAutoRemove(!QTest::currentTestFailed());
    m_dir.reset();
}

QString TestZipReader::archive(const QList<Entry> &entries, const QString &name)
{
    const QString path = m_dir->filePath(name);
    if (!ZipFixture::write(path, entries))
        qWarning("fixture not written: %s", qPrintable(path));
    return path;
}

void TestZipReader::extractAll()
{
    const QString path = archive({ { "mimetype", "application/epub+zip", true, 0 },
                                   { "images/", "" },
                                   { "OEBPS/Text/a.xhtml", "<p>a</p>" },
                                   { "OEBPS/b.css", QByteArray(200000, 'x') } });
    const QString target = m_dir->filePath("out/deeper");
    QList<QFileInfo> files;
    ZipReader reader;
    QVERIFY(reader.extract(path, target, &files));
    QCOMPARE(files.size(), 4);
    QCOMPARE(filesBelow(target), QStringList({ "OEBPS/Text/a.xhtml", "OEBPS/b.css", "mimetype" }));
    QVERIFY(QFileInfo(target + "/images").isDir());
    QFile css(target + "/OEBPS/b.css");
    QVERIFY(css.open(QIODevice::ReadOnly));
    QCOMPARE(css.readAll(), QByteArray(200000, 'x'));
}

void TestZipReader::extractSkipsExistingTargets()
{
    const QString path = archive({ { "a.txt", "new" }, { "dir/b.txt", "new" } });
    const QString target = m_dir->filePath("out");
    ZipReader reader;
    QVERIFY(reader.extract(path, target));
    QFile a(target + "/a.txt");
    QVERIFY(a.open(QIODevice::WriteOnly));
    a.write("kept");
    a.close();

    QList<QFileInfo> files;
    QVERIFY(reader.extract(path, target, &files));
    QVERIFY(files.isEmpty());
    QVERIFY(a.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), QByteArray("kept"));
}

void TestZipReader::extractFileByName_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("written");
    QTest::addColumn<QString>("output"); // relative; empty when left alone

    QTest::newRow("exact") << "OEBPS/content.opf" << QStringList { "OEBPS/content.opf" }
                           << "OEBPS/content.opf";
    QTest::newRow("any case") << "meta-inf/CONTAINER.XML"
                              << QStringList { "META-INF/container.xml" }
                              << "META-INF/container.xml";
    QTest::newRow("empty is every entry")
            << "" << QStringList { "META-INF/container.xml", "OEBPS/content.opf", "z.txt" }
            << "z.txt";
    QTest::newRow("missing") << "nothing.txt" << QStringList() << "";
}

void TestZipReader::extractFileByName()
{
    QFETCH(QString, name);
    QFETCH(QStringList, written);
    QFETCH(QString, output);
    const QString path = archive(
            { { "META-INF/container.xml", "c" }, { "OEBPS/content.opf", "o" }, { "z.txt", "z" } });
    const QString target = m_dir->filePath("out");
    QString result = QStringLiteral("unchanged");
    ZipReader reader;
    QVERIFY(reader.extractFile(path, name, target, result));
    QCOMPARE(filesBelow(target), written);
    QCOMPARE(result, output.isEmpty() ? QStringLiteral("unchanged") : target + "/" + output);
}

void TestZipReader::testReadByPattern_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("written");

    QTest::newRow("empty is every entry")
            << "" << QStringList { "a/cover.JPG", "b.png", "c.jpg", "text.xhtml" };
    QTest::newRow("ending") << "\\.jpg$" << QStringList { "a/cover.JPG", "c.jpg" };
    QTest::newRow("nothing") << "\\.gif$" << QStringList();
}

void TestZipReader::testReadByPattern()
{
    QFETCH(QString, pattern);
    QFETCH(QStringList, written);
    const QString path = archive(
            { { "a/cover.JPG", "1" }, { "b.png", "2" }, { "c.jpg", "3" }, { "text.xhtml", "4" } });
    const QString target = m_dir->filePath("out");
    QString result;
    ZipReader reader;
    QVERIFY(reader.testRead(path, QRegExp(pattern, Qt::CaseInsensitive), target, result));
    QCOMPARE(filesBelow(target), written);
    if (!written.isEmpty())
        QVERIFY(result.endsWith(written.last() == "text.xhtml" ? "text.xhtml" : "c.jpg"));
}

void TestZipReader::listKeepsFolderEntries()
{
    const QString path = archive({ { "images/", "" }, { "images/a.png", "1" }, { "b.txt", "2" } });
    ZipReader reader;
    QCOMPARE(reader.list(path), QStringList({ "images/", "images/a.png", "b.txt" }));
    QVERIFY(reader.list(m_dir->filePath("missing.zip")).isEmpty());
}

void TestZipReader::singleEntrySuffix_data()
{
    QTest::addColumn<QList<Entry>>("entries");
    QTest::addColumn<QString>("suffix");

    QTest::newRow("one book") << QList<Entry> { { "Book.FB2", "x" } } << "fb2";
    QTest::newRow("no suffix") << QList<Entry> { { "README", "x" } } << "";
    QTest::newRow("two entries") << QList<Entry> { { "a.epub", "x" }, { "b.epub", "y" } }
                                 << QString();
}

void TestZipReader::singleEntrySuffix()
{
    QFETCH(QList<Entry>, entries);
    QFETCH(QString, suffix);
    const QString result = ZipReader::singleEntrySuffix(archive(entries));
    QCOMPARE(result, suffix);
    QCOMPARE(result.isNull(), suffix.isNull());

    QFile notZip(m_dir->filePath("not.zip"));
    QVERIFY(notZip.open(QIODevice::WriteOnly));
    notZip.write("plain text");
    notZip.close();
    QVERIFY(ZipReader::singleEntrySuffix(notZip.fileName()).isNull());
}

void TestZipReader::entryNames_data()
{
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<QString>("name");

    QTest::newRow("utf-8 flag") << true << QString::fromUtf8("Глава/файл №1.xhtml");
    QTest::newRow("code page 866") << false << QString::fromUtf8("Глава/файл.txt");
    // The longest name a usual file system takes: the temporary name of the
    // file being written must still fit.
    QTest::newRow("255 bytes") << true << QString(251, QLatin1Char('n')) + QStringLiteral(".txt");
}

void TestZipReader::entryNames()
{
    QFETCH(bool, utf8);
    QFETCH(QString, name);
    const QString path = archive({ { name, "text", utf8 } });
    ZipReader reader;
    QCOMPARE(reader.list(path), QStringList { name });
    const QString target = m_dir->filePath("out");
    QVERIFY(reader.extract(path, target));
    QVERIFY(QFileInfo(target + "/" + name).isFile());
}

void TestZipReader::extractRemovesUnfinishedFiles()
{
    const QString path = archive({ { "a.txt", "a" }, { "dir/b.txt", "b" } });
    const QString target = m_dir->filePath("out");
    QVERIFY(QDir().mkpath(target + "/dir"));
    for (const QString &name : { QStringLiteral("/.vl-k1.part"), QStringLiteral("/dir/.vl-x9.part") }) {
        QFile part(target + name);
        QVERIFY(part.open(QIODevice::WriteOnly));
        part.write("cut short");
    }
    ZipReader reader;
    QVERIFY(reader.extract(path, target));
    QCOMPARE(filesBelow(target), QStringList({ "a.txt", "dir/b.txt" }));
    // Unpacked files keep the time of their entry, so the same archive
    // unpacks to the same files: a ZIP time has whole, even seconds.
    const QTime time = QFileInfo(target + "/a.txt").lastModified().time();
    QCOMPARE(time.msec(), 0);
    QCOMPARE(time.second() % 2, 0);
}

void TestZipReader::unsafeNamesStayInside()
{
    const QString path = archive({ { "../evil1.txt", "x" },
                                   { "a/../../evil2.txt", "x" },
                                   { "..\\evil3.txt", "x" },
                                   { m_dir->filePath("evil4.txt"), "x" },
                                   { "good.txt", "fine" } });
    const QString target = m_dir->filePath("box/out");
    ZipReader reader;
    QVERIFY(reader.extract(path, target));
    QString output;
    QVERIFY(reader.extractFile(path, QString(), target, output));
    QVERIFY(reader.testRead(path, QRegExp(), target, output));
    QCOMPARE(output, target + "/good.txt");
    // Nothing anywhere in the temporary folder but the archive and the one
    // good file.
    QCOMPARE(filesBelow(m_dir->path()), QStringList({ "a.zip", "box/out/good.txt" }));
}

void TestZipReader::damagedArchives_data()
{
    QTest::addColumn<int>("keep"); // bytes of the good archive kept; -1 for text

    QTest::newRow("not a zip") << -1;
    QTest::newRow("empty file") << 0;
    QTest::newRow("truncated in the directory") << -20;
    QTest::newRow("truncated in the data") << 300;
}

void TestZipReader::damagedArchives()
{
    QFETCH(int, keep);
    const QString good = archive({ { "a.txt", QByteArray(2000, 'a'), true, 0 },
                                   { "b.txt", QByteArray(2000, 'b'), true, 0 } },
                                 "good.zip");
    QFile in(good);
    QVERIFY(in.open(QIODevice::ReadOnly));
    QByteArray bytes = in.readAll();
    if (keep == -1)
        bytes = "this is not an archive";
    else
        bytes = keep < 0 ? bytes.left(bytes.size() + keep) : bytes.left(keep);
    const QString path = m_dir->filePath("bad.zip");
    QFile out(path);
    QVERIFY(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();

    const QString target = m_dir->filePath("out");
    ZipReader reader;
    QString output;
    QVERIFY(!reader.extract(path, target));
    QVERIFY(!reader.extractFile(path, "a.txt", target, output));
    QVERIFY(!reader.testRead(path, QRegExp(), target, output));
    QVERIFY(reader.list(path).isEmpty());
    QVERIFY(filesBelow(target).isEmpty());
}

void TestZipReader::corruptEntryLeavesNoFile()
{
    // Stored data, so the altered byte passes zlib and only the checksum
    // tells.
    const QByteArray data = QByteArray("0123456789abcdef").repeated(1000);
    const QString path
            = archive({ { "first.txt", "ok", true, 0 }, { "second.txt", data, true, 0 } });
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const int at = bytes.indexOf(data) + 5000;
    bytes[at] = bytes[at] ^ 0x20;
    file.seek(0);
    file.write(bytes);
    file.close();

    const QString target = m_dir->filePath("out");
    ZipReader reader;
    QVERIFY(!reader.extract(path, target));
    // The good entry stays; the bad one leaves nothing a later call trusts.
    QCOMPARE(filesBelow(target), QStringList { "first.txt" });
    QVERIFY(!reader.extract(path, target));
    QCOMPARE(filesBelow(target), QStringList { "first.txt" });
}

void TestZipReader::limitsRefuseBombs_data()
{
    QTest::addColumn<qint64>("maxBytes");
    QTest::addColumn<int>("maxEntries");
    QTest::addColumn<bool>("ok");

    QTest::newRow("within") << qint64(1000000) << 10 << true;
    QTest::newRow("too many bytes") << qint64(100000) << 10 << false;
    QTest::newRow("too many entries") << qint64(1000000) << 2 << false;
}

void TestZipReader::limitsRefuseBombs()
{
    QFETCH(qint64, maxBytes);
    QFETCH(int, maxEntries);
    QFETCH(bool, ok);
    const QString path = archive({ { "small.txt", "s" },
                                   { "zeros.bin", QByteArray(300000, '\0') },
                                   { "tail.txt", "t" } });
    ZipReader::Limits limits;
    limits.maxTotalBytes = maxBytes;
    limits.maxEntries = maxEntries;
    ZipReader reader(limits);
    const QString target = m_dir->filePath("out");
    QCOMPARE(reader.extract(path, target), ok);
    if (!ok)
        QVERIFY(filesBelow(target).isEmpty());

    // Above the floor, a ratio no book reaches is refused by default rules.
    ZipReader::Limits ratio;
    ratio.ratioFloor = 100000;
    ratio.maxRatio = 10;
    QVERIFY(!ZipReader(ratio).extract(path, m_dir->filePath("ratio")));
}

VL_TEST_GUILESS_MAIN(TestZipReader)
#include "tst_zipreader.moc"
