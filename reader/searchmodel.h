#pragma once

#include "document/searchresult.h"

#include <QAbstractTableModel>
#include <QList>

// The hits of the last in-book search, one per row, in one column: the
// location ("Chapter, Page 12" or "Page 12") as display text, and through
// roles the navigation number, the location, the hit's rich text, its page
// and whether it is reached by its page number.
class SearchModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Role {
        OrderRole = Qt::UserRole + 1,
        LocationRole = Qt::UserRole + 2,
        TextRole = Qt::UserRole + 3,
        PageRole = Qt::UserRole + 4,
        PageResultRole = Qt::UserRole + 5,
    };

    explicit SearchModel(QObject *parent = nullptr);

    void setResults(const QList<SearchResult> &results);
    QList<SearchResult> results() const { return m_results; }
    void clear();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Q_DISABLE_COPY_MOVE(SearchModel)

    QString location(const SearchResult &result) const;

    QList<SearchResult> m_results;
};
