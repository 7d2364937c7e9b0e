#pragma once

#include <QByteArray>

namespace TestSupport {

// The CRC-32 of ZIP, PNG and RAR headers (polynomial 0xedb88320), for
// fixtures that write such files byte by byte.
quint32 crc32(const QByteArray &data);

} // namespace TestSupport
