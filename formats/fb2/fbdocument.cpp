#include "formats/fb2/fbdocument.h"

#include "core/logger.h"
#include "core/paths.h"
#include "document/tocfile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QUrl>

namespace fb2 {

namespace {

    const QString titleKey = QStringLiteral("Title");
    const QString sourceKey = QStringLiteral("Source");
    const QString childsKey = QStringLiteral("Childs");

    // A book of more leaf sections than this writes several to one page (one
    // file and one step of the pagination helper each made a book of a
    // hundred thousand sections take minutes), up to about this many
    // characters a page; its contents entries then name their place in the
    // page.
    constexpr int packedLeafThreshold = 1000;
    constexpr int packedPageCharacters = 64 * 1024;

    int leafCount(const QList<FbSection> &sections)
    {
        int count = 0;
        for (const FbSection &section : sections)
            count += section.subsections.isEmpty() ? 1 : leafCount(section.subsections);
        return count;
    }

    // Pictures larger than this on a side are scaled down before the text
    // layout gets them.
    constexpr int layoutImageSide = 350;

    bool isTextFile(const QString &path)
    {
        return QFileInfo(path).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0;
    }

    QList<TocItem> positioned(const QList<TocItem> &items, TextDocument *document,
                              const QHash<QString, int> &anchors)
    {
        QList<TocItem> result;
        result.reserve(items.size());
        for (const TocItem &item : items) {
            TocItem entry;
            entry.title = item.title;
            entry.position = item.source.isEmpty() ? 0 : anchors.value(item.source, 0);
            entry.page = document->pageByPosition(entry.position);
            entry.children = positioned(item.children, document, anchors);
            result.append(entry);
        }
        return result;
    }

} // namespace

FbDocument::FbDocument(const QString &path, QObject *parent)
    : TextDocument(parent)
    , m_path(path)
{
}

FbDocument::~FbDocument() = default;

bool FbDocument::textToFb2(const QString &path)
{
    return m_description.loadFile(path, 0, m_encoding);
}

QString FbDocument::authorName() const
{
    const FbAuthor &author = m_description.titleInfo().author;
    QStringList parts;
    for (const QString &part : { author.firstName, author.middleName, author.lastName }) {
        if (!part.trimmed().isEmpty())
            parts.append(part.trimmed());
    }
    return parts.join(QLatin1Char(' '));
}

bool FbDocument::load()
{
    m_pages.clear();
    m_description.bodies.clear();
    // Parse first: a book that cannot be read leaves the pages of an earlier
    // load in place and is reported, not shown as an empty book.
    if (!m_description.loadFile(m_path, 0, m_encoding)) {
        setStatus(m_description.isTooLarge() ? TooLarge : Damaged);
        Logger::instance()->write(
                QStringLiteral("FB2: cannot read %1: %2").arg(m_path, m_description.lastError()),
                Logger::Error);
        reload();
        return false;
    }
    setStatus(Ok);
    reload();

    const QString folder = QDir::fromNativeSeparators(Paths::bookPath(m_path));
    const QDir storage(folder);
    for (const QString &name : storage.entryList(QDir::Files)) {
        if (QFileInfo(name).suffix().compare(QLatin1String("html"), Qt::CaseInsensitive) == 0)
            QFile::remove(storage.filePath(name));
    }
    m_pages.append(QDir::toNativeSeparators(folder));
    writePictures(folder);

    const bool text = isTextFile(m_path);
    const QString bookFileName = QFileInfo(m_path).fileName();
    int counter = 1;
    int leaves = 0;
    for (const FbBody &body : qAsConst(m_description.bodies))
        leaves += leafCount(body.sections);
    m_packLeaves = leaves > packedLeafThreshold;
    m_packed.clear();
    QJsonArray toc;
    for (int i = 0; i < m_description.bodies.size(); ++i) {
        FbBody &body = m_description.bodies[i];
        QJsonObject object;
        if (!text) {
            QString fragment;
            if (!body.title.isEmpty())
                fragment
                        += QStringLiteral("<h2 id=\"%1\">%2</h2>").arg(body.anchorId(), body.title);
            for (const QString &epigraph : qAsConst(body.epigraphs))
                fragment += QLatin1String("<p>") + epigraph + QLatin1String("</p>");
            if (body.image.isEmpty() && i == 0 && storage.exists(QStringLiteral("cover.png")))
                fragment += imageHtml(QStringLiteral("cover.png"));
            else if (!body.image.isEmpty())
                fragment += imageHtml(body.image);
            QString fileName;
            writePacked(folder, bookFileName, counter);
            writePage(folder, bookFileName, fragment, counter, &fileName);
            object.insert(titleKey, plainTitle(body.title));
            object.insert(sourceKey, fileName);
        }
        QJsonArray childs;
        for (FbSection &section : body.sections)
            writeSection(folder, bookFileName, section, counter, object, childs);
        if (!childs.isEmpty())
            object.insert(childsKey, childs);
        toc.append(object);
    }
    writePacked(folder, bookFileName, counter);

    if (!text) {
        QString error;
        const QString tocPath = TocFile::path(m_path);
        if (!TocFile::write(tocPath, QJsonDocument(toc).toJson(), true, &error))
            Logger::instance()->write(
                    QStringLiteral("FB2: cannot write %1: %2").arg(tocPath, error), Logger::Error);
    }
    return true;
}

void FbDocument::writePictures(const QString &folder)
{
    for (auto it = m_description.images.constBegin(); it != m_description.images.constEnd(); ++it) {
        const QString fileName = imageFileName(it.key());
        const QByteArray format = QFileInfo(fileName).suffix().toLower().toLatin1();
        if (it.value().isNull() || format.isEmpty())
            continue;
        const QString path = QDir::toNativeSeparators(folder + QLatin1Char('/') + fileName);
        if (!it.value().save(path, format.constData()))
            Logger::instance()->write(QStringLiteral("FB2: cannot save picture %1").arg(path),
                                      Logger::Warning);
    }
}

void FbDocument::writePacked(const QString &folder, const QString &bookFileName, int &counter)
{
    if (m_packed.isEmpty())
        return;
    QString fileName;
    writePage(folder, bookFileName, m_packed, counter, &fileName);
    m_packed.clear();
}

bool FbDocument::writePage(const QString &folder, const QString &bookFileName,
                           const QString &fragment, int &counter, QString *fileName)
{
    const QString name = QStringLiteral("%1_%2.html").arg(bookFileName).arg(counter);
    const QString path = QDir::toNativeSeparators(folder + QLatin1Char('/') + name);
    const QByteArray page = QStringLiteral("<html><head><meta http-equiv=\"Content-Type\" "
                                           "content=\"text/html; charset = utf-8\"/></head><body>"
                                           "%1</body></html>")
                                    .arg(fragment)
                                    .toUtf8();
    // Pages are made afresh at every load and are never read half written
    // (the viewer reads them only once the load is over): no sync per page,
    // which made a book of many sections take minutes.
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(page) != page.size()
        || !file.flush()) {
        Logger::instance()->write(
                QStringLiteral("FB2: cannot write page %1: %2").arg(path, file.errorString()),
                Logger::Error);
        return false;
    }
    ++counter;
    m_pages.append(name);
    *fileName = name;
    return true;
}

void FbDocument::writeSection(const QString &folder, const QString &bookFileName,
                              FbSection &section, int &counter, QJsonObject &parent,
                              QJsonArray &parentChilds)
{
    if (section.subsections.isEmpty() && m_packLeaves) {
        if (m_packed.isEmpty())
            m_packedName = QStringLiteral("%1_%2.html").arg(bookFileName).arg(counter);
        // A titled section's heading carries its anchor; an untitled one
        // gets an anchor of its own.
        if (section.title.isEmpty())
            m_packed += QStringLiteral("<a id=\"%1\"></a>").arg(section.anchorId());
        m_packed += section.toHtml();
        const QString source = m_packedName + QLatin1Char('#') + section.anchorId();
        section.pageFile = m_packedName;
        parentChilds.append(
                QJsonObject { { titleKey, plainTitle(section.title) }, { sourceKey, source } });
        if (!parent.contains(sourceKey))
            parent.insert(sourceKey, source);
        if (m_packed.size() >= packedPageCharacters)
            writePacked(folder, bookFileName, counter);
        return;
    }
    if (section.subsections.isEmpty()) {
        QString fileName;
        if (!writePage(folder, bookFileName, section.toHtml(), counter, &fileName))
            return;
        section.pageFile = fileName;
        parentChilds.append(
                QJsonObject { { titleKey, plainTitle(section.title) }, { sourceKey, fileName } });
        if (!parent.contains(sourceKey))
            parent.insert(sourceKey, fileName);
        return;
    }
    if (!section.image.isEmpty()) {
        QString fileName;
        writePacked(folder, bookFileName, counter);
        if (writePage(folder, bookFileName, imageHtml(section.image), counter, &fileName))
            section.pageFile = fileName;
    }
    QJsonObject object { { titleKey, plainTitle(section.title) } };
    // The children are gathered here and put in once: putting each in the
    // object as it came copied the list every time.
    QJsonArray childs;
    // Its own source becomes the page of its first leaf child (a section
    // with subsections never gives its parent a source).
    for (FbSection &subsection : section.subsections)
        writeSection(folder, bookFileName, subsection, counter, object, childs);
    object.insert(childsKey, childs);
    parentChilds.append(object);
}

void FbDocument::reload()
{
    m_tocState.document = this;
    m_tocState.description = &m_description;
    setHtml(m_description.html);
}

QSize FbDocument::imageSize(const QString &name)
{
    return m_description.images.value(name).size();
}

QVariant FbDocument::loadResource(int type, const QUrl &name)
{
    if (type != QTextDocument::ImageResource)
        return QVariant();
    const QString key = name.path(QUrl::FullyDecoded);
    const auto it = m_description.images.constFind(key);
    if (it == m_description.images.constEnd())
        return QVariant();
    QImage image = it.value();
    if (image.width() > layoutImageSide || image.height() > layoutImageSide)
        image = image.scaled(layoutImageSide, layoutImageSide, Qt::KeepAspectRatio,
                             Qt::FastTransformation);
    addResource(type, name, image);
    return image;
}

QList<TocItem> FbDocument::tableOfContents()
{
    m_tocState.entries = positioned(m_description.tocItems(), this, anchorPositions());
    return m_tocState.entries;
}

QString FbDocument::titleByPosition(int position)
{
    return titleOfSection(tableOfContents(), position);
}

} // namespace fb2
