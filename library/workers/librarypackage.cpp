#include "library/workers/librarypackage.h"

#include <QIODevice>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace LibraryPackage {

const QString extension = QStringLiteral(".vlz");
const QString descriptionEntry = QStringLiteral("container.json");

namespace Key {
    const QString books = QStringLiteral("books");
    const QString bookId = QStringLiteral("book_id");
    const QString fileName = QStringLiteral("file_name");
    const QString relPath = QStringLiteral("rel_path");
    const QString author = QStringLiteral("author");
    const QString title = QStringLiteral("title");
    const QString bookFormat = QStringLiteral("book_format");
    const QString position = QStringLiteral("position");
    const QString progress = QStringLiteral("progress");
    const QString isFavorite = QStringLiteral("is_favorite");
    const QString coverPath = QStringLiteral("cover_path");
    const QString folders = QStringLiteral("folders");
    const QString bookmarks = QStringLiteral("bookmarks");
} // namespace Key

QString bookEntryName(const QString &id, const QString &suffix)
{
    return QStringLiteral("%1/%1.%2").arg(id, suffix);
}

QString coverEntryName(const QString &id, const QString &suffix)
{
    return QStringLiteral("%1/%2.%3").arg(id, QStringLiteral("cover"), suffix);
}

CopyResult copyData(QIODevice &source, QIODevice &destination,
                    const std::function<bool()> &stopRequested, qint64 maxBytes,
                    qint64 *copiedBytes)
{
    char block[4096];
    qint64 copied = 0;
    const auto result = [&copied, copiedBytes](CopyResult result) {
        if (copiedBytes)
            *copiedBytes = copied;
        return result;
    };
    for (;;) {
        if (stopRequested && stopRequested())
            return result(CopyResult::Stopped);
        const qint64 read = source.read(block, sizeof block);
        // Read until the source says there is no more rather than trusting
        // its size: some files report none and still fail to read.
        if (read == 0)
            return result(source.atEnd() ? CopyResult::Copied : CopyResult::Failed);
        if (read < 0 || (maxBytes >= 0 && copied + read > maxBytes))
            return result(CopyResult::Failed);
        if (destination.write(block, read) != read)
            return result(CopyResult::Failed);
        copied += read;
    }
}

bool commitFile(QSaveFile &file)
{
    bool ok = file.flush() && file.error() == QFileDevice::NoError;
#ifdef Q_OS_UNIX
    // commit() syncs too, but does not look at the result.
    ok = ok && ::fsync(file.handle()) == 0;
#endif
    if (!ok) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}

} // namespace LibraryPackage
