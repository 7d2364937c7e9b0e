#pragma once

#include "platform/qtsingleapplication.h"

#include <QSettings>
#include <QStringList>

#include <memory>

class BookModel;
class FolderModel;
class InputPasswordController;
class MessageBoxController;
class QTranslator;
class UserContext;

// The one application object of the main program: names the program to Qt,
// decides where settings live, loads the interface translation and offers a
// few program-wide services. Reached through Application::instance().
class Application : public QtSingleApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    ~Application() override;

    // The running application object; null when the running QApplication
    // is not one (tests that build widgets on a plain QApplication).
    static Application *instance();

    // The hand-over of password and message requests from loading threads
    // to the GUI; both live as long as the application.
    InputPasswordController *inputPasswordController() const { return m_passwordController; }
    // The library's one book model; a child of the application.
    // The reading controller of the open book; owned, deleted first.
    UserContext *userContext() const { return m_userContext; }
    BookModel *bookModel() const { return m_bookModel; }
    // The user categories; a child of the application.
    FolderModel *folderModel() const { return m_folderModel; }
    MessageBoxController *messageBoxController() const { return m_messageController.get(); }

    // A new QSettings on "settings.ini"; callable from any thread.
    static std::shared_ptr<QSettings> createSettings();
    // <application config folder>/<name>, native separators.
    static QString settingsFilePath(const QString &name);

    // The installed version; the application version when none is recorded.
    static QString displayVersion();
    static QString readRegistryVersion();
    static QString productId() { return QStringLiteral("4"); }
    // Book-file suffixes the program reads, lower case without dots.
    static QStringList supportedFormats();
    // Two-letter language of the system locale ("de" from de_DE); the
    // interface language when "Language" is not set.
    static QString systemLanguage();

    // Path of the translation file for a language.
    static QString translationFilePath(const QString &language);

signals:
    void fullScreenChanged(bool newState);
    void showMessageBox(QString title, QString &message);

public slots:
    void loadTranslator();
    void setLanguage(QString language);
    static void showInExplorer(QString filePath);

private:
    QTranslator *m_translator = nullptr;
    UserContext *m_userContext = nullptr;
    // No QObject parent: a loading thread may still ask while the children
    // of the application are torn down.
    std::unique_ptr<MessageBoxController> m_messageController;
    InputPasswordController *m_passwordController = nullptr;
    BookModel *m_bookModel = nullptr;
    FolderModel *m_folderModel = nullptr;
};
