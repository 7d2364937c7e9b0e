#pragma once

#include <QFont>
#include <QStringList>

// Text broken at word boundaries (inside a word only where the word is wider
// than the line) into lines no wider than `width` pixels in `font`, at most
// `maxLines` of them (at least one): the last line that fits takes the rest
// of the text, elided at the right. `elided` tells whether
// anything was cut. Callable from any thread that may use fonts (the GUI
// thread).
QStringList elidedLines(const QString &text, const QFont &font, int width, int maxLines,
                        bool *elided = nullptr);
