#include "standalone/text/ctextdecoder.h"

#include "standalone/util/ansi.h"

#include <QtEndian>

#include <climits>

namespace divad {

namespace {

    QByteArray fromUnicodeKeepingNuls(QString text)
    {
        text.replace(QChar(0), QLatin1Char(' '));
        return Ansi::fromUnicode(text);
    }

    QString fromUtf16(const char *data, qint64 units, bool bigEndian)
    {
        QString text(int(units), Qt::Uninitialized);
        ushort *out = reinterpret_cast<ushort *>(text.data());
        for (qint64 i = 0; i < units; ++i)
            out[i] = bigEndian ? qFromBigEndian<quint16>(data + 2 * i)
                               : qFromLittleEndian<quint16>(data + 2 * i);
        return text;
    }

} // namespace

QString EncodingName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf8:
        return QStringLiteral("UTF8");
    case TextEncoding::Unicode:
        return QStringLiteral("Unicode");
    case TextEncoding::UnicodeBigEndian:
        return QStringLiteral("Unicode Big Endian");
    case TextEncoding::Ansi:
        break;
    }
    return QStringLiteral("ANSI");
}

TextEncoding CTextDecoder::DetectEncoding(const QByteArray &bytes)
{
    if (bytes.size() < 2)
        return TextEncoding::Ansi;
    const uchar first = uchar(bytes.at(0));
    const uchar second = uchar(bytes.at(1));
    if (first == 0xEF && second == 0xBB && bytes.size() >= 3 && uchar(bytes.at(2)) == 0xBF)
        return TextEncoding::Utf8;
    if (first == 0xFF && second == 0xFE)
        return TextEncoding::Unicode;
    if (first == 0xFE && second == 0xFF)
        return TextEncoding::UnicodeBigEndian;
    return TextEncoding::Ansi;
}

bool CTextDecoder::Decode(const char *data, qint64 length)
{
    m_text.clear();
    if (!data || length < 2)
        return false;
    // Detection needs at most the first three bytes.
    const QByteArray head = QByteArray::fromRawData(data, int(qMin<qint64>(length, 3)));
    const TextEncoding encoding = DetectEncoding(head);
    if (length == 2) {
        if (encoding == TextEncoding::Unicode || encoding == TextEncoding::UnicodeBigEndian)
            return true;
        m_text = QByteArray(data, 2);
        return true;
    }
    if (length > INT_MAX / 2)
        return false;
    switch (encoding) {
    case TextEncoding::Ansi:
        m_text = QByteArray(data, int(length));
        break;
    case TextEncoding::Utf8:
        m_text = fromUnicodeKeepingNuls(QString::fromUtf8(data + 3, int(length - 3)));
        break;
    case TextEncoding::Unicode:
    case TextEncoding::UnicodeBigEndian:
        m_text = fromUnicodeKeepingNuls(
                fromUtf16(data + 2, (length - 2) / 2, encoding == TextEncoding::UnicodeBigEndian));
        break;
    }
    return true;
}

} // namespace divad
