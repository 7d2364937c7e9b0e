// Draws the pictures and the page sound of the divad reader and writes the
// resource collection that embeds them with the help book. Run at build
// time:
//
//   divad-artgen OUT_FOLDER ART_SOURCE_FOLDER
//
// writes OUT_FOLDER/images/*, OUT_FOLDER/sounds/page130.wav and
// OUT_FOLDER/divad.qrc (prefix ":/divad"). The numbers in the file names
// are the resource numbers the reader knows its pictures by. Everything is
// plain QPainter work and a little arithmetic for the sound, so the output
// depends on nothing but this program (and, for the few words on the
// splash and the cover, the installed fonts).

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>
#include <QtEndian>
#include <QtMath>

#include <cmath>
#include <cstdio>

namespace {

// The size every skin is drawn at; the reader resizes it to the book.
const QSize kSkinSize(800, 560);

class Output
{
public:
    explicit Output(const QString &folder)
        : m_folder(folder)
    {
    }

    void image(const QString &name, const QImage &picture, const char *format = "PNG",
               int quality = -1)
    {
        QImageWriter writer(m_folder + QStringLiteral("/images/") + name);
        writer.setFormat(format);
        if (quality >= 0)
            writer.setQuality(quality);
        if (!writer.write(picture)) {
            std::fprintf(stderr, "divad-artgen: can not write %s: %s\n", qPrintable(name),
                         qPrintable(writer.errorString()));
            m_ok = false;
            return;
        }
        m_files << QStringLiteral("images/") + name;
    }

    void file(const QString &name, const QByteArray &bytes)
    {
        QSaveFile out(m_folder + QLatin1Char('/') + name);
        if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit()) {
            std::fprintf(stderr, "divad-artgen: can not write %s\n", qPrintable(name));
            m_ok = false;
            return;
        }
        m_files << name;
    }

    bool writeCollection()
    {
        QByteArray qrc = "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/divad\">\n";
        for (const QString &name : qAsConst(m_files))
            qrc += "  <file>" + name.toUtf8() + "</file>\n";
        qrc += "</qresource>\n</RCC>\n";
        QSaveFile out(m_folder + QStringLiteral("/divad.qrc"));
        return out.open(QIODevice::WriteOnly) && out.write(qrc) == qrc.size() && out.commit();
    }

    bool ok() const { return m_ok; }

private:
    QString m_folder;
    QStringList m_files;
    bool m_ok = true;
};

// A fixed pseudo-random sequence, so that every build draws the same.
class Random
{
public:
    explicit Random(quint32 seed)
        : m_state(seed)
    {
    }
    // 0 ... 1
    double next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return (m_state >> 8) / double(1 << 24);
    }
    double between(double low, double high) { return low + (high - low) * next(); }

private:
    quint32 m_state;
};

QImage blank(const QSize &size, const QColor &fill)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(fill);
    return image;
}

// The pages of an open book on a paper colour: a soft vertical gradient, the
// shade of the spine in the middle and a faint edge on the outer sides.
void paper(QPainter &p, const QSize &size, const QColor &top, const QColor &bottom)
{
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, top);
    gradient.setColorAt(1, bottom);
    p.fillRect(QRect(QPoint(0, 0), size), gradient);
}

void spine(QPainter &p, const QSize &size)
{
    const qreal middle = size.width() / 2.0;
    const qreal reach = size.width() * 0.045;
    for (int side : { -1, 1 }) {
        QLinearGradient shade(middle, 0, middle + side * reach, 0);
        shade.setColorAt(0, QColor(90, 70, 40, 90));
        shade.setColorAt(0.35, QColor(90, 70, 40, 35));
        shade.setColorAt(1, QColor(90, 70, 40, 0));
        const QRectF band = side < 0 ? QRectF(middle - reach, 0, reach, size.height())
                                     : QRectF(middle, 0, reach, size.height());
        p.fillRect(band, shade);
    }
    p.setPen(QPen(QColor(120, 100, 70, 120), 1));
    p.drawLine(QPointF(middle, 0), QPointF(middle, size.height()));
    // The outer edges of the pages.
    for (int side : { 0, 1 }) {
        const qreal x = side ? size.width() : 0;
        QLinearGradient edge(x, 0, side ? x - 14 : 14, 0);
        edge.setColorAt(0, QColor(110, 90, 60, 70));
        edge.setColorAt(1, QColor(110, 90, 60, 0));
        p.fillRect(QRectF(side ? x - 14 : 0, 0, 14, size.height()), edge);
    }
}

// A thin double frame inside each page.
void pageFrames(QPainter &p, const QSize &size, const QColor &ink, qreal inset)
{
    const qreal half = size.width() / 2.0;
    p.setBrush(Qt::NoBrush);
    for (int page = 0; page < 2; ++page) {
        const QRectF area(page * half + inset, inset, half - 2 * inset, size.height() - 2 * inset);
        p.setPen(QPen(ink, 1.6));
        p.drawRect(area);
        p.setPen(QPen(ink, 0.8));
        p.drawRect(area.adjusted(5, 5, -5, -5));
    }
}

void star(QPainter &p, const QPointF &centre, qreal outer, qreal inner, qreal turn = 0)
{
    QPainterPath path;
    for (int i = 0; i < 10; ++i) {
        const qreal radius = i % 2 ? inner : outer;
        const qreal angle = turn + M_PI / 2 + i * M_PI / 5;
        const QPointF point(centre.x() + radius * std::cos(angle),
                            centre.y() - radius * std::sin(angle));
        if (i == 0)
            path.moveTo(point);
        else
            path.lineTo(point);
    }
    path.closeSubpath();
    p.drawPath(path);
}

void leaf(QPainter &p, const QPointF &base, qreal length, qreal angle, const QColor &colour)
{
    p.save();
    p.translate(base);
    p.rotate(angle);
    QPainterPath path;
    path.moveTo(0, 0);
    path.quadTo(length * 0.5, -length * 0.32, length, 0);
    path.quadTo(length * 0.5, length * 0.32, 0, 0);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(path);
    p.setPen(QPen(colour.darker(115), 0.8));
    p.drawLine(QPointF(0, 0), QPointF(length * 0.9, 0));
    p.restore();
}

// A skin: the paper in a gradient from top to bottom, what decorate draws
// on it, and the spine over everything.
QImage drawSkin(const QColor &top, const QColor &bottom, void (*decorate)(QPainter &))
{
    QImage image = blank(kSkinSize, Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    paper(p, kSkinSize, top, bottom);
    decorate(p);
    spine(p, kSkinSize);
    return image;
}

// Skin 0: plain warm paper.
void skinStandard(QPainter &p)
{
    pageFrames(p, kSkinSize, QColor(205, 190, 160), 14);
}

// Skin 1: parchment with vines in the corners and columns at the sides.
void skinMyth(QPainter &p)
{
    const QColor vine(196, 176, 128);
    const qreal half = kSkinSize.width() / 2.0;
    for (int page = 0; page < 2; ++page) {
        const qreal left = page * half;
        // Columns at the outer side of each page.
        const qreal columnX = page ? kSkinSize.width() - 34 : 12;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(230, 218, 186));
        p.drawRect(QRectF(columnX, 30, 22, kSkinSize.height() - 60));
        p.setPen(QPen(QColor(210, 194, 156), 1));
        for (int flute = 1; flute < 4; ++flute)
            p.drawLine(QPointF(columnX + flute * 5.5, 34),
                       QPointF(columnX + flute * 5.5, kSkinSize.height() - 34));
        p.setBrush(QColor(222, 206, 168));
        p.drawRect(QRectF(columnX - 5, 22, 32, 10));
        p.drawRect(QRectF(columnX - 5, kSkinSize.height() - 32, 32, 10));
        // Vines along the top and bottom edges.
        for (int edge = 0; edge < 2; ++edge) {
            const qreal y = edge ? kSkinSize.height() - 16 : 16;
            QPainterPath stem;
            stem.moveTo(left + 50, y);
            for (int k = 0; k < 6; ++k) {
                const qreal x0 = left + 50 + k * (half - 100) / 6.0;
                const qreal x1 = x0 + (half - 100) / 6.0;
                stem.quadTo((x0 + x1) / 2, y + (k % 2 ? 7 : -7), x1, y);
            }
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(vine, 1.4));
            p.drawPath(stem);
            for (int k = 0; k < 12; ++k) {
                const qreal x = left + 60 + k * (half - 120) / 11.0;
                leaf(p, QPointF(x, y), 13, (k % 2 ? -35 : 35) + (edge ? 180 : 0), vine.lighter(108));
            }
        }
    }
}

// Skin 2: pale blush with soft circles of light in the corners.
void skinYouth(QPainter &p)
{
    Random random(2);
    const QColor tints[] = { QColor(250, 200, 210), QColor(200, 220, 250), QColor(250, 226, 180),
                             QColor(210, 240, 214) };
    for (int i = 0; i < 46; ++i) {
        // Keep the circles to the corners, away from the lines of text.
        const bool right = random.next() > 0.5;
        const bool bottom = random.next() > 0.5;
        const qreal x = right ? kSkinSize.width() - random.between(10, 150)
                              : random.between(10, 150);
        const qreal y = bottom ? kSkinSize.height() - random.between(10, 110)
                               : random.between(10, 110);
        const qreal radius = random.between(8, 34);
        QColor tint = tints[i % 4];
        QRadialGradient glow(QPointF(x, y), radius);
        tint.setAlpha(120);
        glow.setColorAt(0, tint);
        tint.setAlpha(0);
        glow.setColorAt(1, tint);
        p.setPen(Qt::NoPen);
        p.setBrush(glow);
        p.drawEllipse(QPointF(x, y), radius, radius);
    }
}

// Skin 3: a pale night-blue sky, a castle on a hill in each lower corner.
void skinCastle(QPainter &p)
{
    const QColor stone(224, 220, 244);
    const int h = kSkinSize.height();
    for (int side = 0; side < 2; ++side) {
        p.save();
        if (side) {
            p.translate(kSkinSize.width(), 0);
            p.scale(-1, 1);
        }
        p.setPen(Qt::NoPen);
        p.setBrush(stone.lighter(104));
        QPainterPath hill;
        hill.moveTo(0, h);
        hill.quadTo(90, h - 70, 220, h);
        p.drawPath(hill);
        p.setBrush(stone);
        p.drawRect(QRectF(40, h - 120, 80, 70));
        for (int tower = 0; tower < 3; ++tower) {
            const qreal x = 30 + tower * 42;
            const qreal top = h - 150 - (tower == 1 ? 30 : 0);
            p.drawRect(QRectF(x, top, 18, h - 50 - top));
            QPainterPath roof;
            roof.moveTo(x - 4, top);
            roof.lineTo(x + 9, top - 26);
            roof.lineTo(x + 22, top);
            p.drawPath(roof);
        }
        p.setBrush(QColor(236, 232, 250));
        p.drawRoundedRect(QRectF(70, h - 85, 20, 35), 10, 10);
        p.restore();
    }
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(220, 214, 245));
    Random random(3);
    for (int i = 0; i < 26; ++i) {
        const qreal x = random.between(10, kSkinSize.width() - 10);
        const qreal y = random.between(8, 40);
        star(p, QPointF(x, y), random.between(2.5, 5), 1.5, random.between(0, 1));
    }
}

// Skin 4: blush paper with a city skyline at the foot of the pages.
void skinCity(QPainter &p)
{
    Random random(4);
    const int h = kSkinSize.height();
    p.setPen(Qt::NoPen);
    qreal x = 0;
    while (x < kSkinSize.width()) {
        const qreal width = random.between(22, 48);
        const qreal height = random.between(20, 40);
        p.setBrush(QColor(238, 220, 228));
        p.drawRect(QRectF(x, h - height, width - 3, height));
        p.setBrush(QColor(248, 236, 240));
        for (qreal wy = h - height + 5; wy < h - 6; wy += 8)
            for (qreal wx = x + 4; wx < x + width - 8; wx += 7)
                p.drawRect(QRectF(wx, wy, 3, 4));
        x += width;
    }
    // A few hearts in the upper corners.
    for (int i = 0; i < 8; ++i) {
        const qreal cx = i < 4 ? random.between(20, 120) : kSkinSize.width() - random.between(20, 120);
        const qreal cy = random.between(16, 70);
        const qreal s = random.between(5, 10);
        QPainterPath heart;
        heart.moveTo(cx, cy + s);
        heart.cubicTo(cx - 2 * s, cy - 0.2 * s, cx - 0.8 * s, cy - 1.4 * s, cx, cy - 0.4 * s);
        heart.cubicTo(cx + 0.8 * s, cy - 1.4 * s, cx + 2 * s, cy - 0.2 * s, cx, cy + s);
        p.setBrush(QColor(244, 206, 216));
        p.drawPath(heart);
    }
}

// Skin 5: light steel with a faint hexagon mesh, rivets and warning stripes.
void skinMachine(QPainter &p)
{
    p.setPen(QPen(QColor(222, 226, 234), 1));
    p.setBrush(Qt::NoBrush);
    const qreal r = 18;
    for (int row = 0; row * r * 1.5 < kSkinSize.height() + r; ++row) {
        for (int col = 0; col * r * 1.732 < kSkinSize.width() + r; ++col) {
            const QPointF c(col * r * 1.732 + (row % 2 ? r * 0.866 : 0), row * r * 1.5);
            QPolygonF hexagon;
            for (int k = 0; k < 6; ++k)
                hexagon << QPointF(c.x() + r * std::cos(M_PI / 6 + k * M_PI / 3),
                                   c.y() + r * std::sin(M_PI / 6 + k * M_PI / 3));
            p.drawPolygon(hexagon);
        }
    }
    // Stripes across the four corners.
    for (int corner = 0; corner < 4; ++corner) {
        p.save();
        p.translate(corner % 2 ? kSkinSize.width() : 0, corner / 2 ? kSkinSize.height() : 0);
        p.scale(corner % 2 ? -1 : 1, corner / 2 ? -1 : 1);
        QPainterPath clip;
        clip.moveTo(0, 0);
        clip.lineTo(70, 0);
        clip.lineTo(0, 70);
        p.setClipPath(clip);
        for (int s = -80; s < 80; s += 16) {
            QPolygonF band;
            band << QPointF(s, 0) << QPointF(s + 8, 0) << QPointF(s + 8 - 80, 80)
                 << QPointF(s - 80, 80);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(236, 222, 170));
            p.drawPolygon(band);
        }
        p.restore();
    }
    p.setPen(QPen(QColor(200, 204, 214), 1));
    p.setBrush(QColor(226, 229, 236));
    for (qreal y = 20; y < kSkinSize.height(); y += 60) {
        p.drawEllipse(QPointF(8, y), 3, 3);
        p.drawEllipse(QPointF(kSkinSize.width() - 8, y), 3, 3);
    }
}

// Skin 6: cream with golden stars strewn along the edges.
void skinStars(QPainter &p)
{
    Random random(6);
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 70; ++i) {
        // A band 44 pixels deep around the pages.
        QPointF centre;
        const double where = random.next();
        if (where < 0.35)
            centre = QPointF(random.between(0, kSkinSize.width()), random.between(4, 40));
        else if (where < 0.7)
            centre = QPointF(random.between(0, kSkinSize.width()),
                             kSkinSize.height() - random.between(4, 40));
        else if (where < 0.85)
            centre = QPointF(random.between(4, 40), random.between(0, kSkinSize.height()));
        else
            centre = QPointF(kSkinSize.width() - random.between(4, 40),
                             random.between(0, kSkinSize.height()));
        const qreal size = random.between(3, 9);
        p.setBrush(QColor(244, 222, 150, int(random.between(120, 230))));
        star(p, centre, size, size * 0.42, random.between(0, 1));
    }
}

// Skin 7: pale green with grass and leaves at the foot and a paper plane.
void skinSchool(QPainter &p)
{
    Random random(7);
    const int h = kSkinSize.height();
    p.setPen(QPen(QColor(196, 226, 190), 1.5));
    for (qreal x = 0; x < kSkinSize.width(); x += 4) {
        const qreal height = random.between(6, 22);
        p.drawLine(QPointF(x, h), QPointF(x + random.between(-4, 4), h - height));
    }
    for (int i = 0; i < 14; ++i)
        leaf(p, QPointF(random.between(0, kSkinSize.width()), h - random.between(10, 30)),
             random.between(10, 18), random.between(-160, -20), QColor(204, 230, 196));
    // A paper plane in the upper right corner with its dotted trail.
    p.setPen(QPen(QColor(190, 210, 230), 1.2));
    p.setBrush(QColor(232, 240, 250));
    QPolygonF plane;
    plane << QPointF(740, 40) << QPointF(700, 52) << QPointF(712, 58) << QPointF(716, 70);
    p.drawPolygon(plane);
    p.setPen(QPen(QColor(200, 218, 236), 1.2, Qt::DotLine));
    p.setBrush(Qt::NoBrush);
    QPainterPath trail;
    trail.moveTo(700, 60);
    trail.cubicTo(660, 80, 640, 30, 600, 44);
    p.drawPath(trail);
}

// An open book in a rounded blue tile: the program's icon.
QImage appIcon(int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(side / 64.0, side / 64.0);
    QLinearGradient tile(0, 0, 0, 64);
    tile.setColorAt(0, QColor(198, 120, 72));
    tile.setColorAt(1, QColor(150, 78, 42));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(1, 1, 62, 62), 12, 12);
    for (int side2 = -1; side2 <= 1; side2 += 2) {
        QPainterPath page;
        page.moveTo(32, 20);
        page.cubicTo(32 + side2 * 8, 14, 32 + side2 * 18, 14, 32 + side2 * 25, 17);
        page.lineTo(32 + side2 * 25, 47);
        page.cubicTo(32 + side2 * 18, 44, 32 + side2 * 8, 44, 32, 50);
        page.closeSubpath();
        p.setBrush(QColor(252, 246, 232));
        p.drawPath(page);
        p.setPen(QPen(QColor(150, 120, 90), 1.2));
        for (int line = 0; line < 4; ++line) {
            const qreal y = 24 + line * 6;
            p.drawLine(QPointF(32 + side2 * 6, y), QPointF(32 + side2 * 20, y - 1));
        }
        p.setPen(Qt::NoPen);
    }
    p.setPen(QPen(QColor(120, 80, 50), 1.5));
    p.drawLine(QPointF(32, 20), QPointF(32, 50));
    return image;
}

// Small arrows and a house for the side bar's web buttons.
QImage navigationIcon(int kind)
{
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 110, 180));
    if (kind == 2) {
        QPolygonF house;
        house << QPointF(8, 1.5) << QPointF(15, 8) << QPointF(12.5, 8) << QPointF(12.5, 14.5)
              << QPointF(3.5, 14.5) << QPointF(3.5, 8) << QPointF(1, 8);
        p.drawPolygon(house);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(6.5, 10, 3, 4.5));
        return image;
    }
    QPolygonF arrow;
    arrow << QPointF(1.5, 8) << QPointF(8, 2) << QPointF(8, 5.5) << QPointF(14.5, 5.5)
          << QPointF(14.5, 10.5) << QPointF(8, 10.5) << QPointF(8, 14);
    if (kind == 1)
        for (QPointF &point : arrow)
            point.setX(16 - point.x());
    p.drawPolygon(arrow);
    return image;
}

QFont titleFont(int pixels, bool bold)
{
    QFont font;
    font.setFamilies({ QStringLiteral("WenQuanYi Micro Hei"), QStringLiteral("DejaVu Sans") });
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The start-up picture: a book on a desk lamp's circle of light.
QImage splash()
{
    QImage image(367, 400, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 400);
    sky.setColorAt(0, QColor(62, 44, 34));
    sky.setColorAt(1, QColor(112, 72, 48));
    p.fillRect(image.rect(), sky);
    QRadialGradient light(QPointF(183, 190), 190);
    light.setColorAt(0, QColor(255, 226, 160, 150));
    light.setColorAt(1, QColor(255, 226, 160, 0));
    p.fillRect(image.rect(), light);
    // The open book.
    for (int side = -1; side <= 1; side += 2) {
        QPainterPath page;
        page.moveTo(183, 130);
        page.cubicTo(183 + side * 40, 112, 183 + side * 95, 112, 183 + side * 130, 122);
        page.lineTo(183 + side * 130, 262);
        page.cubicTo(183 + side * 95, 252, 183 + side * 40, 252, 183, 272);
        page.closeSubpath();
        p.setPen(QPen(QColor(150, 120, 80), 1.5));
        p.setBrush(QColor(252, 246, 230));
        p.drawPath(page);
        p.setPen(QPen(QColor(170, 150, 120), 1.5));
        for (int line = 0; line < 10; ++line) {
            const qreal y = 142 + line * 11;
            p.drawLine(QPointF(183 + side * 18, y + 2), QPointF(183 + side * 112, y - 3));
        }
    }
    p.setPen(QPen(QColor(120, 90, 60), 2));
    p.drawLine(QPointF(183, 130), QPointF(183, 272));
    p.setPen(QColor(255, 240, 210));
    p.setFont(titleFont(44, true));
    p.drawText(QRect(0, 292, 367, 56), Qt::AlignCenter, QStringLiteral("divad"));
    p.setFont(titleFont(18, false));
    p.drawText(QRect(0, 346, 367, 30), Qt::AlignCenter, QStringLiteral("小说阅读器  正在启动…"));
    return image;
}

// The cover shown for a book that brings none of its own.
QImage defaultCover()
{
    QImage image(290, 430, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient cloth(0, 0, 290, 430);
    cloth.setColorAt(0, QColor(150, 48, 40));
    cloth.setColorAt(1, QColor(96, 26, 24));
    p.fillRect(image.rect(), cloth);
    p.setPen(QPen(QColor(226, 190, 120), 3));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(18, 18, 254, 394));
    p.setPen(QPen(QColor(226, 190, 120), 1.2));
    p.drawRect(QRectF(26, 26, 238, 378));
    p.setBrush(QColor(226, 190, 120));
    p.setPen(Qt::NoPen);
    star(p, QPointF(145, 120), 26, 11);
    p.setPen(QColor(244, 222, 170));
    p.setFont(titleFont(40, true));
    p.drawText(QRect(0, 190, 290, 60), Qt::AlignCenter, QStringLiteral("小说"));
    p.setFont(titleFont(22, false));
    p.drawText(QRect(0, 320, 290, 40), Qt::AlignCenter, QStringLiteral("divad"));
    return image;
}

// A page turning over: two soft swishes of filtered noise, 16-bit mono.
QByteArray pageSound()
{
    const int rate = 22050;
    const int count = rate * 28 / 100;
    Random random(130);
    QByteArray samples(count * 2, '\0');
    double low = 0, band = 0;
    for (int i = 0; i < count; ++i) {
        const double t = double(i) / rate;
        // A quick rise, a hold while the page slides, a second softer
        // brush as it lands.
        double envelope = std::exp(-std::pow((t - 0.06) / 0.045, 2))
                + 0.55 * std::exp(-std::pow((t - 0.19) / 0.03, 2));
        const double noise = random.next() * 2 - 1;
        // A two-pole state-variable filter around 2.5 kHz gives paper, not hiss.
        const double f = 2 * std::sin(M_PI * 2500 / rate);
        low += f * band;
        const double high = noise - low - 0.6 * band;
        band += f * high;
        const double value = qBound(-1.0, band * envelope * 0.55, 1.0);
        qToLittleEndian<qint16>(qint16(value * 32000), samples.data() + 2 * i);
    }
    QByteArray wave;
    auto put32 = [&wave](quint32 value) {
        char bytes[4];
        qToLittleEndian<quint32>(value, bytes);
        wave.append(bytes, 4);
    };
    auto put16 = [&wave](quint16 value) {
        char bytes[2];
        qToLittleEndian<quint16>(value, bytes);
        wave.append(bytes, 2);
    };
    wave += "RIFF";
    put32(quint32(36 + samples.size()));
    wave += "WAVEfmt ";
    put32(16);
    put16(1); // PCM
    put16(1); // mono
    put32(rate);
    put32(rate * 2);
    put16(2);
    put16(16);
    wave += "data";
    put32(quint32(samples.size()));
    wave += samples;
    return wave;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: divad-artgen OUT_FOLDER ART_SOURCE_FOLDER\n");
        return 2;
    }
    const QString folder = QDir(arguments.at(1)).absolutePath();
    const QString sources = QDir(arguments.at(2)).absolutePath();
    if (!QDir().mkpath(folder + QStringLiteral("/images"))
        || !QDir().mkpath(folder + QStringLiteral("/sounds"))) {
        std::fprintf(stderr, "divad-artgen: can not make folders in %s\n", qPrintable(folder));
        return 1;
    }

    Output out(folder);
    out.image(QStringLiteral("icon128.png"), appIcon(64));
    out.image(QStringLiteral("about129.png"), appIcon(48));
    const struct
    {
        QColor top;
        QColor bottom;
        void (*decorate)(QPainter &);
    } skins[] = {
        { QColor(252, 248, 236), QColor(246, 240, 222), skinStandard },
        { QColor(248, 240, 218), QColor(240, 228, 198), skinMyth },
        { QColor(253, 244, 242), QColor(248, 238, 242), skinYouth },
        { QColor(236, 238, 252), QColor(246, 244, 252), skinCastle },
        { QColor(252, 242, 244), QColor(250, 236, 238), skinCity },
        { QColor(238, 240, 244), QColor(230, 233, 238), skinMachine },
        { QColor(253, 251, 240), QColor(250, 246, 228), skinStars },
        { QColor(244, 250, 240), QColor(236, 246, 232), skinSchool },
    };
    for (int i = 0; i < 8; ++i)
        out.image(QStringLiteral("skin%1.png").arg(131 + i),
                  drawSkin(skins[i].top, skins[i].bottom, skins[i].decorate));
    out.image(QStringLiteral("splash140.png"), splash());
    out.image(QStringLiteral("icon142.png"), navigationIcon(0));
    out.image(QStringLiteral("icon143.png"), navigationIcon(1));
    out.image(QStringLiteral("icon144.png"), navigationIcon(2));
    out.image(QStringLiteral("cover151.jpg"), defaultCover(), "JPEG", 88);
    out.file(QStringLiteral("sounds/page130.wav"), pageSound());

    QFile help(sources + QStringLiteral("/divad.txt"));
    if (!help.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "divad-artgen: can not read %s\n", qPrintable(help.fileName()));
        return 1;
    }
    out.file(QStringLiteral("divad.txt"), help.readAll());

    if (!out.ok() || !out.writeCollection()) {
        std::fprintf(stderr, "divad-artgen: can not write the resources in %s\n",
                     qPrintable(folder));
        return 1;
    }
    return 0;
}
