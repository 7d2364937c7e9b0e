#pragma once

#include <QByteArray>
#include <QString>

namespace divad {

// A place in a book: volume and spread, and for a bookmark a short note in
// code page 936 (at most 49 bytes and a NUL). 60 bytes on disk.
struct PositionEntry
{
    char note[50] = {};
    qint32 volume = 0;
    qint32 spread = 0;
};

// The reading position and up to 50 bookmarks of each of up to 1000 books,
// held in memory as the exact image of "bookinfo.bin": 1000 records of 3592
// bytes, little-endian, no header. A record holds a used flag, the book's
// path (UTF-8, at most 519 bytes, NUL-terminated), 50 bookmarks, the
// position, the bookmark count and a usage counter; the least-used record
// is recycled when the table is full. Paths that differ only in ASCII
// letter case are one book. The file is replaced whole (a new copy, then a
// rename) at every book change and bookmark change as well as on Save(), so
// a crash loses at most the position of the book being read. Every count
// and index read from the file is clamped before use. One process-wide
// instance (bookInfoStore()); tests make their own. User-interface thread.
class CBookInfoStore
{
public:
    static constexpr int RecordCount = 1000;
    static constexpr int RecordSize = 3592;
    static constexpr int MaxBookmarks = 50;
    static constexpr int PathBytes = 520;
    static constexpr int NoteBytes = 50;
    static constexpr qint64 FileBytes = qint64(RecordCount) * RecordSize;

    // filePath: where the table is kept ("bookinfo.bin" in the data folder
    // when empty). All records are zeroed, then Load().
    explicit CBookInfoStore(const QString &filePath = QString());

    // Reads up to FileBytes of the file over the records; a missing file
    // leaves the table empty, a short one leaves the rest zero. False (with
    // lastError()) when the file exists but cannot be read.
    bool Load();
    // Replaces the file with the whole table. False (with lastError()) when
    // it cannot be written; the old file then stays as it was.
    bool Save();
    void Clear();
    // Whether SelectBook and the bookmark changes save at once (on unless
    // switched off).
    void SetAutoSave(bool on) { m_autoSave = on; }

    // Selects the record of the book at path, making one (or recycling the
    // least-used one) when there is none.
    void SelectBook(const QString &path);
    bool HasCurrent() const;
    int CurrentIndex() const;
    QString CurrentPath() const { return m_currentPath; }

    // Without a current record SetPosition does nothing and GetPosition
    // gives an all-zero entry.
    void SetPosition(const PositionEntry &entry);
    PositionEntry GetPosition() const;

    int BookmarkCount() const;
    PositionEntry GetBookmark(int i) const;
    bool FindBookmark(int volume, int spread, int *index) const;
    // Replaces the note of the bookmark at the same volume and spread, or
    // appends the entry; false when the book already has 50.
    bool AddOrUpdateBookmark(const PositionEntry &entry);
    // False when there is no such bookmark.
    bool RemoveBookmark(int i);
    bool RemoveBookmarkAt(int volume, int spread);

    // A note of 50 bytes or more keeps its first 49, cut on a character
    // boundary.
    static void SetNote(PositionEntry &entry, const QByteArray &text);
    static QByteArray GetNote(const PositionEntry &entry);

    // For inspection: the record's flag, path, counter and bookmarks.
    bool IsUsed(int record) const;
    QString RecordPath(int record) const;
    int UsageCounter(int record) const;
    int RecordBookmarkCount(int record) const;
    PositionEntry RecordBookmark(int record, int i) const;
    PositionEntry RecordPosition(int record) const;
    // The table exactly as it is written.
    const QByteArray &Image() const { return m_records; }
    QString FilePath() const { return m_filePath; }
    // Where Load() and Save() go from now on.
    void SetFilePath(const QString &filePath) { m_filePath = filePath; }
    QString lastError() const { return m_lastError; }

private:
    char *record(int index);
    const char *record(int index) const;
    qint32 readInt(int recordIndex, int offset) const;
    void writeInt(int recordIndex, int offset, qint32 value);
    PositionEntry readEntry(int recordIndex, int offset) const;
    void writeEntry(int recordIndex, int offset, const PositionEntry &entry);
    QByteArray pathBytes(int recordIndex) const;
    qint32 bump(qint32 counter);
    void changed();

    QByteArray m_records;
    int m_currentIndex = 0;
    QString m_currentPath;
    QString m_filePath;
    QString m_lastError;
    bool m_autoSave = true;
};

CBookInfoStore &bookInfoStore();

} // namespace divad
