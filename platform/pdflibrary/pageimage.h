#pragma once

#include "platform/gdi/gdi.h"

#include <QImage>
#include <QSize>
#include <QString>

namespace pdflibrary {

class Instance;

// The page (1-based) of the loaded document drawn at dpi x the render
// scale, as a 32-bit image. A valid clip keeps only its top left part (the
// rest of a device context is left as it was). Null for a page that does not
// exist, a resolution that is not a positive number, or an image too large
// to allocate.
QImage renderPage(Instance &library, int page, double dpi, const QSize &clip);
// The same at a resolution of its own (dots per inch), the render scale
// left aside.
QImage renderPageAt(Instance &library, int page, double resolution, const QSize &clip);

// Copies the image into the top left corner of a context's pixels, clipped.
void copyToSurface(const QImage &image, const gdi::Surface &surface);

// Writes the image as an image file of a render option (0 BMP, 1 JPEG,
// 5 PNG, 7 and 10 TIFF where the system can write it); other options are not
// supported. The file is replaced only once the new one is complete.
bool saveImage(Instance &library, const QImage &image, int option, const QString &fileName);

} // namespace pdflibrary
