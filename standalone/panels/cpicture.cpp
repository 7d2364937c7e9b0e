#include "standalone/panels/cpicture.h"

#include "standalone/util/prompts.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QPaintDevice>
#include <QPainter>
#include <QRegularExpression>

#include <climits>

namespace divad {

namespace {

    void pictureError(const QString &text)
    {
        MessageRequest request;
        request.text = text;
        request.caption = QStringLiteral("CPicture Error");
        request.icon = MessageIcon::Stop;
        ShowMessage(request);
    }

    // The program's pictures are named by kind and number ("cover151.jpg").
    QString resourcePath(int id, const QString &type)
    {
        const QRegularExpression name(QStringLiteral("^\\D*%1\\.%2$")
                                              .arg(id)
                                              .arg(QRegularExpression::escape(type)),
                                      QRegularExpression::CaseInsensitiveOption);
        const QDir pictures(QStringLiteral(":/divad/images"));
        for (const QString &entry : pictures.entryList(QDir::Files)) {
            if (name.match(entry).hasMatch())
                return pictures.filePath(entry);
        }
        return QString();
    }

} // namespace

void CPicture::Free()
{
    m_picture = QImage();
}

bool CPicture::finishLoad(bool loaded)
{
    if (m_picture.isNull()) {
        m_width = 0;
        m_height = 0;
        return false;
    }
    m_width = m_picture.width();
    m_height = m_picture.height();
    return loaded;
}

bool CPicture::LoadFromResource(int id, const QString &type)
{
    Free();
    const QString path = resourcePath(id, type);
    if (path.isEmpty()) {
        pictureError(QStringLiteral("FindResource() Failed\t"));
        return false;
    }
    QFile resource(path);
    if (!resource.open(QIODevice::ReadOnly)) {
        pictureError(QStringLiteral("LoadResource() Failed\t"));
        return false;
    }
    const QByteArray bytes = resource.readAll();
    const bool loaded = LoadFromMemory(bytes);
    m_dataSize = bytes.size();
    return finishLoad(loaded);
}

bool CPicture::LoadFromFile(const QString &path)
{
    Free();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        pictureError(file.errorString().left(255));
        m_dataSize = 0;
        return false;
    }
    const QByteArray bytes = file.readAll();
    bool loaded = false;
    if (!bytes.isEmpty())
        loaded = LoadFromMemory(bytes);
    m_dataSize = int(qMin<qint64>(file.size(), INT_MAX));
    return finishLoad(loaded);
}

bool CPicture::LoadFromMemory(const QByteArray &bytes)
{
    Free();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    // A few bytes can claim a picture of gigabytes; such a file is no cover.
    if (size.isValid() && qint64(size.width()) * size.height() > MaximumPixels)
        return true;
    if (!size.isValid() && reader.canRead())
        return true;
    reader.read(&m_picture);
    return true;
}

bool CPicture::Render(QPainter *dc, const QRect &rect) const
{
    if (!dc || m_picture.isNull())
        return false;
    dc->drawImage(rect, m_picture);
    return true;
}

bool CPicture::UpdateSizeFromDC(const QPaintDevice *dc)
{
    if (!dc || m_picture.isNull()) {
        m_width = 0;
        m_height = 0;
        return false;
    }
    m_width = m_picture.width() * dc->logicalDpiX() / 96;
    m_height = m_picture.height() * dc->logicalDpiY() / 96;
    return true;
}

} // namespace divad
