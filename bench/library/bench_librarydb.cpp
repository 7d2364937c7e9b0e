// Library database speed beside the sqlite3 command-line shell.
//
// Builds a library of 10,000 books in a temporary home, then times every
// book listing, the statistics, the per-format counts and the search through
// BookProvider, and the same statements run by the sqlite3 shell on the same
// file (rows thrown away; the shell's own timer per statement, so its
// start-up stays out). Last, 1,000 books are added one by one through
// BookProvider (one transaction each, as the add-books worker does) while
// the shell runs the same inserts as one batch on a copy.
//
// Goals: listing 10,000 books under 100 ms and within 2x of the shell;
// 1,000 adds within 2x of the shell's batch.

#include "library/db/bookprovider.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QVariant>

#include <algorithm>
#include <cstdio>
#include <functional>

#include <time.h>

namespace {

constexpr int LibrarySize = 10000;
constexpr int AddedBooks = 1000;
constexpr int Repeats = 5;
constexpr int Categories = 20;

QString shellProgram;

void print(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

QString quoted(const QString &text)
{
    QString out = text;
    out.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + out + QLatin1Char('\'');
}

// Time spent on one piece of work, in milliseconds: processor time (user
// plus system) and wall time. Ratios use processor time, which a busy
// machine disturbs far less than wall time.
struct Cost
{
    double cpu = 0;
    double wall = 0;
};

double threadCpuMs()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// Runs the script in the shell with its timer on and adds up what the timer
// says of each statement, so the shell's start-up and the opening of the
// file stay out. Rows go to /dev/null; the timer lines come on stdout.
// The first statements can be left out of the sum (warm-up).
Cost runShell(const QString &file, const QByteArray &script, int skip = 0, int *counted = nullptr)
{
    QProcess process;
    process.start(shellProgram, { QStringLiteral("-batch"), file });
    if (!process.waitForStarted())
        return {};
    process.write(".output /dev/null\n.timer on\n");
    process.write(script);
    process.closeWriteChannel();
    process.waitForFinished(-1);
    const QByteArray errors = process.readAllStandardError();
    if (!errors.isEmpty())
        print(QStringLiteral("  shell said: %1").arg(QString::fromUtf8(errors).trimmed()));
    Cost cost;
    int count = 0;
    // "Run Time: real 0.012 user 0.010000 sys 0.001000"
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> words = line.simplified().split(' ');
        if (words.size() != 8 || !line.startsWith("Run Time:"))
            continue;
        if (skip-- > 0)
            continue;
        cost.wall += words[3].toDouble() * 1e3;
        cost.cpu += (words[5].toDouble() + words[7].toDouble()) * 1e3;
        ++count;
    }
    if (counted)
        *counted = count;
    return cost;
}

// Average cost of one run of the statement inside the shell, after one
// warm-up run, as for our own calls.
Cost shellStatement(const QString &file, const QString &sql)
{
    QByteArray script;
    for (int i = 0; i < Repeats + 1; ++i)
        script += sql.toUtf8() + ";\n";
    int count = 0;
    Cost cost = runShell(file, script, 1, &count);
    if (count > 0) {
        cost.cpu /= count;
        cost.wall /= count;
    }
    return cost;
}

// Average cost of one call, after one warm-up call.
Cost timed(const std::function<void()> &call)
{
    call();
    QElapsedTimer timer;
    const double cpu = threadCpuMs();
    timer.start();
    for (int i = 0; i < Repeats; ++i)
        call();
    return { (threadCpuMs() - cpu) / Repeats, timer.nsecsElapsed() / 1e6 / Repeats };
}

void report(const QString &name, const Cost &ours, const Cost &shell,
            const QString &goal = QString())
{
    const QString ratio
            = shell.cpu > 0 ? QString::number(ours.cpu / shell.cpu, 'f', 2) : QStringLiteral("n/a");
    print(QStringLiteral("%1 ours %2 ms (wall %3)  shell %4 ms (wall %5)  ratio %6%7")
                  .arg(name, -28)
                  .arg(ours.cpu, 8, 'f', 2)
                  .arg(ours.wall, 8, 'f', 2)
                  .arg(shell.cpu, 8, 'f', 2)
                  .arg(shell.wall, 8, 'f', 2)
                  .arg(ratio,
                       goal.isEmpty() ? QString()
                                      : QStringLiteral("  (") + goal + QLatin1Char(')')));
}

bool generate(const QString &file, uint now)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("gen"));
    db.setDatabaseName(file);
    if (!db.open())
        return false;
    bool ok = true;
    {
        QSqlQuery query(db);
        ok = query.exec(QStringLiteral("BEGIN"));
        for (int c = 1; ok && c <= Categories; ++c)
            ok = query.exec(
                    QStringLiteral("INSERT INTO folders (parent_id, title) VALUES (0, 'Shelf %1')")
                            .arg(c));
        QSqlQuery book(db);
        book.prepare(QStringLiteral(
                "INSERT INTO books (cover, full_path, author, title, format, time_added, "
                "time_last_view, position, max_position, is_favorite, is_deleted, notes_count, "
                "book_hash) VALUES (?, ?, ?, ?, ?, ?, ?, 0, ?, ?, ?, 0, ?)"));
        QSqlQuery meta(db);
        meta.prepare(QStringLiteral(
                "INSERT INTO book_metadata (book_id, meta_type, meta_value) VALUES (?, ?, ?)"));
        QSqlQuery bind(db);
        bind.prepare(QStringLiteral(
                "INSERT INTO book_folder_binder (book_id, folder_id) VALUES (?, ?)"));
        for (int i = 0; ok && i < LibrarySize; ++i) {
            const QString path = QStringLiteral("/home/reader/Books/Author %1/Book number %2.epub")
                                         .arg(i % 500)
                                         .arg(i);
            book.addBindValue(BookProvider::encodeText(
                    QStringLiteral("/home/reader/.vellumin/books/%1/cover.png").arg(i)));
            book.addBindValue(BookProvider::encodeText(path));
            book.addBindValue(QStringLiteral("Author %1").arg(i % 500));
            book.addBindValue(QStringLiteral("Book number %1 of the library").arg(i));
            book.addBindValue(i % 11);
            book.addBindValue(now - uint(LibrarySize - i) * 60);
            book.addBindValue(i % 50 == 0 ? now - uint(i) : 0u);
            book.addBindValue(i % 101);
            book.addBindValue(i % 7 == 0 ? 1 : 0);
            book.addBindValue(i % 20 == 7 ? 1 : 0);
            book.addBindValue(QStringLiteral("aGFzaCBvZiB0aGUgYm9vayBmaWxl%1").arg(i));
            ok = book.exec();
            const int id = book.lastInsertId().toInt();
            for (int kind : { 0, 1, 6 }) {
                meta.addBindValue(id);
                meta.addBindValue(kind);
                meta.addBindValue(QStringLiteral("Metadata %1 of book %2").arg(kind).arg(i));
                ok = ok && meta.exec();
            }
            if (i % 3 == 0) {
                bind.addBindValue(id);
                bind.addBindValue(1 + i % Categories);
                ok = ok && bind.exec();
            }
        }
        ok = ok && query.exec(QStringLiteral("COMMIT"));
        // Put everything into the main file, so a plain copy is complete.
        ok = ok && query.exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"));
        if (!ok)
            print(QStringLiteral("generation failed: %1").arg(book.lastError().text()));
    }
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("gen"));
    return ok;
}

BookDto newBook(int i, uint now)
{
    BookDto book;
    book.fullPath = QStringLiteral("/home/reader/Incoming/New book %1.fb2").arg(i);
    book.cover = QStringLiteral("/home/reader/.vellumin/books/new%1/cover.png").arg(i);
    book.author = QStringLiteral("New author %1").arg(i % 37);
    book.title = QStringLiteral("New book %1").arg(i);
    book.format = 2;
    book.timeAdded = now;
    book.metadata = { { 0, QStringLiteral("urn:new:%1").arg(i) },
                      { 1, book.title },
                      { 6, QStringLiteral("A description of new book %1.").arg(i) } };
    return book;
}

// The inserts of addBook with the values written in, as one batch.
QByteArray addScript(int firstId, uint now)
{
    QByteArray script = "BEGIN;\n";
    for (int i = 0; i < AddedBooks; ++i) {
        const BookDto book = newBook(i, now);
        const int id = firstId + i;
        script += QStringLiteral(
                          "INSERT INTO books (cover, full_path, author, title, format, time_added, "
                          "time_last_view, position, max_position, is_favorite, is_deleted, "
                          "notes_count, book_hash) VALUES (%1, %2, %3, %4, %5, %6, 0, 0, 0, 0, 0, "
                          "0, NULL);\n")
                          .arg(quoted(BookProvider::encodeText(book.cover)),
                               quoted(BookProvider::encodeText(book.fullPath)), quoted(book.author),
                               quoted(book.title))
                          .arg(book.format)
                          .arg(book.timeAdded)
                          .toUtf8();
        for (auto it = book.metadata.cbegin(); it != book.metadata.cend(); ++it) {
            script += QStringLiteral(
                              "INSERT OR REPLACE INTO book_metadata (id, book_id, meta_type, "
                              "meta_value) VALUES ((SELECT ID FROM book_metadata WHERE book_id = "
                              "%1 AND meta_type=%2), %1, %2, %3);\n")
                              .arg(id)
                              .arg(it.key())
                              .arg(quoted(it.value()))
                              .toUtf8();
        }
    }
    script += "COMMIT;\n";
    return script;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vellumin"));

    // Never the user's own library.
    QTemporaryDir home;
    qputenv("HOME", QFile::encodeName(home.path()));

    shellProgram = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    BookProvider *provider = BookProvider::instance();
    if (!provider->createConnection()) {
        print(QStringLiteral("cannot create the library: %1").arg(provider->lastError()));
        return 1;
    }
    const QString file = provider->databasePath();
    const uint now = uint(QDateTime::currentSecsSinceEpoch());
    if (!generate(file, now))
        return 1;
    print(QStringLiteral(
                  "library of %1 books (%2 in the trash), %3 categories, 3 metadata rows each")
                  .arg(provider->bookCountAll())
                  .arg(provider->deletedBooks().size())
                  .arg(Categories));
    if (shellProgram.isEmpty())
        print(QStringLiteral("sqlite3 shell not found: shell columns stay 0"));

    print(QStringLiteral("figures: processor time per call (wall time in brackets); ratio = "
                         "ours / shell"));
    const auto shell = [&](const QString &sql) {
        return shellProgram.isEmpty() ? Cost() : shellStatement(file, sql);
    };
    const uint threshold = now - 5184000;

    int listed = 0;
    const Cost allOurs = timed([&] { listed = provider->allBooks().size(); });
    report(QStringLiteral("all books (%1)").arg(listed), allOurs,
           shell(QStringLiteral(
                   "select * from books where is_deleted = 0 ORDER BY time_added DESC")),
           QStringLiteral("goal < 100 ms, ratio < 2"));
    report(QStringLiteral("all books with category"),
           timed([&] { provider->allBooksWithFolder(); }),
           shell(QStringLiteral(
                   "select books.*, folders.title as folder_title from books left outer join "
                   "book_folder_binder on books.id = book_folder_binder.book_id left outer join "
                   "folders on  book_folder_binder.folder_id = folders.id where is_deleted = 0")));
    report(QStringLiteral("one format"), timed([&] { provider->booksByFormat(0); }),
           shell(QStringLiteral(
                   "select * from books where (format=0) AND (is_deleted = 0) ORDER BY "
                   "time_added DESC")));
    report(QStringLiteral("one category"), timed([&] { provider->booksInCategory(1); }),
           shell(QStringLiteral(
                   "select b.id, b.cover, b.full_path, b.author, b.title, b.format, b.time_added, "
                   "b.time_last_view, b.position, b.max_position,b.is_favorite, b.is_deleted, "
                   "b.notes_count from books as b join book_folder_binder on b.id = "
                   "book_folder_binder.book_id where (book_folder_binder.folder_id = 1) and "
                   "(b.is_deleted = 0) ORDER BY time_added DESC")));
    report(QStringLiteral("trash"), timed([&] { provider->deletedBooks(); }),
           shell(QStringLiteral("select * from books where is_deleted=1")));
    report(QStringLiteral("favourites"), timed([&] { provider->favoriteBooks(); }),
           shell(QStringLiteral("select * from books where (is_favorite=1) AND (is_deleted = 0)")));
    report(QStringLiteral("last added"), timed([&] { provider->lastAddedBooks(); }),
           shell(QStringLiteral(
                   "select * from books where (is_deleted = 0) ORDER BY time_added DESC limit 8")));
    report(QStringLiteral("recently read"), timed([&] { provider->recentlyReadBooks(); }),
           shell(QStringLiteral("select * from books where (is_deleted = 0) and (time_last_view >= "
                                "%1) ORDER BY time_last_view DESC limit 20")
                         .arg(threshold)));
    report(QStringLiteral("search \"number 12\""),
           timed([&] { provider->searchBooks(QStringLiteral("number 12")); }),
           shell(QStringLiteral("select * from books where (author like '%number 12%') or (title "
                                "like '%number 12%')")));
    report(QStringLiteral("statistics"), timed([&] { provider->libraryStatistics(); }),
           shell(QStringLiteral(
                         "SELECT (SELECT COUNT(*) from books where (is_deleted = 0)) as all_count, "
                         "(SELECT COUNT(*) from (select id from books where (is_deleted = 0) "
                         "limit 8)) as last_added_count, (SELECT COUNT(*) from (select id from "
                         "books where (is_deleted = 0) and (time_last_view >= %1) limit 20)) as "
                         "recently_read_count, (select COUNT(*) from books where (is_favorite = "
                         "1) AND (is_deleted = 0)) as favorites_read_count, (select COUNT(*) from "
                         "books where (is_deleted = 1)) as deleted_count")
                         .arg(threshold)));
    {
        QString counts;
        for (int format = 0; format <= 10; ++format)
            counts += QStringLiteral("select COUNT(*) from books where is_deleted = 0 and "
                                     "format=%1;")
                              .arg(format);
        counts.chop(1);
        report(QStringLiteral("format counts (11 formats)"), timed([&] {
                   for (int format = 0; format <= 10; ++format)
                       provider->bookCountByFormat(format);
               }),
               shell(counts));
    }

    // Adding: the shell works on a copy in the same state, so both add to
    // 10,000 books and get the same ids.
    const QString copy = home.path() + QStringLiteral("/shell-copy.sqlite3");
    QFile::copy(file, copy);
    const int firstId = provider->findBookById(LibrarySize).id + 1;
    QElapsedTimer timer;
    timer.start();
    const double cpu = threadCpuMs();
    int failures = 0;
    for (int i = 0; i < AddedBooks; ++i) {
        if (provider->addBook(newBook(i, now)) < 0)
            ++failures;
    }
    const Cost addOurs { threadCpuMs() - cpu, timer.nsecsElapsed() / 1e6 };
    const Cost addShell = shellProgram.isEmpty() ? Cost() : runShell(copy, addScript(firstId, now));
    report(QStringLiteral("add %1 books").arg(AddedBooks), addOurs, addShell,
           QStringLiteral("one transaction each vs one batch; goal ratio < 2"));
    if (failures)
        print(QStringLiteral("%1 adds failed: %2").arg(failures).arg(provider->lastError()));
    return failures ? 1 : 0;
}
