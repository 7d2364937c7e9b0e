#pragma once

#include "library/db/bookdto.h"
#include "library/workers/bookmetadata.h"
#include "library/workers/libraryworker.h"

#include <QFileInfo>
#include <QList>
#include <QString>
#include <QStringList>

#include <atomic>

// Brings the files and folders the user chose into the library. The thread
// first collects the book files (folders are searched recursively for the
// supported suffixes), then adds them one at a time: each book is read,
// its cover written and its row stored in one transaction. A file that is
// missing, of an unknown kind, damaged, DRM protected or already in the
// library is skipped and logged; books already in the library are never
// touched.
//
// The owner creates one worker per "add books" action, connects the signals
// (they arrive queued; WorkerStates and AddBooksErrors must be registered
// meta-types, which the constructor makes sure of), starts it and deletes it
// after finished(). cancel() may be called from any thread; it takes effect
// between two files, never in the middle of one.
class AddBooksWorker : public LibraryWorker
{
    Q_OBJECT
public:
    explicit AddBooksWorker(const QList<QFileInfo> &inputs, QObject *parent = nullptr);
    ~AddBooksWorker() override;

    // The message for an error code.
    static QString errorText(AddBooksErrors error);
    // The suffixes a folder search collects, lower case, without dots.
    static QStringList supportedFormats();

    // Id of the last book stored by this worker, -1 when none. Safe to read
    // once complete() or failed() has arrived.
    int lastBookId() const { return m_lastBookId; }
    int lastAddedBookId() const { return lastBookId(); }
    // The files of the run that were not added because they could not be
    // read (damaged, protected, of no known kind; the reasons are logged),
    // in the order met. Books already in the library are not among them.
    // Safe to read once complete() or failed() has arrived.
    QStringList skippedFiles() const { return m_skippedFiles; }

    // Adds one file; true when a new row was stored. Runs on the calling
    // thread; run() calls it for every collected file.
    bool addBookFile(const QString &path);

public slots:
    void cancel();

signals:
    // Beside these, started() comes as the run begins collecting files and
    // progressChanged() reports the 1-based number of the file being added
    // and the files collected.

    // The run ended without error; count: books stored.
    void complete(int count);
    void failed(AddBooksErrors error);
    // Always the last signal of a run.
    void done();

protected:
    void run() override;

private:
    Q_DISABLE_COPY_MOVE(AddBooksWorker)

    // Collects the book files of m_inputs; false when canceled.
    bool scanFolder();
    // Names the book being added in the settings, so that a crash report
    // can carry the file that caused it.
    void rememberLastBook(const QString &path);
    // Unpacks a ZIP or 7z archive that holds exactly one book file. On
    // success path and format name the unpacked book; otherwise they are
    // left alone and problem may say why. createdFolder receives a folder
    // this call made (to remove when the book is not stored), or "".
    bool unpackSingleBook(QString &path, int &format, QString &createdFolder, QString &problem);
    void skip(const QString &path, const QString &reason);

    const QList<QFileInfo> m_inputs;
    QStringList m_files;
    std::atomic<AddBooksErrors> m_error { AddBooksErrors::NoError };
    int m_addedCount = 0;
    int m_drmCount = 0;
    QStringList m_skippedFiles;
    // SKIP ALL for one protected PDF skips the password of every later one.
    BookMetadata::Prompting m_prompting;
    int m_index = 0;
    std::atomic<int> m_lastBookId { -1 };
};
