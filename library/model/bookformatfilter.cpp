#include "library/model/bookformatfilter.h"

#include "library/model/bookmodel.h"

BookFormatFilter::BookFormatFilter(QObject *parent)
    : QSortFilterProxyModel(parent)
{
}

bool BookFormatFilter::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    const QString pattern = filterRegExp().pattern();
    if (pattern.isEmpty())
        return true;
    bool ok = false;
    const int format = pattern.toInt(&ok, 10);
    if (!ok || format == -1)
        return true;
    const QModelIndex index
            = sourceModel()->index(sourceRow, BookModel::FormatColumn, sourceParent);
    return index.data(BookModel::FormatRole).toInt() == format;
}
