#include "reader/booksidefiles.h"

#include "core/logger.h"
#include "core/paths.h"
#include "document/tocfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QSaveFile>

namespace {

const QString ReadingPositionKey = QStringLiteral("ReadingPosition");
const QString FontSettingsKey = QStringLiteral("FontSettings");
const QString BookmarksKey = QStringLiteral("Bookmarks");
const QString NotesKey = QStringLiteral("Notes");
const QString VersionKey = QStringLiteral("Version");
const QString ItemsKey = QStringLiteral("Items");
const QString SourceKey = QStringLiteral("Source");
const QString TitleKey = QStringLiteral("Title");
const QString TextKey = QStringLiteral("Text");
const QString SizeKey = QStringLiteral("Size");
const QString LineSpacingKey = QStringLiteral("LineSpacing");
const QString EncodingKey = QStringLiteral("Encoding");
const QString ChapterKey = QStringLiteral("Chapter");
const QString ColorKey = QStringLiteral("Color");
const QString StartPathKey = QStringLiteral("StartPath");
const QString EndPathKey = QStringLiteral("EndPath");
const QString StartOffsetKey = QStringLiteral("StartOffset");
const QString EndOffsetKey = QStringLiteral("EndOffset");
const QString ContextKey = QStringLiteral("Context");
const QString NoteKey = QStringLiteral("Note");
const QString DateKey = QStringLiteral("Date");

// Side files hold a few hundred notes at most; anything this large was not
// written by the viewer.
constexpr qint64 SizeLimit = 64 * 1024 * 1024;

QString joined(const QString &folder, const QString &name)
{
    return QDir::toNativeSeparators(folder + QLatin1Char('/') + name);
}

QString stringOr(const QJsonObject &object, const QString &key)
{
    const QJsonValue value = object.value(key);
    return value.isString() ? value.toString() : QString();
}

// The JSON integer of key when it is a whole number inside [low, high].
int integerIn(const QJsonObject &object, const QString &key, int low, int high)
{
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return -1;
    const double number = value.toDouble();
    if (number < low || number > high || number != double(int(number)))
        return -1;
    return int(number);
}

} // namespace

BookSideFiles::BookSideFiles(const QString &bookPath)
    : m_bookPath(bookPath)
    , m_pathHash(Paths::hashHex(bookPath))
{
}

QString BookSideFiles::storageFolder() const
{
    return Paths::bookPath(m_bookPath);
}

QString BookSideFiles::settingsPath() const
{
    return joined(storageFolder(), m_pathHash + QStringLiteral(".settings"));
}

QString BookSideFiles::oldBookmarksPath() const
{
    return joined(storageFolder(), m_pathHash + QStringLiteral(".bookmarks"));
}

QString BookSideFiles::oldPositionPath(const QString &contentFolder) const
{
    return joined(contentFolder, m_pathHash + QStringLiteral(".pos"));
}

bool BookSideFiles::readObject(const QString &path, QJsonObject *object, bool *damaged)
{
    if (damaged)
        *damaged = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        // A file that is there but cannot be read still holds the reader's
        // notes: it counts as damaged, so it is kept, never written over.
        if (damaged && QFileInfo::exists(path))
            *damaged = true;
        return false;
    }
    if (file.size() > SizeLimit) {
        if (damaged)
            *damaged = true;
        return false;
    }
    QByteArray bytes = file.readAll();
    // A byte-order mark, as some editors write one, is no part of the JSON.
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes.remove(0, 3);
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        if (damaged)
            *damaged = true;
        return false;
    }
    *object = document.object();
    return true;
}

bool BookSideFiles::load()
{
    m_settings = QJsonObject();
    m_backupPath.clear();
    m_keepExisting = false;
    const QString path = settingsPath();
    bool damaged = false;
    m_hasSettings = readObject(path, &m_settings, &damaged);
    if (damaged) {
        const QString backup = Paths::uniqueFileName(
                storageFolder(), m_pathHash + QStringLiteral(".settings.damaged"));
        if (QFile::rename(path, backup)) {
            m_backupPath = backup;
            Logger::instance()->write(
                    QStringLiteral("BookSideFiles::load: %1 cannot be read, kept as %2")
                            .arg(path, backup),
                    Logger::Warning);
        } else {
            // Neither readable nor movable: leave it alone rather than
            // replace what may be the only copy of the notes.
            m_keepExisting = true;
            Logger::instance()->write(
                    QStringLiteral("BookSideFiles::load: %1 cannot be read nor moved aside, "
                                   "it is left as it is [FAILED]")
                            .arg(path),
                    Logger::Error);
        }
    }
    return m_hasSettings;
}

QString BookSideFiles::encoding() const
{
    const QJsonValue font = m_settings.value(FontSettingsKey);
    if (!font.isObject())
        return QString();
    return stringOr(font.toObject(), EncodingKey);
}

bool BookSideFiles::readTableOfContents(const QString &tocPath, const QString &contentFolder,
                                        QList<TocItem> *tree, QList<TocItem> *list)
{
    if (!QFileInfo(tocPath).isFile())
        return false;
    QList<TocItem> items;
    QString error;
    if (!TocFile::read(tocPath, &items, &error)) {
        tree->clear();
        list->clear();
        return true;
    }
    int counter = 0;
    for (TocItem &item : items)
        fillEntry(contentFolder, &item, &counter);
    *tree = items;
    *list = flatten(items);
    return true;
}

void BookSideFiles::fillEntry(const QString &contentFolder, TocItem *entry, int *counter)
{
    QString source = QDir::cleanPath(entry->source);
    if (!contentFolder.isEmpty() && source.startsWith(contentFolder, Qt::CaseInsensitive))
        source = source.mid(contentFolder.size() + 1);
    entry->source = source;
    entry->title = entry->title.simplified();
    entry->position = (*counter)++;
    entry->page = -1;
    for (TocItem &child : entry->children)
        fillEntry(contentFolder, &child, counter);
}

QList<TocItem> BookSideFiles::flatten(const QList<TocItem> &tree)
{
    QList<TocItem> list;
    for (const TocItem &item : tree) {
        list.append(item);
        list.append(flatten(item.children));
    }
    return list;
}

QList<ViewerBookmark> BookSideFiles::readBookmarks() const
{
    QJsonObject bookmarks;
    if (m_settings.value(BookmarksKey).isObject()) {
        bookmarks = m_settings.value(BookmarksKey).toObject();
    } else {
        QJsonObject old;
        if (!readObject(oldBookmarksPath(), &old) || !old.value(BookmarksKey).isObject())
            return {};
        bookmarks = old.value(BookmarksKey).toObject();
    }
    QList<ViewerBookmark> list;
    const QJsonValue items = bookmarks.value(ItemsKey);
    if (!items.isArray())
        return list;
    for (const QJsonValue &value : items.toArray()) {
        const QJsonObject item = value.toObject();
        if (!value.isObject() || !item.value(SourceKey).isString())
            continue;
        ViewerBookmark bookmark;
        bookmark.source = item.value(SourceKey).toString();
        bookmark.title = stringOr(item, TitleKey);
        bookmark.text = stringOr(item, TextKey);
        bookmark.index = list.size();
        bookmark.id = 100000 + bookmark.index;
        bookmark.page = 0;
        bookmark.progress = 0;
        list.append(bookmark);
    }
    return list;
}

QList<Note> BookSideFiles::readNotes() const
{
    QList<Note> notes;
    const QJsonValue section = m_settings.value(NotesKey);
    if (!section.isObject())
        return notes;
    const QJsonValue items = section.toObject().value(ItemsKey);
    if (!items.isArray())
        return notes;
    for (const QJsonValue &value : items.toArray()) {
        if (!value.isObject())
            continue;
        const QJsonObject item = value.toObject();
        const QJsonValue startPath = item.value(StartPathKey);
        const QJsonValue endPath = item.value(EndPathKey);
        if (!item.value(ChapterKey).isString() || !startPath.isString()
            || startPath.toString().isEmpty() || !endPath.isString() || endPath.toString().isEmpty()
            || !item.contains(StartOffsetKey) || !item.contains(EndOffsetKey)
            || !item.value(ColorKey).isString()) {
            continue;
        }
        Note note;
        note.id = makeNoteId();
        note.chapter = item.value(ChapterKey).toString();
        note.startPath = startPath.toString();
        note.endPath = endPath.toString();
        note.startOffset = item.value(StartOffsetKey).toInt(0);
        note.endOffset = item.value(EndOffsetKey).toInt(0);
        note.color.setNamedColor(item.value(ColorKey).toString());
        note.context = stringOr(item, ContextKey);
        note.text = stringOr(item, NoteKey);
        if (item.value(DateKey).isString()) {
            bool ok = false;
            const qint64 msecs = item.value(DateKey).toString().toLongLong(&ok);
            if (ok)
                note.date = QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC);
        }
        note.page = 0;
        notes.append(note);
    }
    return notes;
}

BookSideFiles::FontAndPosition
BookSideFiles::readFontAndPosition(const QString &contentFolder) const
{
    QJsonObject source = m_settings;
    bool hasFont = source.value(FontSettingsKey).isObject();
    bool hasPosition = source.value(ReadingPositionKey).isObject();
    if (!hasFont || !hasPosition) {
        QJsonObject old;
        if (readObject(oldPositionPath(contentFolder), &old)) {
            source = old;
            hasFont = source.value(FontSettingsKey).isObject();
            hasPosition = source.value(ReadingPositionKey).isObject();
        }
    }
    FontAndPosition result;
    result.hasFont = hasFont;
    result.hasPosition = hasPosition;
    if (hasFont) {
        const QJsonObject font = source.value(FontSettingsKey).toObject();
        result.fontSize = integerIn(font, SizeKey, MinFontSize, MaxFontSize);
        result.lineSpacing = integerIn(font, LineSpacingKey, MinLineSpacing, MaxLineSpacing);
    }
    if (hasPosition) {
        const QJsonValue value = source.value(ReadingPositionKey).toObject().value(SourceKey);
        if (value.isString())
            result.source = value.toString();
    }
    return result;
}

QJsonObject BookSideFiles::toJson(const State &state)
{
    QJsonObject root;
    root.insert(ReadingPositionKey, QJsonObject { { SourceKey, state.position } });

    QJsonObject font { { SizeKey, state.fontSize }, { LineSpacingKey, state.lineSpacing } };
    if (!state.encoding.isEmpty())
        font.insert(EncodingKey, state.encoding);
    root.insert(FontSettingsKey, font);

    if (!state.bookmarks.isEmpty()) {
        QJsonArray items;
        for (const ViewerBookmark &bookmark : state.bookmarks) {
            items.append(QJsonObject { { SourceKey, bookmark.source },
                                       { TitleKey, bookmark.title },
                                       { TextKey, bookmark.text } });
        }
        root.insert(BookmarksKey,
                    QJsonObject { { VersionKey, QStringLiteral("1") }, { ItemsKey, items } });
    }

    if (!state.notes.isEmpty()) {
        QJsonArray items;
        for (const Note &note : state.notes) {
            QJsonObject item {
                { ChapterKey, note.chapter },         { ColorKey, note.color.name() },
                { StartPathKey, note.startPath },     { EndPathKey, note.endPath },
                { StartOffsetKey, note.startOffset }, { EndOffsetKey, note.endOffset },
                { ContextKey, note.context },         { NoteKey, note.text }
            };
            // A note read without a time stamp keeps none, rather than
            // coming back from the next opening dated 1970.
            if (note.date.isValid())
                item.insert(DateKey, QString::number(note.date.toMSecsSinceEpoch()));
            items.append(item);
        }
        root.insert(NotesKey,
                    QJsonObject { { VersionKey, QStringLiteral("1") }, { ItemsKey, items } });
    }
    return root;
}

bool BookSideFiles::write(const State &state, QString *errorMessage) const
{
    if (m_keepExisting) {
        if (errorMessage)
            *errorMessage = QStringLiteral("the existing file cannot be read and is kept");
        return false;
    }
    const QByteArray text = QJsonDocument(toJson(state)).toJson(QJsonDocument::Indented);
    QSaveFile file(settingsPath());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text) || file.write(text) != text.size()
        || !file.commit()) {
        if (errorMessage)
            *errorMessage = file.errorString();
        return false;
    }
    return true;
}
