#pragma once

#include <QByteArray>
#include <QString>

// Book text, notes and the names drawn on the page are held as bytes of code
// page 936 (GBK): a byte from 0x81 to 0xFE opens a two-byte character whose
// second byte may be any of 0x40-0x7E or 0x80-0xFE, so it can look like an
// ASCII letter. Every cut, scan and case fold on such bytes goes through
// here, so a character is never split, merged or altered. Stateless; any
// thread.
namespace divad::Ansi {

// The one place bytes of the code page become text and back. Characters the
// code page lacks become "?".
QString toUnicode(const QByteArray &bytes);
QString toUnicode(const char *bytes, int length);
QByteArray fromUnicode(const QString &text);

inline bool isLeadByte(uchar byte)
{
    return byte >= 0x81 && byte <= 0xFE;
}

inline bool isTrailByte(uchar byte)
{
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFE);
}

// Length (1 or 2) of the character that starts at data[index]; a lead byte
// at the end of the data or before a byte that cannot follow it stands
// alone, as the decoder treats it.
inline int charLength(const char *data, int index, int length)
{
    if (index + 1 < length && isLeadByte(uchar(data[index])) && isTrailByte(uchar(data[index + 1])))
        return 2;
    return 1;
}

// The longest prefix of text of at most maxBytes bytes that ends on a
// character boundary.
QByteArray cutToBytes(const QByteArray &text, int maxBytes);

// Upper case of the ASCII letters that are characters of their own; the
// bytes of two-byte characters stay as they are.
QByteArray upperAscii(const QByteArray &text);

// Upper case of the ASCII letters only: two names that differ in anything
// but ASCII letter case stay different.
QString upperAsciiText(const QString &text);

// Bytes the text takes in the code page's measure: one for ASCII, two for
// any other character (also for those the code page lacks), so widths of
// names agree with the byte widths the menus and footers are sized in.
int widthOf(const QString &text);

} // namespace divad::Ansi
