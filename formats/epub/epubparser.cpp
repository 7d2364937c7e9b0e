#include "formats/epub/epubparser.h"

#include "archive/archivepath.h"
#include "archive/zipreader.h"
#include "core/logger.h"
#include "core/paths.h"
#include "document/domloader.h"
#include "document/scriptstripper.h"
#include "document/textdocument.h"
#include "document/tocfile.h"
#include "formats/epub/epubdocument.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDebug>
#include <QDir>
#include <QDomDocument>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QSet>
#include <QTextStream>
#include <QUrl>
#include <QXmlStreamReader>

#include <cstdio>

namespace epub {

namespace {

    const QString xhtmlType = QStringLiteral("application/xhtml+xml");

    void log(const QString &text, int level)
    {
        Logger::instance()->write(text, level);
    }

    bool isImageName(const QString &name)
    {
        static const QStringList suffixes
                = { QStringLiteral("jpg"), QStringLiteral("jpeg"), QStringLiteral("png"),
                    QStringLiteral("gif"), QStringLiteral("svg"),  QStringLiteral("bmp"),
                    QStringLiteral("webp") };
        return !name.endsWith(QLatin1Char('/'))
                && suffixes.contains(QFileInfo(name).suffix().toLower());
    }

    // A picture named like a cover: "cover", then at least one character,
    // then one of the usual picture suffixes, anywhere in the name and in any
    // case. Looked for with plain searches: a backtracking pattern took
    // minutes on the names of tens of kilobytes that an archive can hold.
    bool isCoverName(const QString &name)
    {
        const int cover = name.indexOf(QLatin1String("cover"), 0, Qt::CaseInsensitive);
        if (cover < 0)
            return false;
        for (const char *suffix : { "jpg", "jpeg", "png", "svg" }) {
            if (name.indexOf(QLatin1String(suffix), cover + 6, Qt::CaseInsensitive) >= 0)
                return true;
        }
        return false;
    }

    // A book names its cover once or twice. Each name is looked for among all
    // the book's pictures, so thousands of names are not tried.
    constexpr int maximumCoverCandidates = 64;

    // Spine documents are small; a huge one is not a book's.
    constexpr qint64 markupSizeLimit = 256 * 1024 * 1024;
    // Stripping holds a document several times over in memory. Even a whole
    // long novel in one file stays far below this.
    constexpr qint64 strippedSizeLimit = 32 * 1024 * 1024;
    // The container, the package and the contents file are indexes; even a
    // dictionary's stay far below this. A larger one, unpacked from a small
    // book, would only exhaust memory in the parser.
    constexpr qint64 packageSizeLimit = 64 * 1024 * 1024;

    // A document the web page cannot take for markup: its name gives it a
    // type of its own (pictures, fonts, sounds, style sheets), and a
    // nameless picture is known by its first bytes.
    bool isInertFile(const QString &path)
    {
        static const QStringList inert
                = { QStringLiteral("png"),  QStringLiteral("jpg"),  QStringLiteral("jpeg"),
                    QStringLiteral("gif"),  QStringLiteral("bmp"),  QStringLiteral("webp"),
                    QStringLiteral("tif"),  QStringLiteral("tiff"), QStringLiteral("ico"),
                    QStringLiteral("ttf"),  QStringLiteral("otf"),  QStringLiteral("woff"),
                    QStringLiteral("woff2"), QStringLiteral("eot"), QStringLiteral("mp3"),
                    QStringLiteral("mp4"),  QStringLiteral("m4a"),  QStringLiteral("ogg"),
                    QStringLiteral("oga"),  QStringLiteral("ogv"),  QStringLiteral("webm"),
                    QStringLiteral("wav"),  QStringLiteral("aac"),  QStringLiteral("css") };
        if (inert.contains(QFileInfo(path).suffix().toLower()))
            return true;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return true;
        const QByteArray head = file.read(12);
        return head.startsWith("\x89PNG") || head.startsWith("\xff\xd8\xff")
                || head.startsWith("GIF8") || head.startsWith("BM")
                || (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP")
                || head.startsWith("wOFF") || head.startsWith("wOF2") || head.startsWith("OTTO")
                || head.startsWith(QByteArray("\0\1\0\0", 4));
    }

    bool readSmallFile(const QString &path, qint64 limit, QByteArray *content)
    {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly) || file.size() > limit)
            return false;
        *content = file.readAll();
        return true;
    }

    template<typename Markup>
    bool loadXml(QDomDocument *document, const Markup &markup, bool namespaceProcessing,
                 int depthLimit = DomLoader::maxDepth)
    {
        return DomLoader::load(document, markup, namespaceProcessing, depthLimit)
                == DomLoader::Result::Loaded;
    }

    // Puts content in place of the file at path in one step (a temporary file
    // renamed over it), so a reader never finds it half written. No sync to
    // disk: the file is a copy of what the book holds, and a book with scripts
    // in every chapter would open many times slower.
    bool replaceFile(const QString &path, const QByteArray &content)
    {
        QFile out(Paths::partFilePath(path));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        const bool written = out.write(content) == content.size() && out.flush();
        out.close();
        if (written
            && std::rename(QFile::encodeName(out.fileName()).constData(),
                           QFile::encodeName(path).constData())
                    == 0)
            return true;
        out.remove();
        return false;
    }

    // What tells one book file from another at the same path: its size,
    // its time and a hash of its first and last bytes (a copy that keeps
    // the time, or a same-sized edit, changes the hash). Empty when the file
    // cannot be read.
    QByteArray sourceStamp(const QString &path)
    {
        constexpr qint64 sample = 64 * 1024;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return QByteArray();
        QCryptographicHash hash(QCryptographicHash::Md5);
        hash.addData(file.read(sample));
        if (file.size() > sample) {
            file.seek(qMax(sample, file.size() - sample));
            hash.addData(file.read(sample));
        }
        const QFileInfo info(path);
        return QByteArray::number(info.size()) + ' '
                + QByteArray::number(info.lastModified().toMSecsSinceEpoch()) + ' '
                + hash.result().toHex();
    }

    // Removes what an earlier unpack left in folder, keeping the reader's
    // side files (named after the book's path hash) and the library's cover.
    void clearUnpacked(const QString &folder, const QString &sidePrefix, bool top)
    {
        const QFileInfoList entries = QDir(folder).entryInfoList(
                QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden | QDir::System);
        for (const QFileInfo &entry : entries) {
            const QString name = entry.fileName();
            if (entry.isDir() && !entry.isSymLink()) {
                clearUnpacked(entry.absoluteFilePath(), sidePrefix, false);
                QDir().rmdir(entry.absoluteFilePath()); // kept only when a side file is in it
            } else if (!name.startsWith(sidePrefix)
                       && !(top && name == QLatin1String("cover.png"))) {
                QFile::remove(entry.absoluteFilePath());
            }
        }
    }

} // namespace

EpubParser::EpubParser(EpubDocument *document)
    : QObject(document)
    , m_document(document)
{
}

EpubParser::~EpubParser() = default;

QString EpubParser::decodeHref(const QString &href)
{
    return QUrl::fromPercentEncoding(href.toUtf8());
}

int EpubParser::open(const QString &filePath, bool metadataOnly)
{
    m_bookFolder = Paths::bookPath(filePath);
    m_filePath = filePath;
    m_metadataOnly = metadataOnly;
    if (metadataOnly)
        return openMetadataOnly(filePath);

    // The storage folder is named after the path: a book replaced at the
    // same path must not show the files of the one before. A book is
    // unpacked (and its files stripped and checked) once per version of its
    // file; the stamp is written only when all of that is done.
    ZipReader reader;
    const QString sidePrefix = Paths::hashHex(filePath) + QLatin1Char('.');
    const QString stampPath = m_bookFolder + QLatin1Char('/') + sidePrefix + QStringLiteral("unpacked");
    const QByteArray stamp = sourceStamp(filePath);
    QByteArray stored;
    m_unpacking = stamp.isEmpty() || !readSmallFile(stampPath, 1024, &stored) || stored != stamp;
    if (m_unpacking) {
        QFile::remove(stampPath);
        clearUnpacked(m_bookFolder, sidePrefix, true);
        if (!reader.extract(filePath, m_bookFolder)) {
            log(QStringLiteral("Error unzip epub:%1").arg(filePath), Logger::Error);
            return Damaged;
        }
    } else {
        Paths::removePartFiles(m_bookFolder);
    }

    const QString containerPath
            = Paths::findFile(m_bookFolder, QStringLiteral("META-INF/container.xml"));
    QString opfPath = findOpfPath(containerPath);
    // A package path that climbs out of the book is as good as none.
    if (!opfPath.isEmpty() && ArchivePath::clean(opfPath).isNull())
        opfPath.clear();
    if (opfPath.isEmpty())
        log(QStringLiteral("Invalid epub:%1").arg(filePath), Logger::Error);

    setOpfFolder(opfPath);

    if (!opfPath.isEmpty())
        loadMetaData(Paths::findFile(m_bookFolder, opfPath));

    const QString encryptionPath
            = Paths::findFile(m_bookFolder, QStringLiteral("META-INF/encryption.xml"));
    if (!encryptionPath.isEmpty() && QFileInfo(encryptionPath).isFile()) {
        if (probeEncryption([this](const QString &href) { return spineFilePath(href); }))
            return Protected;
    }

    m_entries = reader.list(filePath);
    findCover(reader, filePath, m_bookFolder);

    const auto ncx = m_info.manifest.constFind(QStringLiteral("ncx"));
    loadToc(ncx != m_info.manifest.constEnd() ? ncx->href : QStringLiteral("toc.ncx"));
    loadSpine();
    if (m_unpacking && !stamp.isEmpty()) {
        QSaveFile file(stampPath);
        if (!file.open(QIODevice::WriteOnly) || file.write(stamp) != stamp.size() || !file.commit())
            log(QStringLiteral("Can not write:%1").arg(stampPath), Logger::Error);
    }
    return Parsed;
}

int EpubParser::openMetadataOnly(const QString &filePath)
{
    ZipReader reader;
    QString containerPath;
    if (!reader.extractFile(filePath, QStringLiteral("META-INF/container.xml"), m_bookFolder,
                            containerPath))
        return Damaged;
    const QString opfPath = findOpfPath(containerPath);
    if (opfPath.isEmpty() || ArchivePath::clean(opfPath).isNull())
        return Damaged;

    QString opfFile;
    if (!reader.extractFile(filePath, opfPath, m_bookFolder, opfFile) || opfFile.isEmpty()) {
        log(QStringLiteral("Can not extract opf-file"), Logger::Debug);
        return Damaged;
    }
    loadMetaData(opfFile);

    setOpfFolder(opfPath);

    QString encryptionFile;
    if (!reader.extractFile(filePath, QStringLiteral("META-INF/encryption.xml"), m_bookFolder,
                            encryptionFile))
        return Damaged;
    if (!encryptionFile.isEmpty() && QFileInfo(encryptionFile).isFile()) {
        bool extractFailed = false;
        const bool encrypted = probeEncryption([&](const QString &href) -> QString {
            if (extractFailed)
                return QString();
            const QString entry = entryName(m_opfDir, href);
            if (entry.isNull())
                return QString();
            QString extracted;
            if (!reader.extractFile(filePath, entry, m_bookFolder, extracted)) {
                extractFailed = true;
                return QString();
            }
            return extracted;
        });
        if (extractFailed)
            return Damaged;
        if (encrypted)
            return Protected;
    }

    findCover(reader, filePath, m_bookFolder);
    return Parsed;
}

void EpubParser::setOpfFolder(const QString &opfPath)
{
    // The package's folder, joined with "/" to the storage folder on this
    // system (a backslash is a file name character here).
    const QString opfRelative = QDir::fromNativeSeparators(opfPath);
    const int slash = opfRelative.lastIndexOf(QLatin1Char('/'));
    m_opfDir = slash < 0 ? QString() : ArchivePath::clean(opfRelative.left(slash));
    m_info.opfFolder = QDir::toNativeSeparators(
            m_opfDir.isEmpty() ? m_bookFolder : m_bookFolder + QLatin1Char('/') + m_opfDir);
}

QString EpubParser::entryName(const QString &opfDir, const QString &href) const
{
    // An absolute href ("/x", "C:x") never names a file of the book.
    const QString slashed = QString(href).replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (href.isEmpty() || slashed.startsWith(QLatin1Char('/'))
        || (slashed.size() > 1 && slashed.at(1) == QLatin1Char(':')))
        return QString();
    const QString joined
            = QDir::cleanPath(opfDir.isEmpty() ? href : opfDir + QLatin1Char('/') + href);
    return ArchivePath::clean(joined);
}

QString EpubParser::spineFilePath(const QString &href) const
{
    const QString entry = entryName(m_opfDir, href);
    if (entry.isNull())
        return QString();
    return ArchivePath::join(m_bookFolder, entry);
}

bool EpubParser::probeEncryption(const std::function<QString(const QString &)> &fileOfHref)
{
    for (const QString &idref : qAsConst(m_info.spine)) {
        const ManifestItem item = m_info.manifest.value(idref);
        if (item.mediaType != xhtmlType)
            continue;
        const QString path = fileOfHref(item.href);
        if (path.isEmpty() || !QFileInfo(path).isFile())
            continue;
        QByteArray content;
        if (!readSmallFile(path, markupSizeLimit, &content))
            continue;
        // Encrypted bytes fail at once; a document refused only for its
        // depth was read as XML that far.
        QDomDocument document;
        m_info.encrypted
                = DomLoader::load(&document, content, false) == DomLoader::Result::Malformed;
        return m_info.encrypted;
    }
    return false;
}

QString EpubParser::findOpfPath(const QString &containerPath)
{
    QString result;
    QByteArray content;
    if (!readSmallFile(containerPath, packageSizeLimit, &content)) {
        log(QStringLiteral("Can not open container: %1").arg(containerPath), Logger::Error);
        return result;
    }
    QDomDocument document;
    if (!loadXml(&document, content, false)) {
        log(QStringLiteral("Can not set content for xml-doc"), Logger::Error);
        return result;
    }
    const QDomNodeList rootfiles
            = document.documentElement().elementsByTagName(QStringLiteral("rootfile"));
    for (int i = 0; i < rootfiles.size(); ++i) {
        const QDomElement element = rootfiles.at(i).toElement();
        if (element.nodeName().compare(QLatin1String("rootfile"), Qt::CaseInsensitive) == 0
            && element.attribute(QStringLiteral("media-type"))
                            .compare(QLatin1String("application/oebps-package+xml"),
                                     Qt::CaseInsensitive)
                    == 0) {
            result = element.attribute(QStringLiteral("full-path"));
            break;
        }
    }
    log(QStringLiteral("OPF path:%1").arg(result), Logger::Debug);
    return result;
}

void EpubParser::loadMetaData(const QString &opfPath)
{
    log(QStringLiteral("Load meta data. Begin"), Logger::Info);
    QByteArray content;
    if (opfPath.isEmpty() || !readSmallFile(opfPath, packageSizeLimit, &content)) {
        log(QStringLiteral("Load meta data. Error opening file :%1").arg(opfPath), Logger::Error);
        return;
    }
    QDomDocument document;
    if (!loadXml(&document, content, true)) {
        log(QStringLiteral("Load meta data. Error loading xml-file :%1").arg(opfPath),
            Logger::Error);
        return;
    }

    log(QStringLiteral("Parse meta data. Begin"), Logger::Info);
    const auto store = [this](const QString &key, const QString &value) {
        const int index = BookInfo::metadataIndex(key);
        m_info.setField(index < 0 ? 0 : index, value);
    };
    const QDomNodeList metadata = document.elementsByTagName(QStringLiteral("metadata"));
    for (int i = 0; i < metadata.size(); ++i) {
        for (QDomElement child = metadata.at(i).firstChildElement(); !child.isNull();
             child = child.nextSiblingElement()) {
            if (child.nodeName().toLower() == QLatin1String("meta")) {
                const QString name = child.attribute(QStringLiteral("name"));
                const QString content = child.attribute(QStringLiteral("content"));
                if (!name.isEmpty() && !content.isEmpty())
                    store(name, content);
            } else {
                store(child.nodeName(), child.text());
            }
        }
    }
    log(QStringLiteral("Parse meta data. Complete"), Logger::Info);

    log(QStringLiteral("Parse manifest data. Begin"), Logger::Info);
    const QDomNodeList manifests = document.elementsByTagName(QStringLiteral("manifest"));
    for (int i = 0; i < manifests.size(); ++i) {
        const QDomNodeList items
                = manifests.at(i).toElement().elementsByTagName(QStringLiteral("item"));
        for (int j = 0; j < items.size(); ++j) {
            QCoreApplication::processEvents();
            const QDomElement element = items.at(j).toElement();
            ManifestItem item;
            item.id = element.attribute(QStringLiteral("id"));
            item.mediaType = element.attribute(QStringLiteral("media-type"));
            item.href = decodeHref(element.attribute(QStringLiteral("href")));
            if (item.id.compare(QLatin1String("cover"), Qt::CaseInsensitive) == 0)
                qDebug() << "Cover:" << item.href;
            if (item.mediaType == xhtmlType)
                log(QStringLiteral("Href:%1").arg(item.href), Logger::Debug);
            m_info.manifest.insert(item.id, item);
        }
    }
    log(QStringLiteral("Parse manifest data. Complete"), Logger::Info);

    log(QStringLiteral("Parse spine data. Begin"), Logger::Info);
    const QDomNodeList spines = document.elementsByTagName(QStringLiteral("spine"));
    for (int i = 0; i < spines.size(); ++i) {
        const QDomNodeList refs
                = spines.at(i).toElement().elementsByTagName(QStringLiteral("itemref"));
        for (int j = 0; j < refs.size(); ++j)
            m_info.spine.append(refs.at(j).toElement().attribute(QStringLiteral("idref")));
    }
    log(QStringLiteral("Parse spine data. Complete"), Logger::Info);
    log(QStringLiteral("Load meta data. Complete"), Logger::Info);
}

QString EpubParser::extractImage(ArchiveReader &reader, const QString &filePath,
                                 const QString &folder, const QStringList &images,
                                 const std::function<bool(const QString &)> &accepts)
{
    QString chosen;
    for (const QString &name : images) {
        if (accepts(name))
            chosen = name;
    }
    if (chosen.isEmpty())
        return QString();
    // Reading mode has unpacked everything already.
    const QString target = ArchivePath::join(folder, chosen);
    if (target.isNull())
        return QString();
    if (QFileInfo(target).isFile())
        return target;
    QString extracted;
    if (!reader.extractFile(filePath, chosen, folder, extracted))
        return QString();
    return extracted;
}

void EpubParser::findCover(ArchiveReader &reader, const QString &filePath, const QString &folder)
{
    // Names from the book are matched as plain text: a cover id such as
    // "cover(1).jpg" is no pattern.
    const QStringList candidates = m_info.coverage;
    QStringList images;
    const QStringList names = m_entries.isEmpty() ? reader.list(filePath) : m_entries;
    for (const QString &name : names) {
        if (isImageName(name))
            images.append(name);
    }
    QString found;
    int tried = 0;
    for (const QString &candidate : candidates) {
        if (!found.isEmpty() || tried == maximumCoverCandidates)
            break;
        if (candidate.isEmpty())
            continue;
        ++tried;
        qDebug() << "SEARCH FIRST COVER:" << candidate;
        QString needle = candidate;
        const auto item = m_info.manifest.constFind(candidate);
        if (item != m_info.manifest.constEnd()) {
            qDebug() << "FOUND COVER IN MANIFEST:"
                     << "HREF:" << item->href << " media:" << item->mediaType;
            if (item->mediaType.startsWith(QLatin1String("image/")) && !item->href.isEmpty())
                needle = item->href;
        }
        found = extractImage(reader, filePath, folder, images, [&needle](const QString &name) {
            return name.contains(needle, Qt::CaseInsensitive);
        });
        if (found.isEmpty())
            qDebug() << "COVER BY MANIFEST NOT FOUND:" << needle;
        else
            qDebug() << "COVER BY MANIFEST FOUND:" << found;
    }
    if (found.isEmpty()) {
        qDebug() << "TRY SEARCH COVER...";
        found = extractImage(reader, filePath, folder, images, isCoverName);
        if (found.isEmpty())
            qDebug() << "COVER NOT FOUND";
    }
    qDebug() << "RESULT COVER PATH:" << found;
    m_info.setCoverPath(found);
}

QJsonObject EpubParser::tocEntry(QXmlStreamReader &reader, int depth)
{
    QJsonObject entry;
    QJsonArray childs;
    bool hasChilds = false;
    const auto is = [&reader](const char *name) {
        return reader.qualifiedName().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    };
    while (reader.readNextStartElement()) {
        if (is("navLabel")) {
            while (reader.readNextStartElement()) {
                if (is("text")) {
                    entry.insert(QStringLiteral("Title"),
                                 reader.readElementText(QXmlStreamReader::IncludeChildElements));
                } else {
                    reader.skipCurrentElement();
                }
            }
        } else if (is("content")) {
            const QString src = reader.attributes().value(QStringLiteral("src")).toString();
            log(QStringLiteral("src%1").arg(src), Logger::Debug);
            entry.insert(QStringLiteral("Source"), m_info.opfFolder + QLatin1Char('/') + src);
            reader.skipCurrentElement();
        } else if (is("navPoint") && depth < TocFile::maxDepth) {
            childs.append(tocEntry(reader, depth + 1));
            hasChilds = true;
        } else {
            // Nesting beyond any real book's is passed over without being
            // built, so a hostile file costs neither stack nor time.
            reader.skipCurrentElement();
        }
    }
    if (hasChilds)
        entry.insert(QStringLiteral("Childs"), childs);
    return entry;
}

void EpubParser::loadToc(const QString &tocFileName)
{
    // An empty name would match the first file of the book.
    const QString path
            = tocFileName.isEmpty() ? QString() : Paths::findFile(m_bookFolder, tocFileName);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)
        || file.size() > packageSizeLimit) {
        log(QStringLiteral("Load TOC. Error opening ncx-file:%1").arg(path), Logger::Error);
        return;
    }
    QTextStream stream(&file);
    stream.setCodec("utf-8");
    // Read as a stream rather than into a tree: a contents file nested
    // thousands of levels deep took seconds to build as a tree, and only
    // the first levels are kept anyway.
    QXmlStreamReader reader(stream.readAll());
    QJsonArray entries;
    while (!reader.atEnd()) {
        reader.readNext();
        if (!reader.isStartElement() || reader.qualifiedName() != QLatin1String("navMap"))
            continue;
        while (reader.readNextStartElement()) {
            if (reader.qualifiedName().compare(QLatin1String("navPoint"), Qt::CaseInsensitive)
                == 0)
                entries.append(tocEntry(reader, 1));
            else
                reader.skipCurrentElement();
        }
    }
    if (reader.hasError()) {
        log(QStringLiteral("Loading TOC. Error loading xml from ncx-file:%1: %2")
                    .arg(path, reader.errorString()),
            Logger::Error);
        return;
    }
    m_info.tocJson = QString::fromUtf8(QJsonDocument(entries).toJson());
}

void EpubParser::stripDocument(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return;
    QByteArray content;
    if (info.size() > strippedSizeLimit || !readSmallFile(path, strippedSizeLimit, &content)) {
        // The page must not get the scripts back: better no document.
        log(QStringLiteral("Document too large to strip of scripts, removed:%1").arg(path),
            Logger::Error);
        QFile::remove(path);
        return;
    }
    bool changed = false;
    const QByteArray withoutScripts = ScriptStripper::strip(content, &changed);
    if (!changed)
        return;
    if (!replaceFile(path, withoutScripts)) {
        log(QStringLiteral("Can not remove scripts from:%1").arg(path), Logger::Error);
        QFile::remove(path);
    }
}

void EpubParser::checkPicture(const QString &path, qint64 *pixelBudget)
{
    // The formats the web page decodes itself; a vector picture is drawn
    // at the size of the page.
    static const QList<QByteArray> decoded = { "png", "jpeg", "jpg", "gif", "bmp", "ico", "webp" };
    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    if (!reader.canRead() || !decoded.contains(reader.format().toLower()))
        return;
    if (TextDocument::allowPictureSize(reader.size(), pixelBudget))
        return;
    log(QStringLiteral("Picture of %1x%2 pixels left out:%3")
                .arg(reader.size().width())
                .arg(reader.size().height())
                .arg(path),
        Logger::Warning);
    reader.setDevice(nullptr);
    // An empty picture in its place: the page shows nothing there, and the
    // file is not unpacked again.
    QImage empty(1, 1, QImage::Format_ARGB32);
    empty.fill(Qt::transparent);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    empty.save(&buffer, "PNG");
    if (!replaceFile(path, bytes))
        QFile::remove(path);
}

void EpubParser::writeToc()
{
    QString error;
    if (m_document
        && !TocFile::write(TocFile::path(m_document->filePath()), m_info.tocJson.toUtf8(), false,
                           &error))
        log(QStringLiteral("Can not write TOC:%1").arg(error), Logger::Error);
}

void EpubParser::loadSpine()
{
    QElapsedTimer timer;
    timer.start();
    qDebug() << "epub::EpubParser::loadSpine"
             << "begin:";

    QStringList files { m_info.opfFolder };
    for (const QString &idref : qAsConst(m_info.spine)) {
        const ManifestItem item = m_info.manifest.value(idref);
        if (item.mediaType != xhtmlType)
            continue;
        // An entry that names a place in a file ("a.xhtml#part2") names the
        // file; entries of one file in a row are one step of reading.
        const QString href = item.href.section(QLatin1Char('#'), 0, 0);
        if (href.isEmpty() || (files.size() > 1 && files.last() == href))
            continue;
        // Never hand the viewer a file outside the book.
        const QString path = spineFilePath(href);
        if (path.isNull()) {
            log(QStringLiteral("Spine item outside the book skipped:%1").arg(item.href),
                Logger::Warning);
            continue;
        }
        // A file the book lacks has nothing to show and would stop the reader.
        if (!QFileInfo(path).isFile()) {
            log(QStringLiteral("Spine item missing from the book skipped:%1").arg(item.href),
                Logger::Warning);
            continue;
        }
        files.append(href);
    }
    if (m_document)
        m_document->setSpineFiles(files);

    // Done once, when the book is unpacked.
    if (!m_unpacking) {
        writeToc();
        return;
    }
    // Every document of the book is stripped, not only the spine: a chapter
    // can show any other file in a frame or an object. A spine may name one
    // document many times; it is stripped once.
    QSet<QString> stripped;
    const auto strip = [&](const QString &path) {
        if (path.isEmpty() || stripped.contains(path))
            return;
        stripped.insert(path);
        stripDocument(path);
    };
    for (int i = 1; i < files.size(); ++i)
        strip(QDir::toNativeSeparators(spineFilePath(files.at(i))));
    // The web page decodes every picture whole, whatever its size: each is
    // held to the size check of the other readers' pictures, and all of
    // them together to a budget for the book's size.
    qint64 pixelBudget = TextDocument::pictureBudget(QFileInfo(m_filePath).size());
    for (const QString &entry : qAsConst(m_entries)) {
        const QString path = ArchivePath::join(m_bookFolder, entry);
        if (path.isNull() || path.endsWith(QLatin1Char('/')))
            continue;
        if (!isInertFile(path))
            strip(QDir::toNativeSeparators(path));
        checkPicture(path, &pixelBudget);
    }

    writeToc();

    qDebug() << "epub::EpubParser::loadSpine"
             << "end time:" << timer.elapsed();
}

} // namespace epub
