// "frame BOOK [--size WxH] [--profile day|night|sepia] [--columns 1|2]
// [--full-screen] [--turn N] [--password P] [--screenshot FILE]": opens a
// book (a text book, a comic or a PDF book) in the reading frame (viewer, tool bar, reading
// controller) as the main window does, waits for its pages, turns N pages
// forward, and prints what the frame shows. The reading settings are put back as they were
// afterwards; the library is not touched (the book has no library record).

#include "tools/probe/pdfprobe.h"
#include "tools/probe/probe.h"

#include "comics/imageviewer.h"
#include "core/settings.h"
#include "document/imagedocument.h"
#include "library/db/bookformat.h"
#include "pdf/pdfdocument.h"
#include "pdf/pdfviewer.h"
#include "reader/bookviewer.h"
#include "reader/readtoolbar.h"
#include "reader/textviewer.h"
#include "reader/textviewerinput.h"
#include "reader/tooltippushbutton.h"
#include "reader/usercontext.h"
#include "widgets/stylesheet.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QFrame>
#include <QJsonObject>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

int frameBook(const QStringList &arguments)
{
    const QString usage = QStringLiteral(
            "usage: frame BOOK [--size WxH] [--profile day|night|sepia] [--columns 1|2] "
            "[--full-screen] [--turn N] [--password P] [--screenshot FILE]");
    const QStringList profiles
            = { QStringLiteral("day"), QStringLiteral("night"), QStringLiteral("sepia") };
    QString bookPath;
    QSize size(1000, 700);
    int profile = -1;
    int columns = 0;
    bool fullScreen = false;
    int turns = 0;
    QString screenshot;
    QString password;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--size") && hasValue) {
            if (!probe::parseSize(arguments.at(++i), &size))
                return probe::fail(usage);
        } else if (argument == QLatin1String("--profile") && hasValue) {
            profile = profiles.indexOf(arguments.at(++i));
            if (profile < 0)
                return probe::fail(usage);
        } else if (argument == QLatin1String("--columns") && hasValue) {
            columns = arguments.at(++i).toInt();
            if (columns != 1 && columns != 2)
                return probe::fail(usage);
        } else if (argument == QLatin1String("--full-screen")) {
            fullScreen = true;
        } else if (argument == QLatin1String("--turn") && hasValue) {
            bool ok = false;
            turns = arguments.at(++i).toInt(&ok);
            if (!ok || turns < 0)
                return probe::fail(usage);
        } else if (argument == QLatin1String("--screenshot") && hasValue) {
            screenshot = arguments.at(++i);
        } else if (argument == QLatin1String("--password") && hasValue) {
            password = arguments.at(++i);
        } else if (bookPath.isEmpty() && !argument.startsWith(QLatin1String("--"))) {
            bookPath = argument;
        } else {
            return probe::fail(usage);
        }
    }
    if (bookPath.isEmpty())
        return probe::fail(usage);
    const QFileInfo info(bookPath);
    if (!info.isFile())
        return probe::fail(QStringLiteral("no such book: %1").arg(bookPath));

    reloadStyleSheet();
    Settings *settings = Settings::instance();
    const ViewerSettings original = settings->values();
    ViewerSettings values = original;
    if (profile >= 0)
        values.currentProfile = profile;
    if (columns > 0)
        values.columnCount = columns;
    settings->setValues(values, true);
    struct Restore
    {
        ~Restore() { Settings::instance()->setValues(values, true); }
        ViewerSettings values;
    } restore { original };

    BookDto book;
    book.fullPath = info.absoluteFilePath();
    book.title = info.completeBaseName();
    book.format = BookFormat::fromString(info.suffix());

    const probe::PdfPasswordAnswer answer(password);
    UserContext context;
    QStringList messages;
    const auto record = [&messages](const QString &title, const QString &text) {
        messages.append(title + QStringLiteral(": ") + text);
    };
    context.setMessagePresenter(record);
    auto frame = std::make_unique<BookViewer>(&context);
    frame->setMessagePresenter(record);
    frame->resize(size);
    frame->show();
    frame->setFullScreen(fullScreen);
    QApplication::processEvents();

    if (!frame->openBook(book))
        return probe::fail(messages.isEmpty() ? QStringLiteral("the book cannot be opened")
                                              : messages.join(QLatin1Char(' ')));
    // What the frame shows: the page (the left one of two), the book's
    // pages, the progress and the columns.
    int page = 0;
    int totalPages = 0;
    int progress = 0;
    int columnCount = 0;
    // A page viewer (a comic or a PDF book): ready once the current page is
    // on screen and its shade gone.
    PageView *pageView = nullptr;
    ImageDocument *document = nullptr;
    std::function<bool()> ready;
    if (PDFViewer *pdfBook = frame->pdfViewer()) {
        pageView = pdfBook;
        document = pdfBook->document();
        ready = [pdfBook, document] {
            return !pdfBook->isRendering() && pdfBook->shownPage() == document->currentPage()
                    && !pdfBook->shade()->isVisible();
        };
    } else if (ImageViewer *comic = frame->imageViewer()) {
        pageView = comic;
        document = comic->document();
        ready = [comic, document] {
            return !comic->isPreparingPage() && comic->shownPage() == document->currentPage()
                    && !comic->shade()->isVisible();
        };
    }
    if (pageView) {
        if (!probe::waitUntil(ready, 30000))
            return probe::fail(QStringLiteral("the first page did not load"));
        for (int i = 0; i < turns; ++i) {
            pageView->next();
            probe::waitUntil(ready, 10000);
        }
        page = document->currentPage();
        totalPages = document->pageCount();
        progress = int(document->progress());
        columnCount = document->columnCount();
    } else {
        TextViewer *viewer = frame->textViewer();
        if (!viewer || !probe::waitUntil([&] { return viewer->isLayoutReady(); }, 30000))
            return probe::fail(QStringLiteral("the first page did not load"));
        if (!probe::waitUntil([&] { return !viewer->isPaginating(); }, 60000))
            return probe::fail(QStringLiteral("no pagination reply"));
        TextViewerInput *input = TextViewerInput::of(viewer);
        for (int i = 0; i < turns && input; ++i) {
            const int before = viewer->absolutePage();
            input->next();
            probe::waitUntil(
                    [&] { return viewer->absolutePage() != before && viewer->isLayoutReady(); },
                    10000);
        }
        page = viewer->absolutePage();
        totalPages = viewer->bookPageCount();
        progress = viewer->progress();
        columnCount = viewer->columnCount();
    }
    context.updateBookInfo();
    // Let the last layout reach the screen.
    probe::waitUntil([] { return false; }, 300);

    QJsonObject result {
        { QStringLiteral("book"), book.fullPath },
        { QStringLiteral("page"), page },
        { QStringLiteral("totalPages"), totalPages },
        { QStringLiteral("progress"), progress },
        { QStringLiteral("title"), frame->titleLabel()->text() },
        { QStringLiteral("progressText"), frame->progressLabel()->text() },
        { QStringLiteral("profile"), Settings::profileName(settings->values().currentProfile) },
        { QStringLiteral("columns"), columnCount },
        { QStringLiteral("fullScreen"), frame->isFullScreen() },
        { QStringLiteral("waitPage"), frame->currentPageIndex() == 0 },
        { QStringLiteral("toolBar"),
          frame->toolBar()->button(ReadToolBar::Tool::SwitchView)->objectName() },
    };
    if (!screenshot.isEmpty()) {
        if (!frame->grab().save(screenshot, "PNG"))
            return probe::fail(QStringLiteral("cannot write %1").arg(screenshot));
        result.insert(QStringLiteral("screenshot"), QFileInfo(screenshot).absoluteFilePath());
    }
    probe::printJson(result);
    return 0;
}

} // namespace

VL_PROBE_COMMAND("frame",
                 "BOOK [--size WxH] [--profile day|night|sepia] [--columns 1|2] [--full-screen] "
                 "[--turn N] [--password P] [--screenshot FILE]",
                 frameBook);
