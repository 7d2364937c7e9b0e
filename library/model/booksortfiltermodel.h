#pragma once

#include "library/model/searchpattern.h"

#include <QList>
#include <QSortFilterProxyModel>
#include <QVector>

// The library's search and the sort rules of its columns, over
// BookFormatFilter (or any model with BookModel's columns and roles).
//
// The pattern of the filter expression is the user's search text, read as
// a regular expression in any letter case (SearchPattern); a book passes
// when it matches anywhere in the displayed title or author. A text that is
// not a valid expression matches no book. Matching never backtracks and is
// bounded per book, so no search text can stall the screen.
//
// Sorting: the notes column by count, the date column by time stamp, title
// and author by the locale's collation, the rest by their display values.
// The time stamps are read once per row and kept until the source changes:
// turning a local date back into a time stamp costs a time-zone look-up,
// and a sort of 10,000 books compares a quarter of a million pairs.
// GUI thread only.
class BookSortFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit BookSortFilterModel(QObject *parent = nullptr);

    void setSourceModel(QAbstractItemModel *source) override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    Q_DISABLE_COPY_MOVE(BookSortFilterModel)

    qint64 dateKey(const QModelIndex &sourceIndex) const;
    void clearDateKeys();

    // The compiled search, remade when the pattern changes.
    mutable SearchPattern m_search;
    // Milliseconds since 1970 by source row; unreadKey until read.
    mutable QVector<qint64> m_dateKeys;
    QList<QMetaObject::Connection> m_sourceConnections;
};
