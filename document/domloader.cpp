#include "document/domloader.h"

#include <QBuffer>
#include <QDomDocument>
#include <QXmlSimpleReader>

// QDomDocument in Qt 5 builds its tree from the SAX parser. The depth is
// counted between that parser and the tree builder, so the document is
// parsed exactly as setContent() parses it, entity expansion included.
QT_WARNING_PUSH
QT_WARNING_DISABLE_DEPRECATED

namespace DomLoader {

namespace {

    // Passes the parser's events on to the tree builder and stops the parse
    // where the nesting goes past the limit. Stopping is the only way: the
    // parser recurses into every element it reads, whatever the handler does
    // with it.
    class DepthFilter : public QXmlContentHandler
    {
    public:
        explicit DepthFilter(int depthLimit)
            : m_depthLimit(depthLimit)
        {
        }

        void setTarget(QXmlContentHandler *target) { m_content = target; }
        bool wentTooDeep() const { return m_tooDeep; }

        void setDocumentLocator(QXmlLocator *locator) override
        {
            m_content->setDocumentLocator(locator);
        }
        bool startDocument() override { return m_content->startDocument(); }
        bool endDocument() override { return m_content->endDocument(); }
        bool startPrefixMapping(const QString &prefix, const QString &uri) override
        {
            return m_content->startPrefixMapping(prefix, uri);
        }
        bool endPrefixMapping(const QString &prefix) override
        {
            return m_content->endPrefixMapping(prefix);
        }
        bool startElement(const QString &namespaceUri, const QString &localName,
                          const QString &qualifiedName, const QXmlAttributes &attributes) override
        {
            if (++m_depth > m_depthLimit) {
                m_tooDeep = true;
                return false;
            }
            return m_content->startElement(namespaceUri, localName, qualifiedName, attributes);
        }
        bool endElement(const QString &namespaceUri, const QString &localName,
                        const QString &qualifiedName) override
        {
            --m_depth;
            return m_content->endElement(namespaceUri, localName, qualifiedName);
        }
        bool characters(const QString &text) override { return m_content->characters(text); }
        bool ignorableWhitespace(const QString &text) override
        {
            return m_content->ignorableWhitespace(text);
        }
        bool processingInstruction(const QString &target, const QString &data) override
        {
            return m_content->processingInstruction(target, data);
        }
        bool skippedEntity(const QString &name) override { return m_content->skippedEntity(name); }

        QString errorString() const override
        {
            return m_tooDeep ? QStringLiteral("Elements nested more than %1 deep").arg(m_depthLimit)
                             : m_content->errorString();
        }

    private:
        QXmlContentHandler *m_content = nullptr;
        const int m_depthLimit;
        int m_depth = 0;
        bool m_tooDeep = false;
    };

    // The parser setContent() uses, with the filter slipped in front of the
    // handlers the document installs.
    class FilteringReader : public QXmlSimpleReader
    {
    public:
        FilteringReader(bool namespaceProcessing, int depthLimit)
            : m_filter(depthLimit)
        {
            // The features QDomDocument::setContent() sets on its own reader.
            setFeature(QStringLiteral("http://xml.org/sax/features/namespaces"),
                       namespaceProcessing);
            setFeature(QStringLiteral("http://xml.org/sax/features/namespace-prefixes"),
                       !namespaceProcessing);
            setFeature(QStringLiteral(
                               "http://trolltech.com/xml/features/report-whitespace-only-CharData"),
                       false);
        }

        void setContentHandler(QXmlContentHandler *handler) override
        {
            m_filter.setTarget(handler);
            QXmlSimpleReader::setContentHandler(handler ? &m_filter : nullptr);
        }
        bool wentTooDeep() const { return m_filter.wentTooDeep(); }

    private:
        DepthFilter m_filter;
    };

    Result parse(QDomDocument *document, QXmlInputSource *source, bool namespaceProcessing,
                 int depthLimit, QString *errorMessage, int *line, int *column)
    {
        FilteringReader reader(namespaceProcessing, depthLimit);
        if (document->setContent(source, &reader, errorMessage, line, column))
            return Result::Loaded;
        return reader.wentTooDeep() ? Result::TooDeep : Result::Malformed;
    }

} // namespace

Result load(QDomDocument *document, const QByteArray &bytes, bool namespaceProcessing,
            int depthLimit, QString *errorMessage, int *line, int *column)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QXmlInputSource source(&buffer);
    return parse(document, &source, namespaceProcessing, depthLimit, errorMessage, line, column);
}

Result load(QDomDocument *document, const QString &text, bool namespaceProcessing, int depthLimit,
            QString *errorMessage, int *line, int *column)
{
    QXmlInputSource source;
    source.setData(text);
    return parse(document, &source, namespaceProcessing, depthLimit, errorMessage, line, column);
}

} // namespace DomLoader

QT_WARNING_POP
