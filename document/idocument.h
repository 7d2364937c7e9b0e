#pragma once

#include "document/searchresult.h"
#include "document/tocitem.h"

#include <QList>
#include <QObject>
#include <QSize>
#include <QString>

class TextViewer;

// The one interface through which the reading view drives an opened book,
// whatever its format. Pages count from 1. A position is a character offset
// for reflowable documents and the page number for image documents.
// Progress is a percentage from 0 to 100.
//
// Not a QObject: implementing classes derive from a QObject class first and
// from IDocument second and declare Q_INTERFACES(IDocument), so
// qobject_cast<IDocument *>(object) (and qt_metacast("IDocument")) finds the
// interface of any document object.
//
// Every operation has a harmless default, so a document class overrides
// only what it serves. All calls come from the GUI thread.
class IDocument
{
public:
    virtual ~IDocument();

    // Hits for text, marked in the document where it can; empty by default.
    virtual QList<SearchResult> search(const QString &text);
    // Removes the marks of the last search.
    virtual void clearSearch();
    // Shows the page that holds position.
    virtual void setPageByPosition(int position);
    virtual void setViewPortSize(const QSize &size);
    virtual QList<TocItem> tableOfContents();
    // Title of the contents section that holds position; empty by default.
    virtual QString titleByPosition(int position);
    virtual int pageByPosition(int position);
    // Whole percent of page within the document.
    virtual int calcProgressByPage(const int page) const;
    virtual void setPage(int page);
    virtual void moveToHome();
    virtual void moveToEnd();
    virtual int currentPage();
    virtual int pageCount();
    virtual float progress();
    // Position of the first character (or the number) of the current page.
    virtual int currentPosition();
    virtual void update();
    // 1 or 2; with 2 the view shows the current page and the next one.
    virtual int columnCount();
    virtual void setColumnCount(int count);
    // False only for a document whose last load failed and that must not
    // have its reading position saved.
    virtual bool isLoaded();
    // The web view that shows the document, or null. Not owned.
    virtual TextViewer *viewer();
};

#define IDocument_iid "IDocument"
Q_DECLARE_INTERFACE(IDocument, IDocument_iid)
