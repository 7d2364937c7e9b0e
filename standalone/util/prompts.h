#pragma once

#include <QFont>
#include <QString>

#include <functional>

class QObject;

// How the reader asks the user something without knowing about windows.
// The reading program installs handlers that show real message boxes, the
// input box and the file and font dialogs; tests install scripted ones.
// Until a handler is installed a message goes to the log and every question
// is answered with Cancel. User-interface thread only.
namespace divad {

enum class MessageIcon { None, Information, Question, Exclamation, Stop };

struct MessageRequest
{
    QObject *owner = nullptr;
    QString text;
    QString caption;
    MessageIcon icon = MessageIcon::None;
    // OK and Cancel instead of OK alone.
    bool okCancel = false;
};

// The open-file dialog: title, starting folder, filter in the reader's own
// form ("*.txt|*.txt|*.*|*.*||"), default extension.
struct OpenFileRequest
{
    QObject *owner = nullptr;
    QString title;
    QString folder;
    QString filter;
    QString defaultExtension;
};

using MessageBoxHandler = std::function<void(const QString &text)>;
// True for OK.
using MessageHandler = std::function<bool(const MessageRequest &request)>;
using InputBoxHandler = std::function<bool(QObject *owner, const QString &title,
                                           const QString &prompt, QString *text)>;
// The chosen path, or "" for Cancel.
using OpenFileHandler = std::function<QString(const OpenFileRequest &request)>;
// True with the chosen font for OK.
using FontHandler = std::function<bool(QObject *owner, const QFont &initial, QFont *chosen)>;

// Plain messages only, as text (the engine's own failures).
void SetMessageBoxHandler(MessageBoxHandler handler);
// Every message and question, with its caption, icon and buttons; takes
// precedence over the plain handler.
void SetMessageHandler(MessageHandler handler);
void SetInputBoxHandler(InputBoxHandler handler);
void SetOpenFileHandler(OpenFileHandler handler);
void SetFontHandler(FontHandler handler);

// A plain message box with no title of its own.
void ShowMessageBox(const QString &text);
// A message or an OK/Cancel question; true when the user chose OK.
bool ShowMessage(const MessageRequest &request);
// A question with OK and Cancel and the question icon.
bool AskOkCancel(QObject *owner, const QString &text, const QString &caption = QString());
// One line of text from the user: true with the text when confirmed (an
// empty text is a valid answer), false when cancelled or when nobody can ask.
bool AskText(QObject *owner, const QString &title, const QString &prompt, QString *text);
// A file to open, or "".
QString AskOpenFileName(const OpenFileRequest &request);
// A screen font; false for Cancel.
bool AskFont(QObject *owner, const QFont &initial, QFont *chosen);

// The reader's filter form ("text|patterns|text|patterns||") as a Qt file
// dialog filter ("text (patterns);;text (patterns)").
QString DialogFilter(const QString &readerFilter);

} // namespace divad
