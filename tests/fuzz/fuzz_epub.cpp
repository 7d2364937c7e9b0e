// An EPUB book, opened for reading and for its metadata. After a first flag
// byte (bit 0: the book carries an encryption marker) the input is cut at
// each "\n%%\n" into the container, the package, the contents file and one
// chapter, which are packed into a ZIP file as a book has them. The last
// part also goes through the script stripper on its own.

#include "core/paths.h"
#include "formats/epub/epubparser.h"
#include "document/scriptstripper.h"
#include "tests/archive/zipfixture.h"
#include "tests/fuzz/fuzzhome.h"

namespace {

QString bookPath;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    bookPath = useTemporaryHome(QStringLiteral("fuzz_epub")) + QStringLiteral("/book.epub");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data + 1), int(size - 1));
    QList<QByteArray> parts;
    int from = 0;
    for (int at = input.indexOf("\n%%\n"); at >= 0 && parts.size() < 3;
         at = input.indexOf("\n%%\n", from)) {
        parts.append(input.mid(from, at - from));
        from = at + 4;
    }
    parts.append(input.mid(from));

    static const char *const names[]
            = { "META-INF/container.xml", "OEBPS/content.opf", "OEBPS/toc.ncx", "OEBPS/ch1.xhtml" };
    QList<ZipFixture::Entry> entries;
    for (int i = 0; i < parts.size(); ++i)
        entries.append({ QString::fromLatin1(names[i]), parts.at(i), true, 0 });
    if (data[0] & 1)
        entries.append({ QStringLiteral("META-INF/encryption.xml"), "<encryption/>", true, 0 });
    if (!ZipFixture::write(bookPath, entries))
        return 0;

    for (const bool metadataOnly : { false, true }) {
        Paths::removeDir(Paths::bookPath(bookPath));
        epub::EpubParser parser(nullptr);
        parser.open(bookPath, metadataOnly);
        parser.info().title();
        parser.info().author();
    }
    Paths::removeDir(Paths::bookPath(bookPath));

    bool changed = false;
    ScriptStripper::strip(parts.last(), &changed);
    return 0;
}
