#pragma once

#include <QByteArray>
#include <QHash>
#include <QVector>

#include <limits>

namespace mobi {

class MobiFile;

// How the text records of a book are stored.
enum class Compression { None, PalmDoc, HuffCdic };

// Decodes one PalmDOC (LZ77) record. Decoding stops at the first malformed
// code and returns what was decoded before it; never reads outside record.
// Of a record over 16 MB (a real one holds 4096 bytes) only the first 16 MB
// are decoded.
QByteArray decodePalmDoc(const QByteArray &record);

// Removes the trailing entries that writers append after the compressed data
// of a text record, as the MOBI header's extra-data flags announce them. A
// record whose trailing entries claim more than its size becomes empty.
QByteArray stripTrailingEntries(const QByteArray &record, quint16 extraDataFlags);

// Decoder of HUFF/CDIC records. Built once from the book's HUFF record and
// the CDIC dictionaries after it; decode() may then be called for every
// text record. Every table index and dictionary offset is checked against
// its record: a code that points outside gives no output for the rest of
// that (nested) string. Nested expansion is bounded in depth, in output
// size and in work, so a hostile dictionary cannot make it run away.
class HuffCdicDecoder
{
public:
    // Takes the HUFF record and the CDIC records that follow it in order.
    HuffCdicDecoder(const QByteArray &huff, const QVector<QByteArray> &dictionaries);
    // Reads the HUFF record and (count - 1) CDIC records from the book.
    HuffCdicDecoder(const MobiFile &reader, int firstHuffRecord, int huffRecordCount);

    // False when a record was missing or a magic differed; decode() then
    // answers empty records.
    bool isValid() const { return m_valid; }

    // Output of one record is cut at this many bytes (the largest text
    // record a book can declare is 65535 bytes).
    static constexpr int outputCap = 65536;

    QByteArray decode(const QByteArray &record);

    // Codes that all decode() calls of this decoder may spend together;
    // unbounded until set. Each record has its own budget too, but a book of
    // thousands of records whose dictionary spins each of them to that
    // budget would still take minutes. Once it is spent, decode() answers
    // empty records.
    void setBookBudget(qint64 codes) { m_bookBudget = codes; }
    bool isBudgetSpent() const { return m_bookBudget <= 0; }
    // A book budget for a file of fileBytes: far more than real books need
    // (a code takes at least one bit of the file, and nested expansions are
    // reused), far less than minutes of work.
    static qint64 bookBudget(qint64 fileBytes);

private:
    struct Expansion
    {
        QByteArray bytes;
        int depth = 0; // deepest nesting below the entry that was needed
    };

    void build(const QByteArray &huff, const QVector<QByteArray> &dictionaries);
    // Returns the nesting depth that was used below this level, or -1 when
    // the expansion was cut (depth limit, output cap or work budget).
    int unpack(const uchar *data, qint64 bitCount, int depth);
    // False (and decoding stops) when the output cap is reached.
    bool append(const uchar *data, int length);
    bool entry(quint32 index, const uchar **string, int *length, bool *literal) const;

    QVector<QByteArray> m_dictionaries;
    quint32 m_codeBits = 0;
    quint32 m_table1[256] = {};
    quint32 m_minCode[33] = {};
    quint32 m_maxCode[33] = {};
    QByteArray m_output;
    qint64 m_budget = 0;
    qint64 m_bookBudget = std::numeric_limits<qint64>::max();
    qint64 m_cacheBytes = 0;
    bool m_stopped = false;
    bool m_valid = false;
    // Expansions of non-literal entries that completed without being cut.
    QHash<quint32, Expansion> m_cache;
};

// Decompresses one text record by kind: PalmDOC, HUFF/CDIC (the decoder is
// built from the reader's records) or none (the record as it is).
QByteArray decompress(const QByteArray &record, Compression kind, const MobiFile &reader);

} // namespace mobi
