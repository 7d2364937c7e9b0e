#pragma once

#include <QByteArray>
#include <QString>

namespace divad {

// The encoding found in a book file by its byte-order mark.
enum class TextEncoding {
    Ansi = 0, // no mark: code page 936
    Utf8 = 1, // EF BB BF
    Unicode = 2, // FF FE: UTF-16 little-endian
    UnicodeBigEndian = 3, // FE FF
};

// "ANSI", "UTF8", "Unicode" or "Unicode Big Endian", as the book
// information shows it.
QString EncodingName(TextEncoding encoding);

// Turns the bytes of a book file into text in code page 936. Characters the
// code page lacks become "?"; a NUL character inside the text becomes a
// space, so it never ends the book early. Not thread-safe; one per file.
class CTextDecoder
{
public:
    // By the first bytes: FF FE, FE FF, or the full UTF-8 mark EF BB BF. A
    // file that starts with EF BB and another third byte is code page text
    // (EF BB is one of its characters).
    static TextEncoding DetectEncoding(const QByteArray &bytes);
    // Decodes the first length bytes of data. False for fewer than 2 bytes.
    bool Decode(const char *data, qint64 length);
    bool Decode(const QByteArray &bytes) { return Decode(bytes.constData(), bytes.size()); }
    // The result of the last successful Decode (empty before one).
    const QByteArray &Text() const { return m_text; }
    QByteArray takeText() { return std::move(m_text); }

private:
    QByteArray m_text;
};

} // namespace divad
