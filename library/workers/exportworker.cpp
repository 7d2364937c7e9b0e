#include "library/workers/exportworker.h"

#include "core/logger.h"
#include "library/db/bookprovider.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>
#include <QUuid>

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipnewinfo.h>

namespace {

// Deflate can make incompressible data a little larger, so an entry has to
// take the zip64 form well before its source reaches 4 GiB.
constexpr qint64 defaultZip64Threshold = qint64(0xF0000000);

void log(const QString &text, int level = Logger::Debug)
{
    Logger::instance()->write(text, level);
}

} // namespace

ExportWorker::ExportWorker(const QString &fileName, QObject *parent)
    : LibraryWorker(parent)
    , m_fileName(fileName)
    , m_zip64Threshold(defaultZip64Threshold)
{
    log(QStringLiteral("ExportWorker::ExportWorker"));
    qRegisterMetaType<ExportErrors>("ExportErrors");
    if (!m_fileName.endsWith(LibraryPackage::extension, Qt::CaseInsensitive))
        m_fileName += LibraryPackage::extension;
}

ExportWorker::~ExportWorker() = default;

QString ExportWorker::errorString(ExportErrors error)
{
    switch (error) {
    case ExportErrors::NoError:
        return QStringLiteral("No error");
    case ExportErrors::LibraryIsEmpty:
        return QStringLiteral("Library is empty");
    case ExportErrors::CompressFileError:
        return QStringLiteral("Compress file error");
    case ExportErrors::OperationCanceled:
        return QStringLiteral("Operation has been canceled");
    }
    return QString();
}

void ExportWorker::cancel()
{
    m_error.set(ExportErrors::OperationCanceled);
    setCanceled(true);
}

void ExportWorker::run()
{
    m_index = 0;
    setState(WorkerStates::Preparing);
    emit started();
    log(QStringLiteral("Export. Run"));

    // A cancel that came before the thread started is kept: the loop then
    // does nothing and the run ends as cancelled.
    while (!isCanceled()) {
        const WorkerStates state = currentState();
        if (state == WorkerStates::Preparing) {
            if (init())
                setState(WorkerStates::Processing);
            else
                setCanceled(true);
        } else if (state == WorkerStates::Processing) {
            if (m_index >= m_books.size()) {
                if (!compressContainerDescription())
                    m_error.set(ExportErrors::CompressFileError);
                setCanceled(true);
            } else {
                exportBook();
            }
        } else {
            setCanceled(true);
        }
        rest();
    }

    // The package is put in place only when every step succeeded. Once it
    // is, the export has succeeded, whatever a late cancel says.
    const bool whole = m_zip && m_error.value() == ExportErrors::NoError && finish();
    if (!whole)
        m_error.set(ExportErrors::CompressFileError);
    // Without commit() the temporary file goes and a package that was
    // already there stays as it was.
    m_zip.reset();
    m_file.reset();

    setCanceled(false);
    setState(WorkerStates::Idle);

    const ExportErrors error = whole ? ExportErrors::NoError : m_error.value();
    if (error != ExportErrors::NoError) {
        log(QStringLiteral("Export [FAILED]. Error:%1").arg(errorString(error)), Logger::Error);
        emit failed(error);
    } else {
        log(QStringLiteral("Export [OK]. Archive:%1").arg(m_fileName));
        emit complete(m_fileName);
    }
}

bool ExportWorker::init()
{
    log(QStringLiteral("ExportWorker::init"));
    emit progressChanged(0, 0);
    emit progressMessage(tr("Prepare export..."));
    QElapsedTimer timer;
    timer.start();

    m_books = BookProvider::instance()->allBooksWithFolder();
    if (m_books.isEmpty()) {
        log(QStringLiteral("Export failed. Library is empty"));
        m_error.set(ExportErrors::LibraryIsEmpty);
        return false;
    }
    log(QStringLiteral("Book count:%1. Time:%2").arg(m_books.size()).arg(timer.restart()));

    const QFileInfo target(m_fileName);
    QDir().mkpath(target.absolutePath());
    m_file = std::make_unique<QSaveFile>(target.absoluteFilePath());
    m_zip = std::make_unique<QuaZip>(m_file.get());
    // The package is committed by finish(), never by QuaZip on close.
    m_zip->setAutoClose(false);
    m_zip->setUtf8Enabled(true);
    if (!m_file->open(QIODevice::WriteOnly) || !m_zip->open(QuaZip::mdCreate)) {
        log(QStringLiteral("Open archive [FAILED]"));
        m_zip.reset();
        m_file.reset();
        m_error.set(ExportErrors::CompressFileError);
        return false;
    }
    log(QStringLiteral("Archive created. Time:%1").arg(timer.elapsed()));
    log(QStringLiteral("Prepare [OK]"));
    return true;
}

void ExportWorker::exportBook()
{
    const BookDto book = m_books.at(m_index);
    ++m_index;
    const QFileInfo file(book.fullPath);
    if (!file.isFile()) {
        log(QStringLiteral("Export. Book file missing, left out:%1").arg(book.fullPath),
            Logger::Warning);
        return;
    }

    emit progressChanged(m_index, m_books.size());
    emit progressMessage(tr("%1 of %2 is being imported. %3")
                                 .arg(QString::number(m_index), QString::number(m_books.size()),
                                      file.fileName()));

    const QString id = QUuid::createUuid().toString();
    const QString entry = LibraryPackage::bookEntryName(id, file.suffix());
    const EntryResult result = compressFile(file.absoluteFilePath(), entry);
    if (result != EntryResult::Added) {
        if (result != EntryResult::Stopped) {
            log(QStringLiteral("Export. Compress file [FAILED]:%1").arg(book.fullPath),
                Logger::Error);
            m_error.set(ExportErrors::CompressFileError);
        }
        setCanceled(true);
        return;
    }

    QString coverEntry;
    if (!compressCover(book.cover, id, coverEntry)) {
        m_error.set(ExportErrors::CompressFileError);
        setCanceled(true);
        return;
    }

    ContainerBook record;
    record.bookId = id;
    record.fileName = file.fileName();
    record.relPath = entry;
    record.coverPath = coverEntry;
    record.author = book.author;
    record.title = book.title;
    record.bookFormat = book.format;
    record.position = book.position;
    record.progress = book.maxPosition;
    record.isFavorite = book.isFavorite != 0;
    record.folder = book.folderTitle;
    const QList<BookmarkDto> bookmarks = BookProvider::instance()->bookmarksOfBook(book.id);
    for (const BookmarkDto &bookmark : bookmarks) {
        // The package keeps whole numbers: cut toward zero.
        record.bookmarks.append({ bookmark.title, int(bookmark.position), int(bookmark.progress) });
    }
    m_records.append(record);
}

bool ExportWorker::compressCover(const QString &coverPath, const QString &id, QString &coverEntry)
{
    const QFileInfo cover(coverPath);
    if (coverPath.isEmpty() || !cover.isFile()) {
        log(QStringLiteral("Export. Cover path not valid"));
        return true;
    }
    const QString entry = LibraryPackage::coverEntryName(id, cover.suffix());
    qDebug() << "ExportWorker::compressCover Out cover path:" << entry;
    switch (compressFile(cover.absoluteFilePath(), entry)) {
    case EntryResult::Added:
        coverEntry = entry;
        return true;
    case EntryResult::SourceUnreadable:
        // The book goes without a cover rather than with a name that leads
        // nowhere.
        log(QStringLiteral("Export. Cover not readable:%1").arg(coverPath), Logger::Warning);
        return true;
    case EntryResult::Stopped:
        return true;
    case EntryResult::Failed:
        break;
    }
    log(QStringLiteral("Export. Compress cover [FAILED]:%1").arg(coverPath), Logger::Error);
    return false;
}

bool ExportWorker::compressContainerDescription()
{
    const QByteArray text = QJsonDocument(containerToJson(m_records)).toJson();
    if (text.isEmpty() || !m_zip)
        return false;

    // Written straight from memory: the description of even a large library
    // is small, and no stray copy is left in the cache.
    QuaZipFile entry(m_zip.get());
    m_zip->setZip64Enabled(false);
    bool ok = entry.open(QIODevice::WriteOnly, QuaZipNewInfo(LibraryPackage::descriptionEntry))
            && entry.write(text) == text.size();
    entry.close();
    ok = ok && entry.getZipError() == 0;
    log(ok ? QStringLiteral("Compress container description [OK]")
           : QStringLiteral("Compress container description [FAILED]"),
        ok ? Logger::Debug : Logger::Error);
    return ok;
}

ExportWorker::EntryResult ExportWorker::compressFile(const QString &sourcePath,
                                                     const QString &entryName)
{
    if (!m_zip || m_zip->getMode() != QuaZip::mdCreate)
        return EntryResult::Failed;
    QFile source(sourcePath);
    if (!source.open(QIODevice::ReadOnly))
        return EntryResult::SourceUnreadable;

    m_zip->setZip64Enabled(source.size() >= m_zip64Threshold);
    QuaZipFile entry(m_zip.get());
    if (!entry.open(QIODevice::WriteOnly, QuaZipNewInfo(entryName, sourcePath)))
        return EntryResult::Failed;
    const LibraryPackage::CopyResult copy
            = LibraryPackage::copyData(source, entry, [this] { return isCanceled(); });
    const bool written = copy == LibraryPackage::CopyResult::Copied && entry.getZipError() == 0;
    entry.close();
    if (copy == LibraryPackage::CopyResult::Stopped)
        return EntryResult::Stopped;
    if (!written || entry.getZipError() != 0)
        return EntryResult::Failed;
    return EntryResult::Added;
}

bool ExportWorker::finish()
{
    m_zip->close();
    if (m_zip->getZipError() != 0) {
        log(QStringLiteral("Export error. Container corrupted"), Logger::Error);
        return false;
    }
    if (!LibraryPackage::commitFile(*m_file)) {
        log(QStringLiteral("Export error. Cannot write %1: %2")
                    .arg(m_fileName, m_file->errorString()),
            Logger::Error);
        return false;
    }
    return true;
}

QJsonObject ExportWorker::containerToJson(const QList<ContainerBook> &records)
{
    QJsonArray books;
    for (const ContainerBook &record : records)
        books.append(bookToJson(record));
    return QJsonObject { { LibraryPackage::Key::books, books } };
}

QJsonObject ExportWorker::bookToJson(const ContainerBook &record)
{
    namespace Key = LibraryPackage::Key;
    QJsonObject object {
        { Key::bookId, record.bookId },
        { Key::fileName, record.fileName },
        { Key::relPath, record.relPath },
        { Key::author, record.author },
        { Key::title, record.title },
        { Key::bookFormat, record.bookFormat },
        { Key::position, record.position },
        { Key::progress, record.progress },
        { Key::isFavorite, record.isFavorite },
        { Key::coverPath, record.coverPath },
        { Key::folders, QJsonArray { record.folder } },
    };
    if (!record.bookmarks.isEmpty()) {
        QJsonArray bookmarks;
        for (const ContainerBookmark &bookmark : record.bookmarks)
            bookmarks.append(bookmarkToJson(bookmark));
        object.insert(Key::bookmarks, bookmarks);
    }
    return object;
}

QJsonObject ExportWorker::bookmarkToJson(const ContainerBookmark &bookmark)
{
    namespace Key = LibraryPackage::Key;
    return QJsonObject { { Key::title, bookmark.title },
                         { Key::position, bookmark.position },
                         { Key::progress, bookmark.progress } };
}
