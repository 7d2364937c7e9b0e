#include "formats/epub/epubdocument.h"

#include "formats/epub/epubparser.h"

namespace epub {

static_assert(int(EpubParser::Parsed) == TextDocument::Ok
                      && int(EpubParser::Damaged) == TextDocument::Damaged
                      && int(EpubParser::Protected) == TextDocument::Protected,
              "the parser answers in the document's status codes");

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
    setStatus(parser.open(m_filePath, false));
    m_bookInfo = parser.info();
    return status() == Ok;
}

void EpubDocument::reload()
{
    clear();
}

} // namespace epub
