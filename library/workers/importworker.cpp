#include "library/workers/importworker.h"

#include "archive/archivepath.h"
#include "core/logger.h"
#include "core/paths.h"
#include "library/db/bookformat.h"
#include "library/db/bookprovider.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStorageInfo>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>
#include <quazip/unzip.h>

namespace {

// A name that is taken on every try is not worth more tries than this.
constexpr int maxNameTries = 10000;
// Entries above this size are checked against the free disk space first.
constexpr qint64 largeEntryBytes = qint64(16) * 1024 * 1024;

void log(const QString &text, int level = Logger::Debug)
{
    Logger::instance()->write(text, level);
}

// Objects, arrays and values in JSON text, counted from above: every one
// but the first follows a "," or opens with "{" or "[". Characters inside
// strings count too, which only makes the bound safer.
qint64 countItems(const QByteArray &text)
{
    qint64 count = 0;
    for (const char c : text) {
        if (c == '{' || c == '[' || c == ',')
            ++count;
    }
    return count;
}

// The package's value when it names a known format, else the file suffix's.
int formatOf(const ContainerBook &record)
{
    if (record.bookFormat >= 0 && record.bookFormat <= BookFormat::LastFormat
        && BookFormat::toString(record.bookFormat) != QLatin1String("unknown"))
        return record.bookFormat;
    return BookFormat::fromString(QFileInfo(record.fileName).suffix());
}

} // namespace

ImportWorker::ImportWorker(const QString &fileName, const QString &folder, QObject *parent)
    : LibraryWorker(parent)
    , m_fileName(fileName)
    , m_folder(folder)
{
    qRegisterMetaType<ImportErrors>("ImportErrors");
}

ImportWorker::~ImportWorker() = default;

QString ImportWorker::errorString(ImportErrors error)
{
    switch (error) {
    case ImportErrors::NoError:
        return QStringLiteral("No error");
    case ImportErrors::ContainerCorrupted:
        return QStringLiteral("Container corrupted");
    case ImportErrors::ImportFileError:
        return QStringLiteral("Import file error");
    case ImportErrors::OperationCanceled:
        return QStringLiteral("Operation has been canceled");
    }
    return QString();
}

void ImportWorker::cancel()
{
    m_error.set(ImportErrors::OperationCanceled);
    setCanceled(true);
}

void ImportWorker::run()
{
    setState(WorkerStates::Preparing);
    m_imported = 0;
    emit started();

    // A cancel that came before the thread started is kept: the loop then
    // does nothing and the run ends as cancelled.
    while (!isCanceled()) {
        const WorkerStates state = currentState();
        if (state == WorkerStates::Preparing) {
            if (openContainer())
                setState(WorkerStates::Processing);
            else
                setCanceled(true);
        } else if (state == WorkerStates::Processing) {
            if (m_index >= m_records.size())
                setCanceled(true);
            else
                nextBook();
        } else {
            setCanceled(true);
        }
        rest();
    }

    if (m_zip) {
        m_zip->close();
        if (m_zip->getZipError() != UNZ_OK)
            log(QStringLiteral("Import error. Container corrupted"), Logger::Error);
        m_zip.reset();
    }
    setCanceled(false);
    setState(WorkerStates::Idle);

    const ImportErrors error = m_error.value();
    if (error == ImportErrors::NoError) {
        log(QStringLiteral("Import [OK]"));
        emit complete(m_imported);
    } else {
        log(QStringLiteral("Import [FAILED]. Error:%1").arg(errorString(error)), Logger::Error);
        emit failed(error);
    }
    emit imported();
    emit done();
}

bool ImportWorker::openContainer()
{
    const auto refuse = [this](const QString &why) {
        log(why, Logger::Error);
        m_error.set(ImportErrors::ContainerCorrupted);
        return false;
    };

    m_zip = std::make_unique<QuaZip>(m_fileName);
    if (!m_zip->open(QuaZip::mdUnzip)) {
        m_zip.reset();
        return refuse(QStringLiteral("Open archive [FAILED]"));
    }
    if (!indexEntries())
        return refuse(QStringLiteral("Import. The package's directory is damaged or too large"));

    QByteArray text;
    const LibraryPackage::CopyResult description = readDescription(text);
    if (description == LibraryPackage::CopyResult::Stopped)
        return false;
    if (description != LibraryPackage::CopyResult::Copied)
        return refuse(QStringLiteral("Extract containter.json [FAILED]"));
    log(QStringLiteral("Extract containter.json [OK]"));
    if (!parseContainer(text))
        return false;
    log(QStringLiteral("Parse complete [OK]"));

    const QString folder = QDir::cleanPath(QDir(m_folder).absolutePath());
    if (!QDir().mkpath(folder)) {
        log(QStringLiteral("Import. Cannot make the folder %1").arg(folder), Logger::Error);
        m_error.set(ImportErrors::ImportFileError);
        return false;
    }
    m_folder = folder;
    BookProvider *provider = BookProvider::instance();
    for (const CategoryDto &category : provider->allCategories())
        m_categories.insert(category.title, category.id);
    const QStringList trashed = provider->pathsByDeletedState();
    m_trashedPaths = QSet<QString>(trashed.cbegin(), trashed.cend());
    return true;
}

// One pass over the archive's directory, so that finding an entry later
// costs no walk: looking names up one by one would take time growing with
// the square of the number of books.
bool ImportWorker::indexEntries()
{
    const int count = m_zip->getEntriesCount();
    if (count < 0 || count > m_limits.maxEntries)
        return false;
    m_entries.reserve(count);
    unzFile handle = m_zip->getUnzFile();
    for (bool more = m_zip->goToFirstFile(); more; more = m_zip->goToNextFile()) {
        QuaZipFileInfo64 info;
        unz64_file_pos position;
        if (!m_zip->getCurrentFileInfo(&info) || unzGetFilePos64(handle, &position) != UNZ_OK)
            return false;
        Entry entry;
        entry.directoryOffset = position.pos_in_zip_directory;
        entry.fileNumber = position.num_of_file;
        entry.size = qint64(info.uncompressedSize);
        if (entry.size < 0)
            return false;
        m_entries.insert(info.name, entry);
    }
    if (m_zip->getZipError() != UNZ_OK)
        return false;
    // Entries are reached by their directory position from here on; QuaZip
    // wants a current entry for that.
    return m_zip->goToFirstFile() || m_entries.isEmpty();
}

LibraryPackage::CopyResult ImportWorker::readDescription(QByteArray &text)
{
    const auto it = m_entries.constFind(LibraryPackage::descriptionEntry);
    if (it == m_entries.cend() || it->size > m_limits.maxDescriptionBytes)
        return LibraryPackage::CopyResult::Failed;
    QBuffer buffer(&text);
    buffer.open(QIODevice::WriteOnly);
    return readEntry(LibraryPackage::descriptionEntry, buffer);
}

bool ImportWorker::parseContainer(const QByteArray &text)
{
    const auto refuse = [this](const QString &why) {
        log(QStringLiteral("Import. The description is refused: %1").arg(why), Logger::Error);
        m_error.set(ImportErrors::ContainerCorrupted);
        return false;
    };

    if (countItems(text) > m_limits.maxDescriptionItems)
        return refuse(QStringLiteral("too many items"));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return refuse(QStringLiteral("no JSON object (%1)").arg(error.errorString()));
    const QJsonValue books = document.object().value(LibraryPackage::Key::books);
    if (!books.isArray())
        return refuse(QStringLiteral("no list of books"));
    const QJsonArray array = books.toArray();
    if (array.size() > m_limits.maxBooks)
        return refuse(QStringLiteral("%1 books").arg(array.size()));

    m_records.reserve(array.size());
    QSet<QString> entries;
    for (const QJsonValue &value : array) {
        ContainerBook record = bookFromJson(value.toObject());
        // Only a plain file name may come from the package: the book lands
        // in the import folder itself, never beside or above it.
        const QString name = ArchivePath::clean(record.fileName);
        if (name.isEmpty() || name.contains(QLatin1Char('/')))
            return refuse(QStringLiteral("the file name \"%1\"").arg(record.fileName));
        record.fileName = name;
        // Every book and cover has an entry of its own. One large entry named
        // by thousands of records would fill the disk with copies.
        for (const QString &entry : { record.relPath, record.coverPath }) {
            if (entry.isEmpty())
                continue;
            if (entries.contains(entry))
                return refuse(QStringLiteral("the entry \"%1\" named twice").arg(entry));
            entries.insert(entry);
        }
        m_records.append(record);
    }
    return true;
}

ContainerBook ImportWorker::bookFromJson(const QJsonObject &object)
{
    namespace Key = LibraryPackage::Key;
    ContainerBook record;
    record.bookId = object.value(Key::bookId).toString();
    record.fileName = object.value(Key::fileName).toString();
    record.relPath = object.value(Key::relPath).toString();
    record.coverPath = object.value(Key::coverPath).toString();
    record.author = object.value(Key::author).toString();
    record.title = object.value(Key::title).toString();
    record.bookFormat = object.value(Key::bookFormat).toInt();
    record.position = object.value(Key::position).toInt();
    record.progress = object.value(Key::progress).toInt();
    record.isFavorite = object.value(Key::isFavorite).toBool();
    const QJsonArray bookmarks = object.value(Key::bookmarks).toArray();
    for (const QJsonValue &bookmark : bookmarks)
        record.bookmarks.append(bookmarkFromJson(bookmark.toObject()));
    record.folder = object.value(Key::folders).toArray().at(0).toString();
    return record;
}

ContainerBookmark ImportWorker::bookmarkFromJson(const QJsonObject &object)
{
    namespace Key = LibraryPackage::Key;
    ContainerBookmark bookmark;
    bookmark.title = object.value(Key::title).toString();
    bookmark.position = object.value(Key::position).toInt();
    bookmark.progress = object.value(Key::progress).toInt();
    return bookmark;
}

void ImportWorker::nextBook()
{
    const ContainerBook record = m_records.at(m_index);
    ++m_index;
    emit progressChanged(m_index, m_records.size());
    emit progressMessage(tr("%1 of %2 is being imported. %3")
                                 .arg(QString::number(m_index), QString::number(m_records.size()),
                                      record.fileName));

    const QString target = bookTarget(record.fileName);
    const LibraryPackage::CopyResult copy = target.isEmpty()
            ? LibraryPackage::CopyResult::Failed
            : extractFile(record.relPath, target, false);
    if (copy == LibraryPackage::CopyResult::Stopped)
        return;
    if (copy != LibraryPackage::CopyResult::Copied) {
        log(QStringLiteral("Extract file [FAILED]:%1)").arg(record.relPath), Logger::Error);
        return;
    }

    BookDto book;
    book.author = record.author;
    book.title = record.title;
    book.fullPath = target;
    book.format = formatOf(record);
    book.timeAdded = uint(QDateTime::currentSecsSinceEpoch());
    book.position = record.position;
    book.maxPosition = record.progress;
    book.isFavorite = record.isFavorite ? 1 : 0;
    book.folderTitle = record.folder;

    // The storage folder may be left from a book that once had this path;
    // only one made here goes again when the book is not stored.
    const QString storageFolder = Paths::booksDir() + QLatin1Char('/') + Paths::hashHex(target);
    const bool storageExisted = QFileInfo::exists(storageFolder);
    const auto discard = [&] {
        QFile::remove(target);
        if (!storageExisted)
            Paths::removeDir(storageFolder);
        else if (!book.cover.isEmpty())
            QFile::remove(book.cover);
    };

    qDebug() << "ImportWorker::nextBook ARCHIVE:" << record.coverPath;
    if (!record.coverPath.isEmpty()) {
        const QString coverTarget = ArchivePath::join(Paths::bookPath(target),
                                                      QFileInfo(record.coverPath).fileName());
        qDebug() << "ImportWorker::nextBook Cover path:" << coverTarget;
        const LibraryPackage::CopyResult cover = coverTarget.isEmpty()
                ? LibraryPackage::CopyResult::Failed
                : extractFile(record.coverPath, coverTarget, true);
        if (cover == LibraryPackage::CopyResult::Copied)
            book.cover = coverTarget;
        else
            log(QStringLiteral("Import. No cover for %1").arg(record.fileName), Logger::Warning);
    }
    // A cancel during the copies leaves nothing of this book behind.
    if (isCanceled()) {
        discard();
        return;
    }

    const int category = record.folder.isEmpty() ? -1 : categoryId(record.folder);
    BookProvider *provider = BookProvider::instance();
    bool alreadyThere = false;
    const int id = provider->addBook(book, &alreadyThere);
    if (id == -1) {
        log(QStringLiteral("Import book information to DB [FAILED]"), Logger::Error);
        // A book another add stored under this path meanwhile has the file
        // now: it stays.
        if (!alreadyThere)
            discard();
        return;
    }
    if (category != -1)
        provider->addBookToCategory(id, category);
    for (const ContainerBookmark &bookmark : record.bookmarks) {
        if (!provider->createBookmark(id, bookmark.position, bookmark.progress, bookmark.title))
            log(QStringLiteral("Import. Bookmark of %1 [FAILED]").arg(record.fileName),
                Logger::Error);
    }
    ++m_imported;
}

bool ImportWorker::isTaken(const QString &path) const
{
    const QFileInfo info(path);
    // A link that leads nowhere does not "exist", but a file cannot be made
    // in its place. A book in the trash keeps its path even when its file
    // is gone.
    return info.exists() || info.isSymLink() || m_trashedPaths.contains(path)
            || BookProvider::instance()->findBookByPath(path).id > 0;
}

QString ImportWorker::bookTarget(const QString &fileName) const
{
    for (int counter = 0; counter < maxNameTries; ++counter) {
        const QString name
                = counter == 0 ? fileName : QStringLiteral("(%1)%2").arg(counter).arg(fileName);
        const QString path = ArchivePath::join(m_folder, name);
        if (path.isEmpty())
            return QString();
        if (!isTaken(path))
            return path;
    }
    return QString();
}

int ImportWorker::categoryId(const QString &title)
{
    BookProvider *provider = BookProvider::instance();
    // A category remembered from earlier may have gone meanwhile.
    const auto known = m_categories.constFind(title);
    if (known != m_categories.cend() && provider->findCategory(*known).title == title)
        return *known;
    for (const CategoryDto &category : provider->allCategories()) {
        if (category.title == title) {
            m_categories.insert(title, category.id);
            return category.id;
        }
    }
    const int id = provider->addCategory(title, 0);
    if (id != -1)
        m_categories.insert(title, id);
    return id;
}

LibraryPackage::CopyResult ImportWorker::readEntry(const QString &entryName, QIODevice &destination)
{
    const auto failed = LibraryPackage::CopyResult::Failed;
    const auto it = m_entries.constFind(entryName);
    if (!m_zip || m_zip->getMode() != QuaZip::mdUnzip || it == m_entries.cend())
        return failed;
    unz64_file_pos position;
    position.pos_in_zip_directory = it->directoryOffset;
    position.num_of_file = it->fileNumber;
    if (unzGoToFilePos64(m_zip->getUnzFile(), &position) != UNZ_OK)
        return failed;

    QuaZipFile entry(m_zip.get());
    if (!entry.open(QIODevice::ReadOnly) || entry.getZipError() != UNZ_OK)
        return failed;
    qint64 copied = 0;
    const LibraryPackage::CopyResult result = LibraryPackage::copyData(
            entry, destination, [this] { return isCanceled(); }, it->size, &copied);
    // Closing checks the data against its checksum.
    entry.close();
    if (result == LibraryPackage::CopyResult::Copied
        && (entry.getZipError() != UNZ_OK || copied != it->size))
        return failed;
    return result;
}

LibraryPackage::CopyResult ImportWorker::extractFile(const QString &entryName,
                                                     const QString &destination, bool replace)
{
    const auto failed = LibraryPackage::CopyResult::Failed;
    const auto it = m_entries.constFind(entryName);
    if (it == m_entries.cend())
        return failed;
    const QFileInfo target(destination);
    if (!QDir().mkpath(target.absolutePath()))
        return failed;
    // A large book that cannot fit would fail only after filling the disk;
    // refuse it before writing. (Smaller ones are not worth the look: a
    // failed write removes what was written.)
    if (it->size > largeEntryBytes) {
        const QStorageInfo storage(target.absolutePath());
        if (storage.isValid() && storage.bytesAvailable() >= 0
            && storage.bytesAvailable() < it->size) {
            log(QStringLiteral("Import. No room for %1 bytes in %2")
                        .arg(it->size)
                        .arg(target.absolutePath()),
                Logger::Error);
            return failed;
        }
    }

    // A file left at a cover's place belongs to no book: the path it is
    // named after is free, or the book would not be imported under it.
    if (replace)
        QFile::remove(destination);

    // Never over a file that appeared since the name was chosen, nor
    // through a link placed there.
    QFile file(destination);
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
        return failed;
    LibraryPackage::CopyResult result = readEntry(entryName, file);
    file.close();
    if (result == LibraryPackage::CopyResult::Copied && file.error() != QFileDevice::NoError)
        result = failed;
    if (result != LibraryPackage::CopyResult::Copied)
        file.remove();
    return result;
}
