#pragma once

#include <QColor>
#include <QFrame>
#include <QString>

// The speech bubble over the page slider: two lines (the chapter title and
// the page or page pair under the mouse) in a rounded box whose arrow points
// at the mouse. Sizes itself to its text.
class PageNavigationTooltip : public QFrame
{
    Q_OBJECT
public:
    explicit PageNavigationTooltip(QWidget *parent = nullptr);

    // Distance of the arrow from the bubble's right edge; 0: no arrow.
    void setArrowOffset(int offset);
    int arrowOffset() const { return m_arrowOffset; }
    void setBorderColor(const QColor &color);
    QColor borderColor() const { return m_borderColor; }
    void setFillColor(const QColor &color);
    QColor fillColor() const { return m_fillColor; }
    void setTextColor(const QColor &color);

    // First line the title; second line "page N", or with two columns the
    // pair of pages shown together, which always starts with an odd page.
    void setPages(const QString &title, int page, int columnCount);
    QString firstLine() const { return m_firstLine; }
    QString secondLine() const { return m_secondLine; }

    // Height of the arrow below the box.
    static constexpr int ArrowHeight = 8;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Q_DISABLE_COPY_MOVE(PageNavigationTooltip)

    // Resizes to the two lines and answers whether the size changed.
    bool fitToText();

    int m_arrowOffset = 0;
    QColor m_borderColor = Qt::black;
    QColor m_fillColor = Qt::white;
    QString m_firstLine;
    QString m_secondLine;
};
