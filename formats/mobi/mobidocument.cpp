#include "formats/mobi/mobidocument.h"

#include "core/logger.h"
#include "core/paths.h"
#include "document/scriptstripper.h"
#include "document/tocfile.h"
#include "formats/mobi/mobifile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextCodec>
#include <QUrl>

#include <algorithm>

namespace mobi {

namespace {

    bool writeWhole(const QString &path, const QByteArray &bytes)
    {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()
            || !file.commit()) {
            Logger::instance()->write(
                    QStringLiteral("MOBI: cannot write %1: %2").arg(path, file.errorString()),
                    Logger::Error);
            return false;
        }
        return true;
    }

} // namespace

MobiDocument::MobiDocument(const QString &filePath, QObject *parent)
    : TextDocument(parent)
    , m_reader(new MobiFile(filePath))
    , m_filePath(filePath)
{
}

MobiDocument::~MobiDocument() = default;

bool MobiDocument::load()
{
    m_files.clear();
    m_headings.clear();
    m_toc.clear();
    m_html.clear();
    setStatus(Damaged);

    const MobiFile &book = *m_reader;
    const Compression kind = book.compression();
    const bool knownCompression = book.compressionType() == 1 || kind != Compression::None;
    if (!book.isOpen() || !knownCompression) {
        Logger::instance()->write(QStringLiteral("MOBI: not a readable book: %1").arg(m_filePath),
                                  Logger::Error);
        return false;
    }
    if (book.isEncrypted()) {
        setStatus(Protected);
        Logger::instance()->write(QStringLiteral("MOBI: book is encrypted: %1").arg(m_filePath),
                                  Logger::Error);
        return false;
    }
    QTextCodec *codec = book.textCodec();
    if (!codec && !book.hasMobiHeader())
        codec = QTextCodec::codecForName("windows-1252"); // plain PalmDOC books are Latin text
    if (!codec) {
        book.text(); // logs the unknown encoding
        return false;
    }
    const QByteArray text = book.rawText();
    if (text.isEmpty()) {
        Logger::instance()->write(
                QStringLiteral("MOBI: no text could be decoded: %1").arg(m_filePath),
                Logger::Error);
        return false;
    }
    m_html = convertToHtml(text, codec, book.imageCount(), &m_headings);

    const QString folder = Paths::bookPath(m_filePath);
    const QString name = QFileInfo(QDir::fromNativeSeparators(folder)).fileName();
    m_htmlFileName = name + QStringLiteral(".html");
    rebuildToc();

    const QString htmlPath = QDir::toNativeSeparators(folder + QLatin1Char('/') + m_htmlFileName);
    const QByteArray page = QByteArrayLiteral("<head><meta http-equiv=\"Content-Type\" "
                                              "content=\"text/html; charset = utf-8\"/></head>")
            + m_html.toUtf8();
    // The book's own markup goes to the web page: stripped of scripts as
    // EPUB chapters are.
    if (!writeWhole(htmlPath, ScriptStripper::strip(page, nullptr)))
        return false;
    writePictures(folder);

    QString error;
    const QString tocPath
            = QDir::toNativeSeparators(folder + QLatin1Char('/') + name + QStringLiteral(".toc"));
    if (!TocFile::write(tocPath, TocFile::serialize(m_toc), true, &error))
        Logger::instance()->write(QStringLiteral("MOBI: cannot write %1: %2").arg(tocPath, error),
                                  Logger::Error);

    m_files = QStringList { folder, m_htmlFileName };
    setStatus(Ok);
    return true;
}

bool MobiDocument::writePictures(const QString &folder) const
{
    bool written = true;
    const int count = m_reader->imageCount();
    // The record list may name one small picture of many megapixels
    // thousands of times; each would be decoded, encoded and written again.
    qint64 pixelBudget = pictureBudget(QFileInfo(m_filePath).size());
    for (int n = 0; n < count; ++n) {
        const QString path
                = QDir::toNativeSeparators(folder + QLatin1Char('/') + pictureFileName(n));
        const QImage picture = m_reader->image(n, &pixelBudget);
        if (picture.isNull())
            continue; // not a picture (index and end records follow the pictures)
        if (!picture.save(path, "JPG")) {
            Logger::instance()->write(QStringLiteral("MOBI: cannot write %1").arg(path),
                                      Logger::Error);
            written = false;
        }
    }
    return written;
}

void MobiDocument::rebuildToc()
{
    m_toc.clear();
    // One pass over the document for all the headings: a book of tens of
    // thousands of them read it once per heading.
    const QHash<QString, int> anchors = anchorPositions();
    for (const Heading &heading : qAsConst(m_headings)) {
        TocItem item;
        item.title = heading.title;
        item.source = m_htmlFileName + QLatin1Char('#') + heading.id;
        item.position = heading.id.isEmpty() ? 0 : anchors.value(heading.id, 0);
        m_toc.append(item);
    }
}

void MobiDocument::reload()
{
    clear();
    if (m_html.isEmpty()) {
        load();
        return;
    }
    setHtml(m_html);
    rebuildToc();
}

QSize MobiDocument::imageSize(const QString &name)
{
    const auto it = m_images.constFind(name);
    return it == m_images.constEnd() ? QSize() : it->size();
}

QList<TocItem> MobiDocument::tableOfContents()
{
    for (TocItem &item : m_toc)
        item.page = pageByPosition(item.position);
    std::stable_sort(m_toc.begin(), m_toc.end(),
                     [](const TocItem &a, const TocItem &b) { return a.page < b.page; });
    return m_toc;
}

QString MobiDocument::titleByPosition(int position)
{
    return titleOfSection(m_toc, position);
}

QVariant MobiDocument::loadResource(int type, const QUrl &name)
{
    if (type != QTextDocument::ImageResource || name.scheme() != QLatin1String("pdbrec"))
        return QVariant();
    bool ok = false;
    const uint number = name.path().mid(1).toUShort(&ok);
    if (!ok || number < 1 || int(number) > m_reader->imageCount())
        return QVariant();
    const QImage picture = m_reader->image(int(number) - 1);
    if (picture.isNull())
        return QVariant();
    m_images.insert(name.toString(), picture);
    addResource(type, name, picture);
    return picture;
}

} // namespace mobi
