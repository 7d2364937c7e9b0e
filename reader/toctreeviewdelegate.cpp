#include "reader/toctreeviewdelegate.h"

TocTreeViewDelegate::TocTreeViewDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QSize TocTreeViewDelegate::sizeHint(const QStyleOptionViewItem &option,
                                    const QModelIndex &index) const
{
    Q_UNUSED(index)
    return QSize(option.rect.width(), 34);
}
