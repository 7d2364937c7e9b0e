#pragma once

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

// Book covers as the library's views show them: the shelf's tiles, the
// table's thumbnails, the drag image and the properties dialog. A cover is
// always read scaled to the size it is shown at, through the readers'
// picture check (BookMetadata::readCover), so a cover that claims a huge
// size costs nothing and a large one is never held at full size. A book
// without a cover file, or with one that does not decode, shows the default
// cover.
namespace CoverImage {

// A side that bounds nothing: QSize(width, anyLength) with KeepAspectRatio
// asks for a cover of that width.
constexpr int anyLength = 20000;

// ":/style/images/cover1.jpg".
QString defaultCover();

// The cover at `path` read at `size` (aspect ratio as `mode` says; with
// KeepAspectRatio the picture fits inside). The default cover for an empty
// or missing path and for a file that is no acceptable picture; isDefault
// tells which was used. Null only when even the default cover cannot be
// read. Callable from any thread.
QImage read(const QString &path, const QSize &size,
            Qt::AspectRatioMode mode = Qt::IgnoreAspectRatio, bool *isDefault = nullptr);

// read() with IgnoreAspectRatio as a pixmap for a device of this pixel
// ratio, from the application's QPixmapCache or read into it. The key is
// `keyPrefix`, the size and the path of the picture used, so a view that
// shows covers at two sizes keeps both, and the books without a cover share
// one entry. A cover file that failed to decode is not read again. GUI
// thread only.
QPixmap cached(const QString &keyPrefix, const QString &path, const QSize &size,
               qreal devicePixelRatio = 1.0, bool *isDefault = nullptr);

// The cache key cached() uses for the picture at `path` (already resolved to
// the default cover where that is used) shown at `size` and pixel ratio 1.
QString cacheKey(const QString &keyPrefix, const QString &path, const QSize &size);

} // namespace CoverImage
