#include "library/model/bookmodel.h"

#include "core/logger.h"
#include "library/db/bookformat.h"
#include "library/db/bookprovider.h"
#include "library/workers/bookmetadata.h"

#include <QDebug>
#include <QFileInfo>
#include <QLocale>
#include <QMimeData>

#include <algorithm>

namespace {

// The widest category number that still names a format.
constexpr int lastFormatCategory = 1100;

} // namespace

QString BookModel::bookIdMimeType()
{
    return QStringLiteral("application/morvasco-vellumin-book_id-mime");
}

BookModel::BookModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

BookModel::~BookModel() = default;

// A table: only the invisible root has rows and columns. Answering them for
// a valid parent too would make every row look like a tree node holding the
// whole list again.
int BookModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_books.size();
}

int BookModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant BookModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || index.row() >= m_books.size())
        return QVariant();
    const BookDto &book = m_books.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return displayValue(book, index.column());
    case Qt::TextAlignmentRole:
        if (index.column() == FormatColumn || index.column() == DateColumn)
            return int(Qt::AlignCenter);
        return QVariant();
    default:
        return roleValue(book, role);
    }
}

QVariant BookModel::displayValue(const BookDto &book, int column) const
{
    switch (column) {
    case TitleColumn: {
        const QString title = book.title.trimmed();
        return title.isEmpty() ? tr("Unknown", "The title of the book is empty") : title;
    }
    case AuthorColumn: {
        const QString author = book.author.trimmed();
        return author.isEmpty() ? tr("Unknown", "The author of the book is empty") : author;
    }
    case ProgressColumn:
        return progressOf(book);
    case FormatColumn:
        return BookFormat::toString(book.format);
    case DateColumn: {
        // A book never opened has no last-view date to show (not 1970).
        const uint time = shownTime(book);
        return time == 0 ? QString() : formatBookDate(dateOf(time));
    }
    case NotesColumn:
        return book.notesCount;
    case FavoriteColumn:
        return book.isFavorite;
    case StoredAuthorColumn:
        return book.author;
    case DeletedColumn:
        return book.isDeleted;
    default:
        return QVariant();
    }
}

QVariant BookModel::roleValue(const BookDto &book, int role) const
{
    switch (role) {
    case BookIdRole:
        return book.id;
    case TitleRole:
        return book.title;
    case AuthorRole:
        return book.author;
    case CoverRole:
        return book.cover;
    case DateRole:
        return dateOf(shownTime(book));
    case NotesCountRole:
        return book.notesCount;
    case FormatRole:
        return book.format;
    case FormatNameRole:
        if (book.format >= 0 && book.format <= BookFormat::LastFormat)
            return BookFormat::toString(book.format);
        return QString();
    case DeletedRole:
        return book.isDeleted == 1;
    case FavoriteRole:
        return book.isFavorite == 1;
    case DescriptionRole:
        return BookProvider::instance()->getMetaData(book.id, BookMetadata::Description);
    case FolderRole:
        return QFileInfo(book.fullPath).path();
    case PathRole:
        return book.fullPath;
    case LastOpenTextRole:
        return book.timeLastView == 0 ? QString() : formatBookDate(dateOf(book.timeLastView));
    case ProgressTextRole:
        return progressText(book);
    case CategoryIdRole:
        return BookProvider::instance()->categoryOfBook(book.id);
    default:
        return QVariant();
    }
}

QVariant BookModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::TextAlignmentRole) {
        if (section == ProgressColumn || section == FormatColumn || section == DateColumn)
            return int(Qt::AlignCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    }
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QVariant();
    switch (section) {
    case TitleColumn:
        return tr("Title");
    case AuthorColumn:
        return tr("Author");
    case ProgressColumn:
        return tr("Progress");
    case FormatColumn:
        return tr("Format");
    case DateColumn:
        return m_recentlyReadMode ? tr("Date") : tr("Added on");
    case NotesColumn:
        return tr("Notes");
    default:
        return QVariant();
    }
}

Qt::ItemFlags BookModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags result = QAbstractTableModel::flags(index);
    if (index.isValid() && !index.data(DeletedRole).toBool())
        result |= Qt::ItemIsDragEnabled;
    return result;
}

QStringList BookModel::mimeTypes() const
{
    return { bookIdMimeType() };
}

QMimeData *BookModel::mimeData(const QModelIndexList &indexes) const
{
    QString payload;
    for (const QModelIndex &index : indexes) {
        if (index.isValid())
            payload += QString::number(index.data(BookIdRole).toInt()) + QLatin1Char('|');
    }
    qDebug() << "BookModel::mimeData" << payload;
    auto *mime = new QMimeData;
    mime->setData(bookIdMimeType(), payload.toUtf8());
    return mime;
}

// The base class would read the id text as its own item format, and a
// payload of a few ids declares rows by the hundred million.
bool BookModel::canDropMimeData(const QMimeData *, Qt::DropAction, int, int,
                                const QModelIndex &) const
{
    return false;
}

bool BookModel::dropMimeData(const QMimeData *, Qt::DropAction, int, int, const QModelIndex &)
{
    return false;
}

int BookModel::rowOfBook(int id) const
{
    for (int row = 0; row < m_books.size(); ++row) {
        if (m_books.at(row).id == id)
            return row;
    }
    return -1;
}

void BookModel::updateBook(const BookDto &book)
{
    BookProvider *provider = BookProvider::instance();
    if (!provider->updateBook(book)) {
        Logger::instance()->write(provider->lastError(), Logger::Error);
        return;
    }
    const int row = rowOfBook(book.id);
    if (row < 0)
        return;
    m_books[row] = book;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
    emit noted();
}

bool BookModel::containsBook(const QString &path)
{
    return BookProvider::instance()->findBookByPath(path).id > 0;
}

FormatCounts BookModel::formatCounts()
{
    FormatCounts counts;
    BookProvider *provider = BookProvider::instance();
    for (int format = 0; format <= BookFormat::LastFormat; ++format) {
        const int count = provider->bookCountByFormat(format);
        if (count > 0)
            counts.insert(format, qMakePair(format, count));
    }
    return counts;
}

QString BookModel::formatBookDate(const QDateTime &date)
{
    if (!date.isValid())
        return QString();
    const QString pattern = date.date().year() == QDate::currentDate().year()
            ? QStringLiteral("MMM d")
            : QStringLiteral("yyyy");
    return QLocale().toString(date, pattern);
}

void BookModel::selectByCategory(BookCategory category)
{
    m_recentlyReadMode = false;
    switch (category) {
    case CategoryRecentlyRead:
        m_recentlyReadMode = true;
        selectRecentlyRead();
        break;
    case CategoryLastAdded:
        selectLastAdded();
        break;
    case CategoryAll:
        selectAll();
        break;
    case CategoryFavorites:
        selectFavorits();
        break;
    case CategoryDeleted:
        selectDeleted();
        break;
    default:
        break;
    }
    if (category >= CategoryFormatBase && category <= lastFormatCategory)
        selectByFormat(category - CategoryFormatBase);
}

void BookModel::selectByFolder(int folderId)
{
    m_recentlyReadMode = false;
    resetWith(BookProvider::instance()->booksInCategory(folderId));
}

void BookModel::selectAll()
{
    resetWith(BookProvider::instance()->allBooks());
}

void BookModel::selectFavorits()
{
    resetWith(BookProvider::instance()->favoriteBooks());
}

void BookModel::selectByFormat(int format)
{
    resetWith(BookProvider::instance()->booksByFormat(format));
}

void BookModel::selectDeleted()
{
    resetWith(BookProvider::instance()->deletedBooks());
}

void BookModel::selectRecentlyRead()
{
    resetWith(BookProvider::instance()->recentlyReadBooks());
}

void BookModel::selectLastAdded()
{
    resetWith(BookProvider::instance()->lastAddedBooks());
}

void BookModel::searchBooks(QString text)
{
    resetWith(BookProvider::instance()->searchBooks(text));
}

bool BookModel::moveToTrash(int bookID, bool signal)
{
    if (!BookProvider::instance()->setDeleted(bookID, 1))
        return false;
    if (!signal)
        return true;
    // Views and proxies must hear of the row leaving, or they keep
    // indexes past the end of the cache.
    const int row = rowOfBook(bookID);
    if (row >= 0) {
        beginRemoveRows(QModelIndex(), row, row);
        m_books.removeAt(row);
        endRemoveRows();
    }
    emit removed();
    return true;
}

bool BookModel::restoreFromTrash(int bookID, bool signal)
{
    if (!BookProvider::instance()->setDeleted(bookID, 0))
        return false;
    if (signal)
        emit restored();
    return true;
}

bool BookModel::deleteFromLibrary(int bookID, bool signal)
{
    if (!BookProvider::instance()->deleteFromLibrary(bookID))
        return false;
    if (signal)
        emit deleted();
    return true;
}

bool BookModel::setFavorite(int bookID, bool favorite, bool signal)
{
    if (!BookProvider::instance()->setFavorite(bookID, favorite ? 1 : 0))
        return false;
    if (signal)
        emit favorited();
    return true;
}

bool BookModel::clearTrash()
{
    if (!BookProvider::instance()->clearTrash())
        return false;
    emit deleted();
    return true;
}

bool BookModel::clearLibrary()
{
    if (!BookProvider::instance()->clearLibrary())
        return false;
    emit removed();
    return true;
}

bool BookModel::restoreFromTrashAll()
{
    if (!BookProvider::instance()->restoreAllFromTrash())
        return false;
    emit restored();
    return true;
}

void BookModel::refreshCache(int bookId)
{
    const int row = rowOfBook(bookId);
    if (row < 0) {
        Logger::instance()->write(QStringLiteral("Book not found in cache"), Logger::Debug);
        return;
    }
    const BookDto book = BookProvider::instance()->findBookById(bookId);
    if (book.id == -1)
        Logger::instance()->write(QStringLiteral("Book not found in data base"), Logger::Debug);
    else
        m_books[row] = book;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void BookModel::resetWith(const QList<BookDto> &books)
{
    beginResetModel();
    m_books = books;
    endResetModel();
}

uint BookModel::shownTime(const BookDto &book) const
{
    return m_recentlyReadMode ? book.timeLastView : book.timeAdded;
}

int BookModel::progressOf(const BookDto &book)
{
    return std::clamp(book.maxPosition, 0, 100);
}

QString BookModel::progressText(const BookDto &book)
{
    const int progress = progressOf(book);
    if (progress == 0)
        return tr("on start");
    if (progress == 100)
        return tr("finished");
    return QStringLiteral("%1%").arg(progress);
}

QDateTime BookModel::dateOf(uint secondsSinceEpoch)
{
    return QDateTime::fromSecsSinceEpoch(qint64(secondsSinceEpoch), Qt::LocalTime);
}
