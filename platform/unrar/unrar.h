#pragma once

#include <cstdint>
#include <cwchar>

// The C calls through which the RAR reader reads RAR archives: open an
// archive, walk its entry headers one by one, and skip, test or extract the
// entry whose header was read last. Built on libarchive; RAR 4 and RAR 5
// archives are read.
//
// What this layer does not do, and says so by its results:
// - It never decrypts: an entry with encrypted data, or an archive whose
//   headers are encrypted, gives RarMissingPassword (or RarUnknown when a
//   callback offered a password it cannot use).
// - It never opens another volume: an entry that goes on in the next volume
//   gives RarVolumeOpenError when processed.
// - It never reads standard input and never writes to standard output; the
//   caller's callback alone decides what to do with a request.
//
// Every handle is independent: calls on different handles may run on
// different threads at once. One handle is used by one thread at a time.

extern "C" {

// Results of the calls (and of RAROpenArchiveDataEx::openResult).
enum RarResult : int {
    RarSuccess = 0,
    RarEndOfArchive = 10,
    RarNoMemory = 11,
    RarBadData = 12,
    RarNotRar = 13,
    RarUnknownFormat = 14,
    RarVolumeOpenError = 15,
    RarFileCreateError = 16,
    RarFileCloseError = 17,
    RarReadError = 18,
    RarWriteError = 19,
    RarSmallBuffer = 20,
    RarUnknown = 21,
    RarMissingPassword = 22,
    RarReferenceError = 23,
    RarBadPassword = 24,
};

// RAROpenArchiveDataEx::openMode.
enum RarOpenMode : unsigned {
    RarOpenForList = 0,
    RarOpenForExtract = 1,
};

// The operation of RARProcessFile / RARProcessFileW.
enum RarOperation : int {
    RarSkip = 0,
    RarTest = 1,
    RarExtract = 2,
};

// RAROpenArchiveDataEx::flags: the archive header's own flags.
enum RarArchiveFlag : unsigned {
    RarArchiveVolume = 0x1,
    RarArchiveComment = 0x2,
    RarArchiveLocked = 0x4,
    RarArchiveSolid = 0x8,
    RarArchiveNewNaming = 0x10,
    RarArchiveRecovery = 0x40,
    RarArchiveEncryptedHeaders = 0x80,
    RarArchiveFirstVolume = 0x100,
};

// RARHeaderDataEx::flags.
enum RarEntryFlag : unsigned {
    RarEntryEncrypted = 0x4,
    RarEntryDirectory = 0x20,
    // A symbolic or hard link: no data of its own.
    RarEntryLink = 0x40,
};

// Messages to the callback.
enum RarCallbackMessage : unsigned {
    // p1: a block of the entry being tested, p2: its size in bytes.
    RarMessageProcessData = 1,
    // p1: the wide name of the next volume; p2: 0 when the volume is
    // required, 1 when it was only opened. Not sent by this layer, which
    // opens no other volume.
    RarMessageChangeVolume = 3,
    // p1: a wide buffer for a password, p2: its size in characters.
    RarMessageNeedPassword = 4,
};

// Answers 1 (or more) to go on and -1 to stop the operation.
typedef int (*RarCallback)(unsigned message, std::intptr_t userData, std::intptr_t p1,
                           std::intptr_t p2);

struct RAROpenArchiveDataEx
{
    // In: the archive, as a wide name or (when that is null) a local 8-bit
    // one.
    const char *archiveName;
    const wchar_t *archiveNameW;
    unsigned openMode;
    // Out: RarSuccess or why the archive did not open.
    unsigned openResult;
    // In: a buffer for the archive comment and its size; may be null.
    char *commentBuffer;
    unsigned commentBufferSize;
    // Out: the comment's size and state: 0 none (this layer reads none).
    unsigned commentSize;
    unsigned commentState;
    // Out: RarArchiveFlag bits.
    unsigned flags;
    // In: may be null.
    RarCallback callback;
    std::intptr_t userData;
};

struct RARHeaderDataEx
{
    // The entry's name, "/" between folders, ending in a NUL character
    // (cut to fit).
    wchar_t fileNameW[2048];
    // RarEntryFlag bits.
    unsigned flags;
    // The size the header declares for the unpacked data; extraction never
    // writes more. 0 when the header declares none.
    std::uint64_t unpackedSize;
};

typedef struct RarArchive *RarHandle;

// Opens the archive. Null, with data->openResult set, when it is missing,
// unreadable or no RAR archive.
RarHandle RAROpenArchiveEx(RAROpenArchiveDataEx *data);
// The next entry's header: RarSuccess, RarEndOfArchive after the last one,
// or an error (damaged header, encrypted headers).
int RARReadHeaderEx(RarHandle handle, RARHeaderDataEx *header);
// Skips, tests or extracts the entry whose header was read last. For
// RarExtract, destName is the full path of the file to write, local 8-bit
// (RARProcessFile) or wide (RARProcessFileW); destPath, the folder the
// caller made for it, is not used. This layer never turns an entry name
// into a path itself: without destName, extraction fails with
// RarFileCreateError. The file appears under its name only once all its
// data was read and matched its checksum; a folder entry makes its folder;
// a link is never made (RarFileCreateError).
int RARProcessFile(RarHandle handle, int operation, const char *destPath, const char *destName);
int RARProcessFileW(RarHandle handle, int operation, const wchar_t *destPath,
                    const wchar_t *destName);
// Closes the archive; the handle is gone afterwards.
int RARCloseArchive(RarHandle handle);

} // extern "C"
