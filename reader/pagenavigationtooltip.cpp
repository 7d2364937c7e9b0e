#include "reader/pagenavigationtooltip.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPolygon>

PageNavigationTooltip::PageNavigationTooltip(QWidget *parent)
    : QFrame(parent)
{
    fitToText();
}

void PageNavigationTooltip::setArrowOffset(int offset)
{
    m_arrowOffset = offset;
    update();
}

void PageNavigationTooltip::setBorderColor(const QColor &color)
{
    m_borderColor = color;
    update();
}

void PageNavigationTooltip::setFillColor(const QColor &color)
{
    m_fillColor = color;
    update();
}

void PageNavigationTooltip::setTextColor(const QColor &color)
{
    setStyleSheet(QStringLiteral("PageNavigationTooltip { color : %1; }").arg(color.name()));
    update();
}

void PageNavigationTooltip::setPages(const QString &title, int page, int columnCount)
{
    m_firstLine = title;
    if (columnCount == 1) {
        m_secondLine = tr("page") + QStringLiteral(" %1").arg(page);
    } else {
        const int first = page % 2 == 1 ? page : page - 1;
        m_secondLine = tr("page") + QStringLiteral(" %1-%2").arg(first).arg(first + 1);
    }
    fitToText();
    update();
}

bool PageNavigationTooltip::fitToText()
{
    const QFontMetrics metrics(font());
    const int width
            = qMax(metrics.horizontalAdvance(m_firstLine), metrics.horizontalAdvance(m_secondLine))
            + 14;
    const int height = 2 * metrics.height() + 13;
    if (size() == QSize(width, height))
        return false;
    resize(width, height);
    return true;
}

void PageNavigationTooltip::paintEvent(QPaintEvent *event)
{
    Q_UNUSED(event)
    // The font may have changed through the style sheet since the text did;
    // the next paint comes with the new size.
    if (fitToText())
        return;

    const QRect box = rect().adjusted(0, 0, -1, -1 - ArrowHeight);
    QPolygon outline;
    outline << box.topLeft() << box.topRight() << box.bottomRight();
    if (m_arrowOffset != 0) {
        const int tip = box.right() - m_arrowOffset;
        outline << QPoint(tip + 5, box.bottom()) << QPoint(tip, box.bottom() + ArrowHeight)
                << QPoint(tip - 5, box.bottom());
    }
    outline << box.bottomLeft() << box.topLeft();

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addPolygon(outline);
    painter.fillPath(path, m_fillColor);
    painter.setPen(QPen(m_borderColor, 1, Qt::SolidLine));
    painter.drawPath(path.simplified());

    const int lineHeight = QFontMetrics(font()).height();
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(7, lineHeight - 1, m_firstLine);
    painter.drawText(7, 2 * lineHeight - 4, m_secondLine);
}
