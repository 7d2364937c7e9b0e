#pragma once

#include "archive/sevenzip/sevenzipinterfaces.h"

#include <QString>

#include <atomic>

// What the 7-Zip client hands to the codec library or takes from it: the
// library's strings and variants as Qt values, and the two file streams
// through which the library reads an archive and writes an unpacked file.
namespace sevenzip {

// A library string as a QString. Characters above U+FFFF become surrogate
// pairs; a null string gives a null QString.
QString toQString(const wchar_t *text, std::uint32_t length);
QString toQString(BSTR string);

// A PROPVARIANT that frees what it holds when it goes. Pass it to the
// library empty: the library clears the variant it is given first.
struct Variant : PROPVARIANT
{
    Variant();
    ~Variant();
    Variant(const Variant &) = delete;
    Variant &operator=(const Variant &) = delete;
};

// Error code of the calling thread's errno: E_FAIL for 0, else the code
// under the Windows error facility (0x8007xxxx).
HRESULT lastErrorResult();

// Reference counting of our objects: a new object starts at 0; Release()
// deletes it on reaching 0. The library may count from its own threads.
template<class Derived> class CMyUnknownImp
{
protected:
    ULONG addReference() { return ++m_referenceCount; }
    ULONG releaseReference()
    {
        const ULONG left = --m_referenceCount;
        if (left == 0)
            delete static_cast<Derived *>(this);
        return left;
    }

private:
    std::atomic<ULONG> m_referenceCount { 0 };
};

// Holds one counted reference to a library object or one of ours.
template<class T> class ComPtr
{
public:
    ComPtr() = default;
    explicit ComPtr(T *object)
        : m_object(object)
    {
        if (m_object)
            m_object->AddRef();
    }
    ComPtr(const ComPtr &) = delete;
    ComPtr &operator=(const ComPtr &) = delete;
    ~ComPtr() { reset(); }

    // Drops the reference held and holds one to object (when given).
    void reset(T *object = nullptr)
    {
        if (object)
            object->AddRef();
        if (m_object)
            m_object->Release();
        m_object = object;
    }
    // Takes over a reference the library already counted for us.
    void adopt(T *object)
    {
        reset();
        m_object = object;
    }
    T *get() const { return m_object; }
    T *operator->() const { return m_object; }
    explicit operator bool() const { return m_object != nullptr; }

private:
    T *m_object = nullptr;
};

// The archive as the library reads it: a file open for reading.
class CInFileStream final : public IInStream, public IStreamGetSize, CMyUnknownImp<CInFileStream>
{
public:
    // One read hands out at most this many bytes.
    static constexpr UInt32 chunkLimit = 4 * 1024 * 1024;

    CInFileStream() = default;
    CInFileStream(const CInFileStream &) = delete;
    CInFileStream &operator=(const CInFileStream &) = delete;

    // False (errno set) when the file cannot be opened.
    bool open(const QString &path);

    HRESULT QueryInterface(const GUID &iid, void **object) override;
    ULONG AddRef() override { return addReference(); }
    ULONG Release() override { return releaseReference(); }
    HRESULT Read(void *data, UInt32 size, UInt32 *processedSize) override;
    HRESULT Seek(Int64 offset, UInt32 origin, UInt64 *newPosition) override;
    HRESULT GetSize(UInt64 *size) override;

private:
    friend class CMyUnknownImp<CInFileStream>;
    ~CInFileStream();

    int m_file = -1;
};

// One unpacked file as the library writes it. Writing stops with an error
// once the shared budget of bytes (when given) is spent, so that an archive
// that unpacks to far more than it declared cannot fill the disk.
class COutFileStream final : public IOutStream, CMyUnknownImp<COutFileStream>
{
public:
    // One write call of the file system gets at most this many bytes.
    static constexpr UInt32 chunkLimit = 4 * 1024 * 1024;

    explicit COutFileStream(qint64 *budget = nullptr);
    COutFileStream(const COutFileStream &) = delete;
    COutFileStream &operator=(const COutFileStream &) = delete;

    // Makes the file anew (an existing one is emptied; a link is not
    // followed). False (errno set) when it cannot be made.
    bool open(const QString &path);
    // Closes the file; the failure of the last writes shows here.
    HRESULT close();
    // Sets the file's modification time (a Windows FILETIME).
    bool setModificationTime(const FILETIME &time);

    UInt64 processedSize() const { return m_processedSize; }
    bool budgetSpent() const { return m_budgetSpent; }

    HRESULT QueryInterface(const GUID &iid, void **object) override;
    ULONG AddRef() override { return addReference(); }
    ULONG Release() override { return releaseReference(); }
    HRESULT Write(const void *data, UInt32 size, UInt32 *processedSize) override;
    HRESULT Seek(Int64 offset, UInt32 origin, UInt64 *newPosition) override;
    HRESULT SetSize(UInt64 newSize) override;

private:
    friend class CMyUnknownImp<COutFileStream>;
    ~COutFileStream();

    int m_file = -1;
    UInt64 m_processedSize = 0;
    qint64 *m_budget = nullptr;
    bool m_budgetSpent = false;
};

// Both streams move the same way.
HRESULT seekFile(int file, Int64 offset, UInt32 origin, UInt64 *newPosition);

} // namespace sevenzip
