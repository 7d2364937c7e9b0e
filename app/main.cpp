#include "application.h"
#include "commandline.h"
#include "logger.h"
#include "mainview.h"

#include <QGuiApplication>
#include <QScreen>

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

    QScreen *screen = QGuiApplication::primaryScreen();
    const int width = CommandLine::mainWindowBaseWidth(screen ? screen->geometry()
                                                              : QRect(0, 0, 900, 900));
    auto mainView = std::make_unique<MainView>(width, 500);
    mainView->show();

    app.setActivationWindow(mainView.get(), true);
    mainView->handleMessage(message);
    QObject::connect(&app, &Application::messageReceived, mainView.get(),
                     &MainView::handleMessage);

    const int result = app.exec();
    mainView.reset();
    return result;
}
