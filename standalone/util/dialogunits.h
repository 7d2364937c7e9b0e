#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

// The reader's windows are laid out in dialog units: a quarter of the
// average character width and an eighth of the character height of the
// window's font. These give the pixel figures for the two fonts the
// windows use, at the usual 96 dots an inch.
namespace divad {

enum class DialogFont {
    SongTi9, // "宋体" 9 point: 6 x 12 pixel base units
    System10, // "System" 10 point: 8 x 16 pixel base units
};

// a * b / c rounded to the nearest integer (halves away from zero); 0 for
// c == 0.
int MulDiv(int a, int b, int c);
int DialogX(DialogFont font, int units);
int DialogY(DialogFont font, int units);
QRect DialogRect(DialogFont font, int x, int y, int width, int height);
QSize DialogSize(DialogFont font, int width, int height);
// The window font itself.
QFont DialogFontOf(DialogFont font);

} // namespace divad
