#include "document/tocfile.h"

#include "core/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QSaveFile>

namespace TocFile {

namespace {

    const QString titleKey = QStringLiteral("Title");
    const QString sourceKey = QStringLiteral("Source");
    const QString childsKey = QStringLiteral("Childs");

    QJsonArray toJsonAt(const QList<TocItem> &items, int depth)
    {
        QJsonArray array;
        if (depth > maxDepth)
            return array;
        for (const TocItem &item : items) {
            QJsonObject object;
            if (!item.title.isNull())
                object.insert(titleKey, item.title);
            if (!item.source.isNull())
                object.insert(sourceKey, item.source);
            if (!item.children.isEmpty() && depth < maxDepth)
                object.insert(childsKey, toJsonAt(item.children, depth + 1));
            array.append(object);
        }
        return array;
    }

    QList<TocItem> fromJsonAt(const QJsonArray &array, int depth)
    {
        QList<TocItem> items;
        for (const QJsonValue &value : array) {
            if (!value.isObject())
                continue;
            const QJsonObject object = value.toObject();
            TocItem item;
            item.title = object.value(titleKey).toString();
            item.source = object.value(sourceKey).toString();
            const QJsonValue childs = object.value(childsKey);
            if (childs.isArray() && depth < maxDepth)
                item.children = fromJsonAt(childs.toArray(), depth + 1);
            items.append(item);
        }
        return items;
    }

} // namespace

QString path(const QString &bookFilePath)
{
    return QDir::toNativeSeparators(Paths::bookPath(bookFilePath) + QLatin1Char('/')
                                    + Paths::hashHex(bookFilePath) + QStringLiteral(".toc"));
}

QJsonArray toJson(const QList<TocItem> &items)
{
    return toJsonAt(items, 1);
}

QList<TocItem> fromJson(const QJsonArray &array)
{
    return fromJsonAt(array, 1);
}

QByteArray serialize(const QList<TocItem> &items)
{
    return QJsonDocument(toJson(items)).toJson();
}

bool read(const QString &filePath, QList<TocItem> *items, QString *errorMessage)
{
    items->clear();
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        if (errorMessage)
            *errorMessage = file.errorString();
        return false;
    }
    // A table of contents is small; a huge file is not one of ours.
    constexpr qint64 sizeLimit = 64 * 1024 * 1024;
    if (file.size() > sizeLimit) {
        if (errorMessage)
            *errorMessage = QStringLiteral("File too large");
        return false;
    }
    const QByteArray text = file.readAll();
    if (text.trimmed().isEmpty())
        return true;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray()) {
        if (errorMessage)
            *errorMessage = error.error != QJsonParseError::NoError
                    ? error.errorString()
                    : QStringLiteral("Not a JSON array");
        return false;
    }
    *items = fromJson(document.array());
    return true;
}

bool write(const QString &filePath, const QByteArray &text, bool replace, QString *errorMessage)
{
    if (!replace && QFileInfo::exists(filePath))
        return true;
    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        if (errorMessage)
            *errorMessage = file.errorString();
        return false;
    }
    return true;
}

} // namespace TocFile
