#include "library/workers/addbooksworker.h"

#include "archive/singlebookarchive.h"
#include "core/logger.h"
#include "core/paths.h"
#include "core/settingsfile.h"
#include "library/db/bookformat.h"
#include "library/db/bookprovider.h"
#include "library/workers/bookmetadata.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>

namespace {

constexpr int zipFormat = 9;
constexpr int sevenZipFormat = 10;

void log(const QString &text, int level)
{
    Logger::instance()->write(text, level);
}

// The storage folder Paths::bookPath() would make for a book file, without
// making it.
QString storageFolderOf(const QString &bookFilePath)
{
    return Paths::booksDir() + QLatin1Char('/') + Paths::hashHex(bookFilePath);
}

} // namespace

AddBooksWorker::AddBooksWorker(const QList<QFileInfo> &inputs, QObject *parent)
    : LibraryWorker(parent)
    , m_inputs(inputs)
{
    // The signals cross threads; registering twice is harmless.
    qRegisterMetaType<AddBooksErrors>("AddBooksErrors");
}

AddBooksWorker::~AddBooksWorker() = default;

QString AddBooksWorker::errorText(AddBooksErrors error)
{
    switch (error) {
    case AddBooksErrors::NoError:
        return QStringLiteral("No error");
    case AddBooksErrors::Canceled:
        return QStringLiteral("Operation has been canceled");
    case AddBooksErrors::DrmProtected:
        return tr("Book is DRM protected");
    }
    return QString();
}

QStringList AddBooksWorker::supportedFormats()
{
    return { QStringLiteral("epub"), QStringLiteral("mobi"), QStringLiteral("prc"),
             QStringLiteral("fb2"),  QStringLiteral("cbr"),  QStringLiteral("cbz"),
             QStringLiteral("pdf"),  QStringLiteral("txt"),  QStringLiteral("zip"),
             QStringLiteral("7z") };
}

void AddBooksWorker::cancel()
{
    m_error = AddBooksErrors::Canceled;
    setCanceled(true);
}

void AddBooksWorker::run()
{
    log(QStringLiteral("Add books start"), Logger::Debug);
    m_index = 0;
    setState(WorkerStates::Scanning);
    emit started();
    m_addedCount = 0;

    // A cancel that came before the thread started is kept: the loop then
    // does nothing and the run ends as canceled.
    while (!isCanceled()) {
        const WorkerStates state = currentState();
        if (state == WorkerStates::Scanning) {
            if (scanFolder())
                setState(WorkerStates::Adding);
            else
                setCanceled(true);
        } else if (state == WorkerStates::Adding) {
            if (m_index >= m_files.size()) {
                setCanceled(true);
            } else {
                const QString path = m_files.at(m_index);
                ++m_index;
                emit progressChanged(m_index, m_files.size());
                emit progressMessage(tr("%1 of %2 is being added. %3")
                                             .arg(QString::number(m_index),
                                                  QString::number(m_files.size()),
                                                  QFileInfo(path).fileName()));
                if (addBookFile(path))
                    ++m_addedCount;
            }
        } else {
            setCanceled(true);
        }
        rest();
    }

    setCanceled(false);
    setState(WorkerStates::Idle);

    // One chosen book that turns out to be protected is worth telling;
    // protected books among many are just skipped.
    if (m_error == AddBooksErrors::NoError && m_files.size() == 1 && m_drmCount == 1)
        m_error = AddBooksErrors::DrmProtected;

    const AddBooksErrors error = m_error;
    if (error != AddBooksErrors::NoError) {
        log(QStringLiteral("Add books [FAILED]. Error:%1").arg(errorText(error)), Logger::Error);
        emit failed(error);
    } else {
        log(QStringLiteral("Add books [OK]"), Logger::Debug);
        emit complete(m_addedCount);
    }
    emit done();
}

bool AddBooksWorker::scanFolder()
{
    m_drmCount = 0;
    m_skippedFiles.clear();
    QStringList nameFilters;
    for (const QString &suffix : supportedFormats())
        nameFilters << QStringLiteral("*.") + suffix;

    for (const QFileInfo &input : m_inputs) {
        if (isCanceled())
            return false;
        if (!input.isDir()) {
            m_files << input.absoluteFilePath();
            continue;
        }
        const QString folder = input.absoluteFilePath();
        emit progressMessage(tr("Scan folder... %1").arg(folder));
        QCoreApplication::processEvents();
        // Hidden entries are left out and links to folders not followed, so
        // a link back up the tree cannot make the search endless.
        QDirIterator it(folder, nameFilters, QDir::Files | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            if (isCanceled())
                return false;
            m_files << QFileInfo(it.next()).absoluteFilePath();
        }
    }
    return true;
}

bool AddBooksWorker::addBookFile(const QString &filePath)
{
    BookProvider *provider = BookProvider::instance();
    if (!QFileInfo(filePath).isFile()) {
        skip(filePath, QStringLiteral("no such file"));
        return false;
    }
    if (provider->findBookByPath(filePath).id > 0) {
        log(QStringLiteral("Already in the library: %1").arg(filePath), Logger::Info);
        return false;
    }
    rememberLastBook(filePath);

    QString path = filePath;
    int format = BookFormat::fromString(QFileInfo(path).suffix());
    QString createdFolder;
    QString problem;
    if ((format == zipFormat || format == sevenZipFormat)
        && !unpackSingleBook(path, format, createdFolder, problem)) {
        skip(filePath,
             problem.isEmpty() ? QStringLiteral("the archive does not hold exactly one book file")
                               : problem);
        if (!createdFolder.isEmpty())
            Paths::removeDir(createdFolder);
        return false;
    }

    const auto discard = [&createdFolder](const QString &storageFolder, bool storageExisted) {
        if (!createdFolder.isEmpty())
            Paths::removeDir(createdFolder);
        if (!storageExisted && QFileInfo::exists(storageFolder))
            Paths::removeDir(storageFolder);
    };

    if (path != filePath && provider->findBookByPath(path).id > 0) {
        log(QStringLiteral("Already in the library: %1 (from %2)").arg(path, filePath),
            Logger::Info);
        discard(QString(), true);
        return false;
    }

    // Reading may leave files in the book's storage folder (an EPUB's
    // package and cover). A folder that this call made goes again when the
    // book is not stored; one that was there belongs to another row.
    const QString storageFolder = storageFolderOf(path);
    const bool storageExisted = QFileInfo::exists(storageFolder);

    BookDto book;
    book.fullPath = path;
    book.format = format;
    const BookMetadata::Result result = BookMetadata::read(book, &m_prompting);
    book.timeAdded = uint(QDateTime::currentSecsSinceEpoch());
    if (result.status != BookMetadata::Status::Read) {
        if (result.status == BookMetadata::Status::DrmProtected)
            ++m_drmCount;
        skip(filePath, result.reason);
        discard(storageFolder, storageExisted);
        return false;
    }
    if (!result.cover.isNull())
        book.cover = BookMetadata::writeCover(result.cover, path);

    bool alreadyThere = false;
    const int id = BookProvider::instance()->addBook(book, &alreadyThere);
    if (alreadyThere) {
        // Another window or program added the file meanwhile: its row owns
        // the storage folder and the unpacked book now.
        log(QStringLiteral("Already in the library: %1").arg(path), Logger::Info);
        return false;
    }
    if (id == -1) {
        skip(filePath, QStringLiteral("the library database refused the book"));
        discard(storageFolder, storageExisted);
        return false;
    }
    m_lastBookId = id;
    return true;
}

void AddBooksWorker::rememberLastBook(const QString &path)
{
    SettingsFile::create()->setValue(QStringLiteral("last_open_book"), path);
}

bool AddBooksWorker::unpackSingleBook(QString &path, int &format, QString &createdFolder,
                                      QString &problem)
{
    const QString suffix = SingleBookArchive::entrySuffix(path, &problem);
    if (suffix.isEmpty())
        return false;

    // Named after the archive as it is now rather than at random: adding the
    // same unchanged archive again meets its unpacked book in the library
    // and adds nothing, while a changed archive gets a folder of its own.
    const QFileInfo archive(path);
    const QString folder
            = Paths::tmpDir() + QLatin1Char('/')
            + Paths::hashHex(
                      QStringLiteral("%1\n%2\n%3")
                              .arg(archive.absoluteFilePath(), QString::number(archive.size()),
                                   QString::number(archive.lastModified().toMSecsSinceEpoch())));
    if (!QFileInfo::exists(folder)) {
        if (!QDir().mkpath(folder)) {
            log(QStringLiteral("Cannot make the folder %1").arg(folder), Logger::Error);
            return false;
        }
        createdFolder = folder;
    }
    // Entries that would land outside the folder are never written, so a
    // hostile archive ends up with no file here and is not added. The book
    // may stand in a folder inside the archive.
    const QString unpacked = SingleBookArchive::unpack(path, folder, &problem);
    if (unpacked.isEmpty())
        return false;
    format = BookFormat::fromString(suffix);
    path = QFileInfo(unpacked).absoluteFilePath();
    return true;
}

void AddBooksWorker::skip(const QString &path, const QString &reason)
{
    m_skippedFiles.append(path);
    log(QStringLiteral("Add book [FAILED] %1: %2").arg(path, reason), Logger::Warning);
}
