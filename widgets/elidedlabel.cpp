#include "widgets/elidedlabel.h"

#include <QPainter>
#include <QTextLayout>

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
    int y = 0;
    bool elided = false;

    QTextLayout layout(m_text, painter.font());
    layout.beginLayout();
    forever
    {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width());
        if (height() >= y + 2 * lineSpacing) {
            line.draw(&painter, QPoint(0, y));
            y += lineSpacing;
            continue;
        }
        // The last line that fits takes the rest of the text, elided.
        const QString rest = m_text.mid(line.textStart());
        const QString shown = metrics.elidedText(rest, Qt::ElideRight, width());
        painter.drawText(QPoint(0, y + metrics.ascent()), shown);
        elided = layout.createLine().isValid();
        break;
    }
    layout.endLayout();

    if (elided != m_elided) {
        m_elided = elided;
        emit elisionChanged(elided);
    }
}
