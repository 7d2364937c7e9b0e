#include "reader/bookmarktabledelegate.h"

#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QStyle>

BookmarkTableDelegate::BookmarkTableDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QString BookmarkTableDelegate::imageFor(const QStyleOptionViewItem &option) const
{
    int key = (option.state & QStyle::State_Selected) ? Selected : Normal;
    if (option.state & QStyle::State_MouseOver)
        key += High;
    return m_images.value(key);
}

void BookmarkTableDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    if (index.column() != 2) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->save();
    if (option.state & QStyle::State_Selected)
        painter->fillRect(option.rect, option.palette.highlight());
    const QString path = imageFor(option);
    const QPixmap image = path.isEmpty() ? QPixmap() : QPixmap(path);
    QApplication::style()->drawItemPixmap(painter, option.rect, Qt::AlignCenter, image);
    painter->restore();
}
