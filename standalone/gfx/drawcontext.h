#pragma once

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPen>
#include <QPoint>
#include <QRect>
#include <QVector>

#include <memory>

class QPainter;

namespace divad {

// How BitBlt combines source and target: a plain copy, or source AND target,
// which lets black text on white darken a picture without hiding it.
enum class RasterOp { Copy, And };

// Layout flags of DrawContext::DrawText.
namespace TextFormat {
    constexpr unsigned Left = 0x0;
    constexpr unsigned Center = 0x1;
    constexpr unsigned Right = 0x2;
    constexpr unsigned VCenter = 0x4; // only with SingleLine
    constexpr unsigned Bottom = 0x8; // only with SingleLine
    constexpr unsigned WordBreak = 0x10; // wrap at word ends to the rectangle's width
    constexpr unsigned SingleLine = 0x20; // line breaks in the text are not honoured
    constexpr unsigned CalcRect = 0x400; // measure only: the result is the text's rectangle
    constexpr unsigned NoPrefix = 0x800; // "&" is an ordinary character
    constexpr unsigned EditControl = 0x2000; // a word wider than the line breaks inside
} // namespace TextFormat

// Rectangle from its left, top, right and bottom edges, right and bottom
// excluded, the way the reader's geometry is written.
inline QRect Ltrb(int left, int top, int right, int bottom)
{
    return QRect(left, top, right - left, bottom - top);
}

// A drawing surface with the state and operations the reader paints with:
// a selected font, pen and brush, text and background colours, a current
// position, block copies with a raster operation, stretched copies, text
// with alignment and wrapping flags, gradients and shapes. It draws either
// on an image it keeps a painter on (a canvas) or through a painter someone
// else owns (a widget's paint event). Only image-backed contexts can be the
// source of a copy. User-interface thread; not copyable.
class DrawContext
{
public:
    // Draws on image, which must outlive the context.
    explicit DrawContext(QImage *image);
    // Draws through painter, which must outlive the context.
    explicit DrawContext(QPainter *painter);
    ~DrawContext();
    DrawContext(const DrawContext &) = delete;
    DrawContext &operator=(const DrawContext &) = delete;

    bool isValid() const;
    QPainter *painter() const { return m_painter; }
    // The image drawn on, or null for a painter-backed context.
    const QImage *image() const { return m_image; }

    QFont font() const { return m_font; }
    // Each returns what was selected before.
    QFont SelectFont(const QFont &font);
    QPen SelectPen(const QPen &pen);
    QBrush SelectBrush(const QBrush &brush);
    QColor SetTextColour(const QColor &colour);
    QColor SetBackgroundColour(const QColor &colour);
    // Text cells are filled with the background colour unless transparent
    // (the default is opaque white, as for a fresh device context).
    bool SetTransparentBackground(bool transparent);
    QColor textColour() const { return m_textColour; }
    QColor backgroundColour() const { return m_backgroundColour; }

    QPoint MoveTo(const QPoint &point);
    // A line from the current position to point, which becomes current; the
    // end point itself is not drawn.
    void LineTo(const QPoint &point);
    QPoint CurrentPosition() const { return m_position; }
    void Polyline(const QVector<QPoint> &points);

    void FillSolidRect(const QRect &rect, const QColor &colour);
    // Shapes outlined with the pen and filled with the brush.
    void Rectangle(const QRect &rect);
    void RoundRect(const QRect &rect, int ellipseWidth, int ellipseHeight);
    void Ellipse(const QRect &rect);
    void Polygon(const QVector<QPoint> &points);
    // A rectangle shaded from one colour to the other, left to right or top
    // to bottom.
    void GradientFillRect(const QRect &rect, const QColor &from, const QColor &to, bool vertical);

    // Copies a w x h block of source at (sx, sy) to (x, y). Nothing when the
    // source has no image.
    void BitBlt(int x, int y, int w, int h, const DrawContext &source, int sx, int sy,
                RasterOp op = RasterOp::Copy);
    // Copies sourceRect of source scaled into target.
    void StretchBlt(const QRect &target, const DrawContext &source, const QRect &sourceRect,
                    RasterOp op = RasterOp::Copy);
    // Draws a picture at its own size.
    void DrawImage(int x, int y, const QImage &picture);
    // Draws the part source of a picture at target, at its own size.
    void DrawImagePart(const QPoint &target, const QImage &picture, const QRect &source);

    // Draws text in rect with TextFormat flags in the selected font and text
    // colour. Returns the rectangle the text takes (left and top of rect,
    // width of the widest line, height of all lines); with CalcRect it only
    // measures. "\r\n", "\n" and "\r" break lines unless SingleLine; without
    // NoPrefix "&" underlines the next character and "&&" is one "&".
    QRect DrawText(const QString &text, const QRect &rect, unsigned format);

private:
    void applyPen();
    bool andDirectly(int x, int y, int w, int h, const QImage &source, int sx, int sy);

    QImage *m_image = nullptr;
    QPainter *m_painter = nullptr;
    std::unique_ptr<QPainter> m_ownedPainter;
    QFont m_font;
    QPen m_pen;
    QBrush m_brush;
    QColor m_textColour = Qt::black;
    QColor m_backgroundColour = Qt::white;
    bool m_transparent = false;
    QPoint m_position;
};

} // namespace divad
