#include "widgets/shapebutton.h"

#include <QPainter>

ShapeButton::ShapeButton(const QColor &color, QWidget *parent)
    : QPushButton(parent)
    , m_color(color)
{
}

void ShapeButton::setColor(const QColor &color)
{
    m_color = color;
    update();
}

void ShapeButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QBrush(m_color));
    painter.setPen(Qt::NoPen);
    const QRect area = rect().adjusted(1, 1, -1, -1);
    const int radius = qMin(width(), height()) / 2 - 1;
    painter.drawEllipse(QPointF(area.center()), radius, radius);
}
