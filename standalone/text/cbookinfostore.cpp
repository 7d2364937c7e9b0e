#include "standalone/text/cbookinfostore.h"

#include "standalone/util/ansi.h"
#include "standalone/util/filehelpers.h"
#include "standalone/util/strutil.h"
#include "standalone/web/constants.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>

#include <cstring>

namespace divad {

namespace {

    constexpr int usedOffset = 0;
    constexpr int pathOffset = 1;
    constexpr int bookmarksOffset = 524;
    constexpr int positionOffset = 3524;
    constexpr int countOffset = 3584;
    constexpr int counterOffset = 3588;
    constexpr int entrySize = 60;
    constexpr int entryVolumeOffset = 52;
    constexpr int entrySpreadOffset = 56;
    constexpr qint32 counterLimit = 1000000000;

    // The first maxBytes bytes of the UTF-8 form of path, never ending inside a
    // character.
    QByteArray cutUtf8(const QString &path, int maxBytes)
    {
        QByteArray bytes = path.toUtf8();
        if (bytes.size() <= maxBytes)
            return bytes;
        int end = maxBytes;
        while (end > 0 && (uchar(bytes.at(end)) & 0xC0) == 0x80)
            --end;
        bytes.truncate(end);
        return bytes;
    }

    // Upper case of the ASCII letters of UTF-8 text. Every byte of a longer
    // character is 0x80 or above, so none of them changes.
    QByteArray upperUtf8(QByteArray bytes)
    {
        for (char &c : bytes) {
            if (c >= 'a' && c <= 'z')
                c = char(c - 'a' + 'A');
        }
        return bytes;
    }

} // namespace

CBookInfoStore::CBookInfoStore(const QString &filePath)
    : m_records(int(FileBytes), '\0')
    , m_filePath(filePath.isEmpty() ? ProgramFolderFile(Const::BookInfoFile) : filePath)
{
    Load();
}

char *CBookInfoStore::record(int index)
{
    return m_records.data() + qint64(qBound(0, index, RecordCount - 1)) * RecordSize;
}

const char *CBookInfoStore::record(int index) const
{
    return m_records.constData() + qint64(qBound(0, index, RecordCount - 1)) * RecordSize;
}

qint32 CBookInfoStore::readInt(int recordIndex, int offset) const
{
    return qFromLittleEndian<qint32>(record(recordIndex) + offset);
}

void CBookInfoStore::writeInt(int recordIndex, int offset, qint32 value)
{
    qToLittleEndian<qint32>(value, record(recordIndex) + offset);
}

PositionEntry CBookInfoStore::readEntry(int recordIndex, int offset) const
{
    PositionEntry entry;
    const char *data = record(recordIndex) + offset;
    memcpy(entry.note, data, NoteBytes);
    entry.volume = qFromLittleEndian<qint32>(data + entryVolumeOffset);
    entry.spread = qFromLittleEndian<qint32>(data + entrySpreadOffset);
    return entry;
}

void CBookInfoStore::writeEntry(int recordIndex, int offset, const PositionEntry &entry)
{
    char *data = record(recordIndex) + offset;
    memset(data, 0, entrySize);
    memcpy(data, entry.note, NoteBytes);
    data[NoteBytes - 1] = '\0';
    qToLittleEndian<qint32>(entry.volume, data + entryVolumeOffset);
    qToLittleEndian<qint32>(entry.spread, data + entrySpreadOffset);
}

QByteArray CBookInfoStore::pathBytes(int recordIndex) const
{
    const char *path = record(recordIndex) + pathOffset;
    return QByteArray(path, int(qstrnlen(path, PathBytes)));
}

bool CBookInfoStore::Load()
{
    m_lastError.clear();
    if (!FileExists(m_filePath))
        return true;
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        m_lastError = QStringLiteral("cannot read %1: %2").arg(m_filePath, file.errorString());
        qWarning("divad: %s", qUtf8Printable(m_lastError));
        return false;
    }
    const qint64 got = file.read(m_records.data(), FileBytes);
    if (got < 0) {
        m_records.fill('\0');
        m_lastError = QStringLiteral("cannot read %1: %2").arg(m_filePath, file.errorString());
        qWarning("divad: %s", qUtf8Printable(m_lastError));
        return false;
    }
    return true;
}

bool CBookInfoStore::Save()
{
    m_lastError.clear();
    QSaveFile file(m_filePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(m_records) != m_records.size()
        || !file.commit()) {
        m_lastError = QStringLiteral("cannot write %1: %2").arg(m_filePath, file.errorString());
        qWarning("divad: %s", qUtf8Printable(m_lastError));
        return false;
    }
    return true;
}

void CBookInfoStore::Clear()
{
    m_records.fill('\0');
}

void CBookInfoStore::changed()
{
    if (m_autoSave)
        Save();
}

qint32 CBookInfoStore::bump(qint32 counter)
{
    if (counter <= counterLimit)
        return counter + 1;
    for (int i = 0; i < RecordCount; ++i)
        writeInt(i, counterOffset, readInt(i, counterOffset) / 2);
    return counter / 2 + 1;
}

void CBookInfoStore::SelectBook(const QString &path)
{
    if (path.isEmpty()) {
        m_currentIndex = -1;
        m_currentPath.clear();
        return;
    }
    const QByteArray cut = cutUtf8(path, PathBytes - 1);
    const QByteArray upper = upperUtf8(cut);
    int found = -1;
    for (int i = 0; i < RecordCount && found < 0; ++i) {
        if (record(i)[usedOffset] == 0)
            continue;
        const QByteArray stored = pathBytes(i);
        if (stored.size() == cut.size() && upperUtf8(stored) == upper)
            found = i;
    }
    if (found >= 0) {
        writeInt(found, counterOffset, bump(readInt(found, counterOffset)));
        m_currentIndex = found;
    } else {
        m_currentIndex = -1;
        int slot = -1;
        qint32 counter = 1;
        for (int i = 0; i < RecordCount && slot < 0; ++i) {
            if (record(i)[usedOffset] == 0)
                slot = i;
        }
        if (slot < 0) {
            slot = 0;
            qint32 highest = readInt(0, counterOffset);
            for (int i = 1; i < RecordCount; ++i) {
                const qint32 value = readInt(i, counterOffset);
                if (value < readInt(slot, counterOffset))
                    slot = i;
                highest = qMax(highest, value);
            }
            counter = bump(highest);
        }
        char *data = record(slot);
        memset(data, 0, RecordSize);
        memcpy(data + pathOffset, cut.constData(), size_t(cut.size()));
        data[usedOffset] = 1;
        writeInt(slot, counterOffset, counter);
        m_currentIndex = slot;
    }
    m_currentPath = QString::fromUtf8(cut);
    changed();
}

bool CBookInfoStore::HasCurrent() const
{
    return !m_currentPath.isEmpty() && m_currentIndex >= 0 && m_currentIndex < RecordCount
            && record(m_currentIndex)[usedOffset] != 0;
}

int CBookInfoStore::CurrentIndex() const
{
    return qBound(0, m_currentIndex, RecordCount - 1);
}

void CBookInfoStore::SetPosition(const PositionEntry &entry)
{
    if (!HasCurrent())
        return;
    PositionEntry position;
    position.volume = entry.volume;
    position.spread = entry.spread;
    writeEntry(m_currentIndex, positionOffset, position);
}

PositionEntry CBookInfoStore::GetPosition() const
{
    return HasCurrent() ? readEntry(m_currentIndex, positionOffset) : PositionEntry();
}

int CBookInfoStore::BookmarkCount() const
{
    return HasCurrent() ? RecordBookmarkCount(m_currentIndex) : 0;
}

PositionEntry CBookInfoStore::GetBookmark(int i) const
{
    return HasCurrent() ? RecordBookmark(m_currentIndex, i) : PositionEntry();
}

bool CBookInfoStore::FindBookmark(int volume, int spread, int *index) const
{
    const int count = BookmarkCount();
    for (int i = 0; i < count; ++i) {
        const PositionEntry entry = GetBookmark(i);
        if (entry.volume == volume && entry.spread == spread) {
            if (index)
                *index = i;
            return true;
        }
    }
    return false;
}

bool CBookInfoStore::AddOrUpdateBookmark(const PositionEntry &entry)
{
    if (!HasCurrent())
        return false;
    int index = -1;
    if (FindBookmark(entry.volume, entry.spread, &index)) {
        PositionEntry updated = GetBookmark(index);
        memcpy(updated.note, entry.note, NoteBytes);
        writeEntry(m_currentIndex, bookmarksOffset + index * entrySize, updated);
        changed();
        return true;
    }
    int count = readInt(m_currentIndex, countOffset);
    if (count < 0)
        count = 0;
    if (count >= MaxBookmarks)
        return false;
    writeEntry(m_currentIndex, bookmarksOffset + count * entrySize, entry);
    writeInt(m_currentIndex, countOffset, count + 1);
    changed();
    return true;
}

bool CBookInfoStore::RemoveBookmark(int i)
{
    if (!HasCurrent())
        return false;
    const int count = BookmarkCount();
    i = qBound(0, i, MaxBookmarks - 1);
    // Removing past the last bookmark would drop the last one instead.
    if (count <= 0 || i >= count)
        return false;
    char *bookmarks = record(m_currentIndex) + bookmarksOffset;
    memmove(bookmarks + i * entrySize, bookmarks + (i + 1) * entrySize,
            size_t(MaxBookmarks - 1 - i) * entrySize);
    memset(bookmarks + (MaxBookmarks - 1) * entrySize, 0, entrySize);
    writeInt(m_currentIndex, countOffset, count - 1);
    changed();
    return true;
}

bool CBookInfoStore::RemoveBookmarkAt(int volume, int spread)
{
    int index = -1;
    return FindBookmark(volume, spread, &index) && RemoveBookmark(index);
}

void CBookInfoStore::SetNote(PositionEntry &entry, const QByteArray &text)
{
    const QByteArray note = Ansi::cutToBytes(
            text.left(int(qstrnlen(text.constData(), text.size()))), NoteBytes - 1);
    memset(entry.note, 0, NoteBytes);
    memcpy(entry.note, note.constData(), size_t(note.size()));
}

QByteArray CBookInfoStore::GetNote(const PositionEntry &entry)
{
    return QByteArray(entry.note, int(qstrnlen(entry.note, NoteBytes - 1)));
}

bool CBookInfoStore::IsUsed(int recordIndex) const
{
    return record(recordIndex)[usedOffset] != 0;
}

QString CBookInfoStore::RecordPath(int recordIndex) const
{
    return QString::fromUtf8(pathBytes(recordIndex));
}

int CBookInfoStore::UsageCounter(int recordIndex) const
{
    return readInt(recordIndex, counterOffset);
}

int CBookInfoStore::RecordBookmarkCount(int recordIndex) const
{
    return qBound(0, int(readInt(recordIndex, countOffset)), MaxBookmarks);
}

PositionEntry CBookInfoStore::RecordBookmark(int recordIndex, int i) const
{
    return readEntry(recordIndex, bookmarksOffset + qBound(0, i, MaxBookmarks - 1) * entrySize);
}

PositionEntry CBookInfoStore::RecordPosition(int recordIndex) const
{
    return readEntry(recordIndex, positionOffset);
}

CBookInfoStore &bookInfoStore()
{
    static CBookInfoStore store;
    return store;
}

} // namespace divad
