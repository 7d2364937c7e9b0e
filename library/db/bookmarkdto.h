#pragma once

#include <QMetaType>
#include <QString>

// One row of the bookmarks table. A bookmark made by
// BookProvider::createBookmark has id -1 until it is stored.
struct BookmarkDto
{
    int id = -1;
    int bookId = -1;
    QString title;
    float position = 0;
    // Reading progress at the mark.
    float progress = 0;
    // Seconds since 1970-01-01 UTC.
    uint timeAdded = 0;
};

Q_DECLARE_METATYPE(BookmarkDto)
