#include "tests/support/crc32.h"

#include <array>

namespace TestSupport {

quint32 crc32(const QByteArray &data)
{
    static const auto table = [] {
        std::array<quint32, 256> values {};
        for (quint32 i = 0; i < 256; ++i) {
            quint32 c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            values[i] = c;
        }
        return values;
    }();
    quint32 crc = 0xffffffffu;
    for (const char byte : data)
        crc = table[(crc ^ quint8(byte)) & 0xff] ^ (crc >> 8);
    return crc ^ 0xffffffffu;
}

} // namespace TestSupport
