#pragma once

#include "library/db/bookdto.h"

#include <QCoreApplication>
#include <QImage>
#include <QMap>
#include <QString>

// Reads one book file into a library record: title, author, the metadata
// kinds its format offers and its cover. Used by the add-books worker on its
// own thread; every reader object made here is made and destroyed inside
// the call, so calls on different threads share nothing.
class BookMetadata
{
    Q_DECLARE_TR_FUNCTIONS(BookMetadata)
public:
    // The keys of BookDto::metadata, stored as book_metadata.meta_type.
    // They follow the Dublin Core elements.
    enum MetaType : int {
        Identifier = 0,
        Title = 1,
        Creator = 2,
        Contributor = 3,
        Subject = 4,
        Publisher = 5,
        Description = 6,
        Type = 7,
        Format = 8,
        Source = 9,
        Language = 10,
        Rights = 11,
    };

    enum class Status {
        // The record is filled and may be stored.
        Read,
        // The file is not a readable book of its format.
        Damaged,
        // The book is DRM protected.
        DrmProtected,
        // No reader for the format (DjVu, an archive not holding one book,
        // an unknown suffix).
        Unsupported,
        // The user chose to skip the book's password (SKIP or SKIP ALL), or
        // skips every password of the batch.
        PasswordSkipped,
    };

    // What the user answered for one book that a later book of the same
    // batch must know: SKIP ALL stops every further password prompt.
    struct Prompting
    {
        bool skipPasswordPrompts = false;
    };

    struct Result
    {
        Status status = Status::Read;
        // Why the book was not read, for the log.
        QString reason;
        // The cover still to be written with writeCover(); null when the
        // format has none or keeps its own cover file (EPUB).
        QImage cover;
    };

    // Fills book from the file at book.fullPath read as book.format: title,
    // author, metadata and, for EPUB, the cover path. The other members are
    // left alone. On any status but Read the record must not be stored.
    // A PDF book that needs a password asks for it through the application's
    // hand-over, offering SKIP and SKIP ALL, unless prompting says that
    // prompts are skipped; a SKIP ALL answer is stored there.
    static Result read(BookDto &book, Prompting *prompting = nullptr);

    // Writes image as "cover.png" in the storage folder of the book file
    // (Paths::bookPath) and returns its path; "" when the image is null or
    // the file could not be written (the reason then goes to the log).
    static QString writeCover(const QImage &image, const QString &bookFilePath);

    // The largest cover kept: room for the shelf's tiles and the
    // properties, far below what a picture bomb would take.
    static QSize coverBound() { return QSize(600, 900); }
    // A cover picture file read to fit within bound, under the size check
    // of the book readers' picture decoder: a huge or damaged file gives a
    // null image, never gigabytes. Every view that shows a cover reads it
    // through here. Callable from any thread.
    static QImage readCover(const QString &path, const QSize &bound = coverBound());

    // The file name up to its first dot ("my" for "my.first.book.fb2").
    static QString fileTitle(const QString &path);

    // Height of the covers made from a page (comics, PDF).
    static constexpr int CoverHeight = 190;

private:
    BookMetadata() = delete;

    static Result readEpub(BookDto &book);
    static Result readMobi(BookDto &book);
    static Result readFb2(BookDto &book);
    // Title from the file name, the first page as the cover; refused when
    // no page can be shown.
    static Result readComic(BookDto &book);
    // Title, author, creator and producer from the file's information, the
    // first page as the cover. A protected book the user did not unlock is
    // still added, under its file name; a damaged one is refused.
    static Result readPdf(BookDto &book, Prompting *prompting);
    // What a format reader found, into the record and the result.
    static void take(BookDto &book, Result &result, const QString &title, const QString &author,
                     const QMap<int, QString> &metadata, const QImage &cover);
    static void setMeta(BookDto &book, MetaType type, const QString &value);
};
