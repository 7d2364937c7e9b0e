// One PalmDOC record, and the trailing-entry stripping before it.

#include "formats/mobi/mobidecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray record(reinterpret_cast<const char *>(data), int(size));
    mobi::decodePalmDoc(record);
    if (size >= 2) {
        const quint16 flags = quint16((data[0] << 8) | data[1]);
        mobi::decodePalmDoc(mobi::stripTrailingEntries(record.mid(2), flags));
    }
    return 0;
}
