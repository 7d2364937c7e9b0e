// A HUFF record, CDIC records and text records, cut from one input:
// a 16-bit length before each of the HUFF and CDIC records, then up to
// three CDIC records, the rest being text records of 512 bytes.

#include "formats/mobi/mobidecoder.h"

#include <QVector>

namespace {

QByteArray take(const QByteArray &input, int *at)
{
    if (*at + 2 > input.size())
        return QByteArray();
    const int length = (uchar(input.at(*at)) << 8) | uchar(input.at(*at + 1));
    *at += 2;
    const QByteArray part = input.mid(*at, length);
    *at += part.size();
    return part;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    int at = 0;
    const QByteArray huff = take(input, &at);
    QVector<QByteArray> dictionaries;
    const int count = at < input.size() ? uchar(input.at(at++)) % 4 : 0;
    for (int i = 0; i < count; ++i)
        dictionaries.append(take(input, &at));
    mobi::HuffCdicDecoder decoder(huff, dictionaries);
    for (int start = at; start < input.size(); start += 512)
        decoder.decode(input.mid(start, 512));
    return 0;
}
