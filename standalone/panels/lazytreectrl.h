#pragma once

#include <QTreeWidget>

namespace divad {

// A tree that reads an item's children only when the user first expands
// it. While they are read the item holds a "Loading..." placeholder (never
// painted: drawing is off from its insertion to its removal) so that the
// expansion goes through. An item is unfilled (indicator, no children),
// being filled, or filled (children present, never read again); an item
// whose reading failed and found nothing returns to unfilled and is read
// again at the next expansion. Subclasses read children in PopulateItem().
// User-interface thread; filling is synchronous.
class LazyTreeCtrl : public QTreeWidget
{
    Q_OBJECT

public:
    explicit LazyTreeCtrl(QWidget *parent = nullptr);
    ~LazyTreeCtrl() override;

    // Reads the children of item (the root for null) again.
    void RefreshItem(QTreeWidgetItem *item);
    void RefreshRoot();
    void DeleteChildren(QTreeWidgetItem *item);
    QString PlaceholderText() const { return m_placeholderText; }

    // Whether the item shows the "+" that invites an expansion.
    static bool HasChildIndicator(const QTreeWidgetItem *item);
    static void SetChildIndicator(QTreeWidgetItem *item, bool shown);

protected:
    // Fills item (invisibleRootItem() for the root) with its children; true
    // when the item's indicator is to follow the children found.
    virtual bool PopulateItem(QTreeWidgetItem *item);
    void BeginLoad(QTreeWidgetItem *item);
    void EndLoad(QTreeWidgetItem *item);

private:
    void onItemExpanded(QTreeWidgetItem *item);

    QString m_placeholderText = QStringLiteral("Loading...");
    QTreeWidgetItem *m_placeholder = nullptr;
    QTreeWidgetItem *m_itemBeingFilled = nullptr;
};

} // namespace divad
