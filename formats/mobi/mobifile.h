#pragma once

#include "formats/mobi/mobidecoder.h"

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QList>
#include <QString>

#include <memory>

class QTextCodec;

namespace mobi {

// One EXTH metadata record: its type and its raw data.
struct ExthRecord
{
    quint32 type = 0;
    QByteArray data;
};

// Reader of a MOBI or PRC book: the Palm database container, the PalmDOC
// and MOBI headers of record 0 with the EXTH block, the full name, the text
// and the picture records. The file is opened and its headers are read by
// the constructor; it stays mapped (or held) until the reader is destroyed.
//
// Nothing here trusts the file: every offset, length and count is checked
// against the file and the record it lies in. A missing, short or damaged
// file leaves empty fields and null records; no call throws or crashes.
// A reader is used by one thread at a time; readers share no state.
class MobiFile
{
public:
    explicit MobiFile(const QString &filePath);
    // Reads a book held in memory (the bytes are shared, not copied).
    static std::unique_ptr<MobiFile> fromBytes(const QByteArray &bytes);
    ~MobiFile();

    // True when the Palm database header and its record list were read.
    bool isOpen() const { return m_recordCount > 0; }

    int recordCount() const { return m_recordCount; }
    // Bytes of record i; a null array when i is out of range, the record
    // list puts it outside the file or makes it larger than 256 MB.
    QByteArray record(int i) const;

    // Palm database type and creator ("BOOK" "MOBI", "TEXt" "REAd").
    QByteArray databaseType() const { return m_type; }
    QByteArray databaseCreator() const { return m_creator; }

    // The four bytes where the MOBI header starts; "MOBI" for a real book.
    QByteArray identifier() const { return m_identifier; }
    bool hasMobiHeader() const { return m_identifier == "MOBI"; }

    quint16 compressionType() const { return m_compression; }
    Compression compression() const;
    quint32 textLength() const { return m_textLength; }
    quint16 textRecordCount() const { return m_textRecordCount; }
    quint16 textRecordSize() const { return m_textRecordSize; }
    quint16 encryptionType() const { return m_encryption; }
    bool isEncrypted() const { return m_encryption != 0; }

    quint32 mobiHeaderLength() const { return m_headerLength; }
    quint32 bookType() const { return m_bookType; }
    quint32 textEncoding() const { return m_textEncoding; }
    quint32 firstNonBookRecord() const { return m_firstNonBookRecord; }
    quint32 firstHuffRecord() const { return m_firstHuffRecord; }
    quint32 huffRecordCount() const { return m_huffRecordCount; }
    quint16 extraDataFlags() const { return m_extraDataFlags; }

    const QList<ExthRecord> &exthRecords() const { return m_exth; }
    // Data of the first EXTH record of this type as UTF-8; "" when none.
    QString exthText(quint32 type) const;
    // EXTH record 100.
    QString author() const { return exthText(100); }
    // The full name of the book, decoded with the book's text codec.
    QString title() const;

    // The text records 1 .. last, trailing entries stripped, decompressed
    // and each cut to the text record size. The whole is cut at 16 times
    // the file's size, but never below 64 MB nor above 256 MB.
    QByteArray rawText() const;
    // rawText() decoded with the book's text codec; "" (and a log line) when
    // the book names an encoding that has no codec.
    QString text() const;
    // The codec of the book's text encoding; null when it has none.
    QTextCodec *textCodec() const;

    // First record, at or after the first non-book record, that holds a
    // picture; recordCount() when none does. Computed once.
    int firstImageRecord() const;
    int imageCount() const;
    // Picture n (0-based) after the first image record; a null image when
    // the record is missing, no picture, or too large to decode safely (see
    // TextDocument::decodeImage() for pixelBudget).
    QImage image(int n, qint64 *pixelBudget = nullptr) const;
    // image(0) when the book is not encrypted and has pictures.
    QImage coverImage() const;

private:
    MobiFile() = default;
    void readHeaders();
    void readExth(qint64 offset, qint64 end);
    bool recordBounds(int i, qint64 *begin, qint64 *end) const;

    QFile m_file;
    QByteArray m_bytes;
    const uchar *m_data = nullptr;
    qint64 m_size = 0;

    int m_recordCount = 0;
    QByteArray m_type;
    QByteArray m_creator;

    quint16 m_compression = 0;
    quint32 m_textLength = 0;
    quint16 m_textRecordCount = 0;
    quint16 m_textRecordSize = 0;
    quint16 m_encryption = 0;

    QByteArray m_identifier;
    quint32 m_headerLength = 0;
    quint32 m_bookType = 0;
    quint32 m_textEncoding = 0;
    quint32 m_firstNonBookRecord = 0;
    quint32 m_fullNameOffset = 0;
    quint32 m_fullNameLength = 0;
    quint32 m_firstHuffRecord = 0;
    quint32 m_huffRecordCount = 0;
    quint32 m_exthFlags = 0;
    quint16 m_extraDataFlags = 0;
    QList<ExthRecord> m_exth;
    QByteArray m_fullName;

    mutable int m_firstImageRecord = -1;
};

// Display names of header values; other values give "Unknown (%1)".
QString MobiCompressionName(quint32 value);
QString MobiEncryptionName(quint32 value);
QString MobiBookTypeName(quint32 value);
// "UTF-8" for 65001, "Cp1252" for 1252, else "".
QString MobiTextEncodingName(quint32 value);

} // namespace mobi
