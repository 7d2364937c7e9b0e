#include "platform/pdflibrary/instance.h"

#include <poppler-qt5.h>

#include <cstring>
#include <limits>

namespace pdflibrary {

namespace {

    // A byte-string argument larger than this is refused: nothing the program
    // passes comes near it, and a wrong size must not become a huge allocation.
    constexpr int maximumBufferSize = 256 * 1024 * 1024;

    struct Registry
    {
        std::mutex mutex;
        std::map<int, std::shared_ptr<Instance>> instances;
        int lastId = 0;
    };

    Registry &registry()
    {
        static Registry instance;
        return instance;
    }

} // namespace

Instance::Instance(int id)
    : m_id(id)
{
}

Instance::~Instance() = default;

void Instance::closeDocument()
{
    document.reset();
    fileName.clear();
    password.clear();
    selectedPage = 0;
    renderScale = 1.0;
    outlines.clear();
    pendingInformation.clear();
    pendingEncryption = PendingEncryption();
}

char *Instance::createBuffer(int size)
{
    if (size < 0 || size > maximumBufferSize)
        return nullptr;
    Buffer buffer;
    // One byte at least, so an empty string still gets its own address.
    buffer.bytes.resize(std::size_t(size) + 1);
    char *const address = buffer.bytes.data();
    m_buffers.emplace(address, std::move(buffer));
    return address;
}

bool Instance::addToBuffer(char *address, const char *source, int length)
{
    const auto it = m_buffers.find(address);
    if (it == m_buffers.end() || length < 0 || (length > 0 && !source))
        return false;
    Buffer &buffer = it->second;
    const std::size_t room = buffer.bytes.size() - 1 - buffer.filled;
    if (std::size_t(length) > room)
        return false;
    if (length > 0)
        std::memcpy(buffer.bytes.data() + buffer.filled, source, std::size_t(length));
    buffer.filled += std::size_t(length);
    return true;
}

bool Instance::releaseBuffer(char *address)
{
    return m_buffers.erase(address) > 0;
}

std::string Instance::bufferBytes(char *address) const
{
    const auto it = m_buffers.find(address);
    if (it == m_buffers.end())
        return std::string();
    return std::string(it->second.bytes.data(), it->second.filled);
}

std::shared_ptr<Instance> findInstance(int id)
{
    Registry &r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    const auto it = r.instances.find(id);
    return it == r.instances.end() ? nullptr : it->second;
}

int createInstance()
{
    // Damaged files make poppler describe every fault it repairs on the
    // standard error; the callers learn of failures from the error codes.
    static std::once_flag quiet;
    std::call_once(quiet, []() {
        Poppler::setDebugErrorFunction([](const QString &, const QVariant &) {}, QVariant());
    });
    Registry &r = registry();
    const std::lock_guard<std::mutex> lock(r.mutex);
    if (r.lastId == std::numeric_limits<int>::max())
        return 0;
    const int id = ++r.lastId;
    r.instances.emplace(id, std::make_shared<Instance>(id));
    return id;
}

bool releaseInstance(int id)
{
    std::shared_ptr<Instance> released;
    {
        Registry &r = registry();
        const std::lock_guard<std::mutex> lock(r.mutex);
        const auto it = r.instances.find(id);
        if (it == r.instances.end())
            return false;
        released = std::move(it->second);
        r.instances.erase(it);
    }
    // A call still running on another thread keeps its own reference; the
    // instance goes when that call ends.
    const std::lock_guard<std::mutex> lock(released->mutex);
    released->closeDocument();
    return true;
}

} // namespace pdflibrary

// The entries the loader itself uses: the instance, the result lengths and
// the buffers that carry byte strings in.
using namespace pdflibrary;

extern "C" {

VL_PDFLIBRARY_EXPORT int DPLCreateLibrary()
{
    return createInstance();
}

VL_PDFLIBRARY_EXPORT int DPLReleaseLibrary(int InstanceID)
{
    return releaseInstance(InstanceID) ? 1 : 0;
}

VL_PDFLIBRARY_EXPORT int DPLStringResultLength(int InstanceID)
{
    return call<int>(InstanceID, [](Instance &library) {
        return int(
                std::min<std::size_t>(library.textResult.size(), std::numeric_limits<int>::max()));
    });
}

VL_PDFLIBRARY_EXPORT int DPLAnsiStringResultLength(int InstanceID)
{
    return call<int>(InstanceID, [](Instance &library) {
        return int(
                std::min<std::size_t>(library.bytesResult.size(), std::numeric_limits<int>::max()));
    });
}

VL_PDFLIBRARY_EXPORT char *DPLCreateBuffer(int InstanceID, int BufferSize)
{
    return call<char *>(InstanceID,
                        [&](Instance &library) { return library.createBuffer(BufferSize); });
}

VL_PDFLIBRARY_EXPORT int DPLAddToBuffer(int InstanceID, char *Buffer, const char *Source,
                                        int SourceLength)
{
    return call<int>(InstanceID, [&](Instance &library) {
        return library.addToBuffer(Buffer, Source, SourceLength) ? 1 : 0;
    });
}

VL_PDFLIBRARY_EXPORT int DPLReleaseBuffer(int InstanceID, char *Buffer)
{
    return call<int>(InstanceID,
                     [&](Instance &library) { return library.releaseBuffer(Buffer) ? 1 : 0; });
}

} // extern "C"
