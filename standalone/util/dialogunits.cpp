#include "standalone/util/dialogunits.h"

#include <cstdlib>

namespace divad {

namespace {

    QSize baseUnits(DialogFont font)
    {
        return font == DialogFont::System10 ? QSize(8, 16) : QSize(6, 12);
    }

} // namespace

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return 0;
    const qint64 product = qint64(a) * b;
    const qint64 half = std::llabs(c) / 2;
    const bool negative = (product < 0) != (c < 0);
    const qint64 magnitude = (std::llabs(product) + half) / std::llabs(c);
    return int(negative ? -magnitude : magnitude);
}

int DialogX(DialogFont font, int units)
{
    return MulDiv(units, baseUnits(font).width(), 4);
}

int DialogY(DialogFont font, int units)
{
    return MulDiv(units, baseUnits(font).height(), 8);
}

QRect DialogRect(DialogFont font, int x, int y, int width, int height)
{
    const int left = DialogX(font, x);
    const int top = DialogY(font, y);
    return QRect(left, top, DialogX(font, x + width) - left, DialogY(font, y + height) - top);
}

QSize DialogSize(DialogFont font, int width, int height)
{
    return QSize(DialogX(font, width), DialogY(font, height));
}

QFont DialogFontOf(DialogFont font)
{
    QFont result;
    if (font == DialogFont::System10) {
        result.setFamilies({ QStringLiteral("System"), QStringLiteral("DejaVu Sans"),
                             QStringLiteral("WenQuanYi Micro Hei") });
        result.setPixelSize(13);
        result.setWeight(QFont::Bold);
    } else {
        result.setFamilies({ QStringLiteral("宋体"), QStringLiteral("WenQuanYi Micro Hei") });
        result.setPixelSize(12);
    }
    return result;
}

} // namespace divad
