#pragma once

#include <QRect>

namespace divad {

// A rectangle by its edges, right and bottom excluded, as the book's
// geometry is reckoned.
struct Box
{
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool contains(const QPoint &point) const
    {
        return point.x() >= left && point.x() < right && point.y() >= top && point.y() < bottom;
    }
    QRect rect() const { return QRect(left, top, right - left, bottom - top); }
    bool operator==(const Box &other) const
    {
        return left == other.left && top == other.top && right == other.right
                && bottom == other.bottom;
    }
};

// Where everything of the open book lies in a window of W x H for a spread
// of a volume: the two page stacks whose thickness shows how far the reader
// is, the book between them, its pages, text areas, turn zones and
// footers. The book takes 0.955 of the width and the stacks share the rest,
// so the book slides across the window as the reader advances. Recomputed
// whenever needed; nothing is cached.
struct BookGeometry
{
    // Share of the window width the book takes.
    static constexpr double BookShare = 0.955;

    int W = 0;
    int H = 0;
    int spread = 0;
    int spreadCount = 0;
    // Stack widths as numbers.
    double L = 0;
    double R = 0;
    Box leftStack, rightStack, book, leftPage, rightPage, leftText, rightText, nextZone,
            previousZone, leftFooter, rightFooter, inner;

    // spread must already be clamped into 0 ... spreadCount - 1.
    static BookGeometry Compute(int W, int H, int spread, int spreadCount);
    // spread clamped into 0 ... spreadCount - 1 (0 for no spreads).
    static int ClampSpread(int spread, int spreadCount);

    // The spread whose page the stack under x shows (point must lie in a
    // stack), or -1 when it lies in none.
    int SpreadUnder(const QPoint &point) const;
    // Spacing of the lines of the page stacks: never less than 2 pixels.
    double StackSpacing() const;
    // Height of the text area: the height every volume is laid out for.
    int TextAreaHeight() const { return leftText.height(); }
    // x of the spine line.
    int SpineX() const { return (book.left + book.right) / 2; }
};

} // namespace divad
