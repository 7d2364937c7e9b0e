#pragma once

#include <QSortFilterProxyModel>

// Keeps the books of one format. The pattern of the filter expression is a
// format code in decimal; an empty pattern, "-1" or a text that is not a
// number passes every book (the state after construction).
//
// The source is the library's BookModel (or a proxy over it): the format is
// read from BookModel::FormatRole of column 3. GUI thread only.
class BookFormatFilter : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit BookFormatFilter(QObject *parent = nullptr);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    Q_DISABLE_COPY_MOVE(BookFormatFilter)
};
