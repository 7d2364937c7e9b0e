#pragma once

#include <QString>

// What the installer recorded about this installation. On this platform the
// values live in "install.ini" beside the program (keys "DisplayVersion"
// and "CurrentVersion"); a missing file or key gives the fallback.
namespace InstallInfo {

QString value(const QString &name, const QString &fallback);

} // namespace InstallInfo
