#include "archive/sevenzip/sevenzipreader.h"
#include "archive/singlebookarchive.h"
#include "core/paths.h"
#include "tests/archive/sevenzipfixture.h"
#include "tests/archive/zipfixture.h"
#include "tests/support/testenvironment.h"
#include "tests/support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using SevenZipFixture::File;
using TestSupport::filesBelow;

namespace {

const QList<File> pages = {
    { QStringLiteral("pages/p1.png"), "first" },
    { QStringLiteral("pages/p2.png"), "second" },
    { QStringLiteral("ComicInfo.xml"), "<ComicInfo/>" },
};

} // namespace

class TestSevenZipReader : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void listsEntriesInArchiveOrder();
    void extractFileByName_data();
    void extractFileByName();
    void extractAllSkipsUnsafeNames();
    void testReadByPattern();
    void problems_data();
    void problems();
    void limitsRefuseBombs();
    void singleBooks_data();
    void singleBooks();
    void unpackedForReadingBesideTheArchive();

private:
    QString archive(const QList<File> &files, const QStringList &switches = {},
                    const QString &name = QStringLiteral("a.7z"));

    QScopedPointer<QTemporaryDir> m_dir;
};

void TestSevenZipReader::init()
{
    m_dir.reset(new QTemporaryDir);
    QVERIFY(m_dir->isValid());
}

void TestSevenZipReader::cleanup()
{
    m_dir->setAutoRemove(!QTest::currentTestFailed());
    m_dir.reset();
}

QString TestSevenZipReader::archive(const QList<File> &files, const QStringList &switches,
                                    const QString &name)
{
    const QString path = m_dir->filePath(name);
    if (!SevenZipFixture::make(path, files, switches))
        qWarning("fixture not written: %s", qPrintable(path));
    return path;
}

void TestSevenZipReader::listsEntriesInArchiveOrder()
{
    const std::unique_ptr<ArchiveReader> reader = ArchiveReader::create(archive(pages));
    QVERIFY(dynamic_cast<SevenZipReader *>(reader.get()));
    // 7z keeps the names sorted by folder.
    QCOMPARE(reader->list(m_dir->filePath(QStringLiteral("a.7z"))),
             QStringList({ "ComicInfo.xml", "pages/p1.png", "pages/p2.png" }));
    QVERIFY(reader->list(m_dir->filePath(QStringLiteral("missing.7z"))).isEmpty());
}

void TestSevenZipReader::extractFileByName_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("written"); // empty: nothing

    QTest::newRow("exact") << "pages/p2.png"
                           << "pages/p2.png";
    QTest::newRow("other letter case") << "PAGES/P1.PNG"
                                       << "pages/p1.png";
    QTest::newRow("missing") << "pages/p9.png" << QString();
}

void TestSevenZipReader::extractFileByName()
{
    QFETCH(QString, entry);
    QFETCH(QString, written);
    const QString path = archive(pages);
    const QString folder = m_dir->filePath(QStringLiteral("out"));
    QString output = QStringLiteral("untouched");
    SevenZipReader reader;
    QCOMPARE(reader.extractFile(path, entry, folder, output), !written.isEmpty());
    if (written.isEmpty()) {
        QCOMPARE(output, QStringLiteral("untouched"));
        QCOMPARE(filesBelow(folder), QStringList());
    } else {
        QCOMPARE(output, folder + QLatin1Char('/') + written);
        QCOMPARE(filesBelow(folder), QStringList { written });
    }
}

void TestSevenZipReader::extractAllSkipsUnsafeNames()
{
    const QString path = archive({ { QStringLiteral("book/ch1.xhtml"), "one" },
                                   { QStringLiteral("../escaped.xhtml"), "out" } },
                                 { QStringLiteral("-spf") });
    QFile::remove(m_dir->filePath(QStringLiteral("escaped.xhtml")));
    const QString folder = m_dir->filePath(QStringLiteral("out/inner"));
    QList<QFileInfo> files;
    QVERIFY(SevenZipReader().extract(path, folder, &files));
    QCOMPARE(files.size(), 1);
    QCOMPARE(files.first().absoluteFilePath(), folder + QStringLiteral("/book/ch1.xhtml"));
    QCOMPARE(filesBelow(m_dir->filePath(QStringLiteral("out"))),
             QStringList { QStringLiteral("inner/book/ch1.xhtml") });
    QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("escaped.xhtml"))));
}

void TestSevenZipReader::testReadByPattern()
{
    const QString path = archive(pages);
    const QString folder = m_dir->filePath(QStringLiteral("out"));
    QString output;
    QVERIFY(SevenZipReader().testRead(path, QRegExp(QStringLiteral("\\.png$")), folder, output));
    QCOMPARE(output, folder + QStringLiteral("/pages/p2.png"));
    QCOMPARE(filesBelow(folder), QStringList({ "pages/p1.png", "pages/p2.png" }));
}

void TestSevenZipReader::problems_data()
{
    QTest::addColumn<QList<File>>("files");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("problem");

    QTest::newRow("sound") << pages << QStringList() << QString();
    QTest::newRow("encrypted data")
            << pages << QStringList { "-pSECRET" } << "the archive is encrypted";
    QTest::newRow("encrypted headers")
            << pages << QStringList { "-pSECRET", "-mhe=on" } << "the archive is encrypted";
    QTest::newRow("no 7z archive")
            << QList<File>() << QStringList() << "the archive is damaged or is no 7z archive";
}

void TestSevenZipReader::problems()
{
    QFETCH(QList<File>, files);
    QFETCH(QStringList, switches);
    QFETCH(QString, problem);
    QString path = m_dir->filePath(QStringLiteral("a.7z"));
    if (files.isEmpty())
        QVERIFY(ZipFixture::write(path, { { QStringLiteral("p.png"), "x" } }));
    else
        path = archive(files, switches);
    QCOMPARE(SevenZipReader().problem(path), problem);
}

// Declared sizes are weighed before a byte is written.
void TestSevenZipReader::limitsRefuseBombs()
{
    const QString path = archive({ { QStringLiteral("big.txt"), QByteArray(5000, 'a') },
                                   { QStringLiteral("small.txt"), "b" } });
    ArchiveLimits limits;
    limits.maxTotalBytes = 1000;
    SevenZipReader reader(limits);
    QCOMPARE(reader.problem(path),
             QStringLiteral("the archive unpacks to far more data than a book holds"));
    const QString folder = m_dir->filePath(QStringLiteral("out"));
    QVERIFY(!reader.extract(path, folder));
    QString output;
    QVERIFY(reader.extractFile(path, QStringLiteral("small.txt"), folder, output));
    QCOMPARE(filesBelow(folder), QStringList { QStringLiteral("small.txt") });

    limits = ArchiveLimits();
    limits.maxEntries = 1;
    QVERIFY(!SevenZipReader(limits).extractFile(path, QStringLiteral("small.txt"), folder, output));
}

void TestSevenZipReader::singleBooks_data()
{
    QTest::addColumn<QString>("kind"); // "7z", "zip"
    QTest::addColumn<QList<File>>("files");
    QTest::addColumn<QStringList>("switches");
    QTest::addColumn<QString>("suffix"); // "null" for none
    QTest::addColumn<QString>("problem");
    QTest::addColumn<QString>("unpacked"); // relative to the folder; empty: nothing

    const QByteArray book = "<FictionBook/>";
    QTest::newRow("7z: one book") << "7z" << QList<File> { { "books/Novel.FB2", book } }
                                  << QStringList() << "fb2" << QString() << "books/Novel.FB2";
    QTest::newRow("7z: two books") << "7z" << QList<File> { { "a.fb2", book }, { "b.fb2", book } }
                                   << QStringList() << "null" << QString() << QString();
    QTest::newRow("7z: encrypted")
            << "7z" << QList<File> { { "a.fb2", book } } << QStringList { "-pSECRET" } << "fb2"
            << "the archive is encrypted" << QString();
    QTest::newRow("zip: one book") << "zip" << QList<File> { { "Novel.epub", book } }
                                   << QStringList() << "epub" << QString() << "Novel.epub";
    QTest::newRow("zip: one book in a folder")
            << "zip" << QList<File> { { "shelf/Novel.mobi", book } } << QStringList() << "mobi"
            << QString() << "shelf/Novel.mobi";
    QTest::newRow("zip: two books") << "zip" << QList<File> { { "a.fb2", book }, { "b.fb2", book } }
                                    << QStringList() << "null" << QString() << QString();
}

// The one view of ZIP and 7z single-book archives that the library and the
// reader share.
void TestSevenZipReader::singleBooks()
{
    QFETCH(QString, kind);
    QFETCH(QList<File>, files);
    QFETCH(QStringList, switches);
    QFETCH(QString, suffix);
    QFETCH(QString, problem);
    QFETCH(QString, unpacked);
    QString path = m_dir->filePath(QStringLiteral("book.") + kind);
    if (kind == QLatin1String("zip")) {
        QList<ZipFixture::Entry> entries;
        for (const File &file : qAsConst(files))
            entries.append({ file.name, file.data });
        QVERIFY(ZipFixture::write(path, entries));
    } else {
        path = archive(files, switches, QStringLiteral("book.7z"));
    }
    QVERIFY(SingleBookArchive::isArchive(path));

    QString found;
    const QString result = SingleBookArchive::entrySuffix(path, &found);
    QCOMPARE(result.isNull(), suffix == QLatin1String("null"));
    if (!result.isNull())
        QCOMPARE(result, suffix);
    if (result.isNull())
        QCOMPARE(found, QString());

    const QString folder = m_dir->filePath(QStringLiteral("out"));
    found.clear();
    const QString written = SingleBookArchive::unpack(path, folder, &found);
    if (unpacked.isEmpty()) {
        QVERIFY(written.isNull());
        QVERIFY(!found.isEmpty());
        if (!problem.isEmpty())
            QCOMPARE(found, problem);
        QCOMPARE(filesBelow(folder), QStringList());
    } else {
        QCOMPARE(written, folder + QLatin1Char('/') + unpacked);
        QCOMPARE(filesBelow(folder), QStringList { unpacked });
    }
}

void TestSevenZipReader::unpackedForReadingBesideTheArchive()
{
    const QString path = archive({ { QStringLiteral("Story.txt"), "Once upon a time." } });
    QVERIFY(!SingleBookArchive::isArchive(m_dir->filePath(QStringLiteral("a.7z.bak"))));
    // An unpack that was cut short left its unfinished file.
    const QString leftover = Paths::partFilePath(Paths::bookPath(path) + "/archive/Story.txt");
    QVERIFY(QDir().mkpath(QFileInfo(leftover).path()));
    QFile cut(leftover);
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.close();
    const QString first = SingleBookArchive::unpackForReading(path);
    QCOMPARE(first, Paths::bookPath(path) + QStringLiteral("/archive/Story.txt"));
    // Opened again: the same file, with the stored time.
    QCOMPARE(SingleBookArchive::unpackForReading(path), first);
    QCOMPARE(QFileInfo(first).lastModified().toUTC(), SevenZipFixture::fileTime());
    QCOMPARE(filesBelow(Paths::bookPath(path)),
             QStringList { QStringLiteral("archive/Story.txt") });
}

VL_TEST_GUILESS_MAIN(TestSevenZipReader)
#include "tst_sevenzipreader.moc"
