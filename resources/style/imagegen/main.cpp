// Draws every image of the ":/style" resource tree and writes the resource
// collection file that embeds them with the style sheets. Run at build time:
//
//   vellumin-imagegen OUT_FOLDER STYLE_SOURCE_FOLDER
//
// writes OUT_FOLDER/images/*.png (and the few .jpg/.ico) and
// OUT_FOLDER/style.qrc. Drawing is plain QPainter work on QImage, so the
// output depends on nothing but this program (and, for the two word marks,
// the installed fonts).

#include "resources/style/imagegen/glyphs.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>
#include <QTextStream>
#include <QtMath>

#include <cstdio>

namespace {

// One calm palette for the whole program: warm paper, dark ink, one blue.
const QColor kInk(0x5B, 0x5B, 0x5B);
const QColor kInkDark(0x28, 0x28, 0x28);
const QColor kAccent(0x4A, 0x6C, 0xC1);
const QColor kAccentDark(0x3A, 0x56, 0xA0);
const QColor kPaper(0xF4, 0xEB, 0xDA);
const QColor kPaperLine(0xD9, 0xCD, 0xB4);
const QColor kWhite(0xFF, 0xFF, 0xFF);
const QColor kGreen(0x4E, 0x9A, 0x6A);
const QColor kGreenDark(0x3C, 0x7D, 0x55);
const QColor kRed(0xC0, 0x56, 0x4B);
const QColor kRedDark(0x9E, 0x41, 0x37);
const QColor kSelectInk(0xFF, 0xFF, 0xFF);

class Output
{
public:
    explicit Output(const QString &folder)
        : m_folder(folder)
    {
    }

    bool save(const QString &name, const QImage &image, const char *format = nullptr,
              int quality = -1)
    {
        if (m_names.contains(name)) {
            std::fprintf(stderr, "imagegen: %s drawn twice\n", qPrintable(name));
            m_ok = false;
            return false;
        }
        QImageWriter writer(m_folder + QStringLiteral("/images/") + name);
        if (format)
            writer.setFormat(format);
        if (quality >= 0)
            writer.setQuality(quality);
        if (!writer.write(image)) {
            std::fprintf(stderr, "imagegen: can not write %s: %s\n", qPrintable(name),
                         qPrintable(writer.errorString()));
            m_ok = false;
            return false;
        }
        m_names.append(name);
        return true;
    }

    const QStringList &names() const { return m_names; }
    bool ok() const { return m_ok; }

private:
    QString m_folder;
    QStringList m_names;
    bool m_ok = true;
};

QImage blank(const QSize &size, const QColor &background = Qt::transparent)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(background);
    return image;
}

// A glyph centred in `size`, drawn in a square of `extent` pixels.
QImage glyph(const QString &name, const QSize &size, const QColor &ink, int extent = 0,
             const QColor &background = Qt::transparent)
{
    if (!glyphs::exists(name))
        std::fprintf(stderr, "imagegen: unknown glyph %s\n", qPrintable(name));
    QImage image = blank(size, background);
    QPainter painter(&image);
    const int side = extent > 0 ? extent : qMin(size.width(), size.height());
    painter.translate((size.width() - side) / 2.0, (size.height() - side) / 2.0);
    painter.scale(side / 24.0, side / 24.0);
    glyphs::draw(painter, name, ink);
    return image;
}

// base.png in `normal`, basehigh.png in `high`.
void family(Output &out, const QString &base, const QString &glyphName, const QSize &size,
            const QColor &normal, const QColor &high, int extent = 0)
{
    out.save(base + QStringLiteral(".png"), glyph(glyphName, size, normal, extent));
    out.save(base + QStringLiteral("high.png"), glyph(glyphName, size, high, extent));
}

QImage roundedFill(const QSize &size, const QColor &color, qreal radius,
                   const QColor &border = QColor())
{
    QImage image = blank(size);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(border.isValid() ? QPen(border, 1) : Qt::NoPen);
    painter.setBrush(color);
    painter.drawRoundedRect(QRectF(0.5, 0.5, size.width() - 1, size.height() - 1), radius, radius);
    return image;
}

// The program's mark: a blue tile with a white open book.
QImage appIcon(int side)
{
    QImage image = blank(QSize(side, side));
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(0, 0, 0, side);
    gradient.setColorAt(0, kAccent.lighter(112));
    gradient.setColorAt(1, kAccentDark);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    const qreal radius = side * 0.2;
    painter.drawRoundedRect(QRectF(0, 0, side, side), radius, radius);
    const qreal inset = side * 0.12;
    painter.translate(inset, inset * 1.1);
    painter.scale((side - 2 * inset) / 24.0, (side - 2 * inset) / 24.0);
    glyphs::draw(painter, QStringLiteral("book"), kWhite);
    return image;
}

void drawWordmark(QPainter &painter, const QRectF &area, const QColor &ink, int pixelSize,
                  int flags)
{
    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(pixelSize);
    font.setLetterSpacing(QFont::PercentageSpacing, 104);
    painter.setFont(font);
    painter.setPen(ink);
    painter.drawText(area, flags, QStringLiteral("Vellumin"));
}

void windowButtons(Output &out)
{
    // Normal: a thin grey sign on nothing; hover and press: a soft tile
    // (red for close) under a darker sign.
    const QColor tile(0xE4, 0xDC, 0xCB);
    const auto button = [&](const QString &name, const QSize &size, bool high,
                            const std::function<void(QPainter &, const QPointF &)> &sign,
                            bool danger) {
        QImage image = blank(size, high ? (danger ? kRed : tile) : QColor(Qt::transparent));
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(high ? (danger ? kWhite : kInkDark) : kInk, 1.2));
        painter.setBrush(Qt::NoBrush);
        sign(painter, QPointF(size.width() / 2.0, size.height() / 2.0));
        out.save(name + (high ? QStringLiteral("high.png") : QStringLiteral(".png")), image);
    };
    const auto minimize = [](QPainter &p, const QPointF &c) {
        p.drawLine(QPointF(c.x() - 5, c.y() + 3.5), QPointF(c.x() + 5, c.y() + 3.5));
    };
    const auto maximize = [](QPainter &p, const QPointF &c) {
        p.drawRect(QRectF(c.x() - 4.5, c.y() - 4.5, 9, 9));
    };
    const auto windowed = [](QPainter &p, const QPointF &c) {
        p.drawRect(QRectF(c.x() - 4.5, c.y() - 2.5, 7, 7));
        p.drawPolyline(
                QPolygonF({ QPointF(c.x() - 2.5, c.y() - 2.5), QPointF(c.x() - 2.5, c.y() - 4.5),
                            QPointF(c.x() + 4.5, c.y() - 4.5), QPointF(c.x() + 4.5, c.y() + 2.5),
                            QPointF(c.x() + 2.5, c.y() + 2.5) }));
    };
    const auto cross = [](QPainter &p, const QPointF &c) {
        p.drawLine(QPointF(c.x() - 4.5, c.y() - 4.5), QPointF(c.x() + 4.5, c.y() + 4.5));
        p.drawLine(QPointF(c.x() + 4.5, c.y() - 4.5), QPointF(c.x() - 4.5, c.y() + 4.5));
    };
    for (bool high : { false, true }) {
        button(QStringLiteral("minimize"), QSize(26, 19), high, minimize, false);
        button(QStringLiteral("maximize"), QSize(25, 19), high, maximize, false);
        button(QStringLiteral("windowed"), QSize(25, 19), high, windowed, false);
        button(QStringLiteral("close"), QSize(45, 19), high, cross, true);
        button(QStringLiteral("closesettings"), QSize(31, 19), high, cross, true);
    }
}

void applicationImages(Output &out)
{
    out.save(QStringLiteral("appicon16.png"), appIcon(16));
    out.save(QStringLiteral("appicon256.png"), appIcon(256));
    out.save(QStringLiteral("vellumin.ico"), appIcon(64), "ico");

    // The password dialog's icon: the program's mark with a padlock.
    QImage pdf = appIcon(256);
    {
        QPainter painter(&pdf);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(kPaper);
        painter.drawEllipse(QPointF(196, 196), 56, 56);
        painter.setPen(QPen(kInkDark, 10, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(176, 156, 40, 50), 0, 180 * 16);
        painter.drawLine(QPointF(176, 181), QPointF(176, 190));
        painter.drawLine(QPointF(216, 181), QPointF(216, 190));
        painter.setPen(Qt::NoPen);
        painter.setBrush(kInkDark);
        painter.drawRoundedRect(QRectF(164, 186, 64, 44), 6, 6);
        painter.setBrush(kPaper);
        painter.drawEllipse(QPointF(196, 204), 6, 6);
        painter.drawRect(QRectF(193, 204, 6, 14));
    }
    out.save(QStringLiteral("AppIconPdf256.png"), pdf);

    // Splash: deep blue with the mark on the left, the word mark beside it;
    // the "Loading" line (x 122, y 120) and the version (lower right) are
    // drawn by the program in white.
    QImage splash = blank(QSize(372, 186));
    {
        QPainter painter(&splash);
        painter.setRenderHint(QPainter::Antialiasing);
        QLinearGradient gradient(0, 0, 372, 186);
        gradient.setColorAt(0, QColor(0x2B, 0x3B, 0x63));
        gradient.setColorAt(1, QColor(0x44, 0x62, 0xB0));
        painter.fillRect(splash.rect(), gradient);
        painter.setPen(QPen(QColor(255, 255, 255, 40), 1));
        for (int i = 0; i < 4; ++i)
            painter.drawLine(QPointF(0, 150 + i * 9), QPointF(372, 118 + i * 9));
        painter.save();
        painter.translate(24, 34);
        painter.scale(84 / 24.0, 84 / 24.0);
        glyphs::draw(painter, QStringLiteral("book"), kWhite);
        painter.restore();
        drawWordmark(painter, QRectF(122, 38, 240, 60), kWhite, 36,
                     Qt::AlignLeft | Qt::AlignVCenter);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(12);
        painter.setFont(font);
        painter.setPen(QColor(255, 255, 255, 190));
        painter.drawText(QRectF(124, 92, 240, 20), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("e-book reader and library"));
    }
    out.save(QStringLiteral("splash.png"), splash);

    // Start page logo, for a light page.
    QImage logo = blank(QSize(320, 110));
    {
        QPainter painter(&logo);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.save();
        painter.translate(8, 13);
        painter.scale(84 / 24.0, 84 / 24.0);
        glyphs::draw(painter, QStringLiteral("book"), kAccent);
        painter.restore();
        drawWordmark(painter, QRectF(104, 0, 216, 110), kInkDark, 46,
                     Qt::AlignLeft | Qt::AlignVCenter);
    }
    out.save(QStringLiteral("splashlogo.png"), logo);

    // Spinner: twelve dots, the lead dot full blue, the trail fading.
    for (int frame = 1; frame <= 12; ++frame) {
        QImage image = blank(QSize(48, 48));
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        for (int dot = 0; dot < 12; ++dot) {
            const int age = (frame - 1 - dot + 12) % 12;
            QColor color = kAccent;
            color.setAlphaF(age < 6 ? 1.0 - age * 0.14 : 0.16);
            const qreal angle = qDegreesToRadians(dot * 30.0 - 90.0);
            painter.setBrush(color);
            painter.drawEllipse(QPointF(24 + 17 * qCos(angle), 24 + 17 * qSin(angle)), 3.4, 3.4);
        }
        out.save(QStringLiteral("loading%1.png").arg(frame), image);
    }
}

void dialogImages(Output &out)
{
    // Stretched as border images, so small is enough.
    out.save(QStringLiteral("congrdialog.png"), roundedFill(QSize(40, 40), kPaper, 6, kPaperLine));
    out.save(QStringLiteral("buttongreen.png"), roundedFill(QSize(40, 42), kGreen, 5));
    out.save(QStringLiteral("buttongreenpress.png"), roundedFill(QSize(40, 42), kGreenDark, 5));
    out.save(QStringLiteral("buttonred.png"), roundedFill(QSize(40, 42), kRed, 5));
    out.save(QStringLiteral("buttonredpress.png"), roundedFill(QSize(40, 42), kRedDark, 5));
    out.save(QStringLiteral("buttongrey.png"),
             roundedFill(QSize(40, 42), QColor(0x65, 0x65, 0x65), 5));
    out.save(QStringLiteral("buttongreypress.png"),
             roundedFill(QSize(40, 42), QColor(0x36, 0x36, 0x36), 5));
    family(out, QStringLiteral("ok"), QStringLiteral("check"), QSize(16, 16),
           QColor(255, 255, 255, 210), kWhite);

    // Check box marks, combo arrow, text field frame.
    QImage box = roundedFill(QSize(18, 18), kWhite, 3, QColor(0xBA, 0xBA, 0xBA));
    out.save(QStringLiteral("checkbox.png"), box);
    out.save(QStringLiteral("checkboxhigh.png"), roundedFill(QSize(18, 18), kWhite, 3, kAccent));
    QImage checked = roundedFill(QSize(18, 18), kAccent, 3);
    {
        QPainter painter(&checked);
        painter.scale(18 / 24.0, 18 / 24.0);
        glyphs::draw(painter, QStringLiteral("check"), kWhite);
    }
    out.save(QStringLiteral("checkboxchecked.png"), checked);
    out.save(QStringLiteral("comboarrow.png"),
             glyph(QStringLiteral("arrowdown"), QSize(10, 10), kInk));
}

void shellIcons(Output &out)
{
    // Main window tool bar and bottom bar: grey signs that turn blue.
    const QSize tool(22, 22);
    const char *const tools[][2] = {
        { "toollibrary", "library" },     { "tooladdbook", "addbook" },
        { "tooladdfolder", "addfolder" }, { "toolcontents", "contents" },
        { "toolnotes", "notes" },         { "toolback", "back" },
        { "toolprint", "print" },         { "toolhelp", "help" },
        { "toolsettings", "settings" },   { "toolsite", "site" },
        { "toolcontinue", "continue" },
    };
    for (const auto &entry : tools)
        family(out, QLatin1String(entry[0]), QLatin1String(entry[1]), tool, kInk, kAccent);

    // Start page's big add button: grey ring, blue ring, blue disc.
    const auto addCircle = [](const QColor &ring, bool filled) {
        QImage image = blank(QSize(46, 46));
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(filled ? Qt::NoPen : QPen(ring, 2));
        painter.setBrush(filled ? QBrush(ring) : QBrush(Qt::NoBrush));
        painter.drawEllipse(QRectF(2, 2, 42, 42));
        painter.setPen(QPen(filled ? kWhite : ring, 2.6, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(QPointF(23, 13), QPointF(23, 33));
        painter.drawLine(QPointF(13, 23), QPointF(33, 23));
        return image;
    };
    out.save(QStringLiteral("addnig1.png"), addCircle(QColor(0x8A, 0x8A, 0x8A), false));
    out.save(QStringLiteral("addnig2.png"), addCircle(kAccent, false));
    out.save(QStringLiteral("addnig3.png"), addCircle(kAccent, true));

    // Settings page and side panels.
    family(out, QStringLiteral("navback"), QStringLiteral("navback"), QSize(30, 30), kInk, kAccent);
    family(out, QStringLiteral("openfolder"), QStringLiteral("openfolder"), QSize(24, 24), kInk,
           kAccent);
    family(out, QStringLiteral("clearsearch"), QStringLiteral("close"), QSize(18, 18), kInk,
           kAccent);
    family(out, QStringLiteral("searchsmall"), QStringLiteral("search"), QSize(18, 18), kInk,
           kAccent);
    family(out, QStringLiteral("exportnotes"), QStringLiteral("export"), QSize(20, 20), kInk,
           kAccent);
    family(out, QStringLiteral("tabcontents"), QStringLiteral("contents"), QSize(18, 18), kInk,
           kAccent);
    family(out, QStringLiteral("tabbookmarks"), QStringLiteral("bookmark"), QSize(18, 18), kInk,
           kAccent);
    out.save(QStringLiteral("tabcontentsselect.png"),
             glyph(QStringLiteral("contents"), QSize(18, 18), kAccentDark));
    out.save(QStringLiteral("tabbookmarksselect.png"),
             glyph(QStringLiteral("bookmark"), QSize(18, 18), kAccentDark));
}

void libraryImages(Output &out)
{
    const QSize side(20, 20);
    // Left column: grey signs; white on the blue of a hovered or checked row.
    const char *const rows[][2] = {
        { "recent", "recent" },    { "allbooks", "library" },     { "favorites", "staroutline" },
        { "categoryadd", "plus" }, { "categorydelete", "minus" },
    };
    for (const auto &row : rows)
        family(out, QLatin1String(row[0]), QLatin1String(row[1]), side, kInk, kSelectInk);
    out.save(QStringLiteral("leftform.png"), glyph(QStringLiteral("formats"), side, kInk));
    out.save(QStringLiteral("leftformselect.png"),
             glyph(QStringLiteral("formats"), side, kSelectInk));
    out.save(QStringLiteral("userfolder.png"),
             glyph(QStringLiteral("folder"), QSize(18, 18), kInk));
    out.save(QStringLiteral("userfolderselect.png"),
             glyph(QStringLiteral("folder"), QSize(18, 18), kSelectInk));

    const QSize arrow(9, 9);
    out.save(QStringLiteral("arrow_left.png"), glyph(QStringLiteral("arrowleft"), arrow, kInk));
    out.save(QStringLiteral("leftarrrowrightfocus.png"),
             glyph(QStringLiteral("arrowright"), arrow, kSelectInk));
    out.save(QStringLiteral("leftarrowdown.png"), glyph(QStringLiteral("arrowdown"), arrow, kInk));
    out.save(QStringLiteral("leftarrowdownwhite.png"),
             glyph(QStringLiteral("arrowdown"), arrow, kSelectInk));
    out.save(QStringLiteral("Sort.png"), glyph(QStringLiteral("sort"), arrow, kInk));
    out.save(QStringLiteral("SortDown.png"), glyph(QStringLiteral("arrowdown"), arrow, kInk));
    out.save(QStringLiteral("SortUp.png"), glyph(QStringLiteral("arrowup"), arrow, kInk));

    // Action bar of the library screen.
    const char *const actions[][2] = {
        { "import", "import" },      { "export", "export" },    { "clearlibrary", "trash" },
        { "restoreall", "restore" }, { "cleartrash", "trash" }, { "viewshelf", "shelf" },
        { "viewtable", "table" },
    };
    for (const auto &action : actions)
        family(out, QLatin1String(action[0]), QLatin1String(action[1]), side, kInk, kAccent);

    // Table cell buttons: plain, "high" (hovered), "select" (row selected,
    // white on blue) and both.
    const QSize cell(18, 18);
    const QColor rated(0xE0, 0xA8, 0x2E);
    const QColor faint(0xC4, 0xC4, 0xC4);
    const auto four = [&](const QString &base, const QString &glyphName, const QColor &plain,
                          const QColor &high, const QColor &select, const QColor &selectHigh) {
        out.save(base + QStringLiteral(".png"), glyph(glyphName, cell, plain));
        out.save(base + QStringLiteral("high.png"), glyph(glyphName, cell, high));
        out.save(base + QStringLiteral("select.png"), glyph(glyphName, cell, select));
        out.save(base + QStringLiteral("selecthigh.png"), glyph(glyphName, cell, selectHigh));
    };
    four(QStringLiteral("delete"), QStringLiteral("trash"), faint, kRed, QColor(255, 255, 255, 170),
         kWhite);
    four(QStringLiteral("unerase"), QStringLiteral("restore"), faint, kAccent,
         QColor(255, 255, 255, 170), kWhite);
    out.save(QStringLiteral("raterated.png"), glyph(QStringLiteral("star"), cell, rated));
    out.save(QStringLiteral("rateratedhigh.png"),
             glyph(QStringLiteral("star"), cell, rated.lighter(118)));
    out.save(QStringLiteral("rateunrated.png"), glyph(QStringLiteral("staroutline"), cell, faint));
    out.save(QStringLiteral("rateunratedhigh.png"),
             glyph(QStringLiteral("staroutline"), cell, rated));
    out.save(QStringLiteral("rateunratedselect.png"),
             glyph(QStringLiteral("staroutline"), cell, QColor(255, 255, 255, 170)));
    out.save(QStringLiteral("rateunratedselecthigh.png"),
             glyph(QStringLiteral("staroutline"), cell, kWhite));

    // Shelf tile ground and the cover of a book without one.
    QImage tile = blank(QSize(180, 260));
    {
        QPainter painter(&tile);
        painter.setRenderHint(QPainter::Antialiasing);
        for (int i = 6; i > 0; --i) {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(0, 0, 0, 5));
            painter.drawRoundedRect(QRectF(10 - i, 8 - i + 2, 160 + 2 * i, 240 + 2 * i), 4 + i,
                                    4 + i);
        }
        painter.setBrush(kWhite);
        painter.setPen(QPen(QColor(0xE2, 0xDC, 0xD0), 1));
        painter.drawRoundedRect(QRectF(10.5, 8.5, 159, 239), 4, 4);
    }
    out.save(QStringLiteral("blankcover.png"), tile);

    QImage cover(QSize(300, 450), QImage::Format_RGB32);
    {
        QPainter painter(&cover);
        painter.setRenderHint(QPainter::Antialiasing);
        QLinearGradient gradient(0, 0, 300, 450);
        gradient.setColorAt(0, QColor(0x6E, 0x80, 0xA8));
        gradient.setColorAt(1, QColor(0x4B, 0x5B, 0x80));
        painter.fillRect(cover.rect(), gradient);
        painter.fillRect(QRect(0, 0, 18, 450), QColor(0, 0, 0, 40));
        painter.fillRect(QRect(18, 0, 2, 450), QColor(255, 255, 255, 40));
        painter.setPen(QPen(QColor(255, 255, 255, 90), 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(QRectF(40, 30, 230, 390));
        // The middle of the cover: the shelf prints the title above it and
        // the author below it on books without a cover of their own.
        painter.translate(118, 193);
        painter.scale(64 / 24.0, 64 / 24.0);
        glyphs::draw(painter, QStringLiteral("book"), QColor(255, 255, 255, 150));
    }
    out.save(QStringLiteral("cover1.jpg"), cover, "jpg", 88);
}

void notesImages(Output &out)
{
    out.save(QStringLiteral("notesminright.png"),
             glyph(QStringLiteral("notesright"), QSize(16, 16), QColor(0x8C, 0x90, 0x9A)));
    out.save(QStringLiteral("EditNot.png"), glyph(QStringLiteral("pencil"), QSize(18, 18), kInk));
    out.save(QStringLiteral("EditNotFocus.png"),
             glyph(QStringLiteral("pencil"), QSize(18, 18), kWhite));

    const QColor colors[] = { QColor(243, 162, 162), QColor(243, 227, 162), QColor(177, 243, 164),
                              QColor(174, 217, 241), QColor(204, 184, 228) };
    for (int i = 0; i < 5; ++i) {
        QImage image = blank(QSize(16, 16));
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(colors[i].darker(125), 1));
        painter.setBrush(colors[i]);
        painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
        out.save(QStringLiteral("col%1.png").arg(i + 1), image);
    }
    // "All colours": the five as slices of one disc.
    QImage all = blank(QSize(16, 16));
    {
        QPainter painter(&all);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        for (int i = 0; i < 5; ++i) {
            painter.setBrush(colors[i]);
            painter.drawPie(QRectF(1.5, 1.5, 13, 13), 90 * 16 + i * 72 * 16, 72 * 16);
        }
        painter.setPen(QPen(QColor(0x9A, 0x9A, 0x9A), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    }
    out.save(QStringLiteral("colpicker.png"), all);
}

// The reading tool bar's icons: one family per button, colour theme and
// size, each with its hover and pressed image.
void readingToolBar(Output &out)
{
    struct Theme
    {
        QColor normal;
        QColor high;
        QColor press;
    };
    // "day" also serves the night profile, so it is a grey that reads on
    // white and on dark blue alike; "sepia" sits on dark brown.
    const Theme day { QColor(0x8C, 0x90, 0x9A), QColor(0x5B, 0x7F, 0xD6), kAccent };
    const Theme sepia { QColor(0xC9, 0xAE, 0x86), QColor(0xF0, 0xE8, 0xD1),
                        QColor(0xB5, 0x93, 0x6C) };

    struct Row
    {
        const char *glyph;
        const char *sepiaSmall;
        const char *sepiaBig;
        const char *daySmall;
        const char *dayBig;
    };
    const Row rows[] = {
        { "fullscreen", "fullscreen_sepia_small", nullptr, "windmaximize", nullptr },
        { "exitfullscreen", nullptr, "sepfsminimize", nullptr, "fsminimize" },
        { "contents", "windonecol-10", "sepfscontent", "day_contents_small", "fscontent" },
        { "bookmark", "sepwindonecol-66", "sepfsbookmark", "windbookmark", "fsbookmark" },
        { "notes", "sepminnotes", "sepbignotes", "notesmin", "bignotes" },
        { "fontbig", "sepwindonecol-85", "sepfsbigfont", "windbigfont", "fsbigfont" },
        { "fontsmall", "sepwindonecol-94", "sepfssmallfont", "windsmallfont", "fssmallfont" },
        { "spacingup", "lhsepia", "lhsepiabig", "lhup", "lhupbig" },
        { "spacingdown", "lhdnsepia", "lhdnsepiabig", "lhdn", "lhdnbig" },
        { "onecolumn", "sepwindonecol", "sepfsonecol", "windonecolumn", "fsonecol" },
        { "twocolumn", "sepwindonecol-112", "sepfstwocol", "windtwocol", "fstwocol" },
        { "profile", "sepwinday", "sepfsday", "winday", "fsday" },
        { "zoomin", "sepwindzoomin", "sepfszoomin", "windzoomin", "fszoomin" },
        { "zoomout", "sepwindzoomout", "sepfszoomout", "windzoomout", "fszoomout" },
        { "fit", "sepwindfitsize", "sepfsfitsize", "windfitsize", "fsfitsize" },
        { "original", "sepwindoriginal", "sepfsoriginal", "windoriginal", "fsoriginal" },
        { "search", nullptr, "sepfssearch", nullptr, "fssearch" },
    };
    // Names with an underscore take "_high"/"_press", the others "high"/"press".
    const auto save = [&](const char *base, const char *glyphName, int side, const Theme &theme) {
        if (!base)
            return;
        const QString name = QLatin1String(base);
        const QString joint = name.contains(QLatin1Char('_')) ? QStringLiteral("_") : QString();
        const QSize size(side, side);
        out.save(name + QStringLiteral(".png"),
                 glyph(QLatin1String(glyphName), size, theme.normal));
        out.save(name + joint + QStringLiteral("high.png"),
                 glyph(QLatin1String(glyphName), size, theme.high));
        out.save(name + joint + QStringLiteral("press.png"),
                 glyph(QLatin1String(glyphName), size, theme.press));
    };
    for (const Row &row : rows) {
        save(row.sepiaSmall, row.glyph, 16, sepia);
        save(row.sepiaBig, row.glyph, 30, sepia);
        save(row.daySmall, row.glyph, 16, day);
        save(row.dayBig, row.glyph, 30, day);
    }
}

bool writeCollection(const QString &folder, const QString &styleFolder, const QStringList &images)
{
    QSaveFile file(folder + QStringLiteral("/style.qrc"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text))
        return false;
    QTextStream stream(&file);
    stream << "<!DOCTYPE RCC><RCC version=\"1.0\">\n<qresource prefix=\"/style\">\n";
    for (const char *sheet : { "style.css", "scrollbar_template.css" })
        stream << "    <file alias=\"" << sheet << "\">" << styleFolder << '/' << sheet
               << "</file>\n";
    QStringList sorted = images;
    sorted.sort();
    for (const QString &name : qAsConst(sorted))
        stream << "    <file alias=\"images/" << name << "\">" << folder << "/images/" << name
               << "</file>\n";
    stream << "</qresource>\n</RCC>\n";
    stream.flush();
    return file.commit();
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: vellumin-imagegen OUT_FOLDER STYLE_SOURCE_FOLDER\n");
        return 2;
    }
    const QString folder = QDir(arguments.at(1)).absolutePath();
    const QString styleFolder = QDir(arguments.at(2)).absolutePath();
    if (!QDir().mkpath(folder + QStringLiteral("/images"))) {
        std::fprintf(stderr, "imagegen: can not make %s/images\n", qPrintable(folder));
        return 1;
    }

    Output out(folder);
    windowButtons(out);
    applicationImages(out);
    dialogImages(out);
    shellIcons(out);
    libraryImages(out);
    notesImages(out);
    readingToolBar(out);

    if (!out.ok())
        return 1;
    if (!writeCollection(folder, styleFolder, out.names())) {
        std::fprintf(stderr, "imagegen: can not write %s/style.qrc\n", qPrintable(folder));
        return 1;
    }
    return 0;
}
