#include "widgets/colorpicker.h"

#include <QColorDialog>
#include <QPaintEvent>
#include <QPainter>

ColorPicker::ColorPicker(const QColor &color, QWidget *parent)
    : QPushButton(parent)
    , m_color(color)
{
    connect(this, &QPushButton::clicked, this, &ColorPicker::chooseColor);
    setFixedSize(37, 37);
}

void ColorPicker::changeColor(const QColor &color)
{
    m_color = color;
    emit colorChanged(m_color);
    update();
}

void ColorPicker::chooseColor()
{
    const QColor color = QColorDialog::getColor(m_color, this, QString());
    if (!color.isValid())
        return;
    m_color = color;
    emit colorChanged(m_color);
    update();
}

void ColorPicker::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(event->rect(), QBrush(m_color));
    painter.setPen(QPen(QColor(215, 216, 217), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(event->rect(), 2, 2);
}
