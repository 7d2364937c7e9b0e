#include "tests/document/picturefixture.h"

#include <QBuffer>
#include <QImage>
#include <QtEndian>

#include <array>

namespace {

quint32 crc32(const QByteArray &data)
{
    static const auto table = [] {
        std::array<quint32, 256> values {};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            values[i] = c;
        }
        return values;
    }();
    quint32 crc = 0xffffffffu;
    for (const char byte : data)
        crc = table[(crc ^ quint8(byte)) & 0xff] ^ (crc >> 8);
    return crc ^ 0xffffffffu;
}

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
    png.replace(29, 4, be32(crc32(png.mid(12, 17))));
    return png;
}

} // namespace PictureFixture
