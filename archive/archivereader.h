#pragma once

#include <QCoreApplication>
#include <QFileInfo>
#include <QList>
#include <QRegExp>
#include <QString>
#include <QStringList>

#include <memory>

// What one unpacking call may write, so that a hostile archive (a "bomb")
// cannot fill the disk: an archive with more entries than allowed, or whose
// wanted entries would unpack to more bytes than allowed, fails before
// anything is written, as a damaged archive does.
struct ArchiveLimits
{
    qint64 maxTotalBytes = qint64(2) * 1024 * 1024 * 1024;
    int maxEntries = 100000;
    // Above ratioFloor bytes, unpacking to more than maxRatio times the
    // archive's own size is taken as a bomb. Books and comics stay far
    // below: their pictures hardly compress.
    qint64 ratioFloor = qint64(256) * 1024 * 1024;
    int maxRatio = 100;

    // Whether unpacking declared bytes from an archive of archiveSize bytes
    // breaks the limits.
    bool exceeded(qint64 declared, qint64 archiveSize) const
    {
        return declared > maxTotalBytes
                || (declared > ratioFloor && declared / qMax<qint64>(archiveSize, 1) > maxRatio);
    }
};

// Reader of the entries of one kind of archive. Stateless: every call opens
// the archive, walks it and closes it, so one object can serve calls from
// several threads. The plain base reads nothing: every operation fails (it
// stands for an archive kind that is not supported).
//
// Entry names become disk paths only through ArchivePath::join(); an entry
// that would land outside the destination folder is never written.
class ArchiveReader
{
    Q_DECLARE_TR_FUNCTIONS(ArchiveReader)
public:
    virtual ~ArchiveReader();

    // The reader for a file, chosen by the ending of its path (any letter
    // case): ".epub", ".zip" and ".cbz" are read as ZIP, ".cbr" as RAR, ".7z"
    // as 7z; any other path gets the plain reader. The contents are not looked at.
    static std::unique_ptr<ArchiveReader> create(const QString &path);

    // Unpacks every entry into folder. fileList, when given, receives the
    // files written by this call.
    virtual bool extract(const QString &archivePath, const QString &folder,
                         QList<QFileInfo> *fileList = nullptr);
    // Unpacks the entries whose name contains a match of pattern (all when
    // the pattern is empty); outputPath receives the last one written.
    virtual bool testRead(const QString &archivePath, const QRegExp &pattern, const QString &folder,
                          QString &outputPath);
    // Unpacks the entries named entryName (all when empty); outputPath
    // receives the last one written and is left alone when none matched.
    virtual bool extractFile(const QString &archivePath, const QString &entryName,
                             const QString &folder, QString &outputPath);
    // The entry names in archive order.
    virtual QStringList list(const QString &archivePath);
    // Why the archive cannot be read, in plain words for the reader ("the
    // archive is encrypted"); empty when nothing is known to stand in the
    // way. Looks at the archive's headers, unpacks nothing.
    virtual QString problem(const QString &archivePath);
};
