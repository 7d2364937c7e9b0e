#pragma once

#include "platform/gdi/gdi.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace Poppler {
class Document;
}
class QPDF;

#define VL_PDFLIBRARY_EXPORT __attribute__((visibility("default")))

// The inside of our stand-in for the vendor PDF library: one Instance per
// DPLCreateLibrary, holding everything the library remembers between calls
// (the loaded document, the selected page, the render scale, file lists, the
// last error and the last text result). The exports find the instance by
// its id, lock it for the call, and turn any exception into a failure, so
// no call from outside can reach the document while another is inside.
namespace pdflibrary {

// The library's error codes (LastErrorCode). The first ones are the codes
// the program knows messages for; the last two are our own.
enum ErrorCode : int {
    NoError = 0,
    InvalidStrength = 101,
    InvalidPermissions = 102,
    AlreadyEncryptedForEncrypt = 103,
    EncryptFailed = 104,
    InformationEncrypted = 201,
    InformationKeyOutOfRange = 202,
    CannotOpenInput = 401,
    CannotDeleteOutput = 402,
    CannotOpenOutput = 403,
    InvalidPassword = 404,
    NotEncrypted = 405,
    AlreadyEncrypted = 406,
    InvalidEncryptionStrength = 407,
    InvalidPermissionValue = 408,
    DamagedFile = 409,
    InputEncrypted = 410,
    FileNotFound = 411,
    InvalidRangeList = 412,
    InvalidFileHandle = 501,
    // An entry point this library does not implement.
    NotSupported = 900,
    // A call that failed inside (an exception from a PDF library, no
    // memory): the call answers failure and the instance stays usable.
    InternalFailure = 901,
};

// One outline item, flattened in document order; ids are index + 1.
struct OutlineNode
{
    std::wstring title;
    int page = 0;
    int parent = 0;
    int firstChild = 0;
    int next = 0;
    int previous = 0;
};

// A set of print options made by PrintOptions; PrintDocument takes its id
// (0: the defaults below).
struct PrintSettings
{
    // 0 the page at its own size, 1 fitted to the paper, 2 only pages larger
    // than the paper made smaller.
    int pageScaling = 0;
    // Pages turned to the paper's orientation and centred on it.
    bool autoRotateCenter = true;
    std::wstring title;
};

struct PendingEncryption
{
    bool requested = false;
    std::string owner;
    std::string user;
    int strength = 0;
    int permissions = 0;
};

class Instance
{
public:
    explicit Instance(int id);
    ~Instance();
    Instance(const Instance &) = delete;
    Instance &operator=(const Instance &) = delete;

    int id() const { return m_id; }

    // Forgets the loaded document and everything that belongs to it.
    void closeDocument();

    // Byte-string arguments arrive as buffers made by DPLCreateBuffer; an
    // unknown pointer reads as empty.
    char *createBuffer(int size);
    bool addToBuffer(char *buffer, const char *source, int length);
    bool releaseBuffer(char *buffer);
    std::string bufferBytes(char *buffer) const;

    std::mutex mutex;
    int lastError = NoError;
    std::wstring textResult;
    std::string bytesResult;

    // The loaded document (null when none) and what it was opened with.
    std::unique_ptr<Poppler::Document> document;
    std::wstring fileName;
    std::wstring password;
    int selectedPage = 0;
    double renderScale = 1.0;
    std::vector<OutlineNode> outlines;
    // Changes applied when the document is saved.
    std::map<int, std::wstring> pendingInformation;
    PendingEncryption pendingEncryption;

    std::map<std::wstring, std::vector<std::wstring>> fileLists;
    // The last input of ExtractFilePages stays open: a split takes many
    // ranges from one file, and reading the file is most of each call. The
    // key names the file, its password and the state it was read in.
    std::shared_ptr<QPDF> extractSource;
    std::string extractSourceKey;
    std::string printerSettings;
    std::map<int, PrintSettings> printOptions;

private:
    struct Buffer
    {
        std::vector<char> bytes;
        std::size_t filled = 0;
    };

    const int m_id;
    std::map<const char *, Buffer> m_buffers;
};

// The instance with that id, or null.
std::shared_ptr<Instance> findInstance(int id);
int createInstance();
bool releaseInstance(int id);

inline std::wstring wide(const wchar_t *text)
{
    return text ? std::wstring(text) : std::wstring();
}

template<typename Result, typename Function> Result call(int id, Function &&function)
{
    const std::shared_ptr<Instance> library = findInstance(id);
    if (!library)
        return Result();
    const std::lock_guard<std::mutex> lock(library->mutex);
    try {
        return function(*library);
    } catch (...) {
        library->lastError = InternalFailure;
        return Result();
    }
}

// Text results live in the instance until its next text call; the length
// goes with them (DPLStringResultLength), so embedded NULs survive.
template<typename Function> const wchar_t *callText(int id, Function &&function)
{
    const std::shared_ptr<Instance> library = findInstance(id);
    if (!library)
        return L"";
    const std::lock_guard<std::mutex> lock(library->mutex);
    try {
        library->textResult = function(*library);
    } catch (...) {
        library->textResult.clear();
        library->lastError = InternalFailure;
    }
    return library->textResult.c_str();
}

template<typename Function> const char *callBytes(int id, Function &&function)
{
    const std::shared_ptr<Instance> library = findInstance(id);
    if (!library)
        return "";
    const std::lock_guard<std::mutex> lock(library->mutex);
    try {
        library->bytesResult = function(*library);
    } catch (...) {
        library->bytesResult.clear();
        library->lastError = InternalFailure;
    }
    return library->bytesResult.c_str();
}

// An entry point this library does not implement: failure, error code
// NotSupported, an empty text or byte result.
template<typename Result> Result notSupported(int id)
{
    return call<Result>(id, [](Instance &library) {
        library.lastError = NotSupported;
        return Result();
    });
}

inline const wchar_t *notSupportedText(int id)
{
    return callText(id, [](Instance &library) {
        library.lastError = NotSupported;
        return std::wstring();
    });
}

inline const char *notSupportedBytes(int id)
{
    return callBytes(id, [](Instance &library) {
        library.lastError = NotSupported;
        return std::string();
    });
}

} // namespace pdflibrary
