#include "widgets/comboboxitemdelegate.h"

#include <QApplication>
#include <QStyle>

ComboBoxItemDelegate::ComboBoxItemDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

void ComboBoxItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    item.text
            = index.model()->index(index.row(), 0, index.parent()).data(Qt::DisplayRole).toString();
    item.state &= ~QStyle::State_HasFocus;
    const QStyle *style = item.widget ? item.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &item, painter, item.widget);
}
