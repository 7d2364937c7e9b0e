#pragma once

#include <QImage>
#include <QMap>
#include <QString>

namespace mobi {

// What the library's add-books worker stores for one MOBI or PRC book.
struct BookMetadata
{
    enum class Result {
        Ok,
        NotMobi, // no "MOBI" header (already logged as "Invalid format of MOBI file.")
        Encrypted, // DRM: the worker counts it and skips the book
    };
    Result result = Result::NotMobi;
    QString title; // the full name from the MOBI header
    QString author; // EXTH 100
    QImage cover; // the first picture, unscaled; null when none
    // Metadata kind -> text, only for non-empty texts: 0 identifier (EXTH
    // 104), 1 title, 2 author (EXTH 100), 3 contributor (EXTH 108), 4 subject
    // (EXTH 105), 5 publisher (EXTH 101), 6 description (EXTH 103), 7 book
    // type name, 11 rights (EXTH 109).
    QMap<int, QString> metadata;
};

// Reads the headers, EXTH records and cover of a book file; the text is not
// decoded. Callable from a worker thread; the call owns everything it makes.
BookMetadata readBookMetadata(const QString &filePath);

} // namespace mobi
