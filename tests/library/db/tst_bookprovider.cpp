#include "core/paths.h"
#include "library/db/bookprovider.h"
#include "tests/support/testenvironment.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QThread>

#include <atomic>
#include <memory>

namespace {

uint now()
{
    return uint(QDateTime::currentSecsSinceEpoch());
}

BookDto makeBook(const QString &path, const QString &title = QStringLiteral("Title"),
                 const QString &author = QStringLiteral("Author"), int format = 0,
                 uint timeAdded = 1000)
{
    BookDto book;
    book.fullPath = path;
    book.title = title;
    book.author = author;
    book.format = format;
    book.timeAdded = timeAdded;
    return book;
}

// A connection of the test's own on the library file, to look at stored
// values and to build old or odd files the way another program version
// would have left them.
class RawDatabase
{
public:
    explicit RawDatabase(const QString &path)
        : m_name(QStringLiteral("raw-%1").arg(++s_serial))
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
        db.setDatabaseName(path);
        db.open();
    }

    ~RawDatabase() { QSqlDatabase::removeDatabase(m_name); }

    bool exec(const QString &sql)
    {
        QSqlQuery query(QSqlDatabase::database(m_name));
        if (!query.exec(sql)) {
            qWarning() << sql << query.lastError().text();
            return false;
        }
        return true;
    }

    QVariant value(const QString &sql)
    {
        QSqlQuery query(QSqlDatabase::database(m_name));
        if (!query.exec(sql) || !query.next())
            return QVariant();
        return query.value(0);
    }

    QStringList column(const QString &sql)
    {
        QSqlQuery query(QSqlDatabase::database(m_name));
        QStringList values;
        if (query.exec(sql)) {
            while (query.next())
                values.append(query.value(0).toString());
        }
        return values;
    }

private:
    static int s_serial;
    QString m_name;
};

int RawDatabase::s_serial = 0;

} // namespace

class TestBookProvider : public QObject
{
    Q_OBJECT

private:
    BookProvider *provider() { return BookProvider::instance(); }

    // Every test gets a library of its own: a fresh home, hence a fresh data
    // folder and database file.
    void switchHome()
    {
        if (m_home)
            m_home->setAutoRemove(!QTest::currentTestFailed());
        m_home.reset(new QTemporaryDir(QDir::tempPath() + QStringLiteral("/home-XXXXXX")));
        qputenv("HOME", QFile::encodeName(m_home->path()));
    }

    QString databaseFile() const
    {
        return m_home->path() + QStringLiteral("/.vellumin/data/davurazo.sqlite3");
    }

    QStringList columnsOfBooks()
    {
        RawDatabase raw(databaseFile());
        return raw.column(QStringLiteral("select name from pragma_table_info('books')"));
    }

    int liveRows(const QString &path)
    {
        RawDatabase raw(databaseFile());
        return raw.value(QStringLiteral("select count(*) from books where full_path='%1' and "
                                        "is_deleted = 0")
                                 .arg(BookProvider::encodeText(path)))
                .toInt();
    }

    std::unique_ptr<QTemporaryDir> m_home;

private slots:
    void initTestCase() { QCoreApplication::setApplicationName(QStringLiteral("vellumin")); }

    void init()
    {
        switchHome();
        QVERIFY2(provider()->createConnection(), qPrintable(provider()->lastError()));
    }

    void cleanupTestCase()
    {
        if (m_home)
            m_home->setAutoRemove(!QTest::currentTestFailed());
    }

    // ---- schema ----

    void createsFileTablesAndTriggers()
    {
        QVERIFY(QFile::exists(databaseFile()));
        QCOMPARE(provider()->databasePath(), QDir::toNativeSeparators(databaseFile()));
        QCOMPARE(provider()->connectionErrorTitle(), QString());

        RawDatabase raw(databaseFile());
        QCOMPARE(raw.column(QStringLiteral(
                         "select name from sqlite_master where type='table' order by name")),
                 QStringList({ "book_folder_binder", "book_metadata", "bookmarks", "books",
                               "folders" }));
        QCOMPARE(raw.column(QStringLiteral(
                         "select name from sqlite_master where type='trigger' order by name")),
                 QStringList({ "books_unique_path_insert", "books_unique_path_update",
                               "delete_book_bookmarks", "delete_book_folder_bind_books",
                               "delete_book_folder_bind_folders", "delete_book_metadata" }));
        // Besides the automatic indexes of the keys and of the unique title,
        // the one of the book paths.
        QCOMPARE(raw.column(QStringLiteral("select name from sqlite_master where type='index' and "
                                           "sql is not null")),
                 QStringList { QStringLiteral("books_full_path") });
        QCOMPARE(columnsOfBooks(),
                 QStringList({ "id", "cover", "full_path", "author", "title", "format",
                               "time_added", "time_last_view", "position", "max_position",
                               "is_favorite", "is_deleted", "notes_count", "book_hash" }));
        QCOMPARE(raw.value(QStringLiteral("PRAGMA journal_mode")).toString(),
                 QStringLiteral("wal"));
    }

    void reopeningKeepsRows()
    {
        const int id = provider()->addBook(makeBook(QStringLiteral("/b/kept.epub")));
        QVERIFY(id > 0);
        QVERIFY(provider()->createConnection());
        QCOMPARE(provider()->findBookById(id).fullPath, QStringLiteral("/b/kept.epub"));
    }

    void migratesOldBooksTable_data()
    {
        QTest::addColumn<QString>("extraColumns");
        QTest::addColumn<QStringList>("lastColumns");
        QTest::newRow("neither") << "" << QStringList({ "is_deleted", "notes_count", "book_hash" });
        QTest::newRow("notes_count only")
                << ",notes_count INTEGER"
                << QStringList({ "is_deleted", "notes_count", "book_hash" });
        QTest::newRow("book_hash only")
                << ",book_hash TEXT" << QStringList({ "is_deleted", "book_hash", "notes_count" });
        QTest::newRow("both") << ",notes_count INTEGER,book_hash TEXT"
                              << QStringList({ "is_deleted", "notes_count", "book_hash" });
        // Column names are not case sensitive in SQLite: this is notes_count.
        QTest::newRow("other case") << ",Notes_Count INTEGER"
                                    << QStringList({ "is_deleted", "Notes_Count", "book_hash" });
    }

    void migratesOldBooksTable()
    {
        QFETCH(QString, extraColumns);
        QFETCH(QStringList, lastColumns);

        switchHome();
        QDir().mkpath(QFileInfo(databaseFile()).path());
        {
            RawDatabase raw(databaseFile());
            QVERIFY(raw.exec(
                    QStringLiteral("create table books (id INTEGER primary key,cover "
                                   "TEXT,full_path TEXT,author TEXT,title TEXT,format "
                                   "INTEGER,time_added INTEGER,time_last_view INTEGER,position "
                                   "INTEGER,max_position INTEGER,is_favorite INTEGER,is_deleted "
                                   "INTEGER%1)")
                            .arg(extraColumns)));
            QVERIFY(raw.exec(QStringLiteral(
                    "insert into books (id, full_path, author, title, format, time_added, "
                    "is_favorite, is_deleted) values (7, 'L29sZC5mYjI=', 'Old', 'Kept', 2, 5, 1, "
                    "0)")));
        }

        QVERIFY2(provider()->createConnection(), qPrintable(provider()->lastError()));
        QCOMPARE(columnsOfBooks().mid(11), lastColumns);

        const BookDto book = provider()->findBookById(7);
        QCOMPARE(book.fullPath, QStringLiteral("/old.fb2"));
        QCOMPARE(book.title, QStringLiteral("Kept"));
        QCOMPARE(book.isFavorite, 1);
        QCOMPARE(book.notesCount, 0);
        QVERIFY(book.bookHash.isNull());

        // The tables that did not exist yet are made too.
        QVERIFY(provider()->addCategory(QStringLiteral("After migration"), 0) > 0);
        QVERIFY(provider()->createBookmark(7, 1, 2, QStringLiteral("mark")));
    }

    // A library from before may hold one path in two rows: they stay, the
    // library opens, and no third row joins them.
    void migratesLibraryWithDuplicatePaths()
    {
        switchHome();
        QDir().mkpath(QFileInfo(databaseFile()).path());
        {
            RawDatabase raw(databaseFile());
            QVERIFY(raw.exec(QStringLiteral(
                    "create table books (id INTEGER primary key,cover TEXT,full_path TEXT,author "
                    "TEXT,title TEXT,format INTEGER,time_added INTEGER,time_last_view INTEGER,"
                    "position INTEGER,max_position INTEGER,is_favorite INTEGER,is_deleted INTEGER,"
                    "notes_count INTEGER,book_hash TEXT)")));
            for (int id : { 3, 4 }) {
                QVERIFY(raw.exec(QStringLiteral("insert into books (id, full_path, title, "
                                                "is_deleted) values (%1, 'L29sZC5mYjI=', 'Twice', "
                                                "0)")
                                         .arg(id)));
            }
        }
        QVERIFY2(provider()->createConnection(), qPrintable(provider()->lastError()));
        QCOMPARE(provider()->bookCountAll(), 2);
        bool alreadyThere = false;
        QCOMPARE(provider()->addBook(makeBook(QStringLiteral("/old.fb2")), &alreadyThere), -1);
        QVERIFY(alreadyThere);
        QCOMPARE(provider()->bookCountAll(), 2);
        // The rows that were there still take every change but a clash.
        QVERIFY(provider()->setReadingPosition(4, 10, 50));
        BookDto book = provider()->findBookById(3);
        book.title = QStringLiteral("Renamed");
        QVERIFY(provider()->updateBook(book));
        QCOMPARE(provider()->findBookById(3).title, QStringLiteral("Renamed"));
    }

    void reportsUnusableFile_data()
    {
        QTest::addColumn<bool>("directory");
        QTest::newRow("not a database") << false;
        QTest::newRow("a folder in its place") << true;
    }

    void reportsUnusableFile()
    {
        QFETCH(bool, directory);
        switchHome();
        QDir().mkpath(QFileInfo(databaseFile()).path());
        QByteArray garbage;
        if (directory) {
            QVERIFY(QDir().mkpath(databaseFile()));
        } else {
            garbage = QByteArray("This is not an SQLite file, but someone's notes.\n")
                              .repeated(100);
            QFile file(databaseFile());
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(garbage);
        }

        QVERIFY(!provider()->createConnection());
        QVERIFY(!provider()->lastError().isEmpty());
        QVERIFY(!provider()->connectionErrorTitle().isEmpty());

        // Later calls fail on their own; nothing is written over the file.
        QCOMPARE(provider()->addBook(makeBook(QStringLiteral("/x.epub"))), -1);
        QVERIFY(provider()->allBooks().isEmpty());
        QCOMPARE(provider()->findBookById(1).id, -1);
        if (!directory) {
            QFile file(databaseFile());
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), garbage);
        }
    }

    void triggersRemoveDependentRows()
    {
        const int first = provider()->addBook(makeBook(QStringLiteral("/a.epub")));
        const int second = provider()->addBook(makeBook(QStringLiteral("/b.epub")));
        const int folder = provider()->addCategory(QStringLiteral("Shelf"), 0);
        QVERIFY(provider()->addBookToCategory(first, folder));
        QVERIFY(provider()->addBookToCategory(second, folder));
        QVERIFY(provider()->createBookmark(first, 10, 5, QStringLiteral("one")));
        QVERIFY(provider()->setMetaData(first, 6, QStringLiteral("description")));

        QVERIFY(provider()->deleteFromLibrary(first));
        QVERIFY(provider()->bookmarksOfBook(first).isEmpty());
        QVERIFY(provider()->getMetaData(first, 6).isNull());
        QCOMPARE(provider()->categoryOfBook(first), 0);
        QCOMPARE(provider()->categoryOfBook(second), folder);

        QVERIFY(provider()->removeCategory(folder));
        QCOMPARE(provider()->categoryOfBook(second), 0);
        QCOMPARE(provider()->findBookById(second).id, second);
    }

    // ---- stored forms and the record ----

    void defaultRecord()
    {
        const BookDto book;
        QCOMPARE(book.id, -1);
        for (const QString &text : { book.cover, book.fullPath, book.author, book.title }) {
            QVERIFY(!text.isNull());
            QVERIFY(text.isEmpty());
        }
        QVERIFY(book.bookHash.isNull());
        QVERIFY(book.folderTitle.isNull());
    }

    void encodesPaths_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("stored");
        QTest::newRow("ascii") << "/books/a.epub"
                               << "L2Jvb2tzL2EuZXB1Yg==";
        QTest::newRow("non-ascii")
                << QStringLiteral("/книги/Война и мир.fb2")
                << QString::fromLatin1(
                           QStringLiteral("/книги/Война и мир.fb2").toUtf8().toBase64());
        QTest::newRow("empty") << ""
                               << "";
    }

    void encodesPaths()
    {
        QFETCH(QString, path);
        QFETCH(QString, stored);
        QCOMPARE(BookProvider::encodeText(path), stored);

        BookDto book = makeBook(path);
        book.cover = path;
        const int id = provider()->addBook(book);
        QVERIFY(id > 0);
        RawDatabase raw(databaseFile());
        const QVariant value
                = raw.value(QStringLiteral("select full_path from books where id=%1").arg(id));
        QVERIFY(!value.isNull());
        QCOMPARE(value.toString(), stored);

        const BookDto read = provider()->findBookById(id);
        QCOMPARE(read.fullPath, path);
        QCOMPARE(read.cover, path);
        QVERIFY(!read.fullPath.isNull());
        if (!path.isEmpty())
            QCOMPARE(provider()->findBookByPath(path).id, id);
    }

    void nullColumnsReadAsDefaults()
    {
        {
            RawDatabase raw(databaseFile());
            QVERIFY(raw.exec(QStringLiteral("insert into books (id) values (3)")));
        }
        const BookDto book = provider()->findBookById(3);
        QCOMPARE(book.id, 3);
        QCOMPARE(book.fullPath, QString(QLatin1String("")));
        QVERIFY(!book.fullPath.isNull());
        QVERIFY(!book.cover.isNull());
        QCOMPARE(book.notesCount, 0);
        QCOMPARE(book.timeLastView, 0u);
        QVERIFY(book.bookHash.isNull());
    }

    void storesEveryColumn()
    {
        BookDto book
                = makeBook(QStringLiteral("/a/O'Brien \"quoted\"; drop table books;.epub"),
                           QStringLiteral("It's; --"), QStringLiteral("O'Brien"), 3, 4000000000u);
        book.cover = QStringLiteral("/covers/c.png");
        book.timeLastView = 4000000001u; // past 2038: stored unsigned
        book.position = 12;
        book.maxPosition = 55;
        book.isFavorite = 1;
        book.notesCount = 4;
        book.bookHash = QStringLiteral("abc%3D");
        const int id = provider()->addBook(book);
        QVERIFY(id > 0);

        const BookDto read = provider()->findBookById(id);
        QCOMPARE(read.cover, book.cover);
        QCOMPARE(read.fullPath, book.fullPath);
        QCOMPARE(read.title, book.title);
        QCOMPARE(read.author, book.author);
        QCOMPARE(read.format, 3);
        QCOMPARE(read.timeAdded, 4000000000u);
        QCOMPARE(read.timeLastView, 4000000001u);
        QCOMPARE(read.position, 12);
        QCOMPARE(read.maxPosition, 55);
        QCOMPARE(read.isFavorite, 1);
        QCOMPARE(read.isDeleted, 0);
        QCOMPARE(read.notesCount, 4);
        QCOMPARE(read.bookHash, book.bookHash);
        QVERIFY(read.metadata.isEmpty());

        BookDto changed = read;
        changed.title = QStringLiteral("New");
        changed.isDeleted = 1;
        QVERIFY(provider()->updateBook(changed));
        QCOMPARE(provider()->findBookById(id).title, QStringLiteral("New"));
        QCOMPARE(provider()->findBookById(id).isDeleted, 1);
    }

    // ---- adding ----

    void addBookStoresMetadataInOneTransaction()
    {
        BookDto book = makeBook(QStringLiteral("/m.epub"));
        book.metadata = { { 0, QStringLiteral("urn:1") },
                          { 2, QStringLiteral("Writer") },
                          { 6, QStringLiteral("About it") } };
        const int id = provider()->addBook(book);
        QVERIFY(id > 0);
        RawDatabase raw(databaseFile());
        QCOMPARE(raw.value(QStringLiteral("select count(*) from book_metadata where book_id=%1")
                                   .arg(id))
                         .toInt(),
                 3);
        QCOMPARE(provider()->getMetaData(id, 6), QStringLiteral("About it"));

        // A metadata row that cannot be stored takes the whole book with it.
        QVERIFY(raw.exec(QStringLiteral(
                "CREATE TRIGGER refuse BEFORE INSERT ON book_metadata WHEN new.meta_value = "
                "'refused' BEGIN SELECT RAISE(ABORT, 'refused by test'); END;")));
        BookDto refused = makeBook(QStringLiteral("/refused.epub"));
        refused.metadata = { { 1, QStringLiteral("fine") }, { 6, QStringLiteral("refused") } };
        QCOMPARE(provider()->addBook(refused), -1);
        QVERIFY(provider()->lastError().contains(QStringLiteral("refused by test")));
        QCOMPARE(provider()->bookCountAll(), 1);
        QCOMPARE(raw.value(QStringLiteral("select count(*) from book_metadata")).toInt(), 3);
        QCOMPARE(provider()->findBookByPath(QStringLiteral("/refused.epub")).id, -1);
    }

    // ---- narrow updates ----

    void narrowUpdatesLeaveOtherColumns()
    {
        BookDto book = makeBook(QStringLiteral("/n.epub"), QStringLiteral("Old title"),
                                QStringLiteral("Old author"));
        const int id = provider()->addBook(book);
        const BookDto stale = provider()->findBookById(id);
        // Meanwhile the library moves it to the trash and marks it favourite.
        QVERIFY(provider()->setFavorite(id, 1));
        QVERIFY(provider()->setDeleted(id, 1));

        QVERIFY(provider()->setReadingPosition(id, 321, 42));
        QVERIFY(provider()->setTitleAndAuthor(id, QStringLiteral("New title"),
                                              QStringLiteral("New author")));
        QVERIFY(provider()->setTimeLastView(id, 4000000000u));
        QVERIFY(provider()->setBookHash(id, QStringLiteral("hash")));
        QVERIFY(provider()->setNotesCount(id, 9));

        const BookDto read = provider()->findBookById(id);
        QCOMPARE(read.position, 321);
        QCOMPARE(read.maxPosition, 42);
        // Progress stays within 0 to 100, whatever a reader counted.
        QVERIFY(provider()->setReadingPosition(id, 321, 114));
        QCOMPARE(provider()->findBookById(id).maxPosition, 100);
        QVERIFY(provider()->setReadingPosition(id, 321, -3));
        QCOMPARE(provider()->findBookById(id).maxPosition, 0);
        QVERIFY(provider()->setReadingPosition(id, 321, 42));
        QCOMPARE(read.title, QStringLiteral("New title"));
        QCOMPARE(read.author, QStringLiteral("New author"));
        QCOMPARE(read.timeLastView, 4000000000u);
        QCOMPARE(read.bookHash, QStringLiteral("hash"));
        QCOMPARE(read.notesCount, 9);
        QCOMPARE(read.isFavorite, 1);
        QCOMPARE(read.isDeleted, 1);
        QCOMPARE(read.fullPath, stale.fullPath);
    }

    // ---- finding and listing ----

    void onePathOneBook()
    {
        const QString path = QStringLiteral("/once/book.epub");
        bool alreadyThere = true;
        const int id = provider()->addBook(makeBook(path), &alreadyThere);
        QVERIFY(id > 0);
        QVERIFY(!alreadyThere);
        QCOMPARE(provider()->addBook(makeBook(path, QStringLiteral("Again")), &alreadyThere), -1);
        QVERIFY(alreadyThere);
        QCOMPARE(provider()->addBook(makeBook(path)), -1);
        QCOMPARE(liveRows(path), 1);

        // Nor can another row take the path, through this layer or past it.
        const int other = provider()->addBook(makeBook(QStringLiteral("/once/other.epub")));
        BookDto moved = provider()->findBookById(other);
        moved.fullPath = path;
        QVERIFY(!provider()->updateBook(moved));
        RawDatabase raw(databaseFile());
        QVERIFY(!raw.exec(QStringLiteral("insert into books (full_path, is_deleted) values "
                                         "('%1', 0)")
                                  .arg(BookProvider::encodeText(path))));

        // A book in the trash does not hold its path.
        QVERIFY(provider()->setDeleted(id, 1));
        QVERIFY(provider()->addBook(makeBook(path)) > 0);
    }

    // Two windows or programs adding one file at once.
    void concurrentAddsStoreOneRow()
    {
        const QString path = QStringLiteral("/race/book.epub");
        constexpr int Threads = 6;
        std::atomic<int> stored { 0 };
        std::atomic<int> refused { 0 };
        std::atomic<int> ready { 0 };
        QList<QThread *> threads;
        for (int t = 0; t < Threads; ++t) {
            threads.append(QThread::create([&] {
                ++ready;
                while (ready.load() < Threads)
                    QThread::yieldCurrentThread();
                bool alreadyThere = false;
                if (provider()->addBook(makeBook(path), &alreadyThere) > 0)
                    ++stored;
                else if (alreadyThere)
                    ++refused;
            }));
        }
        for (QThread *thread : threads)
            thread->start();
        for (QThread *thread : threads) {
            thread->wait();
            delete thread;
        }
        QCOMPARE(stored.load(), 1);
        QCOMPARE(refused.load(), Threads - 1);
        QCOMPARE(liveRows(path), 1);
    }

    void findBookByPathSkipsTrash()
    {
        const int id = provider()->addBook(makeBook(QStringLiteral("/t.epub")));
        QCOMPARE(provider()->findBookByPath(QStringLiteral("/t.epub")).id, id);
        QCOMPARE(provider()->findBookByPath(QStringLiteral("/T.epub")).id, -1);
        QVERIFY(provider()->setDeleted(id, 1));
        QCOMPARE(provider()->findBookByPath(QStringLiteral("/t.epub")).id, -1);
        QCOMPARE(provider()->findBookById(id).id, id);
        QCOMPARE(provider()->findBookById(id + 100).id, -1);
    }

    void lastAdded_data()
    {
        QTest::addColumn<int>("books");
        QTest::addColumn<int>("listed");
        QTest::newRow("30 books") << 30 << 8;
        QTest::newRow("5 books") << 5 << 5;
    }

    void lastAdded()
    {
        QFETCH(int, books);
        QFETCH(int, listed);
        for (int i = 0; i < books; ++i)
            provider()->addBook(makeBook(QStringLiteral("/l%1.epub").arg(i), QString::number(i),
                                         QString(), 0, 1000 + uint(i)));
        const QList<BookDto> last = provider()->lastAddedBooks();
        QCOMPARE(last.size(), listed);
        QCOMPARE(last.first().title, QString::number(books - 1));
        for (int i = 1; i < last.size(); ++i)
            QVERIFY(last[i - 1].timeAdded > last[i].timeAdded);
        QCOMPARE(provider()->libraryStatistics().lastAddedCount, listed);
        QCOMPARE(provider()->allBooks().first().title, QString::number(books - 1));
    }

    void recentlyRead()
    {
        const uint day = 86400;
        const int old = provider()->addBook(makeBook(QStringLiteral("/old.epub")));
        QVERIFY(provider()->setTimeLastView(old, now() - 61 * day));
        provider()->addBook(makeBook(QStringLiteral("/never.epub")));
        QCOMPARE(provider()->recentlyReadBooks().size(), 0);
        QCOMPARE(provider()->lastReadBook().id, -1);

        int newest = -1;
        for (int i = 0; i < 25; ++i) {
            newest = provider()->addBook(makeBook(QStringLiteral("/r%1.epub").arg(i)));
            QVERIFY(provider()->setTimeLastView(newest, now() - 50 * day + uint(i) * 3600));
        }
        const QList<BookDto> recent = provider()->recentlyReadBooks();
        QCOMPARE(recent.size(), 20);
        QCOMPARE(recent.first().id, newest);
        for (const BookDto &book : recent)
            QVERIFY(book.id != old);
        QCOMPARE(provider()->libraryStatistics().recentlyReadCount, 20);
        QCOMPARE(provider()->lastReadBook().id, newest);

        QVERIFY(provider()->setDeleted(newest, 1));
        QVERIFY(provider()->lastReadBook().id != newest);
    }

    void searchBooks()
    {
        provider()->addBook(makeBook(QStringLiteral("/1.epub"), QStringLiteral("War and Peace"),
                                     QStringLiteral("Tolstoy")));
        const int trashed = provider()->addBook(makeBook(
                QStringLiteral("/2.epub"), QStringLiteral("100% Pure"), QStringLiteral("Zed")));
        provider()->addBook(makeBook(QStringLiteral("/3.epub"), QStringLiteral("O'Neil's tale"),
                                     QStringLiteral("Nobody")));
        QVERIFY(provider()->setDeleted(trashed, 1));

        QCOMPARE(provider()->searchBooks(QStringLiteral("tolSTOY")).size(), 1);
        QCOMPARE(provider()->searchBooks(QStringLiteral("PEACE")).size(), 1);
        // The trash is searched too.
        QCOMPARE(provider()->searchBooks(QStringLiteral("pure")).size(), 1);
        QCOMPARE(provider()->searchBooks(QStringLiteral("O'Neil")).size(), 1);
        // "_" and "%" are wildcards.
        QCOMPARE(provider()->searchBooks(QStringLiteral("W_r")).size(), 1);
        QCOMPARE(provider()->searchBooks(QStringLiteral("%")).size(), 3);
        QCOMPARE(provider()->searchBooks(QStringLiteral("nothing like it")).size(), 0);
    }

    void listingsAndCounts()
    {
        const int epub = provider()->addBook(makeBook(
                QStringLiteral("/1.epub"), QStringLiteral("A"), QStringLiteral("x"), 0, 10));
        const int pdf = provider()->addBook(makeBook(QStringLiteral("/2.pdf"), QStringLiteral("B"),
                                                     QStringLiteral("x"), 3, 20));
        const int trashed = provider()->addBook(makeBook(
                QStringLiteral("/3.pdf"), QStringLiteral("C"), QStringLiteral("x"), 3, 30));
        QVERIFY(provider()->setFavorite(pdf, 1));
        QVERIFY(provider()->setFavorite(trashed, 1));
        QVERIFY(provider()->setDeleted(trashed, 1));
        QVERIFY(provider()->setBookHash(epub, QStringLiteral("h")));
        const int folder = provider()->addCategory(QStringLiteral("Shelf"), 0);
        QVERIFY(provider()->addBookToCategory(epub, folder));

        QCOMPARE(provider()->allBooks().size(), 2);
        QCOMPARE(provider()->deletedBooks().size(), 1);
        QCOMPARE(provider()->favoriteBooks().size(), 1);
        QCOMPARE(provider()->booksByFormat(3).size(), 1);
        QCOMPARE(provider()->bookCount(), 2);
        QCOMPARE(provider()->bookCountAll(), 3);
        QCOMPARE(provider()->bookCountByFormat(3), 1);
        QCOMPARE(provider()->bookCountByFormat(7), 0);

        const QList<BookDto> inCategory = provider()->booksInCategory(folder);
        QCOMPARE(inCategory.size(), 1);
        QCOMPARE(inCategory.first().id, epub);
        QCOMPARE(inCategory.first().notesCount, 0);
        QVERIFY(inCategory.first().bookHash.isNull());

        const QList<BookDto> withFolder = provider()->allBooksWithFolder();
        QCOMPARE(withFolder.size(), 2);
        for (const BookDto &book : withFolder) {
            if (book.id == epub) {
                QCOMPARE(book.folderTitle, QStringLiteral("Shelf"));
                QCOMPARE(book.bookHash, QStringLiteral("h"));
            } else {
                QVERIFY(book.folderTitle.isNull());
            }
        }

        const LibraryStatistics statistics = provider()->libraryStatistics();
        QCOMPARE(statistics.allCount, 2);
        QCOMPARE(statistics.lastAddedCount, 2);
        QCOMPARE(statistics.recentlyReadCount, 0);
        QCOMPARE(statistics.favoritesCount, 1);
        QCOMPARE(statistics.deletedCount, 1);
    }

    // ---- trash and deletion ----

    void clearLibraryAndRestore()
    {
        const int before = provider()->addBook(makeBook(QStringLiteral("/1.epub")));
        provider()->addBook(makeBook(QStringLiteral("/2.epub")));
        QVERIFY(provider()->setDeleted(before, 1));
        QVERIFY(provider()->clearLibrary());
        QCOMPARE(provider()->bookCountAll(), 2);
        QCOMPARE(provider()->deletedBooks().size(), 2);
        QVERIFY(provider()->restoreAllFromTrash());
        QCOMPARE(provider()->allBooks().size(), 2);
    }

    void deleteFromLibraryRemovesStorageFolder()
    {
        const QString path = QStringLiteral("/books/one.fb2");
        const int id = provider()->addBook(makeBook(path));
        const QString folder = Paths::bookPath(path);
        QFile cover(folder + QStringLiteral("/cover.png"));
        QVERIFY(cover.open(QIODevice::WriteOnly));
        cover.close();

        QVERIFY(provider()->deleteFromLibrary(id));
        QCOMPARE(provider()->findBookById(id).id, -1);
        QVERIFY(!QFileInfo::exists(folder));

        // A missing book succeeds and touches nothing.
        QVERIFY(provider()->deleteFromLibrary(12345));
    }

    void storageFolderKeptWhileAnotherRowUsesIt()
    {
        // The book was trashed and then added again from the same file.
        const QString path = QStringLiteral("/books/shared.epub");
        const int trashed = provider()->addBook(makeBook(path));
        QVERIFY(provider()->setDeleted(trashed, 1));
        const int again = provider()->addBook(makeBook(path));
        const QString folder = Paths::bookPath(path);

        QVERIFY(provider()->deleteFromLibrary(trashed));
        QVERIFY(QFileInfo(folder).isDir());

        QVERIFY(provider()->setDeleted(again, 1));
        const int third = provider()->addBook(makeBook(path));
        QVERIFY(provider()->clearTrash());
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(provider()->findBookById(third).id, third);

        QVERIFY(provider()->deleteFromLibrary(third));
        QVERIFY(!QFileInfo::exists(folder));
    }

    void clearTrash()
    {
        QVERIFY(provider()->clearTrash());

        const int first = provider()->addBook(makeBook(QStringLiteral("/t/1.epub")));
        const int second = provider()->addBook(makeBook(QStringLiteral("/t/2.epub")));
        const int kept = provider()->addBook(makeBook(QStringLiteral("/t/3.epub")));
        const QString firstFolder = Paths::bookPath(QStringLiteral("/t/1.epub"));
        const QString keptFolder = Paths::bookPath(QStringLiteral("/t/3.epub"));
        QVERIFY(provider()->createBookmark(first, 1, 1, QStringLiteral("b")));
        QVERIFY(provider()->setDeleted(first, 1));
        QVERIFY(provider()->setDeleted(second, 1));
        QCOMPARE(provider()->pathsByDeletedState(), QStringList({ "/t/1.epub", "/t/2.epub" }));

        QVERIFY(provider()->clearTrash());
        QCOMPARE(provider()->bookCountAll(), 1);
        QVERIFY(provider()->bookmarksOfBook(first).isEmpty());
        QVERIFY(!QFileInfo::exists(firstFolder));
        QVERIFY(QFileInfo(keptFolder).isDir());
        QCOMPARE(provider()->findBookById(kept).id, kept);
    }

    // ---- categories ----

    void categories()
    {
        const int a = provider()->addCategory(QStringLiteral("B shelf"), 0);
        const int b = provider()->addCategory(QStringLiteral("A shelf"), a);
        QVERIFY(a > 0 && b > 0);
        QCOMPARE(provider()->addCategory(QStringLiteral("A shelf"), 0), -1);
        QVERIFY(provider()->lastError().contains(QStringLiteral("UNIQUE"), Qt::CaseInsensitive));

        const int book = provider()->addBook(makeBook(QStringLiteral("/c1.epub")));
        const int trashed = provider()->addBook(makeBook(QStringLiteral("/c2.epub")));
        QCOMPARE(provider()->categoryOfBook(book), 0);
        QVERIFY(provider()->addBookToCategory(book, a));
        QVERIFY(provider()->addBookToCategory(book, b));
        QCOMPARE(provider()->categoryOfBook(book), b);
        QCOMPARE(provider()->findCategory(a).bookCount, 0);

        QVERIFY(provider()->addBookToCategory(trashed, b));
        QVERIFY(provider()->setDeleted(trashed, 1));
        const QList<CategoryDto> all = provider()->allCategories();
        QCOMPARE(all.size(), 2);
        QCOMPARE(all[0].title, QStringLiteral("A shelf"));
        QCOMPARE(all[0].parentId, a);
        QCOMPARE(all[0].bookCount, 1);
        QCOMPARE(provider()->findCategory(b).bookCount, 2);
        QCOMPARE(provider()->findCategory(999).id, 0);
        QVERIFY(provider()->findCategory(999).title.isNull());

        // Removing from another category deletes nothing.
        QVERIFY(provider()->removeBookFromCategory(book, a));
        QCOMPARE(provider()->categoryOfBook(book), b);
        QVERIFY(provider()->removeBookFromCategory(book, b));
        QCOMPARE(provider()->categoryOfBook(book), 0);

        QVERIFY(provider()->renameCategory(a, QStringLiteral("C shelf")));
        QCOMPARE(provider()->findCategory(a).title, QStringLiteral("C shelf"));
        QVERIFY(!provider()->renameCategory(a, QStringLiteral("A shelf")));
        QVERIFY(!provider()->renameCategory(a, QString()));
        QVERIFY(!provider()->renameCategory(0, QStringLiteral("Zero")));
    }

    // ---- bookmarks and metadata ----

    void bookmarks()
    {
        const int id = provider()->addBook(makeBook(QStringLiteral("/bm.epub")));
        const uint before = now();
        QVERIFY(provider()->createBookmark(id, 120, 35, QStringLiteral("Chapter 2")));
        BookmarkDto other;
        other.bookId = id;
        other.position = 1.5f;
        other.progress = 0.25f;
        QVERIFY(provider()->addBookmark(other));

        QList<BookmarkDto> marks = provider()->bookmarksOfBook(id);
        QCOMPARE(marks.size(), 2);
        QCOMPARE(marks[0].title, QStringLiteral("Chapter 2"));
        QCOMPARE(marks[0].position, 120.0f);
        QCOMPARE(marks[0].progress, 35.0f);
        QVERIFY(marks[0].timeAdded >= before);
        QCOMPARE(marks[1].position, 1.5f);
        RawDatabase raw(databaseFile());
        QCOMPARE(raw.value(QStringLiteral("select typeof(position) from bookmarks limit 1"))
                         .toString(),
                 QStringLiteral("real"));

        QVERIFY(provider()->removeBookmark(marks[0].id));
        QCOMPARE(provider()->bookmarksOfBook(id).size(), 1);
        QVERIFY(provider()->removeBookmarks(id));
        QVERIFY(provider()->bookmarksOfBook(id).isEmpty());
    }

    void metadata()
    {
        const int id = provider()->addBook(makeBook(QStringLiteral("/md.epub")));
        QVERIFY(provider()->getMetaData(id, 6).isNull());
        QVERIFY(provider()->setMetaData(id, 6, QStringLiteral("first")));
        QVERIFY(provider()->setMetaData(id, 6, QStringLiteral("second")));
        QVERIFY(provider()->setMetaData(id, 1, QStringLiteral("title")));
        QCOMPARE(provider()->getMetaData(id, 6), QStringLiteral("second"));
        RawDatabase raw(databaseFile());
        QCOMPARE(raw.value(QStringLiteral("select count(*) from book_metadata where meta_type=6"))
                         .toInt(),
                 1);
    }

    // ---- threads ----

    void workerAndGuiThreadAtOnce()
    {
        const int existing = provider()->addBook(makeBook(QStringLiteral("/gui.epub")));
        const int connectionsBefore = QSqlDatabase::connectionNames().size();
        const QString guiError = provider()->lastError();

        constexpr int Added = 150;
        std::atomic<int> failures { 0 };
        QString workerError;
        QThread *worker = QThread::create([&] {
            for (int i = 0; i < Added; ++i) {
                BookDto book = makeBook(QStringLiteral("/worker/%1.epub").arg(i));
                book.metadata = { { 1, QStringLiteral("t%1").arg(i) } };
                if (provider()->addBook(book) < 0)
                    ++failures;
                if (i % 10 == 0 && provider()->allCategories().isEmpty() == false)
                    ++failures;
            }
            // A failure on this thread is this thread's own.
            provider()->addCategory(QStringLiteral("Twice"), 0);
            provider()->addCategory(QStringLiteral("Twice"), 0);
            workerError = provider()->lastError();
        });
        worker->start();
        int reads = 0;
        while (!worker->isFinished()) {
            if (provider()->findBookById(existing).id != existing)
                ++failures;
            provider()->allBooks();
            provider()->libraryStatistics();
            if (!provider()->setReadingPosition(existing, reads, reads % 100))
                ++failures;
            ++reads;
        }
        worker->wait();
        delete worker;

        QCOMPARE(failures.load(), 0);
        QVERIFY(reads > 0);
        QCOMPARE(provider()->bookCountAll(), Added + 1);
        QCOMPARE(provider()->getMetaData(
                         provider()->findBookByPath(QStringLiteral("/worker/7.epub")).id, 1),
                 QStringLiteral("t7"));
        QVERIFY(workerError.contains(QStringLiteral("UNIQUE"), Qt::CaseInsensitive));
        QCOMPARE(provider()->lastError(), guiError);
        // The worker's connection went with its thread.
        QCOMPARE(QSqlDatabase::connectionNames().size(), connectionsBefore);
    }
};

VL_TEST_GUILESS_MAIN(TestBookProvider)
#include "tst_bookprovider.moc"
