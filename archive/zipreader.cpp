#include "archive/zipreader.h"

#include "archive/archivepath.h"
#include "core/logger.h"
#include "core/paths.h"

#include <quazip/quazip.h>
#include <quazip/quazipfile.h>
#include <quazip/quazipfileinfo.h>

#include <QBuffer>
#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

namespace {

const char *const nameCodec = "IBM866";

// Large blocks: a book of many small chapters is dominated by per-call
// overhead at smaller sizes.
constexpr qint64 copyBlockSize = 64 * 1024;

enum class CopyResult { Ok, EntryError, NotAtEnd, CloseError, WriteError, TooLarge };

void logError(const QString &text)
{
    Logger::instance()->write(text, Logger::Error);
}

// Copies the open entry into target. The data goes to a temporary file
// beside it, renamed into place only once the whole entry was read and its
// checksum matched: an interrupted copy leaves no file under the target's
// name. No sync to disk per file, which would make a book of many small
// chapters unpack many times slower.
CopyResult copyEntry(QuaZipFile &entry, const QString &target, QByteArray &buffer, qint64 *budget)
{
    // A random name keeps two threads unpacking the same book apart; a
    // short one fits beside an entry whose name takes all the file system
    // allows.
    QFile out(Paths::partFilePath(target));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return CopyResult::WriteError;
    const auto discard = [&out](CopyResult result) {
        out.close();
        out.remove();
        return result;
    };
    while (true) {
        const qint64 read = entry.read(buffer.data(), buffer.size());
        if (read <= 0)
            break;
        *budget -= read;
        if (*budget < 0)
            return discard(CopyResult::TooLarge);
        if (out.write(buffer.constData(), read) != read)
            return discard(CopyResult::WriteError);
    }
    if (entry.getZipError() != UNZ_OK)
        return discard(CopyResult::EntryError);
    if (!entry.atEnd())
        return discard(CopyResult::NotAtEnd);
    entry.close();
    if (entry.getZipError() != UNZ_OK)
        return discard(CopyResult::CloseError);
    if (!out.flush())
        return discard(CopyResult::WriteError);
    out.close();
    // rename() replaces an existing target in one step.
    if (std::rename(QFile::encodeName(out.fileName()).constData(),
                    QFile::encodeName(target).constData())
        != 0)
        return discard(CopyResult::WriteError);
    return CopyResult::Ok;
}

} // namespace

ZipReader::ZipReader() = default;

ZipReader::ZipReader(const Limits &limits)
    : m_limits(limits)
{
}

ZipReader::~ZipReader() = default;

bool ZipReader::extract(const QString &archivePath, const QString &folder,
                        QList<QFileInfo> *fileList)
{
    return unpack(Operation::Extract, archivePath, folder, nullptr, nullptr, fileList, nullptr);
}

bool ZipReader::testRead(const QString &archivePath, const QRegExp &pattern, const QString &folder,
                         QString &outputPath)
{
    return unpack(Operation::TestRead, archivePath, folder, &pattern, nullptr, nullptr,
                  &outputPath);
}

bool ZipReader::extractFile(const QString &archivePath, const QString &entryName,
                            const QString &folder, QString &outputPath)
{
    return unpack(Operation::ExtractFile, archivePath, folder, nullptr, &entryName, nullptr,
                  &outputPath);
}

bool ZipReader::unpack(Operation operation, const QString &archivePath, const QString &folder,
                       const QRegExp *pattern, const QString *entryName, QList<QFileInfo> *fileList,
                       QString *outputPath) const
{
    const bool isExtract = operation == Operation::Extract;
    const bool isTestRead = operation == Operation::TestRead;

    // A book of many small chapters costs a few seeks and reads per entry;
    // a small archive is read once into memory instead. Not for one named
    // entry (a comic page, an EPUB member): that would read the whole
    // archive for a small part of it.
    QBuffer memory;
    QFile source(archivePath);
    constexpr qint64 inMemoryLimit = 64 * 1024 * 1024;
    const bool oneEntry = entryName && !entryName->isEmpty();
    if (!oneEntry && source.size() <= inMemoryLimit && source.open(QIODevice::ReadOnly)) {
        memory.setData(source.readAll());
        source.close();
    }
    QuaZip zip(archivePath);
    if (!memory.data().isEmpty())
        zip.setIoDevice(&memory);
    // The failure lines name the archive's current error code, as the
    // failing step leaves it.
    const auto zipCode = [&zip]() { return QString::number(zip.getZipError()); };
    const auto fail = [&](const QString &extractLine, const char *testReadLine,
                          const QString &extractFileLine, int code) {
        if (isExtract)
            logError(extractLine.arg(zip.getZipError()));
        else if (isTestRead)
            qWarning(testReadLine, code);
        else
            logError(extractFileLine + QString::number(code));
        return false;
    };

    // Files of an unpack that was cut short (the program killed, the disk
    // full) are left over under their temporary names.
    if (isExtract) {
        const int leftovers = Paths::removePartFiles(folder);
        if (leftovers > 0)
            Logger::instance()->write(
                    QStringLiteral("Unzip file. %1 unfinished files removed in %2")
                            .arg(leftovers)
                            .arg(folder),
                    Logger::Info);
    }
    if (!zip.open(QuaZip::mdUnzip)) {
        return fail(QStringLiteral("Extract archive. Error:%1"), "testRead(): zip.open(): %d",
                    QStringLiteral("Read zip failed. Open zip. Error code:"), zip.getZipError());
    }
    zip.setFileNameCodec(nameCodec);
    QDir().mkpath(folder);
    if (!isExtract) {
        qWarning("%d entries\n", zip.getEntriesCount());
        qWarning("Global comment: %s\n", zip.getComment().toLocal8Bit().constData());
    }

    const auto wanted = [&](const QString &name) {
        if (pattern)
            return pattern->isEmpty() || pattern->indexIn(name) >= 0;
        if (entryName)
            return entryName->isEmpty() || entryName->compare(name, Qt::CaseInsensitive) == 0;
        return true;
    };

    // Sizes from the central directory bound what an entry can unpack to,
    // so a bomb is refused before a byte is written.
    const auto refuse = [&](const QString &why) {
        logError(QStringLiteral("Unzip file. Archive refused (%1):%2").arg(why, archivePath));
        return false;
    };
    if (zip.getEntriesCount() > m_limits.maxEntries)
        return refuse(QStringLiteral("too many entries"));
    qint64 declared = 0;
    const QList<QuaZipFileInfo64> infos = zip.getFileInfoList64();
    if (zip.getZipError() != UNZ_OK) {
        return fail(QStringLiteral("Get zip-file info error:%1"),
                    "testRead(): getCurrentFileInfo(): %d\n",
                    QStringLiteral("Read zip failed. Get file info. Error code:"),
                    zip.getZipError());
    }
    for (const QuaZipFileInfo64 &info : infos) {
        if (wanted(info.name))
            declared += qint64(info.uncompressedSize);
    }
    if (m_limits.exceeded(declared, QFileInfo(archivePath).size()))
        return refuse(QStringLiteral("unpacks to %1 bytes").arg(declared));
    qint64 budget = m_limits.maxTotalBytes;
    QByteArray buffer(copyBlockSize, Qt::Uninitialized);
    // Entries share folders; each is checked and made once per call.
    QSet<QString> checkedFolders;
    QSet<QString> madeFolders;
    const auto makeFolder = [&madeFolders](const QString &path) {
        if (madeFolders.contains(path))
            return;
        QDir().mkpath(path);
        madeFolders.insert(path);
    };

    for (bool more = zip.goToFirstFile(); more; more = zip.goToNextFile()) {
        if (isExtract)
            QCoreApplication::processEvents();

        QuaZipFileInfo64 info;
        if (!zip.getCurrentFileInfo(&info)) {
            return fail(QStringLiteral("Get zip-file info error:%1"),
                        "testRead(): getCurrentFileInfo(): %d\n",
                        QStringLiteral("Read zip failed. Get file info. Error code:"),
                        zip.getZipError());
        }
        const QString name = info.name;
        if (!wanted(name))
            continue;

        const QString target = ArchivePath::join(folder, name, &checkedFolders);
        if (target.isNull()) {
            logError(QStringLiteral("Unzip file. Unsafe entry name skipped:%1 in %2")
                             .arg(name, archivePath));
            continue;
        }
        if (isExtract && QFileInfo::exists(target))
            continue;

        QuaZipFile entry(&zip);
        if (!entry.open(QIODevice::ReadOnly)) {
            return fail(QStringLiteral("Open zip-file. Error:%1"), "testRead(): file.open(): %d",
                        QStringLiteral("Read zip failed. Error code:"), entry.getZipError());
        }
        if (!isExtract)
            qWarning() << "Actual file name:" << name;
        qDebug() << "File info:" << target;

        if (target.endsWith(QLatin1Char('/'))) {
            // A folder entry: nothing to copy, but it counts as extracted.
            makeFolder(target);
        } else {
            makeFolder(QFileInfo(target).absolutePath());
            if (entry.getZipError() != UNZ_OK) {
                return fail(QStringLiteral("Unzip file. Error:%1"),
                            "testRead(): file.getFileName(): %d",
                            QStringLiteral("Read zip failed. Error code:"), entry.getZipError());
            }
            switch (copyEntry(entry, target, buffer, &budget)) {
            case CopyResult::Ok:
                // The entry's own time, as unzip keeps it: a book unpacked
                // again from the same archive is the same file.
                if (info.dateTime.isValid()) {
                    QFile file(target);
                    if (file.open(QIODevice::ReadWrite))
                        file.setFileTime(info.dateTime, QFileDevice::FileModificationTime);
                }
                break;
            case CopyResult::EntryError:
                return fail(QStringLiteral("Unzip file. Error:%1"),
                            "testRead(): file.getFileName(): %d",
                            QStringLiteral("Read zip failed. Error code:"), entry.getZipError());
            case CopyResult::NotAtEnd:
                if (!isExtract)
                    qWarning("testRead(): read all but not EOF");
                if (operation == Operation::ExtractFile)
                    logError(QStringLiteral("Read zip failed. read all but not EOF"));
                else if (isExtract)
                    logError(QStringLiteral("Unzip file. Error:%1").arg(zipCode()));
                return false;
            case CopyResult::CloseError:
                return fail(QStringLiteral("Unzip file. Error:%1"), "testRead(): file.close(): %d",
                            QStringLiteral("Read zip failed. Error code:"), entry.getZipError());
            case CopyResult::WriteError:
                logError(QStringLiteral("Unzip file. Can not write:%1").arg(target));
                return false;
            case CopyResult::TooLarge:
                return refuse(QStringLiteral("unpacks to more than %1 bytes")
                                      .arg(m_limits.maxTotalBytes));
            }
        }
        // A copied entry was closed already, to check its checksum.
        if (entry.isOpen())
            entry.close();

        if (fileList)
            fileList->append(QFileInfo(target));
        if (outputPath)
            *outputPath = target;
    }

    zip.close();
    if (zip.getZipError() != UNZ_OK) {
        return fail(QStringLiteral("Unzip file. Error:%1"), "testRead(): zip.close(): %d",
                    QStringLiteral("Read zip failed. Error code:"), zip.getZipError());
    }
    if (isExtract)
        Logger::instance()->write(QStringLiteral("Unzip complete. filename:%1").arg(archivePath),
                                  Logger::Info);
    return true;
}

QStringList ZipReader::list(const QString &archivePath)
{
    QuaZip zip(archivePath);
    if (!zip.open(QuaZip::mdUnzip)) {
        logError(QStringLiteral("Read zip failed. Error code:%1").arg(zip.getZipError()));
        return {};
    }
    zip.setFileNameCodec(nameCodec);
    QStringList names;
    const QList<QuaZipFileInfo64> infos = zip.getFileInfoList64();
    for (const QuaZipFileInfo64 &info : infos)
        names.append(info.name);
    zip.close();
    return names;
}

QString ZipReader::problem(const QString &archivePath)
{
    QuaZip zip(archivePath);
    if (!zip.open(QuaZip::mdUnzip))
        return tr("the archive is damaged or is no ZIP archive");
    const QList<QuaZipFileInfo64> infos = zip.getFileInfoList64();
    const bool listed = zip.getZipError() == UNZ_OK;
    zip.close();
    if (!listed)
        return tr("the archive is damaged");
    qint64 declared = 0;
    for (const QuaZipFileInfo64 &info : infos) {
        // Bit 0 of the general purpose flags: the entry is encrypted.
        if (info.flags & 0x1)
            return tr("the archive is encrypted");
        declared += qint64(info.uncompressedSize);
    }
    if (infos.size() > m_limits.maxEntries
        || m_limits.exceeded(declared, QFileInfo(archivePath).size()))
        return tr("the archive unpacks to far more data than a book holds");
    return QString();
}

qint64 ZipReader::unpackedSize(const QString &archivePath)
{
    QuaZip zip(archivePath);
    if (!zip.open(QuaZip::mdUnzip))
        return -1;
    qint64 total = 0;
    const QList<QuaZipFileInfo64> infos = zip.getFileInfoList64();
    for (const QuaZipFileInfo64 &info : infos)
        total += qint64(qMin<quint64>(info.uncompressedSize, quint64(1) << 48));
    zip.close();
    return total;
}

QString ZipReader::singleEntrySuffix(const QString &archivePath)
{
    QuaZip zip(archivePath);
    if (!zip.open(QuaZip::mdUnzip))
        return QString();
    zip.setFileNameCodec(nameCodec);
    QString suffix;
    QuaZipFileInfo64 info;
    if (zip.getEntriesCount() == 1 && zip.goToFirstFile() && zip.hasCurrentFile()
        && zip.getCurrentFileInfo(&info)) {
        suffix = QFileInfo(info.name).suffix().toLower();
        // A name without a dot is still one entry: empty, not null.
        if (suffix.isNull())
            suffix = QLatin1String("");
    }
    zip.close();
    return suffix;
}
