#include "library/workers/bookmetadata.h"

#include "comics/comicdocument.h"
#include "core/logger.h"
#include "core/paths.h"
#include "document/textdocument.h"
#include "formats/epub/epubparser.h"
#include "formats/fb2/fbmetadata.h"
#include "formats/mobi/mobimetadata.h"
#include "library/db/bookformat.h"
#include "pdf/pdfdocument.h"

#include <QFileInfo>
#include <QSaveFile>

namespace {

enum FormatCode {
    Epub = 0,
    Mobi = 1,
    Fb2 = 2,
    Pdf = 3,
    Prc = 5,
    Cbz = 6,
    Cbr = 7,
    Txt = 8,
};

} // namespace

BookMetadata::Result BookMetadata::read(BookDto &book, Prompting *prompting)
{
    switch (book.format) {
    case Epub:
        return readEpub(book);
    case Mobi:
    case Prc:
        return readMobi(book);
    case Fb2:
    case Txt:
        return readFb2(book);
    case Cbz:
    case Cbr:
        return readComic(book);
    case Pdf:
        return readPdf(book, prompting);
    default: {
        Result result;
        result.status = Status::Unsupported;
        result.reason = QStringLiteral("no reader for the format \"%1\"")
                                .arg(BookFormat::toString(book.format));
        return result;
    }
    }
}

BookMetadata::Result BookMetadata::readEpub(BookDto &book)
{
    Result result;
    // Metadata-only mode needs no document: the parser fills its record and
    // extracts the cover into the book's storage folder.
    epub::EpubParser parser(nullptr);
    const int status = parser.open(book.fullPath, true);
    if (status == epub::EpubParser::Protected) {
        result.status = Status::DrmProtected;
        result.reason = QStringLiteral("the EPUB book is DRM protected");
        return result;
    }
    // A book whose package cannot be read would be stored as an untitled,
    // unopenable row.
    if (status != epub::EpubParser::Parsed) {
        result.status = Status::Damaged;
        result.reason = QStringLiteral("the EPUB container or package cannot be read");
        return result;
    }

    const epub::BookInfo &info = parser.info();
    book.title = info.title();
    book.author = info.creator.isEmpty() ? tr("Unknown") : info.creator.first();
    // The book's own picture may be of any size: the library keeps a copy
    // read to a cover's size.
    if (!info.coverPath().isEmpty()) {
        result.cover = readCover(info.coverPath());
        if (result.cover.isNull()) {
            Logger::instance()->write(
                    QStringLiteral("The cover %1 is no picture of a size a cover can have")
                            .arg(info.coverPath()),
                    Logger::Warning);
        }
    }

    const auto join = [](const QStringList &values) { return values.join(QLatin1Char(' ')); };
    setMeta(book, Identifier, join(info.identifier));
    setMeta(book, Title, join(info.titles));
    setMeta(book, Creator, join(info.creator));
    setMeta(book, Contributor, join(info.contributor));
    setMeta(book, Subject, join(info.subject));
    setMeta(book, Publisher, join(info.publisher));
    setMeta(book, Description, join(info.description));
    setMeta(book, Type, join(info.type));
    setMeta(book, Format, join(info.format));
    setMeta(book, Source, join(info.source));
    setMeta(book, Language, join(info.language));
    setMeta(book, Rights, join(info.rights));
    return result;
}

BookMetadata::Result BookMetadata::readMobi(BookDto &book)
{
    Result result;
    const mobi::BookMetadata mobiBook = mobi::readBookMetadata(book.fullPath);
    switch (mobiBook.result) {
    case mobi::BookMetadata::Result::NotMobi:
        result.status = Status::Damaged;
        result.reason = QStringLiteral("the file holds no MOBI book");
        return result;
    case mobi::BookMetadata::Result::Encrypted:
        result.status = Status::DrmProtected;
        result.reason = QStringLiteral("the MOBI book is DRM protected");
        return result;
    case mobi::BookMetadata::Result::Ok:
        break;
    }
    take(book, result, mobiBook.title, mobiBook.author, mobiBook.metadata, mobiBook.cover);
    return result;
}

BookMetadata::Result BookMetadata::readFb2(BookDto &book)
{
    Result result;
    const fb2::BookMetadata fb2Book = fb2::readBookMetadata(book.fullPath);
    if (!fb2Book.loaded) {
        result.status = Status::Damaged;
        result.reason = QStringLiteral("the file cannot be read as a FictionBook or text book");
        return result;
    }
    take(book, result, fb2Book.title.isEmpty() ? fileTitle(book.fullPath) : fb2Book.title,
         fb2Book.author, fb2Book.metadata, fb2Book.cover);
    return result;
}

BookMetadata::Result BookMetadata::readComic(BookDto &book)
{
    Result result;
    comics::ComicDocument document;
    // A comic without a page to show would be stored as a row that never
    // opens.
    if (!document.load(book.fullPath)) {
        result.status = Status::Damaged;
        result.reason = QStringLiteral("the comic cannot be read: %1").arg(document.lastError());
        return result;
    }
    book.title = document.title();
    const QImage cover = document.renderPage();
    if (!cover.isNull())
        result.cover = cover.scaledToHeight(CoverHeight, Qt::SmoothTransformation);
    Logger::instance()->write(
            QStringLiteral("Comic with %1 pages: %2").arg(document.pageCount()).arg(book.fullPath),
            Logger::Info);
    return result;
}

BookMetadata::Result BookMetadata::readPdf(BookDto &book, Prompting *prompting)
{
    Result result;
    Prompting batch;
    if (!prompting)
        prompting = &batch;
    pdf::PdfDocument document;
    document.setSkipPasswordPrompt(prompting->skipPasswordPrompts);
    document.setCheckSkip(true);
    const bool loaded = document.load(book.fullPath);
    if (!loaded && document.isProtected()) {
        if (prompting->skipPasswordPrompts) {
            result.status = Status::PasswordSkipped;
            result.reason = QStringLiteral("password prompts are skipped for this batch");
            return result;
        }
        if (document.passwordSkipped()) {
            prompting->skipPasswordPrompts = true;
            result.status = Status::PasswordSkipped;
            result.reason = QStringLiteral("the password was skipped, with every further one");
            return result;
        }
        if (document.passwordCanceled()) {
            result.status = Status::PasswordSkipped;
            result.reason = QStringLiteral("the password was skipped");
            return result;
        }
    }
    // A file that is no readable PDF would be stored as a row that never
    // opens.
    if (!loaded && !document.isProtected()) {
        result.status = Status::Damaged;
        result.reason = QStringLiteral("the PDF file cannot be read: %1").arg(document.lastError());
        return result;
    }

    book.title = fileTitle(book.fullPath);
    if (!loaded)
        return result;
    const QString title = document.title();
    if (!title.isEmpty())
        book.title = title;
    book.author = document.author();
    document.setRenderState(pdf::PdfDocument::OriginalSize);
    const QImage cover = document.renderPage();
    if (!cover.isNull())
        result.cover = cover.scaledToHeight(CoverHeight, Qt::SmoothTransformation);
    setMeta(book, Creator, document.creator());
    setMeta(book, Publisher, document.producer());
    Logger::instance()->write(
            QStringLiteral("PDF with %1 pages: %2").arg(document.pageCount()).arg(book.fullPath),
            Logger::Info);
    return result;
}

QImage BookMetadata::readCover(const QString &path, const QSize &bound)
{
    return TextDocument::decodeScaledImage(path, bound);
}

QString BookMetadata::writeCover(const QImage &picture, const QString &bookFilePath)
{
    if (picture.isNull())
        return QString();
    const QSize bound = coverBound();
    const QImage image = picture.width() > bound.width() || picture.height() > bound.height()
            ? picture.scaled(bound, Qt::KeepAspectRatio, Qt::SmoothTransformation)
            : picture;
    const QString path = Paths::bookPath(bookFilePath) + QStringLiteral("/cover.png");
    // The shelf shows whatever file the row names: a half-written cover
    // must never take the name.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit()) {
        Logger::instance()->write(
                QStringLiteral("Cannot write the cover %1: %2").arg(path, file.errorString()),
                Logger::Error);
        return QString();
    }
    return path;
}

QString BookMetadata::fileTitle(const QString &path)
{
    return QFileInfo(path).baseName();
}

void BookMetadata::take(BookDto &book, Result &result, const QString &title, const QString &author,
                        const QMap<int, QString> &metadata, const QImage &cover)
{
    book.title = title;
    book.author = author;
    for (auto it = metadata.cbegin(); it != metadata.cend(); ++it)
        setMeta(book, MetaType(it.key()), it.value());
    result.cover = cover;
}

void BookMetadata::setMeta(BookDto &book, MetaType type, const QString &value)
{
    if (!value.isEmpty())
        book.metadata.insert(type, value);
}
