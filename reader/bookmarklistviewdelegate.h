#pragma once

#include <QPixmap>
#include <QStyledItemDelegate>

// Paints a library bookmark (a BookmarkDto display value) as one row of a
// plain list: the icon at the left, the title beside it, white on blue
// under the mouse.
class BookmarkListViewDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit BookmarkListViewDelegate(QObject *parent = nullptr);

    QPixmap icon() const { return m_icon; }
    void setIcon(const QPixmap &icon) { m_icon = icon; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QPixmap m_icon;
};
