#include "formats/fb2/fbdescription.h"

#include "document/domloader.h"
#include "document/textdocument.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextCodec>
#include <QTextStream>

namespace fb2 {

namespace {

    // A plain text book is cut into pages of about this many characters, at
    // line ends: a page is laid out whole in the web page, and one page for
    // a whole long book took gigabytes there.
    constexpr int textPageCharacters = 256 * 1024;

    // Text of an element: its last direct text child.
    QString elementText(const QDomElement &element)
    {
        QString text;
        for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling()) {
            if (child.isText())
                text = child.nodeValue();
        }
        return text;
    }

    void readAuthor(const QDomElement &element, FbAuthor *author)
    {
        for (QDomElement child = element.firstChildElement(); !child.isNull();
             child = child.nextSiblingElement()) {
            const QString name = child.tagName();
            if (name == QLatin1String("first-name"))
                author->firstName = elementText(child);
            else if (name == QLatin1String("last-name"))
                author->lastName = elementText(child);
            else if (name == QLatin1String("middle-name"))
                author->middleName = elementText(child);
            else if (name == QLatin1String("email") || name == QLatin1String("nickname"))
                author->email = elementText(child);
        }
    }

    QDate readDate(const QDomElement &element)
    {
        return element.hasAttribute(QStringLiteral("value"))
                ? QDate::fromString(element.attribute(QStringLiteral("value")), Qt::ISODate)
                : QDate();
    }

    // Characters that XML does not allow; plain text files carry form feeds
    // and other control characters now and then.
    QString xmlSafe(QString line)
    {
        for (QChar &c : line) {
            const ushort u = c.unicode();
            if ((u < 0x20 && u != '\t') || u == 0xFFFE || u == 0xFFFF)
                c = QLatin1Char(' ');
        }
        return line;
    }

} // namespace

QString detectEncoding(const QString &firstLine)
{
    static const QRegularExpression declaration(
            QStringLiteral("encoding=(?:\"([^\"]*?)\"|'([^']*?)')"),
            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = declaration.match(firstLine);
    const QString name = match.hasMatch()
            ? (match.capturedStart(1) >= 0 ? match.captured(1) : match.captured(2))
            : QString();
    return name.isEmpty() ? QStringLiteral("UTF-8") : name;
}

qint64 FbDescription::maximumFileSize()
{
    // The book is held as text, as a tree and as the laid-out document at
    // once, about twenty times its size; a long novel takes a few megabytes.
    return qint64(32) * 1024 * 1024;
}

bool FbDescription::loadFile(const QString &path, int reserved, const QString &encoding)
{
    Q_UNUSED(reserved)
    *this = FbDescription();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_lastError = file.errorString();
        return false;
    }
    if (file.size() > maximumFileSize()) {
        m_lastError = QStringLiteral("File too large: %1 bytes, at most %2 are read")
                              .arg(file.size())
                              .arg(maximumFileSize());
        m_tooLarge = true;
        return false;
    }
    return loadData(file.readAll(), QFileInfo(path).fileName(), encoding);
}

bool FbDescription::loadData(const QByteArray &bytes, const QString &fileName,
                             const QString &encoding)
{
    *this = FbDescription();
    m_bookBytes = bytes.size();
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly | QIODevice::Text);
    const QByteArray firstLine = buffer.readLine(4096);
    const QString declared = detectEncoding(QString::fromUtf8(firstLine));
    buffer.seek(0);
    QTextStream stream(&buffer);
    if (QTextCodec *codec = QTextCodec::codecForName(declared.toLatin1()))
        stream.setCodec(codec);

    QString text;
    if (QFileInfo(fileName).suffix().compare(QLatin1String("txt"), Qt::CaseInsensitive) == 0) {
        QTextCodec *codec = QTextCodec::codecForName(encoding.isEmpty() ? QByteArray("utf-8")
                                                                        : encoding.toLatin1());
        stream.setCodec(codec ? codec : QTextCodec::codecForName("utf-8"));
        const QString title = fileName.section(QLatin1Char('.'), 0, 0);
        text = QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\"?>"
                              "<FictionBook xmlns=\"http://www.gribuser.ru/xml/fictionbook/2.0\" "
                              "xmlns:l=\"http://www.w3.org/1999/xlink\">"
                              "<description><title-info><book-title>%1</book-title></title-info>"
                              "</description><body><section>")
                       .arg(xmlSafe(title).toHtmlEscaped());
        int pageStart = text.size();
        while (!stream.atEnd()) {
            if (text.size() - pageStart > textPageCharacters) {
                text += QLatin1String("</section><section>");
                pageStart = text.size();
            }
            text += QLatin1String("<p>");
            text += xmlSafe(stream.readLine()).toHtmlEscaped();
            text += QLatin1String("</p>");
        }
        text += QLatin1String("</section></body></FictionBook>");
    } else {
        text = stream.readAll();
    }

    QDomDocument document;
    QString message;
    int line = 0;
    int column = 0;
    if (DomLoader::load(&document, text, true, DomLoader::maxDepth, &message, &line, &column)
        != DomLoader::Result::Loaded) {
        m_lastError = QStringLiteral("%1 at line %2, column %3").arg(message).arg(line).arg(column);
        return false;
    }
    return parse(document, false);
}

bool FbDescription::parse(const QDomDocument &document, bool descriptionOnly)
{
    bodies.clear();
    const QDomElement root = document.documentElement();
    if (root.tagName() != QLatin1String("FictionBook")) {
        m_lastError = QStringLiteral("Not a FictionBook document");
        return false;
    }
    // Every picture stays decoded in memory while the book is open.
    qint64 pixelBudget = TextDocument::pictureBudget(m_bookBytes);
    for (QDomElement child = root.firstChildElement(QStringLiteral("binary")); !child.isNull();
         child = child.nextSiblingElement(QStringLiteral("binary")))
        readBinary(child, &pixelBudget);
    for (QDomElement child = root.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement()) {
        const QString name = child.tagName();
        if (name == QLatin1String("description")) {
            readDescription(child);
            if (descriptionOnly)
                break;
        } else if (name == QLatin1String("body")) {
            FbBody body;
            if (!parseBody(child, &body))
                return false;
            bodies.append(body);
        }
    }
    return true;
}

void FbDescription::readBinary(const QDomElement &binary, qint64 *pixelBudget)
{
    const QString id = binary.attribute(QStringLiteral("id"));
    const QByteArray data = QByteArray::fromBase64(binary.firstChild().nodeValue().toLatin1());
    images.insert(id, TextDocument::decodeImage(data, pixelBudget));
}

void FbDescription::readDescription(const QDomElement &description)
{
    for (QDomElement part = description.firstChildElement(); !part.isNull();
         part = part.nextSiblingElement()) {
        const QString partName = part.tagName();
        for (QDomElement child = part.firstChildElement(); !child.isNull();
             child = child.nextSiblingElement()) {
            const QString name = child.tagName();
            if (partName == QLatin1String("title-info")) {
                if (name == QLatin1String("genre")) {
                    const QString genre = elementText(child);
                    if (!genre.isEmpty())
                        m_titleInfo.genres.append(genre);
                } else if (name == QLatin1String("author")) {
                    readAuthor(child, &m_titleInfo.author);
                } else if (name == QLatin1String("book-title")) {
                    m_titleInfo.bookTitle = elementText(child);
                } else if (name == QLatin1String("annotation")) {
                    m_titleInfo.annotation = child.text();
                } else if (name == QLatin1String("keywords")) {
                    m_titleInfo.keywords
                            = elementText(child).split(QLatin1Char(' '), Qt::SkipEmptyParts);
                } else if (name == QLatin1String("date")) {
                    m_titleInfo.date = readDate(child);
                } else if (name == QLatin1String("coverpage")) {
                    m_titleInfo.coverpage = child;
                    m_titleInfo.coverHref.clear();
                    for (QDomElement image = child.firstChildElement(QStringLiteral("image"));
                         !image.isNull(); image = image.nextSiblingElement(QStringLiteral("image")))
                        m_titleInfo.coverHref = imageReference(image);
                } else if (name == QLatin1String("lang")) {
                    m_titleInfo.lang = elementText(child);
                } else if (name == QLatin1String("src-lang")) {
                    m_titleInfo.srcLang = elementText(child);
                } else if (name == QLatin1String("translator")) {
                    FbAuthor translator;
                    readAuthor(child, &translator);
                    m_titleInfo.translators.append(translator);
                }
            } else if (partName == QLatin1String("document-info")) {
                if (name == QLatin1String("author"))
                    readAuthor(child, &m_documentInfo.author);
                else if (name == QLatin1String("program-used"))
                    m_documentInfo.programUsed = elementText(child);
                else if (name == QLatin1String("date"))
                    m_documentInfo.date = readDate(child);
                else if (name == QLatin1String("id"))
                    m_documentInfo.id = elementText(child);
                else if (name == QLatin1String("version"))
                    m_documentInfo.version = elementText(child);
            } else if (partName == QLatin1String("publish-info")) {
                if (name == QLatin1String("book-name"))
                    m_publishInfo.bookName = elementText(child);
                else if (name == QLatin1String("publisher"))
                    m_publishInfo.publisher = elementText(child);
                else if (name == QLatin1String("city"))
                    m_publishInfo.city = elementText(child);
                else if (name == QLatin1String("year"))
                    m_publishInfo.year = elementText(child);
            }
        }
    }
}

QString FbDescription::authorName() const
{
    const FbAuthor &author = m_titleInfo.author;
    return QStringLiteral("%1 %2 %3").arg(author.lastName, author.firstName, author.middleName);
}

QString FbDescription::bookTitle() const
{
    if (!m_titleInfo.bookTitle.isEmpty())
        return m_titleInfo.bookTitle;
    if (!bodies.isEmpty() && !bodies.first().sections.isEmpty())
        return plainTitle(bodies.first().sections.first().title);
    return QString();
}

QImage FbDescription::coverImage() const
{
    if (images.isEmpty())
        return QImage();
    for (auto it = images.constBegin(); it != images.constEnd(); ++it) {
        if (it.key().contains(QLatin1String("cover")))
            return it.value();
    }
    return images.constBegin().value();
}

namespace {

    QList<TocItem> sectionItems(QList<FbSection> &sections)
    {
        QList<TocItem> items;
        for (FbSection &section : sections) {
            TocItem item;
            item.title = plainTitle(section.title);
            item.source = section.anchorId();
            item.children = sectionItems(section.subsections);
            items.append(item);
        }
        return items;
    }

} // namespace

QList<TocItem> FbDescription::tocItems()
{
    QList<TocItem> items;
    for (int i = 0; i < bodies.size(); ++i) {
        FbBody &body = bodies[i];
        TocItem item;
        item.title = body.title.isEmpty()
                ? QStringLiteral("%1 %2")
                          .arg(QCoreApplication::translate(
                                  "QObject", "Partition",
                                  "The section title of the book if it is not specified"))
                          .arg(i + 1)
                : body.title;
        item.title = plainTitle(item.title);
        item.source = body.anchorId();
        item.children = sectionItems(body.sections);
        items.append(item);
    }
    return items;
}

} // namespace fb2
