#pragma once

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVector>

namespace divad {

class CMemCanvas;
class DrawContext;

// The process-wide label canvas (800 x 100, white) that captions are drawn
// on before they are copied onto the page; the settings set it up and
// select the label font into it.
CMemCanvas &LabelCanvas();

// Draws text into rect of dc through the label canvas in the label font, so
// that only the dark text lands on the page: right-aligned or centred on one
// line (where "&" marks a mnemonic), else wrapped at word ends. Nothing for
// an empty text, a null dc or an invalid label canvas.
void DrawLabel(DrawContext *dc, const QString &text, const QRect &rect, bool centred,
               bool rightAligned);

// End conditions of SmoothCurve.
enum class CurveEnd {
    GivenSlopes = 1, // the caller gives the slopes at both ends
    Free = 2, // the curve runs out straight at both ends
    Estimated = 3, // end slopes estimated from the first and last three points
};

// Sample points of a smooth cubic spline through points (at most 1000 are
// used), parameterised by chord length, every 0.2 pixels of chord along
// each segment plus the segment's end. Repeated points count once; fewer
// than two distinct points come back as they are.
QVector<QPoint> SmoothCurve(const QVector<QPoint> &points, CurveEnd end = CurveEnd::Free,
                            QPointF startSlope = QPointF(), QPointF endSlope = QPointF());
// A smooth curve from dc's current position through control to end, drawn
// with the current pen unless noDraw; the samples go to pointsOut when given.
// end becomes the current position.
void CurveTo(DrawContext *dc, const QPoint &control, const QPoint &end,
             QVector<QPoint> *pointsOut = nullptr, bool noDraw = false);

// The page-edge arrows: direction 0 points right, 2 points left; colours run
// from colourFrom at the tail to colourTo at the head.
void DrawArrow(DrawContext *dc, int direction, const QRect &rect, const QColor &colourFrom,
               const QColor &colourTo);
// A bent arrow (the volume hint) shaded from the colour lightened to it.
void DrawCurvedArrow(DrawContext *dc, const QRect &rect, const QColor &colour);
// A rounded tag filled with colour, or with palette entry index mod 5, with
// text set in a narrow column in its middle.
void DrawTag(DrawContext *dc, const QRect &rect, const QColor &colour, const QString &text,
             bool usePalette, int index);
// The five tag colours.
QColor TagPaletteColour(int index);
// A thought bubble with text on one line in its main ellipse; mirrored puts
// the small bubbles on the left.
void DrawBubble(DrawContext *dc, const QRect &rect, const QString &text, const QColor &fillColour,
                const QColor &penColour, int penWidth, bool mirrored);
// rect reflected about the vertical line at x.
QRect MirrorRect(const QRect &rect, int x);
// A round sleeping face; with animate its mouth opens and closes every
// 800 ms and one, two or no "Z" rise from it.
void DrawSleepyFace(DrawContext *dc, int left, int top, int right, int bottom, bool animate);

// Saves the clipboard's text as a book file in the code page. False, and no
// file, when the clipboard holds no text; false when the file cannot be
// written. Needs a QGuiApplication.
bool SaveClipboardText(const QString &path);

} // namespace divad
