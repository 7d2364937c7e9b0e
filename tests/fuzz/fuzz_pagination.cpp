// The pagination record as the text viewer and the helper read it from the
// shared block, and written back when it reads.

#include "pagination/paginationrequest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    PaginationRequest record;
    QString error;
    if (PaginationRequest::fromByteArray(bytes, &record, &error))
        record.toByteArray();
    return 0;
}
