#include "formats/fb2/fbbody.h"

#include "core/paths.h"
#include "document/tocfile.h"

#include <QDomNamedNodeMap>
#include <QFileInfo>
#include <QUuid>
#include <QVector>

#include <functional>
#include <initializer_list>

namespace fb2 {

namespace {

    // Poems, epigraphs, cites and inline markup nested deeper than this are
    // kept as plain text; real books nest a handful of levels.
    constexpr int maximumMarkupDepth = 64;

    const QString pageBreak = QStringLiteral("<p style=\"page-break-after:always\"></p>");

    // All text below node, escaped, without recursion.
    QString escapedText(const QDomNode &node)
    {
        QString text;
        QDomNode current = node.firstChild();
        while (!current.isNull() && current != node) {
            if (current.isText())
                text += current.nodeValue().toHtmlEscaped();
            if (current.hasChildNodes()) {
                current = current.firstChild();
                continue;
            }
            while (!current.isNull() && current != node && current.nextSibling().isNull())
                current = current.parentNode();
            if (current.isNull() || current == node)
                break;
            current = current.nextSibling();
        }
        return text;
    }

    class Converter
    {
    public:
        bool body(const QDomElement &element, FbBody *body);

    private:
        void section(const QDomElement &element, FbSection *section, int depth);
        QString title(const QDomElement &element);
        QString epigraph(const QDomElement &element);
        QString cite(const QDomElement &element);
        QString poem(const QDomElement &element);
        QString stanza(const QDomElement &element);
        QString inlineHtml(const QDomNode &node);
        QString paragraph(const QDomElement &element)
        {
            return QLatin1String("<p>") + inlineHtml(element) + QLatin1String("</p>");
        }

        // A fragment is made of its child elements, each by the rule for its
        // name; children without a rule add nothing.
        struct Rule
        {
            const char *name;
            std::function<QString(const QDomElement &)> make;
        };
        QString children(const QDomElement &element, std::initializer_list<Rule> rules);
        std::function<QString(const QDomElement &)> paragraphRule()
        {
            return [this](const QDomElement &child) { return paragraph(child); };
        }
        static std::function<QString(const QDomElement &)> text(const char *html)
        {
            return [html](const QDomElement &) { return QString::fromLatin1(html); };
        }

        // Counts the fragment levels entered; past the limit a fragment becomes
        // its escaped text.
        struct Level
        {
            explicit Level(int *depth)
                : m_depth(depth)
            {
                ++*m_depth;
            }
            ~Level() { --*m_depth; }
            bool tooDeep() const { return *m_depth > maximumMarkupDepth; }
            int *m_depth;
        };
        int m_depth = 0;
    };

    bool Converter::body(const QDomElement &element, FbBody *body)
    {
        body->name = element.attribute(QStringLiteral("name"));
        for (QDomElement child = element.firstChildElement(); !child.isNull();
             child = child.nextSiblingElement()) {
            const QString name = child.tagName();
            if (name == QLatin1String("section")) {
                FbSection record;
                section(child, &record, 1);
                body->sections.append(record);
            } else if (name == QLatin1String("image")) {
                body->image = imageReference(child);
            } else if (name == QLatin1String("title")) {
                body->title = title(child);
            } else if (name == QLatin1String("epigraph")) {
                body->epigraphs.append(epigraph(child));
            }
        }
        return true;
    }

    void Converter::section(const QDomElement &element, FbSection *section, int depth)
    {
        section->id = element.attribute(QStringLiteral("id"));
        bool leading = true;
        // Sections nested deeper than the contents tree goes are walked in
        // place: their children become content of this section. The stack
        // holds the flattened sections whose siblings are still to come.
        QVector<QDomElement> flattened;
        QDomElement child = element.firstChildElement();
        while (true) {
            if (child.isNull()) {
                if (flattened.isEmpty())
                    break;
                child = flattened.takeLast().nextSiblingElement();
                continue;
            }
            const QString name = child.tagName();
            if (name == QLatin1String("title")) {
                if (flattened.isEmpty())
                    section->title = title(child);
                else
                    section->content += title(child);
            } else if (name == QLatin1String("epigraph")) {
                if (flattened.isEmpty())
                    section->epigraphs.append(epigraph(child));
                else
                    section->content += epigraph(child);
            } else if (name == QLatin1String("image")) {
                if (leading)
                    section->image = imageReference(child);
                else
                    section->content += imageHtml(imageReference(child));
                leading = false;
            } else if (name == QLatin1String("section")) {
                leading = false;
                if (depth < TocFile::maxDepth) {
                    FbSection record;
                    this->section(child, &record, depth + 1);
                    section->subsections.append(record);
                } else {
                    flattened.append(child);
                    child = child.firstChildElement();
                    continue;
                }
            } else if (name == QLatin1String("p")) {
                section->content += paragraph(child);
                leading = false;
            } else if (name == QLatin1String("poem")) {
                section->content += poem(child);
                leading = false;
            } else if (name == QLatin1String("cite")) {
                section->content += cite(child);
                leading = false;
            } else if (name == QLatin1String("empty-line")) {
                section->content += QLatin1String("<br/>");
                leading = false;
            } else if (name == QLatin1String("subtitle")) {
                // A subtitle ends the leading-picture place; it has no rendering.
                leading = false;
            }
            child = child.nextSiblingElement();
        }
    }

    QString Converter::children(const QDomElement &element,
                                std::initializer_list<Converter::Rule> rules)
    {
        const Level level(&m_depth);
        if (level.tooDeep())
            return escapedText(element);
        QString html;
        for (QDomElement child = element.firstChildElement(); !child.isNull();
             child = child.nextSiblingElement()) {
            const QString name = child.tagName();
            for (const Rule &rule : rules) {
                if (name == QLatin1String(rule.name)) {
                    html += rule.make(child);
                    break;
                }
            }
        }
        return html;
    }

    QString Converter::title(const QDomElement &element)
    {
        return children(element, { { "p", paragraphRule() }, { "empty-line", text("<br/>") } });
    }

    QString Converter::epigraph(const QDomElement &element)
    {
        return children(element,
                        { { "p", paragraphRule() },
                          { "poem", [this](const QDomElement &child) { return poem(child); } },
                          { "cite", [this](const QDomElement &child) { return cite(child); } },
                          { "empty-line", text("<br/>") } });
    }

    QString Converter::cite(const QDomElement &element)
    {
        return children(element, { { "p", paragraphRule() }, { "empty-line", text("</br>") } });
    }

    QString Converter::poem(const QDomElement &element)
    {
        return children(
                element,
                { { "title", [this](const QDomElement &child) { return title(child); } },
                  { "epigraph", [this](const QDomElement &child) { return epigraph(child); } },
                  { "empty-line", text("<br/>") },
                  { "stanza", [this](const QDomElement &child) { return stanza(child); } } });
    }

    QString Converter::stanza(const QDomElement &element)
    {
        return children(
                element,
                { { "title", [this](const QDomElement &child) { return title(child); } },
                  { "v", [this](const QDomElement &child) { return inlineHtml(child); } } });
    }

    QString Converter::inlineHtml(const QDomNode &node)
    {
        const Level level(&m_depth);
        if (level.tooDeep())
            return escapedText(node);
        QString html;
        for (QDomNode child = node.firstChild(); !child.isNull(); child = child.nextSibling()) {
            if (child.isText()) {
                html += child.nodeValue().toHtmlEscaped();
                continue;
            }
            if (!child.isElement())
                continue;
            const QDomElement element = child.toElement();
            const QString name = element.tagName();
            if (name == QLatin1String("emphasis"))
                html += QLatin1String("<i>") + inlineHtml(element) + QLatin1String("</i>");
            else if (name == QLatin1String("strong"))
                html += QLatin1String("<b>") + inlineHtml(element) + QLatin1String("</b>");
            else if (name == QLatin1String("strikethrough"))
                html += QLatin1String("<s>") + inlineHtml(element) + QLatin1String("</s>");
            else if (name == QLatin1String("style"))
                html += inlineHtml(element);
            else if (name == QLatin1String("image"))
                html += imageHtml(imageReference(element));
            // "a" (footnote links) and everything else leave nothing.
        }
        return html;
    }

    bool isKnownPictureSuffix(const QString &suffix)
    {
        static const QStringList known { QStringLiteral("png"), QStringLiteral("jpg"),
                                         QStringLiteral("jpeg"), QStringLiteral("gif"),
                                         QStringLiteral("bmp") };
        return known.contains(suffix);
    }

} // namespace

QString FbSection::anchorId()
{
    if (m_anchorId.isEmpty())
        m_anchorId = QUuid::createUuid().toString();
    return m_anchorId;
}

QString FbSection::toHtml()
{
    QString html;
    if (!title.isEmpty())
        html += QStringLiteral("<h4 id=\"%1\">%2</h4>").arg(anchorId(), title);
    for (const QString &epigraph : qAsConst(epigraphs))
        html += QLatin1String("<p>") + epigraph + QLatin1String("</p>");
    if (!image.isEmpty())
        html += imageHtml(image);
    for (FbSection &subsection : subsections)
        html += subsection.toHtml() + pageBreak;
    html += content;
    return html;
}

QString FbBody::anchorId()
{
    if (m_anchorId.isEmpty())
        m_anchorId = QUuid::createUuid().toString();
    return m_anchorId;
}

bool parseBody(const QDomElement &element, FbBody *body)
{
    Converter converter;
    return converter.body(element, body);
}

QString plainTitle(const QString &titleHtml)
{
    QString text = titleHtml;
    for (const char *tag : { "<p>", "</p>", "<i>", "</i>", "<b>", "</b>", "<br/>", "<s>", "</s>" })
        text.replace(QLatin1String(tag), QLatin1String(" "));
    return text.trimmed();
}

QString imageReference(const QDomElement &image)
{
    QString reference = image.attribute(QStringLiteral("l:href"));
    if (reference.isEmpty()) {
        const QDomNamedNodeMap attributes = image.attributes();
        for (int i = 0; i < attributes.count(); ++i) {
            const QDomNode attribute = attributes.item(i);
            if (attribute.nodeName().contains(QLatin1String("href"))) {
                reference = attribute.nodeValue();
                break;
            }
        }
    }
    if (reference.startsWith(QLatin1Char('#')))
        reference.remove(0, 1);
    return reference;
}

QString imageFileName(const QString &key)
{
    static const QString forbidden = QStringLiteral("/\\:*?\"<>|#%");
    bool safe = !key.isEmpty() && key.size() <= 128 && !key.startsWith(QLatin1Char('.'));
    for (int i = 0; safe && i < key.size(); ++i) {
        const QChar c = key.at(i);
        safe = c.unicode() >= 0x20 && c.unicode() != 0x7F && !forbidden.contains(c);
    }
    if (safe)
        return key;
    const QString suffix = QFileInfo(key).suffix().toLower();
    return QStringLiteral("image_") + Paths::hashHex(key)
            + (isKnownPictureSuffix(suffix) ? QLatin1Char('.') + suffix : QString());
}

QString imageHtml(const QString &reference)
{
    return QStringLiteral("<img src=\"%1\" />").arg(imageFileName(reference).toHtmlEscaped());
}

} // namespace fb2
