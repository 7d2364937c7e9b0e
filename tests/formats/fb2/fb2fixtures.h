#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QString>

// FictionBook files made in the tests.
namespace fb2test {

inline QByteArray book(const QByteArray &inner, const QByteArray &encoding = "utf-8")
{
    return "<?xml version=\"1.0\" encoding=\"" + encoding
            + "\"?>\n"
              "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
              "xmlns:l=\"http://www.w3.org/1999/xlink\">"
            + inner + "</FictionBook>";
}

inline QByteArray binary(const QString &id, const QImage &image, const char *format = "PNG")
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return "<binary id=\"" + id.toUtf8() + "\" content-type=\"image/png\">" + bytes.toBase64()
            + "</binary>";
}

inline QImage filled(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    return image;
}

inline QString writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write fixture");
    return path;
}

} // namespace fb2test
