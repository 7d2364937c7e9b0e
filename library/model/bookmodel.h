#pragma once

#include "library/db/bookdto.h"

#include <QAbstractTableModel>
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

// Format code to (format code, number of books of that format outside the
// trash), for the formats that have at least one such book.
using FormatCounts = QMap<int, QPair<int, int>>;

// The library's one book model: every library view (shelf, table, context
// menu, properties) sees the books through it. It caches the records of the
// current selection (a general category, a user category, a format or a
// search) and shows each as a row of nine columns plus the custom roles
// below. Changes to the trash, favourite and delete state are written to the
// database first and announced by a signal afterwards.
//
// Lives on the GUI thread; every call reads or writes the database through
// that thread's connection. A failed query leaves an empty selection; a
// failed change returns false and leaves the cache as it was.
class BookModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Columns {
        TitleColumn = 0,
        AuthorColumn = 1,
        ProgressColumn = 2,
        FormatColumn = 3,
        DateColumn = 4,
        NotesColumn = 5,
        FavoriteColumn = 6,
        StoredAuthorColumn = 7,
        DeletedColumn = 8,
        ColumnCount = 9,
    };

    // They answer for any column of a valid row.
    enum Roles {
        BookIdRole = Qt::UserRole + 1,
        TitleRole,
        AuthorRole,
        CoverRole,
        // The last-view time in recently-read mode, else the time added.
        DateRole,
        NotesCountRole,
        FormatRole,
        // "" for a code outside the format table.
        FormatNameRole,
        DeletedRole,
        FavoriteRole,
        // Read from the database at each request.
        DescriptionRole,
        FolderRole,
        PathRole,
        // "" for a book never opened.
        LastOpenTextRole,
        ProgressTextRole,
        // Read from the database at each request; 0 without a category.
        CategoryIdRole,
    };
    Q_ENUM(Roles)

    // The numbers the library screen's category and format buttons send:
    // CategoryFormatBase + a format code selects the books of that format.
    enum BookCategory : int {
        CategoryRecentlyRead = 0,
        CategoryLastAdded = 1,
        CategoryAll = 2,
        CategoryFavorites = 3,
        CategoryDeleted = 4,
        CategoryFormatBase = 1000,
    };
    Q_ENUM(BookCategory)

    // The type under which mimeData() carries book ids ("12|7|").
    static QString bookIdMimeType();

    explicit BookModel(QObject *parent = nullptr);
    ~BookModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    // A new object owned by the caller, also for a list without valid
    // indexes (then with an empty payload).
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    // Books leave by drag as ids, for a category to take; nothing is ever
    // dropped on the books themselves.
    bool canDropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                         const QModelIndex &parent) const override;
    bool dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int column,
                      const QModelIndex &parent) override;

    // The first row holding the book, or -1.
    int rowOfBook(int id) const;
    // Whether the date column shows last-view times.
    bool recentlyReadMode() const { return m_recentlyReadMode; }

    // Writes every column of the record; on success replaces the cached
    // record (when the book is in the current selection) and emits noted().
    void updateBook(const BookDto &book);

    // Whether a book with this full path is in the library (outside the
    // trash).
    static bool containsBook(const QString &path);
    static FormatCounts formatCounts();

    // "MMM d" for a date in the current year, "yyyy" otherwise; "" for an
    // invalid date.
    static QString formatBookDate(const QDateTime &date);

public slots:
    // Each selection replaces the whole cache inside a model reset.
    void selectByCategory(BookCategory category);
    void selectByFolder(int folderId);
    void selectAll();
    void selectFavorits();
    void selectByFormat(int format);
    void selectDeleted();
    void selectRecentlyRead();
    void selectLastAdded();
    void searchBooks(QString text);

    // With signal false only the database changes: the caller acts on many
    // books and emits the model's signal once itself.
    bool moveToTrash(int bookID, bool signal = true);
    bool restoreFromTrash(int bookID, bool signal = true);
    bool deleteFromLibrary(int bookID, bool signal = true);
    bool setFavorite(int bookID, bool favorite, bool signal = true);
    bool clearTrash();
    // Moves every book to the trash; deletes nothing.
    bool clearLibrary();
    bool restoreFromTrashAll();

    // Reads the book's row again and repaints it.
    void refreshCache(int bookId);

signals:
    void inserted();
    void restored();
    void removed();
    void deleted();
    void favorited();
    void noted();
    // Emitted by the package import when it has finished.
    void imported();

private:
    Q_DISABLE_COPY_MOVE(BookModel)

    void resetWith(const QList<BookDto> &books);
    QVariant displayValue(const BookDto &book, int column) const;
    QVariant roleValue(const BookDto &book, int role) const;
    uint shownTime(const BookDto &book) const;
    static int progressOf(const BookDto &book);
    static QString progressText(const BookDto &book);
    static QDateTime dateOf(uint secondsSinceEpoch);

    QList<BookDto> m_books;
    bool m_recentlyReadMode = false;
};
