#include "standalone/gfx/ctransparentstatic.h"

#include <QPainter>
#include <QTextLayout>

namespace divad {

CTransparentStatic::CTransparentStatic(QWidget *parent)
    : QLabel(parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
}

QVector<CTransparentStatic::Line> CTransparentStatic::layoutLines() const
{
    QVector<Line> lines;
    QString content = text();
    content.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    content.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    qreal y = 0;
    const qreal bottom = height();
    for (const QString &paragraph : content.split(QLatin1Char('\n'))) {
        QTextLayout layout(paragraph, font());
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(qMax(1, width()));
            if (y + line.height() > bottom) {
                layout.endLayout();
                return lines;
            }
            lines.append({ paragraph.mid(line.textStart(), line.textLength()), y });
            y += line.height();
        }
        layout.endLayout();
    }
    return lines;
}

QStringList CTransparentStatic::VisibleLines() const
{
    QStringList result;
    for (const Line &line : layoutLines())
        result << line.text;
    return result;
}

void CTransparentStatic::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetricsF metrics(font());
    for (const Line &line : layoutLines())
        painter.drawText(QPointF(0, line.top + metrics.ascent()), line.text);
}

} // namespace divad
