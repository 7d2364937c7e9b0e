#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// The reader's hand-over to the desktop: web addresses to the browser,
// books to their associated program or a text editor, folders to the file
// manager, and programs started by argument list (never through a command
// line a shell would parse). Tests install a handler that records the
// requests instead. User-interface thread.
namespace divad {

enum class ShellVerb {
    OpenUrl, // target: an encoded web address
    OpenFile, // target: a file for its associated program
    OpenFolder, // target: a folder for the file manager
    EditText, // target: a file for a plain-text editor
    StartProgram, // target: a program, started with arguments
};

struct ShellRequest
{
    ShellVerb verb = ShellVerb::OpenUrl;
    QString target;
    QStringList arguments;
};

// True when the request was carried out.
using ShellHandler = std::function<bool(const ShellRequest &request)>;

void SetShellHandler(ShellHandler handler);
bool RunShell(const ShellRequest &request);

bool ShellOpenUrl(const QString &address);
bool ShellOpenFile(const QString &path);
bool ShellOpenFolder(const QString &path);
bool ShellEditText(const QString &path);
bool ShellStartProgram(const QString &program, const QStringList &arguments);

} // namespace divad
