#pragma once

#include "library/db/bookdto.h"
#include "library/workers/librarypackage.h"
#include "library/workers/libraryworker.h"

#include <QJsonObject>
#include <QList>
#include <QString>

#include <memory>

class QSaveFile;
class QuaZip;

// Writes every book outside the trash into one library package (see
// librarypackage.h), one book per step on its own thread.
//
// The package is written under a temporary name and takes the chosen name
// only once it is whole: a failed or cancelled export leaves no file that
// looks like a package, and a package that was there before is kept. A book
// whose file is gone is left out; a book file that cannot be read, an entry
// that cannot be written or a package that cannot be closed fails the whole
// export. complete() comes only after the package is in place.
//
// The owner connects the signals (queued; WorkerStates and ExportErrors are
// registered by the constructor), starts the thread and deletes the worker
// after finished(). cancel() may be called from any thread; it takes effect
// within one 4096-byte block.
class ExportWorker : public LibraryWorker
{
    Q_OBJECT
public:
    // fileName gets ".vlz" appended unless it ends so (in any case).
    explicit ExportWorker(const QString &fileName, QObject *parent = nullptr);
    ~ExportWorker() override;

    static QString errorString(ExportErrors error);

    // The package path, ending in ".vlz".
    QString fileName() const { return m_fileName; }

    // Books whose file is at least this large are written in the zip64 form,
    // which lifts the 4 GiB limit of an entry. Packages over 4 GiB need
    // nothing from this: their directory takes the zip64 form by itself.
    void setZip64Threshold(qint64 bytes) { m_zip64Threshold = bytes; }

    // The description's objects.
    static QJsonObject containerToJson(const QList<ContainerBook> &records);
    static QJsonObject bookToJson(const ContainerBook &record);
    static QJsonObject bookmarkToJson(const ContainerBookmark &bookmark);

public slots:
    void cancel();

signals:
    // Beside these, progressChanged() reports (0, 0) while preparing, then
    // (n, total) as book n is written.

    // The package is complete under fileName.
    void complete(const QString &fileName);
    // Declared for the owner; a cancelled export ends with failed().
    void canceled();
    void failed(ExportErrors error);

protected:
    void run() override;

private:
    Q_DISABLE_COPY_MOVE(ExportWorker)

    enum class EntryResult {
        Added,
        // The source could not be opened: nothing was written.
        SourceUnreadable,
        // The entry is incomplete or the package is damaged.
        Failed,
        Stopped,
    };

    bool init();
    void exportBook();
    // Adds the cover when its file can be read; coverEntry receives the
    // entry name only then. False when the package is now damaged.
    bool compressCover(const QString &coverPath, const QString &id, QString &coverEntry);
    bool compressContainerDescription();
    EntryResult compressFile(const QString &sourcePath, const QString &entryName);
    // Closes the package and puts it in place; false when it is not whole.
    bool finish();

    QString m_fileName;
    FirstError<ExportErrors> m_error;
    QList<BookDto> m_books;
    QList<ContainerBook> m_records;
    std::unique_ptr<QSaveFile> m_file;
    std::unique_ptr<QuaZip> m_zip;
    int m_index = 0;
    qint64 m_zip64Threshold;
};
