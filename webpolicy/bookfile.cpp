#include "webpolicy/bookfile.h"

#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <QWebFrame>
#include <QXmlStreamEntityResolver>
#include <QXmlStreamReader>

namespace {

// A chapter this large is read by the web engine as it is: checking it would
// cost more than the rare fallback is worth.
constexpr qint64 CheckedSizeLimit = 32 * 1024 * 1024;

class AnyEntity : public QXmlStreamEntityResolver
{
public:
    QString resolveUndeclaredEntity(const QString &name) override
    {
        Q_UNUSED(name)
        return QStringLiteral(" ");
    }
};

bool namedAsXhtml(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("xhtml") || suffix == QLatin1String("xht")
            || suffix == QLatin1String("xml");
}

} // namespace

namespace BookFile {

bool isMalformedXhtml(const QString &path)
{
    if (!namedAsXhtml(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() > CheckedSizeLimit)
        return false;
    QXmlStreamReader reader(&file);
    AnyEntity entities;
    reader.setEntityResolver(&entities);
    while (!reader.atEnd())
        reader.readNext();
    return reader.hasError();
}

void load(QWebFrame *frame, const QString &path)
{
    const QUrl url = QUrl::fromLocalFile(path);
    if (isMalformedXhtml(path)) {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly)) {
            frame->setContent(file.readAll(), QStringLiteral("text/html"), url);
            return;
        }
    }
    frame->load(url);
}

} // namespace BookFile
