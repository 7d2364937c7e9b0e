#include "platform/pdflibrary/pageimage.h"

#include "platform/pdflibrary/instance.h"

#include <poppler-qt5.h>

#include <QImageWriter>
#include <QSaveFile>

#include <cmath>
#include <cstring>

namespace pdflibrary {

QImage renderPage(Instance &library, int page, double dpi, const QSize &clip)
{
    return renderPageAt(library, page, dpi * library.renderScale, clip);
}

QImage renderPageAt(Instance &library, int page, double resolution, const QSize &clip)
{
    if (!library.document || page < 1 || page > library.document->numPages())
        return QImage();
    if (!(resolution > 0.0) || !std::isfinite(resolution))
        return QImage();
    const std::unique_ptr<Poppler::Page> pdfPage(library.document->page(page - 1));
    if (!pdfPage)
        return QImage();
    const QSizeF points = pdfPage->pageSizeF();
    double width = std::ceil(points.width() * resolution / 72.0);
    double height = std::ceil(points.height() * resolution / 72.0);
    if (clip.isValid()) {
        width = std::min(width, double(clip.width()));
        height = std::min(height, double(clip.height()));
    }
    if (!(width >= 1.0 && height >= 1.0)
        || width * height * 4.0 > double(gdi::maximumBitmapBytes)) {
        library.lastError = InternalFailure;
        return QImage();
    }
    QImage image = pdfPage->renderToImage(resolution, resolution, 0, 0, int(width), int(height));
    if (image.isNull()) {
        library.lastError = InternalFailure;
        return QImage();
    }
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32
        && image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_RGB32);
    return image;
}

void copyToSurface(const QImage &image, const gdi::Surface &surface)
{
    const int width = std::min(image.width(), surface.width);
    const int height = std::min(image.height(), surface.height);
    for (int y = 0; y < height; ++y) {
        const int row = surface.topDown ? y : surface.height - 1 - y;
        std::memcpy(surface.bits + std::size_t(row) * std::size_t(surface.bytesPerLine),
                    image.constScanLine(y), std::size_t(width) * 4);
    }
}

bool saveImage(Instance &library, const QImage &image, int option, const QString &fileName)
{
    QByteArray format;
    switch (option) {
    case 0:
        format = "bmp";
        break;
    case 1:
        format = "jpg";
        break;
    case 5:
        format = "png";
        break;
    case 7:
    case 10:
        format = "tiff";
        break;
    default:
        break;
    }
    if (format.isEmpty() || !QImageWriter::supportedImageFormats().contains(format)) {
        library.lastError = NotSupported;
        return false;
    }
    QSaveFile file(fileName);
    if (fileName.isEmpty() || !file.open(QIODevice::WriteOnly)) {
        library.lastError = CannotOpenOutput;
        return false;
    }
    QImageWriter writer(&file, format);
    if (!writer.write(image.format() == QImage::Format_RGB32
                              ? image
                              : image.convertToFormat(QImage::Format_RGB32))
        || !file.commit()) {
        library.lastError = CannotOpenOutput;
        return false;
    }
    return true;
}

} // namespace pdflibrary
