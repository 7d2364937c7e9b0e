#include "platform/unrar/unrar.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QString>
#include <QVector>

#include <archive.h>
#include <archive_entry.h>
#include <zlib.h>

#include <memory>

namespace {

const char rar4Marker[] = "Rar!\x1a\x07\x00";
const char rar5Marker[] = "Rar!\x1a\x07\x01\x00";
constexpr int rar4MarkerSize = 7;
constexpr int rar5MarkerSize = 8;
// Enough for the marker and the archive header of either version.
constexpr int headerProbeSize = 64;
constexpr size_t readBlockSize = 256 * 1024;

struct ArchiveDeleter
{
    void operator()(archive *handle) const { archive_read_free(handle); }
};

enum class Probe { Rar4, Rar5, NotRar, Damaged, Unreadable };

// RAR 5 numbers: seven bits a byte, low first, high bit set while more
// follow.
bool readVint(const QByteArray &data, int *offset, quint64 *value)
{
    *value = 0;
    for (int shift = 0; shift < 64 && *offset < data.size(); shift += 7) {
        const auto byte = quint8(data.at((*offset)++));
        *value |= quint64(byte & 0x7f) << shift;
        if (!(byte & 0x80))
            return true;
    }
    return false;
}

// The archive flags, from the archive header that follows the marker.
// libarchive keeps them to itself, and the reader needs them to refuse
// volumes and encrypted headers before it reads any entry.
Probe probeArchive(const QString &path, unsigned *flags)
{
    *flags = 0;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return Probe::Unreadable;
    const QByteArray head = file.read(headerProbeSize);
    if (head.startsWith(QByteArray(rar4Marker, rar4MarkerSize))) {
        // Header CRC (2), type (1), flags (2), size (2).
        if (head.size() < rar4MarkerSize + 7 || quint8(head.at(rar4MarkerSize + 2)) != 0x73)
            return Probe::Damaged;
        const unsigned headFlags = quint8(head.at(rar4MarkerSize + 3))
                | unsigned(quint8(head.at(rar4MarkerSize + 4))) << 8;
        *flags = headFlags
                & (RarArchiveVolume | RarArchiveComment | RarArchiveLocked | RarArchiveSolid
                   | RarArchiveNewNaming | RarArchiveRecovery | RarArchiveEncryptedHeaders
                   | RarArchiveFirstVolume);
        return Probe::Rar4;
    }
    if (!head.startsWith(QByteArray(rar5Marker, rar5MarkerSize)))
        return Probe::NotRar;

    // Header CRC (4), then size, type and header flags; extra and data
    // sizes when the flags say so; then the archive header's own flags.
    int offset = rar5MarkerSize + 4;
    quint64 size = 0;
    quint64 type = 0;
    quint64 headFlags = 0;
    quint64 skipped = 0;
    if (!readVint(head, &offset, &size) || !readVint(head, &offset, &type)
        || !readVint(head, &offset, &headFlags))
        return Probe::Damaged;
    *flags = RarArchiveNewNaming;
    if (type == 4) { // the archive encryption header comes first
        *flags |= RarArchiveEncryptedHeaders;
        return Probe::Rar5;
    }
    if (type != 1)
        return Probe::Damaged;
    if ((headFlags & 0x1) && !readVint(head, &offset, &skipped))
        return Probe::Damaged;
    if ((headFlags & 0x2) && !readVint(head, &offset, &skipped))
        return Probe::Damaged;
    quint64 archiveFlags = 0;
    if (!readVint(head, &offset, &archiveFlags))
        return Probe::Damaged;
    quint64 volumeNumber = 0;
    if ((archiveFlags & 0x2) && !readVint(head, &offset, &volumeNumber))
        return Probe::Damaged;
    if (archiveFlags & 0x1) {
        *flags |= RarArchiveVolume;
        if (volumeNumber == 0)
            *flags |= RarArchiveFirstVolume;
    }
    if (archiveFlags & 0x4)
        *flags |= RarArchiveSolid;
    if (archiveFlags & 0x8)
        *flags |= RarArchiveRecovery;
    if (archiveFlags & 0x10)
        *flags |= RarArchiveLocked;
    return Probe::Rar5;
}

quint32 little32(const QByteArray &bytes, int at)
{
    return quint8(bytes.at(at)) | quint32(quint8(bytes.at(at + 1))) << 8
            | quint32(quint8(bytes.at(at + 2))) << 16 | quint32(quint8(bytes.at(at + 3))) << 24;
}

// The data checksum of a RAR 4 file header. libarchive checks it for
// packed data but not for stored data, which is how comic pages are
// usually kept, so the checksum is read here from the header at or after
// position (where libarchive says the entry's headers begin): blocks are
// walked to the first file header. False when none is found where
// expected, or its sizes are not the entry's.
bool rar4DataChecksum(QFile &file, qint64 position, quint64 unpackedSize, quint32 *checksum)
{
    constexpr quint8 fileBlock = 0x74;
    constexpr quint16 longBlock = 0x8000;
    // A comment, a recovery record or the like may come first; a few are
    // plenty.
    for (int blocks = 0; blocks < 16; ++blocks) {
        if (!file.seek(position))
            return false;
        const QByteArray head = file.read(7 + 4 + 4 + 1 + 4);
        if (head.startsWith(QByteArray(rar4Marker, rar4MarkerSize))) {
            position += rar4MarkerSize;
            continue;
        }
        if (head.size() < 7)
            return false;
        const quint8 type = quint8(head.at(2));
        const quint16 flags = quint16(quint8(head.at(3)) | quint8(head.at(4)) << 8);
        const quint16 size = quint16(quint8(head.at(5)) | quint8(head.at(6)) << 8);
        if (size < 7)
            return false;
        if (type == fileBlock) {
            if (head.size() < 20 || little32(head, 11) != quint32(unpackedSize & 0xffffffffu))
                return false;
            *checksum = little32(head, 16);
            return true;
        }
        qint64 added = 0;
        if (flags & longBlock) {
            if (head.size() < 11)
                return false;
            added = little32(head, 7);
        }
        position += size + added;
    }
    return false;
}

QString wideText(const wchar_t *text)
{
    return text ? QString::fromWCharArray(text) : QString();
}

} // namespace

struct RarArchive
{
    std::unique_ptr<archive, ArchiveDeleter> reader;
    // The same file, for what libarchive does not tell (RAR 4 checksums).
    QFile file;
    bool rar4 = false;
    archive_entry *entry = nullptr;
    unsigned flags = 0;
    RarCallback callback = nullptr;
    std::intptr_t userData = 0;
    // Whether the entry of the last header is still to be processed.
    bool pending = false;
    bool encrypted = false;
    bool directory = false;
    bool link = false;
    bool sizeKnown = false;
    quint64 unpackedSize = 0;
    bool checksumKnown = false;
    quint32 checksum = 0;
};

namespace {

// Asks the callback for a password, if there is one to ask. This layer
// cannot decrypt, so an offered password changes only the error.
int refuseEncrypted(RarArchive *handle)
{
    if (!handle->callback)
        return RarMissingPassword;
    QVector<wchar_t> password(128, L'\0');
    const int answer = handle->callback(RarMessageNeedPassword, handle->userData,
                                        std::intptr_t(password.data()), password.size());
    if (answer < 0 || password.at(0) == L'\0')
        return RarMissingPassword;
    return RarUnknown;
}

int readData(RarArchive *handle, QIODevice *target)
{
    quint64 done = 0;
    const void *block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    const QByteArray zeros(64 * 1024, '\0');
    uLong checksum = crc32(0L, Z_NULL, 0);
    while (true) {
        const int status = archive_read_data_block(handle->reader.get(), &block, &size, &offset);
        if (status == ARCHIVE_EOF)
            break;
        if (status < ARCHIVE_WARN)
            return RarBadData;
        // A gap (never made by RAR itself) is zeros; data beyond the
        // declared size is damage, never written.
        const quint64 end = quint64(offset) + size;
        if (offset < 0 || quint64(offset) < done
            || (handle->sizeKnown && end > handle->unpackedSize))
            return RarBadData;
        while (done < quint64(offset)) {
            const qint64 fill = qint64(qMin<quint64>(quint64(offset) - done, zeros.size()));
            if (target && target->write(zeros.constData(), fill) != fill)
                return RarWriteError;
            checksum = crc32(checksum, reinterpret_cast<const Bytef *>(zeros.constData()),
                             uInt(fill));
            done += quint64(fill);
        }
        if (target) {
            if (target->write(static_cast<const char *>(block), qint64(size)) != qint64(size))
                return RarWriteError;
        } else if (handle->callback
                   && handle->callback(RarMessageProcessData, handle->userData,
                                       std::intptr_t(block), std::intptr_t(size))
                           < 0) {
            return RarUnknown;
        }
        checksum = crc32_z(checksum, static_cast<const Bytef *>(block), size);
        done = end;
    }
    if (handle->sizeKnown && done != handle->unpackedSize)
        return RarBadData;
    if (handle->checksumKnown && quint32(checksum) != handle->checksum)
        return RarBadData;
    return RarSuccess;
}

int extractEntry(RarArchive *handle, const QString &target)
{
    if (target.isEmpty() || handle->link)
        return RarFileCreateError;
    if (handle->directory)
        return QDir().mkpath(target) ? RarSuccess : RarFileCreateError;
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly))
        return RarFileCreateError;
    const int result = readData(handle, &file);
    if (result != RarSuccess) {
        file.cancelWriting();
        return result;
    }
    return file.commit() ? RarSuccess : RarFileCloseError;
}

int process(RarHandle handle, int operation, const QString &target)
{
    if (!handle)
        return RarUnknown;
    if (!handle->pending)
        return RarBadData;
    handle->pending = false;
    switch (operation) {
    case RarSkip:
        return archive_read_data_skip(handle->reader.get()) >= ARCHIVE_WARN ? RarSuccess
                                                                            : RarBadData;
    case RarTest:
        if (handle->encrypted)
            return refuseEncrypted(handle);
        return readData(handle, nullptr);
    case RarExtract:
        if (handle->encrypted)
            return refuseEncrypted(handle);
        return extractEntry(handle, target);
    default:
        return RarUnknown;
    }
}

} // namespace

extern "C" {

RarHandle RAROpenArchiveEx(RAROpenArchiveDataEx *data)
{
    if (!data)
        return nullptr;
    data->commentSize = 0;
    data->commentState = 0;
    data->flags = 0;
    const QString path = data->archiveNameW ? wideText(data->archiveNameW)
                                            : QFile::decodeName(data->archiveName);
    if (path.isEmpty()) {
        data->openResult = RarVolumeOpenError;
        return nullptr;
    }
    unsigned flags = 0;
    const Probe probe = probeArchive(path, &flags);
    switch (probe) {
    case Probe::Unreadable:
        data->openResult = RarVolumeOpenError;
        return nullptr;
    case Probe::NotRar:
        data->openResult = RarNotRar;
        return nullptr;
    case Probe::Damaged:
        data->openResult = RarBadData;
        return nullptr;
    case Probe::Rar4:
    case Probe::Rar5:
        break;
    }

    auto handle = std::make_unique<RarArchive>();
    handle->reader.reset(archive_read_new());
    if (!handle->reader) {
        data->openResult = RarNoMemory;
        return nullptr;
    }
    archive_read_support_format_rar(handle->reader.get());
    archive_read_support_format_rar5(handle->reader.get());
    if (archive_read_open_filename(handle->reader.get(), QFile::encodeName(path).constData(),
                                   readBlockSize)
        != ARCHIVE_OK) {
        data->openResult = RarBadData;
        return nullptr;
    }
    handle->rar4 = probe == Probe::Rar4;
    handle->file.setFileName(path);
    if (handle->rar4 && !handle->file.open(QIODevice::ReadOnly)) {
        data->openResult = RarVolumeOpenError;
        return nullptr;
    }
    handle->flags = flags;
    handle->callback = data->callback;
    handle->userData = data->userData;
    data->flags = flags;
    data->openResult = RarSuccess;
    return handle.release();
}

int RARReadHeaderEx(RarHandle handle, RARHeaderDataEx *header)
{
    if (!handle || !header)
        return RarUnknown;
    // libarchive cannot read encrypted headers; say what it is rather than
    // "damaged".
    if (handle->flags & RarArchiveEncryptedHeaders)
        return RarMissingPassword;
    archive_entry *entry = nullptr;
    const int status = archive_read_next_header(handle->reader.get(), &entry);
    if (status == ARCHIVE_EOF)
        return RarEndOfArchive;
    if (status < ARCHIVE_WARN || !entry)
        return RarBadData;

    handle->entry = entry;
    handle->pending = true;
    handle->encrypted = archive_entry_is_data_encrypted(entry) > 0;
    handle->directory = archive_entry_filetype(entry) == AE_IFDIR;
    handle->link = archive_entry_filetype(entry) == AE_IFLNK || archive_entry_hardlink(entry);
    handle->sizeKnown = archive_entry_size_is_set(entry) && archive_entry_size(entry) >= 0;
    handle->unpackedSize = handle->sizeKnown ? quint64(archive_entry_size(entry)) : 0;
    handle->checksumKnown = handle->rar4 && handle->sizeKnown
            && rar4DataChecksum(handle->file, archive_read_header_position(handle->reader.get()),
                                handle->unpackedSize, &handle->checksum);

    QString name = wideText(archive_entry_pathname_w(entry));
    if (name.isEmpty())
        name = QString::fromUtf8(archive_entry_pathname(entry));
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    // A folder's name carries no trailing "/": the flag says what it is.
    while (name.size() > 1 && name.endsWith(QLatin1Char('/')))
        name.chop(1);
    constexpr int capacity = int(sizeof(header->fileNameW) / sizeof(wchar_t)) - 1;
    const int length = name.left(capacity).toWCharArray(header->fileNameW);
    header->fileNameW[qMin(length, capacity)] = L'\0';
    header->flags = (handle->encrypted ? unsigned(RarEntryEncrypted) : 0u)
            | (handle->directory ? unsigned(RarEntryDirectory) : 0u)
            | (handle->link ? unsigned(RarEntryLink) : 0u);
    header->unpackedSize = handle->unpackedSize;
    return RarSuccess;
}

int RARProcessFile(RarHandle handle, int operation, const char *destPath, const char *destName)
{
    Q_UNUSED(destPath)
    return process(handle, operation, destName ? QFile::decodeName(destName) : QString());
}

int RARProcessFileW(RarHandle handle, int operation, const wchar_t *destPath,
                    const wchar_t *destName)
{
    Q_UNUSED(destPath)
    return process(handle, operation, wideText(destName));
}

int RARCloseArchive(RarHandle handle)
{
    delete handle;
    return RarSuccess;
}

} // extern "C"
