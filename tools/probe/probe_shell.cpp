#include "app/commandline.h"
#include "app/mainview.h"
#include "app/settingsview.h"
#include "library/db/bookprovider.h"
#include "pages/searchbox.h"
#include "tools/probe/probe.h"
#include "widgets/stylesheet.h"
#include "widgets/tabwidget.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonObject>
#include <QPushButton>
#include <QStackedLayout>

namespace {

void settle(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

QJsonArray visibleControls(MainView &window)
{
    QJsonArray names;
    for (const char *name :
         { "buttonLibrary", "buttonAddBook", "buttonAddFolder", "buttonContents", "buttonNotes",
           "buttonBack", "buttonPrint", "buttonContinueReading", "buttonHelp", "buttonSettings" }) {
        auto *button = window.findChild<QPushButton *>(QLatin1String(name));
        if (button && button->isVisibleTo(&window))
            names.append(QLatin1String(name));
    }
    if (window.searchBox()->isVisibleTo(&window))
        names.append(QStringLiteral("searchBox"));
    return names;
}

// Builds the main window on the current user's library and saves a picture
// of each page and of the settings panel, for a person to look at.
int windowShots(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return probe::fail(QStringLiteral("usage: shell-shots OUTDIR [WIDTH]"));
    const QString folder = arguments.at(0);
    const int width = arguments.size() > 1 ? arguments.at(1).toInt() : 900;
    QDir().mkpath(folder);
    BookProvider::instance()->createConnection();
    reloadStyleSheet();

    MainView window(width, 500);
    window.show();
    settle(200);

    QJsonObject pages;
    const QList<QPair<int, QString>> shots
            = { { MainView::StartPage, QStringLiteral("start") },
                { MainView::LibraryPageIndex, QStringLiteral("library") },
                { MainView::ReaderPageIndex, QStringLiteral("reader") } };
    auto *stack = window.findChild<QStackedLayout *>(QStringLiteral("mainViewPages"));
    for (const auto &shot : shots) {
        stack->setCurrentIndex(shot.first);
        settle(150);
        const QString file = folder + QLatin1Char('/') + shot.second + QStringLiteral(".png");
        window.grab().save(file);
        pages.insert(shot.second,
                     QJsonObject { { QStringLiteral("file"), file },
                                   { QStringLiteral("page"), window.currentPage() },
                                   { QStringLiteral("visible"), visibleControls(window) } });
    }

    window.onShowSettings();
    settle(600);
    const QString settingsFile = folder + QStringLiteral("/settings.png");
    window.grab().save(settingsFile);
    window.settingsView()->tabWidget()->setCurrentIndex(1);
    settle(100);
    const QString profilesFile = folder + QStringLiteral("/settings-profiles.png");
    window.grab().save(profilesFile);
    pages.insert(QStringLiteral("settings"), settingsFile);
    pages.insert(QStringLiteral("profiles"), profilesFile);
    probe::printJson(pages);
    return 0;
}

// Hands a command line to a main window as a second start would, and says
// what the window made of it.
int windowMessage(const QStringList &arguments)
{
    BookProvider::instance()->createConnection();
    MainView window(900, 500);
    window.show();
    QStringList line = arguments;
    line.prepend(QCoreApplication::applicationFilePath());
    window.handleMessage(CommandLine::buildMessage(line));
    settle(300);
    while (window.isOpening())
        settle(50);
    const BookDto book = window.currentBook();
    probe::printJson(
            QJsonObject { { QStringLiteral("page"), window.currentPage() },
                          { QStringLiteral("bookId"), book.id },
                          { QStringLiteral("bookPath"), book.fullPath },
                          { QStringLiteral("bookHash"), book.bookHash },
                          { QStringLiteral("pendingOpenPath"), window.pendingOpenPath() } });
    return 0;
}

} // namespace

VL_PROBE_COMMAND("shell-shots", "OUTDIR [WIDTH]  pictures of the main window's pages", windowShots);
VL_PROBE_COMMAND("shell-message", "FILE...  hand a command line to the main window", windowMessage);
