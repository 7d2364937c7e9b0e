#include "document/idocument.h"

IDocument::~IDocument() = default;

QList<SearchResult> IDocument::search(const QString &)
{
    return {};
}

void IDocument::clearSearch() { }

void IDocument::setPageByPosition(int) { }

void IDocument::setViewPortSize(const QSize &) { }

QList<TocItem> IDocument::tableOfContents()
{
    return {};
}

QString IDocument::titleByPosition(int)
{
    return QString();
}

int IDocument::pageByPosition(int)
{
    return 0;
}

int IDocument::calcProgressByPage(const int) const
{
    return 0;
}

void IDocument::setPage(int) { }

void IDocument::moveToHome() { }

void IDocument::moveToEnd() { }

int IDocument::currentPage()
{
    return 0;
}

int IDocument::pageCount()
{
    return 0;
}

float IDocument::progress()
{
    return 0.0f;
}

int IDocument::currentPosition()
{
    return 0;
}

void IDocument::update() { }

int IDocument::columnCount()
{
    return 1;
}

void IDocument::setColumnCount(int) { }

bool IDocument::isLoaded()
{
    return true;
}

TextViewer *IDocument::viewer()
{
    return nullptr;
}
