// The JSON side files of a book, every input read as each of them: the
// ".toc" contents file (by the document side and by the reading view) and
// the ".settings" file with font, position, bookmarks and notes, which is
// then written back as the viewer would.

#include "core/paths.h"
#include "document/tocfile.h"
#include "reader/booksidefiles.h"
#include "tests/fuzz/fuzzhome.h"

#include <QFile>

namespace {

const QString bookPath = QStringLiteral("/books/fuzz.epub");

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
            && file.write(bytes) == bytes.size();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    useTemporaryHome(QStringLiteral("fuzz_sidefiles"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    BookSideFiles files(bookPath);
    const QString contentFolder = files.storageFolder() + QStringLiteral("/OEBPS");

    const QString tocPath = TocFile::path(bookPath);
    if (writeFile(tocPath, input)) {
        QList<TocItem> items;
        if (TocFile::read(tocPath, &items))
            TocFile::serialize(items);
        QList<TocItem> tree;
        QList<TocItem> list;
        BookSideFiles::readTableOfContents(tocPath, contentFolder, &tree, &list);
    }

    // A damaged file is moved aside by load(); start each input afresh.
    Paths::removeDir(files.storageFolder());
    if (writeFile(files.settingsPath(), input) && writeFile(files.oldBookmarksPath(), input)) {
        files.load();
        files.encoding();
        BookSideFiles::State state;
        state.bookmarks = files.readBookmarks();
        state.notes = files.readNotes();
        const BookSideFiles::FontAndPosition stored = files.readFontAndPosition(contentFolder);
        state.position = stored.source;
        state.fontSize = stored.fontSize;
        files.write(state);
    }
    Paths::removeDir(files.storageFolder());
    return 0;
}
