// Time from opening a generated 5 MB EPUB in the text viewer to its first
// shown page, and to the end of its pagination by the helper process, beside
// the floor: unpacking the book and loading its first chapter into a bare
// web page. Every round starts from an empty storage folder.
//
// usage: bench_textviewer [rounds]

#include "archive/zipreader.h"
#include "core/paths.h"
#include "library/db/bookdto.h"
#include "reader/textviewer.h"
#include "tests/archive/zipfixture.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebFrame>
#include <QWebPage>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int Chapters = 60;

QByteArray noiseJpeg(QRandomGenerator &random)
{
    QImage image(380, 280, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = random.generate();
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

// Chapters of varied words, each with one picture: about 5 MB on disk, as
// an illustrated novel is.
bool writeBook(const QString &path)
{
    static const char *const words[]
            = { "river",    "lantern", "quietly",   "harbour", "winter",  "promise",
                "mountain", "letter",  "shadow",    "garden",  "morning", "across",
                "silver",   "window",  "forgotten", "voice",   "bridge",  "under",
                "remember", "station", "candle",    "distant", "orchard", "brave" };
    QRandomGenerator random(7);
    ZipFixture::Epub epub;
    epub.chapters.clear();
    QString nav;
    for (int i = 1; i <= Chapters; ++i) {
        QString body = QStringLiteral("<h1 id='c%1'>Chapter %1</h1><div class='fig'>"
                                      "<img src='images/p%1.jpg' alt=''/></div>")
                               .arg(i);
        for (int p = 0; p < 60; ++p) {
            body += QStringLiteral("<p>");
            for (int w = 0; w < 90; ++w) {
                body += QLatin1String(words[random.bounded(int(std::size(words)))]);
                body += QLatin1Char(w % 12 == 11 ? ',' : ' ');
            }
            body += QStringLiteral("end.</p>");
        }
        epub.chapters.append(body);
        nav += QStringLiteral("<navPoint id='n%1'><navLabel><text>Chapter %1</text></navLabel>"
                              "<content src='ch%1.xhtml'/></navPoint>")
                       .arg(i);
        epub.manifest += QStringLiteral("<item id='p%1' href='images/p%1.jpg' "
                                        "media-type='image/jpeg'/>")
                                 .arg(i);
        epub.extra.append(
                { QStringLiteral("OEBPS/images/p%1.jpg").arg(i), noiseJpeg(random), true, 0 });
    }
    epub.ncx = nav;
    return epub.write(path);
}

template<typename Sender, typename Signal> bool waitFor(Sender *sender, Signal signal, int msecs)
{
    QEventLoop loop;
    bool emitted = false;
    const auto connection = QObject::connect(sender, signal, &loop, [&] {
        emitted = true;
        loop.quit();
    });
    QTimer::singleShot(msecs, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(connection);
    return emitted;
}

struct Round
{
    qint64 firstPage = -1;
    qint64 paginated = -1;
    int pages = 0;
};

Round openInViewer(const QString &book)
{
    Round round;
    QDir(Paths::bookPath(book)).removeRecursively();
    BookDto record;
    record.fullPath = book;
    auto viewer = std::make_unique<TextViewer>(record);
    viewer->setMessagePresenter([](const QString &, const QString &text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    });
    viewer->resize(900, 650);
    viewer->show();
    QApplication::processEvents();

    QElapsedTimer timer;
    bool loaded = false;
    bool paginated = false;
    QObject::connect(viewer.get(), &TextViewer::loadFinished, [&] {
        if (!loaded)
            round.firstPage = timer.elapsed();
        loaded = true;
    });
    QObject::connect(viewer.get(), &TextViewer::paginationFinished, [&] {
        if (!paginated)
            round.paginated = timer.elapsed();
        paginated = true;
    });
    timer.start();
    if (!viewer->loadBookData())
        return round;
    if (!loaded)
        waitFor(viewer.get(), &TextViewer::loadFinished, 60000);
    if (!paginated)
        waitFor(viewer.get(), &TextViewer::paginationFinished, 300000);
    round.pages = viewer->bookPageCount();
    return round;
}

qint64 floorRound(const QString &book, const QString &scratch)
{
    const QString folder = scratch + QStringLiteral("/unpacked");
    QDir(folder).removeRecursively();
    QElapsedTimer timer;
    timer.start();
    ZipReader reader;
    if (!reader.extract(book, folder))
        return -1;
    QWebPage page;
    page.setViewportSize(QSize(900, 650));
    QWebFrame *frame = page.mainFrame();
    frame->load(QUrl::fromLocalFile(folder + QStringLiteral("/OEBPS/ch1.xhtml")));
    if (!waitFor(frame, &QWebFrame::loadFinished, 60000))
        return -1;
    return timer.elapsed();
}

qint64 median(std::vector<qint64> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // The viewer writes into the user's data folders: give it its own.
    QTemporaryDir home;
    qputenv("HOME", home.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/config")).toLocal8Bit());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vellumin"));
    const int rounds = argc > 1 ? qMax(1, QByteArray(argv[1]).toInt()) : 3;

    const QString book = home.filePath(QStringLiteral("illustrated.epub"));
    if (!writeBook(book)) {
        std::fprintf(stderr, "cannot write the book\n");
        return 1;
    }
    std::printf("book: %d chapters, %.1f MB\n", Chapters,
                double(QFileInfo(book).size()) / (1024.0 * 1024.0));

    std::vector<qint64> first;
    std::vector<qint64> paginated;
    std::vector<qint64> floors;
    int pages = 0;
    for (int i = 0; i < rounds; ++i) {
        const Round round = openInViewer(book);
        if (round.firstPage < 0 || round.paginated < 0) {
            std::fprintf(stderr, "round %d did not finish\n", i + 1);
            return 1;
        }
        first.push_back(round.firstPage);
        paginated.push_back(round.paginated);
        pages = round.pages;
        const qint64 floor = floorRound(book, home.path());
        if (floor < 0) {
            std::fprintf(stderr, "the floor round failed\n");
            return 1;
        }
        floors.push_back(floor);
    }
    const qint64 floor = median(floors);
    const qint64 shown = median(first);
    const qint64 done = median(paginated);
    std::printf("floor (unpack + one chapter in a web page): %lld ms\n", (long long)floor);
    std::printf("openBook to first page:      %6lld ms  ratio %.2f\n", (long long)shown,
                double(shown) / double(qMax<qint64>(1, floor)));
    std::printf("openBook to pagination done: %6lld ms  ratio %.2f  (%d pages)\n", (long long)done,
                double(done) / double(qMax<qint64>(1, floor)), pages);
    return 0;
}
