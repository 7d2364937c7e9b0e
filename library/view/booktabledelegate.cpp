#include "library/view/booktabledelegate.h"

#include "library/model/bookmodel.h"
#include "library/view/booktable.h"
#include "library/view/coverimage.h"

#include <QApplication>
#include <QIcon>
#include <QPainter>
#include <QStyle>

namespace {

const QColor coverFrame(241, 241, 241);
const QColor coverFrameSelected(146, 166, 214);
const QColor progressTrack(232, 234, 239);
const QColor progressTrackSelected(69, 102, 183);
const QColor progressFill(144, 155, 176);
const QColor progressFillSelected(51, 80, 145);
const QColor finishedText(86, 162, 57);
const QColor finishedTextSelected(128, 200, 100);

constexpr int iconSize = 18;
// The grey frame around the thumbnail: the thumbnail's width plus 10.
constexpr int frameWidth = 42;

bool isSelected(const QStyleOptionViewItem &option)
{
    return option.state & QStyle::State_Selected;
}

// Selection and hover bits of an icon-state key.
int stateKey(const QStyleOptionViewItem &option)
{
    int key = 0;
    if (option.state & QStyle::State_Selected)
        key |= BookTableDelegate::Selected;
    if (option.state & QStyle::State_MouseOver)
        key |= BookTableDelegate::Hovered;
    return key;
}

void fillSelection(QPainter *painter, const QStyleOptionViewItem &option)
{
    if (isSelected(option))
        painter->fillRect(option.rect, option.palette.brush(QPalette::Highlight));
}

} // namespace

BookTableDelegate::BookTableDelegate(BookTable *parent)
    : QStyledItemDelegate(parent)
{
    const QString images = QStringLiteral(":/style/images/");
    m_favoriteIcons = {
        { 0, images + QStringLiteral("rateunrated.png") },
        { Selected, images + QStringLiteral("rateunratedselect.png") },
        { Hovered, images + QStringLiteral("rateunratedhigh.png") },
        { Selected | Hovered, images + QStringLiteral("rateunratedselecthigh.png") },
        // A favourite's star ignores the selection, only hover changes it.
        { Favorite, images + QStringLiteral("raterated.png") },
        { Favorite | Selected, images + QStringLiteral("raterated.png") },
        { Favorite | Hovered, images + QStringLiteral("rateratedhigh.png") },
        { Favorite | Selected | Hovered, images + QStringLiteral("rateratedhigh.png") },
    };
    m_deleteIcons = {
        { 0, images + QStringLiteral("delete.png") },
        { Selected, images + QStringLiteral("deleteselect.png") },
        { Hovered, images + QStringLiteral("deletehigh.png") },
        { Selected | Hovered, images + QStringLiteral("deleteselecthigh.png") },
    };
    m_restoreIcons = {
        { 0, images + QStringLiteral("unerase.png") },
        { Selected, images + QStringLiteral("uneraseselect.png") },
        { Hovered, images + QStringLiteral("unerasehigh.png") },
        { Selected | Hovered, images + QStringLiteral("uneraseselecthigh.png") },
    };
}

QString BookTableDelegate::defaultCover()
{
    return CoverImage::defaultCover();
}

QString BookTableDelegate::thumbnailCacheKey(const QString &coverPath)
{
    return CoverImage::cacheKey(QStringLiteral("book_table_delegate"), coverPath, thumbnailSize());
}

QSize BookTableDelegate::thumbnailSize()
{
    return QSize(32, 49);
}

QPixmap BookTableDelegate::thumbnail(const QString &coverPath, qreal devicePixelRatio)
{
    return CoverImage::cached(QStringLiteral("book_table_delegate"), coverPath, thumbnailSize(),
                              devicePixelRatio);
}

void BookTableDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                              const QModelIndex &index) const
{
    switch (index.column()) {
    case BookModel::TitleColumn:
        paintTitle(painter, option, index);
        return;
    case BookModel::AuthorColumn:
        paintText(painter, option, index, false);
        return;
    case BookModel::ProgressColumn:
        paintProgress(painter, option, index);
        return;
    case BookModel::DateColumn:
        paintDate(painter, option, index);
        return;
    case BookModel::NotesColumn:
        paintText(painter, option, index, true);
        return;
    case BookModel::FavoriteColumn: {
        int key = stateKey(option);
        if (index.data().toBool())
            key |= Favorite;
        paintIcon(painter, option, m_favoriteIcons.value(key), option.rect);
        return;
    }
    case BookModel::StoredAuthorColumn: // the restore icon
        paintIcon(painter, option, m_restoreIcons.value(stateKey(option)), option.rect);
        return;
    case BookModel::DeletedColumn: // the delete icon
        paintIcon(painter, option, m_deleteIcons.value(stateKey(option)),
                  option.rect.adjusted(0, 0, -5, 0));
        return;
    default:
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
}

void BookTableDelegate::paintTitle(QPainter *painter, const QStyleOptionViewItem &option,
                                   const QModelIndex &index) const
{
    painter->save();
    fillSelection(painter, option);
    const bool selected = isSelected(option);
    const QRect &cell = option.rect;

    const QPixmap cover = thumbnail(index.data(BookModel::CoverRole).toString(),
                                    painter->device()->devicePixelRatioF());
    const QRect frame(cell.left(), cell.top(), frameWidth, cell.height());
    painter->fillRect(frame, selected ? coverFrameSelected : coverFrame);
    painter->drawPixmap(cell.topLeft() + QPoint(5, 1), cover);

    if (selected)
        painter->setPen(option.palette.color(QPalette::HighlightedText));
    const QRect textRect(frame.right() + 8, cell.top(), cell.width() - frame.width() - 8,
                         cell.height());
    QFont font = painter->font();
    font.setWeight(QFont::Bold);
    painter->setFont(font);
    // Clipped at the cell, not elided: the title column is the wide one.
    painter->drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, index.data().toString());
    painter->restore();
}

void BookTableDelegate::paintText(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index, bool notes) const
{
    painter->save();
    fillSelection(painter, option);
    if (isSelected(option))
        painter->setPen(option.palette.color(QPalette::HighlightedText));
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
    if (notes) {
        QFont font = painter->font();
        font.setUnderline(true);
        painter->setFont(font);
        alignment = Qt::AlignCenter;
    }
    painter->drawText(option.rect.adjusted(5, 0, -5, 0), int(alignment), index.data().toString());
    painter->restore();
}

void BookTableDelegate::paintProgress(QPainter *painter, const QStyleOptionViewItem &option,
                                      const QModelIndex &index) const
{
    painter->save();
    fillSelection(painter, option);
    const bool selected = isSelected(option);
    const QRect &cell = option.rect;
    const int progress = qBound(0, index.data().toInt(), 100);

    QColor textColor = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    QString text;
    if (progress == 0) {
        text = tr("on start");
    } else if (progress >= 100) {
        text = tr("finished");
        textColor = selected ? finishedTextSelected : finishedText;
    } else {
        text = QStringLiteral("%1%").arg(progress);
    }

    const QRect track(cell.left(), cell.bottom() - 6, cell.width(), 6);
    painter->fillRect(track, selected ? progressTrackSelected : progressTrack);
    const int fillWidth = int(float(cell.width()) * float(progress) / 100.0f);
    if (fillWidth > 0)
        painter->fillRect(QRect(track.left(), track.top(), fillWidth, track.height()),
                          selected ? progressFillSelected : progressFill);

    QPen pen = painter->pen();
    pen.setColor(textColor);
    painter->setPen(pen);
    painter->drawText(cell, Qt::AlignCenter, text);
    painter->restore();
}

void BookTableDelegate::paintDate(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QModelIndex &index) const
{
    QStyleOptionViewItem copy(option);
    copy.font.setPixelSize(14);
    QStyledItemDelegate::paint(painter, copy, index);
}

void BookTableDelegate::paintIcon(QPainter *painter, const QStyleOptionViewItem &option,
                                  const QString &image, const QRect &rect) const
{
    painter->save();
    fillSelection(painter, option);
    // Made once per image: decoding the icon at every paint would cost more
    // than the rest of the row.
    auto cached = m_iconPixmaps.constFind(image);
    if (cached == m_iconPixmaps.cend())
        cached = m_iconPixmaps.insert(
                image, QIcon(image).pixmap(QSize(iconSize, iconSize), QIcon::Normal, QIcon::Off));
    const QPixmap &pixmap = cached.value();
    QApplication::style()->drawItemPixmap(painter, rect, Qt::AlignCenter, pixmap);
    painter->restore();
}
