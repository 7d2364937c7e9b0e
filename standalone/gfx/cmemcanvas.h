#pragma once

#include "standalone/gfx/drawcontext.h"

#include <QColor>
#include <QImage>
#include <QRect>

#include <memory>

namespace divad {

// An off-screen drawing surface: an image of the rectangle's size with a
// DrawContext on it, and the target it is presented to at the rectangle's
// top-left corner. The reader keeps two of its own (the label canvas and
// the volume canvas) and paints each window frame on a third. An image that
// cannot be made (too large, out of memory) is reported to the user once
// and leaves the canvas invalid: every operation then does nothing until it
// is set up again. User-interface thread.
class CMemCanvas
{
public:
    CMemCanvas();
    ~CMemCanvas();
    CMemCanvas(const CMemCanvas &) = delete;
    CMemCanvas &operator=(const CMemCanvas &) = delete;

    // Rectangle (x, y, x + width, y + height), then Create(target).
    bool Setup(DrawContext *target, int x, int y, int width, int height);
    // Makes a black image of the rectangle's size, at least 1 x 1, dropping
    // the old one. target may be null for a canvas that is only ever copied
    // from. Always true; IsValid() tells whether it worked.
    bool Create(DrawContext *target);
    void Release();
    bool IsValid() const;
    // Fills the whole canvas with Colour().
    void Clear();
    // Copies the whole canvas to the target at the rectangle's top-left.
    void Present();

    QRect Rect() const { return m_rect; }
    void SetRect(const QRect &rect) { m_rect = rect; }
    QColor Colour() const { return m_colour; }
    void SetColour(const QColor &colour) { m_colour = colour; }
    // The canvas's own drawing context; null while invalid.
    DrawContext *DC() const { return m_dc.get(); }
    DrawContext *Target() const { return m_target; }
    // What has been drawn so far (a null image while invalid).
    const QImage &Image() const { return m_image; }

    // Largest canvas, in bytes, the reader will try to make.
    static constexpr qint64 MaximumBytes = qint64(1) << 30;

private:
    QColor m_colour = Qt::white;
    QRect m_rect = Ltrb(10, 10, 310, 310);
    DrawContext *m_target = nullptr;
    QImage m_image;
    std::unique_ptr<DrawContext> m_dc;
};

} // namespace divad
