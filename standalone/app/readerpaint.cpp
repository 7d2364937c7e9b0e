// The drawing half of the reading window: the skinned spread with its page
// stacks, spine, text, footers, tag, hints and bubble, and the frames of a
// page turn, all on one off-screen canvas copied to the window in one go.

#include "standalone/app/readerdialog.h"

#include "standalone/gfx/drawcontext.h"
#include "standalone/gfx/drawing.h"
#include "standalone/gfx/messageoverlay.h"
#include "standalone/settings/readersettings.h"
#include "standalone/text/booktext.h"
#include "standalone/text/cbookinfostore.h"

#include <QPainter>

#include <cmath>
#include <cstdlib>

namespace divad {

namespace {

    const QColor background(214, 208, 192);
    const QColor arrowFrom(200, 200, 255);
    const QColor arrowTo(0, 0, 255);
    const QColor bubbleFill(221, 239, 255);
    const QColor bubblePen(0, 255, 0);

    QPen defaultPen()
    {
        return QPen(Qt::black, 1);
    }

    void verticalLine(DrawContext *dc, int x, int top, int bottom)
    {
        dc->MoveTo(QPoint(x, top));
        dc->LineTo(QPoint(x, bottom));
    }

    void horizontalLine(DrawContext *dc, int y, int left, int right)
    {
        dc->MoveTo(QPoint(left, y));
        dc->LineTo(QPoint(right, y));
    }

} // namespace

void ReaderDialog::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (isMinimized()) {
        const QSize icon(32, 32);
        painter.drawPixmap((width() - icon.width() + 1) / 2, (height() - icon.height() + 1) / 2,
                           m_windowIcon.pixmap(icon));
        return;
    }
    if (!m_frame.IsValid() || m_frame.Rect().size() != size())
        m_frame.Setup(nullptr, 0, 0, width(), height());
    if (!m_frame.IsValid())
        return;
    PaintBook(m_frame.DC());
    DrawContext window(&painter);
    window.BitBlt(0, 0, width(), height(), *m_frame.DC(), 0, 0);
}

QImage ReaderDialog::Render()
{
    CMemCanvas canvas;
    canvas.Setup(nullptr, 0, 0, width(), height());
    if (!canvas.IsValid())
        return QImage();
    PaintBook(canvas.DC());
    return canvas.Image().copy();
}

void ReaderDialog::PaintBook(DrawContext *dc)
{
    if (!dc || !dc->isValid())
        return;
    const BookGeometry g = Geometry();
    const int W = g.W;
    const int H = g.H;
    BookText &book = bookText();
    ReaderSettings &settings = readerSettings();
    const int skin = settings.SkinIndex();
    const int spread = g.spread;
    const int spreadCount = g.spreadCount;

    // 1. Background.
    dc->SelectPen(defaultPen());
    dc->SelectBrush(QBrush(background));
    dc->Rectangle(Ltrb(0, 0, W, H));
    dc->SetBackgroundColour(background);

    // 2. The page edges: the skin picture at both sides of the window,
    //    where the stacks show it.
    const QImage &picture = m_skins.Image(skin);
    const int offset = SkinStore::EdgeOffset(skin);
    dc->DrawImage(-offset, 1, picture);
    dc->DrawImage(offset + W - picture.width() - 1, 1, picture);

    // 3. Page stacks: a line per spread read on the left, per spread to
    //    come on the right.
    dc->SelectPen(defaultPen());
    if (spreadCount != 0) {
        const double d = g.StackSpacing();
        verticalLine(dc, int(g.L), 0, H);
        for (int k = 0; k < spread; ++k)
            verticalLine(dc, int(qMin(k * d, g.L)), 0, H);
        verticalLine(dc, int(W - g.R), 0, H);
        for (int k = 0; k < spreadCount - spread; ++k)
            verticalLine(dc, qMin(int(W - g.R + k * d), W - 1), 0, H);
    }

    // 4. The spine's shade, darker toward the fold.
    for (int i = 0; i < 35; ++i) {
        const int lower = int(i * 100 / 35.0);
        const QColor shade(qMax(0, int(background.red() - lower)),
                           qMax(0, int(background.green() - lower)),
                           qMax(0, int(background.blue() - lower)));
        dc->SelectPen(QPen(shade, 1));
        verticalLine(dc, g.leftPage.right - 35 + i, 1, H - 1);
        verticalLine(dc, g.rightPage.left + 35 - i, 1, H - 1);
    }

    // 5. The spine.
    dc->SelectPen(defaultPen());
    verticalLine(dc, g.SpineX(), 0, H);

    // 6. The skin over both pages.
    dc->DrawImage(g.inner.left, g.inner.top, picture);

    // 7. Footers.
    paintFooters(dc, g);

    // 8. The text lines, each copied out of the volume canvas so that only
    //    the ink darkens the skin.
    const CMemCanvas &volume = book.SpreadCanvas(spread);
    if (volume.IsValid()) {
        const int blockWidth = book.TextBlockWidth();
        const int lineHeight = book.LineHeight();
        const int pitch = book.LinePitch();
        const int off = (g.leftText.right - blockWidth - g.leftText.left) / 2;
        const int leftSource = book.PageSourceOffset(spread, true);
        const int rightSource = book.PageSourceOffset(spread, false);
        for (int i = 0; i < book.LinesPerPage(); ++i) {
            dc->BitBlt(g.leftText.left + off, g.leftText.top + i * pitch, blockWidth, lineHeight,
                       *volume.DC(), 0, leftSource + i * lineHeight, RasterOp::And);
            dc->BitBlt(g.rightText.left + off + 5, g.rightText.top + i * pitch, blockWidth,
                       lineHeight, *volume.DC(), 0, rightSource + i * lineHeight, RasterOp::And);
        }
    }

    // 9. The bookmark tag of this spread.
    int bookmark = -1;
    if (bookInfoStore().FindBookmark(book.CurrentVolume(), spread, &bookmark)) {
        DrawTag(dc, Ltrb(g.rightPage.left, H / 2, g.rightPage.left + 35, H / 2 + 65), QColor(),
                QStringLiteral("书签") + QString::number(bookmark + 1), true, spread);
    }

    // 10. A page-turn frame.
    if (m_foldLeft || m_foldRight)
        paintPageTurnFrame(dc, g);

    // 11 and 12. Hints in the turn zones and the page-number bubble.
    paintHints(dc, g);

    // 13. The message overlay, a little below the middle.
    messageOverlay().Draw(dc, (W - 350) / 2, 350, (H - 60) / 2, 80);

    // 14. A sleeping face in the spine while the window is not in use.
    if (!isActive()) {
        const int gap = std::abs(g.rightText.left - g.leftText.right);
        const int face = int(gap * 0.6);
        DrawSleepyFace(dc, g.leftText.right + (gap - face) / 2, (H - face) / 2,
                       g.rightText.left - (gap - face) / 2, (H - face) / 2 + face, true);
    }
}

void ReaderDialog::paintFooters(DrawContext *dc, const BookGeometry &g)
{
    BookText &book = bookText();
    const int W = g.W;
    QString title = book.BookMenuName(100 + m_zoomPercent);
    if (!title.contains(QStringLiteral("《")))
        title.prepend(QStringLiteral("《"));
    if (!title.contains(QStringLiteral("》")))
        title.append(QStringLiteral("》"));
    const int outer = int(W * 0.05);
    const int inner = int(W * 0.04 + 5);
    dc->SelectPen(defaultPen());

    const Box &left = g.leftFooter;
    DrawLabel(dc, QString::number(2 * g.spread + 1),
              Ltrb(left.left + outer, left.top, left.right, left.bottom), false, false);
    DrawLabel(dc, title, left.rect(), true, false);
    for (const int rise : { 10, 8, 7 })
        horizontalLine(dc, left.top - rise, left.left + outer, left.right - inner);

    const Box &right = g.rightFooter;
    DrawLabel(dc, QString::number(2 * g.spread + 2),
              Ltrb(right.left, right.top, right.right - outer, right.bottom), false, true);
    const QString volumeText = book.VolumeCount() >= 2
            ? QStringLiteral("※第") + QString::number(book.CurrentVolume() + 1)
                    + QStringLiteral("卷/共") + QString::number(book.VolumeCount())
                    + QStringLiteral("卷※")
            : title;
    DrawLabel(dc, volumeText, right.rect(), true, false);
    for (const int rise : { 10, 8, 7 })
        horizontalLine(dc, right.top - rise, right.left + inner, right.right - outer);
}

void ReaderDialog::paintPageTurnFrame(DrawContext *dc, const BookGeometry &g)
{
    const QImage *image = dc->image();
    if (!image)
        return;
    if (!m_scratch.IsValid() || m_scratch.Rect().size() != image->size())
        m_scratch.Setup(nullptr, 0, 0, image->width(), image->height());
    if (!m_scratch.IsValid())
        return;
    m_scratch.DC()->BitBlt(0, 0, image->width(), image->height(), *dc, 0, 0);
    const double q = m_turnPercent * 0.01;
    if (m_foldLeft) {
        const int w = g.leftPage.width();
        const QRect target(int(w * (1 - q) + g.leftPage.left), 0, int(q * w), g.H);
        dc->StretchBlt(target, *m_scratch.DC(), QRect(g.leftPage.left, 0, w, g.H));
    }
    if (m_foldRight) {
        const int w = g.rightPage.width();
        const QRect target(g.rightPage.left, 0, int(q * w), g.H);
        dc->StretchBlt(target, *m_scratch.DC(), QRect(g.rightPage.left, 0, w + 1, g.H));
    }
}

void ReaderDialog::paintHints(DrawContext *dc, const BookGeometry &g)
{
    BookText &book = bookText();
    const double x = 0.2 * g.nextZone.width();
    const auto arrowBox = [](const Box &zone) {
        const int m = (zone.top + zone.bottom) / 2;
        return Ltrb(zone.left + 5, m - 10, zone.right - 5, m + 10);
    };
    const auto textBox = [x](const Box &zone) {
        const int m = (zone.top + zone.bottom) / 2;
        return Ltrb(zone.left + int(x), m + 20, zone.right - int(x), m + 110);
    };
    if (g.nextZone.contains(m_mousePoint)) {
        if (g.spread < g.spreadCount - 1) {
            DrawArrow(dc, 0, arrowBox(g.nextZone), arrowFrom, arrowTo);
            DrawLabel(dc, QStringLiteral("下一页"), textBox(g.nextZone), false, false);
        } else if (book.HasNextVolume()) {
            DrawLabel(dc, QStringLiteral("下一卷"), textBox(g.nextZone), false, false);
            DrawCurvedArrow(dc, arrowBox(g.nextZone).adjusted(0, -3, 0, 3), arrowTo);
        }
    }
    if (g.previousZone.contains(m_mousePoint)) {
        if (g.spread > 0) {
            DrawArrow(dc, 2, arrowBox(g.previousZone), arrowFrom, arrowTo);
            DrawLabel(dc, QStringLiteral("上一页"), textBox(g.previousZone), false, false);
        } else if (book.HasPreviousVolume()) {
            DrawLabel(dc, QStringLiteral("上一卷"), textBox(g.previousZone), false, false);
            DrawCurvedArrow(dc, arrowBox(g.previousZone).adjusted(0, -3, 0, 3), arrowTo);
        }
    }

    const int target = g.SpreadUnder(m_mousePoint);
    if (target >= 0 && target != g.spread) {
        const int top = int(g.H * 0.5 - 60);
        const int bottom = int(g.H * 0.5);
        const bool after = target > g.spread;
        const QRect box = after ? Ltrb(g.rightPage.right - 155, top, g.rightPage.right - 5, bottom)
                                : Ltrb(g.leftPage.left + 5, top, g.leftPage.left + 155, bottom);
        DrawBubble(dc, box, QStringLiteral("第") + QString::number(2 * target + 1) + QStringLiteral("页"),
                   bubbleFill, bubblePen, 2, !after);
    }
}

} // namespace divad
