#include "standalone/gfx/drawcontext.h"

#include <QLinearGradient>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

namespace divad {

namespace {

    QPainter::CompositionMode compositionOf(RasterOp op)
    {
        return op == RasterOp::And ? QPainter::RasterOp_SourceAndDestination
                                   : QPainter::CompositionMode_Source;
    }

    // One laid-out paragraph of DrawText and where it sits.
    struct TextBlock
    {
        std::unique_ptr<QTextLayout> layout;
        qreal top = 0;
    };

} // namespace

DrawContext::DrawContext(QImage *image)
    : m_image(image)
{
    if (image && !image->isNull()) {
        m_ownedPainter = std::make_unique<QPainter>(image);
        m_painter = m_ownedPainter.get();
    }
    m_pen = QPen(Qt::black, 1);
    m_brush = QBrush(Qt::white);
    applyPen();
}

DrawContext::DrawContext(QPainter *painter)
    : m_painter(painter)
{
    if (m_painter) {
        m_font = m_painter->font();
        m_pen = QPen(Qt::black, 1);
        m_brush = QBrush(Qt::white);
        applyPen();
    }
}

DrawContext::~DrawContext() = default;

bool DrawContext::isValid() const
{
    return m_painter && m_painter->isActive();
}

void DrawContext::applyPen()
{
    if (!m_painter)
        return;
    m_painter->setPen(m_pen);
    m_painter->setBrush(m_brush);
}

QFont DrawContext::SelectFont(const QFont &font)
{
    const QFont previous = m_font;
    m_font = font;
    return previous;
}

QPen DrawContext::SelectPen(const QPen &pen)
{
    const QPen previous = m_pen;
    m_pen = pen;
    applyPen();
    return previous;
}

QBrush DrawContext::SelectBrush(const QBrush &brush)
{
    const QBrush previous = m_brush;
    m_brush = brush;
    applyPen();
    return previous;
}

QColor DrawContext::SetTextColour(const QColor &colour)
{
    const QColor previous = m_textColour;
    m_textColour = colour;
    return previous;
}

QColor DrawContext::SetBackgroundColour(const QColor &colour)
{
    const QColor previous = m_backgroundColour;
    m_backgroundColour = colour;
    return previous;
}

bool DrawContext::SetTransparentBackground(bool transparent)
{
    const bool previous = m_transparent;
    m_transparent = transparent;
    return previous;
}

QPoint DrawContext::MoveTo(const QPoint &point)
{
    const QPoint previous = m_position;
    m_position = point;
    return previous;
}

void DrawContext::LineTo(const QPoint &point)
{
    if (isValid() && point != m_position) {
        // The end point is left out: step back one pixel along the longer axis.
        const QPoint delta = point - m_position;
        const int steps = qMax(std::abs(delta.x()), std::abs(delta.y()));
        const QPointF end = QPointF(point) - QPointF(delta) / steps;
        m_painter->setBrush(Qt::NoBrush);
        m_painter->drawLine(QPointF(m_position), end);
        m_painter->setBrush(m_brush);
    }
    m_position = point;
}

void DrawContext::Polyline(const QVector<QPoint> &points)
{
    if (!isValid() || points.size() < 2)
        return;
    m_painter->setBrush(Qt::NoBrush);
    m_painter->drawPolyline(points.constData(), points.size());
    m_painter->setBrush(m_brush);
}

void DrawContext::FillSolidRect(const QRect &rect, const QColor &colour)
{
    if (isValid())
        m_painter->fillRect(rect, colour);
}

void DrawContext::Rectangle(const QRect &rect)
{
    if (!isValid() || rect.isEmpty())
        return;
    // Outline inside the rectangle, right and bottom edge excluded.
    m_painter->drawRect(rect.adjusted(0, 0, -1, -1));
}

void DrawContext::RoundRect(const QRect &rect, int ellipseWidth, int ellipseHeight)
{
    if (!isValid() || rect.isEmpty())
        return;
    m_painter->save();
    m_painter->setRenderHint(QPainter::Antialiasing);
    m_painter->drawRoundedRect(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5), ellipseWidth / 2.0,
                               ellipseHeight / 2.0);
    m_painter->restore();
}

void DrawContext::Ellipse(const QRect &rect)
{
    if (!isValid() || rect.isEmpty())
        return;
    m_painter->save();
    m_painter->setRenderHint(QPainter::Antialiasing);
    m_painter->drawEllipse(QRectF(rect).adjusted(0.5, 0.5, -0.5, -0.5));
    m_painter->restore();
}

void DrawContext::Polygon(const QVector<QPoint> &points)
{
    if (isValid() && points.size() >= 3)
        m_painter->drawPolygon(points.constData(), points.size());
}

void DrawContext::GradientFillRect(const QRect &rect, const QColor &from, const QColor &to,
                                   bool vertical)
{
    if (!isValid() || rect.isEmpty())
        return;
    QLinearGradient gradient(rect.topLeft(), vertical ? rect.bottomLeft() : rect.topRight());
    gradient.setColorAt(0, from);
    gradient.setColorAt(1, to);
    m_painter->fillRect(rect, gradient);
}

void DrawContext::BitBlt(int x, int y, int w, int h, const DrawContext &source, int sx, int sy,
                         RasterOp op)
{
    if (!isValid() || !source.m_image || w <= 0 || h <= 0)
        return;
    if (op == RasterOp::And && andDirectly(x, y, w, h, *source.m_image, sx, sy))
        return;
    if (op == RasterOp::Copy && !source.m_image->hasAlphaChannel()) {
        m_painter->drawImage(QPoint(x, y), *source.m_image, QRect(sx, sy, w, h));
        return;
    }
    m_painter->save();
    m_painter->setCompositionMode(compositionOf(op));
    m_painter->drawImage(QPoint(x, y), *source.m_image, QRect(sx, sy, w, h));
    m_painter->restore();
}

bool DrawContext::andDirectly(int x, int y, int w, int h, const QImage &source, int sx, int sy)
{
    // Text lines are ANDed onto the page dozens of times a frame; between
    // two 32-bit images with nothing in the painter's way that is a plain
    // loop over the pixels, far cheaper than the painter's general path.
    // A shared image would be copied by bits() behind the painter's back.
    if (!m_image || m_image == &source || !m_image->isDetached() || m_painter->hasClipping()
        || !m_painter->transform().isIdentity())
        return false;
    const auto plain = [](QImage::Format format) {
        return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32
                || format == QImage::Format_ARGB32_Premultiplied;
    };
    if (!plain(m_image->format()) || !plain(source.format()))
        return false;
    QRect target = QRect(x, y, w, h).intersected(m_image->rect());
    target = target.intersected(QRect(x - sx, y - sy, source.width(), source.height()));
    if (target.isEmpty())
        return true;
    const int dx = sx - x;
    const int dy = sy - y;
    const int stride = m_image->bytesPerLine();
    uchar *bits = m_image->bits();
    const int sourceStride = source.bytesPerLine();
    const uchar *sourceBits = source.constBits();
    const int count = target.width();
    for (int row = target.top(); row <= target.bottom(); ++row) {
        quint32 *__restrict out
                = reinterpret_cast<quint32 *>(bits + qint64(row) * stride) + target.left();
        const quint32 *__restrict in = reinterpret_cast<const quint32 *>(
                                               sourceBits + qint64(row + dy) * sourceStride)
                + target.left() + dx;
        for (int i = 0; i < count; ++i)
            out[i] &= in[i] | 0xFF000000u;
    }
    return true;
}

void DrawContext::StretchBlt(const QRect &target, const DrawContext &source,
                             const QRect &sourceRect, RasterOp op)
{
    if (!isValid() || !source.m_image || target.isEmpty() || sourceRect.isEmpty())
        return;
    // An opaque picture drawn over is the same as a copy, and the painter
    // has a much quicker path for drawing over.
    if (op == RasterOp::Copy && !source.m_image->hasAlphaChannel()) {
        m_painter->drawImage(target, *source.m_image, sourceRect);
        return;
    }
    m_painter->save();
    m_painter->setCompositionMode(compositionOf(op));
    m_painter->drawImage(target, *source.m_image, sourceRect);
    m_painter->restore();
}

void DrawContext::DrawImagePart(const QPoint &target, const QImage &picture, const QRect &source)
{
    if (isValid() && !picture.isNull() && !source.isEmpty())
        m_painter->drawImage(target, picture, source);
}

void DrawContext::DrawImage(int x, int y, const QImage &picture)
{
    if (isValid() && !picture.isNull())
        m_painter->drawImage(QPoint(x, y), picture);
}

QRect DrawContext::DrawText(const QString &text, const QRect &rect, unsigned format)
{
    using namespace TextFormat;
    QString shown;
    int underlined = -1;
    if (format & NoPrefix) {
        shown = text;
    } else {
        shown.reserve(text.size());
        for (int i = 0; i < text.size(); ++i) {
            if (text.at(i) == QLatin1Char('&') && i + 1 < text.size()) {
                ++i;
                if (text.at(i) != QLatin1Char('&'))
                    underlined = shown.size();
            }
            shown += text.at(i);
        }
    }

    QStringList paragraphs;
    if (format & SingleLine) {
        QString line = shown;
        line.replace(QLatin1Char('\r'), QLatin1Char(' '));
        line.replace(QLatin1Char('\n'), QLatin1Char(' '));
        paragraphs << line;
    } else {
        shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        paragraphs = shown.split(QLatin1Char('\n'));
    }

    QTextOption option;
    if (format & WordBreak)
        option.setWrapMode((format & EditControl) ? QTextOption::WrapAtWordBoundaryOrAnywhere
                                                  : QTextOption::WordWrap);
    else
        option.setWrapMode(QTextOption::NoWrap);

    std::vector<TextBlock> blocks;
    qreal height = 0;
    qreal width = 0;
    int offset = 0;
    for (const QString &paragraph : paragraphs) {
        TextBlock block;
        block.layout = std::make_unique<QTextLayout>(paragraph, m_font);
        block.layout->setTextOption(option);
        if (underlined >= offset && underlined < offset + paragraph.size()) {
            QTextLayout::FormatRange range;
            range.start = underlined - offset;
            range.length = 1;
            range.format.setFontUnderline(true);
            block.layout->setFormats({ range });
        }
        offset += paragraph.size() + 1;
        block.top = height;
        block.layout->beginLayout();
        qreal y = 0;
        for (QTextLine line = block.layout->createLine(); line.isValid();
             line = block.layout->createLine()) {
            line.setLineWidth(qMax(1, rect.width()));
            line.setPosition(QPointF(0, y));
            y += line.height();
            width = qMax(width, line.naturalTextWidth());
        }
        block.layout->endLayout();
        height += y;
        blocks.push_back(std::move(block));
    }

    const QRect measured(rect.left(), rect.top(), int(std::ceil(width)), int(std::ceil(height)));
    if ((format & CalcRect) || !isValid())
        return measured;

    qreal shift = 0;
    if (format & SingleLine) {
        if (format & VCenter)
            shift = (rect.height() - height) / 2;
        else if (format & Bottom)
            shift = rect.height() - height;
    }
    m_painter->save();
    m_painter->setPen(m_textColour);
    for (const TextBlock &block : blocks) {
        for (int i = 0; i < block.layout->lineCount(); ++i) {
            const QTextLine line = block.layout->lineAt(i);
            qreal x = rect.left();
            if (format & Center)
                x += (rect.width() - line.naturalTextWidth()) / 2;
            else if (format & Right)
                x += rect.width() - line.naturalTextWidth();
            // A line draws itself at its own position below the origin given.
            const QPointF origin(std::floor(x), rect.top() + shift + block.top);
            if (!m_transparent)
                m_painter->fillRect(QRectF(origin + line.position(),
                                           QSizeF(line.naturalTextWidth(), line.height())),
                                    m_backgroundColour);
            line.draw(m_painter, origin);
        }
    }
    m_painter->restore();
    return measured;
}

} // namespace divad
