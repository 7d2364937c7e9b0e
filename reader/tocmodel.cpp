#include "reader/tocmodel.h"

#include <functional>

namespace {

constexpr int LeftCentred = Qt::AlignLeft | Qt::AlignVCenter;
constexpr int Centred = Qt::AlignHCenter | Qt::AlignVCenter;

} // namespace

TocModel::TocModel(QObject *parent)
    : QAbstractItemModel(parent)
{
}

TocModel::~TocModel()
{
    delete m_root;
}

void TocModel::setToc(const QList<TocItem> &entries)
{
    auto *root = new Node;
    std::function<void(Node *, const QList<TocItem> &)> add
            = [&add](Node *parent, const QList<TocItem> &items) {
                  for (const TocItem &item : items) {
                      auto *node = new Node;
                      node->parent = parent;
                      node->title = item.title;
                      node->source = item.source;
                      node->index = item.position;
                      node->page = item.page;
                      parent->children.append(node);
                      add(node, item.children);
                  }
              };
    add(root, entries);
    setRoot(root);
}

void TocModel::setRoot(Node *root)
{
    beginResetModel();
    delete m_root;
    m_root = root;
    endResetModel();
}

TocModel::Node *TocModel::nodeOf(const QModelIndex &index) const
{
    return index.isValid() ? static_cast<Node *>(index.internalPointer()) : m_root;
}

QModelIndex TocModel::index(int row, int column, const QModelIndex &parent) const
{
    if (!m_root || row < 0 || column < 0 || column > 1
        || (parent.isValid() && parent.column() != 0)) {
        return QModelIndex();
    }
    const Node *node = nodeOf(parent);
    if (!node || row >= node->children.size())
        return QModelIndex();
    return createIndex(row, column, node->children.at(row));
}

QModelIndex TocModel::parent(const QModelIndex &child) const
{
    if (!child.isValid())
        return QModelIndex();
    const Node *node = nodeOf(child);
    Node *parentNode = node->parent;
    if (!parentNode || parentNode == m_root || !parentNode->parent)
        return QModelIndex();
    return createIndex(parentNode->parent->children.indexOf(parentNode), 0, parentNode);
}

int TocModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid() && parent.column() != 0)
        return 0;
    const Node *node = nodeOf(parent);
    return node ? node->children.size() : 0;
}

int TocModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() && parent.column() != 0 ? 0 : 2;
}

QVariant TocModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() > 1)
        return QVariant();
    const Node *node = nodeOf(index);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        if (index.column() == 0)
            return node->title;
        return node->page > 0 ? QVariant(node->page) : QVariant(QStringLiteral("..."));
    case NavigationRole:
        return node->index;
    case Qt::TextAlignmentRole:
        return index.column() == 1 ? Centred : LeftCentred;
    default:
        return QVariant();
    }
}

QVariant TocModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return QVariant();
    if (role == Qt::DisplayRole) {
        if (section == 0)
            return tr("Chapter title");
        if (section == 1)
            return tr("Page");
        return QVariant();
    }
    if (role == Qt::TextAlignmentRole)
        return section == 1 ? Centred : LeftCentred;
    return QVariant();
}

Qt::ItemFlags TocModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsSelectable | Qt::ItemIsEnabled : Qt::NoItemFlags;
}
