// The layout half of BookText: one volume wrapped once into the volume
// canvas, then cut into pages and spreads by arithmetic on the line height.

#include "standalone/text/booktext.h"

#include "standalone/settings/readersettings.h"
#include "standalone/util/ansi.h"
#include "standalone/util/strutil.h"

#include <QPainter>
#include <QTextLayout>

#include <climits>
#include <cmath>

namespace divad {

namespace {

    // Height of a line of two full-width ideographs in font, fallback faces
    // included, so that no line of the volume is taller than the pitch.
    int sampleLineHeight(const QFont &font)
    {
        QTextLayout sample(QStringLiteral("中文"), font);
        sample.beginLayout();
        QTextLine line = sample.createLine();
        line.setLineWidth(1000000);
        sample.endLayout();
        return qMax(1, int(std::ceil(line.height())));
    }

    // Line ends of any kind become the separator the layout honours.
    QString volumeString(const QByteArray &volume)
    {
        QString text = Ansi::toUnicode(volume);
        const QChar separator = QChar::LineSeparator;
        QChar *data = text.data();
        const int length = text.size();
        int kept = 0;
        for (int i = 0; i < length; ++i) {
            const QChar c = data[i];
            if (c == QLatin1Char('\r')) {
                data[kept++] = separator;
                if (i + 1 < length && data[i + 1] == QLatin1Char('\n'))
                    ++i;
            } else if (c == QLatin1Char('\n')) {
                data[kept++] = separator;
            } else {
                data[kept++] = c;
            }
        }
        text.truncate(kept);
        return text;
    }

} // namespace

int BookText::PageTextWidthFor(int windowWidth)
{
    return int(windowWidth * (0.955 * 0.5 - 0.05 - 0.04));
}

int BookText::PageTextWidth()
{
    return PageTextWidthFor(MainWindowWidth());
}

int BookText::LineSpacing() const
{
    return settings().LineSpacing();
}

int BookText::LinePitch() const
{
    return LineSpacing() + m_lineHeight;
}

int BookText::PageSourceOffset(int spread, bool left) const
{
    const int page = left ? 2 * spread : 2 * spread + 1;
    return page * m_lineHeight * m_linesPerPage;
}

void BookText::ReleaseVolumeCanvas()
{
    m_volumeCanvas.Release();
    m_layout.reset();
    m_pageDrawn.clear();
}

bool BookText::LayoutVolume(int index, const QPaintDevice *window, int pageTextWidth,
                            int pageTextHeight)
{
    if (m_volumes.isEmpty())
        return fail(QStringLiteral("the book has no volume to lay out"), false);
    index = qBound(0, index, VolumeCount() - 1);
    if (!window)
        return fail(QStringLiteral("there is no window to lay the volume out for"), false);

    const QFont font = settings().BookFont();
    const int lineHeight = sampleLineHeight(font);

    auto layout = std::make_unique<QTextLayout>(volumeString(m_volumes.at(index)), font);
    QTextOption option;
    // A word wider than the page breaks inside rather than running off it.
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    const qreal width = qMax(1, pageTextWidth);
    qreal widest = 0;
    int lines = 0;
    layout->beginLayout();
    for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
        line.setLineWidth(width);
        line.setPosition(QPointF(0, qreal(lines) * lineHeight));
        widest = qMax(widest, line.naturalTextWidth());
        ++lines;
    }
    layout->endLayout();
    lines = qMax(1, lines);
    const int blockWidth = qBound(1, int(std::ceil(widest)), qMax(1, pageTextWidth));
    const qint64 blockHeight = qint64(lines) * lineHeight;

    m_volumeCanvas.Release();
    if (blockHeight <= INT_MAX)
        m_volumeCanvas.Setup(nullptr, 0, 0, blockWidth, int(blockHeight));
    m_volumeCanvas.SetColour(Qt::white);
    m_layout = std::move(layout);

    m_currentVolume = index;
    m_lineHeight = lineHeight;
    m_textBlockWidth = blockWidth;
    // A page area lower than one line still shows one line, so that pages
    // and spreads are never counted by dividing by zero.
    m_linesPerPage = qMax(1, pageTextHeight / LinePitch());
    m_pageHeight = m_linesPerPage * LinePitch();
    m_totalLines = lines;
    const int pages = m_totalLines / m_linesPerPage + (m_totalLines % m_linesPerPage ? 1 : 0);
    m_spreadCount = qMax(1, int(pages * 0.5 + 0.51));
    m_currentSpread = 0;
    m_pageDrawn = QVector<bool>(2 * m_spreadCount, false);
    m_lastError.clear();
    return true;
}

const CMemCanvas &BookText::SpreadCanvas(int spread)
{
    if (spread >= 0 && spread < m_spreadCount) {
        drawPage(2 * spread);
        drawPage(2 * spread + 1);
    }
    return m_volumeCanvas;
}

void BookText::drawPage(int page)
{
    if (page >= m_pageDrawn.size() || m_pageDrawn.at(page) || !m_layout
        || !m_volumeCanvas.IsValid())
        return;
    m_pageDrawn[page] = true;
    const int first = page * m_linesPerPage;
    const int end = qMin(first + m_linesPerPage, m_layout->lineCount());
    const QImage &image = m_volumeCanvas.Image();
    const int top = first * m_lineHeight;
    const int bottom = qMin(image.height(), (first + m_linesPerPage) * m_lineHeight);
    if (top >= bottom)
        return;
    DrawContext *dc = m_volumeCanvas.DC();
    dc->FillSolidRect(QRect(0, top, image.width(), bottom - top), Qt::white);
    QPainter *painter = dc->painter();
    painter->save();
    painter->setClipRect(QRect(0, top, image.width(), bottom - top));
    painter->setPen(Qt::black);
    for (int i = first; i < end; ++i)
        m_layout->lineAt(i).draw(painter, QPointF(0, 0));
    painter->restore();
}

} // namespace divad
