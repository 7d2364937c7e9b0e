#include "tests/comics/comicfixture.h"

#include "tests/archive/rarfixture.h"
#include "tests/archive/zipfixture.h"
#include "tests/support/crc32.h"

#include <QBuffer>
#include <QColor>
#include <QtEndian>

namespace ComicFixture {

namespace {

    // Pages 1 to 255, sixteen apart in red and green, so a lossy format
    // keeps them apart.
    QColor colourOf(int number)
    {
        return QColor((number % 16) * 16 + 8, (number / 16) * 16 + 8, 100);
    }

    QByteArray chunk(const char *type, const QByteArray &data)
    {
        QByteArray out(4, '\0');
        qToBigEndian(quint32(data.size()), out.data());
        const QByteArray body = QByteArray(type, 4) + data;
        QByteArray crc(4, '\0');
        qToBigEndian(TestSupport::crc32(body), crc.data());
        return out + body + crc;
    }

} // namespace

QByteArray page(int number, const QSize &size, const char *format)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colourOf(number));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 90);
    return buffer.data();
}

int pageOf(const QImage &image)
{
    if (image.isNull())
        return 0;
    const QColor found = image.pixelColor(image.width() / 2, image.height() / 2);
    const int number = found.red() / 16 + found.green() / 16 * 16;
    const QColor wanted = colourOf(number);
    const int distance = qAbs(found.red() - wanted.red()) + qAbs(found.green() - wanted.green())
            + qAbs(found.blue() - wanted.blue());
    return number >= 1 && number <= 255 && distance < 12 ? number : 0;
}

QByteArray hugePicture(const QSize &size)
{
    QByteArray header(13, '\0');
    qToBigEndian(quint32(size.width()), header.data());
    qToBigEndian(quint32(size.height()), header.data() + 4);
    header[8] = 8; // bit depth
    header[9] = 2; // true colour
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header)
            + chunk("IDAT", QByteArray("\x78\x9c\x03\x00\x00\x00\x00\x01", 8))
            + chunk("IEND", QByteArray());
}

Entries pages(int count, const QSize &size, const char *format)
{
    Entries entries;
    const QString suffix = QString::fromLatin1(format).toLower();
    for (int number = 1; number <= count; ++number)
        entries.append({ QStringLiteral("p%1.%2").arg(number, 3, 10, QLatin1Char('0')).arg(suffix),
                         page(number, size, format) });
    return entries;
}

bool write(const QString &path, const Entries &entries)
{
    if (path.endsWith(QLatin1String(".cbr"), Qt::CaseInsensitive))
        return RarFixture::write(path, entries);
    QList<ZipFixture::Entry> zipEntries;
    for (const auto &entry : entries)
        zipEntries.append({ entry.first, entry.second });
    return ZipFixture::write(path, zipEntries);
}

} // namespace ComicFixture
