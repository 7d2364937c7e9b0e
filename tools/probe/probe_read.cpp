// "read BOOK [--size WxH] [--goto PAGE] [--screenshot FILE]": opens a book in
// the reading view's text viewer (a PDF book in the PDF viewer, see
// probe_pdfread.cpp), waits until it is paginated, optionally
// goes to a book-wide page and saves what the view shows, and prints where
// the reader is. The viewer writes the book's side files when it closes, so
// the next run opens where this one ended.

#include "tools/probe/pdfprobe.h"
#include "tools/probe/probe.h"

#include "core/settings.h"
#include "library/db/bookdto.h"
#include "pagination/paginationrequest.h"
#include "reader/textviewer.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QJsonObject>
#include <QPixmap>
#include <QTimer>
#include <QWebSettings>

#include <memory>

namespace {

// Runs the event loop until the viewer emits signal or msecs pass.
template<typename Signal> bool waitFor(TextViewer *viewer, Signal signal, int msecs)
{
    QEventLoop loop;
    bool emitted = false;
    const auto connection = QObject::connect(viewer, signal, &loop, [&] {
        emitted = true;
        loop.quit();
    });
    QTimer::singleShot(msecs, &loop, &QEventLoop::quit);
    loop.exec();
    QObject::disconnect(connection);
    return emitted;
}

int readBook(const QStringList &arguments)
{
    // PDF books are read in their own viewer.
    for (const QString &argument : arguments) {
        if (!argument.startsWith(QLatin1String("--"))
            && argument.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
            return probe::readPdfBook(arguments);
    }
    const QString usage = QStringLiteral("usage: read BOOK [--size WxH] [--goto PAGE] "
                                         "[--screenshot FILE]");
    QString bookPath;
    QSize size(800, 600);
    int goTo = 0;
    QString screenshot;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--size") && hasValue) {
            if (!probe::parseSize(arguments.at(++i), &size))
                return probe::fail(usage);
        } else if (argument == QLatin1String("--goto") && hasValue) {
            bool ok = false;
            goTo = arguments.at(++i).toInt(&ok);
            if (!ok || goTo < 1)
                return probe::fail(usage);
        } else if (argument == QLatin1String("--screenshot") && hasValue) {
            screenshot = arguments.at(++i);
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

    BookDto book;
    book.fullPath = info.absoluteFilePath();
    book.title = info.completeBaseName();
    auto viewer = std::make_unique<TextViewer>(book);
    QString message;
    viewer->setMessagePresenter(
            [&message](const QString &, const QString &text) { message = text; });
    viewer->resize(size);
    viewer->show();
    QApplication::processEvents();

    bool loaded = false;
    bool paginated = false;
    QObject::connect(viewer.get(), &TextViewer::loadFinished, [&loaded] { loaded = true; });
    QObject::connect(viewer.get(), &TextViewer::paginationFinished,
                     [&paginated] { paginated = true; });
    if (!viewer->loadBookData()) {
        return probe::fail(message.isEmpty() ? QStringLiteral("the book cannot be opened")
                                             : message);
    }
    if (!loaded && !waitFor(viewer.get(), &TextViewer::loadFinished, 30000))
        return probe::fail(QStringLiteral("the first page did not load"));
    if (!paginated && !waitFor(viewer.get(), &TextViewer::paginationFinished, 60000))
        return probe::fail(QStringLiteral("no pagination reply: %1").arg(message));

    if (goTo > 0) {
        if (goTo > viewer->bookPageCount()) {
            return probe::fail(QStringLiteral("page %1 is beyond the book's %2 pages")
                                       .arg(goTo)
                                       .arg(viewer->bookPageCount()));
        }
        viewer->goToBookPage(goTo, true);
        if (!waitFor(viewer.get(), &TextViewer::loadFinished, 30000))
            return probe::fail(QStringLiteral("page %1 did not load").arg(goTo));
    }

    QJsonObject result {
        { QStringLiteral("book"), book.fullPath },
        { QStringLiteral("totalPages"), viewer->bookPageCount() },
        { QStringLiteral("page"), viewer->absolutePage() },
        { QStringLiteral("helperPages"), viewer->totalPages() },
        { QStringLiteral("columnCount"), viewer->columnCount() },
        { QStringLiteral("progress"), viewer->progress() },
        { QStringLiteral("file"), viewer->chapterFiles().value(viewer->chapterIndex()) },
        { QStringLiteral("files"), viewer->chapterFiles().size() },
        { QStringLiteral("pageInFile"), viewer->currentPage() },
        { QStringLiteral("contents"), viewer->readingState().tocList.size() },
        { QStringLiteral("bookmarks"), viewer->bookmarks().size() },
        { QStringLiteral("notes"), viewer->notes().size() },
        { QStringLiteral("fontSize"),
          QWebSettings::globalSettings()->fontSize(QWebSettings::DefaultFontSize) },
        { QStringLiteral("profile"),
          Settings::profileName(Settings::instance()->values().currentProfile) },
        { QStringLiteral("sideFile"), viewer->sideFiles().settingsPath() },
    };
    if (!screenshot.isEmpty()) {
        // Let the last layout reach the screen before it is grabbed.
        QEventLoop settle;
        QTimer::singleShot(300, &settle, &QEventLoop::quit);
        settle.exec();
        if (!viewer->grab().save(screenshot, "PNG"))
            return probe::fail(QStringLiteral("cannot write %1").arg(screenshot));
        result.insert(QStringLiteral("screenshot"), QFileInfo(screenshot).absoluteFilePath());
    }
    probe::printJson(result);
    return 0;
}

} // namespace

VL_PROBE_COMMAND(
        "read",
        "BOOK [--size WxH] [--goto PAGE] [--screenshot FILE]; BOOK.pdf also [--columns 1|2] "
        "[--zoom S | --original] [--search WORD] [--password P]",
        readBook);
