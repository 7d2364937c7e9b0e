// Reading a PDF book in the PDF viewer, beside poppler's own tools on the
// same renderer, in one run:
// - opening a 1,000-page book to its first page, fitted into 1000 x 700,
//   beside pdftoppm drawing that page at the same size (whole process);
// - a page turn at fit in one and in two columns, from the turn until the
//   picture is on screen, to pages the viewer has not drawn ahead and to
//   the next pages after reading (drawn ahead meanwhile), beside pdftoppm
//   drawing pages of the book at the same size in one process, its
//   start-up subtracted;
// - a zoom step (1.0 to 1.1), beside pdftoppm drawing the pages at that
//   size in one process, its start-up subtracted;
// - a search for a common word over 500 pages, beside pdftotext reading
//   the same 500 pages (whole process).
// Goals: first page 1.5x, a turn 1.3x, search 2x.

#include "bench/support/benchsupport.h"
#include "pdf/pdfdocument.h"
#include "pdf/pdfviewer.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QGraphicsPixmapItem>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

const QSize viewerSize(1000, 700);
constexpr int Rounds = 7;
constexpr int TurnsPerRound = 10;

// Pages of running text: about 350 words each, the common words of
// English among them.
bool writeBook(const QString &path, int pages)
{
    static const QStringList words
            = QStringLiteral(
                      "the quick reader turns a page of the book and finds the river where the old "
                      "mill "
                      "stood by the bridge while evening light fell over the water and the town "
                      "was quiet "
                      "again after the market day had ended with songs and the smell of bread")
                      .split(QLatin1Char(' '));
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    writer.setResolution(72);
    writer.setTitle(QStringLiteral("Bench book"));
    QPainter painter;
    if (!painter.begin(&writer))
        return false;
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(11);
    painter.setFont(font);
    int next = 0;
    for (int page = 0; page < pages; ++page) {
        if (page)
            writer.newPage();
        painter.drawText(QPointF(60, 50), QStringLiteral("Page %1").arg(page + 1));
        for (int line = 0; line < 50; ++line) {
            QString text;
            for (int word = 0; word < 12; ++word)
                text += words.at(next++ % words.size()) + QLatin1Char(' ');
            painter.drawText(QPointF(60, 80 + line * 14), text);
        }
    }
    return painter.end();
}

bool waitUntil(const std::function<bool()> &condition)
{
    return bench::waitUntil(condition, 60000, 0);
}

// Until the viewer shows what condition asks for, waiting as the program
// does: asleep in the event loop until a picture is shown. A polling wait
// would keep a processor busy beside the render it times, and on a loaded
// machine take it from the render.
bool waitUntilShown(PDFViewer &viewer, const std::function<bool()> &condition)
{
    QEventLoop loop;
    const auto check = [&] {
        if (condition())
            loop.quit();
    };
    QObject::connect(&viewer, &PDFViewer::pageShown, &loop, check);
    // A last resort should a state be reached without a picture shown.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, check);
    poll.start(20);
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    if (!condition())
        loop.exec();
    return condition();
}

struct Figure
{
    const char *name;
    double ours;
    double peer;
    double goal;
};

bool report(const Figure &figure)
{
    const double ratio = figure.ours / figure.peer;
    const bool met = figure.peer > 0 && ratio <= figure.goal;
    std::printf("%s: viewer %.1f ms, floor %.1f ms, ratio %.2f (goal: %.1f or less) %s\n",
                figure.name, figure.ours, figure.peer, ratio, figure.goal, met ? "met" : "NOT met");
    return met;
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    qSetMessagePattern(QStringLiteral("%{if-warning}%{message}%{endif}"));
    QStandardPaths::setTestModeEnabled(true);
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    const QString pdftotext = QStandardPaths::findExecutable(QStringLiteral("pdftotext"));
    if (pdftoppm.isEmpty() || pdftotext.isEmpty()) {
        std::printf("pdftoppm and pdftotext are not installed (package poppler-utils)\n");
        return 1;
    }
    QTemporaryDir folder;
    const QString thousand = folder.filePath(QStringLiteral("thousand.pdf"));
    const QString fiveHundred = folder.filePath(QStringLiteral("five-hundred.pdf"));
    const QString tiny = folder.filePath(QStringLiteral("tiny.pdf"));
    if (!writeBook(thousand, 1000) || !writeBook(fiveHundred, 500) || !writeBook(tiny, 1)) {
        std::printf("cannot write the books\n");
        return 1;
    }
    const QString outputBase = QFileInfo(QStringLiteral("/dev/shm")).isWritable()
            ? QStringLiteral("/dev/shm")
            : QDir::tempPath();
    QTemporaryDir images(outputBase + QStringLiteral("/vellumin-bench-XXXXXX"));
    const QString out = images.filePath(QStringLiteral("out"));
    const auto drawn = [&](const QString &file, int first, int last, const QSize &size) {
        return bench::runProgram(pdftoppm,
                                 { QStringLiteral("-scale-to-x"), QString::number(size.width()),
                                   QStringLiteral("-scale-to-y"), QString::number(size.height()),
                                   QStringLiteral("-f"), QString::number(first),
                                   QStringLiteral("-l"), QString::number(last), file, out });
    };
    QList<double> starts;
    for (int i = 0; i < 7; ++i)
        starts << bench::runProgram(pdftoppm,
                                    { QStringLiteral("-r"), QStringLiteral("1"), tiny, out });
    const double start = bench::median(starts);
    std::printf("pdftoppm start-up (median of 7): %.1f ms\n", start);

    bool met = true;

    // Opening to the first page.
    QList<double> opens;
    QSize firstSize;
    for (int round = 0; round < 5; ++round) {
        QElapsedTimer timer;
        timer.start();
        PDFViewer viewer(thousand);
        viewer.resize(viewerSize);
        viewer.show();
        if (!viewer.load() || !waitUntilShown(viewer, [&] { return viewer.shownPage() == 1; })) {
            std::printf("the book does not open\n");
            return 1;
        }
        opens << timer.nsecsElapsed() / 1e6;
        firstSize = viewer.pageItem()->pixmap().size();
    }
    QList<double> firstPages;
    for (int round = 0; round < 5; ++round)
        firstPages << drawn(thousand, 1, 1, firstSize);
    met = report({ "open a 1,000-page book to its first page", bench::median(opens),
                   bench::median(firstPages), 1.5 })
            && met;

    PDFViewer viewer(thousand);
    viewer.resize(viewerSize);
    viewer.show();
    viewer.load();
    pdf::PdfDocument *document = viewer.document();
    waitUntil([&] { return viewer.shownPage() == 1 && !viewer.isRendering(); });

    // Page turns, one and two columns: to a page the viewer has not drawn
    // ahead (the render itself), and to the next page after reading (drawn
    // ahead while the reader read). Rounds of ten turns each alternate
    // with pdftoppm drawing ten pages (pairs) at the same size, so that a
    // busy machine weighs on both alike.
    for (const int columns : { 1, 2 }) {
        document->setColumnCount(columns);
        int page = 100;
        document->setPage(page);
        waitUntil([&] { return viewer.shownPage() == page && viewer.hasViewAhead(); });
        QList<double> cold;
        QList<double> warm;
        QList<double> floors;
        for (int round = 0; round < Rounds; ++round) {
            QList<double> coldRound;
            QSize size;
            for (int i = 0; i < TurnsPerRound; ++i) {
                // Past the view drawn ahead: nothing of it is prepared.
                page += 2 * columns;
                QElapsedTimer timer;
                timer.start();
                document->setPage(page);
                waitUntilShown(viewer,
                               [&] { return viewer.shownPage() == page && !viewer.isRendering(); });
                coldRound << timer.nsecsElapsed() / 1e6;
                size = viewer.pageItem()->pixmap().size();
                // The reader reads; meanwhile the next view is drawn.
                waitUntil([&] { return viewer.hasViewAhead() && !viewer.shade()->isVisible(); });
                page += columns;
                timer.restart();
                viewer.next();
                waitUntilShown(viewer,
                               [&] { return viewer.shownPage() == page && !viewer.isRendering(); });
                warm << timer.nsecsElapsed() / 1e6;
                waitUntil([&] { return viewer.hasViewAhead() && !viewer.shade()->isVisible(); });
            }
            cold << bench::median(coldRound);
            // pdftoppm draws each page of a pair at the pair's page size.
            const QSize pageSize(size.width() / columns, size.height());
            const int first = 500 + round * TurnsPerRound * columns;
            floors << (drawn(thousand, first, first + TurnsPerRound * columns - 1, pageSize)
                       - start)
                            / TurnsPerRound;
        }
        met = report({ columns == 1 ? "page turn at fit, one column, to a page not drawn ahead"
                                    : "page turn at fit, two columns, to pages not drawn ahead",
                       bench::median(cold), bench::median(floors), 1.3 })
                && met;
        report({ columns == 1 ? "page turn at fit, one column, after reading"
                              : "page turn at fit, two columns, after reading",
                 bench::median(warm), bench::median(floors), 1.3 });
    }

    // A zoom step on each of ten pages.
    document->setColumnCount(1);
    QList<double> zooms;
    QSize zoomed;
    for (int page = 300; page < 310; ++page) {
        viewer.fitToPage();
        viewer.setZoom(1.0);
        document->setPage(page);
        // The reader has read the page: the next one is drawn ahead.
        waitUntil([&] {
            return viewer.shownPage() == page && !viewer.isRendering()
                    && !viewer.shade()->isVisible() && viewer.hasViewAhead();
        });
        QElapsedTimer timer;
        timer.start();
        viewer.zoomIn();
        waitUntilShown(viewer, [&] { return !viewer.isRendering(); });
        zooms << timer.nsecsElapsed() / 1e6;
        zoomed = viewer.pageItem()->pixmap().size();
    }
    QList<double> zoomFloors;
    for (int round = 0; round < 3; ++round)
        zoomFloors << (drawn(thousand, 300, 309, zoomed) - start) / 10;
    met = report({ "zoom step 1.0 to 1.1", bench::median(zooms), bench::median(zoomFloors), 1.3 })
            && met;

    // Search over 500 pages.
    pdf::PdfDocument searched;
    searched.load(fiveHundred);
    QList<double> searches;
    int hits = 0;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer timer;
        timer.start();
        hits = searched.search(QStringLiteral("the")).size();
        searches << timer.nsecsElapsed() / 1e6;
    }
    QList<double> texts;
    for (int round = 0; round < 3; ++round)
        texts << bench::runProgram(pdftotext,
                                   { fiveHundred, images.filePath(QStringLiteral("text.txt")) });
    std::printf("(%d hits of \"the\")\n", hits);
    met = report({ "search \"the\" over 500 pages", bench::median(searches), bench::median(texts),
                   2.0 })
            && met;
    return met ? 0 : 1;
}
