#pragma once

#include <QImage>
#include <QMap>
#include <QString>

namespace fb2 {

// What the library's add-books worker stores for one FB2 or plain text book.
struct BookMetadata
{
    bool loaded = false; // false: the file could not be read as a book
    QString title; // book title, else first section title, else the file name up to its first dot
    QString author; // first, middle and last name
    QImage cover; // first picture whose id holds "cover", else the first; unscaled
    // Metadata kind -> text, only for non-empty texts: 0 document id, 1 title,
    // 2 author, 5 publisher, 6 annotation, 7 genres joined by blanks,
    // 10 language.
    QMap<int, QString> metadata;
};

// Reads a book file (text files as UTF-8) without writing anything.
// Callable from a worker thread; the call owns what it makes.
BookMetadata readBookMetadata(const QString &filePath);

} // namespace fb2
