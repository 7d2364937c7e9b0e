#include "pdf/ondarelpdflibrarydll1016qt.h"

#include "core/logger.h"
#include "pdf/ondarelpdflibrarydll1016.h"

#include <QMutex>
#include <QSet>

namespace {

// A missing library makes every PDF fail the same way; the log says why
// once per library file rather than once per document or page.
void logLoadFailure(const QString &path, const OndarelPDFLibraryDLL1016 &loader)
{
    static QMutex mutex;
    static QSet<QString> reported;
    {
        const QMutexLocker lock(&mutex);
        if (reported.contains(path))
            return;
        reported.insert(path);
    }
    Logger::instance()->write(QStringLiteral("PDF library %1 not usable: %2 [FAILED]")
                                      .arg(path, QString::fromStdString(loader.loadError())),
                              Logger::Error);
}

} // namespace

OndarelPDFLibraryDLLQt1016::OndarelPDFLibraryDLLQt1016(OndarelPDFLibraryDLL1016 *existingLoader)
    : QObject(nullptr)
    , loader(existingLoader)
    , ownsLoader(false)
{
}

OndarelPDFLibraryDLLQt1016::OndarelPDFLibraryDLLQt1016(const QString &path)
    : QObject(nullptr)
    , loader(new OndarelPDFLibraryDLL1016(path.toStdWString()))
    , ownsLoader(true)
{
    if (!loader->LibraryLoaded())
        logLoadFailure(path, *loader);
}

OndarelPDFLibraryDLLQt1016::~OndarelPDFLibraryDLLQt1016()
{
    if (ownsLoader)
        delete loader;
}

bool OndarelPDFLibraryDLLQt1016::LibraryLoaded()
{
    return loader && loader->LibraryLoaded();
}
