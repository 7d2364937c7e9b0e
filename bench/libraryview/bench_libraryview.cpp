// Library screen speed beside a plain table.
//
// Builds a library of 10,000 books, each with a cover image of its own, in
// a temporary home, and shows it in the library screen (offscreen). Beside
// it, as the floor, a plain QTableView over a QStandardItemModel holding
// the same rows as text (sorted and filtered through a
// QSortFilterProxyModel, as the screen's table is). Times, each as the
// median of several runs, with the ratio screen / floor:
//
// - model reset plus sort, for every sortable column: the screen reloads
//   "All" from the database; the floor refills its model from memory;
// - one keystroke of search, typing a word letter by letter;
// - scrolling the table from top to bottom a page per frame, painted at
//   once: with a cold cover cache, then warm (the cache made large enough
//   for every thumbnail, so the second pass decodes nothing);
// - a favourite toggle round trip: a click on a star until the screen has
//   stored it, reloaded and repainted.
//
// Then the bookshelf beside the screen's own table, in the same run: the
// first paint of each page (the shelf lays out all its tiles first), and a
// scroll frame with a cold and with a warm cover cache.
//
// Goals: reset plus sort under 150 ms, a keystroke under 30 ms, a warm
// scroll frame under 8 ms (table and shelf), a cold shelf frame under 50 ms.

#include "bench/support/benchsupport.h"
#include "library/db/bookformat.h"
#include "library/db/bookprovider.h"
#include "library/model/bookmodel.h"
#include "library/model/booksortfiltermodel.h"
#include "library/view/booklistviewdelegate.h"
#include "library/view/bookshelf.h"
#include "library/view/booktable.h"
#include "library/view/coverimage.h"
#include "library/view/libraryview.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QPixmapCache>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSortFilterProxyModel>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace {

constexpr int LibrarySize = 10000;
constexpr int Repeats = 5;

void print(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.isEmpty() ? 0 : values.at(values.size() / 2);
}

// Median wall time of a piece of work in milliseconds; `prepare` runs
// untimed before each run.
double timed(const std::function<void()> &work,
             const std::function<void()> &prepare = std::function<void()>(), int repeats = Repeats)
{
    QList<double> times;
    for (int i = 0; i < repeats; ++i) {
        if (prepare)
            prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        times.append(timer.nsecsElapsed() / 1e6);
    }
    return median(times);
}

// One figure beside its floor: "name  ours-label X ms  floor-label Y ms  ratio".
void reportBeside(const QString &name, const QString &oursLabel, double ours,
                  const QString &floorLabel, double floor, const QString &goal)
{
    const QString ratio = floor > 0 ? QString::number(ours / floor, 'f', 1) : QStringLiteral("n/a");
    print(QStringLiteral("%1 %2 %3 ms  %4 %5 ms  ratio %6%7")
                  .arg(name, -34)
                  .arg(oursLabel, -6)
                  .arg(ours, 8, 'f', 2)
                  .arg(floorLabel, -11)
                  .arg(floor, 8, 'f', 2)
                  .arg(ratio, 6)
                  .arg(goal.isEmpty() ? QString()
                                      : QStringLiteral("  (") + goal + QLatin1Char(')')));
}

// The screen beside the plain table.
void report(const QString &name, double ours, double floor, const QString &goal = QString())
{
    reportBeside(name, QStringLiteral("screen"), ours, QStringLiteral("plain table"), floor, goal);
}

// The bookshelf beside the screen's own table.
void reportPage(const QString &name, double shelf, double table, const QString &goal = QString())
{
    reportBeside(name, QStringLiteral("shelf"), shelf, QStringLiteral("table"), table, goal);
}

struct Row
{
    QString title;
    QString author;
    int progress;
    int format;
    uint added;
    int notes;
    bool favorite;
};

// Titles and authors with enough variety for the collation and the search.
QList<Row> makeRows(uint now)
{
    static const char *words[] = { "silent",  "river",   "winter", "garden", "stone",   "light",
                                   "empire",  "letters", "night",  "voyage", "shadow",  "city",
                                   "history", "mirror",  "storm",  "island", "promise", "road" };
    static const char *names[] = { "Tolstoy", "Austen",  "Dickens", "Woolf",   "Hugo",  "Zola",
                                   "Mann",    "Chekhov", "Borges",  "Calvino", "Eliot", "Brontë" };
    QRandomGenerator random(20240611);
    QList<Row> rows;
    for (int i = 0; i < LibrarySize; ++i) {
        Row row;
        row.title = QStringLiteral("The %1 %2 %3")
                            .arg(QLatin1String(words[random.bounded(18)]),
                                 QLatin1String(words[random.bounded(18)]))
                            .arg(i);
        row.author = QStringLiteral("%1 %2")
                             .arg(QChar(QLatin1Char('A' + random.bounded(26))))
                             .arg(QLatin1String(names[random.bounded(12)]));
        row.progress = random.bounded(101);
        row.format = random.bounded(11);
        row.added = now - uint(random.bounded(5 * 365 * 86400));
        row.notes = random.bounded(40);
        row.favorite = random.bounded(10) == 0;
        rows.append(row);
    }
    return rows;
}

// One cover file per book, and the books table filled in one transaction
// (the add-books worker would take minutes for 10,000 books).
bool generate(const QList<Row> &rows, const QString &coverFolder)
{
    QDir().mkpath(coverFolder);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("gen"));
    db.setDatabaseName(BookProvider::instance()->databasePath());
    if (!db.open())
        return false;
    bool ok = true;
    {
        QSqlQuery query(db);
        ok = query.exec(QStringLiteral("BEGIN"));
        QSqlQuery book(db);
        book.prepare(QStringLiteral(
                "INSERT INTO books (cover, full_path, author, title, format, time_added, "
                "time_last_view, position, max_position, is_favorite, is_deleted, notes_count, "
                "book_hash) VALUES (?, ?, ?, ?, ?, ?, 0, 0, ?, ?, 0, ?, '')"));
        QImage cover(120, 180, QImage::Format_RGB32);
        for (int i = 0; ok && i < rows.size(); ++i) {
            const Row &row = rows.at(i);
            cover.fill(QColor::fromHsv(i % 360, 120 + i % 100, 200));
            const QString coverPath = coverFolder + QStringLiteral("/cover%1.jpg").arg(i);
            ok = cover.save(coverPath, "JPG", 85);
            book.addBindValue(BookProvider::encodeText(coverPath));
            book.addBindValue(BookProvider::encodeText(
                    QStringLiteral("/home/reader/Books/book%1.epub").arg(i)));
            book.addBindValue(row.author);
            book.addBindValue(row.title);
            book.addBindValue(row.format);
            book.addBindValue(row.added);
            book.addBindValue(row.progress);
            book.addBindValue(row.favorite ? 1 : 0);
            book.addBindValue(row.notes);
            ok = ok && book.exec();
        }
        ok = ok && query.exec(QStringLiteral("COMMIT"));
        if (!ok)
            print(QStringLiteral("generation failed: %1").arg(book.lastError().text()));
    }
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("gen"));
    return ok;
}

void fillPlainModel(QStandardItemModel *model, const QList<Row> &rows)
{
    model->setRowCount(0);
    model->setColumnCount(9);
    for (const Row &row : rows) {
        QList<QStandardItem *> items;
        items << new QStandardItem(row.title) << new QStandardItem(row.author);
        auto *progress = new QStandardItem;
        progress->setData(row.progress, Qt::DisplayRole);
        items << progress << new QStandardItem(BookFormat::toString(row.format));
        auto *date = new QStandardItem;
        date->setData(QDateTime::fromSecsSinceEpoch(row.added), Qt::DisplayRole);
        items << date;
        auto *notes = new QStandardItem;
        notes->setData(row.notes, Qt::DisplayRole);
        items << notes << new QStandardItem(row.favorite ? QStringLiteral("*") : QString())
              << new QStandardItem << new QStandardItem;
        model->appendRow(items);
    }
}

// Frames of one pass from the top to the bottom, a page per frame, each
// painted before the next: the median frame time.
double scrollFrames(QAbstractItemView *view)
{
    QScrollBar *bar = view->verticalScrollBar();
    bar->setValue(0);
    QList<double> frames;
    for (int value = 0; value <= bar->maximum(); value += bar->pageStep()) {
        QElapsedTimer timer;
        timer.start();
        bar->setValue(value);
        view->viewport()->repaint();
        frames.append(timer.nsecsElapsed() / 1e6);
    }
    return median(frames);
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    // The library and the settings go into the temporary home.
    bench::useTemporaryHome(home.path());
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vellumin"));
    QCoreApplication::setOrganizationName(QStringLiteral("Morvasco"));

    BookProvider *provider = BookProvider::instance();
    if (!provider->createConnection()) {
        print(QStringLiteral("cannot open the library: %1").arg(provider->lastError()));
        return 1;
    }
    const uint now = QDateTime::currentDateTimeUtc().toSecsSinceEpoch();
    const QList<Row> rows = makeRows(now);
    QElapsedTimer generation;
    generation.start();
    if (!generate(rows, home.path() + QStringLiteral("/covers")))
        return 1;
    print(QStringLiteral("library of %1 books with covers made in %2 ms")
                  .arg(provider->bookCountAll())
                  .arg(generation.elapsed()));

    // The screen.
    LibraryView view;
    view.resize(1280, 800);
    view.show();
    view.activateCategoryButton();
    QCoreApplication::processEvents();
    BookTable *table = view.table();
    BookModel *books = view.bookModel();

    // The floor. A reset gives the proxy a freshly filled model, the plain
    // model's way of replacing all its rows at once.
    std::unique_ptr<QStandardItemModel> plain;
    QSortFilterProxyModel plainProxy;
    auto resetPlain = [&] {
        auto fresh = std::make_unique<QStandardItemModel>();
        fillPlainModel(fresh.get(), rows);
        plainProxy.setSourceModel(fresh.get());
        plain = std::move(fresh);
    };
    resetPlain();
    plainProxy.setFilterKeyColumn(-1);
    plainProxy.setFilterCaseSensitivity(Qt::CaseInsensitive);
    QTableView plainTable;
    plainTable.setModel(&plainProxy);
    plainTable.setSortingEnabled(true);
    plainTable.verticalHeader()->setDefaultSectionSize(50);
    plainTable.resize(table->size());
    plainTable.show();
    QCoreApplication::processEvents();

    print(QStringLiteral("rows shown: screen %1, plain table %2")
                  .arg(view.sortModel()->rowCount())
                  .arg(plainProxy.rowCount()));

    const QList<QPair<int, QString>> columns = {
        { BookModel::TitleColumn, QStringLiteral("title") },
        { BookModel::AuthorColumn, QStringLiteral("author") },
        { BookModel::ProgressColumn, QStringLiteral("progress") },
        { BookModel::DateColumn, QStringLiteral("date") },
        { BookModel::NotesColumn, QStringLiteral("notes") },
    };
    // Sorted by the column first: the reset then sorts the new rows by it,
    // as when the user has chosen a column and switches category.
    for (const auto &column : columns) {
        table->sortByColumn(column.first, Qt::AscendingOrder);
        const double ours = timed([&] {
            books->selectByCategory(BookModel::CategoryAll);
            table->sortByColumn(column.first, Qt::AscendingOrder);
            QCoreApplication::processEvents();
        });
        plainTable.sortByColumn(column.first, Qt::AscendingOrder);
        const double floor = timed([&] {
            resetPlain();
            plainTable.sortByColumn(column.first, Qt::AscendingOrder);
            QCoreApplication::processEvents();
        });
        report(QStringLiteral("reset + sort by %1").arg(column.second), ours, floor,
               QStringLiteral("goal < 150 ms"));
    }

    // A word typed letter by letter and then erased: one median keystroke.
    const QString word = QStringLiteral("tolstoy");
    QStringList keystrokes;
    for (int i = 1; i <= word.size(); ++i)
        keystrokes.append(word.left(i));
    for (int i = word.size() - 1; i >= 0; --i)
        keystrokes.append(word.left(i));
    auto keystrokeMedian = [&](const std::function<void(const QString &)> &type) {
        QList<double> times;
        for (int r = 0; r < Repeats; ++r) {
            for (const QString &text : qAsConst(keystrokes)) {
                QElapsedTimer timer;
                timer.start();
                type(text);
                times.append(timer.nsecsElapsed() / 1e6);
            }
        }
        return median(times);
    };
    const double searchOurs = keystrokeMedian([&](const QString &text) { view.filterBooks(text); });
    const double searchFloor
            = keystrokeMedian([&](const QString &text) { plainProxy.setFilterFixedString(text); });
    report(QStringLiteral("search keystroke"), searchOurs, searchFloor,
           QStringLiteral("goal < 30 ms"));
    view.filterBooks(QStringLiteral("(a|ab)*(x+x+)+y"));
    const double pathological = timed([&] {
                                    view.filterBooks(QStringLiteral("(a*)*(b|b)*(x+x+)+y"));
                                    view.filterBooks(QStringLiteral("(a|ab)*(x+x+)+y"));
                                })
            / 2;
    print(QStringLiteral("%1 screen %2 ms")
                  .arg(QStringLiteral("pathological search keystroke"), -34)
                  .arg(pathological, 8, 'f', 2));
    view.filterBooks(QString());
    plainProxy.setFilterFixedString(QString());

    table->sortByColumn(BookModel::DateColumn, Qt::DescendingOrder);
    plainTable.sortByColumn(BookModel::DateColumn, Qt::DescendingOrder);
    QPixmapCache::clear();
    const double cold = scrollFrames(table);
    const double plainFrame = scrollFrames(&plainTable);
    report(QStringLiteral("scroll frame, cold cover cache"), cold, plainFrame);
    // Room for every thumbnail (32 x 49 x 4 bytes each), so the second pass
    // finds them all.
    const int defaultLimit = QPixmapCache::cacheLimit();
    QPixmapCache::setCacheLimit(LibrarySize * 8);
    scrollFrames(table);
    const double warm = scrollFrames(table);
    report(QStringLiteral("scroll frame, warm cover cache"), warm, scrollFrames(&plainTable),
           QStringLiteral("goal < 8 ms"));
    QPixmapCache::setCacheLimit(defaultLimit);

    // Star of the first row, clicked until the screen has stored the flag,
    // reloaded "All" and repainted.
    table->scrollToTop();
    const double toggle = timed([&] {
        const QModelIndex star = view.sortModel()->index(0, BookModel::FavoriteColumn);
        emit table->clicked(star);
        QCoreApplication::processEvents();
        table->viewport()->repaint();
    });
    const double plainToggle = timed([&] {
        const QModelIndex star = plainProxy.index(0, BookModel::FavoriteColumn);
        plainProxy.setData(star,
                           star.data().toString().isEmpty() ? QStringLiteral("*") : QString());
        QCoreApplication::processEvents();
        plainTable.viewport()->repaint();
    });
    report(QStringLiteral("favourite toggle round trip"), toggle, plainToggle);

    // The bookshelf beside the table. First paint: the page shown, laid out
    // and painted with a cold cover cache.
    BookShelf *shelf = view.shelf();
    QAbstractButton *switchButton
            = view.findChild<QAbstractButton *>(QStringLiteral("buttonSwitchShelfView"));
    auto firstPaint = [&](QAbstractItemView *page, int index) {
        return timed(
                [&] {
                    if (view.currentPage() != index)
                        switchButton->click();
                    QCoreApplication::processEvents();
                    page->viewport()->repaint();
                },
                [&] {
                    if (view.currentPage() == index)
                        switchButton->click();
                    QCoreApplication::processEvents();
                    QPixmapCache::clear();
                });
    };
    const double shelfFirst = firstPaint(shelf, 1);
    const double tableFirst = firstPaint(table, 0);
    reportPage(QStringLiteral("first paint, cold cover cache"), shelfFirst, tableFirst);

    switchButton->click();
    QCoreApplication::processEvents();
    QPixmapCache::clear();
    const double shelfCold = scrollFrames(shelf);
    switchButton->click();
    QCoreApplication::processEvents();
    QPixmapCache::clear();
    const double tableCold = scrollFrames(table);
    reportPage(QStringLiteral("scroll frame, cold cover cache"), shelfCold, tableCold,
               QStringLiteral("goal < 50 ms"));

    // Room for every tile (127 x 190 x 4 bytes each) and every thumbnail.
    QPixmapCache::setCacheLimit(LibrarySize * 100);
    scrollFrames(table);
    const double tableWarm = scrollFrames(table);
    switchButton->click();
    QCoreApplication::processEvents();
    scrollFrames(shelf);
    const double shelfWarm = scrollFrames(shelf);
    reportPage(QStringLiteral("scroll frame, warm cover cache"), shelfWarm, tableWarm,
               QStringLiteral("goal < 8 ms"));
    QPixmapCache::setCacheLimit(defaultLimit);

    // The generated covers are small. A cover as books carry them, read for
    // a tile: scaled while reading against decoded whole and then scaled.
    const QString large = home.path() + QStringLiteral("/large.jpg");
    QImage picture(1200, 1800, QImage::Format_RGB32);
    picture.fill(QColor(90, 120, 160));
    if (!picture.save(large, "JPG", 90))
        return 1;
    const QSize tile
            = BookListViewDelegate::coverRect(QRect(QPoint(), BookListViewDelegate::tileSize()))
                      .size();
    const double scaledRead = timed([&] { CoverImage::read(large, tile); }, {}, 21);
    const double wholeRead = timed(
            [&] { QImage(large).scaled(tile, Qt::IgnoreAspectRatio, Qt::SmoothTransformation); },
            {}, 21);
    print(QStringLiteral("%1 scaled %2 ms  whole + scale %3 ms  ratio %4")
                  .arg(QStringLiteral("1200x1800 cover to a tile"), -34)
                  .arg(scaledRead, 7, 'f', 2)
                  .arg(wholeRead, 8, 'f', 2)
                  .arg(scaledRead / wholeRead, 6, 'f', 2));
    return 0;
}
