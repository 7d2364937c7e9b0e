#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QVector>

namespace divad {

class DrawContext;

// The 14-byte BMP file header.
struct BmpFileHeader
{
    quint16 type = 0; // "BM"
    quint32 size = 0;
    quint16 reserved1 = 0;
    quint16 reserved2 = 0;
    quint32 offBits = 0;
};

// The 40-byte BMP information header.
struct BmpInfoHeader
{
    quint32 size = 0;
    qint32 width = 0;
    qint32 height = 0; // positive: rows bottom-up
    quint16 planes = 0;
    quint16 bitCount = 0;
    quint32 compression = 0;
    quint32 sizeImage = 0;
    qint32 xPelsPerMeter = 0;
    qint32 yPelsPerMeter = 0;
    quint32 clrUsed = 0;
    quint32 clrImportant = 0;
};

// A skin picture: pixels kept as BMP rows, bottom row first, turned into
// 32 bits a pixel (blue, green, red, 0) on loading, and resized with one of
// three filters. A skin may be the user's own file, so every header is
// checked against the file before a pixel is read; a file that does not
// hold what its header promises gives no pixels, and Draw() then does
// nothing. Not thread-safe; one object per picture.
class CDibImage
{
public:
    enum Resample { Nearest = 0, Bilinear = 1, Bicubic = 2 };

    CDibImage();

    // Reads a BMP file of 8, 16, 24 or 32 bits a pixel. A file that cannot
    // be opened leaves the image unchanged; one of fewer bits or a damaged
    // one leaves it without pixels (lastError() says why).
    void LoadBmpFile(const QString &path);
    // Copies a bitmap of 16, 24 or 32 bits a pixel; fewer bits leave the
    // image without pixels.
    void FromBitmap(const QImage &bitmap);
    void ToRgb32();
    // Dispatches on the resample mode; sizes below 1 become 1.
    void Resize(int width, int height);
    void ResizeNearest(int width, int height);
    void ResizeBilinear(int width, int height);
    void ResizeBicubic(int width, int height);
    void FlipVertical();
    // Draws the pixels at (x, y) at their own size; nothing without pixels.
    void Draw(DrawContext *dc, int x, int y) const;

    bool HasPixels() const { return !m_pixels.isEmpty(); }
    int Width() const { return m_info.width; }
    int Height() const { return m_info.height; }
    int Stride() const { return m_stride; }
    int BytesPerPixel() const { return m_bytesPerPixel; }
    int ImageSize() const { return m_imageSize; }
    const QByteArray &Pixels() const { return m_pixels; }
    const BmpFileHeader &FileHeader() const { return m_file; }
    const BmpInfoHeader &InfoHeader() const { return m_info; }
    int ResampleMode() const { return m_resampleMode; }
    void SetResampleMode(int mode) { m_resampleMode = mode; }
    // The pixels as a top-down image (null without pixels).
    QImage ToQImage() const;
    QString lastError() const { return m_lastError; }

    // Largest pixel buffer a picture may have: far above any screen.
    static constexpr qint64 MaximumPixelBytes = 256 * 1024 * 1024;

private:
    void clearPixels();
    // Clamps the new size and gives the source steps; false when there is
    // nothing to resize or the result would be too large.
    bool beginResize(int *width, int *height, qint64 *sx, qint64 *sy);
    void replacePixels(QByteArray pixels, int width, int height);
    bool fail(const QString &message);

    BmpFileHeader m_file;
    BmpInfoHeader m_info;
    QVector<quint32> m_palette; // 0x00RRGGBB, up to 256 entries
    int m_stride = 0;
    int m_bytesPerPixel = 0;
    int m_imageSize = 0;
    QByteArray m_pixels;
    int m_resampleMode = Nearest;
    // 16-bit pixels with six bits of green (from a mask in the file).
    bool m_green6 = false;
    QString m_lastError;
};

} // namespace divad
