#include "pagination/searchreplyestimate.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// Files larger than this are not read for an estimate: the viewer never
// writes chapters of that size, and a wrong guess only costs a second try.
constexpr qint64 LargestFileRead = 64 * 1024 * 1024;

bool isBlockTag(QStringView name)
{
    // Spans and links are elements of their own for the page script, each
    // a hit of its own.
    static const char *const Names[]
            = { "p", "div", "li", "h1", "h2", "h3", "h4", "h5", "h6", "td", "th", "pre", "dd", "dt",
                "blockquote", "figcaption", "caption", "tr", "body", "section", "article",
                "span", "a" };
    for (const char *candidate : Names) {
        if (name.compare(QLatin1String(candidate), Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

// The name of the tag that starts at `from` (just after "<" or "</").
QStringView tagName(const QString &content, int from)
{
    int end = from;
    while (end < content.size() && content.at(end).isLetterOrNumber())
        ++end;
    return QStringView(content).mid(from, end - from);
}

// What one hit costs in the serialised reply: its key in the hits and in
// the positions (a string each), its text and its page.
qint64 hitCost(qint64 textLength, const QString &name)
{
    // "<name>?vorid=true#<id>": the id is a short number.
    const qint64 key = 4 + 2 * (qint64(name.size()) + 24);
    return 2 * key + 4 + 2 * textLength + 4;
}

} // namespace

namespace SearchReplyEstimate {

qint64 hitBytes(const QString &content, const QString &name, const QString &word)
{
    if (word.isEmpty())
        return 0;
    qint64 bytes = 0;
    QString run;
    const auto closeRun = [&] {
        if (run.contains(word, Qt::CaseInsensitive))
            bytes += hitCost(run.size(), name);
        run.clear();
    };
    // Text outside tags, cut into runs at the tags that start or end a
    // block; the head and what scripts or styles hold is left out.
    const int body = content.indexOf(QLatin1String("<body"), 0, Qt::CaseInsensitive);
    int i = body < 0 ? 0 : body;
    const int size = content.size();
    while (i < size) {
        const QChar c = content.at(i);
        if (c != QLatin1Char('<')) {
            run.append(c);
            ++i;
            continue;
        }
        const bool closing = i + 1 < size && content.at(i + 1) == QLatin1Char('/');
        const QStringView tag = tagName(content, i + (closing ? 2 : 1));
        int end = content.indexOf(QLatin1Char('>'), i);
        if (end < 0)
            break;
        if (!closing
            && (tag.compare(QLatin1String("style"), Qt::CaseInsensitive) == 0
                || tag.compare(QLatin1String("script"), Qt::CaseInsensitive) == 0)) {
            const QString closer = QLatin1String("</") + tag.toString();
            const int after = content.indexOf(closer, end, Qt::CaseInsensitive);
            end = after < 0 ? size - 1 : content.indexOf(QLatin1Char('>'), after);
            if (end < 0)
                break;
        }
        if (isBlockTag(tag))
            closeRun();
        i = end + 1;
    }
    closeRun();
    return bytes;
}

qint64 hitBytes(const PaginationRequest &request)
{
    if (request.searchText.isEmpty())
        return 0;
    qint64 bytes = 0;
    const QDir folder(request.contentFolder);
    for (const QString &name : request.documents) {
        // Only plain files: a pipe would keep the viewer waiting.
        const QFileInfo info(folder.filePath(name));
        if (!info.isFile() || info.size() > LargestFileRead)
            continue;
        QFile file(info.filePath());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        bytes += hitBytes(QString::fromUtf8(file.readAll()), name, request.searchText);
    }
    return bytes;
}

} // namespace SearchReplyEstimate
