#include "mainview.h"

#include "commandline.h"
#include "logger.h"

MainView::MainView(int baseWidth, int baseHeight, QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("mainView"));
    setWindowTitle(QStringLiteral("vellumin"));
    resize(baseWidth, baseHeight);
}

void MainView::handleMessage(const QString &message)
{
    const QStringList arguments = CommandLine::parseMessage(message);
    Logger::instance()->write(
            QStringLiteral("MainView::handleMessage: %1 argument(s): ").arg(arguments.size())
                    + arguments.join(QStringLiteral(", ")),
            Logger::Info);
}
