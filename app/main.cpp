#include "app/application.h"
#include "app/commandline.h"
#include "app/crashinstaller.h"
#include "app/mainview.h"
#include "core/logger.h"
#include "core/settings.h"
#include "library/db/bookprovider.h"
#include "library/model/foldermodel.h"
#include "platform/quitonsignal.h"
#include "widgets/messageview.h"
#include "widgets/splashscreen.h"
#include "widgets/stylesheet.h"

#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <memory>

namespace {

// How long the splash shows its loading line. VELLUMIN_SPLASH_MS overrides
// the usual two seconds (the start-up benchmark sets it to 0).
int splashSeconds()
{
    bool ok = false;
    const int ms = qEnvironmentVariableIntValue("VELLUMIN_SPLASH_MS", &ok);
    if (!ok)
        return 2;
    return ms <= 0 ? 0 : (ms + 999) / 1000;
}

QScreen *screenOf(QWidget *widget)
{
    QScreen *screen = widget->windowHandle() ? widget->windowHandle()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::screenAt(widget->geometry().center());
    return screen ? screen : QGuiApplication::primaryScreen();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_AUTO_SCREEN_SCALE_FACTOR", "1");
    Application app(argc, argv);
    QCoreApplication::setAttribute(Qt::AA_UseHighDpiPixmaps, true);
    // From here to the end of main a crash leaves a report.
    const CrashInstaller crashInstaller;

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

    reloadStyleSheet();

    const QPixmap splashPixmap
            = QIcon(QStringLiteral(":/style/images/splash.png")).pixmap(QSize(372, 186));
    SplashScreen splash(splashPixmap);
    splash.setVersionText(Application::displayVersion());
    splash.show();
    if (const int seconds = splashSeconds())
        splash.showLoading(seconds);

    QApplication::setWindowIcon(QIcon(QStringLiteral(":/style/images/vellumin.ico")));

    BookProvider *library = BookProvider::instance();
    const bool libraryOpen = library->createConnection();
    app.folderModel()->updateData();

    QScreen *screen = screenOf(&splash);
    const int width
            = CommandLine::mainWindowBaseWidth(screen ? screen->geometry() : QRect(0, 0, 900, 900));
    auto mainView = std::make_unique<MainView>(width, 500);
    mainView->show();
    splash.finish(mainView.get());

    if (!libraryOpen) {
        // The program still runs (reading needs no library), but the user
        // must know that nothing will be stored.
        MessageView box(library->connectionErrorTitle(), library->lastError(), mainView.get());
        box.exec();
    }

    app.setActivationWindow(mainView.get(), true);
    mainView->handleMessage(message);
    QObject::connect(&app, &Application::messageReceived, mainView.get(), &MainView::handleMessage);

    // Developer switch for start-up measurements: leave as soon as the first
    // window is up.
    if (qEnvironmentVariableIsSet("VELLUMIN_QUIT_WHEN_SHOWN"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);

    // A stop request from outside ends the loop like closing the window.
    const QuitOnSignal quitOnSignal;
    const int result = app.exec();
    mainView.reset();
    return result;
}
