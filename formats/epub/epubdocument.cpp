#include "epubdocument.h"

#include "epubparser.h"

namespace epub {

EpubDocument::EpubDocument(const QString &filePath, QObject *parent)
    : TextDocument(parent)
    , m_filePath(filePath)
{
}

EpubDocument::~EpubDocument() = default;

bool EpubDocument::load()
{
    m_spineFiles.clear();
    EpubParser parser(this);
    m_status = parser.open(m_filePath, false);
    m_bookInfo = parser.info();
    return m_status == EpubParser::Parsed;
}

void EpubDocument::reload()
{
    clear();
}

} // namespace epub
