#pragma once

#include <QMap>
#include <QMetaType>
#include <QString>

// One row of the books table, passed by value between the library, the main
// window and the reading view. A default record (id -1) is the answer of
// every look-up that finds no book.
struct BookDto
{
    BookDto();

    int id = -1;
    // Path of the cover image file; stored encoded, held here in plain text.
    QString cover;
    // Full path of the book file; stored encoded, held here in plain text.
    QString fullPath;
    QString author;
    QString title;
    // A BookFormat code.
    int format = 0;
    // Seconds since 1970-01-01 UTC.
    uint timeAdded = 0;
    // Seconds since 1970-01-01 UTC; 0 when the book was never opened.
    uint timeLastView = 0;
    int position = 0;
    // Reading progress in whole percent, 0 to 100.
    int maxPosition = 0;
    int isFavorite = 0;
    int isDeleted = 0;
    // Metadata kind to text. Carried from the add-books worker to
    // BookProvider::addBook, which stores one book_metadata row per entry;
    // reading a books row never fills it.
    QMap<int, QString> metadata;
    int notesCount = 0;
    // Hash of the book file's contents; null until the book is first opened.
    QString bookHash;
    // Title of the book's category; filled only by
    // BookProvider::allBooksWithFolder, null elsewhere.
    QString folderTitle;
};

Q_DECLARE_METATYPE(BookDto)
