#pragma once

#include <QList>
#include <QString>

#include <functional>

class QIODevice;
class QSaveFile;

// The library package: one ZIP file (".vlz") that carries every book outside
// the trash with its cover, category, favourite flag, reading position and
// bookmarks from one installation to another. ExportWorker writes it and
// ImportWorker reads it; what both sides share lives here.
//
// Layout, in the order the writer adds the entries:
//   <id>/<id>.<suffix>     the book file, byte for byte
//   <id>/cover.<suffix>    its cover image, when the book has one
//   container.json         the description, last
// <id> is a fresh braced UUID per book. The description is
// {"books": [ {book object}, ... ]}; every key is listed below.

// One bookmark of a book object: "title", "position", "progress".
struct ContainerBookmark
{
    QString title;
    int position = 0;
    int progress = 0;
};

// One book object of "container.json" as both workers hold it.
struct ContainerBook
{
    QString bookId;
    // The name the book file had in the library, without its folder.
    QString fileName;
    // Entry of the book file.
    QString relPath;
    // Entry of the cover, "" when the book has none.
    QString coverPath;
    QString author;
    QString title;
    int bookFormat = 0;
    int position = 0;
    // The reading progress in whole percent (the library's max_position).
    int progress = 0;
    bool isFavorite = false;
    QList<ContainerBookmark> bookmarks;
    // Title of the book's category, "" when it has none.
    QString folder;
};

namespace LibraryPackage {

// The extension of a package file, with its dot.
extern const QString extension;
// The entry of the description.
extern const QString descriptionEntry;

// Keys of the description, shared by writer and reader.
namespace Key {
    extern const QString books;
    extern const QString bookId;
    extern const QString fileName;
    extern const QString relPath;
    extern const QString author;
    extern const QString title;
    extern const QString bookFormat;
    extern const QString position;
    extern const QString progress;
    extern const QString isFavorite;
    extern const QString coverPath;
    extern const QString folders;
    extern const QString bookmarks;
} // namespace Key

// Entry names: "<id>/<id>.<suffix>" and "<id>/cover.<suffix>". A suffix
// that is empty still gets its dot, so a reader never mistakes the name.
QString bookEntryName(const QString &id, const QString &suffix);
QString coverEntryName(const QString &id, const QString &suffix);

enum class CopyResult {
    Copied,
    // The stop request came before the end: what was written is incomplete.
    Stopped,
    // A read or write failed, or the source gave more than maxBytes.
    Failed,
};

// Copies source to destination in 4096-byte blocks, never holding more than
// one block. stopRequested, when given, is asked before every block.
// maxBytes >= 0 bounds what the source may give: an archive entry that
// inflates beyond the size it declared is damaged or hostile. copiedBytes,
// when given, receives the number of bytes written.
CopyResult copyData(QIODevice &source, QIODevice &destination,
                    const std::function<bool()> &stopRequested, qint64 maxBytes = -1,
                    qint64 *copiedBytes = nullptr);

// Puts a saved file in place once all of it has reached the disk. Unlike a
// bare QSaveFile::commit(), a write that fails only when the last buffered
// bytes go out (a full disk) is caught, and the file is then discarded.
bool commitFile(QSaveFile &file);

} // namespace LibraryPackage
