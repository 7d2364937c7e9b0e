#include "tests/formats/mobi/mobiwriter.h"

#include <QBuffer>
#include <QImage>

#include <cstring>

namespace mobitest {

QByteArray be16(quint16 value)
{
    QByteArray bytes(2, '\0');
    bytes[0] = char(value >> 8);
    bytes[1] = char(value);
    return bytes;
}

QByteArray be32(quint32 value)
{
    QByteArray bytes(4, '\0');
    for (int i = 0; i < 4; ++i)
        bytes[i] = char(value >> (24 - 8 * i));
    return bytes;
}

namespace {

    QByteArray le32(quint32 value)
    {
        QByteArray bytes(4, '\0');
        for (int i = 0; i < 4; ++i)
            bytes[i] = char(value >> (8 * i));
        return bytes;
    }

    void put32(QByteArray &bytes, int offset, quint32 value)
    {
        bytes.replace(offset, 4, be32(value));
    }

    void put16(QByteArray &bytes, int offset, quint16 value)
    {
        bytes.replace(offset, 2, be16(value));
    }

    bool needsEscape(uchar c)
    {
        return (c >= 0x01 && c <= 0x08) || c >= 0x80;
    }

    // Trailing entries as writers append them: the multibyte byte right after
    // the data, then one entry per higher flag bit, bit 1 last.
    QByteArray trailingEntries(quint16 flags)
    {
        QByteArray tail;
        if (flags & 1)
            tail.append('\0');
        for (int bit = 15; bit >= 1; --bit) {
            if (!(flags & (1 << bit)))
                continue;
            const QByteArray data = "T" + QByteArray::number(bit);
            tail.append(data);
            tail.append(char(0x80 | (data.size() + 1)));
        }
        return tail;
    }

} // namespace

QByteArray compressPalmDoc(const QByteArray &text)
{
    const int n = text.size();
    const uchar *in = reinterpret_cast<const uchar *>(text.constData());
    QByteArray out;
    out.reserve(n);
    // Last position of each three-byte prefix, for finding matches.
    QVector<int> head(1 << 16, -1);
    QVector<int> previous(n, -1);
    const auto hash
            = [in](int i) { return ((in[i] << 8) ^ (in[i + 1] << 4) ^ in[i + 2]) & 0xFFFF; };
    const auto remember = [&](int i) {
        if (i + 2 < n) {
            const int h = hash(i);
            previous[i] = head[h];
            head[h] = i;
        }
    };
    int i = 0;
    while (i < n) {
        int bestLength = 0;
        int bestDistance = 0;
        if (i + 3 <= n) {
            int candidate = head[hash(i)];
            for (int tries = 0; candidate >= 0 && tries < 32; ++tries) {
                const int distance = i - candidate;
                if (distance > 2047)
                    break;
                int length = 0;
                while (length < 10 && i + length < n && in[candidate + length] == in[i + length])
                    ++length;
                if (length > bestLength) {
                    bestLength = length;
                    bestDistance = distance;
                }
                candidate = previous[candidate];
            }
        }
        if (bestLength >= 3) {
            const quint16 pair = quint16(0x8000 | (bestDistance << 3) | (bestLength - 3));
            out.append(be16(pair));
            for (int k = 0; k < bestLength; ++k)
                remember(i + k);
            i += bestLength;
            continue;
        }
        const uchar c = in[i];
        if (c == ' ' && i + 1 < n && in[i + 1] >= 0x40 && in[i + 1] < 0x80) {
            out.append(char(in[i + 1] ^ 0x80));
            remember(i);
            remember(i + 1);
            i += 2;
            continue;
        }
        if (!needsEscape(c)) {
            out.append(char(c));
            remember(i);
            ++i;
            continue;
        }
        int run = 0;
        while (run < 8 && i + run < n && needsEscape(in[i + run]))
            ++run;
        out.append(char(run));
        out.append(text.mid(i, run));
        for (int k = 0; k < run; ++k)
            remember(i + k);
        i += run;
    }
    return out;
}

QByteArray huffRecord(const QVector<quint32> &table1, const QVector<quint32> &minMax)
{
    constexpr quint32 offset1 = 24;
    constexpr quint32 offset2 = offset1 + 256 * 4;
    QByteArray record
            = "HUFF" + be32(24) + be32(offset1) + be32(offset2) + le32(offset1) + le32(offset2);
    for (int i = 0; i < 256; ++i)
        record.append(be32(i < table1.size() ? table1.at(i) : 0));
    for (int i = 0; i < 64; ++i)
        record.append(be32(i < minMax.size() ? minMax.at(i) : 0));
    // Some readers want a HUFF record at least as large as real ones are.
    record.append(QByteArray(4096 - record.size(), '\0'));
    return record;
}

QByteArray cdicRecord(const QList<CdicEntry> &entries, quint32 codeBits, quint32 totalEntries)
{
    QByteArray offsets;
    QByteArray data;
    const int tableSize = entries.size() * 2;
    for (const CdicEntry &entry : entries) {
        offsets.append(be16(quint16(tableSize + data.size())));
        data.append(be16(quint16(entry.bytes.size() | (entry.literal ? 0x8000 : 0))));
        data.append(entry.bytes);
    }
    return "CDIC" + be32(16) + be32(totalEntries) + be32(codeBits) + offsets + data;
}

QByteArray packBits(const QByteArray &bits)
{
    QByteArray bytes((bits.size() + 7) / 8, '\0');
    for (int i = 0; i < bits.size(); ++i) {
        if (bits.at(i) == '1')
            bytes[i / 8] = char(uchar(bytes.at(i / 8)) | (0x80 >> (i % 8)));
    }
    return bytes;
}

FixedHuffCode::FixedHuffCode(int codeLength, int codeBits)
    : m_codeLength(codeLength)
    , m_codeBits(codeBits)
{
    Node root;
    std::fill(std::begin(root.next), std::end(root.next), -1);
    root.entry = -1;
    m_trie.append(root);
}

int FixedHuffCode::addLiteral(const QByteArray &bytes)
{
    m_entries.append(CdicEntry { bytes, true });
    const int index = m_entries.size() - 1;
    int node = 0;
    for (const char c : bytes) {
        const uchar u = uchar(c);
        if (m_trie[node].next[u] < 0) {
            Node fresh;
            std::fill(std::begin(fresh.next), std::end(fresh.next), -1);
            fresh.entry = -1;
            m_trie.append(fresh);
            m_trie[node].next[u] = m_trie.size() - 1;
        }
        node = m_trie[node].next[u];
    }
    m_trie[node].entry = index;
    return index;
}

int FixedHuffCode::addNested(const QList<int> &indices)
{
    m_entries.append(CdicEntry { encode(indices), false });
    return m_entries.size() - 1;
}

QByteArray FixedHuffCode::codeBits(int index) const
{
    const quint32 code = ((1u << m_codeLength) - 1) - quint32(index);
    QByteArray bits;
    for (int b = m_codeLength - 1; b >= 0; --b)
        bits.append((code >> b) & 1 ? '1' : '0');
    return bits;
}

QByteArray FixedHuffCode::encode(const QList<int> &indices) const
{
    QByteArray bits;
    for (const int index : indices)
        bits.append(codeBits(index));
    return packBits(bits);
}

QByteArray FixedHuffCode::encodeText(const QByteArray &text) const
{
    QList<int> indices;
    int i = 0;
    while (i < text.size()) {
        int node = 0;
        int best = -1;
        int bestLength = 0;
        for (int k = i; k < text.size(); ++k) {
            node = m_trie[node].next[uchar(text.at(k))];
            if (node < 0)
                break;
            if (m_trie[node].entry >= 0) {
                best = m_trie[node].entry;
                bestLength = k - i + 1;
            }
        }
        if (best < 0)
            return QByteArray();
        indices.append(best);
        i += bestLength;
    }
    return encode(indices);
}

QByteArray FixedHuffCode::huff() const
{
    // Every first byte leads to the one code length; the length is not
    // terminal, so the decoder takes the maximum code from the second table.
    QVector<quint32> table1(256, quint32(m_codeLength));
    QVector<quint32> minMax(64, 0);
    for (int length = 1; length <= 32; ++length) {
        if (length == m_codeLength) {
            minMax[2 * (length - 1)] = 0;
            minMax[2 * (length - 1) + 1] = (1u << m_codeLength) - 1;
        } else {
            minMax[2 * (length - 1)] = 0xFFFFFFFF;
            minMax[2 * (length - 1) + 1] = 0;
        }
    }
    return huffRecord(table1, minMax);
}

QList<QByteArray> FixedHuffCode::cdics() const
{
    QList<QByteArray> records;
    const int perRecord = 1 << m_codeBits;
    for (int start = 0; start < m_entries.size(); start += perRecord)
        records.append(cdicRecord(m_entries.mid(start, perRecord), quint32(m_codeBits),
                                  quint32(m_entries.size())));
    return records;
}

QByteArray makeMobi(const MobiLayout &layout)
{
    // Text records.
    QList<QByteArray> textRecords = layout.textRecords;
    if (textRecords.isEmpty()) {
        for (int start = 0; start < layout.text.size(); start += layout.recordSize) {
            const QByteArray chunk = layout.text.mid(start, layout.recordSize);
            QByteArray stored;
            if (layout.compression == 2)
                stored = compressPalmDoc(chunk);
            else if (layout.compression == 17480 && layout.huff)
                stored = layout.huff->encodeText(chunk);
            else
                stored = chunk;
            textRecords.append(stored);
        }
    }
    const QByteArray tail = trailingEntries(layout.extraFlags);
    for (QByteArray &record : textRecords)
        record.append(tail);

    QList<QByteArray> huffRecords;
    if (!layout.huffRecord.isEmpty()) {
        huffRecords.append(layout.huffRecord);
        huffRecords.append(layout.cdicRecords);
    } else if (layout.huff) {
        huffRecords.append(layout.huff->huff());
        huffRecords.append(layout.huff->cdics());
    }

    const quint32 firstNonBook
            = quint32(layout.firstNonBook >= 0 ? layout.firstNonBook : textRecords.size() + 1);
    const quint32 firstHuff = huffRecords.isEmpty() ? 0 : quint32(textRecords.size() + 1);
    const quint32 firstImage = quint32(textRecords.size() + 1 + huffRecords.size());

    // Record 0: PalmDOC header, MOBI header, EXTH, full name.
    QByteArray record0;
    record0 += be16(layout.compression) + be16(0) + be32(quint32(layout.text.size()))
            + be16(quint16(textRecords.size()))
            + be16(quint16(layout.textRecordSizeField >= 0 ? layout.textRecordSizeField
                                                         : layout.recordSize))
            + be16(layout.encryption) + be16(0);
    if (!layout.identifier.isEmpty()) {
        constexpr int headerLength = 0xE8;
        QByteArray header(headerLength, '\0');
        header.replace(0, 4, layout.identifier.left(4));
        put32(header, 4, headerLength);
        put32(header, 8, layout.bookType);
        put32(header, 12, layout.encoding);
        put32(header, 16, 0x12345678);
        put32(header, 20, 6);
        for (int offset = 24; offset < 64; offset += 4)
            put32(header, offset, 0xFFFFFFFF);
        put32(header, 64, firstNonBook);
        put32(header, 76, 9);
        put32(header, 88, 6);
        put32(header, 92, layout.pictures.isEmpty() ? 0xFFFFFFFF : firstImage);
        put32(header, 96, firstHuff);
        put32(header, 100, quint32(huffRecords.size()));
        put32(header, 112, layout.exth.isEmpty() ? 0 : 0x40);
        put32(header, 148, 0xFFFFFFFF);
        put32(header, 152, 0xFFFFFFFF);
        put16(header, 176, 1);
        put16(header, 178, quint16(textRecords.size()));
        put32(header, 180, 1);
        put32(header, 184, 0xFFFFFFFF);
        put32(header, 192, 0xFFFFFFFF);
        put32(header, 208, 0xFFFFFFFF);
        put32(header, 216, 0xFFFFFFFF);
        put16(header, 226, layout.extraFlags);
        put32(header, 228, 0xFFFFFFFF);

        QByteArray exth;
        if (!layout.exth.isEmpty()) {
            QByteArray records;
            for (const auto &item : layout.exth)
                records += be32(item.first) + be32(quint32(item.second.size() + 8)) + item.second;
            exth = layout.exthMagic + be32(quint32(12 + records.size()))
                    + be32(quint32(layout.exth.size())) + records;
            while (exth.size() % 4)
                exth.append('\0');
        }
        const quint32 nameOffset = quint32(16 + headerLength + exth.size());
        put32(header, 68, nameOffset);
        put32(header, 72, quint32(layout.fullName.size()));
        record0 += header + exth + layout.fullName + QByteArray(2, '\0');
        while (record0.size() % 4)
            record0.append('\0');
    }

    QList<QByteArray> records;
    records << record0 << textRecords << huffRecords << layout.pictures;
    records << QByteArray("\xE9\x8E\x0D\x0A", 4); // end-of-file record

    QByteArray name = layout.fullName.left(31);
    name.replace(' ', '_');
    QByteArray file = name + QByteArray(32 - name.size(), '\0');
    file += be16(0) + be16(0) + be32(0x5F000000) + be32(0x5F000000) + be32(0) + be32(0) + be32(0)
            + be32(0);
    file += layout.identifier.isEmpty() ? QByteArray("TEXtREAd") : QByteArray("BOOKMOBI");
    file += be32(quint32(2 * records.size() - 1)) + be32(0) + be16(quint16(records.size()));
    quint32 offset = quint32(78 + 8 * records.size() + 2);
    for (int i = 0; i < records.size(); ++i) {
        file += be32(offset) + be32(quint32(2 * i));
        offset += quint32(records.at(i).size());
    }
    file += be16(0);
    for (const QByteArray &record : records)
        file += record;
    return file;
}

QByteArray picture(int width, int height, const char *format, quint32 rgb)
{
    if (qstrcmp(format, "GIF") == 0) {
        // Qt writes no GIF; a 1 x 1 picture written by hand.
        return QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
                          "!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01\x00"
                          "\x00\x02\x02\x44\x01\x00;",
                          43);
    }
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor::fromRgb(rgb));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace mobitest
