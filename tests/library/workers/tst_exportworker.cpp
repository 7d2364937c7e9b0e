#include "tests/support/testenvironment.h"

#include "library/db/bookprovider.h"
#include "library/workers/exportworker.h"
#include "library/workers/librarypackage.h"
#include "tests/library/workers/packagefixture.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <csignal>
#include <sys/resource.h>

using PackageFixture::Run;

namespace {

const QRegularExpression idPattern(
        QStringLiteral("^\\{[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}\\}$"));

// Lowers the size a file of this process may grow to, for as long as it
// lives; writes beyond it fail as on a full disk.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_old);
        // Beyond the limit the kernel sends SIGXFSZ, which would end the test.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }

private:
    rlimit m_old;
};

} // namespace

class TestExportWorker : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void fileName_data();
    void fileName();
    void emptyLibrary_data();
    void emptyLibrary();
    void package();
    void bookCannotBeRead();
    void packageCannotBeWritten_data();
    void packageCannotBeWritten();
    void cancelDuringCopy();

private:
    QString folder() const { return m_dir.path(); }
    QStringList packagesIn(const QString &folder) const;

    QTemporaryDir m_dir;
};

void TestExportWorker::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QVERIFY2(BookProvider::instance()->createConnection(),
             qPrintable(BookProvider::instance()->lastError()));
}

void TestExportWorker::init()
{
    PackageFixture::emptyLibrary();
    QCOMPARE(BookProvider::instance()->bookCountAll(), 0);
}

QStringList TestExportWorker::packagesIn(const QString &path) const
{
    return QDir(path).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
}

void TestExportWorker::fileName_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bare") << "lib"
                          << "lib.vlz";
    QTest::newRow("other suffix") << "lib.zip"
                                  << "lib.zip.vlz";
    QTest::newRow("suffix") << "lib.vlz"
                            << "lib.vlz";
    QTest::newRow("capitals") << "lib.VLZ"
                              << "lib.VLZ";
    QTest::newRow("mixed") << "lib.vLz"
                           << "lib.vLz";
}

void TestExportWorker::fileName()
{
    QFETCH(QString, chosen);
    QFETCH(QString, expected);
    QCOMPARE(ExportWorker(QDir(folder()).filePath(chosen)).fileName(),
             QDir(folder()).filePath(expected));
}

// Nothing to export ends before any file is made.
void TestExportWorker::emptyLibrary_data()
{
    QTest::addColumn<bool>("withTrash");
    QTest::newRow("no books") << false;
    QTest::newRow("every book in the trash") << true;
}

void TestExportWorker::emptyLibrary()
{
    QFETCH(bool, withTrash);
    if (withTrash) {
        BookDto book;
        book.title = QStringLiteral("Binned");
        book.fullPath = QDir(folder()).filePath(QStringLiteral("binned.txt"));
        book.isDeleted = 1;
        QVERIFY(BookProvider::instance()->addBook(book) > 0);
    }
    const QString out = QDir(folder()).filePath(QStringLiteral("empty/out"));
    ExportWorker worker(out);
    const Run run = PackageFixture::runExport(worker);
    QCOMPARE(run.events, QStringList({ "state 1", "started", "state 0", "failed 1" }));
    QCOMPARE(run.progress, (QList<QPair<int, int>> { { 0, 0 } }));
    QCOMPARE(ExportWorker::errorString(ExportErrors(run.error)),
             QStringLiteral("Library is empty"));
    QVERIFY(packagesIn(QDir(folder()).filePath(QStringLiteral("empty"))).isEmpty());
}

// The layout, the description and the progress of a library with a book of
// every kind: with cover and bookmarks, without suffix, with a cover that
// is gone, with its file gone, and in the trash.
void TestExportWorker::package()
{
    const QString books = QDir(folder()).filePath(QStringLiteral("package"));
    PackageFixture::seedLibrary(books);
    ExportWorker worker(QDir(books).filePath(QStringLiteral("out")));
    const Run run = PackageFixture::runExport(worker);
    QCOMPARE(run.events, QStringList({ "state 1", "started", "state 2", "state 0", "complete" }));
    QCOMPARE(run.fileName, QDir(books).filePath(QStringLiteral("out.vlz")));

    // Four books outside the trash; the one whose file is gone takes its
    // number but reports nothing.
    const QList<BookDto> rows = BookProvider::instance()->allBooksWithFolder();
    QList<QPair<int, int>> progress { { 0, 0 } };
    QStringList messages { QStringLiteral("Prepare export...") };
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).title == QLatin1String("Gone"))
            continue;
        progress.append({ i + 1, rows.size() });
        messages << QStringLiteral("%1 of %2 is being imported. %3")
                            .arg(i + 1)
                            .arg(rows.size())
                            .arg(QFileInfo(rows.at(i).fullPath).fileName());
    }
    QCOMPARE(run.progress, progress);
    QCOMPARE(run.messages, messages);

    const QJsonDocument description = QJsonDocument::fromJson(
            PackageFixture::entryData(run.fileName, LibraryPackage::descriptionEntry));
    QVERIFY(description.isObject());
    QCOMPARE(description.object().keys(), QStringList { "books" });
    const QJsonArray records = description.object().value("books").toArray();
    QCOMPARE(records.size(), 3);

    QStringList expectedEntries;
    QMap<QString, QJsonObject> byTitle;
    for (const QJsonValue &value : records) {
        const QJsonObject record = value.toObject();
        const QString id = record.value("book_id").toString();
        QVERIFY2(idPattern.match(id).hasMatch(), qPrintable(id));
        expectedEntries << record.value("rel_path").toString();
        if (!record.value("cover_path").toString().isEmpty())
            expectedEntries << record.value("cover_path").toString();
        byTitle.insert(record.value("title").toString(), record);
        QCOMPARE(record.value("folders").toArray().size(), 1);
    }
    expectedEntries << QStringLiteral("container.json");
    QCOMPARE(PackageFixture::entryNames(run.fileName), expectedEntries);

    const QJsonObject alpha = byTitle.value("Alpha");
    const QString alphaId = alpha.value("book_id").toString();
    QCOMPARE(alpha.value("file_name").toString(), QStringLiteral("alpha.epub"));
    QCOMPARE(alpha.value("rel_path").toString(), QStringLiteral("%1/%1.epub").arg(alphaId));
    QCOMPARE(alpha.value("cover_path").toString(), QStringLiteral("%1/cover.png").arg(alphaId));
    QCOMPARE(alpha.value("author").toString(), QStringLiteral("Author of Alpha"));
    QCOMPARE(alpha.value("book_format").toInt(-1), 0);
    QCOMPARE(alpha.value("position").toInt(), 120);
    QCOMPARE(alpha.value("progress").toInt(), 37);
    QCOMPARE(alpha.value("is_favorite").toBool(), true);
    QCOMPARE(alpha.value("folders").toArray().first().toString(), QStringLiteral("Novels"));
    // Bookmark numbers are cut toward zero.
    QCOMPARE(QJsonDocument(alpha.value("bookmarks").toArray()).toJson(QJsonDocument::Compact),
             QByteArray("[{\"position\":12,\"progress\":40,\"title\":\"Chapter 2\"},"
                        "{\"position\":300,\"progress\":99,\"title\":\"The end\"}]"));
    QCOMPARE(PackageFixture::entryData(run.fileName, alpha.value("rel_path").toString()), [&] {
        QFile file(QDir(books).filePath(QStringLiteral("alpha.epub")));
        file.open(QIODevice::ReadOnly);
        return file.readAll();
    }());

    const QJsonObject beta = byTitle.value("Beta");
    const QString betaId = beta.value("book_id").toString();
    QCOMPARE(beta.value("rel_path").toString(), betaId + QLatin1Char('/') + betaId + '.');
    QCOMPARE(beta.value("file_name").toString(), QStringLiteral("README"));
    QCOMPARE(beta.value("folders").toArray().first().toString(QStringLiteral("x")), QString());
    QVERIFY(!beta.contains("bookmarks"));
    QCOMPARE(beta.value("is_favorite").toBool(true), false);

    // A cover file that is gone gives no entry and no name.
    QCOMPARE(byTitle.value("Gamma").value("cover_path").toString(QStringLiteral("x")), QString());
    QVERIFY(!byTitle.contains("Gone"));
    QVERIFY(!byTitle.contains("Trashed"));
    QCOMPARE(packagesIn(books).filter(QStringLiteral("out")), QStringList { "out.vlz" });
}

// A book file that opens but cannot be read fails the export: no package.
void TestExportWorker::bookCannotBeRead()
{
    const QString unreadable = QStringLiteral("/proc/self/clear_refs");
    {
        QFile probe(unreadable);
        char byte;
        if (!probe.open(QIODevice::ReadOnly) || probe.read(&byte, 1) >= 0)
            QSKIP("no file here that opens and then fails to read");
    }
    const QString books = QDir(folder()).filePath(QStringLiteral("unreadable"));
    PackageFixture::seedLibrary(books);
    BookDto book;
    book.title = QStringLiteral("Unreadable");
    book.fullPath = unreadable;
    QVERIFY(BookProvider::instance()->addBook(book) > 0);

    ExportWorker worker(QDir(books).filePath(QStringLiteral("out.vlz")));
    const Run run = PackageFixture::runExport(worker);
    QCOMPARE(run.events.last(), QStringLiteral("failed 2"));
    QVERIFY(!run.events.contains(QStringLiteral("complete")));
    QVERIFY(!QFile::exists(worker.fileName()));
    QCOMPARE(packagesIn(books).filter(QStringLiteral("out")), QStringList());
}

// Writing the package fails at its start, in a book, in the description or
// on closing: the export fails, no package is left, and a package that was
// there before keeps its content.
void TestExportWorker::packageCannotBeWritten_data()
{
    QTest::addColumn<QString>("where");
    QTest::newRow("folder is a file") << "folder";
    QTest::newRow("name is a folder") << "name";
    QTest::newRow("disk full in a book") << "book";
    QTest::newRow("disk full at the end") << "end";
}

void TestExportWorker::packageCannotBeWritten()
{
    QFETCH(QString, where);
    const QString books = QDir(folder()).filePath(QStringLiteral("full-") + where);
    PackageFixture::seedLibrary(books);
    // A book that does not compress, so the package has a known size.
    QByteArray noise(256 * 1024, Qt::Uninitialized);
    quint32 state = 7;
    for (char &c : noise) {
        state = state * 1664525u + 1013904223u;
        c = char(state >> 24);
    }
    BookDto big;
    big.title = QStringLiteral("Noise");
    big.fullPath = QDir(books).filePath(QStringLiteral("noise.txt"));
    QFile file(big.fullPath);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(noise), qint64(noise.size()));
    file.close();
    QVERIFY(BookProvider::instance()->addBook(big) > 0);

    QString out = QDir(books).filePath(QStringLiteral("out.vlz"));
    const QByteArray before("an older package");
    rlim_t limit = RLIM_INFINITY;
    if (where == QLatin1String("folder")) {
        QFile blocker(QDir(books).filePath(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        out = blocker.fileName() + QStringLiteral("/out.vlz");
    } else if (where == QLatin1String("name")) {
        QVERIFY(QDir().mkpath(out));
    } else {
        // The whole package once, to learn its size.
        ExportWorker whole(QDir(books).filePath(QStringLiteral("whole.vlz")));
        QCOMPARE(PackageFixture::runExport(whole).events.last(), QStringLiteral("complete"));
        const qint64 size = QFileInfo(whole.fileName()).size();
        QVERIFY(QFile::remove(whole.fileName()));
        limit = rlim_t(where == QLatin1String("book") ? noise.size() / 2 : size - 64);
        QFile old(out);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write(before);
    }

    ExportWorker worker(out);
    Run run;
    {
        const FileSizeLimit fileSize(limit);
        run = PackageFixture::runExport(worker);
    }
    QCOMPARE(run.events.last(), QStringLiteral("failed 2"));
    QCOMPARE(ExportWorker::errorString(ExportErrors(run.error)),
             QStringLiteral("Compress file error"));
    if (where == QLatin1String("name")) {
        QVERIFY(QFileInfo(out).isDir());
    } else if (limit != RLIM_INFINITY) {
        QFile old(out);
        QVERIFY(old.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll(), before);
    } else {
        QVERIFY(!QFileInfo::exists(out));
    }
    // No temporary file stays beside it either.
    QCOMPARE(packagesIn(QFileInfo(out).absolutePath()).filter(QStringLiteral("out.vlz.")),
             QStringList());
}

// A cancel that arrives while a book is being written ends the export as
// cancelled, with no package left.
void TestExportWorker::cancelDuringCopy()
{
    const QString books = QDir(folder()).filePath(QStringLiteral("cancel"));
    PackageFixture::seedLibrary(books);
    ExportWorker worker(QDir(books).filePath(QStringLiteral("out.vlz")));
    const Run run = PackageFixture::runExport(worker, [](ExportWorker &w) {
        // Direct: runs on the worker's thread, just before the second
        // book's copy begins.
        QObject::connect(
                &w, &ExportWorker::progressChanged, &w,
                [&w](int value) {
                    if (value == 2)
                        w.cancel();
                },
                Qt::DirectConnection);
    });
    QCOMPARE(run.events.last(), QStringLiteral("failed 3"));
    QCOMPARE(ExportWorker::errorString(ExportErrors(run.error)),
             QStringLiteral("Operation has been canceled"));
    QCOMPARE(run.progress.last(), qMakePair(2, 4));
    QCOMPARE(packagesIn(books).filter(QStringLiteral("out")), QStringList());
}

VL_TEST_GUILESS_MAIN(TestExportWorker)
#include "tst_exportworker.moc"
