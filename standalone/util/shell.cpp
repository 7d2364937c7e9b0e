#include "standalone/util/shell.h"

#include <QDesktopServices>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

namespace divad {

namespace {

    ShellHandler &shellHandler()
    {
        static ShellHandler handler;
        return handler;
    }

    // Plain-text editors of the common desktops, in order of preference.
    QString findTextEditor()
    {
        static const char *const editors[] = {
            "mousepad", "gedit",   "gnome-text-editor", "kate", "kwrite",
            "pluma",    "xed",     "featherpad",        "leafpad",
        };
        for (const char *name : editors) {
            const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
            if (!found.isEmpty())
                return found;
        }
        return QString();
    }

    bool carryOut(const ShellRequest &request)
    {
        switch (request.verb) {
        case ShellVerb::OpenUrl:
            return QDesktopServices::openUrl(QUrl::fromEncoded(request.target.toUtf8()));
        case ShellVerb::OpenFile:
        case ShellVerb::OpenFolder:
            return QDesktopServices::openUrl(QUrl::fromLocalFile(request.target));
        case ShellVerb::EditText: {
            const QString editor = findTextEditor();
            if (editor.isEmpty())
                return QDesktopServices::openUrl(QUrl::fromLocalFile(request.target));
            return QProcess::startDetached(editor, { request.target });
        }
        case ShellVerb::StartProgram:
            return QProcess::startDetached(request.target, request.arguments);
        }
        return false;
    }

} // namespace

void SetShellHandler(ShellHandler handler)
{
    shellHandler() = std::move(handler);
}

bool RunShell(const ShellRequest &request)
{
    if (request.target.isEmpty())
        return false;
    return shellHandler() ? shellHandler()(request) : carryOut(request);
}

bool ShellOpenUrl(const QString &address)
{
    return RunShell({ ShellVerb::OpenUrl, address, {} });
}

bool ShellOpenFile(const QString &path)
{
    return RunShell({ ShellVerb::OpenFile, path, {} });
}

bool ShellOpenFolder(const QString &path)
{
    return RunShell({ ShellVerb::OpenFolder, path, {} });
}

bool ShellEditText(const QString &path)
{
    return RunShell({ ShellVerb::EditText, path, {} });
}

bool ShellStartProgram(const QString &program, const QStringList &arguments)
{
    return RunShell({ ShellVerb::StartProgram, program, arguments });
}

} // namespace divad
