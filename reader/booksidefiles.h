#pragma once

#include "document/tocitem.h"
#include "reader/note.h"
#include "reader/viewerbookmark.h"

#include <QJsonObject>
#include <QList>
#include <QString>

// The small JSON files in which a reflowable book keeps its reading state,
// beside the library's copy of the book and named by the MD5 of its path:
//   <hash>.settings    reading position, font size, line spacing, text
//                      encoding, bookmarks and notes (read and written)
//   <hash>.toc         table of contents (written by the book's document)
//   <hash>.bookmarks   older bookmarks file (read, never written)
//   <content>/<hash>.pos  older position file (read, never written)
//
// Reading never fails towards the caller: a missing or unusable file counts
// as empty. A settings file that exists but does not hold a JSON object is
// moved aside to a backup name when it is loaded, so that the next write
// cannot replace what may still be recovered from it.
//
// Writing goes through QSaveFile: a write interrupted by a crash or a kill
// leaves the previous file whole.
//
// Plain value object without widgets; used from one thread at a time.
class BookSideFiles
{
public:
    // What a settings file (or an older position file) says about the
    // font and the reading position. Values outside their accepted range
    // read as absent.
    struct FontAndPosition
    {
        bool hasFont = false;
        bool hasPosition = false;
        // 8 to 40, else -1.
        int fontSize = -1;
        // 100 to 300, else -1.
        int lineSpacing = -1;
        // "Source" of the position object; null when missing or not text.
        QString source;
    };

    // The state the viewer writes back.
    struct State
    {
        // Reading position URL; empty when no page file is loaded.
        QString position;
        int fontSize = 0;
        int lineSpacing = 100;
        // Written only when not empty.
        QString encoding;
        QList<ViewerBookmark> bookmarks;
        QList<Note> notes;
    };

    static constexpr int MinFontSize = 8;
    static constexpr int MaxFontSize = 40;
    static constexpr int MinLineSpacing = 100;
    static constexpr int MaxLineSpacing = 300;

    // bookPath: the full path of the book file as the library stores it.
    explicit BookSideFiles(const QString &bookPath = QString());

    QString bookPath() const { return m_bookPath; }
    // MD5 of the UTF-8 book path, 32 lower-case hexadecimal digits.
    QString pathHash() const { return m_pathHash; }
    // The book's storage folder; made when missing.
    QString storageFolder() const;
    QString settingsPath() const;
    QString oldBookmarksPath() const;
    QString oldPositionPath(const QString &contentFolder) const;
    // The backup the last load() made of a damaged settings file, or empty.
    QString backupPath() const { return m_backupPath; }

    // Reads the settings file for this opening of the book. A damaged file
    // is moved aside first (see backupPath()). Answers whether a usable
    // settings object was read.
    bool load();

    // "Encoding" of "FontSettings", null when none is stored.
    QString encoding() const;

    // Fills the contents tree and the same entries as a flat list in file
    // order (each entry before its children). An entry's position is its
    // place in the flat list, its page -1 until pagination, its source
    // relative to contentFolder. A missing file leaves both lists alone and
    // answers false; an unusable one empties them.
    static bool readTableOfContents(const QString &tocPath, const QString &contentFolder,
                                    QList<TocItem> *tree, QList<TocItem> *list);
    // The same entries, depth first, each before its children.
    static QList<TocItem> flatten(const QList<TocItem> &tree);

    // From the settings file, else from the older bookmarks file. Elements
    // without a "Source" text are skipped.
    QList<ViewerBookmark> readBookmarks() const;
    // Notes of the settings file, each with a fresh id and page 0; elements
    // that miss a required key are skipped.
    QList<Note> readNotes() const;
    // From the settings file, or from the older position file when the
    // settings file lacks the font or the position object.
    FontAndPosition readFontAndPosition(const QString &contentFolder) const;

    static QJsonObject toJson(const State &state);
    // Writes the settings file whole; false with a message on failure.
    bool write(const State &state, QString *errorMessage = nullptr) const;

    // Reads a small JSON file that must hold an object. Answers false for a
    // missing, unreadable, oversized or damaged file; damaged tells the last
    // kind apart.
    static bool readObject(const QString &path, QJsonObject *object, bool *damaged = nullptr);

private:
    // Numbers the entries in file order through counter.
    static void fillEntry(const QString &contentFolder, TocItem *entry, int *counter);

    QString m_bookPath;
    QString m_pathHash;
    QString m_backupPath;
    QJsonObject m_settings;
    bool m_hasSettings = false;
    // The settings file could be neither read nor moved aside.
    bool m_keepExisting = false;
};
