#include "app/crashinstaller.h"

#include "app/application.h"
#include "core/logger.h"
#include "core/paths.h"
#include "platform/crashreport/crashhandler.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QElapsedTimer>

CrashInstaller::CrashInstaller()
{
    qDebug() << "CrashInstaller::CrashInstaller(void) [BEGIN]";
    QElapsedTimer timer;
    timer.start();

    CrashHandler::Setup setup;
    setup.reporterProgram = reporterProgram();
    setup.reportsFolder = reportsFolder();
    setup.reporterArguments = QStringList {
        QStringLiteral("--app"),
        QStringLiteral("Reader"),
        QStringLiteral("--version"),
        QStringLiteral("5.0.7"),
        QStringLiteral("--url"),
        uploadUrl().toString(),
        QStringLiteral("--settings"),
        Application::settingsFilePath(QStringLiteral("settings.ini")),
        QStringLiteral("--log-folder"),
        Logger::logDirectory(),
    };
    QString error;
    m_installed = CrashHandler::install(setup, &error);
    if (m_installed) {
        qDebug() << "CrashInstaller::CrashInstaller(void) [END]";
        Logger::instance()->write(
                QStringLiteral("Crash installer setup time:%1").arg(timer.elapsed()),
                Logger::Debug);
    } else {
        Logger::instance()->write(QStringLiteral("Could not start crash reporter. %1").arg(error),
                                  Logger::Debug);
    }
}

CrashInstaller::~CrashInstaller()
{
    qDebug() << "CrashInstaller::~CrashInstaller(void)";
    CrashHandler::uninstall();
}

QUrl CrashInstaller::uploadUrl()
{
    const QString overridden = qEnvironmentVariable("VELLUMIN_CRASH_URL");
    if (!overridden.isEmpty())
        return QUrl(overridden, QUrl::TolerantMode);
    return QUrl(QStringLiteral(
            "http://crash.morvasco.com/act/crashfix/index.php/crashReport/uploadExternal"));
}

QString CrashInstaller::reportsFolder()
{
    return QDir(Paths::appHomeDir()).filePath(QStringLiteral("crashreports"));
}

QString CrashInstaller::reporterProgram()
{
    return QCoreApplication::applicationDirPath() + QStringLiteral("/vellumin-crashreporter");
}
