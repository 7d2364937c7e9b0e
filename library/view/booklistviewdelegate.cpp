#include "library/view/booklistviewdelegate.h"

#include "library/model/bookmodel.h"
#include "library/view/coverimage.h"
#include "widgets/elidedtext.h"

#include <QPainter>
#include <QPixmapCache>

namespace {

const QString tileGround = QStringLiteral(":/style/images/blankcover.png");

// The tile ground, made once for the tile's size: every tile draws it.
QPixmap groundPixmap(const QSize &size, qreal ratio)
{
    const QString key = CoverImage::cacheKey(QStringLiteral("book_list_view_ground_"), tileGround,
                                             size * ratio);
    QPixmap pixmap;
    if (QPixmapCache::find(key, &pixmap))
        return pixmap;
    pixmap = QPixmap(tileGround)
                     .scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    pixmap.setDevicePixelRatio(ratio);
    QPixmapCache::insert(key, pixmap);
    return pixmap;
}

// Lines of `text` centred in `band`, as many as fit, the last elided.
void drawBand(QPainter *painter, const QRect &band, const QString &text)
{
    const QFontMetrics metrics = painter->fontMetrics();
    const int lineSpacing = metrics.lineSpacing();
    const QStringList lines
            = elidedLines(text, painter->font(), band.width(), band.height() / lineSpacing);
    int y = band.top() + (band.height() - lines.size() * lineSpacing) / 2;
    for (const QString &line : lines) {
        painter->drawText(QRect(band.left(), y, band.width(), lineSpacing),
                          Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine, line);
        y += lineSpacing;
    }
}

} // namespace

BookListViewDelegate::BookListViewDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QSize BookListViewDelegate::tileSize()
{
    return QSize(129, 192);
}

QSize BookListViewDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return tileSize();
}

QRect BookListViewDelegate::coverRect(const QRect &tile)
{
    return tile.adjusted(2, 0, 0, -2);
}

QString BookListViewDelegate::cacheKeyPrefix()
{
    return QStringLiteral("book_list_view_");
}

void BookListViewDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                 const QModelIndex &index) const
{
    if (index.column() != BookModel::TitleColumn) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->save();
    const qreal ratio = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
    if (option.state & QStyle::State_Selected)
        painter->fillRect(option.rect, option.palette.brush(QPalette::Highlight));
    painter->drawPixmap(option.rect, groundPixmap(option.rect.size(), ratio));

    const QRect cover = coverRect(option.rect);
    bool isDefault = false;
    const QPixmap pixmap
            = CoverImage::cached(cacheKeyPrefix(), index.data(BookModel::CoverRole).toString(),
                                 cover.size(), ratio, &isDefault);
    painter->drawPixmap(cover, pixmap);
    // The highlight under the ground only shows in the thin margin beside
    // the cover: a selected book also gets a frame of it on the cover.
    if (option.state & QStyle::State_Selected) {
        const QBrush brush = option.palette.brush(QPalette::Highlight);
        const int w = selectionFrameWidth;
        painter->fillRect(QRect(cover.left(), cover.top(), cover.width(), w), brush);
        painter->fillRect(QRect(cover.left(), cover.bottom() - w + 1, cover.width(), w), brush);
        painter->fillRect(QRect(cover.left(), cover.top(), w, cover.height()), brush);
        painter->fillRect(QRect(cover.right() - w + 1, cover.top(), w, cover.height()), brush);
    }
    if (isDefault) {
        const QString title = index.data().toString();
        const QString author
                = index.sibling(index.row(), BookModel::AuthorColumn).data().toString();
        paintDefaultCoverText(painter, option, cover, title, author);
    }
    painter->restore();
}

void BookListViewDelegate::paintDefaultCoverText(QPainter *painter,
                                                 const QStyleOptionViewItem &option,
                                                 const QRect &cover, const QString &title,
                                                 const QString &author) const
{
    QPen pen = painter->pen();
    pen.setBrush(option.palette.brush(QPalette::HighlightedText));
    painter->setPen(pen);
    painter->setFont(option.font);
    // Title and author each get a band a third of the cover high, 10 pixels
    // narrower than the cover, 5 pixels in from its top and its bottom.
    const int third = cover.height() / 3;
    drawBand(painter,
             QRect(QPoint(cover.left() + 5, cover.top() + 5),
                   QPoint(cover.right() - 5, cover.top() + 4 + third)),
             title);
    drawBand(painter,
             QRect(QPoint(cover.left() + 5, cover.bottom() - third - 5),
                   QPoint(cover.right() - 5, cover.bottom() - 6)),
             author);
}
