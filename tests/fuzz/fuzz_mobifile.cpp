// A whole MOBI or PRC file: headers, EXTH, text in every compression, the
// pictures and the markup conversion.

#include "formats/mobi/mobifile.h"
#include "formats/mobi/mobimarkup.h"

#include <QTextCodec>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const auto file = mobi::MobiFile::fromBytes(bytes);
    file->title();
    file->author();
    file->exthText(101);
    const QByteArray text = file->rawText();
    for (int n = 0; n < file->imageCount() && n < 4; ++n)
        file->image(n);
    file->coverImage();
    QTextCodec *codec = file->textCodec();
    QList<mobi::Heading> headings;
    mobi::convertToHtml(text, codec ? codec : QTextCodec::codecForName("UTF-8"), file->imageCount(),
                        &headings);
    return 0;
}
