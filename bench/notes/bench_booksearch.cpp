// An in-book search for a common word in a book of about 1,000 pages: from
// the search request to the viewer's list of hits, beside the floor: the
// page script's bare findText over the same converted files, each laid out
// in a web page of the view's size.
// Goal: the search within 1.3 times the floor.
//
// The hits of the first search do not fit the helper's first block: the
// viewer makes a block for its estimate of them before the search goes (a
// new helper), which later searches keep. That first search is printed
// apart; the median is over the later ones.
//
// usage: bench_booksearch [rounds]

#include "bench/support/benchsupport.h"
#include "library/db/bookdto.h"
#include "pagination/pagescript.h"
#include "reader/textviewer.h"
#include "tests/archive/zipfixture.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QTimer>
#include <QWebFrame>
#include <QWebPage>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int Chapters = 80;
constexpr int Paragraphs = 170;
const QSize ViewSize(900, 650);

bool waitUntil(const std::function<bool()> &done, int msecs)
{
    return bench::waitUntil(done, msecs, 5);
}

bool writeBook(const QString &path)
{
    ZipFixture::Epub epub;
    epub.chapters.clear();
    epub.ncx.clear();
    for (int c = 1; c <= Chapters; ++c) {
        QString body = QStringLiteral("<h1 id='h%1'>Chapter %1</h1>").arg(c);
        for (int p = 0; p < Paragraphs; ++p) {
            body += QStringLiteral("<p id='p%1_%2'>In the morning the lantern by the harbour "
                                   "went out, and the river ran quietly under the bridge.</p>")
                            .arg(c)
                            .arg(p);
        }
        epub.chapters.append(body);
        epub.ncx += QStringLiteral("<navPoint id='n%1'><navLabel><text>Chapter %1</text>"
                                   "</navLabel><content src='ch%1.xhtml'/></navPoint>")
                            .arg(c);
    }
    return epub.write(path);
}

// The helper's own work for one file, without the exchange around it.
int bareFind(QWebPage *page, const QString &file, const QString &script, const QString &word)
{
    bool loaded = false;
    const auto connection = QObject::connect(page->mainFrame(), &QWebFrame::loadFinished,
                                             [&loaded](bool) { loaded = true; });
    page->mainFrame()->load(QUrl::fromLocalFile(file));
    waitUntil([&loaded] { return loaded; }, 20000);
    QObject::disconnect(connection);
    const QVariant hits = page->mainFrame()->evaluateJavaScript(
            script
            + QStringLiteral("init(\"bench\");setPageDim(1,60,%1,%2,20,1);findText(%3,%1);")
                      .arg(ViewSize.width())
                      .arg(ViewSize.height())
                      .arg(PageScript::quoted(word)));
    return hits.toList().size();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(2, atoi(argv[1])) : 4;
    QTemporaryDir dir;
    qputenv("HOME", dir.path().toLocal8Bit());
    const QString path = dir.filePath(QStringLiteral("Long.epub"));
    if (!writeBook(path)) {
        std::fprintf(stderr, "cannot write the book\n");
        return 1;
    }
    BookDto book;
    book.fullPath = path;
    book.title = QStringLiteral("Long");
    TextViewer viewer(book);
    viewer.resize(ViewSize);
    viewer.show();
    if (!viewer.loadBookData()
        || !waitUntil([&] { return viewer.bookPageCount() > 0 && !viewer.isPaginating(); },
                      300000)) {
        std::fprintf(stderr, "the book was not paginated\n");
        return 1;
    }
    const QString word = QStringLiteral("lantern");
    QList<double> ours, floor;
    int hits = 0;
    int floorHits = 0;
    for (int round = 0; round < rounds; ++round) {
        bool finished = false;
        const auto connection = QObject::connect(&viewer, &TextViewer::finishedSearch,
                                                 [&finished] { finished = true; });
        QElapsedTimer timer;
        timer.start();
        viewer.onSearch(word);
        waitUntil([&finished] { return finished; }, 300000);
        ours.push_back(timer.nsecsElapsed() / 1e6);
        QObject::disconnect(connection);
        hits = viewer.searchResults().size();

        QWebPage page;
        page.setViewportSize(ViewSize);
        const QString script = PageScript::text();
        timer.restart();
        floorHits = 0;
        for (const QString &file : viewer.chapterFiles())
            floorHits += bareFind(&page, viewer.contentFolder() + QLatin1Char('/') + file, script,
                                  word);
        floor.push_back(timer.nsecsElapsed() / 1e6);
    }
    const double first = ours.front();
    ours.erase(ours.begin());
    const double o = bench::median(ours), f = bench::median(floor);
    std::printf("in-book search for \"%s\", %d pages, %d files, %d hits (floor %d), floor median "
                "of %d rounds\n",
                qPrintable(word), viewer.bookPageCount(), int(viewer.chapterFiles().size()), hits,
                floorHits, rounds);
    std::printf("  first search (block made for the estimate):    %8.1f ms  floor %8.1f ms  "
                "ratio %.2f  goal <= 1.3: %s\n",
                first, f, first / f, first / f <= 1.3 ? "met" : "NOT met");
    std::printf("  later searches, median of %d:                 %8.1f ms  floor %8.1f ms  "
                "ratio %.2f  goal <= 1.3: %s\n",
                int(ours.size()), o, f, o / f, o / f <= 1.3 ? "met" : "NOT met");
    if (hits != floorHits)
        std::printf("  %d hits missing\n", floorHits - hits);
    return 0;
}
