#include "tests/document/picturefixture.h"

#include "tests/support/crc32.h"

#include <QBuffer>
#include <QImage>
#include <QtEndian>

namespace {

QByteArray be32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

} // namespace

namespace PictureFixture {

QByteArray pngClaiming(int width, int height)
{
    QImage pixel(1, 1, QImage::Format_RGB32);
    pixel.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    pixel.save(&buffer, "PNG");
    // Signature (8), then the IHDR chunk: length (4), type (4), width and
    // height (4 each), five more bytes, its CRC over type and data.
    png.replace(16, 4, be32(quint32(width)));
    png.replace(20, 4, be32(quint32(height)));
    png.replace(29, 4, be32(TestSupport::crc32(png.mid(12, 17))));
    return png;
}

} // namespace PictureFixture
