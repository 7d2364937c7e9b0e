// Moving a generated library of 1,000 books (about 100 MB: half text that
// compresses, half packed data that does not, like EPUB files; each with a
// small cover; categories, favourites and bookmarks) out into a package and
// back into an empty library.
//
// Ours: the export worker and the import worker, each in a child process of
// this program so that its peak memory is its own, once with the 10 ms rest
// the workers take between two books and once without it.
// The floor: "zip -r -6" of the same book and cover files and "unzip -q" of
// that archive, in the same run. The figures are the best of two runs.
//
// Goals: without the rests, export within 1.2x of zip and import within
// 1.5x of unzip; peak memory of either worker under 100 MB.

#include "bench/support/benchsupport.h"
#include "core/paths.h"
#include "library/db/bookprovider.h"
#include "library/workers/exportworker.h"
#include "library/workers/importworker.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <sys/resource.h>

namespace {

constexpr int BookCount = 1000;
constexpr int BookBytes = 100 * 1000;

void print(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// ---- child: one worker run ----

template<typename Worker> int runChild(Worker &worker, unsigned long restMs)
{
    worker.setRestInterval(restMs);
    QEventLoop loop;
    QString result = QStringLiteral("failed");
    QObject::connect(&worker, &Worker::complete, &loop,
                     [&result] { result = QStringLiteral("complete"); });
    QObject::connect(&worker, &QThread::finished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    worker.start();
    loop.exec();
    worker.wait();
    const double ms = timer.nsecsElapsed() / 1e6;
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%s %.0f %ld\n", qPrintable(result), ms, usage.ru_maxrss);
    return result == QLatin1String("complete") ? 0 : 1;
}

int child(const QStringList &arguments)
{
    BookProvider *provider = BookProvider::instance();
    if (!provider->createConnection())
        return 1;
    const unsigned long restMs = arguments.at(3).toULong();
    if (arguments.at(1) == QLatin1String("export")) {
        ExportWorker worker(arguments.at(2));
        return runChild(worker, restMs);
    }
    ImportWorker worker(arguments.at(2), arguments.at(4));
    const int result = runChild(worker, restMs);
    return result == 0 && provider->bookCount() == BookCount ? 0 : 1;
}

// ---- parent ----

struct Figure
{
    double ms = -1;
    long peakKb = 0;
};

// home: the HOME of the child, so an import fills an empty library of its
// own; "" keeps this process's library.
Figure spawnSelf(const QStringList &arguments, const QString &home = QString())
{
    QProcess process;
    if (!home.isEmpty()) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/config"));
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/data"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home + QStringLiteral("/cache"));
        process.setProcessEnvironment(environment);
    }
    process.start(QCoreApplication::applicationFilePath(), arguments);
    process.waitForFinished(-1);
    const QList<QByteArray> fields = process.readAllStandardOutput().trimmed().split(' ');
    if (process.exitCode() != 0 || fields.size() != 3 || fields.first() != "complete") {
        print(QStringLiteral("run %1 failed: %2")
                      .arg(arguments.join(QLatin1Char(' ')),
                           QString::fromLocal8Bit(process.readAllStandardError().right(400))));
        return Figure();
    }
    return Figure { fields.at(1).toDouble(), fields.at(2).toLong() };
}

double runTool(const QString &program, const QStringList &arguments, const QString &folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        print(QStringLiteral("%1 failed").arg(program));
        return -1;
    }
    return timer.nsecsElapsed() / 1e6;
}

void generateLibrary(const QString &folder)
{
    QDir().mkpath(folder + QStringLiteral("/books"));
    QDir().mkpath(folder + QStringLiteral("/covers"));
    QRandomGenerator random(20);
    const QList<QByteArray> words { "the",     "sea",     "was",    "calm",  "that",
                                    "morning", "and",     "ship",   "lay",   "still",
                                    "beside",  "quay",    "while",  "crew",  "carried",
                                    "last",    "barrels", "aboard", "under", "grey" };
    BookProvider *provider = BookProvider::instance();
    QList<int> categories;
    for (int i = 0; i < 10; ++i)
        categories << provider->addCategory(QStringLiteral("Shelf %1").arg(i), 0);

    for (int i = 0; i < BookCount; ++i) {
        const bool text = i % 2 == 0;
        QByteArray bytes;
        bytes.reserve(BookBytes + 16);
        if (text) {
            while (bytes.size() < BookBytes)
                bytes += words.at(int(random.bounded(words.size()))) + ' ';
        } else {
            bytes.resize(BookBytes);
            random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), BookBytes / 4);
        }
        BookDto book;
        book.title = QStringLiteral("Book %1").arg(i);
        book.author = QStringLiteral("Author %1").arg(i % 37);
        book.format = text ? 8 : 0;
        book.fullPath = QStringLiteral("%1/books/book%2.%3")
                                .arg(folder)
                                .arg(i, 4, 10, QLatin1Char('0'))
                                .arg(text ? QStringLiteral("txt") : QStringLiteral("epub"));
        QFile file(book.fullPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(book.fullPath));
        file.close();

        QImage cover(40, 60, QImage::Format_RGB32);
        cover.fill(QColor::fromRgb(random.generate()));
        for (int y = 0; y < 60; y += 3)
            for (int x = 0; x < 40; ++x)
                cover.setPixel(x, y, random.generate());
        book.cover = QStringLiteral("%1/covers/cover%2.png").arg(folder).arg(i);
        cover.save(book.cover);

        book.position = i * 7;
        book.maxPosition = i % 101;
        book.isFavorite = i % 9 == 0 ? 1 : 0;
        const int id = provider->addBook(book);
        provider->addBookToCategory(id, categories.at(i % categories.size()));
        if (i % 3 == 0) {
            for (int b = 0; b < 3; ++b)
                provider->createBookmark(id, b * 100, b * 30, QStringLiteral("Mark %1").arg(b));
        }
    }
}

void printRow(const QString &name, const Figure &plain, const Figure &rested,
              const QString &floorName, double floorMs, double goal)
{
    print(QStringLiteral("%1: %2 ms without rests, %3 ms with the 10 ms rests; %4: %5 ms; "
                         "ratio %6x (goal %7x: %8), with rests %9x")
                  .arg(name)
                  .arg(plain.ms, 0, 'f', 0)
                  .arg(rested.ms, 0, 'f', 0)
                  .arg(floorName)
                  .arg(floorMs, 0, 'f', 0)
                  .arg(plain.ms / floorMs, 0, 'f', 2)
                  .arg(goal, 0, 'f', 1)
                  .arg(plain.ms <= goal * floorMs ? QStringLiteral("met")
                                                  : QStringLiteral("missed"))
                  .arg(rested.ms / floorMs, 0, 'f', 2));
}

Figure best(const Figure &a, const Figure &b)
{
    if (a.ms < 0)
        return b;
    if (b.ms < 0)
        return a;
    return Figure { qMin(a.ms, b.ms), qMax(a.peakKb, b.peakKb) };
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1) {
        QCoreApplication app(argc, argv);
        QCoreApplication::setApplicationName(QStringLiteral("vellumin"));
        return child(app.arguments());
    }

    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    // For a closer look (a profiler on one child) the generated library and
    // package can stay.
    if (!qEnvironmentVariableIsEmpty("VL_BENCH_KEEP")) {
        home.setAutoRemove(false);
        print(QStringLiteral("kept in %1").arg(home.path()));
    }
    // The children inherit the home, and with it the library.
    bench::useTemporaryHome(home.path());
    qputenv("QT_LOGGING_RULES", "*.debug=false");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vellumin"));
    BookProvider *provider = BookProvider::instance();
    if (!provider->createConnection()) {
        print(QStringLiteral("cannot open the library: %1").arg(provider->lastError()));
        return 1;
    }

    const QString source = home.path() + QStringLiteral("/source");
    generateLibrary(source);
    qint64 sourceBytes = 0;
    for (const QString &sub : { QStringLiteral("books"), QStringLiteral("covers") }) {
        for (const QFileInfo &info :
             QDir(source + QLatin1Char('/') + sub).entryInfoList(QDir::Files))
            sourceBytes += info.size();
    }

    // Each round runs the floor and then ours, so that both meet the same
    // load of a shared machine; the first round also warms the file cache.
    const QString zipFile = home.path() + QStringLiteral("/floor.zip");
    const QString package = home.path() + QStringLiteral("/library.vlz");
    double zipMs = -1;
    double unzipMs = -1;
    Figure exportPlain;
    Figure importPlain;
    const auto lower = [](double a, double b) { return a < 0 ? b : qMin(a, b); };
    for (int round = 0; round < 3; ++round) {
        QFile::remove(zipFile);
        zipMs = lower(zipMs,
                      runTool(QStringLiteral("zip"),
                              { "-r", "-6", "-q", zipFile, "books", "covers" }, source));
        exportPlain = best(exportPlain, spawnSelf({ "export", package, "0" }));

        const QString out = home.path() + QStringLiteral("/unzipped");
        unzipMs = lower(
                unzipMs,
                runTool(QStringLiteral("unzip"), { "-q", zipFile, "-d", out }, home.path()));
        QDir(out).removeRecursively();
        const QString importHome = home.path() + QStringLiteral("/import-home");
        importPlain
                = best(importPlain,
                       spawnSelf({ "import", package, "0", importHome + "/books" }, importHome));
        QDir(importHome).removeRecursively();
    }
    // The rests add the same 10 ms per book whatever the load: once is enough.
    const Figure exportRested = spawnSelf({ "export", package, "10" });
    const qint64 packageBytes = QFileInfo(package).size();
    const QString importHome = home.path() + QStringLiteral("/import-home");
    const Figure importRested
            = spawnSelf({ "import", package, "10", importHome + "/books" }, importHome);

    const auto mb = [](qint64 bytes) { return QString::number(bytes / 1e6, 'f', 1); };
    print(QStringLiteral("package benchmark: %1 books, %2 MB of books and covers; package %3 MB, "
                         "zip -6 %4 MB")
                  .arg(BookCount)
                  .arg(mb(sourceBytes), mb(packageBytes), mb(QFileInfo(zipFile).size())));
    printRow(QStringLiteral("export"), exportPlain, exportRested, QStringLiteral("zip -r -6"),
             zipMs, 1.2);
    printRow(QStringLiteral("import"), importPlain, importRested, QStringLiteral("unzip -q"),
             unzipMs, 1.5);
    const long peakKb = qMax(qMax(exportPlain.peakKb, exportRested.peakKb),
                             qMax(importPlain.peakKb, importRested.peakKb));
    print(QStringLiteral("peak memory: export %1 MB, import %2 MB (goal under 100 MB: %3)")
                  .arg(qMax(exportPlain.peakKb, exportRested.peakKb) / 1024.0, 0, 'f', 1)
                  .arg(qMax(importPlain.peakKb, importRested.peakKb) / 1024.0, 0, 'f', 1)
                  .arg(peakKb < 100 * 1024 ? QStringLiteral("met") : QStringLiteral("missed")));
    return exportPlain.ms > 0 && importPlain.ms > 0 ? 0 : 1;
}
