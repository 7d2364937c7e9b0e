#include "standalone/util/ansi.h"

#include <QTextCodec>

namespace divad::Ansi {

namespace {

    QTextCodec *codec()
    {
        static QTextCodec *const gbk = QTextCodec::codecForName("GBK");
        return gbk;
    }

} // namespace

QString toUnicode(const QByteArray &bytes)
{
    return toUnicode(bytes.constData(), bytes.size());
}

QString toUnicode(const char *bytes, int length)
{
    if (QTextCodec *gbk = codec())
        return gbk->toUnicode(bytes, length);
    return QString::fromLatin1(bytes, length);
}

QByteArray fromUnicode(const QString &text)
{
    if (QTextCodec *gbk = codec())
        return gbk->fromUnicode(text);
    return text.toLatin1();
}

QByteArray cutToBytes(const QByteArray &text, int maxBytes)
{
    if (maxBytes <= 0)
        return QByteArray();
    if (text.size() <= maxBytes)
        return text;
    const char *data = text.constData();
    int end = 0;
    while (end < text.size()) {
        const int next = end + charLength(data, end, text.size());
        if (next > maxBytes)
            break;
        end = next;
    }
    return text.left(end);
}

QByteArray upperAscii(const QByteArray &text)
{
    QByteArray result = text;
    char *data = result.data();
    const int length = result.size();
    for (int i = 0; i < length;) {
        const int step = charLength(data, i, length);
        if (step == 1 && data[i] >= 'a' && data[i] <= 'z')
            data[i] = char(data[i] - 'a' + 'A');
        i += step;
    }
    return result;
}

QString upperAsciiText(const QString &text)
{
    QString result = text;
    for (QChar &c : result) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            c = QChar(c.unicode() - 'a' + 'A');
    }
    return result;
}

int widthOf(const QString &text)
{
    int width = 0;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.unicode() < 0x80) {
            ++width;
        } else {
            width += 2;
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                ++i;
        }
    }
    return width;
}

} // namespace divad::Ansi
