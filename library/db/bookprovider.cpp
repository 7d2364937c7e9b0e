#include "library/db/bookprovider.h"

#include "core/logger.h"
#include "core/paths.h"

#include <QAtomicInteger>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QVariant>

namespace {

// How long a statement waits for another connection's write lock before it
// gives up with "database is locked". Adding a book is a few milliseconds,
// so this only runs out when something is truly stuck.
constexpr int BusyTimeoutMs = 5000;

constexpr int LastAddedLimit = 8;
constexpr uint RecentlyReadWindowSeconds = 5184000; // 60 days
constexpr int RecentlyReadLimit = 20;

uint now()
{
    return uint(QDateTime::currentSecsSinceEpoch());
}

uint recentlyReadThreshold()
{
    return now() - RecentlyReadWindowSeconds;
}

void logError(const QString &text)
{
    Logger::instance()->write(text, Logger::Error);
}

// The storage folder of a book file, without making it (Paths::bookPath
// would create the very folder that is about to be removed).
QString storageFolder(const QString &bookPath)
{
    return QDir(Paths::booksDir()).filePath(Paths::hashHex(bookPath));
}

// One statement on a connection. A connection that did not open and a
// statement that does not prepare or run all end up in error(), so callers
// have one failure path.
class Statement
{
public:
    Statement(const QSqlDatabase &db, const QString &sql)
        : m_query(db)
    {
        if (!db.isOpen()) {
            m_error = db.lastError().text().trimmed();
            if (m_error.isEmpty())
                m_error = QStringLiteral("The library database is not open");
            return;
        }
        // Rows are read once, front to back: no need to cache them.
        m_query.setForwardOnly(true);
        if (!m_query.prepare(sql))
            m_error = m_query.lastError().text();
    }

    void bind(const QString &name, const QVariant &value) { m_query.bindValue(name, value); }

    bool exec()
    {
        if (!m_error.isEmpty())
            return false;
        if (!m_query.exec()) {
            m_error = m_query.lastError().text();
            return false;
        }
        return true;
    }

    QSqlQuery &query() { return m_query; }
    QString error() const { return m_error; }

private:
    QSqlQuery m_query;
    QString m_error;
};

// An immediate transaction: it takes the write lock at once (waiting up to
// the busy time-out), so a later write inside it cannot fail on a lock that
// another connection took in between. Rolled back unless committed.
class Transaction
{
public:
    explicit Transaction(const QSqlDatabase &db)
        : m_db(db)
    {
        Statement begin(m_db, QStringLiteral("BEGIN IMMEDIATE"));
        m_active = begin.exec();
        m_error = begin.error();
    }

    ~Transaction()
    {
        if (m_active) {
            Statement rollback(m_db, QStringLiteral("ROLLBACK"));
            rollback.exec();
        }
    }

    bool isActive() const { return m_active; }
    QString error() const { return m_error; }

    bool commit()
    {
        Statement commit(m_db, QStringLiteral("COMMIT"));
        if (!commit.exec()) {
            m_error = commit.error();
            return false;
        }
        m_active = false;
        return true;
    }

private:
    Q_DISABLE_COPY_MOVE(Transaction)

    QSqlDatabase m_db;
    bool m_active = false;
    QString m_error;
};

QAtomicInteger<quint64> s_connectionSerial;

} // namespace

// The calling thread's share of the provider: its own connection and its
// own last error. Deleted, and the connection closed, when the thread ends.
struct BookProvider::ThreadConnection
{
    ~ThreadConnection() { close(); }

    void close()
    {
        if (name.isEmpty())
            return;
        // No QSqlDatabase handle of this connection outlives a provider
        // call, so removing it here does not pull it from under a query.
        QSqlDatabase::removeDatabase(name);
        name.clear();
        path.clear();
    }

    QString name;
    QString path;
    QString lastError;
};

BookProvider::BookProvider() = default;
BookProvider::~BookProvider() = default;

QString BookProvider::databaseFileName()
{
    static const QString name = QString::fromUtf8("davurazo.sqlite3");
    return name;
}

BookProvider *BookProvider::instance()
{
    static BookProvider provider;
    return &provider;
}

QString BookProvider::databasePath() const
{
    return Paths::dataDir() + QLatin1Char('/') + databaseFileName();
}

QString BookProvider::connectionErrorTitle() const
{
    QMutexLocker locker(&m_lock);
    return m_connectionErrorTitle;
}

QString BookProvider::lastError() const
{
    return m_connections.hasLocalData() ? m_connections.localData()->lastError : QString();
}

BookProvider::ThreadConnection &BookProvider::threadConnection() const
{
    if (!m_connections.hasLocalData())
        m_connections.setLocalData(new ThreadConnection);
    return *m_connections.localData();
}

void BookProvider::setLastError(const QString &text)
{
    threadConnection().lastError = text;
}

void BookProvider::reportError(const QString &error, const char *function,
                               const QString &logMessage)
{
    setLastError(error);
    if (function)
        qDebug() << function << "error:" << error;
    if (!logMessage.isEmpty())
        logError(logMessage.arg(error));
}

bool BookProvider::openConnection(ThreadConnection &connection, const QString &path)
{
    connection.close();
    connection.name = QStringLiteral("vellumin-library-%1").arg(++s_connectionSerial);
    connection.path = path;

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection.name);
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(BusyTimeoutMs));
    if (!db.open()) {
        setLastError(db.lastError().text());
        return false;
    }
    // SQLite opens any file lazily; the first statement is where a file that
    // is not a database shows itself. Write-ahead logging lets the GUI read
    // while a worker writes; with it, NORMAL synchronisation still never
    // corrupts the file and spares a disk flush per stored book.
    // Such a connection stays open: each later statement then fails with
    // the file's own error rather than a vague one.
    Statement wal(db, QStringLiteral("PRAGMA journal_mode=WAL"));
    if (!wal.exec()) {
        setLastError(wal.error());
        return false;
    }
    Statement synchronous(db, QStringLiteral("PRAGMA synchronous=NORMAL"));
    synchronous.exec();
    // 16 MiB of page cache holds a library of tens of thousands of books, so
    // switching between the library's selections stops re-reading the file.
    Statement cache(db, QStringLiteral("PRAGMA cache_size=-16384"));
    cache.exec();
    return true;
}

QSqlDatabase BookProvider::database()
{
    ThreadConnection &connection = threadConnection();
    QString path;
    {
        QMutexLocker locker(&m_lock);
        path = m_path;
    }
    if (path.isEmpty())
        path = databasePath();
    // A connection that failed to open is tried again on each call: the
    // cause (a full disk, a locked file) may have gone.
    if (connection.name.isEmpty() || connection.path != path
        || !QSqlDatabase::database(connection.name, false).isOpen())
        openConnection(connection, path);
    return QSqlDatabase::database(connection.name, false);
}

bool BookProvider::createConnection()
{
    const QString path = databasePath();
    qDebug() << "BookProvider::createConnection" << path;
    {
        QMutexLocker locker(&m_lock);
        m_path = path;
        m_connectionErrorTitle.clear();
    }

    ThreadConnection &connection = threadConnection();
    if (!openConnection(connection, path)) {
        const QString detail = lastError();
        logError(QStringLiteral("Cannot open the library database %1. Error:%2").arg(path, detail));
        setLastError(tr("Unable to connect to database") + QStringLiteral("\n") + path
                     + QStringLiteral("\n") + detail);
        QMutexLocker locker(&m_lock);
        m_connectionErrorTitle = tr("Failed to open database");
        return false;
    }
    QSqlDatabase db = QSqlDatabase::database(connection.name, false);
    return createSchema(db);
}

bool BookProvider::createSchema(QSqlDatabase &db)
{
    const auto fail = [this](const QString &message, const QString &title, const QString &error) {
        const QString text = message.arg(error);
        logError(text);
        setLastError(text);
        QMutexLocker locker(&m_lock);
        m_connectionErrorTitle = title;
        return false;
    };
    const auto run = [&db](const QString &sql, QString *error) {
        Statement statement(db, sql);
        const bool ok = statement.exec();
        *error = statement.error();
        return ok;
    };
    const QString creationFailed = tr("Creation table failed");
    QString error;

    if (!run(QStringLiteral("create table if not exists books (id INTEGER primary key,cover "
                            "TEXT,full_path TEXT,author TEXT,title TEXT,format INTEGER,time_added "
                            "INTEGER,time_last_view INTEGER,position INTEGER,max_position "
                            "INTEGER,is_favorite INTEGER,is_deleted INTEGER,notes_count INTEGER, "
                            "book_hash TEXT);"),
             &error))
        return fail(QStringLiteral("Cannot create books table. Error:%1"), creationFailed, error);

    // Older files lack the last two columns. SQLite names are not case
    // sensitive, so a column spelt in another case is the same column: adding
    // it again would fail and keep the library from opening at all.
    bool hasNotesCount = false;
    bool hasBookHash = false;
    {
        Statement info(db, QStringLiteral("PRAGMA table_info(books);"));
        if (!info.exec())
            return fail(QStringLiteral("Can't get books table info. Error:%1"),
                        tr("Checking table failed"), info.error());
        while (info.query().next()) {
            const QString column = info.query().value(1).toString();
            if (column.compare(QLatin1String("notes_count"), Qt::CaseInsensitive) == 0)
                hasNotesCount = true;
            else if (column.compare(QLatin1String("book_hash"), Qt::CaseInsensitive) == 0)
                hasBookHash = true;
        }
    }
    if (!hasNotesCount
        && !run(QStringLiteral("alter table books add column notes_count INTEGER;"), &error))
        return fail(QStringLiteral("Can't alter books table. Error:%1"),
                    tr("Altering table failed"), error);
    if (!hasBookHash
        && !run(QStringLiteral("alter table books add column book_hash TEXT;"), &error))
        return fail(QStringLiteral("Can't alter books table. Error:%1"),
                    tr("Altering table failed"), error);

    const struct
    {
        QString sql;
        QString message;
    } steps[] = {
        { QStringLiteral("create table if not exists bookmarks (id INTEGER primary key,book_id "
                         "INTEGER,title TEXT,position REAL,progress REAL,time_added INTEGER);"),
          QStringLiteral("Cannot create bookmarks table. Error:%1") },
        { QStringLiteral("create table if not exists folders (id INTEGER primary key,parent_id "
                         "INTEGER,title TEXT UNIQUE);"),
          QStringLiteral("Cannot create folders table. Error:%1") },
        { QStringLiteral(
                  "create table if not exists book_folder_binder(book_id INTEGER NOT "
                  "NULL,folder_id INTEGER NOT NULL,PRIMARY KEY(book_id),foreign key(book_id) "
                  "references books(id),foreign key(folder_id) references folders(id));"),
          QStringLiteral("Cannot create folder and book binder table. Error:%1") },
        { QStringLiteral("create table if not exists book_metadata ( id INTEGER PRIMARY KEY, "
                         "book_id INTEGER NOT NULL, meta_type INTEGER NOT NULL, meta_value TEXT);"),
          QStringLiteral("Cannot create metadata table. Error:%1") },
        { QStringLiteral("CREATE TRIGGER if not exists delete_book_folder_bind_books BEFORE DELETE "
                         "ON books BEGIN DELETE FROM book_folder_binder where book_id = old.id; "
                         "END;"),
          QStringLiteral("Cannot create folder and book trigger on delete (books). Error:%1") },
        { QStringLiteral("CREATE TRIGGER if not exists delete_book_folder_bind_folders BEFORE "
                         "DELETE ON folders BEGIN DELETE FROM book_folder_binder where folder_id = "
                         "old.id; END;"),
          QStringLiteral("Cannot create folder and book trigger on delete (folders). Error:%1") },
        { QStringLiteral(
                  "CREATE TRIGGER if not exists delete_book_bookmarks BEFORE DELETE ON books "
                  "BEGIN delete from bookmarks where book_id=old.id;END;"),
          QStringLiteral("Cannot create book and bookmarks trigger on delete. Error:%1") },
        { QStringLiteral("CREATE TRIGGER if not exists delete_book_metadata BEFORE DELETE ON books "
                         "BEGIN delete from book_metadata where book_id=old.id;END;"),
          QStringLiteral("Cannot create book and metadata trigger on delete. Error:%1") },
        // One book outside the trash per path. Kept by triggers rather than
        // a unique index: a library from before may hold a path twice, and
        // its rows stay; only a new row or a changed path is refused. The
        // trash may hold the path again (a book trashed and added anew).
        { QStringLiteral("CREATE INDEX if not exists books_full_path ON books(full_path);"),
          QStringLiteral("Cannot create the index of book paths. Error:%1") },
        { QStringLiteral("CREATE TRIGGER if not exists books_unique_path_insert BEFORE INSERT ON "
                         "books WHEN ifnull(new.is_deleted, 0) = 0 AND EXISTS (SELECT 1 FROM books "
                         "WHERE full_path = new.full_path AND ifnull(is_deleted, 0) = 0) BEGIN "
                         "SELECT RAISE(ABORT, 'UNIQUE constraint failed: books.full_path'); END;"),
          QStringLiteral("Cannot create the trigger of unique book paths. Error:%1") },
        { QStringLiteral("CREATE TRIGGER if not exists books_unique_path_update BEFORE UPDATE OF "
                         "full_path ON books WHEN new.full_path IS NOT old.full_path AND "
                         "ifnull(new.is_deleted, 0) = 0 AND EXISTS (SELECT 1 FROM books WHERE "
                         "full_path = new.full_path AND ifnull(is_deleted, 0) = 0 AND id <> "
                         "new.id) BEGIN SELECT RAISE(ABORT, 'UNIQUE constraint failed: "
                         "books.full_path'); END;"),
          QStringLiteral("Cannot create the trigger of unique book paths. Error:%1") },
    };
    for (const auto &step : steps) {
        if (!run(step.sql, &error))
            return fail(step.message, creationFailed, error);
    }
    return true;
}

// ---- stored forms ----

QString BookProvider::encodeText(const QString &text)
{
    if (text.isEmpty())
        return QLatin1String("");
    return QString::fromLatin1(text.toUtf8().toBase64());
}

QString BookProvider::decodeText(const QString &text)
{
    if (text.isEmpty())
        return QLatin1String("");
    // Base64 is plain ASCII, so Latin-1 gives the same bytes as UTF-8 with
    // less work; this runs twice for every row of every book listing.
    return QString::fromUtf8(QByteArray::fromBase64(text.toLatin1()));
}

void BookProvider::readBook(const QSqlQuery &query, BookDto &book)
{
    book.id = query.value(0).toInt();
    book.cover = decodeText(query.value(1).toString());
    book.fullPath = decodeText(query.value(2).toString());
    book.author = query.value(3).toString();
    book.title = query.value(4).toString();
    book.format = query.value(5).toInt();
    book.timeAdded = query.value(6).toUInt();
    book.timeLastView = query.value(7).toUInt();
    book.position = query.value(8).toInt();
    book.maxPosition = query.value(9).toInt();
    book.isFavorite = query.value(10).toInt();
    book.isDeleted = query.value(11).toInt();
    book.notesCount = query.value(12).toInt();
    // The category listing selects no hash: past its last column a query
    // gives an invalid value, hence a null text.
    book.bookHash = query.value(13).toString();
}

void BookProvider::readBookWithFolder(const QSqlQuery &query, BookDto &book)
{
    readBook(query, book);
    book.folderTitle = query.value(14).toString();
}

void BookProvider::readBookmark(const QSqlQuery &query, BookmarkDto &bookmark)
{
    bookmark.id = query.value(0).toInt();
    bookmark.bookId = query.value(1).toInt();
    bookmark.title = query.value(2).toString();
    bookmark.position = query.value(3).toFloat();
    bookmark.progress = query.value(4).toFloat();
    bookmark.timeAdded = query.value(5).toUInt();
}

void BookProvider::readCategory(const QSqlQuery &query, CategoryDto &category)
{
    category.id = query.value(0).toInt();
    category.parentId = query.value(1).toInt();
    category.title = query.value(2).toString();
    category.bookCount = query.value(3).toInt();
}

// ---- books ----

int BookProvider::addBook(const BookDto &book)
{
    return addBook(book, nullptr);
}

int BookProvider::addBook(const BookDto &book, bool *alreadyThere)
{
    if (alreadyThere)
        *alreadyThere = false;
    QSqlDatabase db = database();
    const auto fail = [this](const QString &error) {
        reportError(error, nullptr, QStringLiteral("Add book. Error db:%1"));
        return -1;
    };

    // The row and its metadata go in together or not at all: a book without
    // its metadata would look complete to every later look-up.
    Transaction transaction(db);
    if (!transaction.isActive())
        return fail(transaction.error());

    if (!book.isDeleted) {
        Statement existing(db, QStringLiteral("select id from books where full_path=:full_path "
                                              "AND is_deleted = 0 limit 1"));
        existing.bind(QStringLiteral(":full_path"), encodeText(book.fullPath));
        if (!existing.exec())
            return fail(existing.error());
        if (existing.query().next()) {
            Logger::instance()->write(QStringLiteral("Add book. Already in the library:%1")
                                              .arg(book.fullPath),
                                      Logger::Info);
            if (alreadyThere)
                *alreadyThere = true;
            return -1;
        }
    }

    Statement insert(db,
                     QStringLiteral("INSERT INTO books (cover, full_path, author, title, format, "
                                    "time_added, time_last_view, position, max_position, "
                                    "is_favorite, is_deleted, notes_count, book_hash) VALUES "
                                    "(:cover, :full_path, :author, :title, :format, :time_added, "
                                    ":time_last_view, :position, :max_position, :is_favorite, "
                                    ":is_deleted, :notes_count, :book_hash) "));
    insert.bind(QStringLiteral(":cover"), encodeText(book.cover));
    insert.bind(QStringLiteral(":full_path"), encodeText(book.fullPath));
    insert.bind(QStringLiteral(":author"), book.author);
    insert.bind(QStringLiteral(":title"), book.title);
    insert.bind(QStringLiteral(":format"), book.format);
    insert.bind(QStringLiteral(":time_added"), book.timeAdded);
    insert.bind(QStringLiteral(":time_last_view"), book.timeLastView);
    insert.bind(QStringLiteral(":position"), book.position);
    insert.bind(QStringLiteral(":max_position"), book.maxPosition);
    insert.bind(QStringLiteral(":is_favorite"), book.isFavorite);
    insert.bind(QStringLiteral(":is_deleted"), book.isDeleted);
    insert.bind(QStringLiteral(":notes_count"), book.notesCount);
    insert.bind(QStringLiteral(":book_hash"), book.bookHash);
    if (!insert.exec())
        return fail(insert.error());

    bool ok = false;
    const int id = insert.query().lastInsertId().toInt(&ok);
    if (!ok)
        return fail(QStringLiteral("No id for the new book"));
    for (auto it = book.metadata.cbegin(); it != book.metadata.cend(); ++it) {
        if (!setMetaData(id, it.key(), it.value()))
            return fail(lastError());
    }
    if (!transaction.commit())
        return fail(transaction.error());
    return id;
}

bool BookProvider::updateBook(const BookDto &book)
{
    Statement update(database(),
                     QStringLiteral("UPDATE books SET cover=:cover, full_path=:full_path,"
                                    "author=:author, title=:title, format=:format, "
                                    "time_added=:time_added, time_last_view=:time_last_view, "
                                    "position=:position, max_position=:max_position, "
                                    "is_favorite=:is_favorite,is_deleted=:is_deleted, "
                                    "notes_count=:notes_count, book_hash=:book_hash WHERE id = "
                                    ":id;"));
    update.bind(QStringLiteral(":cover"), encodeText(book.cover));
    update.bind(QStringLiteral(":full_path"), encodeText(book.fullPath));
    update.bind(QStringLiteral(":author"), book.author);
    update.bind(QStringLiteral(":title"), book.title);
    update.bind(QStringLiteral(":format"), book.format);
    update.bind(QStringLiteral(":time_added"), book.timeAdded);
    update.bind(QStringLiteral(":time_last_view"), book.timeLastView);
    update.bind(QStringLiteral(":position"), book.position);
    update.bind(QStringLiteral(":max_position"), book.maxPosition);
    update.bind(QStringLiteral(":is_favorite"), book.isFavorite);
    update.bind(QStringLiteral(":is_deleted"), book.isDeleted);
    update.bind(QStringLiteral(":notes_count"), book.notesCount);
    update.bind(QStringLiteral(":book_hash"), book.bookHash);
    update.bind(QStringLiteral(":id"), book.id);
    if (!update.exec()) {
        reportError(update.error());
        return false;
    }
    return true;
}

bool BookProvider::setDeleted(int id, int isDeleted)
{
    Statement update(database(),
                     QStringLiteral("UPDATE books SET is_deleted=:is_deleted WHERE id = :id"));
    update.bind(QStringLiteral(":is_deleted"), isDeleted);
    update.bind(QStringLiteral(":id"), id);
    return update.exec();
}

bool BookProvider::setFavorite(int id, int favorite)
{
    Statement update(database(),
                     QStringLiteral("UPDATE books SET is_favorite=:is_favorite WHERE id = :id"));
    update.bind(QStringLiteral(":is_favorite"), favorite);
    update.bind(QStringLiteral(":id"), id);
    if (!update.exec()) {
        reportError(update.error(), "BookProvider::setFavorite",
                    QStringLiteral("Set favorite error db:%1"));
        return false;
    }
    return true;
}

bool BookProvider::setNotesCount(int id, int notesCount)
{
    Statement update(database(),
                     QStringLiteral("UPDATE books SET notes_count=:notes_count WHERE id = :id"));
    update.bind(QStringLiteral(":notes_count"), notesCount);
    update.bind(QStringLiteral(":id"), id);
    return update.exec();
}

bool BookProvider::setBookHash(int id, const QString &hash)
{
    Statement update(database(),
                     QStringLiteral("UPDATE books SET book_hash=:book_hash WHERE id = :id"));
    update.bind(QStringLiteral(":book_hash"), hash);
    update.bind(QStringLiteral(":id"), id);
    return update.exec();
}

bool BookProvider::setTimeLastView(int id, uint time)
{
    Statement update(
            database(),
            QStringLiteral("UPDATE books SET time_last_view=:time_last_view WHERE id = :id"));
    update.bind(QStringLiteral(":time_last_view"), time);
    update.bind(QStringLiteral(":id"), id);
    return update.exec();
}

bool BookProvider::setReadingPosition(int id, int position, int maxPosition)
{
    Statement update(
            database(),
            QStringLiteral("UPDATE books SET position=:position, max_position=:max_position "
                           "WHERE id = :id"));
    update.bind(QStringLiteral(":position"), position);
    // Progress is whole percent: a reader that counted past the book's end
    // must not store more than all of it.
    update.bind(QStringLiteral(":max_position"), qBound(0, maxPosition, 100));
    update.bind(QStringLiteral(":id"), id);
    if (!update.exec()) {
        reportError(update.error(), nullptr, QStringLiteral("Save reading position. Error db:%1"));
        return false;
    }
    return true;
}

bool BookProvider::setTitleAndAuthor(int id, const QString &title, const QString &author)
{
    Statement update(
            database(),
            QStringLiteral("UPDATE books SET title=:title, author=:author WHERE id = :id"));
    update.bind(QStringLiteral(":title"), title);
    update.bind(QStringLiteral(":author"), author);
    update.bind(QStringLiteral(":id"), id);
    if (!update.exec()) {
        reportError(update.error(), nullptr, QStringLiteral("Save title and author. Error db:%1"));
        return false;
    }
    return true;
}

bool BookProvider::editBook(int id, const std::optional<QString> &title,
                            const std::optional<QString> &author,
                            const std::optional<QString> &description)
{
    QSqlDatabase db = database();
    const auto fail = [this](const QString &error) {
        reportError(error, nullptr, QStringLiteral("Edit book. Error db:%1"));
        return false;
    };
    Transaction transaction(db);
    if (!transaction.isActive())
        return fail(transaction.error());

    // Touching the row first tells whether the book is still there, also
    // when only the description changes.
    Statement update(db,
                     QStringLiteral("UPDATE books SET title=coalesce(:title, title), "
                                    "author=coalesce(:author, author) WHERE id = :id"));
    update.bind(QStringLiteral(":title"), title ? QVariant(*title) : QVariant(QVariant::String));
    update.bind(QStringLiteral(":author"), author ? QVariant(*author) : QVariant(QVariant::String));
    update.bind(QStringLiteral(":id"), id);
    if (!update.exec())
        return fail(update.error());
    if (update.query().numRowsAffected() != 1)
        return fail(tr("The book is no longer in the library."));
    if (description && !setMetaData(id, 6, *description))
        return fail(lastError());
    if (!transaction.commit())
        return fail(transaction.error());
    return true;
}

BookDto BookProvider::findBookById(int id)
{
    Statement select(database(), QStringLiteral("select * from books where id=:id"));
    select.bind(QStringLiteral(":id"), id);
    BookDto book;
    if (select.exec()) {
        while (select.query().next())
            readBook(select.query(), book);
    }
    return book;
}

BookDto BookProvider::findBookByPath(const QString &path)
{
    Statement select(
            database(),
            QStringLiteral("select * from books where full_path=:full_path AND is_deleted = 0"));
    select.bind(QStringLiteral(":full_path"), encodeText(path));
    BookDto book;
    if (select.exec()) {
        while (select.query().next())
            readBook(select.query(), book);
    }
    return book;
}

BookDto BookProvider::lastReadBook()
{
    return recentlyReadBooks().value(0);
}

QList<BookDto> BookProvider::listBooks(QSqlQuery &query, bool withFolder)
{
    QList<BookDto> books;
    while (query.next()) {
        books.append(BookDto());
        BookDto &book = books.last();
        if (withFolder)
            readBookWithFolder(query, book);
        else
            readBook(query, book);
    }
    return books;
}

QList<BookDto> BookProvider::allBooks()
{
    Statement select(
            database(),
            QStringLiteral("select * from books where is_deleted = 0 ORDER BY time_added DESC"));
    return select.exec() ? listBooks(select.query()) : QList<BookDto>();
}

QList<BookDto> BookProvider::allBooksWithFolder()
{
    Statement select(
            database(),
            QStringLiteral("select books.*, folders.title as folder_title from books left "
                           "outer join book_folder_binder on books.id = "
                           "book_folder_binder.book_id left outer join folders on  "
                           "book_folder_binder.folder_id = folders.id where is_deleted = 0"));
    return select.exec() ? listBooks(select.query(), true) : QList<BookDto>();
}

QList<BookDto> BookProvider::booksByFormat(int format)
{
    Statement select(database(),
                     QStringLiteral("select * from books where (format=:format) AND (is_deleted = "
                                    "0) ORDER BY time_added DESC"));
    select.bind(QStringLiteral(":format"), format);
    return select.exec() ? listBooks(select.query()) : QList<BookDto>();
}

QList<BookDto> BookProvider::booksInCategory(int folderId)
{
    Statement select(database(),
                     QStringLiteral("select b.id, b.cover, b.full_path, b.author, b.title, "
                                    "b.format, b.time_added, b.time_last_view, b.position, "
                                    "b.max_position,b.is_favorite, b.is_deleted, b.notes_count "
                                    "from books as b join book_folder_binder on b.id = "
                                    "book_folder_binder.book_id where "
                                    "(book_folder_binder.folder_id = :folder_id) and "
                                    "(b.is_deleted = 0) ORDER BY time_added DESC"));
    select.bind(QStringLiteral(":folder_id"), folderId);
    return select.exec() ? listBooks(select.query()) : QList<BookDto>();
}

QList<BookDto> BookProvider::deletedBooks()
{
    Statement select(database(), QStringLiteral("select * from books where is_deleted=1"));
    return select.exec() ? listBooks(select.query()) : QList<BookDto>();
}

QList<BookDto> BookProvider::favoriteBooks()
{
    Statement select(
            database(),
            QStringLiteral("select * from books where (is_favorite=1) AND (is_deleted = 0)"));
    return select.exec() ? listBooks(select.query()) : QList<BookDto>();
}

QList<BookDto> BookProvider::lastAddedBooks()
{
    Statement select(database(),
                     QStringLiteral("select * from books where (is_deleted = 0) ORDER BY "
                                    "time_added DESC limit :max_book_count"));
    select.bind(QStringLiteral(":max_book_count"), LastAddedLimit);
    return select.exec() ? listBooks(select.query()) : QList<BookDto>();
}

QList<BookDto> BookProvider::recentlyReadBooks()
{
    Statement select(database(),
                     QStringLiteral("select * from books where (is_deleted = 0) and "
                                    "(time_last_view >= :time_last_view) ORDER BY time_last_view "
                                    "DESC limit :max_book_count"));
    select.bind(QStringLiteral(":time_last_view"), recentlyReadThreshold());
    select.bind(QStringLiteral(":max_book_count"), RecentlyReadLimit);
    if (!select.exec()) {
        reportError(select.error(), nullptr, QStringLiteral("Select recently read error:%1"));
        return {};
    }
    return listBooks(select.query());
}

QList<BookDto> BookProvider::searchBooks(const QString &text)
{
    Statement select(database(),
                     QStringLiteral("select * from books where (author like :author) or (title "
                                    "like :title)"));
    const QString pattern = QLatin1Char('%') + text + QLatin1Char('%');
    select.bind(QStringLiteral(":author"), pattern);
    select.bind(QStringLiteral(":title"), pattern);
    if (!select.exec()) {
        qDebug() << "Query error:" << select.error();
        return {};
    }
    return listBooks(select.query());
}

int BookProvider::countOf(QSqlQuery &query)
{
    return query.next() ? query.value(0).toInt() : 0;
}

int BookProvider::bookCount()
{
    Statement select(database(), QStringLiteral("select COUNT(*) from books where is_deleted = 0"));
    return select.exec() ? countOf(select.query()) : 0;
}

int BookProvider::bookCountAll()
{
    Statement select(database(), QStringLiteral("select COUNT(*) from books"));
    return select.exec() ? countOf(select.query()) : 0;
}

int BookProvider::bookCountByFormat(int format)
{
    Statement select(
            database(),
            QStringLiteral("select COUNT(*) from books where is_deleted = 0 and format=:format"));
    select.bind(QStringLiteral(":format"), format);
    if (!select.exec()) {
        reportError(select.error(), "BookProvider::bookCountByFormat",
                    QStringLiteral("Select book count by format. Error db:%1"));
        return 0;
    }
    return countOf(select.query());
}

LibraryStatistics BookProvider::libraryStatistics()
{
    // One statement, so the five counts come from one snapshot even while a
    // worker adds books.
    Statement select(
            database(),
            QStringLiteral(
                    "SELECT (SELECT COUNT(*) from books where (is_deleted = 0)) as all_count, "
                    "(SELECT COUNT(*) from (select id from books where (is_deleted = 0) "
                    "limit :max_last_added_book_count)) as last_added_count, "
                    "(SELECT COUNT(*) from (select id from books where (is_deleted = 0) "
                    "and (time_last_view >= :recently_read_time_last_view) limit "
                    ":recently_read_max_book_count)) as recently_read_count, "
                    "(select COUNT(*) from books where (is_favorite = 1) AND (is_deleted "
                    "= 0)) as favorites_read_count, "
                    "(select COUNT(*) from books where (is_deleted = 1)) as deleted_count"));
    select.bind(QStringLiteral(":max_last_added_book_count"), LastAddedLimit);
    select.bind(QStringLiteral(":recently_read_time_last_view"), recentlyReadThreshold());
    select.bind(QStringLiteral(":recently_read_max_book_count"), RecentlyReadLimit);
    LibraryStatistics statistics;
    if (!select.exec()) {
        reportError(select.error(), nullptr, QStringLiteral("Select category counts error:%1"));
        return statistics;
    }
    QSqlQuery &query = select.query();
    if (query.next()) {
        statistics.allCount = query.value(QStringLiteral("all_count")).toInt();
        statistics.lastAddedCount = query.value(QStringLiteral("last_added_count")).toInt();
        statistics.recentlyReadCount = query.value(QStringLiteral("recently_read_count")).toInt();
        statistics.favoritesCount = query.value(QStringLiteral("favorites_read_count")).toInt();
        statistics.deletedCount = query.value(QStringLiteral("deleted_count")).toInt();
    }
    return statistics;
}

bool BookProvider::clearLibrary()
{
    Statement update(database(),
                     QStringLiteral("UPDATE books SET is_deleted=1 WHERE is_deleted=0"));
    if (!update.exec()) {
        reportError(update.error(), nullptr, QStringLiteral("Clear library error:%1"));
        return false;
    }
    return true;
}

bool BookProvider::restoreAllFromTrash()
{
    Statement update(database(),
                     QStringLiteral("UPDATE books SET is_deleted=:is_restore WHERE is_deleted = "
                                    ":is_delete"));
    update.bind(QStringLiteral(":is_delete"), 1);
    update.bind(QStringLiteral(":is_restore"), 0);
    if (!update.exec()) {
        reportError(update.error(), nullptr, QStringLiteral("Restore all from trash error:%1"));
        return false;
    }
    return true;
}

QStringList BookProvider::pathsByDeletedState()
{
    Statement select(database(),
                     QStringLiteral("select b.full_path from books as b where b.is_deleted = "
                                    ":deleted_id"));
    select.bind(QStringLiteral(":deleted_id"), 1);
    QStringList paths;
    if (select.exec()) {
        while (select.query().next())
            paths.append(decodeText(select.query().value(0).toString()));
    }
    return paths;
}

bool BookProvider::clearTrash()
{
    QSqlDatabase db = database();
    const auto fail = [this](const QString &error) {
        reportError(error, nullptr, QStringLiteral("Remove from trash error:%1"));
        return false;
    };

    // Collecting, deleting and checking which files are still in use happen
    // in one transaction, so a book added meanwhile on another thread cannot
    // lose its folder.
    Transaction transaction(db);
    if (!transaction.isActive())
        return fail(transaction.error());
    const QStringList paths = pathsByDeletedState();
    Statement remove(db, QStringLiteral("delete from books where is_deleted=:is_deleted;"));
    remove.bind(QStringLiteral(":is_deleted"), 1);
    if (!remove.exec())
        return fail(remove.error());

    // A book can be added again while its old copy sits in the trash; both
    // rows then share the file and its storage folder.
    QSet<QString> stillUsed;
    {
        Statement remaining(db, QStringLiteral("select full_path from books"));
        if (!remaining.exec())
            return fail(remaining.error());
        while (remaining.query().next())
            stillUsed.insert(decodeText(remaining.query().value(0).toString()));
    }
    if (!transaction.commit())
        return fail(transaction.error());

    Logger::instance()->write(
            QStringLiteral("Items count to remove from trash: %1").arg(paths.size()), Logger::Info);
    int removed = 0;
    QSet<QString> done;
    for (const QString &path : paths) {
        if (path.isEmpty() || stillUsed.contains(path) || done.contains(path))
            continue;
        done.insert(path);
        const QString folder = storageFolder(path);
        if (QFileInfo(folder).isDir() && Paths::removeDir(folder))
            ++removed;
    }
    Logger::instance()->write(QStringLiteral("Successfully removed from trash: %1").arg(removed),
                              Logger::Info);
    return true;
}

bool BookProvider::deleteFromLibrary(int id)
{
    QSqlDatabase db = database();
    const auto fail = [this](const QString &error) {
        reportError(error, "BookProvider::deleteFromLibrary");
        return false;
    };

    Transaction transaction(db);
    if (!transaction.isActive())
        return fail(transaction.error());

    QString path;
    {
        Statement select(db,
                         QStringLiteral("select b.full_path from books as b where b.id = "
                                        ":to_delete_id"));
        select.bind(QStringLiteral(":to_delete_id"), id);
        if (select.exec() && select.query().next())
            path = decodeText(select.query().value(0).toString());
    }

    Statement remove(db, QStringLiteral("delete from books where books.id=:id;"));
    remove.bind(QStringLiteral(":id"), id);
    if (!remove.exec())
        return fail(remove.error());

    // Another row with the same file (a second copy added while this one was
    // in the trash) still needs the storage folder.
    int sharing = 0;
    if (!path.isEmpty()) {
        Statement count(db,
                        QStringLiteral("select COUNT(*) from books where full_path=:full_path"));
        count.bind(QStringLiteral(":full_path"), encodeText(path));
        if (!count.exec())
            return fail(count.error());
        sharing = countOf(count.query());
    }
    if (!transaction.commit())
        return fail(transaction.error());

    if (path.isEmpty() || sharing > 0)
        return true;
    const QString folder = storageFolder(path);
    if (QFileInfo(folder).isDir()) {
        if (!Paths::removeDir(folder))
            qDebug() << "BookProvider::deleteFromLibrary"
                     << "Can't remove directory: " << QFileInfo(folder).absoluteFilePath();
    } else {
        qDebug() << "BookProvider::deleteFromLibrary"
                 << "Can't find directory to delete: " << QFileInfo(folder).absoluteFilePath();
    }
    return true;
}

// ---- categories ----

int BookProvider::addCategory(const QString &title, int parentId)
{
    Statement insert(
            database(),
            QStringLiteral("INSERT INTO folders (parent_id, title) VALUES (:parent_id, :title)"));
    insert.bind(QStringLiteral(":parent_id"), parentId);
    insert.bind(QStringLiteral(":title"), title);
    if (!insert.exec()) {
        reportError(insert.error(), "BookProvider::addCategory",
                    QStringLiteral("Add folder. Error db:%1"));
        return -1;
    }
    bool ok = false;
    const int id = insert.query().lastInsertId().toInt(&ok);
    return ok ? id : -1;
}

bool BookProvider::renameCategory(int id, const QString &title)
{
    if (id <= 0 || title.isEmpty())
        return false;
    Statement update(database(), QStringLiteral("UPDATE folders SET title=:title WHERE id = :id;"));
    update.bind(QStringLiteral(":title"), title);
    update.bind(QStringLiteral(":id"), id);
    if (!update.exec()) {
        reportError(update.error(), "BookProvider::renameCategory",
                    QStringLiteral("Rename folder. Error db:%1"));
        return false;
    }
    return true;
}

bool BookProvider::removeCategory(int folderId)
{
    Statement remove(database(), QStringLiteral("delete from folders where id=:folder_id"));
    remove.bind(QStringLiteral(":folder_id"), folderId);
    if (!remove.exec()) {
        reportError(remove.error(), "BookProvider::removeCategory",
                    QStringLiteral("Remove folder. Error db:%1"));
        return false;
    }
    return true;
}

QList<CategoryDto> BookProvider::allCategories()
{
    Statement select(database(),
                     QStringLiteral("select f.id, f.parent_id, f.title, (SELECT COUNT(*) from "
                                    "book_folder_binder bfb join books on bfb.book_id = books.id "
                                    "where bfb.folder_id = f.id and books.is_deleted = 0 ) as "
                                    "book_count from folders as f order by f.title"));
    QList<CategoryDto> categories;
    if (!select.exec()) {
        reportError(select.error(), "BookProvider::allCategories",
                    QStringLiteral("Select all folder. Error db:%1"));
        return categories;
    }
    while (select.query().next()) {
        CategoryDto category;
        readCategory(select.query(), category);
        categories.append(category);
    }
    return categories;
}

CategoryDto BookProvider::findCategory(int folderId)
{
    Statement select(database(),
                     QStringLiteral("select f.id, f.parent_id, f.title,(SELECT COUNT(*) from "
                                    "book_folder_binder bfb where bfb.folder_id = f.id ) as "
                                    "book_count from folders as f where f.id=:folder_id"));
    select.bind(QStringLiteral(":folder_id"), folderId);
    CategoryDto category;
    if (!select.exec()) {
        reportError(select.error(), "BookProvider::findCategory",
                    QStringLiteral("Select folder by id. Error db:%1"));
        return category;
    }
    while (select.query().next())
        readCategory(select.query(), category);
    return category;
}

bool BookProvider::addBookToCategory(int bookId, int folderId)
{
    Statement insert(database(),
                     QStringLiteral("INSERT or REPLACE INTO book_folder_binder (book_id, "
                                    "folder_id) VALUES (:book_id, :folder_id)"));
    insert.bind(QStringLiteral(":book_id"), bookId);
    insert.bind(QStringLiteral(":folder_id"), folderId);
    if (!insert.exec()) {
        reportError(insert.error(), "BookProvider::addBookToCategory",
                    QStringLiteral("Add book to folder. Error db:%1"));
        return false;
    }
    return true;
}

bool BookProvider::removeBookFromCategory(int bookId, int folderId)
{
    Statement remove(database(),
                     QStringLiteral("DELETE FROM book_folder_binder WHERE book_id=:book_id AND "
                                    "folder_id=:folder_id"));
    remove.bind(QStringLiteral(":book_id"), bookId);
    remove.bind(QStringLiteral(":folder_id"), folderId);
    if (!remove.exec()) {
        reportError(remove.error(), nullptr,
                    QStringLiteral("Remove book from category. Error db:%1"));
        return false;
    }
    return true;
}

int BookProvider::categoryOfBook(int bookId)
{
    Statement select(
            database(),
            QStringLiteral("select folder_id from book_folder_binder where book_id=:book_id"));
    select.bind(QStringLiteral(":book_id"), bookId);
    if (!select.exec()) {
        reportError(select.error(), nullptr,
                    QStringLiteral("Select category by folder id. Error db:%1"));
        return 0;
    }
    int folderId = 0;
    while (select.query().next())
        folderId = select.query().value(0).toInt();
    return folderId;
}

// ---- bookmarks ----

bool BookProvider::addBookmark(const BookmarkDto &bookmark)
{
    Statement insert(database(),
                     QStringLiteral("INSERT INTO bookmarks (book_id, title, position, progress, "
                                    "time_added) VALUES (:book_id, :title, :position, :progress, "
                                    ":time_added)"));
    insert.bind(QStringLiteral(":book_id"), bookmark.bookId);
    insert.bind(QStringLiteral(":title"), bookmark.title);
    // A float variant would reach SQLite as text; a double keeps it a number.
    insert.bind(QStringLiteral(":position"), double(bookmark.position));
    insert.bind(QStringLiteral(":progress"), double(bookmark.progress));
    insert.bind(QStringLiteral(":time_added"), bookmark.timeAdded);
    const bool ok = insert.exec();
    qDebug() << "Set bookmark result:" << ok;
    if (!ok)
        reportError(insert.error());
    return ok;
}

bool BookProvider::createBookmark(int bookId, int position, int progress, const QString &title)
{
    BookmarkDto bookmark;
    bookmark.id = -1;
    bookmark.bookId = bookId;
    bookmark.title = title;
    bookmark.position = float(position);
    bookmark.progress = float(progress);
    bookmark.timeAdded = now();
    return addBookmark(bookmark);
}

QList<BookmarkDto> BookProvider::bookmarksOfBook(int bookId)
{
    Statement select(database(), QStringLiteral("select * from bookmarks where book_id=:book_id"));
    select.bind(QStringLiteral(":book_id"), bookId);
    QList<BookmarkDto> bookmarks;
    if (select.exec()) {
        while (select.query().next()) {
            BookmarkDto bookmark;
            readBookmark(select.query(), bookmark);
            bookmarks.append(bookmark);
        }
    }
    return bookmarks;
}

bool BookProvider::removeBookmark(int bookmarkId)
{
    Statement remove(database(), QStringLiteral("delete from bookmarks where id=:bookmark_id"));
    remove.bind(QStringLiteral(":bookmark_id"), bookmarkId);
    if (!remove.exec()) {
        reportError(remove.error(), nullptr, QStringLiteral("Remove bookmark error:%1"));
        return false;
    }
    return true;
}

bool BookProvider::removeBookmarks(int bookId)
{
    Statement remove(database(), QStringLiteral("delete from bookmarks where book_id=:id;"));
    remove.bind(QStringLiteral(":id"), bookId);
    if (!remove.exec()) {
        reportError(remove.error(), "BookProvider::removeBookmarks");
        return false;
    }
    return true;
}

// ---- metadata ----

bool BookProvider::setMetaData(int bookId, int metaType, const QString &value)
{
    Statement insert(database(),
                     QStringLiteral("INSERT OR REPLACE INTO book_metadata (id, book_id, meta_type, "
                                    "meta_value) VALUES ((SELECT ID FROM book_metadata WHERE "
                                    "book_id = :book_id AND meta_type=:meta_type), :book_id, "
                                    ":meta_type, :meta_value)"));
    insert.bind(QStringLiteral(":book_id"), bookId);
    insert.bind(QStringLiteral(":meta_type"), metaType);
    insert.bind(QStringLiteral(":meta_value"), value);
    if (!insert.exec()) {
        reportError(insert.error(), "BookProvider::setMetaData",
                    QStringLiteral("Add metadata. Error db:%1"));
        return false;
    }
    return true;
}

QString BookProvider::getMetaData(int bookId, int metaType)
{
    Statement select(database(),
                     QStringLiteral("select meta_value from book_metadata where book_id = "
                                    ":book_id and meta_type = :meta_type;"));
    select.bind(QStringLiteral(":book_id"), bookId);
    select.bind(QStringLiteral(":meta_type"), metaType);
    if (!select.exec()) {
        reportError(select.error(), "BookProvider::getMetaData",
                    QStringLiteral("Select meta_value by book id and meta type. Error db:%1"));
        return QString();
    }
    QString value;
    while (select.query().next())
        value = select.query().value(QStringLiteral("meta_value")).toString();
    return value;
}
