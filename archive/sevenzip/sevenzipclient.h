#pragma once

#include "archive/archivereader.h"

#include <QCoreApplication>
#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

#include <functional>

namespace sevenzip {
struct IInArchive;
}

// The one client of the 7-Zip codec library in the process: it loads the
// library at run time, asks it for its 7z archive handler once, and reads
// 7z archives through it. A book that arrives packed alone in a ".7z" file
// is found and unpacked here.
//
// One handler serves every call, so every call holds the client's lock: the
// GUI thread (opening a book) and a library worker (adding books) take
// turns. Callable from any thread.
//
// Failures are results, never exceptions: a library that is missing, of
// another build, or that does not make its handler leaves every call
// failing with a problem in plain words ("the 7-Zip codec library can not
// be loaded") and the detail in the log; the next call tries to load it
// again. An archive that asks for a password is refused as encrypted.
class SevenZipClient
{
    Q_DECLARE_TR_FUNCTIONS(SevenZipClient)
public:
    struct Entry
    {
        // As the archive stores it ("[Content]" for an item without a name).
        QString path;
        bool isFolder = false;
        qint64 size = 0;
        bool encrypted = false;
    };
    // Whether an unpack writes the entry stored under path.
    using EntryFilter = std::function<bool(const QString &path)>;

    // The process-wide client, made on first use; it loads the first of
    // defaultLibraryPaths() that works.
    static SevenZipClient &instance();
    // The codec library beside the program ("7z.so"), then Debian's.
    static QStringList defaultLibraryPaths();

    // A client of its own that tries these library files in turn (the
    // default ones when empty). Loads nothing yet.
    explicit SevenZipClient(const QStringList &libraryPaths = {});
    ~SevenZipClient();
    Q_DISABLE_COPY_MOVE(SevenZipClient)

    // Loads the library when not yet loaded. False with a problem when it
    // cannot be used.
    bool load(QString *problem = nullptr);
    // The library file in use; empty before a successful load().
    QString libraryPath() const;

    // The suffix of the archive's only entry, in lower case ("epub"); empty
    // but not null for a name without a dot. A null string when the archive
    // cannot be read or does not hold exactly one entry; problem says why,
    // except for an archive that simply holds more or fewer entries.
    QString singleEntrySuffix(const QString &archivePath, QString *problem = nullptr);
    // Unpacks the archive's only entry below destinationFolder (made when
    // missing) and answers the entry's path as stored in the archive; a null
    // string (problem says why) when there is not exactly one entry, when
    // its name would lead outside the folder, or when the archive is
    // encrypted, damaged or its data fails its checksum. Nothing is left
    // behind by a failed call; a file already at the target is replaced.
    QString extract(const QString &archivePath, const QString &destinationFolder,
                    QString *problem = nullptr);

    // Every entry in archive order. False (problem) when the archive cannot
    // be read or holds more entries than the default limits allow.
    bool list(const QString &archivePath, QList<Entry> *entries, QString *problem = nullptr);
    // Unpacks the entries the filter takes (all without one) below folder.
    // written receives the files and folders written. False (problem) when
    // the archive cannot be read, breaks the limits, is encrypted, when an
    // entry is damaged or fails its checksum, or a file cannot be written;
    // the entries finished before stay. Names that would lead outside the
    // folder are skipped and logged, without failing the call.
    bool unpack(const QString &archivePath, const QString &folder, const EntryFilter &filter,
                const ArchiveLimits &limits, QStringList *written = nullptr,
                QString *problem = nullptr);

private:
    class OpenArchive;

    bool loadLocked(QString *problem);
    bool openLocked(const QString &archivePath, OpenArchive &archive, QString *problem);
    bool unpackLocked(const QString &archivePath, OpenArchive &archive, const QString &folder,
                      const EntryFilter &filter, const ArchiveLimits &limits, QStringList *written,
                      int *unsafeNames, QString *problem);

    mutable QMutex m_mutex;
    QStringList m_libraryPaths;
    QString m_loadedPath;
    void *m_module = nullptr;
    sevenzip::IInArchive *m_handler = nullptr;
};
