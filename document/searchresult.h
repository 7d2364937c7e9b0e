#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

// One entry of a search answer, as the search panel lists it.
struct SearchResult
{
    // Title of the contents section that holds the hit; empty where the
    // document has no titles.
    QString title;
    int page = 0;
    // Rich text shown for the hit; any book text in it is already escaped.
    QString text;
    QString extra;
    int position = 0;
    // True for the entry that offers a jump to a page number typed as the
    // search text.
    bool isPageJump = false;
};

Q_DECLARE_METATYPE(SearchResult)
Q_DECLARE_METATYPE(QList<SearchResult>)
