#include "comics/comicdocument.h"

#include "archive/archivereader.h"
#include "core/logger.h"
#include "core/paths.h"
#include "document/textdocument.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QTemporaryDir>

#include <algorithm>

namespace comics {

namespace {

    // A page file larger than this is no page of a book; it is not read into
    // memory.
    constexpr qint64 maximumPageBytes = qint64(256) * 1024 * 1024;

    void logDebug(const QString &text)
    {
        Logger::instance()->write(text, Logger::Debug);
    }

    const QStringList &pictureSuffixes()
    {
        static const QStringList suffixes = [] {
            QStringList list;
            const QList<QByteArray> formats = QImageReader::supportedImageFormats();
            for (const QByteArray &format : formats)
                list.append(QString::fromLatin1(format).toLower());
            return list;
        }();
        return suffixes;
    }

    // Whether data starts as a picture whose declared size the book may
    // decode.
    bool hasPictureHeader(const QByteArray &data, qint64 pixelBudget)
    {
        QBuffer buffer;
        buffer.setData(data);
        buffer.open(QIODevice::ReadOnly);
        QImageReader reader(&buffer);
        reader.setDecideFormatFromContent(true);
        return reader.canRead() && TextDocument::allowPictureSize(reader.size(), &pixelBudget);
    }

} // namespace

ComicDocument::ComicDocument(QObject *parent)
    : ImageDocument(parent)
{
}

ComicDocument::~ComicDocument() = default;

bool ComicDocument::isPageName(const QString &entryName)
{
    QString name = entryName;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (name.isEmpty() || name.endsWith(QLatin1Char('/')))
        return false;
    // Packers on one system add a resource fork beside every file ("._p1.jpg",
    // under "__MACOSX/"): pictures by their ending, but no pages.
    const QStringList steps = name.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (steps.contains(QLatin1String("__MACOSX")) || steps.last().startsWith(QLatin1String("._")))
        return false;
    return pictureSuffixes().contains(QFileInfo(steps.last()).suffix().toLower());
}

bool ComicDocument::load(const QString &filePath)
{
    logDebug(QStringLiteral("-----------------------------"));
    logDebug(QStringLiteral("Loading begin. File: %1").arg(filePath));
    m_filePath = filePath;
    m_loaded = false;
    m_lastError.clear();
    Paths::bookPath(filePath);
    m_reader = ArchiveReader::create(filePath);
    m_pixelBudget = TextDocument::pictureBudget(QFileInfo(filePath).size());

    QStringList names = m_reader->list(filePath);
    names.erase(std::remove_if(names.begin(), names.end(),
                               [](const QString &name) { return !isPageName(name); }),
                names.end());
    // Letter case counts only between names that are otherwise the same,
    // so every opening numbers the pages alike.
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        const int order = a.compare(b, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a < b;
    });
    m_pages = names;

    if (m_pages.isEmpty()) {
        const QString problem = m_reader->problem(filePath);
        m_lastError = problem.isEmpty() ? tr("the comic holds no pictures") : problem;
    } else {
        // A comic whose every page is damaged must not open as an empty
        // frame. Mostly the first page answers at once; its header is
        // enough, the viewer decodes it right after.
        bool readable = false;
        for (int page = 1; page <= m_pages.size() && !readable; ++page)
            readable = hasPictureHeader(pageData(page), m_pixelBudget);
        if (!readable) {
            const QString problem = m_reader->problem(filePath);
            m_lastError = problem.isEmpty() ? tr("none of its pages can be shown") : problem;
        }
    }
    m_loaded = m_lastError.isEmpty();

    logDebug(QStringLiteral("Loading complete"));
    logDebug(QStringLiteral("Page count:%1").arg(m_pages.size()));
    if (!m_loaded)
        logDebug(QStringLiteral("Not readable: %1").arg(m_lastError));
    logDebug(QStringLiteral("-----------------------------"));
    return m_loaded;
}

QByteArray ComicDocument::pageData(int page) const
{
    if (!m_reader || page < 1 || page > m_pages.size())
        return QByteArray();
    QTemporaryDir folder(Paths::bookPath(m_filePath) + QStringLiteral("/page-XXXXXX"));
    if (!folder.isValid())
        return QByteArray();
    QString written;
    if (!m_reader->extractFile(m_filePath, m_pages.at(page - 1), folder.path(), written))
        return QByteArray();
    QFile file(written);
    if (!file.open(QIODevice::ReadOnly) || file.size() > maximumPageBytes)
        return QByteArray();
    return file.readAll();
}

QImage ComicDocument::decodePage(int page, qint64 *pixelBudget) const
{
    const QByteArray data = pageData(page);
    if (data.isEmpty())
        return QImage();
    return TextDocument::decodeImage(data, pixelBudget);
}

QImage ComicDocument::pageImage(int page)
{
    qint64 budget = m_pixelBudget;
    return decodePage(page, &budget);
}

QPair<QImage, QImage> ComicDocument::pageImages(int first, int second)
{
    qint64 budget = m_pixelBudget;
    QImage firstImage = decodePage(first, &budget);
    QImage secondImage = decodePage(second, &budget);
    return qMakePair(firstImage, secondImage);
}

int ComicDocument::pageCount()
{
    return m_pages.size();
}

bool ComicDocument::isValidPage(int page)
{
    return page >= 1 && page <= m_pages.size();
}

QList<SearchResult> ComicDocument::search(const QString &text)
{
    if (text.isEmpty())
        return {};
    bool isNumber = false;
    const int number = text.toInt(&isNumber, 10);
    if (!isNumber || !isValidPage(number))
        return {};
    SearchResult jump;
    jump.title = titleByPosition(number);
    jump.position = number;
    jump.text = tr("Go to page %1").arg(number);
    jump.page = number;
    jump.isPageJump = true;
    return { jump };
}

void ComicDocument::setPageByPosition(int position)
{
    setPage(position);
}

QList<TocItem> ComicDocument::tableOfContents()
{
    QList<TocItem> entries;
    for (int page = 1; page <= m_pages.size(); ++page) {
        TocItem entry;
        entry.title = titleByPosition(page);
        entry.position = page;
        entry.page = page;
        entries.append(entry);
    }
    return entries;
}

QString ComicDocument::titleByPosition(int position)
{
    return tr("Page %1").arg(position);
}

int ComicDocument::pageByPosition(int position)
{
    return position;
}

int ComicDocument::calcProgressByPage(const int page) const
{
    if (m_pages.isEmpty())
        return 0;
    return int(float(page) / float(m_pages.size()) * 100.0f);
}

float ComicDocument::progress()
{
    return float(calcProgressByPage(currentPage()));
}

int ComicDocument::currentPosition()
{
    return currentPage();
}

bool ComicDocument::isLoaded()
{
    return m_loaded;
}

QString ComicDocument::title() const
{
    return QFileInfo(m_filePath).baseName().replace(QLatin1Char('_'), QLatin1Char(' '));
}

QImage ComicDocument::renderPage()
{
    return pageImage(1);
}

} // namespace comics
