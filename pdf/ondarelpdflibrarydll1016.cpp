#include "pdf/ondarelpdflibrarydll1016.h"

#include <dlfcn.h>

#include <limits>

namespace {

// Nothing a library returns is trusted to be longer than this: a length
// beyond it is taken as a broken answer and read as empty.
constexpr int maximumResultLength = std::numeric_limits<int>::max() / 4;

} // namespace

OndarelPDFLibraryDLL1016::OndarelPDFLibraryDLL1016(const std::wstring &path)
{
    std::string fileName;
    for (const wchar_t c : path) {
        // The file name is handed to the system in UTF-8.
        const auto code = static_cast<std::uint32_t>(c);
        if (code < 0x80) {
            fileName += char(code);
        } else if (code < 0x800) {
            fileName += char(0xc0 | (code >> 6));
            fileName += char(0x80 | (code & 0x3f));
        } else if (code < 0x10000) {
            fileName += char(0xe0 | (code >> 12));
            fileName += char(0x80 | ((code >> 6) & 0x3f));
            fileName += char(0x80 | (code & 0x3f));
        } else {
            fileName += char(0xf0 | (code >> 18));
            fileName += char(0x80 | ((code >> 12) & 0x3f));
            fileName += char(0x80 | ((code >> 6) & 0x3f));
            fileName += char(0x80 | (code & 0x3f));
        }
    }
    // A path without a folder would make the system search its library
    // path: only the file named is ever loaded.
    if (fileName.find('/') == std::string::npos)
        fileName = "./" + fileName;

    // The library stays mapped after the last release: poppler, qpdf and the
    // font libraries behind them keep process-wide state that must not be
    // torn down and built again while other threads may use it.
    m_module = dlopen(fileName.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
    if (!m_module) {
        m_failed = true;
        const char *reason = dlerror();
        m_loadError = reason ? reason : "the library could not be loaded";
        return;
    }
    for (int i = 0; i < entryCount; ++i) {
        m_entries[i] = dlsym(m_module, entryNames[i]);
        if (!m_entries[i]) {
            if (!m_failed)
                m_loadError = std::string("entry point ") + entryNames[i] + " not found";
            m_failed = true;
        }
    }
    using CreateLibrary = int (*)();
    if (const auto create = reinterpret_cast<CreateLibrary>(m_entries[CreateLibraryEntry]))
        m_instanceId = create();
}

OndarelPDFLibraryDLL1016::~OndarelPDFLibraryDLL1016()
{
    using ReleaseLibrary = int (*)(int);
    const auto release = reinterpret_cast<ReleaseLibrary>(m_entries[ReleaseLibraryEntry]);
    if (m_instanceId > 0 && release)
        release(m_instanceId);
    if (m_module) {
        dlclose(m_module);
        m_module = nullptr;
    }
}

bool OndarelPDFLibraryDLL1016::LibraryLoaded() const
{
    return !m_failed;
}

void *OndarelPDFLibraryDLL1016::entryAddress(int index) const
{
    return index >= 0 && index < entryCount ? m_entries[index] : nullptr;
}

std::wstring OndarelPDFLibraryDLL1016::takeText(const wchar_t *result)
{
    using Length = int (*)(int);
    const auto length = reinterpret_cast<Length>(m_entries[StringResultLengthEntry]);
    if (!result || !length)
        return std::wstring();
    const int size = length(m_instanceId);
    if (size <= 0 || size > maximumResultLength)
        return std::wstring();
    return std::wstring(result, std::size_t(size));
}

std::string OndarelPDFLibraryDLL1016::takeBytes(const char *result)
{
    using Length = int (*)(int);
    const auto length = reinterpret_cast<Length>(m_entries[AnsiStringResultLengthEntry]);
    if (!result || !length)
        return std::string();
    const int size = length(m_instanceId);
    if (size <= 0 || size > maximumResultLength)
        return std::string();
    return std::string(result, std::size_t(size));
}

OndarelPDFLibraryDLL1016::LibraryBuffer::LibraryBuffer(OndarelPDFLibraryDLL1016 &loader,
                                                       const std::string &bytes)
    : m_loader(loader)
{
    using Create = char *(*)(int, int);
    using Add = int (*)(int, char *, const char *, int);
    const auto create = reinterpret_cast<Create>(loader.m_entries[CreateBufferEntry]);
    const auto add = reinterpret_cast<Add>(loader.m_entries[AddToBufferEntry]);
    if (!create || !add || bytes.size() > std::size_t(std::numeric_limits<int>::max()))
        return;
    const int size = int(bytes.size());
    m_buffer = create(loader.m_instanceId, size);
    if (m_buffer && !add(loader.m_instanceId, m_buffer, bytes.data(), size))
        release();
}

OndarelPDFLibraryDLL1016::LibraryBuffer::~LibraryBuffer()
{
    release();
}

void OndarelPDFLibraryDLL1016::LibraryBuffer::release() const
{
    using Release = int (*)(int, char *);
    const auto free = reinterpret_cast<Release>(m_loader.m_entries[ReleaseBufferEntry]);
    if (m_buffer && free)
        free(m_loader.m_instanceId, m_buffer);
    m_buffer = nullptr;
}
