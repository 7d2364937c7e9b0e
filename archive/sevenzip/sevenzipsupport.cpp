#include "archive/sevenzip/sevenzipsupport.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sevenzip {

namespace {

    // The byte length stands in the four bytes before the text.
    std::uint32_t byteLength(const wchar_t *string)
    {
        std::uint32_t length = 0;
        std::memcpy(&length, reinterpret_cast<const char *>(string) - sizeof(length),
                    sizeof(length));
        return length;
    }

    template<class Call> auto retryInterrupted(Call call)
    {
        auto result = call();
        while (result < 0 && errno == EINTR)
            result = call();
        return result;
    }

} // namespace

std::uint32_t stringLength(const wchar_t *string)
{
    return string ? byteLength(string) / sizeof(wchar_t) : 0;
}

void freeString(BSTR string)
{
    if (string)
        std::free(reinterpret_cast<char *>(string) - sizeof(std::uint32_t));
}

void clearVariant(PROPVARIANT *variant)
{
    if (variant->vt == VT_BSTR)
        freeString(variant->bstrVal);
    // The other types read here own nothing.
    variant->vt = VT_EMPTY;
    variant->uhVal = 0;
}

QString toQString(const wchar_t *text, std::uint32_t length)
{
    if (!text)
        return QString();
    QString result;
    result.reserve(int(qMin<std::uint32_t>(length, 1u << 20)));
    for (std::uint32_t i = 0; i < length; ++i) {
        const auto unit = std::uint32_t(text[i]);
        if (unit > 0x10FFFF) {
            result.append(QChar::ReplacementCharacter);
        } else if (unit > 0xFFFF) {
            result.append(QChar(QChar::highSurrogate(unit)));
            result.append(QChar(QChar::lowSurrogate(unit)));
        } else {
            // Halves of a pair the library left apart join again here.
            result.append(QChar(ushort(unit)));
        }
    }
    return result;
}

QString toQString(BSTR string)
{
    return toQString(string, stringLength(string));
}

Variant::Variant()
{
    vt = VT_EMPTY;
    reserved1 = reserved2 = reserved3 = 0;
    uhVal = 0;
}

Variant::~Variant()
{
    clearVariant(this);
}

HRESULT lastErrorResult()
{
    const int error = errno;
    if (error == 0)
        return E_FAIL;
    return HRESULT(0x80070000u | (std::uint32_t(error) & 0xFFFFu));
}

HRESULT seekFile(int file, Int64 offset, UInt32 origin, UInt64 *newPosition)
{
    // Origins 0, 1 and 2 are SEEK_SET, SEEK_CUR and SEEK_END.
    if (origin > 2)
        return STG_E_INVALIDFUNCTION;
    const off_t position = ::lseek(file, off_t(offset), int(origin));
    if (position < 0)
        return lastErrorResult();
    if (newPosition)
        *newPosition = UInt64(position);
    return S_OK;
}

bool CInFileStream::open(const QString &path)
{
    if (m_file >= 0)
        ::close(m_file);
    m_file = retryInterrupted(
            [&] { return ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC); });
    return m_file >= 0;
}

CInFileStream::~CInFileStream()
{
    if (m_file >= 0)
        ::close(m_file);
}

HRESULT CInFileStream::QueryInterface(const GUID &iid, void **object)
{
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IInStream)
        *object = static_cast<IInStream *>(this);
    else if (iid == IID_IStreamGetSize)
        *object = static_cast<IStreamGetSize *>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT CInFileStream::Read(void *data, UInt32 size, UInt32 *processedSize)
{
    if (processedSize)
        *processedSize = 0;
    const ssize_t read
            = retryInterrupted([&] { return ::read(m_file, data, qMin(size, chunkLimit)); });
    if (read < 0)
        return lastErrorResult();
    if (processedSize)
        *processedSize = UInt32(read);
    return S_OK;
}

HRESULT CInFileStream::Seek(Int64 offset, UInt32 origin, UInt64 *newPosition)
{
    return seekFile(m_file, offset, origin, newPosition);
}

HRESULT CInFileStream::GetSize(UInt64 *size)
{
    struct stat status;
    if (::fstat(m_file, &status) != 0)
        return lastErrorResult();
    *size = UInt64(status.st_size);
    return S_OK;
}

COutFileStream::COutFileStream(qint64 *budget)
    : m_budget(budget)
{
}

COutFileStream::~COutFileStream()
{
    if (m_file >= 0)
        ::close(m_file);
}

bool COutFileStream::open(const QString &path)
{
    if (m_file >= 0)
        ::close(m_file);
    m_processedSize = 0;
    m_file = retryInterrupted([&] {
        return ::open(QFile::encodeName(path).constData(),
                      O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0666);
    });
    return m_file >= 0;
}

HRESULT COutFileStream::close()
{
    if (m_file < 0)
        return S_OK;
    const int result = ::close(m_file);
    m_file = -1;
    return result == 0 ? S_OK : lastErrorResult();
}

bool COutFileStream::setModificationTime(const FILETIME &time)
{
    // FILETIME counts 100 ns steps from 1601; Unix time seconds from 1970.
    constexpr qint64 unixEpoch = 116444736000000000LL;
    const qint64 ticks = qint64((std::uint64_t(time.high) << 32) | time.low) - unixEpoch;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = time_t(ticks / 10000000);
    times[1].tv_nsec = long(ticks % 10000000) * 100;
    if (times[1].tv_nsec < 0) {
        times[1].tv_sec -= 1;
        times[1].tv_nsec += 1000000000L;
    }
    return ::futimens(m_file, times) == 0;
}

HRESULT COutFileStream::QueryInterface(const GUID &iid, void **object)
{
    *object = nullptr;
    if (!(iid == IID_IUnknown || iid == IID_IOutStream))
        return E_NOINTERFACE;
    *object = static_cast<IOutStream *>(this);
    AddRef();
    return S_OK;
}

HRESULT COutFileStream::Write(const void *data, UInt32 size, UInt32 *processedSize)
{
    if (processedSize)
        *processedSize = 0;
    if (m_budget) {
        if (*m_budget < qint64(size)) {
            m_budgetSpent = true;
            return E_FAIL;
        }
        *m_budget -= size;
    }
    const auto *bytes = static_cast<const char *>(data);
    UInt32 written = 0;
    HRESULT result = S_OK;
    while (written < size) {
        const ssize_t done = retryInterrupted(
                [&] { return ::write(m_file, bytes + written, qMin(size - written, chunkLimit)); });
        if (done < 0) {
            result = lastErrorResult();
            break;
        }
        if (done == 0) {
            result = E_FAIL;
            break;
        }
        written += UInt32(done);
    }
    m_processedSize += written;
    if (processedSize)
        *processedSize = written;
    return result;
}

HRESULT COutFileStream::Seek(Int64 offset, UInt32 origin, UInt64 *newPosition)
{
    return seekFile(m_file, offset, origin, newPosition);
}

HRESULT COutFileStream::SetSize(UInt64 newSize)
{
    // A length set ahead costs no bytes written, but the disk space all the same.
    if (m_budget && newSize > m_processedSize + UInt64(qMax<qint64>(*m_budget, 0))) {
        m_budgetSpent = true;
        return E_FAIL;
    }
    return ::ftruncate(m_file, off_t(newSize)) == 0 ? S_OK : E_FAIL;
}

} // namespace sevenzip
