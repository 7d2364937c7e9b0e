#include "reader/comboboxcoloritemdelegate.h"

#include <QIcon>
#include <QPainter>

ComboBoxColorItemDelegate::ComboBoxColorItemDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

void ComboBoxColorItemDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    if (option.state & QStyle::State_Selected)
        painter->fillRect(option.rect, QColor(QStringLiteral("#4A6CC1")));
    const QIcon icon = index.data(Qt::DecorationRole).value<QIcon>();
    const QSize size = option.decorationSize;
    const QPixmap pixmap = icon.pixmap(size);
    const QRect target(option.rect.center().x() - size.width() / 2 + 1,
                       option.rect.center().y() - size.height() / 2 + 1, size.width(),
                       size.height());
    painter->drawPixmap(target, pixmap);
}
