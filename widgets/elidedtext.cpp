#include "widgets/elidedtext.h"

#include <QFontMetrics>
#include <QTextLayout>

QStringList elidedLines(const QString &text, const QFont &font, int width, int maxLines,
                        bool *elided)
{
    const QFontMetrics metrics(font);
    const int lineCount = qMax(1, maxLines);
    QStringList lines;
    bool cut = false;

    QTextLayout layout(text, font);
    // A word wider than the room (a mail address, a long compound) is
    // broken where it must: left whole, a centred line ran out of both edges.
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    forever
    {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        if (lines.size() + 1 < lineCount) {
            lines.append(text.mid(line.textStart(), line.textLength()));
            continue;
        }
        // The last line that fits takes the rest of the text, elided.
        const QString rest = text.mid(line.textStart());
        lines.append(metrics.elidedText(rest, Qt::ElideRight, width));
        cut = layout.createLine().isValid();
        break;
    }
    layout.endLayout();
    if (elided)
        *elided = cut;
    return lines;
}
