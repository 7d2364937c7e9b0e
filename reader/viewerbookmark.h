#pragma once

#include <QMetaType>
#include <QString>

// The reading view's bookmark of any kind of book. For reflowable books the
// text viewer keeps these in the settings side file, storing only source,
// title and text; the rest is worked out when the book is paginated.
struct ViewerBookmark
{
    // Place in the viewer's list when the bookmark was made or read; the
    // bookmark list hands it back to remove the bookmark.
    int index = 0;
    // Title of the chapter that holds the bookmark's page; may be empty.
    QString title;
    int page = 0;
    // The number that moves the viewer to the bookmark: 100000 + index.
    int id = 100000;
    // Whole percent of the book; -1 while the book has no page count.
    int progress = 0;
    QString text;
    // Position URL of the bookmark.
    QString source;
};

Q_DECLARE_METATYPE(ViewerBookmark)
