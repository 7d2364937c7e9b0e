#pragma once

#include <QSettings>
#include <QString>

#include <memory>

// Where the program's "settings.ini" lives and how it is opened. Kept apart
// from the application object so that code without widgets (documents,
// workers) can read settings too. Callable from any thread: every call
// returns its own QSettings object on the same file.
namespace SettingsFile {

// <application config folder>/<name>, native separators. The application's
// own config folder (~/.config/Morvasco/vellumin on Linux), so that
// "settings.ini" never meets another program's file of the same name.
QString filePath(const QString &name);

// A new QSettings in INI format on "settings.ini".
std::shared_ptr<QSettings> create();

// Explicit conversions for stored values: a missing value or a text that
// does not parse gives the fallback, never a surprise
// (QVariant("abc").toBool() is true).
bool toBool(const QVariant &value, bool fallback = false);
int toInt(const QVariant &value, int fallback = 0);

} // namespace SettingsFile
