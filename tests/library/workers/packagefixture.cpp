#include "tests/library/workers/packagefixture.h"

#include "library/db/bookprovider.h"
#include "library/workers/exportworker.h"
#include "library/workers/importworker.h"
#include "tests/archive/zipfixture.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QSignalSpy>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>

namespace PackageFixture {

namespace {

    template<typename Worker, typename Error>
    void connectCommon(Worker &worker, QObject &context, Run &run)
    {
        QObject::connect(&worker, &Worker::stateChanged, &context, [&run](WorkerStates state) {
            run.events << QStringLiteral("state %1").arg(int(state));
        });
        QObject::connect(&worker, &Worker::started, &context,
                         [&run] { run.events << QStringLiteral("started"); });
        QObject::connect(&worker, &Worker::progressChanged, &context, [&run](int value, int total) {
            run.progress.append({ value, total });
        });
        QObject::connect(&worker, &Worker::progressMessage, &context,
                         [&run](const QString &message) { run.messages << message; });
        QObject::connect(&worker, &Worker::failed, &context, [&run](Error error) {
            run.error = int(error);
            run.events << QStringLiteral("failed %1").arg(int(error));
        });
    }

    void wait(QThread &worker)
    {
        QSignalSpy finished(&worker, &QThread::finished);
        worker.start();
        if (!worker.wait(120000))
            qWarning("the worker did not finish");
        // Deliver what is still queued.
        if (finished.isEmpty())
            finished.wait(1000);
        QCoreApplication::processEvents();
    }

    QByteArray png(const QColor &color)
    {
        QImage image(40, 60, QImage::Format_RGB32);
        image.fill(color);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        return bytes;
    }

    bool writeFile(const QString &path, const QByteArray &bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }

} // namespace

Run runExport(ExportWorker &worker, const std::function<void(ExportWorker &)> &prepare)
{
    Run run;
    QObject context;
    connectCommon<ExportWorker, ExportErrors>(worker, context, run);
    QObject::connect(&worker, &ExportWorker::complete, &context, [&run](const QString &fileName) {
        run.fileName = fileName;
        run.events << QStringLiteral("complete");
    });
    if (prepare)
        prepare(worker);
    wait(worker);
    return run;
}

Run runImport(ImportWorker &worker, const std::function<void(ImportWorker &)> &prepare)
{
    Run run;
    QObject context;
    connectCommon<ImportWorker, ImportErrors>(worker, context, run);
    QObject::connect(&worker, &ImportWorker::complete, &context, [&run](int count) {
        run.count = count;
        run.events << QStringLiteral("complete");
    });
    QObject::connect(&worker, &ImportWorker::imported, &context,
                     [&run] { run.events << QStringLiteral("imported"); });
    QObject::connect(&worker, &ImportWorker::done, &context,
                     [&run] { run.events << QStringLiteral("done"); });
    if (prepare)
        prepare(worker);
    wait(worker);
    return run;
}

void emptyLibrary()
{
    BookProvider *provider = BookProvider::instance();
    for (const BookDto &book : provider->allBooks() + provider->deletedBooks())
        provider->deleteFromLibrary(book.id);
    for (const CategoryDto &category : provider->allCategories())
        provider->removeCategory(category.id);
}

void seedLibrary(const QString &folder)
{
    QDir().mkpath(folder);
    BookProvider *provider = BookProvider::instance();
    const int novels = provider->addCategory(QStringLiteral("Novels"), 0);
    const int poems = provider->addCategory(QStringLiteral("Poems"), 0);

    struct Seed
    {
        const char *title;
        const char *file;
        int format;
        bool withFile;
        bool withCover;
        int category;
        int favorite;
        int position;
        int progress;
        int deleted;
    };
    const Seed seeds[] = {
        { "Alpha", "alpha.epub", 0, true, true, novels, 1, 120, 37, 0 },
        { "Beta", "README", 8, true, false, 0, 0, 0, 0, 0 },
        { "Gamma", "gamma.epub", 0, true, false, poems, 0, 5, 2, 0 },
        { "Gone", "gone.epub", 0, false, false, novels, 0, 0, 0, 0 },
        { "Trashed", "trashed.epub", 0, true, false, 0, 0, 0, 0, 1 },
    };
    for (const Seed &seed : seeds) {
        const QString title = QString::fromUtf8(seed.title);
        BookDto book;
        book.title = title;
        book.author = QStringLiteral("Author of ") + title;
        book.format = seed.format;
        book.fullPath = QDir(folder).filePath(QString::fromUtf8(seed.file));
        book.position = seed.position;
        book.maxPosition = seed.progress;
        book.isFavorite = seed.favorite;
        book.isDeleted = seed.deleted;
        book.timeAdded = 1600000000;
        book.timeLastView = 1600003600;
        if (seed.withFile) {
            if (seed.format == 0) {
                ZipFixture::Epub epub;
                epub.title = title;
                epub.write(book.fullPath);
            } else {
                writeFile(book.fullPath, "Plain words for " + title.toUtf8() + "\n");
            }
        }
        if (seed.withCover) {
            book.cover = QDir(folder).filePath(QStringLiteral("covers/%1.png").arg(title));
            writeFile(book.cover, png(QColor(160, 40, 40)));
        } else if (title == QLatin1String("Gamma")) {
            book.cover = QDir(folder).filePath(QStringLiteral("covers/missing.png"));
        }
        const int id = provider->addBook(book);
        if (seed.category > 0)
            provider->addBookToCategory(id, seed.category);
        if (title == QLatin1String("Alpha")) {
            BookmarkDto mark;
            mark.bookId = id;
            mark.title = QStringLiteral("Chapter 2");
            mark.position = 12.9f;
            mark.progress = 40.7f;
            provider->addBookmark(mark);
            mark.title = QStringLiteral("The end");
            mark.position = 300.2f;
            mark.progress = 99.9f;
            provider->addBookmark(mark);
        }
    }
}

QStringList snapshot()
{
    BookProvider *provider = BookProvider::instance();
    QStringList lines;
    for (const BookDto &book : provider->allBooksWithFolder()) {
        QStringList marks;
        for (const BookmarkDto &mark : provider->bookmarksOfBook(book.id)) {
            marks << QStringLiteral("%1:%2:%3")
                             .arg(mark.title)
                             .arg(int(mark.position))
                             .arg(int(mark.progress));
        }
        lines << QStringList { book.title,
                               book.author,
                               QString::number(book.format),
                               QString::number(book.position),
                               QString::number(book.maxPosition),
                               QString::number(book.isFavorite),
                               book.folderTitle,
                               marks.join(QLatin1Char(',')),
                               fileDigest(book.fullPath),
                               book.cover.isEmpty() ? QString() : fileDigest(book.cover),
                               QFileInfo(book.fullPath).fileName() }
                         .join(QLatin1Char('|'));
    }
    lines.sort();
    return lines;
}

QStringList entryNames(const QString &package)
{
    QuaZip zip(package);
    QStringList names;
    if (!zip.open(QuaZip::mdUnzip))
        return names;
    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile())
        names << zip.getCurrentFileName();
    return names;
}

QByteArray entryData(const QString &package, const QString &entryName)
{
    QuaZip zip(package);
    if (!zip.open(QuaZip::mdUnzip) || !zip.setCurrentFile(entryName))
        return QByteArray();
    QuaZipFile file(&zip);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

QString fileDigest(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Sha1);
    if (!hash.addData(&file))
        return QString();
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace PackageFixture
