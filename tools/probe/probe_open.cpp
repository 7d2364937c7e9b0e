// "open BOOK": opens a book through the same factory the reading view uses
// and prints what the reader made of it. A book packed alone in a ZIP or 7z
// file is unpacked as the reader unpacks it and reported as that book.

#include "tools/probe/probe.h"

#include "archive/singlebookarchive.h"
#include "comics/comicdocument.h"
#include "core/paths.h"
#include "document/textdocument.h"
#include "document/tocfile.h"
#include "formats/documentfactory.h"
#include "formats/epub/epubdocument.h"
#include "formats/fb2/fbdocument.h"
#include "formats/mobi/mobidocument.h"
#include "formats/mobi/mobifile.h"
#include "formats/mobi/mobimarkup.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonObject>

#include <memory>

namespace {

int openBook(const QStringList &arguments)
{
    if (arguments.size() != 1)
        return probe::fail(QStringLiteral("usage: open BOOK"));
    QString path = QFileInfo(arguments.first()).absoluteFilePath();

    QJsonObject result {
        { QStringLiteral("status"), 1 },         { QStringLiteral("title"), QString() },
        { QStringLiteral("author"), QString() }, { QStringLiteral("files"), QJsonArray() },
        { QStringLiteral("toc"), QString() },    { QStringLiteral("tocEntries"), 0 },
        { QStringLiteral("cover"), QString() }
    };
    if (!QFileInfo(path).isFile()) {
        probe::printJson(result);
        return 1;
    }

    if (SingleBookArchive::isArchive(path)) {
        QString problem;
        const QString unpacked = SingleBookArchive::unpackForReading(path, &problem);
        if (unpacked.isEmpty()) {
            result.insert(QStringLiteral("error"), problem);
            probe::printJson(result);
            return 1;
        }
        path = unpacked;
    }

    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("cbz") || suffix == QLatin1String("cbr")) {
        // A comic: its pages for files and contents, its first page as the
        // cover the library would make.
        comics::ComicDocument comic;
        const bool loaded = comic.load(path);
        result.insert(QStringLiteral("status"), loaded ? 0 : 1);
        result.insert(QStringLiteral("title"), comic.title());
        result.insert(QStringLiteral("files"), QJsonArray::fromStringList(comic.pageNames()));
        result.insert(QStringLiteral("pages"), comic.pageCount());
        result.insert(QStringLiteral("tocEntries"), comic.tableOfContents().size());
        const QImage cover = loaded ? comic.renderPage() : QImage();
        result.insert(QStringLiteral("coverSize"),
                      cover.isNull()
                              ? QString()
                              : QStringLiteral("%1x%2").arg(cover.width()).arg(cover.height()));
        if (!loaded)
            result.insert(QStringLiteral("error"), comic.lastError());
        probe::printJson(result);
        return loaded ? 0 : 1;
    }

    const std::unique_ptr<TextDocument> document(createDocument(path));
    const bool loaded = document->load();
    int status = loaded ? 0 : 1;
    QString tocPath;

    if (const auto *book = qobject_cast<epub::EpubDocument *>(document.get())) {
        status = book->status();
        const epub::BookInfo &info = book->bookInfo();
        result.insert(QStringLiteral("title"), info.title());
        result.insert(QStringLiteral("author"), info.author());
        result.insert(QStringLiteral("cover"), info.coverPath());
        result.insert(QStringLiteral("files"), QJsonArray::fromStringList(book->spineFiles()));
        tocPath = TocFile::path(path);
    }
    if (const auto *book = qobject_cast<fb2::FbDocument *>(document.get())) {
        status = book->status();
        result.insert(QStringLiteral("title"), book->bookTitle());
        result.insert(QStringLiteral("author"), book->authorName());
        const QString coverHref = book->description().titleInfo().coverHref;
        const QString folder = Paths::bookPath(path);
        const QString cover = folder + QLatin1Char('/') + fb2::imageFileName(coverHref);
        if (!coverHref.isEmpty() && QFileInfo(cover).isFile())
            result.insert(QStringLiteral("cover"), cover);
        result.insert(QStringLiteral("files"), QJsonArray::fromStringList(book->pages()));
        tocPath = TocFile::path(path);
    }
    if (const auto *book = qobject_cast<mobi::MobiDocument *>(document.get())) {
        status = book->status();
        result.insert(QStringLiteral("title"), book->reader().title());
        result.insert(QStringLiteral("author"), book->reader().author());
        const QString cover = Paths::bookPath(path) + QLatin1Char('/') + mobi::pictureFileName(0);
        if (loaded && QFileInfo(cover).isFile())
            result.insert(QStringLiteral("cover"), cover);
        result.insert(QStringLiteral("files"), QJsonArray::fromStringList(book->files()));
        tocPath = TocFile::path(path);
    }

    if (!tocPath.isEmpty() && QFileInfo(tocPath).isFile()) {
        result.insert(QStringLiteral("toc"), tocPath);
        QList<TocItem> entries;
        if (TocFile::read(tocPath, &entries))
            result.insert(QStringLiteral("tocEntries"), entries.size());
    }
    result.insert(QStringLiteral("status"), status);
    probe::printJson(result);
    return status == 0 ? 0 : 1;
}

} // namespace

VL_PROBE_COMMAND("open", "BOOK", openBook);
