#include "archive/rarreader.h"

#include "archive/archivepath.h"
#include "core/logger.h"
#include "platform/unrar/unrar.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QVector>

#include <limits>
#include <memory>

namespace {

// What a call does when the library reports a result, for logRarError().
enum Action { Opening = 0, ReadingHeaders = 1, ProcessingEntry = 2 };

// User data of the listing callback.
constexpr std::intptr_t listUserData = 3;

struct HandleCloser
{
    void operator()(RarArchive *handle) const { RARCloseArchive(handle); }
};
using Handle = std::unique_ptr<RarArchive, HandleCloser>;

void logError(const QString &text)
{
    Logger::instance()->write(text, Logger::Error);
}

// The text of a library result, to the debug output.
void logRarError(int result, const QByteArray &archiveName, int action)
{
    const char *name = archiveName.constData();
    switch (result) {
    case RarNoMemory:
        qDebug("\nNot enough memory");
        break;
    case RarBadData:
        qDebug("\n%s: archive header or data are damaged", name);
        break;
    case RarNotRar:
        qDebug("\n%s is not RAR archive", name);
        break;
    case RarUnknownFormat:
        qDebug("Unknown archive format");
        break;
    case RarVolumeOpenError:
        if (action == ProcessingEntry)
            qDebug("Volume open error");
        else
            qDebug("\nCannot open %s", name);
        break;
    case RarFileCreateError:
        qDebug("File create error");
        break;
    case RarFileCloseError:
        qDebug("File close error");
        break;
    case RarReadError:
        qDebug("Read error");
        break;
    case RarWriteError:
        qDebug("Write error");
        break;
    case RarSmallBuffer:
        qDebug("Buffer for archive comment is too small, comment truncated");
        break;
    case RarUnknown:
        qDebug("Unknown error");
        break;
    case RarMissingPassword:
        qDebug("Password for encrypted file or header is not specified");
        break;
    case RarReferenceError:
        qDebug("Cannot open file source for reference record");
        break;
    case RarBadPassword:
        qDebug("Wrong password is specified");
        break;
    default:
        break;
    }
}

void logRarArchiveInfo(unsigned flags, const QByteArray &archiveName)
{
    const auto yes = [flags](unsigned bit) { return (flags & bit) ? "yes" : "no"; };
    qDebug("\nArchive %s\n", archiveName.constData());
    qDebug("\nVolume:\t\t%s", yes(RarArchiveVolume));
    qDebug("\nComment:\t%s", yes(RarArchiveComment));
    qDebug("\nLocked:\t\t%s", yes(RarArchiveLocked));
    qDebug("\nSolid:\t\t%s", yes(RarArchiveSolid));
    qDebug("\nNew naming:\t%s", yes(RarArchiveNewNaming));
    qDebug("\nRecovery:\t%s", yes(RarArchiveRecovery));
    qDebug("\nEncr.headers:\t%s", yes(RarArchiveEncryptedHeaders));
    qDebug("\nFirst volume:\t%s", (flags & RarArchiveFirstVolume) ? "yes" : "no or older than 3.0");
    qDebug("\n---------------------------\n");
}

QVector<wchar_t> wide(const QString &text)
{
    QVector<wchar_t> result(text.size() + 1, L'\0');
    result.resize(text.toWCharArray(result.data()) + 1);
    result.last() = L'\0';
    return result;
}

// Opens the archive; null (with the result logged) when it does not open.
Handle openArchive(const QString &archivePath, unsigned mode, RarCallback callback,
                   std::intptr_t userData, unsigned *flags, int *openResult = nullptr)
{
    const QVector<wchar_t> name = wide(archivePath);
    RAROpenArchiveDataEx data = {};
    data.archiveNameW = name.constData();
    data.openMode = mode;
    data.callback = callback;
    data.userData = userData;
    Handle handle(RAROpenArchiveEx(&data));
    if (openResult)
        *openResult = int(data.openResult);
    if (!handle || data.openResult != RarSuccess) {
        logRarError(int(data.openResult), QFile::encodeName(archivePath), Opening);
        return Handle();
    }
    *flags = data.flags;
    return handle;
}

// Volumes and encrypted headers: this program reads neither, and would
// otherwise have to ask for another file or a password.
bool refused(unsigned flags, const QString &archivePath)
{
    if (flags & RarArchiveVolume) {
        logError(QStringLiteral("RAR. Multi-volume archive refused:%1").arg(archivePath));
        return true;
    }
    if (flags & RarArchiveEncryptedHeaders) {
        logError(QStringLiteral("RAR. Archive with encrypted headers refused:%1").arg(archivePath));
        return true;
    }
    return false;
}

QString entryName(const RARHeaderDataEx &header)
{
    return QString::fromWCharArray(header.fileNameW);
}

} // namespace

RarReader::RarReader() = default;

RarReader::RarReader(const ArchiveLimits &limits)
    : m_limits(limits)
{
}

RarReader::~RarReader() = default;

bool RarReader::extractFile(const QString &archivePath, const QString &entryName,
                            const QString &folder, QString &outputPath)
{
    const QByteArray name8 = QFile::encodeName(archivePath);
    unsigned flags = 0;
    Handle handle = openArchive(archivePath, RarOpenForExtract, nullptr, 0, &flags);
    if (!handle)
        return false;
    logRarArchiveInfo(flags, name8);
    if (refused(flags, archivePath))
        return false;

    // The reader lists names with "/" between folders; a caller may still
    // name a sub-folder the way the archive stored it.
    QString wanted = entryName;
    wanted.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const qint64 archiveSize = QFileInfo(archivePath).size();
    bool extracted = false;
    int count = 0;
    RARHeaderDataEx header = {};
    int headerResult = RarSuccess;
    while ((headerResult = RARReadHeaderEx(handle.get(), &header)) == RarSuccess) {
        if (++count > m_limits.maxEntries) {
            logError(QStringLiteral("RAR. Archive refused (too many entries):%1").arg(archivePath));
            break;
        }
        if (::entryName(header) != wanted) {
            const int result = RARProcessFile(handle.get(), RarSkip, nullptr, nullptr);
            if (result != RarSuccess) {
                logRarError(result, name8, ProcessingEntry);
                break;
            }
            qDebug(" OK");
            continue;
        }

        const QString target = ArchivePath::join(folder, wanted);
        if (target.isNull()) {
            logError(QStringLiteral("RAR. Unsafe entry name skipped:%1 in %2")
                             .arg(entryName, archivePath));
            break;
        }
        if (m_limits.exceeded(qint64(qMin<quint64>(header.unpackedSize,
                                                   quint64(std::numeric_limits<qint64>::max()))),
                              archiveSize)) {
            logError(QStringLiteral("RAR. Archive refused (unpacks to %1 bytes):%2")
                             .arg(header.unpackedSize)
                             .arg(archivePath));
            break;
        }
        const QString targetFolder = QFileInfo(target).path();
        QDir().mkpath(targetFolder);
        const QString nativeTarget = QDir::toNativeSeparators(target);
        const int result = RARProcessFileW(handle.get(), RarExtract,
                                           wide(QDir::toNativeSeparators(targetFolder)).constData(),
                                           wide(nativeTarget).constData());
        if (result == RarSuccess) {
            qDebug(" OK");
            outputPath = nativeTarget;
            extracted = true;
        } else {
            logError(QStringLiteral("RAR. Extract file error:%1. File name:%2")
                             .arg(result)
                             .arg(nativeTarget));
            logRarError(result, name8, ProcessingEntry);
        }
        break;
    }
    if (headerResult != RarSuccess)
        logRarError(headerResult, name8, ReadingHeaders);
    if (!extracted && headerResult == RarEndOfArchive)
        logError(QStringLiteral("RAR. No entry named %1 in %2").arg(entryName, archivePath));
    return extracted;
}

QStringList RarReader::list(const QString &archivePath)
{
    const QByteArray name8 = QFile::encodeName(archivePath);
    unsigned flags = 0;
    Handle handle = openArchive(archivePath, RarOpenForList, &RarReader::rarCallback, listUserData,
                                &flags);
    if (!handle)
        return {};
    logRarArchiveInfo(flags, name8);
    if (refused(flags, archivePath))
        return {};

    QStringList names;
    RARHeaderDataEx header = {};
    int headerResult = RarSuccess;
    while ((headerResult = RARReadHeaderEx(handle.get(), &header)) == RarSuccess) {
        if (names.size() >= m_limits.maxEntries) {
            logError(QStringLiteral("RAR. Archive refused (too many entries):%1").arg(archivePath));
            return {};
        }
        if (!(header.flags & (RarEntryDirectory | RarEntryLink)))
            names.append(entryName(header));
        const int result = RARProcessFile(handle.get(), RarSkip, nullptr, nullptr);
        if (result != RarSuccess) {
            logRarError(result, name8, ProcessingEntry);
            break;
        }
    }
    logRarError(headerResult, name8, ReadingHeaders);
    return names;
}

QString RarReader::problem(const QString &archivePath)
{
    unsigned flags = 0;
    int openResult = RarSuccess;
    Handle handle = openArchive(archivePath, RarOpenForList, nullptr, 0, &flags, &openResult);
    if (!handle) {
        switch (openResult) {
        case RarNotRar:
        case RarUnknownFormat:
            return tr("the file is no RAR archive");
        case RarVolumeOpenError:
            return tr("the file can not be opened");
        default:
            return tr("the archive is damaged");
        }
    }
    if (flags & RarArchiveVolume)
        return tr("the archive is one part of a multi-volume set, which can not be read");
    if (flags & RarArchiveEncryptedHeaders)
        return tr("the archive is encrypted");

    const qint64 archiveSize = QFileInfo(archivePath).size();
    qint64 declared = 0;
    int count = 0;
    RARHeaderDataEx header = {};
    int headerResult = RarSuccess;
    while ((headerResult = RARReadHeaderEx(handle.get(), &header)) == RarSuccess) {
        if (header.flags & RarEntryEncrypted)
            return tr("the archive is encrypted");
        declared += qint64(qMin<quint64>(header.unpackedSize, quint64(m_limits.maxTotalBytes) + 1));
        if (++count > m_limits.maxEntries || m_limits.exceeded(declared, archiveSize))
            return tr("the archive unpacks to far more data than a book holds");
        if (RARProcessFile(handle.get(), RarSkip, nullptr, nullptr) != RarSuccess)
            return tr("the archive is damaged");
    }
    if (headerResult == RarMissingPassword)
        return tr("the archive is encrypted");
    if (headerResult != RarEndOfArchive)
        return tr("the archive is damaged");
    return QString();
}

int RarReader::rarCallback(unsigned message, std::intptr_t userData, std::intptr_t p1,
                           std::intptr_t p2)
{
    Q_UNUSED(userData)
    switch (message) {
    case RarMessageProcessData:
        return 1;
    case RarMessageChangeVolume: {
        const QString volume
                = p1 ? QString::fromWCharArray(reinterpret_cast<wchar_t *>(p1)) : QString();
        if (p2 == 0) {
            // Nobody can be asked for the volume (a window has no console):
            // the operation stops.
            qDebug().noquote() << QStringLiteral("\n\nVolume %1 is required").arg(volume);
            return -1;
        }
        if (p2 == 1)
            qDebug().noquote() << QStringLiteral("\n  ... volume %1\n").arg(volume);
        return 1;
    }
    case RarMessageNeedPassword:
        // Likewise for a password: none is given, so the entry is refused.
        qDebug("\nPassword required: none given");
        if (p1 && p2 > 0)
            reinterpret_cast<wchar_t *>(p1)[0] = L'\0';
        return -1;
    default:
        return 0;
    }
}
