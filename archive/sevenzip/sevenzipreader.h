#pragma once

#include "archive/archivereader.h"

#include <functional>

// Reader of 7z archives through the process-wide SevenZipClient (and so
// under its lock). Entry names compare without regard to case, as the ZIP
// reader's do; folder entries are listed with a trailing "/".
//
// Files appear only when their data is complete and sound; entries whose
// name would land outside the destination folder are skipped and logged.
// An encrypted archive is refused: nothing asks for a password. Limits
// (ArchiveLimits) keep a hostile archive from filling the disk.
class SevenZipReader : public ArchiveReader
{
public:
    SevenZipReader();
    explicit SevenZipReader(const ArchiveLimits &limits);
    ~SevenZipReader() override;

    // Files already at a target are replaced.
    bool extract(const QString &archivePath, const QString &folder,
                 QList<QFileInfo> *fileList = nullptr) override;
    bool testRead(const QString &archivePath, const QRegExp &pattern, const QString &folder,
                  QString &outputPath) override;
    bool extractFile(const QString &archivePath, const QString &entryName, const QString &folder,
                     QString &outputPath) override;
    QStringList list(const QString &archivePath) override;
    // The codec library missing, not a 7z archive, damaged headers,
    // encrypted entries or declared sizes beyond the limits.
    QString problem(const QString &archivePath) override;

    const ArchiveLimits &limits() const { return m_limits; }

private:
    bool unpack(const QString &archivePath, const QString &folder,
                const std::function<bool(const QString &)> &filter, QStringList *written);

    ArchiveLimits m_limits;
};
