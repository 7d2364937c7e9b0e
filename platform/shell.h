#pragma once

#include <QString>

namespace Shell {

// Opens the folder of filePath in the desktop's file manager with the file
// selected (freedesktop FileManager1 over D-Bus); when no file manager
// answers, opens the folder itself. A folder path opens that folder.
void showInFileManager(const QString &filePath);

} // namespace Shell
