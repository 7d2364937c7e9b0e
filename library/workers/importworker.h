#pragma once

#include "library/workers/librarypackage.h"
#include "library/workers/libraryworker.h"

#include <QHash>
#include <QJsonObject>
#include <QList>
#include <QSet>
#include <QString>

#include <memory>

class QuaZip;

// Reads a library package (see librarypackage.h) into the library, one book
// per step on its own thread: the book file is copied into the import
// folder under a name that is free there ("a.epub", "(1)a.epub", ...), its
// cover into the book's storage folder, its category found or made, and the
// book stored with its favourite flag, reading position and bookmarks.
//
// The package is checked before anything changes: one that is no ZIP file,
// has no readable description, a description that is not what this program
// writes, is larger than the limits allow, or names a book file that would
// land outside the import folder, is refused whole with ContainerCorrupted.
// A book whose entry is missing or damaged is skipped and the run goes on.
// A cancel takes effect within one 4096-byte block; the book being copied
// then leaves no file and no row, and the books before it stay.
//
// The owner connects the signals (queued; WorkerStates and ImportErrors are
// registered by the constructor), starts the thread once and deletes the
// worker after finished(). cancel() may be called from any thread.
class ImportWorker : public LibraryWorker
{
    Q_OBJECT
public:
    struct Limits
    {
        // Size of "container.json", declared and inflated.
        qint64 maxDescriptionBytes = qint64(32) * 1024 * 1024;
        // Objects, arrays and values the description may hold. Counted on
        // the bytes before parsing, so a description of millions of tiny
        // entries is refused before it takes any memory.
        int maxDescriptionItems = 4 * 1000 * 1000;
        int maxBooks = 100000;
        int maxEntries = 1000000;
    };

    // fileName: the package; folder: where the book files go.
    ImportWorker(const QString &fileName, const QString &folder, QObject *parent = nullptr);
    ~ImportWorker() override;

    static QString errorString(ImportErrors error);

    void setLimits(const Limits &limits) { m_limits = limits; }

    // The description's objects. A missing or mistyped value reads as
    // empty: 0, false, "" or no elements.
    static ContainerBook bookFromJson(const QJsonObject &object);
    static ContainerBookmark bookmarkFromJson(const QJsonObject &object);

public slots:
    void cancel();

signals:
    // Beside these, progressChanged() reports (n, total) as record n is
    // taken, also for one that then fails.

    // bookCount: books added to the library.
    void complete(int bookCount);
    // Declared for the owner; a cancelled import ends with failed().
    void canceled();
    void failed(ImportErrors error);
    // The library may have changed (books, categories): once at the end of
    // every run, before done().
    void imported();
    // Always the last signal of a run.
    void done();

protected:
    void run() override;

private:
    Q_DISABLE_COPY_MOVE(ImportWorker)

    struct Entry
    {
        // The entry's place in the archive's directory.
        quint64 directoryOffset = 0;
        quint64 fileNumber = 0;
        qint64 size = 0;
    };

    bool openContainer();
    bool indexEntries();
    LibraryPackage::CopyResult readDescription(QByteArray &text);
    bool parseContainer(const QByteArray &text);
    void nextBook();
    // Copies the entry's data to destination: exactly the size the entry
    // declares, its checksum checked at the end.
    LibraryPackage::CopyResult readEntry(const QString &entryName, QIODevice &destination);
    // Copies the entry to a new file at destination, never over a file that
    // is there; replace removes such a file first. Whatever does not end
    // Copied leaves no file behind.
    LibraryPackage::CopyResult extractFile(const QString &entryName, const QString &destination,
                                           bool replace);
    // The book file's place: the first free name of "name", "(1)name", ...
    // in the import folder. "" when none can be made.
    QString bookTarget(const QString &fileName) const;
    // Whether a book file may not be placed at path: something is there, or
    // the library has a book of that path.
    bool isTaken(const QString &path) const;
    int categoryId(const QString &title);

    Limits m_limits;
    std::unique_ptr<QuaZip> m_zip;
    QHash<QString, Entry> m_entries;
    QList<ContainerBook> m_records;
    QHash<QString, int> m_categories;
    QSet<QString> m_trashedPaths;
    const QString m_fileName;
    QString m_folder;
    FirstError<ImportErrors> m_error;
    int m_index = 0;
    int m_imported = 0;
};
