// Adding 1,000 generated small books (half EPUB with a cover picture, half
// plain text) into an empty library, in a temporary home.
//
// 1. The split: each book read, its cover written and its row stored on this
//    thread, the three steps timed apart (the EPUB reader unpacks the cover
//    while it reads, so that part counts as reading). The worker also notes
//    each book in "settings.ini" for crash reports before reading it; that
//    write is timed as a fourth step, since its disk sync dominates on slow
//    disks.
// 2. The total: the real add-books worker on its own thread, from the start
//    to done(), over the same folder in a library emptied again. The worker
//    rests 10 ms after each book by design; the time without those rests is
//    printed too.
// 3. The floor: the least any adding can cost here, copying the same files
//    and inserting the same rows with one prepared statement per book into a
//    database of its own.
//
// The named peer (calibredb add) is not installed and is not to be, so the
// figures stand beside the floor instead. Goal: under 30 s for the 1,000.

#include "bench/support/benchsupport.h"
#include "core/settingsfile.h"
#include "library/db/bookformat.h"
#include "library/db/bookprovider.h"
#include "library/workers/addbooksworker.h"
#include "library/workers/bookmetadata.h"
#include "tests/archive/zipfixture.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QVariant>

#include <cstdio>

namespace {

constexpr int BookCount = 1000;
constexpr double PauseMs = 10;

void print(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

QByteArray coverPng()
{
    QImage image(120, 180, QImage::Format_RGB32);
    image.fill(QColor(40, 90, 160));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// The generated books, in the order they were written.
QStringList generateBooks(const QString &folder)
{
    QDir().mkpath(folder);
    const QByteArray cover = coverPng();
    const QString paragraph = QStringLiteral(
            "<p>The sea was calm that morning, and the ship lay still beside the quay while "
            "the crew carried the last barrels aboard.</p>");
    QStringList paths;
    for (int i = 0; i < BookCount / 2; ++i) {
        ZipFixture::Epub epub;
        epub.title = QStringLiteral("Generated Book %1").arg(i);
        epub.author = QStringLiteral("Author %1").arg(i % 37);
        epub.metadata = QStringLiteral("<dc:language>en</dc:language>"
                                       "<dc:identifier>gen-%1</dc:identifier>"
                                       "<meta name=\"cover\" content=\"cover-img\"/>")
                                .arg(i);
        epub.manifest = QStringLiteral(
                "<item id=\"cover-img\" href=\"cover.png\" media-type=\"image/png\"/>");
        epub.chapters = QStringList(paragraph.repeated(8))
                << paragraph.repeated(8) << paragraph.repeated(8);
        epub.extra = { { QStringLiteral("OEBPS/cover.png"), cover } };
        const QString path
                = QStringLiteral("%1/book%2.epub").arg(folder).arg(i, 4, 10, QLatin1Char('0'));
        if (!epub.write(path))
            qFatal("cannot write %s", qPrintable(path));
        paths << path;
    }
    const QByteArray text
            = QByteArrayLiteral(
                      "The sea was calm that morning, and the ship lay still beside the quay.\n\n")
                      .repeated(40);
    for (int i = 0; i < BookCount / 2; ++i) {
        const QString path
                = QStringLiteral("%1/text%2.txt").arg(folder).arg(i, 4, 10, QLatin1Char('0'));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
            qFatal("cannot write %s", qPrintable(path));
        paths << path;
    }
    return paths;
}

void emptyLibrary()
{
    BookProvider *provider = BookProvider::instance();
    provider->clearLibrary();
    provider->clearTrash();
}

// Copies each file and inserts one row per book with one prepared statement.
double floorMs(const QStringList &paths, const QString &folder)
{
    QDir().mkpath(folder + QStringLiteral("/copies"));
    QElapsedTimer timer;
    timer.start();
    {
        QSqlDatabase db
                = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("floor"));
        db.setDatabaseName(folder + QStringLiteral("/floor.sqlite3"));
        db.open();
        // The same journal the library runs with.
        QSqlQuery(db).exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        QSqlQuery(db).exec(QStringLiteral("PRAGMA synchronous=NORMAL"));
        QSqlQuery(db).exec(QStringLiteral(
                "create table books (id INTEGER primary key,cover TEXT,full_path TEXT,"
                "author TEXT,title TEXT,format INTEGER,time_added INTEGER)"));
        QSqlQuery insert(db);
        insert.prepare(QStringLiteral("INSERT INTO books (cover, full_path, author, title, "
                                      "format, time_added) VALUES (?, ?, ?, ?, ?, ?)"));
        for (const QString &path : paths) {
            const QFileInfo info(path);
            QFile::copy(path, folder + QStringLiteral("/copies/") + info.fileName());
            insert.addBindValue(QString());
            insert.addBindValue(path);
            insert.addBindValue(QString());
            insert.addBindValue(info.baseName());
            insert.addBindValue(BookFormat::fromString(info.suffix()));
            insert.addBindValue(uint(QDateTime::currentSecsSinceEpoch()));
            insert.exec();
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("floor"));
    return timer.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    bench::useTemporaryHome(home.path());
    // The log lines of 1,000 books would drown the figures.
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vellumin"));

    const QString source = home.path() + QStringLiteral("/source");
    const QStringList paths = generateBooks(source);
    BookProvider *provider = BookProvider::instance();
    if (!provider->createConnection()) {
        print(QStringLiteral("cannot open the library: %1").arg(provider->lastError()));
        return 1;
    }

    // 1. The split, on this thread.
    double settingsMs = 0, parseMs = 0, coverMs = 0, databaseMs = 0;
    int stored = 0;
    QElapsedTimer step;
    for (const QString &path : paths) {
        BookDto book;
        book.fullPath = path;
        book.format = BookFormat::fromString(QFileInfo(path).suffix());
        step.start();
        SettingsFile::create()->setValue(QStringLiteral("last_open_book"), path);
        settingsMs += step.nsecsElapsed() / 1e6;
        step.start();
        const BookMetadata::Result result = BookMetadata::read(book);
        parseMs += step.nsecsElapsed() / 1e6;
        step.start();
        if (!result.cover.isNull())
            book.cover = BookMetadata::writeCover(result.cover, path);
        coverMs += step.nsecsElapsed() / 1e6;
        step.start();
        if (result.status == BookMetadata::Status::Read && provider->addBook(book) > 0)
            ++stored;
        databaseMs += step.nsecsElapsed() / 1e6;
    }
    emptyLibrary();

    // 2. The real worker over the folder.
    AddBooksWorker worker({ QFileInfo(source) });
    QEventLoop loop;
    int added = -1;
    QObject::connect(&worker, &AddBooksWorker::complete, &loop,
                     [&added](int count) { added = count; });
    QObject::connect(&worker, &AddBooksWorker::done, &loop, &QEventLoop::quit);
    QElapsedTimer total;
    total.start();
    worker.start();
    loop.exec();
    worker.wait();
    const double totalMs = total.nsecsElapsed() / 1e6;
    // One rest per book and one after the scan.
    const double restsMs = (BookCount + 1) * PauseMs;

    // 3. The floor.
    const double floor = floorMs(paths, home.path() + QStringLiteral("/floor"));

    print(QStringLiteral("add-books benchmark: %1 books (%2 EPUB, %2 TXT) into an empty library")
                  .arg(BookCount)
                  .arg(BookCount / 2));
    print(QStringLiteral("peer: calibredb add is not installed here; figures beside a floor "
                         "measured in the same run"));
    const double splitMs = settingsMs + parseMs + coverMs + databaseMs;
    print(QStringLiteral("split (this thread, %1 stored): parse %2 ms, cover %3 ms, database "
                         "%4 ms, settings note %5 ms, sum %6 ms")
                  .arg(stored)
                  .arg(parseMs, 0, 'f', 0)
                  .arg(coverMs, 0, 'f', 0)
                  .arg(databaseMs, 0, 'f', 0)
                  .arg(settingsMs, 0, 'f', 0)
                  .arg(splitMs, 0, 'f', 0));
    print(QStringLiteral("worker total: %1 ms for %2 added (%3 ms per book); without its "
                         "%4 ms of rests: %5 ms")
                  .arg(totalMs, 0, 'f', 0)
                  .arg(added)
                  .arg(totalMs / BookCount, 0, 'f', 2)
                  .arg(restsMs, 0, 'f', 0)
                  .arg(totalMs - restsMs, 0, 'f', 0));
    print(QStringLiteral("floor (copy each file, one prepared insert per book): %1 ms")
                  .arg(floor, 0, 'f', 0));
    print(QStringLiteral("ratio worker/floor: %1x; without rests: %2x; split sum/floor: %3x")
                  .arg(totalMs / floor, 0, 'f', 1)
                  .arg((totalMs - restsMs) / floor, 0, 'f', 1)
                  .arg(splitMs / floor, 0, 'f', 1));
    print(QStringLiteral("goal under 30 s for %1 books: %2")
                  .arg(BookCount)
                  .arg(totalMs < 30000 && added == BookCount ? QStringLiteral("met")
                                                             : QStringLiteral("missed")));
    return added == BookCount && stored == BookCount ? 0 : 1;
}
