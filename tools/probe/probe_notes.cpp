// The reading companions, driven as a reader does, each printing JSON:
//   notes BOOK [--note TEXT[|COLOUR[|COMMENT]]]... [--remove N] [--colour N]
//         [--comments N] [--filter TEXT] [--sort COLUMN[:asc]] [--export FILE]
//         [--screenshot FILE]
//     selects TEXT in the book, makes a note of it in the colour (palette
//     entry 1-5 or a colour name; yellow by default) and types the comment
//     into the note's balloon; closes and reopens the book, checks that every
//     note is marked in its page, removes the N-th listed note (0-based),
//     fills the notes panel, filters and sorts it, and lists its rows.
//   search BOOK WORD [--go N] [--screenshot FILE]
//   toc BOOK [--go INDEX] [--screenshot FILE]
//   bookmarks BOOK [--at PAGE]... [--remove N] [--go N] [--screenshot FILE]
// Side files are written where the program keeps them (run with a
// temporary HOME to leave yours alone).

#include "tools/probe/probe.h"

#include "library/db/bookdto.h"
#include "library/db/bookformat.h"
#include "reader/bookviewer.h"
#include "reader/noteeditor.h"
#include "reader/notesmodel.h"
#include "reader/notesortfiltermodel.h"
#include "reader/notesview.h"
#include "reader/notetooltip.h"
#include "reader/notetreeview.h"
#include "reader/searchmodel.h"
#include "reader/searchview.h"
#include "reader/textviewer.h"
#include "reader/textviewerinput.h"
#include "reader/tocmodel.h"
#include "reader/toctreeview.h"
#include "reader/tocview.h"
#include "widgets/tabwidget.h"
#include "reader/bookmarkmodel.h"
#include "reader/usercontext.h"
#include "pagination/pagescript.h"
#include "widgets/stylesheet.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QKeyEvent>
#include <QPixmap>
#include <QTimer>

#include <memory>

namespace {

using probe::waitUntil;

void settle(int msecs)
{
    QEventLoop loop;
    QTimer::singleShot(msecs, &loop, &QEventLoop::quit);
    loop.exec();
}

// A book open in the reading frame, as the main window holds it.
struct Reading
{
    UserContext context;
    std::unique_ptr<BookViewer> frame;
    QStringList messages;

    TextViewer *viewer() const { return frame ? frame->textViewer() : nullptr; }

    QString open(const QString &path, const QSize &size)
    {
        const QFileInfo info(path);
        BookDto book;
        book.fullPath = info.absoluteFilePath();
        book.title = info.completeBaseName();
        book.format = BookFormat::fromString(info.suffix());
        const auto record = [this](const QString &title, const QString &text) {
            messages.append(title + QStringLiteral(": ") + text);
        };
        context.setMessagePresenter(record);
        frame = std::make_unique<BookViewer>(&context);
        frame->setMessagePresenter(record);
        frame->resize(size);
        frame->show();
        QApplication::processEvents();
        if (!frame->openBook(book))
            return messages.isEmpty() ? QStringLiteral("the book cannot be opened") : messages.last();
        if (!waitUntil([this] { return viewer() && viewer()->isLayoutReady(); }, 30000))
            return QStringLiteral("the first page did not load");
        if (!waitUntil([this] { return viewer()->bookPageCount() > 0 && !viewer()->isPaginating(); },
                       90000)) {
            return QStringLiteral("no pagination reply");
        }
        return QString();
    }

    // A panel beside the page as the window slides it in: eight tenths of
    // the window's width, its choices leading the book there.
    void place(SidePanel *panel, const QSize &size)
    {
        panel->resize(size.width() * 8 / 10, size.height());
        QObject::connect(panel, &SidePanel::navigateToPosition, &context,
                         &UserContext::navigateToPosition);
    }

    void close()
    {
        frame.reset();
        context.setDocument(nullptr);
    }
};

bool waitForFile(TextViewer *viewer)
{
    return waitUntil([viewer] { return !viewer->isLoadingFile() && viewer->isLayoutReady(); },
                     20000);
}

// Selects the first occurrence of text in the file on show and turns to
// its page; false when the file does not hold it.
bool selectInFile(TextViewer *viewer, const QString &text)
{
    const QString script = QStringLiteral(
            "(function(needle){var walker=document.createTreeWalker(document.body,4,null,false);"
            "for(var n=walker.nextNode();n;n=walker.nextNode()){var at=n.data.indexOf(needle);"
            "if(at<0)continue;var r=document.createRange();r.setStart(n,at);"
            "r.setEnd(n,at+needle.length);var s=window.getSelection();s.removeAllRanges();"
            "s.addRange(r);return vorMoveToElement(n.parentNode,%2,%3);}return -1;})(%1);")
                                   .arg(PageScript::quoted(text))
                                   .arg(viewer->width())
                                   .arg(viewer->gap());
    bool ok = false;
    const int page = viewer->runScript(script).toInt(&ok);
    if (!ok || page < 0)
        return false;
    if (page > 0)
        viewer->setCurrentPage(page);
    return !viewer->selectedText().trimmed().isEmpty();
}

// Looks for the text in the file on show, then in every file in turn.
bool selectInBook(TextViewer *viewer, const QString &text)
{
    if (selectInFile(viewer, text))
        return true;
    const QStringList files = viewer->chapterFiles();
    for (const QString &file : files) {
        viewer->navigateToUrl(file + QStringLiteral("#content"), true);
        if (!waitForFile(viewer))
            return false;
        if (selectInFile(viewer, text))
            return true;
    }
    return false;
}

QColor parseColour(const QString &text)
{
    bool ok = false;
    const int entry = text.toInt(&ok);
    if (ok)
        return entry >= 1 && entry <= 5 ? QColor(noteColors().at(entry)) : QColor();
    return QColor(text);
}

QJsonObject noteJson(const Note &note)
{
    return QJsonObject { { QStringLiteral("context"), note.context },
                         { QStringLiteral("comment"), note.text },
                         { QStringLiteral("colour"), note.color.name() },
                         { QStringLiteral("page"), note.page },
                         { QStringLiteral("chapterTitle"), note.chapterTitle },
                         { QStringLiteral("chapter"), note.chapter } };
}

QString grab(QWidget *widget, const QString &path, QJsonObject *result)
{
    settle(300);
    if (!widget->grab().save(path, "PNG"))
        return QStringLiteral("cannot write %1").arg(path);
    result->insert(QStringLiteral("screenshot"), QFileInfo(path).absoluteFilePath());
    return QString();
}

// Common options: BOOK, --size, --screenshot; the rest goes to `rest`.
struct Options
{
    QString book;
    QSize size = QSize(900, 700);
    QString screenshot;
    QStringList rest;
};

bool parseCommon(const QStringList &arguments, Options *options)
{
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        const bool hasValue = i + 1 < arguments.size();
        if (argument == QLatin1String("--size") && hasValue) {
            if (!probe::parseSize(arguments.at(++i), &options->size))
                return false;
        } else if (argument == QLatin1String("--screenshot") && hasValue) {
            options->screenshot = arguments.at(++i);
        } else if (options->book.isEmpty() && !argument.startsWith(QLatin1String("--"))) {
            options->book = argument;
        } else {
            options->rest.append(argument);
        }
    }
    return !options->book.isEmpty() && QFileInfo(options->book).isFile();
}

// "--go N" as the only option left, or no option; false on anything else.
bool takeGo(const QStringList &rest, int *go)
{
    if (rest.size() == 2 && rest.first() == QLatin1String("--go")) {
        *go = rest.at(1).toInt();
        return true;
    }
    return rest.isEmpty();
}

// ---- notes ----

int notesCommand(const QStringList &arguments)
{
    const QString usage = QStringLiteral(
            "usage: notes BOOK [--note TEXT[|COLOUR[|COMMENT]]]... [--remove N] [--colour N] "
            "[--comments N] [--filter TEXT] [--sort COLUMN[:asc]] [--export FILE] "
            "[--screenshot FILE]");
    Options options;
    if (!parseCommon(arguments, &options))
        return probe::fail(usage);
    QStringList notesToMake;
    int remove = -1;
    int colourFilter = 0;
    int commentFilter = 0;
    QString filter;
    int sortColumn = -1;
    Qt::SortOrder sortOrder = Qt::DescendingOrder;
    QString exportPath;
    const QStringList &rest = options.rest;
    for (int i = 0; i < rest.size(); ++i) {
        const QString &argument = rest.at(i);
        if (i + 1 >= rest.size())
            return probe::fail(usage);
        const QString value = rest.at(++i);
        if (argument == QLatin1String("--note")) {
            notesToMake.append(value);
        } else if (argument == QLatin1String("--remove")) {
            remove = value.toInt();
        } else if (argument == QLatin1String("--colour")) {
            colourFilter = value.toInt();
        } else if (argument == QLatin1String("--comments")) {
            commentFilter = value.toInt();
        } else if (argument == QLatin1String("--filter")) {
            filter = value;
        } else if (argument == QLatin1String("--sort")) {
            sortColumn = value.section(QLatin1Char(':'), 0, 0).toInt();
            if (value.endsWith(QLatin1String(":asc")))
                sortOrder = Qt::AscendingOrder;
        } else if (argument == QLatin1String("--export")) {
            exportPath = value;
        } else {
            return probe::fail(usage);
        }
    }

    reloadStyleSheet();
    QJsonArray made;
    {
        Reading reading;
        const QString problem = reading.open(options.book, options.size);
        if (!problem.isEmpty())
            return probe::fail(problem);
        TextViewer *viewer = reading.viewer();
        TextViewerInput *input = TextViewerInput::of(viewer);
        for (const QString &note : qAsConst(notesToMake)) {
            const QStringList parts = note.split(QLatin1Char('|'));
            const QColor colour = parts.size() > 1 ? parseColour(parts.at(1)) : defaultNoteColor();
            if (!colour.isValid())
                return probe::fail(QStringLiteral("not a colour: %1").arg(parts.at(1)));
            if (!selectInBook(viewer, parts.first()))
                return probe::fail(QStringLiteral("text not found: %1").arg(parts.first()));
            const int before = viewer->notes().size();
            // As the menu's entries ask: a comment opens the balloon.
            const bool comment = parts.size() > 2;
            emit input->noteRequested(colour, comment);
            if (viewer->notes().size() != before + 1)
                return probe::fail(QStringLiteral("no note made of: %1").arg(parts.first()));
            if (comment) {
                NoteTooltip *balloon = viewer->noteTooltip();
                if (!balloon || !balloon->isVisible() || !balloon->isEditing())
                    return probe::fail(QStringLiteral("the note's balloon did not open"));
                balloon->editor()->setPlainText(parts.at(2));
                QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::ControlModifier);
                QCoreApplication::sendEvent(balloon, &enter);
            }
            made.append(noteJson(viewer->notes().constLast()));
        }
        reading.close();
    }

    Reading reading;
    const QString problem = reading.open(options.book, options.size);
    if (!problem.isEmpty())
        return probe::fail(problem);
    TextViewer *viewer = reading.viewer();
    // Every note is marked in its page once its file is on show.
    QJsonArray unmarked;
    for (const Note &note : viewer->notes()) {
        viewer->navigateToPath(noteLocation(note));
        waitForFile(viewer);
        if (viewer->noteInfo(note) == QPoint(0, 0)
            && viewer->runScript(QStringLiteral("getNoteInfo(%1,%2);")
                                         .arg(PageScript::quoted(note.id))
                                         .arg(viewer->width()))
                       .isNull()) {
            unmarked.append(note.context);
        }
    }
    if (remove >= 0) {
        const QList<Note> notes = viewer->notes();
        if (remove >= notes.size())
            return probe::fail(QStringLiteral("no note %1 to remove").arg(remove));
        reading.context.removeNote(notes.at(remove).id);
    }

    NotesView panel(&reading.context);
    panel.resize(options.size.width() * 8 / 10, options.size.height());
    panel.show();
    panel.resetFilters();
    panel.loadFromOpenBook();
    panel.colorCombo()->setCurrentIndex(colourFilter);
    emit panel.colorCombo()->activated(colourFilter);
    panel.commentCombo()->setCurrentIndex(commentFilter);
    emit panel.commentCombo()->activated(commentFilter);
    if (!filter.isEmpty())
        panel.proxy()->setSearchText(filter);
    if (sortColumn >= 0)
        panel.notesTree()->sortByColumn(sortColumn, sortOrder);
    panel.notesTree()->expandAll();

    QJsonArray rows;
    const QAbstractItemModel *model = panel.proxy();
    for (int chapter = 0; chapter < model->rowCount(); ++chapter) {
        const QModelIndex group = model->index(chapter, 0);
        QJsonArray notes;
        for (int row = 0; row < model->rowCount(group); ++row) {
            const QModelIndex note = model->index(row, 0, group);
            notes.append(QJsonObject {
                    { QStringLiteral("context"), note.siblingAtColumn(1).data().toString() },
                    { QStringLiteral("comment"), note.siblingAtColumn(2).data().toString() },
                    { QStringLiteral("page"), note.siblingAtColumn(3).data().toString() },
                    { QStringLiteral("colour"), note.data(NotesModel::ColorRole).toString() } });
        }
        rows.append(QJsonObject { { QStringLiteral("chapterTitle"),
                                    group.siblingAtColumn(1).data().toString() },
                                  { QStringLiteral("notes"), notes } });
    }

    QJsonObject result { { QStringLiteral("book"), QFileInfo(options.book).absoluteFilePath() },
                         { QStringLiteral("made"), made },
                         { QStringLiteral("notes"), viewer->notes().size() },
                         { QStringLiteral("unmarked"), unmarked },
                         { QStringLiteral("panel"), rows },
                         { QStringLiteral("totalPages"), viewer->bookPageCount() } };
    QJsonArray stored;
    for (const Note &note : viewer->notes())
        stored.append(noteJson(note));
    result.insert(QStringLiteral("stored"), stored);
    if (!exportPath.isEmpty()) {
        panel.setSaveFileChooser([&exportPath](const QString &, const QString &,
                                               const QString &fileName) {
            return exportPath.endsWith(QLatin1Char('/')) ? exportPath + fileName : exportPath;
        });
        panel.buttonExport();
        if (!panel.lastExportError().isEmpty())
            return probe::fail(panel.lastExportError());
        result.insert(QStringLiteral("exported"), QFileInfo(exportPath).absoluteFilePath());
    }
    if (!options.screenshot.isEmpty()) {
        const QString error = grab(&panel, options.screenshot, &result);
        if (!error.isEmpty())
            return probe::fail(error);
        // The page with its marked notes beside the panel's picture.
        const QString pagePath = QFileInfo(options.screenshot).path() + QLatin1Char('/')
                + QFileInfo(options.screenshot).completeBaseName() + QStringLiteral("-page.png");
        if (!viewer->notes().isEmpty()) {
            const Note first = viewer->notes().constFirst();
            viewer->openNoteForEditing(first.id);
            waitForFile(viewer);
        }
        grab(reading.frame.get(), pagePath, &result);
        result.insert(QStringLiteral("pageScreenshot"), QFileInfo(pagePath).absoluteFilePath());
    }
    probe::printJson(result);
    return 0;
}

// ---- search ----

int searchCommand(const QStringList &arguments)
{
    const QString usage = QStringLiteral("usage: search BOOK WORD [--go N] [--screenshot FILE]");
    Options options;
    if (!parseCommon(arguments, &options) || options.rest.isEmpty())
        return probe::fail(usage);
    const QString word = options.rest.takeFirst();
    int go = -1;
    if (!takeGo(options.rest, &go))
        return probe::fail(usage);

    reloadStyleSheet();
    Reading reading;
    const QString problem = reading.open(options.book, options.size);
    if (!problem.isEmpty())
        return probe::fail(problem);
    TextViewer *viewer = reading.viewer();
    SearchView panel(&reading.context);
    reading.place(&panel, options.size);
    QObject::connect(&panel, &SidePanel::navigateToPage, &reading.context,
                     &UserContext::navigateToPage);
    bool finished = false;
    QObject::connect(viewer, &TextViewer::finishedSearch, [&finished] { finished = true; });
    QElapsedTimer timer;
    timer.start();
    // As the window does: the text is stored, then the panel slides in.
    reading.context.setSearchingText(word);
    panel.show();
    if (!waitUntil([&] { return finished; }, 120000))
        return probe::fail(QStringLiteral("the search did not end"));
    const qint64 elapsed = timer.elapsed();
    QApplication::processEvents();

    QJsonArray hits;
    const SearchModel *model = panel.model();
    for (int row = 0; row < model->rowCount() && row < 20; ++row) {
        const QModelIndex index = model->index(row, 0);
        hits.append(QJsonObject {
                { QStringLiteral("location"), index.data().toString() },
                { QStringLiteral("page"), index.data(SearchModel::PageRole).toInt() },
                { QStringLiteral("text"), index.data(SearchModel::TextRole).toString() } });
    }
    QJsonObject result { { QStringLiteral("book"), QFileInfo(options.book).absoluteFilePath() },
                         { QStringLiteral("word"), word },
                         { QStringLiteral("results"), model->rowCount() },
                         { QStringLiteral("first"), hits },
                         { QStringLiteral("ms"), double(elapsed) },
                         { QStringLiteral("totalPages"), viewer->bookPageCount() } };
    if (!options.screenshot.isEmpty()) {
        const QString error = grab(&panel, options.screenshot, &result);
        if (!error.isEmpty())
            return probe::fail(error);
    }
    if (go >= 0) {
        if (go >= model->rowCount())
            return probe::fail(QStringLiteral("no result %1").arg(go));
        panel.onResultsDoubleClick(model->index(go, 0));
        waitForFile(viewer);
        settle(100);
        result.insert(QStringLiteral("wentTo"), QJsonObject {
                { QStringLiteral("expectedPage"), model->index(go, 0).data(SearchModel::PageRole).toInt() },
                { QStringLiteral("page"), viewer->absolutePage() },
                { QStringLiteral("wordOnPage"),
                  viewer->runScript(QStringLiteral("document.body.innerText")).toString()
                                  .contains(word, Qt::CaseInsensitive) } });
    }
    probe::printJson(result);
    return 0;
}

// ---- contents ----

QJsonArray tocJson(const QAbstractItemModel *model, const QModelIndex &parent)
{
    QJsonArray entries;
    for (int row = 0; row < model->rowCount(parent); ++row) {
        const QModelIndex index = model->index(row, 0, parent);
        QJsonObject entry { { QStringLiteral("title"), index.data().toString() },
                            { QStringLiteral("page"), index.siblingAtColumn(1).data().toString() },
                            { QStringLiteral("number"), index.data(TocModel::NavigationRole).toInt() } };
        const QJsonArray children = tocJson(model, index);
        if (!children.isEmpty())
            entry.insert(QStringLiteral("children"), children);
        entries.append(entry);
    }
    return entries;
}

int tocCommand(const QStringList &arguments)
{
    const QString usage = QStringLiteral("usage: toc BOOK [--go NUMBER] [--screenshot FILE]");
    Options options;
    if (!parseCommon(arguments, &options))
        return probe::fail(usage);
    int go = -1;
    if (!takeGo(options.rest, &go))
        return probe::fail(usage);

    reloadStyleSheet();
    Reading reading;
    const QString problem = reading.open(options.book, options.size);
    if (!problem.isEmpty())
        return probe::fail(problem);
    TextViewer *viewer = reading.viewer();
    TocView panel(&reading.context);
    reading.place(&panel, options.size);
    panel.loadFromOpenBook();
    panel.show();
    panel.tocTree()->expandAll();
    QJsonObject result { { QStringLiteral("book"), QFileInfo(options.book).absoluteFilePath() },
                         { QStringLiteral("contents"), tocJson(panel.tocModel(), QModelIndex()) },
                         { QStringLiteral("totalPages"), viewer->bookPageCount() } };
    if (!options.screenshot.isEmpty()) {
        const QString error = grab(&panel, options.screenshot, &result);
        if (!error.isEmpty())
            return probe::fail(error);
    }
    if (go >= 0) {
        const QList<TocItem> entries = viewer->readingState().tocList;
        if (go >= entries.size())
            return probe::fail(QStringLiteral("no entry %1").arg(go));
        QModelIndexList found = panel.tocModel()->match(panel.tocModel()->index(0, 0),
                                                        TocModel::NavigationRole, go, 1,
                                                        Qt::MatchExactly | Qt::MatchRecursive);
        if (found.isEmpty())
            return probe::fail(QStringLiteral("entry %1 is not in the panel").arg(go));
        panel.onTocTableDoubleClick(found.first());
        waitForFile(viewer);
        settle(100);
        result.insert(QStringLiteral("wentTo"), QJsonObject {
                { QStringLiteral("title"), entries.at(go).title },
                { QStringLiteral("expectedPage"), entries.at(go).page },
                { QStringLiteral("page"), viewer->absolutePage() },
                { QStringLiteral("file"), viewer->chapterFiles().value(viewer->chapterIndex()) } });
    }
    probe::printJson(result);
    return 0;
}

// ---- bookmarks ----

QJsonArray bookmarksJson(const QList<ViewerBookmark> &bookmarks)
{
    QJsonArray list;
    for (const ViewerBookmark &bookmark : bookmarks) {
        list.append(QJsonObject { { QStringLiteral("id"), bookmark.id },
                                  { QStringLiteral("index"), bookmark.index },
                                  { QStringLiteral("page"), bookmark.page },
                                  { QStringLiteral("title"), bookmark.title },
                                  { QStringLiteral("progress"), bookmark.progress } });
    }
    return list;
}

int bookmarksCommand(const QStringList &arguments)
{
    const QString usage = QStringLiteral(
            "usage: bookmarks BOOK [--at PAGE]... [--remove N] [--go N] [--screenshot FILE]");
    Options options;
    if (!parseCommon(arguments, &options))
        return probe::fail(usage);
    QList<int> pages;
    int remove = -1;
    int go = -1;
    for (int i = 0; i + 1 < options.rest.size(); i += 2) {
        const QString &argument = options.rest.at(i);
        const int value = options.rest.at(i + 1).toInt();
        if (argument == QLatin1String("--at"))
            pages.append(value);
        else if (argument == QLatin1String("--remove"))
            remove = value;
        else if (argument == QLatin1String("--go"))
            go = value;
        else
            return probe::fail(usage);
    }
    if (options.rest.size() % 2 != 0)
        return probe::fail(usage);

    reloadStyleSheet();
    QJsonObject result { { QStringLiteral("book"), QFileInfo(options.book).absoluteFilePath() } };
    {
        Reading reading;
        const QString problem = reading.open(options.book, options.size);
        if (!problem.isEmpty())
            return probe::fail(problem);
        TextViewer *viewer = reading.viewer();
        for (const int page : qAsConst(pages)) {
            viewer->goToBookPage(page, false);
            waitForFile(viewer);
            reading.context.addBookmark();
        }
        TocView panel(&reading.context);
        panel.setConfirmation([](const QString &, const QString &, QWidget *) { return true; });
        panel.loadFromOpenBook();
        result.insert(QStringLiteral("added"), bookmarksJson(panel.bookmarkModel()->bookmarks()));
        if (remove >= 0) {
            panel.onBookmarkClicked(panel.bookmarkModel()->index(remove, 2));
            result.insert(QStringLiteral("afterRemoval"),
                          bookmarksJson(panel.bookmarkModel()->bookmarks()));
        }
        reading.close();
    }
    Reading reading;
    const QString problem = reading.open(options.book, options.size);
    if (!problem.isEmpty())
        return probe::fail(problem);
    TextViewer *viewer = reading.viewer();
    TocView panel(&reading.context);
    reading.place(&panel, options.size);
    panel.loadFromOpenBook();
    panel.show();
    panel.tabWidget()->setCurrentIndex(1);
    result.insert(QStringLiteral("reopened"), bookmarksJson(panel.bookmarkModel()->bookmarks()));
    if (!options.screenshot.isEmpty()) {
        const QString error = grab(&panel, options.screenshot, &result);
        if (!error.isEmpty())
            return probe::fail(error);
    }
    if (go >= 0) {
        if (go >= panel.bookmarkModel()->rowCount())
            return probe::fail(QStringLiteral("no bookmark %1").arg(go));
        const ViewerBookmark target = panel.bookmarkModel()->bookmarks().at(go);
        panel.onBookmarksDoubleClick(panel.bookmarkModel()->index(go, 0));
        waitForFile(viewer);
        settle(100);
        result.insert(QStringLiteral("wentTo"),
                      QJsonObject { { QStringLiteral("expectedPage"), target.page },
                                    { QStringLiteral("page"), viewer->absolutePage() } });
    }
    probe::printJson(result);
    return 0;
}

} // namespace

VL_PROBE_COMMAND("notes",
                 "BOOK [--note TEXT[|COLOUR[|COMMENT]]]... [--remove N] [--colour N] "
                 "[--comments N] [--filter TEXT] [--sort COLUMN[:asc]] [--export FILE] "
                 "[--screenshot FILE]",
                 notesCommand);
VL_PROBE_COMMAND("search", "BOOK WORD [--go N] [--screenshot FILE]", searchCommand);
VL_PROBE_COMMAND("toc", "BOOK [--go NUMBER] [--screenshot FILE]", tocCommand);
VL_PROBE_COMMAND("bookmarks", "BOOK [--at PAGE]... [--remove N] [--go N] [--screenshot FILE]",
                 bookmarksCommand);
