// A RAR archive (a CBR comic): listed, looked at for what stands in the way
// of reading it, and every listed entry extracted into a folder of the
// temporary home, which is emptied after each input.

#include "archive/rarreader.h"
#include "core/paths.h"
#include "tests/fuzz/fuzzhome.h"

namespace {

QString archivePath;
QString folder;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    const QString home = useTemporaryHome(QStringLiteral("fuzz_rar"));
    archivePath = home + QStringLiteral("/comic.cbr");
    folder = home + QStringLiteral("/pages");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!writeInput(archivePath, data, size))
        return 0;

    RarReader reader;
    reader.problem(archivePath);
    const QStringList names = reader.list(archivePath);
    for (const QString &name : names) {
        QString output;
        reader.extractFile(archivePath, name, folder, output);
    }
    Paths::removeDir(folder);
    return 0;
}
