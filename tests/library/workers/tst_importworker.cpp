#include "tests/support/testenvironment.h"
#include "tests/support/testfiles.h"

#include "core/paths.h"
#include "library/db/bookprovider.h"
#include "library/workers/addbooksworker.h"
#include "library/workers/exportworker.h"
#include "library/workers/importworker.h"
#include "library/workers/librarypackage.h"
#include "tests/archive/zipfixture.h"
#include "tests/library/workers/packagefixture.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>
#include <zlib.h>

using PackageFixture::Run;
using TestSupport::filesBelow;

namespace {

QJsonObject record(const QString &fileName, const QString &relPath,
                   const QString &folder = QString())
{
    return QJsonObject { { "book_id", "{x}" },
                         { "file_name", fileName },
                         { "rel_path", relPath },
                         { "author", "Someone" },
                         { "title", QFileInfo(fileName).baseName() },
                         { "book_format", 8 },
                         { "position", 3 },
                         { "progress", 50 },
                         { "is_favorite", false },
                         { "cover_path", "" },
                         { "folders", QJsonArray { folder } } };
}

QByteArray description(const QJsonArray &books)
{
    return QJsonDocument(QJsonObject { { "books", books } }).toJson();
}

// A package of the given entries with the description last.
bool writePackage(const QString &path, const QByteArray &descriptionText,
                  QList<ZipFixture::Entry> entries = {})
{
    entries.append({ QStringLiteral("container.json"), descriptionText });
    return ZipFixture::write(path, entries);
}

QByteArray rawDeflate(const QByteArray &data)
{
    z_stream stream {};
    deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    QByteArray out(int(deflateBound(&stream, uLong(data.size()))), Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    stream.avail_in = uInt(data.size());
    stream.next_out = reinterpret_cast<Bytef *>(out.data());
    stream.avail_out = uInt(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(int(stream.total_out));
    deflateEnd(&stream);
    return out;
}

// Adds an entry whose header says what the caller likes, whatever the data:
// a wrong checksum, or a size far below what the data inflates to.
bool addLyingEntry(QuaZip &zip, const QString &name, const QByteArray &data, quint32 crc,
                   ulong declaredSize)
{
    QuaZipNewInfo info(name);
    info.uncompressedSize = declaredSize;
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::WriteOnly, info, nullptr, crc, Z_DEFLATED, 6, true))
        return false;
    file.write(rawDeflate(data));
    file.close();
    return file.getZipError() == 0;
}

quint32 crcOf(const QByteArray &data)
{
    return quint32(crc32(0, reinterpret_cast<const Bytef *>(data.constData()), uInt(data.size())));
}

QByteArray noise(int size, quint32 seed)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &c : bytes) {
        seed = seed * 1664525u + 1013904223u;
        c = char(seed >> 24);
    }
    return bytes;
}

QStringList categoryTitles()
{
    QStringList titles;
    for (const CategoryDto &category : BookProvider::instance()->allCategories())
        titles << QStringLiteral("%1:%2").arg(category.title).arg(category.bookCount);
    return titles;
}

// Whether the first entry's local header carries a zip64 field (id 1).
bool firstEntryIsZip64(const QString &package)
{
    QFile file(package);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(30);
    if (header.size() < 30 || !header.startsWith("PK\x03\x04"))
        return false;
    const auto u16 = [](const QByteArray &bytes, int at) {
        return int(uchar(bytes.at(at))) | int(uchar(bytes.at(at + 1))) << 8;
    };
    const int nameLength = u16(header, 26);
    const QByteArray extra = (file.read(nameLength), file.read(u16(header, 28)));
    for (int at = 0; at + 4 <= extra.size(); at += 4 + u16(extra, at + 2)) {
        if (u16(extra, at) == 1)
            return true;
    }
    return false;
}

} // namespace

class TestImportWorker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void roundTrip();
    void roundTripZip64();
    void roundTripRealBooks();
    void emptyPackage();
    void nameCollisions();
    void categories();
    void hostilePackage_data();
    void hostilePackage();
    void damagedEntries();
    void cancelDuringCopy();
    void packageOver4GiB();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    // Export the library, empty it and import the package into a new
    // folder; the run of the import.
    Run moveLibrary(const QString &name, qint64 zip64Threshold = -1);

    QTemporaryDir m_dir;
    QString m_importFolder;
};

void TestImportWorker::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(BookProvider::instance()->createConnection(),
             qPrintable(BookProvider::instance()->lastError()));
}

void TestImportWorker::init()
{
    PackageFixture::emptyLibrary();
    QCOMPARE(BookProvider::instance()->bookCountAll(), 0);
    m_importFolder = path(QStringLiteral("import-") + QTest::currentTestFunction()
                          + QLatin1Char('-') + QString::fromLatin1(QTest::currentDataTag()));
}

Run TestImportWorker::moveLibrary(const QString &name, qint64 zip64Threshold)
{
    ExportWorker exporter(path(name));
    if (zip64Threshold >= 0)
        exporter.setZip64Threshold(zip64Threshold);
    const Run exported = PackageFixture::runExport(exporter);
    if (exported.events.last() != QLatin1String("complete"))
        return exported;
    PackageFixture::emptyLibrary();
    ImportWorker importer(exported.fileName, m_importFolder);
    return PackageFixture::runImport(importer);
}

// Export then import into an empty library gives the same books with their
// files, covers, categories, favourites, positions and bookmarks.
void TestImportWorker::roundTrip()
{
    PackageFixture::seedLibrary(path(QStringLiteral("library")));
    QStringList before = PackageFixture::snapshot();
    // The book whose file is gone cannot travel.
    before = before.filter(QRegularExpression(QStringLiteral("^(?!Gone\\|)")));
    QCOMPARE(before.size(), 3);

    const uint start = uint(QDateTime::currentSecsSinceEpoch());
    const Run run = moveLibrary(QStringLiteral("roundtrip.vlz"));
    QCOMPARE(run.events,
             QStringList({ "state 1", "started", "state 2", "state 0", "complete", "imported",
                           "done" }));
    QCOMPARE(run.count, 3);
    QCOMPARE(run.progress, (QList<QPair<int, int>> { { 1, 3 }, { 2, 3 }, { 3, 3 } }));
    for (int i = 0; i < 3; ++i) {
        const QString prefix = QStringLiteral("%1 of 3 is being imported. ").arg(i + 1);
        QVERIFY2(run.messages.at(i).startsWith(prefix), qPrintable(run.messages.at(i)));
        QVERIFY(QStringList({ "alpha.epub", "README", "gamma.epub" })
                        .contains(run.messages.at(i).mid(prefix.size())));
    }
    QCOMPARE(PackageFixture::snapshot(), before);

    QCOMPARE(filesBelow(m_importFolder), QStringList({ "README", "alpha.epub", "gamma.epub" }));
    QCOMPARE(categoryTitles(), QStringList({ "Novels:1", "Poems:1" }));
    for (const BookDto &book : BookProvider::instance()->allBooks()) {
        QVERIFY(book.timeAdded >= start);
        QCOMPARE(book.timeLastView, 0u);
        QCOMPARE(QFileInfo(book.fullPath).absolutePath(), m_importFolder);
        if (!book.cover.isEmpty())
            QCOMPARE(QFileInfo(book.cover).absolutePath(),
                     QDir::fromNativeSeparators(Paths::bookPath(book.fullPath)));
    }
}

// Entries written in the zip64 form (as books over 4 GiB are) read back.
void TestImportWorker::roundTripZip64()
{
    PackageFixture::seedLibrary(path(QStringLiteral("library")));
    const QStringList before
            = PackageFixture::snapshot().filter(QRegularExpression(QStringLiteral("^(?!Gone\\|)")));
    const Run run = moveLibrary(QStringLiteral("zip64.vlz"), 0);
    QVERIFY(firstEntryIsZip64(path(QStringLiteral("zip64.vlz"))));
    QCOMPARE(run.count, 3);
    QCOMPARE(PackageFixture::snapshot(), before);
}

// Books no one here wrote, added as a user adds them, make the same trip.
void TestImportWorker::roundTripRealBooks()
{
    QStringList books;
    for (const QString &folder : { QStringLiteral("/usr/share/doc/live-manual/epub"),
                                   QStringLiteral("/usr/share/doc/ubuntu-packaging-guide-epub") }) {
        QDirIterator it(folder, { QStringLiteral("*.epub") }, QDir::Files);
        for (int i = 0; it.hasNext() && i < 3; ++i)
            books << it.next();
    }
    if (books.isEmpty())
        QSKIP("no real books installed (live-manual-epub, ubuntu-packaging-guide-epub)");

    QList<QFileInfo> inputs;
    for (const QString &book : books)
        inputs << QFileInfo(book);
    AddBooksWorker adder(inputs);
    QSignalSpy done(&adder, &AddBooksWorker::done);
    adder.start();
    QVERIFY(done.wait(60000));
    adder.wait();
    BookProvider *provider = BookProvider::instance();
    const QList<BookDto> added = provider->allBooks();
    QCOMPARE(added.size(), books.size());

    const int category = provider->addCategory(QStringLiteral("Manuals"), 0);
    QVERIFY(provider->addBookToCategory(added.first().id, category));
    QVERIFY(provider->setFavorite(added.last().id, 1));
    QVERIFY(provider->setReadingPosition(added.last().id, 77, 42));
    QVERIFY(provider->createBookmark(added.first().id, 15, 8, QStringLiteral("Chapter one")));
    const QStringList before = PackageFixture::snapshot();

    const Run run = moveLibrary(QStringLiteral("real.vlz"));
    QCOMPARE(run.count, books.size());
    QCOMPARE(PackageFixture::snapshot(), before);
}

void TestImportWorker::emptyPackage()
{
    const QString package = path(QStringLiteral("empty.vlz"));
    QVERIFY(writePackage(package, description({})));
    ImportWorker worker(package, m_importFolder);
    const Run run = PackageFixture::runImport(worker);
    QCOMPARE(run.events,
             QStringList({ "state 1", "started", "state 2", "state 0", "complete", "imported",
                           "done" }));
    QCOMPARE(run.count, 0);
    QCOMPARE(BookProvider::instance()->bookCountAll(), 0);
}

// Three books of one name, into a folder that already has one.
void TestImportWorker::nameCollisions()
{
    QVERIFY(QDir().mkpath(m_importFolder));
    QFile existing(QDir(m_importFolder).filePath(QStringLiteral("a.txt")));
    QVERIFY(existing.open(QIODevice::WriteOnly));
    existing.write("already here");
    existing.close();

    QJsonArray books;
    QList<ZipFixture::Entry> entries;
    for (int i = 0; i < 3; ++i) {
        const QString entry = QStringLiteral("{%1}/{%1}.txt").arg(i);
        books.append(record(QStringLiteral("a.txt"), entry));
        entries.append({ entry, QByteArray("book ") + QByteArray::number(i) });
    }
    const QString package = path(QStringLiteral("same-names.vlz"));
    QVERIFY(writePackage(package, description(books), entries));
    ImportWorker worker(package, m_importFolder);
    QCOMPARE(PackageFixture::runImport(worker).count, 3);

    QCOMPARE(filesBelow(m_importFolder),
             QStringList({ "(1)a.txt", "(2)a.txt", "(3)a.txt", "a.txt" }));
    for (int i = 0; i < 3; ++i) {
        QFile file(QDir(m_importFolder).filePath(QStringLiteral("(%1)a.txt").arg(i + 1)));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("book ") + QByteArray::number(i));
    }
    QFile kept(existing.fileName());
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("already here"));
}

// A title joins the category of exactly that title; another case makes a
// new one; no title, no category.
void TestImportWorker::categories()
{
    BookProvider *provider = BookProvider::instance();
    QVERIFY(provider->addCategory(QStringLiteral("Novels"), 0) > 0);
    QVERIFY(provider->addCategory(QStringLiteral("poems"), 0) > 0);
    QJsonArray books;
    QList<ZipFixture::Entry> entries;
    const QStringList folders { "Novels", "Poems", "", "Novels" };
    for (int i = 0; i < folders.size(); ++i) {
        const QString entry = QStringLiteral("{%1}/{%1}.txt").arg(i);
        books.append(record(QStringLiteral("b%1.txt").arg(i), entry, folders.at(i)));
        entries.append({ entry, "words" });
    }
    QJsonObject noFolders = record(QStringLiteral("c.txt"), QStringLiteral("{c}/{c}.txt"));
    noFolders.remove(QStringLiteral("folders"));
    books.append(noFolders);
    entries.append({ QStringLiteral("{c}/{c}.txt"), "words" });
    const QString package = path(QStringLiteral("categories.vlz"));
    QVERIFY(writePackage(package, description(books), entries));

    ImportWorker worker(package, m_importFolder);
    QCOMPARE(PackageFixture::runImport(worker).count, 5);
    QCOMPARE(categoryTitles(), QStringList({ "Novels:2", "Poems:1", "poems:0" }));
    int without = 0;
    for (const BookDto &book : provider->allBooksWithFolder())
        without += book.folderTitle.isEmpty() ? 1 : 0;
    QCOMPARE(without, 2);
}

// A package that is damaged, foreign or hostile is refused before anything
// changes: no book, no category, no file, inside or outside the folder.
void TestImportWorker::hostilePackage_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("not a zip") << "noise";
    QTest::newRow("empty file") << "empty";
    QTest::newRow("cut short") << "truncated";
    QTest::newRow("an EPUB") << "epub";
    QTest::newRow("description not JSON") << "not json";
    QTest::newRow("description a list") << "array";
    QTest::newRow("books not a list") << "books object";
    QTest::newRow("name with ..") << "../evil.txt";
    QTest::newRow("name with ..\\") << "..\\evil.txt";
    QTest::newRow("absolute name") << "absolute";
    QTest::newRow("drive letter") << "C:evil.txt";
    QTest::newRow("name with a folder") << "sub/evil.txt";
    QTest::newRow("empty name") << "";
    QTest::newRow("one entry for two books") << "shared";
    QTest::newRow("description too large") << "large";
    QTest::newRow("description inflates beyond its size") << "bomb";
    QTest::newRow("millions of items") << "millions";
    QTest::newRow("too many books") << "books";
    QTest::newRow("too many entries") << "entries";
}

void TestImportWorker::hostilePackage()
{
    QFETCH(QString, kind);
    const QString package = path(QStringLiteral("hostile.vlz"));
    QFile::remove(package);
    const QString outside = path(QStringLiteral("outside"));
    QVERIFY(QDir().mkpath(outside));
    BookProvider *provider = BookProvider::instance();
    QVERIFY(provider->addCategory(QStringLiteral("Kept"), 0) > 0);

    // A good book first: nothing of it may land either.
    QJsonArray books { record(QStringLiteral("good.txt"), QStringLiteral("{g}/{g}.txt"), "New") };
    QList<ZipFixture::Entry> entries { { QStringLiteral("{g}/{g}.txt"), "good" } };
    ImportWorker::Limits limits;
    const auto hostileName = [&](const QString &name) {
        books.append(record(name, QStringLiteral("{e}/{e}.txt")));
        entries.append({ QStringLiteral("{e}/{e}.txt"), "evil" });
        return writePackage(package, description(books), entries);
    };

    bool written = false;
    if (kind == QLatin1String("noise")) {
        QFile file(package);
        written = file.open(QIODevice::WriteOnly) && file.write(noise(5000, 3)) == 5000;
    } else if (kind == QLatin1String("empty")) {
        QFile file(package);
        written = file.open(QIODevice::WriteOnly);
    } else if (kind == QLatin1String("truncated")) {
        written = writePackage(package, description(books), entries);
        QFile file(package);
        written = written && file.resize(file.size() / 2);
    } else if (kind == QLatin1String("epub")) {
        written = ZipFixture::Epub().write(package);
    } else if (kind == QLatin1String("not json")) {
        written = writePackage(package, "books: none", entries);
    } else if (kind == QLatin1String("array")) {
        written = writePackage(package, "[{\"books\": []}]", entries);
    } else if (kind == QLatin1String("books object")) {
        written = writePackage(package, "{\"books\": {\"a\": 1}}", entries);
    } else if (kind == QLatin1String("absolute")) {
        written = hostileName(QDir(outside).filePath(QStringLiteral("evil.txt")));
    } else if (kind == QLatin1String("large")) {
        limits.maxDescriptionBytes = 1024;
        for (int i = 0; i < 20; ++i)
            books.append(books.first());
        written = writePackage(package, description(books), entries);
    } else if (kind == QLatin1String("bomb")) {
        // Says 100 bytes, inflates to 8 MB.
        QuaZip zip(package);
        written = zip.open(QuaZip::mdCreate)
                && addLyingEntry(zip, QStringLiteral("container.json"),
                                 "{\"books\": []" + QByteArray(8 << 20, ' ') + '}', 0, 100);
        zip.close();
    } else if (kind == QLatin1String("millions")) {
        // Two bytes per empty object, under the size limit, far over the count.
        const QByteArray text = "{\"books\": [" + QByteArray("{},").repeated(3000000) + "{}]}";
        written = writePackage(package, text);
    } else if (kind == QLatin1String("shared")) {
        books.append(record(QStringLiteral("copy.txt"), QStringLiteral("{g}/{g}.txt")));
        written = writePackage(package, description(books), entries);
    } else if (kind == QLatin1String("books")) {
        limits.maxBooks = 2;
        books.append(books.first());
        books.append(books.first());
        written = writePackage(package, description(books), entries);
    } else if (kind == QLatin1String("entries")) {
        limits.maxEntries = 5;
        for (int i = 0; i < 5; ++i)
            entries.append({ QStringLiteral("extra%1").arg(i), "x" });
        written = writePackage(package, description(books), entries);
    } else {
        written = hostileName(kind);
    }
    QVERIFY(written);

    ImportWorker worker(package, m_importFolder);
    worker.setLimits(limits);
    const Run run = PackageFixture::runImport(worker);
    QCOMPARE(run.events,
             QStringList({ "state 1", "started", "state 0", "failed 1", "imported", "done" }));
    QCOMPARE(ImportWorker::errorString(ImportErrors(run.error)),
             QStringLiteral("Container corrupted"));
    QCOMPARE(provider->bookCountAll(), 0);
    QCOMPARE(categoryTitles(), QStringList { "Kept:0" });
    QCOMPARE(filesBelow(m_importFolder), QStringList());
    QCOMPARE(filesBelow(outside), QStringList());
    QVERIFY(!QFileInfo::exists(path(QStringLiteral("evil.txt"))));
    QVERIFY(!QFileInfo::exists(QFileInfo(m_importFolder).absolutePath()
                               + QStringLiteral("/evil.txt")));
}

// Books whose entry is missing, fails its checksum or inflates beyond its
// size are skipped without a trace; a missing cover costs only the cover.
void TestImportWorker::damagedEntries()
{
    const QString package = path(QStringLiteral("damaged.vlz"));
    const QByteArray good("a good book\n");
    const QByteArray bad = noise(20000, 5);
    QJsonObject withCover = record(QStringLiteral("good.txt"), QStringLiteral("{1}/{1}.txt"));
    withCover.insert(QStringLiteral("cover_path"), QStringLiteral("{1}/cover.png"));
    const QJsonArray books { withCover,
                             record(QStringLiteral("missing.txt"), QStringLiteral("{2}/{2}.txt")),
                             record(QStringLiteral("checksum.txt"), QStringLiteral("{3}/{3}.txt")),
                             record(QStringLiteral("bomb.txt"), QStringLiteral("{4}/{4}.txt")) };
    {
        QuaZip zip(package);
        QVERIFY(zip.open(QuaZip::mdCreate));
        QuaZipFile file(&zip);
        QVERIFY(file.open(QIODevice::WriteOnly, QuaZipNewInfo(QStringLiteral("{1}/{1}.txt"))));
        file.write(good);
        file.close();
        QVERIFY(addLyingEntry(zip, QStringLiteral("{3}/{3}.txt"), bad, crcOf(bad) ^ 1,
                              ulong(bad.size())));
        QVERIFY(addLyingEntry(zip, QStringLiteral("{4}/{4}.txt"), bad, crcOf(bad), 1000));
        QuaZipFile json(&zip);
        QVERIFY(json.open(QIODevice::WriteOnly, QuaZipNewInfo(QStringLiteral("container.json"))));
        json.write(description(books));
        json.close();
        zip.close();
        QCOMPARE(zip.getZipError(), 0);
    }
    ImportWorker worker(package, m_importFolder);
    const Run run = PackageFixture::runImport(worker);
    QCOMPARE(run.events.mid(run.events.size() - 3),
             QStringList({ "complete", "imported", "done" }));
    QCOMPARE(run.count, 1);
    QCOMPARE(run.progress, (QList<QPair<int, int>> { { 1, 4 }, { 2, 4 }, { 3, 4 }, { 4, 4 } }));
    QCOMPARE(filesBelow(m_importFolder), QStringList { "good.txt" });
    const QList<BookDto> stored = BookProvider::instance()->allBooks();
    QCOMPARE(stored.size(), 1);
    QCOMPARE(stored.first().cover, QString());
    QCOMPARE(filesBelow(QDir::fromNativeSeparators(Paths::booksDir())), QStringList());
}

// A cancel while a book is being copied keeps the books before it and
// leaves nothing of that book.
void TestImportWorker::cancelDuringCopy()
{
    QJsonArray books;
    QList<ZipFixture::Entry> entries;
    for (int i = 0; i < 3; ++i) {
        const QString entry = QStringLiteral("{%1}/{%1}.txt").arg(i);
        books.append(record(QStringLiteral("book%1.txt").arg(i), entry));
        entries.append({ entry, noise(200000, quint32(i)) });
    }
    QJsonObject withCover = books.at(1).toObject();
    withCover.insert(QStringLiteral("cover_path"), QStringLiteral("{1}/cover.png"));
    books.replace(1, withCover);
    entries.append({ QStringLiteral("{1}/cover.png"), noise(100, 9) });
    const QString package = path(QStringLiteral("cancel.vlz"));
    QVERIFY(writePackage(package, description(books), entries));

    ImportWorker worker(package, m_importFolder);
    const Run run = PackageFixture::runImport(worker, [](ImportWorker &w) {
        // Direct: runs on the worker's thread as the second book's step
        // begins, before its copy.
        QObject::connect(
                &w, &ImportWorker::progressChanged, &w,
                [&w](int value) {
                    if (value == 2)
                        w.cancel();
                },
                Qt::DirectConnection);
    });
    QCOMPARE(run.events.mid(run.events.size() - 3),
             QStringList({ "failed 3", "imported", "done" }));
    QCOMPARE(ImportWorker::errorString(ImportErrors(run.error)),
             QStringLiteral("Operation has been canceled"));
    QCOMPARE(filesBelow(m_importFolder), QStringList { "book0.txt" });
    QCOMPARE(BookProvider::instance()->bookCountAll(), 1);
    QCOMPARE(filesBelow(QDir::fromNativeSeparators(Paths::booksDir())), QStringList());
}

// Over 4 GiB of data that does not compress: a book entry over 4 GiB and
// entries that lie beyond 4 GiB in the file. Takes minutes and about 13 GB
// of disk, so it runs only when asked for.
void TestImportWorker::packageOver4GiB()
{
    if (qEnvironmentVariableIsEmpty("VL_TEST_HUGE_PACKAGE"))
        QSKIP("set VL_TEST_HUGE_PACKAGE=1 to write and read a package over 4 GiB");
    const QString folder = path(QStringLiteral("huge"));
    QVERIFY(QDir().mkpath(folder));
    BookDto big;
    big.title = QStringLiteral("Big");
    big.fullPath = QDir(folder).filePath(QStringLiteral("big.txt"));
    {
        QFile file(big.fullPath);
        QVERIFY(file.open(QIODevice::WriteOnly));
        quint64 state = 88172645463325252ull;
        QByteArray block(1 << 20, Qt::Uninitialized);
        const qint64 size = (qint64(4) << 30) + (qint64(100) << 20);
        for (qint64 written = 0; written < size; written += block.size()) {
            auto *words = reinterpret_cast<quint64 *>(block.data());
            for (int i = 0; i < block.size() / 8; ++i) {
                state ^= state << 13;
                state ^= state >> 7;
                state ^= state << 17;
                words[i] = state;
            }
            QCOMPARE(file.write(block), qint64(block.size()));
        }
    }
    QVERIFY(BookProvider::instance()->addBook(big) > 0);
    BookDto small = big;
    small.title = QStringLiteral("Small");
    small.fullPath = QDir(folder).filePath(QStringLiteral("small.txt"));
    QFile smallFile(small.fullPath);
    QVERIFY(smallFile.open(QIODevice::WriteOnly));
    smallFile.write("after the big one\n");
    smallFile.close();
    QVERIFY(BookProvider::instance()->addBook(small) > 0);
    const QStringList before = PackageFixture::snapshot();

    ExportWorker exporter(QDir(folder).filePath(QStringLiteral("huge.vlz")));
    exporter.setRestInterval(0);
    const Run exported = PackageFixture::runExport(exporter);
    QCOMPARE(exported.events.last(), QStringLiteral("complete"));
    QVERIFY(QFileInfo(exported.fileName).size() > (qint64(4) << 30));
    QFile::remove(big.fullPath);

    PackageFixture::emptyLibrary();
    ImportWorker importer(exported.fileName, m_importFolder);
    importer.setRestInterval(0);
    const Run run = PackageFixture::runImport(importer);
    QCOMPARE(run.count, 2);
    QFile::remove(exported.fileName);
    QStringList after = PackageFixture::snapshot();
    QCOMPARE(after, before);
}

VL_TEST_GUILESS_MAIN(TestImportWorker)
#include "tst_importworker.moc"
