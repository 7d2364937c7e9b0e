// A stand-in for the 7-Zip codec library that fails the way a broken or
// foreign one would. FAKE_SEVENZIP_MODE picks the failure at each call:
// "layout" (objects of the other layout), "fail" (CreateObject answers an
// error), "null" (success without an object). Built once more without any
// entry point, as a library that is no codec library at all.

#include <cstdint>
#include <cstdlib>
#include <cstring>

#ifdef FAKE_SEVENZIP_ENTRIES

namespace {

bool modeIs(const char *mode)
{
    const char *value = std::getenv("FAKE_SEVENZIP_MODE");
    return value && std::strcmp(value, mode) == 0;
}

struct Variant
{
    std::uint16_t vt;
    std::uint16_t reserved[3];
    std::uint64_t value;
};

} // namespace

extern "C" __attribute__((visibility("default"))) std::int32_t GetModuleProp(std::uint32_t id,
                                                                             Variant *value)
{
    value->vt = 19; // VT_UI4
    value->value = id == 0 && modeIs("layout") ? 1 : 0;
    return 0;
}

extern "C" __attribute__((visibility("default"))) std::int32_t
CreateObject(const void *, const void *, void **object)
{
    *object = nullptr;
    if (modeIs("null"))
        return 0;
    return std::int32_t(0x80004005u); // E_FAIL
}

#else

extern "C" __attribute__((visibility("default"))) int fakeSevenZipNothing()
{
    return 0;
}

#endif
