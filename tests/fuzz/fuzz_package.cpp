// A library package read into the library by the import worker. After a
// first flag byte the input is, with bit 0 set, the whole package file as it
// stands; otherwise the package's description ("container.json"), packed
// with the entries a package of two books has: {a}/{a}.txt, {a}/cover.png
// and {b}/{b}.txt. Every run starts from an empty library and import folder.

#include "core/paths.h"
#include "library/db/bookprovider.h"
#include "library/workers/importworker.h"
#include "tests/archive/zipfixture.h"
#include "tests/fuzz/fuzzhome.h"

#include <QCoreApplication>
#include <QFile>
#include <QThread>

#include <memory>

namespace {

QString packagePath;
QString importFolder;

void emptyLibrary()
{
    BookProvider *provider = BookProvider::instance();
    for (const BookDto &book : provider->allBooks() + provider->deletedBooks())
        provider->deleteFromLibrary(book.id);
    for (const CategoryDto &category : provider->allCategories())
        provider->removeCategory(category.id);
    Paths::removeDir(importFolder);
}

// The library is touched only from threads that end, as the workers do: a
// thread's connection goes with it, while the main thread's would live
// until exit.
void onThread(const std::function<void()> &work)
{
    const std::unique_ptr<QThread> thread(QThread::create(work));
    thread->start();
    thread->wait();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    static QCoreApplication app(*argc, *argv);
    const QString home = useTemporaryHome(QStringLiteral("fuzz_package"));
    packagePath = home + QStringLiteral("/package.vlz");
    importFolder = home + QStringLiteral("/Import");
    onThread([] { BookProvider::instance()->createConnection(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray input(reinterpret_cast<const char *>(data + 1), int(size - 1));
    if (data[0] & 1) {
        QFile file(packagePath);
        if (!file.open(QIODevice::WriteOnly) || file.write(input) != input.size())
            return 0;
    } else if (!ZipFixture::write(packagePath,
                                  { { QStringLiteral("{a}/{a}.txt"), "first book\n" },
                                    { QStringLiteral("{a}/cover.png"), "not a picture" },
                                    { QStringLiteral("{b}/{b}.txt"), "second book\n" },
                                    { QStringLiteral("container.json"), input } })) {
        return 0;
    }

    ImportWorker worker(packagePath, importFolder);
    worker.setRestInterval(0);
    ImportWorker::Limits limits;
    limits.maxDescriptionBytes = 1 << 20;
    limits.maxBooks = 200;
    worker.setLimits(limits);
    worker.start();
    worker.wait();
    onThread(emptyLibrary);
    return 0;
}
