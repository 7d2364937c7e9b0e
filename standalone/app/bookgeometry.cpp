#include "standalone/app/bookgeometry.h"

#include <QtGlobal>

namespace divad {

int BookGeometry::ClampSpread(int spread, int spreadCount)
{
    if (spread > spreadCount - 1)
        spread = spreadCount - 1;
    if (spread < 0)
        spread = 0;
    return spread;
}

BookGeometry BookGeometry::Compute(int W, int H, int spread, int spreadCount)
{
    BookGeometry g;
    g.W = W;
    g.H = H;
    g.spread = spread;
    g.spreadCount = spreadCount;
    const double edge = 1 - BookShare;
    // A volume always has a spread; a count of 0 leaves both stacks empty
    // rather than dividing by it.
    if (spreadCount > 0) {
        g.L = W * edge * spread / spreadCount;
        g.R = W * edge * (1 - double(spread + 1) / spreadCount);
    }
    const int l = int(g.L);
    const int r = int(W - g.R);
    g.leftStack = { 0, 0, l, H };
    g.rightStack = { r, 0, W, H };
    g.book = { l, 0, r, H };
    const int middle = int((g.book.left + g.book.right) * 0.5);
    g.leftPage = { g.book.left, 0, middle, H };
    g.rightPage = { middle, 0, g.book.right, H };
    const int textTop = int(H * 0.075);
    const int textBottom = int(H - H * 0.05);
    g.leftText = { int(W * 0.05 + g.leftPage.left), textTop, int(g.leftPage.right - W * 0.04),
                   textBottom };
    g.rightText = { int(W * 0.04 + g.rightPage.left), textTop, int(g.rightPage.right - W * 0.05),
                    textBottom };
    g.nextZone = { int(g.rightPage.right - W * 0.05), textTop, g.rightPage.right, textBottom };
    g.previousZone = { g.leftPage.left, textTop, int(W * 0.05 + g.leftPage.left), textBottom };
    g.leftFooter = { g.leftPage.left, textBottom, g.leftPage.right, H };
    g.rightFooter = { g.rightPage.left, textBottom, g.rightPage.right, H };
    g.inner = { g.leftPage.left + 1, 1, g.rightPage.right - 1, H - 1 };
    return g;
}

int BookGeometry::SpreadUnder(const QPoint &point) const
{
    const int x = point.x();
    if (leftStack.contains(point) && leftStack.right > 0)
        return int(spread - spread * double(leftStack.right - x) / leftStack.right);
    if (rightStack.contains(point) && W > rightStack.left)
        return int(double(x - rightStack.left) / (W - rightStack.left)
                           * (spreadCount - spread - 1)
                   + spread + 1);
    return -1;
}

double BookGeometry::StackSpacing() const
{
    if (spreadCount <= 0)
        return 2;
    return qMax(2.0, W * (1 - BookShare) / spreadCount);
}

} // namespace divad
