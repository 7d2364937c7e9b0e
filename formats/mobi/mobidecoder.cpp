#include "formats/mobi/mobidecoder.h"

#include "formats/mobi/mobifile.h"

#include <cstring>

namespace mobi {

namespace {

    inline quint16 readBe16(const uchar *p)
    {
        return quint16((p[0] << 8) | p[1]);
    }

    inline quint32 readBe32(const uchar *p)
    {
        return (quint32(p[0]) << 24) | (quint32(p[1]) << 16) | (quint32(p[2]) << 8) | quint32(p[3]);
    }

    inline quint64 readBe64(const uchar *p)
    {
        return (quint64(readBe32(p)) << 32) | readBe32(p + 4);
    }

    const uchar *bytes(const QByteArray &array)
    {
        return reinterpret_cast<const uchar *>(array.constData());
    }

    // Strings are read 8 bytes at a time; the zeros behind the data make the
    // last read safe and give the "bits past the end are 0" rule for free.
    constexpr int padding = 8;

    QByteArray padded(const QByteArray &data)
    {
        QByteArray copy(data.size() + padding, '\0');
        std::memcpy(copy.data(), data.constData(), size_t(data.size()));
        return copy;
    }

    // Deepest nesting of dictionary strings that is followed.
    constexpr int maximumDepth = 32;
    // Codes decoded for one record, nested ones included. A real record needs a
    // few thousand; the budget stops dictionaries that expand into nothing.
    constexpr qint64 codeBudget = 1 << 20;
    // Bytes kept in the cache of expanded dictionary strings.
    constexpr int cacheLimit = 16 * 1024 * 1024;

} // namespace

QByteArray decodePalmDoc(const QByteArray &record)
{
    // A record holds 4096 bytes of text. Of a far larger one only the start
    // is read, so that the output buffer below stays a size an array holds.
    constexpr int maximumInput = 16 * 1024 * 1024;
    const int size = qMin(record.size(), maximumInput);
    const uchar *in = bytes(record);
    // No code writes more than five bytes per input byte.
    QByteArray output(qMax(8192, size * 5 + 8), Qt::Uninitialized);
    char *out = output.data();
    int length = 0;
    int i = 0;
    while (i < size) {
        const uchar c = in[i++];
        if (c >= 0x01 && c <= 0x08) {
            // A run may end exactly on the record's last byte.
            if (i + c > size)
                break;
            std::memcpy(out + length, in + i, c);
            length += c;
            i += c;
        } else if (c < 0x80) {
            out[length++] = char(c);
        } else if (c >= 0xC0) {
            out[length++] = ' ';
            out[length++] = char(c ^ 0x80);
        } else {
            if (i >= size)
                break;
            const uint pair = (uint(c) << 8) | in[i++];
            const int count = int(pair & 7) + 3;
            const int distance = int((pair >> 3) & 0x7FF);
            if (distance == 0 || distance > length)
                break;
            // Byte by byte: the copy may overlap what it appends.
            const int start = length - distance;
            for (int k = 0; k < count; ++k)
                out[length + k] = out[start + k];
            length += count;
        }
    }
    output.resize(length);
    return output;
}

QByteArray stripTrailingEntries(const QByteArray &record, quint16 extraDataFlags)
{
    if (extraDataFlags == 0)
        return record;
    const uchar *data = bytes(record);
    qint64 size = record.size();
    for (quint16 flags = extraDataFlags >> 1; flags; flags >>= 1) {
        if (!(flags & 1))
            continue;
        // Each entry ends with its own size, written backwards in 7-bit
        // groups; the size counts the size bytes themselves.
        quint32 entrySize = 0;
        int shift = 0;
        qint64 at = size;
        while (at > 0) {
            const uchar v = data[--at];
            entrySize |= quint32(v & 0x7F) << shift;
            shift += 7;
            if ((v & 0x80) || shift >= 28)
                break;
        }
        if (entrySize > quint64(size))
            return QByteArray();
        size -= entrySize;
    }
    if (extraDataFlags & 1) {
        if (size < 1)
            return QByteArray();
        const int overlap = (data[size - 1] & 0x3) + 1;
        if (overlap > size)
            return QByteArray();
        size -= overlap;
    }
    return record.left(int(size));
}

HuffCdicDecoder::HuffCdicDecoder(const QByteArray &huff, const QVector<QByteArray> &dictionaries)
{
    build(huff, dictionaries);
}

HuffCdicDecoder::HuffCdicDecoder(const MobiFile &reader, int firstHuffRecord, int huffRecordCount)
{
    const QByteArray huff = reader.record(firstHuffRecord);
    if (huff.isNull())
        return;
    QVector<QByteArray> dictionaries;
    for (qint64 i = 1; i < huffRecordCount; ++i) {
        const QByteArray dictionary
                = reader.record(int(qMin<qint64>(firstHuffRecord + i, INT_MAX)));
        if (dictionary.isNull())
            return;
        dictionaries.append(dictionary);
    }
    build(huff, dictionaries);
}

void HuffCdicDecoder::build(const QByteArray &huff, const QVector<QByteArray> &dictionaries)
{
    m_valid = false;
    if (huff.size() < 24 || !huff.startsWith("HUFF") || dictionaries.isEmpty())
        return;
    const QByteArray &first = dictionaries.first();
    if (first.size() < 16 || !first.startsWith("CDIC"))
        return;
    const uchar *h = bytes(huff);
    // Writers put the two table offsets big-endian at 8 and 12 and repeat
    // them little-endian at 16 and 20; the big-endian pair is the one to use.
    const quint32 offset1 = readBe32(h + 8);
    const quint32 offset2 = readBe32(h + 12);
    if (quint64(offset1) + 256 * 4 > quint64(huff.size())
        || quint64(offset2) + 64 * 4 > quint64(huff.size()))
        return;
    for (int i = 0; i < 256; ++i)
        m_table1[i] = readBe32(h + offset1 + 4 * i);
    for (int length = 1; length <= 32; ++length) {
        m_minCode[length] = readBe32(h + offset2 + 8 * (length - 1));
        m_maxCode[length] = readBe32(h + offset2 + 8 * (length - 1) + 4);
    }
    m_codeBits = readBe32(bytes(first) + 12);
    m_dictionaries.clear();
    m_dictionaries.reserve(dictionaries.size());
    for (const QByteArray &dictionary : dictionaries)
        m_dictionaries.append(padded(dictionary));
    m_cache.clear();
    m_valid = true;
}

bool HuffCdicDecoder::entry(quint32 index, const uchar **string, int *length, bool *literal) const
{
    const quint64 dictionary = m_codeBits >= 32 ? 0 : (quint64(index) >> m_codeBits);
    if (dictionary >= quint64(m_dictionaries.size()))
        return false;
    const quint64 number = quint64(index) - (m_codeBits >= 32 ? 0 : dictionary << m_codeBits);
    const QByteArray &record = m_dictionaries.at(int(dictionary));
    const qint64 size = record.size() - padding;
    const uchar *data = bytes(record);
    const qint64 slot = 16 + 2 * qint64(number);
    if (slot + 2 > size)
        return false;
    const qint64 offset = 16 + qint64(readBe16(data + slot));
    if (offset + 2 > size)
        return false;
    const quint16 head = readBe16(data + offset);
    const int count = head & 0x7FFF;
    if (offset + 2 + count > size)
        return false;
    *string = data + offset + 2;
    *length = count;
    *literal = head & 0x8000;
    return true;
}

QByteArray HuffCdicDecoder::decode(const QByteArray &record)
{
    m_output.clear();
    if (!m_valid || m_bookBudget <= 0)
        return QByteArray();
    const qint64 allowed = qMin(codeBudget, m_bookBudget);
    m_budget = allowed;
    m_stopped = false;
    const QByteArray data = padded(record);
    unpack(bytes(data), qint64(record.size()) * 8, 0);
    m_bookBudget -= allowed - qMax<qint64>(m_budget, 0);
    return m_output;
}

qint64 HuffCdicDecoder::bookBudget(qint64 fileBytes)
{
    constexpr qint64 floor = 16 * codeBudget;
    constexpr qint64 codesPerByte = 64;
    return floor + codesPerByte * qMax<qint64>(fileBytes, 0);
}

bool HuffCdicDecoder::append(const uchar *data, int length)
{
    const int room = outputCap - m_output.size();
    if (length > room) {
        m_output.append(reinterpret_cast<const char *>(data), room);
        m_stopped = true;
        return false;
    }
    m_output.append(reinterpret_cast<const char *>(data), length);
    return true;
}

int HuffCdicDecoder::unpack(const uchar *data, qint64 bitCount, int depth)
{
    if (depth > maximumDepth)
        return -1;
    bool cut = false;
    int used = 0;
    qint64 position = 0;
    while (position < bitCount) {
        if (m_stopped || --m_budget < 0) {
            m_stopped = true;
            return -1;
        }
        const quint32 x = quint32((readBe64(data + (position >> 3)) << (position & 7)) >> 32);
        const quint32 t = m_table1[x >> 24];
        quint32 length = t & 0x1F;
        if (length == 0)
            break;
        quint32 code = x >> (32 - length);
        quint32 maximum = t >> 8;
        if (!(t & 0x80)) {
            while (code < m_minCode[length]) {
                if (++length > 32)
                    return cut ? -1 : used;
                code = length == 32 ? x : x >> (32 - length);
            }
            maximum = m_maxCode[length];
        }
        position += length;
        if (position > bitCount)
            break;
        const uchar *string = nullptr;
        int stringLength = 0;
        bool literal = false;
        if (!entry(maximum - code, &string, &stringLength, &literal))
            break;
        if (literal) {
            if (!append(string, stringLength))
                return -1;
            continue;
        }
        const quint32 index = maximum - code;
        const auto cached = m_cache.constFind(index);
        if (cached != m_cache.constEnd() && depth + 1 + cached->depth <= maximumDepth) {
            if (!append(bytes(cached->bytes), cached->bytes.size()))
                return -1;
            used = qMax(used, cached->depth + 1);
            continue;
        }
        const int start = m_output.size();
        const int below = unpack(string, qint64(stringLength) * 8, depth + 1);
        if (below < 0) {
            cut = true;
            continue;
        }
        used = qMax(used, below + 1);
        if (m_cacheBytes < cacheLimit) {
            const QByteArray expanded = m_output.mid(start);
            m_cacheBytes += expanded.size();
            m_cache.insert(index, Expansion { expanded, below });
        }
    }
    return cut ? -1 : used;
}

QByteArray decompress(const QByteArray &record, Compression kind, const MobiFile &reader)
{
    switch (kind) {
    case Compression::PalmDoc:
        return decodePalmDoc(record);
    case Compression::HuffCdic: {
        HuffCdicDecoder decoder(reader, reader.firstHuffRecord(), reader.huffRecordCount());
        return decoder.decode(record);
    }
    case Compression::None:
        break;
    }
    return record;
}

} // namespace mobi
