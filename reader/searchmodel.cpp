#include "reader/searchmodel.h"

SearchModel::SearchModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void SearchModel::setResults(const QList<SearchResult> &results)
{
    beginResetModel();
    m_results = results;
    endResetModel();
}

void SearchModel::clear()
{
    setResults({});
}

int SearchModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_results.size();
}

int SearchModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1;
}

QString SearchModel::location(const SearchResult &result) const
{
    if (!result.title.isEmpty())
        return tr("%1, Page %2").arg(result.title, QString::number(result.page));
    return tr("Page %1").arg(result.page);
}

QVariant SearchModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_results.size())
        return QVariant();
    const SearchResult &result = m_results.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return index.column() == 0 ? QVariant(location(result)) : QVariant(result.position);
    case OrderRole:
        return result.position;
    case LocationRole:
        return location(result);
    case TextRole:
        return result.text;
    case PageRole:
        return result.page;
    case PageResultRole:
        return result.isPageJump;
    default:
        return QVariant();
    }
}

QVariant SearchModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QVariant();
    if (role == Qt::TextAlignmentRole)
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role == Qt::DisplayRole && section == 0)
        return tr("Results");
    return QVariant();
}
