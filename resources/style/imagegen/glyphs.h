#pragma once

#include <QColor>
#include <QString>

class QPainter;

// Line drawings of the program's icons. Each draws into a 24 x 24 unit box
// (the painter is scaled to the target size beforehand) with the given ink.
namespace glyphs {

// True when `name` is a known glyph.
bool exists(const QString &name);
// Draws glyph `name`; unknown names draw nothing.
void draw(QPainter &painter, const QString &name, const QColor &ink);

} // namespace glyphs
