#pragma once

#include <cstdint>
#include <cwchar>

// The binary interface of the 7-Zip codec library as this program calls it:
// COM-style objects (a table of virtual functions, reference counted, asked
// for further interfaces by 16-byte id) and the value types they pass.
//
// Builds of the library differ in one point: some give every interface a
// virtual destructor right after Release(), which under the Itanium C++ ABI
// is two more table entries and shifts every later function by two. The
// library says which kind it is through its "GetModuleProp" entry
// (moduleInterfaceType). The declarations here have no destructor, as
// Debian's build (interface type 0) has none; a library of the other kind is
// refused rather than called at the wrong entries. Our callbacks are deleted
// only by their own Release(), never through these interfaces.
//
// Strings (BSTR) are 4-byte wchar_t texts. The library allocates them with
// malloc(): a 32-bit length in bytes, then the text and a terminator; the
// pointer points at the text. Whoever receives one frees it (freeString).
namespace sevenzip {

using HRESULT = std::int32_t;
using ULONG = std::uint32_t;
using UInt32 = std::uint32_t;
using Int32 = std::int32_t;
using UInt64 = std::uint64_t;
using Int64 = std::int64_t;
using PROPID = std::uint32_t;
using VARTYPE = std::uint16_t;
using BSTR = wchar_t *;

static_assert(sizeof(wchar_t) == 4, "the library's strings are 4-byte characters");

constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = HRESULT(0x80004001u);
constexpr HRESULT E_NOINTERFACE = HRESULT(0x80004002u);
constexpr HRESULT E_ABORT = HRESULT(0x80004004u);
constexpr HRESULT E_FAIL = HRESULT(0x80004005u);
constexpr HRESULT E_OUTOFMEMORY = HRESULT(0x8007000Eu);
constexpr HRESULT STG_E_INVALIDFUNCTION = HRESULT(0x80030001u);

struct GUID
{
    std::uint32_t data1;
    std::uint16_t data2;
    std::uint16_t data3;
    std::uint8_t data4[8];
};

inline bool operator==(const GUID &a, const GUID &b)
{
    if (a.data1 != b.data1 || a.data2 != b.data2 || a.data3 != b.data3)
        return false;
    for (int i = 0; i < 8; ++i) {
        if (a.data4[i] != b.data4[i])
            return false;
    }
    return true;
}

// Ids of the library's own interfaces share one pattern:
// {23170F69-40C1-278A-0000-00gg00ii0000}, group gg, interface ii.
constexpr GUID libraryInterfaceId(std::uint8_t group, std::uint8_t interface)
{
    return GUID { 0x23170F69, 0x40C1, 0x278A, { 0, 0, 0, group, 0, interface, 0, 0 } };
}

constexpr GUID IID_IUnknown = { 0x00000000, 0x0000, 0x0000, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
constexpr GUID IID_ISequentialInStream = libraryInterfaceId(0x03, 0x01);
constexpr GUID IID_ISequentialOutStream = libraryInterfaceId(0x03, 0x02);
constexpr GUID IID_IInStream = libraryInterfaceId(0x03, 0x03);
constexpr GUID IID_IOutStream = libraryInterfaceId(0x03, 0x04);
constexpr GUID IID_IStreamGetSize = libraryInterfaceId(0x03, 0x06);
constexpr GUID IID_ICryptoGetTextPassword = libraryInterfaceId(0x05, 0x10);
constexpr GUID IID_IInArchive = libraryInterfaceId(0x06, 0x60);
// The 7z format handler: format byte 0x07.
constexpr GUID CLSID_Format7z
        = { 0x23170F69, 0x40C1, 0x278A, { 0x10, 0x00, 0x00, 0x01, 0x10, 0x07, 0x00, 0x00 } };

// Variant types and item properties read here.
enum : VARTYPE {
    VT_EMPTY = 0,
    VT_BSTR = 8,
    VT_BOOL = 11,
    VT_UI4 = 19,
    VT_UI8 = 21,
    VT_FILETIME = 64,
};

enum : PROPID {
    kpidPath = 3,
    kpidIsDir = 6,
    kpidSize = 7,
    kpidAttrib = 9,
    kpidMTime = 12,
    kpidEncrypted = 15,
};

// Ask modes of IArchiveExtractCallback.
enum : Int32 { AskExtract = 0, AskTest = 1, AskSkip = 2 };

struct FILETIME
{
    std::uint32_t low;
    std::uint32_t high;
};

struct PROPVARIANT
{
    VARTYPE vt;
    std::uint16_t reserved1;
    std::uint16_t reserved2;
    std::uint16_t reserved3;
    union {
        std::int16_t boolVal; // VARIANT_BOOL: -1 true, 0 false
        std::uint32_t ulVal;
        std::uint64_t uhVal;
        FILETIME filetime;
        BSTR bstrVal;
    };
};

static_assert(sizeof(PROPVARIANT) == 16, "PROPVARIANT is 8 bytes of type and 8 of value");

// Length in characters of a string the library made.
std::uint32_t stringLength(const wchar_t *string);
void freeString(BSTR string);
// Frees what the variant owns and leaves it empty.
void clearVariant(PROPVARIANT *variant);

struct IUnknown
{
    virtual HRESULT QueryInterface(const GUID &iid, void **object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    // Objects go by their own Release(), never by a delete through here.
    ~IUnknown() = default;
};

struct ISequentialInStream : IUnknown
{
    virtual HRESULT Read(void *data, UInt32 size, UInt32 *processedSize) = 0;
};

struct IInStream : ISequentialInStream
{
    virtual HRESULT Seek(Int64 offset, UInt32 origin, UInt64 *newPosition) = 0;
};

struct IStreamGetSize : IUnknown
{
    virtual HRESULT GetSize(UInt64 *size) = 0;
};

struct ISequentialOutStream : IUnknown
{
    virtual HRESULT Write(const void *data, UInt32 size, UInt32 *processedSize) = 0;
};

struct IOutStream : ISequentialOutStream
{
    virtual HRESULT Seek(Int64 offset, UInt32 origin, UInt64 *newPosition) = 0;
    virtual HRESULT SetSize(UInt64 newSize) = 0;
};

struct ICryptoGetTextPassword : IUnknown
{
    virtual HRESULT CryptoGetTextPassword(BSTR *password) = 0;
};

struct IArchiveOpenCallback : IUnknown
{
    virtual HRESULT SetTotal(const UInt64 *files, const UInt64 *bytes) = 0;
    virtual HRESULT SetCompleted(const UInt64 *files, const UInt64 *bytes) = 0;
};

struct IProgress : IUnknown
{
    virtual HRESULT SetTotal(UInt64 total) = 0;
    virtual HRESULT SetCompleted(const UInt64 *completeValue) = 0;
};

struct IArchiveExtractCallback : IProgress
{
    virtual HRESULT GetStream(UInt32 index, ISequentialOutStream **outStream, Int32 askExtractMode)
            = 0;
    virtual HRESULT PrepareOperation(Int32 askExtractMode) = 0;
    virtual HRESULT SetOperationResult(Int32 result) = 0;
};

struct IInArchive : IUnknown
{
    virtual HRESULT Open(IInStream *stream, const UInt64 *maxCheckStartPosition,
                         IArchiveOpenCallback *openCallback)
            = 0;
    virtual HRESULT Close() = 0;
    virtual HRESULT GetNumberOfItems(UInt32 *numItems) = 0;
    virtual HRESULT GetProperty(UInt32 index, PROPID propId, PROPVARIANT *value) = 0;
    virtual HRESULT Extract(const UInt32 *indices, UInt32 numItems, Int32 testMode,
                            IArchiveExtractCallback *extractCallback)
            = 0;
};

// The library's entry points.
using CreateObjectFunction
        = HRESULT (*)(const GUID *classId, const GUID *interfaceId, void **object);
using GetModulePropFunction = HRESULT (*)(PROPID propId, PROPVARIANT *value);

// GetModuleProp ids and the one interface type these declarations match.
enum : PROPID { modulePropInterfaceType = 0, modulePropVersion = 1 };
constexpr std::uint32_t interfaceTypeWithoutDestructor = 0;

} // namespace sevenzip
