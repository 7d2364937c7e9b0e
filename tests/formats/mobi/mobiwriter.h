#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QVector>

// Test-side writer of MOBI books: the Palm database, the PalmDOC and MOBI
// headers, EXTH, PalmDOC compression, HUFF/CDIC tables and picture records.
// It writes what real books carry (offsets where real readers expect them),
// so the same files also open in other MOBI tools.
namespace mobitest {

QByteArray be16(quint16 value);
QByteArray be32(quint32 value);

// Greedy PalmDOC compression of one record.
QByteArray compressPalmDoc(const QByteArray &text);

// A HUFF record from the 256 first-level words and the 32 (minimum,
// maximum) code pairs, with the table offsets written as real books do.
QByteArray huffRecord(const QVector<quint32> &table1, const QVector<quint32> &minMax);

struct CdicEntry
{
    QByteArray bytes;
    bool literal = true;
};

// One CDIC record holding entries; totalEntries is the count over all
// CDIC records of the book.
QByteArray cdicRecord(const QList<CdicEntry> &entries, quint32 codeBits, quint32 totalEntries);

// Packs bit strings ("0110...") into bytes, the last byte padded with 0.
QByteArray packBits(const QByteArray &bits);

// A fixed-length HUFF/CDIC code: entry r has the codeLength-bit code
// (2^codeLength - 1 - r). Non-literal entries hold codes of other entries.
class FixedHuffCode
{
public:
    FixedHuffCode(int codeLength, int codeBits);

    // Adds an entry and returns its index.
    int addLiteral(const QByteArray &bytes);
    int addNested(const QList<int> &indices);

    QByteArray encode(const QList<int> &indices) const;
    // Greedy longest match over the literal entries (every byte that has no
    // entry of its own must not occur in text).
    QByteArray encodeText(const QByteArray &text) const;

    QByteArray huff() const;
    QList<QByteArray> cdics() const;

private:
    QByteArray codeBits(int index) const;

    int m_codeLength;
    int m_codeBits;
    QList<CdicEntry> m_entries;
    // Trie over the literal entries, for encodeText.
    struct Node
    {
        int next[256];
        int entry;
    };
    QVector<Node> m_trie;
};

struct MobiLayout
{
    QByteArray text; // the book text, already encoded
    quint16 compression = 2; // 1 none, 2 PalmDOC, 17480 HUFF/CDIC
    const FixedHuffCode *huff = nullptr; // required for HUFF/CDIC
    QByteArray huffRecord; // or hand-built HUFF ...
    QList<QByteArray> cdicRecords; // ... and CDIC records
    QList<QByteArray> textRecords; // already compressed records (overrides text)
    quint32 encoding = 65001;
    quint16 encryption = 0;
    quint32 bookType = 2;
    QByteArray fullName = "Test Book";
    QList<QPair<quint32, QByteArray>> exth;
    QByteArray exthMagic = "EXTH";
    QList<QByteArray> pictures;
    quint16 extraFlags = 0; // trailing entries are appended to match
    int recordSize = 4096;
    QByteArray identifier = "MOBI"; // empty: a plain PalmDOC book
    qint64 firstNonBook = -1; // -1: the record after the text
    qint64 textRecordSizeField = -1; // -1: recordSize
};

QByteArray makeMobi(const MobiLayout &layout);

// A small picture in the given format ("PNG", "JPG", "BMP"; "GIF" is
// always 1 x 1).
QByteArray picture(int width, int height, const char *format, quint32 rgb = 0xff3366);

} // namespace mobitest
