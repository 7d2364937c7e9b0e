#include "resources/style/imagegen/glyphs.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <functional>

namespace glyphs {
namespace {

    using Draw = std::function<void(QPainter &, const QColor &)>;

    QPen line(const QColor &ink, qreal width = 1.8)
    {
        return QPen(ink, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    }

    void stroke(QPainter &p, const QColor &ink, const QPainterPath &path, qreal width = 1.8)
    {
        p.setPen(line(ink, width));
        p.setBrush(Qt::NoBrush);
        p.drawPath(path);
    }

    void fill(QPainter &p, const QColor &ink, const QPainterPath &path)
    {
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawPath(path);
    }

    QPainterPath polyline(std::initializer_list<QPointF> points, bool closed = false)
    {
        QPainterPath path;
        bool first = true;
        for (const QPointF &point : points) {
            if (first)
                path.moveTo(point);
            else
                path.lineTo(point);
            first = false;
        }
        if (closed)
            path.closeSubpath();
        return path;
    }

    QPainterPath roundedRect(qreal x, qreal y, qreal w, qreal h, qreal r)
    {
        QPainterPath path;
        path.addRoundedRect(QRectF(x, y, w, h), r, r);
        return path;
    }

    void openBook(QPainter &p, const QColor &ink)
    {
        QPainterPath path;
        path.moveTo(12, 7);
        path.cubicTo(9.5, 5.2, 6, 5, 3, 5.6);
        path.lineTo(3, 18.6);
        path.cubicTo(6, 18, 9.5, 18.2, 12, 20);
        path.cubicTo(14.5, 18.2, 18, 18, 21, 18.6);
        path.lineTo(21, 5.6);
        path.cubicTo(18, 5, 14.5, 5.2, 12, 7);
        path.closeSubpath();
        path.moveTo(12, 7);
        path.lineTo(12, 20);
        stroke(p, ink, path);
    }

    void plusBadge(QPainter &p, const QColor &ink, qreal cx, qreal cy, qreal r)
    {
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(QPointF(cx, cy), r, r);
        const QColor paper(255, 255, 255);
        p.setPen(line(paper, 1.6));
        p.drawLine(QPointF(cx - r * 0.5, cy), QPointF(cx + r * 0.5, cy));
        p.drawLine(QPointF(cx, cy - r * 0.5), QPointF(cx, cy + r * 0.5));
    }

    void folderOutline(QPainter &p, const QColor &ink)
    {
        stroke(p, ink,
               polyline({ { 3, 6.5 }, { 9, 6.5 }, { 11, 8.5 }, { 21, 8.5 }, { 21, 19 }, { 3, 19 } },
                        true));
    }

    void magnifier(QPainter &p, const QColor &ink)
    {
        p.setPen(line(ink));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(10.5, 10.5), 6, 6);
        p.setPen(line(ink, 2.4));
        p.drawLine(QPointF(15, 15), QPointF(20.5, 20.5));
    }

    void letterA(QPainter &p, const QColor &ink, qreal scale, qreal dx)
    {
        const auto at
                = [&](qreal x, qreal y) { return QPointF(dx + x * scale, 21 - (21 - y) * scale); };
        stroke(p, ink, polyline({ at(3, 20), at(9, 5), at(15, 20) }));
        stroke(p, ink, polyline({ at(5.4, 14.5), at(12.6, 14.5) }));
    }

    void pageLines(QPainter &p, const QColor &ink, qreal x, qreal w, int count)
    {
        p.setPen(line(ink, 1.4));
        for (int i = 0; i < count; ++i) {
            const qreal y = 8 + i * 3;
            p.drawLine(QPointF(x, y), QPointF(x + w, y));
        }
    }

    void star(QPainter &p, const QColor &ink, bool filled)
    {
        QPainterPath path;
        for (int i = 0; i < 10; ++i) {
            const qreal radius = (i % 2 == 0) ? 9.5 : 4.2;
            const qreal angle = qDegreesToRadians(-90.0 + i * 36.0);
            const QPointF point(12 + radius * qCos(angle), 12.8 + radius * qSin(angle));
            if (i == 0)
                path.moveTo(point);
            else
                path.lineTo(point);
        }
        path.closeSubpath();
        if (filled)
            fill(p, ink, path);
        else
            stroke(p, ink, path, 1.6);
    }

    void trash(QPainter &p, const QColor &ink)
    {
        stroke(p, ink, polyline({ { 4, 6.5 }, { 20, 6.5 } }));
        stroke(p, ink, polyline({ { 9, 6.5 }, { 9.5, 4 }, { 14.5, 4 }, { 15, 6.5 } }));
        stroke(p, ink, polyline({ { 6, 6.5 }, { 7, 20 }, { 17, 20 }, { 18, 6.5 } }));
        stroke(p, ink, polyline({ { 10, 10 }, { 10, 16.5 } }), 1.4);
        stroke(p, ink, polyline({ { 14, 10 }, { 14, 16.5 } }), 1.4);
    }

    void circularArrow(QPainter &p, const QColor &ink)
    {
        QPainterPath arc;
        arc.arcMoveTo(QRectF(4.5, 4.5, 15, 15), 120);
        arc.arcTo(QRectF(4.5, 4.5, 15, 15), 120, 280);
        stroke(p, ink, arc);
        QPainterPath head = polyline({ { 4, 3.5 }, { 8.5, 6.3 }, { 4.2, 9.6 } }, true);
        fill(p, ink, head);
    }

    void cornerArrows(QPainter &p, const QColor &ink, bool outward)
    {
        // Four corner brackets; pointing out means "make bigger".
        const qreal a = outward ? 3.5 : 9;
        const qreal b = outward ? 9 : 3.5;
        stroke(p, ink, polyline({ { 3.5, b }, { a, a }, { b, 3.5 } }));
        stroke(p, ink, polyline({ { 20.5, b }, { 24 - a, a }, { 24 - b, 3.5 } }));
        stroke(p, ink, polyline({ { 3.5, 24 - b }, { a, 24 - a }, { b, 20.5 } }));
        stroke(p, ink, polyline({ { 20.5, 24 - b }, { 24 - a, 24 - a }, { 24 - b, 20.5 } }));
    }

    void triangle(QPainter &p, const QColor &ink, int direction)
    {
        // 0 left, 1 right, 2 down, 3 up.
        QPainterPath path;
        switch (direction) {
        case 0:
            path = polyline({ { 16, 4 }, { 7, 12 }, { 16, 20 } }, true);
            break;
        case 1:
            path = polyline({ { 8, 4 }, { 17, 12 }, { 8, 20 } }, true);
            break;
        case 2:
            path = polyline({ { 4, 8 }, { 12, 17 }, { 20, 8 } }, true);
            break;
        default:
            path = polyline({ { 4, 16 }, { 12, 7 }, { 20, 16 } }, true);
            break;
        }
        fill(p, ink, path);
    }

    void noteSheet(QPainter &p, const QColor &ink, bool mirrored)
    {
        p.save();
        if (mirrored) {
            p.translate(24, 0);
            p.scale(-1, 1);
        }
        stroke(p, ink,
               polyline({ { 4.5, 3.5 },
                          { 19.5, 3.5 },
                          { 19.5, 14.5 },
                          { 13.5, 20.5 },
                          { 4.5, 20.5 } },
                        true));
        stroke(p, ink, polyline({ { 13.5, 20.5 }, { 13.5, 14.5 }, { 19.5, 14.5 } }));
        p.setPen(line(ink, 1.5));
        p.drawLine(QPointF(8, 8.5), QPointF(16, 8.5));
        p.drawLine(QPointF(8, 12), QPointF(13, 12));
        p.restore();
    }

    void pencil(QPainter &p, const QColor &ink)
    {
        stroke(p, ink,
               polyline({ { 15.5, 4.5 }, { 19.5, 8.5 }, { 8.5, 19.5 }, { 4, 20 }, { 4.5, 15.5 } },
                        true));
        stroke(p, ink, polyline({ { 13, 7 }, { 17, 11 } }), 1.5);
    }

    void gear(QPainter &p, const QColor &ink)
    {
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.save();
        p.translate(12, 12);
        for (int i = 0; i < 8; ++i) {
            p.drawRoundedRect(QRectF(-1.7, -10, 3.4, 5), 0.8, 0.8);
            p.rotate(45);
        }
        p.restore();
        QPainterPath ring;
        ring.addEllipse(QPointF(12, 12), 7, 7);
        ring.addEllipse(QPointF(12, 12), 3, 3);
        ring.setFillRule(Qt::OddEvenFill);
        fill(p, ink, ring);
    }

    void globe(QPainter &p, const QColor &ink)
    {
        p.setPen(line(ink, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
        p.drawEllipse(QPointF(12, 12), 3.8, 8.5);
        p.drawLine(QPointF(3.5, 12), QPointF(20.5, 12));
        p.drawLine(QPointF(5, 7.5), QPointF(19, 7.5));
        p.drawLine(QPointF(5, 16.5), QPointF(19, 16.5));
    }

    void question(QPainter &p, const QColor &ink)
    {
        p.setPen(line(ink, 1.6));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
        QPainterPath hook;
        hook.moveTo(9.3, 9.6);
        hook.cubicTo(9.3, 6.6, 14.8, 6.4, 14.8, 9.4);
        hook.cubicTo(14.8, 11.4, 12, 11.6, 12, 14);
        stroke(p, ink, hook, 1.7);
        p.setPen(Qt::NoPen);
        p.setBrush(ink);
        p.drawEllipse(QPointF(12, 16.9), 1.2, 1.2);
    }

    QHash<QString, Draw> &table()
    {
        static QHash<QString, Draw> glyphs;
        if (!glyphs.isEmpty())
            return glyphs;

        glyphs.insert(QStringLiteral("book"), openBook);
        glyphs.insert(QStringLiteral("library"), [](QPainter &p, const QColor &ink) {
            stroke(p, ink, roundedRect(4, 4, 4, 16, 0.8));
            stroke(p, ink, roundedRect(10, 6, 4, 14, 0.8));
            stroke(p, ink,
                   polyline({ { 16.2, 6.8 }, { 19.8, 5.9 }, { 22.2, 19.2 }, { 18.6, 20.1 } },
                            true));
        });
        glyphs.insert(QStringLiteral("addbook"), [](QPainter &p, const QColor &ink) {
            openBook(p, ink);
            plusBadge(p, ink, 18.5, 17.5, 5);
        });
        glyphs.insert(QStringLiteral("folder"), folderOutline);
        glyphs.insert(QStringLiteral("addfolder"), [](QPainter &p, const QColor &ink) {
            folderOutline(p, ink);
            plusBadge(p, ink, 18.5, 17.5, 5);
        });
        glyphs.insert(QStringLiteral("openfolder"), [](QPainter &p, const QColor &ink) {
            stroke(p, ink,
                   polyline({ { 3, 19 },
                              { 3, 5.5 },
                              { 9, 5.5 },
                              { 11, 7.5 },
                              { 18, 7.5 },
                              { 18, 10 } }));
            stroke(p, ink,
                   polyline({ { 3, 19 }, { 6.5, 10.5 }, { 21.5, 10.5 }, { 18, 19 } }, true));
        });
        glyphs.insert(QStringLiteral("contents"), [](QPainter &p, const QColor &ink) {
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            for (int i = 0; i < 4; ++i)
                p.drawEllipse(QPointF(5, 5.5 + i * 4.4), 1.3, 1.3);
            p.setPen(line(ink, 1.6));
            for (int i = 0; i < 4; ++i)
                p.drawLine(QPointF(9, 5.5 + i * 4.4), QPointF(i % 2 ? 17 : 20, 5.5 + i * 4.4));
        });
        glyphs.insert(QStringLiteral("notes"),
                      [](QPainter &p, const QColor &ink) { noteSheet(p, ink, false); });
        glyphs.insert(QStringLiteral("notesright"),
                      [](QPainter &p, const QColor &ink) { noteSheet(p, ink, true); });
        glyphs.insert(QStringLiteral("back"), [](QPainter &p, const QColor &ink) {
            stroke(p, ink, polyline({ { 20, 12 }, { 4.5, 12 } }));
            stroke(p, ink, polyline({ { 10.5, 6 }, { 4.5, 12 }, { 10.5, 18 } }));
        });
        glyphs.insert(QStringLiteral("navback"), [](QPainter &p, const QColor &ink) {
            p.setPen(line(ink, 1.5));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(12, 12), 10, 10);
            stroke(p, ink, polyline({ { 13.5, 7 }, { 8.5, 12 }, { 13.5, 17 } }), 2);
        });
        glyphs.insert(QStringLiteral("print"), [](QPainter &p, const QColor &ink) {
            stroke(p, ink, polyline({ { 7, 8 }, { 7, 3.5 }, { 17, 3.5 }, { 17, 8 } }));
            stroke(p, ink, roundedRect(3, 8, 18, 9, 1.5));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(255, 255, 255));
            p.drawRect(QRectF(7, 13, 10, 8));
            stroke(p, ink, polyline({ { 7, 13 }, { 7, 20.5 }, { 17, 20.5 }, { 17, 13 } }, true));
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawEllipse(QPointF(17.5, 11), 0.9, 0.9);
        });
        glyphs.insert(QStringLiteral("help"), question);
        glyphs.insert(QStringLiteral("settings"), gear);
        glyphs.insert(QStringLiteral("site"), globe);
        glyphs.insert(QStringLiteral("continue"), [](QPainter &p, const QColor &ink) {
            openBook(p, ink);
            QPainterPath ribbon = polyline(
                    { { 14.5, 6 }, { 14.5, 13 }, { 16.5, 11.4 }, { 18.5, 13 }, { 18.5, 5.3 } });
            fill(p, ink, ribbon);
        });
        glyphs.insert(QStringLiteral("close"), [](QPainter &p, const QColor &ink) {
            stroke(p, ink, polyline({ { 6, 6 }, { 18, 18 } }));
            stroke(p, ink, polyline({ { 18, 6 }, { 6, 18 } }));
        });
        glyphs.insert(QStringLiteral("check"), [](QPainter &p, const QColor &ink) {
            stroke(p, ink, polyline({ { 4.5, 12.5 }, { 9.5, 17.5 }, { 19.5, 6.5 } }), 2.4);
        });
        glyphs.insert(QStringLiteral("plus"), [](QPainter &p, const QColor &ink) {
            stroke(p, ink, polyline({ { 12, 4.5 }, { 12, 19.5 } }), 2);
            stroke(p, ink, polyline({ { 4.5, 12 }, { 19.5, 12 } }), 2);
        });
        glyphs.insert(QStringLiteral("minus"), [](QPainter &p, const QColor &ink) {
            stroke(p, ink, polyline({ { 4.5, 12 }, { 19.5, 12 } }), 2);
        });
        glyphs.insert(QStringLiteral("arrowleft"),
                      [](QPainter &p, const QColor &ink) { triangle(p, ink, 0); });
        glyphs.insert(QStringLiteral("arrowright"),
                      [](QPainter &p, const QColor &ink) { triangle(p, ink, 1); });
        glyphs.insert(QStringLiteral("arrowdown"),
                      [](QPainter &p, const QColor &ink) { triangle(p, ink, 2); });
        glyphs.insert(QStringLiteral("arrowup"),
                      [](QPainter &p, const QColor &ink) { triangle(p, ink, 3); });
        glyphs.insert(QStringLiteral("sort"), [](QPainter &p, const QColor &ink) {
            fill(p, ink, polyline({ { 6, 10 }, { 12, 3.5 }, { 18, 10 } }, true));
            fill(p, ink, polyline({ { 6, 14 }, { 12, 20.5 }, { 18, 14 } }, true));
        });
        glyphs.insert(QStringLiteral("star"),
                      [](QPainter &p, const QColor &ink) { star(p, ink, true); });
        glyphs.insert(QStringLiteral("staroutline"),
                      [](QPainter &p, const QColor &ink) { star(p, ink, false); });
        glyphs.insert(QStringLiteral("trash"), trash);
        glyphs.insert(QStringLiteral("restore"), circularArrow);
        glyphs.insert(QStringLiteral("pencil"), pencil);
        glyphs.insert(QStringLiteral("bookmark"), [](QPainter &p, const QColor &ink) {
            stroke(p, ink,
                   polyline({ { 6.5, 3.5 },
                              { 17.5, 3.5 },
                              { 17.5, 20.5 },
                              { 12, 16 },
                              { 6.5, 20.5 } },
                            true));
        });
        glyphs.insert(QStringLiteral("fontbig"), [](QPainter &p, const QColor &ink) {
            letterA(p, ink, 1.0, 0);
            stroke(p, ink, polyline({ { 19.5, 3.5 }, { 19.5, 10.5 } }), 1.6);
            stroke(p, ink, polyline({ { 16, 7 }, { 23, 7 } }), 1.6);
        });
        glyphs.insert(QStringLiteral("fontsmall"), [](QPainter &p, const QColor &ink) {
            letterA(p, ink, 0.75, 1.5);
            stroke(p, ink, polyline({ { 16, 7 }, { 23, 7 } }), 1.6);
        });
        const auto spacing = [](QPainter &p, const QColor &ink, bool up) {
            p.setPen(line(ink, 1.6));
            for (int i = 0; i < 4; ++i)
                p.drawLine(QPointF(10, 5 + i * 4.7), QPointF(21, 5 + i * 4.7));
            stroke(p, ink, polyline({ { 5, 4 }, { 5, 20 } }), 1.6);
            if (up)
                fill(p, ink, polyline({ { 2, 7.5 }, { 5, 3 }, { 8, 7.5 } }, true));
            else
                fill(p, ink, polyline({ { 2, 16.5 }, { 5, 21 }, { 8, 16.5 } }, true));
        };
        glyphs.insert(QStringLiteral("spacingup"),
                      [spacing](QPainter &p, const QColor &ink) { spacing(p, ink, true); });
        glyphs.insert(QStringLiteral("spacingdown"),
                      [spacing](QPainter &p, const QColor &ink) { spacing(p, ink, false); });
        glyphs.insert(QStringLiteral("onecolumn"), [](QPainter &p, const QColor &ink) {
            stroke(p, ink, roundedRect(5, 3, 14, 18, 1.5), 1.6);
            pageLines(p, ink, 8, 8, 4);
        });
        glyphs.insert(QStringLiteral("twocolumn"), [](QPainter &p, const QColor &ink) {
            stroke(p, ink, roundedRect(2.5, 3, 19, 18, 1.5), 1.6);
            stroke(p, ink, polyline({ { 12, 3 }, { 12, 21 } }), 1.4);
            pageLines(p, ink, 5, 4.5, 4);
            pageLines(p, ink, 14.5, 4.5, 4);
        });
        glyphs.insert(QStringLiteral("profile"), [](QPainter &p, const QColor &ink) {
            p.setPen(line(ink, 1.6));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
            QPainterPath half;
            half.moveTo(12, 3.5);
            half.arcTo(QRectF(3.5, 3.5, 17, 17), 90, -180);
            half.closeSubpath();
            fill(p, ink, half);
        });
        const auto zoom = [](QPainter &p, const QColor &ink, bool in) {
            magnifier(p, ink);
            p.setPen(line(ink, 1.6));
            p.drawLine(QPointF(7.5, 10.5), QPointF(13.5, 10.5));
            if (in)
                p.drawLine(QPointF(10.5, 7.5), QPointF(10.5, 13.5));
        };
        glyphs.insert(QStringLiteral("zoomin"),
                      [zoom](QPainter &p, const QColor &ink) { zoom(p, ink, true); });
        glyphs.insert(QStringLiteral("zoomout"),
                      [zoom](QPainter &p, const QColor &ink) { zoom(p, ink, false); });
        glyphs.insert(QStringLiteral("search"), magnifier);
        glyphs.insert(QStringLiteral("fit"), [](QPainter &p, const QColor &ink) {
            stroke(p, ink, roundedRect(7, 7, 10, 10, 1), 1.5);
            cornerArrows(p, ink, true);
        });
        glyphs.insert(QStringLiteral("original"), [](QPainter &p, const QColor &ink) {
            stroke(p, ink, roundedRect(2.5, 4.5, 19, 15, 1.5), 1.6);
            stroke(p, ink, polyline({ { 7, 9.5 }, { 8.5, 8.5 }, { 8.5, 16 } }), 1.6);
            stroke(p, ink, polyline({ { 15, 9.5 }, { 16.5, 8.5 }, { 16.5, 16 } }), 1.6);
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawEllipse(QPointF(12, 10.5), 0.9, 0.9);
            p.drawEllipse(QPointF(12, 14), 0.9, 0.9);
        });
        glyphs.insert(QStringLiteral("fullscreen"),
                      [](QPainter &p, const QColor &ink) { cornerArrows(p, ink, true); });
        glyphs.insert(QStringLiteral("exitfullscreen"),
                      [](QPainter &p, const QColor &ink) { cornerArrows(p, ink, false); });
        glyphs.insert(QStringLiteral("recent"), [](QPainter &p, const QColor &ink) {
            p.setPen(line(ink, 1.6));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(QPointF(12, 12), 8.5, 8.5);
            stroke(p, ink, polyline({ { 12, 7 }, { 12, 12 }, { 15.5, 14 } }), 1.7);
        });
        glyphs.insert(QStringLiteral("import"), [](QPainter &p, const QColor &ink) {
            stroke(p, ink, polyline({ { 4, 14 }, { 4, 20 }, { 20, 20 }, { 20, 14 } }));
            stroke(p, ink, polyline({ { 12, 3.5 }, { 12, 15 } }));
            stroke(p, ink, polyline({ { 7.5, 10.5 }, { 12, 15 }, { 16.5, 10.5 } }));
        });
        glyphs.insert(QStringLiteral("export"), [](QPainter &p, const QColor &ink) {
            stroke(p, ink, polyline({ { 4, 14 }, { 4, 20 }, { 20, 20 }, { 20, 14 } }));
            stroke(p, ink, polyline({ { 12, 15 }, { 12, 3.5 } }));
            stroke(p, ink, polyline({ { 7.5, 8 }, { 12, 3.5 }, { 16.5, 8 } }));
        });
        glyphs.insert(QStringLiteral("shelf"), [](QPainter &p, const QColor &ink) {
            for (int row = 0; row < 2; ++row)
                for (int column = 0; column < 2; ++column)
                    stroke(p, ink, roundedRect(4 + column * 9, 4 + row * 9, 7, 7, 1), 1.5);
        });
        glyphs.insert(QStringLiteral("table"), [](QPainter &p, const QColor &ink) {
            p.setPen(line(ink, 1.6));
            for (int i = 0; i < 4; ++i) {
                const qreal y = 5.5 + i * 4.4;
                p.drawLine(QPointF(4, y), QPointF(6, y));
                p.drawLine(QPointF(9, y), QPointF(20, y));
            }
        });
        glyphs.insert(QStringLiteral("formats"), [](QPainter &p, const QColor &ink) {
            stroke(p, ink,
                   polyline({ { 5.5, 3.5 },
                              { 14.5, 3.5 },
                              { 18.5, 7.5 },
                              { 18.5, 20.5 },
                              { 5.5, 20.5 } },
                            true),
                   1.6);
            stroke(p, ink, polyline({ { 14.5, 3.5 }, { 14.5, 7.5 }, { 18.5, 7.5 } }), 1.4);
            pageLines(p, ink, 8.5, 7, 3);
        });
        return glyphs;
    }

} // namespace

bool exists(const QString &name)
{
    return table().contains(name);
}

void draw(QPainter &painter, const QString &name, const QColor &ink)
{
    const auto it = table().constFind(name);
    if (it == table().constEnd())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    it.value()(painter, ink);
    painter.restore();
}

} // namespace glyphs
