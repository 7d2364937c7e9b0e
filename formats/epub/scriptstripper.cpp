#include "formats/epub/scriptstripper.h"

#include <QString>
#include <QTextCodec>
#include <QVector>

namespace epub {

namespace {

    struct Attribute
    {
        int start = 0; // first character of the whitespace before the name
        int end = 0;
        QString name;
        QString value;
    };

    bool startsWithAt(const QString &text, int at, QLatin1String what)
    {
        return text.midRef(at, what.size()).compare(what, Qt::CaseInsensitive) == 0;
    }

    bool isNameEnd(QChar c)
    {
        return c.isSpace() || c == QLatin1Char('>') || c == QLatin1Char('/')
                || c == QLatin1Char('=');
    }

    QString localName(const QString &name)
    {
        return name.mid(name.lastIndexOf(QLatin1Char(':')) + 1).toLower();
    }

    // The address as the browser would see it: character references decoded,
    // whitespace and control characters (which browsers skip inside a scheme)
    // removed, lower case.
    QString normalisedAddress(const QString &value)
    {
        QString decoded;
        for (int i = 0; i < value.size(); ++i) {
            if (value.at(i) == QLatin1Char('&')) {
                const int semicolon = value.indexOf(QLatin1Char(';'), i);
                if (semicolon > i && semicolon - i < 12) {
                    const QString entity = value.mid(i + 1, semicolon - i - 1).toLower();
                    bool ok = false;
                    uint code = 0;
                    if (entity.startsWith(QLatin1String("#x")))
                        code = entity.mid(2).toUInt(&ok, 16);
                    else if (entity.startsWith(QLatin1Char('#')))
                        code = entity.mid(1).toUInt(&ok, 10);
                    else if (entity == QLatin1String("colon"))
                        code = ':', ok = true;
                    else if (entity == QLatin1String("tab"))
                        code = '\t', ok = true;
                    else if (entity == QLatin1String("newline"))
                        code = '\n', ok = true;
                    if (ok && code < 0x110000) {
                        decoded += QString::fromUcs4(&code, 1);
                        i = semicolon;
                        continue;
                    }
                }
            }
            decoded += value.at(i);
        }
        QString result;
        for (const QChar c : qAsConst(decoded)) {
            if (c.unicode() > 0x20)
                result += c.toLower();
        }
        return result;
    }

    bool isDangerous(const Attribute &attribute)
    {
        if (attribute.name.startsWith(QLatin1String("on"), Qt::CaseInsensitive))
            return true;
        const QString address = normalisedAddress(attribute.value);
        return address.startsWith(QLatin1String("javascript:"))
                || address.startsWith(QLatin1String("vbscript:"));
    }

    // Attributes between from and to (the text of a start tag after its name).
    QVector<Attribute> parseAttributes(const QString &text, int from, int to)
    {
        QVector<Attribute> attributes;
        int i = from;
        while (i < to) {
            const int start = i;
            while (i < to && (text.at(i).isSpace() || text.at(i) == QLatin1Char('/')))
                ++i;
            if (i >= to)
                break;
            const int nameStart = i;
            while (i < to && !isNameEnd(text.at(i)))
                ++i;
            if (i == nameStart) {
                ++i; // a stray "=" or the like
                continue;
            }
            Attribute attribute;
            attribute.start = start;
            attribute.name = text.mid(nameStart, i - nameStart);
            int j = i;
            while (j < to && text.at(j).isSpace())
                ++j;
            if (j < to && text.at(j) == QLatin1Char('=')) {
                ++j;
                while (j < to && text.at(j).isSpace())
                    ++j;
                if (j < to && (text.at(j) == QLatin1Char('"') || text.at(j) == QLatin1Char('\''))) {
                    const QChar quote = text.at(j);
                    const int close = text.indexOf(quote, j + 1);
                    const int valueEnd = (close < 0 || close > to) ? to : close;
                    attribute.value = text.mid(j + 1, valueEnd - j - 1);
                    i = qMin(valueEnd + 1, to);
                } else {
                    const int valueStart = j;
                    while (j < to && !text.at(j).isSpace() && text.at(j) != QLatin1Char('>'))
                        ++j;
                    attribute.value = text.mid(valueStart, j - valueStart);
                    i = j;
                }
            }
            attribute.end = i;
            attributes.append(attribute);
        }
        return attributes;
    }

    // End of the tag that starts at from: the character after its ">", quotes
    // respected; the text's end when the tag never closes.
    int tagEnd(const QString &text, int from)
    {
        QChar quote;
        for (int k = from; k < text.size(); ++k) {
            const QChar c = text.at(k);
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
                quote = c;
            } else if (c == QLatin1Char('>')) {
                return k + 1;
            }
        }
        return text.size();
    }

    QString stripText(const QString &text, bool *changed)
    {
        QString out;
        out.reserve(text.size());
        const int n = text.size();
        int i = 0;
        while (i < n) {
            const int lt = text.indexOf(QLatin1Char('<'), i);
            if (lt < 0) {
                out += text.midRef(i);
                break;
            }
            out += text.midRef(i, lt - i);
            i = lt;

            if (startsWithAt(text, i, QLatin1String("<!--"))) {
                const int close = text.indexOf(QLatin1String("-->"), i + 4);
                const int end = close < 0 ? n : close + 3;
                out += text.midRef(i, end - i);
                i = end;
                continue;
            }
            if (startsWithAt(text, i, QLatin1String("<![CDATA["))) {
                const int close = text.indexOf(QLatin1String("]]>"), i + 9);
                const int end = close < 0 ? n : close + 3;
                out += text.midRef(i, end - i);
                i = end;
                continue;
            }
            int j = i + 1;
            const bool closing = j < n && text.at(j) == QLatin1Char('/');
            if (closing)
                ++j;
            if (j >= n || !(text.at(j).isLetter() || text.at(j) == QLatin1Char('_'))) {
                // "<!DOCTYPE", "<?xml" or a stray "<": copied up to its end.
                const int end
                        = (j < n
                           && (text.at(j) == QLatin1Char('!') || text.at(j) == QLatin1Char('?')))
                        ? tagEnd(text, i)
                        : i + 1;
                out += text.midRef(i, end - i);
                i = end;
                continue;
            }
            const int nameStart = j;
            while (j < n && !isNameEnd(text.at(j)))
                ++j;
            const QString name = text.mid(nameStart, j - nameStart);
            const int end = tagEnd(text, j);

            if (localName(name) == QLatin1String("script")) {
                *changed = true;
                const bool selfClosing = end >= 2 && text.at(end - 1) == QLatin1Char('>')
                        && text.at(end - 2) == QLatin1Char('/');
                i = end;
                if (closing || selfClosing)
                    continue;
                // Everything up to the matching end tag goes, whatever it holds.
                int search = end;
                i = n;
                while (true) {
                    const int close = text.indexOf(QLatin1String("</"), search);
                    if (close < 0)
                        break;
                    int k = close + 2;
                    const int closeNameStart = k;
                    while (k < n && !isNameEnd(text.at(k)))
                        ++k;
                    if (localName(text.mid(closeNameStart, k - closeNameStart))
                        == QLatin1String("script")) {
                        i = tagEnd(text, k);
                        break;
                    }
                    search = close + 2;
                }
                continue;
            }
            if (closing) {
                out += text.midRef(i, end - i);
                i = end;
                continue;
            }

            const int attributesEnd
                    = (end > j && text.at(end - 1) == QLatin1Char('>')) ? end - 1 : end;
            const QVector<Attribute> attributes = parseAttributes(text, j, attributesEnd);
            int copied = i;
            for (const Attribute &attribute : attributes) {
                if (!isDangerous(attribute))
                    continue;
                *changed = true;
                out += text.midRef(copied, attribute.start - copied);
                copied = attribute.end;
            }
            out += text.midRef(copied, end - copied);
            i = end;
        }
        return out;
    }

} // namespace

QByteArray ScriptStripper::strip(const QByteArray &content, bool *changed)
{
    bool removed = false;
    QByteArray result;
    const bool isUtf16 = content.startsWith("\xff\xfe") || content.startsWith("\xfe\xff");
    if (isUtf16) {
        QTextCodec *codec = QTextCodec::codecForName("UTF-16");
        const QString text = stripText(codec->toUnicode(content), &removed);
        if (removed)
            result = codec->fromUnicode(text);
    } else {
        // Latin-1 maps every byte to one character and back, so multi-byte
        // text of any ASCII-compatible encoding passes through untouched;
        // markup is plain ASCII in all of them.
        const QString text = stripText(QString::fromLatin1(content), &removed);
        if (removed)
            result = text.toLatin1();
    }
    if (changed)
        *changed = removed;
    return removed ? result : content;
}

} // namespace epub
