#pragma once

#include "archive/archivereader.h"

#include <cstdint>

// Reader of RAR archives, in practice CBR comic books: lists the entries
// and extracts one named entry. Every call opens the archive, walks its
// headers from the first and closes it again, so the reader keeps nothing
// between calls and one object serves any number of threads.
//
// Archives this reader refuses, with a line in the log and the reason in
// problem(): one volume of a multi-volume set, an archive whose headers are
// encrypted, and (for extraction) an entry whose data is encrypted. It never
// asks anyone for a volume or a password.
//
// Entry names become paths only through ArchivePath::join(): an entry that
// would land outside the destination folder is never written. Limits
// (ArchiveLimits) refuse an entry that declares more data than a book
// could hold before a byte is written.
class RarReader : public ArchiveReader
{
public:
    RarReader();
    explicit RarReader(const ArchiveLimits &limits);
    ~RarReader() override;

    // Extracts the first entry named exactly entryName (letter case counts)
    // to folder + "/" + entryName, making the folders on the way. True only
    // when the file was written; then outputPath holds its path in native
    // separators. False, with outputPath untouched, when the archive does
    // not open or is refused, the entry is missing, unsafe, too large,
    // encrypted or damaged, or the file cannot be written.
    bool extractFile(const QString &archivePath, const QString &entryName, const QString &folder,
                     QString &outputPath) override;
    // The names of the entries that hold data (no folders, no links), in
    // header order, "/" between folders. Empty when the archive does not
    // open or is refused; the names read before a damaged header otherwise.
    QStringList list(const QString &archivePath) override;
    QString problem(const QString &archivePath) override;

    const ArchiveLimits &limits() const { return m_limits; }

    // The callback handed to the RAR calls while listing. It never reads
    // standard input: a required volume or a password is refused (-1).
    static int rarCallback(unsigned message, std::intptr_t userData, std::intptr_t p1,
                           std::intptr_t p2);

private:
    ArchiveLimits m_limits;
};
