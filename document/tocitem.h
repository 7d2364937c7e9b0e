#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// One node of a book's table of contents.
struct TocItem
{
    QString title;
    // Where the entry points, as written in the ".toc" file.
    QString source;
    // Document position of the entry.
    int position = 0;
    // Page of that position; refreshed by the documents that compute it.
    int page = 0;
    QList<TocItem> children;
};

Q_DECLARE_METATYPE(TocItem)
Q_DECLARE_METATYPE(QList<TocItem>)
