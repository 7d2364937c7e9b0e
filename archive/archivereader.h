#pragma once

#include <QFileInfo>
#include <QList>
#include <QRegExp>
#include <QString>
#include <QStringList>

// Reader of the entries of one kind of archive. Stateless: every call opens
// the archive, walks it and closes it, so one object can serve calls from
// several threads. The plain base reads nothing: every operation fails (it
// stands for an archive kind that is not supported).
//
// Entry names become disk paths only through ArchivePath::join(); an entry
// that would land outside the destination folder is never written.
class ArchiveReader
{
public:
    virtual ~ArchiveReader();

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
};
