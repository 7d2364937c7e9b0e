#pragma once

#include <QString>

#include <functional>

class QObject;

// How the engine, which has no windows, asks the user something. The
// reading window installs handlers that show real message boxes and the
// input box; until then a message goes to the log and every question is
// answered with Cancel. User-interface thread only.
namespace divad {

using MessageBoxHandler = std::function<void(const QString &text)>;
using InputBoxHandler = std::function<bool(QObject *owner, const QString &title,
                                           const QString &prompt, QString *text)>;

void SetMessageBoxHandler(MessageBoxHandler handler);
void SetInputBoxHandler(InputBoxHandler handler);

// A plain message box with no title of its own.
void ShowMessageBox(const QString &text);
// One line of text from the user: true with the text when confirmed (an
// empty text is a valid answer), false when cancelled or when nobody can ask.
bool AskText(QObject *owner, const QString &title, const QString &prompt, QString *text);

} // namespace divad
