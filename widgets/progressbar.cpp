#include "widgets/progressbar.h"

#include <QPainter>
#include <QRegion>
#include <QStyleOptionProgressBar>

ProgressBar::ProgressBar(QWidget *parent)
    : QProgressBar(parent)
{
}

QRect ProgressBar::filledRect(const QRect &area, int minimum, int maximum, int value)
{
    const double span = qMax(double(maximum) - double(minimum), 1.0);
    const int filled = int((double(value) - double(minimum)) * area.width() / span);
    if (filled <= 0 || filled > area.width())
        return QRect();
    return QRect(area.left(), area.top(), filled, area.height());
}

void ProgressBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    QStyleOptionProgressBar option;
    initStyleOption(&option);
    // The label is ours, drawn twice below; the style's own copy would peek
    // out around our glyphs wherever its metrics differ by a pixel.
    option.textVisible = false;
    style()->drawControl(QStyle::CE_ProgressBar, &option, &painter, this);

    const QPalette::ColorGroup group = palette().currentColorGroup();
    const QColor textColor = palette().color(group, QPalette::Text);
    const QColor highlightColor = palette().color(group, QPalette::HighlightedText);

    QRect filled;
    if (orientation() == Qt::Horizontal && layoutDirection() == Qt::LeftToRight
        && !invertedAppearance())
        filled = filledRect(option.rect, minimum(), maximum(), value());

    const QString label = text();
    const QPen previous = painter.pen();
    painter.save();
    painter.setClipRegion(QRegion(option.rect).subtracted(QRegion(filled)));
    painter.setPen(textColor);
    painter.drawText(option.rect, Qt::AlignCenter, label);
    painter.restore();
    if (!filled.isEmpty()) {
        painter.save();
        painter.setClipRect(filled);
        painter.setPen(highlightColor);
        painter.drawText(option.rect, Qt::AlignCenter, label);
        painter.restore();
    }
    painter.setPen(previous);
}
