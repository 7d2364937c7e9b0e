// A 7z archive read through the 7-Zip codec library: its single entry's
// suffix, what stands in the way of reading it, its list, and every entry
// unpacked into a folder of the temporary home, emptied after each input.
// Seeds come from the 7z command; the headers carry checksums, so the
// inputs that get far are the ones that keep them.

#include "archive/sevenzip/sevenzipclient.h"
#include "archive/sevenzip/sevenzipreader.h"
#include "core/paths.h"
#include "tests/fuzz/fuzzhome.h"

namespace {

QString archivePath;
QString folder;

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    const QString home = useTemporaryHome(QStringLiteral("fuzz_sevenzip"));
    archivePath = home + QStringLiteral("/book.7z");
    folder = home + QStringLiteral("/unpacked");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (!writeInput(archivePath, data, size))
        return 0;

    // A book's worth: an input that declares more is refused unread.
    ArchiveLimits limits;
    limits.maxTotalBytes = 64 * 1024 * 1024;
    SevenZipClient &client = SevenZipClient::instance();
    client.singleEntrySuffix(archivePath);
    client.extract(archivePath, folder);
    SevenZipReader reader(limits);
    reader.problem(archivePath);
    reader.list(archivePath);
    reader.extract(archivePath, folder + QStringLiteral("/all"));
    Paths::removeDir(folder);
    return 0;
}
