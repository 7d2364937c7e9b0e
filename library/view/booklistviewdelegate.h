#pragma once

#include <QStyledItemDelegate>

// Paints one tile of the bookshelf: the tile ground, the book's cover over
// it and, for a book without a cover, the default cover with the title in
// its upper third and the author in its lower third, as plain text. A
// selected tile has the highlight colour under its ground and as a frame on
// its cover.
//
// Covers are read scaled to the tile once per cover path and kept in the
// application's QPixmapCache (CoverImage). The image properties name the
// rating and trash images of the tile's states; the view sets them from the
// style's images. GUI thread only.
class BookListViewDelegate : public QStyledItemDelegate
{
    Q_OBJECT
    Q_PROPERTY(QString rateRated MEMBER m_rateRated)
    Q_PROPERTY(QString rateRatedHigh MEMBER m_rateRatedHigh)
    Q_PROPERTY(QString rateUnrated MEMBER m_rateUnrated)
    Q_PROPERTY(QString rateUnratedHigh MEMBER m_rateUnratedHigh)
    Q_PROPERTY(QString rateUnratedSelect MEMBER m_rateUnratedSelect)
    Q_PROPERTY(QString rateUnratedSelectHigh MEMBER m_rateUnratedSelectHigh)
    Q_PROPERTY(QString trash MEMBER m_trash)
    Q_PROPERTY(QString trashHigh MEMBER m_trashHigh)
    Q_PROPERTY(QString trashSelect MEMBER m_trashSelect)
    Q_PROPERTY(QString trashSelectHigh MEMBER m_trashSelectHigh)
public:
    explicit BookListViewDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    // 129 x 192 for every book.
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    static QSize tileSize();
    // Width of the highlight frame on a selected book's cover.
    static constexpr int selectionFrameWidth = 3;
    // Where the cover goes in a tile.
    static QRect coverRect(const QRect &tile);
    // The key prefix of the tiles' covers in the pixmap cache.
    static QString cacheKeyPrefix();

private:
    Q_DISABLE_COPY_MOVE(BookListViewDelegate)

    void paintDefaultCoverText(QPainter *painter, const QStyleOptionViewItem &option,
                               const QRect &cover, const QString &title,
                               const QString &author) const;

    QString m_rateRated;
    QString m_rateRatedHigh;
    QString m_rateUnrated;
    QString m_rateUnratedHigh;
    QString m_rateUnratedSelect;
    QString m_rateUnratedSelectHigh;
    QString m_trash;
    QString m_trashHigh;
    QString m_trashSelect;
    QString m_trashSelectHigh;
};
