#include "document/scriptstripper.h"

#include <QString>
#include <QTextCodec>
#include <QVector>

namespace {

struct Attribute
{
    int start = 0; // first character of the whitespace before the name
    int end = 0;
    QString name;
    QString value;
};

struct Tag
{
    int end = 0; // the character after its ">", or the end of the text
    bool selfClosing = false;
    QVector<Attribute> attributes;
};

bool startsWithAt(const QString &text, int at, QLatin1String what)
{
    return text.midRef(at, what.size()).compare(what, Qt::CaseInsensitive) == 0;
}

bool isSpace(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n')
            || c == QLatin1Char('\r') || c == QLatin1Char('\f');
}

bool isTagNameEnd(QChar c)
{
    return isSpace(c) || c == QLatin1Char('>') || c == QLatin1Char('/');
}

bool isAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool isQuote(QChar c)
{
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

QString localName(const QString &name)
{
    return name.mid(name.lastIndexOf(QLatin1Char(':')) + 1).toLower();
}

int digitValue(QChar c, int base)
{
    const ushort u = c.unicode();
    int digit = -1;
    if (u >= '0' && u <= '9')
        digit = u - '0';
    else if (u >= 'a' && u <= 'f')
        digit = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        digit = u - 'A' + 10;
    return digit < base ? digit : -1;
}

// Character references decoded, with or without their ";" as the HTML
// parser takes them; false when the text holds an entity reference whose
// replacement is unknown here (only when namedAllowed is false).
bool decodeReferences(const QString &value, QString *decoded, bool namedAllowed)
{
    const int size = value.size();
    for (int i = 0; i < size; ++i) {
        if (value.at(i) != QLatin1Char('&')) {
            *decoded += value.at(i);
            continue;
        }
        int k = i + 1;
        if (k < size && value.at(k) == QLatin1Char('#')) {
            ++k;
            const bool hex = k < size && (value.at(k) == QLatin1Char('x') || value.at(k) == QLatin1Char('X'));
            if (hex)
                ++k;
            const int digitsStart = k;
            uint code = 0;
            const int base = hex ? 16 : 10;
            // Leading zeros are many digits of one small number.
            while (k < size) {
                const int digit = digitValue(value.at(k), base);
                if (digit < 0)
                    break;
                if (code < 0x110000)
                    code = code * uint(base) + uint(digit);
                ++k;
            }
            if (k > digitsStart) {
                if (code == 0 || code >= 0x110000)
                    code = 0xfffd;
                *decoded += QString::fromUcs4(&code, 1);
                if (k < size && value.at(k) == QLatin1Char(';'))
                    ++k;
                i = k - 1;
                continue;
            }
        } else {
            while (k < size && k - i <= 10 && value.at(k).unicode() < 0x80 && value.at(k).isLetterOrNumber())
                ++k;
            const QString entity = value.mid(i + 1, k - i - 1).toLower();
            const bool terminated = k < size && value.at(k) == QLatin1Char(';');
            QChar known;
            if (entity == QLatin1String("colon"))
                known = QLatin1Char(':');
            else if (entity == QLatin1String("tab"))
                known = QLatin1Char('\t');
            else if (entity == QLatin1String("newline"))
                known = QLatin1Char('\n');
            if (terminated && !known.isNull()) {
                *decoded += known;
                i = k;
                continue;
            }
            if (!namedAllowed && !entity.isEmpty())
                return false;
        }
        *decoded += value.at(i);
    }
    return true;
}

// The address as the browser would see it: character references decoded,
// whitespace and control characters (which browsers skip inside a scheme)
// removed, lower case.
QString normalisedAddress(const QString &value)
{
    QString decoded;
    decodeReferences(value, &decoded, true);
    QString result;
    for (const QChar c : qAsConst(decoded)) {
        if (c.unicode() > 0x20)
            result += c.toLower();
    }
    return result;
}

// Elements whose text the HTML parser takes as text up to their end tag,
// while the XML parser sees markup in it.
bool isRawTextElement(const QString &name)
{
    static const char *const names[] = { "style",   "title",    "textarea", "xmp",      "iframe",
                                         "noembed", "noframes", "noscript", "plaintext" };
    for (const char *raw : names) {
        if (name == QLatin1String(raw))
            return true;
    }
    return false;
}

// Elements that show a document of their own.
bool isFrameElement(const QString &name)
{
    return name == QLatin1String("iframe") || name == QLatin1String("frame")
            || name == QLatin1String("object") || name == QLatin1String("embed")
            || name == QLatin1String("applet");
}

bool isDangerous(const QString &element, const Attribute &attribute)
{
    const QString name = localName(attribute.name);
    if (name.startsWith(QLatin1String("on")) || name == QLatin1String("srcdoc"))
        return true;
    const QString address = normalisedAddress(attribute.value);
    if (address.contains(QLatin1String("javascript:")) || address.contains(QLatin1String("vbscript:")))
        return true;
    // An animation that sets an event handler or a link.
    if (name == QLatin1String("attributename") && address.startsWith(QLatin1String("on")))
        return true;
    // A refresh leaves the book, or reloads a page for ever.
    if (name == QLatin1String("http-equiv")
        && (address == QLatin1String("refresh") || address == QLatin1String("set-cookie")))
        return true;
    // An inline document in a frame is a page of its own, out of reach of
    // the stripping of the book's files.
    return isFrameElement(element) && address.startsWith(QLatin1String("data:"));
}

class Stripper
{
public:
    explicit Stripper(const QString &text)
        : m_text(text)
        , m_size(text.size())
    {
        m_out.reserve(text.size());
    }

    QString run(bool *changed)
    {
        scan(0, m_size, false);
        *changed = m_changed;
        return m_out;
    }

private:
    // Index of what in [from, to), or -1.
    // Searches stay inside [from, to): a search that ran on to the end of
    // the text once per construct would make the work quadratic.
    int find(QLatin1String what, int from, int to) const
    {
        if (from >= to)
            return -1;
        const int at = m_text.midRef(from, to - from).indexOf(what, 0, Qt::CaseInsensitive);
        return at < 0 ? -1 : from + at;
    }

    int find(QChar what, int from, int to) const
    {
        if (from >= to)
            return -1;
        const int at = m_text.midRef(from, to - from).indexOf(what);
        return at < 0 ? -1 : from + at;
    }

    void copy(int from, int to) { m_out += m_text.midRef(from, to - from); }

    // End of a comment that starts at from. HTML ends "<!-->" and "<!--->"
    // at once and also takes "--!>"; XML only "-->": the earliest wins.
    int commentEnd(int from, int to) const
    {
        const int body = from + 4;
        if (body < to && m_text.at(body) == QLatin1Char('>'))
            return body + 1;
        if (body + 1 < to && m_text.at(body) == QLatin1Char('-')
            && m_text.at(body + 1) == QLatin1Char('>'))
            return body + 2;
        for (int k = body;;) {
            const int dashes = find(QLatin1String("--"), k, to);
            if (dashes < 0)
                return to;
            if (dashes + 2 < to && m_text.at(dashes + 2) == QLatin1Char('>'))
                return dashes + 3;
            if (dashes + 3 < to && m_text.at(dashes + 2) == QLatin1Char('!')
                && m_text.at(dashes + 3) == QLatin1Char('>'))
                return dashes + 4;
            k = dashes + 1;
        }
    }

    // End of a "<!" or "<?" construct: the HTML parser ends it at the first
    // ">" whatever quotes it holds.
    int bogusEnd(int from, int to) const
    {
        const int gt = find(QLatin1Char('>'), from, to);
        return gt < 0 ? to : gt + 1;
    }

    // The attributes of a start tag as the HTML tokenizer splits them: a
    // quote opens a value only right after "=", anywhere else it is part of
    // a name.
    Tag scanTag(int from, int to) const
    {
        enum class State { BeforeName, Name, AfterName, BeforeValue, Quoted, Unquoted, AfterQuoted };
        Tag tag;
        State state = State::BeforeName;
        Attribute current;
        QChar quote;
        int valueStart = 0;
        int spaceStart = from;
        bool slash = false;
        int nameEnd = from;
        const auto finish = [&](int end) {
            current.end = end;
            tag.attributes.append(current);
            current = Attribute();
        };
        int k = from;
        for (; k < to; ++k) {
            const QChar c = m_text.at(k);
            switch (state) {
            case State::BeforeName:
                if (c == QLatin1Char('>')) {
                    tag.selfClosing = slash;
                    tag.end = k + 1;
                    return tag;
                }
                slash = c == QLatin1Char('/');
                if (isSpace(c) || slash)
                    break;
                current.start = spaceStart;
                current.name = c;
                state = State::Name;
                break;
            case State::Name:
                if (isSpace(c)) {
                    nameEnd = k;
                    state = State::AfterName;
                } else if (c == QLatin1Char('/')) {
                    finish(k);
                    spaceStart = k;
                    state = State::BeforeName;
                    --k;
                } else if (c == QLatin1Char('=')) {
                    state = State::BeforeValue;
                } else if (c == QLatin1Char('>')) {
                    finish(k);
                    tag.end = k + 1;
                    return tag;
                } else {
                    current.name += c;
                }
                break;
            case State::AfterName:
                if (isSpace(c))
                    break;
                if (c == QLatin1Char('=')) {
                    state = State::BeforeValue;
                    break;
                }
                // A name without a value; the space after it goes with the
                // next attribute.
                finish(nameEnd);
                spaceStart = nameEnd;
                state = State::BeforeName;
                --k; // taken again as the start of the next name
                break;
            case State::BeforeValue:
                if (isSpace(c))
                    break;
                if (isQuote(c)) {
                    quote = c;
                    valueStart = k + 1;
                    state = State::Quoted;
                } else if (c == QLatin1Char('>')) {
                    finish(k);
                    tag.end = k + 1;
                    return tag;
                } else {
                    valueStart = k;
                    state = State::Unquoted;
                }
                break;
            case State::Quoted:
                if (c == quote) {
                    current.value = m_text.mid(valueStart, k - valueStart);
                    finish(k + 1);
                    spaceStart = k + 1;
                    state = State::AfterQuoted;
                }
                break;
            case State::Unquoted:
                if (isSpace(c) || c == QLatin1Char('>')) {
                    current.value = m_text.mid(valueStart, k - valueStart);
                    finish(k);
                    spaceStart = k;
                    state = State::BeforeName;
                    --k;
                }
                break;
            case State::AfterQuoted:
                spaceStart = k;
                state = State::BeforeName;
                --k;
                break;
            }
        }
        // The text ends inside the tag.
        if (state == State::Quoted || state == State::Unquoted)
            current.value = m_text.mid(valueStart, to - valueStart);
        if (state == State::AfterName)
            finish(nameEnd);
        else if (state == State::Name || state == State::BeforeValue || state == State::Quoted
                 || state == State::Unquoted)
            finish(to);
        tag.end = to;
        return tag;
    }

    // A doctype with an internal subset keeps only the entities that stand
    // for plain text: an entity can bring markup (and so scripts) into the
    // XML reading of the document, or name an outside file; other
    // declarations can add default attributes.
    int doctype(int from, int to)
    {
        QChar quote;
        int stop = -1;
        for (int k = from; k < to; ++k) {
            const QChar c = m_text.at(k);
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (isQuote(c)) {
                quote = c;
            } else if (c == QLatin1Char('[') || c == QLatin1Char('>')) {
                stop = k;
                break;
            }
        }
        if (stop < 0 || m_text.at(stop) == QLatin1Char('>')) {
            const int end = bogusEnd(from, to);
            copy(from, end);
            return end;
        }
        const QStringRef head = m_text.midRef(from + 2, stop - from - 2);
        const bool plainHead = !head.contains(QLatin1Char('<')) && !head.contains(QLatin1Char('>'));
        QString kept;
        int k = stop + 1;
        int end = to;
        while (k < to) {
            const QChar c = m_text.at(k);
            if (isSpace(c)) {
                kept += c;
                ++k;
            } else if (c == QLatin1Char(']')) {
                const int gt = find(QLatin1Char('>'), k, to);
                end = gt < 0 ? to : gt + 1;
                break;
            } else if (startsWithAt(m_text, k, QLatin1String("<!--"))) {
                const int close = find(QLatin1String("-->"), k + 4, to);
                k = close < 0 ? to : close + 3;
            } else if (c == QLatin1Char('<')) {
                const int declarationEnd = quotedEnd(k, to);
                if (startsWithAt(m_text, k, QLatin1String("<!ENTITY"))
                    && isPlainEntity(m_text.mid(k, declarationEnd - k)))
                    kept += m_text.midRef(k, declarationEnd - k);
                k = declarationEnd;
            } else {
                ++k; // a parameter entity reference or stray text
            }
        }
        const QString rebuilt = plainHead
                ? m_text.mid(from, stop + 1 - from) + kept + QLatin1String("]>")
                : QString();
        if (rebuilt != m_text.midRef(from, end - from))
            m_changed = true;
        m_out += rebuilt;
        return end;
    }

    // End of a declaration of the internal subset, quotes respected.
    int quotedEnd(int from, int to) const
    {
        QChar quote;
        for (int k = from + 1; k < to; ++k) {
            const QChar c = m_text.at(k);
            if (!quote.isNull()) {
                if (c == quote)
                    quote = QChar();
            } else if (isQuote(c)) {
                quote = c;
            } else if (c == QLatin1Char('>')) {
                return k + 1;
            }
        }
        return to;
    }

    // <!ENTITY name "value"> whose value, references decoded, is plain text.
    static bool isPlainEntity(const QString &declaration)
    {
        const QString body = declaration.mid(8).trimmed();
        int k = 0;
        while (k < body.size() && !isSpace(body.at(k)) && !isQuote(body.at(k)))
            ++k;
        const QString name = body.left(k);
        if (name.isEmpty() || name.startsWith(QLatin1Char('%')))
            return false;
        const QString rest = body.mid(k).trimmed();
        if (rest.size() < 3 || !isQuote(rest.at(0)))
            return false; // external (SYSTEM, PUBLIC) or malformed
        const int close = rest.indexOf(rest.at(0), 1);
        if (close < 0 || rest.midRef(close + 1).trimmed() != QLatin1String(">"))
            return false;
        QString decoded;
        if (!decodeReferences(rest.mid(1, close - 1), &decoded, false))
            return false;
        return !decoded.contains(QLatin1Char('<')) && !decoded.contains(QLatin1Char('&'))
                && !decoded.contains(QLatin1Char('%'));
    }

    void scan(int from, int to, bool insideRawText)
    {
        int i = from;
        while (i < to) {
            const int lt = find(QLatin1Char('<'), i, to);
            if (lt < 0) {
                copy(i, to);
                return;
            }
            copy(i, lt);
            i = lt;

            if (startsWithAt(m_text, i, QLatin1String("<!--"))) {
                const int end = commentEnd(i, to);
                copy(i, end);
                i = end;
                continue;
            }
            if (startsWithAt(m_text, i, QLatin1String("<!DOCTYPE"))) {
                i = doctype(i, to);
                continue;
            }
            int j = i + 1;
            const bool closing = j < to && m_text.at(j) == QLatin1Char('/');
            if (closing)
                ++j;
            // Only an ASCII letter opens a tag for the HTML parser; "<_x" or
            // "<\u00e9" is text to it, whatever the XML parser makes of it.
            if (j >= to || !isAsciiLetter(m_text.at(j))) {
                if (j < to
                    && (closing || m_text.at(j) == QLatin1Char('!')
                        || m_text.at(j) == QLatin1Char('?'))) {
                    // "<!x", "<?x" and "</ x": bogus comments to the first ">".
                    const int end = bogusEnd(i, to);
                    copy(i, end);
                    i = end;
                    continue;
                }
                // A stray "<" is written as a reference: text removed after
                // it must never join it into a tag.
                m_out += QLatin1String("&lt;");
                m_changed = true;
                ++i;
                continue;
            }
            const int nameStart = j;
            while (j < to && !isTagNameEnd(m_text.at(j)))
                ++j;
            const QString name = localName(m_text.mid(nameStart, j - nameStart));

            if (name == QLatin1String("script")) {
                m_changed = true;
                const Tag tag = scanTag(j, to);
                if (closing || tag.selfClosing) {
                    i = tag.end;
                    continue;
                }
                // Everything up to the first end tag either parser would
                // take goes, whatever it holds.
                i = to;
                int search = tag.end;
                while (true) {
                    const int close = find(QLatin1String("</"), search, to);
                    if (close < 0)
                        break;
                    int k = close + 2;
                    const int closeNameStart = k;
                    while (k < to && !isTagNameEnd(m_text.at(k)))
                        ++k;
                    if (localName(m_text.mid(closeNameStart, k - closeNameStart))
                        == QLatin1String("script")) {
                        i = bogusEnd(k, to);
                        break;
                    }
                    search = close + 2;
                }
                continue;
            }
            if (closing) {
                const int end = bogusEnd(j, to);
                copy(i, end);
                i = end;
                continue;
            }

            const Tag tag = scanTag(j, to);
            int copied = i;
            for (const Attribute &attribute : tag.attributes) {
                if (!isDangerous(name, attribute))
                    continue;
                m_changed = true;
                copy(copied, attribute.start);
                copied = attribute.end;
            }
            copy(copied, tag.end);
            i = tag.end;

            // "<title/>" is no empty element to the HTML parser.
            if (!insideRawText && isRawTextElement(name)) {
                // The HTML parser reads text up to the end tag; the XML
                // parser reads markup. Looked at as markup, but never past
                // where the HTML parser ends the element.
                int end = to;
                int search = i;
                while (true) {
                    const int close = find(QLatin1String("</"), search, to);
                    if (close < 0)
                        break;
                    const int after = close + 2 + name.size();
                    if (m_text.midRef(close + 2, name.size()).compare(name, Qt::CaseInsensitive) == 0
                        && (after >= to || isTagNameEnd(m_text.at(after)))) {
                        end = close;
                        break;
                    }
                    search = close + 2;
                }
                scan(i, end, true);
                i = end;
            }
        }
    }

    const QString &m_text;
    const int m_size;
    QString m_out;
    bool m_changed = false;
};

} // namespace

QByteArray ScriptStripper::strip(const QByteArray &content, bool *changed)
{
    bool removed = false;
    QByteArray result;
    const bool isUtf16 = content.startsWith("\xff\xfe") || content.startsWith("\xfe\xff");
    if (isUtf16) {
        QTextCodec *codec = QTextCodec::codecForName("UTF-16");
        const QString text = codec->toUnicode(content);
        const QString stripped = Stripper(text).run(&removed);
        if (removed)
            result = codec->fromUnicode(stripped);
    } else {
        // Latin-1 maps every byte to one character and back, so multi-byte
        // text of any ASCII-compatible encoding passes through untouched;
        // markup is plain ASCII in all of them.
        const QString text = QString::fromLatin1(content);
        const QString stripped = Stripper(text).run(&removed);
        if (removed)
            result = stripped.toLatin1();
    }
    if (changed)
        *changed = removed;
    return removed ? result : content;
}
