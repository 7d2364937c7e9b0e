#pragma once

#include <QString>
#include <QStringList>

namespace TestSupport {

// Every file below folder (hidden and special ones too), as paths relative
// to it, sorted: what an unpacking or import left on disk.
QStringList filesBelow(const QString &folder);

} // namespace TestSupport
