#pragma once

#include <QSortFilterProxyModel>

// The notes tree as the panel shows it: filtered by the source model's
// colour and comment filters and by the proxy's own pattern (a regular
// expression, case-insensitive, matched in the noted text and the
// comment), and sorted by page, date, comment or text. A chapter row shows
// only while one of its notes does. Sorting by the colour column is
// refused.
//
// The source must be a NotesModel.
class NoteSortFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    explicit NoteSortFilterModel(QObject *parent = nullptr);

    // The search text as the filter pattern: a regular expression in its
    // default syntax, case-insensitive; an invalid one matches nothing.
    void setSearchText(const QString &text);

    bool hasChildren(const QModelIndex &parent = QModelIndex()) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;
    bool lessThan(const QModelIndex &left, const QModelIndex &right) const override;

private:
    Q_DISABLE_COPY_MOVE(NoteSortFilterModel)

    bool noteAccepted(const QModelIndex &sourceIndex) const;
};
