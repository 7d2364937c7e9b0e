#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

#include <functional>

class ExportWorker;
class ImportWorker;

// What the package tests share: a library to export, a picture of a library
// to compare after an import, runners that collect a worker's signals and
// readers of a package's entries.
namespace PackageFixture {

// Everything a run told its owner, in the order it arrived.
struct Run
{
    // "state N", "started", "complete", "failed N", "imported", "done".
    QStringList events;
    QList<QPair<int, int>> progress;
    QStringList messages;
    int error = -1;
    // Books imported (import) or -1.
    int count = -1;
    // The package named by complete() (export).
    QString fileName;
};

// Start the worker, collect its queued signals on this thread and wait for
// its thread to end. prepare may add connections before the start (direct
// ones run on the worker's thread).
Run runExport(ExportWorker &worker, const std::function<void(ExportWorker &)> &prepare = nullptr);
Run runImport(ImportWorker &worker, const std::function<void(ImportWorker &)> &prepare = nullptr);

// Removes every book (trash included) and every category.
void emptyLibrary();

// A library worth moving, made in folder: "Alpha" (EPUB with a cover, in
// "Novels", favourite, read to 37 % at position 120, two bookmarks at
// 12.9/40.7 and 300.2/99.9), "Beta" (a file named README, no category,
// cover or bookmark), "Gamma" (EPUB in "Poems" whose cover file is gone),
// "Gone" (its file is missing) and "Trashed" (in the trash).
void seedLibrary(const QString &folder);

// One line per book outside the trash, sorted: title, author, format,
// position, progress, favourite, category, bookmarks (their numbers whole,
// as a package keeps them), a digest of the book
// file and of the cover file, and the book file's name.
QStringList snapshot();

// Entry names in archive order.
QStringList entryNames(const QString &package);
QByteArray entryData(const QString &package, const QString &entryName);

// Hex SHA-1 of a file's contents, read in blocks; "" when unreadable.
QString fileDigest(const QString &path);

} // namespace PackageFixture
