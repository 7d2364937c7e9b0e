#include "standalone/panels/lazytreectrl.h"

#include <QScrollBar>

namespace divad {

LazyTreeCtrl::LazyTreeCtrl(QWidget *parent)
    : QTreeWidget(parent)
{
    setHeaderHidden(true);
    setRootIsDecorated(true);
    connect(this, &QTreeWidget::itemExpanded, this, &LazyTreeCtrl::onItemExpanded);
}

LazyTreeCtrl::~LazyTreeCtrl() = default;

bool LazyTreeCtrl::HasChildIndicator(const QTreeWidgetItem *item)
{
    if (!item)
        return false;
    switch (item->childIndicatorPolicy()) {
    case QTreeWidgetItem::ShowIndicator:
        return true;
    case QTreeWidgetItem::DontShowIndicator:
        return false;
    case QTreeWidgetItem::DontShowIndicatorWhenChildless:
        return item->childCount() > 0;
    }
    return false;
}

void LazyTreeCtrl::SetChildIndicator(QTreeWidgetItem *item, bool shown)
{
    if (item)
        item->setChildIndicatorPolicy(shown ? QTreeWidgetItem::ShowIndicator
                                            : QTreeWidgetItem::DontShowIndicator);
}

bool LazyTreeCtrl::PopulateItem(QTreeWidgetItem *)
{
    return false;
}

void LazyTreeCtrl::onItemExpanded(QTreeWidgetItem *item)
{
    BeginLoad(item);
    EndLoad(item);
}

void LazyTreeCtrl::BeginLoad(QTreeWidgetItem *item)
{
    if (!item || item->childCount() > 0) {
        // Children are read once.
        m_itemBeingFilled = nullptr;
        return;
    }
    m_itemBeingFilled = item;
    setUpdatesEnabled(false);
    m_placeholder = new QTreeWidgetItem(item, QStringList(m_placeholderText));
}

void LazyTreeCtrl::EndLoad(QTreeWidgetItem *item)
{
    if (!m_itemBeingFilled || m_itemBeingFilled != item)
        return;
    m_itemBeingFilled = nullptr;
    setUpdatesEnabled(false);
    delete m_placeholder;
    m_placeholder = nullptr;
    const bool ok = PopulateItem(item);
    if (item != invisibleRootItem()) {
        if (ok) {
            SetChildIndicator(item, item->childCount() > 0);
        } else if (item->childCount() == 0) {
            // The indicator stays, so the item can be expanded again.
            QSignalBlocker quiet(this);
            item->setExpanded(false);
        }
    }
    setUpdatesEnabled(true);
}

void LazyTreeCtrl::DeleteChildren(QTreeWidgetItem *item)
{
    if (!item)
        item = invisibleRootItem();
    while (item->childCount() > 0)
        delete item->takeChild(0);
}

void LazyTreeCtrl::RefreshItem(QTreeWidgetItem *item)
{
    if (!item)
        item = invisibleRootItem();
    if (item != invisibleRootItem() && !HasChildIndicator(item))
        return;
    setUpdatesEnabled(false);
    DeleteChildren(item);
    if (item == invisibleRootItem()) {
        RefreshRoot();
    } else {
        BeginLoad(item);
        EndLoad(item);
    }
    setUpdatesEnabled(true);
}

void LazyTreeCtrl::RefreshRoot()
{
    QTreeWidgetItem *root = invisibleRootItem();
    BeginLoad(root);
    EndLoad(root);
    setUpdatesEnabled(false);
    const int horizontal = horizontalScrollBar()->value();
    if (topLevelItemCount() > 0)
        scrollToItem(topLevelItem(0));
    horizontalScrollBar()->setValue(horizontal);
    setUpdatesEnabled(true);
}

} // namespace divad
