#pragma once

#include <QColor>
#include <QPushButton>

// A 37 x 37 colour swatch that opens the colour dialog when clicked.
class ColorPicker : public QPushButton
{
    Q_OBJECT
public:
    explicit ColorPicker(const QColor &color = Qt::white, QWidget *parent = nullptr);

    QColor color() const { return m_color; }

signals:
    void colorChanged(const QColor &color);

public slots:
    // Shows `color` and emits colorChanged, also when it is the current one.
    void changeColor(const QColor &color);
    // The colour dialog, starting at the current colour. A confirmed valid
    // colour is taken and announced; a cancelled dialog changes nothing.
    void chooseColor();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color;
};
