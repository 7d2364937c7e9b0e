#include "formats/mobi/mobimarkup.h"

#include <QHash>
#include <QRegularExpression>
#include <QTextCodec>
#include <QUuid>
#include <QVarLengthArray>

#include <map>
#include <vector>

namespace mobi {

namespace {

    const QRegularExpression &fileposLink()
    {
        static const QRegularExpression expression(QStringLiteral(
                "<a(?: href=\"[^\"]*\"){0,1}[\\s]+filepos=['\"]{0,1}([\\d]+)[\"']{0,1}"));
        return expression;
    }

    struct Link
    {
        int start;
        int end;
        QString digits;
    };

    struct Target
    {
        int at;
        QString digits;
    };

    // Where the opening tags of a text end: the index of the ">", quoted
    // values (which may hold ">") skipped; -1 when the tag never closes.
    // Tags are looked up in text order, and what one lookup learns serves
    // the later ones: a book full of unclosed tags or stray quotes is still
    // read about once, not once per tag.
    class TagEnds
    {
    public:
        explicit TagEnds(const QString &text)
            : m_text(text)
        {
        }

        // The end of the tag whose name ends before from.
        int find(int from)
        {
            // Tags that start between two marks share the first mark.
            if (m_markFrom < 0 || from < m_markFrom || (m_mark >= 0 && from > m_mark)) {
                m_markFrom = from;
                m_mark = nextMark(from);
            }
            QVarLengthArray<int, 16> quotes;
            int mark = m_mark;
            int end = -1;
            while (mark >= 0) {
                if (m_text.at(mark) == QLatin1Char('>')) {
                    end = mark;
                    break;
                }
                const auto known = m_endAfterQuote.constFind(mark);
                if (known != m_endAfterQuote.constEnd()) {
                    end = known.value();
                    break;
                }
                quotes.append(mark);
                const int closing = m_text.indexOf(m_text.at(mark), mark + 1);
                if (closing < 0)
                    break;
                mark = nextMark(closing + 1);
            }
            // Every quote passed leads to the same end, whichever tag gets
            // there.
            for (const int quote : qAsConst(quotes))
                m_endAfterQuote.insert(quote, end);
            return end;
        }

    private:
        int nextMark(int from) const
        {
            const int size = m_text.size();
            const QChar *characters = m_text.constData();
            for (int i = from; i < size; ++i) {
                const QChar c = characters[i];
                if (c == QLatin1Char('>') || c == QLatin1Char('"') || c == QLatin1Char('\''))
                    return i;
            }
            return -1;
        }

        const QString &m_text;
        QHash<int, int> m_endAfterQuote;
        int m_markFrom = -1;
        int m_mark = -1;
    };

} // namespace

QByteArray rewriteFileposLinks(const QByteArray &text)
{
    // Latin-1 keeps one character per byte, so positions stay byte offsets.
    const QString source = QString::fromLatin1(text);
    const int size = source.size();

    std::vector<Link> links;
    std::map<qulonglong, QString> positions;
    QRegularExpressionMatchIterator matches = fileposLink().globalMatch(source);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        const QString digits = match.captured(1);
        links.push_back(Link { match.capturedStart(0), match.capturedEnd(0), digits });
        bool ok = false;
        const qulonglong value = digits.toULongLong(&ok);
        positions[ok ? value : ~qulonglong(0)] = digits;
    }
    if (links.empty())
        return text;

    // A target never lands inside a tag: it moves back to the tag's "<".
    // Positions come in ascending order, so one forward scan finds the last
    // "<" or ">" before each of them.
    std::vector<Target> targets;
    int scanned = 0;
    int lastMark = -1;
    const QChar *characters = source.constData();
    for (const auto &entry : positions) {
        if (entry.first >= qulonglong(size))
            break;
        const int position = int(entry.first);
        for (; scanned < position; ++scanned) {
            const QChar c = characters[scanned];
            if (c == QLatin1Char('<') || c == QLatin1Char('>'))
                lastMark = scanned;
        }
        const bool insideTag = lastMark >= 0 && characters[lastMark] == QLatin1Char('<');
        targets.push_back(Target { insideTag ? lastMark : position, entry.second });
    }

    QString result;
    result.reserve(size + int(targets.size()) * 32 + int(links.size()) * 8);
    int copied = 0;
    size_t link = 0;
    size_t target = 0;
    while (link < links.size() || target < targets.size()) {
        const bool takeTarget = target < targets.size()
                && (link == links.size() || targets[target].at < links[link].end);
        if (takeTarget) {
            // A target that would split a link tag goes in front of it.
            int at = targets[target].at;
            if (link < links.size() && at > links[link].start)
                at = links[link].start;
            at = qMax(at, copied);
            result.append(source.midRef(copied, at - copied));
            copied = at;
            result.append(QLatin1String("<a name=\""));
            result.append(targets[target].digits);
            result.append(QLatin1String("\">&nbsp;</a>"));
            ++target;
        } else {
            result.append(source.midRef(copied, links[link].start - copied));
            result.append(QLatin1String("<a href=\"#"));
            result.append(links[link].digits);
            result.append(QLatin1Char('"'));
            copied = links[link].end;
            ++link;
        }
    }
    result.append(source.midRef(copied));
    return result.toLatin1();
}

QString pictureFileName(int n)
{
    return QStringLiteral("pdbrec_%1.jpg").arg(n, 5, 10, QLatin1Char('0'));
}

QString rewritePictures(const QString &html, int imageCount)
{
    static const QRegularExpression picture(
            QStringLiteral("<img[^>]*?recindex=[\"']?(\\d+)[\"']?[^>]*>"),
            QRegularExpression::CaseInsensitiveOption);
    QString result;
    result.reserve(html.size());
    int copied = 0;
    QRegularExpressionMatchIterator matches = picture.globalMatch(html);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        result.append(html.midRef(copied, match.capturedStart(0) - copied));
        copied = match.capturedEnd(0);
        bool ok = false;
        const qulonglong number = match.capturedRef(1).toULongLong(&ok);
        if (ok && number >= 1 && number <= qulonglong(imageCount)) {
            result.append(QLatin1String("<center><img src=\""));
            result.append(pictureFileName(int(number - 1)));
            result.append(QLatin1String("\"></center>"));
        }
    }
    result.append(html.midRef(copied));
    return result;
}

QString rewritePageBreaks(const QString &html)
{
    QString result = html;
    return result.replace(QLatin1String("<mbp:pagebreak/>"),
                          QLatin1String("<p style=\"page-break-after:always\"></p>"));
}

QString addHeadingAnchors(const QString &html, QList<Heading> *headings)
{
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    const int size = html.size();
    QString result;
    result.reserve(size + 4096);
    // Where the next closing tag of each level lies (-2: not looked for
    // yet, -1: none after that point). Books with unclosed headings must not
    // make the scan quadratic.
    int nextClose[5] = { -2, -2, -2, -2, -2 };
    TagEnds tagEnds(html);
    int copied = 0;
    int from = 0;
    while (from < size) {
        const int open = html.indexOf(QLatin1String("<h"), from);
        if (open < 0 || open + 2 >= size)
            break;
        from = open + 2;
        const QChar level = html.at(open + 2);
        if (level < QLatin1Char('1') || level > QLatin1Char('4'))
            continue;
        const int tagEnd = tagEnds.find(open + 3);
        if (tagEnd < 0)
            continue;
        const int contentStart = tagEnd + 1;
        const int index = level.unicode() - '0';
        if (nextClose[index] == -1)
            continue;
        if (nextClose[index] < contentStart) {
            const QString closeTag = QStringLiteral("</h%1>").arg(index);
            nextClose[index] = html.indexOf(closeTag, contentStart);
            if (nextClose[index] < 0) {
                nextClose[index] = -1;
                continue;
            }
        }
        const int contentEnd = nextClose[index];
        const int headingEnd = contentEnd + 5;
        Heading heading;
        heading.id = QUuid::createUuid().toString(QUuid::Id128);
        heading.title = html.mid(contentStart, contentEnd - contentStart).remove(tag).trimmed();
        headings->append(heading);
        result.append(html.midRef(copied, open - copied));
        result.append(QLatin1String("<a id=\""));
        result.append(heading.id);
        result.append(QLatin1String("\">&nbsp;</a>"));
        result.append(html.midRef(open, headingEnd - open));
        copied = headingEnd;
        from = headingEnd;
    }
    result.append(html.midRef(copied));
    return result;
}

QString convertToHtml(const QByteArray &text, QTextCodec *codec, int imageCount,
                      QList<Heading> *headings)
{
    if (!codec)
        return QString();
    const QString linked = codec->toUnicode(rewriteFileposLinks(text));
    return addHeadingAnchors(rewritePageBreaks(rewritePictures(linked, imageCount)), headings);
}

} // namespace mobi
