// A FictionBook file: XML, description, pictures, bodies and sections, the
// contents items; the first input byte picks FB2 or plain text.

#include "formats/fb2/fbdescription.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char *>(data + 1), int(size - 1));
    fb2::FbDescription description;
    const bool text = data[0] & 1;
    if (description.loadData(bytes, text ? QStringLiteral("fuzz.txt") : QStringLiteral("fuzz.fb2"),
                             QString())) {
        description.authorName();
        description.bookTitle();
        description.coverImage();
        description.tocItems();
        for (fb2::FbBody &body : description.bodies) {
            for (fb2::FbSection &section : body.sections)
                section.toHtml();
        }
    }
    return 0;
}
