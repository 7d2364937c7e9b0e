#pragma once

#include "archive/archivereader.h"

// Reader of ZIP containers: EPUB books, CBZ comics and ZIP files that hold a
// book. Entry names are decoded as UTF-8 when the entry says so (as EPUB
// names are), else with the DOS code page 866.
//
// Each file is written under a temporary name and renamed into place only
// when its data is complete and its checksum matched, so an interrupted or
// failed unpack never leaves a truncated file that a later call would take
// as extracted. Entries whose name would land outside the destination
// folder are skipped and logged.
//
// Limits (ArchiveLimits) keep a hostile archive (a "zip bomb") from
// filling the disk.
//
// Stateless apart from the limits; callable from any thread. extract() lets
// the calling thread's event loop run once per entry.
class ZipReader : public ArchiveReader
{
public:
    using Limits = ArchiveLimits;

    ZipReader();
    explicit ZipReader(const Limits &limits);
    ~ZipReader() override;

    // Skips entries whose target already exists (a file or a folder).
    bool extract(const QString &archivePath, const QString &folder,
                 QList<QFileInfo> *fileList = nullptr) override;
    bool testRead(const QString &archivePath, const QRegExp &pattern, const QString &folder,
                  QString &outputPath) override;
    // Names compare without regard to case; existing targets are replaced.
    bool extractFile(const QString &archivePath, const QString &entryName, const QString &folder,
                     QString &outputPath) override;
    // Folder entries included, with their trailing "/".
    QStringList list(const QString &archivePath) override;
    // Not a ZIP archive, damaged, or holding encrypted entries.
    QString problem(const QString &archivePath) override;

    // Lower-case suffix of the only entry of a ZIP file that holds exactly
    // one; a null string otherwise (also when the file is no ZIP archive).
    static QString singleEntrySuffix(const QString &archivePath);
    // The bytes all entries declare they unpack to; -1 when the file is no
    // ZIP archive.
    static qint64 unpackedSize(const QString &archivePath);

    const Limits &limits() const { return m_limits; }

private:
    enum class Operation { Extract, TestRead, ExtractFile };

    bool unpack(Operation operation, const QString &archivePath, const QString &folder,
                const QRegExp *pattern, const QString *entryName, QList<QFileInfo> *fileList,
                QString *outputPath) const;

    Limits m_limits;
};
