#pragma once

#include "library/db/bookdto.h"
#include "library/db/bookmarkdto.h"
#include "library/db/categorydto.h"

#include <QCoreApplication>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>
#include <QThreadStorage>

#include <optional>

class QSqlDatabase;
class QSqlQuery;

// The five counts shown on the library's category buttons.
struct LibraryStatistics
{
    int allCount = 0;
    int lastAddedCount = 0;
    int recentlyReadCount = 0;
    int favoritesCount = 0;
    int deletedCount = 0;
};

// The library database "davurazo.sqlite3" in the data folder: books,
// bookmarks, categories (folders), the binding of books to categories and
// per-book metadata.
//
// One process-wide object (instance()). Every operation may be called from
// any thread: each thread gets a connection of its own to the same file,
// opened on its first call and closed when the thread ends, because a Qt SQL
// connection must only be used by the thread that opened it. The file runs
// in write-ahead-log mode with a busy time-out, so a reader never blocks a
// writer and two writers wait for each other instead of failing.
//
// No operation throws or shows anything. A failed statement is reported by
// the result (false, -1, an empty list, a default record, zero counts), a
// line in the log and, for the operations that say so, lastError() of the
// calling thread. Every value reaches SQLite as a bound parameter.
class BookProvider
{
    Q_DECLARE_TR_FUNCTIONS(BookProvider)

public:
    // The file name of the library database.
    static QString databaseFileName();

    static BookProvider *instance();

    // Opens the database for the calling thread (normally the GUI thread at
    // start-up) and brings the tables and triggers up to date; an older file
    // gains the columns it lacks, its rows kept. Calling it again re-opens
    // the file at the current data folder. On false, lastError() holds a
    // message fit for the user and connectionErrorTitle() a caption for it;
    // later calls then fail one by one on their own statements.
    bool createConnection();
    // Full path of the database file (the data folder is made when missing).
    QString databasePath() const;
    // Caption for the last createConnection() failure, "" after a success.
    QString connectionErrorTitle() const;

    // The last database error seen on the calling thread. Only the
    // operations documented to do so set it, and nothing clears it.
    QString lastError() const;

    // ---- books ----

    // Stores a new book and its metadata entries in one transaction; the
    // record's id is ignored. The new id, or -1 (nothing stored). A book
    // outside the trash is stored only when no other book outside the
    // trash has its path: the look-up and the insert are one transaction,
    // so two windows or programs adding one file at once store it once.
    int addBook(const BookDto &book);
    // As above; alreadyThere tells that -1 came because the path is in the
    // library already (another add got there first), not from a failure.
    int addBook(const BookDto &book, bool *alreadyThere);
    // Writes every column of the record to its row by id. Use the narrow
    // setters below when only a few columns change: a whole record read
    // earlier can carry stale flags (trash, favourite) back into the row.
    bool updateBook(const BookDto &book);
    bool setDeleted(int id, int isDeleted);
    bool setFavorite(int id, int favorite);
    bool setNotesCount(int id, int notesCount);
    bool setBookHash(int id, const QString &hash);
    // time: seconds since 1970-01-01 UTC.
    bool setTimeLastView(int id, uint time);
    // The reading position and the progress in whole percent.
    bool setReadingPosition(int id, int position, int maxPosition);
    bool setTitleAndAuthor(int id, const QString &title, const QString &author);
    // The fields a user edited, and only those: the title, the author and
    // the description (metadata kind 6), each written only when set. One
    // transaction; false, with nothing written and lastError() set, when a
    // statement fails or the book is no longer in the library.
    bool editBook(int id, const std::optional<QString> &title,
                  const std::optional<QString> &author, const std::optional<QString> &description);

    // A default record (id -1) when there is no such row.
    BookDto findBookById(int id);
    // The book with this full path outside the trash; id -1 when none.
    BookDto findBookByPath(const QString &path);
    // The most recently read book, or a default record.
    BookDto lastReadBook();

    // Listings; an empty list when the statement fails.
    QList<BookDto> allBooks();
    // Books outside the trash, each with the title of its category.
    QList<BookDto> allBooksWithFolder();
    QList<BookDto> booksByFormat(int format);
    // Reads no book_hash (the record's bookHash stays null).
    QList<BookDto> booksInCategory(int folderId);
    QList<BookDto> deletedBooks();
    QList<BookDto> favoriteBooks();
    // The 8 newest books outside the trash, newest first.
    QList<BookDto> lastAddedBooks();
    // Up to 20 books opened in the last 60 days, most recent first.
    QList<BookDto> recentlyReadBooks();
    // Books, the trash included, whose author or title contains the text.
    // The text is a LIKE pattern: "%" and "_" are wildcards and ASCII
    // letters match regardless of case.
    QList<BookDto> searchBooks(const QString &text);

    // Books outside the trash.
    int bookCount();
    // Every row, the trash included.
    int bookCountAll();
    int bookCountByFormat(int format);
    LibraryStatistics libraryStatistics();

    // Moves every book to the trash; deletes nothing.
    bool clearLibrary();
    bool restoreAllFromTrash();
    // Deletes the rows in the trash and then the storage folders of their
    // files, keeping a folder that a remaining row still uses.
    bool clearTrash();
    // Deletes the row (with its bookmarks, metadata and category binding)
    // and then its storage folder unless another row has the same path.
    // Success does not depend on the folder.
    bool deleteFromLibrary(int id);
    // Paths of the books in the trash.
    QStringList pathsByDeletedState();

    // ---- categories ----

    // The new id, or -1 (a title that exists already fails).
    int addCategory(const QString &title, int parentId);
    // False without a statement for an id below 1 or an empty title.
    bool renameCategory(int id, const QString &title);
    // Removes the category and its bindings; the books stay.
    bool removeCategory(int folderId);
    // Ordered by title; bookCount leaves out books in the trash.
    QList<CategoryDto> allCategories();
    // bookCount includes books in the trash; an empty record when none.
    CategoryDto findCategory(int folderId);
    // A book has at most one category: binding it moves it.
    bool addBookToCategory(int bookId, int folderId);
    bool removeBookFromCategory(int bookId, int folderId);
    // 0 when the book has no category.
    int categoryOfBook(int bookId);

    // ---- bookmarks ----

    // The record's id is ignored.
    bool addBookmark(const BookmarkDto &bookmark);
    // Stores a bookmark added now.
    bool createBookmark(int bookId, int position, int progress, const QString &title);
    QList<BookmarkDto> bookmarksOfBook(int bookId);
    bool removeBookmark(int bookmarkId);
    bool removeBookmarks(int bookId);

    // ---- metadata ----

    // Keeps one row per book and kind: a second call replaces the value.
    bool setMetaData(int bookId, int metaType, const QString &value);
    // A null text when the book has no value of that kind.
    QString getMetaData(int bookId, int metaType);

    // ---- stored forms ----

    // The form in which cover and full_path are stored: Base64 of the
    // UTF-8 bytes; "" for a null or empty text.
    static QString encodeText(const QString &text);
    static QString decodeText(const QString &text);

    // Fill records from the current row of a query, by column index.
    static void readBook(const QSqlQuery &query, BookDto &book);
    static void readBookWithFolder(const QSqlQuery &query, BookDto &book);
    static void readBookmark(const QSqlQuery &query, BookmarkDto &bookmark);
    static void readCategory(const QSqlQuery &query, CategoryDto &category);

private:
    struct ThreadConnection;

    BookProvider();
    ~BookProvider();
    Q_DISABLE_COPY_MOVE(BookProvider)

    // The calling thread's open connection; not open when the file could not
    // be opened (lastError() then says why).
    QSqlDatabase database();
    ThreadConnection &threadConnection() const;
    void setLastError(const QString &text);
    // A failed statement: sets the calling thread's last error and, when
    // given, writes "<function> error: <text>" to the debug output and
    // logMessage (with the text for "%1") to the log.
    void reportError(const QString &error, const char *function = nullptr,
                     const QString &logMessage = QString());
    bool openConnection(ThreadConnection &connection, const QString &path);
    bool createSchema(QSqlDatabase &db);

    // Runs a prepared statement whose rows are books.
    QList<BookDto> listBooks(QSqlQuery &query, bool withFolder = false);
    static int countOf(QSqlQuery &query);

    mutable QThreadStorage<ThreadConnection *> m_connections;
    mutable QMutex m_lock;
    // Guarded by m_lock: where the current database lives, and how the last
    // createConnection() failed.
    QString m_path;
    QString m_connectionErrorTitle;
};
