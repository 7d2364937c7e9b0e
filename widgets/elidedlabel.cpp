#include "widgets/elidedlabel.h"

#include "widgets/elidedtext.h"

#include <QPainter>

ElidedLabel::ElidedLabel(const QString &text, QWidget *parent)
    : QFrame(parent)
    , m_text(text)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void ElidedLabel::setText(const QString &text)
{
    m_text = text;
    update();
}

void ElidedLabel::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);

    QPainter painter(this);
    const QFontMetrics metrics = painter.fontMetrics();
    const int lineSpacing = metrics.lineSpacing();
    bool elided = false;
    const QStringList lines
            = elidedLines(m_text, painter.font(), width(), height() / lineSpacing, &elided);
    int y = 0;
    for (const QString &line : lines) {
        painter.drawText(QPoint(0, y + metrics.ascent()), line);
        y += lineSpacing;
    }

    if (elided != m_elided) {
        m_elided = elided;
        emit elisionChanged(elided);
    }
}
