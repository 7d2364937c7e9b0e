#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

class QPaintDevice;
class QPainter;

namespace divad {

// A picture (JPEG, GIF, PNG or BMP) read from a file, from bytes or from
// the program's own pictures, drawn stretched into a rectangle: the book
// information page's cover. Pictures larger than any cover (over 64
// million pixels) are refused before they are decoded. Failures show a
// message titled "CPicture Error". Not thread-safe.
class CPicture
{
public:
    static constexpr qint64 MaximumPixels = 64 * 1024 * 1024;

    // The program's picture numbered id whose kind (file extension) is
    // type, e.g. (151, "JPG").
    bool LoadFromResource(int id, const QString &type);
    bool LoadFromFile(const QString &path);
    // True when the bytes could be taken in; IsLoaded() tells whether they
    // held a picture.
    bool LoadFromMemory(const QByteArray &bytes);
    // The whole picture stretched into rect; false without a painter or a
    // picture.
    bool Render(QPainter *dc, const QRect &rect) const;
    // Width and height in the device's pixels (96 to the inch on a
    // printer); false without a device or a picture.
    bool UpdateSizeFromDC(const QPaintDevice *dc);
    void Free();

    bool IsLoaded() const { return !m_picture.isNull(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int DataSize() const { return m_dataSize; }

private:
    bool finishLoad(bool loaded);

    QImage m_picture;
    int m_height = 0;
    int m_dataSize = 0;
    int m_width = 0;
};

} // namespace divad
