#include "application.h"
#include "commandline.h"
#include "logger.h"
#include "mainview.h"
#include "settings.h"

#include <QFile>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include <memory>

int main(int argc, char *argv[])
{
    qputenv("QT_AUTO_SCREEN_SCALE_FACTOR", "1");
    Application app(argc, argv);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, true);

    const QString message = CommandLine::buildMessage(QCoreApplication::arguments());
    if (app.sendMessage(message, 5000))
        return 0;

    Logger::instance()->write(QStringLiteral("Start-up. Version:") + Application::displayVersion(),
                              Logger::Info);

    // Load the reading settings once; a first start leaves the defaults in
    // "settings.ini" so the user can see and edit them.
    Settings *settings = Settings::instance();
    if (!QFile::exists(Application::settingsFilePath(QStringLiteral("settings.ini"))))
        settings->save();

    QScreen *screen = QGuiApplication::primaryScreen();
    const int width = CommandLine::mainWindowBaseWidth(screen ? screen->geometry()
                                                              : QRect(0, 0, 900, 900));
    auto mainView = std::make_unique<MainView>(width, 500);
    mainView->show();

    app.setActivationWindow(mainView.get(), true);
    mainView->handleMessage(message);
    QObject::connect(&app, &Application::messageReceived, mainView.get(),
                     &MainView::handleMessage);

    // Developer switch for start-up measurements: leave as soon as the first
    // window is up.
    if (qEnvironmentVariableIsSet("VELLUMIN_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);

    const int result = app.exec();
    mainView.reset();
    return result;
}
