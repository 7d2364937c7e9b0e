#include "app/mainviewparts.h"

#include "app/application.h"
#include "app/placeholderpages.h"
#include "app/updatechecker.h"
#include "library/view/bookeditpropertiesview.h"
#include "library/view/libraryview.h"
#include "reader/bookviewer.h"
#include "reader/notesview.h"
#include "reader/searchedit.h"
#include "reader/searchview.h"
#include "reader/tocview.h"
#include "reader/usercontext.h"
#include "widgets/handoverdialogs.h"
#include "widgets/messageupdate.h"
#include "widgets/messageview.h"

#include <QDesktopServices>
#include <QFileDialog>

MainViewParts MainViewParts::standard()
{
    MainViewParts parts;
    Application *application = Application::instance();
    parts.createLibraryPage = [application](QWidget *parent) {
        LibraryViewParts libraryParts;
        if (application) {
            libraryParts.bookModel = application->bookModel();
            libraryParts.folderModel = application->folderModel();
        }
        return new LibraryView(libraryParts, parent);
    };
    parts.createReaderPage = [application](QWidget *parent) -> ReaderPage * {
        if (application && application->userContext())
            return new BookViewer(application->userContext(), parent);
        return new PlaceholderReaderPage(parent);
    };
    if (application)
        parts.readingContext = application->userContext();
    UserContext *context = application ? application->userContext() : nullptr;
    parts.createContentsPanel = [context](QWidget *parent) { return new TocView(context, parent); };
    parts.createNotesPanel = [context](QWidget *parent) { return new NotesView(context, parent); };
    parts.createSearchPanel = [context](QWidget *parent) { return new SearchView(context, parent); };
    parts.createPropertiesPanel = [application](QWidget *parent) {
        return new BookEditPropertiesView(application ? application->bookModel() : nullptr, parent);
    };
    parts.createSearchBox = [](QWidget *parent) {
        auto *edit = new SearchEdit(parent);
        // The tool bar's line has a name of its own beside the panels' lines.
        edit->setObjectName(QStringLiteral("searchEdit"));
        return edit;
    };

    if (application) {
        parts.passwordController = application->inputPasswordController();
        parts.messageController = application->messageBoxController();
    }

    parts.getOpenFileNames = [](QWidget *parent, const QString &caption, const QString &folder,
                                const QString &filter) {
        return QFileDialog::getOpenFileNames(parent, caption, folder, filter);
    };
    parts.showMessage = [](QWidget *parent, const QString &title, const QString &text) {
        MessageView box(title, text, parent);
        box.exec();
    };
    parts.answerPassword = answerPasswordRequest;
    parts.answerMessage = answerMessageRequest;
    parts.openUrl = [](const QUrl &url) { return QDesktopServices::openUrl(url); };
    parts.showNewVersion = [](QWidget *parent, const QString &version, const QString &changelogUrl,
                              const QString &downloadUrl) {
        MessageUpdate dialog(version, changelogUrl, downloadUrl, parent);
        dialog.exec();
    };
    parts.updateCheckUrl = UpdateChecker::defaultCheckUrl();
    return parts;
}

MainViewParts MainViewParts::completed() const
{
    const MainViewParts defaults = standard();
    MainViewParts parts = *this;
    auto fill = [](auto &member, const auto &fallback) {
        if (!member)
            member = fallback;
    };
    fill(parts.createLibraryPage, defaults.createLibraryPage);
    fill(parts.createReaderPage, defaults.createReaderPage);
    fill(parts.createContentsPanel, defaults.createContentsPanel);
    fill(parts.createNotesPanel, defaults.createNotesPanel);
    fill(parts.createSearchPanel, defaults.createSearchPanel);
    fill(parts.createPropertiesPanel, defaults.createPropertiesPanel);
    fill(parts.createSearchBox, defaults.createSearchBox);
    fill(parts.readingContext, defaults.readingContext);
    fill(parts.passwordController, defaults.passwordController);
    fill(parts.messageController, defaults.messageController);
    fill(parts.getOpenFileNames, defaults.getOpenFileNames);
    fill(parts.showMessage, defaults.showMessage);
    fill(parts.answerPassword, defaults.answerPassword);
    fill(parts.answerMessage, defaults.answerMessage);
    fill(parts.openUrl, defaults.openUrl);
    fill(parts.showNewVersion, defaults.showNewVersion);
    if (parts.updateCheckUrl.isEmpty())
        parts.updateCheckUrl = defaults.updateCheckUrl;
    return parts;
}
