#pragma once

#include "document/tocitem.h"

#include <QAbstractItemModel>
#include <QList>

// The table of contents as a two-column tree: the entry's title and its
// page ("..." while the page is not counted). The role Qt::UserRole + 1
// gives an entry's navigation number (its document position), in either
// column; the reading controller's navigateToPosition() understands it.
class TocModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    // One entry of the tree; owns its children.
    struct Node
    {
        ~Node() { qDeleteAll(children); }
        QList<Node *> children;
        Node *parent = nullptr;
        QString source;
        QString title;
        int index = 0;
        int page = 0;
    };

    static constexpr int NavigationRole = Qt::UserRole + 1;

    explicit TocModel(QObject *parent = nullptr);
    ~TocModel() override;

    // Replaces the tree by one built from the entries, children in order.
    void setToc(const QList<TocItem> &entries);
    // Takes root over (null: no tree) and deletes the previous tree.
    void setRoot(Node *root);

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    Q_DISABLE_COPY_MOVE(TocModel)

    Node *nodeOf(const QModelIndex &index) const;

    Node *m_root = nullptr;
};
