#pragma once

#include <QColor>
#include <QPushButton>

// A round colour swatch: a filled circle of the colour, nothing else.
class ShapeButton : public QPushButton
{
    Q_OBJECT
public:
    explicit ShapeButton(const QColor &color = Qt::white, QWidget *parent = nullptr);

    QColor color() const { return m_color; }
    void setColor(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
};
