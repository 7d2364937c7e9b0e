#pragma once

#include "qtsingleapplication.h"

#include <QSettings>
#include <QStringList>

#include <memory>

class QTranslator;

// The one application object of the main program: names the program to Qt,
// decides where settings live, loads the interface translation and offers a
// few program-wide services. Reached through Application::instance().
class Application : public QtSingleApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    ~Application() override;

    static Application *instance();

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
};
