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

    // A one-pixel line from top to bottom (bottom left out), as a pen
    // line would draw it.
    void verticalLine(DrawContext *dc, int x, int top, int bottom, const QColor &colour)
    {
        if (bottom > top)
            dc->FillSolidRect(QRect(x, top, 1, bottom - top), colour);
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
    // The window's own back buffer is already an off-screen canvas that is
    // shown in one go, so the book is drawn straight onto it.
    DrawContext window(&painter);
    PaintBook(&window);
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
    const int spread = g.spread;

    // Steps 1 to 8 change only with the spread, the book, the skin and the
    // window; they are kept as one picture and drawn again only when one
    // of those changed. The spread's pages are drawn into the volume canvas
    // before its picture is compared, so the comparison sees them.
    const CMemCanvas &volume = book.SpreadCanvas(spread);
    const StillKey key = stillKey(g, volume);
    if (!m_still.IsValid() || m_still.Rect().size() != QSize(W, H) || !(key == m_stillKey)) {
        if (!m_still.IsValid() || m_still.Rect().size() != QSize(W, H))
            m_still.Setup(nullptr, 0, 0, W, H);
        if (m_still.IsValid()) {
            paintStill(m_still.DC(), g);
            m_stillKey = key;
        }
    }
    if (m_still.IsValid())
        dc->DrawImage(0, 0, m_still.Image());
    else
        paintStill(dc, g);

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

ReaderDialog::StillKey ReaderDialog::stillKey(const BookGeometry &g, const CMemCanvas &volume)
{
    BookText &book = bookText();
    ReaderSettings &settings = readerSettings();
    StillKey key;
    key.size = QSize(g.W, g.H);
    key.spread = g.spread;
    key.spreadCount = g.spreadCount;
    key.skin = settings.SkinIndex();
    key.skinPicture = m_skins.Image(key.skin).cacheKey();
    key.path = book.CurrentPath();
    key.volume = book.CurrentVolume();
    key.volumeCount = book.VolumeCount();
    key.volumeCanvas = volume.IsValid() ? volume.Image().cacheKey() : 0;
    key.lineHeight = book.LineHeight();
    key.linePitch = book.LinePitch();
    key.linesPerPage = book.LinesPerPage();
    key.textBlockWidth = book.TextBlockWidth();
    key.zoom = m_zoomPercent;
    key.labelFace = settings.FontFace();
    key.labelReady = LabelCanvas().IsValid();
    return key;
}

void ReaderDialog::paintStill(DrawContext *dc, const BookGeometry &g)
{
    const int W = g.W;
    const int H = g.H;
    BookText &book = bookText();
    const int skin = readerSettings().SkinIndex();
    const int spread = g.spread;
    const int spreadCount = g.spreadCount;

    // The skin drawn over the pages in step 6 hides everything beneath it,
    // so the layers below are drawn only in the strips around it.
    const QImage &picture = m_skins.Image(skin);
    const QRect covered = picture.isNull()
            ? QRect()
            : QRect(g.inner.left, g.inner.top, picture.width(), picture.height());
    const QVector<QRect> strips = covered.isEmpty()
            ? QVector<QRect> { QRect(0, 0, W, H) }
            : QVector<QRect> { QRect(0, 0, W, covered.top()),
                               QRect(0, covered.top(), covered.left(), covered.height()),
                               QRect(covered.right() + 1, covered.top(), W - covered.right() - 1,
                                     covered.height()),
                               QRect(0, covered.bottom() + 1, W, H - covered.bottom() - 1) };

    // 1. Background, outlined with the default pen.
    for (const QRect &strip : strips)
        dc->FillSolidRect(strip, background);
    const QColor ink = defaultPen().color();
    dc->FillSolidRect(QRect(0, 0, W, 1), ink);
    dc->FillSolidRect(QRect(0, H - 1, W, 1), ink);
    dc->FillSolidRect(QRect(0, 0, 1, H), ink);
    dc->FillSolidRect(QRect(W - 1, 0, 1, H), ink);
    dc->SelectPen(defaultPen());
    dc->SetBackgroundColour(background);

    // 2. The page edges: the skin picture at both sides of the window,
    //    where the stacks show it.
    const int offset = SkinStore::EdgeOffset(skin);
    const auto edgeCopy = [&](int x) {
        const QRect copy(x, 1, picture.width(), picture.height());
        for (const QRect &strip : strips) {
            const QRect part = copy.intersected(strip);
            if (!part.isEmpty())
                dc->DrawImagePart(part.topLeft(), picture, part.translated(-x, -1));
        }
    };
    edgeCopy(-offset);
    edgeCopy(offset + W - picture.width() - 1);

    // 3. Page stacks: a line per spread read on the left, per spread to
    //    come on the right.
    if (spreadCount != 0) {
        const double d = g.StackSpacing();
        verticalLine(dc, int(g.L), 0, H, ink);
        for (int k = 0; k < spread; ++k)
            verticalLine(dc, int(qMin(k * d, g.L)), 0, H, ink);
        verticalLine(dc, int(W - g.R), 0, H, ink);
        for (int k = 0; k < spreadCount - spread; ++k)
            verticalLine(dc, qMin(int(W - g.R + k * d), W - 1), 0, H, ink);
    }

    // 4. The spine's shade, darker toward the fold (under the skin, so
    //    seen only where the skin leaves the pages bare).
    if (!covered.contains(QRect(g.leftPage.right - 35, 1, 71, H - 2))) {
        for (int i = 0; i < 35; ++i) {
            const int lower = int(i * 100 / 35.0);
            const QColor shade(qMax(0, int(background.red() - lower)),
                               qMax(0, int(background.green() - lower)),
                               qMax(0, int(background.blue() - lower)));
            verticalLine(dc, g.leftPage.right - 35 + i, 1, H - 1, shade);
            verticalLine(dc, g.rightPage.left + 35 - i, 1, H - 1, shade);
        }
    }

    // 5. The spine.
    verticalLine(dc, g.SpineX(), 0, H, ink);

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
    // The pages do not change while they turn: the picture taken when the
    // turn began (TakeTurnSnapshot) serves every frame.
    if (!m_turnSnapshot.IsValid())
        return;
    const double q = m_turnPercent * 0.01;
    if (m_foldLeft) {
        const int w = g.leftPage.width();
        const QRect target(int(w * (1 - q) + g.leftPage.left), 0, int(q * w), g.H);
        dc->StretchBlt(target, *m_turnSnapshot.DC(), QRect(g.leftPage.left, 0, w, g.H));
    }
    if (m_foldRight) {
        const int w = g.rightPage.width();
        const QRect target(g.rightPage.left, 0, int(q * w), g.H);
        dc->StretchBlt(target, *m_turnSnapshot.DC(), QRect(g.rightPage.left, 0, w + 1, g.H));
    }
}

void ReaderDialog::takeTurnSnapshot()
{
    if (!m_turnSnapshot.IsValid() || m_turnSnapshot.Rect().size() != size())
        m_turnSnapshot.Setup(nullptr, 0, 0, width(), height());
    if (m_turnSnapshot.IsValid())
        PaintBook(m_turnSnapshot.DC());
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
