#include "standalone/gfx/cdibimage.h"

#include "standalone/gfx/drawcontext.h"

#include <QFile>
#include <QtEndian>

#include <cmath>

namespace divad {

namespace {

    constexpr quint32 compressionRgb = 0;
    constexpr quint32 compressionBitFields = 3;

    quint16 u16(const char *data)
    {
        return qFromLittleEndian<quint16>(data);
    }

    quint32 u32(const char *data)
    {
        return qFromLittleEndian<quint32>(data);
    }

    // A 5-bit channel spread over 8 bits, so that full intensity stays full.
    inline quint32 expand5(quint32 value)
    {
        return (value << 3) | (value >> 2);
    }

    inline quint32 expand6(quint32 value)
    {
        return (value << 2) | (value >> 4);
    }

    inline int channel(quint32 pixel, int shift)
    {
        return int((pixel >> shift) & 0xFF);
    }

    inline quint32 pack(int red, int green, int blue)
    {
        return (quint32(red) << 16) | (quint32(green) << 8) | quint32(blue);
    }

    // Fixed-point cube of the positive part: t in 256ths, result in 256ths.
    inline qint64 cubePlus(qint64 t)
    {
        return t > 0 ? t * ((t * t) >> 8) >> 8 : 0;
    }

    // Cubic B-spline weight of a neighbour t/256 pixels away, in 256ths.
    inline qint64 splineWeight(qint64 t)
    {
        return (cubePlus(t + 512) * 256 - cubePlus(t + 256) * 1024 + cubePlus(t) * 1536
                - cubePlus(t - 256) * 1024)
                / 1536;
    }

    // The fixed-point source steps of a resize. The vertical quotient goes
    // through single precision, the horizontal one does not; kept so that sizes
    // come out pixel for pixel the same.
    void steps(int width, int height, int newWidth, int newHeight, qint64 *sx, qint64 *sy)
    {
        *sx = qint64(std::floor(double(width) / newWidth * 256.0));
        *sy = qint64(std::floor(double(float(double(height) / newHeight)) * 256.0));
    }

    // The pixels of a 32-bit picture being resized.
    struct Source
    {
        const quint32 *pixels;
        int width;
        int height;
        quint32 at(int x, int y) const
        {
            return pixels[qint64(qMin(y, height - 1)) * width + qMin(x, width - 1)];
        }
    };

    // Where a target pixel samples the source: the source pixel (x0, y0) and the
    // fractions u, v (0 ... 255) towards the next one.
    struct Position
    {
        int x0;
        int y0;
        qint64 u;
        qint64 v;
    };

    // A width x height picture whose pixel (x, y) is sampled at (x * sx, y * sy)
    // in 8.8 fixed point.
    template<typename Sample>
    QByteArray resampled(const QByteArray &pixels, int inWidth, int inHeight, int width, int height,
                         qint64 sx, qint64 sy, Sample sample)
    {
        const Source source { reinterpret_cast<const quint32 *>(pixels.constData()), inWidth,
                              inHeight };
        QByteArray result(width * height * 4, Qt::Uninitialized);
        quint32 *out = reinterpret_cast<quint32 *>(result.data());
        for (int y = 0; y < height; ++y) {
            const qint64 fy = y * sy;
            for (int x = 0; x < width; ++x) {
                const qint64 fx = x * sx;
                const Position at { qMin(int(fx >> 8), inWidth - 1),
                                    qMin(int(fy >> 8), inHeight - 1), fx & 255, fy & 255 };
                out[qint64(y) * width + x] = sample(source, at);
            }
        }
        return result;
    }

    quint32 sampleNearest(const Source &in, const Position &at)
    {
        return in.at(at.x0, at.y0);
    }

    quint32 sampleBilinear(const Source &in, const Position &at)
    {
        // A neighbour beyond the last column or row is the pixel itself.
        const int x1 = at.x0 + 1 < in.width ? at.x0 + 1 : at.x0;
        const int y1 = at.y0 + 1 < in.height ? at.y0 + 1 : at.y0;
        const quint32 p00 = in.at(at.x0, at.y0);
        const quint32 p10 = in.at(x1, at.y0);
        const quint32 p01 = in.at(at.x0, y1);
        const quint32 p11 = in.at(x1, y1);
        const qint64 u = at.u;
        const qint64 v = at.v;
        int mixed[3];
        for (int c = 0; c < 3; ++c) {
            const int shift = 16 - 8 * c;
            const qint64 sum = ((channel(p00, shift) * (256 - u) >> 8) * (256 - v) >> 8)
                    + ((channel(p10, shift) * u >> 8) * (256 - v) >> 8)
                    + ((channel(p01, shift) * (256 - u) >> 8) * v >> 8)
                    + ((channel(p11, shift) * u >> 8) * v >> 8);
            mixed[c] = int(qBound<qint64>(0, sum, 255));
        }
        return pack(mixed[0], mixed[1], mixed[2]);
    }

    quint32 sampleBicubic(const Source &in, const Position &at)
    {
        // Neighbours outside the picture are the centre pixel.
        const quint32 centre = in.at(at.x0, at.y0);
        qint64 sum[3] = { 0, 0, 0 };
        for (int n = 0; n < 4; ++n) {
            const int py = at.y0 + n - 1;
            const qint64 rowWeight = splineWeight((n - 1) * 256 - at.v);
            for (int m = 0; m < 4; ++m) {
                const int px = at.x0 + m - 1;
                const bool inside = px >= 0 && px < in.width && py >= 0 && py < in.height;
                const quint32 pixel = inside ? in.at(px, py) : centre;
                const qint64 weight = (splineWeight((m - 1) * 256 - at.u) * rowWeight) >> 8;
                sum[0] += channel(pixel, 16) * weight;
                sum[1] += channel(pixel, 8) * weight;
                sum[2] += channel(pixel, 0) * weight;
            }
        }
        int mixed[3];
        for (int c = 0; c < 3; ++c)
            mixed[c] = int(qBound<qint64>(0, (sum[c] * 266) >> 16, 255));
        return pack(mixed[0], mixed[1], mixed[2]);
    }

} // namespace

CDibImage::CDibImage() = default;

void CDibImage::clearPixels()
{
    m_pixels.clear();
    m_imageSize = 0;
}

bool CDibImage::fail(const QString &message)
{
    clearPixels();
    m_lastError = message;
    return false;
}

void CDibImage::LoadBmpFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_lastError = QStringLiteral("cannot open %1: %2").arg(path, file.errorString());
        return;
    }
    clearPixels();
    m_lastError.clear();
    const qint64 fileSize = file.size();
    const QByteArray head = file.read(54);
    if (head.size() < 54) {
        fail(QStringLiteral("%1 is too short for a bitmap").arg(path));
        return;
    }
    const char *h = head.constData();
    BmpFileHeader fileHeader;
    fileHeader.type = u16(h);
    fileHeader.size = u32(h + 2);
    fileHeader.reserved1 = u16(h + 6);
    fileHeader.reserved2 = u16(h + 8);
    fileHeader.offBits = u32(h + 10);
    BmpInfoHeader info;
    info.size = u32(h + 14);
    info.width = qint32(u32(h + 18));
    info.height = qint32(u32(h + 22));
    info.planes = u16(h + 26);
    info.bitCount = u16(h + 28);
    info.compression = u32(h + 30);
    info.sizeImage = u32(h + 34);
    info.xPelsPerMeter = qint32(u32(h + 38));
    info.yPelsPerMeter = qint32(u32(h + 42));
    info.clrUsed = u32(h + 46);
    info.clrImportant = u32(h + 50);

    if (fileHeader.type != 0x4D42) {
        fail(QStringLiteral("%1 is not a bitmap").arg(path));
        return;
    }
    if (info.size < 40 || info.size > fileSize - 14) {
        fail(QStringLiteral("%1 has a damaged information header").arg(path));
        return;
    }
    m_file = fileHeader;
    m_info = info;
    if (info.bitCount < 8) {
        m_lastError
                = QStringLiteral("%1: %2 bits a pixel are not read").arg(path).arg(info.bitCount);
        return;
    }
    const int bits = info.bitCount;
    if (bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        fail(QStringLiteral("%1: %2 bits a pixel are not read").arg(path).arg(bits));
        return;
    }
    const bool bitFields = info.compression == compressionBitFields && (bits == 16 || bits == 32);
    if (info.compression != compressionRgb && !bitFields) {
        fail(QStringLiteral("%1 is compressed").arg(path));
        return;
    }
    const bool topDown = info.height < 0;
    const qint64 width = info.width;
    const qint64 height = topDown ? -qint64(info.height) : qint64(info.height);
    if (width <= 0 || height <= 0) {
        fail(QStringLiteral("%1 has no pixels").arg(path));
        return;
    }
    const int bytesPerPixel = bits / 8;
    const qint64 stride = (width * bytesPerPixel + 3) & ~qint64(3);
    const qint64 pixelBytes = stride * height;
    if (pixelBytes > MaximumPixelBytes || width * height * 4 > MaximumPixelBytes) {
        fail(QStringLiteral("%1 is larger than any skin can be").arg(path));
        return;
    }

    qint64 position = 14 + qint64(info.size);
    bool green6 = false;
    if (bitFields && info.size == 40) {
        // The three colour masks follow a plain information header.
        if (!file.seek(position)) {
            fail(QStringLiteral("%1 is truncated").arg(path));
            return;
        }
        const QByteArray masks = file.read(12);
        if (masks.size() < 12) {
            fail(QStringLiteral("%1 is truncated").arg(path));
            return;
        }
        green6 = bits == 16 && u32(masks.constData() + 4) == 0x07E0;
        position += 12;
    }
    m_palette.clear();
    if (bits == 8) {
        const quint32 colours = info.clrUsed ? info.clrUsed : 256;
        if (colours > 256) {
            fail(QStringLiteral("%1 has a damaged palette").arg(path));
            return;
        }
        if (!file.seek(position)) {
            fail(QStringLiteral("%1 is truncated").arg(path));
            return;
        }
        const QByteArray palette = file.read(colours * 4);
        if (palette.size() < int(colours * 4)) {
            fail(QStringLiteral("%1 is truncated in its palette").arg(path));
            return;
        }
        for (quint32 i = 0; i < colours; ++i)
            m_palette << (u32(palette.constData() + i * 4) & 0xFFFFFF);
        position += colours * 4;
    }
    // Pixels normally follow at once; a file that says they start further
    // on (and has room for them there) is read from there.
    if (fileHeader.offBits > position && fileHeader.offBits + pixelBytes <= fileSize)
        position = fileHeader.offBits;
    if (position + pixelBytes > fileSize || !file.seek(position)) {
        fail(QStringLiteral("%1 holds fewer pixels than its header says").arg(path));
        return;
    }
    QByteArray pixels = file.read(pixelBytes);
    if (pixels.size() != pixelBytes) {
        fail(QStringLiteral("%1 could not be read whole").arg(path));
        return;
    }
    m_info.height = qint32(height);
    m_stride = int(stride);
    m_bytesPerPixel = bytesPerPixel;
    m_imageSize = int(pixelBytes);
    m_pixels = std::move(pixels);
    m_green6 = green6;
    ToRgb32();
    if (topDown)
        FlipVertical();
}

void CDibImage::FromBitmap(const QImage &bitmap)
{
    clearPixels();
    if (bitmap.isNull() || bitmap.depth() <= 8) {
        m_lastError = QStringLiteral("a bitmap of 8 bits or fewer a pixel has no pixels to copy");
        return;
    }
    if (qint64(bitmap.width()) * bitmap.height() * 4 > MaximumPixelBytes) {
        fail(QStringLiteral("the bitmap is larger than any skin can be"));
        return;
    }
    const QImage rgb = bitmap.convertToFormat(QImage::Format_RGB32);
    const int stride = rgb.width() * 4;
    QByteArray pixels(stride * rgb.height(), Qt::Uninitialized);
    for (int y = 0; y < rgb.height(); ++y)
        memcpy(pixels.data() + y * stride, rgb.constScanLine(y), stride);
    m_file = BmpFileHeader();
    m_file.type = 0x4D42;
    m_file.size = quint32(pixels.size() + 54);
    m_file.offBits = 54;
    m_info = BmpInfoHeader();
    m_info.size = 40;
    m_info.width = rgb.width();
    m_info.height = rgb.height();
    m_info.planes = 1;
    m_info.bitCount = 32;
    m_stride = stride;
    m_bytesPerPixel = 4;
    m_imageSize = pixels.size();
    m_pixels = std::move(pixels);
    m_lastError.clear();
    ToRgb32();
    FlipVertical();
}

void CDibImage::ToRgb32()
{
    if (m_pixels.isEmpty() || m_bytesPerPixel < 1)
        return;
    const int width = m_info.width;
    const int height = m_info.height;
    const int newStride = width * 4;
    QByteArray converted(newStride * height, Qt::Uninitialized);
    for (int y = 0; y < height; ++y) {
        const uchar *in
                = reinterpret_cast<const uchar *>(m_pixels.constData()) + qint64(y) * m_stride;
        quint32 *out = reinterpret_cast<quint32 *>(converted.data() + qint64(y) * newStride);
        for (int x = 0; x < width; ++x) {
            quint32 pixel = 0;
            switch (m_bytesPerPixel) {
            case 1:
                pixel = in[x] < m_palette.size() ? m_palette.at(in[x]) : 0;
                break;
            case 2: {
                const quint32 word = quint32(in[2 * x]) | (quint32(in[2 * x + 1]) << 8);
                if (m_green6)
                    pixel = (expand5((word >> 11) & 31) << 16) | (expand6((word >> 5) & 63) << 8)
                            | expand5(word & 31);
                else
                    pixel = (expand5((word >> 10) & 31) << 16) | (expand5((word >> 5) & 31) << 8)
                            | expand5(word & 31);
                break;
            }
            case 3:
                pixel = pack(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
                break;
            default:
                pixel = qFromLittleEndian<quint32>(in + 4 * x) & 0xFFFFFF;
                break;
            }
            out[x] = qToLittleEndian(pixel);
        }
    }
    m_pixels = std::move(converted);
    m_stride = newStride;
    m_bytesPerPixel = 4;
    m_imageSize = m_stride * height;
    m_file.size = quint32(m_imageSize + 54);
    m_file.offBits = 54;
    m_info.bitCount = 32;
    m_info.compression = compressionRgb;
    m_info.sizeImage = quint32(m_imageSize);
    m_green6 = false;
}

void CDibImage::replacePixels(QByteArray pixels, int width, int height)
{
    m_pixels = std::move(pixels);
    m_info.width = width;
    m_info.height = height;
    m_stride = width * 4;
    m_imageSize = m_stride * height;
    m_info.sizeImage = quint32(m_imageSize);
    m_file.size = quint32(m_imageSize + 54);
}

void CDibImage::Resize(int width, int height)
{
    switch (m_resampleMode) {
    case Nearest:
        ResizeNearest(width, height);
        break;
    case Bilinear:
        ResizeBilinear(width, height);
        break;
    case Bicubic:
        ResizeBicubic(width, height);
        break;
    default:
        break;
    }
}

bool CDibImage::beginResize(int *width, int *height, qint64 *sx, qint64 *sy)
{
    if (!HasPixels())
        return false;
    ToRgb32();
    *width = qMax(1, *width);
    *height = qMax(1, *height);
    if (qint64(*width) * *height * 4 > MaximumPixelBytes)
        return false;
    steps(m_info.width, m_info.height, *width, *height, sx, sy);
    return true;
}

void CDibImage::ResizeNearest(int width, int height)
{
    qint64 sx, sy;
    if (beginResize(&width, &height, &sx, &sy))
        replacePixels(resampled(m_pixels, m_info.width, m_info.height, width, height, sx, sy,
                                sampleNearest),
                      width, height);
}

void CDibImage::ResizeBilinear(int width, int height)
{
    qint64 sx, sy;
    if (beginResize(&width, &height, &sx, &sy))
        replacePixels(resampled(m_pixels, m_info.width, m_info.height, width, height, sx, sy,
                                sampleBilinear),
                      width, height);
}

void CDibImage::ResizeBicubic(int width, int height)
{
    qint64 sx, sy;
    if (beginResize(&width, &height, &sx, &sy))
        replacePixels(resampled(m_pixels, m_info.width, m_info.height, width, height, sx, sy,
                                sampleBicubic),
                      width, height);
}

void CDibImage::FlipVertical()
{
    if (m_pixels.isEmpty() || m_stride <= 0)
        return;
    const int height = m_info.height;
    QByteArray row(m_stride, Qt::Uninitialized);
    char *data = m_pixels.data();
    for (int i = 0; i < height / 2; ++i) {
        char *top = data + qint64(i) * m_stride;
        char *bottom = data + qint64(height - 1 - i) * m_stride;
        memcpy(row.data(), top, m_stride);
        memcpy(top, bottom, m_stride);
        memcpy(bottom, row.constData(), m_stride);
    }
}

QImage CDibImage::ToQImage() const
{
    if (m_pixels.isEmpty() || m_bytesPerPixel != 4)
        return QImage();
    const int width = m_info.width;
    const int height = m_info.height;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return image;
    for (int y = 0; y < height; ++y) {
        const quint32 *in = reinterpret_cast<const quint32 *>(m_pixels.constData()
                                                              + qint64(height - 1 - y) * m_stride);
        QRgb *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            out[x] = 0xFF000000u | (qFromLittleEndian(in[x]) & 0xFFFFFF);
    }
    return image;
}

void CDibImage::Draw(DrawContext *dc, int x, int y) const
{
    if (dc && HasPixels())
        dc->DrawImage(x, y, ToQImage());
}

} // namespace divad
