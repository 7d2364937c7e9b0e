#include "standalone/gfx/drawing.h"

#include "standalone/gfx/cmemcanvas.h"
#include "standalone/gfx/drawcontext.h"
#include "standalone/util/ansi.h"
#include "standalone/util/strutil.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QSaveFile>

#include <cmath>
#include <vector>

namespace divad {

namespace {

    int trunc(double value)
    {
        return int(std::trunc(value));
    }

    // Slopes of a cubic spline through values at chord positions h, by the
    // tridiagonal system of its continuity conditions.
    std::vector<double> splineSlopes(const std::vector<double> &values,
                                     const std::vector<double> &h, CurveEnd end, double startSlope,
                                     double endSlope)
    {
        const size_t n = h.size();
        std::vector<double> a(n + 1, 0), b(n + 1, 0), c(n + 1, 0), d(n + 1, 0);
        for (size_t i = 1; i < n; ++i) {
            a[i] = h[i];
            b[i] = 2 * (h[i - 1] + h[i]);
            c[i] = h[i - 1];
            d[i] = 3
                    * (h[i] * (values[i] - values[i - 1]) / h[i - 1]
                       + h[i - 1] * (values[i + 1] - values[i]) / h[i]);
        }
        const double first = (values[1] - values[0]) / h[0];
        const double last = (values[n] - values[n - 1]) / h[n - 1];
        if (end == CurveEnd::GivenSlopes || (end == CurveEnd::Estimated && n >= 2)) {
            double s = startSlope;
            double e = endSlope;
            if (end == CurveEnd::Estimated) {
                // A parabola through the first (last) three points gives the slope.
                const double second = (values[2] - values[1]) / h[1];
                const double beforeLast = (values[n - 1] - values[n - 2]) / h[n - 2];
                s = ((2 * h[0] + h[1]) * first - h[0] * second) / (h[0] + h[1]);
                e = ((2 * h[n - 1] + h[n - 2]) * last - h[n - 1] * beforeLast)
                        / (h[n - 1] + h[n - 2]);
            }
            b[0] = 1;
            d[0] = s;
            b[n] = 1;
            d[n] = e;
        } else {
            b[0] = 2;
            c[0] = 1;
            d[0] = 3 * first;
            a[n] = 1;
            b[n] = 2;
            d[n] = 3 * last;
        }
        // Forward elimination and back substitution.
        for (size_t i = 1; i <= n; ++i) {
            const double factor = a[i] / b[i - 1];
            b[i] -= factor * c[i - 1];
            d[i] -= factor * d[i - 1];
        }
        std::vector<double> m(n + 1, 0);
        m[n] = d[n] / b[n];
        for (size_t i = n; i-- > 0;)
            m[i] = (d[i] - c[i] * m[i + 1]) / b[i];
        return m;
    }

    void drawZ(DrawContext *dc, int x, int y, int size)
    {
        dc->MoveTo(QPoint(x, y));
        dc->LineTo(QPoint(x + size, y));
        dc->LineTo(QPoint(x, y + size));
        dc->LineTo(QPoint(x + size + 1, y + size));
    }

} // namespace

CMemCanvas &LabelCanvas()
{
    static CMemCanvas canvas;
    return canvas;
}

void DrawLabel(DrawContext *dc, const QString &text, const QRect &rect, bool centred,
               bool rightAligned)
{
    CMemCanvas &label = LabelCanvas();
    if (!dc || !dc->isValid() || text.isEmpty() || rect.isEmpty() || !label.IsValid())
        return;
    // Only the part that is copied out needs to be blank.
    const QRect area(0, 0, rect.width(), label.Image().height());
    label.DC()->FillSolidRect(QRect(0, 0, rect.width(), rect.height()), Qt::white);
    unsigned format = TextFormat::WordBreak | TextFormat::NoPrefix | TextFormat::EditControl;
    if (rightAligned)
        format = TextFormat::Right;
    else if (centred)
        format = TextFormat::Center;
    label.DC()->DrawText(text, area, format);
    dc->BitBlt(rect.left(), rect.top(), rect.width(), rect.height(), *label.DC(), 0, 0,
               RasterOp::And);
}

QVector<QPoint> SmoothCurve(const QVector<QPoint> &points, CurveEnd end, QPointF startSlope,
                            QPointF endSlope)
{
    std::vector<QPointF> p;
    for (const QPoint &point : points) {
        if (p.size() >= 1000)
            break;
        if (p.empty() || p.back() != QPointF(point))
            p.push_back(point);
    }
    if (p.size() < 2)
        return points;
    const size_t n = p.size() - 1;
    std::vector<double> h(n), xs(n + 1), ys(n + 1);
    double total = 0;
    for (size_t i = 0; i <= n; ++i) {
        xs[i] = p[i].x();
        ys[i] = p[i].y();
        if (i < n) {
            h[i] = Hypotenuse(p[i + 1].x() - p[i].x(), p[i + 1].y() - p[i].y());
            total += h[i];
        }
    }
    const std::vector<double> mx = splineSlopes(xs, h, end, startSlope.x(), endSlope.x());
    const std::vector<double> my = splineSlopes(ys, h, end, startSlope.y(), endSlope.y());
    // A fifth of a pixel of chord per sample; far-flung points get coarser
    // steps rather than millions of samples.
    const double step = qMax(0.2, total / 1000000.0);
    QVector<QPoint> samples;
    for (size_t i = 0; i < n; ++i) {
        for (double t = 0; t <= h[i]; t += step) {
            const double s = t / h[i];
            const double s2 = s * s;
            const double s3 = s2 * s;
            const double h00 = 2 * s3 - 3 * s2 + 1;
            const double h10 = s3 - 2 * s2 + s;
            const double h01 = -2 * s3 + 3 * s2;
            const double h11 = s3 - s2;
            const double x
                    = h00 * xs[i] + h10 * h[i] * mx[i] + h01 * xs[i + 1] + h11 * h[i] * mx[i + 1];
            const double y
                    = h00 * ys[i] + h10 * h[i] * my[i] + h01 * ys[i + 1] + h11 * h[i] * my[i + 1];
            samples << QPoint(trunc(x), trunc(y));
        }
        samples << p[i + 1].toPoint();
    }
    return samples;
}

void CurveTo(DrawContext *dc, const QPoint &control, const QPoint &end, QVector<QPoint> *pointsOut,
             bool noDraw)
{
    if (!dc)
        return;
    const QVector<QPoint> samples = SmoothCurve({ dc->CurrentPosition(), control, end });
    if (!noDraw)
        dc->Polyline(samples);
    if (pointsOut)
        *pointsOut = samples;
    dc->MoveTo(end);
}

void DrawArrow(DrawContext *dc, int direction, const QRect &rect, const QColor &colourFrom,
               const QColor &colourTo)
{
    if (!dc || !dc->isValid() || rect.isEmpty())
        return;
    const int l = rect.left();
    const int r = rect.left() + rect.width();
    const int t = rect.top();
    const int b = rect.top() + rect.height();
    const int mid = (t + b) / 2;
    const int neck = r - trunc(rect.width() * 0.4);
    const int half = rect.height() / 4;
    // Tip, head top, neck top, tail top, tail bottom, neck bottom, head bottom.
    QVector<QPoint> v
            = { { r, mid },        { neck, t },          { neck, mid - half }, { l, mid - half },
                { l, mid + half }, { neck, mid + half }, { neck, b } };
    const bool mirrored = direction == 2;
    if (mirrored) {
        for (QPoint &point : v)
            point.setX(l + r - point.x());
    }
    // Each vertex takes the colour of its place across the rectangle, which
    // makes the head a plain horizontal blend.
    const auto colourAt = [&](int x) {
        const double from = mirrored ? r : l;
        const double to = mirrored ? l : r;
        return QColor(InterpolateChannel(from, to, colourFrom.red(), colourTo.red(), x),
                      InterpolateChannel(from, to, colourFrom.green(), colourTo.green(), x),
                      InterpolateChannel(from, to, colourFrom.blue(), colourTo.blue(), x));
    };
    QPainter *painter = dc->painter();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    QLinearGradient across(QPointF(mirrored ? r : l, 0), QPointF(mirrored ? l : r, 0));
    across.setColorAt(0, colourFrom);
    across.setColorAt(1, colourTo);
    painter->setBrush(across);
    painter->drawPolygon(QPolygon({ v[0], v[1], v[2], v[5], v[6] }));
    const QRect shaft = QRect(v[3], v[5]).normalized();
    QLinearGradient down(QPointF(0, shaft.top()), QPointF(0, shaft.bottom()));
    down.setColorAt(0, colourAt(v[3].x()));
    down.setColorAt(1, colourAt(v[5].x()));
    painter->fillRect(shaft, down);
    painter->restore();
}

void DrawCurvedArrow(DrawContext *dc, const QRect &rect, const QColor &colour)
{
    if (!dc || !dc->isValid() || rect.isEmpty())
        return;
    const int l = rect.left();
    const int t = rect.top();
    const int w = rect.width();
    const int h = rect.height();
    const int r = l + w;
    const int b = t + h;
    const QColor light(ClampChannel(colour.red(), 200), ClampChannel(colour.green(), 200),
                       ClampChannel(colour.blue(), 200));
    const QColor middle(ClampChannel(colour.red(), 90), ClampChannel(colour.green(), 90),
                        ClampChannel(colour.blue(), 90));
    QPainter *painter = dc->painter();
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    QLinearGradient ribbon(QPointF(l, 0), QPointF(r, 0));
    ribbon.setColorAt(0, light);
    ribbon.setColorAt(0.5, middle);
    ribbon.setColorAt(1, colour);
    painter->setBrush(ribbon);
    painter->drawPolygon(
            QPolygon({ QPoint(l, b), QPoint(l + trunc(w * 0.15), t + h / 2),
                       QPoint(r - trunc(w * 0.25), t + h / 2), QPoint(r - trunc(w * 0.1), b) }));
    painter->restore();

    const QPoint tip(r - 2, t + trunc(h * 0.55));
    const auto strokes = [&](int lift) {
        dc->MoveTo(QPoint(l + trunc(w * 0.1), b - 1 - lift));
        CurveTo(dc, QPoint(l + trunc(w * 0.45), t - lift), tip - QPoint(0, lift));
        dc->MoveTo(tip - QPoint(0, lift));
        CurveTo(dc, QPoint(r - trunc(w * 0.12), t + trunc(h * 0.3) - lift),
                QPoint(r - trunc(w * 0.25), t + 1 - lift));
        dc->MoveTo(tip - QPoint(0, lift));
        CurveTo(dc, QPoint(r - trunc(w * 0.15), t + trunc(h * 0.8) - lift),
                QPoint(r - trunc(w * 0.3), b - 1 - lift));
    };
    const QPen previous = dc->SelectPen(QPen(colour, 1));
    strokes(0);
    dc->SelectPen(QPen(Qt::white, 1));
    strokes(1);
    dc->SelectPen(previous);
}

QColor TagPaletteColour(int index)
{
    static const QColor palette[5]
            = { QColor(223, 223, 221), QColor(231, 223, 0), QColor(97, 189, 236),
                QColor(125, 198, 23), QColor(238, 61, 152) };
    return palette[((index % 5) + 5) % 5];
}

void DrawTag(DrawContext *dc, const QRect &rect, const QColor &colour, const QString &text,
             bool usePalette, int index)
{
    if (!dc || !dc->isValid())
        return;
    const QColor fill = usePalette ? TagPaletteColour(index) : colour;
    const QBrush previousBrush = dc->SelectBrush(fill);
    const QPen previousPen = dc->SelectPen(QPen(fill, 1));
    dc->RoundRect(rect, 6, 10);
    dc->SelectPen(previousPen);
    dc->SelectBrush(previousBrush);
    const QColor previousBackground = dc->SetBackgroundColour(fill);
    const unsigned format = TextFormat::WordBreak | TextFormat::Center;
    const QRect measured
            = dc->DrawText(text, QRect(0, 0, 16, rect.height()), format | TextFormat::CalcRect);
    const QRect column(rect.left() + (rect.width() - 16) / 2,
                       rect.top() + (rect.height() - measured.height()) / 2, 16, measured.height());
    dc->DrawText(text, column, format);
    dc->SetBackgroundColour(previousBackground);
}

QRect MirrorRect(const QRect &rect, int x)
{
    const int left = rect.left();
    const int right = rect.left() + rect.width();
    return Ltrb(x - (right - x), rect.top(), x - (left - x), rect.top() + rect.height());
}

void DrawBubble(DrawContext *dc, const QRect &rect, const QString &text, const QColor &fillColour,
                const QColor &penColour, int penWidth, bool mirrored)
{
    if (!dc || !dc->isValid() || rect.isEmpty())
        return;
    const int L = rect.left();
    const int T = rect.top();
    const int R = rect.left() + rect.width();
    const int B = rect.top() + rect.height();
    const double w = rect.width();
    const double h = rect.height();
    const int d = trunc(0.8 * w);
    const int o = trunc(0.15 * w);
    const int f = trunc(0.05 * w);
    const int y = trunc(T + 0.95 * h);
    const double m = d > 0 ? double(y - T) / d : 0;
    QRect main = Ltrb(L, T, L + d, y);
    QRect second = Ltrb(L + d, trunc(B - 1.5 * m * o), L + d + o, y);
    QRect third = Ltrb(L + d + o, trunc(B - 1.5 * m * f), R, B);
    if (mirrored) {
        const int centre = (L + R) / 2;
        main = MirrorRect(main, centre);
        second = MirrorRect(second, centre);
        third = MirrorRect(third, centre);
    }
    const QPen previousPen = dc->SelectPen(QPen(penColour, penWidth));
    const QBrush previousBrush = dc->SelectBrush(fillColour);
    dc->Ellipse(main);
    dc->Ellipse(second);
    dc->Ellipse(third);
    dc->SelectBrush(previousBrush);
    dc->SelectPen(previousPen);
    const bool previousMode = dc->SetTransparentBackground(true);
    dc->DrawText(text, main,
                 TextFormat::Center | TextFormat::VCenter | TextFormat::SingleLine
                         | TextFormat::NoPrefix);
    dc->SetTransparentBackground(previousMode);
}

void DrawSleepyFace(DrawContext *dc, int left, int top, int right, int bottom, bool animate)
{
    if (!dc || !dc->isValid() || right <= left || bottom <= top)
        return;
    const double w = right - left;
    const double h = bottom - top;
    const QPen previousPen = dc->SelectPen(QPen(Qt::black, 1));
    const QBrush previousBrush = dc->SelectBrush(Qt::white);
    for (int i = 0; i < 10; ++i) {
        const QColor colour(255, trunc(221 + 3.3 * i), trunc(48 + 16 * i));
        dc->SelectPen(QPen(colour, 1));
        dc->SelectBrush(colour);
        dc->Ellipse(Ltrb(trunc(left + 0.0375 * i * w), trunc(top + 0.0375 * i * h),
                         trunc(right - 0.0625 * i * w), trunc(bottom - 0.0625 * i * h)));
    }
    dc->SelectPen(QPen(Qt::black, 1));
    const int eyes = trunc(top + 0.375 * h);
    dc->MoveTo(QPoint(trunc(left + 0.125 * w), eyes));
    dc->LineTo(QPoint(trunc(left + 0.375 * w), eyes));
    dc->MoveTo(QPoint(trunc(left + 0.625 * w), eyes));
    dc->LineTo(QPoint(trunc(left + 0.875 * w), eyes));

    bool mouthOpen = false;
    int sleepers = 2;
    if (animate) {
        static QElapsedTimer clock;
        if (!clock.isValid())
            clock.start();
        const qint64 phase = clock.elapsed() / 800;
        mouthOpen = phase % 2 == 1;
        sleepers = int(phase % 3);
    }
    if (mouthOpen) {
        dc->SelectBrush(QColor(120, 60, 30));
        dc->Rectangle(Ltrb(trunc(left + 0.45 * w), trunc(top + 0.65 * h), trunc(left + 0.55 * w),
                           trunc(top + 0.75 * h)));
    } else {
        const int mouth = trunc(top + 0.7 * h);
        dc->MoveTo(QPoint(trunc(left + 0.4 * w), mouth));
        dc->LineTo(QPoint(trunc(left + 0.6 * w), mouth));
    }
    const int size = qMax(3, trunc(w * 0.12));
    for (int z = 0; z < sleepers; ++z)
        drawZ(dc, trunc(right - 0.15 * w + z * size), trunc(top - z * size * 1.2), size - z);
    dc->SelectBrush(previousBrush);
    dc->SelectPen(previousPen);
}

bool SaveClipboardText(const QString &path)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return false;
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty())
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const QByteArray bytes = Ansi::fromUnicode(text);
    return file.write(bytes) == bytes.size() && file.commit();
}

} // namespace divad
