#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class BookPropertiesPanel;
class InputPasswordController;
class LibraryPage;
class MessageBoxController;
class ReaderPage;
class ReadingContext;
class SearchBox;
class SidePanel;
class QWidget;

// What the main window is built from and how it reaches beyond itself.
//
// The pages and panels of other parts of the program come in through the
// create functions, each called once with the parent the window gives it.
// The functions that show a dialog, a box or a web page let tests stand in
// for them, so nothing modal is left waiting.
//
// Any member left empty takes its standard value (standard()). Where the
// program has no page of its own yet, the standard value is a placeholder
// that shows little and does nothing harmful.
struct MainViewParts
{
    std::function<LibraryPage *(QWidget *parent)> createLibraryPage;
    std::function<ReaderPage *(QWidget *parent)> createReaderPage;
    std::function<SidePanel *(QWidget *parent)> createContentsPanel;
    std::function<SidePanel *(QWidget *parent)> createNotesPanel;
    std::function<SidePanel *(QWidget *parent)> createSearchPanel;
    std::function<BookPropertiesPanel *(QWidget *parent)> createPropertiesPanel;
    std::function<SearchBox *(QWidget *parent)> createSearchBox;
    // The reading controller of the open book; not owned, must outlive the
    // window. Null: the window keeps an idle one of its own.
    ReadingContext *readingContext = nullptr;
    // The thread hand-over controllers whose requests the window answers;
    // not owned. Null: the application's own.
    InputPasswordController *passwordController = nullptr;
    MessageBoxController *messageController = nullptr;

    // The "Add book" file dialog: the chosen paths, empty when cancelled.
    std::function<QStringList(QWidget *parent, const QString &caption, const QString &folder,
                              const QString &filter)>
            getOpenFileNames;
    // A modal message box with one OK button.
    std::function<void(QWidget *parent, const QString &title, const QString &text)> showMessage;
    // The password dialog for a loading thread; answers the controller.
    std::function<void(InputPasswordController *controller, bool checkSkip, QWidget *parent)>
            answerPassword;
    // A message box for a loading thread; clears the controller's pending word.
    std::function<void(MessageBoxController *controller, const QString &title,
                       const QString &message, QWidget *parent)>
            answerMessage;
    // Opens a web page in the desktop browser.
    std::function<bool(const QUrl &url)> openUrl;
    // The modal new-version dialog with its change-log and download pages.
    std::function<void(QWidget *parent, const QString &version, const QString &changelogUrl,
                       const QString &downloadUrl)>
            showNewVersion;
    // Where the update check asks. Empty: the update server.
    QUrl updateCheckUrl;

    // The program's own parts.
    static MainViewParts standard();
    // This set with every empty member taken from standard().
    MainViewParts completed() const;
};
