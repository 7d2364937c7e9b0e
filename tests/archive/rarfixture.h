#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Writes RAR 4 archives for the tests: entries stored without compression,
// every header with its CRC, so the RAR reader meets the real format and
// each test makes exactly the archive it needs (damaged ones too).
namespace RarFixture {

struct Entry
{
    // Stored as given: "\" and "/" alike.
    QString name;
    QByteArray data;
    bool directory = false;
    // Marks the entry as encrypted; the data is still stored plain.
    bool encrypted = false;
    // Stores the name in the archive's Unicode form besides a plain one;
    // else as UTF-8 bytes.
    bool unicode = false;
    // The unpacked size the header declares; -1 for the data's own size.
    qint64 declaredSize = -1;
    // Stores a checksum that does not match the data.
    bool badChecksum = false;
};

struct Archive
{
    QList<Entry> entries;
    // The archive header's flags (0x1 volume, 0x80 encrypted headers, 0x100
    // first volume).
    quint16 flags = 0;
    bool endBlock = true;

    QByteArray bytes() const;
    bool write(const QString &path) const;
};

// A quick archive of plain stored files, name to data, in order.
bool write(const QString &path, const QList<QPair<QString, QByteArray>> &files);

} // namespace RarFixture
