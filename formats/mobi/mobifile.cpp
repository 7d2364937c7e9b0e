#include "formats/mobi/mobifile.h"

#include "core/logger.h"
#include "document/textdocument.h"

#include <QTextCodec>

#include <cstring>

namespace mobi {

namespace {

    // Sizes of the fixed parts of the container.
    constexpr qint64 pdbHeaderSize = 78;
    constexpr qint64 palmDocHeaderSize = 16;
    // The MOBI header field that holds the extra-data flags exists from this
    // header length on; the flags lie at this offset of record 0.
    constexpr quint32 extraFlagsHeaderLength = 0xE4;
    constexpr qint64 extraFlagsOffset = 0xF2;

    quint16 be16(const uchar *p)
    {
        return quint16((p[0] << 8) | p[1]);
    }

    quint32 be32(const uchar *p)
    {
        return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
    }

    // Big-endian number of record 0 at offset, 0 when the record is shorter.
    quint32 field32(const QByteArray &record, qint64 offset)
    {
        if (offset < 0 || offset + 4 > record.size())
            return 0;
        return be32(reinterpret_cast<const uchar *>(record.constData()) + offset);
    }

    quint16 field16(const QByteArray &record, qint64 offset)
    {
        if (offset < 0 || offset + 2 > record.size())
            return 0;
        return be16(reinterpret_cast<const uchar *>(record.constData()) + offset);
    }

    QTextCodec *codecFor(quint32 encoding)
    {
        const QString name = MobiTextEncodingName(encoding);
        if (name.isEmpty())
            return nullptr;
        QTextCodec *codec = QTextCodec::codecForName(name.toLatin1());
        if (!codec && encoding == 1252)
            codec = QTextCodec::codecForName("windows-1252");
        return codec;
    }

    // The picture formats that books carry, told by their first bytes.
    bool looksLikePicture(const QByteArray &data)
    {
        return data.startsWith("\xFF\xD8\xFF") || data.startsWith("\x89PNG\r\n\x1A\n")
                || data.startsWith("GIF87a") || data.startsWith("GIF89a")
                || (data.startsWith("BM") && data.size() > 26);
    }

} // namespace

MobiFile::MobiFile(const QString &filePath)
    : m_file(filePath)
{
    if (!m_file.open(QIODevice::ReadOnly))
        return;
    m_size = m_file.size();
    m_data = m_size > 0 ? m_file.map(0, m_size) : nullptr;
    if (!m_data && m_size > 0) {
        // Some file systems cannot map; hold the bytes instead.
        m_bytes = m_file.readAll();
        m_size = m_bytes.size();
        m_data = reinterpret_cast<const uchar *>(m_bytes.constData());
    }
    readHeaders();
}

std::unique_ptr<MobiFile> MobiFile::fromBytes(const QByteArray &bytes)
{
    std::unique_ptr<MobiFile> file(new MobiFile);
    file->m_bytes = bytes;
    file->m_size = bytes.size();
    file->m_data = reinterpret_cast<const uchar *>(file->m_bytes.constData());
    file->readHeaders();
    return file;
}

MobiFile::~MobiFile() = default;

bool MobiFile::recordBounds(int i, qint64 *begin, qint64 *end) const
{
    if (i < 0 || i >= m_recordCount)
        return false;
    const uchar *entry = m_data + pdbHeaderSize + 8 * qint64(i);
    *begin = be32(entry);
    *end = i + 1 < m_recordCount ? qint64(be32(entry + 8)) : m_size;
    if (*end > m_size)
        *end = m_size;
    // Records hold a few kilobytes of text or one picture. One of gigabytes
    // would not fit a byte array; it only comes from a file that is no book.
    constexpr qint64 maximumRecordSize = 256 * 1024 * 1024;
    return *begin <= *end && *end - *begin <= maximumRecordSize;
}

QByteArray MobiFile::record(int i) const
{
    qint64 begin = 0;
    qint64 end = 0;
    if (!recordBounds(i, &begin, &end))
        return QByteArray();
    return QByteArray(reinterpret_cast<const char *>(m_data + begin), int(end - begin));
}

void MobiFile::readHeaders()
{
    if (!m_data || m_size < pdbHeaderSize)
        return;
    m_type = QByteArray(reinterpret_cast<const char *>(m_data + 60), 4);
    m_creator = QByteArray(reinterpret_cast<const char *>(m_data + 64), 4);
    // A record list cut short by the end of the file keeps what is there.
    const qint64 listed = be16(m_data + 76);
    m_recordCount = int(qMin(listed, (m_size - pdbHeaderSize) / 8));

    const QByteArray first = record(0);
    if (first.size() < palmDocHeaderSize)
        return;
    m_compression = field16(first, 0);
    m_textLength = field32(first, 4);
    m_textRecordCount = field16(first, 8);
    m_textRecordSize = field16(first, 10);
    m_encryption = field16(first, 12);

    m_identifier = first.mid(16, 4);
    if (!hasMobiHeader())
        return; // a plain PalmDOC book: no MOBI header, EXTH or full name
    const auto header
            = [&first](qint64 offset) { return field32(first, palmDocHeaderSize + offset); };
    m_headerLength = header(4);
    m_bookType = header(8);
    m_textEncoding = header(12);
    m_firstNonBookRecord = header(64);
    m_fullNameOffset = header(68);
    m_fullNameLength = header(72);
    m_firstHuffRecord = header(96);
    m_huffRecordCount = header(100);
    m_exthFlags = header(112);
    if (m_headerLength >= extraFlagsHeaderLength)
        m_extraDataFlags = field16(first, extraFlagsOffset);

    const qint64 exthStart = palmDocHeaderSize + qint64(m_headerLength);
    qint64 exthSize = 0;
    if (m_exthFlags & 0x40) {
        readExth(exthStart, first.size());
        if (!m_exth.isEmpty()) {
            qint64 sum = 0;
            for (const ExthRecord &record : qAsConst(m_exth))
                sum += 8 + record.data.size();
            exthSize = 12 + sum + (4 - sum % 4) % 4;
        }
    }

    // The full name lies somewhere after the headers in record 0.
    const qint64 restStart = exthStart + exthSize;
    qint64 nameStart = m_fullNameOffset;
    const qint64 nameLength = m_fullNameLength;
    if (nameStart >= restStart && nameStart < first.size() && nameLength > 0
        && nameStart + nameLength <= first.size()) {
        while (nameStart < first.size() && first.at(int(nameStart)) == '\0')
            ++nameStart;
        if (nameStart + nameLength <= first.size())
            m_fullName = first.mid(int(nameStart), int(nameLength));
    }
}

void MobiFile::readExth(qint64 offset, qint64 end)
{
    m_exth.clear();
    if (offset < 0 || offset + 12 > end)
        return;
    const QByteArray first = record(0);
    const uchar *data = reinterpret_cast<const uchar *>(first.constData());
    if (std::memcmp(data + offset, "EXTH", 4) != 0)
        return;
    const quint32 count = be32(data + offset + 8);
    qint64 at = offset + 12;
    for (quint32 i = 0; i < count; ++i) {
        if (at + 8 > end)
            break;
        const quint32 type = be32(data + at);
        const quint32 length = be32(data + at + 4);
        const qint64 dataLength = length < 8 ? 0 : qint64(length) - 8;
        if (at + 8 + dataLength > end)
            break;
        m_exth.append(ExthRecord { type, first.mid(int(at + 8), int(dataLength)) });
        at += 8 + dataLength;
    }
}

Compression MobiFile::compression() const
{
    switch (m_compression) {
    case 2:
        return Compression::PalmDoc;
    case 17480:
        return Compression::HuffCdic;
    default:
        return Compression::None;
    }
}

QString MobiFile::exthText(quint32 type) const
{
    for (const ExthRecord &record : m_exth) {
        if (record.type == type)
            return QString::fromUtf8(record.data);
    }
    return QString();
}

QString MobiFile::title() const
{
    QTextCodec *codec = codecFor(m_textEncoding);
    return codec ? codec->toUnicode(m_fullName) : QString();
}

QByteArray MobiFile::rawText() const
{
    qint64 last = m_firstNonBookRecord > 0 ? qint64(m_firstNonBookRecord) : m_recordCount;
    // Index and other records may sit between the text and the first
    // non-book record; the declared text record count bounds the text.
    if (m_textRecordCount > 0)
        last = qMin<qint64>(last, m_textRecordCount + 1);
    last = qMin<qint64>(last, m_recordCount);

    const Compression kind = compression();
    std::unique_ptr<HuffCdicDecoder> huff;
    if (kind == Compression::HuffCdic) {
        huff.reset(new HuffCdicDecoder(*this, int(qMin<quint32>(m_firstHuffRecord, INT_MAX)),
                                       int(qMin<quint32>(m_huffRecordCount, INT_MAX))));
        huff->setBookBudget(HuffCdicDecoder::bookBudget(m_size));
    }

    // Real books decompress to a few times their size. The record list of a
    // hostile file may name the same bytes thousands of times (or each HUFF
    // record may expand to the most a record can hold), so the text is
    // bounded by the file's size, with a floor for small books and a ceiling
    // that the conversion to HTML can still afford.
    constexpr qint64 mebibyte = 1024 * 1024;
    const qint64 limit = qBound(64 * mebibyte, 16 * m_size, 256 * mebibyte);

    QByteArray text;
    // The declared length is only a hint; a damaged header must not make
    // the reader reserve far more than the file could hold.
    text.reserve(int(qMin<qint64>(qMin<qint64>(m_textLength, 8 * m_size), 64 * mebibyte)));
    for (int i = 1; i < last; ++i) {
        const QByteArray stored = stripTrailingEntries(record(i), m_extraDataFlags);
        QByteArray decoded;
        switch (kind) {
        case Compression::PalmDoc:
            decoded = decodePalmDoc(stored);
            break;
        case Compression::HuffCdic:
            if (huff->isBudgetSpent()) {
                Logger::instance()->write(
                        QStringLiteral("MOBI: the dictionary takes more work than a book of %1 "
                                       "bytes can; the text is cut at record %2")
                                .arg(m_size)
                                .arg(i),
                        Logger::Warning);
                return text;
            }
            decoded = huff->decode(stored);
            break;
        case Compression::None:
            decoded = stored;
            break;
        }
        if (m_textRecordSize > 0 && decoded.size() > m_textRecordSize)
            decoded.truncate(m_textRecordSize);
        if (text.size() + qint64(decoded.size()) > limit) {
            text.append(decoded.constData(), int(limit - text.size()));
            Logger::instance()->write(
                    QStringLiteral("MOBI: the text is cut at %1 bytes, more than the book can hold")
                            .arg(limit),
                    Logger::Warning);
            break;
        }
        text.append(decoded);
    }
    return text;
}

QTextCodec *MobiFile::textCodec() const
{
    return codecFor(m_textEncoding);
}

QString MobiFile::text() const
{
    QTextCodec *codec = codecFor(m_textEncoding);
    if (!codec) {
        Logger::instance()->write(
                QStringLiteral("Can't get text codec for MOBI text - codec value: %1")
                        .arg(m_textEncoding),
                Logger::Error);
        return QString();
    }
    return codec->toUnicode(rawText());
}

int MobiFile::firstImageRecord() const
{
    if (m_firstImageRecord >= 0)
        return m_firstImageRecord;
    qint64 start = m_firstNonBookRecord > 0 ? qint64(m_firstNonBookRecord) : m_textRecordCount + 1;
    m_firstImageRecord = m_recordCount;
    for (qint64 i = start; i < m_recordCount; ++i) {
        const QByteArray data = record(int(i));
        if (!data.isNull() && looksLikePicture(data)) {
            m_firstImageRecord = int(i);
            break;
        }
    }
    return m_firstImageRecord;
}

int MobiFile::imageCount() const
{
    return m_recordCount - firstImageRecord();
}

QImage MobiFile::image(int n, qint64 *pixelBudget) const
{
    if (n < 0 || n >= imageCount())
        return QImage();
    const QByteArray data = record(firstImageRecord() + n);
    if (data.isNull() || !looksLikePicture(data))
        return QImage();
    return TextDocument::decodeImage(data, pixelBudget);
}

QImage MobiFile::coverImage() const
{
    if (isEncrypted() || firstImageRecord() == m_recordCount)
        return QImage();
    return image(0);
}

QString MobiCompressionName(quint32 value)
{
    switch (value) {
    case 1:
        return QStringLiteral("None");
    case 2:
        return QStringLiteral("PalmDOC");
    case 17480:
        return QStringLiteral("HUFF/CDIC");
    default:
        return QStringLiteral("Unknown (%1)").arg(value);
    }
}

QString MobiEncryptionName(quint32 value)
{
    switch (value) {
    case 0:
        return QStringLiteral("None");
    case 1:
        return QStringLiteral("Old Mobipocket");
    case 2:
        return QStringLiteral("Mobipocket");
    default:
        return QStringLiteral("Unknown (%1)").arg(value);
    }
}

QString MobiBookTypeName(quint32 value)
{
    switch (value) {
    case 2:
        return QStringLiteral("Mobipocket Book");
    case 3:
        return QStringLiteral("PalmDoc Book");
    case 4:
        return QStringLiteral("Audio");
    case 257:
        return QStringLiteral("News");
    case 258:
        return QStringLiteral("News Feed");
    case 259:
        return QStringLiteral("News Magazine");
    case 513:
        return QStringLiteral("PICS");
    case 514:
        return QStringLiteral("WORD");
    case 515:
        return QStringLiteral("XLS");
    case 516:
        return QStringLiteral("PPT");
    case 517:
        return QStringLiteral("TEXT");
    case 518:
        return QStringLiteral("HTML");
    default:
        return QStringLiteral("Unknown (%1)").arg(value);
    }
}

QString MobiTextEncodingName(quint32 value)
{
    switch (value) {
    case 65001:
        return QStringLiteral("UTF-8");
    case 1252:
        return QStringLiteral("Cp1252");
    default:
        return QString();
    }
}

} // namespace mobi
