#pragma once

#include <QHash>
#include <QMap>
#include <QPixmap>
#include <QString>
#include <QStyledItemDelegate>

class BookTable;

// Paints every cell of the library's book table: a cover thumbnail beside
// the bold title, the author, a progress bar with its text, the date, the
// notes count and the favourite, restore and delete icons, whose images
// follow the cell's selection and hover. It only paints; the library screen
// handles clicks on the icon columns.
//
// Cover thumbnails are read scaled once per cover path and kept in the
// application's QPixmapCache under thumbnailCacheKey(path). GUI thread only.
class BookTableDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit BookTableDelegate(BookTable *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

    // Bits of an icon-state key.
    enum IconState { Selected = 1, Hovered = 16, Favorite = 256 };
    // The image of each icon column for an icon-state key.
    QString favoriteIcon(int key) const { return m_favoriteIcons.value(key); }
    QString restoreIcon(int key) const { return m_restoreIcons.value(key); }
    QString deleteIcon(int key) const { return m_deleteIcons.value(key); }

    static QString defaultCover();
    static QString thumbnailCacheKey(const QString &coverPath);
    static QSize thumbnailSize();
    // The thumbnail of a cover file (the default cover for an empty or
    // missing path, or a file that does not decode), from the pixmap cache
    // or read scaled into it.
    static QPixmap thumbnail(const QString &coverPath, qreal devicePixelRatio = 1.0);

private:
    Q_DISABLE_COPY_MOVE(BookTableDelegate)

    void paintTitle(QPainter *painter, const QStyleOptionViewItem &option,
                    const QModelIndex &index) const;
    void paintText(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index,
                   bool notes) const;
    void paintProgress(QPainter *painter, const QStyleOptionViewItem &option,
                       const QModelIndex &index) const;
    void paintDate(QPainter *painter, const QStyleOptionViewItem &option,
                   const QModelIndex &index) const;
    void paintIcon(QPainter *painter, const QStyleOptionViewItem &option, const QString &image,
                   const QRect &rect) const;

    QMap<int, QString> m_favoriteIcons;
    QMap<int, QString> m_restoreIcons;
    QMap<int, QString> m_deleteIcons;
    mutable QHash<QString, QPixmap> m_iconPixmaps;
};
