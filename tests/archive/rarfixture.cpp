#include "tests/archive/rarfixture.h"

#include "tests/support/crc32.h"

#include <QFile>
#include <QtEndian>

namespace RarFixture {

namespace {

    constexpr quint8 archiveHeader = 0x73;
    constexpr quint8 fileHeader = 0x74;
    constexpr quint8 endHeader = 0x7b;
    constexpr quint16 longBlock = 0x8000;
    constexpr quint16 encryptedEntry = 0x0004;
    constexpr quint16 directoryEntry = 0x00e0;
    constexpr quint16 unicodeName = 0x0200;
    constexpr quint8 hostWin32 = 2;
    constexpr quint8 storedMethod = 0x30;
    constexpr quint32 directoryAttribute = 0x10;
    constexpr quint32 archiveAttribute = 0x20;
    // 2020-01-01 00:00 as a DOS time stamp.
    constexpr quint32 dosTime = (40u << 25) | (1u << 21) | (1u << 16);

    void put16(QByteArray &out, quint16 value)
    {
        char bytes[2];
        qToLittleEndian(value, bytes);
        out.append(bytes, 2);
    }

    void put32(QByteArray &out, quint32 value)
    {
        char bytes[4];
        qToLittleEndian(value, bytes);
        out.append(bytes, 4);
    }

    // A block: its CRC covers everything after the CRC field itself.
    QByteArray block(quint8 type, quint16 flags, const QByteArray &rest)
    {
        QByteArray body;
        body.append(char(type));
        put16(body, flags);
        put16(body, quint16(2 + 1 + 2 + 2 + rest.size()));
        body.append(rest);
        QByteArray out;
        put16(out, quint16(TestSupport::crc32(body) & 0xffff));
        return out + body;
    }

    // The name field of the Unicode form: a plain name, a NUL, then the high
    // byte shared by "one byte" characters and the characters themselves, four
    // to a flag byte; every character here is written whole (two bytes).
    QByteArray unicodeField(const QString &name)
    {
        QByteArray plain;
        for (const QChar c : name)
            plain.append(c.unicode() < 0x80 ? char(c.unicode()) : '_');
        QByteArray out = plain;
        out.append('\0');
        out.append('\0');
        for (int i = 0; i < name.size(); i += 4) {
            out.append(char(0xaa));
            for (int j = i; j < qMin(i + 4, name.size()); ++j) {
                const ushort unit = name.at(j).unicode();
                out.append(char(unit & 0xff));
                out.append(char(unit >> 8));
            }
        }
        return out;
    }

    QByteArray entryBlock(const Entry &entry)
    {
        const QByteArray data = entry.directory ? QByteArray() : entry.data;
        const QByteArray name = entry.unicode ? unicodeField(entry.name) : entry.name.toUtf8();
        quint16 flags = longBlock;
        if (entry.encrypted)
            flags |= encryptedEntry;
        if (entry.directory)
            flags |= directoryEntry;
        if (entry.unicode)
            flags |= unicodeName;
        const quint32 declared
                = quint32(entry.declaredSize >= 0 ? entry.declaredSize : qint64(data.size()));
        quint32 crc = TestSupport::crc32(data);
        if (entry.badChecksum)
            crc ^= 0x5a5a5a5a;

        QByteArray rest;
        put32(rest, quint32(data.size()));
        put32(rest, declared);
        rest.append(char(hostWin32));
        put32(rest, crc);
        put32(rest, dosTime);
        rest.append(char(29));
        rest.append(char(storedMethod));
        put16(rest, quint16(name.size()));
        put32(rest, entry.directory ? directoryAttribute : archiveAttribute);
        rest.append(name);
        return block(fileHeader, flags, rest) + data;
    }

} // namespace

QByteArray Archive::bytes() const
{
    QByteArray out("Rar!\x1a\x07\x00", 7);
    out += block(archiveHeader, flags, QByteArray(6, '\0'));
    for (const Entry &entry : entries)
        out += entryBlock(entry);
    if (endBlock)
        out += block(endHeader, 0x4000, QByteArray());
    return out;
}

bool Archive::write(const QString &path) const
{
    QFile file(path);
    const QByteArray data = bytes();
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(data) == data.size();
}

bool write(const QString &path, const QList<QPair<QString, QByteArray>> &files)
{
    Archive archive;
    for (const auto &file : files) {
        Entry entry;
        entry.name = file.first;
        entry.data = file.second;
        archive.entries.append(entry);
    }
    return archive.write(path);
}

} // namespace RarFixture
