#include "booksortfiltermodel.h"

#include "bookmodel.h"

#include <QDateTime>

BookSortFilterModel::BookSortFilterModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{
}

bool BookSortFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    const QString pattern = filterRegExp().pattern();
    if (pattern.isEmpty())
        return true;
    if (m_search.pattern() != pattern)
        m_search = SearchPattern(pattern);
    if (!m_search.isValid())
        return false;
    const QAbstractItemModel *source = sourceModel();
    const QString title
            = source->index(sourceRow, BookModel::TitleColumn, sourceParent).data().toString();
    if (m_search.matches(title))
        return true;
    const QString author
            = source->index(sourceRow, BookModel::AuthorColumn, sourceParent).data().toString();
    return m_search.matches(author);
}

bool BookSortFilterModel::lessThan(const QModelIndex &left, const QModelIndex &right) const
{
    switch (left.column()) {
    case BookModel::NotesColumn:
        return left.data(BookModel::NotesCountRole).toInt()
                < right.data(BookModel::NotesCountRole).toInt();
    case BookModel::DateColumn:
        return left.data(BookModel::DateRole).toDateTime()
                < right.data(BookModel::DateRole).toDateTime();
    case BookModel::TitleColumn:
    case BookModel::AuthorColumn:
        return QString::localeAwareCompare(left.data().toString(), right.data().toString()) < 0;
    default:
        return QSortFilterProxyModel::lessThan(left, right);
    }
}
