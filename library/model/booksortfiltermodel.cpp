#include "library/model/booksortfiltermodel.h"

#include "library/model/bookmodel.h"

#include <QDateTime>

#include <algorithm>
#include <limits>

namespace {

constexpr qint64 unreadKey = std::numeric_limits<qint64>::min();
// Books without a date sort before every dated one.
constexpr qint64 noDateKey = unreadKey + 1;

} // namespace

BookSortFilterModel::BookSortFilterModel(QObject *parent)
    : QSortFilterProxyModel(parent)
{
}

void BookSortFilterModel::setSourceModel(QAbstractItemModel *source)
{
    for (const QMetaObject::Connection &connection : qAsConst(m_sourceConnections))
        disconnect(connection);
    m_sourceConnections.clear();
    clearDateKeys();
    // Connected before the base class connects its own handlers, so the keys
    // are gone before it re-sorts the changed rows.
    if (source) {
        const auto clear = [this] { clearDateKeys(); };
        m_sourceConnections = {
            connect(source, &QAbstractItemModel::modelReset, this, clear),
            connect(source, &QAbstractItemModel::layoutChanged, this, clear),
            connect(source, &QAbstractItemModel::rowsInserted, this, clear),
            connect(source, &QAbstractItemModel::rowsRemoved, this, clear),
            connect(source, &QAbstractItemModel::rowsMoved, this, clear),
            connect(source, &QAbstractItemModel::dataChanged, this, clear),
        };
    }
    QSortFilterProxyModel::setSourceModel(source);
}

void BookSortFilterModel::clearDateKeys()
{
    m_dateKeys.clear();
}

qint64 BookSortFilterModel::dateKey(const QModelIndex &sourceIndex) const
{
    const int row = sourceIndex.row();
    if (row >= m_dateKeys.size()) {
        const int known = m_dateKeys.size();
        m_dateKeys.resize(qMax(row + 1, sourceModel()->rowCount()));
        std::fill(m_dateKeys.begin() + known, m_dateKeys.end(), unreadKey);
    }
    qint64 &key = m_dateKeys[row];
    if (key == unreadKey) {
        const QDateTime date = sourceIndex.data(BookModel::DateRole).toDateTime();
        key = date.isValid() ? date.toMSecsSinceEpoch() : noDateKey;
    }
    return key;
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
        return dateKey(left) < dateKey(right);
    case BookModel::TitleColumn:
    case BookModel::AuthorColumn: {
        // Case does not part "live-manual" from "Live Systems"; it only
        // orders names that are otherwise the same.
        const QString a = left.data().toString();
        const QString b = right.data().toString();
        const int folded = QString::localeAwareCompare(a.toCaseFolded(), b.toCaseFolded());
        return folded != 0 ? folded < 0 : QString::localeAwareCompare(a, b) < 0;
    }
    default:
        return QSortFilterProxyModel::lessThan(left, right);
    }
}
