#include "library/db/bookformat.h"
#include "library/db/bookprovider.h"
#include "tools/probe/probe.h"

#include <QJsonArray>
#include <QJsonObject>

namespace {

// Opens the current user's library the way the program does at start-up
// (creating or updating its tables) and prints what it holds.
int libraryStats(const QStringList &)
{
    BookProvider *provider = BookProvider::instance();
    if (!provider->createConnection())
        return probe::fail(provider->connectionErrorTitle() + QStringLiteral(": ")
                           + provider->lastError());

    const LibraryStatistics statistics = provider->libraryStatistics();
    QJsonObject formats;
    for (int format = 0; format <= BookFormat::LastFormat; ++format) {
        const int count = provider->bookCountByFormat(format);
        if (count > 0)
            formats.insert(BookFormat::toString(format), count);
    }
    QJsonArray categories;
    for (const CategoryDto &category : provider->allCategories())
        categories.append(QJsonObject { { QStringLiteral("id"), category.id },
                                        { QStringLiteral("title"), category.title },
                                        { QStringLiteral("books"), category.bookCount } });
    probe::printJson(QJsonObject {
            { QStringLiteral("path"), provider->databasePath() },
            { QStringLiteral("rows"), provider->bookCountAll() },
            { QStringLiteral("books"), statistics.allCount },
            { QStringLiteral("lastAdded"), statistics.lastAddedCount },
            { QStringLiteral("recentlyRead"), statistics.recentlyReadCount },
            { QStringLiteral("favorites"), statistics.favoritesCount },
            { QStringLiteral("trash"), statistics.deletedCount },
            { QStringLiteral("formats"), formats },
            { QStringLiteral("categories"), categories },
    });
    return 0;
}

} // namespace

VL_PROBE_COMMAND("library-stats", "(counts of the user's library as JSON)", libraryStats);
