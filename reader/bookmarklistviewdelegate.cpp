#include "reader/bookmarklistviewdelegate.h"

#include "library/db/bookmarkdto.h"

#include <QPainter>

BookmarkListViewDelegate::BookmarkListViewDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

void BookmarkListViewDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const bool hovered = option.state & QStyle::State_MouseOver;
    painter->fillRect(option.rect, hovered ? QColor(74, 108, 193) : QColor(255, 255, 255));
    const int iconTop = option.rect.top() + (option.rect.height() - m_icon.height()) / 2;
    painter->drawPixmap(option.rect.left(), iconTop, m_icon);
    const BookmarkDto bookmark = index.data(Qt::DisplayRole).value<BookmarkDto>();
    const QRect textRect = option.rect.adjusted(m_icon.width() + 4, 0, -6, 0);
    painter->setFont(option.font);
    painter->setPen(hovered ? QColor(255, 255, 255) : QColor(40, 40, 40));
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, bookmark.title);
    painter->restore();
}

QSize BookmarkListViewDelegate::sizeHint(const QStyleOptionViewItem &option,
                                         const QModelIndex &index) const
{
    Q_UNUSED(index)
    return QSize(option.rect.width(), qMax(option.fontMetrics.height(), 30));
}
