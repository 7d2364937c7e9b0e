#include "library/view/coverimage.h"

#include "library/workers/bookmetadata.h"

#include <QFileInfo>
#include <QPixmapCache>
#include <QSet>

namespace {

QImage readFile(const QString &path, const QSize &size, Qt::AspectRatioMode mode)
{
    if (size.isEmpty())
        return QImage();
    // Read to fit inside the size, then stretched where the shape differs:
    // reading to fit is what lets the decoder scale while it reads.
    QImage image = BookMetadata::readCover(path, size);
    if (image.isNull())
        return image;
    const QSize wanted = mode == Qt::IgnoreAspectRatio ? size : image.size().scaled(size, mode);
    if (image.size() != wanted)
        image = image.scaled(wanted, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return image;
}

bool isUsable(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

} // namespace

namespace CoverImage {

QString defaultCover()
{
    return QStringLiteral(":/style/images/cover1.jpg");
}

QImage read(const QString &path, const QSize &size, Qt::AspectRatioMode mode, bool *isDefault)
{
    QImage image;
    if (isUsable(path))
        image = readFile(path, size, mode);
    if (isDefault)
        *isDefault = image.isNull();
    if (image.isNull())
        image = readFile(defaultCover(), size, mode);
    return image;
}

QString cacheKey(const QString &keyPrefix, const QString &path, const QSize &size)
{
    return QStringLiteral("%1%2x%3:%4")
            .arg(keyPrefix)
            .arg(size.width())
            .arg(size.height())
            .arg(path);
}

QPixmap cached(const QString &keyPrefix, const QString &path, const QSize &size,
               qreal devicePixelRatio, bool *isDefault)
{
    // Paths of cover files that did not decode, so that a damaged cover
    // costs one attempt, not one per paint.
    static QSet<QString> failed;
    const qreal ratio = qMax<qreal>(1.0, devicePixelRatio);
    const bool usable = isUsable(path) && !failed.contains(path);
    auto keyOf = [&](const QString &source) {
        QString key = cacheKey(keyPrefix, source, size);
        if (ratio != 1.0)
            key += QStringLiteral("@%1").arg(ratio);
        return key;
    };

    QPixmap pixmap;
    if (usable && QPixmapCache::find(keyOf(path), &pixmap)) {
        if (isDefault)
            *isDefault = false;
        return pixmap;
    }
    const QSize pixels = size * ratio;
    QImage image;
    if (usable)
        image = readFile(path, pixels, Qt::IgnoreAspectRatio);
    if (isDefault)
        *isDefault = image.isNull();
    if (!image.isNull()) {
        pixmap = QPixmap::fromImage(image);
        pixmap.setDevicePixelRatio(ratio);
        QPixmapCache::insert(keyOf(path), pixmap);
        return pixmap;
    }

    if (usable)
        failed.insert(path);
    // Many books share the default cover: one entry serves them all.
    if (QPixmapCache::find(keyOf(defaultCover()), &pixmap))
        return pixmap;
    pixmap = QPixmap::fromImage(readFile(defaultCover(), pixels, Qt::IgnoreAspectRatio));
    pixmap.setDevicePixelRatio(ratio);
    QPixmapCache::insert(keyOf(defaultCover()), pixmap);
    return pixmap;
}

} // namespace CoverImage
